// Controls as handles: the properties and services of windows and controls that the program's
// code reads and writes (name, class, text, visibility, bounds, items, pages, a retained client
// canvas, the mouse position and the hint), without any window system. The program wraps its Qt
// widgets in handles (platform/qt/QtControls.h); tests use TMemControl, a handle that only keeps
// its properties. Texts are code page 1251.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

enum class TMouseButton { Left, Right, Middle };

class TControl {
 public:
  virtual ~TControl() = default;

  // ---- identity ----
  virtual std::string Name() const = 0;
  virtual void SetName(const std::string& Name) = 0;
  // The class name of the control's kind in the program's forms: "TForm", "TEdit", "TMemo", "TLabel",
  // "TButton", "TComboBox", "TPageControl", "TTabSheet", "TPanel", "TCheckBox", ...
  virtual std::string ClassName() const = 0;

  // ---- common properties ----
  // Caption or text.
  virtual std::string Text() const { return {}; }
  virtual void SetText(const std::string&) {}
  virtual bool Visible() const { return true; }
  virtual void SetVisible(bool) {}
  virtual bool Enabled() const { return true; }
  virtual void SetEnabled(bool) {}
  virtual int32_t Tag() const { return 0; }
  virtual void SetTag(int32_t) {}
  // Place in the parent's client area: Left, Top, Left + Width, Top + Height.
  virtual TRect Bounds() const { return {}; }
  virtual void SetBounds(const TRect&) {}
  virtual TControl* Parent() const { return nullptr; }
  virtual void SetParent(TControl*) {}
  virtual void SetFocus() {}
  virtual std::string Hint() const { return {}; }
  virtual void SetHint(const std::string&) {}

  // ---- owned components (a form owns every component on it), in creation order ----
  virtual TControl* Owner() const { return nullptr; }
  virtual int32_t ComponentCount() const { return 0; }
  virtual TControl* Component(int32_t) const { return nullptr; }

  // ---- items of list controls (combo boxes, list boxes) ----
  virtual int32_t ItemCount() const { return 0; }
  virtual std::string Item(int32_t) const { return {}; }
  virtual void AddItem(const std::string&) {}
  virtual void ClearItems() {}
  virtual int32_t ItemIndex() const { return -1; }
  virtual void SetItemIndex(int32_t) {}
  virtual int32_t ItemHeight() const { return 0; }
  virtual void SetItemHeight(int32_t) {}

  // ---- page controls: their tab sheets and the active one ----
  virtual int32_t PageCount() const { return 0; }
  virtual TControl* Page(int32_t) const { return nullptr; }
  virtual TControl* ActivePage() const { return nullptr; }
  virtual void SetActivePage(TControl*) {}

  // ---- windows ----
  // The retained client canvas (nullptr for controls without one).
  virtual TCanvas* Canvas() { return nullptr; }
  virtual int32_t ClientWidth() const { return Bounds().Width(); }
  virtual int32_t ClientHeight() const { return Bounds().Height(); }
  // The mouse position in client coordinates.
  virtual TPoint CursorPos() const { return {}; }
  // True when a client point lies in the window's client area (the window may be larger than
  // the part of it this handle draws, as a strip at the bottom of a main window).
  virtual bool InClientArea(TPoint P) const {
    return P.X >= 0 && P.Y >= 0 && P.X < ClientWidth() && P.Y < ClientHeight();
  }
  // Hints: ShowHints switches them on; ActivateHint shows the current hint at a client point.
  virtual void ShowHints(bool) {}
  virtual void ActivateHint(TPoint) {}

  // ---- published properties, as name = value texts (copying and streaming controls) ----
  virtual std::vector<std::pair<std::string, std::string>> Properties() const { return {}; }
  virtual bool SetProperty(const std::string&, const std::string&) { return false; }
  // A new control of the given class owned by this one (nullptr when the kind is unknown).
  virtual TControl* CreateComponent(const std::string&) { return nullptr; }
};

// A menu (a popup menu or the submenu of an item), as a list of items with component names,
// captions, check marks and click handlers.
class TMenu {
 public:
  virtual ~TMenu() = default;
  using ClickProc = std::function<void(TMenu& Menu, int32_t Index)>;
  virtual int32_t Count() const = 0;
  virtual std::string ItemName(int32_t Index) const = 0;
  virtual std::string ItemCaption(int32_t Index) const = 0;
  virtual bool Checked(int32_t Index) const = 0;
  virtual void SetChecked(int32_t Index, bool On) = 0;
  virtual void DeleteItem(int32_t Index) = 0;
  virtual void AddItem(const std::string& Name, const std::string& Caption, bool Checked,
                       ClickProc OnClick) = 0;
  // Shows the menu at a screen point (nothing without a display).
  virtual void Popup(TPoint) {}
  // Index of the item with that name, -1 when none.
  int32_t IndexOfName(const std::string& Name) const {
    for (int32_t i = 0; i < Count(); ++i)
      if (ItemName(i) == Name) return i;
    return -1;
  }
};

// A menu in memory; Click runs an item's handler as a click would.
class TMemMenu : public TMenu {
 public:
  struct Item {
    std::string Name, Caption;
    bool Checked = false;
    ClickProc OnClick;
  };
  int32_t Count() const override { return static_cast<int32_t>(Items.size()); }
  std::string ItemName(int32_t I) const override { return Items.at(I).Name; }
  std::string ItemCaption(int32_t I) const override { return Items.at(I).Caption; }
  bool Checked(int32_t I) const override { return Items.at(I).Checked; }
  void SetChecked(int32_t I, bool On) override { Items.at(I).Checked = On; }
  void DeleteItem(int32_t I) override { Items.erase(Items.begin() + I); }
  void AddItem(const std::string& Name, const std::string& Caption, bool Checked,
               ClickProc OnClick) override {
    Items.push_back(Item{Name, Caption, Checked, std::move(OnClick)});
  }
  void Click(int32_t I) {
    if (Items.at(I).OnClick) Items.at(I).OnClick(*this, I);
  }
  std::vector<Item> Items;
};

// The control under the mouse cursor and the cursor's screen position, as replaceable services
// (defaults: no control, the point (0, 0)); the program installs Qt ones.
struct CursorServices {
  std::function<TPoint()> ScreenPos;
  std::function<TControl*()> ControlUnderCursor;
};
CursorServices SetCursorServices(CursorServices Services);
TPoint CursorScreenPos();
TControl* ControlUnderCursor();

// A control that only keeps its properties. With a client size it keeps a client bitmap whose
// canvas Canvas() returns. Components created with an owner are listed by that owner and freed
// with it.
class TMemControl : public TControl {
 public:
  TMemControl(const std::string& ClassName, const std::string& Name, TMemControl* Owner = nullptr);
  ~TMemControl() override;

  std::string Name() const override { return Name_; }
  void SetName(const std::string& Name) override { Name_ = Name; }
  std::string ClassName() const override { return Class_; }
  std::string Text() const override { return Text_; }
  void SetText(const std::string& T) override { Text_ = T; }
  bool Visible() const override { return Visible_; }
  void SetVisible(bool V) override { Visible_ = V; }
  bool Enabled() const override { return Enabled_; }
  void SetEnabled(bool E) override { Enabled_ = E; }
  int32_t Tag() const override { return Tag_; }
  void SetTag(int32_t T) override { Tag_ = T; }
  TRect Bounds() const override { return Bounds_; }
  void SetBounds(const TRect& R) override;
  TControl* Parent() const override { return Parent_; }
  void SetParent(TControl* P) override { Parent_ = P; }
  void SetFocus() override { Focused = true; }
  std::string Hint() const override { return Hint_; }
  void SetHint(const std::string& H) override { Hint_ = H; }
  TControl* Owner() const override { return Owner_; }
  int32_t ComponentCount() const override { return static_cast<int32_t>(Owned_.size()); }
  TControl* Component(int32_t I) const override;
  int32_t ItemCount() const override { return static_cast<int32_t>(Items_.size()); }
  std::string Item(int32_t I) const override;
  void AddItem(const std::string& S) override { Items_.push_back(S); }
  void ClearItems() override {
    Items_.clear();
    ItemIndex_ = -1;
  }
  int32_t ItemIndex() const override { return ItemIndex_; }
  void SetItemIndex(int32_t I) override;
  int32_t ItemHeight() const override { return ItemHeight_; }
  void SetItemHeight(int32_t H) override { ItemHeight_ = H; }
  int32_t PageCount() const override { return static_cast<int32_t>(Pages_.size()); }
  TControl* Page(int32_t I) const override;
  TControl* ActivePage() const override { return Active_; }
  void SetActivePage(TControl* P) override { Active_ = P; }
  TCanvas* Canvas() override { return Surface_ ? &Surface_->Canvas() : nullptr; }
  TPoint CursorPos() const override { return Cursor; }
  void ShowHints(bool On) override { HintsOn = On; }
  void ActivateHint(TPoint P) override {
    HintShownAt = P;
    HintShown = true;
  }
  std::vector<std::pair<std::string, std::string>> Properties() const override;
  bool SetProperty(const std::string& Name, const std::string& Value) override;
  TControl* CreateComponent(const std::string& ClassName) override;

  // Adds a tab sheet to a page control.
  void AddPage(TControl* Page) { Pages_.push_back(Page); }
  // Gives the control a client bitmap of that size (white).
  void SetClientSize(int32_t Width, int32_t Height);
  TBitmap* Surface() { return Surface_.get(); }

  // Test state.
  TPoint Cursor;
  bool Focused = false;
  bool HintsOn = false;
  bool HintShown = false;
  TPoint HintShownAt;
  int32_t ClientW = -1, ClientH = -1;
  int32_t ClientWidth() const override { return ClientW >= 0 ? ClientW : Bounds_.Width(); }
  int32_t ClientHeight() const override { return ClientH >= 0 ? ClientH : Bounds_.Height(); }

 private:
  std::string Class_, Name_, Text_, Hint_;
  bool Visible_ = true, Enabled_ = true;
  int32_t Tag_ = 0;
  TRect Bounds_;
  TControl* Parent_ = nullptr;
  TMemControl* Owner_ = nullptr;
  std::vector<std::unique_ptr<TMemControl>> Owned_;
  std::vector<std::string> Items_;
  int32_t ItemIndex_ = -1;
  int32_t ItemHeight_ = 0;
  std::vector<TControl*> Pages_;
  TControl* Active_ = nullptr;
  std::unique_ptr<TBitmap> Surface_;
};

}  // namespace platform
