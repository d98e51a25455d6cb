// The slit measurement journey of the harness (the FITS tab is not built yet): link a scan, set
// its options, load it and measure every slit file as one job (progress per file, Ctrl-C or
// --cancel-after cancels between files), then print one slit file's columns per slit pixel
// beside the generator's truth, the half-depth line means and a count per warning.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "tools/batch/Batch.h"

namespace {

std::string Num(double x) {
  char b[64];
  const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::general, 8);
  return std::string(b, r.ptr);
}

struct TTruthRow {
  int32_t Kind = -1;
  double Ic = 0, Lam[2] = {0, 0}, W[2] = {0, 0}, D[2] = {0, 0}, B = 0, Gamma = 0;
};

// The generator's truth of slit file X, slit pixels 1..: by slit pixel.
std::map<int32_t, TTruthRow> ReadTruth(const std::string& Folder, int32_t X) {
  std::map<int32_t, TTruthRow> r;
  std::ifstream in(Folder + "/truth.txt");
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ss(line);
    int x = 0, y = 0;
    TTruthRow t;
    double v = 0, chi = 0;
    if (!(ss >> x >> y >> t.Kind >> t.Ic >> v >> t.Lam[0] >> t.Lam[1] >> t.W[0] >> t.W[1] >>
          t.D[0] >> t.D[1] >> t.B >> t.Gamma >> chi))
      continue;
    if (x == X) r[y] = t;
  }
  return r;
}

// measure SCAN [--opts W1 W2 KRC SMOOTH] [--file F] [--cancel-after N]
int Measure(const std::vector<std::string>& Args) {
  if (Args.empty()) return batch::Usage();
  double opts[4] = {350, 350, 1.05, 20};
  int32_t file = 0, cancelAfter = -1, code = 0;
  for (size_t a = 1; a < Args.size(); ++a) {
    if (Args[a] == "--opts" && a + 4 < Args.size()) {
      for (int k = 0; k < 4 && code == 0; ++k) opts[k] = ValRealCode(Args[++a], code);
    } else if (Args[a] == "--file" && a + 1 < Args.size()) {
      file = ValIntCode(Args[++a], code);
    } else if (Args[a] == "--cancel-after" && a + 1 < Args.size()) {
      cancelAfter = ValIntCode(Args[++a], code);
    } else {
      return batch::Usage();
    }
    if (code != 0) return batch::Usage();
  }
  batch::UseProgramRoot();
  InstallScanServices();
  const std::string folder = batch::ScanPath(batch::Cp(Args[0]));
  TLFITS scan;
  TJob load("LFITS.Load " + folder);
  int rc = batch::RunAsJob(load, [&](TJob& J) {
    scan.Link(folder);
    scan.SetOptions(opts[0], opts[1], opts[2], opts[3]);
    if (!scan.LoadHeaders(J) && !J.Cancelled()) return J.Fail("headers not read");
    if (!J.Cancelled() && !scan.LoadData(J) && !J.Cancelled()) J.Fail("data not read");
  });
  if (rc != 0) return rc;
  TJob calc("LFITS.CalcIntegrVal " + folder);
  rc = batch::RunAsJob(calc, [&](TJob& J) {
    if (cancelAfter >= 0)
      J.OnProgress = [&J, cancelAfter, shown = J.OnProgress](const TJobProgress& P) {
        if (shown) shown(P);
        if (P.Done >= cancelAfter) J.Cancel();
      };
    if (!scan.CalcIntegrVal(J) && !J.Cancelled()) J.Fail("not measured");
  });
  std::cout << "# scan bit3 " << (scan.Bit(3) ? 1 : 0) << " files";
  for (const auto& f : scan.Files) std::cout << " " << (f->Bit(3) ? 1 : 0);
  std::cout << "\n";
  if (rc != 0) return rc;
  TFITS* f = scan.FITSByIndex(file);
  if (!f) {
    std::cerr << "corvesta-batch: no file " << file << " in the scan\n";
    return 1;
  }
  TJob lc("TFITS.CalcL5_1_2 " + f->FileName);
  rc = batch::RunAsJob(lc, [&](TJob&) {
    f->CalcLCHalf();
    f->CalcL5_1_2();
  });
  if (rc != 0) return rc;
  const auto truth = ReadTruth(scan.Path_Name, file);
  std::cout << "# y kind class p01 AGRC1 p02 AGRC2 LC1 LC2 W1true AW1 W2true AW2 Btrue AHM1 AHM2"
               " AHG1 AHG2\n";
  for (int32_t y = 1; y <= f->nY; ++y) {
    const auto it = truth.find(y);
    const TTruthRow t = it == truth.end() ? TTruthRow{} : it->second;
    double p0[2], w[2];
    for (int n = 0; n < 2; ++n) {
      p0[n] = (t.Lam[n] - f->CRVAL1) / f->CDELT1 + f->CRPIX1;
      w[n] = t.D[n] * t.W[n] * std::sqrt(M_PI) * 1000;  // mA
    }
    const double bl = t.B * std::cos(t.Gamma * M_PI / 180);
    std::cout << y << " " << t.Kind << " " << int(f->AClass[y]) << " " << Num(p0[0]) << " "
              << Num(f->AGRC1[y]) << " " << Num(p0[1]) << " " << Num(f->AGRC2[y]) << " "
              << Num(f->ALC1[y]) << " " << Num(f->ALC2[y]) << " " << Num(w[0]) << " "
              << Num(f->AW1[y]) << " " << Num(w[1]) << " " << Num(f->AW2[y]) << " " << Num(-bl)
              << " " << Num(f->AHM1[y]) << " " << Num(f->AHM2[y]) << " " << Num(f->AHG1[y])
              << " " << Num(f->AHG2[y]) << "\n";
  }
  std::cout << "L5 means " << Num(f->LCMean1) << " " << Num(f->LCMean2) << "\n";
  for (const TJob* j : {&calc, &lc})
    for (const auto& w : j->Warnings()) {
      std::string first = batch::U8(w.Text);
      const size_t cut = first.find_first_of("\r\n");
      if (cut != std::string::npos) first.resize(cut);
      std::cout << "warning " << w.Count << " " << first << "\n";
    }
  return 0;
}

const TBatchCommand kMeasure{
    "measure", "measure SCAN [--opts W1 W2 KRC SMOOTH] [--file F] [--cancel-after N]", Measure};

}  // namespace
