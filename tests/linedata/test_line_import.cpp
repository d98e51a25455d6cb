// The other line-list importers: the Fe table of observed depths and widths, the short VALD
// answer and the Zeeman numbers of the line table, each a job over one transaction.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "app/services/cvServices.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLineImport.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"

namespace {

class LineImportTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect(Root("GEDA/cv.db")));
  }
  void Sql(const std::string& S) { DM->ADOConnection.Exec(S); }
  int Count(const std::string& Table) {
    TcvTable t(&DM->ADOConnection, Table);
    t.Open();
    return t.RecordCount();
  }
  // The record of Lines_ under a key, as "field=value" lookups.
  std::string Field(const std::string& Key, const std::string& F) {
    TcvTable t(&DM->ADOConnection, "Lines_");
    t.Open();
    if (!t.Locate("LIN6", TextValue(Key))) return "<none>";
    return t.FieldByName(F).AsString();
  }
  std::unique_ptr<TJob> job;
  bool Run(const std::function<bool(TJob&)>& Work) {
    job = std::make_unique<TJob>("import");
    bool ok = false;
    RunJob(*job, [&](TJob& J) { ok = Work(J); });
    return ok;
  }
  bool JobWarned(const std::string& Utf8) const {
    for (const auto& w : job->Warnings())
      if (platform::Cp1251ToUtf8(w.Text).find(Utf8) != std::string::npos) return true;
    return false;
  }
  TLineImportResult r;
};

// A line of the Fe table: the fields right-aligned in their columns; the columns that two fields
// share (18, 24, 53) stay blank.
std::string FeRow(const char* Lam, const char* Elow, const char* Mult, const char* D,
                  const char* HD, const char* HW, const char* GFD, const char* GFW, const char* W,
                  const char* Word) {
  std::string s(56, ' ');
  auto put = [&s](size_t From, size_t To, const std::string& V) {
    const size_t w = To - From + 1;
    const std::string t = V.size() >= w ? V.substr(0, w) : std::string(w - V.size(), ' ') + V;
    s.replace(From - 1, w, t);
  };
  put(1, 8, Lam);
  put(9, 13, Elow);
  put(14, 17, Mult);
  put(19, 23, D);
  put(25, 28, HD);
  put(29, 33, HW);
  put(34, 39, GFD);
  put(40, 45, GFW);
  put(46, 52, W);
  put(54, 56, Word);
  return s;
}

TEST_F(LineImportTest, FeTableKeysRecordsObservationsAndLggfSources) {
  Sql("INSERT INTO Lines_ (LIN6, Atom, LAMB, NIon, Mult, ELOW, LGGF, Wcd, Dcd) "
      "VALUES ('FE6301', 'FE', 6301.5, 1, '816', 3.654, -0.718, 50, 0.5)");
  const std::string text =
      std::string("  Э Л Е М Е Н Т  FE1  \n") + "======================\n" +
      FeRow("6301.508", "3.654", "816", "0.700", "12", "13", "-0.70", "-0.74", "120.0", "FE1") +
      "\n" +
      FeRow("6302.499", "3.686", "816", "0.650", "11", "12", "-1.10", "-1.16", "83.0", "FE1") +
      "\n" +
      FeRow("6302.520", "4.100", "1200", "0.100", "1", "2", "-2.00", "0", "5.0", "FE1") + "\n" +
      FeRow("6303.000", "4.100", "1200", "0.100", "1", "2", "-2.00", "0", "5.0", "FE2") + "\n" +
      FeRow("6304.000", "4.100", "    ", "0.100", "1", "2", "-2.00", "0", "5.0", "FE1") + "\n" +
      // the last line has no line end (it used to be lost)
      FeRow("6305.250", "2.200", "62", "0.300", "1", "2", "0", "-3.00", "20.0", "FE1");
  Put("LIN/fe.dat", text);
  ASSERT_TRUE(Run([&](TJob& J) { return LoadBelmarFe(J, *DM, "fe.dat", r); }));
  EXPECT_EQ(r.Added, 3);
  EXPECT_EQ(r.Updated, 1);
  EXPECT_EQ(r.Observations, 4);
  EXPECT_EQ(r.LggfAdded, 8);
  EXPECT_TRUE(JobWarned("ст.ионизации 2 не совпадает со ст.ионизации 1"));
  // an existing key with the same multiplet: only its observed values change
  EXPECT_EQ(Field("FE6301", "Wcd"), "120");
  EXPECT_EQ(Field("FE6301", "Dcd"), "0.7");
  EXPECT_EQ(Field("FE6301", "LGGF"), "-0.718");
  // new records; the same wavelength digits in another multiplet take the 7-character key
  EXPECT_EQ(Field("FE6302", "LGGF"), "-1.13");
  EXPECT_EQ(Field("FE6302", "Mult"), "816");
  EXPECT_EQ(Field("FE6302", "GLT"), "N");
  EXPECT_EQ(Field("FE6302", "JU2"), "2");
  EXPECT_EQ(Field("FE6302", "Wcd"), "83");
  EXPECT_EQ(Field("FE63025", "Mult"), "1200");
  EXPECT_EQ(Field("FE63025", "LGGF"), "-2");
  EXPECT_EQ(Field("FE6305", "LGGF"), "-3");
  EXPECT_EQ(Field("FE6305", "LGGFSrc"), "Belmar");
  EXPECT_EQ(Count("LGGF"), 8);
  // a second load: no new record and no lg gf source, another set of observations
  const int lines = Count("Lines_");
  ASSERT_TRUE(Run([&](TJob& J) { return LoadBelmarFe(J, *DM, "fe.dat", r = {}); }));
  EXPECT_EQ(r.Added, 0);
  EXPECT_EQ(r.Updated, 0);
  EXPECT_EQ(r.LggfAdded, 0);
  EXPECT_EQ(Count("Lines_"), lines);
  EXPECT_EQ(Count("LGGF"), 8);
  EXPECT_EQ(Count("LineObsVorn"), 8);
}

TEST_F(LineImportTest, FeTableReaderErrorKeepsTheTablesAndGivesItsPlace) {
  Put("LIN/bad.dat", std::string("  Э Л Е М Е Н Т  FE1\n") +
                         FeRow("6302.499", "3.686", "816", "0.650", "11", "12", "-1.10", "-1.16",
                               "83.0", "FE1") +
                         "\n" +
                         FeRow("63x2.600", "3.686", "816", "0.650", "11", "12", "-1.10", "-1.16",
                               "83.0", "FE1") +
                         "\n");
  EXPECT_FALSE(Run([&](TJob& J) { return LoadBelmarFe(J, *DM, "bad.dat", r); }));
  EXPECT_EQ(job->State(), TJobState::Failed);
  EXPECT_EQ(r.ErrLine, 3);
  EXPECT_NE(r.ErrFile.find("bad.dat"), std::string::npos);
  EXPECT_NE(platform::Cp1251ToUtf8(r.ErrText).find("<63x2.600> - ошибка в длине волны"),
            std::string::npos);
  EXPECT_EQ(Count("Lines_"), 0);
  EXPECT_EQ(Count("LineObsVorn"), 0);
  // "Load LineObservVorn" without its files: named, nothing changes
  Sql("INSERT INTO LineObsVorn (IdLine) VALUES (1)");
  EXPECT_FALSE(Run([&](TJob& J) { return LoadLineObservVorn(J, *DM, r); }));
  EXPECT_TRUE(JobWarned("belmarfe.dat> не найден!"));
  EXPECT_EQ(Count("LineObsVorn"), 1);
}

TEST_F(LineImportTest, ValdShortAnswerMatchesOrAddsRecords) {
  // a record with its own lg gf ("O") and LS kinds; a record with no kinds; a far ELOW
  Sql("INSERT INTO Lines_ (LIN6, Atom, LAMB, NIon, ELOW, LGGF, LGGFSrc, GLT, GUT, GL, GU, JL2, JU2) "
      "VALUES ('FE6302', 'FE', 6302.5, 1, 3.686, -1.131, 'O', 'L', 'L', 2.5, 0, 2, 0)");
  Sql("INSERT INTO Lines_ (LIN6, Atom, LAMB, NIon, ELOW, LGGF, LGGFSrc) "
      "VALUES ('FE6301', '', 6301.5, 1, 3.654, -0.7, 'K')");
  Sql("INSERT INTO Lines_ (LIN6, Atom, LAMB, NIon, ELOW, LGGF, LGGFSrc) "
      "VALUES ('CA6303', 'CA', 6303.0, 1, 1.0, -2.0, 'K')");
  TStringList answer;
  for (const char* l :
       {"                                                                   Lande factors",
        "  6300.00000,  6310.00000,     4,     4, 2.0 Wavelength region, lines selected, lines "
        "processed, Vmicro",
        "Elm Ion      WL_air(A)  Excit(eV)   log gf*  Rad.   Stark    Waals    factor  References",
        "'Fe 1',       6302.4936,  3.6864, -1.131, 8.190,-5.670,-7.820, 2.500,'K07 K07'",
        "'Fe 1',       6301.5008,  3.6537, -0.718, 8.260,-5.590,-7.810, 99.000,'K07' # no factor",
        "'Ca 1',       6303.0000,  1.0200, -1.500, 7.000,-5.000,-7.500, 1.000,'K'",
        "'FE 3', 5701.0710, 25.0490, 0.118, 9.296,-4.877,-7.712, 1.290,'GFIRON ext. (Ca-Ni) 5000-6000'",
        "'C 1',  6300.1234, 7.0, -3.0, 8.0, -5.0, -7.0, 1.0"})
    answer.Add(l);
  ASSERT_TRUE(Run([&](TJob& J) { return LoadLineVALDShort(J, *DM, answer, r); }));
  EXPECT_EQ(r.Updated, 2);
  EXPECT_EQ(r.Added, 2);
  EXPECT_TRUE(JobWarned("содержит 8 полей!"));
  // the own lg gf stays; LS kinds stay; the constants come in
  EXPECT_EQ(Field("FE6302", "LGGF"), "-1.131");
  EXPECT_EQ(Field("FE6302", "LGGFSrc"), "O");
  EXPECT_EQ(Field("FE6302", "GLT"), "L");
  EXPECT_EQ(Field("FE6302", "GL"), "2.5");
  EXPECT_EQ(Field("FE6302", "Rad"), "8.19");
  EXPECT_EQ(Field("FE6302", "LAMB"), "6302.4936");
  // 99: no Lande field changes; the empty atom is filled, lg gf from VALD
  EXPECT_EQ(Field("FE6301", "GLT"), "");
  EXPECT_EQ(Field("FE6301", "Atom"), "FE");
  EXPECT_EQ(Field("FE6301", "LGGF"), "-0.718");
  EXPECT_EQ(Field("FE6301", "LGGFSrc"), "VALD");
  // an ELOW 0.02 eV off: a new record under the 9-character key
  EXPECT_EQ(Field("CA6303", "LGGF"), "-2");
  EXPECT_EQ(Field("CA6303000", "GUT"), "E");
  EXPECT_EQ(Field("CA6303000", "GU"), "1");
  EXPECT_EQ(Field("CA6303000", "Mult"), "9999");
  EXPECT_EQ(Field("FE5701071", "NIon"), "3");
  EXPECT_EQ(Field("FE5701071", "ELOW"), "25.049");
  EXPECT_EQ(Field("FE5701071", "GU"), "1.29");
  EXPECT_EQ(Field("FE5701071", "JU2"), "2");
  // a line whose wavelength is no number ends the import, nothing kept
  const int before = Count("Lines_");
  TStringList bad;
  bad.Add("'Ti 1', 5000.0000, 1.0, -1.0, 8.0, -5.0, -7.0, 1.0,'x'");
  bad.Add("'Ti 1', 5x00.0000, 1.0, -1.0, 8.0, -5.0, -7.0, 1.0,'x'");
  EXPECT_FALSE(Run([&](TJob& J) { return LoadLineVALDShort(J, *DM, bad, r); }));
  EXPECT_TRUE(JobWarned("в поле 2 не удается перевести в число длину волны"));
  EXPECT_EQ(Count("Lines_"), before);
  // a new line without a factor: kinds N, factors 0
  TStringList none;
  none.Add("'Ni 1', 6310.0000, 1.0, -1.0, 8.0, -5.0, -7.0, 99.000,'x'");
  ASSERT_TRUE(Run([&](TJob& J) { return LoadLineVALDShort(J, *DM, none, r); }));
  EXPECT_EQ(Field("NI6310000", "GLT"), "N");
  EXPECT_EQ(Field("NI6310000", "GU"), "0");
}

TEST_F(LineImportTest, ZeemanNumbersOfLsLinesOnly) {
  Sql("INSERT INTO Lines_ (LIN6, GLT, GUT, JL2, GL, JU2, GU) VALUES "
      "('FE6302', 'L', 'L', 2, 2.5, 0, 0), ('FE6301', '*', 'T', 4, 1.83, 4, 1.5), "
      "('FE5701', 'E', 'E', 0, 0, 2, 1.29), ('NI6310', 'N', 'N', 0, 0, 2, 0)");
  // without the Zeeman patterns: said so, nothing changes
  LineData().ZeePattern.Reset();
  EXPECT_FALSE(Run([&](TJob& J) { return FillLinesZeeStruct(J, *DM, r); }));
  EXPECT_EQ(Field("FE6302", "NComp"), "");
  // the real patterns, as the start-up installs them
  InstallLineDataServices();
  ASSERT_TRUE(Run([&](TJob& J) { return FillLinesZeeStruct(J, *DM, r); }));
  EXPECT_EQ(r.Updated, 2);
  EXPECT_EQ(Field("FE6302", "NComp"), "2");
  EXPECT_EQ(Field("FE6302", "NPi"), "1");
  EXPECT_DOUBLE_EQ(std::stod(Field("FE6302", "GEff")), 2.5);  // g low
  EXPECT_EQ(Field("FE6301", "NComp"), "6");
  EXPECT_EQ(Field("FE6301", "NPi"), "2");
  EXPECT_NEAR(std::stod(Field("FE6301", "GEff")), (1.83 + 1.5) / 2, 1e-12);
  EXPECT_EQ(Field("FE5701", "NComp"), "");
  EXPECT_EQ(Field("NI6310", "NComp"), "");
  // a pattern that cannot be formed fails the job; nothing of it is kept
  Sql("INSERT INTO Lines_ (LIN6, GLT, GUT, JL2, GL, JU2, GU) VALUES ('XX0001', 'L', 'L', 0, 0, 0, 0)");
  Sql("UPDATE Lines_ SET NComp = NULL");
  EXPECT_FALSE(Run([&](TJob& J) { return FillLinesZeeStruct(J, *DM, r); }));
  EXPECT_EQ(job->State(), TJobState::Failed);
  EXPECT_EQ(Field("FE6302", "NComp"), "");
}

}  // namespace
