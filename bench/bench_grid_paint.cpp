// Grid painting against the row count: a five-column grid of 100,000 rows painted in full into
// an image at the top, the middle and the end ("GridPaint"), against the same grid of 1,000 rows
// ("GridPaint_Reference"); the ratio of the mean paint times is the goal (<= 1.5). A thumb jump
// from the top to the bottom and back ("ThumbJump") is timed the same way.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <map>
#include <memory>

#include "grid/qt/cvGxGrid.h"
#include "grid/qt/demo/GridDemo.h"

namespace {

struct TBenchGrid {
  std::unique_ptr<QWidget> Window;
  TCvGrid* Grid = nullptr;
};

// The windows go before the application does (see main).
std::map<int, TBenchGrid>& Grids() {
  static std::map<int, TBenchGrid> grids;
  return grids;
}

TCvGrid& GridOf(int Rows) {
  TBenchGrid& b = Grids()[Rows];
  if (!b.Grid) {
    griddemo::TGridDemo d = griddemo::MakeGridDemo(Rows);
    b.Window.reset(d.Window);
    b.Grid = d.Grid;
    b.Window->resize(600, 420);
    b.Window->show();
    QApplication::processEvents();
  }
  return *b.Grid;
}

void Paints(benchmark::State& State, int Rows) {
  TCvGrid& g = GridOf(Rows);
  QImage img(g.viewport()->size(), QImage::Format_RGB32);
  TGxScrollBar& v = g.VertScrollBar();
  const int positions[] = {0, v.ScrollMax / 2, v.ScrollMax};
  for (auto _ : State) {
    for (int p : positions) {
      v.SetScrollPos(p);
      QPainter painter(&img);
      g.PaintTo(painter, img.rect());
    }
  }
  v.SetScrollPos(0);
  State.SetItemsProcessed(State.iterations() * 3);
}

void Jumps(benchmark::State& State, int Rows) {
  TCvGrid& g = GridOf(Rows);
  TGxScrollBar& v = g.VertScrollBar();
  for (auto _ : State) {
    v.SetScrollPos(v.ScrollMax);
    v.SetScrollPos(0);
  }
}

void GridPaint(benchmark::State& S) { Paints(S, 100000); }
void GridPaint_Reference(benchmark::State& S) { Paints(S, 1000); }
void ThumbJump(benchmark::State& S) { Jumps(S, 100000); }
void ThumbJump_Reference(benchmark::State& S) { Jumps(S, 1000); }

}  // namespace

BENCHMARK(GridPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(GridPaint_Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThumbJump)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThumbJump_Reference)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // the benchmark's flags first: the application keeps argc and argv
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Grids().clear();
  return 0;
}
