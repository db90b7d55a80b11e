#!/usr/bin/python3
"""Synthetic map images for the calibration tests, made with PROJ (pyproj).

Each map is a projection with a pixel grid laid over it: x = (E - E0)/s,
y = (N0 - N)/s (y downwards). Points are taken at integer pixels, and their
latitude and longitude come from PROJ's inverse projection, so every pair is
exact. Role 0 rows calibrate, role 1 rows check.

Files (CSV with a header line):
  <name>.csv           lat, lon, x, y, role, northing, easting
  biquad_numpy.csv     numpy.linalg.lstsq(rcond=1e-14) parameters of the
                       biquadratic fit on lcc.csv's calibration rows: four
                       rows (lat, lon over pixels; x, y over lat/lon)
  miller_numpy.csv     numpy.polyfit(deg 1) of x over lambda (radians) and y
                       over ln tan(pi/4 + 0.4 phi): M1, M2, M3, M4

Run: /usr/bin/python3 make_synthetic_maps.py   (writes into this folder)
"""
import csv
import math
import os

import numpy as np
from pyproj import CRS, Transformer

HERE = os.path.dirname(os.path.abspath(__file__))

MAPS = {
    # name: (proj string, lat0, lon0 of the top left corner, metres per pixel)
    "eqc": ("+proj=eqc +ellps=WGS84", 55.0, 5.0, 500.0),
    "mill": ("+proj=mill +R=6378000", 60.0, -20.0, 2000.0),
    "utm": ("+proj=utm +zone=33 +ellps=WGS84", 48.5, 12.2, 100.0),
    "eqdc": ("+proj=eqdc +lat_1=40 +lat_2=60 +lon_0=10 +R=6378000", 62.0, -5.0, 1000.0),
    "lcc": ("+proj=lcc +lat_1=46 +lat_2=49 +lon_0=13.3 +ellps=WGS84", 48.2, 12.6, 50.0),
    # equidistant conic across the equator, for the apex side of the conic model
    "eqdcx": ("+proj=eqdc +lat_1=-5 +lat_2=25 +lon_0=0 +R=6378000", 30.0, -25.0, 3000.0),
}

CAL = [(0, 0), (1800, 0), (0, 1300), (1800, 1300), (900, 650), (400, 1000), (1500, 300),
       (1200, 1100)]
CHECK = [(100, 200), (1700, 1200), (950, 50), (333, 777), (1650, 600), (20, 1280)]
# west of the UTM sheet, inside zone 32: the sheet's own zone must be used
OUTSIDE = [(-300, 1500), (-900, 400)]


def make(name, proj, lat0, lon0, s):
    crs = CRS.from_proj4(proj)
    fwd = Transformer.from_crs(crs.geodetic_crs, crs, always_xy=True)
    inv = Transformer.from_crs(crs, crs.geodetic_crs, always_xy=True)
    e0, n0 = fwd.transform(lon0, lat0)
    if name.startswith("eqdc"):
        # put the apex (centre of the parallels) on an integer pixel, as the
        # conic model searches integer apexes
        xa, ya = fwd.transform(lon0, lat0)
        xb, yb = fwd.transform(lon0 + 20, lat0)
        # centre on the central meridian (x = 0) equidistant from both points
        yc = ((xb - xa) * (xb + xa) + (yb - ya) * (yb + ya)) / (2 * (yb - ya))
        cy = math.floor((n0 - yc) / s)
        n0 = yc + cy * s
        e0 = math.floor(e0 / s) * s
    rows = []
    check = CHECK + OUTSIDE if name == "utm" else CHECK
    for role, pts in ((0, CAL), (1, check)):
        for x, y in pts:
            e, n = e0 + x * s, n0 - y * s
            lon, lat = inv.transform(e, n)
            rows.append((lat, lon, x, y, role, n, e))
    with open(os.path.join(HERE, name + ".csv"), "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["lat", "lon", "x", "y", "role", "northing", "easting"])
        for r in rows:
            w.writerow([repr(float(v)) for v in r])
    return rows


def main():
    data = {k: make(k, *v) for k, v in MAPS.items()}
    cal = [r for r in data["lcc"] if r[4] == 0]
    lat = np.array([r[0] for r in cal]); lon = np.array([r[1] for r in cal])
    x = np.array([r[2] for r in cal], float); y = np.array([r[3] for r in cal], float)
    basis = lambda u, v: np.column_stack([np.ones_like(u), u, v, u * u, u * v, v * v])
    out = []
    for A, b in ((basis(x, y), lat), (basis(x, y), lon), (basis(lat, lon), x), (basis(lat, lon), y)):
        out.append(np.linalg.lstsq(A, b, rcond=1e-14)[0])
    with open(os.path.join(HERE, "biquad_numpy.csv"), "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["p0", "p1", "p2", "p3", "p4", "p5"])
        for p in out:
            w.writerow([repr(float(v)) for v in p])
    cal = [r for r in data["mill"] if r[4] == 0]
    lam = np.array([math.radians(r[1]) for r in cal])
    mer = np.array([math.log(math.tan(math.pi / 4 + 0.4 * math.radians(r[0]))) for r in cal])
    m3, m4 = np.polyfit(lam, [r[2] for r in cal], 1)
    m1, m2 = np.polyfit(mer, [r[3] for r in cal], 1)
    with open(os.path.join(HERE, "miller_numpy.csv"), "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["M1", "M2", "M3", "M4"])
        w.writerow([repr(float(v)) for v in (m1, m2, m3, m4)])


if __name__ == "__main__":
    main()
