// The device's test page.
#include "plotting/cvGRADDemo.h"

#include <cmath>

void DrawTestPage(TGRAF& G, platform::TCanvas& Canvas, bool Printer) {
  if (Printer) G.INIGPrinter(&Canvas);
  else G.INIGCanvas(&Canvas, 0);
  G.SetBkColor(0xFFFFFF);
  G.ClearG();
  const int32_t W = G.PagePixX, H = G.PagePixY;
  TGRIDER& Gr = G.EnsureGrider();

  // Top left, millimetres: curves in every dash style and one numeric pattern.
  G.VIPOMM(15, G.PageMmX / 2 - 5, G.PageMmY / 2 - 12, 8);
  G.WINDOW(0, 10, 0, 7);
  G.SetGColor(0x000000);
  G.FrameView();
  const char Styles[] = "-:;=~";
  for (int k = 0; Styles[k]; ++k) {
    TARe AX{0}, AY{0};
    for (int i = 0; i <= 20; ++i) {
      AX.push_back(0.5 + 0.45 * i);
      AY.push_back(1 + k * 1.2 + 0.4 * std::sin(i * 0.6));
    }
    G.Dash.SetWidth(k % 2 + 1);
    if (Styles[k] == '~') G.Dash.Init("(2 4 1)");
    else G.Dash.SetStyle(Styles[k]);
    G.LinkPhase = 0;
    G.SetGCOLR(static_cast<uint32_t>(9 + k));
    G.SetMarkerCh('.');
    G.CURV(&AX, &AY, 2);
  }
  Gr.Color = 7;
  Gr.SetOX(5, 'D', 0, 10, 0, 1);
  Gr.SetOY(4, 'L', 0, 7, 0, 1);
  Gr.Color = 7;
  Gr.Draw();

  // Top right, pixels: all marker shapes at 1 and 2 mm.
  G.VIPOPO(W / 2 + 20, W - 40, H / 2 + 40, H - 30);
  G.WINDOW(0, 20, 0, 3);
  G.SetGColor(0x000000);
  G.FrameView();
  G.Dash.SetWidth(0);
  G.Dash.SetSolid();
  const char Shapes[] = ".o+|xd^3vV><ph*#s/\\";
  for (int i = 0; Shapes[i]; ++i) {
    G.SetMarkerCh(Shapes[i]);
    G.SetGCOLR(static_cast<uint32_t>(1 + i % 7));
    G.SetMarkerSize(1);
    G.DrawMarker(1 + i, 2);
    G.SetMarkerSize(2);
    G.DrawMarker(1 + i, 1);
  }
  Gr.SetOX(4, 'U', 0, 20, 3, 1);
  Gr.SetOY(3, 'R', 0, 3, 20, 1);
  Gr.Draw();

  // Bottom left, fractions: a grid of points and a thick solid curve with markers.
  G.VIPO10(0.08, 0.45, 0.08, 0.42);
  G.WINDOW(-1, 1, -1, 1);
  G.SetGColor(0x000000);
  G.FrameView();
  Gr.SetGrid('.', 8, -1, 1, 0.25, -1, 1, 0.25, 1);
  Gr.Draw();
  {
    TARe AX{0}, AY{0};
    for (int i = 0; i <= 12; ++i) {
      AX.push_back(-0.9 + 0.15 * i);
      AY.push_back(0.8 * std::cos(i * 0.5));
    }
    G.Dash.SetWidth(3);
    G.Dash.SetSolid();
    G.SetGCOLR(12);
    G.CURVStyled(&AX, &AY, 0, 'o', 1);
  }
  Gr.SetOX(4, 'M', -1, 1, 0, 1);
  Gr.SetOY(4, 'M', -1, 1, 0, 1);
  Gr.Draw();

  // Bottom right, percent: thick points, axis-parallel lines, a rectangle and text.
  G.VIEWOP('%', 55, 95, 8, 42);
  G.WINDOW(0, 100, 0, 100);
  G.SetGColor(0x000000);
  G.FrameView();
  G.PixBold = '3';
  G.RectW(10, 90, 10, 90);
  G.PixBold = '5';
  G.PointW(50, 50);
  G.PixBold = 0;
  G.HLineW(20, 80, 30);
  G.VLineW(20, 80, 70);
  G.SetGColor(0x7F0000);
  G.TextAtW("GRAF", 'M', 50, 60, 'D', 2);
  G.TextInView("%", 'R', 'D', 4);
  Gr.SetOX(5, 'd', 0, 100, 0, 1);
  Gr.SetOY(5, 'l', 0, 100, 0, 1);
  Gr.Draw();
  G.ENDG();
}
