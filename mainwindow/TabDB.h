// The Data tab: the list of the data module's select texts. Its grid, navigator and
// sort-and-filter panel come with the line-data tabs.
#pragma once
#include "Corvesta/TabDBForm.h"
#include "mainwindow/CorvestaTab.h"

class TTabDB : public TFormTab<TabDBForm> {
 public:
  explicit TTabDB(TCorvesta& Shell) : TFormTab(Shell) {}
  // ListDB filled with the select texts of the data module's queries.
  void FillQueryList();
  // The tab's own show (with the line-data tabs).
  void DataTabShow() {}
  void Show() override { DataTabShow(); }
};
