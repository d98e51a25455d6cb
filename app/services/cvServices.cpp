#include "app/services/cvServices.h"

#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/AppLinks.h"
#include "linedata/cvLDServices.h"
#include "scans/cvScanServices.h"
#include "models/cvModServices.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/fit/cvFitReports.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/transfer/cvPlam.h"
#include "models/cvLines.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/physics/cvPhysDepth.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvZeeman.h"
#include "foundation/cvSayer.h"
#include "foundation/cvTunes.h"
#include "plotting/cvGRAD.h"

namespace {
// A folder of the working-directory table, or Default below the root when the table has no row.
std::string LineDataFolder(const std::string& Module, const std::string& Func,
                           const std::string& Default) {
  if (cvDirs)
    for (const TcvDirRec& r : cvDirs->Items)
      if (r.Module == Module && r.Func == Func) return cvDirList(Module, Func);
  return App ? App->sRoot + Default : Default;
}

// What every computing library takes of the frame alike: the root, the working-directory table,
// the fatal path and files opened in the editor at a line.
template <class TServices>
void InstallFrameBasics(TServices& S) {
  S.Root.Install([] { return App ? App->sRoot : std::string(); });
  S.DirOf.Install([](const std::string& M, const std::string& F) { return cvDirList(M, F); });
  S.Fatal = [](const std::string& Text) {
    if (App) App->Fatal(Text);
  };
  S.OpenAt.Install(CILErrToEditor);
}
}  // namespace

void InstallLineDataServices() {
  TLineDataServices& S = LineData();
  InstallFrameBasics(S);
  S.NewSaveDir.Install([] { return App ? App->NewSaveDir() : std::string(); });
  S.LastSaveDir.Install([] { return App ? App->GetSaveDirLast() : std::string(); });
  S.ProjectDir.Install([] { return App ? App->sProjDir : std::string(); });
  S.Quest.Install([] { return App ? App->sQuest : std::string(); });
  // the folders of the Kurucz band files and of the line files: rows of the working-directory
  // table when it has them, else below the root
  S.KuruczFolder.Install([] { return LineDataFolder("LIN", "KURUCZ", "KURUCZ/"); });
  S.LineFilesFolder.Install([] { return LineDataFolder("LIN", "LWFILES", "LW/"); });
  S.Progress.Install([](const std::string& Text) {
    if (App && App->Inf) {
      App->Inf->LogStr("UM", Text);
      App->Inf->RedrawIfDirty();
    }
  });
  S.ShowList.Install([](const std::string& Title, const TStringList& List) {
    if (Ed)
      Ed->EdLoadSL(Title, &List);
    else
      cvlink::NotAvailable("TcvEd.EdLoadSL");
  });
  S.ZeePattern.Install(ZeePatternNumbers);
  // the unit's start makes the loaded line list and the last line; its end frees them
  applinks::LLIDALink().Create = [] {
    if (!LLIDA) LLIDA = new TLLIDA();
  };
  applinks::LLIDALink().Free = [] {
    delete LLIDA;
    LLIDA = nullptr;
  };
  applinks::LILastLink().Create = [] {
    if (!LILast) LILast = new TLIDA();
  };
  applinks::LILastLink().Free = [] {
    delete LILast;
    LILast = nullptr;
  };
}

void InstallScanServices() {
  TScanServices& S = Scans();
  S.DataRoot.Install([] {
    static const std::string root = DefaultScanRoot(App ? App->sRoot + "FITS/" : std::string());
    return root;
  });
}

void InstallModelServices() {
  applinks::LVARILink() = {MakeVariatorList, FreeVariatorList};
  applinks::VARIWHMLink() = {MakeWidthVariator, FreeWidthVariator};
  InstallFrameBasics(Models());
  Models().FileOf.Install([](const std::string& M, const std::string& F, const std::string& Name) {
    return cvDirListFile(M, F, Name);
  });
  Models().ProjectDir.Install([] { return App ? App->sProjDir : std::string(); });
  Models().LinListIds.Install([](const TVARIATOR& V) {
    return LinListIdsOf(const_cast<TVARIATOR&>(V));
  });
  Models().MemoTestAdd.Install([](const std::string& Text) { applinks::MemoTestAdd(Text); });
  Models().ShowReport.Install([](const std::string& Title, const TStringList& List) {
    if (Ed)
      Ed->EdLoadSL(Title, &List);
    else
      cvlink::NotAvailableQuiet("TcvEd.EdLoadSL");
  });
  // the lg gf sources of the running combination
  LineData().LGGFSrcList.Install([] {
    TVARIATOR* V = VariCtx().VARI;
    return V ? V->GetS0("#LGGFSrc") : std::string();
  });
  // the line's vectors after a band-file builder's single-line run
  LineData().DropLineVectors.Install([] { Keeper().DelLineVeMo(); });
  InstallDepthPhysics();
}

void InstallSynthesisServices() {
  Synthesis().Quest.Install([] { return App ? App->sQuest : std::string(); });
  Synthesis().SetQuest.Install([](const std::string& Q) {
    if (App) App->sQuest = Q;
  });
  Synthesis().ProjectName.Install([] { return App ? App->sProject : std::string(); });
  Synthesis().Calc.ConstVD = [] { return Cont().ConstVD; };
  Synthesis().OpenAt.Install(CILErrToEditor);
  Synthesis().AppendResults.Install(
      [] { return App && App->TunCommon && App->TunCommon->Flag("AppendResults"); });
  Synthesis().GridSetting.Install(
      [] { return App && App->TunCommon ? App->TunCommon->GetIntDef("GridThreads", 0) : 0; });
  // the transfer routines behind the preparation's and the fixed-grid driver's links
  InstallTransferKernels();
  // the line data's reference-model runs
  InstallReferenceRuns();
  // the line labels and the W/D write-back of the line fitting
  InstallFitServices();
  // the profile list of the unit start
  applinks::LUNNOLink().Create = [] {
    if (!LUNNO) LUNNO = new TLUNNO();
  };
  applinks::LUNNOLink().Free = [] {
    delete LUNNO;
    LUNNO = nullptr;
  };
}

void InstallPlotServices() {
  TPlotServices& S = Plotting();
  S.Warn = [](const std::string& Text) { WARNAbs(Text); };
}

namespace {
// The model layer's services and the makers of its lists are in place before main() runs, so
// that the unit start (cvDirsUnitStart) makes LVARI and VARIWHM whatever the order of the
// start-up's steps. The providers reach the application object only when called.
const bool kModelServices = (InstallModelServices(), true);
const bool kSynthesisServices = (InstallSynthesisServices(), true);
}  // namespace

void CopyOptionTemplates() {
  if (!cvDirs) return;
  for (const TcvDirRec& r : cvDirs->Items)
    if (r.Func == "OTL" && r.Base == "PROJ" && r.FKind == 'S') cvDirs->CheckByTPL(r.Module, r.Func);
}
