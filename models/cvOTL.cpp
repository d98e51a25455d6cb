#include "models/cvOTL.h"

#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "platform/FileErr.h"

namespace {

bool SwitchOn(const std::string& Word) {
  if (Word.empty()) return false;
  const unsigned char c = static_cast<unsigned char>(Word[0]);
  static const std::string yes = "1Yy"_cp + "Дд"_cp;
  return yes.find(static_cast<char>(c)) != std::string::npos;
}

}  // namespace

void RDOT(const std::string& FileName, int32_t& Mask, std::string& Title) {
  Mask = 0;
  Title = "OTL";
  if (FileName.empty() || !platform::IsRegularFile(FileName)) {
    Sayer->ChanLog(-1, "файл "_cp + FileName + " для чтения опций (OTL-файл) не найден!"_cp);
    return;
  }
  TCIL cil;
  cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  cil.Load(FileName, "RDOT");
  cil.NextLine();  // line 1: free text
  cil.NextLine();
  if (!cil.Line.empty()) {
    const std::string t = cil.GetWord();
    if (!t.empty()) Title = t;
  }
  cil.NextLine();  // line 3: free text
  bool first = true;
  for (int32_t i = 1; i <= 31; ++i) {
    cil.NextLine();
    if (cil.Line.empty()) break;
    const bool on = SwitchOn(cil.GetWord());
    if (on) Mask |= static_cast<int32_t>(1u << (i - 1));
    if (first) {
      Sayer->qTrace = on;
      first = false;
    }
  }
  if (first) Sayer->qTrace = false;
  cil.Unload();
  Sayer->ChanLog(-1, "RDOT(" + FileName + ") IO= " + IntBin(static_cast<uint32_t>(Mask)));
}

void RDOTIO(const std::string& FileName, int32_t& Mask) {
  std::string title;
  RDOT(FileName, Mask, title);
}

TOptionScope::TOptionScope(const std::string& Routine, bool Install)
    : savedMask_(TraceMask), savedDepth_(StackIO.Count) {
  StackIO.push(TraceMask);
  try {
    FileName = Models().DirOf(Routine, "OTL");
    RDOT(FileName, Mask, Title);
  } catch (...) {
    TraceMask = savedMask_;
    while (StackIO.Count > savedDepth_) StackIO.pop();
    throw;
  }
  if (Install) TraceMask = Mask;
}

TOptionScope::~TOptionScope() {
  while (StackIO.Count > savedDepth_) StackIO.pop();
  TraceMask = savedMask_;
}
