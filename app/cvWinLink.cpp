#include "app/cvWinLink.h"

#include "app/cvCtrlUtil.h"
#include "app/cvGLib.h"
#include "foundation/cvLink.h"
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

void TMainWindowLink::DbgWheelUp() { cvlink::NotAvailable("TCorvesta.DbgWheelUp"); }
void TMainWindowLink::DbgWheelDown() { cvlink::NotAvailable("TCorvesta.DbgWheelDown"); }
void TMainWindowLink::EdTuneListShow() { cvlink::NotAvailable("TCorvesta.EdTuneListShow"); }
void TMainWindowLink::EdTuneListHide() { cvlink::NotAvailable("TCorvesta.EdTuneListHide"); }
void TMainWindowLink::RichSelSizeDec() { cvlink::NotAvailable("TCorvesta.RichSelSizeDec"); }
void TMainWindowLink::RichSelSizeInc() { cvlink::NotAvailable("TCorvesta.RichSelSizeInc"); }
void TMainWindowLink::RichSelToggleSymbol() {
  cvlink::NotAvailable("TCorvesta.RichSelToggleSymbol");
}

// ---------------------------------------------------------------- the tabs' links

bool TGIFTabLink::PointInPanelGIF() {
  const TRect R = MainWindowLink().ScreenRect("PanelGIF");
  return !R.IsEmpty() && PointInRect(R, platform::CursorScreenPos());
}

void TGIFTabLink::GIFOrigXInc() { cvlink::NotAvailable("TCorvesta.GIFOrigXInc"); }
void TGIFTabLink::GIFOrigYInc() { cvlink::NotAvailable("TCorvesta.GIFOrigYInc"); }
void TGIFTabLink::GIFOrigXDec() { cvlink::NotAvailable("TCorvesta.GIFOrigXDec"); }
void TGIFTabLink::GIFOrigYDec() { cvlink::NotAvailable("TCorvesta.GIFOrigYDec"); }
void TGIFTabLink::CurrentMove() { cvlink::NotAvailable("TCorvesta.CurrentMove"); }
void TGIFTabLink::DrawGIFGuideLines() { cvlink::NotAvailable("TCorvesta.DrawGIFGuideLines"); }
void TUnnoTabLink::UnnoPagePrev() { cvlink::NotAvailable("TCorvesta.UnnoPagePrev"); }
void TUnnoTabLink::UnnoPageNext() { cvlink::NotAvailable("TCorvesta.UnnoPageNext"); }
