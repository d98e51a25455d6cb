// The depth-physics journey through the command-line harness: the demo's "ONE\physics.DAT" fills
// grid 1 of HSRA for Fe I 6302.5, and the heights and density made here agree with the model's
// own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

TEST(PhysicsJourney, HsraFe6302FillsGridOne) {
  const TRun r = Harness("physics --project '" + testsupport::SourceRoot() +
                         "/data/Projects/Demo' 'ONE\\physics.DAT'");
  ASSERT_EQ(r.status, 0) << r.out;
  // the keeper report of grid 1 names every quantity filled
  const size_t rep = r.out.find("для модели HSRA для сетки №1");
  ASSERT_NE(rep, std::string::npos) << r.out;
  std::istringstream in(r.out);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  size_t head = 0;
  while (head < lines.size() && lines[head].find("h(model)") == std::string::npos) ++head;
  ASSERT_LT(head, lines.size()) << r.out;
  int checked = 0;
  for (size_t i = head + 1; i < lines.size(); ++i) {
    std::istringstream row(lines[i]);
    double x, h, h0, ro, ro0;
    if (!(row >> x >> h >> h0 >> ro >> ro0)) continue;
    if (x <= 0) {
      EXPECT_NEAR(ro / ro0, 1, 0.05) << lines[i];
    }
    for (double at : {-1.0, -2.0, -3.0}) {
      if (std::fabs(x - at) < 1e-6) {
        EXPECT_NEAR(h / h0, 1, 0.08) << lines[i];
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 3) << r.out;
}

}  // namespace
