#!/usr/bin/python3
"""Fills the codes and central points of countries.csv from Debian packages.

- ISO 3166 alpha-2 and alpha-3 codes from iso-codes 4.15.0
  (/usr/share/iso-codes/json/iso_3166-1.json, and iso_3166-3.json for the
  withdrawn codes of Serbia and Montenegro and the Netherlands Antilles).
- FIPS 10-4 codes (as continued in the GEC list) and a central point of
  each country (the "geo" latitude and longitude) from the countries gem
  3.0.0 (copyright 2012 hexorx, Expat licence), Debian package
  ruby-countries.
Neither package holds capitals, their positions or altitudes: those fields
stay empty (unknown) except in the rows the library's catalogue gives,
which keep all their values (source "library catalogue").

Countries are matched by their English name in iso-codes (name, common
name or official name); ALIASES maps the table's names that differ.

Run from the repository root, then the generator:
    /usr/bin/python3 map/geobasics/tools/source_countries.py
    /usr/bin/python3 map/geobasics/tools/gen_countries.py
"""
import csv
import json
import os
import sys

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


def main():
    iso = json.load(open(ISO1, encoding='utf-8'))['3166-1']
    withdrawn = json.load(open(ISO3, encoding='utf-8'))['3166-3']
    gem = json.load(open(GEM, encoding='utf-8'))
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
    for r in rows:
        if r['source'].startswith('library catalogue'):
            continue
        c = by_a2.get(ALIASES[r['name']]) if r['name'] in ALIASES else by_name.get(r['name'])
        if c is None:
            sys.exit('no ISO 3166 entry for ' + r['name'])
        r['iso2'] = c['alpha_2'].lower()
        r['iso3'] = c['alpha_3'].lower()
        parts = ['ISO codes: iso-codes 4.15.0']
        g = gem.get(c['alpha_2'])
        if g is not None and g.get('gec'):
            r['fips10'] = g['gec'].lower()
            parts.append('FIPS (GEC): ruby-countries 3.0.0')
        if g is not None and g.get('geo', {}).get('latitude') is not None:
            r['clat'] = repr(float(g['geo']['latitude']))
            r['clong'] = repr(float(g['geo']['longitude']))
            parts.append('central point: ruby-countries 3.0.0')
        parts.append('capital unknown')
        r['source'] = '; '.join(parts)
    with open(os.path.join(HERE, 'countries.csv'), 'w', newline='', encoding='utf-8') as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()), lineterminator='\n')
        w.writeheader()
        w.writerows(rows)


if __name__ == '__main__':
    main()
