#!/usr/bin/env python3
"""qelmask access lists every access flag the merge changes, and no other.

    access_changes.py QELMASK EXAMPLES_DIR [GEN_MASKS_PY]

The changes are worked out from the files alone: the customer's mask as
read and the merged mask as written, both read with a small reader of this
script's own (the reading rules of read_back.py). Per mask, owner (E::PART
or E::PART/A::V_name) and operation, the flag of its +ACI line before and
after gives the change: granted (Y now, not before), revoked (Y before, not
now) or changed (any other difference); an attribute's auth field is
compared the same way. On a few hand-made triples, the examples and, when
the shared generator is there, generated triples it checks:

  changes     qelmask access --json lists exactly those, each with a cause,
              and its table shows the same rows; the Access: lines of
              qelmask merge count them per mask;
  itself      a mask merged with itself changes nothing;
  swap        REF and NEW given the wrong way round stop merge and access
              (and report, on the examples) with a warning on stderr and
              nothing written, unless --allow-swap; the right way round,
              no warning.

A customer's file can give one owner's operation (or one attribute's auth)
two different values on two lines. Such a key is in doubt: it may be listed
once per value, each time with values the files hold, or not at all.
"""
import collections
import itertools
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


def judge(key, before, after, entries, kind_of=change_of):
    """(problems, kinds) of qelmask's entries for key, before and after being
    the sets of values the two files hold for it; kinds are what the summary
    counts for key. A key in doubt may be listed once per value it held."""
    shown = [(entry["before"], entry["after"]) for entry in entries]
    problems = ["%s: listed %s -> %s as %r" % (key, e["before"], e["after"], e.get("change"))
                for e, pair in zip(entries, shown)
                if not kind_of(*pair) or e.get("change", kind_of(*pair)) != kind_of(*pair)]
    if len(before) > 1 or len(after) > 1:
        held = [(b, a) for b, a in shown if b in (before or {None}) and a in (after or {None})]
        if held != shown or len(set(shown)) != len(shown):
            problems.append("%s: listed %s, the files hold %s -> %s"
                            % (key, shown, sorted(before), sorted(after)))
        return problems, [kind_of(*pair) for pair in shown]
    want = (min(before, default=None), min(after, default=None))
    expected = [want] if kind_of(*want) else []
    if shown != expected:
        problems.append("%s: %s, listed %s" % (
            key, "%s -> %s" % want if expected else "no change",
            ", ".join("%s -> %s" % pair for pair in shown) or "none"))
    return problems, [kind_of(*pair) for pair in expected]


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
    """{(mask, kind): n} of the Access: lines of merge, zeros left out."""
    counts = collections.Counter()
    for line in text.splitlines():
        found = re.match(r"\s*Access:(.*)", line)
        if found and found.group(1).strip() != "no change":
            mask, _, rest = found.group(1).strip().partition(" ")
            for n, kind in re.findall(r"(\d+) (%s)\b" % "|".join(KINDS), rest):
                counts[mask, kind] += int(n)
            for n in re.findall(r"auth changed on (\d+)", rest):
                counts[mask, "auth"] += int(n)
    return +counts


def table_rows(text):
    """The rows of the table access prints, cut at the columns of its heading."""
    lines = text.splitlines()
    heading = next((i for i, line in enumerate(lines) if line.split()[:1] == ["MASK"]), None)
    if heading is None:
        return []
    starts = [m.start() for m in re.finditer(r"\S+", lines[heading])] + [None]
    return sorted(tuple(line[a:b].strip() for a, b in zip(starts, starts[1:]))
                  for line in itertools.takewhile(str.strip, lines[heading + 1:]))


def access_and_merge(folder, args):
    """(problems, access JSON, merge's counts) of access --json and merge -o."""
    status, out, err = run(["merge"] + args + ["-o", "out.msk"], folder)
    if status != 0:
        return ["merge exited %d: %s" % (status, err.strip()[-300:])], None, None
    problems = ["merge warns of a swap: " + err.strip()] if "swap" in err.lower() else []
    if not re.search(r"^\s*Access:", out, re.M):
        problems.append("merge prints no Access: line")
    status, table, err = run(["access"] + args + ["--json", "a.json"], folder)
    if status != 0:
        return problems + ["access exited %d: %s" % (status, err.strip()[-300:])], None, None
    problems += ["access warns of a swap: " + err.strip()] if "swap" in err.lower() else []
    document = json.load(open(os.path.join(folder, "a.json"), encoding="utf-8"))
    if (document.get("format"), document.get("version")) != ("qelmask-access", 1):
        problems.append("format/version %r/%r" % (document.get("format"), document.get("version")))
    for entry in document["changes"] + document["auth"]:
        if not str(entry.get("cause") or "").strip():
            problems.append("no cause: %s" % entry)
    shown = sorted((e["mask"], e["node"], e.get("operation", "auth"), e["before"] or "-",
                    e["after"] or "-", e.get("change", "auth"), e["cause"])
                   for e in document["changes"] + document["auth"])
    if table_rows(table) != shown:
        problems.append("the table shows %d row(s), not the %d of the JSON (first differing: %s)"
                        % (len(table_rows(table)), len(shown),
                           next(iter(set(table_rows(table)) ^ set(shown)), None)))
    return problems, document, summary_counts(out)


def keyed(entries, *fields):
    """{key: [entries]} of JSON entries."""
    found = collections.defaultdict(list)
    for entry in entries:
        found[tuple(entry[field] for field in fields)].append(entry)
    return found


def check_changes(name, folder, rules):
    problems, document, counts = access_and_merge(folder, inputs(rules=rules))
    if document is None:
        return report(name, "changes", problems)
    files = [read_mask(os.path.join(folder, n)) for n in ("custo.msk", "out.msk")]
    counted, doubtful = collections.Counter(), 0
    for what, fields, kind_of in (
            (0, ("mask", "node", "operation"), change_of),
            (1, ("mask", "node"), lambda before, after: before != after and "auth")):
        before, after = files[0][what], files[1][what]
        listed = keyed(document[("changes", "auth")[what]], *fields)
        # A missing auth field reads as N: an attribute that comes or goes
        # with auth N changes no auth.
        missing = set() if what == 0 else {"N"}
        if what == 1:
            listed = {key: [dict(entry, before=entry["before"] or "N", after=entry["after"] or "N")
                            for entry in entries] for key, entries in listed.items()}
        for key in sorted(set(before) | set(after) | set(listed)):
            wrong, kinds = judge(key, before.get(key, missing), after.get(key, missing),
                                 listed.get(key, []), kind_of)
            problems += wrong
            counted.update((key[0], kind) for kind in kinds if kind)
            doubtful += len(before.get(key, ())) > 1 or len(after.get(key, ())) > 1
    differing = sorted(set(counts) ^ set(+counted) | {k for k in counts if counts[k] != counted[k]})
    if differing:
        problems.append("merge's Access: lines count (mask, kind): number there / in the files: "
                        + ", ".join("%s %s: %d / %d" % (*k, counts[k], counted[k]) for k in differing))
    report(name, "changes", problems, "(%d access change(s), %d auth, %d key(s) in doubt)"
           % (len(document["changes"]), len(document["auth"]), doubtful))


def check_itself(name, folder):
    """REF, NEW and CUSTO one file: nothing changes."""
    own = os.path.join(folder, "itself")
    os.mkdir(own)
    shutil.copyfile(os.path.join(folder, "custo.msk"), os.path.join(own, "c.msk"))
    problems, document, counts = access_and_merge(own, inputs("c.msk", "c.msk", "c.msk"))
    if document is not None:
        problems += ["%d %s change(s) listed, first %s" % (len(document[what]), what,
                                                          document[what][0])
                     for what in ("changes", "auth") if document[what]]
        problems += ["merge's Access: lines count %s" % sorted(counts.items())] if counts else []
    report(name, "itself", problems)


def check_swap(name, folder, rules, commands=("merge", "access")):
    """REF and NEW the wrong way round: a warning on stderr naming the swap,
    status 1 and nothing written; --allow-swap merges them as given."""
    problems, swapped = [], inputs("new.msk", "ref.msk", rules=rules)
    for command in commands:
        written = os.path.join(folder, "swapped." + command)
        output = ["-o", written] if command == "merge" else ["--json", written]
        status, _, err = run([command] + swapped + output, folder)
        if status != 1 or "swap" not in err.lower() or os.path.exists(written):
            problems.append("%s swapped: status %d, %s, stderr %r" % (
                command, status, "written" if os.path.exists(written) else "nothing written",
                err.strip()[-200:]))
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
        print("ok  ", label, *[detail][:bool(detail)])


# ---------------------------------------------------------------- the cases

# Hand-made triples, name: (REF, NEW, CUSTO), of lines a customer's file
# can hold twice.
PART = """\
*MASK DEFAULT
*ENTITY PART,DEFAULT,Part
+ACI WRITE,N
*ATTR V_a,PART.DEFAULT,N,A,,,$,N,
+ACI READ,Y
*ATTR V_b,PART.DEFAULT,N,B,,,$,N,
+ACI READ,Y
"""
WITHOUT_A = PART.replace("*ATTR V_a,PART.DEFAULT,N,A,,,$,N,\n+ACI READ,Y\n", "")
HAND = {
    "an attribute written twice, dropped by NEW": (
        PART, WITHOUT_A, PART + "*ATTR V_a,PART.DEFAULT,N,Again,,,$,N,\n"),
    "an access line written twice, dropped by NEW": (
        PART, WITHOUT_A, PART.replace("+ACI READ,Y", "+ACI READ,Y\n+aci read,y", 1)),
    "an operation given two flags, dropped by NEW": (
        PART, WITHOUT_A, PART.replace("+ACI READ,Y", "+ACI READ,N\n+aci read,y", 1)),
    "an entity's operation given two flags, one changed by NEW": (
        PART, PART.replace("WRITE,N", "WRITE,Y"), PART.replace("WRITE,N", "WRITE,N\n+ACI WRITE,$")),
}


def hand_made():
    for name, texts in HAND.items():
        with tempfile.TemporaryDirectory() as tmp:
            for role, text in zip(("ref", "new", "custo"), texts):
                with open(os.path.join(tmp, role + ".msk"), "w") as out:
                    out.write(text)
            check_changes(name, tmp, False)
            check_itself(name, tmp)


def examples():
    if not os.path.isdir(EXAMPLES):
        return print("note: no examples at %s" % EXAMPLES)
    for rules in (False, True):
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("ref.msk", "new.msk", "custo.msk", "rules.txt"):
                shutil.copyfile(os.path.join(EXAMPLES, name), os.path.join(tmp, name))
            name = "examples" + (" with rules" if rules else "")
            check_changes(name, tmp, rules)
            check_itself(name, tmp)
            check_swap(name, tmp, rules, ("merge", "access", "report"))


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
            name = "seed %d %s" % (seed, " ".join(options))
            check_changes(name, tmp, "--rules" in options)
            check_itself(name, tmp)
            check_swap(name, tmp, "--rules" in options)


def main():
    if not os.access(QELMASK, os.X_OK):
        print("note: no qelmask at %s: nothing to check" % QELMASK)
        sys.exit(77)
    hand_made()
    examples()
    generated()
    print("%d passed, %d failed" % (passed, len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
