#!/usr/bin/env python3
"""Fails when a folder of the plug-in's code includes one above it, or a
folder of the tools includes what it may not.

The layers, top to bottom, are those of ARCHITECTURE.md; a folder may include
itself and the layers below it. Per-target headers found through the include
path ("platform_config.h", "platform_regex.h") belong to platform/. Of the
tools, check/ may include common/ and the plug-in's layers, common/ the
plug-in's layers below host/, and host/ (the substitute mail client, which
talks to the module only through its binary interface) none of them."""
import os
import re
import sys

LAYERS = ["host", "check", "config", "message", "base", "platform"]
MAY_INCLUDE = {
    "host": {"host", "check", "config", "message", "base", "platform"},
    "check": {"check", "config", "message", "base", "platform"},
    "config": {"config", "base", "platform"},
    "message": {"message", "base", "platform"},
    "base": {"base", "platform"},
    "platform": {"platform"},
}
PLUGIN = set(LAYERS)
MAY_INCLUDE.update({
    "tools/sendwarden-check": {"tools/sendwarden-check", "tools/common"} | PLUGIN,
    "tools/common": {"tools/common"} | (PLUGIN - {"host"}),
    "tools/sendwarden-host": {"tools/sendwarden-host", "tools/common"},
})
FOLDERS = LAYERS + ["tools/sendwarden-check", "tools/common", "tools/sendwarden-host"]


def layer_of(include):
    if include.startswith("tools/"):
        return "/".join(include.split("/")[:2])
    return include.split("/", 1)[0] if "/" in include else "platform"


def main():
    root = sys.argv[1]
    problems = []
    for folder in FOLDERS:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cc")):
                    continue
                path = os.path.join(directory, name)
                for number, line in enumerate(open(path, encoding="utf-8"), 1):
                    found = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if found and layer_of(found.group(1)) not in MAY_INCLUDE[folder]:
                        problems.append("%s:%d: %s/ includes %s" % (
                            os.path.relpath(path, root), number, folder, found.group(1)))
    for problem in problems:
        print(problem)
    print("layering: %d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
