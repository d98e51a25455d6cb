# Reference values from astropy for the scan tests (Debian's python3-astropy).
#   astropy_ref.py write DIR   : level-1-like files written by astropy, with their int16 data
#                                dumped beside them (one value a line, C order)
#   astropy_ref.py keys FILE[,FILE...] KEY...: per file "FILE|name", "KEY|value" for each key,
#                                then "DATLOC|<data offset>"
import sys

import numpy as np
from astropy.io import fits

RAW = [0, 1, 32767, -32768, -32767, -1]


def write(folder):
    ny = 3
    for layout in (3, 4):
        for sh in range(4):
            data = ((np.arange(4 * ny * 112) * 37) % 20000 + 100).astype(np.int16)
            data = data.reshape(4, ny, 112)
            for s in range(4):
                data[s, 1, :6] = RAW
                data[s, 2, 50:56] = RAW[::-1]
            if layout == 4:
                data = data.reshape(4, 1, ny, 112)
            hdu = fits.PrimaryHDU(data)
            h = hdu.header
            h['SPBSHFT'] = sh
            h['DATE_OBS'] = '2019-06-22T16:45:05.000'
            h['CRVAL1'] = 6302.08
            h['CDELT1'] = 0.021549
            h['CRPIX1'] = 56.5
            name = '%s/SP3D_L%d_S%d' % (folder, layout, sh)
            hdu.writeto(name + '.fits', overwrite=True)
            np.savetxt(name + '.txt', data.reshape(-1), fmt='%d')


def keys(paths, names):
    for path in paths.split(','):
        keys1(path, names)


def keys1(path, names):
    print('FILE|%s' % path)
    with fits.open(path) as hdul:
        h = hdul[0].header
        for k in names:
            v = h.get(k, '')
            if isinstance(v, float):
                v = repr(v)
            print('%s|%s' % (k, v))
        print('DATLOC|%d' % hdul.fileinfo(0)['datLoc'])


if __name__ == '__main__':
    if sys.argv[1] == 'write':
        write(sys.argv[2])
    else:
        keys(sys.argv[2], sys.argv[3:])
