// The FITS tab's calculation stages, the RUN queue and the map erase without the window.
//   fits-run SCAN [--lcxx X] [--cancel-after N] CASE...
//       each CASE as the tab's RUN runs it for the session of SCAN (a session name under the data
//       root, or a folder root/yyyy_mm/yyyymmdd_hhmmss whose root becomes the data root): a case
//       of the combo ("CONT", "LIV", "1Ldxx", "23_CB0*" ...), "RUN" the queue with an empty case
//       (the pending automatic cases of this session and the following ones of its month), "_1"
//       CONT for every session of the month that lacks it. After each: the maps saved and the
//       combo's items with their marks.
//   fits-erase [--root DIR] DATE TIME NAME...
//       the maps erased from the session's own output file (no backup), then the file's maps.
// The definitions of the data root's "FO.txt" are the operation list of both.
#include <filesystem>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITSRuns.h"
#include "scans/cvFOOps.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessions.h"
#include "tools/batch/Batch.h"

namespace {

namespace fs = std::filesystem;

// The data root (from a folder argument) and the definition list.
std::string Prepare(const std::string& Arg) {
  batch::UseProgramRoot();
  std::error_code ec;
  if (fs::is_directory(Arg, ec)) {
    const std::string folder = batch::ScanPath(Arg);
    const std::string root = fs::path(folder).parent_path().parent_path().string() + "/";
    Scans().DataRoot.Install([root] { return root; });
  }
  std::vector<std::string> names;
  sessions::LoadFOList(Scans().DataRoot(), names, foops::FOLines());
  foops::InstallCalcFO();
  const std::string folder = batch::ScanPath(Arg);
  return fs::path(folder).filename().string();
}

// The sessions of the month folder of a session, in name order.
std::vector<std::string> MonthSessions(const std::string& Session) {
  std::vector<std::string> r;
  const std::string month = sessions::SessionYearMonth(Session);
  for (const std::string& e : sessions::ListSorted(sessions::Join(Scans().DataRoot(), month)))
    if (sessions::IsSessionName(e) && e.size() == 15) r.push_back(e);
  return r;
}

int FitsRun(const std::vector<std::string>& Args) {
  if (Args.size() < 2) return batch::Usage();
  fitsruns::TRunCtx ctx;
  int32_t cancelAfter = -1, code = 0;
  std::vector<std::string> cases;
  for (size_t a = 1; a < Args.size(); ++a) {
    if (Args[a] == "--lcxx" && a + 1 < Args.size()) {
      ctx.LCxx = Args[++a];
    } else if (Args[a] == "--cancel-after" && a + 1 < Args.size()) {
      cancelAfter = ValIntCode(Args[++a], code);
      if (code != 0) return batch::Usage();
    } else {
      cases.push_back(batch::Cp(Args[a]));
    }
  }
  if (cases.empty()) return batch::Usage();
  const std::string session = batch::Cp(Prepare(batch::Cp(Args[0])));
  if (!sessions::IsSessionName(session)) {
    std::cerr << "not a session: " << Args[0] << "\n";
    return 2;
  }
  TLFITS scan;
  ctx.Scan = &scan;
  ctx.Session = session;
  struct TDetach {
    TLFITS& Scan;
    ~TDetach() {
      if (TLFIOut* reg = LFIOOrNull())
        for (const auto& m : reg->Items)
          if (m && m->Owner == &Scan) m->Owner = nullptr;
    }
  } detach{scan};
  int status = 0;
  for (const std::string& c : cases) {
    ctx.Saved.clear();
    bool ok = false;
    TJob job("RUN " + c + " " + session);
    const int r = batch::RunAsJob(job, [&](TJob& J) {
      if (cancelAfter >= 0)
        J.OnProgress = [&J, cancelAfter, shown = J.OnProgress](const TJobProgress& P) {
          if (shown) shown(P);
          if (P.Done >= cancelAfter) J.Cancel();
        };
      const std::vector<std::string> month = MonthSessions(session);
      size_t from = 0;
      while (from < month.size() && month[from] != session) ++from;
      if (c == "RUN")
        ok = fitsruns::RunQueue(J, ctx, month, from, "");
      else if (c == "_1")
        ok = fitsruns::ContForAll(J, ctx, month);
      else
        ok = fitsruns::RunCase(J, ctx, c);
      ctx.Session = session;
    });
    std::cout << "case " << batch::U8(c) << (ok ? " done" : " stopped") << "\n";
    std::cout << "saved";
    for (const std::string& n : ctx.Saved) std::cout << " " << batch::U8(n);
    std::cout << "\nmarks";
    for (const std::string& i : fitsruns::MarkedItems(fitsruns::CaseMarks(session)))
      std::cout << " " << batch::U8(i);
    std::cout << "\n";
    if (r != 0 && status == 0) status = r;
    if (r == 0 && !ok && status == 0) status = 1;
  }
  return status;
}

int FitsErase(const std::vector<std::string>& In) {
  std::vector<std::string> Args = In;
  std::string root;
  if (Args.size() >= 2 && Args[0] == "--root") {
    root = batch::Cp(Args[1]);
    Args.erase(Args.begin(), Args.begin() + 2);
  }
  if (Args.size() < 3) return batch::Usage();
  const std::string session = batch::Cp(Args[0]) + "_" + batch::Cp(Args[1]);
  Prepare(root.empty() ? session : sessions::SessionFolder(root, session));
  const std::string da = batch::Cp(Args[0]), ti = batch::Cp(Args[1]);
  TLFIOut& reg = LFIOReg();
  if (!reg.LoadOwn(da, ti, nullptr, true)) {
    std::cerr << "no own map file of " << da << "_" << ti << "\n";
    return 1;
  }
  std::vector<TFIOut*> maps;
  for (size_t a = 2; a < Args.size(); ++a) {
    TFIOut* m = reg.GetFIOutDT(da, ti, batch::Cp(Args[a]));
    if (!m) {
      std::cerr << "no map " << Args[a] << "\n";
      return 1;
    }
    maps.push_back(m);
  }
  const bool ok = foops::EraseMaps(maps, false);
  std::cout << "maps of " << da << "_" << ti << ":";
  for (const auto& m : reg.Items)
    if (FIOutAssigned(m.get()) && m->Da == da && m->Ti == ti && m->kSoft == 1)
      std::cout << " " << batch::U8(m->Name) << "#" << m->KH;
  std::cout << "\n";
  return ok ? 0 : 1;
}

const TBatchCommand kFitsRun{"fits-run",
                             "fits-run SCAN [--lcxx X] [--cancel-after N] CASE|RUN|_1...",
                             FitsRun};
const TBatchCommand kFitsErase{"fits-erase", "fits-erase [--root DIR] DATE TIME NAME...", FitsErase};

}  // namespace
