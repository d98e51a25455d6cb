// The map window FMap: one scan map at a time as a picture (the map bitmap FOBitmap), walked
// through the list of viewed maps with its popup menu and keys (Ctrl+C clipboard, Ctrl+I invert,
// left and right arrows Prev and Next, Delete Del), the cell under the mouse, the picked cell on
// a click, area bounds and rows, columns and means as graphs (the logic in plotting/cvMapWin.h).
// Made once by the program; the maps reach it through the scan side's link ShowInMapWin.
#pragma once
#include <QWidget>
#include <map>
#include <string>

#include "plotting/cvMapWin.h"

class QAction;
class QMenu;

class TFMap : public QWidget {
 public:
  explicit TFMap(QWidget* Parent = nullptr);

  QMenu* MapPopupMenu = nullptr;
  TMapWinState& State() { return State_; }
  // A popup item by its component name ("MapNext", "MapCutX" ...); nullptr when none.
  QAction* Item(const std::string& Name) const;

  // The client area sized for a map at a scale; filled with the window's colour when it changed.
  void FitClientToMap(int32_t NX, int32_t NY, double Scale);
  // The map whose picture FOBitmap holds: shown (restored when minimised), its geometry set.
  void ShowMap(int32_t NX, int32_t NY);
  // Each channel c of the picture becomes 255 - c.
  void Invert();
  void ToClipboard();

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;

 private:
  TMapWinState State_;
  std::map<std::string, QAction*> Items_;
};

extern TFMap* FMap;
// Makes the map window (hidden) and installs the links that reach it: ShowInMapWin,
// FitClientToMap, and (when not installed yet) the picture window's preparation for graphs.
void CreateMapWindow(QWidget* MainWindow);
void FreeMapWindow();
