#include "mainwindow/TabFITS.h"

#include <QApplication>
#include <QCursor>
#include <algorithm>
#include <cmath>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "grid/cvGxRowText.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/PictPlotter.h"
#include "platform/Clipboard.h"
#include "platform/FileErr.h"
#include "mainwindow/TestLinks.h"
#include "platform/Memo.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvWorldWin.h"
#include "plotting/qt/cvPictWindows.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFITSRuns.h"
#include "scans/cvMapView.h"
#include "scans/cvFOOps.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanInfo.h"
#include "scans/cvScanReports.h"
#include "scans/cvScanServices.h"

namespace {

const std::string kCrLf = "\r\n";

TTunes* FITSTunes() { return App ? App->TunFITS.get() : nullptr; }
TTunes* CommonTunes() { return App ? App->TunCommon.get() : nullptr; }

std::string Trim(const std::string& S) {
  const size_t b = S.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  const size_t e = S.find_last_not_of(" \t");
  return S.substr(b, e - b + 1);
}

std::string NoBlanks(std::string S) {
  S.erase(std::remove(S.begin(), S.end(), ' '), S.end());
  return S;
}

int32_t Col(TCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? c->Index() : -1;
}

std::string ColCaption(TGxCustomColumn* C) { return gx::A(C->Header().Caption()); }

void ShowInEditor(const std::string& Title, const std::vector<std::string>& Lines) {
  TStringList l;
  for (const std::string& s : Lines) l.Add(s);
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &l);
}

void ShowInEditor(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

// The grid's visible columns as a table in the editor, aligned from its second line.
void GridToEditor(const std::string& Title, TFormCvGrid* G) {
  TStringList l;
  GridToSL(G->Columns(), G->Cells(), l);
  if (l.Count() > 2) LineTabStrings(&l, 2);
  ShowInEditor(Title, l);
}

// The column groups: toggle key, the columns it shows.
struct TGroup {
  const char* Key;
  std::vector<const char*> Cols;
};
const std::vector<TGroup>& Groups() {
  static const std::vector<TGroup> g = {
      {"FITSYM_t", {"GxFITS_TT1", "GxFITS_TT2", "GxFITS_TT3", "GxFITS_TT4", "GxFITS_TT5", "GxFITS_TT6"}},
      {"FITSYM_K", {"GxFITS_Xcen", "GxFITS_Ycen", "GxFITS_RSun"}},
      {"FITSYM_C", {"GxFITS_CB0", "GxFITS_pB077", "GxFITS_pB007", "GxFITS_minC", "GxFITS_maxB"}},
      {"FITSYM_T", {"GxFITS_Cadence", "GxFITS_tDura", "GxFITS_tDay"}},
      {"FITSYM_A", {"GxFITS_Angle", "GxFITS_long", "GxFITS_lat"}},
      {"FITSYM_U", {"GxFITS_pLimb", "GxFITS_pU", "GxFITS_ppu"}},
      {"FITSYM_V", {"GxFITS_dVmi", "GxFITS_dVma"}},
      {"FITSYM_B", {"GxFITS_BML1", "GxFITS_BML2", "GxFITS_maBIV", "GxFITS_miBIV"}}};
  return g;
}

}  // namespace

TTabFITS::TTabFITS(TCorvesta& Shell) : TFormTab(Shell) {
  // what the tab hands the Test tab goes through the Test tab's links
  TestLinks.SetField.Install([](const std::string& Control, const std::string& Text) {
    testlinks::THooks& h = testlinks::Hooks();
    if (Control == "edFITiX") h.SetFITiX(Text);
    if (Control == "edFITiY") h.SetFITiY(Text);
  });
  TestLinks.HandOverCurI.Install([](const TARe&, const TARe&, double Cont, int32_t X, int32_t Y) {
    testlinks::Hooks().SetProfilePixel(Cont, X, Y);
  });
  // what the Test tab asks of the scan and the pixel
  testlinks::THooks& h = testlinks::Hooks();
  h.CurLFITS.Install([this] { return CurLFITS.get(); });
  h.GetProfileSel.Install([this](int32_t& X, int32_t& Y) {
    std::string sel;
    return GetProfileSel(X, Y, sel);
  });
  h.SetFITSiX.Install([this](const std::string& T) { edFITSiX->SetText(T); });
  h.SetFITSiY.Install([this](const std::string& T) { edFITSiY->SetText(T); });
  h.PlotIpmV.Install([this] {
    cb_FITS3->SetText("I±V"_cp);
    btFIT2EdNormClick({});
  });
  h.CurSessionName.Install([this] { return CurSessionName(); });
  h.CurSessionFolder.Install([this] { return CurSessionFolder(); });
  h.CurFIOut.Install([this] { return CurFIOut(); });
  h.LinkLFITS.Install([this](const std::string& Folder) {
    LinkLFITS(Folder);
    return CurLFITS.get();
  });
  InitMaps();
}

TTabFITS::~TTabFITS() {
  Plotting().PlotHistogram = nullptr;  // installed by the filters' handlers
  testlinks::THooks& h = testlinks::Hooks();
  h.CurLFITS.Reset();
  h.GetProfileSel.Reset();
  h.SetFITSiX.Reset();
  h.SetFITSiY.Reset();
  h.PlotIpmV.Reset();
  h.CurSessionName.Reset();
  h.CurSessionFolder.Reset();
  h.CurFIOut.Reset();
  h.LinkLFITS.Reset();
  DoneMaps();
}

void TTabFITS::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, edFITSpathChange);
  CV_HANDLER(H, cbFITS_YMChange);
  CV_HANDLER(H, btYMClick);
  CV_HANDLER(H, btSesWideClick);
  H.Add("btTT6Click", [this](TSender) { ToggleClick("FITSYM_t", btTT6->Down()); });
  H.Add("btSunXYClick", [this](TSender) { ToggleClick("FITSYM_K", btSunXY->Down()); });
  H.Add("btContB0Click", [this](TSender) { ToggleClick("FITSYM_C", btContB0->Down()); });
  H.Add("btTimeClick", [this](TSender) { ToggleClick("FITSYM_T", btTime->Down()); });
  H.Add("btAngleClick", [this](TSender) { ToggleClick("FITSYM_A", btAngle->Down()); });
  H.Add("btUmbraClick", [this](TSender) { ToggleClick("FITSYM_U", btUmbra->Down()); });
  H.Add("btVCompenClick", [this](TSender) { ToggleClick("FITSYM_V", btVCompen->Down()); });
  // "B" keeps its own key (it shared the handler of "V" and stored the state of "V").
  H.Add("btBMomClick", [this](TSender) { ToggleClick("FITSYM_B", btBMom->Down()); });
  CV_HANDLER(H, btFITS_YMprintClick);
  CV_HANDLER(H, ngFITS_YMCellClick);
  CV_HANDLER(H, ngFITS_YMExit);
  CV_HANDLER(H, ngFITS_YMKeyDown);
  CV_HANDLER(H, ngFITS_YMMouseDown);
  CV_HANDLER(H, pmYM_FldFromClick);
  CV_HANDLER(H, pmYM_FldToClick);
  CV_HANDLER(H, btLoadFITSClick);
  CV_HANDLER(H, btLFITS_UpDateClick);
  CV_HANDLER(H, btLFITS_freeClick);
  CV_HANDLER(H, ngFITSCellClick);
  CV_HANDLER(H, edFITSiXChange);
  CV_HANDLER(H, udFITSiXClick);
  CV_HANDLER(H, btFIT2EdNormClick);
  CV_HANDLER(H, btFIT2_EdNormClick);
  CV_HANDLER(H, btFIT2EdClick);
  CV_HANDLER(H, cbArrPlotNNChange);
  CV_HANDLER(H, btCheck12LambClick);
  CV_HANDLER(H, rbCVClick);
  CV_HANDLER(H, rbMEClick);
  CV_HANDLER(H, bt_FITS_curClick);
  CV_HANDLER(H, bt_FITS_tunesClick);
  CV_HANDLER(H, ed_NCutChange);
  CV_HANDLER(H, btHdRepClick);
  CV_HANDLER(H, pmYM_HdReturnClick);
  CV_HANDLER(H, btSesMECV_structClick);
  CV_HANDLER(H, btServClick);
  CV_HANDLER(H, btFITSRepHeadersClick);
  H.Add("pmYM_mapClick", [this](TSender) { ShowSessionMap(); });
  RegisterFilterHandlers(H);
  RegisterMapHandlers(H);
}

bool TTabFITS::busy() {
  if (!Jobs.Busy()) return false;
  Jobs.SayBusy();
  return true;
}

// ============================================================ root, months, sessions

std::string TTabFITS::Root() const { return Trim(edFITSpath->Text()); }

bool TTabFITS::ChkHinodePath(const std::string& Path) {
  if (!Path.empty() && platform::IsDirectory(Path)) return true;
  WARNAbs("Папка <"_cp + Path + "> не существует!"_cp + kCrLf +
          "Назначьте папку, в которой хранятся данные Hinode."_cp);
  return false;
}

void TTabFITS::TabFITSShow() {
  if (edFITSpath->Text().empty()) {
    const bool was = edFITSpath->blockSignals(true);
    edFITSpath->SetText(Scans().DataRoot());
    edFITSpath->blockSignals(was);
  }
  const std::string root = Root();
  if (!ChkHinodePath(root)) return;
  Scans().NCut = 320;
  // FITSRoot: the scans' and map files' data root follows the field.
  const std::string fr = sessions::Join(root, "");
  Scans().DataRoot.Install([fr] { return fr; });
  int32_t code = 0;
  const double ls = ValRealCode(Trim(edLamShift->Text()), code);
  if (code == 0) LamShift = ls;
  if (cbFITS_YM->ItemCount() == 0) FillFITS_YM();
  FillFiltSets();
  FillSesFilt();
  sessions::LoadFOList(root, FONames, FOLines);
  foops::FOLines() = FOLines;
  cbMaps->ClearItems();
  cbMaps->AddItem("");
  for (const std::string& n : FONames) cbMaps->AddItem(n);
  if (!FITSTunesRead) {
    LoadFITSTunes();
    FITSTunesRead = true;
  }
  FOSession = CurSession;
}

void TTabFITS::FillFITS_YM() {
  cbFITS_YM->ClearItems();
  for (const std::string& s : sessions::MonthItems(Root())) cbFITS_YM->AddItem(s);
}

void TTabFITS::LoadFITSTunes() {
  TTunes* t = FITSTunes();
  if (!t) return;
  auto get = [&](const char* K) { return t->Get(K); };
  if (!get("s15_last").empty()) CurSession = get("s15_last");
  auto put = [&](const char* K, auto* C) {
    const std::string v = get(K);
    if (!v.empty()) C->SetText(v);
  };
  put("Filt1_Map", cbFilt1);
  put("Filt2_Map", cbFilt2);
  put("Filt3_Map", cbFilt3);
  put("Filt1_Val", edFilt11);
  put("Filt2_Val", edFilt21);
  put("Filt3_Val", edFilt31);
  put("OpY_Map", cb_OpY);
  put("OpX_Map", cb_OpX);
  put("OpC_Map", cb_OpC);
  const std::string ym = get("FITS_YM");
  if (!ym.empty()) {
    cbFITS_YM->SetText(ym);
    cbFITS_YMChange({});
  }
}

void TTabFITS::edFITSpathChange(TSender) {
  cbFITS_YM->ClearItems();
  TabFITSShow();
}

void TTabFITS::cbFITS_YMChange(TSender) {
  const std::string root = Root();
  if (!ChkHinodePath(root)) {
    WARNAbs("<" + root + "> - неправильный путь!"_cp);
    return;
  }
  {
    const bool was = edFITSpath->blockSignals(true);
    edFITSpath->SetText(root);
    edFITSpath->blockSignals(was);
  }
  const std::string choice = Trim(cbFITS_YM->Text());
  btYM->SetCaption(choice.size() == 4 ? "YM" : "Y");
  FillSessions(choice);
}

void TTabFITS::FillSessions(const std::string& Choice) {
  if (busy()) return;
  const std::string root = Root();
  if (Choice == "All" || Choice.size() == 4) {
    // The whole archive or a year: a job; the grid changes when it has run to its end.
    auto job = std::make_shared<TJob>("Sessions " + Choice);
    auto out = std::make_shared<sessions::TSessionFill>();
    Jobs.Start(
        job, [root, Choice, out](TJob& J) { sessions::FillSessions(root, Choice, *out, &J); },
        [this, out, Choice](TJob& J) {
          if (J.Cancelled() || out->Cancelled || J.State() != TJobState::Done) return;
          ShowSessionRows(out->Rows);
          AfterFill(Choice);
        });
    return;
  }
  sessions::TSessionFill out;
  sessions::FillSessions(root, Choice, out, nullptr);
  ShowSessionRows(out.Rows);
  if (out.MissingMonth) cbFITS_YM->setFocus();
  AfterFill(Choice);
}

void TTabFITS::ShowSessionRows(const std::vector<sessions::TSessionRow>& Rows) {
  ngFITS_YM->BeginUpdate();
  ngFITS_YM->ClearRows();
  YMRow = 0;
  if (!Rows.empty()) ngFITS_YM->AddRows(static_cast<int>(Rows.size()));
  for (size_t r = 0; r < Rows.size(); ++r)
    for (size_t k = 0; k < Rows[r].Values.size(); ++k) {
      const std::string& v = Rows[r].Values[k];
      if (v.empty()) continue;
      const int32_t c = Col(ngFITS_YM, sessions::SessionColumns()[k].first.c_str());
      if (c < 0) continue;
      TCell* cell = ngFITS_YM->CellAt(c, static_cast<int>(r));
      if (v == "true")
        cell->SetAsBoolean(true);
      else
        cell->SetAsText(v);
    }
  ngFITS_YM->EndUpdate();
}

void TTabFITS::AfterFill(const std::string& Choice) {
  ShowSession();
  const int32_t dc = Col(ngFITS_YM, "GxFITS_DaTi");
  for (int r = 0; r < ngFITS_YM->RowCount(); ++r)
    if (ngFITS_YM->CellAt(dc, r)->GetAsText() == CurSession && !CurSession.empty()) {
      ngFITS_YM->SelectCell(YMCol, r, 0);
      ngFITS_YM->setFocus();
      ngFITS_YM->ScrollRowIntoView(r);
      YMRow = r;
      break;
    }
  if (TTunes* t = FITSTunes()) {
    if (Choice != "All") t->Set("FITS_YM", Choice);
    if (!CurSession.empty()) t->Set("s15_last", CurSession);
  }
}

std::string TTabFITS::CurSessionName() {
  if (YMCol >= 0 && YMRow >= 0 && YMCol < ngFITS_YM->Columns().ColumnCount() &&
      YMRow < ngFITS_YM->RowCount())
    return ngFITS_YM->CellAt(Col(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText();
  WARNAbs("Выберите строку и колонку в таблице сеансов Hinode!"_cp);
  return "";
}

void TTabFITS::ShowSession() {
  if (ngFITS_YM->RowCount() == 0) return;
  const std::string name = CurSessionName();
  if (name.empty()) return;
  for (const auto& [c, v] : sessions::SessionPanel(Root(), name, rbCV->Checked())) {
    if (c == "gbSes") {
      gbSes->SetCaption(v);
      FOSession = name;
    } else if (auto* l = dynamic_cast<platform::TLabel*>(Shell.Control(c))) {
      l->SetCaption(v);
    }
  }
}

void TTabFITS::btYMClick(TSender) {
  if (CurSession.empty()) {
    if (YMRow >= ngFITS_YM->RowCount()) {
      WARNAbs("ngFITS_YM запомнен Row="_cp + IntStr(YMRow + 1) + kCrLf + "а в таблице всего "_cp +
              IntStr(ngFITS_YM->RowCount()) + " строк!"_cp);
      return;
    }
    CurSession = ngFITS_YM->CellAt(Col(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText();
  }
  std::string t = CurSession.substr(0, 4);
  if (btYM->Caption() == "YM" && CurSession.size() >= 6) t += "_" + CurSession.substr(4, 2);
  cbFITS_YM->SetText(t);
  cbFITS_YMChange({});
}

void TTabFITS::ngFITS_YMCellClick(TSender E) {
  if (E.Row < 0 || E.Row >= ngFITS_YM->RowCount()) return;
  YMCol = std::max(E.Col, 0);
  const bool changed = E.Row != YMRow;
  YMRow = E.Row;
  TGxCustomColumn* c = YMCol < ngFITS_YM->Columns().ColumnCount()
                           ? ngFITS_YM->Columns().Column(YMCol)
                           : nullptr;
  YMColCaption = c ? ColCaption(c) : "";
  const std::string s = ngFITS_YM->CellAt(Col(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText();
  if (s.size() == 15) {
    CurSession = s;
    if (TTunes* t = FITSTunes()) t->Set("s15_last", s);
  }
  ngFITS_YM->update();
  if (c && c->Name == "GxFITS_ME")
    rbME->SetChecked(true);
  else
    rbCV->SetChecked(true);
  if (changed)
    if (TLFIOut* r = LFIOOrNull())
      if (r->HcvSL) r->HcvSL->Clear();
  const std::string before = LastClickGrid;
  ShowSession();
  FillFOFiltList();
  LastClickGrid = "ngFITS_YM";
  ShowCalcState();
  if (cbAutoMap->Checked()) ShowSessionMap();
  if (!before.empty() && before != "ngFITS_YM") PrevClickGrid = before;
  if (!ngFITS_YM->hasFocus()) ngFITS_YM->setFocus();
}

void TTabFITS::ngFITS_YMExit(TSender) { ngFITS_YM->update(); }

void TTabFITS::ngFITS_YMKeyDown(TSender E) {
  if (E.Ctrl && (E.Key == 'C' || E.Key == 'c')) {
    if (YMRow >= 0 && YMRow < ngFITS_YM->RowCount() && YMCol >= 0 &&
        YMCol < ngFITS_YM->Columns().ColumnCount())
      platform::SetClipboardText(ngFITS_YM->CellAt(YMCol, YMRow)->GetAsText());
  }
}

void TTabFITS::ngFITS_YMMouseDown(TSender E) {
  if (E.Button != platform::TMouseButton::Right) return;
  pmFITS_YM->popup(QCursor::pos() + QPoint(5, 5));
}

void TTabFITS::FilterLimit(int32_t Column) {
  const int32_t f = Col(ngSesFilt, "GxSesFld");
  int32_t row = -1;
  for (int r = 0; r < ngSesFilt->RowCount(); ++r)
    if (ngSesFilt->CellAt(f, r)->GetAsText() == YMColCaption) row = r;
  if (row < 0 || YMRow < 0 || YMRow >= ngFITS_YM->RowCount() || YMCol < 0 ||
      YMCol >= ngFITS_YM->Columns().ColumnCount())
    return;
  ngSesFilt->CellAt(Column, row)->SetAsText(ngFITS_YM->CellAt(YMCol, YMRow)->GetAsText());
}
void TTabFITS::pmYM_FldFromClick(TSender) { FilterLimit(1); }
void TTabFITS::pmYM_FldToClick(TSender) { FilterLimit(2); }

// ---- wide view and column groups

void TTabFITS::ShowColumnGroups() {
  platform::TSpeedButton* b[] = {btTT6, btSunXY, btContB0, btTime, btAngle, btUmbra, btVCompen, btBMom};
  for (size_t i = 0; i < Groups().size(); ++i)
    for (const char* c : Groups()[i].Cols)
      if (TGxCustomColumn* col = ngFITS_YM->ColumnByName(c)) col->SetVisible(b[i]->Down());
}

void TTabFITS::ngFITS_YM_TabWidth() {
  if (btSesWide->Caption() != "<") return;
  int w = 24;
  for (int i = 0; i < ngFITS_YM->Columns().ColumnCount(); ++i)
    if (ngFITS_YM->Columns().Column(i)->Visible()) w += ngFITS_YM->Columns().Column(i)->Width();
  // Up to that width as the window allows (the grid shows its first columns in what is left).
  ngFITS_YM->setMinimumWidth(190);
  ngFITS_YM->setMaximumWidth(w);
}

void TTabFITS::btSesWideClick(TSender) {
  if (btSesWide->Caption() == ">") {
    gb_Buttons->setVisible(true);
    ShowColumnGroups();
    ngFITS_YM->raise();
    btSesWide->SetCaption("<");
    ngFITS_YM_TabWidth();
  } else {
    gb_Buttons->setVisible(false);
    ngFITS_YM->setFixedWidth(190);
    btSesWide->SetCaption(">");
  }
}

void TTabFITS::ToggleClick(const char* Key, bool Down) {
  if (TTunes* t = CommonTunes()) {
    if (Down)
      t->Set(Key, "1");
    else
      t->Clear(Key);
  }
  ShowColumnGroups();
  ngFITS_YM_TabWidth();
}

void TTabFITS::btFITS_YMprintClick(TSender) { GridToEditor("List_FITS_YM", ngFITS_YM); }

// ============================================================ the scan ("Ld")

std::string TTabFITS::CurSessionFolder() {
  if (YMRow >= 0 && YMRow < ngFITS_YM->RowCount())
    return sessions::SessionFolder(
        Root(), ngFITS_YM->CellAt(Col(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText());
  if (ngFITS_YM->hasFocus() || LastClickGrid == "ngFITS_YM")
    WARNAbs("Выберите строку в таблице FITS_YM!"_cp);
  return "";
}

void TTabFITS::LinkSessionFolder(const std::string& Folder) {
  if (!CurLFITS) CurLFITS = std::make_unique<TLFITS>();
  if (CurLFITS->Path_Name != Folder) {
    CurLFITS->Clear();
    CurLFITS->Link(Folder);
  }
}

void TTabFITS::LinkLFITS(const std::string& Folder) {
  LinkSessionFolder(Folder);
  CurLFITS->OwnFileExists = platform::IsRegularFile(sessions::Join(CurLFITS->OutFolder, CurLFITS->sFN));
  LFITS_SetOptions();
}

bool TTabFITS::GetLFITSOptions(double& W1, double& W2, double& KRC, double& Smooth) {
  platform::TEdit* e[] = {edd6301, edd6302, edKRC, edContSmooth};
  double* v[] = {&W1, &W2, &KRC, &Smooth};
  for (int i = 0; i < 4; ++i) {
    int32_t code = 0;
    const std::string t = Trim(e[i]->Text());
    *v[i] = ValRealCode(t, code);
    if (code != 0 || t.empty()) {
      WARNAbs("Ошибка в числе!"_cp);
      e[i]->setFocus();
      return false;
    }
  }
  return true;
}

void TTabFITS::LFITS_SetOptions() {
  if (!CurLFITS) {
    WARNAbs("Corvesta.LFITS_SetOptions ERR: LFITS NOT Assigned!");
    return;
  }
  double a = 0, b = 0, c = 0, d = 0;
  if (GetLFITSOptions(a, b, c, d)) CurLFITS->SetOptions(a, b, c, d);
  CurLFITS->Light = cbLFITS_QLight->Checked();
}

void TTabFITS::ShowScanInfo() {
  const TScanInfoView v = ::ShowScanInfo(CurLFITS.get());
  for (const auto& [c, t] : v.Labels) {
    if (c == "gbLFITS") {
      gbLFITS->SetCaption(t);
    } else if (auto* l = dynamic_cast<platform::TLabel*>(Shell.Control(c))) {
      l->SetCaption(t);
    }
  }
  ngFITS->BeginUpdate();
  ngFITS->ClearRows();
  if (!v.Rows.empty()) ngFITS->AddRows(static_cast<int>(v.Rows.size()));
  for (size_t r = 0; r < v.Rows.size(); ++r) {
    ngFITS->CellAt(0, static_cast<int>(r))->SetAsText(IntStr(v.Rows[r].first));
    ngFITS->CellAt(1, static_cast<int>(r))->SetAsText(IntStr(v.Rows[r].second));
  }
  ngFITS->EndUpdate();
  udFITSiX->SetMax(v.MaxIX);
  udFITSiY->SetMax(v.MaxIY);
}

void TTabFITS::LoadLFITS() {
  if (busy()) return;
  const std::string folder = CurSessionFolder();
  if (folder.empty()) return;
  LinkSessionFolder(folder);
  auto job = std::make_shared<TJob>("Load_LFITS");
  auto keys = std::make_shared<std::vector<std::string>>();
  auto ok = std::make_shared<bool>(false);
  TLFITS* scan = CurLFITS.get();
  Jobs.Start(
      job,
      [scan, keys, ok](TJob& J) {
        if (!scan->LoadHeaders(J) || J.Cancelled()) return;
        if (scan->SOLAR_RA == 0) {
          int32_t n = 0;
          int64_t b = 0;
          scan->ReadMEMainHeader(n, b);
        }
        const int32_t n = scan->Count();
        if (n == 0) return;
        std::vector<std::vector<std::string>> k(static_cast<size_t>(n)), v(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) {
          const TFITS* f = scan->Files[static_cast<size_t>(i)].get();
          auto kl = f->HeaderKeyList();
          auto vl = f->HeaderValueList();
          for (int j = 0; kl && j < kl->Count(); ++j) k[static_cast<size_t>(i)].push_back((*kl)[j]);
          for (int j = 0; vl && j < vl->Count(); ++j) v[static_cast<size_t>(i)].push_back((*vl)[j]);
        }
        bool stopped = false;
        *keys = sessions::VaryingKeys(
            k, v,
            [&](int32_t f) {
              return J.Step(f, n, "Load_LFITS|i=" + ZeroPad(f, 4) + "/" + IntStr(n));
            },
            stopped);
        *ok = !stopped;
      },
      [this, scan, keys, ok](TJob& J) {
        if (scan != CurLFITS.get()) return;
        ShowScanInfo();
        if (!*ok || J.Cancelled()) return;  // a cancelled comparison keeps the key list
        cbSrcFITSKey->ClearItems();
        for (const std::string& k : *keys) cbSrcFITSKey->AddItem(k);
      });
}

void TTabFITS::btLoadFITSClick(TSender) { LoadLFITS(); }

void TTabFITS::btLFITS_UpDateClick(TSender) {
  if (busy()) return;
  std::vector<std::string> folders;
  const int32_t dc = Col(ngFITS_YM, "GxFITS_DaTi");
  for (int r = 0; r < ngFITS_YM->RowCount(); ++r)
    folders.push_back(sessions::SessionFolder(Root(), ngFITS_YM->CellAt(dc, r)->GetAsText()));
  if (folders.empty()) return;
  if (!CurLFITS) CurLFITS = std::make_unique<TLFITS>();
  TLFITS* scan = CurLFITS.get();
  Jobs.Start(
      std::make_shared<TJob>("LFITS UpDate"),
      [scan, folders](TJob& J) {
        for (size_t i = 0; i < folders.size(); ++i) {
          if (!J.Step(static_cast<int64_t>(i), static_cast<int64_t>(folders.size()), folders[i]))
            return;
          if (scan->Path_Name != folders[i]) {
            scan->Clear();
            scan->Link(folders[i]);
          }
          scan->LoadHeaders(J);
        }
      },
      [this, scan](TJob&) {
        if (scan == CurLFITS.get()) ShowScanInfo();
      });
}

void TTabFITS::btLFITS_freeClick(TSender) {
  if (!CurLFITS || busy()) return;
  CurLFITS->Clear();
  CurLFITS.reset();
  ShowScanInfo();
}

TFITS* TTabFITS::FITSOfRow(int32_t Row) {
  if (!CurLFITS || Row < 0 || Row >= ngFITS->RowCount()) return nullptr;
  int32_t code = 0;
  const int32_t ix = ValIntCode(ngFITS->CellAt(0, Row)->GetAsText(), code);
  TFITS* found = nullptr;
  for (auto& f : CurLFITS->Files)
    if (f && f->IXI == ix) found = f.get();
  return found;
}

TFITS* TTabFITS::CurFITS() {
  if (FITSRow < 0 || FITSRow >= ngFITS->RowCount()) return nullptr;
  return FITSOfRow(FITSRow);
}

void TTabFITS::ngFITSCellClick(TSender E) {
  FITSCol = E.Col;
  FITSRow = E.Row;
  LastClickGrid = "ngFITS";
  TFITS* f = CurFITS();
  if (!f) return;
  edFITSiX->SetText(IntStr(f->IXI));
  TestLinks.SetField("edFITiX", IntStr(f->IXI));
  lb_nWkFITS->SetCaption(I64Str(f->ArraysVolume()));
}

// ============================================================ a pixel's profiles

bool TTabFITS::GetFITSiXiY(int32_t& IX, int32_t& IY) {
  int32_t code = 0;
  const std::string x = NoBlanks(edFITSiX->Text()), y = NoBlanks(edFITSiY->Text());
  IX = ValIntCode(x, code);
  if (code != 0 || x.empty()) {
    WARNAbs("Ошибка в числе в поле iX <"_cp + edFITSiX->Text() + ">");
    edFITSiX->setFocus();
    return false;
  }
  IY = ValIntCode(y, code);
  if (code != 0 || y.empty()) {
    WARNAbs("Ошибка в числе в поле iY <"_cp + edFITSiY->Text() + ">");
    edFITSiY->setFocus();
    return false;
  }
  return true;
}

bool TTabFITS::GetProfileSel(int32_t& IX, int32_t& IY, std::string& Sel) {
  if (!GetFITSiXiY(IX, IY)) return false;
  return sessions::ProfileSelection(cb_FITS3->Text(), Sel);
}

void TTabFITS::PLOTTER_INIT(bool Replace) {
  int32_t ix = 0, iy = 0;
  std::string sel;
  if (!GetProfileSel(ix, iy, sel)) return;
  if (!CurLFITS) {
    WARNAbs("Нужно загрузить список LFITS!"_cp);
    return;
  }
  if (busy()) return;
  if (!PrepPictPlotter()) {
    WARNAbs("Corvesta.PLOTTER_INIT вернул FALSE!");
    return;
  }
  if (CurSessionName().empty()) return;
  if (CurLFITS->ContSmooth == 0) LFITS_SetOptions();
  const std::string mode = Trim(cbRI1_9->Text());
  const char norm = cbNormPix->Text().empty() ? 'p' : cbNormPix->Text()[0];
  const char xk = cbNormLen->Text().empty() ? 'p' : cbNormLen->Text()[0];
  int32_t code = 0;
  int32_t n = ValIntCode(Trim(cbArrPlotNN->Text()), code);
  if (code != 0 || n <= 0) n = 1;
  const std::string units = xk == 'p' ? "pix" : xk == 'n' ? "Angstrom" : "km/s";
  const char pm = static_cast<char>(0xB1);
  double cont = 0;
  TARe X, XD, I, Q, U, V, P, D;
  const bool bi = sel == "biB" || sel == "biV";
  // The getters' selection: "±" asks for I and V (or I, Q, U for L).
  std::string gsel = sel;
  if (sel.find(pm) != std::string::npos)
    gsel = sel.find('V') != std::string::npos ? "IV" : "IQU";
  auto draw = [&](int32_t Tile, int32_t Dx, int32_t Dy) {
    TARe* x = sel[0] == 'D' ? &XD : &X;
    const std::string where = n == 1 ? "(" + IntStr(ix) + "," + IntStr(iy) + ")"
                                     : "(" + IntStr(Dx) + "," + IntStr(Dy) + ")";
    const std::string fmt = n == 1 ? "-+K 1" : "-+K 0.5";
    auto curve = [&](const std::string& Title, const TARe& Y) {
      if (Y.size() < 2) return;
      const std::string name = where + Title + "(" + units + ")";
      if (n > 1)
        PLOTTER->UpDateGraphByTitle(*x, Y, Tile, 1, fmt, name, units, Title, "int", "lam");
      else if (Replace)
        PLOTTER->UpDateCurGraph(*x, Y, Tile, 1, fmt, name, units, Title, "int", "lam");
      else
        PLOTTER->NewGraph(*x, Y, Tile, 1, fmt, name, units, Title, "int", "lam");
    };
    bool rest = true;
    if (sel.find(pm) != std::string::npos) {
      TARe a(I.size(), 0.0), b(I.size(), 0.0);
      const bool isV = sel.find('V') != std::string::npos;
      for (size_t i = 1; i < I.size(); ++i) {
        const double s = isV ? (i < V.size() ? V[i] : 0)
                             : std::sqrt((i < Q.size() ? Q[i] * Q[i] : 0) + (i < U.size() ? U[i] * U[i] : 0));
        a[i] = I[i] + s;
        b[i] = I[i] - s;
      }
      curve(isV ? "Stokes_I+V" : "Stokes_I+L", a);
      curve(isV ? "Stokes_I-V" : "Stokes_I-L", b);
      rest = false;
    } else if (sel == "QXi" || sel == "UXi") {
      WARNAbs("Не найдены карты Xi!"_cp);
      return;
    }
    if (rest) {
      if (sel.find('I') != std::string::npos) curve("Stokes_I", I);
      if (sel.find('V') != std::string::npos) curve("Stokes_V", V);
    }
    if (sel.find('Q') != std::string::npos && sel.find(pm) == std::string::npos) curve("Stokes_Q", Q);
    if (sel.find('U') != std::string::npos && sel.find(pm) == std::string::npos) curve("Stokes_U", U);
    if (sel.find('P') != std::string::npos) curve("StoksQ+U", P);
    if (sel.find('D') != std::string::npos) curve("dI/dLam", D);
  };
  if (!bi) {
    if (n == 1) {
      bool got = false;
      if (norm == 'n') {
        got = mode == "9" ? CurLFITS->GetFIT9NormArr(ix, iy + 1, gsel, LamShift, X, XD, I, Q, U, V, P, D)
                          : CurLFITS->GetFITArr(ix, iy, gsel, 'n', xk, 6300.0, X, XD, I, Q, U, V, P, D, cont);
        cont = 1;
      } else {
        got = mode == "9" ? CurLFITS->GetFIT9Arr(ix, iy + 1, gsel, X, XD, I, Q, U, V, P, D, cont)
                          : CurLFITS->GetFITArr(ix, iy, gsel, 'p', xk, 6300.0, X, XD, I, Q, U, V, P, D, cont);
      }
      if (got) draw(1, 0, 0);
    } else {
      const int32_t h = n / 2;
      for (int32_t dx = -h; dx <= h; ++dx)
        for (int32_t dy = -h; dy <= h; ++dy)
          if (CurLFITS->GetFITNormArr(ix + dx, iy + dy, gsel, LamShift, X, XD, I, Q, U, V, P, D))
            draw(sessions::MatrixTile(dx, dy, n), dx, dy);
      cont = 0;
    }
  }
  PLOTTER->PlayOnce();
  if (n > 1 || bi) cont = 0;
  TestLinks.SetField("edICont6301", ShortSt(9, cont));
  TestLinks.SetField("lb_iX", IntStr(ix));
  TestLinks.SetField("lb_iY", IntStr(iy));
  TestLinks.HandOverCurI(X, I, cont, ix, iy);
}

void TTabFITS::btFIT2EdNormClick(TSender) {
  PLOTTER_INIT(false);
  ShowPictTools();
}

void TTabFITS::btFIT2_EdNormClick(TSender) { PLOTTER_INIT(true); }

void TTabFITS::btFIT2EdClick(TSender) {
  int32_t ix = 0, iy = 0;
  std::string sel;
  if (!GetProfileSel(ix, iy, sel)) return;
  if (!CurLFITS) {
    WARNAbs("Нужно загрузить список LFITS!"_cp);
    return;
  }
  if (busy()) return;
  const std::string mode = Trim(cbRI1_9->Text());
  const std::string norm = cbNormPix->Text().substr(0, 1);
  std::unique_ptr<TStringList> t;
  if (norm == "n")
    t = mode == "9" ? CurLFITS->GetFIT9Norm_SL(ix, iy + 1, sel) : CurLFITS->GetFITNorm_SL(ix, iy, sel);
  else if (norm == "p")
    t = mode == "9" ? CurLFITS->GetFIT9_SL(ix, iy + 1, sel) : CurLFITS->GetFIT_SL(ix, iy, sel);
  if (!t) t = std::make_unique<TStringList>();
  ShowInEditor("FIT" + mode + norm + " " + IntStr(ix) + " " + IntStr(iy) + " " + sel, *t);
}

void TTabFITS::cbArrPlotNNChange(TSender) {
  int32_t code = 0;
  int32_t n = ValIntCode(Trim(cbArrPlotNN->Text()), code);
  if (code != 0 || n <= 0) n = 1;
  if (!PLOTTER || !PrepPictPlotter()) return;
  PLOTTER->SelArrPlot();
  if (TArrPlot* a = PLOTTER->ArrPlot()) a->SetTiles(n, n, 1);
}

void TTabFITS::btCheck12LambClick(TSender) {
  int32_t ix = 0, iy = 0;
  std::string sel;
  if (!GetProfileSel(ix, iy, sel) || !CurLFITS || busy()) return;
  TFITS* f = CurLFITS->FITSByIndex(ix);
  if (!f) return;
  if (!f->Bit(2) && !f->LoadData()) return;
  f->CalcL5_1_2();
  WARNAbs("6301 I=" + ShortSt(6, f->MeanLC1) + " 6302 I=" + ShortSt(6, f->MeanLC2));
}

void TTabFITS::edFITSiXChange(TSender) {
  if (cbAutoProf->Checked() && CurLFITS) PLOTTER_INIT(true);
}

void TTabFITS::udFITSiXClick(TSender E) {
  // The up-down buttons step the two edits.
  if (E.Sender == udFITSiX) edFITSiX->SetText(IntStr(udFITSiX->Position()));
  if (E.Sender == udFITSiY) edFITSiY->SetText(IntStr(udFITSiY->Position()));
}

// ============================================================ map names and sources

void TTabFITS::FillFOFiltList() {
  const std::string s = YMRow >= 0 && YMRow < ngFITS_YM->RowCount()
                            ? ngFITS_YM->CellAt(Col(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText()
                            : std::string();
  if (s.empty()) return;
  std::string da, ti;
  sessions::SplitDaTi(s, da, ti);
  ngFO_Filt->ClearRows();
  const std::string file = sessions::SessionMapFile(Root(), s, rbME->Checked() ? 2 : 1);
  if (!platform::IsRegularFile(file)) return;
  std::vector<TMapExt> dir;
  if (!ReadMapDir(file, dir, nullptr, true) || dir.empty()) return;
  ngFO_Filt->AddRows(static_cast<int>(dir.size()));
  for (size_t i = 0; i < dir.size(); ++i) {
    ngFO_Filt->CellAt(1, static_cast<int>(i))->SetAsText(dir[i].Name);
    ngFO_Filt->CellAt(0, static_cast<int>(i))->SetAsBoolean(true);
  }
}

void TTabFITS::ShowCalcState() {
  const std::vector<bool> marks = fitsruns::CaseMarks(CurSession, rbCV->Checked());
  const std::vector<std::string>& cases = fitsruns::RunCases();
  auto todo = [&](const char* C) {
    for (size_t i = 0; i < cases.size(); ++i)
      if (cases[i] == C) return !marks[i];
    return true;
  };
  btLdxx->setVisible(todo("1Ldxx"));
  btAnyCalc_CV->setVisible(todo("KVI"));
  ed_rC90->setVisible(todo("KVI"));
  btLW->setVisible(todo("3_LW(b,r)"));
  bt_DFull->setVisible(todo("4_DFull"));
  bt_HCalc->setVisible(todo("5_D,H"));
  btCalcIVCOG->setVisible(todo("7_IV"));
  btCalcIVCOG2->setVisible(todo("8_IV"));
  btCalcFilt->setVisible(todo("9_Filt"));
  const std::vector<std::string> items = fitsruns::MarkedItems(marks);
  int first = -1;
  for (int i = 0; i < cbFITSrunCase->ItemCount(); ++i) {
    std::string it = cbFITSrunCase->Item(i);
    if (!it.empty() && it.back() == '*') it.pop_back();
    for (size_t k = 0; k < cases.size(); ++k)
      if (cases[k] == it) it = items[k];
    cbFITSrunCase->setItemText(i, QString::fromStdString(it));
    if (first < 0 && it.find('*') == std::string::npos) first = i;
  }
  cbFITSrunCase->SetItemIndex(first);
  if (first < 0) cbFITSrunCase->SetText("");
}

void TTabFITS::FillFiltSets() {
  const std::string prefix = rbME->Checked() ? "FiltME" : "FiltCV";
  cb_FiltSet->ClearItems();
  cb_FiltSet->AddItem("Any");
  if (TTunes* t = FITSTunes())
    if (auto names = t->SubNames(prefix))
      for (int i = 0; i < names->Count(); ++i) cb_FiltSet->AddItem((*names)[i]);
}

void TTabFITS::ShowSessionMap() {
  const std::string s = CurSessionName();
  if (s.empty()) return;
  std::string da, ti;
  sessions::SplitDaTi(s, da, ti);
  const std::string name = Trim(cb_OpY->Text());
  if (cb_AddSeans->Checked()) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int r = 0; r < ngFITS_DT->RowCount(); ++r)
      rows.emplace_back(ngFITS_DT->CellAt(1, r)->GetAsText(), ngFITS_DT->CellAt(2, r)->GetAsText());
    char c = 0;
    bool isNew = false;
    if (!sessions::SourceCharOfSession(rows, s, c, isNew)) return;
    if (isNew) AddSourceRow(s, c);
  }
  // The maps are registered here; the map window and the map list show them with their tab work.
  TLFIOut& reg = LFIOReg();
  if (!name.empty() && reg.LoadOwnOrME(da, ti, name)) return;
  if (!name.empty() && Scans().CalcFO(name, da, ti)) return;
  if (!reg.LoadOwnOrME(da, ti, "CONT")) reg.LoadOwnOrME(da, ti, "Original_Continuum_Intensity");
}

void TTabFITS::AddSourceRow(const std::string& Session, char C) {
  const int r = ngFITS_DT->RowCount();
  ngFITS_DT->AddRows(1);
  ngFITS_DT->CellAt(0, r)->SetAsBoolean(true);
  ngFITS_DT->CellAt(1, r)->SetAsText(Session);
  ngFITS_DT->CellAt(2, r)->SetAsText(std::string(1, C));
}

void TTabFITS::rbCVClick(TSender) {
  if (rbCV->hasFocus()) FillFiltSets();
}
void TTabFITS::rbMEClick(TSender) {
  if (rbME->hasFocus()) FillFiltSets();
}
void TTabFITS::bt_FITS_curClick(TSender) { FillFiltSets(); }
void TTabFITS::bt_FITS_tunesClick(TSender) {
  if (TTunes* t = FITSTunes()) t->TestPrint();
}

void TTabFITS::ed_NCutChange(TSender) {
  int32_t code = 0;
  const int32_t n = ValIntCode(Trim(ed_NCut->Text()), code);
  if (code == 0 && (n == 320 || n == 512)) Scans().NCut = n;
}

// ============================================================ headers

int32_t TTabFITS::YMColKind() {
  if (YMCol < 0 || YMCol >= ngFITS_YM->Columns().ColumnCount()) return 1;
  const std::string n = ngFITS_YM->Columns().Column(YMCol)->Name;
  return n == "GxFITS_M2" ? 3 : n == "GxFITS_ME" ? 2 : 1;
}

std::vector<std::string> TTabFITS::HeaderReport() {
  auto slit = [&](const std::string& Name) -> std::vector<std::string> {
    if (Name.empty()) {
      WARNAbs("Список сырых FITS ещё не заполнен!"_cp);
      return {};
    }
    int32_t code = 0;
    const int32_t ix = ValIntCode(NoBlanks(edFITSiX->Text()), code);
    const std::string folder = sessions::SessionFolder(Root(), Name);
    std::vector<std::string> files;
    for (const std::string& e : sessions::ListSorted(folder))
      if (e.size() > 5 && e.compare(e.size() - 5, 5, ".fits") == 0) files.push_back(e);
    if (files.empty()) {
      WARNAbs("Список сырых FITS ещё не заполнен!"_cp);
      return {};
    }
    const size_t k = code == 0 && ix >= 0 && static_cast<size_t>(ix) < files.size() ? ix : 0;
    return sessions::HeaderText(sessions::Join(folder, files[k]), 0);
  };
  if (LastClickGrid == "ngFITS") {
    const std::string p = CurLFITS ? CurLFITS->Path_Name : std::string();
    return slit(p.size() >= 15 ? p.substr(p.size() - 15) : std::string());
  }
  if (!LastClickGrid.empty() && LastClickGrid != "ngFITS_YM") {
    WARNAbs("LastFocus=<" + LastClickGrid + ">");
    return {};
  }
  const std::string name = CurSessionName();
  if (name.empty()) {
    WARNAbs("Не удалось получить дату/время из текущ.позиции в таблице сеансов!"_cp);
    return {};
  }
  const bool dati = YMCol >= 0 && YMCol < ngFITS_YM->Columns().ColumnCount() &&
                    ngFITS_YM->Columns().Column(YMCol)->Name == "GxFITS_DaTi";
  if (!dati) {
    const std::string f = sessions::SessionMapFile(Root(), name, YMColKind());
    auto t = sessions::HeaderText(f, 0);
    if (t.empty())
      WARNAbs("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + f + ">" + kCrLf + "не существует!"_cp);
    return t;
  }
  if (!PrevClickGrid.empty() && PrevClickGrid != "ngFITS" && PrevClickGrid != "ngFITS_YM") {
    WARNAbs("PrevFocus=<" + PrevClickGrid + ">");
    return {};
  }
  return slit(name);
}

void TTabFITS::btHdRepClick(TSender) {
  const std::vector<std::string> r = HeaderReport();
  if (!r.empty()) ShowInEditor("Header", r);
}

void TTabFITS::pmYM_HdReturnClick(TSender) {
  if (!EdAssigned(Ed) || !Ed->Memo) return;
  sessions::HeaderReturn(Ed->Memo->Lines(), cbBakFile->Checked());
}

void TTabFITS::btSesMECV_structClick(TSender) {
  const std::string s = CurSessionName();
  if (s.empty()) return;
  std::vector<TMapExt> dir;
  const std::string file = sessions::SessionMapFile(Root(), s, rbME->Checked() ? 2 : 1);
  if (!platform::IsRegularFile(file) || !ReadMapDir(file, dir, nullptr, true)) {
    WARNAbs("Список карт в фильтре отсутствует!"_cp);
    return;
  }
  TStringList l;
  l.Add("Name b0_hd b0_data L_hd L_data");
  for (const TMapExt& e : dir)
    l.Add(e.Name + " " + I64Str(e.nb0) + " " + I64Str(e.nbData0) + " " + IntStr(e.nbHd) + " " +
          I64Str(e.nbData));
  LineTabStrings(&l, 1);
  l.Insert(0, s);
  ShowInEditor("FITS_test", l);
}

void TTabFITS::btServClick(TSender) {
  const std::string s = CurSessionName();
  if (s.empty()) return;
  FOSession = s;
  TStringList h;
  if (!sessions::ReadHeaderCards(sessions::SessionMapFile(Root(), s, 1), 0, h)) {
    WARNAbs("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + sessions::SessionMapFile(Root(), s, 1) +
            ">" + kCrLf + "не существует!"_cp);
    return;
  }
  int iEnd = -1;
  for (int i = 0; i < h.Count(); ++i)
    if (h[i].rfind("END", 0) == 0) {
      iEnd = i;
      break;
    }
  for (const char* k : {"HLNMA_IX", "HLNMA_IY", "HLSMA_IX", "HLSMA_IY", "VLRMA_IX", "VLRMA_IY",
                        "VLBMA_IX", "VLBMA_IY", "CMTMA_IX", "CMTMA_IY", "CMTMI_IX", "CMTMI_IY"})
    HeaderDelKey(&h, k);
  WARNAbs("iEND=" + IntStr(iEnd));
  WARNAbsSL(&h);
}

void TTabFITS::btFITSRepHeadersClick(TSender) {
  if (busy()) return;
  const std::string s = CurSessionName();
  if (s.empty()) return;
  LinkLFITS(sessions::SessionFolder(Root(), s));
  TLFITS* scan = CurLFITS.get();
  auto rep = std::make_shared<TStringList>();
  Jobs.Start(
      std::make_shared<TJob>("Rep Headers"),
      [scan, rep](TJob& J) {
        if (!scan->Bit(1) && !scan->LoadHeaders(J)) return;
        auto same = HeaderSameReport(*scan);
        auto diff = HeaderDiffReport(*scan);
        auto main = HeaderMainReport(*scan);
        auto has = [&](const std::string& L) {
          for (int i = 0; i < rep->Count(); ++i)
            if ((*rep)[i] == L) return true;
          return false;
        };
        if (same) rep->AddStrings(*same);
        rep->Add("");
        for (int i = 0; diff && i < diff->Count(); ++i)
          if (!has((*diff)[i])) rep->Add((*diff)[i]);
        rep->Add("");
        for (int i = 0; main && i < main->Count(); ++i)
          if (!has((*main)[i])) rep->Add((*main)[i]);
      },
      [this, scan, rep](TJob& J) {
        if (scan == CurLFITS.get()) ShowScanInfo();
        if (J.State() == TJobState::Done && !J.Cancelled())
          ShowInEditor("FITS Headers(Eqw+Diff)", *rep);
      });
}
