#!/usr/bin/env python3
"""Tests sendwarden-check as a user runs it: lint output on the configuration
files of tests/configs (each NAME.conf next to its expected NAME.lint), test
verdicts and explanations, languages and exit codes."""
import glob
import os
import re
import shutil
import sys

import harness


def double_click_check(r, source):
    """check-config.bat beside sendwarden-check.exe and a configuration, as a
    user double-clicks it: the result in Japanese, then a key ends it."""
    configs = os.path.join(source, "tests", "configs")
    cases = (("clean.conf", 0, "無効な行や誤りはありません"),
             ("dropped-lines.conf", 1, "無効な行か誤りがあります"),
             (None, 2, "設定ファイルを読めませんでした"),
             # Run from inside the zip: the program is not beside it.
             ("clean.conf", None, "sendwarden-check.exe がこのフォルダーにありません"))
    for number, (conf, status, text) in enumerate(cases):
        folder = os.path.join(r.scratch, "double-click-%d" % number)
        os.makedirs(folder)
        name = conf or "no configuration"
        if status is not None:
            shutil.copy(os.path.join(r.build, "sendwarden-check.exe"), folder)
        else:
            status, name = 2, name + " and no sendwarden-check.exe"
        shutil.copy(os.path.join(source, "resources", "check-config.bat"), folder)
        if conf:
            shutil.copy(os.path.join(configs, conf), os.path.join(folder, "Sendwarden.conf"))
        code, out, err = r.run("cmd", ["/c", "check-config.bat"], "cp932", cwd=folder,
                               input=b"\r\n", built=False)
        r.check("check-config.bat with %s: exit %d, result in Japanese, waits for a key"
                % (name, status),
                code == status and text in out and ("無効な行 5" in out) == (status == 1)
                and "キーを押" in out, out + err)


def run(r, args):
    source = args.source
    configs = os.path.join(source, "tests", "configs")
    examples = os.path.join(source, "examples")
    example_conf = os.path.join(examples, "Sendwarden.conf")

    for conf in sorted(glob.glob(os.path.join(configs, "*.conf"))):
        name = os.path.basename(conf)
        expected = open(conf[:-5] + ".lint", encoding="utf-8").read()
        code, out, err = r.tool("lint", "--lang", "en", name, cwd=configs)
        got = out + "exit: %d\n" % code
        r.check("lint " + name, got == expected, "expected:\n%s\ngot:\n%s%s" % (expected, got, err))

    # Notepad saved the file as Sendwarden.conf.txt: each command names the
    # full path, why, and the file beside it; test says what the plug-in does.
    with r.scratch_folder():
        r.write("Sendwarden.conf.txt", "ALL=(?i)@example\\.co\\.jp>?$\n")
        full = os.path.join(os.path.realpath(r.scratch), "Sendwarden.conf")
        for args, status in ((["lint"], 2), (["scan", "x.eml"], 2),
                             (["test", "--from", "a", "--to", "b"], 1)):
            code, out, err = r.tool(*args, "--lang", "en", cwd=r.scratch)
            said = ("cannot read the configuration %s: no such file" % full) in err.replace(
                "\\", "/").replace("Z:", "") and "Sendwarden.conf.txt is beside it" in err
            if args[0] == "test":
                said = said and "the plug-in refuses every send" in err
            r.check("%s without Sendwarden.conf, beside Sendwarden.conf.txt: exit %d, the full "
                    "path, why and the file beside it" % (args[0], status),
                    code == status and said, "exit %d\n%s" % (code, err))

    # "-" is a message on standard input, decided as the same file is.
    message = os.path.join(examples, "refused-by-section.eml")
    code, out, err = r.run("sendwarden-check", ["test", "--lang", "en", "--conf", example_conf,
                                                "-"], r.encoding,
                           input=open(message, "rb").read())
    _, from_file, _ = r.tool("test", "--lang", "en", "--conf", example_conf, message)
    r.check("test - reads the message on standard input", code == 1 and out == from_file,
            "exit %d\n%s%s" % (code, out, err))

    # What a new administrator copies must pass its own check: the shipped
    # example and every configuration shown in the guide (its indented blocks
    # that hold a rule line or a header).
    guide = open(os.path.join(source, "docs", "guide-ja.md"), encoding="utf-8").read()
    blocks = re.findall(r"(?:^(?:    .*)?\n)+", guide, re.M)
    shown = [[line[4:] for line in block.split("\n")] for block in blocks]
    shown = [block for block in shown if any(
        re.match(r"^(ALL|TO|CC|BCC)\s*=|^\[.*\]$", line) for line in block)]
    for index, block in enumerate([None] + shown):
        conf = example_conf if block is None else r.write(
            "guide-%d.conf" % index, "\n".join(block).strip("\n") + "\n")
        code, out, err = r.tool("lint", "--lang", "en", conf)
        r.check("lint clean: %s" % ("examples/Sendwarden.conf" if block is None
                                    else "the guide's block %d of %d" % (index, len(shown))),
                code == 0 and out.endswith("lines without effect: 0, warnings: 0\n"),
                "%s\n%s%s" % (block, out, err))

    code, out, err = r.tool("test", "--lang", "en", "--conf", example_conf,
                            "--from", "Sales <sales@example.co.jp>", "--to", "a@example.co.jp",
                            "--to", "x@rival.example.org", "--cc", "b@partner.example.com")
    r.check("test: refused, each rule explained, notice shown",
            code == 1 and "verdict: refused" in out
            and "TO  a@example.co.jp\n      ALL (line 11) (?i)@example\\.co\\.jp>?$" in out
            and "TO  x@rival.example.org\n      not allowed by this rule" in out
            and "(line 18): applies, and refuses (named in the notice): TO  x@rival.example.org"
            in out and "許可されていないアドレス(x@rival.example.org\n)があります" in out, out + err)

    # A section allows all or nothing: two sections that each allow one of
    # two recipients refuse, and the explanation says where each stopped.
    two = r.write("two-sections.conf", b"[^me$]\r\nTO=^a$\r\n[^me$]\r\nTO=^b$\r\n")
    code, out, err = r.tool("test", "--lang", "en", "--conf", two, "--from", "me",
                            "--to", "a", "--to", "b")
    r.check("test: two sections that each allow one recipient refuse",
            code == 1 and "(line 1): applies, and refuses (named in the notice): TO  b" in out
            and "(line 3): applies, and refuses (named in the notice): TO  a" in out
            and "許可されていないアドレス(b\na\n)" in out, out + err)

    # --to is split as the header is: one refused piece refuses the send.
    code, out, err = r.tool("test", "--lang", "en", "--conf", example_conf, "--from", "me",
                            "--to", "evil@bad.test, a@example.co.jp")
    r.check("test: --to values are split like the To field",
            code == 1 and "TO  evil@bad.test\n" in out, out + err)

    # A pattern too complex for the engine on the address: refused with the
    # reason, as the plug-in refuses, never a crash.
    hostile = r.write("hostile.conf", b"ALL=^([a-z0-9]+[._-]?)+@corp\\.test>?$\r\n")
    for to, reason in (("a" * 34 + "@corp.test!", "pattern engine gave up"),
                       ("a" * 34 + "@corp.tesx", "not allowed by this rule")):
        code, out, err = r.tool("test", "--lang", "en", "--conf", hostile, "--from", "me",
                                "--to", to)
        r.check("test: %s refused: %s" % (to, reason),
                code == 1 and "verdict: refused" in out and reason in out, out + err)

    # Where the plug-in cannot check a message, the tester refuses too.
    escape = r.write("escape.eml", b"To: a@example.co.jp, a\\q\r\n\r\n")
    code, out, err = r.tool("test", "--lang", "en", "--conf", example_conf, escape)
    r.check("test: a malformed escape refuses with the reason",
            code == 1 and "cannot be checked: TO" in out and "なんか駄目です" in out, out + err)

    code, out, err = r.tool("test", "--lang", "en", "--conf", example_conf,
                            os.path.join(examples, "allowed.eml"))
    r.check("test with a message file: allowed", code == 0 and "verdict: send" in out, out + err)

    code, out, err = r.tool("test", "--lang", "en", "--conf", example_conf,
                            os.path.join(examples, "refused-general.eml"))
    r.check("test with a message file: refused with the general text",
            code == 1 and "なんか駄目です" in out and "does not apply to this sender" in out
            and "refused: neither the default rule" in out, out + err)

    code, out, err = r.tool("test", "--lang", "en", "--conf",
                            os.path.join(configs, "absent.conf"), "--from", "a", "--to", "b")
    r.check("test without a configuration refuses, as the plug-in would",
            code == 1 and "cannot read" in err and "verdict: refused" in out, out + err)

    for args in (["test", "--to", "a"], ["lint", "a", "b"], ["frobnicate"], [],
                 ["test", "--from", "a", os.path.join(examples, "allowed.eml")]):
        code, out, err = r.tool("--lang", "en", *args)
        r.check("usage error %s: exit 2" % args, code == 2 and "usage" in err, out + err)

    code, out, err = r.tool("lint", "--lang", "en", os.path.join(configs, "absent.conf"))
    r.check("lint of a missing file: exit 2, named", code == 2 and "absent.conf" in err, err)

    code, out, err = r.tool("lint", "--lang", "ja", "dropped-lines.conf", cwd=configs)
    r.check("Japanese messages on request",
            code == 1 and "「=」がありません" in out and "無効な行 5" in out, out + err)

    # Without --lang the system decides: Wine runs with code page 932 here,
    # the Linux build follows the locale.
    env = dict(os.environ)
    if r.platform == "linux":
        env["LC_ALL"] = "ja_JP.UTF-8"
    code, out, err = r.tool("lint", "dropped-lines.conf", cwd=configs, env=env)
    r.check("Japanese by default on a Japanese system", "無効な行 5" in out, out + err)
    if r.windows:
        double_click_check(r, source)
    if r.platform == "linux":
        env["LC_ALL"] = "C.UTF-8"
        code, out, err = r.tool("lint", "dropped-lines.conf", cwd=configs, env=env)
        r.check("English on other systems", "lines without effect: 5" in out, out + err)


if __name__ == "__main__":
    sys.exit(harness.main(run))
