#include "linedata/cvZeeman.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLIDA.h"

namespace {
const std::string kCrLf = "\r\n";

std::string JText(int32_t J2) { return J2 % 2 != 0 ? IntStr(J2) + "/2" : IntStr(J2 / 2); }

bool ParseInt(const std::string& W, int32_t& V) {
  int32_t code = 0;
  V = ValIntCode(W, code);
  return code == 0;
}

bool ParseReal(const std::string& W, double& V) {
  int32_t code = 0;
  V = ValRealCode(W, code);
  return code == 0 && std::isfinite(V);
}
}  // namespace

bool TZEEMAN::SetRUNGE(double JL, double GL_, double JU, double GU_) {
  if (2 * JL != std::nearbyint(2 * JL) || 2 * JU != std::nearbyint(2 * JU)) {
    WARNAbs("TZEEMAN.SetRUNGE-F-ПЛОХОЕ СОЧЕТАНИЕ JL И JU:"_cp + RoundStr(JL) + " " + RoundStr(JU));
    return false;
  }
  if (GL_ < -2 || GL_ > 5 || GU_ < -2 || GU_ > 5)
    WARNAbs("TZEEMAN.SetRUNGE-W-ФАКТОРЫ ЛАНДЕ УРОВНЕЙ GL,GU за пределами [-2.0 .. 5.0]: "_cp +
            FSt(6, 3, GL_) + " " + FSt(6, 3, GU_));
  const int32_t dJ = static_cast<int32_t>(std::nearbyint(JU - JL));
  if (dJ < -1 || dJ > 1) {
    WARNAbs("TZEEMAN.SetRUNGE-W-РАЗНИЦА УГЛОВЫХ МОМЕНТОВ"_cp + kCrLf +
            "JU - JL вне разрешенных переходов -1/0/+1"_cp + kCrLf + "JU-JL=" +
            ShortSt(5, JU - JL) + ", где JL="_cp + ShortSt(3, JL) + ", JU=" + ShortSt(3, JU));
    return false;
  }
  // built aside, stored only when complete
  TZEEMAN p;
  p.Name = Name;
  p.JL2 = static_cast<int32_t>(std::nearbyint(2 * JL));
  p.JU2 = static_cast<int32_t>(std::nearbyint(2 * JU));
  p.GL = GL_;
  p.GU = GU_;
  auto tooMany = [&] {
    ErrAbs("SetRUNGE-Err " + Name + " ЧИСЛО КОМПОНЕНТ > MAXCOMP="_cp + "25" + kCrLf +
           "Исправьте константу в программе!"_cp);
  };
  const double J0 = std::min(JL, JU);
  for (double M = J0 - std::trunc(J0); M <= J0; M += 1) {
    double s = dJ == -1 ? JL * JL - M * M : dJ == 0 ? M * M : JU * JU - M * M;
    if (GL_ == GU_ && M != 0) s *= 2;
    if (s == 0) continue;
    if (p.NCOMP >= MAXCOMP) tooMany();
    ++p.NCOMP;
    p.Shift[p.NCOMP] = std::fabs(GL_ - GU_) * M;
    p.Strength[p.NCOMP] = s;
  }
  p.NPI = p.NCOMP;
  for (double ML = JL; ML - 1 >= -JU; ML -= 1) {
    const double MU = ML - 1;
    if (p.NCOMP >= MAXCOMP) tooMany();
    ++p.NCOMP;
    p.Shift[p.NCOMP] = GL_ * ML - GU_ * MU;
    p.Strength[p.NCOMP] = dJ == -1  ? (JL + ML) * (JL + ML - 1) / 4
                          : dJ == 0 ? (JL + ML) * (JL - ML + 1) / 4
                                    : (JL - ML + 1) * (JL - ML + 2) / 4;
  }
  // neighbours at the same position merge
  auto remove = [&p](int32_t i) {
    for (int32_t k = i; k < p.NCOMP; ++k) {
      p.Shift[k] = p.Shift[k + 1];
      p.Strength[k] = p.Strength[k + 1];
    }
    p.Shift[p.NCOMP] = p.Strength[p.NCOMP] = 0;
    --p.NCOMP;
  };
  for (int32_t i = 1; i < p.NPI;) {
    if (std::fabs(p.Shift[i] - p.Shift[i + 1]) < 1e-4) {
      p.Strength[i] += p.Strength[i + 1];
      remove(i + 1);
      --p.NPI;
    } else {
      ++i;
    }
  }
  for (int32_t i = p.NPI + 1; i < p.NCOMP;) {
    if (std::fabs(p.Shift[i] - p.Shift[i + 1]) < 1e-4) {
      p.Strength[i] += p.Strength[i + 1];
      remove(i + 1);
    } else {
      ++i;
    }
  }
  double P1 = 0, P2 = 0;
  for (int32_t k = 1; k <= p.NPI; ++k) P1 += p.Shift[k] == 0 ? p.Strength[k] / 2 : p.Strength[k];
  for (int32_t k = p.NPI + 1; k <= p.NCOMP; ++k) P2 += p.Strength[k];
  // no sigma strength (J 0 -> 0): the operation stops here, the pattern stays as it was
  if (P2 == 0) ErrAbs("SetRUNGE-Err " + Name + " Сумма Sigma-компонент = 0!"_cp);
  if (std::fabs(P1 / P2 - 1) > 1e-4) {
    std::string t = "SetRUNGE-W- " + Name + " НОРМИРОВКА НЕ СХОДИТСЯ НА "_cp +
                    FSt(6, 3, (P1 / P2 - 1) * 100) + " ПРОЦЕНТОВ"_cp + kCrLf +
                    "JL=" + HalfStr(p.JL2) + " JU=" + HalfStr(p.JU2) + kCrLf + "GL=" +
                    FSt(5, 3, GL_) + " GU=" + FSt(5, 3, GU_) + kCrLf + "P1=" + ShortSt(7, P1) +
                    " P2=" + ShortSt(7, P2) + kCrLf + kCrLf + "текущий ZEE="_cp + kCrLf;
    auto rl = p.ReportLines();
    for (int32_t i = 0; i < rl->Count(); ++i) t += (i ? kCrLf : "") + (*rl)[i];
    WARNAbs(t);
  }
  for (int32_t k = 1; k <= p.NCOMP; ++k) p.Strength[k] = p.Strength[k] / (P1 + P2) / 2;
  *this = p;
  return true;
}

void TZEEMAN::SetByHand(const std::string& Text) {
  std::string work = Text, comment;
  const size_t bang = Text.find('!');
  if (bang != std::string::npos) {
    work = Text.substr(0, bang);
    comment = Text.substr(bang + 1);
  }
  Name = "ERROR";
  auto fail = [&](const std::string& Msg) {
    WARNAbs("TZEEMAN.SetByHand <" + work + ">! " + Msg + kCrLf + "Пример строки описания:"_cp +
            kCrLf + "#ZEE 2 1   5 0 2   4 1 1 =# ! NCOMP=2,NPI=1  (0,2)/5  (1,1)/4");
  };
  const std::vector<std::string> w = SplitWords(work);
  const int32_t nw = static_cast<int32_t>(w.size());
  if (nw < 2) return fail("Не хватает параметров!"_cp);
  int32_t n1 = 0, n2 = 0;
  if (!ParseInt(w[0], n1)) return fail("Ошибка в параметре J21 (или NCOMP)!"_cp);
  if (!ParseInt(w[1], n2)) return fail("Ошибка в параметре J22 (или NPI)!"_cp);
  if (nw == 4) {
    double g1 = 0, g2 = 0;
    for (int k = 2; k < 4; ++k) {
      double& g = k == 2 ? g1 : g2;
      if (!ParseReal(w[static_cast<size_t>(k)], g)) {
        WARNAbs("слово <"_cp + w[static_cast<size_t>(k)] + "> из строки <"_cp + work +
                "> - не REAL!"_cp);
        return;
      }
    }
    SetRUNGE(n1 / 2.0, g1, n2 / 2.0, g2);
    Name = comment.substr(0, 13);
    return;
  }
  const int32_t ncomp = n1, npi = n2;
  if (ncomp < npi) return fail("Параметров NCOMP меньше, чем параметров NPI!"_cp);
  if (ncomp > MAXCOMP || ncomp < 0 || npi < 0)
    return fail("Число компонент NCOMP="_cp + IntStr(ncomp) + " вне пределов 0.."_cp +
                IntStr(MAXCOMP) + "!");
  const int32_t need = (ncomp + 1) * 2 + 2;
  if (nw != need)
    return fail("Если NCOMP="_cp + IntStr(ncomp) + " то должно быть "_cp + kCrLf +
                "(NCOMP + 1) * 2 + 2 = NPARAM т.е. "_cp + IntStr(need) + " = " + IntStr(nw) +
                " что не соблюдается!"_cp);
  // the two denominators first: a zero one stores nothing
  double den = 0, sden = 0;
  const std::string& wDen = w[2];
  const std::string& wSDen = w[static_cast<size_t>(3 + ncomp)];
  const bool denOk = ParseReal(wDen, den);
  if (denOk && den == 0) return fail("Ошибка в знаменателе дроби Рунге <"_cp + wDen + ">!");
  if (ParseReal(wSDen, sden) && sden == 0)
    return fail("Ошибка в знаменателе нормировки <"_cp + wSDen + ">!");
  if (!denOk) return fail("Ошибка в знаменателе дроби Рунге <"_cp + wDen + ">!");
  for (int32_t i = 1; i <= ncomp; ++i) {
    const std::string& wi = w[static_cast<size_t>(2 + i)];
    double d = 0;
    if (!ParseReal(wi, d))
      return fail("Ошибка в числителе "_cp + IntStr(i) + " дроби Рунге <"_cp + wi + ">!");
    Shift[i] = d / den;
  }
  if (!ParseReal(wSDen, sden)) return fail("Ошибка в знаменателе нормировки <"_cp + wSDen + ">!");
  for (int32_t i = 1; i <= ncomp; ++i) {
    const std::string& wi = w[static_cast<size_t>(3 + ncomp + i)];
    double s = 0;
    if (!ParseReal(wi, s))
      return fail("Ошибка в числителе "_cp + IntStr(i) + " дроби нормировки <"_cp + wi + ">!");
    Strength[i] = s / sden;
  }
  Name = "HAND_ZEE";
  NCOMP = ncomp;
  NPI = npi;
}

double TZEEMAN::GetGEff() const {
  double s = 0;
  for (int32_t k = NPI + 1; k <= NCOMP; ++k) s += Shift[k] * Strength[k];
  return 4 * s;
}

std::string TZEEMAN::GeffMomentsStr() const {
  const double JL = JL2 / 2.0, JU = JU2 / 2.0;
  const double c = JL * (JL + 1), d = JU * (JU + 1), s = c + d, dd = c - d, g = GL - GU;
  const double geff = (GL + GU) / 2 + (GL - GU) * dd / 4;
  const double V0 = g * g * (3 * s - dd * dd - 2) / 10;
  const double V1 = g * g * (8 * s - dd * dd - 12) / 80;
  const double W1 = g * g * g * dd * (4 - dd * dd) / 160;
  return (Name.empty() ? std::string("XXXX") : Name) + " geff= " + ShortSt(6, geff) +
         " V0= " + ShortSt(6, V0) + " V1= " + ShortSt(6, V1) + " W1= " + ShortSt(6, W1);
}

std::unique_ptr<TStringList> TZEEMAN::ReportLines() const {
  auto sl = std::make_unique<TStringList>();
  sl->Add("NCOMP=" + I64PadSt(3, NCOMP) + " NPI=" + I64PadSt(2, NPI) + " J1=" + JText(JL2) +
          " J2=" + JText(JU2) + " G1=" + ShortSt(5, GL) + " G2=" + ShortSt(5, GU));
  auto join = [](const double* a, int32_t from, int32_t to) {
    std::string s;
    for (int32_t k = from; k <= to; ++k) s += (k > from ? "," : "") + FSt(6, 3, a[k]);
    return s;
  };
  sl->Add(" РАСЩЕПЛЕНИЯ : "_cp);
  sl->Add("(" + join(Shift, 1, NPI) + " )");
  sl->Add(" " + join(Shift, NPI + 1, NCOMP));
  sl->Add(" ОТНОСИТЕЛЬНЫЕ ИНТЕНСИВНОСТИ :"_cp);
  sl->Add("(" + join(Strength, 1, NPI) + " )");
  sl->Add(" " + join(Strength, NPI + 1, NCOMP));
  return sl;
}

std::unique_ptr<TStringList> TZEEMAN::Report() const {
  auto sl = ReportLines();
  sl->Add("  G_EFF = " + ShortSt(6, GetGEff()));
  sl->Add(GeffMomentsStr());
  sl->Add(IntStr(JL2) + " " + IntStr(JU2) + " " + ShortSt(6, GL) + " " + ShortSt(6, GU) + " !" +
          Name);
  return sl;
}

void TZEEMAN::Clear() {
  Name.clear();
  NPI = 0;
  JL2 = JU2 = 0;
  GL = GU = 0;
  for (int32_t k = 1; k <= NCOMP && k <= MAXCOMP; ++k) Shift[k] = Strength[k] = 0;
  NCOMP = 0;
}

void TZEEMAN::LoadClone(const TZEEMAN& S) {
  Name = S.Name;
  NCOMP = S.NCOMP;
  NPI = S.NPI;
  JL2 = S.JL2;
  JU2 = S.JU2;
  GL = S.GL;
  GU = S.GU;
  for (int32_t k = 1; k <= NCOMP && k <= MAXCOMP; ++k) {
    Shift[k] = S.Shift[k];
    Strength[k] = S.Strength[k];
  }
}

void ZeeLoadClone(TZEEMAN* Self, const TZEEMAN& Source) {
  if (!Self) {
    WARNAbs("перед TZEEMAN.LoadClone(LIN8=<"_cp + Source.Name + "> Self NOT ASSIGNED!");
    return;
  }
  Self->LoadClone(Source);
}

void ZeeSetRunge(const std::string& AName, TZEEMAN& Pattern, double JL, double JU, double GL,
                 double GU) {
  Pattern.Name = AName.substr(0, 13);
  if (!Pattern.SetRUNGE(JL, GL, JU, GU))
    ErrAbs("1SetRUNGE-F- Не удается посчитать дробь рунге для "_cp + Pattern.Name);
  for (int32_t k = 1; k <= Pattern.NPI; ++k)
    if (Pattern.Shift[k] == 0) Pattern.Strength[k] /= 2;
}

void ZeeSetLine(TLIDA& Line) {
  ZeeSetRunge(Line.GetName(), Line.Zee, Line.JL2 / 2.0, Line.JU2 / 2.0, Line.GL, Line.GU);
}

void ZeePatternNumbers(const std::string& Name, int32_t JL2, double GL, int32_t JU2, double GU,
                       int32_t& NComp, int32_t& NPi, double& GEff) {
  TZEEMAN z;
  ZeeSetRunge(Name, z, JL2 / 2.0, JU2 / 2.0, GL, GU);
  NComp = z.NCOMP;
  NPi = z.NPI;
  GEff = z.GetGEff();
}
