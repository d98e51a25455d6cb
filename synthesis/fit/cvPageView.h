// A plain description of a window page that computing code fills and a tab draws: controls by
// name (text, check state, items, track position, place) and grids by name (rows of cells by
// column name). Filling it touches no widget; the tab shows it after the job.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

struct TCtlView {
  std::string Text;                // edit, combo-box or label text
  bool Checked = false;            // check box, radio button
  std::vector<std::string> Items;  // combo-box items
  int32_t ItemIndex = -1;          // chosen item, -1 none
  int32_t Position = 0;            // track bar
  int32_t Min = 0, Max = 100;      // track bar range
  int32_t Top = 0, Height = 0;     // place on the page
  std::string Handler;             // change or click handler taken over from a template
};

struct TGridView {
  std::vector<std::map<std::string, std::string>> Rows;
  void Clear() { Rows.clear(); }
  int32_t RowCount() const { return static_cast<int32_t>(Rows.size()); }
  // Row R (0-based, made when missing), column Column.
  std::string& Cell(const std::string& Column, int32_t R);
  // The cell's text, empty when the row or cell is missing.
  std::string At(const std::string& Column, int32_t R) const;
};

struct TPageView {
  std::map<std::string, TCtlView> Controls;
  std::map<std::string, TGridView> Grids;
  bool Visible = true;
  // Times (milliseconds of the day) the window keeps per row of a page (the Dialog page's value
  // times), by row number.
  std::map<int32_t, uint32_t> RowTimes;

  // The control (made when missing).
  TCtlView& Ctl(const std::string& Name) { return Controls[Name]; }
  TGridView& Grid(const std::string& Name) { return Grids[Name]; }
  bool Has(const std::string& Name) const { return Controls.count(Name) != 0; }
  // A control's text, empty when there is none.
  std::string Text(const std::string& Name) const;
  void Free(const std::string& Name) { Controls.erase(Name); }
  // One line per control and per grid row, in name order (the harness prints it).
  std::unique_ptr<TStringList> Dump() const;
};
