// Model building commands of the harness: a quest's step 1 builds its model by hydrostatic
// equilibrium (the run word ION: PMOD1 and doION for every combination), the keeper's reports
// printed; optionally the built gas and electron pressures compared with a published table and
// the hydrostatic slope checked between the layers.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "platform/FileErr.h"
#include "tools/batch/Batch.h"

namespace {

void Print(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

std::string Num(double x, int Digits = 5) {
  char b[40];
  std::snprintf(b, sizeof b, "%.*f", Digits, x);
  return b;
}

// A published model table: first line the macroturbulence etc., then per depth lg tau, T, Pe,
// ... and Pg in column 10.
struct TRefRow {
  double X = 0, LgPe = 0, LgPg = 0;
};
bool ReadRef(const std::string& File, std::vector<TRefRow>& Rows) {
  std::ifstream in(File);
  if (!in) return false;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream s(line);
    double c[11];
    int n = 0;
    while (n < 11 && (s >> c[n])) ++n;
    if (n < 10) continue;
    Rows.push_back({c[0], std::log10(c[2]), std::log10(c[9])});
  }
  return !Rows.empty();
}

// The built model's values compared with the table at the depths the grid holds: per depth a
// line, then the largest differences down to lg tau -3.5 and 1 (gas pressure) and overall
// (electron pressure).
void Compare(TLVEMO& K, const std::string& Mod, const std::vector<TRefRow>& Ref) {
  TVEMO* x = K.FindVeMo("X", Mod, "", 1);
  TVEMO* pg = K.FindVeMo("LGPG", Mod, "", 1);
  TVEMO* pe = K.FindVeMo("LGPE", Mod, "", 1);
  if (!x || !pg || !pe || !pg->IsFilled()) ErrAbs("ion-report: модель "_cp + Mod + " не построена"_cp);
  double top = 0, all = 0, epe = 0;
  for (const TRefRow& r : Ref) {
    for (int32_t i = 1; i <= x->N; ++i) {
      if (std::fabs(x->A[static_cast<size_t>(i)] - r.X) > 1e-6) continue;
      const double dpg = pg->A[static_cast<size_t>(i)] - r.LgPg;
      const double dpe = pe->A[static_cast<size_t>(i)] - r.LgPe;
      std::cout << "cmp X=" << Num(r.X, 2) << " lgPg=" << Num(pg->A[static_cast<size_t>(i)])
                << " ref=" << Num(r.LgPg) << " d=" << Num(dpg) << " lgPe="
                << Num(pe->A[static_cast<size_t>(i)]) << " ref=" << Num(r.LgPe)
                << " d=" << Num(dpe) << "\n";
      if (r.X <= -3.5 + 1e-9) top = std::max(top, std::fabs(dpg));
      if (r.X <= 1 + 1e-9) all = std::max(all, std::fabs(dpg));
      epe = std::max(epe, std::fabs(dpe));
    }
  }
  std::cout << "max dlgPg(X<=-3.5)=" << Num(top, 4) << " dlgPg(X<=1)=" << Num(all, 4)
            << " dlgPe=" << Num(epe, 4) << "\n";
}

// Between the layers: (Pg_i - Pg_i+1)/dX against g ln10 times the trapezoid of tau/KAP5; the
// largest relative difference.
void Slopes(TLVEMO& K, const std::string& Mod) {
  TVEMO* x = K.FindVeMo("X", Mod, "", 1);
  TVEMO* pg = K.FindVeMo("LGPG", Mod, "", 1);
  TVEMO* kap = K.FindVeMo("KAP5", Mod, "", 1);
  if (!x || !pg || !kap) ErrAbs("ion-report: модель "_cp + Mod + " не построена"_cp);
  double worst = 0;
  for (int32_t i = 1; i < x->N; ++i) {
    const size_t a = static_cast<size_t>(i), b = a + 1;
    const double dX = x->A[a] - x->A[b];
    const double lhs = (std::pow(10.0, pg->A[a]) - std::pow(10.0, pg->A[b])) / dX;
    const double rhs = IonGravity * std::log(10.0) * 0.5 *
                       (std::pow(10.0, x->A[a]) / kap->A[a] + std::pow(10.0, x->A[b]) / kap->A[b]);
    worst = std::max(worst, std::fabs(lhs / rhs - 1));
  }
  std::cout << "max slope deviation=" << Num(worst, 5) << "\n";
}

// ion-report [--project DIR] [--warn] [--ref FILE] [--slopes] NAME|FILE: step 1 of the quest
// (a control file, or "ONE\<NAME>.DAT" of the project, the demo by default) run as the word ION
// does; the reports printed, then with --ref the comparison with a published table (hsra11.mod
// layout), with --slopes the hydrostatic check between the layers.
int IonReportCmd(const std::vector<std::string>& Args) {
  std::string project, file, ref;
  bool warn = false, slopes = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--project" && i + 1 < Args.size())
      project = batch::Cp(Args[++i]);
    else if (Args[i] == "--ref" && i + 1 < Args.size())
      ref = Args[++i];
    else if (Args[i] == "--warn")
      warn = true;
    else if (Args[i] == "--slopes")
      slopes = true;
    else if (file.empty() && Args[i].rfind("--", 0) != 0)
      file = batch::Cp(Args[i]);
    else
      return batch::Usage();
  }
  if (file.empty()) return batch::Usage();
  std::vector<TRefRow> rows;
  if (!ref.empty()) {
    if (!batch::RequireFile(ref, "table file")) return 1;
    if (!ReadRef(ref, rows)) {
      std::cerr << "corvesta-batch: " << ref << ": no model table\n";
      return 1;
    }
  }
  if (warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  App->sProjDir = project.empty() ? FindNoCase(App->sRoot, "Projects/Demo/")
                                  : DirSlash(ExpandFileName(project));
  InstallModelServices();
  InstallLineDataServices();
  CopyOptionTemplates();
  std::string path = SlashPath(file);
  if (!platform::IsRegularFile(path)) {
    const std::string named = FindNoCase(App->sProjDir, "ONE/" + path + ".DAT");
    path = platform::IsRegularFile(named) ? named : FindNoCase(App->sProjDir, path);
  }
  if (!batch::RequireFile(path, "control file")) return 1;
  std::string folder, quest, ext;
  SplitPath(path, folder, quest, ext);
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("ION " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    CreateMEND();
    MEND->LoadAll();
    LoadVectorLists(ctx);
    vctx.LVARI->LoadFromFile(quest, path, false);
    TVARIATOR* v = vctx.LVARI->GetQuestIQVARI(quest, 1);
    if (!v) ErrAbs("ion-report: в файле <"_cp + path + "> нет шага 1"_cp);
    vctx.VARI = v;
    TStringList out;
    if (!IONReportTo(J, out)) return;
    Print(out);
    const std::string mod = VariModName();
    if (!rows.empty()) Compare(*ctx.LVEMO, mod, rows);
    if (slopes) Slopes(*ctx.LVEMO, mod);
  });
}

const TBatchCommand kIonReport{"ion-report",
                               "ion-report [--project DIR] [--warn] [--ref FILE] [--slopes] NAME|FILE",
                               IonReportCmd};

}  // namespace
