#!/usr/bin/env python3
"""every_source_built.py SOURCE_DIR BUILD_DIR GUI(ON|OFF)

Each folder names its sources in its CMakeLists.txt. A .cpp file left out of
that list is never compiled: it rots unseen, or a merge that adds it fails
only at the link. This reads the build's compile lines and names every .cpp
in the tree that no target compiles."""
import json
import os
import sys


def main():
    source, build, gui = os.path.realpath(sys.argv[1]), sys.argv[2], sys.argv[3] == "ON"
    with open(os.path.join(build, "compile_commands.json")) as f:
        compiled = {os.path.realpath(e["file"]) for e in json.load(f)}
    missing = []
    for top, dirs, files in os.walk(source):
        rel = os.path.relpath(top, source)
        parts = rel.split(os.sep)
        # Build folders, hidden folders, fuzz targets (their own clang build),
        # scripts/ (one-off programs built by hand, as each one's head says).
        if rel != "." and parts[0].startswith(("build", ".", "scripts")) or rel.startswith(os.path.join("tests", "fuzz")):
            dirs[:] = []
            continue
        if not gui and ("ui" in parts or parts[0] == "bench"):
            continue
        for name in files:
            if name.endswith(".cpp"):
                path = os.path.realpath(os.path.join(top, name))
                if path not in compiled:
                    missing.append(os.path.relpath(path, source))
    for m in sorted(missing):
        print(f"not built (add it to its folder's CMakeLists.txt): {m}")
    print(f"{len(compiled)} compiled files checked, {len(missing)} missing")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
