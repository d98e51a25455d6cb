// The file layer: text files, names, whole-file operations and record files.
#include "support/SinkRecorder.h"
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "platform/FileErr.h"
#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Collects everything the sink says (warnings through WARN and WARNAbs).
struct Said : testsupport::SinkRecorder {
  Said() : SinkRecorder(kWarnOn) {}
};

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s += static_cast<char>(b);
  return s;
}

std::string Counting(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>(i);
  return s;
}

}  // namespace

// ---- text files ----

TEST(TextFile, ModesWriteAppendAndRead) {
  TempDir d;
  const std::string name = d.file("t.txt");
  TTextFile F;
  TxtOpen(F, 1, name);
  F.WriteLn("Строка 1"_cp);
  F.Write("a");
  F.WriteLn("b");
  F.Close();
  EXPECT_EQ(ReadFile(name), "Строка 1\nab\n");  // UTF-8 with "\n"

  TxtOpen(F, 2, name);
  F.WriteLn("c");
  F.Close();
  EXPECT_EQ(IOLastErr, 0);
  EXPECT_EQ(ReadFile(name), "Строка 1\nab\nc\n");

  TxtOpen(F, 0, name);
  EXPECT_EQ(F.ReadLn(), "Строка 1"_cp);
  EXPECT_EQ(F.ReadLn(), "ab");
  EXPECT_FALSE(F.Eof());
  EXPECT_EQ(F.ReadLn(), "c");
  EXPECT_TRUE(F.Eof());
  EXPECT_EQ(F.ReadLn(), "");
  EXPECT_EQ(TextFileName(F), name);
  F.Close();

  // Append on a missing file creates it.
  const std::string fresh = d.file("new.txt");
  TxtOpen(F, 2, fresh);
  F.WriteLn("x");
  F.Close();
  EXPECT_EQ(ReadFile(fresh), "x\n");

  // Any other mode only assigns the name.
  TxtOpen(F, 7, d.file("none.txt"));
  EXPECT_FALSE(F.IsOpen());
  EXPECT_EQ(TextFileName(F), d.file("none.txt"));
  EXPECT_FALSE(platform::PathExists(d.file("none.txt")));
}

TEST(TextFile, ReadsEveryLineEndAndBothEncodings) {
  TempDir d;
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},  // last line without a line end is kept
      {"a\n\nb\n", {"a", "", "b"}},
      {"", {}},
      {"\r\n", {""}},
      {"\xEF\xBB\xBFПривет\n", {"Привет"_cp}},  // UTF-8 with a byte-order mark
      {"\xCF\xF0\xE8\xE2\xE5\xF2\r\n", {"Привет"_cp}},  // code page 1251
  };
  for (const auto& c : cases) {
    const std::string name = d.file("in.txt");
    WriteFile(name, c.bytes);
    TTextFile F;
    TxtOpen(F, 0, name);
    std::vector<std::string> got;
    while (!F.Eof()) got.push_back(F.ReadLn());
    F.Close();
    EXPECT_EQ(got, c.lines) << c.bytes;
  }
}

TEST(TextFile, OpenErrorsAreFatalWithTheirText) {
  TempDir d;
  const std::string missing = d.file("missing.txt");
  TTextFile F;
  try {
    TxtOpen(F, 0, missing);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()),
              "ErrAbs: ERR(2<файл не найден>) File.Open : Reset \""_cp + missing + "\"\r\n");
  }
  EXPECT_EQ(IOLastErr, 2);
  EXPECT_EQ(TxtOpenErr, 2);
  EXPECT_EQ(IOErrMsg, "ERR(2<файл не найден>) File.Open : Reset \""_cp + missing + "\"");

  // A missing folder is "path not found", which append does not take for a missing file.
  const std::string deep = d.file("no/such/x.txt");
  try {
    TxtOpen(F, 2, deep);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()),
              "ErrAbs: ERR(3<путь доступа не найден>) File.Open : Append \""_cp + deep + "\"\r\n");
  }
  EXPECT_EQ(TxtOpenErr, 3);

  // The next successful open clears the error text.
  TxtOpen(F, 1, d.file("ok.txt"));
  F.Close();
  EXPECT_EQ(TxtOpenErr, 0);
  EXPECT_EQ(IOErrMsg, "");
}

TEST(TextFile, WriteErrorRaises) {
  TTextFile F;
  TxtOpen(F, 1, "/dev/full");
  F.WriteLn("x");
  EXPECT_THROW(F.Close(), EInOutError);
  EXPECT_FALSE(F.IsOpen());
}

TEST(TextFile, SLwritelnNeedsAnOutputFile) {
  Said said;
  TempDir d;
  TStringList L{"one", "два"_cp};
  TTextFile F;
  TxtOpen(F, 1, d.file("o.txt"));
  SLwriteln(F, L);
  F.Close();
  EXPECT_EQ(ReadFile(d.file("o.txt")), "one\nдва\n");

  TxtOpen(F, 0, d.file("o.txt"));
  SLwriteln(F, L);
  EXPECT_TRUE(said.Has("cvFile.SLwriteln Moda файла должна быть 2 или 3, а найдена мода 1"_cp));
}

TEST(TextFile, StringListAndCopyGoThroughTheLayer) {
  TempDir d;
  TStringList L{"α", "Ёж"_cp, ""};
  L[0] = "x";
  L.SaveToFile(d.file("l.txt"));
  EXPECT_EQ(ReadFile(d.file("l.txt")), "x\nЁж\n\n");
  TStringList M;
  M.Add("old");
  M.LoadFromFile(d.file("l.txt"));
  EXPECT_EQ(M.Lines(), (std::vector<std::string>{"x", "Ёж"_cp, ""}));
  EXPECT_THROW(M.LoadFromFile(d.file("absent.txt")), EInOutError);

  // Copy into a folder that does not exist yet: CR LF and CR become "\n"; a 1251 source is
  // converted, a UTF-8 one keeps its bytes (also characters that 1251 lacks).
  WriteFile(d.file("src.txt"), "a\r\n\xC0\xE1\rlast");
  CopyTxtFile(d.file("src.txt"), d.file("sub/dir/dst.txt"));
  EXPECT_EQ(ReadFile(d.file("sub/dir/dst.txt")), "a\nАб\nlast\n");
  WriteFile(d.file("u.txt"), "日本 ж\n");
  CopyTxtFile(d.file("u.txt"), d.file("u2.txt"));
  EXPECT_EQ(ReadFile(d.file("u2.txt")), "日本 ж\n");

  // A target folder that cannot be made is fatal with the routine's text.
  WriteFile(d.file("blocker"), "");
  try {
    CopyTxtFile(d.file("src.txt"), d.file("blocker/x.txt"));
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find(") невозможно создать поддиректорию \r\n\""_cp),
              std::string::npos);
  }
}

// ---- names ----

TEST(FileNames, PathJoinAndSplits) {
  struct Join {
    const char* folder;
    const char* name;
    const char* want;
  } joins[] = {{"C:", "x.txt", "C:x.txt"},       {"C:\\d", "x.txt", "C:/d/x.txt"},
               {"", "x.txt", "x.txt"},           {"dir", "x.txt", "dir/x.txt"},
               {"dir\\", "x.txt", "dir/x.txt"},   {"dir/", "x.txt", "dir/x.txt"},
               {"root/", "SYS\\dirs.txt", "root/SYS/dirs.txt"}};
  for (const auto& j : joins) EXPECT_EQ(PathJoin(j.folder, j.name), j.want) << j.folder;

  struct Split {
    const char* file;
    const char* name;
    const char* ext;
  } splits[] = {{".", ".", ""},          {"..", "..", ""},           {"a.b.c", "a.b", "c"},
                {"data", "data", ""},    {"d.x\\file", "d.x\\file", ""}, {"d.x/f.fits", "d.x/f", "fits"},
                {"a.", "a", ""}};
  for (const auto& s : splits) {
    std::string n, e;
    SplitNameExt(s.file, n, e);
    EXPECT_EQ(n, s.name) << s.file;
    EXPECT_EQ(e, s.ext) << s.file;
  }
  EXPECT_EQ(ExtUpper("map.Fits"), "FITS");
  EXPECT_TRUE(HasExt("map.Fits", "fits"));
  EXPECT_FALSE(HasExt("map.fits", "fit"));
  EXPECT_FALSE(HasExt("map", ""));

  TempDir d;
  std::string folder, bare, ext;
  SplitPath(d.file("sub\\noext"), folder, bare, ext);  // "\" is a separator on input
  EXPECT_EQ(folder, d.str() + "/sub/");
  EXPECT_EQ(bare, "noext");
  EXPECT_EQ(ext, "");
  SplitPath(d.file("a/../b.c.txt"), folder, bare, ext);
  EXPECT_EQ(folder, d.str() + "/");
  EXPECT_EQ(bare, "b.c");
  EXPECT_EQ(ext, ".txt");
  EXPECT_EQ(ExpandFileName("/x/./y/../z"), "/x/z");

  WriteFile(d.file("f"), "");
  EXPECT_EQ(DirSlash(d.str()), d.str() + "/");
  EXPECT_EQ(DirSlash(d.file("f")), d.file("f"));
  EXPECT_EQ(DirSlash(""), "");

  EXPECT_TRUE(ForceFileDir(d.file("p\\q/r.txt")));
  EXPECT_TRUE(platform::IsDirectory(d.file("p/q")));
  EXPECT_FALSE(ForceFileDir(d.file("f/z/r.txt")));  // a file stands in the way
}

TEST(FileNames, ListFilesByMaskOrFolder) {
  TempDir d;
  WriteFile(d.file("b.TXT"), "");
  WriteFile(d.file("a.txt"), "");
  WriteFile(d.file("noext"), "");
  ASSERT_TRUE(ForceFileDir(d.file("sub.txt/x")));  // a folder is never listed
  EXPECT_EQ(ListFiles(d.str())->Lines(), (std::vector<std::string>{"a.txt", "b.TXT", "noext"}));
  EXPECT_EQ(ListFiles(d.str() + "\\*.txt")->Lines(), (std::vector<std::string>{"a.txt", "b.TXT"}));
  EXPECT_EQ(ListFiles(d.file("?.*"))->Lines(), (std::vector<std::string>{"a.txt", "b.TXT"}));
  EXPECT_EQ(ListFiles(d.file("*.*"))->Count(), 3);
  EXPECT_EQ(ListFiles(d.file("nothing/*.*"))->Count(), 0);

  // Program names are 1251 text; on disk they are UTF-8.
  TTextFile F;
  TxtOpen(F, 1, d.str() + "\\Карта.dat"_cp);
  F.Close();
  EXPECT_EQ(::access(d.file("Карта.dat").c_str(), F_OK), 0);
  EXPECT_EQ(ListFiles(d.file("*.dat"))->Lines(), (std::vector<std::string>{"Карта.dat"_cp}));
}

TEST(FileNames, DosStampsAndDateText) {
  // 5 January 2009 09:07 and 31 December 1999 23:59:58.
  const int32_t s1 = static_cast<int32_t>((((2009 - 1980) << 9 | 1 << 5 | 5) << 16) | (9 << 11 | 7 << 5));
  const int32_t s2 =
      static_cast<int32_t>((((1999 - 1980) << 9 | 12 << 5 | 31) << 16) | (23 << 11 | 59 << 5 | 29));
  EXPECT_EQ(FileDateStr(s1), " 5-Jan-09  9:07");
  EXPECT_EQ(FileDateStr(s2), "31-Dec-99 23:59");

  TempDir d;
  const std::string f = d.file("t.dat");
  WriteFile(f, "x");
  std::tm tm{};
  tm.tm_year = 2009 - 1900;
  tm.tm_mon = 0;
  tm.tm_mday = 5;
  tm.tm_hour = 9;
  tm.tm_min = 7;
  tm.tm_sec = 31;
  tm.tm_isdst = -1;
  struct utimbuf ut;
  ut.actime = ut.modtime = std::mktime(&tm);
  ASSERT_EQ(::utime(f.c_str(), &ut), 0);
  int32_t stamp = 0;
  ASSERT_TRUE(FileTimeSS(f, stamp));
  EXPECT_EQ(stamp, s1 | 15);  // seconds / 2 in the low bits
  EXPECT_EQ(FileDateStr(stamp), " 5-Jan-09  9:07");

  int32_t held = 0;
  EXPECT_TRUE(FileNewTimeCheck(f, held, "T"));
  EXPECT_EQ(held, stamp);
  EXPECT_FALSE(FileNewTimeCheck(f, held, "T"));
  EXPECT_FALSE(FileTimeSS(d.file("gone"), stamp));
  EXPECT_EQ(stamp, 0);
  try {
    FileNewTimeCheck(d.file("gone"), held, "Tag");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "ErrAbs: FileNewTimeCheck Tag FILE <" + d.file("gone") +
                                         "> NOT EXIST!\r\n");
  }
}

// ---- whole-file operations ----

TEST(WholeFiles, SizesDeletesAndRenames) {
  TempDir d;
  WriteFile(d.file("a"), "12345");
  WriteFile(d.file("small"), "12");
  WriteFile(d.file("big"), "123");
  EXPECT_EQ(FileSizeSS(d.file("a")), 5);
  EXPECT_EQ(FileSizeSS(d.file("none")), 0);
  DelSmallFile(d.file("small"));
  DelSmallFile(d.file("big"));
  EXPECT_FALSE(platform::PathExists(d.file("small")));
  EXPECT_TRUE(platform::PathExists(d.file("big")));
  RenameOver(d.file("a"), d.file("big"));
  EXPECT_EQ(ReadFile(d.file("big")), "12345");
  EXPECT_FALSE(platform::PathExists(d.file("a")));
  DelFileSS(d.file("big"));
  DelFileSS(d.file("big"));  // no file: nothing happens
  EXPECT_FALSE(platform::PathExists(d.file("big")));
}

TEST(WholeFiles, BackupRenameFindsAFreeNameAndStops) {
  Said said;
  TempDir d;
  WriteFile(d.file("data.fits"), "F");
  WriteFile(d.file("data.0000"), "old");
  EXPECT_EQ(BackupRename(d.file("data.fits")), d.file("data.0001"));
  EXPECT_EQ(ReadFile(d.file("data.0001")), "F");
  EXPECT_FALSE(platform::PathExists(d.file("data.fits")));

  EXPECT_EQ(BackupRename(d.file("absent.txt")), d.file("absent.txt"));

  // Without an extension the counter has one digit; when all ten names are taken the search
  // stops with a warning and the file keeps its name.
  WriteFile(d.file("plain"), "P");
  EXPECT_EQ(BackupRename(d.file("plain")), d.file("plain.0"));
  for (int i = 0; i < 10; ++i) WriteFile(d.file("plain." + std::to_string(i)), "");
  WriteFile(d.file("plain"), "P");
  EXPECT_EQ(BackupRename(d.file("plain")), d.file("plain"));
  EXPECT_EQ(ReadFile(d.file("plain")), "P");
  EXPECT_TRUE(said.Has("BackupRename"));
}

TEST(WholeFiles, FileCutBlockKeepsTheDataAfterTheBlock) {
  Said said;
  TempDir d;
  const std::string f = d.file("blk.bin");
  const std::string all = Counting(100);
  WriteFile(f, all);
  FileCutBlock(f, 10, 20, false);
  EXPECT_EQ(ReadFile(f), all.substr(0, 10) + all.substr(30));
  EXPECT_FALSE(platform::PathExists(d.file("blk.000")));

  // Keeping the backup; a block reaching past the end; a name without extension; a name far
  // longer than 79 characters.
  WriteFile(f, all);
  FileCutBlock(f, 90, 50, true);
  EXPECT_EQ(ReadFile(f), all.substr(0, 90));
  EXPECT_EQ(ReadFile(d.file("blk.000")), all);

  const std::string longName = d.file(std::string(120, 'n'));
  WriteFile(longName, all);
  FileCutBlock(longName, 0, 99, false);
  EXPECT_EQ(ReadFile(longName), all.substr(99));
  EXPECT_FALSE(platform::PathExists(longName + ".0"));

  // When no backup name is free the file is left as it was.
  const std::string p = d.file("p");
  WriteFile(p, all);
  for (int i = 0; i < 10; ++i) WriteFile(p + "." + std::to_string(i), "");
  FileCutBlock(p, 10, 20, false);
  EXPECT_EQ(ReadFile(p), all);

  FileCutBlock(d.file("none"), 1, 1, false);
  EXPECT_TRUE(said.Has("FileCutBlock: файл ["_cp + d.file("none") + "] не существует!"_cp));
}

TEST(WholeFiles, First256BytesAndRawTables) {
  Said said;
  TempDir d;
  WriteFile(d.file("h"), "II*");
  unsigned char buf[256];
  std::memset(buf, 0xAA, sizeof buf);
  EXPECT_TRUE(FileRd256(d.file("h"), buf));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), std::string("II*\0", 4));
  EXPECT_EQ(buf[255], 0);
  EXPECT_FALSE(FileRd256(d.file("none"), buf));
  EXPECT_TRUE(said.Has("FileRd256 - файл <"_cp + d.file("none") + "> не существует!"_cp));

  TARe2 A = {{1.5, -2, 3}, {4, 5e-300, 6}};
  ASSERT_TRUE(WrTARe2(A, 2, 3, d.file("t.bin")));
  EXPECT_EQ(FileSizeSS(d.file("t.bin")), 48);
  TARe2 B(2, TARe(3, 0.0));
  ASSERT_TRUE(RdTARe2(B, 2, 3, d.file("t.bin")));
  EXPECT_EQ(A, B);
  TARe2 small(2, TARe(2, 0.0));
  EXPECT_FALSE(RdTARe2(small, 2, 3, d.file("t.bin")));  // would overrun the rows
  EXPECT_EQ(small, TARe2(2, TARe(2, 0.0)));
  EXPECT_FALSE(RdTARe2(B, 2, 3, d.file("none")));
  EXPECT_TRUE(said.Has("RdTARe2 - файл <"_cp + d.file("none") + "> не существует!"_cp));
  TARe2 C(3, TARe(3, 0.0));
  EXPECT_THROW(RdTARe2(C, 3, 3, d.file("t.bin")), EInOutError);  // the file is too short
  EXPECT_FALSE(WrTARe2(A, 2, 3, d.file("none/t.bin")));
  EXPECT_TRUE(said.Has("WrTARe2.ERR: Не удается создать файл <"_cp));
}

// ---- record files ----

TEST(RecordFiles, WriteCreatesAppendsAndRejects) {
  TempDir d;
  const std::string f = d.file("r.dat");
  EXPECT_TRUE(RAWrRec(f, 0, 4, 0, 1, "AAAA"));
  EXPECT_EQ(ReadFile(f), "AAAA");
  EXPECT_TRUE(RAWrRecNT(f, 0, 4, 2, "BBBB"));
  EXPECT_TRUE(RAWrRec(f, 0, 4, 0, 1, "aaaa"));
  EXPECT_EQ(ReadFile(f), "aaaaBBBB");
  EXPECT_EQ(IOLastErr, 0);
  EXPECT_EQ(RALastErrText, "");

  EXPECT_FALSE(RAWrRec(f, 0, 4, 0, 4, "CCCC"));
  EXPECT_EQ(IOLastErr, 99999);
  EXPECT_EQ(RALastErrText, "RAWrRec IRec=4 NRec=2 HeadSize=0 FileSize=8");
  EXPECT_FALSE(RAWrRec(f, 0, 4, 0, 0, "CCCC"));
  EXPECT_EQ(ReadFile(f), "aaaaBBBB");

  // RAWrRec1 never creates a file; it writes big records in pieces.
  EXPECT_FALSE(RAWrRec1(d.file("none"), 0, 4, 0, 1, "XXXX"));
  EXPECT_EQ(IOLastErr, 2);
  EXPECT_FALSE(platform::PathExists(d.file("none")));
  const std::string big = Counting(256) + std::string(9000, 'z');
  EXPECT_TRUE(RAWrRec1NT(f, 8, static_cast<int32_t>(big.size()), 1, big.data()));
  EXPECT_EQ(ReadFile(f), "aaaaBBBB" + big);

  EXPECT_FALSE(RAWrRec(d.file("no/dir/r.dat"), 0, 4, 0, 1, "AAAA"));
  EXPECT_EQ(IOLastErr, 3);
}

TEST(RecordFiles, AppendingMovesTheTail) {
  TempDir d;
  const std::string f = d.file("t.dat");
  WriteFile(f, "HH" "r1r1" "r2r2" "TAIL");
  EXPECT_TRUE(RAWrRec(f, 2, 4, 4, 3, "r3r3"));
  EXPECT_EQ(ReadFile(f), "HHr1r1r2r2r3r3TAIL");
  EXPECT_TRUE(RAWrRec1(f, 2, 4, 4, 2, "R2R2"));  // in place: the tail stays where it is
  EXPECT_EQ(ReadFile(f), "HHr1r1R2R2r3r3TAIL");
  EXPECT_TRUE(RAWrRec1(f, 2, 4, 4, 4, "r4r4"));
  EXPECT_EQ(ReadFile(f), "HHr1r1R2R2r3r3r4r4TAIL");
}

TEST(RecordFiles, ReadWholeAndPartialRecords) {
  Said said;
  TempDir d;
  const std::string f = d.file("r.dat");
  WriteFile(f, "HEAD" "abcd" "efgh" "ij");
  char rec[4];
  ASSERT_TRUE(RARdRec(f, 4, 4, 2, rec));
  EXPECT_EQ(std::string(rec, 4), "efgh");
  ASSERT_TRUE(RARdRecF(f, 4, 4, 3, rec));  // NRec + 1: the partial bytes and zeros
  EXPECT_EQ(std::string(rec, 4), std::string("ij\0\0", 4));
  EXPECT_FALSE(RARdRec(f, 4, 4, 4, rec));
  EXPECT_EQ(RALastErrText, "RARdRec I=4 Not in [1..2]");
  EXPECT_EQ(IOLastErr, 0);

  // Large records in pieces.
  const std::string big = Counting(256) + std::string(10000, 'q');
  WriteFile(f, big);
  std::vector<char> buf(big.size() + 100, 'x');
  ASSERT_TRUE(RARdRec1F(f, 0, static_cast<int32_t>(buf.size()), 1, buf.data()));
  EXPECT_EQ(std::string(buf.data(), big.size()), big);
  EXPECT_EQ(std::string(buf.data() + big.size(), 100), std::string(100, '\0'));

  // Size and name checks come before the file is touched.
  EXPECT_FALSE(RARdRec(d.file("none"), 0, 80001, 1, buf.data()));
  EXPECT_EQ(IOLastErr, 998);
  EXPECT_EQ(RALastErrText, "RARdRec ERR: RecSize=80001 > BufferSize=80000");
  EXPECT_FALSE(RARdRec1(d.file("none"), 0, 10700001, 1, buf.data()));
  EXPECT_EQ(IOLastErr, 998);
  EXPECT_EQ(RALastErrText, "RARdRec1 ERR: RecSize=10700001 > BufferSize=10700000");
  EXPECT_FALSE(RARdRec1(f, 0, 0, 1, buf.data()));
  EXPECT_EQ(IOLastErr, 996);
  EXPECT_TRUE(said.Has("RARdRec(<" + f + ">) ERR: I=1 RecSize=0!!!  BufferSize=10700000"));
  EXPECT_FALSE(RARdRec(f, 0, 0, 1, buf.data()));  // no division by zero
  EXPECT_EQ(IOLastErr, 996);
  EXPECT_FALSE(RARdRec("", 0, 4, 1, rec));
  EXPECT_EQ(IOLastErr, 997);
  EXPECT_EQ(RALastErrText, "RARdRec ERR: FileName=<>\r\nI=1 RecSize=4 > BufferSize=80000");
  EXPECT_FALSE(RARdRec1("", 0, 4, 1, rec));
  EXPECT_TRUE(said.Has("proc cvFile.RARdRec1 вызвана с пустым именем файла!"_cp));
  EXPECT_FALSE(RARdRec(d.file("none"), 0, 4, 1, rec));
  EXPECT_EQ(IOLastErr, 2);
  EXPECT_FALSE(RAWrRec(f, 0, 0, 0, 1, rec));
  EXPECT_EQ(IOLastErr, 996);
}

TEST(RecordFiles, ReadOnlyFileIsReadable) {
  TempDir d;
  const std::string f = d.file("ro.dat");
  WriteFile(f, "abcdefgh");
  ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
  char rec[4];
  ASSERT_TRUE(RARdRec(f, 0, 4, 2, rec));
  EXPECT_EQ(std::string(rec, 4), "efgh");
  // Even a superuser cannot open a running program for writing: the test's own executable is a
  // file that may only be read.
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const std::string exe(self, static_cast<size_t>(n));
  int probe = ::open(exe.c_str(), O_RDWR);
  if (probe >= 0) {
    ::close(probe);
    GTEST_SKIP() << "this system lets a running program be opened for writing";
  }
  ASSERT_FALSE(RAWrRec1(exe, 0, 4, 0, 1, "XXXX"));
  EXPECT_EQ(IOLastErr, 5);
  ASSERT_TRUE(RARdRec(exe, 0, 4, 1, rec));
  EXPECT_EQ(std::string(rec, 4), "\x7F" "ELF");
  ASSERT_TRUE(RARdRec1(exe, 1, 3, 1, rec));
  EXPECT_EQ(std::string(rec, 3), "ELF");
}

TEST(RecordFiles, FindNot) {
  TempDir d;
  const std::string f = d.file("z.dat");
  WriteFile(f, Bytes({9, 9, 0, 0, 0, 7, 0}));
  int64_t pos = -1;
  RAFindNot(f, 2, 0, pos);
  EXPECT_EQ(pos, 5);
  pos = -1;
  RAFindNot(f, 6, 0, pos);  // only zeros after the offset: unchanged
  EXPECT_EQ(pos, -1);
  RAFindNot(f, 0, 9, pos);  // a value other than 0 stops at the end of matching data
  EXPECT_EQ(pos, 2);

  // Across a 4096-byte record boundary.
  WriteFile(f, std::string(5000, ' ') + "X");
  RAFindNot(f, 10, ' ', pos);
  EXPECT_EQ(pos, 5000);
}

TEST(Platform, SpawnDetachedRunsWithoutAShell) {
  TempDir d;
  // A name with shell characters reaches the program as one argument.
  const std::string name = "a b;$(x).txt";
  ASSERT_TRUE(platform::SpawnDetached("touch", {name}, d.str()));
  for (int i = 0; i < 200 && !platform::PathExists(d.file(name)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(platform::PathExists(d.file(name)));
  EXPECT_FALSE(platform::SpawnDetached("no-such-program-here", {}, d.str()));
}

// Copies of processes that are gone or zombies (killed while their parent never reaps them, as
// under an init that does not) are removed; the copy of a running process and the file are kept.
TEST(Files, StaleTempCopiesOfEndedProcessesGo) {
  TempDir d;
  const std::string file = d.file("res.txt");
  const pid_t zombie = ::fork();
  if (zombie == 0) ::_exit(0);
  const pid_t running = ::fork();
  if (running == 0) {
    ::pause();
    ::_exit(0);
  }
  for (int i = 0; i < 200; ++i) {  // until the first child has ended
    std::string st = ReadFile("/proc/" + std::to_string(zombie) + "/stat");
    if (st.find(") Z") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  WriteFile(file, "kept\n");
  const std::string z = file + ".tmp~" + std::to_string(zombie);
  const std::string r = file + ".tmp~" + std::to_string(running);
  const std::string gone = file + ".tmp~999999999";
  for (const auto& f : {z, r, gone}) WriteFile(f, "copy\n");
  RemoveStaleTempCopies(file);
  EXPECT_FALSE(platform::PathExists(z));
  EXPECT_FALSE(platform::PathExists(gone));
  EXPECT_TRUE(platform::PathExists(r));
  EXPECT_TRUE(platform::PathExists(file));
  ::kill(running, SIGKILL);
  ::waitpid(running, nullptr, 0);
  ::waitpid(zombie, nullptr, 0);
}
