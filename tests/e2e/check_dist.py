#!/usr/bin/env python3
"""Reads the zip users install and fails when something they need is missing
or not as they need it: the i686 DLL, the tester and its double-click check
(code page 932, CR LF), the sample configuration, the guide and the page
for staff.

  check_dist.py ZIP SOURCE"""
import os
import struct
import sys
import zipfile

from harness import Checks


def main():
    path, source = sys.argv[1], sys.argv[2]
    checks = Checks()
    check = checks.check
    archive = zipfile.ZipFile(path)
    files = {os.path.basename(n): archive.read(n) for n in archive.namelist() if not n.endswith("/")}
    for name in ("Sendwarden.dll", "sendwarden-check.exe", "Sendwarden.conf", "check-config.bat",
                 "Sendwarden-guide-ja.md", "Sendwarden-guide-ja.html", "Sendwarden-staff-ja.md",
                 "Sendwarden-staff-ja.html", "notice.png"):
        check("the zip holds " + name, name in files)
    page = files.get("Sendwarden-guide-ja.html", b"").decode("utf-8", "replace")
    check("the HTML guide is the guide, with its tables", '<meta charset="utf-8">' in page
          and "<h2 " in page and "<table>" in page and "設定ファイルの書き方" in page)
    check("the HTML guide needs no other file",
          all(tag not in page for tag in ("<script", "<link", "src=\"http", "url(")))
    dll = files.get("Sendwarden.dll", b"")
    if len(dll) > 0x40:
        pe = struct.unpack_from("<I", dll, 0x3C)[0]
        check("the DLL is for i386", struct.unpack_from("<H", dll, pe + 4)[0] == 0x14C)
    bat = files.get("check-config.bat", b"")
    with open(os.path.join(source, "resources", "check-config.bat"), "rb") as f:
        check("check-config.bat is the one tested", bat == f.read())
    check("check-config.bat ends lines in CR LF",
          b"\r\n" in bat and b"\n" not in bat.replace(b"\r\n", b""))
    try:
        check("check-config.bat is code page 932 text", "設定ファイル" in bat.decode("cp932"))
    except UnicodeDecodeError:
        check("check-config.bat is code page 932 text", False)
    check("check-config.bat lints the Sendwarden.conf beside it, in Japanese",
          b"sendwarden-check.exe lint --lang ja Sendwarden.conf" in bat)
    return checks.summary()


if __name__ == "__main__":
    sys.exit(main())
