#include "plotting/qt/cvFMap.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "foundation/cvLit.h"
#include "platform/Canvas.h"
#include "platform/qt/QtCanvas.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"
#include "scans/cvFIOut.h"
#include "scans/cvMapView.h"

TFMap* FMap = nullptr;

TFMap::TFMap(QWidget* Parent) : QWidget(Parent) {
  setWindowTitle("Map");
  resize(316, 439);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  QFont F("MS Sans Serif");
  F.setPixelSize(11);
  setFont(F);
  State_.SetCaption = [this](const std::string& C) {
    setWindowTitle(platform::QtStr(C));
  };
  MapPopupMenu = new QMenu(this);
  MapPopupMenu->setToolTipsVisible(true);
  struct TItem {
    const char* Name;
    std::string Caption, Hint;
  };
  const TItem Items[] = {
      {"MaptoClipBoard", "Map to ClipBoard", "Сбросить картинку в буфер обмена"_cp},
      {"MapInvert", "Invert", "Инвертировать "_cp},
      {"MapPrev", "Prev", "Вернуться к предыдущей карте"_cp},
      {"MapNext", "Next", "Вернуться к следующей по списку  карте"_cp},
      {"MapDel", "Del", "Убрать карту из этого списка"_cp},
      {"MapSquare", "Square", ""},
      {"MapXY1", "XY1", "Назначить левую и нижнюю границы области"_cp},
      {"MapXY2", "XY2", "Назначить правую и верхнюю границы области"_cp},
      {"MapXY00", "XY00", "Сбросить границы области"_cp},
      {"MapCutX", "Cut X", "Вывести на график срез.вдоль тек.коорд.X"_cp},
      {"MapCutY", "Cut Y", "Вывести на график срез.вдоль тек.коорд.Y"_cp},
      {"MapMeanX", "Mean X", "Вывести на график среднее по Y вдоль коорд.X"_cp},
      {"MapMeanY", "Mean Y", "Вывести на график среднее по X вдоль коорд.Y"_cp}};
  for (const TItem& I : Items) {
    if (std::string(I.Name) == "MapXY1") MapPopupMenu->addSeparator();
    QAction* A = MapPopupMenu->addAction(platform::QtStr(I.Caption));
    A->setObjectName(I.Name);
    if (!I.Hint.empty()) A->setToolTip(platform::QtStr(I.Hint));
    Items_[I.Name] = A;
  }
  auto On = [this](const char* Name, std::function<void()> F) {
    QObject::connect(Items_[Name], &QAction::triggered, this, [F] { F(); });
  };
  TMapWinState& S = State_;
  On("MaptoClipBoard", [this] { ToClipboard(); });
  On("MapInvert", [this] { Invert(); });
  On("MapPrev", [&S] { S.Prev(); });
  On("MapNext", [&S] { S.Next(); });
  On("MapDel", [&S] { S.Del(); });
  On("MapSquare", [&S] { S.Square(); });
  On("MapXY1", [&S] { S.XY1(); });
  On("MapXY2", [&S] { S.XY2(); });
  On("MapXY00", [&S] { S.XY00(); });
  // The four profile items share one handler, told by the component name.
  for (const char* N : {"MapCutX", "MapCutY", "MapMeanX", "MapMeanY"})
    On(N, [&S, N] { S.Profile(N); });
}

QAction* TFMap::Item(const std::string& Name) const {
  const auto it = Items_.find(Name);
  return it == Items_.end() ? nullptr : it->second;
}

void TFMap::FitClientToMap(int32_t NX, int32_t NY, double Scale) {
  int32_t w = 0, h = 0;
  TMapWinState::FitClientSize(NX, NY, Scale, w, h);
  if (w != width() || h != height()) {
    resize(w, h);
    update();
  }
}

void TFMap::ShowMap(int32_t NX, int32_t NY) {
  if (isMinimized()) showNormal();
  else show();
  const platform::TBitmap& B = FOBitmap();
  State_.SetMapGeom(NX, NY, B.Width(), B.Height());
  update();
}

void TFMap::Invert() {
  if (!FOBitmapExists()) return;
  platform::TBitmap& B = FOBitmap();
  for (int32_t y = 0; y < B.Height(); ++y) {
    uint8_t* p = B.ScanLine(y);
    for (int32_t i = 0; i < B.Width() * B.BytesPerPixel(); ++i) p[i] = static_cast<uint8_t>(255 - p[i]);
  }
  update();
}

void TFMap::ToClipboard() {
  if (!FOBitmapExists()) return;
  if (QClipboard* C = QGuiApplication::clipboard())
    C->setImage(platform::QtImageView(FOBitmap()).copy());
}

void TFMap::paintEvent(QPaintEvent*) {
  if (!FOBitmapExists()) return;
  QPainter P(this);
  P.drawImage(0, 0, platform::QtImageView(FOBitmap()));
}

void TFMap::keyPressEvent(QKeyEvent* E) {
  const bool Ctrl = E->modifiers() & Qt::ControlModifier;
  if (Ctrl && E->key() == Qt::Key_C) return ToClipboard();
  if (Ctrl && E->key() == Qt::Key_I) return Invert();
  if (!Ctrl) {
    if (E->key() == Qt::Key_Left) return State_.Prev();
    if (E->key() == Qt::Key_Right) return State_.Next();
    if (E->key() == Qt::Key_Delete) return State_.Del();
  }
  QWidget::keyPressEvent(E);
}

void TFMap::mouseMoveEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  State_.MouseMove(p.x(), p.y());
}

void TFMap::mouseReleaseEvent(QMouseEvent* E) {
  if (E->button() == Qt::LeftButton) State_.Click();
}

void TFMap::contextMenuEvent(QContextMenuEvent* E) { MapPopupMenu->popup(E->globalPos()); }

void CreateMapWindow(QWidget*) {
  if (FMap) return;
  FMap = new TFMap();
  MapViewLinks().ShowInMapWin.Install([](TFIOut& M) {
    if (FMap) FMap->ShowMap(M.nX, M.nY);
  });
  MapViewLinks().FitClientToMap.Install([](int32_t NX, int32_t NY, double Scale) {
    if (FMap) FMap->FitClientToMap(NX, NY, Scale);
  });
  if (!MapViewLinks().PrepPictPlotter.Provided())
    MapViewLinks().PrepPictPlotter.Install([] {
      if (!FPict || !PLOTTER) return false;
      FPict->ShowWindow();
      FPict->State().RestartPlotter();
      return PLOTTER->CheckArrPlot();
    });
}

void FreeMapWindow() {
  MapViewLinks().ShowInMapWin.Reset();
  MapViewLinks().FitClientToMap.Reset();
  delete FMap;
  FMap = nullptr;
}
