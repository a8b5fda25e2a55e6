#!/usr/bin/python3
"""Turns the pictures in assets/ into the files Vodivuri.exe's resources embed.

Usage: make_resources.py ASSETS_DIR OUT_DIR
       make_resources.py --list     (the names of the files it writes)

Every picture becomes what Windows 95 to today can load from a resource:
bitmaps as uncompressed 24-bit BMP (PNG and JPEG pictures decoded), icons
with only their 256-colour entries (32 x 32 first, then 16 x 16), the hand
cursor as a two-colour cursor with a mask. The output depends only on the
input bytes, so two runs give the same files. A picture of the wrong size or
depth stops the build.
"""
import io
import os
import struct
import sys

from PIL import Image

# (asset, expected size or None) of every bitmap the windows name.
BITMAPS = [
    ("toolbar.bmp", (387, 43)),
    *[(f"raised_{k}.bmp", (50, 40)) for k in range(1, 7)],
    ("arrow_up.bmp", (13, 11)),
    ("arrow_down.bmp", (13, 11)),
    ("cal_arrow_up.bmp", (13, 11)),
    ("cal_arrow_down.bmp", (13, 11)),
    ("about_background.jpg", (386, 321)),
    ("help_main_window.png", None),
    ("help_calendar.png", None),
    ("help_popup_menu.png", None),
]
ICONS = ["vodivuri.ico", "about.ico", "help.ico"]
CURSOR = ("hand.png", (10, 1))  # picture and hotspot


def stem(asset):
    return os.path.splitext(asset)[0]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def bitmap(src, expected):
    image = Image.open(src)
    if expected and image.size != expected:
        sys.exit(f"{src}: {image.size[0]}x{image.size[1]}, expected {expected[0]}x{expected[1]}")
    if image.mode not in ("RGB", "P", "L"):
        sys.exit(f"{src}: mode {image.mode}: a bitmap picture must be opaque")
    out = io.BytesIO()
    image.convert("RGB").save(out, "BMP")
    return out.getvalue()


def icon_256(src):
    """The ICO's 256-colour BMP entries, 32 x 32 first."""
    data = open(src, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        sys.exit(f"{src}: not an icon file")
    entries = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        body = data[offset : offset + size]
        if body[:4] != b"\x28\x00\x00\x00":
            continue  # a PNG entry: Windows before Vista cannot read it
        depth = struct.unpack_from("<H", body, 14)[0]
        if depth == 8 and (w, h) in ((32, 32), (16, 16)):
            entries.append((w, h, colours, planes, depth, body))
    entries.sort(key=lambda e: -e[0])
    if not entries or entries[0][:2] != (32, 32):
        sys.exit(f"{src}: no 32x32 256-colour entry")
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, colours, planes, depth, body in entries:
        out += struct.pack("<BBBBHHII", w, h, colours, 0, planes, depth, len(body), offset)
        offset += len(body)
    for entry in entries:
        out += entry[5]
    return bytes(out)


def mono_cursor(src, hotspot):
    """A 32 x 32 two-colour cursor: white, black and see-through, as the picture is."""
    image = Image.open(src).convert("RGBA")
    if image.size != (32, 32):
        sys.exit(f"{src}: the cursor picture must be 32x32")
    w, h = image.size
    xor_rows, and_rows = [], []
    for y in range(h - 1, -1, -1):  # bottom-up rows
        xor_bits = and_bits = 0
        for x in range(w):
            r, g, b, a = image.getpixel((x, y))
            bit = 1 << (w - 1 - x)
            if a < 128:
                and_bits |= bit  # keeps the screen
            elif r + g + b >= 384:
                xor_bits |= bit  # palette entry 1: white
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    body = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<BBBBHHII", w, h, 2, 0, hotspot[0], hotspot[1], len(body), 22
    )
    return directory + body


def outputs():
    return [stem(a) + ".bmp" for a, _ in BITMAPS] + ICONS + [stem(CURSOR[0]) + ".cur"]


def main():
    if sys.argv[1:] == ["--list"]:
        print(";".join(outputs()), end="")
        return
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    assets, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for asset, size in BITMAPS:
        write(os.path.join(out, stem(asset) + ".bmp"), bitmap(os.path.join(assets, asset), size))
    for asset in ICONS:
        write(os.path.join(out, asset), icon_256(os.path.join(assets, asset)))
    picture, hotspot = CURSOR
    write(os.path.join(out, stem(picture) + ".cur"), mono_cursor(os.path.join(assets, picture), hotspot))


if __name__ == "__main__":
    main()
