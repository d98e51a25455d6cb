// Map algebra: the functions' values, guards and result names, the dispatchers, the expression
// language over the registry and the map files, and every function against numpy in extended
// precision, bit for bit (python3-numpy; skipped when missing).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapAlg.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

using maptest::MakeMap;

// A 1 x N map of the values.
std::unique_ptr<TFIOut> Row(const std::string& Name, std::vector<float> V) {
  return MakeMap(Name, static_cast<int>(V.size()), 1,
                 [V](int x, int) { return V[static_cast<size_t>(x)]; });
}

std::vector<float> Values(const TFIOut& M) {
  return std::vector<float>(M.aData.Data(), M.aData.Data() + M.aData.Count());
}

TEST(MapAlg, FunctionValuesAtTheirEdges) {
  testsupport::SinkRecorder rec;
  auto a = Row("A", {-4, 9, 0, 90, 350, 10, 10});
  auto b = Row("B", {2, 0, 5, 1, 10, 350, 1000});
  EXPECT_EQ(Values(*FIOutAny1("sqrt", a.get())), (std::vector<float>{2, 3, 0, std::sqrt(90.0f),
                                                                    std::sqrt(350.0f),
                                                                    std::sqrt(10.0f),
                                                                    std::sqrt(10.0f)}));
  auto lg = FIOutAny1("log", a.get());
  EXPECT_EQ(lg->aData[2][0], -100.0f);
  EXPECT_EQ(lg->aData[0][0], static_cast<float>(std::log10(4.0L)));
  EXPECT_EQ(FIOutAny1("inv", a.get())->aData[2][0], 0.0f);
  EXPECT_EQ(FIOutAny1("sin", a.get())->aData[3][0], 1.0f);  // degrees
  EXPECT_EQ(Values(*FIOutAny1("sig", a.get())), (std::vector<float>{-1, 1, 0, 1, 1, 1, 1}));
  auto r = FIOutAny2("rat", a.get(), b.get());
  EXPECT_EQ(r->aData[0][0], -2.0f);
  EXPECT_EQ(r->aData[1][0], 0.0f);  // b = 0
  auto c = FIOutAnyC2("circsub", a.get(), b.get(), 360);
  EXPECT_EQ(c->aData[4][0], -20.0f);
  EXPECT_EQ(c->aData[5][0], 20.0f);
  EXPECT_EQ(c->aData[6][0], -630.0f);  // wrapped once only
  EXPECT_EQ(c->Name, "(A-B)");
  EXPECT_TRUE(rec.texts.empty());
}

TEST(MapAlg, ResultIsAnInheritedCloneOfTheFirstOperand) {
  auto a = MakeMap("CONT", 4, 3, maptest::Wave);
  auto b = MakeMap("CONT2", 4, 3, [](int x, int y) { return 2.0f * x + y; });
  a->DaNum = 'c';
  a->nb0 = 12345;
  auto m = fo::Mid(*a, *b);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Name, "(CONT+CONT2)/2");
  EXPECT_EQ(m->kLoad, 8);
  EXPECT_EQ(m->kSoft, 7);
  EXPECT_EQ(m->nb0, 0);
  EXPECT_EQ(m->DaNum, 'c');
  EXPECT_EQ(m->Da, a->Da);
  EXPECT_EQ(m->Ti, a->Ti);
  EXPECT_EQ(m->Ver, a->Ver);
  EXPECT_EQ(m->nX, 4);
  EXPECT_EQ(m->nY, 3);
  EXPECT_EQ(m->aData[3][2], static_cast<float>((static_cast<long double>(a->aData[3][2]) +
                                                b->aData[3][2]) / 2));
  // The names of the table.
  const std::vector<std::pair<std::string, std::string>> names1 = {
      {"abs", "abs(CONT)"}, {"neg", "-(CONT)"},   {"sig", "sig(CONT)"}, {"sq", "sq(CONT)"},
      {"sqrt", "sqrt(CONT)"}, {"inv", "1/(CONT)"}, {"sin", "sin(CONT)"}, {"cos", "cos(CONT)"},
      {"log", "log(CONT)"}, {"exp10", "exp10(CONT)"}};
  for (const auto& [fn, name] : names1) EXPECT_EQ(FIOutAny1(fn, a.get())->Name, name);
  const std::vector<std::pair<std::string, std::string>> names2 = {
      {"add", "(CONT+CONT2)"}, {"sub", "(CONT-CONT2)"}, {"mul", "(CONT*CONT2)"},
      {"rat", "(CONT/CONT2)"}, {"mid", "(CONT+CONT2)/2"}};
  for (const auto& [fn, name] : names2) EXPECT_EQ(FIOutAny2(fn, a.get(), b.get())->Name, name);
  EXPECT_EQ(FIOutAnyC("add", a.get(), -56.5)->Name, "(CONT)+-56.5");
  EXPECT_EQ(FIOutAnyC("sub", a.get(), 2)->Name, "(CONT)-2");
  EXPECT_EQ(FIOutAnyC("mul", a.get(), 348.23)->Name, "(CONT)*348.23");
  EXPECT_EQ(FIOutAnyC("rat", a.get(), 47.57477079)->Name, "(CONT)/47.575");
  // The operands are untouched.
  EXPECT_EQ(a->Name, "CONT");
  EXPECT_EQ(a->kLoad, 9);
}

TEST(MapAlg, RefusalsAreReportedAndGiveNothing) {
  testsupport::SinkRecorder rec;
  auto a = MakeMap("A", 3, 2, maptest::Wave);
  auto b = MakeMap("B", 2, 3, maptest::Wave);
  EXPECT_FALSE(FIOutAny2("add", a.get(), b.get()));
  EXPECT_TRUE(rec.Has("В операции Add(A,B) карты имеют разный размер!"_cp));
  EXPECT_FALSE(FIOutAnyC2("circsub", a.get(), b.get(), 360));
  EXPECT_TRUE(rec.Has("В операции Sub(A,B) карты имеют разный размер!"_cp));
  EXPECT_FALSE(FIOutAnyC("rat", a.get(), 0));
  EXPECT_TRUE(rec.Has("вызвана функция fRat с делителем равным нулю!\r\nFI: Name=<A> sVar=<>"_cp));
  EXPECT_FALSE(FIOutAny2("ADD", a.get(), a.get()));
  EXPECT_TRUE(rec.Has("Функции ADD(FO1,FO2) не существует!"_cp));
  EXPECT_FALSE(FIOutAny1("add", a.get()));
  EXPECT_TRUE(rec.Has("Функции add(FO) не существует!"_cp));
  EXPECT_FALSE(FIOutAnyC("mid", a.get(), 1));
  EXPECT_TRUE(rec.Has("Функции mid(FO1,R) не существует!"_cp));
  EXPECT_FALSE(FIOutAny2("add", a.get(), nullptr));
  EXPECT_TRUE(rec.Has("Вызвана функция <add с неопределёнными аргументами!"_cp));
  // A map without data and without a place in a file.
  auto e = std::make_unique<TFIOut>();
  e->Name = "EMPTY";
  e->kSoft = 1;
  e->nX = 3;
  e->nY = 2;
  EXPECT_FALSE(FIOutAny2("add", a.get(), e.get()));
  EXPECT_TRUE(rec.Has("FIOutAny2 ERR Данные карты EMPTY не найдены в файле!"_cp));
  // The map functions themselves refuse silently.
  rec.texts.clear();
  EXPECT_FALSE(fo::fAdd(*a, *e));
  EXPECT_FALSE(fo::fAbs(*e));
  EXPECT_TRUE(rec.texts.empty());
}

// A map of zeros holds data as much as any other (kLoad 2 or more): sub(A,A) goes on.
TEST(MapAlg, AllZeroMapWithDataIsAnOperand) {
  testsupport::SinkRecorder rec;
  auto a = MakeMap("A", 3, 2, maptest::Wave);
  auto z = FIOutAny2("sub", a.get(), a.get());
  ASSERT_TRUE(z);
  auto n = FIOutAny1("neg", z.get());
  ASSERT_TRUE(n) << (rec.texts.empty() ? "" : rec.texts[0]);
  EXPECT_EQ(n->Name, "-((A-A))");
  EXPECT_EQ(Values(*n), std::vector<float>(6, 0.0f));
  EXPECT_TRUE(rec.texts.empty());
}

TEST(MapAlg, ParallelLoopsMatchOneThread) {
  auto a = MakeMap("A", 301, 257, [](int x, int y) { return 0.37f * x - 0.11f * y * y; });
  auto b = MakeMap("B", 301, 257, [](int x, int y) { return 1.0f + 0.5f * x * y; });
  std::vector<std::vector<float>> one, many;
  for (int32_t threads : {1, 8}) {
    SetMapAlgThreads(threads);
    auto& out = threads == 1 ? one : many;
    out.push_back(Values(*FIOutAny1("sin", a.get())));
    out.push_back(Values(*FIOutAny1("log", a.get())));
    out.push_back(Values(*FIOutAny2("rat", a.get(), b.get())));
    out.push_back(Values(*FIOutAnyC2("circsub", a.get(), b.get(), 360)));
  }
  SetMapAlgThreads(0);
  EXPECT_EQ(one, many);
}

// ---- the expression language ----

class MapExpr : public ::testing::Test {
 protected:
  void Register(const std::string& Name, const std::function<float(int, int)>& F) {
    LFIOReg().Add(MakeMap(Name, 5, 4, F));
  }
  maptest::MapRoot root;
};

TEST_F(MapExpr, ParseSplitsAtOuterCommas) {
  std::string fn;
  std::vector<std::string> args;
  ASSERT_TRUE(FOParse("mul(add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792),47.57477079)",
                      fn, args));
  EXPECT_EQ(fn, "mul");
  EXPECT_EQ(args, (std::vector<std::string>{"add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792)",
                                            "47.57477079"}));
  ASSERT_TRUE(FOParse("circsub(A,B,360)", fn, args));
  EXPECT_EQ(args, (std::vector<std::string>{"A", "B", "360"}));
  EXPECT_FALSE(FOParse("CONT", fn, args));
  // Unbalanced brackets are reported; the split goes on with what there is.
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(FOParse("abs(CONT))", fn, args));
  EXPECT_EQ(args, (std::vector<std::string>{"CONT)"}));
  EXPECT_TRUE(rec.Has("В выражении <abs(CONT))> лишняя закрывающая скобка )"_cp));
  ASSERT_TRUE(FOParse("add(CONT,abs(B)", fn, args));
  EXPECT_EQ(args, (std::vector<std::string>{"CONT", "abs(B"}));
  EXPECT_TRUE(rec.Has("В выражении <add(CONT,abs(B)> лишняя открывающая скобка ("_cp));
}

TEST_F(MapExpr, NestedExpressionsOverTheRegistry) {
  testsupport::SinkRecorder rec;
  Register("LIVp195", [](int x, int y) { return 3.0f * x + y; });
  Register("LIVm195", [](int x, int y) { return 1.0f * x - y; });
  Register("LWb1", [](int x, int) { return 50.0f + x; });
  Register("LWr1", [](int, int y) { return 60.0f + y; });
  int32_t kind = -1;
  auto m = FOOperN("mul(sub(LIVp195,LIVm195),348.23)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(m);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(m->Name, "((LIVp195-LIVm195))*348.23");
  // (3x + y - (x - y)) * 348.23 at x = 2, y = 3.
  EXPECT_EQ(m->aData[2][3], static_cast<float>(static_cast<long double>(10.0f) * 348.23));
  auto w = FOOperN("mul(add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792),47.57477079)",
                   maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(w);
  EXPECT_NEAR(w->aData[1][2], ((51.0 + 62.0) / 2 - 56.5 + 0) * 0.021549 * 47.57477079 +
                                  0.5792 * 47.57477079, 1e-4);
  // Hour-minute times find the maps of the scan; the registry holds only what was registered.
  EXPECT_TRUE(FOOperN("abs(LWb1)", maptest::kDa, "1645", kind));
  EXPECT_EQ(LFIOReg().Count(), 4);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts[0];
}

TEST_F(MapExpr, NumbersNamesAndHeaderKeys) {
  testsupport::SinkRecorder rec;
  Register("CONT", maptest::Wave);
  int32_t kind = 0;
  EXPECT_FALSE(FOOperN("abs(3)", maptest::kDa, maptest::kTi, kind));
  EXPECT_EQ(kind, 1);
  EXPECT_TRUE(rec.Has("FOOperN.Err: первый оператор <3>\r\nобязательно должен быть картой!"_cp));
  EXPECT_FALSE(FOOperN("CONT", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("Не удаётся распарсить операцию <CONT>"_cp));
  EXPECT_FALSE(FOOperN("abs(NOPE)", maptest::kDa, maptest::kTi, kind));
  EXPECT_EQ(kind, 0);
  EXPECT_TRUE(rec.Has("Карта <NOPE> - что дальше?"_cp));
  EXPECT_FALSE(FOOperN("add(CONT,NOPE)", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("Карты <NOPE> нет в LFIO и вообще нигде!"_cp));
  // "$" keys: none of the main headers read yet, then the own file's header.
  EXPECT_FALSE(FOOperN("rat(CONT,$CB0)", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("К этому моменту не найдены CV и ME-FITS файлы!"_cp));
  TLFIOut& reg = LFIOReg();
  reg.HcvSL = std::make_unique<TStringList>();
  reg.HcvSL->Add(FITCardRF("CB0", 6, "continuum", 2.0));
  reg.HcvSL->Add(FITCardStr("CNAME", "CONT", "a map name"));
  reg.HcvSL->Add(FITEndCard());
  auto m = FOOperN("rat(CONT,$CB0)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Name, "(CONT)/2");
  EXPECT_EQ(m->aData[3][1], maptest::Wave(3, 1) / 2);
  // A key whose text is no number names a map.
  auto s = FOOperN("sub(CONT,$CNAME)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Name, "(CONT-CONT)");
  rec.texts.clear();
  EXPECT_FALSE(FOOperN("rat(CONT,$CB9)", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("не загружен ME-FITS файл, переменной CB9 нет в Header-e CV-fits!"_cp));
  reg.HmeSL = std::make_unique<TStringList>();
  reg.HmeSL->Add(FITCardRF("CB9", 6, "", 4.0));
  reg.HmeSL->Add(FITEndCard());
  EXPECT_TRUE(FOOperN("rat(CONT,$CB9)", maptest::kDa, maptest::kTi, kind));
  EXPECT_FALSE(FOOperN("rat(CONT,$CB8)", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("переменной CB8 нет в Header-e CV или ME-fits!"_cp));
  // circsub with maps and the period; the operation list is asked for an unknown name.
  Register("CONT2", [](int x, int) { return 100.0f * x; });
  auto c = FOOperN("circsub(CONT,CONT2,360)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->Name, "(CONT-CONT2)");
  // An unreadable period counts as 0 (every difference wrapped once by 0: unchanged); a number
  // in place of the second map leaves circsub without its operand.
  auto z = FOOperN("circsub(CONT,CONT2,x)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->aData[2][1], maptest::Wave(2, 1) - 200.0f);
  EXPECT_FALSE(FOOperN("circsub(CONT,5,360)", maptest::kDa, maptest::kTi, kind));
  EXPECT_TRUE(rec.Has("Вызвана функция <circsub с неопределёнными аргументами!"_cp));
  int asked = 0;
  Scans().CalcFO.Install([&](const std::string& Name, const std::string&, const std::string&) {
    ++asked;
    if (Name != "DERIVED") return false;
    LFIOReg().Add(MakeMap("DERIVED", 5, 4, [](int, int) { return 7.0f; }));
    return true;
  });
  auto d = FOOperN("add(CONT,DERIVED)", maptest::kDa, maptest::kTi, kind);
  ASSERT_TRUE(d);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(d->aData[0][0], maptest::Wave(0, 0) + 7.0f);
}

TEST_F(MapExpr, MapsComeFromTheOwnFileAndALineRegistersItsResult) {
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  auto a = MakeMap("CONT", 6, 5, maptest::Wave);
  auto b = MakeMap("CONT2", 6, 5, [](int x, int y) { return 1.5f * x - y; });
  ASSERT_TRUE(a->Save());
  ASSERT_TRUE(b->Save());
  TFIOut* cnt = FOLineToMap("Cnt = mid(CONT,CONT2)", maptest::kDa, maptest::kTi);
  ASSERT_TRUE(cnt) << (rec.texts.empty() ? "" : rec.texts[0]);
  EXPECT_EQ(cnt->Name, "Cnt");
  EXPECT_EQ(cnt->kSoft, 1);
  EXPECT_EQ(cnt->DaNum, '\0');
  EXPECT_EQ(cnt->kLoad & 8, 8);
  EXPECT_EQ(cnt->aData[5][4], static_cast<float>((static_cast<long double>(a->aData[5][4]) +
                                                  b->aData[5][4]) / 2));
  EXPECT_FLOAT_EQ(cnt->vMax, cnt->aData[cnt->ixMax][cnt->iyMax]);
  // The two operands were read into the registry, the result added after them.
  TLFIOut& reg = LFIOReg();
  ASSERT_EQ(reg.Count(), 3);
  EXPECT_EQ(reg.Item(2), cnt);
  EXPECT_EQ(reg.GetFIOutDT(maptest::kDa, maptest::kTi, "CONT")->kLoad & 2, 2);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts[0];
}

// ---- every function against numpy ----

bool HaveNumpy() {
  return std::system("/usr/bin/python3 -c 'import numpy' >/dev/null 2>&1") == 0;
}

void Dump(const std::string& File, const TFIOut& M) {
  std::ofstream f(File, std::ios::binary);
  f.write(reinterpret_cast<const char*>(M.aData.Data()),
          static_cast<std::streamsize>(M.aData.Count() * sizeof(float)));
}

// Two sets of values: small ones (every function in its range), and wide ones (degrees of many
// turns, logarithms near 1, powers near the top of the single range and beyond it), each with
// zeros and the turning points of the functions.
TEST(MapAlgNumpy, EveryFunctionEqualsNumpyInExtendedPrecision) {
  if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is not installed";
  std::mt19937 rng(20190622);
  for (const float span : {36.0f, 1e5f}) {
    testsupport::TempDir dir;
    std::uniform_real_distribution<float> u(-span, span);
    std::uniform_real_distribution<float> near1(0.999f, 1.001f);
    std::vector<float> av(4000), bv(4000);
    for (size_t k = 0; k < av.size(); ++k) {
      av[k] = k % 97 == 0 ? 0.0f : k % 5 == 0 && span > 100 ? near1(rng) : u(rng);
      bv[k] = k % 89 == 0 ? 0.0f : u(rng);
    }
    size_t at = 6;
    for (float v : {90.0f, -90.0f, 180.0f, 30.0f, 1.0f, -1.0f, 1e-7f, 35.5f, 38.5f, 37.9f,
                    -45.0f, 360.0f * 1000, 7.0e4f * 180}) {
      av[at] = v;
      at += 13;
    }
    auto a = MakeMap("A", 80, 50,
                     [&](int x, int y) { return av[static_cast<size_t>(y * 80 + x)]; });
    auto b = MakeMap("B", 80, 50,
                     [&](int x, int y) { return bv[static_cast<size_t>(y * 80 + x)]; });
    const double c = 348.23, p = 20;
    Dump(dir.file("A.f32"), *a);
    Dump(dir.file("B.f32"), *b);
    testsupport::WriteFile(dir.file("C.txt"), "348.23");
    testsupport::WriteFile(dir.file("P.txt"), "20");
    for (const std::string& fn : FOFuncs1())
      Dump(dir.file(fn + ".f32"), *FIOutAny1(fn, a.get()));
    for (const std::string& fn : FOFuncs2())
      Dump(dir.file(fn + ".f32"), *FIOutAny2(fn, a.get(), b.get()));
    for (const std::string& fn : FOFuncsC())
      Dump(dir.file(fn + "c.f32"), *FIOutAnyC(fn, a.get(), c));
    Dump(dir.file("circsub.f32"), *FIOutAnyC2("circsub", a.get(), b.get(), p));
    const std::string out = testsupport::RunShell(
        "/usr/bin/python3 " + testsupport::SourceRoot() +
        "/tests/scans/support/numpy_mapalg.py alg " + dir.str());
    std::istringstream in(out);
    std::string name;
    int bad = 0, ulp = 0, seen = 0;
    while (in >> name >> bad >> ulp) {
      ++seen;
      EXPECT_EQ(bad, 0) << name << " differs from numpy in " << bad << " values (" << ulp
                        << " units in the last place at most), span " << span;
    }
    EXPECT_EQ(seen, 20) << out;
  }
}

}  // namespace
