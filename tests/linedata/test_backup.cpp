// The database module and the text-table backup: save, restore, the text restore, line keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/cvApp.h"
#include "foundation/cvDate.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/MsgBox.h"

namespace fs = std::filesystem;

namespace {

// The dump with the rows of SQLite's own sequence table in a fixed order.
std::string Dump(const std::string& File) {
  std::string d = SqliteDump(File);
  std::vector<std::string> lines, seq;
  size_t a = 0;
  while (a < d.size()) {
    size_t b = d.find('\n', a);
    if (b == std::string::npos) b = d.size();
    lines.push_back(d.substr(a, b - a));
    a = b + 1;
  }
  std::string out;
  for (const std::string& l : lines) {
    if (l.rfind("INSERT INTO sqlite_sequence", 0) == 0) {
      seq.push_back(l);
      continue;
    }
    if (!seq.empty() && l.rfind("INSERT INTO sqlite_sequence", 0) != 0) {
      std::sort(seq.begin(), seq.end());
      for (const std::string& q : seq) out += q + "\n";
      seq.clear();
    }
    out += l + "\n";
  }
  return out;
}

class BackupTest : public LineDataEnv {
 protected:
  void Add(TcvTable& t, const std::vector<std::pair<const char*, TcvValue>>& values) {
    t.Append();
    for (const auto& v : values) t.FieldByName(v.first).SetValue(v.second);
    t.Post();
  }

  // A database with awkward values in most tables.
  void Fill() {
    TcvTable& L = DM->ADOLines_;
    L.Open();
    Add(L, {{"LIN6", TextValue("FE6301")},
            {"Atom", TextValue("FE")},
            {"LAMB", RealValue(6301.5012)},
            {"NIon", IntValue(1)},
            {"Mult", TextValue("a|b")},
            {"ELOW", RealValue(3.654)},
            {"LGGF", RealValue(-0.718)},
            {"GLT", TextValue("L")},
            {"ZnRung", TextValue("line1\r\nline2")}});
    Add(L, {{"LIN6", TextValue("FE6302")},
            {"Atom", TextValue("FE")},
            {"LAMB", RealValue(1.0 / 3.0)},
            {"Mult", TextValue("!bang and ! again")},
            {"LGGFSrc", TextValue("back\\slash \\7C \\21")}});
    Add(L, {{"LIN6", TextValue("TI5000")},
            {"Mult", TextValue("  blanks at both ends  ")},
            {"LAMB", RealValue(1e-300)},
            {"GEff", RealValue(-0.0)},
            {"NComp", IntValue(1LL << 40)},
            {"LGGFSrc", TextValue("Кириллица\tс табуляцией"_cp)}});
    Add(L, {{"LIN6", TextValue("XX0000")}});
    Add(L, {{"LIN6", TextValue("CA6439")}, {"LAMB", RealValue(6439.075)}});
    // a gap in the record numbers
    ASSERT_TRUE(L.Locate("LIN6", TextValue("XX0000")));
    L.Delete();
    TcvTable& G = DM->ADOLGGF;
    G.Open();
    Add(G, {{"LIN6", TextValue("FE6301")},
            {"Src", TextValue("Belmar_W")},
            {"Val", RealValue(-0.75)},
            {"Priority", IntValue(51)}});
    TcvTable& K = DM->ADOKurLines;
    K.Open();
    Add(K, {{"Id", TextValue("5x000123")},
            {"LAMB", RealValue(5000.1234)},
            {"ELEM", IntValue(2600)},
            {"LabelLO", TextValue("3d6 4s2 a5D")}});
    Add(K, {{"Id", TextValue("Ax000007")}, {"LAMB", RealValue(10000.5)}, {"ELEM", IntValue(2601)}});
    TcvTable& A = DM->ADOAtoms;
    A.Open();
    Add(A, {{"Name", TextValue("FE")},
            {"NElt", IntValue(26)},
            {"PAT", RealValue(55.845)},
            {"ABUND", RealValue(7.5)}});
    Add(A, {{"Name", TextValue("H")}, {"NElt", IntValue(1)}, {"PAT", RealValue(1.008)}});
    TcvTable& M = DM->ADOMulti;
    M.Open();
    Add(M, {{"Atom", TextValue("V ")},
            {"NIon", IntValue(1)},
            {"Mult", TextValue("4")},
            {"LOW", TextValue("a5D")},
            {"HIGH", TextValue("z5D o")}});
    TcvTable& Q = DM->ADOQuests;
    Q.Open();
    Q.Append();
    Q.FieldByName("ProjName").SetAsString("Demo");
    Q.FieldByName("QuestName").SetAsString("Q1");
    Q.FieldByName("DateBeg").SetAsDateTime(NowDateTime());
    Q.FieldByName("DateLast").SetAsDateTime(40000.123456789);
    Q.Post();
    TcvTable& Mg = DM->ADOMags;
    Mg.Open();
    Add(Mg, {{"MagCode", TextValue("ApJ")}, {"MagName", TextValue("Astrophysical Journal")}});
    TcvTable& O = DM->ADOOrbits;
    O.Open();
    Add(O, {{"iAtNi", IntValue(2600)}, {"sKur", TextValue("3d7 4s z5F'")}, {"k_inp", IntValue(1)}});
  }
};

TEST(Cells, EscapesKeepEveryCharacter) {
  const std::string values[] = {
      "",        "plain", "a|b", "x\r\ny",         "!",        "\\", "\\7C",
      "  two  ", " ",     "\t",  "C:\\Data\\proj", "\x01\x7F", "Ёж"};
  for (const std::string& v : values) {
    const std::string e = TxtTabEscape(v);
    EXPECT_EQ(e.find_first_of("|!\r\n"), std::string::npos) << v;
    EXPECT_TRUE(e.empty() || (e.front() != ' ' && e.back() != ' ')) << v;
    EXPECT_EQ(TxtTabUnescape(e), v) << v;
  }
  EXPECT_EQ(TxtTabEscape("a|b"), "a\\7Cb");
  // a backslash that is no escape of ours stays
  EXPECT_EQ(TxtTabUnescape("C:\\Data\\x"), "C:\\Data\\x");
  TStringList cells;
  SplitCells("a||b|", '|', cells);
  EXPECT_EQ(cells.Count(), 4);
}

TEST_F(BackupTest, NewDatabaseHasTheSchemaAndBadFilesAreLeftAlone) {
  ASSERT_TRUE(DM->Connect());
  EXPECT_TRUE(DM->Created());
  EXPECT_EQ(DM->ADOConnection.FileName(), Root("GEDA/cv.db"));
  for (const char* t : {"Lines_", "LGGF", "KurLines", "Atoms", "Multi", "Orbits", "Levels",
                        "LineObsVorn", "Projects", "Quests", "Mod_", "SOURCES", "Authors", "Mags",
                        "SrcAuth", "Tabs", "Users", "KurLevels", "NISTLevels"})
    EXPECT_FALSE(DM->ADOConnection.FindTable(t).empty()) << t;
  DM->ADOLines_.Open();
  EXPECT_EQ(DM->ADOLines_.Fields(0).DataType(), TFieldType::ftAutoInc);
  for (const char* f : {"LIN6", "Atom", "LAMB", "NIon", "GLT", "WHM", "DCV", "ZnRung", "IdLine"})
    EXPECT_NE(DM->ADOLines_.FindField(f), nullptr) << f;
  DM->Disconnect();
  // a file that is no database: a warning naming it, the file kept
  Put("GEDA/bad.db", "not a database at all, just text that is long enough\n");
  EXPECT_FALSE(DM->Connect(Root("GEDA/bad.db")));
  EXPECT_TRUE(WarnedWith("bad.db"));
  EXPECT_EQ(testsupport::ReadFile(Root("GEDA/bad.db")),
            "not a database at all, just text that is long enough\n");
  EXPECT_THROW(DM->ADOLines_.Open(), EDatabaseError);
}

TEST_F(BackupTest, SaveAndRestoreIntoAnEmptyDatabaseLosesNothing) {
  ASSERT_TRUE(DM->Connect());
  Fill();
  DBAutoSave();
  const std::string dir = App->GetSaveDirLast();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(WarnedWith("Данные сохранены в каталоге <" + dir));
  // every line of a text table has the header's columns
  TStringList lines;
  lines.LoadFromFile(dir + "/Lines_.txt");
  ASSERT_EQ(lines.Count(), 5);
  for (int i = 0; i < lines.Count(); ++i)
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '|'), DM->ADOLines_.FieldCount() - 1)
        << i;
  const std::string before = Dump(Root("GEDA/cv.db"));
  ASSERT_NE(before.find("INSERT INTO Lines_"), std::string::npos);
  DM->Disconnect();

  ASSERT_TRUE(DM->Connect(Root("GEDA/restored.db")));
  TakeWarnings();
  DBAutoLoad(dir);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  EXPECT_FALSE(progress.empty());
  DM->Disconnect();
  EXPECT_EQ(Dump(Root("GEDA/restored.db")), before);
}

TEST_F(BackupTest, RestoreKeepsExistingKeysAndFillsMissingColumns) {
  ASSERT_TRUE(DM->Connect());
  Fill();
  Put("autosave/2009_01_01/LGGF.txt",
      "IdLGGF|LIN6  |Src |Val  \n"
      "1     |XX0001|new |1.5  \n"  // key 1 exists: left as it is
      "7     |FE6302|VALD|-1.25\n"
      "x     |FE6303|VALD|0    \n"  // not a number: reported, the rest loads
      "8     |FE6304|VALD\n"        // a column short: reported
      "10    |FE6306|VALD|abc  \n"  // a value the field cannot take: reported
      "9     |FE6305|VALD|0.5  \n");
  Put("autosave/2009_01_01/Multi.txt", "Atom|Mult\nNA  |1   \n");
  platform::ScriptedMsgBoxes boxes;
  boxes.Answer(platform::MsgResult::Yes);  // Multi and LGGF hold records: asked once
  DBAutoLoad(Root("autosave/2009_01_01"));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  TcvTable& G = DM->ADOLGGF;
  G.Close();
  G.Open();
  EXPECT_EQ(G.RecordCount(), 3);
  ASSERT_TRUE(G.Locate("IdLGGF", IntValue(1)));
  EXPECT_EQ(G.FieldByName("LIN6").AsString(), "FE6301");
  ASSERT_TRUE(G.Locate("IdLGGF", IntValue(7)));
  EXPECT_DOUBLE_EQ(G.FieldByName("Val").AsFloat(), -1.25);
  EXPECT_TRUE(G.Locate("IdLGGF", IntValue(9)));
  EXPECT_TRUE(WarnedWith("ошибка при преобразовании ID <x>"));
  EXPECT_TRUE(WarnedWith("в строке 5"));
  EXPECT_TRUE(WarnedWith("в строке 6"));
  EXPECT_FALSE(G.Locate("IdLGGF", IntValue(10)));
  // a table field without a column: 0 for numbers, empty otherwise
  TcvTable& M = DM->ADOMulti;
  M.Close();
  M.Open();
  ASSERT_TRUE(M.Locate("Atom", TextValue("NA")));
  EXPECT_EQ(M.FieldByName("NIon").AsString(), "0");
  EXPECT_TRUE(M.FieldByName("LOW").IsNull());
}

TEST_F(BackupTest, AutoLoadFindsFilesByNameAndSaysWhenThereAreNone) {
  ASSERT_TRUE(DM->Connect());
  DBAutoLoad(Root("autosave/none"));
  EXPECT_TRUE(WarnedWith("Папка автосохранения"));
  fs::create_directories(Root("autosave/2009_01_02"));
  Put("autosave/2009_01_02/readme.txt", "nothing\n");
  TakeWarnings();
  DBAutoLoad(Root("autosave/2009_01_02"));
  EXPECT_TRUE(WarnedWith("не найдено ни одного файла таблиц"));
  DBAutoLoadLast();
  EXPECT_TRUE(WarnedWith("Директория автосохранения не найдена!"));
  // a table file of another case is found; a file for a table the database lacks is named
  Put("autosave/2009_01_03/atoms.TXT", "Name|NElt\nO   |8\n");
  Put("autosave/2009_01_03/Graf.txt", "A|B\n1|2\n");
  DM->ADOConnection.Exec("DROP TABLE Graf");  // a database made before the table was added
  TakeWarnings();
  DBAutoLoad(Root("autosave/2009_01_03"));
  DM->ADOAtoms.Open();
  EXPECT_TRUE(DM->ADOAtoms.Locate("Name", TextValue("O")));
  EXPECT_TRUE(WarnedWith("Таблицы Graf нет в базе данных"));
}

TEST_F(BackupTest, TwoSavesOfOneDayGoToTwoFolders) {
  ASSERT_TRUE(DM->Connect());
  Fill();
  DBAutoSave();
  DBAutoSave();
  int folders = 0;
  for (const auto& e : fs::directory_iterator(Root("autosave"))) folders += e.is_directory();
  EXPECT_EQ(folders, 2);
}

TEST_F(BackupTest, TextRestoreUpdatesByKeyAndReportsBadLines) {
  ASSERT_TRUE(DM->Connect());
  Fill();
  Put("BIBL/Mags.txt",
      "! journals\n"
      "MagCode|MagName              |Note\n"
      "ApJ    |                     |changed note\n"  // existing: only non-empty fields change
      "A&A    |Astronomy and Astrophysics|\n"
      "MNRAS  |Monthly Notices|x|y\n"  // too many columns: reported
      "       |                     |    \n");
  const int32_t n = TableFromTxt(DM->ADOMags, Root("BIBL/Mags.txt"), true);
  EXPECT_EQ(n, 2);
  TcvTable& M = DM->ADOMags;
  ASSERT_TRUE(M.Locate("MagCode", TextValue("ApJ")));
  EXPECT_EQ(M.FieldByName("MagName").AsString(), "Astrophysical Journal");
  EXPECT_EQ(M.FieldByName("Note").AsString(), "changed note");
  EXPECT_TRUE(M.Locate("MagCode", TextValue("A&A")));
  EXPECT_TRUE(WarnedWith("Mags.txt"));
  EXPECT_TRUE(WarnedWith("строка 5"));
  // an integer key: existing records are overwritten field by field, new ones keep their number
  Put("SYS/Tabs.txt", "IdTab|TabName|Description\n3|Lines_|line table\nabc|KurLines|x\n5|LGGF|\n");
  TakeWarnings();
  EXPECT_EQ(TableFromTxt(DM->ADOTabs, Root("SYS/Tabs.txt"), false), 2);
  TcvTable& T = DM->ADOTabs;
  ASSERT_TRUE(T.Locate("IdTab", IntValue(3)));
  EXPECT_EQ(T.FieldByName("TabName").AsString(), "Lines_");
  EXPECT_TRUE(T.Locate("IdTab", IntValue(5)));
  EXPECT_TRUE(WarnedWith("ID <abc>"));
  Put("SYS/Tabs.txt", "IdTab|TabName|Description\n3||the line table\n");
  TableFromTxt(DM->ADOTabs, Root("SYS/Tabs.txt"), false);
  ASSERT_TRUE(T.Locate("IdTab", IntValue(3)));
  EXPECT_EQ(T.FieldByName("TabName").AsString(), "Lines_");
  EXPECT_EQ(T.FieldByName("Description").AsString(), "the line table");
  // no header, no matching field, no file
  TakeWarnings();
  Put("SYS/empty.txt", "! only a comment\n");
  EXPECT_EQ(TableFromTxt(DM->ADOTabs, Root("SYS/empty.txt"), false), 0);
  EXPECT_TRUE(WarnedWith("не удалось прочитать строку с именами полей"));
  Put("SYS/other.txt", "Foo|Bar\n1|2\n");
  EXPECT_EQ(TableFromTxt(DM->ADOTabs, Root("SYS/other.txt"), false), 0);
  EXPECT_TRUE(WarnedWith("не найдено полей"));
  EXPECT_EQ(TableFromTxt(DM->ADOTabs, Root("SYS/none.txt"), false), 0);
  EXPECT_TRUE(WarnedWith("none.txt"));
  // a read-only table is written and stays read-only
  T.ReadOnly = true;
  Put("SYS/Tabs.txt", "IdTab|TabName\n6|Atoms\n");
  EXPECT_EQ(TableFromTxt(DM->ADOTabs, Root("SYS/Tabs.txt"), false), 1);
  EXPECT_TRUE(T.ReadOnly);
  EXPECT_TRUE(T.Active());
}

TEST(LineKeys, CalcLIN6AndTheRange) {
  struct C {
    int k;
    const char* atom;
    double lamb;
    const char* key;
  };
  const C cases[] = {{6, "Fe", 6302.5, "FE6302"},     {6, "h", 6301.5, "HH6301"},
                     {6, "FE", 6301.5012, "FE6301"},  {9, "Ti", 5000.1234, "TI5000123"},
                     {7, "Ti", 5000.1234, "TI50001"}, {6, "CA", 10343.819, "CA1034"},
                     {6, "V ", 4379.23, "VV4379"}};
  for (const C& c : cases) EXPECT_EQ(CalcLIN6(c.k, c.atom, c.lamb), c.key) << c.key;
}

TEST_F(BackupTest, RangeFieldsOfTheStartTab) {
  double a = 0, b = 0;
  EXPECT_FALSE(GetLambFromTo(a, b));  // no main window yet
  EXPECT_TRUE(WarnedWith("GetLambFromTo"));
  std::string from, to;
  int focus = 0;
  LineData().LambFields = {[&] { return from; }, [&] { return to; }, [&] { focus = 1; },
                           [&] { focus = 2; }};
  EXPECT_TRUE(GetLambFromTo(a, b));
  EXPECT_EQ(a, 2000);
  EXPECT_EQ(b, 13000);
  from = "6302.5";
  to = " 6301 ";
  EXPECT_TRUE(GetLambFromTo(a, b));
  EXPECT_EQ(a, 6302.5);
  EXPECT_EQ(b, 6301);
  from = "63o1";
  EXPECT_FALSE(GetLambFromTo(a, b));
  EXPECT_EQ(focus, 1);
  EXPECT_TRUE(WarnedWith("Ошибка в поле \"LAMB от\""));
  from = "";
  to = "x";
  EXPECT_FALSE(GetLambFromTo(a, b));
  EXPECT_EQ(focus, 2);
  CalcLIN6(6, "FE", 0);
  EXPECT_TRUE(WarnedWith("CalcLIN6-Err K=6 At=FE LAMB=0 !!!"));
}

}  // namespace
