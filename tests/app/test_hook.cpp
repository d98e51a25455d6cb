// The message hook on message records: key tables and key codes, the lone-Ctrl layout switch,
// Space and Esc, keys for the editor and the panel through the private message 2304, the tabs'
// keys, the wheel, the GIF tab's picking, and what is logged or left alone.
#include <gtest/gtest.h>

#include "foundation/cvJob.h"

#include <map>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvHook.h"
#include "app/cvInf.h"
#include "app/cvKeyb.h"
#include "app/cvWinLink.h"
#include "foundation/cvLit.h"
#include "platform/SysInfo.h"
#include "support/EdFixture.h"

namespace {

// ---------------------------------------------------------------- key tables

TEST(HookKeys, CharOfScanInBothLayouts) {
  struct Case {
    uint16_t Data;
    char Layout;
    bool Shift, Caps, Num;
    std::string Want;
  };
  const Case cases[] = {
      {16, 'E', false, false, false, "q"},
      {16, 'E', true, false, false, "Q"},
      {16, 'R', false, false, false, "й"_cp},
      {16, 'R', true, true, false, "й"_cp},  // CapsLock and Shift cancel
      {16, 'R', false, true, false, "Й"_cp},
      {41, 'R', false, true, false, "Ё"_cp},
      {4, 'E', true, false, false, "#"},
      {4, 'R', true, false, false, "№"_cp},
      {4, 'R', true, true, false, "№"_cp},  // CapsLock leaves digits alone
      {7, 'R', true, false, false, ":"},
      {43, 'R', false, false, false, "\\"},
      {43, 'R', true, false, false, "/"},
      {53, 'R', false, false, false, "."},
      {53, 'R', true, false, false, ","},
      {53, 'E', true, false, false, "?"},
      {40, 'R', false, false, false, "э"_cp},
      {57, 'R', false, false, false, " "},
      {57, 'X', false, false, false, " "},
      {16, 'X', false, false, false, std::string(1, '\0')},
      {14, 'E', false, false, false, std::string(1, '\0')},   // Backspace
      {28, 'E', false, false, false, std::string(1, '\0')},   // Enter
      {76, 'E', false, false, true, "5"},                     // keypad 5 with NumLock
      {76, 'R', false, false, true, "5"},
      {76, 'R', false, false, false, std::string(1, '\0')},
      {0x135, 'E', false, false, true, "/"},                  // keypad / (extended 53)
      {0x135, 'E', false, false, false, std::string(1, '\0')},
      {55, 'R', false, false, true, "*"},
      {0x148, 'E', false, false, true, std::string(1, '\0')},  // Up arrow, not keypad 8
  };
  for (const Case& c : cases)
    EXPECT_EQ(std::string(1, CharOfScan(c.Data, c.Layout, c.Shift, c.Caps, c.Num)), c.Want)
        << "scan " << c.Data << " layout " << c.Layout << " shift " << c.Shift;
}

TEST(HookKeys, ScanCodesOfVirtualKeys) {
  // Every key of the scan tables maps back to its character.
  for (char C : std::string("QWERTYUIOPASDFGHJKLZXCVBNM"))
    EXPECT_EQ(CharOfScan(ScanOfVK(static_cast<uint16_t>(C)), 'E', true, false, false), C);
  for (char C : std::string("0123456789"))
    EXPECT_EQ(CharOfScan(ScanOfVK(static_cast<uint16_t>(C)), 'R', false, false, false), C);
  EXPECT_EQ(CharOfScan(ScanOfVK('Q'), 'E', false, false, false), 'q');
  EXPECT_EQ(CharOfScan(ScanOfVK('7'), 'E', false, false, false), '7');
  EXPECT_EQ(CharOfScan(ScanOfVK(VK_OEM_4), 'R', false, false, false), "х"_cp[0]);
  EXPECT_EQ(CharOfScan(ScanOfVK(VK_NUMPAD0 + 5), 'E', false, false, true), '5');
  EXPECT_EQ(ScanOfVK(VK_LEFT), 0x14B);
  EXPECT_EQ(KeyLParam('A', false, false), 0x001E0001u);
  EXPECT_EQ(KeyLParam('A', false, true), 0x401E0001u);
  EXPECT_EQ(KeyLParam(VK_CAPITAL, true, false), 0xC03A0001u);
  EXPECT_EQ(KeyLParam(VK_DELETE, false, false), 0x01530001u);
}

TEST(HookKeys, KeyInSetTakesOneModifierAtMost) {
  const TKeySet plain = MakeKeySet({VK_LEFT}), shift = MakeKeySet({'A'}),
                ctrl = MakeKeySet({'C'}), alt = MakeKeySet({'X'});
  struct Case {
    uint16_t Key;
    bool Shift, Ctrl, Alt, Want;
  };
  const Case cases[] = {
      {VK_LEFT, false, false, false, true}, {VK_LEFT, true, false, false, false},
      {'A', true, false, false, true},      {'A', false, false, false, false},
      {'C', false, true, false, true},      {'X', false, false, true, true},
      {'C', true, true, false, false},      {300, false, false, false, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyInSet(c.Key, c.Shift, c.Ctrl, c.Alt, plain, shift, ctrl, alt), c.Want) << c.Key;
}

// ---------------------------------------------------------------- the hook

// A main window (with its GIF, Unno and CORA tabs) that records what the hook asks of it.
class FakeWindow : public TMainWindowLink,
                   public TGIFTabLink,
                   public TUnnoTabLink,
                   public TCORATabLink {
 public:
  std::string FocusedName() override { return focus; }
  std::string FocusedClassName() override { return focusClass; }
  std::string ActivePageName() override { return page; }
  void ShowPage(const std::string& Name) override { Call("ShowPage " + Name); }
  void FocusControl(const std::string& Name) override { Call("Focus " + Name); }
  TRect ScreenRect(const std::string& Name) override { return rects[Name]; }
  bool ButtonDown(const std::string& Name) override { return down[Name]; }
  std::string ControlText(const std::string& Name) override { return texts[Name]; }
  void SetControlText(const std::string& Name, const std::string& Text) override {
    texts[Name] = Text;
  }
  int32_t ItemIndex(const std::string& Name) override { return items[Name]; }
  void SetItemIndex(const std::string& Name, int32_t Index) override { items[Name] = Index; }
  void SetViewTimer(bool On) override { Call(On ? "ViewTimer on" : "ViewTimer off"); }
  bool PointInPanelGIF() override { return overGIF; }
  void DbgWheelUp() override { Call("DbgWheelUp"); }
  void DbgWheelDown() override { Call("DbgWheelDown"); }
  void GIFOrigXInc() override { Call("GIFOrigXInc"); }
  void GIFOrigYInc() override { Call("GIFOrigYInc"); }
  void GIFOrigXDec() override { Call("GIFOrigXDec"); }
  void GIFOrigYDec() override { Call("GIFOrigYDec"); }
  void CurrentMove() override { Call("CurrentMove"); }
  void DrawGIFGuideLines() override { Call("DrawGIFGuideLines"); }
  void UnnoPagePrev() override { Call("UnnoPagePrev"); }
  void UnnoPageNext() override { Call("UnnoPageNext"); }
  void RichSelSizeDec() override { Call("RichSelSizeDec"); }
  void RichSelSizeInc() override { Call("RichSelSizeInc"); }
  void RichSelToggleSymbol() override { Call("RichSelToggleSymbol"); }
  TGIFWork* GIFWork() override { return &gif; }

  void Call(const std::string& S) { calls.push_back(S); }
  std::string focus, focusClass, page;
  bool overGIF = false;
  std::map<std::string, TRect> rects;
  std::map<std::string, bool> down;
  std::map<std::string, std::string> texts;
  std::map<std::string, int32_t> items;
  std::vector<std::string> calls;
  TGIFWork gif;
};

const char* kPanel =
    "[Informator]\nColorBack=clGray\nMargin=2\n[Fonts]\nNFont=0\n"
    "[Colors]\nNColor=1\n0=clWhite\n1=clYellow\n[Groups]\nNGroup=0\n0_Name=Main\n[Fields]\n"
    "F|IF|1|1|01|0|10|1|L|C|0|0|0|0|2|1|S|N|0|0|0||%s|selected|0|0|0||\n"
    "F|XX|1|1|05|0|10|1|L|C|0|0|0|0|0|1|L|E|0|0|0||X=%d|x column|0|0|0||\n"
    "; end\n";

class Hook : public EdFixture {
 protected:
  void SetUp() override {
    EdFixture::SetUp();
    ResetAppForTests();
    App->Keyb = std::make_unique<TcvKeyb>();
    HookKeyState() = THookKeyState{};
    platform::SetLockKeyOn('C', false);
    platform::SetLockKeyOn('N', false);
    platform::LoadKeyboardLayout("00000409");
    ClearPostedMessages();
    SetEditorMemoSelfServed(false);
    SetMainWindowLink(&win);
    RegisterPageInput("TabGraf", GrafPageInput());
    RegisterPageInput("TabCORA", CORAPageInput(win));
    RegisterPageInput("TabGIF", GIFPageInput(win));
    RegisterPageInput("TabUnno", UnnoPageInput(win));
    Ed = &ed;
    ed.Writable = true;
    ed.SetInsert(true);
  }
  void TearDown() override {
    Ed = nullptr;
    SetMainWindowLink(nullptr);
    ClearPageInputs();
    ClearPostedMessages();
    delete App->Inf;
    App->Inf = nullptr;
    platform::LoadKeyboardLayout("00000409");
    EdFixture::TearDown();
  }
  // A key down and up with the modifiers held (as the window layer records them).
  bool Down(uint16_t Key, bool Shift = false, bool Ctrl = false, bool Alt = false) {
    HookKeyState().Shift = Shift;
    HookKeyState().Ctrl = Ctrl;
    HookKeyState().Alt = Alt;
    return Send(WM_KEYDOWN, Key, KeyLParam(Key, false, false));
  }
  bool Up(uint16_t Key) { return Send(WM_KEYUP, Key, KeyLParam(Key, true, false)); }
  bool Send(uint32_t Message, uint32_t WParam, uint32_t LParam, bool Handled = false,
            TPoint Pt = {}) {
    TMsg M;
    M.Message = Message;
    M.WParam = WParam;
    M.LParam = LParam;
    M.Time = 1234;
    M.Pt = Pt;
    AppMessage(M, Handled);
    return Handled;
  }
  void LoadPanel() {
    form.SetClientSize(600, 60);
    const std::string file = Path("inf.ini");
    testsupport::WriteFile(file, kPanel);
    TInf::Init(App->Inf, &form, "Terminal", nullptr, nullptr, 14, 2, file);
  }

  FakeWindow win;
  platform::TMemControl form{"TForm", "Corvesta"};
};

TEST_F(Hook, CtrlPressedAndReleasedAloneSwitchesTheLayout) {
  Down(VK_CONTROL, false, true);
  Up(VK_CONTROL);
  EXPECT_EQ(App->Keyb->Layout, 'R');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04190419u);
  EXPECT_EQ(KbState()[0], 'R');
  HookKeyState().Ctrl = false;
  EXPECT_EQ(CharOfKey('Q'), "й"_cp[0]);
  Down(VK_CONTROL, false, true);
  Up(VK_CONTROL);
  EXPECT_EQ(App->Keyb->Layout, 'E');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04090409u);
  // Ctrl+C: the last key down is C.
  Down(VK_CONTROL, false, true);
  Down('C', false, true);
  Up('C');
  Up(VK_CONTROL);
  EXPECT_EQ(App->Keyb->Layout, 'E');
  EXPECT_EQ(App->Keyb->LastKey, 'C');
  // While the editor's memo serves its own keys, the switch on "MemoEd" is the memo's.
  SetEditorMemoSelfServed(true);
  win.focus = "MemoEd";
  Down(VK_CONTROL, false, true);
  Up(VK_CONTROL);
  EXPECT_EQ(App->Keyb->Layout, 'E');
  win.focus = "edFile";
  Down(VK_CONTROL, false, true);
  Up(VK_CONTROL);
  EXPECT_EQ(App->Keyb->Layout, 'R');
}

TEST_F(Hook, SpaceTogglesPauseAndEscStops) {
  EXPECT_FALSE(Down(VK_SPACE));
  EXPECT_TRUE(App->qPause);
  Down(VK_SPACE);
  EXPECT_FALSE(App->qPause);
  Down(VK_SPACE, true);  // with Shift: nothing
  EXPECT_FALSE(App->qPause);
  EXPECT_FALSE(App->qStop);
  EXPECT_FALSE(Down(VK_ESCAPE));
  EXPECT_TRUE(App->qStop);
  EXPECT_EQ(PostedMessageCount(), 0u);  // no editor: "MemoEd" is not focused
  // a running job is the job runner's: the hook never pauses or cancels it (a Space typed into
  // a field reaches the hook too)
  TJob job;
  SetForegroundJob(&job);
  Down(VK_SPACE);
  Down(VK_ESCAPE);
  EXPECT_FALSE(job.Paused());
  EXPECT_FALSE(job.Cancelled());
  SetForegroundJob(nullptr);
}

TEST_F(Hook, PrivateMessageCarriesEditorAndPanelKeys) {
  memo.SetLines({"abc", "def"});
  Caret(1, 2);
  // wParam 4: the editor's key command; Handled follows the editor's answer.
  EXPECT_TRUE(Send(WM_CV_COMMAND, CVCMD_EDITOR_KEY, 256 + VK_F6));
  EXPECT_EQ(memo.LineCount(), 3);
  EXPECT_FALSE(Send(WM_CV_COMMAND, CVCMD_EDITOR_KEY, 256 + VK_F12, true));
  // wParam 5: the panel's key command; Handled is left alone.
  LoadPanel();
  TInfField* xx = App->Inf->FindFld("XX");
  App->Inf->SelectField(xx);
  ASSERT_TRUE(App->Inf->Editing);
  EXPECT_FALSE(Send(WM_CV_COMMAND, CVCMD_PANEL_KEY, '7'));
  EXPECT_TRUE(Send(WM_CV_COMMAND, CVCMD_PANEL_KEY, '8', true));
  EXPECT_EQ(xx->EditText, "X=78");
  // Other kinds do nothing.
  EXPECT_TRUE(Send(WM_CV_COMMAND, 6, '9', true));
  EXPECT_EQ(xx->EditText, "X=78");
}

TEST_F(Hook, EditorKeysArePostedAndTyped) {
  win.focus = "MemoEd";
  memo.SetLines({"abc"});
  Caret(1, 4);
  // Backspace is swallowed and reaches the editor as 264.
  EXPECT_TRUE(Down(VK_BACK));
  EXPECT_EQ(memo.Lines()[0], "abc");
  ASSERT_EQ(PostedMessageCount(), 1u);
  RunPostedMessages();
  EXPECT_EQ(memo.Lines()[0], "ab");
  // Letters are typed at once, in the program's layout.
  App->Keyb->Layout = 'R';
  EXPECT_TRUE(Down('Q'));
  platform::SetLockKeyOn('C', true);
  EXPECT_TRUE(Down('Q'));
  EXPECT_TRUE(Down('Q', true));
  RunPostedMessages();
  EXPECT_EQ(memo.Lines()[0], std::string("ab") + "йЙй"_cp);
  // Ctrl+Y: the editor's key table deletes the line.
  memo.SetLines({"one", "two"});
  Caret(1, 1);
  EXPECT_TRUE(Down('Y', false, true));
  EXPECT_EQ(memo.Lines(), std::vector<std::string>{"two"});
  // Left is posted but left to the memo.
  EXPECT_FALSE(Down(VK_LEFT));
  ClearPostedMessages();

  // The memo serving its own keys: the hook leaves them to it.
  SetEditorMemoSelfServed(true);
  EXPECT_FALSE(Down(VK_BACK));
  EXPECT_FALSE(Down('Q'));
  EXPECT_EQ(PostedMessageCount(), 0u);
  EXPECT_EQ(memo.Lines(), std::vector<std::string>{"two"});
}

TEST_F(Hook, PanelFieldInEditingTakesCharactersAndArrows) {
  LoadPanel();
  TInfField* xx = App->Inf->FindFld("XX");
  App->Inf->SelectField(xx);
  win.focus = "btSave";
  EXPECT_TRUE(Down('7'));
  EXPECT_TRUE(Down(VK_LEFT));
  EXPECT_FALSE(Down(VK_RETURN));  // posted as 269, then it goes on to the focused control
  RunPostedMessages();
  EXPECT_EQ(xx->EditText, "X=7");
  EXPECT_EQ(xx->CaretCol, 3);
  // With "MemoEd" focused, Enter never reaches the memo and the editor gets nothing.
  win.focus = "MemoEd";
  memo.SetLines({"abc"});
  Caret(1, 1);
  EXPECT_TRUE(Down(VK_RETURN));
  EXPECT_EQ(PostedMessageCount(), 1u);
  RunPostedMessages();
  EXPECT_EQ(memo.Lines(), std::vector<std::string>{"abc"});
}

TEST_F(Hook, TabKeys) {
  struct Case {
    std::string Page, Focus;
    bool OverGIF, PagesDown;
    uint16_t Key;
    bool Handled;
    std::vector<std::string> Calls;
  };
  const Case cases[] = {
      {"TabGraf", "", false, false, VK_ESCAPE, true, {"ShowPage TabEd", "Focus MemoEd"}},
      {"TabCORA", "", false, false, VK_ESCAPE, true,
       {"ShowPage TabEd", "ViewTimer off", "Focus MemoEd"}},
      {"TabGraf", "", false, false, VK_LEFT, false, {}},
      {"TabGIF", "", true, false, VK_LEFT, true, {"GIFOrigXInc"}},
      {"TabGIF", "", true, false, VK_DOWN, true, {"GIFOrigYDec"}},
      {"TabGIF", "", false, false, VK_DOWN, false, {}},
      {"TabUnno", "ngUnno", false, true, VK_NEXT, true, {"UnnoPageNext"}},
      {"TabUnno", "ngUnno", false, true, VK_PRIOR, true, {"UnnoPagePrev"}},
      {"TabUnno", "ngUnno", false, false, VK_NEXT, false, {}},
  };
  for (const Case& c : cases) {
    win.page = c.Page;
    win.focus = c.Focus;
    win.overGIF = c.OverGIF;
    win.down["btngUNNOPages"] = c.PagesDown;
    win.calls.clear();
    EXPECT_EQ(Down(c.Key), c.Handled) << c.Page << " " << c.Key;
    EXPECT_EQ(win.calls, c.Calls) << c.Page << " " << c.Key;
  }
  // Ctrl+D, F and G in a rich-text edit.
  win.page = "TabDialog";
  win.focusClass = "TRichEdit";
  win.calls.clear();
  EXPECT_TRUE(Down('D', false, true));
  EXPECT_TRUE(Down('G', false, true));
  EXPECT_FALSE(Down('H', false, true));
  EXPECT_EQ(win.calls, (std::vector<std::string>{"RichSelSizeDec", "RichSelToggleSymbol"}));
}

TEST_F(Hook, WheelOverTheMemos) {
  win.focus = "MemoDbg";
  EXPECT_FALSE(Send(WM_MOUSEWHEEL, 0xFF880000u, 0));
  Send(WM_MOUSEWHEEL, 0x00780000u, 0);
  Send(WM_MOUSEWHEEL, 0xFF100000u, 0);  // two notches at once: nothing
  EXPECT_EQ(win.calls, (std::vector<std::string>{"DbgWheelDown", "DbgWheelUp"}));
  win.focus = "MemoEd";
  memo.SetLines({"1", "2", "3", "4", "5", "6", "7", "8"});
  Caret(1, 1);
  EXPECT_TRUE(Send(WM_MOUSEWHEEL, 0xFF880000u, 0, true));  // Handled is not written
  EXPECT_EQ(CaretAt().first, 4);
  Send(WM_MOUSEWHEEL, 0xFF100000u, 0);
  EXPECT_EQ(CaretAt().first, 4);
  Send(WM_MOUSEWHEEL, 0x00780000u, 0);
  EXPECT_EQ(CaretAt().first, 1);
}

TEST_F(Hook, LoggedIgnoredAndLayoutMessages) {
  said.clear();
  // Unknown: logged and not handled.
  TMsg M;
  M.Message = 0x0400;
  M.WParam = 0x1234;
  M.LParam = 0xABCDEF;
  M.Time = 77;
  M.Pt = {10, 20};
  bool Handled = true;
  AppMessage(M, Handled);
  EXPECT_FALSE(Handled);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "mes=400 W=34 wp=1234 lp=ABCDEF tm=77 X=10 Y=20");
  // Ignored: nothing at all.
  for (uint32_t m : {0u, 15u, 258u, 275u, 514u, 45056u, 49300u, 49500u}) {
    EXPECT_TRUE(Send(m, 1, 2, true)) << m;
  }
  // Registered numbers are not logged but not handled either; a command is only logged.
  EXPECT_FALSE(Send(0xC100, 0, 0, true));
  EXPECT_FALSE(Send(50000, 0, 0, true));
  EXPECT_TRUE(Send(WM_COMMAND, 5, 0, true));
  EXPECT_EQ(said.size(), 2u);
  // The input-language request notes the layout and is left to the system.
  said.clear();
  EXPECT_FALSE(Send(WM_INPUTLANGCHANGEREQUEST, 1, 0x04190419u));
  EXPECT_EQ(App->Keyb->Layout, 'R');
  Send(WM_INPUTLANGCHANGEREQUEST, 0, 0x04090409u);
  EXPECT_EQ(App->Keyb->Layout, 'R');
  Send(WM_INPUTLANGCHANGEREQUEST, 1, 0x04090409u);
  EXPECT_EQ(App->Keyb->Layout, 'E');
  EXPECT_EQ(said, (std::vector<std::string>{"включили RUS 68748313"_cp, "включили LAT 67699721"_cp}));
  // CapsLock released by the key or by a program.
  said.clear();
  platform::SetLockKeyOn('C', true);
  Up(VK_CAPITAL);
  EXPECT_EQ(App->Keyb->Caps, 'U');
  Send(WM_KEYUP, VK_CAPITAL, 0xC03A0002u);
  EXPECT_EQ(said, (std::vector<std::string>{"=== CapsLock=U", "=== CapsLock=U НАЖАТА ПРОГРАММНО!"_cp}));
}

TEST_F(Hook, GIFPicking) {
  win.page = "TabGIF";
  win.overGIF = true;
  win.rects["PanelGIF"] = {100, 200, 600, 700};
  win.texts["edNmGIF"] = "6301x5xxxx07_12";
  win.gif.Comment = "comment";
  memo.SetLines({});
  const int py[] = {300, 100, 120, 400};
  for (int i = 0; i < 4; ++i) {
    win.items["cbAlgPoint"] = i + 1;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 0, false, {150, 200 + py[i]});
    EXPECT_EQ(win.items["cbAlgPoint"], i + 2);
  }
  EXPECT_EQ(win.texts["lbMouse"], "150:600");
  EXPECT_EQ(win.texts["lbMouseOnBMP"], "50:400");
  EXPECT_EQ(win.texts["edGIFyReper"], "400");
  EXPECT_EQ(win.gif.Pick, (TPoint{150, 600}));
  EXPECT_EQ(win.gif.Level20, 300);
  EXPECT_EQ(win.gif.LevelMaxD, 400);
  EXPECT_EQ(win.calls, std::vector<std::string>{"DrawGIFGuideLines"});
  const std::vector<std::string> head = {
      "",
      "6301x5xxxx07_12 = линия 6301x5 / спектрограмма №07 / разрез 12 ___"_cp,
      "comment",
      " 300 уровень 20%  автоматический"_cp,
      "100 уровень CONT автоматический"_cp,
      "120 уровень CONT ручной"_cp,
      "400 уровень MaxD"_cp,
      "",
      " Iauto  Imanu  Ipoint  W(мА)  bis(mA)  bis(km/s)  W    bisec"_cp};
  EXPECT_EQ(memo.Lines(), head);
  // Step 5: a measurement line; the step stays.
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 0, false, {150, 200 + 250});
  EXPECT_EQ(win.items["cbAlgPoint"], 5);
  ASSERT_EQ(memo.LineCount(), 10);
  // A = 50 - 5 (the x offset starts at -5), B = 0 + 0 - 50 (the mirror offset starts at 0, no
  // picture width known here).
  EXPECT_EQ(memo.Lines()[9], " 5.0 -13.0  250  -38.1  -95   -2");
  EXPECT_EQ(GIFMeasureLine(50, 250, 600, win.gif), " 5.0 -13.0  250  202.6  505  297");
  // Coinciding levels: nothing measured, a warning instead of a division by zero.
  win.gif.LevelContA = win.gif.Level20;
  EXPECT_EQ(GIFMeasureLine(50, 250, 600, win.gif), "");
  // The mirror edit takes x; outside the panel nothing happens.
  win.focus = "edGIFxMirror";
  win.items["cbAlgPoint"] = 0;
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 0, false, {170, 210});
  EXPECT_EQ(win.texts["edGIFxMirror"], "70");
  win.overGIF = false;
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 0, false, {180, 210});
  EXPECT_EQ(win.texts["edGIFxMirror"], "70");
}

TEST_F(Hook, MouseMoveOnTheGIFTab) {
  win.page = "TabGIF";
  win.rects["PanelGIF"] = {100, 200, 600, 700};
  Send(WM_MOUSEMOVE, 0, 0, false, {120, 230});
  EXPECT_EQ(win.texts["lbMouse"], "120:230");
  EXPECT_EQ(win.texts["lbMouseOnBMP"], "20:30");
  HookKeyState().LButton = true;
  win.overGIF = true;
  Send(WM_MOUSEMOVE, MK_LBUTTON, 0, false, {130, 240});
  EXPECT_EQ(win.calls, std::vector<std::string>{"CurrentMove"});
  EXPECT_EQ(win.texts["lbMouse"], "120:230");
  EXPECT_EQ(KbState()[2], 1);
}

}  // namespace
