// A recording host for the plotter: the picture window's flags, caption and blink phase, the
// tools' margins and boldness, and what the plotter shows in the tool windows.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "foundation/cvStrList.h"
#include "plotting/cvPlotHost.h"

struct TFakePlotHost : TPlotHost {
  bool PlotterOn = false, BlinkOn = false, Hidden = false, Minim = false;
  int32_t Phase = 1;
  std::string Caption;
  int32_t Changed = 0, Refreshes = 0;
  bool MarginsOk = true;
  double Marg[6] = {0, 0, 0, 0, 100, 100};
  std::string PixBold = "3";
  std::map<std::string, std::string> Tool, Tab, Style, Row, WinRow;
  std::function<void()> OnPhase;  // runs when the replay asks for the phase

  void SetPlotterOn(bool On) override { PlotterOn = On; }
  void SetBlinkTimer(bool E) override { BlinkOn = E; }
  int32_t BlinkPhase() override {
    if (OnPhase) OnPhase();
    return Phase;
  }
  void SetCaption(const std::string& C) override { Caption = C; }
  bool Minimized() override { return Minim; }
  void HideWindow() override { Hidden = true; }
  void PictureChanged() override { ++Changed; }
  void ToolsRefresh() override { ++Refreshes; }
  bool GetMargins(double& a, double& b, double& c, double& d, double& e, double& f) override {
    a = Marg[0], b = Marg[1], c = Marg[2], d = Marg[3], e = Marg[4], f = Marg[5];
    return MarginsOk;
  }
  std::string PixBoldText() override { return PixBold; }
  void GraphToGrid(int32_t, const TCtlValues& C) override {
    for (auto& [k, v] : C) Row[k] = v;
  }
  void GraphGridUnits(const TStringList&) override {}
  void GraphToPicTool(const TCtlValues& T, const TCtlValues& G) override {
    for (auto& [k, v] : T) Tool[k] = v;
    for (auto& [k, v] : G) Tab[k] = v;
  }
  void WindowToGrid(int32_t, const TCtlValues& C) override {
    for (auto& [k, v] : C) WinRow[k] = v;
  }
  void StyleToTool(const TCtlValues& S) override {
    for (auto& [k, v] : S) Style[k] = v;
  }
};
