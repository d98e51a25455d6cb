// The Test tab's benches on one slit pixel of a scan (Y counts from 1, as in profile):
//   fitform SCAN FILE Y [--set NAME=TEXT]... [--memo LINE]... [--op CODE]... [--ajst] [--h41]
//           [--loop]
//     The I profile into a measurer as the FITS tab's profile plot hands it over (continuum into
//     edICont6301, the pixel into lb_iX, lb_iY), the Gauss-fit group's texts (design values, then
//     --set) printed, "Bi", then each "do Op" with the code, "H(4.1)", "Ajst" and "Loop" (the
//     operation list from --memo lines) as asked; the texts after, then memoGSparam's lines.
//   cogiv SCAN FILE Y [--gap N]
//     The slice table of "COG_I±V(ix,iy)" ("9_Lines", or "N_Gap" with N slices) beside the values
//     of the scan's own maps at the pixel.
//   algo SCAN FILE Y
//     The "06%_Core" text of "Algo Rithm".
#include <iostream>
#include <string>
#include <vector>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCOGiv.h"
#include "scans/cvCurI.h"
#include "scans/cvFITS.h"
#include "scans/cvGaussForm.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

struct TPixel {
  int32_t ix = 0, y = 0;  // file index (0-based), slit pixel (1-based)
};

// The scan's headers read, FILE and Y checked; 0 or the exit status.
int OpenPixel(TLFITS& Scan, const std::vector<std::string>& A, TPixel& P) {
  int32_t code = 0;
  P.ix = ValIntCode(A[1], code);
  if (code == 0) P.y = ValIntCode(A[2], code);
  if (code != 0) return batch::Usage();
  batch::UseProgramRoot();
  InstallScanServices();
  const std::string folder = batch::ScanPath(batch::Cp(A[0]));
  TJob job("LFITS.LoadHeaders " + folder);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    Scan.Link(folder);
    Scan.SetOptions(350, 350, 1.05, 20);
    if (!Scan.LoadHeaders(J) && !J.Cancelled()) J.Fail("headers not read");
  });
  if (rc != 0) return rc;
  if (P.ix < 0 || P.ix >= Scan.Count()) {
    std::cerr << "corvesta-batch: no file " << P.ix << " in the scan\n";
    return 1;
  }
  if (P.y < 1 || P.y > Scan.ScanNY()) {
    std::cerr << "corvesta-batch: slit pixel " << P.y << " not in 1.." << Scan.ScanNY() << "\n";
    return 1;
  }
  return 0;
}

void PrintForm(const char* Title, const TGaussForm& F) {
  std::cout << Title << "\n";
  for (const auto& [name, text] : F) std::cout << "  " << name << "=" << batch::U8(text) << "\n";
}

int FitForm(const std::vector<std::string>& A) {
  if (A.size() < 3) return batch::Usage();
  TGaussForm form = GaussFormDefaults();
  std::vector<std::string> ops;
  TStringList memo;
  for (size_t a = 3; a < A.size(); ++a) {
    if (A[a] == "--set" && a + 1 < A.size()) {
      const std::string s = batch::Cp(A[++a]);
      const size_t eq = s.find('=');
      if (eq == std::string::npos || !form.count(s.substr(0, eq))) return batch::Usage();
      form[s.substr(0, eq)] = s.substr(eq + 1);
    } else if (A[a] == "--memo" && a + 1 < A.size()) {
      memo.Add(batch::Cp(A[++a]));
    } else if (A[a] == "--op" && a + 1 < A.size()) {
      ops.push_back("op:" + batch::Cp(A[++a]));
    } else if (A[a] == "--ajst" || A[a] == "--h41" || A[a] == "--loop") {
      ops.push_back(A[a].substr(2));
    } else {
      return batch::Usage();
    }
  }
  TLFITS scan;
  TPixel p;
  if (const int rc = OpenPixel(scan, A, p); rc != 0) return rc;
  TCurISettings& S = Scans().CurISet;
  S.Gauss.FIOutMemo = memo;
  TCurI& c = ScanCurI();
  TJob job("fitform");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    TFITS& f = *scan.Files[static_cast<size_t>(p.ix)];
    if (!f.LoadData()) return J.Fail("data of " + f.FileName + " not read");
    f.GetContAll();
    TARe X(static_cast<size_t>(f.nLam) + 1, 0.0), Y;
    for (int32_t i = 1; i <= f.nLam; ++i) X[static_cast<size_t>(i)] = i;
    f.GetIReal(p.y, Y);
    const double cont = f.ACnt[static_cast<size_t>(p.y)];
    // the FITS tab's hand-over
    form["edICont6301"] = ShortSt(9, cont);
    form["lb_iX"] = IntStr(p.ix);
    form["lb_iY"] = IntStr(p.y - 1);
    CurILineFromForm(c, form);
    GaussParamsToCurI(c, S);
    c.gs.Cont = c.gs1.Cont = c.gs2.Cont = cont;
    c.SetAXAY(X, Y);
    c.iX = p.ix;
    c.iY = p.y - 1;
    PrintForm("before", form);
    TGaussEnv env;
    GaussFormRun(c, S, form, "bi", env);
    for (const std::string& op : ops) {
      if (op.rfind("op:", 0) == 0) {
        form["cbGSop"] = op.substr(3);
        GaussFormRun(c, S, form, "doop", env);
      } else {
        GaussFormRun(c, S, form, op == "h41" ? "H41" : op, env, &J);
      }
    }
    PrintForm("after", form);
  });
  std::cout << "memoGSparam\n";
  for (int i = 0; i < S.MemoGSparam.Count(); ++i)
    std::cout << "  " << batch::U8(S.MemoGSparam[i]) << "\n";
  return rc;
}

int COGiv(const std::vector<std::string>& A) {
  if (A.size() < 3) return batch::Usage();
  char scheme = '9';
  int32_t nn = 15;
  for (size_t a = 3; a < A.size(); ++a) {
    int32_t code = 0;
    if (A[a] == "--gap" && a + 1 < A.size()) {
      scheme = 'N';
      nn = ValIntCode(A[++a], code);
      if (code != 0 || nn < 1) return batch::Usage();
    } else {
      return batch::Usage();
    }
  }
  TLFITS scan;
  TPixel p;
  if (const int rc = OpenPixel(scan, A, p); rc != 0) return rc;
  TCOGivTable t;
  TJob job("cogiv");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    const std::string da = scan.ScanDa(), ti = scan.ScanTi();
    LFIOReg().LoadOwn(da, ti, nullptr, true);
    TCOGivMaps maps;
    COGMapValues(da + "_" + ti, p.ix, p.y - 1, maps);
    TCOGivProfile prof;
    if (!COGivFromScan(scan, p.ix, p.y - 1, prof)) return J.Fail("no profile");
    COGivSlices(prof, maps, GetRcvFITKey("VW1", 0), GetRcvFITKey("VW2", 0), scheme, nn, t);
    std::cout << "Cont " << FDecSt(3, prof.Cont) << " min1 " << FDecSt(1, t.mid1) << " min2 "
              << FDecSt(1, t.mid2) << "\n";
  });
  for (int i = 0; i < t.Lines.Count(); ++i) std::cout << batch::U8(t.Lines[i]) << "\n";
  return rc;
}

int Algo(const std::vector<std::string>& A) {
  if (A.size() != 3) return batch::Usage();
  TLFITS scan;
  TPixel p;
  if (const int rc = OpenPixel(scan, A, p); rc != 0) return rc;
  TStringList out;
  TCurIV iv;
  TJob job("algo");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!AlgoRithm(scan, p.ix, p.y - 1, iv, out)) J.Fail("Algo Rithm");
  });
  std::cout << "06%_Core\n";
  for (int i = 0; i < out.Count(); ++i) std::cout << batch::U8(out[i]) << "\n";
  return rc;
}

const TBatchCommand kFitForm{"fitform",
                             "fitform SCAN FILE Y [--set NAME=TEXT]... [--memo LINE]... "
                             "[--op CODE]... [--ajst] [--h41] [--loop]",
                             FitForm};
const TBatchCommand kCOGiv{"cogiv", "cogiv SCAN FILE Y [--gap N]", COGiv};
const TBatchCommand kAlgo{"algo", "algo SCAN FILE Y", Algo};

}  // namespace
