#include "mainwindow/TabStart.h"

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"

void TTabStart::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, btAutoSaveClick);
  CV_HANDLER(H, btAutoLoadClick);
}

void TTabStart::btAutoSaveClick(TSender) {
  if (Jobs.Busy()) {
    WARN("Идёт восстановление базы данных, дождитесь его конца"_cp);
    return;
  }
  PushCursor(platform::crHourGlass);
  try {
    DBAutoSave();
  } catch (...) {
    PopCursor();
    throw;
  }
  PopCursor();
}

void TTabStart::btAutoLoadClick(TSender) {
  const std::string dir = LineData().LastSaveDir();
  if (dir.empty()) {
    WARN("Директория автосохранения не найдена!"_cp);
    return;
  }
  if (!DMReady()) return;
  auto job = std::make_shared<TJob>("AutoLoad " + dir);
  TDM* D = DM;
  Jobs.Start(job, [D, dir](TJob& J) { DBRestore(J, *D, dir); });
}
