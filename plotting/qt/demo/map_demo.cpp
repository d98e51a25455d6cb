// The map window on the maps of a scan's own output file (as "corvesta-batch mapruns SCAN ...
// save" writes it), until the FITS tab's map list opens it:
//   map_demo SCANFOLDER [--zoom Z]               the window, to walk the maps by hand
//   map_demo SCANFOLDER [--zoom Z] --grab F.png  offscreen: the first map's picture as PNG
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "foundation/cvStrList.h"
#include "platform/SysInfo.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFMap.h"
#include "plotting/qt/cvGRADQt.h"
#include "plotting/qt/cvPictWindows.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapView.h"
#include "scans/cvScanServices.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  platform::UseCNumbers();
  InstallPlottingQt();
  if (argc < 2) {
    std::fprintf(stderr, "usage: map_demo SCANFOLDER [--zoom Z] [--grab FILE.png]\n");
    return 2;
  }
  std::string Grab;
  for (int a = 2; a < argc; ++a) {
    if (std::strcmp(argv[a], "--zoom") == 0 && a + 1 < argc) FOZoom = std::atof(argv[++a]);
    else if (std::strcmp(argv[a], "--grab") == 0 && a + 1 < argc) Grab = argv[++a];
  }
  const std::filesystem::path Folder(argv[1]);
  const std::string Root = Folder.parent_path().parent_path().string() + "/";
  Scans().DataRoot.Install([Root] { return Root; });
  const std::string Name = Folder.filename().string();
  if (Name.size() < 13 || Name[8] != '_') {
    std::fprintf(stderr, "%s: no scan folder yyyymmdd_hhmmss\n", argv[1]);
    return 2;
  }
  TLFIOut& Reg = LFIOReg();
  if (!Reg.LoadOwn(Name.substr(0, 8), Name.substr(9), nullptr, true)) {
    std::fprintf(stderr, "no maps in the own file of %s\n", Name.c_str());
    return 1;
  }
  auto& L = Scans().LFOP;
  L = std::make_unique<TStringList>();
  for (int32_t k = 0; k < Reg.Count(); ++k)
    if (TFIOut* M = Reg.Item(k); FIOutAssigned(M) && M->EnsureLoaded()) L->Add(M->DisplayName());
  Scans().LFOPIdx = 0;
  PlotterUnitInit();
  CreatePictWindows(nullptr);
  CreateMapWindow(nullptr);
  FMap->State().ShowCurrent();
  if (!Grab.empty()) {
    QApplication::processEvents();
    const bool Ok = FOBitmapExists() && SaveBitmapPng(FOBitmap(), Grab);
    FreeMapWindow();
    FreePictWindows();
    FreePLOTTER();
    return Ok ? 0 : 1;
  }
  const int Rc = App.exec();
  FreeMapWindow();
  FreePictWindows();
  return Rc;
}
