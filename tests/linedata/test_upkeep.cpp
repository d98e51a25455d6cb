// The upkeep loaders: element table, abundances, multiplets, bibliography, service table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "app/cvApp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "linedata/cvUpkeep.h"
#include "linedata/support/LineDataEnv.h"

namespace {

class UpkeepTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect());
    TakeWarnings();  // the note on the new database
  }
};

const char* const kTable =
    "title\n"
    "Z | SYM | MASS | E1 | E2 | E3 | E4\n"
    "\n"
    "! fourth line\n"
    "  1 | H  | 1.008  | 13.5984 |       |       |\n"
    " 26 | FE | 55.847 | 7.87    | 16.18 | 30.65 |\n"
    " 27 | NI | 58.69  | 7.64    |       |       |\n"  // a symbol of another element: passed over
    " 2x | HE | 4.0026 | 24.58   |       |       |\n"  // malformed: reported, the rest loads
    "  8 | O  | 15.999 | 13.6181 | 35.12 | abc   |\n"  // malformed
    "  6 | C  | 12.011 | 11.2603 | 24.38 | 47.89 |\n"
    "--------------------\n"
    "  7 | N  | 14.007 | 14.5341 |       |       |\n";

TEST_F(UpkeepTest, ElementTableLoadsAndReportsBadLines) {
  Put("GEDA/tbmend.txt", kTable);
  LoadTBMend();
  TATOM* fe = MEND->GetAtom(26);
  EXPECT_EQ(fe->Name, "FE");
  EXPECT_DOUBLE_EQ(fe->PAT, 55.847);
  EXPECT_DOUBLE_EQ(fe->EIon[2], 30.65);
  EXPECT_DOUBLE_EQ(fe->EIon[3], 0.0);
  EXPECT_EQ(MEND->GetAtom(27)->NElt, 0);
  EXPECT_EQ(MEND->GetAtom(2)->NElt, 0);
  EXPECT_EQ(MEND->GetAtom(8)->NElt, 0);
  EXPECT_EQ(MEND->GetAtom(6)->NElt, 6);  // after the bad lines
  EXPECT_EQ(MEND->GetAtom(7)->NElt, 0);  // after the end of the table
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("tbmend.txt"), std::string::npos);
  EXPECT_NE(warnings[0].find("пропущено строк с ошибками: 2"), std::string::npos);
  EXPECT_NE(warnings[0].find("str=8"), std::string::npos);
  EXPECT_NE(warnings[0].find("str=9"), std::string::npos);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].Line, 8);
  EXPECT_EQ(opened[0].Pos, 2);

  // into the table Atoms: the empty fourth energy is not written
  MEND->GetAtom(26)->ABUND = 7.5;
  MendToAtoms();
  TcvTable& A = DM->ADOAtoms;
  ASSERT_TRUE(A.Locate("Name", TextValue("FE")));
  EXPECT_EQ(A.FieldByName("NElt").AsInteger(), 26);
  EXPECT_DOUBLE_EQ(A.FieldByName("EIon2").AsFloat(), 30.65);
  EXPECT_TRUE(A.FieldByName("EIon3").IsNull());
  EXPECT_DOUBLE_EQ(A.FieldByName("ABUND").AsFloat(), 7.5);
  EXPECT_EQ(A.RecordCount(), 3);
  // a second run edits the same records
  MEND->GetAtom(26)->PAT = 55.845;
  MendToAtoms();
  EXPECT_EQ(A.RecordCount(), 3);
  ASSERT_TRUE(A.Locate("Name", TextValue("FE")));
  EXPECT_DOUBLE_EQ(A.FieldByName("PAT").AsFloat(), 55.845);
}

TEST_F(UpkeepTest, AbundancesInFileOrder) {
  Put("GEDA/tbmend.txt", kTable);
  LoadTBMend();
  TakeWarnings();
  Put("GEDA/abund.dat",
      "h1\nh2\nh3\n"
      "H   12.00\n"
      "xyz 1 2\n"  // no element symbol: passed over
      "FE  7.50  ! iron\n"
      "C   x.yz\n"  // malformed: reported
      "\n"
      "C   8.43\n");
  std::string s;
  LoadAbund(s);
  EXPECT_EQ(s, "H 12.00 FE 7.50 C 8.43 ");
  EXPECT_EQ(warnings.size(), 1u) << warnings.back();
  TakeWarnings();
  opened.clear();
  AbundToMend();
  EXPECT_EQ(MEND->sStdAbund, s);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(26)->ABUND, 7.5);
  AbundToAtoms();
  TcvTable& A = DM->ADOAtoms;
  ASSERT_TRUE(A.Locate("Name", TextValue("C")));
  EXPECT_DOUBLE_EQ(A.FieldByName("ABUND").AsFloat(), 8.43);
  EXPECT_TRUE(A.FieldByName("PAT").IsNull());  // only the abundance is written
}

TEST_F(UpkeepTest, MultipletsSplitIntoThreeFields) {
  Put("LIN/mul_fe1.txt",
      "Fe I multiplets\nMULT LOW HIGH\n-------------\n"
      "4    a5D   z5D o\n"
      "5    a5D o z5F\n"
      "-----------\n"
      "816  b3P z3P o extra\n"  // cannot be split: reported
      "1    a5D z7D o\n"
      "7    a5P\n");  // no upper term: kept empty
  LoadMulti(Root("LIN/mul_fe1.txt"), "FE", 1);
  TcvTable& M = DM->ADOMulti;
  EXPECT_EQ(M.RecordCount(), 4);
  ASSERT_TRUE(M.Locate("Atom;NIon;Mult", {TextValue("FE"), IntValue(1), TextValue("4")}));
  EXPECT_EQ(M.FieldByName("LOW").AsString(), "a5D");
  EXPECT_EQ(M.FieldByName("HIGH").AsString(), "z5D o");
  ASSERT_TRUE(M.Locate("Atom;NIon;Mult", {TextValue("FE"), IntValue(1), TextValue("5")}));
  EXPECT_EQ(M.FieldByName("LOW").AsString(), "a5D o");
  EXPECT_EQ(M.FieldByName("HIGH").AsString(), "z5F");
  ASSERT_TRUE(M.Locate("Atom;NIon;Mult", {TextValue("FE"), IntValue(1), TextValue("7")}));
  EXPECT_EQ(M.FieldByName("LOW").AsString(), "a5P");
  EXPECT_TRUE(M.FieldByName("HIGH").IsNull());
  EXPECT_TRUE(WarnedWith("на 3 поля!"));
  EXPECT_TRUE(WarnedWith("str=7"));
  EXPECT_TRUE(WarnedWith("пропущено строк с ошибками: 1"));
  // loading again updates the records of the same key
  Put("LIN/mul_fe1.txt", "a\nb\nc\n4 a5F z5D o\n");
  LoadMulti(Root("LIN/mul_fe1.txt"), "FE", 1);
  EXPECT_EQ(M.RecordCount(), 4);
  ASSERT_TRUE(M.Locate("Mult", TextValue("4")));
  EXPECT_EQ(M.FieldByName("LOW").AsString(), "a5F");
  // the six files: missing ones are named, the present ones load
  TakeWarnings();
  Put("LIN/MUL_VV1.TXT", "a\nb\nc\n9 a4F y4G o\n");
  LoadMultiFiles();
  EXPECT_TRUE(WarnedWith("mul_na1.txt"));
  ASSERT_TRUE(M.Locate("Atom;Mult", {TextValue("V "), TextValue("9")}));
  EXPECT_EQ(M.FieldByName("HIGH").AsString(), "y4G o");
}

TEST_F(UpkeepTest, BibliographyAndServiceTable) {
  Put("BIBL/Authors.txt",
      "IdAuthor|Name     |Initials\n1       |Asplund  |M.\n2       |Grevesse |N.\n");
  Put("BIBL/Mags.txt", "MagCode|MagName\nARA&A  |Annual Review of Astronomy and Astrophysics\n");
  Put("BIBL/Sources.txt", "IdSource|SrcCode|MagCode|Year_\n1       |AGSS09 |ARA&A  |2009\n");
  Put("SYS/Tabs.txt", "IdTab|TabName\n1|Lines_\n2|LGGF\n");
  LoadRefers();
  LoadTabs();
  EXPECT_EQ(DM->ADOAuthors.RecordCount(), 2);
  EXPECT_EQ(DM->ADOMags.RecordCount(), 1);
  ASSERT_TRUE(DM->ADOSources.Locate("IdSource", IntValue(1)));
  EXPECT_EQ(DM->ADOSources.FieldByName("Year_").AsInteger(), 2009);
  EXPECT_EQ(DM->ADOTabs.RecordCount(), 2);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(UpkeepTest, StartStepLoadsTheBundledTablesAndANewDatabaseGetsTheElements) {
  CopyBundled("GEDA/tbmend.txt");
  CopyBundled("GEDA/abund.dat");
  CopyBundled("GEDA/irwin.dat");
  DM->Disconnect();
  std::remove(Root("GEDA/cv.db").c_str());
  LineDataInitStep();
  ASSERT_TRUE(DM->Connected());
  EXPECT_TRUE(DM->Created());
  TcvTable& A = DM->ADOAtoms;
  A.Open();
  EXPECT_EQ(A.RecordCount(), 104);
  ASSERT_TRUE(A.Locate("Name", TextValue("FE")));
  EXPECT_DOUBLE_EQ(A.FieldByName("ABUND").AsFloat(), 7.5);
  EXPECT_DOUBLE_EQ(A.FieldByName("EIon").AsFloat(), 7.9024);
}

// The loaders as jobs: one transaction each; a cancel between the multiplet files or before the
// end keeps the tables as they were, a run to the end keeps every file.
TEST_F(UpkeepTest, LoadersAsJobsKeepNothingWhenCancelled) {
  Put("LIN/mul_na1.txt", "a\nb\nc\n1 3s 3p o\n");
  Put("LIN/mul_fe1.txt", "a\nb\nc\n4 a5D z5D o\n");
  Put("BIBL/Authors.txt", "IdAuthor|Name\n1|Asplund\n");
  Put("BIBL/Mags.txt", "MagCode|MagName\nARA&A|Annual Review\n");
  Put("BIBL/Sources.txt", "IdSource|SrcCode\n1|AGSS09\n");
  TcvTable& M = DM->ADOMulti;
  M.Open();
  const int32_t before = M.RecordCount();
  // cancelled when the fourth file (Fe I) is reached: the Na I multiplet is not kept either
  TJob late("Load Multi");
  late.OnProgress = [&late](const TJobProgress& P) {
    if (P.Text.find("mul_fe1") != std::string::npos) late.Cancel();
  };
  EXPECT_FALSE(LoadMultiFiles(late, *DM));
  M.Close();
  M.Open();
  EXPECT_EQ(M.RecordCount(), before);
  TJob cancelled("Load Refers");
  cancelled.Cancel();
  EXPECT_FALSE(LoadRefers(cancelled, *DM));
  DM->ADOAuthors.Close();
  DM->ADOAuthors.Open();
  EXPECT_EQ(DM->ADOAuthors.RecordCount(), 0);
  // to the end: both files and the three tables
  TJob whole("Load Multi");
  EXPECT_TRUE(LoadMultiFiles(whole, *DM));
  M.Close();
  M.Open();
  EXPECT_EQ(M.RecordCount(), before + 2);
  TJob refers("Load Refers");
  EXPECT_TRUE(LoadRefers(refers, *DM));
  EXPECT_EQ(DM->ADOAuthors.RecordCount(), 1);
  EXPECT_EQ(DM->ADOSources.RecordCount(), 1);
}

TEST_F(UpkeepTest, RandomGaussModes) {
  TestRandomGauss(200, 2, 1.0, 3.0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Title, "TestRandomGauss");
  ASSERT_EQ(shown[0].Lines.size(), 200u);
  int neg = 0;
  for (size_t i = 0; i < shown[0].Lines.size(); ++i) {
    const std::string& l = shown[0].Lines[i];
    ASSERT_EQ(l.rfind(std::to_string(i + 1) + " ", 0), 0u) << l;
    int32_t code = 0;
    const double x = ValRealCode(l.substr(l.find(' ') + 1), code);  // the program's number text
    ASSERT_EQ(code, 0) << l;
    EXPECT_LE(std::fabs(x), 9.0 + 1e-9);  // cut at 3 sigma, then squared
    neg += x < 0;
  }
  EXPECT_GT(neg, 40);
  EXPECT_LT(neg, 160);
}

}  // namespace
