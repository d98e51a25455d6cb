#include "synthesis/profiles/cvUnnoTable.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "foundation/cvArr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "platform/CodePage.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvZee.h"

namespace {

// Creation order; each with its display position.
const TUnnoColumn kColumns[kUnnoColumns] = {
    {"GxUIdx", "Idx", 'N', UG_TT, 0, false},
    {"GxUQuest", "Quest", 'T', UG_TT, 1, false},
    {"GxUIQ", "IQ", 'N', UG_TT, 2, false},
    {"GxUKVari", "KV", 'N', UG_Base, 3, true},
    {"GxUsVari", "sVari", 'T', UG_Base, 4, true},
    {"GxU1Vari", "Vari_1", 'T', UG_Base, 5, true},
    {"GxU2Vari", "Vari_2", 'T', UG_Base, 6, true},
    {"GxU3Vari", "Vari_3", 'T', UG_Base, 7, true},
    {"GxU4Vari", "Vari_4", 'T', UG_Base, 8, true},
    {"GxU5Vari", "Vari_5", 'T', UG_Base, 9, true},
    {"GxU6Vari", "Vari_6", 'T', UG_Base, 10, true},
    {"GxU7Vari", "Vari_7", 'T', UG_Base, 11, true},
    {"GxU8Vari", "Vari_8", 'T', UG_Base, 12, true},
    {"GxU9Vari", "Vari_9", 'T', UG_Base, 13, true},
    {"GxU10Vari", "Vari_10", 'T', UG_Base, 14, true},
    {"GxU11Vari", "Vari_11", 'T', UG_Base, 15, true},
    {"GxU12Vari", "Vari_12", 'T', UG_Base, 16, true},
    {"GxULin6", "LIN", 'T', UG_K, 17, true},
    {"GxUK4", "K4", 'N', UG_K, 18, true},
    {"GxUNDL", "NL", 'N', UG_K, 19, true},
    {"GxUKL", "KL", 'N', UG_K, 20, true},
    {"GxUChDL", "ChDL", 'T', UG_K, 21, true},
    {"GxUSym", "Sym", 'N', UG_K, 22, true},
    {"GxUILAM", "ILam", 'N', UG_K, 23, true},
    {"GxULAMB", "LAMB", 'N', UG_K, 24, true},
    {"GxUDLVD", "DLVD", 'N', UG_K, 25, true},
    {"GxUDLG", "DLG", 'N', UG_K, 26, true},
    {"GxULAM1", "L1", 'N', UG_K, 27, true},
    {"GxULAMN", "LN", 'N', UG_K, 28, true},
    {"GxUKCon", "KCon", 'N', UG_K, 29, true},
    {"GxUCont", "Cont", 'T', UG_TT, 30, false},
    {"GxUTeff", "Teff", 'T', UG_TT, 31, false},
    {"GxUCTeta", "CTeta", 'T', UG_TT, 32, false},
    {"GxUKSpl", "Spl", 'N', UG_K, 33, true},
    {"GxUKDif", "Dif", 'N', UG_K, 34, true},
    {"GxUKRef", "Ref", 'N', UG_K, 35, true},
    {"GxUNPeak", "Nd", 'N', UG_D, 36, false},
    {"GxUd0", "d0", 'T', UG_D, 37, false},
    {"GxUdMax", "dMax", 'T', UG_D, 38, false},
    {"GxURVMax", "RVMax", 'T', UG_D, 39, false},
    {"GxULamC", "Lam_C", 'T', UG_D, 40, false},
    {"GxUCurvI", "CurvI", 'T', UG_D, 41, false},
    {"GxUwL1", "wL1", 'T', UG_W, 42, false},
    {"GxUwL2", "wL2", 'T', UG_W, 43, false},
    {"GxUwI", "wI", 'T', UG_W, 44, false},
    {"GxUwV", "wV", 'T', UG_W, 45, false},
    {"GxUwQ", "wQ", 'T', UG_W, 46, false},
    {"GxUwU", "wU", 'T', UG_W, 47, false},
    {"GxUvw", "V/W", 'T', UG_W, 48, false},
    {"GxUMV1", "MV1", 'T', UG_M, 49, false},
    {"GxUML", "ML", 'T', UG_M, 50, false},
    {"GxUH0ad", "H0", 'T', UG_None, 59, false},
    {"GxUBiv", "Biv", 'T', UG_M, 52, false},
    {"GxUBqu", "Bqu", 'T', UG_M, 63, false},
    {"GxU_XI", "XI", 'T', UG_M, 54, false},
    {"GxU_GM", "GM(M)", 'T', UG_M, 55, false},
    {"GxUMVa", "MVa", 'T', UG_M, 56, false},
    {"GxUMQUa", "MQUa", 'T', UG_M, 57, false},
    {"GxUMI1", "MI1", 'T', UG_M, 60, false},
    {"GxUMV2", "MV2", 'T', UG_M, 58, false},
    {"GxUMQ1", "MQ1", 'T', UG_M, 61, false},
    {"GxUMQ2", "MQ2", 'T', UG_M, 53, false},
    {"GxUMU2", "MU2", 'T', UG_M, 62, false},
    {"GxUwH", "width", 'T', UG_WH, 64, false},
    {"GxUwLev", "d(w)", 'T', UG_WH, 65, false},
    {"GxUDLam", "dLam", 'T', UG_WH, 66, false},
    {"GxURefShift", "shift", 'T', UG_R, 67, false},
    {"GxURefVma", "Vma", 'T', UG_R, 68, false},
    {"GxURefDI", "d_i", 'T', UG_R, 69, false},
    {"GxURQUEST", "R_Que", 'T', UG_R, 70, false},
    {"GxURsObs", "R_Obs", 'T', UG_R, 71, false},
    {"GxURIQ", "R_IQ", 'T', UG_R, 72, false},
    {"GxURKVari", "R_K", 'T', UG_R, 73, false},
    {"GxURsId", "R_sId", 'T', UG_R, 74, false},
    {"GxULQ", "LQmax", 'T', UG_L, 75, true},
    {"GxULV", "LVmax", 'T', UG_L, 76, true},
    {"GxULVG", "LVgrav", 'T', UG_L, 78, true},
    {"GxULVz", "LVz", 'T', UG_L, 77, true},
    {"GxULIQ", "LIQm", 'T', UG_L, 79, true},
    {"GxULIV", "LIVm", 'T', UG_L, 83, true},
    {"GxULIpV", "LIpV", 'T', UG_L, 80, true},
    {"GxULImV", "LImV", 'T', UG_L, 81, true},
    {"GxUL_IV", "LIV", 'T', UG_L, 82, true},
    {"GxULH", "LHэфф", 'T', UG_L, 84, true},
    {"GxUH", "H(Гс)", 'T', UG_L, 85, true},
    {"GxURI", "RI", 'T', UG_DD, 86, false},
    {"GxURV", "RV", 'T', UG_DD, 87, false},
    {"GxURQ", "RQ", 'T', UG_DD, 88, false},
    {"GxURU", "RU", 'T', UG_DD, 89, false},
    {"GxUbiLamC", "biLC", 'T', UG_b, 90, false},
    {"GxUbiLamD0", "biLD", 'T', UG_b, 92, false},
    {"GxUbiLamD5", "biL5", 'T', UG_b, 91, false},
    {"GxUbiLam1", "biL1", 'T', UG_b, 93, false},
    {"GxUbiLamR", "biLR", 'T', UG_b, 94, false},
    {"GxUbiLamL", "biLL", 'T', UG_b, 95, false},
    {"GxUbiRIR", "biRIR", 'T', UG_b, 96, false},
    {"GxUbiRIL", "biRIL", 'T', UG_b, 97, false},
    {"GxUILC", "ILC", 'T', UG_T, 98, false},
    {"GxUILL", "ILL", 'T', UG_T, 99, false},
    {"GxUILR", "ILR", 'T', UG_T, 100, false},
    {"GxUILCL", "ILcL", 'T', UG_T, 101, false},
    {"GxUILCR", "ILcR", 'T', UG_T, 102, false},
    {"GxURQR", "QR", 'T', UG_T, 103, false},
    {"GxURQL", "QL", 'T', UG_T, 104, false},
    {"GxUDWmin", "dmin", 'T', UG_T, 105, false},
    {"GxUDWmax", "dmax", 'T', UG_T, 51, false},
    {"GxUbi1", "bi1", 'T', UG_b9, 106, false},
    {"GxUbi2", "bi2", 'T', UG_b9, 107, false},
    {"GxUbi3", "bi3", 'T', UG_b9, 108, false},
    {"GxUbi4", "bi4", 'T', UG_b9, 109, false},
    {"GxUbi5", "bi5", 'T', UG_b9, 110, false},
    {"GxUbi6", "bi6", 'T', UG_b9, 111, false},
    {"GxUbi7", "bi7", 'T', UG_b9, 112, false},
    {"GxUbi8", "bi8", 'T', UG_b9, 113, false},
    {"GxUbi9", "bi9", 'T', UG_b9, 114, false},
    {"GxUivB1", "ivB1", 'T', UG_B, 115, false},
    {"GxUivB2", "ivB2", 'T', UG_B, 116, false},
    {"GxUivB3", "ivB3", 'T', UG_B, 117, false},
    {"GxUivB4", "ivB4", 'T', UG_B, 118, false},
    {"GxUivB5", "ivB5", 'T', UG_B, 119, false},
    {"GxUivB6", "ivB6", 'T', UG_B, 120, false},
    {"GxUivB7", "ivB7", 'T', UG_B, 121, false},
    {"GxUivB8", "ivB8", 'T', UG_B, 122, false},
    {"GxUivB9", "ivB9", 'T', UG_B, 123, false},
    {"GxUivBCore", "ivBCore", 'T', UG_B, 124, false},
    {"GxUivB06", "ivB06", 'T', UG_B, 125, false},
    {"GxUivB94", "ivB94", 'T', UG_B, 126, false},
};

const std::unordered_map<std::string, int>& ColumnIndexMap() {
  static const std::unordered_map<std::string, int> m = [] {
    std::unordered_map<std::string, int> r;
    for (int i = 0; i < kUnnoColumns; ++i) r.emplace(kColumns[i].Name, i);
    return r;
  }();
  return m;
}

// The column indexes used by the fill, looked up once.
struct TCols {
  int Idx, Quest, IQ, KVari, sVari;
  int Lin6, K4, NDL, KL, ChDL, Sym, ILAM, LAMB, DLVD, DLG, LAM1, LAMN, KCon, Cont, Teff, CTeta,
      KSpl, KDif, KRef;
  int NPeak, d0, dMax, RVMax, LamC, CurvI;
  int wL1, wL2, wI, wV, wQ, wU, vw;
  int MV1, ML, Biv, Bqu, XI, GM, MVa, MQUa, MI1, MV2, MQ1, MQ2, MU2;
  int wH, wLev, DLam;
  int RefShift, RefVma, RefDI, RQUEST, RsObs, RIQ, RKVari, RsId;
  int LQ, LV, LVG, LVz, LIQ, LIV, LIpV, LImV, L_IV, LH, H;
  int RI, RV, RQ, RU;
  int biLamC, biLamD0, biLamD5, biLam1, biLamR, biLamL, biRIR, biRIL;
  int ILC, ILL, ILR, ILCL, ILCR, RQR, RQL, DWmin, DWmax;
  int bi1, ivB1, ivBCore, ivB06, ivB94;
};

const TCols& Cols() {
  static const TCols c = [] {
    auto i = [](const char* n) { return UnnoColumnIndex(n); };
    TCols r{};
    r.Idx = i("GxUIdx"), r.Quest = i("GxUQuest"), r.IQ = i("GxUIQ"), r.KVari = i("GxUKVari");
    r.sVari = i("GxUsVari");
    r.Lin6 = i("GxULin6"), r.K4 = i("GxUK4"), r.NDL = i("GxUNDL"), r.KL = i("GxUKL");
    r.ChDL = i("GxUChDL"), r.Sym = i("GxUSym"), r.ILAM = i("GxUILAM"), r.LAMB = i("GxULAMB");
    r.DLVD = i("GxUDLVD"), r.DLG = i("GxUDLG"), r.LAM1 = i("GxULAM1"), r.LAMN = i("GxULAMN");
    r.KCon = i("GxUKCon"), r.Cont = i("GxUCont"), r.Teff = i("GxUTeff"), r.CTeta = i("GxUCTeta");
    r.KSpl = i("GxUKSpl"), r.KDif = i("GxUKDif"), r.KRef = i("GxUKRef");
    r.NPeak = i("GxUNPeak"), r.d0 = i("GxUd0"), r.dMax = i("GxUdMax"), r.RVMax = i("GxURVMax");
    r.LamC = i("GxULamC"), r.CurvI = i("GxUCurvI");
    r.wL1 = i("GxUwL1"), r.wL2 = i("GxUwL2"), r.wI = i("GxUwI"), r.wV = i("GxUwV");
    r.wQ = i("GxUwQ"), r.wU = i("GxUwU"), r.vw = i("GxUvw");
    r.MV1 = i("GxUMV1"), r.ML = i("GxUML"), r.Biv = i("GxUBiv"), r.Bqu = i("GxUBqu");
    r.XI = i("GxU_XI"), r.GM = i("GxU_GM"), r.MVa = i("GxUMVa"), r.MQUa = i("GxUMQUa");
    r.MI1 = i("GxUMI1"), r.MV2 = i("GxUMV2"), r.MQ1 = i("GxUMQ1"), r.MQ2 = i("GxUMQ2");
    r.MU2 = i("GxUMU2");
    r.wH = i("GxUwH"), r.wLev = i("GxUwLev"), r.DLam = i("GxUDLam");
    r.RefShift = i("GxURefShift"), r.RefVma = i("GxURefVma"), r.RefDI = i("GxURefDI");
    r.RQUEST = i("GxURQUEST"), r.RsObs = i("GxURsObs"), r.RIQ = i("GxURIQ");
    r.RKVari = i("GxURKVari"), r.RsId = i("GxURsId");
    r.LQ = i("GxULQ"), r.LV = i("GxULV"), r.LVG = i("GxULVG"), r.LVz = i("GxULVz");
    r.LIQ = i("GxULIQ"), r.LIV = i("GxULIV"), r.LIpV = i("GxULIpV"), r.LImV = i("GxULImV");
    r.L_IV = i("GxUL_IV"), r.LH = i("GxULH"), r.H = i("GxUH");
    r.RI = i("GxURI"), r.RV = i("GxURV"), r.RQ = i("GxURQ"), r.RU = i("GxURU");
    r.biLamC = i("GxUbiLamC"), r.biLamD0 = i("GxUbiLamD0"), r.biLamD5 = i("GxUbiLamD5");
    r.biLam1 = i("GxUbiLam1"), r.biLamR = i("GxUbiLamR"), r.biLamL = i("GxUbiLamL");
    r.biRIR = i("GxUbiRIR"), r.biRIL = i("GxUbiRIL");
    r.ILC = i("GxUILC"), r.ILL = i("GxUILL"), r.ILR = i("GxUILR"), r.ILCL = i("GxUILCL");
    r.ILCR = i("GxUILCR"), r.RQR = i("GxURQR"), r.RQL = i("GxURQL"), r.DWmin = i("GxUDWmin");
    r.DWmax = i("GxUDWmax");
    r.bi1 = i("GxUbi1"), r.ivB1 = i("GxUivB1"), r.ivBCore = i("GxUivBCore");
    r.ivB06 = i("GxUivB06"), r.ivB94 = i("GxUivB94");
    return r;
  }();
  return c;
}

const TUnnoButton kButtons[US_Count] = {
    {"btUnnoK", "UnnoK", true, UG_K,
     {"GxUK4", "GxULin6", "GxUNDL", "GxUKL", "GxUChDL", "GxUSym", "GxUKCon", "GxUILAM", "GxULAMB",
      "GxUDLVD", "GxUDLG", "GxULAM1", "GxULAMN", "GxUKSpl", "GxUKDif", "GxUKRef"}},
    {"btUnnoT", "UnnoT", true, UG_T,
     {"GxURQR", "GxURQL", "GxUDWmin", "GxUDWmax", "GxUILC", "GxUILL", "GxUILR", "GxUILCL",
      "GxUILCR"}},
    {"btUnnoTT", "UnnoTT", false, UG_TT,
     {"GxUCont", "GxUTeff", "GxUCTeta", "GxUIdx", "GxUQuest", "GxUIQ"}},
    {"btUnnoW", "UnnoW", true, UG_W,
     {"GxUwI", "GxUwL1", "GxUwL2", "GxUwV", "GxUwQ", "GxUwU", "GxUvw"}},
    {"btUnnoM", "UnnoM", false, UG_M,
     {"GxUMV1", "GxUMV2", "GxUMVa", "GxUMI1", "GxUMQ1", "GxUMQ2", "GxUML", "GxUMU2", "GxUMQUa",
      "GxUBiv", "GxUBqu", "GxU_XI", "GxU_GM"}},
    {"btUnnoD", "UnnoD", true, UG_D,
     {"GxUd0", "GxUdMax", "GxURVMax", "GxULamC", "GxUCurvI", "GxUNPeak"}},
    {"btUnnoWH", "UnnoWH", true, UG_WH, {"GxUwH", "GxUwLev", "GxUDLam"}},
    {"btUnnoR", "UnnoR", true, UG_R,
     {"GxURefShift", "GxURefVma", "GxURefDI", "GxURQUEST", "GxURsObs", "GxURIQ", "GxURKVari",
      "GxURsId"}},
    {"btUnnoL", "UnnoL", true, UG_L,
     {"GxULV", "GxULVG", "GxULVz", "GxULQ", "GxULIV", "GxULIpV", "GxULImV", "GxUL_IV", "GxULIQ",
      "GxULH", "GxUH"}},
    {"btUnnoDD", "UnnoDD", false, UG_DD, {"GxURI", "GxURV", "GxURQ", "GxURU"}},
    {"btUnnoBisector", "UnnoB", false, UG_b,
     {"GxUbiLamC", "GxUbiLamD0", "GxUbiLamD5", "GxUbiLam1", "GxUbiLamR", "GxUbiLamL", "GxUbiRIR",
      "GxUbiRIL"}},
    {"btUnnoBisector9", "UnnoB9", false, UG_b9,
     {"GxUbi1", "GxUbi2", "GxUbi3", "GxUbi4", "GxUbi5", "GxUbi6", "GxUbi7", "GxUbi8", "GxUbi9"}},
    {"btUnno_COGiv", "UnnoIVbi", false, UG_B,
     {"GxUivB1", "GxUivB2", "GxUivB3", "GxUivB4", "GxUivB5", "GxUivB6", "GxUivB7", "GxUivB8",
      "GxUivB9", "GxUivBCore", "GxUivB94", "GxUivB06"}},
};

bool Num(const std::string& S, double& X) { return UnnoNumber(S, X); }

std::string Lower(const std::string& S) { return UpCaseStrCyr(S); }

// A sorted set of texts compared ignoring letter case.
struct TNameSet {
  std::vector<std::string> Names;
  explicit TNameSet(const std::vector<std::string>& L) {
    for (const std::string& s : L) Names.push_back(Lower(s));
    std::sort(Names.begin(), Names.end());
  }
  bool Has(const std::string& S) const {
    return std::binary_search(Names.begin(), Names.end(), Lower(S));
  }
};

constexpr double kSqrt2 = 1.4142135623731;
constexpr double kRadDeg = 57.29577951308232;

// H of the variator's key "H": a one-word value as a number; "G a b ..." the mean of a and b.
double FieldOfVari(TVARIATOR* V) {
  if (!V || V->NoKey("H")) return 0;
  const std::string s = V->GetS0("H");
  const int32_t n = WordCount(s);
  double x = 0;
  if (n == 1) return Num(s, x) ? x : 0;
  if (n >= 3 && WordN(s, 1) == "G") {
    double a = 0, b = 0;
    if (Num(WordN(s, 2), a) && Num(WordN(s, 3), b)) return (a + b) / 2;
  }
  return 0;
}

struct TRowCtx {
  const TUnnoFillIn& In;
  std::array<bool, US_Count> On;
  double SplitMin = 0, SplitMax = 0, DLam = 0;
  char LevKind = '1';
  double Level = 0.5;
};

void FillGroups(TRowCtx& C, TUNNO& P, TVARIATOR* V, std::vector<std::string>& R) {
  const TCols& c = Cols();
  const auto& on = C.On;
  const bool iOnly = P.K4 == 1;
  if (on[US_TT]) {
    R[c.Cont] = ShortSt(11, P.CONT);
    R[c.Teff] = SigSt(10, P.Teff);
    R[c.CTeta] = ShortSt(10, P.MJU);
  }
  if (on[US_K]) {
    R[c.Lin6] = P.sULin;
    R[c.K4] = IntStr(P.K4);
    R[c.NDL] = IntStr(P.NDL);
    R[c.KL] = IntStr(P.KL);
    R[c.ChDL] = P.ChDL ? std::string(1, P.ChDL) : std::string();
    R[c.Sym] = IntStr(P.KSym);
    R[c.ILAM] = IntStr(P.ILAM);
    R[c.LAMB] = ShortSt(10, P.LAMB + P.DLVD);
    R[c.DLVD] = ShortSt(10, P.DLVD);
    R[c.DLG] = ShortSt(10, P.DLG * 1000);
    const bool hasUL = P.NDL >= 1 && NOf(P.UL) >= P.NDL;
    R[c.LAM1] = ShortSt(10, (hasUL ? P.UL[1] : 0) + P.DLVD);
    R[c.LAMN] = ShortSt(10, (hasUL ? P.UL[static_cast<size_t>(P.NDL)] : 0) + P.DLVD);
    R[c.KCon] = IntStr(P.KCONT);
    R[c.KSpl] = IntStr(P.SPLINE);
    R[c.KDif] = IntStr(P.KDif);
    R[c.KRef] = IntStr(P.KRef);
  }
  double z = 0;
  if (on[US_W] || on[US_L] || on[US_M]) z = P.LAMB * P.LAMB * LineGEff(P.sULin) * 4.6686032e-10;
  if (on[US_R]) {
    R[c.RefShift] = FSt(6, 2, P.LamSh * 1000);
    R[c.RefVma] = FSt(6, 4, P.Vma9);
    R[c.RefDI] = FSt(6, 3, P.dIRef * 100);
    R[c.RQUEST] = P.QUESTRef;
    R[c.RsObs] = P.sObs;
    R[c.RIQ] = IntStr(P.IQRef);
    R[c.RKVari] = IntStr(P.KVARIRef);
    R[c.RsId] = P.sIdRef;
  }
  if (on[US_W]) {
    double wi = 0, wv = 0, wq = 0, wu = 0, l1 = 0, l2 = 0;
    if (C.SplitMax > 0) {
      wi = P.EqWidth('I', C.SplitMin, C.SplitMax);
      if (!iOnly) {
        wv = P.EqWidth('V', C.SplitMin, C.SplitMax);
        wq = P.EqWidth('Q', C.SplitMin, C.SplitMax);
        wu = P.EqWidth('U', C.SplitMin, C.SplitMax);
      }
    } else {
      wi = P.EqWidthDef('I');
      if (!iOnly) {
        wv = P.EqWidthDef('V');
        wq = P.EqWidthDef('Q');
        wu = P.EqWidthDef('U');
      }
      l1 = P.wL1 != 0 ? (P.LAMB - P.wL1) * 1000 : 0;
      l2 = P.wL2 != 0 ? (P.wL2 - P.LAMB) * 1000 : 0;
    }
    R[c.wL1] = ShortSt(6, l1);
    R[c.wL2] = ShortSt(6, l2);
    R[c.wI] = EFSt(10, wi);
    R[c.wV] = EFSt(10, wv);
    R[c.wQ] = EFSt(8, wq);
    R[c.wU] = EFSt(8, wu);
    R[c.vw] = ShortSt(8, wi > 0 ? wv / wi : wv);
  }
  if (on[US_M]) {
    double mv1 = 0, mv2 = 0, mva = 0, mq1 = 0, mq2 = 0, mu2 = 0, mqua = 0;
    if (!iOnly) {
      mv1 = P.VMoment1();
      mv2 = P.VMoment2();
      mva = P.VaMoment();
      mq1 = P.QMoment1();
      mq2 = P.QMoment2();
      mu2 = P.UMoment2();
      mqua = P.QaMoment();
    }
    const double ml = std::sqrt(std::sqrt(mq2 * mq2 + mu2 * mu2));
    const double mi1 = P.IMoment1();
    double xi = 0;
    if (mu2 == 0) {
      xi = mq2 != 0 ? 90 : 0;
    } else {
      xi = std::atan2(mu2, mq2) * kRadDeg / 2;
      if (xi < 0) xi += 180;
    }
    const double gm = mv1 != 0 ? std::atan(ml * kSqrt2 / mv1) * kRadDeg : 90;
    R[c.MV1] = ShortSt(10, mv1);
    R[c.MV2] = ShortSt(10, mv2);
    R[c.MVa] = ShortSt(10, mva);
    R[c.MQ1] = ShortSt(10, mq1);
    R[c.MQ2] = ShortSt(10, mq2);
    R[c.MU2] = ShortSt(10, mu2);
    R[c.MQUa] = ShortSt(10, mqua);
    R[c.ML] = ShortSt(10, ml);
    R[c.MI1] = ShortSt(10, mi1);
    R[c.XI] = ShortSt(10, xi);
    R[c.GM] = ShortSt(10, gm);
    R[c.Biv] = ShortSt(10, z != 0 ? mv1 / z : 0);
    R[c.Bqu] = ShortSt(10, z != 0 ? ml * kSqrt2 / z : 0);
  }
  if (on[US_D] || on[US_T]) R[c.NPeak] = IntStr(P.FindMonoRuns());
  if (on[US_D]) {
    R[c.d0] = ShortSt(10, P.GetD0() * 100);
    R[c.dMax] = ShortSt(8, P.GetDepth() * 100);
    R[c.RVMax] = ShortSt(6, P.GetAmpl("RV") * 100);
    R[c.LamC] = ShortSt(9, P.GetLamVD());
    P.CalcLCurvI();
    R[c.CurvI] = ShortSt(9, P.LCurv);
  }
  if (on[US_T]) {
    const TMonoRuns& m = P.MonoRuns;
    R[c.RQR] = FSt(4, 3, m.MRUpAmp);
    R[c.RQL] = FSt(4, 3, m.MRDnAmp);
    R[c.DWmax] = FSt(4, 3, m.MRCoreDepth * 100);
    R[c.DWmin] = FSt(4, 3, m.MRWingDepth * 100);
    R[c.ILC] = IntStr(P.IDepth);
    R[c.ILL] = IntStr(m.MRDnBeg);
    R[c.ILR] = IntStr(m.MRUpEnd);
    R[c.ILCL] = IntStr(m.MRDnEnd);
    R[c.ILCR] = IntStr(m.MRUpBeg);
  }
  if (on[US_WH]) {
    R[c.wH] = EFSt(8, P.WidthAt(C.LevKind, C.Level));
    R[c.DLam] = EFSt(8, P.BisecAt(C.LevKind, C.Level));
    R[c.wLev] = EFSt(4, (1 - P.RelLevel(C.LevKind, C.Level)) * 100);
  }
  if (on[US_DD]) {
    const double x = P.LAMB + C.DLam / 1000;
    R[c.RI] = EFSt(10, P.IAt(x));
    R[c.RV] = EFSt(8, iOnly ? 0.0 : P.VAt(x));
    R[c.RQ] = EFSt(8, iOnly ? 0.0 : P.QAt(x));
    R[c.RU] = EFSt(8, iOnly ? 0.0 : P.UAt(x));
  }
  if (on[US_L]) {
    double lq = 0, lv = 0, lvg = 0, lvz = 0, liq = 0, liv = 0;
    if (!iOnly) {
      lq = P.ExtrQ() - P.LAMB;
      lv = P.ExtrV() - P.LAMB;
      lvg = P.VLobe20() - P.LAMB;
      lvz = (P.VZeroCross() - P.LAMB) * 1000;
      liq = P.ExtrIQ() - P.LAMB;
      liv = P.ExtrIV() - P.LAMB;
      const double ipv = P.dl_IpV(), imv = P.dl_ImV();
      R[c.LIpV] = EFSt(8, ipv);
      R[c.LImV] = EFSt(8, imv);
      R[c.L_IV] = EFSt(8, ipv - imv);
    }
    R[c.LQ] = EFSt(8, lq);
    R[c.LV] = EFSt(10, lv);
    R[c.LVG] = EFSt(10, lvg);
    R[c.LVz] = EFSt(10, lvz);
    R[c.LIQ] = EFSt(8, liq);
    R[c.LIV] = EFSt(8, liv);
    const double h = FieldOfVari(V);
    R[c.LH] = FSt(8, 4, z * h);
    R[c.H] = FSt(6, 0, h);
  }
  if (on[US_b]) {
    double r[8] = {};
    P.BisecPoints(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]);
    // Mean, top at the deepest point, d = 0.5, foot, rightmost, leftmost (wavelengths), then the
    // residual intensities at the rightmost and leftmost points
    auto mA = [&](double l) { return FSt(10, 6, l != 0 ? (l - P.LAMB) * 1000 : 0.0); };
    R[c.biLamC] = mA(r[0]);
    R[c.biLamD0] = mA(r[1]);
    R[c.biLamD5] = mA(r[2]);
    R[c.biLam1] = mA(r[3]);
    R[c.biLamR] = mA(r[4]);
    R[c.biLamL] = mA(r[5]);
    R[c.biRIR] = FSt(5, 3, r[6]);
    R[c.biRIL] = FSt(5, 3, r[7]);
  }
  if (on[US_b9])
    for (int k = 0; k < 9; ++k) R[c.bi1 + k] = FSt(10, 6, P.Bi9A[static_cast<size_t>(k)]);
  if (on[US_B]) {
    for (int k = 0; k < 9; ++k) R[c.ivB1 + k] = FSt(10, 6, P.CogB[static_cast<size_t>(k)]);
    R[c.ivBCore] = FSt(10, 6, P.CoreB);
    R[c.ivB06] = FSt(10, 6, P.B06);
    R[c.ivB94] = FSt(10, 6, P.B94);
  }
}

std::string QuestStep(const TUNNO& U) { return U.QUEST + "." + IntStr(U.IQ); }

}  // namespace

bool UnnoNumber(const std::string& S, double& X) {
  int32_t code = 0;
  const std::string t = TrimSp(S);
  if (t.empty()) return false;
  X = ValRealCode(t, code);
  return code == 0;
}

const TUnnoColumn& UnnoColumn(int Index) { return kColumns[Index]; }

std::string UnnoCaption(int Index) { return platform::Utf8ToCp1251(kColumns[Index].Caption); }

int UnnoColumnIndex(const std::string& Name) {
  const auto& m = ColumnIndexMap();
  auto it = m.find(Name);
  return it == m.end() ? -1 : it->second;
}

int UnnoSlotColumn(int N) { return UnnoColumnIndex("GxU" + std::to_string(N) + "Vari"); }

const TUnnoButton& UnnoButton(TUnnoSwitch S) { return kButtons[S]; }

void UnnoFill(TLUNNO* List, TLVARI* LVARI, const TUnnoFillIn& In, TUnnoPageState& P,
              TUnnoFillOut& Out) {
  Out = TUnnoFillOut{};
  Out.SplitMin = In.SplitMin;
  Out.SplitMax = In.SplitMax;
  Out.DLam = In.DLam;
  if (!List) return;
  P.PageRows = std::max<int32_t>(1, In.PageRows);
  TRowCtx ctx{In, In.On};
  // slit bounds
  double smax = 0, smin = 0;
  if (Num(In.SplitMax, smax)) {
    if (!Num(In.SplitMin, smin)) {
      Out.SplitMin = "0";
      smin = 0;
    }
    if (smin > smax) {
      std::swap(smin, smax);
      std::swap(Out.SplitMin, Out.SplitMax);
    }
  } else {
    smax = 0;
  }
  ctx.SplitMin = smin;
  ctx.SplitMax = smax;
  if (!Num(In.DLam, ctx.DLam)) {
    Out.DLam = "0";
    Out.Stop = TUnnoStop::BadDLam;
    return;
  }
  Out.RowsCleared = true;
  if (In.On[US_WH]) {
    const std::string m = TrimSp(In.LevelMode);
    if (m == "1") ctx.LevKind = '1';
    else if (m == "D0") ctx.LevKind = 'C';
    else if (m == "Dmax") ctx.LevKind = 'P';
    else {
      WARNAbs("В комбо-боксе для ражима вычисления ширины линии должно быть \"1\",\"D0\" или \"Dmax\"!"_cp);
      Out.Stop = TUnnoStop::BadLevelMode;
      return;
    }
    if (!Num(In.Level, ctx.Level)) {
      Out.Stop = TUnnoStop::BadLevel;
      return;
    }
  }
  const TNameSet quests(In.Quests), lines(In.Lines);
  if (P.FirstRow == 0) {
    P.FirstRow = 1;
    Out.FirstRowText = "1";
    P.CurRow = 0;
  }
  const bool sFilt = In.sVariFilterOn && !In.sVariFilter.empty();
  auto sPass = [&](const std::string& s) {
    return s.empty() || !sFilt || s.find(In.sVariFilter) != std::string::npos;
  };
  // what both passes need of a profile, found once: whether it passes the quest and line
  // filters, its quest step, its variator and its combination text (consecutive profiles of one
  // quest step and line share the lookups)
  struct TSeen {
    bool Pass = false;
    TVARIATOR* V = nullptr;
    std::string sVari;
  };
  const int32_t count = List->Count();
  std::vector<TSeen> seen(static_cast<size_t>(count));
  std::vector<std::string> qsOf(static_cast<size_t>(count));
  // first pass: the variable-field slots
  int nSlots = 0;
  std::string prevQS, lastQS, lastLine;
  bool lastQPass = false, lastLPass = false;
  TVARIATOR* prevV = nullptr;
  bool warned13 = false;
  for (int32_t i = 0; i < count; ++i) {
    TUNNO& U = *List->Items(i);
    if (U.K4 == 4) Out.IQUV = true;
    std::string& qs = qsOf[static_cast<size_t>(i)];
    qs = QuestStep(U);
    if (qs != lastQS) {
      lastQS = qs;
      lastQPass = quests.Has(qs);
    }
    if (U.sULin != lastLine) {
      lastLine = U.sULin;
      lastLPass = lines.Has(U.sULin);
    }
    if (!lastQPass || !lastLPass) continue;
    TSeen& s = seen[static_cast<size_t>(i)];
    s.Pass = true;
    const bool changed = qs != prevQS;
    TVARIATOR* V = changed || !prevV ? (LVARI ? LVARI->GetQuestIQVARI(U.QUEST, U.IQ) : nullptr)
                                     : prevV;
    if (!V)
      ErrAbs("ERR Corvesta.ngUnnoFill( QUEST=<"_cp + qs + "> запись LUNNO №"_cp + IntStr(i) +
             " вариатор Not Assigned!!!"_cp);
    if (V->NK < U.KVARI)
      ErrAbs("ERR Corvesta.ngUnnoFill("_cp + V->QUEST + ")." + IntStr(V->IQ) +
             " № комбинации UN.KVARI="_cp + IntStr(U.KVARI) + " > числа комбинаций VARI.NK = "_cp +
             IntStr(V->NK) + "\r\nLUNNO Index=" + IntStr(i) + " Общее число параметров = "_cp +
             IntStr(V->Count()));
    s.V = V;
    s.sVari = V->GetKS(U.KVARI);
    V->KIdx = U.KVARI;
    if (sPass(s.sVari) && changed) {
      std::vector<std::string> keys;
      if (auto mk = V->MultiKeys())
        for (int k = 0; k < mk->Count(); ++k) keys.push_back((*mk)[k]);
      if (auto dk = V->DiffKeys(prevV == V ? nullptr : prevV))
        for (int k = 0; k < dk->Count(); ++k)
          if (std::find(keys.begin(), keys.end(), (*dk)[k]) == keys.end()) keys.push_back((*dk)[k]);
      for (const std::string& k : keys) {
        if (std::find(Out.Slots.begin(), Out.Slots.begin() + nSlots, k) != Out.Slots.begin() + nSlots)
          continue;
        if (nSlots == kUnnoSlots) {
          if (!warned13) WARNAbs("Кол-во переменных полей более "_cp + "12");
          warned13 = true;
          continue;
        }
        Out.Slots[static_cast<size_t>(nSlots++)] = k;
      }
    }
    prevQS = qs;
    prevV = V;
  }
  Out.AnyProfile = count > 0;
  // second pass: the rows
  int32_t n = 0;
  prevQS.clear();
  const int32_t first = P.FirstRow, last = P.FirstRow + P.PageRows - 1;
  for (int32_t i = 0; i < count; ++i) {
    const TSeen& s = seen[static_cast<size_t>(i)];
    if (!s.Pass) continue;
    TUNNO& U = *List->Items(i);
    const std::string& qs = qsOf[static_cast<size_t>(i)];
    if (qs != prevQS && !TrimSp(prevQS).empty())
      WARN("ОТЛАДКА! - в списке LUNNO в профиле №"_cp + IntStr(i) + " происходит смена квеста."_cp +
           "\r\nдо сих пор шли строки квеста <"_cp + prevQS + ">\r\n теперь пойдут строки квеста <"_cp +
           qs + ">");
    prevQS = qs;
    TVARIATOR* V = s.V;
    const std::string& sv = s.sVari;
    if (!sv.empty() && sFilt && sv.find(In.sVariFilter) == std::string::npos) continue;
    if (!In.ParamFilter.empty()) {
      V->KIdx = U.KVARI;
      bool ok = true;
      for (const auto& [key, val] : In.ParamFilter)
        if (ok && V->GetS(key) != val) ok = false;
      if (!ok) continue;
    }
    if (U.NDL == 0) {
      WARNAbs("UN.NDL=0!!! UN.sULin=" + U.sULin + " UN.QUEST=" + U.QUEST);
      continue;
    }
    ++n;
    if (In.Paged && (n < first || n > last)) continue;
    V->KIdx = U.KVARI;
    std::vector<std::string> R(kUnnoColumns);
    const TCols& c = Cols();
    R[c.Idx] = IntStr(i);
    R[c.Quest] = U.QUEST;
    R[c.IQ] = IntStr(U.IQ);
    R[c.KVari] = IntStr(U.KVARI);
    R[c.sVari] = sv;
    for (int k = 0; k < nSlots; ++k) R[UnnoSlotColumn(k + 1)] = V->GetS(Out.Slots[static_cast<size_t>(k)]);
    FillGroups(ctx, U, V, R);
    Out.Rows.push_back(std::move(R));
  }
  P.RowCount = n;
  if (n > 0 && n < P.FirstRow) {
    P.FirstRow = ((n - 1) / P.PageRows) * P.PageRows + 1;
    Out.FirstRowText = IntStr(P.FirstRow);
    P.CurRow = P.PageRows - 1;
  } else if (n == 0) {
    P.FirstRow = 0;
  }
}

std::vector<std::pair<int, bool>> UnnoIQUVColumns(bool IQUV,
                                                  const std::array<bool, US_Count>& On) {
  std::vector<std::pair<int, bool>> r;
  auto set = [&](std::initializer_list<const char*> names, bool v) {
    for (const char* s : names) r.emplace_back(UnnoColumnIndex(s), v);
  };
  set({"GxUwV", "GxUwQ", "GxUwU", "GxUvw"}, IQUV && On[US_W]);
  set({"GxUMV1", "GxUMV2", "GxUML", "GxUMQ1", "GxUMQ2", "GxUMU2", "GxUBiv", "GxUBqu"},
      IQUV && On[US_M]);
  set({"GxURVMax"}, IQUV && On[US_D]);
  set({"GxURV", "GxURQ", "GxURU"}, IQUV && On[US_DD]);
  for (const char* s : kButtons[US_L].Columns) r.emplace_back(UnnoColumnIndex(s), IQUV && On[US_L]);
  return r;
}

std::vector<int> UnnoShownColumns(const TUnnoFillOut& Out, const std::array<bool, US_Count>& On) {
  std::vector<bool> shown(kUnnoColumns, false);
  bool any = false;
  for (int s = 1; s <= kUnnoSlots; ++s)
    if (!Out.Slots[static_cast<size_t>(s - 1)].empty()) {
      shown[static_cast<size_t>(UnnoSlotColumn(s))] = true;
      any = true;
    }
  shown[static_cast<size_t>(UnnoColumnIndex("GxUKVari"))] = true;
  shown[static_cast<size_t>(UnnoColumnIndex("GxUsVari"))] = !any;
  for (int s = 0; s < US_Count; ++s)
    if (On[static_cast<size_t>(s)])
      for (const char* n : kButtons[s].Columns) shown[static_cast<size_t>(UnnoColumnIndex(n))] = true;
  if (Out.AnyProfile)
    for (const auto& [c, v] : UnnoIQUVColumns(Out.IQUV, On))
      if (!v) shown[static_cast<size_t>(c)] = false;
  std::vector<int> r;
  for (int i = 0; i < kUnnoColumns; ++i)
    if (shown[static_cast<size_t>(i)]) r.push_back(i);
  return r;
}

bool UnnoSyncPage(TUnnoPageState& P) {
  const int32_t rows = std::max<int32_t>(1, P.PageRows);
  const int32_t page = (P.FirstRow - 1 + P.CurRow) / rows + 1;
  if (page == P.Page) return false;
  P.Page = page;
  return true;
}

void UnnoPageChange(TUnnoPageState& P, int32_t Np, int32_t& SelectRow) {
  SelectRow = -1;
  const int32_t rows = std::max<int32_t>(1, P.PageRows);
  int32_t b = P.CurRow >= 0 ? P.FirstRow + P.CurRow : -1;
  int32_t page = P.Page;
  if (Np > P.Page) {
    if (P.FirstRow == 0) P.FirstRow = 1;
    if (P.RowCount < P.FirstRow + rows) {
      page = Np - 1;
      b = P.RowCount;
    } else {
      P.FirstRow += rows;
      if (b > 0) b = std::min(b + rows, P.RowCount);
      P.FirstRow = std::min(P.FirstRow, P.RowCount);
      page = (P.FirstRow - 1) / rows + 1;
    }
  } else if (Np < P.Page) {
    if (Np != 0) {
      P.FirstRow -= rows;
      if (b > 0) b = std::max(b - rows, 1);
      P.FirstRow = std::max(P.FirstRow, 1);
      page = (P.FirstRow - 1) / rows + 1;
    } else {
      if (P.FirstRow < 2) b = 1;
      else P.FirstRow = 1;
      page = 1;
    }
  }
  P.Page = page;
  if (P.CurRow >= 0 && b >= 0) {
    P.CurRow = b - P.FirstRow;
    if (b <= P.RowCount) SelectRow = P.CurRow;
  }
}

void UnnoKeyUp(TUnnoPageState& P, bool& Refill) {
  Refill = false;
  int32_t row = P.CurRow > 0 ? P.CurRow - 1 : 0;
  if (P.CurRow <= 0 && P.FirstRow > 1) {
    --P.FirstRow;
    Refill = true;
  }
  P.CurRow = std::max(row, 0);
  UnnoSyncPage(P);
}

void UnnoKeyDown(TUnnoPageState& P, bool& Refill) {
  Refill = false;
  int32_t row = P.CurRow;
  if (P.CurRow + 1 == P.PageRows) {
    if (P.RowCount >= P.PageRows + P.FirstRow) {
      ++P.FirstRow;
      Refill = true;
    }
  } else {
    row = P.CurRow + 1;
  }
  if (P.CurRow >= 0) P.CurRow = row;
  UnnoSyncPage(P);
}

std::string UnnoSIdDescriptor(const std::string& C, const TUnnoSIdFields& F) {
  auto set = [](const std::string& s) {
    const std::string t = TrimSp(s);
    return !t.empty() && t != "0";
  };
  std::string blur;
  if (F.Blur != "0") blur = "Vma=" + F.Blur + TrimSp(F.BlurUnit);
  auto withBlur = [&](std::string s) { return blur.empty() ? s : s + "|" + blur; };
  auto is = [&](std::initializer_list<const char*> l) {
    for (const char* s : l)
      if (C == s) return true;
    return false;
  };
  if (is({"RI", "RV", "RQ", "RU", "d0", "dMax", "RVMax", "Lam_C"}))
    return withBlur(set(F.DLam) ? C + "|dLam=" + TrimSp(F.DLam) : C);
  if (is({"width", "dLam"}))
    return withBlur(C + "|dLev=" + TrimSp(F.Level) + "|RLevel=" + TrimSp(F.LevelMode));
  if (is({"wI", "wV", "wQ", "wU", "V/W", "dlV"}))
    return withBlur(set(F.SplitMin) || set(F.SplitMax)
                        ? C + "|slit1=" + TrimSp(F.SplitMin) + "|slit2=" + TrimSp(F.SplitMax)
                        : C);
  if (C.compare(0, 2, "bi") == 0) {
    const bool digit = C.size() >= 3 && C[2] >= '1' && C[2] <= '9';
    return withBlur(digit ? C : C + "|Step=" + TrimSp(F.RStep));
  }
  return C;
}

bool UnnoIsParamColumn(const std::string& Name) {
  if (Name.size() < 8 || Name.compare(0, 3, "GxU") != 0) return false;
  size_t i = 3;
  while (i < Name.size() && Name[i] >= '0' && Name[i] <= '9') ++i;
  return i > 3 && Name.substr(i) == "Vari";
}

bool UnnoBlurConvert(const std::string& LambdaText, const std::string& XText, bool ToKm,
                     std::string& Result) {
  double lam = 0, x = 0;
  if (!Num(LambdaText, lam) || lam < 100 || !Num(XText, x) || !(x > 0)) return false;
  Result = ShortSt(6, ToKm ? x * 299.7924562 / lam : lam * x / 299.7924562);
  return true;
}

std::string UnnoCFRFCheck(const std::vector<TUnnoRowRef>& Rows) {
  if (Rows.empty()) return {};
  const std::string g =
      "Для вычисления ф-ий вклада/отклика в списке профилей Стокса\r\nв поле sVari должны быть "
      "вариации высоты пробного слоя\r\nПоле sVari должно содержать слово вида \"#XM=число\"!"_cp;
  const std::string q0 = Rows[0].Quest;
  const int32_t s0 = Rows[0].IQ;
  int32_t n = -1;
  for (size_t i = 0; i < Rows.size(); ++i) {
    const TUnnoRowRef& r = Rows[i];
    if (r.Quest != q0 || r.IQ != s0) continue;
    const int32_t w = WordCount(r.sVari);
    if (n < 0) n = w;
    else if (w != n)
      return "В поле sVari в строке "_cp + IntStr(static_cast<int32_t>(i)) +
             " изменилось число слов с "_cp + IntStr(n) + " на "_cp + IntStr(w) +
             "\r\nНа этот случай надо менять что-то в программе!"_cp;
    const size_t at = r.sVari.find("#XM=");
    if (at == std::string::npos)
      return "Строка "_cp + IntStr(static_cast<int32_t>(i) + 1) +
             " не содержит слова, которое начинается с \"#XM=\""_cp + "\r\n\r\n" + g;
    std::string v = r.sVari.substr(at + 4);
    v = v.substr(0, v.find(' '));
    if (!IsNumChars(v))
      return "Строка "_cp + IntStr(static_cast<int32_t>(i) + 1) +
             " содержит значение параметра #XM равное <"_cp + v + ">, а это не число!"_cp +
             "\r\n\r\n" + g;
  }
  return {};
}

void UnnoCFRF(TJob& Job, TLUNNO& List, TLVARI& LVARI, const std::vector<TUnnoRowRef>& Rows,
              const std::vector<std::string>& Captions, const std::string& SId,
              const std::string& Filter, const std::vector<std::string>& Quests,
              const std::vector<std::string>& Lines, std::vector<std::string>& Stored) {
  Stored.clear();
  if (Rows.empty()) return;
  const std::string bad = UnnoCFRFCheck(Rows);
  if (!bad.empty()) {
    WARNAbs(bad);
    return;
  }
  const size_t bar = SId.find('|');
  const std::string c = bar == std::string::npos ? SId : SId.substr(0, bar);
  if (std::find(Captions.begin(), Captions.end(), c) == Captions.end()) {
    WARNAbs("Среди колонок не найдена колонка с заголовком <"_cp + c + ">!");
    return;
  }
  // the extraction for the quest step the checks ran on: the table's first row's profile
  if (Rows[0].Idx < 0 || Rows[0].Idx >= List.Count()) return;
  TUNNO& P = *List.Items(Rows[0].Idx);
  const std::string quest = P.QUEST, qs = QuestStep(P);
  const int32_t step = P.IQ;
  TVARIATOR* V = LVARI.GetIQuestVARI(quest, step);
  if (!V) ErrAbs("CFRF: нет вариатора квеста "_cp + qs);
  V->GetNJPar();
  auto xm = V->GetValsSL("XM");
  const int32_t nxm = xm ? xm->Count() : 0;
  if (nxm == 0) ErrAbs("CFRF: у вариатора "_cp + qs + " нет ключа XM"_cp);
  const int32_t groups = V->NK / nxm;
  const TNameSet qset(Quests), lset(Lines);
  const std::string name = qset.Has(quest) ? quest : qs;
  // the slices are extracted first; the keeper changes only when the job was not cancelled
  std::vector<int32_t> slices;
  if (qset.Has(name)) {
    for (int32_t g = 1; g <= groups; ++g) {
      if (!Job.Step(g - 1, groups, "CFRF " + qs + " " + IntStr(g) + "/" + IntStr(groups))) return;
      TARe x, y;
      if (!List.ExtractCFRF(SId, quest, x, y, g, step, Filter) || NOf(y) == 0) continue;
      if (!lset.Has(V->GetS0("LIN"))) continue;
      if (TrimSp(V->GetS0("MOD")).empty()) {
        WARNAbs("Не профиля Стокса для квеста "_cp + qs +
                " не задана модель фотосферы -\r\nнельзя сформировать вектор CFRF!"_cp);
        break;
      }
      slices.push_back(g);
    }
    if (Job.Cancelled()) return;
    for (int32_t g : slices) {
      std::string vec;
      if (StoreCFRF(List, SId, quest, step, g, Filter, vec)) Stored.push_back(vec);
    }
  }
  if (slices.empty() && !qset.Has(name)) {
    std::string l;
    for (const std::string& q : Quests) l += "\r\n" + q;
    WARNAbs("QUEST с именем \""_cp + quest + "\" или \"" + qs + "\" не найден в списке:"_cp + l);
  }
}

std::unique_ptr<TStringList> UnnoTableDump(const std::vector<std::string>& Captions,
                                           const std::vector<std::vector<std::string>>& Rows) {
  auto page = std::make_unique<TStringList>();
  std::string h;
  for (const std::string& c : Captions) h += " " + c;
  page->Add(h);
  for (const auto& row : Rows) {
    std::string l;
    for (const std::string& t : row) {
      std::string w = TrimSp(t);
      std::replace(w.begin(), w.end(), ' ', '_');
      l += " " + w;
    }
    page->Add(l);
  }
  if (page->Count() > 2) LineTabStrings(page.get(), 2);
  return page;
}

std::unique_ptr<TStringList> UnnoQuantityTable(TLUNNO& List, TLVARI* LVARI,
                                               const std::vector<int32_t>& Rows,
                                               const std::string& Key0) {
  if (Rows.empty()) {
    WARNAbs("Таблица профилей пуста!"_cp);
    return nullptr;
  }
  std::string key = Key0;
  if (key == "RV" || key == "RQ" || key == "RI" || key == "RU") key = key.substr(1);
  const bool stokes = key == "V" || key == "Q" || key == "I" || key == "U" || key == "IV" ||
                      key == "IQ";
  const bool slope = key == "I/L";
  if (!stokes && !slope) {
    WARNAbs("Величина <"_cp + Key0 + "> не поддерживается: только RI, RV, RQ, RU, IV, IQ и I/L"_cp);
    return nullptr;
  }
  TARe dl;
  List.Items(Rows[0])->GetDLmA(dl);
  int32_t n = NOf(dl);
  std::string head = "DL";
  std::vector<TARe> cols;
  TARe mid;
  double lamb = 0;
  for (int32_t idx : Rows) {
    TUNNO& U = *List.Items(idx);
    TVARIATOR* V = LVARI ? LVARI->GetIQuestVARI(U.QUEST, U.IQ) : nullptr;
    std::string name = V ? V->GetKS(U.KVARI) : std::string();
    name.erase(std::remove(name.begin(), name.end(), '#'), name.end());
    name = TrimSp(name);
    std::replace(name.begin(), name.end(), ' ', '_');
    TARe d;
    U.GetDLmA(d);
    if (NOf(d) != NOf(dl) || !AReSame(d, dl, 0.001)) continue;
    head += " " + name;
    TARe y;
    if (stokes) {
      U.GetUPar(key, y);
    } else {
      U.GetDerivI(y, mid);
      lamb = U.LAMB;
    }
    cols.push_back(std::move(y));
  }
  if (slope) n = n - 1;
  auto page = std::make_unique<TStringList>();
  page->Add(head);
  for (int32_t i = 1; i <= n; ++i) {
    std::string l = stokes ? ShortSt(5, dl[static_cast<size_t>(i)])
                           : ShortSt(5, (mid[static_cast<size_t>(i)] - lamb) * 1000);
    for (const TARe& y : cols)
      l += " " + (stokes ? ShortSt(9, i < static_cast<int32_t>(y.size()) ? y[static_cast<size_t>(i)] : 0)
                         : ShortSt(8, i < static_cast<int32_t>(y.size()) ? y[static_cast<size_t>(i)] : 0));
    page->Add(l);
  }
  if (page->Count() > 1) LineTabStrings(page.get(), 1);
  return page;
}

std::unique_ptr<TStringList> UnnoCustomReport(TLUNNO& List, const std::vector<int32_t>& Rows,
                                              const std::vector<std::string>& SVari,
                                              const std::string& Option, const std::string& RStep) {
  char opt = Option.empty() ? 'W' : Option[0];
  double dmax = 0;
  for (int32_t idx : Rows) dmax = std::max(dmax, List.Items(idx)->Depth);
  dmax *= 100;
  double step = 0;
  if (!Num(RStep, step)) step = 0;
  if (step == 0) step = 2;
  const int32_t n = static_cast<int32_t>(std::trunc(dmax / step));
  std::string h = "sVari";
  for (int32_t e = 1; e <= n; ++e) {
    const std::string d = FDecSt(1, e * step);
    if (opt == '2') h += " Ld" + d + " Rd" + d;
    else if (opt == 'L') h += " Ld" + d;
    else if (opt == 'R') h += " Rd" + d;
    else h += " d" + d;
  }
  auto page = std::make_unique<TStringList>();
  page->Add(h);
  for (size_t r = 0; r < Rows.size(); ++r) {
    TUNNO& U = *List.Items(Rows[r]);
    std::string l = r < SVari.size() ? SVari[r] : std::string();
    std::replace(l.begin(), l.end(), ' ', '_');
    for (int32_t e = 1; e <= n; ++e) {
      const double x = step * e / 100;
      double left = 0, right = 0;
      switch (opt) {
        case 'W': l += " " + EFSt(8, U.WidthAt('1', x)); break;
        case 'b': l += " " + FDecSt(8, U.BisecAt('1', x)); break;
        case '2':
          U.WingsLamVD('1', x, left, right);
          l += " " + FDecSt(8, left) + " " + FDecSt(8, right);
          break;
        case 'L':
          U.WingsLamVD('1', x, left, right);
          l += " " + FDecSt(9, left);
          break;
        case 'R':
          U.WingsLamVD('1', x, left, right);
          l += " " + FDecSt(9, right);
          break;
        default: l += " " + EFSt(8, U.WidthAt('1', x)); break;
      }
    }
    page->Add(l);
  }
  if (page->Count() > 2) LineTabStrings(page.get(), 2);
  return page;
}
