#!/usr/bin/env python3
"""End-to-end tests of the plug-in module through the substitute host.

Only the module's binary interface is used: the host loads it, offers the
host functions and calls the callbacks, exactly as the mail client would.
Run once per preset: --platform linux (Sendwarden.so, native), win32 or
win64 (Sendwarden.dll, the host run under that leg's Wine).
"""
import os
import re
import shutil
import sys
import time

import harness

# As the mail client shows the plug-in's version: the VERSION file's text.
with open(os.path.join(os.path.dirname(__file__), "..", "..", "VERSION")) as f:
    SHOWN_VERSION = f.readline().strip()

GENERAL = ("なんか駄目です。。。\r\n送信先を見直すか、設定(Sendwarden.conf)を見直してください。")
HEAD = "許可されていないアドレス("
MIDDLE = ")があります。。。\r\n"
TAIL = "送信先を見直すか、設定(Sendwarden.conf)を見直してください。"
LOAD_FAILURE = ("プラグイン「Sendwarden」でエラーが発生しました。\r\n"
                "Becky!! とプラグインのバージョンを確認してください")
LOAD_CAPTION = "プラグインエラー"
HOST_FUNCTIONS = ["BKA_GetWindowHandles", "BKA_RegisterCommand", "BKA_MIMEHeader", "BKA_Free"]


def hexof(text):
    return text.encode("cp932").hex()


def notice(*addresses):
    return HEAD + "".join(a + "\n" for a in addresses) + MIDDLE + TAIL


class Runner(harness.Harness):
    def host(self, *args, variant=""):
        return self.run("sendwarden-host" + ("-without-" + variant if variant else ""), args)


def boxes(output):
    """(owner, style, caption hex, text hex) of every recorded box."""
    return re.findall(r"^box owner=(\S+) style=(0x[0-9a-f]+) caption=([0-9a-f]*) text=([0-9a-f]*)$",
                      output, re.M)


def null_owner(owner):
    """A printed null pointer: "(nil)" on Linux, zeros of either width on Windows."""
    return owner == "(nil)" or int(owner, 16) == 0


def no_leak(output):
    return "host texts outstanding 0, unknown frees 0" in output


def run(r, args):
    r.examples = args.examples
    r.module_name = "Sendwarden.dll" if r.windows else "Sendwarden.so"
    conf = r.write("rules.conf", "ALL=@example\\.co\\.jp>?$\n[(^|<)sales@example\\.co\\.jp>?$]\n"
                                 "TO=@partner\\.example\\.com>?$\n")
    allowed = r.write("allowed.eml", "From: sales@example.co.jp\nTo: a@example.co.jp, "
                                     "b@partner.example.com\n\nbody\n")
    refused = r.write("refused.eml", "From: sales@example.co.jp\nTo: a@example.co.jp, "
                                     "x@rival.example.org\n\n")
    escape = r.write("escape.eml", "From: sales@example.co.jp\nTo: a@example.co.jp, bad\\q\n\n")

    # Loading with every host function: no box.
    code, out, _ = r.host("--record", "--info")
    r.check("load with all four host functions shows no box", code == 0 and not boxes(out), out)

    # Plug-in information at its fixed offsets.
    fields = dict(re.findall(r"^info (\d+) ([0-9a-f]*)\s", out, re.M))
    r.check("plug-in info fields at 0/80/160/240",
            fields.get("0") == hexof("Sendwarden") and fields.get("160") == hexof(SHOWN_VERSION)
            and fields.get("240") == hexof("設定した宛先へのみ送信を許可する")
            and fields.get("80", "") != "" and "not terminated" not in out, out)

    # A host that lacks any one function: one load-failure box, load refused.
    for missing in HOST_FUNCTIONS:
        code, out, _ = r.host("--record", "--conf", conf, allowed, variant=missing)
        found = boxes(out)
        r.check("host without %s: one load-failure box, load refused" % missing,
                code == 3 and len(found) == 1 and null_owner(found[0][0])
                and found[0][1] == "0x10" and found[0][2] == hexof(LOAD_CAPTION)
                and found[0][3] == hexof(LOAD_FAILURE) and "start" not in out
                and (not r.windows or "error 1114" in out), out)

    # Allow and refuse under a real configuration, with the notice's bytes and owner.
    code, out, _ = r.host("--record", "--conf", conf, allowed, refused)
    found = boxes(out)
    r.check("allowed then refused: verdicts and exit status",
            code == 1 and re.search(r"allowed\.eml: send \(0\)", out)
            and re.search(r"refused\.eml: refused \(-1\)", out), out)
    r.check("the notice names the refused address with the exact bytes and an owner",
            len(found) == 1 and found[0][3] == hexof(notice("x@rival.example.org"))
            and found[0][2] == hexof("Sendwarden") and found[0][1] == "0x0"
            and not null_owner(found[0][0]), out)
    r.check("every host text freed exactly once", no_leak(out), out)

    # A configuration saved between two sends judges the second one.
    wider = r.write("wider.conf", "ALL=.\n")
    code, out, _ = r.host("--record", "--conf", conf, "--then-conf", wider, refused, refused)
    r.check("configuration rewritten between two sends",
            len(re.findall(r"refused\.eml: refused", out)) == 1
            and len(re.findall(r"refused\.eml: send", out)) == 1, out)

    # A malformed escape refuses with one general box and leaks nothing.
    code, out, _ = r.host("--record", "--conf", conf, escape)
    found = boxes(out)
    r.check("malformed address escape: refused, one general box, no leaked text",
            code == 1 and len(found) == 1 and found[0][3] == hexof(GENERAL) and no_leak(out), out)

    # No configuration beside the module: every send refused with the general text.
    lonely = os.path.join(r.scratch, "lonely")
    os.makedirs(lonely)
    shutil.copy(os.path.join(r.build, r.module_name), lonely)
    code, out, _ = r.host("--record", "--module", os.path.join(lonely, r.module_name), allowed)
    found = boxes(out)
    r.check("missing configuration refuses every send",
            code == 1 and len(found) == 1 and found[0][3] == hexof(GENERAL), out)

    # Sendwarden.x.dll reads Sendwarden.x.conf, not Sendwarden.conf.
    dotted = os.path.join(r.scratch, "dotted.folder")
    stem = "Sendwarden.x"
    extension = os.path.splitext(r.module_name)[1]
    r.write(os.path.join(dotted, stem + ".conf"), b"ALL=.\r\n")
    r.write(os.path.join(dotted, "Sendwarden.conf"), b"ALL=^nothing$\r\n")
    shutil.copy(os.path.join(r.build, r.module_name), os.path.join(dotted, stem + extension))
    code, out, _ = r.host("--record", "--module", os.path.join(dotted, stem + extension), refused)
    r.check("a module named Sendwarden.x reads Sendwarden.x.conf", code == 0 and not boxes(out), out)

    # An extension-less module in a folder with a dot keeps its configuration
    # in its own folder (Linux only: Windows modules always have an extension).
    if r.platform == "linux":
        bare = os.path.join(dotted, "Sendwarden")
        shutil.copy(os.path.join(r.build, r.module_name), bare)
        r.write(bare + ".conf", b"ALL=.\r\n")
        code, out, _ = r.host("--record", "--module", bare, refused)
        r.check("module without extension reads <name>.conf beside it",
                code == 0 and not boxes(out), out)

        # A module path far longer than 1,024 bytes still finds its file.
        deep = os.path.join(r.scratch, *(["d" * 200] * 6))
        r.write(os.path.join(deep, "Sendwarden.conf"), b"ALL=.\r\n")
        shutil.copy(os.path.join(r.build, r.module_name), deep)
        code, out, _ = r.host("--record", "--module", os.path.join(deep, r.module_name), refused)
        r.check("module path over 1,024 bytes", code == 0 and not boxes(out), out)

        # Encoded words are decoded by the host before the check.
        code, out, _ = r.host("--record", "--conf", os.path.join(r.examples, "Sendwarden.conf"),
                              os.path.join(r.examples, "japanese-names.eml"))
        found = boxes(out)
        r.check("Japanese display names decoded into the notice",
                code == 1 and len(found) == 1
                and found[0][3] == hexof(notice("佐藤 三郎 <sato@unknown.example.org>")), out)

    # Usage errors and unreadable message files send nothing.
    code, out, err = r.host("--conf", conf, allowed, os.path.join(r.scratch, "absent.eml"))
    r.check("unreadable message file: exit 2, named, nothing sent",
            code == 2 and "absent.eml" in err and "start" not in out, out + err)
    code, out, err = r.host("--bogus")
    r.check("unknown option: exit 2", code == 2 and "usage" in err, err)

    # The code page as a number or with its CP prefix; anything else is refused.
    for value in ("932", "cp932"):
        code, out, _ = r.host("--record", "--codepage", value, "--conf", conf, refused)
        found = boxes(out)
        r.check("--codepage %s is code page 932" % value,
                code == 1 and len(found) == 1
                and found[0][3] == hexof(notice("x@rival.example.org")), out)
    for value in ("CP", "9x2", "CP-932", "shift_jis", ""):
        code, out, err = r.host("--codepage", value, "--conf", conf, refused)
        r.check("--codepage %r is refused with exit 2" % value,
                code == 2 and "code page" in err and "start" not in out, out + err)

    # The fast check never refuses what the patterns allow: syntax the literal
    # prefilter does not model is always tested with the engine.
    for pattern, to in (("\\<example\\.com$", "user@example.com"),
                        ("(?<=x)@1$", "x@1"),
                        ("(?i)EXAMPLE\\.com$", "a@example.com"),
                        ("\\Qa.b\\E@x", "a.b@x")):
        conf_p = r.write("prefilter.conf", "ALL=%s\n" % pattern)
        message = r.write("prefilter.eml", "To: %s\n\n" % to)
        code, out, _ = r.host("--record", "--conf", conf_p, message)
        r.check("ALL=%s allows To: %s" % (pattern, to), code == 0 and not boxes(out), out)

    # A pattern whose search the engine may never end is not kept: the send
    # answers at once, and the line beside it still allows. (Kept, the first
    # send would never return.)
    frozen = r.write("freeze.conf", "ALL=(?!(*SKIP))x\nALL=@ok\\.test>?$\n")
    sends = [r.write("freeze-%d.eml" % i, "From: me@ok.test\nTo: %s\n\n" % to)
             for i, to in enumerate(("a@ok.test", "x@evil.test"))]
    started = time.monotonic()
    code, out, _ = r.host("--conf", frozen, *sends)
    answers = re.findall(r": (send|refused) \((-?\d+)\)$", out, re.M)
    r.check("a line the engine could loop on is dropped: the send answers at once",
            code == 1 and answers == [("send", "0"), ("refused", "-1")]
            and time.monotonic() - started < 60, out)

    # Two To lines are two lists: their addresses never merge into one.
    merge_conf = r.write("merge.conf", "ALL=@x\\.test>?$\n")
    merged = r.write("merged.eml", "To: evil@y.test\nTo: a@x.test\nCc: b@x.test\ncc: c@y.test\n\n")
    code, out, _ = r.host("--record", "--conf", merge_conf, merged)
    found = boxes(out)
    r.check("repeated To and Cc lines are checked address by address",
            code == 1 and len(found) == 1 and found[0][3] == hexof(GENERAL) and no_leak(out), out)
    merge_section = r.write("merge2.conf", "[^$]\nTO=@x\\.test>?$\nCC=@x\\.test>?$\n")
    code, out, _ = r.host("--record", "--conf", merge_section, merged)
    found = boxes(out)
    r.check("the notice names the address of the repeated line",
            code == 1 and len(found) == 1 and found[0][3] == hexof(notice("evil@y.test")), out)

    # No recipient goes unchecked: decoded text that hides or loses its
    # address, header forms, unbalanced quotes. Each is refused.
    unchecked = [
        ("ALL=@corp\\.test>?$", "To: =?us-ascii?q?boss@corp.test=0D?= <evil@bad.test>", GENERAL),
        ("ALL=@corp\\.test>?$", "To: =?us-ascii?q?boss@corp.test=0C?= <evil@bad.test>", GENERAL),
        ("ALL=^(.*<)?a@x\\.test>?$", "To: =?us-ascii?q?a@x.test=0D?= <evil@bad.test>", GENERAL),
        # A decoded carriage return would hide a second line from "^" and "$".
        ("[.]\nTO=^(.*<)?a@x\\.test>?$", "From: me\nTo: =?us-ascii?q?Boss=0D?= <evil@bad.test>",
         GENERAL),
        # More than one address in a piece, by some other program's reading.
        ("ALL=@x\\.test>?$", "To: evil@bad.test x@x.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: evil@bad.test; x@x.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: <evil@bad.test> x@x.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: evil@bad.test\\,x@x.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: evil@bad.test <x@x.test>", GENERAL),
        ("ALL=@x\\.test>?$", "To: evil@bad.test =?us-ascii?q?=3Cx@x.test=3E?=", GENERAL),
        ("ALL=@x\\.test>?$", "Bcc: evil@bad.test\rCc: y@x.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: \"Sato\nTo: evil@bad.test, x@x.test\"", GENERAL),
        ("ALL=@x\\.test>?$", "Resent-To: evil@bad.test", GENERAL),
        # A field whose value starts on a folded line keeps it: never To's.
        ("ALL=@x\\.test>?$", "To: evil@bad.test\nReferences:\n <20240101.ABCD@x.test>", GENERAL),
        ("ALL=@x\\.test>?$", "To: evil@bad.test\nSubject:x\n <a@x.test>", GENERAL),
        ("ALL=@x\\.test>?$", "To: a@x.test\nReferences:\n <id@x.test>\nCc: b@x.test\nIn-Reply-To:\n"
                               " <evil@bad.test>", None),
        ("ALL=^nothing$", "To: =?us-ascii?q?=00?= <evil@bad.test>", GENERAL),
        ("ALL=^(.*<)?a@x\\.test>?$", "To: =?us-ascii?q?a@x.test=00?= <evil@bad.test>", GENERAL),
        ("ALL=@x\\.test>?$", "To:\n evil@bad.test", GENERAL),
        ("ALL=@x\\.test>?$", "To: \n\tevil@bad.test", GENERAL),
        ("ALL=@x\\.test>?$", "To:evil@bad.test", GENERAL),
        ("ALL=@x\\.test>?$", "To : evil@bad.test", GENERAL),
        ("ALL=@x\\.test>?$", "Cc: a@x.test\ncc :evil@bad.test", GENERAL),
        ("ALL=@x\\.test>?$", 'To: evil@bad.test (O"Brien), a@x.test', GENERAL),
        # Each line of a repeated field is read on its own: a quote opened on
        # one line does not hide the next line's address.
        ("ALL=@x\\.test>?$", 'To: "x\nTo: <evil@bad.test>, y" <a@x.test>', GENERAL),
        ("ALL=@x\\.test>?$", 'To: "x\nResent-To: <evil@bad.test>, y" <a@x.test>', GENERAL),
        ("ALL=@x\\.test>?$", 'Bcc: "x\nBcc: <evil@bad.test>, y" <a@x.test>', GENERAL),
        ("ALL=@x\\.test>?$", 'To:\nTo: "x\nTo: <evil@bad.test>, y" <a@x.test>', GENERAL),
        # A second From in any shape; a group that names nobody but shows an
        # address; a control byte in a quote; a lead byte without its pair.
        ("[(^|<)boss@x\\.test>?$]\nALL=.", "From:intern@x.test\nFrom: boss@x.test\nTo: e@bad.test",
         GENERAL),
        ("ALL=@x\\.test>?$", 'To: g:(") ;, (<evil@bad.test> ") , <a@x.test>', GENERAL),
        ("ALL=@x\\.test>?$", "To: =?utf-8?q?=3Cevil=40bad.test=3E?=:;, a@x.test", GENERAL),
        ("ALL=@x\\.test>?$", 'To: "\x1b$B$"(!\x1b(B))" <evil@bad.test>, y" <a@x.test>', GENERAL),
    ]
    for rules, header, expected in unchecked:
        conf_u = r.write("unchecked.conf", rules + "\n")
        message = r.write("unchecked.eml", header + "\nSubject: x\n\nbody\n")
        code, out, _ = r.host("--record", "--conf", conf_u, message)
        found = boxes(out)
        shown = header.replace("\n", "\\n").replace("\r", "\\r")
        if expected is None:
            # Fields that are no address fields keep their folded lines.
            r.check("sent: %s under %s" % (shown, rules), code == 0 and not found, out)
            continue
        r.check("refused: %s under %s" % (shown, rules.replace("\n", " ")),
                code == 1 and len(found) == 1 and found[0][3] == hexof(expected) and no_leak(out),
                out)
    # A configuration mistake narrows what is allowed, never widens it. Each
    # damaged file refuses the message that the mistake would have let out,
    # and still sends what the file meant to allow.
    allowed = r.write("ok.eml", "From: intern@example.co.jp\nTo: a@example.co.jp\n\n")
    widening = r.write("partner.eml", "From: intern@example.co.jp\nTo: p@partner.example.com\n\n")
    by_sales = r.write("by-sales.eml", "From: sales@example.co.jp\nTo: p@partner.example.com\n\n")
    suffix = r.write("suffix.eml", "From: intern@example.co.jp\nTo: x@example.co.jp.evil.test\n\n")
    header = b"[(^|<)sales@example\\.co\\.jp>?$]"
    partner = b"TO=@partner\\.example\\.com>?$\r\n"
    default = b"ALL=@example\\.co\\.jp>?$\r\n"
    damaged = [
        ("byte-order mark before the first header",
         b"\xEF\xBB\xBF" + header + b"\r\n" + partner, widening, by_sales),
        ("blanks around the brackets", default + b" \t" + header + b" \r\n" + partner, widening,
         allowed),
        ("a header without its ]", default + header[:-1] + b"\r\n" + partner, widening, allowed),
        ("a header with text after the ]", default + header + b" sales\r\n" + partner, widening,
         allowed),
        ("0x1A inside a pattern", b"ALL=@example\\.co\\.jp\x1A>?$\r\n", suffix, allowed),
    ]
    for name, conf_bytes, refused, allowed in damaged:
        code, out, _ = r.host("--record", "--conf", r.write("damaged.conf", conf_bytes), refused,
                              allowed)
        verdicts = re.findall(r"^\S+: (send|refused) \((-?\d)\)$", out, re.M)
        if name.startswith("0x1A"):
            # The only pattern is cut, so nothing is allowed at all.
            ok = verdicts == [("refused", "-1"), ("refused", "-1")]
        else:
            ok = verdicts == [("refused", "-1"), ("send", "0")]
        r.check("damaged configuration (%s): the widening message refused" % name,
                code == 1 and ok and no_leak(out), out)

    # Without line separators nothing changes: the same forms, written plainly, pass.
    plain = r.write("plain.eml", "To: =?us-ascii?q?Boss?= <a@x.test>\nCc:a@x.test\n\n")
    code, out, _ = r.host("--record", "--conf", r.write("plain.conf", "ALL=^(.*<)?a@x\\.test>?$\n"),
                          plain)
    r.check("a decoded display name and a Cc without a blank still pass",
            code == 0 and not boxes(out), out)

    # The example messages, as make demo shows them.
    examples = [os.path.join(r.examples, n) for n in
                ("allowed.eml", "refused-by-section.eml", "refused-general.eml")]
    code, out, _ = r.host("--record", "--conf", os.path.join(r.examples, "Sendwarden.conf"),
                          *examples)
    found = boxes(out)
    r.check("example messages: one sent, two refused with the expected notices",
            code == 1 and len(found) == 2
            and found[0][3] == hexof(notice("rival@competitor.example.org"))
            and found[1][3] == hexof(GENERAL) and no_leak(out), out)


if __name__ == "__main__":
    sys.exit(harness.main(run, kind=Runner))
