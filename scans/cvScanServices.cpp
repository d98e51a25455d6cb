#include "scans/cvScanServices.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"

namespace {
std::unique_ptr<TScanServices>& Holder() {
  static std::unique_ptr<TScanServices> s = std::make_unique<TScanServices>();
  return s;
}
}  // namespace

TScanServices::TScanServices() {
  // The rows of registered maps (without a registry or map the continuum is measured).
  MapRow.Install([](const TFITS& F, const std::string& Name, TARe& Out) {
    return F.MapRow(Name, Out);
  });
  SetupCurI.Install([this](TCurI& C) { return ::SetupCurI(C, CurISet); });
  GaussParamsToCurI.Install([this](TCurI& C) { ::GaussParamsToCurI(C, CurISet); });
}
TScanServices::~TScanServices() = default;

TScanServices& Scans() { return *Holder(); }
void ResetScanServices() { Holder() = std::make_unique<TScanServices>(); }

TCurI& ScanCurI() {
  TScanServices& s = Scans();
  if (!s.CurI) s.CurI = std::make_unique<TCurI>();
  return *s.CurI;
}

std::string DefaultScanRoot(const std::string& BundledFITS) {
  namespace fs = std::filesystem;
  std::string base;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
    base = x;
  else if (const char* h = std::getenv("HOME"); h && *h)
    base = std::string(h) + "/.local/share";
  else
    base = fs::temp_directory_path().string();
  const fs::path root = fs::path(base) / "Corvesta" / "FITS";
  std::error_code ec;
  if (!fs::exists(root, ec)) {
    fs::create_directories(root, ec);
    if (!BundledFITS.empty() && fs::is_directory(BundledFITS, ec))
      fs::copy(BundledFITS, root, fs::copy_options::recursive | fs::copy_options::skip_existing,
               ec);
    if (ec) WARN("FITSRoot: " + root.string() + " <- " + BundledFITS + ": " + ec.message());
  }
  return root.string() + "/";
}
