#include "synthesis/transfer/cvZee.h"

#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"

double LineGEff(const std::string& Id) {
  TLLIDA* list = LLIDA;
  TLIDA* line = list ? list->GetAtLine(Id) : nullptr;
  if (!line) return 0;
  ZeeSetLine(*line);
  TVARIATOR* v = VariCtx().VARI;
  const std::string zee = v ? v->GetSDef("#ZEE", "0") : std::string("0");
  if (zee != "0") line->Zee.SetByHand(zee);
  return line->Zee.GetGEff();
}
