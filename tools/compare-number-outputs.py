#!/usr/bin/env python3
"""Runs two builds of orva-import over the same files in every format and display unit and checks
that their outputs differ in the digits of numbers at most: the text between numbers is the same,
and each number that changed reads back as the same double and keeps its layout (fixed or with an
exponent). Prints how many numbers changed in each output; exits 1 on any other difference.

    tools/compare-number-outputs.py OLD-PROGRAM NEW-PROGRAM FILE...
"""
import json
import os
import re
import subprocess
import sys
import tempfile

NUMBER = re.compile(r"-?\d+(?:\.\d+)?(?:[eE][+-]?\d+)?")
RUNS = [[]] + [["--angles", a, "--lengths", l] for a in ("rad", "deg", "gon", "dms")
               for l in ("m", "ft", "usft")]


def outputs(program, files, options, fmt):
    """The texts a run writes, by name."""
    if fmt == "csv":
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([program, "--format", "csv", "--output", out] + options + files,
                           capture_output=True)
            return {name: open(os.path.join(out, name), encoding="utf-8").read()
                    for name in sorted(os.listdir(out))}
    run = subprocess.run([program] + fmt + options + files, capture_output=True)
    return {"stdout": run.stdout.decode("utf-8"), "stderr": run.stderr.decode("utf-8")}


def compare(old, new, where):
    """The count of numbers whose digits changed; raises on any other difference."""
    old_parts, new_parts = NUMBER.split(old), NUMBER.split(new)
    old_numbers, new_numbers = NUMBER.findall(old), NUMBER.findall(new)
    if old_parts != new_parts or len(old_numbers) != len(new_numbers):
        raise SystemExit(f"{where}: differs in more than numbers")
    changed = 0
    for a, b in zip(old_numbers, new_numbers):
        if a == b:
            continue
        if float(a) != float(b) or ("e" in a) != ("e" in b) or (("." in a) != ("." in b)):
            raise SystemExit(f"{where}: {a} became {b}")
        changed += 1
    return changed


def main():
    old_program, new_program, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = False
    for fmt in ([], ["--format", "geojson"], "csv", ["info", "--format", "json"]):
        for options in RUNS if fmt != ["info", "--format", "json"] else [[]]:
            old = outputs(old_program, files, options, fmt)
            new = outputs(new_program, files, options, fmt)
            for name in old:
                where = f"{' '.join(fmt) if fmt != 'csv' else 'csv'} {' '.join(options)} {name}"
                if name == "stdout" and fmt != "csv":
                    json.loads(new[name])
                try:
                    changed = compare(old[name], new[name], where)
                except SystemExit as error:
                    print(error)
                    failed = True
                    continue
                if changed:
                    print(f"{where}: {changed} numbers changed")
    print("failed" if failed else "only digits changed, each to the same double")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
