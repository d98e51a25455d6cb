// corvesta-scangen: writes a synthetic level-1 scan.
//   corvesta-scangen ROOT [--files N] [--ny N] [--seed N] [--noise S] [--spbshft K] [--neg-cdelt]
//                    [--midnight] [--off-limb] [--stokes4] [--start YYYY-MM-DDThh:mm:ss.sss]
//                    [--scn-sum N] [--scn-step N] [--spnint N] [--inversion] [--own] [--fo]
// --inversion and --own also write the session's inversion-result / own map file, --fo the
// root's FO.txt.
// The scan goes to ROOT/yyyy_mm/yyyymmdd_hhmmss/; its folder is printed.
#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/scangen/cvScanGen.h"

int main(int Argc, char** Argv) {
  if (Argc < 2) {
    std::cerr << "usage: corvesta-scangen ROOT [--files N] [--ny N] [--seed N] [--noise S] "
                 "[--spbshft K] [--neg-cdelt] [--midnight] [--off-limb] [--stokes4] "
                 "[--start DATE_OBS]\n";
    return 2;
  }
  TScanGenOptions o;
  bool inversion = false, own = false, fo = false;
  for (int i = 2; i < Argc; ++i) {
    const std::string a = Argv[i];
    auto next = [&]() -> std::string { return i + 1 < Argc ? Argv[++i] : ""; };
    if (a == "--files") o.Files = std::atoi(next().c_str());
    else if (a == "--ny") o.NY = std::atoi(next().c_str());
    else if (a == "--seed")
      o.Seed = static_cast<uint32_t>(std::strtoul(next().c_str(), nullptr, 10));
    else if (a == "--noise") o.Noise = std::atof(next().c_str());
    else if (a == "--spbshft") o.Spbshft = std::atoi(next().c_str());
    else if (a == "--neg-cdelt") o.NegCdelt = true;
    else if (a == "--midnight") o.Midnight = true;
    else if (a == "--off-limb") o.OffLimb = true;
    else if (a == "--stokes4") o.Stokes4th = true;
    else if (a == "--start") o.Start = next();
    else if (a == "--scn-sum") o.ScnSum = std::atoi(next().c_str());
    else if (a == "--scn-step") o.ScnStep = std::atoi(next().c_str());
    else if (a == "--spnint") o.Spnint = std::atoi(next().c_str());
    else if (a == "--inversion") inversion = true;
    else if (a == "--own") own = true;
    else if (a == "--fo") fo = true;
    else {
      std::cerr << "corvesta-scangen: unknown option " << a << "\n";
      return 2;
    }
  }
  if (o.Files < 1 || o.NY < 1 || o.Spbshft < 0 || o.Spbshft > 3) return 2;
  const std::string f = GenerateScan(Argv[1], o);
  if (f.empty()) return 1;
  std::cout << f << "\n";
  if (inversion) {
    const std::string m = GenerateInversionFile(Argv[1], o);
    if (m.empty()) return 1;
    std::cout << m << "\n";
  }
  if (own) {
    const std::string m = GenerateOwnFile(Argv[1], o);
    if (m.empty()) return 1;
    std::cout << m << "\n";
  }
  if (fo && !WriteFOList(Argv[1])) return 1;
  return 0;
}
