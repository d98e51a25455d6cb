// The Data tab: the list of the data module's select texts. Its grid, navigator and
// sort-and-filter panel come with the line-data tabs; until then a notice under the list says
// that a picked table is not shown yet.
#pragma once
#include <string>

#include "Corvesta/TabDBForm.h"
#include "mainwindow/CorvestaTab.h"

class TTabDB : public TFormTab<TabDBForm> {
 public:
  explicit TTabDB(TCorvesta& Shell) : TFormTab(Shell) {}
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  // ListDB filled with the select texts of the data module's queries.
  void FillQueryList();
  // The tab's own show (with the line-data tabs).
  void DataTabShow() {}
  void Show() override { DataTabShow(); }
  // A table picked in ListDB: the notice names it.
  void ListDBChange(TSender E);
  // The notice's text for a table (empty: none picked yet).
  static std::string GridNotice(const std::string& Table);
};
