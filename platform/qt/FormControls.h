// Typed controls of the program's forms: thin Qt widgets that carry the forms' control kinds'
// property names (texts in code page 1251) and the dynamic property "formClass", so that
// QtHandle reports their kind. The form generator creates them; code reaches them as typed
// members of the forms (Corvesta->btOpen->SetCaption("GO")).
//
// A new kind: a class here (TFormCtl<SomeQtWidget> plus its properties), its entry in the form
// generator's kind table (tools/formgen/FormGen.cpp), and its events in FormRegistry.cpp.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Timer.h"
#include "platform/qt/QtMemo.h"

class QLayout;
class QBoxLayout;
class QGridLayout;

namespace platform {

// Properties that every control kind has: hint, tag and help keyword.
template <class QBase>
class TFormCtl : public QBase {
 public:
  template <class... A>
  explicit TFormCtl(const char* Kind, A&&... Args) : QBase(std::forward<A>(Args)...) {
    this->setProperty("formClass", Kind);
  }
  std::string Hint() const;
  void SetHint(const std::string& H);
  int32_t Tag() const { return this->property("tag").toInt(); }
  void SetTag(int32_t T) { this->setProperty("tag", T); }
  std::string HelpKeyword() const;
  void SetHelpKeyword(const std::string& K);
};

// The standard icons that glyph buttons show: home, folder, up, down, left, right, save, open,
// ok, cancel, apply, help, stop, reload.
void SetButtonIcon(QAbstractButton* Button, const std::string& Name);

class TButton : public TFormCtl<QPushButton> {
 public:
  explicit TButton(QWidget* Parent = nullptr, const char* Kind = "TButton")
      : TFormCtl(Kind, Parent) {}
  std::string Caption() const;
  void SetCaption(const std::string& C);
  void SetIcon(const std::string& Name) { SetButtonIcon(this, Name); }
  // A programmatic click, as a user's.
  void Click() { click(); }
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(QWidget* Parent = nullptr) : TButton(Parent, "TBitBtn") {}
};

class TSpeedButton : public TFormCtl<QToolButton> {
 public:
  explicit TSpeedButton(QWidget* Parent = nullptr);
  std::string Caption() const;
  void SetCaption(const std::string& C);
  void SetIcon(const std::string& Name) { SetButtonIcon(this, Name); }
  bool Down() const { return isChecked(); }
  void SetDown(bool D);
  int32_t GroupIndex() const { return property("groupIndex").toInt(); }
  // A group index above 0 makes the button stay down when clicked.
  void SetGroupIndex(int32_t G);
  void SetAllowAllUp(bool A) { setProperty("allowAllUp", A); }
  void Click() { click(); }
};

class TEdit : public TFormCtl<QLineEdit> {
 public:
  explicit TEdit(QWidget* Parent = nullptr) : TFormCtl("TEdit", Parent) {}
  std::string Text() const;
  void SetText(const std::string& T);
};

class TLabel : public TFormCtl<QLabel> {
 public:
  explicit TLabel(QWidget* Parent = nullptr) : TFormCtl("TLabel", Parent) {}
  std::string Caption() const;
  void SetCaption(const std::string& C);
  void SetWordWrap(bool W) { setWordWrap(W); }
};

class TCheckBox : public TFormCtl<QCheckBox> {
 public:
  explicit TCheckBox(QWidget* Parent = nullptr) : TFormCtl("TCheckBox", Parent) {}
  std::string Caption() const;
  void SetCaption(const std::string& C);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool C) { setChecked(C); }
};

class TRadioButton : public TFormCtl<QRadioButton> {
 public:
  explicit TRadioButton(QWidget* Parent = nullptr) : TFormCtl("TRadioButton", Parent) {}
  std::string Caption() const;
  void SetCaption(const std::string& C);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool C) { setChecked(C); }
};

// Editable by default (a drop-down with an edit field); SetStyle("list") makes it a pick list.
class TComboBox : public TFormCtl<QComboBox> {
 public:
  explicit TComboBox(QWidget* Parent = nullptr);
  std::vector<std::string> Items() const;
  int32_t ItemCount() const { return count(); }
  std::string Item(int32_t I) const;
  void AddItem(const std::string& S);
  void ClearItems() { clear(); }
  int32_t ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int32_t I) { setCurrentIndex(I); }
  // The edit text (a pick list: the chosen item's text).
  std::string Text() const;
  // A pick list selects the item with that text (none when there is no such item).
  void SetText(const std::string& T);
  void SetStyle(const std::string& Style);
  bool DroppedDown() const;
};

class TListBox : public TFormCtl<QListWidget> {
 public:
  explicit TListBox(QWidget* Parent = nullptr) : TFormCtl("TListBox", Parent) {}
  int32_t ItemCount() const { return count(); }
  std::string Item(int32_t I) const;
  void AddItem(const std::string& S);
  void ClearItems() { clear(); }
  int32_t ItemIndex() const { return currentRow(); }
  void SetItemIndex(int32_t I) { setCurrentRow(I); }
};

// The memo: the platform memo service (lines, caret, font, colour in code page 1251).
class TMemo : public TFormCtl<QtMemo> {
 public:
  explicit TMemo(QWidget* Parent = nullptr) : TFormCtl("TMemo", Parent) {}
  void SetWordWrap(bool W);
};

// A panel shows its caption centred (under its controls, as the forms' panels do).
class TPanel : public TFormCtl<QFrame> {
 public:
  explicit TPanel(QWidget* Parent = nullptr);
  std::string Caption() const;
  void SetCaption(const std::string& C);
  // "raised" (the default), "lowered" or "none".
  void SetBevel(const std::string& B);

 protected:
  void paintEvent(QPaintEvent* E) override;
};

class TGroupBox : public TFormCtl<QGroupBox> {
 public:
  explicit TGroupBox(QWidget* Parent = nullptr) : TFormCtl("TGroupBox", Parent) {}
  std::string Caption() const;
  void SetCaption(const std::string& C);
};

class TPageControl;

class TTabSheet : public TFormCtl<QWidget> {
 public:
  explicit TTabSheet(QWidget* Parent = nullptr) : TFormCtl("TTabSheet", Parent) {}
  std::string Caption() const;
  // Also the tab's text when the sheet is in a page control.
  void SetCaption(const std::string& C);
  TPageControl* PageControl() const;
  int32_t PageIndex() const;
};

// Tab sheets with the forms' notifications: when the active page changes while the control
// is shown, the old sheet gets OnExit and OnHide, the new one OnShow and OnEnter, then the page
// control OnChange; showing the control shows its active sheet, hiding it hides that sheet.
class TPageControl : public TFormCtl<QTabWidget> {
 public:
  explicit TPageControl(QWidget* Parent = nullptr);
  using TSheetListener = std::function<void(const char* Event, TTabSheet* Sheet)>;

  void AddSheet(TTabSheet* Sheet);
  int32_t PageCount() const { return count(); }
  TTabSheet* Page(int32_t I) const;
  TTabSheet* ActivePage() const;
  std::string ActivePageName() const;
  void SetActivePage(TTabSheet* Sheet);
  // The sheet of that component name; nullptr when none.
  TTabSheet* PageByName(const std::string& Name) const;
  void AddListener(TSheetListener L) { listeners_.push_back(std::move(L)); }
  // The sheet that was last reported shown.
  TTabSheet* ShownSheet() const { return shown_; }

 protected:
  void showEvent(QShowEvent* E) override;
  void hideEvent(QHideEvent* E) override;

 private:
  void Notify(const char* Event, TTabSheet* Sheet);
  void CurrentChanged(int Index);
  std::vector<TSheetListener> listeners_;
  TTabSheet* shown_ = nullptr;
};

// A picture: a 24-bit bitmap of its own size, drawn at the control's top left corner. Drawing
// goes to the bitmap's canvas (the graphics device binds to it) or through Picture(), a QImage
// over the same pixels; the control repaints in its paint event only.
class TImage : public TFormCtl<QWidget> {
 public:
  explicit TImage(QWidget* Parent = nullptr);
  QImage& Picture() { return picture_; }
  TBitmap& Bitmap() { return *bitmap_; }
  TCanvas& Canvas() { return bitmap_->Canvas(); }
  // The control and its picture get this size (the picture keeps what fits of its drawing).
  void SetPictureSize(int32_t W, int32_t H);

 protected:
  void paintEvent(QPaintEvent* E) override;

 private:
  std::unique_ptr<TBitmap> bitmap_;
  QImage picture_;  // a view of bitmap_'s pixels
};

class TSpinEdit : public TFormCtl<QSpinBox> {
 public:
  explicit TSpinEdit(QWidget* Parent = nullptr, const char* Kind = "TSpinEdit");
  int32_t Value() const { return value(); }
  void SetValue(int32_t V) { setValue(V); }
  void SetMin(int32_t V) { setMinimum(V); }
  void SetMax(int32_t V) { setMaximum(V); }
};

// Up-down arrows with a position (a spin box without its text).
class TUpDown : public TSpinEdit {
 public:
  explicit TUpDown(QWidget* Parent = nullptr);
  int32_t Position() const { return value(); }
};

class TTrackBar : public TFormCtl<QSlider> {
 public:
  explicit TTrackBar(QWidget* Parent = nullptr);
  int32_t Position() const { return value(); }
  void SetValue(int32_t V) { setValue(V); }
  void SetMin(int32_t V) { setMinimum(V); }
  void SetMax(int32_t V) { setMaximum(V); }
};

class TMainMenu : public TFormCtl<QMenuBar> {
 public:
  explicit TMainMenu(QWidget* Parent = nullptr) : TFormCtl("TMainMenu", Parent) {}
};

class TPopupMenu : public TFormCtl<QMenu> {
 public:
  explicit TPopupMenu(QWidget* Parent = nullptr) : TFormCtl("TPopupMenu", Parent) {}
};

class TMenuItem : public QAction {
 public:
  explicit TMenuItem(QObject* Parent = nullptr);
  std::string Caption() const;
  void SetCaption(const std::string& C);
  std::string Hint() const;
  void SetHint(const std::string& H);
  int32_t Tag() const { return property("tag").toInt(); }
  void SetTag(int32_t T) { setProperty("tag", T); }
  bool Checked() const { return isChecked(); }
  void SetChecked(bool C);
  void SetGroupIndex(int32_t G) { setProperty("groupIndex", G); }
};

// A form's timer (kind "TTimer"): a QTimer that is also the platform timer service, so that
// code outside the window layer can switch it (platform::TTimer: Interval, Enabled, OnTimer).
class TFormTimer : public QTimer, public TTimer {
 public:
  explicit TFormTimer(QObject* Parent = nullptr);
  void SetInterval(int32_t Ms) override;
  void SetEnabled(bool On) override;
  int32_t Tag() const { return property("tag").toInt(); }
  void SetTag(int32_t T) { setProperty("tag", T); }
};

// ---- services of generated form code ----
// A new box layout ('h' or 'v') or grid layout with the forms' compact margins and spacing.
QBoxLayout* NewBoxLayout(char Dir);
QGridLayout* NewGridLayout();
// The layout of a container: its existing one, else a new box layout in direction Dir.
// nullptr for a container without a layout (property "absoluteLayout").
QLayout* FormLayoutOf(QWidget* Container, char Dir);
// Adds a control or a group to a layout (nothing when Layout is nullptr).
void AddToLayout(QLayout* Layout, QWidget* W, int Stretch, bool IsLayout);
void AddToLayout(QLayout* Layout, QLayout* Group, int Stretch, bool IsLayout);
void AddStretch(QLayout* Layout, int Stretch);
void AddSpace(QLayout* Layout, int Size);
// "left", "center" or "right" for labels and edits.
void SetTextAlignment(QWidget* W, const std::string& Alignment);
// Background colour as 0x00BBGGRR.
void SetControlColor(QWidget* W, uint32_t Color);
// The window's size at design (kept as the properties "designWidth", "designHeight"; the
// window starts with it).
void SetDesignSize(QWidget* Form, int Width, int Height);
// A font by name (empty: keep the family), height in pixels (0: keep), character set (-1: none)
// and weight. DesignOnly keeps them as properties ("designFont", "designFontHeight") without
// changing the widget's font (the window follows the system's font and scaling).
void ApplyFont(QWidget* W, const std::string& Name, int Height, int Charset, bool Bold,
               bool DesignOnly);
// The control's context menu.
void SetPopupMenu(QWidget* W, QMenu* Menu);

}  // namespace platform
