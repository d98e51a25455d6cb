// Solar-atlas windows: the presets of the atlas kinds, the checks of the fields (the range
// without a line, the file-name template), the readers of a small centre-to-limb file (ten
// cosines, a correction column, "NaN", a missing word), a wavenumber file read into ascending
// wavelengths, the profiles of all ten cosines with their own combinations, a window of one
// point refused, the text dump; and the harness's atlas command on the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "synthesis/profiles/cvAtlas.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// A centre-to-limb file: three header lines, then lambda, I(mu=1) and nine ratios for mu 0.1
// .. 0.9 (ratio mu), 6300.50 .. 6303.50 A in steps of 0.01.
std::string ClvFile(const testsupport::TempDir& Root) {
  const std::string dir = Root.str() + "/ATLAS/2017_Dorvell";
  testsupport::RunShell("mkdir -p '" + dir + "'");
  std::string s = "synthetic\nclv test\nlambda I r1..r9\n";
  char b[256];
  for (int i = 0; i <= 300; ++i) {
    const double l = 6300.5 + 0.01 * i;
    std::snprintf(b, sizeof b, "%.2f %.5f", l, 1 - 0.5 * std::exp(-std::pow((l - 6302.5) / 0.05, 2)));
    s += b;
    for (int c = 1; c <= 9; ++c) {
      std::snprintf(b, sizeof b, " %.1f", c / 10.0);
      s += b;
    }
    s += "\n";
  }
  testsupport::WriteFile(dir + "/clv-ss3-v1.txt", s);
  return dir + "/clv-ss3-v1.txt";
}

bool FakeLine(const std::string& Id, double& Lam) {
  if (Id != "FE6302") return false;
  Lam = 6302.4936;
  return true;
}

TEST(Atlas, KindPresetsAndCases) {
  TAtlasForm f;
  f.Kind = "Spot";
  AtlasKindChange(f);
  EXPECT_EQ(f.LambdaNju, "NJU");
  EXPECT_EQ(f.FNamTpl, "sp(NJU)");
  EXPECT_TRUE(f.UsenAir);
  EXPECT_EQ(f.NSkip, "0");
  struct TCase {
    double Lam;
    const char* Case;
    const char* Name;
    int32_t Item;
    const char* RI;
    const char* Corr;
  };
  for (const TCase& c : {TCase{6302, "cold", "ColdUmbra", 0, "2", "3"},
                         TCase{5500, "hot", "HotUmbra", 1, "2", "3"},
                         TCase{5500, "cold", "ColdUmbra", 2, "4", "5"},
                         TCase{4800, "hot", "ColdUmbra", 3, "2", "3"}}) {
    f.ObsCase = c.Case;
    AtlasSetSpotCaseByLam(f, c.Lam);
    EXPECT_EQ(f.ObsCaseName, c.Name) << c.Lam;
    EXPECT_EQ(f.KLamNjuIndex, c.Item) << c.Lam;
    EXPECT_EQ(f.ColRI + f.ColCorrect, std::string(c.RI) + c.Corr) << c.Lam;
  }
  f.Kind = "CLV";
  AtlasKindChange(f);
  EXPECT_EQ(f.CTetaItems.size(), 10u);
  for (const auto& [cos, col] : std::vector<std::pair<std::string, std::string>>{
           {"0.4", "6"}, {"0.1", "3"}, {"1", "0"}, {"0.1-1", "0"}, {"abc", "0"}, {"2", ""}}) {
    f.CTeta = cos;
    AtlasCTetaChange(f);
    EXPECT_EQ(f.ColCorrect, col) << cos;
  }
}

TEST(Atlas, FieldChecks) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kStripWarnPrefix);
  TAtlasForm f;
  TAtlasPlan p;
  // a range without a line: its text, its middle, the range as the window
  f.Lams = "6301.0 6303.0";
  ASSERT_TRUE(AtlasCheckFields(f, "/r/", FakeLine, p));
  EXPECT_EQ(p.Line, "6301.0_6303.0");
  EXPECT_DOUBLE_EQ(p.Centre, 6302);
  EXPECT_DOUBLE_EQ(p.Lower, 6301);
  EXPECT_DOUBLE_EQ(p.Upper, 6303);
  EXPECT_EQ(p.File, "/r/ATLAS/2017_Dorvell/clv-ss3-v1.txt");
  // a line: the window around its wavelength
  f.Line = "FE6302";
  ASSERT_TRUE(AtlasCheckFields(f, "/r/", FakeLine, p));
  EXPECT_NEAR(p.Lower, 6302.0936, 1e-9);
  EXPECT_NEAR(p.Upper, 6302.8936, 1e-9);
  // the wavenumber template: the window's upper bound rounded down to the step
  f = TAtlasForm{};
  f.Kind = "Spot";
  AtlasKindChange(f);
  f.UsenAir = false;
  f.Lams = std::to_string(1e8 / 17350.3 - 0.5) + " " + std::to_string(1e8 / 17350.3);
  ASSERT_TRUE(AtlasCheckFields(f, "/r/", FakeLine, p));
  EXPECT_EQ(p.File, "/r/ATLAS/spot4atl/sp17350");
  struct TBad {
    const char* Field;
    const char* Value;
    const char* Focus;
    std::string Text;
  };
  for (const TBad& b : {TBad{"tpl", "sp(ABC)", "edFNamTpl",
                             "Вариант с шаблоном в имени файла для длины волны <ABC> не предусмотрен в программе!"_cp},
                        TBad{"skip", "3a", "edAtlasNSkip", "Неправильное число в поле ввода <3a>"_cp},
                        TBad{"cos", "0,a", "cbCTeta", "Неправильное число в поле ввода <0,a>"_cp},
                        TBad{"dlam", "4o0", "edDLam", "Ошибка в числе (в поле ширина диапазона в мА) 4o0"_cp}}) {
    TAtlasForm g;
    g.Lams = "6301 6303";
    if (std::string(b.Field) == "tpl") g.FNamTpl = b.Value;
    if (std::string(b.Field) == "skip") g.NSkip = b.Value;
    if (std::string(b.Field) == "cos") g.CTeta = b.Value;
    if (std::string(b.Field) == "dlam") g.DLam = b.Value;
    sink.texts.clear();
    EXPECT_FALSE(AtlasCheckFields(g, "/r/", FakeLine, p)) << b.Field;
    EXPECT_EQ(g.Focus, b.Focus) << b.Field;
    EXPECT_TRUE(sink.Has(b.Text)) << b.Field;
  }
}

TEST(Atlas, ReadersAndProfiles) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kStripWarnPrefix);
  testsupport::TempDir root;
  ClvFile(root);
  TAtlasForm f;
  f.Line = "FE6302";
  f.DLam = "100";  // 6302.39 .. 6302.59
  f.CTeta = "0.1-1";
  TAtlasPlan p;
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  TAtlasData d;
  ASSERT_TRUE(AtlasRead(nullptr, p, d));
  ASSERT_EQ(d.I.size(), 10u);
  ASSERT_EQ(d.Lam.size(), 20u);  // 6302.40 .. 6302.59
  EXPECT_DOUBLE_EQ(d.Lam.front(), 6302.40);
  // cosine 0.4: I(mu=1) times ratio 0.4
  EXPECT_NEAR(d.I[6][5], d.I[0][5] * 0.4, 1e-12);

  TOwnVariContext vars;
  TVariScope scope(vars);
  const auto made = AtlasMake(p, d, 1, "CLV");
  ASSERT_EQ(made.size(), 10u);
  std::vector<int32_t> ks;
  for (size_t i = 0; i < made.size(); ++i) {
    EXPECT_NEAR(made[i]->MJU, 1 - 0.1 * static_cast<double>(i), 1e-12);
    EXPECT_EQ(made[i]->KRef, 1);
    EXPECT_EQ(made[i]->K4, 1);
    EXPECT_EQ(made[i]->NDL, 20);
    EXPECT_DOUBLE_EQ(made[i]->LAMB, 6302.4936);
    ks.push_back(made[i]->KVARI);
  }
  std::sort(ks.begin(), ks.end());
  EXPECT_EQ(std::unique(ks.begin(), ks.end()), ks.end());  // a combination each
  EXPECT_EQ(vars.VARI->NK, 10);

  // one cosine through the correction column: column 2 times column 6
  f.CTeta = "0.4";
  AtlasCTetaChange(f);
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  ASSERT_TRUE(AtlasRead(nullptr, p, d));
  ASSERT_EQ(d.I.size(), 1u);
  EXPECT_NEAR(d.I[0][0], (1 - 0.5 * std::exp(-std::pow((6302.40 - 6302.5) / 0.05, 2))) * 0.4, 1e-5);

  // a window of one point is refused
  f.DLam = "5";
  f.Line = "";
  f.Lams = "6302.395 6302.405";
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  EXPECT_FALSE(AtlasRead(nullptr, p, d));
  EXPECT_TRUE(sink.Has("(нужно не меньше 2)"_cp));

  // the dump: the head and the lines as they stand
  f.Lams = "6300.5 6300.52";
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  std::vector<std::string> lines;
  ASSERT_TRUE(AtlasDump(nullptr, p, lines));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("строки от 4 до 6"_cp), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("6300.50 ", 0), 0u);
}

TEST(Atlas, WavenumbersNaNAndMissingWords) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kStripWarnPrefix);
  testsupport::TempDir root;
  const std::string dir = root.str() + "/ATLAS/spot4atl";
  testsupport::RunShell("mkdir -p '" + dir + "'");
  std::string s;
  char b[128];
  for (int i = 0; i < 40; ++i) {
    std::snprintf(b, sizeof b, "%.2f %s 1.0 0.9 1.0\n", 15850.0 + 0.5 * i, i == 3 ? "NaN" : "0.8");
    s += b;
  }
  testsupport::WriteFile(dir + "/sp15850", s);
  TAtlasForm f;
  f.Kind = "Spot";
  AtlasKindChange(f);
  f.UsenAir = false;
  f.Lams = std::to_string(1e8 / 15860.0) + " " + std::to_string(1e8 / 15851.0);
  f.ColRI = "2";
  f.ColCorrect = "0";
  TAtlasPlan p;
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  EXPECT_EQ(p.File, dir + "/sp15850");
  TAtlasData d;
  ASSERT_TRUE(AtlasRead(nullptr, p, d));
  ASSERT_GT(d.Lam.size(), 10u);
  for (size_t i = 1; i < d.Lam.size(); ++i) EXPECT_GT(d.Lam[i], d.Lam[i - 1]);
  // wavenumber 15851.5 ("NaN" in column 2) reads as intensity 0
  bool zero = false;
  for (double x : d.I[0]) zero = zero || x == 0;
  EXPECT_TRUE(zero);

  // a line without the requested column ends the reading with the file and line named
  testsupport::WriteFile(dir + "/sp15850", "15851.00 0.8\n");
  f.ColCorrect = "3";
  ASSERT_TRUE(AtlasCheckFields(f, root.str() + "/", FakeLine, p));
  EXPECT_FALSE(AtlasRead(nullptr, p, d));
  EXPECT_TRUE(sink.Has("запрошено слово 3, всего слов 2"_cp));
}

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

TEST(AtlasHarness, AllCosinesAndTheDump) {
  testsupport::TempDir root;
  ClvFile(root);
  int st = -1;
  std::string out =
      Batch("atlas --db '" + root.str() + "/cv.db' --cos 0.1-1 --line FE6302 '" + root.str() + "'", st);
  ASSERT_EQ(st, 0) << out;
  int n = 0;
  for (size_t at = out.find("CLV.1 KVARI="); at != std::string::npos; at = out.find("CLV.1 KVARI=", at + 1)) ++n;
  EXPECT_EQ(n, 10) << out;
  EXPECT_NE(out.find("MJU=1 "), std::string::npos) << out;
  EXPECT_NE(out.find("MJU=0.1 "), std::string::npos) << out;
  out = Batch("atlas --db '" + root.str() + "/cv.db' --range 6300.5 6300.52 --dump '" + root.str() + "'", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("строки от 4 до 6"), std::string::npos) << out;
  out = Batch("atlas --db '" + root.str() + "/cv.db' --range 6400 6401 '" + root.str() + "'", st);
  EXPECT_EQ(st, 1) << out;
}

}  // namespace
