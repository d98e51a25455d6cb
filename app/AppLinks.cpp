#include "app/AppLinks.h"

#include "foundation/cvLink.h"
#include "foundation/cvSayer.h"

TLVARI* LVARI = nullptr;
TLUNNO* LUNNO = nullptr;
TLLIDA* LLIDA = nullptr;
TLIDA* LILast = nullptr;
TVARIATOR* VARIWHM = nullptr;

namespace applinks {

std::string NotAvailableText(const std::string& Name) { return cvlink::NotAvailableText(Name); }

void NotAvailable(const std::string& Name) { cvlink::NotAvailable(Name); }

TEnterFileHook& EnterFileHook() {
  static TEnterFileHook hook;
  return hook;
}

void EnterFile(const std::string& ErrText, const std::string& FileName, int32_t LineNo,
               int32_t Pos) {
  if (EnterFileHook())
    EnterFileHook()(ErrText, FileName, LineNo, Pos);
  else
    NotAvailable("TcvEd.EnterFile");
}

TMemoTestAddHook& MemoTestAddHook() {
  static TMemoTestAddHook hook;
  return hook;
}

void MemoTestAdd(const std::string& Text) {
  if (MemoTestAddHook())
    MemoTestAddHook()(Text);
  else
    NotAvailable("MemoTestAdd");
}

std::vector<TInitStep>& InitFrameSteps() {
  static std::vector<TInitStep> steps;
  return steps;
}

TObjectLink& LVARILink() {
  static TObjectLink link;
  return link;
}
TObjectLink& LUNNOLink() {
  static TObjectLink link;
  return link;
}
TObjectLink& LLIDALink() {
  static TObjectLink link;
  return link;
}
TObjectLink& LILastLink() {
  static TObjectLink link;
  return link;
}
TObjectLink& VARIWHMLink() {
  static TObjectLink link;
  return link;
}

void ResetAll() {
  EnterFileHook() = nullptr;
  MemoTestAddHook() = nullptr;
  InitFrameSteps().clear();
  LVARILink() = LUNNOLink() = LLIDALink() = LILastLink() = VARIWHMLink() = TObjectLink{};
}

}  // namespace applinks
