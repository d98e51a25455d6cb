// The profile table without its grid: rows and variable-field columns from the profile and
// variator lists, the filters, paging and keys, the measured groups, the selected cell's
// descriptor, the blur-unit conversion, the contribution-function checks and the reports.
#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "support/SynEnv.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/profiles/cvUnnoTable.h"

using testsupport::SynEnv;
using testsupport::TLine;

namespace {

int C(const char* Name) { return UnnoColumnIndex(Name); }

std::string FatalOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::string();
}

// A quest step "pair.1" varying LIN (2 values) and H (3 values), one full Stokes profile per
// combination (K4 of the profile's own; FE6301 at 6301.5 A, FE6302 at 6302.5 A).
struct UnnoTableEnv {
  SynEnv env;
  TLVARI lvari;
  TLUNNO list;
  UnnoTableEnv() { env.ctx.LVARI = &lvari; }

  TVARIATOR* AddStep(const std::string& Quest, int32_t IQ, const std::vector<std::string>& Keys) {
    auto v = std::make_unique<TVARIATOR>(Quest, IQ);
    for (const std::string& k : Keys) v->AddP(k);
    v->GetNJPar();
    TVARIATOR* p = v.get();
    lvari.Append(std::move(v));
    return p;
  }
  TUNNO* AddProfile(const std::string& Quest, int32_t IQ, int32_t K, const std::string& Lin,
                    int32_t K4 = 4, double Step = 0.01) {
    auto u = std::make_unique<TUNNO>();
    TLine line;
    line.L0 = Lin == "FE6301" ? 6301.5 : 6302.5;
    line.Lv = line.L0;
    testsupport::MakeFull(*u, line, line.L0 - 0.3, line.L0 + 0.3, Step);
    u->LAMB = line.L0;
    u->QUEST = Quest;
    u->IQ = IQ;
    u->KVARI = K;
    u->sULin = Lin;
    u->K4 = K4;
    return list.Add(std::move(u));
  }
  // "pair.1": K = 1..6 walks LIN fastest? the variator decides; the profile's line follows it
  void Pair() {
    TVARIATOR* v = AddStep("pair", 1, {"#LIN FE6301 FE6302", "#H 0 1000 2000"});
    for (int32_t k = 1; k <= v->NK; ++k) {
      v->KIdx = k;
      AddProfile("pair", 1, k, v->GetS("LIN"));
    }
  }
  TUnnoFillIn In(bool Paged = false) {
    TUnnoFillIn in;
    in.Paged = Paged;
    in.Quests = {"pair.1"};
    in.Lines = {"FE6301", "FE6302"};
    return in;
  }
  TUnnoFillOut Fill(const TUnnoFillIn& In, TUnnoPageState& P) {
    TUnnoFillOut out;
    UnnoFill(&list, &lvari, In, P, out);
    return out;
  }
};

TEST(UnnoTable, ColumnsKeepTheirCreationOrderAndDisplayPositions) {
  ASSERT_EQ(C("GxUIdx"), 0);
  EXPECT_EQ(C("GxU12Vari"), 16);
  EXPECT_EQ(C("GxUivB94"), kUnnoColumns - 1);
  EXPECT_EQ(UnnoColumn(C("GxUDWmax")).Pos, 51);
  EXPECT_EQ(UnnoColumn(C("GxUH0ad")).Group, UG_None);
  std::vector<bool> seen(kUnnoColumns, false);
  for (int i = 0; i < kUnnoColumns; ++i) {
    const int p = UnnoColumn(i).Pos;
    ASSERT_TRUE(p >= 0 && p < kUnnoColumns && !seen[static_cast<size_t>(p)]) << i;
    seen[static_cast<size_t>(p)] = true;
  }
  EXPECT_EQ(UnnoCaption(C("GxUH")), "H(Гс)"_cp);
  EXPECT_TRUE(UnnoIsParamColumn("GxU3Vari"));
  EXPECT_FALSE(UnnoIsParamColumn("GxUsVari"));
}

TEST(UnnoTable, RowsSlotsAndFilters) {
  UnnoTableEnv t;
  t.Pair();
  TUnnoPageState p;
  TUnnoFillOut out = t.Fill(t.In(), p);
  ASSERT_EQ(out.Rows.size(), 6u);
  EXPECT_EQ(out.Slots[0], "LIN");
  EXPECT_EQ(out.Slots[1], "H");
  EXPECT_TRUE(out.Slots[2].empty());
  EXPECT_TRUE(out.IQUV);
  EXPECT_EQ(p.RowCount, 6);
  for (size_t r = 0; r < 6; ++r) {
    EXPECT_EQ(out.Rows[r][C("GxUIdx")], IntStr(static_cast<int32_t>(r)));
    EXPECT_EQ(out.Rows[r][C("GxUKVari")], IntStr(static_cast<int32_t>(r + 1)));
    EXPECT_EQ(out.Rows[r][C("GxU1Vari")], t.list.Items(static_cast<int32_t>(r))->sULin);
  }
  // the line filter: FE6301 alone
  TUnnoFillIn in = t.In();
  in.Lines = {"fe6301"};  // letter case ignored
  out = t.Fill(in, p);
  ASSERT_EQ(out.Rows.size(), 3u);
  for (const auto& row : out.Rows) EXPECT_EQ(row[C("GxU1Vari")], "FE6301");
  // no quest checked: nothing
  in = t.In();
  in.Quests.clear();
  EXPECT_TRUE(t.Fill(in, p).Rows.empty());
  EXPECT_EQ(p.FirstRow, 0);
  // the parameter filter: H = 1000 exactly as text
  in = t.In();
  in.ParamFilter = {{"H", "1000"}};
  out = t.Fill(in, p);
  ASSERT_EQ(out.Rows.size(), 2u);
  for (const auto& row : out.Rows) EXPECT_EQ(row[C("GxU2Vari")], "1000");
  // the sVari filter only while switched on; case counts
  in = t.In();
  in.sVariFilter = "FE6302";
  out = t.Fill(in, p);
  EXPECT_EQ(out.Rows.size(), 6u);
  in.sVariFilterOn = true;
  EXPECT_EQ(t.Fill(in, p).Rows.size(), 3u);
  in.sVariFilter = "fe6302";
  EXPECT_EQ(t.Fill(in, p).Rows.size(), 0u);
}

TEST(UnnoTable, SecondQuestAddsItsDifferingKeyAndThirteenthKeyIsLeftOut) {
  UnnoTableEnv t;
  TVARIATOR* v = t.AddStep("pair", 1, {"#LIN FE6301 FE6302", "#H 0 1000 2000", "#MOD HSRA"});
  for (int32_t k = 1; k <= v->NK; ++k) {
    v->KIdx = k;
    t.AddProfile("pair", 1, k, v->GetS("LIN"));
  }
  t.AddStep("pair", 2, {"#LIN FE6301", "#H 0", "#MOD HOLMU"});
  t.AddProfile("pair", 2, 1, "FE6301");
  TUnnoPageState p;
  TUnnoFillIn in = t.In();
  in.Quests = {"pair.1", "pair.2"};
  TUnnoFillOut out = t.Fill(in, p);
  EXPECT_EQ(out.Rows.size(), 7u);
  EXPECT_EQ(out.Slots[2], "MOD");
  EXPECT_EQ(out.Rows[6][C("GxU3Vari")], "HOLMU");
  std::vector<std::string> keys;
  for (int k = 1; k <= 13; ++k) keys.push_back("#K" + IntStr(k) + " 1 2");
  t.AddStep("many", 1, keys);
  t.AddProfile("many", 1, 1, "FE6302");
  in.Quests = {"many.1"};
  out = t.Fill(in, p);
  EXPECT_EQ(out.Slots[11], "K12");
  EXPECT_EQ(t.env.Count("Кол-во переменных полей более 12"_cp), 1);
}

TEST(UnnoTable, PagesOfTenOverTwentyFiveProfiles) {
  UnnoTableEnv t;
  TVARIATOR* v = t.AddStep("g", 1, {"#VMA 1 2 3 4 5", "#H 1 2 3 4 5"});
  for (int32_t k = 1; k <= v->NK; ++k) t.AddProfile("g", 1, k, "FE6302");
  TUnnoFillIn in = t.In(true);
  in.Quests = {"g.1"};
  in.PageRows = 10;
  TUnnoPageState p;
  TUnnoFillOut out = t.Fill(in, p);
  ASSERT_EQ(out.Rows.size(), 10u);
  EXPECT_EQ(out.Rows.front()[C("GxUKVari")], "1");
  EXPECT_EQ(p.RowCount, 25);
  int32_t sel = -1;
  UnnoPageChange(p, 2, sel);
  out = t.Fill(in, p);
  EXPECT_EQ(out.Rows.front()[C("GxUKVari")], "11");
  UnnoPageChange(p, 3, sel);
  out = t.Fill(in, p);
  ASSERT_EQ(out.Rows.size(), 5u);
  EXPECT_EQ(p.Page, 3);
  // Page Down on the last page: the page stays, the selection moves to profile 25
  p.CurRow = 1;
  UnnoPageChange(p, 4, sel);
  EXPECT_EQ(p.Page, 3);
  EXPECT_EQ(p.FirstRow + p.CurRow, 25);
  EXPECT_EQ(sel, p.CurRow);
  // Down on the last row of a full page moves the window by one profile
  p.FirstRow = 1;
  p.Page = 1;
  p.CurRow = 9;
  bool refill = false;
  UnnoKeyDown(p, refill);
  EXPECT_TRUE(refill);
  EXPECT_EQ(p.FirstRow, 2);
  EXPECT_EQ(p.CurRow, 9);
  // a first row beyond a shrunk list: no rows, then the last page
  while (t.list.Count() > 12) t.list.DeleteAt(t.list.Count() - 1);
  p.FirstRow = 21;
  out = t.Fill(in, p);
  EXPECT_TRUE(out.Rows.empty());
  EXPECT_EQ(p.FirstRow, 11);
  EXPECT_EQ(t.Fill(in, p).Rows.size(), 2u);
}

TEST(UnnoTable, GroupsOnIntensityAndStokesProfiles) {
  UnnoTableEnv t;
  t.Pair();
  t.list.Items(0)->K4 = 1;
  for (int32_t i = 0; i < t.list.Count(); ++i) t.list.Items(i)->K4 = 1;
  TUnnoPageState p;
  TUnnoFillIn in = t.In();
  for (TUnnoSwitch s : {US_K, US_W, US_M, US_D, US_DD, US_L, US_T, US_WH, US_TT})
    in.On[s] = true;
  TUnnoFillOut out = t.Fill(in, p);
  ASSERT_EQ(out.Rows.size(), 6u);
  EXPECT_FALSE(out.IQUV);
  for (const auto& [col, vis] : UnnoIQUVColumns(out.IQUV, in.On)) EXPECT_FALSE(vis) << col;
  const auto& r0 = out.Rows[0];
  EXPECT_TRUE(r0[C("GxULIpV")].empty());
  EXPECT_EQ(ValRealOr0(r0[C("GxUwV")]), 0);
  EXPECT_EQ(ValRealOr0(r0[C("GxURV")]), 0);
  EXPECT_EQ(ValRealOr0(r0[C("GxU_GM")]), 90);  // MV1 = 0
  EXPECT_NEAR(ValRealOr0(r0[C("GxUd0")]), 60, 0.1);  // the line's central depth 0.6
  EXPECT_GT(ValRealOr0(r0[C("GxUwI")]), 0);
  EXPECT_EQ(r0[C("GxULin6")], "FE6301");
  // one Stokes profile makes the whole table Stokes
  t.list.Items(3)->K4 = 4;
  out = t.Fill(in, p);
  EXPECT_TRUE(out.IQUV);
  EXPECT_FALSE(out.Rows[3][C("GxULIpV")].empty());
  // H of the variator: 1000 on row of KVARI 3 or 4 (LIN fastest or H fastest alike)
  int withH = 0;
  for (const auto& r : out.Rows) withH += r[C("GxUH")] == FSt(6, 0, 1000);
  EXPECT_EQ(withH, 2);
}

TEST(UnnoTable, BadFieldsStopTheFill) {
  UnnoTableEnv t;
  t.Pair();
  TUnnoPageState p;
  TUnnoFillIn in = t.In();
  in.DLam = "x";
  TUnnoFillOut out = t.Fill(in, p);
  EXPECT_EQ(out.Stop, TUnnoStop::BadDLam);
  EXPECT_FALSE(out.RowsCleared);
  EXPECT_EQ(out.DLam, "0");
  in = t.In();
  in.On[US_WH] = true;
  in.LevelMode = "D1";
  out = t.Fill(in, p);
  EXPECT_EQ(out.Stop, TUnnoStop::BadLevelMode);
  EXPECT_TRUE(out.RowsCleared && out.Rows.empty());
  EXPECT_EQ(t.env.Count("должно быть \"1\",\"D0\" или \"Dmax\""_cp), 1);
  in.LevelMode = "Dmax";
  in.Level = "half";
  EXPECT_EQ(t.Fill(in, p).Stop, TUnnoStop::BadLevel);
  // slit bounds swapped with their texts; a bad near bound becomes "0"
  in = t.In();
  in.SplitMin = "150";
  in.SplitMax = "-100";
  out = t.Fill(in, p);
  EXPECT_EQ(out.SplitMin, "-100");
  EXPECT_EQ(out.SplitMax, "150");
  // a profile without its variator is fatal before any row
  t.AddProfile("lost", 1, 1, "FE6302");
  in.Quests.push_back("lost.1");
  EXPECT_NE(FatalOf([&] { t.Fill(in, p); }).find("вариатор Not Assigned"_cp), std::string::npos);
}

TEST(UnnoTable, SelectedCellDescriptorsAndBlurUnits) {
  TUnnoSIdFields f{"2", "km/s ", "0", "0.50", "D0", "0", "0", "0.5"};
  struct Case {
    const char* Caption;
    const char* Want;
  } cases[] = {
      {"width", "width|dLev=0.50|RLevel=D0|Vma=2km/s"},
      {"RI", "RI|Vma=2km/s"},
      {"bi3", "bi3|Vma=2km/s"},
      {"biLC", "biLC|Step=0.5|Vma=2km/s"},
      {"KV", "KV"},
  };
  for (const Case& c : cases) EXPECT_EQ(UnnoSIdDescriptor(c.Caption, f), c.Want) << c.Caption;
  f.Blur = "0";
  f.DLam = "20";
  f.SplitMax = "150";
  EXPECT_EQ(UnnoSIdDescriptor("RI", f), "RI|dLam=20");
  EXPECT_EQ(UnnoSIdDescriptor("wI", f), "wI|slit1=0|slit2=150");
  std::string r;
  ASSERT_TRUE(UnnoBlurConvert("6302.500", "25", true, r));
  EXPECT_EQ(r, "1.18918");
  ASSERT_TRUE(UnnoBlurConvert("6302.500", r, false, r));
  EXPECT_EQ(r, "25");
  EXPECT_FALSE(UnnoBlurConvert("cur Lamb", "25", true, r));
  EXPECT_FALSE(UnnoBlurConvert("6302.5", "0", true, r));
}

TEST(UnnoTable, ContributionFunctionChecks) {
  std::vector<TUnnoRowRef> rows{{0, "cf", 1, "#XM=-2 #LIN FE6302"}, {1, "cf", 1, "#XM=-1 #LIN FE6302"}};
  EXPECT_TRUE(UnnoCFRFCheck(rows).empty());
  rows.push_back({2, "cf", 1, "#XM=abc #LIN FE6302"});
  EXPECT_NE(UnnoCFRFCheck(rows).find("равное <abc>, а это не число!"_cp), std::string::npos);
  rows[2].sVari = "#LIN FE6302 #MOD";
  EXPECT_NE(UnnoCFRFCheck(rows).find("Строка 3 не содержит"_cp), std::string::npos);
  rows[2].sVari = "#XM=0";
  EXPECT_NE(UnnoCFRFCheck(rows).find("в строке 2 изменилось число слов с 3 на 1"_cp), std::string::npos);
  rows[2].Quest = "other";  // rows of other quest steps are not checked
  EXPECT_TRUE(UnnoCFRFCheck(rows).empty());
}

TEST(UnnoTable, Reports) {
  // the dump: inner blanks become "_"
  auto dump = UnnoTableDump({"Idx", "Quest"}, {{"0", "T HOLMU"}, {"1", "pair"}});
  ASSERT_EQ(dump->Count(), 3);
  EXPECT_NE((*dump)[1].find("T_HOLMU"), std::string::npos);
  UnnoTableEnv t;
  t.Pair();
  // the programmable report: step 0 is 2 %, a largest depth of 0.63 gives 31 depth columns
  for (int32_t i = 0; i < t.list.Count(); ++i) t.list.Items(i)->Depth = 0.63;
  auto rep = UnnoCustomReport(t.list, {0, 1}, {"#LIN FE6301", "#LIN FE6302"}, "W", "0");
  EXPECT_EQ(WordCount((*rep)[0]), 32);
  rep = UnnoCustomReport(t.list, {0}, {"a b"}, "2", "10");
  EXPECT_EQ(WordN((*rep)[0], 2), "Ld10.0");
  EXPECT_EQ(WordCount((*rep)[1]), 1 + 2 * 6);
  // one quantity: a profile on another grid gives no column
  t.AddProfile("pair", 1, 6, "FE6302", 4, 0.02);
  auto q = UnnoQuantityTable(t.list, &t.lvari, {0, 6, 2}, "RI");
  ASSERT_TRUE(q);
  EXPECT_EQ(WordCount((*q)[0]), 3);
  EXPECT_EQ(WordN((*q)[0], 1), "DL");
  EXPECT_EQ(q->Count(), 1 + t.list.Items(0)->NDL);
}

TEST(UnnoTable, FieldFromIVKeepsTheNineLevelBisector) {
  UnnoTableEnv t;
  t.Pair();
  TUNNO& u = *t.list.Items(1);
  u.LamC = u.LAMB - 0.02;  // the reference 20 mA blue of the line: a velocity in every slice
  u.Bisector9();
  const auto bi = u.Bi9A;
  u.COGivField(true);
  EXPECT_EQ(u.Bi9A, bi);
  EXPECT_NEAR(u.CogV[4], 0.02 * 299792.4562 / u.LAMB, 0.05);
}

}  // namespace
