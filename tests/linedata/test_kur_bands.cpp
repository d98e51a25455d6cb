// The band-file builders: "lines.dat" -> li -> lh -> lw, with a fake reference-model run (depths
// and widths from the line's lg gf), read back through the parsers and the lw loader.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "linedata/cvKurBands.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const double kN = 1.00028;  // vacuum over air

// One source line. Level energies in cm-1 (lower first); the upper one is made from the centre
// wavelength LamC (air, Å); the catalogue wavelength from the levels shifted by HsLo, HsHi (mK),
// unless LamCat gives it.
struct TSrc {
  double LamC = 0;
  double Gf = -1;
  double Code = 26.00;
  double Elo = 20000;
  int HsLo = 0, HsHi = 0;
  double Frac = 0, IsoFrac = 0;
  double LamCat = 0;
  const char* LabLo = "a5D";
  const char* LabHi = "z5F";
};

double Round3(double X) { return std::round(X * 1000) / 1000; }

double Ehi(const TSrc& s) { return Round3(s.Elo + 1e8 / (s.LamC * kN)); }

double CatLam(const TSrc& s) {
  if (s.LamCat != 0) return s.LamCat;
  return 1e8 / ((Ehi(s) + s.HsHi / 1000.0) - (s.Elo + s.HsLo / 1000.0)) / kN;
}

// Form A (159 columns), the lower level first.
std::string FormA(const TSrc& s) {
  char b[256];
  std::snprintf(b, sizeof b,
                "%10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                CatLam(s) / 10, s.Gf, s.Code, s.Elo, 2.0, s.LabLo, Ehi(s), 3.0, s.LabHi, 7.9,
                -5.5, -7.6, "K88", 0, 0, 0, s.Frac, 0, s.IsoFrac, s.HsLo, s.HsHi, "", 1500,
                1250, 0);
  return b;
}

// A line of "lines.dat": one leading character more.
std::string SrcLine(const TSrc& s) { return " " + FormA(s); }

class KurBandsTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    CreateLineLists();
    LineData().LineFilesFolder.Install([this] { return Root("LW") + "/"; });
    fs::create_directories(Root("LW"));
    // the fake runs: depths (fractions) 10^lg gf / 2 in each model, widths from the depths
    LineData().RunVARI.Install(
        [this](const std::string& Quest, TLIDA& L, double& HM, double& CV) {
          runs.push_back(Quest + " " + L.sIdK);
          EXPECT_EQ(LILast->sIdK, L.sIdK);  // the run's line is the last loaded one
          if (failAt != 0 && std::fabs(L.LAMB - failAt) < 0.01) return false;
          if (Quest == "d0HMCV") {
            HM = std::pow(10.0, L.LGGF) / 2;
            CV = HM * 0.6;
          } else {
            HM = 20 + L.DHM;
            CV = 10 + L.DCV / 2;
          }
          return true;
        });
    LineData().DropLineVectors.Install([this] { ++drops; });
  }
  void TearDown() override {
    FreeLineLists();
    LineDataEnv::TearDown();
  }
  std::string Lw(const std::string& Name) const { return Root("LW") + "/" + Name; }
  std::string Read(const std::string& Name) const { return testsupport::ReadFile(Lw(Name)); }
  bool Has(const std::string& Name) const { return fs::exists(Lw(Name)); }
  void PutLw(const std::string& Name, const std::vector<std::string>& Lines) const {
    std::string t;
    for (const std::string& l : Lines) t += l + "\n";
    testsupport::WriteFile(Lw(Name), t);
  }
  std::vector<std::string> LinesOf(const std::string& Name) const {
    std::vector<std::string> v;
    const std::string t = Read(Name);
    size_t a = 0;
    for (size_t e; (e = t.find('\n', a)) != std::string::npos; a = e + 1) v.push_back(t.substr(a, e - a));
    return v;
  }
  // Runs a builder as a job; its warnings are kept in the fixture's list.
  bool Run(bool (*Builder)(TJob&, const std::string&, const std::string&, TKurBandsResult&),
           const std::string& From, const std::string& To, TKurBandsResult& R,
           TJob* Job = nullptr) {
    TJob own("bands");
    TJob& j = Job ? *Job : own;
    bool ok = false;
    RunJob(j, [&](TJob& J) { ok = Builder(J, From, To, R); });
    for (const auto& w : j.Warnings()) warnings.push_back(platform::Cp1251ToUtf8(w.Text));
    return ok;
  }
  std::vector<std::string> runs;
  int drops = 0;
  double failAt = 0;
};

// Fe I lines of 5000-5100 Å and around it: plain lines, a hyperfine group of three components
// (-20, 0, +20 mK in the upper level) straddling 5000 Å and one at 5010 Å, a weak line, two
// isotopic components, lines at a chunk's window and load edges, and lines that are not taken.
std::vector<TSrc> Fixture() {
  std::vector<TSrc> v;
  v.push_back({.LamC = 4994.0, .Elo = 21000});                    // below the preload
  v.push_back({.LamC = 4997.0, .Elo = 21100});                    // preloaded only
  for (int i = 0; i < 3; ++i)                                     // group across 5000 Å
    v.push_back({.LamC = 5000.003, .Elo = 22000, .HsLo = -10, .HsHi = -30 + 20 * i,
                 .Frac = i == 1 ? -0.301 : -0.602});
  for (int i = 0; i < 3; ++i)
    v.push_back({.LamC = 5010.0, .Gf = -0.5, .Elo = 23000, .HsLo = -10, .HsHi = -30 + 20 * i,
                 .Frac = i == 1 ? -0.301 : -0.602});
  v.push_back({.LamC = 5012.0, .Gf = -4.0, .Elo = 24000});        // weak: dropped
  v.push_back({.LamC = 5013.0, .Code = 68.00, .Elo = 24100});     // Er I: kept
  v.push_back({.LamC = 5013.5, .Code = 69.00, .Elo = 24200});     // Tm I: dropped
  v.push_back({.LamC = 5014.0, .Code = 26.02, .Elo = 24300});     // Fe III: dropped
  for (double l : {5014.999, 5015.0, 5019.999, 5020.0})            // window and load edges
    v.push_back({.LamC = l, .Elo = 25000 + l - 5000});
  v.push_back({.LamC = 5050.0, .Elo = 26000, .IsoFrac = -0.097, .LamCat = 5050.0});
  v.push_back({.LamC = 5050.0, .Elo = 26000, .IsoFrac = -0.699, .LamCat = 5050.010});
  v.push_back({.LamC = 5099.5, .Elo = 27000});
  v.push_back({.LamC = 5100.5, .Elo = 27100});                    // beyond To
  return v;
}

// "lines.dat" in wavelength order.
void PutSource(const std::string& Dir, std::vector<TSrc> V, std::string (*Form)(const TSrc&)) {
  std::stable_sort(V.begin(), V.end(),
                   [](const TSrc& A, const TSrc& B) { return CatLam(A) < CatLam(B); });
  std::string t;
  for (const TSrc& s : V) t += Form(s) + "\n";
  testsupport::WriteFile(Dir + "/lines.dat", t);
}

}  // namespace

TEST_F(KurBandsTest, SelectWritesStrongLinesWithTheirDepthsAndLeavesOtherBandsAlone) {
  const std::vector<TSrc> src = Fixture();
  PutSource(Root("LW"), src, SrcLine);
  PutLw("li4900.txt", {"old 4900"});
  PutLw("li5100.txt", {"old 5100"});
  TKurBandsResult r;
  ASSERT_TRUE(Run(KurLinesSelect, "5000", "", r));
  EXPECT_EQ(Read("li4900.txt"), "old 4900\n");
  EXPECT_EQ(Read("li5100.txt"), "old 5100\n");  // the line at 5100.5 opens no file
  EXPECT_EQ(r.Files, std::vector<std::string>{"li5000.txt"});
  const std::vector<std::string> li = LinesOf("li5000.txt");
  // the group's component at 4999.998 Å lies below From; the weak line, Tm I, Fe III are dropped
  ASSERT_EQ(li.size(), 2u + 3u + 1u + 4u + 2u + 1u);
  EXPECT_EQ(r.Written, 13);
  // one depth run per line, one for each hyperfine group
  EXPECT_EQ(r.Runs, 1 + 1 + 1 + 1 + 4 + 2 + 1);
  EXPECT_EQ(static_cast<int>(runs.size()), r.Runs);
  EXPECT_EQ(drops, r.Runs);
  std::map<double, const TSrc*> bySrc;
  for (const TSrc& s : src) bySrc[Round3(CatLam(s))] = &s;
  for (const std::string& l : li) {
    SCOPED_TRACE(l);
    ASSERT_EQ(l.size(), 169u);
    TLIDA a, b;
    TLIDAk ka, kb;
    ASSERT_TRUE(ParseKurLineD("x", "li", l, kb, b, 1));
    const TSrc* s = bySrc.at(Round3(b.LAMB));
    ASSERT_TRUE(ParseKurLine("x", "src", FormA(*s), ka, a, 1));
    EXPECT_EQ(l.substr(0, 159), FormA(*s));
    EXPECT_EQ(b.AT, a.AT);
    EXPECT_EQ(b.ELOW, a.ELOW);
    EXPECT_EQ(b.LGGF, a.LGGF);
    EXPECT_EQ(kb.shiftHI, ka.shiftHI);
    EXPECT_EQ(kb.frac, ka.frac);
    // the depths in 0.01 %: those of the line, or of its group's first component
    EXPECT_NEAR(b.DHM, std::pow(10.0, a.LGGF) / 2 * 100, 0.005);
    EXPECT_NEAR(b.DCV, std::pow(10.0, a.LGGF) / 2 * 60, 0.005);
  }
  EXPECT_NE(Read("li5000.txt").find(FormA(src[9])), std::string::npos);   // Er I
  EXPECT_EQ(Read("li5000.txt").find(FormA(src[10])), std::string::npos);  // Tm I
  // a rerun writes the same files
  const std::string first = Read("li5000.txt");
  ASSERT_TRUE(Run(KurLinesSelect, "5000", "5100", r));
  EXPECT_EQ(Read("li5000.txt"), first);
  EXPECT_FALSE(Has("li5000.txt.tmp"));
  // a run over the upper half of the band keeps the lines below its From
  ASSERT_TRUE(Run(KurLinesSelect, "5015", "5100", r));
  EXPECT_EQ(Read("li5000.txt"), first);
  EXPECT_EQ(r.Written, 6);
}

TEST_F(KurBandsTest, SelectPadsTrimmedLinesAndSharesAWeakParentsFate) {
  // trailing blanks cut off: the depths still go to columns 160-169
  std::vector<TSrc> src;
  for (int i = 0; i < 3; ++i)
    src.push_back({.LamC = 5010.0, .Gf = -4, .Elo = 23000, .HsLo = -10, .HsHi = -30 + 20 * i,
                   .Frac = -0.477});
  src.push_back({.LamC = 5020.0, .Elo = 23100});
  PutSource(Root("LW"), src, [](const TSrc& s) {
    std::string t = SrcLine(s);
    t.replace(134, 26, std::string(26, ' '));  // no notes, no Lande factors
    return TrimRightCtl(t);
  });
  TKurBandsResult r;
  ASSERT_TRUE(Run(KurLinesSelect, "5000", "5100", r));
  EXPECT_EQ(r.Runs, 2);  // the weak group costs one run and is dropped whole
  const std::vector<std::string> li = LinesOf("li5000.txt");
  ASSERT_EQ(li.size(), 1u);
  ASSERT_EQ(li[0].size(), 169u);
  TLIDA b;
  TLIDAk k;
  ASSERT_TRUE(ParseKurLineD("x", "li", li[0], k, b, 1));
  EXPECT_NEAR(b.DHM, 5.0, 1e-9);
  EXPECT_NEAR(b.DCV, 3.0, 1e-9);
}

TEST_F(KurBandsTest, BuildersRefuseWhatTheyCannotDo) {
  TKurBandsResult r;
  // no source list
  EXPECT_FALSE(Run(KurLinesSelect, "5000", "5100", r));
  EXPECT_TRUE(WarnedWith("lines.dat"));
  // the widths have no default To; a bad From
  EXPECT_FALSE(Run(KurLinesCalcWD, "5000", "", r));
  EXPECT_TRUE(WarnedWith("пустой диапазон"));
  EXPECT_FALSE(Run(KurLinesMergeHFS, "abc", "", r));
  // without the reference-model runs nothing is touched
  PutSource(Root("LW"), Fixture(), SrcLine);
  PutLw("li5000.txt", {"old"});
  LineData().RunVARI.Reset();
  EXPECT_FALSE(Run(KurLinesSelect, "5000", "5100", r));
  EXPECT_TRUE(WarnedWith("RunVARI"));
  EXPECT_EQ(Read("li5000.txt"), "old\n");
}

TEST_F(KurBandsTest, AStoppedRunLeavesItsOpenBandAsItWas) {
  std::vector<TSrc> src = Fixture();
  PutSource(Root("LW"), src, SrcLine);
  PutLw("li5000.txt", {"old 5000"});
  // cancelled at the first depth run
  TJob job("cancel");
  const auto fake = LineData().RunVARI.Provider();
  LineData().RunVARI.Install([&](const std::string& Q, TLIDA& L, double& A, double& B) {
    job.Cancel();
    return fake(Q, L, A, B);
  });
  TKurBandsResult r;
  EXPECT_FALSE(Run(KurLinesSelect, "4900", "5100", r, &job));
  EXPECT_EQ(Read("li5000.txt"), "old 5000\n");
  EXPECT_FALSE(Has("li4900.txt"));
  EXPECT_TRUE(r.Files.empty());
  for (const auto& e : fs::directory_iterator(Root("LW")))
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  EXPECT_TRUE(WarnedWith("прерван"));
  // an unreadable wavelength stops the run; the band before it is written
  LineData().RunVARI.Install(fake);
  src.push_back(TSrc{.LamC = 5011});
  std::stable_sort(src.begin(), src.end(),
                   [](const TSrc& A, const TSrc& B) { return CatLam(A) < CatLam(B); });
  std::string t;
  for (const TSrc& s : src) t += (s.LamC == 5011 ? std::string(" 50x1.0000") : SrcLine(s)) + "\n";
  testsupport::WriteFile(Root("LW") + "/lines.dat", t);
  PutLw("li5000.txt", {"old 5000"});
  EXPECT_FALSE(Run(KurLinesSelect, "4900", "5100", r));
  EXPECT_EQ(r.Files, std::vector<std::string>{"li4900.txt"});
  EXPECT_EQ(Read("li5000.txt"), "old 5000\n");
  EXPECT_TRUE(WarnedWith("Длина волны = <50x1.0000>"));
}

TEST_F(KurBandsTest, MergeAndWidthsRoundTripThroughTheLoaders) {
  const std::vector<TSrc> src = Fixture();
  PutSource(Root("LW"), src, SrcLine);
  TKurBandsResult r;
  ASSERT_TRUE(Run(KurLinesSelect, "4900", "5200", r));
  EXPECT_EQ(r.Files, (std::vector<std::string>{"li4900.txt", "li5000.txt", "li5100.txt"}));
  PutLw("lh4900.txt", {"old 4900"});
  auto loaded = std::make_unique<TLIDA>();
  loaded->LIN6 = "FE5000";
  ASSERT_TRUE(LLIDA->AddUnique(std::move(loaded)));
  // 5000-5100: preloaded from 4995 Å, nothing written below 5000 Å
  ASSERT_TRUE(Run(KurLinesMergeHFS, "5000", "5100", r));
  EXPECT_EQ(Read("lh4900.txt"), "old 4900\n");
  EXPECT_EQ(r.Files, std::vector<std::string>{"lh5000.txt"});
  EXPECT_EQ(LLIDA->Count(), 1);  // the loaded lines are not the builder's
  EXPECT_TRUE(r.InsertErrors.empty()) << (r.InsertErrors.empty() ? "" : r.InsertErrors[0]);
  const std::vector<std::string> lh = LinesOf("lh5000.txt");
  // two merged groups, Er I, the four edge lines, the merged isotopes, 5099.5
  ASSERT_EQ(lh.size(), 1u + 1u + 1u + 4u + 1u + 1u);
  std::vector<TLIDA> got(lh.size());
  for (size_t i = 0; i < lh.size(); ++i) {
    TLIDAk k;
    ASSERT_TRUE(ParseKurLineExt("x", "lh", lh[i], k, got[i], static_cast<int32_t>(i + 1)));
  }
  // the group across From: its component below 5000 Å from the preload
  for (size_t g : {0u, 1u}) {
    SCOPED_TRACE(g);
    const TLIDA& m = got[g];
    EXPECT_NEAR(m.LAMB, g == 0 ? 5000.003 : 5010.0, 0.0015);
    ASSERT_TRUE(m.HFS);
    ASSERT_EQ(m.HFS->N, 3);
    const double sh[] = {-5, 0, 5}, in[] = {0.25, 0.5, 0.25};
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(m.HFS->Shift[i], sh[i - 1]);
      EXPECT_NEAR(m.HFS->Int[i], in[i - 1], 1e-4);
    }
    const double gf = g == 0 ? -1 : -0.5;
    EXPECT_NEAR(m.DHM, std::pow(10.0, gf) / 2 * 100, 0.005);
  }
  EXPECT_EQ(got[2].AT, 68);
  const double edges[] = {5014.999, 5015.0, 5019.999, 5020.0};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[3 + i].LAMB, edges[i], 1e-9);
  const TLIDA& isoLine = got[7];
  EXPECT_NEAR(isoLine.LAMB, 5050.002, 1e-9);
  ASSERT_TRUE(isoLine.HFS);
  ASSERT_EQ(isoLine.HFS->N, 2);
  EXPECT_EQ(isoLine.HFS->Shift[1], -2);
  EXPECT_EQ(isoLine.HFS->Shift[2], 8);
  EXPECT_NEAR(isoLine.HFS->Int[1], 0.8, 1e-4);
  EXPECT_NEAR(isoLine.HFS->Int[2], 0.2, 1e-4);
  EXPECT_NEAR(got[8].LAMB, 5099.5, 0.001);
  // a rerun writes the same file
  const std::string lhText = Read("lh5000.txt");
  ASSERT_TRUE(Run(KurLinesMergeHFS, "5000", "5100", r));
  EXPECT_EQ(Read("lh5000.txt"), lhText);

  // widths over two bands: the line numbers run on into lh5100; lw5200 is not touched
  ASSERT_TRUE(Run(KurLinesMergeHFS, "5100", "5200", r));
  ASSERT_EQ(r.Written, 1);
  PutLw("lw5200.txt", {"old 5200"});
  runs.clear();
  ASSERT_TRUE(Run(KurLinesCalcWD, "5000", "5200", r));
  EXPECT_EQ(r.Files, (std::vector<std::string>{"lw5000.txt", "lw5100.txt"}));
  EXPECT_EQ(Read("lw5200.txt"), "old 5200\n");
  ASSERT_EQ(runs.size(), lh.size() + 1);
  EXPECT_EQ(runs.front(), "W_HMCV x0000001");
  EXPECT_EQ(runs.back(), "W_HMCV x" + ZeroPad(static_cast<int64_t>(lh.size() + 1), 7));
  EXPECT_EQ(LinesOf("lw5100.txt").size(), 1u);
  // an lh file that is not there is an empty band: its lw file is left without lines
  fs::remove(Lw("lh5100.txt"));
  ASSERT_TRUE(Run(KurLinesCalcWD, "5100", "5200", r));
  EXPECT_EQ(Read("lw5100.txt"), "");
  const std::vector<std::string> lw = LinesOf("lw5000.txt");
  ASSERT_EQ(lw.size(), lh.size());
  for (size_t i = 0; i < lw.size(); ++i) {
    SCOPED_TRACE(lw[i]);
    TLIDA w;
    TLIDAk k;
    ASSERT_TRUE(ParseKurLineExt("x", "lw", lw[i], k, w, 1));
    EXPECT_EQ(lw[i].substr(0, 129), lh[i].substr(0, 129));  // all but the widths as merged
    EXPECT_EQ(lw[i].substr(139), lh[i].substr(139));
    EXPECT_NEAR(w.WHM, 20 + got[i].DHM, 0.05);
    EXPECT_NEAR(w.WCV, 10 + got[i].DCV / 2, 0.05);
  }
  // the lw loader finds the merged line by its wavelength
  TLIDA picked;
  ASSERT_TRUE(picked.LI_lwPickUp("FE5010.0"));
  EXPECT_EQ(picked.sIdL, "FE5010.0");
  EXPECT_EQ(picked.sIdK, "50w0002");
  ASSERT_TRUE(picked.HFS);
  EXPECT_EQ(picked.HFS->N, 3);
  EXPECT_NEAR(picked.WHM, 20 + got[1].DHM, 0.05);
  // a rerun writes the same file; a run over part of the band keeps the rest
  const std::string lwText = Read("lw5000.txt");
  ASSERT_TRUE(Run(KurLinesCalcWD, "5000", "5200", r));
  EXPECT_EQ(Read("lw5000.txt"), lwText);
  ASSERT_TRUE(Run(KurLinesCalcWD, "5015", "5020", r));
  EXPECT_EQ(r.Read, 2);
  EXPECT_EQ(Read("lw5000.txt"), lwText);
}

TEST_F(KurBandsTest, ChunkEdgesLoseNoLine) {
  // a line every 0.25 Å over 5000-5100: every chunk's window and load edge falls on a line
  std::vector<TSrc> src;
  for (int i = 0; i < 400; ++i) src.push_back({.LamC = 5000 + i * 0.25, .Elo = 20000.0 + i});
  PutSource(Root("LW"), src, SrcLine);
  TKurBandsResult r;
  ASSERT_TRUE(Run(KurLinesSelect, "5000", "5100", r));
  ASSERT_EQ(r.Written, 400);
  TJob job("merge");
  std::vector<std::string> steps;
  job.OnProgress = [&](const TJobProgress& P) { steps.push_back(P.Text); };
  ASSERT_TRUE(Run(KurLinesMergeHFS, "5000", "5100", r, &job));
  EXPECT_EQ(r.Read, 400);
  // progress after each chunk: the last wavelength read
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps.front(), "Lam=5020");
  EXPECT_EQ(steps.back(), "Lam=5100");
  const std::vector<std::string> lh = LinesOf("lh5000.txt");
  ASSERT_EQ(lh.size(), 400u);
  for (int i = 0; i < 400; ++i) {
    TLIDA l;
    TLIDAk k;
    ASSERT_TRUE(ParseKurLineExt("x", "lh", lh[static_cast<size_t>(i)], k, l, i + 1));
    EXPECT_NEAR(l.LAMB, 5000 + i * 0.25, 0.001) << i;
  }
}
