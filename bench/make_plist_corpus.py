#!/usr/bin/env python3
"""Writes Info.plist-like property lists for the benchmarks.

make_plist_corpus.py DIR [COUNT]: writes COUNT (default 2000) files into
DIR/xml and the same values in binary form into DIR/binary. The content is
random but the same on every run.
"""
import datetime
import os
import plistlib
import random
import sys

WORDS = ("Text Edit Open Preview Mail Send Selection Document Image Convert Archive "
         "Search Note Terminal Folder Clip Compress Share Export Import Word Rich "
         "Plain Markdown Source Code Project Library Web Page Link Photo Music").split()
TYPES = ["NSStringPboardType", "NSFilenamesPboardType", "NSRTFPboardType", "public.utf8-plain-text",
         "public.plain-text", "public.rtf", "public.html", "public.url", "public.file-url", "public.image"]


def words(rng, low, high):
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(low, high)))


def identifier(rng):
    return "com.%s.%s" % (rng.choice(WORDS).lower(), "".join(rng.choice(WORDS) for _ in range(2)))


def service(rng, app):
    entry = {
        "NSMenuItem": {"default": "%s/%s" % (app, words(rng, 1, 4))},
        "NSMessage": rng.choice(WORDS).lower() + rng.choice(WORDS) + "Service",
        "NSPortName": app,
        "NSSendTypes": rng.sample(TYPES, rng.randint(1, 4)),
    }
    if rng.random() < 0.5:
        entry["NSReturnTypes"] = rng.sample(TYPES, rng.randint(1, 3))
    if rng.random() < 0.4:
        entry["NSKeyEquivalent"] = {"default": rng.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ")}
    if rng.random() < 0.3:
        entry["NSTimeout"] = str(rng.choice([3000, 10000, 30000]))
    return entry


def document_type(rng):
    extensions = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 5)))
                  for _ in range(rng.randint(1, 4))]
    return {
        "CFBundleTypeExtensions": extensions,
        "CFBundleTypeIconFile": rng.choice(WORDS) + ".icns",
        "CFBundleTypeName": words(rng, 1, 3) + " Document",
        "CFBundleTypeRole": rng.choice(["Editor", "Viewer", "None"]),
        "LSItemContentTypes": [identifier(rng) for _ in range(rng.randint(1, 2))],
        "LSHandlerRank": rng.choice(["Owner", "Alternate", "Default"]),
    }


def info_plist(rng):
    app = "".join(rng.choice(WORDS) for _ in range(rng.randint(1, 2)))
    info = {
        "CFBundleDevelopmentRegion": "English",
        "CFBundleExecutable": app,
        "CFBundleIconFile": app + ".icns",
        "CFBundleIdentifier": identifier(rng),
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleName": app,
        "CFBundlePackageType": "APPL",
        "CFBundleShortVersionString": "%d.%d.%d" % (rng.randint(0, 9), rng.randint(0, 20), rng.randint(0, 9)),
        "CFBundleSignature": "????",
        "CFBundleVersion": str(rng.randint(1, 9999)),
        "LSMinimumSystemVersion": "10.%d" % rng.randint(4, 15),
        "NSHumanReadableCopyright": "Copyright \u00a9 %d %s. All rights reserved." % (rng.randint(2001, 2024), words(rng, 1, 2)),
        "NSMainNibFile": "MainMenu",
        "NSPrincipalClass": "NSApplication",
        "LSUIElement": rng.random() < 0.2,
        "NSServices": [service(rng, app) for _ in range(rng.randint(1, 6))],
    }
    if rng.random() < 0.7:
        info["CFBundleDocumentTypes"] = [document_type(rng) for _ in range(rng.randint(1, 12))]
    if rng.random() < 0.2:
        info["SUPublicDSAKeyFile"] = "dsa_pub.pem"
        info["SUScheduledCheckInterval"] = rng.choice([86400, 604800])
        info["SULastCheckTime"] = datetime.datetime(2020, 1, 1) + datetime.timedelta(seconds=rng.randint(0, 10**8))
    if rng.random() < 0.1:
        info["NSAppleScriptEnabled"] = True
        info["Ratio"] = rng.random()
        info["IconData"] = rng.randbytes(rng.randint(16, 600))
    return info


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    rng = random.Random(20070101)
    for kind in ("xml", "binary"):
        os.makedirs(os.path.join(folder, kind), exist_ok=True)
    for i in range(count):
        info = info_plist(rng)
        name = "Info-%04d.plist" % i
        with open(os.path.join(folder, "xml", name), "wb") as f:
            plistlib.dump(info, f, fmt=plistlib.FMT_XML, sort_keys=False)
        with open(os.path.join(folder, "binary", name), "wb") as f:
            plistlib.dump(info, f, fmt=plistlib.FMT_BINARY, sort_keys=False)


if __name__ == "__main__":
    main()
