#!/usr/bin/env python3
"""Every shell example of README.md and docs/*.md works as written on a fresh
clone, as far as a test can try it.

    doc_commands.py --source SOURCE_DIR [--list]

The ```sh blocks are read line by line (a trailing "# comment" dropped) and
each command is tried the most that is practical here:

  make TARGET                 the target exists: `make -n TARGET` in the copy
  cmake / ctest --preset P    every preset named is in CMakePresets.json, every
                              --target a target some CMakeLists defines
  scripts/...                 run in a fresh copy of the tree (tracked files
                              only, no build folder), status 0 or 1
  anything naming build/      run in the copy when what it names is built
                              there, else left out (said so); never in the
                              source tree, which no example may write into
  a synopsis (placeholders    left out
  like FILE, [options], ...)
  Wine sessions (wine-run.sh) left out: they need a terminal or a run folder

A line that a block's `cd` leads into is run from there (in the copy).

With --build DIR (the native build folder of the tree under test), the copy's
build/native is a link to DIR: the examples run the programs already built
there, and scripts/tastiro-check.sh finds its checker built, instead of
building the tree a second time.
"""
import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SYNOPSIS = re.compile(r"\[options\]|\.\.\.|\b[A-Z_]{4,}\b(?![./])")


def shell_examples(source):
    """(file, line number, command) for every command of every ```sh block.
    In a block that shows a session ("$ command" lines, then what it
    prints), only the "$ " lines are commands."""
    found = []
    paths = [os.path.join(source, "README.md")] + sorted(glob.glob(os.path.join(source, "docs", "*.md")))
    for path in paths:
        blocks, block = [], None
        with open(path, encoding="utf-8") as file:
            for number, line in enumerate(file, 1):
                stripped = line.strip()
                if stripped.startswith("```"):
                    if block is not None:
                        blocks.append(block)
                        block = None
                    elif stripped in ("```sh", "```shell", "```bash"):
                        block = []
                    else:
                        block = False  # a block of another kind: its lines are skipped
                    continue
                if block:
                    block.append((number, stripped))
                elif block == []:
                    block.append((number, stripped))
        for block in blocks:
            if not block:
                continue
            session = any(text.startswith("$ ") for _, text in block)
            pending, start = "", 0
            for number, text in block:
                if not pending:
                    if session and not text.startswith("$ "):
                        continue  # what the command before printed
                    text, start = text[2:] if session else text, number
                text = (pending + " " + text).strip() if pending else text
                if text.endswith("\\"):
                    pending = text[:-1].rstrip()
                    continue
                pending = ""
                command = re.sub(r"\s+#\s.*$", "", text)
                if command and not command.startswith("#"):
                    found.append((os.path.relpath(path, source), start, command))
    return found


def fresh_copy(source, into):
    """The tracked files of the tree, as a clone would have them."""
    files = subprocess.run(["git", "-C", source, "ls-files", "-z"], capture_output=True, check=True).stdout
    for name in filter(None, files.decode().split("\0")):
        target = os.path.join(into, name)
        if os.path.lexists(os.path.join(source, name)):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(os.path.join(source, name), target, follow_symlinks=False)


def cmake_targets(copy):
    """The targets the tree's CMake files define (read in the copy, which
    holds no build folder to wade through)."""
    names = set()
    for path in glob.glob(os.path.join(copy, "**", "*.cmake"), recursive=True) + \
            glob.glob(os.path.join(copy, "**", "CMakeLists.txt"), recursive=True):
        with open(path, encoding="utf-8") as file:
            names.update(re.findall(r"add_(?:executable|library|custom_target)\(\s*([\w.-]+)", file.read()))
    return names


def run(command, cwd, timeout=900):
    done = subprocess.run(["sh", "-c", command], cwd=cwd, capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=timeout)
    return done.returncode, done.stdout + done.stderr


def check(source, copy, file, number, command, cwd):
    """None when the command works, "skip: why" when it was left out, else a problem."""
    words = command.split()
    if "wine-run.sh" in command:
        return "skip: a Wine session"
    if SYNOPSIS.search(command) and not words[0].startswith(("make", "cmake", "ctest", "scripts/")):
        return "skip: a synopsis"
    if words[0] == "cd":
        return None
    if words[0] == "make":
        status, output = run("make -n " + " ".join(words[1:]), copy)
        return None if status == 0 else "make target missing:\n" + output
    if words[0] in ("cmake", "ctest"):
        with open(os.path.join(source, "CMakePresets.json"), encoding="utf-8") as presets_file:
            presets = json.load(presets_file)
        known = {preset["name"] for kind in presets.values() if isinstance(kind, list) for preset in kind}
        for preset in re.findall(r"--preset[ =](\S+)", command):
            if preset not in known:
                return "no preset %r" % preset
        for target in re.findall(r"--target[ =](\S+)", command):
            if target not in cmake_targets(copy):
                return "no target %r" % target
        if re.search(r"(?:cmake --build|ctest --test-dir)\s+(?!--)", command):
            return "a build folder named directly: it is not there on a fresh clone; use --preset"
        return None
    if command.startswith("scripts/") or " scripts/" in command:
        status, output = run(command, copy)
        return None if status in (0, 1) else "status %d:\n%s" % (status, output)
    # What must have been built: the program when it lies in a build folder
    # (its other build/ words may be files it writes), else every build/ word.
    named = [words[0]] if words[0].startswith("build/") else [w for w in words if w.startswith("build/")]
    if named:
        # In the copy, when it holds what the command names: the lent build
        # folder, or what an example before it built there.
        if all(os.path.exists(os.path.join(copy, word)) for word in named):
            status, output = run(command, cwd)
            return None if status == 0 else "status %d:\n%s" % (status, output)
        return "skip: needs %s built" % " ".join(named)
    return "skip: not tried"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", default=os.path.join(os.path.dirname(__file__), "..", ".."))
    parser.add_argument("--build", help="a native build folder of SOURCE to lend the copy")
    args = parser.parse_args()
    source = os.path.abspath(args.source)
    if not os.path.isdir(os.path.join(source, ".git")) and not os.path.isfile(os.path.join(source, ".git")):
        print("passed: no git tree to copy; nothing tried")
        return 0
    examples = shell_examples(source)
    failures = 0
    with tempfile.TemporaryDirectory(prefix="tastiro-docs-") as copy:
        fresh_copy(source, copy)
        if args.build:
            os.makedirs(os.path.join(copy, "build"))
            os.symlink(os.path.abspath(args.build), os.path.join(copy, "build", "native"))
        cwd = {}
        for file, number, command in examples:
            here = cwd.get(file, copy)
            problem = check(source, copy, file, number, command, here)
            if command.startswith("cd "):
                cwd[file] = os.path.join(copy, command.split()[1])
            if problem is None:
                print("works: %s:%d: %s" % (file, number, command))
            elif problem.startswith("skip:"):
                print("left out (%s): %s:%d: %s" % (problem[6:], file, number, command))
            else:
                failures += 1
                print("FAILED: %s:%d: %s\n  %s" % (file, number, command, problem.replace("\n", "\n  ")))
    print("doc examples: %d tried, %d failed" % (len(examples), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
