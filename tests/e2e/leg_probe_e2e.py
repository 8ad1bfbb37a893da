#!/usr/bin/env python3
"""How scripts/runs-32bit, scripts/binfmt-qemu-i386 and scripts/windows-leg
see each kind of machine. The kinds are made in a user and mount namespace
with a binfmt_misc of its own (Linux 6.7 and later), so this machine's
registrations stay as they are: nothing registered; qemu-i386 registered,
then disabled, then enabled again; every i386 program refused, as by a
kernel that cannot run them.

  leg_probe_e2e.py --scripts DIR

Exits 77 (skipped) where no such namespace can be made or qemu-i386-static
is not installed (scripts/install-deps brings it where the kernel cannot run
32-bit code)."""
import argparse
import os
import subprocess
import sys

from harness import Checks

I386_MAGIC = (r"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:"
              r"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff")

# Each step prints one line NAME=VALUE; what a script said is kept on one line.
STEPS = r"""
set -u
fs=/proc/sys/fs/binfmt_misc
mount -t binfmt_misc binfmt_misc "$fs" 2>/dev/null || exit 77
probe() { "$S/runs-32bit"; echo $?; }
said() { "$S/binfmt-qemu-i386" 2>&1 | tr '\n' '|'; }
echo "bare=$(probe)"
echo "register=$(said)"
echo "qemu=$(probe)"
echo "leg_qemu=$("$S/windows-leg" 2>/dev/null)"
echo "again=$(said)"
echo 0 >"$fs/qemu-i386"
echo "disabled=$(probe)"
echo "enable=$(said)"
echo "enabled=$(probe)"
echo -1 >"$fs/qemu-i386"
printf '%s' ":no-i386:M::$MAGIC:/bin/false:F" >"$fs/register"
echo "refused=$(probe)"
echo "leg_refused=$("$S/windows-leg" 2>/dev/null)"
"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scripts", required=True)
    args = parser.parse_args()
    if not os.access("/usr/bin/qemu-i386-static", os.X_OK):
        print("skipped: /usr/bin/qemu-i386-static is not installed")
        return 77
    env = dict(os.environ, S=os.path.abspath(args.scripts), MAGIC=I386_MAGIC)
    try:
        done = subprocess.run(["unshare", "--user", "--map-root-user", "--mount", "bash", "-c",
                               STEPS], capture_output=True, text=True, env=env, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as error:
        print("skipped: no namespace of its own: %s" % error)
        return 77
    if done.returncode == 77 or (done.returncode != 0 and not done.stdout):
        print("skipped: no binfmt_misc of its own in a user namespace: %s" % done.stderr.strip())
        return 77
    seen = dict(line.split("=", 1) for line in done.stdout.splitlines() if "=" in line)

    checks = Checks()
    check = checks.check
    check("nothing registered: the kernel's own answer, runs (0) or not (1), never emulated "
          "(%s)" % seen.get("bare"), seen.get("bare") in ("0", "1"))
    check("qemu-i386 registered and said so (%s)" % seen.get("register"),
          "registered /usr/bin/qemu-i386-static" in seen.get("register", ""))
    check("with qemu-i386 registered, 32-bit code runs emulated (2), never taken for the kernel "
          "(%s)" % seen.get("qemu"), seen.get("qemu") == "2")
    check("the leg is then win32-emulated (%s)" % seen.get("leg_qemu"),
          seen.get("leg_qemu") == "win32-emulated")
    check("registering again does nothing and says nothing (%r)" % seen.get("again"),
          seen.get("again") == "")
    check("a disabled entry leaves the kernel's own answer (%s)" % seen.get("disabled"),
          seen.get("disabled") == seen.get("bare"))
    check("a disabled entry is enabled and said so (%s)" % seen.get("enable"),
          "enabled the existing qemu-i386 entry" in seen.get("enable", ""))
    check("enabled again, 32-bit code runs emulated (%s)" % seen.get("enabled"),
          seen.get("enabled") == "2")
    check("every i386 program refused: cannot run 32-bit code (%s)" % seen.get("refused"),
          seen.get("refused") == "1")
    check("the leg is then win64 (%s)" % seen.get("leg_refused"),
          seen.get("leg_refused") == "win64")
    return checks.summary()


if __name__ == "__main__":
    sys.exit(main())
