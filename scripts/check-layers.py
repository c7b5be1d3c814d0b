#!/usr/bin/env python3
"""Checks that each part of the tree includes only the parts it may use
(docs/architecture.md draws the picture). Prints every offending include and
exits 1 when there is one."""
import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folder prefix -> the prefixes its project includes may name. The most
# specific prefix of a file decides.
ALLOWED = {
    "shared/": ["shared/"],
    "engine/platform/": ["engine/platform/", "shared/"],
    "engine/": ["engine/", "shared/"],
    "host/": ["host/", "engine/platform/", "shared/"],
    "sim/": ["sim/", "host/", "engine/platform/", "shared/"],
    "device/": ["device/", "host/", "engine/platform/", "shared/"],
    "app/qt/": ["app/", "shared/"],
    "app/": ["app/model/", "app/screens/", "app/platform/", "app/chart/", "shared/"],
}
PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s+"((?:shared|engine|host|sim|device|app)/[^"]+)"', re.M)


def rule_for(path):
    matches = [prefix for prefix in ALLOWED if path.startswith(prefix)]
    return ALLOWED[max(matches, key=len)] if matches else None


def main():
    offences = []
    for folder in ("shared", "engine", "host", "sim", "device", "app"):
        for root, _, files in os.walk(os.path.join(TOP, folder)):
            for name in files:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(root, name), TOP)
                allowed = rule_for(path)
                with open(os.path.join(TOP, path), encoding="utf-8") as handle:
                    for included in PROJECT_INCLUDE.findall(handle.read()):
                        if not any(included.startswith(prefix) for prefix in allowed):
                            offences.append(f"{path} includes {included}")
    for offence in offences:
        print(offence)
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
