#include "mainwindow/GraphScriptLink.h"

#include "app/cvApp.h"
#include "foundation/cvFile.h"
#include "foundation/cvStrList.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/TabZee.h"
#include "platform/qt/FormControls.h"
#include "plotting/cvGPlayer.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

// Gives the picture window its device back when the play took it, on every way out.
class TPictRebind {
 public:
  explicit TPictRebind(const TGRAF& G) : Was_(G.OwnerName == "TFPict") {}
  ~TPictRebind() {
    if (!Was_ || !FPict || !FPict->Plotter()) return;
    try {
      FPict->Rebind();
    } catch (...) {
    }
  }
  TPictRebind(const TPictRebind&) = delete;
  TPictRebind& operator=(const TPictRebind&) = delete;

 private:
  bool Was_;
};

}  // namespace

void PlayGraphOnCORA(const std::string& FileName) {
  if (!Corvesta) return;
  platform::TImage* Img = Corvesta->CORATab().ImageCORA;
  TGPlayer& P = EnsureGPlayer();
  TGRAF& G = *P.Graf;
  platform::TCanvas* Canvas = &Img->Canvas();
  TPictRebind Back(G);
  if (!P.IsReady()) P.SetDevFile(PathJoin(App ? App->sRoot : std::string(), "GRAD/graddev.dat"));
  if (!P.IsReady() || !G.CheckStarted("") || G.TargetCanvas != Canvas) {
    G.SetOwner("");
    P.DevDefine(Canvas);
    if (G.TargetCanvas != Canvas) return;  // no description file: warned
  }
  TStringList Vars;
  if (App) Vars.Add("ROOT " + App->sRoot);
  P.PlayFile(FileName, &Vars);
  Img->update();
}

void InstallGraphScriptLink() {
  mainlinks::Hooks().PlayGraphicsScript.Install(
      [](const std::string& File) { PlayGraphOnCORA(File); });
}
