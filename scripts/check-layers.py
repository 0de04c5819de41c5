#!/usr/bin/env python3
"""Fails when an include points up a layer.

The plug-ins' and the tools' folders are layers, written once in layers.txt
at the top of the tree: a file may include headers of its own folder and of
lower layers only.  plugin/ holds the shared lower layers; a plug-in's own
top-level folder (player/, recorder/) may use them and its own, never
another plug-in's, and the shared layers never use a plug-in's.  The
stand-in host reaches only itself and the host contract; the simulated host
(sim/) and the host's core, which the tools build on, stand in the table
below the tools; nothing but tests includes a test's header.

    scripts/check-layers.py [ROOT]      exit 0 clean, 1 with one line per fault
    scripts/check-layers.py --print     the layer table as layers.txt gives it

It also holds the docs to the tree: the layout drawn in README.md and in
docs/architecture.md (the first fenced block that shows tools/) names every
folder of tools/ and every folder directly under tests/, and no folder there
that is gone.

The table is read from layers.txt beside ROOT's scripts/ when ROOT has one,
else from this script's own tree.
"""
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent.parent

# The folder of the shared lower layers of the plug-ins.
SHARED = "plugin"
# Plug-in folders that layers.txt does not list yet: known, so that their
# files are checked, with no layer of their own until they are written down.
RESERVED_PLUGINS = ("recorder",)

# What each top-level folder may include at all, before any layer is
# compared; None means anything of the project.  A plug-in's own folder
# (player/, recorder/, any other first folder layers.txt names) may use the
# shared layers and its own.
REACH = {
    "plugin": ("plugin/",),
    "host": ("host/", "plugin/contract/"),
    "sim": ("sim/", "plugin/", "host/"),
    "tools": ("tools/", "plugin/", "player/", "host/", "sim/"),
    "fuzz": None,
    "bench": None,
    "tests": None,
}
# First folders whose every subfolder must stand in layers.txt: the
# plug-ins' and the tools'.  host/ and sim/ list the folders the tools and
# the simulated host build on; their other folders are held by REACH alone.
LAYERED = ("plugin", "tools")

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
    """The plug-ins' own first folders: every first folder of the table that
    is not the shared one, the host's, the simulated host's or the tools'."""
    roots = {folder.split("/")[0] for folder in layers} | set(RESERVED_PLUGINS)
    return roots - set(REACH)


def reach(layers, root):
    if root in plugin_roots(layers):
        return (SHARED + "/", root + "/")
    return REACH.get(root, ())


def folder_of(layers, parts):
    """The longest folder of the table that holds the path's folder, or None."""
    for n in range(len(parts) - 1, 0, -1):
        folder = "/".join(parts[:n])
        if folder in layers:
            return folder
    return None


def must_be_listed(layers, parts):
    root = parts[0]
    return len(parts) > 2 and (root in LAYERED or root in plugin_roots(layers))


def layer_fault(layers, source, target):
    """The fault of an include between two folders of the table, or None."""
    src_parts, dst_parts = source.parts, tuple(target.split("/"))
    src, dst = folder_of(layers, src_parts), folder_of(layers, dst_parts)
    if src is None and must_be_listed(layers, src_parts):
        return f"unknown folder {'/'.join(src_parts[:2])}/ (add it to layers.txt)"
    if dst is None and must_be_listed(layers, dst_parts):
        return f"unknown folder {'/'.join(dst_parts[:2])}/ (add it to layers.txt)"
    if src is None or dst is None or src == dst:
        return None
    if layers[dst] >= layers[src]:
        return f"{src}/ (layer {layers[src]}) includes {dst}/ (layer {layers[dst]})"
    return None


def reach_fault(layers, source, target):
    root = source.parts[0]
    allowed = reach(layers, root)
    if allowed is None or not PROJECT.match(target):
        return None
    if any(target.startswith(prefix) for prefix in allowed):
        return None
    dst_root = target.split("/")[0]
    if root == SHARED and dst_root in plugin_roots(layers):
        return f"the shared {'/'.join(source.parts[:2])}/ includes {dst_root}/ of a plug-in"
    if root in plugin_roots(layers) and dst_root in plugin_roots(layers):
        return f"{'/'.join(source.parts[:2])}/ includes {dst_root}/ of another plug-in"
    return f"{root}/ may include only {', '.join(allowed) or 'nothing of the project'}"


def faults(root, layers):
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if path.suffix not in SOURCES or rel.parts[0] in ("build", ".git"):
            continue
        for target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            fault = reach_fault(layers, rel, target)
            if fault is None and PROJECT.match(target):
                fault = layer_fault(layers, rel, target)
            if fault:
                yield f"{rel}: #include \"{target}\": {fault}"


# A layout line: its indent, then one or more folder names each ending in
# "/", then two blanks or the line's end ("  reader/       the one reader").
LAYOUT_LINE = re.compile(r"^( *)((?:[\w.-]+/ )*[\w.-]+/)(?:  |$)")
# The folders the layouts must show: all of tools/, tests/ one level deep.
LAYOUT_ROOTS = {"tools": None, "tests": 1}
LAYOUT_DOCS = ("README.md", "docs/architecture.md")


def layout_folders(text):
    """The folders a doc's layout block names, as paths ("tools/cmd/check")."""
    blocks = re.findall(r"^```[^\n]*\n(.*?)^```", text, re.M | re.S)
    block = next((b for b in blocks if re.search(r"^tools/", b, re.M)), "")
    stack, found = [], set()
    for line in block.splitlines():
        match = LAYOUT_LINE.match(line)
        if not match:
            continue
        indent = len(match.group(1))
        while stack and stack[-1][0] >= indent:
            stack.pop()
        names = [name.rstrip("/") for name in match.group(2).split()]
        parent = stack[-1][1] + "/" if stack else ""
        for name in names:
            found.add(parent + name)
        if len(names) == 1:
            stack.append((indent, parent + names[0]))
    return found


def tree_folders(root):
    """The folders of LAYOUT_ROOTS that stand in the tree."""
    found = set()
    for top, depth in LAYOUT_ROOTS.items():
        base = root / top
        if not base.is_dir():
            continue
        for path in base.rglob("*"):
            rel = path.relative_to(root)
            if path.is_dir() and not path.name.startswith((".", "__")) and (depth is None or len(rel.parts) - 1 <= depth):
                found.add(rel.as_posix())
    return found


def layout_faults(root):
    actual = tree_folders(root)
    for doc in LAYOUT_DOCS:
        path = root / doc
        if not path.exists():
            continue
        shown = {f for f in layout_folders(path.read_text(encoding="utf-8"))
                 if f.split("/")[0] in LAYOUT_ROOTS and "/" in f}
        for folder in sorted(actual - shown):
            yield f"{doc}: the layout lacks {folder}/"
        for folder in sorted(shown - actual):
            yield f"{doc}: the layout shows {folder}/, which the tree lacks"


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
    stale = list(layout_faults(root))
    for line in stale:
        print(line)
    return 1 if found or stale else 0


if __name__ == "__main__":
    sys.exit(main())
