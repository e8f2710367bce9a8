"""A screenshot of an X display as PNG, with xwd and the standard library only."""

from __future__ import annotations

import struct
import subprocess
import zlib

_HEADER = struct.Struct(">25I")


def xwd_to_png(data: bytes) -> bytes:
    """Converts a ZPixmap XWD dump of 24 or 32 bits per pixel to PNG bytes."""
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
     blue_mask, _bits_rgb, _entries, ncolors) = _HEADER.unpack_from(data)[:20]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("unsupported XWD image (format %d, %d bits per pixel)"
                         % (pixmap_format, bits_per_pixel))
    pixels = header_size + ncolors * 12
    step = bits_per_pixel // 8
    little = byte_order == 0

    def shift(mask: int) -> int:
        return (mask & -mask).bit_length() - 1

    shifts = [(mask, shift(mask)) for mask in (red_mask, green_mask, blue_mask)]
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        line = data[pixels + y * bytes_per_line:pixels + y * bytes_per_line + width * step]
        for x in range(0, width * step, step):
            value = int.from_bytes(line[x:x + step], "little" if little else "big")
            rows.extend(((value & mask) >> s) & 0xFF for mask, s in shifts)

    def chunk(kind: bytes, body: bytes) -> bytes:
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))


def grab(display: str, path: str) -> bool:
    """Saves the whole screen of an X display to path as PNG; False when it cannot."""
    try:
        dump = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                              capture_output=True, timeout=20, check=True).stdout
        with open(path, "wb") as out:
            out.write(xwd_to_png(dump))
        return True
    except (OSError, subprocess.SubprocessError, ValueError, struct.error):
        return False
