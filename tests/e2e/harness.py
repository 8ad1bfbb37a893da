"""What the end-to-end scripts share: running a built program of any preset
(the Windows ones, win32 and win64, under their leg's Wine), sendwarden-check
as a user runs it, a scratch folder, and counting checks."""
import argparse
import contextlib
import json
import os
import re
import subprocess
import tempfile


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


def text(data, encoding="utf-8"):
    """A program's output as text, line ends made LF: Windows programs write
    text-mode line ends."""
    return data.decode(encoding, "replace").replace("\r\n", "\n")


class Checks:
    """Every script's count of checks, each printed as it is made. Quiet,
    it only keeps the names of those that failed, for a check of checks."""

    def __init__(self, quiet=False):
        self.passed, self.failures, self.quiet = 0, [], quiet

    def check(self, name, condition, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failures.append(name)
        if not self.quiet:
            print("ok   " + name if condition else "FAIL " + name + ("\n" + detail if detail else ""))
        return bool(condition)

    def summary(self):
        print("%d passed, %d failed" % (self.passed, len(self.failures)))
        return 1 if self.failures else 0


class Harness(Checks):
    def __init__(self, build, platform, scripts):
        super().__init__()
        self.build, self.platform, self.scripts = build, platform, scripts
        self.windows = platform in ("win32", "win64")
        # 32-bit programs under qemu-i386 (scripts/wine-env says so to the
        # session): each Windows process then takes about a second to start.
        self.emulated = platform == "win32" and os.environ.get("SENDWARDEN_WIN32_MODE") == "emulated"
        # A Japanese Windows writes code page 932.
        self.encoding = "cp932" if self.windows else "utf-8"
        # Where tool() runs unless told, how long a run may take, and how
        # many there were.
        self.cwd, self.timeout, self.runs = None, 120, 0
        self.scratch = None

    def run_bytes(self, program, args, cwd=None, env=None, input=None, built=True):
        """(exit code, stdout, stderr) as bytes of a built program, or with
        built=False of a command the leg runs as it is (cmd under Wine)."""
        if built:
            program = os.path.join(self.build, program + (".exe" if self.windows else ""))
        command = ([os.path.join(self.scripts, "wine-run"), self.platform] if self.windows
                   else []) + [program] + list(args)
        self.runs += 1
        try:
            done = subprocess.run(command, capture_output=True, cwd=cwd, env=env, input=input,
                                  timeout=self.timeout)
        except subprocess.TimeoutExpired:
            # Reported as a failed run, with what ran, so the check names it.
            return 124, b"", ("timed out after %d s: %s\n"
                              % (self.timeout, " ".join(command))).encode("utf-8", "replace")
        return done.returncode, done.stdout, done.stderr

    def run(self, program, args, output_encoding="utf-8", **options):
        """(exit code, stdout, stderr) as text."""
        code, out, err = self.run_bytes(program, args, **options)
        return code, text(out, output_encoding), text(err, output_encoding)

    def tool(self, *args, cwd=None, env=None, raw=False):
        """sendwarden-check in `cwd` (self.cwd unless given), as text in the
        system's code page; raw, its standard output as bytes."""
        code, out, err = self.run_bytes("sendwarden-check", args, cwd=cwd or self.cwd, env=env)
        return code, out if raw else text(out, self.encoding), text(err, self.encoding)

    def json_lines(self, name, out):
        """The objects of JSON lines output, files named with "/" on every
        leg; when it is no JSON lines, none, and a failed check says so."""
        try:
            items = [json.loads(line) for line in out.decode("utf-8").splitlines()]
        except ValueError as error:
            self.check(name + ": JSON lines", False, "%s\n%r" % (error, out[:2000]))
            return []
        for item in items:
            if "file" in item:
                item["file"] = item["file"].replace("\\", "/")
        return items

    def host_results(self, conf, messages):
        """{message path: (verdict, box text)} from one run of the host on the
        plug-in module (the DLL on Windows)."""
        _, out, _ = self.run("sendwarden-host", ["--record", "--conf", conf] + messages)
        results = {}
        for path in messages:
            marker = "== %s\n" % path
            start = out.find(marker)
            if start < 0:
                results[path] = ("no verdict", "")
                continue
            end = out.find("\n== ", start + len(marker))
            section = out[start:end if end >= 0 else len(out)]
            verdict = re.search(r"^%s: (send|refused) " % re.escape(path), section, re.M)
            box = re.search(r"^box owner=\S+ style=\S+ caption=[0-9a-f]* text=([0-9a-f]*)$",
                            section, re.M)
            shown = bytes.fromhex(box.group(1)).decode("cp932").replace("\r\n", "\n") if box else ""
            results[path] = (verdict.group(1) if verdict else "no verdict", shown)
        return results

    @contextlib.contextmanager
    def scratch_folder(self):
        """A new empty folder as self.scratch while the block runs, removed
        after; the one before comes back."""
        outer = self.scratch
        try:
            with tempfile.TemporaryDirectory(prefix="sendwarden-", ignore_cleanup_errors=True) \
                    as self.scratch:
                yield self.scratch
        finally:
            self.scratch = outer

    def write(self, name, data, encoding="cp932"):
        """A file in the scratch folder (or at an absolute path), its folders
        made: bytes as they are, text in CR LF line ends and `encoding`."""
        path = os.path.join(self.scratch, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data if isinstance(data, bytes)
                      else data.replace("\n", "\r\n").encode(encoding))
        return path


def main(run, *extra, kind=Harness):
    """A script's whole run: its options (the common ones and `extra`),
    run(harness, options) in a scratch folder, then the count as exit status."""
    args = parse_arguments(*extra)
    r = kind(args.build, args.platform, args.scripts)
    with r.scratch_folder():
        run(r, args)
    return r.summary()
