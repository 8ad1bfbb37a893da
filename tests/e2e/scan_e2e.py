#!/usr/bin/env python3
"""sendwarden-check scan as a user runs it, on the small archive in
tests/scan (an mbox and a folder: allowed and refused sends, encoded words in
several charsets, broken input): every output format compared in full with
the expected files, and the exit statuses. Then on generated mail: the same
messages as an mbox and as a tree of the mail client's .bmf folders, some
with Japanese names, must come to the same results, each .bmf message found
where a reading of the file of our own finds it; Japanese names, given or
found, are read and shown."""
import datetime
import email.utils
import json
import os
import random
import sys

import harness
import mail_generator as mail

ARGS = ["--conf", "scan.conf", "archive.mbox", "folder", "missing-path"]

# Messages allowed and refused by tests/scan/scan.conf, encoded words and
# broken ones among them. X-Becky-Include lines in a body name attachment files.
SENDERS = ["sales@example.co.jp", "intern@example.co.jp",
           mail.encoded_word("営業", "ISO-2022-JP") + " <sales@example.co.jp>"]
ALLOWED = ["tanaka@example.co.jp", mail.encoded_word("上司", "UTF-8") + " <boss@example.co.jp>",
           '"Last, First" <a@example.co.jp>']
PARTNER = ["buyer@partner.example.com", mail.encoded_word("山田", "UTF-8", "Q")
           + " <y@partner.example.com>"]
REFUSED = ["rival@competitor.example.org",
           mail.encoded_word("競合", "SHIFT_JIS") + " <x@evil.test>"]
BODY = ["Hello,", "", "From the sales team, a line no writer quoted", ".", "..", ". x",
        ".hidden", "X-Becky-Include: C:\\Becky!\\attach\\quote.pdf", "From: not a header",
        "To: leak@rival.example.org", "\u3053\u3093\u306b\u3061\u306f"]


def message(random, serial):
    """One message's bytes, CR LF line ends."""
    kind = random.randrange(20)
    if kind == 0:
        return b"X-Junk: a\x00b\r\nTo: a@example.co.jp\r\n\r\nbody\r\n"
    if kind == 1:
        return b"just some text\r\nno header in it\r\n\r\nbody\r\n"
    recipients = []
    for _ in range(random.randrange(1, 4)):
        pick = random.randrange(10)
        recipients.append(random.choice(ALLOWED if pick < 6 else PARTNER if pick < 8 else REFUSED))
    if kind == 2:
        recipients.append('evil@bad.test (O"Brien)')  # cannot be checked
    lines = ["From: " + random.choice(SENDERS), "To: " + ", ".join(recipients),
             "Date: Tue, 1 Dec 2026 09:%02d:00 +0900" % (serial % 60),
             "Subject: %s %d" % (mail.encoded_word("件名", "UTF-8"), serial)]
    if random.randrange(3) == 0:
        lines.insert(2, "Cc: " + random.choice(ALLOWED + PARTNER))
    body = [random.choice(BODY) for _ in range(random.randrange(8))]
    return mail.text(lines, body).encode("utf-8")


def typed(r, *parts):
    """A relative path as the user types it: backslashes on Windows."""
    return ("\\" if r.windows else "/").join(parts)


def slashes(text):
    """Folder paths as Linux writes them."""
    return text.replace("folder\\sub\\", "folder/sub/").replace("folder\\", "folder/")


def run(r):
    for language in ("en", "ja"):
        code, out, err = r.tool("scan", "--lang", language, *ARGS)
        got = slashes(out) + "exit: %d\n" % code
        expected = open(os.path.join(r.folder, "expected-%s.txt" % language),
                        encoding="utf-8").read()
        r.check("scan, text in %s, compared in full" % language, got == expected,
                "expected:\n%s\ngot:\n%s%s" % (expected, got, err))

    # A path that does not exist is reported, and the scan exits 2.
    code, out, _ = r.tool("scan", "--lang", "en", "--format", "csv", *ARGS, raw=True)
    expected = open(os.path.join(r.folder, "expected.csv"), "rb").read()
    got = out.replace(b"folder\\sub\\", b"folder/sub/").replace(b"folder\\", b"folder/")
    r.check("scan, CSV (code page 932, CR LF) compared in full", code == 2 and got == expected,
            "expected:\n%r\ngot:\n%r" % (expected, got))
    r.check("scan, CSV: a header row, and every line ends in CR LF",
            got.startswith(b'"file","message"') and got.count(b"\r\n") == got.count(b"\n")
            and got.count(b"\n") > 1, repr(got))

    # JSON carries stable codes, not words: the same whatever the language.
    expected = [json.loads(line) for line in open(os.path.join(r.folder, "expected.json"),
                                                   encoding="utf-8")]
    for language in ("en", "ja"):
        code, out, _ = r.tool("scan", "--lang", language, "--format", "json", *ARGS, raw=True)
        try:
            got = [json.loads(line) for line in out.decode("utf-8").splitlines()]
            for item in got:
                if "file" in item:
                    item["file"] = slashes(item["file"])
        except ValueError as error:
            got = "not JSON lines: %s" % error
        r.check("scan, JSON lines in %s compared in full" % language,
                code == 2 and got == expected, "expected:\n%s\ngot:\n%s" % (expected, got))

    code, out, err = r.tool("scan", "--lang", "en", "--conf", "scan.conf", "archive.mbox", "folder")
    r.check("scan: refusals, every path read, exits 1", code == 1 and "would be refused: 4" in out,
            out + err)
    code, out, err = r.tool("scan", "--lang", "en", "--conf", "scan.conf", "folder/c-junk.bin")
    r.check("scan: nothing that could be read exits 2",
            code == 2 and not out and "c-junk.bin: " in err and "no message could be read" in err,
            out + err)

    code, out, err = r.tool("scan", "--lang", "en", "--conf", "scan.conf", "folder/a-allowed.eml")
    r.check("scan: nothing refused exits 0", code == 0 and "would be refused: 0" in out,
            out + err)
    code, out, err = r.tool("scan", "--lang", "en", "--conf", "absent.conf", "archive.mbox")
    r.check("scan: an unreadable configuration exits 2", code == 2 and "absent.conf" in err,
            out + err)
    for args in (["--lang", "en", "--conf", "scan.conf"], ["--lang", "en", "--format", "xml",
                                                         "archive.mbox"]):
        code, out, err = r.tool("scan", *args)
        r.check("scan usage error %s: exit 2, pointing to scan --help" % args,
                code == 2 and "sendwarden-check scan --help" in err, out + err)


def generated(r):
    """The same generated messages as an mbox and as a .bmf tree, in the
    scratch folder."""
    r.cwd = r.scratch
    rules = open(os.path.join(r.folder, "scan.conf"), "rb").read()
    r.write("scan.conf", rules)
    rand = random.Random(11)
    messages = [message(rand, serial) for serial in range(240 if r.emulated else 600)]
    r.write("archive.mbox", mail.as_mbox(messages))
    places = mail.write_tree(os.path.join(r.scratch, "mail"), messages, rand)

    scanned = []
    for source in ("archive.mbox", "mail"):
        code, out, _ = r.tool("scan", "--format", "json", "--conf", "scan.conf", source, raw=True)
        items = r.json_lines("generated, " + source, out)
        scanned.append((code, [i for i in items if "file" in i], [i for i in items if "file" not in i]))
    (code_mbox, from_mbox, mbox_tail), (code_bmf, from_bmf, bmf_tail) = scanned
    r.check("generated: every message read from the mbox and from the .bmf tree, no other file",
            len(from_mbox) == len(messages) and len(from_bmf) == len(messages),
            "%d messages, %d from the mbox, %d from the tree"
            % (len(messages), len(from_mbox), len(from_bmf)))
    decided = ("verdict", "date", "from", "subject", "named", "reason", "detail")
    differ = [(a, b) for a, b in zip(from_mbox, from_bmf)
              if any(a[key] != b[key] for key in decided)]
    r.check("generated: each message decided alike from the mbox and from the .bmf tree",
            not differ and code_mbox == code_bmf and mbox_tail == bmf_tail,
            "first to differ: %s\n%s %s" % (differ[:1], mbox_tail, bmf_tail))
    misplaced = [(item, place) for item, place in zip(from_bmf, places)
                 if (item["file"], item["message"], item["offset"]) != ("mail/" + place[0],) + place[1:]]
    r.check("generated: each .bmf message where our own reading of the file finds it",
            not misplaced, "first misplaced: %s" % misplaced[:1])
    kinds = set(item["reason"] or item["verdict"] for item in from_bmf)
    r.check("generated: sends, refusals and each kind of broken message among them",
            {"send", "refuse", "cannot-check/header-not-ended", "not-a-message"} <= kinds, str(kinds))

    # A Japanese folder given on the command line, a byte 0x5C inside one of
    # its characters: its messages, each shown at its place.
    folder = typed(r, "mail", "メール", "送信済み")
    inside = [item for item in from_bmf if item["file"].startswith("mail/メール/送信済み/")]
    refused = [item for item in inside if item["verdict"] == "refuse"]
    code, out, err = r.tool("scan", "--lang", "en", "--conf", "scan.conf", folder)
    shown = out.replace("\\", "/")
    first = refused[0] if refused else {"file": "-", "message": 0, "offset": 0}
    r.check("a Japanese folder given on the command line: its messages read, each shown at its place",
            code == 1 and "would be refused: %d\n" % len(refused) in shown
            and "messages read: %d\n" % sum(1 for item in inside if item["verdict"] != "unreadable")
            in shown and "would be refused: %s (message %d, byte %d)\n"
            % (first["file"], first["message"], first["offset"]) in shown, out + err)

    # Japanese file names in an ASCII folder, and one with a character code
    # page 932 lacks (shown as "?"): each read.
    refusal = b"From: intern@example.co.jp\r\nTo: rival@competitor.example.org\r\n\r\n"
    for name, data in (("ソフト表.eml", refusal), ("café.eml", refusal),
                       ("\U0001f4e7.eml", b"From: a@example.co.jp\r\nTo: b@example.co.jp\r\n\r\n")):
        r.write("ascii/" + name, data)
    code, out, err = r.tool("scan", "--lang", "en", "--conf", "scan.conf", "ascii")
    shown = out.replace("\\", "/")
    r.check("Japanese file names in an ASCII folder: each read, and named",
            code == 1 and "would be refused: ascii/ソフト表.eml\n" in shown
            and "would be refused: ascii/caf?.eml\n" in shown and "messages read: 3\n" in shown
            and "could not be read: 0\n" in shown, out + err)

    # The other commands take Japanese names too.
    r.write("設定/ソフト.conf", rules)
    conf = typed(r, "設定", "ソフト.conf")
    code, out, err = r.tool("test", "--lang", "en", "--conf", conf, typed(r, "ascii", "ソフト表.eml"))
    r.check("test: a Japanese configuration and message path", code == 1 and not err, out + err)
    code, out, err = r.tool("lint", "--lang", "en", conf)
    r.check("lint: a Japanese configuration path", code in (0, 1) and not err, out + err)
    code, out, err = r.tool("scan", "--lang", "en", "--conf", conf, typed(r, "ascii", "ソフト表.eml"))
    r.check("scan: a Japanese configuration and message path", code == 1, out + err)


MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def date_text(rand):
    """A Date field as mail programs write it, old forms and mistakes too.
    Two-digit years avoid 50-68, where Python's reader and the standard part."""
    year = rand.choice(["%d" % rand.randint(1990, 2030), "%02d" % rand.randint(0, 49),
                        "%02d" % rand.randint(69, 99)])
    day = rand.randint(1, 31)
    zone = rand.choice(["+0900", "-0500", "+0000", "-0000", "+0530", "GMT", "UT", "EST", "PDT",
                        "+0900 (JST)", "JST", "", "+09:00"])
    time = "%02d:%02d" % (rand.randint(0, 24), rand.randint(0, 59))
    if rand.random() < 0.7:
        time += ":%02d" % rand.randint(0, 59)
    text = "%d %s %s %s %s" % (day, rand.choice(MONTHS), year, time, zone)
    if rand.random() < 0.6:
        text = rand.choice(["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]) + ", " + text
    return text.strip()


def python_iso(text):
    """Python's reading of the same field, or None where it finds no whole
    date with a zone (Python takes a missing one for UTC; the standard
    requires it, and JST is no zone of the standard)."""
    parsed = email.utils.parsedate_tz(text)
    words = text.split("(")[0].split()
    if not parsed or parsed[9] is None or ":" in words[-1] or words[-1] == "JST":
        return None
    try:
        zone = datetime.timezone(datetime.timedelta(seconds=parsed[9]))
        return datetime.datetime(*parsed[:6], tzinfo=zone).isoformat()
    except ValueError:
        return None


def dates(r):
    """The ISO 8601 date of CSV and JSON against Python's mail date reader."""
    r.cwd = r.scratch
    r.write("scan.conf", open(os.path.join(r.folder, "scan.conf"), "rb").read())
    rand = random.Random(5)
    texts = [date_text(rand) for _ in range(400)]
    messages = [("From: a@example.co.jp\r\nTo: b@example.co.jp\r\nDate: %s\r\n\r\nx\r\n"
                 % text).encode("ascii") for text in texts]
    r.write("dates.mbox", mail.as_mbox(messages))
    _, out, _ = r.tool("scan", "--format", "json", "--conf", "scan.conf", "dates.mbox", raw=True)
    got = [item.get("isoDate") for item in r.json_lines("dates", out) if "file" in item]
    differ = [(text, mine, python_iso(text)) for text, mine in zip(texts, got)
              if mine != python_iso(text)]
    r.check("isoDate agrees with Python's date reader on %d generated Date fields (%d dates)"
            % (len(texts), sum(1 for t in texts if python_iso(t))),
            len(got) == len(texts) and not differ, "%d differ, first: %s" % (len(differ), differ[:5]))


def run_all(r, args):
    r.folder = r.cwd = os.path.join(args.source, "tests", "scan")
    run(r)
    generated(r)
    dates(r)


if __name__ == "__main__":
    sys.exit(harness.main(run_all))
