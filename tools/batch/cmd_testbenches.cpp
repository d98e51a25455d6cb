// The Test tab's Voigt comparison table and unit calculator without a window:
//   voigt-table N VMAX DLD A [--half]
//     the comparison table (grid from -VMAX, or from 0 with --half) as the editor shows it;
//   calc eV|cm|T|theta|dlh|h|vlos|disk VALUE...
//     eV E, cm C                     the other energy unit
//     T T [DT], theta TH [DTH]       theta (and its difference), or T (and its difference)
//     dlh|h|vlos LAM GEFF DLH H DV   the Zeeman and Doppler fields after typing the named one
//     disk R X Y                     latitude, longitude, rotation velocity and mu
//   Each output line is "name value"; a text that is no number gives no line for its partners.
#include <iostream>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvUnitCalc.h"
#include "synthesis/transfer/cvVoigtTestTab.h"
#include "tools/batch/Batch.h"

namespace {

int VoigtTable(const std::vector<std::string>& Args) {
  if (Args.size() < 4 || Args.size() > 5) return batch::Usage();
  bool half = false;
  if (Args.size() == 5) {
    if (Args[4] != "--half") return batch::Usage();
    half = true;
  }
  int32_t code = 0;
  const int32_t n = ValIntCode(Args[0], code);
  if (code != 0) return batch::Usage();
  double v[3];
  for (int k = 0; k < 3; ++k) {
    v[k] = ValRealCode(Args[static_cast<size_t>(k) + 1], code);
    if (code != 0) return batch::Usage();
  }
  TJob job("ТЕСТ ФУНКЦИЙ"_cp);
  TVoigtTestTable t;
  bool done = false;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    done = VoigtTestTab(n, v[0], v[1], v[2], !half, t, &J);
  });
  if (rc != 0) return rc;
  if (!done) return 1;
  for (int32_t i = 0; i < t.List.Count(); ++i) std::cout << batch::U8(t.List[i]) << "\n";
  return 0;
}

void Out(const char* Name, const std::string& Value) {
  std::cout << Name << " " << batch::U8(Value) << "\n";
}

int Calc(const std::vector<std::string>& Args) {
  if (Args.empty()) return batch::Usage();
  const std::string& k = Args[0];
  std::vector<std::string> a;
  for (size_t i = 1; i < Args.size(); ++i) a.push_back(batch::Cp(Args[i]));
  std::string x, y, z, w;
  if ((k == "eV" || k == "cm") && a.size() == 1) {
    if (k == "eV" ? CalcEVToCm(a[0], x) : CalcCmToEV(a[0], x)) Out(k == "eV" ? "cm" : "eV", x);
  } else if ((k == "T" || k == "theta") && (a.size() == 1 || a.size() == 2)) {
    const bool t = k == "T";
    if (t ? CalcTToTheta(a[0], x) : CalcThetaToT(a[0], x)) Out(t ? "theta" : "T", x);
    if (a.size() == 2 && (t ? CalcDTToDTheta(a[0], a[1], y) : CalcDThetaToDT(a[0], a[1], y)))
      Out(t ? "dtheta" : "dT", y);
  } else if ((k == "dlh" || k == "h" || k == "vlos") && a.size() == 5) {
    TZeemanFields f{a[0], a[1], a[2], a[3], a[4]};
    const TZeemanFrom from = k == "dlh"  ? TZeemanFrom::DLH
                             : k == "h" ? TZeemanFrom::Field
                                        : TZeemanFrom::DVLOS;
    if (CalcZeeman(f, from)) {
      Out("dlh", f.DLH);
      Out("h", f.H);
      Out("vlos", f.DVLOS);
    }
  } else if (k == "disk" && a.size() == 3) {
    if (CalcDiskXY(a[0], a[1], a[2], x, y)) {
      Out("fi", x);
      Out("l", y);
      if (CalcDiskFiL(x, y, z, w)) {
        Out("vrot", z);
        Out("mju", w);
      }
    }
  } else {
    return batch::Usage();
  }
  return 0;
}

const TBatchCommand kVoigtTable{"voigt-table", "voigt-table N VMAX DLD A [--half]", VoigtTable};
const TBatchCommand kCalc{"calc",
                          "calc eV|cm VALUE | T|theta VALUE [DIFF] | dlh|h|vlos LAM GEFF DLH H DV "
                          "| disk R X Y",
                          Calc};

}  // namespace
