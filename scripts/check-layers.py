#!/usr/bin/env python3
"""Fails when an include points up a layer.

The plug-ins' folders are layers, written once in layers.txt at the top of
the tree: a file may include headers of its own folder and of lower layers
only.  plugin/ holds the shared lower layers; a plug-in's own top-level
folder (player/, recorder/) may use them and its own, never another
plug-in's, and the shared layers never use a plug-in's.  Around the
plug-ins, the stand-in host reaches only the host contract, and nothing but
tests includes a test's header.

    scripts/check-layers.py [ROOT]      exit 0 clean, 1 with one line per fault
    scripts/check-layers.py --print     the layer table as layers.txt gives it

The table is read from layers.txt beside ROOT's scripts/ when ROOT has one,
else from this script's own tree.
"""
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent.parent

# The folder of the shared lower layers; every other first folder named in
# layers.txt is a plug-in's own.
SHARED = "plugin"
# Plug-in folders that layers.txt does not list yet: known, so that their
# files are checked, with no layer of their own until they are written down.
RESERVED_PLUGINS = ("recorder",)

# What the code outside the plug-ins may include, by the first folder of the
# including file; None means anything of the project.
OUTSIDE = {
    "host": ("host/", "plugin/contract/"),
    "sim": ("sim/", "plugin/", "host/"),
    "tools": ("tools/", "plugin/", "player/", "host/", "sim/"),
    "fuzz": None,
    "bench": None,
    "tests": None,
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCES = (".h", ".hpp", ".c", ".cc", ".cpp")
PROJECT = re.compile(r"(plugin|player|recorder|host|sim|tools|tests|fuzz|bench)/")


def read_layers(path):
    """{"plugin/contract": 0, ...} from the table's rows "number folder text"."""
    layers = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.split(None, 2)
        if not fields or fields[0].startswith("#"):
            continue
        layers[fields[1]] = int(fields[0])
    return layers


def table_rows(path):
    """The table's rows as they stand in the file, comments left out."""
    return [line for line in path.read_text(encoding="utf-8").splitlines()
            if line.strip() and not line.lstrip().startswith("#")]


def plugin_roots(layers):
    return {folder.split("/")[0] for folder in layers} | set(RESERVED_PLUGINS)


def plugin_fault(layers, source, target):
    src = "/".join(source.parts[:2])
    dst = "/".join(target.split("/")[:2])
    src_root, dst_root = source.parts[0], dst.split("/")[0]
    if dst_root not in plugin_roots(layers):
        return f"{src_root}/ includes something outside the plug-ins' folders"
    if src not in layers:
        return f"unknown plug-in folder {src}/ (add it to layers.txt)"
    if dst not in layers:
        return f"unknown plug-in folder {dst}/ (add it to layers.txt)"
    if dst == src:
        return None
    if dst_root != src_root and dst_root != SHARED:
        if src_root == SHARED:
            return f"the shared {src}/ includes {dst}/ of a plug-in"
        return f"{src}/ includes {dst}/ of another plug-in"
    if layers[dst] >= layers[src]:
        return f"{src}/ (layer {layers[src]}) includes {dst}/ (layer {layers[dst]})"
    return None


def outside_fault(source, target):
    allowed = OUTSIDE.get(source.parts[0], ())
    if allowed is None or not PROJECT.match(target):
        return None
    if any(target.startswith(prefix) for prefix in allowed):
        return None
    return f"{source.parts[0]}/ may include only {', '.join(allowed)}"


def faults(root, layers):
    roots = plugin_roots(layers)
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if path.suffix not in SOURCES or rel.parts[0] in ("build", ".git"):
            continue
        for target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if rel.parts[0] in roots and len(rel.parts) > 2:
                fault = plugin_fault(layers, rel, target)
            else:
                fault = outside_fault(rel, target)
            if fault:
                yield f"{rel}: #include \"{target}\": {fault}"


def main():
    args = sys.argv[1:]
    table = HERE / "layers.txt"
    if args == ["--print"]:
        print("\n".join(table_rows(table)))
        return 0
    root = pathlib.Path(args[0] if args else HERE).resolve()
    if (root / "layers.txt").exists():
        table = root / "layers.txt"
    found = list(faults(root, read_layers(table)))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layers")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
