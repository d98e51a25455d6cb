// The element table: symbols, the partition-function polynomial, abundances and the bundled data.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvMend.h"
#include "linedata/support/LineDataEnv.h"

namespace {

// IUPAC symbols of the elements 1 to 104.
const char* const kIupac[104] = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
    "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf"};

std::string Up(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TEST(Symbols, AgreeWithTheIupacTable) {
  for (int z = 1; z <= 104; ++z) {
    const std::string s = kIupac[z - 1];
    EXPECT_EQ(AtSymByNum(z), Up(s)) << z;
    EXPECT_EQ(AtNumBySym(s), z) << s;
    EXPECT_EQ(AtNumBySym(Up(s)), z) << s;
  }
  struct C {
    const char* sym;
    int z;
  };
  for (const C& c : {C{"fe", 26}, C{"Fe", 26}, C{"HH", 1}, C{"h", 1}, C{"H ", 1}, C{"XX", 0},
                     C{"", 0}, C{"CC", 6}, C{"V ", 23}, C{"Fe2", 26}, C{"Q", 0}})
    EXPECT_EQ(AtNumBySym(c.sym), c.z) << c.sym;
  EXPECT_EQ(AtSymByNum(104), "RF");
  EXPECT_EQ(AtSymByNum(0), "");
  EXPECT_EQ(AtSymByNum(105), "");
}

class MendTest : public LineDataEnv {};

TEST_F(MendTest, PolynomialAndItsLimits) {
  const double one[6] = {1, 0, 0, 0, 0, 0};
  for (double t : {1.0, 300.0, 5000.0, 1e6}) EXPECT_DOUBLE_EQ(POLI_LN_6(one, t), std::exp(1.0));
  const double poly[6] = {0.5, 0.25, -0.01, 0.001, 0, 0};
  const double L = std::log(5777.0);
  EXPECT_NEAR(POLI_LN_6(poly, 5777.0), std::exp(0.5 + 0.25 * L - 0.01 * L * L + 0.001 * L * L * L),
              1e-9);
  const double huge[6] = {400, 0, 0, 0, 0, 0};
  EXPECT_NEAR(POLI_LN_6(huge, 5000.0) / 1e38, 1.0, 1e-9);
  EXPECT_TRUE(WarnedWith("POLI_LN_6-OverFlow T=5000.0"));
  EXPECT_THROW(POLI_LN_6(one, 0.0), EInOutError);
  EXPECT_THROW(POLI_LN_6(one, -5.0), EInOutError);
}

TEST_F(MendTest, ResetAbundChecksEveryPairBeforeChangingAnything) {
  MEND->CreateAtoms();
  MEND->ResetAbund("FE 7.50\r\nC 8.39 \t");
  EXPECT_DOUBLE_EQ(MEND->GetAtom(26)->ABUND, 7.5);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(6)->ABUND, 8.39);
  EXPECT_EQ(MEND->NATP, 38);  // the default list was set for the sums
  EXPECT_NEAR(MEND->SumAbund, std::pow(10.0, 7.5 - 12) + std::pow(10.0, 8.39 - 12) + 36 * 1e-12,
              1e-12);
  // a bad second pair is fatal and leaves the first unchanged
  try {
    MEND->ResetAbund("FE 6.0 XQ 1.0");
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("<XQ> - 2"), std::string::npos);
  }
  EXPECT_THROW(MEND->ResetAbund("FE 6.0 C abc"), EInOutError);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(26)->ABUND, 7.5);
  // an odd last word is ignored
  MEND->ResetAbund("FE 7.45 C");
  EXPECT_DOUBLE_EQ(MEND->GetAtom(26)->ABUND, 7.45);
  EXPECT_THROW(MEND->RestoreAbund(), EInOutError);
  MEND->SetStdAbund("FE 7.50 C 8.39");
  MEND->ResetAbund("FE 7.00");
  std::string diff;
  MEND->sAbundDiff(diff);
  EXPECT_EQ(diff, "FE  7.000 ");
  MEND->RestoreAbund();
  MEND->sAbundDiff(diff);
  EXPECT_EQ(diff, "Все обилия - стандартные!"_cp);
}

TEST_F(MendTest, EmptyAbundancesGiveTheDefaults) {
  MEND->CreateAtoms();
  MEND->SetATP("");
  MEND->CalcSumAbund();
  MEND->CalcMjuPerH();
  // 38 elements of 10^-12 each are no zero: only an empty list sums to 0
  MEND->SetATP("XX");
  EXPECT_EQ(MEND->NATP, 1);
  MEND->CalcSumAbund();
  MEND->CalcMjuPerH();
  EXPECT_DOUBLE_EQ(MEND->SumAbund, 1.1);
  EXPECT_DOUBLE_EQ(MEND->MjuPerH, 1.435);
  EXPECT_DOUBLE_EQ(MEND->NH_perGramm, 1 / (1.435 * 1.660531e-24));
  EXPECT_EQ(MEND->RepIntegral()->Count(), 7);
  EXPECT_THROW(MEND->GetAtom(105), EInOutError);
  EXPECT_THROW(MEND->GetEION(26, 5), EInOutError);
}

TEST_F(MendTest, PartitionFileFillsStagesAndSkipsOthers) {
  Put("GEDA/irwin.dat",
      "h1\nh2\nh3\nh4\nh5\n"
      "26.00  3.2 0 0 0 0 0  9\n"
      "26.02  1.0 0.5 0 0 0 0  9   ! iron III\n"
      "26.03  7.0 0 0 0 0 0  9\n"  // a stage without a place: skipped
      "26.01  x 0 0 0 0 0  9\n"    // malformed: reported, the next lines still load
      "8.01   2.0 0 0 0 0 0  9\n"
      "0.00   0 0 0 0 0 0 0\n"
      "6.00   5.0 0 0 0 0 0  9\n");
  RdIRW();
  TATOM* fe = MEND->GetAtom(26);
  EXPECT_DOUBLE_EQ(fe->U[0][0], 3.2);
  EXPECT_DOUBLE_EQ(fe->U[2][0], 1.0);
  EXPECT_DOUBLE_EQ(fe->U[2][1], 0.5);
  EXPECT_DOUBLE_EQ(fe->U[1][0], 0.0);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(8)->U[1][0], 2.0);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(6)->U[0][0], 0.0);  // after the end mark
  EXPECT_NEAR(fe->CalcU(2, 100.0), std::exp(1.0 + 0.5 * std::log(100.0)), 1e-9);
  ASSERT_TRUE(WarnedWith("RdIRW"));
  EXPECT_TRUE(WarnedWith("str=9"));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].Line, 9);
}

TEST_F(MendTest, LoadAllReadsTheBundledElementTable) {
  CopyBundled("GEDA/tbmend.txt");
  CopyBundled("GEDA/abund.dat");
  CopyBundled("GEDA/irwin.dat");
  MEND->LoadAll();
  EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0]);
  for (int z = 1; z <= 104; ++z) {
    const TATOM* a = MEND->GetAtom(z);
    EXPECT_EQ(a->NElt, z);
    EXPECT_EQ(a->Name, Up(kIupac[z - 1]));
    EXPECT_GT(a->PAT, z) << z;  // heavier than its protons
    EXPECT_LT(a->PAT, 3.0 * z + 2) << z;
    if (z != 85) {
      EXPECT_GT(a->EIon[0], 3.8) << z;
    }
    // the published fits of closed-shell atoms (Zn, Xe) dip a little below their U = 1
    EXPECT_GE(a->CalcU(0, 5000), 0.99) << z;
  }
  const TATOM* fe = MEND->GetAtom(26);
  EXPECT_DOUBLE_EQ(fe->PAT, 55.845);
  EXPECT_DOUBLE_EQ(fe->EIon[0], 7.9024);
  EXPECT_DOUBLE_EQ(fe->EIon[1], 16.20);
  EXPECT_DOUBLE_EQ(fe->EIon[3], 0.0);
  EXPECT_DOUBLE_EQ(fe->ABUND, 7.50);
  // Irwin (1981): Fe I 27.80, Fe II 42.84 at 5000 K
  EXPECT_NEAR(fe->CalcU(0, 5000), 27.80, 0.01);
  EXPECT_NEAR(fe->CalcU(1, 5000), 42.84, 0.01);
  EXPECT_DOUBLE_EQ(MEND->GetAtom(1)->ABUND, 12.0);
  EXPECT_DOUBLE_EQ(MEND->GetEION(1, 1), 13.5984);
  // hydrogen, helium and the metals of the default list
  EXPECT_NEAR(MEND->SumAbund, 1.085, 0.002);
  EXPECT_NEAR(MEND->MjuPerH, 1.367, 0.005);
  EXPECT_FALSE(MEND->sStdAbund.empty());
  // every element of the ionisation list has its first two ionisation energies
  MEND->SetATI("");
  for (int z = 2; z <= 30; ++z) EXPECT_GT(MEND->GetEION(z, 2), 0.0) << z;
  EXPECT_EQ(MEND->SLAbund(5)->Strings(0), "H  12.000 HE 10.930 LI  1.050 BE  1.380 B   2.700 ");
}

}  // namespace
