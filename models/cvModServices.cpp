#include "models/cvModServices.h"

#include <memory>

#include "foundation/cvSayer.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"

TLVARI* LVARI = nullptr;
TVARIATOR* VARIWHM = nullptr;

namespace {
std::unique_ptr<TModelServices>& Current() {
  static std::unique_ptr<TModelServices> s = std::make_unique<TModelServices>();
  return s;
}

thread_local std::vector<std::string>* t_memoCapture = nullptr;
}  // namespace

void MemoTest(const std::string& Text) {
  if (t_memoCapture)
    t_memoCapture->push_back(Text);
  else
    Models().MemoTestAdd(Text);
}

void CaptureMemoTest(std::vector<std::string>* Lines) { t_memoCapture = Lines; }

TLVARI* TModelServices::Variators() const { return LVARI; }
TVARIATOR* TModelServices::WidthVariator() const { return VARIWHM; }

void MakeVariatorList() {
  if (LVARI) return;
  LVARI = new TLVARI();
  LVARI->SetCallback(SpreadFunc);
}

void FreeVariatorList() {
  delete LVARI;
  LVARI = nullptr;
}

void MakeWidthVariator() {
  if (!VARIWHM) VARIWHM = new TVARIATOR();
}

void FreeWidthVariator() {
  delete VARIWHM;
  VARIWHM = nullptr;
}

TModelServices& Models() { return *Current(); }

void ResetModelServices() { Current() = std::make_unique<TModelServices>(); }

void ModFatal(const std::string& Text) {
  if (Models().Fatal) Models().Fatal(Text);
  throw EInOutError(Text + "\r\n");
}
