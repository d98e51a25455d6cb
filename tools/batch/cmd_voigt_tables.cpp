// The spline Voigt method's tables: voigt-tables [--build] [--threads N] [--testtab N M A TOL
// VMAX] [--damptab N M ALL TOL V].
//   Prepares the spline method as "#VOIGT SPLINE" does, as a job: the four files of the root's
//   VOIGT folder are read when present; otherwise the question is answered No (nothing built,
//   Humlicek stays), or Yes with --build (the tables built on N threads, 0 every core, written
//   and read back). Prints the folder, each file's size and the method in force, then the
//   diagnostic tables asked for.
#include <iostream>
#include <string>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/vectors/cvCalcContext.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtSpline.h"
#include "tools/batch/Batch.h"

namespace {

bool Nums(const std::vector<std::string>& A, size_t& i, int N, double* Out) {
  for (int k = 0; k < N; ++k) {
    if (i + 1 >= A.size()) return false;
    int32_t code = 0;
    Out[k] = ValRealCode(A[++i], code);
    if (code != 0) return false;
  }
  return true;
}

void Print(const TStringList& L) {
  for (int32_t i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

int VoigtTables(const std::vector<std::string>& Args) {
  bool build = false, test = false, damp = false;
  double threads = 0, t[5] = {}, d[5] = {};
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--build") {
      build = true;
    } else if (a == "--threads") {
      if (!Nums(Args, i, 1, &threads) || threads < 0) return batch::Usage();
    } else if (a == "--testtab") {
      if (!Nums(Args, i, 5, t) || !(t[0] >= 1) || !(t[1] >= 1) || !(t[4] > 0))
        return batch::Usage();
      test = true;
    } else if (a == "--damptab") {
      if (!Nums(Args, i, 5, d) || !(d[0] >= 2) || !(d[1] >= 1)) return batch::Usage();
      damp = true;
    } else {
      return batch::Usage();
    }
  }
  batch::UseProgramRoot();
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("VoigtSplineInit");
  job.PresetAnswers = {build};
  return batch::RunAsJob(job, [&](TJob&) {
    const std::string dir = VoigtSplineDir();
    const TVoigtSplineGrid g = TVoigtSplineGrid::Standard();
    VoigtSplinePrepare(dir, g, static_cast<int32_t>(threads), true);
    std::cout << "folder " << batch::U8(dir) << "\n";
    for (const char* c : {"H1", "H2", "F1", "F2"})
      std::cout << "file " << batch::U8(g.FileName(dir, c)) << " "
                << FileSizeSS(g.FileName(dir, c)) << "\n";
    std::cout << "method " << VoigtMethodName() << "\n" << std::flush;
    if (test)
      Print(*VoigtSplineTestTab(static_cast<int32_t>(t[0]), static_cast<int32_t>(t[1]), t[2],
                                t[3], t[4]));
    if (damp)
      Print(*VoigtDampingTab(static_cast<int32_t>(d[0]), static_cast<int32_t>(d[1]), d[2] != 0,
                             d[3], d[4]));
  });
}

const TBatchCommand kVoigtTables{
    "voigt-tables",
    "voigt-tables [--build] [--threads N] [--testtab N M A TOL VMAX] [--damptab N M ALL TOL V]",
    VoigtTables};

}  // namespace
