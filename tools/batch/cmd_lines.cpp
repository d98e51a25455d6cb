// Line-record commands of the harness: the Kurucz import and key check of the Start tab, a line
// loaded by its database key or catalogue Id, and a line set built from a description.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "tools/batch/Batch.h"

namespace {

// The options every command here takes: --db FILE, --kurucz DIR, --lw DIR, --warn; the other
// arguments in order.
struct TOpts {
  std::string Db;
  std::vector<std::string> Rest;
  bool FormC = false;
  bool Bad = false;
};

TOpts Options(const std::vector<std::string>& Args) {
  TOpts o;
  std::string kur, lw;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if ((a == "--db" || a == "--kurucz" || a == "--lw") && i + 1 < Args.size()) {
      const std::string v = batch::Cp(Args[++i]);
      (a == "--db" ? o.Db : a == "--kurucz" ? kur : lw) = v;
    } else if (a == "--form-c") {
      o.FormC = true;
    } else if (a == "--warn") {
      Sayer->WarnOn();
    } else if (a.rfind("--", 0) == 0) {
      o.Bad = true;
    } else {
      o.Rest.push_back(batch::Cp(a));
    }
  }
  batch::UseProgramRoot();
  if (!kur.empty()) LineData().KuruczFolder.Install([kur] { return kur; });
  if (!lw.empty()) LineData().LineFilesFolder.Install([lw] { return lw; });
  return o;
}

bool Number(const std::string& S, double& V) {
  int32_t code = 0;
  V = ValRealCode(S, code);
  return code == 0 && !S.empty();
}

// The data module on the database (the installation's when FILE is empty).
bool OpenDM(const std::string& File) {
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, File);
}

// kurucz-import [--db FILE] [--kurucz DIR] FROM TO: the lines FROM..TO Å of the band files into
// table "KurLines" (one transaction; Ctrl-C leaves the table as it was).
int KuruczImport(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  double from = 0, to = 0;
  if (o.Bad || o.Rest.size() != 2 || !Number(o.Rest[0], from) || !Number(o.Rest[1], to))
    return batch::Usage();
  if (!OpenDM(o.Db)) return 1;
  TJob job("Load KurLines " + o.Rest[0] + " - " + o.Rest[1]);
  TKurImportResult r;
  const int rc =
      batch::RunAsJob(job, [&](TJob& J) { LoadKurLines(J, *DM, from, to, r); });
  if (rc == 0)
    std::cout << "added " << r.Added << ", present " << r.Present << ", skipped " << r.Skipped
              << ", bad " << r.Bad << "\n";
  FreeDM();
  return rc;
}

// kurucz-key [--kurucz DIR] FROM TO: the lines whose short key repeats the line before them.
int KuruczKey(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  double from = 0, to = 0;
  if (o.Bad || o.Rest.size() != 2 || !Number(o.Rest[0], from) || !Number(o.Rest[1], to))
    return batch::Usage();
  CreateMEND();
  TJob job("Test KurKey");
  TStringList list;
  const int rc = batch::RunAsJob(job, [&](TJob& J) { CheckKurKey(J, from, to, list); });
  for (int32_t i = 0; i < list.Count(); ++i) std::cout << batch::U8(list[i]) << "\n";
  return rc;
}

// line [--db FILE] [--kurucz DIR] [--lw DIR] [--form-c] ID...: each line loaded by its Id
// (database key, catalogue Id or wavelength Id) and printed as its dump line, or as Form C (the
// lw files' lines: "line --form-c 8x000001 8x000002" makes the bundled "LW/lw6300.txt").
int Line(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || o.Rest.empty()) return batch::Usage();
  if (!OpenDM(o.Db)) return 1;
  CreateLineLists();
  int rc = 0;
  for (const std::string& id : o.Rest) {
    TLIDA L;
    L.LI_Load(id);
    if (L.GetName().empty() && L.sIdL.empty()) {
      std::cerr << "corvesta-batch: " << batch::U8(Sayer->LastText) << "\n";
      rc = 1;
      continue;
    }
    std::cout << batch::U8(o.FormC ? L.sKurDumpHF() : L.sDump()) << "\n";
  }
  FreeLineLists();
  FreeDM();
  return rc;
}

// lineset [--lw DIR] DESC: the line set of a description, as its text.
int LineSet(const std::vector<std::string>& Args) {
  TOpts o = Options(Args);
  if (o.Bad || o.Rest.size() != 1) return batch::Usage();
  CreateMEND();
  TLiSet set;
  double lam = 0;
  if (!set.Load(o.Rest[0], lam)) {
    std::cerr << "corvesta-batch: " << batch::U8(Sayer->LastText) << "\n";
    return 1;
  }
  std::cout << "LAMB " << batch::U8(FDecSt0(4, lam)) << " lines " << set.Count << "\n"
            << batch::U8(set.GetText()) << "\n";
  return 0;
}

const TBatchCommand kImport{"kurucz-import", "kurucz-import [--db FILE] [--kurucz DIR] FROM TO",
                            KuruczImport};
const TBatchCommand kKey{"kurucz-key", "kurucz-key [--kurucz DIR] FROM TO", KuruczKey};
const TBatchCommand kLine{"line", "line [--db FILE] [--kurucz DIR] [--lw DIR] [--form-c] ID...",
                          Line};
const TBatchCommand kSet{"lineset", "lineset [--lw DIR] DESC", LineSet};

}  // namespace
