#!/usr/bin/env python3
"""Writes a large, deterministic *.idx job for throughput and memory measurements.

  generate-job.py [--rows N] [--seed S] OUT            a job: N control points, then one setup
                                                      with N slope observations
  generate-job.py --points-only --bytes B OUT         the worst case for the point table: about B
                                                      bytes of POINTS rows, each a new PointNo
                                                      with a code

The same arguments give the same bytes on every machine (the values come from a seeded
random.Random, formatted with fixed precision).
"""
import argparse
import random
import sys

HEADER = """HEADER
  VERSION 2.10
  SEPARATOR ','
  TERMINATOR 59
  UNITS
    ANGULAR DMS
    LINEAR METRE
  END UNITS
END HEADER
"""

CODES = ("TREE", "FENCE", "KERB", "MH", "LP", "BLDG", "TRIG", "BM")
CLASSES = ("FIX", "ADJ", "REF", "AVG")


def point_row(rng, number):
    return "    %d, 'P%d', %.4f, %.4f, %.4f, '%s', %s;\n" % (
        number, number,
        rng.uniform(400000.0, 500000.0), rng.uniform(5400000.0, 5500000.0),
        rng.uniform(50.0, 250.0), rng.choice(CODES), rng.choice(CLASSES))


def dms(rng, low, high):
    # Packed D.MMSS with minutes and seconds below 60, as an instrument writes them.
    return "%d.%02d%02d" % (rng.randint(low, high), rng.randint(0, 59), rng.randint(0, 59))


def slope_row(rng, number):
    return "    %d,'P%d',1,%s,%s,%.4f,%.3f,%02d/%02d/2019;\n" % (
        number, number, dms(rng, 0, 359), dms(rng, 80, 100), rng.uniform(5.0, 900.0),
        rng.choice((1.3, 1.5, 1.8)), rng.randint(1, 28), rng.randint(1, 12))


def write_points(out, rng, rows=None, size=None):
    out.write("DATABASE\n  POINTS(PointNo, PointID, East, North, Elevation, Code, CLASS)\n")
    number = 0
    written = 0
    while (rows is not None and number < rows) or (size is not None and written < size):
        number += 1
        row = point_row(rng, number)
        written += len(row)
        out.write(row)
    out.write("  END POINTS\nEND DATABASE\n")
    return number


def write_theodolite(out, rng, rows):
    out.write("THEODOLITE\n  SETUP\n    STN_NO 1\n    STN_ID P1\n    INST_HT 1.562\n  END SETUP\n")
    out.write("  SLOPE(TgtNo,TgtID,CfgNo,Hz,Vz,SDist,RefHt,Date)\n")
    for number in range(1, rows + 1):
        out.write(slope_row(rng, number))
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
    args = parser.parse_args()

    rng = random.Random(args.seed)
    out = sys.stdout if args.out == "-" else open(args.out, "w", newline="\n",
                                                   encoding="ascii", buffering=1 << 20)
    with out:
        out.write(HEADER)
        if args.points_only:
            points = write_points(out, rng, size=args.bytes)
            observations = 0
        else:
            points = write_points(out, rng, rows=args.rows)
            write_theodolite(out, rng, args.rows)
            observations = args.rows
    # The counts, for a caller that checks the import against them.
    print("points=%d observations=%d" % (points, observations), file=sys.stderr)


if __name__ == "__main__":
    main()
