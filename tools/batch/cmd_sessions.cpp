// The FITS tab's session archive headless: the sessions grid of a month, a year or "All" as text,
// and an edited header text written back into its file.
//   sessions [--root DIR] MONTH      the grid's rows (head line of captions, one line per session)
//   header-return [--bak] FILE       FILE holds "file S N", a dashed line and the cards
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessions.h"
#include "tools/batch/Batch.h"

namespace {

int Sessions(const std::vector<std::string>& A) {
  std::string root, month;
  for (size_t i = 0; i < A.size(); ++i) {
    if (A[i] == "--root" && i + 1 < A.size())
      root = batch::Cp(A[++i]);
    else if (month.empty() && A[i].rfind("--", 0) != 0)
      month = batch::Cp(A[i]);
    else
      return batch::Usage();
  }
  if (month.empty()) return batch::Usage();
  if (root.empty()) {
    batch::UseProgramRoot();
    root = Scans().DataRoot();
  }
  if (!batch::RequireFolder(root, "data root")) return 1;
  sessions::TSessionFill out;
  TJob job("sessions " + month);
  const int rc = batch::RunAsJob(job, [&](TJob& J) { sessions::FillSessions(root, month, out, &J); });
  if (rc != 0) return rc;
  std::vector<std::pair<std::string, std::string>> cols(sessions::SessionColumns().begin() + 1,
                                                        sessions::SessionColumns().end());
  for (const std::string& l : sessions::SessionRowsText(out.Rows, cols))
    std::cout << batch::U8(l) << "\n";
  return out.MissingMonth ? 1 : 0;
}

int HeaderReturn(const std::vector<std::string>& A) {
  bool bak = false;
  std::string file;
  for (const std::string& a : A) {
    if (a == "--bak")
      bak = true;
    else if (file.empty())
      file = a;
    else
      return batch::Usage();
  }
  if (file.empty()) return batch::Usage();
  if (!batch::RequireFile(file, "header text")) return 1;
  std::ifstream f(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(batch::Cp(l));
  }
  return sessions::HeaderReturn(lines, bak) ? 0 : 1;
}

const TBatchCommand kSessions{"sessions", "sessions [--root DIR] MONTH|YEAR|All", Sessions};
const TBatchCommand kHeaderReturn{"header-return", "header-return [--bak] FILE", HeaderReturn};

}  // namespace
