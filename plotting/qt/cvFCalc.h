// The calculator window FCalc ("Calculator"): the widgets of its "Interpolation" and
// "Regression" groups over TCalc (plotting/cvCalc.h), which holds their values and handlers. A
// value written from code is shown with the widget's signals blocked; an edit typed by the user
// stores its text; a button runs its handler. Stays on top of the main window.
#pragma once
#include <QWidget>
#include <map>
#include <string>

#include "plotting/cvCalc.h"

class TFCalc : public QWidget {
 public:
  explicit TFCalc(QWidget* Parent = nullptr);
  TCalc Model;
  QWidget* Control(const std::string& Name) const;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  std::map<std::string, QWidget*> Ctl_;
  void Show(const std::string& Name, const std::string& Value);
};

// The program's calculator, made by the main block with the other tool windows.
extern TFCalc* FCalc;
