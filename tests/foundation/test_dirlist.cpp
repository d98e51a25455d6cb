#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvDirList.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const TDirList& L) {
  std::vector<std::string> r;
  for (int i = 0; i < L.Count(); ++i) r.push_back(L.Items(i)->Name);
  return r;
}

// Sets a file's modification time to a local date and time.
void SetLocalTime(const std::string& File, int Y, int Mo, int D, int H, int Mi) {
  std::tm t{};
  t.tm_year = Y - 1900;
  t.tm_mon = Mo - 1;
  t.tm_mday = D;
  t.tm_hour = H;
  t.tm_min = Mi;
  t.tm_isdst = -1;
  utimbuf u{};
  u.actime = u.modtime = std::mktime(&t);
  ASSERT_EQ(utime(File.c_str(), &u), 0);
}

// Every listing line holds its marker at columns LineWidth .. LineWidth + 5.
void ExpectMarkerColumns(const TDirList& L, const TStringList& SL) {
  for (int i = 0; i < SL.Count(); ++i) {
    ASSERT_GE(SL[i].size(), static_cast<size_t>(L.LineWidth + 5)) << SL[i];
    EXPECT_EQ(SL[i].substr(static_cast<size_t>(L.LineWidth - 1), 6), "!----!") << SL[i];
    EXPECT_EQ(DirLinePathPos(SL[i]), L.LineWidth + 6) << SL[i];
  }
}

class DirListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { said.push_back(t); });
    fs::create_directory(dir.path() / "B");
    fs::create_directory(dir.path() / "a");
    for (const char* f : {"y.txt", "x.txt", "z"}) testsupport::WriteFile(dir.file(f), "abc");
  }
  void TearDown() override { ResetSayerForTests(); }

  testsupport::TempDir dir;
  std::vector<std::string> said;
};

TEST_F(DirListTest, SortPutsFoldersFirstThenExtensionsThenNames) {
  TDirList L;
  EXPECT_EQ(L.DefaultWidth, 59u);
  L.Collect(dir.str());
  EXPECT_EQ(L.Count(), 7);
  EXPECT_EQ(L.Marker, "!----!");
  L.Sort();
  EXPECT_EQ(Names(L), (std::vector<std::string>{".", "..", "a", "B", "z", "x.txt", "y.txt"}));
  EXPECT_EQ(L.DirCount, 4);

  // Clear keeps the widths and the folder count; the next collection reuses the list.
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.Folder, "");
  EXPECT_EQ(L.DirCount, 4);
  EXPECT_EQ(L.ExtWidth, 3);
}

TEST_F(DirListTest, NamesCompareWithoutCaseIncludingCyrillic) {
  testsupport::TempDir d;
  for (std::string n : {"бета"_cp, "Альфа"_cp, "a"_cp, "Бб.txt"_cp, "аа.txt"_cp})
    fs::create_directory(d.path() / platform::Cp1251ToUtf8(n));
  TDirList L;
  L.Collect(d.str());
  L.Sort();
  EXPECT_EQ(Names(L), (std::vector<std::string>{".", "..", "a", "аа.txt"_cp, "Альфа"_cp,
                                                 "Бб.txt"_cp, "бета"_cp}));
}

TEST_F(DirListTest, CollectExtMatchesWithoutCaseAndSortsRunsByName) {
  testsupport::TempDir d;
  for (const char* f : {"b.fits", "a.fits", "c.FITS", "d.fit", "e.fitsx", "fits"})
    testsupport::WriteFile(d.file(f), "1");
  TDirList L;
  L.CollectExt(d.str(), "fits");
  ASSERT_EQ(L.Count(), 3);
  L.SortExtRuns();  // ".FITS" and ".fits" are different runs; each run is sorted by name
  std::vector<std::string> n = Names(L);
  std::vector<std::string> fitsOnly;
  for (const auto& s : n)
    if (s != "c.FITS") fitsOnly.push_back(s);
  EXPECT_EQ(fitsOnly, (std::vector<std::string>{"a.fits", "b.fits"}));

  // Several masks: an entry that matches two masks is listed twice.
  TStringList masks{"*.txt", "x*"};
  L.CollectExtSL(dir.str(), masks);
  n = Names(L);
  std::sort(n.begin(), n.end());
  EXPECT_EQ(n, (std::vector<std::string>{"x.txt", "x.txt", "y.txt"}));
}

TEST_F(DirListTest, ListingLinesAndPaths) {
  SetLocalTime(dir.file("x.txt"), 2009, 1, 5, 9, 7);
  TDirList L;
  L.Collect(dir.str());
  L.Sort();
  EXPECT_EQ(L.NameLenMax, 2);
  EXPECT_EQ(L.ExtWidth, 3);
  EXPECT_EQ(L.SizeWidth, 5);
  EXPECT_EQ(L.Gap, 30);  // 59 - (2 + 3 + 5 + 15 + 5) + 1
  auto sl = L.ListSL();
  ASSERT_EQ(sl->Count(), 2 + 7 + 1);
  ExpectMarkerColumns(L, *sl);

  const std::string folder = dir.str();
  EXPECT_EQ((*sl)[0], std::string(58, ':') + "!----!");
  EXPECT_EQ((*sl)[1], "  " + folder + std::string(56 - folder.size(), ' ') + "!----!");
  EXPECT_EQ((*sl)[2], ".      (DIR) " + (*sl)[2].substr(13, 15) + std::string(30, ' ') + "!----!");
  std::string parent = dir.path().parent_path().string() + "/";
  EXPECT_EQ((*sl)[3].substr(64), parent + "micros.dir");
  EXPECT_EQ((*sl)[4].substr(64), folder + "/a/micros.dir");
  EXPECT_EQ((*sl)[7],
            "x  txt     3  5-Jan-09  9:07" + std::string(30, ' ') + "!----!" + folder + "/x.txt");
  EXPECT_EQ((*sl)[6].substr(0, 12), "z          3");

  const std::string& totals = (*sl)[9];
  EXPECT_EQ(totals.rfind(" 7 files, 9 bytes, ", 0), 0u) << totals;
  EXPECT_NE(totals.find(" bytes free"), std::string::npos);
  EXPECT_EQ(totals.find(" -1 bytes free"), std::string::npos);
}

TEST_F(DirListTest, LongFolderWidensTheLine) {
  std::string folder = dir.str() + "/";
  while (folder.size() < 69) folder += "d";
  folder += "x";
  ASSERT_EQ(folder.size(), 70u);
  fs::create_directories(folder);
  TDirList L;
  L.Collect(folder);
  EXPECT_EQ(L.LineWidth, 73);
  auto sl = L.ListSL();
  EXPECT_EQ((*sl)[0], std::string(72, ':') + "!----!");
  EXPECT_EQ((*sl)[1], "  " + folder + "!----!");
  ExpectMarkerColumns(L, *sl);
}

TEST_F(DirListTest, LongNamesAreCutAndNoRoomWidensTheLine) {
  testsupport::TempDir d;
  const std::string longName = "averyveryverylongfilenamethatexceedsthecolumns";
  testsupport::WriteFile(d.file(longName + ".dat"), "12345");
  TDirList L;
  L.Collect(d.str());
  EXPECT_EQ(L.LineWidth, 59);
  EXPECT_EQ(L.NameWidth, 59 - 3 - 5 - 15 - 5);
  L.Sort();
  auto sl = L.ListSL();
  ExpectMarkerColumns(L, *sl);
  EXPECT_EQ((*sl)[4].substr(0, 31), longName.substr(0, 30) + "*");

  // An extension that leaves no room for a name column.
  testsupport::TempDir e;
  testsupport::WriteFile(e.file("n." + std::string(40, 'e')), "1");
  L.Collect(e.str());
  EXPECT_EQ(L.NameWidth, 1);
  EXPECT_EQ(L.LineWidth, 40 + 5 + 15 + 6);
  ExpectMarkerColumns(L, *L.ListSL());
}

TEST_F(DirListTest, MissingFolderKeepsTheList) {
  Sayer->WarnOn();
  TDirList L;
  L.Collect(dir.str());
  ASSERT_EQ(L.Count(), 7);
  std::string missing = dir.file("nope");
  L.Collect(missing);
  L.CollectExt(missing, "txt");
  EXPECT_EQ(L.Count(), 7);
  EXPECT_EQ(L.Folder, dir.str());
  ASSERT_EQ(said.size(), 2u);
  EXPECT_NE(said[0].find("DirList.Collect: Path <" + missing + "> Not found!"), std::string::npos);
  EXPECT_NE(said[1].find("DirList.CollectExt: Path <" + missing + "> Not found!"),
            std::string::npos);
}

TEST(DirLinePathPosTest, FindsTheColumnBehindTheMarker) {
  struct Case {
    std::string line;
    int32_t pos;
  } cases[] = {{std::string(58, ':') + "!----!", 65},
               {"", 65},
               {"ab!----!cd", 9},
               {"a!b!----!x", 10},
               {"no marker", 65},
               {"x!--!", 65}};
  for (const auto& c : cases) EXPECT_EQ(DirLinePathPos(c.line), c.pos) << c.line;
}

TEST(DirMaskMatchTest, WildcardsAsTheFolderSearchHasThem) {
  EXPECT_TRUE(DirMaskMatch("*.*", "noext"));
  EXPECT_TRUE(DirMaskMatch("*.*", ".."));
  EXPECT_TRUE(DirMaskMatch("*.FiTs", "a.fits"));
  EXPECT_FALSE(DirMaskMatch("*.fits", "a.fitsx"));
  EXPECT_TRUE(DirMaskMatch("a?c.*", "abc.d"));
  EXPECT_FALSE(DirMaskMatch("a?c.*", "ac.d"));
  EXPECT_TRUE(DirMaskMatch("*.", "noext"));
  EXPECT_FALSE(DirMaskMatch("*.", "a.b"));
}

}  // namespace
