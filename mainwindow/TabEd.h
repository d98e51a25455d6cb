// The Texts tab: the face of the text editor. Thin handlers, each running one editor operation,
// showing one window or writing the memo's lines to a file; the editor's callbacks (open a file
// by its header, show the tab, note the tab to return to, the status display) and the control
// panel's switch between its list and its panels.
#pragma once
#include <string>

#include "Corvesta/TabEdForm.h"
#include "app/qt/QtJobRunner.h"
#include "mainwindow/CorvestaTab.h"

struct TEdStatus;

class TTabEd : public TFormTab<TabEdForm> {
 public:
  explicit TTabEd(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override;

  // The tab that asked for a text: its OK button returns there (empty: none).
  std::string sEdReturnTab;

  // ---- the editor's callbacks ----
  // The file of the editor's word opened by its first two lines: a control file runs its
  // interpreter or graphics script, a contour description is drawn, other texts are opened.
  void OpenEdFile();
  void ShowEdTab();
  void NoteEdReturnTab();
  // The table import of an ".INP" or INPUTDATA file, run as a job (the editor's dispatch).
  void RunInpFile(const std::string& FileName);
  void EdStatusShow(const TEdStatus& S);
  void SetXColCaption();
  // The control panel "CTRL" switched to its list and back.
  void EdTuneListShow();
  void EdTuneListHide();

  // ---- events ----
  void Show() override;
  void Hide() override;
  void btHomeClick(TSender E);
  void btFileClick(TSender E);
  void btOpenClick(TSender E);
  void btEdOKClick(TSender E);
  void btSysDirsClick(TSender E);
  void Button3Click(TSender E);
  void btEdTestClick(TSender E);
  void btEdSearcDnClick(TSender E);
  void btEdSearcUpClick(TSender E);
  void btShowCalculatorClick(TSender E);
  // "ACE": the Test tab's regression of the editor table (testlinks::AceOnEdTable).
  void btACEClick(TSender E);
  void btFiltClick(TSender E);
  void btCancelClick(TSender E);
  void btEdExitClick(TSender E);
  void btSaveClick(TSender E);
  void cbEdCTRLChange(TSender E);
  void btJmpClick(TSender E);
  void btEnterClick(TSender E);
  void btedActColumnClick(TSender E);
  void btExcelExportClick(TSender E);
  void btExcelImportClick(TSender E);
  void pmedSaveClick(TSender E);
  void pmedCancelClick(TSender E);
  void pmedSetXColClick(TSender E);
  void pmedGrClick(TSender E);
  void pmedCol2ExClick(TSender E);
  void pmedTab2ExClick(TSender E);
  void pmedStatClick(TSender E);
  void pmedColAlignClick(TSender E);
  void pmedSortUpClick(TSender E);
  void pmedSortDnClick(TSender E);
  void pmedColCutClick(TSender E);
  // The memo's lines written to the file named in edFile.
  void SaveMemoToFile();
  // Search of the pattern in edReply from the caret, down or up; false when not found.
  bool SearchMemo(bool Down);
};
