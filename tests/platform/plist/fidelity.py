#!/usr/bin/env python3
"""Property lists of every kind, written and checked by Python's plistlib.

    fidelity.py generate DIR   writes NAME.xml and NAME.bplist for every case
    fidelity.py verify DIR     reads every NAME.FORMAT.ours.{xml,bplist} the
                               other side wrote, compares it value by value with
                               the case and prints one line per mismatch, then
                               "VERDICT: PASS n" or "VERDICT: FAIL n"

Dates pass through XML at whole seconds, so a copy that went through XML
anywhere is compared at second precision; everything else must be exact, key
order included where our copy is binary (XML lists keys sorted).
"""

import datetime
import math
import os
import plistlib
import random
import sys


def cases():
    rng = random.Random(20011)
    ints = [0, 1, -1, 127, 128, 255, 256, 32767, 32768, 65535, 65536,
            2**31 - 1, 2**31, -2**31, 2**32 - 1, 2**32, 2**53 + 1,
            2**63 - 1, -2**63, -2**63 + 1, 2**63, 2**64 - 1]
    reals = [0.0, -0.0, 1.5, -2.25, 0.1, 1 / 3, 1e-300, 5e-324, 2.2250738585072014e-308,
             1.7976931348623157e308, -1.7976931348623157e308, 123456789.125, 1e22]
    dates = [datetime.datetime(2001, 1, 1), datetime.datetime(1970, 1, 1),
             datetime.datetime(2038, 1, 19, 3, 14, 8), datetime.datetime(1901, 12, 13, 20, 45, 52),
             datetime.datetime(1600, 2, 29, 12, 0, 0), datetime.datetime(4000, 12, 31, 23, 59, 59),
             datetime.datetime(2024, 2, 29, 23, 59, 59, 500000),
             datetime.datetime(2000, 12, 31, 23, 59, 59, 999999)]
    strings = ["", "a", "plain ASCII", "x" * 15, "y" * 300, "é", "Ünïcödé ünd ß",
               "🔗 Make Symbolic Link", "⤴︎➟🔗⤵︎", "𝄞 music 𝄞", "日本語のテキスト",
               "<&>\"' and ]]>", "line\nbreak\tand tab", "  leading and trailing  ",
               "\u200b zero width", "byte-order mark \ufeff inside", "NSMenuItem"]
    data = [b"", b"\x00", b"\x00\xff\x10\x80", bytes(rng.randrange(256) for _ in range(1000)),
            b"book" + bytes(60)]
    nested = {"level": 0}
    node = nested
    for depth in range(1, 60):
        child = {"level": depth, "items": [depth, str(depth)]}
        node["child"] = [child] if depth % 2 else child
        node = child
    big = {"key %03d" % i: i for i in range(200)}
    unicode_keys = {"clé": 1, "🔗": 2, "": 3, "日本": [True], "a\nb": False, "NSMenuItem": {"default": "x"}}
    shared = ["repeated"] * 50 + [{"k": "repeated"}] * 5 + [7] * 20
    service = {
        "CFBundleIdentifier": "com.example.lingo",
        "NSServices": [{
            "NSMenuItem": {"default": "Lingo/Look Up “%@”"},
            "NSKeyEquivalent": {"default": "L"},
            "NSMessage": "lookUp", "NSPortName": "Lingo",
            "NSSendTypes": ["NSStringPboardType", "public.utf8-plain-text"],
            "NSTimeout": 30000, "NSRequiredContext": {},
            "Quillfen.Velmora.Disabled": True,
        }],
    }
    return {
        "integers": ints,
        "integers-in-dict": {str(i): i for i in ints},
        "reals": reals,
        "non-finite-reals": [math.inf, -math.inf, math.nan],
        "dates": dates,
        "strings": strings,
        "data": data,
        "booleans": [True, False, {"t": True, "f": False}],
        "nested": nested,
        "big-dictionary": big,
        "unicode-keys": unicode_keys,
        "shared-values": shared,
        "empty-containers": {"a": [], "d": {}, "aa": [[]], "dd": {"e": {}}},
        "top-level-array": [1, "two", 3.0, [4], {"five": 5}],
        "service-entry": service,
        "mixed": {"i": -42, "r": -0.5, "s": "s", "b": True, "d": b"\x01",
                  "t": datetime.datetime(2010, 6, 7, 8, 9, 10), "a": [2**64 - 1, -2**63]},
    }


def same(a, b, xml_dates, ordered, path="$"):
    """None when equal, else a description of the first difference."""
    if isinstance(a, bool) or isinstance(b, bool):
        return None if type(a) is type(b) and a == b else f"{path}: {a!r} != {b!r}"
    if isinstance(a, int):
        return None if type(b) is int and a == b else f"{path}: {a!r} != {b!r}"
    if isinstance(a, float):
        if type(b) is not float:
            return f"{path}: {a!r} != {b!r}"
        if math.isnan(a) and math.isnan(b):
            return None
        if a == b and math.copysign(1, a) == math.copysign(1, b):
            return None
        return f"{path}: {a!r} != {b!r}"
    if isinstance(a, (str, bytes)):
        return None if type(b) is type(a) and a == b else f"{path}: {a!r} != {b!r}"
    if isinstance(a, datetime.datetime):
        if type(b) is not datetime.datetime:
            return f"{path}: {a!r} != {b!r}"
        if xml_dates:
            a, b = a.replace(microsecond=0), b.replace(microsecond=0)
        return None if a == b else f"{path}: {a!r} != {b!r}"
    if isinstance(a, list):
        if type(b) is not list or len(a) != len(b):
            return f"{path}: list of {len(a)} != {type(b).__name__}"
        for i, (x, y) in enumerate(zip(a, b)):
            d = same(x, y, xml_dates, ordered, f"{path}[{i}]")
            if d:
                return d
        return None
    if isinstance(a, dict):
        if type(b) is not dict or set(a) != set(b):
            return f"{path}: keys differ"
        if ordered and list(a) != list(b):
            return f"{path}: key order differs"
        for k in a:
            d = same(a[k], b[k], xml_dates, ordered, f"{path}[{k!r}]")
            if d:
                return d
        return None
    return f"{path}: unexpected {type(a).__name__}"


def generate(folder):
    for name, value in cases().items():
        for suffix, fmt in (("xml", plistlib.FMT_XML), ("bplist", plistlib.FMT_BINARY)):
            with open(os.path.join(folder, f"{name}.{suffix}"), "wb") as f:
                plistlib.dump(value, f, fmt=fmt, sort_keys=False)


def verify(folder):
    failures = checked = 0
    for name in cases():
        for source in ("xml", "bplist"):
            # What plistlib itself reads from its file is the reference: its
            # binary writer shares equal values, which merges -0.0 into 0.0.
            with open(os.path.join(folder, f"{name}.{source}"), "rb") as f:
                value = plistlib.load(f)
            for ours in ("xml", "bplist"):
                path = os.path.join(folder, f"{name}.{source}.ours.{ours}")
                checked += 1
                try:
                    with open(path, "rb") as f:
                        back = plistlib.load(f)
                except Exception as e:  # missing or unreadable output is a failure too
                    print(f"MISMATCH {name}.{source}.ours.{ours}: cannot read: {e}")
                    failures += 1
                    continue
                # Our XML lists keys sorted, as the Mac writes them.
                diff = same(value, back, xml_dates="xml" in (source, ours), ordered=ours == "bplist")
                if diff:
                    print(f"MISMATCH {name}.{source}.ours.{ours}: {diff}")
                    failures += 1
    print(f"VERDICT: {'FAIL' if failures else 'PASS'} {checked - failures}/{checked}")
    return failures == 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("generate", "verify"):
        sys.exit(__doc__)
    if sys.argv[1] == "generate":
        generate(sys.argv[2])
    else:
        sys.exit(0 if verify(sys.argv[2]) else 1)
