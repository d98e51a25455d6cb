// A plotter on an in-memory page with the picture tool and the picture window's logic over a
// recording window: what the tool and window tests share.
#pragma once
#include <gtest/gtest.h>

#include <cmath>

#include <memory>
#include <string>
#include <vector>

#include "foundation/cvSayer.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"
#include "plotting/cvPictState.h"

struct TFakePictWin : TPictWin {
  bool Shown = true, Minim = false, Blink = false, GIF = false;
  int32_t CW = 800, CH = 600, FrameW = 16, FrameH = 38;
  TPoint Cursor{0, 0};
  int32_t Repaints = 0, Rebinds = 0, Clips = 0;
  std::string Caption;
  std::function<void()> OnRebind;

  bool Visible() override { return Shown; }
  bool Minimized() override { return Minim; }
  void ShowWindow() override { Shown = true, Minim = false; }
  void HideWindow() override { Shown = false; }
  void Repaint() override { ++Repaints; }
  void SetCaption(const std::string& C) override { Caption = C; }
  void ClientSize(int32_t& W, int32_t& H) override { W = CW, H = CH; }
  void OuterSize(int32_t& W, int32_t& H) override { W = CW + FrameW, H = CH + FrameH; }
  void SetOuterSize(int32_t W, int32_t H) override { CW = W - FrameW, CH = H - FrameH; }
  int32_t DesktopWidth() override { return 1920; }
  TPoint CursorPos() override { return Cursor; }
  void Rebind() override {
    ++Rebinds;
    if (OnRebind) OnRebind();
  }
  void SetBlinkTimer(bool On) override { Blink = On; }
  void SetGIFTimer(bool On) override { GIF = On; }
  bool GIFTimerOn() override { return GIF; }
  void MenuSet(const TCtlValues&) override {}
  void BitmapToClipboard() override { ++Clips; }
  platform::TCanvas* Canvas = nullptr;  // the window's own canvas (none unless a test sets one)
  platform::TCanvas* WinCanvas() override { return Canvas; }
};

inline TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

struct PictFixture : ::testing::Test {
  std::unique_ptr<platform::TBitmap> Bm;
  TGRAF G;
  TPLOTTER* P = nullptr;
  std::unique_ptr<TPLOTTER> Own;
  TPicTool Tool;
  TFakePictWin Win;
  std::unique_ptr<TPictState> Pict;
  std::vector<std::string> Warns;

  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    PlotLineStyles().List->Clear();
    PlotLineStyles().Selected = -1;
    Bm = std::make_unique<platform::TBitmap>(Win.CW, Win.CH);
    Own = std::make_unique<TPLOTTER>(&G);
    P = Own.get();
    Pict = std::make_unique<TPictState>(P, Win);
    Tool.P = P;
    Tool.Pict = Pict.get();
    Pict->Tool = &Tool;
    P->Tools = &Tool;
    Win.OnRebind = [this] {
      Bm->SetSize(Win.CW, Win.CH);
      P->Rebind(&Bm->Canvas(), "TFPict", Pict.get());
    };
    P->INIG(&Bm->Canvas(), "TFPict", Pict.get(), 0);
    ASSERT_TRUE(P->CheckArrPlot());
  }
  void TearDown() override { Plotting().Warn = nullptr; }
  void Add(const TARe& X, const TARe& Y, const std::string& Title, const std::string& DimY = "",
           const std::string& Fmt = "-K") {
    P->NewGraph(X, Y, 1, 0, Fmt, Title, "x", "y", "", DimY);
  }
  // Device position of point i of graph n.
  TPointRe Pix(int32_t n, int32_t i) {
    const TOneGraph& Gr = *P->Graph(n);
    P->SetGraphView(Gr);
    return G.WToPixR(Gr.AX[static_cast<size_t>(i)], Gr.AY[static_cast<size_t>(i)]);
  }
  // A click at device pixel (x, y): the move, the press and the click as the window sends them.
  void ClickAt(double x, double y) {
    Win.Cursor = TPoint{100, 100};
    Pict->MouseMove(static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)),
                    false);
    Pict->MouseDown(true, false);
    Pict->Click();
  }
};
