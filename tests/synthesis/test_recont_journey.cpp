// The re-computation, the line-list run and the heights run, and what the synthesis driver keeps
// in the project (the line dump, the Voigt method's name), through the harness's synth command
// on copies of the demo project.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

// Fe I 6302.5 in HSRA on a short half grid.
const std::string kBase =
    "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#GM 45 #\n#XI 30 #\n#VMI 1 #\n"
    "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#VD 0 #\n#DLK 300 #\n#NLAM 11 #\n";

using TRun = testsupport::TBatchRun;

// One profile of the summary: its head line and its rows as printed.
struct TProf {
  std::string head, rows;
  bool Has(const std::string& Field) const { return head.find(" " + Field) != std::string::npos; }
  double Get(const std::string& Key) const {
    const size_t p = head.find(" " + Key + "=");
    return p == std::string::npos ? NAN : std::strtod(head.c_str() + p + Key.size() + 2, nullptr);
  }
};

std::vector<TProf> Profiles(const std::string& Out) {
  std::vector<TProf> r;
  std::istringstream in(Out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("profile ", 0) == 0)
      r.push_back({line, ""});
    else if (line.rfind("row ", 0) == 0 && !r.empty())
      r.back().rows += line + "\n";
  }
  return r;
}

// A copy of the demo project; each quest's control file written into its "ONE" folder and run.
struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  std::string Result(const std::string& Quest) const { return tmp.file(Quest + ".txt"); }
  TRun Synth(const std::string& Quest, const std::string& Text, const std::string& Extra = "") {
    const std::string dat = dir + "/ONE/" + Quest + ".DAT";
    if (!Text.empty()) testsupport::WriteFile(dat, Text);
    return testsupport::RunBatch("synth --summary " + Extra + " --project '" + dir + "' --out '" +
                                 Result(Quest) + "' '" + dat + "'");
  }
};

// RECONT repeats the line preparation and the grid with the model the synthesis before it left:
// the same profiles per combination, and the model's file is not read again (step 2 names a
// missing folder; only step 3, a synthesis, tries it, once per combination).
TEST(RecontJourney, RecomputesWithThePreparedModel) {
  TProject p;
  const TRun r = p.Synth("rc", kBase + "#LIN FE6302 #\n#H 500 1500 #\n#RUN CONT #\n"
                                       "#MOD_DIR NOWHERE #\n#RUN RECONT #\n#RUN CONT #\n");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<TProf> prof = Profiles(r.out);
  ASSERT_EQ(prof.size(), 6u) << r.out;
  for (int k = 0; k < 2; ++k) {
    const TProf& cont = prof[k];
    const TProf& re = prof[2 + k];
    EXPECT_TRUE(cont.Has("IQ=1 K=" + std::to_string(k + 1))) << cont.head;
    EXPECT_TRUE(re.Has("IQ=2 K=" + std::to_string(k + 1))) << re.head;
    EXPECT_TRUE(re.Has("ALG=RECONT")) << re.head;
    EXPECT_TRUE(re.Has("K4=4")) << re.head;
    EXPECT_EQ(re.rows, cont.rows) << k;
  }
  EXPECT_NE(prof[0].rows, prof[1].rows);  // each combination its own field
  EXPECT_NE(r.out.find("NOWHERE/HSRA.mel>! (x2)"), std::string::npos) << r.out;
}

// After a synthesis on the automatic grid RECONT takes that grid again, without seeds: the same
// points and values as the first combination of the synthesis.
TEST(RecontJourney, UsesTheAutomaticGridAgain) {
  TProject p;
  const TRun r = p.Synth("eqd", kBase + "#LIN FE6302 #\n#H 1000 #\n#LAM_OPT EQD #\n"
                                        "#RUN CONT #\n#RUN RECONT #\n");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<TProf> prof = Profiles(r.out);
  ASSERT_EQ(prof.size(), 2u) << r.out;
  EXPECT_TRUE(prof[1].Has("ALG=RECONT")) << prof[1].head;
  EXPECT_GT(prof[0].Get("NDL"), 40);
  EXPECT_EQ(prof[0].Get("NDL"), prof[1].Get("NDL"));
  EXPECT_EQ(prof[0].rows, prof[1].rows);
}

// A band file of four lines: Fe I 6301.5, an Fe II and an Fe III line at 6302.0 and 6303.0 (the
// Fe I 6301.5 data otherwise), Fe I 6302.5.
void WriteBand(const std::string& Folder) {
  std::istringstream in(
      testsupport::ReadFile(testsupport::SourceRoot() + "/data/KURUCZ/gfhy0800.100"));
  std::string fe6301, fe6302;
  std::getline(in, fe6301);
  std::getline(in, fe6302);
  auto moved = [&](double Nm, const char* Code) {
    char lam[16];
    std::snprintf(lam, sizeof lam, "%11.4f", Nm);
    std::string s = lam + fe6301.substr(11);
    const size_t c = s.find(" 26.00 ");
    if (c != std::string::npos) s.replace(c + 1, 5, Code);
    return s;
  };
  std::filesystem::create_directories(Folder);
  testsupport::WriteFile(Folder + "/gfhy0800.100", fe6301 + "\n" + moved(630.2, "26.01") + "\n" +
                                                       moved(630.3, "26.02") + "\n" + fe6302 +
                                                       "\n");
}

// The line-list run drops the Fe III line from "#LIN" (one combination less) and lists every
// computed line with its central depth; an Id without a line ends the run.
TEST(RecontJourney, KuruczDropsStageThreeAndListsTheLines) {
  TProject p;
  const std::string kur = p.tmp.file("KUR");
  WriteBand(kur);
  const TRun r = p.Synth("kur", kBase + "#H 0 #\n#LIN 8x000001 8x000002 8x000003 8x000004 #\n"
                                        "#RUN KURUCZ #\n",
                         "--kurucz '" + kur + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<TProf> prof = Profiles(r.out);
  ASSERT_EQ(prof.size(), 3u) << r.out;
  EXPECT_TRUE(prof[2].Has("K=3")) << prof[2].head;
  const double lamb[] = {6301.501, 6302.0, 6302.494};
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(prof[k].Get("LAMB"), lamb[k], 1e-9) << prof[k].head;
  for (const char* line : {"6301.5010 d=0.", "6302.0000 d=0.", "6302.4940 d=0."})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  EXPECT_EQ(r.out.find("6303.0000"), std::string::npos);

  const TRun bad = p.Synth("bad", kBase + "#H 0 #\n#LIN 8x000001 8x000009 #\n#RUN KURUCZ #\n",
                           "--kurucz '" + kur + "'");
  ASSERT_EQ(bad.status, 0) << bad.out;
  EXPECT_NE(bad.out.find("12 LI=NIL!"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("0 profiles"), std::string::npos) << bad.out;
}

// The heights run is the synthesis of one model; with two models it warns and computes nothing.
TEST(RecontJourney, HeightsRunsOneModelOnly) {
  TProject p;
  const TRun r = p.Synth("h", kBase + "#LIN FE6302 #\n#H 0 #\n#RUN HEIGHTS #\n"
                                      "#MOD\nT HSRA\nT HOLMU #\n#RUN HEIGHTS #\n");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Profiles(r.out).size(), 1u) << r.out;
  EXPECT_NE(r.out.find("нельзя задавать более одного параметра #MOD"), std::string::npos);
  const std::string text = testsupport::ReadFile(p.Result("h"));
  EXPECT_NE(text.find("UNNO_PROF(CONT,h)"), std::string::npos) << text;
}

// The synthesis reads the quest's line dump before its combinations and writes it after them:
// a line changed in the dump computes as changed. The Voigt method's name in force is written
// back into "VOIGT" (a refused name becomes Humlicek's).
TEST(RecontJourney, ContKeepsTheLineDumpAndTheVoigtName) {
  TProject p;
  const TRun first = p.Synth("dump", kBase + "#LIN FE6302 #\n#H 0 #\n#VOIGT Voigt #\n#RUN CONT #\n");
  ASSERT_EQ(first.status, 0) << first.out;
  EXPECT_NE(first.out.find("Не удается установить метод вычисления фунции Фойгта <VOIGT>!"),
            std::string::npos)
      << first.out;
  const std::string text = testsupport::ReadFile(p.Result("dump"));
  const size_t v = text.find("#VOIGT");
  ASSERT_NE(v, std::string::npos) << text;
  const std::string line = text.substr(v, text.find('\n', v) - v);
  EXPECT_NE(line.find("Humlicek"), std::string::npos) << line;
  EXPECT_EQ(line.find("Voigt"), std::string::npos) << line;

  const std::string dump = p.dir + "/LIDA/dump.DAT";
  std::string lines = testsupport::ReadFile(dump);
  const size_t g = lines.find(" -1.131 ");
  ASSERT_NE(g, std::string::npos) << lines;
  lines.replace(g, 8, " -3.131 ");
  testsupport::WriteFile(dump, lines);
  const TRun second = p.Synth("dump", "");
  ASSERT_EQ(second.status, 0) << second.out;
  const std::vector<TProf> a = Profiles(first.out), b = Profiles(second.out);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_GT(a[0].Get("D0"), 0.6);
  EXPECT_LT(b[0].Get("D0"), 0.2) << b[0].head;
  EXPECT_NE(testsupport::ReadFile(dump).find(" -3.131 "), std::string::npos);
}

}  // namespace
