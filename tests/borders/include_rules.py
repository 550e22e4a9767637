#!/usr/bin/env python3
"""Which folder of our code may include which: every #include "..." of our own
sources is held against one table, the same table docs/architecture.md shows.

  include_rules.py ROOT            checks every source below ROOT; exit 1 on a
                                   forbidden or unknown include, each named
  include_rules.py ROOT --table    prints the table as docs/architecture.md has it
  include_rules.py ROOT --docs     checks that docs/architecture.md has it as printed
  include_rules.py --planted       checks that a forbidden include planted in a
                                   small tree of its own is found
"""
import os
import re
import sys
import tempfile

# A source belongs to the longest folder of this table that holds it; it may
# include what its own folder holds and what the folders and headers listed
# for it hold. Names ending in "/" are folders, others single headers. Tests
# and the fuzzer may include anything and are not listed.
RULES = [
    ("common/", []),
    ("platform/", ["common/"]),
    ("unzip32/format/", ["unzip32/unzip32.h"]),
    ("unzip32/os/", ["unzip32/format/"]),
    ("unzip32/data/", ["unzip32/format/", "unzip32/os/"]),
    ("unzip32/run/", ["unzip32/unzip32.h", "unzip32/format/", "unzip32/os/", "unzip32/data/"]),
    ("unzip32/modes/", ["unzip32/unzip32.h", "unzip32/format/", "unzip32/os/", "unzip32/data/", "unzip32/run/"]),
    ("unzip32/", ["unzip32/format/", "unzip32/os/", "unzip32/data/", "unzip32/run/", "unzip32/modes/"]),
    ("unzip32/reuse/", ["unzip32/format/", "unzip32/os/", "unzip32/data/", "unzip32/modes/"]),
    ("unzip/", ["common/", "platform/", "unzip32/unzip32.h"]),
    ("installer/", ["common/", "platform/", "unzip/"]),
    ("installer/win32/", ["common/", "platform/", "unzip/", "installer/", "resources/"]),
    ("launcher/", ["common/", "platform/", "installer/", "resources/", "unzip32/reuse/"]),
    ("packer/base/", ["common/", "platform/"]),
    ("packer/files/", ["packer/base/", "platform/", "unzip32/reuse/"]),
    ("packer/archive/", ["packer/base/", "packer/files/", "unzip32/reuse/"]),
    ("packer/check/", ["packer/base/", "common/", "platform/", "installer/", "unzip/", "launcher/",
                       "unzip32/unzip32.h", "unzip32/reuse/"]),
    ("packer/sign/", ["packer/base/", "packer/files/", "packer/check/", "platform/", "unzip32/reuse/"]),
    ("packer/single_file/", ["packer/base/", "packer/files/", "packer/archive/", "packer/check/", "packer/sign/",
                             "common/", "platform/", "installer/", "launcher/", "unzip32/reuse/"]),
    ("packer/package/", ["packer/base/", "packer/files/", "packer/archive/", "packer/check/", "packer/sign/",
                         "packer/single_file/", "installer/"]),
    ("packer/cli/", ["packer/", "common/", "unzip/"]),
    ("resources/", []),
    ("bench/", ["unzip32/unzip32.h"]),
]
UNCHECKED = ("tests/",)
# Made by the build (CMakeLists.txt configures it from cmake/project_version.h.in);
# anyone may include it.
GENERATED = ("project_version.h",)
SOURCE = (".c", ".cpp", ".h", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    best = None
    for folder, allowed in RULES:
        if path.startswith(folder) and (best is None or len(folder) > len(best[0])):
            best = (folder, allowed)
    return best


def allows(folder, allowed, header):
    return any(header.startswith(rule) if rule.endswith("/") else header == rule for rule in [folder] + allowed)


def problems(root):
    found = []
    for top, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if not d.startswith(".") and d not in ("build", "dist")]
        for name in files:
            path = os.path.relpath(os.path.join(top, name), root).replace(os.sep, "/")
            if not name.endswith(SOURCE) or path.startswith(UNCHECKED):
                continue
            rule = folder_of(path)
            text = open(os.path.join(root, path), encoding="utf-8", errors="replace").read()
            for header in INCLUDE.findall(text):
                if header in GENERATED:
                    continue
                if not os.path.isfile(os.path.join(root, header)):
                    found.append(f'{path}: includes "{header}", which is not a header of ours named from the top')
                    continue
                if rule is None:
                    found.append(f'{path}: lies in no folder of the table')
                    break
                if not allows(rule[0], rule[1], header):
                    found.append(f'{path}: {rule[0]} may not include "{header}"')
    return found


def table():
    rows = ["| Folder | May include, besides itself |", "|---|---|"]
    for folder, allowed in RULES:
        rows.append(f"| `{folder}` | {', '.join(f'`{a}`' for a in allowed) or 'nothing of ours'} |")
    return "\n".join(rows)


def planted():
    with tempfile.TemporaryDirectory() as root:
        for path, text in {"packer/cli/command_line.h": "", "packer/base/text.h": "",
                           "packer/base/text.cpp": '#include "packer/base/text.h"\n#include "packer/cli/command_line.h"\n'}.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            open(os.path.join(root, path), "w").write(text)
        found = problems(root)
    if found == ['packer/base/text.cpp: packer/base/ may not include "packer/cli/command_line.h"']:
        return 0
    print("the planted include was not found as it should be:", found)
    return 1


def main():
    if sys.argv[1:] == ["--planted"]:
        return planted()
    root = sys.argv[1]
    if sys.argv[2:] == ["--table"]:
        print(table())
        return 0
    if sys.argv[2:] == ["--docs"]:
        docs = open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8").read()
        if table() in docs:
            return 0
        print("docs/architecture.md does not show the table of tests/borders/include_rules.py (--table prints it)")
        return 1
    found = problems(root)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
