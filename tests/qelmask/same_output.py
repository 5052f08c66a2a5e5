#!/usr/bin/env python3
"""qelmask merge --legacy-layout writes what QELPeopleMaskMerger writes, byte for byte.

    same_output.py MERGER QELMASK EXAMPLES_DIR [GEN_MASKS_PY]

Runs both programs on the examples (with and without the rule file, with
the sorted customer file) and, when the shared generator is there, on
generated triples with rule files, and compares every file they write.
qelmask runs with --legacy-layout: its own layout writes the +FILTER,
+ACI and +VALUE lines of an entity before its attributes, where a reader
finds them, so only that option keeps the merger's bytes. A rule file
saved with CRLF line ends is given to qelmask only: the merger, which
would keep the carriage returns, gets the same rules with LF ends.
When the rule file has errors, neither program may write anything.
The two programs hold a mask in memory in two ways (the merger keeps the
properties of a line in its entity or attribute, and merges the entities
of a large mask side by side; qelmask keeps every property as a node, and
merges in order), so the comparison checks those against each other too.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

MERGER, QELMASK, EXAMPLES = sys.argv[1:4]
GENERATOR = sys.argv[4] if len(sys.argv) > 4 else ""
passed, failed = 0, []


def run(argv, cwd, env=None):
    full_env = dict(os.environ)
    full_env.pop("VEX_TRACE", None)
    full_env.update(env or {})
    return subprocess.run(argv, cwd=cwd, env=full_env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=300)


def written(folder, before):
    return {name: open(os.path.join(folder, name), "rb").read()
            for name in sorted(os.listdir(folder)) if name not in before}


def compare(name, inputs, rules=None, crlf_rules=False, sorted_custo=False, env=None):
    """Runs both programs on copies of `inputs` (ref, new, custo paths)."""
    global passed
    with tempfile.TemporaryDirectory() as tmp:
        old, new = os.path.join(tmp, "old"), os.path.join(tmp, "new")
        for folder in (old, new):
            os.mkdir(folder)
            for role, path in zip(("ref.msk", "new.msk", "custo.msk"), inputs):
                shutil.copyfile(path, os.path.join(folder, role))
            if rules:
                data = open(rules, "rb").read().replace(b"\r\n", b"\n")
                if crlf_rules and folder == new:
                    data = data.replace(b"\n", b"\r\n")
                open(os.path.join(folder, "rules.txt"), "wb").write(data)
        before = set(os.listdir(old))
        argv = [MERGER, "ref.msk", "new.msk", "custo.msk", "out.msk"]
        argv += ["-rule", "rules.txt"] if rules else []
        argv += ["-reorder"] if sorted_custo else []
        old_run = run(argv, old, env)
        argv = [QELMASK, "merge", "--legacy-layout", "--ref", "ref.msk", "--new", "new.msk",
                "--custo", "custo.msk", "--output", "out.msk", "--quiet"]
        argv += ["--rules", "rules.txt"] if rules else []
        argv += ["--sorted-custo", "custo.msk.sorted"] if sorted_custo else []
        new_run = run(argv, new, env)
        old_files, new_files = written(old, before), written(new, before)
        problems = []
        if old_files != new_files:
            problems.append("written files differ: %s / %s"
                            % (sorted(old_files), sorted(new_files)))
        expected = 0 if old_run.returncode == 0 else 1
        if new_run.returncode != expected:
            problems.append("qelmask exited %d (merger %d): %s"
                            % (new_run.returncode, old_run.returncode,
                               new_run.stderr.decode(errors="replace")))
        if problems:
            failed.append("%s: %s" % (name, "; ".join(problems)))
            print("FAIL", name, *problems, sep="\n  ")
        else:
            passed += 1
            print("ok  ", name, sorted(new_files) or "(nothing written)")


def examples():
    inputs = [os.path.join(EXAMPLES, n) for n in ("ref.msk", "new.msk", "custo.msk")]
    rules = os.path.join(EXAMPLES, "rules.txt")
    compare("examples", inputs)
    compare("examples with rules", inputs, rules)
    compare("examples with CRLF rules", inputs, rules, crlf_rules=True)
    compare("examples sorted", inputs, rules, sorted_custo=True)


def generated():
    if not os.path.exists(GENERATOR):
        print("note: no generator at %s: generated triples skipped" % GENERATOR)
        return
    variants = [[], ["--sep", "random"], ["--crlf"], ["--reorder"], ["--bad-rules"]]
    for seed in range(1, 21):
        options = variants[seed % len(variants)]
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), "--scale", "3",
                            "--rules", *options, tmp], check=True, stdout=subprocess.DEVNULL)
            lines = open(os.path.join(tmp, "cmd")).read().splitlines()
            env = json.loads(lines[1]) if len(lines) > 1 and lines[1].strip() else None
            inputs = [os.path.join(tmp, n) for n in ("ref.msk", "new.msk", "custo.msk")]
            rules = os.path.join(tmp, "rules.txt")
            label = "seed %d %s" % (seed, " ".join(options))
            compare(label, inputs, rules, sorted_custo="--reorder" in options, env=env)
            if seed % 4 == 0:
                compare(label + " CRLF rules", inputs, rules, crlf_rules=True)
    # Masks of a few hundred entities each, merged side by side by the
    # merger and one after the other by qelmask.
    for seed, options in ((21, []), (22, ["--masks", "2"]), (23, ["--sep", "random", "--crlf"])):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), "--scale", "30",
                            "--rules", *options, tmp], check=True, stdout=subprocess.DEVNULL)
            inputs = [os.path.join(tmp, n) for n in ("ref.msk", "new.msk", "custo.msk")]
            label = "seed %d scale 30 %s" % (seed, " ".join(options))
            compare(label, inputs, os.path.join(tmp, "rules.txt"))
            compare(label + " without rules", inputs)


examples()
generated()
print("%d passed, %d failed" % (passed, len(failed)))
sys.exit(1 if failed else 0)
