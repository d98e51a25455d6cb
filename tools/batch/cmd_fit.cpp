// Line-fitting commands of the harness: the Di tables as the Di page shows them (di-show), the
// variator "Make VARI" builds from them (di-vari), the Dialog page of a DIA run (dia-show), and
// five-angle observation files written from a quest's computed profiles (sun69-write; the demo
// files and the tests' observations are made with it), and the bundled synthetic atlas fragments
// written the same way (atlas-write).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <algorithm>
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

// The profile of U relative to its continuum at wavelength L (linear between the computed
// points; 1 outside them).
double RelAt(const TUNNO& U, const TARe& Lam, const TARe& I, double L) {
  const size_t n = std::min(Lam.size(), I.size());
  if (n < 3 || L < Lam[1] || L > Lam[n - 1]) return 1;
  size_t j = 1;
  while (j + 1 < n && Lam[j + 1] < L) ++j;
  if (j + 1 >= n) return U.Rel(I[n - 1]);
  const double t = (L - Lam[j]) / (Lam[j + 1] - Lam[j]);
  return U.Rel(I[j]) * (1 - t) + U.Rel(I[j + 1]) * t;
}

// atlas-write [--project DIR] NAME ROOT: quest NAME run (lines at the ten cosines 1 .. 0.1, the
// cosines the last dimension), then the synthetic atlas fragments below ROOT: the centre-to-limb
// file ATLAS/2017_Dorvell/clv-ss3-v1.txt (6300.5-6303.5 A every 0.02 A: three header lines,
// then the wavelength, the disk-centre intensity and the nine ratios I(mu)/I(1) for mu 0.1 ..
// 0.9) and the wavenumber file ATLAS/spot4atl/sp15850 (cm^-1 in air corrected as the Start
// tab's "Use nAir" takes them; the intensity at mu 1 and a correction factor 1, twice, for the
// hot and the cold umbra's columns; a first line "0 ..." that no window takes). The lines' depressions multiply where they overlap.
int AtlasWrite(const std::vector<std::string>& Args) {
  const TFitOpts o = Options(Args, true);
  if (o.Bad) return batch::Usage();
  return RunQuestThen(o, [&](TJob&, TLUNNO& list) {
    std::map<std::string, std::vector<TUNNO*>> byLine;
    for (int32_t i = 0; i < list.Count(); ++i) {
      TUNNO* U = list.Items(i);
      if (U->QUEST == o.Name) byLine[U->sULin].push_back(U);
    }
    struct TProf {
      const TUNNO* U;
      TARe L, I;
    };
    std::vector<std::vector<TProf>> lines;  // per line, per cosine 1 .. 0.1
    for (auto& [lin, us] : byLine) {
      if (us.size() != 10) ErrAbs("atlas-write: " + lin + ": " + IntStr(static_cast<int32_t>(us.size())) +
                                  " profiles, 10 wanted");
      std::vector<TProf> v(10);
      for (size_t k = 0; k < 10; ++k) {
        v[k].U = us[k];
        us[k]->GetFullLam(v[k].L);
        us[k]->CopyUFull('I', v[k].I);
      }
      lines.push_back(std::move(v));
    }
    if (lines.empty()) ErrAbs("atlas-write: no profiles of quest " + o.Name);
    // intensity at cosine index k (0: mu 1) in units of the disk-centre continuum
    auto at = [&](double L, size_t k) {
      double r = 1;
      for (const auto& v : lines) r *= RelAt(*v[k].U, v[k].L, v[k].I, L);
      const TUNNO& u0 = *lines[0][0].U;
      const TUNNO& uk = *lines[0][k].U;
      return u0.CONT != 0 ? r * uk.CONT / u0.CONT : r;
    };
    char b[128];
    const std::string root = o.Out + "/ATLAS/";
    std::filesystem::create_directories(root + "2017_Dorvell");
    std::filesystem::create_directories(root + "spot4atl");
    {
      std::ofstream f(root + "2017_Dorvell/clv-ss3-v1.txt", std::ios::binary);
      f << "SYNTHETIC centre-to-limb atlas fragment: HSRA, Fe I 6301.5 and 6302.5, quest "
        << batch::U8(o.Name) << " (corvesta-batch atlas-write)\n";
      f << "columns: lambda (A), disk-centre intensity / continuum, I(mu)/I(1) for mu 0.1 .. 0.9\n";
      f << "lambda I(1) 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9\n";
      for (int j = 0; j <= 150; ++j) {
        const double L = 6300.5 + 0.02 * j;
        const double y = at(L, 0);
        std::snprintf(b, sizeof b, "%.2f %.5f", L, y);
        f << b;
        for (int c = 3; c <= 11; ++c) {
          std::snprintf(b, sizeof b, " %.5f", at(L, static_cast<size_t>(12 - c)) / y);
          f << b;
        }
        f << "\n";
      }
    }
    {
      const double k = 1.0002766 * 1.0000035;
      std::ofstream f(root + "spot4atl/sp15850", std::ios::binary);
      f << "0 SYNTHETIC wavenumber atlas fragment: HSRA at mu 1, Fe I 6301.5 and 6302.5, quest "
        << batch::U8(o.Name)
        << " (corvesta-batch atlas-write); columns: cm^-1, intensity, factor, intensity, factor\n";
      for (int j = 0; j <= 220; ++j) {
        const double nu = 15857.0 + 0.05 * j;
        const double y = at(1e8 / (k * nu), 0);
        std::snprintf(b, sizeof b, "%.2f %.5f 1.00000 %.5f 1.00000\n", nu, y, y);
        f << b;
      }
    }
    std::cout << "wrote " << root << "2017_Dorvell/clv-ss3-v1.txt\n";
    std::cout << "wrote " << root << "spot4atl/sp15850\n";
  });
}

const TBatchCommand kFitQuest{"fit-quest",
                              "fit-quest [--project DIR] [--db FILE] [--cancel-at TEXT] NAME",
                              FitQuest};
const TBatchCommand kDiShow{"di-show", "di-show [--project DIR] [--db FILE] [--model M] NAME",
                            DiShow};
const TBatchCommand kDiVari{"di-vari", "di-vari [--project DIR] [--db FILE] NAME", DiVari};
const TBatchCommand kDiaShow{"dia-show", "dia-show [--project DIR] [--db FILE] NAME", DiaShow};
const TBatchCommand kAtlasWrite{"atlas-write",
                                "atlas-write [--project DIR] [--db FILE] NAME ROOT", AtlasWrite};
const TBatchCommand kSun69Write{"sun69-write",
                                "sun69-write [--project DIR] [--db FILE] NAME FOLDER", Sun69Write};

}  // namespace
