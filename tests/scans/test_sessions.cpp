// The session archive of the FITS tab: months, the sessions grid's rows from generated scans and
// map files, disc positions, the keys that vary over a scan, "FO.txt", source characters, the
// Stokes selection and matrix tiles, a header taken out and written back; and the bundled root
// remade byte for byte by the generator.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFitsCard.h"
#include "scans/cvSessions.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {
namespace fs = std::filesystem;
using namespace sessions;

TScanGenOptions Small(const std::string& Start, int Files = 6, int NY = 12) {
  TScanGenOptions o;
  o.Files = Files;
  o.NY = NY;
  o.Start = Start;
  return o;
}

// A file whose main header holds Cards (END added), then one block of data.
void WriteHeaderFile(const std::string& Path, int Cards) {
  std::string b;
  for (int i = 0; i < Cards - 1; ++i) {
    std::string c = FITCardI("KEY" + std::to_string(i), i, "");
    c.resize(80, ' ');
    b += c;
  }
  std::string e = FITEndCard();
  e.resize(80, ' ');
  b += e;
  b.append((2880 - b.size() % 2880) % 2880, ' ');
  b.append(2880, 'D');
  testsupport::WriteFile(Path, b);
}

TEST(Sessions, MonthItemsListAllThenYearsThenMonths) {
  testsupport::TempDir d;
  for (const char* m : {"2008_01", "2007_02", "2007_01", "notes", "20x7_03"})
    fs::create_directories(d.path() / m);
  testsupport::WriteFile(d.file("FO.txt"), "");
  EXPECT_EQ(MonthItems(d.str()),
            (std::vector<std::string>{"All", "2007", "2008", "2007_01", "2007_02", "2008_01"}));
}

TEST(Sessions, RowsFromScansAndMapFiles) {
  testsupport::TempDir d;
  const std::string r = d.str();
  // own and inversion-result file; only the inversion-result file; an output folder alone
  TScanGenOptions a = Small("2019-06-22T16:45:05.000");
  GenerateScan(r, a);
  GenerateOwnFile(r, a);
  GenerateInversionFile(r, a);
  TScanGenOptions b = Small("2019-06-23T09:00:00.000", 8, 10);
  b.ScnSum = 0;
  GenerateScan(r, b);
  GenerateInversionFile(r, b);
  fs::create_directories(d.path() / "2019_06" / "20190624_1200");
  TSessionFill out;
  FillSessions(r, "2019_06", out);
  ASSERT_EQ(out.Rows.size(), 2u);
  const TSessionRow& x = out.Rows[0];
  EXPECT_EQ(x.DaTi, "20190622_164505");
  EXPECT_EQ(x.Cell("GxFITS_CV"), "true");
  EXPECT_EQ(x.Cell("GxFITS_ME"), "true");
  EXPECT_EQ(x.Cell("GxFITS_M2"), "");
  EXPECT_EQ(x.Cell("GxFITS_nnX"), "6");  // from the own file, read first
  EXPECT_EQ(x.Cell("GxFITS_nY"), "12");
  EXPECT_EQ(x.Cell("GxFITS_nX"), "6");
  EXPECT_EQ(x.Cell("GxFITS_bin"), "1");
  EXPECT_EQ(x.Cell("GxFITS_nRep"), "1");
  EXPECT_EQ(x.Cell("GxFITS_exp"), "4.8");
  EXPECT_EQ(x.Cell("GxFITS_maxB"), "1502");
  EXPECT_EQ(x.Cell("GxFITS_dVmi"), "-0.3");
  EXPECT_EQ(x.Cell("GxFITS_Xcen"), "-350.0");
  const TSessionRow& y = out.Rows[1];
  EXPECT_EQ(y.Cell("GxFITS_CV"), "");
  EXPECT_EQ(y.Cell("GxFITS_nnX"), "8");  // from the inversion-result file
  EXPECT_EQ(y.Cell("GxFITS_bin"), "0");
  EXPECT_EQ(y.Cell("GxFITS_nRep"), "1");  // SCN_SUM 0: the positions are NSLITPOS
  EXPECT_EQ(y.Cell("GxFITS_CB0"), "");

  // the grid as text, and nothing of the process's current folder moved
  const fs::path cwd = fs::current_path();
  TSessionFill all;
  FillSessions(r, "All", all);
  EXPECT_EQ(all.Rows.size(), 2u);
  EXPECT_EQ(fs::current_path(), cwd);
  const auto text = SessionRowsText(out.Rows, {{"GxFITS_DaTi", "Dt_HHMMSS"}, {"GxFITS_CV", "CV"},
                                               {"GxFITS_maxB", "max B"}});
  EXPECT_EQ(text, (std::vector<std::string>{"Dt_HHMMSS CV max_B", "20190622_164505 + 1502",
                                            "20190623_090000 - 0"}));
}

TEST(Sessions, AYearWithoutMonthsAndAMissingMonthWarn) {
  testsupport::TempDir d;
  fs::create_directories(d.path() / "2008_01");
  testsupport::SinkRecorder rec(testsupport::SinkRecorder::kStripWarnPrefix);
  TSessionFill out;
  FillSessions(d.str(), "2009", out);
  EXPECT_TRUE(out.Rows.empty());
  EXPECT_TRUE(rec.Has("Для года 2009 нет данных по месяцам!"_cp));
  FillSessions(d.str(), "2009_05", out);
  EXPECT_TRUE(out.MissingMonth);
  EXPECT_TRUE(rec.Has("Это странно!!!"_cp));
}

TEST(Sessions, DiscPositionAndRepetitions) {
  struct {
    double x, y, r, lat, lon, ang;
  } cases[] = {
      {0, 0, 950, 0, 90, 0},
      {1200, 0, 950, 0, 180, 90},  // u clipped to 1
      {0, -2000, 950, -90, 90, 90},
      {475, 0, 950, 0, 120, 30},
      {10, 10, 0, 0, 90, 0},  // no radius: the centre
  };
  for (const auto& c : cases) {
    double lat, lon, ang;
    DiscPosition(c.x, c.y, c.r, lat, lon, ang);
    EXPECT_NEAR(lat, c.lat, 1e-9) << c.x << " " << c.y;
    EXPECT_NEAR(lon, c.lon, 1e-9) << c.x << " " << c.y;
    EXPECT_NEAR(ang, c.ang, 1e-9) << c.x << " " << c.y;
  }
  struct {
    int naxis1, n, bin, rep;
  } reps[] = {{48, 24, 1, 2}, {36, 24, 1, 2}, {60, 24, 1, 2}, {84, 24, 1, 4},
              {24, 24, 0, 1}, {24, 24, 2, 2}, {5, 0, 1, 0}, {0, 24, 1, 0}};
  for (const auto& c : reps)
    EXPECT_EQ(Repetitions(c.naxis1, c.n, c.bin), c.rep) << c.naxis1 << "/" << c.n << "/" << c.bin;
}

TEST(Sessions, VaryingKeysCompareByKey) {
  const std::vector<std::string> k0{"SIMPLE", "DATE_OBS", "SLITPOS", "XCEN", "EXPTIME"};
  const std::vector<std::string> v0{"T", "a", "0", "1.0", "4.8"};
  bool stopped = false;
  int steps = 0;
  auto step = [&](int32_t) { return ++steps > 0; };
  // one file: nothing varies, no progress
  EXPECT_TRUE(VaryingKeys({k0}, {v0}, step, stopped).empty());
  EXPECT_EQ(steps, 0);
  // the later file's cards in another order and one key missing (EXPTIME): by key
  const std::vector<std::string> k1{"SIMPLE", "XCEN", "SLITPOS", "DATE_OBS"};
  const std::vector<std::string> v1{"T", "1.0", "1", "b"};
  EXPECT_EQ(VaryingKeys({k0, k1, k0}, {v0, v1, v0}, step, stopped),
            (std::vector<std::string>{"DATE_OBS", "SLITPOS", "EXPTIME"}));
  EXPECT_EQ(steps, 2);
  EXPECT_FALSE(stopped);
  EXPECT_TRUE(VaryingKeys({k0, k1}, {v0, v1}, [](int32_t) { return false; }, stopped).empty());
  EXPECT_TRUE(stopped);
}

TEST(Sessions, FOListSkipsCommentsAndHeaderKeys) {
  testsupport::TempDir d;
  testsupport::WriteFile(d.file("FO.txt"),
                         "! a comment\nBIV1 = mul(sub(LIVp195,LIVm195),348.23)  ! field\n"
                         "$CB0=1\n   ! only a comment\nCnt=mid(CONT,CONT2)\r\nNAME\n");
  std::vector<std::string> n, l;
  ASSERT_TRUE(LoadFOList(d.str(), n, l));
  EXPECT_EQ(n, (std::vector<std::string>{"BIV1", "Cnt", "NAME"}));
  EXPECT_EQ(l[0], "BIV1=mul(sub(LIVp195,LIVm195),348.23)");
  testsupport::SinkRecorder rec(testsupport::SinkRecorder::kStripWarnPrefix);
  EXPECT_FALSE(LoadFOList(d.file("none"), n, l));
  EXPECT_TRUE(rec.Has("Не найден путь к БД Hinode!"_cp));
  EXPECT_EQ(n.size(), 3u);  // kept
}

TEST(Sessions, SourceCharacters) {
  std::vector<std::pair<std::string, std::string>> rows;
  auto enter = [&](const std::string& S) {
    char c = 0;
    bool isNew = false;
    if (!SourceCharOfSession(rows, S, c, isNew)) return std::string("refused");
    if (isNew) rows.emplace_back(S, std::string(1, c));
    return std::string(1, c);
  };
  EXPECT_EQ(enter("s0"), "0");
  EXPECT_EQ(enter("s1"), "1");
  EXPECT_EQ(enter("s2"), "2");
  EXPECT_EQ(enter("s1"), "1");
  EXPECT_EQ(rows.size(), 3u);
  std::string got;
  for (int i = 3; i < 62; ++i) got = enter("s" + std::to_string(i)), (void)got;
  EXPECT_EQ(rows[10].second, "A");
  EXPECT_EQ(rows[36].second, "a");
  EXPECT_EQ(rows[61].second, "z");
  testsupport::SinkRecorder rec;
  EXPECT_EQ(enter("s62"), "refused");  // a 63rd session: no slot left
  EXPECT_EQ(rows.size(), 62u);
  EXPECT_FALSE(rec.texts.empty());
  EXPECT_EQ(SourceSlotOfChar('0'), 1);
  EXPECT_EQ(SourceSlotOfChar('z'), 62);
  EXPECT_EQ(SourceSlotOfChar('#'), -1);
}

TEST(Sessions, ProfileSelectionsAndTiles) {
  const std::string pm = "\xB1";
  struct {
    std::string text, sel;
    bool ok;
  } cases[] = {{"iqu", "IQU", true},       {"I" + pm + "V", "I" + pm + "V", true},
               {"P  (Q+U)", "P", true},    {"D  (d(I/d(L)", "D", true},
               {"biB", "biB", true},       {"QXi", "QXi", true},
               {"IVQUD", "", false},       {"IVX", "", false},
               {"", "", false}};
  for (const auto& c : cases) {
    testsupport::SinkRecorder rec;
    std::string s;
    EXPECT_EQ(ProfileSelection(c.text, s), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(s, c.sel) << c.text;
    }
    EXPECT_EQ(rec.texts.empty(), c.ok) << c.text;
  }
  EXPECT_EQ(CurveTitles("IQU"), (std::vector<std::string>{"Stokes_I", "Stokes_Q", "Stokes_U"}));
  EXPECT_EQ(CurveTitles("I" + pm + "V"), (std::vector<std::string>{"Stokes_I+V", "Stokes_I-V"}));
  struct {
    int dx, dy, n, tile;
  } tiles[] = {{0, 0, 1, 1}, {0, 0, 3, 5}, {-1, -1, 3, 1}, {1, 1, 3, 9}, {0, 0, 5, 13},
               {-2, -2, 5, 1}, {2, 2, 5, 25}, {1, 0, 5, 14}, {0, 1, 5, 18}};
  for (const auto& t : tiles) EXPECT_EQ(MatrixTile(t.dx, t.dy, t.n), t.tile);
}

TEST(Sessions, HeaderTakenOutAndWrittenBack) {
  testsupport::TempDir d;
  const std::string f = d.file("dir with blanks/20070101_1200.fits");
  fs::create_directories(d.path() / "dir with blanks");
  WriteHeaderFile(f, 48);
  const std::string data = testsupport::ReadFile(f).substr(5760);
  std::vector<std::string> t = HeaderText(f, 0);
  ASSERT_EQ(t.size(), 50u);
  EXPECT_EQ(t[0], f + " 0 48");
  EXPECT_EQ(t[1], "-------------------");
  EXPECT_EQ(t.back().substr(0, 3), "END");

  // 48 cards cut to 40: written back as 48, DUMMY000..007 before END
  std::vector<std::string> cut(t.begin(), t.begin() + 2 + 39);
  cut.push_back(t.back());
  ASSERT_TRUE(HeaderReturn(cut, false));
  std::vector<std::string> back = HeaderText(f, 0);
  ASSERT_EQ(back.size(), 50u);
  EXPECT_EQ(back[2 + 39].substr(0, 8), "DUMMY000");
  EXPECT_EQ(back[2 + 46].substr(0, 8), "DUMMY007");
  EXPECT_EQ(back[2 + 47].substr(0, 3), "END");
  EXPECT_EQ(testsupport::ReadFile(f).substr(5760), data);

  // grown to 72 cards: still two blocks; to 73 refused
  auto grown = [&](int Cards) {
    std::vector<std::string> g = HeaderText(f, 0);
    g.pop_back();
    while (static_cast<int>(g.size()) - 2 < Cards - 1) g.push_back(FITCardI("NEW", 1, ""));
    g.push_back(FITEndCard());
    return g;
  };
  const std::string before = testsupport::ReadFile(f);
  {
    testsupport::SinkRecorder rec(testsupport::SinkRecorder::kStripWarnPrefix);
    EXPECT_FALSE(HeaderReturn(grown(73), false));
    EXPECT_TRUE(rec.Has("первоначально их 48"_cp));
    EXPECT_EQ(testsupport::ReadFile(f), before);
  }
  std::vector<std::string> g72 = grown(72);
  ASSERT_TRUE(HeaderReturn(g72, true));
  EXPECT_EQ(HeaderText(f, 0).size(), 74u);
  EXPECT_EQ(testsupport::ReadFile(f + ".bak"), before);  // the backup asked for
  EXPECT_EQ(testsupport::ReadFile(f).substr(5760), data);

  // the header in the file no longer the one taken out (72 cards now, the text says 48)
  {
    testsupport::SinkRecorder rec(testsupport::SinkRecorder::kStripWarnPrefix);
    const std::string now = testsupport::ReadFile(f);
    EXPECT_FALSE(HeaderReturn(cut, false));
    EXPECT_EQ(testsupport::ReadFile(f), now);
  }
  // bad first lines: nothing written
  struct {
    std::string line, says;
  } bad[] = {{f + " x 72", "Ошибка в номере стартового байта S=<x>"_cp},
             {f + " 0 7a", "Ошибка в числе строк Header-а S=<7a>"_cp},
             {d.file("none.fits") + " 0 72", " НЕ существует!"_cp}};
  for (const auto& b : bad) {
    testsupport::SinkRecorder rec(testsupport::SinkRecorder::kStripWarnPrefix);
    std::vector<std::string> l = g72;
    l[0] = b.line;
    const std::string now = testsupport::ReadFile(f);
    EXPECT_FALSE(HeaderReturn(l, false)) << b.line;
    EXPECT_TRUE(rec.Has(b.says)) << b.line;
    EXPECT_EQ(testsupport::ReadFile(f), now);
  }
}

// The bundled root (data/FITS) is what the generator writes for its commands in the README.
TEST(Sessions, BundledRootRemadeByTheGenerator) {
  testsupport::TempDir d;
  TScanGenOptions a;
  a.Files = 24;
  a.NY = 80;
  a.Noise = 20;
  a.Seed = 20190622;
  ASSERT_FALSE(GenerateScan(d.str(), a).empty());
  ASSERT_FALSE(GenerateInversionFile(d.str(), a).empty());
  TScanGenOptions b;
  b.Files = 6;
  b.NY = 20;
  b.Noise = 20;
  b.Seed = 20190703;
  b.Start = "2019-07-03T08:10:00.000";
  ASSERT_FALSE(GenerateScan(d.str(), b).empty());
  ASSERT_FALSE(GenerateInversionFile(d.str(), b).empty());
  ASSERT_TRUE(WriteFOList(d.str()));
  const fs::path bundled = testsupport::SourceRoot() + "/data/FITS";
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(d.path())) {
    if (!e.is_regular_file()) continue;
    const fs::path rel = fs::relative(e.path(), d.path());
    ++files;
    EXPECT_EQ(testsupport::ReadFile(e.path().string()),
              testsupport::ReadFile((bundled / rel).string()))
        << rel;
  }
  EXPECT_EQ(files, 24 + 1 + 1 + 6 + 1 + 1 + 1);
}

}  // namespace
