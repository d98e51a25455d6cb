// Map algebra and level filters through the harness (the FITS tab is not built yet): expression
// lines evaluated for a scan over its registered and stored maps, and the masks of every
// combination of up to three level filters with their pixel counts.
#include <fstream>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFilters.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapAlg.h"
#include "scans/cvScanServices.h"
#include "tools/batch/Batch.h"

namespace {

void PrintMap(const TFIOut& M) {
  std::cout << batch::U8(M.Name) << ": [" << M.nX << "," << M.nY << "] kLoad " << M.kLoad
            << "\n"
            << "  min " << ShortSt(7, M.vMin) << " (" << M.ixMin << "," << M.iyMin << ") max "
            << ShortSt(7, M.vMax) << " (" << M.ixMax << "," << M.iyMax << ") mean "
            << ShortSt(7, M.vMean) << "\n";
}

bool DumpMap(const std::string& Dir, const TFIOut& M) {
  std::ofstream f(Dir + "/" + batch::U8(M.Name) + ".f32", std::ios::binary);
  f.write(reinterpret_cast<const char*>(M.aData.Data()),
          static_cast<std::streamsize>(M.aData.Count() * sizeof(float)));
  return static_cast<bool>(f);
}

// mapalg DATE TIME [--save] [--dump DIR] LINE...: each line "TARGET=expression" (or a bare
// expression, registered under the name the functions build) evaluated for the scan as one job;
// the results printed with their statistics, written raw (float32, x fastest) into DIR, and with
// --save added to the scan's own output file as a second job.
int MapAlg(const std::vector<std::string>& A) {
  std::vector<std::string> lines;
  std::string dump;
  bool save = false;
  for (size_t i = 2; i < A.size(); ++i) {
    if (A[i] == "--save") {
      save = true;
    } else if (A[i] == "--dump" && i + 1 < A.size()) {
      dump = A[++i];
    } else {
      lines.push_back(batch::Cp(A[i]));
    }
  }
  if (A.size() < 3 || lines.empty()) return batch::Usage();
  batch::UseProgramRoot();
  const std::string da = batch::Cp(A[0]), ti = batch::Cp(A[1]);
  std::vector<TFIOut*> made;
  TJob job("FOOperN " + da + "_" + ti);
  int rc = batch::RunAsJob(job, [&](TJob& J) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!J.Step(static_cast<int64_t>(i), static_cast<int64_t>(lines.size()), lines[i])) return;
      TFIOut* m = nullptr;
      if (lines[i].find('=') != std::string::npos) {
        m = FOLineToMap(lines[i], da, ti);
      } else {
        int32_t kind = 0;
        auto r = FOOperN(lines[i], da, ti, kind);
        if (r) {
          r->MinMaxMean();
          m = LFIOReg().Add(std::move(r));
        }
      }
      if (!m) return J.Fail("no map from <" + lines[i] + ">");
      made.push_back(m);
    }
  });
  for (TFIOut* m : made) {
    PrintMap(*m);
    if (!dump.empty() && !DumpMap(dump, *m)) rc = 1;
  }
  if (rc != 0 || !save) return rc;
  TJob sj("FIOut.Save " + da + "_" + ti);
  int32_t saved = 0;
  rc = batch::RunAsJob(sj, [&](TJob& J) {
    saved = SaveMaps(J, made);
    if (saved != static_cast<int32_t>(made.size()) && !J.Cancelled()) J.Fail("maps not saved");
  });
  std::cout << "maps saved: " << saved << "\n";
  return rc;
}

// mapmask DATE TIME [--range X1 X2 Y1 Y2] [--step N] (--filt NAME TEXT [--abs] [--hist])...:
// up to three level filters on maps of the scan (registry, own output file, inversion-result
// file); per combination (the first filter fastest), or the one step N, its text and the count
// of pixels passing, and the first map's statistics under that mask.
int MapMask(const std::vector<std::string>& A) {
  if (A.size() < 2) return batch::Usage();
  const std::string da = batch::Cp(A[0]), ti = batch::Cp(A[1]);
  struct TSpec {
    std::string name, text;
    bool abs = false, hist = false;
  };
  std::vector<TSpec> specs;
  int32_t range[4] = {0, -1, 0, -1};
  bool haveRange = false;
  int32_t only = 0;
  auto toInt = [](const std::string& S, int32_t& V) {
    int32_t code = 0;
    V = ValIntCode(S, code);
    return code == 0;
  };
  for (size_t i = 2; i < A.size(); ++i) {
    if (A[i] == "--filt" && i + 2 < A.size()) {
      specs.push_back({batch::Cp(A[i + 1]), batch::Cp(A[i + 2])});
      i += 2;
    } else if (A[i] == "--abs" && !specs.empty()) {
      specs.back().abs = true;
    } else if (A[i] == "--hist" && !specs.empty()) {
      specs.back().hist = true;
    } else if (A[i] == "--range" && i + 4 < A.size()) {
      for (int k = 0; k < 4; ++k)
        if (!toInt(A[i + 1 + static_cast<size_t>(k)], range[k])) return batch::Usage();
      haveRange = true;
      i += 4;
    } else if (A[i] == "--step" && i + 1 < A.size()) {
      if (!toInt(A[++i], only) || only < 1) return batch::Usage();
    } else {
      return batch::Usage();
    }
  }
  if (specs.empty() || specs.size() > 3) return batch::Usage();
  batch::UseProgramRoot();
  TFiltList filters;
  TFiltMaps maps;
  TAIn limits;
  TFiltState& st = Scans().Filt;
  struct TLine {
    int32_t step;
    TAIn index;
    std::string text;
    int32_t count;
    double mn, mx, mean;
  };
  std::vector<TLine> out;
  TJob job("MapFiltMask " + da + "_" + ti);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    for (const TSpec& s : specs) {
      TFIOut* m = LFIOReg().GetFIOutDT(da, ti, s.name);
      if (!m) m = FOFetchMap(s.name, da, ti);
      if (!m || !m->EnsureLoaded()) return J.Fail("no map " + s.name);
      const size_t before = filters.size();
      MakeListFilt(filters, s.name, TabsToBlanks(s.text), s.abs, s.hist);
      if (filters.size() == before) return J.Fail("no filter from <" + s.text + ">");
      maps.push_back(m);
      limits.push_back(filters.back()->Count());
    }
    TFIOut& first = *maps[0];
    if (!haveRange) {
      range[1] = first.nX - 1;
      range[3] = first.nY - 1;
    }
    st.State = 0;
    st.StepCount = 1;
    for (int32_t l : limits) st.StepCount *= l;
    const int32_t from = only ? only : 1, to = only ? only : st.StepCount;
    if (from > st.StepCount) return J.Fail("no step " + IntStr(from));
    for (int32_t step = from; step <= to; ++step) {
      if (!J.Step(step - from, to - from + 1, "")) return;
      TAIn index;
      ResetLevelIndex(step, limits, index);
      int32_t n = 0;
      MapFiltMask(true, first.nX, first.nY, range[0], range[1], range[2], range[3], maps,
                  filters, index, st.Mask, n);
      st.MaskN = n;
      st.Step = step;
      st.State = 1;
      first.MinMaxMean();
      first.UpdateMasked();
      out.push_back({step, index, st.Text, n, first.vMinAv, first.vMaxAv, first.vMeanAv});
    }
  });
  for (const TLine& l : out) {
    std::cout << "step " << l.step << "/" << st.StepCount << " levels";
    for (int32_t k : l.index) std::cout << " " << k + 1;
    std::cout << ": " << batch::U8(l.text) << " count " << l.count;
    if (l.count > 0)
      std::cout << " min " << ShortSt(7, l.mn) << " max " << ShortSt(7, l.mx) << " mean "
                << ShortSt(7, l.mean);
    std::cout << "\n";
  }
  return rc;
}

const TBatchCommand kMapAlg{"mapalg", "mapalg DATE TIME [--save] [--dump DIR] LINE...", MapAlg};
const TBatchCommand kMapMask{
    "mapmask",
    "mapmask DATE TIME [--range X1 X2 Y1 Y2] [--step N] (--filt NAME TEXT [--abs] [--hist])...",
    MapMask};

}  // namespace
