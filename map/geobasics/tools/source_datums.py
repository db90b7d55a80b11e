#!/usr/bin/python3
"""Fills the shift parameters of datums.csv from PROJ's EPSG database.

datum_sources.csv names, for each datum row, the EPSG transformation "<datum>
to WGS 84 (n)" it was matched to by datum name and region (mostly the
NIMA/DMA-derived ones, TR8350.2), or gives no code and a note when no
published transformation could be traced. The script reads that
transformation from proj.db (Debian proj-data 9.1.1, /usr/share/proj/proj.db),
converts it to the table's convention (position vector, rotations in arc
seconds, scale in ppm) and rewrites datums.csv; rows whose values the
library's catalogue gives (source "library catalogue ...") keep them, and
rows without a code get the note as their source ("unsourced: ...").

The ellipsoid follows the EPSG datum, named as in the library's catalogue:
Clarke 1880 in its RGS, Arc and IGN forms is gelClrk80 for the rows derived
from the NIMA/DMA list (which uses one Clarke 1880), GRS 1980 is gelWGS84, and
Everest 1830 (1937 Adjustment) is gelEver30Ind. datum_sources.csv may name
the ellipsoid of a row explicitly.

Run from the repository root, then the generator:
    /usr/bin/python3 map/geobasics/tools/source_datums.py
    /usr/bin/python3 map/geobasics/tools/gen_datums.py
"""
import csv
import os
import sqlite3
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DB = '/usr/share/proj/proj.db'

ELLIPSOIDS = {
    'International 1924': 'gelInt24',
    'Clarke 1880 (RGS)': 'gelClrk80',
    'Clarke 1880 (Arc)': 'gelClrk80',
    'Clarke 1866': 'gelClrk66',
    'Bessel 1841': 'gelBess41',
    'WGS 84': 'gelWGS84',
    'GRS 1980': 'gelWGS84',
    'GRS 1967 Modified': 'gelSAm69',
    'Krassowsky 1940': 'gelKrass40',
    'Everest 1830 (1937 Adjustment)': 'gelEver30Ind',
    'Australian National Spheroid': 'gelAuNat65',
    'Everest 1830 (1967 Definition)': 'gelEverest',
    'War Office': 'gelWarOffice',
    'WGS 72': 'gelWGS72',
    'PZ-90': 'gelPZ90',
    'Airy Modified 1849': 'gelModifAiry',
    'Indonesian National Spheroid': 'gelIndo74',
    'Hough 1960': 'gelHough60',
    'Helmert 1906': 'gelHelm06',
    'GRS 1967': 'gelGRS67',
    'Everest 1830 (1962 Definition)': 'gelEverPak',
    'Everest 1830 Modified': 'gelEver48',
    'Bessel Modified': 'gelBesselMod',
    'Bessel Namibia (GLM)': 'gelBess41Nam',
    'Airy 1830': 'gelAiry30',
}

QUERY = '''
select h.name, h.operation_version, h.method_code, h.tx, h.ty, h.tz,
       h.translation_uom_code, h.rx, h.ry, h.rz, h.rotation_uom_code,
       h.scale_difference, h.scale_difference_uom_code, el.name, h.deprecated
from helmert_transformation h
join geodetic_crs c on c.auth_name = h.source_crs_auth_name and c.code = h.source_crs_code
join geodetic_datum d on d.auth_name = c.datum_auth_name and d.code = c.datum_code
join ellipsoid el on el.auth_name = d.ellipsoid_auth_name and el.code = d.ellipsoid_code
where h.auth_name = 'EPSG' and h.code = ? and h.target_crs_auth_name = 'EPSG'
  and h.target_crs_code = '4326'
'''

# EPSG method codes: geocentric translations, position vector, coordinate frame.
TRANSLATION = {'9603', '1031'}
POSITION_VECTOR = {'9606', '1037'}
COORDINATE_FRAME = {'9607', '1038'}


def factor(db, code):
    row = db.execute("select conv_factor from unit_of_measure where auth_name = 'EPSG' and code = ?",
                     (str(code),)).fetchone()
    return row[0]


def fmt(x):
    text = '%.10g' % x
    return '0' if text in ('0', '-0') else text


def main():
    db = sqlite3.connect(DB)
    arcsec = factor(db, '9104')  # radians per arc second
    with open(os.path.join(HERE, 'datums.csv'), newline='', encoding='utf-8') as f:
        old = list(csv.DictReader(f))
    with open(os.path.join(HERE, 'datum_sources.csv'), newline='', encoding='utf-8') as f:
        sources = list(csv.DictReader(f))
    out = []
    for row, src in zip(old, sources):
        assert row['index'] == src['index']
        if row['source'].startswith('library catalogue'):
            out.append(row)
            continue
        new = dict(row)
        for k in ('dx', 'dy', 'dz', 'scale', 'rotx', 'roty', 'rotz', 'source'):
            new[k] = ''
        if not src['epsg']:
            new['ellipsoid'] = src['ellipsoid']
            new['source'] = 'unsourced: ' + src['note']
            out.append(new)
            continue
        r = db.execute(QUERY, (src['epsg'],)).fetchone()
        if r is None:
            sys.exit('EPSG:%s is no Helmert transformation to WGS 84' % src['epsg'])
        (name, version, method, tx, ty, tz, tuom, rx, ry, rz, ruom, s, suom, ell, depr) = r
        if str(tuom) != '9001':
            sys.exit('EPSG:%s: translation not in metres' % src['epsg'])
        method = str(method)
        if method in TRANSLATION:
            rot = [0.0, 0.0, 0.0]
            scale = 0.0
        elif method in POSITION_VECTOR or method in COORDINATE_FRAME:
            k = factor(db, ruom) / arcsec
            rot = [rx * k, ry * k, rz * k]
            if method in COORDINATE_FRAME:
                rot = [-v for v in rot]
            scale = s * factor(db, suom) * 1e6
        else:
            sys.exit('EPSG:%s: method %s is not a Helmert transformation' % (src['epsg'], method))
        nima = version.split('-')[0] in ('DMA', 'NIMA', 'NGA')
        if ell == 'Clarke 1880 (IGN)':
            ellipsoid = src['ellipsoid'] or ('gelClrk80' if nima else 'gelClrk80IGN')
        else:
            ellipsoid = src['ellipsoid'] or ELLIPSOIDS.get(ell)
        if ellipsoid is None:
            sys.exit('EPSG:%s: no catalogue ellipsoid for %s' % (src['epsg'], ell))
        new.update(ellipsoid=ellipsoid, dx=fmt(tx), dy=fmt(ty), dz=fmt(tz), scale=fmt(scale),
                   rotx=fmt(rot[0]), roty=fmt(rot[1]), rotz=fmt(rot[2]),
                   source='EPSG:%s %s (%s)%s' % (src['epsg'], name, version,
                                                  ', deprecated' if depr else ''))
        out.append(new)
    with open(os.path.join(HERE, 'datums.csv'), 'w', newline='', encoding='utf-8') as f:
        w = csv.DictWriter(f, fieldnames=list(old[0].keys()), lineterminator='\n')
        w.writeheader()
        w.writerows(out)


if __name__ == '__main__':
    main()
