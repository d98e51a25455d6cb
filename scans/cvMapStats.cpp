#include "scans/cvMapStats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace {

const std::string kNl = "\r\n";

std::string Ses13(const std::string& S) { return S.substr(0, 13); }

TFIOut* SessionMap(const std::string& Session, const std::string& Name) {
  TLFIOut* r = LFIOOrNull();
  return r ? r->FindByDTName(Session, Name) : nullptr;
}

int32_t Round(double V) { return static_cast<int32_t>(std::nearbyint(V)); }

}  // namespace

// ---------------------------------------------------------------- the filter controls

int32_t FiltLevelCount(const std::string& Levels, const std::string& MapName,
                       const std::string& Session) {
  const std::string levels = TrimSp(TabsToBlanks(Levels)), name = TrimSp(MapName);
  if (levels.empty() || name.empty()) return 0;
  if (!SessionMap(Session, name)) {
    WARNAbs("Карта "_cp + name + " не загружена!"_cp);
    return 0;
  }
  return CountFiltLevels(levels);
}

void FiltListFromControls(const TFiltControls& C, TFiltList& L) {
  L.clear();
  for (const TFiltRow& r : C.Rows) {
    const std::string name = TrimSp(r.Map), text = TabsToBlanks(r.Text);
    if (name.empty() || WordCount(text) < 2) continue;
    MakeListFilt(L, name, text, r.Abs, r.Hist);
  }
}

void ClipArea(int32_t NX, int32_t NY, int32_t&, int32_t& X2, int32_t&, int32_t& Y2) {
  if (X2 >= NX) X2 = NX - 1;
  if (Y2 >= NY) Y2 = NY - 1;
  if (X2 <= 0) X2 = NX - 1 + X2;
  if (Y2 <= 0) Y2 = NY - 1 + Y2;
}

TCurFiltView UpDateCurFilt(const TFiltControls& C, const std::string& Session, int32_t Cur) {
  TCurFiltView v;
  TFiltState& st = Scans().Filt;
  int32_t counts[3];
  for (int k = 0; k < 3; ++k) counts[k] = FiltLevelCount(C.Rows[k].Text, C.Rows[k].Map, Session);
  if (counts[0] + counts[1] + counts[2] == 0) {
    st.StepCount = 0;
    st.Step = 0;
    st.State = -1;
    return v;
  }
  st.State = 0;
  int64_t n = counts[0] < 2 ? 1 : counts[0];
  if (counts[1] > 1) n *= counts[1];
  if (counts[2] > 1) n *= counts[2];
  if (n > kMaxFiltCombs) {
    WARNAbs("Число вариантов фильтра "_cp + I64Str(n) + " больше "_cp + IntStr(kMaxFiltCombs) +
            ": перебираются только первые "_cp + IntStr(kMaxFiltCombs) + "!");
    n = kMaxFiltCombs;
    v.Capped = true;
  }
  v.Shown = true;
  v.Count = static_cast<int32_t>(n);
  v.Cur = Cur > v.Count || Cur <= 0 ? 1 : Cur;
  st.StepCount = v.Count;
  st.Step = v.Cur;
  int32_t lv[3];
  LevelIndexAtStep(v.Cur, counts[0], counts[1], counts[2], lv[0], lv[1], lv[2]);
  for (int k = 0; k < 3; ++k) {
    if (counts[k] <= 0) continue;
    const std::string levels = TrimSp(TabsToBlanks(C.Rows[k].Text));
    const std::string level = FiltSpecWord(levels, lv[k]);
    v.Memo.push_back(TrimSp(C.Rows[k].Map) + " " + level);
  }
  // the mask of the current combination
  TFiltList L;
  FiltListFromControls(C, L);
  if (L.empty()) return v;
  TFiltMaps maps;
  for (const auto& f : L) {
    TFIOut* m = SessionMap(Session, f->Na);
    if (!m || !m->EnsureLoaded()) {
      WARNAbs("GetFiltFOs-Err: Для сессии <"_cp + Ses13(Session) +
              "> не удалось загрузить карту <"_cp + f->Na + ">!");
      return v;
    }
    maps.push_back(m);
  }
  TAIn limits;
  for (const auto& f : L) limits.push_back(f->Count());
  TAIn idx;
  ResetLevelIndex(v.Cur, limits, idx);
  int32_t x1 = C.X1, x2 = C.X2, y1 = C.Y1, y2 = C.Y2;
  ClipArea(maps[0]->nX, maps[0]->nY, x1, x2, y1, y2);
  int32_t cnt = 0;
  MapFiltMask(C.Filt, maps[0]->nX, maps[0]->nY, x1, x2, y1, y2, maps, L, idx, st.Mask, cnt);
  st.MaskN = cnt;
  st.State = 1;
  v.MaskBuilt = true;
  v.MaskN = cnt;
  return v;
}

// ---------------------------------------------------------------- walks

TMapWalk::TMapWalk() = default;
TMapWalk::~TMapWalk() = default;
TMapWalk::TMapWalk(TMapWalk&&) noexcept = default;
TMapWalk& TMapWalk::operator=(TMapWalk&&) noexcept = default;

int32_t TMapWalk::Combinations() const {
  if (Filters.empty()) return 0;
  int64_t n = 1;
  for (int32_t l : Limits) n *= std::max(l, 1);
  return static_cast<int32_t>(std::min<int64_t>(n, kMaxFiltCombs));
}

const TFIOut* TMapWalk::Map(const std::string& Name) const {
  for (const auto& m : Maps)
    if (m->Name == Name) return m.get();
  return nullptr;
}

std::unique_ptr<TFIOut> CopyMapData(const TFIOut& M) {
  auto c = M.Clone();
  if (!c) return nullptr;
  c->kSoft = M.kSoft;
  c->sVar = M.sVar;
  c->Com = M.Com;
  std::memcpy(c->aData.Data(), M.aData.Data(),
              static_cast<size_t>(M.nX) * static_cast<size_t>(M.nY) * sizeof(float));
  c->kLoad = M.kLoad;
  c->vMin = M.vMin;
  c->vMax = M.vMax;
  c->vMean = M.vMean;
  return c;
}

std::vector<std::string> OperandMapList(const std::string& X, const std::string& Y,
                                        const std::string& C, const std::string& Session) {
  std::vector<std::string> r;
  const std::string x = TrimSp(X), y = TrimSp(Y);
  if (SessionMap(Session, x))
    r.push_back(x);
  else
    WARNAbs("X-Карта <"_cp + x + "> не найдена для сессии "_cp + Session);
  if (SessionMap(Session, y)) r.push_back(y);
  const int32_t n = WordCount(C);
  for (int32_t i = 1; i <= n; ++i) {
    const std::string w = WordN(C, i);
    if (SessionMap(Session, w)) r.push_back(w);
  }
  return r;
}

bool PrepMapWalk(const TFiltControls& C, const std::string& Session,
                 const std::vector<std::string>& Names, const TLFITS* Scan, TMapWalk& W) {
  W = TMapWalk();
  W.Session = Session;
  W.X1 = C.X1;
  W.X2 = C.X2;
  W.Y1 = C.Y1;
  W.Y2 = C.Y2;
  W.PerSession = C.PerSession;
  W.KeepText = C.Filt;
  W.Names = Names;
  FiltListFromControls(C, W.Filters);
  if (W.Filters.empty()) {
    WARNAbs("Ни один фильтр не задан!"_cp);
    return false;
  }
  auto take = [&](const std::string& Name, bool Filter) -> TFIOut* {
    for (const auto& m : W.Maps)
      if (m->Name == Name) return m.get();
    TFIOut* m = SessionMap(Session, Name);
    const std::string pre = Filter ? "GetFiltFOs-Err: " : "";
    if (!m) {
      WARNAbs(pre + "Для сессии <"_cp + Ses13(Session) + "> в LFIO не найдена карта <"_cp + Name +
              ">!");
      return nullptr;
    }
    std::unique_ptr<TFIOut> c;
    if (m->EnsureLoaded()) c = CopyMapData(*m);
    if (!c) {
      WARNAbs(pre + "Для сессии <"_cp + Ses13(Session) + "> не удалось загрузить карту <"_cp +
              Name + ">!");
      return nullptr;
    }
    c->Name = Name;
    W.Maps.push_back(std::move(c));
    return W.Maps.back().get();
  };
  for (const auto& f : W.Filters) {
    TFIOut* m = take(f->Na, true);
    if (!m) return false;
    W.FiltMaps.push_back(m);
    W.Limits.push_back(f->Count());
  }
  for (const std::string& n : Names)
    if (!take(n, false)) return false;
  if (Scan) {
    W.Axes.Have = true;
    W.Axes.AX = Scan->AXCEN;
    W.Axes.AT = Scan->AXT;
    W.Axes.AvO = Scan->AXvO;
    for (const auto& f : Scan->Files) {
      W.Axes.CRPIX2.push_back(f ? f->CRPIX2 : 0);
      W.Axes.CDELT2.push_back(f ? f->CDELT2 : 0);
      W.Axes.CRVAL2.push_back(f ? f->CRVAL2 : 0);
    }
  }
  return true;
}

bool WalkMask(const TMapWalk& W, const TAIn& Index, TAByBy& Mask, int32_t& Count, int32_t& X1,
              int32_t& X2, int32_t& Y1, int32_t& Y2) {
  Mask.clear();
  Count = 0;
  if (W.FiltMaps.empty() || !W.FiltMaps[0]) return false;
  const TFIOut& f = *W.FiltMaps[0];
  X1 = W.X1;
  X2 = W.X2;
  Y1 = W.Y1;
  Y2 = W.Y2;
  ClipArea(f.nX, f.nY, X1, X2, Y1, Y2);
  MaskOfLevels(f.nX, f.nY, X1, X2, Y1, Y2, W.FiltMaps, W.Filters, Index, Mask, Count);
  return true;
}

bool CollectFilteredValues(const TMapWalk& W, const TAIn& Index, bool Coords, TCollected& R) {
  R = TCollected();
  R.Values.assign(W.Names.size(), TARe(1, 0.0));
  std::vector<const TFIOut*> maps;
  for (const std::string& n : W.Names) maps.push_back(W.Map(n));
  TAByBy mask;
  int32_t cnt = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  if (!WalkMask(W, Index, mask, cnt, x1, x2, y1, y2)) return false;
  const size_t room = static_cast<size_t>(cnt) + 1;
  R.iX.assign(1, 0);
  R.iY.assign(1, 0);
  R.iX.reserve(room);
  R.iY.reserve(room);
  for (TARe& v : R.Values) v.reserve(room);
  const bool coords = Coords && W.Axes.Have;
  if (coords) {
    for (TARe* a : {&R.aX, &R.tX, &R.vO, &R.fiY}) {
      a->assign(1, 0.0);
      a->reserve(room);
    }
  }
  auto axis = [](const TARe& A, int32_t X) {
    return X + 1 < static_cast<int32_t>(A.size()) ? A[static_cast<size_t>(X) + 1] : 0.0;
  };
  const int32_t x0 = std::max(x1, 0), y0 = std::max(y1, 0);
  for (int32_t x = x0; x <= x2 && x < static_cast<int32_t>(mask.size()); ++x) {
    const std::vector<uint8_t>& col = mask[static_cast<size_t>(x)];
    for (int32_t y = y0; y <= y2 && y < static_cast<int32_t>(col.size()); ++y) {
      if (!col[static_cast<size_t>(y)]) continue;
      R.iX.push_back(x);
      R.iY.push_back(y);
      if (coords) {
        R.aX.push_back(axis(W.Axes.AX, x));
        R.tX.push_back(axis(W.Axes.AT, x));
        R.vO.push_back(axis(W.Axes.AvO, x));
        const size_t f = static_cast<size_t>(x);
        R.fiY.push_back(f < W.Axes.CRPIX2.size()
                            ? (y - W.Axes.CRPIX2[f]) * W.Axes.CDELT2[f] + W.Axes.CRVAL2[f]
                            : 0.0);
      }
      for (size_t k = 0; k < maps.size(); ++k) {
        const TFIOut* m = maps[k];
        R.Values[k].push_back(m && x < m->nX && y < m->nY ? m->aData[x][y] : 0.0);
      }
    }
  }
  R.N = static_cast<int32_t>(R.iX.size()) - 1;
  return true;
}

std::vector<TXYGraph> MapGraphs(TJob& Job, const TMapWalk& W) {
  std::vector<TXYGraph> out;
  if (W.Names.size() < 2) {
    std::string t = "В списке карт должно быть минимум две карты - X и Y"_cp + kNl + "Найдено"_cp +
                    kNl;
    for (const std::string& n : W.Names) t += n + kNl;
    WARNAbs(t);
    return out;
  }
  const int32_t n = W.Combinations();
  TAIn idx(W.Limits.size(), 0);
  for (int32_t c = 1; c <= n; ++c) {
    if (!Job.Step(c - 1, n, "Graph " + IntStr(c) + "/" + IntStr(n))) break;
    TCollected r;
    CollectFilteredValues(W, idx, false, r);
    if (W.Names.size() * static_cast<size_t>(r.N + 1) > 3) {
      TXYGraph g;
      g.X = std::move(r.Values[0]);
      g.Y = std::move(r.Values[1]);
      g.DimY = "dim2";
      g.DimX = "dim1";
      g.NameY = W.Names[1];
      g.NameX = W.Names[0];
      g.Title = W.Names[1] + "(" + W.Names[0] + ")_" + Ses13(W.Session);
      g.Format = "_.K";
      out.push_back(std::move(g));
    } else {
      WARNAbs("Graph Y(X) - массив AA не заполнен!"_cp);
    }
    NextLevelIndex(idx, W.Limits);
  }
  return out;
}

std::vector<TARe> MapHistValues(TJob& Job, const TMapWalk& W) {
  std::vector<TARe> out;
  if (W.Names.empty()) {
    WARNAbs("Нужная карта должна быть выбрана в поле \"X\"!"_cp);
    return out;
  }
  const int32_t n = W.Combinations();
  TAIn idx(W.Limits.size(), 0);
  for (int32_t c = 1; c <= n; ++c) {
    if (!Job.Step(c - 1, n, "Hist " + IntStr(c) + "/" + IntStr(n))) break;
    TCollected r;
    CollectFilteredValues(W, idx, false, r);
    out.push_back(std::move(r.Values[0]));
    NextLevelIndex(idx, W.Limits);
  }
  return out;
}

bool MapListText(TJob& Job, const TMapWalk& W, const TListColumns& Cols, TStringList& Out) {
  const int32_t n = W.Combinations();
  const bool coords = Cols.aX || Cols.fiY || Cols.T || Cols.vO;
  const int32_t nd = std::max(Cols.NDig, 1);
  TAIn idx(W.Limits.size(), 0);
  std::string line;
  for (int32_t c = 1; c <= n; ++c) {
    if (!Job.Step(c - 1, n, "List " + IntStr(c) + "/" + IntStr(n))) return false;
    const std::string ft = FiltListText(W.Filters, idx);
    if (W.X1 + W.X2 + W.Y1 + W.Y2 > 0)
      Out.Add("[(" + IntStr(W.X1) + "," + IntStr(W.X2) + ");(" + IntStr(W.Y1) + "," +
              IntStr(W.Y2) + ")] " + ft);
    else
      Out.Add(ft);
    const int32_t head = Out.Count();
    line.clear();
    if (Cols.iX) line += " iX ";
    if (Cols.aX) line += " aX ";
    if (Cols.T) line += " tX ";
    if (Cols.vO) line += " vO ";
    if (Cols.iY) line += " iY ";
    if (Cols.fiY) line += " fiY ";
    for (const std::string& nm : W.Names) line += " " + nm;
    Out.Add(line);
    TCollected r;
    CollectFilteredValues(W, idx, coords, r);
    const bool haveC = coords && r.aX.size() == r.iX.size();
    for (int32_t i = 1; i <= r.N; ++i) {
      line.clear();
      if (Cols.iX) line += " " + IntStr(r.iX[static_cast<size_t>(i)]);
      if (Cols.aX) line += " " + (haveC ? ShortSt(6, r.aX[static_cast<size_t>(i)]) : "0");
      if (Cols.T) line += " " + (haveC ? ShortSt(5, r.tX[static_cast<size_t>(i)]) : "0");
      if (Cols.vO) line += " " + (haveC ? IntStr(Round(r.vO[static_cast<size_t>(i)])) : "0");
      if (Cols.iY) line += " " + IntStr(r.iY[static_cast<size_t>(i)]);
      if (Cols.fiY) line += " " + (haveC ? ShortSt(6, r.fiY[static_cast<size_t>(i)]) : "0");
      for (const TARe& v : r.Values) line += " " + ShortSt(nd, v[static_cast<size_t>(i)]);
      Out.Add(line);
      if ((i & 0xFFFF) == 0 && Job.Cancelled()) return false;
    }
    if (r.N + 1 > 2) LineTabStrings(&Out, head + 1);
    Out.Add(std::string(50, '='));
    NextLevelIndex(idx, W.Limits);
  }
  return true;
}

// ---------------------------------------------------------------- the histogram

bool HistogramGraph(const TARe& Values, const std::string& Title, const THistSettings& S,
                    TXYGraph& G, double& Lo, double& Hi) {
  int32_t code = 0;
  const double kMi = ValRealCode(TrimSp(S.kMi), code);
  if (code != 0) return false;
  const double kMa = ValRealCode(TrimSp(S.kMa), code);
  if (code != 0) return false;
  const int32_t bins = ValIntCode(TrimSp(S.NN), code);
  if (code != 0 || bins < 1) return false;
  const int32_t n = static_cast<int32_t>(Values.size());
  if (2 * static_cast<int64_t>(n) < bins) {
    WARNAbs("Слишком мало точек на графике N="_cp + IntStr(n - 1) + kNl +
            "чтобы построить гистограмму из "_cp + IntStr(bins) + " столбиков!"_cp);
    return false;
  }
  const bool log = !S.LogNorm.empty() && S.LogNorm[0] == 'L';
  TARe means, counts;
  AReHistogram(Values, bins, S.SortCut, kMi, kMa, log ? 'L' : 'N', Lo, Hi, means, counts);
  G = TXYGraph();
  G.X = std::move(means);
  G.Y = std::move(counts);
  G.DimY = "dim2";
  G.DimX = "dim1";
  G.NameY = log ? "Log(n)" : "n";
  G.NameX = Title;
  G.Title = "Hist(" + Title + ")";
  G.Format = "-.K";
  return true;
}

// ---------------------------------------------------------------- cut and means

bool MapCut(const TFIOut& M, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W,
            TXYGraph& G) {
  G = TXYGraph();
  const double dx = X2 - X1, dy = Y2 - Y1;
  const int32_t n = Round(std::sqrt(dx * dx + dy * dy));
  if (n < 1 || M.aData.empty()) return false;  // coinciding points: nothing to draw
  // The map's values as rows of x (TAR4R4 [x][y]) for the pixel-window mean.
  TAR4R4 a(static_cast<size_t>(M.nX), std::vector<float>(static_cast<size_t>(M.nY)));
  for (int32_t x = 0; x < M.nX; ++x)
    for (int32_t y = 0; y < M.nY; ++y) a[static_cast<size_t>(x)][static_cast<size_t>(y)] = M.aData[x][y];
  const double len = std::sqrt(dx * dx + dy * dy);
  const double nx = -dy / len, ny = dx / len;  // left normal
  G.X.assign(1, 0.0);
  G.Y.assign(1, 0.0);
  for (int32_t i = 0; i < n; ++i) {
    const double px = X1 + i * dx / n, py = Y1 + i * dy / n;
    double v = 0;
    if (W <= 1) {
      v = AR4R4PixAvg(a, px, py);
    } else {
      // W samples one pixel apart across the segment, centred on it.
      for (int32_t k = 0; k < W; ++k) {
        const double d = k - (W - 1) / 2.0;
        v += AR4R4PixAvg(a, px + d * nx, py + d * ny);
      }
      v /= W;
    }
    G.X.push_back(i);
    G.Y.push_back(v);
  }
  if (n <= 2) return false;
  const std::string seg =
      "[(" + IntStr(X1) + "," + IntStr(Y1) + "):(" + IntStr(X2) + "," + IntStr(Y2) + ")]";
  G.DimY = "dim_" + M.Name;
  G.DimX = "pix";
  G.NameY = M.Name;
  G.NameX = seg;
  G.Title = "Cut_<" + M.Name + ">(" + seg + ")";
  G.Format = "-.K";
  return true;
}

namespace {

std::string MeanTitle(const std::string& Name, const std::string& Axis, const TAByBy* Mask,
                      const std::string& FiltText) {
  return "Mean<" + Name + ">(" + Axis + ")" + (Mask ? FiltText : std::string("_noFilt"));
}

}  // namespace

bool MeanXGraph(const TFIOut& M, const TAByBy* Mask, const std::string& FiltText, TXYGraph& G) {
  G = TXYGraph();
  if (Mask) {
    M.MaskedAMeanX(*Mask, G.X, G.Y);
  } else {
    M.AMeanX(G.Y);
    if (static_cast<int32_t>(G.Y.size()) != M.nY + 1) {
      WARNAbs("cv.FO_MeanX length(AY)=" + IntStr(static_cast<int32_t>(G.Y.size())) + "<>" +
              IntStr(M.nY + 1) + "=" + M.Name + ".nY+1");
      return false;
    }
    G.X.assign(G.Y.size(), 0.0);
    for (size_t i = 1; i < G.X.size(); ++i) G.X[i] = static_cast<double>(i - 1);
  }
  G.Title = MeanTitle(M.Name, "xPos", Mask, FiltText);
  G.NameY = M.Name;
  G.NameX = "xPos";
  G.DimY = "dim_" + M.Name;
  G.DimX = "nPix";
  G.Format = "-.K";
  return NOf(G.Y) > 0;
}

bool MeanYGraph(const TFIOut& M, const TAByBy* Mask, const std::string& FiltText, TXYGraph& G) {
  G = TXYGraph();
  if (Mask) {
    M.MaskedAMeanY(*Mask, G.X, G.Y);
  } else {
    M.AMeanY(G.Y);
    G.X.assign(G.Y.size(), 0.0);
    for (size_t i = 1; i < G.X.size(); ++i) G.X[i] = static_cast<double>(i - 1);
  }
  G.Title = MeanTitle(M.Name, "yPos", Mask, FiltText);
  G.NameY = M.Name;
  G.NameX = "yPos";
  G.DimY = "dim_" + G.Title;
  G.DimX = "nPix";
  G.Format = "-.K";
  return NOf(G.Y) > 0;
}

bool MeanYAxisGraph(const TFIOut& M, TLFITS& Scan, TMeanAxis A, const std::string& Key,
                    const TAByBy* Mask, const std::string& FiltText, TXYGraph& G) {
  G = TXYGraph();
  const TARe& ax = A == TMeanAxis::VOrbit ? Scan.AXvO : Scan.AXT;
  const std::string axName = A == TMeanAxis::VOrbit ? "AXvO" : "AXT";
  if (static_cast<int32_t>(ax.size()) != M.nX + 1) {
    WARNAbs("FO.Nx+1=" + IntStr(M.nX + 1) + "<>length(LFITS." + axName + ")=" +
            IntStr(static_cast<int32_t>(ax.size())));
    return false;
  }
  const std::string axis = A == TMeanAxis::Time     ? "time"
                           : A == TMeanAxis::VOrbit ? "vOrbit"
                                                    : "#" + Key;
  TARe key;
  if (A == TMeanAxis::Key) Scan.KeyValArray(Key, key);
  if (Mask) {
    // the means of the columns over the mask against the axis of the column
    G.X.assign(1, 0.0);
    G.Y.assign(1, 0.0);
    for (int32_t x = 0; x < M.nX && x < static_cast<int32_t>(Mask->size()); ++x) {
      double s = 0;
      int32_t n = 0;
      const auto& col = (*Mask)[static_cast<size_t>(x)];
      for (int32_t y = 0; y < M.nY && y < static_cast<int32_t>(col.size()); ++y)
        if (col[static_cast<size_t>(y)]) s += M.aData[x][y], ++n;
      if (n == 0) continue;
      const TARe& a = A == TMeanAxis::Key ? key : ax;
      G.X.push_back(x + 1 < static_cast<int32_t>(a.size()) ? a[static_cast<size_t>(x) + 1] : 0.0);
      G.Y.push_back(s / n);
    }
  } else {
    M.AMeanY(G.Y);
    G.X = A == TMeanAxis::Key ? key : ax;
    G.X.resize(G.Y.size(), 0.0);
  }
  G.Title = "Mean<" + M.Name + ">(" + axis + ")" + (Mask ? FiltText : std::string("_noFilt"));
  G.NameY = M.Name;
  G.NameX = axis;
  G.DimY = "dim_" + M.Name;
  G.DimX = A == TMeanAxis::VOrbit ? "m/s" : "min";
  G.Format = "-.K";
  return NOf(G.Y) > 2;
}

bool VOtGraph(const TLFITS& Scan, TXYGraph& G) {
  G = TXYGraph();
  if (Scan.AXT.size() != Scan.AXvO.size()) {
    WARNAbs("length(LFITS.AXT)=" + IntStr(static_cast<int32_t>(Scan.AXT.size())) +
            "<>length(LFITS.AXvO)=" + IntStr(static_cast<int32_t>(Scan.AXvO.size())));
    return false;
  }
  G.X = Scan.AXT;
  G.Y = Scan.AXvO;
  G.DimY = "m/s";
  G.DimX = "min";
  G.NameY = "vO";
  G.NameX = "t";
  G.Title = "vO(t)";
  G.Format = "-.K";
  return NOf(G.Y) > 2;
}

// ---------------------------------------------------------------- averaged profiles

bool StokesProfilesByFilter(TJob& Job, const TMapWalk& W, TLFITS& Scan, bool VLOS,
                            TStringList& Text, std::vector<TProfComb>& Out) {
  if (W.Filters.empty()) return false;
  if (W.PerSession) {
    WARNAbs("Уберите значёк, который позволяет рассматривать сессии раздельно"_cp + kNl +
            "и выбирите одну нужную сессию!"_cp);
    return false;
  }
  if (Scan.Count() == 0) {
    WARNAbs("LFITS Not Assigned!");
    return false;
  }
  const TFIOut* lv51 = VLOS ? W.Map("LV51") : nullptr;
  const TFIOut* lv52 = VLOS ? W.Map("LV52") : nullptr;
  if (VLOS && (!lv51 || !lv52)) {
    WARNAbs("В сеансе "_cp + W.Session + " не рассчитана карта LWb1"_cp);
    return false;
  }
  const TFITS* f0 = Scan.Files[0].get();
  const int32_t nLam = f0->nLam;
  const double p1 = (Scan.Lam1 - f0->CRVAL1) / f0->CDELT1 + f0->CRPIX1;
  const double p2 = (Scan.Lam2 - f0->CRVAL1) / f0->CDELT1 + f0->CRPIX1;
  const int32_t n = W.Combinations();
  TAIn idx(W.Limits.size(), 0);
  for (int32_t c = 1; c <= n; ++c) {
    TAByBy mask;
    int32_t cnt = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    WalkMask(W, idx, mask, cnt, x1, x2, y1, y2);
    TStokesRe4 sums;
    for (int s = 1; s <= 4; ++s) sums[static_cast<size_t>(s)].assign(static_cast<size_t>(nLam) + 1, 0.0);
    double cont = 0;
    int32_t pix = 0;
    const int32_t xs = std::max(x1, 0);
    for (int32_t x = xs; x <= x2 && x < static_cast<int32_t>(mask.size()); ++x) {
      if (!Job.Step(static_cast<int64_t>(c - 1) * (x2 - xs + 1) + (x - xs),
                    static_cast<int64_t>(n) * (x2 - xs + 1),
                    "Prof " + IntStr(c) + "/" + IntStr(n) + " x=" + IntStr(x)))
        return false;
      const std::vector<uint8_t>& col = mask[static_cast<size_t>(x)];
      TAIn flags(col.size(), 0);
      int32_t k = 0;
      for (size_t y = 0; y < col.size(); ++y)
        if (col[y]) flags[y] = 1, ++k;
      if (k == 0) continue;
      TFITS* f = Scan.FITSByIndex(x);
      if (!f) continue;
      if (VLOS) {
        TARe sh(col.size(), 0.0);
        for (size_t y = 0; y < col.size(); ++y)
          if (col[y])
            sh[y] = ((lv51->aData[x][static_cast<int32_t>(y)] - p1) +
                     (lv52->aData[x][static_cast<int32_t>(y)] - p2)) / 2;
        TStokesRe4 one;
        for (int s = 1; s <= 4; ++s) one[static_cast<size_t>(s)].assign(sums[1].size(), 0.0);
        if (!f->GetProfSum(flags, sh, one)) continue;
        for (int s = 1; s <= 4; ++s)
          for (size_t i = 0; i < sums[1].size() && i < one[static_cast<size_t>(s)].size(); ++i)
            sums[static_cast<size_t>(s)][i] += one[static_cast<size_t>(s)][i];
      } else if (!f->AccProfSum(flags, sums)) {
        continue;
      }
      f->AddContSum(flags, cont);
      pix += k;
    }
    // the text block
    TStringList blk;
    for (size_t k = 0; k < W.Filters.size(); ++k) {
      const TsNaFilt& fl = *W.Filters[k];
      blk.Add(fl.Na + " " + fl.LevelText(idx[k]) + " abs_" + (fl.bAbs ? "Y" : "N") + " hist_" +
              (fl.bHist ? "Y" : "N"));
    }
    LineTabStrings(&blk, 1);
    TProfComb pc;
    pc.ContSum = cont;
    pc.Count = pix;
    if (cont != 0 && pix > 0) {
      const TFIOut* f1 = W.FiltMaps[0];
      if (x1 >= 1 || y1 >= 1)
        blk.Add("map_frame:(" + IntStr(x1) + "," + IntStr(x2) + "),(" + IntStr(y1) + "," +
                IntStr(y2) + "),(" + IntStr(f1->nX) + "," + IntStr(f1->nY) + ")");
      blk.Add("CONT=" + ShortSt(8, cont) + "/" + IntStr(pix) + "=" + ShortSt(8, cont / pix) +
              " Ses=" + f1->Da + "_" + f1->Ti);
      blk.Add("");
      const int32_t head = blk.Count();
      blk.Add("ILam Lam V1 V2 I Q U V rI rQ rU rV rL I+V I-V");
      pc.IpV.assign(static_cast<size_t>(nLam) + 1, 0.0);
      pc.ImV.assign(static_cast<size_t>(nLam) + 1, 0.0);
      pc.I.assign(static_cast<size_t>(nLam) + 1, 0.0);
      for (int32_t i = 1; i <= nLam; ++i) {
        const double I = sums[1][static_cast<size_t>(i)], Q = sums[2][static_cast<size_t>(i)],
                     U = sums[3][static_cast<size_t>(i)], V = sums[4][static_cast<size_t>(i)];
        std::string l = IntStr(i) + " " + FDecSt(4, Scan.Pix2Lam(i) - 6300) + " " +
                        FDecSt(5, Scan.Pix2V1(i)) + " " + FDecSt(5, Scan.Pix2V2(i));
        for (double v : {I, Q, U, V}) l += " " + ShortSt(7, v / pix);
        for (double v : {I, Q, U, V, std::sqrt(Q * Q + U * U), I + V, I - V})
          l += " " + ShortSt(7, v / cont);
        blk.Add(l);
        pc.IpV[static_cast<size_t>(i)] = I + V;
        pc.ImV[static_cast<size_t>(i)] = I - V;
        pc.I[static_cast<size_t>(i)] = I;
      }
      LineTabStrings(&blk, head + 1);
      Text.AddStrings(blk);
    } else {
      blk.Add("Точек для данного фильтра не найдено"_cp);
      Text.AddStrings(blk);
      WARNAbs(blk.Text());
    }
    Out.push_back(std::move(pc));
    NextLevelIndex(idx, W.Limits);
  }
  return true;
}
