#!/usr/bin/python3
"""Writes the sample data of the zel tool's tour (see README.md here).

iris.csv: the iris measurements as scikit-learn ships them (Debian package
python3-sklearn, sklearn/datasets/data/iris.csv), with a header line of
column names and the species as text; the values are unchanged.
tones.csv: 256 samples at 256 Hz of 2 cos(2 pi 20 t) + 0.5 sin(2 pi 50 t),
written with 17 significant digits.
structures.sdf: the first six records of mol/cstruct/testdata/bzr_sample.sdf
(RDKit's rdkit-data), unchanged.
"""
import math
import os

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))

src = "/usr/lib/python3/dist-packages/sklearn/datasets/data/iris.csv"
with open(src) as f:
    lines = f.read().splitlines()
names = lines[0].split(",")[2:]
with open(os.path.join(here, "iris.csv"), "w") as out:
    out.write("sepal_length,sepal_width,petal_length,petal_width,species\n")
    for line in lines[1:]:
        *values, target = line.split(",")
        out.write(",".join(values + [names[int(target)]]) + "\n")

with open(os.path.join(here, "tones.csv"), "w") as out:
    out.write("t,signal\n")
    for i in range(256):
        t = i / 256
        y = 2 * math.cos(2 * math.pi * 20 * t) + 0.5 * math.sin(2 * math.pi * 50 * t)
        out.write("%.17g,%.17g\n" % (t, y))

with open(os.path.join(root, "mol/cstruct/testdata/bzr_sample.sdf")) as f:
    text = f.read()
records = text.split("$$$$\n")[:6]
with open(os.path.join(here, "structures.sdf"), "w") as out:
    out.write("".join(r + "$$$$\n" for r in records))
