// A plain page description (synthesis/fit/cvPageView.h) written into the window's controls by
// name: texts, check states, items, chosen items and track positions; grids row by row, cell by
// column name. Controls the description names but the window lacks are skipped.
#pragma once

struct TPageView;
class TCorvesta;

void ShowPageView(TCorvesta& Shell, const TPageView& Page);
