#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs deliberately broken builds ("mutants") of a CMake/CTest tree against its
own test suite and records which mutants the tests catch.

  run.py --tree DIR --mutants FILE --out results.tsv [--only M05,M07] [--fast]
         [--check] [--baseline] [--jobs 2] [--timeout 300]

The mutants file is Python that defines MUTANTS, a list of dicts with the keys
id, area, desc, file (relative to DIR), old and new: one textual change each,
`old` occurring exactly once in the file.

For each mutant: the tree is restored (git -C DIR checkout -- .), the change is
applied, the tree is built incrementally in DIR/build-mut (configured once,
-G Ninja -DBUILD_TESTING=ON) and ctest is run there.
  * a build failure counts as caught ("(build)");
  * --fast: `ctest -LE audio` first, and `ctest -L audio` only when every
    non-audio test passed; without --fast, the whole suite in one run;
  * every ctest run has --timeout (300 s); a test that times out counts as
    caught;
  * a failing test is run again once on its own; only a failure that repeats
    is recorded (sound tests can be flaky under load).
Every build and test runs under `nice -n 19`, builds with -j2 at most.

Output: one TSV row per mutant (id, area, description, caught yes/no, failing
tests, seconds, notes) written after every mutant; with --only, rows of other
mutants already in the file are kept. Logs: logs/Mxx.log beside this script
(or --logs DIR). The tree is always restored at the end, also on Ctrl-C.

--check only verifies that every mutant applies (the tree is left untouched).
--baseline first runs the unmutated tree the same way and stops if it fails.
"""

import argparse
import csv
import os
import re
import runpy
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted(f"signal {signum}")


# --------------------------------------------------------------------------
# Processes: each child runs in a session of its own, so that an interrupt or a
# timeout ends it together with everything it started (ctest's tests, the sound
# servers they start).


def run(cmd, log, env=None, timeout=None, cwd=None):
    """Runs cmd under nice, appending its output to the open file `log`.
    Returns (exit code, output); exit code None when the overall timeout hit."""
    cmd = ["nice", "-n", "19"] + [str(c) for c in cmd]
    log.write(f"\n$ {' '.join(cmd)}\n")
    log.flush()
    out_path = Path(log.name).with_suffix(".tmp")
    with open(out_path, "w+") as out:
        proc = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, env=env, cwd=cwd,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            kill_group(proc)
            code = None
        except BaseException:
            kill_group(proc)
            raise
        out.seek(0)
        text = out.read()
    out_path.unlink()
    log.write(text)
    log.write(f"[exit {code}]\n")
    log.flush()
    return code, text


def kill_group(proc):
    for sig, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


# --------------------------------------------------------------------------
# The tree


def git(tree, *args):
    return subprocess.run(["git", "-C", str(tree), *args], check=True, capture_output=True,
                          text=True).stdout


def restore(tree):
    git(tree, "checkout", "--", ".")


def tracked_changes(tree):
    return git(tree, "status", "--porcelain", "--untracked-files=no").strip()


def load_mutants(path):
    mutants = runpy.run_path(str(path))["MUTANTS"]
    seen = set()
    for m in mutants:
        missing = {"id", "area", "desc", "file", "old", "new"} - m.keys()
        assert not missing, f"{m.get('id')}: missing {missing}"
        assert m["id"] not in seen, f"{m['id']}: id used twice"
        assert m["old"] != m["new"], f"{m['id']}: old and new are the same"
        seen.add(m["id"])
    return mutants


def check_applies(tree, m):
    text = (tree / m["file"]).read_text()
    count = text.count(m["old"])
    assert count == 1, f"{m['id']}: `old` occurs {count} times in {m['file']}"
    return text


def apply(tree, m):
    text = check_applies(tree, m)
    (tree / m["file"]).write_text(text.replace(m["old"], m["new"], 1))


# --------------------------------------------------------------------------
# Build and test

FAILED_LINE = re.compile(r"^\s*\d+\s+-\s+(\S+)\s+\((.+)\)\s*$")


def failed_tests(ctest_output):
    """{name: reason} from ctest's 'The following tests FAILED:' list."""
    failed = {}
    in_list = False
    for line in ctest_output.splitlines():
        if line.startswith("The following tests FAILED"):
            in_list = True
            continue
        if in_list:
            match = FAILED_LINE.match(line)
            if match:
                failed[match.group(1)] = match.group(2)
            elif line.strip():
                in_list = False
    return failed


class Runner:
    def __init__(self, args, env):
        self.tree = args.tree
        self.build = args.build_dir
        self.jobs = args.jobs
        self.timeout = args.timeout
        self.fast = args.fast
        self.env = env

    def configure(self, log):
        if (self.build / "build.ninja").exists():
            return True
        code, _ = run(["cmake", "-S", self.tree, "-B", self.build, "-G", "Ninja",
                       "-DBUILD_TESTING=ON"], log, env=self.env)
        return code == 0

    def compile(self, log):
        code, _ = run(["cmake", "--build", self.build, "-j", self.jobs], log, env=self.env,
                      timeout=3 * 3600)
        return code == 0

    def ctest(self, log, select):
        # No --output-on-failure: the tests' own output stays in ctest's log files.
        cmd = ["ctest", "--test-dir", self.build, "--timeout", self.timeout, *select]
        code, out = run(cmd, log, env=self.env, timeout=4 * 3600)
        if code is None:
            return {"(ctest hung)": "overall timeout"}, out
        failed = failed_tests(out)
        if code != 0 and not failed:
            failed = {"(ctest error)": f"exit {code}"}
        if failed:
            # What the failing run's tests printed, from ctest's own log.
            last = self.build / "Testing" / "Temporary" / "LastTest.log"
            if last.exists():
                log.write(f"\n# ---- {last} ----\n")
                log.write(last.read_text(errors="replace"))
                log.write("# ---- end ----\n")
        return failed, out

    def confirmed_failures(self, log, select):
        """Runs the selection; every failing test once more on its own.
        Returns (confirmed names, names that passed the second time)."""
        failed, _ = self.ctest(log, select)
        confirmed, flaky = [], []
        for name, reason in failed.items():
            if name.startswith("("):
                confirmed.append(name)
                continue
            log.write(f"\n# {name} failed ({reason}); running it again to confirm\n")
            again, _ = self.ctest(log, ["-R", f"^{re.escape(name)}$"])
            (confirmed if again else flaky).append(name)
            if again:
                log.write(f"# {name}: confirmed ({again.get(name, 'failed')})\n")
            else:
                log.write(f"# {name}: passed the second time, not recorded\n")
        return confirmed, flaky

    def test(self, log):
        """(confirmed failing tests, unconfirmed ones) for the tree as it stands."""
        if not self.fast:
            return self.confirmed_failures(log, [])
        confirmed, flaky = self.confirmed_failures(log, ["-LE", "audio"])
        if confirmed:
            log.write("\n# non-audio tests failed: audio tests not run\n")
            return confirmed, flaky
        more, more_flaky = self.confirmed_failures(log, ["-L", "audio"])
        return confirmed + more, flaky + more_flaky


# --------------------------------------------------------------------------
# Results

HEADER = ["id", "area", "description", "caught", "failing_tests", "seconds", "notes"]


def read_rows(path):
    if not path.exists():
        return {}
    with open(path, newline="") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    return {r[0]: r for r in rows[1:] if r}


def write_rows(path, rows, order):
    ids = [i for i in order if i in rows] + sorted(set(rows) - set(order))
    tmp = path.with_suffix(".tmp")
    with open(tmp, "w", newline="") as f:
        w = csv.writer(f, delimiter="\t", lineterminator="\n")
        w.writerow(HEADER)
        for i in ids:
            w.writerow(rows[i])
    tmp.replace(path)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--tree", required=True, type=Path)
    p.add_argument("--mutants", required=True, type=Path)
    p.add_argument("--out", type=Path)
    p.add_argument("--only", help="comma-separated ids")
    p.add_argument("--fast", action="store_true")
    p.add_argument("--check", action="store_true", help="only check that every mutant applies")
    p.add_argument("--baseline", action="store_true",
                   help="test the unmutated tree first; stop if a test fails")
    p.add_argument("--build-dir", type=Path, help="default: TREE/build-mut")
    p.add_argument("--logs", type=Path, default=HERE / "logs")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--timeout", type=int, default=300, help="per test, seconds")
    args = p.parse_args()
    args.tree = args.tree.resolve()
    args.build_dir = (args.build_dir or args.tree / "build-mut").resolve()
    if not args.check and not args.out:
        p.error("--out is needed")
    if args.jobs > 2:
        p.error("at most -j2 on this machine")

    mutants = load_mutants(args.mutants)
    order = [m["id"] for m in mutants]
    if args.only:
        wanted = [i.strip() for i in args.only.split(",") if i.strip()]
        unknown = set(wanted) - set(order)
        if unknown:
            p.error(f"unknown ids: {', '.join(sorted(unknown))}")
        mutants = [m for m in mutants if m["id"] in wanted]

    # The harness restores with `git checkout -- .`: it would throw away work in
    # progress, so it refuses a tree with changes to tracked files.
    changes = tracked_changes(args.tree)
    if changes:
        sys.exit(f"{args.tree} has changes to tracked files; refusing to touch it:\n{changes}")
    for m in mutants:
        check_applies(args.tree, m)
    if args.check:
        print(f"{len(mutants)} mutants apply to {args.tree}")
        return 0

    args.logs.mkdir(parents=True, exist_ok=True)
    # The tests start private sound servers and take a dial lock in the runtime
    # folder: a folder of our own, so that nothing meets another user's.
    runtime_dir = tempfile.mkdtemp(prefix="mutation-xdg-")
    os.chmod(runtime_dir, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)
    env.pop("PULSE_SERVER", None)
    runner = Runner(args, env)

    # Also SIGINT explicitly: a shell starts a background job with it ignored.
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)
    rows = read_rows(args.out) if args.only else {}
    started = time.monotonic()
    try:
        with open(args.logs / "setup.log", "w") as log:
            print("configure and build the unmutated tree ...", flush=True)
            if not runner.configure(log) or not runner.compile(log):
                sys.exit(f"the unmutated tree does not build; see {log.name}")
            if args.baseline:
                t0 = time.monotonic()
                confirmed, flaky = runner.test(log)
                print(f"baseline: {time.monotonic() - t0:.0f} s, failing: "
                      f"{', '.join(confirmed) or 'none'}"
                      + (f" (flaky: {', '.join(flaky)})" if flaky else ""), flush=True)
                if confirmed:
                    sys.exit(f"the unmutated tree fails tests; see {log.name}")

        for n, m in enumerate(mutants, 1):
            t0 = time.monotonic()
            with open(args.logs / f"{m['id']}.log", "w") as log:
                log.write(f"{m['id']} [{m['area']}] {m['desc']}\n{m['file']}\n"
                          f"--- old\n{m['old']}\n+++ new\n{m['new']}\n")
                restore(args.tree)
                apply(args.tree, m)
                log.write(git(args.tree, "diff"))
                notes = []
                if not runner.compile(log):
                    caught, tests = "yes", "(build)"
                else:
                    confirmed, flaky = runner.test(log)
                    caught = "yes" if confirmed else "no"
                    tests = " ".join(confirmed)
                    if flaky:
                        notes.append("unconfirmed: " + " ".join(flaky))
                seconds = time.monotonic() - t0
                log.write(f"\n# result: caught={caught} {tests} ({seconds:.0f} s)\n")
            rows[m["id"]] = [m["id"], m["area"], m["desc"], caught, tests, f"{seconds:.0f}",
                             "; ".join(notes)]
            write_rows(args.out, rows, order)
            print(f"[{n}/{len(mutants)}] {m['id']} caught={caught} {tests} "
                  f"({seconds:.0f} s){'  ' + '; '.join(notes) if notes else ''}", flush=True)
    except (KeyboardInterrupt, Interrupted) as e:
        print(f"\ninterrupted ({e or 'Ctrl-C'}); restoring the tree", file=sys.stderr)
        return 130
    finally:
        restore(args.tree)
        shutil.rmtree(runtime_dir, ignore_errors=True)

    total = time.monotonic() - started
    done = [rows[m["id"]] for m in mutants]
    caught = sum(r[3] == "yes" for r in done)
    print(f"caught {caught} of {len(done)} in {total / 60:.1f} min; results in {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
