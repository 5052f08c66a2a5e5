#!/usr/bin/env python3
"""A decisions file settles the questions it names, and nothing else.

    decisions_loop.py QELMASK MERGER EXAMPLES_DIR [GEN_MASKS_PY]

On the examples (with and without their rules) and, when the shared
generator is there, generated triples, a seeded random pick of decisions is
made on the report of a merge without any (a few questions given the other
option or confirmed, sometimes a dropped node kept with its subtree,
sometimes inner nodes left out of a node version N+1 adds), and written as
a decisions file from the report's keys. Then:

  written     `qelmask decide`, one call per option, writes the same bytes;
  applied     merge and report with the file: each chosen question takes
              its option, settled by its line; each question below a node
              kept with its subtree is settled by that line; every other
              question is as before, rule included; the refused nodes are
              gone from the merged mask, and only their records remain; the
              review records are the report's; the merged mask is the one
              written without decisions, but for the nodes of the chosen
              questions; the summary names every line, and none is stale;
  stale       a NEW value a decision was made on, changed: the line is
              listed as no longer applying, with both values, its question
              goes back to its earlier decider, and the merge writes what it
              writes with that line commented out;
  rules       the rules `qelmask decide --rules-output` writes for the
              choices, run by the merger, give the choices they can take and
              the side effects their comments announce, and no other change.

The decide checks are skipped when `qelmask decide --help` fails.
"""
import codecs
import collections
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

QELMASK, MERGER, EXAMPLES = sys.argv[1:4]
GENERATOR = sys.argv[4] if len(sys.argv) > 4 else ""
DECISIONS = "decisions.txt"
HEADER = "# qelmask decisions: mask, node, kind, REF, NEW, CUSTO, option (qelmask-decisions(5))\n"
YES_BY_DEFAULT = ("QUERY", "EZQUERY", "CREATE", "WRITE")
ACTIONS = {"ADD": "ADD   ", "KEEP": "KEEP  ", "IGNORE": "IGNORE"}
ORIGINS = {"NEW": "NEW(n+1)", "CUSTO": "CUSTO(n)"}
# The properties whose value is free text: a NEW value of theirs can be
# changed without the question going away.
TEXT_PROPERTIES = ("alias", "group", "order", "defval")
ENTITY_TEXT_PROPERTIES = ("alias",)
ATTR_FIELDS = {"required": 2, "alias": 3, "group": 4, "order": 5, "auth": 7, "defval": 8}
passed, failed = 0, []
decide_state = {"works": None}  # None until tried

# The report carries a byte that is not part of valid UTF-8 as the character
# of the same number; the merged file is read the same way.
codecs.register_error("byte_as_latin1",
                      lambda e: ("".join(chr(b) for b in e.object[e.start:e.end]), e.end))


# ---------------------------------------------------------------- the reader

def null_to(value, default):
    return default if value in ("", "$") else value


def with_value(ident, value):
    return ident + ("[%s]" % value if value else "")


# A node line of a mask file: block is the *MASK block it stands in, mask
# the mask it finds (None: no node), made the (identifier, field index) of
# the node and properties it makes (field None: the value is no field).
# comments: the comment lines above it, review records and traces left out.
NodeLine = collections.namedtuple("NodeLine", "number keyword fields block mask made comments")
ID_LINE = "// ### NODE ID: "
RECORD_LINES = ("// CHOICE     : ", "// ALTERNATIVE: ", "// ==> FINALLY: ", ID_LINE)


def read_mask(text):
    """(separator, [NodeLine]) of a mask file, read as the tool reads it;
    comment lines are skipped. An access line, filter or value has the
    identifier a trace gave it, if any: the merger writes an entity's own
    lines after its last attribute, where a reader takes them for that
    attribute's."""
    sep, masks, entities, current, lines, traced = ",", [], [], None, [], None
    comments = []

    def find_mask(name):  # an empty name is the first mask
        if not name:
            return masks[0] if masks else None
        return name if name in masks else None

    for number, raw in enumerate(text.split("\n"), 1):
        if raw.startswith(ID_LINE):
            traced = raw[len(ID_LINE):].rstrip("\r")
        if raw.startswith("//"):
            if not raw.startswith(RECORD_LINES):
                comments.append(raw.rstrip("\r"))
            continue
        line = raw.replace("\t", " ").replace("\r", "").strip(" ")
        keyword, _, rest = line.partition(" ")
        keyword = keyword.upper()
        if keyword == "*SEPARATOR":
            sep = (rest.split() or [sep])[0]  # an empty one keeps the last
            continue
        if keyword not in ("*MASK", "*ENTITY", "*ATTR", "+ACI", "+FILTER", "+VALUE"):
            continue
        f = [piece.strip(" ") for piece in rest.split(sep)]
        f += [""] * (9 - len(f))
        block = masks[-1] if masks and keyword != "*MASK" else None
        mask, made = None, []
        if keyword == "*MASK":
            masks.append(f[0])
            entities.append(set())
        elif keyword == "*ENTITY":  # an unknown mask leaves the owner as it was
            mask = find_mask(f[1].upper())
            if mask is not None:
                entities[masks.index(mask)].add(f[0])
                current = (mask, "E::" + f[0])
                made = [(current[1], None), (with_value(current[1] + "/_::alias", f[2]), 2)]
        elif keyword == "*ATTR":
            entity, _, after = f[1].partition(".")
            found = find_mask(after.split(".")[0])  # as written, not upper-cased
            if found is not None:
                current = None  # an unknown entity: the lines below have no owner
                if entity in entities[masks.index(found)]:
                    mask, current = found, (found, "E::%s/A::%s" % (entity, f[0]))
                    made = [(current[1], None)]
                    for prop, field in ATTR_FIELDS.items():
                        value = f[field]
                        if prop in ("required", "auth"):
                            value = null_to(value.upper(), "N")
                        made.append((with_value("%s/_::%s" % (current[1], prop), value), field))
        elif current:
            mask, owner = current
            if keyword == "+ACI":
                operation = f[0].upper()
                flag = null_to(f[1].upper(), "Y" if operation in YES_BY_DEFAULT else "N")
                made = [(with_value(owner + "/X::" + operation, flag), 1)]
            elif keyword == "+FILTER":
                made = [(with_value(owner + "/F::" + f[0].upper(), f[1]), 1)]
            else:
                made = [(owner + "/_::values", None), (owner + "/_::values/V::" + f[0], None)]
        if traced and keyword[0] == "+":  # the trace knows its owner
            mask, made = block, [(traced, made[0][1] if made else None)]
        lines.append(NodeLine(number, keyword, tuple(f), block, mask, made, tuple(comments)))
        traced, comments = None, []
    return sep, lines


def under(ident, path):
    """Is the node ident the node of path (with any value), or below it?"""
    return ident == path or ident.startswith(path + "[") or ident.startswith(path + "/")


def holds(lines, mask, ident):
    return any(line.mask == mask and ident in (i for i, _ in line.made) for line in lines)


def holds_any(lines, mask, path):
    return any(line.mask == mask and under(i, path) for line in lines for i, _ in line.made)


def content_apart(before, after, places):
    """What differs between two merged files, once records and the lines of
    nodes at or below places ({(mask, path)}), with their comments, are
    left out."""
    def kept(lines):
        return [(line.block, line.comments, line.keyword, line.fields) for line in lines
                if not any(line.mask == mask and under(i, path)
                           for mask, path in places for i, _ in line.made)]
    a, b = kept(before), kept(after)
    if a == b:
        return []
    first = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    return ["the merged masks differ outside the chosen nodes: %d and %d lines compared, "
            "first difference at compared line %d: %s / %s"
            % (len(a), len(b), first + 1, a[first] if first < len(a) else "(end)",
               b[first] if first < len(b) else "(end)")]


def records(data):
    """(mask, choice, alternative, finally) of every review record of a merged file."""
    lines = data.decode("utf-8", "byte_as_latin1").replace("\r", "").split("\n")
    separator, mask, found = ",", None, []
    for i, line in enumerate(lines):
        if line.startswith("*SEPARATOR "):
            separator = line[len("*SEPARATOR "):] or separator
        elif line.startswith("*MASK "):
            mask = line[len("*MASK "):].split(separator)[0].strip()
        elif line.startswith("// CHOICE     : ") and i + 1 < len(lines) \
                and lines[i + 1].startswith("// ALTERNATIVE: "):
            final = lines[i + 2] if i + 2 < len(lines) else ""
            found.append((mask, line, lines[i + 1],
                          final if final.startswith("// ==> FINALLY: ") else ""))
    return found


# ---------------------------------------------------------------- the report

def as_chosen(row, choice, **changes):
    """The row as the report shows it with the option given: the recommended
    option stays the CHOICE line's, "taken" is the one taken."""
    if choice != row["choice"]:
        changes.update(taken=row["leftOut"], leftOut=row["taken"])
    return dict(row, choice=choice, **changes)


def option_line(option, row):
    """An option ("KEEP NEW") as a record writes it, and its node's identifier."""
    action, origin = option.split(" ")
    node = with_value(row["path"], row["new" if origin == "NEW" else "custo"])
    return "%s %s [%s]" % (ACTIONS[action], ORIGINS[origin], node), node


def record_of(row):
    alternative = row["choice"] == "alternative"
    choice = option_line(row["leftOut"] if alternative else row["taken"], row)[0]
    other = option_line(row["taken"] if alternative else row["leftOut"], row)[0]
    if row["decision"]:
        why = " [decision %s:%d]" % (row["decision"]["file"], row["decision"]["line"])
    else:
        why = " [rule #%d]" % row["rule"] if row["rule"] is not None else " [no rule matched]"
    return (row["mask"], "// CHOICE     : " + choice, "// ALTERNATIVE: " + other,
            "// ==> FINALLY: " + ("ALTERNATIVE" if alternative else "RECOMMENDATION") + why)


def refusal_record(refusal):
    mask, full = refused(refusal)
    return (mask, "// CHOICE     : ADD    NEW(n+1) [%s]" % full,
            "// ALTERNATIVE: IGNORE NEW(n+1) [%s]" % full,
            "// ==> FINALLY: ALTERNATIVE [decision %s:%d]" % (DECISIONS, refusal.number))


def by_key(rows):
    found = collections.defaultdict(list)
    for row in rows:
        found[row["key"]].append(row)
    return found


def plain(row):
    """A row without what a decision elsewhere may change: its decision and
    the inner nodes still to refuse."""
    return {k: v for k, v in row.items() if k not in ("decision", "inner")}


def unescape(field):
    return re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), field)


# ---------------------------------------------------------------- running

def run(argv, folder, env, timeout=120):
    return subprocess.run(argv, cwd=folder, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout)


class Case:
    """A folder holding ref.msk, new.msk, custo.msk (and rules.txt)."""

    def __init__(self, name, folder, rules, env):
        self.name, self.folder, self.rules, self.env = name, folder, rules, env

    def path(self, name):
        return os.path.join(self.folder, name)

    def inputs(self, new, decisions):
        argv = ["--ref", "ref.msk", "--new", new, "--custo", "custo.msk"]
        argv += ["--rules", "rules.txt"] if self.rules else []
        return argv + (["--decisions", decisions] if decisions else [])

    def qelmask(self, *argv):
        result = run([QELMASK, *argv], self.folder, self.env)
        if result.returncode != 0:
            raise RuntimeError("qelmask %s exited %d: %s" % (
                " ".join(argv), result.returncode,
                result.stderr.decode(errors="replace").strip()[-400:]))
        return result.stdout.decode(errors="replace")

    def report(self, out, new="new.msk", decisions=None):
        self.qelmask("report", *self.inputs(new, decisions), "--json", out, "--force", "--quiet")
        return json.load(open(self.path(out), encoding="utf-8"))

    def merge(self, out, new="new.msk", decisions=None):
        """(the merged file, merge's summary)."""
        summary = self.qelmask("merge", *self.inputs(new, decisions), "-o", out, "-f")
        data = open(self.path(out), "rb").read()
        return data, summary


def report(name, what, problems, detail=""):
    global passed
    label = "%s: %s" % (what, name)
    if problems is None:
        print("skip", label, detail)
    elif problems:
        failed.append(label)
        print("FAIL " + label, *problems[:8], sep="\n  ")
        print("  ... %d more" % (len(problems) - 8)) if len(problems) > 8 else None
    else:
        passed += 1
        print("ok  ", label, *[detail][:bool(detail)])


# ---------------------------------------------------------------- the choice

# row: its number in the report made without decisions; number: its line.
Question = collections.namedtuple("Question", "key mask path kind option subtree row number")
Refusal = collections.namedtuple("Refusal", "key mask node inner number")


def refusal_of(line):
    """The refusal of a line "MASK<TAB>NODE<TAB>without<TAB>INNER"."""
    mask, node, _, inner = line.split("\t")
    return Refusal(line, mask, node, inner, None)


def refused(refusal):
    """The (mask, identifier) place of the node a refusal leaves out."""
    return (unescape(refusal.mask), unescape(refusal.node) + "/" + unescape(refusal.inner))


def below(a, b):
    """Is the (mask, path) place a strictly below the place b?"""
    return a[0] == b[0] and a[1].startswith(b[1] + "/")


def related(a, b):
    """Are two (mask, path) places one at or below the other?"""
    return a[0] == b[0] and (under(a[1], b[1]) or under(b[1], a[1]))


def stale_candidate(row):
    """Can the NEW value of the row's node be changed in new.msk, leaving
    its question a question of the same kind?"""
    if row["kind"] not in ("changed-by-both", "changed-by-new"):
        return False
    owner, _, last = row["path"].rpartition("/")
    if last.startswith("F::"):
        return True
    props = ENTITY_TEXT_PROPERTIES if "/" not in owner else TEXT_PROPERTIES
    return last.startswith("_::") and last[3:] in props


def choose(rng, document):
    """(questions, refusals) of a random pick on a report made without
    decisions, none at or below another; line numbers are given later."""
    rows = document["decisions"]
    unique = [same[0] for same in by_key(rows).values() if len(same) == 1]
    taken, questions, refusals = [], [], []

    def free(place):
        return not any(related(place, other) for other in taken)

    def has_below(row):
        return any(other["mask"] == row["mask"] and other["path"].startswith(row["path"] + "/")
                   for other in rows)

    def pick(row, whole=False):
        """whole: keep the dropped node with its subtree."""
        if not free((row["mask"], row["path"])):
            return
        option = row["choice"] if rng.random() < 0.2 else \
            ("alternative" if row["choice"] == "recommendation" else "recommendation")
        option = "alternative" if whole else option
        subtree = row["kind"] == "dropped-by-new" and option == "alternative" \
            and (whole or rng.random() < 0.6)
        taken.append((row["mask"], row["path"]))
        questions.append(Question(row["key"], row["mask"], row["path"], row["kind"], option,
                                  subtree, rows.index(row) + 1, None))

    # One a stale value can be put on, when there is one; a dropped node to
    # keep, at times with its subtree; one a rule kept, with its subtree;
    # then any.
    for wanted, whole in ((stale_candidate, False),
                          (lambda row: row["kind"] == "dropped-by-new", False),
                          (lambda row: row["kind"] == "dropped-by-new"
                           and row["choice"] == "alternative" and has_below(row), True)):
        candidates = [row for row in unique if wanted(row)]
        if candidates and rng.random() < 0.7:
            pick(rng.choice(candidates), whole)
    for row in rng.sample(unique, rng.randint(1, max(1, min(4, len(unique) // 3)))):
        pick(row)
    # Inner nodes to leave out: of questions' lists and of access lines.
    inner = sorted({entry["refuse"] for row in unique for entry in row.get("inner") or []}
                   | {change["refuse"] for change in document["accessChanges"]
                      if change["refuse"]})
    for _ in range(rng.choice((0, 1, 1, 2))):
        if not inner:
            break
        refusal = refusal_of(rng.choice(inner))
        place, owner_place = refused(refusal), (unescape(refusal.mask), unescape(refusal.node))
        # Inside a node version N+1 adds, whether its question was chosen
        # (to add it) or not; not inside another node left out.
        owner = [q for q in questions if (q.mask, q.path) == owner_place]
        if any(q.option == "alternative" for q in owner) \
                or any(related(place, other) for other in taken if other != owner_place):
            continue
        refusals.append(refusal)
        taken.append(place)
    return questions, refusals


def question_text(question):
    return question.key + "\t" + question.option + ("\twith-subtree" if question.subtree else "")


def write_decisions(path, questions, refusals):
    """Writes the file as the tool does (header, lines by key) and gives
    each line its number."""
    lines = sorted([(q.key, question_text(q), q) for q in questions]
                   + [(r.key, r.key, r) for r in refusals])
    with open(path, "w", newline="\n") as out:
        out.write(HEADER + "".join(text + "\n" for _, text, _ in lines))
    numbered = [item._replace(number=i) for i, (_, _, item) in enumerate(lines, 2)]
    return ([q for q in numbered if isinstance(q, Question)],
            [r for r in numbered if isinstance(r, Refusal)],
            [text for _, text, _ in lines])


# ---------------------------------------------------------------- decide

def decide_calls(case, questions, refusals):
    """qelmask decide, one call per option, each given the file of the one
    before: the bytes written and the rules of the last call; None when
    this qelmask has no decide."""
    if decide_state["works"] is None:
        help_run = run([QELMASK, "decide", "--help"], case.folder, case.env)
        decide_state["works"] = help_run.returncode == 0
        if help_run.returncode != 0:
            print("note: qelmask decide --help exits %d: the decide checks are skipped"
                  % help_run.returncode)
    if not decide_state["works"]:
        return None
    groups = [("alternative", True, [str(q.row) for q in questions if q.subtree]),
              ("alternative", False, [str(q.row) for q in questions
                                      if q.option == "alternative" and not q.subtree]
               + ["%s:%s" % refused(r) for r in refusals]),
              ("recommendation", False, [str(q.row) for q in questions
                                         if q.option == "recommendation"])]
    groups = [group for group in groups if group[2]]
    earlier = None
    for i, (option, subtree, named) in enumerate(groups):
        out = "decide-%d.txt" % i
        argv = [QELMASK, "decide", "--report", "r0.json", "--take", option, *named,
                "--output", out, "--force", "--quiet"]
        argv += ["--with-subtree"] if subtree else []
        argv += ["--decisions", earlier] if earlier else []
        argv += ["--rules-output", "decide-rules.txt"] if i == len(groups) - 1 else []
        result = run(argv, case.folder, case.env)
        stderr = result.stderr.decode(errors="replace")
        if result.returncode != 0:
            raise RuntimeError("decide %s exited %d: %s" % (
                " ".join(argv[2:]), result.returncode, stderr.strip()[-400:]))
        earlier = out
    return (open(case.path(earlier), "rb").read(),
            open(case.path("decide-rules.txt"), encoding="utf-8", errors="replace").read())


# ---------------------------------------------------------------- applied

def check_rows(before, after, questions, refusals):
    """The questions of the report made with the decisions against the one
    made without."""
    problems = []
    chosen = {q.key: q for q in questions}
    subtrees = [q for q in questions if q.subtree]
    places = [(q.mask, q.path) for q in questions]
    old, new = by_key(before["decisions"]), by_key(after["decisions"])

    def decision(number, subtree):
        return {"file": DECISIONS, "line": number, "withSubtree": subtree}

    for key in sorted(set(old) | set(new)):
        rows = new.get(key, [])
        sample = (rows or old[key])[0]
        place = (sample["mask"], sample["path"])
        inside = [q for q in subtrees if q.mask == place[0] and place[1].startswith(q.path + "/")]
        if key in chosen:
            q = chosen[key]
            # Whether the option taken changes the file depends on the option.
            want = [plain(as_chosen(row, q.option, rule=None, noEffect=None)) for row in old[key]]
            if [dict(plain(row), noEffect=None) for row in rows] != want:
                problems.append("#%d %s: %s, wanted the %s" % (
                    q.row, q.path, [(r["choice"], r["rule"]) for r in rows] or "not asked",
                    q.option))
            elif any(row["decision"] != decision(q.number, q.subtree) for row in rows):
                problems.append("#%d %s: decision %s, wanted %s" % (
                    q.row, q.path, rows[0]["decision"], decision(q.number, q.subtree)))
        elif inside:
            q = inside[0]
            wrong = [row["id"] for row in rows
                     if (row["choice"], row["rule"], row["decision"], row["kind"])
                     != ("alternative", None, decision(q.number, True), "dropped-by-new")]
            if wrong or (not rows and key in old):
                problems.append("%s, below %s kept with its subtree: %s" % (
                    sample["id"], q.path, "not asked" if not rows else
                    "%s %s rule %s decision %s" % (rows[0]["kind"], rows[0]["choice"],
                                                   rows[0]["rule"], rows[0]["decision"])))
        elif key in old and key in new:
            if [plain(row) for row in rows] != [plain(row) for row in old[key]] \
                    or any(row["decision"] is not None for row in rows):
                problems.append("%s changed: %s rule %s decision %s, was %s rule %s" % (
                    sample["id"], rows[0]["choice"], rows[0]["rule"], rows[0]["decision"],
                    old[key][0]["choice"], old[key][0]["rule"]))
            problems += check_inner(old[key], rows, refusals)
        elif not any(below(place, other) for other in places):
            problems.append("%s %s: %s, outside the chosen nodes" % (
                sample["id"], sample["kind"],
                "no longer asked" if key in old else "asked now, not before"))
        elif any(row["decision"] is not None for row in rows):
            problems.append("%s: decision %s" % (sample["id"], rows[0]["decision"]))
    return problems


def check_inner(old_rows, new_rows, refusals):
    problems = []
    for old, new in zip(old_rows, new_rows):
        if "inner" not in old:
            continue
        gone = [refused(r)[1] for r in refusals
                if (unescape(r.mask), unescape(r.node)) == (old["mask"], old["path"])]
        want = [entry for entry in old["inner"]
                if not any(under(entry["id"], full) for full in gone)]
        if new.get("inner") != want:
            problems.append("%s: inner %s, wanted %s" % (
                old["id"], [e["id"] for e in new.get("inner") or []], [e["id"] for e in want]))
    return problems


def check_access(before, after, questions, refusals):
    """The access lines the merge changes: as before, but for those in the
    chosen nodes and those left out."""
    places = [(q.mask, q.path) for q in questions]
    gone = [refused(r) for r in refusals]

    def rows(document, left_out):
        keys = [row["key"] for row in document["decisions"]]
        found = collections.Counter()
        for change in document["accessChanges"]:
            place = (change["mask"], change["node"] + "/X::" + change["operation"])
            if any(related(place, p) for p in places):
                continue
            line = change["refuse"]
            if line and any(related(refused(refusal_of(line)), p) for p in gone):
                left_out.append(change)
                continue
            found[tuple(sorted((k, str(v)) for k, v in change.items() if k != "decision"))
                  + (keys[change["decision"] - 1],)] += 1
        return found

    now_gone = []
    old, new = rows(before, []), rows(after, now_gone)
    problems = ["access lines listed differently outside the chosen nodes: before only %s, "
                "after only %s" % (list(old - new)[:2], list(new - old)[:2])] if old != new else []
    problems += ["%s %s listed, though left out" % (c["node"], c["operation"]) for c in now_gone]
    return problems


def check_summary(document, questions, refusals, texts):
    summary = document["summary"].get("decisions")
    want = {"file": DECISIONS, "lines": len(texts), "applied": len(texts),
            "questions": sum(row["decision"] is not None for row in document["decisions"]),
            "refused": len(refusals), "stale": [], "kept": texts}
    problems = []
    if summary != want:
        problems.append("summary.decisions %s, wanted %s" % (
            json.dumps(summary)[:400], json.dumps(want)[:400]))
    if document["inputs"].get("decisions") != DECISIONS:
        problems.append("inputs.decisions %r" % document["inputs"].get("decisions"))
    return problems


def section(summary, heading):
    """The lines below a heading of merge's summary ("Decided by:")."""
    lines = summary.splitlines()
    start = next((i for i, line in enumerate(lines) if line.startswith(heading)), None)
    if start is None:
        return None
    found = []
    for line in lines[start + 1:]:
        if not line.startswith(" "):
            break
        found.append(line.strip())
    return lines[start], found


def check_console(summary, document, questions, refusals):
    problems = []
    # "7  decision decisions.txt:3 "MASK NODE KIND": the alternative"
    shown = {}
    for line in (section(summary, "Decided by:") or ("", []))[1]:
        found = re.match(r"(\d+)\s+decision %s:(\d+) \"(.*)\": the (\w+)$" % re.escape(DECISIONS),
                         line)
        if found:
            shown[int(found.group(2))] = (int(found.group(1)), found.group(3), found.group(4))
    counts = collections.Counter(row["decision"]["line"] for row in document["decisions"]
                                 if row["decision"])
    want = {q.number: (counts[q.number], " ".join(map(unescape, (q.mask, q.path, q.kind))),
                       q.option) for q in questions}
    if shown != want:
        problems.append("Decided by: shows (count, question, option) by line %s, wanted %s"
                        % (shown, want))
    left = section(summary, "Left out of nodes version N+1 brings:")
    for r in refusals:
        if not left or not any(line.startswith("%s:%d: " % (DECISIONS, r.number))
                               and unescape(r.inner) in line for line in left[1]):
            problems.append("Left out of nodes version N+1 brings: does not list line %d"
                            % r.number)
    if refusals and left and not left[0].endswith(": %d" % len(refusals)):
        problems.append("%r: wanted %d" % (left[0], len(refusals)))
    stale = section(summary, "Decisions that no longer apply:")
    if not stale or stale[0] != "Decisions that no longer apply: none":
        problems.append("stale decisions shown: %s" % (stale,))
    return problems


def check_content(before, after, document, questions, refusals):
    """The merged masks without and with the decisions."""
    _, old = read_mask(before.decode("latin-1"))
    _, new = read_mask(after.decode("latin-1"))
    places = {(q.mask, q.path) for q in questions}
    problems = content_apart(old, new, places | {refused(r) for r in refusals})
    for r in refusals:
        mask, full = refused(r)
        if holds_any(new, mask, full):
            problems.append("%s (refused, line %d) is still in mask %s" % (full, r.number, mask))
        if not holds_any(old, mask, full):
            problems.append("%s was not in the mask merged without decisions" % full)
    for row in document["decisions"]:
        if not row["decision"]:
            continue
        action, origin = row["taken"].split(" ")
        ident = with_value(row["path"], row["new" if origin == "NEW" else "custo"])
        if row["noEffect"]:  # a property left out that stays a field of its line
            action, ident = "KEEP", with_value(row["path"], row["custo"])
        if action == "IGNORE" and holds_any(new, row["mask"], row["path"]):
            problems.append("%s in mask %s, though the %s (%s) was taken" % (
                row["path"], row["mask"], row["choice"], row["taken"]))
        if action != "IGNORE" and not holds(new, row["mask"], ident):
            problems.append("%s not in mask %s, though the %s (%s) was taken" % (
                ident, row["mask"], row["choice"], row["taken"]))
    return problems


def check_applied(case, r0, m0, questions, refusals, texts):
    r1 = case.report("r1.json", decisions=DECISIONS)
    m1, summary = case.merge("m1.msk", decisions=DECISIONS)
    problems = check_summary(r1, questions, refusals, texts)
    problems += check_rows(r0, r1, questions, refusals)
    problems += check_access(r0, r1, questions, refusals)
    want = sorted([record_of(row) for row in r1["decisions"]]
                  + [refusal_record(r) for r in refusals])
    have = sorted(records(m1))
    if want != have:
        problems.append("review records: not in the file %s; not in the report %s" % (
            [r for r in want if r not in have][:2], [r for r in have if r not in want][:2]))
    problems += check_console(summary, r1, questions, refusals)
    problems += check_content(m0, m1, r1, questions, refusals)
    settled = sum(row["decision"] is not None for row in r1["decisions"])
    return problems, "(%d line(s): %d question(s) chosen, %d with subtree, %d refusal(s); "\
        "%d question(s) settled)" % (len(texts), len(questions),
                                      sum(q.subtree for q in questions), len(refusals), settled)


# ---------------------------------------------------------------- stale

def change_new_value(case, row):
    """Writes new-stale.msk: new.msk with the NEW value of the row's node
    changed; gives (old value, new value), or None if no line holds it."""
    text = open(case.path("new.msk"), "rb").read().decode("latin-1").split("\n")
    sep, lines = read_mask("\n".join(text))
    ident = with_value(row["path"], row["new"])
    for line in lines:
        field = next((f for made, f in line.made if made == ident and f is not None), None)
        if line.mask != "DEFAULT" or field is None:
            continue
        keyword, _, rest = text[line.number - 1].partition(" ")
        end = "\r" if rest.endswith("\r") else ""
        fields = rest[:len(rest) - len(end)].split(sep)
        fields += [""] * (field + 1 - len(fields))
        value = row["new"] + "9"
        if fields[field].strip(" ") != row["new"]:
            return None  # written another way than read: leave it
        fields[field] = value
        text[line.number - 1] = keyword + " " + sep.join(fields) + end
        with open(case.path("new-stale.msk"), "wb") as out:
            out.write("\n".join(text).encode("latin-1"))
        return row["new"], value
    return None


def check_stale(case, r0, questions, texts):
    rows = {row["key"]: row for row in r0["decisions"]}
    candidates = [q for q in questions if not q.subtree and stale_candidate(rows[q.key])]
    if not candidates:
        return None, "(no decision on a NEW value)"
    question = candidates[0]
    changed = change_new_value(case, rows[question.key])
    if changed is None:
        return ["the NEW value of %s is in no line of new.msk" % question.path], ""
    was, now = changed
    fields = question.key.split("\t")
    fields[4] = "=" + now
    new_key = "\t".join(fields)
    # The same file with the line commented out: numbers stay.
    lines = open(case.path(DECISIONS)).read().split("\n")
    lines[question.number - 1] = "# " + lines[question.number - 1]
    with open(case.path("without.txt"), "w", newline="\n") as out:
        out.write("\n".join(lines))
    alone = case.report("r3.json", new="new-stale.msk")
    r2 = case.report("r2.json", new="new-stale.msk", decisions=DECISIONS)
    m2, summary = case.merge("m2.msk", new="new-stale.msk", decisions=DECISIONS)
    # Under the same name: the review records name the file.
    shutil.copyfile(case.path(DECISIONS), case.path("with.txt"))
    shutil.copyfile(case.path("without.txt"), case.path(DECISIONS))
    try:
        r2x = case.report("r2x.json", new="new-stale.msk", decisions=DECISIONS)
        m2x, _ = case.merge("m2x.msk", new="new-stale.msk", decisions=DECISIONS)
    finally:
        shutil.copyfile(case.path("with.txt"), case.path(DECISIONS))
    problems = []
    why = "NEW value changed from %s to %s" % (was or "(empty)", now)
    want = [{"line": question.number, "text": question_text(question), "why": why}]
    got = r2["summary"]["decisions"]
    if got["stale"] != want or got["applied"] != len(texts) - 1 or got["lines"] != len(texts):
        problems.append("summary.decisions: lines %s applied %s stale %s; wanted %d, %d, %s" % (
            got["lines"], got["applied"], got["stale"], len(texts), len(texts) - 1, want))
    shown = section(summary, "Decisions that no longer apply:")
    if not shown or shown[0] != "Decisions that no longer apply: 1" or not any(
            line.startswith("%s:%d: " % (DECISIONS, question.number)) and line.endswith(why)
            for line in shown[1]):
        problems.append("merge shows %s, wanted line %d: ... %s" % (shown, question.number, why))
    back = [(row["choice"], row["rule"], row["decision"]) for row in r2["decisions"]
            if row["key"] == new_key]
    before = [(row["choice"], row["rule"], None) for row in alone["decisions"]
              if row["key"] == new_key]
    if back != before or not back:
        problems.append("%s after the change: %s, without decisions %s" % (
            question.path, back, before))
    if r2["decisions"] != r2x["decisions"] or r2["accessChanges"] != r2x["accessChanges"]:
        differ = [(a["id"], a["choice"], b["choice"])
                  for a, b in zip(r2["decisions"], r2x["decisions"]) if a != b]
        problems.append("the report differs from the one with the line commented out: %s"
                        % (differ[:3] or "in length or access lines"))
    if m2 != m2x:
        problems.append("the merged mask differs from the one with the line commented out")
    return problems, "(line %d: %s)" % (question.number, why)


# ---------------------------------------------------------------- rules

def merger(case, rules, out):
    argv = [MERGER, "ref.msk", "new.msk", "custo.msk", out] + (["-rule", rules] if rules else [])
    result = run(argv, case.folder, dict(case.env, VEX_TRACE="Main"))
    if not os.path.exists(case.path(out)):
        raise RuntimeError("the merger (%s) wrote nothing: status %d" % (
            " ".join(argv[1:]), result.returncode))
    return open(case.path(out), "rb").read()


def rule_numbers(rules_text, original):
    """(the rule lines decide wrote, {number in the rule file: number in
    decide's file}, problems): decide's file ends with the rule file, its
    stale rules marked by a comment line above them."""
    lines = rules_text.split("\n")
    mark = "# The rule file the report was made with: "
    start = next((i for i, line in enumerate(lines) if line.startswith(mark)), None)
    head = lines[:start] if start is not None else lines
    own = {n for n, line in enumerate(head, 1) if line.strip() and not line.startswith("#")}
    if original is None:
        return own, {}, []
    if start is None:
        return own, {}, ["decide's rules do not hold the rule file"]
    numbers, at = {}, start + 1
    for n, line in enumerate(original.split("\n"), 1):
        if at < len(lines) and lines[at] != line and lines[at].startswith("# stale: "):
            at += 1
        if at >= len(lines) or lines[at] != line:
            return own, numbers, ["decide's copy of the rule file differs at its line %d" % n]
        numbers[n] = at + 1
        at += 1
    return own, numbers, []


def check_rules(case, r0, questions, refusals, rules_text):
    rows = r0["decisions"]
    original = open(case.path("rules.txt"), encoding="latin-1").read() if case.rules else None
    with open(case.path("decide-rules.txt"), "w", newline="\n") as out:
        out.write(rules_text)
    own, numbers, problems = rule_numbers(rules_text, original)
    # What each question of the report should become: by its number.
    expected = {}
    # "# not a rule: #12 MASK NODE (kind): why", or "(without INNER)" for a refusal.
    not_rules = {int(n) for n in re.findall(
        r"^# not a rule: #(\d+) .*? \((?:dropped-by-new|changed-by-both|changed-by-new|"
        r"new-in-new)\): ", rules_text, re.M)}
    problems += ["decide's rules do not say that no rule leaves out %s" % refused(r)[1]
                 for r in refusals
                 if not re.search(r"^# not a rule: #\d+ %s: " % re.escape(
                     "%s %s (without %s)" % (r.mask, r.node, r.inner)), rules_text, re.M)]
    for q in questions:
        if q.row not in not_rules:
            expected[q.row] = (q.option, own)
        if q.subtree:
            for i, row in enumerate(rows, 1):
                if row["mask"] == q.mask and row["path"].startswith(q.path + "/") \
                        and i not in not_rules:
                    expected[i] = ("alternative", own)
    rule_line = None
    for n, line in enumerate(rules_text.split("\n"), 1):
        if n in own:
            rule_line = n
        found = re.match(r"# also decides #(\d+) .*: (alternative|recommendation) \(\w+ \w+\)$",
                         line)
        if found:
            expected[int(found.group(1))] = (found.group(2), {rule_line})
    shifted = {}
    for i, row in enumerate(rows, 1):
        if row["rule"] is not None and row["rule"] not in numbers:
            problems.append("rule #%d of #%d is not in decide's file" % (row["rule"], i))
        shifted[i] = dict(row, rule=numbers.get(row["rule"]))
    before = records(merger(case, "rules.txt" if case.rules else None, "merger-0.msk"))
    after_data = merger(case, "decide-rules.txt", "merger-1.msk")
    after = records(after_data)
    if sorted(before) != sorted(record_of(row) for row in rows):
        return ["the merger's records without decide's rules are not the report's"] + problems, ""
    # The records expected: those of decide's rules (the rule number left
    # out when it may be any of them), the others as they were. Questions
    # below a chosen node may come or go with it.
    places = [(q.mask, q.path) for q in questions]
    want = collections.Counter()
    for i, row in shifted.items():
        if i in expected:
            option, rule_set = expected[i]
            record = record_of(as_chosen(row, option, rule=min(rule_set) if rule_set else -1))
            if len(rule_set) != 1:
                record = record[:3] + (record[3].rpartition(" [")[0],)
            want[record] += 1
        elif not any(below((row["mask"], row["path"]), p) for p in places):
            want[record_of(row)] += 1
    have = collections.Counter()
    for record in after:
        without_number = record[:3] + (record[3].rpartition(" [")[0],)
        number = re.search(r"\[rule #(\d+)\]$", record[3])
        node = (record[0], record[1].split(" [", 1)[1][:-1])
        if want[record] > have[record]:
            have[record] += 1
        elif want[without_number] > have[without_number] and number \
                and int(number.group(1)) in own:
            have[without_number] += 1
        elif not any(below(node, p) for p in places):
            problems.append("the merger's record %s is not expected" % (record[1:],))
    missing = want - have
    problems += ["not in the merger's file: %s" % (record[1:],) for record in list(missing)[:4]]
    _, old = read_mask(open(case.path("merger-0.msk"), "rb").read().decode("latin-1"))
    _, new = read_mask(after_data.decode("latin-1"))
    touched = places + [(rows[i - 1]["mask"], rows[i - 1]["path"]) for i in expected]
    problems += content_apart(old, new, set(touched))
    return problems, "(%d rule(s) of decide's, %d question(s) they settle, %d choice(s) no " \
        "rule takes)" % (len(own), len(expected), len(not_rules))


# ---------------------------------------------------------------- a case

def check_case(case):
    """One pick of decisions on the case, checked."""
    try:
        r0 = case.report("r0.json")
        m0, _ = case.merge("m0.msk")
    except RuntimeError as error:
        return report(case.name, "merge", [str(error)])
    if not r0["decisions"]:
        return report(case.name, "applied", None, "(no question)")
    rng = random.Random("decisions_loop " + case.name)
    questions, refusals = choose(rng, r0)
    questions, refusals, texts = write_decisions(case.path(DECISIONS), questions, refusals)
    mine = open(case.path(DECISIONS), "rb").read()
    try:
        decided = decide_calls(case, questions, refusals)
        why_not = "(no qelmask decide)"
    except RuntimeError as error:
        decided, why_not = None, "(qelmask decide failed)"
        report(case.name, "written", [str(error)])
    if decided is not None:
        report(case.name, "written", [] if decided[0] == mine else [
            "decide wrote %r, wanted %r" % (decided[0][:600], mine[:600])])
    for what, step in (("applied", lambda: check_applied(case, r0, m0, questions, refusals,
                                                         texts)),
                       ("stale", lambda: check_stale(case, r0, questions, texts)),
                       ("rules", lambda: check_rules(case, r0, questions, refusals, decided[1])
                        if decided else (None, why_not))):
        try:
            report(case.name, what, *step())
        except RuntimeError as error:
            report(case.name, what, [str(error)])


# ---------------------------------------------------------------- the cases

def environment(folder):
    env = dict(os.environ)
    lines = open(os.path.join(folder, "cmd")).read().splitlines() \
        if os.path.exists(os.path.join(folder, "cmd")) else []
    env.update(json.loads(lines[1]) if len(lines) > 1 and lines[1].strip() else {})
    env.pop("VEX_TRACE", None)
    return env


def examples():
    if not os.path.isdir(EXAMPLES):
        return print("note: no examples at %s" % EXAMPLES)
    for rules in (False, True):
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("ref.msk", "new.msk", "custo.msk", "rules.txt"):
                shutil.copyfile(os.path.join(EXAMPLES, name), os.path.join(tmp, name))
            # Small: a few picks each.
            for pick in range(1, 6):
                check_case(Case("examples%s, pick %d" % (" with rules" if rules else "", pick),
                                tmp, rules, environment(tmp)))


def generated():
    if not os.path.exists(GENERATOR):
        return print("note: no generator at %s: generated triples skipped" % GENERATOR)
    for seed in range(1, 21):
        options = ["--scale", str((1, 3)[seed % 2])]
        options += ["--masks", "2"] if seed % 3 == 0 else []
        options += ["--rules"] if seed % 4 else []
        options += ["--sep", "random"] if seed % 5 == 1 else []
        options += ["--crlf"] if seed % 7 == 0 else []
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), *options, tmp],
                           check=True, stdout=subprocess.DEVNULL)
            check_case(Case("seed %d %s" % (seed, " ".join(options)), tmp, "--rules" in options,
                            environment(tmp)))


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
