#!/usr/bin/env python3
"""sendwarden-check scan as a user runs it, on the small archive in
tests/scan (an mbox and a folder: allowed and refused sends, encoded words in
several charsets, broken input): every output format compared in full with
the expected files, and the exit statuses."""
import json
import os
import sys

from harness import Harness, parse_arguments

ARGS = ["--conf", "scan.conf", "archive.mbox", "folder", "missing-path"]


class Runner(Harness):
    def scan(self, *args, encoding=None):
        return self.run("sendwarden-check", ["scan"] + list(args),
                        output_encoding=encoding or ("cp932" if self.windows else "utf-8"),
                        cwd=self.folder)

    def raw(self, *args):
        """Standard output as bytes, for the formats that are bytes."""
        import subprocess
        command = ([os.path.join(self.scripts, "wine-run"), self.platform,
                    os.path.join(self.build, "sendwarden-check.exe")] if self.windows else
                   [os.path.join(self.build, "sendwarden-check")])
        done = subprocess.run(command + ["scan"] + list(args), capture_output=True,
                              cwd=self.folder, timeout=120)
        return done.returncode, done.stdout


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


def main():
    args = parse_arguments()
    runner = Runner(args.build, args.platform, args.scripts)
    runner.folder = os.path.join(args.source, "tests", "scan")
    run(runner)
    return runner.summary()


if __name__ == "__main__":
    sys.exit(main())
