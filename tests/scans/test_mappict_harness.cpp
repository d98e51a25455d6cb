// Map pictures through the harness, as a new user would make them: "mapruns SCAN cont0 save" on
// a generated scan, then "mappict" paints the continuum map; the PNG is read back by an
// independent decoder (Pillow; skipped when it is missing): its size is the map's at the scale,
// each cell a uniform block, the highest y in the top rows, the 'R' palette pure red, the darkest
// cell at the map's minimum and the brightest at its maximum.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "scans/cvFIOut.h"
#include "scans/support/MapRuns.h"
#include "support/TestSupport.h"

namespace {

using runtest::GenScan;

int Batch(const std::string& Args, std::string& Out) {
  int status = -1;
  Out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>&1", &status);
  return status;
}

bool HavePil() {
  return testsupport::RunShell("/usr/bin/python3 -c 'import PIL; print(1)' 2>/dev/null") == "1\n";
}

// The Pillow report of a PNG: "W H", whether every Z x Z block is uniform, whether green and
// blue are 0 everywhere, and the pixel values at two cells' blocks.
const char* kPy =
    "import sys\n"
    "from PIL import Image\n"
    "im = Image.open(sys.argv[1]).convert('RGB')\n"
    "z = int(sys.argv[2]); w, h = im.size; px = im.load()\n"
    "uni = all(px[x, y] == px[x - x % z, y - y % z] for y in range(h) for x in range(w))\n"
    "red = all(px[x, y][1] == 0 and px[x, y][2] == 0 for y in range(h) for x in range(w))\n"
    "def at(cx, cy):\n"
    "    return px[cx * z, h - 1 - cy * z][0]\n"
    "lo = min(px[x, y][0] for y in range(h) for x in range(w))\n"
    "hi = max(px[x, y][0] for y in range(h) for x in range(w))\n"
    "a = [int(v) for v in sys.argv[3:7]]\n"
    "print(w, h, int(uni), int(red), at(a[0], a[1]), at(a[2], a[3]), lo, hi)\n";

TEST(MapPictHarness, ContinuumMapAsPngReadByPillow) {
  if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
  GenScan g(10, 16);
  ASSERT_TRUE(WriteMainHeader(*g.scan, TScanMapStats{}));
  std::string out;
  ASSERT_EQ(Batch("mapruns " + g.folder + " cont0 save", out), 0) << out;
  const std::string png = g.dir.file("cont.png");
  ASSERT_EQ(Batch("mappict " + g.folder + " CONT --pct 0 1 --palette R --zoom 3 " + png, out), 0)
      << out;
  EXPECT_NE(out.find("map CONT [10,16]\n"), std::string::npos) << out;
  EXPECT_NE(out.find("picture 30x48 "), std::string::npos) << out;
  // The cells of the extremes from the harness's report.
  int ixMin = -1, iyMin = -1, ixMax = -1, iyMax = -1;
  {
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) {
      std::istringstream s(l);
      std::string w, v, at;
      s >> w >> v >> at;
      if (w == "min") s >> ixMin >> iyMin;
      if (w == "max") s >> ixMax >> iyMax;
    }
  }
  ASSERT_GE(ixMin, 0) << out;
  ASSERT_GE(ixMax, 0) << out;
  testsupport::WriteFile(g.dir.file("check.py"), kPy);
  const std::string rep = testsupport::RunShell(
      "/usr/bin/python3 " + g.dir.file("check.py") + " " + png + " 3 " + std::to_string(ixMin) +
      " " + std::to_string(iyMin) + " " + std::to_string(ixMax) + " " + std::to_string(iyMax) +
      " 2>&1");
  // 30 x 48, uniform 3 x 3 blocks, pure red, the minimum black and the maximum full red.
  EXPECT_EQ(rep, "30 48 1 1 0 255 0 255\n") << rep;
  // The other level rules and a missing map.
  EXPECT_EQ(Batch("mappict " + g.folder + " CONT --eqpop 0.05 0.95 " + png, out), 0) << out;
  EXPECT_EQ(Batch("mappict " + g.folder + " CONT --val 20000 30000 --palette Y " + png, out), 0)
      << out;
  EXPECT_NE(out.find("levels 20000 .. 30000"), std::string::npos) << out;
  EXPECT_EQ(Batch("mappict " + g.folder + " NOSUCH " + png, out), 1) << out;
  EXPECT_EQ(Batch("mappict " + g.folder + " CONT --palette Q " + png, out), 2) << out;
}

}  // namespace
