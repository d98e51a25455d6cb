#include "scans/cvSessionConsts.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/FileErr.h"
#include "scans/cvCircleFit.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapAlg.h"
#include "scans/cvScanInfo.h"
#include "scans/cvScanReports.h"

namespace {

const std::string kNl = "\r\n";

void Split(const std::string& S, std::string& Da, std::string& Ti) {
  const size_t u = S.find('_');
  Da = u == std::string::npos ? S : S.substr(0, u);
  Ti = u == std::string::npos ? std::string() : S.substr(u + 1);
}

// "the 7 characters from position 7" of the session: the day and the hour.
std::string Short7(const std::string& S) { return S.size() > 6 ? S.substr(6, 7) : S; }

std::string ShortCard(const std::string& Key, int32_t Digits, const std::string& Comment,
                      double V) {
  return FITCardStr(Key, ExpLetterFix(TrimSp(ShortSt(Digits, V))), Comment);
}

TStringList Wanted(std::initializer_list<const char*> Names) {
  TStringList l;
  for (const char* n : Names) l.Add(n);
  return l;
}

TFIOut* Loaded(const std::string& Da, const std::string& Ti, const std::string& Name) {
  TFIOut* m = LFIOReg().GetFIOutDT(Da, Ti, Name);
  return m && m->EnsureLoaded() ? m : nullptr;
}

// The expression lines of a calculation; the first failure stops.
bool RunLines(TJob& Job, const std::vector<std::string>& Lines, const std::string& Da,
              const std::string& Ti) {
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (Job.Cancelled()) return false;
    const std::string name = Lines[i].substr(0, Lines[i].find('='));
    // a map of that name made before is made again from the current operands
    if (TFIOut* old = LFIOReg().GetFIOutDT(Da, Ti, name); old && (old->kLoad & 8))
      LFIOReg().Remove(old);
    if (!FOLineToMap(Lines[i], Da, Ti)) return false;
  }
  return true;
}

// Means of the maps over the pixels whose Filter value lies in a band [Lo, Hi] and whose
// continuum lies in [CLo, CHi] (both bounds inclusive, as the level filters test), for every
// band in one pass over the pixels. Bands from Nested on are [0, Hi] with growing Hi: a pixel is
// summed once into the first of them that holds it, and each band's sums are those of the bands
// up to it.
struct TMeans3 {
  double A = 0, B = 0, C = 0;
  int64_t N = 0;
};
struct TBand {
  double Lo = 0, Hi = 0;
};
std::vector<TMeans3> FilteredMeans(const TFIOut& Filter, const std::vector<TBand>& Bands,
                                   size_t Nested, const TFIOut& Cont, double CLo, double CHi,
                                   const TFIOut& A, const TFIOut& B, const TFIOut& C) {
  const size_t nb = Bands.size();
  std::vector<TMeans3> r(nb);
  bool growing = Nested < nb;
  for (size_t k = Nested; k < nb; ++k)
    growing = growing && Bands[k].Lo == 0 && (k == Nested || Bands[k].Hi > Bands[k - 1].Hi);
  const size_t direct = growing ? Nested : nb;
  std::vector<double> his;
  for (size_t k = direct; k < nb; ++k) his.push_back(Bands[k].Hi);
  const size_t n = static_cast<size_t>(Filter.nX) * static_cast<size_t>(Filter.nY);
  const float *f = Filter.aData.Data(), *c = Cont.aData.Data(), *a = A.aData.Data(),
              *b = B.aData.Data(), *cc = C.aData.Data();
  auto add = [&](TMeans3& m, size_t i) {
    m.A += a[i];
    m.B += b[i];
    m.C += cc[i];
    ++m.N;
  };
  for (size_t i = 0; i < n; ++i) {
    const double w = c[i];
    if (!(w >= CLo && w <= CHi)) continue;
    const double v = f[i];
    for (size_t k = 0; k < direct; ++k)
      if (v >= Bands[k].Lo && v <= Bands[k].Hi) add(r[k], i);
    if (direct < nb && v >= 0) {
      const size_t j = static_cast<size_t>(std::lower_bound(his.begin(), his.end(), v) - his.begin());
      if (j < his.size()) add(r[direct + j], i);
    }
  }
  for (size_t k = direct + 1; k < nb; ++k) {
    r[k].A += r[k - 1].A;
    r[k].B += r[k - 1].B;
    r[k].C += r[k - 1].C;
    r[k].N += r[k - 1].N;
  }
  for (TMeans3& m : r)
    if (m.N > 0) {
      m.A /= m.N;
      m.B /= m.N;
      m.C /= m.N;
    }
  return r;
}

bool SameSize(const std::vector<const TFIOut*>& Maps) {
  for (const TFIOut* m : Maps)
    if (m->nX != Maps[0]->nX || m->nY != Maps[0]->nY) {
      WARNAbs("Карты "_cp + Maps[0]->Name + " и "_cp + m->Name + " разного размера!"_cp);
      return false;
    }
  return true;
}

const std::vector<std::string>& VWLines() {
  static const std::vector<std::string> l = {
      "VW1=mul(add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792),47.57477079)",
      "VW2=mul(add(mul(add(mid(LWb2,LWr2),-56.5),0.021549),-0.4132),47.5672796)"};
  return l;
}

}  // namespace

// ---------------------------------------------------------------- the header

bool SetSessionCards(const std::string& Session,
                     const std::vector<std::pair<std::string, std::string>>& Cards,
                     const std::vector<std::string>& Remove) {
  std::string da, ti;
  Split(Session, da, ti);
  const std::string path = GetCVFITName(da, ti);
  if (path.empty() || !platform::IsRegularFile(path)) {
    WARNAbs("Файл <"_cp + path + "> не существует!"_cp);
    return false;
  }
  // the header as the file holds it now (a second run sees the first one's cards)
  TStringList h;
  int32_t n = 0;
  GetFITSHead(path, 0, n, &h);
  if (n == 0) return false;
  for (const std::string& k : Remove) HeaderDelKey(&h, k);
  for (const auto& [k, c] : Cards) HeaderSetKey(&h, k, c);
  std::string what;
  for (const auto& c : Cards) what += (what.empty() ? "" : ",") + c.first;
  if (!RewriteMainHeader(path, h, "SetSessionCards", what)) return false;
  // the registry's copy of the own file's main header, when it is this file's
  TLFIOut* r = LFIOOrNull();
  if (r && r->HcvSL && GetFITNameByKind(1, da, ti) == path) {
    TStringList& old = *r->HcvSL;
    int eq = 0;
    while (eq < old.Count() && old[eq].find("=============================") == std::string::npos)
      ++eq;
    TStringList fresh;
    for (int i = 0; i < h.Count(); ++i) {
      fresh.Add(h[i]);
      if (CardLookupKey(h[i]) == "END") break;
    }
    for (int i = eq; i < old.Count(); ++i) fresh.Add(old[i]);
    old.Clear();
    old.AddStrings(fresh);
  }
  return true;
}

// ---------------------------------------------------------------- the peak histogram

int32_t PeakHistBins(int32_t NX, int32_t NY) {
  return static_cast<int32_t>(std::nearbyint(4 * std::sqrt(static_cast<double>(NX) * NY)));
}

void MakePeakHist(const TARe& Values, int32_t NX, int32_t NY, TPeakHist& H) {
  H = TPeakHist();
  H.N = std::max(PeakHistBins(NX, NY), 1);
  H.FracLo = 2.0 / H.N;
  H.FracHi = 1 - H.FracLo;
  AReHistogram(Values, H.N, true, H.FracLo, H.FracHi, 'N', H.Lo, H.Hi, H.X, H.Count);
  AReMean3(H.Count, H.Smooth);
  H.IMax = 1;
  for (int32_t i = 1; i < static_cast<int32_t>(H.Smooth.size()); ++i)
    if (H.Smooth[static_cast<size_t>(i)] > H.Smooth[static_cast<size_t>(H.IMax)]) H.IMax = i;
  if (H.Smooth.size() > 1) {
    H.PMax = H.Smooth[static_cast<size_t>(H.IMax)];
    H.XPeak = H.X[static_cast<size_t>(H.IMax)];
  }
}

void PeakCrossings(const TPeakHist& H, double Level, double& Lo, double& Hi) {
  Lo = Hi = 0;
  const int32_t n = NOf(H.Smooth);
  if (n < 1) return;
  WingsAtLevel(H.X, H.Smooth, 1, Hi, Lo, Level, H.IMax, n);
  // a side where the histogram never falls to the level ends at the histogram's edge
  bool left = false, right = false;
  for (int32_t i = 1; i <= H.IMax && !left; ++i) left = H.Smooth[static_cast<size_t>(i)] <= Level;
  for (int32_t i = H.IMax; i <= n && !right; ++i) right = H.Smooth[static_cast<size_t>(i)] <= Level;
  if (!left) Lo = H.Lo;
  if (!right) Hi = H.Hi;
}

// ---------------------------------------------------------------- CB0

bool CalcCB0(TJob& Job, const std::string& Session, TCB0Result& R) {
  std::string da, ti;
  Split(Session, da, ti);
  const int64_t steps = 4;
  if (!Job.Step(0, steps, Short7(Session) + " Calc $CB0,$VW1,$VW2")) return false;
  TLFIOut& reg = LFIOReg();
  const TStringList want =
      Wanted({"CONT", "W2QUV195", "W2QUV295", "LWb1", "LWr1", "LWb2", "LWr2"});
  reg.LoadOwn(da, ti, &want, false, &Job);
  if (Job.Cancelled()) return false;
  for (const char* n : {"CONT", "W2QUV195", "LWb1"})
    if (!reg.GetFIOutDT(da, ti, n)) {
      WARNAbs("В сеансе "_cp + Session + " не рассчитана карта "_cp + n);
      return false;
    }
  std::vector<std::string> lines = {"W2QUV=add(W2QUV295,W2QUV195)"};
  for (const std::string& l : VWLines()) lines.push_back(l);
  if (!RunLines(Job, lines, da, ti)) return false;
  const TFIOut* cont = Loaded(da, ti, "CONT");
  const TFIOut* w2 = Loaded(da, ti, "W2QUV");
  const TFIOut* vw1 = Loaded(da, ti, "VW1");
  const TFIOut* vw2 = Loaded(da, ti, "VW2");
  if (!cont || !w2 || !vw1 || !vw2 || !SameSize({cont, w2, vw1, vw2})) return false;
  if (!Job.Step(1, steps, Short7(Session) + " Calc $CB0,$VW1,$VW2")) return false;
  // the continuum filter: one level from m/2 to 20 m, written with 5 digits
  double mean = 0;
  {
    const size_t n = static_cast<size_t>(cont->nX) * static_cast<size_t>(cont->nY);
    const float* p = cont->aData.Data();
    long double s = 0;
    for (size_t i = 0; i < n; ++i) s += p[i];
    mean = n ? static_cast<double>(s / n) : 0;
  }
  const double clo = ValRealQuiet(ShortSt(5, mean / 2)), chi = ValRealQuiet(ShortSt(5, 20 * mean));
  TARe values(1, 0.0);
  {
    const size_t n = static_cast<size_t>(cont->nX) * static_cast<size_t>(cont->nY);
    values.reserve(n + 1);
    const float *c = cont->aData.Data(), *w = w2->aData.Data();
    for (size_t i = 0; i < n; ++i)
      if (c[i] >= clo && c[i] <= chi) values.push_back(w[i]);
  }
  MakePeakHist(values, cont->nX, cont->nY, R.Hist);
  const TPeakHist& H = R.Hist;
  TStringList table;
  table.Add("pMax=" + ShortSt(5, H.IMax) + " x=" + ShortSt(5, H.XPeak) + " N=" +
            ShortSt(5, H.PMax));
  auto line = [](double K, double Level, double Lo, double Hi, const TMeans3& M) {
    return ShortSt(5, K) + "  " + ShortSt(5, Level) + "  " + ShortSt(5, Lo) + "  " +
           ShortSt(5, Hi) + "  " + ShortSt(7, M.A) + "  " + ShortSt(5, M.B) + "  " +
           ShortSt(5, M.C) + "  " + ShortSt(5, (M.B + M.C) / 2);
  };
  // the five levels of the peak, then 30 bands from 0 up to 3.9 times the peak's value
  std::vector<TBand> bands;
  for (int k = 9; k >= 5; --k) {
    TBand b;
    PeakCrossings(H, k * 0.1 * H.PMax, b.Lo, b.Hi);
    bands.push_back(b);
  }
  for (int i = 1; i <= 30; ++i) bands.push_back({0, (1 + 0.1 * (i - 1)) * H.XPeak});
  if (!Job.Step(2, steps, "CB0: " + IntStr(static_cast<int32_t>(bands.size())) + " filters"))
    return false;
  const std::vector<TMeans3> m = FilteredMeans(*w2, bands, 5, *cont, clo, chi, *cont, *vw1, *vw2);
  double sc = 0, s1 = 0, s2 = 0;
  int used = 0;
  for (int k = 9; k >= 5; --k) {
    const size_t j = static_cast<size_t>(9 - k);
    table.Add(line(k, k * 0.1 * H.PMax, bands[j].Lo, bands[j].Hi, m[j]));
    if (m[j].N == 0) continue;  // a level no pixel passes has no means
    sc += m[j].A;
    s1 += m[j].B;
    s2 += m[j].C;
    ++used;
  }
  if (used == 0) {
    WARNAbs("CB0: ни одна точка сеанса "_cp + Session + " не прошла фильтры уровней W2QUV!"_cp);
    if (R.Table) R.Table->AddStrings(table);
    return false;
  }
  R.CB0 = sc / used;
  R.VW1 = s1 / used;
  R.VW2 = s2 / used;
  table.Add("");
  for (int i = 1; i <= 30; ++i) {
    const size_t j = static_cast<size_t>(4 + i);
    table.Add(line(i, H.PMax, 0, bands[j].Hi, m[j]));
  }
  if (R.Table) R.Table->AddStrings(table);
  if (!Job.Step(3, steps, "CB0: header")) return false;
  R.Written = SetSessionCards(
      Session,
      {{"CB0", ShortCard("CB0", 8, "CONT Level for reg.without Field", R.CB0)},
       {"VW1", ShortCard("VW1", 6, "Vlos_6301 for reg.without Field", R.VW1)},
       {"VW2", ShortCard("VW2", 6, "Vlos_6302 for reg.without Field", R.VW2)}},
      {});
  return R.Written;
}

// ---------------------------------------------------------------- the area summary

bool CalcSessionSummary(TJob& Job, const std::string& Session, TLFITS& Scan, TSummaryResult& R) {
  std::string da, ti;
  Split(Session, da, ti);
  const int64_t steps = 4;
  if (!Job.Step(0, steps, Short7(Session) + " Calc [pU ... tDura]")) return false;
  TLFIOut& reg = LFIOReg();
  reg.ClearAll();
  if (Scan.ScanName != Session || Scan.Count() == 0) {
    Scan.Link(ScanFolder(Session));
    if (!Scan.LoadHeaders(Job) || Job.Cancelled()) return false;
  }
  const TStringList want =
      Wanted({"CONT", "W2QUV195", "W2QUV295", "LWb1", "LWr1", "LWb2", "LWr2"});
  reg.LoadOwn(da, ti, &want, false, &Job);
  if (Job.Cancelled()) return false;
  for (const char* n : {"W2QUV195", "LWb1"})
    if (!reg.GetFIOutDT(da, ti, n)) {
      WARNAbs("В сеансе "_cp + Session + " не рассчитана карта "_cp + n);
      return false;
    }
  std::vector<std::string> lines = VWLines();
  for (const char* l : {"W2QUV=add(W2QUV295,W2QUV195)", "VW_1=sub(VW1,$VW1)",
                        "VW_2=sub(VW2,$VW2)", "CB0=rat(CONT,$CB0)"})
    lines.push_back(l);
  if (!RunLines(Job, lines, da, ti)) return false;
  if (!Job.Step(1, steps, Short7(Session) + " Calc [pU ... tDura]")) return false;
  const TFIOut* w2 = Loaded(da, ti, "W2QUV");
  if (!w2) return false;
  TARe values(1, 0.0);
  const size_t n = static_cast<size_t>(w2->nX) * static_cast<size_t>(w2->nY);
  values.reserve(n + 1);
  for (size_t i = 0; i < n; ++i) values.push_back(w2->aData.Data()[i]);
  TPeakHist H;
  MakePeakHist(values, w2->nX, w2->nY, H);
  const double level = 0.7 * H.PMax;
  PeakCrossings(H, level, R.Lo, R.Hi);
  if (!(R.Lo < R.Hi)) {
    WARNAbs("Что-то не так с гистограммой"_cp + kNl + "Max=Round(" + ShortSt(4, H.IMax) +
            ") Level=" + ShortSt(4, level) + kNl + " N=" + ShortSt(4, H.N) + " i_left=" +
            ShortSt(4, R.Lo) + " i_right=" + ShortSt(4, R.Hi));
    if (R.Error)
      for (int32_t i = 1; i < static_cast<int32_t>(H.X.size()); ++i)
        R.Error->Add(ShortSt(6, H.X[static_cast<size_t>(i)]) + " " +
                     ShortSt(6, H.Count[static_cast<size_t>(i)]) + " " +
                     ShortSt(6, H.Smooth[static_cast<size_t>(i)]));
    return false;
  }
  if (!Job.Step(2, steps, Short7(Session) + " Calc [pU ... tDura]")) return false;
  SlitTimeReport(Scan);
  TStdFilters f;
  if (!MakeStdFilters(Session, R.Lo, R.Hi, f)) return false;
  R.pLimb = f.A;
  R.pU = f.B;
  R.ppu = f.C;
  R.minCB0 = f.D;
  R.pB077 = f.E;
  R.pB007 = f.F;
  R.tDura = Scan.Duration;
  R.tDay = Scan.TMid;
  if (!Job.Step(3, steps, Short7(Session) + " Calc [pU ... tDura]")) return false;
  R.Written = SetSessionCards(
      Session,
      {{"pLimb", FITCardRD("pLimb", 2, "part of the area outside the limb, %", R.pLimb)},
       {"pU", FITCardRD("pU", 2, "part of area occupied by Umbra, %", R.pU)},
       {"ppu", FITCardRD("ppu", 2, "part of area occupied by penumbra, %", R.ppu)},
       {"minCB0", FITCardRD("minCB0", 3, "minimum brightness on the map", R.minCB0)},
       {"pB077", FITCardRD("pB077", 3, "part of area W2QUV=0 at level 0.7", R.pB077)},
       {"pB007", FITCardRD("pB007", 3, "part of area W2QUV=0 before hist level 0.7", R.pB007)},
       {"tDura", FITCardRD("tDura", 2, "session duration in minutes", R.tDura)},
       {"tDay", FITCardRD("tDay", 4, "mid-session time of day", R.tDay)}},
      {"HLNMA_IX", "HLNMA_IY", "HLSMA_IX", "HLSMA_IY", "VLRMA_IX", "VLRMA_IY", "VLBMA_IX",
       "VLBMA_IY", "CMTMA_IX", "CMTMA_IY", "CMTMI_IX", "CMTMI_IY", "CNTH0_AX", "CNTH0_AY",
       "CNTH0_BX", "CNTH0_BY"});
  return R.Written;
}

// ---------------------------------------------------------------- BML

bool CalcBMLSummary(TJob& Job, const std::string& Session, TBMLResult& R) {
  std::string da, ti;
  Split(Session, da, ti);
  if (!Job.Step(0, 3, Short7(Session) + " Calc [maxBML, max/minBIV]")) return false;
  TLFIOut& reg = LFIOReg();
  reg.ClearAll();
  const TStringList want = Wanted(
      {"CONT", "CONT2", "BML1", "BML2", "LIVp195", "LIVm195", "LIVp295", "LIVm295"});
  reg.LoadOwn(da, ti, &want, false, &Job);
  if (Job.Cancelled()) return false;
  if (!RunLines(Job,
                {"Cnt=mid(CONT,CONT2)", "BIV1=mul(sub(LIVp195,LIVm195),348.23)",
                 "BIV2=mul(sub(LIVp295,LIVm295),233.6195)", "BIV=mid(BIV1,BIV2)",
                 "CB0=rat(CONT,$CB0)"},
                da, ti))
    return false;
  if (!Job.Step(1, 3, Short7(Session) + " Calc [maxBML, max/minBIV]")) return false;
  if (!CalcBMLFilt(Session, R.maBML1, R.maBML2, R.maBIV, R.miBIV)) return false;
  if (!Job.Step(2, 3, Short7(Session) + " Calc [maxBML, max/minBIV]")) return false;
  R.Written = SetSessionCards(
      Session,
      {{"maBML1", FITCardRD("maBML1", 1, "maxField by L=Q+U moment for 6301", R.maBML1)},
       {"maBML2", FITCardRD("maBML2", 1, "maxField by L=Q+U moment for 6302", R.maBML2)},
       {"maBIV", FITCardRD("maBIV", 1, "max Positive Field by COG of I\xB1V", R.maBIV)},
       {"miBIV", FITCardRD("miBIV", 1, "max Negative Field by COG of I\xB1V", R.miBIV)}},
      {});
  return R.Written;
}

// ---------------------------------------------------------------- disc geometry

bool MainKeyReal(const std::string& Key, double& Value) {
  Value = 0;
  TLFIOut* r = LFIOOrNull();
  std::string t = r && r->HcvSL ? GetFITKey(Key, r->HcvSL.get(), 0, 72) : std::string();
  if (t.empty() && r && r->HmeSL && r->HmeSL->Count() > 0)
    t = GetFITKey(Key, r->HmeSL.get(), 0, r->HmeSL->Count() - 1);
  if (t.empty()) return true;
  int32_t code = 0;
  const double v = ValRealCode(TrimSp(t), code);
  if (code != 0) {
    WARNAbs("В Header-е cv-FITS файла в переменной "_cp + Key + kNl +
            " найдена некорректная запись для числа"_cp + kNl + "<" + t + ">");
    return false;
  }
  Value = v;
  return true;
}

void DiscGeometry(double X, double Y, double XC, double YC, double R, double kXY, double& rR,
                  double& CosTet) {
  const double k = std::sqrt(kXY);
  const double d = DistToCircle(TCirclePt{X * k, Y / k}, TCircle{XC, YC, R});
  rR = d / R + 1;
  const double v = 1 - rR * rR;
  CosTet = v >= 0 ? std::sqrt(v) : -std::sqrt(-v);
}

bool CalcD2Circ(TJob& Job, const std::string& Session, std::vector<std::string>* Names) {
  std::string da, ti;
  Split(Session, da, ti);
  TLFIOut& reg = LFIOReg();
  if (!Job.Step(0, 2, Short7(Session) + " d2Circ")) return false;
  // the own file's main header (no maps) when the registry has not read it
  if (!reg.HcvSL || reg.HcvSL->Count() == 0) {
    const TStringList none;
    reg.LoadOwn(da, ti, &none, false, &Job);
  }
  const TStringList want = Wanted({"X_Coordinate", "Y_Coordinate"});
  reg.LoadMEx('0', da, ti, &want, false);
  TFIOut* X = reg.GetFIOutDT(da, ti, "X_Coordinate");
  if (!X) {
    WARNAbs("В сеансе "_cp + Session + " не найдена карта X_Coordinate"_cp);
    return false;
  }
  TFIOut* Y = reg.GetFIOutDT(da, ti, "Y_Coordinate");
  if (!Y) {
    WARNAbs("В сеансе "_cp + Session + " не найдена карта Y_Coordinate"_cp);
    return false;
  }
  if (!X->EnsureLoaded()) return false;
  if (!reg.HcvSL || reg.HcvSL->Count() == 0) {
    WARNAbs("d2Circ ERR: Header CV-FITS файла ещё не загружен в список LFIO!"_cp);
    return false;
  }
  if (!Y->EnsureLoaded()) return false;
  if (X->nX != Y->nX || X->nY != Y->nY) {
    WARNAbs("Карты X_Coordinate и Y_Coordinate разного размера!"_cp);
    return false;
  }
  double ra = 0, xc = 0, yc = 0, kxy = 0, solar = 0;
  if (!MainKeyReal("SOLRA_LM", ra) || !MainKeyReal("SOLXC_LM", xc) ||
      !MainKeyReal("SOLYC_LM", yc) || !MainKeyReal("SOLkXY", kxy) ||
      !MainKeyReal("SOLAR_RA", solar))
    return false;
  if (kxy == 0) kxy = 1;
  const double R = ra != 0 ? ra : solar;
  if (R == 0) {
    WARNAbs("не задан радиус Солнца, $SOLRA_LM и $SOLAR_RA = 0!"_cp);
    return false;
  }
  std::unique_ptr<TFIOut> rr = X->Clone(), ct = X->Clone();
  if (!rr || !ct) return false;
  rr->Name = "rR_LM";
  ct->Name = "cosTet";
  for (int32_t x = 0; x < X->nX; ++x) {
    if ((x & 63) == 0 && !Job.Step(1, 2, "d2Circ x=" + IntStr(x))) return false;
    for (int32_t y = 0; y < X->nY; ++y) {
      double t = 0, c = 0;
      DiscGeometry(X->aData[x][y], Y->aData[x][y], xc, yc, R, kxy, t, c);
      rr->aData[x][y] = static_cast<float>(t);
      ct->aData[x][y] = static_cast<float>(c);
    }
  }
  if (Job.Cancelled()) return false;
  for (auto* m : {&rr, &ct}) {
    (*m)->kLoad = 8;
    (*m)->kSoft = 1;  // the own output file: never written into the inversion file
    (*m)->DaNum = '0';
    (*m)->MinMaxMean();
    if (TFIOut* old = reg.GetFIOutDT(da, ti, (*m)->Name)) reg.Remove(old);
    if (Names) Names->push_back((*m)->Name);
    reg.Add(std::move(*m));
  }
  return true;
}
