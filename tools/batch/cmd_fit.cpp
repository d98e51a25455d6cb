// Line-fitting commands of the harness: the Di tables as the Di page shows them (di-show), the
// variator "Make VARI" builds from them (di-vari), the Dialog page of a DIA run (dia-show), and
// five-angle observation files written from a quest's computed profiles (sun69-write; the demo
// files and the tests' observations are made with it).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvFitState.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

struct TFitOpts {
  std::string Project, Db, Name, Out;
  std::string CancelAt;  // the job is cancelled at its first progress text beginning so
  int32_t Model = -1;
  bool Warn = false, Bad = false;
};

TFitOpts Options(const std::vector<std::string>& Args, bool WantOut) {
  TFitOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    auto value = [&](std::string& To) {
      if (i + 1 < Args.size()) To = batch::Cp(Args[++i]); else o.Bad = true;
    };
    if (a == "--project") value(o.Project);
    else if (a == "--db") value(o.Db);
    else if (a == "--warn") o.Warn = true;
    else if (a == "--cancel-at") value(o.CancelAt);
    else if (a == "--model") {
      std::string m;
      value(m);
      int32_t code = 0;
      o.Model = ValIntCode(m, code);
      if (code != 0) o.Bad = true;
    } else if (a.rfind("--", 0) == 0) o.Bad = true;
    else if (o.Name.empty()) o.Name = batch::Cp(a);
    else if (WantOut && o.Out.empty()) o.Out = a;
    else o.Bad = true;
  }
  if (o.Name.empty() || (WantOut && o.Out.empty())) o.Bad = true;
  return o;
}

bool Setup(const TFitOpts& O) {
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
  Models().MemoTestAdd.Install([](const std::string& Text) { Sayer->ChanLog(-1, Text); });
  CopyOptionTemplates();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, O.Db);
}

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

// Runs quest O.Name in contexts of the command's own, then Then (inside the job).
int RunQuestThen(const TFitOpts& O, const std::function<void(TJob&, TLUNNO&)>& Then) {
  if (!Setup(O)) return 1;
  App->sQuest = O.Name;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("RUN " + O.Name);
  return batch::RunAsJob(job, [&](TJob& J) {
    if (!O.CancelAt.empty()) {
      auto shown = J.OnProgress;
      J.OnProgress = [&J, shown, at = O.CancelAt](const TJobProgress& P) {
        if (shown) shown(P);
        if (P.Text.rfind(at, 0) == 0) J.Cancel();
      };
    }
    LoadVectorLists(ctx);
    TQuestText text;
    if (!LoadAndRunOne(J, O.Name, list, text)) {
      if (!J.Cancelled()) ErrAbs("квест "_cp + O.Name + " не запущен"_cp);
      return;
    }
    Print(&text.Text);
    Then(J, list);
  });
}

// fit-quest [--project DIR] [--cancel-at TEXT] NAME: quest NAME run as run-quest runs it (its
// text results printed), cancelled at the first progress text that begins with TEXT.
int FitQuest(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, false);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [](TJob&, TLUNNO& list) {
    std::cerr << "corvesta-batch: " << list.Count() << " profiles\n";
  });
}

// di-show [--project DIR] [--model M] NAME: quest NAME run (its DI step fills the tables), then
// the Di page as TDi.UpDate writes it for component M (the tables' current one by default),
// control by control and grid row by grid row, and the corrected component number.
int DiShow(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, false);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [&](TJob&, TLUNNO&) {
    TDi& D = Di();
    int32_t m = o.Model >= 0 ? o.Model : D.CurMod;
    TPageView page;
    D.UpDate(page, m, ModelFileNames());
    Print(page.Dump().get());
    std::cout << "nCase=" << D.nCase << " nMod=" << D.nMod << " nLin=" << D.nLin
              << " nLams=" << D.nLams << " nAt=" << D.nAt << " model=" << m << "\n";
  });
}

// di-vari [--project DIR] NAME: quest NAME run (its DI step fills the tables), then "Make VARI":
// the four builders on a fresh variator, each call to the variator as the builders made it, and
// the variator's control text and combination count.
int DiVari(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, false);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [&](TJob&, TLUNNO&) {
    TVARIATOR V(o.Name + "_DI", 1);
    TStringList calls;
    const bool ok = Di().MakeVari(V, &calls);
    for (int i = 0; i < calls.Count(); ++i) std::cout << "call " << batch::U8(calls[i]) << "|\n";
    Print(V.CtrlTextAll().get());
    std::cout << "NK=" << V.NK << (ok ? "" : " stopped") << "\n";
  });
}

// dia-show [--project DIR] NAME: quest NAME run (its DIA step builds the Dialog page), then the
// page: every control (texts, items, track positions, tops) and the observation grid.
int DiaShow(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, false);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [&](TJob&, TLUNNO&) {
    const TPageView& P = DialogPage();
    Print(P.Dump().get());
    std::cout << "visible=" << (P.Visible ? 1 : 0) << "\n";
  });
}

// sun69-write [--project DIR] NAME FOLDER: quest NAME run, then one five-angle file per line
// ("<line>.txt" in FOLDER) from its computed profiles: the line, its wavelength, the five mu of
// its profiles (0.436 written as 0.44) and the full-form rows (offset in mA, intensity x 1000).
int Sun69Write(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, true);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [&](TJob&, TLUNNO& list) {
    std::map<std::string, std::vector<TUNNO*>> byLine;
    std::vector<std::string> order;
    for (int32_t i = 0; i < list.Count(); ++i) {
      TUNNO* U = list.Items(i);
      if (U->QUEST != o.Name) continue;
      if (!byLine.count(U->sULin)) order.push_back(U->sULin);
      byLine[U->sULin].push_back(U);
    }
    std::filesystem::create_directories(o.Out);
    for (const std::string& lin : order) {
      const std::vector<TUNNO*>& us = byLine[lin];
      if (us.size() != 5) ErrAbs("sun69-write: " + lin + ": " + IntStr(static_cast<int32_t>(us.size())) +
                                 " profiles, 5 wanted");
      const std::string path = o.Out + "/" + batch::U8(lin) + ".txt";
      std::ofstream f(path, std::ios::binary);
      char b[64];
      f << "! " << batch::U8(lin) << ": five-angle profiles computed by quest " << batch::U8(o.Name)
        << "\r\n";
      f << batch::U8(lin) << "\r\n";
      std::snprintf(b, sizeof b, "%s %.4f", batch::U8(lin.substr(0, 2)).c_str(), us[0]->LAMB);
      f << b << "\r\n";
      for (size_t k = 0; k < 5; ++k) {
        const double mu = us[k]->MJU == 0.436 ? 0.44 : us[k]->MJU;
        std::snprintf(b, sizeof b, "%s%.2f", k ? " " : "", mu);
        f << b;
      }
      f << "\r\n";
      std::vector<TARe> L(5), I(5);
      for (size_t k = 0; k < 5; ++k) {
        us[k]->GetFullLam(L[k]);
        us[k]->CopyUFull('I', I[k]);
      }
      for (size_t j = 1; j < L[0].size(); ++j) {
        std::snprintf(b, sizeof b, "%7.1f", (L[0][j] - us[0]->LAMB) * 1000);
        f << b;
        for (size_t k = 0; k < 5; ++k) {
          const double r = j < I[k].size() ? us[k]->Rel(I[k][j]) : 1;
          std::snprintf(b, sizeof b, "%5ld", std::lround(r * 1000));
          f << b;
        }
        f << "\r\n";
      }
      std::cout << "wrote " << path << "\n";
    }
  });
}

const TBatchCommand kFitQuest{"fit-quest",
                              "fit-quest [--project DIR] [--db FILE] [--cancel-at TEXT] NAME",
                              FitQuest};
const TBatchCommand kDiShow{"di-show", "di-show [--project DIR] [--db FILE] [--model M] NAME",
                            DiShow};
const TBatchCommand kDiVari{"di-vari", "di-vari [--project DIR] [--db FILE] NAME", DiVari};
const TBatchCommand kDiaShow{"dia-show", "dia-show [--project DIR] [--db FILE] NAME", DiaShow};
const TBatchCommand kSun69Write{"sun69-write",
                                "sun69-write [--project DIR] [--db FILE] NAME FOLDER", Sun69Write};

}  // namespace
