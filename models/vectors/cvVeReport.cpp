// The keeper's reports: lists of its vectors and tables of their values, one column per vector.
#include <algorithm>
#include <cmath>
#include <set>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/vectors/cvLVemo.h"

namespace {

bool Reportable(const TVEMO& V) {
  return V.IsFilled() && (V.KRepSe == 0 || !V.RepSet || !V.RepSet->Skip);
}

bool IsDepthVector(const TVEMO& V) {
  return (V.NAME == "X" && V.Kh == 0) || (V.NAME == "h" && V.Kh == 1);
}

std::string Models(const std::vector<TVEMO*>& Cols) {
  std::set<std::string> s;
  for (const TVEMO* v : Cols) s.insert(v->sMOD);
  std::string r;
  for (const std::string& m : s) r += (r.empty() ? "" : ", ") + m;
  return r;
}

// A cell: the raw value converted, multiplied and formatted by the column's report format.
std::string Cell(const TVEMO& V, double Raw) {
  if (V.KRepSe != 2 || !V.RepSet) return ShortSt(8, Raw);
  const TModREP& r = *V.RepSet;
  double v = Raw;
  switch (r.Ch) {
    case 'E': v = std::pow(10.0, v); break;
    case 'L': if (v > 0) v = std::log10(v); break;
    case 'N': break;
    case 'R': if (v != 0) v = 1.0 / v; break;
    case 'T': if (v != 0) v = static_cast<double>(PhysThetaFactor / v); break;
    case 'e': v = std::exp(v); break;
    case 'l': if (v > 0) v = std::log(v); break;
    default:
      WARNAbs("LVEMO.Report Mod=" + V.sMOD + " Vec=" + V.NAME + " ConversionType=" +
              std::string(1, r.Ch) + " !!!");
  }
  v *= r.Mul;
  if (r.W0 < 0) return ShortSt(8, v);
  if (r.ChF == 'E') return ESt(r.Dig, v);
  if (r.ChF == 'F') return FSt(r.W, r.D0, v);
  return ShortSt(8, v);
}

// Titles and rows of a table; Raw(column, row) gives the raw value, Measure(column, row) the
// value that sets the width of a column without a format.
template <class FRaw, class FMeasure>
void Table(TStrList& Out, const std::vector<TVEMO*>& Cols, int32_t Rows, FRaw&& Raw,
           FMeasure&& Measure) {
  std::vector<int32_t> width(Cols.size());
  for (size_t c = 0; c < Cols.size(); ++c) {
    TVEMO& v = *Cols[c];
    if (v.RepSet) {
      if (v.RepSet->KA == 1 || v.KRepSe != 2) v.RepSetLeng();
      width[c] = v.RepSet->W;
    } else {
      int32_t w = static_cast<int32_t>(v.NAME.size());
      for (int32_t j = 1; j <= Rows; ++j)
        w = std::max(w, static_cast<int32_t>(ShortSt(8, Measure(c, j)).size()));
      width[c] = w;
    }
  }
  std::string t;
  for (size_t c = 0; c < Cols.size(); ++c) {
    const TVEMO& v = *Cols[c];
    const std::string title = v.KRepSe == 2 && v.RepSet ? v.RepSet->Hd : v.NAME;
    t += (c ? " " : "") + PadRightMark(title, width[c]);
  }
  Out.Add(t);
  for (int32_t j = 1; j <= Rows; ++j) {
    std::string s;
    for (size_t c = 0; c < Cols.size(); ++c)
      s += (c ? " " : "") + PadLeft(Cell(*Cols[c], Raw(c, j)), width[c]);
    Out.Add(s);
  }
}

// At most MaxReportColumns columns; the head says how many were left out.
std::string CutColumns(std::vector<TVEMO*>& Cols) {
  const size_t max = static_cast<size_t>(TLVEMO::MaxReportColumns);
  if (Cols.size() <= max) return std::string();
  const std::string note = " (показаны первые "_cp + IntStr(TLVEMO::MaxReportColumns) +
                           " столбцов из "_cp + IntStr(static_cast<int32_t>(Cols.size())) + ")";
  Cols.resize(max);
  return note;
}

// The raw value at layer J of a column: the depth vector's own value, else the value at the
// layer's depth (its own value when it has no depth vector).
double AtLayer(TVEMO& V, int32_t J) {
  const TARe* d = V.DepthArray();
  if ((V.KRepSe == 2 && IsDepthVector(V)) || IsDepthVector(V) || !d || NOf(*d) < J)
    return V.A[static_cast<size_t>(J)];
  return V.func((*d)[static_cast<size_t>(J)]);
}

}  // namespace

std::unique_ptr<TStrList> TLVEMO::ReportTable(const std::string& MOD, int32_t FMOD, int32_t N) {
  std::vector<TVEMO*> cols;
  for (const auto& p : items_)
    if ((MOD.empty() || p->sMOD == MOD) && p->FMOD == FMOD && p->N == N && Reportable(*p))
      cols.push_back(p.get());
  const std::string cut = CutColumns(cols);
  auto sl = std::make_unique<TStrList>();
  const std::string models = MOD.empty() ? Models(cols) : MOD;
  sl->Add("Отчет хранителя векторов для модели "_cp + models + " для сетки №"_cp + IntStr(FMOD) +
          " для числа слоев "_cp + IntStr(N) + cut);
  if (cols.empty()) {
    sl->Add("Векторы не найдены!"_cp);
    return sl;
  }
  auto raw = [&](size_t c, int32_t j) { return AtLayer(*cols[c], j); };
  Table(*sl, cols, N, raw, raw);
  return sl;
}

std::unique_ptr<TStrList> TLVEMO::ReportMod(const std::string& MOD, int32_t FMOD) {
  int32_t n = 1000;
  for (const auto& p : items_)
    if (p->sMOD == MOD && p->FMOD == FMOD) {
      n = p->N;
      break;
    }
  return ReportTable(MOD, FMOD, n);
}

std::unique_ptr<TStrList> TLVEMO::ReportByDim(int32_t N) {
  std::vector<TVEMO*> cols;
  for (const auto& p : items_)
    if (p->N == N && Reportable(*p)) cols.push_back(p.get());
  return ReportByDim(std::move(cols), N);
}

std::unique_ptr<TStrList> TLVEMO::ReportByDim(std::vector<TVEMO*> cols, int32_t N) {
  std::erase_if(cols, [N](const TVEMO* v) { return v->N != N || !v->IsFilled(); });
  const std::string cut = CutColumns(cols);
  auto sl = std::make_unique<TStrList>();
  sl->Add("Отчет хранителя векторов размерностью "_cp + IntStr(N) + " для модели "_cp +
          Models(cols) + cut);
  if (cols.empty()) {
    sl->Add("Векторы не найдены!"_cp);
    return sl;
  }
  auto raw = [&](size_t c, int32_t j) { return cols[c]->A[static_cast<size_t>(j)]; };
  Table(*sl, cols, N, raw, raw);
  return sl;
}

std::unique_ptr<TStrList> TLVEMO::Report(const TARe& X) {
  std::vector<TVEMO*> cols;
  for (const auto& p : items_)
    if (Reportable(*p)) cols.push_back(p.get());
  return Report(std::move(cols), X);
}

std::unique_ptr<TStrList> TLVEMO::Report(std::vector<TVEMO*> cols, const TARe& X) {
  std::erase_if(cols, [](const TVEMO* v) { return !v->IsFilled(); });
  const std::string cut = CutColumns(cols);
  auto sl = std::make_unique<TStrList>();
  sl->Add("Отчет хранителя векторов для модели "_cp + Models(cols) + cut);
  if (cols.empty()) {
    sl->Add("Векторы не найдены!"_cp);
    return sl;
  }
  const int32_t n = NOf(X);
  auto isDepth = [](const TVEMO& v) {
    return ((v.NAME == "X" || v.NAME == "XD") && v.Kh == 0) || (v.NAME == "h" && v.Kh == 1);
  };
  auto raw = [&](size_t c, int32_t j) {
    TVEMO& v = *cols[c];
    const double x = X[static_cast<size_t>(j)];
    return isDepth(v) ? x : v.func(x);
  };
  auto measure = [&](size_t c, int32_t j) {
    const TVEMO& v = *cols[c];
    const bool onX = v.N == n && n >= 1 && v.A[1] == X[1] &&
                     v.A[static_cast<size_t>(n)] == X[static_cast<size_t>(n)];
    return onX ? X[static_cast<size_t>(j)] : raw(c, j);
  };
  Table(*sl, cols, n, raw, measure);
  return sl;
}

std::unique_ptr<TStrList> TLVEMO::ReportModList(const std::string& MOD) const {
  size_t wName = 0, wId = 0;
  int32_t count = 0;
  for (const auto& p : items_) {
    wName = std::max(wName, p->NAME.size());
    wId = std::max(wId, p->sId.size());
    if (p->sMOD == MOD) ++count;
  }
  auto sl = std::make_unique<TStrList>();
  sl->Add("Отчет хранителя векторв LVEMO для модели "_cp + MOD + ". Число векторов = "_cp +
          IntStr(count));
  for (size_t i = 0; i < items_.size(); ++i) {
    const TVEMO& v = *items_[i];
    if (v.sMOD != MOD) continue;
    sl->Add(I64PadSt(3, static_cast<int64_t>(i)) + " PAR=" +
            PadRightMark(v.NAME, static_cast<int32_t>(wName)) + " N=" + PadLeft(IntStr(v.N), 4) +
            (v.IsFilled() ? " LOAD " : " EMPTY") + " IdStr=" +
            PadRightMark(v.sId, static_cast<int32_t>(wId)));
  }
  return sl;
}

std::unique_ptr<TStrList> TLVEMO::ReportList() const {
  size_t wMod = 0, wName = 0, wId = 0;
  for (const auto& p : items_) {
    wMod = std::max(wMod, p->sMOD.size());
    wName = std::max(wName, p->NAME.size());
    wId = std::max(wId, p->sId.size());
  }
  auto sl = std::make_unique<TStrList>();
  sl->Add("Отчет хранителя векторв LVEMO. Число векторов = "_cp + IntStr(Count()));
  for (size_t i = 0; i < items_.size(); ++i) {
    const TVEMO& v = *items_[i];
    sl->Add(I64PadSt(3, static_cast<int64_t>(i)) + " MOD=" +
            PadRightMark(v.sMOD, static_cast<int32_t>(wMod)) + " PAR=" +
            PadRightMark(v.NAME, static_cast<int32_t>(wName)) + " N=" + PadLeft(IntStr(v.N), 4) +
            (v.IsFilled() ? " LOAD " : " EMPTY") + " IdStr=" +
            PadRightMark(v.sId, static_cast<int32_t>(wId)));
  }
  return sl;
}
