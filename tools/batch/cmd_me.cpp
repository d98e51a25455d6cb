// The Milne-Eddington command of the harness: the analytic Unno-Rachkovsky profiles of one line
// on given parameters, written as a block of the profile-list text.
#include <cmath>
#include <iostream>
#include <memory>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvZeeman.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

bool Real(const std::vector<std::string>& A, size_t& i, double& V) {
  if (i + 1 >= A.size()) return false;
  int32_t code = 0;
  V = ValRealCode(A[++i], code);
  return code == 0;
}

// me [--line FE6302|FE6301] [--runge JL JU GL GU LAMB] [--eta0 E] [--a A] [--dld MA]
//    [--dlh MA | --h G | --vh X] [--gamma DEG] [--chi DEG] [--beta B] [--mu MU]
//    [--nlam N] [--dlk MA] [--dlvd MA] [--kvoig K] [--full]
int Me(const std::vector<std::string>& Args) {
  std::string line = "FE6302";
  double lamb = 6302.4936, runge[4] = {1, 0, 2.5, 0};
  TMEPar p;
  p.ETA0 = 10;
  p.A = 0.05;
  p.DLD = 30;
  p.BETTA = 1.5;
  p.CTETA = 1;
  double dlh = 0, h = 0, vh = 0, nlam = 56, dlk = 55 * 21.549, dlvd = 0, kvoig = 6;
  bool full = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    bool ok = true;
    if (a == "--line" && i + 1 < Args.size()) {
      line = Args[++i];
      if (line == "FE6302") {
        lamb = 6302.4936;
        runge[0] = 1, runge[1] = 0, runge[2] = 2.5, runge[3] = 0;
      } else if (line == "FE6301") {
        lamb = 6301.5008;
        runge[0] = 2, runge[1] = 2, runge[2] = 11.0 / 6, runge[3] = 1.5;
      } else {
        return batch::Usage();
      }
    } else if (a == "--runge") {
      line = "RUNGE";
      for (double& r : runge) ok = ok && Real(Args, i, r);
      ok = ok && Real(Args, i, lamb);
    } else if (a == "--eta0") ok = Real(Args, i, p.ETA0);
    else if (a == "--a") ok = Real(Args, i, p.A);
    else if (a == "--dld") ok = Real(Args, i, p.DLD);
    else if (a == "--dlh") ok = Real(Args, i, dlh);
    else if (a == "--h") ok = Real(Args, i, h);
    else if (a == "--vh") ok = Real(Args, i, vh);
    else if (a == "--gamma") ok = Real(Args, i, p.GM);
    else if (a == "--chi") ok = Real(Args, i, p.XI);
    else if (a == "--beta") ok = Real(Args, i, p.BETTA);
    else if (a == "--mu") ok = Real(Args, i, p.CTETA);
    else if (a == "--nlam") ok = Real(Args, i, nlam);
    else if (a == "--dlk") ok = Real(Args, i, dlk);
    else if (a == "--dlvd") ok = Real(Args, i, dlvd);
    else if (a == "--kvoig") ok = Real(Args, i, kvoig);
    else if (a == "--full") full = true;
    else ok = false;
    if (!ok) return batch::Usage();
  }
  if (!(nlam >= 1) || nlam > 100000) return batch::Usage();
  // the splitting: given, else from the field, else from VH in Doppler widths
  p.DLH = dlh != 0 ? dlh : (h != 0 ? DLHOfField(lamb, h) : vh * p.DLD);
  p.DLVD = dlvd / 1000;
  TJob job("RACH");
  return batch::RunAsJob(job, [&](TJob&) {
    TZEEMAN z;
    ZeeSetRunge(line, z, runge[0], runge[1], runge[2], runge[3]);
    auto U = std::make_unique<TUNNO>();
    U->SetDefaults();
    U->sULin = line;
    U->PureUL(static_cast<int32_t>(nlam), p.DLVD, lamb, dlk, 0);
    U->ALG = "RACH";
    U->QUEST = "ME";
    U->IQ = 1;
    U->KVARI = 1;
    RACH(p, z, *U, static_cast<int32_t>(kvoig));
    if (full) U->MakeFull();
    TLUNNO list;
    list.Add(std::move(U));
    const auto rep = list.ReportVar("ME", 1, 1);
    for (int32_t i = 0; i < rep->Count(); ++i) std::cout << batch::U8((*rep)[i]) << "\n";
    std::cout << std::flush;
  });
}

const TBatchCommand kMe("me",
                        "me [--line FE6302|FE6301|--runge JL JU GL GU LAMB] [--eta0 E] [--a A] "
                        "[--dld MA] [--dlh MA|--h G|--vh X] [--gamma DEG] [--chi DEG] [--beta B] "
                        "[--mu MU] [--nlam N] [--dlk MA] [--dlvd MA] [--kvoig K] [--full]",
                        Me);

}  // namespace
