// Routines of tabs that other issues build, as the shell calls them. What runs by itself (resize,
// close, start-up, tab shows) does nothing until its tab exists; what the user asks for reports
// that it is not available yet. Each moves to its tab's file when that tab is built.
#include "app/AppLinks.h"
#include "mainwindow/Corvesta.h"

void TCorvesta::SaveCoPiTunes() {}
void TCorvesta::SaveGIFTunes() {}
void TCorvesta::LoadPictColors() {}
void TCorvesta::FillViewSize() {}
void TCorvesta::ResizeGIFBitmaps(int32_t, int32_t) {}
void TCorvesta::UnnoRowsPerPage() {}
void TCorvesta::CurrentMove() {}
void TCorvesta::ShowSayerSwitches() {}
void TCorvesta::DataTabShow() {}
void TCorvesta::PlayGraphic() { applinks::NotAvailable("TCorvesta.PlayGraphic"); }
