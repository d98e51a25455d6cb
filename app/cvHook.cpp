#include "app/cvHook.h"

#include <deque>
#include <map>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvKeyb.h"
#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvSys.h"
#include "platform/Controls.h"
#include "platform/Memo.h"
#include "platform/SysInfo.h"

namespace {

THookKeyState KeyState;
bool MemoSelfServed = false;
TPostMessageProc Poster;
std::map<std::string, TPageInput>& PageInputs() {
  static std::map<std::string, TPageInput> m;
  return m;
}

// The input the active page registered (nullptr when none).
const TPageInput* ActivePageInput(TMainWindowLink& W) {
  const auto it = PageInputs().find(W.ActivePageName());
  return it == PageInputs().end() ? nullptr : &it->second;
}
std::deque<TMsg>& Queue() {
  static std::deque<TMsg> q;
  return q;
}

// Scan codes 2..53 of the standard English and Russian layouts, plain and with Shift.
constexpr int kScanFirst = 2, kScanLast = 53;
const std::string& EngPlain() {
  static const std::string s(
      "1234567890-=\0\0qwertyuiop[]\0\0asdfghjkl;'`\0\\zxcvbnm,./", kScanLast - kScanFirst + 1);
  return s;
}
const std::string& EngShift() {
  static const std::string s(
      "!@#$%^&*()_+\0\0QWERTYUIOP{}\0\0ASDFGHJKL:\"~\0|ZXCVBNM<>?", kScanLast - kScanFirst + 1);
  return s;
}
const std::string& RusPlain() {
  static const std::string s = "1234567890-=\0\0йцукенгшщзхъ\0\0фывапролджэё\0\\ячсмитьбю."_cp;
  return s;
}
const std::string& RusShift() {
  static const std::string s = "!\"№;%:?*()_+\0\0ЙЦУКЕНГШЩЗХЪ\0\0ФЫВАПРОЛДЖЭЁ\0/ЯЧСМИТЬБЮ,"_cp;
  return s;
}

bool IsLetter(char C) {
  const unsigned char u = static_cast<unsigned char>(C);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0xC0 || u == 0xA8 || u == 0xB8;
}

// Messages the hook passes by without a trace.
bool Ignored(uint32_t M) {
  switch (M) {
    case WM_NULL:
    case WM_SIZE:
    case WM_PAINT:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_CHAR:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_SYSTIMER:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_DEVICECHANGE:
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
    case 45056:
    case 45057:
      return true;
    default:
      return (M >= 49296 && M <= 49375) || (M >= 49419 && M <= 49919);
  }
}

std::string XY(int32_t X, int32_t Y) { return IntStr(X) + ":" + IntStr(Y); }

const TKeySet& EditorPlainKeys() {
  static const TKeySet s = MakeKeySet(
      {VK_BACK, VK_RETURN, VK_ESCAPE, VK_INSERT, VK_DELETE, VK_F2, VK_F6, VK_F8});
  return s;
}

const TKeySet& LeftRight() {
  static const TKeySet s = MakeKeySet({VK_LEFT, VK_RIGHT});
  return s;
}

bool MemoEdFocused(TMainWindowLink& W) { return W.FocusedName() == "MemoEd"; }

// "MemoEd" has the focus and the hook does its part for it.
bool HookServesMemoEd(TMainWindowLink& W) { return !MemoSelfServed && MemoEdFocused(W); }

void EdKeyDown(uint16_t K, bool Shift, bool Ctrl, bool Alt, bool& Handled) {
  App->qKeyDone = false;
  if (Ed && Ed->KeyDown(K, Shift, Ctrl, Alt)) App->qKeyDone = true;
  if (App->qKeyDone) Handled = true;
}

void KeyDown(TMsg& Msg, bool& Handled) {
  const uint16_t K = static_cast<uint16_t>(Msg.WParam & 0xFF);
  App->NoteActivity();
  if (App->Keyb) App->Keyb->LastKey = K;
  const bool Shift = KeyState.Shift, Ctrl = KeyState.Ctrl, Alt = KeyState.Alt;
  const bool CapsOn = KeyLockState('C') == 'U', NumOn = KeyLockState('N') == 'U';
  TMainWindowLink& W = MainWindowLink();
  const std::string Focus = W.FocusedName();
  const bool MemoEd = Focus == "MemoEd";
  const bool HookMemo = MemoEd && !MemoSelfServed;
  TInf* Inf = App->Inf;

  // A panel field being edited takes Left, Right and the characters.
  if (Inf && Inf->Selected >= 0 && Inf->Editing && !(MemoEd && MemoSelfServed)) {
    bool Done = false;
    int32_t Code = 0;
    KeyToCode(Msg.Wnd, CVCMD_PANEL_KEY, K, Shift, Ctrl, Alt, Done, Code);
    App->qKeyDone = KeyInSet(K, Shift, Ctrl, Alt, LeftRight(), {}, {}, {});
    if (App->qKeyDone || (Code > 0 && Code < 256)) Handled = true;
  }

  if (!Ctrl && !Alt && !Shift) {
    // Space and Esc: the frame's pause and stop requests. A running job of the window is
    // paused and cancelled by the window's job runner alone, which takes these keys before the
    // hook unless the focus is in a control that takes typed text.
    if (K == VK_SPACE) {
      App->qPause = !App->qPause;
    } else if (K == VK_ESCAPE) {
      App->qStop = true;
    }
    App->qKeyDone = false;
    if (HookMemo) {
      if (!(Inf && Inf->Selected >= 0)) {
        bool Done = false;
        int32_t Code = 0;
        KeyToCode(Msg.Wnd, CVCMD_EDITOR_KEY, K, Shift, Ctrl, Alt, Done, Code);
      }
      App->qKeyDone = KeyInSet(K, Shift, Ctrl, Alt, EditorPlainKeys(), {}, {}, {});
    }
    if (Focus == "MemoDbg") LogMessage(Msg);
    if (const TPageInput* P = ActivePageInput(W); P && P->KeyDown && P->KeyDown(K))
      App->qKeyDone = true;
    if (App->qKeyDone) Handled = true;
  }

  if (!Handled && Ctrl) {
    if (HookMemo) EdKeyDown(K, Shift, Ctrl, Alt, Handled);
    if (W.FocusedClassName() == "TRichEdit") {
      if (K == 'D') {
        W.RichSelSizeDec();
        Handled = true;
      } else if (K == 'F') {
        W.RichSelSizeInc();
        Handled = true;
      } else if (K == 'G') {
        W.RichSelToggleSymbol();
        Handled = true;
      }
    }
  }
  if (!Handled && Shift && !Ctrl && !Alt && HookMemo) EdKeyDown(K, Shift, Ctrl, Alt, Handled);
  if (!Handled && !Ctrl && !Alt && HookMemo && Ed && App->Keyb) {
    const char C = CharOfScan(static_cast<uint16_t>(Msg.LParam >> 16), App->Keyb->Layout, Shift,
                              CapsOn, NumOn);
    if (C != 0) {
      Ed->TypeChar(C);
      Handled = true;
    }
  }
  if (Alt && !Ctrl && !Shift) App->qKeyDone = false;
}

void KeyUp(const TMsg& Msg) {
  App->NoteActivity();
  const uint16_t K = static_cast<uint16_t>(Msg.WParam & 0xFF);
  TcvKeyb* Kb = App->Keyb.get();
  if (!Kb) return;
  // Ctrl pressed and released alone switches the program's layout (the editor's memo does it
  // itself when it serves its own keys).
  if (K == VK_CONTROL && Kb->LastKey == VK_CONTROL &&
      !(MemoSelfServed && MemoEdFocused(MainWindowLink()))) {
    if (Kb->Layout == 'R')
      Kb->SetEng();
    else
      Kb->SetRus();
  }
  if (K == VK_CAPITAL) {
    if (Msg.LParam == 0xC03A0001u) {
      Kb->Caps = CapsLockState();
      SayHook("=== CapsLock=" + std::string(1, Kb->Caps), "");
    } else {
      SayHook("=== CapsLock=" + std::string(1, Kb->Caps) + " НАЖАТА ПРОГРАММНО!"_cp, "");
    }
  }
}

void LayoutSwitch(const TMsg& Msg) {
  if ((Msg.WParam & 0xFF) != 1) return;
  TcvKeyb* Kb = App->Keyb.get();
  const std::string Dec = std::to_string(Msg.LParam);
  if (Msg.LParam == 0x04090409u) {
    SayHook("включили LAT "_cp + Dec, "");
    if (Kb) Kb->Layout = 'E';
  } else if (Msg.LParam == 0x04190419u) {
    SayHook("включили RUS "_cp + Dec, "");
    if (Kb) Kb->Layout = 'R';
  }
}

void MouseMove(const TMsg& Msg) {
  App->NoteActivity();
  if (const TPageInput* P = ActivePageInput(MainWindowLink()); P && P->MouseMove) P->MouseMove(Msg);
}

void LButtonDown(const TMsg& Msg) {
  App->NoteActivity();
  if (const TPageInput* P = ActivePageInput(MainWindowLink()); P && P->LButtonDown)
    P->LButtonDown(Msg);
}

void Wheel(const TMsg& Msg) {
  App->NoteActivity();
  TMainWindowLink& W = MainWindowLink();
  const std::string Focus = W.FocusedName();
  const bool Down = Msg.WParam == 0xFF880000u, Up = Msg.WParam == 0x00780000u;
  if (Focus == "MemoDbg") {
    if (Down) W.DbgWheelDown();
    if (Up) W.DbgWheelUp();
  } else if (Focus == "MemoEd" && !MemoSelfServed && Ed) {
    if (Down) Ed->CaretDown(3);
    if (Up) Ed->CaretUp(3);
  }
}

void Command(const TMsg& Msg, bool& Handled) {
  const int32_t Code = static_cast<int32_t>(Msg.LParam);
  switch (Msg.WParam & 0xFF) {
    case CVCMD_EDITOR_KEY:
      Handled = Ed && Ed->KeyCmd(Code);
      break;
    case CVCMD_PANEL_KEY:
      if (App->Inf) App->Inf->KeyCmd(Code);
      break;
    default:
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------- the hook

void AppMessage(TMsg& Msg, bool& Handled) {
  if (!App) return;
  const uint32_t M = Msg.Message & 0xFFFF;
  if (Ignored(M)) return;
  TMainWindowLink& W = MainWindowLink();
  switch (M) {
    case WM_INPUTLANGCHANGEREQUEST:
      LayoutSwitch(Msg);
      return;
    case WM_KEYDOWN:
      KeyDown(Msg, Handled);
      return;
    case WM_KEYUP:
      KeyUp(Msg);
      return;
    case WM_SYSKEYDOWN:
      App->NoteActivity();
      if (!KeyState.Shift && !KeyState.Ctrl) App->qKeyDone = false;
      return;
    case WM_COMMAND:
      LogMessage(Msg);
      return;
    case WM_MOUSEMOVE:
      MouseMove(Msg);
      return;
    case WM_LBUTTONDOWN:
      LButtonDown(Msg);
      return;
    case WM_LBUTTONDBLCLK:
      if (HookServesMemoEd(W) && Ed) {
        Ed->UpdateStatus();
        if (Ed->IsFile) {
          Ed->Done = false;
          Ed->OpenLinked();
          if (Ed->Done) Handled = true;
        }
      }
      App->NoteActivity();
      return;
    case WM_RBUTTONDOWN:
      if (HookServesMemoEd(W)) {
        if (Ed) Ed->UpdateStatus();
        Handled = false;
      }
      return;
    case WM_RBUTTONUP:
      App->NoteActivity();
      return;
    case WM_MOUSEWHEEL:
      Wheel(Msg);
      return;
    case WM_CV_COMMAND:
      Command(Msg, Handled);
      return;
    default:
      if (M < WM_REGISTERED_FIRST) LogMessage(Msg);
      Handled = false;
      return;
  }
}

std::string MessageText(const TMsg& Msg) {
  return "mes=" + IntHex(Msg.Message) + " W=" + IntHex(Msg.WParam & 0xFF) +
         " wp=" + IntHex(Msg.WParam) + " lp=" + IntHex(Msg.LParam) +
         " tm=" + std::to_string(Msg.Time) + " X=" + IntStr(Msg.Pt.X) + " Y=" + IntStr(Msg.Pt.Y);
}

void LogMessage(const TMsg& Msg) { SayHook(MessageText(Msg), ""); }

THookKeyState& HookKeyState() { return KeyState; }

void SetEditorMemoSelfServed(bool On) { MemoSelfServed = On; }
bool EditorMemoSelfServed() { return MemoSelfServed; }

// ---------------------------------------------------------------- posting

TPostMessageProc SetPostMessageProc(TPostMessageProc Proc) {
  TPostMessageProc Old = std::move(Poster);
  Poster = std::move(Proc);
  return Old;
}

void PostAppMessage(platform::TControl* Wnd, uint32_t Message, uint32_t WParam, uint32_t LParam) {
  TMsg M;
  M.Wnd = Wnd;
  M.Message = Message;
  M.WParam = WParam;
  M.LParam = LParam;
  M.Time = MsClock();
  M.Pt = platform::CursorScreenPos();
  if (Poster)
    Poster(M);
  else
    Queue().push_back(M);
}

int RunPostedMessages() {
  const size_t N = Queue().size();
  for (size_t i = 0; i < N && !Queue().empty(); ++i) {
    TMsg M = Queue().front();
    Queue().pop_front();
    bool Handled = false;
    AppMessage(M, Handled);
  }
  return static_cast<int>(N);
}

size_t PostedMessageCount() { return Queue().size(); }

void ClearPostedMessages() { Queue().clear(); }

// ---------------------------------------------------------------- the tabs' own input

void RegisterPageInput(const std::string& PageName, TPageInput Input) {
  if (Input.Empty())
    PageInputs().erase(PageName);
  else
    PageInputs()[PageName] = std::move(Input);
}

void ClearPageInputs() { PageInputs().clear(); }

namespace {

// Esc: back to the Texts tab, the editor's memo focused.
void BackToTexts(const std::function<void()>& Between) {
  TMainWindowLink& W = MainWindowLink();
  W.ShowPage("TabEd");
  if (Between) Between();
  W.FocusControl("MemoEd");
}

void ShowMouseOnGIF(TMainWindowLink& W, const TPoint& P, int32_t& Px, int32_t& Py) {
  const TRect R = W.ScreenRect("PanelGIF");
  Px = P.X - R.Left;
  Py = P.Y - R.Top;
  W.SetControlText("lbMouse", XY(P.X, P.Y));
  W.SetControlText("lbMouseOnBMP", XY(Px, Py));
}

void GIFMouseMove(TGIFTabLink& Tab, const TMsg& Msg) {
  if (KeyState.LButton) {
    if (Tab.PointInPanelGIF()) Tab.CurrentMove();
  } else {
    int32_t Px = 0, Py = 0;
    ShowMouseOnGIF(MainWindowLink(), Msg.Pt, Px, Py);
  }
}

void AddToMemoEd(const std::string& Line) {
  if (Ed && Ed->Memo) Ed->Memo->AddLine(Line);
}

void GIFPick(TGIFTabLink& Tab, const TMsg& Msg) {
  TMainWindowLink& W = MainWindowLink();
  if (!Tab.PointInPanelGIF()) return;
  TGIFWork* G = Tab.GIFWork();
  if (G) G->Pick = Msg.Pt;
  int32_t Px = 0, Py = 0;
  ShowMouseOnGIF(W, Msg.Pt, Px, Py);
  const std::string Focus = W.FocusedName();
  if (Focus == "edGIFxMirror") {
    W.SetControlText("edGIFxMirror", IntStr(Px));
  } else if (!W.ButtonDown("btGIFyReper")) {
    W.SetControlText(Focus == "edGIFyReper3" ? "edGIFyReper3" : "edGIFyReper", IntStr(Py));
  }
  if (!G) return;
  const int32_t Step = W.ItemIndex("cbAlgPoint");
  switch (Step) {
    case 1:
      G->Level20 = Py;
      break;
    case 2:
      G->LevelContA = Py;
      break;
    case 3:
      G->LevelContM = Py;
      break;
    case 4: {
      G->LevelMaxD = Py;
      W.SetItemIndex("cbAlgPoint", Step + 1);
      Tab.DrawGIFGuideLines();
      std::unique_ptr<TStringList> L = GIFReportHeader(W.ControlText("edNmGIF"), *G);
      for (int i = 0; i < L->Count(); ++i) AddToMemoEd((*L)[i]);
      return;
    }
    case 5: {
      platform::TControl* Image = W.Control("ImageCORA");
      const std::string Line =
          GIFMeasureLine(Px, Py, Image ? Image->Bounds().Width() : 0, *G);
      if (Line.empty())
        WARNAbs("GIF: уровень 20% совпадает с уровнем CONT - измерение не записано"_cp);
      else
        AddToMemoEd(Line);
      return;
    }
    default:
      return;
  }
  W.SetItemIndex("cbAlgPoint", Step + 1);
}

}  // namespace

TPageInput GrafPageInput() {
  TPageInput I;
  I.KeyDown = [](uint16_t K) {
    if (K != VK_ESCAPE) return false;
    BackToTexts(nullptr);
    return true;
  };
  return I;
}

TPageInput CORAPageInput(TCORATabLink& Tab) {
  TPageInput I;
  I.KeyDown = [&Tab](uint16_t K) {
    if (K != VK_ESCAPE) return false;
    BackToTexts([&Tab] { Tab.SetViewTimer(false); });
    return true;
  };
  return I;
}

TPageInput GIFPageInput(TGIFTabLink& Tab) {
  TPageInput I;
  I.KeyDown = [&Tab](uint16_t K) {
    if (!Tab.PointInPanelGIF()) return false;
    switch (K) {
      case VK_LEFT: Tab.GIFOrigXInc(); break;
      case VK_UP: Tab.GIFOrigYInc(); break;
      case VK_RIGHT: Tab.GIFOrigXDec(); break;
      case VK_DOWN: Tab.GIFOrigYDec(); break;
      default: break;
    }
    return true;
  };
  I.MouseMove = [&Tab](const TMsg& Msg) { GIFMouseMove(Tab, Msg); };
  I.LButtonDown = [&Tab](const TMsg& Msg) { GIFPick(Tab, Msg); };
  return I;
}

TPageInput UnnoPageInput(TUnnoTabLink& Tab) {
  TPageInput I;
  I.KeyDown = [&Tab](uint16_t K) {
    TMainWindowLink& W = MainWindowLink();
    if (W.FocusedName() != "ngUnno" || !W.ButtonDown("btngUNNOPages")) return false;
    if (K == VK_PRIOR)
      Tab.UnnoPagePrev();
    else if (K == VK_NEXT)
      Tab.UnnoPageNext();
    return true;
  };
  return I;
}

// ---------------------------------------------------------------- keyboard routines

std::array<uint8_t, 3> KbState() {
  std::array<uint8_t, 3> S{};
  S[0] = (platform::KeyboardLayout() & 0xFFFF) == 0x0419 ? 'R' : 'E';
  uint8_t B = 0;
  if (KeyState.Shift) B |= 0x01;
  if (KeyState.Alt) B |= 0x02;
  if (KeyState.Ctrl) B |= 0x04;
  if (platform::LockKeyOn('C')) B |= 0x08;
  if (platform::LockKeyOn('N')) B |= 0x10;
  if (platform::LockKeyOn('S')) B |= 0x20;
  if (KeyState.Insert) B |= 0x40;
  S[1] = B;
  uint8_t Mouse = 0;
  if (KeyState.LButton) Mouse |= 0x01;
  if (KeyState.RButton) Mouse |= 0x02;
  if (KeyState.MButton) Mouse |= 0x04;
  S[2] = Mouse;
  return S;
}

char CharOfKey(uint16_t Key) {
  const std::array<uint8_t, 3> S = KbState();
  return KeyChar(Key, S[1] & 0x01, S[1] & 0x02, S[1] & 0x04, S[1] & 0x08,
                 static_cast<char>(S[0]));
}

void KeyToCode(platform::TControl* Wnd, uint32_t Kind, uint16_t Key, bool Shift, bool Ctrl,
               bool Alt, bool& Done, int32_t& Code) {
  Done = false;
  Code = 0;
  if (!Ctrl && !Alt) {
    const char C = CharOfKey(Key);
    if (C != 0) {
      Code = static_cast<unsigned char>(C);
      PostAppMessage(Wnd, WM_CV_COMMAND, Kind, static_cast<uint32_t>(Code));
      Done = true;
      return;
    }
  }
  if (!Shift && !Ctrl && !Alt)
    Code = 256 + Key;
  else if (Ctrl && !Shift && !Alt)
    Code = 512 + Key;
  if (Code != 0) {
    PostAppMessage(Wnd, WM_CV_COMMAND, Kind, static_cast<uint32_t>(Code));
    Done = true;
  }
}

TKeySet MakeKeySet(std::initializer_list<uint16_t> Keys) {
  TKeySet S;
  for (uint16_t K : Keys)
    if (K < 256) S.set(K);
  return S;
}

bool KeyInSet(uint16_t Key, bool Shift, bool Ctrl, bool Alt, const TKeySet& Plain,
              const TKeySet& WithShift, const TKeySet& WithCtrl, const TKeySet& WithAlt) {
  if (Key > 255) return false;
  const int N = int(Shift) + int(Ctrl) + int(Alt);
  if (N >= 2) return false;
  if (Shift) return WithShift.test(Key);
  if (Ctrl) return WithCtrl.test(Key);
  if (Alt) return WithAlt.test(Key);
  return Plain.test(Key);
}

char CharOfScan(uint16_t KeyData, char Layout, bool Shift, bool CapsLock, bool NumLock) {
  const int Scan = KeyData & 0xFF;
  const bool Extended = (KeyData & 0x100) != 0;
  char C = 0;
  if (Scan == 57 && !Extended) {
    C = ' ';
  } else if (!Extended && Scan >= kScanFirst && Scan <= kScanLast &&
             (Layout == 'E' || Layout == 'R')) {
    const size_t i = static_cast<size_t>(Scan - kScanFirst);
    const std::string& Plain = Layout == 'R' ? RusPlain() : EngPlain();
    const std::string& Shifted = Layout == 'R' ? RusShift() : EngShift();
    const bool Up = IsLetter(Plain[i]) ? (Shift != CapsLock) : Shift;
    C = Up ? Shifted[i] : Plain[i];
  }
  if (NumLock) {
    switch (KeyData & 0x1FF) {
      case 55: C = '*'; break;
      case 71: C = '7'; break;
      case 72: C = '8'; break;
      case 73: C = '9'; break;
      case 74: C = '-'; break;
      case 75: C = '4'; break;
      case 76: C = '5'; break;
      case 77: C = '6'; break;
      case 78: C = '+'; break;
      case 79: C = '1'; break;
      case 80: C = '2'; break;
      case 81: C = '3'; break;
      case 82: C = '0'; break;
      case 83: C = '.'; break;
      case 309: C = '/'; break;
      default: break;
    }
  }
  return C;
}

uint16_t ScanOfVK(uint16_t Key) {
  constexpr uint16_t E = 0x100;  // extended key
  static const std::array<uint16_t, 256> Table = [] {
    std::array<uint16_t, 256> t{};
    const char* Row1 = "1234567890";
    for (int i = 0; i < 10; ++i) t[static_cast<size_t>(Row1[i])] = static_cast<uint16_t>(2 + i);
    const char* Letters = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) t[static_cast<size_t>(Letters[i])] = static_cast<uint16_t>(16 + i);
    const char* Middle = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) t[static_cast<size_t>(Middle[i])] = static_cast<uint16_t>(30 + i);
    const char* Bottom = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) t[static_cast<size_t>(Bottom[i])] = static_cast<uint16_t>(44 + i);
    for (int i = 0; i < 10; ++i) t[VK_F1 + i] = static_cast<uint16_t>(59 + i);
    t[VK_F1 + 10] = 87;
    t[VK_F12] = 88;
    t[VK_ESCAPE] = 1;
    t[VK_OEM_MINUS] = 12;
    t[VK_OEM_PLUS] = 13;
    t[VK_BACK] = 14;
    t[VK_TAB] = 15;
    t[VK_OEM_4] = 26;
    t[VK_OEM_6] = 27;
    t[VK_RETURN] = 28;
    t[VK_CONTROL] = 29;
    t[VK_OEM_1] = 39;
    t[VK_OEM_7] = 40;
    t[VK_OEM_3] = 41;
    t[VK_SHIFT] = 42;
    t[VK_OEM_5] = 43;
    t[VK_OEM_COMMA] = 51;
    t[VK_OEM_PERIOD] = 52;
    t[VK_OEM_2] = 53;
    t[VK_MULTIPLY] = 55;
    t[VK_MENU] = 56;
    t[VK_SPACE] = 57;
    t[VK_CAPITAL] = 58;
    t[VK_NUMLOCK] = 69;
    t[VK_SCROLL] = 70;
    const uint16_t Pad[10] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};  // keypad 0..9
    for (int i = 0; i < 10; ++i) t[VK_NUMPAD0 + i] = Pad[i];
    t[VK_SUBTRACT] = 74;
    t[VK_ADD] = 78;
    t[VK_DECIMAL] = 83;
    t[VK_DIVIDE] = E | 53;
    t[VK_HOME] = E | 71;
    t[VK_UP] = E | 72;
    t[VK_PRIOR] = E | 73;
    t[VK_LEFT] = E | 75;
    t[VK_RIGHT] = E | 77;
    t[VK_END] = E | 79;
    t[VK_DOWN] = E | 80;
    t[VK_NEXT] = E | 81;
    t[VK_INSERT] = E | 82;
    t[VK_DELETE] = E | 83;
    return t;
  }();
  return Key < 256 ? Table[Key] : 0;
}

uint32_t KeyLParam(uint16_t Key, bool Up, bool Repeat) {
  const uint16_t S = ScanOfVK(Key);
  uint32_t L = 1u | (static_cast<uint32_t>(S & 0xFF) << 16);
  if (S & 0x100) L |= KEY_EXTENDED;
  if (Up)
    L |= KEY_WAS_DOWN | KEY_RELEASED;
  else if (Repeat)
    L |= KEY_WAS_DOWN;
  return L;
}

// ---------------------------------------------------------------- GIF measuring texts

namespace {

std::string Part(const std::string& S, size_t From, size_t N) {
  return From < S.size() ? S.substr(From, N) : std::string();
}

}  // namespace

std::unique_ptr<TStringList> GIFReportHeader(const std::string& N, const TGIFWork& W) {
  auto L = std::make_unique<TStringList>();
  L->Add("");
  L->Add(N + " = линия "_cp + Part(N, 0, 6) + " / спектрограмма №"_cp + Part(N, 10, 2) +
         " / разрез "_cp + (N.size() >= 2 ? N.substr(N.size() - 2) : N) + " ___");
  L->Add(W.Comment);
  L->Add(PadLeft(IntStr(W.Level20), 4) + " уровень 20%  автоматический"_cp);
  L->Add(IntStr(W.LevelContA) + " уровень CONT автоматический"_cp);
  L->Add(IntStr(W.LevelContM) + " уровень CONT ручной"_cp);
  L->Add(IntStr(W.LevelMaxD) + " уровень MaxD"_cp);
  L->Add("");
  L->Add(" Iauto  Imanu  Ipoint  W(мА)  bis(mA)  bis(km/s)  W    bisec"_cp);
  return L;
}

std::string GIFMeasureLine(int32_t Px, int32_t Py, int32_t ImageWidth, const TGIFWork& W) {
  const double Span = static_cast<double>(W.LevelContA) - W.Level20;
  if (Span == 0) return {};
  const int32_t A = Px + W.OrigX;
  const int32_t B = W.MirrorX + ImageWidth - Px;
  return FSt(4, 1, (Py - W.Level20) / Span * 20) + " " + FSt(4, 1, (Py - W.LevelContM) / Span * 20) +
         " " + PadLeft(IntStr(Py), 4) + " " + FSt(6, 1, (B - A) / 997.0 * 400) + " " +
         PadLeft(IntStr(B - A), 4) + " " + PadLeft(IntStr((A + B) / 2), 4);
}
