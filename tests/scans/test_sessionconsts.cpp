// Session constants in the own output file's main header: the peak histogram's binning, CB0 with
// VW1 and VW2 on a small session of known maps (run twice: the same three cards, the others
// kept), the refusal of cards beyond the header's reserved blocks, and the disc geometry of
// "d2Circ" (limb, outside, aspect, the radius taken from SOLAR_RA).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvSessionConsts.h"
#include "scans/support/MapFiles.h"
#include "scans/support/MapRuns.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

using maptest::MakeMap;

const std::string kSes = std::string(maptest::kDa) + "_" + maptest::kTi;

std::vector<std::string> HeaderCards(const std::string& Path) {
  TStringList l;
  int32_t n = 0;
  GetFITSHead(Path, 0, n, &l);
  std::vector<std::string> c;
  for (int i = 0; i < l.Count(); ++i) c.push_back(l[i]);
  return c;
}

bool JobSaid(const TJob& J, const std::string& Part) {
  for (const auto& w : J.Warnings())
    if (w.Text.find(Part) != std::string::npos) return true;
  return false;
}

int CountKey(const std::vector<std::string>& Cards, const std::string& Key) {
  int n = 0;
  for (const std::string& c : Cards) n += CardLookupKey(c) == Key;
  return n;
}

double Word(const std::string& Line, int N) {
  std::istringstream in(Line);
  std::string w;
  for (int i = 0; i < N; ++i) in >> w;
  return ValRealQuiet(w);
}

// A 20 x 20 session: CONT 10000 with ten dark pixels, W2QUV195 spread around 10, the line
// positions of line 1 one pixel to the red of 56.5 and of line 2 at 56.5.
struct TCB0Session {
  maptest::MapRoot root;
  explicit TCB0Session(bool WithW2 = true) {
    EXPECT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    std::mt19937 gen(7);
    std::normal_distribution<double> nd(10, 3);
    std::vector<float> w(400);
    for (float& v : w) v = static_cast<float>(nd(gen));
    std::vector<std::unique_ptr<TFIOut>> maps;
    maps.push_back(MakeMap("CONT", 20, 20, [](int x, int y) {
      return x == 3 && y < 10 ? 1000.0f : 10000.0f;
    }));
    if (WithW2)
      maps.push_back(MakeMap("W2QUV195", 20, 20, [&](int x, int y) { return w[x * 20 + y]; }));
    maps.push_back(MakeMap("W2QUV295", 20, 20, [](int, int) { return 0.001f; }));
    for (const char* n : {"LWb1", "LWr1"})
      maps.push_back(MakeMap(n, 20, 20, [](int, int) { return 57.5f; }));
    for (const char* n : {"LWb2", "LWr2"})
      maps.push_back(MakeMap(n, 20, 20, [](int, int) { return 56.5f; }));
    testsupport::SinkRecorder rec;
    for (auto& m : maps) EXPECT_TRUE(m->Save()) << m->Name << (rec.texts.empty() ? "" : rec.texts[0]);
  }
};

TEST(SessionConsts, PeakHistogramBins) {
  struct TCase {
    int32_t nx, ny, bins;
    double lo;
  };
  for (const TCase& c : std::vector<TCase>{{100, 100, 400, 0.005}, {512, 512, 2048, 2.0 / 2048},
                                           {30, 40, 139, 2.0 / 139}, {1, 1, 4, 0.5}}) {
    EXPECT_EQ(PeakHistBins(c.nx, c.ny), c.bins) << c.nx << "x" << c.ny;
    TARe v(1, 0.0);
    for (int i = 0; i < 1000; ++i) v.push_back(i);
    TPeakHist h;
    MakePeakHist(v, c.nx, c.ny, h);
    EXPECT_EQ(h.N, c.bins);
    EXPECT_DOUBLE_EQ(h.FracLo, c.lo);
    EXPECT_DOUBLE_EQ(h.FracHi, 1 - c.lo);
    EXPECT_EQ(NOf(h.Smooth), c.bins);
  }
}

TEST(SessionConsts, CB0WritesThreeCardsAndKeepsTheOthers) {
  TCB0Session s;
  const std::vector<std::string> before = HeaderCards(s.root.Own());
  const int64_t size = maptest::Size(s.root.Own());
  TStringList table;
  TCB0Result r;
  r.Table = &table;
  TJob job("cb0");
  testsupport::SinkRecorder rec;
  RunJob(job, [&](TJob& J) { EXPECT_TRUE(CalcCB0(J, kSes, r)); });
  ASSERT_TRUE(r.Written) << (job.Warnings().empty() ? "" : job.Warnings()[0].Text);
  // only the bright pixels pass the continuum filter (5000 .. 200000 around the mean)
  EXPECT_FLOAT_EQ(r.CB0, 10000);
  // velocities of the line positions: (shift * 0.021549 A + offset) * c / lambda
  EXPECT_NEAR(r.VW1, (1 * 0.021549 + 0.5792) * 47.57477079, 1e-3);
  EXPECT_NEAR(r.VW2, -0.4132 * 47.5672796, 1e-3);
  EXPECT_EQ(r.Hist.N, 80);
  // the table: the peak line, five levels 0.9 .. 0.5 of the peak, a blank line, 30 lines up to
  // 3.9 times the peak's value
  ASSERT_EQ(table.Count(), 37);
  for (int k = 9; k >= 5; --k)
    EXPECT_NEAR(Word(table[10 - k], 2), k * 0.1 * r.Hist.PMax, 1e-3 * r.Hist.PMax);
  EXPECT_EQ(table[6], "");
  EXPECT_NEAR(Word(table[36], 4), 3.9 * r.Hist.XPeak, 1e-3 * std::fabs(r.Hist.XPeak));
  std::vector<std::string> after = HeaderCards(s.root.Own());
  EXPECT_EQ(after.size(), before.size() + 3);
  EXPECT_EQ(maptest::Size(s.root.Own()), size);
  for (const std::string& c : before)
    if (CardLookupKey(c) != "END") {
      EXPECT_EQ(CountKey(after, CardLookupKey(c)), 1) << c;
    }
  TStringList h;
  for (const std::string& c : after) h.Add(c);
  EXPECT_FLOAT_EQ(GetFITKeyRAll("CB0", &h), 10000);
  // a second run: the same three cards
  TCB0Result r2;
  TJob job2("cb0 again");
  RunJob(job2, [&](TJob& J) { CalcCB0(J, kSes, r2); });
  EXPECT_TRUE(r2.Written);
  const std::vector<std::string> again = HeaderCards(s.root.Own());
  EXPECT_EQ(again, after);
  // the maps after the header are still read
  LFIOReg().ClearAll();
  const TStringList want = [] {
    TStringList w;
    w.Add("CONT");
    return w;
  }();
  ASSERT_TRUE(LFIOReg().LoadOwn(maptest::kDa, maptest::kTi, &want, false));
  TFIOut* cont = LFIOReg().GetFIOutDT(maptest::kDa, maptest::kTi, "CONT");
  ASSERT_TRUE(cont && cont->EnsureLoaded());
  EXPECT_EQ(cont->aData[0][0], 10000);
}

TEST(SessionConsts, CB0NeedsItsMaps) {
  TCB0Session s(false);
  const std::string bytes = testsupport::ReadFile(s.root.Own());
  testsupport::SinkRecorder rec;
  TCB0Result r;
  TJob job("cb0");
  RunJob(job, [&](TJob& J) { EXPECT_FALSE(CalcCB0(J, kSes, r)); });
  EXPECT_TRUE(JobSaid(job, "В сеансе 20190622_164505 не рассчитана карта W2QUV195"_cp));
  EXPECT_FALSE(r.Written);
  EXPECT_EQ(testsupport::ReadFile(s.root.Own()), bytes);
}

TEST(SessionConsts, CB0CancelledWritesNothing) {
  TCB0Session s;
  const std::string bytes = testsupport::ReadFile(s.root.Own());
  for (int at : {1, 2, 3}) {
    TCB0Result r;
    TJob job("cb0");
    job.OnProgress = [&](const TJobProgress& P) {
      if (P.Done >= at) job.Cancel();
    };
    RunJob(job, [&](TJob& J) { EXPECT_FALSE(CalcCB0(J, kSes, r)); });
    EXPECT_TRUE(job.Cancelled());
    EXPECT_FALSE(r.Written);
    EXPECT_EQ(testsupport::ReadFile(s.root.Own()), bytes) << at;
  }
}

TEST(SessionConsts, CardsRefusedBeyondTheReservedBlocks) {
  maptest::MapRoot root;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  ASSERT_TRUE(MakeMap("CONT", 4, 3, maptest::Wave)->Save());
  const int n = static_cast<int>(HeaderCards(root.Own()).size());
  ASSERT_LT(n, 72);
  // up to 72 cards the header grows in its 5760 bytes
  std::vector<std::pair<std::string, std::string>> cards;
  for (int i = 0; i < 72 - n; ++i) {
    const std::string k = "K" + ZeroPad(i, 3);
    cards.emplace_back(k, FITCardRD(k, 1, "test", i));
  }
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(SetSessionCards(kSes, cards, {}));
  EXPECT_EQ(HeaderCards(root.Own()).size(), 72u);
  EXPECT_EQ(maptest::Size(root.Own()), 5760 + 2880 + 320);
  // one more does not fit: refused, the file as it was
  const std::string bytes = testsupport::ReadFile(root.Own());
  EXPECT_FALSE(SetSessionCards(kSes, {{"KMORE", FITCardRD("KMORE", 1, "", 1)}}, {}));
  EXPECT_TRUE(rec.Has("не помещаются в заголовок файла"_cp));
  EXPECT_EQ(testsupport::ReadFile(root.Own()), bytes);
  // replacing a card or removing one fits
  EXPECT_TRUE(SetSessionCards(kSes, {{"K000", FITCardRD("K000", 1, "test", 5)}}, {"K001"}));
  EXPECT_EQ(HeaderCards(root.Own()).size(), 71u);
  TFIOut* m = nullptr;
  LFIOReg().LoadOwn(maptest::kDa, maptest::kTi, nullptr, true);
  m = LFIOReg().GetFIOutDT(maptest::kDa, maptest::kTi, "CONT");
  ASSERT_TRUE(m && m->EnsureLoaded());
  EXPECT_FLOAT_EQ(m->aData[1][2], maptest::Wave(1, 2));
}

// The area summary on a generated scan: a limb column, an umbra and a penumbra column, the rest
// quiet with W2QUV spread around 10; the shares counted by hand.
TEST(SessionConsts, AreaSummaryOfLimbUmbraPenumbra) {
  runtest::GenScan g;
  TLFITS& scan = *g.scan;
  const std::string ses = scan.ScanName;
  ASSERT_TRUE(WriteMainHeader(scan, TScanMapStats{}));
  const int nx = scan.Count(), ny = scan.ScanNY();
  std::mt19937 gen(3);
  std::normal_distribution<double> nd(10, 2);
  std::vector<float> w(static_cast<size_t>(nx) * ny);
  for (float& v : w) v = static_cast<float>(std::fabs(nd(gen)));
  auto make = [&](const std::string& Name, const std::function<float(int, int)>& F) {
    auto m = MakeMap(Name, nx, ny, F);
    m->Da = scan.ScanDa();
    m->Ti = scan.ScanTi();
    m->Owner = &scan;
    EXPECT_TRUE(m->Save()) << Name;
  };
  make("CONT", [](int x, int) { return x == 0 ? 100.0f : x == 1 ? 3000.0f : x == 2 ? 7000.0f : 10000.0f; });
  make("W2QUV195", [&](int x, int y) {
    return x == 1 ? 100.0f : x == 2 ? 45.0f : w[static_cast<size_t>(x) * ny + y];
  });
  make("W2QUV295", [](int, int) { return 0.001f; });
  for (const char* n : {"LWb1", "LWr1", "LWb2", "LWr2"}) make(n, [](int, int) { return 56.5f; });
  ASSERT_TRUE(SetSessionCards(ses, {{"CB0", FITCardRD("CB0", 1, "", 10000)},
                                    {"VW1", FITCardRD("VW1", 1, "", 0)},
                                    {"VW2", FITCardRD("VW2", 1, "", 0)}},
                              {}));
  TSummaryResult r;
  TStringList err;
  r.Error = &err;
  TJob job("summary");
  RunJob(job, [&](TJob& J) { EXPECT_TRUE(CalcSessionSummary(J, ses, scan, r)); });
  ASSERT_TRUE(r.Written) << (job.Warnings().empty() ? "" : job.Warnings()[0].Text);
  const double column = 100.0 / nx;
  EXPECT_NEAR(r.pLimb, column, 1e-9);
  EXPECT_NEAR(r.pU, column, 1e-9);
  EXPECT_NEAR(r.ppu, column, 1e-9);
  EXPECT_NEAR(r.minCB0, 0.3, 1e-6);
  EXPECT_LT(r.Lo, r.Hi);
  EXPECT_GT(r.pB077, 0);
  EXPECT_LE(r.pB077 + r.pB007, 100.0 + 1e-9);
  EXPECT_EQ(r.tDura, scan.Duration);
  TStringList h;
  for (const std::string& c : HeaderCards(g.Own())) h.Add(c);
  EXPECT_NEAR(GetFITKeyRAll("pLimb", &h), column, 0.005);
  EXPECT_FALSE(GetFITKeyAll("tDay", &h).empty());
  EXPECT_FLOAT_EQ(GetFITKeyRAll("CB0", &h), 10000);
}

// The largest fields: BIV from the line positions of I+V and I-V under CB0 0.3 .. 2, counted
// here; the four cards written with the values found.
TEST(SessionConsts, LargestFieldsCards) {
  maptest::MapRoot root;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  const int nx = 12, ny = 10;
  auto save = [&](const std::string& Name, const std::function<float(int, int)>& F) {
    EXPECT_TRUE(MakeMap(Name, nx, ny, F)->Save()) << Name;
  };
  save("CONT", [](int x, int) { return x == 0 ? 1000.0f : 10000.0f; });  // column 0 off the disc
  save("CONT2", [](int, int) { return 10000.0f; });
  save("BML1", [](int x, int y) { return 100.0f + x + y; });
  save("BML2", [](int x, int y) { return 200.0f + x * y; });
  auto d1 = [](int x, int y) { return x == 0 ? 9.0f : 0.01f * (x - 5) * (y + 1); };
  auto d2 = [](int x, int y) { return x == 0 ? -9.0f : 0.02f * (y - 4); };
  save("LIVp195", [&](int x, int y) { return 56.0f + d1(x, y); });
  save("LIVm195", [](int, int) { return 56.0f; });
  save("LIVp295", [&](int x, int y) { return 50.0f + d2(x, y); });
  save("LIVm295", [](int, int) { return 50.0f; });
  ASSERT_TRUE(SetSessionCards(kSes, {{"CB0", FITCardRD("CB0", 1, "", 10000)}}, {}));
  double hi = -1e30, lo = 1e30;
  for (int x = 1; x < nx; ++x)
    for (int y = 0; y < ny; ++y) {
      const float p1 = 56.0f + d1(x, y), p2 = 50.0f + d2(x, y);
      const double b = ((p1 - 56.0f) * 348.23 + (p2 - 50.0f) * 233.6195) / 2;
      hi = std::max(hi, b);
      lo = std::min(lo, b);
    }
  TBMLResult r;
  TJob job("bml");
  RunJob(job, [&](TJob& J) { EXPECT_TRUE(CalcBMLSummary(J, kSes, r)); });
  ASSERT_TRUE(r.Written) << (job.Warnings().empty() ? "" : job.Warnings()[0].Text);
  EXPECT_NEAR(r.maBIV, hi, 0.05);
  EXPECT_NEAR(r.miBIV, lo, 0.05);
  TStringList h;
  for (const std::string& c : HeaderCards(root.Own())) h.Add(c);
  for (const auto& [k, v] : std::vector<std::pair<std::string, double>>{
           {"maBML1", r.maBML1}, {"maBML2", r.maBML2}, {"maBIV", r.maBIV}, {"miBIV", r.miBIV}})
    EXPECT_NEAR(GetFITKeyRAll(k, &h), v, 0.05) << k;
  EXPECT_GT(r.maBML1, 100);
}

TEST(DiscGeometry, LimbOutsideAndAspect) {
  struct TCase {
    double x, y, kxy, rR, cosT;
  };
  const double R = 960;
  for (const TCase& c : std::vector<TCase>{{0, 0, 1, 0, 1},
                                           {960, 0, 1, 1, 0},
                                           {0, -960, 1, 1, 0},
                                           {480, 0, 1, 0.5, std::sqrt(0.75)},
                                           {1200, 0, 1, 1.25, -std::sqrt(1.25 * 1.25 - 1)},
                                           {480, 0, 4, 1, 0},      // x stretched by 2
                                           {0, 1920, 4, 1, 0}}) {  // y shrunk by 2
    double rR = 0, ct = 0;
    DiscGeometry(c.x, c.y, 0, 0, R, c.kxy, rR, ct);
    EXPECT_NEAR(rR, c.rR, 1e-12) << c.x << "," << c.y;
    EXPECT_NEAR(ct, c.cosT, 1e-12) << c.x << "," << c.y;
  }
}

TEST(DiscGeometry, MapsFromCoordinatesAndSolarRadius) {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  TLFIOut& reg = LFIOReg();
  // the limb fit found no radius and no aspect: the observation's radius holds
  reg.HcvSL = std::make_unique<TStringList>();
  for (const std::string& c :
       {FITCardRD("SOLRA_LM", 1, "", 0), FITCardRD("SOLXC_LM", 1, "", 100),
        FITCardRD("SOLYC_LM", 1, "", 0), FITCardRD("SOLkXY", 1, "", 0),
        FITCardRD("SOLAR_RA", 1, "", 960), FITEndCard()})
    reg.HcvSL->Add(c);
  auto x = MakeMap("X_Coordinate", 3, 2, [](int x, int) { return 100.0f + 480.0f * x; });
  auto y = MakeMap("Y_Coordinate", 3, 2, [](int, int y) { return 10.0f * y; });
  x->kSoft = y->kSoft = 2;
  reg.Add(std::move(x));
  reg.Add(std::move(y));
  std::vector<std::string> names;
  TJob job("d2Circ");
  RunJob(job, [&](TJob& J) { EXPECT_TRUE(CalcD2Circ(J, kSes, &names)); });
  ASSERT_EQ(names, (std::vector<std::string>{"rR_LM", "cosTet"}));
  TFIOut* rr = reg.GetFIOutDT(maptest::kDa, maptest::kTi, "rR_LM");
  TFIOut* ct = reg.GetFIOutDT(maptest::kDa, maptest::kTi, "cosTet");
  ASSERT_TRUE(rr && ct);
  EXPECT_EQ(rr->kSoft, 1);  // written only into the own output file
  EXPECT_EQ(ct->kSoft, 1);
  EXPECT_FLOAT_EQ(rr->aData[0][0], 0);
  EXPECT_FLOAT_EQ(ct->aData[0][0], 1);
  EXPECT_FLOAT_EQ(rr->aData[2][0], 1);  // x = 1060: on the limb
  EXPECT_NEAR(ct->aData[2][0], 0, 1e-6);
  EXPECT_LT(ct->aData[2][1], 0);  // just outside
  // no radius at all
  reg.HcvSL->Clear();
  for (const std::string& c : {FITCardRD("SOLXC_LM", 1, "", 100), FITEndCard()}) reg.HcvSL->Add(c);
  TJob job2("d2Circ");
  RunJob(job2, [&](TJob& J) { EXPECT_FALSE(CalcD2Circ(J, kSes)); });
  EXPECT_TRUE(JobSaid(job2, "не задан радиус Солнца, $SOLRA_LM и $SOLAR_RA = 0!"_cp));
}

}  // namespace
