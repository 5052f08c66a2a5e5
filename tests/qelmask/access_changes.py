#!/usr/bin/env python3
"""qelmask access lists every access flag the merge changes, and no other.

    access_changes.py QELMASK EXAMPLES_DIR [GEN_MASKS_PY]

The changes are worked out here from the files alone: the customer's mask as
read and the merged mask as written, both read with a small reader of this
script's own (the rules of read_back.py). For every +ACI line, per mask,
owner (E::PART or E::PART/A::V_name) and operation, the flag before and
after gives the change: granted (Y now, not before), revoked (Y before, not
now) or changed (any other difference). On the examples and, when the
shared generator is there, on generated triples it checks:

  changes     qelmask access --json lists exactly those, each with a cause,
              and the auth field of every attribute that differs;
  summary     the Access: lines of qelmask merge count them per mask;
  itself      a mask merged with itself changes nothing;
  swap        REF and NEW given the wrong way round stop merge and access
              with a warning and nothing written, unless --allow-swap; given
              the right way round, no warning.

Two +ACI lines of one owner and operation with different flags (a customer's
file can hold them) leave the flag in doubt: for such a key an entry is
neither required nor refused, but it must show flags the files hold.
"""
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

QELMASK, EXAMPLES = sys.argv[1:3]
GENERATOR = sys.argv[3] if len(sys.argv) > 3 else ""
YES_BY_DEFAULT = ("QUERY", "EZQUERY", "CREATE", "WRITE")
KINDS = ("granted", "revoked", "changed")
passed, failed = 0, []


# ---------------------------------------------------------------- the reader

def null_to(value, default):
    return default if value in ("", "$") else value


def read_mask(path):
    """({(mask, owner, operation): {flags}}, {(mask, attribute): {auth values}})
    of a mask file, read as the tool reads it."""
    text = open(path, encoding="latin-1").read()
    sep, masks, entities, owner = ",", [], [], None
    access, auth = collections.defaultdict(set), collections.defaultdict(set)

    def find_mask(name):  # an empty name is the first mask
        if not name:
            return 0 if masks else None
        return masks.index(name) if name in masks else None

    for raw in text.split("\n"):
        if raw.startswith("//"):
            continue
        line = raw.replace("\t", " ").replace("\r", "").strip(" ")
        keyword, _, rest = line.partition(" ")
        keyword = keyword.upper()
        if keyword == "*SEPARATOR":
            sep = (rest.split() or [sep])[0]  # an empty one keeps the last
            continue
        f = [piece.strip(" ") for piece in rest.split(sep)] + [""] * 9
        if keyword == "*MASK":
            masks.append(f[0])
            entities.append(set())
        elif keyword == "*ENTITY":  # an unknown mask leaves the owner as it was
            mask = find_mask(f[1].upper())
            if mask is not None:
                entities[mask].add(f[0])
                owner = (masks[mask], "E::" + f[0])
        elif keyword == "*ATTR":
            entity, _, after = f[1].partition(".")
            mask = find_mask(after.split(".")[0])  # as written, not upper-cased
            if mask is not None:
                owner = None  # an unknown entity: the lines below have no owner
                if entity in entities[mask]:
                    owner = (masks[mask], "E::%s/A::%s" % (entity, f[0]))
                    auth[owner].add(null_to(f[7].upper(), "N"))
        elif keyword == "+ACI" and owner:
            operation = f[0].upper()
            default = "Y" if operation in YES_BY_DEFAULT else "N"
            access[owner + (operation,)].add(null_to(f[1].upper(), default))
    return access, auth


def change_of(before, after):
    if before == after:
        return None
    return "granted" if after == "Y" else "revoked" if before == "Y" else "changed"


def compare(key, before, after, listed, with_kind=True):
    """Problems of qelmask's entry for key (None when it lists none), before
    and after being the sets of values the two files hold for it."""
    got = listed and (listed["before"], listed["after"])
    if len(before) > 1 or len(after) > 1:  # in doubt: what is listed must be held
        if got and (got[0] not in (before or {None}) or got[1] not in (after or {None})):
            return ["%s: listed %s -> %s, the files hold %s -> %s"
                    % (key, got[0], got[1], sorted(before), sorted(after))]
    else:
        want = (min(before, default=None), min(after, default=None))
        if got != (want if want[0] != want[1] else None):
            return ["%s: %s, listed %s" % (key, "%s -> %s" % want if want[0] != want[1]
                                           else "no change", "%s -> %s" % got if got else "none")]
    if got and (got[0] == got[1] or with_kind and listed["change"] != change_of(*got)):
        return ["%s: listed %s -> %s as %r" % (key, got[0], got[1], listed.get("change"))]
    return []


# ---------------------------------------------------------------- running

def run(argv, folder):
    env = dict(os.environ)
    env.pop("VEX_TRACE", None)
    result = subprocess.run([QELMASK] + argv, cwd=folder, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=120)
    return result.returncode, result.stdout.decode(errors="replace"), \
        result.stderr.decode(errors="replace")


def inputs(ref="ref.msk", new="new.msk", custo="custo.msk", rules=False):
    return ["--ref", ref, "--new", new, "--custo", custo] + (["--rules", "rules.txt"] if rules else [])


def summary_counts(text):
    """{mask: {kind: n}} from the Access: lines of merge; {} for `no change`."""
    counts = {}
    for line in text.splitlines():
        found = re.match(r"\s*Access:\s*(.*)", line)
        if found and found.group(1).strip() != "no change":
            mask, _, rest = found.group(1).strip().partition(" ")
            counts[mask] = {k: int(n) for n, k in re.findall(r"(\d+) (%s)" % "|".join(KINDS), rest)}
    return counts


def access_and_merge(folder, args):
    """(problems, changes, auth, merge's counts) of access --json and merge -o."""
    status, out, err = run(["merge"] + args + ["-o", "out.msk"], folder)
    if status != 0:
        return ["merge exited %d: %s" % (status, err.strip()[-300:])], None, None, None
    problems = ["merge warns of a swap: " + err.strip()] if "swap" in err.lower() else []
    if not re.search(r"^\s*Access:", out + err, re.M):
        problems.append("merge prints no Access: line")
    status, table, err = run(["access"] + args + ["--json", "a.json"], folder)
    if status != 0:
        return problems + ["access exited %d: %s" % (status, err.strip()[-300:])], None, None, None
    document = json.load(open(os.path.join(folder, "a.json"), encoding="utf-8"))
    if (document.get("format"), document.get("version")) != ("qelmask-access", 1):
        problems.append("format/version %r/%r" % (document.get("format"), document.get("version")))
    if document["changes"] and not table.strip():
        problems.append("access prints no table for %d change(s)" % len(document["changes"]))
    for entry in document["changes"] + document["auth"]:
        if not str(entry.get("cause") or "").strip():
            problems.append("no cause: %s" % entry)
    return problems, document["changes"], document["auth"], summary_counts(out + err)


def check_changes(name, folder, rules):
    problems, changes, auths, counts = access_and_merge(folder, inputs(rules=rules))
    if changes is None:
        return report(name, "changes", problems)
    (before, auth_before), (after, auth_after) = (read_mask(os.path.join(folder, n))
                                                  for n in ("custo.msk", "out.msk"))
    listed = {}
    for entry in changes:
        key = (entry["mask"], entry["node"], entry["operation"])
        problems += ["%s listed twice" % (key,)] if key in listed else []
        listed[key] = entry
    kept, doubtful = collections.Counter(), 0
    for key in sorted(set(before) | set(after) | set(listed)):
        problems += compare(key, before.get(key, set()), after.get(key, set()), listed.get(key))
        doubtful += len(before.get(key, ())) > 1 or len(after.get(key, ())) > 1
        if key in listed:
            kept[key[0], listed[key]["change"]] += 1
    listed_auth = {(e["mask"], e["node"]): e for e in auths}
    problems += ["auth of %s listed %d times" % (k, n) for k, n in collections.Counter(
        (e["mask"], e["node"]) for e in auths).items() if n > 1]
    for key in sorted(set(auth_before) | set(auth_after) | set(listed_auth)):
        problems += compare(key, auth_before.get(key, set()), auth_after.get(key, set()),
                            listed_auth.get(key), with_kind=False)
    expected = {mask: {k: kept[mask, k] for k in KINDS if kept[mask, k]}
                for mask, _ in kept}
    if {m: {k: n for k, n in c.items() if n} for m, c in counts.items()} != expected:
        problems.append("merge's Access: lines %s, the changes count %s" % (counts, expected))
    report(name, "changes", problems, "(%d access change(s), %d auth, %d in doubt)"
           % (len(changes), len(auths), doubtful))


def check_itself(name, folder):
    self_folder = os.path.join(folder, "itself")
    os.mkdir(self_folder)
    shutil.copyfile(os.path.join(folder, "custo.msk"), os.path.join(self_folder, "c.msk"))
    problems, changes, auths, counts = access_and_merge(self_folder, inputs(*["c.msk"] * 3))
    if changes is not None:
        problems += ["%d access change(s), first %s" % (len(changes), changes[0])] if changes else []
        problems += ["%d auth change(s), first %s" % (len(auths), auths[0])] if auths else []
        problems += ["merge's Access: lines count %s" % counts] if counts else []
    report(name, "itself", problems)


def check_swap(name, folder, rules):
    problems, swapped = [], inputs("new.msk", "ref.msk", rules=rules)
    for command, output in (("merge", ["-o", "swapped.msk"]), ("access", ["--json", "s.json"])):
        status, out, err = run([command] + swapped + output, folder)
        if status != 1 or "swap" not in err.lower() or os.path.exists(
                os.path.join(folder, output[1])):
            problems.append("%s swapped: status %d, written %s, stderr %r" % (
                command, status, os.path.exists(os.path.join(folder, output[1])), err[-200:]))
    status, _, err = run(["merge"] + swapped + ["--allow-swap", "-o", "allowed.msk"], folder)
    if status != 0 or not os.path.exists(os.path.join(folder, "allowed.msk")):
        problems.append("merge --allow-swap: status %d, %s" % (status, err.strip()[-200:]))
    report(name, "swap", problems)


def report(name, what, problems, detail=""):
    global passed
    label = "%s: %s" % (what, name)
    if problems:
        failed.append(label)
        print("FAIL " + label, *problems[:8], sep="\n  ")
        print("  ... %d more" % (len(problems) - 8)) if len(problems) > 8 else None
    else:
        passed += 1
        print("ok  ", label, detail)


def check_case(name, folder, rules):
    check_changes(name, folder, rules)
    check_itself(name, folder)
    check_swap(name, folder, rules)


# ---------------------------------------------------------------- the cases

def examples():
    if not os.path.isdir(EXAMPLES):
        return print("note: no examples at %s" % EXAMPLES)
    for rules in (False, True):
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("ref.msk", "new.msk", "custo.msk", "rules.txt"):
                shutil.copyfile(os.path.join(EXAMPLES, name), os.path.join(tmp, name))
            check_case("examples" + (" with rules" if rules else ""), tmp, rules)


def generated():
    if not os.path.exists(GENERATOR):
        return print("note: no generator at %s: generated triples skipped" % GENERATOR)
    for seed in range(1, 17):
        options = ["--scale", str((1, 3, 10)[seed % 3])]
        options += ([], ["--masks", "2"], ["--masks", "3"])[seed // 3 % 3]
        options += ["--sep", "random"] if seed % 2 else []
        options += ["--crlf"] if seed % 5 == 0 else []
        options += ["--rules"] if seed % 4 else []
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), *options, tmp],
                           check=True, stdout=subprocess.DEVNULL)
            check_case("seed %d %s" % (seed, " ".join(options)), tmp, "--rules" in options)


def main():
    if not os.access(QELMASK, os.X_OK):
        print("note: no qelmask at %s: nothing to check" % QELMASK)
        sys.exit(77)
    examples()
    generated()
    print("%d passed, %d failed" % (passed, len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
