// corvesta-batch: the program's computing work without a window.
//
//   corvesta-batch restore [--db FILE] [--warn] DIR
//       Restores the line database from the text tables of folder DIR (an autosave folder).
//       FILE defaults to the database of the application root (the parent of this program's
//       folder). Progress goes to standard error; Ctrl-C cancels (the database stays as it was).
//
// Exit status: 0 done, 1 failed (the error on standard error), 2 bad arguments, 130 cancelled.
// Warnings are printed at the end as the job's report.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "platform/CodePage.h"

namespace {

TJob* g_job = nullptr;

void OnSigInt(int) {
  if (g_job) g_job->Cancel();  // an atomic store: safe in a signal handler
}

int Usage() {
  std::cerr << "usage: corvesta-batch restore [--db FILE] [--warn] DIR\n";
  return 2;
}

std::string U8(const std::string& Cp1251) { return platform::Cp1251ToUtf8(Cp1251); }

// Runs Work as a job with progress on stderr and Ctrl-C as cancel; prints the report.
int RunCommand(TJob& Job, const std::function<void(TJob&)>& Work) {
  // a few updates a second at most
  Job.OnProgress = [last = std::chrono::steady_clock::time_point{}](const TJobProgress& P) mutable {
    const auto now = std::chrono::steady_clock::now();
    if (P.Done != P.Total && now - last < std::chrono::milliseconds(200)) return;
    last = now;
    std::cerr << "\r" << U8(P.Text);
    if (P.Total > 0) std::cerr << " [" << P.Done << "/" << P.Total << "]";
    std::cerr << "\x1b[K" << std::flush;
  };
  g_job = &Job;
  std::signal(SIGINT, OnSigInt);
  RunJob(Job, Work);
  std::signal(SIGINT, SIG_DFL);
  g_job = nullptr;
  std::cerr << "\n";
  for (const std::string& l : Job.Report()) std::cerr << U8(l) << "\n";
  switch (Job.State()) {
    case TJobState::Done: return 0;
    case TJobState::Cancelled: return 130;
    default: return 1;
  }
}

int Restore(const std::vector<std::string>& Args) {
  std::string db, dir;
  bool warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--db" && i + 1 < Args.size())
      db = platform::Utf8ToCp1251(Args[++i]);
    else if (Args[i] == "--warn")
      warn = true;
    else if (dir.empty() && Args[i].rfind("--", 0) != 0)
      dir = platform::Utf8ToCp1251(Args[i]);
    else
      return Usage();
  }
  if (dir.empty()) return Usage();
  if (warn) Sayer->WarnOn();
  if (db.empty()) {
    // the application root of this program: its working-directory table names the database
    const std::string exe = ExeFileName();
    App->sRoot = RootOfExeDir(exe.substr(0, exe.find_last_of('/') + 1));
    cvDirsLoad();
    InstallLineDataServices();
    db = TDM::DefaultFileName();
  }
  TDM D;
  if (!D.Connect(db)) {
    std::cerr << "corvesta-batch: " << U8(Sayer->LastText.empty() ? db : Sayer->LastText) << "\n";
    return 1;
  }
  TJob job("AutoLoad " + dir);
  const int rc = RunCommand(job, [&](TJob& J) {
    if (!DBRestore(J, D, dir) && !J.Cancelled()) J.Fail("restore failed");
  });
  D.Disconnect();
  return rc;
}

}  // namespace

int main(int Argc, char** Argv) {
  std::vector<std::string> args(Argv + 1, Argv + Argc);
  if (args.empty()) return Usage();
  const std::string cmd = args.front();
  args.erase(args.begin());
  try {
    if (cmd == "restore") return Restore(args);
  } catch (const std::exception& e) {
    std::cerr << "corvesta-batch: " << U8(e.what()) << "\n";
    return 1;
  }
  return Usage();
}
