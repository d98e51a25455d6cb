// A grid's rows as lines of words and back: a row's cells as one line (blanks inside a cell
// turned into "_", check boxes as "1"/"0"), the visible columns as a table, and rows appended
// from such lines.
#pragma once
#include <string>

#include "foundation/cvStrList.h"
#include "grid/cvGxCells.h"
#include "grid/cvGxColumns.h"

// Every cell of the row in column order, trimmed, blanks replaced by "_", "True" by "1" and
// "False" by "0", each preceded by one blank.
std::string GridRowText(TCells& Cells, int Row);

// A head line of the visible columns' captions (trimmed, blanks replaced by "_", each after one
// blank), then one line per row over the same columns; an empty cell is written "-" so that
// the words stay under their captions.
void GridToSL(TGxColumns& Columns, TCells& Cells, TStringList& SL);

// One row appended per line, column i taking word i + 1 (a missing word leaves the cell
// empty; a check box takes "1" as checked). Refused with a warning when a store or the lines
// are missing, the lines are empty, or the first line's word count is not the column count.
bool SL2Any_ng(TCells* Cells, const TStringList* SL);
