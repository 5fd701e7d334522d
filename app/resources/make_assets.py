#!/usr/bin/env python3
"""Makes Zelvorn's pictures and click sound.

Writes, next to this script:
  zelvorn.ico        the program icon: a grey round button with an orange
                     down arrow, 64, 48, 32 and 16 pixels, 32-bpp DIBs with alpha
  logo_thunder.ico   16 x 16 logos of the three download buttons, and 20, 24
  logo_flashget.ico  and 32 pixels for screens of higher DPI (32-bpp DIBs):
  logo_qqdl.ico      a lightning bolt, a comet, a swirl
  banner.gif         the 455 x 80 banner for our web hosting, two frames of one
                     second each, looping for ever
  click.wav          the button click: 40 ms, 16-bit mono PCM at 22050 Hz

Run from the repository root:  python3 app/resources/make_assets.py
Python 3 standard library only; every run writes the same bytes.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def save(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# --- Icons -------------------------------------------------------------------
# A picture is drawn by a function paint(x, y) -> (r, g, b, a) or None, with x
# and y running from -1 to 1 across the square (y downwards). Each pixel
# averages a grid of samples, which gives the edges their antialiasing.

def render(size, paint, grid=None):
    grid = grid or max(4, 96 // size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(grid):
                for sx in range(grid):
                    c = paint((px + (sx + 0.5) / grid) * 2 / size - 1,
                              (py + (sy + 0.5) / grid) * 2 / size - 1)
                    if c:
                        w = c[3] / 255
                        r, g, b, a = r + c[0] * w, g + c[1] * w, b + c[2] * w, a + w
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / grid ** 2)))
        rows.append(row)
    return rows


def ico(images):
    """An ICO file of 32-bpp DIB entries; images: list of pixel rows (square)."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for rows in images:
        n = len(rows)
        mask_stride = (n + 31) // 32 * 4
        pixels, mask = bytearray(), bytearray()
        for row in reversed(rows):  # DIBs are stored bottom row first
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(row):
                pixels += bytes((b, g, r, a))
                if a == 0:  # the AND mask: 1 where the icon is see-through
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                             len(pixels) + len(mask), 0, 0, 0, 0)
        blob = header + pixels + mask
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def in_polygon(x, y, pts):
    inside = False
    for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def edge_distance(x, y, pts):
    best = 9.0
    for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        best = min(best, math.hypot(x - x1 - t * dx, y - y1 - t * dy))
    return best


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def program_icon(size):
    """The grey button with the orange arrow; smaller sizes get a bolder arrow."""
    px = 2 / size  # one pixel in unit lengths
    bold = 0.05 if size <= 16 else 0.0
    shaft, head = 0.17 + bold, 0.47 + bold
    arrow = [(-shaft, -0.58), (shaft, -0.58), (shaft, 0.0), (head, 0.0),
             (0.0, 0.62), (-head, 0.0), (-shaft, 0.0)]
    shadow = 1.5 * px if size >= 32 else 0.0

    def paint(x, y):
        r = math.hypot(x, y)
        if r > 0.96:
            return None
        if r > 0.96 - px:  # dark outline
            return (70, 72, 78, 255)
        if r > 0.80:  # bevelled rim, lit from the top left
            return mix((235, 236, 240), (105, 108, 116), (x + y + 1.4) / 2.8) + (255,)
        if in_polygon(x, y, arrow):
            if size >= 32 and edge_distance(x, y, arrow) < px:
                return (176, 74, 0, 255)
            return mix((255, 168, 40), (236, 104, 0), (y + 0.6) / 1.2) + (255,)
        face = mix((222, 223, 227), (160, 163, 170), (y - 0.3 * x + 0.8) / 1.6)
        gloss = (x + 0.1) ** 2 / 0.5 + (y + 0.42) ** 2 / 0.09
        if gloss < 1:  # soft highlight across the top
            face = mix(face, (255, 255, 255), 0.55 * (1 - gloss))
        if shadow and in_polygon(x - shadow, y - shadow, arrow):
            face = mix(face, (60, 60, 60), 0.35)
        if r > 0.80 - px:  # a thin groove between rim and face
            face = mix(face, (90, 92, 98), 0.6)
        return face + (255,)

    return render(size, paint)


def thunder_logo(x, y):
    bolt = [(0.08, -0.74), (0.46, -0.74), (0.14, -0.12), (0.48, -0.12),
            (-0.24, 0.80), (-0.04, 0.14), (-0.42, 0.14)]
    r = math.hypot(x, y)
    if r > 0.98:
        return None
    if in_polygon(x, y, bolt):
        return mix((255, 240, 120), (250, 190, 0), (y + 0.8) / 1.6) + (255,)
    if r > 0.86:
        return (16, 54, 140, 255)
    return mix((70, 150, 250), (20, 80, 200), (y + 1) / 2) + (255,)


def flashget_logo(x, y):
    hx, hr = 0.36, 0.56  # the comet's head, flying to the right
    d = math.hypot(x - hx, y)
    if d < hr:
        if d > hr - 0.16:
            return (190, 80, 0, 255)
        return mix((255, 214, 100), (250, 130, 10), d / hr) + (255,)
    # three speed lines behind it, two pixels thick on the 16-pixel grid
    for top, start in ((-0.5, -0.7), (-0.125, -0.98), (0.25, -0.7)):
        if top <= y < top + 0.25 and start <= x < hx:
            return mix((170, 235, 150), (20, 150, 60), (x - start) / (hx - start)) + (255,)
    return None


def qqdl_logo(x, y):
    r = math.hypot(x, y)
    if r > 0.98:
        return None
    if r > 0.86:
        return (0, 96, 100, 255)
    turn = (math.atan2(y, x) / (2 * math.pi) + 1.1 * r) % 0.5  # two arms
    if turn < 0.22 and r > 0.12:
        return (0, 140, 145, 255)
    return mix((200, 250, 245), (120, 215, 210), r) + (255,)


# --- Banner ------------------------------------------------------------------
# A 5 x 7 capital font, one string per glyph, its seven rows left to right.

FONT = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .####",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    "J": "..### ...#. ...#. ...#. ...#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###.",
    "1": "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    "2": ".###. #...# ....# ...#. ..#.. .#... #####",
    "3": "####. ....# ....# .###. ....# ....# ####.",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    "5": "##### #.... ####. ....# ....# #...# .###.",
    "6": "..##. .#... #.... ####. #...# #...# .###.",
    "7": "##### ....# ...#. ..#.. .#... .#... .#...",
    "8": ".###. #...# #...# .###. #...# #...# .###.",
    "9": ".###. #...# #...# .#### ....# ...#. .##..",
    "$": "..#.. .#### #.#.. .###. ..#.# ####. ..#..",
    "/": "....# ....# ...#. ..#.. .#... #.... #....",
    "%": "##..# ##..# ...#. ..#.. .#... #..## #..##",
    "!": "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..",
    ".": "..... ..... ..... ..... ..... .##.. .##..",
    "-": "..... ..... ..... ##### ..... ..... .....",
    "*": "..... ..... ..#.. .###. ..#.. ..... .....",
    " ": "..... ..... ..... ..... ..... ..... .....",
}

W, H = 455, 80


class Canvas:
    def __init__(self, colour):
        self.px = [[colour] * W for _ in range(H)]

    def rect(self, x0, y0, x1, y1, colour):  # x1, y1 exclusive
        for y in range(max(0, y0), min(H, y1)):
            for x in range(max(0, x0), min(W, x1)):
                self.px[y][x] = colour

    def disc(self, cx, cy, r, colour, keep=lambda dx, dy: True):
        for y in range(max(0, cy - r), min(H, cy + r + 1)):
            for x in range(max(0, cx - r), min(W, cx + r + 1)):
                dx, dy = x - cx, y - cy
                if dx * dx + dy * dy <= r * r + r and keep(dx, dy):
                    self.px[y][x] = colour

    def text(self, s, y, scale, colour, shadow=None, centre=277):
        x0 = centre - (len(s) * 6 * scale - scale) // 2
        for off, ink in (((scale + 1) // 2, shadow), (0, colour)):  # shadow first
            if ink is None:
                continue
            for i, ch in enumerate(s):
                for row, bits in enumerate(FONT[ch].split()):
                    for col, bit in enumerate(bits):
                        if bit == "#":
                            x, yy = x0 + off + (i * 6 + col) * scale, y + off + row * scale
                            self.rect(x, yy, x + scale, yy + scale, ink)


def gradient(canvas, top, bottom, steps=8):
    for y in range(H):
        c = mix(top, bottom, (y * steps // H) / (steps - 1))
        canvas.rect(0, y, W, y + 1, tuple(round(v) for v in c))


def side_bands(canvas, colour, edge):
    # Each band is one solid colour, a different one in each frame: the real-input
    # test watches a point in the left band (10, 40) to see the frames take turns.
    canvas.rect(0, 0, 22, H, colour)
    canvas.rect(W - 22, 0, W, H, colour)
    canvas.rect(22, 0, 23, H, edge)
    canvas.rect(W - 23, 0, W - 22, H, edge)


def frame_servers():
    c = Canvas((0, 0, 0))
    gradient(c, (14, 28, 78), (40, 90, 176))
    side_bands(c, (250, 190, 40), (120, 80, 0))
    for i in range(3):  # a stack of three servers
        y = 13 + i * 19
        c.rect(38, y, 100, y + 16, (60, 66, 84))
        c.rect(39, y + 1, 99, y + 15, (196, 202, 214))
        for s in range(4):
            c.rect(44 + s * 8, y + 4, 48 + s * 8, y + 12, (110, 118, 136))
        c.rect(84, y + 6, 88, y + 10, (70, 230, 100))
        c.rect(91, y + 6, 95, y + 10, (250, 170, 30) if i == 1 else (70, 230, 100))
    c.text("ZELVORN HOSTING", 14, 3, (255, 255, 255), shadow=(8, 16, 48))
    c.text("FAST * STABLE * CHEAP", 48, 2, (255, 214, 70), shadow=(8, 16, 48))
    return c.px


def frame_price():
    c = Canvas((0, 0, 0))
    gradient(c, (196, 44, 24), (250, 146, 36))
    side_bands(c, (24, 44, 116), (8, 16, 48))
    cx, cy, r = 68, 40, 25  # a globe: sea, two parallels, the equator, three meridians
    c.disc(cx, cy, r + 2, (10, 40, 100))
    c.disc(cx, cy, r, (44, 128, 226))

    def grid_line(dx, dy):
        return abs(dy) <= 1 or abs(abs(dy) - 12) < 1 or abs(dx) < 1 \
            or abs(math.hypot(2 * dx, dy) - r) < 1.6

    c.disc(cx, cy, r, (200, 232, 255), grid_line)
    c.text("WEB HOSTING FROM", 8, 2, (255, 255, 255), shadow=(110, 20, 10))
    c.text("1$/MONTH", 27, 4, (255, 236, 90), shadow=(110, 20, 10))
    c.text("99.9% UPTIME - ORDER NOW!", 64, 1, (255, 255, 255))
    return c.px


def lzw(indices, min_bits):
    """GIF's variable-length LZW, restarting the table when it is full."""
    clear, end = 1 << min_bits, (1 << min_bits) + 1
    out, acc, nacc = bytearray(), 0, 0
    bits, table, nxt = min_bits + 1, {}, end + 1

    def emit(code):
        nonlocal acc, nacc
        acc |= code << nacc
        nacc += bits
        while nacc >= 8:
            out.append(acc & 0xFF)
            acc, nacc = acc >> 8, nacc - 8

    emit(clear)
    prefix = indices[0]
    for k in indices[1:]:
        if (prefix, k) in table:
            prefix = table[prefix, k]
            continue
        emit(prefix)
        if nxt < 4096:
            table[prefix, k] = nxt
            nxt += 1
            if nxt > (1 << bits) and bits < 12:
                bits += 1
        else:
            emit(clear)
            bits, table, nxt = min_bits + 1, {}, end + 1
        prefix = k
    emit(prefix)
    emit(end)
    if nacc:
        out.append(acc & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes([min_bits]) + blocks + b"\0"


def gif(frames, delay_cs):
    """GIF89a with one shared colour table, looping for ever."""
    colours = sorted({c for f in frames for row in f for c in row})
    assert len(colours) <= 256, len(colours)
    depth = max(1, (len(colours) - 1).bit_length())
    index = {c: i for i, c in enumerate(colours)}
    table = b"".join(bytes(c) for c in colours).ljust(3 << depth, b"\0")
    data = b"GIF89a" + struct.pack("<HHBBB", W, H, 0xF0 | (depth - 1), 0, 0) + table
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"
    for f in frames:
        data += b"\x21\xF9\x04\x04" + struct.pack("<H", delay_cs) + b"\0\0"  # keep, no transparency
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0)
        data += lzw([index[c] for row in f for c in row], max(2, depth))
    return data + b"\x3B"


# --- Sound -------------------------------------------------------------------

def click_wav(rate=22050, ms=40):
    """A tick: a burst of noise ringing through a resonance near 2.4 kHz, dying fast."""
    n = rate * ms // 1000
    pole, cos_w = 0.93, 0.7612  # radius and cos(2 pi 2400 / 22050) of the resonance
    seed, y1, y2, env, samples = 20240601, 0.0, 0.0, 1.0, []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        x = (seed / 2 ** 30 - 1) * env
        y = x + 2 * pole * cos_w * y1 - pole * pole * y2
        y1, y2 = y, y1
        env *= 0.975 if i < 100 else 0.99  # a sharp crack, then a short tail
        fade = min(1.0, (n - i) / 64)  # end on silence
        samples.append(max(-32767, min(32767, round(5000 * y * fade))))
    pcm = struct.pack("<%dh" % n, *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    return (b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVE" + b"fmt " + struct.pack("<I", 16)
            + fmt + b"data" + struct.pack("<I", len(pcm)) + pcm)


LOGO_SIZES = (16, 20, 24, 32)


def main():
    save("zelvorn.ico", ico([program_icon(s) for s in (64, 48, 32, 16)]))
    # 16 pixels at 96 DPI, and the sizes the window draws them at on screens
    # of 120, 144 and 192 DPI, so that no screen shows them blurred.
    for name, logo in (("thunder", thunder_logo), ("flashget", flashget_logo), ("qqdl", qqdl_logo)):
        save("logo_%s.ico" % name, ico([render(s, logo) for s in LOGO_SIZES]))
    save("banner.gif", gif([frame_servers(), frame_price()], 100))
    save("click.wav", click_wav())


if __name__ == "__main__":
    main()
