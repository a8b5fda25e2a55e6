#!/usr/bin/python3
"""Checks the committed pictures: sizes and formats the program relies on, the geometry of
the toolbar and the arrows, the cursor's hotspot, and that the generator gives back exactly
the committed files.

    /usr/bin/python3 assets/check.py
"""

import filecmp
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def path(name):
    return os.path.join(HERE, name)


def bmp_header(name):
    with open(path(name), "rb") as f:
        data = f.read(54)
    magic = data[:2]
    _, w, h, planes, bpp, compression = struct.unpack("<IiiHHI", data[14:34])
    return magic, w, h, planes, bpp, compression


def icon_dir(name):
    with open(path(name), "rb") as f:
        data = f.read()
    _, kind, count = struct.unpack("<HHH", data[:6])
    entries = [struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i]) for i in range(count)]
    return data, kind, entries


def lum(rgb):
    r, g, b = rgb[:3]
    return 0.299 * r + 0.587 * g + 0.114 * b


def check_bmps():
    sizes = {"toolbar.bmp": (387, 43), "arrow_up.bmp": (13, 11), "arrow_down.bmp": (13, 11),
             "cal_arrow_up.bmp": (13, 11), "cal_arrow_down.bmp": (13, 11)}
    sizes.update({"raised_%d.bmp" % k: (50, 40) for k in range(1, 7)})
    for name, (w, h) in sizes.items():
        magic, bw, bh, planes, bpp, compression = bmp_header(name)
        check(magic == b"BM" and (bw, bh) == (w, h), "%s: %dx%d, expected %dx%d" % (name, bw, bh, w, h))
        check(bpp == 24 and compression == 0 and planes == 1, "%s: not 24-bit BI_RGB" % name)


def check_arrows():
    for name, bg, fg, base in (("arrow", (0, 0, 0), (255, 255, 255), 7), ("cal_arrow", (192, 192, 192), (0, 0, 0), 5)):
        up = Image.open(path(name + "_up.bmp")).convert("RGB")
        down = Image.open(path(name + "_down.bmp")).convert("RGB")
        colours = {c for _, c in up.getcolors()}
        check(colours == {bg, fg}, "%s_up: colours %s" % (name, colours))
        rows = [[x for x in range(13) if up.getpixel((x, y)) == fg] for y in range(11)]
        rows = [r for r in rows if r]
        check([len(r) for r in rows] == list(range(1, base + 1, 2)), "%s_up: not a %d-pixel-base triangle" % (name, base))
        check(all(r[0] + r[-1] == 12 for r in rows), "%s_up: triangle not centred" % name)
        check(down.tobytes() == up.transpose(Image.Transpose.FLIP_TOP_BOTTOM).tobytes(),
              "%s_down is not %s_up upside down" % (name, name))


def check_toolbar():
    strip = Image.open(path("toolbar.bmp")).convert("RGB")
    bg = strip.getpixel((2, 20))
    check(bg[1] > bg[0] + 40 and bg[2] > bg[0] + 40 and lum(bg) < 110, "toolbar: background %s is not dark cyan" % (bg,))
    # The picture box shows only 381 columns: the right-hand grip must stand inside them.
    grip = [x for x in range(314, 387) if max(abs(a - b) for a, b in zip(strip.getpixel((x, 20)), strip.getpixel((x, 30)))) < 5
            and lum(strip.getpixel((x, 20))) > lum(bg) + 60]
    check(grip and max(grip) < 381, "toolbar: right grip not inside the visible 381 columns")
    for k in range(1, 7):
        x0 = 14 + 50 * (k - 1)
        box = strip.crop((x0, 2, x0 + 50, 42))
        # Every button carries a picture and a word: bright pixels in both halves of its slot.
        check(any(lum(p) > 200 for p in box.crop((2, 2, 48, 23)).getdata()), "toolbar: button %d has no icon" % k)
        check(any(lum(p) > 200 for p in box.crop((2, 24, 48, 38)).getdata()), "toolbar: button %d has no word" % k)
        raised = Image.open(path("raised_%d.bmp" % k)).convert("RGB")
        edges = {"top": raised.crop((2, 0, 48, 1)), "left": raised.crop((0, 2, 1, 38)),
                 "bottom": raised.crop((2, 39, 48, 40)), "right": raised.crop((49, 2, 50, 38))}
        mean = {side: sum(map(lum, im.getdata())) / (im.width * im.height) for side, im in edges.items()}
        inside = lum(raised.getpixel((3, 20)))
        check(mean["top"] > inside + 40 and mean["left"] > inside + 40, "raised_%d: top/left edge not light" % k)
        check(mean["bottom"] < inside - 40 and mean["right"] < inside - 40, "raised_%d: bottom/right edge not dark" % k)
        # The raised look shows the same picture: inside the border it follows the strip.
        diff = sum(abs(lum(a) - lum(b)) for a, b in zip(raised.crop((3, 3, 47, 37)).getdata(), box.crop((3, 3, 47, 37)).getdata()))
        check(diff / (44 * 34) < 20, "raised_%d: does not match button %d of the strip" % (k, k))
    # Nothing but background and grips outside the six slots.
    check(all(lum(strip.getpixel((x, 20))) < 200 for x in range(315, 365)), "toolbar: drawing right of button 6")


def check_icons():
    for name, need in (("vodivuri.ico", {(32, 8), (16, 8), (32, 32), (16, 32), (48, 32), (0, 32)}),
                       ("about.ico", {(32, 8), (16, 8), (32, 32), (16, 32)}),
                       ("help.ico", {(32, 8), (16, 8), (32, 32), (16, 32)})):
        data, kind, entries = icon_dir(name)
        check(kind == 1, "%s: not an icon file" % name)
        check(entries[0][0] == 32 and entries[0][5] == 8, "%s: first entry is not 32x32, 256 colours" % name)
        check({(e[0], e[5]) for e in entries} == need, "%s: entries %s" % (name, entries))
        for w, h, _, _, _, bpp, length, offset in entries:
            check(offset + length <= len(data), "%s: entry beyond the end of the file" % name)
            if w:  # a DIB entry: its header must agree with the directory
                _, dw, dh, _, dbpp = struct.unpack("<IiiHH", data[offset:offset + 16])
                check((dw, dh, dbpp) == (w, 2 * h, bpp), "%s: DIB header %s disagrees" % (name, (dw, dh, dbpp)))
            else:
                check(data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n", "%s: 256 entry is not a PNG" % name)
        im = Image.open(path(name))
        check(im.format == "ICO", "%s: Pillow cannot read it" % name)
    png = Image.open(path("vodivuri.png"))
    check(png.size == (32, 32) and png.mode == "P" and "transparency" in png.info, "vodivuri.png: not 32x32 palette with alpha")
    for n in (16, 48, 64, 128, 256):
        im = Image.open(path("vodivuri-%d.png" % n))
        check(im.size == (n, n) and im.mode == "RGBA", "vodivuri-%d.png: %s %s" % (n, im.size, im.mode))
        check(im.getpixel((0, 0))[3] == 0 and im.getpixel((n // 2, n // 2))[3] == 255,
              "vodivuri-%d.png: corners not transparent or centre not opaque" % n)
    with open(path("vodivuri.svg")) as f:
        check('viewBox="0 0 256 256"' in f.read(), "vodivuri.svg: no 256 viewBox")


def check_cursor_and_about():
    data, kind, entries = icon_dir("hand.cur")
    check(kind == 2 and len(entries) == 1 and entries[0][:2] == (32, 32), "hand.cur: not one 32x32 cursor")
    hx, hy = entries[0][4], entries[0][5]
    hand = Image.open(path("hand.png")).convert("RGBA")
    check(hand.size == (32, 32), "hand.png: not 32x32")
    check(hand.getpixel((hx, hy))[3] == 255, "hand.cur: hotspot (%d, %d) is not on the hand" % (hx, hy))
    check(all(hand.getpixel((x, y))[3] == 0 for y in range(hy) for x in range(32)), "hand: something above the fingertip")
    with open(path("README.md")) as f:
        check("(%d, %d)" % (hx, hy) in f.read(), "README.md does not give the hotspot (%d, %d)" % (hx, hy))
    about = Image.open(path("about_background.jpg"))
    check(about.format == "JPEG" and about.size == (386, 321), "about_background.jpg: %s %s" % (about.format, about.size))
    about = about.convert("RGB")
    # Dark where the white lines stand, light behind the blue link (from y = 232).
    text_rows = list(range(15, 86, 5)) + list(range(138, 221, 5))  # the emblem sits between them
    check(max(lum(about.getpixel((x, y))) for x in range(0, 346, 5) for y in text_rows) < 110,
          "about: not dark enough behind the white text")
    check(min(lum(about.getpixel((x, y))) for x in range(0, 346, 5) for y in range(232, 253, 3)) > 180,
          "about: not light behind the link")


def check_doubles():
    """The twice-size drawings: exactly twice their pictures, with the same edges."""
    for name in ["toolbar"] + ["raised_%d" % k for k in range(1, 7)]:
        one = Image.open(path(name + ".bmp")).convert("RGB")
        two = Image.open(path(name + "@2x.png")).convert("RGB")
        check(two.size == (one.width * 2, one.height * 2), "%s@2x.png: %s" % (name, two.size))
        # The outermost row and column are the same lines, doubled.
        check(all(two.getpixel((2 * x, 0)) == one.getpixel((x, 0)) for x in range(one.width)),
              "%s@2x.png: its top edge is not the picture's" % name)


def check_determinism():
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(path("generate.py"), tmp)
        subprocess.run([sys.executable, os.path.join(tmp, "generate.py")], check=True)
        made = sorted(n for n in os.listdir(tmp) if n != "generate.py" and not n.startswith("__"))
        for name in made:
            check(os.path.exists(path(name)) and filecmp.cmp(path(name), os.path.join(tmp, name), shallow=False),
                  "%s: the generator gives a different file (run generate.py and commit)" % name)


def main():
    check_bmps()
    check_arrows()
    check_toolbar()
    check_icons()
    check_cursor_and_about()
    check_doubles()
    check_determinism()
    for f in failures:
        print("FALLO:", f)
    print("%d fallos" % len(failures) if failures else "Todo correcto")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
