# Lists a GIF's frames as Pillow decodes them: one "key=value" line per fact, and per frame i the
# file f<i>.raw (mode RGB or RGBA after Pillow's compositing); frame 0 in mode P also as p0.idx
# (indices) and p0.pal (palette).
import sys
from PIL import Image

im = Image.open(sys.argv[1])
out = sys.argv[2]
print("version=" + im.info.get("version", b"").decode())
print("frames=%d" % getattr(im, "n_frames", 1))
print("loop=%s" % im.info.get("loop", "none"))
print("comment=%s" % im.info.get("comment", b"").decode("latin-1"))
for i in range(getattr(im, "n_frames", 1)):
    im.seek(i)
    if i == 0 and im.mode == "P":
        open(out + "/p0.idx", "wb").write(im.tobytes())
        open(out + "/p0.pal", "wb").write(bytes(im.getpalette()))
    f = im.convert("RGBA") if im.mode in ("RGBA", "P", "LA") and (im.mode == "RGBA" or "transparency" in im.info) else im.convert("RGB")
    open(out + "/f%d.raw" % i, "wb").write(f.tobytes())
    print("frame%d=%s %s %s %s" % (i, f.mode, im.info.get("duration", 0),
                                   getattr(im, "disposal_method", 0), im.size[0]))
