// Tick steps, the axis grid, dash patterns and wide dashed lines, markers and curves of GRAF.
#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "plotting/cvGRAD.h"

// ---------------------------------------------------------------- tick steps

void CalcDelta(int32_t n, double x1, double x2, double& Step, int32_t& Dec) {
  if (x1 > x2) std::swap(x1, x2);
  if (x1 == x2) {
    if (x1 == 0) {
      x2 = 1;
    } else {
      x2 = x1 + std::abs(x1) / 100;
    }
  }
  if (n <= 0) {
    PlotWarn("cvGRAD.CalcDelta-ERR в параметрах вызова!\r\nN=0!!!->3, X1="_cp + ValSt(4, x1) +
            " X2=" + ValSt(4, x2) + " DXOUT=" + ValSt(5, Step));
    n = 3;
  }
  double r = (x2 - x1) / n;
  if (!std::isfinite(r) || r <= 0) {
    // A range that is not finite or too small to divide has no step: no ticks.
    PlotWarn("cvGRAD.CalcDelta: шаг для X1="_cp + ValSt(4, x1) + " X2=" + ValSt(4, x2) +
            " N=" + IntStr(n) + " не определён"_cp);
    Step = 0;
    Dec = 0;
    return;
  }
  int32_t k = 0;
  while (r < 1) {
    r *= 10;
    ++k;
  }
  while (r >= 10) {
    r /= 10;
    --k;
  }
  const int32_t m = r < 1.414213562 ? 1 : r < 3.16227766 ? 2 : r < 7.071067812 ? 5 : 10;
  double s = m;
  for (int32_t i = 0; i < k; ++i) s /= 10;
  for (int32_t i = 0; i < -k; ++i) s *= 10;
  Step = s;
  Dec = m == 10 ? k - 1 : k;
}

void CalcRange(double Step, double a, double b, double& Lo, double& Hi, int32_t& Count) {
  if (a > b) std::swap(a, b);
  const double c = std::abs(Step);
  Count = 0;
  if (!(c > 0) || !std::isfinite(c) || !std::isfinite(a) || !std::isfinite(b) ||
      std::abs(a / c) > 1e15 || (b - a) / c > MaxMarks) {
    Lo = a;
    Hi = a - c;
    return;
  }
  double j = std::nearbyint(a / c) - 1;
  while (c * j - a < -c * 1e-4) j += 1;
  while (c * (j + Count) - b <= 1e-5 * c) ++Count;
  Lo = c * j;
  Hi = c * (j + Count - 1);
}

// ---------------------------------------------------------------- dash patterns

void DashLine::SetWidth(double w) {
  Width = w;
  kDash = RoundEven(w);
  if (kDash == 0 || kDash == INT32_MIN) kDash = 1;
}

void DashLine::SetPattern(double Step, int32_t aGap, double aWidth, int32_t aBar, int32_t aDot,
                          int32_t aCount) {
  Width = aWidth;
  kDash = RoundEven(Step == 0 ? Width : Step);
  if (kDash == 0 || kDash == INT32_MIN) kDash = 1;
  Gap = aGap;
  Dot = aDot;
  Bar = aBar;
  Count = aCount;
  CalcSum();
  Case = '~';
}

void DashLine::CalcSum() { Sum = std::max(kDash, 1) * (Bar + Gap + (Gap + Dot) * Count); }

void DashLine::SetSolid() {
  SetPattern(1, 0, Width, 1, 0, 0);
  Case = '-';
}

void DashLine::SetNone() {
  SetPattern(1, 1, Width, 0, 0, 0);
  Case = '_';
}

void DashLine::SetStyle(char Ch) {
  switch (Ch) {
    case '-': SetSolid(); return;
    case '_': SetNone(); return;
    case ':': SetPattern(kDash, 3, Width, 0, 1, 1); break;
    case ';': SetPattern(kDash, 6, Width, 6, 1, 1); break;
    case '=': SetPattern(kDash, 5, Width, 5, 0, 0); break;
    default: break;
  }
  Case = Ch;
}

void DashLine::Init(const std::string& S) {
  Valid = true;
  std::string Rest, Part;
  ExtractBrackets(S, "()", Rest, Part);
  if (Part.size() < 3) return;
  std::string Inner = Part;
  if (!Inner.empty() && Inner.front() == '(') Inner.erase(0, 1);
  if (!Inner.empty() && Inner.back() == ')') Inner.pop_back();
  std::vector<std::string> W;
  size_t i = 0;
  while (i < Inner.size()) {
    while (i < Inner.size() && (Inner[i] == ' ' || Inner[i] == '\t')) ++i;
    size_t j = i;
    while (j < Inner.size() && Inner[j] != ' ' && Inner[j] != '\t') ++j;
    if (j > i) W.push_back(Inner.substr(i, j - i));
    i = j;
  }
  if (W.size() < 2) {
    PlotWarn("DashLine.Init в конструкции "_cp + Part + " должно быть как минимум два слова!"_cp);
    Valid = false;
    return;
  }
  int32_t V[4] = {0, 0, 0, 0};
  for (size_t k = 0; k < W.size() && k < 4; ++k) {
    const std::string& Wd = W[k];
    bool Ok = !Wd.empty();
    size_t p = (Wd[0] == '-' || Wd[0] == '+') ? 1 : 0;
    if (p >= Wd.size() || Wd.size() > 10) Ok = false;
    for (size_t q = p; Ok && q < Wd.size(); ++q) Ok = Wd[q] >= '0' && Wd[q] <= '9';
    if (!Ok) {
      PlotWarn("DashLine.Init в слове <"_cp + Wd + "> в строке "_cp + Part + "не число!"_cp);
      Valid = false;
      return;
    }
    V[k] = static_cast<int32_t>(std::stol(Wd));
  }
  int32_t Cnt = W.size() >= 4 ? V[3] : W.size() >= 3 ? 1 : 0;
  SetPattern(kDash, V[0], Width, V[1], V[2], Cnt);
}

// ---------------------------------------------------------------- wide segments

void ThickSegment(platform::TCanvas& Canvas, uint32_t Color, double ax, double ay, double bx,
                  double by, double h) {
  if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
    return;
  const TRect C = Canvas.ClipRect();
  // Cut to the clip rectangle widened by the half width.
  const double L = C.Left - h - 1, R = C.Right + h + 1, T = C.Top - h - 1, B = C.Bottom + h + 1;
  const double dx = bx - ax, dy = by - ay;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {ax - L, R - ax, ay - T, B - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return;
    } else {
      const double r = q[i] / p[i];
      if (p[i] < 0) t0 = std::max(t0, r);
      else t1 = std::min(t1, r);
    }
  }
  if (t0 > t1) return;
  const double Ax = ax + t0 * dx, Ay = ay + t0 * dy, Bx = ax + t1 * dx, By = ay + t1 * dy;
  const double Len = std::hypot(dx, dy);
  const double vx = Len > 0 ? dx / Len : 0, vy = Len > 0 ? dy / Len : 0;
  const double nx = -vy * h, ny = vx * h;
  const TPoint Pt[4] = {{RoundEven(Ax + nx), RoundEven(Ay + ny)},
                        {RoundEven(Ax - nx), RoundEven(Ay - ny)},
                        {RoundEven(Bx - nx), RoundEven(By - ny)},
                        {RoundEven(Bx + nx), RoundEven(By + ny)}};
  // Filled and outlined in the colour, the canvas's brush and pen kept.
  const platform::TBrush OldBrush = Canvas.Brush;
  const uint32_t OldPen = Canvas.Pen.Color;
  Canvas.Brush.Color = Canvas.Pen.Color = Color;
  Canvas.Brush.Style = platform::TBrushStyle::Solid;
  Canvas.Polygon(Pt, 4);
  Canvas.Brush = OldBrush;
  Canvas.Pen.Color = OldPen;
}

// ---------------------------------------------------------------- dashed lines

void TGRAF::DashDrawW(double x, double y) {
  const double sx = TPXR, sy = TPYR, ex = WXToPixR(x), ey = WYToPixR(y);
  if (!Canvas) return;
  if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(ex) || !std::isfinite(ey)) {
    TPXR = ex;
    TPYR = ey;
    return;
  }
  const TRect C = Canvas->ClipRect();
  if ((sx < C.Left && ex < C.Left) || (sx > C.Right && ex > C.Right) ||
      (sy < C.Top && ey < C.Top) || (sy > C.Bottom && ey > C.Bottom)) {
    TPXR = ex;
    TPYR = ey;
    return;
  }
  DashLine& D = Dash;
  D.Sum = D.Gap == 0 ? 0
                     : (D.Bar >= 1 ? D.Bar + D.Gap : 0) + (D.Dot > 0 ? (D.Gap + D.Dot) * D.Count : 0);
  const double half = D.Width / 2;
  const double P = D.Width >= 1 ? D.Width * D.Sum : D.Sum;
  const double L = std::hypot(ex - sx, ey - sy);
  const double vx = L > 0 ? (ex - sx) / L : 1, vy = L > 0 ? (ey - sy) / L : 1;
  if (P == 0) {
    if (ThinSolid()) DRAWW(x, y);
    else ThickSegment(*Canvas, CurColor, sx, sy, ex, ey, half);
    LinkPhase = 0;
    return;
  }
  const double BarEnd = static_cast<double>(D.Bar) / D.Sum;
  double DotA = -1, DotB = -1;
  if (D.Dot != 0) {
    if (D.Bar < 1) {
      DotA = 0;
      DotB = static_cast<double>(D.Dot) / D.Sum;
    } else {
      DotA = static_cast<double>(D.Bar + D.Gap) / D.Sum;
      DotB = static_cast<double>(D.Bar + D.Gap + D.Dot) / D.Sum;
    }
  }
  double N = L / P;
  const double Keep = std::fmod(LinkPhase + N + 10, 1.0);
  const double Phase0 = LinkPhase > 0 ? LinkPhase : 0;
  N += Phase0;
  // Only the periods that touch the part of the segment inside the clip rectangle (widened by
  // the half width) are drawn; the phase still advances over the whole segment.
  double t0 = 0, t1 = 1;
  {
    const double Lf = C.Left - half - 1, Rt = C.Right + half + 1;
    const double Tp = C.Top - half - 1, Bt = C.Bottom + half + 1;
    const double dx = ex - sx, dy = ey - sy;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {sx - Lf, Rt - sx, sy - Tp, Bt - sy};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) { t0 = 1; t1 = 0; }
      } else {
        const double r = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, r);
        else t1 = std::min(t1, r);
      }
    }
  }
  if (t0 <= t1) {
    // Period k starts at distance (k - Phase0) * P from the start; N falls by 1 per period.
    double k = std::max(0.0, std::floor(t0 * L / P + Phase0) - 1);
    const double kEnd = t1 * L / P + Phase0 + 1;
    double n = N - k;
    double phi = k == 0 ? Phase0 : 0;
    while (n > 0 && k <= kEnd) {
      const double Ox = ex - n * P * vx, Oy = ey - n * P * vy;
      if (BarEnd > phi) {
        const double b = std::min(BarEnd, n);
        ThickSegment(*Canvas, CurColor, Ox + phi * P * vx, Oy + phi * P * vy, Ox + b * P * vx,
                     Oy + b * P * vy, half);
        phi = b;
      }
      if (DotA >= 0 && DotA < n && DotB > phi) {
        if (phi < DotA) phi = DotA;
        const double b = std::min(DotB, n);
        if (D.Width != 0)
          ThickSegment(*Canvas, CurColor, Ox + phi * P * vx, Oy + phi * P * vy, Ox + b * P * vx,
                       Oy + b * P * vy, half);
        else
          PutPix(RoundEven(Ox + phi * P * vx), RoundEven(Oy + phi * P * vy));
        phi = b;
      }
      n -= 1;
      k += 1;
      phi = 0;
    }
  }
  LinkPhase = Keep;
}

// ---------------------------------------------------------------- markers

void TGRAF::ShapeLine(double ax, double ay, double bx, double by) {
  MOVEW(ax, ay);
  DRAWW(bx, by);
}

void TGRAF::DrawMarker(double x, double y) {
  MOVEW(x, y);
  if (!std::isfinite(TPXR) || !std::isfinite(TPYR)) return;
  const double SKX = KX, SKY = KY;
  KX = PixPerMmX;
  KY = PixPerMmY;
  const double X = PixRToWX(TPXR), Y = PixRToWY(TPYR), R = MarkSize;
  const double s = 0.866025404, u = 0.732051;
  auto Poly = [&](std::initializer_list<std::pair<double, double>> Pts) {
    auto it = Pts.begin();
    MOVEW(X + it->first, Y + it->second);
    for (++it; it != Pts.end(); ++it) DRAWW(X + it->first, Y + it->second);
  };
  switch (MarkCh) {
    case '.': PointW(X, Y); break;
    case 'o': {
      int32_t c1 = WXToPix(X - R), c2 = WXToPix(X + R);
      if (c1 > c2) std::swap(c1, c2);
      PointW(X - R, Y);
      for (int32_t c = c1 + 1; c < c2; ++c) {
        const double xx = PixToWX(c), t = std::sqrt(std::max(0.0, R * R - (xx - X) * (xx - X)));
        PointW(xx, Y + t);
        PointW(xx, Y - t);
      }
      PointW(X + R, Y);
      int32_t r1 = WYToPix(Y - R), r2 = WYToPix(Y + R);
      if (r1 > r2) std::swap(r1, r2);
      PointW(X, Y - R);
      for (int32_t r = r1 + 1; r < r2; ++r) {
        const double yy = PixToWY(r), t = std::sqrt(std::max(0.0, R * R - (yy - Y) * (yy - Y)));
        PointW(X - t, yy);
        PointW(X + t, yy);
      }
      PointW(X, Y + R);
      break;
    }
    case '+':
      ShapeLine(X, Y - R, X, Y + R);
      ShapeLine(X - R, Y, X + R, Y);
      break;
    case '|':
      ShapeLine(X, Y + R / 2, X, Y + R);
      ShapeLine(X, Y - R / 2, X, Y - R);
      ShapeLine(X + R / 2, Y, X + R, Y);
      ShapeLine(X - R / 2, Y, X - R, Y);
      break;
    case 'x':
      ShapeLine(X - R, Y - R, X + R, Y + R);
      ShapeLine(X - R, Y + R, X + R, Y - R);
      break;
    case 'd': Poly({{-R, 0}, {0, R}, {R, 0}, {0, -R}, {-R, 0}}); break;
    case '^':
    case '3': Poly({{0, -R}, {s * R, R / 2}, {-s * R, R / 2}, {0, -R}}); break;
    case 'v':
    case 'V': Poly({{0, R}, {u * R, -u * R / 2}, {-u * R, -u * R / 2}, {0, R}}); break;
    case '>': Poly({{R, 0}, {-u * R / 2, u * R}, {-u * R / 2, -u * R}, {R, 0}}); break;
    case '<': Poly({{-R, 0}, {u * R / 2, u * R}, {u * R / 2, -u * R}, {-R, 0}}); break;
    case 'h':
      Poly({{0, -R}, {s * R, -R / 2}, {s * R, R / 2}, {0, R}, {-s * R, R / 2}, {-s * R, -R / 2},
            {0, -R}});
      break;
    case 'p':
      Poly({{0, R},
            {0.951056516 * R, 0.309016994 * R},
            {0.587785252 * R, -0.809016994 * R},
            {-0.587785252 * R, -0.809016994 * R},
            {-0.951056516 * R, 0.309016994 * R},
            {0, R}});
      break;
    case '*': {
      const double Sp[5][2] = {{0, -R},
                               {0.951056516 * R, -0.309016994 * R},
                               {0.587785252 * R, 0.809016994 * R},
                               {-0.587785252 * R, 0.809016994 * R},
                               {-0.951056516 * R, -0.309016994 * R}};
      for (const auto& P : Sp) {
        ShapeLine(X, Y, X + P[0], Y + P[1]);
        DRAWW(X, Y);
      }
      break;
    }
    case '#':
    case 's': RectW(X + R, X - R, Y + R, Y - R); break;
    case '/': ShapeLine(X - R, Y - R, X + R, Y + R); break;
    case '\\': ShapeLine(X - R, Y + R, X + R, Y - R); break;
    default: break;
  }
  MOVEW(X, Y);
  KX = SKX;
  KY = SKY;
}

void TGRAF::MarkerGrid(char Ch, double x1, double x2, double dx, double y1, double y2, double dy,
                       double aMarkSize) {
  if (!MarksFit("MarkerGrid", x1, x2, dx) || !MarksFit("MarkerGrid", y1, y2, dy)) return;
  const int32_t sx = TPX, sy = TPY;
  MarkCh = Ch;
  MarkSize = aMarkSize;
  double XLo, XHi, YLo, YHi;
  int32_t NXc, NYc;
  CalcRange(dx, x1, x2, XLo, XHi, NXc);
  CalcRange(dy, y1, y2, YLo, YHi, NYc);
  int32_t i = 0;
  double x = XLo;
  do {
    int32_t j = 0;
    double y = YLo;
    do {
      DrawMarker(x, y);
      y += dy;
    } while (y <= YHi && ++j < MaxMarks);
    x += dx;
  } while (x <= XHi && ++i < MaxMarks);
  SetTPClamped(sx, sy);
}

void TGRAF::MarkerLine(const char* Op, char Ch, double aMarkSize, double At, double d, double a1,
                       double a2, bool Row) {
  if (!MarksFit(Op, a1, a2, d)) return;
  const int32_t sx = TPX, sy = TPY;
  MarkCh = Ch;
  MarkSize = aMarkSize;
  double Lo, Hi;
  int32_t Nc;
  CalcRange(d, a1, a2, Lo, Hi, Nc);
  int32_t i = 0;
  for (double v = Lo; v <= Hi + d / 2 && i < MaxMarks; v += d, ++i)
    Row ? DrawMarker(v, At) : DrawMarker(At, v);
  SetTPClamped(sx, sy);
}

void TGRAF::MarkerRow(char Ch, double aMarkSize, double y, double dx, double x1, double x2) {
  MarkerLine("MarkerRow", Ch, aMarkSize, y, dx, x1, x2, true);
}

void TGRAF::MarkerColumn(char Ch, double aMarkSize, double x, double dy, double y1, double y2) {
  MarkerLine("MarkerColumn", Ch, aMarkSize, x, dy, y1, y2, false);
}

// ---------------------------------------------------------------- curves

void TGRAF::CURV(const TARe* AX, const TARe* AY, int32_t Kind) {
  if (!AX) ErrAbs("GRAF CURV массив AX Not Assigned!"_cp);
  if (!AY || AX->size() != AY->size())
    ErrAbs("GRAF CURV массивы AX AY имеют разную размерность = "_cp +
           IntStr(static_cast<int32_t>(AX->size()) - 1) + " и "_cp +
           IntStr(AY ? static_cast<int32_t>(AY->size()) - 1 : -1));
  const int32_t n = static_cast<int32_t>(AX->size()) - 1;
  if (n < 1) return;
  if (Dash.Case == '_') Kind = 1;
  else if (Dash.Case != '-' && MarkCh == '.') Kind = 2;
  const TARe& X = *AX;
  const TARe& Y = *AY;
  if (Kind == 1) {
    for (int32_t i = 1; i <= n; ++i) DrawMarker(X[i], Y[i]);
  } else if (Kind == 2) {
    MOVEW(X[1], Y[1]);
    for (int32_t i = 2; i <= n; ++i) {
      DashDrawW(X[i], Y[i]);
      MOVEW(X[i], Y[i]);
    }
  } else if (MarkCh == '.' && ThinSolid()) {
    // The line's pixels hold the points' one-pixel markers.
    DrawMarker(X[1], Y[1]);
    const TRect C = Canvas ? Canvas->ClipRect() : TRect{};
    for (int32_t i = 2; i <= n; ++i) {
      const double sx = TPXR, sy = TPYR, ex = WXToPixR(X[i]), ey = WYToPixR(Y[i]);
      if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(ex) || !std::isfinite(ey)) {
        DrawMarker(X[i], Y[i]);
        continue;
      }
      // Segments wholly beside the clip rectangle are passed over, as by the dashed line.
      if (!Canvas || (sx < C.Left && ex < C.Left) || (sx > C.Right && ex > C.Right) ||
          (sy < C.Top && ey < C.Top) || (sy > C.Bottom && ey > C.Bottom))
        SetTPR(ex, ey);
      else
        DRAWW(X[i], Y[i]);
    }
  } else {
    DrawMarker(X[1], Y[1]);
    for (int32_t i = 2; i <= n; ++i) {
      DashDrawW(X[i], Y[i]);
      DrawMarker(X[i], Y[i]);
    }
  }
}

void TGRAF::CURVStyled(const TARe* AX, const TARe* AY, int32_t Kind, char aMarkCh,
                       double aMarkSize) {
  const char SCh = MarkCh;
  const double SSize = MarkSize;
  MarkCh = aMarkCh;
  MarkSize = aMarkSize;
  CURV(AX, AY, Kind);
  MarkCh = SCh;
  MarkSize = SSize;
}

// ---------------------------------------------------------------- axis grid

TGRIDER& TGRAF::EnsureGrider() {
  if (!Grider) {
    Grider = std::make_unique<TGRIDER>(*this);
    Grider->Reset();
  }
  return *Grider;
}

void TGRIDER::Reset() {
  Color = 0;
  X1 = Y1 = XLo = YLo = 0;
  X2 = Y2 = XHi = YHi = 1;
  DX = DY = 1;
  MarkSize = 1;
  MarkCh = '.';
  ClearFlags();
  XLabSide = YLabSide = 0;
  OXPos = OYPos = 0;
  NX = NY = 2;
  XDec = YDec = 0;
}

void TGRIDER::ClearFlags() { GridOn = OXOn = OYOn = XLabOn = YLabOn = false; }

void TGRIDER::SetOX(int32_t nMk, char Side, double x1, double x2, double AxisY,
                    double aMarkSize) {
  if (nMk == 0) PlotWarn("GRIDER.SetOX-ERR NMk=0");
  MarkCh = '+';
  MarkSize = aMarkSize;
  X1 = x1;
  X2 = x2;
  int32_t Dec = 0;
  CalcDelta(nMk, x1, x2, DX, Dec);
  CalcRange(DX, x1, x2, XLo, XHi, NX);
  SetOXLabels(Dec, Side, AxisY);
}

void TGRIDER::SetOY(int32_t nM, char Side, double y1, double y2, double AxisX, double aMarkSize) {
  if (nM == 0) PlotWarn("GRIDER.SetOY-ERR NM=0");
  MarkSize = aMarkSize;
  Y1 = y1;
  Y2 = y2;
  int32_t Dec = 0;
  CalcDelta(nM, y1, y2, DY, Dec);
  CalcRange(DY, y1, y2, YLo, YHi, NY);
  SetOYLabels(Dec, Side, AxisX);
}

void TGRIDER::SetOXLabels(int32_t Dec, char Side, double AxisY) {
  OXOn = true;
  XLabOn = true;
  if (Side == 'd' || Side == 'm' || Side == 'n' || Side == 'u') {
    OXOn = false;
    Side = static_cast<char>(Side - 32);
  }
  OXPos = AxisY;
  XDec = Dec;
  if (Side == 'D' || Side == 'M' || Side == 'U') XLabSide = Side;
  else if (Side == 'N') XLabOn = false;
  else XLabSide = 'D';
}

void TGRIDER::SetOYLabels(int32_t Dec, char Side, double AxisX) {
  OYOn = true;
  YLabOn = true;
  if (Side == 'l' || Side == 'm' || Side == 'n' || Side == 'r') {
    OYOn = false;
    Side = static_cast<char>(Side - 32);
  }
  OYPos = AxisX;
  YDec = Dec;
  if (Side == 'L' || Side == 'M' || Side == 'R') YLabSide = Side;
  else if (Side == 'N') YLabOn = false;
  else YLabSide = 'R';
}

void TGRIDER::SetGrid(char aMarkCh, uint32_t aColor, double x1, double x2, double dx, double y1,
                      double y2, double dy, double aMarkSize) {
  GridOn = aMarkCh != 'N';
  if (GridOn) MarkCh = aMarkCh;
  MarkSize = aMarkSize;
  X1 = x1;
  X2 = x2;
  Y1 = y1;
  Y2 = y2;
  DX = dx;
  DY = dy;
  Color = aColor;
  CalcRange(dx, x1, x2, XLo, XHi, NX);
  CalcRange(dy, y1, y2, YLo, YHi, NY);
}

void TGRIDER::Draw() {
  TGRAF& G = G_;
  const uint32_t Saved = G.CurColor;
  G.CurColor = TGRAF::IdxToColor(Color);
  if (GridOn) G.MarkerGrid(MarkCh, X1, X2, DX, Y1, Y2, DY, MarkSize);
  if (OXOn) {
    G.HLineW(X1, X2, OXPos);
    G.MarkerRow('+', MarkSize, OXPos, DX, X1, X2);
  }
  if (XLabOn && G.Canvas) {
    for (int32_t i = 0; i < NX && i < MaxMarks; ++i) {
      const double x = XLo + i * DX;
      const std::string T = DecadeSt(XDec, true, x);
      const int32_t w = G.Canvas->TextWidth(T), h = G.Canvas->TextHeight(T);
      if (XLabSide == 'U') G.SetTextShift(-w / 2, -h - 2);
      else if (XLabSide == 'M') G.SetTextShift(-w / 2, -h / 2);
      else G.SetTextShift(-w / 2, 2);
      G.TextW(T, x, OXPos);
    }
  }
  if (OYOn) {
    G.VLineW(Y1, Y2, OYPos);
    G.MarkerColumn('+', MarkSize, OYPos, DY, Y1, Y2);
  }
  if (YLabOn && G.Canvas) {
    for (int32_t i = 0; i < NY && i < MaxMarks; ++i) {
      const double y = YLo + i * DY;
      const std::string T = DecadeSt(YDec, true, y);
      const int32_t w = G.Canvas->TextWidth(T), h = G.Canvas->TextHeight(T);
      if (YLabSide == 'L') G.SetTextShift(-w - 2, -h / 2);
      else if (YLabSide == 'M') G.SetTextShift(-w / 2, -h / 2);
      else G.SetTextShift(2, -h / 2);
      G.TextW(T, OYPos, y);
    }
  }
  G.CurColor = Saved;
  ClearFlags();
}
