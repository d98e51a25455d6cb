// The information panel built from the bundled description file, with "EE" = "Проверка! 123",
// above the text editor on its Qt memo: a small window used by the demo program and its test.
#pragma once
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <string>

#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvKeyb.h"
#include "app/qt/QtInfWidget.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "foundation/cvSys.h"
#include "foundation/cvTunes.h"
#include "platform/Controls.h"
#include "platform/qt/QtMemo.h"

class PanelDemo {
 public:
  // Root: an application root holding "INI/inf.ini"; Work: a folder the demo may write to.
  PanelDemo(const std::string& Root, const std::string& Work)
      : tunes_("Common", Work + "/cvtunes.ini") {
    window.resize(900, 420);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    strip = new QtInfWidget(&window);
    memo = new platform::QtMemo(&window);
    layout->addWidget(strip);
    layout->addWidget(memo, 1);
    window.show();

    TInf::Init(inf, strip->Form(), "Terminal", nullptr, nullptr, 14, 2, Root + "/INI/inf.ini");
    strip->Attach(inf);

    filer_.Folder = Work + "/";
    editor.Init(nullptr, memo, &edFile_, &edReply_, &edJS_, &edIP_, &edColCur_, &lbKind_,
                &lbWordN_, &lbCurTT_, &filer_, &keyb_, &tunes_, inf, nullptr, nullptr, nullptr,
                nullptr, nullptr);
    TStringList text{"Corvesta: panel and editor", "",
                     "Колонка1  Колонка2  Колонка3"_cp, "   1.5      2.25     -3",
                     "  10.0     20.5       7"};
    editor.EdLoadSL("Demo", &text);
    inf->LogStr("EE", "Проверка! 123"_cp);
    inf->UpdateChanged();
    inf->RedrawIfDirty();
  }
  ~PanelDemo() {
    editor.Unbind();
    delete inf;
  }
  PanelDemo(const PanelDemo&) = delete;
  PanelDemo& operator=(const PanelDemo&) = delete;

  QWidget window;
  QtInfWidget* strip = nullptr;
  platform::QtMemo* memo = nullptr;
  TInf* inf = nullptr;
  TcvEd editor;

 private:
  TTunes tunes_;
  TFiler filer_;
  TcvKeyb keyb_;
  platform::TMemControl edFile_{"TEdit", "edFile"}, edReply_{"TEdit", "edReply"},
      edJS_{"TEdit", "edJS"}, edIP_{"TEdit", "edIP"}, edColCur_{"TEdit", "edColCur"},
      lbKind_{"TLabel", "lbKind"}, lbWordN_{"TLabel", "lbWordN"}, lbCurTT_{"TLabel", "lbCurTT"};
};
