#!/usr/bin/env python3
"""The mutation run: how many planted faults the fast tests catch.

Copies the tracked sources into a scratch tree, builds it once, then for
each fault of tools/mutants.txt: plants it, rebuilds, runs the unit tests
and then the end-to-end tests (stopping at the first failure), and puts the
file back. A fault is killed when the build succeeds and a test fails.

Usage: mutants.py [--scratch DIR] [--only TEXT] [--unit-only] [--check] [--jobs N]
  --only TEXT  only the faults whose file or description contains TEXT
  --unit-only  only the unit tests (a quick look while working on them)
  --check      only checks that every fault applies to the sources
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The stages of the fast tests, cheapest first; the sanitizer builds are left
# out, they rebuild the whole game for every fault.
STAGES = [["-L", "unit", "-j", "2"], ["-L", "e2e"]]


def read_faults(path):
    faults, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("@ "):
                current = {"file": line[2:].strip(), "line": number}
                faults.append(current)
            elif current and line.startswith("# "):
                current["what"] = line[2:]
            elif current and line.startswith("- "):
                current["old"] = line[2:].replace("⏎", "\n")
            elif current and line.startswith("+ "):
                current["new"] = line[2:].replace("⏎", "\n")
    for fault in faults:
        missing = {"what", "old", "new"} - fault.keys()
        if missing:
            sys.exit(f"mutants.txt:{fault['line']}: missing {', '.join(sorted(missing))}")
    return faults


def check_applies(fault, tree):
    with open(os.path.join(tree, fault["file"]), encoding="utf-8") as f:
        text = f.read()
    count = text.count(fault["old"])
    if count != 1:
        return f"{fault['file']}: text found {count} times: {fault['old']!r}"
    return None


def run(cmd, cwd, log, timeout=1800):
    with open(log, "w") as out:
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def failed_test(log):
    with open(log, errors="replace") as f:
        for line in f:
            if "***Failed" in line or "***Timeout" in line or "***Exception" in line or "(Failed)" in line:
                return line.split(":", 1)[-1].split("...")[0].strip() or line.strip()
    return "a test failed"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scratch", default=os.path.join(ROOT, "build-mutants"))
    parser.add_argument("--only", default="")
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--unit-only", action="store_true")
    parser.add_argument("--jobs", default=str(os.cpu_count() or 2))
    args = parser.parse_args()
    stages = STAGES[:1] if args.unit_only else STAGES

    faults = [f for f in read_faults(os.path.join(ROOT, "tools", "mutants.txt"))
              if args.only in f["file"] or args.only in f["what"]]
    problems = [p for p in (check_applies(f, ROOT) for f in faults) if p]
    if problems:
        sys.exit("faults that do not apply:\n  " + "\n  ".join(problems))
    if args.check:
        print(f"{len(faults)} faults apply")
        return

    src = os.path.join(args.scratch, "src")
    build = os.path.join(args.scratch, "build")
    logs = os.path.join(args.scratch, "logs")
    files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True, capture_output=True).stdout
    shutil.rmtree(src, ignore_errors=True)
    for name in files.decode().split("\0"):
        if name and os.path.isfile(os.path.join(ROOT, name)):
            os.makedirs(os.path.join(src, os.path.dirname(name)), exist_ok=True)
            # A fresh time on every copy: a run killed with a fault applied leaves
            # objects newer than the sources' own times, which make would keep.
            shutil.copy(os.path.join(ROOT, name), os.path.join(src, name))
    os.makedirs(logs, exist_ok=True)

    # What the fast tests run; the sanitizer builds are left out.
    build_cmd = ["cmake", "--build", build, "-j", args.jobs, "--target", "unit_tests", "tarnavel", "rundir", "close_window",
                 "pad_standin"]
    print("building the unchanged tree ...", flush=True)
    if run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DTARNAVEL_TESTS=ON", "-DTARNAVEL_BENCH=OFF"], ROOT, os.path.join(logs, "configure.log")) != 0 \
            or run(build_cmd, ROOT, os.path.join(logs, "build.log")) != 0:
        sys.exit(f"the unchanged tree does not build: see {logs}")
    for i, stage in enumerate(stages):
        log = os.path.join(logs, f"clean-{i}.log")
        if run(["ctest", "--output-on-failure", "--stop-on-failure"] + stage, build, log) != 0:
            sys.exit(f"the unchanged tree fails its tests: see {log}")

    killed, survivors, broken = 0, [], []
    start = time.time()
    for n, fault in enumerate(faults, 1):
        path = os.path.join(src, fault["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(fault["old"], fault["new"], 1))
        label = f"[{n:2}/{len(faults)}] {fault['file']}: {fault['what']}"
        try:
            log = os.path.join(logs, f"mutant-{n:02}.log")
            if run(build_cmd, ROOT, log) != 0:
                broken.append(label)
                print(f"{label}: DOES NOT BUILD", flush=True)
                continue
            verdict = None
            for stage in stages:
                if run(["ctest", "--output-on-failure", "--stop-on-failure", "--timeout", "300"] + stage,
                       build, log) != 0:
                    verdict = failed_test(log)
                    break
            if verdict:
                killed += 1
                print(f"{label}: killed by {verdict}", flush=True)
            else:
                survivors.append(label)
                print(f"{label}: SURVIVED", flush=True)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)

    valid = len(faults) - len(broken)
    rate = 100.0 * killed / valid if valid else 0.0
    print(f"\nkilled {killed} / {valid} = {rate:.1f}%, survived {len(survivors)}"
          f" ({len(broken)} did not build) in {time.time() - start:.0f} s")
    for label in survivors:
        print(f"  survived: {label}")
    for label in broken:
        print(f"  did not build: {label}")
    # Rebuild the unchanged tree, so that the scratch build is left clean.
    run(build_cmd, ROOT, os.path.join(logs, "build.log"))


if __name__ == "__main__":
    main()
