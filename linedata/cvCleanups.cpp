#include "linedata/cvCleanups.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"

namespace {

const char* const kHfsElements = "CO CU MN SC V  EU";
const char* const kHeavyElements = "TM YB LU HF TA W RE OS IR PT AU HG TL PB BI TH U";
const std::string kSep16 = "----------------";

std::vector<std::string> Words(const std::string& S) {
  std::vector<std::string> w;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && S[i] == ' ') ++i;
    size_t j = i;
    while (j < S.size() && S[j] != ' ') ++j;
    if (j > i) w.push_back(S.substr(i, j - i));
    i = j;
  }
  return w;
}

// A range bound: the value of a text that is a number other than 0.
bool Bound(const std::string& S, double& V) {
  const std::string t = TrimSp(S);
  if (t.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && std::isfinite(V) && V != 0;
}

// The report: title lines first; saved in LIN/ below the root as yymmdd-hhmmss.txt and given as
// one warning.
std::string SaveReport(TJob& Job, TStringList& Report) {
  const double now = NowDateTime();
  std::string dir = LineData().Root() + "LIN/";
  std::error_code ec;
  std::filesystem::create_directories(platform::SysPath(dir), ec);
  const std::string file = dir + DateYYMMDD(now) + "-" + TimeHHMMSS(now) + ".txt";
  Job.Step(1, 1, "SaveToFile " + file);
  Report.SaveToFile(file);
  WARNAbsSL(&Report);
  return file;
}

void Title(TStringList& Report, const std::string& T) {
  Report.Add("--------------------");
  Report.Add(T);
  Report.Add("--------------------");
}

std::string Range(const std::string& A, const std::string& B) {
  return " Lamb_от="_cp + A + " Lamb_до="_cp + B;
}

// Asks once before deleting; false (and a warning) when the answer is no.
bool AskDelete(TJob& Job, const std::string& Table, int32_t N, const std::string& Cond) {
  const std::string q = "Удалить "_cp + IntStr(N) + " записей таблицы "_cp + Table +
                        (Cond.empty() ? std::string(" (все записи)"_cp)
                                      : " по условию <"_cp + Cond + ">") +
                        "?";
  if (Job.Ask(q, false)) return true;
  WARNAbs("Удаление отменено: таблица "_cp + Table + " не изменена"_cp);
  return false;
}

void Filter(TcvTable& T, const std::string& Sql, const std::vector<TcvValue>& Params) {
  T.SetFilter(Sql, Params);
  T.SetFiltered(!Sql.empty());
  if (T.Active()) T.Requery();
}

std::string AndSql(const std::string& A, const std::string& B) {
  if (A.empty()) return B;
  if (B.empty()) return A;
  return A + " AND " + B;
}

std::vector<TcvValue> Join(std::vector<TcvValue> A, const std::vector<TcvValue>& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

// Reports the current record and deletes it when asked (the next one becomes current).
void ReportRecord(TADOExport& E, TStringList& Report, TCleanupResult& R) {
  std::string s;
  E.RecordLine(s);
  Report.Add(s);
  ++R.Reported;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Range conditions

TLambCond LambFilter(const std::string& A, const std::string& B) {
  TLambCond c;
  double a = 0, b = 0;
  const bool ha = Bound(A, a), hb = Bound(B, b);
  const std::string ta = TrimSp(A), tb = TrimSp(B);
  if (ha && hb) {
    c.Shown = "(LAMB > " + ta + " AND LAMB < " + tb + ")";
    c.Sql = "(LAMB > ? AND LAMB < ?)";
    c.Params = {RealValue(a), RealValue(b)};
  } else if (ha) {
    c.Shown = "(LAMB > " + ta + ")";
    c.Sql = "(LAMB > ?)";
    c.Params = {RealValue(a)};
  } else if (hb) {
    c.Shown = "(LAMB < " + tb + ")";
    c.Sql = "(LAMB < ?)";
    c.Params = {RealValue(b)};
  }
  return c;
}

std::string LambFilterStr(const std::string& A, const std::string& B) {
  return LambFilter(A, B).Shown;
}

std::string AndLambFilter(const std::string& A, const std::string& B) {
  const std::string s = LambFilterStr(A, B);
  return s.empty() ? s : " AND " + s;
}

// ---------------------------------------------------------------------------------------------
// ClearKurLines

bool ClearKurLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                   TCleanupResult& R) {
  R = TCleanupResult();
  const TLambCond c = LambFilter(A, B);
  if (c.Empty()) {
    WARNAbs("Clear KurLines: диапазон длин волн не задан - записи не удаляются!"_cp);
    return false;
  }
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOKurLines;
  T.Close();
  Filter(T, c.Sql, c.Params);
  T.Open();
  const int32_t n = T.RecordCount();
  if (n == 0) {
    T.Close();
    return true;
  }
  if (!AskDelete(Job, "KurLines", n, c.Shown)) {
    T.Close();
    return true;
  }
  // from the last record: each delete then costs no move of the rest
  while (!T.IsEmpty()) {
    const int32_t left = T.RecordCount();
    if ((left == n || left % 500 == 0) && !Job.Step(n - left, n, "KurLines Clear " + IntStr(left))) {
      T.Close();
      return false;
    }
    T.Last();
    T.Delete();
    ++R.Deleted;
  }
  Filter(T, "", {});
  T.Close();
  if (!Job.Checkpoint()) return false;  // cancelled: the transaction rolls back
  tr.Commit();
  return true;
}

// ---------------------------------------------------------------------------------------------
// DelHyperFineLines

THfsMerge MergeHfsGroup(const std::vector<int64_t>& Shifts, const std::vector<std::string>& Fracs) {
  struct TC {
    int64_t d;
    std::string f;
    double share;  // sum of 10^-fraction of the merged components
    int32_t n;
  };
  std::vector<TC> c;
  for (size_t i = 0; i < Shifts.size(); ++i) {
    std::string f = TrimSp(Fracs[i]);
    if (!f.empty() && f[0] == '-') f.erase(0, 1);
    int32_t code = 0;
    const double v = f.empty() ? 0.0 : ValRealCode(f, code);
    c.push_back({Shifts[i], f, std::pow(10.0, -v), 1});
  }
  std::stable_sort(c.begin(), c.end(), [](const TC& a, const TC& b) { return a.d < b.d; });
  std::vector<TC> m;
  for (const TC& x : c) {
    if (!m.empty() && m.back().d == x.d) {
      m.back().share += x.share;
      ++m.back().n;
      m.back().f = ShortSt(4, RoundDec(-std::log10(m.back().share), 3));
    } else {
      m.push_back(x);
    }
  }
  THfsMerge r;
  double total = 0;
  std::string ds, fs;
  for (const TC& x : m) {
    r.Shifts.push_back(x.d);
    r.Fracs.push_back(TrimSp(x.f));
    ds += (ds.empty() ? "" : " ") + IntStr(static_cast<int32_t>(x.d));
    fs += " " + TrimSp(x.f);
    total += x.share;
  }
  r.sHFS = ds + fs;
  r.Total = RoundDec(-std::log10(total), 3);
  return r;
}

bool DelHyperFineLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                       TCleanupResult& R) {
  R = TCleanupResult();
  const TLambCond range = LambFilter(A, B);
  TStringList report;
  Title(report, "DelHyperFineLines" + Range(A, B));
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOKurLines;
  T.Close();
  T.SetSort("");
  Filter(T, "", {});
  T.Open();
  TADOExport E(&T, '|');
  E.InitFields();
  const std::vector<std::string> elems = Words(kHfsElements);
  struct TStage {
    std::string Sym;
    int64_t Elem;
  };
  std::vector<TStage> stages;
  int32_t counted = 0, candidates = 0;
  for (const std::string& s : elems) {
    const int32_t z = AtNumBySym(s);
    if (z <= 0) continue;
    for (int idx = 0; idx <= 1; ++idx) {
      const int64_t elem = static_cast<int64_t>(z) * 100 + idx;
      Filter(T, AndSql("ELEM = ?", range.Sql), Join({IntValue(elem)}, range.Params));
      const int32_t n = T.RecordCount();
      if (!Job.Step(0, 0, s + " - " + IntStr(n) + " устанавливаем длин полей"_cp)) return false;
      if (n > 1) {
        ++counted;
        candidates += n;
        E.MeasureWidths();
        stages.push_back({s, elem});
      }
    }
  }
  if (counted == 0) {
    Filter(T, "", {});
    T.Close();
    std::string syms;
    for (const std::string& s : elems) syms += s + " ";
    WARNAbs("Линии элементов "_cp + syms +
            (range.Empty() ? std::string()
                           : " в диапазоне длин волн "_cp + AndLambFilter(A, B) + " ") +
            " не найдены!"_cp);
    return true;
  }
  if (!AskDelete(Job, "KurLines", candidates,
                 "компоненты сверхтонкой структуры "_cp + kHfsElements +
                     (range.Empty() ? std::string() : " " + range.Shown))) {
    T.Close();
    return true;
  }
  std::string head;
  E.HeaderLine(head);
  report.Add(head);
  for (const TStage& st : stages) {
    const std::string cond = "ELEM = '" + IntStr(static_cast<int32_t>(st.Elem)) + "'" +
                             (range.Empty() ? std::string() : " AND " + range.Shown);
    const std::string sql = AndSql("ELEM = ?", range.Sql);
    const std::vector<TcvValue> params = Join({IntValue(st.Elem)}, range.Params);
    T.SetSort("ELO ASC, lgGF ASC, Id ASC");
    Filter(T, sql, params);
    if (!Job.Step(0, 0, st.Sym + " N=" + IntStr(T.RecordCount()) + " Filt=" + cond)) return false;
    if (T.IsEmpty()) continue;
    // the distinct (ELO, lgGF) pairs in sort order, compared as texts
    struct TPair {
      std::string Text, EloText, GfText;
      TcvValue Elo, Gf;
    };
    std::vector<TPair> pairs;
    for (T.First(); !T.Eof(); T.Next()) {
      const std::string e = T.FieldByName("ELO").AsString(), g = T.FieldByName("lgGF").AsString();
      const std::string t = e + " " + g;
      if (pairs.empty() || pairs.back().Text != t)
        pairs.push_back({t, e, g, T.FieldByName("ELO").Value(), T.FieldByName("lgGF").Value()});
    }
    TStringList summary;
    summary.Add("Filter = <" + cond + "> - найдено "_cp + IntStr(static_cast<int32_t>(pairs.size())) +
                " вариантов"_cp);
    for (size_t k = 0; k < pairs.size(); ++k) {
      const TPair& p = pairs[k];
      auto eq = [](const char* F, const TcvValue& V) {
        return IsNullValue(V) ? std::string(F) + " IS NULL" : std::string(F) + " = ?";
      };
      std::vector<TcvValue> ps = params;
      if (!IsNullValue(p.Elo)) ps.push_back(p.Elo);
      if (!IsNullValue(p.Gf)) ps.push_back(p.Gf);
      Filter(T, sql + " AND " + eq("ELO", p.Elo) + " AND " + eq("lgGF", p.Gf), ps);
      const int32_t n = T.RecordCount();
      if (!Job.Step(static_cast<int64_t>(k), static_cast<int64_t>(pairs.size()),
                    st.Sym + " " + p.Text))
        return false;
      if (n <= 1) continue;
      std::vector<int64_t> d;
      std::vector<std::string> f;
      double sumLamb = 0, sumAir = 0;
      for (T.First(); !T.Eof(); T.Next()) {
        d.push_back(T.FieldByName("shiftHI").AsInteger() - T.FieldByName("shiftLO").AsInteger());
        f.push_back(T.FieldByName("frac").AsString());
        sumLamb += T.FieldByName("LAMB").AsFloat();
        sumAir += T.FieldByName("nAir").AsFloat();
      }
      const THfsMerge m = MergeHfsGroup(d, f);
      summary.Add("Filter[" + IntStr(static_cast<int32_t>(k)) + "] = <" + cond + " AND ELO = " +
                  p.EloText + " AND lgGF = " + p.GfText + "> ----");
      T.First();
      for (int32_t i = 0; i < n / 2 - 1; ++i) {
        ReportRecord(E, report, R);
        T.Delete();
        ++R.Deleted;
      }
      T.Edit();
      T.FieldByName("nHFS").SetAsInteger(static_cast<int64_t>(m.Shifts.size()));
      T.FieldByName("sHFS").SetAsString(m.sHFS);
      T.FieldByName("LAMB").SetAsFloat(RoundDec(sumLamb / n, 3));
      T.FieldByName("nAir").SetAsFloat(RoundDec(sumAir / n, 5));
      T.FieldByName("frac").SetAsFloat(m.Total);
      T.FieldByName("shiftHI").SetAsInteger(0);
      T.FieldByName("shiftLO").SetAsInteger(0);
      T.Post();
      ++R.Merged;
      T.Next();
      for (int32_t i = 0; i < n - n / 2; ++i) {
        ReportRecord(E, report, R);
        T.Delete();
        ++R.Deleted;
      }
    }
    report.AddStrings(summary);
    report.Add(kSep16);
    for (const TPair& p : pairs) report.Add(p.Text);
    report.Add(kSep16);
    report.Add("");
  }
  Filter(T, "", {});
  T.SetSort("");
  T.Close();
  if (!Job.Checkpoint()) return false;  // cancelled: the transaction rolls back
  tr.Commit();
  R.ReportFile = SaveReport(Job, report);
  return true;
}

// ---------------------------------------------------------------------------------------------
// DelKurDummyLines

bool DelKurDummyLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                      const std::string& MinHM, const std::string& MinCV, TCleanupResult& R) {
  R = TCleanupResult();
  TStringList report;
  Title(report, "DelKurDummyLines" + Range(A, B) + " dMinHM%=" + MinHM + " dMinCV%=" + MinCV);
  const TLambCond range = LambFilter(A, B);
  std::string shown = range.Shown, sql = range.Sql;
  std::vector<TcvValue> params = range.Params;
  auto add = [&](const char* Field, const std::string& Min) {
    int32_t code = 0;
    const std::string t = TrimSp(Min);
    double v = t.empty() ? 0.0 : ValRealCode(t, code);
    if (t.empty() || code != 0 || !std::isfinite(v)) return;
    std::string vt = t;
    if (!(v > 0)) {
      v = 0.01;
      vt = "0.01";
    }
    shown = AndSql(shown, "(" + std::string(Field) + " < " + vt + ")");
    sql = AndSql(sql, "(" + std::string(Field) + " < ?)");
    params.push_back(RealValue(v));
  };
  add("dHM", MinHM);
  add("dCV", MinCV);
  WARNAbs(shown);
  if (sql.empty()) {
    WARNAbs("DelKurDummyLines: условие пусто (нет ни диапазона, ни минимумов) - записи не удаляются!"_cp);
    return false;
  }
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOKurLines;
  T.Close();
  T.SetSort("");
  Filter(T, sql, params);
  T.Open();
  const int32_t n = T.RecordCount();
  if (n == 0) {
    Filter(T, "", {});
    T.Close();
    WARNAbs("Линии элементов со значениями dMinHM% < "_cp + MinHM + " и dMinCV% < "_cp + MinCV +
            " не найдены!"_cp);
    return true;
  }
  if (!AskDelete(Job, "KurLines", n, shown)) {
    Filter(T, "", {});
    T.Close();
    return true;
  }
  TADOExport E(&T, '|');
  E.InitFields();
  E.MeasureWidths();
  std::string head;
  E.HeaderLine(head);
  report.Add(head);
  report.Add("Filter = <" + shown + ">");
  T.First();
  while (!T.IsEmpty()) {
    if (R.Deleted % 500 == 0 && !Job.Step(R.Deleted, n, "KurLines " + IntStr(R.Deleted)))
      return false;
    T.First();
    ReportRecord(E, report, R);
    T.Delete();
    ++R.Deleted;
  }
  report.Add(kSep16);
  report.Add("");
  Filter(T, "", {});
  T.Close();
  if (!Job.Checkpoint()) return false;  // cancelled: the transaction rolls back
  tr.Commit();
  if (report.Count() > 3) R.ReportFile = SaveReport(Job, report);
  return true;
}

// ---------------------------------------------------------------------------------------------
// DelHeavyLines

bool DelHeavyLines(TJob& Job, TDM& D, const std::string& A, const std::string& B, bool Delete,
                   TCleanupResult& R) {
  R = TCleanupResult();
  const TLambCond range = LambFilter(A, B);
  TStringList report;
  Title(report, "DelHeavyLines" + Range(A, B));
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOLines_;
  T.Close();
  T.SetSort("");
  Filter(T, "", {});
  T.Open();
  TADOExport E(&T, '|');
  E.InitFields();
  const std::vector<std::string> elems = Words(kHeavyElements);
  std::vector<std::string> found;
  int32_t total = 0;
  for (const std::string& s : elems) {
    Filter(T, AndSql("Atom = ?", range.Sql), Join({TextValue(s)}, range.Params));
    if (!Job.Step(0, 0, s + " " + IntStr(T.RecordCount()))) return false;
    if (T.IsEmpty()) continue;
    found.push_back(s);
    total += T.RecordCount();
    E.MeasureWidths();
  }
  if (found.empty()) {
    Filter(T, "", {});
    T.Close();
    std::string syms;
    for (const std::string& s : elems) syms += s + " ";
    WARNAbs("Линии элементов "_cp + syms +
            (range.Empty() ? std::string()
                           : " в диапазоне длин волн "_cp + AndLambFilter(A, B) + " ") +
            " не найдены!"_cp);
    return true;
  }
  if (Delete && !AskDelete(Job, "Lines_", total,
                           "Atom = " + [&] {
                             std::string w;
                             for (const std::string& f : found) w += (w.empty() ? "" : " ") + f;
                             return w;
                           }() +
                               (range.Empty() ? std::string() : " AND " + range.Shown))) {
    Filter(T, "", {});
    T.Close();
    return true;
  }
  std::string head;
  E.HeaderLine(head);
  report.Add(head);
  for (const std::string& s : found) {
    Filter(T, AndSql("Atom = ?", range.Sql), Join({TextValue(s)}, range.Params));
    report.Add("Filter = <Atom = '" + s + "'" +
               (range.Empty() ? std::string() : " AND " + range.Shown) + ">");
    T.First();
    while (!T.Eof() && !T.IsEmpty()) {
      ReportRecord(E, report, R);
      if (Delete) {
        T.Delete();
        ++R.Deleted;
        if (T.IsEmpty()) break;
        if (T.Eof()) break;
      } else {
        T.Next();
      }
    }
    report.Add(kSep16);
    report.Add("");
  }
  Filter(T, "", {});
  T.Close();
  if (!Job.Checkpoint()) return false;  // cancelled: the transaction rolls back
  tr.Commit();
  R.ReportFile = SaveReport(Job, report);
  return true;
}

// ---------------------------------------------------------------------------------------------
// DelDubleLines

bool DelDubleLines(TJob& Job, TDM& D, const std::string& A, const std::string& B, bool Delete,
                   TCleanupResult& R) {
  R = TCleanupResult();
  const TLambCond c = LambFilter(A, B);
  WARNAbs("1 sLamb=" + AndLambFilter(A, B));
  WARNAbs("2 sLamb=" + c.Shown);
  TStringList report;
  Title(report, (Delete ? "DelDubleLines" : "RepDubleLines") + Range(A, B));
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOLines_;
  T.Close();
  Filter(T, "", {});
  T.SetSort("LAMB ASC, ELOW ASC, LGGF ASC, LIN6 ASC");
  T.Open();
  TADOExport E(&T, '|');
  E.InitFields();
  WARNAbs("sFILTER=" + c.Shown + " RecordCount=" + IntStr(T.RecordCount()));
  if (!c.Empty()) Filter(T, c.Sql, c.Params);
  E.MeasureWidths();
  if (!c.Empty()) {
    report.Add("Filter = <" + c.Shown + ">");
    report.Add("---------------");
  }
  std::string head;
  E.HeaderLine(head);
  report.Add(head);
  // first the duplicates, so that one question covers them all
  auto key = [&T] {
    return T.FieldByName("LAMB").AsString() + "|" + T.FieldByName("ELOW").AsString() + "|" +
           T.FieldByName("LGGF").AsString();
  };
  std::vector<int64_t> dupes;
  std::string kept;
  bool any = false;
  const int32_t n = T.RecordCount();
  int32_t i = 0;
  for (T.First(); !T.Eof(); T.Next()) {
    if (++i % 500 == 0 && !Job.Step(i, n, "Lines_ " + IntStr(i))) return false;
    const std::string k = key();
    if (any && k == kept)
      dupes.push_back(T.RowId());
    else
      kept = k;
    any = true;
  }
  if (Delete && !dupes.empty() && !AskDelete(Job, "Lines_", static_cast<int32_t>(dupes.size()),
                                             "повтор LAMB, ELOW, LGGF"_cp +
                                                 (c.Empty() ? std::string() : " " + c.Shown))) {
    Delete = false;
  }
  size_t next = 0;
  T.First();
  while (!T.Eof() && next < dupes.size()) {
    if (T.RowId() != dupes[next]) {
      T.Next();
      continue;
    }
    ++next;
    ReportRecord(E, report, R);
    if (Delete) {
      T.Delete();
      ++R.Deleted;
      if (T.IsEmpty()) break;
    } else {
      T.Next();
    }
  }
  Filter(T, "", {});
  T.SetSort("");
  T.Close();
  if (!Job.Checkpoint()) return false;  // cancelled: the transaction rolls back
  tr.Commit();
  R.ReportFile = SaveReport(Job, report);
  return true;
}
