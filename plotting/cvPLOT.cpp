// The plotter: binding, plot areas, the graph list, adding and replacing graphs, world-window
// bookkeeping and the replay.
#include "plotting/cvPLOT.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

TPLOTTER* PLOTTER = nullptr;

void PlotterUnitInit() {
  if (!GRAF) {
    TGRAF& G = EnsureGRAF();
    G.SizeInInches = 0;
    G.Shade = false;
  }
  if (PLOTTER) PLOTTER->Init(GRAF);
  else PLOTTER = new TPLOTTER(GRAF);
}

void FreePLOTTER() {
  delete PLOTTER;
  PLOTTER = nullptr;
}

namespace {

std::string Words(const std::string& ID, int32_t From, int32_t To) {
  std::string S;
  for (int32_t i = From; i <= To; ++i) S += (S.empty() ? "" : " ") + WordN(ID, i);
  return S;
}

TRangeRe Extent(const TARe& A, int32_t N) {
  double Lo = A[1], Hi = A[1];
  for (int32_t i = 2; i <= N; ++i) {
    Lo = std::min(Lo, A[static_cast<size_t>(i)]);
    Hi = std::max(Hi, A[static_cast<size_t>(i)]);
  }
  if (Lo == Hi) {
    const double d = 0.01 * std::fabs(Lo);
    if (Lo == 0) return {-0.01, 0.01};
    return {Lo - d, Hi + d};
  }
  return {Lo, Hi};
}

uint8_t Shift(uint32_t C, int Byte, int S) {
  return static_cast<uint8_t>((static_cast<int>((C >> (8 * Byte)) & 0xFF) + S + 256) % 256);
}

}  // namespace

TPLOTTER::TPLOTTER(TGRAF* Device) {
  Playing = false;
  Init(Device);
}

// ---------------------------------------------------------------- life

void TPLOTTER::Init(TGRAF* Device) {
  if (Playing) {
    PlotWarn("Вызвали PLOTTER.Init в момент, пока проигрывается график!"_cp);
    return;
  }
  if (!Device) PlotWarn("TPLOTTER.Init Err нарушен порядок вызова cvGRAD и cvPLOT"_cp);
  Gra = Device;
  GraId = 1000;
  if (!LPlot) LPlot = std::make_unique<TLPlot>();
  if (InitArea_) InitArea_->Init();
  else InitArea_ = std::make_unique<TArrPlot>();
  InitArea_->SetOwnerPlotter(1);
  ArrPlotNo_ = 0;
  if (!LWorldWin) LWorldWin = std::make_unique<TLWorldWin>();
  bkColor = 0xFFFFFF;
  AutoDelOnPicModify = false;
  Playing = false;
}

void TPLOTTER::INIG(platform::TCanvas* Canvas, const std::string& FormClass, TPlotHost* Form,
                    double Size) {
  if (!Gra) {
    PlotWarn("GraViewer.INIG Err \"Gra\" Not Assigned!");
    return;
  }
  Ready = ReadyMark;
  Gra->INIGCanvas(Canvas, Size);
  GraId = Gra->GetIdRun();
  Gra->SetOwner(FormClass);
  Window = Form;
  if (FormClass == "TFPict") {
    Win().SetPlotterOn(true);
    Win().SetBlinkTimer(true);
  }
}

void TPLOTTER::Reset() {
  Ready = 0;
  if (LWorldWin) LWorldWin->ClearAll();
  LWorldWin.reset();
  LPlot.reset();
  if (ArrPlotNo_ > 0) ArrPlotNo_ = -1;
  Gra = nullptr;
}

void TPLOTTER::ClearDevice() {
  if (!Gra) return;
  Gra->SetBkColor(bkColor);
  Gra->ClearG();
}

void TPLOTTER::Hide() {
  ClearDevice();
  if (OwnerIsPict()) {
    Win().SetPlotterOn(false);
    Win().SetBlinkTimer(false);
    Win().HideWindow();
  }
  if (Gra) Gra->ENDG();
}

void TPLOTTER::ClearAll() {
  if (!Gra || Gra->OnRun != TGRAF::RunMark) return;
  if (OwnerIsPict()) {
    Win().SetCaption("CV Picture");
    Win().SetPlotterOn(false);
  }
  if (!LGraph) return;
  if (!LGraph->empty()) {
    while (!LGraph->empty()) {
      std::unique_ptr<TOneGraph> G = std::move(LGraph->back());
      LGraph->pop_back();
      FreeGraph(*G);
    }
    if (LPlot)
      while (!LPlot->empty()) LPlot->pop_back();
    CurPictNo_ = 0;
    ArrPlotNo_ = -1;
    return;
  }
  Hide();
  Reset();
}

// ---------------------------------------------------------------- plot areas

TArrPlot* TPLOTTER::ArrPlot() {
  if (ArrPlotNo_ == 0) return InitArea_.get();
  if (ArrPlotNo_ > 0 && LPlot && ArrPlotNo_ <= static_cast<int32_t>(LPlot->size()))
    return (*LPlot)[static_cast<size_t>(ArrPlotNo_ - 1)].get();
  return nullptr;
}

void TPLOTTER::SetArrPlot(TArrPlot* A) {
  ArrPlotNo_ = -1;
  if (!A) return;
  if (A == InitArea_.get()) {
    ArrPlotNo_ = 0;
    return;
  }
  if (LPlot)
    for (size_t i = 0; i < LPlot->size(); ++i)
      if ((*LPlot)[i].get() == A) ArrPlotNo_ = static_cast<int32_t>(i + 1);
}

TArrPlot* TPLOTTER::ArrPlotByID(const std::string& ID) {
  if (!LPlot) return nullptr;
  for (auto& A : *LPlot)
    if (A->sChain == ID) return A.get();
  return nullptr;
}

TArrPlot* TPLOTTER::FindArrPlot(const std::string& ID) {
  if (!LPlot) {
    PlotWarn("PLOTTER.FindArrPlot Список ArrPlot LPlot not Assigned!"_cp);
    return ArrPlot();
  }
  if (TArrPlot* A = ArrPlotByID(ID)) return A;
  std::string S = "PLOTTER.FindArrPlot Область вывода с ID=<"_cp + ID + "> " +
                  "не найдена. Список областей вывода:"_cp + "\n\r" + "<";
  for (auto& A : *LPlot) S += A->sChain + " / ";
  PlotWarn(S + ">");
  return ArrPlot();
}

TArrPlot* TPLOTTER::AddArrPlot(const std::string& aID, int32_t Place, int32_t nx, int32_t ny,
                               int32_t nt, double margX, double margY, double margX2,
                               double margY2, double tileX, double tileY, double timeT) {
  std::string ID = TrimCtl(aID);
  if (ID.empty()) ID = "0";
  // A layout that cannot be kept changes nothing.
  TArrPlot Probe;
  if (!Probe.SetLayout(nx, ny, nt, tileX, tileY, timeT, margX, margY, margX2, margY2))
    return nullptr;
  auto A = std::make_unique<TArrPlot>();
  if (ID == "0") {
    LPlot = std::make_unique<TLPlot>();
    if (ArrPlotNo_ > 0) ArrPlotNo_ = -1;
    A->SetOwnerPlotter(Place);
  } else {
    if (!LPlot) LPlot = std::make_unique<TLPlot>();
    const int32_t NW = WordCount(ID);
    const std::string Parent = NW > 1 ? Words(ID, 1, NW - 1) : ID;
    if (TArrPlot* P = FindArrPlot(Parent)) A->SetOwnerArea(*P, Place);
  }
  A->SetLayout(nx, ny, nt, tileX, tileY, timeT, margX, margY, margX2, margY2);
  A->sChain = ID;
  LPlot->push_back(std::move(A));
  ArrPlotNo_ = static_cast<int32_t>(LPlot->size());
  kXY = 1;
  kT = 0;
  return LPlot->back().get();
}

void TPLOTTER::SyncCurArrPlot() {
  kLayOut = 1;
  TArrPlot* A = ArrPlot();
  if (!A || !LPlot) return;
  for (size_t i = 0; i < LPlot->size(); ++i)
    if ((*LPlot)[i]->sChain == A->sChain) {
      kLayOut = static_cast<int32_t>(i + 1);
      return;
    }
}

void TPLOTTER::SelArrPlot() {
  if (LPlot && !LPlot->empty()) {
    if (kLayOut == 0) kLayOut = 1;
    if (kLayOut >= 1 && kLayOut <= static_cast<int32_t>(LPlot->size())) {
      ArrPlotNo_ = kLayOut;
      return;
    }
  }
  ArrPlotNo_ = -1;
}

bool TPLOTTER::CheckArrPlot() {
  if (!Gra || Gra->OwnerName.empty()) {
    PlotWarn("PLOTTER.CheckArrPlot Gra.Owner Not Assigned!");
    return false;
  }
  if (Gra->OwnerName != "TFPict") {
    PlotWarn("PLOTTER.CheckArrPlot Gra.Owner.ClassName = <" + Gra->OwnerName +
             ">, Must Be <TFPict>!");
    return false;
  }
  if (ArrPlotByID("0")) return true;
  double mX, mY, mX2, mY2, tX, tY;
  if (!Tools->GetMargins(mX, mY, mX2, mY2, tX, tY)) return false;
  return AddArrPlot("0", 1, 1, 1, 0, mX, mY, mX2, mY2, tX, tY, 100) != nullptr;
}

// ---------------------------------------------------------------- graphs

TOneGraph* TPLOTTER::Graph(int32_t n) {
  if (!LGraph || n < 1 || n > GraphCount()) return nullptr;
  return (*LGraph)[static_cast<size_t>(n - 1)].get();
}

TOneGraph* TPLOTTER::CurPict() { return Graph(CurPictNo_); }

void TPLOTTER::SetCurPic(int32_t n) {
  if (n < 1) {
    k = 0;
    CurPictNo_ = 0;
    return;
  }
  k = n > GraphCount() ? 1 : n;
  CurPictNo_ = k;
}

bool TPLOTTER::ChkCurPic() {
  if (Ready != ReadyMark || k < 1 || !LGraph || LGraph->empty()) return false;
  if (k > GraphCount()) {
    k = 1;
    return false;
  }
  CurPictNo_ = k;
  const TOneGraph* G = Graph(k);
  if (!G) {
    PlotWarn("PLOTTER.ChkCurPic ER: График "_cp + IntStr(k) + " в списке LGraph равен NIL!"_cp);
    return false;
  }
  if (G->Chain.empty()) {
    PlotWarn("PLOTTER.ChkCurPic ER: для графика "_cp + IntStr(k) +
             " в списке LGraph равен не задан sChain!"_cp);
    return false;
  }
  return true;
}

int32_t TPLOTTER::kPicByTitle(const std::string& Title) {
  if (!LGraph) {
    PlotWarn("PLOTTER.kPicByTitle<" + Title + "> список графиков LGraph Not Assigned!"_cp);
    return 0;
  }
  return FindPicByTitle(Title);
}

int32_t TPLOTTER::FindPicByTitle(const std::string& Title) const {
  if (!LGraph) return 0;
  for (size_t i = 0; i < LGraph->size(); ++i)
    if ((*LGraph)[i]->Name == Title) return static_cast<int32_t>(i + 1);
  return 0;
}

void TPLOTTER::FreeGraph(TOneGraph& G) {
  const int32_t wx = G.WinX, wy = G.WinY;
  G.Clear();
  FreeWWIfUnused(wx);
  if (wy != wx) FreeWWIfUnused(wy);
}

void TPLOTTER::DelCurPic() {
  if (!ChkCurPic()) return;
  std::unique_ptr<TOneGraph> G = std::move((*LGraph)[static_cast<size_t>(k - 1)]);
  LGraph->erase(LGraph->begin() + (k - 1));
  FreeGraph(*G);
  if (LGraph->empty() || k > GraphCount()) k = GraphCount();
  CurPictNo_ = k;
  if (Gra && Gra->OnRun == TGRAF::RunMark) Gra->ClearView();
  Tools->ToolsRefresh();
  PlayOnce();
}

int32_t TPLOTTER::DelPicByTitle(const std::string& Title) {
  const int32_t n = kPicByTitle(Title);
  if (n > 0) {
    k = n;
    CurPictNo_ = n;
    DelCurPic();
  }
  return n;
}

void TPLOTTER::DelPic(int32_t n) {
  const int32_t Old = k;
  k = n;
  DelCurPic();
  k = Old - (n < Old ? 1 : 0);
  k = std::min(k, GraphCount());
  if (k >= 1) CurPictNo_ = k;
  else CurPictNo_ = 0;
}

void TPLOTTER::ShowOnlyCurPic() {
  for (int32_t i = 1; i <= GraphCount(); ++i) Graph(i)->QViz = (i == k);
}

void TPLOTTER::ShowFrameGraphs() {
  for (int32_t i = 1; i <= GraphCount(); ++i) {
    TOneGraph& G = *Graph(i);
    if (G.TimeIndex == kT) G.QViz = true;
    else if (G.TimeIndex != 0) G.QViz = false;
  }
}

void TPLOTTER::MultNext() {
  ++kT;
  if (TArrPlot* A = ArrPlot()) A->nt = std::max(A->nt, kT);
}

void TPLOTTER::AddGraph(const TARe& AX, const TARe& AY, const TARe* Weights, int32_t TileIndex,
                        int32_t TimeIndex, const std::string& LineFormat,
                        const std::string& Title, const std::string& AxisNameX,
                        const std::string& AxisNameY, const std::string& DimX,
                        const std::string& DimY) {
  SelArrPlot();
  TArrPlot* Area = ArrPlot();
  if (!Area) {
    PlotWarn("PLOTTER.AddGraph Текущая область вывода не задана! (ArrPlot not Assigned)"_cp);
    return;
  }
  const int32_t L = static_cast<int32_t>(AX.size());
  if (L <= 1) {
    PlotWarn("PLOTTER.AddGraph-ERR: число точек графика <"_cp + Title + "> = " + IntStr(L));
    return;
  }
  auto G = std::make_unique<TOneGraph>();
  G->Curv(AX, AY, LineFormat, TileIndex, Weights);
  G->TimeIndex = TimeIndex;
  G->Chain = Area->sChain;
  const TRangeRe XE = Extent(G->AX, G->N), YE = Extent(G->AY, G->N);
  if (!Title.empty()) G->Name = Title;
  else if (!(AxisNameX + AxisNameY).empty()) G->Name = AxisNameY + "(" + AxisNameX + ")";
  else G->Name = "График"_cp;
  G->OXName = AxisNameX;
  G->OYName = AxisNameY;
  G->YTitle = G->Name.compare(0, 3, "<Y>") == 0;
  if (!LWorldWin) LWorldWin = std::make_unique<TLWorldWin>();
  auto Choose = [&](char Kind, int32_t Next, TRangeRe E, const std::string& Dim,
                    const std::string& AxisName) {
    int32_t w = Next > 0 && LWorldWin->GetWin(Next) ? Next : 0;
    if (w == 0) w = LWorldWin->FindWin(Kind, E, Dim);
    if (w == 0) w = LWorldWin->NewWin();
    TWorldWin& W = *LWorldWin->GetWin(w);
    if (W.Kind == 0) {
      W.Kind = Kind;
      W.Chain = G->Chain;
      W.sOX = AxisName.empty() ? std::string(1, Kind) : AxisName;
      W.sDim = Dim;
      W.P1 = E.Lo;
      W.P2 = E.Hi;
    }
    return w;
  };
  G->WinX = Choose('X', NextWWX, XE, DimX, AxisNameX);
  G->WinY = Choose('Y', NextWWY, YE, DimY, AxisNameY);
  if (!LGraph) LGraph = std::make_unique<TLGraph>();
  LGraph->push_back(std::move(G));
  k = GraphCount();
  CurPictNo_ = k;
  NextWWX = NextWWY = 0;
  LastWWX = LGraph->back()->WinX;
  LastWWY = LGraph->back()->WinY;
  Tools->ToolsRefresh();
}

void TPLOTTER::UpDateGraphByTitle(const TARe& AX, const TARe& AY, int32_t TileIndex,
                                  int32_t TimeIndex, const std::string& LineFormat,
                                  const std::string& Title, const std::string& AxisNameX,
                                  const std::string& AxisNameY, const std::string& DimX,
                                  const std::string& DimY) {
  Update(true, AX, AY, TileIndex, TimeIndex, LineFormat, Title, AxisNameX, AxisNameY, DimX, DimY);
}

void TPLOTTER::UpDateCurGraph(const TARe& AX, const TARe& AY, int32_t TileIndex,
                              int32_t TimeIndex, const std::string& LineFormat,
                              const std::string& Title, const std::string& AxisNameX,
                              const std::string& AxisNameY, const std::string& DimX,
                              const std::string& DimY) {
  if (!ChkCurPic()) {
    AddGraph(AX, AY, nullptr, TileIndex, TimeIndex, LineFormat, Title, AxisNameX, AxisNameY,
             DimX, DimY);
    return;
  }
  Update(false, AX, AY, TileIndex, TimeIndex, LineFormat, Title, AxisNameX, AxisNameY, DimX,
         DimY);
}

void TPLOTTER::Update(bool ByTitle, const TARe& AX, const TARe& AY, int32_t TileIndex,
                      int32_t TimeIndex, const std::string& LineFormat, const std::string& Title,
                      const std::string& AxisNameX, const std::string& AxisNameY,
                      const std::string& aDimX, const std::string& aDimY) {
  const int32_t k0 = k;
  const int32_t d = ByTitle ? FindPicByTitle(Title) : k;
  // Whether a graph can be added is known before anything is deleted.
  if (AX.size() != AY.size())
    ErrAbs("OneGraph.Curv length(AX)=" + IntStr(static_cast<int32_t>(AX.size())) +
           " <> length(AY)=" + IntStr(static_cast<int32_t>(AY.size())) + " !");
  if (AX.size() <= 1 || !CheckArrPlot()) {
    PlotWarn("PLOTTER.UpDateGraph: график <"_cp + Title +
             "> не добавлен, список графиков не изменён!"_cp);
    return;
  }
  int32_t Tile = TileIndex, Time = TimeIndex;
  std::string Fmt = LineFormat, NX = AxisNameX, NY = AxisNameY, DimX = aDimX, DimY = aDimY;
  bool IAUsed = false, IBUsed = false;
  int32_t IA = 0, IB = 0;
  if (d > 0) {
    const TOneGraph& G = *Graph(d);
    SetArrPlot(FindArrPlot(G.Chain));
    SyncCurArrPlot();
    Tile = G.nXnY_Index;
    Time = G.TimeIndex;
    Fmt = G.CurvShowFormat;
    NX = G.OXName;
    NY = G.OYName;
    IAUsed = G.IAUsed;
    IBUsed = G.IBUsed;
    IA = G.IA;
    IB = G.IB;
    auto Dim = [&](std::string& New, int32_t w, const char* Axis) {
      const TWorldWin* W = LWorldWin ? LWorldWin->GetWin(w) : nullptr;
      const std::string Old = W ? W->sDim : "";
      if (New.empty()) New = Old;
      if (!Old.empty() && New != Old)
        PlotWarn("UpDateGraph Err размерность "_cp + Axis + " старая="_cp + Old + " новая="_cp +
                 New);
    };
    Dim(DimX, G.WinX, "X");
    Dim(DimY, G.WinY, "Y");
    NextWWX = G.WinX;
    NextWWY = G.WinY;
    DelPic(d);
  }
  if (kLayOut == 0) SyncCurArrPlot();
  const int32_t Before = GraphCount();
  AddGraph(AX, AY, nullptr, Tile, Time, Fmt, Title, NX, NY, DimX, DimY);
  if (GraphCount() == Before) return;
  const int32_t p = d > 0 ? d : GraphCount();
  if (p < GraphCount()) {
    auto G = std::move(LGraph->back());
    LGraph->pop_back();
    LGraph->insert(LGraph->begin() + (p - 1), std::move(G));
  }
  if (d > 0) {
    TOneGraph& G = *Graph(p);
    G.IAUsed = IAUsed;
    G.IBUsed = IBUsed;
    G.IA = IA;
    G.IB = IB;
  }
  if (k0 > 0 && k0 <= GraphCount()) {
    k = k0;
    CurPictNo_ = k0;
    if (k0 == p) Graph(p)->ToPicTool(*Tools, Win(), *LWorldWin);
  }
}

// ---------------------------------------------------------------- world windows

void TPLOTTER::FreeWWIfUnused(int32_t n) {
  if (!LWorldWin || n < 1 || n >= LWorldWin->Count()) return;
  if (n == NextWWX || n == NextWWY) return;
  for (int32_t i = 1; i <= GraphCount(); ++i)
    if (Graph(i)->WinX == n || Graph(i)->WinY == n) return;
  LWorldWin->ClearWin(n);
}

void TPLOTTER::CountWWUse() {
  if (!LWorldWin) return;
  for (int32_t i = 1; i < LWorldWin->Count(); ++i)
    LWorldWin->GetWin(i)->NUse = LGraph ? CountGraphsOnWin(*LGraph, i) : 0;
}

void TPLOTTER::ClearWWDims() {
  if (!LWorldWin) return;
  for (int32_t i = 1; i < LWorldWin->Count(); ++i) LWorldWin->GetWin(i)->sDim.clear();
  Tools->ToolsRefresh();
}

// ---------------------------------------------------------------- replay

void TPLOTTER::Play() {
  if (!Gra) {
    PlotWarn("PLOTTER.Play Поле вывода объект \"Gra\" Not Assigned!"_cp);
    return;
  }
  if (!Gra->TargetCanvas) {
    PlotWarn("PLOTTER.Play Канва поля вывода \"Gra.Canvas\" Not Assigned!"_cp);
    return;
  }
  if (OwnerIsPict() && Win().Minimized()) return;
  if (Gra->OnRun != TGRAF::RunMark) {
    Hide();
    return;
  }
  if (!LGraph) {
    PlotWarn("PLOTTER.Play Ни один график не описан (LGraph Not Assigned)!"_cp);
    return;
  }
  if (LGraph->empty()) {
    PlotWarn("PLOTTER.Play Ни один график не описан (LGraph.Count = 0)!"_cp);
    return;
  }
  TGRAF& G = *Gra;
  G.ShadeOn();
  G.SetBkColor(bkColor);
  G.ClearG();
  if (!LPlot)
    PlotWarn("PLOTTER.Play Список областей вывода ArrPlot не задан: (LPlot Not Assigned)!"_cp);
  if (!ArrPlot())
    PlotWarn("PLOTTER.Play Текущая область вывода не задана (ArrPlot Not Assigned)!"_cp);
  if (!LWorldWin) LWorldWin = std::make_unique<TLWorldWin>();
  const TArrPlot Unit;
  auto SetTile = [&](const TOneGraph& Gr) {
    TArrPlot* A = LPlot ? FindArrPlot(Gr.Chain) : ArrPlot();
    SetArrPlot(A);
    G.VIPO10Rect((A ? *A : Unit).TileRect(Gr.nXnY_Index));
  };
  const int32_t Phase = OwnerIsPict() ? Win().BlinkPhase() : 1;
  const int32_t h = (Phase - 1) % 2;
  NDrawn = 0;
  for (int32_t i = 1; i <= GraphCount(); ++i) {
    TOneGraph& Gr = *Graph(i);
    CurPictNo_ = i;
    if (!Gr.QViz || (Gr.TimeIndex != 0 && Gr.TimeIndex != kT)) continue;
    ++NDrawn;
    SetTile(Gr);
    const TRangeRe X = Gr.XRange(*LWorldWin), Y = Gr.YRange(*LWorldWin);
    G.WINDOW(X.Lo, X.Hi, Y.Lo, Y.Hi);
    G.MarkCh = Gr.MarkCh;
    G.CurColor = Gr.Color1;
    G.PixBold = '1';
    if (i == k) {
      if (Gr.IAUsed && Gr.IA > Gr.N) Gr.IA = 0;
      if (Gr.IA > 0 && Gr.IA <= Gr.N) {
        G.MarkCh = 'o';
        G.MarkSize = (h + 1) * 0.35;
        G.DrawMarker(Gr.AX[static_cast<size_t>(Gr.IA)], Gr.AY[static_cast<size_t>(Gr.IA)]);
      }
      if (Gr.IBUsed && Gr.IB > Gr.N) Gr.IB = 0;
      if (Gr.IB > 0 && Gr.IB <= Gr.N) {
        static const char kFulcrum[] = "+x*.";
        G.MarkCh = kFulcrum[std::clamp(Phase, 1, 4) - 1];
        G.MarkSize = 0.7;
        G.DrawMarker(Gr.AX[static_cast<size_t>(Gr.IB)], Gr.AY[static_cast<size_t>(Gr.IB)]);
      }
      if (CurPictHighLight) {
        static const int kShift[] = {0, 0, 64, 128, 196};
        const int s = kShift[std::clamp(Phase, 1, 4)];
        const uint32_t C = G.CurColor;
        G.CurColor = Shift(C, 0, s) | Shift(C, 1, s) << 8 | uint32_t(Shift(C, 2, -s)) << 16;
        const std::string B = Tools->PixBoldText();
        G.PixBold = B.empty() ? '1' : B[0];
      }
    }
    if (i == k_Compare && ComparePictHighLight) {
      if (Phase == 2 || Phase == 4) G.CurColor = G.BackColor;
      G.PixBold = '5';
    }
    G.Dash = Gr.Dash;
    G.MarkCh = Gr.MarkCh;
    G.LinkPhase = 0;
    G.MarkSize = Gr.MarkSize;
    G.CURVDefault(&Gr.AX, &Gr.AY);
  }
  TGRIDER& Grid = G.EnsureGrider();
  G.PixBold = '1';
  for (int32_t w = 1; w < LWorldWin->Count(); ++w) {
    TWorldWin& W = *LWorldWin->GetWin(w);
    if (W.kOX <= 0) continue;
    if (W.NMrk == 0) {
      PlotWarn("PLAY0-ERR WW.NMrk=0 I=" + IntStr(w) + " Count=" + IntStr(LWorldWin->Count()) +
               "\r\n" + "XY=<" + (W.Kind ? std::string(1, W.Kind) : "#0") + "> sOX=" + W.sOX);
      W.NMrk = 5;
    }
    if (W.Kind != 'X' && W.Kind != 'Y') continue;
    const bool IsX = W.Kind == 'X';
    Grid.ClearFlags();
    for (int32_t i = 1; i <= GraphCount(); ++i) {
      const TOneGraph& Gr = *Graph(i);
      if ((IsX ? Gr.WinX : Gr.WinY) != w || !Gr.QViz) continue;
      if (Gr.TimeIndex != 0 && Gr.TimeIndex != kT) continue;
      SetTile(Gr);
      auto Side = [&](int32_t P) {
        return IsX ? (P < 0 ? 'D' : P == 0 ? 'N' : 'U') : (P < 0 ? 'L' : P == 0 ? 'N' : 'R');
      };
      if (IsX) {
        G.WINDOW(W.P1, W.P2, 0, 1);
        Grid.SetOX(W.NMrk, Side(W.PDOX), W.P1, W.P2, W.PosOX, W.MrkSz);
      } else {
        G.WINDOW(0, 1, W.P1, W.P2);
        Grid.SetOY(W.NMrk, Side(W.PDOX), W.P1, W.P2, W.PosOX, W.MrkSz);
      }
      Grid.Draw();
      if (W.Pos2 != 2) {
        if (IsX) Grid.SetOX(W.NMrk, Side(W.PDOX2), W.P1, W.P2, W.Pos2, W.MrkSz);
        else Grid.SetOY(W.NMrk, Side(W.PDOX2), W.P1, W.P2, W.Pos2, W.MrkSz);
        Grid.Draw();
      }
    }
  }
  CurPictNo_ = k >= 1 && k <= GraphCount() ? k : 0;
  G.ShadeFlush();
  Win().PictureChanged();
}

void TPLOTTER::PlayOnce() {
  if (Playing) return;
  struct TClear {
    bool& Flag;
    ~TClear() { Flag = false; }
  } Clear{Playing};
  Playing = true;
  Play();
}
