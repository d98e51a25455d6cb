#include "plotting/cvMapWin.h"

#include <cmath>
#include <limits>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvPLOT.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapView.h"
#include "scans/cvScanServices.h"

namespace {

TFIOut* MapOf(const std::string& Entry) {
  TLFIOut* R = LFIOOrNull();
  TFIOut* M = R ? R->FindByKey(Entry) : nullptr;
  return FIOutAssigned(M) ? M : nullptr;
}

bool ReadInt(TFITSMapCtls& T, const std::string& Name, int32_t& V) {
  std::string t;
  for (char c : T.Get(Name))
    if (c != ' ') t += c;
  int32_t code = 0;
  const int32_t v = ValIntCode(t, code);
  if (code != 0 || t.empty()) {
    WARNAbs("Неверное целое число <"_cp + t + "> в поле " + Name + "!");
    return false;
  }
  V = v;
  return true;
}

}  // namespace

std::string MapCountCaption() {
  int32_t n = 0, c = 0;
  const std::string e = GetLFOPItem(n, c);
  return e + " " + IntStr(n) + "(" + IntStr(c) + ")";
}

void TMapWinState::SetMapGeom(int32_t NX, int32_t NY, int32_t Width, int32_t Height) {
  MapNX = NX;
  MapNY = NY;
  MapW = Width;
  MapH = Height;
  PixX = NX > 0 ? Width / NX : 0;
  PixY = NY > 0 ? Height / NY : 0;
}

void TMapWinState::FitClientSize(int32_t NX, int32_t NY, double Scale, int32_t& W, int32_t& H) {
  W = static_cast<int32_t>(std::nearbyint(NX * Scale));
  // A picture 300 wide gets the 20 too (100 cells at scale 3 make a client 320 wide).
  if (W >= 300) W += 20;
  H = static_cast<int32_t>(std::nearbyint(NY * Scale)) + 20;
}

TFIOut* TMapWinState::CurrentMap() {
  auto& L = Scans().LFOP;
  if (!L) {
    WARNAbs("FMap.MapPlay Список LFOP Not Assigned!"_cp);
    return nullptr;
  }
  int32_t& Idx = Scans().LFOPIdx;
  if (Idx < 0 || Idx >= L->Count()) {
    WARNAbs("FMap.MapPlay iLFOP=" + IntStr(Idx) + " LFOP.Count=" + IntStr(L->Count()));
    return nullptr;
  }
  while (Idx < L->Count()) {
    if (TFIOut* M = MapOf((*L)[Idx])) return M;
    L->Delete(Idx);
  }
  WARNAbs("FMap.MapPlay в памяти нет активных карт!"_cp);
  return nullptr;
}

void TMapWinState::ShowCurrent() {
  TFIOut* M = CurrentMap();
  if (!M) return;
  TFITSMapCtls& T = FITSMapCtls();
  T.ShowFIOutInMap(*M);
  M->SetCursorXY();
  M->InfoToPanel();
  CurFOName = M->DisplayName();
  T.ShowFIOutRange(*M);
  if (SetCaption) SetCaption("Map " + MapCountCaption());
}

void TMapWinState::EmptyList() {
  Scans().LFOPIdx = -1;
  if (SetCaption) SetCaption("Map 0(0)");
}

int32_t TMapWinState::LiveFrom(int32_t I, int32_t Dir) {
  auto& L = Scans().LFOP;
  while (L->Count() > 0) {
    if (I < 0) I = L->Count() - 1;
    if (I >= L->Count()) I = 0;
    if (MapOf((*L)[I])) return I;
    L->Delete(I);
    if (Dir < 0) --I;  // stepping back: the entry before; forward: the next is now at I
  }
  return -1;
}

void TMapWinState::Prev() {
  auto& L = Scans().LFOP;
  if (!L || L->Count() == 0) return EmptyList();
  int32_t& Idx = Scans().LFOPIdx;
  const int32_t i = L->Count() < 2 ? -1 : LiveFrom(Idx - 1, -1);
  if (L->Count() == 0) return EmptyList();
  if (i < 0 || L->Count() < 2) {
    WARNAbs("Предыдущей карты нет"_cp);
    Idx = L->Count() - 1;
  } else {
    Idx = i;
  }
  ShowCurrent();
}

void TMapWinState::Next() {
  auto& L = Scans().LFOP;
  if (!L || L->Count() == 0) return EmptyList();
  int32_t& Idx = Scans().LFOPIdx;
  const int32_t i = L->Count() < 2 ? -1 : LiveFrom(Idx + 1, +1);
  if (L->Count() == 0) return EmptyList();
  if (i < 0 || L->Count() < 2) {
    WARNAbs("Другой карты нет"_cp);
    Idx = L->Count() - 1;
  } else {
    Idx = i;
  }
  ShowCurrent();
}

void TMapWinState::Del() {
  auto& L = Scans().LFOP;
  if (!L || L->Count() == 0) return;
  int32_t& Idx = Scans().LFOPIdx;
  if (Idx < 0 || Idx >= L->Count()) {
    WARNAbs("Неверно был задан номер текущей карты!"_cp);
    Idx = L->Count() - 1;
    ShowCurrent();
    return;
  }
  L->Delete(Idx);
  const int32_t i = L->Count() > 0 ? LiveFrom(Idx - 1, -1) : -1;
  if (i < 0) return EmptyList();
  Idx = i;
  ShowCurrent();
}

void TMapWinState::MouseMove(int32_t X, int32_t Y) {
  MouseX = X;
  MouseY = Y;
  if (PixX <= 0 || PixY <= 0) return;  // no map shown yet
  CellX = X / PixX;
  CellY = MapNY - (Y / PixY) - 1;
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("lbMapIX", IntStr(CellX));
  T.Set("lbMapIY", IntStr(CellY));
}

void TMapWinState::Click() {
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("edFITSiX", IntStr(CellX));
  T.Set("edFITiX", IntStr(CellX));
  T.Set("edFITSiY", IntStr(CellY));
  T.Set("edFITiY", IntStr(CellY));
}

void TMapWinState::XY1() {
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("ed_IX1", IntStr(CellX));
  T.Set("edRectX1", IntStr(CellX));
  T.Set("ed_IY1", IntStr(CellY));
  T.Set("edRectY1", IntStr(CellY));
}

void TMapWinState::XY2() {
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("ed_IX2", IntStr(CellX));
  T.Set("edRectX2", IntStr(CellX));
  T.Set("ed_IY2", IntStr(CellY));
  T.Set("edRectY2", IntStr(CellY));
}

void TMapWinState::XY00() {
  TFITSMapCtls& T = FITSMapCtls();
  for (const char* N : {"ed_IX1", "ed_IX2", "ed_IY1", "ed_IY2"}) T.Set(N, "0");
}

void TMapWinState::Square() {
  TFITSMapCtls& T = FITSMapCtls();
  int32_t sx = 0, sy = 0;
  if (!ReadInt(T, "edSquareX", sx) || !ReadInt(T, "edSquareY", sy)) return;
  const int64_t x1 = int64_t(CellX) - sx, x2 = int64_t(CellX) + sx;
  const int64_t y1 = int64_t(CellY) - sy, y2 = int64_t(CellY) + sy;
  constexpr int64_t Lo = std::numeric_limits<int32_t>::min(), Hi = std::numeric_limits<int32_t>::max();
  for (int64_t v : {x1, x2, y1, y2})
    if (v < Lo || v > Hi) {
      WARNAbs("Square: границы области (" + IntStr(CellX) + "±" + IntStr(sx) + ", " +
              IntStr(CellY) + "±" + IntStr(sy) + ") не помещаются в целые числа!"_cp);
      return;
    }
  T.Set("ed_IX1", I64Str(x1));
  T.Set("ed_IX2", I64Str(x2));
  T.Set("ed_IY1", I64Str(y1));
  T.Set("ed_IY2", I64Str(y2));
}

void TMapWinState::Profile(const std::string& ComponentName) {
  if (!FITSMapCtls().PrepPictPlotter()) return;
  TFIOut* M = CurrentMap();
  if (!M) {
    WARNAbs("Текущая карта не задана!"_cp);
    return;
  }
  if (M->kLoad < 2 || static_cast<int32_t>(M->aData.Rows()) != M->nX ||
      static_cast<int32_t>(M->aData.Cols()) != M->nY) {
    WARNAbs("FMap " + ComponentName + ": карта " + M->Name + " не загружена!"_cp);
    return;
  }
  const bool AlongX = ComponentName.find('X') != std::string::npos;
  const bool Mean = ComponentName.find("Mean") != std::string::npos;
  const int32_t cx = M->ixFocus, cy = M->iyFocus;
  if (!Mean && (AlongX ? (cy < 0 || cy >= M->nY) : (cx < 0 || cx >= M->nX))) {
    WARNAbs("FMap " + ComponentName + ": выбранная точка (" + IntStr(cx) + "," + IntStr(cy) +
            ") вне карты!"_cp);
    return;
  }
  const int32_t n = AlongX ? M->nX : M->nY;
  TARe AX(static_cast<size_t>(n) + 1, 0.0), AY(static_cast<size_t>(n) + 1, 0.0);
  const TAR4R4Flat& D = M->aData;
  for (int32_t i = 1; i <= n; ++i) {
    AX[static_cast<size_t>(i)] = i - 1;
    double v = 0;
    if (!Mean) {
      v = AlongX ? D[static_cast<size_t>(i - 1)][static_cast<size_t>(cy)]
                 : D[static_cast<size_t>(cx)][static_cast<size_t>(i - 1)];
    } else if (AlongX) {
      for (int32_t j = 0; j < M->nY; ++j) v += D[static_cast<size_t>(i - 1)][static_cast<size_t>(j)];
      v /= M->nY;
    } else {
      for (int32_t j = 0; j < M->nX; ++j) v += D[static_cast<size_t>(j)][static_cast<size_t>(i - 1)];
      v /= M->nX;
    }
    AY[static_cast<size_t>(i)] = v;
  }
  const std::string Kind = std::string(Mean ? "Mean" : "Cut") + (AlongX ? "X" : "Y");
  MapGraph(Kind + "(" + M->Name + ")", AX, AY, 1);
  TPLOTTER* P = Plotter ? Plotter : PLOTTER;
  if (P) P->PlayOnce();
}

void TMapWinState::MapGraph(const std::string& Name, const TARe& AX, const TARe& AY,
                            int32_t TileIndex) {
  TPLOTTER* P = Plotter ? Plotter : PLOTTER;
  if (!P) return;
  P->NewGraph(AX, AY, TileIndex, 0, "-.K", Name + "(X)", "X", Name, "X-pixel", "AnyVal");
}
