// Text reports of one profile: the structured description and the dump of its fields.
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

std::string KLText(int32_t K) {
  switch (K) {
    case 0: return "UL+U*";
    case 1: return "только UL"_cp;
    case 2: return "U*+ссылка_на_UL"_cp;
    default: return "";
  }
}

std::string KSymText(int32_t K) {
  switch (K) {
    case 0: return "неопределена"_cp;
    case 1: return "симметричный"_cp;
    case 2: return "полный"_cp;
    default: return "";
  }
}

std::string Yes(int32_t K) { return K == 1 ? "Да"_cp : "Нет"_cp; }
std::string S6(double X) { return ShortSt(6, X); }
std::string Len(const TARe& A) { return A.empty() ? std::string("NIL") : IntStr(static_cast<int32_t>(A.size())); }
std::string SplLen(const std::unique_ptr<TSPLINE>& S) {
  return S ? IntStr(S->N) : std::string("NIL");
}

}  // namespace

std::unique_ptr<TStringList> TUNNO::ReportVector() const {
  auto L = std::make_unique<TStringList>();
  auto add = [&](const std::string& S) { L->Add(S); };
  add("=========   Отчет о векторе UNNO   ========="_cp);
  add("");
  add("---------   Привязка к вариатору   ---------"_cp);
  add("QUEST = " + QUEST + " IQ = " + IntStr(IQ) + " KVARI = " + IntStr(KVARI));
  add("ALG = " + ALG);
  add("");
  add("---------   Описание длин волн     ---------"_cp);
  add("NDL = " + IntStr(NDL) + " тип профиля KL="_cp + IntStr(KL) + "(" + KLText(KL) + ")" +
      " симметричность профиля KSym="_cp + IntStr(KSym) + "(" + KSymText(KSym) + ")");
  add("тип массива длин волн ChDL="_cp + std::string(1, ChDL ? ChDL : ' ') + "(" +
      (ChDL == '0' ? "относительный"_cp : ChDL == 'A' ? "абсолютный"_cp : std::string()) + ")");
  add("Опорная длина волны LAMB="_cp + ShortSt(12, LAMB));
  std::string il = "Индекс DL опорной дл.волны ILAM="_cp + IntStr(ILAM);
  if (ILAM > 0 && ILAM < static_cast<int32_t>(UL.size()))
    il += " значение UL["_cp + IntStr(ILAM) + "]=" + ShortSt(11, UL[ILAM]);
  add(il);
  add("Учет сдвига текущей луч.скорости DLVD0="_cp + ShortSt(7, DLVD));
  add("");
  add("-------------- Спектральная линия ----------"_cp);
  add("код (Id) линии sULin=<"_cp + sULin + ">");
  add("");
  add("-------- Физические параметры и опции ------"_cp);
  add("cos(Theta) KMJU =" + IntStr(KMJU) + " MJU =" + ShortSt(6, MJU));
  add("log(Tau)   KLGT =" + IntStr(KLGT) + " LGT =" + ShortSt(6, LGT));
  add("ур.контин. KCONT="_cp + IntStr(KCONT) + " CONT=" + ShortSt(9, CONT));
  add("эфф.темп.  Teff ="_cp + ShortSt(9, Teff));
  add("скважность PART ="_cp + ShortSt(6, PART));
  add("");
  add("----------------- Флаги --------------------"_cp);
  add("Учет заполнения IQUV K4="_cp + IntStr(K4) + " (" +
      (K4 == 0 || K4 == 4 ? "все 4 вектора"_cp : K4 == 1 ? "только вектор инт-ти I"_cp : std::string()) +
      ")");
  add("в UI,UQ,UU,UV хранятся разности профилей KDIF="_cp + IntStr(KDif) + "(" + Yes(KDif) + ")");
  add("профиль - основа для сравнений др.профилей KRef="_cp + IntStr(KRef) + "(" + Yes(KRef) + ")");
  add("для Observed профилей шум подавлен? KSNR="_cp + IntStr(KSNR) + "(" + Yes(KSNR) + ")");
  add("заполнение dI/dL KDer="_cp + IntStr(KDer));
  add("");
  add("--- учет макротурбулентного замывания ----"_cp);
  add("Vma=" + S6(Vma) + " + DLA=" + S6(DLA) + " => DLG=" + S6(DLG));
  add("--  то же для CloneBlur                 --"_cp);
  add("Vma0=" + S6(Vma0) + " + BGau=" + S6(BGau));
  add("VmaCur=" + S6(VmaCur));
  add("");
  add("--- привязка к профилю сравнения (Observ)-"_cp);
  add("sObs=<" + sObs + "> QUESTRef=" + QUESTRef + " IQ=" + IntStr(IQRef) + " KVARI=" +
      IntStr(KVARIRef) + " sIdRef=" + sIdRef);
  add("--- привязка производного профиля к Src --"_cp);
  add("KVARISrc=" + IntStr(KVARISrc));
  add("");
  add("--- связанный объект сравнения -----------"_cp);
  add("сдвиг центра тяжести KShift="_cp + IntStr(KShift) + " км/с LamSh="_cp + S6(LamSh) +
      " A LamShA=" + S6(LamShA));
  add("best V Vma9=" + S6(Vma9) + " I-IRef dIRef=" + S6(dIRef) + " (I-Iref)^2 dIR2=" + S6(dIR2));
  return L;
}

std::unique_ptr<TStringList> TUNNO::FieldDump() {
  auto L = std::make_unique<TStringList>();
  L->Add("QUEST=" + QUEST + " IQ=" + IntStr(IQ) + " sULin=" + sULin + " KVARI=" +
         IntStr(KVARI) + " ALG=" + ALG);
  TLVARI* LV = VariCtx().LVARI;
  TVARIATOR* V = LV ? LV->GetIQuestVARI(QUEST, IQ) : nullptr;
  if (V) {
    L->Add("VARI_K=" + IntStr(KVARI) + " VARI_N=" + IntStr(V->NK) + " <" +
           (KVARI >= 1 && KVARI <= V->NK ? V->GetKS(KVARI) : std::string()) + ">");
    // the values of the profile's combination, read without moving the variator
    const int32_t keep = V->KIdx;
    if (KVARI >= 1 && KVARI <= V->NK) V->KIdx = KVARI;
    std::string s = "ABUND=<" + V->GetS0("#ABUND") + "> " + "LGGF=<" + V->GetS0("#LGGF") + "> ";
    const std::string src = V->GetS0("#LGGFSrc");
    if (!src.empty()) s += "LGGFSrc=<" + src + ">";
    V->KIdx = keep;
    L->Add(s);
  } else {
    L->Add("VARI_K=" + IntStr(KVARI) + " VARI_N=? <нет вариатора квеста "_cp + QuestIQStr() + ">");
  }
  L->Add("LAMB=" + FSt(9, 4, LAMB) + " KSym=" + IntStr(KSym) + " NDL=" + IntStr(NDL) +
         " ILAM=" + IntStr(ILAM) + " DLVD=" + FSt(6, 2, DLVD * 1000) +
         " KL(0/1/2)=(LU/L/U)=" + IntStr(KL) + " ChDL(0/A)=(Rel/Abs)=" +
         std::string(1, ChDL ? ChDL : ' ') + " K4=" + IntStr(K4) + " KDif=" + IntStr(KDif));
  L->Add("LGT(" + IntStr(KLGT) + ")=" + FSt(6, 3, LGT) + " CONT(" + IntStr(KCONT) + ")=" +
         EWSt(12, CONT) + " MJU(" + IntStr(KMJU) + ")  =" + FSt(5, 3, MJU) + " PART=" +
         EWSt(12, PART));
  L->Add("UL[" + Len(UL) + "] UI[" + Len(UI) + "] UQ[" + Len(UQ) + "] UU[" + Len(UU) + "] UV[" +
         Len(UV) + "]");
  L->Add("SPLINE=" + IntStr(SPLINE) + " I(" + SplLen(SplI) + ") Q(" + SplLen(SplQ) + ") U(" +
         SplLen(SplU) + ") V(" + SplLen(SplV) + ")");
  if (URef)
    L->Add("URef = (QUEST=" + URef->QUEST + ")/(KVARI=" + IntStr(URef->KVARI) + ")/(LAMB=" +
           FSt(9, 4, URef->LAMB) + ")");
  else
    L->Add("URef = NIL");
  LamSh = LamShA != 0 ? -ShiftToVel(LamShA * 1000, LAMB) : 0;
  L->Add("W=" + FSt(6, 3, W) + " D0=" + FSt(5, 2, D0) + " LamC=" + FSt(9, 3, LamC) + " " +
         " LamShift=" + FSt(7, 2, LamShA * 1000) + "мА = "_cp + FSt(7, 3, LamSh) + "км/с"_cp +
         " DLVD=" + FSt(6, 2, DLVD * 1000) + "мА "_cp + " Vma=" + FSt(7, 3, Vma9) + "км/с"_cp +
         " (I-Iref)mean=" + FSt(7, 3, dIRef * 100) + "% (I-I)^2=" + EWSt(14, dIR2));
  L->Add("RStep=" + FSt(5, 3, RStep) + " YInt[" + Len(YInt) + "] BiSec[" + Len(BiSec) +
         "] WingL[" + Len(WingL) + "] WingR[" + Len(WingR) + "] Width[" + Len(Width) + "]");
  L->Add("--------------------------");
  return L;
}
