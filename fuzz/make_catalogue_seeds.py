#!/usr/bin/env python3
"""Writes seed inputs for the catalogue fuzzer into OUT_DIR.

A seed is up to eight parts joined by "\\n@@\\n": Info.plist and
ServicesMenu.strings of four bundles. The parts come from the sample volume
and, when given, from a folder of real Info.plist and strings files (one
project per subfolder). Some Info.plist files are also converted to binary.

usage: make_catalogue_seeds.py OUT_DIR SAMPLE_VOLUME [REAL_CORPUS]
"""
import hashlib
import pathlib
import plistlib
import sys

SEPARATOR = b"\n@@\n"


def write_seed(out, parts):
    data = SEPARATOR.join(parts)
    (out / hashlib.sha1(data).hexdigest()[:16]).write_bytes(data)


def as_binary(info):
    try:
        return plistlib.dumps(plistlib.loads(info), fmt=plistlib.FMT_BINARY)
    except Exception:
        return None


def sample_pairs(volume):
    pairs = []
    for info in sorted(volume.rglob("Contents/[Ii]nfo*.plist")):
        strings = sorted(info.parent.rglob("ServicesMenu.strings"))
        pairs.append((info.read_bytes(), strings[0].read_bytes() if strings else b""))
    return pairs


def real_pairs(corpus):
    pairs = []
    for project in sorted(p for p in corpus.iterdir() if p.is_dir()):
        infos = sorted(f for f in project.iterdir() if "Info" in f.name or f.name.endswith(".plist"))
        strings = sorted(f for f in project.iterdir() if f.name.endswith("ServicesMenu.strings"))
        for i, info in enumerate(infos or [None]):
            pairs.append((info.read_bytes() if info else b"",
                          strings[i % len(strings)].read_bytes() if strings else b""))
    return pairs


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    pairs = sample_pairs(pathlib.Path(sys.argv[2]))
    if len(sys.argv) > 3 and pathlib.Path(sys.argv[3]).is_dir():
        pairs += real_pairs(pathlib.Path(sys.argv[3]))
    # One seed per pair, in the first bundle, and the same again as binary.
    for info, strings in pairs:
        write_seed(out, [info, strings])
        binary = as_binary(info)
        if binary:
            write_seed(out, [binary, strings])
    # Four pairs at a time fill every bundle, so folders and titles meet.
    for start in range(0, len(pairs), 4):
        write_seed(out, [part for pair in pairs[start:start + 4] for part in pair])


if __name__ == "__main__":
    main()
