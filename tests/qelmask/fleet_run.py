#!/usr/bin/env python3
"""A run over many sites is the runs of each site, made once.

    fleet_run.py QELMASK GEN_MASKS_PY

On a generated fleet (a dozen sites on the same REF, with role masks, one
site with CRLF line ends, one broken on purpose):

  same        each merged mask of `qelmask merge --sites` (-j 3) is the
              bytes a run of that site alone writes, with and without rules
              and decisions; the table's row of each site holds the figures
              of that site's own summary; the broken site is listed with its
              reason, gets no output, and makes the status 1;
  again       a second run with --force writes the same bytes;
  refused     two sites of the same file name, an output folder that holds
              an input, outputs that exist without --force: status 3,
              nothing read, nothing written;
  interrupted SIGINT in the middle of a run leaves only whole outputs;
  report      `qelmask report --sites` groups the questions: its rows, each
              with its sites, are the union of the single-site reports, and
              a question asked alike in several sites is one row; the
              reports of shards, combined, are the fleet's report byte for
              byte; `qelmask decide` takes the fleet report, and its one
              line settles the question in every site where it arises.

Exits 77 when the generator is missing.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

QELMASK, GENERATOR = sys.argv[1:3]
passed, failed = 0, []


def check(condition, what, detail=""):
    global passed
    if condition:
        passed += 1
    else:
        failed.append(what + (": " + detail if detail else ""))
        print("FAIL " + what + (": " + detail if detail else ""))


def run(argv, cwd, **kwargs):
    env = dict(os.environ)
    env.pop("VEX_TRACE", None)
    return subprocess.run([QELMASK] + argv, cwd=cwd, env=env, capture_output=True,
                          timeout=600, **kwargs)


def generate(folder, seed, scale, sites, extra=()):
    subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), "--scale", str(scale),
                    "--sites", str(sites), *extra, folder],
                   check=True, stdout=subprocess.DEVNULL)


def table_rows(stdout):
    """The site rows of the final table: name -> (figures, status)."""
    rows = {}
    for line in stdout.decode().splitlines():
        match = re.match(r"^(site-\d+\.msk)\s+((?:[-\d]+\s+){7})(.*)$", line)
        if match:
            rows[match.group(1)] = (match.group(2).split(), match.group(3))
    return rows


def single_figures(stdout):
    """The questions, rule, decision, recommendation, granted, revoked and
    lost customisations of a single-site summary."""
    text = stdout.decode()
    questions = int(re.search(r"^Questions: (\d+)", text, re.M).group(1))
    by_rule = sum(int(n) for n in re.findall(r"^\s+(\d+)  rule #", text, re.M))
    granted = sum(int(n) for n in re.findall(r"^Access: \S+ (\d+) granted", text, re.M))
    revoked = sum(int(n) for n in re.findall(r"^Access: \S+ \d+ granted, (\d+) revoked", text, re.M))
    lost = re.search(r"^Customisations of .* not carried into the output: (\w+)", text, re.M)
    lost = 0 if lost.group(1) == "none" else int(lost.group(1))
    return questions, by_rule, granted, revoked, lost


def site_paths(folder):
    return sorted(os.path.join(folder, "sites", n) for n in os.listdir(os.path.join(folder, "sites")))


def break_site(folder):
    """site-005 is not a mask at all; site-007 has CRLF line ends."""
    with open(os.path.join(folder, "sites", "site-005.msk"), "wb") as broken:
        broken.write(b"\x00\x01 not a mask\n")
    path = os.path.join(folder, "sites", "site-007.msk")
    data = open(path, "rb").read().replace(b"\n", b"\r\n")
    open(path, "wb").write(data)


def check_same(folder, options, label):
    out = os.path.join(folder, "out-" + label)
    fleet = run(["merge", "--ref", "ref.msk", "--new", "new.msk", "--sites", "sites",
                 "--output-dir", out, "-j", "3", *options], folder)
    check(fleet.returncode == 1, label + ": the broken site makes the status 1",
          str(fleet.returncode) + fleet.stderr.decode()[-400:])
    rows = table_rows(fleet.stdout)
    for path in site_paths(folder):
        name = os.path.basename(path)
        single = run(["merge", "--ref", "ref.msk", "--new", "new.msk", "--custo", path,
                      "-o", "single.msk", "-f", *options], folder)
        written = os.path.join(out, name)
        if name == "site-005.msk":
            check(single.returncode == 1, label + ": the broken site fails alone too")
            check(not os.path.exists(written), label + ": the broken site gets no output")
            check(rows.get(name, ([], ""))[1].startswith("failed: "),
                  label + ": the broken site is listed with its reason", str(rows.get(name)))
            continue
        check(single.returncode == 0, label + ": " + name + " merges alone")
        same = os.path.exists(written) and \
            open(written, "rb").read() == open(os.path.join(folder, "single.msk"), "rb").read()
        check(same, label + ": " + name + " is the bytes of its own run")
        figures, status = rows.get(name, ([], ""))
        questions, by_rule, granted, revoked, lost = single_figures(single.stdout)
        check(status == "written" and figures and
              [int(figures[i]) for i in (0, 1, 4, 5, 6)] == [questions, by_rule, granted, revoked, lost],
              label + ": " + name + "'s row holds its own figures",
              str((figures, status, questions, by_rule, granted, revoked, lost)))
    before = {n: open(os.path.join(out, n), "rb").read() for n in os.listdir(out)}
    again = run(["merge", "--ref", "ref.msk", "--new", "new.msk", "--sites", "sites",
                 "--output-dir", out, "-j", "2", "--force", *options], folder)
    after = {n: open(os.path.join(out, n), "rb").read() for n in os.listdir(out)}
    check(again.returncode == 1 and before == after, label + ": a second run writes the same bytes")
    return out


def check_refused(folder):
    def refused(argv, what, message):
        before = sorted(os.listdir(folder))
        result = run(["merge", "--ref", "ref.msk", "--new", "new.msk", *argv], folder)
        check(result.returncode == 3, what + ": status 3", str(result.returncode))
        check(message in result.stderr.decode(), what + ": says why", result.stderr.decode())
        check(not result.stdout.strip() or b"Read:" not in result.stdout, what + ": nothing read")
        check(sorted(os.listdir(folder)) == before, what + ": nothing written")

    os.makedirs(os.path.join(folder, "other"), exist_ok=True)
    shutil.copyfile(os.path.join(folder, "sites", "site-001.msk"),
                    os.path.join(folder, "other", "site-001.msk"))
    refused(["--custo", "sites/site-001.msk", "other/site-001.msk", "--output-dir", "x"],
            "two sites of one name", "same file name as sites/site-001.msk")
    refused(["--sites", "sites", "--output-dir", "sites"], "the sites' folder as output",
            "holds the input")
    refused(["--sites", "sites", "--output-dir", "."], "a folder above the inputs",
            "holds the input")
    os.makedirs(os.path.join(folder, "taken"), exist_ok=True)
    open(os.path.join(folder, "taken", "site-002.msk"), "w").write("mine\n")
    refused(["--sites", "sites", "--output-dir", "taken"], "an output that exists",
            "file exists; add --force to replace it")
    check(open(os.path.join(folder, "taken", "site-002.msk")).read() == "mine\n",
          "an output that exists is left as it was")
    shutil.rmtree(os.path.join(folder, "other"))
    shutil.rmtree(os.path.join(folder, "taken"))


def check_interrupted(tmp):
    folder = os.path.join(tmp, "big")
    generate(folder, 11, 60, 16)
    out = os.path.join(folder, "out")
    env = dict(os.environ)
    env.pop("VEX_TRACE", None)
    process = subprocess.Popen([QELMASK, "merge", "--ref", "ref.msk", "--new", "new.msk",
                                "--sites", "sites", "--output-dir", out, "-j", "2", "-q"],
                               cwd=folder, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    # Once the first output is there, the run is in the middle of its sites.
    deadline = time.time() + 120
    while time.time() < deadline and process.poll() is None:
        if os.path.isdir(out) and any(n.endswith(".msk") for n in os.listdir(out)):
            break
        time.sleep(0.01)
    process.send_signal(signal.SIGINT)
    process.wait(timeout=120)
    check(process.returncode == -signal.SIGINT, "interrupted: the run dies of the signal",
          str(process.returncode))
    names = sorted(os.listdir(out)) if os.path.isdir(out) else []
    check(all(n.endswith(".msk") and not n.startswith(".") for n in names),
          "interrupted: no temporary file is left", str(names))
    for name in names:
        single = run(["merge", "--ref", "ref.msk", "--new", "new.msk", "--custo",
                      os.path.join("sites", name), "-o", "single.msk", "-f", "-q"], folder)
        check(single.returncode == 0 and open(os.path.join(out, name), "rb").read() ==
              open(os.path.join(folder, "single.msk"), "rb").read(),
              "interrupted: " + name + " is whole")


def group_of(row):
    return (row["key"], row["choice"], row["rule"]) if isinstance(row["key"], str) else None


def check_report(folder):
    sites = [os.path.basename(p) for p in site_paths(folder)]
    fleet = run(["report", "--ref", "ref.msk", "--new", "new.msk", "--sites", "sites",
                 "--rules", "rules.txt", "--json", "fleet.json", "-f"], folder)
    check(fleet.returncode == 1, "report: the broken site makes the status 1", str(fleet.returncode))
    document = json.load(open(os.path.join(folder, "fleet.json")))
    check([s["name"] for s in document["sites"]] == sites, "report: every site, in order")
    # The rows of each site's own report, grouped as the fleet's should be.
    expected, loose = {}, 0
    for name in sites:
        single = run(["report", "--ref", "ref.msk", "--new", "new.msk", "--custo",
                      os.path.join("sites", name), "--rules", "rules.txt", "--json", "one.json",
                      "-f"], folder)
        if name == "site-005.msk":
            check(single.returncode == 1, "report: the broken site fails alone too")
            continue
        for row in json.load(open(os.path.join(folder, "one.json")))["decisions"]:
            group = group_of(row)
            if group is None:
                loose += 1
            else:
                expected.setdefault(group, []).append(name)
    grouped, fleet_loose = {}, 0
    for row in document["decisions"]:
        group = group_of(row)
        if group is None:
            fleet_loose += 1
        else:
            check(group not in grouped, "report: one row per question asked alike", str(group))
            grouped[group] = row["sites"]
    check(grouped == expected and fleet_loose == loose,
          "report: the grouped rows are the union of the sites' reports",
          "%d groups for %d expected" % (len(grouped), len(expected)))
    check(any(len(names) > 1 for names in grouped.values()),
          "report: some question came up in several sites")

    # Shards of the fleet, reported apart and combined, are the fleet's report.
    half = len(sites) // 2
    for shard, names in (("a.json", sites[:half]), ("b.json", sites[half:])):
        result = run(["report", "--ref", "ref.msk", "--new", "new.msk", "--rules", "rules.txt",
                      "--custo", *[os.path.join("sites", n) for n in names], "--json", shard,
                      "-f", "-j", "2"], folder)
        check(result.returncode in (0, 1), "report: the shard " + shard + " runs")
    combined = run(["report", "--combine", "a.json", "b.json", "--json", "all.json", "-f"], folder)
    check(combined.returncode == 0, "report: the shards combine", combined.stderr.decode())
    check(open(os.path.join(folder, "all.json"), "rb").read() ==
          open(os.path.join(folder, "fleet.json"), "rb").read(),
          "report: the shards combined are the fleet's report, byte for byte")

    # One decision taken on a grouped row settles it in each of its sites.
    number, row = next((i + 1, r) for i, r in enumerate(document["decisions"])
                       if len(r.get("sites", [])) > 1 and isinstance(r["key"], str))
    decided = run(["decide", "--report", "fleet.json", "--take", "alternative", str(number),
                   "-o", "decisions.txt", "-f"], folder)
    check(decided.returncode == 0, "report: decide takes the fleet's report", decided.stderr.decode())
    lines = [l for l in open(os.path.join(folder, "decisions.txt")) if not l.startswith("#")]
    check(len(lines) == 1, "report: one line for the grouped row", str(lines))
    merged = run(["merge", "--ref", "ref.msk", "--new", "new.msk", "--sites", "sites", "--rules",
                  "rules.txt", "--decisions", "decisions.txt", "--output-dir", "decided", "-f"],
                 folder)
    rows = table_rows(merged.stdout)
    settled = sorted(name for name, (figures, _) in rows.items()
                     if figures[2] != "-" and int(figures[2]) > 0)
    check(settled == sorted(row["sites"]), "report: the decision applies in each of the row's sites",
          "%s for %s" % (settled, row["sites"]))


def main():
    if not GENERATOR or not os.path.exists(GENERATOR):
        print("skipped: the generator is missing")
        return 77
    with tempfile.TemporaryDirectory() as tmp:
        folder = os.path.join(tmp, "fleet")
        generate(folder, 5, 4, 12, ("--masks", "2", "--rules"))
        break_site(folder)
        check_same(folder, [], "no rules")
        check_same(folder, ["--rules", "rules.txt"], "rules")
        check_refused(folder)
        check_report(folder)
        check_interrupted(tmp)
    print("%d checks passed, %d failed" % (passed, len(failed)))
    return 1 if failed else 0


sys.exit(main())
