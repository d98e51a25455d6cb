"""A reader of the own map file by its layout alone (no FITS library: the titles hold the
code-page-1251 sign 0xB1, which FITS readers refuse).

read FILE   skips the 2880-byte blocks of the main header up to its END card, then per extension:
            zero padding of any length, 80-byte cards up to END, blank cards, NAXIS2 rows of
            NAXIS1 big-endian float32; prints "EXT name|ALG_VER|title nx ny" (the title from the
            EXTNAME comment after "CV: ", its bytes as Latin-1) and the values, x fastest.
"""
import struct
import sys


def cards(raw, off):
    """The cards from off up to END, and the offset after END."""
    out = []
    while True:
        card = raw[off:off + 80].decode("latin-1")
        off += 80
        if card[:8].strip() == "END":
            return out, off
        out.append(card)


def value(card):
    return card[10:].split("/", 1)[0].strip().strip("'").strip()


def read(path):
    raw = open(path, "rb").read()
    _, off = cards(raw, 0)
    off = (off + 2879) // 2880 * 2880
    while off < len(raw):
        while off < len(raw) and raw[off] == 0:
            off += 1
        if off >= len(raw):
            break
        cs, off = cards(raw, off)
        while raw[off:off + 80] == b" " * 80:
            off += 80
        keys = {c[:8].strip(): c for c in cs}
        nx, ny = int(value(keys["NAXIS1"])), int(value(keys["NAXIS2"]))
        ext = keys["EXTNAME"][10:]
        name, _, comment = ext.partition("/")
        comment = comment.strip()
        title = comment[4:] if comment.startswith("CV: ") else comment
        ver = value(keys["ALG_VER"]) if "ALG_VER" in keys else ""
        vals = struct.unpack(">%df" % (nx * ny), raw[off:off + 4 * nx * ny])
        off += 4 * nx * ny
        print("EXT", name.strip().strip("'").strip() + "|" + ver + "|" + title, nx, ny)
        print(" ".join(repr(v) for v in vals))


if __name__ == "__main__":
    sys.dont_write_bytecode = True
    if sys.argv[1] == "read":
        read(sys.argv[2])
