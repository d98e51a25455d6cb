// Vector copies, modifier texts, fills from variator values and the depth-profile builders.
#include <cmath>

#include "foundation/cvClock.h"
#include "foundation/cvFunc.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvVeLinks.h"
#include "models/vectors/cvVemo.h"

namespace {
const std::string CRLF = "\r\n";
}  // namespace

// ---------------------------------------------------------------------------------------------
// Copies

void TVEMO::CloneInfo(const TVEMO* Src) {
  if (!NAME.empty()) Reset();
  if (!Src) {
    WARNAbs("VEMO.Clone Error - входной вектор Not Assigned!"_cp);
    return;
  }
  if (Src->NAME.empty()) {
    WARNAbs("VEMO.CloneInfo Error - входной вектор модели "_cp + Src->sMOD + " sId=<" + Src->sId +
            "> sED=<" + Src->sED + "> ПУСТ! (т.е.VEMO.NAME=\"\")"_cp);
    return;
  }
  sId = Src->sId;
  sMOD = Src->sMOD;
  NAME = Src->NAME;
  sIdV = Src->sIdV;
  FMOD = Src->FMOD;
  KTyp = Src->KTyp;
  KX = Src->KX;
  KDer = Src->KDer;
  Kh = Src->Kh;
  KLIN = Src->KLIN;
  KAT = Src->KAT;
  KION = Src->KION;
  KMJU = Src->KMJU;
  KLAM = Src->KLAM;
  LIN6 = Src->LIN6;
  AT = Src->AT;
  ION = Src->ION;
  MJU = Src->MJU;
  LAM = Src->LAM;
  PhysRec = Src->PhysRec;
  KEY1 = Src->KEY1;
  KEY2 = Src->KEY2;
  KEY3 = Src->KEY3;
  SCALE1 = Src->SCALE1 ? Src->SCALE1->Copy() : nullptr;
  SCALE2 = Src->SCALE2 ? Src->SCALE2->Copy() : nullptr;
  SCALE3 = Src->SCALE3 ? Src->SCALE3->Copy() : nullptr;
  RepSet = Src->RepSet ? Src->RepSet->Copy() : nullptr;
  KRepSe = Src->KRepSe;
  LGTAU = Src->LGTAU;
  hVEMO = Src->hVEMO;
  Parents = std::make_unique<TStrList>();
  if (Src->Parents) Parents->AddStrings(*Src->Parents);
  VParents = std::make_unique<std::vector<TVEMO*>>();
  NAlg = Src->NAlg;
}

void TVEMO::CopyFrom(TVEMO* Src) {
  CloneInfo(Src);
  if (NAME.empty()) return;
  N = Src->N;
  A = Src->A;
  KA = Src->KA;
  TCalc = Src->TCalc;
  VESrc = Src;
}

void TVEMO::CopyModif(TVEMO* Src, const std::string& Text) {
  CopyFrom(Src);
  if (NAME.empty()) return;
  if (!Text.empty()) {
    KEd = 0;
    if (Text.find(';') == std::string::npos && ParseHole(Text)) {
      sED = Text;
      KEd = 1;
    } else {
      const TVEMO* d = Src->Kh == 1 ? Src->hVEMO : Src->LGTAU;
      static const TARe kNone;
      ApplyModifList(A, d ? d->A : kNone, Text);
      sED = Text;
      KEd = 1;
    }
  }
  TCalc = UniqueTick();
}

void TVEMO::CopyValues(TVEMO* Src) {
  N = Src->N;
  A = Src->A;
  SetFilled();
  SetParents(Src);
}

void ApplyModifList(TARe& A, const TARe& X, const std::string& Text) {
  if (A.empty()) return;
  auto items = SplitByChar(Text, ';');
  for (int k = 0; k < items->Count(); ++k) {
    const std::string item = TrimCtl((*items)[k]);
    const std::string w1 = WordN(item, 1);
    if (w1.size() < 2 || w1[0] != 'Y') continue;
    const char code = w1[1];
    if (code == 'Y') {
      const std::string w2 = WordN(item, 2);
      const char letter = w2.empty() ? 0 : w2[0];
      if (AReTransformCheck(A, letter) == 0) AReTransform(A, letter);
      continue;
    }
    if (code == 'S') {
      AReAdd(A, ValRealOr0(WordN(item, 2)));
      continue;
    }
    if (code != 'C' && code != 'R' && code != 'M' && code != 'G' && code != 'D' && code != 'U')
      continue;
    if (NOf(X) < NOf(A)) {
      WARNAbs("ApplyModifList <"_cp + item + "> - не задан вектор глубин!"_cp);
      continue;
    }
    const double a = ValRealOr0(WordN(item, 2));
    const double b = ValRealOr0(WordN(item, 3));
    const double c = ValRealOr0(WordN(item, 4));
    switch (code) {
      case 'C': AReSetAt(A, X, a, b, c); break;
      case 'R': AReAddAt(A, X, a, b, c); break;
      case 'M': AReMulAt(A, X, a, b, c); break;
      case 'G':
        if (c == 0)
          AReAddAt(A, X, a, b, 0);
        else
          AReAddGauss(A, X, a, b, c);
        break;
      case 'D': AReAddRamp(A, X, a, 1, -4); break;
      case 'U': AReAddRamp(A, X, a, -4, 1); break;
      default: break;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Variator values

void TVEMO::VariFill(const std::string& Text, uint32_t Stamp) {
  if (N == 0) {
    const std::string msg = "VEMO.VariFill <" + sMOD + "> <" + NAME + "> N=0!";
    WARNAbs(msg);
    ModFatal(msg);
  }
  if (CalcCtx().VeMoKeepEdited && IsFilled() && Stamp < TCalc) return;
  A.resize(static_cast<size_t>(N) + 1);
  A[0] = 0;
  const std::string head = "VEMO VariFill <" + sMOD + "> <" + NAME + "> ПАРАМ=<"_cp + Text + ">";
  const int32_t words = WordCount(Text);
  const std::string w1 = WordN(Text, 1);
  const char kind = words <= 1 ? 'C' : (w1.empty() ? 0 : w1[0]);
  const std::string value = words <= 1 ? TrimCtl(Text) : WordN(Text, 2);
  switch (kind) {
    case 'C': {
      int32_t code = 0;
      const double v = ValRealCode(value, code);
      if (code != 0) {
        if (words <= 1)
          ModFatal("VEMO VariFill <" + sMOD + "> <" + NAME + "> " + CRLF + "Вы забыли указать что строка <"_cp +
                   Text + "> состоит из нескольких слов - "_cp + CRLF +
                   "в её конце необходимо ставить \"=#\""_cp);
        ModFatal(head);
      }
      AReSetAll(A, v);
      sMLdt = "C";
      break;
    }
    case 'F': {
      if (value != "exp(-10Tau0)")
        ModFatal(head + CRLF + "Не найдено предопределенной функции с именем <"_cp + value + ">");
      if (Kh == 0) {
        if (!LGTAU) ModFatal(head + CRLF + " вектор LGTAU не определен!"_cp);
        if (!LGTAU->IsFilled()) ModFatal(head + CRLF + " вектор LGTAU не заполнен!"_cp);
      } else {
        if (!hVEMO) ModFatal(head + CRLF + " вектор hVEMO не определен!"_cp);
        if (!hVEMO->IsFilled()) ModFatal(head + CRLF + " вектор hVEMO не заполнен!"_cp);
      }
      if (!VeLinks().P_EXP_10Tau0.Provided()) {
        VeLinks().P_EXP_10Tau0(*this);  // says it is not available; the vector stays unfilled
        return;
      }
      VeLinks().P_EXP_10Tau0(*this);
      sMLdt = "F " + value;
      break;
    }
    case 'G': {
      if (words != 3 && words != 5)
        ModFatal(head + CRLF + "Задание градиента требует двух или четырех значений"_cp);
      double x1 = 1, x2 = -4;
      int32_t code = 0;
      if (words == 5) {
        x1 = ValRealCode(WordN(Text, 4), code);
        if (code != 0) ModFatal(head + CRLF + "При задании градиента ошибка в третьем числе"_cp);
        x2 = ValRealCode(WordN(Text, 5), code);
        if (code != 0) ModFatal(head + CRLF + "При задании градиента ошибка в четвертом числе"_cp);
      }
      const double y1 = ValRealCode(WordN(Text, 2), code);
      if (code != 0) ModFatal(head + CRLF + "При задании градиента ошибка в первом числе"_cp);
      const double y2 = ValRealCode(WordN(Text, 3), code);
      if (code != 0) ModFatal(head + CRLF + "При задании градиента ошибка во втором числе"_cp);
      GMOD(words == 5, *this, y1, y2, x1, x2);
      sMLdt = Text;
      break;
    }
    default:
      ModFatal("VEMO VariFill <" + sMOD + "> <" + NAME + "> ПАРАМ.Тип данных=<"_cp + w1 +
               "> ещё не запрограммирован! Вся строка = "_cp + Text);
  }
  SetFilled();
}

// ---------------------------------------------------------------------------------------------
// Depth-profile builders

void AReSetAll(TARe& A, double V) {
  for (size_t i = 1; i < A.size(); ++i) A[i] = V;
}

void VeMoFillConst(TVEMO& V, int32_t N, double Value) {
  V.A.assign(static_cast<size_t>(std::max(N, 0)) + 1, 0.0);
  V.N = std::max(N, 0);
  AReSetAll(V.A, Value);
  V.SetFilled();
}

void VeMoAddConst(TVEMO& V, double C) {
  for (int32_t i = 1; i <= V.N && i < static_cast<int32_t>(V.A.size()); ++i)
    V.A[static_cast<size_t>(i)] += C;
  V.SetFilled();
}

namespace {
void AddPowX(TVEMO& V, double C, int Power, const char* Name) {
  if (!V.LGTAU || !V.LGTAU->IsFilled())
    ErrAbs(std::string("ERR-uPMAS-") + Name + " не задан LGTAU для Mod=<"_cp + V.sMOD +
           "> NAME=<" + V.NAME + ">");
  const TARe& X = V.LGTAU->A;
  for (int32_t i = 1; i <= V.N && i < static_cast<int32_t>(X.size()); ++i) {
    const double x = X[static_cast<size_t>(i)];
    V.A[static_cast<size_t>(i)] += Power == 1 ? C * x : C * x * x;
  }
  V.SetFilled();
}
}  // namespace

void AddKXMOD(TVEMO& V, double C) { AddPowX(V, C, 1, "AddKXMOD"); }

void AddX2MOD(TVEMO& V, double C) { AddPowX(V, C, 2, "AddX2MOD"); }

void GMOD(bool Clamp, TVEMO& V, double y1, double y2, double x1, double x2) {
  if (!V.LGTAU) return;
  if (!V.LGTAU->IsFilled())
    ErrAbs("ERR GMOD - не определен массив X для модели <"_cp + V.sMOD + "> для вектора <"_cp +
           V.NAME + ">");
  if (x1 == x2)
    ErrAbs("ERR GMOD - совпадают границы градиента x1 = x2 = "_cp + ShortSt(8, x1) +
           " для модели <"_cp + V.sMOD + "> для вектора <"_cp + V.NAME + ">");
  const TARe& X = V.LGTAU->A;
  if (V.N > NOf(X)) V.N = NOf(X);
  V.A.resize(static_cast<size_t>(V.N) + 1);
  const double slope = (y2 - y1) / (x2 - x1);
  for (int32_t i = 1; i <= V.N; ++i) {
    const double x = X[static_cast<size_t>(i)];
    double a = y1 + (x - x1) * slope;
    if (Clamp) {
      if (x > x1)
        a = y1;
      else if (x < x2)
        a = y2;
    }
    V.A[static_cast<size_t>(i)] = a;
  }
  V.SetFilled();
}
