#!/usr/bin/env python3
"""sendwarden-check test must say what the plug-in does.

The plug-in runs through its binary interface in the substitute host; the
tester runs on the same configuration and message file. Their verdicts and
notice texts are compared for every example message, every fuzz seed
message, and generated cases: sections, display names, quotes, escapes
(malformed ones too), encoded words, repeated and folded fields.
"""
import concurrent.futures
import glob
import itertools
import os
import random
import re
import sys

import harness
import mail_generator as mail

LOCALS = ["a", "b", "boss", "sales", "x", "evil"]
DOMAINS = ["x.test", "corp.test", "bad.test", "partner.example.com"]
ENCODED_NAMES = ["=?us-ascii?q?Boss_Name?=", "=?UTF-8?B?5L2Q6Jek?=",
                 "=?ISO-2022-JP?B?GyRCOjRGIxsoQg==?=", "=?utf-8?q?Sato=E3=81=95=E3=82=93?="]
PATTERNS = ["@x\\.test>?$", "^(.*<)?a@corp\\.test>?$", "^b@", "@partner\\.example\\.com>?$",
            "^(.*<)?boss@x\\.test>?$", "bad", ".", "^<", "佐藤", "^$", "(", "\\q", "x{2,"]
SENDERS = ["^(.*<)?boss@x\\.test>?$", "sales", "^$", ".", "[", "x\\.test"]


SERIAL = itertools.count(1)


def write(r, data, suffix):
    """A scratch file of its own."""
    return r.write("%04d%s" % (next(SERIAL), suffix), data)


def address(rng):
    return "%s@%s" % (rng.choice(LOCALS), rng.choice(DOMAINS))


def encoded_name(rng):
    """A display name made of encoded words in the forms decoders read alike
    and in those they do not: blanks in the charset, words glued to text or
    to each other, "=?" inside a word, unknown charsets, decoded NULs, a
    character split across two words, ISO-2022-JP word by word, and raw
    8-bit text beside them."""
    text = rng.choice(["佐藤", "Boss", "山田 太郎", "営業部", "x,y", "a@b"])
    charset = rng.choice(["UTF-8", "utf-8", "ISO-2022-JP", "Shift_JIS", "EUC-JP", "us-ascii",
                          "iso-8859-1", "x-unknown", "I SO-2022-JP", "UTF-8*ja"])
    codec = {"ISO-2022-JP": "iso2022_jp", "Shift_JIS": "cp932", "EUC-JP": "euc_jp",
             "us-ascii": "ascii", "iso-8859-1": "latin-1"}.get(charset.split("*")[0], "utf-8")
    data = text.encode(codec, "replace")
    if rng.randrange(6) == 0:  # a decoded NUL
        at = rng.randrange(len(data) + 1)
        data = data[:at] + b"\0" + data[at:]
    word = mail.encoded_word(data, charset, "B" if rng.randrange(2) else "Q", every_byte=True)
    if charset in ("UTF-8", "utf-8") and len(data) > 2 and rng.randrange(3) == 0:
        # A character split across two words in one charset.
        cut = rng.randrange(1, len(data))
        word = " ".join(mail.encoded_word(part, charset, "Q", every_byte=True)
                        for part in (data[:cut], data[cut:]))
    if charset == "ISO-2022-JP" and rng.randrange(3) == 0:
        word += rng.choice([" ", "\t", ""]) + mail.encoded_word("藤", charset)
    glue = rng.randrange(8)
    if glue == 0:
        word = "x" + word
    elif glue == 1:
        word = "=?" + word
    elif glue == 2:
        word = word + word
    raw = rng.randrange(6)
    if raw == 0:
        word = mail.raw("山田".encode("utf-8")) + " " + word
    elif raw == 1:
        word = word + " " + mail.raw("山田".encode("cp932"))
    return word


def piece(rng):
    a = address(rng)
    form = rng.randrange(10)
    if form == 0:
        return "<%s>" % a
    if form == 1:
        return "Name <%s>" % a
    if form == 2:
        return '"Doe, John" <%s>' % a
    if form == 3:
        name = rng.choice(ENCODED_NAMES) if rng.randrange(3) == 0 else encoded_name(rng)
        return "%s <%s>" % (name, a)
    if form == 4:
        return a.replace("@", "\\,@") if rng.randrange(2) else a + "\\q"
    if form == 5:
        return ""
    if form == 6 and rng.randrange(3) == 0:
        # What one kind of reader takes for another recipient: a quoted
        # string or comment folded, a display name that starts with a dot.
        return rng.choice(['"x\r\n <%s>, " <%s>', 'Name (x\r\n <%s> ) <%s>',
                           '."x,%s" <%s>', '(c)."x,%s".x <%s>']) % (address(rng), a)
    return a


def field_value(rng):
    pieces = [piece(rng) for _ in range(rng.randrange(1, 4))]
    value = rng.choice([",", ", ", " , "]).join(pieces)
    return value + ("," if rng.randrange(8) == 0 else "")


def message(rng):
    eol = rng.choice(["\r\n", "\n"])
    lines = ["From: %s" % rng.choice([address(rng), "Boss <boss@x.test>",
                                       ENCODED_NAMES[1] + " <sales@x.test>", ""])]
    for name in ("To", "Cc", "Bcc"):
        for _ in range(rng.choice([0, 1, 1, 1, 2])):
            value = field_value(rng)
            key = rng.choice([name, name.upper(), name.lower()])
            if rng.randrange(6) == 0 and "," in value:
                first, rest = value.split(",", 1)
                lines.append("%s: %s," % (key, first))
                lines.append(" " + rest)
            else:
                lines.append("%s: %s" % (key, value))
    lines.append("Subject: test")
    text = mail.text(lines, line_end=eol)
    if rng.randrange(20) == 0:
        text = mail.with_nul(rng, text, eol)
    return text.encode("cp932", "surrogateescape")


def config(rng):
    lines = []
    for _ in range(rng.randrange(0, 4)):
        lines.append("%s=%s" % (rng.choice(["ALL", "TO", "cc", "Bcc"]), rng.choice(PATTERNS)))
    for _ in range(rng.randrange(0, 4)):
        lines.append("[%s]" % rng.choice(SENDERS))
        for _ in range(rng.randrange(0, 3)):
            lines.append("%s=%s" % (rng.choice(["ALL", "TO", "CC", "BCC"]),
                                    rng.choice(PATTERNS)))
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def tester_verdict(out):
    verdict = "send" if out.startswith("verdict: send") else \
        "refused" if out.startswith("verdict: refused") else "no verdict"
    notice = ""
    if "notice the user would see:\n" in out:
        # A Windows console program writes the notice's CR LF as CR CR LF.
        notice = out.split("notice the user would see:\n", 1)[1].rstrip("\n").replace("\r\n", "\n")
    return verdict, notice


def tester_results(r, conf, messages):
    """{message path: (verdict, notice)} from one run of the tester: alone, a
    message's report is the whole output; with others, the part after the
    line naming it."""
    _, out, _ = r.tool("test", "--lang", "en", "--conf", conf, *messages)
    if len(messages) == 1:
        return {messages[0]: tester_verdict(out)}
    parts = re.split(r"^== (.*)\n", out, flags=re.M)
    reports = dict(zip(parts[1::2], parts[2::2]))
    return {path: tester_verdict(reports.get(path, "")) for path in messages}


def compare(r, cases, label):
    """cases: [(conf path, [message paths])]. Every message is one comparison."""
    jobs = []
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for conf, messages in cases:
            expected = r.host_results(conf, messages)
            jobs.append((conf, messages, expected, pool.submit(tester_results, r, conf, messages)))
        disagreements = []
        compared = 0
        for conf, messages, expected, future in jobs:
            for path in messages:
                compared += 1
                (host_verdict, host_box), (verdict, notice) = expected[path], future.result()[path]
                if host_verdict == "no verdict" or (verdict, notice) != (host_verdict, host_box):
                    disagreements.append("%s with %s:\n  plug-in %s %r\n  tester  %s %r\n%s\n%s" % (
                        path, conf, host_verdict, host_box, verdict, notice,
                        open(conf, "rb").read(), open(path, "rb").read()))
    r.check("%s: the tester agrees with the plug-in on %d messages" % (label, compared),
            not disagreements, "\n".join(disagreements[:3]))


def run(r, args):
    source, examples = args.source, os.path.join(args.source, "examples")
    compare(r, [(os.path.join(examples, "Sendwarden.conf"),
                 sorted(glob.glob(os.path.join(examples, "*.eml"))))], "example messages")

    seeds = []
    seed_messages = sorted(glob.glob(os.path.join(source, "tests", "corpus",
                                                  "header_block_fuzz", "*")))
    seeds.append((os.path.join(examples, "Sendwarden.conf"), seed_messages))
    send_seeds = sorted(glob.glob(os.path.join(source, "tests", "corpus", "send_fuzz", "*")))
    if r.emulated:
        # Each seed brings its own configuration, so two processes of its
        # own: every fourth one under emulation. The other legs take all.
        send_seeds = send_seeds[::4]
    for path in send_seeds:
        data = open(path, "rb").read()
        conf, _, text = data.partition(b"\0")
        seeds.append((write(r, conf, ".conf"), [write(r, text, ".eml")]))
    compare(r, seeds, "fuzz seed messages")

    # The decoders, compared through what the notice names: a section for
    # every sender that allows nobody names each message's one recipient as
    # it was decoded (or the extraction refused it, and the notice names no one).
    rng = random.Random(15)
    naming = write(r, b"[^]\r\nTO=(?!)\r\n", ".conf")
    names = [write(r, mail.text(["From: me@x.test", "To: %s <a@x.test>" % encoded_name(rng)])
                   .encode("cp932", "surrogateescape"), ".eml") for _ in range(60 if r.emulated else 400)]
    compare(r, [(naming, names[i:i + 50]) for i in range(0, len(names), 50)],
            "encoded words, named in the notice")

    rng = random.Random(14)
    generated = []
    for _ in range(args.rounds):
        conf = write(r, config(rng), ".conf")
        generated.append((conf, [write(r, message(rng), ".eml") for _ in range(10)]))
    compare(r, generated, "generated cases")


if __name__ == "__main__":
    sys.exit(harness.main(run, ("--rounds", int, 40)))
