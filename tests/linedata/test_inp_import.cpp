// The table import by description files: cutting and converting input values, the computed
// variables, the fatal texts of a bad description, key lookup, overwrite kinds, running numbers,
// and the job's all-or-nothing transaction.
#include <gtest/gtest.h>

#include <stdexcept>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvInpImport.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"

namespace {

std::string U8(const std::string& Cp) { return platform::Cp1251ToUtf8(Cp); }

class InpImportTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect());
    TakeWarnings();
  }
  // A description "imp/t.INP" with the data file "imp/data.txt" (relative DIR "").
  std::string Desc(const std::string& Sections, const std::string& Data) {
    Put("imp/data.txt", Data);
    Put("imp/t.INP", "[CASE]\nINPUT_DATA=1\n" + Sections);
    return Root("imp/t.INP");
  }
  // Runs the import as a job; the job's warnings (UTF-8).
  bool Run(const std::string& File, std::vector<std::string>* Warned = nullptr,
           TInpImportResult* R = nullptr) {
    TJob job("import");
    bool ok = false;
    RunJob(job, [&](TJob& J) { ok = ImportByInpFile(J, *DM, File, R); });
    if (Warned)
      for (const TJob::TWarning& w : job.Warnings()) Warned->push_back(U8(w.Text));
    if (job.State() == TJobState::Failed) lastError = U8(job.Error());
    return ok;
  }
  // The rows of a select, fields joined by "|".
  std::vector<std::string> Rows(const std::string& Sql) {
    std::vector<std::string> r;
    TcvTable t(&DM->ADOConnection, "");
    t.SetSQL(Sql);
    t.Open();
    for (t.First(); !t.Eof(); t.Next()) {
      std::string l;
      for (int i = 0; i < t.FieldCount(); ++i) l += (i ? "|" : "") + U8(t.Fields(i).AsString());
      r.push_back(l);
    }
    return r;
  }
  std::string lastError;
};

const char* const kInput1 =
    "[INPUT_FILE]\nDIR=\nFILE=data.txt\nFLD_INP_N=1\nFLD_INP 1=";

// Reads a one-input description and cuts Line with it.
struct TCut {
  const char* Words;
  const char* Line;
  bool Kept;
  const char* Value;
};

TEST_F(InpImportTest, InputValuesAreCutByModeAndConverted) {
  const TCut cases[] = {
      {"W N R T 3", "6301.5 Fe 120.5", true, "120.5"},
      {"W N S D, 1", "a,b,c", true, "b"},
      {"W N S D, 0", " a ,b", true, "a"},
      {"W N S F 3 2", "abcdef", true, "cd"},
      {"W N S T 2 9999", "1 9999 3", true, ""},
      {"W Y S T 2 9999", "1 9999 3", false, ""},
      {"W N I T 1", "12x", false, "12x"},
  };
  for (const TCut& c : cases) {
    SCOPED_TRACE(c.Words);
    TInpImport imp;
    ASSERT_TRUE(imp.Read(Desc(std::string(kInput1) + c.Words + "\n", "x\n")));
    Sayer->WarnOn();
    EXPECT_EQ(imp.ReadInputs(c.Line), c.Kept);
    EXPECT_EQ(imp.IF.Inp[0].Value, c.Value);
  }
  TInpImport imp;
  ASSERT_TRUE(imp.Read(Desc(std::string(kInput1) + "W N R T 3\n", "x\n")));
  imp.ReadInputs("6301.5 Fe 120.5");
  EXPECT_DOUBLE_EQ(imp.IF.Inp[0].RVal, 120.5);
  TakeWarnings();
  imp.IF.Inp[0].Req = 'Y';
  EXPECT_FALSE(imp.ReadInputs("6301.5 Fe"));
  ASSERT_EQ(TakeWarnings().size(), 1u);
}

// Computed variables over inputs A (I), B (I), R (R), S (S), E (S) and a constant TWO (I 2).
TEST_F(InpImportTest, ComputedVariables) {
  const std::string calcs[] = {
      "ADD ADD_I A 2",   "MUL MUL_C R 2",  "DIV DIV_C A 4",    "INTR INT R",
      "INTS INT S",        "MINL MIN_L A B", "MINU MIN_U A B",   "IDX IDX TWO S E",
      "IFD IFDEF S A B",   "AT AtName A",      "LID LineId7 E R",    "MN MIN A B",
      "MX MAX A B",        "MXR MAX R A",      "EMPTYM MUL_C Z 3",   "EMPTYA ADD_I Z 1",
  };
  std::string d = "[INPUT_FILE]\nDIR=\nFILE=data.txt\nFLD_INP_N=6\n"
                  "FLD_INP 1=A N I T 1\nFLD_INP 2=B N I T 2\nFLD_INP 3=R N R T 3\n"
                  "FLD_INP 4=S N S T 4\nFLD_INP 5=E N S T 5\nFLD_INP 6=Z N R T 6\n"
                  "[FLD_CONST]\nCONST_N=1\nCONST 1=TWO I 2\n[FLD_CALC]\nFLD_CALC_N=16\n";
  int n = 0;
  for (const std::string& c : calcs) d += "FLD_CALC " + std::to_string(++n) + "=" + c + "\n";
  TInpImport imp;
  ASSERT_TRUE(imp.Read(Desc(d, "x\n")));
  auto at = [&](const char* N) -> TInpFld& { return *imp.InpFldFind(N); };

  ASSERT_TRUE(imp.ReadInputs("26 26 6302.4936 41 FE"));
  imp.Evaluate();
  EXPECT_EQ(at("ADD").IVal, 28);
  EXPECT_EQ(at("ADD").Value, "26+CONST");
  EXPECT_DOUBLE_EQ(at("MUL").RVal, 12604.9872);
  EXPECT_EQ(at("MUL").Value, "6302.4936*CONST");
  EXPECT_DOUBLE_EQ(at("DIV").RVal, 6.5);
  EXPECT_EQ(at("INTR").IVal, 6302);
  EXPECT_EQ(at("INTR").Value, "");
  EXPECT_EQ(at("INTS").IVal, 41);
  EXPECT_EQ(at("INTS").Value, "41");
  EXPECT_EQ(at("MINL").IVal, 2);  // equal: 2
  EXPECT_EQ(at("MINU").IVal, 1);
  EXPECT_EQ(at("IDX").Value, "FE");  // selector 2: the third argument
  EXPECT_EQ(at("IFD").IVal, 26);
  EXPECT_EQ(at("AT").Value, "FE");
  EXPECT_EQ(at("LID").Value, "FE63024");
  EXPECT_EQ(at("EMPTYM").Value, "");
  EXPECT_EQ(at("EMPTYA").Value, "+CONST");

  ASSERT_TRUE(imp.ReadInputs("5 9 2.5 3"));
  imp.Evaluate();
  EXPECT_EQ(at("INTR").IVal, 2);  // halves to even
  EXPECT_EQ(at("MINL").IVal, 1);
  EXPECT_EQ(at("MINU").IVal, 2);
  EXPECT_EQ(at("MN").IVal, 5);
  EXPECT_EQ(at("MX").IVal, 9);   // the larger
  EXPECT_EQ(at("MXR").Typ, 'I');  // R 2.5 < A 5: the second argument, with its type
  EXPECT_EQ(at("IFD").IVal, 5);   // S "3" not empty: A
  ASSERT_TRUE(imp.ReadInputs("5 9 3.5"));
  imp.Evaluate();
  EXPECT_EQ(at("INTR").IVal, 4);
  EXPECT_EQ(at("IFD").IVal, 9);  // S empty: B
}

TEST_F(InpImportTest, BadDescriptionsAreFatalNamingFileSectionAndKey) {
  struct TBad {
    const char* Sections;
    const char* Text;
    const char* Key;
  } cases[] = {
      {"[FLD_CONST]\nCONST_N=1\nCONST 1=K I 12x\n", "Ошибка в константе K !!!", "CONST 1"},
      {"[FLD_CALC]\nFLD_CALC_N=1\nFLD_CALC 1=Q DIV_C W 0\n", "В формуле Q деление на 0!",
       "FLD_CALC 1"},
      {"[FLD_CALC]\nFLD_CALC_N=1\nFLD_CALC 1=Q DIV_C W 2\n", "деление нечисловой переменной W",
       "FLD_CALC 1"},
      {"[FLD_CALC]\nFLD_CALC_N=1\nFLD_CALC 1=Q SQRT W\n", "функция SQRT не предусмотрена!",
       "FLD_CALC 1"},
      {"[FLD_CALC]\nFLD_CALC_N=31\n", "FLD_CALC_N = 31", "FLD_CALC_N"},
      {"[TAB_DST]\nTAB_NAME=Atoms\nREC_N=1\n[TAB_DST REC 1]\nFLD_RES_N=1\nFLD_RES 1=Name K X W\n",
       "тип результата <X> поля Name не предусмотрен!", "FLD_RES 1"},
      {"[TAB_DST]\nTAB_NAME=Atoms\nREC_N=1\n[TAB_DST REC 1]\nFLD_RES_N=1\nFLD_RES 1=Name K\n",
       "Ошибка диапазона", "FLD_RES 1"},
      {"[TAB_DST]\nTAB_NAME=Atoms\nFLD_KEY_N=1\nFLD_KEY 1=NElt\nREC_N=1\n[TAB_DST REC 1]\n"
       "FLD_RES_N=1\nFLD_RES 1=Name K S W\n",
       "в секции TAB_DST REC 1\r\nне найдено ключевое поле NElt", nullptr},
  };
  for (const TBad& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::string f =
        Desc(std::string(kInput1) + "W N S T 1\n" + c.Sections, "x\n");
    TInpImport imp;
    try {
      imp.Read(f);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      const std::string t = U8(e.what());
      EXPECT_NE(t.find(c.Text), std::string::npos) << t;
      EXPECT_NE(t.find("t.INP"), std::string::npos) << t;
      if (c.Key) {
        EXPECT_NE(t.find(std::string("ключ ") + c.Key), std::string::npos) << t;
      }
    }
  }
  // the other refusals are warnings and import nothing
  TInpImport imp;
  EXPECT_FALSE(imp.Read(Root("imp/none.INP")));
  Put("imp/off.INP", "[CASE]\nINPUT_DATA=0\n");
  TakeWarnings();
  EXPECT_FALSE(imp.Read(Root("imp/off.INP")));
  EXPECT_TRUE(TakeWarnings().empty());
  Put("imp/nodata.INP", "[CASE]\nINPUT_DATA=Y\n[INPUT_FILE]\nDIR=sub\\\nFILE=gone.txt\n");
  EXPECT_FALSE(imp.Read(Root("imp/nodata.INP")));
  EXPECT_TRUE(WarnedWith("файл sub\\gone.txt не найден!!!"));
}

// Without a key table every line appends; a running number continues the largest one; values
// with apostrophes are bound, never spliced into SQL; reals rounded to the type's decimals.
TEST_F(InpImportTest, AppendsWithRunningNumbers) {
  {
    TcvTable t(&DM->ADOConnection, "NISTLevels");
    t.Open();
    t.Append();
    t.FieldByName("Config").SetAsString("A'1");
    t.FieldByName("ELEM").SetAsInteger(41);
    t.Post();
  }
  const std::string d =
      "[INPUT_FILE]\nDIR=\nFILE=data.txt\nFLD_INP_N=3\n"
      "FLD_INP 1=K Y S D| 0\nFLD_INP 2=E N R D| 1\nFLD_INP 3=T N S D| 2\n"
      "[TAB_DST]\nTAB_NAME=NISTLevels\nFLD_AUTONUM=ELEM\nFLD_KEY_N=1\nFLD_KEY 1=Config\nREC_N=1\n"
      "[TAB_DST REC 1]\nFLD_RES_N=3\nFLD_RES 1=Config K S K\nFLD_RES 2=E_cm O R8.3 E 9999\n"
      "FLD_RES 3=Term K S T\n";
  std::vector<std::string> w;
  TInpImportResult r;
  ASSERT_TRUE(Run(Desc(d, "A'1|1.23456|t1\nB|7.5|\n\nC|2.0004|t3\n|1|2\n"), &w, &r)) << lastError;
  ASSERT_EQ(w.size(), 1u);  // the line without its required key
  EXPECT_NE(w[0].find("поле K - пустое - пропускаем строку! (data.txt, строка 5)"),
            std::string::npos);
  EXPECT_EQ(r.Added, 3);
  EXPECT_EQ(r.Lines, 4);
  EXPECT_EQ(Rows("select Config, E_cm, ELEM, Term from NISTLevels order by IdNISTLevel"),
            (std::vector<std::string>{"A'1||41|", "A'1|1.235|42|t1", "B|7.5|43|", "C|2|44|t3"}));
}

// A key found through the key table (a filter over the conditions) picks the record to edit;
// kind O overwrites its marker only, N always, K only an empty column.
TEST_F(InpImportTest, KeyLookupEditsFoundRecordsByKind) {
  {
    TcvTable t(&DM->ADOConnection, "Atoms");
    t.Open();
    for (const auto& [n, z] : {std::pair{"FE", 26}, {"NI", 28}, {"NI", 28}}) {
      t.Append();
      t.FieldByName("Name").SetAsString(n);
      t.FieldByName("NElt").SetAsInteger(z);
      t.Post();
    }
    TcvTable l(&DM->ADOConnection, "NISTLevels");
    l.Open();
    l.Append();
    l.FieldByName("ELEM").SetAsInteger(26);
    l.FieldByName("E_cm").SetAsFloat(9999);
    l.FieldByName("Term").SetAsString("t");
    l.FieldByName("Ref").SetAsString("keep");
    l.Post();
  }
  const std::string d =
      "[INPUT_FILE]\nDIR=\nFILE=data.txt\nFLD_INP_N=3\n"
      "FLD_INP 1=Name N S T 1\nFLD_INP 2=E N R T 2\nFLD_INP 3=C N S T 3\n"
      "[TAB_KEY]\nTAB_NAME=Atoms\nFLD_CASE_N=1\nFLD_CASE 1=Name S S_EQ\nFLD_KEY=NElt\n"
      "ON_NODEF=S\n"
      "[TAB_DST]\nTAB_NAME=NISTLevels\nFLD_KEY_N=1\nFLD_KEY 1=ELEM\nREC_N=1\n"
      "[TAB_DST REC 1]\nFLD_RES_N=4\nFLD_RES 1=ELEM K I NElt\nFLD_RES 2=E_cm O R E 9999\n"
      "FLD_RES 3=Term N S C\nFLD_RES 4=Ref K S C\n";
  std::vector<std::string> w;
  TInpImportResult r;
  ASSERT_TRUE(Run(Desc(d, "fe 1.5 x\nNI 2 y\nCO 3 z\nFE 7 q\n"), &w, &r)) << lastError;
  // fe: found (filters ignore case): E over the marker, Term always, Ref kept; NI: two records,
  // CO: none, both skipped; FE: 1.5 is no marker, E stays
  EXPECT_EQ(r.Edited, 2);
  EXPECT_EQ(r.Skipped, 2);
  EXPECT_EQ(Rows("select ELEM, E_cm, Term, Ref from NISTLevels"),
            (std::vector<std::string>{"26|1.5|q|keep"}));
  ASSERT_EQ(w.size(), 4u);
  EXPECT_NE(w[0].find("Найдено 2 т.е. более 1-ой записи"), std::string::npos);
  EXPECT_NE(w[0].find("Name = 'NI'"), std::string::npos);
  EXPECT_NE(w[0].find("(data.txt, строка 2)"), std::string::npos);
  EXPECT_NE(w[1].find("Не найден ключ, соотв. тек.строке"), std::string::npos);
  EXPECT_NE(w[2].find("Запись для фильтра Name = 'CO' не найдена!"), std::string::npos);
}

// A cancel or a fatal error in the middle leaves every table as before; nothing half written.
TEST_F(InpImportTest, CancelAndFatalLeaveTheDatabaseAsBefore) {
  std::string data;
  for (int i = 1; i <= 500; ++i) data += "X" + std::to_string(i) + " " + std::to_string(i) + "\n";
  data += "BAD abc\n";
  const std::string d =
      "[INPUT_FILE]\nDIR=\nFILE=data.txt\nFLD_INP_N=2\nFLD_INP 1=K N S T 1\n"
      "FLD_INP 2=V N S T 2\n[FLD_CALC]\nFLD_CALC_N=1\nFLD_CALC 1=N INT V\n"
      "[TAB_DST]\nTAB_NAME=NISTLevels\nREC_N=1\n"
      "[TAB_DST REC 1]\nFLD_RES_N=2\nFLD_RES 1=Config K S K\nFLD_RES 2=J2 K I N\n";
  const std::string file = Desc(d, data);
  const std::string db = DM->ADOConnection.FileName();
  DM->Disconnect();
  const std::string before = SqliteDump(db);
  ASSERT_TRUE(DM->Connect(db));
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "cancel" : "fatal");
    TJob job("import");
    job.OnProgress = [&](const TJobProgress& P) {
      if (cancel && P.Done >= 256) job.Cancel();
    };
    bool ok = false;
    RunJob(job, [&](TJob& J) { ok = ImportByInpFile(J, *DM, file); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(job.State(), cancel ? TJobState::Cancelled : TJobState::Failed);
    if (!cancel) {
      EXPECT_NE(U8(job.Error()).find("ошибка преобразования <abc> в целое для вх.перем.V"),
                std::string::npos);
    }
  }
  DM->Disconnect();
  EXPECT_EQ(SqliteDump(db), before);
}

// The bundled demo: the four levels of the Fe I pair into NISTLevels.
TEST_F(InpImportTest, BundledDemoFillsNISTLevels) {
  CopyBundled("INP/NISTLevels.INP");
  CopyBundled("INP/FeI_levels.txt");
  TInpImportResult r;
  std::vector<std::string> w;
  ASSERT_TRUE(Run(Root("INP/NISTLevels.INP"), &w, &r)) << lastError;
  EXPECT_TRUE(w.empty());
  EXPECT_EQ(r.Added, 4);
  EXPECT_EQ(Rows("select ELEM, Term, J2, E_cm, gL from NISTLevels order by E_cm"),
            (std::vector<std::string>{"2600|z5P*|4|29469.022|1.833",
                                      "2600|z5P*|2|29732.734|2.5",
                                      "2600|e5D|4|45333.872|1.5", "2600|e5D|0|45595.083|0"}));
}

}  // namespace
