#include "mainwindow/TabStart.h"

#include "mainwindow/Corvesta.h"
#include "mainwindow/TabProj.h"

#include <filesystem>

#include "foundation/cvJob.h"
#include "platform/FileErr.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "app/cvEd.h"
#include "linedata/cvAtLevels.h"
#include "linedata/cvCleanups.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvLineImport.h"
#include "linedata/cvLDServices.h"
#include "app/AppLinks.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"

void TTabStart::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, btAutoSaveClick);
  CV_HANDLER(H, btAutoLoadClick);
  CV_HANDLER(H, btLoadKurLinesClick);
  CV_HANDLER(H, Button8Click);
  CV_HANDLER(H, btClearKurLinesClick);
  CV_HANDLER(H, btCalcD0KurLinesClick);
  CV_HANDLER(H, btDelHFSClick);
  CV_HANDLER(H, btDelDummyClick);
  CV_HANDLER(H, btDelHeavyClick);
  CV_HANDLER(H, btDelDubleClick);
  CV_HANDLER(H, btLoadObsVornClick);
  CV_HANDLER(H, btLoadVALDClick);
  CV_HANDLER(H, btZeeStructClick);
  CV_HANDLER(H, btLoadAtLevelsClick);
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
  if (!LineData().NewSaveDir.Provided()) {
    WARNAbs("DBAutoSave: App не создан!"_cp);
    return;
  }
  const std::string dir = LineData().NewSaveDir();
  auto job = std::make_shared<TJob>("AutoSave " + dir);
  Shell.StartDBJob(job, [dir](TJob& J, TDM& D) { DBBackup(J, D, dir); });
}

void TTabStart::btAutoLoadClick(TSender) {
  const std::string dir = LineData().LastSaveDir();
  if (dir.empty()) {
    WARN("Директория автосохранения не найдена!"_cp);
    return;
  }
  auto job = std::make_shared<TJob>("AutoLoad " + dir);
  Shell.StartDBJob(job, [dir](TJob& J, TDM& D) { DBRestore(J, D, dir); });
}

void TTabStart::btLoadKurLinesClick(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  auto job = std::make_shared<TJob>("LoadKurLines");
  Shell.StartDBJob(job, [from, to](TJob& J, TDM& D) {
    TKurImportResult result;
    LoadKurLines(J, D, from, to, result);
  });
}

void TTabStart::Button8Click(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  auto job = std::make_shared<TJob>("Check_KurKey");
  auto list = std::make_shared<TStringList>();
  Shell.StartDBJob(
      job, [list, from, to](TJob& J, TDM&) { CheckKurKey(J, from, to, *list); },
      [list](TJob& J) {
        if (J.State() == TJobState::Done && EdAssigned(Ed)) Ed->EdLoadSL("Check_KurKey", list.get());
      },
      false);
}

void TTabStart::RunCleanup(
    const std::string& Name,
    std::function<bool(TJob&, TDM&, const std::string&, const std::string&)> Work) {
  const std::string a = edLamb1->Text(), b = edLamb2->Text();
  auto job = std::make_shared<TJob>(Name);
  Shell.StartDBJob(job, [a, b, Work](TJob& J, TDM& D) { Work(J, D, a, b); });
}

void TTabStart::btClearKurLinesClick(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  RunCleanup("ClearKurLines", [](TJob& J, TDM& D, const std::string& A, const std::string& B) {
    TCleanupResult r;
    return ClearKurLines(J, D, A, B, r);
  });
}

void TTabStart::btCalcD0KurLinesClick(TSender) {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  if (!LUNNO) return;
  const std::string a = edLamb1->Text(), b = edLamb2->Text();
  auto job = std::make_shared<TJob>("CalcD0KurLines");
  TLUNNO* profiles = LUNNO;
  Shell.StartDBJob(job, [profiles, a, b](TJob& J, TDM& D) { CalcD0KurLines(J, D, *profiles, a, b); });
}

void TTabStart::btDelHFSClick(TSender) {
  RunCleanup("DelHyperFineLines", [](TJob& J, TDM& D, const std::string& A, const std::string& B) {
    TCleanupResult r;
    return DelHyperFineLines(J, D, A, B, r);
  });
}

void TTabStart::btDelDummyClick(TSender) {
  const std::string hm = edWminHM->Text(), cv = edWminCV->Text();
  RunCleanup("DelKurDummyLines",
             [hm, cv](TJob& J, TDM& D, const std::string& A, const std::string& B) {
               TCleanupResult r;
               return DelKurDummyLines(J, D, A, B, hm, cv, r);
             });
}

void TTabStart::btDelHeavyClick(TSender) {
  const bool del = rbDelLines->Checked();
  RunCleanup("DelHeavyLines", [del](TJob& J, TDM& D, const std::string& A, const std::string& B) {
    TCleanupResult r;
    return DelHeavyLines(J, D, A, B, del, r);
  });
}

void TTabStart::btDelDubleClick(TSender) {
  const bool del = rbDelLines->Checked();
  RunCleanup("DelDubleLines", [del](TJob& J, TDM& D, const std::string& A, const std::string& B) {
    TCleanupResult r;
    return DelDubleLines(J, D, A, B, del, r);
  });
}

void TTabStart::btLoadObsVornClick(TSender) {
  auto job = std::make_shared<TJob>("Load LineObservVorn");
  auto r = std::make_shared<TLineImportResult>();
  Shell.StartDBJob(
      job, [r](TJob& J, TDM& D) { LoadLineObservVorn(J, D, *r); },
      [r](TJob&) {
        // a reader error of the table: the editor opens at its place once the job is over
        if (r->ErrLine > 0) LineData().OpenAt(r->ErrText, r->ErrFile, r->ErrLine, r->ErrPos);
      });
}

void TTabStart::btLoadVALDClick(TSender) {
  if (!EdAssigned(Ed) || !Ed->Memo) return;
  // the job reads a copy of the editor's text
  auto lines = std::make_shared<TStringList>();
  for (const std::string& l : Ed->Memo->Lines()) lines->Add(l);
  auto job = std::make_shared<TJob>("Load VALD Line Short");
  Shell.StartDBJob(job, [lines](TJob& J, TDM& D) {
    TLineImportResult r;
    LoadLineVALDShort(J, D, *lines, r);
  });
}

void TTabStart::btZeeStructClick(TSender) {
  auto job = std::make_shared<TJob>("Calc Lines ZeeStructure");
  Shell.StartDBJob(job, [](TJob& J, TDM& D) {
    TLineImportResult r;
    FillLinesZeeStruct(J, D, r);
  });
}

void TTabStart::btLoadAtLevelsClick(TSender) {
  std::string dir = edKuruczPath->Text();
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += "/";
  const std::string file = dir + cbKuruczFile->Text();
  if (!std::filesystem::is_regular_file(platform::SysPath(file))) {
    WARNAbs("Файл <"_cp + file + "> не найден!"_cp);
    return;
  }
  const int32_t load = cbLevelLoad->ItemIndex(), rep = cbLevelRep->ItemIndex();
  auto job = std::make_shared<TJob>("LoadAtLevels");
  auto list = std::make_shared<TStringList>();
  auto r = std::make_shared<TAtLevelsResult>();
  Shell.StartDBJob(
      job, [file, load, rep, list, r](TJob& J, TDM& D) { LoadAtLevels(J, D, file, load, rep, *list, *r); },
      [list, r](TJob& J) {
        if (J.State() == TJobState::Done && !r->Title.empty() && EdAssigned(Ed))
          Ed->EdLoadSL(r->Title, list.get());
      });
}
