#include "models/physics/cvPhysFill.h"

#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"

namespace physfill {

TVEMO* Need(const TVEMO& Target, const std::string& NAME, const std::string& sIdV) {
  return Keeper().NeedWrkVeMo(NAME, Target.sMOD, sIdV, Target.FMOD);
}

TVEMO* Optional(const TVEMO& Target, const std::string& NAME, const std::string& sIdV) {
  std::string msg;
  return Keeper().GetWrkVeMo(NAME, Target.sMOD, msg, sIdV, Target.FMOD);
}

void Size(TVEMO& V, int32_t N) {
  V.A.assign(static_cast<size_t>(N) + 1, 0.0);
  V.N = N;
  V.Ch = 0;
}

bool Layer(const std::string& Tag, const std::vector<TVEMO*>& In, char& C, double& XL,
           double& XU, size_t Ask) {
  const TVEMO* prev = nullptr;
  C = 0;
  for (size_t j = 0; j < In.size() && j < Ask; ++j) {
    TVEMO* v = In[j];
    if (!v) continue;
    char c = 0;
    v->GetHolePar(Tag, prev, XU, XL, c);
    if (c != 0) {
      C = c;
      prev = v;
    }
  }
  return C != 0;
}

}  // namespace physfill
