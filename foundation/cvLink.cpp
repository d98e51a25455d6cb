#include "foundation/cvLink.h"

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"

namespace cvlink {

std::string NotAvailableText(const std::string& Name) {
  return Name + " - функция пока недоступна"_cp;
}

void NotAvailable(const std::string& Name) { WARNAbs(NotAvailableText(Name)); }

void NotAvailableQuiet(const std::string& Name) { WARN(NotAvailableText(Name)); }

}  // namespace cvlink
