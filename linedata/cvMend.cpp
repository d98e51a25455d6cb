#include "linedata/cvMend.h"

#include <cmath>

#include "linedata/cvLDServices.h"
#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLdRead.h"
#include "linedata/cvUpkeep.h"

TMEND* MEND = nullptr;

const char* const TMEND::DefaultATP =
    "H  HE LI BE C  N  O  NA MG AL SI S  CA SC TI V  CR MN FE CO NI CU ZN Y  ZR NE AR K  P  F  RB "
    "SR "
    "MO RU CD BA OS PB";
const char* const TMEND::DefaultATI = "H  HE C  O  NA MG AL SI S  FE CA NI CR K ";

namespace {

const std::string kCRLF = "\r\n";

// Two characters per element, a one-letter symbol followed by a blank.
const char kSymbols[] =
    "H HELIBEB C N O F NENAMGALSIP S CLARK CASCTIV CRMNFECONICUZNGAGEASSEBRKRRBSRY ZRNBMOTCRURHPDAG"
    "CDINSNSBTEI XECSBALACEPRNDPMSMEUGDTBDYHOERTMYBLUHFTAW REOSIRPTAUHGTLPBBIPOATRNFRRAACTHPAU NPPU"
    "AMCMBKCFESFMMDNOLRRF";
static_assert(sizeof(kSymbols) - 1 == 2 * MendSize, "104 symbols of two characters");

[[noreturn]] void AppFatal(const std::string& Text) {
  if (LineData().Fatal) LineData().Fatal(Text);
  throw EInOutError(Text + kCRLF);
}

}  // namespace

// ------------------------------------------------------------------------------------------
// Symbols

int32_t AtNumBySym(const std::string& Symbol) {
  if (Symbol.empty()) return 0;
  char a = Symbol[0];
  char b = Symbol.size() > 1 ? Symbol[1] : ' ';
  if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
  if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
  if (a == b) b = ' ';
  for (int32_t n = 0; n < MendSize; ++n)
    if (kSymbols[2 * n] == a && kSymbols[2 * n + 1] == b) return n + 1;
  return 0;
}

std::string AtSymByNum(int32_t N) {
  if (N < 1 || N > MendSize) return std::string();
  std::string s(kSymbols + 2 * (N - 1), 2);
  if (s[1] == ' ') s.resize(1);
  return s;
}

// ------------------------------------------------------------------------------------------
// Partition functions

double POLI_LN_6(const double A[6], double T) {
  if (T < 0) AppFatal("POLI_LN_6 X0=" + ReSt(T) + " логарифм отриц.числа!"_cp);
  if (T == 0) AppFatal("POLI_LN_6 X0=0 логарифм от нуля!"_cp);
  const double L = std::log(T);
  double S = 0;
  double p = 1;
  double terms[6], powers[6];
  for (int i = 0; i < 6; ++i) {
    powers[i] = p;
    terms[i] = A[i] * p;
    S += terms[i];
    p *= L;
  }
  if (S > 317.756742834) {
    std::string t =
        "POLI_LN_6-OverFlow T=" + FDecSt(1, T) + " SUM=" + ReSt(S) + kCRLF + " A[0..5]=";
    for (int i = 0; i < 6; ++i) t += ReSt(A[i]) + " ";
    t += kCRLF + "A[I]*T^I=";
    for (int i = 0; i < 6; ++i) t += IntStr(i) + "=" + FDecSt(1, terms[i]) + " ";
    t += "A[I]*T^I=" + kCRLF + "T^I=";
    for (int i = 0; i < 6; ++i) t += IntStr(i) + "=" + ReSt(powers[i]) + " ";
    WARNAbs(t);
    S = 87.498233534;
  }
  return std::exp(S);
}

void TATOM::Clear() {
  NElt = 0;
  Name.clear();
  PAT = 0;
  ABUND = 0;
  for (double& e : EIon) e = 0;
  ATP = 0;
  ATI = 0;
  for (auto& row : U)
    for (double& a : row) a = 0;
}

double TATOM::CalcU(int32_t Stage, double T) const {
  if (Stage < 0 || Stage > 2)
    AppFatal("TATOM.CalcU(" + Name + ") Stage=" + IntStr(Stage) + " вне 0..2!"_cp);
  return POLI_LN_6(U[Stage], T);
}

// ------------------------------------------------------------------------------------------
// TMEND

void CreateMEND() {
  delete MEND;
  MEND = new TMEND();
}

void FreeMEND() {
  delete MEND;
  MEND = nullptr;
}

std::unique_ptr<TMEND> TMEND::Clone() const {
  auto m = std::make_unique<TMEND>();
  m->CopyFrom(*this);
  return m;
}

void TMEND::CopyFrom(const TMEND& Other) {
  if (&Other == this) return;
  Atoms.clear();
  Atoms.reserve(Other.Atoms.size());
  for (const auto& a : Other.Atoms) Atoms.push_back(a ? std::make_unique<TATOM>(*a) : nullptr);
  NATP = Other.NATP;
  NATI = Other.NATI;
  sStdAbund = Other.sStdAbund;
  SumAbund = Other.SumAbund;
  MjuPerH = Other.MjuPerH;
  N_Gramm = Other.N_Gramm;
  NH_perGramm = Other.NH_perGramm;
}

void TMEND::CreateAtoms() {
  if (HasAtoms()) return;
  Atoms.reserve(MendSize);
  for (int32_t n = 1; n <= MendSize; ++n) {
    Atoms.push_back(std::make_unique<TATOM>());
    Atoms.back()->Clear();
  }
}

bool TMEND::Loaded() const {
  for (const auto& a : Atoms)
    if (a->NElt != 0) return true;
  return false;
}

TATOM* TMEND::GetAtom(int32_t N) {
  if (N < 1 || N > MendSize) ErrAbs("MEND.GetAtom iAT=" + IntStr(N));
  CreateAtoms();
  return Atoms[static_cast<size_t>(N - 1)].get();
}

double TMEND::GetEION(int32_t N, int32_t K) {
  if (N < 1 || N > MendSize) ErrAbs("MEND.GetEION iAT=" + IntStr(N));
  if (K < 1 || K > 4) ErrAbs("MEND.GetEION NION=" + IntStr(K));
  return GetAtom(N)->EIon[K - 1];
}

void TMEND::LoadAll() {
  NATP = 0;
  NATI = 0;
  LoadTBMend();
  AbundToMend();
  RdIRW();
}

void TMEND::SetMarks(const std::string& List, bool Atp) {
  std::vector<std::string> w = SplitWords(List);
  if (w.empty()) w = SplitWords(Atp ? DefaultATP : DefaultATI);
  CreateAtoms();
  for (auto& a : Atoms) (Atp ? a->ATP : a->ATI) = 0;
  (Atp ? NATP : NATI) = static_cast<int32_t>(w.size());
  for (const std::string& s : w) {
    const int32_t n = AtNumBySym(s);
    if (n > 0) (Atp ? GetAtom(n)->ATP : GetAtom(n)->ATI) = 1;
  }
}

void TMEND::SetATP(const std::string& List) { SetMarks(List, true); }
void TMEND::SetATI(const std::string& List) { SetMarks(List, false); }

void TMEND::ResetAbund(const std::string& S) {
  const std::vector<std::string> w = SplitWords(S);
  std::vector<std::pair<int32_t, double>> pairs;
  for (size_t k = 0; k + 1 < w.size(); k += 2) {
    const std::string& sym = w[k];
    const std::string& val = w[k + 1];
    const int32_t no = static_cast<int32_t>(k / 2) + 1;
    const int32_t n = AtNumBySym(sym);
    if (n == 0)
      ErrAbs("MEND.ResetAbund " + kCRLF + "[" + S + "]" + kCRLF + "не найден Атом с именем <"_cp +
             sym + "> - " + IntStr(no) + "-й по порядку"_cp);
    double v = 0;
    if (!WordReal(val, v))
      ErrAbs("MEND.ResetAbund " + kCRLF + "[" + S + "]" + kCRLF +
             "не удается преобразовать в число строку <"_cp + val + "> для Атома <"_cp + sym +
             "> - " + IntStr(no) + "-ого по порядку"_cp);
    pairs.emplace_back(n, v);
  }
  for (const auto& p : pairs) GetAtom(p.first)->ABUND = p.second;
  CalcSumAbund();
  CalcMjuPerH();
}

void TMEND::SetStdAbund(const std::string& S) {
  ResetAbund(S);
  sStdAbund = S;
}

void TMEND::RestoreAbund() {
  if (sStdAbund.empty()) AppFatal("TMEND.ResetAbund - исходная строка обилий еще не задана!!!"_cp);
  ResetAbund(sStdAbund);
}

double TMEND::CalcSumAbund() {
  if (NATP == 0) SetATP("");
  double s = 0;
  for (const auto& a : Atoms)
    if (a->ATP == 1) s += Exp10(a->ABUND - 12);
  SumAbund = s;
  CalcMeans();
  return SumAbund;
}

double TMEND::CalcMjuPerH() {
  if (NATP == 0) SetATP("");
  double s = 0;
  for (const auto& a : Atoms)
    if (a->ATP == 1) s += Exp10(a->ABUND - 12) * a->PAT;
  MjuPerH = s;
  CalcMeans();
  return MjuPerH;
}

void TMEND::CalcMeans() {
  if (SumAbund == 0) SumAbund = DefaultSumAbund;
  if (MjuPerH == 0) MjuPerH = DefaultMjuPerH;
  N_Gramm = 1 / ((MjuPerH / SumAbund) * AMU);
  NH_perGramm = 1 / (MjuPerH * AMU);
}

std::unique_ptr<TStringList> TMEND::AbundRows(int32_t N, bool AtpOnly) const {
  auto sl = std::make_unique<TStringList>();
  std::string row;
  int32_t k = 0;
  for (size_t i = 0; i < Atoms.size(); ++i) {
    const TATOM& a = *Atoms[i];
    if (a.ABUND == 0 || (AtpOnly && a.ATP != 1)) continue;
    const std::string sym = a.Name.empty() ? AtSymByNum(static_cast<int32_t>(i) + 1) : a.Name;
    row += PadRight(sym, 3) + FSt(6, 3, a.ABUND) + " ";
    if (++k == N) {
      sl->Add(row);
      row.clear();
      k = 0;
    }
  }
  if (!row.empty()) sl->Add(row);
  return sl;
}

std::unique_ptr<TStringList> TMEND::SLAbund(int32_t N) const { return AbundRows(N, false); }
std::unique_ptr<TStringList> TMEND::SLAbundATP(int32_t N) const { return AbundRows(N, true); }

void TMEND::sAbundDiff(std::string& Text) const {
  if (sStdAbund.empty()) {
    Text = "Стандартные обилия не заданы!"_cp;
    return;
  }
  Text.clear();
  const std::vector<std::string> w = SplitWords(sStdAbund);
  for (size_t k = 0; k + 1 < w.size(); k += 2) {
    const int32_t n = AtNumBySym(w[k]);
    double v = 0;
    if (n == 0 || !WordReal(w[k + 1], v) || Atoms.empty()) continue;
    const TATOM& a = *Atoms[static_cast<size_t>(n - 1)];
    if (a.ABUND != v) Text += PadRight(AtSymByNum(n), 3) + FSt(6, 3, a.ABUND) + " ";
  }
  if (Text.empty()) Text = "Все обилия - стандартные!"_cp;
}

std::unique_ptr<TStringList> TMEND::RepIntegral() const {
  auto sl = std::make_unique<TStringList>();
  const double MjuMean = MjuPerH / SumAbund;
  const double m_Mean = MjuMean * AMU;
  sl->Add("ТАБЛИЦА МЕНДЕЛЕЕВА - ИНТЕГРАЛЬНЫЕ ДАННЫЕ"_cp);
  sl->Add(ReSt(SumAbund) + " = отнош.числа всех атомов к числу ат.водорода \"SumAbund\" []"_cp);
  sl->Add(ReSt(MjuPerH) + " = СРЕДНЯЯ АТ.МАССА НА 1 АТОМ ВОДОРОДА \"MjuPerH\" [а.е.м.]"_cp);
  sl->Add(ReSt(MjuMean) + " = средний атомный вес частицы \"MjuMean\" [а.е.м.]"_cp);
  sl->Add(ReSt(m_Mean) + " = средняя масса частицы \"m_Mean\" [г]"_cp);
  sl->Add(ReSt(N_Gramm) + " = число атомов всех видов в грамме \"N_Gramm\" [1/г]"_cp);
  sl->Add(ReSt(NH_perGramm) + " = число атомов водорода в грамме \"NH_perGramm\" [1/г]"_cp);
  return sl;
}

// ------------------------------------------------------------------------------------------
// The partition-function file

void RdIRW() { RdIRWFrom(LineData().DirOf("GEDA", "IRWIN")); }

void RdIRWFrom(const std::string& FileName) {
  if (Sayer) Sayer->ChanLog(1, "RdIRW STARTED");
  if (!MEND) CreateMEND();
  MEND->CreateAtoms();
  TCIL r;
  LoadDataFile(r, FileName, "RdIRW");
  TLineErrors bad(r, "RdIRW");
  r.SkipLines(5);
  for (;;) {
    r.NextLine();
    if (r.Line.empty()) break;
    std::string w = r.GetWord();
    double v = 0;
    if (!WordReal(w, v)) {
      bad.Add("не число <"_cp + w + ">");
      continue;
    }
    const int32_t Z = static_cast<int32_t>(std::trunc(v));
    if (Z == 0) break;
    if (Z < 1 || Z > MendSize) continue;
    const int32_t s = static_cast<int32_t>(std::nearbyint((v - Z) * 100));
    double a[6];
    bool ok = true;
    for (int i = 0; i < 6 && ok; ++i) {
      w = r.GetWord();
      if (!WordReal(w, a[i])) {
        bad.Add("коэффициент a"_cp + IntStr(i) + " не число <"_cp + w + ">");
        ok = false;
      }
    }
    if (!ok) continue;
    r.GetWord();  // one more value, not used
    // stages above 2 have no place in the table
    if (s < 0 || s > 2) continue;
    for (int i = 0; i < 6; ++i) MEND->GetAtom(Z)->U[s][i] = a[i];
  }
  r.Unload();
  bad.Report();
}
