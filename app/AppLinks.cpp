#include "app/AppLinks.h"

#include "foundation/cvLink.h"
#include "foundation/cvSayer.h"

TLUNNO* LUNNO = nullptr;

namespace applinks {

std::string NotAvailableText(const std::string& Name) { return cvlink::NotAvailableText(Name); }

void NotAvailable(const std::string& Name) { cvlink::NotAvailable(Name); }

namespace {
TLink<void(const std::string&, const std::string&, int32_t, int32_t)>& EnterFileLink() {
  static TLink<void(const std::string&, const std::string&, int32_t, int32_t)> link{
      "TcvEd.EnterFile"};
  return link;
}
TLink<void(const std::string&)>& MemoTestAddLink() {
  static TLink<void(const std::string&)> link{"MemoTestAdd"};
  return link;
}
}  // namespace

TEnterFileHook& EnterFileHook() { return EnterFileLink().Provider(); }

void EnterFile(const std::string& ErrText, const std::string& FileName, int32_t LineNo,
               int32_t Pos) {
  EnterFileLink()(ErrText, FileName, LineNo, Pos);
}

TMemoTestAddHook& MemoTestAddHook() { return MemoTestAddLink().Provider(); }

void MemoTestAdd(const std::string& Text) { MemoTestAddLink()(Text); }

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
