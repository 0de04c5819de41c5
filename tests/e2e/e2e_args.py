"""What every end-to-end script of this folder is told: the build folder
(--build) and the source tree (--source, this checkout unless told)."""
import argparse
import os


def parser():
    """The scripts' parser, to which a script adds its own options."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", default=os.path.join(os.path.dirname(__file__), "..", ".."))
    return parser


def folders(args):
    """The build folder and the source tree, as absolute paths."""
    return os.path.abspath(args.build), os.path.abspath(args.source)
