#!/usr/bin/env python3
"""Runs quiltmap --data json on a small folder and validates the result against the schema in
docs/, then checks the grid values against the layout rules.
Usage: grid_data_schema_test.py QUILTMAP SCHEMA"""
import json
import struct
import subprocess
import sys
import tempfile
import zlib
from pathlib import Path

import jsonschema


def png(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\x80\x40\x20" * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def main(quiltmap, schema_path):
    schema = json.loads(Path(schema_path).read_text(encoding="utf-8"))
    validator = jsonschema.Draft202012Validator(schema)
    jsonschema.Draft202012Validator.check_schema(schema)
    with tempfile.TemporaryDirectory() as work:
        tiles = Path(work, "tiles")
        tiles.mkdir()
        # Names that JSON must escape: a quotation mark, a backslash, a control character.
        sizes = {"a, b.png": (10, 10), "big.png": (14, 9), "c.png": (4, 4),
                 'q"\\\x01x.png': (10, 10)}
        for name, (w, h) in sizes.items():
            (tiles / name).write_bytes(png(w, h))
        base = Path(work, "sheet")
        subprocess.run([quiltmap, "-q", "-c10x10", "-n3", "--spacing=2", "--margin=3",
                        "--data", "json", "-o", str(base), str(tiles)], check=True)
        document = json.loads(base.with_suffix(".json").read_text(encoding="utf-8"))
        # One column of four rows on pages of two rows, read and proofed by the module that the
        # program loads for those options.
        subprocess.run([quiltmap, "-q", "-c10x10", "-n1", "--spacing=2", "--margin=3",
                        "--max-size=30", "--pages", "--data", "json", "--any-format", "--proof",
                        "-o", str(base), str(tiles)], check=True)
        paged = json.loads(base.with_suffix(".json").read_text(encoding="utf-8"))
        assert all(Path(work, f"sheet-{page}.proof.png").stat().st_size > 0 for page in (1, 2))
    validator.validate(document)
    validator.validate(paged)
    assert paged["sheet"]["pages"] == 2 and [t["page"] for t in paged["tiles"]] == [1, 1, 2, 2]
    if validator.is_valid({"sheet": document["sheet"]}):
        sys.exit("the schema accepts a document without tiles")

    sheet = document["sheet"]
    expected_sheet = {"width": 3 + 3 * 10 + 2 * 2 + 3, "height": 3 + 2 * 10 + 2 + 3,
                      "cellWidth": 10, "cellHeight": 10, "columns": 3, "rows": 2, "count": 4,
                      "spacing": 2, "margin": 3, "background": "#FFFFFF"}
    assert sheet == expected_sheet, sheet
    assert sorted(tile["file"] for tile in document["tiles"]) == sorted(sizes)
    for index, tile in enumerate(document["tiles"]):
        name = tile["file"]
        column, row = index % 3, index // 3
        w, h = sizes[name]
        expected = {"index": index, "name": name[:-4], "file": name, "column": column, "row": row,
                    "x": 3 + column * 12, "y": 3 + row * 12, "width": w, "height": h,
                    "clipped": w > 10 or h > 10}
        assert tile == expected, (tile, expected)


if __name__ == "__main__":
    main(*sys.argv[1:])
