#include "linedata/cvLineImport.h"

#include <cmath>
#include <filesystem>

#include "foundation/cvCIL.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "platform/FileErr.h"

namespace {

const std::string kCrLf = "\r\n";

// Columns From..To (1-based, both included) of S, trimmed.
std::string Cols(const std::string& S, size_t From, size_t To) {
  if (From > S.size()) return std::string();
  return TrimSp(S.substr(From - 1, std::min(To, S.size()) - From + 1));
}

bool Real(const std::string& S, double& V) {
  const std::string t = TrimSp(S);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && std::isfinite(V);
}

// A number read leniently: 0 when the text is none.
double Lenient(const std::string& S) {
  double v = 0;
  return Real(S, v) ? v : 0.0;
}

int64_t MaxOf(TcvDatabase& Db, const char* Table, const char* Field) {
  TcvTable q(&Db, "");
  q.SetSQL(std::string("select ") + Field + " from " + Table + " order by " + Field + " desc");
  q.Open();
  const int64_t v = q.IsEmpty() ? 0 : q.Fields(0).AsInteger();
  q.Close();
  return v;
}

}  // namespace

std::string LineKey(const std::string& Symbol, double LAMB, int32_t K) {
  std::string sym = UpCaseStrCyr(TrimSp(Symbol));
  if (sym.size() == 1) sym += sym;
  const double x = LAMB * std::pow(10.0, K);
  // the integer part of the value as written (a wavelength text is decimal)
  const int64_t t = static_cast<int64_t>(std::trunc(x + std::fabs(x) * 1e-12));
  return sym + I64PadSt(4 + K, t);
}

// ---------------------------------------------------------------------------------------------
// The Fe table

bool LoadBelmarFe(TJob& Job, TDM& D, const std::string& FileName, TLineImportResult& R) {
  std::string file = FileName;
  if (!std::filesystem::exists(platform::SysPath(file))) file = LineData().Root() + "LIN/" + FileName;
  TCIL r;
  r.SetErrProc([&R](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    R.ErrText = T;
    R.ErrFile = F;
    R.ErrLine = L;
    R.ErrPos = P;
  });
  r.Load(file, "LoadBelmarFe");
  TcvDatabase& Db = D.ADOConnection;
  TcvDatabase::TTransaction tr(&Db);
  TcvTable& L = D.ADOLines_;
  TcvTable& O = D.ADOLineObsVorn;
  TcvTable& G = D.ADOLGGF;
  for (TcvTable* t : {&L, &O, &G}) {
    t->Close();
    t->SetFilter("");
    t->SetFiltered(false);
    t->SetSort("");
    t->Open();
  }
  int64_t idLOK = MaxOf(Db, "LineObsVorn", "IdLOK");
  int64_t idLGGF = MaxOf(Db, "LGGF", "IdLGGF");
  const std::string head = "Э Л Е М Е Н Т"_cp;
  std::string hSym, hWord;
  int32_t hStage = 0;
  auto stageWarn = [&](const std::string& Line, const std::string& Word, const std::string& Tail) {
    WARNAbs("LoadLinesBelmar файл "_cp + file + kCrLf + "Ошибка в строке "_cp + kCrLf + Line +
            kCrLf + "в слове <"_cp + Word + "> " + Tail);
  };
  const std::string noStage = "последний символ должен означать стадию ионизации!"_cp;
  int32_t n = 0;
  for (;;) {
    r.NextLine();  // every line to the last (the last one was lost before)
    const std::string s = r.Line;
    if (TrimCtl(s).empty()) break;
    if (++n % 100 == 0 && !Job.Step(n, r.Count(), "LoadBelmarFe " + IntStr(n))) return false;
    const size_t hp = s.find(head);
    if (hp != std::string::npos) {
      size_t p = hp + head.size();
      while (p < s.size() && s[p] == ' ') ++p;
      hWord = TrimSp(s.substr(std::min(p, s.size()), 5));
      if (hWord.empty() || !std::isdigit(static_cast<unsigned char>(hWord.back()))) {
        stageWarn(s, hWord, noStage);
        hSym.clear();
        continue;
      }
      hStage = hWord.back() - '0';
      hSym = TrimSp(hWord.substr(0, hWord.size() - 1));
      continue;
    }
    if (s.find("===") != std::string::npos || s.find("Д/В"_cp) != std::string::npos ||
        s.size() < 56)
      continue;
    const std::string lamT = Cols(s, 1, 8), eT = Cols(s, 9, 13), mult = Cols(s, 14, 18),
                      dT = Cols(s, 18, 24), hdT = Cols(s, 24, 28), hwT = Cols(s, 29, 33),
                      gfdT = Cols(s, 34, 39), gfwT = Cols(s, 40, 45), wT = Cols(s, 46, 53),
                      word = Cols(s, 53, 57);
    if (mult.empty()) {
      ++R.Skipped;
      continue;
    }
    double lam = 0;
    if (!Real(lamT, lam)) r.ErrAt(r.CurLine, 1, "<" + lamT + "> - ошибка в длине волны"_cp);
    if (word.empty() || !std::isdigit(static_cast<unsigned char>(word.back()))) {
      stageWarn(s, word, noStage);
      ++R.Skipped;
      continue;
    }
    const std::string sym = TrimSp(word.substr(0, word.size() - 1));
    const int32_t stage = word.back() - '0';
    if (UpCaseStrCyr(sym) != UpCaseStrCyr(hSym)) {
      stageWarn(s, word, "АТОМ="_cp + sym + " не совпадает с ATOM="_cp + hSym +
                             " в заголовке таблицы"_cp);
      ++R.Skipped;
      continue;
    }
    if (stage != hStage) {
      stageWarn(s, word, "ст.ионизации "_cp + IntStr(stage) + " не совпадает со ст.ионизации "_cp +
                             IntStr(hStage) + " в заголовке таблицы"_cp);
      ++R.Skipped;
      continue;
    }
    const double d = Lenient(dT), w = Lenient(wT), gfd = Lenient(gfdT), gfw = Lenient(gfwT);
    // the key: 6 characters, else 7 or 8 when another multiplet holds the shorter one
    std::string key;
    bool found = false;
    for (int32_t k = 0; k <= 2; ++k) {
      key = LineKey(sym, lam, k);
      if (!L.Locate("LIN6", TextValue(key))) break;
      if (TrimSp(L.FieldByName("Mult").AsString()) == mult) {
        found = true;
        break;
      }
    }
    if (found) {
      L.Edit();
      bool changed = false;
      if (L.FieldByName("Wcd").AsFloat() != w || L.FieldByName("Wcd").IsNull()) {
        L.FieldByName("Wcd").SetAsFloat(w);
        changed = true;
      }
      if (L.FieldByName("Dcd").AsFloat() != d || L.FieldByName("Dcd").IsNull()) {
        L.FieldByName("Dcd").SetAsFloat(d);
        changed = true;
      }
      L.Post();
      if (changed) ++R.Updated;
    } else {
      const double gf = gfw != 0 && gfd != 0 ? (gfw + gfd) / 2 : gfd != 0 ? gfd : gfw;
      L.Append();
      L.FieldByName("LIN6").SetAsString(key);
      L.FieldByName("LAMB").SetAsFloat(lam);
      L.FieldByName("Atom").SetAsString(hSym);
      L.FieldByName("NIon").SetAsInteger(hStage);
      L.FieldByName("Mult").SetAsString(mult);
      L.FieldByName("ELOW").SetAsFloat(Lenient(eT));
      L.FieldByName("LGGF").SetAsString(TrimSp(FSt2(6, 3, gf)));
      L.FieldByName("LGGFSrc").SetAsString("Belmar");
      L.FieldByName("JL2").SetAsInteger(0);
      L.FieldByName("JU2").SetAsInteger(2);
      L.FieldByName("GL").SetAsFloat(0);
      L.FieldByName("GU").SetAsFloat(0);
      L.FieldByName("GLT").SetAsString("N");
      L.FieldByName("GUT").SetAsString("N");
      // the observed values too, or a second load would change the record
      L.FieldByName("Wcd").SetAsFloat(w);
      L.FieldByName("Dcd").SetAsFloat(d);
      L.Post();
      ++R.Added;
    }
    const int64_t idLine = L.RowId();
    O.Append();
    O.FieldByName("IdLOK").SetAsInteger(++idLOK);
    O.FieldByName("IdLine").SetAsInteger(idLine);
    O.FieldByName("D_OB").SetAsFloat(d);
    O.FieldByName("W_OB").SetAsFloat(w);
    O.FieldByName("GFD").SetAsFloat(gfd);
    O.FieldByName("GFW").SetAsFloat(gfw);
    O.FieldByName("HD").SetAsFloat(Lenient(hdT));
    O.FieldByName("HW").SetAsFloat(Lenient(hwT));
    O.Post();
    ++R.Observations;
    struct {
      const char* Src;
      int32_t Priority;
      double Val;
    } srcs[] = {{"Belmar_W", 51, gfw}, {"Belmar_D", 52, gfd}};
    for (const auto& sr : srcs) {
      if (G.Locate("LIN6;Src", {TextValue(key), TextValue(sr.Src)})) continue;
      G.Append();
      G.FieldByName("IdLGGF").SetAsInteger(++idLGGF);
      G.FieldByName("LIN6").SetAsString(key);
      G.FieldByName("Src").SetAsString(sr.Src);
      G.FieldByName("Priority").SetAsInteger(sr.Priority);
      G.FieldByName("Val").SetAsFloat(sr.Val);
      G.Post();
      ++R.LggfAdded;
    }
  }
  r.Unload();
  for (TcvTable* t : {&L, &O, &G}) t->Close();
  if (!Job.Checkpoint()) return false;
  tr.Commit();
  return true;
}

bool LoadLineObservVorn(TJob& Job, TDM& D, TLineImportResult& R) {
  R = TLineImportResult();
  const std::string dir = LineData().Root() + "LIN/";
  bool ok = true;
  for (const char* f : {"belmarfe.dat", "belmar.dat"}) {
    if (!std::filesystem::exists(platform::SysPath(dir + f))) {
      WARNAbs("Файл <"_cp + dir + f + "> не найден!"_cp);
      ok = false;
    }
  }
  if (!ok) return false;  // nothing emptied, nothing loaded
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  D.ADOLineObsVorn.Close();
  D.ADOConnection.Exec("DELETE FROM LineObsVorn");
  for (const char* f : {"belmarfe.dat", "belmar.dat"})
    if (!LoadBelmarFe(Job, D, dir + f, R)) return false;
  tr.Commit();
  return true;
}

// ---------------------------------------------------------------------------------------------
// VALD

bool LoadLineVALDShort(TJob& Job, TDM& D, const TStringList& Lines, TLineImportResult& R) {
  static const std::string kWhat[] = {"длину волны"_cp,
                                      "E_low",
                                      "силы осцилляторов"_cp,
                                      "радиативное затухание"_cp,
                                      "штарковское затухание"_cp,
                                      "затухание Ван-дер Ваальса"_cp,
                                      "эффективный фактор Ланде"_cp};
  TcvDatabase& Db = D.ADOConnection;
  TcvDatabase::TTransaction tr(&Db);
  D.ADOLines_.Close();
  TcvTable T(&Db, "Lines_");
  auto isLS = [](const std::string& K) { return K == "*" || K == "0" || K == "L"; };
  for (int32_t i = 0; i < Lines.Count(); ++i) {
    if ((i + 1) % 100 == 0 && !Job.Step(i + 1, Lines.Count(), "VALD " + IntStr(i + 1)))
      return false;
    std::string s = Lines[i];
    const size_t hash = s.find('#');
    if (hash != std::string::npos) s.erase(hash);
    std::vector<std::string> f;
    size_t p = 0;
    for (;;) {
      const size_t c = s.find(',', p);
      f.push_back(TrimSp(s.substr(p, c == std::string::npos ? std::string::npos : c - p)));
      if (c == std::string::npos) break;
      p = c + 1;
    }
    if (f.size() != 9) {
      if (!TrimSp(s).empty() || hash == std::string::npos)
        WARN("строка <"_cp + Lines[i] + "> содержит "_cp + IntStr(static_cast<int32_t>(f.size())) +
             " полей!"_cp);
      ++R.Skipped;
      continue;
    }
    double v[7];
    for (int k = 0; k < 7; ++k)
      if (!Real(f[static_cast<size_t>(k) + 1], v[k])) {
        WARNAbs("Ошибка в строке №"_cp + IntStr(i + 1) + kCrLf + Lines[i] + kCrLf + "в поле "_cp +
                IntStr(k + 2) + " не удается перевести в число "_cp + kWhat[k] + kCrLf +
                "Импорт прерван, таблица Lines_ не изменена"_cp);
        return false;  // the transaction rolls back
      }
    std::string el = f[0];
    std::erase(el, '\'');
    el = UpCaseStrCyr(el);
    if (el.empty() || !std::isdigit(static_cast<unsigned char>(el.back()))) {
      WARNAbs("Ошибка в строке №"_cp + IntStr(i + 1) + kCrLf + Lines[i] + kCrLf +
              "в поле 1 нет стадии ионизации"_cp);
      ++R.Skipped;
      continue;
    }
    const int32_t stage = el.back() - '0';
    const std::string elem = TrimSp(el.substr(0, std::min<size_t>(2, el.size())));
    std::string ksym = el.substr(0, std::min<size_t>(2, el.size()));
    if (ksym.size() == 2 && ksym[1] == ' ') ksym[1] = ksym[0];
    const double lam = v[0], elow = v[1], gf = v[2], lande = v[6];
    const bool hasLande = lande != 99;  // the format's mark of an absent factor
    bool match = false;
    int32_t matchK = -1;
    for (int32_t k = 3; k >= 0 && !match; --k) {
      const std::string key = LineKey(ksym, lam, k);
      T.Close();
      T.SetFilter("LIN6 = ?", {TextValue(key)});
      T.SetFiltered(true);
      T.Open();
      for (T.First(); !T.Eof(); T.Next())
        if (T.FieldByName("NIon").AsInteger() == stage &&
            std::fabs(T.FieldByName("ELOW").AsFloat() - elow) < 0.02) {
          match = true;
          matchK = k;
          break;
        }
    }
    if (match) {
      T.Edit();
      if (matchK == 3) T.FieldByName("Atom").SetAsString(elem);
      if (TrimSp(T.FieldByName("LGGFSrc").AsString()) != "O") {
        T.FieldByName("LGGF").SetAsFloat(gf);
        T.FieldByName("LGGFSrc").SetAsString("VALD");
      }
      if (TrimSp(T.FieldByName("Atom").AsString()).empty())
        T.FieldByName("Atom").SetAsString(elem);
      if (hasLande && !isLS(TrimSp(T.FieldByName("GLT").AsString()))) {
        T.FieldByName("GLT").SetAsString("E");
        T.FieldByName("GL").SetAsFloat(0);
        if (!isLS(TrimSp(T.FieldByName("GUT").AsString()))) {
          T.FieldByName("GUT").SetAsString("E");
          T.FieldByName("GU").SetAsFloat(lande);
          if (T.FieldByName("JL2").AsInteger() == 0 && T.FieldByName("JU2").AsInteger() == 0) {
            T.FieldByName("JL2").SetAsInteger(0);
            T.FieldByName("JU2").SetAsInteger(2);
          }
        }
      }
      ++R.Updated;
    } else {
      T.Append();
      T.FieldByName("LIN6").SetAsString(LineKey(ksym, lam, 3));
      T.FieldByName("Atom").SetAsString(elem);
      T.FieldByName("NIon").SetAsInteger(stage);
      T.FieldByName("ELOW").SetAsFloat(elow);
      T.FieldByName("LGGF").SetAsFloat(gf);
      T.FieldByName("LGGFSrc").SetAsString("VALD");
      T.FieldByName("Mult").SetAsString("9999");
      T.FieldByName("JL2").SetAsInteger(0);
      T.FieldByName("JU2").SetAsInteger(2);
      T.FieldByName("GLT").SetAsString(hasLande ? "E" : "N");
      T.FieldByName("GUT").SetAsString(hasLande ? "E" : "N");
      T.FieldByName("GL").SetAsFloat(0);
      T.FieldByName("GU").SetAsFloat(hasLande ? lande : 0);
      ++R.Added;
    }
    T.FieldByName("LAMB").SetAsFloat(lam);
    T.FieldByName("Rad").SetAsFloat(v[3]);
    T.FieldByName("Stark").SetAsFloat(v[4]);
    T.FieldByName("Waals").SetAsFloat(v[5]);
    T.Post();
  }
  T.Close();
  if (!Job.Checkpoint()) return false;
  tr.Commit();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Zeeman numbers

bool FillLinesZeeStruct(TJob& Job, TDM& D, TLineImportResult& R) {
  TLineDataServices& S = LineData();
  if (!S.ZeePattern.Provided()) {
    int32_t a = 0, b = 0;
    double g = 0;
    S.ZeePattern("", 0, 0, 0, 0, a, b, g);  // says that it is not available
    return false;
  }
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOLines_;
  T.Close();
  T.SetFilter("");
  T.SetFiltered(false);
  T.SetSort("");
  T.Open();
  auto kind = [&T](const char* F) {
    const std::string s = T.FieldByName(F).AsString();
    return s.empty() ? ' ' : s[0];
  };
  auto ls = [](char C) { return C == '*' || C == '0' || C == 'L' || C == 'T'; };
  const int32_t n = T.RecordCount();
  int32_t i = 0;
  for (T.First(); !T.Eof(); T.Next()) {
    if (++i % 200 == 0 && !Job.Step(i, n, "ZeeStruct " + IntStr(i))) return false;
    if (!ls(kind("GLT")) || !ls(kind("GUT"))) continue;
    int32_t nComp = 0, nPi = 0;
    double gEff = 0;
    S.ZeePattern(T.FieldByName("LIN6").AsString(),
                 static_cast<int32_t>(T.FieldByName("JL2").AsInteger()),
                 T.FieldByName("GL").AsFloat(),
                 static_cast<int32_t>(T.FieldByName("JU2").AsInteger()),
                 T.FieldByName("GU").AsFloat(), nComp, nPi, gEff);
    T.Edit();
    T.FieldByName("NComp").SetAsInteger(nComp);
    T.FieldByName("NPi").SetAsInteger(nPi);
    T.FieldByName("GEff").SetAsFloat(gEff);
    T.FieldByName("ZnRung").Clear();
    T.Post();
    ++R.Updated;
  }
  T.Close();
  if (!Job.Checkpoint()) return false;
  tr.Commit();
  return true;
}
