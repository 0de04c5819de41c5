#!/usr/bin/env python3
"""The layer check finds each kind of include against the layers, and only those."""
import pathlib
import subprocess
import sys
import tempfile

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

# (file, include, fault expected)
CASES = [
    ("plugin/player/a.cpp", "plugin/player/b.h", False),       # own folder
    ("plugin/player/a.cpp", "plugin/state/player_state.h", False),
    ("plugin/start/a.cpp", "plugin/player/macro_files.h", False),
    ("plugin/entry/a.cpp", "plugin/start/start_form.h", False),
    ("plugin/player/a.cpp", "plugin/start/start_form.h", True),  # up a layer
    ("plugin/player/a.cpp", "plugin/diagnostics/x.h", True),    # beside, same layer
    ("plugin/contract/a.h", "plugin/state/player_state.h", True),
    ("plugin/binding/a.cpp", "plugin/entry/exports.h", True),
    ("plugin/player/a.cpp", "tests/plugin/fake_host.h", True),   # out of the plug-in
    ("plugin/player/a.cpp", "plugin/newfolder/x.h", True),      # not in the table
    ("host/app/a.cpp", "plugin/contract/host_api.h", False),
    ("host/app/a.cpp", "plugin/player/key_names.h", True),
    ("tools/check/a.cpp", "plugin/player/key_names.h", False),
    ("tools/check/a.cpp", "tests/plugin/fake_host.h", True),
    ("tests/plugin/a.cpp", "plugin/entry/exports.h", False),
    # The recorder: its own layers over the plug-in's shared folders.
    ("recorder/entry/a.cpp", "recorder/writer/key_writer.h", False),
    ("recorder/writer/a.cpp", "plugin/contract/host_api.h", False),
    ("recorder/writer/a.cpp", "recorder/entry/b.h", True),     # up a layer
    ("recorder/entry/a.cpp", "plugin/entry/exports.h", True),  # the player's own
    ("recorder/entry/a.cpp", "tests/plugin/fake_host.h", True),
    ("plugin/player/a.cpp", "recorder/writer/key_writer.h", True),
    ("host/app/a.cpp", "recorder/writer/key_writer.h", True),
]


def check(file, include):
    with tempfile.TemporaryDirectory() as root:
        path = pathlib.Path(root, file)
        path.parent.mkdir(parents=True)
        path.write_text(f'#include <stdint.h>\n#include "{include}"\n')
        return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def main():
    failures = 0
    for file, include, expect_fault in CASES:
        result = check(file, include)
        if (result.returncode != 0) != expect_fault or (expect_fault and file not in result.stdout):
            failures += 1
            print(f"FAIL {file} -> {include}: exit {result.returncode}, {result.stdout.strip()!r}")
    print(f"{len(CASES) - failures}/{len(CASES)} cases right")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
