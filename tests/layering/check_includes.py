#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder it may not depend on.

The folders form layers; a file may include headers of its own folder and of
the folders below it, never of one above it or beside it. The table mirrors
the layout the project documents, so an upward #include is caught even though
every target sees the repository root as an include folder.
"""
import pathlib
import re
import sys

CORE = {"platform", "drivers", "capture", "pipeline", "avi", "recording", "aids"}
ALLOWED = {
    "platform": {"platform"},
    "drivers": {"drivers"},
    "capture": {"capture", "platform", "drivers"},
    "pipeline": {"pipeline", "capture", "platform", "drivers"},
    "avi": {"avi", "platform"},
    "recording": {"recording", "pipeline", "capture", "avi", "platform", "drivers"},
    "aids": {"aids", "pipeline", "capture", "platform", "drivers"},
    "session": CORE | {"session"},
    "widgets": {"widgets"},
    "ui": CORE | {"session", "widgets", "ui"},
    "app": CORE | {"session", "widgets", "ui", "app"},
    "cli": CORE | {"session", "cli"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)


def violations(root):
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in {".h", ".hpp", ".cpp", ".c"}:
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                if target in ALLOWED and target not in allowed:
                    line = text.count("\n", 0, match.start()) + 1
                    yield f"{path.relative_to(root)}:{line}: {folder}/ may not include {target}/"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(violations(root))
    for v in found:
        print(v)
    print(f"{len(found)} upward includes")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
