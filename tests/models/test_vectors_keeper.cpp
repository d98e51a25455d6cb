// The vector keeper: keys, the stamp rules of the lookups, creation on a standard grid, parents,
// clones and deletions, fills from the model files with their clamps and fall-backs, and the
// numbers of the two bundled models.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "models/support/VectorsEnv.h"

using testsupport::VectorsEnv;

namespace {

const char* kFixture =
    "COLUMNS 4\n"
    "LAYERS 4\n"
    "X\nT\nLGPG\nPE\n"
    "head\n----\n"
    " 1.2  600000  11  -1\n"
    " 0.0  600000  11  -1\n"
    "-2.0  600000  11  -1\n"
    "-4.0  600000  11  -1\n";

TEST(VectorsKeeper, KeyForms) {
  VectorsEnv env;
  struct {
    double lam;
    const char* text;
  } lams[] = {{500, "LAM= 500.000"}, {6301.5, "LAM=6301.500"}, {5000, "LAM=5000.000"}};
  for (const auto& c : lams) EXPECT_EQ(TVEMO::LamSId(c.lam), c.text);
  EXPECT_EQ(TVEMO::MjuSId(1), "MJU=1.000");
  EXPECT_EQ(TVEMO::MjuSId(0.5), "MJU=0.500");

  TVEMO* v = env.Init1("HOLMU", "ETAC", "LAM=5000|AT=Fe|ION=1");
  EXPECT_EQ(v->sId, "HOLMU|ETAC|1|AT=Fe|ION=1|LAM=5000.000");
  EXPECT_EQ(v->NameSuffix(), "_Fe_1_L5000");
  EXPECT_EQ(v->RepSet->Hd, "KapL_Fe_1_L5000");
  v->SetFilled();
  EXPECT_EQ(env.K().FindVeMo("ETAC", "HOLMU", "AT=Fe|ION=1|LAM=5000", 1), nullptr);
  EXPECT_EQ(env.K().FindVeMo("ETAC", "HOLMU", "AT=Fe|ION=1|" + TVEMO::LamSId(5000), 1), v);
  // without a line part the key has three parts and is another vector
  TVEMO* t = env.K().InitVEMO("HOLMU", "T", "", 1);
  EXPECT_EQ(t->sId, "HOLMU|T|1");
  EXPECT_NE(env.K().InitVEMO("HOLMU", "T", TVEMO::LamSId(5000), 1), t);
}

TEST(VectorsKeeper, NewestStampWinsEqualStampsTheFirst) {
  VectorsEnv env;
  TARe a{0, 1, 2};
  TVEMO* v1 = env.K().AddVeMo("T", "M", a, 1, 0, "", 0, "");
  TVEMO* v2 = env.K().AddVeMo("T", "M", a, 1, 0, "", 0, "");
  TVEMO* v3 = env.K().AddVeMo("T", "M", a, 1, 0, "", 0, "");
  struct {
    uint32_t t1, t2, t3;
    TVEMO* want;
  } cases[] = {{5, 9, 7, v2}, {9, 9, 9, v1}, {3, 8, 8, v2}, {0, 0, 0, nullptr}, {0, 0, 1, v3}};
  for (const auto& c : cases) {
    v1->TCalc = c.t1;
    v2->TCalc = c.t2;
    v3->TCalc = c.t3;
    EXPECT_EQ(env.K().FindVeMo("T", "M", "", 0), c.want) << c.t1 << " " << c.t2 << " " << c.t3;
  }
}

TEST(VectorsKeeper, UnfilledGridVectorIsSeenOnlyByInitAndOrig) {
  VectorsEnv env;
  TVEMO* v = env.Init1("HOLMU", "T");
  EXPECT_EQ(v->N, 105);
  EXPECT_EQ(v->TCalc, 0u);
  EXPECT_FALSE(v->IsFilled());
  EXPECT_EQ(env.K().FindVeMo("T", "HOLMU", "", 1), nullptr);
  EXPECT_EQ(env.K().FindVeMoOrig("T", "HOLMU", "", 1), v);
  EXPECT_EQ(env.K().InitVEMO("HOLMU", "T", "", 1), v);
  std::string msg;
  EXPECT_EQ(env.K().GetWrkVeMo("T", "HOLMU", msg, "", 1), nullptr);
  EXPECT_NE(msg.find("VEMO.GetWrkVeMo не найден вектор <T> для модели <HOLMU> для сетки №1"_cp),
            std::string::npos)
      << msg;
  // the grid's depth vector X: filled, 1.2 .. -4.0
  TVEMO* x = env.K().FindVeMo("X", "HOLMU", "", 1);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(v->LGTAU, x);
  EXPECT_NEAR(x->A[1], 1.2, 1e-12);
  EXPECT_NEAR(x->A[105], -4.0, 1e-9);

  const std::string bad = VectorsEnv::FatalText([&] { env.K().InitVEMO("HOLMU", "TT", "", 1); });
  EXPECT_NE(bad.find("VEMO.Init Mod=<HOLMU> недопустимый вектор: <TT>"_cp), std::string::npos);
  const std::string noX = VectorsEnv::FatalText([&] { env.K().InitVEMO("NONE", "T", "", 0); });
  EXPECT_NE(noX.find("сперва надо определить вектор X (или h)"_cp), std::string::npos);
  const std::string item =
      VectorsEnv::FatalText([&] { env.K().InitVEMO("HOLMU", "T", "LAM5000", 1); });
  EXPECT_NE(item.find("должен быть знак \"=\""_cp), std::string::npos);
}

TEST(VectorsKeeper, NeedRecalcAfterParentRefill) {
  VectorsEnv env;
  TVEMO* x = env.K().InitVEMO("HOLMU", "X", "", 1);
  TVEMO* t = env.K().InitVEMO("HOLMU", "T", "", 1);
  TVEMO* b = env.K().InitVEMO("HOLMU", "B", "", 1);
  EXPECT_TRUE(b->NeedRecalc());  // not filled
  VeMoFillConst(*t, x->N, 5000);
  b->CopyValues(t);
  EXPECT_EQ(b->Parents->Count(), 1);
  EXPECT_EQ((*b->Parents)[0], "T 1");
  EXPECT_FALSE(b->NeedRecalc());
  t->SetFilled();  // refilled later
  EXPECT_TRUE(b->NeedRecalc());
  TVEMO* c = env.K().InitVEMO("HOLMU", "S", "", 1);
  VeMoFillConst(*c, x->N, 1);
  EXPECT_FALSE(c->NeedRecalc());  // filled, no parents
}

TEST(VectorsKeeper, ClonesOnePerKeyAndDeletionReResolvesState) {
  VectorsEnv env;
  TVEMO* x = env.K().InitVEMO("HOLMU", "X", "", 1);
  TVEMO* t = env.K().InitVEMO("HOLMU", "T", "", 1);
  VeMoFillConst(*t, x->N, 5000);
  auto c1 = std::make_unique<TVEMO>();
  c1->CopyModif(t, "YC 7000 -1 0.2");
  TVEMO* k1 = env.K().AddClone(std::move(c1));
  env.cctx.CONT->MT = k1;
  auto c2 = std::make_unique<TVEMO>();
  c2->CopyModif(t, "YM 1.1 -2 0.2");
  TVEMO* k2 = env.K().AddClone(std::move(c2));
  EXPECT_EQ(env.K().Count(), 3);  // X, T and one clone
  EXPECT_EQ(env.cctx.CONT->MT, k2);
  EXPECT_EQ(env.K().FindVeMo("T", "HOLMU", "", 1), k2);  // newer than its master

  // the probe clone goes; the state names the master again, never a freed vector
  env.K().CurMOD = "HOLMU";
  env.cctx.CONT->MS = k2;
  env.K().DelHoleVeMo();
  EXPECT_EQ(env.K().Count(), 2);
  EXPECT_EQ(env.K().FindVeMo("T", "HOLMU", "", 1), t);
  EXPECT_EQ(env.cctx.CONT->MT, t);
  EXPECT_EQ(env.cctx.CONT->MS, t);

  // a vector whose key is gone altogether leaves the state empty; links to it are dropped
  TVEMO* s = env.K().InitVEMO("HOLMU", "S", "", 1);
  VeMoFillConst(*s, x->N, 1);
  s->SetParents(t);
  env.cctx.CONT->MB = t;
  env.K().DelModVeMo("HOLMU", "T", 1);
  EXPECT_EQ(env.cctx.CONT->MB, nullptr);
  EXPECT_TRUE(s->VParents->empty());
  env.K().DelModVeMo("HOLMU", "X", 1);
  EXPECT_EQ(s->LGTAU, nullptr);
}

TEST(VectorsKeeper, GetHoleParTakesTheLaterLayer) {
  VectorsEnv env;
  TVEMO* x = env.K().InitVEMO("M", "X", "", 1);
  TVEMO* t = env.K().InitVEMO("M", "T", "", 1);
  TVEMO* v = env.K().InitVEMO("M", "VMI", "", 1);
  VeMoFillConst(*t, x->N, 5000);
  VeMoFillConst(*v, x->N, 1);
  t->Ch = 'C', t->XL = -0.9, t->XU = -1.1;
  v->Ch = 'M', v->XL = -1.9, v->XU = -2.1;
  char ch = 0;
  double xl = 0, xu = 0;
  EXPECT_NE(VectorsEnv::FatalText([&] { env.K().GetHolePar(ch, xl, xu); }).find("CurMOD"),
            std::string::npos);
  env.K().CurMOD = "M";
  env.K().GetHolePar(ch, xl, xu);
  EXPECT_EQ(ch, 'M');
  EXPECT_DOUBLE_EQ(xl, -1.9);
  EXPECT_DOUBLE_EQ(xu, -2.1);
  v->Ch = 'P';
  EXPECT_NE(VectorsEnv::FatalText([&] { env.K().GetHolePar(ch, xl, xu); })
                .find("неразрешенного типа [P] <> Const,Move,*Mul в векторе VMI"_cp),
            std::string::npos);
}

TEST(VectorsKeeper, SrcFillClampsAndMissingQuantities) {
  VectorsEnv env;
  env.Model("FIX", kFixture);
  env.K().LoadModel("", "", "", "FIX");
  ASSERT_TRUE(env.K().HasMod("FIX"));
  struct {
    const char* name;
    double want;
  } cases[] = {{"T", 5e5}, {"LGPG", 10}, {"PE", 1e-20}};
  for (const auto& c : cases) {
    TVEMO* v = env.Init1("FIX", c.name);
    v->SrcFill();
    ASSERT_TRUE(v->IsFilled()) << c.name;
    for (int i = 1; i <= v->N; ++i) ASSERT_EQ(v->A[i], c.want) << c.name << " " << i;
  }
  // no VMI column and no rule: left unfilled without a message
  TVEMO* vmi = env.Init1("FIX", "VMI");
  env.sink.texts.clear();
  vmi->SrcFill();
  EXPECT_FALSE(vmi->IsFilled());
  EXPECT_TRUE(env.sink.texts.empty());
  // a missing temperature stops
  env.Model("NOT", "COLUMNS 2\nLAYERS 2\nX\nVMI\nh\n-\n1 1\n-4 1\n");
  TVEMO* t = env.Init1("NOT", "T");
  const std::string msg = VectorsEnv::FatalText([&] { t->SrcFill(); });
  EXPECT_NE(msg.find("не найдено соответствия в оригинальной модели!"_cp), std::string::npos);
  // without a model file
  TVEMO* g = env.Init1("GONE", "T");
  EXPECT_NE(VectorsEnv::FatalText([&] { g->SrcFill(); }).find("не найден файл оригинальной модели!"_cp),
            std::string::npos);
}

TEST(VectorsKeeper, PressureChainAndReferenceModelFallBack) {
  VectorsEnv env(VectorsEnv::kBundledRoot);
  // HSRA has PE only: PE -> LGPE -> PE0
  TVEMO* pe0 = env.Init1("HSRA", "PE0");
  pe0->SrcFill();
  ASSERT_TRUE(pe0->IsFilled());
  TVEMO* pe = env.K().FindVeMo("PE", "HSRA", "", 0);
  ASSERT_NE(pe, nullptr);
  EXPECT_NEAR(pe0->A[25], pe->A[15], 1e-9 * pe->A[15]);  // X = 0 on both grids
  EXPECT_NE(env.K().FindVeMo("LGPE", "HSRA", "", 0), nullptr);

  // a model without pressures: nothing without ION, HOLMU's with it
  const std::string root = env.dir.str() + "/";
  Models().Root.Install([root] { return root; });
  env.Model("BARE", "COLUMNS 2\nLAYERS 3\nX\nT\nh\n-\n1.25 8000\n0 6400\n-4.75 4000\n");
  TVEMO* pg0 = env.Init1("BARE", "PG0");
  pg0->SrcFill();
  EXPECT_FALSE(pg0->IsFilled());
  Models().Root.Install([data = testsupport::SourceRoot() + "/data/"] { return data; });
  env.K().LoadModel("", "", "", "HOLMU");
  Models().Root.Install([root] { return root; });
  env.cctx.CONT->ION = true;
  pg0->SrcFill();
  ASSERT_TRUE(pg0->IsFilled());
  TVEMO* lgpg = env.K().FindVeMo("LGPG", "HOLMU", "", 0);
  EXPECT_NEAR(pg0->A[25], std::pow(10.0, lgpg->A[6]), 1e-6 * pg0->A[25]);  // X = 0
  // theta from the temperature; a model without either is fatal
  TVEMO* teta0 = env.K().InitVEMO("BARE", "TETA0", "", 1);
  teta0->SrcFill();
  ASSERT_TRUE(teta0->IsFilled());
  EXPECT_NEAR(teta0->A[25], 5039.93 / 6400, 1e-6);  // X = 0
  env.Model("NOT", "COLUMNS 2\nLAYERS 3\nX\nVMI\nh\n-\n1.25 1\n0 1\n-4.75 1\n");
  env.Init1("NOT", "X");
  TVEMO* none = env.K().InitVEMO("NOT", "TETA0", "", 1);
  EXPECT_NE(VectorsEnv::FatalText([&] { none->SrcFill(); }).find("VEMO.SrcFill.ERR: Модель <NOT>"_cp),
            std::string::npos);
}

TEST(VectorsKeeper, BundledModels) {
  VectorsEnv env(VectorsEnv::kBundledRoot);
  TLVEMO& K = env.K();
  ASSERT_TRUE(K.EnsureMod("HSRA"));
  TVEMO* x = K.FindVeMo("X", "HSRA", "", 0);
  ASSERT_NE(x, nullptr);
  ASSERT_EQ(x->N, 55);
  for (int i = 1; i <= 55; ++i) EXPECT_NEAR(x->A[i], 1.4 - 0.1 * (i - 1), 1e-6) << i;
  EXPECT_EQ(K.FindVeMo("T", "HSRA", "", 0)->LGTAU, x);
  for (const char* n : {"T", "LGPE", "LGPG", "VMI"}) env.Init1("HSRA", n)->SrcFill();
  TVEMO* t1 = K.FindVeMo("T", "HSRA", "", 1);
  TVEMO* t0 = K.FindVeMo("T", "HSRA", "", 0);
  TVEMO* x1 = K.FindVeMo("X", "HSRA", "", 1);
  int same = 0;
  for (int j = 1; j <= x1->N; ++j)
    for (int i = 1; i <= 55; ++i)
      if (std::fabs(x1->A[j] - x->A[i]) < 1e-9) {
        EXPECT_NEAR(t1->A[j], t0->A[i], 1e-6) << x->A[i];
        ++same;
      }
  EXPECT_EQ(same, 53);  // 1.2 .. -4.0
  TVEMO* lgpe = K.FindVeMo("LGPE", "HSRA", "", 1);
  EXPECT_NEAR(lgpe->A[25], 1.75921, 5e-6);
  EXPECT_NEAR(lgpe->A[25], std::log10(57.4393), 1e-9);
  EXPECT_NEAR(K.FindVeMo("VMI", "HSRA", "", 1)->A[25], 0.6, 1e-9);

  ASSERT_TRUE(K.EnsureMod("HOLMU"));
  TVEMO* hx = K.FindVeMo("X", "HOLMU", "", 0);
  ASSERT_EQ(hx->N, 25);
  EXPECT_DOUBLE_EQ(hx->A[1], 1.25);
  EXPECT_DOUBLE_EQ(hx->A[25], -4.75);
  // loading again adds nothing
  const int n = K.Count();
  K.LoadModel("", "", "", "HOLMU");
  EXPECT_EQ(K.Count(), n);
}

TEST(VectorsKeeper, TableModelsAndHeights) {
  VectorsEnv env;
  env.Model("HTAB", "COLUMNS 2\nLAYERS 3\nX\nH\nh\nh\n1 1100\n0 1000\n-4 600\n");
  // depth column h, X made from TAU by the rules
  env.Model("HTAU", "COLUMNS 3\nLAYERS 3\nh\nTAU\nH\nh\nh\n-50 10 1100\n0 1 1000\n500 1e-4 600\n");
  env.Model("HNOX", "COLUMNS 2\nLAYERS 3\nTAU\nH\nh\nh\n10 1100\n1 1000\n1e-4 600\n");
  TVEMO* h = env.Init1("M", "H");
  for (const char* text : {"T HTAB", "T HTAU"}) {
    h->SrcFillTab(text);
    ASSERT_TRUE(h->IsFilled()) << text;
    EXPECT_NEAR(h->A[25], 1000, 1e-9) << text;  // X = 0
    EXPECT_NEAR(h->A[1], 1120, 1e-9) << text;   // X = 1.2
  }
  EXPECT_NE(VectorsEnv::FatalText([&] { h->SrcFillTab("C HTAB"); }).find("предназначенн только для таблиц T"_cp),
            std::string::npos);
  EXPECT_NE(VectorsEnv::FatalText([&] { h->SrcFillTab("T HNOX"); }).find("не найден вектор X или log(Tau)!"_cp),
            std::string::npos);
  EXPECT_EQ(env.K().FindVeMo("H", "HTAB", "", 0), nullptr);  // a table model stays outside

  env.Model("HM", "COLUMNS 3\nLAYERS 4\nX\nT\nh\nh\nh\n1 9000 -50\n0 6400 0\n-2 5000 250\n-4 4200 520\n");
  env.K().LoadModel("", "", "", "HM");
  TVEMO* t = env.K().FindVeMo("T", "HM", "", 0);
  EXPECT_NEAR(t->XtoKM(-2), 250, 1e-9);
  EXPECT_NEAR(t->KMtoX(0), 0, 1e-9);
  EXPECT_EQ(t->hVEMO, env.K().FindVeMo("h", "HM", "", 0));
  // a grid without heights and without KAP5: not made, the reason said
  TVEMO* t1 = env.Init1("HM", "T");
  t1->SrcFill();
  EXPECT_EQ(t1->XtoKM(-1), -1);
  EXPECT_TRUE(env.sink.Has("VEMO.Check_hVEMO вектор \"LGPG\" ещё не существует!"_cp));
}

TEST(VectorsKeeper, ContributionFunctionsAndQuantiles) {
  VectorsEnv env;
  const TARe x{0, 1, 0, -1, -2, -3}, y{0, 0, 1, 2, 1, 0};
  env.K().LoadCFRF("#MOD T HOLMU #CTETA 1", "FE6302", y, x, "", "X", "CF", "M", "");
  TVEMO* cf = env.K().FindVeMo("CONT", "M", "", 2);
  EXPECT_EQ(cf, nullptr);
  TVEMO* v = nullptr;
  for (int i = 0; i < env.K().Count(); ++i)
    if (env.K().Items(i)->NAME == "CF") v = env.K().Items(i);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->sId, "M|CF|2|LI=FE6302");
  ASSERT_NE(v->LGTAU, nullptr);
  EXPECT_EQ(v->LGTAU->A, x);
  double med = 0, lo = 0, up = 0;
  v->CFQuantiles(0.5, med, lo, up);
  EXPECT_NEAR(med, -1, 1e-12);
  EXPECT_NEAR(lo, -1.0 / 3, 1e-12);
  EXPECT_NEAR(up, -5.0 / 3, 1e-12);
  // another X on the same grid is refused
  env.K().LoadCFRF("", "FE6302", y, TARe{0, 2, 0, -1, -2, -3}, "", "X", "CF", "M", "");
  EXPECT_TRUE(env.sink.Has("LVEMO.LoadCFRF найдены разные векторы X для"_cp));
  EXPECT_EQ(v->DumpFull()->Strings(0), "Вектор модели sId = <M|CF|2|LI=FE6302>"_cp);
}

}  // namespace
