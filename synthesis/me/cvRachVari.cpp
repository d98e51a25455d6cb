#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvKurucz.h"
#include "models/variator/cvVari.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvUnno.h"

bool RachDBLamb(const std::string& Name, double& Lamb) {
  int32_t err = 0;
  Lamb = DBLineVal(Name, "LAMB", err);
  return err == 0;
}

void RachGetFromVARI(TVARIATOR& V, int32_t K, std::string& Name, int32_t& NLAM, TMEPar& P,
                     TUNNO& U, TRachLambLookup Lookup) {
  if (ChanOn(1)) Sayer->ChanLog(1, "RACH - RachGetFromVARI - START");
  V.KIdx = K;
  Name = TrimSp(V.GetS("#LIN")).substr(0, 13);
  if (ChanOn(3)) Sayer->ChanLog(3, "LIN8=" + Name);
  double lamb = 0;
  if (!Lookup(Name, lamb))
    ErrAbs("RachGetFromVARI KVARI=" + IntStr(K) + " линия "_cp + Name + " не найдена в БД!"_cp);
  NLAM = V.GetI("#NLAM", 0);
  const double dl0 = V.GetR("#DL0", 0), dlk = V.GetR("#DLK", 0);
  const double dlvd = V.GetR("#DLVD", 0) / 1000;
  U.PureUL(NLAM, dlvd, lamb, dlk, dl0);
  P.ETA0 = V.GetRK("#ETA0");
  P.A = V.GetRK("#A");
  P.DLD = V.GetRK("#DLD");
  P.DLH = V.GetR("#DLH", 0);
  const double vh = V.GetR("#VH", 0), h = V.GetR("#H", 0);
  P.GM = V.GetR("#GM", 0);
  P.XI = V.GetR("#XI", 0);
  P.DLVD = dlvd;
  P.CTETA = V.GetRK("#CTETA");
  P.BETTA = V.GetRK("#BETTA");
  if (P.DLH == 0) P.DLH = h != 0 ? DLHOfField(lamb, h) : vh * P.DLD;
  if (ChanOn(1)) Sayer->ChanLog(1, "RACH - RachGetFromVari - END");
}
