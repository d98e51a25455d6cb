// The line-fit tables: the four "Make VARI" builders (the exact texts they give the variator and
// the variator they leave), the clearing of marked cases, the DI run from a variator (defaults,
// kept values, refused counts that store nothing), the Di page and the Dialog scale parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvDialog.h"
#include "synthesis/fit/cvPageView.h"
#include "support/TestSupport.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/support/SynEnv.h"

namespace {

std::vector<std::string> Calls(const TStringList& L) {
  std::vector<std::string> r;
  for (int i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

TDiCase Case(const std::string& Name, double Cteta, double Weight = 1,
             const std::string& Quest = "OBS") {
  TDiCase c;
  c.Name = Name;
  c.CTETA = Cteta;
  c.Weight = Weight;
  c.QUEST = Quest;
  return c;
}

// A fresh variator with one varied key, so that ConcateP has something to join to.
struct TFixture {
  testsupport::SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope{calc};
  TDi D;
  TVARIATOR V{"DI", 1};
  TStringList calls;
};

TEST(DiBuilders, CasesWriteOneValueOrADimensionJoinedByCteta) {
  {
    TFixture f;  // two equal cases: one value each
    f.D.nCase = 2;
    f.D.Cases[1] = Case("A", 1.0);
    f.D.Cases[2] = Case("A", 1.0);
    ASSERT_TRUE(f.D.VariLoadCases(f.V, &f.calls));
    EXPECT_EQ(Calls(f.calls),
              (std::vector<std::string>{"AddP #QUESTObs OBS", "AddP #sObs A", "AddP #CTETA 1"}));
    EXPECT_EQ(f.V.NK, 1);
  }
  {
    TFixture f;  // A at 1.0 and B at 0.8, a case of weight 0 between them left out
    f.D.nCase = 3;
    f.D.Cases[1] = Case("A", 1.0);
    f.D.Cases[2] = Case("Z", 0.5, 0);
    f.D.Cases[3] = Case("B", 0.8);
    ASSERT_TRUE(f.D.VariLoadCases(f.V, &f.calls));
    EXPECT_EQ(Calls(f.calls), (std::vector<std::string>{"AddP #QUESTObs OBS", "AddP #sObs A B",
                                                        "ConcateP #CTETA 1 0.8"}));
    EXPECT_EQ(f.V.NK, 2);
    EXPECT_TRUE(f.V.IsJoined("#CTETA"));
  }
  {
    TFixture f;  // CTETA 0 first: one change only, the single value 0.8
    f.D.nCase = 3;
    f.D.Cases[1] = Case("A", 0);
    f.D.Cases[2] = Case("A", 0.8);
    f.D.Cases[3] = Case("A", 0.8);
    ASSERT_TRUE(f.D.VariLoadCases(f.V, &f.calls));
    EXPECT_EQ(Calls(f.calls).back(), "AddP #CTETA 0.8");
  }
  {
    TFixture f;  // no case, and more than five: boxes, nothing added
    EXPECT_FALSE(f.D.VariLoadCases(f.V, &f.calls));
    f.D.nCase = 6;
    EXPECT_FALSE(f.D.VariLoadCases(f.V, &f.calls));
    EXPECT_EQ(f.calls.Count(), 0);
    EXPECT_EQ(f.V.Count(), 0);
    EXPECT_EQ(f.env.Count("DiVariLoadCases nCase=6 > max(nCase)=5"), 1);
    EXPECT_EQ(f.env.Count("Не определено ни одной области наблюдений #QUESTObs"_cp), 1);
  }
}

TEST(DiBuilders, SpansWriteEveryPerPlusFirstOffset) {
  TFixture f;
  f.D.nLams = 2;
  TDiLamSpan& s = f.D.Span(1);
  s.Calc = true;
  s.LIN = "FE6302";
  s.LAMB = 6302.5;
  s.Per = 2;
  s.Lams.assign(11, 0.0);
  for (int k = 1; k <= 10; ++k) s.Lams[static_cast<size_t>(k)] = 6302.5 + (k - 5) * 0.01;
  f.D.Span(2).LIN = "FE6301";  // not calculated
  ASSERT_TRUE(f.D.VariLoadLins(f.V, &f.calls));
  // points 1, 4, 7, 10 of the span
  EXPECT_EQ(Calls(f.calls), (std::vector<std::string>{"AddP #LIN FE6302", "AddP #LAMB 6302.5",
                                                      "AddPSL #LAMS |-40 -10 20 50"}));
  // a span without wavelengths: the box, nothing written
  TFixture g;
  g.D.nLams = 1;
  g.D.Span(1).Calc = true;
  g.D.Span(1).LIN = "FE6301";
  EXPECT_FALSE(g.D.VariLoadLins(g.V, &g.calls));
  EXPECT_EQ(g.calls.Count(), 0);
  EXPECT_EQ(g.env.Count("массив длин волн для линии FE6301 не сформирован!"_cp), 1);
}

TEST(DiBuilders, LineParsAsWordsOrAsOneWholeValue) {
  TFixture f;
  f.D.nLin = 1;
  f.D.Lines[1].LIN = "FE6302";
  f.D.Lines[1].Calc = true;
  f.D.Lines[1].dLGGF = 0.25;
  ASSERT_TRUE(f.D.VariLoadLinePars(f.V, &f.calls));
  EXPECT_EQ(Calls(f.calls), (std::vector<std::string>{"AddP #LINn FE6302", "AddP #dLGGFn 0.25",
                                                      "AddP #dLAMBn 0"}));
  TFixture g;
  g.D.nLin = 2;
  g.D.Lines[1] = f.D.Lines[1];
  g.D.Lines[2].LIN = "FE6301";
  g.D.Lines[2].Calc = true;
  g.D.Lines[2].dLAMB = 0.001;
  ASSERT_TRUE(g.D.VariLoadLinePars(g.V, &g.calls));
  EXPECT_EQ(g.calls[0], "AddPQOneStr #LINn FE6302 FE6301");
  EXPECT_EQ(g.V.NVals("#LINn"), 1);
  EXPECT_EQ(g.V.GetS("#dLAMBn"), "0 0.001");
  EXPECT_EQ(g.V.GetS("#dLGGFn"), "0.25 0");
}

TEST(DiBuilders, ComponentsInUseGiveModelsAndTheirChanges) {
  {
    TFixture f;  // three components, only the first in use, V_0 = 10: no "#VD "
    f.D.nMod = 3;
    for (int m = 1; m <= 3; ++m) {
      TDiMod& d = f.D.Mod(m);
      d.Name = m == 1 ? "HOLMU" : "CV";
      d.PART = m == 1 ? 1 : 0;
      d.EWAN = 1;
      d.Vmi_0 = 1;
      d.V_0 = 10;
      d.H_0 = 500;
      d.GM_0 = 30;
      d.XI_0 = 20;
    }
    ASSERT_TRUE(f.D.MakeVariPars(f.V, &f.calls));
    EXPECT_EQ(Calls(f.calls),
              (std::vector<std::string>{"AddPSL #MOD |T HOLMU", "AddP #PART 1", "AddP #EWAN 1",
                                        "AddP #VMI 1", "AddP #H  500", "AddP #GM 30",
                                        "AddP #XI 20"}));
    EXPECT_EQ(f.V.GetS("#MOD"), "T HOLMU");
  }
  for (double v2 : {5.0, 7.0}) {
    TFixture f;  // two named components, V_0 5 and 5 (one value) or 5 and 7 (joined to #MOD)
    f.D.nMod = 2;
    f.D.Mod(1).Name = "HOLMU";
    f.D.Mod(2).Name = "CV";
    f.D.Mod(1).PART = f.D.Mod(2).PART = 50;  // per cent
    f.D.Mod(1).V_0 = 5;
    f.D.Mod(2).V_0 = v2;
    f.D.Mod(1).Vmi_0 = f.D.Mod(2).Vmi_0 = f.D.Mod(1).H_0 = f.D.Mod(2).H_0 = -1;
    f.D.Mod(1).GM_0 = f.D.Mod(2).GM_0 = f.D.Mod(1).XI_0 = f.D.Mod(2).XI_0 = -1;
    ASSERT_TRUE(f.D.MakeVariPars(f.V, &f.calls));
    if (v2 == 5) {
      EXPECT_EQ(Calls(f.calls), (std::vector<std::string>{"AddPSL #MOD |T HOLMU|T CV",
                                                          "AddP #PART 50", "AddP #VD 5"}));
      EXPECT_EQ(f.V.NK, 2);
    } else {
      EXPECT_EQ(Calls(f.calls), (std::vector<std::string>{"AddPSL #MOD |T HOLMU|T CV",
                                                          "ConcateP #VD 5 7", "AddP #PART 50"}));
      EXPECT_TRUE(f.V.IsJoined("#VD"));
      EXPECT_EQ(f.V.NK, 2);
    }
  }
}

TEST(DiTables, ClearObsKeepsTheUnmarkedCasesInOrder) {
  TDi D;
  D.nCase = 5;
  for (int i = 1; i <= 5; ++i) {
    D.Cases[static_cast<size_t>(i)] = Case("C" + std::to_string(i), i / 10.0);
    D.Cases[static_cast<size_t>(i)].Show = i == 2 || i == 4;
  }
  D.ClearObs();
  ASSERT_EQ(D.nCase, 3);
  EXPECT_EQ(D.Cases[1].Name, "C1");
  EXPECT_EQ(D.Cases[2].Name, "C3");
  EXPECT_EQ(D.Cases[3].Name, "C5");
  for (int i = 4; i <= 5; ++i) {
    EXPECT_TRUE(D.Cases[static_cast<size_t>(i)].Name.empty());
    EXPECT_EQ(D.Cases[static_cast<size_t>(i)].CTETA, 0);
  }
  // lines likewise, by their Calc marks
  D.nLin = 3;
  for (int i = 1; i <= 3; ++i) {
    D.Lines[static_cast<size_t>(i)].LIN = "L" + std::to_string(i);
    D.Lines[static_cast<size_t>(i)].Calc = i != 2;
  }
  D.ClearLin();
  ASSERT_EQ(D.nLin, 1);
  EXPECT_EQ(D.Lines[1].LIN, "L2");
  EXPECT_TRUE(D.Lines[2].LIN.empty());
}

// A DI step's variator from control lines ("#KEY values").
struct TDiRun {
  testsupport::SynEnv env;
  TOwnCalcContext calc;
  TCalcScope scope{calc};
  TVARIATOR V{"DIQ", 2};
  explicit TDiRun(const std::vector<std::string>& Lines) {
    for (const auto& l : Lines) V.AddP(l);
    env.ctx.VARI = &V;
  }
  void Run() {
    TJob job("DI");
    {
      TJobScope js(job);
      AlgDi(job);
    }
    for (const auto& w : job.Warnings()) warnings.push_back(w.Text);
  }
  int Count(const std::string& Part) const {
    int n = env.Count(Part);
    for (const auto& t : warnings) n += t.find(Part) != std::string::npos;
    return n;
  }
  std::vector<std::string> warnings;
};

TEST(DiRun, FillsTheTablesWithDefaultsAndKeepsWhatItDoesNotRead) {
  TDiRun r({"#nMOD 2", "#PART1 0.7", "#LIN0 FE6301 FE6302 TI5000",
            "#VMA1 1 2 3", "#VMA2 4 5 6", "#VMA3 7 8 9", "#ObsList P1 P2", "#CTETA 1 0.8"});
  TVARIATOR& V = r.V;
  V.AddPQOneStr("#MOD1 T CV", true);
  V.AddPQOneStr("#MOD3 HSRA", true);  // one word: an empty name
  Di().Lines[2].dLAMB = 0.003;        // no "#dLAM0": kept
  r.Run();
  TDi& D = Di();
  EXPECT_EQ(D.nMod, 2);
  EXPECT_EQ(D.Mod(1).Name, "CV");
  EXPECT_EQ(D.Mod(2).Name, "HOLMU");
  EXPECT_EQ(D.Mod(3).Name, "");
  EXPECT_EQ(D.Mod(1).PART, 0.7);
  EXPECT_EQ(D.Mod(2).PART, 1);
  EXPECT_EQ(D.Mod(2).EWAN, 1);
  ASSERT_EQ(D.nLin, 3);
  EXPECT_EQ(D.nLams, 3);
  EXPECT_EQ(D.Lines[2].LIN, "FE6302");
  EXPECT_EQ(D.Lines[2].dLAMB, 0.003);
  EXPECT_EQ(D.Lines[3].Vma[2], 6);
  EXPECT_TRUE(D.Lines[3].Calc);
  EXPECT_TRUE(D.Span(3).Calc);
  ASSERT_EQ(D.nCase, 2);
  EXPECT_EQ(D.Cases[2].Name, "P2");
  EXPECT_EQ(D.Cases[2].CTETA, 0.8);
  EXPECT_EQ(D.Cases[2].QUEST, "DIQ");
  EXPECT_EQ(D.Cases[2].IQ, 2);
  ASSERT_EQ(D.nAt, 2);
  EXPECT_EQ(D.Atoms[1].At, "FE");
  EXPECT_EQ(D.Atoms[2].At, "TI");
  // the Di page was refreshed
  EXPECT_EQ(DiPage().Grid("ngDiLines").RowCount(), 3);
  EXPECT_EQ(DiPage().Grid("ngCases").At("gxObsName", 1), "P2");
}

TEST(DiRun, RefusedCountsStoreNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"#ObsList A B C D E F", "#CTETA 1 1 1 1 1 1"}, "AlgDi nCase=6 > max(nCase)=5"},
      {{"#nMOD 4"}, "AlgDi #nMOD=4 > max(nMod)=3"},
      {{"#LIN0 A1 A2 A3 A4 A5 A6", "#VMA1 1 1 1 1 1 1", "#VMA2 1 1 1 1 1 1", "#VMA3 1 1 1 1 1 1"},
       "AlgDi #LIN0: nLams=6 > max(nLams)=5"},
  };
  for (const auto& [lines, message] : cases) {
    TDiRun r(lines);
    Di().nCase = 1;
    Di().Cases[1].Name = "KEEP";
    Di().nLin = 1;
    Di().Lines[1].LIN = "KEEPLIN";
    r.Run();
    EXPECT_EQ(r.Count(message), 1) << message;
    EXPECT_EQ(Di().nCase, 1) << message;
    EXPECT_EQ(Di().Cases[1].Name, "KEEP");
    EXPECT_EQ(Di().nLin, 1);
    EXPECT_EQ(Di().Lines[1].LIN, "KEEPLIN");
    EXPECT_EQ(Di().nMod, 0);
  }
}

TEST(DiPageView, ModelNumberIsCorrectedAndLinesShowTheRequestedComponent) {
  TDi D;
  D.nMod = 2;
  D.Mod(1).EWAN = 1.5;
  D.Mod(2).EWAN = 2.5;
  D.nLin = 1;
  D.Lines[1].LIN = "FE6302";
  D.Lines[1].Vma = {0, 1.1, 2.2, 3.3};
  TPageView P;
  int32_t m = 0;
  D.UpDate(P, m, {"CV", "HOLMU"});
  EXPECT_EQ(m, 1);
  EXPECT_TRUE(P.Ctl("rbCurMod1").Checked);
  EXPECT_EQ(P.Text("edEwan"), "1.5");
  EXPECT_EQ(P.Ctl("cb_Mod2").Items, (std::vector<std::string>{"CV", "HOLMU"}));
  m = 3;  // beyond nMod: the lines show component 3, the fields component 1
  D.UpDate(P, m, {});
  EXPECT_TRUE(P.Ctl("rbCurMod3").Checked);
  EXPECT_FALSE(P.Ctl("rbCurMod1").Checked);
  EXPECT_EQ(P.Grid("ngDiLines").At("gxVma", 0), "3.3");
  EXPECT_EQ(P.Text("edEwan"), "1.5");
  EXPECT_EQ(m, 1);
  // more than five cases: the box, after lines, spans and fields
  D.nCase = 6;
  testsupport::SynEnv env;
  D.UpDate(P, m, {});
  EXPECT_EQ(env.Count("Di.UpDate nCase=6 > max(nCase)=5"), 1);
}

TEST(DialogPageBuild, ASecondRunDropsTheRowsItDoesNotBuild) {
  testsupport::SynEnv env;
  testsupport::TempDir dir;
  ResetModelServices();
  Models().ProjectDir.Install([&] { return dir.str() + "/"; });
  std::filesystem::create_directories(dir.file("ONE"));
  testsupport::WriteFile(dir.file("ONE/obs.DAT"), "#LIN A B #\n#RUN VARI #\n");
  TOwnCalcContext calc;
  TCalcScope scope(calc);
  TLUNNO list;
  TPageView page;
  auto run = [&](const std::vector<std::string>& Rows) {
    TVARIATOR V("QTEST", 1);
    V.AddP("#Q_OBS obs");
    V.AddP("#OBS_V LIN");
    for (const std::string& r : Rows) V.AddPQOneStr(r, true);
    env.ctx.VARI = &V;
    TJob job("DIA");
    EXPECT_TRUE(RunJob(job, [&](TJob& J) { DialogBuildInto(J, list, page); })) << job.Error();
    env.ctx.VARI = nullptr;
  };
  run({"#ADJ_PAR1 A", "#ADJ_SCALE1 1 0 2", "#ADJ_PAR2 B", "#ADJ_SCALE2 1 0 4",
       "#ADJ_PAR4 C", "#ADJ_SCALE4 10 0 100"});
  EXPECT_EQ(page.Text("edKey4"), "C");
  EXPECT_EQ(page.Ctl("tbKey2").Position, 25);
  EXPECT_EQ(page.Ctl("tbKey4").Top, page.Ctl("tbKey2").Top + page.Ctl("tbKey2").Height);
  EXPECT_EQ(page.Ctl("cbObsVal").Items, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(page.Grid("ngVARIobs").At("gxVariOCh", 0), "1");
  run({"#ADJ_PAR1 A", "#ADJ_SCALE1 1 0 2"});
  for (const char* gone : {"edKey2", "tbKey2", "edKey4", "btScalR4", "cbScalWN2"})
    EXPECT_FALSE(page.Has(gone)) << gone;
  EXPECT_EQ(page.Ctl("tbKey1").Position, 50);
  EXPECT_TRUE(page.Visible);
  ResetModelServices();
}

TEST(DialogScale, ParsesWordsAndPlacesTheSlider) {
  testsupport::SynEnv env;
  TVARIATOR V("DIA", 1);
  V.AddPQOneStr("#ADJ_SCALE1 1000 2 4 L", true);
  V.AddPQOneStr("#ADJ_SCALE2 2.5 0 10", true);
  V.AddPQOneStr("#ADJ_SCALE3 1 x 10", true);
  TAdjScale s;
  ASSERT_TRUE(AdjScaleParse(V, "#ADJ_SCALE1", "F.DAT", s));
  EXPECT_EQ(s.Kind, 1);
  EXPECT_EQ(AdjTrackPos(s), 50);
  ASSERT_TRUE(AdjScaleParse(V, "#ADJ_SCALE2", "F.DAT", s));
  EXPECT_EQ(s.Kind, 0);
  EXPECT_EQ(AdjTrackPos(s), 25);
  EXPECT_FALSE(AdjScaleParse(V, "#ADJ_SCALE3", "F.DAT", s));
  EXPECT_EQ(env.Count("Ошибка в стартовом файле данных F.DAT\r\nВо входном параметре "
                      "#ADJ_SCALE3 во втором слове <x>- не число!"_cp),
            1);
}

}  // namespace
