// Plotter commands of the harness: the plotter's demo drawn on a page in memory, with its reports.
#include <iostream>

#include "foundation/cvStrList.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotDemo.h"
#include "tools/batch/Batch.h"

namespace {

void Print(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

// plot-demo MODELDIR: the models hsra11.mod and holmu11.mod of MODELDIR and a Stokes I profile
// plotted on a 1000 x 750 page that stands for the picture window; prints the graph list, the
// world windows, the plot areas and the count of graphs drawn.
int Demo(const std::vector<std::string>& Args) {
  if (Args.size() != 1) return batch::Usage();
  platform::TBitmap Page(1000, 750);
  TGRAF G;
  TPLOTTER P(&G);
  P.INIG(&Page.Canvas(), "TFPict", nullptr, 0);
  if (!PlotModelDemo(P, batch::Cp(Args[0]))) {
    std::cerr << "corvesta-batch: cannot read the models in " << Args[0] << "\n";
    return 1;
  }
  Print(*LGraphReport(*P.LGraph));
  Print(*P.LWorldWin->Report());
  Print(*LPlotReport(*P.LPlot));
  std::cout << "NDrawn=" << P.NDrawn << "\n";
  return 0;
}

const TBatchCommand kDemo{"plot-demo", "plot-demo MODELDIR", Demo};

}  // namespace
