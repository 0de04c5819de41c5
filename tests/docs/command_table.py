#!/usr/bin/env python3
"""The user guides and the README describe the six playback commands as the
one command table does (plugin/contract/macro_commands.h): every command, in
the table's order, with its one-line description, English in README.md and
docs/user-guide.md, Polish in docs/przewodnik.md; no other command.

    command_table.py --source SOURCE_DIR
"""
import argparse
import os
import re
import sys

ROW = re.compile(r'X\((\w+),\s*"([^"]+)",\s*"([^"]+)",\s*"([^"]+)"\)')
GUIDE_ROW = re.compile(r"^\| `\[([^\]]+)\]` \| (.*) \|$")


def command_table(source):
    """[(name, English, Polish)] in table order."""
    path = os.path.join(source, "plugin", "contract", "macro_commands.h")
    with open(path, encoding="utf-8") as file:
        text = file.read().replace("\\\n", " ")
    start = text.index("#define MACRO_COMMAND_TABLE(X)")
    return [(name, english, polish) for _, name, english, polish in ROW.findall(text[start:])]


def guide_rows(path, header):
    """[(name, description)] of the guide's command table: the rows below the
    line starting with `header`, up to the first line that is no row."""
    rows, inside = [], False
    with open(path, encoding="utf-8") as file:
        for line in file:
            line = line.rstrip("\n")
            if line.startswith(header):
                inside = True
                continue
            if not inside:
                continue
            if line.startswith("|---"):
                continue
            match = GUIDE_ROW.match(line)
            if not match:
                break
            rows.append((match.group(1), match.group(2)))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    source = parser.parse_args().source
    table = command_table(source)
    problems = []
    if len(table) != 6:
        problems.append(f"macro_commands.h: {len(table)} commands read, 6 expected")

    guides = [("docs/user-guide.md", "| Command |", 1), ("docs/przewodnik.md", "| Polecenie |", 2)]
    for guide, header, column in guides:
        rows = guide_rows(os.path.join(source, guide), header)
        names = [name for name, _ in rows]
        wanted = [row[0] for row in table]
        if names != wanted:
            problems.append(f"{guide}: commands {names}, the table has {wanted}")
        for (name, text), row in zip(rows, table):
            if name == row[0] and not text.startswith(row[column]):
                problems.append(f"{guide}: [{name}] should begin with {row[column]!r}, reads {text!r}")

    with open(os.path.join(source, "README.md"), encoding="utf-8") as file:
        readme = " ".join(file.read().split())
    for name, english, _ in table:
        if f"`[{name}]` ({english})" not in readme:
            problems.append(f"README.md: lacks `[{name}]` ({english})")

    for problem in problems:
        print(problem)
    print(f"{len(table)} commands, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
