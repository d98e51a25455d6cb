"""Map algebra and mask counts recomputed with numpy, for the map-algebra tests.

alg DIR      DIR holds A.f32, B.f32 (float32, little-endian, x fastest), C.txt (the number), P.txt
             (the period) and one NAME.f32 per result; each function is recomputed in extended
             precision (np.longdouble) and stored as float32. Prints per result "NAME BAD MAXULP":
             the values whose bits differ and the largest difference in units in the last place.
mask FILE F1 [F2 [F3]]
             reads the map file by its offset rule (astropy_maps.read's walk); each F is
             NAME:LEVELS[:abs], LEVELS as lo/hi;lo/hi;...; prints per combination (filter 1
             fastest) the count of pixels whose values (absolute with abs) lie in every chosen
             interval, bounds included.
mid FILE A B R
             prints "equal" when map R of the file equals (A + B) / 2 computed in extended
             precision and stored as float32, bit for bit, else the count of differing values.
"""
import itertools
import os
import sys

import numpy as np

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

LD = np.longdouble
PI = LD("3.141592653589793238462643383279502884")


def load(d, name):
    return np.fromfile(os.path.join(d, name + ".f32"), dtype="<f4")


def ulps(a, b):
    ia = a.view(np.int32).astype(np.int64)
    ib = b.view(np.int32).astype(np.int64)
    ia = np.where(ia < 0, -(ia & 0x7FFFFFFF), ia)
    ib = np.where(ib < 0, -(ib & 0x7FFFFFFF), ib)
    return np.abs(ia - ib)


def alg(d):
    a32, b32 = load(d, "A"), load(d, "B")
    a, b = a32.astype(LD), b32.astype(LD)
    c = LD(float(open(os.path.join(d, "C.txt")).read()))
    p = LD(float(open(os.path.join(d, "P.txt")).read()))
    with np.errstate(all="ignore"):
        circ = a - b
        circ = np.where(circ < -p / 2, circ + p, np.where(circ > p / 2, circ - p, circ))
        ref = {
            "abs": np.abs(a), "neg": -a, "sig": np.sign(a), "sq": a * a,
            "sqrt": np.sqrt(np.abs(a)), "inv": np.where(a == 0, LD(0), LD(1) / a),
            "sin": np.sin(a * PI / 180), "cos": np.cos(a * PI / 180),
            "log": np.where(a == 0, LD(-100), np.log10(np.abs(a))),
            "exp10": np.power(LD(10), a),
            "add": a + b, "sub": a - b, "mul": a * b,
            "rat": np.where(b == 0, LD(0), a / b), "mid": (a + b) / 2,
            "addc": a + c, "subc": a - c, "mulc": a * c, "ratc": a / c,
            "circsub": circ,
        }
        for name, r in ref.items():
            f = os.path.join(d, name + ".f32")
            if not os.path.exists(f):
                print(name, "missing", 0)
                continue
            got = load(d, name)
            want = r.astype(np.float32)
            bad = int(np.count_nonzero(got.view(np.int32) != want.view(np.int32)))
            print(name, bad, int(ulps(got, want).max()) if got.size else 0)


def maps_of(path):
    from astropy_maps import extname, walk
    return {extname(h): data.astype(np.float32) for h, data in walk(path)}


def mask(path, specs):
    maps = maps_of(path)
    filters = []
    for s in specs:
        parts = s.split(":")
        levels = [tuple(float(x) for x in lv.split("/")) for lv in parts[1].split(";")]
        v = maps[parts[0]].astype(np.float64)
        if len(parts) > 2 and parts[2] == "abs":
            v = np.abs(v)
        filters.append((v, levels))
    counts = [range(len(lv)) for _, lv in filters]
    for combo in itertools.product(*reversed(counts)):
        combo = tuple(reversed(combo))
        ok = np.ones(filters[0][0].shape, dtype=bool)
        for (v, levels), k in zip(filters, combo):
            lo, hi = levels[k]
            ok &= (v >= lo) & (v <= hi)
        print(" ".join(str(k + 1) for k in combo), int(np.count_nonzero(ok)))


def mid(path, an, bn, rn):
    maps = maps_of(path)
    want = ((maps[an].astype(LD) + maps[bn].astype(LD)) / 2).astype(np.float32)
    bad = int(np.count_nonzero(want.view(np.int32) != maps[rn].view(np.int32)))
    print("equal" if bad == 0 else "differ %d" % bad)


if __name__ == "__main__":
    if sys.argv[1] == "alg":
        alg(sys.argv[2])
    elif sys.argv[1] == "mask":
        mask(sys.argv[2], sys.argv[3:])
    elif sys.argv[1] == "mid":
        mid(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5])
