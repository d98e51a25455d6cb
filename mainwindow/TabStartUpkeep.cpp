// The Start tab's database upkeep: the level files' folder (chosen with a folder dialog or
// typed) and its file list, the two level-file combos kept consistent, "Edit" and "NIST", the
// range and least-depth settings, the element table's report, the loaders of the element,
// bibliography, service and multiplet tables (jobs, one transaction each) and the developer test
// bench (a job).
#include <memory>
#include <optional>
#include <utility>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvDirList.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "linedata/cvUpkeep.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FormCells.h"
#include "mainwindow/StartBench.h"
#include "mainwindow/TabStart.h"
#include "platform/Dialogs.h"
#include "platform/FileErr.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

TTunes* Common() { return App ? App->TunCommon.get() : nullptr; }

std::string Setting(const char* Key) {
  TTunes* t = Common();
  return t ? t->Get(Key) : std::string();
}

void StoreNumber(const char* Key, const std::string& Text) {
  double v = 0;
  if (TTunes* t = Common(); t && formcells::ReadReal(Text, v)) t->Set(Key, TrimCtl(Text));
}

std::string WithSlash(std::string Dir) {
  if (!Dir.empty() && Dir.back() != '/' && Dir.back() != '\\') Dir += "/";
  return Dir;
}

}  // namespace

void TTabStart::RegisterUpkeepHandlers(platform::THandlerRegistry& H) {
  CV_HANDLER(H, btKuruczDirClick);
  CV_HANDLER(H, edKuruczPathChange);
  CV_HANDLER(H, edLamb1Change);
  CV_HANDLER(H, edLamb2Change);
  CV_HANDLER(H, edWminHMChange);
  CV_HANDLER(H, edWminCVChange);
  CV_HANDLER(H, cbLevelLoadChange);
  CV_HANDLER(H, cbLevelRepChange);
  CV_HANDLER(H, btStartEditClick);
  CV_HANDLER(H, btNISTLevelsClick);
  CV_HANDLER(H, btRepMENDClick);
  CV_HANDLER(H, btLdMendClick);
  CV_HANDLER(H, btLoadRefersClick);
  CV_HANDLER(H, btLoadMultiClick);
  CV_HANDLER(H, btLoadTabsClick);
  CV_HANDLER(H, btLoadAbundClick);
  CV_HANDLER(H, btTestClick);
}

void TTabStart::UpkeepShow(bool First) {
  if (First) {
    const std::string path = Setting("KuruczPath");
    if (!path.empty() && platform::IsDirectory(path)) edKuruczPath->SetText(path);
    const std::pair<platform::TEdit*, const char*> keys[] = {
        {edLamb1, "edLineLamb1"}, {edLamb2, "edLineLamb2"}, {edWminHM, "WminHM"}, {edWminCV, "WminCV"}};
    for (const auto& [e, k] : keys)
      if (const std::string v = Setting(k); !v.empty()) e->SetText(v);
  }
  int32_t w = 0, h = 0;
  if (FPict && FPict->isVisible()) FPict->OuterSize(w, h);
  edFormW->SetText(IntStr(w));
  edFormH->SetText(IntStr(h));
}

// ---- folder and level file ----

void TTabStart::btKuruczDirClick(TSender) {
  platform::TFileAsk ask;
  ask.Folder = true;
  ask.InitialDir = edKuruczPath->Text();
  const std::optional<std::string> dir = platform::AskOpenFile(ask);
  if (!dir) return;
  if (TTunes* t = Common()) t->Set("KuruczPath", *dir);
  edKuruczPath->SetText(*dir);
}

void TTabStart::edKuruczPathChange(TSender) {
  const std::string dir = edKuruczPath->Text();
  if (dir.empty() || !platform::IsDirectory(dir)) return;
  TDirList L;
  L.Collect(WithSlash(dir));
  L.Sort();
  const std::string keep = cbKuruczFile->Text();
  cbKuruczFile->ClearItems();
  for (int i = 0; i < L.Count(); ++i)
    if (!L.Items(i)->IsDir()) cbKuruczFile->AddItem(L.Items(i)->Name);
  cbKuruczFile->SetText(keep);
}

std::string TTabStart::LevelFile() const { return WithSlash(edKuruczPath->Text()) + cbKuruczFile->Text(); }

void TTabStart::edLamb1Change(TSender) { StoreNumber("edLineLamb1", edLamb1->Text()); }
void TTabStart::edLamb2Change(TSender) { StoreNumber("edLineLamb2", edLamb2->Text()); }
void TTabStart::edWminHMChange(TSender) { StoreNumber("WminHM", edWminHM->Text()); }
void TTabStart::edWminCVChange(TSender) { StoreNumber("WminCV", edWminCV->Text()); }

void TTabStart::cbLevelLoadChange(TSender) {
  const int32_t load = cbLevelLoad->ItemIndex(), rep = cbLevelRep->ItemIndex();
  if (load == 1 && rep == 3) cbLevelRep->SetItemIndex(2);
  else if (load == 2 && rep == 2) cbLevelRep->SetItemIndex(3);
  else if (load == 0 && rep == 0) cbLevelRep->SetItemIndex(1);
}

void TTabStart::cbLevelRepChange(TSender) {
  const int32_t load = cbLevelLoad->ItemIndex(), rep = cbLevelRep->ItemIndex();
  if ((rep == 2 || rep == 4 || rep == 5 || rep == 6) && load == 2) cbLevelLoad->SetItemIndex(1);
  else if (rep == 3 && load == 1) cbLevelLoad->SetItemIndex(2);
  else if (rep == 0 && load == 0) cbLevelRep->SetItemIndex(1);
}

void TTabStart::btStartEditClick(TSender) {
  const std::string file = LevelFile();
  if (!platform::IsRegularFile(file)) {
    WARNAbs("Файл <"_cp + file + "> не найден!"_cp);
    return;
  }
  if (EdAssigned(Ed)) Ed->LoadFile(file);
}

void TTabStart::btNISTLevelsClick(TSender) {
  const std::string dir = edKuruczPath->Text();
  if (!platform::IsDirectory(dir)) WARNAbs("Путь <"_cp + dir + "> не найден!"_cp);
}

// ---- the element table ----

void TTabStart::btRepMENDClick(TSender) {
  if (!MEND) CreateMEND();
  TStringList sl;
  auto addText = [&sl](const std::string& Text) {
    size_t a = 0;
    while (a <= Text.size()) {
      size_t b = Text.find('\n', a);
      if (b == std::string::npos) b = Text.size();
      std::string l = Text.substr(a, b - a);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      if (b < Text.size() || !l.empty()) sl.Add(l);
      a = b + 1;
    }
  };
  auto addList = [&sl](const std::unique_ptr<TStringList>& L) {
    if (L)
      for (int32_t i = 0; i < L->Count(); ++i) sl.Add((*L)[i]);
  };
  addList(MEND->RepIntegral());
  sl.Add("");
  sl.Add("Стандартные обилия:"_cp);
  addText(MEND->sStdAbund);
  sl.Add("");
  sl.Add("Отклонения от стандартных обилий:"_cp);
  std::string diff;
  MEND->sAbundDiff(diff);
  addText(diff);
  sl.Add("");
  sl.Add("Обилия основные:"_cp);
  addList(MEND->SLAbundATP(8));
  sl.Add("");
  sl.Add("Обилия ВСЕ:"_cp);
  addList(MEND->SLAbund(8));
  if (EdAssigned(Ed)) Ed->EdLoadSL("MEND.REPORT", &sl);
}

// ---- loaders ----

void TTabStart::btLdMendClick(TSender) {
  LoadTBMend();  // the element table itself, on this thread
  Shell.StartDBJob(std::make_shared<TJob>("Load TbMend"),
                   [](TJob& J, TDM& D) { MendToAtoms(J, D); });
}

void TTabStart::btLoadAbundClick(TSender) {
  AbundToMend();
  Shell.StartDBJob(std::make_shared<TJob>("Load Abund0"),
                   [](TJob& J, TDM& D) { AbundToAtoms(J, D); });
}

void TTabStart::btLoadRefersClick(TSender) {
  Shell.StartDBJob(std::make_shared<TJob>("Load Refers"), [](TJob& J, TDM& D) { LoadRefers(J, D); });
}

void TTabStart::btLoadMultiClick(TSender) {
  Shell.StartDBJob(std::make_shared<TJob>("Load Multi"), [](TJob& J, TDM& D) { LoadMultiFiles(J, D); });
}

void TTabStart::btLoadTabsClick(TSender) {
  Shell.StartDBJob(std::make_shared<TJob>("Load Service Table"), [](TJob& J, TDM& D) { LoadTabs(J, D); });
}

// ---- test bench ----

void TTabStart::btTestClick(TSender) {
  const std::string from = edLamb1->Text(), to = edLamb2->Text();
  auto out = std::make_shared<TStringList>();
  Shell.StartDBJob(
      std::make_shared<TJob>("Тест"_cp),
      [from, to, out](TJob& J, TDM&) { startbench::TestBench(J, from, to, *out); },
      [out](TJob&) {
        if (EdAssigned(Ed)) Ed->EdLoadSL("Тест"_cp, out.get());
      },
      false);
}
