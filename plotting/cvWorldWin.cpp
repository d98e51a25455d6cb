// World windows, their choice for a new graph, plot areas and tile geometry.
#include "plotting/cvWorldWin.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"

// ---------------------------------------------------------------- ranges

TRangeRe MakeRange(double Lo, double Hi) { return TRangeRe{Lo, Hi}; }

TRangeRe IntersectRange(TRangeRe a, TRangeRe b) {
  if (a.Lo > a.Hi) std::swap(a.Lo, a.Hi);
  if (b.Lo > b.Hi) std::swap(b.Lo, b.Hi);
  if (a.Hi < b.Lo) return {b.Lo, a.Hi};
  if (b.Hi < a.Lo) return {a.Lo, b.Hi};
  return {std::max(a.Lo, b.Lo), std::min(a.Hi, b.Hi)};
}

bool PointInRectRe(const TPointRe& P, const TRectRe& R) {
  if (R.Y1 > R.Y2) {
    PlotWarn("Top=" + ValSt(6, R.Y1) + " Bottom=" + ValSt(6, R.Y2));
    return false;
  }
  return R.X1 < P.X && P.X < R.X2 && R.Y1 < P.Y && P.Y < R.Y2;
}

// ---------------------------------------------------------------- world windows

void TWorldWin::Clear() {
  Kind = 0;
  Chain.clear();
  sOX.clear();
  sDim.clear();
  Id = NUse = 0;
  P1 = P2 = 0;
  kOX = 0;
  PosOX = Pos2 = 0;
  NMrk = nnMk = PDOX = PDOX2 = 0;
  MrkSz = 0;
}

void TWorldWin::Defaults() {
  kOX = 0;
  PosOX = 0;
  Pos2 = 1;
  NMrk = 5;
  nnMk = 1;
  PDOX = -1;
  PDOX2 = 0;
  MrkSz = 1;
}

std::string TWorldWin::ReportLine() const {
  return (Kind ? std::string(1, Kind) : std::string("#0")) + " <" + Chain + "> " + " <" +
         ReplaceChar(sOX, ' ', '_') + "> " + " <" + sDim + "> " + " [" +
         TrimCtl(ValSt(8, P1)) + " , " + ValSt(8, P2) + "] " + IntStr(kOX) + " " +
         ValSt(5, PosOX) + " " + ValSt(5, Pos2) + " " + IntStr(NMrk) + " " + IntStr(nnMk) +
         " " + IntStr(PDOX) + " " + IntStr(PDOX2) + " " + ValSt(3, MrkSz) + " N 0 0";
}

void TWorldWin::ToGrid(TPlotHost& Host, int32_t Row) const {
  Host.WindowToGrid(Row, {{"gxWL_sChain", Chain},
                          {"gxWL_Num", IntStr(Row)},
                          {"gxWL_kxy", Kind ? std::string(1, Kind) : std::string()},
                          {"gxWL_Dim", sDim},
                          {"gxWL_OXTit", sOX},
                          {"gxWL_min", ShortSt(8, P1)},
                          {"gxWL_max", ShortSt(8, P2)},
                          {"gxWL_MarkSize", ShortSt(3, MrkSz)},
                          {"gxWL_kOX", IntStr(kOX)},
                          {"gxWL_NUse", IntStr(NUse)}});
}

TWorldWin* TLWorldWin::GetWin(int32_t i) {
  return i >= 0 && i < Count() ? Items[static_cast<size_t>(i)].get() : nullptr;
}

const TWorldWin* TLWorldWin::GetWin(int32_t i) const {
  return i >= 0 && i < Count() ? Items[static_cast<size_t>(i)].get() : nullptr;
}

int32_t TLWorldWin::NewWin() {
  for (int32_t i = 1; i < Count(); ++i) {
    TWorldWin& W = *Items[static_cast<size_t>(i)];
    if (W.Kind == 0) {
      W.Clear();
      W.Defaults();
      return i;
    }
  }
  if (Items.empty()) Items.push_back(std::make_unique<TWorldWin>());
  Items.push_back(std::make_unique<TWorldWin>());
  return Count() - 1;
}

int32_t TLWorldWin::AddCopy(const TWorldWin& W) {
  const TWorldWin Src = W;  // W may live in the list that grows
  const int32_t Id = NewWinId();
  const int32_t i = NewWin();
  TWorldWin& D = *Items[static_cast<size_t>(i)];
  D = Src;
  if (D.NMrk < 2) D.NMrk = 5;
  D.Id = Id;
  return i;
}

int32_t TLWorldWin::NewWinId() const {
  for (int32_t Id = 1;; ++Id) {
    bool Used = false;
    for (const auto& W : Items)
      if (W->Id == Id) {
        Used = true;
        break;
      }
    if (!Used) return Id;
  }
}

int32_t TLWorldWin::FindWin(char Kind, TRangeRe R, const std::string& Dim) const {
  int32_t Choice = 0;
  double BestOv = 0, BestNon = 0;
  for (int32_t i = 1; i < Count(); ++i) {
    const TWorldWin& W = *Items[static_cast<size_t>(i)];
    if (W.Kind != Kind || (!Dim.empty() && W.sDim != Dim)) continue;
    if (W.P1 == R.Lo && W.P2 == R.Hi) return i;
    const TRangeRe O = IntersectRange(MakeRange(W.P1, W.P2), R);
    const double Ov = O.Hi - O.Lo;
    const double Non = (W.P2 - W.P1) + (R.Hi - R.Lo) - 2 * Ov;
    bool Take = false;
    if (Ov > BestOv)
      Take = !(BestNon > 0 && BestOv > 0 && (Non / BestNon) / (Ov / BestOv) > 2);
    else if (Ov == BestOv)
      Take = Non < BestNon;
    else
      Take = Non > 0 && Ov > 0 && (BestNon / Non) / (BestOv / Ov) > 2;
    if (Take) {
      Choice = i;
      BestOv = Ov;
      BestNon = Non;
    }
  }
  return Choice;
}

int32_t TLWorldWin::IndexOfDim(const std::string& s) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (Items[static_cast<size_t>(i)]->sDim == s) return i;
  return -1;
}

std::unique_ptr<TStringList> TLWorldWin::DimList() const {
  auto L = std::make_unique<TStringList>();
  for (const auto& W : Items) L->Add(W->sDim);
  return L;
}

std::unique_ptr<TStringList> TLWorldWin::Report() const {
  auto L = std::make_unique<TStringList>();
  if (Items.empty()) return L;
  L->Add("N Ch Chain sOX sDim [P1 , P2] kOX PosOX Pos2 NMrk nnMk PDOX P2 MrkSz ScFun N kSpl");
  for (int32_t i = 0; i < Count(); ++i)
    L->Add(IntStr(i) + " " + Items[static_cast<size_t>(i)]->ReportLine());
  LineTabStrings(L.get(), 2);
  return L;
}

void TLWorldWin::ClearWin(int32_t i) {
  if (TWorldWin* W = GetWin(i)) W->Clear();
}

void TLWorldWin::ClearAll() {
  while (!Items.empty()) {
    Items.back()->Clear();
    Items.pop_back();
  }
}

// ---------------------------------------------------------------- plot areas

void TArrPlot::Init() {
  Owner = TAreaOwner::None;
  KPrev = 0;
  sChain = "0";
  ParentChain.clear();
  VRect = {0, 0, 1, 1};
  nx = ny = nt = NN = NXY = 1;
  tileX = tileY = 100;
  margX = margY = margX2 = margY2 = 0;
  timeT = 1000;
}

void TArrPlot::SetOwnerPlotter(int32_t k) {
  Owner = TAreaOwner::Plotter;
  KPrev = k;
  VRect = {0, 0, 1, 1};
  sChain = "0";
  ParentChain.clear();
}

void TArrPlot::SetOwnerArea(const TArrPlot& Parent, int32_t k) {
  const TRectRe R = Parent.TileRect(k);
  const std::string P = Parent.sChain;
  Owner = TAreaOwner::Area;
  KPrev = k;
  VRect = R;
  ParentChain = P;
  sChain = P + " " + IntStr(k);
}

std::string TArrPlot::OwnerClassName() const {
  switch (Owner) {
    case TAreaOwner::Plotter: return "TPLOTTER";
    case TAreaOwner::Area: return "TArrPlot";
    default: return "";
  }
}

bool TArrPlot::SetLayout(int32_t anx, int32_t any, int32_t ant, double atileX, double atileY,
                         double atimeT, double amargX, double amargY, double amargX2,
                         double amargY2) {
  if (anx == 0) anx = 1;
  if (any == 0) any = 1;
  if (ant == 0) ant = 1;
  if (!SetTiles(anx, any, ant)) return false;
  tileX = atileX;
  tileY = atileY;
  timeT = atimeT;
  margX = amargX;
  margY = amargY;
  margX2 = amargX2;
  margY2 = amargY2;
  return true;
}

bool TArrPlot::SetTiles(int32_t anx, int32_t any, int32_t ant) {
  const int64_t XY = int64_t(anx) * any, All = XY * ant;
  constexpr int64_t Max = std::numeric_limits<int32_t>::max();
  if (XY > Max || XY < -Max || All > Max || All < -Max) {
    PlotWarn("TArrPlot.SetLayout: слишком много плиток nx,ny,nt="_cp + IntStr(anx) + "," +
             IntStr(any) + "," + IntStr(ant) + ", раскладка не изменена!"_cp);
    return false;
  }
  nx = anx;
  ny = any;
  nt = ant;
  NXY = static_cast<int32_t>(XY);
  NN = static_cast<int32_t>(All);
  return true;
}

int32_t TArrPlot::TileCol(int32_t k) const { return nx == 0 ? 1 : ((k - 1) % nx) + 1; }

int32_t TArrPlot::TileRow(int32_t k) const {
  if (nx == 0 || ny == 0) return 1;
  return ((k - 1) / nx) % ny + 1;
}

TRectRe TArrPlot::TileRect(int32_t k) const {
  const int32_t c = TileCol(k), r = TileRow(k);
  const double W = VRect.X2 - VRect.X1, H = VRect.Y2 - VRect.Y1;
  const double fx = tileX / 100, fy = tileY / 100;
  const double tw = W / (fx * (nx - 1) + 1), th = H / (fy * (ny - 1) + 1);
  const double mL = margX / 100 / nx, mR = margX2 / 100 / nx;
  const double mB = margY / 100 / ny, mT = margY2 / 100 / ny;
  TRectRe R;
  R.X1 = VRect.X1 + mL + (c - 1) * tw * fx;
  R.X2 = R.X1 + tw - (mL + mR);
  R.Y1 = VRect.Y1 + mB + (r - 1) * th * fy;
  R.Y2 = R.Y1 + th - (mB + mT);
  return R;
}

TRectRe FracToPix(const TGRAF& G, const TRectRe& R) {
  const double PX = G.PagePixX, PY = G.PagePixY;
  return TRectRe{(PX - 1) * R.X1, PY - (PY - 1) * R.Y2, (PX - 1) * R.X2, PY - (PY - 1) * R.Y1};
}

TRectRe TArrPlot::TileRectPix(const TGRAF& G, int32_t k) const {
  return FracToPix(G, TileRect(k));
}

int32_t TArrPlot::TileAt(const TGRAF& G, double x, double y) const {
  for (int32_t k = 1; k <= NXY; ++k)
    if (PointInRectRe({x, y}, TileRectPix(G, k))) return k;
  return 0;
}

std::string TArrPlot::ReportLine() const {
  const std::string O = OwnerClassName();
  return "ArrPlot" + (O.empty() ? std::string(" ") : " Owner=" + O + " ") + " Chain<" + sChain +
         "> n5=" + IntStr(nx) + "," + IntStr(ny) + "," + IntStr(nt) + "," + IntStr(NN) + "," +
         IntStr(NXY);
}

namespace {
std::string RectText(const TRectRe& R) {
  return ShortSt(7, R.X1) + ".." + ShortSt(7, R.X2) + " , " + ShortSt(7, R.Y1) + ".." +
         ShortSt(7, R.Y2);
}
}  // namespace

std::unique_ptr<TStringList> TArrPlot::Report(const TGRAF* G) const {
  auto L = std::make_unique<TStringList>();
  const std::string O = OwnerClassName();
  L->Add("ArrPlot Owner" + (O.empty() ? std::string(" Not Assigned") : ".Name=" + O) +
         " KPrev=" + IntStr(KPrev));
  L->Add("sChain=<" + sChain + "> ViewField VRect=(" + RectText(VRect) + ")");
  L->Add("nx,ny,nt=" + IntStr(nx) + "," + IntStr(ny) + "," + IntStr(nt) + " (" + "NN,NXY=" +
         IntStr(NN) + "," + IntStr(NXY) + ")");
  L->Add("tileX,Y=" + ShortSt(7, tileX) + "," + ShortSt(7, tileY) + " ; margX,Y=" +
         ShortSt(7, margX) + "," + ShortSt(7, margY) + " ; timeT=" + ShortSt(7, timeT));
  L->Add(" ViewPortA(1)=(" + RectText(TileRect(1)) + ")");
  if (G) L->Add(" ViewPortP(1)=(" + RectText(TileRectPix(*G, 1)) + ")");
  return L;
}

std::unique_ptr<TStringList> LPlotReport(const TLPlot& L) {
  auto R = std::make_unique<TStringList>();
  if (L.empty()) {
    R->Add("Нет ни одного описателя в списке ArrPlot!"_cp);
    return R;
  }
  for (size_t i = 0; i < L.size(); ++i) R->Add(IntStr(int32_t(i + 1)) + " " + L[i]->ReportLine());
  return R;
}
