#!/usr/bin/env python3
"""The shipped DLL in a process that already holds the 32-bit GCC runtime
DLL, as when the mail client loaded another plug-in built with MinGW's
shared runtime first: the substitute host loads libgcc_s_dw2-1.dll (and
libwinpthread-1.dll, which it needs) before the plug-in. Every way into a
throw inside the plug-in must still end in the plug-in's answer, and the
host must live to print it.

  foreign_runtime_e2e.py --build DIR --platform win32 --scripts DIR
                         --runtime libwinpthread-1.dll --runtime libgcc_s_dw2-1.dll
"""
import os
import re
import sys

import harness

GENERAL = "なんか駄目です。。。\r\n送信先を見直すか、設定(Sendwarden.conf)を見直してください。"


def boxes(output):
    return re.findall(r"^box owner=\S+ style=\S+ caption=[0-9a-f]* text=([0-9a-f]*)$", output,
                      re.M)


def verdicts(output):
    return re.findall(r"^(\S+): (send \(0\)|refused \(-1\)|unexpected answer.*)$", output, re.M)


def run(r, args):
    preload = []
    for runtime in args.runtime:
        r.check("the runtime DLL %s is there" % runtime, os.path.isfile(runtime))
        preload += ["--preload", runtime]
    # The engine gives up on this pattern for this address (the tester
    # says so below); the first line lets the control message through.
    rules = r.write("rules.conf", "ALL=@x\\.test>?$\nALL=^([a-z0-9]+[._-]?)+@corp\\.test>?$\n")
    hostile = r.write("hostile.eml", "From: me@x.test\nTo: %s@corp.test!\n\n" % ("a" * 34))
    escape = r.write("escape.eml", "From: me@x.test\nTo: a@x.test, bad\\q\n\n")
    control = r.write("control.eml", "From: me@x.test\nTo: a@x.test\n\n")

    code, out, err = r.tool("test", "--lang", "en", "--conf", rules, hostile)
    r.check("the tester says the engine gives up on the hostile message",
            code == 1 and "pattern engine gave up" in out, out + err)

    # A pattern that does not compile: the loader's throw at start.
    broken = r.write("broken.conf", "ALL=(\n")
    code, out, err = r.run("sendwarden-host", preload + ["--record", "--conf", broken, control])
    r.check("start with a pattern that does not compile: the host lives, start answers 0,"
            " the send is refused with the general text",
            code == 1 and "start 0\n" in out and verdicts(out) == [(control, "refused (-1)")]
            and boxes(out) == [GENERAL.encode("cp932").hex()]
            and "host texts outstanding 0, unknown frees 0" in out, out + err)

    # An unknown escape (the extraction's throw), the engine giving up
    # (the check's throw), then a message that must still go out.
    code, out, err = r.run("sendwarden-host", preload + ["--record", "--conf", rules, escape,
                                                         hostile, control])
    r.check("unknown escape, then hostile pattern, then an allowed message: refused, refused"
            " (one general box each), sent; the host lives",
            code == 1 and verdicts(out) == [(escape, "refused (-1)"),
                                            (hostile, "refused (-1)"),
                                            (control, "send (0)")]
            and boxes(out) == [GENERAL.encode("cp932").hex()] * 2
            and "host texts outstanding 0, unknown frees 0" in out, out + err)


if __name__ == "__main__":
    sys.exit(harness.main(run, ("--runtime", str, [])))
