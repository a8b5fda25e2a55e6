#!/usr/bin/python3
"""Draws every picture Vodivuri shows and writes it next to this script.

Run with Debian's Python and Pillow (package python3-pil):

    /usr/bin/python3 assets/generate.py

The output is deterministic: no randomness, fixed fonts from Debian packages, and all
smooth shapes are drawn eight times larger and reduced by box averaging.
"""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

FONT_LABEL = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"  # fonts-liberation
FONT_GLYPH = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"  # fonts-dejavu-core

SUPER = 8  # supersampling factor for smooth shapes
SS = SUPER  # pixels drawn per final pixel: SUPER times the output scale


class scaled:
    """Within it, canvases come out `k` times larger: the same drawing for a screen
    with k device pixels to the pixel."""

    def __init__(self, k):
        self.k = k

    def __enter__(self):
        global SS
        self.old, SS = SS, SUPER * self.k

    def __exit__(self, *exc):
        global SS
        SS = self.old


def doubled(im):
    """Every pixel as a 2 x 2 block: the crisp one-pixel edges and lines at twice the size."""
    return im.resize((im.width * 2, im.height * 2), Image.Resampling.NEAREST)


def out(name):
    return os.path.join(HERE, name)


def font(path, size):
    if not os.path.exists(path):
        sys.exit("Falta la fuente %s (paquetes fonts-liberation y fonts-dejavu-core)" % path)
    return ImageFont.truetype(path, size)


# ---------------------------------------------------------------------------------------
# Small drawing helpers. A "Canvas" is an RGBA picture drawn SS times larger, with
# coordinates given in final pixels (floats allowed); reduce() averages it down.
# ---------------------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.im = Image.new("RGBA", (w * SS, h * SS), bg)

    def _mask(self):
        return Image.new("L", self.im.size, 0)

    def paint(self, mask, fill):
        """Lays colour `fill` (RGB or RGBA, or an RGBA image) through `mask` over the picture."""
        if isinstance(fill, Image.Image):
            layer = fill
        else:
            layer = Image.new("RGBA", self.im.size, fill if len(fill) == 4 else fill + (255,))
        alpha = layer.getchannel("A")
        alpha = Image.composite(alpha, Image.new("L", self.im.size, 0), mask)
        layer = layer.copy()
        layer.putalpha(alpha)
        self.im = Image.alpha_composite(self.im, layer)

    # Shapes as masks, in final-pixel coordinates.
    def disc_mask(self, cx, cy, r):
        m = self._mask()
        ImageDraw.Draw(m).ellipse(
            [(cx - r) * SS, (cy - r) * SS, (cx + r) * SS - 1, (cy + r) * SS - 1], fill=255
        )
        return m

    def ring_mask(self, cx, cy, r_out, r_in):
        m = self.disc_mask(cx, cy, r_out)
        hole = self.disc_mask(cx, cy, r_in)
        return Image.composite(Image.new("L", m.size, 0), m, hole)

    def poly_mask(self, pts):
        m = self._mask()
        ImageDraw.Draw(m).polygon([(x * SS, y * SS) for x, y in pts], fill=255)
        return m

    def rect_mask(self, x0, y0, x1, y1, radius=0):
        m = self._mask()
        box = [x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1]
        if radius:
            ImageDraw.Draw(m).rounded_rectangle(box, radius=radius * SS, fill=255)
        else:
            ImageDraw.Draw(m).rectangle(box, fill=255)
        return m

    def stroke_mask(self, pts, width, closed=False):
        """A polyline of the given width with round joins and caps."""
        m = self._mask()
        d = ImageDraw.Draw(m)
        p = [(x * SS, y * SS) for x, y in pts]
        if closed:
            p = p + [p[0]]
        d.line(p, fill=255, width=max(1, round(width * SS)))
        r = width * SS / 2
        for x, y in p:
            d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return m

    def arc_mask(self, cx, cy, r, width, start, end):
        """Arc of centre line radius r from angle start to end (degrees, clockwise from
        3 o'clock, as Pillow counts), with round caps."""
        m = self._mask()
        d = ImageDraw.Draw(m)
        ro = (r + width / 2) * SS
        d.arc([cx * SS - ro, cy * SS - ro, cx * SS + ro, cy * SS + ro], start, end, fill=255,
              width=round(width * SS))
        for a in (start, end):
            x = (cx + r * math.cos(math.radians(a))) * SS
            y = (cy + r * math.sin(math.radians(a))) * SS
            w = width * SS / 2
            d.ellipse([x - w, y - w, x + w, y + w], fill=255)
        return m

    def text_mask(self, xy, text, fnt_path, size, anchor="la"):
        m = self._mask()
        ImageDraw.Draw(m).text((xy[0] * SS, xy[1] * SS), text, fill=255,
                               font=font(fnt_path, round(size * SS)), anchor=anchor)
        return m

    def reduce(self):
        return self.im.reduce(SUPER)


def union(*masks):
    m = masks[0]
    for other in masks[1:]:
        m = Image.composite(Image.new("L", m.size, 255), m, other)
    return m


def grow(mask, px):
    """The mask widened by about px final pixels (for outlines)."""
    from PIL import ImageFilter

    size = int(px * SS) * 2 + 1
    return mask.filter(ImageFilter.MaxFilter(size))


def shifted(mask, dx, dy):
    m = Image.new("L", mask.size, 0)
    m.paste(mask, (round(dx * SS), round(dy * SS)))
    return m


def vgradient(size, top, bottom, y0=0, y1=None):
    """RGBA picture of a vertical gradient from colour `top` at row y0 to `bottom` at y1."""
    w, h = size
    y1 = h if y1 is None else y1
    im = Image.new("RGBA", size)
    d = ImageDraw.Draw(im)
    for y in range(h):
        t = min(1.0, max(0.0, (y - y0) / max(1, (y1 - y0 - 1))))
        d.line([(0, y), (w, y)], fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,))
    return im


# ---------------------------------------------------------------------------------------
# File writers: 24-bit BMP, ICO/CUR with DIB entries, PNG.
# ---------------------------------------------------------------------------------------


def save_bmp24(im, name):
    """Uncompressed (BI_RGB) 24-bit BMP, bottom-up, as Pillow writes it for RGB pictures."""
    im.convert("RGB").save(out(name), format="BMP")


def save_png(im, name):
    im.save(out(name), format="PNG", optimize=False)


def _dib(im, bpp):
    """DIB for one ICO/CUR entry: header, colour table (8 bpp), XOR bitmap and AND mask."""
    w, h = im.size
    rgba = im.convert("RGBA")
    alpha = rgba.getchannel("A")
    transparent = [a < 128 for a in alpha.getdata()]
    if bpp == 8:
        # Up to 255 colours for the visible pixels; a 1-bit mask makes the rest transparent.
        solid = Image.new("RGB", (w, h), (0, 0, 0))
        solid.paste(rgba.convert("RGB"), mask=alpha.point(lambda a: 255 if a >= 128 else 0))
        pal_im = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        palette = pal_im.getpalette()[: 256 * 3]
        palette += [0] * (256 * 3 - len(palette))
        indices = list(pal_im.getdata())
        table = b"".join(bytes((palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0)) for i in range(256))
        row_len = (w + 3) & ~3
        rows = []
        for y in range(h - 1, -1, -1):
            row = bytes(0 if transparent[y * w + x] else indices[y * w + x] for x in range(w))
            rows.append(row + b"\0" * (row_len - w))
        xor = b"".join(rows)
        clr_used = 256
    else:
        table = b""
        px = list(rgba.getdata())
        rows = []
        for y in range(h - 1, -1, -1):
            rows.append(b"".join(
                bytes((0, 0, 0, 0)) if px[y * w + x][3] == 0
                else bytes((px[y * w + x][2], px[y * w + x][1], px[y * w + x][0], px[y * w + x][3]))
                for x in range(w)))
        xor = b"".join(rows)
        clr_used = 0
    mask_row_len = ((w + 31) // 32) * 4
    mask_rows = []
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_row_len)
        for x in range(w):
            if transparent[y * w + x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    and_mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, len(xor) + len(and_mask), 0, 0, clr_used, 0)
    return header + table + xor + and_mask


def save_icon_file(entries, name, kind=1, hotspot=(0, 0)):
    """ICO (kind 1) or CUR (kind 2). entries: list of (image, bpp); bpp 'png' embeds a PNG."""
    blobs, dirs = [], []
    offset = 6 + 16 * len(entries)
    for im, bpp in entries:
        w, h = im.size
        if bpp == "png":
            buf = io.BytesIO()
            im.save(buf, format="PNG")
            data, bitcount = buf.getvalue(), 32
        else:
            data, bitcount = _dib(im, bpp), bpp
        if kind == 2:
            f1, f2 = hotspot  # a cursor stores its hotspot where an icon has planes/bit count
        else:
            f1, f2 = 1, bitcount
        dirs.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, f1, f2, len(data), offset))
        blobs.append(data)
        offset += len(data)
    with open(out(name), "wb") as f:
        f.write(struct.pack("<HHH", 0, kind, len(entries)))
        f.write(b"".join(dirs))
        f.write(b"".join(blobs))


# ---------------------------------------------------------------------------------------
# The program's emblem: a blue clock face whose centre is a white power symbol.
# ---------------------------------------------------------------------------------------

FACE_TOP = (64, 140, 255)
FACE_BOTTOM = (0, 26, 128)
FACE_RIM = (0, 14, 60)
TICK = (190, 215, 255)


def emblem(size, glyph="power"):
    """The emblem at `size` pixels, as RGBA. The detail follows the size: clock ticks from
    32 pixels up, all twelve from 48; heavier strokes where pixels are few."""
    s = float(size)
    c = Canvas(size, size)
    cx = cy = s / 2
    r = s * 0.47 if size > 16 else 7.5
    face = c.disc_mask(cx, cy, r)
    c.paint(face, FACE_RIM)
    rim_w = max(1.0, s * 0.035)
    inner = c.disc_mask(cx, cy, r - rim_w)
    c.paint(inner, vgradient(c.im.size, FACE_TOP, FACE_BOTTOM, int((cy - r) * SS), int((cy + r) * SS)))
    # A soft highlight over the upper half.
    if size >= 32:
        hl = c._mask()
        ImageDraw.Draw(hl).ellipse([(cx - r * 0.78) * SS, (cy - r * 0.93) * SS,
                                    (cx + r * 0.78) * SS, (cy - r * 0.05) * SS], fill=255)
        hl = Image.composite(hl, Image.new("L", hl.size, 0), inner)
        c.paint(hl, (255, 255, 255, 30))

    if size >= 32:
        if size >= 48:
            ticks = range(12)
        else:  # at 32 the power bar stands at 12, a letter reaches down to 6
            ticks = (3, 6, 9) if glyph == "power" else (3, 9)
        for k in ticks:
            a = math.radians(k * 30 - 90)
            major = k % 3 == 0
            if size >= 48:
                r1 = r - rim_w - s * 0.035
                r0 = r1 - s * (0.09 if major else 0.05)
                w = s * (0.045 if major else 0.028)
            else:  # short marks by the rim, so they read as a dial and not as a cross
                r1 = r - rim_w - 1.6
                r0 = r1 - 1.2
                w = 1.8
            pts = [(cx + r0 * math.cos(a), cy + r0 * math.sin(a)), (cx + r1 * math.cos(a), cy + r1 * math.sin(a))]
            c.paint(c.stroke_mask(pts, w), TICK + (255 if major else 200,))

    if glyph == "power":
        if size <= 16:
            rr, sw, gap, bar_top = 3.6, 1.9, 44, 2.9
        elif size <= 32:
            rr, sw, gap, bar_top = s * 0.215, 3.0, 42, s * 0.225
        else:
            rr, sw, gap, bar_top = s * 0.215, s * 0.075, 42, s * 0.235
        ring = c.arc_mask(cx, cy + (0.3 if size <= 16 else 0), rr, sw, -90 + gap, 270 - gap)
        bar = c.stroke_mask([(cx, bar_top), (cx, cy - (0.2 if size <= 16 else s * 0.01))], sw)
        sym = union(ring, bar)
    else:
        # A letter in the middle of the face: "i" for About, "?" for Help.
        size_pt = s * (0.6 if glyph == "?" else 0.62)
        sym = c.text_mask((cx, cy + s * 0.02), glyph, FONT_GLYPH, size_pt, anchor="mm")
    if size >= 32:
        c.paint(shifted(sym, 0, max(1.0, s * 0.02)), (0, 0, 40, 130))
    c.paint(sym, (255, 255, 255))
    return c.reduce()


def emblem_svg():
    """The same emblem as a scalable picture (the geometry of the 48-pixel-and-up drawing)."""
    s = 256.0
    cx = cy = s / 2
    r = s * 0.47
    rim_w = s * 0.035
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        "<defs>",
        '<linearGradient id="face" x1="0" y1="0" x2="0" y2="1">',
        '<stop offset="0" stop-color="#%02x%02x%02x"/>' % FACE_TOP,
        '<stop offset="1" stop-color="#%02x%02x%02x"/>' % FACE_BOTTOM,
        "</linearGradient>",
        '<clipPath id="inner"><circle cx="128" cy="128" r="%.2f"/></clipPath>' % (r - rim_w),
        "</defs>",
        '<circle cx="128" cy="128" r="%.2f" fill="#%02x%02x%02x"/>' % ((r,) + FACE_RIM),
        '<circle cx="128" cy="128" r="%.2f" fill="url(#face)"/>' % (r - rim_w),
        '<ellipse cx="128" cy="%.2f" rx="%.2f" ry="%.2f" fill="#ffffff" fill-opacity="0.118" '
        'clip-path="url(#inner)"/>' % (cy - r * 0.49, r * 0.78, r * 0.44),
    ]
    for k in range(12):
        a = math.radians(k * 30 - 90)
        major = k % 3 == 0
        r1 = r - rim_w - s * 0.035
        r0 = r1 - s * (0.09 if major else 0.05)
        w = s * (0.045 if major else 0.028)
        parts.append(
            '<line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f" stroke="#%02x%02x%02x" stroke-opacity="%s" '
            'stroke-width="%.2f" stroke-linecap="round"/>'
            % ((cx + r0 * math.cos(a), cy + r0 * math.sin(a), cx + r1 * math.cos(a), cy + r1 * math.sin(a))
               + TICK + ("1" if major else "0.784", w)))
    rr, sw, gap, bar_top = s * 0.215, s * 0.075, 42, s * 0.235
    a0, a1 = math.radians(-90 + gap), math.radians(270 - gap)
    x0, y0 = cx + rr * math.cos(a0), cy + rr * math.sin(a0)
    x1, y1 = cx + rr * math.cos(a1), cy + rr * math.sin(a1)
    path = "M %.2f %.2f A %.2f %.2f 0 1 1 %.2f %.2f M %.2f %.2f L %.2f %.2f" % (
        x0, y0, rr, rr, x1, y1, cx, bar_top, cx, cy - s * 0.01)
    for dy, colour, opacity in ((s * 0.02, "#000028", "0.51"), (0, "#ffffff", "1")):
        parts.append(
            '<path d="%s" transform="translate(0 %.2f)" fill="none" stroke="%s" stroke-opacity="%s" '
            'stroke-width="%.2f" stroke-linecap="round"/>' % (path, dy, colour, opacity, sw))
    parts.append("</svg>")
    with open(out("vodivuri.svg"), "w") as f:
        f.write("\n".join(parts) + "\n")


def make_icons():
    sizes = {n: emblem(n) for n in (16, 32, 48, 64, 128, 256)}
    # The 32-pixel PNG holds 256 colours, its transparency in the palette.
    sizes[32].quantize(colors=256, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE).save(
        out("vodivuri.png"), format="PNG")
    for n in (16, 48, 64, 128, 256):
        save_png(sizes[n], "vodivuri-%d.png" % n)
    save_icon_file([(sizes[32], 8), (sizes[16], 8), (sizes[32], 32), (sizes[16], 32), (sizes[48], 32),
                    (sizes[256], "png")], "vodivuri.ico")
    emblem_svg()
    for glyph, name in (("i", "about.ico"), ("?", "help.ico")):
        e32, e16 = emblem(32, glyph), emblem(16, glyph)
        save_icon_file([(e32, 8), (e16, 8), (e32, 32), (e16, 32)], name)
    return sizes


# ---------------------------------------------------------------------------------------
# Toolbar strip and the raised buttons.
# ---------------------------------------------------------------------------------------

STRIP_W, STRIP_H = 387, 43
VISIBLE_W = 381  # the strip's picture box is 5715 twips wide: the last 6 columns never show
BUTTON_LEFT = 14  # 215 twips, to the whole pixel where the raised image lands
BUTTON_W, BUTTON_H, BUTTON_TOP = 50, 40, 2
WORDS = ["Startup", "No start", "Ocultar", "Salir", "Ayuda", "Acerca..."]

BG_TOP = (0, 118, 134)
BG_BOTTOM = (0, 78, 92)
EDGE_LIGHT = (150, 220, 228)
EDGE_MID_LIGHT = (40, 160, 174)
EDGE_DARK = (0, 20, 26)
EDGE_MID_DARK = (0, 52, 62)
OUTLINE = (0, 28, 34)


def strip_background():
    im = vgradient((STRIP_W, STRIP_H), BG_TOP, BG_BOTTOM).convert("RGB")
    d = ImageDraw.Draw(im)
    d.line([(0, 0), (STRIP_W, 0)], fill=(60, 170, 182))  # a lit top edge
    d.line([(0, STRIP_H - 1), (STRIP_W, STRIP_H - 1)], fill=(0, 40, 48))  # and a shaded bottom
    return im


def draw_grip(im, x):
    """Two raised ridges, each light on the left and dark on the right, 3 pixels apart."""
    d = ImageDraw.Draw(im)
    for gx in (x, x + 4):
        d.line([(gx, 5), (gx, STRIP_H - 7)], fill=EDGE_LIGHT)
        d.line([(gx + 1, 5), (gx + 1, STRIP_H - 7)], fill=EDGE_DARK)
        d.point((gx, STRIP_H - 6), fill=EDGE_DARK)
        d.point((gx + 1, 4), fill=EDGE_LIGHT)


def icon_layer(k):
    """The picture of button k (1..6), 24 x 24 pixels, RGBA, each shape with a dark outline."""
    c = Canvas(24, 24)

    def shape(mask, fill, outline=1.0):
        c.paint(grow(mask, outline), OUTLINE)
        c.paint(mask, fill)

    if k in (1, 2):
        # A monitor: green tick over it to run at start, red cross not to.
        screen = c.rect_mask(2, 3, 20, 16, radius=1.5)
        stand = union(c.rect_mask(9, 16, 13, 19), c.rect_mask(6, 19, 16, 21, radius=1))
        shape(union(screen, stand), (214, 222, 230))
        c.paint(c.rect_mask(4, 5, 18, 14), vgradient(c.im.size, (40, 90, 200), (10, 30, 110), 5 * SS, 14 * SS))
        c.paint(c.rect_mask(9, 16, 13, 19), (150, 160, 172))
        if k == 1:
            mark = c.stroke_mask([(13.2, 15.2), (16.2, 18.4), (21.6, 11.6)], 2.6)
            shape(mark, (90, 230, 90), 1.1)
        else:
            mark = union(c.stroke_mask([(13.8, 12.0), (20.8, 19.0)], 2.6),
                         c.stroke_mask([(20.8, 12.0), (13.8, 19.0)], 2.6))
            shape(mark, (255, 80, 70), 1.1)
    elif k == 3:
        # A window going down into the notification area.
        win = c.rect_mask(2, 2, 17, 14, radius=1)
        shape(win, (230, 236, 242))
        c.paint(c.rect_mask(3, 3, 16, 6), (30, 80, 190))
        tray = c.rect_mask(3, 19, 22, 22, radius=1)
        shape(tray, (160, 170, 182))
        arrow = union(c.stroke_mask([(16.5, 8.0), (16.5, 14.5)], 2.4),
                      c.poly_mask([(12.3, 12.8), (20.7, 12.8), (16.5, 18.0)]))
        shape(arrow, (255, 214, 60), 1.0)
    elif k == 4:
        # An open door with an arrow leaving through it.
        frame = c.rect_mask(3, 2, 15, 22)
        shape(frame, (120, 70, 30))
        c.paint(c.rect_mask(4.5, 3.5, 13.5, 21), (20, 24, 30))  # the dark doorway
        leaf = c.poly_mask([(4.5, 3.5), (10.5, 5.5), (10.5, 22.5), (4.5, 21)])
        shape(leaf, (205, 135, 65), 0.8)
        c.paint(c.disc_mask(9.2, 13.2, 0.9), (255, 230, 150))
        arrow = union(c.stroke_mask([(12.5, 12.5), (18.0, 12.5)], 2.6),
                      c.poly_mask([(17.0, 8.0), (22.6, 12.5), (17.0, 17.0)]))
        shape(arrow, (255, 84, 70), 1.0)
    elif k == 5:
        disc = c.disc_mask(12, 12, 9.5)
        shape(disc, (255, 214, 60))
        c.paint(c.text_mask((12, 12.6), "?", FONT_GLYPH, 15, anchor="mm"), (40, 30, 0))
    elif k == 6:
        e = emblem(22)
        c.paint(grow(c.disc_mask(12, 12, 10.3), 0.8), OUTLINE)
        layer = Image.new("RGBA", c.im.size, (0, 0, 0, 0))
        layer.paste(e.resize((22 * SS, 22 * SS), Image.Resampling.NEAREST), (SS, SS))
        c.im = Image.alpha_composite(c.im, layer)
    return c.reduce()


def button_face(bg, k, scale=1):
    """Icon and word of button k drawn onto `bg`, a 50 x 40 piece of the strip (`scale`
    times larger)."""
    im = bg.copy().convert("RGBA")
    with scaled(scale):
        layer = icon_layer(k)
    im.alpha_composite(layer, (13 * scale, 1 * scale))
    d = ImageDraw.Draw(im)
    f = font(FONT_LABEL, 11 * scale)
    word = WORDS[k - 1]
    # Letters at their own advances; where a word would crowd the border, the gaps between
    # its dots and letters shrink a little (only "Acerca..." needs it).
    advances = [d.textlength(ch, font=f) for ch in word]
    squeeze = max(0.0, sum(advances) - 41 * scale) / max(1, len(word) - 1)
    x0 = (BUTTON_W * scale - (sum(advances) - squeeze * (len(word) - 1))) / 2
    for colour, off in (((0, 30, 36), scale), ((255, 255, 255), 0)):  # a soft shadow, then the word
        x = x0
        for ch, adv in zip(word, advances):
            d.text((round(x) + off, 24 * scale + off), ch, font=f, fill=colour)
            x += adv - squeeze
    return im.convert("RGB")


def make_toolbar():
    strip = strip_background()
    draw_grip(strip, 4)
    draw_grip(strip, VISIBLE_W - 12)
    plain = strip.copy()
    # For screens with two device pixels to the pixel: edges, lines and grips doubled,
    # the pictures and words drawn at twice the size.
    strip2 = doubled(plain)
    for k in range(1, 7):
        x = BUTTON_LEFT + BUTTON_W * (k - 1)
        box = (x, BUTTON_TOP, x + BUTTON_W, BUTTON_TOP + BUTTON_H)
        strip.paste(button_face(plain.crop(box), k), box[:2])
        strip2.paste(button_face(doubled(plain.crop(box)), k, 2), (box[0] * 2, box[1] * 2))
    save_bmp24(strip, "toolbar.bmp")
    save_png(strip2, "toolbar@2x.png")

    for k in range(1, 7):
        x = BUTTON_LEFT + BUTTON_W * (k - 1)
        box = (x, BUTTON_TOP, x + BUTTON_W, BUTTON_TOP + BUTTON_H)
        lit = plain.crop(box).point(lambda v: min(255, v + 14))  # a touch brighter when hovered
        im = button_face(lit, k)
        d = ImageDraw.Draw(im)
        w, h = BUTTON_W - 1, BUTTON_H - 1
        d.line([(0, h), (0, 0), (w, 0)], fill=EDGE_LIGHT)
        d.line([(1, h - 1), (1, 1), (w - 1, 1)], fill=EDGE_MID_LIGHT)
        d.line([(1, h), (w, h), (w, 0)], fill=EDGE_DARK)
        d.line([(2, h - 1), (w - 1, h - 1), (w - 1, 1)], fill=EDGE_MID_DARK)
        save_bmp24(im, "raised_%d.bmp" % k)
        # The two-pixel edges doubled, inside them the face drawn at twice the size.
        im2 = doubled(im)
        face2 = button_face(doubled(lit), k, 2)
        inner = (4, 4, BUTTON_W * 2 - 4, BUTTON_H * 2 - 4)
        im2.paste(face2.crop(inner), inner[:2])
        save_png(im2, "raised_%d@2x.png" % k)


# ---------------------------------------------------------------------------------------
# The 13 x 11 arrow glyphs.
# ---------------------------------------------------------------------------------------


def arrow(bg, fg, base, up):
    """A centred triangle `base` pixels wide at its base (odd), pointing up or down."""
    im = Image.new("RGB", (13, 11), bg)
    d = ImageDraw.Draw(im)
    rows = (base + 1) // 2
    top = (11 - rows) // 2
    for i in range(rows):
        d.line([(6 - i, top + i), (6 + i, top + i)], fill=fg)
    # The down arrow is the up arrow's mirror, so a stacked pair is symmetric about its gap.
    return im if up else im.transpose(Image.Transpose.FLIP_TOP_BOTTOM)


def make_arrows():
    save_bmp24(arrow((0, 0, 0), (255, 255, 255), 7, True), "arrow_up.bmp")
    save_bmp24(arrow((0, 0, 0), (255, 255, 255), 7, False), "arrow_down.bmp")
    save_bmp24(arrow((192, 192, 192), (0, 0, 0), 5, True), "cal_arrow_up.bmp")
    save_bmp24(arrow((192, 192, 192), (0, 0, 0), 5, False), "cal_arrow_down.bmp")


# ---------------------------------------------------------------------------------------
# The About window's background.
# ---------------------------------------------------------------------------------------

ABOUT_W, ABOUT_H = 386, 321
ABOUT_VISIBLE = (346, 253)  # the window's client area: 5190 x 3795 twips
LINK_TOP = 232  # the link label starts at 3480 twips


def make_about():
    vw, vh = ABOUT_VISIBLE
    c = Canvas(ABOUT_W, ABOUT_H)
    c.paint(c.rect_mask(0, 0, ABOUT_W, ABOUT_H),
            vgradient(c.im.size, (0, 28, 104), (0, 0, 8), 0, 215 * SS))
    cx, cy = vw / 2, 111
    # A faint glow and the large dial behind the emblem.
    glow_r = 150
    glow = Image.radial_gradient("L").resize((2 * glow_r * SS, 2 * glow_r * SS), Image.Resampling.BICUBIC)
    glow = glow.point(lambda v: max(0, 255 - v) * 56 // 255)  # bright centre, fading out
    layer = Image.new("RGBA", glow.size, (40, 110, 255, 0))
    layer.putalpha(glow)
    glow_full = Image.new("RGBA", c.im.size, (0, 0, 0, 0))
    glow_full.paste(layer, (round((cx - glow_r) * SS), round((cy - glow_r) * SS)))
    c.im = Image.alpha_composite(c.im, glow_full)
    c.paint(c.ring_mask(cx, cy, 84, 83), (120, 170, 255, 60))
    for k in range(60):
        a = math.radians(k * 6 - 90)
        major = k % 5 == 0
        r1, r0 = 80, (72 if major else 77)
        pts = [(cx + r0 * math.cos(a), cy + r0 * math.sin(a)), (cx + r1 * math.cos(a), cy + r1 * math.sin(a))]
        c.paint(c.stroke_mask(pts, 1.6 if major else 0.8), (150, 190, 255, 70 if major else 40))
    # The emblem itself, 40 pixels, in the gap between the version and the maker lines.
    e = emblem(40).resize((40 * SS, 40 * SS), Image.Resampling.BICUBIC)
    layer = Image.new("RGBA", c.im.size, (0, 0, 0, 0))
    layer.paste(e, (round((cx - 20) * SS), round((cy - 20) * SS)))
    c.im = Image.alpha_composite(c.im, layer)
    # A pale footer behind the blue link, so (0, 0, 255) text stays readable.
    foot_top = LINK_TOP - 4
    c.paint(c.rect_mask(0, foot_top, ABOUT_W, ABOUT_H),
            vgradient(c.im.size, (226, 232, 244), (196, 206, 226), foot_top * SS, vh * SS))
    c.paint(c.rect_mask(0, foot_top, ABOUT_W, foot_top + 1), (90, 140, 230))
    im = c.reduce().convert("RGB")
    im.save(out("about_background.jpg"), format="JPEG", quality=92, subsampling=0, optimize=False)


# ---------------------------------------------------------------------------------------
# The hand cursor, drawn pixel by pixel: X outline, . fill, blank transparent.
# ---------------------------------------------------------------------------------------

HAND = [
    "     XX          ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..XXX       ",
    "    X..X..XXX    ",
    "    X..X..X..XXX ",
    "    X..X..X..X..X",
    " XX X..X..X..X..X",
    "X..XX..X..X..X..X",
    "X...X...........X",
    " X..............X",
    "  X.............X",
    "  X.............X",
    "   X...........X ",
    "    X..........X ",
    "    X.........X  ",
    "     X........X  ",
    "     X........X  ",
    "     XXXXXXXXXX  ",
]
HAND_ORIGIN = (5, 1)  # where the drawing's top-left corner lands in the 32 x 32 cursor
HOTSPOT = (HAND_ORIGIN[0] + 5, HAND_ORIGIN[1])  # the top of the index finger


def make_hand():
    im = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    ox, oy = HAND_ORIGIN
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch == "X":
                im.putpixel((ox + x, oy + y), (0, 0, 0, 255))
            elif ch == ".":
                im.putpixel((ox + x, oy + y), (255, 255, 255, 255))
    save_png(im, "hand.png")
    save_icon_file([(im, 32)], "hand.cur", kind=2, hotspot=HOTSPOT)


def main():
    make_icons()
    make_toolbar()
    make_arrows()
    make_about()
    make_hand()


if __name__ == "__main__":
    main()
