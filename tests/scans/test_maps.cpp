// Maps of a scan: the stored layout of map files (offsets, NCut padding, rewrites in place,
// refusals), reading them back through the registry, the registry's lookups and ownership, the
// statistics, and bad files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

using maptest::kDa;
using maptest::kTi;
using maptest::MakeMap;
using maptest::Size;
using maptest::Wave;

std::vector<std::string> DirLines() {
  const auto l = FITExtDir(1, kDa, kTi);
  std::vector<std::string> r;
  if (l)
    for (int i = 0; i < l->Count(); ++i) r.push_back((*l)[i]);
  return r;
}

class MapFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{})); }
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
};

TEST_F(MapFileTest, LayoutOffsetsPaddingAndOddSizedMaps) {
  ASSERT_EQ(Size(root.Own()), 5760);
  auto a = MakeMap("CONT", 100, 50, Wave);
  ASSERT_TRUE(a->Save());
  EXPECT_EQ(a->nb0, 5760);
  EXPECT_EQ(a->nbData0, 8640);
  EXPECT_EQ(Size(root.Own()), 28800);  // data ends at 28640, padded with 160 zero bytes
  const std::string bytes = testsupport::ReadFile(root.Own());
  EXPECT_EQ(bytes.substr(28640), std::string(160, '\0'));
  // 79 values leave 4 bytes of padding: the next map is still found after them.
  auto b = MakeMap("ODD", 79, 1, Wave);
  ASSERT_TRUE(b->Save());
  EXPECT_EQ(Size(root.Own()), 32000);
  auto c = MakeMap("ABCDEFGHIJKLMNOPQRSTUVWXY", 3, 2, Wave);
  ASSERT_TRUE(c->Save());
  EXPECT_EQ(DirLines(), (std::vector<std::string>{"Name b0_hd b0_data L_hd L_data",
                                                  "CONT 5760 8640 2880 20000",
                                                  "ODD 28800 31680 2880 316",
                                                  "ABCDEFGHIJKLMNOPQRST 32000 34880 2880 24"}));
  // Saving a map again rewrites it in place.
  EXPECT_EQ(Size(root.Own()), 35200);
  a->aData[7][3] = 42.0f;
  ASSERT_TRUE(a->Save());
  EXPECT_EQ(Size(root.Own()), 35200);
  EXPECT_EQ(DirLines().size(), 4u);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts.front();
  for (const auto& f : std::filesystem::directory_iterator(root.scan.OutFolder))
    EXPECT_EQ(f.path().filename().string().find(".tmp~"), std::string::npos);
}

// Reading back: every map of every padding unit, values exact, kind 1 with its version.
TEST(MapFiles, ReloadEqualsWhatWasWrittenForEveryPaddingUnit) {
  for (int ncut : {320, 512, 2880, 1}) {
    maptest::MapRoot root;
    testsupport::SinkRecorder rec;
    Scans().NCut = ncut;
    ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    std::vector<std::unique_ptr<TFIOut>> maps;
    maps.push_back(MakeMap("CONT", 17, 9, Wave));
    maps.push_back(MakeMap("ODD", 79, 1, Wave));
    maps.push_back(MakeMap("V", 5, 7, [](int x, int y) { return x == 2 ? -1e30f : 0.125f * y; },
                           ""));
    // Without a version the map's own header is written as it is (here: one without ALG_VER).
    maps[2]->Ver = "x";
    maps[2]->CVOUTHeader();
    maps[2]->Ver.clear();
    HeaderDelKey(maps[2]->HSL.get(), "ALG_VER");
    for (auto& m : maps) ASSERT_TRUE(m->Save()) << ncut;
    EXPECT_TRUE(rec.Has("Для карты FITS_Out с именем V не задана версия алгоритма"_cp));
    TLFIOut& reg = LFIOReg();
    ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true)) << ncut;
    ASSERT_EQ(reg.Count(), 3) << ncut;
    for (int i = 0; i < 3; ++i) {
      TFIOut* m = reg.Item(i);
      ASSERT_TRUE(m->EnsureLoaded()) << ncut << " " << m->Name;
      EXPECT_EQ(m->Name, maps[i]->Name);
      EXPECT_EQ(m->KH, i + 1);
      EXPECT_EQ(m->DaNum, 'a');
      EXPECT_EQ(m->kSoft, 1);
      EXPECT_EQ(m->kLoad, 2);
      EXPECT_EQ(m->Com, "CV: test " + maps[i]->Name);  // the comment reads back whole
      EXPECT_EQ(m->aData, maps[i]->aData) << ncut << " " << m->Name;
    }
    EXPECT_EQ(reg.Item(0)->Ver, "20241023");
    EXPECT_EQ(reg.Item(2)->Ver, "220101");  // written without a version: the old header's rule
    // A map read back and written again keeps its comment (no second "CV: ").
    reg.Item(0)->CVOUTHeader();
    EXPECT_EQ(CardComment(GetFITKeyS80All("EXTNAME", reg.Item(0)->HSL.get())),
              "CV: test " + maps[0]->Name);
    // Loading again registers nothing twice.
    ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
    ASSERT_TRUE(reg.LoadOwnFile(kDa, kTi));
    EXPECT_EQ(reg.Count(), 3);
  }
}

TEST_F(MapFileTest, WantedListTakesOnlyItsMapsButKeepsEveryHeader) {
  ASSERT_TRUE(MakeMap("CONT", 4, 3, Wave)->Save());
  ASSERT_TRUE(MakeMap("VLOS", 4, 3, Wave)->Save());
  TLFIOut& reg = LFIOReg();
  TStringList wanted;
  wanted.Add("VLOS vel");
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, &wanted, false));
  ASSERT_EQ(reg.Count(), 1);
  EXPECT_EQ(reg.Item(0)->Name, "VLOS");
  EXPECT_EQ(reg.Item(0)->sVar, "vel0");
  EXPECT_EQ(reg.Item(0)->KH, 2);
  int ext = 0;
  for (int i = 0; i < reg.HcvSL->Count(); ++i) ext += (*reg.HcvSL)[i].rfind("XTENSION", 0) == 0;
  EXPECT_EQ(ext, 2);
  EXPECT_EQ(GetFITKeyAll("NAXIS", reg.HcvSL.get()), "0");
}

TEST_F(MapFileTest, RefusalsLeaveTheFileAsItWas) {
  auto a = MakeMap("CONT", 10, 10, Wave);
  ASSERT_TRUE(a->Save());
  ASSERT_TRUE(MakeMap("NEXT", 3, 3, Wave)->Save());
  const std::string before = testsupport::ReadFile(root.Own());
  // A larger map rewritten in place would run into the next extension.
  auto big = MakeMap("CONT", 10, 20, Wave);
  EXPECT_FALSE(big->Save());
  EXPECT_TRUE(rec.Has("CONT")) << rec.texts.size();
  EXPECT_EQ(testsupport::ReadFile(root.Own()), before);
  // Two extensions of one name: the duplicate message, nothing written.
  testsupport::WriteFile(root.Own(), before + before.substr(5760, 3520));
  const std::string dup = testsupport::ReadFile(root.Own());
  rec.texts.clear();
  EXPECT_FALSE(MakeMap("CONT", 10, 10, Wave)->Save());
  EXPECT_TRUE(rec.Has("Найдено более одной карты с именем <CONT>"_cp));
  EXPECT_EQ(testsupport::ReadFile(root.Own()), dup);
  // An all-zero map, a map without data, a clone (no file).
  rec.texts.clear();
  auto zero = MakeMap("Z", 2, 2, [](int, int) { return 0.0f; });
  zero->kLoad = 1;
  EXPECT_FALSE(zero->Save());
  EXPECT_TRUE(rec.Has("данные не загружены"_cp));
  auto empty = std::make_unique<TFIOut>();
  EXPECT_FALSE(empty->Save());
  EXPECT_TRUE(rec.Has("FO.Save Err: aData Not Assigned"));
  auto clone = a->Clone();
  ASSERT_TRUE(clone);
  EXPECT_EQ(clone->kSoft, 7);
  clone->aData[0][0] = 1;
  EXPECT_FALSE(clone->Save());
  EXPECT_TRUE(rec.Has("Сперва надо создать файл\r\n<>"_cp));
  EXPECT_EQ(testsupport::ReadFile(root.Own()), dup);
}

// A smaller map rewritten in place leaves no old bytes behind: the walk still finds every map.
TEST_F(MapFileTest, SmallerRewritesKeepTheFileReadable) {
  ASSERT_TRUE(MakeMap("A", 30, 30, Wave)->Save());
  ASSERT_TRUE(MakeMap("B", 30, 30, Wave)->Save());
  ASSERT_TRUE(MakeMap("A", 5, 5, Wave)->Save());
  auto b = MakeMap("B", 4, 4, Wave);
  ASSERT_TRUE(b->Save());
  EXPECT_EQ(DirLines(), (std::vector<std::string>{"Name b0_hd b0_data L_hd L_data",
                                                  "A 5760 8640 2880 100", "B 12480 15360 2880 64"}));
  EXPECT_EQ(Size(root.Own()), 15680);
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  ASSERT_EQ(reg.Count(), 2);
  ASSERT_TRUE(reg.Item(1)->EnsureLoaded());
  EXPECT_EQ(reg.Item(1)->aData, b->aData);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts.front();
}

TEST_F(MapFileTest, TheLastMapMayGrowAndMainHeaderKeepsABackup) {
  ASSERT_TRUE(MakeMap("CONT", 10, 10, Wave)->Save());
  auto big = MakeMap("CONT", 30, 30, Wave);
  ASSERT_TRUE(big->Save());
  EXPECT_EQ(DirLines().back(), "CONT 5760 8640 2880 3600");
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  EXPECT_EQ(Size(root.Own()), 5760);
  EXPECT_EQ(Size(root.scan.OutFolder + "/20190622_1645.0000"), 12480);  // 5760 + 2880 + 3600, padded
}

// A kill during a save leaves the previous file whole: a child saves maps over and over and is
// killed at some moment; the file then holds one complete version.
TEST_F(MapFileTest, AKillMidSaveLeavesTheFileWhole) {
  ASSERT_TRUE(MakeMap("CONT", 200, 100, Wave)->Save());
  for (int delayUs : {3000, 20000, 60000}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int round = 0;; ++round) {
        std::vector<std::unique_ptr<TFIOut>> maps;
        std::vector<TFIOut*> p;
        for (int k = 0; k < 8; ++k) {
          maps.push_back(MakeMap("M" + std::to_string(k), 200, 100,
                                 [&](int x, int y) { return float(round + x + y + 1); }));
          p.push_back(maps.back().get());
        }
        TJob job("save");
        SaveMaps(job, p);
      }
    }
    usleep(delayUs);
    kill(pid, SIGKILL);
    int st = 0;
    waitpid(pid, &st, 0);
    TLFIOut& reg = LFIOReg();
    reg.ClearAll();
    rec.texts.clear();
    ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
    EXPECT_TRUE(rec.texts.empty()) << rec.texts.front();
    for (const auto& m : reg.Items) {
      ASSERT_TRUE(m->EnsureLoaded()) << m->Name;
      if (m->Name == "CONT") continue;
      // One round's values throughout each map.
      const float r0 = m->aData[0][0] - 1;
      EXPECT_EQ(m->aData[199][99], r0 + 199 + 99 + 1);
    }
    // The maps of one round land together.
    EXPECT_TRUE(reg.Count() == 1 || reg.Count() == 9) << reg.Count();
  }
  // The next save removes the copies the killed writers left.
  ASSERT_TRUE(MakeMap("CONT", 200, 100, Wave)->Save());
  for (const auto& f : std::filesystem::directory_iterator(root.scan.OutFolder))
    EXPECT_EQ(f.path().filename().string().find(".tmp~"), std::string::npos) << f.path();
}

TEST(MapNames, FileNamesByKind) {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  const std::string r = root.dir.str() + "/2019_06/20190622_1645/";
  EXPECT_EQ(GetCVFITName(kDa, kTi), r + "20190622_1645.fits");
  EXPECT_EQ(GetMEFITName(kDa, kTi), r + "20190622_164505.fits");
  EXPECT_EQ(GetM2FITName(kDa, kTi), r + "20190622_164505_L2.1.fits");
  EXPECT_EQ(GetFITNameByKind(1, kDa, "16450"), r + "20190622_1645.fits");
  EXPECT_EQ(GetFITNameByKind(2, kDa, "16450"), "");
  EXPECT_TRUE(rec.Has("GetMEFITName(20190622,16450)-Err in length of sDt or sTi!"));
  EXPECT_EQ(GetFITNameByKind(7, kDa, kTi), "");
  auto m = MakeMap("CONT", 2, 2, Wave);
  EXPECT_EQ(m->DisplayName(), "CONT|190622_1645");
  EXPECT_EQ(m->YearMonth(), "2019_06");
  EXPECT_EQ(m->DTKey(), "20190622_164505");
  EXPECT_EQ(m->SizeText(), "FIT CONT k=1 [2,2] header 0str aData[2,2]  Total=16");
}

// ---------------------------------------------------------------------------------------------
// Registry

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() { ResetScanServices(); }
  ~RegistryTest() override { ResetScanServices(); }
  TFIOut* Reg(const std::string& Name, const std::string& Da, const std::string& Ti,
              const std::string& Ver) {
    return LFIOReg().AddFIOut(Da + "_" + Ti, Name, "", Ver, 1, 2, 2, nullptr);
  }
  testsupport::SinkRecorder rec;
};

TEST_F(RegistryTest, VersionRuleBothWays) {
  TFIOut* old = Reg("CONT", "20190622", "164505", "220101");
  TFIOut* none = Reg("VLOS", "20190622", "164505", "");
  TLFIOut& r = LFIOReg();
  EXPECT_EQ(r.GetFIOut("20190622", "164505", "CONT", ""), old);
  EXPECT_EQ(r.GetFIOut("20190622", "164505", "VLOS", "220101"), none);
  EXPECT_EQ(r.GetFIOut("20190622", "164505", "CONT", "20241023"), nullptr);
  EXPECT_EQ(r.GetFIOut("20190622", "164505", "VLOS", "20241023"), nullptr);
}

TEST_F(RegistryTest, TimePrefixesAndDisplayKeys) {
  TFIOut* a = Reg("CONT", "20190622", "164505", "1");
  TFIOut* b = Reg("CONT", "20200101", "0930", "1");
  TLFIOut& r = LFIOReg();
  EXPECT_EQ(r.GetFIOutDT("20190622", "1645", "CONT"), a);
  EXPECT_EQ(r.GetFIOutDT("20200101", "093000", "CONT"), nullptr);
  EXPECT_EQ(r.GetFIOutDT("20200101", "0930", ""), b);
  EXPECT_EQ(r.FindByDTName("20190622_1645", "CONT"), a);
  EXPECT_EQ(r.FindByKey("CONT|190622_1645"), a);
  EXPECT_EQ(r.FindByKey("CONT|200101_0930[x]"), b);
  EXPECT_EQ(r.FindByKey("CONT"), a);
  EXPECT_EQ(r.FindByKey("CONT|190622_1646"), nullptr);
  EXPECT_EQ(r.FindByKey(a->DisplayName()), a);
  // The same key, name and version give one map.
  EXPECT_EQ(Reg("CONT", "20190622", "164505", "1"), a);
  EXPECT_EQ(r.Count(), 2);
  auto l = LSes_by_Na("CONT");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->Count(), 2);
  EXPECT_EQ((*l)[1], "20200101_0930");
}

TEST_F(RegistryTest, OnlyTheRegistryFreesAndLookupsNeverDo) {
  TFIOut* a = Reg("CONT", "20190622", "164505", "1");
  TFIOut* b = Reg("VLOS", "20190622", "164505", "1");
  TLFIOut& r = LFIOReg();
  // A dead map the registry still lists: IndexOfFO reports -1 and leaves it alone.
  b->Release();
  EXPECT_EQ(r.IndexOfFO(b), -1);
  EXPECT_EQ(r.Count(), 2);
  EXPECT_EQ(r.Item(1)->Name, "VLOS");
  // Remove by an equal copy: the registered object goes, the copy stays its owner's.
  auto copy = MakeMap("CONT", 1, 1, Wave, "1");
  copy->Da = a->Da;
  copy->Ti = a->Ti;
  r.Remove(copy.get());
  EXPECT_EQ(r.Count(), 1);
  EXPECT_TRUE(FIOutAssigned(copy.get()));
  // ReFineList: a nil item and a dead one without a name give two reports, a named dead one none.
  auto nameless = std::make_unique<TFIOut>();
  nameless->Release();
  r.Items.push_back(nullptr);
  r.Items.push_back(std::move(nameless));
  Reg("LIVE", "20190622", "164505", "1");
  rec.texts.clear();
  r.ReFineList();
  ASSERT_EQ(r.Count(), 1);
  EXPECT_EQ(r.Item(0)->Name, "LIVE");
  EXPECT_EQ(rec.texts.size(), 2u);
}

TEST_F(RegistryTest, MapWindowList) {
  int32_t n = 0, c = 0;
  EXPECT_EQ(GetLFOPItem(n, c), "Err:Список LFOP Not Assigned!"_cp);
  SetLFOPCur("CONT|190622_1645");
  SetLFOPCur("VLOS|190622_1645");
  SetLFOPCur("CONT|");
  EXPECT_EQ(GetLFOPItem(n, c), "CONT|190622_1645");
  EXPECT_EQ(n, 1);
  EXPECT_EQ(c, 2);
  Scans().LFOP->Clear();
  EXPECT_EQ(GetLFOPItem(n, c), "Err:Список LFOP имеет 0 элементов!"_cp);
}

// ---------------------------------------------------------------------------------------------
// Statistics

TEST(MapStatistics, WholeMapFirstPositionsAndMaskedValues) {
  testsupport::SinkRecorder rec;
  ResetScanServices();
  // Values [x][y]; minimum 1 twice (first at x=1,y=0), maximum 9 twice (first at x=0,y=1).
  auto m = MakeMap("T", 3, 2, [](int x, int y) {
    const float v[3][2] = {{5, 9}, {1, 9}, {1, 2}};
    return v[x][y];
  });
  EXPECT_EQ(m->vMin, 1);
  EXPECT_EQ(m->vMax, 9);
  EXPECT_DOUBLE_EQ(m->vMean, 27.0 / 6);
  EXPECT_EQ(std::make_pair(m->ixMin, m->iyMin), std::make_pair(1, 0));
  EXPECT_EQ(std::make_pair(m->ixMax, m->iyMax), std::make_pair(0, 1));
  TAByBy mask{{1, 0}, {0, 1}, {1, 1}};
  ASSERT_TRUE(m->FilteredMinMax(mask));
  EXPECT_EQ(Scans().Filt.MaskN, 4);
  EXPECT_EQ(m->vMinAv, 1);
  EXPECT_EQ(m->vMaxAv, 9);
  EXPECT_DOUBLE_EQ(m->vMeanAv, 17.0 / 4);
  TARe ax, mean;
  m->MaskedAMeanX(mask, ax, mean);
  EXPECT_EQ(ax, (TARe{0, 0, 1}));
  EXPECT_EQ(mean, (TARe{0, 3, 5.5}));
  m->AMeanY(mean);
  EXPECT_EQ(mean, (TARe{0, 7, 5, 1.5}));
  // A mask of another size is refused with the size message; nothing changes.
  rec.texts.clear();
  EXPECT_FALSE(m->FilteredMinMax(TAByBy{{1, 1}}));
  EXPECT_TRUE(rec.Has("FIOut.FilteredMinMax-ERR: размеры карты и маски не совпадают!\n\r FO_X=3"_cp));
  EXPECT_DOUBLE_EQ(m->vMeanAv, 17.0 / 4);
  // No data: the kLoad message.
  TFIOut e;
  rec.texts.clear();
  e.MinMaxMean();
  EXPECT_TRUE(rec.Has("FIOut.MinMaxMean-ERR: kLoad=0"));
}

TEST(MapStatistics, MaskMaxY3SkipsSpikesAndOneColumnMaps) {
  testsupport::SinkRecorder rec;
  ResetScanServices();
  // Row y=0: 1 2 50 3 2 — 50 is a spike; 3 is the largest that its neighbours cover.
  auto m = MakeMap("BML1", 5, 1, [](int x, int) {
    const float v[5] = {1, 2, 50, 3, 2};
    return v[x];
  });
  ASSERT_TRUE(m->MaskMax_Y3(TAByBy(5, std::vector<uint8_t>(1, 1)), 2.0));
  EXPECT_EQ(m->vMaxY3, 3);
  EXPECT_EQ(m->ixMaxY3, 3);
  auto one = MakeMap("BML2", 1, 3, [](int, int y) { return float(y + 1); });
  ASSERT_TRUE(one->MaskMax_Y3(TAByBy(1, std::vector<uint8_t>(3, 1)), 2.0));
  EXPECT_EQ(one->vMaxY3, 3);
  EXPECT_EQ(one->iyMaxY3, 2);
  EXPECT_FALSE(one->MaskMax_Y3(TAByBy(2, std::vector<uint8_t>(3, 1)), 2.0));
  EXPECT_TRUE(rec.Has("FIOut.MaskMax_Y3-ERR: размеры карты и маски не совпадают!"_cp));
}

// ---------------------------------------------------------------------------------------------
// Bad files: one report naming the file and the offset or key, every walk bounded, nothing
// registered twice.

TEST(BadMapFiles, EachGivesOneReportAndNoLoop) {
  struct TCase {
    const char* what;
    std::function<std::string(const std::string& Good)> make;
    std::string report;
  };
  const std::vector<TCase> cases = {
      {"truncated data", [](const std::string& g) { return g.substr(0, g.size() - 500); },
       "данные обрезаны"_cp},
      {"no EXTNAME",
       [](const std::string& g) {
         std::string b = g;
         const size_t p = b.find("EXTNAME", 5760 + 2880);
         b.replace(p, 7, "EXTNAMX");
         return b;
       },
       "не найден ключ EXTNAME"_cp},
      {"primary NAXIS 1",
       [](const std::string& g) {
         std::string b = g;
         const size_t p = b.find("NAXIS   =");
         b.replace(p, 30, FITCardI("NAXIS", 1, "").substr(0, 30));
         return b;
       },
       "NAXIS=0"},
      {"main header only", [](const std::string& g) { return g.substr(0, 5760); },
       "От него есть только заголовок!"_cp},
      {"garbage", [](const std::string&) { return std::string(9000, 'x'); },
       "заголовка по смещению 0"_cp},
  };
  for (const auto& c : cases) {
    maptest::MapRoot root;
    testsupport::SinkRecorder rec;
    ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    ASSERT_TRUE(MakeMap("CONT", 10, 10, Wave)->Save());
    ASSERT_TRUE(MakeMap("LAST", 20, 20, Wave)->Save());
    testsupport::WriteFile(root.Own(), c.make(testsupport::ReadFile(root.Own())));
    rec.texts.clear();
    TLFIOut& reg = LFIOReg();
    reg.LoadOwn(kDa, kTi, nullptr, true);
    const int32_t n = reg.Count();
    EXPECT_EQ(rec.texts.size(), 1u) << c.what << ": " << (rec.texts.empty() ? "" : rec.texts[0]);
    EXPECT_TRUE(rec.Has(c.report)) << c.what << ": "
                                                   << (rec.texts.empty() ? "" : rec.texts[0]);
    reg.LoadOwn(kDa, kTi, nullptr, true);
    reg.LoadOwnFile(kDa, kTi);
    EXPECT_EQ(reg.Count(), n) << c.what;
    FITExtDir(1, kDa, kTi);
    for (const auto& m : reg.Items) m->EnsureLoaded();
    if (std::string(c.what) == "truncated data") {
      ASSERT_EQ(n, 2);
      EXPECT_EQ(reg.Item(0)->kLoad, 2);
      EXPECT_EQ(reg.Item(1)->kLoad, 1);  // the short read is no data
      EXPECT_TRUE(rec.Has("TFIOut.LoadData Ошибка при чтении блока"_cp));
    }
  }
}

// A file of more than 1000 extensions: the walk stops at the limit with one report and keeps
// what it read before it.
TEST(BadMapFiles, TheWalkStopsAtAThousandExtensions) {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  ASSERT_TRUE(MakeMap("CONT", 4, 4, Wave)->Save());
  const std::string good = testsupport::ReadFile(root.Own());
  const std::string ext = good.substr(5760);
  std::string big = good.substr(0, 5760);
  for (int i = 0; i < 1005; ++i) big += ext;
  testsupport::WriteFile(root.Own(), big);
  rec.texts.clear();
  TLFIOut& reg = LFIOReg();
  reg.LoadOwn(kDa, kTi, nullptr, true);
  EXPECT_TRUE(rec.Has("LFIO.Load-ERR: ")) << (rec.texts.empty() ? "" : rec.texts[0]);
  EXPECT_LE(reg.Count(), 1000);
  EXPECT_GE(reg.Count(), 1);
}

}  // namespace

namespace {

// What the scan and the header lookups read of registered maps.
TEST_F(MapFileTest, SlitRowsAndMainHeaderKeysFromTheRegistry) {
  ASSERT_TRUE(MakeMap("CONT", 4, 3, Wave)->Save());
  ASSERT_TRUE(MakeMap("CONT2", 4, 3, [](int x, int y) { return Wave(x, y) + 2; })->Save());
  double v = 7;
  EXPECT_FALSE(rdHdVar("NAXIS", v));  // no registry yet
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  root.scan.ScanName = "20190622_164505";
  TFITS f;
  f.Owner = &root.scan;
  f.IXI = 2;
  TARe row;
  ASSERT_TRUE(f.MapRow("CONT", row));  // read from the file on demand
  EXPECT_EQ(row, (TARe{0, Wave(2, 0), Wave(2, 1), Wave(2, 2)}));
  int32_t code = -1;
  ASSERT_TRUE(f.MapPairMean("CONT", "CONT2", row, code));
  EXPECT_EQ(code, 0);
  EXPECT_DOUBLE_EQ(row[3], Wave(2, 2) + 1.0);
  EXPECT_FALSE(f.MapPairMean("CONT", "NONE", row, code));
  EXPECT_EQ(code, 4);
  root.scan.GetXFOARe(reg.Item(0), 1, row);
  EXPECT_EQ(row, (TARe{0, Wave(1, 0), Wave(1, 1), Wave(1, 2)}));
  // Keys of the own file's main header; a missing key is no value.
  rec.texts.clear();
  ASSERT_TRUE(rdHdVar("NAXIS", v));
  EXPECT_EQ(v, 0);
  v = 7;
  EXPECT_FALSE(rdHdVar("NOSUCH", v));
  EXPECT_EQ(v, 0);
  EXPECT_EQ(GetcvFITKey("HD_VER"), "20241023");
  EXPECT_EQ(GetRcvFITKey("NOSUCH", 1.5), 1.5);
  EXPECT_EQ(GetRcvFITKey("TSTART", 2.5), 2.5);
  EXPECT_TRUE(rec.Has("GetRcvFITKey(TSTART) Err: "));
}

}  // namespace

namespace {

TEST(MapStatistics, MaskedColumnMeansOverTheScansAxes) {
  testsupport::SinkRecorder rec;
  ResetScanServices();
  TLFITS scan;
  scan.AXT = {0, 10, 11, 12};
  scan.AXvO = {0, -1, -2};  // one short
  auto m = MakeMap("T", 3, 2, [](int x, int y) { return float(x * 10 + y); });
  TAByBy mask{{1, 1}, {0, 0}, {0, 1}};
  TARe ax, mean;
  m->MaskedAMeanYt(mask, ax, mean);
  EXPECT_TRUE(rec.Has("FO.MaskedMeanYt-ERR: TLFITS(Owner) Not Assigned!"));
  EXPECT_EQ(ax, TARe{0});
  m->Owner = &scan;
  m->MaskedAMeanYt(mask, ax, mean);
  EXPECT_EQ(ax, (TARe{0, 10, 12}));
  EXPECT_EQ(mean, (TARe{0, 0.5, 21}));
  m->MaskedAMeanYvO(mask, ax, mean);
  EXPECT_TRUE(rec.Has("FO.MaskedMeanYvO-ERR: length(LFITS.AXvO)=3 <> nX=3"));
}

// Saving and loading many maps are jobs: a cancel between maps leaves the file and the registry
// as they were.
TEST_F(MapFileTest, CancelBetweenMapsKeepsFileAndRegistry) {
  ASSERT_TRUE(MakeMap("CONT", 8, 8, Wave)->Save());
  const std::string before = testsupport::ReadFile(root.Own());
  std::vector<std::unique_ptr<TFIOut>> maps;
  std::vector<TFIOut*> p;
  for (int k = 0; k < 4; ++k) {
    maps.push_back(MakeMap("M" + std::to_string(k), 8, 8, Wave));
    p.push_back(maps.back().get());
  }
  TJob job("save");
  int steps = 0;
  job.OnProgress = [&](const TJobProgress&) {
    if (++steps == 3) job.Cancel();
  };
  EXPECT_EQ(SaveMaps(job, p), 0);
  EXPECT_EQ(testsupport::ReadFile(root.Own()), before);
  TJob all("save all");
  EXPECT_EQ(SaveMaps(all, p), 4);
  EXPECT_EQ(DirLines().size(), 6u);
  TLFIOut& reg = LFIOReg();
  TJob load("load");
  int loadSteps = 0;
  load.OnProgress = [&](const TJobProgress&) {
    if (++loadSteps == 2) load.Cancel();
  };
  EXPECT_FALSE(reg.LoadOwn(kDa, kTi, nullptr, true, &load));
  EXPECT_EQ(reg.Count(), 0);
  TJob load2("load");
  EXPECT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true, &load2));
  EXPECT_EQ(reg.Count(), 5);
  EXPECT_EQ(load2.LastProgress().Total, Size(root.Own()));
  // Maps of one source: cleared by their source character.
  EXPECT_TRUE(reg.SameSrc());
  reg.Item(0)->DaNum = 'b';
  EXPECT_FALSE(reg.SameSrc());
  reg.ClearOwnBySrc('a');
  ASSERT_EQ(reg.Count(), 1);
  EXPECT_EQ(reg.Item(0)->Name, "CONT");
  reg.ClearAll();
  EXPECT_EQ(reg.Count(), 0);
}

}  // namespace
