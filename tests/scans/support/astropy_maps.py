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


def extname(header):
    """EXTNAME from the card image: our files keep it unquoted, which astropy cannot parse."""
    for card in header.cards:
        if card.keyword == "EXTNAME":
            return card.image[10:].split("/")[0].strip().strip("'").strip()
    return "?"


def show(name, data):
    ny, nx = data.shape
    print(name, nx, ny)
    print(" ".join(repr(float(v)) for v in data.astype(np.float32).ravel()))


def read(path):
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
        head = raw[off:end + 80].decode("ascii")
        h = fits.Header.fromstring(head)
        off = end + 80
        while raw[off:off + 80] == b" " * 80:
            off += 80
        nx, ny = h["NAXIS1"], h["NAXIS2"]
        data = np.frombuffer(raw[off:off + 4 * nx * ny], dtype=">f4").reshape(ny, nx)
        show(extname(h), data)
        off += 4 * nx * ny


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
