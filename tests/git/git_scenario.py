#!/usr/bin/env python3
"""qelmask as git's merge driver and diff text conversion, in real repositories.

    git_scenario.py QELMASK GEN_MASKS_PY [EXAMPLES_DIR]

Exits 77 (skipped) when git or the generator is missing. Every repository
lives in a temporary folder, and git reads no configuration but the
repository's and that of a temporary HOME (GIT_CONFIG_NOSYSTEM=1).

A vendor branch commits REF as the mask, then NEW; a site branch, started
from the first vendor commit, commits CUSTO; `qelmask git-setup` runs in the
repository and the site branch merges the vendor's. On the examples and
generated triples (with role masks on some) it checks:

  upgrade     the driver runs (its messages name git's path, never git's
              temporary files), the merged file is byte for byte what
              `qelmask merge` writes, the index is conflicted exactly when
              the driver, run by hand on the same files, says 1, and after
              `git add` the merge commits; git-setup run twice changes
              nothing the second time;
  rules       with a rule file that settles every question (made by qelmask
              report and decide, in a folder whose name holds a space),
              given to git-setup --rules, the merge is clean and committed;
  clean       with --clean the merge is committed, review records and all;
  ours        --vendor ours, the site's branch merged into the vendor's,
              merges the same masks to the same bytes;
  swapped     a vendor branch that went back to version N: the driver
              refuses, the file is left as the site has it, conflicted;
  unrelated   two histories without a common ancestor (an empty base):
              the same;
  binary      a binary file on the vendor's side: the same;
  diff        git diff between the vendor's commits shows the lines of
              `qelmask lines` (checked once `qelmask lines` works);
  setup       git-setup outside a repository, and without git: status 1
              and a clear message; --global with a temporary HOME: the
              user's configuration and attributes file (default place, and
              core.attributesFile with "~"), a second run changes nothing,
              and a repository with no setup of its own merges with it.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

QELMASK, GENERATOR = (os.path.abspath(p) for p in sys.argv[1:3])
EXAMPLES = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else ""
ATTRIBUTES_LINE = "*.msk merge=qelmask diff=qelmask"
passed, failed = 0, []


def check(label, ok, detail=""):
    global passed
    if ok:
        passed += 1
    else:
        failed.append(label)
        print("FAIL %s%s" % (label, ("\n  " + detail.replace("\n", "\n  ")) if detail else ""))


# ------------------------------------------------------------- the world

class World:
    """A temporary folder with its own HOME, and the environment git runs in."""

    def __init__(self, root):
        self.root = root
        self.home = os.path.join(root, "home")
        os.makedirs(self.home)
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
                    "GIT_CONFIG_NOSYSTEM": "1", "LC_ALL": "C",
                    "GIT_CEILING_DIRECTORIES": root,
                    "TMPDIR": os.environ.get("TMPDIR", "/tmp")}

    def run(self, args, cwd, env=None):
        return subprocess.run(args, cwd=cwd, capture_output=True, env=env or self.env,
                              timeout=120)

    def git(self, repo, *args):
        result = self.run(["git"] + list(args), repo)
        if result.returncode not in (0, 1):
            raise RuntimeError("git %s: %s" % (" ".join(args), result.stderr.decode()))
        return result

    def qelmask(self, cwd, *args, env=None):
        return self.run([QELMASK] + list(args), cwd, env)

    def folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path)
        return path

    def repository(self, name, branch):
        repo = self.folder(name)
        self.git(repo, "init", "-q")
        self.git(repo, "symbolic-ref", "HEAD", "refs/heads/" + branch)
        self.git(repo, "config", "user.name", "Site Admin")
        self.git(repo, "config", "user.email", "admin@example.com")
        self.git(repo, "config", "commit.gpgsign", "false")
        return repo

    def commit(self, repo, path, source, message):
        target = os.path.join(repo, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if isinstance(source, bytes):
            open(target, "wb").write(source)
        else:
            shutil.copyfile(source, target)
        self.git(repo, "add", path)
        self.git(repo, "commit", "-q", "-m", message)

    def vendor_and_site(self, name, ref, new, custo, path):
        """vendor: REF, then NEW; site (from vendor's first commit): CUSTO; on site."""
        repo = self.repository(name, "vendor")
        self.commit(repo, path, ref, "vendor: version N")
        self.git(repo, "checkout", "-q", "-b", "site")
        self.commit(repo, path, custo, "site: our mask")
        self.git(repo, "checkout", "-q", "vendor")
        self.commit(repo, path, new, "vendor: version N+1")
        self.git(repo, "checkout", "-q", "site")
        return repo

    def setup(self, repo, *args):
        """git-setup in `repo`, its .gitattributes committed on the current branch."""
        result = self.qelmask(repo, "git-setup", *args)
        if os.path.exists(os.path.join(repo, ".gitattributes")):
            self.git(repo, "add", ".gitattributes")
            self.git(repo, "commit", "-q", "-m", "masks merged by qelmask")
        return result

    def merged_by_hand(self, ref, new, custo, rules=None):
        """What qelmask merge writes, and the driver's status on the same files."""
        work = tempfile.mkdtemp(dir=self.root)
        args = ["merge", "--ref", ref, "--new", new, "--custo", custo, "-o", "merged.msk"]
        result = self.qelmask(work, *(args + (["--rules", rules] if rules else [])))
        if result.returncode != 0:
            raise RuntimeError("qelmask merge: " + result.stderr.decode())
        merged = open(os.path.join(work, "merged.msk"), "rb").read()
        # The summary counts the questions only the recommendation settled.
        left = re.search(rb"\n +(\d+)  no rule: the recommendation\n", result.stdout)
        for name, source in (("base", ref), ("ours", custo), ("theirs", new)):
            shutil.copyfile(source, os.path.join(work, name))
        args = ["git-merge", "base", "ours", "theirs", "mask.msk"]
        status = self.qelmask(work, *(args + (["--rules", rules] if rules else []))).returncode
        expected = 1 if left and int(left.group(1)) > 0 else 0
        check("%s: by hand, git-merge says 1 exactly when the recommendation alone settled "
              "questions" % os.path.dirname(ref), status == expected,
              "status %d, not %d" % (status, expected))
        check("%s: by hand, git-merge writes what merge writes" % os.path.dirname(ref),
              read(os.path.join(work, "ours")) == merged)
        return merged, status


def read(path):
    with open(path, "rb") as f:
        return f.read()


def conflicted(world, repo):
    return world.git(repo, "ls-files", "-u").stdout != b""


def parents(world, repo):
    return len(world.git(repo, "log", "-1", "--format=%P").stdout.split())


def stray_files(world, repo, path):
    """Files git sees in the work tree besides the merged one (a temporary left behind)."""
    lines = world.git(repo, "status", "--porcelain", "--ignored").stdout.decode().splitlines()
    return [line for line in lines if not line.endswith(" " + path)]


# ------------------------------------------------------------- scenarios

def check_upgrade(world, label, triple, path):
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    repo = world.vendor_and_site(label, ref, new, custo, path)
    first = world.setup(repo)
    driver = QELMASK + " git-merge %O %A %B %P"
    expected = ("set merge.qelmask.name = qelmask: merge of security masks\n"
                "set merge.qelmask.driver = %s\n"
                "set diff.qelmask.textconv = %s lines\n"
                "added to .gitattributes: %s\n" % (driver, QELMASK, ATTRIBUTES_LINE))
    check(label + ": git-setup", first.returncode == 0 and first.stdout.decode() == expected,
          first.stdout.decode() + first.stderr.decode())
    second = world.qelmask(os.path.join(repo, os.path.dirname(path)) if "/" in path else repo,
                           "git-setup")
    check(label + ": git-setup again changes nothing",
          second.returncode == 0 and second.stdout == b"nothing to change\n",
          second.stdout.decode() + second.stderr.decode())

    merge = world.git(repo, "merge", "--no-edit", "vendor")
    said = merge.stdout.decode() + merge.stderr.decode()
    merged, status = world.merged_by_hand(ref, new, custo)
    check(label + ": the driver ran, naming git's path",
          "Read: %s (base) (" % path in said and ".merge_file" not in said, said)
    check(label + ": merged as qelmask merge merges", read(os.path.join(repo, path)) == merged)
    check(label + ": conflicted exactly when the driver says 1",
          conflicted(world, repo) == (status == 1) and (merge.returncode != 0) == (status == 1),
          "driver %d, git merge %d" % (status, merge.returncode))
    check(label + ": no file left behind", stray_files(world, repo, path) == [],
          "\n".join(stray_files(world, repo, path)))
    if conflicted(world, repo):
        world.git(repo, "add", path)
        world.git(repo, "commit", "-q", "--no-edit")
    check(label + ": committed", parents(world, repo) == 2)
    return repo


def settling_rules(world, triple, folder):
    """A rule file that settles every question of `triple`, made as a user would."""
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    os.makedirs(folder)
    report = os.path.join(folder, "report.json")
    world.qelmask(folder, "report", "--ref", ref, "--new", new, "--custo", custo,
                  "--json", report, "-q")
    count = len(json.load(open(report))["decisions"])
    rules = os.path.join(folder, "rules.txt")
    world.qelmask(folder, "decide", "--report", report, "--take", "recommendation",
                  *[str(n) for n in range(1, count + 1)],
                  "-o", os.path.join(folder, "decisions.txt"), "--rules-output", rules, "-q")
    return rules


def check_rules(world, label, triple):
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    rules = settling_rules(world, triple, os.path.join(world.root, label + " rules"))
    repo = world.vendor_and_site(label, ref, new, custo, "mask.msk")
    world.setup(repo, "--rules", os.path.relpath(rules, repo))
    driver = world.git(repo, "config", "merge.qelmask.driver").stdout.decode().strip()
    check(label + ": git-setup --rules quotes the absolute path",
          driver.endswith(" --rules '%s'" % rules), driver)
    merge = world.git(repo, "merge", "--no-edit", "vendor")
    merged, status = world.merged_by_hand(ref, new, custo, rules)
    check(label + ": the driver says 0", status == 0)
    check(label + ": clean and committed",
          merge.returncode == 0 and parents(world, repo) == 2 and
          world.git(repo, "status", "--porcelain").stdout == b"",
          merge.stdout.decode() + merge.stderr.decode())
    check(label + ": merged as qelmask merge --rules merges",
          read(os.path.join(repo, "mask.msk")) == merged)


def check_clean(world, label, triple):
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    repo = world.vendor_and_site(label, ref, new, custo, "mask.msk")
    world.setup(repo)
    world.git(repo, "config", "merge.qelmask.driver", QELMASK + " git-merge %O %A %B %P --clean")
    merge = world.git(repo, "merge", "--no-edit", "vendor")
    merged, _ = world.merged_by_hand(ref, new, custo)
    content = read(os.path.join(repo, "mask.msk"))
    check(label + ": --clean commits", merge.returncode == 0 and parents(world, repo) == 2,
          merge.stderr.decode())
    check(label + ": --clean keeps the records",
          content == merged and b"RECOMMENDATION [no rule matched]" in content)


def check_ours(world, label, triple):
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    repo = world.vendor_and_site(label, ref, new, custo, "mask.msk")
    world.setup(repo)
    world.git(repo, "config", "merge.qelmask.driver",
              QELMASK + " git-merge %O %A %B %P --vendor ours")
    # Git reads the attributes of the branch merged into: the vendor's too.
    world.git(repo, "checkout", "-q", "vendor")
    world.git(repo, "checkout", "site", "--", ".gitattributes")
    world.git(repo, "commit", "-q", "-m", "masks merged by qelmask")
    merge = world.git(repo, "merge", "--no-edit", "site")
    merged, status = world.merged_by_hand(ref, new, custo)
    check(label + ": --vendor ours merges the same masks",
          read(os.path.join(repo, "mask.msk")) == merged, merge.stderr.decode())
    check(label + ": --vendor ours conflicted exactly when the driver says 1",
          conflicted(world, repo) == (status == 1))


def check_refused(world, label, repo, branch, kept, message, flags=()):
    merge = world.git(repo, "merge", "--no-edit", *flags, branch)
    said = merge.stderr.decode()
    check(label + ": refused, the site's file left as it was",
          merge.returncode == 1 and conflicted(world, repo) and
          read(os.path.join(repo, "mask.msk")) == read(kept), said)
    check(label + ": says why", message in said and "mask.msk: not merged" in said, said)
    check(label + ": no file left behind", stray_files(world, repo, "mask.msk") == [])


def check_refusals(world, triple):
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    # The vendor's branch goes back from N+1 to N, on a site built on N.
    repo = world.vendor_and_site("swapped", new, ref, custo, "mask.msk")
    world.setup(repo)
    check_refused(world, "swapped", repo, "vendor", custo, "look swapped")

    repo = world.repository("unrelated", "site")
    world.commit(repo, "mask.msk", custo, "site: our mask")
    world.setup(repo)
    world.git(repo, "checkout", "-q", "--orphan", "vendor")
    world.git(repo, "rm", "-q", "-r", "--cached", ".")
    world.commit(repo, "mask.msk", new, "vendor: version N+1")
    world.git(repo, "checkout", "-q", "-f", "site")
    check_refused(world, "unrelated", repo, "vendor", custo, "mask.msk (base): is empty",
                  ["--allow-unrelated-histories"])

    binary = b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR" + bytes(range(256))
    repo = world.vendor_and_site("binary", ref, binary, custo, "mask.msk")
    world.setup(repo)
    check_refused(world, "binary", repo, "vendor", custo, "mask.msk (theirs): is a binary file")


def check_diff(world, repo, path, triple):
    lines = {}
    for name in ("ref", "new"):
        result = world.qelmask(world.root, "lines", os.path.join(triple, name + ".msk"))
        if result.returncode != 0 or not result.stdout:
            print("skipped diff: qelmask lines is not built yet (%s)"
                  % result.stderr.decode().strip())
            return
        lines[name] = set(result.stdout.decode().splitlines())
    diff = world.git(repo, "diff", "vendor~1", "vendor", "--", path).stdout.decode()
    body = [l for l in diff.splitlines() if l[:1] in "+-" and l[:3] not in ("+++", "---")]
    strays = [l for l in body if l[1:] not in lines["new" if l[0] == "+" else "ref"]]
    check("diff: git diff compares qelmask lines", body != [] and strays == [],
          "\n".join(strays[:5]) or diff[:500])


def check_setup_errors(world):
    outside = world.folder("outside")
    result = world.qelmask(outside, "git-setup")
    check("setup: outside a repository",
          result.returncode == 1 and b"not in the work tree of a git repository" in result.stderr,
          result.stderr.decode())
    empty = world.folder("no-git")
    env = dict(world.env, PATH=empty)
    result = world.qelmask(outside, "git-setup", "--global", env=env)
    check("setup: without git",
          result.returncode == 1 and result.stderr ==
          b"qelmask: error: git is not installed (or not on PATH)\n", result.stderr.decode())


def check_global(world, triple):
    world = World(world.folder("own-home"))  # a HOME of its own: the others read no user file
    ref, new, custo = (os.path.join(triple, n + ".msk") for n in ("ref", "new", "custo"))
    outside = world.folder("global")
    attributes = os.path.join(world.home, ".config", "git", "attributes")
    result = world.qelmask(outside, "git-setup", "--global")
    said = result.stdout.decode()
    check("global: git-setup --global",
          result.returncode == 0 and said.endswith("added to %s: %s\n" % (attributes,
                                                                          ATTRIBUTES_LINE))
          and said.count("\nset ") + said.startswith("set ") == 3, said + result.stderr.decode())
    value = world.git(outside, "config", "--global", "merge.qelmask.driver").stdout.decode()
    check("global: the user's configuration", value == QELMASK + " git-merge %O %A %B %P\n", value)
    check("global: the user's attributes file",
          os.path.exists(attributes) and read(attributes) == (ATTRIBUTES_LINE + "\n").encode())
    again = world.qelmask(outside, "git-setup", "--global")
    quiet = world.qelmask(outside, "git-setup", "--global", "-q")
    check("global: a second run changes nothing",
          again.stdout == b"nothing to change\n" and quiet.stdout == b"" and
          quiet.returncode == 0, again.stdout.decode())

    repo = world.vendor_and_site("global-repo", ref, new, custo, "mask.msk")
    merge = world.git(repo, "merge", "--no-edit", "vendor")
    merged, _ = world.merged_by_hand(ref, new, custo)
    check("global: a repository without setup of its own merges with it",
          b"Read: mask.msk (base)" in merge.stderr and
          read(os.path.join(repo, "mask.msk")) == merged, merge.stderr.decode())

    world.git(outside, "config", "--global", "core.attributesFile", "~/attrs/masks")
    result = world.qelmask(outside, "git-setup", "--global")
    named = os.path.join(world.home, "attrs", "masks")
    check("global: core.attributesFile, \"~\" and a new folder",
          result.stdout.decode() == "added to %s: %s\n" % (named, ATTRIBUTES_LINE) and
          read(named) == (ATTRIBUTES_LINE + "\n").encode(),
          result.stdout.decode() + result.stderr.decode())


# ------------------------------------------------------------- main

def triples(root):
    found = []
    if EXAMPLES:
        found.append(("examples", EXAMPLES))
    for seed, masks in ((1, 0), (2, 2), (5, 0)):
        folder = os.path.join(root, "triples", "seed%d" % seed)
        args = [sys.executable, GENERATOR, "--seed", str(seed), "--scale", "1"]
        if masks:
            args += ["--masks", str(masks)]
        subprocess.run(args + [folder], check=True, capture_output=True)
        found.append(("seed%d" % seed, folder))
    return found


def main():
    if shutil.which("git") is None or not os.path.exists(GENERATOR):
        print("skipped: git or the generator %s is missing" % GENERATOR)
        sys.exit(77)
    started = time.monotonic()
    root = tempfile.mkdtemp(prefix="qelmask-git-")
    try:
        world = World(root)
        found = triples(root)
        for number, (label, triple) in enumerate(found):
            # Masks at the top and in a folder: git runs the driver from the top.
            path = "mask.msk" if number % 2 == 0 else "config/site/mask.msk"
            repo = check_upgrade(world, "upgrade-" + label, triple, path)
            if number == 0:
                check_diff(world, repo, path, triple)
            check_rules(world, "rules-" + label, triple)
        first = found[0][1]
        check_clean(world, "clean", first)
        for label, triple in found[:2]:
            check_ours(world, "ours-" + label, triple)
        check_refusals(world, first)
        check_setup_errors(world)
        check_global(world, first)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("%d passed, %d failed (%.1f s)" % (passed, len(failed), time.monotonic() - started))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
