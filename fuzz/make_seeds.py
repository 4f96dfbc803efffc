#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/ (run from anywhere; the output
is the same on every run). Images are encoded here, by hand, so that the
seeds depend on no image library: small PNG, BMP, GIF and baseline JPEG
files that each reach a different path of the decoders."""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# ---------------------------------------------------------------- .j4d files

def j4d(values, line_end="\r\n"):
    (bg, camera, shift, constant, hyper, light, render) = values
    lines = [
        "<background r,g,b>%s</background>" % bg,
        "<camera theta, phi, distance>%s</camera>" % camera,
        "<shift x, y>%s</shift>" % shift,
        "<constant x,y,z,w>%s</constant>" % constant,
        "<hyperplane w>%s</hyperplane>" % hyper,
        "<light x,y,z,power,intensity>%s</light>" % light,
        "<render iterations, epsilon>%s</render>" % render,
    ]
    return "".join(line + line_end for line in lines)


DEFAULTS = (
    "0.400000,0.500000,0.600000",
    "0.000000,5.969026,4.000000",
    "-0.150000,0.000000",
    "-0.568627,0.653846,0.000000,0.000000",
    "0.000000",
    "-1.000000,-1.000000,1.000000,20.000000,1.500000",
    "16,0.001000",
)
OTHER = (
    "0.000000,0.000000,0.000000",
    "1.570796,0.785398,2.500000",
    "0.250000,-0.125000",
    "-0.200000,0.800000,0.100000,-0.050000",
    "0.300000",
    "2.000000,-3.000000,0.500000,64.000000,0.750000",
    "40,0.000010",
)


def param_seeds():
    default = j4d(DEFAULTS)
    write("param_file", "default-crlf.j4d", default)
    write("param_file", "default-lf.j4d", j4d(DEFAULTS, "\n"))
    write("param_file", "other-crlf.j4d", j4d(OTHER))
    write("param_file", "other-cr.j4d", j4d(OTHER, "\r"))
    unusual = list(OTHER)
    unusual[1] = "1e3,-0x1.8p1,+.5"
    unusual[4] = "nan(1234)"
    unusual[5] = "inf,-INFINITY,NaN,340282346638528859811704183484516925440.0,1e-45"
    unusual[6] = "99999999999999,-0.0"
    write("param_file", "unusual-numbers.j4d", j4d(unusual))
    write("param_file", "spaces.j4d", j4d(tuple(v.replace(",", " , ") for v in OTHER)))
    write("param_file", "no-trailing-line-end.j4d", default.rstrip("\r\n"))
    write("param_file", "cut-in-number.j4d", default[: default.index("0.653846") + 4])
    write("param_file", "decimal-comma.j4d", default.replace("0.400000,0.500000", "0,400000;0,500000"))
    write("param_file", "missing-line.j4d", default.replace("<shift x, y>-0.150000,0.000000</shift>\r\n", ""))
    write("param_file", "swapped-lines.j4d", j4d((DEFAULTS[1], DEFAULTS[0]) + DEFAULTS[2:]))
    write("param_file", "bad-tag.j4d", default.replace("</camera>", "</camra>"))
    write("param_file", "epsilon-zero-negative-iterations.j4d", default.replace("16,0.001000", "-2147483649,0"))
    write("param_file", "empty.j4d", "")


def param_dictionary():
    tags = [
        "<background r,g,b>", "</background>", "<camera theta, phi, distance>", "</camera>",
        "<shift x, y>", "</shift>", "<constant x,y,z,w>", "</constant>", "<hyperplane w>",
        "</hyperplane>", "<light x,y,z,power,intensity>", "</light>",
        "<render iterations, epsilon>", "</render>",
    ]
    numbers = ["0.000000", "-1.000000", "1e", "e+", "e-", "0x", "p-", "inf", "infinity", "nan", "nan(",
               "99999999999999999999", "2147483648", "-2147483649", "\\x0D\\x0A"]
    text = "# .j4d tags and number spellings the reader has to take apart\n"
    text += "".join('"%s"\n' % t for t in tags + numbers)
    with open(os.path.join(HERE, "param_file.dict"), "w") as f:
        f.write(text)


# ---------------------------------------------------------------- PNG

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, colour_type, rows, depth=8, palette=None, interlace=0, extra=b""):
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    raw = b"".join(b"\x00" + row for row in rows)
    out = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
    if palette:
        out += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    out += extra + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b"")
    return out


def adam7_rows(pixels, width, height, bytes_per_pixel):
    """The seven passes of an interlaced image, concatenated as raw rows."""
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    rows = []
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            row = b"".join(pixels[y][x] for x in range(x0, width, dx))
            if row:
                rows.append(row)
    assert all(len(r) % bytes_per_pixel == 0 for r in rows)
    return rows


def ramp(width):
    return [(255 * i // max(width - 1, 1), 40 + 20 * (i % 4), 255 - 255 * i // max(width - 1, 1)) for i in range(width)]


def png_seeds():
    write("gradient_image", "rgb-1x1.png", png(1, 1, 2, [bytes((200, 30, 90))]))
    write("gradient_image", "rgb-8x1.png", png(8, 1, 2, [b"".join(bytes(c) for c in ramp(8))]))
    write("gradient_image", "grey-4x2.png", png(4, 2, 0, [bytes((0, 80, 160, 255)), bytes((9, 9, 9, 9))]))
    palette = [(10, 20, 30), (255, 0, 128), (0, 200, 0), (250, 250, 0)]
    write("gradient_image", "palette-4x1.png", png(4, 1, 3, [bytes((0, 1, 2, 3))], palette=palette,
                                                    extra=png_chunk(b"tRNS", bytes((255, 128)))))
    rgba16 = struct.pack(">8H", 65535, 0, 32768, 65535, 1, 2, 3, 100)
    write("gradient_image", "rgba16-2x1.png", png(2, 1, 6, [rgba16], depth=16))
    write("gradient_image", "grey-alpha-2x1.png", png(2, 1, 4, [bytes((30, 255, 220, 10))]))
    write("gradient_image", "grey-2bit-5x1.png", png(5, 1, 0, [bytes((0b00011011, 0b11000000))], depth=2))
    pixels = [[bytes(((x * 32) & 255, (y * 32) & 255, 128)) for x in range(8)] for y in range(8)]
    write("gradient_image", "interlaced-8x8.png", png(8, 8, 2, adam7_rows(pixels, 8, 8, 3), interlace=1))
    broken = bytearray(png(8, 1, 2, [b"".join(bytes(c) for c in ramp(8))]))
    broken[-20] ^= 0x55  # inside the IDAT data: a bad checksum
    write("gradient_image", "bad-crc.png", bytes(broken))
    # Claims 30000 x 30000 pixels with one row of data: a decoder that
    # believes the header would allocate gigabytes.
    write("gradient_image", "huge-claim.png", png(30000, 30000, 0, [bytes(30000)]))
    # An icon: the decoder reads it, but it is not a format the program offers.
    icon_bmp = struct.pack("<IiiHHIIiiII", 40, 1, 2, 1, 24, 0, 8, 0, 0, 0, 0) + bytes((0, 0, 255, 0)) + bytes(4)
    write("gradient_image", "not-offered.ico",
          struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 1, 1, 0, 0, 1, 24, len(icon_bmp), 22) + icon_bmp)


# ---------------------------------------------------------------- BMP

def bmp(width, height, bits, pixel_data, palette=(), compression=0, core_header=False, masks=b""):
    if core_header:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        table = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixel_data), 2835, 2835,
                           len(palette), 0)
        table = masks + b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(pixel_data), 0, 0, offset) + info + table + pixel_data


def bmp_rows(rows):
    """Bottom-up rows, each padded to four bytes; rows are given top first."""
    return b"".join(row + b"\x00" * (-len(row) % 4) for row in reversed(rows))


def bmp_seeds():
    top = b"".join(bytes((b, g, r)) for r, g, b in ramp(8))
    write("gradient_image", "rgb24-8x1.bmp", bmp(8, 1, 24, bmp_rows([top])))
    write("gradient_image", "rgb24-2x2.bmp", bmp(2, 2, 24, bmp_rows([bytes((1, 2, 3, 4, 5, 6)), bytes(6)])))
    palette = [(10, 20, 30), (255, 0, 128), (0, 200, 0), (250, 250, 0)]
    write("gradient_image", "palette8-4x2.bmp", bmp(4, 2, 8, bmp_rows([bytes((0, 1, 2, 3)), bytes(4)]), palette))
    write("gradient_image", "palette4-4x1.bmp", bmp(4, 1, 4, bmp_rows([bytes((0x01, 0x23))]), palette))
    write("gradient_image", "mono-8x1.bmp", bmp(8, 1, 1, bmp_rows([bytes((0b10110010,))]), palette[:2]))
    top_down = bmp(2, -2, 24, bmp_rows([bytes(6), bytes((9, 8, 7, 6, 5, 4))]))
    write("gradient_image", "top-down-2x2.bmp", top_down)
    # RLE8, bottom row first: a run of two, three pixels in absolute mode
    # (padded to a word), end of line; then the top row as one run of five;
    # end of bitmap.
    rle = bytes((2, 1, 0, 3, 2, 3, 0, 0, 0, 0, 5, 3, 0, 0, 0, 1))
    write("gradient_image", "rle8-5x2.bmp", bmp(5, 2, 8, rle, palette, compression=1))
    write("gradient_image", "os2-core-3x2.bmp",
          bmp(3, 2, 1, bmp_rows([bytes((0b10100000,)), bytes(1)]), palette[:2], core_header=True))
    masks = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    argb = bmp_rows([struct.pack("<II", 0xFF102030, 0x80F0E0D0)])
    write("gradient_image", "bitfields32-2x1.bmp", bmp(2, 1, 32, argb, compression=3, masks=masks))
    whole = bmp(8, 2, 24, bmp_rows([top, bytes(24)]))
    write("gradient_image", "cut-short-8x2.bmp", whole[:-10])


# ---------------------------------------------------------------- GIF

def lzw(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    width = min_size + 1
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    out = [(clear, width)]
    current = ()
    for index in indices:
        grown = current + (index,)
        if grown in table:
            current = grown
            continue
        out.append((table[current], width))
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            out.append((clear, width))
            table = {(i,): i for i in range(clear)}
            next_code, width = end + 1, min_size + 1
        current = (index,)
    out.append((table[current], width))
    out.append((end, width))
    bits = value = 0
    data = bytearray()
    for code, size in out:
        value |= code << bits
        bits += size
        while bits >= 8:
            data.append(value & 255)
            value >>= 8
            bits -= 8
    if bits:
        data.append(value & 255)
    return bytes(data)


def sub_blocks(data):
    return b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255] for i in range(0, len(data), 255)) + b"\x00"


def gif(width, height, palette, frames, loop=False, interlaced=False):
    size_bits = max(1, math.ceil(math.log2(len(palette)))) - 1
    colours = b"".join(bytes(c) for c in palette) + b"\x00" * (3 * (2 << size_bits) - 3 * len(palette))
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | size_bits, 0, 0) + colours
    if loop:
        out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_size = max(2, size_bits + 1)
    for indices in frames:
        out += b"\x21\xf9\x04\x04\x0a\x00\x00\x00"  # graphic control: 0.1 s, no transparency
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlaced else 0)
        out += bytes((min_size,)) + sub_blocks(lzw(indices, min_size))
    return out + b"\x3b"


def gif_seeds():
    palette = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    write("gradient_image", "palette-4x1.gif", gif(4, 1, palette, [[0, 1, 2, 3]]))
    write("gradient_image", "animated-3x2.gif",
          gif(3, 2, palette, [[0, 1, 2, 3, 3, 3], [2, 1, 0, 0, 0, 0]], loop=True))
    write("gradient_image", "interlaced-2x4.gif", gif(2, 4, palette, [[0, 1, 1, 2, 2, 3, 3, 0]], interlaced=True))
    long_run = [i % 4 for i in range(64)] + [3] * 64
    write("gradient_image", "runs-128x1.gif", gif(128, 1, palette, [long_run]))
    screen = bytearray(gif(4, 1, palette, [[0, 1, 2, 3]]))
    screen[6:10] = struct.pack("<HH", 65535, 65535)  # a logical screen far larger than the frame
    write("gradient_image", "huge-screen.gif", bytes(screen))


# ---------------------------------------------------------------- JPEG

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7,
          14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46,
          53, 60, 61, 54, 47, 55, 62, 63]


def huffman_table(symbols, length):
    """Every symbol gets a code of one length; canonical codes never use the
    all-ones code as long as there are fewer symbols than codes."""
    assert len(symbols) < (1 << length)
    counts = [0] * 16
    counts[length - 1] = len(symbols)
    codes = {s: (i, length) for i, s in enumerate(symbols)}
    return bytes(counts) + bytes(symbols), codes


DC_SPEC, DC_CODES = huffman_table(list(range(12)), 4)
AC_SYMBOLS = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]
AC_SPEC, AC_CODES = huffman_table(AC_SYMBOLS, 8)


class BitWriter:
    def __init__(self):
        self.data, self.value, self.bits = bytearray(), 0, 0

    def put(self, code, length):
        for i in range(length - 1, -1, -1):
            self.value = (self.value << 1) | ((code >> i) & 1)
            self.bits += 1
            if self.bits == 8:
                self.data.append(self.value)
                if self.value == 0xFF:
                    self.data.append(0)
                self.value, self.bits = 0, 0

    def flush(self):
        while self.bits:
            self.put(1, 1)


def magnitude(value):
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def encode_block(writer, samples, quant, previous_dc):
    coefficients = []
    for v in range(8):
        for u in range(8):
            total = 0.0
            for y in range(8):
                for x in range(8):
                    total += (samples[y][x] - 128) * math.cos((2 * x + 1) * u * math.pi / 16) * math.cos(
                        (2 * y + 1) * v * math.pi / 16)
            scale = (math.sqrt(0.5) if u == 0 else 1) * (math.sqrt(0.5) if v == 0 else 1) / 4
            coefficients.append(int(round(total * scale / quant[v * 8 + u])))
    zz = [coefficients[i] for i in ZIGZAG]
    size, bits = magnitude(zz[0] - previous_dc)
    writer.put(*DC_CODES[size])
    writer.put(bits, size)
    run = 0
    for value in zz[1:]:
        if value == 0:
            run += 1
            continue
        while run > 15:
            writer.put(*AC_CODES[0xF0])
            run -= 16
        size, bits = magnitude(value)
        writer.put(*AC_CODES[(run << 4) | size])
        writer.put(bits, size)
        run = 0
    if run:
        writer.put(*AC_CODES[0x00])
    return zz[0]


def jpeg(width, height, pixel, components, restart_interval=0):
    """Baseline JPEG; components is "grey", "444" or "420"."""
    quant = [max(1, 2 + (i // 8 + i % 8)) for i in range(64)]
    ids = [1] if components == "grey" else [1, 2, 3]
    sampling = {1: (2, 2) if components == "420" else (1, 1), 2: (1, 1), 3: (1, 1)}
    max_h = max(sampling[c][0] for c in ids)
    max_v = max(sampling[c][1] for c in ids)

    def plane(c, x, y):
        r, g, b = pixel(min(x, width - 1), min(y, height - 1))
        if c == 1:
            return 0.299 * r + 0.587 * g + 0.114 * b
        if c == 2:
            return 128 - 0.168736 * r - 0.331264 * g + 0.5 * b
        return 128 + 0.5 * r - 0.418688 * g - 0.081312 * b

    out = b"\xff\xd8" + b"\xff\xe0" + struct.pack(">H5sBBBHHBB", 16, b"JFIF\0", 1, 1, 0, 1, 1, 0, 0)
    out += b"\xff\xdb" + struct.pack(">HB", 67, 0) + bytes(quant[i] for i in ZIGZAG)
    out += b"\xff\xc0" + struct.pack(">HBHHB", 8 + 3 * len(ids), 8, height, width, len(ids))
    out += b"".join(bytes((c, (sampling[c][0] << 4) | sampling[c][1], 0)) for c in ids)
    out += b"\xff\xc4" + struct.pack(">H", 2 + 2 + len(DC_SPEC) + len(AC_SPEC)) + b"\x00" + DC_SPEC + b"\x10" + AC_SPEC
    if restart_interval:
        out += b"\xff\xdd" + struct.pack(">HH", 4, restart_interval)
    out += b"\xff\xda" + struct.pack(">HB", 6 + 2 * len(ids), len(ids))
    out += b"".join(bytes((c, 0x00)) for c in ids) + bytes((0, 63, 0))
    writer = BitWriter()
    mcus_x = math.ceil(width / (8 * max_h))
    mcus_y = math.ceil(height / (8 * max_v))
    dc = {c: 0 for c in ids}
    count = 0
    for my in range(mcus_y):
        for mx in range(mcus_x):
            if restart_interval and count and count % restart_interval == 0:
                writer.flush()
                writer.data += bytes((0xFF, 0xD0 + (count // restart_interval - 1) % 8))
                dc = {c: 0 for c in ids}
            for c in ids:
                h, v = sampling[c]
                step_x, step_y = max_h // h, max_v // v
                for by in range(v):
                    for bx in range(h):
                        samples = []
                        for y in range(8):
                            row = []
                            for x in range(8):
                                px = (mx * h + bx) * 8 + x
                                py = (my * v + by) * 8 + y
                                row.append(sum(plane(c, px * step_x + i, py * step_y + j) for i in range(step_x)
                                               for j in range(step_y)) / (step_x * step_y))
                            samples.append(row)
                        dc[c] = encode_block(writer, samples, quant, dc[c])
            count += 1
    writer.flush()
    return out + bytes(writer.data) + b"\xff\xd9"


def jpeg_seeds():
    write("gradient_image", "grey-8x1.jpg", jpeg(8, 1, lambda x, y: (x * 32,) * 3, "grey"))
    colours = ramp(16)
    write("gradient_image", "ycbcr444-16x2.jpg", jpeg(16, 2, lambda x, y: colours[x], "444"))
    write("gradient_image", "ycbcr420-16x16.jpg",
          jpeg(16, 16, lambda x, y: (x * 16, y * 16, 255 - x * 8), "420"))
    write("gradient_image", "restarts-24x8.jpg",
          jpeg(24, 8, lambda x, y: ((x * 10) & 255, 100, 200), "444", restart_interval=1))
    whole = jpeg(16, 16, lambda x, y: (x * 16, y * 16, 255 - x * 8), "420")
    write("gradient_image", "cut-short-16x16.jpg", whole[:-30])  # inside the scan data


# ---------------------------------------------------------------- command lines

def command_line_seeds():
    lines = {
        "defaults": [],
        "help": ["--help"],
        "size-threads-engine": ["-W", "640", "-H", "480", "-j", "2", "--engine", "reference", "-q"],
        "set-fields": ["--set", "power=4", "--set", "angle=0.8", "--set", "direction.y=0.6", "--set",
                       "theta=0.4", "-o", "power4.png"],
        "save-params-only": ["--set", "constant.x=-0.2", "--set", "iterations=40", "--save-params", "used.j4d"],
        "all-options": ["-p", "params.j4d", "-g", "sunset.png", "--save-params", "used.j4d", "-o", "out.tga",
                        "--width=1920", "--height=1080", "--threads=4", "--engine=fast", "--quiet"],
        "bad-power": ["--set", "power=6"],
        "bad-field": ["--set", "colour.r=1"],
        "unusual-numbers": ["--set", "epsilon=1e-7", "--set", "specular=inf", "--set", "hyperplaneW=-nan",
                            "--set", "iterations=-2147483648", "--set", "light.z=0x1p3"],
        "bad-sizes": ["-W", "0", "-H", "65536"],
        "no-value": ["--set"],
        "unknown": ["--frobnicate", "-x", "positional"],
    }
    for name, arguments in lines.items():
        write("command_line", name + ".args", "\0".join(arguments))
    options = ["-p", "--params", "--set", "-g", "--gradient", "-W", "--width", "-H", "--height", "-j", "--threads",
               "--engine", "fast", "reference", "-o", "--output", "--save-params", "-q", "--quiet", "--help", "-h",
               "--", "="]
    fields = FIELDS
    text = "# option and field names of tessaform-render; NUL separates arguments\n"
    text += "".join('"\\x00%s\\x00"\n' % o for o in options)
    text += "".join('"%s="\n' % f for f in fields)
    with open(os.path.join(HERE, "command_line.dict"), "w") as f:
        f.write(text)


# ---------------------------------------------------------------- PNG text chunks

FIELDS = ["background.r", "background.g", "background.b", "theta", "phi", "distance", "constant.x",
          "constant.y", "constant.z", "constant.w", "hyperplaneW", "light.x", "light.y", "light.z", "specular",
          "intensity", "lateralShift", "verticalShift", "iterations", "epsilon", "direction.x", "direction.y",
          "direction.z", "angle", "power", "shadow", "shadowSoftness", "occlusion", "occlusionRadius", "fog"]
DEFAULT_VALUES = ["0.4", "0.5", "0.6", "0", "5.969026", "4", "-0.568627", "0.653846", "0", "0", "0", "-1", "-1",
                  "1", "20", "1.5", "-0.15", "0", "16", "0.001", "1", "0", "0", "0", "2"]
# The looks, lines only a record with them on carries.
LOOK_VALUES = ["0.8", "1.5", "0.6", "0.25", "0.3"]


def params_text(values):
    return "".join("%s=%s\n" % pair for pair in zip(FIELDS, values))


def text_chunk(keyword, text):
    return png_chunk(b"tEXt", keyword + b"\x00" + text.encode("latin-1"))


def ztext_chunk(keyword, text):
    return png_chunk(b"zTXt", keyword + b"\x00\x00" + zlib.compress(text.encode("latin-1"), 9))


def tessaform_png(values, gradient_hex):
    extra = (text_chunk(b"Software", "Tessaform 1.1") + text_chunk(b"tessaform-parameters", params_text(values))
             + ztext_chunk(b"tessaform-gradient", gradient_hex))
    return png(1, 1, 2, [bytes((10, 20, 30))], extra=extra)


def png_text_seeds():
    ramp_hex = "".join("%02x%02x%02x" % c for c in ramp(16))
    write("png_text", "default.png", tessaform_png(DEFAULT_VALUES, ramp_hex))
    far = list(DEFAULT_VALUES)
    far[5:7] = ["-0", "nan(0x7fc01234)"]
    far[11] = "-inf"
    far[18] = "-2147483648"
    far[24] = "5"
    write("png_text", "far-values.png", tessaform_png(far, ""))
    write("png_text", "plain.png", png(1, 1, 2, [bytes((1, 2, 3))]))
    write("png_text", "looks.png", tessaform_png(DEFAULT_VALUES + LOOK_VALUES, ramp_hex))
    whole = tessaform_png(DEFAULT_VALUES, ramp_hex)
    write("png_text", "cut.png", whole[: whole.index(b"tessaform-gradient") + 30])


def png_text_dictionary():
    words = ["tEXt", "zTXt", "IDAT", "IEND", "Software", "tessaform-parameters", "tessaform-gradient",
             "nan(0x", "inf", "-0", "\\x0A"] + ["%s=" % f for f in FIELDS]
    text = "# chunk types, keywords and the parameter lines the PNG text reader takes apart\n"
    text += "".join('"%s"\n' % w for w in words)
    with open(os.path.join(HERE, "png_text.dict"), "w") as f:
        f.write(text)


# ---------------------------------------------------------------- keyframe files

def keyframe_seeds():
    write("keyframe_file", "film.toml", 'fps = 30\n[interpolation]\n"constant.w" = "linear"\n'
          '[[key]]\nframe = 0\nphi = 5.969026\nconstant.x = -0.568627\n'
          '[[key]]\nframe = 120\nphi = 12.252211\nconstant.x = -0.2\npower = 3\n')
    write("keyframe_file", "far-values.toml", '[[key]]\nframe = 0\nepsilon = "nan(0x7fc01234)"\n'
          'light.x = -inf\nconstant.w = -0.0\ndistance = 1e-45\niterations = -2147483648\n'
          '[[key]]\nframe = 2147483647\ndistance = 3.4028235e38\nspecular = nan\n')
    write("keyframe_file", "many-keys.toml", "".join(
        "[[key]]\nframe = %d\nphi = %s\ndistance = %s\n" % (f, f * 0.7 - 3, 1.5 + f % 4) for f in range(0, 40, 3)))
    write("keyframe_file", "steps.toml", '[interpolation]\nphi = "step"\ndistance = "linear"\n'
          'iterations = "smooth"\n[[key]]\nframe = 3\niterations = 4\n[[key]]\nframe = 9\niterations = 90\n')
    write("keyframe_file", "looks.toml", '[interpolation]\nshadow = "step"\nfog = "linear"\n'
          '[[key]]\nframe = 0\nshadow = 1.0\nocclusion = 0.5\n'
          '[[key]]\nframe = 24\nshadowSoftness = 2.0\nocclusionRadius = 0.3\nfog = 0.4\n')
    write("keyframe_file", "frames-out-of-order.toml", "[[key]]\nframe = 5\n[[key]]\nframe = 5\n")
    write("keyframe_file", "from-file.toml", '[[key]]\nframe = 0\nfrom = "start.j4d"\n')
    write("keyframe_file", "broken.toml", "[[key]\nframe = = 0\n")
    # Nesting deep enough to overflow the TOML reader's recursion, refused
    # before it: a dotted key of 20,000 parts, and arrays 300 deep.
    write("keyframe_file", "deep-key.toml", "[[key]]\nframe = 0\n" + ".".join(["a"] * 20000) + " = 1\n")
    write("keyframe_file", "deep-arrays.toml", "[[key]]\nframe = 0\nphi = " + "[" * 300 + "]" * 300 + "\n")


def keyframe_dictionary():
    words = ["[[key]]", "[interpolation]", "fps", "frame", "from", "\\\"smooth\\\"", "\\\"linear\\\"",
             "\\\"step\\\"", "nan", "inf", "-0.0", "1e38", "\\\"nan(0x"] + ["%s = " % f for f in FIELDS]
    text = "# entries, modes and field names of keyframe files\n"
    text += "".join('"%s"\n' % w for w in words)
    with open(os.path.join(HERE, "keyframe_file.dict"), "w") as f:
        f.write(text)


# ---------------------------------------------------------------- tile part files

def fnv1a(text):
    value = 14695981039346656037
    for byte in text.encode("latin-1"):
        value = ((value ^ byte) * 1099511628211) % (1 << 64)
    return value


def tile_part(width, height, tile, tiles, first, end, rows, gradient_hex, target="AVX2", values=DEFAULT_VALUES):
    """rows: per row, (first-pass colours, [(column, colour)...])."""
    def string(text):
        return struct.pack("<I", len(text)) + text.encode("latin-1")

    data = b"tessaform-part\n" + struct.pack("<7I", 1, width, height, tile, tiles, first, end)
    data += struct.pack("<Q", fnv1a(gradient_hex))
    data += string(target) + string(params_text(values)) + string(gradient_hex)
    for colours, grids in rows:
        data += b"".join(bytes(c) for c in colours) + struct.pack("<I", len(grids))
        data += b"".join(struct.pack("<I", column) + bytes(c) for column, c in grids)
    return data + struct.pack("<I", zlib.crc32(data))


def tile_part_seeds():
    ramp_hex = "".join("%02x%02x%02x" % c for c in ramp(4))
    sky, body = (102, 127, 153), (200, 90, 40)
    rows = [([sky, sky, body, body, sky], [(1, (150, 110, 90)), (3, (180, 100, 60))]),
            ([sky, body, body, body, sky], [(1, (140, 100, 95))]),
            ([sky] * 5, [])]
    whole = tile_part(5, 4, 2, 2, 1, 4, rows, ramp_hex)
    write("tile_part", "second-of-two.tfpart", whole)
    write("tile_part", "one-pixel.tfpart", tile_part(1, 1, 1, 1, 0, 1, [([sky], [])], ""))
    far = list(DEFAULT_VALUES)
    far[19] = "nan(0x7fc01234)"
    far[24] = "5"
    write("tile_part", "far-values.tfpart", tile_part(3, 3, 1, 3, 0, 1, [([body] * 3, [])], ramp_hex, "SSE4", far))
    write("tile_part", "cut.tfpart", whole[:len(whole) - 20])
    write("tile_part", "bad-checksum.tfpart", whole[:-1] + bytes([whole[-1] ^ 1]))


def tile_part_dictionary():
    words = ["tessaform-part\\x0A", "\\x01\\x00\\x00\\x00", "\\xff\\xff\\x00\\x00", "AVX2", "AVX3_DL", "SSE4",
             "nan(0x"] + ["%s=" % f for f in FIELDS]
    text = "# magic, numbers, instruction sets and record lines of tile part files\n"
    text += "".join('"%s"\n' % w for w in words)
    with open(os.path.join(HERE, "tile_part.dict"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    param_seeds()
    param_dictionary()
    png_seeds()
    bmp_seeds()
    gif_seeds()
    jpeg_seeds()
    command_line_seeds()
    png_text_seeds()
    png_text_dictionary()
    keyframe_seeds()
    keyframe_dictionary()
    tile_part_seeds()
    tile_part_dictionary()
