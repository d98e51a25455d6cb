// The field, centre-of-gravity and wing map runs on generated scans: the maps' names, titles,
// versions and bank slots, the progress texts, what a run releases first, the moment maps
// against the generator's field vector, the failures that end a run, cancel, threads, and the own
// output file read back by an independent reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "scans/cvFIOut.h"
#include "scans/support/MapRuns.h"
#include "scans/support/ScanFiles.h"
#include "support/TestSupport.h"

namespace {

using runtest::At;
using runtest::GenScan;

struct TKey {
  int K, N;
  std::string Name, Title, Ver;
};

void ExpectBank(const TLFITS& S, const std::vector<TKey>& Keys) {
  for (const TKey& k : Keys) {
    SCOPED_TRACE(k.Name);
    const TFIOut* m = S.OuAny.At(k.K, k.N).Get();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Name, k.Name);
    EXPECT_EQ(m->Com, k.Title);
    EXPECT_EQ(m->Ver, k.Ver);
    EXPECT_EQ(m->kSoft, 1);
    EXPECT_EQ(m->kLoad, 9);
    EXPECT_EQ(m->nX, S.Count());
    EXPECT_EQ(m->nY, S.ScanNY());
  }
}

const std::string PM = "\xB1";

TEST(FieldMaps, WingAndLIVMapsNamesTitlesSlotsAndProgress) {
  GenScan g(6, 16);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcLW(J); }));
  ExpectBank(s, {{1, 1, "LWb1", "BlueWingPosition for 6301", "2022"},
                 {1, 2, "LWb2", "BlueWingPosition for 6302", "2022"},
                 {2, 1, "LWr1", "Red_WingPosition for 6301", "2022"},
                 {2, 2, "LWr2", "Red_WingPosition for 6302", "2022"},
                 {3, 1, "LWI1", "Level for WingPos for 6301", "2022"},
                 {3, 2, "LWI2", "Level for WingPos for 6302", "2022"}});
  EXPECT_EQ(g.progress.front(), "LFITS.CalcLW|iX=0001/6");
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.Calc_LIV(J); }));
  EXPECT_EQ(g.progress.front(), "LFITS.Calc_LIV[22_1645]iX=1/6");
  EXPECT_EQ(g.progress[5], "LFITS.Calc_LIV[22_1645]iX=6/6");
  ExpectBank(s, {{1, 1, "LIV1", "L_COG by I" + PM + "V for 6301 at d[0.4..0.6]", "2025_03"},
                 {1, 2, "LIV2", "L_COG by I" + PM + "V for 6302 at d[0.4..0.6]", "2025_03"},
                 {2, 1, "LBIV1", "LB by I" + PM + "V for 6301 at d[0.4..0.6]", "2025_03"},
                 {2, 2, "LBIV2", "LB by I" + PM + "V for 6302 at d[0.4..0.6]", "2025_03"},
                 {3, 1, "L-Wb1", "L_FWHD_I" + PM + "V_blue for 6301", "2025_03"},
                 {3, 2, "L-Wb2", "L_FWHD_I" + PM + "V_blue for 6302", "2025_03"},
                 {4, 1, "L-Wr1", "L_FWHD_I" + PM + "V_red for 6301", "2025_03"},
                 {4, 2, "L-Wr2", "L_FWHD_I" + PM + "V_red for 6302", "2025_03"}});
  // the wing maps of k 1..3 were released first: no longer registered
  for (const char* n : {"LWb1", "LWr2", "LWI1"})
    EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), n), nullptr) << n;
  // element y + 1 of the file's column goes to map row y; the continuum is the CONT, CONT2 mean
  TFITS& f = *s.Files[3];
  int32_t code = 0;
  ASSERT_TRUE(f.LoadData());
  ASSERT_TRUE(f.MapPairMean("CONT", "CONT2", f.ACnt, code));
  f.CalcLIV();
  for (int y = 0; y < s.ScanNY(); ++y) {
    EXPECT_EQ(At(s.OuAny.At(1, 2).Get(), 3, y), static_cast<float>(f.ArN2[1][2][y + 1]));
    EXPECT_EQ(At(s.OuAny.At(4, 1).Get(), 3, y), static_cast<float>(f.ArN2[4][1][y + 1]));
  }
}

TEST(FieldMaps, IVcogMakes37MapsAndTheWingRunReplacesItsFirstRows) {
  GenScan g(5, 12);
  TLFITS& s = *g.scan;
  s.VW1 = 0.2;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcIV_COG(J); }));
  EXPECT_EQ(g.progress.front(), "LFITS.CalcIV_COG|iX=0001/5");
  std::vector<TKey> keys;
  for (int k = 1; k <= 18; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = std::to_string(n), j = std::to_string(k <= 9 ? k : k - 9);
      const std::string bv = k <= 9 ? "B" : "V";
      keys.push_back({k, n, bv + l + "IV" + j,
                      bv + "(I" + PM + "V) for 630" + l + " for Level " + j, "2022"});
    }
  keys.push_back({19, 1, "IV_asym", "(I" + PM + "V) peak asymmetry %", "2022"});
  ExpectBank(s, keys);
  std::set<std::string> names;
  for (const auto& m : LFIOReg().Items)
    if (FIOutAssigned(m.get())) names.insert(m->Name);
  EXPECT_EQ(names.size(), 37u);
  // the flat and zero pixels of the generator: one warning for the run
  int flat = 0;
  for (const auto& w : g.job->Warnings()) flat += w.Text.find("without depth") != std::string::npos;
  EXPECT_EQ(flat, 1);
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcLW(J); }));
  EXPECT_EQ(s.OuAny.At(1, 1)->Name, "LWb1");
  EXPECT_EQ(s.OuAny.At(3, 2)->Name, "LWI2");
  for (const char* n : {"B1IV1", "B2IV2", "B1IV3"})
    EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), n), nullptr) << n;
  ASSERT_TRUE(s.OuAny.At(4, 1));
  EXPECT_EQ(s.OuAny.At(4, 1)->Name, "B1IV4");
  EXPECT_EQ(s.OuAny.At(18, 2)->Name, "V2IV9");
  EXPECT_EQ(s.OuAny.At(19, 1)->Name, "IV_asym");
}

TEST(FieldMaps, IVcog05NamesAndBothVelocitiesZeroRefused) {
  GenScan g(4, 10);
  TLFITS& s = *g.scan;
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcIV_COG05(J); }));
  EXPECT_TRUE(g.Warned("FITS.CalcIVcog05=ERR"));
  EXPECT_FALSE(s.OuAny.At(1, 1));
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcIV_COG(J); }));
  EXPECT_TRUE(g.Warned("FITS.CalcIVcog=ERR"));
  s.VW2 = -0.1;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcIV_COG05(J); }));
  EXPECT_EQ(g.progress.front(), "LFITS.CalcIV_COG05|iX=0001/4");
  std::vector<TKey> keys;
  for (int k = 1; k <= 4; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = std::to_string(n), lv = (k == 1 || k == 3) ? "06" : "03";
      const std::string bv = k <= 2 ? "B" : "V";
      keys.push_back({k, n, bv + l + "IV" + lv,
                      bv + "(I" + PM + "V) for 630" + l + " for Level 0." + lv, "2022"});
    }
  ExpectBank(s, keys);
}

// The moment maps over LIV and wing windows of the generator's lines: the field vector of its
// weak-field Stokes profiles.
class WMom : public ::testing::Test {
 protected:
  void Inputs(GenScan& G, int NX = -1) {
    TLFITS& s = *G.scan;
    ASSERT_TRUE(G.Run([&](TJob& J) { return s.CalcCont0(J); }));
    ASSERT_TRUE(G.Run([&](TJob& J) { return s.Calc_LIV(J); }));
    const TFIOut* l1 = s.OuAny.At(1, 1).Get();
    const TFIOut* l2 = s.OuAny.At(1, 2).Get();
    const float half1 = 8, half2 = 7;
    G.Fixture(s.OuWork[4], "LBob1", 1, "", [&](int x, int y) { return At(l1, x, y) - half1; }, NX);
    G.Fixture(s.OuWork[5], "LBor1", 1, "", [&](int x, int y) { return At(l1, x, y) + half1; });
    G.Fixture(s.OuWork[6], "LBob2", 1, "", [&](int x, int y) { return At(l2, x, y) - half2; });
    G.Fixture(s.OuWork[7], "LBor2", 1, "", [&](int x, int y) { return At(l2, x, y) + half2; });
  }
};

TEST_F(WMom, MapsFollowTheGeneratorsFieldVector) {
  // the continuum as the profile's own (KRC 1): the moments divide by it
  GenScan g(8, 16, 1.0);
  TLFITS& s = *g.scan;
  Inputs(g);
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.Calc_W_Mom(J); }));
  EXPECT_EQ(g.progress.front(), "22_1645 LFITS.Calc_W_Mom|iX=0001/8");
  const char* names[] = {"WI", "BMV", "BML", "Gm", "Xi", "BLq", "BLu"};
  const char* titles[] = {"Equivalent Width for 630# Bound+12pix",
                          "B longitudinal for 630# Bound+12pix",
                          "B transversal for 630# Bound+12pix", "Field Inclination for 630#",
                          "Field Azimuth for 630#", "B_trans Along Xi for 630#",
                          "B_trans Across Xi for 630#"};
  std::vector<TKey> keys;
  for (int k = 1; k <= 7; ++k)
    for (int n = 1; n <= 2; ++n) {
      std::string t = titles[k - 1];
      t.replace(t.find('#'), 1, std::to_string(n));
      keys.push_back({k, n, names[k - 1] + std::to_string(n), t, "2025_03"});
    }
  ExpectBank(s, keys);
  int checked = 0;
  for (int x = 0; x < s.Count(); ++x)
    for (int y = 0; y < s.ScanNY(); ++y) {
      const TGenPixel p = g.Truth(x, y + 1);
      if (p.Kind != 0 || p.B < 300) continue;
      const double gm = p.Gamma * 3.14159265358979 / 180;
      for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y) + " line " + std::to_string(n));
        EXPECT_NEAR(At(s.OuAny.At(2, n).Get(), x, y), p.B * std::cos(gm), 0.02 * p.B);
        EXPECT_NEAR(At(s.OuAny.At(3, n).Get(), x, y), p.B * std::sin(gm), 0.03 * p.B);
        EXPECT_NEAR(At(s.OuAny.At(4, n).Get(), x, y), p.Gamma, 1.5);
        EXPECT_NEAR(At(s.OuAny.At(5, n).Get(), x, y), p.Chi, 1.5);
      }
      ++checked;
    }
  EXPECT_GT(checked, 5);
}

TEST_F(WMom, MissingInputEndsTheRunWithOneMessage) {
  GenScan g(5, 10);
  TLFITS& s = *g.scan;
  Inputs(g);
  s.ReleaseSlot(s.OuWork[6]);  // LBob2
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.Calc_W_Mom(J); }));
  int msgs = 0;
  for (const auto& w : g.job->Warnings())
    msgs += w.Text.find("LFITS.Calc_W_Mom не загружена карта LBob2"_cp) != std::string::npos;
  EXPECT_EQ(msgs, 1);
  // set up and zeroed, nothing stored, not marked
  const TFIOut* wi = s.OuAny.At(1, 1).Get();
  ASSERT_NE(wi, nullptr);
  EXPECT_EQ(wi->kLoad & 8, 0);
  for (int x = 0; x < s.Count(); ++x)
    for (int y = 0; y < s.ScanNY(); ++y) EXPECT_EQ(At(wi, x, y), 0.0f);
}

// Columns of another size would be read at the wrong pixels: refused, naming the map.
TEST_F(WMom, InputOfAnotherSizeIsRefused) {
  GenScan g(5, 10);
  TLFITS& s = *g.scan;
  Inputs(g, 4);
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.Calc_W_Mom(J); }));
  EXPECT_TRUE(g.Warned("LFITS.Calc_W_Mom: карта LBob1 размера [4,10]"_cp));
  EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "WI1"), nullptr);
  EXPECT_EQ(s.OuAny.At(1, 1)->Name, "LIV1");
}

TEST(FieldMaps, CancelReleasesTheRunsMapsAndThreadsGiveOneThreadsMaps) {
  GenScan g(6, 12);
  TLFITS& s = *g.scan;
  s.VW1 = s.VW2 = 0.1;
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcIV_COG(J); }, 3));
  EXPECT_TRUE(g.job->Cancelled());
  int live = 0;
  for (const auto& m : LFIOReg().Items) live += FIOutAssigned(m.get()) ? 1 : 0;
  EXPECT_EQ(live, 0);
  EXPECT_FALSE(s.OuAny.At(5, 2));
  // one thread against every core: the same maps bit for bit, the same warnings
  auto maps = [&](int32_t Threads, std::vector<std::string>& W) {
    for (auto& f : s.Files) f->Threads = Threads;
    std::vector<std::vector<float>> r;
    EXPECT_TRUE(g.Run([&](TJob& J) { return s.CalcIV_COG(J) && s.CalcIV_COG05(J); }));
    for (const auto& w : g.job->Warnings())
      if (w.Text.rfind("TLFITS.FO(", 0) != 0) W.push_back(w.Text);  // the set-up's own notes
    for (int k = 1; k <= 19; ++k)
      for (int n = 1; n <= 2; ++n)
        if (const TFIOut* m = s.OuAny.At(k, n).Get())
          r.emplace_back(m->aData.Data(), m->aData.Data() + m->aData.Count());
    return r;
  };
  std::vector<std::string> w1, wn;
  const auto one = maps(1, w1);
  const auto many = maps(0, wn);
  ASSERT_EQ(one.size(), 37u);
  ASSERT_EQ(one.size(), many.size());
  for (size_t i = 0; i < one.size(); ++i)
    EXPECT_EQ(0, std::memcmp(one[i].data(), many[i].data(), one[i].size() * sizeof(float))) << i;
  EXPECT_EQ(w1, wn);
}

// ---------------------------------------------------------------- the own file read back

struct TRef {
  std::string Key;
  int nx = 0, ny = 0;
  std::vector<double> v;
};

std::vector<TRef> PythonRead(const std::string& File) {
  const std::string out = testsupport::RunShell(
      "/usr/bin/python3 " + testsupport::SourceRoot() +
      "/tests/scans/support/layout_read.py read " + File);
  std::istringstream in(out);
  std::vector<TRef> r;
  std::string tag;
  while (in >> tag && tag == "EXT") {
    TRef m;
    in >> std::ws;
    std::string line;
    std::getline(in, line);
    const size_t b = line.find_last_of(' '), a = line.find_last_of(' ', b - 1);
    m.Key = line.substr(0, a);
    m.nx = std::stoi(line.substr(a + 1, b - a - 1));
    m.ny = std::stoi(line.substr(b + 1));
    m.v.resize(static_cast<size_t>(m.nx * m.ny));
    for (double& d : m.v) in >> d;
    r.push_back(m);
  }
  return r;
}

TEST(FieldMaps, OwnFileReadByAnIndependentReaderEqualsTheMaps) {
  GenScan g(5, 9);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcLW(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.Calc_LIV(J); }));
  ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
  std::vector<TFIOut*> maps;
  for (int k : {1, 2, 3, 4})
    for (int n : {1, 2}) maps.push_back(s.OuAny.At(k, n).Get());
  TJob save("save");
  int32_t saved = 0;
  RunJob(save, [&](TJob& J) { saved = SaveMaps(J, maps); });
  ASSERT_EQ(saved, 8);
  const std::vector<TRef> ref = PythonRead(g.Own());
  ASSERT_EQ(ref.size(), maps.size());
  for (size_t i = 0; i < ref.size(); ++i) {
    const TFIOut& m = *maps[i];
    // the reader decodes the 1251 title bytes as Latin-1: the sign 0xB1 is the same code point
    std::string title;
    for (unsigned char c : m.Com)
      if (c < 0x80) title += static_cast<char>(c);
      else title += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    EXPECT_EQ(ref[i].Key, m.Name + "|" + m.Ver + "|" + title);
    ASSERT_EQ(ref[i].nx, m.nX);
    ASSERT_EQ(ref[i].ny, m.nY);
    for (int y = 0; y < m.nY; ++y)
      for (int x = 0; x < m.nX; ++x)
        ASSERT_EQ(ref[i].v[static_cast<size_t>(y * m.nX + x)], At(&m, x, y)) << m.Name;
  }
}

}  // namespace
