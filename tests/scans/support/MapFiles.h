// Map files made by the writer for the map tests: a data root in a temporary folder, the scan
// 2019-06-22 16:45:05, its own output file started and maps filled with known values.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "scans/cvFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "support/TestSupport.h"

namespace maptest {

constexpr const char* kDa = "20190622";
constexpr const char* kTi = "164505";

class MapRoot {
 public:
  MapRoot() {
    ResetScanServices();
    const std::string r = dir.str() + "/";
    Scans().DataRoot.Install([r] { return r; });
    scan.OutFolder = dir.str() + "/2019_06/20190622_1645";
    scan.sFN = "20190622_1645.fits";
    scan.sFNME = "20190622_164505.fits";
    scan.ScanName = "20190622_164505";
    scan.TSTART = "2019-06-22T16:45:05";
  }
  ~MapRoot() { ResetScanServices(); }
  std::string Own() const { return scan.OutFolder + "/" + scan.sFN; }
  std::string ME() const { return scan.OutFolder + "/" + scan.sFNME; }

  testsupport::TempDir dir;
  TLFITS scan;
};

// A calculated map of the scan, kind 1, values F(x, y), statistics made.
inline std::unique_ptr<TFIOut> MakeMap(const std::string& Name, int nx, int ny,
                                       const std::function<float(int, int)>& F,
                                       const std::string& Ver = "20241023") {
  auto m = std::make_unique<TFIOut>();
  m->Name = Name;
  m->Com = "test " + Name;
  m->Ver = Ver;
  m->kSoft = 1;
  m->Da = kDa;
  m->Ti = kTi;
  m->AssignMem(nx, ny);
  for (int x = 0; x < nx; ++x)
    for (int y = 0; y < ny; ++y) m->aData[x][y] = F(x, y);
  m->kLoad = 9;
  m->MinMaxMean();
  return m;
}

inline float Wave(int x, int y) { return 1.0f + 0.5f * x - 0.25f * y + 0.001f * x * y; }

inline int64_t Size(const std::string& F) {
  std::error_code ec;
  return static_cast<int64_t>(std::filesystem::file_size(F, ec));
}

}  // namespace maptest
