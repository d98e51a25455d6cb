#include "platform/qt/FormRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "platform/qt/QtMemo.h"
#include "platform/qt/FormControls.h"

namespace platform {

// ---------------------------------------------------------------- controls by name

void TFormRegistry::Add(const std::string& Name, QObject* Object, const std::string& Kind) {
  if (Name.empty() || !Object) throw std::logic_error("form control without a name or object");
  const auto it = items_.find(Name);
  if (it != items_.end() && it->second.Object)
    throw std::logic_error("form control " + Name + " registered twice");
  if (it == items_.end()) order_.push_back(Name);
  items_[Name] = Entry{Object, Kind};
}

QObject* TFormRegistry::Find(const std::string& Name) const {
  const auto it = items_.find(Name);
  return it == items_.end() ? nullptr : it->second.Object.data();
}

QWidget* TFormRegistry::Widget(const std::string& Name) const {
  auto* W = qobject_cast<QWidget*>(Find(Name));
  if (!W) throw std::logic_error("form control " + Name + " is not registered");
  return W;
}

std::string TFormRegistry::KindOf(const std::string& Name) const {
  const auto it = items_.find(Name);
  return it == items_.end() ? std::string() : it->second.Kind;
}

const TFormHandler* THandlerRegistry::Find(const std::string& Name) const {
  const auto it = items_.find(Name);
  return it == items_.end() ? nullptr : &it->second;
}

std::vector<std::string> THandlerRegistry::Names() const {
  std::vector<std::string> v;
  for (const auto& [n, h] : items_) v.push_back(n);
  return v;
}

// ---------------------------------------------------------------- events of widgets

class TFormDispatcher::Filter : public QObject {
 public:
  explicit Filter(TFormDispatcher* D) : D_(D) {}
  // Events taken from the widget's own event stream: object -> (control, event).
  std::map<QObject*, std::vector<std::pair<std::string, std::string>>> Watched;

  bool eventFilter(QObject* Obj, QEvent* E) override {
    const auto it = Watched.find(Obj);
    if (it == Watched.end()) return false;
    const char* name = nullptr;
    bool click = false;
    switch (E->type()) {
      case QEvent::MouseButtonPress: name = "OnMouseDown"; break;
      case QEvent::MouseButtonRelease: name = "OnMouseUp"; click = true; break;
      case QEvent::MouseMove: name = "OnMouseMove"; break;
      case QEvent::MouseButtonDblClick: name = "OnDblClick"; break;
      case QEvent::KeyPress: name = "OnKeyDown"; break;
      case QEvent::KeyRelease: name = "OnKeyUp"; break;
      case QEvent::FocusIn: name = "OnEnter"; break;
      case QEvent::FocusOut: name = "OnExit"; break;
      case QEvent::Resize: name = "OnResize"; break;
      case QEvent::Paint: name = "OnPaint"; break;
      case QEvent::Close: name = "OnClose"; break;
      case QEvent::Show: name = E->spontaneous() ? nullptr : "OnShow"; break;
      default: break;
    }
    if (!name) return false;
    TFormEventArgs A;
    A.Sender = Obj;
    if (auto* M = dynamic_cast<QMouseEvent*>(E)) {
      const QPoint P = M->position().toPoint();
      A.X = P.x();
      A.Y = P.y();
      A.Button = M->button() == Qt::RightButton    ? TMouseButton::Right
                 : M->button() == Qt::MiddleButton ? TMouseButton::Middle
                                                   : TMouseButton::Left;
      A.LeftDown = M->buttons() & Qt::LeftButton;
      A.Shift = M->modifiers() & Qt::ShiftModifier;
      A.Ctrl = M->modifiers() & Qt::ControlModifier;
      A.Alt = M->modifiers() & Qt::AltModifier;
    }
    if (auto* K = dynamic_cast<QKeyEvent*>(E)) {
      A.Key = VirtualKeyOf(K);
      A.Shift = K->modifiers() & Qt::ShiftModifier;
      A.Ctrl = K->modifiers() & Qt::ControlModifier;
      A.Alt = K->modifiers() & Qt::AltModifier;
    }
    // Copy: a handler may change the table.
    const auto bindings = it->second;
    for (const auto& [control, event] : bindings) {
      if (event == name) D_->Fire(control, event, A);
      if (click && event == "OnClick") {
        auto* M = static_cast<QMouseEvent*>(E);
        auto* W = qobject_cast<QWidget*>(Obj);
        if (M->button() == Qt::LeftButton && W && W->rect().contains(M->position().toPoint()))
          D_->Fire(control, event, A);
      }
    }
    return false;
  }

 private:
  TFormDispatcher* D_;
};

TFormDispatcher::TFormDispatcher(TFormRegistry& Registry, THandlerRegistry& Handlers)
    : R_(Registry), H_(Handlers), filter_(std::make_unique<Filter>(this)) {}

TFormDispatcher::~TFormDispatcher() {
  // Widgets that outlive the dispatcher stop calling it: connections made in the filter's
  // context end with it, and sheet listeners check it.
  for (const auto& [obj, v] : filter_->Watched)
    if (obj) obj->removeEventFilter(filter_.get());
}

void TFormDispatcher::Watch(QObject* Object, const std::string& Control, const std::string& Event) {
  auto& v = filter_->Watched[Object];
  if (v.empty()) {
    Object->installEventFilter(filter_.get());
    QObject::connect(Object, &QObject::destroyed, filter_.get(),
                     [F = filter_.get(), Object]() { F->Watched.erase(Object); });
  }
  v.emplace_back(Control, Event);
  if (Event == "OnMouseMove")
    if (auto* W = qobject_cast<QWidget*>(Object)) W->setMouseTracking(true);
}

namespace {
std::vector<TFormBinder>& Binders() {
  static std::vector<TFormBinder> b;
  return b;
}
}  // namespace

void AddFormBinder(TFormBinder Binder) { Binders().push_back(std::move(Binder)); }

std::vector<std::string> TFormDispatcher::Bind(const std::vector<TFormEvent>& Events) {
  std::vector<std::string> problems;
  for (const TFormEvent& e : Events) {
    const std::string control = e.Control, event = e.Event;
    QObject* O = R_.Find(control);
    if (!O) {
      problems.push_back(control + "." + event + ": no such control");
      continue;
    }
    if (map_.count({control, event})) {
      problems.push_back(control + "." + event + ": bound twice");
      continue;
    }
    map_[{control, event}] = e.Handler;
    bound_.push_back(e);
    QObject* ctx = filter_.get();
    auto fire = [this, control, event, O]() {
      TFormEventArgs A;
      A.Sender = O;
      Fire(control, event, A);
    };
    auto fireArgs = [this, control, event, O](TFormEventArgs A) {
      A.Sender = O;
      Fire(control, event, std::move(A));
    };
    bool byBinder = false;
    for (const TFormBinder& b : Binders())
      if (b(O, event, fireArgs, ctx)) {
        byBinder = true;
        break;
      }
    if (byBinder) continue;

    // Sheets report through their page control.
    if (auto* S = dynamic_cast<TTabSheet*>(O)) {
      if (event == "OnShow" || event == "OnHide" || event == "OnExit" || event == "OnEnter") {
        if (TPageControl* P = S->PageControl()) {
          QPointer<QObject> alive(ctx);
          P->AddListener([alive, fire, S, event](const char* Ev, TTabSheet* Sheet) {
            if (alive && Sheet == S && event == Ev) fire();
          });
          continue;
        }
        problems.push_back(control + "." + event + ": the sheet is in no page control");
        continue;
      }
    }
    if (auto* P = dynamic_cast<TPageControl*>(O); P && event == "OnChange") {
      QPointer<QObject> alive(ctx);
      P->AddListener([alive, fire](const char* Ev, TTabSheet*) {
        if (alive && std::string(Ev) == "OnChange") fire();
      });
      continue;
    }
    if (event == "OnTimer") {
      if (auto* T = qobject_cast<QTimer*>(O)) {
        QObject::connect(T, &QTimer::timeout, ctx, fire);
        continue;
      }
    }
    if (event == "OnPopup") {
      if (auto* M = qobject_cast<QMenu*>(O)) {
        QObject::connect(M, &QMenu::aboutToShow, ctx, fire);
        continue;
      }
    }
    if (event == "OnClick") {
      if (auto* A = qobject_cast<QAction*>(O)) {
        QObject::connect(A, &QAction::triggered, ctx, fire);
        continue;
      }
      // The forms' check boxes and radio buttons report every change of state, also one made by
      // the program; a radio button only when it becomes checked.
      if (auto* R = qobject_cast<QRadioButton*>(O)) {
        QObject::connect(R, &QAbstractButton::toggled, ctx, [fire](bool On) {
          if (On) fire();
        });
        continue;
      }
      if (auto* C = qobject_cast<QCheckBox*>(O)) {
        QObject::connect(C, &QAbstractButton::toggled, ctx, fire);
        continue;
      }
      if (auto* B = qobject_cast<QAbstractButton*>(O)) {
        QObject::connect(B, &QAbstractButton::clicked, ctx, fire);
        continue;
      }
      if (auto* C = qobject_cast<QComboBox*>(O)) {
        QObject::connect(C, &QComboBox::activated, ctx, fire);
        continue;
      }
      if (auto* L = qobject_cast<QListWidget*>(O)) {
        QObject::connect(L, &QListWidget::itemClicked, ctx, fire);
        continue;
      }
    }
    if (event == "OnChange" || event == "OnSelect") {
      if (auto* C = qobject_cast<QComboBox*>(O)) {
        // What the user chooses or types (the program's own changes are not reported).
        QObject::connect(C, &QComboBox::activated, ctx, fire);
        if (event == "OnChange" && C->lineEdit())
          QObject::connect(C->lineEdit(), &QLineEdit::textEdited, ctx, fire);
        continue;
      }
      if (event == "OnChange") {
        if (auto* E = qobject_cast<QLineEdit*>(O)) {
          QObject::connect(E, &QLineEdit::textChanged, ctx, fire);
          continue;
        }
        if (auto* M = qobject_cast<QPlainTextEdit*>(O)) {
          QObject::connect(M, &QPlainTextEdit::textChanged, ctx, fire);
          continue;
        }
        if (auto* M = qobject_cast<QTextEdit*>(O)) {
          QObject::connect(M, &QTextEdit::textChanged, ctx, fire);
          continue;
        }
        if (auto* S = qobject_cast<QSpinBox*>(O)) {
          QObject::connect(S, &QSpinBox::valueChanged, ctx, fire);
          continue;
        }
        if (auto* S = qobject_cast<QSlider*>(O)) {
          QObject::connect(S, &QSlider::valueChanged, ctx, fire);
          continue;
        }
      }
    }
    // Events of the widget's own event stream.
    static const char* streamed[] = {"OnMouseDown", "OnMouseUp", "OnMouseMove", "OnDblClick",
                                     "OnKeyDown",   "OnKeyUp",   "OnEnter",     "OnExit",
                                     "OnResize",    "OnPaint",   "OnClose",     "OnShow",
                                     "OnClick"};
    bool streamedEvent = false;
    for (const char* s : streamed)
      if (event == s) streamedEvent = true;
    if (streamedEvent && qobject_cast<QWidget*>(O)) {
      Watch(O, control, event);
      continue;
    }
    // OnCreate is run by the window itself once it is built.
    if (event == "OnCreate") continue;
    map_.erase({control, event});
    bound_.pop_back();
    problems.push_back(control + "." + event + ": not supported for this control");
  }
  return problems;
}

bool TFormDispatcher::Fire(const std::string& Control, const std::string& Event,
                           TFormEventArgs Args) {
  const auto it = map_.find({Control, Event});
  if (it == map_.end()) return false;
  const std::string handler = it->second;
  Args.Control = Control;
  Args.Event = Event;
  if (!Args.Sender) Args.Sender = R_.Find(Control);
  auto run = [this, &handler, &Args]() {
    if (const TFormHandler* H = H_.Find(handler)) {
      const TFormHandler copy = *H;  // the handler may change the registry
      copy(Args);
    } else if (OnMissing) {
      OnMissing(handler);
    }
  };
  struct DepthGuard {
    int& D;
    explicit DepthGuard(int& AD) : D(AD) { ++D; }
    ~DepthGuard() { --D; }
  } depth(depth_);
  if (Guard)
    Guard(Args.Sender, run);
  else
    run();
  return true;
}

std::string TFormDispatcher::HandlerOf(const std::string& Control, const std::string& Event) const {
  const auto it = map_.find({Control, Event});
  return it == map_.end() ? std::string() : it->second;
}

}  // namespace platform
