#!/usr/bin/env python3
"""Prints the table of run-bench.sh from its measurements.

  bench_table.py MANIFEST BIG_SCALE SMALL_SCALE

MANIFEST has one line per measured run: label, scale, round, the hyperfine
JSON export (wall time, and user and system CPU time) and the
`/usr/bin/time -v` report (peak RSS) of that round. Each figure is the
median over the rounds; the row labelled "git merge-file -p" is the
reference of the ratio columns.
"""
import json
import re
import statistics
import sys

GIT = "git merge-file -p"


def wall_and_cpu_seconds(json_path):
    """The wall time of the run, and its user plus system CPU time."""
    with open(json_path) as f:
        result = json.load(f)["results"][0]
    return result["times"][0], result["user"] + result["system"]


def peak_rss_kib(time_path):
    with open(time_path) as f:
        match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read())
    if not match:
        sys.exit(f"no peak RSS in {time_path}")
    return int(match.group(1))


def medians(manifest):
    """{(label, scale): (wall s, CPU s, peak RSS KiB)}, labels in order of first run."""
    samples = {}
    with open(manifest) as f:
        for line in f:
            label, scale, _, json_path, time_path = line.rstrip("\n").split("\t")
            walls, cpus, rss = samples.setdefault((label, scale), ([], [], []))
            wall, cpu = wall_and_cpu_seconds(json_path)
            walls.append(wall)
            cpus.append(cpu)
            rss.append(peak_rss_kib(time_path))
    return {key: tuple(statistics.median(values) for values in runs)
            for key, runs in samples.items()}


def seconds(value):
    return f"{value:.2f}" if value >= 1 else f"{value:.3f}"


def mib(kib):
    return f"{kib / 1024:,.0f}"


def ratio(numerator, denominator):
    return f"{numerator / denominator:.2f}"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    manifest, big, small = sys.argv[1:]
    figures = medians(manifest)
    labels = list(dict.fromkeys(label for label, _ in figures))
    git_wall, _, git_rss = figures[(GIT, big)]

    header = [
        "run",
        f"wall s, scale {big}",
        f"CPU s, scale {big}",
        f"peak RSS MiB, scale {big}",
        "times faster than git (goal >= 4)",
        "RSS / git's (goal for merge < 1)",
        f"wall s, scale {small}",
        f"peak RSS MiB, scale {small}",
        f"time {big} / {small} (goal <= 11)",
        f"CPU {big} / {small} (goal <= 11)",
        f"RSS {big} / {small}",
    ]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for label in labels:
        wall, cpu, rss = figures[(label, big)]
        small_wall, small_cpu, small_rss = figures[(label, small)]
        vs_git = ["-", "-"] if label == GIT else [ratio(git_wall, wall), ratio(rss, git_rss)]
        row = [label, seconds(wall), seconds(cpu), mib(rss), *vs_git, seconds(small_wall),
               mib(small_rss), ratio(wall, small_wall), ratio(cpu, small_cpu),
               ratio(rss, small_rss)]
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
