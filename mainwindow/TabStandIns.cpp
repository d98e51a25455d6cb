#include "mainwindow/TabStandIns.h"

#include <QBoxLayout>

#include "app/cvApp.h"
#include "app/cvInf.h"
#include "foundation/cvLink.h"
#include "app/AppLinks.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "plotting/cvGRAD.h"
#include "synthesis/profiles/cvLUnno.h"

namespace standin {

platform::TLabel* AddNotice(const TCorvestaTab& Tab) {
  platform::TTabSheet* S = Tab.Sheet();
  if (!S) return nullptr;
  auto* L = new platform::TLabel(S);
  L->setObjectName(QString::fromStdString(Tab.PageName() + "Notice"));
  L->SetCaption(cvlink::NotAvailableText(Tab.Caption()));
  L->SetWordWrap(true);
  if (auto* B = qobject_cast<QBoxLayout*>(platform::FormLayoutOf(S, 'v')))
    B->insertWidget(0, L);
  else
    L->move(0, 0);
  return L;
}

bool NoteInPanel(const TCorvestaTab& Tab) {
  if (!App || !App->Inf) return false;
  App->Inf->LogStr("UM", cvlink::NotAvailableText(Tab.Caption()));
  return true;
}

}  // namespace standin

void TTabCORA::SetViewTimer(bool On) { Shell.ViewTimer->SetEnabled(On); }

TTabCORA::~TTabCORA() { mainlinks::Hooks().DrawContourPlot.Reset(); }

void TTabCORA::RegisterHandlers(platform::THandlerRegistry& H) {
  TTabStandIn::RegisterHandlers(H);
  CV_HANDLER(H, ViewTimerTimer);
  mainlinks::Hooks().DrawContourPlot.Install([this](const std::string& F) { ReadAndDrow(F); });
}

void TTabCORA::ReadAndDrow(const std::string& FileName) {
  Shell.ViewTimer->SetEnabled(false);
  auto C = std::make_unique<TCORA>();
  C->ReadFile(FileName);
  CurCORA = std::move(C);
  if (CurCORA->Animated()) {
    if (App && App->Inf) App->Inf->LogStr("UM", "CORA " + CurCORA->FrameLabel());
    Shell.ViewTimer->SetInterval(CurCORA->Interval > 0 ? CurCORA->Interval : 100);
    Shell.ViewTimer->SetEnabled(true);
  } else {
    DrawCurrent();
  }
}

void TTabCORA::ViewTimerTimer(TSender) {
  if (!CurCORA || !Active()) {
    Shell.ViewTimer->SetEnabled(false);
    return;
  }
  CurCORA->Tick();
  DrawCurrent();
}

void TTabCORA::DrawCurrent() {
  if (!CurCORA || !LUNNO || !ImageCORA) return;
  // the profile list belongs to a running job: the frame waits for the next tick
  if (Jobs.Busy()) return;
  if (App && App->Inf) App->Inf->LogStr("UM", "CORA " + CurCORA->FrameLabel());
  const TFrameDone F = CurCORA->DRAWI(ImageCORA->Canvas(), *LUNNO, EnsureGRAF());
  ImageCORA->update();
  if (F.StopTimer) Shell.ViewTimer->SetEnabled(false);
}
