// Map commands of the harness (the FITS tab is not built yet): a scan's own output file started
// and a few of its maps written as a job, the file's extensions listed, its maps loaded back into
// the registry as a job with their sizes and statistics.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

// Options "--ncut N" and "--ver V" taken out of Args; false on a bad value.
bool TakeOptions(std::vector<std::string>& Args, std::string& Ver) {
  for (size_t i = 0; i + 1 < Args.size();) {
    if (Args[i] == "--ncut") {
      int32_t code = 0;
      const int32_t n = ValIntCode(Args[i + 1], code);
      if (code != 0 || n <= 0) return false;
      Scans().NCut = n;
    } else if (Args[i] == "--ver") {
      Ver = batch::Cp(Args[i + 1]);
    } else {
      ++i;
      continue;
    }
    Args.erase(Args.begin() + static_cast<long>(i), Args.begin() + static_cast<long>(i) + 2);
  }
  return true;
}

// maps-write SCAN [--ncut N] [--ver V]: the scan (yyyymmdd_hhmmss under the data root) read, its
// own output file started, then CONT (the continuum of every slit pixel) and CNTN (CONT over its
// mean) written as one job.
int Write(const std::vector<std::string>& A) {
  std::vector<std::string> args = A;
  std::string ver = "20241023";
  batch::UseProgramRoot();
  if (!TakeOptions(args, ver) || args.size() != 1) return batch::Usage();
  const std::string name = batch::Cp(args[0]);
  if (name.size() < 13 || name[8] != '_') return batch::Usage();
  TLFITS scan;
  TJob read("LFITS.LoadData " + name);
  int rc = batch::RunAsJob(read, [&](TJob& J) {
    scan.Link(ScanFolder(name));
    if (!scan.LoadHeaders(J)) return J.Cancelled() ? void() : J.Fail("headers not read");
    if (!scan.LoadData(J) && !J.Cancelled()) J.Fail("data not read");
  });
  if (rc != 0) return rc;
  if (!WriteMainHeader(scan, TScanMapStats{})) return 1;
  const std::string da = name.substr(0, 8), ti = name.substr(9);
  const int32_t nx = scan.Count(), ny = scan.Refs.nY;
  for (int32_t x = 0; x < nx; ++x) scan.FITSByIndex(x)->GetContAll();
  TLFIOut& reg = LFIOReg();
  TFIOut* cont = reg.AddFIOut(da + "_" + ti, "CONT", "continuum", ver, 1, nx, ny, &scan);
  TFIOut* norm = reg.AddFIOut(da + "_" + ti, "CNTN", "normalised continuum", ver, 1, nx, ny,
                              &scan);
  cont->AssignMem(nx, ny);
  for (int32_t x = 0; x < nx; ++x) {
    const TFITS* f = scan.FITSByIndex(x);
    for (int32_t y = 0; y < ny && y + 1 < static_cast<int32_t>(f->ACnt.size()); ++y)
      cont->aData[x][y] = static_cast<float>(f->ACnt[y + 1]);
  }
  cont->kLoad = 1 | 8;
  cont->MinMaxMean();
  norm->AssignMem(nx, ny);
  for (int32_t x = 0; x < nx; ++x)
    for (int32_t y = 0; y < ny; ++y)
      norm->aData[x][y] =
          cont->vMean != 0 ? static_cast<float>(cont->aData[x][y] / cont->vMean) : 0.0f;
  norm->kLoad = 1 | 8;
  norm->MinMaxMean();
  TJob save("FIOut.Save " + name);
  int32_t saved = 0;
  rc = batch::RunAsJob(save, [&](TJob& J) {
    saved = SaveMaps(J, {cont, norm});
    if (saved != 2 && !J.Cancelled()) J.Fail("maps not saved");
  });
  if (rc != 0) return rc;
  std::cout << "file: " << batch::U8(cont->FileName()) << "\n"
            << "maps saved: " << saved << "\n";
  return 0;
}

bool DaTiKind(const std::vector<std::string>& Args, std::string& Da, std::string& Ti,
              int32_t& Kind) {
  if (Args.size() < 2) return false;
  Da = batch::Cp(Args[0]);
  Ti = batch::Cp(Args[1]);
  Kind = 1;
  if (Args.size() >= 3) {
    int32_t code = 0;
    Kind = ValIntCode(Args[2], code);
    if (code != 0 || Kind < 1 || Kind > 3) return false;
  }
  return true;
}

// maps-dir DATE TIME [KIND]: the extension listing of the map file.
int Dir(const std::vector<std::string>& Args) {
  std::string da, ti;
  int32_t kind = 1;
  if (Args.size() > 3 || !DaTiKind(Args, da, ti, kind)) return batch::Usage();
  batch::UseProgramRoot();
  const auto l = FITExtDir(kind, da, ti);
  if (!l) {
    std::cerr << "corvesta-batch: no map file " << batch::U8(GetFITNameByKind(kind, da, ti))
              << "\n";
    return 1;
  }
  for (int i = 0; i < l->Count(); ++i) std::cout << batch::U8((*l)[i]) << "\n";
  return 0;
}

// maps-load DATE TIME [KIND [NAME...]]: the file's maps (all, or the named ones) registered and
// read as a job; per map its size text, kind, version, source, number and statistics.
int Load(const std::vector<std::string>& Args) {
  std::string da, ti;
  int32_t kind = 1;
  if (!DaTiKind(Args, da, ti, kind)) return batch::Usage();
  batch::UseProgramRoot();
  TStringList wanted;
  for (size_t i = 3; i < Args.size(); ++i) wanted.Add(batch::Cp(Args[i]));
  TLFIOut& reg = LFIOReg();
  TJob job("LFIO.Load " + da + "_" + ti);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!reg.Load(kind, '0', da, ti, &wanted, wanted.Count() == 0, &J)) {
      if (!J.Cancelled()) J.Fail("no map loaded");
      return;
    }
    std::vector<TFIOut*> maps;
    for (const auto& m : reg.Items) maps.push_back(m.get());
    LoadMapsData(J, maps);
  });
  if (rc != 0) return rc;
  for (const auto& m : reg.Items) {
    std::cout << batch::U8(m->SizeText()) << "\n"
              << "  kind " << m->kSoft << " ver <" << batch::U8(m->Ver) << "> src " << m->DaNum
              << " KH " << m->KH << " kLoad " << m->kLoad << " " << KLoadName(m->kLoad) << "\n"
              << "  min " << ShortSt(7, m->vMin) << " (" << m->ixMin << "," << m->iyMin
              << ") max " << ShortSt(7, m->vMax) << " (" << m->ixMax << "," << m->iyMax
              << ") mean " << ShortSt(7, m->vMean) << "\n";
  }
  return 0;
}

const TBatchCommand kWrite{"maps-write", "maps-write SCAN [--ncut N] [--ver V]", Write};
const TBatchCommand kDir{"maps-dir", "maps-dir DATE TIME [KIND]", Dir};
const TBatchCommand kLoad{"maps-load", "maps-load DATE TIME [KIND [NAME...]]", Load};

}  // namespace
