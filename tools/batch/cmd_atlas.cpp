// The Start tab's solar-atlas group in the harness: a window of an atlas file loaded as observed
// profiles (printed one line each, with their first, middle and last points), or its text dump.
#include <iostream>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/profiles/cvAtlas.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

// atlas [--db FILE] [--kind CLV|Spot] [--cos C|0.1-1] [--line ID|--range L1 L2] [--dump] ROOT
int Atlas(const std::vector<std::string>& Args) {
  TAtlasForm f;
  std::string db, root, kind = "CLV", cos, line, range;
  bool dump = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--db" && i + 1 < Args.size())
      db = batch::Cp(Args[++i]);
    else if (a == "--kind" && i + 1 < Args.size())
      kind = Args[++i];
    else if (a == "--cos" && i + 1 < Args.size())
      cos = Args[++i];
    else if (a == "--line" && i + 1 < Args.size())
      line = batch::Cp(Args[++i]);
    else if (a == "--range" && i + 2 < Args.size()) {
      range = Args[i + 1] + " " + Args[i + 2];
      i += 2;
    } else if (a == "--dump")
      dump = true;
    else if (a == "--warn")
      Sayer->WarnOn();
    else if (a.rfind("--", 0) != 0 && root.empty())
      root = batch::Cp(a);
    else
      return batch::Usage();
  }
  if (root.empty() || (kind != "CLV" && kind != "Spot")) return batch::Usage();
  batch::UseProgramRoot();
  InstallSynthesisServices();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  if (!batch::ConnectLineDb(*DM, db)) return 1;
  TOwnVariContext vars;
  TVariScope scope(vars);
  // the form as the tab shows it after choosing the kind
  f.Kind = kind;
  AtlasKindChange(f);
  if (!cos.empty()) {
    f.CTeta = cos;
    AtlasCTetaChange(f);
  }
  f.Line = line;
  if (!range.empty()) {
    f.Lams = range;
    AtlasLamsChange(f);
  }
  const std::string dir = DirSlash(ExpandFileName(root));
  TAtlasPlan p;
  if (!AtlasPrepare(f, dir, p)) return 1;
  TJob job("atlas");
  if (dump) {
    std::vector<std::string> lines;
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if (!AtlasDump(&J, p, lines) && !J.Cancelled()) J.Fail("dump failed");
    });
    for (const std::string& l : lines) std::cout << batch::U8(l) << "\n";
    return rc;
  }
  TAtlasData d;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!AtlasRead(&J, p, d) && !J.Cancelled()) J.Fail("nothing read");
  });
  if (rc != 0) return rc;
  for (const auto& u : AtlasMake(p, d, 1, f.Quest)) {
    const int32_t n = u->NDL;
    std::cout << batch::U8(u->QUEST) << "." << u->IQ << " KVARI=" << u->KVARI
              << " MJU=" << ShortSt(3, u->MJU) << " LIN=" << batch::U8(u->sULin) << " NDL=" << n
              << " LAMB=" << FSt(0, 4, u->LAMB) << " L=" << FSt(0, 4, u->UL[1]) << ".."
              << FSt(0, 4, u->UL[static_cast<size_t>(n)]) << " I=" << ShortSt(5, u->UI[1]) << " "
              << ShortSt(5, u->UI[static_cast<size_t>((n + 1) / 2)]) << " "
              << ShortSt(5, u->UI[static_cast<size_t>(n)]) << "\n";
  }
  return 0;
}

const TBatchCommand kAtlas(
    "atlas",
    "atlas [--db FILE] [--kind CLV|Spot] [--cos C|0.1-1] [--line ID|--range L1 L2] [--dump] ROOT",
    Atlas);

}  // namespace
