// Qt widgets and menus as control handles (platform/Controls.h).
#pragma once
#include <QMenu>
#include <QWidget>

#include "platform/Controls.h"

namespace platform {

// The handle of a widget (made on first use, freed with the widget); nullptr for nullptr.
// The kind ("TEdit", "TMemo", ...) follows the widget's class unless the widget carries the
// dynamic property "formClass". Tags live in the dynamic property "tag".
TControl* QtHandle(QWidget* Widget);
// The widget of a handle made by QtHandle; nullptr for other handles.
QWidget* QtWidgetOf(const TControl* Control);

// A QMenu as a menu handle. Items are checkable actions named by their component names.
class QtMenu : public TMenu {
 public:
  explicit QtMenu(QMenu* Menu) : Menu_(Menu) {}
  int32_t Count() const override;
  std::string ItemName(int32_t Index) const override;
  std::string ItemCaption(int32_t Index) const override;
  bool Checked(int32_t Index) const override;
  void SetChecked(int32_t Index, bool On) override;
  void DeleteItem(int32_t Index) override;
  void AddItem(const std::string& Name, const std::string& Caption, bool Checked,
               ClickProc OnClick) override;
  void Popup(TPoint ScreenPoint) override;
  QMenu* Menu() const { return Menu_; }

 private:
  QMenu* Menu_;
};

// The cursor's screen position and the control under it, through Qt.
void InstallQtCursorServices();

}  // namespace platform
