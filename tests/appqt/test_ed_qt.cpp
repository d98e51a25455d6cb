// The editor on the Qt memo, offscreen: keys typed into the widget reach the editor in the
// program's own layout, posted commands run from the event loop, and text and caret read back
// in code page 1251.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "app/cvEd.h"
#include "app/cvKeyb.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSys.h"
#include "foundation/cvTunes.h"
#include "platform/Controls.h"
#include "platform/MsgBox.h"
#include "platform/qt/QtMemo.h"
#include "support/TestSupport.h"
#include "support/QtTestApp.h"

namespace {

QApplication* App() { return testsupport::QtTestApp(); }

class EdQt : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ResetSayerForTests();
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    tab = std::make_unique<QWidget>();
    tab->setObjectName("TabEd");
    memo = new platform::QtMemo(tab.get());
    memo->resize(400, 300);
    tab->show();
    memo->setFocus();
    filer.Folder = dir.file("nohistory") + "/";
    tunes = std::make_unique<TTunes>("Common", dir.file("cvtunes.ini"));
    ed.Init(nullptr, memo, &edFile, &edReply, nullptr, nullptr, nullptr, &lbKind, nullptr,
            nullptr, &filer, &keyb, tunes.get(), nullptr, nullptr, nullptr, nullptr,
            [this] { ed.OpenLinked(); }, nullptr);
    ed.Writable = true;
  }
  void TearDown() override {
    ed.Unbind();
    tab.reset();
    std::filesystem::current_path(oldCwd);
    ResetSayerForTests();
  }
  std::string Utf8() const { return memo->toPlainText().toStdString(); }
  std::pair<int, int> Caret() const {
    int l = 0, c = 0;
    memo->CaretPos(l, c);
    return {l, c};
  }

  platform::ScriptedMsgBoxes boxes;
  testsupport::TempDir dir;
  std::filesystem::path oldCwd;
  std::unique_ptr<QWidget> tab;
  platform::QtMemo* memo = nullptr;
  platform::TMemControl edFile{"TEdit", "edFile"}, edReply{"TEdit", "edReply"},
      lbKind{"TLabel", "lbKind"};
  TFiler filer;
  TcvKeyb keyb;
  std::unique_ptr<TTunes> tunes;
  TcvEd ed;
};

TEST_F(EdQt, LinesAndCaretReadBackInCodePage1251) {
  memo->SetLines({"Привет"_cp, "", "мир"_cp});
  EXPECT_EQ(Utf8(), "Привет\n\nмир");
  EXPECT_EQ(memo->LineCount(), 3);
  EXPECT_EQ(memo->Line(2), "мир"_cp);
  memo->SetLine(1, "x");
  memo->InsertLine(0, "top");
  memo->InsertLine(4, "end");
  memo->DeleteLine(1);
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"top", "x", "мир"_cp, "end"}));
  memo->SetCaret(2, 2);
  EXPECT_EQ(Caret(), std::make_pair(2, 2));
  memo->SetCaret(9, 9);  // cut to the text
  EXPECT_EQ(Caret(), std::make_pair(3, 3));

  // No lines, and one empty line, are different texts.
  memo->SetLines({});
  EXPECT_EQ(memo->LineCount(), 0);
  memo->AddLine("");
  EXPECT_EQ(memo->LineCount(), 1);
  memo->SetLine(0, "a");
  EXPECT_EQ(memo->Lines(), std::vector<std::string>{"a"});
  memo->DeleteLine(0);
  EXPECT_EQ(memo->LineCount(), 0);

  memo->SetColor(0xEEEEEE);
  EXPECT_EQ(memo->Color(), 0xEEEEEEu);
  EXPECT_EQ(memo->Name(), "MemoEd");
  EXPECT_EQ(memo->ParentName(), "TabEd");
}

TEST_F(EdQt, TypedKeysReachTheEditorInTheProgramsLayout) {
  memo->SetLines({"abc"});
  memo->SetCaret(0, 3);
  ed.SetInsert(true);
  QTest::keyClicks(memo, "xy");
  EXPECT_EQ(Utf8(), "abcxy");
  EXPECT_EQ(ed.Changes, 2);
  EXPECT_EQ(Caret(), std::make_pair(0, 5));

  keyb.Layout = 'R';
  QTest::keyClick(memo, Qt::Key_Q);
  QTest::keyClick(memo, Qt::Key_Q, Qt::ShiftModifier);
  QTest::keyClick(memo, Qt::Key_Semicolon);
  EXPECT_EQ(Utf8(), "abcxyйЙж");

  // Backspace is the editor's posted command: nothing until the event loop runs.
  QTest::keyClick(memo, Qt::Key_Backspace);
  EXPECT_EQ(Utf8(), "abcxyйЙж");
  QCoreApplication::processEvents();
  EXPECT_EQ(Utf8(), "abcxyйЙ");

  // The write lock holds for keys as well.
  ed.Writable = false;
  QTest::keyClick(memo, Qt::Key_A);
  EXPECT_EQ(Utf8(), "abcxyйЙ");
}

TEST_F(EdQt, EnterOpensTheFileUnderTheCaretAndEscComesBack) {
  testsupport::WriteFile(dir.file("a.txt"), "see b.txt\nmore\n");
  testsupport::WriteFile(dir.file("b.txt"), "бета\n");
  ed.EnterFile("", "a.txt", 1, 6);
  QTest::keyClick(memo, Qt::Key_Right);  // the memo moves the caret itself; the status follows
  EXPECT_EQ(ed.Col, 7);
  EXPECT_TRUE(ed.IsFile);
  QTest::keyClick(memo, Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(Utf8(), "бета");
  EXPECT_EQ(lbKind.Text(), "F");
  QTest::keyClick(memo, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(Utf8(), "see b.txt\nmore");
  EXPECT_EQ(Caret(), std::make_pair(0, 6));
}

TEST_F(EdQt, CtrlAloneSwitchesTheLayoutAndRightClickMovesTheCaret) {
  keyb.Layout = 'E';
  QTest::keyPress(memo, Qt::Key_Control);
  QTest::keyRelease(memo, Qt::Key_Control);
  EXPECT_EQ(keyb.Layout, 'R');
  QTest::keyPress(memo, Qt::Key_Control);
  QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);  // Ctrl+C: no switch
  QTest::keyRelease(memo, Qt::Key_Control);
  EXPECT_EQ(keyb.Layout, 'R');

  memo->SetLines({"one two", "three"});
  const QRect r = memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(1)));
  QTest::mouseClick(memo->viewport(), Qt::RightButton, Qt::NoModifier, r.center());
  EXPECT_EQ(Caret().first, 1);
  EXPECT_EQ(ed.Line, 2);
}

}  // namespace
