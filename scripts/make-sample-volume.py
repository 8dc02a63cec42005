#!/usr/bin/env python3
"""Writes the sample Mac volume shipped in examples/.

The volume is a small but realistic Mac disk: applications and service
bundles in every place discovery looks, services in shared submenus,
translations, a binary Info.plist, providers already edited by Velmora (also
in the older "Quillfen.Korvane." form), and the odd cases discovery must skip.
Run it from anywhere: python3 scripts/make-sample-volume.py [TARGET]
"""
import os
import plistlib
import shutil
import struct
import sys
import zlib

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples")
USER = "jane"
HOME = f"Users/{USER}"


def path(*parts):
    p = os.path.join(ROOT, *parts)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    return p


def service(title=None, port=None, message="doService", key=None, send=("NSStringPboardType",), extra=None):
    entry = {}
    if title is not None:
        entry["NSMenuItem"] = {"default": title}
    if key is not None:
        entry["NSKeyEquivalent"] = {"default": key}
    if port is not None:
        entry["NSPortName"] = port
    if message is not None:
        entry["NSMessage"] = message
    if send:
        entry["NSSendTypes"] = list(send)
    entry.update(extra or {})
    return entry


def info(identifier, name, services=None, extra=None):
    d = {
        "CFBundleDevelopmentRegion": "English",
        "CFBundleExecutable": name,
        "CFBundleIdentifier": identifier,
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleName": name,
        "CFBundlePackageType": "APPL",
        "CFBundleShortVersionString": "1.0",
        "CFBundleVersion": "1",
    }
    if services is not None:
        d["NSServices"] = services
    d.update(extra or {})
    return d


def bundle(rel, plist, fmt=plistlib.FMT_XML, info_name="Info.plist"):
    with open(path(rel, "Contents", info_name), "wb") as f:
        plistlib.dump(plist, f, fmt=fmt, sort_keys=False)
    return rel


def strings(rel, lproj, pairs, encoding):
    body = "/* Services menu titles */\n" + "".join(f'"{k}" = "{v}";\n' for k, v in pairs.items())
    folder = ("Contents", "Resources") + ((lproj + ".lproj",) if lproj else ())
    with open(path(rel, *folder, "ServicesMenu.strings"), "wb") as f:
        if encoding == "utf-16":
            f.write(b"\xff\xfe" + body.encode("utf-16-le"))
        else:
            f.write(body.encode("utf-8"))


def png(width, height, rgba):
    raw = b"".join(b"\x00" + bytes(rgba) * width for _ in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def icon(rel, name, rgba):
    image = png(32, 32, rgba)
    element = b"ic11" + struct.pack(">I", 8 + len(image)) + image
    with open(path(rel, "Contents", "Resources", name), "wb") as f:
        f.write(b"icns" + struct.pack(">I", 8 + len(element)) + element)


def main():
    if os.path.isdir(ROOT):
        for item in os.listdir(ROOT):
            if item != "README.md":
                p = os.path.join(ROOT, item)
                shutil.rmtree(p) if os.path.isdir(p) and not os.path.islink(p) else os.remove(p)

    with open(path("System/Library/CoreServices/SystemVersion.plist"), "wb") as f:
        plistlib.dump({"ProductBuildVersion": "9L31a", "ProductName": "Mac OS X",
                       "ProductUserVisibleVersion": "10.5.8", "ProductVersion": "10.5.8"}, f)

    # Applications found through the application list.
    te = bundle("Applications/TextEdit.app", info("com.apple.TextEdit", "TextEdit", [
        service("TextEdit/New Window Containing Selection", "TextEdit", "openSelection"),
        service("TextEdit/Open Selected File", "TextEdit", "openFile", key="O"),
    ], {"CFBundleIconFile": "Edit.icns"}))
    icon(te, "Edit.icns", (40, 110, 220, 255))

    bundle("Applications/Mail.app", info("com.apple.mail", "Mail", [
        service("Mail/Send Selection", "Mail", "mailSelection", key="M"),
        service("Mail/Send File", "Mail", "mailDocument", send=("NSFilenamesPboardType",)),
        service("Mail/Send To", "Mail", "mailTo"),
    ]))

    # Shares the Mail submenu with Mail itself; its titles are translated by a
    # UTF-16 strings file in its Resources folder.
    pb = bundle("Applications/Postbox.app", info("com.postbox.Postbox", "Postbox", [
        service("Mail/Send with Postbox", "Postbox", "sendWithPostbox"),
        service("Postbox/Archive Text", "Postbox", "archiveText", key="a"),
    ], {"CFBundleIconFile": "Postbox.icns"}))
    strings(pb, None, {"Postbox/Archive Text": "Postbox/Archive Selected Text"}, "utf-16")
    icon(pb, "Postbox.icns", (230, 120, 30, 255))

    # Binary Info.plist.
    bundle("Applications/Skimmer.app", info("net.sourceforge.skimmer", "Skimmer", [
        service("Skimmer/Open PDF", "Skimmer", "openPDF", send=("NSFilenamesPboardType",)),
        service("Skimmer/Take Snapshot", "Skimmer", "snapshot", key="s"),
    ]), fmt=plistlib.FMT_BINARY)

    # Translated in a localisation folder (English.lproj), submenu names included.
    ln = bundle("Applications/Lingo.app", info("com.example.Lingo", "Lingo", [
        service("Lingo/Translate", "Lingo", "translate"),
        service("Lingo/Look Up", "Lingo", "lookUp", key="L"),
    ]))
    strings(ln, "English", {"Lingo/Translate": "Text/Translate with Lingo",
                            "Lingo/Look Up": "Lingo/Look Up in Dictionary"}, "utf-8")

    # Already edited by Velmora: stored-list mode with one disabled entry.
    edited_all = []
    for title, port, msg, disabled in [("Notes/New Note", "Notes", "newNote", False),
                                       ("Notes/Append to Note", "Notes", "appendNote", True)]:
        e = service(title, port, msg)
        e.update({"Quillfen.Velmora.IsDisabled": disabled,
                  "Quillfen.Velmora.WasDisabled": disabled,
                  "Quillfen.Velmora.OriginalMenuItemTitle": title,
                  "Quillfen.Velmora.PreviousMenuItemTitle": title,
                  "Quillfen.Velmora.OriginalKeyEquivalent": "",
                  "Quillfen.Velmora.PreviousKeyEquivalent": ""})
        edited_all.append(e)
    clean = [service("Notes/New Note", "Notes", "newNote")]
    bundle("Applications/Notes.app", info("com.example.Notes", "Notes", clean,
                                          {"Quillfen.Velmora.AllNSServices": edited_all}))

    # Edited by an older version: "Quillfen.Korvane." marks.
    old = service("Clipper/Clip Selection", "Clipper", "clip")
    old.update({"Quillfen.Korvane.IsDisabled": True, "Quillfen.Korvane.WasDisabled": True,
                "Quillfen.Korvane.ApplicationName": "Clipper"})
    bundle("Applications/Clipper.app", info("com.example.Clipper", "Clipper", [],
                                            {"Quillfen.Korvane.AllNSServices": [
                                                old, service("Clipper/Clip URL", "Clipper", "clipURL")]}))

    # Disabled the very old way.
    legacy = service(None, "Stickies", "makeStickie")
    legacy["NSMenuItem (Disabled)"] = {"default": "Make New Sticky Note"}
    bundle("Applications/Stickies.app", info("com.apple.Stickies", "Stickies", [
        legacy, service("Stickies/Paste as Note", "Stickies", "pasteNote", key="Y")]))

    # Untitled services: one with a message, one without.
    bundle("Applications/Grabber.app", info("com.example.Grabber", "Grabber", [
        service(None, "Grabber", "grabSelection"),
        service(None, None, None),
        service("Grabber/Capture Screen", "Grabber", "capture"),
    ]), info_name="info.plist")

    # No services at all; a bundle whose display name keeps a dot.
    bundle("Applications/Calculator.app", info("com.apple.calculator", "Calculator"))
    bundle("Applications/Tool 2.5.app", info("com.example.tool", "Tool 2.5", [
        service("Tool/Convert Units", "Tool", "convert")]))

    # Found by the recursive search below the application folders.
    bundle("Applications/Utilities/Terminal.app", info("com.apple.Terminal", "Terminal", [
        service("Terminal/Open Terminal Here", "Terminal", "openHere", key="T",
                send=("NSFilenamesPboardType",)),
    ]))
    bundle("Applications/Games/Chess.app", info("com.apple.Chess", "Chess", [
        service("Chess/Load Game", "Chess", "loadGame")]))
    bundle("Applications/Utilities/Print Center.app", info("com.apple.print.PrintCenter", "Print Center", [
        service("Print Center/Print Selection", "Print Center", "printSelection")]))
    bundle("System/Library/CoreServices/Finder.app", info("com.apple.finder", "Finder", [
        service("Finder/Open", "Finder", "openFiles", send=("NSFilenamesPboardType",)),
        service("Finder/Reveal", "Finder", "revealFiles", send=("NSFilenamesPboardType",)),
        service("Finder/Show Info", "Finder", "showInfo", key="i", send=("NSFilenamesPboardType",)),
    ]))
    bundle(f"{HOME}/Applications/Jotter.app", info("com.example.Jotter", "Jotter", [
        service("Jotter/Jot Down", "Jotter", "jot", key="J")]))

    # Service folders.
    bundle("System/Library/Services/Spotlight.service", info("com.apple.Spotlight", "Spotlight", [
        service("Spotlight", "Spotlight", "doSearch", key="F")]))
    sm = bundle("System/Library/Services/Summary Service.service", info("com.apple.Summarize", "Summary Service", [
        service("Summarize", "Summary Service", "summarize")]))
    strings(sm, "English", {"Summarize": "Summarize Text"}, "utf-16")
    bundle("Library/Services/WordCount.service", info("com.example.WordCount", "WordCount", [
        service("Text/Word Count", "WordCount", "countWords"),
        service("Text/Character Count", "WordCount", "countCharacters"),
    ]))
    bundle("Library/Services/Encoder.service", info("com.example.Encoder", "Encoder", [
        service("Text/Base64 Encode", "Encoder", "encode", key="e"),
        service("Text/Base64 Decode", "Encoder", "decode", key="E"),
    ]))
    bundle("Library/Services/NotAPackage/Plain", info("com.example.plain", "Plain", [
        service("Plain/Should Not Appear", "Plain", "nothing")]))
    shutil.move(path("Library/Services/NotAPackage/Plain/Contents"), path("Library/Services/NotAPackage/Contents"))
    os.rmdir(path("Library/Services/NotAPackage/Plain"))
    bundle(f"{HOME}/Documents/Linked.service", info("com.example.Linked", "Linked", [
        service("Linked/Only Through An Alias", "Linked", "linked")]))
    os.symlink(f"../../{HOME}/Documents/Linked.service", path("Library/Services/Linked Alias.service"))
    bundle(f"{HOME}/Library/Services/Reverser.service", info("com.example.Reverser", "Reverser", [
        service("Text/Reverse", "Reverser", "reverse")]))
    bundle(f"{HOME}/Library/Services/More/Hidden.service", info("com.example.Hidden", "Hidden", [
        service("Hidden/Too Deep", "Hidden", "hidden")]))

    # Places discovery leaves out.
    bundle(f"{HOME}/.Trash/Trashed.app", info("com.example.Trashed", "Trashed", [
        service("Trashed/Gone", "Trashed", "gone")]))
    bundle("Volumes/Backup/Applications/OldMail.app", info("com.apple.mail.old", "OldMail", [
        service("Mail/Send Selection (Backup)", "OldMail", "mailSelection")]))
    os.makedirs(path(f"{HOME}/Library/Preferences/x")[:-2], exist_ok=True)
    with open(path(f"{HOME}/Library/Preferences/.GlobalPreferences.plist"), "wb") as f:
        plistlib.dump({"AppleLanguages": ["en"]}, f)


if __name__ == "__main__":
    main()
