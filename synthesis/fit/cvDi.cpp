#include "synthesis/fit/cvDi.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "platform/FileErr.h"
#include "synthesis/fit/cvFitState.h"
#include "synthesis/fit/cvFitUtil.h"

TFitState& FitState() {
  TCalcContext& c = CalcCtx();
  if (!c.Fit) c.Fit = std::make_shared<TFitState>();
  return *c.Fit;
}

TDi& Di() { return FitState().Di; }
TPageView& DiPage() { return FitState().DiPage; }
TPageView& DialogPage() { return FitState().DialogPage; }

namespace {

// A run of changes along the records in use: the number of changes from the previous value,
// the value text of the last record and the texts of all records joined by single blanks.
struct TChanges {
  int32_t Count = 0;
  std::string Last, All;
};

TChanges RealChanges(const std::vector<double>& Values, double Previous, int Digits) {
  TChanges c;
  double prev = Previous;
  for (double v : Values) {
    if (v != prev) {
      ++c.Count;
      prev = v;
    }
    c.Last = ShortSt(Digits, v);
    c.All += (c.All.empty() ? "" : " ") + c.Last;
  }
  return c;
}

TChanges TextChanges(const std::vector<std::string>& Values) {
  TChanges c;
  std::string prev;
  bool first = true;
  for (const std::string& v : Values) {
    if (v != prev) {
      ++c.Count;
      prev = v;
    }
    c.Last = v;
    c.All += (first ? "" : " ") + v;
    first = false;
  }
  return c;
}

// The variator's building calls, noted when asked for.
class TBuild {
 public:
  TBuild(TVARIATOR& V, TStringList* Calls) : v_(V), calls_(Calls) {}
  void AddP(const std::string& T) {
    Note("AddP " + T);
    v_.AddP(T);
  }
  void AddPQOneStr(const std::string& T) {
    Note("AddPQOneStr " + T);
    v_.AddPQOneStr(T, true);
  }
  void ConcateP(const std::string& T) {
    Note("ConcateP " + T);
    v_.ConcateP(T);
  }
  void AddPSL(const TStringList& L) {
    Note("AddPSL " + Joined(L));
    v_.AddPSL(&L);
  }
  void ConcatePSL(const TStringList& L) {
    Note("ConcatePSL " + Joined(L));
    v_.ConcatePSL(&L);
  }

 private:
  static std::string Joined(const TStringList& L) {
    std::string s;
    for (int i = 0; i < L.Count(); ++i) s += (i ? "|" : "") + L[i];
    return s;
  }
  void Note(const std::string& T) {
    if (calls_) calls_->Add(T);
  }
  TVARIATOR& v_;
  TStringList* calls_;
};

const TDiMod& ModOrEmpty(const TDi& D, int32_t M) {
  static const TDiMod empty;
  return (M >= 1 && M <= TDi::MaxMod && D.Mods[static_cast<size_t>(M)])
             ? *D.Mods[static_cast<size_t>(M)]
             : empty;
}

const TDiLamSpan& SpanOrEmpty(const TDi& D, int32_t N) {
  static const TDiLamSpan empty;
  return (N >= 1 && N <= TDi::MaxLams && D.Spans[static_cast<size_t>(N)])
             ? *D.Spans[static_cast<size_t>(N)]
             : empty;
}

std::string Flag(bool B) { return B ? "1" : "0"; }

}  // namespace

TDiMod& TDi::Mod(int32_t M) {
  auto& p = Mods.at(static_cast<size_t>(M));
  if (!p) p = std::make_unique<TDiMod>();
  return *p;
}

TDiLamSpan& TDi::Span(int32_t N) {
  auto& p = Spans.at(static_cast<size_t>(N));
  if (!p) p = std::make_unique<TDiLamSpan>();
  return *p;
}

// ---------------------------------------------------------------- table upkeep

void TDi::CopyCase(int32_t From, int32_t To) {
  Cases.at(static_cast<size_t>(To)) = Cases.at(static_cast<size_t>(From));
}
void TDi::CopyLine(int32_t From, int32_t To) {
  Lines.at(static_cast<size_t>(To)) = Lines.at(static_cast<size_t>(From));
}
void TDi::ClearCaseRec(int32_t C) { Cases.at(static_cast<size_t>(C)) = TDiCase(); }
void TDi::ClearLineRec(int32_t L) { Lines.at(static_cast<size_t>(L)) = TDiLine(); }

void TDi::ClearObs() {
  const int32_t n0 = std::min(nCase, MaxCase);
  for (int32_t i = n0; i >= 1; --i) {
    if (!Cases[static_cast<size_t>(i)].Show) continue;
    for (int32_t j = i; j < nCase; ++j) CopyCase(j + 1, j);
    ClearCaseRec(nCase);
    --nCase;
  }
}

void TDi::ClearLin() {
  const int32_t n0 = std::min(nLin, MaxLin);
  for (int32_t i = n0; i >= 1; --i) {
    if (!Lines[static_cast<size_t>(i)].Calc) continue;
    for (int32_t j = i; j < nLin; ++j) CopyLine(j + 1, j);
    ClearLineRec(nLin);
    --nLin;
  }
}

// ---------------------------------------------------------------- variator builders

bool TDi::VariLoadCases(TVARIATOR& V, TStringList* Calls) const {
  if (nCase <= 0) {
    WARNAbs("Не определено ни одной области наблюдений #QUESTObs"_cp);
    return false;
  }
  if (nCase > MaxCase) {
    WARNAbs("DiVariLoadCases nCase=" + IntStr(nCase) + " > max(nCase)=" + IntStr(MaxCase));
    return false;
  }
  std::vector<std::string> quests, names;
  std::vector<double> ctetas;
  for (int32_t i = 1; i <= nCase; ++i) {
    const TDiCase& c = Cases[static_cast<size_t>(i)];
    if (c.Weight == 0) continue;
    quests.push_back(c.QUEST);
    names.push_back(c.Name);
    ctetas.push_back(c.CTETA);
  }
  const TChanges q = TextChanges(quests), n = TextChanges(names);
  const TChanges t = RealChanges(ctetas, 0, 9);
  const std::string qtext = q.Count >= 2 ? q.All : q.Count == 1 ? q.Last : std::string();
  if (TrimCtl(qtext).empty()) {
    // the variator would refuse the key without values: the building ends here
    WARNAbs("Не задано имя точки наблюдения #QUESTObs !!!"_cp);
    return false;
  }
  TBuild b(V, Calls);
  b.AddP("#QUESTObs " + qtext);
  if (n.Count >= 2) b.AddP("#sObs " + n.All);
  else if (n.Count == 1) b.AddP("#sObs " + n.Last);
  if (t.Count >= 2) b.ConcateP("#CTETA " + t.All);
  else if (t.Count == 1) b.AddP("#CTETA " + t.Last);
  return true;
}

bool TDi::VariLoadLins(TVARIATOR& V, TStringList* Calls) const {
  std::vector<std::string> lins, offsets;
  std::vector<double> lambs;
  for (int32_t n = 1; n <= std::min(nLams, MaxLams); ++n) {
    const TDiLamSpan& s = SpanOrEmpty(*this, n);
    if (!s.Calc) continue;
    const int32_t np = NOf(s.Lams);
    if (np < 1) {
      WARNAbs("Di.VariLoadLins ERR: массив длин волн для линии "_cp + s.LIN +
              " не сформирован!"_cp);
      return false;
    }
    std::string o;
    for (int32_t k = 1; k <= np; k += s.Per + 1)
      o += (o.empty() ? "" : " ") + ShortSt(5, (s.Lams[static_cast<size_t>(k)] - s.LAMB) * 1000);
    lins.push_back(s.LIN);
    lambs.push_back(s.LAMB);
    offsets.push_back(o);
  }
  const TChanges l = TextChanges(lins), m = RealChanges(lambs, 0, 11), o = TextChanges(offsets);
  TBuild b(V, Calls);
  if (l.Count >= 2) b.AddP("#LIN " + l.All);
  else if (l.Count == 1) b.AddP("#LIN " + l.Last);
  if (m.Count >= 2) b.ConcateP("#LAMB " + m.All);
  if (o.Count >= 2) {
    TStringList sl;
    sl.Add("#LAMS ");
    for (const std::string& t : offsets) sl.Add(t);
    b.ConcatePSL(sl);
  }
  if (m.Count == 1) b.AddP("#LAMB " + m.Last);
  if (o.Count == 1) {
    TStringList sl;
    sl.Add("#LAMS ");
    sl.Add(offsets.front());
    b.AddPSL(sl);
  }
  return true;
}

bool TDi::VariLoadLinePars(TVARIATOR& V, TStringList* Calls) const {
  std::string lins, gfs, las;
  int32_t used = 0;
  for (int32_t d = 1; d <= std::min(nLin, MaxLin); ++d) {
    const TDiLine& L = Lines[static_cast<size_t>(d)];
    if (!L.Calc) continue;
    const std::string sep = used ? " " : "";
    lins += sep + L.LIN;
    gfs += sep + ShortSt(9, L.dLGGF);
    las += sep + ShortSt(9, L.dLAMB);
    ++used;
  }
  if (used == 0) return true;
  TBuild b(V, Calls);
  if (fit::Words(lins).size() < 2) {
    b.AddP("#LINn " + lins);
    b.AddP("#dLGGFn " + gfs);
    b.AddP("#dLAMBn " + las);
  } else {
    b.AddPQOneStr("#LINn " + lins);
    b.AddPQOneStr("#dLGGFn " + gfs);
    b.AddPQOneStr("#dLAMBn " + las);
  }
  return true;
}

bool TDi::MakeVariPars(TVARIATOR& V, TStringList* Calls) const {
  std::vector<const TDiMod*> used;
  for (int32_t m = 1; m <= std::min(nMod, MaxMod); ++m) {
    const TDiMod& d = ModOrEmpty(*this, m);
    if (d.PART != 0) used.push_back(&d);
  }
  if (used.empty()) return true;
  std::vector<std::string> names;
  for (const TDiMod* d : used) names.push_back(d->Name);
  const TChanges nm = TextChanges(names);
  TBuild b(V, Calls);
  TStringList mods;
  mods.Add("#MOD ");
  if (nm.Count >= 2) {
    for (const TDiMod* d : used) mods.Add("T " + d->Name);
  } else {
    mods.Add("T " + used.back()->Name);
  }
  b.AddPSL(mods);
  struct TField {
    const char* Key;
    double TDiMod::*F;
    double Previous;
  };
  static const TField fields[] = {{"#PART ", &TDiMod::PART, 0},   {"#EWAN ", &TDiMod::EWAN, 0},
                                  {"#VMI ", &TDiMod::Vmi_0, -1},  {"#VD ", &TDiMod::V_0, 10},
                                  {"#H  ", &TDiMod::H_0, -1},     {"#GM ", &TDiMod::GM_0, -1},
                                  {"#XI ", &TDiMod::XI_0, -1}};
  std::vector<TChanges> ch;
  for (const TField& f : fields) {
    std::vector<double> v;
    for (const TDiMod* d : used) v.push_back(d->*(f.F));
    ch.push_back(RealChanges(v, f.Previous, 9));
  }
  for (size_t i = 0; i < ch.size(); ++i)
    if (ch[i].Count >= 2) b.ConcateP(fields[i].Key + ch[i].All);
  for (size_t i = 0; i < ch.size(); ++i)
    if (ch[i].Count == 1) b.AddP(fields[i].Key + ch[i].Last);
  return true;
}

bool TDi::MakeVari(TVARIATOR& V, TStringList* Calls) const {
  return VariLoadCases(V, Calls) && VariLoadLins(V, Calls) && VariLoadLinePars(V, Calls) &&
         MakeVariPars(V, Calls);
}

// ---------------------------------------------------------------- the Di page

void TDi::UpDate(TPageView& P, int32_t& M, const std::vector<std::string>& ModelNames) const {
  for (int32_t i = 1; i <= MaxMod; ++i) P.Ctl("cb_Mod" + IntStr(i)).Items = ModelNames;
  P.Ctl("ed_NMod").Text = IntStr(nMod);
  for (int32_t i = 1; i <= MaxMod; ++i) {
    const TDiMod& d = ModOrEmpty(*this, i);
    P.Ctl("cb_Mod" + IntStr(i)).Text = d.Name;
    P.Ctl("ed_ModP" + IntStr(i)).Text = ShortSt(5, d.PART);
  }
  if (M == 0) M = 1;
  const int32_t radio = (M >= 1 && M <= MaxMod) ? M : 1;
  for (int32_t i = 1; i <= MaxMod; ++i) P.Ctl("rbCurMod" + IntStr(i)).Checked = i == radio;

  TGridView& gl = P.Grid("ngDiLines");
  gl.Clear();
  for (int32_t d = 1; d <= std::min(nLin, MaxLin); ++d) {
    const TDiLine& L = Lines[static_cast<size_t>(d)];
    gl.Cell("gxLine", d - 1) = L.LIN;
    gl.Cell("gxCalc", d - 1) = Flag(L.Calc);
    gl.Cell("gxdLa", d - 1) = ShortSt(9, L.dLAMB * 1000);
    gl.Cell("gxlggf", d - 1) = ShortSt(9, L.dLGGF);
    gl.Cell("gxVma", d - 1) = ShortSt(9, L.Vma[static_cast<size_t>(radio)]);
  }
  P.Ctl("edNLin").Text = IntStr(nLin);

  TGridView& gs = P.Grid("ngDiLams");
  gs.Clear();
  for (int32_t n = 1; n <= std::min(nLams, MaxLams); ++n) {
    const TDiLamSpan& s = SpanOrEmpty(*this, n);
    gs.Cell("gxLamsCalc", n - 1) = Flag(s.Calc);
    gs.Cell("gxMainLine", n - 1) = s.MainLine;
    gs.Cell("gxla1", n - 1) = ShortSt(9, s.la1);
    gs.Cell("gxla2", n - 1) = ShortSt(9, s.la2);
    gs.Cell("gxKL", n - 1) = IntStr(s.KL);
    gs.Cell("gxdL", n - 1) = ShortSt(9, s.dL);
    gs.Cell("gxnL", n - 1) = IntStr(s.nL);
    gs.Cell("gxPer", n - 1) = IntStr(s.Per);
    gs.Cell("gxWeight", n - 1) = ShortSt(9, s.Weight);
  }

  if (M < 1 || M > nMod) M = 1;
  const TDiMod& d = ModOrEmpty(*this, M);
  P.Ctl("edEwan").Text = ShortSt(5, d.EWAN);
  P.Ctl("ed_T_eff").Text = ShortSt(9, d.T_eff);
  const std::pair<const char*, double> fields[] = {
      {"ed_T_D", d.T_D},     {"ed_T_G", d.T_G}, {"ed_Vmi_0", d.Vmi_0}, {"ed_Vmi_G", d.Vmi_G},
      {"ed_V0", d.V_0},      {"ed_V_G", d.V_G}, {"ed_H0", d.H_0},      {"ed_H_G", d.H_G},
      {"ed_GM0", d.GM_0},    {"ed_GM_G", d.GM_G}};
  for (const auto& [name, v] : fields) P.Ctl(name).Text = ShortSt(5, v);
  P.Ctl("cbTcurv").Checked = d.T_Curv;
  P.Ctl("cbVmiCurv").Checked = d.Vmi_Curv;
  P.Ctl("cbVcurv").Checked = d.V_Curv;
  P.Ctl("cbHcurv").Checked = d.H_Curv;
  P.Ctl("cbGMcurv").Checked = d.GM_Curv;

  if (nCase > MaxCase) {
    WARNAbs("Di.UpDate nCase=" + IntStr(nCase) + " > max(nCase)=" + IntStr(MaxCase));
    return;
  }
  TGridView& gc = P.Grid("ngCases");
  gc.Clear();
  for (int32_t h = 1; h <= nCase; ++h) {
    const TDiCase& c = Cases[static_cast<size_t>(h)];
    gc.Cell("gxObsName", h - 1) = c.Name;
    gc.Cell("gxObsWeight", h - 1) = ShortSt(9, c.Weight);
    gc.Cell("gxCTETA", h - 1) = ShortSt(9, c.CTETA);
    gc.Cell("gxTeff", h - 1) = ShortSt(9, c.Teff);
    gc.Cell("gxICONT", h - 1) = ShortSt(9, c.ICONT);
    gc.Cell("gxObsShow", h - 1) = Flag(c.Show);
    gc.Cell("gxObsQUEST", h - 1) = c.QUEST;
    gc.Cell("gxObsIQ", h - 1) = IntStr(c.IQ);
  }
  TGridView& ga = P.Grid("ngDiAt");
  ga.Clear();
  for (int32_t a = 1; a <= std::min(nAt, MaxAt); ++a) {
    ga.Cell("gxAt", a - 1) = Atoms[static_cast<size_t>(a)].At;
    ga.Cell("gxAtgf", a - 1) = ShortSt(9, Atoms[static_cast<size_t>(a)].dlggf);
  }
}

std::vector<std::string> ModelFileNames() {
  std::vector<std::string> names;
  if (!Models().DirOf.Provided()) return names;
  const std::string dir = Models().DirOf("MODS", "MEL");
  if (dir.empty() || !platform::IsDirectory(dir)) return names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(platform::SysPath(dir), ec)) {
    if (!e.is_regular_file()) continue;
    const std::string f = e.path().filename().string();
    const size_t dot = f.rfind('.');
    if (dot == std::string::npos || UpCaseStrCyr(f.substr(dot)) != ".MEL") continue;
    names.push_back(f.substr(0, dot));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------- the run word DI

void AlgDi(TJob& Job) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ModFatal("AlgDi: рабочий вариатор VARI неопределен!"_cp);
  TDi& D = Di();
  D.Busy = false;
  V->KIdx = 1;
  Job.Step(0, 1, "DI " + V->QuestName());

  // everything is read first: a refused count or a fatal lookup stores nothing
  const int32_t nMod = V->GetI("#nMOD", 1);
  if (nMod > TDi::MaxMod) {
    WARNAbs("AlgDi #nMOD=" + IntStr(nMod) + " > max(nMod)=" + IntStr(TDi::MaxMod));
    return;
  }
  std::array<TDiMod, TDi::MaxMod + 1> mods;
  for (int32_t m = 1; m <= TDi::MaxMod; ++m) {
    const std::string s = IntStr(m);
    TDiMod& d = mods[static_cast<size_t>(m)];
    if (D.Mods[static_cast<size_t>(m)]) d = *D.Mods[static_cast<size_t>(m)];
    const std::string text = V->NoKey("#MOD" + s) ? std::string("T HOLMU") : V->GetS("#MOD" + s);
    const std::vector<std::string> w = fit::Words(text);
    d.Name = w.size() >= 2 ? w[1] : std::string();
  }
  auto each = [&](const char* Key, double Default, double TDiMod::*F) {
    for (int32_t m = 1; m <= TDi::MaxMod; ++m)
      mods[static_cast<size_t>(m)].*F = V->GetR(std::string("#") + Key + IntStr(m), Default);
  };
  each("PART", 1, &TDiMod::PART);
  each("EWAN", 1, &TDiMod::EWAN);
  each("Teff", 0, &TDiMod::T_eff);
  each("dTETA", 0, &TDiMod::T_D);
  each("VMI", 0, &TDiMod::Vmi_0);
  each("GVMI", 0, &TDiMod::Vmi_G);
  each("Vlos", 0, &TDiMod::V_0);
  each("GVlos", 0, &TDiMod::V_G);
  each("H", 0, &TDiMod::H_0);
  each("GH", 0, &TDiMod::H_G);
  each("GM", 0, &TDiMod::GM_0);
  each("GGM", 0, &TDiMod::GM_G);
  each("XI", 0, &TDiMod::XI_0);
  each("GXI", 0, &TDiMod::XI_G);
  for (int32_t m = 1; m <= TDi::MaxMod; ++m) {
    TDiMod& d = mods[static_cast<size_t>(m)];
    d.T_G = 0;
    d.T_Curv = d.Vmi_Curv = d.V_Curv = d.H_Curv = d.GM_Curv = d.XI_Curv = false;
  }

  // list keys, value by value
  const int32_t jLin = V->KeyIdx("#LIN0");
  const int32_t nLin = jLin ? V->NValsOfPar(jLin) : 0;
  if (nLin > TDi::MaxLin) {
    WARNAbs("AlgDi #LIN0: nLin=" + IntStr(nLin) + " > max(nLin)=" + IntStr(TDi::MaxLin));
    return;
  }
  if (nLin > TDi::MaxLams) {
    WARNAbs("AlgDi #LIN0: nLams=" + IntStr(nLin) + " > max(nLams)=" + IntStr(TDi::MaxLams));
    return;
  }
  auto real = [&](int32_t J, int32_t I) { return ValReal(V->ValOfPar(J, I)); };
  const int32_t jG = V->KeyIdx("#dLGGF0"), jL = V->KeyIdx("#dLAM0");
  const int32_t jV[4] = {0, V->KeyIdx("#VMA1"), V->KeyIdx("#VMA2"), V->KeyIdx("#VMA3")};
  std::vector<TDiLine> lines(static_cast<size_t>(nLin) + 1);
  for (int32_t d = 1; d <= nLin; ++d) {
    TDiLine& L = lines[static_cast<size_t>(d)];
    L = D.Lines[static_cast<size_t>(d)];
    L.LIN = V->ValOfPar(jLin, d);
    if (jG) L.dLGGF = real(jG, d);
    if (jL) L.dLAMB = real(jL, d);
    for (int v = 1; v <= 3; ++v) L.Vma[static_cast<size_t>(v)] = real(jV[v], d);
    L.Calc = true;
  }
  const int32_t j1 = V->KeyIdx("#LAM_1"), j2 = V->KeyIdx("#LAM_2"), jS = V->KeyIdx("#LSkip"),
                jD = V->KeyIdx("#DL");
  std::vector<TDiLamSpan> spans(static_cast<size_t>(nLin) + 1);
  for (int32_t n = 1; n <= nLin; ++n) {
    TDiLamSpan& s = spans[static_cast<size_t>(n)];
    if (D.Spans[static_cast<size_t>(n)]) s = *D.Spans[static_cast<size_t>(n)];
    if (j1) s.la1 = real(j1, n);
    if (j2) s.la2 = real(j2, n);
    if (jS) s.Per = ValInt(V->ValOfPar(jS, n));
    if (jD) s.dL = real(jD, n);
    s.Calc = true;
    s.Weight = 1;
  }
  const int32_t jO = V->KeyIdx("#ObsList");
  const int32_t nCase = jO ? V->NValsOfPar(jO) : 0;
  if (nCase > TDi::MaxCase) {
    WARNAbs("AlgDi nCase=" + IntStr(nCase) + " > max(nCase)=" + IntStr(TDi::MaxCase));
    return;
  }
  std::vector<TDiCase> cases(static_cast<size_t>(nCase) + 1);
  const int32_t jC = nCase ? V->KeyIdx("#CTETA") : 0;
  for (int32_t h = 1; h <= nCase; ++h) {
    TDiCase& c = cases[static_cast<size_t>(h)];
    c.Name = V->ValOfPar(jO, h);
    c.CTETA = real(jC, h);
    c.Show = true;
    c.Weight = 1;
    c.QUEST = V->QUEST;
    c.IQ = V->IQ;
  }
  std::vector<std::string> atoms;
  for (int32_t d = 1; d <= nLin; ++d) {
    const std::string a = lines[static_cast<size_t>(d)].LIN.substr(0, 2);
    if (std::find(atoms.begin(), atoms.end(), a) == atoms.end()) atoms.push_back(a);
  }
  if (static_cast<int32_t>(atoms.size()) > TDi::MaxAt) {
    WARNAbs("AlgDi #LIN0: nAt=" + IntStr(static_cast<int32_t>(atoms.size())) +
            " > max(nAt)=" + IntStr(TDi::MaxAt));
    return;
  }

  // the list keys were read value by value: they count as read
  for (const char* k : {"#LIN0", "#dLGGF0", "#dLAM0", "#VMA1", "#VMA2", "#VMA3", "#LAM_1", "#LAM_2",
                        "#LSkip", "#DL", "#ObsList"})
    if (!V->NoKey(k)) V->MarkUsed(k);
  if (nCase > 0) V->MarkUsed("#CTETA");

  // stored
  D.nMod = nMod;
  for (int32_t m = 1; m <= TDi::MaxMod; ++m) D.Mod(m) = mods[static_cast<size_t>(m)];
  D.nLin = D.nLams = nLin;
  for (int32_t d = 1; d <= nLin; ++d) D.Lines[static_cast<size_t>(d)] = lines[static_cast<size_t>(d)];
  for (int32_t n = 1; n <= nLin; ++n) D.Span(n) = spans[static_cast<size_t>(n)];
  D.nCase = nCase;
  for (int32_t h = 1; h <= nCase; ++h) D.Cases[static_cast<size_t>(h)] = cases[static_cast<size_t>(h)];
  D.nAt = static_cast<int32_t>(atoms.size());
  for (int32_t a = 1; a <= D.nAt; ++a) {
    D.Atoms[static_cast<size_t>(a)].At = atoms[static_cast<size_t>(a - 1)];
    D.Atoms[static_cast<size_t>(a)].dlggf = 0;
  }
  TPageView& P = DiPage();
  D.CurMod = 1;
  for (int32_t m = 1; m <= TDi::MaxMod; ++m)
    if (P.Has("rbCurMod" + IntStr(m)) && P.Ctl("rbCurMod" + IntStr(m)).Checked) {
      D.CurMod = m;
      break;
    }
  D.UpDate(P, D.CurMod, ModelFileNames());
  Job.Step(1, 1, "DI " + V->QuestName());
}
