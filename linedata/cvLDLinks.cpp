#include "linedata/cvLDLinks.h"

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvStrList.h"

namespace ldlinks {

TProgressHook& ProgressHook() {
  static TProgressHook hook;
  return hook;
}

void Progress(const std::string& Text) {
  if (ProgressHook()) {
    ProgressHook()(Text);
    return;
  }
  if (App && App->Inf) {
    App->Inf->LogStr("UM", Text);
    App->Inf->RedrawIfDirty();
  }
}

TShowListHook& ShowListHook() {
  static TShowListHook hook;
  return hook;
}

void ShowList(const std::string& Title, const TStringList& List) {
  if (ShowListHook()) {
    ShowListHook()(Title, List);
    return;
  }
  if (Ed)
    Ed->EdLoadSL(Title, &List);
  else
    applinks::NotAvailable("TcvEd.EdLoadSL");
}

TOpenAtHook& OpenAtHook() {
  static TOpenAtHook hook;
  return hook;
}

void OpenAt(const std::string& Text, const std::string& FileName, int32_t LineNo, int32_t Pos) {
  if (OpenAtHook())
    OpenAtHook()(Text, FileName, LineNo, Pos);
  else
    CILErrToEditor(Text, FileName, LineNo, Pos);
}

TLambFields& LambFields() {
  static TLambFields fields;
  return fields;
}

void ResetAll() {
  ProgressHook() = nullptr;
  ShowListHook() = nullptr;
  OpenAtHook() = nullptr;
  LambFields() = TLambFields{};
}

}  // namespace ldlinks
