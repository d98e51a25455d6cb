// A generated scan for the map-run tests: a data root in a temporary folder (the scan services'
// root), the scan written by the generator, linked, its options set and its headers read.
#pragma once
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace runtest {

class GenScan {
 public:
  explicit GenScan(int Files = 12, int NY = 24, double KRC = 1.05) {
    ResetScanServices();
    const std::string r = dir.str() + "/";
    Scans().DataRoot.Install([r] { return r; });
    opt.Files = Files;
    opt.NY = NY;
    folder = GenerateScan(dir.str(), opt);
    scan = std::make_unique<TLFITS>();
    scan->Link(folder);
    scan->SetOptions(350, 350, KRC, 20);
    TJob j("headers");
    RunJob(j, [&](TJob& J) { scan->LoadHeaders(J); });
  }
  ~GenScan() {
    scan.reset();
    ResetScanServices();
  }
  GenScan(const GenScan&) = delete;
  GenScan& operator=(const GenScan&) = delete;

  // The run as a job; its warnings and progress texts kept.
  bool Run(const std::function<bool(TJob&)>& Work, int CancelAt = -1) {
    job = std::make_unique<TJob>("run");
    progress.clear();
    bool ok = false;
    job->OnProgress = [this, CancelAt](const TJobProgress& P) {
      progress.push_back(P.Text);
      if (CancelAt >= 0 && P.Done >= CancelAt) job->Cancel();
    };
    RunJob(*job, [&](TJob& J) { ok = Work(J); });
    return ok;
  }
  bool Warned(const std::string& Part) const {
    for (const auto& w : job->Warnings())
      if (w.Text.find(Part) != std::string::npos) return true;
    return false;
  }

  // The generator's pixel of slit file X, slit pixel Y (1-based).
  TGenPixel Truth(int X, int Y) const { return GenPixel(opt, X, Y); }
  // The spectral pixel of a wavelength in file X's scale.
  double PixOf(int X, double Lam) const {
    const TFITS& f = *scan->Files[static_cast<size_t>(X)];
    return (Lam - f.CRVAL1) / f.CDELT1 + f.CRPIX1;
  }
  std::string Own() const { return scan->OutFolder + "/" + scan->sFN; }
  std::string ME() const { return scan->OutFolder + "/" + scan->sFNME; }

  // A map of the scan registered and filled with F(x, y), kLoad 9.
  TFIOut* Fixture(TMapSlot& Slot, const std::string& Name, int Kind, const std::string& Ver,
                  const std::function<float(int, int)>& F, int NX = -1, int NY = -1) {
    TLFIOut& reg = LFIOReg();
    const int nx = NX < 0 ? scan->nX : NX, ny = NY < 0 ? scan->ScanNY() : NY;
    TFIOut* m = reg.AddFIOut(scan->ScanName, Name, "fixture " + Name, Ver, Kind, nx, ny,
                             scan.get());
    m->AssignMem(nx, ny);
    for (int x = 0; x < nx; ++x)
      for (int y = 0; y < ny; ++y) m->aData[x][y] = F(x, y);
    m->kLoad = 9;
    m->MinMaxMean();
    Slot.Set(m);
    return m;
  }

  testsupport::TempDir dir;
  TScanGenOptions opt;
  std::string folder;
  std::unique_ptr<TLFITS> scan;
  std::unique_ptr<TJob> job;
  std::vector<std::string> progress;
};

inline float At(const TFIOut* M, int X, int Y) { return M->aData[X][Y]; }

}  // namespace runtest
