#!/usr/bin/env python3
"""Writes a large, deterministic *.idx job for throughput and memory measurements.

  generate-job.py [--rows N] [--seed S] OUT            a job: N control points, then one setup
                                                      with N slope observations
  generate-job.py --points-only --bytes B OUT         the worst case for the point table: about B
                                                      bytes of POINTS rows, each a new PointNo
                                                      with a code
  generate-job.py --separator C --varied ...          rows cut at C (any character of code page
                                                      1252, in which the file is then written),
                                                      their fields quoted, escaped and padded in
                                                      every way the format allows

The same arguments give the same bytes on every machine (the values come from a seeded
random.Random, formatted with fixed precision).
"""
import argparse
import random
import sys

HEADER = """HEADER
  VERSION 2.10
  SEPARATOR '%s'
  TERMINATOR 59
  UNITS
    ANGULAR DMS
    LINEAR METRE
  END UNITS
END HEADER
"""

CODES = ("TREE", "FENCE", "KERB", "MH", "LP", "BLDG", "TRIG", "BM")
CLASSES = ("FIX", "ADJ", "REF", "AVG")


# Ways to write a text field, each given the text and the separator. Quotes of either kind, a
# quote or separator escaped or quoted inside, escapes of the escape and of a line feed, blanks
# and tabs around, nothing at all, and a letter above ASCII.
VARIANTS = (
    lambda text, sep: "'%s'" % text,
    lambda text, sep: '"%s"' % text,
    lambda text, sep: " \t%s\t " % text,
    lambda text, sep: "%s\\'x" % text,
    lambda text, sep: "'%s%sx'" % (text, sep),
    lambda text, sep: "%s\\%sx" % (text, sep),
    lambda text, sep: "%s\\\\x\\ny" % text,
    lambda text, sep: "'%s\"x'" % text,
    lambda text, sep: "a'%s'b" % text,
    lambda text, sep: "",
    lambda text, sep: "' '",
    lambda text, sep: "%s\u00c9" % text,
    lambda text, sep: "%sabcdefghijklmnopqrstuvwxyz0123456789" % text,
)


def field(rng, text, style):
    if style.varied:
        return rng.choice(VARIANTS)(text, style.separator)
    return "'%s'" % text


def cut(fields, style):
    # The default job keeps its historical layout: a blank after each separator of POINTS rows.
    return (style.separator + ("" if style.varied else " ")).join(fields)


def point_row(rng, number, style):
    return "    %s;\n" % cut((
        "%d" % number, field(rng, "P%d" % number, style),
        "%.4f" % rng.uniform(400000.0, 500000.0), "%.4f" % rng.uniform(5400000.0, 5500000.0),
        "%.4f" % rng.uniform(50.0, 250.0), field(rng, rng.choice(CODES), style),
        rng.choice(CLASSES)), style)


def dms(rng, low, high):
    # Packed D.MMSS with minutes and seconds below 60, as an instrument writes them.
    return "%d.%02d%02d" % (rng.randint(low, high), rng.randint(0, 59), rng.randint(0, 59))


def slope_row(rng, number, style):
    fields = ("%d" % number, field(rng, "P%d" % number, style), "1", dms(rng, 0, 359),
              dms(rng, 80, 100), "%.4f" % rng.uniform(5.0, 900.0),
              "%.3f" % rng.choice((1.3, 1.5, 1.8)),
              "%02d/%02d/2019" % (rng.randint(1, 28), rng.randint(1, 12)))
    return "    %s;\n" % style.separator.join(fields)


def write_points(out, rng, style, rows=None, size=None):
    out.write("DATABASE\n  POINTS(%s)\n" % (style.separator + " ").join(
        ("PointNo", "PointID", "East", "North", "Elevation", "Code", "CLASS")))
    number = 0
    written = 0
    while (rows is not None and number < rows) or (size is not None and written < size):
        number += 1
        row = point_row(rng, number, style)
        written += len(row)
        out.write(row)
    out.write("  END POINTS\nEND DATABASE\n")
    return number


def write_theodolite(out, rng, style, rows):
    out.write("THEODOLITE\n  SETUP\n    STN_NO 1\n    STN_ID P1\n    INST_HT 1.562\n  END SETUP\n")
    out.write("  SLOPE(%s)\n" % style.separator.join(
        ("TgtNo", "TgtID", "CfgNo", "Hz", "Vz", "SDist", "RefHt", "Date")))
    for number in range(1, rows + 1):
        out.write(slope_row(rng, number, style))
    out.write("  END SLOPE\nEND THEODOLITE\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", help="the *.idx file to write ('-' for stdout)")
    parser.add_argument("--rows", type=int, default=500000, help="rows of each table")
    parser.add_argument("--seed", type=int, default=1, help="seed of the values")
    parser.add_argument("--points-only", action="store_true",
                        help="only a POINTS table of about --bytes bytes")
    parser.add_argument("--bytes", type=int, default=100 * 1000 * 1000,
                        help="with --points-only: the size of the POINTS rows")
    parser.add_argument("--separator", default=",", help="the SEPARATOR of the rows")
    parser.add_argument("--varied", action="store_true",
                        help="quote, escape and pad the text fields in every way")
    args = parser.parse_args()
    if len(args.separator) != 1:
        parser.error("--separator takes one character")

    rng = random.Random(args.seed)
    encoding = "cp1252" if args.varied or ord(args.separator) > 0x7F else "ascii"
    out = (open(sys.stdout.fileno(), "w", encoding=encoding, newline="\n", closefd=False)
           if args.out == "-" else
           open(args.out, "w", newline="\n", encoding=encoding, buffering=1 << 20))
    with out:
        out.write(HEADER % args.separator)
        if args.points_only:
            points = write_points(out, rng, args, size=args.bytes)
            observations = 0
        else:
            points = write_points(out, rng, args, rows=args.rows)
            write_theodolite(out, rng, args, args.rows)
            observations = args.rows
    # The counts, for a caller that checks the import against them.
    print("points=%d observations=%d" % (points, observations), file=sys.stderr)


if __name__ == "__main__":
    main()
