// Profile and line commands of the harness (the FITS tab is not built yet): one slit pixel's
// Stokes profiles as tables or arrays, raw, normalised or as 3 x 3 means; the line primitives on
// both lines of a slit pixel beside the generator's truth; profile sums over slit rows as a job.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvBisec.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvWings.h"
#include "tools/batch/Batch.h"

namespace {

int OpenScan(TLFITS& Scan, const std::string& Arg) {
  batch::UseProgramRoot();
  InstallScanServices();
  const std::string folder = batch::ScanPath(batch::Cp(Arg));
  TJob job("LFITS.LoadHeaders " + folder);
  return batch::RunAsJob(job, [&](TJob& J) {
    Scan.Link(folder);
    if (!Scan.LoadHeaders(J) && !J.Cancelled()) J.Fail("headers not read");
  });
}

// FILE: a 0-based index of the scan or a file name; -1 when there is none.
int32_t FileIndex(const TLFITS& Scan, const std::string& Arg) {
  int32_t code = 0;
  const int32_t ix = ValIntCode(Arg, code);
  if (code == 0) return Scan.FITSByIndex(ix) ? ix : -1;
  for (const auto& g : Scan.Files)
    if (g->FileName == batch::Cp(Arg)) return g->IXI;
  return -1;
}

void PrintList(const TStringList* SL) {
  if (!SL) return;
  for (int i = 0; i < SL->Count(); ++i) std::cout << batch::U8((*SL)[i]) << "\n";
}

// Eight significant digits, locale-free.
std::string Num(double x) {
  char b[64];
  const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::general, 8);
  return std::string(b, r.ptr);
}

// profile SCAN FILE Y [IQUVPD] [--norm] [--nine] [--x p|1|2|n] [--lam0 L]
int Profile(const std::vector<std::string>& Args) {
  if (Args.size() < 3) return batch::Usage();
  std::string sel = "IQUV";
  bool norm = false, nine = false;
  char xmode = 0;
  double lam0 = 0;
  for (size_t a = 3; a < Args.size(); ++a) {
    const std::string& s = Args[a];
    int32_t code = 0;
    if (s == "--norm") {
      norm = true;
    } else if (s == "--nine") {
      nine = true;
    } else if (s == "--x" && a + 1 < Args.size() && Args[a + 1].size() == 1 &&
               std::string("p12n").find(Args[a + 1][0]) != std::string::npos) {
      xmode = Args[++a][0];
    } else if (s == "--lam0" && a + 1 < Args.size()) {
      lam0 = ValRealCode(Args[++a], code);
      if (code != 0) return batch::Usage();
    } else if (!s.empty() && s[0] != '-') {
      sel = s;
    } else {
      return batch::Usage();
    }
  }
  int32_t code = 0;
  const int32_t y = ValIntCode(Args[2], code);
  if (code != 0) return batch::Usage();
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  const int32_t f = FileIndex(scan, Args[1]);
  if (f < 0) {
    std::cerr << "corvesta-batch: no file " << Args[1] << " in the scan\n";
    return 1;
  }
  if (y < 1 || y > scan.Refs.nY) {
    std::cerr << "corvesta-batch: slit pixel " << y << " not in 1.." << scan.Refs.nY << "\n";
    return 1;
  }
  if (nine && (f < 1 || f > scan.Count() - 2)) {
    std::cerr << "corvesta-batch: --nine needs a file from 1 to " << scan.Count() - 2 << "\n";
    return 1;
  }
  std::unique_ptr<TStringList> table;
  TARe X, M, I, Q, U, V, P, D;
  double cont = 0;
  bool arrays = false;
  TJob job("profile");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    bool ok = true;
    if (xmode) {
      arrays = true;
      if (nine && norm)
        ok = scan.GetFIT9NormArr(f, y, sel, lam0, X, M, I, Q, U, V, P, D);
      else if (nine)
        ok = scan.GetFIT9Arr(f, y, sel, X, M, I, Q, U, V, P, D, cont);
      else
        ok = scan.GetFITArr(f, y - 1, sel, norm ? 'n' : 'p', xmode, lam0, X, M, I, Q, U, V, P, D,
                            cont);
    } else if (nine) {
      table = norm ? scan.GetFIT9Norm_SL(f, y, sel) : scan.GetFIT9_SL(f, y, sel);
      ok = table != nullptr;
    } else {
      table = norm ? scan.GetFITNorm_SL(f, y - 1, sel) : scan.GetFIT_SL(f, y - 1, sel);
      ok = table != nullptr;
    }
    if (!ok) J.Fail("no profile");
  });
  if (rc != 0) return rc;
  if (!arrays) {
    PrintList(table.get());
    return 0;
  }
  // arrays: one line per pixel, the selected columns; M and D (nLam - 1 values) where asked
  auto has = [](const TARe& A, size_t i) { return i < A.size(); };
  std::cout << "# x";
  for (const char* n : {"I", "Q", "U", "V", "P"}) {
    const TARe& A = *n == 'I' ? I : *n == 'Q' ? Q : *n == 'U' ? U : *n == 'V' ? V : P;
    if (!A.empty()) std::cout << " " << n;
  }
  if (!D.empty()) std::cout << " M D";
  std::cout << (cont != 0 ? " cont=" + Num(cont) : std::string()) << "\n";
  for (size_t i = 1; i < X.size(); ++i) {
    std::cout << Num(X[i]);
    for (const TARe* A : {&I, &Q, &U, &V, &P})
      if (!A->empty()) std::cout << " " << Num(has(*A, i) ? (*A)[i] : 0);
    if (!D.empty() && i < D.size()) std::cout << " " << Num(M[i]) << " " << Num(D[i]);
    std::cout << "\n";
  }
  return 0;
}

// The generator's truth of slit pixel (x, y) when the scan has its truth.txt.
struct TTruth {
  bool Found = false;
  double Ic = 0, Lam[2] = {0, 0}, W[2] = {0, 0}, D[2] = {0, 0};
};

TTruth ReadTruth(const std::string& Folder, int32_t X, int32_t Y) {
  TTruth t;
  std::ifstream in(Folder + "/truth.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ss(line);
    int x = 0, y = 0, kind = 0;
    double ic = 0, v = 0, l1 = 0, l2 = 0, w1 = 0, w2 = 0, d1 = 0, d2 = 0;
    if (!(ss >> x >> y >> kind >> ic >> v >> l1 >> l2 >> w1 >> w2 >> d1 >> d2)) continue;
    if (x != X || y != Y) continue;
    t.Found = kind <= 1;
    t.Ic = ic;
    t.Lam[0] = l1;
    t.Lam[1] = l2;
    t.W[0] = w1;
    t.W[1] = w2;
    t.D[0] = d1;
    t.D[1] = d2;
  }
  return t;
}

std::string Row(const char* Name, const TBand9& A) {
  std::string s = Name;
  for (size_t m = 1; m <= 9; ++m) s += " " + FDecSt0(4, A[m]);
  return s;
}

// lines SCAN FILE Y [--cont C]: the line primitives on both lines of slit pixel Y.
int Lines(const std::vector<std::string>& Args) {
  if (Args.size() != 3 && Args.size() != 5) return batch::Usage();
  int32_t code = 0;
  const int32_t y = ValIntCode(Args[2], code);
  if (code != 0) return batch::Usage();
  double contArg = 0;
  if (Args.size() == 5) {
    if (Args[3] != "--cont") return batch::Usage();
    contArg = ValRealCode(Args[4], code);
    if (code != 0) return batch::Usage();
  }
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  const int32_t fi = FileIndex(scan, Args[1]);
  TFITS* f = fi < 0 ? nullptr : scan.FITSByIndex(fi);
  if (!f) {
    std::cerr << "corvesta-batch: no file " << Args[1] << " in the scan\n";
    return 1;
  }
  if (y < 1 || y > scan.Refs.nY) {
    std::cerr << "corvesta-batch: slit pixel " << y << " not in 1.." << scan.Refs.nY << "\n";
    return 1;
  }
  TAIn A;
  double C = 0;
  double x1 = 0, x2 = 0;
  int32_t k1 = 0, k2 = 0, m1 = 0, m2 = 0;
  struct TLine {
    double XMin = 0, YMin = 0;
    TBand9 Bis{}, Wid{};
    TGauss3 DLD{}, Lam0{}, d0{};
    int32_t NExt = 0;
  } L[2];
  TJob job("lines");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!f->LoadData() || !f->GetCol3(y, 1, A)) return J.Fail("no profile");
    C = contArg > 0 ? contArg : f->GetContIY(y - 1);
    BisLevPair(A, C, 0.5, x1, x2, k1, k2, m1, m2);
    LineMetrix(1, 56, A, C, L[0].XMin, L[0].YMin, L[0].Bis, L[0].Wid, L[0].DLD, L[0].Lam0,
               L[0].d0, L[0].NExt);
    LineMetrix(57, 112, A, C, L[1].XMin, L[1].YMin, L[1].Bis, L[1].Wid, L[1].DLD, L[1].Lam0,
               L[1].d0, L[1].NExt);
  });
  if (rc != 0) return rc;
  const TTruth t = ReadTruth(scan.Path_Name, fi, y);
  const double step = scan.RefCDELT1 != 0 ? scan.RefCDELT1 : 0.021549;
  std::cout << "# " << batch::U8(f->FileName) << " y=" << y << " continuum " << Num(C);
  if (t.Found) std::cout << " (truth Ic " << Num(t.Ic) << ")";
  std::cout << "\n";
  for (int n = 0; n < 2; ++n) {
    const TLine& l = L[n];
    const double centre = n == 0 ? x1 : x2;
    const double s = (C - l.YMin * C / 100) / 5;
    double sum = 0;
    for (size_t k = 1; k <= 5; ++k) sum += l.Wid[k];
    const double ew = C > 0 ? s * sum / C : 0;  // pixels
    std::cout << "line " << n + 1 << "\n"
              << "centre " << FDecSt0(4, centre) << " (BisLevPair 0.5, minimum "
              << (n == 0 ? m1 : m2) << " at " << (n == 0 ? k1 : k2) << ")";
    if (t.Found)
      std::cout << " truth " << FDecSt0(4, (t.Lam[n] - scan.RefCRVAL1) / step + scan.RefCRPIX1);
    std::cout << "\n"
              << "minimum " << FDecSt0(4, l.XMin) << " depth " << FDecSt0(3, l.YMin)
              << " % NExt " << l.NExt;
    if (t.Found) std::cout << " truth depth " << FDecSt0(3, 100 * (1 - t.D[n]) * t.Ic / C) << " %";
    std::cout << "\n" << Row("bisector", l.Bis) << "\n" << Row("width", l.Wid) << "\n";
    std::cout << "equivalent width " << FDecSt0(4, ew) << " px " << FDecSt0(2, ew * step * 1000)
              << " mA";
    if (t.Found)
      std::cout << " truth " << FDecSt0(4, t.D[n] * t.W[n] / step * std::sqrt(M_PI) * t.Ic / C)
                << " px";
    std::cout << "\n";
    for (size_t e = 1; e <= 3; ++e)
      std::cout << "gauss mode " << e + 2 << " Lam0 " << FDecSt0(4, l.Lam0[e]) << " DLD "
                << FDecSt0(4, l.DLD[e]) << " d0 " << FDecSt0(1, l.d0[e]) << "\n";
    if (t.Found)
      std::cout << "truth DLD " << FDecSt0(4, t.W[n] / step) << " d0 "
                << FDecSt0(1, t.Ic * (1 - t.D[n])) << "\n";
  }
  return 0;
}

// profsum SCAN [FROM TO]: the profiles of slit pixels FROM..TO (default all) of every file summed
// as a job; one line per spectral pixel: the pixel and the sums of I, Q, U, V.
int ProfSum(const std::vector<std::string>& Args) {
  if (Args.size() != 1 && Args.size() != 3) return batch::Usage();
  TLFITS scan;
  if (const int rc = OpenScan(scan, Args[0]); rc != 0) return rc;
  int32_t from = 1, to = scan.Refs.nY, code = 0;
  if (Args.size() == 3) {
    from = ValIntCode(Args[1], code);
    if (code == 0) to = ValIntCode(Args[2], code);
    if (code != 0) return batch::Usage();
  }
  TAInIn flags(static_cast<size_t>(scan.Count()));
  for (auto& fl : flags) {
    fl.assign(static_cast<size_t>(std::max(scan.Refs.nY, 0)), 0);
    for (int32_t p = std::max(from, 1); p <= std::min(to, scan.Refs.nY); ++p)
      fl[static_cast<size_t>(p - 1)] = 1;
  }
  TStokesRe4 sums;
  TJob job("LFITS.ProfSum " + scan.Path_Name);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!scan.SumProfiles(J, flags, sums) && !J.Cancelled()) J.Fail("no sums");
  });
  if (rc != 0) return rc;
  std::cout << "# pixel I Q U V (rows " << from << ".." << to << " of " << scan.Count()
            << " files)\n";
  for (size_t i = 1; i < sums[1].size(); ++i)
    std::cout << i << " " << Num(sums[1][i]) << " " << Num(sums[2][i]) << " " << Num(sums[3][i])
              << " " << Num(sums[4][i]) << "\n";
  return 0;
}

const TBatchCommand kProfile{
    "profile",
    "profile SCAN FILE Y [IQUVPD] [--norm] [--nine] [--x p|1|2|n] [--lam0 L] (Y: 1..nY)",
    Profile};
const TBatchCommand kLines{"lines", "lines SCAN FILE Y [--cont C]", Lines};
const TBatchCommand kProfSum{"profsum", "profsum SCAN [FROM TO] (slit rows, 1-based)", ProfSum};

}  // namespace
