// The keeper's reports: the lists of its vectors and the tables of their values.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "models/support/VectorsEnv.h"

using testsupport::VectorsEnv;

namespace {

// Model M on grid 0: X 1 .. -1 (3 layers) and the given column.
TVEMO* Small(VectorsEnv& E, const std::string& Name, TARe Values) {
  TVEMO* x = E.K().FindVeMo("X", "M", "", 0);
  if (!x) x = E.K().AddVeMo("X", "M", TARe{0, 1, 0, -1}, 1, 1, "", 0, "");
  TVEMO* v = E.K().AddVeMo(Name, "M", Values, 1, 0, "", 0, "");
  v->LGTAU = x;
  return v;
}

TEST(VectorsReport, TablesAndLists) {
  VectorsEnv env;
  EXPECT_EQ(env.K().ReportList()->Text(), "Отчет хранителя векторв LVEMO. Число векторов = 0\r\n"_cp);
  auto none = env.K().ReportMod("HSRA", 0);
  ASSERT_EQ(none->Count(), 2);
  EXPECT_EQ((*none)[0], "Отчет хранителя векторов для модели HSRA для сетки №0 для числа слоев 1000"_cp);
  EXPECT_EQ((*none)[1], "Векторы не найдены!"_cp);

  Small(env, "T", {0, 6000, 5500.5, 4000});
  TVEMO* vmi = Small(env, "VMI", {0, 1e-4, 2e-4, 3e-4});
  vmi->RepSet->Hd = "Microturbulence";
  auto r = env.K().ReportMod("M", 0);
  ASSERT_EQ(r->Count(), 5);
  EXPECT_EQ((*r)[0], "Отчет хранителя векторов для модели M для сетки №0 для числа слоев 3"_cp);
  // X fixed with 3 decimals (its sign counts); T to 5 digits; VMI exponential in 4 + 5
  // characters, where its long title is cut with "*"
  EXPECT_EQ((*r)[1], "X      T      Microtur*");
  EXPECT_EQ((*r)[2], " 1.000 6000.0 " + ESt(4, 1e-4));
  EXPECT_EQ((*r)[3], " 0.000 5500.5 " + ESt(4, 2e-4));
  EXPECT_EQ((*r)[4], "-1.000 4000.0 " + ESt(4, 3e-4));
  auto list = env.K().ReportModList("M");
  EXPECT_EQ((*list)[0], "Отчет хранителя векторв LVEMO для модели M. Число векторов = 3"_cp);
  EXPECT_EQ((*list)[2], "  1 PAR=T   N=   3 LOAD  IdStr=M|T|0  ");
}

TEST(VectorsReport, SkipAndUnknownConversion) {
  VectorsEnv env;
  TVEMO* t = Small(env, "T", {0, 6000, 5000, 4000});
  t->RepSet->Set(0, 'N', "T", 0, 5, 1);  // Skip
  TVEMO* v = Small(env, "VMI", {0, 1, 2, 3});
  v->RepSet->Set(1, 'Q', "V", 0, 3, 2);
  auto first = env.K().ReportMod("M", 0);
  EXPECT_NE((*first)[1].find("T"), std::string::npos);  // chosen before its width was computed
  int warned = 0;
  for (const auto& s : env.sink.texts) warned += s.find("ConversionType=Q !!!") != std::string::npos;
  EXPECT_EQ(warned, 3);  // once per cell
  EXPECT_NE((*first)[2].find("2.00"), std::string::npos);  // unconverted, times Mul
  auto second = env.K().ReportMod("M", 0);
  EXPECT_EQ((*second)[1].find("T"), std::string::npos);
  EXPECT_EQ(env.K().ReportList()->Count(), 4);  // the lists show every vector
}

TEST(VectorsReport, AtMostAThousandColumns) {
  VectorsEnv env;
  TVEMO* x = env.K().AddVeMo("X", "M", TARe{0, 1, 0}, 1, 1, "", 0, "");
  for (int i = 0; i < 1005; ++i) {
    TVEMO* v = env.K().AddVeMo("T", "M", TARe{0, 5000, 6000}, 1, 0, "LI=" + std::to_string(i), 0, "");
    v->LGTAU = x;
  }
  auto r = env.K().ReportByDim(2);
  EXPECT_NE((*r)[0].find("(показаны первые 1000 столбцов из 1006)"_cp), std::string::npos) << (*r)[0];
  int cols = 0;
  for (const char c : (*r)[2]) cols += c == '.';
  EXPECT_EQ(cols, 1000);
}

}  // namespace
