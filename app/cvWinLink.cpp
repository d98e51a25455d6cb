#include "app/cvWinLink.h"

#include "app/AppLinks.h"
#include "app/cvCtrlUtil.h"
#include "app/cvGLib.h"
#include "platform/Controls.h"

namespace {

TMainWindowLink NeutralLink;
TMainWindowLink* Installed = nullptr;

}  // namespace

TMainWindowLink& MainWindowLink() { return Installed ? *Installed : NeutralLink; }

TMainWindowLink* SetMainWindowLink(TMainWindowLink* Link) {
  TMainWindowLink* Old = Installed;
  Installed = Link;
  return Old;
}

platform::TControl* TMainWindowLink::Control(const std::string& Name) {
  return FormComponentByName(Form(), Name);
}

std::string TMainWindowLink::ActivePageName() {
  platform::TControl* PC = Control("PageControl");
  platform::TControl* P = PC ? PC->ActivePage() : nullptr;
  return P ? P->Name() : std::string();
}

void TMainWindowLink::ShowPage(const std::string& Name) { ShowPageByName(Control("PageControl"), Name); }

void TMainWindowLink::FocusControl(const std::string& Name) {
  if (platform::TControl* C = Control(Name)) C->SetFocus();
}

std::string TMainWindowLink::ControlText(const std::string& Name) {
  platform::TControl* C = Control(Name);
  return C ? C->Text() : std::string();
}

void TMainWindowLink::SetControlText(const std::string& Name, const std::string& Text) {
  if (platform::TControl* C = Control(Name)) C->SetText(Text);
}

int32_t TMainWindowLink::ItemIndex(const std::string& Name) {
  platform::TControl* C = Control(Name);
  return C ? C->ItemIndex() : -1;
}

void TMainWindowLink::SetItemIndex(const std::string& Name, int32_t Index) {
  if (platform::TControl* C = Control(Name)) C->SetItemIndex(Index);
}

bool TMainWindowLink::PointInPanelGIF() {
  const TRect R = ScreenRect("PanelGIF");
  return !R.IsEmpty() && PointInRect(R, platform::CursorScreenPos());
}

void TMainWindowLink::DbgWheelUp() { applinks::NotAvailable("TCorvesta.DbgWheelUp"); }
void TMainWindowLink::DbgWheelDown() { applinks::NotAvailable("TCorvesta.DbgWheelDown"); }
void TMainWindowLink::EdTuneListShow() { applinks::NotAvailable("TCorvesta.EdTuneListShow"); }
void TMainWindowLink::EdTuneListHide() { applinks::NotAvailable("TCorvesta.EdTuneListHide"); }
void TMainWindowLink::GIFOrigXInc() { applinks::NotAvailable("TCorvesta.GIFOrigXInc"); }
void TMainWindowLink::GIFOrigYInc() { applinks::NotAvailable("TCorvesta.GIFOrigYInc"); }
void TMainWindowLink::GIFOrigXDec() { applinks::NotAvailable("TCorvesta.GIFOrigXDec"); }
void TMainWindowLink::GIFOrigYDec() { applinks::NotAvailable("TCorvesta.GIFOrigYDec"); }
void TMainWindowLink::CurrentMove() { applinks::NotAvailable("TCorvesta.CurrentMove"); }
void TMainWindowLink::DrawGIFGuideLines() { applinks::NotAvailable("TCorvesta.DrawGIFGuideLines"); }
void TMainWindowLink::UnnoPagePrev() { applinks::NotAvailable("TCorvesta.UnnoPagePrev"); }
void TMainWindowLink::UnnoPageNext() { applinks::NotAvailable("TCorvesta.UnnoPageNext"); }
void TMainWindowLink::RichSelSizeDec() { applinks::NotAvailable("TCorvesta.RichSelSizeDec"); }
void TMainWindowLink::RichSelSizeInc() { applinks::NotAvailable("TCorvesta.RichSelSizeInc"); }
void TMainWindowLink::RichSelToggleSymbol() {
  applinks::NotAvailable("TCorvesta.RichSelToggleSymbol");
}
