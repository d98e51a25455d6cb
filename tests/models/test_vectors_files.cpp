// The files of the model vectors: the parameter list with its scales and report formats, the
// conversion rules and the model files (".mel"); every reading error names its file, line and
// position; the bundled model files are what their converter writes.
#include <gtest/gtest.h>
#include <utime.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "models/support/VectorsEnv.h"

using testsupport::VectorsEnv;

namespace {

// A model file with the given columns (keys) and rows of values.
std::string Mel(const std::vector<std::string>& Keys, int32_t Rows, const std::string& Extra = "") {
  std::string s = "! test model\nCOLUMNS " + std::to_string(Keys.size()) + "\nLAYERS " +
                  std::to_string(Rows) + "\n";
  for (const auto& k : Keys) s += k + "\n";
  s += Extra + "head\n----\n";
  for (int32_t r = 0; r < Rows; ++r) {
    s += std::to_string(1.0 - r * 0.5);
    for (size_t c = 1; c < Keys.size(); ++c) s += " " + std::to_string(5000 + r + c);
    s += "\n";
  }
  return s;
}

// The fatal text of loading model M, and where the reader put the error.
struct TFail {
  std::string text;
  int32_t line = 0, pos = 0;
};
TFail LoadFails(VectorsEnv& E, const std::string& M) {
  E.errLine = E.errPos = 0;
  TFail f;
  f.text = VectorsEnv::FatalText([&] { E.K().LoadModel("", "", "", M); });
  f.line = E.errLine;
  f.pos = E.errPos;
  return f;
}

void SetTime(const std::string& File, time_t T) {
  utimbuf b{T, T};
  utime(File.c_str(), &b);
}

TEST(VectorsFiles, ParameterListFiles) {
  VectorsEnv env;
  const std::string vemo = env.Write("v.txt",
                                     "! list\nT Temperature 0\nT Temperature 0 K\nX lgTau 1 dex\n"
                                     "LGPG lgPg 0 dex comment\n");
  const std::string scales = env.Write("s.txt", "T 2 L 3000 9000 500 comment\nX 1 L -5 2\n");
  const std::string report = env.Write("r.txt", "T 0 N 0 5 0 T\nX 1 N 2 4 0 X\n");
  for (const auto& f : {vemo, scales, report}) SetTime(f, 1000000000);
  TPhysParamList& L = *env.cctx.LVEPA;
  L.SetFiles(vemo, scales, report);
  EXPECT_TRUE(L.ReadVEMO());
  EXPECT_EQ(L.Count(), 3);  // the three-word line is not read
  EXPECT_EQ(L.KindOf("X"), 1);
  const TPhysParamRec* t = L.GetByKey("T");
  ASSERT_NE(t->SCALE[2], nullptr);
  EXPECT_EQ(t->SCALE[2]->TYP, 'L');
  EXPECT_EQ(t->SCALE[2]->MIN, 3000);
  EXPECT_EQ(t->SCALE[2]->MAX, 9000);
  EXPECT_EQ(t->SCALE[2]->STEP, 500);
  EXPECT_EQ(L.GetByKey("X")->SCALE[1], nullptr);  // five words: not read
  EXPECT_EQ(t->RepSet->Mul, 1);
  EXPECT_TRUE(t->RepSet->Skip);
  EXPECT_FALSE(L.GetByKey("X")->RepSet->Skip);
  EXPECT_EQ(L.GetScaleStr("T", 2), "L 3000 9000 500.0");
  EXPECT_FALSE(L.ReadVEMO());
  // only REPORT touched: it alone is read again
  env.Write("r.txt", "T 1 N 0 5 0 Temp\n");
  SetTime(report, 1000100000);
  const TPhysParamRec* before = L.GetByKey("T");
  EXPECT_TRUE(L.ReadVEMO());
  EXPECT_EQ(L.GetByKey("T"), before);
  EXPECT_EQ(L.GetByKey("T")->RepSet->Hd, "Temp");
  EXPECT_EQ(L.GetByKey("X")->RepSet, nullptr);
  ASSERT_NE(L.GetByKey("T")->SCALE[2], nullptr);
}

TEST(VectorsFiles, ParameterListErrorsNameThePlace) {
  VectorsEnv env;
  TPhysParamList& L = *env.cctx.LVEPA;
  const std::string vemo = env.Write("v.txt", "T Temperature 0 K\nX lgTau 2 dex\n");
  const std::string ok = env.Write("ok.txt", "T Temperature 0 K\n");
  const std::string empty = env.Write("e.txt", "! nothing\n");
  struct {
    std::string v, s, r, part;
    int32_t line, pos;
  } cases[] = {
      {vemo, empty, empty, "не может быть больше 1"_cp, 2, 9},
      {ok, env.Write("s1.txt", "T 4 L 3000 9000 500\n"), empty, "не может быть больше 3"_cp, 1, 3},
      {ok, env.Write("s2.txt", "\nT 1 L 3000 9000 500\nTT 1 L 3000 9000 500\n"), empty,
       "LVEPA.SetScal<TT> Key Is Missed!", 3, 1},
      {ok, empty, env.Write("r1.txt", "T 1 N 1 5 0 T\n  H 1 N 1 5 0 H\n"),
       "Не найден физ.параметр с именем <H>"_cp, 2, 3},
      {ok, empty, env.Write("r2.txt", "T 1 N x 5 0 T\n"), "Ошибка при вводе действительного"_cp, 1, 7},
  };
  for (const auto& c : cases) {
    L.SetFiles(c.v, c.s, c.r);
    env.errLine = env.errPos = 0;
    const std::string msg = VectorsEnv::FatalText([&] { L.ReadVEMO(); });
    EXPECT_NE(msg.find(c.part), std::string::npos) << msg;
    EXPECT_EQ(env.errLine, c.line) << c.part;
    EXPECT_EQ(env.errPos, c.pos) << c.part;
  }
}

TEST(VectorsFiles, ConversionRuleFile) {
  VectorsEnv env;
  TConvList& C = *env.cctx.ConvList;
  const std::string head = "[CONVERT_FUNC_1]\n0 COPY x\n2 LG lg x\n1 EXP10 10^x\n[CONVERT_FUNC_2]\n";
  struct {
    std::string text, part;
    int32_t line;
  } bad[] = {
      {head + "[CONVERT_1]\nTAU X LG 0\n", "Шаблон [CONVERT_2] не найден!"_cp, 0},
      {"! none\nTAU X LG 0\n", "Шаблон [CONVERT_FUNC_1] не найден!"_cp, 0},
      {head + "[CONVERT_1]\nTAU X LOG 0\n[CONVERT_2]\n",
       "Функция преобразования с именем LOG не найдена в списке функций!"_cp, 7},
      {"[CONVERT_FUNC_1]\n0 COPY x\n2 COPY y\n", "Уже существует та же ф-я с ID=0!"_cp, 3},
      {"[CONVERT_FUNC_1]\n0 COPY x\n0 SAME y\n", "Уже существует ф-я с таким же ID с именем COPY"_cp, 3},
  };
  for (const auto& c : bad) {
    C.SetFile(env.Write("c.txt", c.text));
    env.errLine = 0;
    const std::string msg = VectorsEnv::FatalText([&] { C.Load(); });
    EXPECT_NE(msg.find(c.part), std::string::npos) << msg;
    EXPECT_NE(msg.find("c.txt"), std::string::npos) << msg;
    if (c.line) {
      EXPECT_EQ(env.errLine, c.line) << c.part;
    }
  }
  C.SetFile(env.Write("c.txt", head + "0 COPY again\n41 SUM s1 + s2\n[CONVERT_1]\nTAU X LG 0\n"
                                      "X TAU EXP10 0\n[CONVERT_2]\nA B C SUM 1 two sources\n"));
  C.Load();
  EXPECT_EQ(env.cctx.VeConvFuncs->Count(), 4);  // COPY twice under one ID: kept once
  ASSERT_EQ(C.Count(), 3);
  EXPECT_EQ(C.Item(2)->Source, "A B");
  EXPECT_EQ(C.Item(2)->ID, 41);
  EXPECT_EQ(C.Item(0)->Source, "TAU");
  EXPECT_EQ(C.Item(0)->ID, 2);
  EXPECT_EQ(C.Item(0)->Mark, TConvertRec::SetMark);
}

TEST(VectorsFiles, ModelFileBoundsAndErrors) {
  VectorsEnv env;
  std::vector<std::string> k30{"X"};
  for (int i = 2; i <= 30; ++i) k30.push_back("T");
  env.Model("C30", Mel(k30, 4001));
  env.K().LoadModel("", "", "", "C30");
  ASSERT_TRUE(env.K().HasMod("C30"));
  EXPECT_EQ(env.K().FindVeMo("T", "C30", "", 0)->N, 4001);

  std::vector<std::string> k31 = k30;
  k31.push_back("T");
  env.Model("C31", Mel(k31, 3));
  TFail f = LoadFails(env, "C31");
  EXPECT_NE(f.text.find("TCIL.GetNum Ошибка - значение <31> не может быть больше 30"_cp),
            std::string::npos);
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.pos, 9);
  env.Model("R", "COLUMNS 2\nLAYERS 4002\nX\nT\n");
  EXPECT_NE(LoadFails(env, "R").text.find("не может быть больше 4001"_cp), std::string::npos);

  // a dashed line between names is no column
  env.Model("D", "COLUMNS 2\nLAYERS 2\nX\n---------\nT\nh\nh\n1 5000\n0 6000\n");
  env.K().LoadModel("", "", "", "D");
  ASSERT_NE(env.K().FindVeMo("T", "D", "", 0), nullptr);
  EXPECT_EQ(env.K().FindVeMo("T", "D", "", 0)->A[2], 6000);

  env.Model("K", Mel({"X", "TT"}, 2));
  f = LoadFails(env, "K");
  EXPECT_NE(f.text.find("Имя параметра для модели фотосферы <TT> недопустимо!"_cp),
            std::string::npos);
  EXPECT_EQ(f.line, 5);
  EXPECT_EQ(f.pos, 1);
  EXPECT_EQ(LoadFails(env, "NOFILE").text, "");  // a warning only
  EXPECT_TRUE(env.sink.Has("ModelFName не найден файл <"_cp));
  EXPECT_FALSE(env.K().HasMod("NOFILE"));
  env.Model("NK", "! no key word\n1 2 3\n");
  EXPECT_NE(LoadFails(env, "NK").text.find("не найдено ключевое слово <КОЛОНОК> или <COLUMNS>!"_cp),
            std::string::npos);
}

TEST(VectorsFiles, ModelReadErrorLeavesNothing) {
  VectorsEnv env;
  // the third column's second row is no number
  env.Model("BAD", "COLUMNS 3\nLAYERS 2\nX\nT\nLGPG\nh\nh\n1 5000 4.1\n0 6000 4.x\n");
  TFail f = LoadFails(env, "BAD");
  EXPECT_NE(f.text.find("Ошибка при вводе действительного числа"_cp), std::string::npos);
  EXPECT_EQ(f.line, 9);
  EXPECT_EQ(env.K().Count(), 0);
  EXPECT_FALSE(env.K().HasMod("BAD"));
  // a short row names the row and the column
  env.Model("BAD", "COLUMNS 3\nLAYERS 2\nX\nT\nLGPG\nh\nh\n1 5000 4.1\n0 6000\n");
  f = LoadFails(env, "BAD");
  EXPECT_NE(f.text.find("в строке данных 2 нет числа в колонке 3"_cp), std::string::npos);
  EXPECT_EQ(f.line, 9);
  EXPECT_EQ(env.K().Count(), 0);
  // mended, the file loads whole
  env.Model("BAD", "COLUMNS 3\nLAYERS 2\nX\nT\nLGPG\nh\nh\n1 5000 4.1\n0 6000 4.3\n");
  env.K().LoadModel("", "", "", "BAD");
  ASSERT_NE(env.K().FindVeMo("LGPG", "BAD", "", 0), nullptr);
  EXPECT_EQ(env.K().FindVeMo("LGPG", "BAD", "", 0)->A[2], 4.3);
  EXPECT_EQ(env.K().FindVeMo("T", "BAD", "", 0)->A[2], 6000);

  // a depth column without a rule to X: stopped, nothing kept
  env.Model("Z", "COLUMNS 2\nLAYERS 2\nh\nT\nh\nh\n1 5000\n0 6000\n");
  f = LoadFails(env, "Z");
  EXPECT_NE(f.text.find("в списке ниже должен быть вектор глубин h"_cp), std::string::npos);
  EXPECT_FALSE(env.K().HasMod("Z"));
}

TEST(VectorsFiles, DepthFromTauAndRuleOrder) {
  VectorsEnv env;
  env.Model("TAU", "COLUMNS 2\nLAYERS 3\nTAU\nT\nh\nh\n10 6000\n1e-35 4000\n0.01 5000\n");
  env.K().LoadModel("", "", "", "TAU");
  TVEMO* x = env.K().FindVeMo("X", "TAU", "", 0);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->A, (TARe{0, 1, -30, -2}));
  EXPECT_EQ(env.K().FindVeMo("T", "TAU", "", 0)->LGTAU, x);
  // two rules for one target: the later one first
  TConvList& C = *env.cctx.ConvList;
  C.AddConv("T", "TETA", 0, 4);  // 1/T, added last
  TVEMO* v = nullptr;
  C.ResetMarks();
  ConvertVEMO("TAU", "TETA", v);
  ASSERT_NE(v, nullptr);
  EXPECT_DOUBLE_EQ(v->A[1], 1.0 / 6000);
}

TEST(VectorsFiles, BundledModelsAreTheConverterOutput) {
  testsupport::TempDir tmp;
  const std::string src = testsupport::SourceRoot();
  for (const auto& [kind, in, out] :
       {std::tuple{"hsra", "hsra11.mod", "HSRA.mel"}, std::tuple{"holmu", "holmu11.mod", "HOLMU.mel"},
        std::tuple{"cv", "hsra11.mod", "CV.mel"}}) {
    int status = -1;
    testsupport::RunShell("'" + std::string(CORVESTA_MODCONV) + "' " + kind + " '" + src +
                              "/tests/data/models/" + in + "' '" + tmp.file(out) + "'",
                          &status);
    ASSERT_EQ(status, 0) << kind;
    EXPECT_EQ(testsupport::ReadFile(tmp.file(out)),
              testsupport::ReadFile(src + "/data/MODS/" + out))
        << out;
  }
}

}  // namespace
