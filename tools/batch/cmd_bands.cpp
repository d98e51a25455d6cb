// The band-file builders in the harness: "lines.dat" -> li -> lh -> lw over a wavelength range
// of the line-files folder.
#include <iostream>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurBands.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "tools/batch/Batch.h"

namespace {

using TBuilder = bool (*)(TJob&, const std::string&, const std::string&, TKurBandsResult&);

// bands [--dir DIR] [--db FILE] [--warn] FROM TO [select] [merge] [widths]: the builders named
// (all three, in this order, when none is) over FROM..TO Å of DIR (the installation's line-files
// folder when not given). The depth and width runs are the reference-model runs of the demo
// project, in a calculation and variator context of their own. Each builder prints what it read,
// wrote and ran, and the files written; the first that fails ends the command.
int Bands(const std::vector<std::string>& Args) {
  std::string dir, db;
  std::vector<std::string> rest;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--dir" && i + 1 < Args.size())
      dir = batch::Cp(Args[++i]);
    else if (Args[i] == "--db" && i + 1 < Args.size())
      db = batch::Cp(Args[++i]);
    else if (Args[i] == "--warn")
      Sayer->WarnOn();
    else if (Args[i].rfind("--", 0) == 0)
      return batch::Usage();
    else
      rest.push_back(batch::Cp(Args[i]));
  }
  if (rest.size() < 2) return batch::Usage();
  std::vector<std::pair<std::string, TBuilder>> steps;
  for (size_t i = 2; i < rest.size(); ++i) {
    if (rest[i] == "select")
      steps.emplace_back(rest[i], KurLinesSelect);
    else if (rest[i] == "merge")
      steps.emplace_back(rest[i], KurLinesMergeHFS);
    else if (rest[i] == "widths")
      steps.emplace_back(rest[i], KurLinesCalcWD);
    else
      return batch::Usage();
  }
  if (steps.empty())
    steps = {{"select", KurLinesSelect}, {"merge", KurLinesMergeHFS}, {"widths", KurLinesCalcWD}};
  batch::UseProgramRoot();
  App->sProjDir = FindNoCase(App->sRoot, "Projects/Demo/");
  App->sQuest = "bands";
  InstallSynthesisServices();  // the reference-model runs
  CopyOptionTemplates();
  if (!dir.empty()) {
    if (dir.back() != '/' && dir.back() != '\\') dir += "/";
    LineData().LineFilesFolder.Install([dir] { return dir; });
  }
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  if (!batch::ConnectLineDb(*DM, db)) return 1;
  CreateLineLists();
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  bool lists = false;
  for (const auto& [name, builder] : steps) {
    TJob job("bands " + name);
    TKurBandsResult r;
    const int rc = batch::RunAsJob(job, [&, b = builder, name = name](TJob& J) {
      if (!lists) LoadVectorLists(ctx);
      lists = true;
      if (!b(J, rest[0], rest[1], r) && !J.Cancelled()) J.Fail(name + " stopped");
    });
    std::cout << name << ": read " << r.Read << ", written " << r.Written << ", runs " << r.Runs
              << " (" << r.RunsFailed << " failed), insert errors " << r.InsertErrors.size()
              << ", files";
    for (const std::string& f : r.Files) std::cout << " " << batch::U8(f);
    std::cout << "\n";
    if (rc != 0) return rc;
  }
  return 0;
}

const TBatchCommand kBands("bands",
                           "bands [--dir DIR] [--db FILE] [--warn] FROM TO [select] [merge] [widths]",
                           Bands);

}  // namespace
