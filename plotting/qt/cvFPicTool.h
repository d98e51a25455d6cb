// The picture tool window FPicTool: the widgets of the tool's controls over TPicTool
// (plotting/cvPicTool.h), which holds their values and handlers. A value written from code is
// shown with the widget's signals blocked; a change by the user stores the value and runs the
// control's handler.
#pragma once
#include <QWidget>
#include <map>
#include <string>

#include "plotting/cvPicTool.h"

class TFPict;

class TFPicTool : public QWidget {
 public:
  explicit TFPicTool(QWidget* Parent = nullptr);

  TPicTool Model;
  // The widget of a control by name (nullptr: none).
  QWidget* Control(const std::string& Name) const;
  // Binds the tool to the plotter and the picture window.
  void Attach(TPLOTTER* Plotter, TFPict* Pict);

 protected:
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  std::map<std::string, QWidget*> Ctl_;
  void Build();
  void Show(const std::string& Name, const std::string& Value);
  void LoadStyleItems();
};
