// A scan: linking and its names, the header and data jobs (progress, cancel, batched warnings,
// failed files), the wavelength scale of a reversed axis, the continuum smoothing cache, and the
// generator's repeatability.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/cvArr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& P) {
  std::ifstream f(P, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::vector<fs::path> FitsFiles(const std::string& Folder) {
  std::vector<fs::path> r;
  for (const auto& e : fs::directory_iterator(Folder))
    if (e.path().extension() == ".fits") r.push_back(e.path());
  std::sort(r.begin(), r.end());
  return r;
}

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetScanServices(); }
  testsupport::TempDir root;
  testsupport::SinkRecorder rec;

  std::string Gen(TScanGenOptions O) { return GenerateScan(root.str(), O); }
  static TScanGenOptions Small(int Files = 4, int NY = 8) {
    TScanGenOptions o;
    o.Files = Files;
    o.NY = NY;
    return o;
  }
  bool Headers(TLFITS& S, TJob& J) {
    return RunJob(J, [&](TJob& j) { S.LoadHeaders(j); }) && S.Bit(1);
  }
};

TEST_F(ScanTest, LinkNamesTheOutputFolderAndFiles) {
  const std::string folder = Gen(Small());
  TLFITS s;
  s.Link(folder);
  EXPECT_TRUE(s.Bit(0));
  EXPECT_EQ(s.OutFolder, root.str() + "/2019_06/20190622_1645");
  EXPECT_EQ(s.sFN, "20190622_1645.fits");
  EXPECT_EQ(s.sFNME, "20190622_164505.fits");
  EXPECT_EQ(s.sFNL21, "20190622_164505_L2.1.fits");
  EXPECT_EQ(s.nX, 4);
  EXPECT_EQ(s.RefnY, 8);
  EXPECT_EQ(s.fNam(4), "");
  EXPECT_TRUE(rec.Has("TLFITS.LoadHeaders ERR Not Found File N\"4"));

  const std::string odd = root.str() + "/scan_12345";
  fs::create_directories(odd);
  for (const auto& f : FitsFiles(folder)) fs::copy(f, odd + "/" + f.filename().string());
  TLFITS b;
  b.Link(odd);
  EXPECT_EQ(b.OutFolder, "###");
  EXPECT_TRUE(b.sFN.empty());
  EXPECT_TRUE(rec.Has("Path должен оканчиваться"_cp));
  TJob j;
  EXPECT_TRUE(Headers(b, j));  // a badly named scan still reads its headers
}

TEST_F(ScanTest, HeadersJobGivesTimesAcrossMidnightAndDopplerExtremes) {
  TScanGenOptions o = Small(10, 6);
  o.Midnight = true;
  TLFITS s;
  s.Link(Gen(o));
  TJob j;
  std::vector<int64_t> steps;
  j.OnProgress = [&](const TJobProgress& p) { steps.push_back(p.Done); };
  ASSERT_TRUE(Headers(s, j));
  EXPECT_EQ(steps.size(), 11u);
  ASSERT_EQ(s.Count(), 10);
  EXPECT_DOUBLE_EQ(s.T0, 23 * 60 + 59.5);
  EXPECT_NEAR(s.Duration, 45.0 / 60, 1e-9);
  EXPECT_LT(s.AXT[10], 0);  // per-file times are not wrapped
  double mn = 1e9, mx = -1e9;
  for (const auto& f : s.Files) {
    mn = std::min(mn, f->DOP_RCV);
    mx = std::max(mx, f->DOP_RCV);
  }
  EXPECT_EQ(s.DopMin, mn);
  EXPECT_EQ(s.DopMax, mx);
  EXPECT_EQ(s.BytesCards, 80LL * s.Files[0]->nCards * 10);
  EXPECT_EQ(j.WarningCount(), 0);
}

TEST_F(ScanTest, CancelBetweenFilesLeavesTheScanLinked) {
  TLFITS s;
  s.Link(Gen(Small(6, 4)));
  TJob j;
  j.OnProgress = [&](const TJobProgress& p) {
    if (p.Done == 3) j.Cancel();
  };
  RunJob(j, [&](TJob& job) { s.LoadHeaders(job); });
  EXPECT_EQ(j.State(), TJobState::Cancelled);
  EXPECT_EQ(s.kStep, 1);
  EXPECT_EQ(s.Count(), 0);
  TJob again;
  ASSERT_TRUE(Headers(s, again));
  EXPECT_EQ(s.Count(), 6);

  TJob load;
  load.OnProgress = [&](const TJobProgress& p) {
    if (p.Done == 2) load.Cancel();
  };
  RunJob(load, [&](TJob& job) { s.LoadData(job); });
  EXPECT_FALSE(s.Bit(2));
  for (const auto& f : s.Files) EXPECT_FALSE(f->Bit(2));
  EXPECT_EQ(s.BytesCubes, 0);
}

// A key missing in every file is one entry of the job's report, not one per file.
TEST_F(ScanTest, WarningsOfManyFilesAreOneEntry) {
  const std::string folder = Gen(Small(12, 4));
  for (const auto& f : FitsFiles(folder)) {
    std::string b = Slurp(f);
    b.replace(b.find("EXPTIME "), 8, "EXPTIMX ");
    testsupport::WriteFile(f.string(), b);
  }
  TLFITS s;
  s.Link(folder);
  TJob j;
  ASSERT_TRUE(Headers(s, j));
  int entries = 0;
  for (const auto& w : j.Warnings())
    if (w.Text.find("Key <EXPTIME> Not Found!") != std::string::npos) {
      ++entries;
      EXPECT_NE(w.Text.find("(файлов: 12)"_cp), std::string::npos) << w.Text;
    }
  EXPECT_EQ(entries, 1);
}

TEST_F(ScanTest, FailedCubesAreReportedOnceAndOthersLoad) {
  const std::string folder = Gen(Small(5, 4));
  const auto files = FitsFiles(folder);
  for (int k : {1, 3}) fs::resize_file(files[static_cast<size_t>(k)], 2880 + 500);
  TLFITS s;
  s.Link(folder);
  TJob h;
  ASSERT_TRUE(Headers(s, h));
  TJob j;
  ASSERT_TRUE(RunJob(j, [&](TJob& job) { s.LoadData(job); }));
  EXPECT_TRUE(s.Bit(2));
  int reports = 0;
  for (const auto& w : j.Warnings())
    if (w.Text.find("данные не загружены для 2 из 5"_cp) != std::string::npos) ++reports;
  EXPECT_EQ(reports, 1);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(s.Files[static_cast<size_t>(k)]->Bit(2), k != 1 && k != 3);
  EXPECT_EQ(s.BytesCubes, 3LL * 2 * 112 * 4 * 4);
}

// A file refused by its name (not "SP3D...") is named in the list of failed files, as a file
// whose cube could not be read is.
TEST_F(ScanTest, FileRefusedByNameIsNamedInTheFailedList) {
  const std::string folder = Gen(Small(3, 4));
  const auto files = FitsFiles(folder);
  fs::resize_file(files[1], 2880 + 500);
  std::string renamed = files[2].filename().string();
  renamed.replace(0, 4, "XP3D");
  fs::rename(files[2], fs::path(folder) / renamed);
  TLFITS s;
  s.Link(folder);
  TJob h;
  ASSERT_TRUE(Headers(s, h));
  TJob j;
  ASSERT_TRUE(RunJob(j, [&](TJob& job) { s.LoadData(job); }));
  std::string report;
  for (const auto& w : j.Warnings())
    if (w.Text.find("данные не загружены для 2 из 3"_cp) != std::string::npos) report = w.Text;
  ASSERT_FALSE(report.empty());
  EXPECT_NE(report.find("\r\n" + files[1].filename().string()), std::string::npos) << report;
  EXPECT_NE(report.find("\r\n" + renamed), std::string::npos) << report;
  EXPECT_EQ(report.find("\r\n\r\n"), std::string::npos) << report;
  EXPECT_NE(report.back(), '\n') << report;
}

TEST_F(ScanTest, ReversedAxisWithNormalDataIsFlippedInEveryFile) {
  TScanGenOptions o = Small(5, 12);
  o.NegCdelt = true;
  o.Noise = 15;
  TLFITS s;
  s.Link(Gen(o));
  EXPECT_EQ(s.Refs.LamFlag, 1);
  TJob j;
  ASSERT_TRUE(Headers(s, j));
  EXPECT_EQ(s.Refs.LamFlag, 1);
  for (const auto& f : s.Files) {
    EXPECT_GT(f->CDELT1, 0);
    EXPECT_EQ(f->CRVAL1, 6302.08);
    TARe lam;
    f->GetALam(lam);
    EXPECT_NEAR(lam[1], 6300.8840305, 1e-9);
    EXPECT_NEAR(lam[112], 6303.2759695, 1e-9);
  }
  EXPECT_EQ(j.WarningCount(), 0);
}

TEST_F(ScanTest, ContinuumSmoothingCacheIsBitIdentical) {
  TScanGenOptions o = Small(2, 16);
  o.Noise = 30;
  TLFITS s;
  s.Link(Gen(o));
  TJob j;
  ASSERT_TRUE(Headers(s, j));
  s.SetOptions(350, 350, 1.05, 60);
  TFITS& f = *s.Files[1];
  ASSERT_TRUE(f.LoadData());
  f.GetContAll();
  const TARe cached = f.ACnt;
  f.FreeCalc();
  f.LiteralSmoothing = true;
  f.GetContAll();
  EXPECT_EQ(cached, f.ACnt);
  EXPECT_TRUE(rec.texts.empty());

  // no smoothing width: one warning for the slit, the unsmoothed maximum
  s.SetOptions(350, 350, 1.05, 0);
  f.FreeCalc();
  f.GetContAll();
  for (int y = 1; y <= 16; ++y) {
    TAIn I;
    ASSERT_TRUE(f.GetCol3(y, 1, I));
    EXPECT_EQ(f.ACnt[static_cast<size_t>(y)], *std::max_element(I.begin() + 1, I.end()) * 1.05);
  }
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("lsmooth=0"), std::string::npos);
}

TEST(ScanGen, SameSeedSameBytes) {
  testsupport::TempDir a, b;
  TScanGenOptions o;
  o.Files = 3;
  o.NY = 5;
  o.Noise = 10;
  o.Seed = 42;
  o.Spbshft = 2;
  const std::string fa = GenerateScan(a.str(), o), fb = GenerateScan(b.str(), o);
  const auto la = FitsFiles(fa), lb = FitsFiles(fb);
  ASSERT_EQ(la.size(), 3u);
  for (size_t i = 0; i < la.size(); ++i) EXPECT_EQ(Slurp(la[i]), Slurp(lb[i]));
  EXPECT_EQ(Slurp(fs::path(fa) / "truth.txt"), Slurp(fs::path(fb) / "truth.txt"));
  o.Seed = 43;
  testsupport::TempDir c;
  EXPECT_NE(Slurp(FitsFiles(GenerateScan(c.str(), o))[0]), Slurp(la[0]));
}

}  // namespace

namespace {

// The default data root is the user's folder; it gets a copy of the bundled scans once and the
// bundled folder is never written.
TEST(ScanRoot, UserFolderGetsTheBundledScansOnFirstUse) {
  testsupport::TempDir home, bundled;
  fs::create_directories(bundled.path() / "2019_06" / "s");
  testsupport::WriteFile((bundled.path() / "2019_06" / "s" / "a.fits").string(), "A");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string keep = old ? old : "";
  setenv("XDG_DATA_HOME", home.str().c_str(), 1);
  const std::string root = DefaultScanRoot(bundled.str());
  EXPECT_EQ(root, home.str() + "/Corvesta/FITS/");
  EXPECT_EQ(Slurp(root + "2019_06/s/a.fits"), "A");
  testsupport::WriteFile(root + "2019_06/s/a.fits", "user's");
  DefaultScanRoot(bundled.str());
  EXPECT_EQ(Slurp(root + "2019_06/s/a.fits"), "user's");
  EXPECT_EQ(Slurp(bundled.path() / "2019_06" / "s" / "a.fits"), "A");
  if (old)
    setenv("XDG_DATA_HOME", keep.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

}  // namespace

namespace {

class ScanFilesTest : public ScanTest {};

TEST_F(ScanFilesTest, MainHeadersOfEarlierOutputAreRead) {
  TLFITS s;
  s.Link(Gen(Small(2, 4)));
  EXPECT_EQ(s.CB0, 0);
  TStringList own{FITCardStr("SIMPLE", "T", ""), FITCardRF("CB0", 6, "", 1.25),
                  FITCardRF("VW1", 6, "", -0.5), FITEndCard()};
  fs::create_directories(s.OutFolder);
  WriteHeader(s.OutFolder + "/" + s.sFN, 0, own);
  TStringList me{FITCardStr("SIMPLE", "T", ""), FITCardI("NAXIS", 0, ""),
                 FITCardRF("XCEN", 6, "", -351.5), FITCardRF("SOLAR_RA", 6, "", 944.1),
                 FITCardQ("TSTART", "2019-06-22T16:45:05", ""), FITEndCard()};
  WriteHeader(s.OutFolder + "/" + s.sFNME, 0, me);
  s.ReadOwnMainHeader();
  EXPECT_EQ(s.CB0, 1.25);
  EXPECT_EQ(s.VW1, -0.5);
  EXPECT_EQ(s.VW2, 0);
  int32_t n = 0;
  int64_t bytes = 0;
  s.ReadMEMainHeader(n, bytes);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(bytes, 2880);
  EXPECT_EQ(s.MEXCEN, -351.5);
  EXPECT_EQ(s.SOLAR_RA, 944.1);
  EXPECT_EQ(s.TSTART, "2019-06-22T16:45:05");
  EXPECT_TRUE(rec.Has("GetFITKeyR WARNING: Key <YCEN> Not Found!"));
}

TEST_F(ScanFilesTest, SecondCallsAndFileIndices) {
  const std::string folder = Gen(Small(3, 4));
  Scans().DataRoot.Install([&] { return root.str() + "/"; });
  EXPECT_EQ(ScanFolder("20190622_164505"), folder);
  EXPECT_EQ(ScanFitsN("20190622_164505", 2), "SP3D20190622_164515.0C.fits");
  EXPECT_EQ(ScanFitsN("20190622_164505", 7), ScanFirstFits("20190622_164505"));
  TLFITS s;
  s.Link(folder);
  TJob h;
  ASSERT_TRUE(Headers(s, h));
  TJob again;
  ASSERT_TRUE(RunJob(again, [&](TJob& j) { s.LoadHeaders(j); }));
  EXPECT_EQ(again.LastProgress().Total, 0);  // nothing read again
  TJob d1, d2;
  RunJob(d1, [&](TJob& j) { s.LoadData(j); });
  RunJob(d2, [&](TJob& j) { s.LoadData(j); });
  ASSERT_EQ(d2.Warnings().size(), 2u);
  EXPECT_NE(d2.Warnings()[0].Text.find("LFITS.LoadData WARN!"), std::string::npos);
  EXPECT_EQ(d2.Warnings()[1].Text, "TLFITS.LoadData WARNING!\r\nData Already Loaded!!!");
}

}  // namespace

namespace {

// Noiseless generated profiles measured back: the continuum, the class of clean two-line
// profiles and their centres of gravity against the truth table; SPBSHFT halves and the decoding
// doubles back.
TEST_F(ScanFilesTest, GeneratedProfilesMeetTheirTruth) {
  TScanGenOptions o = Small(3, 20);
  o.Spbshft = 3;
  TLFITS s;
  s.Link(Gen(o));
  TJob h;
  ASSERT_TRUE(Headers(s, h));
  s.SetOptions(350, 350, 1.0, 40);
  TFITS& f = *s.Files[1];
  ASSERT_TRUE(f.LoadData());
  f.GetContAll();
  f.AGRC1.assign(21, 0);
  f.AGRC2.assign(21, 0);
  f.AClass.assign(21, 0);
  f.CalcCGravs0();
  int clean = 0;
  for (int y = 1; y <= 20; ++y) {
    const TGenPixel p = GenPixel(o, 1, y);
    if (p.Kind == 3) {
      EXPECT_EQ(f.ACnt[static_cast<size_t>(y)], 0) << y;
      continue;
    }
    EXPECT_NEAR(f.ACnt[static_cast<size_t>(y)], p.Ic, 0.003 * p.Ic) << y;
    if (p.Kind > 1) {
      EXPECT_NE(f.AClass[static_cast<size_t>(y)], 5) << y;
      continue;
    }
    ASSERT_EQ(f.AClass[static_cast<size_t>(y)], 5) << y;
    ++clean;
    const double c1 = (p.Lam1 - 6302.08) / 0.021549 + 56.5,
                 c2 = (p.Lam2 - 6302.08) / 0.021549 + 56.5;
    EXPECT_NEAR(f.AGRC1[static_cast<size_t>(y)], c1, 0.25) << y;
    EXPECT_NEAR(f.AGRC2[static_cast<size_t>(y)], c2, 0.25) << y;
  }
  EXPECT_GE(clean, 15);
}

}  // namespace
