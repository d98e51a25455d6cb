#include "scans/cvGaussForm.h"

#include <cmath>
#include <stdexcept>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvCurI.h"
#include "scans/cvWings.h"

namespace {

constexpr double kPixMA = 21.549;  // mA per spectral pixel

const std::string& Get(const TGaussForm& F, const std::string& Name) {
  static const std::string empty;
  auto it = F.find(Name);
  if (it != F.end()) return it->second;
  auto d = GaussFormDefaults().find(Name);
  return d != GaussFormDefaults().end() ? d->second : empty;
}

bool On(const TGaussForm& F, const std::string& Name) { return Get(F, Name) == "1"; }

int32_t IntOrMinus1(const std::string& S) {
  int32_t code = 0;
  const int32_t v = ValIntCode(TrimBlanks(S), code);
  return code == 0 ? v : -1;
}

double RealOr0(const std::string& S) {
  int32_t code = 0;
  const double v = ValRealCode(TrimBlanks(S), code);
  return code == 0 ? v : 0;
}

bool Line1(const TGaussForm& F) { return Get(F, "cb_6301_02") == "6301"; }

double StartDLD(int32_t La12) { return La12 == 2 ? 3.31 : 4.15; }

bool HasProfile(const TCurI& C) { return C.AY.size() > 1; }

bool EnsureProfile(TCurI& C, const TGaussEnv& Env) {
  if (HasProfile(C)) return true;
  if (Env.LoadFromEd && Env.LoadFromEd(C)) return HasProfile(C);
  return false;
}

void Draw(const TGaussEnv& Env) {
  if (Env.Draw) Env.Draw();
}

// The set-up of a button: the form into C; a fit goes on with the window C kept when the wing
// crossings are missing, and stops when there is none.
bool Setup(TCurI& C, TCurISettings& S, const TGaussForm& F) {
  SetupCurIFromForm(C, S, F);
  return C.iB() * C.iR() != 0;
}

}  // namespace

const TGaussForm& GaussFormDefaults() {
  static const TGaussForm d = {
      {"edILam1_1", "1"},       {"edILam1_2", "61"},      {"edILam6301", "30"},
      {"edICont6301", "22510.005"}, {"edDLD6301", "4.1"}, {"edDLDk6301", "0.8"},
      {"edDLD_0", "4.1"},       {"ed_a3", "0"},           {"ed_a3_0", "0"},
      {"ed_a3_d", "0"},         {"edGSa", "0"},           {"edGSb", "0"},
      {"edGSdlh", "0"},         {"ed_H_Gs", "0"},         {"lb_B6301", "0"},
      {"edGkRed", "0.5"},       {"edGkPi", "0.0"},        {"ed_a", "0.02"},
      {"edGSlevel", "0.9"},     {"edGSLev2", "0.05"},     {"ed_k34", "3"},
      {"cb_k34_min", "0"},      {"ed_kH", "0.5"},         {"cb_Qk3", "0"},
      {"cbDebug", "0"},         {"lb_d0", "0000.00"},     {"lb_gH0", "0"},
      {"lb_gH", "0"},           {"lb_D60", "D6="},        {"lb_H41", "H(41)="},
      {"lb_iX", "-1"},          {"lb_iY", "-1"},          {"cb_6301_02", "6301"},
      {"edFirstString", "2"},   {"cbGSop", "L6"},         {"edCOG", "0"},
      {"ed_I", "31"},           {"edBiLevel", "12345.678"}, {"lbLeWi", "00.0000"},
      {"lbRiWi", "00.0000"},    {"lbLeI", "00"},          {"lbRiI", "00"},
      {"lbLeI1", "[00..00]"},   {"lbRiI1", "[00..00]"},   {"lbNLe1", "00"},
      {"lbNLe2", "00"},         {"lbNLe3", "00"},         {"lbNRi1", "00"},
      {"lbNRi2", "00"},         {"lbNRi3", "00"},         {"edH0", "0"},
      {"edHMax", "2400"},       {"edHStep", "300"}};
  return d;
}

void GaussFieldsFromForm(const TGaussForm& F, TCurIFields& G) {
  G.ILam = ValReal(Get(F, "edILam6301"));
  G.Cont = ValReal(Get(F, "edICont6301"));
  G.DLD = ValReal(Get(F, "edDLD6301"));
  G.DLDk = ValReal(Get(F, "edDLDk6301"));
  G.DLD0 = ValReal(Get(F, "edDLD_0"));
  G.a3 = ValReal(Get(F, "ed_a3"));
  G.a3_0 = ValReal(Get(F, "ed_a3_0"));
  G.GSa = ValReal(Get(F, "edGSa"));
  G.GSb = ValReal(Get(F, "edGSb"));
  G.GSdlh = ValReal(Get(F, "edGSdlh"));
  G.a = ValReal(Get(F, "ed_a"));
  G.kRed = ValReal(Get(F, "edGkRed"));
  G.kPi = ValReal(Get(F, "edGkPi"));
  G.Level = ValReal(Get(F, "edGSlevel"));
  G.Lev2 = ValReal(Get(F, "edGSLev2"));
  G.kH = ValReal(Get(F, "ed_kH"));
  G.k34 = ValInt(Get(F, "ed_k34"));
  G.Qk3 = On(F, "cb_Qk3");
  G.k34_min = On(F, "cb_k34_min");
  G.Debug = On(F, "cbDebug");
  G.iX = IntOrMinus1(Get(F, "lb_iX"));
  G.iY = IntOrMinus1(Get(F, "lb_iY"));
  G.LeWi = RealOr0(Get(F, "lbLeWi"));
  G.RiWi = RealOr0(Get(F, "lbRiWi"));
}

void CurILineFromForm(TCurI& C, const TGaussForm& F) {
  C.gs.Lam0 = ValReal(Get(F, "edILam6301"));
  C.gs.La12 = C.gs.Lam0 > 56.5 ? 2 : 1;
}

bool SetupCurIFromForm(TCurI& C, TCurISettings& S, const TGaussForm& F) {
  const TStringList memo = S.Gauss.FIOutMemo;
  GaussFieldsFromForm(F, S.Gauss);
  S.Gauss.FIOutMemo = memo;
  return SetupCurI(C, S);
}

void CurIToForm(TCurI& C, TGaussForm& F) {
  const Tgs& g = C.gs;
  F["edICont6301"] = ShortSt(9, g.Cont);
  F["edILam6301"] = ShortSt(9, g.Lam0);
  F["edCOG"] = ShortSt(9, g.LamCOG);
  F["edDLD6301"] = FDecSt(5, g.DLD);
  F["edDLDk6301"] = ShortSt(6, g.DLDk);
  F["edGSa"] = ShortSt(6, g.A * 1e6);
  F["edGSb"] = ShortSt(6, g.B);
  F["edGSdlh"] = FDecSt(5, C.H2DLH());
  F["edDLD_0"] = FDecSt(5, g.DLDprev);
  F["ed_a3_0"] = FDecSt(5, g.a3prev * 1e4);
  F["ed_a3"] = FDecSt(5, g.a3 * 1e4);
  F["ed_kH"] = FDecSt(5, g.kH);
  F["lb_gH0"] = FDecSt(5, g.gHprev);
  F["lb_gH"] = FDecSt(5, g.gH);
  F["lb_H41"] = "H(41)=" + FDecSt(5, g.DLHsave);
  F["lb_D60"] = "D6=" + FDecSt(5, g.DLDsave);
  F["edGkPi"] = FDecSt(4, g.fPi);
  F["edGkRed"] = FDecSt(4, g.kSig);
  F["lb_d0"] = FDecSt(2, g.d0);
  F["cb_Qk3"] = C.AutoK3 ? "1" : "0";
  DLHToB(F);  // the splitting field's change handler
  C.StoreGs();
}

bool WingSection(const TCurI& C, TGaussForm& F) {
  if (C.AY.size() < 113) return false;
  const int32_t i1 = ValInt(Get(F, "edILam1_1")), i2 = ValInt(Get(F, "edILam1_2"));
  if (i1 < 1 || i2 > 112 || i1 >= i2) {
    WARNAbs("Bi: диапазон поиска ["_cp + IntStr(i1) + ".." + IntStr(i2) +
            "] должен лежать в 1..112!"_cp);
    return false;
  }
  TARe y(C.AY.begin(), C.AY.begin() + 113);
  const TAIn a = AReToAIn(y);
  int32_t m = 0, core = i1;
  AInMinPoint(a, i1, i2, m, core);
  int32_t iL1 = 0, iL2 = 0, iR1 = 0, iR2 = 0;
  WingBoundsI(core, a, iL1, iL2);
  WingBoundsI2(core, a, iR1, iR2);
  const auto A = [&](int32_t i) { return static_cast<double>(a[static_cast<size_t>(i)]); };
  const double level = ((A(iL1) + A(iL2)) / 2 + (A(iR1) + A(iR2)) / 2) / 2;
  int32_t kL = 0, kR = 0;
  const double le = ipolLeWi(iL1, iL2, kL, a, level);
  const double ri = ipolRiWi(iR1, iR2, kR, a, level);
  F["edBiLevel"] = ShortSt(8, level);
  F["lbLeWi"] = FDecSt(4, le);
  F["lbRiWi"] = FDecSt(4, ri);
  F["lbLeI"] = IntStr(kL);
  F["lbRiI"] = IntStr(kR);
  F["lbLeI1"] = "[" + IntStr(iL1) + ".." + IntStr(iL2) + "]";
  F["lbRiI1"] = "[" + IntStr(iR1) + ".." + IntStr(iR2) + "]";
  for (int32_t i = iL1; i <= iL2; ++i)
    if (A(i) < level) {
      F["lbNLe1"] = IntStr(i - 1);
      F["lbNLe2"] = IntStr(i);
      F["lbNLe3"] = IntStr(i + 1);
      break;
    }
  for (int32_t i = iR2; i >= iR1; --i)
    if (A(i) < level) {
      F["lbNRi1"] = IntStr(i + 1);
      F["lbNRi2"] = IntStr(i);
      F["lbNRi3"] = IntStr(i - 1);
      break;
    }
  return true;
}

void HGsToDLH(TGaussForm& F) {
  int32_t code = 0;
  const double h = ValRealCode(TrimBlanks(Get(F, "ed_H_Gs")), code);
  if (code != 0) return;
  const bool l1 = Line1(F);
  F["edGSdlh"] = ShortSt(5, ZeemanDLam(l1 ? 1.669 : 2.487, l1 ? 6301.5 : 6302.5, h) / kPixMA);
  DLHToB(F);
}

void DLHToB(TGaussForm& F) {
  int32_t code = 0;
  const double dlh = ValRealCode(TrimBlanks(Get(F, "edGSdlh")), code);
  if (code != 0) return;
  const bool l1 = Line1(F);
  F["lb_B6301"] = ShortSt(4, BFromSplit(dlh * kPixMA, l1 ? 6301.5 : 6302.5, l1 ? 1.669 : 2.487));
}

double DefaultL0(const TGaussForm& F) { return Line1(F) ? 30.0 : 76.8; }

bool SwitchLineTexts(TGaussForm& F, double L) {
  const double x = RealOr0(Get(F, "edILam6301"));
  const std::string centre = L >= 0 ? FDecSt(4, L) : Get(F, "edILam6301");
  if (Line1(F)) {
    if (x == 0 || x > 60) F["edILam6301"] = centre;
    F["edILam1_1"] = "1";
    F["edILam1_2"] = "61";
    return true;
  }
  if (x < 62) F["edILam6301"] = centre;
  F["edILam1_1"] = "62";
  F["edILam1_2"] = "112";
  return false;
}

void RestartTexts(TGaussForm& F, double L) {
  F["edILam6301"] = FDecSt(4, L);
  const bool l1 = Line1(F);
  F["edILam1_1"] = l1 ? "1" : "62";
  F["edILam1_2"] = l1 ? "61" : "112";
  F["edDLD6301"] = l1 ? "4.15" : "3.31";
  F["edDLDk6301"] = l1 ? "0.8" : "0.88";
  F["edGSa"] = "0";
  F["edDLD_0"] = F["edDLD6301"];
  F["ed_a3_0"] = F["ed_a3_d"] = F["ed_a3"] = "0";
  HGsToDLH(F);
}

bool RunCodeListRepeats(TCurI& C, TJob* Job) {
  const int32_t n = C.NRep;
  C.NRep = 1;
  for (int32_t r = 0; r < n; ++r) {
    if (Job && !Job->Step(r, n, "CurI Loop " + IntStr(r + 1) + "/" + IntStr(n))) {
      C.NRep = n;
      return false;
    }
    C.RunCodeList();
  }
  C.NRep = n;
  if (Job) Job->Step(n, n, "CurI Loop");
  return true;
}

bool GaussFormRun(TCurI& C, TCurISettings& S, TGaussForm& F, const std::string& Op,
                  const TGaussEnv& Env, TJob* Job) {
  if (Op == "bi") return WingSection(C, F);
  if (Op == "back") {
    C.gs = C.gsBack;
    CurIToForm(C, F);
    Draw(Env);
    return true;
  }
  if (Op == "cog") {
    const int32_t i1 = ValInt(Get(F, "edILam1_1")), i2 = ValInt(Get(F, "edILam1_2"));
    C.gs.LamCOG = LineCenter1_IR(i1, i2, AReToAIn(C.AY));
    CurIToForm(C, F);
    return true;
  }
  if (Op == "doop") {
    C.gsBack = C.gs;
    if (!Setup(C, S, F)) return false;
    C.CheckLam();
    C.Code = TrimBlanks(Get(F, "cbGSop"));
    if (C.Code == "xd")
      C.ReDLD();
    else
      C.ReLam();
    C.CheckLam();
    CurIToForm(C, F);
    C.gsRepLine();
    Draw(Env);
    return true;
  }
  if (Op == "report") {
    SetupCurIFromForm(C, S, F);
    C.CheckLam();
    C.gsRepLine();
    Draw(Env);
    return true;
  }
  if (Op == "H41") {
    if (!EnsureProfile(C, Env)) return false;
    C.FitK3L6();
    C.gs.H = 0;
    C.FitK3D6();
    C.gs.DLDsave = C.gs.DLD;
    const double start = StartDLD(C.gs.La12);
    C.gs.DLD = start;
    C.Code = "xH";
    C.ReLam();
    C.CheckLam();
    if (NearRe(C.gs.DLD, start, 1e-6)) C.gs.DLHsave = C.H2DLH();
    // H41 is a splitting in pixels: the field is that splitting's
    C.DLH2H(C.gs.DLHsave);
    C.CheckLam();
    CurIToForm(C, F);
    Draw(Env);
    return true;
  }
  if (Op == "loop") {
    if (!EnsureProfile(C, Env)) return false;
    SetupCurIFromForm(C, S, F);
    if (C.NRep == 0) {
      WARNAbs("Список операций в поле FITS.memoFIOut не заполнен!\r\n"
              "В первой строке должно быть число повторений."_cp);
      return false;
    }
    C.CheckLam();
    const bool done = RunCodeListRepeats(C, Job);
    CurIToForm(C, F);
    Draw(Env);
    return done;
  }
  static const std::map<std::string, std::string> seqs = {
      {"ajst", "FitAll"},      {"D6k3", "FitK3D6"},   {"b6k3", "FitK3B6"},
      {"bDk3", "FitD6B6Loop"}, {"bHk3", "FitK3xHB6"}, {"xD", "FitLamDLD"}};
  auto it = seqs.find(Op);
  if (it == seqs.end()) throw std::invalid_argument("GaussFormRun: " + Op);
  if (!EnsureProfile(C, Env)) return false;
  if (!Setup(C, S, F)) return false;
  C.RunSequence(it->second);
  CurIToForm(C, F);
  Draw(Env);
  return true;
}
