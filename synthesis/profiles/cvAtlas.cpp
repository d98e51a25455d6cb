#include "synthesis/profiles/cvAtlas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvKurucz.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/cvLines.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

const std::string kCrLf = "\r\n";

bool Real(const std::string& S, double& X) {
  int32_t code = 0;
  const std::string t = TrimCtl(S);
  X = ValRealCode(t, code);
  return code == 0 && !t.empty();
}

bool Int(const std::string& S, int32_t& N) {
  int32_t code = 0;
  const std::string t = TrimCtl(S);
  N = ValIntCode(t, code);
  return code == 0 && !t.empty();
}

bool Fail(TAtlasForm& F, const std::string& Focus, const std::string& Text) {
  F.Focus = Focus;
  WARNAbs(Text);
  return false;
}

// Word N (from 1) of a line, words separated by blanks; empty when the line has fewer.
std::string_view WordOf(std::string_view S, int32_t N, int32_t& Count) {
  Count = 0;
  size_t i = 0;
  std::string_view found;
  while (i < S.size()) {
    while (i < S.size() && (S[i] == ' ' || S[i] == '\t')) ++i;
    if (i == S.size()) break;
    const size_t b = i;
    while (i < S.size() && S[i] != ' ' && S[i] != '\t') ++i;
    if (++Count == N) {
      found = S.substr(b, i - b);
      if (N > 0) return found;
    }
  }
  return found;
}

int32_t CountWords(std::string_view S) {
  int32_t n = 0;
  WordOf(S, -1, n);
  return n;
}

// AtlasReadWord: the number of word N of a line ("NaN" reads as 0). A missing word or one that
// is no number warns (naming the file and the line) and gives false.
bool ReadWord(std::string_view Line, const std::string& File, int32_t LineNo, int32_t N,
              double& X, bool& Missing) {
  int32_t count = 0;
  const std::string_view w = WordOf(Line, N, count);
  Missing = w.empty();
  if (Missing) {
    const int32_t total = CountWords(Line);
    WARNAbs("Ошибка в строке №"_cp + IntStr(LineNo) + kCrLf + "файла <"_cp + File + ">" + kCrLf +
            "запрошено слово "_cp + IntStr(N) + ", всего слов "_cp + IntStr(total) + ", строка="_cp +
            kCrLf + "<" + std::string(Line) + ">");
    return false;
  }
  if (w == "NaN") {
    X = 0;
    return true;
  }
  const char* b = w.data() + (w.front() == '+' ? 1 : 0);
  const auto r = std::from_chars(b, w.data() + w.size(), X);
  if (r.ec == std::errc() && r.ptr == w.data() + w.size()) return true;
  // other forms as the program reads numbers
  int32_t code = 0;
  X = ValRealCode(std::string(w), code);
  if (code != 0) {
    WARNAbs("Ошибка в числе <"_cp + std::string(w) + "> в строке №"_cp + IntStr(LineNo) + kCrLf +
            "файла <"_cp + File + ">");
    return false;
  }
  return true;
}

// True when the whole part of word Col (digits after optional blanks and sign) is a number
// more than 1 below Limit; the first word is read without looking at the rest of the line.
bool BelowByWholePart(std::string_view S, int32_t Col, double Limit) {
  if (Col != 1) {
    int32_t words = 0;
    int64_t whole = 0;
    return LeadingIntPart(WordOf(S, Col, words), whole) && static_cast<double>(whole) + 1 < Limit;
  }
  const char* p = S.data();
  const char* e = p + S.size();
  while (p < e && (*p == ' ' || *p == '\t')) ++p;
  bool neg = false;
  if (p < e && (*p == '-' || *p == '+')) neg = *p++ == '-';
  const char* b = p;
  int64_t v = 0;
  while (p < e && *p >= '0' && *p <= '9' && p - b < 17) v = v * 10 + (*p++ - '0');
  if (p == b) return false;
  return static_cast<double>(neg ? -v : v) + 1 < Limit;
}

// The walk over the lines of the window shared by the readers and the dump: Take gets each line
// in the window with its number and X; false from Take ends the walk with false. The readers
// (Dump false) end with false at a missing word or a bad number; the dump passes a bad number's
// line over and ends, keeping what it has, at a missing word.
template <class TTake>
bool WalkWindow(TJob* Job, const TAtlasPlan& P, bool Dump, TTake Take) {
  TKurFile f;
  f.Open(P.File);
  std::string_view s;
  int32_t n = 0;
  while (n < P.NSkip && f.ReadLn(s)) ++n;
  while (f.ReadLn(s)) {
    ++n;
    if (Job && (n & 0xFFFF) == 0 && !Job->Step(n, 0, "Атлас: строка "_cp + IntStr(n))) return false;
    // a line far below the window (by its whole part alone) is passed over unread
    if (!Dump && BelowByWholePart(s, P.ColLam, P.Nju ? P.Upper : P.Lower)) continue;
    double x = 0;
    bool missing = false;
    if (!ReadWord(s, P.File, n, P.ColLam, x, missing)) {
      if (!Dump) return false;
      if (missing) break;
      continue;
    }
    const bool in = P.Nju ? (P.Upper <= x && x <= P.Lower) : (P.Lower <= x && x <= P.Upper);
    if (in) {
      if (!Take(s, n, x)) return false;
    } else if (P.Nju ? x > P.Lower : x > P.Upper) {
      break;
    }
  }
  return !(Job && Job->Cancelled());
}

double LamOf(const TAtlasPlan& P, double X) { return P.Nju ? 1e8 / (P.K * X) : P.K * X; }

void Ascending(TAtlasData& D) {
  if (D.Lam.size() > 1 && D.Lam.front() > D.Lam.back()) {
    std::reverse(D.Lam.begin(), D.Lam.end());
    for (auto& a : D.I) std::reverse(a.begin(), a.end());
  }
}

}  // namespace

const std::vector<std::string>& AtlasKLamNjuItems() {
  static const std::vector<std::string> items = {
      "1.0000035 (>6060A)", "0.9999985 (hot(2) 5000-6060)", "1.0000049 (cold(4) 5000-6060)",
      "1.0000049 (4350-5000)", ""};
  return items;
}

void AtlasKindChange(TAtlasForm& F) {
  if (F.Kind == "CLV") {
    F.LambdaNju = "LAMBDA";
    F.Quest = "CLV";
    F.Path = "ATLAS\\2017_Dorvell";
    F.FNamTpl = "clv-ss3-v1.txt";
    F.UsenAir = false;
    F.ColLam = "1";
    F.ColRI = "2";
    F.ColCorrect = "0";
    F.NSkip = "3";
    F.CTetaItems = {"1", "0.9", "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2", "0.1"};
    F.CTeta = F.CTetaItems.front();
  } else if (F.Kind == "Spot") {
    F.LambdaNju = "NJU";
    F.Quest = "Spot";
    F.Path = "ATLAS\\spot4atl";
    F.FNamTpl = "sp(NJU)";
    F.UsenAir = true;
    F.NSkip = "0";
    AtlasLamsChange(F);
  } else if (F.Kind == "Vorn69") {
    F.LambdaNju = "LAMBDA";
    F.Quest = "Vorn69";
    F.Path = "???";
    F.FNamTpl = "???";
    F.UsenAir = false;
    F.NSkip = "0";
    F.CTetaItems = {"1", "0.8", "0.6", "0.438", "0.28"};
    F.CTeta = F.CTetaItems.front();
  }
}

void AtlasCTetaChange(TAtlasForm& F) {
  if (F.Kind != "CLV") return;
  if (F.CTeta == "0.1-1") {
    F.ColCorrect = "0";
    return;
  }
  double c = 1;
  if (!Real(F.CTeta, c)) c = 1;
  const long n = std::lround(10 * c);
  if (n >= 1 && n <= 9)
    F.ColCorrect = IntStr(static_cast<int32_t>(n + 2));
  else if (n == 10)
    F.ColCorrect = "0";
  else
    F.ColCorrect.clear();
}

void AtlasSetSpotCaseByLam(TAtlasForm& F, double Lam) {
  if (F.Kind != "Spot") return;
  if (Lam > 6060) {
    F.ObsCaseVisible = false;
    F.ObsCaseName = "ColdUmbra";
    F.KLamNjuIndex = 0;
    F.ColRI = "2";
    F.ColCorrect = "3";
  } else if (Lam > 5000) {
    F.ObsCaseVisible = true;
    const bool hot = F.ObsCase == "hot";
    F.ObsCaseName = hot ? "HotUmbra" : "ColdUmbra";
    F.KLamNjuIndex = hot ? 1 : 2;
    F.ColRI = hot ? "2" : "4";
    F.ColCorrect = hot ? "3" : "5";
  } else {
    F.ObsCaseName = "ColdUmbra";
    F.KLamNjuIndex = 3;
    F.ColRI = "2";
    F.ColCorrect = "3";
  }
}

void AtlasObsCaseChange(TAtlasForm& F) {
  if (F.ObsCase == "hot") {
    F.ObsCaseName = "HotUmbra";
    F.KLamNjuIndex = 1;
    F.ColRI = "2";
    F.ColCorrect = "3";
  } else if (F.ObsCase == "cold") {
    F.ObsCaseName = "ColdUmbra";
    F.KLamNjuIndex = 2;
    F.ColRI = "4";
    F.ColCorrect = "5";
  }
}

void AtlasLamsChange(TAtlasForm& F) {
  if (F.Kind != "Spot") return;
  const std::string t = TrimCtl(F.Lams);
  double a = 0, b = 0;
  if (WordCount(t) != 2 || !Real(WordN(t, 1), a) || !Real(WordN(t, 2), b)) return;
  if (a + b != 0 && (b - a) / (a + b) <= 0.01) AtlasSetSpotCaseByLam(F, (a + b) / 2);
}

bool AtlasCheckFields(TAtlasForm& F, const std::string& Root, TAtlasLineLoader LoadLine,
                      TAtlasPlan& P) {
  P = TAtlasPlan{};
  F.Focus.clear();
  const std::string bad = "Неправильное число в поле ввода <"_cp;
  std::string line = TrimCtl(F.Line);
  const std::string lams = TrimCtl(F.Lams);
  std::string t1, t2;
  if (WordCount(lams) == 2) {
    t1 = WordN(lams, 1);
    t2 = WordN(lams, 2);
  }
  if (!Int(F.NSkip, P.NSkip)) return Fail(F, "edAtlasNSkip", bad + F.NSkip + ">");
  std::string cos = F.CTeta;
  if (cos == "0.1-1") {
    P.AllCos = true;
    cos = "1";
  }
  if (!TrimCtl(cos).empty()) {
    if (!Real(cos, P.Cos)) return Fail(F, "cbCTeta", bad + cos + ">");
    P.CosText = TrimCtl(cos);
  }
  P.Spot = F.Kind == "Spot";
  P.ObsName = F.ObsCaseName;
  if (line.empty()) {
    if (!t1.empty()) {
      if (!Real(t1, P.L1)) return Fail(F, "", "Ошибка в длине волны 1 <"_cp + t1 + ">");
      if (!Real(t2, P.L2)) return Fail(F, "", "Ошибка в длине волны 2 <"_cp + t2 + ">");
    } else {
      if (lams.empty()) return Fail(F, "edAtlasLine", "Не задано имя или длина волны линии!"_cp);
      line = lams;
    }
  }
  P.HasLine = !TrimCtl(F.Line).empty() || (t1.empty() && !line.empty());
  if (P.HasLine) {
    double lam = 0;
    if (!LoadLine || !LoadLine(line, lam)) return Fail(F, "edAtlasLine", "");
    P.Centre = lam;
  } else {
    P.Centre = (P.L1 + P.L2) / 2;
  }
  P.K = 1;
  if (F.UsenAir) {
    double n = 0, k = 0;
    if (!Real(F.KLamNju, n))
      return Fail(F, "edKLamNju", "Ошибка в числе (поле показателя преломления воздуха)"_cp + F.KLamNju);
    const auto& items = AtlasKLamNjuItems();
    const std::string item =
        F.KLamNjuIndex >= 0 && F.KLamNjuIndex < static_cast<int32_t>(items.size())
            ? items[static_cast<size_t>(F.KLamNjuIndex)]
            : std::string();
    if (!Real(WordN(item, 1), k))
      return Fail(F, "cbKLamNju", "Ошибка в числе (поле к-та перерасчёта Lam в Nju)"_cp + item);
    P.K = n * k;
  }
  double half = 0;
  if (!Real(F.DLam, half))
    return Fail(F, "edDLam", "Ошибка в числе (в поле ширина диапазона в мА) "_cp + F.DLam);
  half /= 1000;
  if (P.HasLine) {
    P.L1 = P.Centre - half;
    P.L2 = P.Centre + half;
  }
  if (!Real(F.WmDLam, P.WmDL))
    return Fail(F, "edWmDLam", "Ошибка в числе (в поле m пределов ширины W)"_cp + F.WmDLam);
  if (!Real(F.WpDLam, P.WpDL))
    return Fail(F, "edWpDLam", "Ошибка в числе (в поле p пределов ширины W)"_cp + F.WpDLam);
  P.WmDL /= 1000;
  P.WpDL /= 1000;
  P.Nju = !F.LambdaNju.empty() && (F.LambdaNju[0] == 'N' || F.LambdaNju[0] == 'n');
  if (P.Nju) {
    P.Lower = 1e8 / (P.K * P.L1);
    P.Upper = 1e8 / (P.K * P.L2);
  } else {
    P.Lower = P.K * P.L1;
    P.Upper = P.K * P.L2;
  }
  double step = 0;
  if (!Real(F.NjuStep, step)) return Fail(F, "edNjuStep", "Ошибка в числе в поле NjuStep"_cp + F.NjuStep);
  const std::pair<const std::string*, int32_t*> cols[3] = {
      {&F.ColLam, &P.ColLam}, {&F.ColRI, &P.ColRI}, {&F.ColCorrect, &P.ColCorrect}};
  const char* colFields[3] = {"edColLam", "edColRI", "edColCorrect"};
  for (int i = 0; i < 3; ++i)
    if (!Int(*cols[i].first, *cols[i].second))
      return Fail(F, colFields[i], "Ошибка в числе "_cp + *cols[i].first);
  if (P.ColLam < 1 || P.ColRI < 1 || P.ColCorrect < 0)
    return Fail(F, "edColLam", "Ошибка в числе "_cp + F.ColLam + " " + F.ColRI + " " + F.ColCorrect);
  std::string name = F.FNamTpl;
  const size_t a = name.find('('), b = name.find(')');
  if (a != std::string::npos && b != std::string::npos && a < b) {
    const std::string pattern = name.substr(a + 1, b - a - 1);
    if (pattern != "NJU")
      return Fail(F, "edFNamTpl", "Вариант с шаблоном в имени файла для длины волны <"_cp + pattern +
                                      "> не предусмотрен в программе!"_cp);
    if (step <= 0) return Fail(F, "edNjuStep", "Ошибка в числе в поле NjuStep"_cp + F.NjuStep);
    const double v = std::round(std::trunc(P.Upper / step) * step);
    name = name.substr(0, a) + I64Str(static_cast<int64_t>(v)) + name.substr(b + 1);
  }
  P.File = PathJoin(Root, PathJoin(F.Path, name));
  if (line.empty()) line = t1 + "_" + t2;
  P.Line = line;
  if (std::find(F.LamsItems.begin(), F.LamsItems.end(), F.Lams) == F.LamsItems.end())
    F.LamsItems.push_back(F.Lams);
  return true;
}

bool ReadAtlasColumns(TJob* Job, const TAtlasPlan& P, TAtlasData& D) {
  D = TAtlasData{};
  D.I.resize(1);
  D.Lam.reserve(500);
  const bool ok = WalkWindow(Job, P, false, [&](std::string_view S, int32_t N, double X) {
    double y = 0, c = 1;
    bool missing = false;
    if (!ReadWord(S, P.File, N, P.ColRI, y, missing)) return false;
    if (P.ColCorrect > 0 && !ReadWord(S, P.File, N, P.ColCorrect, c, missing)) return false;
    D.Lam.push_back(LamOf(P, X));
    D.I[0].push_back(y * c);
    return true;
  });
  if (!ok) return false;
  Ascending(D);
  return true;
}

bool ReadCLVAtlas(TJob* Job, const TAtlasPlan& P, TAtlasData& D) {
  D = TAtlasData{};
  D.I.resize(10);
  const bool ok = WalkWindow(Job, P, false, [&](std::string_view S, int32_t N, double X) {
    double y = 0, r = 0;
    bool missing = false;
    if (!ReadWord(S, P.File, N, 2, y, missing)) return false;
    D.I[0].push_back(y);
    for (int c = 3; c <= 11; ++c) {
      if (!ReadWord(S, P.File, N, c, r, missing)) return false;
      // column c is the ratio at cosine (c - 2) / 10: cosine 1 first, 0.1 last
      D.I[static_cast<size_t>(12 - c)].push_back(y * r);
    }
    D.Lam.push_back(LamOf(P, X));
    return true;
  });
  if (!ok) return false;
  Ascending(D);
  return true;
}

bool AtlasDump(TJob* Job, const TAtlasPlan& P, std::vector<std::string>& Lines) {
  Lines.clear();
  std::string head = "файл=<"_cp + P.File + "> ";
  int32_t first = 0, last = 0;
  std::vector<std::string> body;
  const bool ok = WalkWindow(Job, P, true, [&](std::string_view S, int32_t N, double) {
    if (!first) first = N;
    last = N;
    body.emplace_back(S);
    return true;
  });
  if (!ok) return false;
  if (first) head += "строки от "_cp + IntStr(first);
  head += " до "_cp + IntStr(last);
  Lines.push_back(head);
  Lines.insert(Lines.end(), body.begin(), body.end());
  return true;
}

void EnsureAtlasVariator(const std::string& Quest, int32_t Step) {
  TVariContext& c = VariCtx();
  if (c.VARI && c.VARI->QUEST == Quest && c.VARI->IQ == Step) return;
  if (!c.LVARI) return;
  auto v = std::make_unique<TVARIATOR>(Quest, c.VARI ? Step : 1);
  TVARIATOR* raw = v.get();
  c.LVARI->Append(std::move(v));
  c.VARI = raw;
}

void AtlasApplyVariator(const TAtlasPlan& P, int32_t Step, const std::string& Quest) {
  EnsureAtlasVariator(Quest, Step);
  TVARIATOR* v = VariCtx().VARI;
  if (!v) return;
  int32_t caseIdx = 0;
  bool sObsAdded = false, sObsNew = false;
  if (P.Spot) {
    if (v->FindRec("#sObs")) {
      v->Append("#sObs", P.ObsName, sObsNew);
    } else {
      v->AddP("#sObs " + P.ObsName);
      sObsAdded = true;
    }
    caseIdx = v->ValIdx("#sObs", P.ObsName);
  }
  if (!P.CosText.empty()) {
    if (!P.Spot) {
      bool added = false;
      if (v->FindRec("#CTETA"))
        v->Append("#CTETA", P.CosText, added);
      else
        v->AddP("#CTETA " + P.CosText);
    } else if (sObsAdded) {
      v->AddP("#CTETA " + P.CosText);
    } else if (sObsNew && v->FindRec("#CTETA")) {
      v->ConAppend("#sObs", v->FindRec("#CTETA"), P.CosText, "#CTETA");
    }
  }
  if (P.HasLine || !P.Line.empty()) {
    bool added = false;
    if (v->FindRec("#LIN"))
      v->Append("#LIN", P.Line, added);
    else
      v->AddP("#LIN " + P.Line);
    const int32_t lin = v->ValIdx("#LIN", P.Line);
    const int32_t k = P.Spot ? v->GetKByStr("#sObs #LIN", IntStr(caseIdx) + " " + IntStr(lin))
                             : v->GetKByStr("#LIN", IntStr(lin));
    v->KIdx = k > 0 ? k : 1;
  } else {
    const int32_t k = P.Spot ? v->GetKByStr("#sObs", IntStr(caseIdx)) : 1;
    v->KIdx = k > 0 ? k : 1;
  }
}

std::unique_ptr<TUNNO> AtlasSetUN(const std::string& Quest, const std::string& LineText,
                                  const std::vector<double>& I, const std::vector<double>& L,
                                  double WpDL, double WmDL, double Mju, double Lam0) {
  auto u = std::make_unique<TUNNO>();
  u->SetDefaults();
  TVARIATOR* v = VariCtx().VARI;
  const int32_t n = static_cast<int32_t>(L.size());
  u->ALG = "LoadAtlas";
  u->QUEST = Quest;
  u->IQ = v ? v->IQ : 1;
  u->KVARI = v ? v->KIdx : 1;
  u->sULin = LineText;
  u->K4 = 1;
  u->KRef = 1;
  u->sObs = v ? v->GetSDef("sObs", "") : std::string();
  u->QUESTRef = Quest;
  u->IQRef = u->IQ;
  u->KVARIRef = u->KVARI;
  u->sIdRef = Quest + "_" + IntStr(u->IQ) + "_" + IntStr(u->KVARI);
  u->MJU = Mju > 0 ? Mju : 1;
  u->CONT = 1;
  u->KCONT = 0;
  const double lam = Lam0 != 0 ? Lam0 : L[static_cast<size_t>(n / 2 - 1)];
  TARe ul(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t i = 0; i < n; ++i) ul[static_cast<size_t>(i) + 1] = L[static_cast<size_t>(i)];
  u->SetUL(ul, lam, false);
  u->NDL = n;
  u->K4 = 1;
  u->AllocU();
  for (int32_t i = 0; i < n; ++i) u->UI[static_cast<size_t>(i) + 1] = I[static_cast<size_t>(i)];
  if (WmDL != 0) u->wL1 = u->LAMB - WmDL;
  if (WpDL != 0) u->wL2 = u->LAMB + WpDL;
  return u;
}

bool AtlasLoadLine(const std::string& Id, double& Lam) {
  std::string why;
  if (!LoadLins(Id, "", &why)) {
    WARNAbs(why.empty() ? "Линия <"_cp + Id + "> не найдена!"_cp : why);
    return false;
  }
  Lam = Cont().LAMB;
  return true;
}

bool AtlasPrepare(TAtlasForm& F, const std::string& Root, TAtlasPlan& P) {
  Cont().ResetLam();
  if (!AtlasCheckFields(F, Root, AtlasLoadLine, P)) return false;
  Cont().CTETA = P.CosText.empty() ? -1 : P.Cos;
  return true;
}

bool AtlasRead(TJob* Job, const TAtlasPlan& P, TAtlasData& D) {
  const bool ok = P.AllCos ? ReadCLVAtlas(Job, P, D) : ReadAtlasColumns(Job, P, D);
  if (!ok) return false;
  if (D.Lam.size() < 2) {
    WARNAbs("В окне атласа "_cp + FSt(10, 4, P.L1) + " - "_cp + FSt(10, 4, P.L2) + " файла <"_cp +
            P.File + "> точек: "_cp + IntStr(static_cast<int32_t>(D.Lam.size())) +
            " (нужно не меньше 2)"_cp);
    return false;
  }
  return true;
}

std::vector<std::unique_ptr<TUNNO>> AtlasMake(const TAtlasPlan& P, const TAtlasData& D,
                                              int32_t Step, const std::string& Quest) {
  std::vector<std::unique_ptr<TUNNO>> made;
  AtlasApplyVariator(P, Step, Quest);
  TVARIATOR* v = VariCtx().VARI;
  const double lam0 = P.HasLine ? P.Centre : 0;
  if (!P.AllCos) {
    made.push_back(AtlasSetUN(Quest, P.Line, D.I[0], D.Lam, P.WpDL, P.WmDL, P.Cos, lam0));
    return made;
  }
  for (int n = 10; n >= 1; --n) {
    const std::string cos = ShortSt(2, n / 10.0);
    if (v) {
      bool added = false;
      if (v->FindRec("#CTETA"))
        v->Append("#CTETA", cos, added);
      else
        v->AddP("#CTETA " + cos);
      const int32_t c = v->ValIdx("#CTETA", cos);
      const int32_t lin = v->FindRec("#LIN") ? v->ValIdx("#LIN", P.Line) : 0;
      const int32_t k = lin > 0 ? v->GetKByStr("#LIN #CTETA", IntStr(lin) + " " + IntStr(c))
                                : v->GetKByStr("#CTETA", IntStr(c));
      v->KIdx = k > 0 ? k : c;
    }
    made.push_back(AtlasSetUN(Quest, P.Line, D.I[static_cast<size_t>(10 - n)], D.Lam, P.WpDL,
                              P.WmDL, n / 10.0, lam0));
  }
  return made;
}
