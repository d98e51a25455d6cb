#include "platform/qt/QtControls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolTip>
#include <map>
#include <memory>

#include "platform/qt/QtCanvas.h"

namespace platform {

namespace {

class QtControl;
std::map<const QObject*, std::unique_ptr<QtControl>>& Registry() {
  static std::map<const QObject*, std::unique_ptr<QtControl>> R;
  return R;
}

std::string KindOf(const QWidget* W) {
  const QVariant V = W->property("formClass");
  if (V.isValid()) return V.toString().toStdString();
  if (qobject_cast<const QLineEdit*>(W)) return "TEdit";
  if (qobject_cast<const QPlainTextEdit*>(W) || qobject_cast<const QTextEdit*>(W)) return "TMemo";
  if (qobject_cast<const QLabel*>(W)) return "TLabel";
  if (qobject_cast<const QComboBox*>(W)) return "TComboBox";
  if (qobject_cast<const QTabWidget*>(W)) return "TPageControl";
  if (qobject_cast<const QCheckBox*>(W)) return "TCheckBox";
  if (qobject_cast<const QRadioButton*>(W)) return "TRadioButton";
  if (qobject_cast<const QPushButton*>(W)) return "TButton";
  if (W->isWindow()) return "TForm";
  if (W->parentWidget() && qobject_cast<const QTabWidget*>(W->parentWidget()->parentWidget()))
    return "TTabSheet";
  return "TPanel";
}

class QtControl : public TControl {
 public:
  explicit QtControl(QWidget* W) : W_(W) {}
  QWidget* Widget() const { return W_.data(); }

  std::string Name() const override { return W_ ? W_->objectName().toStdString() : ""; }
  void SetName(const std::string& N) override {
    if (W_) W_->setObjectName(QString::fromStdString(N));
  }
  std::string ClassName() const override { return W_ ? KindOf(W_) : ""; }
  std::string Text() const override {
    if (!W_) return {};
    if (auto* E = qobject_cast<QLineEdit*>(W_)) return FromQtStr(E->text());
    if (auto* L = qobject_cast<QLabel*>(W_)) return FromQtStr(L->text());
    if (auto* B = qobject_cast<QAbstractButton*>(W_)) return FromQtStr(B->text());
    if (auto* C = qobject_cast<QComboBox*>(W_)) return FromQtStr(C->currentText());
    if (auto* M = qobject_cast<QPlainTextEdit*>(W_)) return FromQtStr(M->toPlainText());
    if (W_->isWindow()) return FromQtStr(W_->windowTitle());
    return FromQtStr(W_->property("caption").toString());
  }
  void SetText(const std::string& T) override {
    if (!W_) return;
    const QString Q = QtStr(T);
    if (auto* E = qobject_cast<QLineEdit*>(W_)) return E->setText(Q);
    if (auto* L = qobject_cast<QLabel*>(W_)) return L->setText(Q);
    if (auto* B = qobject_cast<QAbstractButton*>(W_)) return B->setText(Q);
    if (auto* C = qobject_cast<QComboBox*>(W_)) {
      if (C->isEditable()) C->setEditText(Q);
      return;
    }
    if (auto* M = qobject_cast<QPlainTextEdit*>(W_)) return M->setPlainText(Q);
    if (W_->isWindow()) return W_->setWindowTitle(Q);
    W_->setProperty("caption", Q);
  }
  bool Visible() const override { return W_ && !W_->isHidden(); }
  void SetVisible(bool V) override {
    if (W_) W_->setVisible(V);
  }
  bool Enabled() const override { return W_ && W_->isEnabled(); }
  void SetEnabled(bool E) override {
    if (W_) W_->setEnabled(E);
  }
  int32_t Tag() const override { return W_ ? W_->property("tag").toInt() : 0; }
  void SetTag(int32_t T) override {
    if (W_) W_->setProperty("tag", T);
  }
  TRect Bounds() const override {
    if (!W_) return {};
    const QRect G = W_->geometry();
    return TRect{G.x(), G.y(), G.x() + G.width(), G.y() + G.height()};
  }
  void SetBounds(const TRect& R) override {
    if (W_) W_->setGeometry(R.Left, R.Top, R.Width(), R.Height());
  }
  TControl* Parent() const override { return W_ ? QtHandle(W_->parentWidget()) : nullptr; }
  void SetParent(TControl* P) override {
    if (!W_) return;
    QWidget* PW = QtWidgetOf(P);
    if (PW && W_->parentWidget() != PW) {
      const bool Shown = !W_->isHidden();
      W_->setParent(PW);
      if (Shown) W_->show();
    }
  }
  void SetFocus() override {
    if (W_) W_->setFocus();
  }
  std::string Hint() const override { return W_ ? FromQtStr(W_->toolTip()) : ""; }
  void SetHint(const std::string& H) override {
    if (W_) W_->setToolTip(QtStr(H));
  }
  TControl* Owner() const override {
    if (!W_ || W_->isWindow()) return nullptr;
    return QtHandle(W_->window());
  }
  int32_t ComponentCount() const override { return static_cast<int32_t>(Owned().size()); }
  TControl* Component(int32_t I) const override {
    const auto L = Owned();
    return I >= 0 && I < L.size() ? QtHandle(L[I]) : nullptr;
  }
  int32_t ItemCount() const override {
    auto* C = qobject_cast<QComboBox*>(W_);
    return C ? C->count() : 0;
  }
  std::string Item(int32_t I) const override {
    auto* C = qobject_cast<QComboBox*>(W_);
    return C ? FromQtStr(C->itemText(I)) : "";
  }
  void AddItem(const std::string& S) override {
    if (auto* C = qobject_cast<QComboBox*>(W_)) C->addItem(QtStr(S));
  }
  void ClearItems() override {
    if (auto* C = qobject_cast<QComboBox*>(W_)) C->clear();
  }
  int32_t ItemIndex() const override {
    auto* C = qobject_cast<QComboBox*>(W_);
    return C ? C->currentIndex() : -1;
  }
  void SetItemIndex(int32_t I) override {
    if (auto* C = qobject_cast<QComboBox*>(W_)) C->setCurrentIndex(I);
  }
  int32_t PageCount() const override {
    auto* T = qobject_cast<QTabWidget*>(W_);
    return T ? T->count() : 0;
  }
  TControl* Page(int32_t I) const override {
    auto* T = qobject_cast<QTabWidget*>(W_);
    return T ? QtHandle(T->widget(I)) : nullptr;
  }
  TControl* ActivePage() const override {
    auto* T = qobject_cast<QTabWidget*>(W_);
    return T ? QtHandle(T->currentWidget()) : nullptr;
  }
  void SetActivePage(TControl* P) override {
    auto* T = qobject_cast<QTabWidget*>(W_);
    QWidget* PW = QtWidgetOf(P);
    if (T && PW && T->indexOf(PW) >= 0) T->setCurrentWidget(PW);
  }
  int32_t ClientWidth() const override { return W_ ? W_->width() : 0; }
  int32_t ClientHeight() const override { return W_ ? W_->height() : 0; }
  TPoint CursorPos() const override {
    if (!W_) return {};
    const QPoint P = W_->mapFromGlobal(QCursor::pos());
    return TPoint{P.x(), P.y()};
  }
  void ShowHints(bool) override {}
  void ActivateHint(TPoint P) override {
    if (W_) QToolTip::showText(W_->mapToGlobal(QPoint(P.X, P.Y)), W_->toolTip(), W_);
  }
  std::vector<std::pair<std::string, std::string>> Properties() const override {
    std::vector<std::pair<std::string, std::string>> R;
    if (!W_) return R;
    const TRect B = Bounds();
    R.emplace_back("Left", std::to_string(B.Left));
    R.emplace_back("Top", std::to_string(B.Top));
    R.emplace_back("Width", std::to_string(B.Width()));
    R.emplace_back("Height", std::to_string(B.Height()));
    R.emplace_back("Text", Text());
    R.emplace_back("Hint", Hint());
    R.emplace_back("Visible", Visible() ? "True" : "False");
    R.emplace_back("Enabled", Enabled() ? "True" : "False");
    R.emplace_back("Tag", std::to_string(Tag()));
    return R;
  }
  bool SetProperty(const std::string& Name, const std::string& Value) override {
    if (!W_) return false;
    TRect B = Bounds();
    const int32_t V = std::atoi(Value.c_str());
    if (Name == "Left") B = TRect{V, B.Top, V + B.Width(), B.Bottom};
    else if (Name == "Top") B = TRect{B.Left, V, B.Right, V + B.Height()};
    else if (Name == "Width") B.Right = B.Left + V;
    else if (Name == "Height") B.Bottom = B.Top + V;
    else if (Name == "Text") return SetText(Value), true;
    else if (Name == "Hint") return SetHint(Value), true;
    else if (Name == "Visible") return SetVisible(Value == "True"), true;
    else if (Name == "Enabled") return SetEnabled(Value == "True"), true;
    else if (Name == "Tag") return SetTag(V), true;
    else return false;
    SetBounds(B);
    return true;
  }
  TControl* CreateComponent(const std::string& Class) override {
    if (!W_) return nullptr;
    QWidget* N = nullptr;
    if (Class == "TEdit") N = new QLineEdit(W_);
    else if (Class == "TComboBox") N = new QComboBox(W_);
    else if (Class == "TLabel") N = new QLabel(W_);
    else if (Class == "TButton") N = new QPushButton(W_);
    else if (Class == "TCheckBox") N = new QCheckBox(W_);
    else if (Class == "TMemo") N = new QPlainTextEdit(W_);
    else if (Class == "TPanel") N = new QWidget(W_);
    return N ? QtHandle(N) : nullptr;
  }

 private:
  QList<QWidget*> Owned() const {
    QList<QWidget*> L;
    if (!W_) return L;
    for (QWidget* C : W_->findChildren<QWidget*>())
      if (!C->objectName().isEmpty() && !C->objectName().startsWith("qt_")) L.push_back(C);
    return L;
  }
  QPointer<QWidget> W_;
};

}  // namespace

TControl* QtHandle(QWidget* W) {
  if (!W) return nullptr;
  auto& R = Registry();
  auto It = R.find(W);
  if (It != R.end()) return It->second.get();
  auto* H = new QtControl(W);
  R.emplace(W, std::unique_ptr<QtControl>(H));
  QObject::connect(W, &QObject::destroyed, [W]() { Registry().erase(W); });
  return H;
}

QWidget* QtWidgetOf(const TControl* C) {
  auto* Q = dynamic_cast<const QtControl*>(C);
  return Q ? Q->Widget() : nullptr;
}

int32_t QtMenu::Count() const { return Menu_ ? static_cast<int32_t>(Menu_->actions().size()) : 0; }

std::string QtMenu::ItemName(int32_t I) const {
  return I >= 0 && I < Count() ? Menu_->actions()[I]->objectName().toStdString() : "";
}

std::string QtMenu::ItemCaption(int32_t I) const {
  return I >= 0 && I < Count() ? FromQtStr(Menu_->actions()[I]->text()) : "";
}

bool QtMenu::Checked(int32_t I) const {
  return I >= 0 && I < Count() && Menu_->actions()[I]->isChecked();
}

void QtMenu::SetChecked(int32_t I, bool On) {
  if (I >= 0 && I < Count()) Menu_->actions()[I]->setChecked(On);
}

void QtMenu::DeleteItem(int32_t I) {
  if (I < 0 || I >= Count()) return;
  QAction* A = Menu_->actions()[I];
  Menu_->removeAction(A);
  A->deleteLater();
}

void QtMenu::AddItem(const std::string& Name, const std::string& Caption, bool Checked,
                     ClickProc OnClick) {
  if (!Menu_) return;
  QAction* A = Menu_->addAction(QtStr(Caption));
  A->setObjectName(QString::fromStdString(Name));
  A->setCheckable(true);
  A->setChecked(Checked);
  QMenu* M = Menu_;
  QObject::connect(A, &QAction::triggered, [M, A, OnClick]() {
    if (!OnClick) return;
    // The action toggled itself; the handler decides the check mark.
    A->setChecked(!A->isChecked());
    QtMenu H(M);
    OnClick(H, static_cast<int32_t>(M->actions().indexOf(A)));
  });
}

void QtMenu::Popup(TPoint P) {
  if (Menu_) Menu_->popup(QPoint(P.X, P.Y));
}

void InstallQtCursorServices() {
  CursorServices S;
  S.ScreenPos = []() {
    const QPoint P = QCursor::pos();
    return TPoint{P.x(), P.y()};
  };
  S.ControlUnderCursor = []() -> TControl* {
    if (!QApplication::instance()) return nullptr;
    return QtHandle(QApplication::widgetAt(QCursor::pos()));
  };
  SetCursorServices(std::move(S));
}

}  // namespace platform
