// The Unno tab: the profile list LUNNO as a table (synthesis/profiles/cvUnnoTable.h fills it;
// this class draws the rows, keeps the page and selection, and binds the buttons), its filter
// panel, the operations on the listed profiles, bisectors, contribution functions and reports.
// Work over the listed profiles is a job of the program's runner on copies of the profiles: the
// list changes only when the job completes, the table refills after it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Corvesta/TabUnnoForm.h"
#include "app/cvWinLink.h"
#include "mainwindow/CorvestaTab.h"
#include "synthesis/profiles/cvUnnoTable.h"

class QWidget;
class TUNNO;
class TJob;

class TTabUnno : public TFormTab<TabUnnoForm>, public TUnnoTabLink {
 public:
  explicit TTabUnno(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  TPageInput Input() override { return UnnoPageInput(*this); }
  void Show() override { TabUnnoShow(); }

  void TabUnnoShow();
  void ngUnnoFill();
  void UnnoRefresh();
  void UnnoRowsPerPage();
  void SyncUnnoPage();
  void UnnoPagePrev() override;
  void UnnoPageNext() override;
  // The show routine of a group (its columns follow the button).
  void ShowGroup(TUnnoSwitch S);
  void FillUnnoFilterGrids();
  void FillUnnoParamGrid();
  void ShowUnnoFilterPanel();
  // cbOneCont's items: the profile indexes and one blank item.
  void CORAFillOneCont();
  // The blur text of a profile plot ("0" without a blur); raises on a bad unit.
  std::string CheckGetBlur();
  // The selected row's profile in the picture window.
  void UnnoProfToPlotter();

  // The page state and the last fill (tests read them).
  TUnnoPageState Page;
  bool UnnoTabReady = false;
  bool UnnoPaged = true;
  bool UnnoPageGuard = false;
  int32_t ULinClickCol = -1, ULinClickRow = -1;
  // The current profile (cbOneCont's index), -1 when none.
  int32_t CurrentProfile() const;
  // The LUNNO index of row R (-1 when none).
  int32_t RowIdx(int32_t R);
  // The Test tab's "B" inputs (their design values until that tab exists).
  std::function<double()> WLine = [] { return 0.1; };
  std::function<int32_t()> KMul = [] { return 2; };

  // ---- handlers ----
  void GroupClick(TUnnoSwitch S);
  void ngUnnoSelectCell(TSender E);
  void ngUnnoKeyDown(TSender E);
  void edngUNNOpageChange(TSender E);
  void btngUNNOPagesClick(TSender E);
  void btUnnoOneClick(TSender E);
  void btGUnnoClick(TSender E);
  void ngUnnoHeaderClick(TSender E);
  void ngUnnoAfterRowMove(TSender E);
  void ngQUESTAfterEdit(TSender E);
  void ngULINAfterEdit(TSender E);
  void ngULINCellClick(TSender E);
  void btKeyFilterClick(TSender E);
  void btLUNNO_FiltersClick(TSender E);
  void btBlurClick(TSender E);
  void btApplyBlurClick(TSender E);
  void btApplyBlurAllClick(TSender E);
  void cbUnnoBlurChange(TSender E);
  void btNormToContClick(TSender E);
  void btUNSpreadClick(TSender E);
  void btUNSpreadAllClick(TSender E);
  void btUNsetWLClick(TSender E);
  void ngUnnoAfterEdit(TSender E);
  void btUNsetDCutClick(TSender E);
  void btngUNNOClearClick(TSender E);
  void btRunTestClick(TSender E);
  void btFill_HMClick(TSender E);
  // The W and D of the reference model CV written into the line table (as "HM" does for HM).
  void btFill_CVClick(TSender E);
  // FillWD of the listed profiles for a reference model, as a database job.
  void FillWDJob(const std::string& Code);
  void BitBtn1Click(TSender E);
  void btCFRFClick(TSender E);
  void btUnnoPrintClick(TSender E);
  void btUnnoOnePrintClick(TSender E);
  void btUnnoCustomPrintClick(TSender E);
  void btUNNOvarPrintClick(TSender E);

 private:
  TUnnoFillIn FillInput();
  // "Blur 1" (the current profile) and "Blur All" (every row; a current profile is still needed).
  void ApplyBlurTo(bool AllRows);
  // The LUNNO indexes of every row.
  std::vector<int32_t> RowIdxs();
  // A job over copies of the profiles Idx: Work changes the copies (one step each); when the job
  // completes Apply copies what changed back into the list's profiles, then the table refills.
  void CopiesJob(const std::string& Name, const std::vector<int32_t>& Idx,
                 std::function<void(TJob&, TUNNO&)> Work,
                 std::function<void(TUNNO& Orig, TUNNO& Copy)> Apply);
  QWidget* imageParent_ = nullptr;
  bool lastIQUV_ = false;
};
