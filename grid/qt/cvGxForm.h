// The grid as a control of the form texts: the form kind TCvGrid. The generated builder makes a
// TFormCvGrid, gives it the grid's settings by name and its columns one line each, in the
// grid's "being read" mode, then calls Loaded. Its events (OnSelectCell, OnAfterEdit,
// OnCellClick, OnCellDblClick, OnHeaderClick, OnFooterClick, OnAfterRowMove, OnVerticalScroll,
// OnDrawCellBackground, keys, mouse, OnClick, OnExit) bind by name through the form dispatcher.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "grid/qt/cvGxGrid.h"

class TFormCvGrid : public TCvGrid {
 public:
  // One column line of the form: (setting, value) pairs, values in code page 1251.
  using TColumnSpec = std::vector<std::pair<std::string, std::string>>;
  explicit TFormCvGrid(QWidget* Parent = nullptr);

  // "goGrid goHeader ..." (blank separated option names; empty: none).
  void SetFormOptions(const std::string& Words);
  void SetFormAppearance(const std::string& Words);
  void SetCaption(const std::string& Cp1251) { TCvGrid::SetCaption(gx::W(Cp1251)); }
  std::string Hint() const;
  void SetHint(const std::string& H);
  int32_t Tag() const { return property("tag").toInt(); }
  void SetTag(int32_t T) { setProperty("tag", T); }
  void SetHelpKeyword(const std::string& K);
  // Makes the column of the line's kind ("text", "number", "checkbox", "list", "combobox")
  // with its settings: name, caption, hint, width, position, visible, options, alignment,
  // items ("|" between items), style, sorttype, defaultvalue, tag, editoptions, spinbuttons,
  // precision, increment, min, max. An unknown kind, setting or word, or a second column of a
  // name, raises std::logic_error.
  TGxCustomColumn* AddColumn(const TColumnSpec& Spec);
  // The form is read: the grid lays itself out.
  void Loaded() { EndRead(); }
};
