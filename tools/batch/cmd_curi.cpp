// The line measurement object on one slit pixel of a scan (the Test tab's Gauss-fit group is not
// built yet):
//   curi SCAN IX IY 6301|6302 [--codes L6,k3,...] [--reps N] [--seq FitAll|FitLamDLD|...]
//        [--win IB IR] [--report] [--debug]
// The I profile of slit pixel IY (0-based) of file IX (0-based) is loaded into a measurer of its
// own with the fit options of the services' fields (design values); the model starts at the
// line's half-depth position with the start width and depth of the core fits, its window from
// the wing positions (LW) unless --win gives it. Then: the start report, a check and its report
// line, the code list (--reps times), the sequence, a report line after each, the end report.
// --report writes the refits' own lines (ReLam, ReDLD, the field steps, the check's side points),
// --debug the check's point tables. Every line of the report list is printed.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvCurISetup.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

int CurICmd(const std::vector<std::string>& A) {
  if (A.size() < 4) return batch::Usage();
  int32_t code = 0;
  const int32_t ix = ValIntCode(A[1], code);
  const int32_t iy = code == 0 ? ValIntCode(A[2], code) : 0;
  if (code != 0 || (A[3] != "6301" && A[3] != "6302")) return batch::Usage();
  const int n = A[3] == "6301" ? 1 : 2;
  TStringList codes;
  int32_t reps = 1, winB = 0, winR = 0;
  std::string seq;
  bool report = false, debug = false;
  for (size_t a = 4; a < A.size(); ++a) {
    if (A[a] == "--codes" && a + 1 < A.size()) {
      const std::string list = A[++a];
      size_t p = 0;
      while (p <= list.size()) {
        const size_t q = std::min(list.find(',', p), list.size());
        if (q > p) codes.Add(list.substr(p, q - p));
        p = q + 1;
      }
    } else if (A[a] == "--reps" && a + 1 < A.size()) {
      reps = ValIntCode(A[++a], code);
    } else if (A[a] == "--seq" && a + 1 < A.size()) {
      seq = A[++a];
    } else if (A[a] == "--win" && a + 2 < A.size()) {
      winB = ValIntCode(A[++a], code);
      if (code == 0) winR = ValIntCode(A[++a], code);
    } else if (A[a] == "--report") {
      report = true;
    } else if (A[a] == "--debug") {
      debug = true;
    } else {
      return batch::Usage();
    }
    if (code != 0) return batch::Usage();
  }
  if (!seq.empty() && seq != "FitAll" && seq != "FitLamDLD" && seq != "FitK3L6" &&
      seq != "FitK3L6x2" && seq != "FitK3D6" && seq != "FitK3B6" && seq != "FitK3xH" &&
      seq != "FitK3xHB6" && seq != "FitD6B6Loop" && seq != "ReDLD") {
    std::cerr << "curi: unknown sequence " << seq << "\n";
    return 2;
  }
  batch::UseProgramRoot();
  const std::string folder = batch::ScanPath(batch::Cp(A[0]));
  TLFITS scan;
  TJob head("LFITS.LoadHeaders " + folder);
  int rc = batch::RunAsJob(head, [&](TJob& J) {
    scan.Link(folder);
    scan.SetOptions(350, 350, 1.05, 20);
    if (!scan.LoadHeaders(J) && !J.Cancelled()) J.Fail("headers not read");
  });
  if (rc != 0) return rc;
  TStringList rep;
  TJob job("CurI " + scan.ScanName);
  rc = batch::RunAsJob(job, [&](TJob& J) {
    if (ix < 0 || ix >= scan.Count()) return J.Fail("no slit file " + IntStr(ix));
    TFITS& f = *scan.Files[static_cast<size_t>(ix)];
    if (!f.LoadData()) return J.Fail("data of " + f.FileName + " not read");
    const int32_t y = iy + 1;
    if (y < 1 || y > f.nY) return J.Fail("no slit pixel " + IntStr(iy));
    f.GetContAll();
    f.CalcLCHalf();
    bool err = false;
    f.CalcLW(err);
    const double b = f.ArN2[1][static_cast<size_t>(n)][static_cast<size_t>(y)];
    const double r = f.ArN2[2][static_cast<size_t>(n)][static_cast<size_t>(y)];
    const TARe& lc = n == 1 ? f.ALC1 : f.ALC2;
    double lam0 = static_cast<int32_t>(lc.size()) > y ? lc[static_cast<size_t>(y)] : 0;
    if (lam0 == 0) lam0 = (b + r) / 2;
    TARe X(static_cast<size_t>(f.nLam) + 1, 0.0), Y;
    for (int32_t i = 1; i <= f.nLam; ++i) X[static_cast<size_t>(i)] = i;
    f.GetIReal(y, Y);
    TCurI c;
    GaussParamsToCurI(c, Scans().CurISet);
    c.BindSLRep(&rep, report, debug);
    c.SetAXAY(X, Y);
    c.iX = ix;
    c.iY = iy;
    c.gs.La12 = n;
    c.gsInit(f.ACnt[static_cast<size_t>(y)], lam0, n == 1 ? 4.15 : 3.31, n == 1 ? 0.8 : 0.88);
    c.DLH2H(0);
    c.iB() = winB > 0 ? winB : b > 0 ? std::max<int32_t>(int32_t(IntBelow(b)) + 2, 4) : 0;
    c.iR() = winR > 0 ? winR : r > 0 ? std::min<int32_t>(int32_t(IntAbove(r)) - 2, 108) : 0;
    std::cout << "pixel " << ix << " " << iy << " line " << A[3] << " cont "
              << ShortSt(7, c.gs.Cont) << " lam0 " << ShortSt(7, lam0) << " wings "
              << ShortSt(6, b) << " " << ShortSt(6, r) << " window " << c.iB() << " "
              << c.iR() << "\n";
    c.CurI_gs_Report3("start");
    c.CheckLam();
    c.gsRepLine();
    if (codes.Count() > 0) {
      c.CodeList = &codes;
      c.NRep = reps;
      c.RunCodeList();
      c.gsRepLine();
    }
    if (!seq.empty()) {
      c.RunSequence(seq);
      c.Code = seq.substr(0, 4);
      c.gsRepLine();
    }
    c.CurI_gs_Report3("end");
  });
  for (int i = 0; i < rep.Count(); ++i) std::cout << batch::U8(rep[i]) << "\n";
  return rc;
}

const TBatchCommand kCurI{"curi",
                          "curi SCAN IX IY 6301|6302 [--codes L6,k3,...] [--reps N] "
                          "[--seq FitAll|FitLamDLD|...] [--win IB IR] [--report] [--debug]",
                          CurICmd};

}  // namespace
