#!/usr/bin/env python3
"""The decisions of qelmask report are the review records of the merger.

    report_decisions.py MERGER QELMASK EXAMPLES_DIR [GEN_MASKS_PY]

Runs QELPeopleMaskMerger and `qelmask report --json --html` on the same
inputs (the examples, with and without their rules, the masks of hostile
names of the report cases and, when the shared generator is there,
generated triples with rule files) and compares, one for
one, every review record of the merged file (the CHOICE, ALTERNATIVE and
FINALLY lines above a node, with the mask they are in) with the record that
each decision of the report stands for. The merged file writes records in
tree order and value lists in their own order, while the report lists them
in the order the merge settled them: both lists are compared sorted by
(mask, CHOICE line, ALTERNATIVE line, FINALLY line), byte order.

It also checks that report writes nothing but the page and the data (no
mask) and leaves its inputs as they were.
"""
import codecs
import json
import os
import shutil
import subprocess
import sys
import tempfile

MERGER, QELMASK, EXAMPLES = sys.argv[1:4]
GENERATOR = sys.argv[4] if len(sys.argv) > 4 else ""
passed, failed = 0, []

# The report carries a byte that is not part of valid UTF-8 as the character
# of the same number; the merged file is read the same way.
codecs.register_error("byte_as_latin1",
                      lambda e: ("".join(chr(b) for b in e.object[e.start:e.end]), e.end))

ACTIONS = {"ADD": "ADD   ", "KEEP": "KEEP  ", "IGNORE": "IGNORE"}
ORIGINS = {"NEW": "NEW(n+1)", "CUSTO": "CUSTO(n)"}


def run(argv, cwd):
    env = dict(os.environ)
    env.pop("VEX_TRACE", None)
    return subprocess.run(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=300)


def merged_records(path):
    """(mask, choice, alternative, finally) of every record of a merged file."""
    lines = open(path, "rb").read().decode("utf-8", "byte_as_latin1").split("\n")
    separator, mask, records = ",", None, []
    for i, line in enumerate(lines):
        if line.startswith("*SEPARATOR "):
            separator = line[len("*SEPARATOR "):] or separator
        elif line.startswith("*MASK "):
            mask = line[len("*MASK "):].split(separator)[0]
        elif line.startswith("// CHOICE     : ") and i + 1 < len(lines) \
                and lines[i + 1].startswith("// ALTERNATIVE: "):
            final = lines[i + 2] if i + 2 < len(lines) else ""
            records.append((mask, line, lines[i + 1],
                            final if final.startswith("// ==> FINALLY: ") else ""))
    return records


def option_line(option, decision):
    """An option ("KEEP NEW") as the record writes it, and its node's identifier."""
    action, origin = option.split(" ")
    value = decision["new" if origin == "NEW" else "custo"]
    node = decision["path"] + ("[%s]" % value if value else "")
    return "%s %s [%s]" % (ACTIONS[action], ORIGINS[origin], node), node


def report_records(document):
    records = []
    for d in document["decisions"]:
        alternative = d["choice"] == "alternative"
        choice, choice_node = option_line(d["leftOut"] if alternative else d["taken"], d)
        other, _ = option_line(d["taken"] if alternative else d["leftOut"], d)
        if choice_node != d["id"]:
            raise ValueError("the identifier is not the CHOICE line's: %r" % d)
        rule = " [rule #%d]" % d["rule"] if d["rule"] is not None else " [no rule matched]"
        final = ("ALTERNATIVE" if alternative else "RECOMMENDATION") + rule
        records.append((d["mask"], "// CHOICE     : " + choice, "// ALTERNATIVE: " + other,
                        "// ==> FINALLY: " + final))
    return records


def snapshot(folder):
    return {name: open(os.path.join(folder, name), "rb").read()
            for name in sorted(os.listdir(folder))}


def compare(name, inputs, rules=None):
    global passed
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        for role, path in zip(("ref.msk", "new.msk", "custo.msk"), inputs):
            shutil.copyfile(path, os.path.join(tmp, role))
        if rules:
            shutil.copyfile(rules, os.path.join(tmp, "rules.txt"))
        argv = [MERGER, "ref.msk", "new.msk", "custo.msk", "../out.msk"]
        argv += ["-rule", "rules.txt"] if rules else []
        os.mkdir(os.path.join(tmp, "run"))
        for file in os.listdir(tmp):
            if file != "run":
                os.link(os.path.join(tmp, file), os.path.join(tmp, "run", file))
        merger = run(argv, os.path.join(tmp, "run"))
        before = snapshot(os.path.join(tmp, "run"))
        argv = [QELMASK, "report", "--ref", "ref.msk", "--new", "new.msk", "--custo", "custo.msk",
                "--html", "page.html", "--json", "report.json", "--quiet"]
        argv += ["--rules", "rules.txt"] if rules else []
        report = run(argv, os.path.join(tmp, "run"))
        after = snapshot(os.path.join(tmp, "run"))
        if merger.returncode != 0 or report.returncode != 0:
            problems.append("exit statuses %d (merger) and %d (report): %s"
                            % (merger.returncode, report.returncode,
                               report.stderr.decode(errors="replace")))
        else:
            if sorted(after) != sorted(list(before) + ["page.html", "report.json"]):
                problems.append("report wrote %s" % sorted(set(after) - set(before)))
            if any(after[n] != before[n] for n in before):
                problems.append("report changed an input")
            document = json.loads(after["report.json"])
            expected = sorted(merged_records(os.path.join(tmp, "out.msk")))
            actual = sorted(report_records(document))
            if expected != actual:
                missing = [r for r in expected if r not in actual][:3]
                extra = [r for r in actual if r not in expected][:3]
                problems.append("%d records in the merged file, %d decisions; "
                                "not in the report: %s; not in the file: %s"
                                % (len(expected), len(actual), missing, extra))
            elif document["summary"]["questions"] != len(actual):
                problems.append("the summary counts %d questions"
                                % document["summary"]["questions"])
    if problems:
        failed.append(name)
        print("FAIL", name, *problems, sep="\n  ")
    else:
        passed += 1
        print("ok  ", name, "(%d decisions)" % len(actual))


def examples():
    inputs = [os.path.join(EXAMPLES, n) for n in ("ref.msk", "new.msk", "custo.msk")]
    compare("examples", inputs)
    compare("examples with rules", inputs, os.path.join(EXAMPLES, "rules.txt"))
    hostile = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases",
                           "report_hostile_names")
    compare("hostile names", [os.path.join(hostile, n) for n in ("ref.msk", "new.msk", "custo.msk")])


def generated():
    if not os.path.exists(GENERATOR):
        print("note: no generator at %s: generated triples skipped" % GENERATOR)
        return
    variants = [[], ["--sep", "random"], ["--crlf"]]
    for seed in range(1, 16):
        options = variants[seed % len(variants)]
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), "--scale", "3",
                            "--rules", *options, tmp], check=True, stdout=subprocess.DEVNULL)
            inputs = [os.path.join(tmp, n) for n in ("ref.msk", "new.msk", "custo.msk")]
            compare("seed %d %s" % (seed, " ".join(options)), inputs,
                    os.path.join(tmp, "rules.txt"))


examples()
generated()
print("%d passed, %d failed" % (passed, len(failed)))
sys.exit(1 if failed else 0)
