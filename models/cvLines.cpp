#include "models/cvLines.h"

#include <vector>

#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "linedata/cvTable.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"

namespace {
const std::string CRLF = "\r\n";

TVARIATOR* Vari() { return VariCtx().VARI; }

std::string GetSDefOr(TVARIATOR* V, const std::string& Key, const std::string& Default) {
  return V ? V->GetSDef(Key, Default) : Default;
}

std::vector<std::string> WordsOf(const std::string& S) {
  std::vector<std::string> w;
  const int32_t n = WordCount(S);
  for (int32_t i = 1; i <= n; ++i) w.push_back(WordN(S, i));
  return w;
}

void Trace1(const std::string& Text) {
  if (ChanOn(1)) Sayer->ChanLog(1, Text);
}

// The line's element from MEND, then the variator's corrections.
void BindItem(TLINEDATA& Item) {
  TMEND* m = Elements();
  Item.Atom = m && Item.LI.AT >= 1 ? m->GetAtom(Item.LI.AT) : nullptr;
  LineGetFromVARI(Item.LI);
}
}  // namespace

bool LoadLinsVARI() { return LoadLins(GetSDefOr(Vari(), "#LIN", ""), ""); }

void LoadLinsVARIOrStop() {
  TVARIATOR* V = Vari();
  const std::string request = GetSDefOr(V, "#LIN", "");
  std::string why;
  if (LoadLins(request, "", &why)) return;
  // where "#LIN" was written: the control file and its line
  std::string where;
  if (V) {
    const TVariRec* r = V->FindRec("#LIN");
    if (!r) r = V->FindRec("LIN");
    if (r && !r->SrcFile.empty())
      where = r->SrcFile + (r->SrcLine > 0 ? ", строка "_cp + IntStr(r->SrcLine) : std::string());
    else
      where = "квест "_cp + V->QUEST + "." + IntStr(V->IQ);
    where += ", вариант "_cp + IntStr(V->KIdx) + ": ";
  }
  ErrAbs(where + "#LIN <" + TrimSp(request) + ">: " + why + " - расчет остановлен"_cp);
}

bool LoadLins(const std::string& Request, const std::string& Extra, std::string* Why) {
  TCONT& C = Cont();
  C.sLIN = Request;
  C.sLINFull = Request + Extra;
  const std::string req = TrimSp(Request);
  const std::vector<std::string> ids = WordsOf(req);
  const int32_t N = static_cast<int32_t>(ids.size());
  // a refusal: to the caller when it asks, else a warning
  auto refuse = [&](const std::string& Warning, const std::string& Reason) {
    if (Why)
      *Why = Reason;
    else
      WARNAbs(Warning);
    return false;
  };
  if (req.empty()) {
    return refuse("DOPMOD3.LoadLins CONT.sLIN не заполнен - линия/дл.волны на задана!"_cp,
                  "линия не задана"_cp);
  }
  const bool amp = req[0] == '&';
  const bool wordForm =
      !amp && req.find('+') == std::string::npos && req.find(':') == std::string::npos;
  TLiSet& S = C.LiSet;
  if (wordForm) {
    // the set holds at most MaxRunLines lines: refuse a longer request before loading any
    if (N > MaxRunLines) {
      return refuse("Перевышено макс.число линий в одном расчете N="_cp + IntStr(N) + " > " +
                        IntStr(MaxRunLines),
                    IntStr(N) + " Id линий, больше "_cp + IntStr(MaxRunLines) + " (Id " +
                        IntStr(MaxRunLines + 1) + ": " + ids[static_cast<size_t>(MaxRunLines)] +
                        ")");
    }
    for (int32_t i = 1; i <= N; ++i) {
      TLINEDATA& item = S.Items[static_cast<size_t>(i)];
      item.Clear();
      Trace1("PMOD3 DBGetLIDA[" + IntStr(i) + "](" + ids[i - 1] + ")");
      item.LI.LI_Load(ids[i - 1]);
      const bool none = item.LI.LIN6.empty() && item.LI.sIdK.empty() && item.LI.sIdL.empty();
      if (none) {
        S.Count = 0;
        return refuse("LoadLins(" + Request + ")" + CRLF + "iILIN=" + IntStr(i) + " LiSet.N=" +
                          IntStr(N) + " LiSet.A[iILIN].LINE = NIL!",
                      "линии с Id "_cp + ids[i - 1] + " нет в базе линий"_cp);
      }
      if (item.LI.AT == 0) {
        S.Count = 0;
        return refuse("LoadLins(" + Request + ") " + CRLF +
                          "данные о линии в процедуре LoadLins("_cp + ids[i - 1] + ")" + CRLF +
                          "НЕ ЗАПОЛНЕНЫ!"_cp,
                      "данные линии с Id "_cp + ids[i - 1] + " не заполнены"_cp);
      }
      BindItem(item);
      const std::string hfs = GetS0(Vari(), "#HFS");
      if (!hfs.empty()) {
        if (N < 2)
          item.LI.SetHFS(hfs);
        else
          WARNAbs("Err VariLoadLIN - вручную загруженные данные об #HFS не могут быть "
                  "применены, когда в расчете задана не одна линия, а "_cp +
                  IntStr(N));
      }
      Trace1("PMOD3 DBGetLIDA[" + IntStr(i) + "](" + ids[i - 1] + ") - Done!");
      if (N == 1 || i == 1) C.LAMB = item.LI.LAMB;
      if (N == 1) Sayer->ChanLog(-1, "VARILoadLin CONT.LAMB=" + FSt(8, 3, C.LAMB));
    }
    S.Count = N;
  } else {
    double lam = C.LAMB;
    if (!S.Load(req, lam)) {
      if (Why) *Why = "описание набора линий не разобрано"_cp;
      return false;
    }
    C.LAMB = lam;
    if (S.Count == 0) {
      return refuse("DOPMOD3.LoadLins ERR: Ни одна линия по запросу <<"_cp + Request +
                        ">> не найдена!"_cp,
                    "ни одна линия не найдена"_cp);
    }
    WARNAbs(S.GetText());
    for (int32_t i = 1; i <= S.Count; ++i) BindItem(S.Items[static_cast<size_t>(i)]);
  }
  const int32_t n = S.Count;
  if (!amp && n > 1) {
    if (n > MaxRunLines)
      WARNAbs("Перевышено макс.число линий в одном расчете N="_cp + IntStr(n) + " > " +
              IntStr(MaxRunLines));
    int32_t iMax = 0;
    double best = 0;
    for (int32_t i = 1; i <= n; ++i) {
      const TLIDA& L = S.Items[static_cast<size_t>(i)].LI;
      const double sum = L.DHM + L.DCV;
      if (sum > 0 && sum > best) {
        best = sum;
        iMax = i;
      }
    }
    if (iMax == 0)
      WARNAbs("IMax=0 LiSet.N=" + IntStr(n));
    else
      C.LAMB = S.Items[static_cast<size_t>(iMax)].LI.LAMB;
  }
  C.LAMB = GetR(Vari(), "#LAM", C.LAMB);
  int32_t extra = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const TLIDA& L = S.Items[static_cast<size_t>(i)].LI;
    if (L.HFS && L.HFS->N > 1) extra += L.HFS->N - 1;
  }
  C.HFSExtra = extra;
  return true;
}

void LineGetFromVARI(TLIDA& Line) {
  const std::string name = Line.GetName();
  double dLGGF = GetR(Vari(), "#dLGGF", 0);
  double dLAMB = GetR(Vari(), "#dLAMB", 0);
  double EWAN = GetR(Vari(), "#EWAN", 1);
  const std::string lins = GetSDefOr(Vari(), "#LINn", "");
  if (!lins.empty()) {
    const std::vector<std::string> ids = WordsOf(lins);
    const std::vector<std::string> g = WordsOf(GetSDefOr(Vari(), "#dLGGFn", ""));
    const std::vector<std::string> l = WordsOf(GetSDefOr(Vari(), "#dLAMBn", ""));
    const std::vector<std::string> e = WordsOf(GetSDefOr(Vari(), "#EWANn", ""));
    for (size_t p = 0; p < ids.size(); ++p)
      if (ids[p] == name) {
        if (p < g.size()) dLGGF = ValReal(g[p]);
        if (p < l.size()) dLAMB = ValReal(l[p]);
        if (p < e.size()) EWAN = ValReal(e[p]);
        break;
      }
  }
  Line.dLGGF = dLGGF;
  Line.dLAMB = dLAMB;
  Line.EWAN = EWAN;
}

void LoadAbund() {
  TMEND* mend = Elements();
  if (!mend) return;
  mend->RestoreAbund();
  const std::string a = TrimSp(GetS0(Vari(), "#ABUND"));
  if (a.empty()) return;
  if (WordN(a, 1) != "T") {
    mend->ResetAbund(a);
    return;
  }
  const std::string file = Models().DirOf("GEDA", "GEDA") + "ab" + WordN(a, 2) + ".dat";
  TCIL R;
  R.Load(file, "#ABUND");
  std::string pairs;
  bool inTable = false;
  for (int32_t i = 0; i < R.Count(); ++i) {
    const std::string line = R[i];
    if (!inTable) {
      if (line.find("------") != std::string::npos) {
        inTable = true;
        ++i;  // the line after the rule
      }
      continue;
    }
    if (line.find("---") != std::string::npos) break;
    const std::string where = "DOPMOD3 - LoadAbund(" + file + ") в строке "_cp + IntStr(i) +
                              "/" + IntStr(R.Count());
    const std::string tail = "\n\rСтрока=<"_cp + line + ">";
    if (TrimSp(line).empty()) continue;
    if (WordCount(line) < 2) {
      WARNAbs(where + " должно быть не менее 2-х слов"_cp + tail);
      continue;
    }
    const std::string sym = WordN(line, 1), val = WordN(line, 2);
    if (AtNumBySym(sym) == 0) {
      WARNAbs(where + " первое слово <"_cp + sym + "> не атом!"_cp + tail);
      continue;
    }
    int32_t code = 0;
    ValRealCode(val, code);
    if (code != 0) {
      WARNAbs(where + " второе слово <"_cp + val + "> не число!"_cp + tail);
      continue;
    }
    pairs += (pairs.empty() ? "" : " ") + sym + " " + val;
  }
  R.Unload();
  if (!pairs.empty()) mend->ResetAbund(pairs);
}

std::vector<std::string> LGGFSources(const std::string& Text) {
  const std::string t = TrimSp(Text);
  if (t.empty() || t == "0") return {};
  std::vector<std::string> w = WordsOf(t);
  if (w.size() == 1) return w;
  const std::string& last = w.back();
  if (last.size() != 1 || (last != "+" && last != "1" && last != "<"))
    ModFatal("В списке параметра LGGFSrc последнее слово должно быть \r\nсимволом - директивой "
             "выбора   +/1/<\r\nт.е.  сумма (среднее)/первое из списка/меньшее по приоритету"_cp);
  w.pop_back();
  return w;
}

std::string LGGFSrcToSQL(const std::string& Text) {
  const std::vector<std::string> s = LGGFSources(Text);
  auto quoted = [](const std::string& v) {
    std::string q;
    for (char c : v) q += c == '\'' ? std::string("''") : std::string(1, c);
    return "Src='" + q + "'";
  };
  if (s.empty()) return {};
  if (WordCount(TrimSp(Text)) == 1) return quoted(s[0]);
  std::string r = "(";
  for (size_t i = 0; i < s.size(); ++i) r += (i ? " OR " : "") + quoted(s[i]);
  return r + ")";
}

std::string LinesByFilter(const std::string& Filter, const std::string& Sort,
                          const std::string& Sources) {
  if (TrimSp(Filter).empty())
    ModFatal("Для списка линий #LINLIST = 1 обязательно нужно задавать\r\nфильтр "
             "#LINLIST_FILTER=... !"_cp);
  TDM* D = LineData().Data();
  if (!D || !D->Connected()) {
    WARNAbs("LinesByFilter: база линий не подключена"_cp);
    return {};
  }
  const std::vector<std::string> srcs = LGGFSources(Sources);
  TcvTable& T = D->ADOLines_;
  T.Close();
  T.SetFilter(Filter);
  WARN("Lines фильтр="_cp + Filter);
  T.SetFiltered(true);
  if (!TrimSp(Sort).empty()) T.SetSort(Sort);
  T.Open();
  // the lg gf condition with the Id and every source bound
  std::string cond = "LIN6 = ?";
  if (!srcs.empty()) {
    cond += " AND (";
    for (size_t i = 0; i < srcs.size(); ++i) cond += (i ? " OR " : "") + std::string("Src = ?");
    cond += ")";
  }
  std::string ids;
  for (T.First(); !T.Eof(); T.Next()) {
    const std::string id = TrimSp(T.FieldByName("LIN6").AsString());
    if (id.empty()) continue;
    if (!Sources.empty() && !srcs.empty()) {
      const std::string own = T.FieldByName("LGGFSrc").AsString();
      if (!own.empty() && Sources.find(own) != std::string::npos) continue;
      std::vector<TcvValue> params{TextValue(id)};
      for (const std::string& s : srcs) params.push_back(TextValue(s));
      TcvTable q(&D->ADOConnection, "LGGF");
      q.SetFilter(cond, params);
      q.SetFiltered(true);
      WARN("LGGF фильтр="_cp + cond);
      q.Open();
      const bool found = !q.IsEmpty();
      q.Close();
      if (!found) continue;
    }
    ids += (ids.empty() ? "" : " ") + id;
  }
  T.Close();
  T.SetFiltered(false);
  T.SetSort("");
  return ids;
}

std::string LinListIdsOf(TVARIATOR& Rd) {
  const std::string filter = Rd.GetS("#LINLIST_FILTER");
  if (WordCount(filter) == 1)
    ModFatal("Параметр #LINLIST_FILTER не может состоять из одного слова\r\nвозможно пропущен "
             "знак \"=\" перед закрывающим #, если \r\n#LINLIST_FILTER занимает одну строку!"_cp);
  const std::string sort = Rd.GetS0("#LINLIST_SORT");
  const std::string src = Rd.GetS0("#LGGFSrc");
  const std::string cond = LGGFSrcToSQL(src);
  const std::string ids = LinesByFilter(filter, sort, src);
  WARN("LinList=" + ids);
  if (ids.empty())
    WARNAbs("Не найдено линий, удовлетворяющих фильтрам \r\nFILTER_Lines = "_cp + filter +
            "\r\nFILTER_LGGF  = " + cond);
  return ids;
}

std::string LinListFromFilter() {
  TVARIATOR* rd = VariCtx().rdVARI;
  if (!rd) return {};
  const std::string ids = LinListIdsOf(*rd);
  return ids.empty() ? std::string() : "#LIN " + ids;
}
