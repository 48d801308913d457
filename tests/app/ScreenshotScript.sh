#!/usr/bin/env bash
# scripts/screenshot as a person runs it, into a temporary file, on the programs already built:
# the file must be a PNG of the window's size (1100 by 720, wider when the ribbon needs it)
# showing a table of the demo database in the form (its field-name fill across the header row)
# under the ribbon's tab; a table the database lacks fails it. Exit 77 (skipped) without python3 or the demo database.
#   ScreenshotScript.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
command -v python3 >/dev/null || { echo "SKIP: python3 is not installed (scripts/setup installs it)"; exit 77; }
[ -s "$build_dir/samples/demo.db" ] || { echo "SKIP: the demo database is not built (samples target)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A relative output path is the caller's, not the repository's.
QV_BUILD_DIR=$build_dir QV_SCREENSHOT_NO_BUILD=1 bash "$source_dir/scripts/screenshot" Categories shot.png
[ -s "$work/shot.png" ] || { echo "FAIL: the script wrote no picture"; exit 1; }
python3 - "$work/shot.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit("FAIL: not a PNG file")
pos, idat, ihdr = 8, b"", None
while pos + 8 <= len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IHDR":
        ihdr = struct.unpack(">IIBBBBB", data[pos + 8:pos + 8 + n])
    elif kind == b"IDAT":
        idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
width, height, depth, colour = ihdr[:4]
if height != 720 or width < 1100:
    sys.exit(f"FAIL: the picture is {width} by {height}, not the window's 1100 by 720")
if depth != 8 or colour not in (2, 6):
    sys.exit(f"FAIL: unexpected PNG format (depth {depth}, colour type {colour})")
step = 3 if colour == 2 else 4
stride = width * step
raw = zlib.decompress(idat)
rows, prev, i = [], bytearray(stride), 0
for _ in range(height):
    kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
    i += 1 + stride
    for x in range(stride):
        a = line[x - step] if x >= step else 0
        b = prev[x]
        c = prev[x - step] if x >= step else 0
        if kind == 1:
            line[x] = (line[x] + a) & 255
        elif kind == 2:
            line[x] = (line[x] + b) & 255
        elif kind == 3:
            line[x] = (line[x] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(bytes(line))
    prev = line

def pixel(x, y):
    return rows[y][x * step:x * step + 3]

# The form's header row carries the field names' fill (the add-in's default, #004080) across
# the table's columns: some row has it over a good part of the width.
header = max(sum(1 for x in range(width) if pixel(x, y) == b"\x00\x40\x80") for y in range(height))
if header < 400:
    sys.exit(f"FAIL: no form header row in the picture (at most {header} pixels of #004080 in a row)")
# The ribbon's tab label is text on the strip's top: dark pixels there.
label = sum(1 for y in range(18, 45) for x in range(0, 120) if max(pixel(x, y)) < 0x70)
if label < 20:
    sys.exit(f"FAIL: no ribbon tab label in the picture ({label} dark pixels)")
print(f"PASS: {width} by {height} PNG with the form's header ({header} pixels) under the ribbon's tab")
PY

# A table the database does not have cannot be pictured: the script fails and says why, rather
# than leaving a picture of something else.
if QV_BUILD_DIR=$build_dir QV_SCREENSHOT_NO_BUILD=1 bash "$source_dir/scripts/screenshot" NoSuchTable other.png \
  >"$work/other.txt" 2>&1; then
  echo "FAIL: a picture of a table the database lacks was reported as written"; cat "$work/other.txt"; exit 1
fi
grep -q "no entry NoSuchTable" "$work/other.txt" || { echo "FAIL: the failure does not say why:"; cat "$work/other.txt"; exit 1; }
echo "PASS: a table the database lacks fails the script"
