"""A small GIF89a encoder for colour-keyed animations: one shared palette, LZW, endless loop."""

import math
import struct

from PIL import Image

from .draw import KEY


def lzw_encode(indices, min_size):
    """GIF flavour of LZW: variable code width from min_size + 1 up to 12 bits, no early change."""
    clear, stop = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def put(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    width = min_size + 1
    table = {}
    next_code = stop + 1
    put(clear, width)
    key = indices[0]
    for index in indices[1:]:
        child = table.get((key, index))
        if child is not None:
            key = child
            continue
        put(key, width)
        if next_code < 4096:
            if next_code == 1 << width:
                width += 1
            table[(key, index)] = next_code
            next_code += 1
        else:
            put(clear, width)
            table = {}
            width = min_size + 1
            next_code = stop + 1
        key = index
    put(key, width)
    put(stop, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_palette(frames):
    """One palette for all frames, the key first; more than 255 colours are reduced by median cut."""
    colours = sorted({c for f in frames for c in f.getdata() if c != KEY})
    if len(colours) > 255:
        strip = Image.new("RGB", (len(colours), 1))
        strip.putdata(colours)
        reduced = strip.quantize(255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        pal = reduced.getpalette()[:255 * 3]
        colours = sorted({tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)} - {KEY})
    return [KEY] + colours


def write_gif(path, frames, delays):
    palette = gif_palette(frames)
    bits = max(2, math.ceil(math.log2(len(palette))))
    lookup = {c: i for i, c in enumerate(palette)}

    def index(c):
        if c not in lookup:
            lookup[c] = min(range(1, len(palette)),
                            key=lambda i: sum((x - y) ** 2 for x, y in zip(c, palette[i])))
        return lookup[c]

    w, h = frames[0].size
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", w, h, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    for i in range(1 << bits):
        data += bytes(palette[i] if i < len(palette) else (0, 0, 0))
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for frame, delay in zip(frames, delays):
        assert delay % 10 == 0 and delay >= 60, delay
        # Every frame is a complete picture; "do not dispose" keeps decoders from clearing anything.
        data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 1 << 2, delay // 10, 0, 0)
        data += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
        data.append(bits)
        code = lzw_encode([index(c) for c in frame.getdata()], bits)
        for j in range(0, len(code), 255):
            chunk = code[j:j + 255]
            data.append(len(chunk))
            data += chunk
        data.append(0)
    data.append(0x3B)
    path.write_bytes(bytes(data))
