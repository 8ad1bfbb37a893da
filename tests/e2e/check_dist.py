#!/usr/bin/env python3
"""Reads the zip users install and fails when something they need is missing
or not as they need it: the i686 DLL, the tester and its double-click check
(code page 932, CR LF), the sample configuration, the guide.

  check_dist.py ZIP SOURCE"""
import os
import struct
import sys
import zipfile


def main():
    path, source = sys.argv[1], sys.argv[2]
    problems = []

    def expect(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            problems.append(what)

    archive = zipfile.ZipFile(path)
    files = {os.path.basename(n): archive.read(n) for n in archive.namelist() if not n.endswith("/")}
    for name in ("Sendwarden.dll", "sendwarden-check.exe", "Sendwarden.conf", "check-config.bat",
                 "Sendwarden-guide-ja.md", "Sendwarden-guide-ja.html"):
        expect(name in files, "the zip holds " + name)
    page = files.get("Sendwarden-guide-ja.html", b"").decode("utf-8", "replace")
    expect('<meta charset="utf-8">' in page and "<h2>" in page and "<table>" in page
           and "設定ファイルの書き方" in page, "the HTML guide is the guide, with its tables")
    expect(all(tag not in page for tag in ("<script", "<link", "src=\"http", "url(")),
           "the HTML guide needs no other file")
    dll = files.get("Sendwarden.dll", b"")
    if len(dll) > 0x40:
        pe = struct.unpack_from("<I", dll, 0x3C)[0]
        expect(struct.unpack_from("<H", dll, pe + 4)[0] == 0x14C, "the DLL is for i386")
    bat = files.get("check-config.bat", b"")
    with open(os.path.join(source, "resources", "check-config.bat"), "rb") as f:
        expect(bat == f.read(), "check-config.bat is the one tested")
    expect(b"\r\n" in bat and b"\n" not in bat.replace(b"\r\n", b""), "check-config.bat ends lines in CR LF")
    try:
        expect("設定ファイル" in bat.decode("cp932"), "check-config.bat is code page 932 text")
    except UnicodeDecodeError:
        expect(False, "check-config.bat is code page 932 text")
    expect(b"sendwarden-check.exe lint --lang ja Sendwarden.conf" in bat,
           "check-config.bat lints the Sendwarden.conf beside it, in Japanese")
    print("dist check: %d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
