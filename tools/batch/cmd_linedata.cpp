// Line-data commands of the harness.
#include <iostream>

#include "foundation/cvJob.h"
#include "linedata/cvDM.h"
#include "tools/batch/Batch.h"

namespace {

// restore [--db FILE] [--warn] DIR: the line database restored from the text tables of DIR (an
// autosave folder); FILE defaults to the database of the program's application root. Ctrl-C
// leaves the database as it was.
int Restore(const std::vector<std::string>& Args) {
  std::string db, dir;
  if (!batch::DbAndOne(Args, db, dir)) return batch::Usage();
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
