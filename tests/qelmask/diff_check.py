#!/usr/bin/env python3
"""qelmask diff tells exactly the nodes two masks do not share, and lines
does not depend on where a node's line stands.

    diff_check.py QELMASK EXAMPLES_DIR GEN_MASKS_PY

Both files are read with a small reader of this script's own (the reading
rules of read_back.py) into trees; every node is known by its mask and its
identifier with values. On the examples and on generated triples (skipped,
status 77, without the generator) it checks, for each pair of files:

  nodes      the changes of `qelmask diff --json` account for the nodes of
             A that B lacks and those of B that A lacks, each once: a node
             of one file with the nodes below it (`below` of them), a value
             as the node with the old value and the node with the new one;
             nothing else is listed;
  order      a list of values is listed as reordered exactly when the values
             both files have stand in another order, with both lists;
  text       the lines printed are the JSON's changes, in the same order,
             which is tree order, and --stat counts them; the status is 1;
  itself     a file compared with itself, or with its CRLF (or LF) twin,
             comments included: nothing printed, status 0;
  lines      `qelmask lines` of a file and of the same file with its lines
             shuffled (the lines of each entity or attribute, the attributes
             of each entity, the entities of each mask) is the same text;
             two values of a list swapped change one line, and the diff is
             one order change.
"""
import collections
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

QELMASK, EXAMPLES, GENERATOR = (sys.argv[1:4] + [""] * 3)[:3]
YES_BY_DEFAULT = ("QUERY", "EZQUERY", "CREATE", "WRITE")
OWNED = ("+ACI", "+FILTER", "+VALUE")
passed, failed = 0, []


# ---------------------------------------------------------------- the reader

def upper(text):
    """Upper case of ASCII letters only, as the tool has it."""
    return "".join(chr(ord(c) - 32) if "a" <= c <= "z" else c for c in text)


def null_to(value, default):
    return default if value in ("", "$") else value


class Node:
    def __init__(self, parent, kind, name, value="", line=0):
        self.kind, self.name, self.value, self.line = kind, name, value, line
        self.children, self.parent = [], parent
        if parent is not None:
            parent.children.append(self)

    def ident(self):
        """The identifier below the mask, with values."""
        if self.kind == "M":
            return ""
        own = "%s::%s" % (self.kind, self.name) + ("[%s]" % self.value if self.value else "")
        above = self.parent.ident()
        return above + "/" + own if above else own

    def path(self):
        if self.kind == "M":
            return ""
        above = self.parent.ident()
        own = "%s::%s" % (self.kind, self.name)
        return above + "/" + own if above else own

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()


def read_mask(text):
    """The masks of a mask file, read by the tool's reading rules."""
    sep, masks, entities = ",", [], {}
    current, values = None, None  # current: a node, or "detached"

    def find_mask(name):
        if not name:
            return masks[0] if masks else None
        return next((m for m in masks if m.name == name), None)

    for number, raw in enumerate(text.split("\n"), 1):
        if raw.startswith("//") or len(raw) < 2:
            continue
        line = raw.replace("\t", " ").replace("\r", "").strip(" ")
        keyword, _, rest = line.partition(" ")
        keyword = upper(keyword)
        if keyword == "*SEPARATOR":
            words = [word for word in rest.split(" ") if word]
            sep = words[0] if words else sep  # an empty one keeps the last
            continue
        f = [piece.strip(" ") for piece in rest.split(sep)] if rest.strip(" ") else []
        f += [""] * 9
        if keyword == "*MASK":
            masks.append(Node(None, "M", f[0], f[2], number))
        elif keyword == "*ENTITY":
            mask = find_mask(upper(f[1]))
            if mask is not None:
                entity = Node(mask, "E", f[0], "", number)
                entities.setdefault((id(mask), f[0]), entity)
                Node(entity, "_", "alias", f[2], number)
                current, values = entity, None
        elif keyword == "*ATTR":
            entity_name, _, after = f[1].partition(".")
            mask = find_mask(after.split(".")[0])
            if mask is not None:
                entity = entities.get((id(mask), entity_name))
                current, values = "detached", None
                if entity is not None:
                    current = Node(entity, "A", f[0], "", number)
                    props = {"required": null_to(upper(f[2]), "N"), "alias": f[3], "group": f[4],
                             "order": f[5], "auth": null_to(upper(f[7]), "N"), "defval": f[8]}
                    for prop, value in props.items():
                        Node(current, "_", prop, value, number)
        elif keyword in OWNED and current not in (None, "detached"):
            if keyword == "+ACI":
                operation = upper(f[0])
                flag = null_to(upper(f[1]), "Y" if operation in YES_BY_DEFAULT else "N")
                Node(current, "X", operation, flag, number)
            elif keyword == "+FILTER":
                Node(current, "F", upper(f[0]), f[1], number)
            else:
                if values is None:
                    values = Node(current, "_", "values", "", number)
                Node(values, "V", f[0], "", number)
    return masks


def read_file(path):
    with open(path, encoding="latin-1", newline="") as stream:
        return read_mask(stream.read())


def all_nodes(masks):
    return [node for mask in masks for node in mask.walk()]


def key(mask, node):
    return (mask, node.ident() if node.kind != "M" else "[%s]" % node.value if node.value else "")


def counted(masks):
    return collections.Counter(key(node_mask(n), n) for n in all_nodes(masks))


def node_mask(node):
    while node.parent is not None:
        node = node.parent
    return node.name


# ---------------------------------------------------------------- running

def run(*argv, cwd=None):
    env = dict(os.environ)
    env.pop("VEX_TRACE", None)
    result = subprocess.run([QELMASK, *argv], cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=300)
    return result.returncode, result.stdout.decode("latin-1"), result.stderr.decode("latin-1")


def report(name, what, problems):
    global passed
    if problems:
        failed.append("%s: %s" % (name, what))
        print("FAIL %s: %s" % (name, what))
        for problem in problems[:10]:
            print("  " + problem)
        if len(problems) > 10:
            print("  ... %d more" % (len(problems) - 10))
    else:
        passed += 1


# ---------------------------------------------------------------- the checks

def subtree(node):
    """The keys of a node and of every node below it."""
    mask = node_mask(node)
    return collections.Counter(key(mask, n) for n in node.walk())


def take(nodes, change, remaining, used):
    """Takes from `remaining` one node of `nodes` that the change names, with
    `below` nodes below it; a problem when none can be taken."""
    for node in nodes.get((change["mask"], change["node"]), []):
        if id(node) in used or sum(1 for _ in node.walk()) - 1 != change["below"]:
            continue
        keys = subtree(node)
        if all(remaining[k] >= n for k, n in keys.items()):
            remaining.subtract(keys)
            used.add(id(node))
            return None
    return "%s %s %s (%d below): no such node left to list" % (
        change["change"], change["mask"], change["node"], change["below"])


def by_identifier(masks):
    found = collections.defaultdict(list)
    for node in all_nodes(masks):
        ident = "" if node.kind == "M" else node.ident()
        found[node_mask(node), ident].append(node)
    return found


def value_key(mask, path, value):
    if not path:
        return (mask, "[%s]" % value if value else "")
    return (mask, path + ("[%s]" % value if value else ""))


def check_nodes(a, b, changes):
    problems = []
    ca, cb = counted(a), counted(b)
    removed, added = ca - cb, cb - ca
    nodes_a, nodes_b = by_identifier(a), by_identifier(b)
    used = set()
    for change in changes:
        what, sign = change["what"], change["change"]
        if what == "node":
            nodes, remaining = (nodes_a, removed) if sign == "-" else (nodes_b, added)
            problem = take(nodes, change, remaining, used)
            if problem:
                problems.append(problem)
        elif what == "value":
            before = value_key(change["mask"], change["node"], change["before"])
            after = value_key(change["mask"], change["node"], change["after"])
            if removed[before] < 1 or added[after] < 1:
                problems.append("~ %s %s: %r -> %r is no difference of the files" % (
                    change["mask"], change["node"], change["before"], change["after"]))
            removed[before] -= 1
            added[after] -= 1
        elif what != "order":
            problems.append("unexpected change %s" % change)
    for name, left in (("not listed, of A only", removed), ("not listed, of B only", added)):
        for k, n in sorted(left.items()):
            if n > 0:
                problems.append("%s: %s %s" % (name, k[0], k[1]))
    return problems


def kept_order(mine, others):
    """The values of `mine` that `others` has too (each as often as both
    have it), in the order of `mine`."""
    left = collections.Counter(others)
    kept = []
    for value in mine:
        if left[value] > 0:
            left[value] -= 1
            kept.append(value)
    return kept


def check_order(a, b, changes):
    def lists(masks):
        found = collections.defaultdict(list)
        for node in all_nodes(masks):
            if node.kind == "_" and node.name == "values":
                found[node_mask(node), node.path()].append(
                    [v.name for v in sorted(node.children, key=lambda v: v.line)])
        return {k: v[0] for k, v in found.items() if len(v) == 1}

    la, lb = lists(a), lists(b)
    expected = {k: (la[k], lb[k]) for k in la.keys() & lb.keys()
                if kept_order(la[k], lb[k]) != kept_order(lb[k], la[k])}
    listed = {(c["mask"], c["node"]): (c["before"], c["after"]) for c in changes
              if c["what"] == "order"}
    # A list under a node given twice is not known for sure: left out.
    listed = {k: v for k, v in listed.items() if k in la and k in lb}
    problems = ["order of %s %s: expected %s, listed %s" % (k[0], k[1], expected.get(k),
                                                             listed.get(k))
                for k in sorted(expected.keys() | listed.keys())
                if expected.get(k) != listed.get(k)]
    return problems


def sort_key(change):
    """Where a change stands in tree order: its mask, then its path, level
    by level, by type and name (bytes)."""
    levels = []
    for level in change["node"].split("/") if change["node"] else []:
        kind, _, rest = level.partition("::")
        name = rest.split("[", 1)[0] if kind != "V" else rest
        levels.append((kind.encode("latin-1"), name.encode("latin-1")))
    return (change["mask"].encode("latin-1"), levels)


def text_of(change):
    mask, node, sign = change["mask"], change["node"], change["change"]
    where = mask + (" " + node if node else "")
    if change["what"] == "node":
        below = change["below"]
        return "%s %s%s" % (sign, where, " (and %d line%s below)" % (
            below, "" if below == 1 else "s") if below else "")
    if change["what"] == "value":
        return "~ %s: %s -> %s" % (where, change["before"] or '""', change["after"] or '""')
    return "~ %s: order %s -> %s" % (where, ", ".join(change["before"]),
                                     ", ".join(change["after"]))


def check_pair(name, folder, fa, fb):
    pa, pb = os.path.join(folder, fa), os.path.join(folder, fb)
    a, b = read_file(pa), read_file(pb)
    label = "%s: diff %s %s" % (name, fa, fb)
    json_path = os.path.join(folder, "diff.json")
    status, out, err = run("diff", pa, pb, "--json", json_path, "--force")
    with open(json_path, encoding="utf-8") as stream:
        data = json.load(stream)
    changes = data["changes"]
    report(label, "format", [] if data["format"] == "qelmask-diff" and data["version"] == 1
           else ["format %s version %s" % (data["format"], data["version"])])
    report(label, "nodes", check_nodes(a, b, changes))
    report(label, "order", check_order(a, b, changes))
    problems = []
    # Siblings of one type and name follow each other, each with the nodes
    # below it: a change under such a node may stand after a change below
    # its namesake.
    paths = collections.Counter((node_mask(n), n.path()) for n in all_nodes(a))
    paths |= collections.Counter((node_mask(n), n.path()) for n in all_nodes(b))
    keys = [sort_key(c) for c in changes]
    for i in range(1, len(keys)):
        mask, levels = changes[i]["mask"], changes[i]["node"].split("/")
        twice = any(paths[mask, "/".join(level.split("[", 1)[0] for level in levels[:n])] > 1
                    for n in range(len(levels) + 1))
        if keys[i] < keys[i - 1] and not twice:
            problems.append("out of tree order: %s after %s" % (text_of(changes[i]),
                                                               text_of(changes[i - 1])))
    lines = [line for line in out.splitlines() if not line.startswith("Wrote: ")]
    if lines != [text_of(c) for c in changes]:
        problems.append("the lines printed are not the JSON's changes")
    if status != (1 if changes else 0):
        problems.append("status %d with %d changes" % (status, len(changes)))
    status, stat, _ = run("diff", pa, pb, "--stat")
    signs = collections.Counter(c["change"] for c in changes)
    total = ("Total: %d change%s (" % (len(changes), "" if len(changes) == 1 else "s") +
             ", ".join("%d %s" % (signs[s], w) for s, w in
                       (("+", "added"), ("-", "removed"), ("~", "changed")) if signs[s]) + ")")
    if changes and stat.splitlines()[-1:] != [total]:
        problems.append("--stat ends %r, not %r" % (stat.splitlines()[-1:], total))
    report(label, "text and stat", problems)
    # Swapped, the same changes with + and - exchanged.
    _, back, _ = run("diff", pb, pa)
    mirror = collections.Counter(line[0] for line in back.splitlines())
    report(label, "mirror", [] if (mirror["+"], mirror["-"], mirror["~"]) ==
           (signs["-"], signs["+"], signs["~"]) else ["swapped: %s, as given: %s" % (mirror, signs)])
    return changes


def check_itself(name, folder, file):
    path = os.path.join(folder, file)
    problems = []
    with open(path, "rb") as stream:
        data = stream.read()
    twin = os.path.join(folder, "twin-" + file)
    crlf = b"\r\n" in data
    with open(twin, "wb") as stream:
        stream.write(data.replace(b"\r\n", b"\n") if crlf else data.replace(b"\n", b"\r\n"))
    for other in (path, twin):
        status, out, _ = run("diff", path, other, "--comments")
        if status != 0 or out:
            problems.append("diff %s %s --comments: status %d, %r" % (
                file, os.path.basename(other), status, out[:200]))
    if run("lines", path)[1] != run("lines", twin)[1]:
        problems.append("lines differ from the %s twin" % ("LF" if crlf else "CRLF"))
    report("%s: %s" % (name, file), "itself and its twin", problems)


# ---------------------------------------------------------------- shuffling

def blocks(lines):
    """The file as blocks: a line that is no +ACI, +FILTER, +VALUE or
    comment line, then the lines of those kinds under it."""
    found = []
    for line in lines:
        word = upper(line.replace("\t", " ").strip(" ").split(" ", 1)[0])
        if found and (word in OWNED or line.startswith("//") or not line.strip()):
            found[-1].append(line)
        else:
            found.append([line])
    return found


def word_of(line):
    return upper(line.replace("\t", " ").replace("\r", "").strip(" ").split(" ", 1)[0])


def shuffle_block(rng, block):
    """The lines under the block's first one shuffled, the values of its
    list kept in their order."""
    owned = block[1:]
    values = [line for line in owned if word_of(line) == "+VALUE"]
    rng.shuffle(owned)
    values = iter(values)
    owned = [next(values) if word_of(line) == "+VALUE" else line for line in owned]
    return block[:1] + owned


def shuffled(rng, text, whole):
    """`text` with the lines of each block shuffled; with `whole`, also the
    attributes of each entity and the entities of each mask (only for a
    file whose every line makes its node)."""
    eol = "\r\n" if "\r\n" in text else "\n"
    lines = text[:-len(eol)].split(eol) if text.endswith(eol) else text.split(eol)
    parts = [shuffle_block(rng, block) for block in blocks(lines)]
    if whole:
        # Masks hold entities, entities attributes: a list of lists of lists.
        tree = []
        for part in parts:
            word = word_of(part[0])
            if word == "*ENTITY" and tree:
                tree[-1][1].append([part, []])
            elif word == "*ATTR" and tree and tree[-1][1]:
                tree[-1][1][-1][1].append(part)
            else:
                tree.append([part, []])
        parts = []
        for head, entities in tree:
            rng.shuffle(entities)
            parts.append(head)
            for entity, attributes in entities:
                rng.shuffle(attributes)
                parts += [entity] + attributes
    return eol.join(line for part in parts for line in part) + eol


def check_lines(name, folder, file, whole):
    path = os.path.join(folder, file)
    with open(path, encoding="latin-1", newline="") as stream:
        text = stream.read()
    rng = random.Random(file)
    other = os.path.join(folder, "shuffled-" + file)
    with open(other, "w", encoding="latin-1", newline="") as stream:
        stream.write(shuffled(rng, text, whole))
    problems = []
    status, lines, _ = run("lines", path)
    status2, lines2, _ = run("lines", other)
    if status or status2 or lines != lines2:
        problems.append("lines of the shuffled file differ (status %d, %d)" % (status, status2))
    if not lines.startswith(tuple(m.name + "\t" for m in read_file(path))):
        problems.append("lines does not start with a mask")
    status, out, _ = run("diff", path, other)
    if status != 0 or out:
        problems.append("diff of the shuffled file: status %d, %r" % (status, out[:200]))
    report("%s: %s" % (name, file), "lines of the shuffled file", problems)
    check_swapped_values(name, folder, file, text)


def check_swapped_values(name, folder, file, text):
    """Two values of one list swapped: one line of `lines` changes, and the
    diff is that list's order."""
    eol = "\r\n" if "\r\n" in text else "\n"
    lines = text.split(eol)
    for i in range(len(lines) - 1):
        if word_of(lines[i]) == word_of(lines[i + 1]) == "+VALUE" and lines[i] != lines[i + 1]:
            lines[i], lines[i + 1] = lines[i + 1], lines[i]
            break
    else:
        return
    other = os.path.join(folder, "swapped-" + file)
    with open(other, "w", encoding="latin-1", newline="") as stream:
        stream.write(eol.join(lines))
    path = os.path.join(folder, file)
    before, after = run("lines", path)[1].splitlines(), run("lines", other)[1].splitlines()
    problems = []
    changed = [(x, y) for x, y in zip(before, after) if x != y]
    if len(before) != len(after) or len(changed) != 1 or "\torder " not in changed[0][0]:
        problems.append("lines: %d lines changed, not the one order line" % len(changed))
    status, out, _ = run("diff", path, other)
    if status != 1 or len(out.splitlines()) != 1 or ": order " not in out:
        problems.append("diff: status %d, %r" % (status, out[:300]))
    report("%s: %s" % (name, file), "two values swapped", problems)


# ---------------------------------------------------------------- the runs

def check_folder(name, folder, clean=("ref.msk", "new.msk")):
    files = ("ref.msk", "new.msk", "custo.msk")
    for fa, fb in (("ref.msk", "new.msk"), ("ref.msk", "custo.msk"), ("new.msk", "custo.msk")):
        check_pair(name, folder, fa, fb)
    for file in files:
        check_itself(name, folder, file)
        check_lines(name, folder, file, file in clean)


def examples():
    with tempfile.TemporaryDirectory() as tmp:
        for file in ("ref.msk", "new.msk", "custo.msk"):
            shutil.copyfile(os.path.join(EXAMPLES, file), os.path.join(tmp, file))
        check_folder("examples", tmp, clean=("ref.msk", "new.msk", "custo.msk"))


def generated():
    for seed in range(1, 9):
        options = ["--scale", str((2, 5, 20)[seed % 3])]
        options += ([], ["--masks", "2"], ["--masks", "3"])[seed // 3 % 3]
        options += ["--sep", "random"] if seed % 2 else []
        options += ["--crlf"] if seed % 4 == 0 else []
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, GENERATOR, "--seed", str(seed), *options, tmp],
                           check=True, stdout=subprocess.DEVNULL)
            check_folder("seed %d %s" % (seed, " ".join(options)), tmp)


def main():
    if not os.access(QELMASK, os.X_OK):
        print("note: no qelmask at %s: nothing to check" % QELMASK)
        sys.exit(77)
    examples()
    if not os.path.exists(GENERATOR):
        print("note: no generator at %r: generated triples skipped" % GENERATOR)
        print("%d passed, %d failed" % (passed, len(failed)))
        sys.exit(1 if failed else 77)
    generated()
    print("%d passed, %d failed" % (passed, len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
