// Map slots, initialisers and the map runs on a generated scan: the continuum maps against the
// generator's continuum, the line-minimum and line-position maps against its line centres, the
// continuum filled file by file, cancelled runs, and slots that never name a freed map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/support/MapRuns.h"
#include "support/SinkRecorder.h"

namespace {

using runtest::At;
using runtest::GenScan;

// Slit pixels whose profile has the generator's lines (kind 0 line, 1 quiet) or is flat (2).
bool Lines(const TGenPixel& P) { return P.Kind <= 1; }

TEST(MapSlots, InitialisersFindRegisterAndRefuse) {
  GenScan g(6, 10);
  TLFITS& s = *g.scan;
  testsupport::SinkRecorder rec;
  // The first call warns nothing and registers the map with the scan's key and size.
  ASSERT_TRUE(s.InitContMap());
  TFIOut* m = s.OuCont.Get();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(rec.texts.empty());
  EXPECT_EQ(m->Name, "CONT");
  EXPECT_EQ(m->Com, "Continuum Intensity");
  EXPECT_EQ(m->Ver, "2022");
  EXPECT_EQ(m->kSoft, 1);
  EXPECT_EQ(m->Da + "_" + m->Ti, "20190622_164505");
  EXPECT_EQ(m->nX, 6);
  EXPECT_EQ(m->nY, 10);
  // The second warns and gives the same map.
  s.OuCont.Reset();
  ASSERT_TRUE(s.InitContMap());
  EXPECT_EQ(s.OuCont.Get(), m);
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("TLFITS.FO(CV)_Init(CONT,Continuum Intensity) WARNING: "
                              "Повторный вызов!"_cp),
            std::string::npos);
  EXPECT_EQ(LFIOReg().Count(), 1);
  // New maps of the inversion results, one never looked for in the file, with the source char.
  Scans().CurSrcChar.Install([] { return 'q'; });
  ASSERT_TRUE(s.InitHLongMap());
  EXPECT_EQ(s.MeHL->kSoft, 2);
  EXPECT_EQ(s.MeHL->Ver, "2006");
  EXPECT_EQ(s.MeHL->DaNum, 'q');
  EXPECT_EQ(FOKindText(3), "M2");
  EXPECT_EQ(FOKindText(7), "XX");

  // nX x nY = 0: refused.
  rec.texts.clear();
  TLFITS empty;
  empty.ScanName = "20190622_164505";
  TMapSlot slot;
  EXPECT_FALSE(empty.FOInitME(slot, "Field_Strength", "F"));
  EXPECT_FALSE(slot);
  ASSERT_FALSE(rec.texts.empty());
  EXPECT_NE(rec.texts.back().find("TLFITS.FO(ME)_Init(Field_Strength,F) ERR - до вызова "
                                  "процедуры надо завести значения nX и nY!"_cp),
            std::string::npos);
  EXPECT_FALSE(empty.FO_New(1, slot, "X", "Y", "2022"));
}

TEST(MapSlots, LineMapNamesAndTitles) {
  GenScan g(4, 6);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(s.InitLineMapPairs(s.OuAny, {"wVp90", "Plain", "Sum"},
                                 {"Signed p-Polarization V for 630 (I<90)", "no number", ""},
                                 3, "90"));
  EXPECT_EQ(s.OuAny.At(3, 2)->Name, "wVp290");
  EXPECT_EQ(s.OuAny.At(3, 2)->Com, "Signed p-Polarization V for 6302 (I<90)");
  EXPECT_EQ(s.OuAny.At(3, 1)->Name, "wVp190");
  EXPECT_EQ(s.OuAny.At(4, 1)->Name, "Plain1");  // no level text in it: the digit appended
  EXPECT_EQ(s.OuAny.At(4, 1)->Com, "no number");
  EXPECT_EQ(s.OuAny.At(5, 2)->Name, "Sum2");
  // An empty level text keeps the names.
  ASSERT_TRUE(s.InitLineMaps(s.OuAny, {"Keep"}, {"T 630"}, 9, "", 2));
  EXPECT_EQ(s.OuAny.At(9, 2)->Name, "Keep");
  EXPECT_EQ(s.OuAny.At(9, 2)->Com, "T 6302");
}

TEST(MapSlots, ReportAndSlotsAfterTheRegistryFreesTheirMaps) {
  GenScan g(4, 6);
  TLFITS& s = *g.scan;
  auto rep = s.MapSlotsReport();
  ASSERT_EQ(rep->Count(), 72);
  EXPECT_EQ((*rep)[0], "OuCont-");
  EXPECT_EQ((*rep)[17], "MeY-");
  EXPECT_EQ((*rep)[18], "Ou35C1[3]-");
  EXPECT_EQ((*rep)[35], "Ou35D2[5]-");
  EXPECT_EQ((*rep)[36], "OuBiC1[1]-");
  EXPECT_EQ((*rep)[71], "OuBiW2[9]-");
  for (int i = 0; i < rep->Count(); ++i) EXPECT_EQ((*rep)[i].back(), '-') << (*rep)[i];
  {
    testsupport::SinkRecorder rec;
    EXPECT_EQ(MapSlotsReport(nullptr)->Count(), 0);
    EXPECT_TRUE(rec.Has("LFITS Not Assigned Yet!!!"));
  }

  ASSERT_TRUE(s.InitGRCMaps());
  s.OuGc1->AssignMem(4, 6);
  rep = s.MapSlotsReport();
  EXPECT_EQ((*rep)[1], "OuGc1FIT GRC_6301 k=1 [4,6] header 0str aData[4,6]  Total=96");
  // The registry frees every map: the slots name none, nothing dangles.
  LFIOReg().ClearAll();
  EXPECT_FALSE(s.OuGc1);
  EXPECT_EQ(s.OuGc1.Get(), nullptr);
  EXPECT_EQ((*s.MapSlotsReport())[1], "OuGc1-");
  // A map registered again under the key is found again.
  LFIOReg().AddFIOut(s.ScanName, "GRC_6301", "t", "2022", 1, 4, 6, &s);
  EXPECT_TRUE(s.OuGc1);
  // A new registry (the services made again) holds none of them either.
  Scans().LFIO.reset();
  EXPECT_FALSE(s.OuGc1);
  // Linking another folder empties the slots.
  s.InitGRCMaps();
  EXPECT_TRUE(s.OuGc1);
  s.Clear();
  EXPECT_FALSE(s.OuGc1.Named());
}

TEST(MapRuns, ContinuumMapsOfAFlatContinuum) {
  const double krc = 1.05;
  GenScan g(12, 24, krc);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  // Progress per file: the scan's day and time, the run, the slit number in two digits.
  ASSERT_GE(g.progress.size(), 12u);
  EXPECT_EQ(g.progress[0], "22_1645|CONT|iX=01/12");
  EXPECT_EQ(g.progress[11], "22_1645|CONT|iX=12/12");
  const TFIOut* cont = s.OuCont.Get();
  const TFIOut* cont2 = s.OuWork[2].Get();
  const TFIOut* lcont = s.OuWork[1].Get();
  const TFIOut* lcont2 = s.OuWork[3].Get();
  ASSERT_TRUE(cont && cont2 && lcont && lcont2);
  const struct {
    const TFIOut* M;
    const char *Name, *Title, *Ver;
  } want[] = {{cont, "CONT", "Continuum Intensity", "20241023"},
              {cont2, "CONT2", "Cont.Int.-Second Maximum", "20241122"},
              {lcont, "LCONT", "L_idx for Cont Level", "20241023"},
              {lcont2, "LCONT2", "L_idx for Cont2 Level", "20241122"}};
  for (const auto& w : want) {
    EXPECT_EQ(w.M->Name, w.Name);
    EXPECT_EQ(w.M->Com, w.Title);
    EXPECT_EQ(w.M->Ver, w.Ver);
    EXPECT_EQ(w.M->kLoad, 8) << w.Name;  // sized directly, then calculated
    EXPECT_EQ(w.M->nX, 12);
    EXPECT_EQ(w.M->nY, 24);
  }
  int checked = 0;
  for (int x = 0; x < 12; ++x)
    for (int y = 0; y < 24; ++y) {
      const TGenPixel p = g.Truth(x, y + 1);
      if (p.Kind > 2) continue;
      const double c = krc * std::nearbyint(p.Ic);
      EXPECT_NEAR(At(cont, x, y), c, 0.02) << x << " " << y;
      EXPECT_NEAR(At(cont2, x, y), c, 0.02) << x << " " << y;
      EXPECT_GT(std::fabs(At(lcont2, x, y) - At(lcont, x, y)), 10) << x << " " << y;
      ++checked;
    }
  EXPECT_GT(checked, 250);

  // A second run reuses the work maps it finds (the FITS tab empties CONT and LCONT first).
  s.ReleaseSlot(s.OuCont);
  s.ReleaseSlot(s.OuWork[1]);
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  EXPECT_TRUE(g.Warned("TLFITS.FO(CV)_Init(CONT2,Cont.Int.-Second Maximum) WARNING: "_cp));
  EXPECT_EQ(LFIOReg().Count(), 4);
}

TEST(MapRuns, LoadRowDataGivesCalcCont0sContinuumAndHoldsOneCubeInLightMode) {
  std::vector<float> first;
  {
    GenScan g(8, 16);
    ASSERT_TRUE(g.Run([&](TJob& J) { return g.scan->CalcCont0(J); }));
    const TFIOut* c = g.scan->OuCont.Get();
    first.assign(c->aData.Data(), c->aData.Data() + c->aData.Count());
  }
  GenScan g(8, 16);
  TLFITS& s = *g.scan;
  s.Light = true;
  int most = 0;
  ASSERT_TRUE(g.Run([&](TJob& J) {
    auto shown = J.OnProgress;
    J.OnProgress = [&, shown](const TJobProgress& P) {
      shown(P);
      int held = 0;
      for (const auto& f : s.Files) held += f->Bit(2);
      most = std::max(most, held);
    };
    return s.LoadRowData(J);
  }));
  EXPECT_LE(most, 1);
  for (const auto& f : s.Files) EXPECT_FALSE(f->Bit(2));
  const TFIOut* c = s.OuCont.Get();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Ver, "2022");
  EXPECT_EQ(c->kLoad, 9);
  ASSERT_EQ(c->aData.Count(), first.size());
  for (size_t k = 0; k < first.size(); ++k) ASSERT_EQ(c->aData.Data()[k], first[k]) << k;
}

TEST(MapRuns, LineMinimaAndLinePositions) {
  GenScan g(6, 20, 1.0);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }));
  const TFIOut* d01 = s.OuD0[1].Get();
  const TFIOut* d02 = s.OuD0[2].Get();
  const TFIOut* ld01 = s.OuD0[3].Get();
  const TFIOut* ld02 = s.OuD0[4].Get();
  const TFIOut* lc1 = s.OuWork[5].Get();
  const TFIOut* lc2 = s.OuWork[6].Get();
  ASSERT_TRUE(d01 && d02 && ld01 && ld02 && lc1 && lc2);
  EXPECT_EQ(lc1->Name, "LC501");
  EXPECT_EQ(lc2->Name, "LC502");
  EXPECT_EQ(lc1->Com, "Bisector (Cont-d0)/2 for 6301");
  EXPECT_EQ(d01->Com, "Central Depth d0 for 6301");
  EXPECT_EQ(ld02->Com, "Wavelength (Pix) of d0 for 6302");
  for (const TFIOut* m : {d01, d02, ld01, ld02, lc1, lc2}) {
    EXPECT_EQ(m->Ver, "2022");
    EXPECT_EQ(m->kLoad, 9) << m->Name;
  }
  int checked = 0;
  for (int x = 0; x < 6; ++x) {
    TFITS& f = *s.Files[static_cast<size_t>(x)];
    for (int y = 0; y < 20; ++y) {
      const TGenPixel p = g.Truth(x, y + 1);
      if (!Lines(p)) continue;
      EXPECT_NEAR(At(lc1, x, y), g.PixOf(x, p.Lam1), 0.02) << x << " " << y;
      EXPECT_NEAR(At(lc2, x, y), g.PixOf(x, p.Lam2), 0.02) << x << " " << y;
      TAIn a;
      ASSERT_TRUE(f.GetCol3(y + 1, 1, a));
      const int m1 = *std::min_element(a.begin() + 1, a.begin() + 57);
      const int m2 = *std::min_element(a.begin() + 57, a.begin() + 113);
      EXPECT_EQ(At(d01, x, y), m1);
      EXPECT_EQ(At(d02, x, y), m2);
      EXPECT_EQ(a[static_cast<size_t>(At(ld01, x, y))], m1);
      EXPECT_EQ(a[static_cast<size_t>(At(ld02, x, y))], m2);
      ++checked;
    }
  }
  EXPECT_GT(checked, 60);

  // Other levels add their maps; the line minima stay as the first run left them.
  s.OuD0[1]->aData[0][0] = -7;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.05); }));
  EXPECT_EQ(s.OuWork[5]->Name, "LC051");
  EXPECT_EQ(s.OuWork[6]->Name, "LC052");
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 1.0); }));
  EXPECT_EQ(s.OuWork[5]->Name, "LC001");
  EXPECT_EQ(s.OuD0[1]->aData[0][0], -7);
  bool fill = true;
  s.InitD0Maps(fill);
  EXPECT_FALSE(fill);
}

TEST(MapRuns, MapsOfARunHaveTheFileCountWhenTheListIsShort) {
  GenScan g(5, 8);
  TLFITS& s = *g.scan;
  s.nX = 7;  // the listing counted more files than the scan holds
  ASSERT_TRUE(s.FOInitOwn(s.OuWork[5], "LC501", "t", "2022"));
  EXPECT_EQ(s.OuWork[5]->nX, 7);
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }));
  EXPECT_EQ(s.OuWork[5]->nX, 5);
  EXPECT_EQ(s.OuD0[1]->nX, 5);
}

TEST(MapRuns, ACancelledRunReleasesItsMaps) {
  GenScan g(8, 10);
  TLFITS& s = *g.scan;
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcCont0(J); }, 3));
  EXPECT_EQ(g.job->State(), TJobState::Cancelled);
  EXPECT_FALSE(s.OuCont);
  EXPECT_FALSE(s.OuWork[2]);
  for (const auto& m : LFIOReg().Items) EXPECT_FALSE(FIOutAssigned(m.get()) && m->kLoad >= 2);
  EXPECT_EQ(LFIOReg().Count(), 0);
  // The whole run afterwards, then a cancelled line run: the continuum stays, the run's go.
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }, 2));
  EXPECT_FALSE(s.OuD0[1]);
  EXPECT_FALSE(s.OuWork[5]);
  EXPECT_EQ(s.OuCont->kLoad, 8);
  EXPECT_EQ(LFIOReg().Count(), 4);
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.LoadRowData(J); }, 1));
  EXPECT_FALSE(s.OuCont);
}

TEST(MapRuns, LoadD0MapsBindsStoredMaps) {
  GenScan g(4, 8);
  TLFITS& s = *g.scan;
  bool missing = false;
  s.LoadD0Maps(missing);
  EXPECT_TRUE(missing);
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }));
  ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
  std::vector<TFIOut*> maps;
  for (int k = 1; k <= 4; ++k) maps.push_back(s.OuD0[k].Get());
  const float v = s.OuD0[3]->aData[1][2];
  TJob save("save");
  int32_t saved = 0;
  RunJob(save, [&](TJob& J) { saved = SaveMaps(J, maps); });
  ASSERT_EQ(saved, 4);
  LFIOReg().ClearAll();
  ASSERT_TRUE(LFIOReg().LoadOwn(s.ScanDa(), s.ScanTi(), nullptr, true));
  s.LoadD0Maps(missing);
  EXPECT_FALSE(missing);
  ASSERT_TRUE(s.OuD0[3]);
  EXPECT_EQ(s.OuD0[3]->kLoad, 2);
  EXPECT_EQ(s.OuD0[3]->aData[1][2], v);
}

}  // namespace
