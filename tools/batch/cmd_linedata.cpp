// Line-data commands of the harness.
#include <cctype>
#include <filesystem>
#include <iostream>

#include "foundation/cvJob.h"
#include "linedata/cvDM.h"
#include "platform/FileErr.h"
#include "tools/batch/Batch.h"

namespace {

// Any "*.txt" file in Dir (the tables' text files are named after their tables).
bool HasTableFiles(const std::string& Dir) {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(platform::SysPath(Dir), ec)) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".txt" && e.is_regular_file(ec)) return true;
  }
  return false;
}

// restore [--db FILE] [--warn] DIR: the line database restored from the text tables of DIR (an
// autosave folder); FILE defaults to the database of the program's application root. Ctrl-C
// leaves the database as it was.
int Restore(const std::vector<std::string>& Args) {
  std::string db, dir;
  if (!batch::DbAndOne(Args, db, dir)) return batch::Usage();
  batch::UseProgramRoot();
  // what is missing is said before any database is opened or made
  if (!batch::RequireFolder(dir, "autosave folder")) return 1;
  if (!HasTableFiles(dir)) {
    std::cerr << "corvesta-batch: autosave folder " << batch::U8(dir)
              << ": no table files (*.txt)\n";
    return 1;
  }
  TDM D;
  if (!batch::ConnectLineDb(D, db)) return 1;
  TJob job("AutoLoad " + dir);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!DBRestore(J, D, dir) && !J.Cancelled())
      J.Fail("restore from " + dir + " failed, the database is left as it was");
  });
  if (rc != 0) batch::DropNewLineDb(D, db);
  D.Disconnect();
  return rc;
}

const TBatchCommand kRestore{"restore", "restore [--db FILE] [--warn] DIR", Restore};

}  // namespace
