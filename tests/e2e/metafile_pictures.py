"""Windows metafiles of the splash tests' quadrants picture, written with the standard library
(ImageMagick reads metafiles but cannot write them). Each quarter is one rectangle of a solid
brush, filled with a pattern copy so that no pen draws an outline."""

import struct

from splash_pictures import quadrants

PATCOPY = 0x00F00021


def quarters(width, height):
    """The four quarters as (left, top, right, bottom, (r, g, b)) in picture pixels."""
    pixel = quadrants(width, height)
    mid_x, mid_y = width // 2, height // 2
    boxes = ((0, 0, mid_x, mid_y), (mid_x, 0, width, mid_y), (0, mid_y, mid_x, height),
             (mid_x, mid_y, width, height))
    return [(l, t, r, b, pixel(l, t)[:3]) for l, t, r, b in boxes]


def colorref(rgb):
    r, g, b = rgb
    return r | g << 8 | b << 16


def wmf_record(function, *words):
    """A record of 16-bit parameters (a COLORREF or a raster operation counts as two words)."""
    return struct.pack("<IH", 3 + len(words), function) + struct.pack("<%dH" % len(words), *words)


def write_placeable_wmf(path, width, height, inch, bounds):
    """A placeable Windows metafile whose logical units are the picture's pixels and whose
    bounding box is bounds = (right, bottom) in units of 1/inch, from (0, 0)."""
    records = [wmf_record(0x020B, 0, 0),  # SetWindowOrg (y, x)
               wmf_record(0x020C, height, width)]  # SetWindowExt (y, x)
    for left, top, right, bottom, rgb in quarters(width, height):
        ref = colorref(rgb)
        records += [wmf_record(0x02FC, 0, ref & 0xFFFF, ref >> 16, 0),  # CreateBrushIndirect
                    wmf_record(0x012D, 0),  # SelectObject: the brush takes the free slot 0
                    wmf_record(0x061D, PATCOPY & 0xFFFF, PATCOPY >> 16, bottom - top,
                               right - left, top, left),  # PatBlt
                    wmf_record(0x01F0, 0)]  # DeleteObject
    records.append(wmf_record(0x0000))  # end of file
    body = b"".join(records)
    total_words = (18 + len(body)) // 2
    largest = max(len(r) for r in records) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, total_words, 1, largest, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, bounds[0], bounds[1], inch, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    with open(path, "wb") as f:
        f.write(placeable + struct.pack("<H", checksum) + header + body)


def emf_record(kind, payload):
    return struct.pack("<II", kind, 8 + len(payload)) + payload


def emf_frame(width, height, dpi):
    """The picture frame's (right, bottom) in 0.01 mm of a drawing of width by height pixels of
    a device of dpi pixels per inch."""
    return round(width * 2540 / dpi), round(height * 2540 / dpi)


def write_emf(path, width, height, dpi):
    """An enhanced metafile drawn in pixels of a reference device of dpi pixels per inch, its
    frame from emf_frame."""
    records = []
    for left, top, right, bottom, rgb in quarters(width, height):
        records += [emf_record(39, struct.pack("<IIII", 1, 0, colorref(rgb), 0)),  # brush 1
                    emf_record(37, struct.pack("<I", 1)),  # SelectObject
                    emf_record(76, struct.pack("<8iI", left, top, right - 1, bottom - 1, left, top,
                                               right - left, bottom - top, PATCOPY) +
                               b"\0" * 56),  # BitBlt without a source bitmap
                    emf_record(37, struct.pack("<I", 0x80000000)),  # SelectObject: WHITE_BRUSH
                    emf_record(40, struct.pack("<I", 1))]  # DeleteObject
    records.append(emf_record(14, struct.pack("<III", 0, 16, 20)))  # end of file
    frame = emf_frame(width, height, dpi)
    header_size = 88
    total = header_size + sum(len(r) for r in records)
    header = struct.pack("<II", 1, header_size) + struct.pack(
        "<8i4I2H3I4i", 0, 0, width - 1, height - 1, 0, 0, frame[0], frame[1],
        0x464D4520, 0x10000, total, len(records) + 1, 2, 0, 0, 0, 0,
        dpi * 10, dpi * 10, 254, 254)  # reference device: pixels and millimetres
    with open(path, "wb") as f:
        f.write(header + b"".join(records))
