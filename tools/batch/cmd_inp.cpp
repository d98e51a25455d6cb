// The table import of the editor's ".INP" files, headless.
#include <iostream>

#include "foundation/cvJob.h"
#include "linedata/cvDM.h"
#include "linedata/cvInpImport.h"
#include "tools/batch/Batch.h"

namespace {

// import [--db FILE] [--warn] DESCRIPTION: the description's data imported into the line
// database (FILE, else the database of the program's application root) in one transaction;
// Ctrl-C leaves the database as it was. Prints the counts; non-zero when nothing was imported.
int Import(const std::vector<std::string>& Args) {
  std::string db, desc;
  if (!batch::DbAndOne(Args, db, desc)) return batch::Usage();
  batch::UseProgramRoot();
  TDM D;
  if (!batch::ConnectLineDb(D, db)) return 1;
  TInpImportResult r;
  TJob job("import " + desc);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!ImportByInpFile(J, D, desc, &r) && !J.Cancelled()) J.Fail("nothing imported");
  });
  D.Disconnect();
  if (rc == 0)
    std::cout << "lines " << r.Lines << " skipped " << r.Skipped << " added " << r.Added
              << " edited " << r.Edited << "\n";
  return rc;
}

const TBatchCommand kImport{"import", "import [--db FILE] [--warn] DESCRIPTION.INP", Import};

}  // namespace
