#!/usr/bin/env python3
"""Writes the binary seeds of fuzz/corpus and the reproducers of fuzz/regressions.

The files are kept in the repository; this script says what is in them and makes them again
(run it from anywhere: python3 fuzz/make-inputs.py). Text seeds (mails, RTF, Config.dat) are
written by hand and not touched here.
"""
import hashlib
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(folder, name, data):
    path = os.path.join(HERE, folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def u16(*v):
    return struct.pack("<%dH" % len(v), *[x & 0xFFFF for x in v])


def i16(*v):
    return struct.pack("<%dh" % len(v), *v)


def u32(*v):
    return struct.pack("<%dI" % len(v), *[x & 0xFFFFFFFF for x in v])


def i32(*v):
    return struct.pack("<%di" % len(v), *v)


def rgb(r, g, b):
    return bytes([r, g, b, 0])


# ---------------------------------------------------------------- bitmaps

def dib(width, height, bits, palette, pixels, used=None):
    """A packed DIB: BITMAPINFOHEADER, the palette (RGBQUADs) and the rows (bottom-up)."""
    header = u32(40) + i32(width, height) + u16(1, bits) + u32(0, len(pixels), 0, 0)
    header += u32(len(palette) if used is None else used, 0)
    return header + b"".join(bytes([b, g, r, 0]) for r, g, b in palette), pixels


def rows(width, height, bits, value):
    stride = (width * bits + 31) // 32 * 4
    row = bytes([value]) * (width * bits // 8)
    return (row + b"\0" * (stride - len(row))) * height


# An 8 x 8 bitmap of 8 bits per pixel whose palette holds one colour while every pixel names
# colour 255.
SHORT_PALETTE = dib(8, 8, 8, [(200, 30, 30)], rows(8, 8, 8, 255), used=1)
SMALL_RGB = (u32(40) + i32(2, 2) + u16(1, 24) + u32(0, 16, 0, 0, 0, 0),
             (bytes([0, 0, 255, 0, 255, 0]) + b"\0\0") * 2)

# ---------------------------------------------------------------- EMF


class Emf:
    def __init__(self, frame=(0, 0, 2540, 2540), handles=8):
        self.frame = frame
        self.handles = handles
        self.records = b""
        self.count = 0

    def record(self, kind, params=b""):
        params += b"\0" * (-len(params) % 4)
        self.records += u32(kind, 8 + len(params)) + params
        self.count += 1
        return self

    def bytes(self):
        eof = u32(14, 20, 0, 0, 20)
        size = 88 + len(self.records) + len(eof)
        header = u32(1, 88) + i32(0, 0, 95, 95) + i32(*self.frame) + u32(0x464D4520, 0x10000)
        header += u32(size, self.count + 2) + u16(self.handles, 0) + u32(0, 0, 0)
        header += i32(960, 960, 254, 254)
        return header + self.records + eof

    # The usual records.
    def brush(self, index, color, style=0):
        return self.record(39, u32(index, style) + color + u32(0))

    def pen(self, index, color, width=0, style=0):
        return self.record(38, u32(index, style) + i32(width, 0) + color)

    def select(self, index):
        return self.record(37, u32(index))

    def rectangle(self, l, t, r, b):
        return self.record(43, i32(l, t, r, b))

    def polygon(self, points):
        flat = [c for p in points for c in p]
        return self.record(3, i32(0, 0, 96, 96) + u32(len(points)) + i32(*flat))

    def stretch_dibits(self, dest, source_size, info, bits):
        x, y, w, h = dest
        sw, sh = source_size
        fixed = 80  # bytes before the bitmap: record head 8 and the fields 72
        params = i32(0, 0, 96, 96) + i32(x, y, 0, 0, sw, sh)
        params += u32(fixed, len(info), fixed + len(info), len(bits), 0, 0x00CC0020) + i32(w, h)
        return self.record(81, params + info + bits)

    def dib_pattern_brush(self, index, info, bits):
        fixed = 32
        return self.record(94, u32(index, 0, fixed, len(info), fixed + len(info), len(bits)) + info + bits)


def emf_text(emf, x, y, text):
    chars = text.encode("utf-16-le")
    fixed = 76
    params = i32(0, 0, 96, 96) + u32(1) + struct.pack("<ff", 1, 1)
    params += i32(x, y) + u32(len(text), fixed, 0) + i32(0, 0, 0, 0) + u32(0) + chars
    return emf.record(84, params)


def emf_font(emf, index, height, face):
    name = face.encode("utf-16-le").ljust(64, b"\0")
    return emf.record(82, u32(index) + i32(height, 0, 0, 0, 700) + bytes([0, 1, 0, 0, 0, 0, 0, 0]) + name)


def emf_seed():
    e = Emf()
    e.pen(1, rgb(0, 0, 128), 2).brush(2, rgb(40, 160, 40)).select(1).select(2)
    e.rectangle(5, 5, 40, 30)
    e.record(42, i32(50, 5, 90, 40))  # ellipse
    e.record(33)  # save
    e.record(35, struct.pack("<6f", 1, 0.2, 0, 1, 10, 0))  # a world transform
    e.polygon([(10, 50), (40, 60), (20, 90)])
    e.record(34, i32(-1))  # restore
    e.record(30, i32(0, 0, 70, 96))  # intersect the clipping
    e.record(59).record(27, i32(50, 50)).record(54, i32(90, 60)).record(54, i32(60, 90)).record(61).record(60)
    e.record(62, i32(0, 0, 96, 96))  # fill the path
    emf_font(e, 3, -12, "Arial").select(3)
    emf_text(e, 10, 70, "Seed")
    info, bits = SMALL_RGB
    e.stretch_dibits((70, 70, 20, 20), (2, 2), info, bits)
    return e.bytes()


# ---------------------------------------------------------------- WMF


class Wmf:
    def __init__(self, box=(0, 0, 96, 96), inch=96, objects=8):
        self.box = box
        self.inch = inch
        self.objects = objects
        self.records = b""

    def record(self, function, params=(), tail=b""):
        p = i16(*params) + tail
        p += b"\0" * (len(p) % 2)
        self.records += u32((6 + len(p)) // 2) + u16(function) + p
        return self

    def bytes(self, placeable=True):
        out = b""
        if placeable:
            l, t, r, b = self.box
            out += u32(0x9AC6CDD7) + u16(0) + i16(l, t, r, b) + u16(self.inch) + u32(0) + u16(0)
        eof = u32(3) + u16(0)
        out += u16(1, 9, 0x300) + u32((18 + len(self.records) + len(eof)) // 2) + u16(self.objects) + u32(0) + u16(0)
        return out + self.records + eof

    def brush(self, color):
        return self.record(0x02FC, (0,), color + u16(0))

    def select(self, index):
        return self.record(0x012D, (index,))

    def rectangle(self, l, t, r, b):
        return self.record(0x041B, (b, r, t, l))

    def stretch_dib(self, dest, source_size, packed):
        x, y, w, h = dest
        sw, sh = source_size
        return self.record(0x0F43, (0x0020, 0x00CC, 0, sh, sw, 0, 0, h, w, y, x), packed)


def wmf_seed():
    w = Wmf()
    w.brush(rgb(200, 60, 0)).select(0).rectangle(5, 5, 50, 40)
    w.record(0x02FA, (0, 2, 0), rgb(0, 0, 0)).select(1)  # a pen
    w.record(0x0324, (3, 60, 10, 90, 40, 60, 40))  # a polygon
    w.record(0x0418, (90, 90, 50, 50))  # an ellipse
    face = b"Arial".ljust(32, b"\0")
    w.record(0x02FB, (-12, 0, 0, 0, 400, 0, 0, 0, 0), face).select(2)
    w.record(0x0521, (4,), b"Seed" + i16(80, 10))
    info, bits = SMALL_RGB
    w.stretch_dib((60, 60, 30, 30), (2, 2), info + bits)
    return w.bytes()


def wmf_bare_seed():
    w = Wmf()
    w.record(0x020C, (100, 100)).brush(rgb(0, 0, 255)).select(0).rectangle(10, 10, 60, 90)
    w.record(0x0415, (30, 30, 20, 20))  # exclude a hole
    w.rectangle(0, 0, 100, 50)
    return w.bytes(placeable=False)


# ---------------------------------------------------------------- RTF


def rtf_with_emf(emf, width=96, height=96, shown=48):
    """A letter with the picture of width x height pixels shown at `shown` pixels a side:
    drawn at twice that, a 96 x 96 picture is drawn at its own size."""
    hexed = emf.hex()
    lines = "\n".join(hexed[i:i + 128] for i in range(0, len(hexed), 128))
    return ("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n"
            "\\pard A picture: {\\pict\\emfblip\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d\n%s\n}\\par\n}\n"
            % (width * 2540 // 96, height * 2540 // 96, shown * 15, shown * 15, lines)).encode("ascii")


def rtf_pictures_seed():
    info, bits = SMALL_RGB
    png_row = b"\0" + bytes([255, 0, 0, 0, 0, 255])
    png = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 1, 8, 2, 0, 0, 0))
           + png_chunk(b"IDAT", zlib.compress(png_row)) + png_chunk(b"IEND", b""))
    parts = [
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n\\pard Pictures:\\par\n",
        "{\\pict\\pngblip\\picw2\\pich1 %s}\\par\n" % png.hex(),
        "{\\pict\\dibitmap0\\picw2\\pich2 %s}\\par\n" % (info + bits).hex(),
        "{\\pict\\wmetafile8\\picw2540\\pich2540\\picwgoal1440\\pichgoal1440 %s}\\par\n" % wmf_seed()[22:].hex(),
        "{\\pict\\emfblip\\picw2540\\pich2540 %s}\\par\n}\n" % emf_seed().hex(),
    ]
    return "".join(parts).encode("ascii")


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


# ---------------------------------------------------------------- the mail store


def store_header():
    first = b"Vellorn Composer 5.0 mail store. Do not edit this file.\r\n"
    second = b"Orlavinte Vellorn Composer" + b" " * 100 + b"\r\n"
    return (first + second)[:100]


def store_record(text, box=b"u", attach=b"N"):
    return i32(len(text)) + box + attach + b"0000-0000-0000" + text


MAIL = (b"From: \"Anna Berg\" <anna@example.org>\r\nTo: Ben <ben@example.org>, carl@example.org\r\n"
        b"Subject: =?iso-8859-1?Q?Gr=FC=DFe?=\r\nDate: Mon, 3 Jun 2024 10:00:00 +0200\r\n"
        b"Content-Type: text/plain; charset=\"iso-8859-1\"\r\n\r\n{\\rtf1 Hello}\r\n")


def recovery_copy(stamp, fields):
    """A recovery copy's file: the first line, the fields, the end line with the checksum."""
    body = b"".join(name + b" " + str(len(value)).encode() + b"\n" + value + b"\n" for name, value in fields)
    checksum = hashlib.sha256(body).hexdigest().encode()
    return (b"VELLORN-RECOVERY 1 " + str(stamp).encode() + b"\n" + body
            + b"end " + str(len(checksum)).encode() + b"\n" + checksum + b"\n")


def png_seed(width, height):
    raw = b"".join(b"\0" + bytes((x * 40 + y * 90) % 256 for x in range(3 * width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


def new_targets():
    # Base64: the first byte chooses the cuts.
    write("corpus/base64", "body.b64", b"\x03" + b"SGVsbG8sIHdvcmxkIQ==\r\nZm9vdGVy\r\n")
    write("corpus/base64", "lines.b64", b"\x39" + b"QUJD\r\nREVG\r\nR0g\r\n=\r\n")
    write("corpus/base64", "unpadded.b64", b"\x00" + b"QUJDRA")

    # Mails for the two ways of writing: the first byte 1 arranges the parts first.
    with open(os.path.join(HERE, "corpus", "mail", "multipart.eml"), "rb") as f:
        multipart = f.read()
    write("corpus/rebuild", "multipart-arranged.eml", b"\x01" + multipart)
    write("corpus/rebuild", "multipart-as-read.eml", b"\x00" + multipart)
    write("corpus/rebuild", "plain-arranged.eml", b"\x01" + MAIL)

    # Recovery copies: 0 then a copy's file; anything else then fields cut at zero bytes.
    write("corpus/recovery", "copy.bin", b"\x00" + recovery_copy(1717400000000, [
        (b"mode", b"Modify"), (b"box", b"s"), (b"record", b"4711"), (b"replaces", b"\x01" * 32),
        (b"subject", "Pl\u00e4ne".encode()), (b"to", b"Bob <bob@example.org>\ncarol@example.org"),
        (b"cc", b""), (b"bcc", b""), (b"letter", b"{\\rtf1\\ansi Dear Bob,\\par end}"),
        (b"attachment", b"notes.txt"), (b"file", b"/home/ann/notes.txt"),
        (b"attachment", b"scan.pdf"), (b"stream", b"%PDF\n\0\r\n"),
    ]))
    write("corpus/recovery", "fields.bin", b"\x01" + b"\0".join([b"stamp", b"digest", b"{\\rtf1 x}", b"subject",
                                                                  b"to", b"ab", b"0123456789", b"a", b"/tmp/f"]))

    # Picture files: 0 then the file's bytes.
    write("corpus/picturefile", "small.png", b"\x00" + png_seed(3, 2))
    write("corpus/picturefile", "wide.png", b"\x00" + png_seed(900, 1))
    write("corpus/picturefile", "dot.gif", b"\x00" + bytes.fromhex(
        "474946383961010001008000000000 00ffffff21f90401000000002c00000000010001000002024401003b".replace(" ", "")))

    # Certificate pins: "host|port|fingerprint", a line break, then a Config.dat.
    config = b"[System]\r\nACC_SMTPHost=mail.example.org\r\nPIC_W=600\r\n[Trusted Certificates]\r\nold.example:465=AA\r\n"
    write("corpus/pins", "name.txt", b"mail.example.org|25|12:34:56\n" + config)
    write("corpus/pins", "address.txt", b"192.0.2.7|587|AB:CD\n" + config)
    write("corpus/pins", "bracketed.txt", b"[2001:db8::1]|25|AB\n" + config)


def main():
    new_targets()
    write("corpus/metafile", "shapes.emf", emf_seed())
    write("corpus/metafile", "shapes.wmf", wmf_seed())
    write("corpus/metafile", "bare.wmf", wmf_bare_seed())
    write("corpus/rtf", "pictures.rtf", rtf_pictures_seed())
    write("corpus/store", "two-records.dat", store_header() + store_record(MAIL) + store_record(MAIL, b"s", b"Y"))
    write("corpus/store", "torn-append.dat",
          store_header() + store_record(MAIL, b"t") + store_record(MAIL)[:40] + store_record(MAIL, b"D"))

    # Palettes shorter than the pixels' indexes, through each path that builds an image from a DIB.
    info, bits = SHORT_PALETTE
    write("regressions/metafile", "short-palette-stretchdibits.emf",
          Emf().stretch_dibits((0, 0, 96, 96), (8, 8), info, bits).bytes())
    write("regressions/metafile", "short-palette-pattern-brush.emf",
          Emf().dib_pattern_brush(1, info, bits).select(1).rectangle(0, 0, 95, 95).bytes())
    write("regressions/metafile", "short-palette-stretchdib.wmf",
          Wmf().stretch_dib((0, 0, 96, 96), (8, 8), info + bits).bytes())
    write("regressions/metafile", "short-palette-pattern-brush.wmf",
          Wmf().record(0x0142, (5, 0), info + bits).select(0).rectangle(0, 0, 96, 96).bytes())

    # Twenty filled triangles, each with a vertex 8,000,000 units below a 96 x 96 picture.
    far = Emf().brush(1, rgb(0, 0, 200)).select(1)
    for i in range(20):
        far.polygon([(10 + i, 10), (50, 8000000), (90 - i, 20)])
    write("regressions/metafile", "far-vertex-polygons.emf", far.bytes())

    # A letter whose picture fills, at one go, a path of eight triangles reaching down to
    # y = 5,242,880.
    path = Emf().brush(1, rgb(200, 0, 0)).select(1).record(59)
    for i in range(8):
        path.record(27, i32(10 + i, 10)).record(54, i32(80 - i, 5242880)).record(54, i32(90 - i, 10)).record(61)
    path.record(60).record(62, i32(0, 0, 96, 96))
    write("regressions/rtf", "emfblip-far-path.rtf", rtf_with_emf(path.bytes()))

    # A To field of 100,000 quote pairs, each pair a quote, a blank and a quote.
    write("regressions/mail", "to-quote-pairs.eml",
          b"To: " + b'" "' * 100000 + b"\r\nSubject: pairs\r\n\r\nbody\r\n")


if __name__ == "__main__":
    main()
