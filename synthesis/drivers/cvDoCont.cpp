#include "synthesis/drivers/cvDoCont.h"

#include <algorithm>
#include <memory>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLLIDA.h"
#include "models/cvLines.h"
#include "models/cvOTL.h"
#include "models/cvPMod.h"
#include "models/cvRout.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "platform/FileErr.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/drivers/cvRecont.h"
#include "synthesis/me/cvMilned.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAccuracy.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

thread_local std::string ContTitle;

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ErrAbs("doCONT: нет текущего вариатора VARI!"_cp);
  return *V;
}

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

// The output grid: "#FOUT", or one depth at the outer end of the working model.
void VariLoadFOUT(TVARIATOR& V, TCONT& C) {
  if (V.NoKey("#FOUT")) {
    C.sMOD = VariModName();
    TVEMO* t = Keeper().NeedWrkVeMo("T", C.sMOD, "", 1);
    const TVEMO* x = t->LGTAU ? t->LGTAU : Keeper().FindVeMo("X", C.sMOD, "", 1);
    double outer = 0;
    if (x && x->N > 0) outer = std::min(x->A[1], x->A[static_cast<size_t>(x->N)]);
    SetRoutOnePoint(C.AXOUT, outer);
    C.SETX.XOUT1 = outer;
  } else {
    C.FOUT = V.GetI("#FOUT", 0);
    LoadRout(C.FOUT, C.AXOUT);
  }
  if (C.AXOUT.size() > 1) C.SETX.XK = C.AXOUT.back();
}

// The step's control text, closed by its "#RUN" so that the result file reads back as a step.
void ControlText(TVARIATOR& V, TStringList& Out) {
  auto t = V.CtrlTextUse();
  if (!t) return;
  bool run = false;
  for (int i = 0; i < t->Count(); ++i) {
    if (TrimSp((*t)[i]).rfind("#RUN", 0) == 0) run = true;  // read by the run: written already
    if (!run && TrimSp((*t)[i]).rfind("#EXIT", 0) == 0) {
      Out.Add("#RUN CONT #");
      run = true;
    }
    Out.Add((*t)[i]);
  }
  if (!run) Out.Add("#RUN CONT #");
}

// The block of combination K before its profiles.
void CombinationBlock(TVARIATOR& V, int32_t K, TStringList& Out) {
  const TCONT& C = Cont();
  const TCONTSETX& s = C.SETX;
  Out.Add("");
  Out.Add("");
  Out.Add("");
  Out.Add(C.LiSet.GetText() + "\r\nМодель: "_cp + V.GetSDef("#MOD", "") + "\r\nVARI(" +
          IntStr(K) + ")=" + V.GetKS(K) + "\r\nСетка вывода № "_cp + IntStr(C.FOUT) +
          " leng(AXOUT)=" + IntStr(static_cast<int32_t>(C.AXOUT.size())) + " XLast=" +
          FDecSt(3, C.AXOUT.empty() ? 0.0 : C.AXOUT.back()) + "\r\nТочность расчета="_cp +
          EWSt(10, s.ERR) + " DXMA=" + EWSt(10, s.DXMA) + " X0_LO=" + EWSt(10, s.X0_LO) +
          " X0_UP=" + EWSt(10, s.X0_UP) + " XK=" + EWSt(10, s.XK) + " EFBO=" + EWSt(10, s.EFBO) +
          " EFDX=" + EWSt(10, s.EFDX));
  Out.Add("");
}

}  // namespace

std::string CONTTitle() { return ContTitle; }

void doCONTstep(TJob& Job, TLUNNO& List, TUNNO*& Last) {
  Last = nullptr;
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  Trace(1, "=== doCONTstep STARTED ===========");
  const std::string& Q = V.QUEST;
  int32_t kStep = (Q == "d0HMCV" || Q == "W_HMCV") ? 3 : 1;
  const int32_t K = V.KIdx;
  VariLoadEps();
  SetVoigtMethod(UpCaseStrCyr(V.GetSDef("VOIGT", "HUMLICEK")));
  WriteBackVoigtName(V);
  Trace(1, "CONT ========= PMOD1 ============");
  if (!PMOD1()) return;
  if (V.KIdx != K) {
    WARNAbs("CONT: VARI.Kidx сбился во время выполнения PMOD1!"_cp);
    V.KIdx = K;
  }
  Trace(1, "CONT REPEAT  == " + IntStr(K) + " === Вариант="_cp + IntStr(V.KIdx) + " из "_cp +
               IntStr(V.NK) + " === :" + V.GetKS(K));
  VariLoadFOUT(V, C);
  Trace(1, "=============");
  Trace(1, "IVari=" + IntStr(K) + " NOUT = " +
               IntStr(C.AXOUT.empty() ? 0 : static_cast<int32_t>(C.AXOUT.size()) - 1) +
               " XOut=" + FDecSt(3, C.SETX.XK));
  Trace(1, "=============");
  C.MILN = V.GetI("#MILNED", 0) == 1;
  if (C.MILN)
    VariLoadME();
  else
    C.CTETA = V.GetR("#CTETA", 1);
  Trace(1, "CONT ======= VariLoadLIN =========");
  if (!LoadLinsVARI()) return;
  if (!VariLoadLam()) return;
  Trace(1, C.MILN ? "============= CONT.PMOD3(MILN=true) ========="
                  : "============= CONT.PMOD3(MILN=false) ========");
  C.ION = V.GetI("#ION", 0) == 1;
  if (C.ION && !doION()) return;
  if (!(C.MILN ? MILNED(C.ME) : PMOD3(kStep))) return;
  ++kStep;
  Trace(1, "CONT ========= UN.CREATE ============");
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->sULin = V.GetS("#LIN");
  U->sObs = V.GetSDef("#sObs", "");
  U->QUESTRef = V.GetSDef("#QUESTObs", "");
  U->IQRef = V.GetI("#IQuest", 0);
  U->KVARIRef = V.GetI("#KVObs", 0);
  if (U->KVARIRef != 0) {
    if (U->IQRef == 0) U->IQRef = 1;
    U->sIdRef = U->QUESTRef + "_" + IntStr(U->IQRef) + "_" + IntStr(U->KVARIRef);
  }
  // a constant velocity is the profile's shift (at the line's wavelength before CareLams)
  if (C.KindVD == '0' || C.KindVD == 'C') {
    C.VD = V.GetR("#VD", 0);
    C.DLVD0 = DopplerShiftA(C.LAMB, C.VD);
  } else {
    C.DLVD0 = 0;
  }
  CareLams(*U);
  U->ALG = "CONT";
  U->QUEST = V.QUEST;
  U->IQ = V.IQ;
  U->KVARI = K;
  const std::string h = TrimSp(V.GetSDef("#H", ""));
  U->K4 = h.empty() || (WordCount(h) == 1 && ValRealOr0(h) == 0) ? 1 : 4;
  if (C.MILN) U->K4 = C.H0 ? 1 : 4;  // the Milne-Eddington field is its own splitting
  U->AllocU();
  U->KMJU = 1;
  U->MJU = C.CTETA;
  U->PART = C.PART;
  U->KDif = 0;
  U->BGau = 0;
  U->DLVD = C.DLVD0;
  if (K == 1) {
    Trace(1, "CONT ========= ПЕРВЫЙ ЗАПУСК РАСЧЕТА - IVARI=1 ========="_cp);
    C.KVOIG = V.GetI("#KVOIG", 6);
  }
  Trace(1, "doCONTstep ======== PMOD3 (ПОВТОРНЫЙ!) ============"_cp);
  if (!(C.MILN ? MILNED(C.ME) : PMOD3(kStep))) return;
  if (C.LAMOpt == 'd' ? !STESAUTO(Job, U, nullptr, List, Last) : !STES(Job, U, List, Last)) return;
  if (!Last) return;
  Last->SetWLimits(V);
  const double vma = V.GetR("#VMA", 0);
  if (vma != 0) Last->ApplyBlur(vma, 0);
  Trace(1, "=== doCONTstep ENDED =============");
}

bool doCONT(TJob& Job, TLUNNO& List, const std::string& ResultFile, bool Append) {
  TVARIATOR& V = Vari();
  Trace(1, "doCONT === STARTED =======");
  List.DeleteQuestIQ(V.QUEST, V.IQ);
  Trace(1, "CONT ========= 1 0 ============");
  TOptionScope opt("CONT");
  ContTitle = opt.Title;
  LoadLineDump();
  TStringList blocks;
  TUNNO* last = nullptr;
  for (int32_t k = 1; k <= V.NK; ++k) {
    V.KIdx = k;
    Trace(1, (k == 1 ? "CONT.START ========= IVARI=" : "CONT.REPEAT ========= IVARI=") +
                 IntStr(k) + " ============");
    if (k > 1 && V.NK >= 6) {
      const int32_t w = static_cast<int32_t>(IntStr(V.NK).size());
      std::string ks = IntStr(k);
      while (static_cast<int32_t>(ks.size()) < w) ks = "0" + ks;
      if (!Job.Step(k - 1, V.NK, "IVARI=" + ks + "/" + IntStr(V.NK))) return false;
    }
    const int32_t before = List.Count();
    doCONTstep(Job, List, last);
    if (Job.Cancelled()) return false;
    // unread keys are removed by the project run after every combination (RunQuest): a key
    // read only under another value of a varied switch is still needed by later combinations
    // the combination's block, made while its state is at hand
    CombinationBlock(V, k, blocks);
    if (List.Count() > before) blocks.AddStrings(*List.ReportVar(V.QUEST, V.IQ, k));
  }
  SaveLineDump();
  TStringList out;
  ControlText(V, out);
  out.AddStrings(blocks);
  if (ResultFile.empty() || opt.On(27)) {
    Trace(1, "doCONT === ENDED ========");
    return true;
  }
  if (!ForceFileDir(ResultFile))
    ErrAbs("Невозможно создать директорию для файла\r\n"_cp + ResultFile);
  TStringList file;
  if (Append && platform::IsRegularFile(ResultFile)) file.LoadFromFile(ResultFile);
  file.AddStrings(out);
  file.SaveToFile(ResultFile);
  Trace(1, "doCONT === ENDED ========");
  return true;
}
