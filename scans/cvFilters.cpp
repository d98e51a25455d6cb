#include "scans/cvFilters.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvScanServices.h"

namespace {

const std::string kNl = "\r\n";

bool Num(const std::string& W, double& V) {
  if (W.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(W, code);
  return code == 0;
}

std::string HistText() {
  return "Режим фильтрации по границам на гистограмме (ещё не доделан?)"_cp;
}

// The fields of a level text: each field's words, checked (numbers, "D" or "U"). False, with the
// report, at a bad word; Stop tells that a field of fewer than two words ended the reading (the
// fields before it are in Fields).
bool ReadFields(const std::string& Text, std::vector<std::vector<std::string>>& Fields,
                bool& Stop) {
  Fields.clear();
  Stop = false;
  const int32_t n = CountCols(Text, '"', ',');
  for (int32_t k = 0; k < n; ++k) {
    const std::string f = FieldN(Text, ',', k);
    const int32_t w = WordCount(f);
    std::vector<std::string> words;
    for (int32_t i = 1; i <= w; ++i) {
      const std::string x = WordN(f, i);
      double v = 0;
      if (x != "D" && x != "U" && !Num(x, v)) {
        WARNAbs("При задании фильтра <"_cp + Text + ">" + kNl +
                "допущена ошибка в записи числа <"_cp + x + ">");
        return false;
      }
      words.push_back(x);
    }
    if (w < 2) {
      if (TrimSp(Text) != "0")
        WARNAbs("При задании фильтра должны быть числа парами!"_cp + kNl + "<" + Text + ">");
      Stop = true;
      return true;
    }
    Fields.push_back(std::move(words));
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The filter object

void TsNaFilt::LevelsI(int32_t I, double& Lo, double& Hi) const {
  if (I < 0 || I >= Count()) {
    Lo = Hi = 0;
    WARNAbs("TsNaFilt.LevelsI запрошен уровень "_cp + IntStr(I) + "+1 их всего "_cp +
            IntStr(Count()));
    return;
  }
  Lo = ALo[static_cast<size_t>(I)];
  Hi = AHi[static_cast<size_t>(I)];
}

std::string TsNaFilt::LevelText(int32_t I) const {
  double lo = 0, hi = 0;
  LevelsI(I, lo, hi);
  return "[" + ShortSt(6, lo) + "_" + ShortSt(6, hi) + "]";
}

// ---------------------------------------------------------------------------------------------
// Building filters

void MakeListFilt(TFiltList& L, const std::string& MapName, const std::string& Text, bool Abs,
                  bool Hist) {
  if (TrimSp(MapName).empty()) return;
  const int32_t n = WordCount(Text);
  if (n < 2) return;
  auto f = std::make_unique<TsNaFilt>();
  f->Na = MapName;
  f->ALo.assign(static_cast<size_t>(n), 0.0);
  f->AHi.assign(static_cast<size_t>(n), 0.0);
  auto badNumber = [](const std::string& W) {
    WARNAbs("MakeListFilt.AddFilt- ошибка в числе <"_cp + W + "> !");
  };
  double prev = 0;
  if (!Num(WordN(Text, 1), prev)) return badNumber(WordN(Text, 1));
  prev -= 1;
  bool wantLow = true;     // a lower bound expected (at the start and after a comma)
  bool afterGroup = false; // the number after an upper bound that ended a group
  int32_t levels = 0;
  for (int32_t i = 1; i <= n; ++i) {
    std::string w = WordN(Text, i);
    bool endsGroup = false;
    if (wantLow) {
      if (w.find(',') != std::string::npos) {
        WARNAbs("MakeListFilt.AddFilt-Err в "_cp + IntStr(levels) +
                "-ой мин.границе фильтра <"_cp + w + "> не должно быть запятой!"_cp);
        return;
      }
    } else if (const size_t c = w.find(','); c != std::string::npos) {
      endsGroup = true;
      w.erase(c);
    }
    double v = 0;
    if (!Num(w, v)) return badNumber(w);
    if (!endsGroup && !afterGroup && !(v > prev)) {
      WARNAbs("MakeListFilt.AddFilt- ошибка: Уровни в строке <"_cp + Text +
              "> должны быть расположены по возрастанию!"_cp);
      return;
    }
    afterGroup = false;
    if (wantLow) {
      f->ALo[static_cast<size_t>(levels)] = v;
      wantLow = false;
    } else {
      f->AHi[static_cast<size_t>(levels)] = v;
      ++levels;
      if (endsGroup) {
        wantLow = true;
        afterGroup = true;
      } else if (levels < n) {
        f->ALo[static_cast<size_t>(levels)] = v;
      }
    }
    prev = v;
  }
  f->ALo.resize(static_cast<size_t>(levels));
  f->AHi.resize(static_cast<size_t>(levels));
  f->bAbs = Abs;
  f->bHist = Hist;
  L.push_back(std::move(f));
}

int32_t CountFiltLevels(const std::string& Text) {
  std::vector<std::vector<std::string>> fields;
  bool stop = false;
  if (!ReadFields(Text, fields, stop)) return 0;
  int32_t n = 0;
  for (const auto& f : fields) n += static_cast<int32_t>(f.size()) - 1;
  return n;
}

std::unique_ptr<TStringList> FiltSpecToSL(const std::string& Text) {
  std::vector<std::vector<std::string>> fields;
  bool stop = false;
  if (!ReadFields(Text, fields, stop) || stop) return nullptr;
  auto l = std::make_unique<TStringList>();
  for (const auto& f : fields)
    for (size_t i = 0; i + 1 < f.size(); ++i) l->Add(f[i] + " " + f[i + 1]);
  return l;
}

std::string FiltSpecWord(const std::string& Text, int32_t N) {
  const auto l = FiltSpecToSL(Text);
  if (!l) return "NIL";
  if (N < 1 || N > l->Count())
    return " Слово №"_cp + IntStr(N) + " в строке <"_cp + Text + ">";
  return (*l)[N - 1];
}

std::string FiltListText(const TFiltList& L, const TAIn& Index) {
  std::string r;
  for (size_t k = 0; k < L.size(); ++k) {
    const TsNaFilt& f = *L[k];
    double lo = 0, hi = 0;
    f.LevelsI(k < Index.size() ? Index[k] : -1, lo, hi);
    if (k > 0) r += "+";
    r += f.Na + "[" + ShortSt(8, lo) + "%" + ShortSt(8, hi) + "]" + (f.bAbs ? "Y" : "N") +
         (f.bHist ? "Y" : "N");
  }
  return r;
}

// ---------------------------------------------------------------------------------------------
// Stepping through the combinations

int32_t NextLevelIndex(TAIn& Index, const TAIn& Limits) {
  const size_t n = Index.size();
  if (n == 0) return 0;
  auto limit = [&](size_t p) { return p < Limits.size() ? Limits[p] : 1; };
  size_t p = 0;
  ++Index[0];
  while (Index[p] >= limit(p)) {
    Index[p] = 0;
    if (++p == n) return static_cast<int32_t>(n);
    ++Index[p];
  }
  return static_cast<int32_t>(p);
}

int32_t ResetLevelIndex(int32_t N, const TAIn& Limits, TAIn& Index) {
  Index.assign(Limits.size(), 0);
  int32_t r = 0;
  for (int32_t i = 1; i < N; ++i) r = NextLevelIndex(Index, Limits);
  return r;
}

void LevelIndexAtStep(int32_t N, int32_t A, int32_t B, int32_t C, int32_t& La, int32_t& Lb,
                      int32_t& Lc) {
  La = Lb = Lc = 0;
  if (N < 1) return;
  const int32_t counts[3] = {A, B, C};
  int32_t* out[3] = {&La, &Lb, &Lc};
  TAIn limits;
  for (int32_t c : counts)
    if (c > 0) limits.push_back(c);
  TAIn index;
  ResetLevelIndex(N, limits, index);
  size_t p = 0;
  for (int k = 0; k < 3; ++k)
    if (counts[k] > 0) *out[k] = index[p++] + 1;
}

// ---------------------------------------------------------------------------------------------
// Masks

namespace {
bool InMap(const TFIOut* M, int32_t X, int32_t Y) {
  return FIOutAssigned(M) && X >= 0 && Y >= 0 && static_cast<size_t>(X) < M->aData.Rows() &&
         static_cast<size_t>(Y) < M->aData.Cols();
}
}  // namespace

bool FiltPixelPasses(const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index, int32_t X,
                     int32_t Y) {
  const size_t n = std::min(Maps.size(), L.size());
  for (size_t k = 0; k < n; ++k) {
    const TFIOut* m = Maps[k];
    if (!InMap(m, X, Y)) return false;
    const TsNaFilt& f = *L[k];
    double v = m->aData[static_cast<size_t>(X)][static_cast<size_t>(Y)];
    if (f.bAbs) v = std::fabs(v);
    double lo = 0, hi = 0;
    f.LevelsI(k < Index.size() ? Index[k] : -1, lo, hi);
    if (f.bHist) WARNAbs(HistText());
    if (!(v >= lo) || v > hi) return false;
  }
  return true;
}

void MaskZero(int32_t NX, int32_t NY, TAByBy& Mask) {
  Mask.assign(static_cast<size_t>(std::max(NX, 0)),
              std::vector<uint8_t>(static_cast<size_t>(std::max(NY, 0)), 0));
}

void MapFiltMask(bool Keep, int32_t NX, int32_t NY, int32_t XLo, int32_t XHi, int32_t YLo,
                 int32_t YHi, const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index,
                 TAByBy& Mask, int32_t& Count) {
  TFiltState& st = Scans().Filt;
  st.Text = Keep ? FiltListText(L, Index) : std::string();
  MaskOfLevels(NX, NY, XLo, XHi, YLo, YHi, Maps, L, Index, Mask, Count);
}

void MaskOfLevels(int32_t NX, int32_t NY, int32_t XLo, int32_t XHi, int32_t YLo, int32_t YHi,
                  const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index, TAByBy& Mask,
                  int32_t& Count) {
  MaskZero(NX, NY, Mask);
  Count = 0;

  // The ranges clamped to the mask and to every map tested.
  const size_t n = std::min(Maps.size(), L.size());
  int64_t xHi = std::min<int64_t>(XHi, NX - 1), yHi = std::min<int64_t>(YHi, NY - 1);
  struct TTest {
    const float* p;
    size_t stride;
    double lo, hi;
    bool abs;
  };
  std::vector<TTest> tests;
  for (size_t k = 0; k < n; ++k) {
    const TFIOut* m = Maps[k];
    if (!FIOutAssigned(m)) return;
    xHi = std::min<int64_t>(xHi, static_cast<int64_t>(m->aData.Rows()) - 1);
    yHi = std::min<int64_t>(yHi, static_cast<int64_t>(m->aData.Cols()) - 1);
    const TsNaFilt& f = *L[k];
    TTest t{m->aData.Data(), m->aData.Rows(), 0, 0, f.bAbs};
    f.LevelsI(k < Index.size() ? Index[k] : -1, t.lo, t.hi);
    // The histogram mode is not worked out: said once per filter, the plain bounds apply.
    if (f.bHist) WARNAbs(HistText());
    tests.push_back(t);
  }
  const int64_t xLo = std::max<int32_t>(XLo, 0), yLo = std::max<int32_t>(YLo, 0);
  for (int64_t x = xLo; x <= xHi; ++x) {
    std::vector<uint8_t>& col = Mask[static_cast<size_t>(x)];
    for (int64_t y = yLo; y <= yHi; ++y) {
      bool pass = true;
      for (const TTest& t : tests) {
        double v = t.p[static_cast<size_t>(x) + static_cast<size_t>(y) * t.stride];
        if (t.abs) v = std::fabs(v);
        if (!(v >= t.lo) || v > t.hi) {
          pass = false;
          break;
        }
      }
      if (pass) {
        col[static_cast<size_t>(y)] = 1;
        ++Count;
      }
    }
  }
}

void MaskStackPush(const TAByBy& Mask, std::unique_ptr<TMaskStack>& List) {
  if (Mask.empty() || Mask[0].empty()) return;
  if (!List) List = std::make_unique<TMaskStack>();
  List->push_back(Mask);
}

void MaskStackGet(const TMaskStack* List, int32_t I, TAByBy& Mask) {
  Mask.clear();
  if (!List || I < 0 || static_cast<size_t>(I) >= List->size()) return;
  Mask = (*List)[static_cast<size_t>(I)];
}

void MaskStackFree(std::unique_ptr<TMaskStack>& List) { List.reset(); }

// ---------------------------------------------------------------------------------------------
// Session-grid filters

void TSesFltLst::Fill(TSesFltLst* L, const TStringList& Lines) {
  if (!L) {
    WARNAbs("TSesFltLst Not Assigned!");
    return;
  }
  Clear(L);
  for (int i = 0; i < Lines.Count(); ++i) {
    const std::string& s = Lines[i];
    if (WordCount(s) < 4) continue;
    TSesFltRec r;
    r.Name = WordN(s, 1);
    int32_t code = 0;
    if (!Num(WordN(s, 2), r.Lo) || !Num(WordN(s, 3), r.Hi)) continue;
    r.Col = ValIntCode(WordN(s, 4), code);
    if (code != 0) continue;
    L->Items.push_back(r);
  }
}

void TSesFltLst::Clear(TSesFltLst* L) {
  if (L) L->Items.clear();
}
