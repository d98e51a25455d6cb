// The picture window's decisions: switching the plotter on and off, picking, panning, the
// wheel, the keys, blinking, film frames and the popup menu.
#include "plotting/cvPictState.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"

namespace {
std::string B01(bool v) { return v ? "1" : "0"; }
}  // namespace

const char* MoveKindItem(int32_t Mode) {
  static const char* const Items[] = {"Push All", "Touch Segment", "Hit point", "Lever revolve",
                                      "Bent Side"};
  return Mode >= 0 && Mode <= 4 ? Items[Mode] : "";
}

TPictState::TPictState(TPLOTTER*& Plotter, TPictWin& Win) : P(Plotter), W(Win) {}

TPlotHost& TPictState::ToolHost() {
  return Tool ? static_cast<TPlotHost&>(*Tool) : StandInPlotHost();
}

void TPictState::ToolPut(const std::string& Name, const std::string& Value) {
  ToolHost().ToolSet({{Name, Value}});
}

std::string TPictState::ToolValue(const std::string& Name) { return ToolHost().ToolGet(Name); }

void TPictState::Refresh() {
  if (P) P->ToolsRefresh();
}

void TPictState::SetBlinkTimer(bool E) {
  BlinkTimerOn = E;
  W.SetBlinkTimer(E);
}

void TPictState::ToolSet(const TCtlValues& Values) {
  TCtlValues Items, Rest;
  for (const auto& KV : Values) (KV.first.compare(0, 2, "MG") == 0 || KV.first.compare(0, 1, "M") == 0
                                     ? Items
                                     : Rest)
                                    .push_back(KV);
  for (const auto& [k, v] : Items) Menu[k] = v;
  if (!Items.empty()) W.MenuSet(Items);
  if (!Rest.empty() && Tool) Tool->ToolSet(Rest);
}

std::string TPictState::MainGet(const std::string& Name) { return ToolHost().MainGet(Name); }
void TPictState::MainSet(const TCtlValues& Values) { ToolHost().MainSet(Values); }

// ---------------------------------------------------------------- on and off

void TPictState::RestartPlotter() {
  if (PlotterOn) return;
  if (!P) {
    PlotWarn("ПЕРЕЗАПУСК Системы PLOTTER!"_cp);
    PlotterUnitInit();
    return;
  }
  if (P->Ready != TPLOTTER::ReadyMark) {
    P->Reset();
    P->Init(GRAF);
    SetBlinkTimer(PlotterOn);
  }
  if (!P->Gra) {
    PlotWarn("Система PLOTTER не инициирована!"_cp);
    PlotterOn = false;
    SetBlinkTimer(false);
    return;
  }
  if (P->Gra->OnRun != TGRAF::RunMark) {
    PlotterOn = false;
    SetBlinkTimer(false);
    return;
  }
  // The device takes the window's present size (it may have changed while off).
  W.Rebind();
  PlotterOn = true;
  SetBlinkTimer(true);
  if (P->GraphCount() > 0) P->PlayOnce();
  ToolPut("btShowPic.Hint", "Выключить \"PLOTTER\""_cp);
}

void TPictState::StopPlotter() {
  if (!PlotterOn) return;
  PlotterOn = false;
  SetBlinkTimer(false);
  if (P) P->ClearDevice();
  W.Repaint();
  ToolPut("btShowPic.Hint", "Включить \"PLOTTER\""_cp);
}

void TPictState::PicPopupMenuUpdate() {
  ToolSet({{"MShowTools.Visible", B01(!(Tool && Tool->Shown))}});
  if (!P || !P->ChkCurPic()) {
    if (PlotterOn) PlotWarn("PicPopupMenuUpdate - не найдено активного графика!"_cp);
    return;
  }
  const TOneGraph& G = *P->CurPict();
  const bool A = G.IAUsed && G.IA >= 1 && G.IA <= G.N, F = G.IBUsed;
  TCtlValues M = {{"M1.Visible", B01(A)},          {"MGedP.Visible", B01(A)},
                  {"MGedT.Visible", B01(A)},       {"MGedH.Visible", B01(A)},
                  {"MGedL.Visible", B01(A && F)},  {"MGedB.Visible", B01(A && F)},
                  {"MGedFlatten.Visible", B01(A && F)}};
  if (A || F) M.push_back({"MSetFulcrum.Caption", F ? "Del FulcRum" : "Set FulcRum"});
  ToolSet(M);
}

void TPictState::SetPictSize(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) return;
  int32_t cw, ch, ow, oh;
  W.ClientSize(cw, ch);
  W.OuterSize(ow, oh);
  W.SetOuterSize(Width + ow - cw, Height + oh - ch);
}

// ---------------------------------------------------------------- form events

void TPictState::FormShow() {
  SetBlinkTimer(PlotterOn);
  PicPopupMenuUpdate();
  if (Plotting().GetSetting) {
    int32_t ow, oh;
    W.OuterSize(ow, oh);
    auto Read = [](const std::string& Key, int32_t& v) {
      int32_t Code = 0;
      const std::string T = TrimCtl(Plotting().GetSetting(Key));
      const int32_t x = T.empty() ? 0 : ValIntCode(T, Code);
      if (Code == 0 && x > 0) v = x;
    };
    Read("FPictW", ow);
    Read("FPictH", oh);
    W.SetOuterSize(ow, oh);
  }
  FormResize();
}

void TPictState::FormHide() {
  SetBlinkTimer(false);
  PicPopupMenuUpdate();
}

void TPictState::FormActivate() { SetBlinkTimer(PlotterOn); }

void TPictState::FormPaint() {
  if (PlotterOn && P && P->GraphCount() > 0) P->PlayOnce();
}

void TPictState::FormResize() {
  int32_t cw, ch, ow, oh;
  W.ClientSize(cw, ch);
  if (cw == 0 || ch == 0) return;
  if (PlotterOn && P) {
    W.Rebind();
    if (P->GraphCount() > 0) P->PlayOnce();
  }
  W.OuterSize(ow, oh);
  const std::string CW = IntStr(cw), CH = IntStr(ch);
  MainSet({{"edFPictW", CW}, {"edImgX", CW}, {"edCORAW", CW}, {"edFPictH", CH},
           {"edImgY", CH}, {"edCORAH", CH}, {"edFormW", IntStr(ow)}, {"edFormH", IntStr(oh)}});
  ++ResizeCount;
  Refresh();
}

// ---------------------------------------------------------------- mouse

void TPictState::MouseMove(int32_t X, int32_t Y, bool LeftDown) {
  LastX = X;
  LastY = Y;
  ToolHost().ToolSet({{"edMouseVX", IntStr(X)}, {"edMouseVY", IntStr(Y)}});
  if (!PlotterOn || !P) return;
  const TPointRe p = P->DevToWorld(X, Y);
  if (P->ChkCurPic()) {
    const TOneGraph& G = *P->CurPict();
    if (G.IA != 0 && G.IA <= G.N)
      ToolHost().ToolSet({{"edMouseWX", ShortSt(8, P->WorldWinXY.X)},
                          {"edMouseWY", ShortSt(8, P->WorldWinXY.Y)}});
    else if (ToolValue("btMouseHold") != "1")
      ToolHost().ToolSet({{"edMouseWX", ShortSt(8, p.X)}, {"edMouseWY", ShortSt(8, p.Y)}});
  }
  if (LeftDown && P->k >= 1 && P->k <= P->GraphCount()) {
    const TPoint C = W.CursorPos();
    const TPointRe q = P->DevToWorld(X + C.X - DownCursor.X, Y + C.Y - DownCursor.Y);
    const TOneGraph& G = *P->Graph(P->k);
    if (TWorldWin* WX = P->LWorldWin->GetWin(G.WinX); WX && G.WinX > 0) {
      WX->P1 -= q.X - p.X;
      WX->P2 -= q.X - p.X;
    }
    if (TWorldWin* WY = P->LWorldWin->GetWin(G.WinY); WY && G.WinY > 0) {
      WY->P1 -= q.Y - p.Y;
      WY->P2 -= q.Y - p.Y;
    }
    DownCursor = C;
    P->kPicWorldWindow = 0;
    P->PlayOnce();
  }
}

void TPictState::MouseDown(bool Left, bool Ctrl) {
  DownCursor = W.CursorPos();
  ToolHost().ToolSet({{"edMouseDnX", IntStr(DownCursor.X)}, {"edMouseDnY", IntStr(DownCursor.Y)}});
  if (!Left) return;
  if (ToolValue("btMouseHold") == "1" && P && P->ChkCurPic()) {
    const TPointRe p = P->DevToWorld(LastX, LastY);
    ToolHost().ToolSet({{"edMouseWX", ShortSt(8, p.X)}, {"edMouseWY", ShortSt(8, p.Y)}});
  }
  if (Ctrl) ToolPut("btMouseHold", B01(ToolValue("btMouseHold") != "1"));
}

void TPictState::Click() {
  if (!PlotterOn || !P || !P->Gra) return;
  const TPoint C = W.CursorPos();
  const double px = LastX + C.X - DownCursor.X, py = LastY + C.Y - DownCursor.Y;
  if (P->LPlot)
    for (int32_t i = static_cast<int32_t>(P->LPlot->size()); i >= 1; --i) {
      TArrPlot& A = *(*P->LPlot)[static_cast<size_t>(i - 1)];
      if (!PointInRectRe({px, py}, FracToPix(*P->Gra, A.VRect))) continue;
      P->SetArrPlot(&A);
      P->kLayOut = i;
      ToolPut("edAPk", IntStr(A.TileAt(*P->Gra, px, py)));
      break;
    }
  const TPLOTTER::THit H = P->HitTest(px, py, 0);
  if (H.Pic1 == 0) return;
  auto Button = [&](bool Down) {
    {
      TUpdatingLock Lock(ToolHost());
      ToolPut("btHighLightCurPic", B01(Down));
    }
    if (Tool) Tool->btHighLightCurPicClick();
  };
  if (H.Dist1 > 30) {
    Button(false);
    P->CurPictHighLight = false;
    P->KPicHL = 0;
    ToolPut("btHighLightCurPic", "0");
    if (P->ChkCurPic()) {
      TOneGraph& G = *P->CurPict();
      G.IAUsed = false;
      G.IA = 0;
    }
  } else if (H.Dist1 <= 5) {
    const bool Was = P->CurPictHighLight && P->KPicHL == H.Pic1;
    P->SetCurPic(H.Pic1);
    ToolPut("edKPic", IntStr(P->k));
    TOneGraph& G = *P->Graph(H.Pic1);
    if (Was) {
      if (H.DistP <= 3 && H.Index <= G.N) {
        G.IAUsed = true;
        G.IA = H.Index;
      } else {
        G.IAUsed = false;
        G.IA = 0;
      }
    }
    Button(true);
    P->CurPictHighLight = true;
    P->KPicHL = P->k;
    ToolPut("btHighLightCurPic", "1");
    if (P->ChkCurPic() && G.IAUsed && G.IA == H.Index) {
      P->ViewXY = TPoint{RoundEven(px), RoundEven(py)};
      P->WorldWinXY = TPointRe{H.X, H.Y};
    }
  }
  Refresh();
  P->PlayOnce();
  PicPopupMenuUpdate();
}

void TPictState::Wheel(int32_t Delta) {
  const int32_t s = Delta > 0 ? 1 : Delta < 0 ? -1 : 0;
  WheelCount -= s;
  ToolPut("edMouseWheelDelta", IntStr(WheelCount));
  if (!PlotterOn || !P || P->k < 1 || P->k > P->GraphCount()) return;
  P->SetCurPic(P->k);
  const TOneGraph& G = *P->Graph(P->k);
  auto Zoom = [&](int32_t w) {
    TWorldWin* Win = w > 0 ? P->LWorldWin->GetWin(w) : nullptr;
    if (!Win) return;
    const double d = (Win->P2 - Win->P1) * s * 0.02;
    Win->P1 -= d;
    Win->P2 += d;
  };
  if (ToolValue("cbZoomX") == "1") Zoom(G.WinX);
  if (ToolValue("cbZoomY") == "1") Zoom(G.WinY);
  P->kPicWorldWindow = 0;
  P->PlayOnce();
  Refresh();
}

void TPictState::KeyDown(int32_t Key) {
  if (!PlotterOn || !P) return;
  switch (Key) {
    case 37: P->PointMove('L'); break;
    case 38: P->PointMove('U'); break;
    case 39: P->PointMove('R'); break;
    case 40: P->PointMove('D'); break;
    case 46: P->DelCurPic(); return;
    case 17: return;
    default:
      PlotWarn("FPict.FormKeyDown Key=$" + WordHex(static_cast<uint16_t>(Key)));
      return;
  }
  P->PlayOnce();
}

// ---------------------------------------------------------------- timers

void TPictState::BlinkTick() {
  Phase = Phase % 4 + 1;
  if (!W.GIFTimerOn() && PlotterOn && P && P->GraphCount() > 0) P->PlayOnce();
}

void TPictState::GIFTick() {
  if (!P) {
    PlotWarn("FPict.GIFTimer-ERR: PLOTTER Not Assigned");
    W.SetGIFTimer(false);
    return;
  }
  const TArrPlot* A = P->ArrPlot();
  if (!A) {
    PlotWarn("FPict.GIFTimer-ERR: PLOTTER.ArrPlot Not Assigned");
    W.SetGIFTimer(false);
    return;
  }
  if (A->nt < 2) return;
  FilmStep(P->kT, P->kTDir, A->nt, MainGet("cb_gif_2side") == "1");
  if (PlotterOn && P->GraphCount() > 0) P->PlayOnce();
}

// ---------------------------------------------------------------- popup items

void TPictState::MGsavePicClick() {
  if (!P || !P->Gra || !P->Gra->TargetCanvas) {
    PlotWarn("Graf Not in QShade!");
    return;
  }
  W.BitmapToClipboard();
}

void TPictState::MGGraVizClick() {
  {
    TUpdatingLock Lock(ToolHost());
    ToolPut("cbGraVisible", B01(ToolValue("cbGraVisible") != "1"));
  }
  if (Tool) Tool->cbGraVisibleClick();
  TUpdatingLock Lock(ToolHost());
  Refresh();
}

void TPictState::MGGraLiveClick() {
  ToolPut("btHighLightCurPic", B01(ToolValue("btHighLightCurPic") != "1"));
  if (Tool) Tool->btHighLightCurPicClick();
  Refresh();
}

void TPictState::MGOxClick(bool IsX) {
  const std::string B = IsX ? "btOXXShow" : "btOXYShow";
  ToolPut(B, B01(ToolValue(B) != "1"));
  if (Tool) Tool->btOXShowClick(IsX);
  Refresh();
}

void TPictState::MGZoomClick(bool IsX) {
  if (!P) return;
  P->FitWWToCurPic(IsX, !IsX);
  if (PlotterOn && P->GraphCount() > 0) P->PlayOnce();
}

void TPictState::MSetFulcrumClick() {
  if (!P || !P->ChkCurPic()) return;
  if (P->CurPict()->IBUsed) P->DeleteFulcrum();
  else P->SetFulcrum();
  PicPopupMenuUpdate();
}

void TPictState::MGedClick(int32_t Mode) {
  static const char* const Items[] = {"MGedP", "MGedT", "MGedH", "MGedL", "MGedB"};
  if (Mode < 0 || Mode > 4) return;
  TCtlValues M;
  for (int32_t i = 0; i < 5; ++i) M.push_back({std::string(Items[i]) + ".Checked", B01(i == Mode)});
  ToolSet(M);
  MainSet({{"cbMoveKind", MoveKindItem(Mode)}});
}

void TPictState::MGedFlattenClick() {
  if (!P) return;
  P->FlattenCurPic();
  if (PlotterOn && P->GraphCount() > 0) P->PlayOnce();
}

void TPictState::MGStyleClick(const std::string& Item) {
  if (!Tool) return;
  if (Item == "MGGraDots") {
    Tool->SetGraphDash("_");
  } else if (Item == "MGGraLine") {
    Tool->SetGraphDash("-");
  } else if (Item == "MGGraCirc") {
    Tool->SetGraphDash("_");
    Tool->SetGraphMarker("o");
    Tool->SetGraphMarkSize("1");
  }
}
