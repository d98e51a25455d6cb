// The tabs that other issues build, as stand-ins: each holds its sheet's form and what the shell
// and the message hook already call of it. A stand-in says so inside its sheet (a label
// "<caption> - функция пока недоступна" at the top) and, the first time the sheet is shown, in
// one line of the panel ("UM"); its sheet's own events do nothing. What runs by itself (resize,
// close, start-up) does nothing until the tab exists; what the user asks for reports that it is
// not available yet. The issue that builds a tab replaces its stand-in here by the tab's own
// class and files.
#pragma once
#include <cstdint>

#include "app/cvWinLink.h"
#include "mainwindow/CorvestaTab.h"
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

namespace standin {
// The notice label at the top of the tab's sheet.
platform::TLabel* AddNotice(const TCorvestaTab& Tab);
// The notice as a line of the panel; false when there is no panel to write to.
bool NoteInPanel(const TCorvestaTab& Tab);
}  // namespace standin

// A tab not built yet: its form and its notice.
template <class Form>
class TTabStandIn : public TFormTab<Form> {
 public:
  explicit TTabStandIn(TCorvesta& Shell) : TFormTab<Form>(Shell) {}
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override {
    TFormTab<Form>::BuildForm(F, R);
    lbNotice = standin::AddNotice(*this);
  }
  void Show() override {
    if (!Noted_) Noted_ = standin::NoteInPanel(*this);
  }
  // "<caption> - функция пока недоступна" at the top of the sheet.
  platform::TLabel* lbNotice = nullptr;

 private:
  bool Noted_ = false;
};


