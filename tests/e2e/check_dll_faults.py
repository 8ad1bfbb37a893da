#!/usr/bin/env python3
"""check_dll.py's calling-convention check finds the faults it is there for.

Small DLLs are built with the product's compiler and link options, the same
.def file and DllMain's object named as in the product: one right, and one
per fault that links without a word: DllMain declared without WINAPI (the
runtime's own DllMain is taken instead), and a callback declared without
WINAPI (--enable-stdcall-fixup binds the .def file's BKC_OnSend@4 to it,
and its ret leaves the argument on the mail client's stack).

  check_dll_faults.py --compiler i686-w64-mingw32-g++-posix --def Sendwarden.def"""
import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_dll  # noqa: E402
from harness import Checks  # noqa: E402

SOURCE = """#include <windows.h>
#include <stdexcept>
static int state;
extern "C" int %(onstart)s BKC_OnStart() { return state; }
extern "C" int WINAPI BKC_OnExit() { return 0; }
extern "C" int %(onsend)s BKC_OnSend(const char* text) {
  try { if (text == nullptr) throw std::runtime_error("none"); return text[0] == 'x' ? -1 : 0; }
  catch (...) { return -1; }
}
extern "C" int WINAPI BKC_OnPlugInInfo(void* info) { return info ? 0 : state; }
extern "C" BOOL %(dllmain)s DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) state = GetCurrentProcessId() & 1;
  return TRUE;
}
"""
RIGHT = {"onstart": "WINAPI", "onsend": "WINAPI", "dllmain": "WINAPI"}
VARIANTS = [
    ("right", RIGHT, set()),
    ("DllMain without WINAPI", dict(RIGHT, dllmain=""), {"DllMain@12"}),
    ("BKC_OnSend without WINAPI", dict(RIGHT, onsend=""), {"BKC_OnSend pops"}),
    ("BKC_OnStart without WINAPI, no arguments", dict(RIGHT, onstart=""), set()),
]


def build(compiler, definitions, folder, declarations):
    objects = os.path.join(folder, "host")
    os.makedirs(objects)
    source = os.path.join(folder, "module_entry.cc")
    with open(source, "w") as out:
        out.write(SOURCE % declarations)
    obj = os.path.join(objects, "module_entry.cc.obj")
    dll = os.path.join(folder, "Sendwarden.dll")
    subprocess.run([compiler, "-O2", "-c", source, "-o", obj], check=True)
    subprocess.run([compiler, "-shared", "-static", "-s", "-o", dll, obj, definitions,
                    "-Wl,--kill-at", "-Wl,--enable-stdcall-fixup",
                    "-Wl,-Map=" + os.path.join(folder, "Sendwarden.map")],
                   check=True, capture_output=True)
    return dll


def failed_checks(dll):
    quiet = Checks(quiet=True)
    check_dll.calling_convention(check_dll.Pe(open(dll, "rb").read()), dll,
                                 os.path.splitext(dll)[0] + ".map", quiet)
    return quiet.failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--compiler", required=True)
    parser.add_argument("--def", dest="definitions", required=True)
    args = parser.parse_args()
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="sendwarden-abi-") as scratch:
        for index, (name, declarations, expected) in enumerate(VARIANTS):
            dll = build(args.compiler, args.definitions, os.path.join(scratch, str(index)),
                        declarations)
            found = failed_checks(dll)
            # Each expected fault is named by some failed check, and nothing
            # else fails.
            named = all(any(fault in what for what in found) for fault in expected)
            stray = [what for what in found if not any(fault in what for fault in expected)]
            checks.check("%s: %s" % (name, "; ".join(found) or "no calling-convention problem"),
                         named and not stray and (bool(found) == bool(expected)))
    return checks.summary()


if __name__ == "__main__":
    sys.exit(main())
