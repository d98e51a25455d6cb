// The Start tab's Auto Save and Auto Load in the harness: the line database backed up into a new
// autosave folder, and restored from the newest complete one.
#include <iostream>

#include "app/cvApp.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "tools/batch/Batch.h"

namespace {

// --db FILE, --saves DIR (the autosave folder, else the application root's), --yes (the answer
// to the restore's question about tables that hold records; without it the question's default),
// --warn.
struct TOpts {
  std::string Db, Saves;
  bool Yes = false, Bad = false;
};

TOpts Options(const std::vector<std::string>& Args) {
  TOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--db" && i + 1 < Args.size())
      o.Db = batch::Cp(Args[++i]);
    else if (a == "--saves" && i + 1 < Args.size())
      o.Saves = batch::Cp(Args[++i]);
    else if (a == "--yes")
      o.Yes = true;
    else if (a == "--warn")
      Sayer->WarnOn();
    else
      o.Bad = true;
  }
  if (!o.Saves.empty() && o.Saves.back() != '/') o.Saves += "/";
  return o;
}

// backup [--db FILE] [--saves DIR]: every table into a new folder of the autosave folder; the
// folder is marked unfinished until its last table file is written.
int Backup(const std::vector<std::string>& Args) {
  const TOpts o = Options(Args);
  if (o.Bad || o.Yes) return batch::Usage();
  batch::UseProgramRoot();
  if (!o.Saves.empty()) App->sSaveDir = o.Saves;
  TDM D;
  if (!batch::ConnectLineDb(D, o.Db)) return 1;
  const std::string dir = LineData().NewSaveDir();
  TJob job("AutoSave " + dir);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!DBBackup(J, D, dir) && !J.Cancelled()) J.Fail("backup into " + dir + " failed");
  });
  D.Disconnect();
  if (rc == 0) std::cout << "saved " << batch::U8(dir) << "\n";
  return rc;
}

// restore-last [--db FILE] [--saves DIR] [--yes]: the newest complete folder of the autosave
// folder restored, as the Start tab's Auto Load does.
int RestoreLast(const std::vector<std::string>& Args) {
  const TOpts o = Options(Args);
  if (o.Bad) return batch::Usage();
  batch::UseProgramRoot();
  if (!o.Saves.empty()) App->sSaveDir = o.Saves;
  const std::string dir = LineData().LastSaveDir();
  if (dir.empty()) {
    std::cerr << "corvesta-batch: no complete autosave folder in " << batch::U8(App->sSaveDir)
              << "\n";
    return 1;
  }
  std::cout << "restore " << batch::U8(dir) << "\n";
  TDM D;
  if (!batch::ConnectLineDb(D, o.Db)) return 1;
  TJob job("AutoLoad " + dir);
  if (o.Yes) job.PresetAnswers.push_back(true);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!DBRestore(J, D, dir) && !J.Cancelled()) J.Fail("restore of " + dir + " failed");
  });
  D.Disconnect();
  return rc;
}

const TBatchCommand kBackup{"backup", "backup [--db FILE] [--saves DIR]", Backup};
const TBatchCommand kRestoreLast{"restore-last", "restore-last [--db FILE] [--saves DIR] [--yes]",
                                 RestoreLast};

}  // namespace
