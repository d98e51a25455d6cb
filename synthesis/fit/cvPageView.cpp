#include "synthesis/fit/cvPageView.h"

#include "foundation/cvStr.h"

std::string& TGridView::Cell(const std::string& Column, int32_t R) {
  if (R < 0) R = 0;
  if (static_cast<size_t>(R) >= Rows.size()) Rows.resize(static_cast<size_t>(R) + 1);
  return Rows[static_cast<size_t>(R)][Column];
}

std::string TGridView::At(const std::string& Column, int32_t R) const {
  if (R < 0 || static_cast<size_t>(R) >= Rows.size()) return std::string();
  const auto& row = Rows[static_cast<size_t>(R)];
  const auto it = row.find(Column);
  return it == row.end() ? std::string() : it->second;
}

std::string TPageView::Text(const std::string& Name) const {
  const auto it = Controls.find(Name);
  return it == Controls.end() ? std::string() : it->second.Text;
}

std::unique_ptr<TStringList> TPageView::Dump() const {
  auto L = std::make_unique<TStringList>();
  for (const auto& [name, c] : Controls) {
    std::string s = name + " text=<" + c.Text + ">";
    if (c.Checked) s += " checked";
    if (!c.Items.empty()) {
      s += " items=<";
      for (size_t i = 0; i < c.Items.size(); ++i) s += (i ? "|" : "") + c.Items[i];
      s += ">";
    }
    if (c.ItemIndex >= 0) s += " item=" + IntStr(c.ItemIndex);
    if (c.Position != 0 || c.Max != 100 || c.Min != 0)
      s += " pos=" + IntStr(c.Position) + " range=" + IntStr(c.Min) + ".." + IntStr(c.Max);
    if (c.Top != 0 || c.Height != 0) s += " top=" + IntStr(c.Top) + " height=" + IntStr(c.Height);
    L->Add(s);
  }
  for (const auto& [name, g] : Grids) {
    L->Add(name + " rows=" + IntStr(g.RowCount()));
    for (int32_t r = 0; r < g.RowCount(); ++r) {
      std::string s = "  " + IntStr(r) + ":";
      for (const auto& [col, v] : g.Rows[static_cast<size_t>(r)]) s += " " + col + "=<" + v + ">";
      L->Add(s);
    }
  }
  return L;
}
