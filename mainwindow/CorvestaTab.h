// One tab of the main window: the form of its sheet, its own state and its handlers. The shell
// (TCorvesta) makes one object per sheet, builds their forms in the generator's order, lets each
// register its handlers by name in the window's one handler registry (the dispatcher binds the
// forms' event names to them) and reaches a tab through its typed accessor (Corvesta->EdTab()).
//
// A tab's class derives from TFormTab<its form struct>, so the form's controls are its members
// (Corvesta->EdTab().MemoEd). The sheet's own events, bound in the shell's form as "<Page>Show",
// "<Page>Hide" and "<Page>Exit", run Show, Hide and Exit; the keys and mouse of the message hook
// reach the active page's tab through the input it registers (Input).
#pragma once
#include <span>
#include <string>

#include "app/cvHook.h"
#include "platform/qt/FormRegistry.h"

class QWidget;
class TCorvesta;
class TQtJobRunner;
namespace platform {
class TTabSheet;
}

using TSender = const platform::TFormEventArgs&;

// Registers the method Name of this object as the handler of that name in the registry H.
#define CV_HANDLER(H, Name) (H).Add(#Name, [this](TSender E) { Name(E); })

class TCorvestaTab {
 public:
  TCorvestaTab(TCorvesta& Shell, std::string PageName);
  virtual ~TCorvestaTab() = default;
  TCorvestaTab(const TCorvestaTab&) = delete;
  TCorvestaTab& operator=(const TCorvestaTab&) = delete;

  // The sheet's component name ("TabEd"), the sheet and its caption ("Texts").
  const std::string& PageName() const { return page_; }
  platform::TTabSheet* Sheet() const;
  std::string Caption() const;
  // This tab is the page control's active page.
  bool Active() const;

  // The name of the tab's form, its controls made into the window and registered by name, and
  // its event bindings (control, event, handler).
  virtual const char* FormName() const = 0;
  virtual void BuildForm(QWidget* Form, platform::TFormRegistry& R) = 0;
  virtual std::span<const platform::TFormEvent> FormEvents() const = 0;
  // The tab's handlers by name: the sheet's Show, Hide and Exit; a tab adds its own.
  virtual void RegisterHandlers(platform::THandlerRegistry& H);

  // The keys and mouse the message hook hands this tab while its sheet is the active page (none
  // by default); the shell registers it with the hook.
  virtual TPageInput Input() { return {}; }

  // The sheet became the active page, stopped being it, lost the focus.
  virtual void Show() {}
  virtual void Hide() {}
  virtual void Exit() {}
  // The window closes while this tab is the active page.
  virtual void Closing() {}

  // The program's one job runner (the shell's): the tab's jobs run there.
  TQtJobRunner& Jobs;

 protected:
  TCorvesta& Shell;

 private:
  std::string page_;
};

// A tab that holds the generated form struct Form (whose controls fill the sheet Form::FormTarget).
template <class Form>
class TFormTab : public TCorvestaTab, public Form {
 public:
  explicit TFormTab(TCorvesta& Shell) : TCorvestaTab(Shell, Form::FormTarget) {}
  const char* FormName() const override { return Form::FormName; }
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override { Form::Build(F, R); }
  std::span<const platform::TFormEvent> FormEvents() const override { return Form::EventTable(); }
};
