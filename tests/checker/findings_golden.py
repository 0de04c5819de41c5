"""The checker's findings compared as structured results with golden ones:
for every macro of tests/checker/data, examples/ and a set of generated big
or odd macros, each finding's id and place (line, column), the summary's
counts, the dry run's items (kind, place, pass, code, name) and a digest of
the log the player would write.  Messages are left out: they are worded
elsewhere.

  findings_golden.py --tool T --source DIR --work DIR [--make]

With --make the golden file (tests/checker/golden/findings.json) is written
from the tool given; otherwise the tool's results must equal it.
"""
import argparse
import hashlib
import json
import os
import subprocess
import sys

LOG_START = "2026-01-05 08:00:00"


def generated(work):
    """The generated macros: name -> bytes, made the same way every time."""
    merged = "Firma Zażółć Sp. z o.o.[TAB]ul. Długa 12[TAB]00-950 Warszawa[ENTER]\r\n".encode()
    big = bytearray()
    for n in range(40000):
        if n in (999, 20000):
            big += b"Kowalski[enter][TABB]\r\n"
        elif n == 30000:
            big += b"x" * 400 + b"[Tab] \x01[ENT\r\nER]\r\n"
        else:
            big += merged
    shapes = {
        "brackets-closed.txt": b"[" * 3000 + b"]",
        "brackets-line.txt": b"[" * 3000 + b"\r\n]abc",
        "brackets-open.txt": b"[" * 3000,
        "brackets-words.txt": (b"[[[ENTER]x[" * 500) + b"]",
        "long-line.txt": b"a" * 200000 + b"[enter]" + b"b" * 100 + b"[TAB][Tabx]",
        "long-words.txt": b"[ABCDEFGHIJKLMNOPQRSTUVWXYZ] [ABCDEFGHIJKLMNOPQRSTU\r\nVW] "
                          b"[ABCDEFGHIJKLMNOPQRSTUVWXYZ",
        "spans.txt": b"ab[ENT\nER]cd\r\n[TAB\r\n]x[ENTER\n",
        "restart.txt": b"Tekst[WAITENTER]\r\n[delay]\r\n[RESTART]\r\n\r\nnever[ENTER]\r\n",
        "endless.txt": b"\xef\xbb\xbfA[TAB][RESTART]   [TAB]",
        "sf11.txt": b"[SF11]ab[SF11]\r\n[HALT][WAIT][RESTART]",
        "controls.txt": b"a\x01b\x7f\tc\xef\xbb\xbfd\r\n\x1b[ENTER]",
        "utf8-word.txt": "[zażółć][Zażółć gęślą]\r\n".encode(),
        "cp1250-deep.txt": b"abc\r\n" * 10000 + "Zażółć gęślą jaźń\r\n".encode("cp1250"),
        "cp852.txt": b"x\r\n" * 500 + "Dąbrowa Żółw Łódź\r\n".encode("cp852"),
        "empty.txt": b"",
        "only-breaks.txt": b"\r\n\r\n\n",
        "merged-big.txt": bytes(big),
    }
    paths = []
    os.makedirs(work, exist_ok=True)
    for name, data in sorted(shapes.items()):
        path = os.path.join(work, name)
        with open(path, "wb") as out:
            out.write(data)
        paths.append(path)
    return paths


def findings(tool, keys, macro, work):
    """The structured result of one macro."""
    log = os.path.join(work, "golden.log")
    if os.path.exists(log):
        os.remove(log)
    check = subprocess.run([tool, "--lang", "en", "--json", "--keys", keys, "--log", log,
                            "--log-start", LOG_START, macro], capture_output=True)
    report = json.loads(check.stdout.decode())
    dry = subprocess.run([tool, "--lang", "en", "--json", "--dry-run", "--keys", keys, macro],
                         capture_output=True)
    stream = json.loads(dry.stdout.decode())["macros"][0].get("stream", [])
    result = {"exit": check.returncode}
    m = report["macros"][0]
    result["diagnostics"] = [[d["id"], d["line"], d["column"], d["severity"]]
                             for d in m["diagnostics"]]
    result["keys"] = [[d["id"], d["line"], d["column"], d.get("summarized", False)]
                      for d in report["keys"]["diagnostics"]]
    result["summary"] = m.get("summary", {})
    items = [[s["kind"], s["line"], s["column"], s["pass"], s.get("code"), s.get("name")]
             for s in stream]
    # Long streams are kept as a digest with their length.
    if len(items) > 200:
        items = {"items": len(items),
                 "sha256": hashlib.sha256(json.dumps(items).encode()).hexdigest()}
    result["stream"] = items
    with open(log, "rb") as f:
        result["log"] = hashlib.sha256(f.read()).hexdigest() if os.path.exists(log) else None
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--make", action="store_true")
    args = parser.parse_args()
    src = args.source
    test_keys = os.path.join(src, "tests", "data", "keys.h")
    shipped_keys = os.path.join(src, "host", "app", "wtyczki", "keys.h")
    cases = []
    data = os.path.join(src, "tests", "checker", "data")
    for name in sorted(os.listdir(data)):
        cases.append(("data/" + name, os.path.join(data, name), test_keys))
    examples = os.path.join(src, "examples")
    for name in sorted(os.listdir(examples)):
        if name.endswith(".txt"):
            cases.append(("examples/" + name, os.path.join(examples, name), shipped_keys))
    for path in generated(args.work):
        cases.append(("generated/" + os.path.basename(path), path, test_keys))

    results = {label: findings(args.tool, keys, path, args.work) for label, path, keys in cases}
    golden = os.path.join(src, "tests", "checker", "golden", "findings.json")
    if args.make:
        os.makedirs(os.path.dirname(golden), exist_ok=True)
        with open(golden, "w") as out:
            json.dump(results, out, indent=1, sort_keys=True)
            out.write("\n")
        return 0
    with open(golden) as f:
        expected = json.load(f)
    failed = 0
    for label in sorted(set(expected) | set(results)):
        if expected.get(label) != results.get(label):
            failed += 1
            print(f"{label}: differs from the golden result", file=sys.stderr)
            want, got = expected.get(label) or {}, results.get(label) or {}
            for key in sorted(set(want) | set(got)):
                if want.get(key) != got.get(key):
                    print(f"  {key}: golden {json.dumps(want.get(key))[:400]}\n"
                          f"  {' ' * len(key)}  now    {json.dumps(got.get(key))[:400]}",
                          file=sys.stderr)
    print(f"{len(results)} macros, {failed} differ")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
