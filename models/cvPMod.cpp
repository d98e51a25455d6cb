#include "models/cvPMod.h"

#include <cmath>
#include <memory>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/physics/cvKappa.h"
#include "models/physics/cvPhysDepth.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"

namespace {
const std::string CRLF = "\r\n";

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ModFatal("PMOD: нет текущего вариатора VARI!"_cp);
  return *V;
}

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

std::string TrimmedSymbol(int32_t Z) { return TrimSp(AtSymByNum(Z)); }
}  // namespace

std::string ModelDescr() {
  TVARIATOR& V = Vari();
  return V.GetI("#ION", 0) == 1 ? V.GetS("#PREMOD") : V.GetS("#MOD");
}
std::string ModTypeWord() { return WordN(ModelDescr(), 1); }
char ModTypeChar() {
  const std::string w = ModTypeWord();
  return w.empty() ? ' ' : w[0];
}
std::string SrcModName() { return WordN(ModelDescr(), 2); }
std::string VariModName() { return WordN(Vari().GetS("#MOD"), 2); }

// ---------------------------------------------------------------- PMOD1

bool PMOD1() {
  TOptionScope opt("PMOD1");
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  TLVEMO& K = Keeper();
  const int32_t ion = V.GetI("#ION", 0);
  C.ION = ion == 1;
  const std::string root = V.GetS("#MOD_ROOT");
  const std::string folder = V.GetS("#MOD_DIR");
  const std::string descr = ModelDescr();
  const std::string type = WordN(descr, 1);
  const char ch = type.empty() ? ' ' : type[0];
  const std::string src = WordN(descr, 2);
  const std::string work = VariModName();
  Trace(1, "Pmod1 === QIon=" + IntStr(ion) + " ModTyp=" + std::string(1, ch) + " ===> Started");
  Trace(22, "Pmod1 IO 22 is ON!");
  if (type.size() == 1 && ch != 'Q' && ch != 'T') {
    WARNAbs("PMOD1.Err Разрешенные типы модели T и Q, а не <"_cp + std::string(1, ch) +
            "> из <"_cp + descr + ">");
    return false;
  }
  if (ch != 'T' && !C.ION) {
    WARNAbs("PMOD1.Err Разрешенный тип модели T , а не <"_cp + std::string(1, ch) + "> из <"_cp +
            descr + ">");
    return false;
  }
  // a premodel's type and number are checked before anything is loaded or changed
  double premodNum = 0;
  if (C.ION && type != "T") {
    if (type != "Q" && type != "AX2" && type != "KX")
      ModFatal("Тип модели <"_cp + type + "> не предусмотрен. Всё описание модели - <"_cp +
               V.GetS("#PREMOD") + ">");
    const std::string w3 = WordN(V.GetS("#PREMOD"), 3);
    int32_t code = 0;
    premodNum = ValRealCode(w3, code);
    if (code != 0 || w3.empty())
      ModFatal("ION " + type + (type == "KX" ? " оБшиБоЧка!"_cp : " оБшиБка!"_cp));
  }
  K.LoadModel(root, folder, "", src);
  Trace(1, "Pmod1 === LoadModel " + root + "\\" + folder + "\\" + src + " loaded!");
  K.InitVEMO(src, "X", "", 1);
  if (C.ION) {
    for (const char* q : {"TETA0", "PG0", "PE0", "VMI"}) K.InitVEMO(src, q, "", 1)->SrcFill();
    Trace(1, "Pmod1 === ION Src Filled ====");
    std::string target = src;
    if (work != src) {
      K.InitVEMO(work, "X", "", 1);
      for (const char* q : {"TETA0", "PG0", "PE0", "VMI"})
        K.InitVEMO(work, q, "", 1)->CopyValues(K.InitVEMO(src, q, "", 1));
      target = work;
    }
    if (type == "T") return true;
    if (type == "Q" || type == "AX2" || type == "KX") {
      const double num = premodNum;
      TVEMO* teta = K.InitVEMO(target, "TETA0", "", 1);
      if (type == "Q") {
        VeMoAddConst(*teta, num);
        // the top point
        if (ChanOn(1) && teta->N >= 1)
          Sayer->ChanLog(1, "AddMod Mod=<" + src + ">  " + IntStr(teta->N) + " = " +
                                FSt(5, 3, teta->A[static_cast<size_t>(teta->N)]));
      } else if (type == "AX2") {
        AddX2MOD(*teta, num);
      } else {
        AddKXMOD(*teta, num);
      }
      return true;
    }
    ModFatal("Тип модели <"_cp + type + "> не предусмотрен. Всё описание модели - <"_cp +
             V.GetS("#PREMOD") + ">");
  }
  for (const char* q : {"X", "T", "LGPG", "LGPE", "VMI"}) {
    TVEMO* v = K.InitVEMO(src, q, "", 1);
    if (!v->IsFilled()) v->SrcFill();
  }
  return true;
}

void PMOD1_REPTo(TStringList& Out) {
  TVARIATOR& V = Vari();
  const bool boxes = Sayer && Sayer->qBoxes;
  if (Sayer) Sayer->BoxesOff();
  const int32_t nk = V.NK < 1 ? 1 : V.NK;
  for (int32_t k = 1; k <= nk; ++k) {
    V.KIdx = k;
    PMOD1();
    if (auto r = Keeper().ReportMod(VariModName(), 1)) Out.AddStrings(*r);
    Out.Add("===============");
  }
  if (Sayer && boxes) Sayer->BoxesOn();
}

void PMOD1_REP() {
  TStringList out;
  PMOD1_REPTo(out);
  Models().ShowReport("PMOD1 ", out);
}

void FillModVeMo(const std::string& Name) {
  TLVEMO& K = Keeper();
  K.InitVEMO(Name, "X", "", 1);
  for (const char* q : {"T", "LGPG", "LGPE", "VMI"}) K.InitVEMO(Name, q, "", 1)->SrcFill();
  if (K.GetVeMoOrig("h", Name, "", 0)) K.InitVEMO(Name, "h", "", 1)->SrcFill();
}

// ---------------------------------------------------------------- PMOD3

namespace {
// The probe text of "ModifS": each "$name" word replaced by the value of "#name".
std::string ProbeText(TVARIATOR& V) {
  const std::string s = V.GetS("ModifS");
  std::string r;
  const int32_t n = WordCount(s);
  for (int32_t i = 1; i <= n; ++i) {
    std::string w = WordN(s, i);
    if (!w.empty() && w[0] == '$') w = V.GetS("#" + w.substr(1));
    r += (r.empty() ? "" : " ") + w;
  }
  return TrimSp(r);
}

// A probe-layer copy of Src filed as a clone; the vector to use (the clone, or Src).
TVEMO* ProbeCopy(TVEMO* Src, const std::string& Text) {
  auto copy = std::make_unique<TVEMO>();
  copy->CopyModif(Src, Text);
  if (copy->sIdV.empty() && copy->sId.empty()) return Src;
  TVEMO* kept = Keeper().AddClone(std::move(copy));
  return kept ? kept : Src;
}

// A field quantity from a table ("T <model>") or from its variator value.
void FillField(TVARIATOR& V, TVEMO& Vec, const std::string& Key, char Kind) {
  if (Kind == 'T')
    Vec.SrcFillTab(V.GetS(Key));
  else
    Vec.VariFill(V.GetS(Key), V.KeyStamp(Key));
}

bool ZeroAt(const TVEMO& V, int32_t i) {
  return i < 1 || static_cast<size_t>(i) >= V.A.size() || V.A[static_cast<size_t>(i)] == 0;
}

void FillDensities(TCONT& C) {
  PNHPNH(*C.MNHPNH);
  PNHMNH(*C.MNHMNH);
  PNH(*C.MNH);
  PNHM(*C.MNHM);
  PRO(*C.MRO);
}
}  // namespace

bool PMOD3(int32_t Mode) {
  TOptionScope opt("PMOD3");
  Trace(1, "PMOD3 STARTED >>>>");
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  TLVEMO& K = Keeper();
  C.sMOD = VariModName();
  const std::string& M = C.sMOD;
  if (Mode == 2) MemoTest(PadLeft(IntStr(V.KIdx), 4) + " " + V.GetKS(V.KIdx));

  LoadAbund();
  if (TMEND* mend = Elements()) {
    mend->MjuPerH = V.GetR("#MJUPERH", mend->MjuPerH);
    mend->CalcMeans();
  }
  C.CTETA = V.GetR("#CTETA", 1);
  C.PART = V.GetR("#PART", 1);
  C.DABUND = V.GetR("#DABUND", 0);
  const std::string aopt = V.GetS("#A_OPT");

  C.MX = K.FindOrInitVEMO(M, "X", "", 1);
  Trace(1, "PMOD3 Init CONT.MX - Done!");
  C.MT = K.NeedWrkVeMo("T", M, "", 1);
  C.MPG = K.NeedWrkVeMo("LGPG", M, "", 1);
  C.MPE = K.NeedWrkVeMo("LGPE", M, "", 1);
  Trace(1, "PMOD3 GetWrkVeMo CONT.MT,MPG,MPE - Done!");
  C.MH = K.FindOrInitVEMO(M, "H", "", 1);
  C.MGM = K.FindOrInitVEMO(M, "GM", "", 1);
  C.MXI = K.FindOrInitVEMO(M, "XI", "", 1);
  C.MVD = K.FindOrInitVEMO(M, "VD", "", 1);
  C.MVMI = K.FindOrInitVEMO(M, "VMI", "", 1);
  C.MRO = K.FindOrInitVEMO(M, "RO", "", 1);
  C.MNHPNH = K.FindOrInitVEMO(M, "NHPNH", "", 1);
  C.MNHMNH = K.FindOrInitVEMO(M, "NHMNH", "", 1);
  C.MNH = K.FindOrInitVEMO(M, "NH", "", 1);
  C.MNHM = K.FindOrInitVEMO(M, "NHM", "", 1);
  C.MKAP5 = K.FindOrInitVEMO(M, "KAP5", "", 1);

  auto kind = [&](const char* Key) {
    const char k = V.ValKind(Key);
    return k >= '0' && k <= '9' ? '0' : k;
  };
  C.KindH = kind("#H");
  C.KindGM = kind("#GM");
  C.KindXI = kind("#XI");
  C.KindVD = kind("#VD");
  C.KindVMI = kind("#VMI");
  FillField(V, *C.MH, "#H", C.KindH);
  FillField(V, *C.MGM, "#GM", C.KindGM);
  FillField(V, *C.MXI, "#XI", C.KindXI);

  // Velocity. A constant one does not enter the depth vector: the profile carries its shift
  // (DLVD0, A) and the depth shift stays 0; a depth-varying one shifts inside the synthesis.
  const std::string vdText = V.GetS("#VD");
  if (C.KindVD == 'T') {
    C.MVD->SrcFillTab(vdText);
    C.VD = 0;
    C.DLVD0 = 0;
    C.ConstVD = false;
  } else if (C.KindVD == '0' || C.KindVD == 'C') {
    bool zero = C.MVD->IsFilled();
    for (int32_t i = 1; zero && i <= C.MVD->N; ++i) zero = ZeroAt(*C.MVD, i);
    if (!zero) C.MVD->VariFill("0", V.KeyStamp("#VD"));
    C.VD = V.GetR("#VD", 0);
    C.DLVD0 = C.LAMB * C.VD / PhysLightKmS;
    C.ConstVD = true;
  } else {
    C.MVD->VariFill(vdText, V.KeyStamp("#VD"));
    C.VD = 0;
    C.DLVD0 = 0;
    C.ConstVD = false;
  }
  if (C.ConstVD) {
    const int32_t n = C.MVD->N;
    if (!ZeroAt(*C.MVD, 1) || !ZeroAt(*C.MVD, n) || !ZeroAt(*C.MVD, n / 2)) C.ConstVD = false;
  }

  FillDensities(C);
  KappaSetup(V);
  PKAP5(*C.MKAP5);

  // probe layers
  const char* probes[][2] = {{"#ModifT", "T"}, {"#ModifVD", "VD"}, {"#ModifH", "H"}};
  for (auto& p : probes) {
    if (V.GetSDef(p[0], "0") != "1") continue;
    const std::string text = ProbeText(V);
    const std::string what = p[1];
    if (what != "T") K.DelHoleVeMo();
    TVEMO*& target = what == "T" ? C.MT : what == "VD" ? C.MVD : C.MH;
    target = ProbeCopy(target, text);
    if (what == "T") {
      FillDensities(C);
      PKAP5(*C.MKAP5);
    }
  }
  if (C.KindVMI == 'T')
    C.MVMI->SrcFillTab(V.GetS("#VMI"));
  else
    C.MVMI->VariFill(V.GetS("#VMI"), V.KeyStamp("#VMI"));
  if (V.GetSDef("#ModifVmi", "0") == "1") C.MVMI = ProbeCopy(C.MVMI, ProbeText(V));
  Trace(1, "PMOD3 Fill CONT.MH,GM,XI,VD,VMI - Done!");
  TLiSet& S = C.LiSet;
  Trace(1, "PMOD3 Load LIN  LiSet.N = " + IntStr(S.Count));

  // line data from the variator
  if (S.Count == 1) {
    TLIDA& L = S.Items[1].LI;
    const double g = V.GetR("#LGGF", L.LGGF);
    if (std::fabs(g - 12) > 0.01) L.LGGF = g;
    L.EWAN = V.GetR("#EWAN", L.EWAN);
    L.Rad = V.GetR("#RAD", L.Rad);
    L.Stark = V.GetR("#STARK", L.Stark);
    L.Waals = V.GetR("#WAALS", L.Waals);
    const double e = V.GetR("#ELOW", L.ELOW);
    if (e >= 0 && e != L.ELOW) {
      L.EUP += e - L.ELOW;
      L.ELOW = e;
    }
  } else if (S.Count > 1) {
    const std::string head =
        "Для режима расчета одновременно нескольких линий в группе\r\nне запрограмированно "
        "использовать параметр "_cp;
    if (V.GetR("#LGGF", 12) != 12) {
      WARNAbs(head + "#LGGF -\r\nпроверьте входные данные!"_cp);
      return false;
    }
    if (V.GetR("#ELOW", -1) != -1) {
      WARNAbs(head + "#ELOW -\r\nпроверьте входные данные!"_cp);
      return false;
    }
  }

  C.H0 = false;
  if (V.GetSDef("#ModifH", "0") == "0" && C.KindH == 'C') {
    C.HConst = V.GetR("#H", 0);
    if (C.HConst == 0) C.H0 = true;
  }
  if (!C.H0) {
    const std::string zee = V.GetSDef("#ZEE", "0");
    for (int32_t i = 1; i <= S.Count; ++i) {
      TLIDA& L = S.Items[static_cast<size_t>(i)].LI;
      if (zee != "0")
        Models().ZeeSetByHand(L, zee);
      else
        Models().ZeeSetLine(L);
    }
  }

  // wavelength vectors
  const std::string lamKey = TVEMO::LamSId(C.LAMB);
  const std::string contKey = lamKey + "|" + TVEMO::MjuSId(C.CTETA);
  auto lamVec = [&](const char* Name, const std::string& Key) {
    TVEMO* v = K.InitVEMO(M, Name, Key, 1);
    v->LAM = C.LAMB;
    v->MJU = C.CTETA;
    return v;
  };
  C.MKATOMP = K.InitVEMO(M, "KATOMP", "", 1);
  C.MKAHMBF = lamVec("KAHMBF", lamKey);
  C.MKAHMFF = lamVec("KAHMFF", lamKey);
  C.MKAHM = lamVec("KAHM", lamKey);
  C.MKAHMZW = lamVec("KAHMZW", lamKey);
  C.MKAH = lamVec("KAH", lamKey);
  C.MKARAH = lamVec("KARAH", lamKey);
  C.MKARAH2 = lamVec("KARAH2", lamKey);
  C.MKAPLDI = lamVec("KAPLDI", lamKey);
  C.MKAPALN = lamVec("KAPALN", lamKey);
  C.MB = lamVec("B", lamKey);
  C.MS = lamVec("S", lamKey);
  C.MCONT = lamVec("CONT", contKey);
  C.MEC = lamVec("ETAC", lamKey);
  C.MDLH = lamVec("DLH", lamKey);
  C.MDLVD = lamVec("DLVD", lamKey);
  Trace(1, "PMOD3 Init CONT.M(B,S,CONT,EC,DLH,DLVD) - Done!");
  PB(*C.MB);
  PS(*C.MS);
  PKAP(*C.MEC, C.LAMB);
  PKAPEX(*C.MKATOMP, *C.MKAHMBF, *C.MKAHMFF, *C.MKAPALN, *C.MKAPLDI, *C.MKARAH2, *C.MKARAH,
         *C.MKAH, *C.MKAHMZW, *C.MKAHM, C.LAMB);
  Models().PCONT(*C.MCONT);
  PDLH(*C.MDLH, C.LAMB);
  // the constant velocity is the profile's shift, never the depth vector's
  PVD(*C.MDLVD, 0.0, C.LAMB);

  for (int32_t i = 1; i <= S.Count; ++i) {
    TLINEDATA& item = S.Items[static_cast<size_t>(i)];
    TLIDA& L = item.LI;
    const std::string name = L.GetName();
    const std::string li = "LI=" + name;
    const std::string sym = TrimmedSymbol(L.AT);
    const std::string at = "AT=" + sym;
    auto lineVec = [&](const char* Q) {
      TVEMO* v = K.InitVEMO(M, Q, li, 1);
      v->LIN6 = name;
      v->LAM = L.LAMB;
      return v;
    };
    TATOM* atom = item.Atom ? item.Atom : (Elements() ? Elements()->GetAtom(L.AT) : nullptr);
    item.DLD = lineVec("DLD");
    PDLD(*item.DLD, atom ? atom->PAT : 0, L.LAMB);
    item.U0 = K.InitVEMO(M, "U0", at, 1);
    item.U1 = K.InitVEMO(M, "U1", at, 1);
    item.U2 = K.InitVEMO(M, "U2", at, 1);
    for (TVEMO* u : {item.U0, item.U1, item.U2}) u->AT = sym;
    if (item.U0->NeedRecalc() || !item.U0->IsFilled()) PU(*item.U0, *item.U1, *item.U2);
    item.PART = lineVec("PART");
    PART(L.AT, L.NIon, *item.PART, L.ELOW);
    item.ETA = lineVec("ETA");
    PETA0(L.AT, L.NIon, *item.ETA, L.LGGF + L.dLGGF, (atom ? atom->ABUND : 0) + C.DABUND,
          L.LAMB);
    if (V.GetSDef("#ModifETA", "0") == "1") {
      K.DelHoleVeMo();
      item.ETA = ProbeCopy(item.ETA, ProbeText(V));
    }
    item.A = lineVec("A");
    if (L.Waals != 0) {
      item.AOld = lineVec("AOld");
      item.DLLorN = lineVec("DLLorN");
      item.DLLor4 = lineVec("DLLor4");
      item.DLLor6 = lineVec("DLLor6");
      PAEX(L, *item.A, *item.DLLorN, *item.DLLor4, *item.DLLor6, *item.AOld, aopt);
    } else {
      const double eion = atom && L.NIon >= 1 && L.NIon <= 4 ? atom->EIon[L.NIon - 1] : 0;
      PA(L.AT, *item.A, L.EWAN, L.ELOW, eion, L.LAMB);
    }
  }
  if (opt.On(21) && V.KIdx == V.NK)
    if (auto r = K.ReportMod(M, 1)) Models().ShowReport("PMOD3 ", *r);
  K.CurMOD = M;
  K.GetHolePar(C.KHole, C.HoleX0, C.HoleX1);
  Trace(1, "PMOD3 ENDED <<<<<");
  return true;
}

// ---------------------------------------------------------------- PMOD1_REP1

bool PMOD1_REP1To(TStringList& Out) {
  if (ModTypeChar() != 'T') return false;
  TVARIATOR& V = Vari();
  TLVEMO& K = Keeper();
  if (TMEND* mend = Elements()) {
    mend->MjuPerH = V.GetR("#MJUPERH", mend->MjuPerH);
    mend->CalcMeans();
  }
  TLIDA L;
  if (!L.DBLoad(V.GetS("#LIN"))) {
    WARNAbs("5 LI=NIL!");
    return false;
  }
  LineGetFromVARI(L);
  WARN("=============");
  WARNSL(K.ReportList().get());

  // everything on the model's own grid
  const std::string M = SrcModName();
  if (TVEMO* t = K.FindVeMo("T", M, "", 0); !t || !t->IsFilled()) K.InitVEMO(M, "T", "", 0)->AutoFill();
  const std::string name = L.GetName();
  const std::string li = "LI=" + name;
  auto lineVec = [&](const char* Q) {
    TVEMO* v = K.InitVEMO(M, Q, li, 0);
    v->LIN6 = name;
    return v;
  };
  TATOM* atom = Elements() ? Elements()->GetAtom(L.AT) : nullptr;
  TVEMO* dld = lineVec("DLD");
  if (dld->NeedRecalc()) PDLD(*dld, atom ? atom->PAT : 0, L.LAMB);

  // the opacities need the hydrogen density, which the model's own grid has not got yet
  if (TVEMO* nh = K.FindVeMo("NH", M, "", 0); !nh || !nh->IsFilled()) {
    TVEMO* h = K.InitVEMO(M, "H", "", 0);
    if (h->N == 0) h->N = h->LGTAU ? h->LGTAU->N : 0;
    if (V.NoKey("#H"))
      h->VariFill("0", 0);
    else
      FillField(V, *h, "#H", V.ValKind("#H"));
    PNHPNH(*K.InitVEMO(M, "NHPNH", "", 0));
    PNHMNH(*K.InitVEMO(M, "NHMNH", "", 0));
    PNH(*K.InitVEMO(M, "NH", "", 0));
  }
  KappaSetup(V);
  PKAP5(*K.InitVEMO(M, "KAP5", "", 0));
  TVEMO* etac = K.InitVEMO(M, "ETAC", TVEMO::LamSId(L.LAMB), 0);
  etac->LAM = L.LAMB;
  PKAP(*etac, L.LAMB);

  const std::string sym = TrimmedSymbol(L.AT);
  const std::string at = "AT=" + sym;
  TVEMO* u0 = K.InitVEMO(M, "U0", at, 0);
  TVEMO* u1 = K.InitVEMO(M, "U1", at, 0);
  TVEMO* u2 = K.InitVEMO(M, "U2", at, 0);
  for (TVEMO* u : {u0, u1, u2}) u->AT = sym;
  if (u0->NeedRecalc()) PU(*u0, *u1, *u2);
  PART(L.AT, L.NIon, *lineVec("PART"), L.ELOW);
  PETA0(L.AT, L.NIon, *lineVec("ETA"), L.LGGF + L.dLGGF,
        (atom ? atom->ABUND : 0) + V.GetR("#DABUND", 0), L.LAMB);

  if (auto r = K.ReportMod(M, 0)) Out.AddStrings(*r);
  return true;
}
