"""Independent reads and writes of map files with astropy, for the map tests.

read FILE   walks the file by its offset rule (zero padding of any length skipped before each
            header), parses each header with Header.fromstring and its data as '>f4' (NAXIS2 rows
            of NAXIS1); prints per extension "NAME nx ny" and the values, x fastest.
open FILE   the same from astropy.io.fits.open itself (standard 2880-byte padding).
write FILE  an inversion-result file: primary NAXIS 0 with its main-header keys, then BITPIX -32
            image extensions; prints what it wrote as "read" would.
"""
import sys

import numpy as np
from astropy.io import fits


def extname_comment(header):
    """EXTNAME and its comment from the card image: our files keep the name unquoted, which
    astropy cannot parse."""
    for card in header.cards:
        if card.keyword == "EXTNAME":
            value, _, comment = card.image[10:].partition("/")
            return value.strip().strip("'").strip(), comment.strip()
    return "?", ""


def extname(header):
    return extname_comment(header)[0]


def show(name, data):
    ny, nx = data.shape
    print(name, nx, ny)
    print(" ".join(repr(float(v)) for v in data.astype(np.float32).ravel()))


def walk(path):
    """(header, data) of each extension, by the offset rule."""
    raw = open(path, "rb").read()
    hdr = fits.Header.fromstring(raw[:2880 * 2].decode("ascii"))
    assert hdr["NAXIS"] == 0
    off = 5760
    while off < len(raw):
        while off < len(raw) and raw[off] == 0:
            off += 1
        if off >= len(raw):
            break
        end = raw.index(b"END" + b" " * 77, off)
        h = fits.Header.fromstring(raw[off:end + 80].decode("ascii"))
        off = end + 80
        while raw[off:off + 80] == b" " * 80:
            off += 80
        nx, ny = h["NAXIS1"], h["NAXIS2"]
        yield h, np.frombuffer(raw[off:off + 4 * nx * ny], dtype=">f4").reshape(ny, nx)
        off += 4 * nx * ny


def read(path):
    for h, data in walk(path):
        show(extname(h), data)


def open_(path):
    with fits.open(path) as f:
        for hdu in f[1:]:
            show(extname(hdu.header), hdu.data)


def write(path):
    p = fits.PrimaryHDU()
    for k, v in [("XCEN", 512.25), ("YCEN", -120.5), ("SOLAR_RA", 945.125), ("XSCALE", 0.2971),
                 ("YSCALE", 0.3199), ("TSTART", "2019-06-22T16:45:05"),
                 ("TEND", "2019-06-22T16:47:00"), ("P_ANGLE", 0.0), ("B_ANGLE", 1.5)]:
        p.header[k] = v
    hdus = [p]
    rng = np.random.default_rng(7)
    for name, shape in [("Field_Strength", (6, 5)), ("Field_Inclination", (6, 5)),
                        ("Field_Azimuth", (6, 5))]:
        data = rng.normal(500.0, 300.0, shape).astype(">f4")
        hdus.append(fits.ImageHDU(data=data, name=name))
    fits.HDUList(hdus).writeto(path, overwrite=True)
    for h in hdus[1:]:
        show(h.name, h.data)


if __name__ == "__main__":
    {"read": read, "open": open_, "write": write}[sys.argv[1]](sys.argv[2])
