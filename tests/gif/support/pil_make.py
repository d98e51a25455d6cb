# Third-party GIFs made by Pillow into the folder given: interlace, local tables, transparency,
# disposal, comments, loop counts 0 and 40000, 2, 16 and 256 colours.
import random
import sys
from PIL import Image

out = sys.argv[1]
random.seed(5)


def noise(w, h, colours, seed):
    r = random.Random(seed)
    im = Image.new("P", (w, h))
    pal = []
    for i in range(256):
        pal += [(i * 37 + seed) % 256, (i * 91) % 256, (255 - i * 13) % 256]
    im.putpalette(pal)
    im.putdata([r.randrange(colours) for _ in range(w * h)])
    return im


noise(64, 40, 256, 1).save(out + "/p_256_interlace.gif", interlace=True)
noise(33, 17, 2, 2).save(out + "/p_2.gif")
noise(31, 19, 16, 3).save(out + "/p_16.gif", interlace=False)
noise(24, 18, 256, 4).save(out + "/p_transp.gif", transparency=3)
frames = [noise(40, 30, 200, 10 + k) for k in range(3)]
frames[0].save(out + "/p_anim_local.gif", save_all=True, append_images=frames[1:], loop=40000,
               duration=[100, 200, 300], disposal=1, comment=b"made by Pillow", optimize=False)
frames2 = [noise(20, 20, 16, 20 + k) for k in range(2)]
frames2[0].save(out + "/p_loop0.gif", save_all=True, append_images=frames2[1:], loop=0,
                duration=50, optimize=False)
