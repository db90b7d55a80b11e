#!/usr/bin/python3
"""Writes the PROJ reference values of the geodesy tests.

Run once with PROJ 9.1.1 / pyproj 3.4.1 (Debian proj-bin, python3-pyproj):
    cd map/geobasics/testdata && /usr/bin/python3 make_proj_reference.py
Ellipsoids are given by the axes of the library's catalogue (+a, +b).

utm_reference.csv      +proj=utm +zone=Z [+south], including the Norway and
                       Svalbard zones and the zone edges
ups_reference.csv      +proj=ups [+south]
helmert_reference.csv  cart -> helmert +convention=position_vector -> cart
                       (inverse on WGS 84), for datum rows of the table
epsg_reference.csv     PROJ's own EPSG transformation that a datum row was
                       sourced from (see map/geobasics/tools/datums.csv),
                       latitude and longitude at height 0
"""
import csv
import math

from pyproj import Transformer

WGS84 = (6378137.0, 6356752.314245)


def pipe(text):
    return Transformer.from_pipeline(text)


def utm():
    a, b = WGS84
    rows = []
    # (lat, lon, zone): zone as the grid rules give it.
    cases = []
    for lat in (-80, -79.5, -45, -10, -1e-9, 0, 1e-9, 10, 45, 56, 63.9, 72, 80, 84):
        for lon in (-180, -177.0001, -3.0001, 0, 2.9999, 9, 17.5, 123.4, 179.9999):
            cases.append((lat, lon, int(math.floor((lon + 180) / 6)) + 1))
    cases += [(60, 5, 32), (60, 3, 32), (63.9, 11.9999, 32), (57, 2.9999, 31),
              (75, 10, 33), (72, 0, 31), (80, 8.9999, 31), (80, 9, 33), (83.9, 20.9999, 33),
              (80, 21, 35), (80, 32.9999, 35), (80, 33, 37), (80, 41.9999, 37)]
    for lat, lon, zone in cases:
        south = ' +south' if lat < 0 else ''
        t = pipe('+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad '
                 '+step +proj=utm +zone=%d%s +a=%.17g +b=%.17g' % (zone, south, a, b))
        e, n = t.transform(lon, lat)
        rows.append((lat, lon, zone, 1 if lat < 0 else 0, '%.17g' % e, '%.17g' % n))
    with open('utm_reference.csv', 'w', newline='') as f:
        w = csv.writer(f, lineterminator='\n')
        w.writerow(['lat', 'lon', 'zone', 'south', 'easting', 'northing'])
        w.writerows(rows)


def ups():
    rows = []
    for ell, (a, b) in ((0, WGS84), (6, (6377397.155, 6356078.96284))):
        for lat in (90, 89.99999, 87, 84, 80, 70, -60, -80, -84, -88.5, -90):
            for lon in (-180, -135, -90, -12.5, 0, 45, 90, 179.999):
                south = ' +south' if lat < 0 else ''
                t = pipe('+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad '
                         '+step +proj=ups%s +a=%.17g +b=%.17g' % (south, a, b))
                e, n = t.transform(lon, lat)
                rows.append((ell, lat, lon, '%.17g' % e, '%.17g' % n))
    with open('ups_reference.csv', 'w', newline='') as f:
        w = csv.writer(f, lineterminator='\n')
        w.writerow(['ellipsoid', 'lat', 'lon', 'easting', 'northing'])
        w.writerows(rows)


# Datum rows of the table: index, (a, b) of its ellipsoid, the seven
# parameters (m, ppm, arc seconds, position vector) and a test point inside
# the datum's region.
DATUMS = [
    (1, (6378300.0, 6356751.689189), (-199, 32, 322, 0, 0, 0, 0), (5.6, -0.2, 80)),
    (13, (6377397.155, 6356078.96284), (565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869), (52.1, 5.4, 12)),
    (183, (6377563.396, 6356256.91), (446.448, -125.157, 542.06, -20.49, 0.15, 0.247, 0.8421),
     (53.5, -1.5, 100)),
    (217, (6377397.155, 6356078.96284), (582, 105, 414, 8.3, 1.04, 0.35, -3.08), (50.5, 9.5, 300)),
    (268, (6378135.0, 6356750.519915), (0, 0, 4.5, 0.219, 0, 0, 0.554), (-33.9, 151.2, 20)),
]


def helmert():
    rows = []
    a84, b84 = WGS84
    for idx, (a, b), (dx, dy, dz, s, rx, ry, rz), (lat, lon, h) in DATUMS:
        helm = ('+proj=helmert +x=%r +y=%r +z=%r +s=%r +rx=%r +ry=%r +rz=%r '
                '+convention=position_vector' % (dx, dy, dz, s, rx, ry, rz))
        fwd = pipe('+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad '
                   '+step +proj=cart +a=%r +b=%r +step %s +step +inv +proj=cart +a=%r +b=%r '
                   '+step +proj=unitconvert +xy_in=rad +xy_out=deg' % (a, b, helm, a84, b84))
        lo, la, hh = fwd.transform(lon, lat, h)
        rows.append((idx, 269, lat, lon, h, '%.17g' % la, '%.17g' % lo, '%.17g' % hh))
        # WGS 84 -> datum with PROJ's exact inverse (the library's inverse
        # is first order: up to about 1 cm apart).
        lo2, la2, hh2 = fwd.transform(lon, lat, h, direction='INVERSE')
        rows.append((269, idx, lat, lon, h, '%.17g' % la2, '%.17g' % lo2, '%.17g' % hh2))
    with open('helmert_reference.csv', 'w', newline='') as f:
        w = csv.writer(f, lineterminator='\n')
        w.writerow(['source', 'target', 'lat', 'lon', 'h', 'lat_out', 'lon_out', 'h_out'])
        w.writerows(rows)


# Datum row, the EPSG transformation its values come from, a point inside
# its region.
EPSG_ROWS = [(115, 1153, 15.0, 101.0), (62, 1627, 56.0, 10.0), (127, 1639, 62.0, 25.0),
             (44, 1623, 50.0, 15.0), (262, 1231, 36.0, 139.0), (219, 1896, 60.0, 15.0),
             (101, 1618, 47.5, 14.0), (143, 1660, 42.0, 12.5), (106, 1825, 22.3, 114.2),
             (250, 1645, 52.0, 19.0), (179, 1654, 61.0, 9.0), (20, 1118, -26.5, 31.5),
             (24, 1284, -1.0, 37.0), (167, 1173, 40.0, -100.0)]


def epsg():
    rows = []
    for idx, code, lat, lon in EPSG_ROWS:
        t = Transformer.from_pipeline('urn:ogc:def:coordinateOperation:EPSG::%d' % code)
        la, lo = t.transform(lat, lon)
        rows.append((idx, code, lat, lon, '%.17g' % la, '%.17g' % lo))
    with open('epsg_reference.csv', 'w', newline='') as f:
        w = csv.writer(f, lineterminator='\n')
        w.writerow(['datum', 'epsg', 'lat', 'lon', 'lat_out', 'lon_out'])
        w.writerows(rows)


utm()
ups()
helmert()
epsg()
