// The application's message hook over Qt: an application-wide event filter that turns key, mouse
// and wheel events into message records (virtual-key codes, the key-state bits of the mouse
// messages, scan codes in LParam), records the modifier keys, mouse buttons and lock keys for the
// hook, runs AppMessage inside the application's exception guard and eats every event the hook
// handles. The private message is posted through the Qt event loop. QtFormLink is a main-window
// link over a form widget whose controls carry their component names as object names.
#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>

#include "app/cvMsg.h"
#include "app/cvWinLink.h"

class QEvent;

class QtAppHook : public QObject {
  Q_OBJECT

 public:
  explicit QtAppHook(QObject* Parent = nullptr);
  ~QtAppHook() override;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // True when Event is one the hook has seen already on its way from a child to a parent.
  bool SeenBefore(QWidget* Receiver, QEvent* Event);

  struct TSignature {
    int Type = 0;
    quint64 Time = 0;
    int Key = 0;
    int Buttons = 0;
    int Modifiers = 0;
    QPointF Global;
    QPoint Angle;
    bool operator==(const TSignature&) const = default;
  };
  TSignature Last_;
  QPointer<QWidget> LastReceiver_;
};

// Installs the hook on the application (once): the event filter, the poster of the private
// message, and the editor's memo marked as serving its own keys (the Qt memo hands them to the
// editor itself).
QtAppHook* InstallQtAppHook();
// Removes it again and restores the hook's defaults.
void RemoveQtAppHook();

// The message record of a Qt event for the widget that receives it; false for events the hook
// does not take (other event types, keys without a virtual-key code, auto-repeated releases).
// Also brings the recorded key state (HookKeyState, the lock keys) up to date.
bool QtEventToMsg(QWidget* Receiver, QEvent* Event, TMsg& Msg);

// A main-window link over a form widget: controls are its descendants found by object name,
// the focus is the application's focus widget.
class QtFormLink : public TMainWindowLink {
 public:
  explicit QtFormLink(QWidget* Form);

  platform::TControl* Form() override;
  platform::TControl* Control(const std::string& Name) override;
  std::string FocusedName() override;
  std::string FocusedClassName() override;
  TRect ScreenRect(const std::string& Name) override;
  bool ButtonDown(const std::string& Name) override;
  bool DroppedDown(const std::string& Name) override;

  // The form itself or its descendant of that object name; nullptr when none.
  QWidget* Widget(const std::string& Name) const;

 private:
  QPointer<QWidget> Form_;
};
