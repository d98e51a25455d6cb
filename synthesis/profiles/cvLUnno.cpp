#include "synthesis/profiles/cvLUnno.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "platform/FileErr.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "models/cvLines.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/cvSynServices.h"

namespace {
const std::string CRLF = "\r\n";

bool Matches(const TUNNO& U, const std::string& Quest) { return U.QUEST == Quest; }

// The variator of a profile's quest (the last one of the quest), nullptr when none.
TVARIATOR* QuestVari(const std::string& Quest) {
  TLVARI* L = VariCtx().LVARI;
  return L ? L->GetQuestVARI(Quest) : nullptr;
}

// Value of array A at i, 0 when the array is shorter.
double At(const TARe& A, int32_t i) {
  return i >= 0 && static_cast<size_t>(i) < A.size() ? A[static_cast<size_t>(i)] : 0.0;
}

bool DividedAtOutput(const TUNNO& U) {
  return U.KCONT == 0 && U.CONT != 0 && !SameRe(U.CONT, 1.0);
}

std::string ContText(double C) {
  if (C > 1e12) return ShortSt(8, C / 1e12) + "E+12";
  if (C > 10) return ShortSt(8, C);
  return ShortSt(6, C);
}

// The combination line: "VARI_K=k VARI_N=NK : <combination text>". Fatal when KVARI exceeds the
// variator's combinations.
std::string CombinationLine(const TUNNO& U, const std::string& Caller) {
  TVARIATOR* V = QuestVari(U.QUEST);
  if (!V) {
    WARN("UNNO.Report(" + U.QUEST + ") - нет вариатора квеста, строка комбинации пуста"_cp);
    return "VARI_K=" + IntStr(U.KVARI) + " VARI_N=0 : ";
  }
  if (V->NK < U.KVARI)
    ErrAbs("ERR " + Caller + "(" + V->QUEST + ")." + IntStr(V->IQ) +
           " № комбинации UN.KVARI="_cp + IntStr(U.KVARI) +
           " > числа комбинаций VARI.NK = "_cp + IntStr(V->NK) + CRLF +
           "Общее число параметров = "_cp + IntStr(V->Count()));
  return "VARI_K=" + IntStr(U.KVARI) + " VARI_N=" + IntStr(V->NK) + " : " + V->GetKS(U.KVARI);
}

// The CONT item (up to four lines in one item).
std::string ContItem(const TUNNO& U, const std::string& Number) {
  std::string s = "CONT=" + Number;
  if (U.KCONT == 1)
    s += " ; (профили ПОДЕЛЕНЫ на CONT!)"_cp;
  else if (DividedAtOutput(U))
    s += " ; профили ПОДЕЛЕНЫ на CONT прямо ПРИ ВЫВОДЕ!"_cp;
  if (U.KLGT == 1) s += CRLF + "LG(TAU)=" + FSt(8, 4, U.LGT);
  if (U.KMJU == 1) s += CRLF + "MJU=" + FSt(6, 4, U.MJU);
  s += CRLF + "Описатель 4-х профилей K4="_cp + IntStr(U.K4);
  return s;
}

double Lam0ForPu() { return ValRealOr0(Synthesis().Lam0ForPu()); }
}  // namespace

// ---------------------------------------------------------------- the list

TUNNO* TLUNNO::Add(std::unique_ptr<TUNNO> U) {
  items_.push_back(std::move(U));
  return items_.back().get();
}

void TLUNNO::TakeAll(TLUNNO& From) {
  if (&From == this) return;
  for (auto& u : From.items_) items_.push_back(std::move(u));
  From.items_.clear();
}

TUNNO* TLUNNO::GetByVar(const std::string& Quest, int32_t IQ, int32_t KVar) const {
  if (IQ == 0) {
    std::string msg = "Не положено вызывать TLUNNO.GetByVar с IQ=0!"_cp + CRLF + "QUEST=" +
                      Quest + "." + IntStr(IQ) + " KVar=" + IntStr(KVar) + CRLF;
    TLVARI* L = VariCtx().LVARI;
    if (!L || !L->GetQuestIQVARI(Quest, 0)) msg += "VARI Not Assigned!";
    ErrAbs(msg);
  }
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    const TUNNO& U = **it;
    if (U.KDif == 0 && Matches(U, Quest) && U.IQ == IQ && U.KVARI == KVar) return it->get();
  }
  return nullptr;
}

TUNNO* TLUNNO::GetDifByVar(const std::string& Quest, int32_t KVar) const {
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    const TUNNO& U = **it;
    if (U.KDif == 1 && Matches(U, Quest) && U.KVARI == KVar) return it->get();
  }
  return nullptr;
}

std::vector<TUNNO*> TLUNNO::ListByVar(const std::string& Quest, int32_t IQ, int32_t KVar) const {
  std::vector<TUNNO*> r;
  for (const auto& p : items_)
    if (p->KDif == 0 && Matches(*p, Quest) && p->KVARI == KVar && (IQ == 0 || p->IQ == IQ))
      r.push_back(p.get());
  return r;
}

int32_t TLUNNO::CountQuest(const std::string& Quest, int32_t IQ) const {
  int32_t n = 0;
  for (const auto& p : items_)
    if (p->KDif == 0 && Matches(*p, Quest) && p->IQ == IQ) ++n;
  return n;
}

std::unique_ptr<TStringList> TLUNNO::QuestList() const {
  if (items_.empty()) return nullptr;
  std::set<std::string> seen;
  for (const auto& p : items_) seen.insert(p->QUEST + " " + IntStr(p->IQ));
  auto L = std::make_unique<TStringList>();
  for (const std::string& s : seen) L->Add(s);
  L->Sort();
  return L;
}

void TLUNNO::DeleteAt(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  if (items_[static_cast<size_t>(Index)]) items_[static_cast<size_t>(Index)]->Clear();
  items_.erase(items_.begin() + Index);
}

void TLUNNO::DeleteQuest(const std::string& Quest) {
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (Matches(*items_[static_cast<size_t>(i)], Quest)) DeleteAt(i);
}

void TLUNNO::DeleteQuestIQ(const std::string& Quest, int32_t IQ) {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    const TUNNO& U = *items_[static_cast<size_t>(i)];
    if (Matches(U, Quest) && U.IQ == IQ) DeleteAt(i);
  }
}

std::unique_ptr<TStringList> TLUNNO::ReportVar(const std::string& Quest, int32_t IQ,
                                               int32_t KVar) const {
  auto L = std::make_unique<TStringList>();
  for (TUNNO* U : ListByVar(Quest, IQ, KVar)) L->AddStrings(std::move(*UnnoReport(*U)));
  return L;
}

// ---------------------------------------------------------------- writers

std::unique_ptr<TStringList> UnnoReport(const TUNNO& U) {
  const bool absolute = ChanOn(28);
  const double lam0 = absolute ? Lam0ForPu() : 0.0;
  auto L = std::make_unique<TStringList>();
  std::string title = "UNNO_PROF(" + U.ALG + "," + U.QUEST + ") LAMB=" + FSt(9, 4, U.LAMB) +
                      " NDL=" + IntStr(U.NDL) + " KL=" + IntStr(U.KL) + " KSym=" +
                      IntStr(U.KSym) + " ChDL=" + std::string(1, U.ChDL ? U.ChDL : ' ');
  if (U.ILAM != 0) title += " ILAM=" + IntStr(U.ILAM);
  if (U.DLVD != 0) title += " DLVD=" + FSt(6, 2, U.DLVD * 1000);
  // an absolute column written minus a reference wavelength names it, so that it reads back
  if (absolute && lam0 != 0) title += " LAM0=" + FDecSt(6, lam0);
  L->Add(title);
  L->Add(U.HeadLine());
  L->Add(CombinationLine(U, "UNNO.Report"));
  L->Add("LIN=" + U.sULin);
  L->Add(ContItem(U, ContText(U.CONT)));
  L->Add("=====>");
  std::string head = absolute ? " LAMBDA  " : " D_LAMB  ";
  const bool withK = U.UK.size() > 1 && U.UNN.size() > 1;
  if (U.KL != 1) {
    head += U.K4 == 1 ? "   RI " : "RI RQ RU RV RL";
    if (withK) head += " k nn ";
  }
  const int32_t headIdx = L->Add(head);

  const bool blurred = U.VmaCur != 0;
  const TARe& I = blurred ? U.UIC : U.UI;
  const TARe& Q = blurred ? U.UQC : U.UQ;
  const TARe& Uu = blurred ? U.UUC : U.UU;
  const TARe& V = blurred ? U.UVC : U.UV;
  const double div = DividedAtOutput(U) ? U.CONT : 1.0;
  for (int32_t i = 1; i <= U.NDL; ++i) {
    const double ul = At(U.UL, i);
    std::string row = absolute ? FSt(10, 4, ul - lam0) : FSt(10, 4, (ul - U.LAMB) * 1000);
    if (U.KL != 1) {
      row += " " + ShortSt(11, At(I, i) / div);
      if (U.K4 != 1) {
        const double q = At(Q, i) / div, u = At(Uu, i) / div, v = At(V, i) / div;
        row += " " + ShortSt(11, q) + " " + ShortSt(11, u) + " " + ShortSt(11, v) + " " +
               ShortSt(11, std::sqrt(q * q + u * u));
      }
    }
    if (withK) {
      const auto k = static_cast<size_t>(i);
      row += " " + IntStr(k < U.UK.size() ? U.UK[k] : 0) + " " +
             IntStr(k < U.UNN.size() ? U.UNN[k] : 0);
    }
    L->Add(row);
  }
  LineTabStrings(L.get(), headIdx);

  if (U.YInt.size() > 1 + 1) {
    auto T = std::make_unique<TStringList>();
    T->Add("-----");
    T->Add("  RI    WingL       WingR       Bisector    Width     ");
    for (int32_t i = 1; i < static_cast<int32_t>(U.YInt.size()); ++i)
      T->Add(ShortSt(5, At(U.YInt, i)) + " " + ShortSt(10, At(U.WingL, i)) + " " +
             ShortSt(10, At(U.WingR, i)) + " " + ShortSt(10, At(U.BiSec, i)) + " " +
             ShortSt(10, At(U.Width, i)));
    if (T->Count() > 3) LineTabStrings(T.get(), 2);
    T->Add("--------------");
    L->AddStrings(*T);
  }
  L->Add("=====" + CRLF);
  return L;
}

std::unique_ptr<TStringList> UnnoReport4Quenrad(const TUNNO& U) {
  const bool absolute = ChanOn(28);
  auto L = std::make_unique<TStringList>();
  std::string title = "UNNO_PROF(" + U.ALG + "," + U.QUEST + "." + IntStr(U.IQ) +
                      ") LAMB=" + FSt(9, 4, U.LAMB) + " NDL=" + IntStr(U.NDL) +
                      " KL=" + IntStr(U.KL) + " KSym=" + IntStr(U.KSym) +
                      " ChDL=" + std::string(1, U.ChDL ? U.ChDL : ' ');
  if (U.ILAM != 0) title += " ILAM=" + IntStr(U.ILAM);
  L->Add(title);
  L->Add(CombinationLine(U, "UNNO.Report4Quenrad"));
  std::string number;
  if (U.CONT > 1e12)
    number = FSt(8, 3, U.CONT / 1e12) + "E+12";
  else if (U.CONT > 10)
    number = EWSt(12, U.CONT);
  else
    number = FSt(5, 3, U.CONT);
  L->Add(ContItem(U, number));
  L->Add("==================================>");

  const double div = DividedAtOutput(U) ? U.CONT : 1.0;
  const double lam0 = absolute ? ValRealOr0(Synthesis().Lam0ForPu()) : 0.0;
  const bool mirror = U.KSym == 1 && U.NDL >= 2;
  // the points in row order: (index, mirrored)
  std::vector<std::pair<int32_t, bool>> pts;
  if (mirror)
    for (int32_t i = U.NDL; i >= 2; --i) pts.emplace_back(i, true);
  for (int32_t i = 1; i <= U.NDL; ++i) pts.emplace_back(i, false);

  std::string row = absolute ? "LAM:\t" : "DL :\t";
  for (auto [i, m] : pts) {
    double lam;
    if (U.ChDL == '0')
      lam = m ? U.LAMB - At(U.UL, i) / 1000 : U.LAMB + At(U.UL, i) / 1000;
    else
      lam = m ? 2 * U.LAMB - At(U.UL, i) : At(U.UL, i);
    row += "\t";
    row += absolute ? FSt(8, 3, lam - lam0) : FSt(4, 0, (lam - U.LAMB) * 1000);
  }
  L->Add(row);
  const std::string sep = absolute ? "\t    " : "\t";
  auto valueRow = [&](const std::string& Label, auto Value) {
    std::string r = Label;
    for (auto [i, m] : pts) r += sep + FSt(4, 0, 1000 * Value(i, m) / div);
    L->Add(r);
  };
  valueRow("RI :\t", [&](int32_t i, bool) { return At(U.UI, i); });
  if (U.K4 != 1) {
    valueRow("RQ :\t", [&](int32_t i, bool) { return At(U.UQ, i); });
    valueRow("RV :\t", [&](int32_t i, bool m) { return m ? -At(U.UV, i) : At(U.UV, i); });
    valueRow("I+V:\t", [&](int32_t i, bool m) {
      return m ? At(U.UI, i) - At(U.UV, i) : At(U.UI, i) + At(U.UV, i);
    });
  }
  L->Add("=====" + CRLF);
  return L;
}

std::unique_ptr<TStringList> UnnoReportShort(TUNNO& U) {
  auto L = std::make_unique<TStringList>();
  const bool mirror = U.KSym == 1 && U.NDL >= 2;
  auto points = [&](auto Each) {
    if (mirror)
      for (int32_t i = U.NDL; i >= 2; --i) Each(i, true);
    for (int32_t i = 1; i <= U.NDL; ++i) Each(i, false);
  };
  if (U.MJU == 1) {
    L->Add("");
    const std::string label = Synthesis().LineLabel.Provided()
                                  ? Synthesis().LineLabel(U.sULin, U.LAMB)
                                  : U.sULin + " " + FSt(8, 3, U.LAMB);
    std::string s = label + " NDL=" + IntStr(U.NDL) +
                    " DL:      ";
    // offsets in mA from the line (an absolute grid is taken relative to LAMB)
    points([&](int32_t i, bool m) {
      const double d = U.ChDL == '0' ? At(U.UL, i) : At(U.UL, i) - U.LAMB;
      s += " " + FSt(4, 0, (m ? -d : d) * 1000);
    });
    L->Add(s);
  }
  std::string s;
  if (U.KMJU != 1) {
    s = std::string(10, ' ');
  } else {
    if (std::fabs(U.MJU - 0.44) <= 0.001) U.MJU = 0.436;
    std::string m = FSt(6, 4, U.MJU);
    for (size_t k = m.size(); k > 0 && m[k - 1] == '0'; --k) m[k - 1] = ' ';
    s = "MJU=" + m;
  }
  const double div = DividedAtOutput(U) ? U.CONT : 1.0;
  points([&](int32_t i, bool) { s += " " + FSt(4, 0, 1000 * At(U.UI, i) / div); });
  L->Add(s);
  return L;
}

void UnnoAppendToFile(const TUNNO& U, const std::string& FileName, const std::string& Title) {
  TTextFile F;
  F.Assign(FileName);
  const int32_t rc = platform::IsRegularFile(FileName) ? F.Append() : F.Rewrite();
  if (rc != 0) ErrAbs("UNNO.AppendToFile(" + FileName + "): " + IOErrMsg);
  if (!Title.empty()) F.WriteLn(Title);
  auto L = UnnoReport(U);
  for (int i = 0; i < L->Count(); ++i) F.WriteLn((*L)[i]);
}

// ---------------------------------------------------------------- reader

void TLUNNO::LoadFromFile(const std::string& FileName, int32_t N) {
  DeleteQuest(Synthesis().Quest());
  TCIL R;
  R.Load(FileName, "UNNO_LIST load");
  R.SetErrProc([](const std::string& Text, const std::string& File, int32_t LineNo, int32_t Pos) {
    Synthesis().OpenAt(Text, File, LineNo, Pos);
  });
  if (N < 1) {
    R.Unload();
    return;
  }
  TVARIATOR* V = VariCtx().VARI;
  if (!V) {
    R.Unload();
    ErrAbs("LUNNO.LoadFromFile - нет текущего вариатора VARI!"_cp);
  }
  const std::string divNote = "ПРИ ВЫВОДЕ"_cp;
  for (int32_t k = 1; k <= N; ++k) {
    if (!R.FindKey("UNNO_PROF")) R.Err("Не найден блок профиля UNNO_PROF №"_cp + IntStr(k));
    int32_t NDL = R.KeyInt0("NDL");
    const int32_t KSym = R.KeyInt0("KSym");
    const int32_t KDL = R.KeyInt("KDL", -1);
    char ChDL = R.KeyChar("ChDL", 0);
    if (ChDL == 0 || ChDL == ' ') ChDL = KDL != 0 ? 'A' : '0';
    // what the writer put in the title
    const bool hasLamb = R.Line.find("LAMB=") != std::string::npos;
    const double titleLamb = R.KeyReal0("LAMB");
    const double titleDLVD = R.KeyReal0("DLVD") / 1000;
    const double titleLam0 = R.KeyReal0("LAM0");

    R.NextLine();
    if (R.Line.find("VARI_K") == std::string::npos) R.NextLine();
    const int32_t VARI_K = R.KeyInt0("VARI_K");
    const int32_t VARI_N = R.KeyInt0("VARI_N");
    if (VARI_N != N)
      R.Err("Число вариантов "_cp + IntStr(N) + " и число профилей "_cp + IntStr(VARI_N) +
            " должны совпадать!"_cp);
    if (VARI_K != k)
      R.Err("Нарушен порядок профилей. Сейчас должен быть №"_cp + IntStr(k) + " а нашли № "_cp +
            IntStr(VARI_K) + " !");
    if (V->NK < k)
      WARNAbs("ОТЛАДКА!!! LUNNO.LoadFromFile IVar="_cp + IntStr(k) + " > VARI.NK=" +
              IntStr(V->NK) + " !!!");
    V->KIdx = k;
    double LAM = V->GetR("#LAM", 0);
    V->GetR("#DLVD", 0);
    const double DL0 = V->GetR("#DL0", 0);
    V->GetR("#DLK", 240);
    V->GetI("#NLAM", 0);
    const double PART = V->GetR("#PART", 1);
    const double LAM_U = V->GetR("#LAM_U", 0);
    if (LAM_U != 0)
      WARNAbs("Для режима задания интервала длин волн надо что-то дописывать!"_cp);
    if (hasLamb) {
      LAM = titleLamb;
    } else if (LAM == 0) {
      LoadLinsVARI();
      LAM = Cont().LAMB;
    }
    if (DL0 != 0 && !hasLamb) {
      WARNAbs("Алгоритм привязки профиля с DL0 <> 0 к длине волны надо уточнить!"_cp);
      break;
    }

    R.NextLine();
    std::string LIN = R.KeyWord("LIN");
    if (!LIN.empty() || R.Line.rfind("LIN=", 0) == 0)
      R.NextLine();
    else
      LIN = V->GetS("#LIN");
    // the CONT line, then the labelled lines up to "=====>"
    const double CONT = R.KeyReal0("CONT");
    int32_t KCONT = 0;
    bool divided = false;
    if (R.Line.find(divNote) != std::string::npos)
      divided = true;
    else if (R.Line.find(';') != std::string::npos)
      KCONT = 1;
    double LGT = 0, MJU = 0;
    int32_t KLGT = 0, KMJU = 0, K4 = 0;
    bool seenK4 = false;
    for (int32_t guard = 0; guard < 8; ++guard) {
      R.NextLine();
      if (R.Line.find("=====>") != std::string::npos) break;
      if (R.Line.find("LG(TAU)=") != std::string::npos) {
        LGT = R.KeyReal0("LG(TAU)");
        KLGT = 1;
      } else if (R.Line.find("MJU=") != std::string::npos) {
        MJU = R.KeyReal0("MJU");
        KMJU = 1;
      } else if (R.Line.find("K4=") != std::string::npos) {
        K4 = R.KeyInt0("K4");
        seenK4 = true;
      }
      if (R.Eof()) break;
    }
    if (!seenK4) R.Err("Не найдена строка K4= в блоке №"_cp + IntStr(k));
    if (K4 == 0) K4 = 4;
    if (KMJU == 0) {
      MJU = V->GetR("#MJU", 0);
      if (MJU == 0) MJU = V->GetR("#CTETA", 1);
    }
    if (R.Line.find("=====>") == std::string::npos && !R.FindKey("=====>"))
      R.Err("Не найдена строка =====> в блоке №"_cp + IntStr(k));
    R.NextLine();
    const bool relative = R.Line.find("D_LAMB") != std::string::npos;
    const bool KLOnly = R.Line.find("RI") == std::string::npos;
    const int32_t headLine = R.CurLine;
    R.NextLine();
    if (R.Line.find("====") == std::string::npos) R.GotoLine(headLine + 2);  // back onto the header line

    auto U = std::make_unique<TUNNO>();
    U->Reset(NDL);
    for (int32_t i = 1; i <= NDL; ++i) {
      R.NextLine();
      if (R.Line.find("====") != std::string::npos || R.Line.empty()) {
        NDL = i - 1;
        U->SetNDL(NDL);
        break;
      }
      const double x = R.GetReal();
      U->UL[i] = relative ? x / 1000 + LAM : x + titleLam0;
      if (!KLOnly) {
        U->UI[i] = R.GetReal();
        if (K4 == 4) {
          U->UQ[i] = R.GetReal();
          U->UU[i] = R.GetReal();
          U->UV[i] = R.GetReal();
        }
      }
    }
    if (divided)
      for (TARe* a : {&U->UI, &U->UQ, &U->UU, &U->UV})
        for (size_t i = 1; i < a->size(); ++i) (*a)[i] *= CONT;
    if (K4 == 1)
      for (TARe* a : {&U->UQ, &U->UU, &U->UV}) TARe().swap(*a);
    U->QUEST = V->QUEST;
    U->IQ = V->IQ;
    U->KVARI = k;
    U->CONT = CONT;
    U->KCONT = KCONT;
    U->K4 = K4;
    U->ChDL = ChDL;
    U->KSym = KSym;
    U->KL = KLOnly ? 1 : 0;
    U->LGT = LGT;
    U->KLGT = KLGT;
    U->LAMB = LAM;
    if (U->LAMB != 0 && CONT > 0) U->Teff = PlanckTb(U->LAMB, CONT);
    U->DLVD = titleDLVD;
    U->ILAM = 1;
    U->sULin = LIN;
    U->PART = PART;
    U->MJU = MJU;
    U->KMJU = 1;
    if (Synthesis().Quest() != V->QUEST)
      WARNAbs("LUNNO.LoadFromFile - нарушение логики"_cp + CRLF + "текущий VARI.QUEST=<"_cp +
              V->QUEST + "> не равен текущему App.sQuest=<"_cp + Synthesis().Quest() + "> !!!" +
              CRLF + "Могут быть проблемы в последующей работе."_cp);
    Add(std::move(U));
  }
  R.Unload();
}
