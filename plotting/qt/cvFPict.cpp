// The picture window.
#include "plotting/qt/cvFPict.h"

#include <QActionGroup>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QWheelEvent>

#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "platform/qt/QtCanvas.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"

namespace {

// The key codes the window's key handler knows (the platform's virtual-key numbers).
int32_t KeyCode(const QKeyEvent& E) {
  switch (E.key()) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Control: return 17;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    default: break;
  }
  const int K = E.key();
  if ((K >= Qt::Key_A && K <= Qt::Key_Z) || (K >= Qt::Key_0 && K <= Qt::Key_9) ||
      K == Qt::Key_Space)
    return K;
  if (K >= Qt::Key_F1 && K <= Qt::Key_F12) return 112 + (K - Qt::Key_F1);
  return static_cast<int32_t>(E.nativeVirtualKey() & 0xFFFF);
}

}  // namespace

TFPict::TFPict(QWidget* Parent) : TGrafView(Parent) {
  setWindowTitle("CV Picture");
  resize(870, 640);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  QFont F("Arial");
  F.setPixelSize(29);
  setFont(F);
  BlinkTimer.setInterval(350);
  GIFTimer.setInterval(330);
  QObject::connect(&BlinkTimer, &QTimer::timeout, this, [this] { State_.BlinkTick(); });
  QObject::connect(&GIFTimer, &QTimer::timeout, this, [this] { State_.GIFTick(); });
  MakeMenu();
}

TFPict::~TFPict() {
  BlinkTimer.stop();
  GIFTimer.stop();
  if (!Plotter_ || Plotter_->Window != &State_) return;
  Plotter_->Window = nullptr;
  // The device must not keep drawing into the buffer that goes with the window.
  if (TGRAF* G = Plotter_->Gra; G && G->TargetCanvas == &Buffer().Canvas()) {
    G->ENDG();
    G->Canvas = G->TargetCanvas = nullptr;
    G->SetOwner("");
  }
}

void TFPict::MakeMenu() {
  PicPopupMenu = new QMenu(this);
  struct TItem {
    const char* Name;
    std::string Caption, Hint;
    bool Check;
  };
  const TItem Items[] = {
      {"MShowTools", "Tools", "", false},
      {"MGsavePic", "Clip Pict", "Сохранить картинку в буфере обмена"_cp, false},
      {"MGGraInc", "Next Gr", "", false},
      {"MGGraDec", "Prev Gr", "", false},
      {"MGGraViz", "Viz", "", true},
      {"MGOxX", "Ox X", "Показать/скрыть ось X"_cp, true},
      {"MGOxY", "Ox Y", "Показать/скрыть ось Y"_cp, true},
      {"M1", "-------", "", false},
      {"MGZoomX", "X Zoom", "Растянуть значения X на всю шкалу X"_cp, false},
      {"MGZoomY", "Y Zoom", "Растянуть значения Y на всю шкалу Y"_cp, false},
      {"MGLineX", "X line", "Нарисовать горизонтальную черту"_cp, false},
      {"MGlineY", "Y line", "Нарисовать вертикальную черту"_cp, false},
      {"MGGraLive", "Live", "", true},
      {"MGGraDots", ".....", "", false},
      {"MGGraLine", "---", "", false},
      {"MGGraCirc", "ooo", "", false},
      {"N1", "-------", "", false},
      {"MSetFulcrum", "Set FulcRum", "Установить/убрать опорную точку"_cp, false},
      {"MGedP", "Push All", "Сдвинуть график целиком"_cp, true},
      {"MGedT", "Touch Segment", "Толкнуть фрагмент кривой"_cp, true},
      {"MGedH", "Hit point", "Сдвинуть единичную точку"_cp, true},
      {"MGedL", "_Lever Revolve", "Повернуть вокруг оси"_cp, true},
      {"MGedB", "_Bent Side", "Согнуть вокруг оси"_cp, true},
      {"MGedFlatten", "->Flatten", "Выпрямить участок графика"_cp, false}};
  auto* Modes = new QActionGroup(this);
  for (const TItem& I : Items) {
    QAction* A = PicPopupMenu->addAction(platform::QtStr(I.Caption));
    A->setObjectName(I.Name);
    if (!I.Hint.empty()) A->setToolTip(platform::QtStr(I.Hint));
    A->setCheckable(I.Check);
    Items_[I.Name] = A;
    const std::string N = I.Name;
    if (N == "M1" || N == "N1") A->setVisible(false);
    if (N.compare(0, 5, "MGed") == 0 && N != "MGedFlatten") Modes->addAction(A);
  }
  Items_["MGGraViz"]->setChecked(true);
  Items_["MGedT"]->setChecked(true);
  PicPopupMenu->setToolTipsVisible(true);
  auto On = [this](const char* Name, std::function<void()> F) {
    QObject::connect(Items_[Name], &QAction::triggered, this, [F] { F(); });
  };
  TPictState& S = State_;
  On("MShowTools", [this] {
    if (OnShowTools) OnShowTools();
  });
  On("MGsavePic", [&S] { S.MGsavePicClick(); });
  On("MGGraInc", [&S] {
    if (S.Tool) S.Tool->btKGraIncClick();
  });
  On("MGGraDec", [&S] {
    if (S.Tool) S.Tool->btKGraDecClick();
  });
  On("MGGraViz", [&S] { S.MGGraVizClick(); });
  On("MGOxX", [&S] { S.MGOxClick(true); });
  On("MGOxY", [&S] { S.MGOxClick(false); });
  On("MGZoomX", [&S] { S.MGZoomClick(true); });
  On("MGZoomY", [&S] { S.MGZoomClick(false); });
  On("MGLineX", [] { cvlink::NotAvailable("FPicTool.btLineXClick"); });
  On("MGlineY", [] { cvlink::NotAvailable("FPicTool.btLineYClick"); });
  On("MGGraLive", [&S] { S.MGGraLiveClick(); });
  for (const char* N : {"MGGraDots", "MGGraLine", "MGGraCirc"})
    On(N, [&S, N] { S.MGStyleClick(N); });
  On("MSetFulcrum", [&S] { S.MSetFulcrumClick(); });
  const char* Modes5[] = {"MGedP", "MGedT", "MGedH", "MGedL", "MGedB"};
  for (int32_t i = 0; i < 5; ++i) On(Modes5[i], [&S, i] { S.MGedClick(i); });
  On("MGedFlatten", [&S] { S.MGedFlattenClick(); });
}

QAction* TFPict::Item(const std::string& Name) const {
  const auto It = Items_.find(Name);
  return It == Items_.end() ? nullptr : It->second;
}

void TFPict::Bind(TPLOTTER& Plotter, double Size) {
  Plotter_ = &Plotter;
  Size_ = Size;
  SyncSize();
  Plotter.INIG(&Buffer().Canvas(), "TFPict", &State_, Size);
}

// ---------------------------------------------------------------- TPictWin

void TFPict::ShowWindow() {
  if (isMinimized()) showNormal();
  else show();
}

void TFPict::SetCaption(const std::string& C) { setWindowTitle(platform::QtStr(C)); }

void TFPict::ClientSize(int32_t& W, int32_t& H) {
  W = width();
  H = height();
}

void TFPict::OuterSize(int32_t& W, int32_t& H) {
  const QRect F = frameGeometry();
  W = std::max(F.width(), width());
  H = std::max(F.height(), height());
}

void TFPict::SetOuterSize(int32_t W, int32_t H) {
  int32_t ow, oh;
  OuterSize(ow, oh);
  resize(std::max(1, W - (ow - width())), std::max(1, H - (oh - height())));
}

int32_t TFPict::DesktopWidth() {
  const QScreen* S = screen() ? screen() : QGuiApplication::primaryScreen();
  return S ? S->size().width() : 1920;
}

void TFPict::Rebind() {
  if (!Plotter_) return;
  SyncSize();
  Plotter_->Rebind(&Buffer().Canvas(), "TFPict", &State_);
}

void TFPict::SetBlinkTimer(bool On) {
  if (On) BlinkTimer.start();
  else BlinkTimer.stop();
}

void TFPict::SetGIFTimer(bool On) {
  if (On) GIFTimer.start();
  else GIFTimer.stop();
}

void TFPict::MenuSet(const TCtlValues& Values) {
  for (const auto& [K, V] : Values) {
    const size_t Dot = K.find('.');
    QAction* A = Item(K.substr(0, Dot));
    if (!A || Dot == std::string::npos) continue;
    const std::string What = K.substr(Dot + 1);
    if (What == "Visible") A->setVisible(V == "1");
    else if (What == "Checked") A->setChecked(V == "1");
    else if (What == "Caption") A->setText(platform::QtStr(V));
  }
}

void TFPict::BitmapToClipboard() {
  if (QClipboard* C = QGuiApplication::clipboard())
    C->setImage(platform::QtImageView(Buffer()).copy());
}

// ---------------------------------------------------------------- events

void TFPict::resizeEvent(QResizeEvent* Event) {
  TGrafView::resizeEvent(Event);
  if (!Plotter_ || Plotter_->Window != &State_) return;
  State_.FormResize();
}

void TFPict::showEvent(QShowEvent*) { State_.FormShow(); }

void TFPict::hideEvent(QHideEvent*) { State_.FormHide(); }

void TFPict::changeEvent(QEvent* Event) {
  if (Event->type() == QEvent::ActivationChange && isActiveWindow()) State_.FormActivate();
  TGrafView::changeEvent(Event);
}

void TFPict::mouseMoveEvent(QMouseEvent* Event) {
  const QPointF G = Event->globalPosition();
  Cursor_ = TPoint{static_cast<int32_t>(G.x()), static_cast<int32_t>(G.y())};
  const QPoint P = Event->position().toPoint();
  State_.MouseMove(P.x(), P.y(), Event->buttons() & Qt::LeftButton);
}

void TFPict::mousePressEvent(QMouseEvent* Event) {
  const QPointF G = Event->globalPosition();
  Cursor_ = TPoint{static_cast<int32_t>(G.x()), static_cast<int32_t>(G.y())};
  const QPoint P = Event->position().toPoint();
  State_.LastX = P.x();
  State_.LastY = P.y();
  State_.MouseDown(Event->button() == Qt::LeftButton,
                   Event->modifiers() & Qt::ControlModifier);
}

void TFPict::mouseReleaseEvent(QMouseEvent* Event) {
  const QPointF G = Event->globalPosition();
  Cursor_ = TPoint{static_cast<int32_t>(G.x()), static_cast<int32_t>(G.y())};
  if (Event->button() == Qt::LeftButton) State_.Click();
}

void TFPict::wheelEvent(QWheelEvent* Event) { State_.Wheel(Event->angleDelta().y()); }

void TFPict::keyPressEvent(QKeyEvent* Event) { State_.KeyDown(KeyCode(*Event)); }

void TFPict::contextMenuEvent(QContextMenuEvent* Event) {
  PicPopupMenu->popup(Event->globalPos());
}
