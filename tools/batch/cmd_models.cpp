// Model-layer commands of the harness: a quest's control file read into its steps, option
// switch files, output depth grids.
#include <iostream>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/cvRout.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "tools/batch/Batch.h"

namespace {

// The program's root and the current project (or the one given), the model services, and the
// option files of the project's OTL folder copied from the root's templates where missing, as
// the window does at start.
void UseModelsRoot(const std::string& Project) {
  batch::UseProgramRoot();
  if (!Project.empty()) {
    App->sProjDir = DirSlash(ExpandFileName(Project));
  } else {
    // the current project of the installation's settings
    TTunes global("Global", FindNoCase(App->sRoot, "cvtunes.ini"));
    const std::string base = SlashPath(global.Get("ProjBasePath"));
    std::string name = SlashPath(global.Get("CurrentProject"));
    if (TrimCtl(base).empty() || TrimCtl(name).empty()) name = "Demo";
    const std::string b = TrimCtl(base).empty() ? std::string("Projects") : base;
    App->sProjDir =
        b[0] == '/' ? FindNoCase(b, name + "/") : FindNoCase(App->sRoot, b + "/" + name + "/");
  }
  InstallModelServices();
  // The editor is not there: the place of a reading error goes to standard error.
  Models().OpenAt.Install(
      [](const std::string&, const std::string& File, int32_t Line, int32_t Pos) {
        std::cerr << "corvesta-batch: " << batch::U8(File) << ":" << Line << ":" << Pos << "\n";
      });
  CopyOptionTemplates();
}

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

// vari [--quest NAME] [--project DIR] [--run-cont] [--warn] FILE: the control file (a name
// like "ONE\demo.DAT" is taken in the project folder) read into the steps of the quest (the
// file's name without extension by default); for each step its variant list, its dump and its
// control text. Ctrl-C stops a long variant list.
int Vari(const std::vector<std::string>& Args) {
  std::string quest, project, file;
  bool runCont = false, warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--quest" && i + 1 < Args.size())
      quest = batch::Cp(Args[++i]);
    else if (Args[i] == "--project" && i + 1 < Args.size())
      project = batch::Cp(Args[++i]);
    else if (Args[i] == "--run-cont")
      runCont = true;
    else if (Args[i] == "--warn")
      warn = true;
    else if (file.empty() && Args[i].rfind("--", 0) != 0)
      file = batch::Cp(Args[i]);
    else
      return batch::Usage();
  }
  if (file.empty()) return batch::Usage();
  if (warn) Sayer->WarnOn();
  UseModelsRoot(project);
  std::string path = SlashPath(file);
  if (!platform::IsRegularFile(path)) path = FindNoCase(App->sProjDir, path);
  if (quest.empty()) {
    std::string folder, bare, ext;
    SplitPath(path, folder, bare, ext);
    quest = bare;
  }
  TOwnVariContext ctx;
  TVariScope scope(ctx);
  TJob job("LVARI.LoadFromFile " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    ctx.LVARI->LoadFromFile(quest, path, runCont);
    const int32_t n = ctx.LVARI->MaxIQ(quest);
    for (int32_t iq = 1; iq <= n && !J.Cancelled(); ++iq) {
      TVARIATOR* v = ctx.LVARI->GetQuestIQVARI(quest, iq);
      if (!v) continue;
      ctx.VARI = v;
      Print(v->VariantList().get());
      if (J.Cancelled()) break;
      Print(v->ReportDump().get());
      Print(v->CtrlTextUse().get());
      std::cout << "\n";
    }
    std::cout << std::flush;
  });
}

// rdot [--project DIR] ROUTINE|FILE: the switches of a routine's option file (or of a file).
int Rdot(const std::vector<std::string>& Args) {
  std::string project, what;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--project" && i + 1 < Args.size())
      project = batch::Cp(Args[++i]);
    else if (what.empty())
      what = batch::Cp(Args[i]);
    else
      return batch::Usage();
  }
  if (what.empty()) return batch::Usage();
  UseModelsRoot(project);
  TJob job("RDOT " + what);
  return batch::RunAsJob(job, [&](TJob&) {
    const std::string file = what.find_first_of("/\\.") == std::string::npos
                                 ? Models().DirOf(what, "OTL")
                                 : SlashPath(what);
    int32_t mask = 0;
    std::string title;
    RDOT(file, mask, title);
    std::cout << batch::U8(file) << "\n"
              << "title=" << batch::U8(title) << " mask=" << mask << " "
              << IntBin(static_cast<uint32_t>(mask)) << "\n";
  });
}

// rout N: output depth grid N of the ROUT file.
int Rout(const std::vector<std::string>& Args) {
  if (Args.size() != 1) return batch::Usage();
  int32_t code = 0;
  const int32_t n = ValIntCode(Args[0], code);
  if (code != 0) return batch::Usage();
  UseModelsRoot(std::string());
  TJob job("LoadRout " + Args[0]);
  return batch::RunAsJob(job, [&](TJob&) {
    TARe grid;
    LoadRout(n, grid);
    std::cout << "points=" << grid.size() - 1 << "\n";
    for (size_t i = 1; i < grid.size(); ++i) std::cout << ShortSt(6, grid[i]) << "\n";
  });
}

const TBatchCommand kVari{"vari", "vari [--quest NAME] [--project DIR] [--run-cont] [--warn] FILE",
                          Vari};
const TBatchCommand kRdot{"rdot", "rdot [--project DIR] ROUTINE|FILE", Rdot};
const TBatchCommand kRout{"rout", "rout N", Rout};

}  // namespace
