// The Start tab's line-data tools in the harness: the clean-ups of the line tables over a range,
// the Fe table and VALD imports, the Zeeman numbers of the line table and the orbitals and levels
// import.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "linedata/cvAtLevels.h"
#include "linedata/cvCleanups.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLineImport.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"
#include "tools/batch/Batch.h"

namespace {

// The options every command here takes: --db FILE, --yes (the answer to a question before
// deleting; without it the answer is no), --delete (delete, not only list), --warn; the other
// arguments in order.
struct TOpts {
  std::string Db;
  bool Yes = false, Delete = false, Bad = false;
  std::vector<std::string> Rest;
};

TOpts Options(const std::vector<std::string>& Args) {
  TOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--db" && i + 1 < Args.size())
      o.Db = batch::Cp(Args[++i]);
    else if (a == "--yes")
      o.Yes = true;
    else if (a == "--delete")
      o.Delete = true;
    else if (a == "--warn")
      Sayer->WarnOn();
    else if (a.rfind("--", 0) == 0)
      o.Bad = true;
    else
      o.Rest.push_back(batch::Cp(a));
  }
  return o;
}

bool OpenDM(const std::string& File) {
  batch::UseProgramRoot();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, File);
}

// The end of an import: a failed one leaves no database it made.
void Finish(const std::string& File, int Status) {
  if (Status != 0 && DM) batch::DropNewLineDb(*DM, File);
  FreeDM();
}

// cleanup [--db FILE] [--yes] [--delete] OP FROM TO [MINHM MINCV]: OP clear (KurLines of the
// range), hfs (one record per hyperfine group), weak (below both depth minima), heavy (lines of
// Tm .. U) or dupes (records repeating LAMB, ELOW, LGGF); heavy and dupes only list without
// --delete. FROM and TO as typed in the Start tab ("0" or empty: no bound).
int Cleanup(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || o.Rest.size() < 3) return batch::Usage();
  const std::string op = o.Rest[0], a = o.Rest[1], b = o.Rest[2];
  const bool weak = op == "weak";
  if (weak ? o.Rest.size() != 5 : o.Rest.size() != 3) return batch::Usage();
  if (op != "clear" && op != "hfs" && !weak && op != "heavy" && op != "dupes")
    return batch::Usage();
  if (!OpenDM(o.Db)) return 1;
  TJob job("cleanup " + op);
  if (o.Yes) job.PresetAnswers = {true};
  TCleanupResult r;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    bool ok = true;
    if (op == "clear") ok = ClearKurLines(J, *DM, a, b, r);
    if (op == "hfs") ok = DelHyperFineLines(J, *DM, a, b, r);
    if (weak) ok = DelKurDummyLines(J, *DM, a, b, o.Rest[3], o.Rest[4], r);
    if (op == "heavy") ok = DelHeavyLines(J, *DM, a, b, o.Delete, r);
    if (op == "dupes") ok = DelDubleLines(J, *DM, a, b, o.Delete, r);
    if (!ok && !J.Cancelled()) J.Fail("cleanup " + op + " refused");
  });
  if (rc == 0)
    std::cout << "deleted " << r.Deleted << ", merged " << r.Merged << ", reported " << r.Reported
              << (r.ReportFile.empty() ? "" : ", report " + batch::U8(r.ReportFile)) << "\n";
  FreeDM();
  return rc;
}

// The counts only for a committed run (status 0); a failed or cancelled run's transaction was
// rolled back, so it says that nothing was added. The reading error, if any, either way.
void PrintImport(const TLineImportResult& R, int Status) {
  if (Status == 0)
    std::cout << "added " << R.Added << ", updated " << R.Updated << ", skipped " << R.Skipped
              << ", observations " << R.Observations << ", lggf " << R.LggfAdded << "\n";
  else
    std::cout << "nothing added: the run was rolled back\n";
  if (R.ErrLine > 0)
    std::cerr << batch::U8(R.ErrFile) << ":" << R.ErrLine << ":" << R.ErrPos << ": "
              << batch::U8(R.ErrText) << "\n";
}

// fetable [--db FILE] FILE: an Fe table of observed depths and widths (a path, or a name below
// LIN/ of the root) into Lines_, LineObsVorn and LGGF.
int FeTable(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || o.Rest.size() != 1) return batch::Usage();
  batch::UseProgramRoot();
  // the import's own lookup: the path, else the name below LIN/ of the root
  const std::string& name = o.Rest[0];
  const std::string lin = LineData().Root() + "LIN/";
  if (!platform::IsRegularFile(name) && !platform::IsRegularFile(lin + name)) {
    std::cerr << "corvesta-batch: Fe table " << batch::U8(name) << ": not found (as given or in "
              << batch::U8(lin) << ")\n";
    return 1;
  }
  if (!OpenDM(o.Db)) return 1;
  TJob job("LoadBelmarFe " + name);
  TLineImportResult r;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!LoadBelmarFe(J, *DM, name, r) && !J.Cancelled()) J.Fail("Fe table " + name + " not loaded");
  });
  PrintImport(r, rc);
  Finish(o.Db, rc);
  return rc;
}

// vald [--db FILE] FILE: a short-format VALD answer (the text the editor would hold) into Lines_.
int Vald(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || o.Rest.size() != 1) return batch::Usage();
  if (!batch::RequireFile(o.Rest[0], "VALD file")) return 1;
  if (!OpenDM(o.Db)) return 1;
  TStringList lines;
  lines.LoadFromFile(o.Rest[0]);
  TJob job("Load VALD Line Short");
  TLineImportResult r;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!LoadLineVALDShort(J, *DM, lines, r) && !J.Cancelled())
      J.Fail("VALD file " + o.Rest[0] + " not loaded");
  });
  PrintImport(r, rc);
  Finish(o.Db, rc);
  return rc;
}

// zeeman-fill [--db FILE]: NComp, NPi and GEff of the LS-coupled lines of Lines_.
int ZeemanFill(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || !o.Rest.empty()) return batch::Usage();
  if (!OpenDM(o.Db)) return 1;
  TJob job("Calc Lines ZeeStructure");
  TLineImportResult r;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!FillLinesZeeStruct(J, *DM, r) && !J.Cancelled()) J.Fail("no Zeeman patterns");
  });
  PrintImport(r, rc);
  FreeDM();
  return rc;
}

// levels [--db FILE] FILE LOADMODE REPORTMODE: orbitals (1) or levels (2) of a Kurucz-format
// list into Orbits and Levels, or a report only (0); the report of REPORTMODE (1 accepted lines,
// 2 line, designation and quantum-number errors, 3 level comparisons, 4 line errors, 5
// designation errors, 6 quantum-number errors) on standard output.
int Levels(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  int32_t load = -1, rep = -1;
  if (o.Bad || o.Rest.size() != 3 || o.Rest[1].size() != 1 || o.Rest[2].size() != 1)
    return batch::Usage();
  load = o.Rest[1][0] - '0';
  rep = o.Rest[2][0] - '0';
  if (load < 0 || load > 2 || rep < 0 || rep > 6) return batch::Usage();
  if (!OpenDM(o.Db)) return 1;
  TJob job("LoadAtLevels " + o.Rest[0]);
  TStringList list;
  TAtLevelsResult r;
  const int rc = batch::RunAsJob(
      job, [&](TJob& J) { LoadAtLevels(J, *DM, o.Rest[0], load, rep, list, r); });
  if (!r.Title.empty()) std::cout << "== " << batch::U8(r.Title) << "\n";
  for (int32_t i = 0; i < list.Count(); ++i) std::cout << batch::U8(list[i]) << "\n";
  std::cout << "lines " << r.Lines << ", used " << r.Used << ", short " << r.Short << ", orbits "
            << r.Orbits << ", levels " << r.Levels << "\n";
  FreeDM();
  return rc;
}

const TBatchCommand kLevels{"levels", "levels [--db FILE] FILE LOADMODE REPORTMODE", Levels};
const TBatchCommand kFeTable{"fetable", "fetable [--db FILE] FILE", FeTable};
const TBatchCommand kVald{"vald", "vald [--db FILE] FILE", Vald};
const TBatchCommand kZeeman{"zeeman-fill", "zeeman-fill [--db FILE]", ZeemanFill};
const TBatchCommand kCleanup{
    "cleanup", "cleanup [--db FILE] [--yes] [--delete] clear|hfs|heavy|dupes FROM TO | weak FROM TO MINHM MINCV",
    Cleanup};

}  // namespace
