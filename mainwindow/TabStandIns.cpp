#include "mainwindow/TabStandIns.h"

#include "foundation/cvLink.h"
#include "mainwindow/Corvesta.h"

void TTabGraf::PlayGraphic() { cvlink::NotAvailable("TCorvesta.PlayGraphic"); }

void TTabCORA::SetViewTimer(bool On) { Shell.ViewTimer->SetEnabled(On); }
