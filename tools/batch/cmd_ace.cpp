// The ACE regression in the harness: an editor-style table (a header line, then rows of numbers,
// y first) regressed as the Texts tab's "ACE" does; the new editor text (report, outer-pass
// count, table of the centred transforms) on standard output. A job: progress per outer pass,
// Ctrl-C cancels.
#include <fstream>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvAce.h"
#include "tools/batch/Batch.h"

namespace {

// ace [--table] [--psi|--x] [--i] [--w N] FILE (--table: the editor table's rule, the only
// input there is; --x as the Texts tab's check box, the same as --psi)
int Ace(const std::vector<std::string>& Args) {
  TAceTableRun Run;
  std::string File;
  for (size_t a = 0; a < Args.size(); ++a) {
    const std::string& s = Args[a];
    if (s == "--table") continue;
    if (s == "--psi" || s == "--x") Run.Psi = true;
    else if (s == "--i") Run.Indices = true;
    else if (s == "--w" && a + 1 < Args.size()) {
      int32_t c = 0;
      Run.W = ValIntCode(Args[++a], c);
      if (c != 0) return batch::Usage();
    } else if (File.empty() && s.rfind("--", 0) != 0) File = batch::Cp(s);
    else return batch::Usage();
  }
  if (File.empty()) return batch::Usage();
  if (!batch::RequireFile(File, "table file")) return 1;
  TStringList Text;
  {
    std::ifstream in(File);
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      Text.Add(batch::Cp(l));
    }
  }
  TStringList Out;
  bool Ok = false;
  TJob Job("ACE");
  const int rc = batch::RunAsJob(Job, [&](TJob& J) { Ok = AceOnTable(Text, Run, Out, &J); });
  if (rc != 0) return rc;
  for (int i = 0; i < Out.Count(); ++i) std::cout << batch::U8(Out[i]) << "\n";
  return Ok ? 0 : 1;
}

const TBatchCommand kAce{"ace", "ace [--table] [--psi|--x] [--i] [--w N] FILE", Ace};

}  // namespace
