#!/usr/bin/env python3
"""Runs two builds of the tool on one generated case and compares them.

  compare_case.py OLD NEW GENERATOR WORK SEED SCALE [--given-only] [--timeout S]

Generates WORK/seed<SEED>-scale<SCALE> with `GENERATOR --random-options`,
then runs OLD and NEW, each in a copy of that folder, with the case's own
arguments and environment (its `cmd` file), and then with the same inputs
and fixed options: -reorder, -rule rules.txt (when the case has one) and
VEX_TRACE=Main, MergerRule and * (with the rule file when there is one, so
that rule matching has something to trace). --given-only keeps to the case's
own run.

The two runs must agree byte for byte on standard output (after pointer
addresses, which differ from one binary to the other, are replaced by a
placeholder), standard error, exit status and every file left in the folder.
Prints one line per run that differs and keeps its folders; removes
everything else. Writes one line per run, "<name> same" or "<name> differs",
to WORK/seed<SEED>-scale<SCALE>.tally and exits with 1 when a run differs.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

FILES = ["ref.msk", "new.msk", "custo.msk", "out.msk"]
ADDRESS = re.compile(rb"0x[0-9a-f]+")


def case_runs(case, given_only):
    """[(name, arguments, environment)]: the case's own run first, then the
    fixed options not already covered by it."""
    lines = (case / "cmd").read_text().splitlines()
    given = (json.loads(lines[0]), json.loads(lines[1]) if len(lines) > 1 else {})
    runs = [("given", *given)]
    if given_only:
        return runs
    rule = ["-rule", "rules.txt"] if (case / "rules.txt").exists() else []
    fixed = [("reorder", FILES + ["-reorder"], {})]
    if rule:
        fixed.append(("rule", FILES + rule, {}))
    for name, channels in (("trace-Main", "Main"), ("trace-MergerRule", "MergerRule"),
                           ("trace-all", "*")):
        fixed.append((name, FILES + rule, {"VEX_TRACE": channels}))
    runs += [run for run in fixed if (run[1], run[2]) != given]
    return runs


def run_tool(binary, folder, arguments, environment, timeout):
    """(stdout, stderr, status) of one run in `folder`; status "timeout" when
    it did not end in time. Both binaries get the same argv[0]."""
    env = {k: v for k, v in os.environ.items() if k != "VEX_TRACE"}
    env.update(environment)
    try:
        done = subprocess.run(["QELPeopleMaskMerger", *arguments], executable=binary, cwd=folder,
                              env=env, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout)
    except subprocess.TimeoutExpired as expired:
        return expired.stdout or b"", expired.stderr or b"", "timeout"
    return done.stdout, done.stderr, str(done.returncode)


def folder_files(folder):
    return {str(path.relative_to(folder)): path.read_bytes()
            for path in sorted(folder.rglob("*")) if path.is_file()}


def differences(old, new, old_folder, new_folder):
    """What differs between two runs, as short phrases."""
    found = []
    if ADDRESS.sub(b"0xADDR", old[0]) != ADDRESS.sub(b"0xADDR", new[0]):
        found.append("stdout")
    if old[1] != new[1]:
        found.append("stderr")
    if old[2] != new[2]:
        found.append(f"status {old[2]} vs {new[2]}")
    elif old[2] == "timeout":
        found.append("both timed out")
    old_files, new_files = folder_files(old_folder), folder_files(new_folder)
    for name in sorted(old_files.keys() | new_files.keys()):
        if name not in new_files:
            found.append(f"{name} only from old")
        elif name not in old_files:
            found.append(f"{name} only from new")
        elif old_files[name] != new_files[name]:
            found.append(name)
    return found


def compare(binaries, case, name, arguments, environment, timeout):
    """Runs both binaries; returns what differs, keeping the folders and the
    console output of both runs when something does."""
    place = case / "runs" / name
    outputs = {}
    for side, binary in binaries.items():
        folder = place / side
        shutil.copytree(case, folder, ignore=shutil.ignore_patterns("runs"))
        outputs[side] = run_tool(binary, folder, arguments, environment, timeout)
    found = differences(outputs["old"], outputs["new"], place / "old", place / "new")
    if not found:
        shutil.rmtree(place)
        return found
    for side, (stdout, stderr, status) in outputs.items():
        (place / f"{side}.stdout").write_bytes(stdout)
        (place / f"{side}.stderr").write_bytes(stderr)
        (place / f"{side}.status").write_text(status + "\n")
    (place / "command").write_text(json.dumps(arguments) + "\n" + json.dumps(environment) + "\n")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    for name in ("old", "new", "generator", "work"):
        parser.add_argument(name)
    parser.add_argument("seed", type=int)
    parser.add_argument("scale")
    parser.add_argument("--given-only", action="store_true")
    parser.add_argument("--timeout", type=float, default=600)
    options = parser.parse_args()

    case = Path(options.work) / f"seed{options.seed}-scale{options.scale}"
    generated = subprocess.run([sys.executable, options.generator, "--seed", str(options.seed),
                                "--scale", options.scale, "--random-options", str(case)],
                               capture_output=True, text=True)
    if generated.returncode != 0:
        print(f"ERROR {case.name}: the generator failed:\n{generated.stderr}", flush=True)
        return 1

    binaries = {"old": options.old, "new": options.new}
    runs = case_runs(case, options.given_only)
    tally = []
    for name, arguments, environment in runs:
        found = compare(binaries, case, name, arguments, environment, options.timeout)
        tally.append(f"{name} {'differs' if found else 'same'}\n")
        if found:
            print(f"MISMATCH {case.name} {name}: {', '.join(found)}; kept in {case / 'runs' / name}",
                  flush=True)
    mismatch = any(line.endswith("differs\n") for line in tally)
    if not mismatch:
        shutil.rmtree(case)
    case.with_name(case.name + ".tally").write_text("".join(tally))
    return 1 if mismatch else 0


if __name__ == "__main__":
    sys.exit(main())
