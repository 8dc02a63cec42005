#!/usr/bin/env python3
"""Fails when a header private to a library (a name ending in _p.h) is
included from outside its own folder, or from that folder's tests.

usage: check-private-headers.py SOURCE_DIR
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+_p\.h)[>"]', re.M)


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    private = {p.name: p.parent for p in root.rglob("*_p.h") if "build" not in p.relative_to(root).parts[0]}
    faults = []
    for source in root.rglob("*"):
        if source.suffix not in (".cpp", ".h") or source.relative_to(root).parts[0].startswith("build"):
            continue
        for name in INCLUDE.findall(source.read_text(errors="replace")):
            owner = private.get(pathlib.Path(name).name)
            if owner is None:
                continue
            allowed = {owner, root / "tests" / owner.relative_to(root)}
            if source.parent not in allowed:
                faults.append(f"{source.relative_to(root)} includes {name}, private to {owner.relative_to(root)}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
