// Line-data commands of the harness.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "tools/batch/Batch.h"

namespace {

// restore [--db FILE] [--warn] DIR: the line database restored from the text tables of DIR (an
// autosave folder); FILE defaults to the database of the program's application root. Ctrl-C
// leaves the database as it was.
int Restore(const std::vector<std::string>& Args) {
  std::string db, dir;
  bool warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--db" && i + 1 < Args.size())
      db = batch::Cp(Args[++i]);
    else if (Args[i] == "--warn")
      warn = true;
    else if (dir.empty() && Args[i].rfind("--", 0) != 0)
      dir = batch::Cp(Args[i]);
    else
      return batch::Usage();
  }
  if (dir.empty()) return batch::Usage();
  if (warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  TDM D;
  if (!batch::ConnectLineDb(D, db)) return 1;
  TJob job("AutoLoad " + dir);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!DBRestore(J, D, dir) && !J.Cancelled()) J.Fail("restore failed");
  });
  D.Disconnect();
  return rc;
}

const TBatchCommand kRestore{"restore", "restore [--db FILE] [--warn] DIR", Restore};

}  // namespace
