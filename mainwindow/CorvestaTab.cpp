#include "mainwindow/CorvestaTab.h"

#include <utility>

#include "mainwindow/Corvesta.h"

TCorvestaTab::TCorvestaTab(TCorvesta& Shell, std::string PageName)
    : Jobs(Shell.Jobs), Shell(Shell), page_(std::move(PageName)) {}

platform::TTabSheet* TCorvestaTab::Sheet() const {
  return Shell.PageControl ? Shell.PageControl->PageByName(page_) : nullptr;
}

std::string TCorvestaTab::Caption() const {
  const platform::TTabSheet* S = Sheet();
  return S ? S->Caption() : page_;
}

bool TCorvestaTab::Active() const { return Shell.IsActivePage(page_); }

void TCorvestaTab::RegisterHandlers(platform::THandlerRegistry& H) {
  H.Add(page_ + "Show", [this](TSender) { Show(); });
  H.Add(page_ + "Hide", [this](TSender) { Hide(); });
  H.Add(page_ + "Exit", [this](TSender) { Exit(); });
}
