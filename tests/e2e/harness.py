"""What the end-to-end scripts share: running a built program of any preset
(the Windows ones, win32 and win64, under their leg's Wine) and counting
checks."""
import argparse
import os
import subprocess


def parse_arguments(*extra):
    """The options every end-to-end script takes: where the build, the
    source and the Wine helpers are, and which preset built it."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--platform", choices=["linux", "win32", "win64"], required=True)
    parser.add_argument("--source")
    parser.add_argument("--examples")
    parser.add_argument("--scripts", required=True)
    for name, kind, default in extra:
        # A list default makes the option repeatable.
        parser.add_argument(name, type=kind, default=default,
                            action="append" if isinstance(default, list) else "store")
    return parser.parse_args()


class Harness:
    def __init__(self, build, platform, scripts):
        self.build, self.platform, self.scripts = build, platform, scripts
        self.passed = self.failed = 0
        self.windows = platform in ("win32", "win64")
        # 32-bit programs under qemu-i386 (scripts/wine-env says so to the
        # session): each Windows process then takes about a second to start.
        self.emulated = platform == "win32" and os.environ.get("SENDWARDEN_WIN32_MODE") == "emulated"

    def run(self, program, args, output_encoding="utf-8", cwd=None, env=None):
        """(exit code, stdout, stderr) of a built program, line ends made LF."""
        if self.windows:
            command = [os.path.join(self.scripts, "wine-run"), self.platform,
                       os.path.join(self.build, program + ".exe")]
        else:
            command = [os.path.join(self.build, program)]
        try:
            done = subprocess.run(command + list(args), capture_output=True, cwd=cwd, env=env,
                                  timeout=120)
        except subprocess.TimeoutExpired:
            # Reported as a failed run, with what ran, so the check names it.
            return 124, "", "timed out after 120 s: %s\n" % " ".join(command + list(args))
        # Windows programs write text-mode line ends.
        text = [stream.decode(output_encoding, "replace").replace("\r\n", "\n")
                for stream in (done.stdout, done.stderr)]
        return done.returncode, text[0], text[1]

    def check(self, name, condition, detail=""):
        if condition:
            self.passed += 1
            print("ok   " + name)
        else:
            self.failed += 1
            print("FAIL " + name + ("\n" + detail if detail else ""))

    def summary(self):
        print("%d passed, %d failed" % (self.passed, self.failed))
        return 1 if self.failed else 0
