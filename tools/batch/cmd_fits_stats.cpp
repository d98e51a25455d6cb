// The FITS tab's statistics of a session's maps without a window: the level filters' walks
// (scatter graphs, histograms, the text table, averaged Stokes profiles), a map's cut, and the
// session constants written into the own output file (CB0, the area summary, BML) and the disc
// geometry maps.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapAlg.h"
#include "scans/cvMapStats.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessionConsts.h"
#include "tools/batch/Batch.h"

namespace {

void PrintGraph(const TXYGraph& G, bool Points) {
  std::cout << "graph " << batch::U8(G.Title) << " points " << NOf(G.Y);
  if (NOf(G.Y) > 0) {
    double lo = G.Y[1], hi = G.Y[1];
    for (int i = 1; i <= NOf(G.Y); ++i) lo = std::min(lo, G.Y[static_cast<size_t>(i)]),
                                        hi = std::max(hi, G.Y[static_cast<size_t>(i)]);
    std::cout << " y " << ShortSt(7, lo) << " .. " << ShortSt(7, hi);
  }
  std::cout << "\n";
  if (Points)
    for (int i = 1; i <= NOf(G.Y) && i < static_cast<int>(G.X.size()); ++i)
      std::cout << "  " << ShortSt(7, G.X[static_cast<size_t>(i)]) << " "
                << ShortSt(7, G.Y[static_cast<size_t>(i)]) << "\n";
}

void PrintSL(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

// fits-stats DATE TIME (--filt NAME TEXT [--abs] [--hist])... [--x NAME] [--y NAME]
//   [--c "NAMES"] [--area X1 X2 Y1 Y2] [--all-sessions] [--cols iX,iY,aX,fiY,T,vO] [--ndig N]
//   [--wide W] [--bins N] [--vlos] [--points]
//   graph|hist|list|cut X1 Y1 X2 Y2|prof|cb0|summary|bml|d2circ
int FitsStats(const std::vector<std::string>& A) {
  if (A.size() < 3) return batch::Usage();
  const std::string da = batch::Cp(A[0]), ti = batch::Cp(A[1]), ses = da + "_" + ti;
  TFiltControls C;
  int rows = 0;
  std::string x = "CONT", y = "", c;
  TListColumns cols;
  int32_t wide = 1, cut[4] = {0, 0, 0, 0};
  THistSettings hs;
  bool vlos = false, points = false;
  std::string what;
  auto toInt = [](const std::string& S, int32_t& V) {
    int32_t code = 0;
    V = ValIntCode(S, code);
    return code == 0;
  };
  for (size_t i = 2; i < A.size(); ++i) {
    const std::string& a = A[i];
    if (a == "--filt" && i + 2 < A.size()) {
      if (rows == 3) return batch::Usage();
      C.Rows[rows].Map = batch::Cp(A[i + 1]);
      C.Rows[rows].Text = batch::Cp(A[i + 2]);
      ++rows;
      i += 2;
    } else if (a == "--abs" && rows > 0) {
      C.Rows[rows - 1].Abs = true;
    } else if (a == "--hist" && rows > 0) {
      C.Rows[rows - 1].Hist = true;
    } else if (a == "--x" && i + 1 < A.size()) {
      x = batch::Cp(A[++i]);
    } else if (a == "--y" && i + 1 < A.size()) {
      y = batch::Cp(A[++i]);
    } else if (a == "--c" && i + 1 < A.size()) {
      c = batch::Cp(A[++i]);
    } else if (a == "--area" && i + 4 < A.size()) {
      if (!toInt(A[i + 1], C.X1) || !toInt(A[i + 2], C.X2) || !toInt(A[i + 3], C.Y1) ||
          !toInt(A[i + 4], C.Y2))
        return batch::Usage();
      i += 4;
    } else if (a == "--all-sessions") {
      C.PerSession = false;
    } else if (a == "--cols" && i + 1 < A.size()) {
      const std::string l = "," + A[++i] + ",";
      auto has = [&](const char* k) { return l.find("," + std::string(k) + ",") != std::string::npos; };
      cols.iX = has("iX");
      cols.iY = has("iY");
      cols.aX = has("aX");
      cols.fiY = has("fiY");
      cols.T = has("T");
      cols.vO = has("vO");
    } else if (a == "--ndig" && i + 1 < A.size()) {
      if (!toInt(A[++i], cols.NDig)) return batch::Usage();
    } else if (a == "--wide" && i + 1 < A.size()) {
      if (!toInt(A[++i], wide)) return batch::Usage();
    } else if (a == "--bins" && i + 1 < A.size()) {
      hs.NN = A[++i];
    } else if (a == "--vlos") {
      vlos = true;
    } else if (a == "--points") {
      points = true;
    } else if (a == "cut" && i + 4 < A.size()) {
      what = a;
      for (int k = 0; k < 4; ++k)
        if (!toInt(A[i + 1 + static_cast<size_t>(k)], cut[k])) return batch::Usage();
      i += 4;
    } else if (what.empty() && (a == "graph" || a == "hist" || a == "list" || a == "prof" ||
                                a == "cb0" || a == "summary" || a == "bml" || a == "d2circ")) {
      what = a;
    } else {
      return batch::Usage();
    }
  }
  if (what.empty()) return batch::Usage();
  batch::UseProgramRoot();

  // ---- session constants ----
  if (what == "cb0") {
    TStringList table;
    TCB0Result r;
    r.Table = &table;
    TJob job("23_CB0 " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if (!CalcCB0(J, ses, r) && !J.Cancelled()) J.Fail("CB0 not written");
    });
    PrintSL(table);
    std::cout << "bins " << r.Hist.N << " fractions " << ShortSt(6, r.Hist.FracLo) << " "
              << ShortSt(6, r.Hist.FracHi) << "\n";
    std::cout << "CB0 " << ShortSt(8, r.CB0) << " VW1 " << ShortSt(6, r.VW1) << " VW2 "
              << ShortSt(6, r.VW2) << (r.Written ? " written" : "") << "\n";
    return rc;
  }
  if (what == "summary") {
    TLFITS scan;
    TStringList err;
    TSummaryResult r;
    r.Error = &err;
    TJob job("3.5_List " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if (!CalcSessionSummary(J, ses, scan, r) && !J.Cancelled()) J.Fail("summary not written");
    });
    PrintSL(err);
    std::cout << "lo " << ShortSt(6, r.Lo) << " hi " << ShortSt(6, r.Hi) << " pLimb "
              << FDecSt(2, r.pLimb) << " pU " << FDecSt(2, r.pU) << " ppu " << FDecSt(2, r.ppu)
              << " minCB0 " << FDecSt(3, r.minCB0) << " pB077 " << FDecSt(3, r.pB077)
              << " pB007 " << FDecSt(3, r.pB007) << " tDura " << FDecSt(2, r.tDura) << " tDay "
              << FDecSt(4, r.tDay) << (r.Written ? " written" : "") << "\n";
    return rc;
  }
  if (what == "bml") {
    TBMLResult r;
    TJob job("BML " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if (!CalcBMLSummary(J, ses, r) && !J.Cancelled()) J.Fail("BML not written");
    });
    std::cout << "maBML1 " << FDecSt(1, r.maBML1) << " maBML2 " << FDecSt(1, r.maBML2)
              << " maBIV " << FDecSt(1, r.maBIV) << " miBIV " << FDecSt(1, r.miBIV)
              << (r.Written ? " written" : "") << "\n";
    return rc;
  }
  if (what == "d2circ") {
    std::vector<std::string> made;
    TJob job("d2Circ " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) {
      if (!CalcD2Circ(J, ses, &made) && !J.Cancelled()) J.Fail("no maps");
    });
    for (const std::string& n : made)
      if (const TFIOut* m = LFIOReg().GetFIOutDT(da, ti, n))
        std::cout << batch::U8(n) << " [" << m->nX << "," << m->nY << "] min "
                  << ShortSt(7, m->vMin) << " max " << ShortSt(7, m->vMax) << " mean "
                  << ShortSt(7, m->vMean) << " kind " << m->kSoft << "\n";
    return rc;
  }

  // ---- the maps the walk or the cut reads, registered as the loader does ----
  std::vector<std::string> need;
  for (const TFiltRow& r : C.Rows)
    if (!r.Map.empty()) need.push_back(r.Map);
  for (const std::string& n : {x, y}) if (!n.empty()) need.push_back(n);
  for (int32_t i = 1; i <= WordCount(c); ++i) need.push_back(WordN(c, i));
  if (vlos)
    for (const char* n : {"LWb1", "LWr1", "LWb2", "LWr2"}) need.push_back(n);
  for (const std::string& n : need)
    if (!LFIOReg().GetFIOutDT(da, ti, n)) FOFetchMap(n, da, ti);
  if (vlos) {
    for (const char* l : {"LV51=mid(LWb1,LWr1)", "LV52=mid(LWb2,LWr2)"})
      if (!FOLineToMap(l, da, ti)) return 1;
    c += " LV51 LV52";
  }

  if (what == "cut") {
    TFIOut* m = LFIOReg().GetFIOutDT(da, ti, x);
    if (!m || !m->EnsureLoaded()) {
      std::cerr << "no map " << batch::U8(x) << "\n";
      return 1;
    }
    TXYGraph g;
    const bool drawn = MapCut(*m, cut[0], cut[1], cut[2], cut[3], wide, g);
    std::cout << "samples " << NOf(g.Y) << (drawn ? "" : " (nothing drawn)") << "\n";
    if (drawn) PrintGraph(g, true);
    return 0;
  }

  TLFITS scan;
  const bool wantScan = what == "prof" || cols.aX || cols.fiY || cols.T || cols.vO;
  if (wantScan) {
    scan.Link(ScanFolder(ses));
    TJob hj("headers " + ses);
    if (batch::RunAsJob(hj, [&](TJob& J) { scan.LoadHeaders(J); }) != 0) return 1;
  }
  std::vector<std::string> names;
  TMapWalk walk;
  TJob pj("maps " + ses);
  if (batch::RunAsJob(pj, [&](TJob& J) {
        names = OperandMapList(x, y, c, ses);
        if (!PrepMapWalk(C, ses, names, wantScan ? &scan : nullptr, walk)) J.Fail("no walk");
      }) != 0)
    return 1;
  std::cout << "combinations " << walk.Combinations() << "\n";
  if (what == "graph") {
    std::vector<TXYGraph> gs;
    TJob job("Graph " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) { gs = MapGraphs(J, walk); });
    for (const TXYGraph& g : gs) PrintGraph(g, points);
    return rc;
  }
  if (what == "hist") {
    std::vector<TARe> vs;
    TJob job("Hist " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) { vs = MapHistValues(J, walk); });
    for (const TARe& v : vs) {
      TXYGraph g;
      double lo = 0, hi = 0;
      if (HistogramGraph(v, "Hist_" + names[0], hs, g, lo, hi)) {
        std::cout << "range " << ShortSt(5, lo) << " " << ShortSt(5, hi) << " ";
        PrintGraph(g, points);
      } else {
        std::cout << "no histogram of " << NOf(v) << " values\n";
      }
    }
    return rc;
  }
  if (what == "list") {
    TStringList out;
    TJob job("List " + ses);
    const int rc = batch::RunAsJob(job, [&](TJob& J) { MapListText(J, walk, cols, out); });
    PrintSL(out);
    return rc;
  }
  // prof
  TStringList text;
  std::vector<TProfComb> combs;
  TJob job("Prof " + ses);
  const int rc = batch::RunAsJob(
      job, [&](TJob& J) { StokesProfilesByFilter(J, walk, scan, vlos, text, combs); });
  PrintSL(text);
  return rc;
}

const TBatchCommand kFitsStats{
    "fits-stats",
    "fits-stats DATE TIME (--filt NAME TEXT [--abs] [--hist])... [--x N] [--y N] [--c NAMES] "
    "[--area X1 X2 Y1 Y2] [--all-sessions] [--cols iX,iY,aX,fiY,T,vO] [--ndig N] [--wide W] "
    "[--bins N] [--vlos] [--points] graph|hist|list|cut X1 Y1 X2 Y2|prof|cb0|summary|bml|d2circ",
    FitsStats};

}  // namespace
