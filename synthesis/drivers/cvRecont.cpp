#include "synthesis/drivers/cvRecont.h"

#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "models/cvOTL.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/drivers/cvDoCont.h"
#include "synthesis/drivers/cvLams.h"
#include "synthesis/me/cvMilned.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

TVARIATOR& Vari(const char* Who) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ErrAbs(std::string(Who) + ": нет текущего вариатора VARI!"_cp);
  return *V;
}

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

// One combination of RECONT; the profile (or none) goes into List.
void RecontStep(TJob& Job, TVARIATOR& V, TLUNNO& List, int32_t K) {
  TCONT& C = Cont();
  C.KVOIG = V.GetI("#KVOIG", 6);
  C.ION = V.GetI("#ION", 0) == 1;
  if (C.ION && !doION(Job)) return;
  // the road the last synthesis took
  if (!(C.MILN ? MILNED(C.ME) : PMOD3(3))) return;
  // the matrix's depth cache holds the vectors of the combination before
  ResetFACX();
  if (C.KindVD == '0' || C.KindVD == 'C') {
    C.VD = V.GetR("#VD", 0);
    C.DLVD0 = DopplerShiftA(C.LAMB, C.VD);
  } else {
    C.DLVD0 = 0;
  }
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  CareLams(*U);
  U->ALG = "RECONT";
  U->QUEST = V.QUEST;
  U->IQ = V.IQ;
  U->KVARI = K;
  U->K4 = C.H0 ? 1 : 4;
  U->AllocU();
  U->KMJU = 1;
  U->MJU = C.CTETA;
  U->PART = C.PART;
  U->KDif = 0;
  U->BGau = 0;
  if ((U->LAMB == 0 || U->LAMB == 5000) && C.LiSet.Count >= 1) U->LAMB = C.LiSet.Items[1].LI.LAMB;
  U->DLVD = C.DLVD0;
  U->sULin = C.sLIN;
  TUNNO* last = nullptr;
  switch (C.LAMOpt) {
    case 'd': {
      // seeded by nothing: the new profile is its own previous one
      const TUNNO* self = U.get();
      if (!STESAUTO(Job, U, self, List, last)) return;
      break;
    }
    case 'P': ErrAbs("STES для пиков"_cp);
    case 'W': ErrAbs("STES для экв. ширин"_cp);
    default:
      if (!STES(Job, U, List, last)) return;
  }
  if (!last) return;
  const double vma = V.GetR("#VMA", 0);
  if (vma != 0) last->ApplyBlur(vma, 0);
}

}  // namespace

bool RECONT(TJob& Job, TLUNNO& List) {
  TVARIATOR& V = Vari("RECONT");
  List.DeleteQuestIQ(V.QUEST, V.IQ);
  for (int32_t k = 1; k <= V.NK; ++k) {
    if (!Job.Step(k - 1, V.NK, "RECONT " + IvariText(k, V.NK))) return false;
    V.KIdx = k;
    RecontStep(Job, V, List, k);
    if (Job.Cancelled()) return false;
  }
  return true;
}

std::string KuruczEntry(double Lamb, double D0) {
  if (!(std::fabs(D0) >= 5E-5)) return std::string();
  return FDecSt(4, Lamb) + " d=" + ShortSt(4, D0);
}

bool doKurucz(TJob& Job, TLUNNO& List, TStringList& Result) {
  TVARIATOR& V = Vari("doKurucz");
  Trace(1, "=== doKurucz STARTED =================");
  List.DeleteQuestIQ(V.QUEST, V.IQ);
  TOptionScope opt("CONT");
  // the catalogue lines of "#LIN"; stages above 2 leave the request
  TStringList keep;
  keep.Add("#LIN");
  int32_t dropped = 0;
  if (auto ids = V.GetValsSL("#LIN")) {
    for (int32_t i = 0; i < ids->Count(); ++i) {
      const std::string id = TrimSp((*ids)[i]);
      const std::unique_ptr<TLIDA> line = KurLineById(id);
      if (!line) {
        WARNAbs("12 LI=NIL!");
        return false;
      }
      if (line->NIon > 2) {
        Trace(1, "doKurucz: линия "_cp + id + " (стадия ионизации "_cp + IntStr(line->NIon) +
                     ") исключена"_cp);
        ++dropped;
        continue;
      }
      keep.Add(id);
    }
  }
  if (dropped > 0) {
    if (keep.Count() < 2) {
      WARNAbs("doKurucz: в #LIN не осталось линий для расчета!"_cp);
      return false;
    }
    V.AddPSL(&keep);
  }
  Result.Clear();
  const int32_t nk = V.NK < 1 ? 1 : V.NK;
  TUNNO* last = nullptr;
  for (int32_t k = 1; k <= nk; ++k) {
    if (!Job.Step(k - 1, nk, "KURUCZ " + IvariText(k, nk))) return false;
    V.KIdx = k;
    doCONTstep(Job, List, last);
    if (Job.Cancelled()) return false;
    if (!last) continue;
    const std::string entry = KuruczEntry(last->LAMB, last->GetD0());
    if (!entry.empty()) Result.Add(entry);
  }
  Trace(1, "=== doKurucz ENDED =================");
  return true;
}

bool doHEIGHTS(TJob& Job, TLUNNO& List, const std::string& ResultFile, bool Append) {
  TVARIATOR& V = Vari("doHEIGHTS");
  if (V.NVals("#MOD") > 1) {
    WARNAbs("В алгоритме #HEIGHTS (высоты) нельзя задавать более одного параметра #MOD - "
            "модель ф/с!"_cp);
    return false;
  }
  return doCONT(Job, List, ResultFile, Append);
}

void LoadLineDump() {
  CreateLineLists();
  TLLIDA* L = LineData().Lines();
  if (!L) return;
  const int32_t before = L->Count();
  L->Load();
  TDM* D = LineData().Data();
  if (!D || !D->Connected()) return;
  // the lines the dump gave (not loaded before in this session) against the database: a run
  // computes with the dump's copy, so a line changed in the database since is named
  std::string changed;
  int32_t n = 0;
  for (int32_t i = before; i < L->Count(); ++i) {
    const TLIDA& cached = *(*L)[i];
    if (cached.LIN6.empty()) continue;
    TLIDA now;
    const bool found = LinesRecordNow(cached.LIN6, now);
    if (found && now.sDump() == cached.sDump()) continue;
    ++n;
    changed += (changed.empty() ? "" : ", ") + cached.LIN6 + (found ? "" : " (нет в базе)"_cp);
  }
  if (n > 0)
    WARNAbs("Линии "_cp + changed + " взяты из файла линий квеста <"_cp + L->GetFileName() +
            ">, в базе линий они с тех пор изменились; расчет идет по файлу"_cp);
}

void SaveLineDump() {
  if (TLLIDA* L = LineData().Lines()) L->Save();
}

void WriteBackVoigtName(TVARIATOR& V) {
  if (V.NoKey("VOIGT")) return;
  V.UpDate("VOIGT", VoigtMethodName(), V.Stamp);
}
