#include "models/vectors/cvCont.h"

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

void TCONT::CheckLAM(int32_t Index, double ProfLAMB, double ProfUL) const {
  if (LAMMin <= WK.LAM && WK.LAM <= LAMMax) return;
  ErrAbs("CONT.CheckLAM: В переменной CONT.WK.LAM должна быть длина волны, а найдено число "_cp +
         ShortSt(8, WK.LAM) + " !\n\rUN.LAMB=" + ShortSt(8, ProfLAMB) + " UN.UL[" + IntStr(Index) +
         "]=" + ShortSt(8, ProfUL));
}

void TCONT::ResetLam() {
  LAMB = 0;
  ConstVD = true;
}
