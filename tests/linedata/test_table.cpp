// The storage layer: opening files, tables as data sets, filters, sort, locate, edits.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "foundation/cvLit.h"
#include "linedata/cvTable.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace {

std::string U8(const std::string& cp) { return platform::Cp1251ToUtf8(cp); }

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.file("t.db");
    std::string err;
    ASSERT_TRUE(db.Create(file, err)) << err;
    db.Exec(
        "CREATE TABLE Lines_ (IdLine INTEGER PRIMARY KEY AUTOINCREMENT, LIN6 TEXT, Atom TEXT, "
        "LAMB REAL, NIon INTEGER, Mult TEXT, DateBeg DATETIME)");
    TcvTable t(&db, "Lines_");
    t.Open();
    struct R {
      const char* lin6;
      const char* atom;
      double lamb;
      int nion;
      const char* mult;
    };
    const R rows[] = {{"FE6301", "FE", 6301.5012, 1, "816"},
                      {"FE6302", "Fe", 6302.4936, 1, "816"},
                      {"TI5000", "TI", 5000.99, 1, "4"},
                      {"FE6247", "FE", 6247.557, 2, "74"},
                      {"CA6439", "CA", 6439.075, 1, "18"}};
    for (const R& r : rows) {
      t.Append();
      t.FieldByName("LIN6").SetAsString(r.lin6);
      t.FieldByName("Atom").SetAsString(r.atom);
      t.FieldByName("LAMB").SetAsFloat(r.lamb);
      t.FieldByName("NIon").SetAsInteger(r.nion);
      t.FieldByName("Mult").SetAsString(r.mult);
      t.Post();
    }
  }

  std::vector<std::string> Keys(TcvTable& t) {
    std::vector<std::string> k;
    for (t.First(); !t.Eof(); t.Next()) k.push_back(t.FieldByName("LIN6").AsString());
    return k;
  }

  testsupport::TempDir dir;
  std::string file;
  TcvDatabase db;
};

TEST(DatabaseOpen, BadFilesAreNamedAndLeftAlone) {
  testsupport::TempDir d;
  TcvDatabase db;
  std::string err;
  // missing
  EXPECT_FALSE(db.Open(d.file("none.db"), err));
  EXPECT_NE(err.find("none.db"), std::string::npos);
  EXPECT_NE(U8(err).find("не найден"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(d.file("none.db")));
  // not a database
  const std::string text = d.file("notes.db");
  testsupport::WriteFile(text, "This is a text file, certainly not a database of any kind.\n");
  EXPECT_FALSE(db.Open(text, err));
  EXPECT_NE(err.find("notes.db"), std::string::npos);
  EXPECT_NE(U8(err).find("не является базой данных SQLite"), std::string::npos);
  EXPECT_EQ(testsupport::ReadFile(text),
            "This is a text file, certainly not a database of any kind.\n");
  // Create never overwrites
  EXPECT_FALSE(db.Create(text, err));
  EXPECT_EQ(testsupport::ReadFile(text),
            "This is a text file, certainly not a database of any kind.\n");
  EXPECT_FALSE(db.Connected());
}

TEST(DatabaseOpen, ReadOnlyFileIsRefused) {
  testsupport::TempDir d;
  TcvDatabase db;
  std::string err;
  const std::string f = d.file("ro.db");
  ASSERT_TRUE(db.Create(f, err)) << err;
  db.Exec("CREATE TABLE T (A INTEGER)");
  db.Close();
  chmod(d.str().c_str(), 0755);
  chmod(f.c_str(), 0444);
  const std::string before = testsupport::ReadFile(f);
  // root may write any file: the check runs in a child process without those rights
  auto check = [&]() {
    TcvDatabase x;
    std::string e;
    return !x.Open(f, e) && U8(e).find("только для чтения") != std::string::npos &&
           e.find("ro.db") != std::string::npos;
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(check());
  } else {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  EXPECT_EQ(testsupport::ReadFile(f), before);
}

TEST(DatabaseOpen, LockedFileIsRefused) {
  testsupport::TempDir d;
  TcvDatabase db;
  std::string err;
  const std::string f = d.file("locked.db");
  ASSERT_TRUE(db.Create(f, err)) << err;
  db.Exec("CREATE TABLE T (A INTEGER)");
  db.Close();
  // another connection holds a write lock
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(f.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(db.Open(f, err));
  EXPECT_NE(U8(err).find("заблокирована"), std::string::npos);
  EXPECT_NE(err.find("locked.db"), std::string::npos);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(db.Open(f, err)) << err;
}

TEST_F(TableTest, FieldsTypesAndTableNames) {
  EXPECT_EQ(db.TableNames(), std::vector<std::string>{"Lines_"});
  EXPECT_EQ(db.FindTable("LINES_"), "Lines_");
  TcvTable t(&db, "lines_");
  t.Open();
  ASSERT_EQ(t.FieldCount(), 7);
  EXPECT_EQ(t.Fields(0).DataType(), TFieldType::ftAutoInc);
  EXPECT_EQ(t.FieldByName("lamb").DataType(), TFieldType::ftFloat);
  EXPECT_EQ(t.FieldByName("NIon").DataType(), TFieldType::ftInteger);
  EXPECT_EQ(t.FieldByName("Atom").DataType(), TFieldType::ftString);
  EXPECT_EQ(t.FieldByName("DateBeg").DataType(), TFieldType::ftDateTime);
  EXPECT_EQ(t.FindField("Nope"), nullptr);
  EXPECT_THROW(t.FieldByName("Nope"), EDatabaseError);
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(t.Fields(0).AsInteger(), 1);
  EXPECT_EQ(t.FieldByName("LAMB").AsString(), "6301.5012");
  EXPECT_EQ(t.FieldByName("NIon").AsString(), "1");
  EXPECT_TRUE(t.FieldByName("DateBeg").IsNull());
  EXPECT_EQ(t.FieldByName("DateBeg").AsString(), "");
}

TEST_F(TableTest, ConversionsRejectBadTextAndKeepNulls) {
  TcvTable t(&db, "Lines_");
  t.Open();
  EXPECT_THROW(t.FieldByName("NIon").SetAsString("2"), EDatabaseError);  // not editing
  t.Edit();
  EXPECT_THROW(t.FieldByName("NIon").SetAsString("1.5"), EDatabaseError);
  EXPECT_THROW(t.FieldByName("LAMB").SetAsString("abc"), EDatabaseError);
  EXPECT_THROW(t.FieldByName("LAMB").SetAsFloat(std::nan("")), EDatabaseError);
  t.FieldByName("LAMB").SetAsString("1.5-3");  // the program's own exponent form
  t.FieldByName("Mult").SetAsString("");
  t.FieldByName("DateBeg").SetAsString("2009-03-04 05:06:07.089");
  t.Post();
  EXPECT_DOUBLE_EQ(t.FieldByName("LAMB").AsFloat(), 1.5e-3);
  EXPECT_TRUE(t.FieldByName("Mult").IsNull());
  EXPECT_EQ(t.FieldByName("DateBeg").AsString(), "2009-03-04 05:06:07.089");
  double d = 0;
  ASSERT_TRUE(ParseDateTimeText("04.03.2009 05:06:07", d));
  EXPECT_EQ(DateTimeFieldText(d), "2009-03-04 05:06:07");
  EXPECT_EQ(RealFieldText(0.1), "0.1");
  EXPECT_EQ(RealFieldText(-1e-300), "-1e-300");
}

TEST_F(TableTest, FiltersBindValuesAndFollowTheTextSyntax) {
  TcvTable t(&db, "Lines_");
  t.Open();
  struct C {
    const char* filter;
    std::vector<std::string> keys;
  };
  const C cases[] = {
      {"Atom = 'FE'", {"FE6301", "FE6302", "FE6247"}},  // text comparisons ignore case
      {"LIN6='FE6301' AND NIon=1", {"FE6301"}},
      {"(LAMB > 6000 AND LAMB < 6400) AND NIon = 1", {"FE6301", "FE6302"}},
      {"NIon = '2'", {"FE6247"}},  // a quoted number against a number field
      {"LIN6 LIKE 'FE63*'", {"FE6301", "FE6302"}},
      {"Atom = 'TI' OR Atom = 'CA'", {"TI5000", "CA6439"}},
      {"NOT (Atom = 'FE')", {"TI5000", "CA6439"}},
      {"Mult <> '816' AND LAMB >= 5000.99", {"TI5000", "FE6247", "CA6439"}},
      {"DateBeg IS NULL AND [LIN6] = 'CA6439'", {"CA6439"}},
      {"Atom = 'FE'' OR ''1''=''1'", {}},  // an apostrophe inside stays in the value
  };
  for (const C& c : cases) {
    t.SetFilter(c.filter);
    t.SetFiltered(true);
    EXPECT_EQ(Keys(t), c.keys) << c.filter;
    EXPECT_EQ(t.RecordCount(), static_cast<int>(c.keys.size())) << c.filter;
  }
  for (const char* bad : {"ELEM = 1", "Atom = 'FE", "LAMB >", "Atom = 'FE' AND", "LAMB ~ 3"}) {
    EXPECT_THROW(t.SetFilter(bad), EDatabaseError) << bad;
  }
  t.SetFiltered(false);
  EXPECT_EQ(t.RecordCount(), 5);
  // values given apart from the text
  t.SetFilter("Atom = ? AND Mult = ?", {TextValue("fe"), TextValue("74")});
  t.SetFiltered(true);
  EXPECT_EQ(Keys(t), std::vector<std::string>{"FE6247"});
  // the database is intact after a hostile value
  t.SetFilter("LIN6 = ?", {TextValue("x'; DROP TABLE Lines_; --")});
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_EQ(db.TableNames(), std::vector<std::string>{"Lines_"});
}

TEST_F(TableTest, SortAndSelect) {
  TcvTable t(&db, "Lines_");
  t.Open();
  t.SetSort("NIon DESC, LAMB ASC");
  EXPECT_EQ(Keys(t), (std::vector<std::string>{"FE6247", "TI5000", "FE6301", "FE6302", "CA6439"}));
  EXPECT_THROW(t.SetSort("Nope ASC"), EDatabaseError);
  t.SetSort("");
  EXPECT_EQ(Keys(t).front(), "FE6301");

  TcvTable q(&db);
  q.SetSQL(
      "select LIN6, LAMB from Lines_ where Atom='FE' AND (NIon=1 OR Mult='74') order by LAMB DESC");
  q.Open();
  EXPECT_EQ(q.FieldCount(), 2);
  EXPECT_EQ(q.CommandText(), q.SQL());
  EXPECT_EQ(Keys(q), (std::vector<std::string>{"FE6302", "FE6301", "FE6247"}));
  q.SetSQL("select * from Lines_ where Atom=? AND (Mult=? OR Mult=?) order by NIon DESC, LIN6",
           {TextValue("FE"), TextValue("74"), TextValue("816")});
  q.Open();
  EXPECT_EQ(q.FieldCount(), 7);
  EXPECT_EQ(Keys(q), (std::vector<std::string>{"FE6247", "FE6301", "FE6302"}));
  TcvTable bad(&db);
  EXPECT_THROW(bad.SetSQL("delete from Lines_"), EDatabaseError);
}

TEST_F(TableTest, LocateAndNavigation) {
  TcvTable t(&db, "Lines_");
  t.Open();
  EXPECT_TRUE(t.Bof());
  ASSERT_TRUE(t.Locate("Atom;NIon;Mult", {TextValue("FE"), IntValue(2), TextValue("74")}));
  EXPECT_EQ(t.FieldByName("LIN6").AsString(), "FE6247");
  EXPECT_EQ(t.RecNo(), 4);
  // not found: the current record stays
  EXPECT_FALSE(t.Locate("LIN6", TextValue("XX0000")));
  EXPECT_EQ(t.RecNo(), 4);
  // exact by default, without case on request
  EXPECT_FALSE(t.Locate("Atom", TextValue("fe")));
  EXPECT_TRUE(t.Locate("Atom", TextValue("fe"), {true, false}));
  EXPECT_EQ(t.FieldByName("LIN6").AsString(), "FE6301");
  EXPECT_TRUE(t.Locate("NIon", TextValue("2")));  // a text key read as a number
  // only records of the current (filtered) list are found
  t.SetFilter("NIon = 1");
  t.SetFiltered(true);
  EXPECT_FALSE(t.Locate("LIN6", TextValue("FE6247")));
  t.Last();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.FieldByName("LIN6").AsString(), "CA6439");
  t.Next();
  EXPECT_TRUE(t.Eof());
  EXPECT_THROW(t.Locate("A;B", {TextValue("x")}), EDatabaseError);
}

TEST_F(TableTest, AppendEditDeleteLikeADataSet) {
  TcvTable t(&db, "Lines_");
  t.Open();
  t.SetSort("LAMB ASC");
  // a new record comes at the end of the list, with the number the database gave it
  t.Append();
  t.FieldByName("LIN6").SetAsString("NA5889");
  t.FieldByName("LAMB").SetAsFloat(5889.95);
  t.Post();
  EXPECT_EQ(t.RecNo(), 6);
  EXPECT_EQ(t.Fields(0).AsInteger(), 6);
  // an explicit key is kept
  t.Append();
  t.Fields(0).SetAsInteger(40);
  t.FieldByName("LIN6").SetAsString("K_7699");
  t.Post();
  EXPECT_EQ(t.Fields(0).AsInteger(), 40);
  // moving posts a pending edit
  ASSERT_TRUE(t.Locate("LIN6", TextValue("TI5000")));
  t.Edit();
  t.FieldByName("Mult").SetAsString("5");
  t.Next();
  ASSERT_TRUE(t.Locate("LIN6", TextValue("TI5000")));
  EXPECT_EQ(t.FieldByName("Mult").AsString(), "5");
  // Cancel drops an edit
  t.Edit();
  t.FieldByName("Mult").SetAsString("6");
  t.Cancel();
  EXPECT_EQ(t.FieldByName("Mult").AsString(), "5");
  // delete-while loop over a filter
  t.SetFilter("Atom = 'FE'");
  t.SetFiltered(true);
  int n = 0;
  while (!t.IsEmpty() && n < 10) {
    t.First();
    t.Delete();
    ++n;
  }
  EXPECT_EQ(n, 3);
  t.SetFiltered(false);
  EXPECT_EQ(t.RecordCount(), 4);
  // deleting the last record leaves the one before it current, at the end
  t.Last();
  const std::string before = t.FieldByName("LIN6").AsString();
  t.Prior();
  const std::string prev = t.FieldByName("LIN6").AsString();
  t.Last();
  t.Delete();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.FieldByName("LIN6").AsString(), prev);
  EXPECT_NE(before, prev);
  // Edit on an empty table appends
  db.Exec("CREATE TABLE E (A TEXT)");
  TcvTable e(&db, "E");
  e.Open();
  e.Edit();
  EXPECT_EQ(e.State(), TDataSetState::dsInsert);
  e.FieldByName("A").SetAsString("x");
  e.Post();
  EXPECT_EQ(e.RecordCount(), 1);
  // read-only tables refuse writes
  e.ReadOnly = true;
  EXPECT_THROW(e.Append(), EDatabaseError);
  EXPECT_THROW(e.Delete(), EDatabaseError);
}

TEST_F(TableTest, TextsKeepCodePage1251) {
  TcvTable t(&db, "Lines_");
  t.Open();
  t.Append();
  t.FieldByName("Mult").SetAsString("Ёжик в тумане"_cp);
  t.Post();
  TcvTable r(&db, "Lines_");
  r.Open();
  r.SetFilter("Mult = 'ёЖИК В ТУМАНЕ'"_cp);
  r.SetFiltered(true);
  ASSERT_EQ(r.RecordCount(), 1);
  EXPECT_EQ(r.FieldByName("Mult").AsString(), "Ёжик в тумане"_cp);
  // the file holds UTF-8
  sqlite3* h = db.Handle();
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(h, "SELECT Mult FROM Lines_ WHERE LIN6 IS NULL", -1, &s, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))), "Ёжик в тумане");
  sqlite3_finalize(s);
}

TEST_F(TableTest, BatchesCommitAndClosingTheFileClosesTables) {
  TcvTable t(&db, "Lines_");
  t.Open();
  {
    TcvDatabase::TBatch b(&db);
    t.Append();
    t.FieldByName("LIN6").SetAsString("B1");
    t.Post();
  }
  db.Close();
  EXPECT_FALSE(t.Active());
  std::string err;
  ASSERT_TRUE(db.Open(file, err)) << err;
  t.Open();
  EXPECT_TRUE(t.Locate("LIN6", TextValue("B1")));
}

}  // namespace
