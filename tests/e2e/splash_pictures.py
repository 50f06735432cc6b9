"""Pictures for the splash tests, written with the standard library (BMP, PNG) or converted by
ImageMagick (JPEG, GIF, ICO and the rest), and the screen of an X display read back as pixels."""

import os
import struct
import subprocess
import time
import zlib

BACKDROP = (32, 64, 160)


def quadrants(width, height, alpha_corners=False):
    """A picture of four coloured quarters; with alpha_corners its four corner squares are
    fully transparent and a band across the middle is half transparent. Returns a function
    (x, y) -> (r, g, b, a)."""
    corner = min(width, height) // 5

    def pixel(x, y):
        left, top = x < width // 2, y < height // 2
        colour = {(True, True): (230, 120, 20), (False, True): (40, 110, 210),
                  (True, False): (30, 170, 60), (False, False): (240, 240, 240)}[(left, top)]
        if alpha_corners:
            in_x = x < corner or x >= width - corner
            in_y = y < corner or y >= height - corner
            if in_x and in_y:
                return (0, 0, 0, 0)
            if abs(y - height // 2) < 3:
                return colour + (128,)
        return colour + (255,)
    return pixel


def write_bmp(path, width, height, pixel):
    """24-bit bottom-up BMP."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b, _ = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_png(path, width, height, pixel):
    """8-bit RGBA PNG."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))
                   for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def make_picture(folder, name, width, height, alpha_corners=False):
    """The quadrants picture as the file folder/name, its format from the name's extension
    (JPEG and others through ImageMagick, at quality 95; with alpha_corners from a PNG, so that
    the corners stay transparent). Returns the path and the pixel function."""
    pixel = quadrants(width, height, alpha_corners)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    if name.endswith(".png"):
        write_png(path, width, height, pixel)
    elif alpha_corners:
        write_png(path + ".png", width, height, pixel)
        convert(path + ".png", path)
    else:
        bmp = os.path.splitext(path)[0] + ".bmp"
        write_bmp(bmp, width, height, pixel)
        if not name.endswith(".bmp"):
            convert(bmp, path, "-quality", "95")
    return path, pixel


def make_animated_gif(folder, name, width, height):
    """A GIF of two frames, the quadrants picture and then a plain red one. Returns the path and
    the first frame's pixel function."""
    first, pixel = make_picture(folder, name + ".1.bmp", width, height)
    second = os.path.join(folder, name + ".2.bmp")
    write_bmp(second, width, height, lambda x, y: (200, 20, 20, 255))
    path = os.path.join(folder, name)
    subprocess.run(["convert", "-delay", "20", first, second, "-loop", "0", path], check=True)
    return path, pixel


def convert(source, target, *options):
    """Another format of a picture through ImageMagick (quality and the like in options)."""
    subprocess.run(["convert", source] + list(options) + [target], check=True)


class Screen:
    """The whole screen of an X display as RGB pixels."""

    def __init__(self, display, keep=None):
        ppm = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", "ppm:-"],
                             check=True, capture_output=True).stdout
        if keep:
            subprocess.run(["convert", "ppm:-", keep], input=ppm, check=False)
        parts = ppm.split(maxsplit=4)
        assert parts[0] == b"P6" and parts[3] == b"255", parts[:4]
        self.width, self.height = int(parts[1]), int(parts[2])
        self.pixels = parts[4]

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.pixels[offset:offset + 3])


def sample_points(width, height):
    """Points inside each quarter and near the picture's edges, away from colour borders."""
    xs = [2, width // 4, width // 2 - 3, width // 2 + 3, 3 * width // 4, width - 3]
    ys = [2, height // 4, height // 2 - 5, height // 2 + 5, 3 * height // 4, height - 3]
    return [(x, y) for x in xs for y in ys]


def mismatches(screen, left, top, width, height, pixel, tolerance=0, backdrop=BACKDROP):
    """Sample points where the screen differs from the picture composed over the backdrop
    (fully transparent pixels show the backdrop; opaque ones their colour)."""
    wrong = []
    for x, y in sample_points(width, height):
        r, g, b, a = pixel(x, y)
        if 0 < a < 255:
            continue  # partial alpha depends on what the display can compose
        expected = (r, g, b) if a == 255 else backdrop
        sx, sy = left + x, top + y
        if not (0 <= sx < screen.width and 0 <= sy < screen.height):
            continue
        seen = screen.pixel(sx, sy)
        if any(abs(s - e) > tolerance for s, e in zip(seen, expected)):
            wrong.append(((x, y), seen, expected))
    return wrong


def start_backdrop(display, size, timeout=60, attempts=2):
    """A plain window of the backdrop colour over the whole screen, under later windows: it is
    on the screen when this returns, so a window that shows soon after cannot end up below it.
    On a loaded machine xmessage has been seen to end or stay unmapped once; it gets a second
    start before the test gives up."""
    colour = "#%02x%02x%02x" % BACKDROP
    environment = {"DISPLAY": display, "PATH": "/usr/bin:/bin"}
    for _ in range(attempts):
        backdrop = subprocess.Popen(["xmessage", "-bg", colour, "-geometry",
                                     "%dx%d+0+0" % size, "-buttons", "", " "],
                                    env=environment, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + timeout
        while backdrop.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "xmessage"],
                              env=environment, capture_output=True).stdout:
                return backdrop
            time.sleep(0.05)
        backdrop.kill()
        backdrop.wait()
    raise RuntimeError("the backdrop window did not show")


def write_plain_png(path, width, height, rgb):
    """An RGB PNG of one colour, compressed row by row: a picture of any size in a small file."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    compressor = zlib.compressobj(1)
    row = b"\0" + bytes(rgb) * width
    data = b"".join(compressor.compress(row) for _ in range(height)) + compressor.flush()
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", data) + chunk(b"IEND", b""))


def write_plain_gif(path, width, height, rgb):
    """A GIF of one colour: its LZW codes for a run of one index are each the longest run the
    table holds, so even 100 million pixels take some 50,000 codes."""
    clear, end, first_free = 4, 5, 6  # two-bit codes: colours 0 to 3
    out, bits, count = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bits, count
        bits |= code << count
        count += size
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    remaining, size, next_code, longest = width * height, 3, first_free, 1
    emit(clear, size)
    while remaining:
        run = min(longest, remaining)
        emit(0 if run == 1 else first_free + run - 2, size)  # the table holds runs 1, 2, 3, ...
        remaining -= run
        next_code += 1
        longest = run + 1
        if next_code - 1 == 1 << size and size < 12:
            size += 1
        if next_code == 4096:
            emit(clear, size)
            size, next_code, longest = 3, first_free, 1
    emit(end, size)
    if count:
        out.append(bits & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255]
                      for i in range(0, len(out), 255))
    with open(path, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0) + bytes(rgb) +
                b"\0\0\0" + b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x02" +
                blocks + b"\0;")


def write_plain_bmp(path, width, height, rgb):
    """A one-bit BMP of one colour: a large picture in a file an eighth of its pixel count."""
    stride = (width + 31) // 32 * 4
    offset = 14 + 40 + 8
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + stride * height, 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, stride * height, 2835,
                            2835, 2, 0))
        f.write(bytes(reversed(rgb)) + b"\0" + b"\0\0\0\0")
        row = bytes(stride)
        for _ in range(height):
            f.write(row)
