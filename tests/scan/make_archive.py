#!/usr/bin/env python3
"""Writes the small archive the scan's end-to-end test reads: an mbox and a
folder of messages with allowed and refused sends, encoded words in several
charsets, and broken input. The files are committed; rerun this only to
change them."""
import base64
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def b(text, charset):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(text.encode(charset)).decode())


def q(text, charset):
    return "=?%s?Q?%s?=" % (charset, "".join(
        c if c.isalnum() and ord(c) < 128 else "_" if c == " " else
        "".join("=%02X" % x for x in c.encode(charset)) for c in text))


def message(headers, body="body\r\n"):
    return "".join("%s: %s\r\n" % h for h in headers) + "\r\n" + body


messages = [
    # allowed by the default rule
    message([("From", "%s <sales@example.co.jp>" % b("営業 花子", "iso-2022-jp")),
             ("To", "%s <tanaka@example.co.jp>" % b("田中 太郎", "iso-2022-jp")),
             ("Date", "Tue, 1 Dec 2026 09:00:00 +0900"),
             ("Subject", b("見積もりの件", "iso-2022-jp"))]),
    # allowed by the sales section
    message([("From", "sales@example.co.jp"),
             ("To", "%s <yamada@partner.example.com>" % b("山田 次郎", "utf-8")),
             ("Cc", "boss@example.co.jp"),
             ("Date", "Tue, 1 Dec 2026 10:00:00 +0900"),
             ("Subject", q("Re: ご注文", "utf-8"))]),
    # refused: the section names the rival
    message([("From", "sales@example.co.jp"),
             ("To", "buyer@partner.example.com, %s <rival@competitor.example.org>"
              % b("競合 一郎", "shift_jis")),
             ("Date", "Wed, 2 Dec 2026 11:00:00 +0900"),
             ("Subject", b("価格表", "euc-jp"))]),
    # refused with the general notice: no section for this sender
    message([("From", "intern@example.co.jp"),
             ("To", "friend@freemail.example.net"),
             ("Date", "Wed, 2 Dec 2026 12:00:00 +0900"),
             ("Subject", q("café", "iso-8859-1"))],
            body="Hello,\r\nFrom the intern, a line no writer quoted\r\n>From here\r\n"),
    # refused: a quote inside a comment, which the splitter reads otherwise
    message([("From", "sales@example.co.jp"),
             ("To", 'evil@bad.test (O"Brien), tanaka@example.co.jp'),
             ("Date", "Thu, 3 Dec 2026 08:00:00 +0900"),
             ("Subject", "quote")]),
    # not a message at all
    "\x00\x01binary junk\r\n",
]
# Each message ends in an empty line, as an mbox writer puts it.
mbox = "".join("From sender@example.co.jp Tue Dec  1 09:00:00 2026\r\n" + m + "\r\n"
               for m in messages)
with open(os.path.join(HERE, "archive.mbox"), "wb") as out:
    out.write(mbox.encode("utf-8"))

folder = os.path.join(HERE, "folder")
os.makedirs(os.path.join(folder, "sub"), exist_ok=True)
with open(os.path.join(folder, "a-allowed.eml"), "wb") as out:
    out.write(messages[1].encode("utf-8"))
with open(os.path.join(folder, "sub", "b-refused.eml"), "wb") as out:
    out.write(messages[2].encode("utf-8"))
with open(os.path.join(folder, "c-junk.bin"), "wb") as out:
    out.write(bytes(range(256)))
with open(os.path.join(folder, "d-no-header.txt"), "wb") as out:
    out.write(b"just some text\r\nand more\r\n")

with open(os.path.join(HERE, "scan.conf"), "wb") as out:
    out.write(("# the company, and the archive\r\n"
               "ALL=@example\\.co\\.jp>?$\r\n"
               "BCC=^archive@example\\.co\\.jp$\r\n"
               "\r\n"
               "[(^|<)sales@example\\.co\\.jp>?$]\r\n"
               "TO=@partner\\.example\\.com>?$\r\n"
               "CC=@partner\\.example\\.com>?$\r\n"
               "\r\n"
               "[(^|<)accounting@example\\.co\\.jp>?$]\r\n"
               "TO=@bank\\.example\\.jp>?$\r\n").encode("cp932"))
