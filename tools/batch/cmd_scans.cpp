// Scan commands of the harness (the FITS tab is not built yet): a level-1 scan linked, its
// headers and cubes read as jobs, its summary and one slit pixel's profiles printed.
#include <filesystem>
#include <iostream>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "tools/batch/Batch.h"

namespace batch {

std::string ScanPath(const std::string& Arg) {
  std::error_code ec;
  if (std::filesystem::is_directory(Arg, ec)) {
    std::string p = Arg;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
  }
  return ScanFolder(Arg);
}

}  // namespace batch

namespace {

std::string Clock(double Minutes) {
  const int64_t ms = static_cast<int64_t>(Minutes * 60000 + 0.5);
  return ZeroPad(ms / 3600000 % 24, 2) + ":" + ZeroPad(ms / 60000 % 60, 2) + ":" +
         ZeroPad(ms / 1000 % 60, 2) + "." + ZeroPad(ms % 1000, 3);
}

std::string LastPart(const std::string& P) {
  const size_t s = P.find_last_of('/');
  return s == std::string::npos ? P : P.substr(s + 1);
}

// Links the scan and reads its headers as a job; the job's exit status.
int OpenScan(TLFITS& Scan, const std::string& Arg) {
  batch::UseProgramRoot();
  InstallScanServices();
  const std::string folder = batch::ScanPath(batch::Cp(Arg));
  if (!batch::RequireFolder(folder, "scan folder")) return 1;
  TJob job("LFITS.LoadHeaders " + folder);
  return batch::RunAsJob(job, [&](TJob& J) {
    Scan.Link(folder);
    if (!Scan.LoadHeaders(J)) {
      if (!J.Cancelled()) J.Fail("headers not read");
      return;
    }
    if (Scan.Count() == 0) J.Fail("scan folder " + folder + ": no slit-position files");
  });
}

// info SCAN: the scan's summary after its headers are read.
int Info(const std::vector<std::string>& Args) {
  if (Args.size() != 1) return batch::Usage();
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  int32_t failed = 0;
  for (const auto& f : scan.Files) failed += f->Bit(1) ? 0 : 1;
  std::cout << "scan: " << batch::U8(scan.Path_Name) << "\n"
            << "files: " << scan.Count() << "\n"
            << "headers failed: " << failed << "\n"
            << "nY: " << scan.Refs.nY << "\n"
            << "NSLITPOS: " << scan.Refs.NSLITPOS << "\n"
            << "T0: " << Clock(scan.T0) << " (" << FDecSt(4, scan.T0) << " min)\n"
            << "duration: " << FDecSt(4, scan.Duration) << " min\n"
            << "DOP_RCV min: " << ShortSt(6, scan.DopMin) << " at " << ShortSt(6, scan.TDopMin)
            << " min\n"
            << "DOP_RCV max: " << ShortSt(6, scan.DopMax) << " at " << ShortSt(6, scan.TDopMax)
            << " min\n"
            << "wavelength scale: CRVAL1 " << ShortSt(8, scan.RefCRVAL1) << " CDELT1 "
            << ShortSt(8, scan.RefCDELT1) << " CRPIX1 " << ShortSt(8, scan.RefCRPIX1)
            << " flag " << scan.Refs.LamFlag << "\n"
            << "output folder: " << batch::U8(scan.OutFolder) << "\n"
            << "own file: " << batch::U8(LastPart(scan.OutFolder) + "/" + scan.sFN) << "\n"
            << "inversion file: " << batch::U8(scan.sFNME) << "\n"
            << "level-2.1 file: " << batch::U8(scan.sFNL21) << "\n";
  return 0;
}

// pixel SCAN FILE Y: wavelength and I, Q, U, V of slit pixel Y (1..nY) of FILE (its 0-based
// index in the scan or its name).
int Pixel(const std::vector<std::string>& Args) {
  if (Args.size() != 3) return batch::Usage();
  int32_t code = 0;
  const int32_t y = ValIntCode(Args[2], code);
  if (code != 0) return batch::Usage();
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  TFITS* f = nullptr;
  const int32_t ix = ValIntCode(Args[1], code);
  if (code == 0)
    f = scan.FITSByIndex(ix);
  else
    for (const auto& g : scan.Files)
      if (g->FileName == batch::Cp(Args[1])) f = g.get();
  if (!f) {
    std::cerr << "corvesta-batch: no file " << Args[1] << " in the scan\n";
    return 1;
  }
  TAIn S[5];
  TARe lam;
  TJob job("TFITS.LoadData " + f->FileName);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!f->LoadData()) return J.Fail("data not read");
    f->GetALam(lam);
    for (int s = 1; s <= 4; ++s)
      if (!f->GetCol3(y, s, S[s])) return J.Fail("no profile");
  });
  if (rc != 0) return rc;
  std::cout << "# " << batch::U8(f->FileName) << " y=" << y << ": lambda I Q U V\n";
  for (int32_t l = 1; l <= f->nLam; ++l)
    std::cout << FDecSt(7, lam[l]) << " " << S[1][l] << " " << S[2][l] << " " << S[3][l] << " "
              << S[4][l] << "\n";
  return 0;
}

// load SCAN: headers and every cube of the scan read as jobs.
int Load(const std::vector<std::string>& Args) {
  if (Args.size() != 1) return batch::Usage();
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  TJob job("LFITS.LoadData " + scan.Path_Name);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!scan.LoadData(J) && !J.Cancelled()) J.Fail("data not read");
  });
  if (rc != 0) return rc;
  int32_t loaded = 0;
  for (const auto& f : scan.Files) loaded += f->Bit(2) ? 1 : 0;
  std::cout << "files: " << scan.Count() << "\n"
            << "loaded: " << loaded << "\n"
            << "failed: " << scan.Count() - loaded << "\n"
            << "cube bytes: " << scan.BytesCubes << "\n"
            << "card bytes: " << scan.BytesCards << "\n";
  return 0;
}

const TBatchCommand kInfo{"info", "info SCAN (a scan folder or yyyymmdd_hhmmss)", Info};
const TBatchCommand kPixel{"pixel", "pixel SCAN FILE Y (FILE: index from 0 or name)", Pixel};
const TBatchCommand kLoad{"load", "load SCAN", Load};

}  // namespace
