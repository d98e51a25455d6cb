// Map pictures of the harness: a map of a scan's own output file painted as the map window
// shows it (value picture, levels, palette, scale) and written as a PNG file.
#include <filesystem>
#include <iostream>

#include "foundation/cvStr.h"
#include "platform/Canvas.h"
#include "plotting/cvPng.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

bool Num(const std::string& S, double& V) {
  int32_t code = 0;
  V = ValRealCode(S, code);
  return code == 0;
}

// mappict SCAN NAME [--pct A B | --eqpop A B | --val V1 V2] [--palette K|R|G|B|Y] [--zoom Z]
// OUT.png: the map NAME of the scan's own output file (as "mapruns SCAN ... save" wrote it),
// levels by percentiles (default 0 1), equal population or values, painted at the scale Z into
// the map bitmap and written as PNG; prints the map, its extremes with their cells, the levels
// and the picture's size.
int MapPict(const std::vector<std::string>& Args) {
  if (Args.size() < 3) return batch::Usage();
  std::string Rule = "pct";
  double A = 0, B = 1, Zoom = 1;
  char Palette = 'K';
  std::string Out;
  for (size_t a = 2; a < Args.size(); ++a) {
    const std::string& s = Args[a];
    if ((s == "--pct" || s == "--eqpop" || s == "--val") && a + 2 < Args.size()) {
      Rule = s.substr(2);
      if (!Num(Args[a + 1], A) || !Num(Args[a + 2], B)) return batch::Usage();
      a += 2;
    } else if (s == "--palette" && a + 1 < Args.size() && Args[a + 1].size() == 1 &&
               std::string("KRGBY").find(Args[a + 1][0]) != std::string::npos) {
      Palette = Args[++a][0];
    } else if (s == "--zoom" && a + 1 < Args.size()) {
      if (!Num(Args[++a], Zoom) || !(Zoom > 0)) return batch::Usage();
    } else if (Out.empty() && s.rfind("--", 0) != 0) {
      Out = batch::Cp(s);
    } else {
      return batch::Usage();
    }
  }
  if (Out.empty()) return batch::Usage();
  batch::UseProgramRoot();
  const std::string folder = batch::ScanPath(batch::Cp(Args[0]));
  if (!batch::RequireFolder(folder, "scan folder")) return 1;
  const std::filesystem::path fp(folder);
  const std::string root = fp.parent_path().parent_path().string() + "/";
  Scans().DataRoot.Install([root] { return root; });
  const std::string scanName = fp.filename().string();
  if (scanName.size() < 13 || scanName[8] != '_') {
    std::cerr << "corvesta-batch: " << batch::U8(folder) << ": no scan folder yyyymmdd_hhmmss\n";
    return 2;
  }
  const std::string Da = scanName.substr(0, 8), Ti = scanName.substr(9);
  const std::string Name = batch::Cp(Args[1]);
  TLFIOut& reg = LFIOReg();
  reg.LoadOwn(Da, Ti, nullptr, true);
  int32_t idx = 0;
  TFIOut* m = reg.FindName(Name, 0, idx);
  if (!FIOutAssigned(m) || !m->EnsureLoaded()) {
    std::cerr << "corvesta-batch: no map " << Args[1] << " in the own file of " << scanName
              << "\n";
    return 1;
  }
  m->MinMaxMean();
  m->ToPict();
  TR4Pict& P = *m->Pict;
  P.GetHist();
  if (Rule == "pct") P.SetLevelsByPct(256, A, B);
  else if (Rule == "eqpop") P.SetLevelsEqPop(256, A, B);
  else P.SetLevelsByVal(256, static_cast<float>(A), static_cast<float>(B));
  P.SetPalette(Palette);
  // Headless: no map window to show it in.
  MapViewLinks().ShowInMapWin.Install([](TFIOut&) {});
  FOZoom = Zoom;
  m->ShowInMapWin();
  MapViewLinks().ShowInMapWin.Reset();
  if (!FOBitmapExists() || FOBitmap().Width() == 0) return 1;
  std::string err;
  if (!WritePng(FOBitmap(), Out, err)) {
    std::cerr << "corvesta-batch: " << batch::U8(Out) << ": " << err << "\n";
    return 1;
  }
  std::cout << "map " << batch::U8(m->Name) << " [" << m->nX << "," << m->nY << "]\n";
  std::cout << "min " << ShortSt(7, m->vMin) << " at " << m->ixMin << " " << m->iyMin << "\n";
  std::cout << "max " << ShortSt(7, m->vMax) << " at " << m->ixMax << " " << m->iyMax << "\n";
  std::cout << "levels " << ShortSt(7, P.Levels.front()) << " .. " << ShortSt(7, P.Levels.back())
            << " pct " << ShortSt(4, P.PLow) << " " << ShortSt(4, P.PHigh) << "\n";
  std::cout << "picture " << FOBitmap().Width() << "x" << FOBitmap().Height() << " "
            << batch::U8(Out) << "\n";
  return 0;
}

const TBatchCommand kMapPict{
    "mappict",
    "mappict SCAN NAME [--pct A B | --eqpop A B | --val V1 V2] [--palette K|R|G|B|Y] "
    "[--zoom Z] OUT.png",
    MapPict};

}  // namespace
