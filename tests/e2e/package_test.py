#!/usr/bin/env python3
"""`make package` as a host user meets it: the ZIP unpacked over a host's
folder that already holds the user's own files.

    package_test.py --build BUILD_DIR --cpack CPACK

Builds the package into a folder of its own, unpacks it over a host folder
with its own wtyczki\\keys.h, macros named like the examples, logs and
settings, and checks that every one of them is byte for byte as it was, and
that the plug-in, the checker, the install note and both guides are there.
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import zipfile

USER_FILES = {
    "VOLMAR.exe": b"MZ the user's own program",
    "VOLMAR.ini": b"[MacroFormFile]\r\nPytaj=1\r\nFile=powitanie.txt\r\nDelay=250\r\n",
    "wtyczki/keys.h": b"#define ENTER 13\r\n#define MOJ_KLAWISZ 0x3B00\r\n",
    "wtyczki/inna.dll": b"another plug-in",
    "powitanie.txt": b"Moje powitanie.[ENTER]",
    "powitanie.log": b"2001-02-03=04:05:06 {CHAR: M}\r\n",
    "nagranie1.txt": b"my own recording[ENTER]",
    "keys.h": b"a keys.h the user keeps beside the program",
    "przyklady/powitanie.txt": b"the user's own folder of examples",
    "user-guide.md": b"the user's own notes",
}
GUIDES = ["przewodnik.md", "user-guide.md",
          "tastiro-check-instrukcja.md", "tastiro-check-manual.md",
          "tastiro-merge-instrukcja.md", "tastiro-merge-manual.md"]
# What a host user's documents must not talk about.
BUILDING = re.compile(r"\bmake\b|cmake|\bWine\b|build/|\bLinux\b|MinGW|ctest", re.I)


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def build_package(build, cpack, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    done = subprocess.run([cpack, "-G", "ZIP", "-B", out, "--config",
                           os.path.join(build, "CPackConfig.cmake")],
                          capture_output=True, text=True, timeout=300)
    expect(done.returncode == 0, "cpack failed:\n%s%s" % (done.stdout, done.stderr))
    zips = glob.glob(os.path.join(out, "*.zip"))
    expect(len(zips) == 1, "expected one ZIP, found %r" % zips)
    return zips[0]


def check(build, cpack):
    work = os.path.join(build, "e2e", "package")
    package = build_package(build, cpack, os.path.join(work, "out"))
    host = os.path.join(work, "host")
    shutil.rmtree(host, ignore_errors=True)
    for name, data in USER_FILES.items():
        os.makedirs(os.path.dirname(os.path.join(host, name)), exist_ok=True)
        with open(os.path.join(host, name), "wb") as file:
            file.write(data)

    with zipfile.ZipFile(package) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
        archive.extractall(host)  # replaces whatever it meets, as unpackers may
    folders = {name.split("/")[0] for name in names if "/" in name} - {"wtyczki"}
    expect(len(folders) == 1, "the package spreads over %r" % folders)
    folder = folders.pop()
    note = folder + "-instalacja.md"

    for name, data in USER_FILES.items():
        with open(os.path.join(host, name), "rb") as file:
            expect(file.read() == data, "the user's %s was replaced" % name)
    outside = sorted(name for name in names if not name.startswith(folder + "/"))
    expect(outside == [note, "wtyczki/tastiromatika.dll", "wtyczki/zapis-klawiszy.dll"],
           "files outside %s/: %r" % (folder, outside))
    for name in ["wtyczki/tastiromatika.dll", "wtyczki/zapis-klawiszy.dll", note, folder + "/tastiro-check.exe",
                 folder + "/keys.h", folder + "/przyklady/powitanie.txt"] + \
            [folder + "/" + guide for guide in GUIDES]:
        expect(os.path.isfile(os.path.join(host, name)), "%s is not in place" % name)

    for name in [note] + [folder + "/" + guide for guide in GUIDES]:
        with open(os.path.join(host, name), encoding="utf-8") as file:
            text = file.read()
        expect(folder in text, "%s does not name the folder %s" % (name, folder))
        found = BUILDING.search(text)
        expect(found is None, "%s talks about building: %r" % (name, found and found.group(0)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--cpack", default="cpack")
    args = parser.parse_args()
    try:
        check(os.path.abspath(args.build), args.cpack)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    print("passed: the package unpacked over a host's own files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
