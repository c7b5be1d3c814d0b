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
two lines; in a "+" line it is a line break.

The tree is copied to a scratch folder (only changed files are copied again)
and built there once; the scratch build is kept between runs and compiles
through ccache when it is installed. Each mutant is applied to the copy, the
suites are rebuilt and their tests run through CTest, with the environment
and wrappers CTest gives them (offscreen Qt, a private session bus) and under
an address-space limit; then the file is put back, and its dependents rebuild
from ccache. A mutant is killed when a test fails or times out, and survives
when every test passes. The working tree is never modified.

    scripts/mutate.py tests/mutants/engine-controller.txt tests/mutants/edgewifi.txt
    scripts/mutate.py --only 3 tests/mutants/edgewifi.txt     # the third mutant alone
    scripts/mutate.py --check tests/mutants/*.txt              # do the lists still match the code?
"""
import argparse
import filecmp
import json
import os
import re
import resource
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


def limit_memory(megabytes):
    """A preexec function: caps the address space of the tests it starts, so
    that a mutant which makes some code allocate without bound fails its test
    instead of exhausting the machine."""
    def apply():
        limit = megabytes * 1024 * 1024
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return apply if megabytes > 0 else None


def run(command, timeout=None, cwd=None, memory_mb=0):
    try:
        done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout,
                              preexec_fn=limit_memory(memory_mb), start_new_session=True)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, "timed out"


def configure(source_copy, build_dir):
    """Configures the scratch build once; later runs reuse it (the build
    itself reruns CMake when a CMakeLists.txt changed). Through ccache when
    it is there, so that putting a mutated file back recompiles its
    dependents from the cache instead of the compiler."""
    if os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
        return 0, ""
    command = ["cmake", "-S", source_copy, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Debug"]
    if shutil.which("ninja"):
        command += ["-G", "Ninja"]
    if shutil.which("ccache"):
        command += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    return run(command)


def build(build_dir, suites, jobs):
    return run(["cmake", "--build", build_dir, "-j", str(jobs), "--target", *suites])


def ctest_numbers(build_dir, suites):
    """The CTest numbers of every test that runs one of the suites' programs
    (gtest_discover_tests makes one CTest test per test case), with the
    environment and wrappers CTest gives each."""
    status, output = run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"])
    if status != 0:
        sys.exit("ctest cannot list the tests:\n" + output)
    numbers = {suite: [] for suite in suites}
    for number, test in enumerate(json.loads(output[output.index("{"):])["tests"], 1):
        programs = {os.path.basename(part) for part in test.get("command", [])}
        for suite in suites:
            if suite in programs:
                numbers[suite].append(number)
    for suite, found in numbers.items():
        if not found:
            sys.exit(f"CTest runs no test of {suite} under {build_dir}")
    return sorted({n for found in numbers.values() for n in found})


def run_suites(build_dir, suites, options):
    """None when every test passes, else the names of the failing ones."""
    numbers = ctest_numbers(build_dir, suites)
    command = ["ctest", "--test-dir", build_dir, "--stop-on-failure", "-j", str(options.jobs),
               "--timeout", str(options.timeout), "-I", "0,0,0," + ",".join(map(str, numbers))]
    status, output = run(command, timeout=options.timeout * 2, memory_mb=options.memory)
    if status == 0:
        return None
    if status is None:
        return "a timeout"
    failed = re.findall(r"^\s*\d+ - (\S+) \(", output, re.MULTILINE)
    return ", ".join(failed[:3]) or output.strip().splitlines()[-1]


def check_lists(mutants, source, skip_missing):
    """Every mutant must name text found exactly once in its file (or, to
    measure an older tree, may name text it lacks)."""
    problems, present = [], []
    for m in mutants:
        try:
            with open(os.path.join(source, m.path), encoding="utf-8") as handle:
                count = len(m.pattern().findall(handle.read()))
        except FileNotFoundError:
            count = 0
        if count == 1:
            present.append(m)
        elif count > 1 or not skip_missing:
            problems.append(f"{m.label()}: text found {count} times")
    return present, problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("lists", nargs="+", help="mutant list files")
    parser.add_argument("--work", default=os.path.join(TOP, "build", "mutation"), help="scratch folder")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=float, default=600.0, help="seconds per test")
    parser.add_argument("--memory", type=int, default=4096,
                        help="address-space limit of the tests, in MiB (0: none)")
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
    source = os.path.abspath(options.source)
    present, problems = check_lists(mutants, source, options.skip_missing)
    if problems:
        sys.exit("\n".join(problems))
    if options.skip_missing:
        print(f"{len(mutants) - len(present)} mutants left out: their text is not in this tree")
        mutants = present
    if options.check:
        print(f"{len(mutants)} mutants: each text found once")
        return 0

    source_copy = os.path.join(options.work, "src")
    build_dir = os.path.join(options.work, "build")
    sync_tree(source, source_copy)
    suites = sorted({s for m in mutants for s in m.suites})
    status, output = configure(source_copy, build_dir)
    if status != 0:
        sys.exit(output)
    status, output = build(build_dir, suites, options.jobs)
    if status != 0:
        sys.exit("the unmutated tree does not build:\n" + output)
    failing = run_suites(build_dir, suites, options)
    if failing:
        sys.exit(f"{failing} fails without any mutant: fix it first")

    killed, survived, stillborn = [], [], []
    for m in mutants:
        started = time.monotonic()
        target = os.path.join(source_copy, m.path)
        with open(target, encoding="utf-8") as handle:
            original = handle.read()
        try:
            with open(target, "w", encoding="utf-8") as handle:
                handle.write(m.apply(original))
            status, _ = build(build_dir, m.suites, options.jobs)
            if status != 0:
                verdict = "does not build"
                stillborn.append(m)
            else:
                failing = run_suites(build_dir, m.suites, options)
                verdict = f"killed by {failing}" if failing else "SURVIVED"
                (killed if failing else survived).append(m)
        finally:
            # The unmutated text, with a fresh time so that its dependents
            # rebuild (from ccache) on the next build.
            with open(target, "w", encoding="utf-8") as handle:
                handle.write(original)
        print(f"{verdict[:60]:>24}  {m.label()}  ({time.monotonic() - started:.0f} s)", flush=True)

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
