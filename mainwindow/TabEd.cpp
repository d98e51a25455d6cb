// The Texts tab: thin handlers, each running one editor operation, showing one window or writing
// the memo's lines to a file.
#include <filesystem>

#include "app/cvCtrlUtil.h"
#include "app/cvDirs.h"
#include "app/cvInf.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/MainLinks.h"
#include "platform/Clipboard.h"
#include "platform/FileErr.h"

#define CV_HANDLER(Name) Handlers.Add(#Name, [this](TSender E) { Name(E); })

void TCorvesta::RegisterTabEdHandlers() {
  CV_HANDLER(TabEdShow);
  CV_HANDLER(TabEdHide);
  CV_HANDLER(btHomeClick);
  CV_HANDLER(btFileClick);
  CV_HANDLER(btOpenClick);
  CV_HANDLER(btEdOKClick);
  CV_HANDLER(btSysDirsClick);
  CV_HANDLER(Button3Click);
  CV_HANDLER(btEdTestClick);
  CV_HANDLER(btEdSearcDnClick);
  CV_HANDLER(btEdSearcUpClick);
  CV_HANDLER(btShowCalculatorClick);
  CV_HANDLER(btFiltClick);
  CV_HANDLER(btCancelClick);
  CV_HANDLER(btEdExitClick);
  CV_HANDLER(btSaveClick);
  CV_HANDLER(cbEdCTRLChange);
  CV_HANDLER(btJmpClick);
  CV_HANDLER(btEnterClick);
  CV_HANDLER(btedActColumnClick);
  CV_HANDLER(btExcelExportClick);
  CV_HANDLER(btExcelImportClick);
  CV_HANDLER(pmedSaveClick);
  CV_HANDLER(pmedCancelClick);
  CV_HANDLER(pmedSetXColClick);
  CV_HANDLER(pmedGrClick);
  CV_HANDLER(pmedCol2ExClick);
  CV_HANDLER(pmedTab2ExClick);
  CV_HANDLER(pmedStatClick);
  CV_HANDLER(pmedColAlignClick);
  CV_HANDLER(pmedSortUpClick);
  CV_HANDLER(pmedSortDnClick);
  CV_HANDLER(pmedColCutClick);
}

// ---------------------------------------------------------------- tab events

void TCorvesta::TabEdShow(TSender) {
  if (!Ed) return;
  // The editor reads its write permission, current-word and insert modes again, colours the
  // memo and checks the panel fields "RW", "Wd", "IR".
  Ed->Show();
  btEdOK->setVisible(!sEdReturnTab.empty());
}

void TCorvesta::TabEdHide(TSender) {
  if (Ed) Ed->Hide();
}

// ---------------------------------------------------------------- top row

void TCorvesta::btHomeClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("HOME!", PathJoin(App->sRoot, "cve.dir"), 0, 0);
}

void TCorvesta::btFileClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("Поехали!"_cp, platform::CurrentDir(), 0, 0);
}

void TCorvesta::btOpenClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("", edFile->Text(), 0, 0);
}

void TCorvesta::btEdOKClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->SaveFile();
  ShowPage(sEdReturnTab);
  sEdReturnTab.clear();
  btEdOK->SetCaption("OK");
}

void TCorvesta::btSysDirsClick(TSender) {
  if (!EdAssigned(Ed)) return;
  if (!cvDirs) {
    WARNAbs("cvDirs.Report - таблица рабочих директорий не загружена"_cp);
    return;
  }
  const std::unique_ptr<TStringList> R = cvDirs->Report();
  Ed->EdLoadSL("cvDirs.Report", R.get());
}

void TCorvesta::Button3Click(TSender) {
  TStringList L;
  const std::vector<std::string> lines = MemoEd->Lines();
  for (const auto& s : lines) L.Add(s);
  SLTabsToBlanks(&L);
  for (int i = 0; i < L.Count(); ++i)
    if (L[i] != lines[static_cast<size_t>(i)]) MemoEd->SetLine(i, L[i]);
}

void TCorvesta::btEdTestClick(TSender) {
  if (EdAssigned(Ed)) Ed->ListCurDir();
}

// ---------------------------------------------------------------- search

bool TCorvesta::SearchMemo(bool Down) {
  const std::string P = edReply->Text();
  int32_t l0 = 0, c0 = 0;
  MemoCaretPos(MemoEd, l0, c0);
  const int32_t L = l0 + 1, C = c0 + 1;  // the caret's line and column (1-based)
  auto hit = [&](int32_t Line, int32_t From) -> int32_t {  // 1-based position in the rest
    if (P.empty()) return 0;
    const std::string t = MemoEd->Line(Line - 1);
    if (From > static_cast<int32_t>(t.size())) return 0;
    const size_t k = t.find(P, static_cast<size_t>(From - 1));
    return k == std::string::npos ? 0 : static_cast<int32_t>(k) - (From - 1) + 1;
  };
  auto go = [&](int32_t Line, int32_t Col) {
    MemoGotoLine(MemoEd, Line, Col);
    if (Ed) Ed->UpdateStatus();
  };
  // The rest of the caret line right of the caret first (so repeated clicks walk the hits).
  if (const int32_t k = hit(L, C + 1)) {
    go(L, C + k);
    return true;
  }
  const int32_t n = MemoEd->LineCount();
  if (Down) {
    for (int32_t i = L + 1; i <= n; ++i)
      if (const int32_t k = hit(i, 1)) {
        go(i, k);
        return true;
      }
  } else {
    for (int32_t i = L - 1; i >= 1; --i)
      if (const int32_t k = hit(i, 1)) {
        go(i, k);
        return true;
      }
  }
  MemoEd->setFocus();
  WARNAbs("шаблон <"_cp + P + (Down ? "> вниз по тексту не найден!"_cp : "> ввверх по тексту не найден!"_cp));
  return false;
}

void TCorvesta::btEdSearcDnClick(TSender) { SearchMemo(true); }
void TCorvesta::btEdSearcUpClick(TSender) { SearchMemo(false); }

// ---------------------------------------------------------------- bottom row

void TCorvesta::btShowCalculatorClick(TSender) { mainlinks::ShowCalculator(); }

void TCorvesta::btFiltClick(TSender) {
  if (!FFiltr) return;
  FFiltr->show();
  FFiltr->raise();
}

void TCorvesta::btCancelClick(TSender) {
  if (EdAssigned(Ed)) Ed->LoadFile(edFile->Text());
}

void TCorvesta::btEdExitClick(TSender) {
  if (EdAssigned(Ed)) Ed->ExitFile();
}

void TCorvesta::SaveMemoToFile() {
  // The whole text goes to a temporary file beside the target first, which then takes the
  // target's place: a failed write leaves the old file as it was.
  const std::string name = edFile->Text();
  if (TrimSp(name).empty()) throw EInOutError("Save: не задано имя файла (поле edFile пусто)"_cp);
  TStringList L;
  for (const auto& s : MemoEd->Lines()) L.Add(s);
  const std::string tmp = name + ".~sav";
  try {
    L.SaveToFile(tmp);
    RenameOver(tmp, name);
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(platform::SysPath(tmp), ec);
    throw;
  }
}

void TCorvesta::btSaveClick(TSender) { SaveMemoToFile(); }

// ---------------------------------------------------------------- the control panel's companions

void TCorvesta::cbEdCTRLChange(TSender) {
  QWidget* home = PanelEdCTRL->parentWidget();
  const QPoint at(PanelEdCTRL->x() + PanelEdCTRL->width() + 1, PanelEdCTRL->y());
  for (platform::TPanel* P : {PanelEdNavigate, PanelEdTable}) {
    P->hide();
    P->setParent(home);
    P->adjustSize();
    P->move(at);
  }
  platform::TPanel* shown = cbEdCTRL->ItemIndex() == 0   ? PanelEdNavigate
                            : cbEdCTRL->ItemIndex() == 1 ? PanelEdTable
                                                         : nullptr;
  if (shown) {
    shown->show();
    shown->raise();
  }
}

void TCorvesta::btJmpClick(TSender) {
  if (EdAssigned(Ed)) Ed->JumpLineCol();
}

void TCorvesta::btEnterClick(TSender) {
  if (EdAssigned(Ed)) Ed->EnterFile("", Ed->Word, 0, 0);
}

void TCorvesta::btedActColumnClick(TSender) {
  if (!EdAssigned(Ed)) return;
  const std::string t = cbEdColumnAct->Text();
  Ed->ColOpLetter = t.empty() ? ' ' : t[0];
  Ed->ColOpRepeat();
}

void TCorvesta::btExcelExportClick(TSender) {
  if (EdAssigned(Ed)) Ed->ExcelExport();
}

void TCorvesta::btExcelImportClick(TSender) {
  if (!EdAssigned(Ed)) return;
  std::string text = platform::ClipboardText();
  for (char& c : text)
    if (c == '\t') c = ' ';
  TStringList L;
  L.SetText(text);
  int32_t line = 0, col = 0;
  MemoCaretPos(MemoEd, line, col);
  MemoEd->BeginUpdate();
  for (int i = 0; i < L.Count(); ++i) MemoEd->InsertLine(line + i, L[i]);
  MemoEd->EndUpdate();
  Ed->Changes += 1;
}

// ---------------------------------------------------------------- the memo's popup menu

void TCorvesta::pmedSaveClick(TSender) { SaveMemoToFile(); }

void TCorvesta::pmedCancelClick(TSender) {
  if (EdAssigned(Ed)) Ed->LoadFile(edFile->Text());
}

void TCorvesta::pmedSetXColClick(TSender) {
  if (EdAssigned(Ed)) Ed->ColOp('O');
}

void TCorvesta::pmedGrClick(TSender) { PlayGraphic(); }

void TCorvesta::pmedCol2ExClick(TSender) {
  if (EdAssigned(Ed)) Ed->ColOp('X');
}

void TCorvesta::pmedTab2ExClick(TSender) {
  if (EdAssigned(Ed)) Ed->CurTabToClipboard();
}

void TCorvesta::pmedStatClick(TSender) {
  if (PanelInt("nX") == 0) {
    WARNAbs("Колонка X не задана!"_cp);
    return;
  }
  mainlinks::ShowCalculator();
  mainlinks::CalcRegression();
}

void TCorvesta::pmedColAlignClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablAlign();
}

void TCorvesta::pmedSortUpClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablSort(false);
}

void TCorvesta::pmedSortDnClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablSort(true);
}

void TCorvesta::pmedColCutClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->ColOpLetter = 'C';
  Ed->ColOpRepeat();
}
