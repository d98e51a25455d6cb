#include "mainwindow/TabStandIns.h"

#include <QBoxLayout>

#include "app/cvApp.h"
#include "app/cvInf.h"
#include "foundation/cvLink.h"
#include "app/AppLinks.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "plotting/cvGRAD.h"
#include "synthesis/profiles/cvLUnno.h"

namespace standin {

platform::TLabel* AddNotice(const TCorvestaTab& Tab) {
  platform::TTabSheet* S = Tab.Sheet();
  if (!S) return nullptr;
  auto* L = new platform::TLabel(S);
  L->setObjectName(QString::fromStdString(Tab.PageName() + "Notice"));
  L->SetCaption(cvlink::NotAvailableText(Tab.Caption()));
  L->SetWordWrap(true);
  if (auto* B = qobject_cast<QBoxLayout*>(platform::FormLayoutOf(S, 'v')))
    B->insertWidget(0, L);
  else
    L->move(0, 0);
  return L;
}

bool NoteInPanel(const TCorvestaTab& Tab) {
  if (!App || !App->Inf) return false;
  App->Inf->LogStr("UM", cvlink::NotAvailableText(Tab.Caption()));
  return true;
}

}  // namespace standin

