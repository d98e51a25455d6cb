#include "mainwindow/TabDB.h"

#include "linedata/cvDM.h"

void TTabDB::FillQueryList() {
  ListDB->ClearItems();
  if (!DM) return;
  for (const auto& ds : DM->DataSets())
    if (std::string(ds.Name) != "ADOQuery") ListDB->AddItem(ds.Table->CommandText());
}
