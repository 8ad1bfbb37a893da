#!/usr/bin/env python3
"""sendwarden-check scan as a user runs it, on the small archive in
tests/scan (an mbox and a folder: allowed and refused sends, encoded words in
several charsets, broken input): every output format compared in full with
the expected files, and the exit statuses. Then on generated mail: the same
messages as an mbox and as a tree of the mail client's .bmf folders, some
with Japanese names, must come to the same results, each .bmf message found
where a reading of the file of our own finds it; Japanese names, given or
found, are read and shown."""
import json
import os
import random
import shutil
import sys
import tempfile

import mail_folders
from harness import Harness, parse_arguments

ARGS = ["--conf", "scan.conf", "archive.mbox", "folder", "missing-path"]


class Runner(Harness):
    def tool(self, *args, cwd=None):
        return self.run("sendwarden-check", list(args),
                        output_encoding="cp932" if self.windows else "utf-8",
                        cwd=cwd or self.folder)

    def scan(self, *args, cwd=None):
        return self.tool("scan", *args, cwd=cwd)

    def raw(self, *args, cwd=None):
        """Standard output as bytes, for the formats that are bytes."""
        import subprocess
        command = ([os.path.join(self.scripts, "wine-run"), self.platform,
                    os.path.join(self.build, "sendwarden-check.exe")] if self.windows else
                   [os.path.join(self.build, "sendwarden-check")])
        done = subprocess.run(command + ["scan"] + list(args), capture_output=True,
                              cwd=cwd or self.folder, timeout=120)
        return done.returncode, done.stdout

    def path(self, *parts):
        """A relative path as the user types it: backslashes on Windows."""
        return ("\\" if self.windows else "/").join(parts)


def slashes(text):
    """Folder paths as Linux writes them."""
    return text.replace("folder\\sub\\", "folder/sub/").replace("folder\\", "folder/")


def run(r):
    for language in ("en", "ja"):
        code, out, err = r.scan("--lang", language, *ARGS)
        got = slashes(out) + "exit: %d\n" % code
        expected = open(os.path.join(r.folder, "expected-%s.txt" % language),
                        encoding="utf-8").read()
        r.check("scan, text in %s, compared in full" % language, got == expected,
                "expected:\n%s\ngot:\n%s%s" % (expected, got, err))

    # A path that does not exist is reported, and the scan exits 2.
    code, out = r.raw("--lang", "en", "--format", "csv", *ARGS)
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
        code, out = r.raw("--lang", language, "--format", "json", *ARGS)
        try:
            got = [json.loads(line) for line in out.decode("utf-8").splitlines()]
            for item in got:
                if "file" in item:
                    item["file"] = slashes(item["file"])
        except ValueError as error:
            got = "not JSON lines: %s" % error
        r.check("scan, JSON lines in %s compared in full" % language,
                code == 2 and got == expected, "expected:\n%s\ngot:\n%s" % (expected, got))

    code, out, err = r.scan("--lang", "en", "--conf", "scan.conf", "archive.mbox", "folder")
    r.check("scan: refusals, every path read, exits 1", code == 1 and "would be refused: 4" in out,
            out + err)
    code, out, err = r.scan("--lang", "en", "--conf", "scan.conf", "folder/c-junk.bin")
    r.check("scan: nothing that could be read exits 2",
            code == 2 and "could not be read: 1" in out and "messages read: 0" in out, out + err)

    code, out, err = r.scan("--lang", "en", "--conf", "scan.conf", "folder/a-allowed.eml")
    r.check("scan: nothing refused exits 0", code == 0 and "would be refused: 0" in out,
            out + err)
    code, out, err = r.scan("--lang", "en", "--conf", "absent.conf", "archive.mbox")
    r.check("scan: an unreadable configuration exits 2", code == 2 and "absent.conf" in err,
            out + err)
    for args in (["--lang", "en", "--conf", "scan.conf"], ["--lang", "en", "--format", "xml",
                                                         "archive.mbox"]):
        code, out, err = r.scan(*args)
        r.check("scan usage error %s: exit 2" % args, code == 2 and "usage" in err, out + err)


def json_lines(r, code, out):
    try:
        items = [json.loads(line) for line in out.decode("utf-8").splitlines()]
    except ValueError as error:
        r.check("JSON lines", False, "not JSON lines: %s\n%r" % (error, out))
        return [], []
    for item in items:
        if "file" in item:
            item["file"] = item["file"].replace("\\", "/")
    return [item for item in items if "file" in item], [item for item in items if "file" not in item]


def generated(r, scratch):
    """The same generated messages as an mbox and as a .bmf tree."""
    shutil.copy(os.path.join(r.folder, "scan.conf"), scratch)
    rand = random.Random(11)
    messages = [mail_folders.message(rand, serial) for serial in range(240 if r.emulated else 600)]
    with open(os.path.join(scratch, "archive.mbox"), "wb") as out:
        out.write(mail_folders.as_mbox(messages))
    places = mail_folders.write_tree(os.path.join(scratch, "mail"), messages, rand)

    code_mbox, out = r.raw("--format", "json", "--conf", "scan.conf", "archive.mbox", cwd=scratch)
    from_mbox, mbox_tail = json_lines(r, code_mbox, out)
    code_bmf, out = r.raw("--format", "json", "--conf", "scan.conf", "mail", cwd=scratch)
    from_bmf, bmf_tail = json_lines(r, code_bmf, out)
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
    folder = r.path("mail", "メール", "送信済み")
    inside = [item for item in from_bmf if item["file"].startswith("mail/メール/送信済み/")]
    refused = [item for item in inside if item["verdict"] == "refuse"]
    code, out, err = r.scan("--lang", "en", "--conf", "scan.conf", folder, cwd=scratch)
    shown = out.replace("\\", "/")
    first = refused[0] if refused else {"file": "-", "message": 0, "offset": 0}
    r.check("a Japanese folder given on the command line: its messages read, each shown at its place",
            code == 1 and "would be refused: %d\n" % len(refused) in shown
            and "messages read: %d\n" % sum(1 for item in inside if item["verdict"] != "unreadable")
            in shown and "would be refused: %s (message %d, byte %d)\n"
            % (first["file"], first["message"], first["offset"]) in shown, out + err)

    # Japanese file names in an ASCII folder, and one with a character code
    # page 932 lacks (shown as "?"): each read.
    os.makedirs(os.path.join(scratch, "ascii"))
    refusal = b"From: intern@example.co.jp\r\nTo: rival@competitor.example.org\r\n\r\n"
    for name, data in (("ソフト表.eml", refusal), ("café.eml", refusal),
                       ("\U0001f4e7.eml", b"From: a@example.co.jp\r\nTo: b@example.co.jp\r\n\r\n")):
        with open(os.path.join(scratch, "ascii", name), "wb") as out_file:
            out_file.write(data)
    code, out, err = r.scan("--lang", "en", "--conf", "scan.conf", "ascii", cwd=scratch)
    shown = out.replace("\\", "/")
    r.check("Japanese file names in an ASCII folder: each read, and named",
            code == 1 and "would be refused: ascii/ソフト表.eml\n" in shown
            and "would be refused: ascii/caf?.eml\n" in shown and "messages read: 3\n" in shown
            and "could not be read: 0\n" in shown, out + err)

    # The other commands take Japanese names too.
    os.makedirs(os.path.join(scratch, "設定"))
    shutil.copy(os.path.join(r.folder, "scan.conf"), os.path.join(scratch, "設定", "ソフト.conf"))
    conf = r.path("設定", "ソフト.conf")
    code, out, err = r.tool("test", "--lang", "en", "--conf", conf, r.path("ascii", "ソフト表.eml"),
                            cwd=scratch)
    r.check("test: a Japanese configuration and message path", code == 1 and not err, out + err)
    code, out, err = r.tool("lint", "--lang", "en", conf, cwd=scratch)
    r.check("lint: a Japanese configuration path", code in (0, 1) and not err, out + err)
    code, out, err = r.scan("--lang", "en", "--conf", conf, r.path("ascii", "ソフト表.eml"),
                            cwd=scratch)
    r.check("scan: a Japanese configuration and message path", code == 1, out + err)


def main():
    args = parse_arguments()
    runner = Runner(args.build, args.platform, args.scripts)
    runner.folder = os.path.join(args.source, "tests", "scan")
    run(runner)
    scratch = tempfile.mkdtemp(prefix="scan_e2e-")
    try:
        generated(runner, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return runner.summary()


if __name__ == "__main__":
    sys.exit(main())
