// The FITS tab's map operations without the window: a definition line or name computed into the
// registry (the evaluator's edge cases, a bare name from the file, a second run replacing the
// first), batches that stop or go on, maps erased from the own file (several at once, the block
// from the file's directory, other kinds refused), and the calculation stages and their cases
// on a generated scan: what they save, a cancelled stage, the level of Ldxx, the stand-in
// stages, the refusals and the RUN queue stopping at a case its run did not mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITSRuns.h"
#include "scans/cvFOOps.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapAlg.h"
#include "scans/support/MapFiles.h"
#include "scans/support/MapRuns.h"
#include "support/SinkRecorder.h"

namespace {

using maptest::kDa;
using maptest::kTi;
using maptest::MakeMap;

std::vector<std::string> FileNames(const std::string& File) {
  std::vector<TMapExt> dir;
  ReadMapDir(File, dir, nullptr, true);
  std::vector<std::string> n;
  for (const TMapExt& e : dir) n.push_back(e.Name);
  return n;
}

int CountNamed(const std::string& Name) {
  int n = 0;
  for (const auto& m : LFIOReg().Items)
    if (FIOutAssigned(m.get()) && m->Name == Name && m->Da == kDa && m->Ti == kTi) ++n;
  return n;
}

class FODefs : public ::testing::Test {
 protected:
  void SetUp() override {
    foops::FOLines().clear();
    foops::InstallCalcFO();
  }
  void TearDown() override { foops::FOLines().clear(); }
  void Reg(const std::string& Name, float K) {
    LFIOReg().Add(MakeMap(Name, 5, 4, [K](int x, int y) { return K * (x + 1) + y; }));
  }
  maptest::MapRoot root;
};

TEST_F(FODefs, LinesAndNamesAsTheEvaluatorTakesThem) {
  testsupport::SinkRecorder rec;
  for (const char* n : {"W2QUV295", "W2QUV195", "CONT", "CONT2", "LWb1", "LWr1"})
    Reg(n, static_cast<float>(std::string(n).size()));
  TLFIOut& reg = LFIOReg();
  reg.HcvSL = std::make_unique<TStringList>();
  reg.HcvSL->Add(FITCardRF("CB0", 6, "continuum", 4.0));
  reg.HcvSL->Add(FITEndCard());
  foops::FOLines() = {"Cnt=mid(CONT,CONT2)"};
  struct TCase {
    const char* Text;
    const char* Made;      // the registered map, empty: none
    bool Ok, Number;
    std::string Warning;   // a part of a warning, empty: none expected
  };
  const TCase cases[] = {
      {"W2QUV=add(W2QUV295,W2QUV195)", "W2QUV", true, false, ""},
      {"VW1=mul(add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792),47.57477079)", "VW1", true,
       false, ""},
      {"CB0=rat(CONT,$CB0)", "CB0", true, false, ""},
      {"cs=circsub(CONT,CONT2,360)", "cs", true, false, ""},
      {"x=abs(3)", "", true, true, "НЕ ДОПИСАНО 6843"_cp},
      {"Cnt", "Cnt", true, false, ""},
      {"NOPE", "", false, false, "не описана в файле FO.txt и не может быть рассчитана!"_cp},
  };
  for (const TCase& c : cases) {
    rec.texts.clear();
    bool ok = false, number = false;
    TFIOut* m = foops::CalcFO(c.Text, kDa, kTi, ok, number);
    EXPECT_EQ(ok, c.Ok) << c.Text;
    EXPECT_EQ(number, c.Number) << c.Text;
    if (*c.Made) {
      ASSERT_TRUE(m) << c.Text << (rec.texts.empty() ? "" : " " + rec.texts[0]);
      EXPECT_EQ(m->Name, c.Made);
      EXPECT_EQ(m->kSoft, 1);
      EXPECT_EQ(m->DaNum, '\0');
      EXPECT_EQ(m->kLoad & 8, 8);
      EXPECT_EQ(reg.GetFIOutDT(kDa, kTi, c.Made), m);
    } else {
      EXPECT_FALSE(m) << c.Text;
    }
    if (!c.Warning.empty()) {
      EXPECT_TRUE(rec.Has(c.Warning)) << c.Text;
    }
  }
  // the constant came from the header: CONT / 4
  EXPECT_FLOAT_EQ(reg.GetFIOutDT(kDa, kTi, "CB0")->aData[2][1],
                  reg.GetFIOutDT(kDa, kTi, "CONT")->aData[2][1] / 4);
  // a definition run again replaces its earlier result
  ASSERT_TRUE(foops::CalcFOByName("W2QUV=add(W2QUV295,W2QUV195)", kDa, kTi));
  EXPECT_EQ(CountNamed("W2QUV"), 1);
}

TEST_F(FODefs, ABareNameInTheFileIsLoadedAndBatchesStopOrGoOn) {
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  auto c3 = MakeMap("CONT3", 5, 4, maptest::Wave);
  ASSERT_TRUE(c3->Save());
  Reg("CONT", 2);
  foops::FOLines() = {"CONT3=abs(CONT)", "Two=mul(CONT,2)"};
  bool ok = false, number = false;
  TFIOut* m = foops::CalcFO("CONT3", kDa, kTi, ok, number);
  ASSERT_TRUE(m);
  EXPECT_NE(m->nb0, 0);  // the file's map, not computed
  // "New FOs" stops at a name without a definition; "Auto FOs" runs every line
  TJob j1("new");
  EXPECT_EQ(foops::RunFOLines(j1, {"NOPE ! no such map", "Two"}, kDa, kTi, true), 0);
  EXPECT_EQ(CountNamed("Two"), 0);
  TJob j2("auto");
  EXPECT_EQ(foops::RunFOLines(j2, {"NOPE", "", "Two"}, kDa, kTi, false), 1);
  EXPECT_EQ(CountNamed("Two"), 1);
}

TEST_F(FODefs, ErasingCutsEachBlockAndReloadsTheFilesMaps) {
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  const char* names[] = {"A", "B", "C", "D", "E"};
  for (int i = 0; i < 5; ++i) {
    // sizes differ, so that a wrong offset shows in the data read back
    auto m = MakeMap(names[i], 7 + i, 5, [i](int x, int y) { return 100.0f * i + x + 0.5f * y; });
    ASSERT_TRUE(m->Save());
  }
  const int64_t before = maptest::Size(root.Own());
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  int64_t s = 0, e = 0;
  ASSERT_TRUE(foops::MapBlock(root.Own(), "E", s, e));
  EXPECT_EQ(e, before);  // the last block ends with the file
  int64_t cut = 0;
  for (const char* n : {"B", "D"}) {
    ASSERT_TRUE(foops::MapBlock(root.Own(), n, s, e));
    cut += e - s;
  }
  // B and D of one file in one call (ascending order given)
  ASSERT_TRUE(foops::EraseMaps({reg.GetFIOutDT(kDa, kTi, "B"), reg.GetFIOutDT(kDa, kTi, "D")},
                               false));
  EXPECT_EQ(FileNames(root.Own()), (std::vector<std::string>{"A", "C", "E"}));
  ASSERT_TRUE(foops::MapBlock(root.Own(), "D", s, e) == false);
  ASSERT_TRUE(foops::MapBlock(root.Own(), "C", s, e));
  for (int i : {0, 2, 4}) {
    TFIOut* m = reg.GetFIOutDT(kDa, kTi, names[i]);
    ASSERT_TRUE(m && m->EnsureLoaded()) << names[i];
    EXPECT_EQ(m->nX, 7 + i);
    EXPECT_FLOAT_EQ(m->aData[3][2], 100.0f * i + 3 + 1.0f);
  }
  EXPECT_EQ(reg.GetFIOutDT(kDa, kTi, "B"), nullptr);
  const int64_t after = maptest::Size(root.Own());
  EXPECT_EQ(after, before - cut);
  // a map of the inversion-result file is refused, the file untouched
  auto me = MakeMap("ME1", 5, 4, maptest::Wave);
  me->kSoft = 2;
  me->nb0 = 5760;
  TFIOut* mer = reg.Add(std::move(me));
  rec.texts.clear();
  EXPECT_FALSE(foops::EraseMaps({mer}, false));
  EXPECT_TRUE(rec.Has("удалять можно только карты собственного файла сеанса!"_cp));
  EXPECT_EQ(maptest::Size(root.Own()), after);
  // a map without a place in a file only leaves the registry
  TFIOut* loose = reg.Add(MakeMap("Loose", 5, 4, maptest::Wave));
  EXPECT_FALSE(foops::EraseMaps({loose}, false));
  EXPECT_EQ(CountNamed("Loose"), 0);
}

// ---- stages on a generated scan

class Stages : public ::testing::Test {
 protected:
  Stages() : g(8, 12), hooks(fitsruns::StageHooks()) {
    foops::FOLines().clear();
    foops::InstallCalcFO();
    ctx.Scan = g.scan.get();
    ctx.Session = g.scan->ScanName;
  }
  ~Stages() override { fitsruns::StageHooks() = hooks; }
  bool Run(const std::string& Case, int CancelAt = -1) {
    return g.Run([&](TJob& J) { return fitsruns::RunCase(J, ctx, Case); }, CancelAt);
  }
  bool Marked(const std::string& Case) {
    const auto marks = fitsruns::CaseMarks(ctx.Session);
    for (size_t i = 0; i < marks.size(); ++i)
      if (fitsruns::RunCases()[i] == Case) return marks[i];
    return false;
  }
  runtest::GenScan g;
  std::map<std::string, fitsruns::TStageHook> hooks;
  fitsruns::TRunCtx ctx;
};

TEST_F(Stages, ContSavesItsFourMapsAndACancelSavesNothing) {
  // cancelled before the end: no file started
  EXPECT_FALSE(Run("CONT", 3));
  EXPECT_FALSE(std::filesystem::exists(g.Own()));
  EXPECT_FALSE(Marked("CONT"));
  ASSERT_TRUE(Run("CONT*")) << (g.job->Warnings().empty() ? "" : g.job->Warnings()[0].Text);
  EXPECT_EQ(ctx.Saved, (std::vector<std::string>{"CONT", "CONT2", "LCONT", "LCONT2"}));
  EXPECT_EQ(FileNames(g.Own()), ctx.Saved);
  EXPECT_TRUE(Marked("CONT"));
  // the result maps passed through the registry only
  EXPECT_EQ(LFIOReg().GetFIOutDT(g.scan->ScanDa(), g.scan->ScanTi(), "CONT"), nullptr);
  EXPECT_EQ(fitsruns::FirstPending(fitsruns::CaseMarks(ctx.Session)), "LIV");
  // a cancelled stage leaves the started file as it was
  const int64_t size = maptest::Size(g.Own());
  ctx.LCxx = "0.5";
  EXPECT_FALSE(Run("1Ldxx", 2));
  EXPECT_EQ(maptest::Size(g.Own()), size);
}

TEST_F(Stages, LdxxTakesItsLevelFromTheField) {
  struct TCase {
    const char* Field;
    std::vector<std::string> Maps;
  };
  const TCase cases[] = {{"0", {"LC501", "LC502"}}, {"0.3", {"LC301", "LC302"}}};
  for (const TCase& c : cases) {
    ctx.LCxx = c.Field;
    ctx.Saved.clear();
    ASSERT_TRUE(Run("1Ldxx")) << c.Field;
    for (const std::string& m : c.Maps)
      EXPECT_NE(std::find(ctx.Saved.begin(), ctx.Saved.end(), m), ctx.Saved.end()) << m;
  }
  const std::vector<std::string> names = FileNames(g.Own());
  for (const char* n : {"CONT", "d01", "d02", "Ld01", "Ld02", "LC501", "LC302"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  EXPECT_EQ(fitsruns::LdxxLevel("abc"), "50");
}

TEST_F(Stages, StandInsRefusalsAndTheQueueStop) {
  // "23_CB0*": the star dropped, CB0 runs and stops without the session's maps; a hook put in
  // its place runs instead
  const auto cb0 = fitsruns::StageHooks()["23_CB0"];
  EXPECT_FALSE(Run("23_CB0*"));
  EXPECT_TRUE(g.Warned(" не рассчитана карта "_cp));
  int calls = 0;
  fitsruns::StageHooks()["23_CB0"] = [&](TJob&, fitsruns::TRunCtx&) {
    ++calls;
    return true;
  };
  EXPECT_TRUE(Run("23_CB0*"));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(Run("XYZ"));
  EXPECT_TRUE(g.Warned("Алгоритм <XYZ> не описан и не может быть запущен!"_cp));
  // D_Full without the wing maps in a file or the definitions
  EXPECT_FALSE(Run("4_DFull"));
  EXPECT_TRUE(g.Warned("Перед запуском расчёта CalcDFull надо чтобы в LFIO"_cp));
  EXPECT_FALSE(std::filesystem::exists(g.Own()));
  // LW with LWI2 registered asks; Yes stops it, nothing saved
  g.Fixture(g.scan->OuAny.At(3, 2), "LWI2", 1, "2022", [](int, int) { return 1.0f; });
  std::string asked;
  g.job.reset();
  const bool ok = g.Run([&](TJob& J) {
    J.OnAsk = [&](const std::string& T, bool) {
      asked = T;
      return true;
    };
    return fitsruns::RunCase(J, ctx, "3_LW(b,r)");
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(asked, "FIOut с именем LWI2 присутствует, прервать расчёт?"_cp);
  EXPECT_TRUE(ctx.Saved.empty());
  // the queue: a case whose run does not mark it stops the queue, named
  LFIOReg().ClearAll();
  fitsruns::TRunCtx q = ctx;
  const std::string s = ctx.Session;
  EXPECT_FALSE(g.Run([&](TJob& J) {
    // CONT, LIV, WIQUV and LW run and mark; KVI reads the file's maps and leaves its run to
    // the next request, so the refresh selects it again
    return fitsruns::RunQueue(J, q, {s}, 0, "");
  }));
  EXPECT_TRUE(g.Warned("> не отмечен после своего выполнения - очередь RUN остановлена!"_cp));
  EXPECT_TRUE(Marked("CONT"));
  // with CB0 itself the queue goes on through the session constants to the user's cases
  fitsruns::StageHooks()["23_CB0"] = cb0;
  g.job.reset();
  EXPECT_TRUE(g.Run([&](TJob& J) { return fitsruns::RunQueue(J, q, {s}, 0, ""); }));
  for (const char* c : {"23_CB0", "3.5_List", "BML"}) EXPECT_TRUE(Marked(c)) << c;
}

// The queue walks on past a session whose cases are all marked; "_1" skips a session whose own
// file holds CONT.
TEST_F(Stages, TheQueueWalksTheFollowingSessions) {
  const std::string first = ctx.Session;
  // the first session's own file marks every case: map names and main-header keys
  ASSERT_TRUE(WriteMainHeader(*g.scan, TScanMapStats{}));
  {
    std::fstream f(g.Own(), std::ios::in | std::ios::out | std::ios::binary);
    std::string head(5760, ' ');
    f.read(head.data(), 5760);
    size_t end = 0;
    while (end < 5760 && head.compare(end, 3, "END") != 0) end += 80;
    ASSERT_LT(end + 320, 5760u);
    const std::string cards = FITCardRF("CB0", 6, "", 1.0) + FITCardRF("tDura", 6, "", 1.0) +
                              FITCardRF("maBML2", 6, "", 1.0) + FITEndCard();
    head.replace(end, cards.size(), cards);
    f.seekp(0);
    f.write(head.data(), 5760);
  }
  for (const char* n : {"CONT2", "LC501", "wVp195", "LWI2", "d0Full2", "kat2", "L-Wr2", "B1IV5",
                        "B1IV06", "flt1", "BML2"}) {
    auto m = MakeMap(n, g.scan->nX, g.scan->ScanNY(), maptest::Wave);
    m->Da = g.scan->ScanDa();
    m->Ti = g.scan->ScanTi();
    ASSERT_TRUE(m->Save()) << n;
  }
  EXPECT_EQ(fitsruns::FirstPending(fitsruns::CaseMarks(first)), "");
  TScanGenOptions o = g.opt;
  o.Start = "2019-06-22T17:00:05.000";
  GenerateScan(g.dir.str(), o);
  const std::string second = "20190622_170005";
  const auto hooks = fitsruns::StageHooks();
  fitsruns::StageHooks()["23_CB0"] = [](TJob&, fitsruns::TRunCtx&) { return true; };
  EXPECT_FALSE(g.Run([&](TJob& J) { return fitsruns::RunQueue(J, ctx, {first, second}, 0, ""); }));
  // the second session's automatic cases ran until the hook's case, which its run left unmarked
  EXPECT_NE(std::find(ctx.Ran.begin(), ctx.Ran.end(), "CONT"), ctx.Ran.end());
  EXPECT_EQ(ctx.Session, second);
  EXPECT_TRUE(g.Warned("Сеанс 20190622_170005: расчёт <23_CB0> не отмечен"_cp));
  fitsruns::StageHooks() = hooks;
  // "_1": the first session's file has no map CONT, the second's has: only the first is run
  ctx.Ran.clear();
  const int64_t size2 = maptest::Size(GetCVFITName("20190622", "170005"));
  ASSERT_TRUE(g.Run([&](TJob& J) { return fitsruns::ContForAll(J, ctx, {first, second}); }));
  EXPECT_EQ(ctx.Ran, (std::vector<std::string>{"CONT"}));
  EXPECT_EQ(maptest::Size(GetCVFITName("20190622", "170005")), size2);
  EXPECT_EQ(ctx.Session, first);
}

}  // namespace
