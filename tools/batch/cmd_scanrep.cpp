// Scan reports of the harness (the FITS tab is not built yet): one slit pixel's line parameters,
// the header comparison and per-file reports, the per-pixel table, the threshold statistics and
// the scan summary. A scan folder given as a path (root/yyyy_mm/yyyymmdd_hhmmss) makes its root
// the data root of the map files.
//   h0 SCAN IX IY [W1 W2 KV KRC]   the 20 values of slit pixel IY (0-based) of file IX (0-based);
//                                  W1, W2 in mA (350), KV (1) and KRC (1)
//   scanrep SCAN same|diff|main|time|table|stdfilt LO HI|bml
//                                  same, diff, main, time: after the headers (time with the own
//                                  file's maps VW1, VW2 when it has them); table after the
//                                  cubes are read and measured; stdfilt and bml over the own
//                                  file's maps
//   scaninfo SCAN                  the summary (control: text), the up-down maxima, the grid rows
//                                  and whether the cards went into the own output file
#include <filesystem>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvPixelH0.h"
#include "scans/cvScanInfo.h"
#include "scans/cvScanReports.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

// Links the scan, sets its default options and reads its headers as a job; a folder path makes
// its root the data root. The job's exit status.
int Open(TLFITS& Scan, const std::string& Arg) {
  batch::UseProgramRoot();
  const std::string folder = batch::ScanPath(batch::Cp(Arg));
  std::error_code ec;
  if (std::filesystem::is_directory(batch::Cp(Arg), ec)) {
    const std::string root =
        std::filesystem::path(folder).parent_path().parent_path().string() + "/";
    Scans().DataRoot.Install([root] { return root; });
  }
  TJob job("LFITS.LoadHeaders " + folder);
  return batch::RunAsJob(job, [&](TJob& J) {
    Scan.Link(folder);
    Scan.SetOptions(350, 350, 1.05, 20);
    if (!Scan.LoadHeaders(J) && !J.Cancelled()) J.Fail("headers not read");
  });
}

// No map keeps the scan as its owner once the command ends (a chained command may use them).
struct TDetach {
  TLFITS& Scan;
  ~TDetach() {
    if (TLFIOut* reg = LFIOOrNull())
      for (const auto& m : reg->Items)
        if (m && m->Owner == &Scan) m->Owner = nullptr;
  }
};

// The own output file's maps registered (their data read on use).
int RegisterOwn(TLFITS& Scan) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(Scan.OutFolder + "/" + Scan.sFN, ec)) return 0;
  TJob job("LFIO.LoadOwn " + Scan.ScanName);
  return batch::RunAsJob(job, [&](TJob& J) {
    LFIOReg().LoadOwn(Scan.ScanDa(), Scan.ScanTi(), nullptr, true, &J);
  });
}

void Print(const TStringList* L) {
  if (!L) {
    std::cout << "no report\n";
    return;
  }
  for (int i = 0; i < L->Count(); ++i) {
    std::string s = batch::U8((*L)[i]);
    for (size_t p = s.find("\r\n"); p != std::string::npos; p = s.find("\r\n", p)) s.erase(p, 1);
    std::cout << s << "\n";
  }
}

int H0(const std::vector<std::string>& A) {
  if (A.size() != 3 && A.size() != 7) return batch::Usage();
  int32_t code = 0;
  const int32_t ix = ValIntCode(A[1], code);
  const int32_t iy = code == 0 ? ValIntCode(A[2], code) : 0;
  double p[4] = {350, 350, 1, 1};
  for (int k = 0; k < 4 && A.size() == 7 && code == 0; ++k) p[k] = ValRealCode(A[3 + k], code);
  if (code != 0) return batch::Usage();
  TLFITS scan;
  TDetach detach{scan};
  if (const int rc = Open(scan, A[0]); rc != 0) return rc;
  TH0Values v;
  bool ok = false;
  TJob job("LFITS.CalcH0 " + scan.ScanName);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    ok = scan.CalcH0(J, ix, iy, p[0], p[1], p[2], p[3], v);
    if (!ok) J.Fail("CalcH0 failed");
  });
  if (rc != 0) return rc;
  for (const auto& [name, value] : v.Named()) std::cout << name << " " << ShortSt(9, value) << "\n";
  return 0;
}

int ScanRep(const std::vector<std::string>& A) {
  if (A.size() < 2) return batch::Usage();
  const std::string& what = A[1];
  double lo = 0, hi = 0;
  int32_t code = 0;
  if (what == "stdfilt") {
    if (A.size() != 4) return batch::Usage();
    lo = ValRealCode(A[2], code);
    if (code == 0) hi = ValRealCode(A[3], code);
    if (code != 0) return batch::Usage();
  } else if (A.size() != 2 || (what != "same" && what != "diff" && what != "main" &&
                               what != "time" && what != "table" && what != "bml")) {
    return batch::Usage();
  }
  TLFITS scan;
  TDetach detach{scan};
  if (const int rc = Open(scan, A[0]); rc != 0) return rc;
  if (what == "same") return Print(HeaderSameReport(scan).get()), 0;
  if (what == "diff") return Print(HeaderDiffReport(scan).get()), 0;
  if (what == "main") return Print(HeaderMainReport(scan).get()), 0;
  if (what == "time") {
    if (const int rc = RegisterOwn(scan); rc != 0) return rc;
    const auto L = SlitTimeReport(scan);
    Print(L.get());
    std::cout << "mean temperatures";
    for (double t : scan.MeanTemps) std::cout << " " << ShortSt(7, t);
    std::cout << "\n";
    return 0;
  }
  if (what == "table") {
    TJob job("LFITS.CalcIntegrVal " + scan.ScanName);
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if ((!scan.LoadData(J) || !scan.CalcIntegrVal(J)) && !J.Cancelled())
        J.Fail("scan not measured");
    });
    if (rc != 0) return rc;
    return Print(SlitTableSL(scan).get()), 0;
  }
  if (const int rc = RegisterOwn(scan); rc != 0) return rc;
  if (what == "stdfilt") {
    TStdFilters r;
    if (!MakeStdFilters(scan.ScanName, lo, hi, r)) return 1;
    std::cout << "A " << ShortSt(7, r.A) << "\nB " << ShortSt(7, r.B) << "\nC " << ShortSt(7, r.C)
              << "\nD " << ShortSt(7, r.D) << "\nE " << ShortSt(7, r.E) << "\nF "
              << ShortSt(7, r.F) << "\n";
    return 0;
  }
  double b1 = 0, b2 = 0, mx = 0, mn = 0;
  if (!CalcBMLFilt(scan.ScanName, b1, b2, mx, mn)) return 1;
  std::cout << "BML1 max " << ShortSt(7, b1) << "\nBML2 max " << ShortSt(7, b2) << "\nBIV max "
            << ShortSt(7, mx) << "\nBIV min " << ShortSt(7, mn) << "\n";
  return 0;
}

int ScanInfo(const std::vector<std::string>& A) {
  if (A.size() != 1) return batch::Usage();
  TLFITS scan;
  TDetach detach{scan};
  if (const int rc = Open(scan, A[0]); rc != 0) return rc;
  const TScanInfoView v = ShowScanInfo(&scan);
  for (const auto& [k, t] : v.Labels) std::cout << k << ": " << batch::U8(t) << "\n";
  std::cout << "udFITSiX max " << v.MaxIX << "\nudFITSiY max " << v.MaxIY << "\n";
  for (const auto& [ix, ixp] : v.Rows) std::cout << "row " << ix << " " << ixp << "\n";
  std::cout << "cards written " << (v.CardsWritten ? 1 : 0) << "\n";
  return 0;
}

const TBatchCommand kH0{"h0", "h0 SCAN IX IY [W1 W2 KV KRC]", H0};
const TBatchCommand kScanRep{
    "scanrep", "scanrep SCAN same|diff|main|time|table|stdfilt LO HI|bml", ScanRep};
const TBatchCommand kScanInfo{"scaninfo", "scaninfo SCAN", ScanInfo};

}  // namespace
