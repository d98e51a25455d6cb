// Line records, Kurucz line lists, line sets, lg gf sources and the Kurucz import.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvUpkeep.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"

namespace {

// One catalogue line's values; FormA writes it in the 10-column layout (159 columns).
struct TCat {
  double LamNm, LgGf, Code, E1, J1;
  const char* L1;
  double E2, J2;
  const char* L2;
  double Rad, Stark, Waals;
  const char* Ref;
  int Nlte1, Nlte2;
  int Hs1, Hs2;
  const char* Notes;  // columns 134..139
  int G1, G2;
};

std::string FormA(const TCat& c) {
  char b[256];
  std::snprintf(b, sizeof b,
                "%10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                c.LamNm, c.LgGf, c.Code, c.E1, c.J1, c.L1, c.E2, c.J2, c.L2, c.Rad, c.Stark,
                c.Waals, c.Ref, c.Nlte1, c.Nlte2, 0, 0.0, 0, 0.0, c.Hs1, c.Hs2, c.Notes, c.G1,
                c.G2, 0);
  return b;
}

// The Fe I pair as published (first level the upper one), a Ti II line with every optional
// field, and a Ca I line whose first level is the lower one.
const TCat kFe6301{630.1501, -0.718, 26.00, 45333.872, 2.0, "4s5s e5D",  29469.022, 2.0,
                   "4s4p z5P", 7.93,   -5.46, -7.58,     "K88", 0,       0,         0,
                   0,          "",     1503,  1835};
const TCat kFe6302{630.2494, -1.131, 26.00, 45595.083, 0.0, "4s5s e5D", 29732.734, 1.0,
                   "4s4p z5P", 7.93,   -5.43, -7.59,     "",  0,         0,         0,
                   0,          "",     0,     2487};
const TCat kTi2{450.1270, -0.770, 22.01, 21897.380, 4.5, "3d6 4s2  a", 1215.840, 3.5, "a4F",
                8.08,     -6.48,  -7.82, "GFLL",    12,  34,           10,       -20, " A1 B2",
                1080,     1050};
const TCat kCa1{616.2173, -0.089, 20.00, 15315.943, 2.0, "4s4p z3P", 31539.495, 1.0,
                "4s5s e3S", 7.95,   -5.07, -7.29,     "",  0,         0,         0,
                0,          "",     1500,  2000};

class LinesTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    CreateLineLists();
    LineData().KuruczFolder.Install([this] { return Root("KUR") + "/"; });
    LineData().LineFilesFolder.Install([this] { return Root("LW") + "/"; });
  }
  void TearDown() override {
    KurLineByIdClose();
    FreeLineLists();
    LineDataEnv::TearDown();
  }
  bool Warned(const std::string& Utf8) {
    for (const std::string& w : warnings)
      if (w.find(Utf8) != std::string::npos) return true;
    return false;
  }
  // DM on a new database of the test root (the demo tables copied first when asked).
  void OpenDb(bool Demo) {
    if (Demo) {
      CopyBundled("GEDA/demo/Lines_.txt");
      CopyBundled("GEDA/demo/LGGF.txt");
    }
    ASSERT_TRUE(DM->Connect(Root("GEDA/cv.db")));
  }
};

TEST_F(LinesTest, CatalogueLinesInBothLayoutsGiveEveryField) {
  for (const TCat* c : {&kFe6301, &kFe6302, &kTi2, &kCa1})
    for (const bool wide : {false, true}) {
      SCOPED_TRACE(std::string(c->L1) + (wide ? " 160" : " 159"));
      const std::string text = (wide ? " " : "") + FormA(*c);
      ASSERT_EQ(text.size(), wide ? 160u : 159u);
      TLIDA L;
      TLIDAk K;
      ASSERT_TRUE(ParseKurLine("8x000001", "f", KurCatalogueLine(text), K, L, 1));
      const bool oneUp = c->E1 > c->E2;
      EXPECT_EQ(L.sIdK, "8x000001");
      EXPECT_EQ(L.AT * 100 + L.NIon - 1, std::lround(c->Code * 100));
      EXPECT_DOUBLE_EQ(L.LAMB, std::round(c->LamNm * 10 * 1e7) / 1e7);
      EXPECT_DOUBLE_EQ(L.LGGF, c->LgGf);
      EXPECT_NEAR(L.ELOW * EvToCm, oneUp ? c->E2 : c->E1, 1e-9);
      EXPECT_NEAR(L.EUP * EvToCm, oneUp ? c->E1 : c->E2, 1e-9);
      EXPECT_EQ(L.JL2, std::lround(2 * (oneUp ? c->J2 : c->J1)));
      EXPECT_EQ(L.JU2, std::lround(2 * (oneUp ? c->J1 : c->J2)));
      EXPECT_DOUBLE_EQ(L.GL, (oneUp ? c->G2 : c->G1) / 1000.0);
      EXPECT_DOUBLE_EQ(L.GU, (oneUp ? c->G1 : c->G2) / 1000.0);
      auto label = [](const char* s) {
        std::string t = s;
        while (!t.empty() && t.back() == ' ') t.pop_back();
        for (char& ch : t)
          if (ch == ' ') ch = '_';
        return t;
      };
      EXPECT_EQ(K.LabelLO, label(oneUp ? c->L2 : c->L1));
      EXPECT_EQ(K.LabelHI, label(oneUp ? c->L1 : c->L2));
      EXPECT_EQ(K.NonLTElo, oneUp ? c->Nlte2 : c->Nlte1);
      EXPECT_EQ(K.NonLTEhi, oneUp ? c->Nlte1 : c->Nlte2);
      EXPECT_EQ(K.shiftLO, oneUp ? c->Hs2 : c->Hs1);
      EXPECT_EQ(K.shiftHI, oneUp ? c->Hs1 : c->Hs2);
      EXPECT_DOUBLE_EQ(L.Rad, c->Rad);
      EXPECT_DOUBLE_EQ(L.Stark, c->Stark);
      EXPECT_DOUBLE_EQ(L.Waals, c->Waals);
      EXPECT_EQ(L.LGGFSrc, (std::string(c->Ref) + "    ").substr(0, 4));
      if (c->Hs1 == 0 && c->Hs2 == 0) {
        EXPECT_NEAR(K.HFShift, 0, 1e-3);
        EXPECT_NEAR(K.nAir, 1e8 / (L.EUP - L.ELOW) / EvToCm / L.LAMB - 1, 1e-12);
      }
    }
  // the Ti II line's notes: level 1 (the upper) carries "A1", level 2 "B2"
  TLIDA L;
  TLIDAk K;
  ASSERT_TRUE(ParseKurLine("x", "f", FormA(kTi2), K, L, 1));
  EXPECT_EQ(K.hfHI + K.hfNoteHI + K.hfLO + K.hfNoteLO, "A1B2");
  EXPECT_EQ(K.LabelHI, "3d6_4s2__a");
}

TEST_F(LinesTest, PredictedLevelsOrderAndConvertByMagnitude) {
  TCat c = kFe6301;
  c.E1 = -45333.872;  // a predicted upper level
  TLIDA L;
  TLIDAk K;
  ASSERT_TRUE(ParseKurLine("x", "f", FormA(c), K, L, 1));
  EXPECT_NEAR(L.ELOW * EvToCm, 29469.022, 1e-9);
  EXPECT_NEAR(L.EUP * EvToCm, 45333.872, 1e-9);
  TStringList v, n;
  KurSplitFixed(FormA(c), v, n);
  ASSERT_EQ(v.Count(), 33);
  EXPECT_EQ(n[3], "AtIo");
  const auto S = KuruczSLtoLI("8x000001", v);
  EXPECT_NEAR(S->ELOW * EvToCm, 29469.022, 1e-9);
  EXPECT_NEAR(S->EUP * EvToCm, 45333.872, 1e-9);
  EXPECT_DOUBLE_EQ(S->GL, 1.835);
  EXPECT_EQ(S->GLT, 'L');
  EXPECT_EQ(S->GUT, 'L');
}

TEST_F(LinesTest, UnreadableFieldIsNamedEmptyDampingIsZero) {
  TCat c = kFe6301;
  c.Rad = c.Stark = c.Waals = 0;
  std::string t = FormA(c);
  t.replace(79, 18, std::string(18, ' '));  // damping columns blank
  TLIDA L;
  TLIDAk K;
  ASSERT_TRUE(ParseKurLine("x", "f", t, K, L, 1));
  EXPECT_EQ(L.Rad, 0);
  EXPECT_TRUE(warnings.empty());
  t.replace(10, 7, std::string(7, ' '));  // lg gf blank
  EXPECT_FALSE(ParseKurLine("x", "band.100", t, K, L, 17));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(Warned("lg(GF) из файла band.100"));
  EXPECT_TRUE(Warned("в строке 17 lg(GF) = <>"));
}

TEST_F(LinesTest, FormCAndDumpRoundTrip) {
  TLIDA L;
  L.AT = 26;
  L.NIon = 2;
  L.LAMB = 6302.494;
  L.LGGF = -1.131;
  L.ELOW = 3.6864261;
  L.EUP = 5.6531265;
  L.JL2 = 3;
  L.JU2 = 5;
  L.GL = 2.487;
  L.GU = 1.5;
  L.Rad = 7.93;
  L.Stark = -5.43;
  L.Waals = -7.59;
  L.LGGFSrc = "K88";
  L.DHM = 45.67;
  L.DCV = 50.12;
  L.WHM = 123.4;
  L.WCV = 130.5;
  L.EWAN = 1;
  L.LIk = std::make_unique<TLIDAk>();
  L.LIk->LabelLO = "3d6_4s2__a";
  L.LIk->LabelHI = "z5P";
  L.LIk->NonLTElo = 3;
  L.SetHFS("3 -120 0 150 2500 5000 2500");
  L.NHFS = 3;
  const std::string c = L.sKurDumpHF();
  TLIDA R;
  TLIDAk K;
  ASSERT_TRUE(ParseKurLineExt("63w0001", "lw", c, K, R, 1)) << c;
  EXPECT_DOUBLE_EQ(R.LAMB, 6302.494);
  EXPECT_NEAR(R.ELOW, L.ELOW, 1e-3 / EvToCm);
  EXPECT_NEAR(R.EUP, L.EUP, 1e-3 / EvToCm);
  EXPECT_EQ(R.JL2, 3);
  EXPECT_EQ(R.JU2, 5);
  EXPECT_DOUBLE_EQ(R.GL, 2.487);
  EXPECT_DOUBLE_EQ(R.DHM, 45.67);
  EXPECT_DOUBLE_EQ(R.WCV, 130.5);
  EXPECT_EQ(R.LIk->LabelLO, "3d6_4s2__a");
  EXPECT_EQ(R.LIk->NonLTElo, 3);
  EXPECT_EQ(R.LGGFSrc, "K88 ");
  ASSERT_TRUE(R.HFS);
  ASSERT_EQ(R.HFS->N, 3);
  // mÅ in Form C, 0.1 mÅ in the component string
  EXPECT_DOUBLE_EQ(R.HFS->Shift[1], -12);
  EXPECT_DOUBLE_EQ(R.HFS->Shift[3], 15);
  EXPECT_DOUBLE_EQ(R.HFS->Int[2], 0.5);

  // the dump line: empty Ids and blank kind codes keep every later token in place
  L.GLT = ' ';
  L.GUT = ' ';
  L.dLGGF = 0.05;
  L.ARad = 1.5e8;
  const std::string d = L.sDump();
  TLIDA D;
  D.LoadSDump(d);
  EXPECT_EQ(D.sIdK, "");
  EXPECT_EQ(D.LIN6, "");
  EXPECT_EQ(D.Mult, "9999");
  EXPECT_EQ(D.GLT, ' ');
  EXPECT_DOUBLE_EQ(D.dLGGF, 0.05);
  EXPECT_DOUBLE_EQ(D.DCV, 50.12);
  EXPECT_DOUBLE_EQ(D.ARad, 1.5e8);
  EXPECT_EQ(D.LIk->LabelLO, "3d6 4s2  a");
  EXPECT_EQ(D.NHFS, 3);
  ASSERT_TRUE(D.HFS);  // the component list the dump wrote comes back
  EXPECT_DOUBLE_EQ(D.HFS->Shift[1], -12);
  EXPECT_DOUBLE_EQ(D.HFS->Int[3], 0.25);
  EXPECT_EQ(D.sDump(), d);
  // one blank kind code, and a dump written without the token (both blank) still loads
  L.GUT = 'L';
  TLIDA E;
  E.LoadSDump(L.sDump());
  EXPECT_EQ(E.GLT, ' ');
  EXPECT_EQ(E.GUT, 'L');
  std::string old = d;
  old.replace(old.find(" <> 0 0 ") != std::string::npos ? old.find(" <> 0 0 ") : 0, 3, "");
  L.GUT = ' ';
  TLIDA O;
  O.LoadSDump(old);
  EXPECT_DOUBLE_EQ(O.Wcd, 0);
  EXPECT_DOUBLE_EQ(O.ARad, 1.5e8);
  EXPECT_EQ(O.HFS->N, 3);
}

TEST_F(LinesTest, AddUniqueMarks) {
  struct TL {
    const char* K;
    const char* L6;
    const char* L;
  };
  struct TCase {
    std::vector<TL> Entries;
    TL Line;
    bool Added;
  } cases[] = {
      {{{"", "FE6301", ""}}, {"", "FE6301", ""}, false},
      {{{"", "", "FE6301.5"}}, {"", "", "FE6301.5"}, false},
      {{{"5x000001", "", ""}}, {"5x000001", "", ""}, false},
      // a differing LIN6 before the entry raises the mark: the same sIdK no longer matches
      {{{"", "FE6302", ""}, {"5x000001", "FE6301", ""}}, {"5x000001", "FE6301X", ""}, true},
      {{{"", "FE6302", ""}, {"5x000001", "", ""}}, {"5x000001", "", ""}, false},
      {{}, {"", "", ""}, false},
  };
  for (const TCase& c : cases) {
    TLLIDA list;
    for (const TL& e : c.Entries) {
      auto l = std::make_unique<TLIDA>();
      l->sIdK = e.K;
      l->LIN6 = e.L6;
      l->sIdL = e.L;
      list.Items.push_back(std::move(l));
    }
    auto l = std::make_unique<TLIDA>();
    l->sIdK = c.Line.K;
    l->LIN6 = c.Line.L6;
    l->sIdL = c.Line.L;
    EXPECT_EQ(list.AddUnique(std::move(l)), c.Added) << c.Line.K << "/" << c.Line.L6;
  }
}

TEST_F(LinesTest, LineSetDescriptions) {
  struct TCase {
    const char* Desc;
    bool Ok;
    double Lamb, Lam1, Lam2;
  } cases[] = {
      {"&6302.5-300+200", true, 6302.5, 6302.2, 6302.7},
      {"&6302.5", true, 6302.5, 0, 0},
      {"6300:6310", true, 0, 6300, 6310},
      {"6300:6302.5:6310", true, 6302.5, 6300, 6310},
      {"&6302.5(10+20)", true, 6302.5, 0, 0},
      {"", false, 0, 0, 0},
      {"6302.5", false, 0, 0, 0},
      {"&63x2", false, 0, 0, 0},
      {"&6302.5-300", false, 0, 0, 0},
      {"&6302.5(10", false, 0, 0, 0},
      {"6300:6301:6302:6303", false, 0, 0, 0},
  };
  for (const TCase& c : cases) {
    TLineSetDesc d;
    EXPECT_EQ(ParseLineSetDesc("T", c.Desc, d), c.Ok) << c.Desc;
    if (!c.Ok) continue;
    EXPECT_NEAR(d.Lamb, c.Lamb, 1e-9) << c.Desc;
    EXPECT_NEAR(d.Lam1, c.Lam1, 1e-9) << c.Desc;
    EXPECT_NEAR(d.Lam2, c.Lam2, 1e-9) << c.Desc;
  }
}

TEST_F(LinesTest, LineSetFromTheBundledLwFile) {
  CopyBundled("LW/lw6300.txt");
  TLiSet set;
  double lam = 0;
  ASSERT_TRUE(set.Load("&6302.5-300+200", lam));
  ASSERT_EQ(set.Count, 1);
  EXPECT_EQ(set.Items[1].LI.sIdK, "63w0002");
  EXPECT_NEAR(set.LambLo, 6302.2, 1e-9);
  ASSERT_TRUE(set.Load("6300:6302.5:6310", lam));
  EXPECT_EQ(set.Count, 2);
  EXPECT_DOUBLE_EQ(lam, 6302.5);
  set.Items[2].LI.NHFS = 3;
  EXPECT_EQ(platform::Cp1251ToUtf8(set.GetText()),
            "<63w0001> 6301.5010 FE I  3.654 -0.718  0.0  0.0");
  // a wavelength that no lw file covers: an empty set, still a success
  ASSERT_TRUE(set.Load("&7000", lam));
  EXPECT_EQ(set.Count, 0);
  // a pick-up by wavelength Id with element and lower-level energy
  TLIDA L;
  ASSERT_TRUE(L.LI_lwPickUp("FE6301.5~3.65"));
  EXPECT_EQ(L.sIdK, "63w0001");
  EXPECT_EQ(L.sIdL, "FE6301.5~3.65");
  EXPECT_EQ(LLIDA->GetSIdL("FE6301.5~3.65")->sIdK, "63w0001");
}

TEST_F(LinesTest, LwFileNamesKeepEveryBandApart) {
  EXPECT_EQ(LwFileName(63), "lw6300.txt");
  EXPECT_EQ(LwFileName(5), "lw0500.txt");
  EXPECT_NE(LwFileName(100), LwFileName(10));
  EXPECT_EQ(LwFileName(123), "lw12300.txt");
  EXPECT_EQ(KurBandCode(6000), '8');
  EXPECT_EQ(KurBandCode(5999.99), '6');
  EXPECT_EQ(KurBandCode(30000), 'C');
}

TEST_F(LinesTest, SelectLGGFDirectivesBindTheirValues) {
  OpenDb(false);
  TcvTable& t = DM->ADOLGGF;
  t.Open();
  for (const auto& [src, val, prio] : std::vector<std::tuple<const char*, double, int>>{
           {"VALD", -0.70, 20}, {"Belmar_W", -0.75, 51}, {"K'88", -0.72, 5}}) {
    t.Append();
    t.FieldByName("LIN6").SetAsString("FE6301");
    t.FieldByName("Src").SetAsString(src);
    t.FieldByName("Val").SetAsFloat(val);
    t.FieldByName("Priority").SetAsInteger(prio);
    t.Post();
  }
  t.Close();
  struct TCase {
    const char* Key;
    const char* List;
    double Val;
    const char* Src;
  } cases[] = {
      {"FE6301", "", -1, "Lines"},
      {"FE6301", "VALD", -0.70, "VALD"},
      {"FE6301", "NONE", -0.72, "K'88"},
      {"FE6301", "K'88", -0.72, "K'88"},
      {"FE6301", "VALD Belmar_W 1", -0.70, "VALD"},
      {"FE6301", "NONE Belmar_W 1", -0.75, "Belmar_W"},
      {"FE6301", "VALD Belmar_W +", -0.725, "VALD Belmar_W +"},
      {"FE6301", "NONE Belmar_W +", -0.75, "Belmar_W"},
      {"FE6301", "Belmar_W VALD <", -0.70, "VALD"},
      {"FE6301", "VALD Belmar_W x", -0.72, "K'88"},
      {"FE'01", "VALD", -1, "Lines"},
  };
  for (const TCase& c : cases) {
    TLIDA L;
    L.LGGF = -1;
    L.LGGFSrc = "Lines";
    SelectLGGF(c.Key, c.List, L);
    EXPECT_NEAR(L.LGGF, c.Val, 1e-12) << c.List;
    EXPECT_EQ(L.LGGFSrc, c.Src) << c.List;
  }
}

TEST_F(LinesTest, NewDatabaseHoldsTheDemoPair) {
  OpenDb(true);
  TLIDA L;
  L.DBLoad("FE6302");
  EXPECT_EQ(L.LIN6, "FE6302");
  EXPECT_EQ(L.AT, 26);
  EXPECT_DOUBLE_EQ(L.LAMB, 6302.4936);
  EXPECT_DOUBLE_EQ(L.ELOW, 3.686);
  EXPECT_DOUBLE_EQ(L.EUP, 5.653);
  EXPECT_EQ(L.JL2, 2);
  EXPECT_EQ(L.JU2, 0);
  EXPECT_DOUBLE_EQ(L.GL, 2.5);
  EXPECT_DOUBLE_EQ(L.GU, 0);
  EXPECT_EQ(L.GLT, 'L');
  EXPECT_EQ(L.LGGFSrc, "Kurucz");
  EXPECT_DOUBLE_EQ(L.Waals, -7.59);
  TLIDA M;
  M.DBLoad("FE6301");
  EXPECT_DOUBLE_EQ(M.EUP, 5.621);
  EXPECT_EQ(M.JL2, 4);
  EXPECT_DOUBLE_EQ(M.GL, 1.833);
  M.DBLoad("FE6301");
  EXPECT_EQ(LLIDA->Count(), 2);  // two loads of one line: one entry
  EXPECT_EQ(LILast->LIN6, "FE6301");
  // with a source list: the LGGF row of the named source
  EXPECT_TRUE(L.DBGetLIDA("FE6302", "Kurucz"));
  EXPECT_DOUBLE_EQ(L.LGGF, -1.131);
  TLIDA N;
  EXPECT_FALSE(N.DBGetLIDA("FE9999", ""));
  EXPECT_TRUE(Warned("НЕТ ДАННЫХ О ЛИНИИ [FE9999]"));
}

// The block reader gives the lines a line reader gives at any block size: a line split across
// blocks, CR LF and lone CRs before LF, blank lines, a line longer than the block, a last line
// without LF.
TEST_F(LinesTest, BandFileLinesAreTheSameAtEveryBlockSize) {
  const std::string longLine(300, 'w');
  const struct {
    std::string Text;
    std::vector<std::string> Lines;
  } kCases[] = {
      {"a\r\nbb\n\nccc\r\r\n  \n" + longLine + "\nlast",
       {"a", "bb", "", "ccc", "  ", longLine, "last"}},
      {"one\ntwo\n", {"one", "two"}},
      {"x\r", {"x"}},
      {"in\rside\n\n", {"in\rside", ""}},
      {"\n", {""}},
      {"", {}},
  };
  for (const auto& c : kCases)
    for (const size_t block :
         {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{64}, size_t{1} << 20}) {
      SCOPED_TRACE(testing::Message() << "block " << block << " text " << c.Text.size());
      Put("KUR/blocks.txt", c.Text);
      TKurFile f;
      f.SetBlockSize(block);
      f.Open(Root("KUR/blocks.txt"));
      std::vector<std::string> got;
      std::string_view v;
      std::string s;
      // views and copies alternate
      for (bool view = true;; view = !view) {
        if (view ? !f.ReadLn(v) : !f.ReadLn(s)) break;
        got.emplace_back(view ? std::string(v) : s);
      }
      EXPECT_EQ(got, c.Lines);
      EXPECT_FALSE(f.ReadLn(v));
    }
}

// Fields read without a copy give what the general conversion gives, and what it refuses is
// refused with the field named.
TEST_F(LinesTest, FieldTextsReadAsTheGeneralConversionReadsThem) {
  const char* kGf[] = {" -0.718", " +0.500", "     1.", "    -.5", " -0.000", "  1.5e0",
                       "  1.5-1", "      -", "  1.2.3", "    0x1"};
  for (const char* gf : kGf) {
    SCOPED_TRACE(gf);
    std::string t = FormA(kFe6301);
    t.replace(10, 7, std::string(gf).substr(0, 7));
    int32_t code = 0;
    const std::string field = TrimSp(t.substr(10, 7));
    const double want = ValRealPlainCode(field, code);
    TLIDA L;
    TLIDAk K;
    warnings.clear();
    EXPECT_EQ(ParseKurLine("x", "f", t, K, L, 3), code == 0);
    if (code == 0) {
      EXPECT_EQ(std::signbit(L.LGGF), std::signbit(want));
      EXPECT_DOUBLE_EQ(L.LGGF, want);
    } else {
      EXPECT_TRUE(Warned("в строке 3 lg(GF) = <" + field + ">"));
    }
  }
  const char* kG[] = {" 1503", "+1503", "   -7", "  -0 ", " 0x1A", " 12a ", "    -"};
  for (const char* g : kG) {
    SCOPED_TRACE(g);
    std::string t = FormA(kFe6301);
    t.replace(143, 5, g);  // "g 1", the upper level's
    int32_t code = 0;
    const std::string field = TrimSp(std::string(g));
    const int32_t want = ValIntCode(field, code);
    TLIDA L;
    TLIDAk K;
    warnings.clear();
    EXPECT_EQ(ParseKurLine("x", "f", t, K, L, 3), code == 0);
    if (code == 0)
      EXPECT_DOUBLE_EQ(L.GU, want / 1000.0);
    else
      EXPECT_TRUE(Warned("g 1 = <" + field + ">"));
  }
}

class KurImportTest : public LinesTest {
 protected:
  // Band "8": a line below the range, the range's lines (with a blank line, a Ti III, Er I and
  // Ho I line, an unreadable line, a Fe II line in the narrow layout), a line above the range.
  void Band8() {
    auto at = [](TCat c, double nm, double code) {
      c.LamNm = nm;
      c.Code = code;
      return c;
    };
    TCat bad = at(kFe6302, 630.8, 26.00);
    std::string badLine = " " + FormA(bad);
    badLine.replace(11, 7, "  x.xxx");
    Put("KUR/gfhy0800.100", " " + FormA(at(kFe6301, 629.0, 26.00)) + "\n" +  //
                                " " + FormA(kFe6301) + "\n" +                  // 8x000002
                                "\n" +                                        //
                                " " + FormA(at(kFe6302, 630.5, 22.02)) + "\n" +  // Ti III
                                " " + FormA(at(kFe6302, 630.6, 68.00)) + "\n" +  // Er I
                                " " + FormA(at(kFe6302, 630.7, 67.00)) + "\n" +  // Ho I
                                badLine + "\n" +                                  // 8x000007
                                FormA(at(kCa1, 630.9, 26.01)) + "\n" +  // Fe II, narrow layout
                                " " + FormA(at(kFe6302, 632.0, 26.00)) + "\n");
  }
  int Count() {
    TcvTable t(&DM->ADOConnection, "KurLines");
    t.Open();
    return t.RecordCount();
  }
};

TEST_F(KurImportTest, ImportsTheRangeReportsBadLinesAndRepeatsNothing) {
  Band8();
  OpenDb(false);
  TJob job("Load KurLines");
  TKurImportResult r;
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { EXPECT_TRUE(LoadKurLines(J, *DM, 6300, 6310, r)); }));
  EXPECT_EQ(r.Added, 3);
  EXPECT_EQ(r.Skipped, 2);
  EXPECT_EQ(r.Bad, 1);
  ASSERT_EQ(job.WarningCount(), 1);
  const std::string w = platform::Cp1251ToUtf8(job.Warnings()[0].Text);
  EXPECT_NE(w.find("gfhy0800.100"), std::string::npos) << w;
  EXPECT_NE(w.find("в строке 7 lg(GF)"), std::string::npos) << w;
  TcvTable t(&DM->ADOConnection, "KurLines");
  t.SetSort("Id");
  t.Open();
  ASSERT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(t.FieldByName("Id").AsString(), "8x000002");
  EXPECT_EQ(t.FieldByName("ELEM").AsInteger(), 2600);
  EXPECT_EQ(t.FieldByName("LabelLO").AsString(), "4s4p_z5P");
  EXPECT_EQ(t.FieldByName("g_LO").AsInteger(), 1835);
  EXPECT_EQ(t.FieldByName("JLO2").AsInteger(), 4);
  // the Id counts the blank line: KurLineById reads the imported record's line
  const auto L = KurLineById("8x000002");
  ASSERT_TRUE(L);
  EXPECT_DOUBLE_EQ(L->LAMB, t.FieldByName("LAMB").AsFloat());
  // ascending Ids read on; an Id not above the last read rewinds
  ASSERT_TRUE(KurLineById("8x000006"));
  EXPECT_EQ(KurLineByIdCount(), 6);
  ASSERT_TRUE(KurLineById("8x000006"));
  EXPECT_EQ(KurLineByIdCount(), 6);
  EXPECT_FALSE(KurLineById("8x000099"));
  EXPECT_TRUE(Warned("всего 9 строк, запрошена линия с Id=8x000099"));
  // the reference-model runs are not available until the variator exists
  double dhm = 1, dcv = 1;
  CalcLineDepthsById("8x000002", dhm, dcv);
  EXPECT_EQ(dhm + dcv, 0);
  EXPECT_TRUE(Warned("RunVARI - функция пока недоступна"));
  t.Next();
  EXPECT_EQ(t.FieldByName("Id").AsString(), "8x000006");
  EXPECT_EQ(t.FieldByName("ELEM").AsInteger(), 6700);
  t.Next();
  EXPECT_EQ(t.FieldByName("Id").AsString(), "8x000008");
  EXPECT_EQ(t.FieldByName("ELEM").AsInteger(), 2601);
  t.Close();
  TJob again("again");
  ASSERT_TRUE(RunJob(again, [&](TJob& J) { LoadKurLines(J, *DM, 6300, 6310, r); }));
  EXPECT_EQ(r.Added, 0);
  EXPECT_EQ(r.Present, 3);
  EXPECT_EQ(Count(), 3);
}

// A band file with CR LF line ends and no LF after its last line imports the same rows.
TEST_F(KurImportTest, CrLfFileWithoutLastLineEndImportsTheSameRows) {
  auto rows = [&] {
    TcvTable t(&DM->ADOConnection, "KurLines");
    t.SetSort("Id");
    t.Open();
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) {
      std::string r;
      for (int32_t i = 0; i < t.FieldCount(); ++i) r += t.Fields(i).AsString() + "|";
      out.push_back(r);
    }
    t.Close();
    return out;
  };
  Band8();
  OpenDb(false);
  TJob lf("lf");
  TKurImportResult r;
  ASSERT_TRUE(RunJob(lf, [&](TJob& J) { LoadKurLines(J, *DM, 6300, 6320, r); }));
  const std::vector<std::string> want = rows();
  ASSERT_EQ(want.size(), 4u);  // the line above the range is the last line now
  const TKurImportResult wantR = r;
  const std::string lfText = testsupport::ReadFile(Root("KUR/gfhy0800.100"));
  std::string crlf;
  for (const char c : lfText) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  crlf.resize(crlf.size() - 2);
  Put("KUR/gfhy0800.100", crlf);
  DM->ADOConnection.Exec("DELETE FROM KurLines");
  TJob cr("crlf");
  ASSERT_TRUE(RunJob(cr, [&](TJob& J) { LoadKurLines(J, *DM, 6300, 6320, r); }));
  EXPECT_EQ(rows(), want);
  EXPECT_EQ(r.Added, wantR.Added);
  EXPECT_EQ(r.Bad, wantR.Bad);
  EXPECT_EQ(r.Skipped, wantR.Skipped);
  ASSERT_EQ(cr.WarningCount(), lf.WarningCount());
  EXPECT_EQ(cr.Warnings()[0].Text, lf.Warnings()[0].Text);
  // the last line read by Id, without its line end
  const auto L = KurLineById("8x000009");
  ASSERT_TRUE(L);
  EXPECT_DOUBLE_EQ(L->LAMB, 6320);
}

TEST_F(KurImportTest, CancelOrFailureLeavesTheTableAsItWas) {
  Band8();
  OpenDb(false);
  TJob first("first");
  TKurImportResult r;
  ASSERT_TRUE(RunJob(first, [&](TJob& J) { LoadKurLines(J, *DM, 6300, 6302, r); }));
  EXPECT_EQ(Count(), 1);
  TJob cancelled("cancelled");
  cancelled.Cancel();
  RunJob(cancelled, [&](TJob& J) { EXPECT_FALSE(LoadKurLines(J, *DM, 6300, 6310, r)); });
  EXPECT_EQ(cancelled.State(), TJobState::Cancelled);
  EXPECT_EQ(Count(), 1);
  // the range crosses into band "8" from band "6", whose file is missing: the job fails
  TJob failed("failed");
  EXPECT_FALSE(RunJob(failed, [&](TJob& J) { LoadKurLines(J, *DM, 5990, 6310, r); }));
  EXPECT_EQ(failed.State(), TJobState::Failed);
  EXPECT_EQ(Count(), 1);
  // with the band "6" file present the range goes on into band "8"
  TCat c = kCa1;
  c.LamNm = 599.5;
  Put("KUR/gfhy0600.100", " " + FormA(c) + "\n");
  TJob crossing("crossing");
  ASSERT_TRUE(RunJob(crossing, [&](TJob& J) { LoadKurLines(J, *DM, 5990, 6310, r); }));
  EXPECT_EQ(r.Added, 4);  // the band "6" line and, in band "8", the 629.0 nm line too
  EXPECT_EQ(Count(), 5);
}

// A range across 8000 Å goes on from the file of band "8" into the file of band "A" (import and
// key check); without the band "A" file the job fails naming that file, and keeps nothing.
TEST_F(KurImportTest, RangeAcross8000GoesOnIntoBandA) {
  auto at = [](double Nm) {
    TCat c = kFe6301;
    c.LamNm = Nm;
    return " " + FormA(c) + "\n";
  };
  Put("KUR/gfhy0800.100", at(799.0) + at(799.5));
  OpenDb(false);
  TKurImportResult r;
  TJob missing("missing");
  EXPECT_FALSE(RunJob(missing, [&](TJob& J) { LoadKurLines(J, *DM, 7992, 8010, r); }));
  EXPECT_EQ(missing.State(), TJobState::Failed);
  EXPECT_NE(missing.Error().find("gfhy1200.100"), std::string::npos) << missing.Error();
  EXPECT_EQ(Count(), 0);
  TJob keyMissing("key");
  TStringList list;
  EXPECT_FALSE(RunJob(keyMissing, [&](TJob& J) { CheckKurKey(J, 7992, 8010, list); }));
  EXPECT_NE(keyMissing.Error().find("gfhy1200.100"), std::string::npos) << keyMissing.Error();

  Put("KUR/gfhy1200.100", at(800.5) + at(801.5));
  TJob job("across");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { EXPECT_TRUE(LoadKurLines(J, *DM, 7992, 8010, r)); }))
      << job.Error();
  EXPECT_EQ(r.Added, 2);
  TcvTable t(&DM->ADOConnection, "KurLines");
  t.SetSort("Id");
  t.Open();
  ASSERT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(t.FieldByName("Id").AsString(), "8x000002");
  t.Next();
  EXPECT_EQ(t.FieldByName("Id").AsString(), "Ax000001");
  t.Close();
  TJob key("key");
  list.Clear();
  ASSERT_TRUE(RunJob(key, [&](TJob& J) { EXPECT_TRUE(CheckKurKey(J, 7992, 8020, list)); }))
      << key.Error();
}

// An import of more rows than the table held builds the secondary indexes after its rows: they
// are there afterwards as before, and a failure after the rows rolls everything back.
TEST_F(KurImportTest, ManyRowsKeepTheIndexesAndAFailureRollsTheirRebuildBack) {
  std::string band;
  for (int i = 0; i < 6000; ++i) {
    TCat c = kFe6301;
    c.LamNm = 700.0 + i * 0.01;
    c.Code = i % 3 == 0 ? 26.01 : 26.00;
    c.E1 = 45000.0 + i % 1000;
    band += " " + FormA(c) + "\n";
  }
  Put("KUR/gfhy0800.100", band);
  OpenDb(false);
  auto indexes = [&] {
    std::vector<std::string> out;
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(DM->ADOConnection.Handle(),
                       "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                       "tbl_name = 'KurLines' ORDER BY name",
                       -1, &q, nullptr);
    while (sqlite3_step(q) == SQLITE_ROW) {
      const unsigned char* sql = sqlite3_column_text(q, 1);
      out.push_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))) + " " +
                    (sql ? reinterpret_cast<const char*>(sql) : ""));
    }
    sqlite3_finalize(q);
    return out;
  };
  const std::vector<std::string> before = indexes();
  ASSERT_EQ(before.size(), 4u);  // the key's own and the three secondary ones
  // The range runs into band "A", whose file is missing: the job fails after all rows of band "8".
  TJob failed("failed");
  TKurImportResult r;
  EXPECT_FALSE(RunJob(failed, [&](TJob& J) { LoadKurLines(J, *DM, 7000, 8100, r); }));
  EXPECT_EQ(r.Added, 6000);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(indexes(), before);
  TJob job("many");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { EXPECT_TRUE(LoadKurLines(J, *DM, 7000, 7999, r)); }));
  EXPECT_EQ(r.Added, 6000);
  EXPECT_EQ(Count(), 6000);
  EXPECT_EQ(indexes(), before);
  // the indexes hold every row: a look-up through each gives the rows a full scan gives
  for (const char* where : {"LAMB >= 7200 AND LAMB < 7300", "ELEM = 2601",
                            "ELEM = 2600 AND ELO > 3 AND lgGF < 0"}) {
    int64_t n[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      const std::string sql = std::string("SELECT COUNT(*) FROM KurLines") +
                              (k ? " NOT INDEXED" : "") + " WHERE " + where;
      sqlite3_stmt* q = nullptr;
      ASSERT_EQ(sqlite3_prepare_v2(DM->ADOConnection.Handle(), sql.c_str(), -1, &q, nullptr),
                SQLITE_OK);
      ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
      n[k] = sqlite3_column_int64(q, 0);
      sqlite3_finalize(q);
    }
    EXPECT_EQ(n[0], n[1]) << where;
    EXPECT_GT(n[0], 0) << where;
  }
}

TEST_F(KurImportTest, KurKeyListsTheRepeatedLine) {
  TLIDA L;
  L.AT = 26;
  L.LAMB = 6301.5012;
  L.ELOW = 3.654;
  EXPECT_EQ(KurKey(L), "at_FE lam_6301_50el_0365");
  L.AT = 6;
  L.LAMB = 9094.8345;
  L.ELOW = 1.26;
  EXPECT_EQ(KurKey(L), "at_CC lam_9094_83el_0126");
  TCat a = kFe6301, b = kFe6301;
  b.LamNm = 630.15014;
  Put("KUR/gfhy0800.100", " " + FormA(a) + "\n " + FormA(b) + "\n");
  TJob job("Test KurKey");
  TStringList list;
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { EXPECT_TRUE(CheckKurKey(J, 6000, 6400, list)); }));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], "8x000002 at_FE lam_6301_50el_0365");
}

// The harness: a database made from the bundled root serves "#LIN FE6301 FE6302" lines, and the
// import journey reaches the bundled Kurucz extract.
TEST_F(LinesTest, HarnessJourneys) {
  const std::string exe =
      std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().string() +
      "/root/bin/corvesta-batch";
  if (!std::filesystem::exists(exe)) GTEST_SKIP() << "corvesta-batch not built: " << exe;
  auto run = [&](const std::string& args) {
    std::string out;
    FILE* p = popen((exe + " " + args + " 2>/dev/null").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    return std::make_pair(WEXITSTATUS(rc), out);
  };
  const std::string db = Root("h.db");
  auto [rc, out] = run("line --db " + db + " FE6301 FE6302");
  EXPECT_EQ(rc, 0);
  EXPECT_NE(out.find("6301.5012 26 3.654 4 <> FE6301"), std::string::npos) << out;
  EXPECT_NE(out.find("6302.4936 26 3.686 0 <> FE6302 <> 1 <> <> 816 2 5.653 -1.131 Kurucz"),
            std::string::npos)
      << out;
  auto [rc2, out2] = run("kurucz-import --db " + db + " 6300 6303");
  EXPECT_EQ(rc2, 0);
  EXPECT_NE(out2.find("added 2"), std::string::npos) << out2;
  auto [rc3, out3] = run("line --db " + db + " --form-c 8x000001 8x000002");
  EXPECT_EQ(rc3, 0);
  EXPECT_EQ(out3, testsupport::ReadFile(SourceRoot() + "/data/LW/lw6300.txt"));
}

}  // namespace

namespace {

TEST_F(LinesTest, InstallationFilesLoadIntoTheirTables) {
  for (const char* f : {"BIBL/Authors.txt", "BIBL/Mags.txt", "BIBL/Sources.txt", "SYS/Tabs.txt",
                        "LIN/mul_na1.txt", "LIN/mul_si1.txt", "LIN/mul_ti1.txt", "LIN/mul_fe1.txt",
                        "LIN/mul_fe2.txt", "LIN/mul_vv1.txt"})
    CopyBundled(f);
  OpenDb(false);
  warnings.clear();
  LoadRefers();
  LoadTabs();
  LoadMultiFiles();
  for (const std::string& w : warnings) EXPECT_EQ(w.find("шибк"), std::string::npos) << w;
  auto count = [](const char* Table) {
    TcvTable t(&DM->ADOConnection, Table);
    t.Open();
    return t.RecordCount();
  };
  EXPECT_EQ(count("Authors"), 7);
  EXPECT_EQ(count("Mags"), 3);
  EXPECT_EQ(count("SOURCES"), 3);
  EXPECT_EQ(count("Tabs"), static_cast<int>(LineDBSchema().size()));
  TcvTable m(&DM->ADOConnection, "Multi");
  m.Open();
  ASSERT_EQ(m.RecordCount(), 1);
  EXPECT_EQ(m.FieldByName("Mult").AsString(), "816");
  EXPECT_EQ(m.FieldByName("LOW").AsString(), "z5P o");
  EXPECT_EQ(m.FieldByName("HIGH").AsString(), "e5D");
}

TEST_F(LinesTest, LineListDumpFileAndComponentStrings) {
  LineData().ProjectDir.Install([this] { return Root("proj") + "/"; });
  LineData().Quest.Install([] { return std::string("q1"); });
  TLLIDA list;
  for (const char* k : {"FE6301", "FE6302"}) {
    auto l = std::make_unique<TLIDA>();
    l->LIN6 = k;
    l->LAMB = 6301.5;
    list.AddUnique(std::move(l));
  }
  list.Save();
  TLLIDA back;
  back.Load();
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back[1]->LIN6, "FE6302");
  // a line shorter than 10 characters stops the load; the entries before it stay
  Put("proj/LIDA/q1.DAT", list[0]->sDump() + "\n123456789\n" + list[1]->sDump() + "\n");
  TLLIDA cut;
  cut.Load();
  EXPECT_EQ(cut.Count(), 1);
  EXPECT_TRUE(Warned("строка 2 не содержит данных о линии!"));

  THFS h;
  ASSERT_TRUE(h.Init("2 -15 15 5000 5000 ! note"));
  EXPECT_DOUBLE_EQ(h.Shift[1], -1.5);
  EXPECT_DOUBLE_EQ(h.Int[2], 0.5);
  EXPECT_FALSE(h.Init("2 -15 15 5000"));
  EXPECT_EQ(h.N, 0);
  THFS0 z;
  ASSERT_TRUE(z.Init("2 -10 10 1 3"));
  EXPECT_NEAR(z.IntLg[1], -0.602, 1e-3);
  EXPECT_NEAR(z.IntLin[2], 0.75, 1e-12);
  EXPECT_TRUE(z.Init("2 -10 10 -0.3 -0.3"));
  EXPECT_FALSE(z.Init("2 -10 10 -1 -1"));
  EXPECT_FALSE(z.Init("2 -10 10 1 -1"));
  double lo = 0, hi = 0;
  ASSERT_TRUE(z.Init("2 5 10 1 1"));
  z.ShiftRange(lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 10);
}

}  // namespace
