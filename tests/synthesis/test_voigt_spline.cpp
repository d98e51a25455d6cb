// The spline Voigt method on small grids with the program's node spacing (never the 84 MB
// tables): values between the nodes against the quadrature, the edges of the tables, the one
// sign of F, the table files (present: read without a question; missing: one question, then
// built; a failed write keeps Humlicek), and the build on several threads against one.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#if __has_include(<cerf.h>) && defined(CORVESTA_HAVE_CERF)
#include <cerf.h>
#define SPLINE_HAVE_CERF 1
#endif

#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtSpline.h"

namespace {

namespace fs = std::filesystem;
using TRun0 = testsupport::TBatchRun;

// Rows First.. of the program's damping nodes; v grids of the program's steps over a short
// range (linear to VSwitch, logarithmic from there over NLog steps).
TVoigtSplineGrid SmallGrid(int32_t FirstRow, int32_t Rows, int32_t Nv1, int32_t NLog) {
  const TVoigtSplineGrid s = TVoigtSplineGrid::Standard();
  TVoigtSplineGrid g = s.Rows(FirstRow, Rows);
  g.Nv1 = Nv1;
  g.VSwitch = (Nv1 - 11) * g.Dv;  // five nodes beyond, as in the program's grid
  g.Nv2 = NLog + 11;
  g.VMax = std::exp(std::log(g.VSwitch) + NLog * g.DL);
  return g;
}

std::shared_ptr<const TVoigtSplineTables> Build(const TVoigtSplineGrid& G, int32_t Threads = 0) {
  TVoigtSplineValues v;
  v.Alloc(G);
  EXPECT_TRUE(VoigtSplineComputeRows(G, 1, G.Na, v, Threads, nullptr));
  return std::make_shared<TVoigtSplineTables>(v);
}

// The program's tables are left as a test found them.
struct TTablesGuard {
  std::shared_ptr<const TVoigtSplineTables> saved = VoigtSplineLoaded();
  ~TTablesGuard() { SetVoigtSplineTables(saved); }
};

// Between the nodes (mid-way in v and in ln a, and at thirds) the spline is the quadrature to
// 1e-7, on the linear and on the logarithmic v table, for small and large damping.
TEST(VoigtSpline, BetweenNodesWithin1e7) {
  struct TCase {
    int32_t first;  // first damping row of the program's grid
  } cases[] = {{1}, {700}, {1960}};  // a from 0.001, about 0.1, up to 100
  for (const TCase& c : cases) {
    const TVoigtSplineGrid g = SmallGrid(c.first, 16, 40, 30);
    const auto t = Build(g);
    double worst = 0;
    for (int32_t i = 6; i < g.Na - 5; ++i)
      for (double fa : {0.5, 1.0 / 3}) {
        const double a = std::exp(g.LnA(i) + fa * g.DA);
        auto check = [&](double v) {
          double H, F;
          ASSERT_TRUE(t->Eval(a, v, H, F)) << a << " " << v;
          double hq, fq;
          VoigtSplineNode(g.T, g.Tol, a, v, hq, fq);
          worst = std::max({worst, std::fabs(H - hq), std::fabs(F - fq)});
          EXPECT_NEAR(H, hq, 1e-7) << "a " << a << " v " << v;
          EXPECT_NEAR(F, fq, 1e-7) << "a " << a << " v " << v;
        };
        for (int32_t j = 6; j < g.Nv1 - 5; j += 3) check(g.V(j) + 0.5 * g.Dv);
        for (int32_t k = 6; k < g.Nv2 - 5; k += 3) check(std::exp(g.LnW(k) + 0.5 * g.DL));
      }
    RecordProperty("max_abs_dev_row" + std::to_string(c.first), std::to_string(worst));
  }
}

// At the nodes the tables give the quadrature values (the quadrature's own accuracy apart: the
// parts and the whole range agree to 5e-13).
TEST(VoigtSpline, NodesAreTheQuadrature) {
  const TVoigtSplineGrid g = SmallGrid(500, 14, 30, 20);
  const auto t = Build(g);
  for (int32_t i : {6, 7, 8})
    for (int32_t j : {6, 10, 19}) {
      const double a = std::exp(g.LnA(i)), v = g.V(j);
      double H, F;
      ASSERT_TRUE(t->Eval(a, v, H, F));
      EXPECT_NEAR(H, VoigtHQuad(g.T, g.Tol, v, a), 5e-13);
      EXPECT_NEAR(F, VoigtFQuad(g.T, g.Tol, v, a), 5e-13);
    }
}

// The edges: a below 0.001 is the Taylor expansion, 0.001 the tables; v up to VSwitch the
// linear table, above it the logarithmic one (both close to the quadrature); -v the same H and
// the opposite F, F = 0 for |v| < 1e-8; damping and |v| beyond the tables Humlicek.
TEST(VoigtSpline, EdgesOfTheTables) {
  TTablesGuard guard;
  const TVoigtSplineGrid g = SmallGrid(1, 14, 30, 20);
  SetVoigtSplineTables(Build(g));
  double H, F, h, f;
  VoigtSplineEval(0.0009, 0.01, H, F);
  VoigtTaylor(0.0009, 0.01, h, f);
  EXPECT_EQ(H, h);
  EXPECT_EQ(F, f);
  double hq, fq;
  VoigtSplineEval(0.001, 0.01, H, F);
  VoigtSplineNode(2000, 5e-14, 0.001, 0.01, hq, fq);
  EXPECT_NEAR(H, hq, 1e-9);
  EXPECT_NE(H, h);
  const double a7 = std::exp(g.LnA(7) + 0.4 * g.DA);
  for (double v : {g.VSwitch, std::nextafter(g.VSwitch, 1.0), g.VSwitch + 1e-4}) {
    VoigtSplineEval(a7, v, H, F);
    VoigtSplineNode(2000, 5e-14, a7, v, hq, fq);
    EXPECT_NEAR(H, hq, 1e-8) << v;
    EXPECT_NEAR(F, fq, 1e-8) << v;
  }
  VoigtSplineEval(a7, 0.05, H, F);
  VoigtSplineEval(a7, -0.05, h, f);
  EXPECT_EQ(H, h);
  EXPECT_EQ(F, -f);
  EXPECT_GT(F, 0);
  VoigtSplineEval(a7, 5e-9, H, F);
  EXPECT_EQ(F, 0);
  // beyond the grid's damping and v: Humlicek
  const double aOut = g.AMax * 1.01, vOut = g.VMax * 1.01;
  VoigtSplineEval(aOut, 0.02, H, F);
  VoigtHumlicek(aOut, 0.02, h, f);
  EXPECT_EQ(H, h);
  EXPECT_EQ(F, f);
  VoigtSplineEval(a7, -vOut, H, F);
  VoigtHumlicek(a7, -vOut, h, f);
  EXPECT_EQ(H, h);
  EXPECT_EQ(F, f);
}

// The cubic through four rows is the foundation's four-point spline: ln a at a node, mid-way
// (where the upper node's piece is taken) and elsewhere give the same value.
TEST(VoigtSpline, FourRowCubicIsTheFourPointSpline) {
  const TVoigtSplineGrid g = SmallGrid(900, 14, 20, 12);
  TVoigtSplineValues vals;
  vals.Alloc(g);
  ASSERT_TRUE(VoigtSplineComputeRows(g, 1, g.Na, vals, 1, nullptr));
  const TVoigtSplineTables t(vals);
  const int32_t j = 9;  // a v node: the row values themselves
  const double v = g.V(j);
  for (int32_t ia : {6, 7}) {
    for (double u : {0.0, 0.5, 0.25, 0.9}) {
      const double la = g.LnA(ia) + u * g.DA;
      TARe X(5), Y(5);
      for (int r = 0; r < 4; ++r) {
        X[r + 1] = g.LnA(ia - 1 + r);
        Y[r + 1] = vals.H1[static_cast<size_t>(ia - 1 + r) * (g.Nv1 + 1) + j];
      }
      const int32_t k = u < 0.5 ? 2 : 3;  // the piece that starts at the nearer node
      TSpl4 x{X[1], X[2], X[3], X[4]}, y{Y[1], Y[2], Y[3], Y[4]}, b, c, d;
      SplineCoef4(x, y, b, c, d);
      const double dt = la - x[k - 1];
      const double s = y[k - 1] + dt * (b[k - 1] + dt * (c[k - 1] + dt * d[k - 1]));
      double H, F;
      ASSERT_TRUE(t.Eval(std::exp(la), v, H, F));
      EXPECT_NEAR(H, s, 1e-13) << ia << " " << u;
    }
  }
}

// Any thread count gives the same tables, bit for bit; progress per row; a cancel stops.
TEST(VoigtSpline, RowsOnSeveralThreadsAsOnOne) {
  const TVoigtSplineGrid g = SmallGrid(300, 12, 16, 8);
  TVoigtSplineValues one, many;
  one.Alloc(g);
  many.Alloc(g);
  ASSERT_TRUE(VoigtSplineComputeRows(g, 1, g.Na, one, 1, nullptr));
  TJob job("rows");
  int64_t steps = 0;
  job.OnProgress = [&](const TJobProgress& P) {
    ++steps;
    EXPECT_EQ(P.Total, g.Na);
  };
  ASSERT_TRUE(VoigtSplineComputeRows(g, 1, g.Na, many, 3, &job));
  EXPECT_GE(steps, 1);
  EXPECT_EQ(job.LastProgress().Done, g.Na);
  EXPECT_EQ(one.H1, many.H1);
  EXPECT_EQ(one.F1, many.F1);
  EXPECT_EQ(one.H2, many.H2);
  EXPECT_EQ(one.F2, many.F2);
  TJob stop("rows");
  stop.Cancel();
  TVoigtSplineValues part;
  EXPECT_FALSE(VoigtSplineComputeRows(g, 1, g.Na, part, 2, &stop));
}

// The program's grid: node 6 is a = 0.001, node 1995 a = 100; the v nodes as the tables say;
// each file 21,626,808 bytes.
TEST(VoigtSpline, StandardGridAndFiles) {
  const TVoigtSplineGrid g = TVoigtSplineGrid::Standard();
  EXPECT_NEAR(std::exp(g.LnA(6)), 0.001, 1e-18);
  EXPECT_NEAR(std::exp(g.LnA(1995)), 100, 1e-11);
  EXPECT_NEAR(g.V(1), -0.015, 1e-15);
  EXPECT_NEAR(g.V(1350), 4.032, 1e-12);
  EXPECT_NEAR(std::exp(g.LnW(6)), 4, 1e-14);
  EXPECT_NEAR(std::exp(g.LnW(1345)), 2000, 1e-9);
  for (const char* c : {"H1", "H2", "F1", "F2"}) EXPECT_EQ(g.FileBytes(c), 21626808);
  EXPECT_EQ(g.FileName("/x/VOIGT", "H2"), "/x/VOIGT/V1350a2000_H2.dat");
  // the same rows as a grid of their own
  const TVoigtSplineGrid r = g.Rows(101, 20);
  EXPECT_NEAR(r.LnA(1), g.LnA(101), 1e-13);
  EXPECT_NEAR(r.LnA(20), g.LnA(120), 1e-13);
}

// Present files are read without a question; missing ones: one question; No keeps Humlicek and
// touches nothing (and is not asked again until a direct call); Yes builds, writes the four
// files and makes the spline current; a later preparation reads them without a question.
TEST(VoigtSpline, FilesAndTheQuestion) {
  TTablesGuard guard;
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  testsupport::TempDir tmp;
  const std::string dir = tmp.file("VOIGT");
  const TVoigtSplineGrid g = SmallGrid(600, 12, 16, 8);
  SetVoigtSplineTables(nullptr);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  {
    TJob job("no");
    job.PresetAnswers = {false};
    TJobScope js(job);
    EXPECT_FALSE(VoigtSplinePrepare(dir, g, 2, true));
    ASSERT_EQ(job.Questions().size(), 1u);
    EXPECT_EQ(job.Questions()[0], VoigtSplineQuestion());
    EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
    EXPECT_FALSE(fs::exists(dir));
    // not asked again by the synthesis
    EXPECT_FALSE(VoigtSplinePrepare(dir, g, 2, false));
    EXPECT_EQ(job.Questions().size(), 1u);
  }
  {
    TJob job("yes");
    job.PresetAnswers = {true};
    TJobScope js(job);
    EXPECT_TRUE(VoigtSplinePrepare(dir, g, 2, true));
    EXPECT_EQ(job.Questions().size(), 1u);
    EXPECT_EQ(CurrentVoigtMethod(), vmSpline);
    EXPECT_EQ(VoigtMethodName(), "Spline");
  }
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    ++files;
    const std::string n = e.path().filename().string();
    EXPECT_TRUE(n.rfind("V16a12_", 0) == 0 || n.rfind("V19a12_", 0) == 0) << n;
  }
  EXPECT_EQ(files, 4);
  for (const char* c : {"H1", "F1"})
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(g.FileName(dir, c))), 13 * 17 * 8);
  const auto built = VoigtSplineLoaded();
  ASSERT_TRUE(built);
  // read again (a direct call): no question, the same values
  SetVoigtSplineTables(nullptr);
  ctx.VoigtMethod = vmHumlicek;
  {
    TJob job("again");
    TJobScope js(job);
    EXPECT_TRUE(VoigtSplinePrepare(dir, g, 2, true));
    EXPECT_TRUE(job.Questions().empty());
    const double a = std::exp(g.LnA(6) + 0.3 * g.DA);
    double H1, F1, H2, F2;
    ASSERT_TRUE(built->Eval(a, 0.01, H1, F1));
    VoigtFunc(a, 0.01, H2, F2);
    EXPECT_EQ(H1, H2);
    EXPECT_EQ(F1, F2);
  }
  // one file missing: the question again, and all four written anew (H1, zeroed here, too)
  fs::remove(g.FileName(dir, "F1"));
  const std::string h1 = g.FileName(dir, "H1");
  const std::string zeros(static_cast<size_t>(fs::file_size(h1)), '\0');
  testsupport::WriteFile(h1, zeros);
  {
    TJob job("rebuild");
    job.PresetAnswers = {true};
    TJobScope js(job);
    EXPECT_TRUE(VoigtSplinePrepare(dir, g, 2, false));  // loaded tables are reused ...
    EXPECT_TRUE(job.Questions().empty());
    SetVoigtSplineTables(nullptr);
    EXPECT_TRUE(VoigtSplinePrepare(dir, g, 2, false));  // ... none loaded: asked, rebuilt
    EXPECT_EQ(job.Questions().size(), 1u);
  }
  EXPECT_TRUE(fs::exists(g.FileName(dir, "F1")));
  EXPECT_NE(testsupport::ReadFile(h1), zeros);
}

// A file of another size or one missing: the read fails with the file named, Humlicek stays.
TEST(VoigtSpline, FailedReadKeepsHumlicek) {
  TTablesGuard guard;
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  testsupport::TempDir tmp;
  const std::string dir = tmp.file("VOIGT");
  const TVoigtSplineGrid g = SmallGrid(600, 12, 16, 8);
  TVoigtSplineValues v;
  v.Alloc(g);
  ASSERT_TRUE(VoigtSplineComputeRows(g, 1, g.Na, v, 0, nullptr));
  ASSERT_TRUE(WriteVoigtSplineFiles(dir, v));
  fs::resize_file(g.FileName(dir, "F2"), 100);
  SetVoigtSplineTables(nullptr);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("short");
  TJobScope js(job);
  EXPECT_FALSE(VoigtSplinePrepare(dir, g, 1, true));
  EXPECT_TRUE(job.Questions().empty());  // all four present: no question
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  EXPECT_FALSE(VoigtSplineLoaded());
  bool named = false;
  for (const auto& w : job.Warnings()) named |= w.Text.find("V19a12_F2.dat") != std::string::npos;
  for (const auto& w : sink.texts) named |= w.find("V19a12_F2.dat") != std::string::npos;
  EXPECT_TRUE(named);
}

// A folder that cannot be made: nothing written, Humlicek stays, the files of another grid
// untouched.
TEST(VoigtSpline, FailedWriteKeepsHumlicek) {
  TTablesGuard guard;
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  testsupport::TempDir tmp;
  testsupport::WriteFile(tmp.file("plain"), "not a folder");
  const std::string dir = tmp.file("plain/VOIGT");
  const TVoigtSplineGrid g = SmallGrid(600, 12, 16, 8);
  SetVoigtSplineTables(nullptr);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("write");
  job.PresetAnswers = {true};
  TJobScope js(job);
  EXPECT_FALSE(VoigtSplinePrepare(dir, g, 2, true));
  EXPECT_EQ(CurrentVoigtMethod(), vmHumlicek);
  EXPECT_FALSE(VoigtSplineLoaded());
  EXPECT_FALSE(job.Warnings().empty());
}

// The harness: the folder, the four files and the method in force; without the tables and
// without --build the question is answered No and nothing is written; the diagnostic tables.
TEST(VoigtSplineJourney, HarnessReportsAndTables) {
  const TVoigtSplineGrid g = TVoigtSplineGrid::Standard();
  const TRun0 r = testsupport::RunBatch("voigt-tables --testtab 10 4 0.1 1e-10 5 --damptab 4 2 1 1e-10 1");
  ASSERT_EQ(r.status, 0) << r.out;
  const size_t f = r.out.find("folder ");
  ASSERT_NE(f, std::string::npos) << r.out;
  const std::string dir = r.out.substr(f + 7, r.out.find('\n', f) - f - 7);
  EXPECT_NE(dir.find("VOIGT"), std::string::npos) << dir;
  if (VoigtSplineFilesPresent(dir, g)) {
    EXPECT_NE(r.out.find("method Spline"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("V1350a2000_H1.dat 21626808"), std::string::npos) << r.out;
  } else {
    EXPECT_NE(r.out.find("method Humlicek"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("V1350a2000_F2.dat 0"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(g.FileName(dir, "H1")));
  }
  // the coarse spline over v: 10 nodes to v = 5, every 4th fine point from 21 on
  EXPECT_NE(r.out.find("dHH"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("HFlag"), std::string::npos) << r.out;
}

#ifdef SPLINE_HAVE_CERF
// Where the adaptive quadrature over the whole range gives up (a narrow peak off its subdivision:
// a just below 0.001 at v = 0.06 misses by 0.009) the node's parts give w(z) to 5e-13; so do
// nodes of every kind.
TEST(VoigtSplineCerf, NodeWhereTheQuadratureGivesUp) {
  const double a = 0.00099422842154996724, v = 0.06;
  double e, flag;
  int32_t n;
  VoigtFQuadEx(2000, 5e-14, v, a, e, n, flag);
  EXPECT_NE(flag, 0);
  const int64_t before = VoigtSplineSplitNodes();
  double worst = 0;
  auto check = [&](double a, double v) {
    double H, F;
    VoigtSplineNode(2000, 5e-14, a, v, H, F);
    double _Complex z;
    __real__ z = v;
    __imag__ z = a;
    const double _Complex w = w_of_z(z);
    worst = std::max({worst, std::fabs(H - __real__ w), std::fabs(F - __imag__ w / 2)});
    EXPECT_NEAR(H, __real__ w, 5e-13) << a << " " << v;
    EXPECT_NEAR(F, __imag__ w / 2, 5e-13) << a << " " << v;
  };
  check(a, v);
  for (double aa : {0.001, 0.0137, 0.3, 4.0, 99.0})
    for (double vv : {-0.015, 0.0, 0.06, 1.3, 3.99, 4.5, 9.7, 10.3, 150.0, 1999.0}) check(aa, vv);
  EXPECT_EQ(VoigtSplineSplitNodes(), before + 51);
  RecordProperty("max_abs_dev", std::to_string(worst));
}

// F takes the sign of every other method: +Im w / 2 (libcerf), also through the method switch.
TEST(VoigtSplineCerf, SignAndValuesOfW) {
  TTablesGuard guard;
  const TVoigtSplineGrid g = SmallGrid(1100, 14, 30, 20);
  SetVoigtSplineTables(Build(g));
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  ctx.VoigtMethod = vmSpline;
  for (double v : {-0.05, 0.013, 0.07, 0.085}) {
    const double a = std::exp(g.LnA(8) + 0.4 * g.DA);
    double H, F;
    VoigtFunc(a, v, H, F);
    double _Complex z;
    __real__ z = v;
    __imag__ z = a;
    const double _Complex w = w_of_z(z);
    EXPECT_NEAR(H, __real__ w, 1e-7) << v;
    EXPECT_NEAR(F, __imag__ w / 2, 1e-7) << v;
    EXPECT_EQ(F > 0, v > 0);
  }
}
#endif

}  // namespace
