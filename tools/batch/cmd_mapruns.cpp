// The scan map runs of the harness (the FITS tab is not built yet): a scan linked, its options
// set and its headers read, then the steps in the order given, each run over the slit files a
// job (progress per file, Ctrl-C or --cancel-after cancels between files). A scan folder given
// as a path (root/yyyy_mm/yyyymmdd_hhmmss) makes its root the data root of the map files.
//   cont0          CalcCont0 (CONT and LCONT released and their slots emptied first, as the
//                  FITS tab does)
//   bislc X        CalcBisLC at depth fraction X
//   loadrow        LoadRowData
//   bigcalc2       BigCalc2; the scan statistics are printed
//   save           every map of the scan that holds data written to the own output file as one
//                  job (the file's main header written first when the file does not exist)
//   clear          the registry cleared (ClearAll)
//   reload         the own output file's maps registered and read, then LoadD0Maps
//   report         the slot report
//   lw             CalcLW: wing positions LWb, LWr, LWI of both lines
//   liv            Calc_LIV: LIV, LBIV, L-Wb, L-Wr of both lines (needs CONT and CONT2)
//   ivcog          CalcIV_COG: B and V of I+-V at nine levels and IV_asym
//   ivcog05        CalcIV_COG05: B and V of I+-V in the 6 % and 3 % cores
//   wmom           Calc_W_Mom: WI, BMV, BML, Gm, Xi, BLq, BLu of both lines (needs CONT, CONT2,
//                  LIV1, LIV2, LBob1, LBor1, LBob2, LBor2)
//   dtilt          Calc_D: Doppler widths by the wing-tilt fit (needs CONT, LWb1, LWr1, LWb2, LWr2)
//   dfull          CalcD_Full: the same by the full wing fit
//   core [--win1 IB IR] [--win2 IB IR]
//                  CalcCoreMaps: the 38 core-fit maps (needs CONT; the line centres of the files'
//                  last half-depth or level measurement, else the scan's means); the windows are
//                  the line windows of the services' CurI (the Test tab's wing crossings)
//   filt F1 F2 S [--abs]
//                  CalcFilt over pixels F1..F2 of Stokes S (needs CONT, WV1, WV2)
//   kvi [--level L] [--step]
//                  CalcKVI: the 46 polarisation-integral maps at level L (the field's 0.95 else)
// --vw VW1 VW2 gives the mean velocities of ivcog and ivcog05 (else the own file's VW1, VW2).
// After a run its maps are printed: name, title, version, kLoad, size and statistics.
#include <filesystem>
#include <functional>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

void PrintMap(const TFIOut* M) {
  if (!M) return;
  std::cout << "map " << batch::U8(M->Name) << " <" << batch::U8(M->Com) << "> ver "
            << batch::U8(M->Ver) << " kind " << M->kSoft << " kLoad " << M->kLoad << " ["
            << M->nX << "," << M->nY << "] min " << ShortSt(7, M->vMin) << " (" << M->ixMin
            << "," << M->iyMin << ") max " << ShortSt(7, M->vMax) << " (" << M->ixMax << ","
            << M->iyMax << ") mean " << ShortSt(7, M->vMean) << "\n";
}

// The maps of the scan in the registry that hold data, in registry order.
std::vector<TFIOut*> ScanMaps(const TLFITS& Scan, int32_t Kind) {
  std::vector<TFIOut*> r;
  if (TLFIOut* reg = LFIOOrNull())
    for (const auto& m : reg->Items)
      if (FIOutAssigned(m.get()) && m->kSoft == Kind && m->Da == Scan.ScanDa() &&
          m->Ti == Scan.ScanTi() && m->kLoad >= 2)
        r.push_back(m.get());
  return r;
}

// The maps of the bank rows 1..K of both lines (and row 19 of line 1 when Asym).
void PrintBank(const TLFITS& Scan, int K, bool Asym = false) {
  for (int k = 1; k <= K; ++k)
    for (int n = 1; n <= 2; ++n) PrintMap(Scan.OuAny.At(k, n).Get());
  if (Asym) PrintMap(Scan.OuAny.At(19, 1).Get());
}

// mapruns SCAN [--opts W1 W2 KRC SMOOTH] [--vw VW1 VW2] [--light] [--cancel-after N] STEP...
int MapRuns(const std::vector<std::string>& Args) {
  if (Args.empty()) return batch::Usage();
  double opts[4] = {350, 350, 1.05, 20};
  double vw[2] = {0, 0};
  bool haveVW = false;
  int32_t cancelAfter = -1, code = 0;
  bool light = false;
  std::vector<std::string> steps;
  for (size_t a = 1; a < Args.size(); ++a) {
    if (Args[a] == "--opts" && a + 4 < Args.size()) {
      for (int k = 0; k < 4 && code == 0; ++k) opts[k] = ValRealCode(Args[++a], code);
    } else if (Args[a] == "--vw" && a + 2 < Args.size()) {
      vw[0] = ValRealCode(Args[++a], code);
      if (code == 0) vw[1] = ValRealCode(Args[++a], code);
      haveVW = true;
    } else if (Args[a] == "--cancel-after" && a + 1 < Args.size()) {
      cancelAfter = ValIntCode(Args[++a], code);
    } else if (Args[a] == "--light") {
      light = true;
    } else if (Args[a] == "bislc" && a + 1 < Args.size()) {
      steps.push_back(Args[a]);
      steps.push_back(Args[++a]);
      ValRealCode(steps.back(), code);
    } else if (Args[a] == "core") {
      // core B1 R1 B2 R2 (0: the window the set-up leaves)
      std::string w[4] = {"0", "0", "0", "0"};
      while (a + 3 < Args.size() && (Args[a + 1] == "--win1" || Args[a + 1] == "--win2")) {
        const int l = Args[a + 1] == "--win1" ? 0 : 2;
        w[l] = Args[a + 2];
        w[l + 1] = Args[a + 3];
        a += 3;
      }
      steps.push_back("core");
      for (const std::string& v : w) {
        steps.push_back(v);
        ValIntCode(v, code);
      }
    } else if (Args[a] == "filt" && a + 3 < Args.size()) {
      steps.push_back("filt");
      for (int k = 0; k < 3; ++k) steps.push_back(Args[++a]);
      const bool abs = a + 1 < Args.size() && Args[a + 1] == "--abs";
      if (abs) ++a;
      steps.push_back(abs ? "1" : "0");
    } else if (Args[a] == "kvi") {
      std::string level = "", step = "0";
      while (a + 1 < Args.size() && (Args[a + 1] == "--level" || Args[a + 1] == "--step")) {
        if (Args[a + 1] == "--step") {
          step = "1";
          ++a;
        } else if (a + 2 < Args.size()) {
          level = Args[a + 2];
          ValRealCode(level, code);
          a += 2;
        } else {
          return batch::Usage();
        }
      }
      steps.push_back("kvi");
      steps.push_back(level);
      steps.push_back(step);
    } else if (Args[a] == "dtilt" || Args[a] == "dfull" || Args[a] == "cont0" || Args[a] == "loadrow" || Args[a] == "bigcalc2" ||
               Args[a] == "save" || Args[a] == "clear" || Args[a] == "reload" ||
               Args[a] == "report" || Args[a] == "lw" || Args[a] == "liv" ||
               Args[a] == "ivcog" || Args[a] == "ivcog05" || Args[a] == "wmom") {
      steps.push_back(Args[a]);
    } else {
      return batch::Usage();
    }
    if (code != 0) return batch::Usage();
  }
  batch::UseProgramRoot();
  const std::string folder = batch::ScanPath(batch::Cp(Args[0]));
  // A scan folder given as root/yyyy_mm/name: its maps' files lie under that root.
  std::error_code ec;
  if (std::filesystem::is_directory(batch::Cp(Args[0]), ec)) {
    const std::string root =
        std::filesystem::path(folder).parent_path().parent_path().string() + "/";
    Scans().DataRoot.Install([root] { return root; });
  }
  TLFITS scan;
  // The maps stay registered for a chained command (--then): none keeps this scan as its owner.
  struct TDetach {
    TLFITS& Scan;
    ~TDetach() {
      if (TLFIOut* reg = LFIOOrNull())
        for (const auto& m : reg->Items)
          if (m && m->Owner == &Scan) m->Owner = nullptr;
    }
  } detach{scan};
  TJob head("LFITS.LoadHeaders " + folder);
  int rc = batch::RunAsJob(head, [&](TJob& J) {
    scan.Link(folder);
    scan.SetOptions(opts[0], opts[1], opts[2], opts[3]);
    scan.Light = light;
    if (!scan.LoadHeaders(J) && !J.Cancelled()) J.Fail("headers not read");
  });
  if (rc != 0) return rc;
  if (haveVW) {
    scan.VW1 = vw[0];
    scan.VW2 = vw[1];
  }
  // Each run's job cancels itself once its progress reaches --cancel-after.
  auto run = [&](const std::string& Name, const std::function<bool(TJob&)>& Work) {
    TJob job(Name + " " + scan.ScanName);
    const int r = batch::RunAsJob(job, [&](TJob& J) {
      if (cancelAfter >= 0)
        J.OnProgress = [&J, cancelAfter, shown = J.OnProgress](const TJobProgress& P) {
          if (shown) shown(P);
          if (P.Done >= cancelAfter) J.Cancel();
        };
      if (!Work(J) && !J.Cancelled()) J.Fail(Name + " stopped");
    });
    if (r == 130) std::cout << "cancelled " << Name << "\n";
    return r;
  };
  int status = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const std::string& s = steps[i];
    int r = 0;
    if (s == "cont0") {
      scan.ReleaseSlot(scan.OuCont);
      scan.ReleaseSlot(scan.OuWork[1]);
      r = run("LFITS.CalcCont0", [&](TJob& J) { return scan.CalcCont0(J); });
      for (TMapSlot* sl : {&scan.OuCont, &scan.OuWork[2], &scan.OuWork[1], &scan.OuWork[3]})
        PrintMap(sl->Get());
    } else if (s == "bislc") {
      const double x = ValRealCode(steps[++i], code);
      r = run("LFITS.CalcBisLC", [&](TJob& J) { return scan.CalcBisLC(J, x); });
      for (int k = 1; k <= 4; ++k) PrintMap(scan.OuD0[k].Get());
      PrintMap(scan.OuWork[5].Get());
      PrintMap(scan.OuWork[6].Get());
    } else if (s == "loadrow") {
      r = run("LFITS.LoadRowData", [&](TJob& J) { return scan.LoadRowData(J); });
      PrintMap(scan.OuCont.Get());
    } else if (s == "bigcalc2") {
      r = run("LFITS.BigCalc2", [&](TJob& J) { return scan.BigCalc2(J); });
      std::cout << "cont max " << ShortSt(7, scan.ContMax) << " ix " << scan.ContMaxIx << " pix "
                << scan.ContMaxPix << " min " << ShortSt(7, scan.ContMin) << " ix "
                << scan.ContMinIx << " pix " << scan.ContMinPix << "\n"
                << "lines " << ShortSt(9, scan.rLC1) << " " << ShortSt(9, scan.rLC2) << " pix "
                << ShortSt(7, scan.LC1Pix) << " " << ShortSt(7, scan.LC2Pix) << "\n"
                << "vel max " << ShortSt(7, scan.VelMax) << " (" << scan.VelMaxX << ","
                << scan.VelMaxY << ") min " << ShortSt(7, scan.VelMin) << " (" << scan.VelMinX
                << "," << scan.VelMinY << ")\n"
                << "field max " << ShortSt(7, scan.HLMax) << " (" << scan.HLMaxX << ","
                << scan.HLMaxY << ") min " << ShortSt(7, scan.HLMin) << " (" << scan.HLMinX
                << "," << scan.HLMinY << ")\n";
      for (TMapSlot* sl : {&scan.OuVc1, &scan.OuVc2, &scan.OuRot, &scan.MeHL})
        PrintMap(sl->Get());
    } else if (s == "save") {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(scan.OutFolder + "/" + scan.sFN, ec) &&
          !WriteMainHeader(scan, TScanMapStats{}))
        return 1;
      const std::vector<TFIOut*> maps = ScanMaps(scan, 1);
      int32_t saved = 0;
      r = run("FIOut.Save", [&](TJob& J) {
        saved = SaveMaps(J, maps);
        return saved == static_cast<int32_t>(maps.size());
      });
      std::cout << "maps saved: " << saved << "\n";
    } else if (s == "clear") {
      LFIOReg().ClearAll();
      int32_t named = 0;
      const auto rep = scan.MapSlotsReport();
      for (int k = 0; k < rep->Count(); ++k)
        if ((*rep)[k].back() != '-') ++named;
      std::cout << "registry cleared, slots naming a map: " << named << "\n";
    } else if (s == "reload") {
      TLFIOut& reg = LFIOReg();
      r = run("LFIO.Load", [&](TJob& J) {
        if (!reg.LoadOwn(scan.ScanDa(), scan.ScanTi(), nullptr, true, &J)) return false;
        for (int32_t k = 0; k < reg.Count(); ++k) {
          if (!J.Step(k, reg.Count(), reg.Item(k)->Name)) return false;
          reg.Item(k)->EnsureLoaded();
        }
        return true;
      });
      for (TFIOut* m : ScanMaps(scan, 1)) PrintMap(m);
      bool missing = true;
      scan.LoadD0Maps(missing);
      std::cout << "d0 missing " << (missing ? 1 : 0) << "\n";
    } else if (s == "lw") {
      r = run("LFITS.CalcLW", [&](TJob& J) { return scan.CalcLW(J); });
      PrintBank(scan, 3);
    } else if (s == "liv") {
      r = run("LFITS.Calc_LIV", [&](TJob& J) { return scan.Calc_LIV(J); });
      PrintBank(scan, 4);
    } else if (s == "ivcog") {
      r = run("LFITS.CalcIV_COG", [&](TJob& J) { return scan.CalcIV_COG(J); });
      PrintBank(scan, 18, true);
    } else if (s == "ivcog05") {
      r = run("LFITS.CalcIV_COG05", [&](TJob& J) { return scan.CalcIV_COG05(J); });
      PrintBank(scan, 4);
    } else if (s == "wmom") {
      r = run("LFITS.Calc_W_Mom", [&](TJob& J) { return scan.Calc_W_Mom(J); });
      PrintBank(scan, 7);
    } else if (s == "dtilt" || s == "dfull") {
      const bool full = s == "dfull";
      r = run(full ? "LFITS.CalcD_Full" : "LFITS.Calc_D",
              [&](TJob& J) { return full ? scan.CalcD_Full(J) : scan.Calc_D(J); });
      for (int k = 1; k <= 8; ++k) PrintMap(scan.OuWork[k].Get());
    } else if (s == "core") {
      TCurI& c = ScanCurI();
      int32_t w[4];
      for (int k = 0; k < 4; ++k) w[k] = ValIntCode(steps[++i], code);
      if (w[0] > 0) c.iB1 = w[0];
      if (w[1] > 0) c.iR1 = w[1];
      if (w[2] > 0) c.iB2 = w[2];
      if (w[3] > 0) c.iR2 = w[3];
      // the slots the FITS tab fills before the run
      const std::string da = scan.ScanDa(), ti = scan.ScanTi();
      if (TLFIOut* reg = LFIOOrNull()) {
        if (!scan.OuCont) scan.OuCont.Set(reg->GetFIOutDT(da, ti, "CONT"));
        if (!scan.OuGc1) scan.OuGc1.Set(reg->GetFIOutDT(da, ti, "GRC_6301"));
        if (!scan.OuGc2) scan.OuGc2.Set(reg->GetFIOutDT(da, ti, "GRC_6302"));
      }
      TStringList memo;
      r = run("LFITS.CalcCoreMaps", [&](TJob& J) { return scan.CalcCoreMaps(J, nullptr, &memo); });
      for (int j = 1; j <= 38; ++j) PrintMap(scan.OuCore[j].Get());
      std::cout << "memo lines " << memo.Count() << "\n";
      if (memo.Count() > 0)
        std::cout << batch::U8(memo[0]) << "\n" << batch::U8(memo[memo.Count() - 1]) << "\n";
    } else if (s == "filt") {
      TScanCalcFields& f = Scans().CurISet.Calc;
      f.Filt1 = steps[++i];
      f.Filt2 = steps[++i];
      f.FiltStokes = batch::Cp(steps[++i]);
      f.FiltAbs = steps[++i] == "1";
      int32_t m = 0;
      r = run("LFITS.CalcFilt", [&](TJob& J) { return scan.CalcFilt(J, m); });
      std::cout << "filter line " << m << "\n";
      PrintMap(scan.OuAny.At(1, m).Get());
      PrintMap(scan.OuAny.At(2, m).Get());
    } else if (s == "kvi") {
      TScanCalcFields& f = Scans().CurISet.Calc;
      const std::string level = steps[++i];
      if (!level.empty()) f.rC90 = ValRealCode(level, code);
      const bool step = steps[++i] == "1";
      r = run("LFITS.CalcKVI", [&](TJob& J) { return scan.CalcKVI(J, step); });
      PrintBank(scan, 23);
    } else if (s == "report") {
      const auto rep = scan.MapSlotsReport();
      for (int k = 0; k < rep->Count(); ++k) std::cout << batch::U8((*rep)[k]) << "\n";
    }
    if (r != 0 && status == 0) status = r;
  }
  return status;
}

const TBatchCommand kMapRuns{
    "mapruns",
    "mapruns SCAN [--opts W1 W2 KRC SMOOTH] [--vw VW1 VW2] [--light] [--cancel-after N] "
    "[cont0|bislc X|loadrow|bigcalc2|lw|liv|ivcog|ivcog05|wmom|dtilt|dfull|"
    "core [--win1 IB IR] [--win2 IB IR]|filt F1 F2 S [--abs]|kvi [--level L] [--step]|save|clear|"
    "reload|report]...",
    MapRuns};

}  // namespace
