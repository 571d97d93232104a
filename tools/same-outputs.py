#!/usr/bin/env python3
"""Whether two sets written by tools/fixed-outputs.sh hold the same bytes.

    tools/same-outputs.py BEFORE BEFORE_AGAIN [BEFORE_AGAIN ...] AFTER

BEFORE and the BEFORE_AGAIN sets are written by the same build: what differs between them
is what varies from run to run by design (MIME boundaries, each PST's random record key
and the checksums over it). AFTER must equal BEFORE everywhere else, byte for byte, with
the same files of the same sizes.
"""
import os
import re
import sys

BOUNDARY = re.compile(rb"=-[A-Za-z0-9+/]{20}")


def files(root):
    out = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            out[os.path.relpath(path, root)] = path
    return out


def text_form(data, root):
    return BOUNDARY.sub(b"=-BOUNDARY", data).replace(os.path.abspath(root).encode(), b"ROOT")


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    before, agains, after = sys.argv[1], sys.argv[2:-1], sys.argv[-1]
    a, c = files(before), files(after)
    others = [files(again) for again in agains]
    problems = []
    if set(a) != set(c):
        problems.append(f"files only before: {sorted(set(a) - set(c))[:5]}, only after: {sorted(set(c) - set(a))[:5]}")
    for rel in sorted(set(a) & set(c)):
        da = open(a[rel], "rb").read()
        dc = open(c[rel], "rb").read()
        if da == dc:
            continue
        if not rel.endswith(".pst"):
            if text_form(da, before) != text_form(dc, after):
                problems.append(f"{rel}: differs")
            continue
        if len(da) != len(dc):
            problems.append(f"{rel}: size {len(da)} before, {len(dc)} after")
            continue
        varying = set()
        for other in others:
            db = open(other[rel], "rb").read() if rel in other else da
            if len(db) == len(da):
                varying |= {i for i in range(len(da)) if da[i] != db[i]}
        changed = [i for i in range(len(da)) if da[i] != dc[i] and i not in varying]
        if changed:
            problems.append(f"{rel}: {len(changed)} bytes differ, first at {changed[0]}")
    for p in problems:
        print(p)
    print(f"{len(set(a) & set(c))} files compared, {len(problems)} differ")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
