// The main window's dialog components and the Qt dialogs behind them: the form declares
// OpenDialog, OpenDialogSrc and ColorDialog; the Qt handlers open a real file or colour dialog
// preset from the component, hand the choice back in the program's code page (or refuse a name
// it cannot hold) and never open a dialog from a worker thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>

#include "foundation/cvLit.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/CodePage.h"
#include "platform/qt/QtDialogs.h"

namespace {

using platform::TFormColorDialog;
using platform::TFormOpenDialog;

// Runs Open (which shows a modal dialog) while a timer waits for the dialog of type T and hands
// it to Act once; a dialog still open after five seconds is rejected so the test cannot hang.
template <class T>
void WithModal(const std::function<void(T*)>& Act, const std::function<void()>& Open) {
  bool acted = false;
  int ticks = 0;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* W = QApplication::activeModalWidget();
    if (auto* D = qobject_cast<T*>(W); D && !acted) {
      acted = true;
      Act(D);
    } else if (W && ++ticks > 500) {
      static_cast<QDialog*>(W)->reject();
    }
  });
  poll.start();
  Open();
  poll.stop();
  EXPECT_TRUE(acted) << "no dialog was shown";
}

class QtDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    mwtest::TheApp();
    platform::InstallQtDialogs();
  }
  void TearDown() override {
    platform::SetFileDialogHandler({});
    platform::SetColorDialogHandler({});
    platform::SetFontDialogHandler({});
  }
  testsupport::TempDir dir;
  platform::ScriptedMsgBoxes boxes;
};

TEST_F(QtDialogs, FileDialogOpensAsPresetAndHandsBackTheChosenName) {
  TFormOpenDialog D;
  D.Title = "Файл протокола"_cp;
  D.InitialDir = platform::Utf8ToCp1251(dir.str());
  D.FileName = "старый.log"_cp;
  D.Filter = "Протоколы|*.log;*.txt|Все файлы|*"_cp;
  D.FilterIndex = 2;
  const std::string chosen = dir.file("новый протокол.log");  // need not exist
  bool ok = false;
  WithModal<QFileDialog>(
      [&](QFileDialog* F) {
        EXPECT_EQ(F->windowTitle().toStdString(), "Файл протокола");
        EXPECT_EQ(F->directory().absolutePath().toStdString(), dir.str());
        EXPECT_EQ(F->nameFilters(),
                  QStringList({"Протоколы (*.log *.txt)", "Все файлы (*)"}));
        EXPECT_EQ(F->selectedNameFilter().toStdString(), "Все файлы (*)");
        ASSERT_FALSE(F->selectedFiles().isEmpty());
        EXPECT_EQ(F->selectedFiles().front().toStdString(), dir.file("старый.log"));
        F->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(F)->accept();  // QFileDialog::accept, as the Open button
      },
      [&] { ok = D.Execute(); });
  ASSERT_TRUE(ok);
  EXPECT_EQ(D.FileName, platform::Utf8ToCp1251(chosen));  // the program's code page

  // Cancelled: the name stays.
  WithModal<QFileDialog>([](QFileDialog* F) { F->reject(); }, [&] { ok = D.Execute(); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(D.FileName, platform::Utf8ToCp1251(chosen));
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(QtDialogs, FileDialogRefusesANameTheProgramCannotHold) {
  TFormOpenDialog D;
  D.FileName = "keep.log";
  bool ok = true;
  WithModal<QFileDialog>(
      [&](QFileDialog* F) {
        F->selectFile(QString::fromStdString(dir.file("日本.log")));
        static_cast<QDialog*>(F)->accept();  // QFileDialog::accept, as the Open button
      },
      [&] { ok = D.Execute(); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(D.FileName, "keep.log");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(boxes.Shown()[0].text.find("кодовой страницы 1251"_cp), std::string::npos);
}

TEST_F(QtDialogs, ColorDialogOpensWithTheColourAndHandsBackTheChoice) {
  TFormColorDialog C;
  C.Color = 0x336699;  // 0x00BBGGRR: red 0x99, green 0x66, blue 0x33
  bool ok = false;
  WithModal<QColorDialog>(
      [](QColorDialog* D) {
        EXPECT_EQ(D->currentColor(), QColor(0x99, 0x66, 0x33));
        D->setCurrentColor(QColor(0x10, 0x20, 0x30));
        D->accept();
      },
      [&] { ok = C.Execute(); });
  ASSERT_TRUE(ok);
  EXPECT_EQ(C.Color, 0x302010u);
  WithModal<QColorDialog>([](QColorDialog* D) { D->reject(); }, [&] { ok = C.Execute(); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(C.Color, 0x302010u);
}

TEST_F(QtDialogs, AWorkerThreadNeverOpensADialog) {
  TFormOpenDialog D;
  D.FileName = "keep.log";
  TFormColorDialog C;
  C.Color = 7;
  bool fileOk = true, colorOk = true;
  std::thread t([&] {
    fileOk = D.Execute();
    colorOk = C.Execute();
  });
  t.join();
  EXPECT_FALSE(fileOk);
  EXPECT_FALSE(colorOk);
  EXPECT_EQ(D.FileName, "keep.log");
  EXPECT_EQ(C.Color, 7u);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtNameFilters, TurnsFilterPairsIntoQtFilters) {
  const std::pair<const char*, QStringList> cases[] = {
      {"", {}},
      {"Texts|*.txt", {"Texts (*.txt)"}},
      {"Text files (*.txt)|*.txt|All|*.*", {"Text files (*.txt)", "All (*.*)"}},
      {"Data|*.dat; *.DAT|Bare|", {"Data (*.dat *.DAT)"}},  // a pair without masks is dropped
      {"|*.fits|Odd", {"*.fits"}},                           // no description; a lone description
  };
  for (const auto& [filter, expect] : cases)
    EXPECT_EQ(platform::QtNameFilters(filter), expect) << filter;
}

// ---------------------------------------------------------------- the main window's dialogs

TEST(FormDialogs, TheFormHoldsItsDialogsAndTheyAskThroughTheHandler) {
  mwtest::TheApp();
  platform::ScriptedMsgBoxes boxes;
  auto w = std::make_unique<TCorvesta>();
  struct Expect {
    const char* Name;
    const char* Kind;
  };
  const Expect dialogs[] = {
      {"OpenDialog", "TOpenDialog"}, {"OpenDialogSrc", "TOpenDialog"}, {"ColorDialog", "TColorDialog"}};
  for (const Expect& e : dialogs) {
    QObject* O = w->Control(e.Name);
    ASSERT_NE(O, nullptr) << e.Name;
    EXPECT_EQ(w->Registry.KindOf(e.Name), e.Kind);
    EXPECT_EQ(O->parent(), w.get()) << e.Name;        // owned by the form
    EXPECT_EQ(qobject_cast<QWidget*>(O), nullptr);    // no place on screen
  }
  EXPECT_EQ(w->Control("OpenDialog"), static_cast<QObject*>(w->OpenDialog));
  EXPECT_EQ(w->Control("OpenDialogSrc"), static_cast<QObject*>(w->OpenDialogSrc));
  EXPECT_EQ(w->Control("ColorDialog"), static_cast<QObject*>(w->ColorDialog));

  platform::ScriptedDialogs S;
  S.AnswerFile("/proj/debug.log");
  S.AnswerColor(0x00FFFF);
  w->OpenDialog->FileName = "old.log";
  EXPECT_TRUE(w->OpenDialog->Execute());
  EXPECT_EQ(w->OpenDialog->FileName, "/proj/debug.log");
  EXPECT_FALSE(w->OpenDialogSrc->Execute());  // nothing queued: cancelled at once
  EXPECT_TRUE(w->ColorDialog->Execute());
  EXPECT_EQ(w->ColorDialog->Color, 0x00FFFFu);
  ASSERT_EQ(S.FileAsks().size(), 2u);
  EXPECT_EQ(S.FileAsks()[0].FileName, "old.log");
  EXPECT_EQ(S.ColorAsks(), (std::vector<uint32_t>{0}));
  EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
