#include "synthesis/transfer/cvVoigtSpline.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cmath>
#include <mutex>
#include <thread>

#include "foundation/cvFile.h"
#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "platform/FileErr.h"
#include "synthesis/transfer/cvVoigt.h"

// ---- the grid

TVoigtSplineGrid TVoigtSplineGrid::Make(double AMin, double AMax, int32_t Na, double Dv,
                                        int32_t Nv1, double VSwitch, double VMax, int32_t Nv2) {
  TVoigtSplineGrid g;
  g.Na = Na;
  g.Nv1 = Nv1;
  g.Nv2 = Nv2;
  g.AMin = AMin;
  g.AMax = AMax;
  g.LnA6 = std::log(AMin);
  g.DA = (std::log(AMax) - std::log(AMin)) / (Na - 11);
  g.Dv = Dv;
  g.VSwitch = VSwitch;
  g.VMax = VMax;
  g.DL = (std::log(VMax) - std::log(VSwitch)) / (Nv2 - 11);
  return g;
}

TVoigtSplineGrid TVoigtSplineGrid::Standard() {
  return Make(0.001, 100, 2000, 0.003, 1350, 4, 2000, 1350);
}

TVoigtSplineGrid TVoigtSplineGrid::Rows(int32_t First, int32_t NaRows) const {
  TVoigtSplineGrid g = *this;
  g.Na = NaRows;
  g.LnA6 = LnA(First + 5);
  g.AMin = std::exp(g.LnA6);
  g.AMax = std::exp(LnA(First + NaRows - 6));
  return g;
}

double TVoigtSplineGrid::LnA(int32_t i) const { return LnA6 + (i - 6) * DA; }
double TVoigtSplineGrid::V(int32_t j) const { return (j - 6) * Dv; }
double TVoigtSplineGrid::LnW(int32_t k) const { return std::log(VSwitch) + (k - 6) * DL; }

std::string TVoigtSplineGrid::FileName(const std::string& Dir, const std::string& Code) const {
  const int32_t nv = Code.size() > 1 && Code[1] == '2' ? Nv2 : Nv1;
  std::string d = Dir;
  if (!d.empty() && d.back() != '/' && d.back() != '\\') d += '/';
  return d + "V" + IntStr(nv) + "a" + IntStr(Na) + "_" + Code + ".dat";
}

int64_t TVoigtSplineGrid::FileBytes(const std::string& Code) const {
  const int32_t nv = Code.size() > 1 && Code[1] == '2' ? Nv2 : Nv1;
  return static_cast<int64_t>(Na + 1) * (nv + 1) * 8;
}

void TVoigtSplineValues::Alloc(const TVoigtSplineGrid& Grid) {
  G = Grid;
  const size_t n1 = static_cast<size_t>(G.Na + 1) * (G.Nv1 + 1);
  const size_t n2 = static_cast<size_t>(G.Na + 1) * (G.Nv2 + 1);
  H1.assign(n1, 0.0);
  F1.assign(n1, 0.0);
  H2.assign(n2, 0.0);
  F2.assign(n2, 0.0);
}

// ---- the quadrature values

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The integral of the Voigt integrand (H: exp(-t^2)/((v-t)^2 + a^2), F: the same times (v - t))
// over [-T, T] in parts: beyond |t| = 10 the Gaussian (below 1e-43) adds nothing a double holds,
// and inside, the peak at t = v (width a) is cut out with its shoulders to 30 a, each part an
// adaptive quadrature of its own with the relative tolerance Tol.
double PartsQuad(bool IsH, double T, double Tol, double v, double a) {
  const long double lv = v, a2 = static_cast<long double>(a) * a;
  auto fh = [lv, a2](long double t) {
    const long double d = lv - t;
    return std::exp(-t * t) / (d * d + a2);
  };
  auto ff = [lv, a2](long double t) {
    const long double d = lv - t;
    return d * std::exp(-t * t) / (d * d + a2);
  };
  const long double L = std::min<long double>(10, T);
  long double cuts[6];
  int n = 0;
  cuts[n++] = -L;
  if (std::fabs(v) < L) {
    const long double w = 30.0L * a;
    if (lv - w > -L) cuts[n++] = lv - w;
    cuts[n++] = lv;
    if (lv + w < L) cuts[n++] = lv + w;
  }
  cuts[n++] = L;
  long double sum = 0;
  for (int k = 0; k + 1 < n; ++k) {
    long double res = 0, err = 0, flag = 0;
    int32_t nf = 0;
    if (IsH)
      QUANC8(TRealFunc80(fh), cuts[k], cuts[k + 1], 0.0L, Tol, res, err, nf, flag);
    else
      QUANC8(TRealFunc80(ff), cuts[k], cuts[k + 1], 0.0L, Tol, res, err, nf, flag);
    sum += res;
  }
  return static_cast<double>(IsH ? sum * a / kPi : sum / (2 * kPi));
}

std::atomic<int64_t> gSplitNodes{0};

}  // namespace

void VoigtSplineNode(double T, double Tol, double a, double v, double& H, double& F) {
  H = PartsQuad(true, T, Tol, v, a);
  F = std::fabs(v) < 1e-7 ? 0.0 : PartsQuad(false, T, Tol, v, a);
  gSplitNodes.fetch_add(1, std::memory_order_relaxed);
}

int64_t VoigtSplineSplitNodes() { return gSplitNodes.load(); }

namespace {

void ComputeRow(const TVoigtSplineGrid& G, int32_t i, TVoigtSplineValues& Out) {
  const double a = std::exp(G.LnA(i));
  const size_t r1 = static_cast<size_t>(i) * (G.Nv1 + 1), r2 = static_cast<size_t>(i) * (G.Nv2 + 1);
  for (int32_t j = 1; j <= G.Nv1; ++j)
    VoigtSplineNode(G.T, G.Tol, a, G.V(j), Out.H1[r1 + j], Out.F1[r1 + j]);
  for (int32_t k = 1; k <= G.Nv2; ++k)
    VoigtSplineNode(G.T, G.Tol, a, std::exp(G.LnW(k)), Out.H2[r2 + k], Out.F2[r2 + k]);
}

}  // namespace

bool VoigtSplineComputeRows(const TVoigtSplineGrid& G, int32_t First, int32_t Last,
                            TVoigtSplineValues& Out, int32_t Threads, TJob* Job) {
  if (Out.H1.size() != static_cast<size_t>(G.Na + 1) * (G.Nv1 + 1)) Out.Alloc(G);
  First = std::max(First, 1);
  Last = std::min(Last, G.Na);
  const int32_t rows = Last - First + 1;
  if (rows <= 0) return true;
  int32_t threads = Threads > 0 ? Threads : static_cast<int32_t>(std::thread::hardware_concurrency());
  threads = std::clamp(threads, 1, rows);
  std::atomic<int32_t> next{First}, done{0};
  std::atomic<bool> stop{false};
  const std::string text = "VoigtSpline: строки таблиц"_cp;
  // each row writes only its own slots: any thread count gives the same tables
  std::mutex lock;
  std::condition_variable rowDone;
  auto work = [&](bool Reports) {
    for (;;) {
      if (stop.load()) return;
      if (Job && !Reports && !Job->Checkpoint()) {
        stop = true;
        break;
      }
      const int32_t i = next.fetch_add(1);
      if (i > Last) break;
      ComputeRow(G, i, Out);
      const int32_t d = done.fetch_add(1) + 1;
      if (Reports && Job && !Job->Step(d, rows, text)) stop = true;
      std::lock_guard<std::mutex> l(lock);
      rowDone.notify_all();
    }
    std::lock_guard<std::mutex> l(lock);
    rowDone.notify_all();
  };
  if (threads == 1) {
    work(true);
  } else {
    // the calling thread reports progress (and passes on a cancel) while the others compute
    std::vector<std::thread> pool;
    for (int32_t t = 0; t < threads; ++t) pool.emplace_back(work, false);
    int32_t told = 0;
    std::unique_lock<std::mutex> l(lock);
    while (done.load() < rows && !stop.load()) {
      rowDone.wait_for(l, std::chrono::milliseconds(200));
      const int32_t d = done.load();
      if (Job && d != told) {
        l.unlock();
        if (!Job->Step(d, rows, text)) stop = true;
        l.lock();
        told = d;
      }
      if (Job && Job->Cancelled()) stop = true;
    }
    l.unlock();
    for (std::thread& t : pool) t.join();
    if (Job && !stop.load() && told != rows) Job->Step(rows, rows, text);
  }
  if (Job && Job->Cancelled()) return false;
  return done.load() == rows;
}

// ---- the tables

namespace {

// Row splines of one table (values V, rows of Nv + 1, over the abscissae X[1..Nv]) into the
// interleaved array: per row and node y, B, C, D; Off 0 for H, 4 for F.
void RowSplines(const std::vector<double>& V, int32_t Na, int32_t Nv, const TARe& X,
                std::vector<double>& Out, int Off) {
  TARe y(static_cast<size_t>(Nv) + 1), b, c, d;
  for (int32_t i = 1; i <= Na; ++i) {
    const size_t r = static_cast<size_t>(i) * (Nv + 1);
    for (int32_t j = 1; j <= Nv; ++j) y[j] = V[r + j];
    SplineCoefFMM(X, y, b, c, d);
    for (int32_t j = 1; j <= Nv; ++j) {
      double* p = &Out[(r + j) * 8 + Off];
      p[0] = y[j];
      p[1] = b[j];
      p[2] = c[j];
      p[3] = d[j];
    }
  }
}

inline double Piece(const double* p, double t) { return p[0] + t * (p[1] + t * (p[2] + t * p[3])); }

}  // namespace

TVoigtSplineTables::TVoigtSplineTables(const TVoigtSplineValues& Values) : g_(Values.G) {
  const TVoigtSplineGrid& G = g_;
  lnA1_ = G.LnA(1);
  lnW1_ = G.LnW(1);
  v1_ = G.V(1);
  lin_.assign(static_cast<size_t>(G.Na + 1) * (G.Nv1 + 1) * 8, 0.0);
  log_.assign(static_cast<size_t>(G.Na + 1) * (G.Nv2 + 1) * 8, 0.0);
  TARe x1(static_cast<size_t>(G.Nv1) + 1, 0.0), x2(static_cast<size_t>(G.Nv2) + 1, 0.0);
  for (int32_t j = 1; j <= G.Nv1; ++j) x1[j] = G.V(j);
  for (int32_t k = 1; k <= G.Nv2; ++k) x2[k] = G.LnW(k);
  RowSplines(Values.H1, G.Na, G.Nv1, x1, lin_, 0);
  RowSplines(Values.F1, G.Na, G.Nv1, x1, lin_, 4);
  RowSplines(Values.H2, G.Na, G.Nv2, x2, log_, 0);
  RowSplines(Values.F2, G.Na, G.Nv2, x2, log_, 4);
}

bool TVoigtSplineTables::Eval(double a, double v, double& H, double& F) const {
  const TVoigtSplineGrid& G = g_;
  // the range ends as given (their logarithms' rounding aside)
  if (!(a >= G.AMin * (1 - 1e-12) && a <= G.AMax * (1 + 1e-12))) return false;
  const double s = v < 0 ? -1.0 : 1.0;
  v = std::fabs(v);
  if (!(v <= G.VMax)) return false;
  const double la = std::log(a);
  int32_t ia = static_cast<int32_t>((la - lnA1_) / G.DA) + 1;
  ia = std::clamp(ia, 2, G.Na - 2);
  // the row pieces at v: linear table up to VSwitch, logarithmic beyond
  const double* p;
  size_t rowStride;
  double t;
  if (v <= G.VSwitch) {
    int32_t j = static_cast<int32_t>((v - v1_) / G.Dv) + 1;
    j = std::clamp(j, 1, G.Nv1 - 1);
    t = v - G.V(j);
    rowStride = static_cast<size_t>(G.Nv1 + 1) * 8;
    p = lin_.data() + (static_cast<size_t>(ia - 1) * (G.Nv1 + 1) + j) * 8;
  } else {
    const double lv = std::log(v);
    int32_t k = static_cast<int32_t>((lv - lnW1_) / G.DL) + 1;
    k = std::clamp(k, 1, G.Nv2 - 1);
    t = lv - G.LnW(k);
    rowStride = static_cast<size_t>(G.Nv2 + 1) * 8;
    p = log_.data() + (static_cast<size_t>(ia - 1) * (G.Nv2 + 1) + k) * 8;
  }
  double h[4], f[4];
  for (int r = 0; r < 4; ++r, p += rowStride) {
    h[r] = Piece(p, t);
    f[r] = Piece(p + 4, t);
  }
  // the cubic through the four rows at ln a (equally spaced nodes: Lagrange's form of the
  // four-point spline, which is that one cubic)
  const double u = (la - G.LnA(ia)) / G.DA;
  const double um = u + 1, u1 = u - 1, u2 = u - 2;
  const double w0 = -u * u1 * u2 / 6, w1 = um * u1 * u2 / 2, w2 = -um * u * u2 / 2,
               w3 = um * u * u1 / 6;
  H = w0 * h[0] + w1 * h[1] + w2 * h[2] + w3 * h[3];
  F = v < 1e-8 ? 0.0 : s * (w0 * f[0] + w1 * f[1] + w2 * f[2] + w3 * f[3]);
  return true;
}

// ---- the program's tables

namespace {

std::mutex gTablesLock;
std::shared_ptr<const TVoigtSplineTables> gTables;
std::atomic<const TVoigtSplineTables*> gCurrent{nullptr};
std::vector<std::shared_ptr<const TVoigtSplineTables>> gRetired;  // replaced ones stay alive

std::mutex gPrepareLock;
bool gDeclined = false;

}  // namespace

std::shared_ptr<const TVoigtSplineTables> VoigtSplineLoaded() {
  std::lock_guard<std::mutex> l(gTablesLock);
  return gTables;
}

void SetVoigtSplineTables(std::shared_ptr<const TVoigtSplineTables> Tables) {
  std::lock_guard<std::mutex> l(gTablesLock);
  if (gTables) gRetired.push_back(gTables);
  gTables = std::move(Tables);
  gCurrent.store(gTables.get());
}

void VoigtSplineEval(double a, double v, double& H, double& F) {
  if (a < 0.001) {
    VoigtTaylor(a, v, H, F);
    return;
  }
  const TVoigtSplineTables* t = gCurrent.load(std::memory_order_acquire);
  if (t && t->Eval(a, v, H, F)) return;
  VoigtHumlicek(a, v, H, F);
}

// ---- files

namespace {

const char* const kCodes[4] = {"H1", "H2", "F1", "F2"};

std::vector<double>& TableOf(TVoigtSplineValues& V, int c) {
  return c == 0 ? V.H1 : c == 1 ? V.H2 : c == 2 ? V.F1 : V.F2;
}
int32_t ColsOf(const TVoigtSplineGrid& G, int c) { return (c == 1 || c == 3 ? G.Nv2 : G.Nv1) + 1; }

std::string TempName(const std::string& File) {
  return File + ".tmp~" + IntStr(static_cast<int32_t>(::getpid()));
}

}  // namespace

bool VoigtSplineFilesPresent(const std::string& Dir, const TVoigtSplineGrid& G) {
  for (const char* c : kCodes)
    if (!platform::IsRegularFile(G.FileName(Dir, c))) return false;
  return true;
}

bool WriteVoigtSplineFiles(const std::string& Dir, const TVoigtSplineValues& V) {
  const TVoigtSplineGrid& G = V.G;
  if (!ForceFileDir(G.FileName(Dir, "H1"))) {
    WARNAbs("VoigtSpline: не удается создать папку таблиц <"_cp + Dir + ">");
    return false;
  }
  std::vector<std::string> written;
  auto dropWritten = [&] {
    for (const std::string& f : written) DelFileSS(f);
  };
  for (int c = 0; c < 4; ++c) {
    const int32_t m = ColsOf(G, c);
    const std::vector<double>& flat = TableOf(const_cast<TVoigtSplineValues&>(V), c);
    TARe2 t(static_cast<size_t>(G.Na) + 1);
    for (int32_t i = 0; i <= G.Na; ++i)
      t[i].assign(flat.begin() + static_cast<ptrdiff_t>(i) * m,
                  flat.begin() + static_cast<ptrdiff_t>(i + 1) * m);
    const std::string tmp = TempName(G.FileName(Dir, kCodes[c]));
    bool ok = false;
    try {
      ok = WrTARe2(t, G.Na + 1, m, tmp);
    } catch (const std::exception& e) {
      WARNAbs("WrTARe2.ERR: файл <"_cp + tmp + "> не записан: "_cp + e.what());
      ok = false;
    }
    written.push_back(tmp);
    if (!ok || FileSizeSS(tmp) != G.FileBytes(kCodes[c])) {
      dropWritten();
      WARNAbs("VoigtSpline: таблица <"_cp + G.FileName(Dir, kCodes[c]) +
              "> не записана, файлы таблиц оставлены как были"_cp);
      return false;
    }
  }
  for (int c = 0; c < 4; ++c) RenameOver(written[c], G.FileName(Dir, kCodes[c]));
  return true;
}

bool ReadVoigtSplineFiles(const std::string& Dir, const TVoigtSplineGrid& G,
                          TVoigtSplineValues& V) {
  V.Alloc(G);
  for (int c = 0; c < 4; ++c) {
    const std::string f = G.FileName(Dir, kCodes[c]);
    const int32_t m = ColsOf(G, c);
    if (!platform::IsRegularFile(f)) {
      WARNAbs("RdTARe2 - файл <"_cp + f + "> не существует!"_cp);
      return false;
    }
    if (FileSizeSS(f) != G.FileBytes(kCodes[c])) {
      WARNAbs("VoigtSpline: файл <"_cp + f + "> длиной "_cp + I64Str(FileSizeSS(f)) +
              " байт, а должно быть "_cp + I64Str(G.FileBytes(kCodes[c])));
      return false;
    }
    TARe2 t(static_cast<size_t>(G.Na) + 1, TARe(static_cast<size_t>(m), 0.0));
    bool ok = false;
    try {
      ok = RdTARe2(t, G.Na + 1, m, f);
    } catch (const std::exception& e) {
      WARNAbs("RdTARe2.ERR: файл <"_cp + f + "> не прочитан: "_cp + e.what());
      ok = false;
    }
    if (!ok) return false;
    std::vector<double>& flat = TableOf(V, c);
    for (int32_t i = 0; i <= G.Na; ++i)
      std::copy(t[i].begin(), t[i].end(), flat.begin() + static_cast<ptrdiff_t>(i) * m);
  }
  return true;
}

std::string VoigtSplineQuestion() {
  return "Заполнение массивов интерполяции потребует много минут"_cp + "\r\n" +
         "и 84 мегабайта места на диске."_cp + "\r\n\r\n" +
         "Если выберите \"ДА\" - ждите окончания расчета!"_cp;
}

std::string VoigtSplineDir() {
  if (!Models().DirOf.Provided()) return std::string();
  return Models().DirOf("VOIGT", "TAB");
}

bool VoigtSplinePrepare(const std::string& Dir, const TVoigtSplineGrid& G, int32_t Threads,
                        bool AskAgain) {
  std::lock_guard<std::mutex> lock(gPrepareLock);
  TCalcContext& ctx = CalcCtx();
  auto humlicek = [&] {
    ctx.VoigtMethod = vmHumlicek;
    ctx.VoigtMethodName = "Humlicek";
    return false;
  };
  auto spline = [&] {
    ctx.VoigtMethod = vmSpline;
    ctx.VoigtMethodName = "Spline";
    return true;
  };
  if (!AskAgain) {
    const auto t = VoigtSplineLoaded();
    if (t) return spline();
  }
  if (Dir.empty()) {
    WARNAbs("VoigtSplineInit: папка таблиц функции Фойгта (VOIGT TAB) не задана, "_cp +
            "остаётся метод Хумличека."_cp);
    return humlicek();
  }
  if (!VoigtSplineFilesPresent(Dir, G)) {
    if (gDeclined && !AskAgain) {
      WARN("VoigtSplineInit: таблицы сплайнов не построены, остаётся метод Хумличека."_cp);
      return humlicek();
    }
    if (!AskYesNo(VoigtSplineQuestion())) {
      gDeclined = true;
      return humlicek();
    }
    gDeclined = false;
    TVoigtSplineValues vals;
    vals.Alloc(G);
    TJob own("VoigtSpline");
    TJob* job = CurrentJob();
    if (!VoigtSplineComputeRows(G, 1, G.Na, vals, Threads, job ? job : &own)) {
      WARNAbs("VoigtSplineInit: построение таблиц прервано, файлы не тронуты, "_cp +
              "остаётся метод Хумличека."_cp);
      return humlicek();
    }
    if (!WriteVoigtSplineFiles(Dir, vals)) return humlicek();
  }
  TVoigtSplineValues vals;
  if (!ReadVoigtSplineFiles(Dir, G, vals)) {
    WARNAbs("VoigtSplineInit: таблицы не прочитаны, остаётся метод Хумличека."_cp);
    return humlicek();
  }
  SetVoigtSplineTables(std::make_shared<TVoigtSplineTables>(vals));
  return spline();
}

// ---- diagnostic tables

namespace {

constexpr double kSqrtPi = 1.7724538509;

struct TQuadRow {
  double H, F, G, L, RG, RL;
};

TQuadRow QuadRow(double a, double v, double Tol) {
  TQuadRow r;
  r.H = VoigtHQuad(100, Tol, v, a) / kSqrtPi;
  r.F = VoigtFQuad(100, Tol, v, a) / kSqrtPi;
  r.G = std::exp(-v * v) / std::sqrt(M_PI);
  r.L = a / ((v * v + a * a) * M_PI);
  r.RG = r.H != 0 ? r.G / r.H : 0;
  r.RL = r.H != 0 ? r.L / r.H : 0;
  return r;
}

}  // namespace

std::unique_ptr<TStringList> VoigtSplineTestTab(int32_t N, int32_t M, double a, double Tol,
                                                double VMax) {
  auto sl = std::make_unique<TStringList>();
  sl->Add(" J I V dHH dFF H F ");
  if (N < 1 || M < 1) return sl;
  const double h = VMax / N;
  const int32_t n = N + 7;
  TARe X(static_cast<size_t>(n) + 1), YH(X.size()), YF(X.size());
  for (int32_t i = 1; i <= n; ++i) {
    X[i] = (i - 1) * h - 6 * h;
    const TQuadRow q = QuadRow(a, X[i], Tol);
    YH[i] = q.H;
    YF[i] = q.F;
  }
  TARe bh, ch, dh, bf, cf, df;
  SplineCoefFMM(X, YH, bh, ch, dh);
  SplineCoefFMM(X, YF, bf, cf, df);
  const double hf = (VMax + 6 * h) / ((N + 6) * static_cast<double>(M));
  for (int32_t m = 5 * M + 1; m <= M * N + 1; ++m) {
    if (m % M != 0) continue;
    const double v = (m - 1) * hf - 6 * h;
    const TQuadRow q = QuadRow(a, v, Tol);
    const double sh = SplineSEVAL(n, v, X, YH, bh, ch, dh);
    const double sf = SplineSEVAL(n, v, X, YF, bf, cf, df);
    sl->Add(I64PadSt(4, m) + " " + I64PadSt(3, (m - 1) / M + 1) + " " + ShortSt(5, v) + " " +
            ShortSt(13, sh - q.H) + " " + ShortSt(13, sf - q.F) + " " + ShortSt(16, q.H) + " " +
            ShortSt(16, q.F));
  }
  LineTabStrings(sl.get(), 2);
  return sl;
}

std::unique_ptr<TStringList> VoigtDampingTab(int32_t N, int32_t M, bool All, double Tol,
                                             double v) {
  auto sl = std::make_unique<TStringList>();
  sl->Add(" J log(a) a dH dF H F HFlag HErr HNFun FFlag FErr FNFun ");
  if (N < 2 || M < 1) return sl;
  const double l0 = std::log(0.001), span = std::log(100.0) - std::log(0.001);
  TARe X(static_cast<size_t>(N) + 1), YH(X.size()), YF(X.size());
  for (int32_t i = 1; i <= N; ++i) {
    X[i] = l0 + (i - 1) * span / N;
    const TQuadRow q = QuadRow(std::exp(X[i]), v, Tol);
    YH[i] = q.H;
    YF[i] = q.F;
  }
  TARe bh, ch, dh, bf, cf, df;
  SplineCoefFMM(X, YH, bh, ch, dh);
  SplineCoefFMM(X, YF, bf, cf, df);
  for (int32_t j = 1; j <= N * M - M + 1; ++j) {
    if (!All && j % 2 != 0) continue;
    const double la = l0 + (j - 1) * span / (N * static_cast<double>(M));
    const double a = std::exp(la);
    double eh, ef, fh, ff;
    int32_t nh, nf;
    const double qh = VoigtHQuadEx(100, Tol, v, a, eh, nh, fh) / kSqrtPi;
    const double qf = VoigtFQuadEx(100, Tol, v, a, ef, nf, ff) / kSqrtPi;
    const double sh = SplineSEVAL(N, la, X, YH, bh, ch, dh);
    const double sf = SplineSEVAL(N, la, X, YF, bf, cf, df);
    sl->Add(I64PadSt(4, j) + " " + ShortSt(5, la / std::log(10.0)) + " " + ShortSt(5, a) + " " +
            ShortSt(13, sh - qh) + " " + ShortSt(13, sf - qf) + " " + ShortSt(16, qh) + " " +
            ShortSt(16, qf) + " " + ShortSt(13, fh) + " " + ShortSt(13, eh) + " " +
            IntStr(nh) + " " + ShortSt(13, ff) + " " + ShortSt(13, ef) + " " + IntStr(nf));
  }
  LineTabStrings(sl.get(), 2);
  return sl;
}
