// What a quest run through the harness's synth command does when it cannot compute what it was
// asked for or is stopped: a line the database lacks or too many Ids stop it with an error, the
// result file takes a run's text only when the whole run is done (a cancel, a failure or a kill
// leaves the previous file), a re-computation after a Milne-Eddington synthesis runs, and a
// quest computed from its cached line file says when the database's lines have changed since.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"
#include "support/TestSupport.h"
#include "synthesis/drivers/cvDoCont.h"

namespace {

// Fe I 6302.5 in HSRA on a short half grid.
const std::string kBase =
    "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#GM 45 #\n#XI 30 #\n#VMI 1 #\n"
    "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#VD 0 #\n#DLK 300 #\n#NLAM 11 #\n";

using TRun = testsupport::TBatchRun;

// A copy of the demo project with its own line database; each quest's control file written into
// its "ONE" folder and run.
struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  std::string db = tmp.file("lines.db");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  std::string Result(const std::string& Quest) const { return tmp.file(Quest + ".txt"); }
  std::string Dat(const std::string& Quest) const { return dir + "/ONE/" + Quest + ".DAT"; }
  TRun Synth(const std::string& Quest, const std::string& Text, const std::string& Extra = "",
             const std::string& Prefix = "") {
    if (!Text.empty()) testsupport::WriteFile(Dat(Quest), Text);
    return testsupport::RunBatch("synth --summary " + Extra + " --db '" + db + "' --project '" +
                                     dir + "' --out '" + Result(Quest) + "' '" + Dat(Quest) + "'",
                                 Prefix);
  }
  void Sql(const std::string& Statement) const {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(h, Statement.c_str(), nullptr, nullptr, &err), SQLITE_OK)
        << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(h);
  }
};

int Count(const std::string& Text, const std::string& Part) {
  int n = 0;
  for (size_t p = Text.find(Part); p != std::string::npos; p = Text.find(Part, p + 1)) ++n;
  return n;
}

// An unknown Id in "#LIN" (in the first step or the second) and a request of 101 Ids stop the
// run with an error naming the control file, the line of "#LIN" and the Id; exit 1, and the
// result file is not touched.
TEST(QuestFailures, LinesTheRunCannotComputeStopIt) {
  TProject p;
  const std::string previous = "the previous result\n";
  std::string many = "#LIN";
  for (int i = 0; i < 100; ++i) many += " FE6302";
  many += " FE6301=#\n";  // one value of 101 Ids
  const struct {
    const char* Name;
    std::string Text;
    std::string Line, Id;
  } cases[] = {
      {"first", kBase + "#H 500 #\n#LIN FE9999 #\n#RUN CONT #\n", "14", "FE9999"},
      {"second",
       kBase + "#H 500 #\n#LIN FE6302 #\n#RUN CONT #\n#LIN FE6302 FE9998 #\n#RUN CONT #\n", "16",
       "FE9998"},
      {"many", kBase + "#H 500 #\n" + many + "#RUN CONT #\n", "14", "FE6301"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::WriteFile(p.Result(c.Name), previous);
    const TRun r = p.Synth(c.Name, c.Text);
    EXPECT_EQ(r.status, 1) << r.out;
    const std::string file = c.Name + std::string(".DAT");
    EXPECT_NE(r.out.find(file + ", строка " + c.Line), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.Id), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("profiles ->"), std::string::npos) << r.out;
    EXPECT_EQ(testsupport::ReadFile(p.Result(c.Name)), previous);
  }
}

// A run of two steps cancelled in its second step (by the harness's own cancel, by Ctrl-C, by a
// kill at any moment) leaves the previous result file; a run that ends writes both steps.
TEST(QuestFailures, StoppedRunLeavesThePreviousResultFile) {
  TProject p;
  // step 2: 64 combinations one after the other, most of the run (about 0.3 s on one idle core,
  // so that kills from 0.05 s on land inside it)
  const std::string quest =
      kBase + "#LIN FE6302 #\n#H 500 #\n#RUN CONT #\n#NLAM 401 #\n"
              "#H 0 100 200 300 400 500 600 700 800 900 1000 1100 1200 1300 1400 1500 #\n"
              "#GM 20 40 60 80 #\n#RUN CONT #\n";
  const TRun full = p.Synth("two", quest, "--threads 1");
  ASSERT_EQ(full.status, 0) << full.out;
  const std::string complete = testsupport::ReadFile(p.Result("two"));
  EXPECT_EQ(Count(complete, "! Вариатор <two>."), 2) << complete;
  const std::string previous = "the previous result\n";

  testsupport::WriteFile(p.Result("two"), previous);
  const TRun cancelled = p.Synth("two", "", "--threads 1 --cancel-at-grid");
  EXPECT_EQ(cancelled.status, 130) << cancelled.out;
  EXPECT_NE(cancelled.out.find("файл результатов не записан"), std::string::npos)
      << cancelled.out;
  EXPECT_EQ(testsupport::ReadFile(p.Result("two")), previous);

  // Ctrl-C and kill -9 at moments across the run: the previous file or the complete one, and
  // no copy left behind by a run that ended
  int kept = 0, replaced = 0;
  for (const double t : {0.05, 0.1, 0.15, 0.2, 0.3, 0.45, 0.7, 1.0}) {
    for (const char* sig : {"INT", "KILL"}) {
      SCOPED_TRACE(std::string(sig) + " after " + std::to_string(t) + " s");
      testsupport::WriteFile(p.Result("two"), previous);
      const TRun r = p.Synth("two", "", "--threads 1",
                             "timeout -s " + std::string(sig) + " " + std::to_string(t) + " ");
      const std::string now = testsupport::ReadFile(p.Result("two"));
      EXPECT_TRUE(now == previous || now == complete) << r.out;
      (now == previous ? kept : replaced) += 1;
      if (r.status == 0) {
        EXPECT_EQ(now, complete);
      }
    }
  }
  std::printf("stopped runs: %d left the previous file, %d had ended\n", kept, replaced);
  EXPECT_GT(kept, 0);
  // the copies of killed runs are gone after the next run
  const TRun again = p.Synth("two", "", "--threads 1");
  ASSERT_EQ(again.status, 0) << again.out;
  int copies = 0;
  for (const auto& e : std::filesystem::directory_iterator(p.tmp.str()))
    if (e.path().filename().string().find(".tmp~") != std::string::npos) ++copies;
  EXPECT_EQ(copies, 0);
  EXPECT_EQ(testsupport::ReadFile(p.Result("two")), complete);
}

// A copy left by a run that was killed together with its parent stays a zombie until init
// collects it: the next result file removes it all the same; a running process keeps its copy.
TEST(QuestFailures, CopyOfAnUnreapedRunIsRemoved) {
  testsupport::TempDir tmp;
  const std::string file = tmp.file("zz.txt");
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  const pid_t live = ::fork();
  if (live == 0) {
    ::pause();
    ::_exit(0);
  }
  ASSERT_GT(live, 0);
  // the first child has ended and is not reaped
  for (int i = 0; i < 200; ++i) {
    std::ifstream stat("/proc/" + std::to_string(dead) + "/stat");
    std::string all;
    std::getline(stat, all);
    if (all.find(") Z") != std::string::npos) break;
    ::usleep(5000);
  }
  const std::string deadCopy = file + ".tmp~" + std::to_string(dead);
  const std::string liveCopy = file + ".tmp~" + std::to_string(live);
  testsupport::WriteFile(deadCopy, "half\n");
  testsupport::WriteFile(liveCopy, "writing\n");
  TStringList text;
  text.Add("result");
  TResultFiles::Write(file, text);
  EXPECT_FALSE(std::filesystem::exists(deadCopy));
  EXPECT_TRUE(std::filesystem::exists(liveCopy));
  EXPECT_EQ(testsupport::ReadFile(file).rfind("result", 0), 0u);
  ::kill(live, SIGKILL);
  ::waitpid(live, nullptr, 0);
  ::waitpid(dead, nullptr, 0);
}

// RECONT after a "#MILNED 1" synthesis computes the Milne-Eddington profiles again.
TEST(QuestFailures, RecontAfterMilneEddingtonRuns) {
  TProject p;
  const TRun r = p.Synth(
      "mer", "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n#NLAM 21 #\n"
             "#DLK 300 #\n#CTETA 1 #\n#MILNED 1 #\n#MEETA 10 #\n#MEA 0.05 #\n#MEDLD 30 #\n"
             "#MEDLH 18.5 #\n#MEGM 30 #\n#MEXI 20 #\n#MEBET 1.5 #\n#RUN CONT #\n#RUN RECONT #\n");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("MILNED - функция пока недоступна"), std::string::npos) << r.out;
  std::vector<std::string> heads, rows(2);
  std::istringstream in(r.out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("profile ", 0) == 0) heads.push_back(line);
    if (line.rfind("row ", 0) == 0 && !heads.empty() && heads.size() <= 2)
      rows[heads.size() - 1] += line + "\n";
  }
  ASSERT_EQ(heads.size(), 2u) << r.out;
  EXPECT_NE(heads[0].find("IQ=1 K=1"), std::string::npos) << heads[0];
  EXPECT_NE(heads[1].find("IQ=2 K=1"), std::string::npos) << heads[1];
  EXPECT_NE(heads[1].find("ALG=RECONT"), std::string::npos) << heads[1];
  EXPECT_NE(heads[1].find("K4=4"), std::string::npos) << heads[1];
  EXPECT_FALSE(rows[0].empty());
  EXPECT_EQ(rows[1], rows[0]);
}

// A quest computed again from its cached line file ("LIDA/<quest>.DAT") after the database's
// record of one of its lines changed says so and names the line; the cache is kept and used.
TEST(QuestFailures, CachedLineFileOlderThanTheDatabaseIsNamed) {
  TProject p;
  const std::string quest = kBase + "#LIN FE6302 #\n#H 500 #\n#RUN CONT #\n";
  const TRun first = p.Synth("lc", quest);
  ASSERT_EQ(first.status, 0) << first.out;
  const std::string cache = p.dir + "/LIDA/lc.DAT";
  ASSERT_TRUE(std::filesystem::exists(cache));
  const std::string cached = testsupport::ReadFile(cache);
  const TRun same = p.Synth("lc", "");
  ASSERT_EQ(same.status, 0) << same.out;
  EXPECT_EQ(same.out.find("изменились"), std::string::npos) << same.out;

  p.Sql("UPDATE Lines_ SET LGGF = LGGF + 0.5 WHERE LIN6 = 'FE6302'");
  const TRun changed = p.Synth("lc", "");
  ASSERT_EQ(changed.status, 0) << changed.out;
  const size_t at = changed.out.find("в базе линий они с тех пор изменились");
  ASSERT_NE(at, std::string::npos) << changed.out;
  const std::string note = changed.out.substr(changed.out.rfind('\n', at) + 1);
  EXPECT_NE(note.find("FE6302"), std::string::npos) << note;
  EXPECT_NE(note.find("LIDA/lc.DAT"), std::string::npos) << note;
  EXPECT_EQ(testsupport::ReadFile(cache), cached);  // the cache stays as it was
}

}  // namespace
