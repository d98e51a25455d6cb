#include "linedata/cvAtLevels.h"

#include <cctype>
#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLSCoupling.h"

namespace {

bool IsDigit(char C) { return std::isdigit(static_cast<unsigned char>(C)) != 0; }
bool InSet(char C, const char* Set) { return C != '\0' && std::string(Set).find(C) != std::string::npos; }

std::string Cols(const std::string& S, size_t From, size_t To) {
  if (From > S.size()) return std::string();
  return S.substr(From - 1, std::min(To, S.size()) - From + 1);
}

bool ReadReal(const std::string& T, double& V) {
  const std::string t = TrimSp(T);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && std::isfinite(V);
}

bool ReadInt(const std::string& T, int32_t& V) {
  const std::string t = TrimSp(T);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValIntCode(t, code);
  return code == 0;
}

void Filter(TcvTable& T, const std::string& Sql, const std::vector<TcvValue>& P) {
  T.SetFilter(Sql, P);
  T.SetFiltered(true);
  if (!T.Active()) T.Open();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Designations

void ParseLevelDesignation(const std::string& Designation, int32_t& L, int32_t& Multiplicity,
                           std::string& Configuration, std::string& Term, std::string& Link,
                           int32_t& ErrorCode) {
  L = 0;
  Multiplicity = 0;
  Configuration.clear();
  Term.clear();
  Link.clear();
  ErrorCode = 0;
  std::string s = TrimSp(Designation);
  if (s.empty()) {
    ErrorCode = 5;
    return;
  }
  const size_t close = s.rfind(']');
  const size_t open = s.rfind('[');
  if (close != std::string::npos && open == std::string::npos) {
    ErrorCode = 3;
    return;
  }
  if (open != std::string::npos) {
    size_t a = open;
    while (a > 0 && InSet(s[a - 1], "(*.0123456789[")) --a;
    const size_t end = close != std::string::npos && close > open ? close + 1 : s.size();
    Link = s.substr(a, end - a);
    s = TrimSp(s.substr(0, a));
  } else {
    const size_t sp = s.rfind(' ');
    const std::string last = sp == std::string::npos ? s : s.substr(sp + 1);
    bool all = !last.empty();
    for (char c : last) all = all && InSet(c, "(*,.0123456789");
    if (all) {
      Link = last;
      s = TrimSp(sp == std::string::npos ? std::string() : s.substr(0, sp));
    }
  }
  if (s.empty()) {
    ErrorCode = 6;
    return;
  }
  size_t p = s.size() - 1;
  std::string parity;
  if (s[p] == '\'' || s[p] == '`') {
    parity = std::string(1, s[p]);
    if (p == 0) {
      ErrorCode = 1;
      return;
    }
    --p;
  }
  const char letter = s[p];
  const size_t li = std::string("SPDFGHIKLM").find(
      static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  if (li == std::string::npos) {
    ErrorCode = 1;
    return;
  }
  L = static_cast<int32_t>(li);
  if (p == 0 || !IsDigit(s[p - 1])) {
    ErrorCode = 2;
    return;
  }
  size_t d = p;
  while (d > 0 && IsDigit(s[d - 1])) --d;
  const std::string digits = s.substr(d, p - d);
  Multiplicity = std::stoi(digits);
  Term = digits + std::string(1, letter) + parity;
  Configuration = TrimSp(s.substr(0, d));
}

std::string FormatLevelParts(const std::string& Configuration, const std::string& Term,
                             const std::string& Link) {
  return PadRight(Configuration, 8) + ":" + PadRight(Term, 3) + ":" + PadRight(Link, 5);
}

// ---------------------------------------------------------------------------------------------
// The tables

void StoreOrbital(TDM& D, int32_t AtNi, int32_t L, int32_t TwoS, const std::string& Term,
                  const std::string& Configuration, const std::string& Link,
                  const std::string& Designation, TAtLevelsResult* R) {
  TcvTable& T = D.ADOOrbits;
  Filter(T, "(iAtNi = ?) AND (sKur = ?)", {IntValue(AtNi), TextValue(Designation)});
  const int32_t n = T.RecordCount();
  if (n == 0) {
    T.Append();
    T.FieldByName("iAtNi").SetAsInteger(AtNi);
    T.FieldByName("sKur").SetAsString(Designation);
    T.FieldByName("k_inp").SetAsInteger(1);
    T.FieldByName("qL").SetAsInteger(L);
    T.FieldByName("qS2").SetAsInteger(TwoS);
    T.FieldByName("sK_Link").SetAsString(Link);
    T.FieldByName("sK_Conf").SetAsString(Configuration);
    T.FieldByName("sK_Term").SetAsString(Term);
    T.Post();
    if (R) ++R->Orbits;
  } else if (n == 1) {
    std::string diff;
    const int64_t qL = T.FieldByName("qL").AsInteger(), qS2 = T.FieldByName("qS2").AsInteger();
    if (qL != L) diff += " qL " + IntStr(static_cast<int32_t>(qL)) + "<>" + IntStr(L) + " ";
    if (qS2 != TwoS) diff += " qS2 " + IntStr(static_cast<int32_t>(qS2)) + "<>" + IntStr(TwoS) + " ";
    auto text = [&](const char* F, const std::string& New, bool Exact) {
      const std::string old = T.FieldByName(F).AsString();
      if (Exact ? old != New : UpCaseStrCyr(old) != UpCaseStrCyr(New))
        diff += std::string(" ") + F + " \"" + old + "\"<>\"" + New + "\" ";
    };
    text("sK_Link", Link, true);
    text("sK_Conf", Configuration, false);
    text("sK_Term", Term, false);
    if (!diff.empty()) {
      WARNAbs("Ошибка повторной орбитали "_cp + Designation + " атома "_cp + IntStr(AtNi) +
              " в поле (полях) "_cp + diff);
    } else {
      T.Edit();
      T.FieldByName("k_inp").SetAsInteger(T.FieldByName("k_inp").AsInteger() + 1);
      T.Post();
    }
  } else {
    WARNAbs("Орбиталей для AtNi="_cp + IntStr(AtNi) + " <" + Designation + "> найдено "_cp +
            IntStr(n) + " штук, а должна быть ОДНА!"_cp);
  }
}

int64_t FindOrbit(TDM& D, int32_t AtNi, const std::string& Designation) {
  TcvTable& T = D.ADOOrbits;
  Filter(T, "(iAtNi = ?) AND (sKur = ?)", {IntValue(AtNi), TextValue(Designation)});
  const int32_t n = T.RecordCount();
  if (n == 1) return T.FieldByName("idOrbit").AsInteger();
  if (n > 1)
    WARNAbs("Орбиталей для AtNi="_cp + IntStr(AtNi) + " <" + Designation + "> найдено "_cp +
            IntStr(n) + " штук, а должна быть ОДНА!"_cp);
  return 0;
}

void StoreLevel(TDM& D, const std::string& Designation, int32_t LoadMode, int64_t IdOrbit,
                std::string& Message, double GKur, double ECm, int32_t GDenom, int32_t GNum,
                int32_t TwoJ, int32_t TwoS, int32_t L, int32_t AtNi, TAtLevelsResult* R) {
  Message.clear();
  if (IdOrbit == 0) return;
  const bool write = LoadMode == 2;
  const double g = GKur >= -9999 ? GKur
                                 : std::round(1000.0 * GNum / (GDenom != 0 ? GDenom : 1));
  TcvTable& T = D.ADOLevels;
  Filter(T, "(idOrbit = ?) AND (qJ2 = ?)", {IntValue(IdOrbit), IntValue(TwoJ)});
  auto append = [&](int32_t NKur) {
    if (!write) return;
    T.Append();
    T.FieldByName("idOrbit").SetAsInteger(IdOrbit);
    T.FieldByName("qJ2").SetAsInteger(TwoJ);
    T.FieldByName("qS2").SetAsInteger(TwoS);
    T.FieldByName("qL").SetAsInteger(L);
    T.FieldByName("iAtNi").SetAsInteger(AtNi);
    T.FieldByName("k_inp").SetAsInteger(1);
    T.FieldByName("g_num").SetAsInteger(GNum);
    T.FieldByName("g_denom").SetAsInteger(GDenom);
    T.FieldByName("E_cm").SetAsFloat(ECm);
    T.FieldByName("g_Kur").SetAsFloat(GKur);
    T.FieldByName("g_").SetAsFloat(g);
    T.FieldByName("sKur").SetAsString(Designation);
    T.FieldByName("nKur").SetAsInteger(NKur);
    T.Post();
    if (R) ++R->Levels;
  };
  const int32_t n = T.RecordCount();
  if (n == 0) {
    append(0);
    return;
  }
  bool conflict = false, eSeen = false, gSeen = false, eMis = false, gMis = false;
  for (T.First(); !T.Eof() && !(eSeen && gSeen); T.Next()) {
    std::string diff;
    const int64_t at = T.FieldByName("iAtNi").AsInteger();
    if (at != AtNi) {
      diff += " iAtNi " + IntStr(AtNi) + "<>" + IntStr(static_cast<int32_t>(at)) + " ";
      conflict = true;
    }
    const double e = T.FieldByName("E_cm").AsFloat();
    const bool eOk = std::fabs(e - ECm) <= 0.1;
    if (eOk) {
      eSeen = true;
    } else {
      diff += " E(sm) " + FSt(10, 3, ECm / 1000) + "<>" + FSt(10, 3, e / 1000) + " ";
      eMis = true;
    }
    const double gk = T.FieldByName("g_Kur").AsFloat();
    const bool gOk = gk == GKur;
    if (gOk) {
      gSeen = true;
    } else {
      diff += " g*10^3 " + FSt(5, 0, GKur) + "<>" + FSt(5, 0, gk) + " ";
      gMis = true;
    }
    if (!eMis && !gMis) {
      const int64_t num = T.FieldByName("g_num").AsInteger(),
                    den = T.FieldByName("g_denom").AsInteger();
      if (num != GNum) {
        diff += " g_num " + IntStr(GNum) + "<>" + IntStr(static_cast<int32_t>(num)) + " ";
        conflict = true;
      }
      if (den != GDenom) {
        diff += " g_denom " + IntStr(GDenom) + "<>" + IntStr(static_cast<int32_t>(den)) + " ";
        conflict = true;
      }
    }
    if (!diff.empty()) {
      Message = "At=" + I64PadSt(4, AtNi) + " Orbit=<" + Designation + ">" + " J=" +
                TrimSp(HalfStr(TwoJ)) + " Err:" + diff;
    } else if (eOk && gOk && write) {
      T.Edit();
      T.FieldByName("k_inp").SetAsInteger(T.FieldByName("k_inp").AsInteger() + 1);
      T.Post();
    }
  }
  if (!conflict && !(eSeen && gSeen)) append(n);
}

// ---------------------------------------------------------------------------------------------
// The import

bool LoadAtLevels(TJob& Job, TDM& D, const std::string& FileName, int32_t LoadMode,
                  int32_t ReportMode, TStringList& Report, TAtLevelsResult& R) {
  R = TAtLevelsResult();
  Report.Clear();
  TStringList file;
  file.LoadFromFile(FileName);
  TStringList lineErr, desErr, qnErr, levMsg, ok;
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  for (TcvTable* t : {&D.ADOOrbits, &D.ADOLevels}) t->Close();
  static const char* const kTail[] = {">,Lamb, Error ====>", ">,NAt, Error ====>",
                                      ">,NNi, Error ====>",  ">,e_H, Error ====>",
                                      ">,e_L, Error ====>",  ">,j_H, Error ====>",
                                      ">,j_L, Error ====>",  ">,g_H, Error ====>",
                                      ">,g_L, Error ====>"};
  const int32_t count = file.Count();
  for (int32_t i = 0; i < count; ++i) {
    if ((i + 1) % 200 == 0 && !Job.Step(i + 1, count, "Levels " + IntStr(i + 1))) return false;
    const std::string raw = file[i];
    const std::string s = KurCatalogueLine(raw);
    const std::string N = I64PadSt(6, i + 1);
    if (s.size() < 153) {
      // a line that ends before the Lande factors cannot be read: said, not passed over quietly
      if (!TrimSp(raw).empty()) {
        lineErr.Add(N + " строка короче 153 символов ====>"_cp + raw);
        ++R.Short;
      }
      continue;
    }
    ++R.Lines;
    // the fields, in the order of their messages
    const std::string txt[9] = {Cols(s, 1, 10),   Cols(s, 19, 20),  Cols(s, 22, 23),
                                Cols(s, 25, 35),  Cols(s, 53, 63),  Cols(s, 36, 40),
                                Cols(s, 64, 68),  Cols(s, 144, 148), Cols(s, 149, 153)};
    double lam = 0, e1 = 0, e2 = 0, j1 = 0, j2 = 0;
    int32_t z = 0, ion = 0, g1i = 0, g2i = 0;
    const bool good[9] = {ReadReal(txt[0], lam), ReadInt(txt[1], z),  ReadInt(txt[2], ion),
                          ReadReal(txt[3], e1),  ReadReal(txt[4], e2), ReadReal(txt[5], j1),
                          ReadReal(txt[6], j2),  ReadInt(txt[7], g1i), ReadInt(txt[8], g2i)};
    int bad = -1;
    for (int k = 0; k < 9 && bad < 0; ++k)
      if (!good[k]) bad = k;
    if (bad >= 0) {
      lineErr.Add(N + " " + "Val(<" + txt[bad] + kTail[bad] + s);
      continue;
    }
    std::string d1 = Cols(s, 41, 52), d2 = Cols(s, 69, 80);
    for (std::string* d : {&d1, &d2})
      for (char& c : *d)
        if (c == '\'') c = '`';
    d1 = TrimSp(d1);
    d2 = TrimSp(d2);
    // level 1 is the high one unless its energy is below that of level 2
    double eH = e1, eL = e2, jH = j1, jL = j2;
    int32_t gH = g1i, gL = g2i;
    std::string dH = d1, dL = d2;
    if (e1 < e2) {
      std::swap(eH, eL);
      std::swap(jH, jL);
      std::swap(gH, gL);
      std::swap(dH, dL);
    }
    const double lamCalc = 1e7 / (eH - eL) / 1.00028;
    if (!(std::fabs(lamCalc - lam) / lam <= 0.01)) {
      lineErr.Add(N + " Lamb=" + ShortSt(10, lam) + " <> (e_Hi-e_Lo)=" + ShortSt(10, lamCalc) +
                  " ====>" + s);
      continue;
    }
    lam *= 10;
    const int32_t atNi = z * 100 + ion;
    struct TLev {
      const char* Tag;
      std::string Des, Conf, Term, Link;
      int32_t TwoJ = 0, L = 0, Mult = 1, Num = 0, Den = 1;
      double G = 0, E = 0;
      int32_t GInt = 0;
    } lev[2];
    lev[0].Tag = " Hi <";
    lev[0].Des = dH;
    lev[0].TwoJ = static_cast<int32_t>(std::lround(2 * jH));
    lev[0].GInt = gH;
    lev[0].E = eH;
    lev[1].Tag = " Lo <";
    lev[1].Des = dL;
    lev[1].TwoJ = static_cast<int32_t>(std::lround(2 * jL));
    lev[1].GInt = gL;
    lev[1].E = eL;
    bool msg = false;
    for (TLev& v : lev) {
      v.G = v.GInt != 0 ? v.GInt / 1000.0 : -10.0;
      int32_t err = 0;
      ParseLevelDesignation(v.Des, v.L, v.Mult, v.Conf, v.Term, v.Link, err);
      if (err != 0) {
        const std::string m = N + v.Tag + v.Des + "> = <" + FormatLevelParts(v.Conf, v.Term, v.Link) +
                              "> " + std::string(21, ' ') + "===>" + s;
        if (ReportMode == 2) lineErr.Add(m);
        if (ReportMode == 5) desErr.Add(m);
        v.TwoJ = 0;
        v.L = 0;
        v.Mult = 1;
        msg = true;
      }
    }
    for (TLev& v : lev) {
      const double S = (v.Mult - 1) / 2.0, J = v.TwoJ / 2.0;
      if (CheckSLJ(S, v.L, J)) {
        LandeGFrac(S, v.L, J, v.Num, v.Den);
      } else {
        const std::string m = N + v.Tag + v.Des + "> = <" + FormatLevelParts(v.Conf, v.Term, v.Link) +
                              "> L!S!J = " +
                              PadRight(IntStr(v.L) + " +" + TrimSp(HalfStr(v.Mult - 1)) + "=" +
                                           TrimSp(HalfStr(v.TwoJ)),
                                       13) +
                              "===>" + s;
        if (ReportMode == 2) lineErr.Add(m);
        if (ReportMode == 6) qnErr.Add(m);
        v.Num = 0;
        v.Den = 1;
        msg = true;
      }
    }
    if (msg) continue;
    ++R.Used;
    TLev& lo = lev[1];
    TLev& hi = lev[0];
    if (ReportMode == 1) {
      auto part = [](const TLev& v) {
        return PadRight(v.Des, 12) + " => " + PadRight(v.Link, 7) + PadRight(v.Conf, 9) +
               PadRight(v.Term, 5) + " " + TrimSp(HalfStr(v.TwoJ)) + " = " + I64PadSt(2, v.L) +
               " + " + TrimSp(HalfStr(v.Mult - 1)) + " | ";
      };
      auto frac = [](const TLev& v) {
        return "(" + I64PadSt(3, v.Num) + "/" + I64PadSt(3, v.Den) + ") = " + FSt(8, 4, v.G);
      };
      ok.Add(N + " " + I64PadSt(5, atNi) + FSt(9, 3, lam) + FSt(12, 3, lo.E) + FSt(12, 3, hi.E) +
             " " + part(lo) + part(hi) + frac(lo) + " | " + frac(hi));
    }
    if (LoadMode == 1)
      for (TLev* v : {&lo, &hi})
        StoreOrbital(D, atNi, v->L, v->Mult - 1, v->Term, v->Conf, v->Link, v->Des, &R);
    if (LoadMode == 2 || (LoadMode == 0 && ReportMode == 3))
      for (TLev* v : {&lo, &hi}) {
        const int64_t id = FindOrbit(D, atNi, v->Des);
        std::string m;
        StoreLevel(D, v->Des, LoadMode, id, m, v->GInt != 0 ? v->GInt : -10000.0, v->E * 1000,
                   v->Den, v->Num, v->TwoJ, v->Mult - 1, v->L, atNi, &R);
        if (!m.empty() && ReportMode == 3) levMsg.Add(N + " " + m);
      }
  }
  for (TcvTable* t : {&D.ADOOrbits, &D.ADOLevels}) {
    t->Close();
    t->SetFilter("");
    t->SetFiltered(false);
  }
  if (!Job.Checkpoint()) return false;
  tr.Commit();
  static const std::string kTitle[] = {"",
                                       "Строки загрузки атомных орбиталей"_cp,
                                       "Ошибки загрузки атомных орбиталей"_cp,
                                       "Ошибки загрузки атомных уровней"_cp,
                                       "Ошибки строк"_cp,
                                       "Ошибки орбиталей"_cp,
                                       "Ошибки кв.чисел"_cp};
  const TStringList* lists[] = {nullptr, &ok, &lineErr, &levMsg, &lineErr, &desErr, &qnErr};
  if (ReportMode >= 1 && ReportMode <= 6) {
    R.Title = kTitle[ReportMode];
    Report.AddStrings(*lists[ReportMode]);
  }
  return true;
}
