#include "mainwindow/TabStandIns.h"

#include "foundation/cvLink.h"

void TTabGraf::PlayGraphic() { cvlink::NotAvailable("TCorvesta.PlayGraphic"); }
