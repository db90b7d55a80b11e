#!/usr/bin/python3
"""Three nested equirectangular map sheets for the atlas tests, made with PROJ.

Every sheet is a 120 x 90 pixel window of +proj=eqc (WGS84) centred on 0 N,
10 E, at 100, 50 and 5 metres per pixel: x = (E - E0)/s, y = (N0 - N)/s.
Corners and calibration points (a 3 x 3 grid of pixels) are PROJ's inverse
projection of those pixels. The resolution is the geodesic length (pyproj's
Geod, WGS84) of the sheet's horizontal centre line divided by its width.

Files: atlas_<s>.xml (calibration, model equirect, id "atlas") and
atlas_<s>.bmp (24-bit, one plain colour per sheet, so that a test can tell
which image is shown).

Run: /usr/bin/python3 atlas_make_maps.py   (writes into this folder)
"""
import os
import struct

from pyproj import Geod, Transformer

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 120, 90
LAT_C, LON_C = 0.0, 10.0
SHEETS = {100: (255, 255, 255), 50: (255, 255, 160), 5: (160, 255, 160)}  # scale: RGB

fwd = Transformer.from_crs("EPSG:4326", "+proj=eqc +ellps=WGS84", always_xy=True)
inv = Transformer.from_crs("+proj=eqc +ellps=WGS84", "EPSG:4326", always_xy=True)
geod = Geod(ellps="WGS84")


def write_bmp(path, rgb):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * W
    pad = (4 - len(row) % 4) % 4
    data = (row + b"\0" * pad) * H
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def sheet(scale, rgb):
    ec, nc = fwd.transform(LON_C, LAT_C)
    e0, n0 = ec - W / 2 * scale, nc + H / 2 * scale

    def latlon(x, y):
        lon, lat = inv.transform(e0 + x * scale, n0 - y * scale)
        return lat, lon

    name = "atlas_%03d" % scale
    corners = [latlon(0, 0), latlon(0, H), latlon(W, H), latlon(W, 0)]
    (la1, lo1), (la2, lo2) = latlon(0, H // 2), latlon(W, H // 2)
    res = geod.inv(lo1, la1, lo2, la2)[2] / W
    quads = [(latlon(x, y), x, y) for y in (0, H // 2, H) for x in (0, W // 2, W)]
    lines = [
        '<?xml version="1.0"?>',
        "",
        "<!-- TGeoMap Calibration / ZEL Component Suite -->",
        '<geomap sig="ZELCSuite" vers="1.0" id="atlas" model="equirect" map="%s.bmp" '
        'caption="Sheet %d m">' % (name, scale),
        "<corners>",
        " ".join("[%.9f,%.9f]" % c for c in corners),
        "</corners>",
        "<resolution>%.6f</resolution>" % res,
        "<ellipsoid>gelWGS84</ellipsoid>",
        '<calquads npoints="%d">' % len(quads),
        " ".join("[%.9f,%.9f,%d,%d]" % (la, lo, x, y) for (la, lo), x, y in quads),
        "</calquads>",
        "</geomap>",
    ]
    with open(os.path.join(HERE, name + ".xml"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    write_bmp(os.path.join(HERE, name + ".bmp"), rgb)


for s, c in SHEETS.items():
    sheet(s, c)
