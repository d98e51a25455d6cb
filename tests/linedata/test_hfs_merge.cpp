// Ordered line lists and the merges of hyperfine and isotopic components: lines made from level
// energies and shifts merge back to their mÅ shifts and intensities.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLLILAM.h"
#include "support/SinkRecorder.h"

namespace {

const double kAir = 0.00028;
const double kLam = 6000.0;  // Å, vacuum over n
const double kEup = 1e8 / (kLam * (1 + kAir)) / EvToCm;

// A component of the line at kLam whose upper level is shifted to give Dl mÅ (shiftHI in mK:
// dl = -l^2 dE / 1e8 / n).
std::unique_ptr<TLIDA> Comp(const std::string& Id, double DlmA, double Share, int Iso = 0) {
  auto L = std::make_unique<TLIDA>();
  L->sIdK = Id;
  L->AT = 27;
  L->NIon = 1;
  L->ELOW = 0;
  L->EUP = kEup;
  L->JL2 = 2;
  L->JU2 = 4;
  L->LIk = std::make_unique<TLIDAk>();
  L->LIk->LabelLO = "a4F";
  L->LIk->LabelHI = "z4G";
  L->LIk->Isotope = static_cast<uint8_t>(Iso);
  L->LIk->nAir = kAir;
  L->LIk->frac = std::log10(Share);
  const double dE = -(DlmA / 1000) * 1e8 * (1 + kAir) / (kLam * kLam);
  L->LIk->shiftHI = static_cast<int32_t>(std::lround(dE * 1000));
  const double e = kEup * EvToCm + L->LIk->shiftHI / 1000.0;
  L->LIk->Lam0 = RoundDec(1e8 / (kEup * EvToCm) / (1 + kAir), 7);
  L->LAMB = RoundDec(1e8 / e / (1 + kAir), 7);
  return L;
}

TEST(HfsMerge, OrderedInsertAndDuplicates) {
  testsupport::SinkRecorder sink;
  TStringList errors;
  TLLILAM list;
  list.InsertErrors = &errors;
  for (double l : {5000.3, 5000.1, 5000.2}) {
    auto L = std::make_unique<TLIDA>();
    L->LAMB = l;
    L->sIdK = "8x" + std::to_string(static_cast<int>(l * 10));
    list.Add(std::move(L));
  }
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0].LAMB, 5000.1);
  EXPECT_EQ(list[2].LAMB, 5000.3);
  // a duplicate without components: one report line, the list unchanged
  auto d = std::make_unique<TLIDA>();
  d->LAMB = 5000.2;
  d->sIdK = "9x1";
  list.AddNamed(std::move(d), "Select");
  EXPECT_EQ(list.Count(), 3);
  ASSERT_EQ(errors.Count(), 1);
  EXPECT_EQ(errors[0], "Select 9x1 => 8x50002");
  // a duplicate with components takes the place of one without
  auto h = std::make_unique<TLIDA>();
  h->LAMB = 5000.2;
  h->sIdK = "9x2";
  h->HFS = std::make_unique<THFS>();
  h->HFS->SetN(1);
  list.Add(std::move(h));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1].sIdK, "9x2");
  // in a component list a duplicate adds its fraction
  TLLIHFS hfs;
  hfs.SetCompare(CompareByAtom);
  hfs.Add(Comp("a", 0, 0.25));
  hfs.Add(Comp("b", 0, 0.25));
  ASSERT_EQ(hfs.Count(), 1);
  EXPECT_DOUBLE_EQ(hfs[0].LIk->frac, RoundDec(std::log10(0.5), 3));
}

TEST(HfsMerge, HyperfineComponentsMergeBackToShiftsAndIntensities) {
  testsupport::SinkRecorder sink;
  TStringList errors;
  TLLIHFS all;
  all.InsertErrors = &errors;
  all.SetCompare(CompareByAtom);
  all.Add(Comp("c1", -5, 0.25));
  all.Add(Comp("c2", 0, 0.5));
  all.Add(Comp("c3", 5, 0.25));
  auto other = Comp("x", 0, 1);
  other->ELOW = 1;  // another line
  all.Add(std::move(other));
  std::unique_ptr<TLLIHFS> one;
  all.ExtractLI(all[0], one);
  ASSERT_EQ(one->Count(), 3);
  EXPECT_EQ(all.Count(), 1);  // the other line stays
  auto m = one->Shrink();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->sIdK, "c2");  // the centre
  ASSERT_TRUE(m->HFS);
  ASSERT_EQ(m->HFS->N, 3);
  EXPECT_EQ(m->NHFS, 3);
  const double shifts[] = {-5, 0, 5}, ints[] = {0.25, 0.5, 0.25};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(m->HFS->Shift[i], shifts[i - 1]);
    EXPECT_NEAR(m->HFS->Int[i], ints[i - 1], 1e-4);
  }
  EXPECT_DOUBLE_EQ(m->LAMB, RoundDec(m->LIk->Lam0, 3));
  EXPECT_NEAR(m->LIk->nAir, kAir, 1e-12);
  EXPECT_EQ(m->LIk->shiftHI, 0);
  EXPECT_EQ(m->LIk->frac, 0);
  EXPECT_EQ(errors.Count(), 0);
  // two components of the same rounded shift make one
  TLLIHFS two;
  two.Items.push_back(Comp("d1", 2, 0.5));
  two.Items.push_back(Comp("d2", 2.2, 0.5));
  auto m2 = two.Shrink();
  ASSERT_TRUE(m2);
  ASSERT_EQ(m2->HFS->N, 1);
  EXPECT_NEAR(m2->HFS->Int[1], 1, 1e-12);
  // components of different lines are refused
  TLLIHFS mixed;
  mixed.Items.push_back(Comp("e1", 0, 0.5));
  mixed.Items.push_back(Comp("e2", 1, 0.5));
  mixed.Items[1]->LIk->LabelLO = "b2H";
  EXPECT_FALSE(mixed.Shrink());
  EXPECT_TRUE(sink.Has("РАЗНЫХ"_cp));
}

TEST(HfsMerge, IsotopesMergeWithAWarningWhenTheirSharesMissOne) {
  testsupport::SinkRecorder sink;
  TStringList errors;
  TLLIHFS all;
  all.InsertErrors = &errors;
  auto a = Comp("i1", 0, 1, 63);
  a->LAMB = 6000.010;
  a->LIk->fracabund = std::log10(0.5);
  a->LIk->Isotope2 = 63;
  auto b = Comp("i2", 0, 1, 65);
  b->LAMB = 6000.020;
  b->LIk->fracabund = std::log10(0.35);
  b->LIk->Isotope2 = 65;
  all.Items.push_back(std::move(a));
  all.Items.push_back(std::move(b));
  std::unique_ptr<TLLIHFS> iso;
  all.ExtractISO(all[0], iso);
  ASSERT_EQ(iso->Count(), 2);
  EXPECT_EQ(iso->Items[0]->sIdK, "i2");  // descending wavelength
  auto m = iso->ShrinkISO();
  ASSERT_TRUE(m);
  const double lamBar = RoundDec(RoundDec((0.5 * 6000.010 + 0.35 * 6000.020) / 0.85, 7), 3);
  EXPECT_DOUBLE_EQ(m->LAMB, lamBar);
  ASSERT_EQ(m->HFS->N, 2);
  EXPECT_EQ(m->HFS->Shift[1], std::round((6000.010 - lamBar) * 1000));
  EXPECT_NEAR(m->HFS->Int[1] + m->HFS->Int[2], 1, 2e-4);
  EXPECT_NEAR(m->HFS->Int[1] / m->HFS->Int[2], 0.5 / 0.35, 1e-3);
  EXPECT_EQ(m->LIk->Isotope2, 0);
  ASSERT_EQ(errors.Count(), 1);
  EXPECT_NE(errors[0].find("WARNING"), std::string::npos);
}

}  // namespace
