// The profile list (lookups by key, deletes, the quest list) and its text: a written block read
// back gives the profile it came from.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "support/SynEnv.h"
#include "support/TestSupport.h"
#include "synthesis/profiles/cvLUnno.h"

using testsupport::SynEnv;
using testsupport::TLine;

namespace {

std::unique_ptr<TUNNO> Prof(const std::string& Q, int32_t IQ, int32_t K, int32_t KDif = 0) {
  auto u = std::make_unique<TUNNO>();
  u->QUEST = Q;
  u->IQ = IQ;
  u->KVARI = K;
  u->KDif = KDif;
  return u;
}

std::string FatalText(const std::function<void()>& F) {
  try {
    F();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return std::string();
}

TEST(LUnno, LookupsByKey) {
  SynEnv env;
  TLUNNO L;
  TUNNO* first = L.Add(Prof("A", 1, 1));
  L.Add(Prof("A", 2, 1));
  TUNNO* last = L.Add(Prof("A", 1, 1));
  L.Add(Prof("A", 1, 2));
  TUNNO* dif = L.Add(Prof("A", 3, 1, 1));
  L.Add(Prof("B", 1, 1));
  L.Add(Prof("A", 0, 1));
  EXPECT_EQ(L.GetByVar("A", 1, 1), last);  // the one added last wins
  EXPECT_NE(L.GetByVar("A", 1, 1), first);
  EXPECT_EQ(L.GetByVar("A", 1, 3), nullptr);
  EXPECT_EQ(L.GetDifByVar("A", 1), dif);
  EXPECT_EQ(L.ListByVar("A", 0, 1).size(), 4u);  // every step, no difference profile
  EXPECT_EQ(L.ListByVar("A", 1, 1).size(), 2u);
  EXPECT_EQ(L.CountQuest("A", 1), 3);
  EXPECT_EQ(L.CountQuest("A", 0), 1);  // IQ compared exactly
  EXPECT_NE(FatalText([&] { L.GetByVar("A", 0, 1); }).find("IQ=0"), std::string::npos);
  auto q = L.QuestList();
  ASSERT_TRUE(q);
  EXPECT_EQ(q->Text(), TStringList({"A 0", "A 1", "A 2", "A 3", "B 1"}).Text());
  EXPECT_EQ(TLUNNO().QuestList(), nullptr);
}

TEST(LUnno, DeletesKeepTheOrderOfTheRest) {
  SynEnv env;
  TLUNNO L;
  for (int i = 0; i < 7; ++i) L.Add(Prof(i == 0 || i == 2 || i == 5 ? "Q" : "R", 1 + i % 2, i));
  L.DeleteQuest("Q");
  ASSERT_EQ(L.Count(), 4);
  const int32_t kept[] = {1, 3, 4, 6};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(L.Items(i)->KVARI, kept[i]);
  L.DeleteQuestIQ("R", 2);  // KVARI 1 and 3
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.Items(0)->KVARI, 4);
  EXPECT_EQ(L.Items(1)->KVARI, 6);
}

// A variator of quest QTEST step 1 with NK combinations, filed in the context's list and made
// the working one.
TVARIATOR* QuestVari(SynEnv& Env, int32_t NK) {
  auto v = std::make_unique<TVARIATOR>("QTEST", 1);
  v->AddP("#LIN FE6302");
  if (NK == 2) v->AddP("#H 0 1000");
  if (NK == 3) v->AddP("#H 0 1000 2000");
  TVARIATOR* p = v.get();
  Env.ctx.LVARI->Append(std::move(v));
  Env.ctx.VARI = p;
  return p;
}

// A computed-looking profile of combination K: half profile, Stokes Q, U, V, CONT not divided.
std::unique_ptr<TUNNO> Computed(int32_t K, double Cont, int32_t K4 = 4) {
  auto u = std::make_unique<TUNNO>();
  TLine line;
  line.C = Cont;
  testsupport::MakeHalf(*u, line, 11, 10);
  u->ALG = "CONT";
  u->QUEST = "QTEST";
  u->IQ = 1;
  u->KVARI = K;
  u->sULin = "FE6302";
  u->K4 = K4;
  u->KMJU = 1;
  u->MJU = 0.8;
  u->KLGT = 1;
  u->LGT = -3.25;
  u->KCONT = 0;
  u->DLVD = 0.042046;
  if (K4 == 4)
    for (int32_t i = 1; i <= u->NDL; ++i) {
      u->UQ[i] = Cont * 0.01 * i;
      u->UU[i] = -Cont * 0.002 * i;
    }
  else
    for (TARe* a : {&u->UQ, &u->UU, &u->UV}) TARe().swap(*a);
  return u;
}

// Written to a file, read back.
std::unique_ptr<TLUNNO> RoundTrip(testsupport::TempDir& Dir, const std::vector<TUNNO*>& Us,
                                  int32_t N) {
  TStringList text;
  text.Add("! control text would stand here");
  for (TUNNO* u : Us) text.AddStrings(*UnnoReport(*u));
  const std::string file = Dir.file("r.txt");
  text.SaveToFile(file);
  auto L = std::make_unique<TLUNNO>();
  L->LoadFromFile(file, N);
  return L;
}

void ExpectSame(const TUNNO& A, const TUNNO& B) {
  ASSERT_EQ(A.NDL, B.NDL);
  EXPECT_EQ(A.K4 == 0 ? 4 : A.K4, B.K4);
  EXPECT_EQ(A.KSym, B.KSym);
  EXPECT_EQ(A.KCONT, B.KCONT);
  EXPECT_NEAR(A.CONT, B.CONT, std::fabs(A.CONT) * 1e-7);
  EXPECT_NEAR(A.DLVD, B.DLVD, 5e-6);
  EXPECT_NEAR(A.LAMB, B.LAMB, 5e-5);
  EXPECT_NEAR(A.LGT, B.LGT, 1e-4);
  EXPECT_NEAR(A.MJU, B.MJU, 1e-4);
  EXPECT_EQ(A.sULin, B.sULin);
  for (int32_t i = 1; i <= A.NDL; ++i) {
    EXPECT_NEAR(A.UL[i], B.UL[i], 1e-6) << i;
    const double tol = std::fabs(A.CONT) * 1e-9 + 1e-12;
    EXPECT_NEAR(A.UI[i], B.UI[i], std::fabs(A.UI[i]) * 1e-9 + tol) << i;
    if (B.K4 != 1) {
      EXPECT_NEAR(A.UQ[i], B.UQ[i], std::fabs(A.UQ[i]) * 1e-9 + tol) << i;
      EXPECT_NEAR(A.UU[i], B.UU[i], std::fabs(A.UU[i]) * 1e-9 + tol) << i;
      EXPECT_NEAR(A.UV[i], B.UV[i], std::fabs(A.UV[i]) * 1e-9 + tol) << i;
    }
  }
}

TEST(LUnnoText, WrittenBlocksReadBackAsTheyWere) {
  struct TCase {
    const char* name;
    double cont;
    int32_t k4, kcont;
  } cases[] = {
      {"divided at output", 3.2, 4, 0},
      {"continuum 1, undivided", 1, 4, 0},
      {"large continuum", 2.5e13, 4, 0},
      {"already divided", 2.5e13, 4, 1},
      {"intensity only", 7.5, 1, 0},
      {"K4 0 means four", 1, 0, 0},
  };
  for (const TCase& c : cases) {
    SynEnv env;
    testsupport::TempDir dir;
    QuestVari(env, 2);
    auto a = Computed(1, c.cont, c.k4 == 1 ? 1 : 4);
    auto b = Computed(2, c.cont, c.k4 == 1 ? 1 : 4);
    a->K4 = b->K4 = c.k4;
    if (c.kcont == 1) {
      a->DivCont();
      b->DivCont();
    }
    auto L = RoundTrip(dir, {a.get(), b.get()}, 2);
    ASSERT_EQ(L->Count(), 2) << c.name;
    SCOPED_TRACE(c.name);
    ExpectSame(*a, *L->Items(0));
    ExpectSame(*b, *L->Items(1));
    EXPECT_EQ(L->Items(1)->KVARI, 2);
    EXPECT_EQ(L->Items(1)->QUEST, "QTEST");
  }
}

TEST(LUnnoText, WriterFormsAndLeavesTheProfile) {
  SynEnv env;
  QuestVari(env, 1);
  auto u = Computed(1, 2.5e13);
  for (TARe* a : {&u->UQ, &u->UU, &u->UV})
    for (double& v : *a) v = 0;
  auto r = UnnoReport(*u);
  const std::string text = r->Text();
  EXPECT_NE(text.find("CONT=25E+12"), std::string::npos) << text;
  EXPECT_NE(text.find("ПРИ ВЫВОДЕ"_cp), std::string::npos);
  EXPECT_NE(text.find("DLVD= 42.05"), std::string::npos) << text;
  EXPECT_NE(text.find("VARI_K=1 VARI_N=1 : "), std::string::npos);
  EXPECT_NE(text.find(" D_LAMB "), std::string::npos);
  // zero Q, U, V stay in the profile (no intensity-only rewrite)
  EXPECT_EQ(u->K4, 4);
  EXPECT_EQ(u->UQ.size(), u->UI.size());
}

TEST(LUnnoText, AbsoluteColumnWithReferenceWavelength) {
  SynEnv env;
  testsupport::TempDir dir;
  QuestVari(env, 1);
  Synthesis().Lam0ForPu.Install([] { return std::string("6300"); });
  auto u = Computed(1, 1.5);
  const int32_t saved = TraceMask;
  TraceMask |= 1 << 28;
  std::unique_ptr<TLUNNO> L;
  const std::string text = UnnoReport(*u)->Text();
  L = RoundTrip(dir, {u.get()}, 1);
  TraceMask = saved;
  EXPECT_NE(text.find(" LAMBDA "), std::string::npos);
  EXPECT_NE(text.find("LAM0=6300"), std::string::npos) << text;
  ASSERT_EQ(L->Count(), 1);
  ExpectSame(*u, *L->Items(0));
}

TEST(LUnnoText, ReaderRefusesCountAndOrderAndEndsShortTables) {
  SynEnv env;
  testsupport::TempDir dir;
  QuestVari(env, 3);
  auto a = Computed(1, 1), b = Computed(3, 1);
  // blocks 1, 3: refused at the second block
  std::string err = FatalText([&] { RoundTrip(dir, {a.get(), b.get()}, 3); });
  EXPECT_NE(err.find("Нарушен порядок профилей"_cp), std::string::npos) << err;
  // a count that is not the variator's
  QuestVari(env, 2);
  err = FatalText([&] { RoundTrip(dir, {a.get()}, 3); });
  EXPECT_NE(err.find("Число вариантов"_cp), std::string::npos) << err;
  // a table with fewer rows than NDL ends at the "=====" line
  QuestVari(env, 1);
  TStringList text = *UnnoReport(*a);
  for (int i = text.Count() - 1; i >= 0; --i)
    if (text[i].find(" 20.0000") != std::string::npos || text[i].find(" 30.0000") != std::string::npos)
      text.Delete(i);
  const std::string file = dir.file("short.txt");
  text.SaveToFile(file);
  TLUNNO L;
  L.LoadFromFile(file, 1);
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.Items(0)->NDL, a->NDL - 2);
}

TEST(LUnnoText, ReportVarWritesTheCombinationsProfiles) {
  SynEnv env;
  QuestVari(env, 2);
  TLUNNO L;
  L.Add(Computed(1, 1));
  L.Add(Computed(2, 1));
  L.Add(Computed(2, 1));
  EXPECT_EQ(L.ReportVar("QTEST", 1, 3)->Count(), 0);
  const std::string two = L.ReportVar("QTEST", 1, 2)->Text();
  size_t n = 0;
  for (size_t p = two.find("UNNO_PROF"); p != std::string::npos; p = two.find("UNNO_PROF", p + 1))
    ++n;
  EXPECT_EQ(n, 2u);
}

TEST(LUnnoText, TransposedAndShortLayoutsMirrorAHalfProfile) {
  SynEnv env;
  QuestVari(env, 1);
  TUNNO u;
  u.SetDefaults();
  u.PureUL(3, 0, 6302.5, 20, 0);
  u.AllocU();
  u.QUEST = "QTEST";
  u.IQ = 1;
  u.KVARI = 1;
  u.K4 = 4;
  u.CONT = 2;  // divided at output
  const double I[] = {0, 0.8, 1.2, 1.8}, V[] = {0, 0, 0.1, 0.02};
  for (int32_t i = 1; i <= 3; ++i) {
    u.UI[i] = I[i];
    u.UV[i] = V[i];
  }
  const auto report = UnnoReport4Quenrad(u);
  const TStringList& r = *report;
  auto row = [&](const std::string& Label) {
    for (int i = 0; i < r.Count(); ++i)
      if (r[i].rfind(Label, 0) == 0) return r[i];
    return std::string();
  };
  // each label ends in a tab and each value is preceded by one
  EXPECT_EQ(row("DL :"), "DL :\t\t -20\t -10\t   0\t  10\t  20");
  EXPECT_EQ(row("RI :"), "RI :\t\t 900\t 600\t 400\t 600\t 900");
  EXPECT_EQ(row("RV :"), "RV :\t\t -10\t -50\t   0\t  50\t  10");
  EXPECT_EQ(row("I+V:"), "I+V:\t\t 890\t 550\t 400\t 650\t 910");
  u.KMJU = 1;
  u.MJU = 1;
  auto s = UnnoReportShort(u);
  ASSERT_EQ(s->Count(), 3);
  EXPECT_NE((*s)[1].find("FE6302 6302.500 NDL=3 DL:        -20  -10    0   10   20"),
            std::string::npos)
      << (*s)[1];
  EXPECT_EQ((*s)[2], "MJU=1.      900  600  400  600  900");
}

}  // namespace
