#include "synthesis/drivers/cvLams.h"

#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLLIDA.h"
#include "models/cvOTL.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {
const std::string CRLF = "\r\n";

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ErrAbs("STES: нет текущего вариатора VARI!"_cp);
  return *V;
}

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

int32_t Len(const TARe& A) { return A.empty() ? 0 : static_cast<int32_t>(A.size()) - 1; }
}  // namespace

bool VariLoadLam() {
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  C.LAMS.clear();
  const std::string opt = TrimSp(V.GetSDef("#LAM_OPT", "NORM"));
  if (WordCount(opt) >= 2) {
    WARNAbs("Во входной переменной #LAM_OPT = "_cp + opt +
            "\r\nне должно быть более одного параметра!"_cp);
    return false;
  }
  if (opt == "NORM") {
    C.LAMOpt = ' ';
  } else {
    const std::string u = UpCaseStrCyr(opt);
    if (u == "EQD")
      C.LAMOpt = 'd';
    else if (u == "W")
      C.LAMOpt = 'W';
    else if (u == "PEAK")
      C.LAMOpt = 'P';
    else {
      WARNAbs("Во входной переменной #LAM_OPT содержиться "_cp + opt +
              ",\r\nа должна содержаться одна из опций NORM/eqD/W/Peak"_cp);
      return false;
    }
  }
  if (C.LAMOpt == 'P') {
    WARNAbs("Вариант LAM_OPT для пиков профилей еще не сделан!"_cp);
    return false;
  }
  if (C.LAMOpt == 'W') {
    WARNAbs("Вариант LAM_OPT для экв.ширин еще не сделан!"_cp);
    return false;
  }
  const std::string eqd = TrimSp(V.GetSDef("#LAM_eqD", "2 20 0.000100 20000"));
  if (WordCount(eqd) != 4) {
    WARNAbs("Во входной переменной #LAM_eqD = "_cp + eqd + "\r\nдолжно быть ровно 4 параметра!"_cp);
    return false;
  }
  for (int32_t i = 1; i <= 4; ++i) {
    int32_t code = 0;
    const double v = ValRealCode(WordN(eqd, i), code);
    if (code != 0) {
      WARNAbs("Ошибка во входной переменной #LAM_eqD = "_cp + eqd + "\r\nв параметре "_cp +
              WordN(eqd, i) + " не число!"_cp);
      return false;
    }
    C.LamEqD[i - 1] = v;
  }
  C.NLAM = V.GetI("#NLAM", 0);
  C.DL0 = V.GetR("#DL0", 0);
  C.DLK = V.GetR("#DLK", 0);
  C.LAMB = V.GetR("#LAM", C.LAMB);
  C.LAM_L = V.GetR("#LAM_L", 0);
  C.LAM_U = V.GetR("#LAM_U", 0);
  std::string lin = V.GetSDef("#LIN", "");
  if (lin.find('_') != std::string::npos) {
    for (char& c : lin)
      if (c == '_') c = ' ';
    if (WordCount(lin) == 2) {
      C.LAM_L = ValReal(WordN(lin, 1));
      C.LAM_U = ValReal(WordN(lin, 2));
    }
  }
  const std::string lams = TrimSp(V.GetSDef("#LAMS", ""));
  if (!lams.empty()) {
    const int32_t n = WordCount(lams);
    C.LAMS.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) C.LAMS[static_cast<size_t>(i)] = ValReal(WordN(lams, i));
    C.NLAM = n;
  }
  return true;
}

void LamsToA(int32_t& N, TARe& List, double Lam0) {
  if (N < 1 || Len(List) < N) return;
  bool offsets = false;
  for (int32_t i = 1; i <= N; ++i)
    if (List[static_cast<size_t>(i)] < 100) offsets = true;
  if (offsets) {
    if (List[1] != 0) {
      for (int32_t i = 1; i <= N; ++i) List[static_cast<size_t>(i)] = Lam0 + List[i] / 1000;
      return;
    }
    const int32_t m = 2 * N - 1;
    TARe r(static_cast<size_t>(m) + 1, 0.0);
    for (int32_t k = 1; k <= N; ++k) {
      r[static_cast<size_t>(N + k - 1)] = Lam0 + List[static_cast<size_t>(k)] / 1000;
      r[static_cast<size_t>(N - k + 1)] = Lam0 - List[static_cast<size_t>(k)] / 1000;
    }
    List = std::move(r);
    N = m;
    return;
  }
  for (int32_t i = 1; i <= N; ++i)
    if (List[static_cast<size_t>(i)] - Lam0 > 10) {
      WARNAbs("LamsToA ERR: массив длин волн уже переведен в агнстремы\r\nоднако, похоже, он не "
              "для этой линии!\r\nLAMB="_cp +
              ShortSt(8, Lam0) + " LAMS[1]=" + ShortSt(8, List[1]) + " LAMS[" + IntStr(N) +
              "]=" + ShortSt(8, List[static_cast<size_t>(N)]));
      return;
    }
}

void CareLams(TUNNO& U) {
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  C.LAMB = V.GetR("#LAMB", 0);
  if (C.LAMB == 0) {
    TLiSet& S = C.LiSet;
    if (S.Count == 1) {
      C.LAMB = S.Items[1].LI.LAMB;
    } else {
      C.LAMB = S.Lamb;
      if (C.LAMB == 0)
        ErrAbs("CareLams ERR: для спсика LiSet не задана опорная дл.волны\r\n"_cp + S.GetText());
      if (C.LAMS.empty()) {
        WARNAbs("CareLams ERR: CONT.LAMS Not Saaigned!");
      } else {
        LamsToA(C.NLAM, C.LAMS, C.LAMB);
        if (S.LambHi - S.LambLo > 0) {
          int32_t first = 1, last = C.NLAM;
          for (int32_t i = 1; i <= C.NLAM; ++i)
            if (C.LAMS[static_cast<size_t>(i)] <= S.LambLo) first = i;
          for (int32_t i = C.NLAM; i >= 1; --i)
            if (C.LAMS[static_cast<size_t>(i)] >= S.LambHi) last = i;
          if (last - first + 1 < C.NLAM && last >= first) {
            TARe cut(1, 0.0);
            for (int32_t i = first; i <= last; ++i) cut.push_back(C.LAMS[static_cast<size_t>(i)]);
            C.LAMS = std::move(cut);
            C.NLAM = last - first + 1;
          }
        }
      }
    }
  }
  SetLamGrid(U);
}

void SetLamGrid(TUNNO& U) {
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  bool symmetric = true;
  const bool hasLams = Len(C.LAMS) > 0;
  if (hasLams) {
    const bool amp = !C.sLIN.empty() && TrimSp(C.sLIN)[0] == '&';
    U.SetUL(C.LAMS, C.LAMB, amp);
    C.NLAM = U.NDL;
    symmetric = C.LAMS[1] == 0 || C.LAMS[1] == C.LAMB;
  }
  const bool constVD = (C.KindVD == '0' || C.KindVD == 'C') && V.GetSDef("#ModifVD", "0") == "0";
  if (!(constVD && C.LiSet.Count <= 1 && C.HFSExtra == 0 && C.DL0 == 0 && C.ConstVD))
    symmetric = false;
  if (C.DLK != 0) {
    if (hasLams)
      ErrAbs("Массив длин волн задан неоднозначно - заданы вх.переменные #LAMS и #DLK "
             "одновременно\r\nТак быть не должно!"_cp);
    if (symmetric) {
      U.PureUL(C.NLAM, C.DLVD0, C.LAMB, C.DLK, C.DL0);
      U.LAMB = C.LAMB;
    } else {
      if (C.DL0 == 0) {
        C.NLAM = 2 * C.NLAM - 1;
        C.DL0 = -C.DLK;
      }
      C.LAM_L = C.LAMB + C.DL0 / 1000;
      C.LAM_U = C.LAMB + C.DLK / 1000;
      U.SetULEqd(C.NLAM, C.LAMB, C.LAM_U, C.LAM_L);
    }
  } else if (!hasLams && C.LAM_U != 0) {
    symmetric = false;
    U.SetULEqd(C.NLAM, C.LAMB, C.LAM_U, C.LAM_L);
  }
  U.KSym = symmetric ? 1 : 2;
}

bool STES(TJob& Job, std::unique_ptr<TUNNO>& U, TLUNNO& List, TUNNO*& Last) {
  TTimedSection timing("STES");
  TOptionScope opt("CONT");
  TCONT& C = Cont();
  Last = nullptr;
  const int32_t NOUT = Len(C.AXOUT);
  Trace(1, "STES STARTED >>>>  число слоев вывода="_cp + IntStr(NOUT) +
               " IO=" + HexInt8(static_cast<uint32_t>(opt.Mask)));
  if (!U || NOUT < 1) return false;
  // without the transfer kernels there is nothing to integrate: one warning, no profile
  if (!Synthesis().AdvancePoint.Provided() || !Synthesis().StartDepths.Provided()) {
    cvlink::NotAvailable(Synthesis().AdvancePoint.Provided() ? "aSEX0" : "PLAM");
    return false;
  }
  U->AllocU();
  Trace(1, "STES -> SETX");
  TARe X00;
  Synthesis().StartDepths(U->UL, X00);
  if (Len(X00) < U->NDL) X00.resize(static_cast<size_t>(U->NDL) + 1, 0.0);
  if (ChanOn(19)) {
    Sayer->ChanLog(19, ">=================================");
    Sayer->ChanLog(19, "Массив X для старта интегрирования"_cp);
    for (int32_t i = 1; i <= U->NDL; ++i)
      Sayer->ChanLog(19, "LAM[" + IntStr(i) + "]=" + FDecSt(4, U->UL[static_cast<size_t>(i)]) +
                             " X=" + FDecSt(3, X00[static_cast<size_t>(i)]));
    Sayer->ChanLog(19, "---------------------------------<");
  }
  const int64_t total = static_cast<int64_t>(NOUT) * U->NDL;
  int64_t done = 0;
  double XPrev = C.AXOUT[1];
  for (int32_t jout = 1; jout <= NOUT; ++jout) {
    const double XOut = C.AXOUT[static_cast<size_t>(jout)];
    Trace(1, "STES ==== JOUT == " + IntStr(jout) + " ====== XOut=" + FDecSt(3, XOut));
    const std::string stepText = "STES " + IntStr(jout) + "/" + IntStr(NOUT);
    // every point at once where the kernels can (the same results)
    int32_t all = 0;
    if (Synthesis().AdvanceAll.Provided()) {
      if (!Job.Step(done, total, stepText)) return false;
      const int64_t before = done;
      all = Synthesis().AdvanceAll(*U, XPrev, XOut, X00, [&](int32_t Finished) {
        return Job.Step(before + Finished, total, stepText);
      });
      if (all == 2) return false;  // the half-made profile is dropped with U's owner
      if (all == 1) done += U->NDL;
    }
    for (int32_t i = 1; all != 1 && i <= U->NDL; ++i) {
      if (!Job.Step(done++, total, stepText))
        return false;  // the half-made profile is dropped with U's owner
      const double ul = U->UL[static_cast<size_t>(i)];
      C.WK.LAM = U->ChDL == '0' ? ul + U->LAMB : ul;
      Synthesis().AdvancePoint(i, *U, XPrev, XOut, X00[static_cast<size_t>(i)]);
      U->UK[static_cast<size_t>(i)] = 1;
    }
    if (C.MCONT) U->CONT = C.MCONT->func(XOut);
    if (U->LAMB != 0 && U->CONT > 0) U->Teff = PlanckTb(U->LAMB, U->CONT);
    U->LGT = XOut;
    U->KLGT = 1;
    TUNNO* added = List.Add(std::move(U));
    Last = added;
    if (jout < NOUT) {
      U = std::make_unique<TUNNO>();
      U->CopyFrom(*added);
      U->UK.assign(added->UK.size(), 0);
      U->UNN = added->UNN;
    }
    XPrev = XOut;
  }
  Job.Step(total, total, "STES");
  Trace(1, "STES ENDED <<<<<");
  return true;
}
