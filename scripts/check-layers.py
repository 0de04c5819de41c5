#!/usr/bin/env python3
"""Fails when an include points up a layer.

The plug-in's folders are layers (plugin/CMakeLists.txt draws them): a file
may include headers of its own folder and of lower layers only.  Around the
plug-in, the stand-in host reaches only the host contract, and nothing but
tests includes a test's header.

    scripts/check-layers.py [ROOT]      exit 0 clean, 1 with one line per fault
"""
import pathlib
import re
import sys

# Layer of each plug-in folder, from the bottom.  Folders of one layer do not
# include each other.
PLUGIN_LAYERS = {
    "contract": 0,
    "platform": 1,
    "state": 1,
    "binding": 2,
    "player": 3,
    "diagnostics": 3,
    "start": 4,
    "entry": 5,
}

# The recorder, a second plug-in: its own folders are layers above the
# plug-in's shared ones, which it may include; never the player's own.
RECORDER_LAYERS = {"writer": 0, "start": 1, "entry": 2}
RECORDER_SHARES = ("contract", "platform", "state", "binding", "diagnostics", "player")

# What the code outside the plug-in may include, by the first folder of the
# including file; None means anything of the project.
OUTSIDE = {
    "host": ("host/", "plugin/contract/"),
    "recorder": ("recorder/", "plugin/"),
    "sim": ("sim/", "plugin/", "host/"),
    "tools": ("tools/", "plugin/", "host/", "sim/"),
    "fuzz": None,
    "bench": None,
    "tests": None,
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCES = (".h", ".hpp", ".c", ".cc", ".cpp")


def plugin_fault(source, target):
    src_folder = source.parts[1]
    if not target.startswith("plugin/"):
        return "the plug-in includes something outside plugin/"
    dst_folder = target.split("/")[1]
    if dst_folder not in PLUGIN_LAYERS:
        return f"unknown plug-in folder {dst_folder}/ (add it to the layer table)"
    if dst_folder == src_folder:
        return None
    if PLUGIN_LAYERS[dst_folder] >= PLUGIN_LAYERS[src_folder]:
        return f"{src_folder}/ (layer {PLUGIN_LAYERS[src_folder]}) includes {dst_folder}/ (layer {PLUGIN_LAYERS[dst_folder]})"
    return None


def recorder_fault(source, target):
    if target.startswith("plugin/"):
        if target.split("/")[1] in RECORDER_SHARES:
            return None
        return "the recorder includes a folder of the player's own"
    if not target.startswith("recorder/"):
        return outside_fault(source, target)
    src, dst = source.parts[1], target.split("/")[1]
    if dst not in RECORDER_LAYERS or src not in RECORDER_LAYERS:
        return f"unknown recorder folder (add it to the recorder's layer table)"
    if dst != src and RECORDER_LAYERS[dst] >= RECORDER_LAYERS[src]:
        return f"recorder {src}/ (layer {RECORDER_LAYERS[src]}) includes {dst}/ (layer {RECORDER_LAYERS[dst]})"
    return None


def outside_fault(source, target):
    allowed = OUTSIDE.get(source.parts[0], ())
    if allowed is None or not re.match(r"(plugin|recorder|host|sim|tools|tests|fuzz|bench)/", target):
        return None
    if any(target.startswith(prefix) for prefix in allowed):
        return None
    return f"{source.parts[0]}/ may include only {', '.join(allowed)}"


def faults(root):
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if path.suffix not in SOURCES or rel.parts[0] in ("build", ".git"):
            continue
        for target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if rel.parts[0] == "plugin" and len(rel.parts) > 2:
                fault = plugin_fault(rel, target)
            elif rel.parts[0] == "recorder" and len(rel.parts) > 2:
                fault = recorder_fault(rel, target)
            else:
                fault = outside_fault(rel, target)
            if fault:
                yield f"{rel}: #include \"{target}\": {fault}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    found = list(faults(root.resolve()))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layers")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
