#!/usr/bin/env python3
"""core_without_qt.py SOURCE_DIR BUILD_DIR CORE_FOLDER...

Reads the build's own compile and link lines and fails when any target
built from a core folder (its library, its tests, navirt-tool, the core
benchmarks) has a Qt include folder or Qt define on a compile line, runs
moc, or names a Qt library on its link line; and when a core source
includes a Qt header. The sanitizer build that ./test makes goes further
and builds all of them with Qt not even looked for."""
import json
import os
import re
import sys

QT_ON_LINE = re.compile(r"qt6|/Qt[A-Z]\w*|-DQT_|Qt6::|libQt", re.IGNORECASE)
QT_INCLUDE = re.compile(r'^\s*#\s*include\s*[<"](Q[A-Z]\w*|Qt\w*/)', re.MULTILINE)
TARGET_OF_OBJECT = re.compile(r"CMakeFiles/([^/]+)\.dir/")


def is_core_source(path, source, folders):
    rel = os.path.relpath(path, source)
    if rel.startswith("..") or "/ui/" in "/" + rel:
        return False
    parts = rel.split(os.sep)
    if parts[0] in folders or parts[0] == "bench":
        return True
    return parts[0] == "tests" and len(parts) > 2 and parts[1] in folders


def main():
    source, build, folders = os.path.realpath(sys.argv[1]), sys.argv[2], set(sys.argv[3:])
    faults = []
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    by_target = {}
    for e in entries:
        cmd = e.get("command") or " ".join(e.get("arguments", []))
        m = TARGET_OF_OBJECT.search(e.get("output", "") or cmd)
        if m:
            by_target.setdefault(m.group(1), []).append((os.path.realpath(e["file"]), cmd))
    core = {t for t, files in by_target.items() if any(is_core_source(p, source, folders) for p, _ in files)}
    lines = 0
    for t in sorted(core):
        for path, cmd in by_target[t]:
            lines += 1
            if "_autogen" in path:
                faults.append(f"{t}: moc runs for a core target ({path})")
            elif QT_ON_LINE.search(cmd):
                faults.append(f"{t}: Qt on the compile line of {path}")

    # Link lines, from the Ninja file (the generator ./test uses).
    links = 0
    ninja = os.path.join(build, "build.ninja")
    if os.path.exists(ninja):
        target = None
        for line in open(ninja, encoding="utf-8", errors="replace"):
            m = re.match(r"build .*?: \w+_LINKER__(\S+)_[A-Za-z]* ", line)
            if m:
                target = m.group(1)
            elif target and line.startswith("  LINK_LIBRARIES = "):
                if target in core:
                    links += 1
                    if QT_ON_LINE.search(line):
                        faults.append(f"{target}: Qt on the link line")
            elif not line.startswith("  "):
                target = None

    headers = 0
    for folder in sorted(folders) + ["tests/" + f for f in sorted(folders)]:
        top = os.path.join(source, folder)
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames[:] = [d for d in dirnames if d != "ui" and d != "fixtures"]
            for name in filenames:
                if name.endswith((".cpp", ".h")):
                    headers += 1
                    with open(os.path.join(dirpath, name), encoding="utf-8", errors="replace") as f:
                        m = QT_INCLUDE.search(f.read())
                    if m:
                        faults.append(f"{os.path.join(dirpath, name)} includes the Qt header {m.group(1)}")

    print(f"{len(core)} core targets, {lines} compile lines, {links} link lines, {headers} sources read")
    if not core or not lines or (os.path.exists(ninja) and not links):
        faults.append("no core target found: the check saw nothing")
    for f in faults:
        print("FAULT:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
