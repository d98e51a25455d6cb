#include "synthesis/pictures/cvZeeTest.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <cstring>
#include <numeric>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLDServices.h"
#include "platform/Canvas.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"

namespace {

const char kOrbitals[] = "SPDFGHIKLM";
const char kDash[] = "---------------------------------------";
const char kEq[] = "=======================================";

int64_t Gcd(int64_t a, int64_t b) {
  a = a < 0 ? -a : a;
  b = b < 0 ? -b : b;
  while (b != 0) {
    const int64_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

bool Whole(double x) { return std::fabs(x - std::nearbyint(x)) < 1e-9; }

bool IntAt(const std::string& S, size_t From, size_t Len, int32_t& V) {
  if (S.size() < From) return false;
  const std::string t = TrimCtl(S.substr(From - 1, Len));
  int32_t code = 0;
  V = t.empty() ? 0 : ValIntCode(t, code);
  return !t.empty() && code == 0;
}

std::string Pad(const std::string& S, size_t N) { return S.size() >= N ? S : S + std::string(N - S.size(), ' '); }

std::string CutRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && (S[n - 1] == ' ' || S[n - 1] == '\t' || S[n - 1] == '\r' || S[n - 1] == '\n')) --n;
  return S.substr(0, n);
}

bool IsLineId(const std::string& S) {
  if (S.size() < 3) return false;
  for (int i = 0; i < 2; ++i) {
    const char c = static_cast<char>(UpCaseCyr(S[static_cast<size_t>(i)]));
    if (c < 'A' || c > 'Z') return false;
  }
  std::string d = S.substr(2, 7);
  const size_t b = d.find(' ');
  if (b != std::string::npos) d = d.substr(0, b);
  if (d.empty()) return false;
  for (char c : d)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IntWord(const std::string& W, int32_t& V) {
  int32_t code = 0;
  V = W.empty() ? 0 : ValIntCode(W, code);
  return !W.empty() && code == 0;
}

std::string Frac(int64_t N, int64_t D) { return I64Str(N) + "/" + I64Str(D); }

}  // namespace

bool ParseLevel(const std::string& D, double& J, double& L, double& S) {
  if (D.size() < 8) return false;
  int32_t mult = 0, j = 0;
  if (!IntAt(D, 3, 2, mult)) return false;
  const char o = static_cast<char>(UpCaseCyr(D[4]));
  const char* p = std::strchr(kOrbitals, o);
  if (o == 0 || !p) return false;
  if (!IntAt(D, 7, 2, j)) return false;
  S = (mult - 1) / 2.0;
  L = static_cast<double>(p - kOrbitals);
  J = D.size() >= 10 && D.substr(8, 2) == "/2" ? j / 2.0 : j;
  return true;
}

bool LandeG(double S, double L, double J, double& G) {
  G = 0;
  if (!CheckSLJ(S, L, J)) return false;
  if (J == 0) return true;
  G = 1 + (J * (J + 1) - L * (L + 1) + S * (S + 1)) / (2 * J * (J + 1));
  return true;
}

bool SetIRUNGE(TIRunge& R, int64_t GLn, int64_t GLd, int64_t GUn, int64_t GUd, double JU,
               double JL) {
  if (GLd == 0 || GUd == 0) return false;
  if (GLd < 0) GLn = -GLn, GLd = -GLd;
  if (GUd < 0) GUn = -GUn, GUd = -GUd;
  auto outside = [](int64_t n, int64_t d) { return n < -2 * d || n > 5 * d; };
  if (outside(GLn, GLd) || outside(GUn, GUd)) {
    WARNAbs("SetIRUNGE-W-ФАКТОРЫ ЛАНДЕ УРОВНЕЙ GL,GU:"_cp + Frac(GUn, GUd) + " " + Frac(GLn, GLd));
    return false;
  }
  if (!Whole(2 * JL) || !Whole(2 * JU) || JL < 0 || JU < 0 || !Whole(JU - JL)) {
    WARNAbs("SEZZ-F-ПЛОХОЕ СОЧЕТАНИЕ JL И JU:"_cp + RoundStr(JU) + " " + RoundStr(JL));
    return false;
  }
  const int64_t dJ = std::llround(JU - JL);
  if (dJ < -1 || dJ > 1) return false;
  // a common denominator of the g factors; M scaled by m, strengths by 4 m^2
  const int64_t c = GLd / Gcd(GLd, GUd) * GUd;
  const int64_t nL = GLn * (c / GLd), nU = GUn * (c / GUd);
  const int64_t m = Whole(JL) ? 1 : 2;
  const int64_t jl = std::llround(m * JL), ju = std::llround(m * JU);
  TIRunge p;
  p.ShiftDen = c * m;
  const int64_t j0 = std::min(jl, ju);
  for (int64_t M = j0 % m; M <= j0; M += m) {
    int64_t s = dJ == -1 ? 4 * (jl * jl - M * M) : dJ == 0 ? 4 * M * M : 4 * (ju * ju - M * M);
    if (nL == nU && M != 0) s *= 2;
    if (s == 0) continue;
    if (p.NCOMP >= TZEEMAN::MAXCOMP) return false;
    ++p.NCOMP;
    p.Shift[p.NCOMP] = (nL > nU ? nL - nU : nU - nL) * M;
    p.Strength[p.NCOMP] = s;
  }
  p.NPI = p.NCOMP;
  for (int64_t ML = jl; ML - m >= -ju; ML -= m) {
    const int64_t MU = ML - m;
    if (p.NCOMP >= TZEEMAN::MAXCOMP) return false;
    ++p.NCOMP;
    p.Shift[p.NCOMP] = nL * ML - nU * MU;
    p.Strength[p.NCOMP] = dJ == -1  ? (jl + ML) * (jl + ML - m)
                          : dJ == 0 ? (jl + ML) * (jl - ML + m)
                                    : (jl - ML + m) * (jl - ML + 2 * m);
  }
  auto remove = [&p](int32_t i) {
    for (int32_t k = i; k < p.NCOMP; ++k) {
      p.Shift[k] = p.Shift[k + 1];
      p.Strength[k] = p.Strength[k + 1];
    }
    p.Shift[p.NCOMP] = p.Strength[p.NCOMP] = 0;
    --p.NCOMP;
  };
  for (int32_t i = 1; i < p.NPI;) {
    if (p.Shift[i] == p.Shift[i + 1]) {
      p.Strength[i] += p.Strength[i + 1];
      remove(i + 1);
      --p.NPI;
    } else {
      ++i;
    }
  }
  for (int32_t i = p.NPI + 1; i < p.NCOMP;) {
    if (p.Shift[i] == p.Shift[i + 1]) {
      p.Strength[i] += p.Strength[i + 1];
      remove(i + 1);
    } else {
      ++i;
    }
  }
  int64_t P1 = 0, P2 = 0;
  for (int32_t k = 1; k <= p.NPI; ++k) P1 += p.Shift[k] == 0 ? p.Strength[k] / 2 : p.Strength[k];
  for (int32_t k = p.NPI + 1; k <= p.NCOMP; ++k) P2 += p.Strength[k];
  if (P2 == 0) return false;
  if (P1 != P2)
    WARNAbs("Set___I___RUNGE-W- НОРМИРОВКА НЕ СХОДИТСЯ НА "_cp +
            FSt(6, 3, (static_cast<double>(P1) / P2 - 1) * 100) + " ПРОЦЕНТОВ"_cp);
  p.StrDen = 2 * (P1 + P2);
  int64_t g = p.ShiftDen;
  for (int32_t k = 1; k <= p.NCOMP; ++k) g = Gcd(g, p.Shift[k]);
  if (g > 1) {
    p.ShiftDen /= g;
    for (int32_t k = 1; k <= p.NCOMP; ++k) p.Shift[k] /= g;
  }
  g = p.StrDen;
  for (int32_t k = 1; k <= p.NCOMP; ++k) g = Gcd(g, p.Strength[k]);
  if (g > 1) {
    p.StrDen /= g;
    for (int32_t k = 1; k <= p.NCOMP; ++k) p.Strength[k] /= g;
  }
  R = p;
  return true;
}

std::unique_ptr<TStringList> IRungeReport(const TIRunge& R) {
  auto L = std::make_unique<TStringList>();
  L->Add(kDash);
  L->Add("NCOMP=" + I64PadSt(3, R.NCOMP) + " NPI=" + I64PadSt(2, R.NPI));
  auto two = [&](const int64_t* A, int64_t Den) {
    std::string pi = "(";
    for (int32_t k = 1; k <= R.NPI; ++k) pi += I64Str(A[k]) + ",";
    L->Add(pi + "  )");
    std::string s = " ";
    for (int32_t k = R.NPI + 1; k <= R.NCOMP; ++k) s += I64Str(A[k]) + ",";
    L->Add(s + " /" + I64Str(Den));
  };
  L->Add(" ДРОБЬ РУНГЕ : "_cp);
  two(R.Shift, R.ShiftDen);
  L->Add(" ОТНОСИТЕЛЬНЫЕ ИНТЕНСИВНОСТИ :"_cp);
  two(R.Strength, R.StrDen);
  return L;
}

double IRungeGEff(const TIRunge& R) {
  double s = 0;
  for (int32_t k = R.NPI + 1; k <= R.NCOMP; ++k)
    s += static_cast<double>(R.Shift[k]) / R.ShiftDen * (static_cast<double>(R.Strength[k]) / R.StrDen);
  return 4 * s;
}

void SortSigma(TZEEMAN& Z) {
  if (Z.NCOMP <= Z.NPI + 1 || Z.Strength[Z.NPI + 1] >= Z.Strength[Z.NCOMP]) return;
  std::reverse(Z.Shift + Z.NPI + 1, Z.Shift + Z.NCOMP + 1);
  std::reverse(Z.Strength + Z.NPI + 1, Z.Strength + Z.NCOMP + 1);
}

void SortSigma(TIRunge& R) {
  if (R.NCOMP <= R.NPI + 1 || R.Strength[R.NPI + 1] >= R.Strength[R.NCOMP]) return;
  std::reverse(R.Shift + R.NPI + 1, R.Shift + R.NCOMP + 1);
  std::reverse(R.Strength + R.NPI + 1, R.Strength + R.NCOMP + 1);
}

int32_t ZeeLayoutField(std::string& Text) {
  int32_t code = 0;
  const std::string t = TrimCtl(Text);
  const int32_t v = t.empty() ? 0 : ValIntCode(t, code);
  if (t.empty() || code != 0 || v < 1) {
    Text = "4";
    return 4;
  }
  return v;
}

void ZeeTestLine(const std::string& Id, const TLIDA& Line, TZeeTestResult& Out) {
  TStringList& R = *Out.Report;
  TZeePanel P;
  const double jl = Line.JL2 / 2.0, ju = Line.JU2 / 2.0;
  try {
    ZeeSetRunge(Id, P.Z, jl, ju, Line.GL, Line.GU);
  } catch (const std::exception&) {
    R.Add("1SetRUNGE-F- Не удается посчитать дробь рунге для "_cp + Id.substr(0, 13));
    R.Add("");
    return;
  }
  R.Add(" JL=" + FSt(4, 1, jl) + " GL=" + FSt(6, 3, Line.GL) + " (" + std::string(1, Line.GLT) +
        ")" + " JU=" + FSt(4, 1, ju) + " GU=" + FSt(6, 3, Line.GU) + " (" +
        std::string(1, Line.GUT) + ")");
  R.Add(kDash);
  SortSigma(P.Z);
  P.Title = Id;
  const auto rep = P.Z.Report();
  for (int32_t i = 0; i < rep->Count(); ++i) R.Add((*rep)[i]);
  R.Add(kEq);
  R.Add("");
  Out.Panels.push_back(std::move(P));
}

// ---------------------------------------------------------------- the run

bool ZeeTestRun(TJob& Job, const std::string& CtrlFile, const std::string& ReportFile,
                double SetDLam, TZeeTestResult& Out) {
  Out.Panels.clear();
  Out.Report = std::make_unique<TStringList>();
  if (!platform::IsRegularFile(CtrlFile)) {
    WARN("Файл ["_cp + CtrlFile + "] не найден!"_cp);
    return false;
  }
  TStringList F;
  F.LoadFromFile(CtrlFile);
  // the data end at the first short line that is no line Id
  int32_t n = 0;
  for (; n < F.Count(); ++n) {
    const std::string l = CutRight(F[n]);
    if (l.size() < 20 && (l.size() <= 5 || !IsLineId(l))) break;
  }
  auto kind = [&](const std::string& l, int32_t& w2) -> char {
    if (l.size() < 20) return 'I';
    int32_t w1 = 0;
    if (IntWord(WordN(l, 1), w1) && IntWord(WordN(l, 2), w2)) return w2 < 0 ? 'H' : 'Z';
    return 'L';
  };
  // first pass: the hyperfine range
  double lo = 0, hi = 0, imax = 0;
  for (int32_t i = 0; i < n; ++i) {
    const std::string l = CutRight(F[i]);
    int32_t w2 = 0;
    if (kind(l, w2) != 'H') continue;
    THFS0 h;
    if (!h.Init(l)) continue;
    double a = 0, b = 0;
    h.ShiftRange(a, b);
    lo = std::min(lo, a);
    hi = std::max(hi, b);
    imax = std::max(imax, h.MaxInt());
  }
  if (std::fabs(hi) > std::fabs(lo)) lo = (lo < 0 ? -1 : 1) * std::fabs(hi);
  else if (std::fabs(lo) > std::fabs(hi)) hi = (hi < 0 ? -1 : 1) * std::fabs(lo);
  if (lo == 0 && hi != 0) lo = -std::fabs(hi);
  if (hi == 0 && lo != 0) hi = std::fabs(lo);
  if (SetDLam != 0) {
    lo = -std::fabs(SetDLam);
    hi = std::fabs(SetDLam);
  }
  Out.HfsMin = lo;
  Out.HfsMax = hi;
  Out.HfsIntMax = imax;
  TStringList& R = *Out.Report;
  auto addAll = [&R](const TStringList& L) {
    for (int32_t i = 0; i < L.Count(); ++i) R.Add(L[i]);
  };
  for (int32_t i = 0; i < n; ++i) {
    if (!Job.Step(i, n, "ZeeTest " + IntStr(i + 1) + "/" + IntStr(n))) return false;
    const std::string l = CutRight(F[i]);
    int32_t w2 = 0;
    const char k = kind(l, w2);
    R.Add(l);
    if (k == 'I') {
      std::string id = TrimCtl(l);
      TLIDA line;
      bool found = false;
      try {
        found = line.DBGetLIDA(id, LineData().LGGFSrcList());
      } catch (const std::exception&) {
        found = false;
      }
      if (!found) {
        R.Add("Не удалось найти в базе данных линию "_cp + id);
        continue;
      }
      ZeeTestLine(id, line, Out);
    } else if (k == 'L') {
      const std::string low = l.substr(0, 10), up = l.size() > 12 ? Pad(l, 22).substr(12, 10) : "";
      std::string name = "?";
      const size_t bang = l.find('!');
      if (bang != std::string::npos) name = TrimCtl(l.substr(bang + 1));
      double JL = 0, LL = 0, SL = 0, JU = 0, LU = 0, SU = 0;
      if (!ParseLevel(low, JL, LL, SL) || !ParseLevel(up, JU, LU, SU)) {
        R.Add("Не удается определить квантовые числа J,L,S из"_cp);
        R.Add("подстрок уровней Low="_cp + low + " и Up="_cp + up);
        R.Add("");
        continue;
      }
      R.Add(kDash);
      double gL = 0, gU = 0;
      int32_t nL = 0, dL = 1, nU = 0, dU = 1;
      std::string s = "JL=" + FSt(4, 1, JL) + " LL=" + FSt(4, 1, LL) + " SL=" + FSt(4, 1, SL);
      if (LandeG(SL, LL, JL, gL) && LandeGFrac(SL, LL, JL, nL, dL)) s += " GL= " + Frac(nL, dL);
      else {
        s += " GL НЕЛЬЗЯ ПОСЧИТАТЬ!"_cp;
        gL = 10;
      }
      R.Add(s);
      s = "JU=" + FSt(4, 1, JU) + " LU=" + FSt(4, 1, LU) + " SU=" + FSt(4, 1, SU);
      if (LandeG(SU, LU, JU, gU) && LandeGFrac(SU, LU, JU, nU, dU)) s += " GU= " + Frac(nU, dU);
      else {
        s += " GU НЕЛЬЗЯ ПОСЧИТАТЬ!"_cp;
        gU = 10;
      }
      R.Add(s);
      TZeePanel P;
      P.Z.Name = name.substr(0, 13);
      bool ok = false;
      try {
        ok = P.Z.SetRUNGE(JL, gL, JU, gU);
      } catch (const std::exception&) {
        ok = false;
      }
      if (ok) {
        P.Title = name;
        TIRunge ir;
        if (SetIRUNGE(ir, nL, dL, nU, dU, JU, JL)) {
          SortSigma(ir);
          addAll(*IRungeReport(ir));
          R.Add("   G_eff =" + FSt(9, 5, IRungeGEff(ir)));
          R.Add(kEq);
        }
        Out.Panels.push_back(std::move(P));
      } else {
        R.Add("НЕЛЬЗЯ ПОСЧИТАТЬ ДРОБЬ РУНГЕ!"_cp);
      }
      R.Add("");
    } else if (k == 'H') {
      TZeePanel P;
      P.HFS = true;
      if (!P.H.Init(l)) continue;
      Out.Panels.push_back(std::move(P));
    } else {
      TZeePanel P;
      P.Z.SetByHand(l);
      if (P.Z.Name == "ERROR") continue;
      R.Add(kDash);
      SortSigma(P.Z);
      addAll(*P.Z.Report());
      R.Add(kEq);
      Out.Panels.push_back(std::move(P));
    }
  }
  Job.Step(n, n, "ZeeTest");
  if (!ReportFile.empty()) R.SaveToFile(ReportFile);
  return true;
}

// ---------------------------------------------------------------- drawing

namespace {

void PanelView(TGRAF& G, int32_t Panel, int32_t InRow, int32_t Rows) {
  InRow = std::max(InRow, 1);
  Rows = std::max(Rows, 1);
  const int32_t p = Panel % (InRow * Rows), col = p % InRow, row = p / InRow;
  G.VIPO10(static_cast<double>(col) / InRow, static_cast<double>(col + 1) / InRow,
           1 - static_cast<double>(row + 1) / Rows, 1 - static_cast<double>(row) / Rows);
}

void Stroke(TGRAF& G, uint32_t Color, double x, double y1, double y2, int32_t Width) {
  if (!G.Canvas) return;
  ThickSegment(*G.Canvas, Color, G.WXToPixR(x), G.WYToPixR(y1), G.WXToPixR(x), G.WYToPixR(y2),
               std::max(0.5, Width / 2.0));
}

void DashedV(TGRAF& G, double x, double y1, double y2) {
  const int32_t px = G.WXToPix(x);
  int32_t a = G.WYToPix(y1), b = G.WYToPix(y2);
  if (a > b) std::swap(a, b);
  for (int32_t y = a; y <= b; ++y)
    if ((y - a) % 8 < 4) G.PutPix(px, y);
}

}  // namespace

void ZeeDrawPattern(TGRAF& G, const TZEEMAN& Z, int32_t Panel, int32_t InRow, int32_t Width,
                    int32_t Rows) {
  PanelView(G, Panel, InRow, Rows);
  G.WINDOW(-4, 4, -0.5, 0.5);
  const uint32_t c = G.CurColor;
  G.HLineW(-4, 4, 0);
  DashedV(G, -1, -0.5, 0.5);
  DashedV(G, 1, -0.5, 0.5);
  for (int32_t k = 1; k <= Z.NCOMP; ++k) {
    const bool pi = k <= Z.NPI;
    double s = Z.Strength[k];
    if (pi && Z.Shift[k] == 0) s *= 2;
    const double y = pi ? s : -s;
    Stroke(G, 0xFF0000, -Z.Shift[k], 0, y, Width);
    Stroke(G, 0x0000FF, Z.Shift[k], 0, y, Width);
  }
  G.SetGColor(c);
}

void ZeeDrawHFS(TGRAF& G, const THFS0& H, int32_t Panel, int32_t InRow, int32_t Width,
                int32_t Rows, double Min, double Max, double IntMax) {
  PanelView(G, Panel, InRow, Rows);
  double span = Max - Min;
  if (span <= 0) span = 1;
  if (IntMax <= 0) IntMax = 1;
  const double x1 = Min - 0.2 * span, x2 = Max + 0.2 * span;
  G.WINDOW(x1, x2, -0.5 * IntMax, 1.5 * IntMax);
  G.HLineW(x1 + 0.05 * (x2 - x1), x1 + 0.95 * (x2 - x1), 0);
  for (int32_t j = 1; j <= H.N; ++j)
    Stroke(G, G.CurColor, H.Shift[static_cast<size_t>(j)], 0, H.IntLin[static_cast<size_t>(j)],
           Width);
}

void ZeeTestDraw(TGRAF& G, platform::TCanvas& Canvas, const TZeeTestResult& R, int32_t InRow,
                 int32_t Rows, int32_t Width) {
  G.INIGCanvas(&Canvas, 0);
  G.SetBkColor(0xFFFFFF);
  G.ClearG();
  G.SetGColor(0);
  for (size_t p = 0; p < R.Panels.size(); ++p) {
    const TZeePanel& P = R.Panels[p];
    const int32_t n = static_cast<int32_t>(p);
    if (P.HFS)
      ZeeDrawHFS(G, P.H, n, InRow, Width, Rows, R.HfsMin, R.HfsMax, R.HfsIntMax);
    else
      ZeeDrawPattern(G, P.Z, n, InRow, Width, Rows);
    if (!P.Title.empty()) G.TextInView(P.Title, 'M', 'U', 2);
  }
  G.ENDG();
}
