// Depth-physics commands of the harness: a quest's control file names the model and the opacity
// and damping options; one line's depth quantities are filled on grid 1 of the model and the
// keeper is reported beside the model's own heights and density.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "platform/FileErr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/physics/cvKappa.h"
#include "models/physics/cvPhysDepth.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "tools/batch/Batch.h"

namespace {

// Fe I 6302.5 (the instrument's line): Nave et al. 1994 wavelength, NIST lower level, Kurucz
// lg gf and damping constants.
struct TFe6302 {
  const char* Name = "FE6302";
  double LAMB = 6302.4936, ELOW = 3.686, LGGF = -1.131, RAD = 7.93, STARK = -5.43,
         WAALS = -7.59;
};

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

// physics [--project DIR] [--warn] FILE: step 1 of the quest FILE ("ONE\physics.DAT" in the
// project folder) gives "#MOD", "#OPACITY", "#KZWAAN" and "#A_OPT"; FE6302's quantities are
// filled on grid 1 of the model and reported, then h and RO beside the model's own.
int Physics(const std::vector<std::string>& Args) {
  std::string project, file;
  bool warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--project" && i + 1 < Args.size())
      project = batch::Cp(Args[++i]);
    else if (Args[i] == "--warn")
      warn = true;
    else if (file.empty() && Args[i].rfind("--", 0) != 0)
      file = batch::Cp(Args[i]);
    else
      return batch::Usage();
  }
  if (file.empty()) return batch::Usage();
  if (warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  if (!project.empty()) App->sProjDir = DirSlash(ExpandFileName(project));
  else App->sProjDir = FindNoCase(App->sRoot, "Projects/Demo/");
  InstallModelServices();
  InstallLineDataServices();
  std::string path = SlashPath(file);
  if (!platform::IsRegularFile(path)) path = FindNoCase(App->sProjDir, path);
  std::string folder, quest, ext;
  SplitPath(path, folder, quest, ext);
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("PHYSICS " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    CreateMEND();
    MEND->LoadAll();
    LoadVectorLists(ctx);
    vctx.LVARI->LoadFromFile(quest, path, false);
    TVARIATOR* v = vctx.LVARI->GetQuestIQVARI(quest, 1);
    if (!v) ErrAbs("PHYSICS: в файле <"_cp + path + "> нет шага 1"_cp);
    vctx.VARI = v;
    const std::string mod = WordN(v->GetS("#MOD"), WordCount(v->GetS("#MOD")));
    const std::string aopt = v->GetS("#A_OPT");
    TLVEMO& K = *ctx.LVEMO;
    K.LoadModel("", "", "", mod);
    if (!K.HasMod(mod)) ErrAbs("PHYSICS: модель <"_cp + mod + "> не загружена"_cp);
    const int32_t g = 1;
    TVEMO* x = K.InitVEMO(mod, "X", "", g);
    const int32_t n = x->N;
    for (const char* q : {"T", "LGPE", "LGPG", "VMI"}) K.InitVEMO(mod, q, "", g)->SrcFill();
    // a model without field or velocity columns: none
    for (const char* q : {"H", "VD"}) {
      TVEMO* c = K.InitVEMO(mod, q, "", g);
      VeMoFillConst(*c, n, 0);
    }
    KappaSetup(*v);
    const TFe6302 line;
    const std::string li = std::string("LI=") + line.Name;
    const std::string at = "AT=FE";
    auto make = [&](const char* q, const std::string& sIdV = "") {
      TVEMO* r = K.InitVEMO(mod, q, sIdV, g);
      r->LIN6 = line.Name;
      return r;
    };
    int step = 0;
    auto next = [&](const char* what) { J.Step(step++, 14, what); };
    next("NH");
    PNHPNH(*make("NHPNH"));
    PNHMNH(*make("NHMNH"));
    PNH(*make("NH"));
    PNHM(*make("NHM"));
    next("RO");
    PRO(*make("RO"));
    next("KAP5");
    PKAP5(*make("KAP5"));
    next("h");
    TVEMO* h = make("h");
    PHeightKM(*h, 0.02);
    next("B");
    TVEMO* b = make("B", TVEMO::LamSId(line.LAMB));
    b->LAM = line.LAMB;
    PB(*b);
    next("U");
    TVEMO* u0 = make("U0", at);
    u0->AT = "FE";
    PU(*u0, *make("U1", at), *make("U2", at));
    next("PART");
    PART(26, 1, *make("PART", li), line.ELOW);
    next("DLD");
    PDLD(*make("DLD", li), MEND->GetAtom(26)->PAT, line.LAMB);
    next("ETA");
    PETA0(26, 1, *make("ETA", li), line.LGGF, MEND->GetAtom(26)->ABUND, line.LAMB);
    next("A");
    TLIDA rec;
    rec.AT = 26;
    rec.NIon = 1;
    rec.LIN6 = line.Name;
    rec.LAMB = line.LAMB;
    rec.ELOW = line.ELOW;
    rec.LGGF = line.LGGF;
    rec.EWAN = 1;
    rec.Rad = line.RAD;
    rec.Stark = line.STARK;
    rec.Waals = line.WAALS;
    PAEX(rec, *make("A", li), *make("DLLorN", li), *make("DLLor4", li), *make("DLLor6", li),
         *make("AOld", li), aopt);
    Print(K.ReportMod(mod, g).get());
    // the model's own heights and density at the same depths
    TVEMO* h0 = K.FindVeMo("h", mod, "", 0);
    TVEMO* ro0 = K.FindVeMo("RO", mod, "", 0);
    TVEMO* ro = K.FindVeMo("RO", mod, "", g);
    std::cout << "\n       X          h      h(model)          RO     RO(model)\n";
    char buf[160];
    for (int32_t i = 1; i <= n; ++i) {
      const double xi = x->A[static_cast<size_t>(i)];
      std::snprintf(buf, sizeof buf, "%8.3f %10.3f %10.3f %14.5E %14.5E\n", xi,
                    h->A[static_cast<size_t>(i)], h0 ? h0->func(xi) : 0.0,
                    ro->A[static_cast<size_t>(i)], ro0 ? ro0->func(xi) : 0.0);
      std::cout << buf;
    }
    std::cout << std::flush;
  });
}

const TBatchCommand kPhysics{"physics", "physics [--project DIR] [--warn] FILE", Physics};

}  // namespace
