#include "platform/qt/FormControls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QPainter>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTextEdit>

#include "platform/qt/QtCanvas.h"

namespace platform {

// ---------------------------------------------------------------- common properties

template <class QBase>
std::string TFormCtl<QBase>::Hint() const {
  return FromQtStr(this->toolTip());
}
template <class QBase>
void TFormCtl<QBase>::SetHint(const std::string& H) {
  this->setToolTip(QtStr(H));
}
template <class QBase>
std::string TFormCtl<QBase>::HelpKeyword() const {
  return FromQtStr(this->property("helpKeyword").toString());
}
template <class QBase>
void TFormCtl<QBase>::SetHelpKeyword(const std::string& K) {
  this->setProperty("helpKeyword", QtStr(K));
}

template class TFormCtl<QPushButton>;
template class TFormCtl<QToolButton>;
template class TFormCtl<QLineEdit>;
template class TFormCtl<QLabel>;
template class TFormCtl<QCheckBox>;
template class TFormCtl<QRadioButton>;
template class TFormCtl<QComboBox>;
template class TFormCtl<QListWidget>;
template class TFormCtl<QtMemo>;
template class TFormCtl<QTextEdit>;
template class TFormCtl<QFrame>;
template class TFormCtl<QGroupBox>;
template class TFormCtl<QWidget>;
template class TFormCtl<QTabWidget>;
template class TFormCtl<QSpinBox>;
template class TFormCtl<QSlider>;
template class TFormCtl<QMenuBar>;
template class TFormCtl<QMenu>;

void SetButtonIcon(QAbstractButton* Button, const std::string& Name) {
  static const std::pair<const char*, QStyle::StandardPixmap> icons[] = {
      {"home", QStyle::SP_DirHomeIcon},        {"folder", QStyle::SP_DirOpenIcon},
      {"up", QStyle::SP_ArrowUp},              {"down", QStyle::SP_ArrowDown},
      {"left", QStyle::SP_ArrowLeft},          {"right", QStyle::SP_ArrowRight},
      {"save", QStyle::SP_DialogSaveButton},   {"open", QStyle::SP_DialogOpenButton},
      {"ok", QStyle::SP_DialogOkButton},       {"cancel", QStyle::SP_DialogCancelButton},
      {"apply", QStyle::SP_DialogApplyButton}, {"help", QStyle::SP_DialogHelpButton},
      {"stop", QStyle::SP_BrowserStop},        {"reload", QStyle::SP_BrowserReload},
  };
  for (const auto& [n, p] : icons)
    if (Name == n) {
      Button->setIcon(Button->style()->standardIcon(p));
      return;
    }
}

// ---------------------------------------------------------------- buttons, edits, labels

std::string TButton::Caption() const { return FromQtStr(text()); }
void TButton::SetCaption(const std::string& C) { setText(QtStr(C)); }

TSpeedButton::TSpeedButton(QWidget* Parent) : TFormCtl("TSpeedButton", Parent) {
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}
std::string TSpeedButton::Caption() const { return FromQtStr(text()); }
void TSpeedButton::SetCaption(const std::string& C) { setText(QtStr(C)); }
void TSpeedButton::SetDown(bool D) {
  setCheckable(true);
  setChecked(D);
}
void TSpeedButton::SetGroupIndex(int32_t G) {
  setProperty("groupIndex", G);
  setCheckable(G > 0);
}

std::string TEdit::Text() const { return FromQtStr(text()); }
void TEdit::SetText(const std::string& T) { setText(QtStr(T)); }

std::string TLabel::Caption() const { return FromQtStr(text()); }
void TLabel::SetCaption(const std::string& C) { setText(QtStr(C)); }

std::string TCheckBox::Caption() const { return FromQtStr(text()); }
void TCheckBox::SetCaption(const std::string& C) { setText(QtStr(C)); }

std::string TRadioButton::Caption() const { return FromQtStr(text()); }
void TRadioButton::SetCaption(const std::string& C) { setText(QtStr(C)); }

// ---------------------------------------------------------------- lists

TComboBox::TComboBox(QWidget* Parent) : TFormCtl("TComboBox", Parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}
std::vector<std::string> TComboBox::Items() const {
  std::vector<std::string> v;
  for (int i = 0; i < count(); ++i) v.push_back(FromQtStr(itemText(i)));
  return v;
}
std::string TComboBox::Item(int32_t I) const { return FromQtStr(itemText(I)); }
void TComboBox::AddItem(const std::string& S) {
  // An editable box keeps its text when items are added (a pick list shows no item until one is
  // chosen).
  const QString keep = isEditable() ? currentText() : QString();
  const bool first = count() == 0;
  addItem(QtStr(S));
  if (first) {
    setCurrentIndex(-1);
    if (isEditable()) setEditText(keep);
  }
}
std::string TComboBox::Text() const { return FromQtStr(currentText()); }
void TComboBox::SetText(const std::string& T) {
  if (isEditable()) {
    setEditText(QtStr(T));
    return;
  }
  setCurrentIndex(findText(QtStr(T)));
}
void TComboBox::SetStyle(const std::string& Style) { setEditable(Style != "list"); }
bool TComboBox::DroppedDown() const { return view() && view()->isVisible(); }

std::string TListBox::Item(int32_t I) const {
  const QListWidgetItem* it = item(I);
  return it ? FromQtStr(it->text()) : std::string();
}
void TListBox::AddItem(const std::string& S) { addItem(QtStr(S)); }

void TMemo::SetWordWrap(bool W) {
  setLineWrapMode(W ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

// ---------------------------------------------------------------- containers

TPanel::TPanel(QWidget* Parent) : TFormCtl("TPanel", Parent) { SetBevel("raised"); }
std::string TPanel::Caption() const { return FromQtStr(property("caption").toString()); }
void TPanel::SetCaption(const std::string& C) {
  setProperty("caption", QtStr(C));
  update();
}
void TPanel::SetBevel(const std::string& B) {
  if (B == "none")
    setFrameStyle(QFrame::NoFrame);
  else
    setFrameStyle(QFrame::Panel | (B == "lowered" ? QFrame::Sunken : QFrame::Raised));
}
void TPanel::paintEvent(QPaintEvent* E) {
  QFrame::paintEvent(E);
  const QString C = property("caption").toString();
  if (C.isEmpty()) return;
  QPainter P(this);
  P.drawText(contentsRect(), Qt::AlignCenter, C);
}

std::string TGroupBox::Caption() const { return FromQtStr(title()); }
void TGroupBox::SetCaption(const std::string& C) {
  setTitle(QtStr(C));
  setProperty("caption", QtStr(C));
}

std::string TTabSheet::Caption() const { return FromQtStr(property("caption").toString()); }
void TTabSheet::SetCaption(const std::string& C) {
  setProperty("caption", QtStr(C));
  if (TPageControl* P = PageControl()) {
    const int i = P->indexOf(this);
    if (i >= 0) P->setTabText(i, QtStr(C));
  }
}
TPageControl* TTabSheet::PageControl() const {
  // A sheet's parent is the page control's stack.
  for (QWidget* W = parentWidget(); W; W = W->parentWidget())
    if (auto* P = dynamic_cast<TPageControl*>(W)) return P;
  return nullptr;
}
int32_t TTabSheet::PageIndex() const {
  const TPageControl* P = PageControl();
  return P ? P->indexOf(const_cast<TTabSheet*>(this)) : -1;
}

TPageControl::TPageControl(QWidget* Parent) : TFormCtl("TPageControl", Parent) {
  connect(this, &QTabWidget::currentChanged, this, [this](int I) { CurrentChanged(I); });
}
void TPageControl::AddSheet(TTabSheet* Sheet) {
  addTab(Sheet, Sheet->property("caption").toString());
}
TTabSheet* TPageControl::Page(int32_t I) const { return dynamic_cast<TTabSheet*>(widget(I)); }
TTabSheet* TPageControl::ActivePage() const { return dynamic_cast<TTabSheet*>(currentWidget()); }
std::string TPageControl::ActivePageName() const {
  const TTabSheet* S = ActivePage();
  return S ? S->objectName().toStdString() : std::string();
}
void TPageControl::SetActivePage(TTabSheet* Sheet) {
  if (Sheet && indexOf(Sheet) >= 0) setCurrentWidget(Sheet);
}
TTabSheet* TPageControl::PageByName(const std::string& Name) const {
  for (int i = 0; i < count(); ++i)
    if (widget(i)->objectName().toStdString() == Name) return Page(i);
  return nullptr;
}
void TPageControl::Notify(const char* Event, TTabSheet* Sheet) {
  // A listener may add listeners; walk a copy.
  const auto copy = listeners_;
  for (const auto& L : copy) L(Event, Sheet);
}
void TPageControl::CurrentChanged(int Index) {
  if (!isVisible()) return;
  TTabSheet* New = Page(Index);
  TTabSheet* Old = shown_;
  if (New == Old) return;
  if (Old) {
    Notify("OnExit", Old);
    Notify("OnHide", Old);
  }
  shown_ = New;
  if (New) {
    Notify("OnShow", New);
    Notify("OnEnter", New);
  }
  Notify("OnChange", New);
}
void TPageControl::showEvent(QShowEvent* E) {
  QTabWidget::showEvent(E);
  if (E->spontaneous() || shown_) return;
  shown_ = ActivePage();
  if (shown_) Notify("OnShow", shown_);
}
void TPageControl::hideEvent(QHideEvent* E) {
  QTabWidget::hideEvent(E);
  if (E->spontaneous() || !shown_) return;
  TTabSheet* Old = shown_;
  shown_ = nullptr;
  Notify("OnHide", Old);
}

// ---------------------------------------------------------------- pictures and numbers

TImage::TImage(QWidget* Parent)
    : TFormCtl("TImage", Parent), bitmap_(std::make_unique<TBitmap>(0, 0)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumSize(16, 16);
  bitmap_->Canvas().OnChanged = [this](const TRect&) { update(); };
}
void TImage::SetPictureSize(int32_t W, int32_t H) {
  W = std::max(0, W);
  H = std::max(0, H);
  if (bitmap_->Width() != W || bitmap_->Height() != H) {
    bitmap_->SetSize(W, H);  // keeps what fits, new pixels white
    picture_ = W > 0 && H > 0 ? QtImageView(*bitmap_) : QImage();
  }
  resize(W, H);
  update();
}
void TImage::paintEvent(QPaintEvent*) {
  QPainter P(this);
  if (!picture_.isNull()) P.drawImage(0, 0, picture_);
}

TSpinEdit::TSpinEdit(QWidget* Parent, const char* Kind) : TFormCtl(Kind, Parent) {
  setRange(-2147483647, 2147483647);
}

TUpDown::TUpDown(QWidget* Parent) : TSpinEdit(Parent, "TUpDown") {
  setRange(0, 100);
  setFixedWidth(22);
}

TTrackBar::TTrackBar(QWidget* Parent) : TFormCtl("TTrackBar", Qt::Horizontal, Parent) {
  setRange(0, 10);
}

// ---------------------------------------------------------------- menus and timers

TMenuItem::TMenuItem(QObject* Parent) : QAction(Parent) { setProperty("formClass", "TMenuItem"); }
std::string TMenuItem::Caption() const { return FromQtStr(text()); }
void TMenuItem::SetCaption(const std::string& C) { setText(QtStr(C)); }
std::string TMenuItem::Hint() const { return FromQtStr(statusTip()); }
void TMenuItem::SetHint(const std::string& H) {
  setStatusTip(QtStr(H));
  setToolTip(QtStr(H));
}
void TMenuItem::SetChecked(bool C) {
  setCheckable(true);
  setChecked(C);
}

TFormTimer::TFormTimer(QObject* Parent) : QTimer(Parent) {
  setProperty("formClass", "TTimer");
  QTimer::setInterval(Interval_);
  connect(this, &QTimer::timeout, this, [this]() { Fire(); });
}
void TFormTimer::SetInterval(int32_t Ms) {
  TTimer::SetInterval(Ms);
  QTimer::setInterval(Ms);
}
void TFormTimer::SetEnabled(bool On) {
  TTimer::SetEnabled(On);
  if (On)
    start();
  else
    stop();
}

// ---------------------------------------------------------------- generated code's services

namespace {
void Compact(QLayout* L) {
  L->setContentsMargins(3, 3, 3, 3);
  L->setSpacing(3);
}
}  // namespace

QBoxLayout* NewBoxLayout(char Dir) {
  auto* L = new QBoxLayout(Dir == 'h' ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
  L->setContentsMargins(0, 0, 0, 0);
  L->setSpacing(3);
  return L;
}

QGridLayout* NewGridLayout() {
  auto* L = new QGridLayout();
  L->setContentsMargins(0, 0, 0, 0);
  L->setSpacing(3);
  return L;
}

QLayout* FormLayoutOf(QWidget* Container, char Dir) {
  if (!Container || Container->property("absoluteLayout").toBool()) return nullptr;
  if (QLayout* L = Container->layout()) return L;
  auto* L = new QBoxLayout(Dir == 'h' ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom,
                           Container);
  Compact(L);
  return L;
}

void AddToLayout(QLayout* Layout, QWidget* W, int Stretch, bool) {
  if (!Layout || !W) return;
  if (auto* B = qobject_cast<QBoxLayout*>(Layout))
    B->addWidget(W, Stretch);
  else
    Layout->addWidget(W);
}

void AddToLayout(QLayout* Layout, QLayout* Group, int Stretch, bool) {
  if (!Layout || !Group) return;
  if (auto* B = qobject_cast<QBoxLayout*>(Layout))
    B->addLayout(Group, Stretch);
  else if (auto* G = qobject_cast<QGridLayout*>(Layout))
    G->addLayout(Group, G->rowCount(), 0);
}

void AddStretch(QLayout* Layout, int Stretch) {
  if (auto* B = qobject_cast<QBoxLayout*>(Layout)) B->addStretch(Stretch);
}

void AddSpace(QLayout* Layout, int Size) {
  if (auto* B = qobject_cast<QBoxLayout*>(Layout)) B->addSpacing(Size);
}

void SetTextAlignment(QWidget* W, const std::string& Alignment) {
  const Qt::Alignment A = Alignment == "right"    ? Qt::AlignRight | Qt::AlignVCenter
                          : Alignment == "center" ? Qt::AlignCenter
                                                  : Qt::AlignLeft | Qt::AlignVCenter;
  if (auto* L = qobject_cast<QLabel*>(W)) L->setAlignment(A);
  if (auto* E = qobject_cast<QLineEdit*>(W)) E->setAlignment(A);
}

void SetControlColor(QWidget* W, uint32_t Color) {
  if (auto* M = dynamic_cast<Memo*>(W)) {
    M->SetColor(Color);
    return;
  }
  QPalette P = W->palette();
  const QColor C(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
  P.setColor(QPalette::Window, C);
  P.setColor(QPalette::Base, C);
  W->setPalette(P);
  W->setAutoFillBackground(true);
}

void SetDesignSize(QWidget* Form, int Width, int Height) {
  Form->setProperty("designWidth", Width);
  Form->setProperty("designHeight", Height);
  if (Width > 0 && Height > 0) Form->resize(Width, Height);
}

void ApplyFont(QWidget* W, const std::string& Name, int Height, int Charset, bool Bold,
               bool DesignOnly) {
  if (DesignOnly) {
    W->setProperty("designFont", QtStr(Name));
    W->setProperty("designFontHeight", Height);
    return;
  }
  if (auto* M = dynamic_cast<Memo*>(W)) {
    M->SetFont(Name.empty() ? M->FontName() : Name, Charset >= 0 ? Charset : M->FontCharset(),
               Height != 0 ? std::abs(Height) : M->FontHeight());
    return;
  }
  QFont F = W->font();
  if (!Name.empty()) F.setFamily(QtStr(Name));
  if (Height != 0) F.setPixelSize(std::abs(Height));
  F.setBold(Bold);
  W->setFont(F);
}

void SetPopupMenu(QWidget* W, QMenu* Menu) {
  if (!W || !Menu) return;
  W->setProperty("popupMenu", QVariant::fromValue(static_cast<QObject*>(Menu)));
  W->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(W, &QWidget::customContextMenuRequested, Menu,
                   [W, Menu](const QPoint& P) { Menu->popup(W->mapToGlobal(P)); });
}

}  // namespace platform
