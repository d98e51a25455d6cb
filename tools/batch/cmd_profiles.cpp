// Profile-set commands of the harness: a synthetic line (or a column file) measured as the Unno
// tab measures it, and the same for a copy blurred by a macroturbulent velocity.
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

struct TSynthLine {
  bool Half = false;
  double From = 6302.0, To = 6303.0, Step = 0.002;
  double Lam0 = 6302.513, Depth = 0.6, Width = 0.05;
  double VAmp = 0.2, VWidth = 0.04, VLam = 0;  // VLam 0: the line centre
  double Cont = 1;
};

// I = C (1 - D e^(-((l - L0)/W)^2)), V = C A u e^(-u^2), u = (l - Lv)/Wv, Q = U = 0: over
// From..To, or as a half profile from L0 to To.
void BuildSynthetic(TUNNO& U, const TSynthLine& S) {
  U.SetDefaults();
  if (S.Half) {
    const int32_t n = static_cast<int32_t>(std::llround((S.To - S.Lam0) / S.Step)) + 1;
    U.PureUL(n, 0, S.Lam0, (n - 1) * S.Step * 1000, 0);
  } else {
    const int32_t n = static_cast<int32_t>(std::llround((S.To - S.From) / S.Step)) + 1;
    U.SetULEqd(n, S.Lam0, S.To, S.From);
  }
  U.AllocU();
  const double lv = S.VLam != 0 ? S.VLam : S.Lam0;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    const double x = (U.UL[i] - S.Lam0) / S.Width;
    const double u = (U.UL[i] - lv) / S.VWidth;
    U.UI[i] = S.Cont * (1 - S.Depth * std::exp(-x * x));
    U.UV[i] = S.Cont * S.VAmp * u * std::exp(-u * u);
  }
  U.CONT = S.Cont;
}

// A plain column file "lambda I [Q U V]" (blank-separated; lines starting with "#" or "!" and
// empty lines skipped): a full profile with the given continuum; the reference wavelength Lam0,
// or that of the lowest I. False, with the reason, for a file that is no such table.
bool ReadColumns(const std::string& File, double Lam0, double Cont, TUNNO& U, std::string& Err) {
  std::ifstream f(File);
  if (!f) {
    Err = "cannot open " + File;
    return false;
  }
  TARe l{0}, i{0}, q{0}, u{0}, v{0};
  int cols = 0;
  std::string line;
  int no = 0;
  while (std::getline(f, line)) {
    ++no;
    const std::string t = TrimCtl(line);
    if (t.empty() || t[0] == '#' || t[0] == '!') continue;
    std::istringstream in(t);
    std::vector<double> vals;
    std::string w;
    while (in >> w) {
      int32_t code = 0;
      const double x = ValRealCode(w, code);
      if (code != 0) {
        Err = File + ":" + std::to_string(no) + ": not a number: " + w;
        return false;
      }
      vals.push_back(x);
    }
    if (cols == 0) cols = vals.size() >= 5 ? 5 : static_cast<int>(vals.size());
    if (cols < 2 || static_cast<int>(vals.size()) < cols) {
      Err = File + ":" + std::to_string(no) + ": expected lambda I [Q U V]";
      return false;
    }
    l.push_back(vals[0]);
    i.push_back(vals[1]);
    if (cols == 5) {
      q.push_back(vals[2]);
      u.push_back(vals[3]);
      v.push_back(vals[4]);
    }
  }
  const int32_t n = NOf(l);
  if (n < 2) {
    Err = File + ": fewer than two points";
    return false;
  }
  for (int32_t k = 2; k <= n; ++k)
    if (!(l[k] > l[k - 1])) {
      Err = File + ": the wavelengths must ascend (line of point " + std::to_string(k) + ")";
      return false;
    }
  if (Lam0 == 0) {
    int32_t m = 1;
    for (int32_t k = 2; k <= n; ++k)
      if (i[k] < i[m]) m = k;
    Lam0 = l[m];
  }
  U.SetDefaults();
  U.K4 = cols == 5 ? 0 : 1;
  U.SetUL(l, Lam0, false);
  U.AllocU();
  U.UI = i;
  if (cols == 5) {
    U.UQ = q;
    U.UU = u;
    U.UV = v;
  }
  U.CONT = Cont;
  return true;
}

std::string Num(double x) { return ShortSt(9, x); }

// The measurements of the Unno tab, one per line.
void Measure(TUNNO& U, const std::string& Title) {
  std::cout << Title << ": NDL=" << U.NDL << " KSym=" << U.KSym << " LAMB=" << Num(U.LAMB)
            << " ALG=" << U.ALG << "\n";
  std::cout << "GetLam " << Num(U.GetLam()) << "\n";
  const double depth = U.GetDepth();
  std::cout << "GetDepth " << Num(depth) << " LDepth " << Num(U.LDepth) << " IDepth " << U.IDepth
            << "\n";
  std::cout << "GetD0 " << Num(U.GetD0()) << "\n";
  const int32_t runs = U.FindMonoRuns();
  const TMonoRuns& m = U.MonoRuns;
  std::cout << "FindMonoRuns " << runs << " Dn " << m.MRDnBeg << ".." << m.MRDnEnd << " Up "
            << m.MRUpBeg << ".." << m.MRUpEnd << " Sides " << m.MRSides << "\n";
  if (U.K4 != 1) {
    std::cout << "ExtrV " << Num(U.ExtrV()) << "\n";
    std::cout << "VZeroCross " << Num(U.VZeroCross()) << "\n";
    std::cout << "VLobe20 " << Num(U.VLobe20()) << "\n";
  }
  U.CalcLCurvI();
  std::cout << "CalcLCurvI LCurv " << Num(U.LCurv) << " LVar " << Num(U.LVar) << "\n";
}

bool Real(const std::vector<std::string>& A, size_t& i, double& X) {
  if (i + 1 >= A.size()) return false;
  int32_t code = 0;
  X = ValRealCode(A[++i], code);
  return code == 0;
}

// unno [--half] [--from L] [--to L] [--step L] [--lam0 L] [--depth D] [--width A]
//         [--vamp A] [--vwidth A] [--vlam L] [--cont C] [--vma KM] [--warn] [FILE]
int Profile(const std::vector<std::string>& Args) {
  TSynthLine s;
  std::string file;
  double vma = 2, lam0 = 0;
  bool lam0Given = false, warn = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    bool ok = true;
    if (a == "--half") s.Half = true;
    else if (a == "--warn") warn = true;
    else if (a == "--from") ok = Real(Args, i, s.From);
    else if (a == "--to") ok = Real(Args, i, s.To);
    else if (a == "--step") ok = Real(Args, i, s.Step);
    else if (a == "--lam0") ok = (lam0Given = Real(Args, i, lam0));
    else if (a == "--depth") ok = Real(Args, i, s.Depth);
    else if (a == "--width") ok = Real(Args, i, s.Width);
    else if (a == "--vamp") ok = Real(Args, i, s.VAmp);
    else if (a == "--vwidth") ok = Real(Args, i, s.VWidth);
    else if (a == "--vlam") ok = Real(Args, i, s.VLam);
    else if (a == "--cont") ok = Real(Args, i, s.Cont);
    else if (a == "--vma") ok = Real(Args, i, vma);
    else if (file.empty() && a.rfind("--", 0) != 0) file = batch::Cp(a);
    else ok = false;
    if (!ok) return batch::Usage();
  }
  if (lam0Given) s.Lam0 = lam0;
  if (!(s.Step > 0) || !(s.To > s.From) || !(s.Width > 0) || !(s.VWidth > 0) ||
      !(s.Lam0 > 1000))
    return batch::Usage();
  if (warn) Sayer->WarnOn();
  InstallSynthesisServices();
  TUNNO u, b;
  if (!file.empty()) {
    std::string err;
    if (!ReadColumns(file, lam0Given ? lam0 : 0, s.Cont, u, err)) {
      std::cerr << "corvesta-batch: " << batch::U8(err) << "\n";
      return 1;
    }
  } else {
    BuildSynthetic(u, s);
  }
  TJob job("UNNO " + (file.empty() ? std::string("synthetic") : file));
  return batch::RunAsJob(job, [&](TJob&) {
    b.CloneBlurKM(u, u.IQ, vma);
    Measure(u, "profile");
    Measure(b, "blurred " + Num(vma) + " km/s");
    std::cout << std::flush;
  });
}

const TBatchCommand kUnno(
    "unno",
    "unno [--half] [--from L] [--to L] [--step L] [--lam0 L] [--depth D] [--width A] "
    "[--vamp A] [--vwidth A] [--vlam L] [--cont C] [--vma KM] [--warn] [FILE]",
    Profile);

}  // namespace
