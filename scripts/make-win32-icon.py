#!/usr/bin/env python3
"""Writes win32/tolmarin.ico: 16 x 16 pixels, 16 colours (4 bits a pixel).

The picture is a small logbook in the window's own colours: a teal spine,
a green header band and ruled pages with a teal column bar. Run it again
after changing the picture below; the build uses the committed .ico.
"""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# '.' is transparent; the others index the palette.
KEY = {'O': 3, 'T': 6, 'G': 10, 'W': 15, 'D': 2, 'B': 6, 'K': 0}
PICTURE = [
    "................",
    ".OOOOOOOOOOOOOO.",
    ".OTTGGGGGGGGGGO.",
    ".OTTGGGGGGGGGGO.",
    ".OTTWWWBWWWWWWO.",
    ".OTTWDDBDDDDDWO.",
    ".OTTWWWBWWWWWWO.",
    ".OTTWDDBDDDDDWO.",
    ".OTTWWWBWWWWWWO.",
    ".OTTWDDBDDDDDWO.",
    ".OTTWWWBWWWWWWO.",
    ".OTTWDDBDDDDDWO.",
    ".OTTWWWBWWWWWWO.",
    ".OTTWWWBWWWWWWO.",
    ".OOOOOOOOOOOOOO.",
    "................",
]


def icon_bytes():
    size = 16
    xor_rows, and_rows = [], []
    for row in reversed(PICTURE):  # bitmaps are stored bottom-up
        indices = [KEY.get(c, 0) for c in row]
        xor_rows.append(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2)))
        mask = 0
        for c in row:
            mask = (mask << 1) | (1 if c == '.' else 0)
        and_rows.append(struct.pack('>H', mask) + b'\0\0')  # rows padded to 4 bytes
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    image = b''.join(xor_rows) + b''.join(and_rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(image), 0, 0, 16, 0)
    data = header + palette + image
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), 22)
    return directory + data


if __name__ == '__main__':
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'win32' / 'tolmarin.ico'
    out.write_bytes(icon_bytes())
    print(f'wrote {out}')
