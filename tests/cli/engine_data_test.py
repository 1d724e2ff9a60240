#!/usr/bin/env python3
"""Runs quiltmap --data phaser --data tiled on a small folder and reads both files back on their
own terms: the atlas against the schema in docs/ and the cells the geometry gives, the tileset as
Tiled slices an image. Where tmxrasterizer is installed, Tiled itself renders a map through the
tileset and every tile must come out as its cell of the sheet.
Usage: engine_data_test.py QUILTMAP SCHEMA"""
import json
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zlib
from pathlib import Path

import jsonschema

# A margin wider than a cell and its spacing: Tiled skips it only before the first cell.
CELL, SPACING, MARGIN, COLUMNS = 10, 2, 13, 3


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))
                    for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def read_png(path):
    """Width, height and RGBA rows of an 8-bit, non-interlaced RGB or RGBA PNG file."""
    data = Path(path).read_bytes()
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    channels = 3 if colour == 2 else 4
    stride = width * channels
    raw, rows, previous = zlib.decompress(idat), [], bytearray(stride)
    for y in range(height):
        kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(row[x:x + channels]) + ((255,) if channels == 3 else ())
                     for x in range(0, stride, channels)])
        previous = row
    return width, height, rows


def cell_pixels(rows, x, y):
    return [row[x:x + CELL] for row in rows[y:y + CELL]]


def main(quiltmap, schema_path):
    validator = jsonschema.Draft202012Validator(json.loads(Path(schema_path).read_text("utf-8")))
    with tempfile.TemporaryDirectory() as work:
        tiles = Path(work, "tiles")
        tiles.mkdir()
        # a.PNG and a.png share the name a; & and " need escaping in XML and JSON.
        files = ["a.PNG", "a.png", 'b&"c.png', "d.png", "e.png"]
        for i, name in enumerate(files):
            (tiles / name).write_bytes(png(CELL, CELL, lambda x, y, i=i: (40 * i, 20 * x, 20 * y)))
        base = Path(work, "sheet")
        subprocess.run([quiltmap, "-q", f"-n{COLUMNS}", f"--spacing={SPACING}",
                        f"--margin={MARGIN}", "--pot", "--data", "phaser", "--data", "tiled",
                        "-o", str(base), str(tiles)], check=True)
        names = base.with_suffix(".txt").read_bytes().decode("cp1252").split("\r\n")[:-1]
        width, height, sheet = read_png(base.with_suffix(".png"))
        atlas = json.loads(Path(work, "sheet.atlas.json").read_text("utf-8"))
        tileset = ElementTree.parse(Path(work, "sheet.tsx")).getroot()
        check_atlas(validator, atlas, names, width, height)
        ids = check_tileset(tileset, names, width, height)
        if shutil.which("tmxrasterizer"):
            check_rendering(Path(work), ids, names, sheet)
        else:
            print("tmxrasterizer is not installed: Tiled's own rendering was not checked")


def cell_corner(index):
    column, row = index % COLUMNS, index // COLUMNS
    return MARGIN + column * (CELL + SPACING), MARGIN + row * (CELL + SPACING)


def check_atlas(validator, atlas, names, width, height):
    validator.validate(atlas)
    assert list(atlas["frames"]) == ["a", "a~2", 'b&"c', "d", "e"], list(atlas["frames"])
    for index, (key, frame) in enumerate(atlas["frames"].items()):
        assert key.split("~")[0] == names[index]
        x, y = cell_corner(index)
        assert frame["frame"] == {"x": x, "y": y, "w": CELL, "h": CELL}, frame
        assert frame["sourceSize"] == {"w": CELL, "h": CELL}
    assert atlas["meta"]["image"] == "sheet.png"
    # --pot: each side the next power of two.
    assert atlas["meta"]["size"] == {"w": width, "h": height} == {"w": 64, "h": 64}


def check_tileset(tileset, names, width, height):
    """The tile id of each cell, as Tiled numbers the cells of the image."""
    attributes = {key: tileset.get(key) for key in
                  ("name", "tilewidth", "tileheight", "spacing", "margin")}
    assert attributes == {"name": "sheet", "tilewidth": str(CELL), "tileheight": str(CELL),
                          "spacing": str(SPACING), "margin": str(MARGIN)}, attributes
    image = tileset.find("image")
    assert (image.get("source"), image.get("width"), image.get("height")) == \
        ("sheet.png", str(width), str(height))
    tiled_columns = (width - MARGIN + SPACING) // (CELL + SPACING)
    tiled_rows = (height - MARGIN + SPACING) // (CELL + SPACING)
    assert int(tileset.get("columns")) == tiled_columns
    assert int(tileset.get("tilecount")) == tiled_columns * tiled_rows
    named = {int(tile.get("id")): tile.find("properties/property[@name='name']").get("value")
             for tile in tileset.findall("tile")}
    ids = []
    for index, name in enumerate(names):
        x, y = cell_corner(index)
        ids.append((y - MARGIN) // (CELL + SPACING) * tiled_columns + (x - MARGIN) // (CELL + SPACING))
        assert named[ids[-1]] == name, (index, named)
    return ids


def check_rendering(work, ids, names, sheet):
    """A one-row map of every tile, rendered by Tiled, against the sheet's cells."""
    gids = ",".join(str(1 + i) for i in ids)
    (work / "map.tmx").write_text(
        f'<?xml version="1.0" encoding="UTF-8"?>\n<map version="1.8" orientation="orthogonal" '
        f'renderorder="right-down" width="{len(ids)}" height="1" tilewidth="{CELL}" '
        f'tileheight="{CELL}" infinite="0">\n <tileset firstgid="1" source="sheet.tsx"/>\n'
        f' <layer id="1" name="tiles" width="{len(ids)}" height="1">\n'
        f'  <data encoding="csv">{gids}</data>\n </layer>\n</map>\n', "utf-8")
    subprocess.run(["tmxrasterizer", "--no-smoothing", str(work / "map.tmx"),
                    str(work / "map.png")], check=True, capture_output=True,
                   env={"QT_QPA_PLATFORM": "offscreen", "PATH": "/usr/bin:/bin",
                        "XDG_RUNTIME_DIR": str(work)})
    _, _, rendered = read_png(work / "map.png")
    for index in range(len(names)):
        x, y = cell_corner(index)
        assert cell_pixels(rendered, index * CELL, 0) == cell_pixels(sheet, x, y), index


if __name__ == "__main__":
    main(*sys.argv[1:])
