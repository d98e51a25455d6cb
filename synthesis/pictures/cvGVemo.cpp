#include "synthesis/pictures/cvGVemo.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "plotting/cvGRAD.h"
#include "synthesis/pictures/cvPicReader.h"

namespace {

const char kCrLf[] = "\r\n";

double ThetaOf(double T) { return T <= 0 ? 0 : 5039.9345841032444118 / T; }

}  // namespace

void TGVEMO::SetDefaults() {
  Descr.clear();
  Model = "HOLMU";
  Grid = 0;
  Name = "T";
  SIdV.clear();
  NameX = "X";
  ChCalc = 'N';
  XLow = 1.5;
  XHigh = -8.5;
  YDown = 9000;
  YUp = 2000;
  GridStepY = 500;
  MarkStepY = 0;
  GridStepX = 0.2;
  MarkStepX = 2;
  ChPoint = '.';
  ColorIdx = 0;
  PointSize = 5;
  NX = NY = 1;
  TileX = TileY = 100;
  MargX = MargY = 0;
  ColBack = 0xFFFFFF;
  ColGrid = 0x808080;
  EdText.clear();
  Curves.clear();
}

void TGVEMO::LoadDescr(const std::vector<std::string>& Lines, TLVEMO& Keeper, TGRAF& G) {
  SetDefaults();
  Descr = Lines;
  TPicReader R;
  R.OpenLines(Lines, "#MG", "GVEMO.LoadDescr");
  auto sid = [&](const std::string& W) { return !W.empty() && W[0] == '#' ? std::string() : W; };
  auto gra = [&]() {
    const std::string c = R.Word();
    ChPoint = c.empty() ? '.' : c[0];
    ColorIdx = static_cast<uint32_t>(R.Int("Grafik_Colr"));
    PointSize = R.Real("PointSize");
  };
  while (R.NextLine()) {
    const std::string k = R.Word();
    if (k == "#MG_HEAD") {
      R.Int("NKadr");
      R.Int("dTime");
      ColBack = TGRAF::IdxToColor(static_cast<uint32_t>(R.Int("ColBk")));
      ColGrid = TGRAF::IdxToColor(static_cast<uint32_t>(R.Int("ColGrid")));
    } else if (k == "#MG_MOD") {
      Model = R.Word();
      Grid = R.Int("FMOD");
    } else if (k == "#MG_NAM") {
      Name = R.Word();
    } else if (k == "#MG_NAMX") {
      NameX = R.Word();
    } else if (k == "#MG_SID") {
      SIdV = sid(R.Word());
    } else if (k == "#MG_VW") {
      NX = R.Int("nX");
      NY = R.Int("nY");
      TileX = R.Real("tileX");
      TileY = R.Real("tileY");
      MargX = R.Real("margX");
      MargY = R.Real("margY");
    } else if (k == "#MG_WVX") {
      XLow = R.Real("Low");
      XHigh = R.Real("High");
    } else if (k == "#MG_WVY") {
      const std::string c = R.Word();
      ChCalc = c.empty() ? 'N' : c[0];
      YDown = R.Real("Y(Down)");
      YUp = R.Real("Y(Up)");
      if (!R.AtEnd()) GridStepY = R.Real("GridStepY");
      if (!R.AtEnd()) MarkStepY = R.Real("MarkStepY");
    } else if (k == "#MG_GRIX") {
      GridStepX = R.Real("GridStepX");
      MarkStepX = R.Real("MarkStepX");
    } else if (k == "#MG_GRIY") {
      GridStepY = R.Real("GridStepY");
      MarkStepY = R.Real("MarkStepY");
    } else if (k == "#MG_GRA") {
      gra();
    } else if (k == "#MG") {
      bool ed = false;
      for (std::string w = R.Word(); !w.empty(); w = R.Word()) {
        if (w == "#MOD") {
          Model = R.Word();
          Grid = R.Int("FMOD");
        } else if (w == "#NAM") {
          Name = R.Word();
        } else if (w == "#NAMX") {
          NameX = R.Word();
        } else if (w == "#SID") {
          SIdV = sid(R.Word());
        } else if (w == "#WVY") {
          const std::string c = R.Word();
          ChCalc = c.empty() ? 'N' : c[0];
          YDown = R.Real("Y(Down)");
          YUp = R.Real("Y(Up)");
          for (double* v : {&GridStepY, &MarkStepY}) {
            const int32_t save = R.Pos;
            const std::string n = R.Word();
            if (n.empty() || n[0] == '#') {
              R.Pos = save;
              break;
            }
            int32_t code = 0;
            *v = ValRealCode(n, code);
            if (code != 0) R.Fail("ошибка в числе шага сетки <"_cp + n + ">");
          }
        } else if (w == "#GRA") {
          gra();
        } else if (w == "#ED") {
          EdText = R.Rest();
          ed = true;
        }
      }
      if (!ed) EdText.clear();
      DrawDefault(Keeper, G);
    }
  }
}

bool TGVEMO::Draw(bool RawA, TLVEMO& Keeper, TGRAF& G) {
  TGVemoCurve C;
  C.Vector = Model + "|" + Name + "|" + IntStr(Grid) + (SIdV.empty() ? "" : "|" + SIdV);
  auto program = [&] {
    std::string t = kCrLf + std::string("Дисплейная программа = "_cp) + kCrLf;
    for (size_t i = 0; i < Descr.size(); ++i) t += (i ? kCrLf : "") + Descr[i];
    return t;
  };
  auto done = [&](bool ok) {
    C.Drawn = ok;
    Curves.push_back(C);
    return ok;
  };
  if (!Canvas) {
    WARNAbs("GVEMO.Draw  Canvas не задан!"_cp);
    return done(false);
  }
  TVEMO* V = Keeper.FindVeMo(Name, Model, SIdV, Grid);
  if (!V) {
    WARNAbs("Вектор модели не найден в LVEMO! MOD="_cp + Model + " NAME=" + Name + " SID=<" +
            SIdV + ">" + program());
    return done(false);
  }
  TARe X;
  if (NameX == "X") {
    if (!V->LGTAU) {
      WARNAbs("Вектор VEMO.LgTau не задан для MOD="_cp + Model + " NAME=" + Name + " SID=<" +
              SIdV + ">" + program());
      return done(false);
    }
    X = V->LGTAU->A;
  } else {
    TVEMO* H = Keeper.FindVeMo(NameX, Model, "", Grid);
    if (!H) {
      WARNAbs("Вектор высот не найден в LVEMO! MOD="_cp + Model + " NAME=" + NameX + program());
      return done(false);
    }
    X = H->A;
  }
  G.INIGCanvas(Canvas, 0);
  G.SetGCOLR(ColorIdx);
  G.VIPO10(0, 1, 0, 1);
  G.Dash.SetSolid();
  TARe Y;
  if (RawA) {
    Y = V->A;
  } else if (V->Kh == 0 || V->Kh == 1) {
    const bool depth = V->Kh == 0 ? V->NAME == "X" : V->NAME == "h";
    const TVEMO* D = V->Kh == 0 ? V->LGTAU : V->hVEMO;
    if (depth || !D) {
      G.ENDG();
      return done(false);
    }
    Y.assign(D->A.size(), 0.0);
    for (size_t i = 1; i < D->A.size(); ++i) Y[i] = V->func(D->A[i]);
  } else {
    Y = V->A;
  }
  const size_t n = std::min(X.size(), Y.size());
  X.resize(n);
  Y.resize(n);
  G.WINDOW(XLow, XHigh, YDown, YUp);
  if (ChCalc == 'L') {
    for (size_t i = 1; i < n; ++i)
      if (Y[i] > 0) Y[i] = std::log10(Y[i]);
  } else if (ChCalc == 'T') {
    for (size_t i = 1; i < n; ++i) Y[i] = ThetaOf(Y[i]);
  }
  G.CURVStyled(&X, &Y, 0, ChPoint, PointSize);
  G.ENDG();
  C.Points = n > 0 ? static_cast<int32_t>(n) - 1 : 0;
  C.X1 = XLow;
  C.X2 = XHigh;
  C.YDown = YDown;
  C.YUp = YUp;
  return done(true);
}
