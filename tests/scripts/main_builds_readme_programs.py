#!/usr/bin/env python3
"""Every program the README runs from build/release is one that
scripts/main.sh builds there: a reader who ran main.sh can run each line."""
import pathlib
import re
import sys

top = pathlib.Path(__file__).resolve().parents[2]
readme = (top / "README.md").read_text()
script = (top / "scripts" / "main.sh").read_text()

named = set(re.findall(r"build/release/(?:[\w.-]+/)*([\w.-]+)", readme))
named -= {"workday.png"}
built = set()
for line in script.splitlines():
    found = re.search(r"cmake --build .*--target ((?:[\w.-]+ )+)", line)
    if found:
        built.update(found.group(1).split())
# The engine library is the target Corvane.
built = {"libCorvane.so" if name == "Corvane" else name for name in built}
missing = sorted(named - built)
if missing:
    print("README names programs scripts/main.sh does not build:", ", ".join(missing))
    sys.exit(1)
print("main.sh builds", ", ".join(sorted(built)))
