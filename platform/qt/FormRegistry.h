// The run-time side of the generated forms: controls by name, handlers by name, and the
// binding of the forms' event tables (control, event, handler) to Qt signals and events.
// Every event goes through one guard (the application's exception report) and an event whose
// handler is not implemented yet goes to a stand-in.
#pragma once
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Controls.h"

class QEvent;
class QWidget;

namespace platform {

// One line of a form's event table.
struct TFormEvent {
  const char* Control;
  const char* Event;    // OnClick, OnChange, OnShow ...
  const char* Handler;  // the handler's name (btOpenClick)
};

// The controls of a window by component name (widgets, menu items, timers), in creation order.
class TFormRegistry {
 public:
  // A second control of the same name is refused (std::logic_error).
  void Add(const std::string& Name, QObject* Object, const std::string& Kind);
  QObject* Find(const std::string& Name) const;
  bool Has(const std::string& Name) const { return Find(Name) != nullptr; }
  template <class T>
  T* As(const std::string& Name) const {
    return dynamic_cast<T*>(Find(Name));
  }
  // The widget of that name; std::logic_error when there is none.
  QWidget* Widget(const std::string& Name) const;
  // The kind the form gave ("TButton" ...); empty when unknown.
  std::string KindOf(const std::string& Name) const;
  const std::vector<std::string>& Names() const { return order_; }
  int Count() const { return static_cast<int>(order_.size()); }

 private:
  struct Entry {
    QPointer<QObject> Object;
    std::string Kind;
  };
  std::map<std::string, Entry> items_;
  std::vector<std::string> order_;
};

// What a handler is told about its event.
struct TFormEventArgs {
  QObject* Sender = nullptr;
  std::string Control;
  std::string Event;
  TMouseButton Button = TMouseButton::Left;
  int32_t X = 0, Y = 0;  // mouse point in the sender's client coordinates
  bool Shift = false, Ctrl = false, Alt = false;
  bool LeftDown = false;  // left button held (mouse moves)
  uint16_t Key = 0;       // virtual-key code (key events)
  // Grid events: the cell or column (-1 when none), the new text (code page 1251), a scroll
  // position or a row move's target, the cell rectangle (client coordinates) and the drawing
  // event's DefaultDrawing.
  int32_t Col = -1, Row = -1, Position = 0;
  std::string Value;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool* DefaultDrawing = nullptr;
};
using TFormHandler = std::function<void(const TFormEventArgs&)>;

// Handlers by name, filled by the code that implements them.
class THandlerRegistry {
 public:
  void Add(const std::string& Name, TFormHandler Handler) { items_[Name] = std::move(Handler); }
  void Remove(const std::string& Name) { items_.erase(Name); }
  const TFormHandler* Find(const std::string& Name) const;
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, TFormHandler> items_;
};

// Binds an event of a control kind that the dispatcher does not know (a library's own control):
// true when it bound it; Fire runs the binding with the event's arguments; Context ends the
// connections with the dispatcher.
using TFormBinder = std::function<bool(QObject* Control, const std::string& Event,
                                       const std::function<void(TFormEventArgs)>& Fire,
                                       QObject* Context)>;
// Binders are asked before the built-in cases, in the order they were added.
void AddFormBinder(TFormBinder Binder);

class TFormDispatcher {
 public:
  TFormDispatcher(TFormRegistry& Registry, THandlerRegistry& Handlers);
  ~TFormDispatcher();
  TFormDispatcher(const TFormDispatcher&) = delete;
  TFormDispatcher& operator=(const TFormDispatcher&) = delete;

  // Runs an event's handler (the default runs it as it is).
  std::function<void(QObject* Sender, const std::function<void()>& Run)> Guard;
  // Runs in place of a handler that is not registered.
  std::function<void(const std::string& Handler)> OnMissing;

  // Connects every binding to its control's signal or event. Returns the bindings that could
  // not be made ("<control>.<event>: <reason>"); the others work.
  std::vector<std::string> Bind(const std::vector<TFormEvent>& Events);
  // Runs the handler bound to (Control, Event) inside the guard; false when none is bound.
  bool Fire(const std::string& Control, const std::string& Event, TFormEventArgs Args = {});
  // The handler's name bound to (Control, Event); empty when none.
  std::string HandlerOf(const std::string& Control, const std::string& Event) const;
  const std::vector<TFormEvent>& Bindings() const { return bound_; }
  // True while a handler runs (nested events included).
  int Depth() const { return depth_; }

 private:
  class Filter;
  void Watch(QObject* Object, const std::string& Control, const std::string& Event);
  TFormRegistry& R_;
  THandlerRegistry& H_;
  std::map<std::pair<std::string, std::string>, std::string> map_;
  std::vector<TFormEvent> bound_;
  std::unique_ptr<Filter> filter_;
  int depth_ = 0;
};

}  // namespace platform
