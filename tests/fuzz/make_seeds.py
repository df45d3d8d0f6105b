#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus from the examples, into tests/fuzz/corpus/.

documents/: one small document per symbol of the gallery (its features, the symbols and vector
resources it names), the Chinese names example, and the map with its paths made relative to the
examples folder (where fuzzed documents start). geojson/: the map's data files and the geometry
forms they lack. colortables/: tables good and bad. Run it again when the examples change."""
import json
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, '..', '..', 'examples')
CORPUS = os.path.join(HERE, 'corpus')


def write(folder, name, text):
    os.makedirs(os.path.join(CORPUS, folder), exist_ok=True)
    with open(os.path.join(CORPUS, folder, name), 'w', encoding='utf-8') as f:
        f.write(text)


def compact(value):
    return json.dumps(value, ensure_ascii=False, separators=(',', ':'))


def named(value, symbols, found):
    """Names of library symbols and resource codes that `value` reaches."""
    if isinstance(value, str) and value in symbols and value not in found['symbols']:
        found['symbols'].add(value)
        named(symbols[value], symbols, found)
    elif isinstance(value, dict):
        for key, member in value.items():
            if key == 'resource':
                found['resources'].add(str(member))
            named(member, symbols, found)
    elif isinstance(value, list):
        for member in value:
            named(member, symbols, found)


def gallery_documents():
    with open(os.path.join(EXAMPLES, 'gallery.json'), encoding='utf-8') as f:
        gallery = json.load(f)
    symbols = gallery['symbols']
    base = {k: gallery[k] for k in ('context', 'settings', 'images', 'fillImages') if k in gallery}
    base['canvas'] = {'width': 200, 'height': 160}
    for name in symbols:
        features = []
        for layer in gallery['layers']:
            features += [f for f in layer['features'] if f.get('symbol') == name]
        found = {'symbols': set(), 'resources': set()}
        named(name, symbols, found)
        doc = dict(base)
        used = {k: v for k, v in gallery.get('resources', {}).items() if k in found['resources']}
        if used:
            doc['resources'] = used
        doc['symbols'] = {k: v for k, v in symbols.items() if k in found['symbols']}
        doc['layers'] = [{'name': 'sample', 'features': features}]
        safe = ''.join(c if c.isalnum() else '-' for c in name)
        write('documents', 'gallery-' + safe + '.json', compact(doc))


def example_documents():
    shutil.copy(os.path.join(EXAMPLES, 'chinese-names.json'), os.path.join(CORPUS, 'documents'))
    with open(os.path.join(EXAMPLES, 'map', 'map.json'), encoding='utf-8') as f:
        doc = json.load(f)
    for layer in doc['layers']:
        if 'geojson' in layer:
            layer['geojson'] = 'map/' + layer['geojson']
    doc['fillImages'] = {k: 'map/' + v for k, v in doc.get('fillImages', {}).items()}
    write('documents', 'map.json', compact(doc))


def geojson_seeds():
    for name in sorted(os.listdir(os.path.join(EXAMPLES, 'map'))):
        if name.endswith('.geojson'):
            with open(os.path.join(EXAMPLES, 'map', name), encoding='utf-8') as f:
                write('geojson', name, compact(json.load(f)))
    forms = {
        'bare-point': {'type': 'Point', 'coordinates': [1, 2, 3]},
        'multipoint': {'type': 'MultiPoint', 'coordinates': [[0, 0], [1, 1]]},
        'multiline': {'type': 'MultiLineString', 'coordinates': [[[0, 0], [1, 1]], [[2, 2], [3, 3], [4, 2]]]},
        'holes': {'type': 'MultiPolygon', 'coordinates': [
            [[[0, 0], [10, 0], [10, 10], [0, 10], [0, 0]], [[2, 2], [4, 2], [4, 4], [2, 2]]],
            [[[20, 20], [30, 20], [25, 30], [20, 20]]]]},
        'null-geometry': {'type': 'FeatureCollection', 'features': [
            {'type': 'Feature', 'geometry': None, 'properties': {'a': 1}},
            {'type': 'Feature', 'geometry': {'type': 'LineString', 'coordinates': [[0, 0], [1e15, -1e15]]},
             'properties': None}]},
    }
    for name, value in forms.items():
        write('geojson', name + '.geojson', compact(value))


def colortable_seeds():
    write('colortables', 'good.txt', '# palette\nFF0000 00ff00\n0000FF FFFFFF  # trailing\n\n000000 000000\r\n')
    write('colortables', 'duplicate.txt', 'FF0000 00FF00\nff0000 0000FF\n')
    write('colortables', 'three-words.txt', 'FF0000 00FF00 0000FF\n')
    write('colortables', 'short.txt', 'FFF 000\n')
    write('colortables', 'no-newline.txt', '123456 654321')


if __name__ == '__main__':
    shutil.rmtree(CORPUS, ignore_errors=True)
    gallery_documents()
    example_documents()
    geojson_seeds()
    colortable_seeds()
