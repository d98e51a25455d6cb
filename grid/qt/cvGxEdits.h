// The grid suite's single-line editors on QLineEdit: the base edit (typed accessors, margins,
// glyph and preview at the left end), the plain edit, the small buttons and the button edit,
// the number and spin edits, and the popup and combo edits with their popup list (a frameless
// top-level window holding the mouse while open). "." is the decimal point whatever the locale.
#pragma once
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "grid/cvGxColumns.h"
#include "grid/cvGxTypes.h"

class QScrollBar;

inline QString GxQString(const WideString& S) {
  return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}
inline WideString GxWide(const QString& S) {
  return WideString(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<size_t>(S.size()));
}

struct TGxEditMargins {
  int Left = 0, Right = 0;
};

enum TGxEditOption : int { epDisablePaste, epDisableTyping };
using TGxEditOptions = uint32_t;
constexpr TGxEditOptions Ep(TGxEditOption O) { return 1u << O; }

class TGxCustomEdit;

// The strip at the edit's left end: the glyph and the preview box.
class TGxEditInfo : public QWidget {
 public:
  explicit TGxEditInfo(TGxCustomEdit* Edit);

 protected:
  void paintEvent(QPaintEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;

 private:
  TGxCustomEdit* edit_;
};

class TGxCustomEdit : public QLineEdit {
 public:
  explicit TGxCustomEdit(QWidget* Parent = nullptr);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment A);
  const TGxEditMargins& EditMargins() const { return margins_; }
  void SetEditMargins(int Left, int Right);
  // The glyph's transparent colour is its bottom-left pixel.
  const QPixmap& Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap& G);
  bool PreviewBorder() const { return previewBorder_; }
  void SetPreviewBorder(bool V) { previewBorder_ = V; UpdateMargins(); }
  bool ShowPreview() const { return showPreview_; }
  void SetShowPreview(bool V) { showPreview_ = V; UpdateMargins(); }
  bool WantTabs = false;
  // While set, a number edit's value setter leaves the text as it is.
  bool TextUpdateLock = false;
  // The edit lives inside a grid cell: no highlight face or focus frame in drop-down-list style,
  // no spin keys or wheel.
  bool CellStyle = false;
  std::function<void(QObject*, const QRect&)> OnCustomPreviewDraw;
  std::function<void(QObject*)> OnGlyphClick;

  // The text converted (a text that does not convert raises TGxConvertError).
  virtual bool GetAsBoolean() const;
  virtual double GetAsDateTime() const;
  virtual double GetAsFloat() const;
  virtual int32_t GetAsInteger() const;
  virtual WideString GetAsString() const { return GxWide(text()); }
  virtual void SetAsBoolean(bool V) { setText(V ? "True" : "False"); }
  virtual void SetAsDateTime(double V);
  virtual void SetAsFloat(double V);
  virtual void SetAsInteger(int32_t V) { setText(QString::number(V)); }
  virtual void SetAsString(const WideString& V) { setText(GxQString(V)); }

  virtual bool EraseBackground() const { return true; }
  QRect GetPreviewRect() const;
  virtual void InfoMouseDown(Qt::MouseButton Button, int X, int Y);
  virtual void PaintFace(QPainter&) {}
  virtual void DrawPreview(QPainter& P, const QRect& R);
  // Left: EditMargins.Left, or 2 * Left + 25 with the preview; plus glyph width + 4.
  virtual void GetMargins(int& Left, int& Right) const;
  // The grid is about to read the text back.
  virtual void EditingDone() {}
  // The grid has set the editor up for a cell.
  virtual void EditorPrepared() { end(false); }
  // Width of the info strip (glyph + 4, plus 20 with the preview).
  int InfoWidth() const;
  TGxEditInfo* Info() const { return info_; }
  // Sends both margins again and places the info strip (and the buttons).
  void UpdateMargins();

 protected:
  bool event(QEvent* E) override;
  void resizeEvent(QResizeEvent* E) override;
  void changeEvent(QEvent* E) override;
  virtual void PlaceChildren() {}

 private:
  TAlignment alignment_ = taLeftJustify;
  TGxEditMargins margins_;
  QPixmap glyph_;
  bool previewBorder_ = true, showPreview_ = false;
  TGxEditInfo* info_;
};

class TGxEdit : public TGxCustomEdit {
 public:
  explicit TGxEdit(QWidget* Parent = nullptr);
  // Frame lines drawn in the edit's colour inside its edge.
  int BorderWidth = 0;

 protected:
  // The text changed (the combo box uses it).
  virtual void Changed() {}
  void mouseMoveEvent(QMouseEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void paintEvent(QPaintEvent* E) override;
};

// A small button inside an edit: pressed and hot looks, pressed and released events.
class TGxSmallButton : public QWidget {
 public:
  TGxSmallButton(TGxCustomEdit* Edit, int Width);
  QString Caption;
  bool Pressed = false, Hot = false;
  std::function<void()> OnPressed, OnReleased;
  void SetHot(bool V);
  void SetPressed(bool V);
  TGxCustomEdit* Edit() const { return edit_; }

 protected:
  void mousePressEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void enterEvent(QEnterEvent* E) override;
  void leaveEvent(QEvent* E) override;

 private:
  TGxCustomEdit* edit_;
};

class TGxExecuteButton : public TGxSmallButton {
 public:
  explicit TGxExecuteButton(TGxCustomEdit* Edit) : TGxSmallButton(Edit, 21) {}

 protected:
  void paintEvent(QPaintEvent* E) override;
};

class TDropDownButton : public TGxSmallButton {
 public:
  explicit TDropDownButton(TGxCustomEdit* Edit) : TGxSmallButton(Edit, 16) {}

 protected:
  void paintEvent(QPaintEvent* E) override;
};

// An edit with a button at its right end.
class TGxCustomButtonEdit : public TGxEdit {
 public:
  explicit TGxCustomButtonEdit(QWidget* Parent = nullptr, bool DropDown = false);
  TGxEditOptions Options = 0;
  bool Has(TGxEditOption O) const { return (Options & Ep(O)) != 0; }
  std::function<void(QObject*)> OnButtonClick;
  TGxSmallButton* Button() const { return button_; }
  void GetMargins(int& Left, int& Right) const override;
  // The clipboard's text in place of the selection (nothing with epDisablePaste).
  virtual void Paste();
  // The popup reported a selection: it closes, the text becomes the selected one.
  virtual void PopupSelect(int Index, const QString& Text);
  // The popup closed.
  virtual void PopupClosed();

 protected:
  // The button went down (the popup edit opens its list here).
  virtual void ButtonDown() {}
  virtual void SetTextFromPopup(const QString& Text) { setText(Text); }
  void PlaceChildren() override;
  void keyPressEvent(QKeyEvent* E) override;
  void enterEvent(QEnterEvent* E) override;
  void leaveEvent(QEvent* E) override;
  void contextMenuEvent(QContextMenuEvent*) override {}

 private:
  TGxSmallButton* button_;
};

// ---- numbers ----

class TGxCustomNumberEdit : public TGxEdit {
 public:
  explicit TGxCustomNumberEdit(QWidget* Parent = nullptr);

  double Min = 0, Max = 0;
  TGxNumberEditOptions Options = Eo(eoAllowFloat) | Eo(eoAllowSigns);
  bool Has(TGxNumberEditOption O) const { return (Options & Eo(O)) != 0; }
  const QString& NullText() const { return nullText_; }
  void SetNullText(const QString& T);
  int Precision() const { return precision_; }
  void SetPrecision(int P);
  const QString& TextAfter() const { return textAfter_; }
  void SetTextAfter(const QString& T);

  // The text cleaned: digits, the first "." (floats allowed), a leading sign (signs allowed);
  // empty or a lone sign gives "0". The value clamped to the range, in shortest form.
  std::string CleanText(const std::string& Text, bool Floats, bool Signs) const;
  // Empty text reads Min; otherwise the cleaned text, clamped.
  double Value() const;
  // The formatted text, unless TextUpdateLock.
  void SetValue(double V);
  QString FormatValue(double V) const;
  // The current value formatted again (not with eoAllowAll).
  void Reformat();
  bool RangeApplies() const { return Min != 0 || Max != 0; }
  virtual void Paste();

  double GetAsFloat() const override { return Value(); }
  void SetAsFloat(double V) override;
  void EditingDone() override { Reformat(); }

 protected:
  void keyPressEvent(QKeyEvent* E) override;
  void focusOutEvent(QFocusEvent* E) override;
  void contextMenuEvent(QContextMenuEvent*) override {}
  double Clamp(double V) const;
  int precision_ = 2;

 private:
  QString nullText_, textAfter_;
};

enum TSpinButton { sbUp, sbDown };

// The up and down halves at the spin edit's right end.
class TGxSpinEdit;
class TGxSpinButtons : public QWidget {
 public:
  explicit TGxSpinButtons(TGxSpinEdit* Edit);
  enum THalf { hNone, hUp, hDown };
  THalf PressedHalf() const { return pressed_; }
  THalf HotHalf() const { return hot_; }
  bool BothHot() const { return bothHot_; }
  void SetBothHot(bool V);
  // Presses a half: one spin at once, then after 400 ms every 20 ms until Release.
  void Press(THalf H);
  void Release();
  QTimer& DelayTimer() { return delay_; }
  QTimer& RepeatTimer() { return repeat_; }

 protected:
  void paintEvent(QPaintEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void leaveEvent(QEvent* E) override;

 private:
  void Spin();
  TGxSpinEdit* edit_;
  THalf pressed_ = hNone, hot_ = hNone;
  bool bothHot_ = false;
  QTimer delay_, repeat_;
};

class TGxSpinEdit : public TGxCustomNumberEdit {
 public:
  explicit TGxSpinEdit(QWidget* Parent = nullptr);
  double Increment = 1.0;
  bool SpinButtons() const { return spinButtons_; }
  void SetSpinButtons(bool V);
  std::function<void(QObject*, TSpinButton)> OnSpin;
  TGxSpinButtons* Buttons() const { return buttons_; }
  // One step up or down within the range (nothing when ReadOnly).
  void Spin(TSpinButton B);
  void GetMargins(int& Left, int& Right) const override;
  int32_t GetAsInteger() const override;
  void SetAsInteger(int32_t V) override { SetValue(V); }
  void EditorPrepared() override;

 protected:
  void PlaceChildren() override;
  void keyPressEvent(QKeyEvent* E) override;
  void keyReleaseEvent(QKeyEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;
  void enterEvent(QEnterEvent* E) override;
  void leaveEvent(QEvent* E) override;

 private:
  bool spinButtons_ = true;
  TGxSpinButtons* buttons_;
};

// ---- popups ----

enum TDropDownStyle { dsDropDown, dsDropDownList };

// The popup window: frameless, top-level, holding the mouse while open. The first release after
// opening only arms it; later releases inside select, outside close.
class TGxPopupControl : public QWidget {
 public:
  explicit TGxPopupControl(TGxCustomEdit* Owner);
  TGxCustomEdit* Owner() const { return owner_; }
  bool Closing() const { return closing_; }
  bool Armed() const { return armed_; }
  QScrollBar* ScrollBar() const { return bar_; }
  std::function<void()> OnClose;
  std::function<void(int Index, const QString& Text)> OnSelect;
  // Shows the popup at the screen point and holds the mouse.
  void Popup(const QPoint& At);
  // Marks closing, releases the mouse, hides; OnClose.
  void CloseUp();
  // The inner area (inside the 2-pixel frame, left of the bar while it shows).
  QRect InnerRect() const;

 protected:
  virtual void SelectAt(const QPoint&) {}
  void mousePressEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void keyPressEvent(QKeyEvent* E) override;
  void hideEvent(QHideEvent* E) override;
  bool closing_ = false, armed_ = false;

 private:
  TGxCustomEdit* owner_;
  QScrollBar* bar_;
};

// The item list of a combo box.
class TGxPopupList : public TGxPopupControl {
 public:
  explicit TGxPopupList(TGxCustomEdit* Owner);
  std::vector<WideString> Items;
  TItemsDisplayMode DisplayMode = dmDefault;
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int H) { itemHeight_ = std::max(1, H); }
  uint32_t Background = 0xFF000005, Selection = 0xFF00000D, SelectedText = 0xFF00000E;
  int Highlighted() const { return highlighted_; }
  int Chosen() const { return chosen_; }
  // The entry under a point of the inner area; -1 when none.
  int ItemAt(const QPoint& P) const;
  int FirstVisible() const;
  int VisibleRows() const;
  // Sets the chosen index, scrolls it into view and highlights it.
  void SetIndex(int I);
  void SetHighlighted(int I);
  // The scroll range and the bar before showing.
  void Prepare();
  // The item as the display mode reads it, and its indent level (dmIndentList).
  static WideString ItemText(const WideString& Item, TItemsDisplayMode Mode, int* Indent = nullptr);
  // The entry's text rectangle (x after the indent) for entry I in view.
  QRect EntryTextRect(int I) const;

 protected:
  void SelectAt(const QPoint& P) override;
  void paintEvent(QPaintEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;

 private:
  int itemHeight_ = 16;
  int highlighted_ = -1, chosen_ = -1;
};

class TGxPopupEdit : public TGxCustomButtonEdit {
 public:
  explicit TGxPopupEdit(QWidget* Parent = nullptr);
  ~TGxPopupEdit() override;
  bool HideFocus = false;
  TDropDownStyle Style() const { return style_; }
  virtual void SetStyle(TDropDownStyle S);
  std::function<void(QObject*)> OnCloseUp, OnSelect;
  bool Dropped() const { return dropped_; }
  // Opens the popup under the edit (nothing when open).
  void DropDown();
  // Closes it: mouse released, button look cleared, popup hidden, OnCloseUp.
  void CloseUp();
  TGxPopupControl* Popup();
  bool EraseBackground() const override { return style_ != dsDropDownList; }
  void PaintFace(QPainter& P) override;
  void PopupSelect(int Index, const QString& Text) override;
  void PopupClosed() override;
  // Keys the open popup hands back to the edit.
  virtual void PopupKey(QKeyEvent* E) { keyPressEvent(E); }

 protected:
  virtual TGxPopupControl* MakePopup();
  virtual void PreparePopup() {}
  void ButtonDown() override { DropDown(); }
  void keyPressEvent(QKeyEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void focusOutEvent(QFocusEvent* E) override;
  void hideEvent(QHideEvent* E) override;
  void showEvent(QShowEvent* E) override;

 private:
  TDropDownStyle style_ = dsDropDown;
  bool dropped_ = false;
  TGxPopupControl* popup_ = nullptr;
};

class TGxComboBox : public TGxPopupEdit {
 public:
  explicit TGxComboBox(QWidget* Parent = nullptr);
  TItemsDisplayMode DisplayMode = dmDefault;
  uint32_t DropDownColor = 0xFF000005, HighlightTextColor = 0xFF00000E,
           SelectionColor = 0xFF00000D;
  int DropDownCount = 8;
  int ItemHeight = 16;
  std::vector<WideString> Items;
  int ItemIndex() const { return itemIndex_; }
  // Stores the index; the text follows from the item (empty outside the items).
  void SetItemIndex(int I);
  void SetStyle(TDropDownStyle S) override;
  TGxPopupList* List() { return static_cast<TGxPopupList*>(Popup()); }
  void PopupSelect(int Index, const QString& Text) override;
  void PopupKey(QKeyEvent* E) override;

 protected:
  TGxPopupControl* MakePopup() override;
  void PreparePopup() override;
  void Changed() override;
  void keyPressEvent(QKeyEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;

 private:
  int itemIndex_ = -1;
  bool settingText_ = false;
};
