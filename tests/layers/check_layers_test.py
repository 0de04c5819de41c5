#!/usr/bin/env python3
"""The layer check finds each kind of include against the layers, and only those."""
import pathlib
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "scripts" / "check-layers.py"

# (file, include, fault expected)
CASES = [
    ("player/playback/a.cpp", "player/playback/b.h", False),   # own folder
    ("player/playback/a.cpp", "plugin/keys/key_names.h", False),  # a plug-in uses the shared layers
    ("player/playback/a.cpp", "plugin/binding/host_calls.h", False),
    ("player/start/a.cpp", "player/playback/macro_files.h", False),
    ("player/entry/a.cpp", "player/start/start_form.h", False),
    ("player/playback/a.cpp", "player/start/start_form.h", True),  # up a layer
    ("plugin/keys/a.cpp", "plugin/settings/x.h", True),         # beside, same layer
    ("plugin/contract/a.h", "plugin/identity/plugin_identity.h", True),
    ("plugin/binding/a.cpp", "plugin/handshake/handshake.h", True),
    ("plugin/handshake/a.cpp", "player/entry/key_filter.h", True),  # shared uses a plug-in's
    ("plugin/keys/a.cpp", "player/playback/player_texts.h", True),
    ("recorder/a/b.cpp", "player/playback/playback.h", True),   # one plug-in into another's
    ("recorder/a/b.cpp", "plugin/keys/key_names.h", True),      # a folder layers.txt lacks
    ("recorder/entry/a.cpp", "recorder/writer/key_writer.h", False),  # the recorder's own layers
    ("recorder/writer/a.cpp", "plugin/keys/key_names.h", False),
    ("recorder/writer/a.cpp", "recorder/session/recording.h", True),     # up a layer
    ("recorder/session/a.cpp", "player/start/settings.h", True),        # the player's own
    ("player/playback/a.cpp", "tests/plugin/fake_host.h", True),  # out of the plug-ins
    ("player/playback/a.cpp", "player/newfolder/x.h", True),    # not in the table
    ("host/app/a.cpp", "plugin/contract/host_api.h", False),
    ("host/app/a.cpp", "plugin/keys/key_names.h", True),
    ("host/app/a.cpp", "player/playback/playback.h", True),
    ("tools/cmd/check/a.cpp", "plugin/keys/key_names.h", False),
    ("tools/cmd/check/a.cpp", "player/playback/playback.h", False),
    ("tools/cmd/check/a.cpp", "tests/plugin/fake_host.h", True),
    ("sim/a.cpp", "player/playback/playback.h", True),
    ("sim/a.cpp", "host/exports/host_backend.h", False),        # the host's layers below it
    ("host/app/core/a.cpp", "sim/sim_files.h", True),
    ("tools/merger/a.cpp", "tools/checker/checker.h", False),  # the tools' libraries
    ("tools/checker/a.cpp", "tools/merger/merger.h", True),    # up a layer
    ("tools/cmd/check/a.cpp", "tools/cmd/merge/merge_command.h", True), # one command into the other
    ("tools/table/a.cpp", "tools/checker/checker.h", True),     # beside, same layer
    ("tools/codec/a.cpp", "sim/sim_files.h", False),
    ("tools/newlib/a.cpp", "tools/codec/code_pages.h", True),   # a folder layers.txt lacks
    ("tests/plugin/a.cpp", "plugin/handshake/handshake.h", False),
]

# A plug-in of its own beside the player: its folders, written into the
# temporary tree's layers.txt, may use the shared ones but not the player's.
RECORDER_ROWS = "  5      recorder/capture    a second plug-in's layer\n"
RECORDER_CASES = [
    ("recorder/capture/a.cpp", "plugin/keys/key_names.h", False),
    ("recorder/capture/a.cpp", "player/playback/playback.h", True),
    ("player/entry/a.cpp", "recorder/capture/x.h", True),
    ("plugin/handshake/a.cpp", "recorder/capture/x.h", True),
]


def check(file, include, extra_rows=None):
    with tempfile.TemporaryDirectory() as root:
        if extra_rows is not None:
            table = (ROOT / "layers.txt").read_text(encoding="utf-8") + extra_rows
            pathlib.Path(root, "layers.txt").write_text(table, encoding="utf-8")
        path = pathlib.Path(root, file)
        path.parent.mkdir(parents=True)
        path.write_text(f'#include <stdint.h>\n#include "{include}"\n')
        return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def docs_show_table():
    """docs/architecture.md shows every row of layers.txt as it stands."""
    rows = subprocess.run([sys.executable, SCRIPT, "--print"], capture_output=True, text=True,
                          check=True).stdout.splitlines()
    docs = (ROOT / "docs" / "architecture.md").read_text(encoding="utf-8")
    missing = [row for row in rows if row not in docs]
    for row in missing:
        print(f"FAIL docs/architecture.md lacks the layers.txt row {row!r}")
    return bool(rows) and not missing


# (folders in the tree, the README's layout block, fault expected): the
# layouts name every folder of tools/ and of tests/ (one deep), and no other.
LAYOUT = """tools/        the tools
  reader/       the one reader
  cmd/          the commands
    check/        tastiro-check
tests/        the tests
  reader/       its tests
bench/ fuzz/  benchmarks
"""
LAYOUT_CASES = [
    (["tools/reader", "tools/cmd/check", "tests/reader"], LAYOUT, False),
    (["tools/reader", "tools/cmd/check", "tests/reader", "tests/reader/data"], LAYOUT, False),
    (["tools/reader", "tools/cmd/check", "tests/reader", "tools/writer"], LAYOUT, True),   # missing
    (["tools/reader", "tools/cmd/check", "tests/reader", "tests/writer"], LAYOUT, True),   # missing test
    (["tools/reader", "tools/cmd/check"], LAYOUT, True),                                  # stale
    (["tools/reader", "tools/cmd/merge", "tests/reader"], LAYOUT, True),                  # renamed
    (["tools/reader", "tools/cmd/check", "tests/reader"],
     LAYOUT.replace("    check/", "  check/"), True),                                     # wrong parent
]


def check_layout(folders, layout):
    with tempfile.TemporaryDirectory() as root:
        for folder in folders:
            pathlib.Path(root, folder).mkdir(parents=True)
        pathlib.Path(root, "README.md").write_text(f"# x\n\n```\n{layout}```\n", encoding="utf-8")
        return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def main():
    failures = 0
    for folders, layout, expect_fault in LAYOUT_CASES:
        result = check_layout(folders, layout)
        if (result.returncode != 0) != expect_fault or (expect_fault and "README.md" not in result.stdout):
            failures += 1
            print(f"FAIL layout {folders}: exit {result.returncode}, {result.stdout.strip()!r}")
    cases = [(c, None) for c in CASES] + [(c, RECORDER_ROWS) for c in RECORDER_CASES]
    for (file, include, expect_fault), rows in cases:
        result = check(file, include, rows)
        if (result.returncode != 0) != expect_fault or (expect_fault and file not in result.stdout):
            failures += 1
            print(f"FAIL {file} -> {include}: exit {result.returncode}, {result.stdout.strip()!r}")
    print(f"{len(cases) - failures}/{len(cases)} cases right")
    if not docs_show_table():
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
