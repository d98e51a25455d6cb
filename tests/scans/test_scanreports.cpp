// The scan reports and the scan summary: the header comparison on the demo scan against the
// test's own parse of its headers, the comparison's edge cases, the per-file and per-pixel
// reports, the standard filter statistics on crafted maps counted by hand, and the summary's
// controls and velocity-compensation cards in the own output file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFitsCard.h"
#include "scans/cvScanInfo.h"
#include "scans/cvScanReports.h"
#include "scans/support/MapRuns.h"
#include "support/TestSupport.h"

namespace {

using runtest::GenScan;
namespace fs = std::filesystem;

std::vector<std::string> Words(const std::string& S) {
  std::istringstream in(S);
  std::vector<std::string> w;
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

// The header cards of a FITS file up to END, read here as 80-byte records.
std::vector<std::string> OwnCards(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  std::vector<std::string> c;
  char rec[80];
  while (f.read(rec, 80)) {
    c.emplace_back(rec, 80);
    if (c.back().substr(0, 8) == "END     ") break;
  }
  return c;
}

std::string Trim(const std::string& S) {
  const size_t a = S.find_first_not_of(' '), b = S.find_last_not_of(' ');
  return a == std::string::npos ? "" : S.substr(a, b - a + 1);
}

// The demo scan copied into a data root of the test.
struct TDemo {
  testsupport::TempDir dir;
  std::unique_ptr<TLFITS> scan;
  std::string folder;
  TDemo() {
    ResetScanServices();
    const std::string r = dir.str() + "/";
    fs::copy(testsupport::SourceRoot() + "/data/FITS/2019_06", r + "2019_06",
             fs::copy_options::recursive);
    Scans().DataRoot.Install([r] { return r; });
    folder = r + "2019_06/20190622_164505";
    scan = std::make_unique<TLFITS>();
    scan->Link(folder);
    scan->SetOptions(350, 350, 1.05, 20);
    TJob j("headers");
    RunJob(j, [&](TJob& J) { scan->LoadHeaders(J); });
  }
  ~TDemo() {
    scan.reset();
    ResetScanServices();
  }
};

TEST(ScanReports, DemoDifferenceReportNamesTheKeysThatChange) {
  TDemo d;
  ASSERT_GT(d.scan->Count(), 1);
  // the test's own parse: keys whose value and comment text differ from the first file's
  std::vector<std::vector<std::string>> files;
  for (const auto& e : fs::directory_iterator(d.folder))
    if (e.path().extension() == ".fits") files.push_back(OwnCards(e.path().string()));
  std::set<std::string> changing;
  const std::set<std::string> excluded = {"DATE_RF0", "TIME-OBS", "CTIME", "DATE_END", "CROTA2"};
  for (size_t i = 0; i < files[0].size(); ++i)
    for (const auto& f : files) {
      ASSERT_EQ(f.size(), files[0].size());
      const std::string key = Trim(files[0][i].substr(0, 8));
      if (f[i].substr(10) != files[0][i].substr(10) && !excluded.count(key)) changing.insert(key);
    }
  ASSERT_FALSE(changing.empty());
  const auto L = HeaderDiffReport(*d.scan);
  ASSERT_TRUE(L);
  ASSERT_EQ(L->Count(), 3 + d.scan->Count());
  EXPECT_EQ((*L)[0], "Различающиеся поля Header-а для набора FITS-ев\r\n"_cp +
                         std::string(46, '-'));
  EXPECT_EQ((*L)[1], std::string(46, '-'));
  const std::vector<std::string> keys = Words((*L)[2]);
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), changing);
  EXPECT_EQ(keys.size(), changing.size());
  // one value per key on each file's line
  for (int i = 3; i < L->Count(); ++i) EXPECT_EQ(Words((*L)[i]).size(), keys.size()) << i;
  const auto S = HeaderSameReport(*d.scan);
  ASSERT_TRUE(S);
  EXPECT_EQ((*S)[0], "Повторяющиеся поля Header-а для набора FITS-ев"_cp);
  const auto M = HeaderMainReport(*d.scan);
  ASSERT_TRUE(M);
  ASSERT_EQ(M->Count(), 3 + d.scan->Count());
  EXPECT_EQ(Words((*M)[2]).size(), 19u);
  EXPECT_EQ(Words((*M)[3]).size(), 19u);
  EXPECT_EQ(Words((*M)[3])[0], d.scan->Files[0]->DATE_OBS);
}

// Cards changed in memory stand for files whose headers differ.
void SetCard(TFITS& F, const std::string& Key, const std::string& Card) {
  for (int i = 0; i < F.nCards; ++i)
    if (CardLookupKey((*F.HSL)[i]) == Key) return F.HSL->Put(i, Card);
  F.HSL->Insert(F.nCards - 1, Card);  // before END
  ++F.nCards;
}

TEST(ScanReports, ComparisonEdgeCases) {
  GenScan g(3, 4);
  TLFITS& s = *g.scan;
  for (int i = 0; i < 3; ++i) {
    TFITS& f = *s.Files[static_cast<size_t>(i)];
    SetCard(f, "OBJECT", FITCardQ("OBJECT", "quiet sun", ""));
    SetCard(f, "EMPTY", FITCardQ("EMPTY", "", ""));
    SetCard(f, "TIME-OBS", FITCardQ("TIME-OBS", "16:45:0" + std::to_string(i), ""));
    SetCard(f, "CTIME", FITCardI("CTIME", 100 + i, ""));
  }
  const auto D = HeaderDiffReport(s);
  ASSERT_TRUE(D);
  const std::vector<std::string> keys = Words((*D)[2]);
  EXPECT_NE(std::find(keys.begin(), keys.end(), "DATE_OBS"), keys.end());
  for (const char* k : {"TIME-OBS", "CTIME", "OBJECT"})
    EXPECT_EQ(std::find(keys.begin(), keys.end(), k), keys.end()) << k;
  const auto S = HeaderSameReport(s);
  ASSERT_TRUE(S);
  const std::string all = S->Text();
  EXPECT_NE(all.find("quiet_sun"), std::string::npos);
  EXPECT_NE(all.find("<>"), std::string::npos);
  // a card more in one file, then two cards in another order
  TFITS& f2 = *s.Files[2];
  SetCard(f2, "EXTRA", FITCardI("EXTRA", 1, ""));
  {
    TJob j("r");
    TJobScope sc(j);
    EXPECT_FALSE(HeaderDiffReport(s));
    EXPECT_FALSE(HeaderSameReport(s));
    ASSERT_GE(j.Warnings().size(), 1u);
    EXPECT_EQ(j.Warnings()[0].Text, "Число полей в Хидере изменилось!!!"_cp);
  }
  f2.HSL->Delete(f2.nCards - 2);
  --f2.nCards;
  const std::string c4 = (*f2.HSL)[4], c5 = (*f2.HSL)[5];
  f2.HSL->Put(4, c5);
  f2.HSL->Put(5, c4);
  {
    TJob j("r");
    TJobScope sc(j);
    EXPECT_FALSE(HeaderDiffReport(s));
    ASSERT_GE(j.Warnings().size(), 1u);
    EXPECT_EQ(j.Warnings()[0].Text, "Порядок полей в Хидере изменился!\r\nстрока N=5 OldKey=<"_cp +
                                         CardLookupKey(c4) + "> NewKey=<" + CardLookupKey(c5) +
                                         ">");
  }
}

TEST(ScanReports, OneFileScan) {
  GenScan g(1, 4);
  TLFITS& s = *g.scan;
  const auto D = HeaderDiffReport(s);
  ASSERT_TRUE(D);
  ASSERT_EQ(D->Count(), 4);
  EXPECT_TRUE(Words((*D)[2]).empty());
  EXPECT_TRUE(Words((*D)[3]).empty());
  const auto S = HeaderSameReport(s);
  ASSERT_TRUE(S);
  // every key but END, ten to a group of a key line, a value line and an empty line
  const TFITS& f = *s.Files[0];
  std::vector<std::string> listed;
  for (int i = 2; i + 2 < S->Count() + 1; i += 3) {
    const auto k = Words((*S)[i]);
    listed.insert(listed.end(), k.begin(), k.end());
    EXPECT_EQ(Words((*S)[i + 1]).size(), k.size());
    EXPECT_EQ((*S)[i + 2], "");
  }
  EXPECT_EQ(static_cast<int>(listed.size()), f.nCards - 1);
  EXPECT_EQ(listed.front(), "SIMPLE");
  EXPECT_EQ(Words((*S)[3])[0], "T");
  // no files: no report
  TLFITS none;
  EXPECT_FALSE(HeaderSameReport(none));
  EXPECT_FALSE(HeaderMainReport(none));
}

TEST(ScanReports, PixelReportBeforeAndAfterTheMeasurements) {
  GenScan g(3, 5);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.LoadData(J); }));
  {
    TJob j("r");
    TJobScope sc(j);
    EXPECT_EQ(ReportIY(*s.Files[0], 0), "");
    std::vector<std::string> w;
    for (const auto& x : j.Warnings()) w.push_back(x.Text);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0], "TFITS.GetIYData(0) Call BigCalc for LFITS first!!!");
    EXPECT_EQ(w[1], "TFITS.ReportIY(0) GetIYData Failed!!!");
  }
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcIntegrVal(J); }));
  const auto T = SlitTableSL(s);
  ASSERT_TRUE(T);
  ASSERT_EQ(T->Count(), 1 + 3 * 5);
  const auto head = Words((*T)[0]);
  ASSERT_EQ(head.size(), 15u);
  EXPECT_EQ(head[12], "|V|/W");
  // a line pixel: its row, its file, its slit index and pixel, |V|/W 0 (nothing measures it)
  const auto row = Words((*T)[1 + 2 * 5 + 4]);
  ASSERT_EQ(row.size(), 15u);
  EXPECT_EQ(row[0], "15");
  EXPECT_EQ(row[1], "2");
  EXPECT_EQ(row[3], "4");
  EXPECT_EQ(row[12], "0.0000");
  TIYData d;
  ASSERT_TRUE(GetIYData(*s.Files[2], 4, d));
  EXPECT_GT(d.W1, 0);
  EXPECT_EQ(row[8], FDecSt(2, d.W1));
  // the line-of-sight velocity against the scan's mean line position in pixels
  const TFITS& f = *s.Files[2];
  EXPECT_NEAR(d.Vlos1, (f.AGRC1[5] - s.rLC1) * f.CDELT1 / f.CRVAL1 * 299792.4562, 1e-9);
  // the scan statistics keep the mean position as a wavelength (its pixel beside it): the
  // velocity stays the one against the pixel
  const double v1 = d.Vlos1;
  s.LC1Pix = s.rLC1;
  s.rLC1 = s.Pix2Lam(s.LC1Pix);
  ASSERT_TRUE(GetIYData(*s.Files[2], 4, d));
  EXPECT_DOUBLE_EQ(d.Vlos1, v1);
}

// ---------------------------------------------------------------- threshold statistics

TEST(ScanReports, StandardFiltersOnCraftedMapsCountedByHand) {
  GenScan g(4, 5);
  TLFITS& s = *g.scan;
  // 20 pixels: CB0 by x*5 + y through a table, W2QUV likewise
  const float cb0[20] = {0.01f, 0.02f, 0.2f, 0.3f, 0.45f,  0.6f, 0.7f, 0.8f, 0.9f, 1.0f,
                         1.2f,  1.5f,  0.05f, 0.6f, 0.95f, 0.9f, 0.9f, 0.7f, 0.2f, 2.5f};
  const float w2[20] = {10, 60, 70, 20, 55, 45, 30, 100, 200, 5,
                        16, 35, 18, 41, 300, 25, 60, 39, 51, 70};
  g.Fixture(s.OuWork[1], "CB0", 1, "", [&](int x, int y) { return cb0[x * 5 + y]; });
  g.Fixture(s.OuWork[2], "W2QUV", 1, "", [&](int x, int y) { return w2[x * 5 + y]; });
  TStdFilters r;
  ASSERT_TRUE(MakeStdFilters(s.ScanName, 20, 100, r));
  // A: CB0 in [0, 0.03]: pixels 0, 1 -> 2 of 20
  EXPECT_DOUBLE_EQ(r.A, 10);
  // B: CB0 [0.1, 0.5] and W2QUV [50, 500]: pixels 2 (0.2, 70), 4 (0.45, 55), 18 (0.2, 51) -> 3
  EXPECT_DOUBLE_EQ(r.B, 15);
  // C: CB0 [0.5, 0.85] and W2QUV [40, 500]: 5 (0.6, 45), 7 (0.8, 100), 13 (0.6, 41) -> 3
  EXPECT_DOUBLE_EQ(r.C, 15);
  // D: the smallest CB0 >= 0.03 and < 2 among W2QUV [15, 500]: pixel 12 (0.05, 18)
  EXPECT_FLOAT_EQ(r.D, 0.05f);
  // base: CB0 [0.85, 2]: 8, 9, 10, 11, 14, 15, 16 -> 7
  // E: W2QUV [20, 100] and CB0 [0.5, 2]: 5, 6, 7, 11, 13, 15, 16, 17 -> 8 of 7
  EXPECT_DOUBLE_EQ(r.E, 100.0 * 8 / 7);
  // F: W2QUV [0, 20] and CB0 [0.5, 2]: 9 (5), 10 (16) -> 2 of 7
  EXPECT_DOUBLE_EQ(r.F, 100.0 * 2 / 7);
}

TEST(ScanReports, StandardFiltersWithoutLowCB0AndWithoutCB0) {
  GenScan g(2, 3);
  TLFITS& s = *g.scan;
  {
    TJob j("r");
    TJobScope sc(j);
    TStdFilters r;
    EXPECT_FALSE(MakeStdFilters(s.ScanName, 20, 100, r));
    ASSERT_EQ(j.Warnings().size(), 1u);
    EXPECT_EQ(j.Warnings()[0].Text, "В сеансе "_cp + s.ScanName + " не рассчитана карта CB0"_cp);
    double a = 1, b = 1, c = 1, d = 1;
    EXPECT_FALSE(CalcBMLFilt(s.ScanName, a, b, c, d));
    EXPECT_EQ(a + b + c + d, 0);
  }
  const float hi[6] = {2.5f, 3, 2.1f, 4, 2.2f, 2.0f};
  TMapSlot& cb = s.OuWork[1];
  g.Fixture(cb, "CB0", 1, "", [&](int x, int y) { return hi[x * 3 + y]; });
  TStdFilters r;
  ASSERT_TRUE(MakeStdFilters(s.ScanName, 20, 100, r));
  EXPECT_EQ(r.A, 0);
  EXPECT_EQ(r.D, 2.0);  // none below 2.0
}

TEST(ScanReports, BMLStatisticsUnderTheCB0Mask) {
  GenScan g(4, 3);
  TLFITS& s = *g.scan;
  g.Fixture(s.OuWork[1], "CB0", 1, "", [](int x, int) { return x == 3 ? 0.1f : 1.0f; });
  g.Fixture(s.OuWork[2], "BIV", 1, "", [](int x, int y) { return float(10 * x + y); });
  {
    TJob j("r");
    TJobScope sc(j);
    double a = 0, b = 0, c = 0, d = 0;
    EXPECT_FALSE(CalcBMLFilt(s.ScanName, a, b, c, d));
    EXPECT_EQ(j.Warnings()[0].Text, "LFITS.CalcBML-ERR: Карта <BML1> не загружена в LFIO!"_cp);
    EXPECT_EQ(c, 0);
  }
  g.Fixture(s.OuWork[3], "BML1", 1, "", [](int x, int y) { return float(x + y); });
  g.Fixture(s.OuWork[4], "BML2", 1, "", [](int x, int y) { return float(2 * x + y); });
  double b1 = 0, b2 = 0, mx = 0, mn = 0;
  ASSERT_TRUE(CalcBMLFilt(s.ScanName, b1, b2, mx, mn));
  // the mask leaves out column 3: BIV over columns 0..2
  EXPECT_EQ(mx, 22);
  EXPECT_EQ(mn, 0);
  EXPECT_GT(b1, 0);
  EXPECT_GT(b2, 0);
}

// ---------------------------------------------------------------- the summary

TEST(ScanInfo, NoScanAndTheDemoScansControls) {
  const TScanInfoView none = ShowScanInfo(nullptr);
  EXPECT_EQ(none.Label("gbLFITS"), "LFITS NONE");
  EXPECT_EQ(none.Label("lb_rdLam"), "1.0");
  EXPECT_EQ(none.Label("lb_rLam0"), "6302");
  EXPECT_EQ(none.Label("lb_CLam0"), "56.5");
  EXPECT_EQ(none.Label("lbFITS1n"), "000");
  EXPECT_EQ(none.Label("lbLFITS_kStep"), "0");
  EXPECT_EQ(none.MaxIX, 1);
  EXPECT_TRUE(none.Rows.empty());
  TDemo d;
  const TLFITS& s = *d.scan;
  const TScanInfoView v = ShowScanInfo(&s);
  const int n = s.Count();
  EXPECT_EQ(v.Label("gbLFITS"), "LFITS  20190622_1645 n=" + std::to_string(n) + " ");
  EXPECT_EQ(v.Label("lbLFITS_kStep"), std::to_string(s.kStep));
  EXPECT_EQ(v.Label("lbLFITS_nX"), std::to_string(n));
  EXPECT_EQ(v.Label("lbLFITS_nY"), std::to_string(s.Files[0]->nY));
  EXPECT_EQ(v.Label("lbFITS1n"), std::to_string(n));
  EXPECT_EQ(v.Label("lb_rdLam"), FSt(7, 3, s.RefCDELT1 * 1000));
  EXPECT_EQ(v.Label("lb_rLam0"), FSt(8, 3, s.RefCRVAL1));
  EXPECT_EQ(v.Label("lbtDura"), FDecSt(2, s.Duration));
  EXPECT_EQ(v.MaxIX, n - 1);
  EXPECT_EQ(v.MaxIY, s.Files[0]->nY - 1);
  ASSERT_EQ(static_cast<int>(v.Rows.size()), n);
  EXPECT_EQ(v.Rows[1].first, 1);
  EXPECT_EQ(v.Rows[1].second, s.Files[1]->IXP);
  // the extremes: in brackets at the scan's start or end
  auto expected = [&](double V, double T) {
    const std::string t = std::to_string(static_cast<int>(std::nearbyint(V)));
    return T == 0 || T == s.Duration ? "[" + t + "]" : t;
  };
  EXPECT_EQ(v.Label("lbdVlosMi"), expected(s.DopMin, s.TDopMin));
  EXPECT_EQ(v.Label("lbdVlosMa"), expected(s.DopMax, s.TDopMax));
  EXPECT_EQ(v.Label("lbtdVmi"), FDecSt(1, s.TDopMin));
  EXPECT_FALSE(v.CardsWritten);  // no own output file yet
  EXPECT_GT(std::stoll(v.Label("lb_GrossDif")), 0);
}

// The own output file of a generated scan (its first file holds the smallest DOP_RCV).
struct TOwn {
  GenScan g{6, 4};
  TLFITS& s = *g.scan;
  std::string path;
  TOwn() {
    EXPECT_TRUE(WriteMainHeader(s, TScanMapStats{}));
    path = g.Own();
    s.ReadOwnMainHeader();
  }
  std::string Bytes() const {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
};

TEST(ScanInfo, CardsGoInOnceBeforeEnd) {
  TOwn o;
  ASSERT_NE(o.s.DopMin, o.s.DopMax);
  const std::string before = o.Bytes();
  const TScanInfoView v = ShowScanInfo(&o.s);
  EXPECT_TRUE(v.CardsWritten);
  EXPECT_EQ(v.Label("lbdVlosMi").front(), '[');  // the smallest value is in the first file
  const std::string after = o.Bytes();
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(5760), before.substr(5760));  // the maps' part stays
  const auto cards = OwnCards(o.path);
  const size_t n = cards.size();
  ASSERT_GE(n, 5u);
  EXPECT_EQ(cards[n - 5], FITCardStr("dVCmi", v.Label("lbdVlosMi"),
                                     "Delta Velocity Compensation min value"));
  EXPECT_EQ(Trim(cards[n - 4].substr(0, 8)), "dVCma");
  EXPECT_EQ(Trim(cards[n - 3].substr(0, 8)), "tVCmi");
  EXPECT_EQ(cards[n - 2], FITCardStr("tVCma", v.Label("lbtdVma"),
                                     "Time for Velocity Compensation max value"));
  for (const char* k : {"CNT_H0", "HL_S_MA", "VL_R_MA", "VL_B_MA"}) {
    bool found = false;
    for (const auto& c : cards) found = found || Trim(c.substr(0, 8)) == k;
    EXPECT_TRUE(found) << k;
  }
  // a second call: bytes and time unchanged
  const auto t = fs::last_write_time(o.path);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ShowScanInfo(&o.s).CardsWritten);
  EXPECT_EQ(o.Bytes(), after);
  EXPECT_EQ(fs::last_write_time(o.path), t);
}

TEST(ScanInfo, EqualExtremesWriteNoCards) {
  TOwn o;
  o.s.DopMax = o.s.DopMin;
  const std::string before = o.Bytes();
  EXPECT_FALSE(ShowScanInfo(&o.s).CardsWritten);
  EXPECT_EQ(o.Bytes(), before);
}

// Cards that need another 2880-byte block would overwrite the first map: refused, file kept.
TEST(ScanInfo, CardsBeyondTheHeadersBlocksAreRefused) {
  TOwn o;
  // fill the read-back header up to its 72 cards
  TStringList& h = *o.s.HOwnRead;
  int end = 0;
  while (CardLookupKey(h[end]) != "END") ++end;
  TStringList full;
  for (int i = 0; i < end; ++i) full.Add(h[i]);
  for (int i = 0; full.Count() < 71; ++i) full.Add(FITCardI("PAD" + std::to_string(i), i, ""));
  full.Add(FITEndCard());
  TStringList w = full;
  WriteHeader(o.path, 0, w);
  h.Clear();
  for (int i = 0; i < full.Count(); ++i) h.Add(full[i]);
  const std::string before = o.Bytes();
  TJob j("r");
  TJobScope sc(j);
  EXPECT_FALSE(ShowScanInfo(&o.s).CardsWritten);
  EXPECT_EQ(o.Bytes(), before);
  EXPECT_FALSE(fs::exists(o.path + ".tmp"));
  ASSERT_EQ(j.Warnings().size(), 1u);
  EXPECT_NE(j.Warnings()[0].Text.find("76 > 72"), std::string::npos);
}

}  // namespace
