#!/usr/bin/env python3
"""Turns the PNGs that rsvg-convert renders into the BMP and ICO files the
resource script embeds, and checks them. Standard library only.

  bmptool.py bmp24 IN.png OUT.bmp WxH           opaque picture, 24 bpp
  bmptool.py bmp32 IN.png OUT.bmp WxH           picture with alpha, 32 bpp BI_RGB
  bmptool.py ico OUT.ico IN16.png IN32.png ...  icon, one 32 bpp image per PNG
  bmptool.py check FILE WxH BPP                 reads a BMP back and checks it
  bmptool.py checkico FILE SIZE...              reads an ICO back and checks it
  bmptool.py matchbar GLYPHS.bmp BAR.bmp        glyph cells' edges equal the bar

32 bpp bitmaps carry straight (not premultiplied) alpha, as icons do: a
32-bit image list premultiplies when it draws. Fully transparent pixels are
stored as 0 so that a premultiplying reader sees the same thing.
"""
import struct
import sys
import zlib


def ensure(condition, message):
    if not condition:
        raise SystemExit(message)


def read_png(path):
    """Decodes an 8-bit RGB or RGBA non-interlaced PNG into (w, h, rgba bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    pos, idat, ihdr = 8, bytearray(), None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    w, h, depth, ctype, _, _, interlace = ihdr
    if depth != 8 or ctype not in (2, 6) or interlace:
        raise ValueError(f"{path}: unsupported PNG (depth {depth}, type {ctype})")
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(bytes(idat))
    stride = w * bpp
    out = bytearray(h * stride)
    prev = bytearray(stride)
    p = 0
    for y in range(h):
        ftype = raw[p]
        line = bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if ftype == 1:
                line[x] = (line[x] + a) & 255
            elif ftype == 2:
                line[x] = (line[x] + b) & 255
            elif ftype == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 255
            elif ftype == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 255
        out[y * stride:(y + 1) * stride] = line
        prev = line
    if bpp == 3:
        rgba = bytearray(w * h * 4)
        for i in range(w * h):
            rgba[i * 4:i * 4 + 3] = out[i * 3:i * 3 + 3]
            rgba[i * 4 + 3] = 255
        out = rgba
    return w, h, bytes(out)


def _size(text):
    w, h = text.lower().split("x")
    return int(w), int(h)


def _file_header(pixels_offset, total):
    return struct.pack("<2sIHHI", b"BM", total, 0, 0, pixels_offset)


def _info_header(w, h, bpp, image_size):
    # Bottom-up, BI_RGB, 2835 px/m (72 dpi).
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size, 2835, 2835, 0, 0)


def bgr_rows(w, h, rgba, bpp, height=None):
    """Pixel rows bottom-up in BMP order, each padded to 4 bytes."""
    rows = []
    pad = (-(w * (bpp // 8))) % 4
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = rgba[(y * w + x) * 4:(y * w + x) * 4 + 4]
            if bpp == 32:
                row += bytes((b, g, r, a)) if a else b"\0\0\0\0"
            else:
                row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * pad)
    return b"".join(rows)


def write_bmp(path, w, h, rgba, bpp):
    if bpp == 24:
        # An opaque picture: anything not fully covered was a drawing mistake.
        for i in range(w * h):
            if rgba[i * 4 + 3] != 255:
                raise ValueError(f"{path}: pixel {i % w},{i // w} is not opaque")
    pixels = bgr_rows(w, h, rgba, bpp)
    header = _info_header(w, h, bpp, len(pixels))
    with open(path, "wb") as f:
        f.write(_file_header(14 + 40, 14 + 40 + len(pixels)))
        f.write(header)
        f.write(pixels)


def write_ico(path, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for w, h, rgba in images:
        xor = bgr_rows(w, h, rgba, 32)
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if rgba[(y * w + x) * 4 + 3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        # Icon images store twice the height (colour, then mask).
        blob = _info_header(w, h * 2, 32, len(xor) + len(mask)) + xor + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        f.write(b"".join(entries))
        f.write(b"".join(blobs))


def read_bmp(path):
    """Reads back a BMP written above: (w, h, bpp, rgba top-down)."""
    with open(path, "rb") as f:
        data = f.read()
    magic, total, _, _, offset = struct.unpack("<2sIHHI", data[:14])
    size, w, h, planes, bpp, comp = struct.unpack("<IiiHHI", data[14:34])
    ensure(magic == b"BM" and total == len(data),
           f"{path}: bad file header")
    ensure(size == 40 and planes == 1 and comp == 0,
           f"{path}: not a BI_RGB bitmap")
    stride = ((w * bpp + 31) // 32) * 4
    rgba = bytearray(w * abs(h) * 4)
    for row in range(abs(h)):
        y = abs(h) - 1 - row if h > 0 else row
        line = data[offset + row * stride:offset + (row + 1) * stride]
        for x in range(w):
            px = line[x * bpp // 8:(x + 1) * bpp // 8]
            a = px[3] if bpp == 32 else 255
            rgba[(y * w + x) * 4:(y * w + x) * 4 + 4] = bytes((px[2], px[1], px[0], a))
    return w, abs(h), bpp, bytes(rgba)


def check_bmp(path, size, bpp):
    w, h = _size(size)
    rw, rh, rbpp, rgba = read_bmp(path)
    ensure((rw, rh, rbpp) == (w, h, int(bpp)),
           f"{path}: {rw}x{rh} {rbpp} bpp, wanted {size} {bpp}")
    alphas = rgba[3::4]
    if rbpp == 32:
        opaque = sum(1 for a in alphas if a == 255)
        clear = sum(1 for a in alphas if a == 0)
        ensure(opaque and clear,
               f"{path}: alpha channel is not used")
        ensure(opaque + clear < len(alphas),
               f"{path}: alpha has no soft edges")
        return f"{rw}x{rh} {rbpp} bpp, alpha: {opaque} opaque, {clear} clear, " \
               f"{len(alphas) - opaque - clear} partial"
    return f"{rw}x{rh} {rbpp} bpp"


def check_ico(path, sizes):
    with open(path, "rb") as f:
        data = f.read()
    _, kind, count = struct.unpack("<HHH", data[:6])
    ensure(kind == 1 and count == len(sizes),
           f"{path}: {count} images")
    found = []
    for i in range(count):
        w, h, _, _, _, bpp, length, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        w, h = w or 256, h or 256
        _, bw, bh, _, bbpp = struct.unpack("<IiiHH", data[offset:offset + 16])
        ensure((bw, bh, bbpp, bpp) == (w, 2 * h, 32, 32),
               f"{path}: image {i} header")
        px = data[offset + 40:offset + 40 + w * h * 4]
        ensure(any(px[3::4]) and not all(a == 255 for a in px[3::4]),
               f"{path}: image {i} alpha")
        found.append(w)
    ensure(found == [int(s) for s in sizes],
           f"{path}: sizes {found}")
    return "icon " + ", ".join(f"{s}x{s}" for s in found) + " 32 bpp"


def match_bar(strip_path, bar_path):
    """The glyph cells' edge columns must equal the title bar, row for row."""
    sw, sh, _, strip = read_bmp(strip_path)
    bw, bh, _, bar = read_bmp(bar_path)
    cells = [(0, 27), (27, 54), (54, 81), (81, 108), (108, 135), (135, 162), (162, 189),
             (189, 216), (216, 243), (243, 286), (286, 329), (329, 372)]
    ensure(sw == cells[-1][1] and sh <= bh,
           f"{strip_path}: {sw}x{sh}")
    bar_column = [bar[(y * bw + bw // 2) * 4:(y * bw + bw // 2) * 4 + 3] for y in range(sh)]
    columns = sorted({x for a, b in cells for x in (a, b - 1)})
    for x in columns:
        for y in range(sh):
            got = strip[(y * sw + x) * 4:(y * sw + x) * 4 + 3]
            ensure(got == bar_column[y],
                   f"{strip_path}: column {x} row {y} is {got.hex()}, the bar is {bar_column[y].hex()}")
    print(f"titlebuttons.bmp   edge columns match the bar in all {len(cells)} cells")


def main(argv):
    cmd = argv[1]
    if cmd in ("bmp24", "bmp32"):
        w, h, rgba = read_png(argv[2])
        if (w, h) != _size(argv[4]):
            raise SystemExit(f"{argv[2]}: rendered {w}x{h}, wanted {argv[4]}")
        write_bmp(argv[3], w, h, rgba, 24 if cmd == "bmp24" else 32)
    elif cmd == "ico":
        write_ico(argv[2], [read_png(p) for p in argv[3:]])
    elif cmd == "check":
        print(check_bmp(argv[2], argv[3], argv[4]))
    elif cmd == "checkico":
        print(check_ico(argv[2], argv[3:]))
    elif cmd == "matchbar":
        match_bar(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
