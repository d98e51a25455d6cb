#include "synthesis/drivers/cvEqd.h"

#include <cmath>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvOTL.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

TEqdLimits& EqdLimits() {
  static TEqdLimits l;
  return l;
}

namespace {

enum : int32_t {
  kComputed = 1,
  kStart = 2,
  kExtremum = 4,
  kRedLevel = 8,
  kBlueLevel = 16,
  kRedFinal = 32,
  kBlueFinal = 64
};

struct TCancelled {};

void Trace(int Ch, const std::string& Text) {
  if (ChanOn(Ch)) Sayer->ChanLog(Ch, Text);
}

double Round7(double x) { return RoundDec(x, 7); }

std::string Lam(double x) { return FSt(1, 7, x); }

// One run of the automatic grid on profile U.
class TEqd {
 public:
  TEqd(TJob& Job, TUNNO& U, double XOut) : job_(Job), u_(U), xOut_(XOut) {}

  // Integrates point i at the output depth and or-s Flag into its UK.
  void Point(int32_t i, int32_t Flag) {
    TCONT& C = Cont();
    C.WK.LAM = u_.UL[i];
    ul1_[1] = u_.UL[i];
    Synthesis().StartDepths(ul1_, x00_);
    const double x00 = x00_.size() > 1 ? x00_[1] : 0.0;
    // the fixed grid's first output depth: the same start values, the same integration
    Synthesis().AdvancePoint(i, u_, xOut_, xOut_, x00);
    u_.UK[i] |= kComputed | Flag;
    ++points_;
    if (!job_.Step(points_, 0, "STESAUTO " + u_.sULin + ": " + IntStr(points_) + " точек"_cp))
      throw TCancelled();
  }

  // Inserts Lam (rounded); true when new (Index its position).
  bool Insert(int32_t& Index, double L) { return u_.InsertLam(Index, Round7(L)); }

  double RI(int32_t i) const { return u_.UI[i] / u_.CONT; }
  double Depth(int32_t i) const { return (1 - RI(i)) * 100; }

  [[noreturn]] void Fail(const std::string& Text, double Level, double L) const {
    ErrAbs(Text + "\r\nSTESAUTO: линия "_cp + u_.sULin + " (" + FSt(1, 4, u_.LAMB) +
           "), уровень "_cp + (Level >= 0 ? FSt(1, 3, Level) + "%" : std::string("-")) +
           ", длина волны "_cp + Lam(L));
  }

  void Start(const TUNNO* Previous, double LevelStep, double WingStep) {
    const double step = WingStep / 1000;
    TCONT& C = Cont();
    // the seeds first: Previous may be this profile itself (it has no grid yet)
    TARe seeds;
    if (Previous && Previous != &u_)
      for (int32_t i = 1; i <= Previous->NDL && i < static_cast<int32_t>(Previous->UK.size()); ++i)
        if (Previous->UK[i] & kRedFinal) seeds.push_back(Previous->UL[i]);
    C.WK.LAM = u_.LAMB;
    u_.AllocAll(1);
    u_.KL = 0;
    u_.UL[1] = u_.LAMB;
    u_.ILAM = 1;
    Point(1, kStart);
    if (C.MCONT) u_.CONT = C.MCONT->func(xOut_);
    for (double s : seeds) {
      int32_t idx = 0;
      u_.InsertLam(idx, s);  // UK of a new point is 0
    }
    for (int32_t i = 1; i <= u_.NDL; ++i)
      if (u_.UK[i] == 0) Point(i, kStart);
    // red wing
    const TEqdLimits& lim = EqdLimits();
    int32_t i = u_.NDL, n = 0;
    while (Depth(i) > LevelStep) {
      const double l = Round7(u_.UL[u_.NDL] + step);
      if (++n > lim.WingPoints)
        Fail("STESAUTO: красное крыло не возвращается к континууму за "_cp +
                 IntStr(lim.WingPoints) + " шагов"_cp,
             LevelStep, l);
      int32_t idx = 0;
      if (!u_.InsertLam(idx, l)) Fail("1 Повторный InsertLam(" + Lam(l) + ")", LevelStep, l);
      Point(idx, kStart);
      i = idx;
    }
    if (u_.KSym != 2) return;
    // blue wing
    i = 1;
    n = 0;
    while (Depth(i) > LevelStep) {
      ++n;
      const double l = Round7(u_.LAMB - n * step);
      if (n > lim.WingPoints)
        Fail("STESAUTO: синее крыло не возвращается к континууму за "_cp +
                 IntStr(lim.WingPoints) + " шагов"_cp,
             LevelStep, l);
      int32_t idx = 0;
      if (!u_.InsertLam(idx, l)) Fail("2 Повторный InsertLam(" + Lam(l) + ")", LevelStep, l);
      Point(idx, kStart);
      i = idx;
    }
  }

  // The extremum of I on one side ('R' or 'L') by repeated insertion.
  void Extremum(char Side, double Tol) {
    const std::string tag = Side == 'R' ? "R-Экстремум"_cp : "L-Экстремум"_cp;
    double l = Round7(u_.ExtrAt("I", Side, u_.ILAM));
    const double l00 = l;
    Trace(11, tag + " Insert " + Lam(l));
    int32_t idx = 0;
    if (Insert(idx, l))
      Point(idx, kExtremum);
    else
      u_.UK[idx] |= kExtremum;
    double l1 = l, l2 = l;
    int32_t passes = 0;
    const int32_t cap = EqdLimits().ExtremumPasses;
    for (;;) {
      ++passes;
      l2 = l1;
      l1 = l;
      l = Round7(u_.ExtrAt("I", Side, u_.ILAM));
      Trace(11, tag + " - ЗАПОЛНИМ ТОЧКИ ВОКРУГ ЭКСТРЕМУМА " + Lam(l) + " NDL=" + IntStr(u_.NDL));
      if (Insert(idx, l)) {
        Point(idx, kExtremum);
      } else {
        l = Round7((l + l1) / 2);
        if (Insert(idx, l)) Point(idx, kExtremum);
      }
      if (l == l1 || (std::fabs(l - l1) <= Tol / 1000 * (1 + 1e-9) && (l1 - l) * (l2 - l1) < 0))
        break;
      if (passes >= cap)
        Fail("STESAUTO: экстремум не найден за "_cp + IntStr(cap) + " проходов: LAM00="_cp +
                 ShortSt(11, l00) + " LAM2=" + ShortSt(11, l2) + " LAM1=" + ShortSt(11, l1),
             -1, l);
    }
    if (Side == 'R' && passes > 3)
      WARN("STESAUTO-WARN плохая сходимость при заполнении точек вокруг экстремума:\r\nK="_cp +
           IntStr(passes) + " LAM00=" + ShortSt(11, l00) + " LAM2=" + ShortSt(11, l2) +
           " LAM1=" + ShortSt(11, l1));
  }

  // The level crossings on one side.
  void Levels(char Side, double LevelStep, int32_t NLev, double Tol) {
    const bool red = Side == 'R';
    const int32_t flag = red ? kRedLevel : kBlueLevel, fin = red ? kRedFinal : kBlueFinal;
    const int32_t iR = u_.FindExtr("I", Side, u_.ILAM);
    if (iR < 1) return;
    const double rMin0 = RI(iR);
    const double dMin = (1 - rMin0) * 100;
    Trace(15, (red ? "R-Экстремум  dMin = "_cp : "L-Экстремум  dMin = "_cp) + ShortSt(8, dMin));
    const int32_t cap = EqdLimits().LevelPasses;
    for (int32_t k = 1; k <= NLev; ++k) {
      const double level = k * LevelStep;
      const double r = 1 - level / 100;
      if (level > dMin || r < rMin0) break;
      // the crossing on the grid as it stands (the profile's own wavelengths: no shift added)
      int32_t iOut = 0, iIn = 0;
      double lw = WingPoint(u_, Side, iOut, iIn, r, rMin0);
      if (lw == -1) {
        const int32_t e = red ? u_.NDL : 1;
        Fail(std::string(red ? "UNNO.WingPointR-ERR rLev Above WingR!" : "UNNO.WingPointL-ERR rLev Above WingL!") +
                 "\r\nrLev=" + ShortSt(8, r) + " rMin0=" + ShortSt(8, rMin0) + " NDL=" +
                 IntStr(u_.NDL) + (red ? " LamWingR=" : " LamWingL=") + Lam(u_.UL[e]) +
                 (red ? " WingR=" : " WingL=") + ShortSt(8, RI(e)),
             level, u_.UL[e]);
      }
      lw = Round7(lw);
      if (iOut == iIn) {
        u_.UK[iOut] |= flag;
        continue;
      }
      int32_t idx = 0;
      if (Insert(idx, lw)) {
        const int32_t want = std::max(iOut, iIn);
        if (idx != want)
          Fail("Что-то не так! LAM0="_cp + Lam(lw) + " I=" + IntStr(idx) + " I1=" +
                   IntStr(iOut) + " I2=" + IntStr(iIn) + " d%=" + ShortSt(5, level) + " J=" +
                   IntStr(k),
               level, lw);
        Point(idx, flag);
      } else {
        u_.UK[idx] |= flag;
      }
      double d = RI(idx) - r, dPrev = d;
      double l0 = lw;
      double l = Round7(WingPoint(u_, Side, iOut, iIn, r, rMin0));
      int32_t passes = 0;
      while (l != -1 && (std::fabs(l - l0) > Tol / 1000 * (1 + 1e-9) ||
                         ((dPrev > 0) == (d > 0) && l != l0))) {
        if (++passes > cap)
          Fail("STESAUTO: пересечение уровня не уточнено за "_cp + IntStr(cap) +
                   " проходов: LAM0="_cp + Lam(l0) + " LAM1=" + Lam(l),
               level, l);
        const int32_t before = idx;
        if (Insert(idx, l)) {
          Point(idx, flag);
        } else {
          if (idx == before)
            Fail(std::string(red ? "Прав.крыло"_cp : "Левое крыло"_cp) + " LAM0=" + Lam(l0) +
                     " => LAM1=" + Lam(l) + " d=" + ShortSt(5, level) +
                     " Повторный InsertLam("_cp + Lam(l) + ")!",
                 level, l);
          u_.UK[idx] |= flag;
        }
        l0 = l;
        dPrev = d;
        d = RI(idx) - r;
        l = Round7(WingPoint(u_, Side, iOut, iIn, r, rMin0));
      }
      u_.UK[idx] |= fin;
    }
  }

 private:
  TJob& job_;
  TUNNO& u_;
  double xOut_;
  int64_t points_ = 0;
  TARe ul1_ = TARe(2, 0.0), x00_;
};

}  // namespace

bool STESAUTO(TJob& Job, std::unique_ptr<TUNNO>& U, const TUNNO* Previous, TLUNNO& List,
              TUNNO*& Last) {
  TTimedSection timing("STESAUTO");
  TOptionScope opt("CONT");
  TCONT& C = Cont();
  Last = nullptr;
  Trace(1, "=== STESAUTO STARTED ===========");
  if (!U) return false;
  const double levelStep = C.LamEqD[0], wingStep = C.LamEqD[1], tol = C.LamEqD[2];
  const int32_t nLev = levelStep > 0 ? static_cast<int32_t>(100 / levelStep + 1E-7) : 0;
  const int32_t NOUT = C.AXOUT.empty() ? 0 : static_cast<int32_t>(C.AXOUT.size()) - 1;
  if (NOUT != 1) {
    WARNAbs("STESAUTO: Режим с автоматическим подбором шага по длине волны\r\nпока расчитан на "
            "расчет только одного слоя\r\nа задано слоев вывода "_cp +
            IntStr(NOUT) + "!");
    return false;
  }
  if (!Synthesis().AdvancePoint.Provided() || !Synthesis().StartDepths.Provided()) {
    cvlink::NotAvailable(Synthesis().AdvancePoint.Provided() ? "aSEX0" : "PLAM");
    return false;
  }
  if (!(wingStep > 0))
    ErrAbs("STESAUTO: шаг по крылу #LAM_eqD должен быть больше 0, а он "_cp + ShortSt(8, wingStep));
  if (!(tol > 0))
    ErrAbs("STESAUTO: точность #LAM_eqD должна быть больше 0, а она "_cp + ShortSt(8, tol));
  // the reference wavelength: the line's when the profile still has the default
  if ((U->LAMB == 0 || U->LAMB == 5000) && C.LAMB != 0) U->LAMB = C.LAMB;
  U->LAMB = Round7(U->LAMB);
  const double XOut = C.AXOUT[1];
  TEqd e(Job, *U, XOut);
  try {
    e.Start(Previous, levelStep, wingStep);
    e.Extremum('R', tol);
    e.Levels('R', levelStep, nLev, tol);
    if (U->KSym == 2) {
      e.Extremum('L', tol);
      e.Levels('L', levelStep, nLev, tol);
    }
  } catch (const TCancelled&) {
    return false;  // the half-made profile is dropped with U's owner
  }
  if (C.MCONT) U->CONT = C.MCONT->func(XOut);
  if (U->LAMB != 0 && U->CONT > 0) U->Teff = PlanckTb(U->LAMB, U->CONT);
  U->LGT = XOut;
  U->KLGT = 1;
  Last = List.Add(std::move(U));
  Trace(1, "=== STESAUTO ENDED ===========");
  return true;
}
