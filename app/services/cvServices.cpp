#include "app/services/cvServices.h"

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "linedata/cvLDServices.h"
#include "scans/cvScanServices.h"
#include "models/cvModServices.h"
#include "foundation/cvSayer.h"
#include "plotting/cvGRAD.h"

void InstallLineDataServices() {
  TLineDataServices& S = LineData();
  S.Root.Install([] { return App ? App->sRoot : std::string(); });
  S.DirOf.Install([](const std::string& M, const std::string& F) { return cvDirList(M, F); });
  S.NewSaveDir.Install([] { return App ? App->NewSaveDir() : std::string(); });
  S.LastSaveDir.Install([] { return App ? App->GetSaveDirLast() : std::string(); });
  S.Fatal = [](const std::string& Text) {
    if (App) App->Fatal(Text);
  };
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
  S.OpenAt.Install(CILErrToEditor);
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
  TModelServices& S = Models();
  S.Root.Install([] { return App ? App->sRoot : std::string(); });
  S.DirOf.Install([](const std::string& M, const std::string& F) { return cvDirList(M, F); });
  S.Fatal = [](const std::string& Text) {
    if (App) App->Fatal(Text);
  };
  S.OpenAt.Install(CILErrToEditor);
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
}  // namespace

void CopyOptionTemplates() {
  if (!cvDirs) return;
  for (const TcvDirRec& r : cvDirs->Items)
    if (r.Func == "OTL" && r.Base == "PROJ" && r.FKind == 'S') cvDirs->CheckByTPL(r.Module, r.Func);
}
