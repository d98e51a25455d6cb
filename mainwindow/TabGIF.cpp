#include "mainwindow/TabGIF.h"

#include "mainwindow/FormCells.h"

#include <QLayout>

#include "app/cvApp.h"
#include "app/cvGLib.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "mainwindow/Corvesta.h"
#include "platform/Colors.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "plotting/gif/cvGIF.h"

namespace {

constexpr uint32_t kBlue = 0xFF0000;   // $FF0000: the guide lines
constexpr uint32_t kBlack = 0x000000;  // the reference lines (the canvas's pen)

using formcells::ReadInt;
using formcells::ReadReal;

std::string XY(int32_t X, int32_t Y) { return IntStr(X) + ":" + IntStr(Y); }

}  // namespace

TTabGIF::TTabGIF(TCorvesta& Shell) : TFormTab(Shell) {
  BackColor = [] {
    int32_t c = 0;
    if (App && App->TunPict && ReadInt(App->TunPict->Get("clBk"), c)) return uint32_t(c);
    return uint32_t(0x0000FF);  // clRed
  };
}

void TTabGIF::RegisterHandlers(platform::THandlerRegistry& H) {
  TFormTab::RegisterHandlers(H);
  CV_HANDLER(H, btCORAgifClick);
  CV_HANDLER(H, edGIForigXExit);
  CV_HANDLER(H, edGIForigYExit);
  CV_HANDLER(H, btGIF_xLClick);
  CV_HANDLER(H, btGIF_xRClick);
  CV_HANDLER(H, btGIF_yDClick);
  CV_HANDLER(H, btGIF_yUClick);
  CV_HANDLER(H, btSetBackBMPClick);
  CV_HANDLER(H, btFlipClick);
  CV_HANDLER(H, btKGIF_1Click);
  CV_HANDLER(H, btGIFyReperClick);
}

// ---------------------------------------------------------------- show and leave

void TTabGIF::TabGIFShow() {
  if (!Pics.Pict) edNmGIF->SetText("");
  if (!Pics.Back) edNmGIFbk->SetText("");
  // ImageCORA onto this sheet
  if (auto* img = Shell.Registry.As<QWidget>("ImageCORA"); img && img->parentWidget() != PanelGIFPlace) {
    imageHome_ = img->parentWidget();
    img->setParent(PanelGIFPlace);
    if (PanelGIFPlace->layout()) PanelGIFPlace->layout()->addWidget(img);
    img->show();
  }
  if (App && App->TunPict) {
    const std::string kx = App->TunPict->Get("GIFkX"), ky = App->TunPict->Get("GIFkY");
    if (!kx.empty()) edGIFkX->SetText(kx);
    if (!ky.empty()) edGIFkY->SetText(ky);
  }
  lbBkFornax->SetCaption(XY(Work.MirrorX, BkY));
  if (QLayout* L = Sheet() ? Sheet()->layout() : nullptr) L->activate();
  SyncPanel();
}

void TTabGIF::Hide() {
  SaveGIFTunes();
  // ImageCORA back where it came from (its own sheet takes it again when shown)
  auto* img = Shell.Registry.As<QWidget>("ImageCORA");
  if (!img || !imageHome_ || img->parentWidget() != PanelGIFPlace) return;
  img->setParent(imageHome_);
  if (QLayout* L = imageHome_->layout()) {
    if (auto* B = qobject_cast<QBoxLayout*>(L))
      B->insertWidget(0, img, 1);
    else
      L->addWidget(img);
  }
  img->show();
  imageHome_ = nullptr;
}

void TTabGIF::TabGIFExit() { SaveGIFTunes(); }

void TTabGIF::SaveGIFTunes() {
  if (!App || !App->TunPict) return;
  App->TunPict->Set("GIFkX", edGIFkX->Text());
  App->TunPict->Set("GIFkY", edGIFkY->Text());
}

void TTabGIF::SyncPanel() {
  auto* img = Shell.Registry.As<QWidget>("ImageCORA");
  // only while the picture is on this sheet
  if (!img || img->parentWidget() != PanelGIFPlace || !PanelGIF->parentWidget()) return;
  const QPoint TL = PanelGIF->parentWidget()->mapFromGlobal(img->mapToGlobal(QPoint(0, 0)));
  PanelGIF->setGeometry(TL.x(), TL.y(), img->width(), img->height());
}

void TTabGIF::ResizeGIFBitmaps(int32_t, int32_t) { SyncPanel(); }

bool TTabGIF::PointInPanelGIF() {
  SyncPanel();
  return TGIFTabLink::PointInPanelGIF();
}

// ---------------------------------------------------------------- opening

void TTabGIF::btCORAgifClick(TSender) {
  double k = 0;
  for (platform::TEdit* E : {edGIFkX, edGIFkY})
    if (!ReadReal(E->Text(), k)) {
      E->setFocus();
      E->SetText("0.5");
      return;
    }
  if (App) {
    const std::string Dir = App->sProjDir + App->sQuest + "/GIF";
    if (platform::IsDirectory(Dir)) OpenDialogGIF->InitialDir = Dir;
  }
  if (OpenDialogGIF->Execute()) OpenGIF(OpenDialogGIF->FileName);
  Work.Level20 = Work.LevelContA = Work.LevelContM = Work.LevelMaxD = 0;
  cbAlgPoint->SetItemIndex(0);
}

void TTabGIF::OpenGIF(const std::string& FileName) {
  std::string Folder, Bare, Ext;
  SplitPath(FileName, Folder, Bare, Ext);
  std::string U = Ext;
  for (char& c : U) c = char(std::toupper(uint8_t(c)));
  if (U.find("GIF") == std::string::npos) return;
  TCvGIF G;
  G.LoadFromFile(FileName);
  edNmGIF->SetText(Bare);
  if (!Pics.Src) Pics.Src = std::make_unique<TBitmap>();
  G.Bitmap().To24().ToBitmap(*Pics.Src);
  GIFMakeWork(*Pics.Src, Pics.Work);
  auto* img = Shell.Registry.As<platform::TImage>("ImageCORA");
  const int32_t W = img ? img->Bitmap().Width() : 0, H = img ? img->Bitmap().Height() : 0;
  if (!Pics.Back) {
    Pics.Back = std::make_unique<TBitmap>(W, H);
    BitmapFill(Pics.Back.get(), BackColor());
  }
  if (!Pics.Pict)
    Pics.Pict = std::make_unique<TBitmap>(W, H);
  else
    Pics.Pict->SetSize(W, H);
  GIFRedraw();
}

// ---------------------------------------------------------------- drawing

void TTabGIF::PaintOnImage() {
  auto* img = Shell.Registry.As<platform::TImage>("ImageCORA");
  if (!img || !Pics.Pict) return;
  TBitmap& B = img->Bitmap();
  GIFPaint(B, *Pics.Pict);
  img->update();
}

void TTabGIF::ImageLine(int32_t Y, uint32_t Color) {
  auto* img = Shell.Registry.As<platform::TImage>("ImageCORA");
  if (!img) return;
  GIFHLine(img->Bitmap(), Y, Color);
  img->update();
}

void TTabGIF::GIFRedraw() {
  if (!GIFCompose(Pics, Work.OrigX, OrigY, BackColor())) return;
  PaintOnImage();
  if (!btGIFyReper->Down()) return;
  int32_t y = 0;
  if (!ReadInt(edGIFyReper->Text(), y)) {
    edGIFyReper->SetText("0");
    y = 0;
  }
  if (y != 0) ImageLine(y, kBlack);
  DrawGIFGuideLines();
}

void TTabGIF::DrawGIFGuideLines() {
  for (int32_t y : GIFGuideLineYs(Work.LevelContM, Work.LevelMaxD, GuideCount)) ImageLine(y, kBlue);
}

// ---------------------------------------------------------------- moving

void TTabGIF::ShowOrigin() {
  edGIForigX->SetText(IntStr(Work.OrigX));
  edGIForigY->SetText(IntStr(OrigY));
}

void TTabGIF::GIFOrigXInc() {
  ++Work.OrigX;
  ShowOrigin();
  GIFRedraw();
}
void TTabGIF::GIFOrigXDec() {
  --Work.OrigX;
  ShowOrigin();
  GIFRedraw();
}
void TTabGIF::GIFOrigYInc() {
  ++OrigY;
  ShowOrigin();
  GIFRedraw();
}
void TTabGIF::GIFOrigYDec() {
  --OrigY;
  ShowOrigin();
  GIFRedraw();
}

void TTabGIF::CurrentMove() {
  // the shell's form reports every drag; only this sheet's picture follows it
  if (!Active()) return;
  const TPoint P = platform::CursorScreenPos();
  const int32_t dx = P.X - Work.Pick.X, dy = P.Y - Work.Pick.Y;
  Work.Pick = P;
  if (!PointInPanelGIF()) return;
  lbMouse->SetCaption(XY(P.X, P.Y));
  Work.OrigX -= dx;
  OrigY -= dy;
  const QPoint TL = PanelGIF->mapToGlobal(QPoint(0, 0));
  lbMouseOnBMP->SetCaption(XY(P.X - TL.x(), P.Y - TL.y()));
  ShowOrigin();
  if (Pics.Pict) GIFRedraw();
}

int32_t TTabGIF::IntEdit(platform::TEdit* E, int32_t Fallback, bool Write) {
  int32_t v = 0;
  if (ReadInt(E->Text(), v)) return v;
  if (Write) E->SetText(IntStr(Fallback));
  return Fallback;
}

void TTabGIF::edGIForigXExit(TSender) {
  const int32_t v = IntEdit(edGIForigX, Work.OrigX, true);
  if (v == Work.OrigX) return;
  Work.OrigX = v;
  GIFRedraw();
}

void TTabGIF::edGIForigYExit(TSender) {
  const int32_t v = IntEdit(edGIForigY, OrigY, true);
  if (v == OrigY) return;
  OrigY = v;
  GIFRedraw();
}

// ---------------------------------------------------------------- background, scale, lines

void TTabGIF::btSetBackBMPClick(TSender) {
  if (!Pics.Back) return;
  const uint32_t Bk = BackColor();
  // the work composed opaquely and shown, then frozen into the background
  if (Pics.Pict && Pics.Work.Bmp) {
    GIFDrawAt(*Pics.Pict, Pics.Work, Work.OrigX, OrigY, false, Bk);
    PaintOnImage();
  }
  GIFFreeze(Pics, Work.OrigX, OrigY, Bk);
  edNmGIFbk->SetText(edNmGIF->Text());
  edNmGIF->SetText("");
  Work.MirrorX = Work.OrigX;
  BkY = OrigY;
  lbBkFornax->SetCaption(XY(Work.MirrorX, BkY));
  Work.Comment = "координаты загрузки "_cp + edGIForigX->Text() + " : " + edGIForigY->Text();
}

void TTabGIF::btFlipClick(TSender) {
  if (Pics.Back) BitmapMirror(Pics.Back);
}

void TTabGIF::btKGIF_1Click(TSender) {
  int32_t W = 0, H = 0;
  if (Plotting().ScreenSize) {
    const auto S = Plotting().ScreenSize();
    W = S.first;
    H = S.second;
  } else {
    W = platform::ScreenWidth();
    H = 1080;
  }
  const double k = GIFScreenScale(EnsureGRAF().SizeInInches, W, H);
  edGIFkX->SetText(FSt(6, 3, k));
  edGIFkY->SetText(FSt(6, 3, k));
}

void TTabGIF::btGIFyReperClick(TSender) {
  int32_t y1 = 0, y3 = 0;
  if (!ReadInt(edGIFyReper->Text(), y1)) {
    edGIFyReper->SetText("0");
    y1 = 0;
  }
  if (!ReadInt(edGIFyReper3->Text(), y3)) y3 = 0;
  for (int32_t y : GIFReperLineYs(y1, y3)) ImageLine(y, kBlack);
}
