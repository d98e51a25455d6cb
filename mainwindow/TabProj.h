// The Project tab: the project and the quest in force (the database tables "Projects" and
// "Quests", the keys CurrentProject, <project>.CurrentQuest and <project>.CurrentQuestStep), the
// switch of the project's settings sets (Common, Sizes, Pict) when the project changes, the base
// folder of all projects, the buttons of the project's working files (their hints name the files;
// TabControlsSetDirs writes them, also for the buttons of other tabs, and reads the modules'
// option files; UpDateButtons enables a button of tag 2, 4-7 only while its file exists), and the
// runs: RUN, VARI, Load DC, the profiler's report, Append Results and LIDA.Clear.
//
// Values go to the database bound, never inside the filter text. A project whose folder is not
// known or cannot be made is not switched to: the previous project stays, and WARNAbs says why.
#pragma once
#include <string>

#include "Corvesta/TabProjForm.h"
#include "app/qt/QtJobRunner.h"
#include "mainwindow/CorvestaTab.h"

class TTabProj : public TFormTab<TabProjForm> {
 public:
  explicit TTabProj(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabProjShow(); }

  // The texts the boxes show while nothing is chosen.
  static constexpr const char* NoProject = "Project Name";
  static constexpr const char* NoQuest = "Quest Name";

  void TabProjShow();
  // The project list from the table "Projects" and the current project selected; then the quests.
  void ProjListUpdate();
  // The quests of the project in the box; the current quest and step; then TabControlsSetDirs.
  void QuestListUpdate();
  // The folder (with its trailing "/") of the project the box names, made when missing; "***"
  // when the project has no row or its folder cannot be made. The reason goes to Why when
  // given, otherwise to WARN.
  std::string ProjDirFromDB(std::string* Why = nullptr);
  std::string ProjDirFromDB(const std::string& P, std::string* Why);
  // The hints of the file buttons (of every tab) and the option files of the modules read.
  void TabControlsSetDirs();
  // The bit buttons of tag 2, 4, 5, 6, 7 enabled exactly while the file of their hint exists.
  void UpDateButtons();

  void cbProjectNameSelect(TSender E);
  void cbQuestNameSelect(TSender E);
  void btProjSaveClick(TSender E);
  void btQuestSaveClick(TSender E);
  // The records of the two saves written (with the project made current, the quest chosen):
  // at once, or after the job that runs (TQtJobRunner::AfterJob).
  void SaveProjectRecord(const std::string& P, const std::string& B, const std::string& desc,
                         bool typed);
  void SaveQuestRecord(const std::string& P, const std::string& Q, const std::string& desc,
                       bool typed);
  void btBasePathClick(TSender E);
  // Opens the file of the button's hint in the editor (a missing option file or control file
  // first made from its template).
  void btEnterHintClick(TSender E);
  void btRUNClick(TSender E);
  // The current quest loaded and run as a job of this tab's runner ("IVARI=K/NK" in the panel,
  // Esc cancels: the profiles made stay, no result file, the report says so); the quest's text
  // results go to the editor and the file buttons are refreshed at the end.
  void RunQuestJob();
  void btLoadVARIClick(TSender E);
  void btDC_LoadClick(TSender E);
  // The result file of an earlier run of the current quest ("DC\<quest>.<step>.txt", else
  // "DC\<quest>.txt") read back: its control text into the variator list, its profiles into the
  // profile list against the quest's last step. Also the CoPi tab's "Load DC".
  void LoadDC();
  void btTimeProfileClick(TSender E);
  void cbAppendResClick(TSender E);
  void BitBtn2Click(TSender E);

 private:
  // Common, Sizes and Pict saved to the project's file.
  void SaveProjectSets();
  // Common, Sizes and Pict emptied and read from Dir's "cvtunes.ini"; the sink follows them.
  void LoadProjectSets(const std::string& Dir);
  // The quest step box: the steps 1..n of the quest in the variator list, S shown.
  void ShowQuestSteps(int32_t S);
  // The project folder of the row's Path (a relative one below the application root).
  std::string FolderOfPath(const std::string& Path) const;
  // The base folder of the edit field, full; empty while it names none.
  std::string BaseFolder() const;
  void SetHint(const char* Control, const std::string& Hint);
  // The working variator := the quest's last one.
  void TakeQuestVARI();
};

// The number of variators of a quest in the variator list (0 without a list).
int32_t QuestVariCount(const std::string& Quest);
