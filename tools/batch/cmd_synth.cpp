// Synthesis commands of the harness: a quest's CONT steps computed combination by combination
// in the order of the synthesis driver (accuracy, model, output grid, lines, wavelength grid,
// line preparation, the new profile, the fixed-grid driver), the profiles written in the
// profile-list text after the step's control text; and a result file read back into the
// profile list.
#include <iostream>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/cvPMod.h"
#include "models/cvRout.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

struct TSynthOpts {
  std::string Project, Quest, Out, Db, File;
  bool Warn = false, Print = false;
  bool Bad = false;
};

TSynthOpts Options(const std::vector<std::string>& Args) {
  TSynthOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    auto value = [&](std::string& To) {
      if (i + 1 < Args.size()) To = batch::Cp(Args[++i]); else o.Bad = true;
    };
    if (a == "--project") value(o.Project);
    else if (a == "--quest") value(o.Quest);
    else if (a == "--out") value(o.Out);
    else if (a == "--db") value(o.Db);
    else if (a == "--warn") o.Warn = true;
    else if (a == "--print") o.Print = true;
    else if (o.File.empty() && a.rfind("--", 0) != 0) o.File = batch::Cp(a);
    else o.Bad = true;
  }
  if (o.File.empty()) o.Bad = true;
  return o;
}

// The program's root, the project (the demo when none is given), the services, the line
// database and the element table.
bool Setup(const TSynthOpts& O) {
  if (O.Warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  App->sProjDir = O.Project.empty() ? FindNoCase(App->sRoot, "Projects/Demo/")
                                    : DirSlash(ExpandFileName(O.Project));
  InstallSynthesisServices();
  auto where = [](const std::string&, const std::string& File, int32_t Line, int32_t Pos) {
    std::cerr << "corvesta-batch: " << batch::U8(File) << ":" << Line << ":" << Pos << "\n";
  };
  Models().OpenAt.Install(where);
  Synthesis().OpenAt.Install(where);
  // no Test tab here: the combination lines go to the log
  Models().MemoTestAdd.Install([](const std::string& Text) { Sayer->ChanLog(-1, Text); });
  CopyOptionTemplates();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, O.Db);
}

// The control file: a path, or a name in the project folder.
std::string ControlFile(const std::string& File, std::string& Quest) {
  std::string path = SlashPath(File);
  if (!platform::IsRegularFile(path)) path = FindNoCase(App->sProjDir, path);
  std::string folder, name, ext;
  SplitPath(path, folder, name, ext);
  if (Quest.empty()) Quest = name;
  return path;
}

// One combination in the driver's order; the profiles go into List.
void ContStep(TJob& J, TVARIATOR& V, TLUNNO& List) {
  TCONT& C = Cont();
  const int32_t K = V.KIdx;
  Synthesis().LoadAccuracy();
  if (!PMOD1()) return;
  if (V.KIdx != K) {
    WARNAbs("CONT: VARI.Kidx сбился во время выполнения PMOD1!"_cp);
    V.KIdx = K;
  }
  // the output grid: "#FOUT", or the outer end of the working model
  if (V.NoKey("#FOUT")) {
    C.sMOD = VariModName();
    TVEMO* t = Keeper().NeedWrkVeMo("T", C.sMOD, "", 1);
    const TVEMO* x = t->LGTAU ? t->LGTAU : Keeper().FindVeMo("X", C.sMOD, "", 1);
    double outer = 0;
    if (x && x->N > 0) outer = std::min(x->A[1], x->A[static_cast<size_t>(x->N)]);
    SetRoutOnePoint(C.AXOUT, outer);
    C.SETX.XOUT1 = outer;
  } else {
    C.FOUT = V.GetI("#FOUT", 0);
    LoadRout(C.FOUT, C.AXOUT);
  }
  if (C.AXOUT.size() > 1) C.SETX.XK = C.AXOUT.back();
  C.MILN = V.GetI("#MILNED", 0) == 1;
  if (C.MILN) ErrAbs("MILNED - функция пока недоступна"_cp);
  C.CTETA = V.GetR("#CTETA", 1);
  if (!LoadLinsVARI()) return;
  if (!VariLoadLam()) return;
  if (V.GetI("#ION", 0) == 1) ErrAbs("doION - функция пока недоступна"_cp);
  if (!PMOD3(1)) return;
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->sULin = V.GetS("#LIN");
  U->sObs = V.GetSDef("#sObs", "");
  U->QUESTRef = V.GetSDef("#QUESTObs", "");
  U->IQRef = V.GetI("#IQuest", 0);
  U->KVARIRef = V.GetI("#KVObs", 0);
  if (U->KVARIRef != 0) {
    if (U->IQRef == 0) U->IQRef = 1;
    U->sIdRef = U->QUESTRef + "_" + IntStr(U->IQRef) + "_" + IntStr(U->KVARIRef);
  }
  C.DLVD0 = (C.KindVD == '0' || C.KindVD == 'C') ? C.LAMB * V.GetR("#VD", 0) / 299792.4562 : 0;
  CareLams(*U);
  U->ALG = "CONT";
  U->QUEST = V.QUEST;
  U->IQ = V.IQ;
  U->KVARI = K;
  const std::string h = TrimSp(V.GetSDef("#H", ""));
  U->K4 = h.empty() || (WordCount(h) == 1 && ValRealOr0(h) == 0) ? 1 : 4;
  U->AllocU();
  U->KMJU = 1;
  U->MJU = C.CTETA;
  U->PART = C.PART;
  U->KDif = 0;
  U->BGau = 0;
  U->DLVD = C.DLVD0;
  if (K == 1) C.KVOIG = V.GetI("#KVOIG", 6);
  if (!PMOD3(2)) return;
  TUNNO* last = nullptr;
  if (!STES(J, U, List, last) || !last) return;
  last->SetWLimits(V);
  const double vma = V.GetR("#VMA", 0);
  if (vma != 0) last->ApplyBlur(vma, 0);
}

// synth [--project DIR] [--quest NAME] [--db FILE] [--out FILE] [--print] [--warn] FILE: every
// step of the quest's control file computed as CONT; the result file (the project's
// "DC\<quest>.txt" by default) holds each step's control text and, per combination, its
// settings and its profiles in the profile-list text. --print also shows it.
int Synth(const std::vector<std::string>& Args) {
  TSynthOpts o = Options(Args);
  if (o.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  std::string quest = o.Quest;
  const std::string path = ControlFile(o.File, quest);
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("CONT " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    vctx.LVARI->LoadFromFile(quest, path, false);
    TStringList out;
    const int32_t steps = vctx.LVARI->CountQuest(quest);
    for (int32_t iq = 1; iq <= steps; ++iq) {
      TVARIATOR* V = vctx.LVARI->GetQuestIQVARI(quest, iq);
      if (!V) continue;
      vctx.VARI = V;
      App->iStep = iq;
      list.DeleteQuestIQ(quest, iq);
      V->KIdx = 1;
      ContStep(J, *V, list);
      if (J.Cancelled()) return;
      V->DelUnused();
      for (int32_t k = 2; k <= V->NK && !J.Cancelled(); ++k) {
        V->KIdx = k;
        ContStep(J, *V, list);
      }
      if (J.Cancelled()) return;
      // the step's control text, closed by its "#RUN" so that the file reads back as a step
      if (auto t = V->CtrlTextUse()) {
        bool run = false;
        for (int i = 0; i < t->Count(); ++i) {
          if (!run && TrimSp((*t)[i]).rfind("#EXIT", 0) == 0) {
            out.Add("#RUN CONT #");
            run = true;
          }
          out.Add((*t)[i]);
        }
        if (!run) out.Add("#RUN CONT #");
      }
      for (int32_t k = 1; k <= V->NK; ++k) {
        V->KIdx = k;
        out.Add("");
        out.Add("");
        out.Add("");
        TCONT& C = Cont();
        out.Add(C.LiSet.GetText() + "\r\nМодель: "_cp + V->GetSDef("#MOD", "") + "\r\nVARI(" +
                IntStr(k) + ")=" + V->GetKS(k));
        out.Add("");
        out.AddStrings(*list.ReportVar(quest, iq, k));
      }
    }
    std::string file = o.Out;
    if (file.empty()) {
      file = App->sProjDir + "DC/" + quest + ".txt";
      if (!ForceFileDir(file)) ErrAbs("Невозможно создать директорию для файла\r\n"_cp + file);
    }
    out.SaveToFile(file);
    std::cerr << "corvesta-batch: " << list.Count() << " profiles -> " << batch::U8(file) << "\n";
    if (o.Print) Print(&out);
  });
}

// unno-load [--project DIR] [--quest NAME] [--db FILE] FILE: a result file read back into the
// profile list against its quest's last step (the control text at its head); each profile's
// block written again.
int UnnoLoad(const std::vector<std::string>& Args) {
  TSynthOpts o = Options(Args);
  if (o.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  std::string quest = o.Quest;
  const std::string path = ControlFile(o.File, quest);
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("LOAD " + quest);
  return batch::RunAsJob(job, [&](TJob&) {
    LoadVectorLists(ctx);
    // the control text at the head of a result file has no "#RUN" of its own
    vctx.LVARI->LoadFromFile(quest, path, true);
    vctx.VARI = vctx.LVARI->GetQuestVARI(quest);
    if (!vctx.VARI) ErrAbs("unno-load: в файле нет шагов квеста "_cp + quest);
    list.LoadFromFile(path, vctx.VARI->NK);
    std::cerr << "corvesta-batch: " << list.Count() << " profiles\n";
    for (int32_t i = 0; i < list.Count(); ++i) Print(UnnoReport(*list.Items(i)).get());
  });
}

const TBatchCommand kSynth{
    "synth", "synth [--project DIR] [--quest NAME] [--db FILE] [--out FILE] [--print] [--warn] FILE",
    Synth};
const TBatchCommand kUnnoLoad{"unno-load",
                              "unno-load [--project DIR] [--quest NAME] [--db FILE] FILE",
                              UnnoLoad};
}  // namespace
