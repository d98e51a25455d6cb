#include "mainwindow/PageViewShow.h"

#include <exception>

#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "platform/qt/FormControls.h"
#include "synthesis/fit/cvPageView.h"

void ShowPageView(TCorvesta& Shell, const TPageView& Page) {
  for (const auto& [name, c] : Page.Controls) {
    QObject* o = Shell.Control(name);
    if (auto* e = dynamic_cast<platform::TEdit*>(o)) {
      e->SetText(c.Text);
    } else if (auto* b = dynamic_cast<platform::TComboBox*>(o)) {
      if (!c.Items.empty()) {
        b->ClearItems();
        for (const std::string& s : c.Items) b->AddItem(s);
      }
      if (c.ItemIndex >= 0 && c.ItemIndex < b->ItemCount()) b->SetItemIndex(c.ItemIndex);
      else if (!c.Text.empty()) b->SetText(c.Text);
      else if (!c.Items.empty()) b->SetItemIndex(0);  // a new list shows its first item
    } else if (auto* l = dynamic_cast<platform::TLabel*>(o)) {
      l->SetCaption(c.Text);
    } else if (auto* k = dynamic_cast<platform::TCheckBox*>(o)) {
      k->SetChecked(c.Checked);
    } else if (auto* r = dynamic_cast<platform::TRadioButton*>(o)) {
      r->SetChecked(c.Checked);
    } else if (auto* t = dynamic_cast<platform::TTrackBar*>(o)) {
      t->SetValue(c.Position);
    }
  }
  for (const auto& [name, g] : Page.Grids) {
    auto* grid = dynamic_cast<TFormCvGrid*>(Shell.Control(name));
    if (!grid) continue;
    grid->ClearRows();
    if (g.RowCount() > 0) grid->AddRows(g.RowCount());
    for (int32_t r = 0; r < g.RowCount(); ++r)
      for (const auto& [col, text] : g.Rows[static_cast<size_t>(r)]) {
        TGxCustomColumn* c = grid->ColumnByName(col);
        if (!c) continue;
        TCell* cell = grid->CellAt(grid->Columns().IndexOf(c), r);
        try {
          cell->SetAsText(text);
        } catch (const std::exception&) {
          // a number cell takes "2.96+14" (the short exponent form) with its letter
          cell->SetAsText(ExpLetterFix(text));
        }
      }
  }
}
