#!/usr/bin/env python3
"""Checks that what the README, docs/ and the manual pages show stays true.

1. Every fenced block marked by a line `<!-- checked-output -->` (or
   `<!-- checked-output status=N -->`) just above it is a console session:
   `$ ` and a command (continued by lines that end with a backslash), then
   what it prints. The command is run by bash in a fresh folder that holds a
   copy of examples/, build/release/qelmask and build/release/QELPeopleMaskMerger
   (the programs under test) and an empty build/demo/, with standard error
   going where standard output goes, as on a terminal. What it prints must be
   the rest of the block, byte for byte, and its exit status N (0 unless
   given).
2. In the manual pages, every example block (`.EX` to `.EE`) right below a
   comment line `.\\" checked-output: COMMAND` (or
   `.\\" checked-output status=N: COMMAND`) is what COMMAND prints, run the
   same way; the roff escapes of the block are read as man shows them.
3. Every relative link of the markdown files names a file of the source
   tree and, after a `#`, a heading of that file.

usage: check-doc-outputs.py <qelmask> <QELPeopleMaskMerger> <source folder>
"""

import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

MARKER = re.compile(r"^<!-- checked-output(?: status=(\d+))? -->$")
ROFF_MARKER = re.compile(r'^\.\\" checked-output(?: status=(\d+))?: (.+)$')
# The escapes the pages' example blocks use, as man prints them.
ROFF_ESCAPES = [("\\-", "-"), ("\\e", "\\"), ("\\(aq", "'"), ("\\|", ""), ("\\&", "")]
LINK = re.compile(r"\]\(([^)\s]+)\)")


def documents(source):
    return [source / "README.md"] + sorted((source / "docs").glob("*.md"))


def checked_blocks(path):
    """(line number, command, expected output, status) of each marked block."""
    lines = path.read_text(encoding="utf-8").split("\n")
    blocks = []
    for i, line in enumerate(lines):
        marker = MARKER.match(line)
        if not marker:
            continue
        where = f"{path.name}:{i + 1}"
        if i + 1 >= len(lines) or not lines[i + 1].startswith("```"):
            raise ValueError(f"{where}: the marker is not right above a fenced block")
        try:
            end = lines.index("```", i + 2)
        except ValueError:
            raise ValueError(f"{where}: the block is not closed") from None
        body = lines[i + 2:end]
        if not body or not body[0].startswith("$ "):
            raise ValueError(f"{where}: the block does not start with '$ ' and a command")
        command = [body[0][2:]]
        k = 1
        while command[-1].endswith("\\") and k < len(body):
            command.append(body[k])
            k += 1
        expected = "".join(text + "\n" for text in body[k:])
        blocks.append((i + 3, "\n".join(command), expected, int(marker.group(1) or 0)))
    return blocks


def manual_pages(source):
    return sorted((source / "man").glob("*.[1-9]"))


def checked_examples(path):
    """(line number, command, expected output, status) of each marked example."""
    lines = path.read_text(encoding="utf-8").split("\n")
    blocks = []
    for i, line in enumerate(lines):
        marker = ROFF_MARKER.match(line)
        if not marker:
            continue
        where = f"{path.name}:{i + 1}"
        start = next((k for k in range(i + 1, min(i + 5, len(lines))) if lines[k] == ".EX"), None)
        if start is None:
            raise ValueError(f"{where}: the marker is not right above an .EX block")
        try:
            end = lines.index(".EE", start)
        except ValueError:
            raise ValueError(f"{where}: the .EX block is not closed") from None
        expected = ""
        for text in lines[start + 1:end]:
            for escape, meaning in ROFF_ESCAPES:
                text = text.replace(escape, meaning)
            if "\\" in text:
                raise ValueError(f"{where}: an escape the check does not read: {text}")
            expected += text + "\n"
        blocks.append((start + 2, marker.group(2), expected, int(marker.group(1) or 0)))
    return blocks


def run_block(command, qelmask, merger, source):
    """What the command prints (both streams, in order) and its status."""
    with tempfile.TemporaryDirectory(prefix="doc-output-") as scratch:
        work = Path(scratch)
        shutil.copytree(source / "examples", work / "examples")
        (work / "build" / "release").mkdir(parents=True)
        (work / "build" / "demo").mkdir()
        os.symlink(qelmask, work / "build" / "release" / "qelmask")
        os.symlink(merger, work / "build" / "release" / "QELPeopleMaskMerger")
        environment = {k: v for k, v in os.environ.items() if k != "VEX_TRACE"}
        run = subprocess.run(["bash", "-c", command], cwd=work, env=environment,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=120, check=False)
        return run.stdout.decode("utf-8", "replace"), run.returncode


def slug(heading):
    """The anchor a heading gets on the forges that show these files."""
    text = heading.strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path):
    found = set()
    fenced = False
    for line in path.read_text(encoding="utf-8").split("\n"):
        if line.startswith("```"):
            fenced = not fenced
        elif not fenced and line.startswith("#"):
            found.add(slug(line.lstrip("#")))
    return found


def check_links(path, source):
    problems = []
    fenced = False
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), 1):
        if line.startswith("```"):
            fenced = not fenced
        if fenced:
            continue
        for target in LINK.findall(line):
            if re.match(r"^[a-z]+:", target):
                continue  # a web address
            name, _, anchor = target.partition("#")
            linked = (path.parent / name).resolve() if name else path
            where = f"{path.relative_to(source)}:{number}"
            if not linked.exists() or source.resolve() not in linked.parents:
                problems.append(f"{where}: link to a missing file: {target}")
            elif anchor and linked.suffix == ".md" and anchor not in anchors(linked):
                problems.append(f"{where}: link to a missing heading: {target}")
    return problems


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().split("\n")[-1], file=sys.stderr)
        return 2
    qelmask, merger = (os.path.abspath(p) for p in sys.argv[1:3])
    source = Path(sys.argv[3])
    failed = 0
    checked = 0
    for path in documents(source) + manual_pages(source):
        markdown = path.suffix == ".md"
        for problem in check_links(path, source) if markdown else []:
            print(f"FAIL: {problem}")
            failed += 1
        try:
            blocks = checked_blocks(path) if markdown else checked_examples(path)
        except ValueError as problem:
            print(f"FAIL: {problem}")
            failed += 1
            continue
        for line, command, expected, status in blocks:
            checked += 1
            where = f"{path.relative_to(source)}:{line}"
            actual, actual_status = run_block(command, qelmask, merger, source)
            if actual != expected:
                failed += 1
                print(f"FAIL: {where}: the output differs from what the block shows")
                sys.stdout.writelines(difflib.unified_diff(
                    expected.splitlines(True), actual.splitlines(True),
                    "shown", "printed"))
            if actual_status != status:
                failed += 1
                print(f"FAIL: {where}: status {actual_status}, the block says {status}")
    if checked == 0:
        print("FAIL: no marked block found: nothing was checked")
        failed += 1
    print(f"doc outputs: {checked} blocks run, {failed} problems")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
