// corvesta-batch: the program's computing work without a window.
//
//   corvesta-batch COMMAND [ARGS...] [--then COMMAND [ARGS...]]...
//
// Commands chained with --then run one after the other in one session (the application root
// set up once, the map registry and the scan data root shared), stopping at the first that does
// not end with 0; its status is the harness's.
// Each command runs its work as a job: progress on standard error, Ctrl-C cancels, warnings are
// printed at the end as the job's report. Exit status: 0 done, 1 failed (the error on standard
// error), 2 bad arguments, 130 cancelled. The commands are in tools/batch/cmd_*.cpp.
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "platform/SysInfo.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"
#include "tools/batch/Batch.h"

namespace {

struct TEntry {
  std::string Usage;
  TBatchCommand::TRun Run;
};

std::map<std::string, TEntry>& Commands() {
  static std::map<std::string, TEntry> commands;
  return commands;
}

TJob* g_job = nullptr;

void OnSigInt(int) {
  if (g_job) g_job->Cancel();  // an atomic store: safe in a signal handler
}

}  // namespace

TBatchCommand::TBatchCommand(std::string Name, std::string Usage, TRun Run) {
  // two commands of one name: the harness would run one of them silently
  if (Commands().count(Name)) {
    std::fprintf(stderr, "corvesta-batch: command \"%s\" registered twice\n", Name.c_str());
    std::abort();
  }
  Commands()[std::move(Name)] = TEntry{std::move(Usage), std::move(Run)};
}

namespace batch {

std::string U8(const std::string& Cp1251) { return platform::Cp1251ToUtf8(Cp1251); }
std::string Cp(const std::string& Utf8) { return platform::Utf8ToCp1251(Utf8); }

int Usage() {
  std::cerr << "usage: corvesta-batch COMMAND [ARGS...]\n";
  for (const auto& [name, e] : Commands()) std::cerr << "  corvesta-batch " << e.Usage << "\n";
  return 2;
}

int RunAsJob(TJob& Job, const std::function<void(TJob&)>& Work) {
  // a few updates a second at most
  Job.OnProgress = [last = std::chrono::steady_clock::time_point{}](const TJobProgress& P) mutable {
    const auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::milliseconds(200)) return;
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

bool ConnectLineDb(TDM& D, const std::string& File) {
  const std::string db = File.empty() ? TDM::DefaultFileName() : File;
  // in a job of its own, so that the reason a connection fails is kept and told
  TJob job("connect " + db);
  bool ok = false;
  RunJob(job, [&](TJob&) { ok = D.Connect(db); });
  if (ok) return true;
  std::string reason;
  for (const TJob::TWarning& w : job.Warnings()) reason += (reason.empty() ? "" : "; ") + w.Text;
  if (reason.empty()) reason = job.Error();
  if (reason.empty()) reason = "cannot be opened";
  std::cerr << "corvesta-batch: line database " << U8(db) << ": " << U8(reason) << "\n";
  DropNewLineDb(D, File);
  return false;
}

void DropNewLineDb(TDM& D, const std::string& File) {
  if (!D.Created()) return;
  const std::string db = File.empty() ? TDM::DefaultFileName() : File;
  D.Disconnect();
  std::error_code ec;
  for (const char* tail : {"", "-journal", "-wal", "-shm"})
    std::filesystem::remove(platform::SysPath(db + tail), ec);
}

bool RequireFile(const std::string& File, const char* What) {
  if (platform::IsRegularFile(File)) return true;
  std::cerr << "corvesta-batch: " << What << " " << U8(File) << ": "
            << (platform::IsDirectory(File) ? "is a folder, not a file" : "not found") << "\n";
  return false;
}

bool RequireFolder(const std::string& Folder, const char* What) {
  if (platform::IsDirectory(Folder)) return true;
  std::cerr << "corvesta-batch: " << What << " " << U8(Folder) << ": "
            << (platform::PathExists(Folder) ? "is not a folder" : "not found") << "\n";
  return false;
}

bool DbAndOne(const std::vector<std::string>& Args, std::string& Db, std::string& One) {
  bool warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--db" && i + 1 < Args.size())
      Db = Cp(Args[++i]);
    else if (Args[i] == "--warn")
      warn = true;
    else if (One.empty() && Args[i].rfind("--", 0) != 0)
      One = Cp(Args[i]);
    else
      return false;
  }
  if (One.empty()) return false;
  if (warn) Sayer->WarnOn();
  return true;
}

void UseProgramRoot() {
  // once per session: a chained command keeps what the earlier ones installed
  static bool done = false;
  if (done) return;
  done = true;
  const std::string exe = ExeFileName();
  App->sRoot = RootOfExeDir(exe.substr(0, exe.find_last_of('/') + 1));
  App->sSaveDir = App->sRoot + "autosave/";
  cvDirsLoad();
  InstallLineDataServices();
  InstallModelServices();
  InstallScanServices();
}

}  // namespace batch

int main(int Argc, char** Argv) {
  platform::KeepFreedMemory();
  platform::UseCNumbers();
  std::vector<std::vector<std::string>> chain(1);
  for (int i = 1; i < Argc; ++i) {
    if (std::string(Argv[i]) == "--then")
      chain.emplace_back();
    else
      chain.back().emplace_back(Argv[i]);
  }
  std::vector<const TEntry*> entries;
  for (const auto& c : chain) {
    const auto it = c.empty() ? Commands().end() : Commands().find(c.front());
    if (it == Commands().end()) return batch::Usage();
    entries.push_back(&it->second);
  }
  for (size_t k = 0; k < chain.size(); ++k) {
    const std::vector<std::string> args(chain[k].begin() + 1, chain[k].end());
    try {
      if (const int rc = entries[k]->Run(args); rc != 0) return rc;
    } catch (const std::exception& e) {
      std::cerr << "corvesta-batch: " << batch::U8(e.what()) << "\n";
      return 1;
    }
  }
  return 0;
}
