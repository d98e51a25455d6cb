#include "app/qt/QtAppHook.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "app/cvApp.h"
#include "app/cvHook.h"
#include "foundation/cvClock.h"
#include "platform/SysInfo.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtMemo.h"

namespace {

QPointer<QtAppHook> Installed;

void RunHook(TMsg& M, bool& Handled) {
  if (App)
    App->Guard(nullptr, [&M, &Handled] { AppMessage(M, Handled); });
  else
    AppMessage(M, Handled);
}

uint32_t MouseKeyBits(Qt::MouseButtons B, Qt::KeyboardModifiers K) {
  uint32_t W = 0;
  if (B & Qt::LeftButton) W |= MK_LBUTTON;
  if (B & Qt::RightButton) W |= MK_RBUTTON;
  if (B & Qt::MiddleButton) W |= MK_MBUTTON;
  if (K & Qt::ShiftModifier) W |= MK_SHIFT;
  if (K & Qt::ControlModifier) W |= MK_CONTROL;
  return W;
}

void NoteButtons(Qt::MouseButtons B) {
  THookKeyState& S = HookKeyState();
  S.LButton = B & Qt::LeftButton;
  S.RButton = B & Qt::RightButton;
  S.MButton = B & Qt::MiddleButton;
}

void NoteModifiers(Qt::KeyboardModifiers K) {
  THookKeyState& S = HookKeyState();
  S.Shift = K & Qt::ShiftModifier;
  S.Ctrl = K & Qt::ControlModifier;
  S.Alt = K & Qt::AltModifier;
}

uint32_t PackPoint(int32_t X, int32_t Y) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(X))) |
         (static_cast<uint32_t>(static_cast<uint16_t>(Y)) << 16);
}

bool KeyToMsg(QKeyEvent* K, TMsg& M) {
  const bool Press = K->type() == QEvent::KeyPress;
  // The platform repeats a held key as releases and presses; the hook sees repeated presses.
  if (!Press && K->isAutoRepeat()) return false;
  const uint16_t Vk = platform::VirtualKeyOf(K);
  if (Vk == 0) return false;

  // The state of the key itself: Qt reports the modifiers from before the event.
  Qt::KeyboardModifiers Mods = K->modifiers();
  const auto Own = [&](Qt::KeyboardModifier Bit) {
    Mods.setFlag(Bit, Press);
  };
  if (Vk == VK_SHIFT) Own(Qt::ShiftModifier);
  if (Vk == VK_CONTROL) Own(Qt::ControlModifier);
  if (Vk == VK_MENU) Own(Qt::AltModifier);
  NoteModifiers(Mods);

  if (Press && !K->isAutoRepeat()) {
    if (Vk == VK_CAPITAL) platform::SetLockKeyOn('C', !platform::LockKeyOn('C'));
    if (Vk == VK_NUMLOCK) platform::SetLockKeyOn('N', !platform::LockKeyOn('N'));
    if (Vk == VK_SCROLL) platform::SetLockKeyOn('S', !platform::LockKeyOn('S'));
    if (Vk == VK_INSERT) HookKeyState().Insert = !HookKeyState().Insert;
  }
  // A keypad key tells the state of NumLock: digits with it on, moving keys with it off.
  if (Press && (K->modifiers() & Qt::KeypadModifier)) {
    if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD0 + 9)
      platform::SetLockKeyOn('N', true);
    else if ((Vk >= VK_PRIOR && Vk <= VK_DOWN) || Vk == VK_INSERT || Vk == VK_DELETE)
      platform::SetLockKeyOn('N', false);
  }

  const bool Sys = HookKeyState().Alt && !HookKeyState().Ctrl;
  M.Message = Press ? (Sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (Sys ? WM_SYSKEYUP : WM_KEYUP);
  M.WParam = Vk;
  M.LParam = KeyLParam(Vk, !Press, K->isAutoRepeat());
  if (Sys) M.LParam |= 0x20000000u;  // Alt held
  return true;
}

}  // namespace

// ---------------------------------------------------------------- events to messages

bool QtEventToMsg(QWidget* Receiver, QEvent* Event, TMsg& Msg) {
  Msg = TMsg{};
  Msg.Wnd = platform::QtHandle(Receiver);
  Msg.Time = MsClock();
  switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const QPoint C = QCursor::pos();
      Msg.Pt = {C.x(), C.y()};
      return KeyToMsg(static_cast<QKeyEvent*>(Event), Msg);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* E = static_cast<QMouseEvent*>(Event);
      const int Kind = E->button() == Qt::LeftButton    ? 0
                       : E->button() == Qt::RightButton  ? 1
                       : E->button() == Qt::MiddleButton ? 2
                                                         : -1;
      switch (Event->type()) {
        case QEvent::MouseMove:
          Msg.Message = WM_MOUSEMOVE;
          break;
        case QEvent::MouseButtonPress: {
          if (Kind < 0) return false;
          const uint32_t Down[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
          Msg.Message = Down[Kind];
          break;
        }
        case QEvent::MouseButtonRelease: {
          if (Kind < 0) return false;
          const uint32_t Up[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
          Msg.Message = Up[Kind];
          break;
        }
        default: {
          if (Kind < 0) return false;
          const uint32_t Dbl[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
          Msg.Message = Dbl[Kind];
          break;
        }
      }
      NoteButtons(E->buttons());
      NoteModifiers(E->modifiers());
      Msg.WParam = MouseKeyBits(E->buttons(), E->modifiers());
      const QPoint P = E->position().toPoint();
      Msg.LParam = PackPoint(P.x(), P.y());
      const QPoint G = E->globalPosition().toPoint();
      Msg.Pt = {G.x(), G.y()};
      return true;
    }
    case QEvent::Wheel: {
      auto* E = static_cast<QWheelEvent*>(Event);
      const int Delta = E->angleDelta().y();
      if (Delta == 0) return false;
      NoteButtons(E->buttons());
      NoteModifiers(E->modifiers());
      Msg.Message = WM_MOUSEWHEEL;
      Msg.WParam = (static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(Delta))) << 16) |
                   MouseKeyBits(E->buttons(), E->modifiers());
      const QPoint G = E->globalPosition().toPoint();
      Msg.LParam = PackPoint(G.x(), G.y());
      Msg.Pt = {G.x(), G.y()};
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------- the filter

QtAppHook::QtAppHook(QObject* Parent) : QObject(Parent) {}

QtAppHook::~QtAppHook() = default;

bool QtAppHook::SeenBefore(QWidget* Receiver, QEvent* Event) {
  TSignature S;
  S.Type = static_cast<int>(Event->type());
  if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) {
    auto* K = static_cast<QKeyEvent*>(Event);
    S.Time = K->timestamp();
    S.Key = K->key();
    S.Modifiers = static_cast<int>(K->modifiers());
  } else if (Event->type() == QEvent::Wheel) {
    auto* W = static_cast<QWheelEvent*>(Event);
    S.Time = W->timestamp();
    S.Global = W->globalPosition();
    S.Angle = W->angleDelta();
  } else {
    auto* M = static_cast<QMouseEvent*>(Event);
    S.Time = M->timestamp();
    S.Key = static_cast<int>(M->button());
    S.Buttons = static_cast<int>(M->buttons());
    S.Global = M->globalPosition();
  }
  // An event the receiver did not take goes on to its parents with the same content.
  if (S == Last_ && LastReceiver_ && LastReceiver_ != Receiver &&
      Receiver->isAncestorOf(LastReceiver_))
    return true;
  Last_ = S;
  LastReceiver_ = Receiver;
  return false;
}

bool QtAppHook::eventFilter(QObject* Watched, QEvent* Event) {
  switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
      break;
    default:
      return false;
  }
  // Window-system events reach the widgets through their windows: take them at the widgets.
  auto* W = qobject_cast<QWidget*>(Watched);
  if (!W || SeenBefore(W, Event)) return false;
  TMsg M;
  if (!QtEventToMsg(W, Event, M)) return false;
  bool Handled = false;
  RunHook(M, Handled);
  if (!Handled) return false;
  Event->accept();
  return true;
}

QtAppHook* InstallQtAppHook() {
  if (Installed) return Installed;
  if (!qApp) return nullptr;
  Installed = new QtAppHook(qApp);
  qApp->installEventFilter(Installed);
  SetEditorMemoSelfServed(true);
  SetPostMessageProc([](const TMsg& Posted) {
    QMetaObject::invokeMethod(
        qApp,
        [Posted] {
          TMsg M = Posted;
          bool Handled = false;
          RunHook(M, Handled);
        },
        Qt::QueuedConnection);
  });
  return Installed;
}

void RemoveQtAppHook() {
  SetPostMessageProc(nullptr);
  SetEditorMemoSelfServed(false);
  if (!Installed) return;
  if (qApp) qApp->removeEventFilter(Installed);
  delete Installed.data();
}

// ---------------------------------------------------------------- the form link

QtFormLink::QtFormLink(QWidget* AForm) : Form_(AForm) {}

QWidget* QtFormLink::Widget(const std::string& Name) const {
  if (!Form_ || Name.empty()) return nullptr;
  const QString N = QString::fromLatin1(Name.c_str());
  if (Form_->objectName() == N) return Form_;
  return Form_->findChild<QWidget*>(N);
}

platform::TControl* QtFormLink::Form() { return platform::QtHandle(Form_); }

platform::TControl* QtFormLink::Control(const std::string& Name) {
  return platform::QtHandle(Widget(Name));
}

std::string QtFormLink::FocusedName() {
  QWidget* F = QApplication::focusWidget();
  return F ? F->objectName().toStdString() : std::string();
}

std::string QtFormLink::FocusedClassName() {
  platform::TControl* C = platform::QtHandle(QApplication::focusWidget());
  return C ? C->ClassName() : std::string();
}

TRect QtFormLink::ScreenRect(const std::string& Name) {
  QWidget* W = Widget(Name);
  if (!W) return {};
  const QPoint TL = W->mapToGlobal(QPoint(0, 0));
  return {TL.x(), TL.y(), TL.x() + W->width(), TL.y() + W->height()};
}

bool QtFormLink::ButtonDown(const std::string& Name) {
  auto* B = qobject_cast<QAbstractButton*>(Widget(Name));
  return B && (B->isDown() || B->isChecked());
}

bool QtFormLink::DroppedDown(const std::string& Name) {
  auto* C = qobject_cast<QComboBox*>(Widget(Name));
  return C && C->view() && C->view()->isVisible();
}
