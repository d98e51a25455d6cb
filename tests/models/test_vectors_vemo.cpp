// One model vector: interpolation, probe layers, report widths, copies and modifiers, variator
// values and the depth-profile builders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "models/vectors/cvVeLinks.h"
#include "models/vectors/cvVemoAt.h"
#include "models/support/VectorsEnv.h"

using testsupport::VectorsEnv;

namespace {

// A vector T of model M on grid 1 (105 layers, X = 1.2 .. -4.0) with the given constant.
TVEMO* GridT(VectorsEnv& E, double V = 5000) {
  TVEMO* t = E.Init1("M", "T");
  VeMoFillConst(*t, t->LGTAU->N, V);
  return t;
}

int32_t At(const TVEMO& V, double X) {
  for (int32_t i = 1; i <= V.N; ++i)
    if (std::fabs(V.LGTAU->A[i] - X) < 1e-9) return i;
  return 0;
}

TEST(VectorsVemo, ParseHoleCases) {
  VectorsEnv env;
  TVEMO* t = GridT(env);
  struct {
    const char* text;
    bool ok;
    char ch;
    double val, xl, xu;
  } cases[] = {
      {"YC 5000 -1 0.2", true, 'C', 5000, -0.9, -1.1},
      {"YCT 5000 -1 0.2", true, 'C', static_cast<double>(PhysThetaFactor / 5000), -0.9, -1.1},
      {"YM 1.1 0 0.5", true, 'M', 1.1, 0.25, -0.25},
      {"YP 3 -2 1", true, 'P', 3, -1.5, -2.5},
      {"YR 100 -1 0.2", false, 0, 0, 0, 0},
      {"YC 5000 -1", false, 0, 0, 0, 0},
      {"YC 5000 -1 x", false, 0, 0, 0, 0},
      {"QC 5000 -1 0.2", false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    t->Ch = 0, t->Val = t->XL = t->XU = 0;
    env.sink.texts.clear();
    EXPECT_EQ(t->ParseHole(c.text), c.ok) << c.text;
    EXPECT_EQ(t->Ch, c.ch) << c.text;
    EXPECT_NEAR(t->Val, c.val, 1e-12) << c.text;
    EXPECT_NEAR(t->XL, c.xl, 1e-12) << c.text;
    EXPECT_NEAR(t->XU, c.xu, 1e-12) << c.text;
  }
  t->ParseHole("YR 100 -1 0.2");
  EXPECT_TRUE(env.sink.Has("надо заменить <YR> на <YP>"_cp));
}

TEST(VectorsVemo, LayerAndInterpolation) {
  VectorsEnv env;
  TVEMO* t = GridT(env);
  for (int i = 1; i <= t->N; ++i) t->A[i] = 5000 + 100 * t->LGTAU->A[i];
  t->SetFilled();
  t->Ch = 'C', t->Val = 7000, t->XU = -1, t->XL = 0;
  for (double x : {-1.0, 0.0, -0.5}) EXPECT_EQ(t->func(x), 7000) << x;
  EXPECT_NEAR(t->func(0.0001), 5000.01, 1e-6);
  t->Ch = 'M', t->Val = 10;
  EXPECT_NEAR(t->func(-0.5), 4960, 1e-6);
  t->Ch = '*', t->Val = 2;
  EXPECT_NEAR(t->func(-0.5), 9900, 1e-6);
  t->Ch = 'P';
  EXPECT_NEAR(t->func(-0.5), 4950, 1e-6);
  t->Ch = 0;
  // linear beyond the grid, unknown codes warn and give 0
  t->ChIPOL = '2';
  EXPECT_NEAR(t->func0(1.25), 5125, 1e-9);
  EXPECT_NEAR(t->func0(-4.05), 4595, 1e-9);
  t->ChIPOL = 'Z';
  EXPECT_EQ(t->func0(0), 0);
  EXPECT_TRUE(env.sink.Has("ERR TVEMO.func0 ChIPOL=<Z>"));
  // a refill drops the spline; the next value builds it again
  t->ChIPOL = 'S';
  EXPECT_NEAR(t->func0(-1.02), 4898, 1e-6);
  EXPECT_EQ(t->KSpl, TVEMO::SplineMark);
  t->A[1] = 1;
  t->SetFilled();
  EXPECT_EQ(t->KSpl, 0u);
  EXPECT_EQ(t->SPLINE, nullptr);
  EXPECT_NEAR(t->func0(1.2), 1, 1e-9);
  // the depth vector itself is refused
  EXPECT_NE(VectorsEnv::FatalText([&] { t->LGTAU->SplineInit(); }).find("главным вектором глубин"_cp),
            std::string::npos);
}

TEST(VectorsVemo, SetHoleFromAndCheckHole) {
  VectorsEnv env;
  TVEMO* t = GridT(env);
  t->SetHoleFrom('*', -0.9, -1.1, 4, 9, 0, 1);
  EXPECT_EQ(t->Val, 0);
  t->SetHoleFrom('*', -0.9, -1.1, 4, 9, 1, 1);
  EXPECT_DOUBLE_EQ(t->Val, 6);
  t->SetHoleFrom('C', -0.9, -1.1, 4, 8, 0, 0);
  EXPECT_DOUBLE_EQ(t->Val, 6);
  t->SetHoleFrom('M', -0.9, -1.1, 4, 8, 1, 1);
  EXPECT_DOUBLE_EQ(t->Val, 5);
  TVEMO other;
  other.NAME = "VMI";
  other.Ch = 'C', other.XL = -0.9, other.XU = -1.1;
  EXPECT_NE(VectorsEnv::FatalText([&] { t->CheckHole("PMOD3", &other); }).find("разного типа T[M] <> VMI[C]"_cp),
            std::string::npos);
  other.Ch = 'C';
  t->Ch = 'C';
  other.XL = -0.8;
  EXPECT_NE(VectorsEnv::FatalText([&] { t->CheckHole("PMOD3", &other); }).find("с разной границей X0"_cp),
            std::string::npos);
}

TEST(VectorsVemo, ReportWidths) {
  VectorsEnv env;
  TVEMO* t = GridT(env);
  struct {
    double lo, hi;
    char chf;
    int32_t d0, wMin, wMax;
  } cases[] = {
      {5, 9000, 'F', 3, 8, 8},       // 9000.000
      {0.0005, 2, 'E', 0, 9, 9},     // below 0.001
      {0.05, 0.5, 'F', 5, 7, 9},     // m = 3
      {2, 1e9, 'E', 0, 9, 9},        // too wide for a fixed text
  };
  for (const auto& c : cases) {
    for (int i = 1; i <= t->N; ++i) t->A[i] = i == 1 ? c.hi : c.lo;
    t->SetFilled();
    t->RepSet->Set(1, 'N', "T", 0, 4, 1);
    t->RepSetLeng();
    EXPECT_EQ(t->RepSet->ChF, c.chf) << c.lo << " " << c.hi;
    EXPECT_EQ(t->RepSet->D0, c.d0) << c.lo << " " << c.hi;
    EXPECT_GE(t->RepSet->W, c.wMin) << c.lo << " " << c.hi;
    EXPECT_LE(t->RepSet->W, c.wMax) << c.lo << " " << c.hi;
    EXPECT_EQ(t->KRepSe, 2);
  }
  t->RepSet->Set(1, 'N', "Temperature", -1, 4, 0);
  EXPECT_EQ(t->RepSet->Mul, 1);
  t->RepSetLeng();
  EXPECT_EQ(t->RepSet->ChF, 'R');
  EXPECT_EQ(t->RepSet->W, 23);
  TVEMO* v = env.Init1("M", "VMI");
  EXPECT_NE(VectorsEnv::FatalText([&] { v->RepSetLeng(); }).find("надо заполнить вектор!"_cp),
            std::string::npos);
}

TEST(VectorsVemo, ModifierCodes) {
  const TARe x{0, 1, 0.5, 0, -0.5, -1, -2, -4};
  struct {
    const char* text;
    TARe want;
  } cases[] = {
      {"YC 5 0 0.5", {0, 1, 1, 5, 1, 1, 1, 1}},
      {"YR 5 0 0.5", {0, 1, 1, 6, 1, 1, 1, 1}},
      {"YM 3 -0.5 1.2", {0, 1, 1, 3, 3, 3, 1, 1}},
      {"YS 2", {0, 3, 3, 3, 3, 3, 3, 3}},
      {"YD 5", {0, 6, 5.5, 5, 4.5, 4, 3, 1}},
      {"YU 5", {0, 1, 1.5, 2, 2.5, 3, 4, 6}},
      {"YY E", {0, 10, 10, 10, 10, 10, 10, 10}},
      {"YQ 5 0 1", {0, 1, 1, 1, 1, 1, 1, 1}},
      {"XC 5 0 1", {0, 1, 1, 1, 1, 1, 1, 1}},
      {"YS 1; YM 2 -1 0.2", {0, 2, 2, 2, 2, 4, 2, 2}},
  };
  for (const auto& c : cases) {
    TARe a(8, 1.0);
    a[0] = 0;
    ApplyModifList(a, x, c.text);
    for (size_t i = 1; i < a.size(); ++i) EXPECT_NEAR(a[i], c.want[i], 1e-12) << c.text << " " << i;
  }
  TARe z{0, 1, 0, 2, 3, 4, 5, 6};
  ApplyModifList(z, x, "YY L");  // a zero: nothing
  EXPECT_EQ(z, (TARe{0, 1, 0, 2, 3, 4, 5, 6}));
  TARe g(8, 0.0);
  ApplyModifList(g, x, "YG 1 0 0.5");
  EXPECT_NEAR(g[3], 1 / (0.5 * std::sqrt(std::numbers::pi)), 1e-9);
  EXPECT_NEAR(g[1], std::exp(-4) / (0.5 * std::sqrt(std::numbers::pi)), 1e-9);
}

TEST(VectorsVemo, CopiesAndModifiersOnHsra) {
  VectorsEnv env(VectorsEnv::kBundledRoot);
  ASSERT_TRUE(env.K().EnsureMod("HSRA"));
  TVEMO* t = env.K().FindVeMo("T", "HSRA", "", 0);
  ASSERT_NE(t, nullptr);
  auto c = std::make_unique<TVEMO>();
  c->CopyModif(t, "YS 100; YM 1.1 0 0.5");
  EXPECT_EQ(c->VESrc, t);
  EXPECT_EQ(c->KEd, 1);
  EXPECT_GT(c->TCalc, t->TCalc);
  EXPECT_NEAR(c->func(0), 7139.0, 1e-6);
  EXPECT_NEAR(c->func(0.3), 7240.9, 1e-6);
  // a probe layer leaves the values and acts through func
  auto p = std::make_unique<TVEMO>();
  p->CopyModif(t, "YC 5000 -1 0.2");
  EXPECT_EQ(p->A, t->A);
  EXPECT_EQ(p->Ch, 'C');
  EXPECT_EQ(p->func(-1.0), 5000);
  EXPECT_EQ(p->func(-1.2), t->func(-1.2));
  auto l = std::make_unique<TVEMO>();
  l->CopyModif(t, "YC 5000 -1 0.2;");
  EXPECT_EQ(l->Ch, 0);
  // the window takes X = -1 +- 0.2/1.99999: -1.1, -1.0 and -0.9
  for (int i : {24, 25, 26}) EXPECT_EQ(l->A[i], 5000) << i;
  EXPECT_EQ(l->A[23], t->A[23]);
  EXPECT_EQ(l->A[27], t->A[27]);
  // scales and the report format are the clone's own copies
  t->SCALE2 = std::make_unique<TModSCAL>();
  t->SCALE2->Set('L', 3000, 9000, 500);
  auto s = std::make_unique<TVEMO>();
  s->CloneInfo(t);
  ASSERT_NE(s->SCALE2, nullptr);
  EXPECT_NE(s->SCALE2.get(), t->SCALE2.get());
  EXPECT_EQ(s->SCALE2->MAX, 9000);
  EXPECT_EQ(s->SCALE3 == nullptr, t->SCALE3 == nullptr);
  // a nameless source warns and leaves the clone empty
  TVEMO empty;
  auto e = std::make_unique<TVEMO>();
  e->CopyFrom(&empty);
  EXPECT_TRUE(e->NAME.empty());
  EXPECT_TRUE(env.sink.Has("ПУСТ! (т.е.VEMO.NAME=\"\")"_cp));
  EXPECT_EQ(env.K().AddClone(std::move(e)), nullptr);
}

TEST(VectorsVemo, VariFillCases) {
  VectorsEnv env;
  TVEMO* t = GridT(env, 0);
  const int32_t iHi = At(*t, 1.2), iMid = At(*t, -1.5), iLo = At(*t, -4.0);
  t->VariFill("5000", 0);
  EXPECT_EQ(t->sMLdt, "C");
  EXPECT_EQ(t->A[iHi], 5000);
  EXPECT_EQ(t->A[iLo], 5000);
  t->VariFill("G 6000 4000", 0);
  EXPECT_NEAR(t->A[iMid], 5000, 1e-9);
  EXPECT_NEAR(t->A[iHi], 6080, 1e-9);  // not clamped
  t->VariFill("G 6000 4000 1 -1.5", 0);
  EXPECT_NEAR(t->A[iHi], 6000, 1e-9);
  EXPECT_NEAR(t->A[iLo], 4000, 1e-9);
  EXPECT_NEAR(t->A[At(*t, 0)], 5200, 1e-9);
  struct {
    const char* text;
    std::string part;
  } bad[] = {
      {"G 6000 4000 1", "Задание градиента требует двух или четырех значений"_cp},
      {"G 6000 x", "При задании градиента ошибка во втором числе"_cp},
      {"Q 12", "ПАРАМ.Тип данных=<Q> ещё не запрограммирован! Вся строка = Q 12"_cp},
      {"5000x", "в её конце необходимо ставить \"=#\""_cp},
      {"F exp(x)", "Не найдено предопределенной функции с именем <exp(x)>"_cp},
      {"G 6000 4000 1 1", "ERR GMOD - совпадают границы градиента x1 = x2 = 1 для модели <M> для вектора <T>"_cp},
  };
  for (const auto& c : bad) {
    const std::string msg = VectorsEnv::FatalText([&] { t->VariFill(c.text, 0); });
    EXPECT_NE(msg.find(c.part), std::string::npos) << c.text;
  }
  // the predefined function belongs to the depth physics: without it installed (a program that
  // links the services installs it at start-up), nothing filled
  const auto physics = VeLinks().P_EXP_10Tau0.Provider();
  VeLinks().P_EXP_10Tau0.Reset();
  TVEMO* f = env.Init1("M", "VMI");
  f->VariFill("F exp(-10Tau0)", 0);
  EXPECT_FALSE(f->IsFilled());
  EXPECT_TRUE(env.sink.Has("P_EXP_10Tau0 - функция пока недоступна"_cp));
  VeLinks().P_EXP_10Tau0.Install(physics);
  // a vector edited after its variator value was stamped stays as edited
  t->VariFill("5000", 0);
  env.cctx.VeMoKeepEdited = true;
  t->VariFill("6000", t->TCalc - 1);
  EXPECT_EQ(t->A[iHi], 5000);
  t->VariFill("6000", t->TCalc + 1);
  EXPECT_EQ(t->A[iHi], 6000);
}

TEST(VectorsVemo, CalculationState) {
  TCONT c;
  EXPECT_TRUE(c.ConstVD);
  EXPECT_EQ(c.LAMB, 0);
  EXPECT_EQ(c.LiSet.Count, 0);
  for (double lam : {2000.0, 12000.0, 6302.5}) {
    c.WK.LAM = lam;
    EXPECT_NO_THROW(c.CheckLAM(3, 6302.5, 12)) << lam;
  }
  for (double lam : {1999.99, 0.0, 12000.01}) {
    c.WK.LAM = lam;
    const std::string msg = VectorsEnv::FatalText([&] { c.CheckLAM(3, 6302.5, 12); });
    EXPECT_NE(msg.find("CONT.CheckLAM: В переменной CONT.WK.LAM должна быть длина волны"_cp),
              std::string::npos)
        << lam;
    EXPECT_NE(msg.find("UN.LAMB=6302.5 UN.UL[3]=12"), std::string::npos) << msg;
  }
  c.LAMB = 5000;
  c.ConstVD = false;
  c.ResetLam();
  EXPECT_EQ(c.LAMB, 0);
  EXPECT_TRUE(c.ConstVD);
}

TEST(VectorsVemo, ExtremesSkipSmallValues) {
  VectorsEnv env;
  TVEMO* t = GridT(env, 100);
  t->A[2] = 0.001;  // below 10^-3 of the largest: not counted
  t->A[3] = 50;
  t->SetFilled();
  double mn = 0, mx = 0;
  t->MinMaxF(mn, mx, 3, 'N');
  EXPECT_NEAR(mn, 50, 1e-9);
  EXPECT_NEAR(mx, 100, 1e-9);
  t->MinMaxF(mn, mx, 6, 'N');
  EXPECT_NEAR(mn, 0.001, 1e-9);
  t->MinMax(mn, mx);
  EXPECT_EQ(mn, 0.001);
  // the depth vector itself is refused, the outputs left alone
  mn = mx = -7;
  t->LGTAU->MinMaxF(mn, mx, 3, 'N');
  EXPECT_EQ(mn, -7);
  EXPECT_TRUE(env.sink.Has("не должна вызываться для главного вектора глубин"_cp));
  EXPECT_EQ(t->RepSetText().rfind("M|T|1 KOut  1 Skip=N Ch=N", 0), 0u) << t->RepSetText();
}

}  // namespace

namespace {
// Bits of a value (EXPECT_EQ on doubles would pass -0 against +0).
uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}
}  // namespace

// The row of vectors evaluated together gives every vector's own value bit for bit: inside the
// grid, at its nodes, beyond both ends, with probe layers, after a refill, and (one by one) with
// an interpolation that is no spline.
TEST(VectorsVemo, RowMatchesEachVectorBitForBit) {
  VectorsEnv env;
  TVEMO* a = env.Init1("M", "T");
  TVEMO* b = env.Init1("M", "VD");
  TVEMO* c = env.Init1("M", "H");
  const TARe& X = a->LGTAU->A;
  for (int i = 1; i <= a->N; ++i) {
    a->A[i] = 5000 + 900 * std::sin(3 * X[i]) + 50 * X[i] * X[i];
    b->A[i] = std::exp(X[i]) / 3;
  }
  a->SetFilled();
  b->SetFilled();
  VeMoFillConst(*c, c->LGTAU->N, 1234.5);
  b->Ch = '*', b->Val = 1.7, b->XU = -2, b->XL = -1.5;
  TVEMO* vs[3] = {a, b, c};
  TVeMoRow row;
  auto check = [&](const char* what) {
    std::vector<double> xs = {1.3, 1.2, -4.0, -4.1, -1.5, -2, -0.3333333333333333};
    for (int i = 1; i <= a->N; ++i) xs.push_back(X[i]);
    for (int i = 0; i <= 400; ++i) xs.push_back(1.25 - i * (5.3 / 400));
    for (double x : xs) {
      double got[3];
      row.Eval(vs, 3, x, got);
      for (int k = 0; k < 3; ++k) {
        int32_t hint = 0;
        EXPECT_EQ(Bits(got[k]), Bits(vs[k]->func(x))) << what << " k=" << k << " x=" << x;
        EXPECT_EQ(Bits(got[k]), Bits(VeMoFuncAt(*vs[k], x, hint))) << what << " k=" << k;
      }
    }
  };
  check("splines");
  EXPECT_TRUE(row.Packed);
  // new values: the refill drops the spline, the row follows
  for (int i = 1; i <= a->N; ++i) a->A[i] = 4000 - 300 * X[i];
  a->SetFilled();
  check("refilled");
  EXPECT_TRUE(row.Packed);
  // a spline made again in place (same object) is followed too
  c->A[3] = 99;
  c->SplineInit();
  check("spline made again");
  // linear interpolation: each vector on its own
  b->ChIPOL = '2';
  check("linear");
  EXPECT_FALSE(row.Packed);
  b->ChIPOL = 'S';
  check("spline again");
  EXPECT_TRUE(row.Packed);
}
