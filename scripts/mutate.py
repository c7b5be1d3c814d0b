#!/usr/bin/env python3
"""One-line mutation check: does some test fail when the code is broken?

Each list file names the test programs that guard its code and the mutants:

    # a comment
    suites: test_engine test_system
    @ engine/controller/CorvaneSleepCycle.cpp
    - if (awakeTimer) {
    + if (false) {

An "@" line names the file of the mutants that follow; each "-" line (the
exact text, found once in the file) is followed by a "+" line (what replaces
it). Leading and trailing spaces do not count, and "\\n" in a "-" line stands
for a line break and the next line's indentation, so that a mutant may span
two lines; in a "+" line it is a line break. The tree is copied to a scratch folder (only
changed files are copied again, so later runs rebuild little), built once,
then each mutant is applied to the copy, the suites are rebuilt and run, and
the file is put back. A mutant is killed when a suite fails or times out, and
survives when every suite passes. The working tree is never modified.

    scripts/mutate.py tests/mutants/engine-controller.txt tests/mutants/edgewifi.txt
    scripts/mutate.py --only 3 tests/mutants/edgewifi.txt     # the third mutant alone
    scripts/mutate.py --check tests/mutants/*.txt              # do the lists still match the code?
"""
import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass, field

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIPPED = {".git", "build"}


@dataclass
class Mutant:
    list_name: str
    number: int
    path: str
    original: str
    replacement: str
    suites: list = field(default_factory=list)

    def pattern(self):
        parts = [re.escape(part.strip()) for part in self.original.strip().split("\\n")]
        return re.compile(r"\n\s*".join(parts))

    def apply(self, text):
        replacement = "\n".join(part.strip() for part in self.replacement.strip().split("\\n"))
        return self.pattern().sub(lambda _: replacement, text, count=1)

    def label(self):
        return f"{self.list_name}#{self.number} {self.path}: {self.original.strip()!r} -> {self.replacement.strip()!r}"


def parse_list(list_path):
    mutants, suites, current_file, pending = [], [], None, None
    name = os.path.splitext(os.path.basename(list_path))[0]
    with open(list_path, encoding="utf-8") as handle:
        for number, raw in enumerate(handle, 1):
            line = raw.rstrip("\n")
            where = f"{list_path}:{number}"
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("suites:"):
                suites = line.split(":", 1)[1].split()
            elif line.startswith("@ "):
                current_file = line[2:].strip()
            elif line.startswith("- "):
                if current_file is None:
                    sys.exit(f"{where}: a mutant before any '@ file' line")
                pending = line[2:]
            elif line.startswith("+ ") or line == "+":
                if pending is None:
                    sys.exit(f"{where}: '+' without its '-' line")
                mutants.append(Mutant(name, len(mutants) + 1, current_file, pending, line[2:], suites))
                pending = None
            else:
                sys.exit(f"{where}: expected 'suites:', '@ file', '- text' or '+ text'")
    if pending is not None:
        sys.exit(f"{list_path}: the last '-' line has no '+' line")
    if not suites:
        sys.exit(f"{list_path}: no 'suites:' line")
    return mutants


def sync_tree(source, copy):
    """Makes `copy` hold the tree's files, copying only those that differ."""
    wanted = set()
    for folder, subfolders, files in os.walk(source):
        subfolders[:] = [d for d in subfolders if d not in SKIPPED or folder != source]
        relative = os.path.relpath(folder, source)
        os.makedirs(os.path.join(copy, relative), exist_ok=True)
        for name in files:
            rel = os.path.normpath(os.path.join(relative, name))
            wanted.add(rel)
            target = os.path.join(copy, rel)
            if not os.path.exists(target) or not filecmp.cmp(os.path.join(source, rel), target, shallow=False):
                # A fresh modification time, so that the build sees the change.
                shutil.copyfile(os.path.join(source, rel), target)
                shutil.copymode(os.path.join(source, rel), target)
    for folder, _, files in os.walk(copy):
        for name in files:
            rel = os.path.normpath(os.path.relpath(os.path.join(folder, name), copy))
            if rel not in wanted:
                os.remove(os.path.join(folder, name))


def run(command, timeout=None, cwd=None):
    try:
        done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, "timed out"


def build(build_dir, suites, jobs):
    return run(["cmake", "--build", build_dir, "-j", str(jobs), "--target", *suites])


def suite_path(build_dir, suite):
    for candidate in (os.path.join(build_dir, "tests", suite), os.path.join(build_dir, suite)):
        if os.path.exists(candidate):
            return candidate
    sys.exit(f"test program {suite} not found under {build_dir}")


def run_suites(build_dir, suites, timeout):
    """None when every suite passes, else the first failing suite."""
    for suite in suites:
        status, _ = run([suite_path(build_dir, suite), "--gtest_brief=1", "--gtest_fail_fast"], timeout=timeout,
                        cwd=build_dir)
        if status != 0:
            return suite
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("lists", nargs="+", help="mutant list files")
    parser.add_argument("--work", default=os.path.join(TOP, "build", "mutation"), help="scratch folder")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=float, default=600.0, help="seconds per suite run")
    parser.add_argument("--only", type=int, action="append", help="run only these mutant numbers")
    parser.add_argument("--source", default=TOP, help="the tree to mutate (default: this one)")
    parser.add_argument("--skip-missing", action="store_true",
                        help="leave out mutants whose text the tree lacks (to measure an older tree)")
    parser.add_argument("--check", action="store_true",
                        help="only check that every mutant's text is found once in the tree; build nothing")
    options = parser.parse_args()

    mutants = [m for path in options.lists for m in parse_list(path)]
    if options.only:
        mutants = [m for m in mutants if m.number in options.only]
    source_copy = os.path.join(options.work, "src")
    build_dir = os.path.join(options.work, "build")
    sync_tree(os.path.abspath(options.source), source_copy)

    # Every mutant must name text found exactly once before anything is built.
    problems, present = [], []
    for m in mutants:
        with open(os.path.join(source_copy, m.path), encoding="utf-8") as handle:
            count = len(m.pattern().findall(handle.read()))
        if count == 1 or (count == 0 and options.skip_missing):
            if count == 1:
                present.append(m)
        else:
            problems.append(f"{m.label()}: text found {count} times")
    if options.skip_missing:
        print(f"{len(mutants) - len(present)} mutants left out: their text is not in this tree")
        mutants = present
    if problems:
        sys.exit("\n".join(problems))
    if options.check:
        print(f"{len(mutants)} mutants: each text found once")
        return 0

    suites = sorted({s for m in mutants for s in m.suites})
    status, output = run(["cmake", "-S", source_copy, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Debug"])
    if status != 0:
        sys.exit(output)
    status, output = build(build_dir, suites, options.jobs)
    if status != 0:
        sys.exit("the unmutated tree does not build:\n" + output)
    failing = run_suites(build_dir, suites, options.timeout)
    if failing:
        sys.exit(f"{failing} fails without any mutant: fix it first")

    killed, survived, stillborn = [], [], []
    for m in mutants:
        started = time.monotonic()
        target = os.path.join(source_copy, m.path)
        with open(target, encoding="utf-8") as handle:
            original = handle.read()
        mutated = m.apply(original)
        try:
            with open(target, "w", encoding="utf-8") as handle:
                handle.write(mutated)
            status, _ = build(build_dir, m.suites, options.jobs)
            if status != 0:
                verdict = "does not build"
                stillborn.append(m)
            else:
                failing = run_suites(build_dir, m.suites, options.timeout)
                verdict = f"killed by {failing}" if failing else "SURVIVED"
                (killed if failing else survived).append(m)
        finally:
            with open(target, "w", encoding="utf-8") as handle:
                handle.write(original)
        print(f"{verdict:>24}  {m.label()}  ({time.monotonic() - started:.0f} s)", flush=True)

    counted = len(killed) + len(survived)
    rate = 100.0 * len(killed) / counted if counted else 0.0
    print(f"\n{len(killed)} killed, {len(survived)} survived, {len(stillborn)} did not build: "
          f"kill rate {rate:.1f} %")
    for m in survived:
        print(f"  survived: {m.label()}")
    # Leave the copy's objects matching the unmutated files.
    build(build_dir, suites, options.jobs)
    return 0 if not survived else 1


if __name__ == "__main__":
    sys.exit(main())
