#include "linedata/cvLLILAM.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

namespace {

const std::string kCrLf = "\r\n";
const TLIDAk kNoK;

const TLIDAk& K(const TLIDA& L) { return L.LIk ? *L.LIk : kNoK; }

template <class T>
int Cmp(const T& E, const T& N) {
  return E < N ? 1 : (N < E ? -1 : 0);
}

// The components of a merge: shift (integer mÅ) and summed intensity, in the order opened.
struct TComp {
  double Shift;
  double Int;
};

std::vector<TComp> Components(const std::vector<double>& S, const std::vector<double>& F) {
  std::vector<TComp> c;
  for (size_t i = 0; i < S.size(); ++i) {
    if (!c.empty() && c.back().Shift == S[i])
      c.back().Int += F[i];
    else
      c.push_back({S[i], F[i]});
  }
  return c;
}

// Intensities I/Total rounded to 4 decimals, unless the raw ones add up closer to 1.
void Normalise(std::vector<TComp>& C, double Total) {
  std::vector<double> r(C.size());
  double sum = 0;
  for (size_t i = 0; i < C.size(); ++i) {
    r[i] = RoundDec(Total != 0 ? C[i].Int / Total : 0.0, 4);
    sum += r[i];
  }
  if (std::fabs(Total - 1) < std::fabs(sum - 1)) return;
  for (size_t i = 0; i < C.size(); ++i) C[i].Int = r[i];
}

void SetList(TLIDA& L, const std::vector<TComp>& C) {
  L.HFS = std::make_unique<THFS>();
  L.HFS->SetN(static_cast<int32_t>(C.size()));
  for (size_t i = 0; i < C.size(); ++i) {
    L.HFS->Shift[i + 1] = C[i].Shift;
    L.HFS->Int[i + 1] = C[i].Int;
  }
  L.NHFS = static_cast<uint8_t>(std::min<size_t>(C.size(), 255));
}

size_t CentreOf(const std::vector<double>& S) {
  size_t c = 0;
  for (size_t i = 1; i < S.size(); ++i)
    if (std::fabs(S[i]) < std::fabs(S[c])) c = i;
  return c;
}

bool SameList(const THFS* A, const THFS* B) {
  if (A->N != B->N) return false;
  for (int32_t i = 1; i <= A->N; ++i)
    if (A->Shift[static_cast<size_t>(i)] != B->Shift[static_cast<size_t>(i)] ||
        A->Int[static_cast<size_t>(i)] != B->Int[static_cast<size_t>(i)])
      return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Orders

int CompareByAtom(const TLIDA& E, const TLIDA& N) {
  if (int c = Cmp(E.AT, N.AT)) return c;
  if (int c = Cmp(E.NIon, N.NIon)) return c;
  if (int c = Cmp(E.ELOW, N.ELOW)) return c;
  if (int c = Cmp(E.LAMB, N.LAMB)) return c;
  if (int c = Cmp(K(E).shiftLO, K(N).shiftLO)) return c;
  if (int c = Cmp(K(E).shiftHI, K(N).shiftHI)) return c;
  return Cmp(K(E).hfHI, K(N).hfHI);
}

int CompareByLamb(const TLIDA& E, const TLIDA& N) {
  if (int c = Cmp(E.LAMB, N.LAMB)) return c;
  return Cmp(K(E).Isotope2, K(N).Isotope2);
}

int CompareById(const TLIDA& E, const TLIDA& N) { return Cmp(E.sIdK, N.sIdK); }

// ---------------------------------------------------------------------------------------------
// TLLILAM

void TLLILAM::Note(const std::string& Text) const {
  if (InsertErrors) InsertErrors->Add(Text);
}

void TLLILAM::Add(std::unique_ptr<TLIDA> Line) {
  if (Name.empty()) Name = "Add";
  // lines that come in the list's order go to its end
  if (Items.empty() || Compare(*Items.back(), *Line) > 0) {
    Items.push_back(std::move(Line));
    return;
  }
  // the first entry that does not go before the new line
  auto it = std::partition_point(Items.begin(), Items.end(),
                                 [&](const std::unique_ptr<TLIDA>& E) { return Compare(*E, *Line) > 0; });
  if (it != Items.end() && Compare(**it, *Line) == 0) {
    Duplicate(static_cast<size_t>(it - Items.begin()), Line);
    return;
  }
  Items.insert(it, std::move(Line));
}

void TLLILAM::AddAll(std::vector<std::unique_ptr<TLIDA>> Lines) {
  if (Name.empty()) Name = "Add";
  // the new lines in the list's order (equal ones as they came), merged behind the equal
  // entries already there: a duplicate meets the entry it would meet inserted alone
  std::stable_sort(Lines.begin(), Lines.end(),
                   [&](const auto& A, const auto& B) { return Compare(*A, *B) > 0; });
  std::vector<std::unique_ptr<TLIDA>> old;
  old.swap(Items);
  Items.reserve(old.size() + Lines.size());
  size_t i = 0;
  for (auto& n : Lines) {
    while (i < old.size() && Compare(*old[i], *n) >= 0) Items.push_back(std::move(old[i++]));
    if (!Items.empty() && Compare(*Items.back(), *n) == 0)
      Duplicate(Items.size() - 1, n);
    else
      Items.push_back(std::move(n));
  }
  while (i < old.size()) Items.push_back(std::move(old[i++]));
}

void TLLILAM::AddNamed(std::unique_ptr<TLIDA> Line, const std::string& AName) {
  Name = AName;
  Add(std::move(Line));
}

void TLLILAM::Duplicate(size_t At, std::unique_ptr<TLIDA>& N) {
  TLIDA& e = *Items[At];
  const bool nHas = N->HFS && N->HFS->N > 0, eHas = e.HFS && e.HFS->N > 0;
  if (nHas && !eHas) {
    e.Clear();
    Items[At] = std::move(N);
    return;
  }
  Note(Name + " " + N->sIdK + " => " + e.sIdK);
}

void TLLILAM::ClearLines() {
  while (!Items.empty()) {
    Items.back()->Clear();
    Items.pop_back();
  }
}

std::unique_ptr<TStringList> TLLILAM::Dump() const {
  auto sl = std::make_unique<TStringList>();
  for (size_t i = 0; i < Items.size(); ++i) {
    if (!Items[i]->LIk)
      WARNAbs("LLILAM.Dump[" + IntStr(static_cast<int32_t>(i)) + "] LIk Not Assigmed!");
    sl->Add(Items[i]->sDump());
  }
  return sl;
}

// ---------------------------------------------------------------------------------------------
// TLLIHFS

void TLLIHFS::Duplicate(size_t At, std::unique_ptr<TLIDA>& N) {
  TLIDA& e = *Items[At];
  if (!e.LIk) e.LIk = std::make_unique<TLIDAk>();
  e.LIk->frac = RoundDec(std::log10(std::pow(10.0, e.LIk->frac) + std::pow(10.0, K(*N).frac)), 3);
  N->Clear();
}

void TLLIHFS::ExtractLI(const TLIDA& Line, std::unique_ptr<TLLIHFS>& Result) {
  if (!Result) Result = std::make_unique<TLLIHFS>();
  Result->ClearLines();
  Result->InsertErrors = InsertErrors;
  const TLIDAk& k = K(Line);
  // the components share AT, NIon and ELOW: in the order by atom they stand together
  auto lo = Items.begin(), hi = Items.end();
  if (Compare == CompareByAtom) {
    auto before = [&](const std::unique_ptr<TLIDA>& E) {
      return std::tie(E->AT, E->NIon, E->ELOW) < std::tie(Line.AT, Line.NIon, Line.ELOW);
    };
    lo = std::partition_point(Items.begin(), Items.end(), before);
    hi = std::partition_point(lo, Items.end(), [&](const std::unique_ptr<TLIDA>& E) {
      return !(std::tie(Line.AT, Line.NIon, Line.ELOW) < std::tie(E->AT, E->NIon, E->ELOW));
    });
  }
  // matching entries move out in list order, the others close up
  auto keep = lo;
  for (auto it = lo; it != hi; ++it) {
    const TLIDA& e = **it;
    const TLIDAk& ek = K(e);
    if (e.AT == Line.AT && e.NIon == Line.NIon && e.ELOW == Line.ELOW &&
        ek.LabelLO == k.LabelLO && ek.LabelHI == k.LabelHI && e.JL2 == Line.JL2 &&
        e.JU2 == Line.JU2 && ek.Isotope == k.Isotope)
      Result->Items.push_back(std::move(*it));
    else
      *keep++ = std::move(*it);
  }
  Items.erase(keep, hi);
  std::stable_sort(Result->Items.begin(), Result->Items.end(),
                   [](const auto& A, const auto& B) { return K(*A).HFShift < K(*B).HFShift; });
}

void TLLIHFS::ExtractISO(const TLIDA& Line, std::unique_ptr<TLLIHFS>& Result) {
  if (!Result) Result = std::make_unique<TLLIHFS>();
  Result->ClearLines();
  Result->InsertErrors = InsertErrors;
  auto keep = Items.begin();
  for (auto it = Items.begin(); it != Items.end(); ++it) {
    const TLIDA& e = **it;
    if (e.AT == Line.AT && e.NIon == Line.NIon && e.ELOW == Line.ELOW && e.EUP == Line.EUP &&
        e.JL2 == Line.JL2 && e.JU2 == Line.JU2)
      Result->Items.push_back(std::move(*it));
    else
      *keep++ = std::move(*it);
  }
  Items.erase(keep, Items.end());
  std::stable_sort(Result->Items.begin(), Result->Items.end(), [](const auto& A, const auto& B) {
    if (A->LAMB != B->LAMB) return A->LAMB > B->LAMB;
    return K(*A).Isotope2 > K(*B).Isotope2;
  });
}

TLIDA* TLLIHFS::GetLessLamb() {
  if (Items.empty()) {
    WARNAbs("LLIHFS.GetLessLamb Count = 0!");
    return nullptr;
  }
  TLIDA* best = Items[0].get();
  for (const auto& e : Items)
    if (e->LAMB < best->LAMB) best = e.get();
  return best;
}

std::unique_ptr<TLIDA> TLLIHFS::Shrink() {
  const size_t n = Items.size();
  if (n == 0) return nullptr;
  for (size_t i = 0; i < n; ++i)
    if (!Items[i]->LIk) {
      WARNAbs("TLLIHFS.Shrink элемент "_cp + IntStr(static_cast<int32_t>(i)) + " Not Assigned!");
      return nullptr;
    }
  const std::string lo = Items[0]->LIk->LabelLO;
  for (const auto& e : Items)
    if (e->LIk->LabelLO != lo) {
      WARNAbs("LLIHFS.Shrink в список попали HFS-компоненты РАЗНЫХ линий!"_cp);
      WARNAbsSL(Dump().get());
      return nullptr;
    }
  double sumAir = 0, sumLam0 = 0;
  for (size_t i = 0; i < n; ++i) {
    const TLIDA& e = *Items[i];
    const double air = e.LIk->nAir;
    if (air == 0) {
      WARNAbs("LLIHFS.Shrink - найден не расчитанный компонент, nAir=0"_cp + kCrLf + e.sDump());
      return nullptr;
    }
    if (air > 2) {
      WARNAbs("LLIHFS.Shrink - найден nAir=>2 ="_cp + ShortSt(5, air) + " I=" +
              IntStr(static_cast<int32_t>(i)) + kCrLf + e.sDump());
      WARNAbsSL(Dump().get());
      return nullptr;
    }
    if (e.LIk->Lam0 == 0) {
      WARNAbs("LLIHFS.Shrink - найден не расчитанный компонент, Lam0=0"_cp + kCrLf + e.sDump());
      return nullptr;
    }
    sumAir += air;
    sumLam0 += e.LIk->Lam0;
  }
  const double nRef = sumAir / n + 1;
  const double lam0 = RoundDec(sumLam0 / n, 7);
  std::vector<double> s(n), f(n);
  double total = 0;
  for (size_t i = 0; i < n; ++i) {
    TLIDA& e = *Items[i];
    const double eLo = e.ELOW * EvToCm + e.LIk->shiftLO / 1000.0;
    const double eHi = e.EUP * EvToCm + e.LIk->shiftHI / 1000.0;
    const double lam = RoundDec(1e8 / (eHi - eLo) / nRef, 7);
    e.LIk->HFShift = (lam - lam0) * 1000;
    if (e.LIk->frac == 0)
      Note("LLIHFS.Shrink ERR: LIk.frac = 0 для линии"_cp + kCrLf + e.sDump());
    f[i] = std::pow(10.0, e.LIk->frac);
    total += f[i];
    s[i] = std::round(e.LIk->HFShift);
  }
  std::vector<TComp> c = Components(s, f);
  Normalise(c, total);
  auto m = std::make_unique<TLIDA>(*Items[CentreOf(s)]);
  m->LIk->nAir = nRef - 1;
  m->LIk->Lam0 = lam0;
  SetList(*m, c);
  m->LAMB = RoundDec(lam0, 3);
  m->LIk->shiftLO = m->LIk->shiftHI = 0;
  m->LIk->HFShift = 0;
  m->LIk->frac = 0;
  return m;
}

std::unique_ptr<TLIDA> TLLIHFS::ShrinkISO() {
  const size_t n = Items.size();
  if (n == 0) {
    WARNAbs("ShrinkISO LLIHFS.Count=0!");
    return nullptr;
  }
  for (size_t i = 0; i < n; ++i)
    if (!Items[i]->LIk) {
      WARNAbs("TLLIHFS.ShrinkISO элемент "_cp + IntStr(static_cast<int32_t>(i)) + " Not Assigned!");
      return nullptr;
    }
  if (n == 1) {
    auto m = std::make_unique<TLIDA>(*Items[0]);
    m->LIk->Isotope2 = 0;
    m->LIk->fracabund = 0;
    m->LIk->shiftMA = 0;
    return m;
  }
  const TLIDA& first = *Items[0];
  for (const auto& e : Items)
    if (e->LIk->LabelLO != first.LIk->LabelLO) {
      WARNAbs("LLIHFS.ShrinkISO в список попали ISO-компоненты РАЗНЫХ линий!"_cp);
      WARNAbsSL(Dump().get());
      return nullptr;
    }
  std::vector<double> w(n);
  double W = 0, wl = 0;
  for (size_t i = 0; i < n; ++i) {
    w[i] = std::pow(10.0, Items[i]->LIk->fracabund);
    W += w[i];
    wl += w[i] * Items[i]->LAMB;
  }
  const double lamBar = RoundDec(RoundDec(wl / W, 7), 3);
  if (W > 1.1 || W < 0.9)
    Note("TLLIHFS.ShrinkISO WARNING: СУММА(isofrac)="_cp + ShortSt(5, W) + " <> 1!" + " линий "_cp +
         IntStr(static_cast<int32_t>(n)) + " штук"_cp + kCrLf + first.sDump());
  // the components in ascending shift, equal shifts summed
  std::vector<std::pair<double, double>> sw(n);
  std::vector<double> s(n);
  for (size_t i = 0; i < n; ++i) {
    s[i] = std::round((Items[i]->LAMB - lamBar) * 1000);
    sw[i] = {s[i], w[i]};
  }
  const size_t centre = CentreOf(s);
  std::stable_sort(sw.begin(), sw.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<double> ss(n), ww(n);
  for (size_t i = 0; i < n; ++i) {
    ss[i] = sw[i].first;
    ww[i] = sw[i].second;
  }
  std::vector<TComp> iso = Components(ss, ww);
  // the hyperfine lists of the components against the first one's
  const THFS* h0 = first.HFS && first.HFS->N > 0 ? first.HFS.get() : nullptr;
  const std::string line0 = "у разных компонент изотопического сдвига! Линия 0:"_cp + kCrLf + first.sDump();
  for (size_t i = 1; i < n; ++i) {
    const TLIDA& e = *Items[i];
    const THFS* hi = e.HFS && e.HFS->N > 0 ? e.HFS.get() : nullptr;
    const std::string idx = IntStr(static_cast<int32_t>(i));
    if (h0 && hi && !SameList(h0, hi)) {
      WARNAbs("TLLIHFS.ShrinkISO WARNING3: не совпадают HFS структуры"_cp + kCrLf + line0 + kCrLf +
              "HFS[0]=<" + first.sRepLLIDA() + ">" + kCrLf + "HFS[" + idx + "]=<" + e.sRepLLIDA() +
              ">");
    } else if (h0 && !hi) {
      Note("TLLIHFS.ShrinkISO WARNING2: не совпадают HFS структуры"_cp + line0 + kCrLf + "HFS[0]=<" +
           first.sRepLLIDA() + "> NHFS=" + IntStr(h0->N) + " HFS[" + idx + "] Not Assigned");
    } else if (!h0 && hi) {
      Note("TLLIHFS.ShrinkISO WARNING1: не совпадают HFS структуры"_cp + line0 + kCrLf +
           "HFS[0] Not Assigned" + " HFS[" + idx + "]=<" + e.sRepLLIDA() + ">");
    }
  }
  auto m = std::make_unique<TLIDA>(*Items[centre]);
  if (h0) {
    // the first entry's hyperfine list, halved, merged with the isotopic components halved
    std::vector<TComp> hf;
    for (int32_t i = 1; i <= h0->N; ++i)
      hf.push_back({h0->Shift[static_cast<size_t>(i)], h0->Int[static_cast<size_t>(i)] / 2});
    std::stable_sort(hf.begin(), hf.end(), [](const TComp& A, const TComp& B) { return A.Shift < B.Shift; });
    for (TComp& c : iso) c.Int = c.Int / W / 2;
    std::vector<TComp> all;
    size_t a = 0, b = 0;
    while (a < hf.size() || b < iso.size()) {
      TComp next;
      if (b >= iso.size() || (a < hf.size() && hf[a].Shift < iso[b].Shift)) {
        next = hf[a++];
      } else if (a >= hf.size() || iso[b].Shift < hf[a].Shift) {
        next = iso[b++];
      } else {
        next = {hf[a].Shift, hf[a].Int + iso[b].Int};
        ++a;
        ++b;
      }
      all.push_back(next);
    }
    double sum = 0;
    for (const TComp& c : all) sum += c.Int;
    for (TComp& c : all) c.Int = RoundDec(sum != 0 ? c.Int / sum : 0.0, 4);
    SetList(*m, all);
  } else {
    Normalise(iso, W);
    SetList(*m, iso);
  }
  m->LAMB = lamBar;
  m->LIk->Isotope2 = 0;
  m->LIk->fracabund = 0;
  m->LIk->shiftMA = 0;
  return m;
}
