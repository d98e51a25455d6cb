#include "mainwindow/TabEd.h"

#include <filesystem>
#include <memory>

#include "app/cvCtrlUtil.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "linedata/cvDM.h"
#include "linedata/cvInpImport.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TestLinks.h"
#include "platform/Clipboard.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"

void TTabEd::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, btHomeClick);
  CV_HANDLER(H, btFileClick);
  CV_HANDLER(H, btOpenClick);
  CV_HANDLER(H, btEdOKClick);
  CV_HANDLER(H, btSysDirsClick);
  CV_HANDLER(H, Button3Click);
  CV_HANDLER(H, btEdTestClick);
  CV_HANDLER(H, btEdSearcDnClick);
  CV_HANDLER(H, btEdSearcUpClick);
  CV_HANDLER(H, btShowCalculatorClick);
  CV_HANDLER(H, btACEClick);
  CV_HANDLER(H, btFiltClick);
  CV_HANDLER(H, btCancelClick);
  CV_HANDLER(H, btEdExitClick);
  CV_HANDLER(H, btSaveClick);
  CV_HANDLER(H, cbEdCTRLChange);
  CV_HANDLER(H, btJmpClick);
  CV_HANDLER(H, btEnterClick);
  CV_HANDLER(H, btedActColumnClick);
  CV_HANDLER(H, btExcelExportClick);
  CV_HANDLER(H, btExcelImportClick);
  CV_HANDLER(H, pmedSaveClick);
  CV_HANDLER(H, pmedCancelClick);
  CV_HANDLER(H, pmedSetXColClick);
  CV_HANDLER(H, pmedGrClick);
  CV_HANDLER(H, pmedCol2ExClick);
  CV_HANDLER(H, pmedTab2ExClick);
  CV_HANDLER(H, pmedStatClick);
  CV_HANDLER(H, pmedColAlignClick);
  CV_HANDLER(H, pmedSortUpClick);
  CV_HANDLER(H, pmedSortDnClick);
  CV_HANDLER(H, pmedColCutClick);
}

// ---------------------------------------------------------------- tab events

void TTabEd::Show() {
  if (!Ed) return;
  // The editor reads its write permission, current-word and insert modes again, colours the
  // memo and checks the panel fields "RW", "Wd", "IR".
  Ed->Show();
  btEdOK->setVisible(!sEdReturnTab.empty());
}

void TTabEd::BuildForm(QWidget* F, platform::TFormRegistry& R) {
  TFormTab::BuildForm(F, R);
  mainlinks::Hooks().RunInpFile.Install([this](const std::string& File) { RunInpFile(File); });
}

void TTabEd::RunInpFile(const std::string& FileName) {
  if (Ed) Ed->Done = true;
  auto job = std::make_shared<TJob>("Import " + FileName);
  Shell.StartDBJob(job, [FileName](TJob& J, TDM& D) { ImportByInpFile(J, D, FileName); });
}

void TTabEd::Hide() {
  if (Ed) Ed->Hide();
}

// ---------------------------------------------------------------- the editor's callbacks

void TTabEd::OpenEdFile() {
  if (!Ed) return;
  const std::string F = TcvEd::ResolveEdName(Ed->Word);
  const std::string E = ExtUpper(F);
  char buf[257] = {};
  if (!FileRd256(F, buf)) return;
  std::string l1, l2;
  SplitTwoLines(buf, l1, l2);
  // A header written in UTF-8 is compared as program text.
  l1 = platform::DecodeTextFile(l1);
  l2 = platform::DecodeTextFile(l2);
  if (l1.find("[CVCTRL]") != std::string::npos) {
    if (l2.find("INPUTDATA") != std::string::npos) {
      mainlinks::RunInpFile(F);
    } else if (l2.find("GRAPH") != std::string::npos) {
      mainlinks::PlayGraphicsScript(F);
      Ed->Done = true;
      Shell.ShowPage("TabCORA");
    } else {
      OpenDoc(0, F);
      Ed->Done = true;
    }
  } else if (l1.find("ЧислоКонтуров"_cp) != std::string::npos) {
    Ed->Done = true;
    if (mainlinks::ProfileCount() == 0) {
      WARNAbs("Ни одного профиля в программе не загружено, LUNNO.Count=0!"_cp);
      return;
    }
    mainlinks::DrawContourPlot(F);
    Shell.ShowPage("TabCORA");
    OpenDoc(0, F);
  } else if (E == "INP") {
    mainlinks::RunInpFile(F);
  } else {
    OpenDoc(0, F);
    Ed->Done = true;
  }
}

void TTabEd::ShowEdTab() {
  Shell.ShowPage("TabEd");
  MemoEd->setFocus();
}

void TTabEd::NoteEdReturnTab() {
  const std::string name = Shell.ActivePageName();
  if (name == "TabEd" || name.empty()) return;
  sEdReturnTab = name;
  btEdOK->SetCaption("OK " + Shell.PageControl->ActivePage()->Caption());
}

void TTabEd::EdStatusShow(const TEdStatus& S) {
  edJS->SetText(IntStr(S.Line));
  edIP->SetText(IntStr(S.Col));
  lbWordN->SetCaption(IntStr(S.LineWords));
  edColCur->SetText(IntStr(S.WordNo));
  lbCurTT->SetCaption(S.ColInfo);
  lbEdFileEnabled->SetCaption(S.IsFile ? "ФАЙЛ"_cp : "не ФАЙЛ"_cp);
  lbEdHTMLEnabled->SetCaption(S.IsLink ? "HTML" : "не HTML"_cp);
  if (App && App->Inf) {
    TInf& I = *App->Inf;
    I.LogInt("eY", S.Line);
    I.LogInt("eX", S.Col);
    I.LogInt("tC", S.WordNo);
    I.LogInt("tN", S.LineWords);
    I.LogStr("tt", S.ColInfo);
    if (Ed) {
      I.LogInt("t1", Ed->TabTop);
      I.LogInt("t2", Ed->TabBottom);
    }
  }
  SetXColCaption();
  const bool isFile = lbKind->Caption().rfind('F', 0) == 0;
  pmedSave->setVisible(isFile);
  pmedCancel->setVisible(isFile);
}

void TTabEd::SetXColCaption() {
  pmedSetXCol->SetCaption("X(" + IntStr(PanelInt("nX")) + ")->Set(" + IntStr(PanelInt("tC")) + ")");
}

void TTabEd::EdTuneListShow() {
  cbEdCTRL->setParent(PanelEdCTRL->parentWidget());
  cbEdCTRL->move(PanelEdCTRL->pos());
  PanelEdCTRL->hide();
  cbEdCTRL->show();
  cbEdCTRL->raise();
}

void TTabEd::EdTuneListHide() {
  cbEdCTRL->hide();
  PanelEdCTRL->SetCaption(cbEdCTRL->Text());
  PanelEdCTRL->show();
}

// ---------------------------------------------------------------- top row

void TTabEd::btHomeClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("HOME!", PathJoin(App->sRoot, "cve.dir"), 0, 0);
}

void TTabEd::btFileClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("Поехали!"_cp, platform::CurrentDir(), 0, 0);
}

void TTabEd::btOpenClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->EnterFile("", edFile->Text(), 0, 0);
}

void TTabEd::btEdOKClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->SaveFile();
  Shell.ShowPage(sEdReturnTab);
  sEdReturnTab.clear();
  btEdOK->SetCaption("OK");
}

void TTabEd::btSysDirsClick(TSender) {
  if (!EdAssigned(Ed)) return;
  if (!cvDirs) {
    WARNAbs("cvDirs.Report - таблица рабочих директорий не загружена"_cp);
    return;
  }
  const std::unique_ptr<TStringList> R = cvDirs->Report();
  Ed->EdLoadSL("cvDirs.Report", R.get());
}

void TTabEd::Button3Click(TSender) {
  TStringList L;
  const std::vector<std::string> lines = MemoEd->Lines();
  for (const auto& s : lines) L.Add(s);
  SLTabsToBlanks(&L);
  for (int i = 0; i < L.Count(); ++i)
    if (L[i] != lines[static_cast<size_t>(i)]) MemoEd->SetLine(i, L[i]);
}

void TTabEd::btEdTestClick(TSender) {
  if (EdAssigned(Ed)) Ed->ListCurDir();
}

// ---------------------------------------------------------------- search

bool TTabEd::SearchMemo(bool Down) {
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

void TTabEd::btEdSearcDnClick(TSender) { SearchMemo(true); }
void TTabEd::btEdSearcUpClick(TSender) { SearchMemo(false); }

// ---------------------------------------------------------------- bottom row

void TTabEd::btShowCalculatorClick(TSender) { mainlinks::ShowCalculator(); }

void TTabEd::btACEClick(TSender) { testlinks::Hooks().AceOnEdTable(); }

void TTabEd::btFiltClick(TSender) {
  if (!FFiltr) return;
  FFiltr->show();
  FFiltr->raise();
}

void TTabEd::btCancelClick(TSender) {
  if (EdAssigned(Ed)) Ed->LoadFile(edFile->Text());
}

void TTabEd::btEdExitClick(TSender) {
  if (EdAssigned(Ed)) Ed->ExitFile();
}

void TTabEd::SaveMemoToFile() {
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

void TTabEd::btSaveClick(TSender) { SaveMemoToFile(); }

// ---------------------------------------------------------------- the control panel's companions

void TTabEd::cbEdCTRLChange(TSender) {
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

void TTabEd::btJmpClick(TSender) {
  if (EdAssigned(Ed)) Ed->JumpLineCol();
}

void TTabEd::btEnterClick(TSender) {
  if (EdAssigned(Ed)) Ed->EnterFile("", Ed->Word, 0, 0);
}

void TTabEd::btedActColumnClick(TSender) {
  if (!EdAssigned(Ed)) return;
  const std::string t = cbEdColumnAct->Text();
  if (t.empty()) return;
  Ed->ColOpLetter = t[0];
  Ed->ColOpRepeat();
}

void TTabEd::btExcelExportClick(TSender) {
  if (EdAssigned(Ed)) Ed->ExcelExport();
}

void TTabEd::btExcelImportClick(TSender) {
  if (!EdAssigned(Ed)) return;
  // The spreadsheet's cells as an aligned table, inserted before the editor's current line.
  std::unique_ptr<TStringList> L = ClipboardToTab();
  if (L->Count() > 0) Ed->SLImport(L.get(), false);
}

// ---------------------------------------------------------------- the memo's popup menu

void TTabEd::pmedSaveClick(TSender) { SaveMemoToFile(); }

void TTabEd::pmedCancelClick(TSender) {
  if (EdAssigned(Ed)) Ed->LoadFile(edFile->Text());
}

void TTabEd::pmedSetXColClick(TSender) {
  if (EdAssigned(Ed)) Ed->ColOp('O');
}

void TTabEd::pmedGrClick(TSender) { Shell.GrafTab().PlayGraphic(); }

void TTabEd::pmedCol2ExClick(TSender) {
  if (EdAssigned(Ed)) Ed->ColOp('X');
}

void TTabEd::pmedTab2ExClick(TSender) {
  if (EdAssigned(Ed)) Ed->CurTabToClipboard();
}

void TTabEd::pmedStatClick(TSender) {
  if (PanelInt("nX") == 0) {
    WARNAbs("Колонка X не задана!"_cp);
    return;
  }
  mainlinks::ShowCalculator();
  mainlinks::CalcRegression();
}

void TTabEd::pmedColAlignClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablAlign();
}

void TTabEd::pmedSortUpClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablSort(false);
}

void TTabEd::pmedSortDnClick(TSender) {
  if (EdAssigned(Ed)) Ed->TablSort(true);
}

void TTabEd::pmedColCutClick(TSender) {
  if (!EdAssigned(Ed)) return;
  Ed->ColOpLetter = 'C';
  Ed->ColOpRepeat();
}
