#include "synthesis/pictures/cvRachTest.h"

#include <exception>

#include "foundation/cvSayer.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/cvLines.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/profiles/cvUnno.h"

bool RachTestProf(const std::string& Id, const TMEPar& P, int32_t N, platform::TCanvas& Canvas,
                  double W, TGRAF& G, TPlotDone* Done, TUNNO* Out) {
  const std::string id = Id.substr(0, 13);
  TLIDA line;
  bool found = false;
  try {
    found = line.DBGetLIDA(id, LineData().LGGFSrcList());
  } catch (const std::exception&) {
    found = false;
  }
  if (!found) return false;
  LineGetFromVARI(line);
  ZeeSetLine(line);
  TUNNO own;
  TUNNO& U = Out ? *Out : own;
  U.SetDefaults();
  U.sULin = id;
  U.ALG = "RACH";
  U.PureUL(N < 1 ? 1 : N, 0, line.LAMB, W, 0);
  RACH(P, line.Zee, U);
  G.INIGCanvas(&Canvas, 0);
  G.SetBkColor(0x8000);
  G.ClearG();
  G.SetGColor(0xFFFF);
  UnnoDraw(G, U, "RI", '0', 0.55, 0.95, 0.05, 0.45, Done);
  G.SetGColor(0xFFFF);
  G.TextInView(" RI", 'L', 'U', 2);
  G.ENDG();
  return true;
}
