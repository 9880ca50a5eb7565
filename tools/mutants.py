#!/usr/bin/env python3
"""Mutation runner: how many injected faults do the tests catch?

Applies one mutation at a time to a source file, builds only the test programs
that cover it, runs them with a time limit, puts the file back and reports
whether a test failed (caught) or all passed (survived).

  tools/mutants.py tools/mutants/imagefile.txt        # one subsystem's list
  tools/mutants.py tools/mutants/*.txt --table        # all lists, a summary table
  tools/mutants.py --random core/support/file_set.cpp -n 10 --tests core_support_tests
  tools/mutants.py LIST --only 3,7                    # some entries of a list

A list file holds blocks like this (see docs/testing.md):

  file core/imagefile/staged_file_set.cpp
  tests core_imagefile_tests cli_tests
  filter gui_tests=Scatter*:Print*     (optional: a --gtest_filter for this block,
                                       for one program or, bare, for all)
  - if (all) fs::remove(aside, ec);
  + fs::remove_all(aside, ec);
  # a comment line; a "-" line followed by no "+" line drops the text

The "-" text must occur exactly once in the file (give more of the line when it
does not; "⏎" in a text stands for a line break). A mutant that does not build is reported as "invalid" and left out
of the ratio. The build directory defaults to build/release (configured with
the release preset when missing).
"""

from __future__ import annotations

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


@dataclass
class Mutation:
    file: str
    old: str
    new: str
    tests: list[str]
    source: str = ""  # list file and line, for the report
    note: str = ""
    filter: str = ""  # a --gtest_filter for the block's test programs


@dataclass
class Result:
    mutation: Mutation
    verdict: str  # caught, survived, invalid, timeout, missing, no test
    detail: str = ""
    seconds: float = 0.0


# --------------------------------------------------------------------------
# List files


def parse_list(path: Path) -> list[Mutation]:
    mutations: list[Mutation] = []
    file = ""
    tests: list[str] = []
    block_filter = ""
    pending: tuple[str, int] | None = None
    note = ""

    def flush(new: str = "") -> None:
        nonlocal pending, note, block_filter
        if pending is None:
            return
        if not file or not tests:
            sys.exit(f"{path}:{pending[1]}: a mutation before its 'file' and 'tests' lines")
        mutations.append(Mutation(file, pending[0], new, list(tests), f"{path.name}:{pending[1]}",
                                  note, block_filter))
        pending = None
        note = ""

    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip("\n")
        if line.startswith("- "):
            flush()
            pending = (line[2:].replace("⏎", "\n"), number)
        elif line.startswith("+ ") or line == "+":
            if pending is None:
                sys.exit(f"{path}:{number}: '+' without a '-' before it")
            flush(line[2:].replace("⏎", "\n"))
        elif line.startswith("file "):
            flush()
            file = line[5:].strip()
            block_filter = ""
        elif line.startswith("filter "):
            flush()
            block_filter = line[7:].strip()
        elif line.startswith("tests "):
            flush()
            tests = line[6:].split()
        elif line.startswith("#"):
            if pending is None:
                note = line[1:].strip()
        elif line.strip():
            sys.exit(f"{path}:{number}: cannot read this line: {line!r}")
    flush()
    return mutations


# --------------------------------------------------------------------------
# Random mutations of a chosen file

_OPERATORS: list[tuple[str, str, str]] = [
    # (name, pattern, replacement); applied to the first match in a line
    ("flip comparison", r"(?<![<>=!])<=(?!=)", ">"),
    ("flip comparison", r"(?<![<>=!])>=(?!=)", "<"),
    ("off by one", r"(?<![<>=!-])<(?![<=])", "<="),
    ("off by one", r"(?<![<>=!-])>(?![>=])", ">="),
    ("flip equality", r"==", "!="),
    ("flip equality", r"!=", "=="),
    ("swap logic", r"&&", "||"),
    ("swap logic", r"\|\|", "&&"),
    ("change constant", r"(?<![\w.])1(?![\w.])", "2"),
    ("change constant", r"(?<![\w.])0(?![\w.])", "1"),
    ("flip result", r"return true;", "return false;"),
    ("flip result", r"return false;", "return true;"),
    ("negate check", r"if \(!", "if (("),
]

_SKIP = re.compile(r"^\s*(//|#|\*|/\*)|template\s*<|#include|static_assert|std::\w+<")


def random_mutations(file: str, count: int, seed: int, tests: list[str]) -> list[Mutation]:
    text = (ROOT / file).read_text(encoding="utf-8").splitlines()
    candidates: list[Mutation] = []
    for number, line in enumerate(text, 1):
        if _SKIP.search(line):
            continue
        code = line.split("//")[0]
        for name, pattern, replacement in _OPERATORS:
            m = re.search(pattern, code)
            if m:
                mutated = code[: m.start()] + replacement + code[m.end():]
                candidates.append(Mutation(file, code, mutated, tests, f"{file}:{number}", name))
        stripped = code.strip()
        if stripped.endswith(";") and not stripped.startswith(("return", "}", "case", "break")) \
                and "=" in stripped and "(" in stripped and stripped.count(";") == 1:
            candidates.append(Mutation(file, code, "", tests, f"{file}:{number}", "drop statement"))
    rng = random.Random(seed)
    rng.shuffle(candidates)
    # Lines must stay unique in the file for the mutation to be applied.
    whole = "\n".join(text)
    chosen = [c for c in candidates if whole.count(c.old) == 1]
    return chosen[:count]


# --------------------------------------------------------------------------
# Building and running


def ensure_build_dir(build: Path) -> None:
    if (build / "build.ninja").exists():
        return
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)


def build(build_dir: Path, targets: list[str], jobs: int) -> tuple[bool, str]:
    proc = subprocess.run(["cmake", "--build", str(build_dir), "--parallel", str(jobs), "--target",
                           *targets], cwd=ROOT, capture_output=True, text=True)
    return proc.returncode == 0, proc.stdout[-2000:] + proc.stderr[-2000:]


def test_binary(build_dir: Path, target: str) -> Path:
    for candidate in (build_dir / "bin" / target, build_dir / "tests" / target, build_dir / target):
        if candidate.exists():
            return candidate
    return build_dir / "bin" / target


_FAILED = re.compile(r"^\[  FAILED  \] (\S+)", re.M)
_QT_FAIL = re.compile(r"^FAIL!\s+:\s+(\S+)", re.M)


def run_tests(build_dir: Path, tests: list[str], timeout: float, gtest_filter: str) -> tuple[str, str]:
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LANG="C.UTF-8", LC_ALL="", LC_MESSAGES="")
    # "gui_tests=Map*" filters one program; a bare pattern filters them all.
    per_target = dict(f.split("=", 1) for f in gtest_filter.split() if "=" in f)
    common = " ".join(f for f in gtest_filter.split() if "=" not in f)
    for target in tests:
        command = [str(test_binary(build_dir, target)), "--gtest_brief=1"]
        pattern = per_target.get(target, common)
        if pattern:
            command.append(f"--gtest_filter={pattern}")
        try:
            proc = subprocess.run(command, cwd=test_binary(build_dir, target).parent, env=env,
                                  capture_output=True, text=True, timeout=timeout,
                                  start_new_session=True)
        except subprocess.TimeoutExpired:
            return "timeout", f"{target} ran past {timeout:.0f} s"
        if re.search(r"^\[==========\] 0 tests from", proc.stdout, re.M):
            return "no test", f"{target}: the filter matched no test"
        if proc.returncode != 0:
            output = proc.stdout + proc.stderr
            names = sorted(set(_FAILED.findall(output)) | set(_QT_FAIL.findall(output)))
            if not names:
                names = [f"exit {proc.returncode}" if proc.returncode > 0
                         else f"signal {signal.Signals(-proc.returncode).name}"]
            return "caught", f"{target}: {', '.join(names[:3])}" + (" …" if len(names) > 3 else "")
    return "survived", ""


def apply(m: Mutation) -> str | None:
    """Returns the original text, or None when the mutation cannot be placed."""
    path = ROOT / m.file
    original = path.read_text(encoding="utf-8")
    if original.count(m.old) != 1:
        return None
    path.write_text(original.replace(m.old, m.new, 1), encoding="utf-8")
    return original


def restore(m: Mutation, original: str) -> None:
    # The new modification time makes the build system compile the file
    # again (a cache hit), so no mutant object outlives its run.
    (ROOT / m.file).write_text(original, encoding="utf-8")


def run_one(m: Mutation, build_dir: Path, jobs: int, timeout: float, gtest_filter: str) -> Result:
    start = time.monotonic()
    original = apply(m)
    if original is None:
        return Result(m, "missing", "the '-' text is not found exactly once")
    try:
        ok, log = build(build_dir, m.tests, jobs)
        if not ok:
            error = next((l for l in log.splitlines() if "error" in l), "build failed")
            return Result(m, "invalid", error.strip()[:160], time.monotonic() - start)
        verdict, detail = run_tests(build_dir, m.tests, timeout, m.filter or gtest_filter)
        return Result(m, verdict, detail, time.monotonic() - start)
    finally:
        restore(m, original)


# --------------------------------------------------------------------------


def short(text: str, width: int = 60) -> str:
    text = " ".join(text.split())
    return text if len(text) <= width else text[: width - 1] + "…"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("lists", nargs="*", type=Path, help="mutation list files")
    parser.add_argument("--random", metavar="FILE", help="mutate random lines of this source file")
    parser.add_argument("-n", type=int, default=10, help="how many random mutations (default 10)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the random choice")
    parser.add_argument("--tests", nargs="+", default=[], help="test programs for --random")
    parser.add_argument("--only", default="", help="entries of the lists to run: 1,4,7 (1-based)")
    parser.add_argument("--filter", default="", help="a --gtest_filter for every test program")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build" / "release")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--timeout", type=float, default=60, help="seconds per test program")
    parser.add_argument("--table", action="store_true", help="end with a Markdown summary table")
    parser.add_argument("--check", action="store_true",
                        help="only check that every mutation can be placed; build nothing")
    args = parser.parse_args()

    def interrupt(*_):
        raise KeyboardInterrupt

    # Also when started in the background, where SIGINT may be ignored: the
    # file under mutation is always put back.
    signal.signal(signal.SIGINT, interrupt)
    signal.signal(signal.SIGTERM, interrupt)

    groups: list[tuple[str, list[Mutation]]] = []
    for lst in args.lists:
        groups.append((lst.stem, parse_list(lst)))
    if args.random:
        if not args.tests:
            parser.error("--random needs --tests")
        groups.append((Path(args.random).stem,
                       random_mutations(args.random, args.n, args.seed, args.tests)))
    if not groups:
        parser.error("give a list file or --random FILE")
    if args.only:
        wanted = {int(x) for x in args.only.split(",")}
        groups = [(g, [m for i, m in enumerate(ms, 1) if i in wanted]) for g, ms in groups]

    if args.check:
        bad = 0
        for _, mutations in groups:
            for m in mutations:
                found = (ROOT / m.file).read_text(encoding="utf-8").count(m.old)
                if found != 1:
                    bad += 1
                    print(f"{m.source}: found {found} times in {m.file}: {short(m.old, 70)!r}")
        print(f"{sum(len(ms) for _, ms in groups)} mutations, {bad} not placeable")
        return 1 if bad else 0

    build_dir = args.build_dir.resolve()
    ensure_build_dir(build_dir)
    summary: list[tuple[str, int, int, int, float]] = []
    touched: set[str] = set()
    interrupted = False
    try:
        for name, mutations in groups:
            caught = survived = invalid = 0
            started = time.monotonic()
            print(f"== {name}: {len(mutations)} mutations", flush=True)
            # A test that fails without any mutation would "catch" every one:
            # each block's tests must pass on the clean tree first.
            failing: dict[tuple, str] = {}
            for key in dict.fromkeys((tuple(m.tests), m.filter or args.filter) for m in mutations):
                ok, log = build(build_dir, list(key[0]), args.jobs)
                verdict, detail = run_tests(build_dir, list(key[0]), args.timeout, key[1]) \
                    if ok else ("caught", "the clean tree does not build")
                if verdict != "survived":
                    failing[key] = detail
                    print(f"    the clean tree fails its tests ({verdict}): {detail}", flush=True)
            for i, m in enumerate(mutations, 1):
                key = (tuple(m.tests), m.filter or args.filter)
                r = (Result(m, "baseline", "not run: " + failing[key]) if key in failing
                     else run_one(m, build_dir, args.jobs, args.timeout, args.filter))
                touched.update(m.tests)
                if r.verdict in ("caught", "timeout"):
                    caught += 1
                elif r.verdict == "survived":
                    survived += 1
                else:
                    invalid += 1
                label = r.verdict.upper() if r.verdict == "survived" else r.verdict
                print(f"{i:3} {label:8} {m.source:28} {short(m.old, 44)!r} -> {short(m.new, 30)!r}"
                      f"  {r.detail}  ({r.seconds:.0f} s)", flush=True)
            summary.append((name, caught, survived, invalid, time.monotonic() - started))
    except KeyboardInterrupt:
        interrupted = True
    finally:
        if touched:
            # Leave the build as the sources are, without a mutant in it.
            build(build_dir, sorted(touched), args.jobs)

    total_c = sum(s[1] for s in summary)
    total_s = sum(s[2] for s in summary)
    for name, c, s, inv, secs in summary:
        ratio = 100.0 * c / (c + s) if c + s else 0.0
        print(f"{name}: {c} caught, {s} survived, {inv} invalid; {ratio:.0f} % caught "
              f"({secs / 60:.1f} min)")
    if args.table:
        print("\n| list | caught | survived | invalid | caught % | minutes |")
        print("|---|---|---|---|---|---|")
        for name, c, s, inv, secs in summary:
            ratio = 100.0 * c / (c + s) if c + s else 0.0
            print(f"| {name} | {c} | {s} | {inv} | {ratio:.0f} | {secs / 60:.1f} |")
        if len(summary) > 1 and total_c + total_s:
            print(f"| all | {total_c} | {total_s} | | {100.0 * total_c / (total_c + total_s):.0f} | |")
    return 130 if interrupted else (1 if total_s else 0)


if __name__ == "__main__":
    sys.exit(main())
