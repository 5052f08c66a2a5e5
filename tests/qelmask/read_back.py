#!/usr/bin/env python3
"""What qelmask merge writes reads back into the tree it traced.

    read_back.py QELMASK MERGER EXAMPLES_DIR [GEN_MASKS_PY]

A +ACI, +FILTER or +VALUE line belongs to the last entity or attribute line
above it, so a merged file is only right if every line stands where a reader
finds its owner. This script reads the written files with a small reader of
its own (not the tool's) and checks, on hand-made triples, the examples and,
when the shared generator is there, generated triples:

  owners       every node line reads back as the node whose NODE ID the
               trace (VEX_TRACE=Main) wrote above it, in the mask of its
               *MASK block, with the property values the trace shows;
  untraced     the file written without the trace is the traced one
               without its NODE ID lines;
  fixed point  merging the stripped file with itself gives it back, and so
               does merging the unstripped one (review records of an
               earlier merge are not carried over);
  legacy       --legacy-layout writes the merger's bytes; `qelmask check`
               lists the lines of that file that stand after an entity's
               last attribute (so every line it puts under the wrong owner),
               and nothing in qelmask's own layout or the customer's file.
"""
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import textwrap

QELMASK, MERGER, EXAMPLES = sys.argv[1:4]
GENERATOR = sys.argv[4] if len(sys.argv) > 4 else ""
ID_LINE = "// ### NODE ID:"
NODE_KEYWORDS = ("*MASK", "*ENTITY", "*ATTR", "+ACI", "+FILTER", "+VALUE")
# What an owned line adds to its owner's identifier.
OWNED = {"+ACI": "/X::", "+FILTER": "/F::", "+VALUE": "/_::values/V::"}
YES_BY_DEFAULT = ("QUERY", "EZQUERY", "CREATE", "WRITE")
passed, failed = 0, []


# ---------------------------------------------------------------- the reader

def normalised(raw):
    """(KEYWORD, rest) of a line; None for a comment or an empty line."""
    if raw.startswith("//"):
        return None
    line = raw.replace("\t", " ").replace("\r", "").strip(" ")
    keyword, _, rest = line.partition(" ")
    return (keyword.upper(), rest) if line else None


def with_value(ident, value):
    return ident + ("[%s]" % value if value else "")


def null_to(value, default):
    return default if value in ("", "$") else value


# A node line read back. id and mask (an index into the file's masks) are
# None when it makes no node; owner is the current node when it was read;
# block is the *MASK block it stands in; traced the NODE ID above it.
NodeLine = collections.namedtuple("NodeLine", "number keyword id mask owner block traced")


class MaskFile:
    """A mask file read by the reading rules of the tool. Besides the lines
    it keeps props, (line, property id, block) of the properties they make,
    traced_ids, every NODE ID per block, and fields, every field read."""

    def __init__(self, text):
        self.sep, self.masks, self.lines, self.props, self.fields = ",", [], [], [], []
        self.traced_ids = collections.defaultdict(set)
        self.entities = []   # per mask, the names of its entities
        self.current = None  # (id, mask) of the last entity or attribute line that found its mask
        traced = None
        for number, raw in enumerate(text.split("\n"), 1):
            if raw.startswith(ID_LINE):
                traced = raw[len(ID_LINE) + 1:]
                self.traced_ids[len(self.masks) - 1].add(traced)
            elif normalised(raw):
                self.read(number, *normalised(raw), traced)
                traced = None

    def read(self, number, keyword, rest, traced):
        if keyword == "*SEPARATOR":
            self.sep = (rest.split() or [self.sep])[0]  # an empty one keeps the last
        if keyword not in NODE_KEYWORDS:
            return
        fields = [piece.strip(" ") for piece in rest.split(self.sep)]
        self.fields += fields
        block = len(self.masks) - (keyword != "*MASK")
        owner = self.current and self.current[0]
        made = getattr(self, keyword[1:].lower())(number, block, fields + [""] * 9)
        self.lines.append(NodeLine(number, keyword, *(made or (None, None)), owner, block, traced))

    def find_mask(self, name):
        if not name:
            return 0 if self.masks else None
        return self.masks.index(name) if name in self.masks else None

    def mask(self, number, block, f):
        self.masks.append(f[0])
        self.entities.append(set())
        return "", block  # no one's owner: the current node stays

    def entity(self, number, block, f):
        mask = self.find_mask(f[1].upper())
        if mask is not None:
            self.entities[mask].add(f[0])
            self.current = ("E::" + f[0], mask)
            self.props.append((number, with_value("E::%s/_::alias" % f[0], f[2]), block))
            return self.current

    def attr(self, number, block, f):
        entity, _, after = f[1].partition(".")
        mask = self.find_mask(after.split(".")[0])  # as written, not upper-cased
        if mask is None:
            return None
        self.current = None  # an unknown entity leaves the lines below without owner
        if entity in self.entities[mask]:
            self.current = ("E::%s/A::%s" % (entity, f[0]), mask)
            values = {"required": null_to(f[2].upper(), "N"), "alias": f[3], "group": f[4],
                      "order": f[5], "auth": null_to(f[7].upper(), "N"), "defval": f[8]}
            for prop, value in values.items():
                ident = with_value("%s/_::%s" % (self.current[0], prop), value)
                self.props.append((number, ident, block))
            return self.current

    def aci(self, number, block, f):
        if self.current:
            operation = f[0].upper()
            flag = null_to(f[1].upper(), "Y" if operation in YES_BY_DEFAULT else "N")
            return with_value(self.current[0] + "/X::" + operation, flag), self.current[1]

    def filter(self, number, block, f):
        if self.current:
            return with_value(self.current[0] + "/F::" + f[0].upper(), f[1]), self.current[1]

    def value(self, number, block, f):
        if self.current:
            self.props.append((number, self.current[0] + "/_::values", block))
            return self.current[0] + "/_::values/V::" + f[0], self.current[1]


# ---------------------------------------------------------------- the checks

def misread(read):
    """(line, block, keyword, what is wrong) for every line that reads back
    as another node than the traced one, into another mask, or with a
    property value the trace does not show."""
    wrong = []
    for line in read.lines:
        if line.traced is None:
            why = "has no NODE ID line above it"
        elif line.id is None:
            why = "makes no node (traced %s)" % line.traced
        elif line.id != line.traced:
            why = "reads as %s, traced %s" % (line.id, line.traced)
        elif line.mask != line.block:
            why = "lands in mask %s, written in %s" % (read.masks[line.mask],
                                                       read.masks[line.block])
        else:
            continue
        wrong.append((line.number, line.block, line.keyword, why))
    return sorted(wrong + [(number, block, "property", "%s is not in the trace" % ident)
                           for number, ident, block in read.props
                           if ident not in read.traced_ids[block]])


def misowned(read):
    """The lines the trace puts under an entity and the reader under one of
    its attributes: what the place of a line alone gets wrong."""
    return {line.number for line in read.lines
            if line.keyword in OWNED and line.id and line.mask == line.block
            and "/A::" in line.owner and (line.traced or "").startswith(
                line.owner.partition("/A::")[0] + OWNED[line.keyword])}


def check_owners(traced, custo_sep, stderr):
    """A mask named with small letters that is not the first one cannot be
    named by its entity lines (the reader upper-cases that field): merge
    warns about it, and its lines are not counted."""
    read, problems = MaskFile(traced), []
    unreadable = {b for b, name in enumerate(read.masks) if b and name != name.upper()}
    wrong = misread(read)
    problems += ["no warning names the mask %s, whose lines do not read back" % read.masks[b]
                 for b in sorted({w[1] for w in wrong} & unreadable)
                 if not said(stderr, "warning", read.masks[b])]
    wrong = [w for w in wrong if w[1] not in unreadable]
    if wrong:
        problems.append("%d line(s) do not read back as traced: %s" % (
            len({w[0] for w in wrong}), "; ".join("line %d: %s %s" % (n, k, why)
                                                 for n, _, k, why in wrong[:4])))
    # The customer's separator stays unless it would split a field (with
    # "." an *ATTR line cannot name its mask).
    needed = custo_sep == "." or any(custo_sep in f + custo_sep[:-1] for f in read.fields)
    if (read.sep != custo_sep) != needed:
        problems.append("separator %r written for the customer's %r" % (read.sep, custo_sep))
    elif needed and not said(stderr, "separator", read.sep):
        problems.append("no note names the separator %r chosen" % read.sep)
    return problems, "(%d node lines)" % len(read.lines)


def said(stderr, kind, name):
    """Does a line of stderr of that kind (warning, separator...) name it?"""
    return any(kind in line.lower() and name in line for line in stderr.splitlines())


def without_ids(data):
    return b"\n".join(line for line in data.split(b"\n") if not line.startswith(ID_LINE.encode()))


def untraced_numbers(traced):
    """Line number in the traced file -> number of that line once the IDs are gone."""
    numbers, ids = {}, 0
    for number, line in enumerate(traced.split(b"\n"), 1):
        ids += line.startswith(ID_LINE.encode())
        numbers[number] = number - ids
    return numbers


def after_last_attribute(text):
    """The owned lines below an entity's last *ATTR line: a reader cannot
    tell whether they are the entity's or that attribute's."""
    found, tail = set(), None
    for number, raw in enumerate(text.split("\n") + ["*ENTITY"], 1):
        keyword = (normalised(raw) or ("",))[0]
        if keyword == "*ATTR":
            tail = []
        elif keyword in ("*MASK", "*ENTITY"):
            found.update(tail or [])
            tail = None
        elif keyword in OWNED and tail is not None:
            tail.append(number)
    return found


def listed(result, name):
    """The line numbers `qelmask check` shows as name:LINE:."""
    text = (result.stdout + result.stderr).decode(errors="replace")
    return {int(n) for n in re.findall(r"^\s*%s:(\d+):" % re.escape(name), text, re.M)}


# ---------------------------------------------------------------- running

def run(argv, cwd, env=None, trace=False, keep_stdout=False):
    full_env = dict(os.environ, **(env or {}))
    full_env.pop("VEX_TRACE", None)
    if trace:
        full_env["VEX_TRACE"] = "Main"
    return subprocess.run(argv, cwd=cwd, env=full_env, stderr=subprocess.PIPE, timeout=120,
                          stdout=subprocess.PIPE if keep_stdout else subprocess.DEVNULL)


def merge(folder, output, rules, env, *extra, inputs=("ref.msk", "new.msk", "custo.msk"),
          trace=False):
    """Runs qelmask merge in folder; returns the file written and stderr. The
    traced run is not quiet, so that its warnings and notes are all there."""
    argv = [QELMASK, "merge", "--ref", inputs[0], "--new", inputs[1], "--custo", inputs[2],
            "--output", output, *extra] + (["--rules", "rules.txt"] if rules else [])
    argv += [] if trace else ["--quiet"]
    result = run(argv, folder, env, trace)
    stderr = result.stderr.decode(errors="replace")
    if result.returncode != 0:
        raise RuntimeError("%s exited %d: %s" % (" ".join(argv[1:]), result.returncode,
                                                  stderr.strip()))
    return open(os.path.join(folder, output), "rb").read(), stderr


def fixed_point(folder, rules, env):
    if run([QELMASK, "strip", "out.msk", "-o", "s.msk", "-q"], folder, env).returncode:
        return ["qelmask strip out.msk failed"], ""
    stripped = open(os.path.join(folder, "s.msk"), "rb").read()
    if "DEFAULT" not in MaskFile(stripped.decode("latin-1")).masks:
        return None, "(no DEFAULT mask: it cannot be a REF)"
    problems = []
    for source in ("s.msk", "out.msk"):
        if merge(folder, "again-" + source, False, env, inputs=(source,) * 3)[0] != stripped:
            problems.append("merging %s with itself does not give the stripped file" % source)
    return problems, ""


def merger_output(folder, rules, env):
    own = os.path.join(folder, "merger")
    os.mkdir(own)
    for name in ("ref.msk", "new.msk", "custo.msk") + (("rules.txt",) if rules else ()):
        shutil.copyfile(os.path.join(folder, name), os.path.join(own, name))
    run([MERGER, "ref.msk", "new.msk", "custo.msk", "out.msk"]
        + (["-rule", "rules.txt"] if rules else []), own, env)
    path = os.path.join(own, "out.msk")
    return open(path, "rb").read() if os.path.exists(path) else None


def legacy(folder, rules, env):
    problems = []
    plain, _ = merge(folder, "legacy.msk", rules, env, "--legacy-layout")
    if merger_output(folder, rules, env) != plain:
        problems.append("--legacy-layout differs from the merger's file")
    traced, _ = merge(folder, "legacy-traced.msk", rules, env, "--legacy-layout", trace=True)
    if without_ids(traced) != plain:
        problems.append("the untraced legacy file is not the traced one without its ID lines")
    numbers = untraced_numbers(traced)
    wrong = {numbers[n] for n in misowned(MaskFile(traced.decode("latin-1")))}
    in_doubt = after_last_attribute(plain.decode("latin-1"))
    check = run([QELMASK, "check", "--all", "legacy.msk"], folder, env, keep_stdout=True)
    shown = listed(check, "legacy.msk")
    if wrong - shown:
        problems.append("check does not list the mis-owned lines %s" % sorted(wrong - shown)[:8])
    if shown != in_doubt or check.returncode != (1 if in_doubt else 0):
        problems.append("check legacy.msk: status %d, %d line(s) listed, %d after an entity's "
                        "last attribute (differing: %s)" % (
                            check.returncode, len(shown), len(in_doubt),
                            sorted(shown ^ in_doubt)[:6]))
    for mask in ("out.msk", "custo.msk"):
        check = run([QELMASK, "check", "--all", mask], folder, env, keep_stdout=True)
        if check.returncode != 0 or listed(check, mask):
            problems.append("check %s: status %d, lines %s listed"
                            % (mask, check.returncode, sorted(listed(check, mask))[:6]))
    return problems, "(%d mis-owned line(s) there)" % len(wrong)


def report(name, what, problems, detail=""):
    global passed
    label = "%s: %s" % (what, name)
    if problems is None:
        print("skip", label, detail)
    elif problems:
        failed.append(label)
        print("FAIL " + label, *problems, sep="\n  ")
    else:
        passed += 1
        print("ok  ", label, detail) if detail else print("ok  ", label)


def check_case(name, folder, rules=False, env=None):
    """folder holds ref.msk, new.msk, custo.msk (and rules.txt with `rules`)."""
    try:
        traced, stderr = merge(folder, "traced.msk", rules, env, trace=True)
        plain, _ = merge(folder, "out.msk", rules, env)
    except RuntimeError as error:
        return report(name, "merge", [str(error)])
    custo = open(os.path.join(folder, "custo.msk"), encoding="latin-1").read()
    report(name, "owners", *check_owners(traced.decode("latin-1"), MaskFile(custo).sep, stderr))
    report(name, "untraced", [] if without_ids(traced) == plain
           else ["the untraced file is not the traced one without its ID lines"])
    for what, step in (("fixed point", fixed_point), ("legacy", legacy)):
        try:
            report(name, what, *step(folder, rules, env))
        except RuntimeError as error:
            report(name, what, [str(error)])


# ---------------------------------------------------------------- the cases

# Hand-made triples, name: (REF, NEW, CUSTO); None stands for the REF.
PART = """\
    *MASK DEFAULT
    *ENTITY PART,DEFAULT,Part
    +ACI READ,Y
    +ACI WRITE,N
    *ATTR V_name,PART.DEFAULT,N,Name,,,,N,
    +ACI QUERY,Y
"""
HAND = {
    "entity ACI lines and an attribute": (PART, None, None),
    "entity values and filters, attributes with their own": (PART, None, PART + """\
    +VALUE short
    *ENTITY DOC,DEFAULT
    +FILTER SITE,north
    +VALUE OPEN
    *ATTR V_id,DOC.DEFAULT,Y
    +VALUE OPEN
    *ATTR V_kind,DOC.DEFAULT
    +FILTER SITE,south
"""),
    # Entity lines find a mask named with small letters only through an
    # empty mask field, which means the first mask.
    "mask Readers alone": (PART, None, """\
    *MASK Readers
    *ENTITY PART,,Part
    +ACI READ,Y
    *ATTR V_name,PART.Readers,N,Name
    +ACI QUERY,N
"""),
    # Masks are written by name: AUDITORS comes first.
    "mask Readers after AUDITORS": (PART, None, """\
    *MASK Readers
    *ENTITY PART,,Part
    +ACI READ,Y
    *ATTR V_name,PART.Readers,N,Name
    *MASK AUDITORS
    *ENTITY PART,AUDITORS,Part
    +ACI READ,N
    *ATTR V_name,PART.AUDITORS,N,Name
"""),
    "fields holding the customer's separator": (PART, PART + """\
    *ATTR V_kind,PART.DEFAULT,N,Kind;Type,,,,N,a;b
    +FILTER SITE,x;y
    +VALUE c;d
""", "    *SEPARATOR ;\n" + PART.replace(",", ";")),
    "customer's separator a dot": (PART, None, """\
    *SEPARATOR .
    *MASK DEFAULT
    *ENTITY PART.DEFAULT.Part
    +ACI READ.Y
    *ATTR V_name.PART..Name
    +ACI QUERY.Y
"""),
}


def hand_made():
    for name, (ref, new, custo) in HAND.items():
        with tempfile.TemporaryDirectory() as tmp:
            for role, text in zip(("ref", "new", "custo"), (ref, new or ref, custo or ref)):
                with open(os.path.join(tmp, role + ".msk"), "w") as out:
                    out.write(textwrap.dedent(text))
            check_case(name, tmp)


def examples():
    if not os.path.isdir(EXAMPLES):
        print("note: no examples at %s" % EXAMPLES)
        return
    for rules in (False, True):
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("ref.msk", "new.msk", "custo.msk", "rules.txt"):
                shutil.copyfile(os.path.join(EXAMPLES, name), os.path.join(tmp, name))
            check_case("examples" + (" with rules" if rules else ""), tmp, rules)


def generated():
    if not os.path.exists(GENERATOR):
        print("note: no generator at %s: generated triples skipped" % GENERATOR)
        return
    for seed in range(1, 25):
        options = ["--scale", str((1, 3, 10)[seed % 3])]
        options += ([], ["--masks", "2"], ["--masks", "3"])[seed // 3 % 3]
        options += ["--sep", "random"] if seed % 2 else []
        options += ["--rules"] if seed % 4 else []
        options += ["--crlf"] if seed % 5 == 0 else []
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), *options, tmp],
                           check=True, stdout=subprocess.DEVNULL)
            lines = open(os.path.join(tmp, "cmd")).read().splitlines()
            env = json.loads(lines[1]) if len(lines) > 1 and lines[1].strip() else {}
            env.pop("VEX_TRACE", None)  # set here only where a trace is wanted
            check_case("seed %d %s" % (seed, " ".join(options)), tmp, "--rules" in options, env)


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
