#include "mainwindow/TabDB.h"

#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "linedata/cvDM.h"

void TTabDB::BuildForm(QWidget* F, platform::TFormRegistry& R) {
  TFormTab::BuildForm(F, R);
  lbDBNotice->SetCaption(GridNotice(""));
}

void TTabDB::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, ListDBChange);
}

void TTabDB::FillQueryList() {
  ListDB->ClearItems();
  if (!DM) return;
  for (const auto& ds : DM->DataSets())
    if (std::string(ds.Name) != "ADOQuery") ListDB->AddItem(ds.Table->CommandText());
}

std::string TTabDB::GridNotice(const std::string& Table) {
  return cvlink::NotAvailableText(Table.empty() ? "Просмотр таблицы"_cp
                                                : "Просмотр таблицы "_cp + Table);
}

void TTabDB::ListDBChange(TSender) { lbDBNotice->SetCaption(GridNotice(ListDB->Text())); }
