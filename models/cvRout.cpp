#include "models/cvRout.h"

#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"

void LoadRout(int32_t N, TARe& Grid) { LoadRoutFrom(Models().DirOf("GEDA", "ROUT"), N, Grid); }

void LoadRoutFrom(const std::string& FileName, int32_t N, TARe& Grid) {
  TCIL cil;
  cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  cil.Load(FileName, "NEOR");
  const std::string mark = "СЕТКА ВЫВОДА"_cp;
  int32_t number = -1;
  while (cil.FindKey(mark)) {
    cil.NextLine();
    number = cil.GetInt();
    if (ChanOn(3)) Sayer->ChanLog(3, mark + " N=" + PadLeft(IntStr(number), 2));
    if (number == N) break;
  }
  if (number != N) cil.Err(mark + " " + IntStr(N) + " не найдена!"_cp);
  cil.NextLine();
  cil.GetWord();  // the title
  const int32_t n = cil.GetInt();
  if (n < 0) cil.Err(mark + " " + IntStr(N) + ": число точек "_cp + IntStr(n) + " < 0!");
  Grid.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t i = 1; i <= n; ++i) {
    cil.NextLine();
    if (cil.Line.empty())
      cil.Err(mark + " " + IntStr(N) + ": файл кончился на точке "_cp + IntStr(i));
    Grid[static_cast<size_t>(i)] = cil.GetReal();
  }
  cil.Unload();
}

void SetRoutOnePoint(TARe& Grid, double X) { Grid.assign({0.0, X}); }
