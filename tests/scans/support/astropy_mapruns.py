"""Independent reads and writes for the map-run tests, with astropy and numpy.

read FILE        walks the map file by its offset rule (zero padding of any length skipped before
                 each header), parses each header with Header.fromstring and its data as '>f4';
                 prints per extension "EXT name|ALG_VER|title nx ny" (the title is the EXTNAME
                 comment after "CV: "), then the values, x fastest.
write-me FILE R  an inversion-result file: primary NAXIS 0 with SOLAR_RA = R, then the maps
                 X_Coordinate, Y_Coordinate, Field_Strength, Field_Inclination (BITPIX -32) of
                 NX x NY = argv[4] x argv[5]; prints them as "read" does.
"""
import os
import sys

import numpy as np
from astropy.io import fits

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from astropy_maps import extname_comment, walk  # noqa: E402


def show(name, ver, title, data):
    ny, nx = data.shape
    print("EXT", name + "|" + ver + "|" + title, nx, ny)
    print(" ".join(repr(float(v)) for v in data.astype(np.float32).ravel()))


def read(path):
    for h, data in walk(path):
        name, comment = extname_comment(h)
        title = comment[4:] if comment.startswith("CV: ") else comment
        show(name, str(h.get("ALG_VER", "")).strip(), title, data)


def write_me(path, radius, nx, ny):
    p = fits.PrimaryHDU()
    p.header["SOLAR_RA"] = radius
    p.header["XCEN"] = 0.0
    p.header["YCEN"] = 0.0
    xs = np.zeros((ny, nx))
    ys = np.zeros((ny, nx))
    for y in range(ny):
        for x in range(nx):
            # Disc centre at x = 1, y = 0; the limb at x = nx - 2 on the row y = 0 (positions
            # that sum to 0 would read back as an empty map).
            xs[y, x] = (x - 1) * radius / (nx - 3)
            ys[y, x] = y * radius / (2 * ny)
    strength = 200.0 + 37.5 * np.arange(nx * ny).reshape(ny, nx)
    incl = np.linspace(0.0, 180.0, nx * ny).reshape(ny, nx)
    hdus = [p]
    for name, data in [("X_Coordinate", xs), ("Y_Coordinate", ys), ("Field_Strength", strength),
                       ("Field_Inclination", incl)]:
        h = fits.ImageHDU(data=data.astype(">f4"))
        h.header["EXTNAME"] = name  # as given: name= would write it in capitals
        hdus.append(h)
    fits.HDUList(hdus).writeto(path, overwrite=True)
    for h in hdus[1:]:
        show(h.header["EXTNAME"], "", "", h.data)


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2])
    else:
        write_me(sys.argv[2], float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
