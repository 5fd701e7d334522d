#!/usr/bin/env python3
"""Draws Zelvorn's pictures and makes its click sound, byte for byte the same
on every run: the program icon (zelvorn.ico: 64, 48, 32 and 16 pixels at 32
bits), the animated banner (banner.gif: 455 x 80, two frames of one second,
looping), the three 16 x 16 logos of the download buttons (logo_*.ico) and
the click (click.wav). Run from anywhere: python3 app/resources/make_assets.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# --- icons -----------------------------------------------------------------

def ico(images):
    """images: list of (size, rows of (r, g, b, a)) -> ICO with 32-bpp DIBs."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, pixels in images:
        dib = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        for y in range(size - 1, -1, -1):  # bottom-up
            for r, g, b, a in pixels[y]:
                dib += bytes((b, g, r, a))
        dib += b"\0" * (((size + 31) // 32) * 4 * size)  # AND mask: alpha decides
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(dib), offset)
        blobs += dib
        offset += len(dib)
    return header + entries + blobs


def render(size, shade):
    """shade(x, y) in unit coordinates (-1..1) -> (r, g, b, a) or None; 4x4 supersampled."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    x = ((px + (sx + 0.5) / 4) / size) * 2 - 1
                    y = ((py + (sy + 0.5) / 4) / size) * 2 - 1
                    c = shade(x, y)
                    if c:
                        a = c[3] / 255
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            a = acc[3] / 16
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(a * 255)),))
        rows.append(row)
    return rows


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


ARROW = [(-0.2, -0.6), (0.2, -0.6), (0.2, 0.0), (0.5, 0.0), (0.0, 0.6), (-0.5, 0.0), (-0.2, 0.0)]


def program_icon(x, y):
    r = math.hypot(x, y)
    if r > 0.96:
        return None
    if inside_polygon(x, y, ARROW):
        return (245, 130, 20, 255)
    if r > 0.86:
        return (90, 90, 95, 255)  # rim
    g = int(200 - 60 * (y + 1) / 2)  # lit from above
    return (g, g, g + 4, 255)


def thunder_logo(x, y):
    bolt = [(0.1, -0.95), (-0.55, 0.1), (-0.05, 0.1), (-0.2, 0.95), (0.55, -0.15), (0.05, -0.15), (0.3, -0.95)]
    if inside_polygon(x, y, bolt):
        return (255, 210, 0, 255)
    if math.hypot(x, y) <= 0.98:
        return (30, 90, 200, 255)
    return None


def flashget_logo(x, y):
    if (x - 0.25) ** 2 + y ** 2 < 0.45 ** 2:
        return (255, 140, 0, 255)
    if -0.75 < x < 0.25 and abs(y) < 0.45 * (x + 0.75):
        return (60, 170, 60, 255)
    return None


def qqdl_logo(x, y):
    r = math.hypot(x, y)
    if r > 0.98:
        return None
    angle = math.atan2(y, x)
    band = (r * 3.2 - angle / math.pi) % 1.0
    return (0, 150, 150, 255) if band < 0.5 else (180, 235, 230, 255)


# --- banner ----------------------------------------------------------------

FONT = {  # 5 x 7 capitals and digits, one string of 7 rows of 5 bits each
    "A": "01110100011000111111100011000110001", "B": "11110100011000111110100011000111110",
    "C": "01110100011000010000100001000101110", "D": "11110100011000110001100011000111110",
    "E": "11111100001000011110100001000011111", "F": "11111100001000011110100001000010000",
    "G": "01110100011000010111100011000101111", "H": "10001100011000111111100011000110001",
    "I": "01110001000010000100001000010001110", "L": "10000100001000010000100001000011111",
    "M": "10001110111010110101100011000110001", "N": "10001110011010110011100011000110001",
    "O": "01110100011000110001100011000101110", "P": "11110100011000111110100001000010000",
    "R": "11110100011000111110101001001010001", "S": "01111100001000001110000010000111110",
    "T": "11111001000010000100001000010000100", "U": "10001100011000110001100011000101110",
    "V": "10001100011000110001100010101000100", "Y": "10001100010101000100001000010000100",
    "Z": "11111000010001000100010001000011111", "W": "10001100011000110101101011101110001",
    "K": "10001100101010011000101001001010001", "Q": "01110100011000110001101011001001101",
    "0": "01110100011001110101110011000101110", "1": "00100011000010000100001000010001110",
    "2": "01110100010000100010001000100011111", "9": "01110100011000101111000010001001100",
    "$": "00100011111010001110001011111000100", "/": "00001000010001000100010001000010000",
    "!": "00100001000010000100001000000000100", " ": "0" * 35, ".": "0" * 30 + "00100",
    "-": "00000000000000011111000000000000000",
}

W, H = 455, 80


def text_width(text, scale):
    return len(text) * 6 * scale - scale


def draw_text(pixels, text, x0, y0, scale, colour):
    for i, ch in enumerate(text):
        bits = FONT[ch]
        for row in range(7):
            for col in range(5):
                if bits[row * 5 + col] == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            x, y = x0 + (i * 6 + col) * scale + dx, y0 + row * scale + dy
                            if 0 <= x < W and 0 <= y < H:
                                pixels[y][x] = colour


def banner_frame(top, bottom, lines, accent):
    pixels = [[0] * W for _ in range(H)]
    for y in range(H):
        c = 1 + (y * 8) // H  # palette 1..8: a vertical gradient
        for x in range(W):
            pixels[y][x] = c
    for x in range(W):  # accent stripes top and bottom
        for y in (0, 1, H - 2, H - 1):
            pixels[y][x] = accent
    y = 14
    for text, scale, colour in lines:
        draw_text(pixels, text, (W - text_width(text, scale)) // 2, y, scale, colour)
        y += 7 * scale + 8
    palette = [(0, 0, 0)]
    for i in range(8):
        t = i / 7
        palette.append(tuple(int(top[k] + (bottom[k] - top[k]) * t) for k in range(3)))
    return pixels, palette


def lzw_literal(indices):
    """GIF image data of 8-bit codes sent as literals, with a clear code often
    enough that the code size stays at 9 bits."""
    out, acc, nbits = bytearray(), 0, 0

    def put(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += 9
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    for i, v in enumerate(indices):
        if i % 250 == 0:
            put(256)
        put(v)
    put(257)
    if nbits:
        out.append(acc & 0xFF)
    data = bytearray([8])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        data += bytes([len(chunk)]) + chunk
    return bytes(data + b"\0")


def gif(frames):
    data = b"GIF89a" + struct.pack("<HHBBB", W, H, 0, 0, 0)  # no global palette
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop without end
    for pixels, palette in frames:
        table = b"".join(bytes(c) for c in palette) + b"\0\0\0" * (256 - len(palette))
        data += b"\x21\xF9\x04\x00" + struct.pack("<H", 100) + b"\x00\x00"  # one second
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0x87) + table
        data += lzw_literal([v for row in pixels for v in row])
    return data + b"\x3B"


WHITE, GOLD, ORANGE = 9, 10, 11


def with_inks(frame):
    pixels, palette = frame
    return pixels, palette + [(255, 255, 255), (255, 215, 0), (255, 140, 0)]


# --- sound -----------------------------------------------------------------

def click_wav():
    rate, n = 22050, 22050 * 40 // 1000
    seed, samples = 12345, []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed / 0x3FFFFFFF) - 1.0
        tone = math.sin(2 * math.pi * 1800 * i / rate)
        samples.append(int(12000 * math.exp(-i / (rate * 0.006)) * (0.6 * tone + 0.4 * noise)))
    pcm = b"".join(struct.pack("<h", s) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    return b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVEfmt " + struct.pack("<I", 16) + fmt + \
        b"data" + struct.pack("<I", len(pcm)) + pcm


def main():
    write("zelvorn.ico", ico([(s, render(s, program_icon)) for s in (64, 48, 32, 16)]))
    write("logo_thunder.ico", ico([(16, render(16, thunder_logo))]))
    write("logo_flashget.ico", ico([(16, render(16, flashget_logo))]))
    write("logo_qqdl.ico", ico([(16, render(16, qqdl_logo))]))
    frame1 = with_inks(banner_frame((20, 60, 140), (60, 140, 220), [], GOLD))
    draw_text(frame1[0], "ZELVORN HOSTING", (W - text_width("ZELVORN HOSTING", 4)) // 2, 10, 4, WHITE)
    draw_text(frame1[0], "FAST - STABLE - CHEAP", (W - text_width("FAST - STABLE - CHEAP", 2)) // 2, 52, 2, GOLD)
    frame2 = with_inks(banner_frame((150, 40, 20), (230, 120, 40), [], WHITE))
    draw_text(frame2[0], "WEB HOSTING", (W - text_width("WEB HOSTING", 4)) // 2, 10, 4, WHITE)
    draw_text(frame2[0], "FROM 1$ / MONTH  -  TRY IT NOW!", (W - text_width("FROM 1$ / MONTH  -  TRY IT NOW!", 2)) // 2, 52, 2, GOLD)
    write("banner.gif", gif([frame1, frame2]))
    write("click.wav", click_wav())


if __name__ == "__main__":
    main()
