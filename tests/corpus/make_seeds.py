#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora from the examples and a few hand-made
cases: folded headers, quotes, escapes, CP932 bytes. Run from anywhere; the
seeds are committed, so this only needs rerunning when they should change."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
EXAMPLES = os.path.join(ROOT, "examples")


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def example(name):
    with open(os.path.join(EXAMPLES, name), "rb") as f:
        return f.read()


messages = {name: example(name) for name in sorted(os.listdir(EXAMPLES)) if name.endswith(".eml")}
messages["folded.eml"] = (b"From: a@x\r\nTo: one@x,\r\n two@x,\r\n\tthree@x\r\nTo: again@x\r\n"
                          b"Cc:   \r\n more\r\nX:Y: z\r\n\r\nbody\r\n")
messages["quotes.eml"] = b'From: "Me, Myself" <me@x>\nTo: "Doe, John" <j@x>, "unclosed, <u@x>\n\n'
messages["escapes.eml"] = b"From: me\nTo: a\\,b@x, c\\nd@x, bad\\q@x, end\\\n\n"
messages["cp932.eml"] = ("From: 営業 <sales@example.co.jp>\nTo: 表 <hyo@x>, ソフト <soft@x>\n\n"
                         .encode("cp932"))
# Address fields in every form a mail program writes, and decoded texts that
# hide or lose their address.
messages["address-forms.eml"] = (b"To:\r\n evil@bad.test\r\nCc: \r\n\tc@x.test\r\nBcc:b@x.test\r\n"
                                 b"To : t@x.test\r\ncc :d@x.test\r\n\r\n")
messages["dropped-folds.eml"] = (b"To: evil@bad.test\r\nReferences:\r\n <id@x.test>\r\nSubject:x\r\n"
                                 b" <a@x.test>\r\nResent-To: r@bad.test\r\n\r\n")
messages["decoded-shapes.eml"] = (b"From: =?us-ascii?q?boss@corp.test=0D?= <me@x>\n"
                                  b"To: =?us-ascii?q?boss@corp.test=0D?= <evil@bad.test>,"
                                  b" =?us-ascii?q?=00?= <evil@bad.test>\n"
                                  b"Cc: =?us-ascii?q?a@x.test=00?= <evil@bad.test>, x (O\"Brien)\n\n")
configs = {
    "example.conf": example("Sendwarden.conf"),
    "docs.conf": (b"#every sender\nALL = [.]test$\nbcc=^archive-\n\n[^ops-]\nTO=^oncall-\n"
                  b"Cc = ^lead=team$\nNOTE=ignored\n\n[^nobody$]\n\n[^sales-]\nto=^customer-\n"),
    "edges.conf": (b"\xef\xbb\xbf[bom]\r\n [x]\n[ y ]\r\r\nALL=(\n[(]\nTO=a\x00b\n"
                   b"TO==x\nCC=a\x1aBCC=b\n"),
    "cp932.conf": "[^営業]\nTO=表@x$\n".encode("cp932"),
    "anchors.conf": (b"ALL=@corp\\.test>?$\nALL=^(.*<)?a@x\\.test>?$\n[^(.*<)?me@x>?$]\n"
                     b"TO=@x\\.test>?$\n[^boss@corp\\.test$] # boss only\nTO=.*\n"),
}

for name, data in messages.items():
    write("header_block_fuzz", name, data)
for name, value in [("list", b'a@x, "B, b" <b@x>,, c\\,d'), ("escape", b"a\\q"),
                    ("end", b"a\\"), ("cp932", "表, ソ".encode("cp932")),
                    ("quote", b'"never closed, x')]:
    write("address_list_fuzz", name, value)
# The address grammar's forms, and those another program reads differently
# from the comma splitter.
for name, value in [
        ("ordinary", b'"Doe, John" <j@x.test>, Name (comment) <a@x.test>, b@x.test,, <c@x.test>'),
        ("groups", b"undisclosed-recipients:;, Team: a@x.test, \"B\" <b@x.test>;, Empty (c):;"),
        ("obsolete", b"<@relay.test,@r2.test:a@x.test>, John Q. Public <a . b @ x.test>, a@[192.0.2.1]"),
        ("quote-in-comment", b'Evil (") <evil@bad.test>, Boss (") <x@x.test>'),
        ("brackets", b'<evil@bad.test)@x.test>, <evil@bad.test"@x.test">, <evil@bad.test> "@x.test"'),
        ("nested", b'a (b (c, \\) "d) <e@x.test>, "q\\"uote, <f@y>" <g@x.test>'),
        ("encoded", b"=?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <a@x.test>, =?utf-8?q?a=2C_b?= <b@x.test>"),
        ("cp932", "表 <hyo@x.test>, \"ソフト\" <soft@x.test>".encode("cp932"))]:
    write("address_reader_fuzz", name, value)
for name, data in configs.items():
    write("config_loader_fuzz", name, data)
for conf_name, conf in configs.items():
    for message_name, message in messages.items():
        write("send_fuzz", conf_name[:-5] + "-" + message_name[:-4], conf + b"\0" + message)
