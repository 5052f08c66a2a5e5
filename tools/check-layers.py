#!/usr/bin/env python3
"""Fails when a source under src/ includes a header of a layer above its own.

The folders of src/ are layers, lowest first:

    platform, framework < tree < rules, maskfile < merge < app < qelmask

platform and framework are siblings, as are rules and maskfile: neither of
two siblings includes the other. A file may
include the headers of its own folder and of the folders below it, nothing
else. nlohmann-json and CLI11 (<nlohmann/...>, <CLI/...>) belong to qelmask
alone: the legacy program QELPeopleMaskMerger must not depend on them.

Allowed definitions. The legacy program's contract puts a few functions on
classes of lower layers that only a higher layer can implement: each is
declared with its class and defined in the layer that knows what it needs,
which includes the lower header (an include downwards, nothing to except).
They are listed below so that a reader knows why those members live above
their class; any other member of a lower layer's class defined in a higher
layer is reported too.

    MergerFile::merge     declared in maskfile/MergerFile.h, defined in merge/MergerFileMerge.cpp
    MergerObj::comparer   declared in tree/MergerObj.h,      defined in merge/Comparer.cpp
    MergerObj::setChoice  declared in tree/MergerObj.h,      defined in rules/MergerObjChoice.cpp
                          (it takes the deciding MergerRule; the tree keeps
                          only its number, through MergerObj::recordChoice)

One table. The kinds of question are spelled once, in the table of
src/merge/QuestionKind.cpp: their names ("dropped-by-new"...) appear in no
other file under src/, the report page's script included (it takes them,
with their labels, from the report's JSON).

Usage: check-layers.py [--graph] [ROOT]   (ROOT: the project, default the
parent of this script's folder). Prints one line per offence and exits 1 if
there is any; --graph prints which folder includes which instead.
"""

import pathlib
import re
import sys

# Rank of each layer: a file may include a layer of lower rank, or its own.
LAYERS = {
    "platform": 0,
    "framework": 0,
    "tree": 1,
    "rules": 2,
    "maskfile": 2,
    "merge": 3,
    "app": 4,
    "qelmask": 5,
}

# Libraries that only this layer may include.
PRIVATE_LIBRARIES = {"nlohmann/": "qelmask", "CLI/": "qelmask"}

# (class, member, file that defines it) of the members of a lower layer's
# class that a higher layer defines.
ALLOWED_DEFINITIONS = {
    ("MergerFile", "merge", "merge/MergerFileMerge.cpp"),
    ("MergerObj", "comparer", "merge/Comparer.cpp"),
    ("MergerObj", "setChoice", "rules/MergerObjChoice.cpp"),
}

# The names of the kinds of question, and the one file that may spell them.
KIND_NAMES = ("dropped-by-new", "changed-by-both", "changed-by-new", "new-in-new")
KIND_TABLE = "merge/QuestionKind.cpp"

QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
ANGLED = re.compile(r"^\s*#\s*include\s*<([^>]+)>")
# A class defined (not only named) in a header: "class X {" or "class X : ...".
CLASS = re.compile(r"^(?:class|struct)\s+(\w+)\s*(?:final\s*)?[:{]")
# A member defined at the top of a .cpp: "<return type> Class::member(".
DEFINITION = re.compile(r"^[A-Za-z_][\w:<>,\s*&]*?\b([A-Z]\w*)::(~?\w+)\s*\(")


def layer_of(relative):
    """The layer of a path relative to src/, or None."""
    return relative.parts[0] if len(relative.parts) > 1 and relative.parts[0] in LAYERS else None


def describe(upper, lower):
    if LAYERS[upper] == LAYERS[lower]:
        return "%s and %s are siblings" % (upper, lower)
    return "%s is above %s" % (upper, lower)


def check_includes(root, sources, offences, graph):
    src = root / "src"
    for path in sources:
        relative = path.relative_to(src)
        own = layer_of(relative)
        shown = path.relative_to(root)
        if own is None:
            offences.append("%s:1: is in no layer (known: %s)" % (shown, ", ".join(LAYERS)))
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            quoted = QUOTED.match(line)
            if quoted:
                header = pathlib.PurePosixPath(quoted.group(1))
                # A bare name is looked up next to the including file first.
                target = own if len(header.parts) == 1 else header.parts[0]
                if target not in LAYERS:
                    offences.append("%s:%d: includes %s (not a header of a layer)"
                                    % (shown, number, header))
                    continue
                graph.setdefault(own, set()).add(target)
                if target != own and LAYERS[target] >= LAYERS[own]:
                    offences.append("%s:%d: includes %s (%s)"
                                    % (shown, number, header, describe(target, own)))
                continue
            angled = ANGLED.match(line)
            if angled:
                for prefix, owner in PRIVATE_LIBRARIES.items():
                    if angled.group(1).startswith(prefix) and own != owner:
                        offences.append("%s:%d: includes <%s> (only %s may use it)"
                                        % (shown, number, angled.group(1), owner))


def check_definitions(root, sources, offences):
    src = root / "src"
    declared_in = {}  # class name -> layer of the header that defines it
    for path in sources:
        layer = layer_of(path.relative_to(src))
        if path.suffix == ".h" and layer:
            for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
                found = CLASS.match(line)
                if found:
                    declared_in.setdefault(found.group(1), layer)
    seen = set()
    for path in sources:
        relative = path.relative_to(src)
        own = layer_of(relative)
        if path.suffix != ".cpp" or own is None:
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            found = DEFINITION.match(line)
            if not found:
                continue
            cls, member = found.groups()
            home = declared_in.get(cls)
            if home is None or home == own:
                continue
            key = (cls, member, relative.as_posix())
            if key in ALLOWED_DEFINITIONS:
                seen.add(key)
                continue
            offences.append("%s:%d: defines %s::%s (%s belongs in %s)"
                            % (path.relative_to(root), number, cls, member, cls, home))
    for cls, member, where in sorted(ALLOWED_DEFINITIONS - seen):
        offences.append("src/%s:1: no longer defines %s::%s: drop it from ALLOWED_DEFINITIONS"
                        % (where, cls, member))


def check_one_table(root, offences):
    src = root / "src"
    for path in sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp", ".js", ".html")):
        if path.relative_to(src).as_posix() == KIND_TABLE:
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            for name in KIND_NAMES:
                if name in line:
                    offences.append("%s:%d: spells the kind %s (only src/%s may)"
                                    % (path.relative_to(root), number, name, KIND_TABLE))


def main(argv):
    show_graph = "--graph" in argv
    rest = [a for a in argv if a != "--graph"]
    root = pathlib.Path(rest[0]) if rest else pathlib.Path(__file__).resolve().parent.parent
    sources = sorted(p for p in (root / "src").rglob("*") if p.suffix in (".h", ".cpp"))
    if not sources:
        print("check-layers: no sources under %s/src" % root, file=sys.stderr)
        return 2
    offences, graph = [], {}
    check_includes(root, sources, offences, graph)
    check_definitions(root, sources, offences)
    check_one_table(root, offences)
    if show_graph:
        for layer in sorted(graph, key=lambda name: (LAYERS[name], name)):
            below = sorted(graph[layer] - {layer}, key=lambda name: (LAYERS[name], name))
            print("%-9s -> %s" % (layer, " ".join(below) or "-"))
        return 0
    for offence in offences:
        print(offence)
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
