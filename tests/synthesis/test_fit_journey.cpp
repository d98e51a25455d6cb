// The line-fitting journeys through the command-line harness on a copy of the demo project: the
// five-angle demo files are the generator's output; "sun69" reads them; "adjust" fits lg gf of
// FE6302 to observations computed at lg gf -0.931 and appends its result line (a cancel between
// trials leaves the report file alone); "di" fills the Di tables and "Make VARI" builds from
// them; "dia" builds the Dialog page; a REP_LINES step gives the line report's layout.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy(testsupport::SourceRoot() + "/tests/data/sun69/sun69gen.DAT",
                          dir + "/ONE/sun69gen.DAT");
  }
  void Quest(const std::string& Name, const std::string& Text) {
    testsupport::WriteFile(dir + "/ONE/" + Name + ".DAT", Text);
  }
  TRun Cmd(const std::string& Cmd, const std::string& Rest) {
    return Harness(Cmd + " --project '" + dir + "' " + Rest);
  }
};

int Occurrences(const std::string& Text, const std::string& Part) {
  int n = 0;
  for (size_t p = Text.find(Part); p != std::string::npos; p = Text.find(Part, p + 1)) ++n;
  return n;
}

TEST(FitJourney, DemoFiveAngleFilesAreTheGeneratorsOutput) {
  TProject p;
  const TRun r = p.Cmd("sun69-write", "sun69gen '" + p.tmp.file("out") + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string demo = testsupport::SourceRoot() + "/data/Projects/Demo/SUN69/";
  for (const char* f : {"FE6301.txt", "FE6302.txt"}) {
    const std::string made = testsupport::ReadFile(p.tmp.file("out/") + f);
    EXPECT_FALSE(made.empty()) << f;
    EXPECT_EQ(made, testsupport::ReadFile(demo + f)) << f;
  }
  // the demo quest reads them: two lines at five angles
  const TRun s = Harness("run-quest --project '" + p.dir + "' sun69");
  ASSERT_EQ(s.status, 0) << s.out;
  EXPECT_NE(s.out.find("10 profiles"), std::string::npos) << s.out;
  EXPECT_NE(s.out.find("step sun69.1 NK=10"), std::string::npos) << s.out;
}

TEST(FitJourney, AdjustFindsTheLgGfOfTheObservations) {
  TProject p;
  // observations at lg gf -0.931 (the database has -1.131) over the demo files
  ASSERT_EQ(p.Cmd("sun69-write", "sun69gen '" + p.dir + "/SUN69'").status, 0);
  for (const std::string start : {"-1.131 #\n#ADJUST_VAL2 -1.0", "-1.0 #\n#ADJUST_VAL2 -1.131"}) {
    std::string text = testsupport::ReadFile(p.dir + "/ONE/adjust.DAT");
    text = std::regex_replace(text, std::regex("-1\\.131 #[^\\n]*\\n#ADJUST_VAL2 -1\\.0"), start);
    p.Quest("adjust", text);
    const TRun r = p.Cmd("fit-quest", "adjust");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string report = testsupport::ReadFile(p.dir + "/DC/adjust.txt");
    std::smatch m;
    const std::regex line(
        "LIN = FE6302 lg\\(gf\\)= *(-?[0-9.]+) \\(Wc-Wo\\)/Wo=( +-?[0-9.]+){5}\\r?\\n$");
    ASSERT_TRUE(std::regex_search(report, m, line)) << report << r.out;
    EXPECT_NEAR(std::stod(m[1].str()), -0.931, 0.005) << r.out;
    // the trial tables: at most 10 trials (the two starting values included)
    EXPECT_LE(Occurrences(r.out, "ADJUST N=") + 2, 10) << r.out;
  }
  // two runs: two result lines
  EXPECT_EQ(Occurrences(testsupport::ReadFile(p.dir + "/DC/adjust.txt"), "lg(gf)="), 2);
}

TEST(FitJourney, AdjustStopsAtTheSecondStartingValueWithinTolerance) {
  TProject p;
  std::string text = testsupport::ReadFile(p.dir + "/ONE/adjust.DAT");
  text = std::regex_replace(text, std::regex("#ERR_VAL 0\\.001"), "#ERR_VAL 0.5");
  p.Quest("adjust", text);
  const TRun r = p.Cmd("fit-quest", "adjust");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("ADJUST N="), std::string::npos) << r.out;
  EXPECT_NE(testsupport::ReadFile(p.dir + "/DC/adjust.txt").find("lg(gf)= -1.00000 "),
            std::string::npos);
}

TEST(FitJourney, AdjustSkipsAnObservationWithoutDepression) {
  TProject p;
  ASSERT_EQ(p.Cmd("sun69-write", "sun69gen '" + p.dir + "/SUN69'").status, 0);
  // the fifth angle of FE6302 left empty (the continuum): its observed width is 0
  const std::string file = p.dir + "/SUN69/FE6302.txt";
  std::string text = testsupport::ReadFile(file), out;
  int row = 0;
  for (size_t a = 0, b; (b = text.find('\n', a)) != std::string::npos; a = b + 1) {
    std::string l = text.substr(a, b - a + 1);
    if (++row > 4 && l.size() > 32) l.replace(27, 5, "     ");
    out += l;
  }
  testsupport::WriteFile(file, out);
  const TRun r = p.Cmd("fit-quest", "adjust");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("строка 5 не учитывается"), std::string::npos) << r.out;
  const std::string report = testsupport::ReadFile(p.dir + "/DC/adjust.txt");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(report, m, std::regex("lg\\(gf\\)= *(-?[0-9.]+) .* Nan")))
      << report;
  EXPECT_NEAR(std::stod(m[1].str()), -0.931, 0.005) << r.out;
}

TEST(FitJourney, AdjustCancelledBetweenTrialsLeavesTheReportFile) {
  TProject p;
  ASSERT_EQ(p.Cmd("sun69-write", "sun69gen '" + p.dir + "/SUN69'").status, 0);
  testsupport::WriteFile(p.dir + "/DC/adjust.txt", "earlier line\r\n");
  const TRun r = p.Cmd("fit-quest", "--cancel-at 'ADJUST N=2' adjust");
  EXPECT_EQ(r.status, 130) << r.out;
  EXPECT_EQ(testsupport::ReadFile(p.dir + "/DC/adjust.txt"), "earlier line\r\n");
}

TEST(FitJourney, DiTablesAndMakeVari) {
  TProject p;
  const TRun show = p.Cmd("di-show", "di");
  ASSERT_EQ(show.status, 0) << show.out;
  EXPECT_NE(show.out.find("nCase=2 nMod=2 nLin=2 nLams=2 nAt=1 model=1"), std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find("cb_Mod2 text=<HSRA>"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("gxLine=<FE6302>"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("gxVma=<1.6>"), std::string::npos) << show.out;
  // the first component's fields, the model files offered
  EXPECT_NE(show.out.find("ed_V0 text=<0.5>"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("HOLMU|HSRA"), std::string::npos) << show.out;
  const TRun second = p.Cmd("di-show", "--model 2 di");
  EXPECT_NE(second.out.find("gxVma=<2.1>"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("ed_V0 text=<-1>"), std::string::npos) << second.out;
  // "Make VARI": the DI step gives no wavelengths to its spans, so the second builder stops
  const TRun vari = p.Cmd("di-vari", "di");
  ASSERT_EQ(vari.status, 0) << vari.out;
  EXPECT_NE(vari.out.find("call AddP #QUESTObs di|\ncall AddP #sObs P1 P2|\n"
                          "call ConcateP #CTETA 1 0.8|\n"),
            std::string::npos)
      << vari.out;
  EXPECT_NE(vari.out.find("NK=2 stopped"), std::string::npos) << vari.out;
}

TEST(FitJourney, DialogPageRowsAndObservationGrid) {
  TProject p;
  p.Quest("dia2",
          "#Q_OBS sun69 #\n#OBS_V LIN #\n#ADJ_PAR1 LGGF #\n#ADJ_SCALE1 2.5 0 10=#\n"
          "#ADJ_PAR3 H #\n#ADJ_SCALE3 1000 2 4 L=#\n#RUN DIA #\n");
  const TRun r = p.Cmd("dia-show", "dia2");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("edKey1 text=<LGGF>"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("tbKey1 text=<> pos=25"), std::string::npos) << r.out;
  // row 3 right under row 1, no row 2
  EXPECT_NE(r.out.find("tbKey3 text=<> pos=50 range=0..100 top=70 height=30"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("edKey2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cbScalT3 text=<> items=< |L|E> item=1"), std::string::npos) << r.out;
  // the observation project's varied keys: #LIN (values box) and #CTETA
  EXPECT_NE(r.out.find("gxVariOCh=<1> gxVariOKey=<#LIN> gxVariOLidx=<1> gxVariON=<2>"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("gxVariOCh=<0> gxVariOKey=<#CTETA> gxVariOLidx=<2> gxVariON=<5>"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("cbObsVal text=<> items=<FE6301|FE6302>"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("visible=1"), std::string::npos);
  // a scale word that is no number: the box names the start file and the key; rows built so far
  p.Quest("dia3",
          "#Q_OBS sun69 #\n#ADJ_PAR1 LGGF #\n#ADJ_SCALE1 2.5 0 10=#\n"
          "#ADJ_PAR2 H #\n#ADJ_SCALE2 1000 x 4=#\n#RUN DIA #\n");
  const TRun bad = p.Cmd("dia-show", "dia3");
  ASSERT_EQ(bad.status, 0) << bad.out;
  EXPECT_NE(bad.out.find("dia3.DAT"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("#ADJ_SCALE2"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("edKey2 text=<H>"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("visible=1"), std::string::npos);
}

TEST(FitJourney, LineReportLayoutOverThreeCombinations) {
  TProject p;
  p.Quest("rep", "#LIN FE6301 FE6302=#\n#H 0 1000 2000 #\n#RUN REP_LINES #\n");
  const TRun r = p.Cmd("fit-quest", "rep");
  ASSERT_EQ(r.status, 0) << r.out;
  // "!", the header, then per combination the two lines and "------" (aligned as one table)
  std::vector<std::string> lines;
  for (size_t a = 0, b; (b = r.out.find('\n', a)) != std::string::npos; a = b + 1) {
    std::string l = r.out.substr(a, b - a);
    const size_t f = l.find_first_not_of(' '), e = l.find_last_not_of(' ');
    lines.push_back(f == std::string::npos ? std::string() : l.substr(f, e - f + 1));
  }
  size_t head = 0;
  while (head < lines.size() && lines[head].find("lggf") == std::string::npos) ++head;
  ASSERT_TRUE(head >= 1 && head + 9 < lines.size()) << r.out;
  const size_t bang = head - 1;
  EXPECT_EQ(lines[bang].substr(lines[bang].size() - 1), "!") << r.out;
  for (size_t k : {4u, 7u, 10u}) EXPECT_EQ(lines[bang + k], "------") << r.out;
  for (size_t k : {2u, 3u, 5u, 6u, 8u, 9u})
    EXPECT_NE(lines[bang + k].find(k % 3 == 2 ? "6301.501" : "6302.494"), std::string::npos)
        << lines[bang + k];
}

}  // namespace
