#!/usr/bin/env python3
"""window_layering.py SOURCE_DIR

Fails when window code of a subsystem (<folder>/ui/ outside app/ui)
includes the main window's header "app/ui/Unit1.h" or names TForm1: such
code talks to the main window only through IHost (host/ui/Host.h). The
folders still being converted are listed in ALLOWED_TO_FAIL; each is
reported, and one that no longer breaks the rule fails the check until it
is taken off the list, so the list only shrinks. Tests and benchmarks build
a real TForm1 and are not window code."""
import os
import re
import sys

# Folders whose window code may still reach into TForm1 while it is being
# moved onto IHost; empty since every subsystem was moved.
ALLOWED_TO_FAIL = set()

NOT_WINDOW_CODE = {"app", "tests", "bench", "build"}
UNIT1_INCLUDE = re.compile(r'^\s*#\s*include\s*["<]app/ui/Unit1\.h[">]', re.MULTILINE)
TFORM1 = re.compile(r"\bTForm1\b")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def window_folders(source):
    for name in sorted(os.listdir(source)):
        ui = os.path.join(source, name, "ui")
        if name in NOT_WINDOW_CODE or name.startswith(".") or not os.path.isdir(ui):
            continue
        yield name + "/ui", ui


def offences(folder):
    found = []
    for root, _, files in os.walk(folder):
        for f in sorted(files):
            if not f.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(root, f)
            with open(path, encoding="utf-8", errors="replace") as fh:
                text = fh.read()
            for i, line in enumerate(text.splitlines(), 1):
                if UNIT1_INCLUDE.match(line) or TFORM1.search(line):
                    found.append(f"{path}:{i}: {line.strip()}")
    return found


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    failed = False
    for name, path in window_folders(source):
        found = offences(path)
        if name in ALLOWED_TO_FAIL:
            if found:
                print(f"allowed for now: {name} ({len(found)} lines)")
            else:
                print(f"FAIL: {name} keeps the rule now; take it off ALLOWED_TO_FAIL")
                failed = True
            continue
        for line in found:
            print(f"FAIL: {line}")
        failed = failed or bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
