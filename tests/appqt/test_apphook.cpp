// The message hook on the Qt event loop, offscreen: QTest keys and mouse clicks reach the hook
// as virtual-key codes and message records, handled keys never reach the widget, an event passed
// on to a parent is seen once, posted messages run from the event loop, and the editor's own
// memo keeps its keys without the hook repeating them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvHook.h"
#include "app/cvKeyb.h"
#include "app/qt/QtAppHook.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSys.h"
#include "foundation/cvTunes.h"
#include "platform/MsgBox.h"
#include "platform/SysInfo.h"
#include "platform/qt/QtMemo.h"
#include "support/TestSupport.h"
#include "support/QtTestApp.h"

namespace {

QApplication* QtApp() { return testsupport::QtTestApp(); }

// A widget that records the keys it receives.
class KeyRecorder : public QWidget {
 public:
  explicit KeyRecorder(QWidget* Parent = nullptr) : QWidget(Parent) {
    setFocusPolicy(Qt::StrongFocus);
  }
  std::vector<int> keys;

 protected:
  void keyPressEvent(QKeyEvent* E) override { keys.push_back(E->key()); }
};

class Window : public QtFormLink, public TGIFTabLink {
 public:
  explicit Window(QWidget* Form) : QtFormLink(Form) {}
  std::string ActivePageName() override { return page; }
  void ShowPage(const std::string& Name) override { calls.push_back("ShowPage " + Name); }
  void FocusControl(const std::string& Name) override { calls.push_back("Focus " + Name); }
  void DbgWheelUp() override { calls.push_back("DbgWheelUp"); }
  void DbgWheelDown() override { calls.push_back("DbgWheelDown"); }
  bool PointInPanelGIF() override { return page == "TabGIF"; }
  void SetControlText(const std::string& Name, const std::string& Text) override {
    texts[Name] = Text;
  }
  std::string page;
  std::vector<std::string> calls;
  std::map<std::string, std::string> texts;
};

class AppHookQt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { QtApp(); }
  void SetUp() override {
    ResetSayerForTests();
    ResetAppForTests();
    App->Keyb = std::make_unique<TcvKeyb>();
    HookKeyState() = THookKeyState{};
    platform::LoadKeyboardLayout("00000409");
    form.setObjectName("Corvesta");
    form.resize(400, 300);
    rec = new KeyRecorder(&form);
    rec->setObjectName("edFile");
    rec->setGeometry(10, 10, 100, 30);
    form.show();
    QApplication::setActiveWindow(&form);
    rec->setFocus();
    SetMainWindowLink(&win);
    RegisterPageInput("TabGraf", GrafPageInput());
    RegisterPageInput("TabGIF", GIFPageInput(win));
    ASSERT_NE(InstallQtAppHook(), nullptr);
  }
  void TearDown() override {
    RemoveQtAppHook();
    ClearPageInputs();
    SetMainWindowLink(nullptr);
    platform::LoadKeyboardLayout("00000409");
    ResetSayerForTests();
  }

  QWidget form;
  KeyRecorder* rec = nullptr;
  Window win{&form};
};

TEST_F(AppHookQt, KeysReachTheHookAsVirtualKeyCodes) {
  struct Case {
    Qt::Key Key;
    uint16_t Vk;
  };
  const Case cases[] = {{Qt::Key_A, 'A'},          {Qt::Key_7, '7'},
                        {Qt::Key_F6, VK_F6},        {Qt::Key_Backspace, VK_BACK},
                        {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Left, VK_LEFT},
                        {Qt::Key_Minus, VK_OEM_MINUS}};
  for (const Case& c : cases) {
    rec->keys.clear();
    QTest::keyClick(rec, c.Key);
    EXPECT_EQ(App->Keyb->LastKey, c.Vk) << c.Key;
    EXPECT_EQ(rec->keys, std::vector<int>{c.Key}) << c.Key;  // not handled: the widget has it
  }
  EXPECT_EQ(win.ControlText("edFile"), "");
  EXPECT_EQ(win.FocusedName(), "edFile");
  // Escape: a stop request, and on the Graf tab a handled key the widget never sees.
  rec->keys.clear();
  QTest::keyClick(rec, Qt::Key_Escape);
  EXPECT_TRUE(App->qStop);
  EXPECT_EQ(rec->keys, std::vector<int>{Qt::Key_Escape});
  win.page = "TabGraf";
  rec->keys.clear();
  QTest::keyClick(rec, Qt::Key_Escape);
  EXPECT_TRUE(rec->keys.empty());
  EXPECT_EQ(win.calls, (std::vector<std::string>{"ShowPage TabEd", "Focus MemoEd"}));
}

TEST_F(AppHookQt, KeyPassedOnToTheParentIsSeenOnce) {
  auto* child = new QWidget(rec);
  child->setObjectName("child");
  child->setFocusPolicy(Qt::StrongFocus);
  child->setFocus();
  QTest::keyClick(child, Qt::Key_Space);
  EXPECT_TRUE(App->qPause);
  EXPECT_EQ(rec->keys, std::vector<int>{Qt::Key_Space});  // the parent got it from the child
  QTest::keyClick(child, Qt::Key_Space);
  EXPECT_FALSE(App->qPause);
}

TEST_F(AppHookQt, CtrlAloneSwitchesTheLayout) {
  QTest::keyClick(rec, Qt::Key_Control);
  EXPECT_EQ(App->Keyb->Layout, 'R');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04190419u);
  QTest::keyClick(rec, Qt::Key_C, Qt::ControlModifier);  // Ctrl down, C, C up, Ctrl up
  QTest::keyPress(rec, Qt::Key_Control);
  QTest::keyClick(rec, Qt::Key_C, Qt::ControlModifier);
  QTest::keyRelease(rec, Qt::Key_Control);
  EXPECT_EQ(App->Keyb->Layout, 'R');
  QTest::keyClick(rec, Qt::Key_Control);
  EXPECT_EQ(App->Keyb->Layout, 'E');
}

TEST_F(AppHookQt, MouseAndWheel) {
  win.page = "TabGIF";
  QTest::mouseClick(rec, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
  const QPoint g = rec->mapToGlobal(QPoint(5, 6));
  EXPECT_EQ(win.texts["lbMouse"], std::to_string(g.x()) + ":" + std::to_string(g.y()));
  EXPECT_FALSE(HookKeyState().LButton);  // released again

  auto* dbg = new QLineEdit(&form);
  dbg->setObjectName("MemoDbg");
  dbg->show();
  dbg->setFocus();
  const QPointF at(3, 3);
  QWheelEvent down(at, dbg->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(dbg, &down);
  QWheelEvent up(at, dbg->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(dbg, &up);
  EXPECT_EQ(win.calls, (std::vector<std::string>{"DbgWheelDown", "DbgWheelUp"}));
}

TEST_F(AppHookQt, PostedMessagesRunFromTheEventLoop) {
  PostAppMessage(nullptr, WM_INPUTLANGCHANGEREQUEST, 1, 0x04190419u);
  EXPECT_EQ(App->Keyb->Layout, 'E');
  EXPECT_EQ(PostedMessageCount(), 0u);
  QCoreApplication::processEvents();
  EXPECT_EQ(App->Keyb->Layout, 'R');
}

TEST_F(AppHookQt, EditorMemoKeepsItsKeysOnce) {
  platform::ScriptedMsgBoxes boxes;
  testsupport::TempDir dir;
  const auto oldCwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  auto* memo = new platform::QtMemo(&form);
  memo->resize(300, 200);
  memo->show();
  memo->setFocus();
  TFiler filer;
  filer.Folder = dir.file("nohistory") + "/";
  TTunes tunes("Common", dir.file("cvtunes.ini"));
  TcvEd ed;
  ed.Init(nullptr, memo, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
          &filer, App->Keyb.get(), &tunes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  ed.Writable = true;
  ed.SetInsert(true);
  Ed = &ed;
  memo->SetLines({"abc"});
  memo->SetCaret(0, 3);
  ASSERT_EQ(win.FocusedName(), "MemoEd");

  QTest::keyClick(memo, Qt::Key_Backspace);
  QCoreApplication::processEvents();
  EXPECT_EQ(memo->Lines(), std::vector<std::string>{"ab"});
  QTest::keyClick(memo, Qt::Key_Control);
  EXPECT_EQ(App->Keyb->Layout, 'R');
  QTest::keyClick(memo, Qt::Key_Q);
  QCoreApplication::processEvents();
  EXPECT_EQ(memo->Lines(), std::vector<std::string>{"ab" + "й"_cp});
  QTest::keyClick(memo, Qt::Key_Space);
  EXPECT_TRUE(App->qPause);  // the hook's own part still runs

  Ed = nullptr;
  ed.Unbind();
  std::filesystem::current_path(oldCwd);
}

}  // namespace
