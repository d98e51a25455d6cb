#include "mainwindow/TabStart.h"

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "app/cvEd.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvLDServices.h"

void TTabStart::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, btAutoSaveClick);
  CV_HANDLER(H, btAutoLoadClick);
  CV_HANDLER(H, btLoadKurLinesClick);
  CV_HANDLER(H, Button8Click);
}

TTabStart::~TTabStart() { LineData().LambFields = {}; }

void TTabStart::BuildForm(QWidget* F, platform::TFormRegistry& R) {
  TFormTab::BuildForm(F, R);
  InstallLambFields();
}

void TTabStart::InstallLambFields() {
  LineData().LambFields = {[this] { return edLamb1->Text(); }, [this] { return edLamb2->Text(); },
                           [this] { edLamb1->setFocus(); }, [this] { edLamb2->setFocus(); }};
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

void TTabStart::btLoadKurLinesClick(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  if (!DMReady()) return;
  auto job = std::make_shared<TJob>("LoadKurLines");
  TDM* D = DM;
  Jobs.Start(job, [D, from, to](TJob& J) {
    TKurImportResult result;
    LoadKurLines(J, *D, from, to, result);
  });
}

void TTabStart::Button8Click(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  auto job = std::make_shared<TJob>("Check_KurKey");
  auto list = std::make_shared<TStringList>();
  Jobs.Start(
      job, [list, from, to](TJob& J) { CheckKurKey(J, from, to, *list); },
      [list](TJob& J) {
        if (J.State() == TJobState::Done && EdAssigned(Ed)) Ed->EdLoadSL("Check_KurKey", list.get());
      });
}
