// The map object's value picture, its drawing into the map bitmap and its panel on the FITS tab.
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/Canvas.h"
#include "scans/cvFIOut.h"
#include "scans/cvFilters.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"

namespace {

std::string Pair(int32_t A, int32_t B) { return "(" + IntStr(A) + "," + IntStr(B) + ")"; }

// Largest bitmap the map picture makes: 2^26 pixels.
constexpr int64_t kMaxMapPixels = int64_t(1) << 26;

bool IntText(const std::string& Text, int32_t& V) {
  std::string t;
  for (char c : Text)
    if (c != ' ') t += c;
  int32_t code = 0;
  const int32_t v = ValIntCode(t, code);
  if (code != 0 || t.empty()) return false;
  V = v;
  return true;
}

}  // namespace

void TFIOut::ToPict() {
  if (!Pict) Pict = std::make_unique<TR4Pict>();
  Pict->Init(&aData);
}

void TFIOut::FreePict() {
  if (!Pict) return;
  Pict->FreeSorted();
  Pict.reset();
}

bool TFIOut::PrepareBitmap() {
  const int64_t w = std::llround(nX * FOZoom), h = std::llround(nY * FOZoom);
  if (w < 1 || h < 1 || w * h > kMaxMapPixels) {
    WARNAbs("FIOut.PrepareBitmap " + Name + ": размер рисунка "_cp + I64Str(w) + "x" +
            I64Str(h) + " недопустим (FOZoom="_cp + ShortSt(4, FOZoom) + ")");
    return false;
  }
  platform::TBitmap& B = FOBitmap();
  B.SetSize(static_cast<int32_t>(w), static_cast<int32_t>(h));
  platform::TCanvas& C = B.Canvas();
  C.Brush.Color = 0xFF0000;
  C.Brush.Style = platform::TBrushStyle::Solid;
  C.FillRect(TRect{0, 0, B.Width(), B.Height()});
  return true;
}

bool TFIOut::ShowData() {
  if (!FIOutAssigned(this)) {
    WARNAbs("FIOut.ShowData ERR: FIOut не создан!"_cp);
    return false;
  }
  if (kLoad <= 1) {
    WARNAbs("FIOut.ShowData " + Name + " kLoad=" + IntStr(kLoad) + "!!!");
    return false;
  }
  if (!PrepareBitmap()) {
    WARNAbs("FIOut.ShowData ERR: не удалось создать BMP"_cp);
    return false;
  }
  return true;
}

void TFIOut::ShowInMapWin() {
  if (!Pict) {
    WARNAbs("FIOut.ShowInMapWin " + Name + ": картинка Pict не создана (нужен ToPict)!"_cp);
    return;
  }
  if (!ShowData()) return;
  Pict->PaintToBMP(FOBitmap());
  MapViewLinks().ShowInMapWin(*this);
}

void TFIOut::ShowMasked(const TAByBy& Mask) {
  if (!Pict) {
    WARNAbs("FIOut.ShowMasked " + Name + ": картинка Pict не создана (нужен ToPict)!"_cp);
    return;
  }
  if (!ShowData()) return;
  Pict->Mask = Mask;
  Pict->PaintMask(FOBitmap());
  MapViewLinks().ShowInMapWin(*this);
}

void TFIOut::SetCursorXY() {
  TFITSMapCtls& T = FITSMapCtls();
  int32_t x = 0, y = 0;
  if (IntText(T.Get("edFITSiX"), x) && IntText(T.Get("edFITSiY"), y)) {
    ixFocus = x;
    iyFocus = y;
  }
}

void TFIOut::InfoToPanel() {
  TFITSMapCtls& T = FITSMapCtls();
  T.Set("lbFIOVe", "<>");
  if (!FIOutAssigned(this)) {
    T.Set("lbFIODt", "20000000");
    T.Set("lbFIOTi", "000000");
    for (const char* L : {"lbFIONa", "lbFIOCom", "lbFIOVe"}) T.Set(L, "<>");
    for (const char* L : {"lbFIOmi", "lbFIOmiAv", "lbFIOma", "lbFIOmaAv", "lbFIOmean",
                          "lbFIOmeanAv", "lbFIOnxyAv", "lbFIOval", "lbFIOkload"})
      T.Set(L, "0");
    for (const char* L : {"lbFIOnxy", "lbFIOmiIdx", "lbFIOmiAvIdx", "lbFIOmaIdx", "lbFIOmaAvIdx",
                          "lbFIOfocusIdx"})
      T.Set(L, "(0,0)");
    T.Set("lbDaNum", "-");
    return;
  }
  const TFiltState& F = Scans().Filt;
  if (F.State == 1) {
    UpdateMasked();
    if (Name == "BML1" || Name == "BML2") MaskMax_Y3(F.Mask, 2.0);
  }
  int32_t fx = ixFocus, fy = iyFocus;
  if (IntText(T.Get("edFITSiX"), fx)) ixFocus = fx;
  if (IntText(T.Get("edFITSiY"), fy)) iyFocus = fy;
  T.Set("lbFIODt", Da);
  T.Set("lbFIOTi", Ti);
  T.Set("gbFIOut.Caption", "FO  " + Name);
  T.Set("lbFIONa", "<" + Name + ">");
  T.Set("lbFIOCom", "<" + Com + ">");
  T.Set("lbFIOVe", Ver);
  T.Set("lbFIOmi", ShortSt(5, vMin));
  T.Set("lbFIOma", ShortSt(5, vMax));
  T.Set("lbFIOmean", ShortSt(5, vMean));
  T.Set("lbFIOmiAv", ShortSt(5, vMinAv));
  if (vMaxY3 != 0) {
    T.Set("lbFIOmaAv", ShortSt(5, vMaxY3));
    T.Set("lbFIOmaAvIdx", Pair(ixMaxY3, iyMaxY3));
  } else {
    T.Set("lbFIOmeanAv", ShortSt(5, vMeanAv));
    T.Set("lbFIOmaAvIdx", Pair(ixMaxAv, iyMaxAv));
  }
  T.Set("lbFIOnxy", Pair(nX, nY));
  T.Set("lbFIOmiIdx", Pair(ixMin, iyMin));
  T.Set("lbFIOmiAvIdx", Pair(ixMinAv, iyMinAv));
  T.Set("lbFIOmaIdx", Pair(ixMax, iyMax));
  T.Set("lbFIOfocusIdx", Pair(ixFocus, iyFocus));
  T.Set("lbFIOnxyAv", "(" + IntStr(F.MaskN) + ")");
  T.Set("lbDaNum", std::string(1, DaNum));
  if (kLoad > 0 && static_cast<int32_t>(aData.size()) >= nX) {
    const bool In = ixFocus >= 0 && iyFocus >= 0 && ixFocus < nX && iyFocus < nY &&
                    static_cast<size_t>(ixFocus) < aData.Rows() &&
                    static_cast<size_t>(iyFocus) < aData.Cols();
    T.Set("lbFIOval", In ? ShortSt(5, aData[static_cast<size_t>(ixFocus)]
                                         [static_cast<size_t>(iyFocus)])
                         : "0");
  }
  T.Set("lbFIOkload", IntStr(kLoad) + " " + KLoadName(kLoad));
}
