#!/usr/bin/python3
"""Draws the desktop program's artwork and writes it as ICO, BMP and CUR files.

    make_art.py [--out DIR] [--preview FILE.png] [--check]

Everything is drawn here from shapes and small pixel maps and written byte by
byte, so the files can be rebuilt on any machine with a plain Python 3:

  quellmark.ico    program icon: a meter tile with columns, 16, 32 and 48 px
  tray_idle.ico    tray icons, 16 x 16: a download arrow (left) and an upload
  tray_up.ico      arrow (right), each lit in its graph colour while that
  tray_down.ico    direction carries traffic and grey while it is idle
  tray_both.ico
  menu_images.bmp  menu images, 80 x 16: Show, Options, Stopwatch, Traffic
                   Reports, Help; magenta (255, 0, 255) is transparent
  splitter.cur     vertical-resize cursor for the splitters between graphs

The colours are the graph's default colours, so the icons look like the
meter window they stand for. --preview writes an enlarged sheet of all of
it for looking at; --check only compares the files in the folder with what
this script draws and fails when one is stale.
"""
import argparse
import math
import os
import struct
import zlib

# Default graph colours (the options store them as 0x00BBGGRR).
DOWN = (255, 0, 0)
UP = (0, 204, 0)
BOTH = (255, 255, 0)
GRAPH_BG = (173, 219, 222)
BORDER = (51, 51, 51)
TITLE_BG = (158, 158, 158)
MAGENTA = (255, 0, 255)


def darker(c, f=0.55):
    return tuple(int(v * f) for v in c)


def lighter(c, f=0.45):
    return tuple(int(v + (255 - v) * f) for v in c)


class Image:
    """RGBA pixels, row 0 at the top, alpha 0..255."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def put(self, x, y, rgb, alpha=255):
        if not (0 <= x < self.width and 0 <= y < self.height) or alpha <= 0:
            return
        # "over" compositing, so shapes can be layered with soft edges
        r0, g0, b0, a0 = self.px[y][x]
        a = alpha / 255.0
        b = a0 / 255.0 * (1 - a)
        out = a + b
        mix = tuple(int(round((c1 * a + c0 * b) / out)) for c1, c0 in zip(rgb, (r0, g0, b0)))
        self.px[y][x] = mix + (int(round(out * 255)),)

    def shape(self, inside, rgb, soft=True, samples=4):
        """Fills the points for which inside(x, y) holds (pixel units,
        pixel centres at .5), with edges smoothed by sub-sampling or cut hard."""
        step = 1.0 / samples
        for y in range(self.height):
            for x in range(self.width):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if not hits:
                    continue
                cover = hits / (samples * samples)
                if soft:
                    self.put(x, y, rgb, int(round(cover * 255)))
                elif cover >= 0.5:
                    self.put(x, y, rgb)

    def rect(self, x0, y0, x1, y1, rgb):
        """Hard rectangle, right and bottom exclusive."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.put(x, y, rgb)

    def pixmap(self, x0, y0, rows, palette):
        """Pixel map: one character per pixel, '.' or ' ' leaves it alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in palette:
                    self.put(x0 + dx, y0 + dy, palette[ch])

    def blit(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                r, g, b, a = other.px[y][x]
                self.put(x0 + x, y0 + y, (r, g, b), a)


# --- shapes -------------------------------------------------------------------

def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner ** 2 < (x - cx) ** 2 + (y - cy) ** 2 <= r_outer ** 2


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def thick_line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


# --- program icon -------------------------------------------------------------

# (download, upload) of the columns, as shares of the plot's height.
METER_COLUMNS = [(0.40, 0.22), (0.62, 0.38), (0.30, 0.70), (0.88, 0.52), (0.55, 0.45)]


def draw_columns(img, left, bottom, height, width, gap, columns):
    """Columns as the graph view draws them: overlap colour at the bottom,
    the larger direction's colour above it."""
    x = left
    for down, up in columns:
        hd, hu = int(round(down * height)), int(round(up * height))
        low = min(hd, hu)
        img.rect(x, bottom - low, x + width, bottom, BOTH)
        if hd > hu:
            img.rect(x, bottom - hd, x + width, bottom - low, DOWN)
        elif hu > hd:
            img.rect(x, bottom - hu, x + width, bottom - low, UP)
        x += width + gap


def program_icon(size):
    """A rounded meter tile: grey title band, graph background, five columns."""
    u = size // 16
    img = Image(size, size)
    img.shape(rounded_rect(0, 0, size, size, 2.5 * u), BORDER)
    img.shape(rounded_rect(u, u, size - u, size - u, 1.6 * u), GRAPH_BG)
    # title band with a short white "name" in it
    img.rect(u, u + u // 2, size - u, 4 * u, TITLE_BG)
    img.shape(rounded_rect(u, u, size - u, 4 * u, 1.6 * u), TITLE_BG)
    img.rect(3 * u, 2 * u, 9 * u, 3 * u, (255, 255, 255))
    img.rect(u, 4 * u, size - u, 5 * u, BORDER)
    # scale grid line halfway up the plot (too small to read at 16 px)
    for x in range(2 * u, size - 2 * u if u > 1 else 0, 2 * u):
        img.rect(x, 9 * u + u // 2, x + u, 9 * u + u // 2 + max(1, u // 2), (120, 150, 152))
    draw_columns(img, left=u + u // 2 if u > 1 else 1, bottom=size - u, height=10 * u,
                 width=2 * u, gap=u // 2 if u > 1 else 1, columns=METER_COLUMNS)
    return img


# --- tray icons ---------------------------------------------------------------

DOWN_ARROW = [
    ".#####.",
    ".#+++#.",
    ".#-++#.",
    ".#-++#.",
    ".#-++#.",
    ".#-++#.",
    ".#-++#.",
    ".#-++#.",
    "##-++##",
    "#-++++#",
    ".#+++#.",
    "..#+#..",
    "...#...",
]
UP_ARROW = list(reversed([row.replace("-", "+") for row in DOWN_ARROW]))
UP_ARROW = [row[:2] + "-" + row[3:] if row[1:2] == "#" and row[2:3] == "+" and i > 4 else row
            for i, row in enumerate(UP_ARROW)]

IDLE_GREY = (176, 176, 176)


def arrow_palette(colour):
    return {"#": darker(colour, 0.5), "+": colour, "-": lighter(colour, 0.5)}


def tray_icon(downloading, uploading):
    img = Image(16, 16)
    img.pixmap(0, 2, DOWN_ARROW, arrow_palette(DOWN if downloading else IDLE_GREY))
    img.pixmap(8, 1, UP_ARROW, arrow_palette(UP if uploading else IDLE_GREY))
    return img


# --- menu images --------------------------------------------------------------

def menu_show():
    """The meter window itself: caption, graph, columns."""
    img = Image(16, 16)
    img.rect(0, 2, 16, 15, BORDER)
    img.rect(1, 3, 15, 5, (10, 36, 106))
    img.rect(2, 3, 7, 4, (255, 255, 255))
    img.rect(1, 5, 15, 14, GRAPH_BG)
    draw_columns(img, left=2, bottom=14, height=8, width=2, gap=1,
                 columns=[(0.5, 0.3), (0.35, 0.8), (1.0, 0.6), (0.6, 0.45)])
    return img


def menu_options():
    """A grey gear."""
    img = Image(16, 16)
    cx = cy = 8.0

    def gear(x, y):
        r = math.hypot(x - cx, y - cy)
        a = math.atan2(y - cy, x - cx)
        tooth = math.cos(8 * a) > 0.1
        return r <= 5.0 or (r <= 7.4 and tooth)
    img.shape(gear, (90, 90, 100), soft=False)
    img.shape(lambda x, y: math.hypot(x - cx, y - cy) <= 4.0 and
              math.cos(8 * math.atan2(y - cy, x - cx)) > -2, (170, 170, 180), soft=False)
    img.shape(circle(cx, cy, 2.1), MAGENTA, soft=False)
    img.shape(ring(cx, cy, 3.0, 2.1), (90, 90, 100), soft=False)
    return img


def menu_stopwatch():
    """A stopwatch: crown, white face, red hand."""
    img = Image(16, 16)
    img.rect(6, 0, 10, 2, (90, 90, 100))
    img.rect(7, 2, 9, 3, (90, 90, 100))
    img.shape(thick_line(12.2, 3.2, 14.2, 5.2, 1.8), (90, 90, 100), soft=False)
    img.shape(circle(8, 9.5, 6.5), (60, 60, 70), soft=False)
    img.shape(circle(8, 9.5, 5.3), (255, 255, 255), soft=False)
    for a in range(0, 360, 90):
        x = 8 + 4.2 * math.sin(math.radians(a))
        y = 9.5 - 4.2 * math.cos(math.radians(a))
        img.put(int(x), int(y), (120, 120, 130))
    img.rect(7, 5, 9, 10, (40, 40, 50))
    img.shape(thick_line(8, 9.5, 11.6, 7.2, 1.3), DOWN, soft=False)
    img.rect(7, 9, 9, 11, (40, 40, 50))
    return img


def menu_reports():
    """A page with a folded corner and a small download/upload chart."""
    img = Image(16, 16)
    outline, paper = (80, 80, 90), (255, 255, 255)
    img.pixmap(1, 0, [
        "#########...",
        "#++++++++#..",
        "#++++++++#+#",
    ] + ["#+++++++++++#"] * 12 + ["#############"],
        {"#": outline, "+": paper})
    img.pixmap(10, 0, ["#..", "+#.", "++#", "###"], {"#": outline, "+": (210, 210, 215)})
    for y in (3, 5):
        img.rect(3, y, 9, y + 1, (150, 150, 160))
    draw_columns(img, left=3, bottom=14, height=6, width=2, gap=1,
                 columns=[(0.5, 0.34), (0.84, 0.5), (0.34, 1.0)])
    return img


QUESTION = [
    ".####.",
    "##..##",
    "....##",
    "...##.",
    "..##..",
    "..##..",
    "......",
    "..##..",
]


def menu_help():
    """A blue disc with a white question mark."""
    img = Image(16, 16)
    img.shape(circle(8, 8, 7.9), (20, 70, 160), soft=False)
    img.shape(circle(8, 8, 6.8), (50, 120, 215), soft=False)
    img.pixmap(5, 4, QUESTION, {"#": (255, 255, 255)})
    return img


def menu_strip():
    strip = Image(80, 16, MAGENTA + (255,))
    for i, draw in enumerate([menu_show, menu_options, menu_stopwatch, menu_reports, menu_help]):
        strip.blit(draw(), 16 * i, 0)
    return strip


# --- splitter cursor ----------------------------------------------------------

def splitter_shape(x, y):
    """Black part of the cursor, 32 x 32, mirrored about 15.5 both ways."""
    mx, my = abs(x - 15.5), abs(y - 15.5)
    if 1.5 <= my < 3.5 and mx < 10:      # the two bars
        return True
    if 4.5 <= my < 8 and mx < 1:         # stems
        return True
    apex = 12.5                           # arrow heads
    return 7.5 <= my <= apex and mx < apex - my + 0.5 and mx < 5


def splitter_cursor():
    black = [[splitter_shape(x + 0.5, y + 0.5) for x in range(32)] for y in range(32)]
    white = [[not black[y][x] and any(
        0 <= y + dy < 32 and 0 <= x + dx < 32 and black[y + dy][x + dx]
        for dy in (-1, 0, 1) for dx in (-1, 0, 1)) for x in range(32)] for y in range(32)]
    img = Image(32, 32)
    for y in range(32):
        for x in range(32):
            if black[y][x]:
                img.put(x, y, (0, 0, 0))
            elif white[y][x]:
                img.put(x, y, (255, 255, 255))
    return img


# --- file formats -------------------------------------------------------------

def bitmap_info(width, height, bits, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours, 0)


def and_mask(img):
    """1 = transparent, rows bottom-up, each padded to 32 bits."""
    stride = (img.width + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(img.height)):
        row = bytearray(stride)
        for x in range(img.width):
            if img.px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image_32(img):
    """One 32-bit icon image: header, BGRA pixels bottom-up, AND mask."""
    pixels = bytearray()
    for y in reversed(range(img.height)):
        for r, g, b, a in img.px[y]:
            pixels += bytes((b, g, r, a) if a else (0, 0, 0, 0))
    mask = and_mask(img)
    return bitmap_info(img.width, img.height * 2, 32, len(pixels) + len(mask)) + pixels + mask


def icon_file(images, kind=1, hotspots=None):
    """ICO (kind 1) or CUR (kind 2) with the given encoded images."""
    header = struct.pack("<HHH", 0, kind, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for i, (width, height, bits, blob) in enumerate(images):
        planes, bitcount = (1, bits) if kind == 1 else hotspots[i]
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, planes, bitcount,
                               len(blob), offset + len(data))
        data += blob
    return header + entries + data


def ico(images):
    return icon_file([(img.width, img.height, 32, icon_image_32(img)) for img in images])


def cur_monochrome(img, hotspot):
    """A two-colour cursor: black and white pixels, the rest transparent."""
    stride = (img.width + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(img.height)):
        row = bytearray(stride)
        for x in range(img.width):
            r, _, _, a = img.px[y][x]
            if a and r > 127:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = and_mask(img)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    blob = bitmap_info(img.width, img.height * 2, 1, len(xor) + len(mask), 2) + palette + xor + mask
    return icon_file([(img.width, img.height, 1, blob)], kind=2, hotspots=[hotspot])


def bmp24(img):
    stride = (img.width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(img.height)):
        row = bytearray()
        for r, g, b, _ in img.px[y]:
            row += bytes((b, g, r))
        pixels += row + bytes(stride - len(row))
    info = bitmap_info(img.width, img.height, 24, len(pixels))
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def png(img):
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in img.px)

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", img.width, img.height,
                                                               8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# --- output -------------------------------------------------------------------

def artwork():
    icons = [program_icon(s) for s in (16, 32, 48)]
    trays = {name: tray_icon(d, u) for name, d, u in [
        ("tray_idle", False, False), ("tray_up", False, True),
        ("tray_down", True, False), ("tray_both", True, True)]}
    strip = menu_strip()
    cursor = splitter_cursor()
    files = {"quellmark.ico": ico(icons), "menu_images.bmp": bmp24(strip),
             "splitter.cur": cur_monochrome(cursor, (15, 15))}
    for name, img in trays.items():
        files[name + ".ico"] = ico([img])
    return files, icons, list(trays.values()), strip, cursor


def preview(icons, trays, strip, cursor, zoom=8):
    """Everything enlarged, on a light and a dark band to show transparency."""
    pieces = icons + trays + [strip, cursor]
    width = sum(p.width for p in pieces) * zoom + (len(pieces) + 1) * 8
    height = 48 * zoom * 2 + 24
    sheet = Image(width, height, (255, 255, 255, 255))
    sheet.rect(0, height // 2, width, height, (60, 60, 60))
    for band in (0, 1):
        x = 8
        for p in pieces:
            top = band * (height // 2) + 8
            for y in range(p.height):
                for px in range(p.width):
                    r, g, b, a = p.px[y][px]
                    if p is strip and (r, g, b) == MAGENTA:
                        continue
                    for dy in range(zoom):
                        for dx in range(zoom):
                            sheet.put(x + px * zoom + dx, top + y * zoom + dy, (r, g, b), a)
            x += p.width * zoom + 8
    return sheet


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=here, help="folder for the files (default: beside this script)")
    parser.add_argument("--preview", help="also write an enlarged PNG sheet here")
    parser.add_argument("--check", action="store_true", help="fail when a file differs")
    args = parser.parse_args()
    files, icons, trays, strip, cursor = artwork()
    if args.check:
        stale = []
        for name, data in sorted(files.items()):
            path = os.path.join(args.out, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        if stale:
            raise SystemExit("stale artwork, run make_art.py: " + " ".join(stale))
        return
    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(png(preview(icons, trays, strip, cursor)))


if __name__ == "__main__":
    main()
