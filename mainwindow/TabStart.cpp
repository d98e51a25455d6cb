#include "mainwindow/TabStart.h"

#include "mainwindow/Corvesta.h"
#include "mainwindow/TabProj.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <filesystem>

#include "foundation/cvJob.h"
#include "platform/FileErr.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "app/cvEd.h"
#include "linedata/cvAtLevels.h"
#include "linedata/cvCleanups.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurDamping.h"
#include "linedata/cvKurImport.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvUpkeep.h"
#include "foundation/cvTab.h"
#include "mainwindow/StartUtils.h"
#include "platform/Clipboard.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "linedata/cvLineImport.h"
#include "linedata/cvLDServices.h"
#include "app/AppLinks.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "app/cvApp.h"
#include "foundation/cvStrList.h"
#include "mainwindow/PictPlotter.h"
#include "models/variator/cvVariContext.h"
#include "plotting/cvPLOT.h"

void TTabStart::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  RegisterFITSHandlers(H);
  CV_HANDLER(H, btAutoSaveClick);
  CV_HANDLER(H, btAutoLoadClick);
  CV_HANDLER(H, btLoadKurLinesClick);
  CV_HANDLER(H, Button8Click);
  CV_HANDLER(H, btClearKurLinesClick);
  CV_HANDLER(H, btCalcD0KurLinesClick);
  CV_HANDLER(H, btLoadKurucz_g46NClick);
  CV_HANDLER(H, btRepLLIDAClick);
  CV_HANDLER(H, btClearLLIDAClick);
  CV_HANDLER(H, edFormSizeApplyClick);
  CV_HANDLER(H, edCORASizeApplyClick);
  CV_HANDLER(H, EdExcelDecPointChange);
  CV_HANDLER(H, btSave4Click);
  CV_HANDLER(H, btLoad4Click);
  CV_HANDLER(H, btCurrentTestClick);
  CV_HANDLER(H, cbAtlasKindChange);
  CV_HANDLER(H, cbCTetaChange);
  CV_HANDLER(H, cbObsCaseChange);
  CV_HANDLER(H, cbAtlasLamsChange);
  CV_HANDLER(H, edAtlasLineChange);
  CV_HANDLER(H, btCancelWdLClick);
  CV_HANDLER(H, btLoadUNClick);
  CV_HANDLER(H, btPrintSpectrClick);
  CV_HANDLER(H, btDelHFSClick);
  CV_HANDLER(H, btDelDummyClick);
  CV_HANDLER(H, btDelHeavyClick);
  CV_HANDLER(H, btDelDubleClick);
  CV_HANDLER(H, btLoadObsVornClick);
  CV_HANDLER(H, btLoadVALDClick);
  CV_HANDLER(H, btZeeStructClick);
  CV_HANDLER(H, btLoadAtLevelsClick);
  RegisterUpkeepHandlers(H);
}

TTabStart::~TTabStart() { LineData().LambFields = {}; }

namespace {
// The sheet's rows move into a scrolling page, so that the window keeps its smallest height.
void ScrollRows(QWidget* Sheet) {
  QLayout* old = Sheet ? Sheet->layout() : nullptr;
  if (!old) return;
  auto* page = new QWidget;
  page->setObjectName(Sheet->objectName() + "Rows");
  auto* rows = new QVBoxLayout;
  rows->setContentsMargins(old->contentsMargins());
  rows->setSpacing(old->spacing());
  while (QLayoutItem* it = old->takeAt(0)) rows->addItem(it);
  page->setLayout(rows);  // takes the rows' widgets
  delete old;
  auto* scroll = new QScrollArea;
  scroll->setObjectName(Sheet->objectName() + "Scroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(page);
  auto* lay = new QVBoxLayout(Sheet);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(scroll);
}
}  // namespace

void TTabStart::BuildForm(QWidget* F, platform::TFormRegistry& R) {
  TFormTab::BuildForm(F, R);
  ScrollRows(Sheet());
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

void TTabStart::btLoadKurucz_g46NClick(TSender) {
  auto job = std::make_shared<TJob>("Load Kurucz g4,g6,gNat");
  auto result = std::make_shared<TKurDampingResult>();
  const std::string folder = KuruczDir();
  Shell.StartDBJob(
      job, [result, folder](TJob& J, TDM& D) { LoadKuruczDamping(J, D, folder, *result); },
      [result](TJob& J) {
        if (J.State() == TJobState::Done)
          ldlinks::Progress("Kurucz g4,g6,gNat: "_cp + IntStr(result->Found) + " из "_cp +
                   IntStr(result->Records) + " линий"_cp);
      });
}

// ---- the solar-atlas group ----

TAtlasForm TTabStart::AtlasFormFromControls() const {
  TAtlasForm f;
  f.Kind = cbAtlasKind->Text();
  f.Line = edAtlasLine->Text();
  f.Lams = cbAtlasLams->Text();
  f.LamsItems = cbAtlasLams->Items();
  f.FNamTpl = edFNamTpl->Text();
  f.ColLam = edColLam->Text();
  f.ColRI = edColRI->Text();
  f.ColCorrect = edColCorrect->Text();
  f.DLam = edDLam->Text();
  f.CTeta = cbCTeta->Text();
  f.CTetaItems = cbCTeta->Items();
  f.Path = edAtlasPath->Text();
  f.Quest = edObsLoadQUEST->Text();
  f.NSkip = edAtlasNSkip->Text();
  f.WmDLam = edWmDLam->Text();
  f.WpDLam = edWpDLam->Text();
  f.ObsCase = cbObsCase->Text();
  f.ObsCaseVisible = !cbObsCase->isHidden();
  f.ObsCaseName = edObsCaseName->Text();
  f.NjuStep = edNjuStep->Text();
  f.LambdaNju = cbLambdaNju->Text();
  f.KLamNjuIndex = cbKLamNju->ItemIndex();
  f.KLamNju = edKLamNju->Text();
  f.UsenAir = cbUsenAir->Checked();
  return f;
}

void TTabStart::AtlasFormToControls(const TAtlasForm& F) {
  auto setEdit = [](platform::TEdit* E, const std::string& T) {
    if (E->Text() != T) E->SetText(T);
  };
  edAtlasLine->blockSignals(true);
  setEdit(edAtlasLine, F.Line);
  edAtlasLine->blockSignals(false);
  if (cbAtlasLams->Items() != F.LamsItems) {
    const std::string t = cbAtlasLams->Text();
    cbAtlasLams->ClearItems();
    for (const std::string& i : F.LamsItems) cbAtlasLams->AddItem(i);
    cbAtlasLams->SetText(t);
  }
  if (cbAtlasLams->Text() != F.Lams) cbAtlasLams->SetText(F.Lams);
  setEdit(edFNamTpl, F.FNamTpl);
  setEdit(edColLam, F.ColLam);
  setEdit(edColRI, F.ColRI);
  setEdit(edColCorrect, F.ColCorrect);
  setEdit(edDLam, F.DLam);
  if (cbCTeta->Items() != F.CTetaItems) {
    cbCTeta->ClearItems();
    for (const std::string& i : F.CTetaItems) cbCTeta->AddItem(i);
  }
  if (cbCTeta->Text() != F.CTeta) cbCTeta->SetText(F.CTeta);
  setEdit(edAtlasPath, F.Path);
  setEdit(edObsLoadQUEST, F.Quest);
  setEdit(edAtlasNSkip, F.NSkip);
  setEdit(edWmDLam, F.WmDLam);
  setEdit(edWpDLam, F.WpDLam);
  cbObsCase->setVisible(F.ObsCaseVisible);
  setEdit(edObsCaseName, F.ObsCaseName);
  setEdit(edNjuStep, F.NjuStep);
  cbLambdaNju->SetText(F.LambdaNju);
  cbKLamNju->SetItemIndex(F.KLamNjuIndex);
  setEdit(edKLamNju, F.KLamNju);
  cbUsenAir->SetChecked(F.UsenAir);
}

void TTabStart::Show() {
  UpkeepShow(!shown_);
  if (!shown_) {
    shown_ = true;
    TAtlasForm f = AtlasFormFromControls();
    AtlasKindChange(f);
    AtlasFormToControls(f);
  }
  if (!TrimCtl(edAtlasLine->Text()).empty())
    edAtlasLineChange({});
  else
    cbAtlasLamsChange({});
}

void TTabStart::cbAtlasKindChange(TSender) {
  TAtlasForm f = AtlasFormFromControls();
  AtlasKindChange(f);
  AtlasFormToControls(f);
}

void TTabStart::cbCTetaChange(TSender) {
  TAtlasForm f = AtlasFormFromControls();
  AtlasCTetaChange(f);
  AtlasFormToControls(f);
}

void TTabStart::cbObsCaseChange(TSender) {
  TAtlasForm f = AtlasFormFromControls();
  AtlasObsCaseChange(f);
  AtlasFormToControls(f);
}

void TTabStart::cbAtlasLamsChange(TSender) {
  TAtlasForm f = AtlasFormFromControls();
  AtlasLamsChange(f);
  AtlasFormToControls(f);
}

void TTabStart::edAtlasLineChange(TSender) {
  const std::string id = TrimCtl(edAtlasLine->Text());
  if (id.empty() || !DM || !DM->Connected()) return;
  TcvTable& lines = DM->ADOLines_;
  lines.Close();
  lines.Open();
  if (!lines.Locate("LIN6", TextValue(id))) return;
  TAtlasForm f = AtlasFormFromControls();
  EnsureAtlasVariator(f.Quest, AtlasLoadStep);
  double lam = 0;
  if (!AtlasLoadLine(id, lam)) return;
  AtlasSetSpotCaseByLam(f, lam);
  AtlasFormToControls(f);
}

void TTabStart::btCancelWdLClick(TSender) {
  edWmDLam->SetText("0");
  edWpDLam->SetText("0");
}

namespace {
void FocusAtlasField(TTabStart& T, const std::string& Name) {
  if (Name.empty()) return;
  if (QWidget* w = T.Sheet()->findChild<QWidget*>(QString::fromStdString(Name))) w->setFocus();
}
}  // namespace

void TTabStart::btLoadUNClick(TSender) {
  ++AtlasLoadStep;
  TAtlasForm f = AtlasFormFromControls();
  auto plan = std::make_shared<TAtlasPlan>();
  if (!AtlasPrepare(f, App->sRoot, *plan)) {
    FocusAtlasField(*this, f.Focus);
    return;
  }
  AtlasFormToControls(f);
  auto data = std::make_shared<TAtlasData>();
  auto job = std::make_shared<TJob>("Атлас "_cp + plan->Line);
  const int32_t step = AtlasLoadStep;
  const std::string quest = f.Quest;
  Jobs.Start(
      job,
      [plan, data](TJob& J) {
        if (!AtlasRead(&J, *plan, *data) && !J.Cancelled()) J.Fail("Атлас не загружен"_cp);
      },
      [plan, data, step, quest](TJob& J) {
        if (J.State() != TJobState::Done || !LUNNO) return;
        std::vector<std::unique_ptr<TUNNO>> made = AtlasMake(*plan, *data, step, quest);
        TUNNO* last = nullptr;
        for (auto& u : made) last = LUNNO->Add(std::move(u));
        ldlinks::Progress("Атлас: профилей "_cp + IntStr(static_cast<int32_t>(made.size())) + " (" +
                 plan->Line + ")");
        if (!plan->AllCos && last && PrepPictPlotter()) {
          TARe x, y;
          last->GetFullLam(x);
          last->CopyUParFull("RI", y);
          PLOTTER->NewGraph(x, y, 1, 1, "-.K", plan->Line, "LAMB", "RI", "A", "");
          PLOTTER->PlayOnce();
        }
      });
}

void TTabStart::btPrintSpectrClick(TSender) {
  TAtlasForm f = AtlasFormFromControls();
  auto plan = std::make_shared<TAtlasPlan>();
  if (!AtlasCheckFields(f, App->sRoot, AtlasLoadLine, *plan)) {
    FocusAtlasField(*this, f.Focus);
    return;
  }
  auto lines = std::make_shared<std::vector<std::string>>();
  auto job = std::make_shared<TJob>("AtlasFragment");
  Jobs.Start(
      job, [plan, lines](TJob& J) { AtlasDump(&J, *plan, *lines); },
      [lines](TJob& J) {
        if (J.State() != TJobState::Done || !EdAssigned(Ed)) return;
        TStringList sl;
        for (const std::string& l : *lines) sl.Add(l);
        Ed->EdLoadSL("AtlasFragment", &sl);
      });
}

void TTabStart::btRepLLIDAClick(TSender) {
  TStringList sl;
  if (LLIDA)
    for (int32_t i = 0; i < LLIDA->Count(); ++i) sl.Add((*LLIDA)[i]->sRepLLIDA());
  if (EdAssigned(Ed)) Ed->EdLoadSL("LLIDA Report", &sl);
}

void TTabStart::btClearLLIDAClick(TSender) {
  if (LLIDA) LLIDA->ClearAll();
  Cont().sLIN.clear();
  Cont().sLINFull.clear();
}

// ---- utilities ----

void TTabStart::edFormSizeApplyClick(TSender) {
  const int32_t w = ValInt(edFormW->Text()), h = ValInt(edFormH->Text());
  if (FPict) FPict->SetOuterSize(w, h);
}

void TTabStart::edCORASizeApplyClick(TSender) {
  const int32_t w = ValInt(edCORAW->Text()), h = ValInt(edCORAH->Text());
  if (!FPict) return;
  int32_t ow = 0, oh = 0, cw = 0, ch = 0;
  FPict->OuterSize(ow, oh);
  FPict->ClientSize(cw, ch);
  FPict->SetOuterSize(ow + w - cw, oh + h - ch);
}

void TTabStart::EdExcelDecPointChange(TSender) {
  const std::string t = EdExcelDecPoint->Text();
  if (!t.empty()) ExcelDecPoint = t[0];
}

namespace {
// The controls of the four groups in clipboard order.
std::array<std::vector<QWidget*>, 4> FITSGroupControls(TTabStart& T) {
  return {{{T.cbFITS1, T.cbFITSop1, T.cbFITS2, T.edFITSop1},
           {T.cbFITS5, T.cbFITSop3, T.cbFITS6, T.edFITSop3, T.cbFITSop13},
           {T.cbFITS3, T.cbFITSop2, T.cbFITS4, T.edFITSop2},
           {T.cbFITS7, T.cbFITSop4, T.cbFITS8, T.edFITSop4, T.cbFITSop24}}};
}
std::string ControlText(QWidget* W) {
  if (auto* c = dynamic_cast<platform::TComboBox*>(W)) return c->Text();
  if (auto* e = dynamic_cast<platform::TEdit*>(W)) return e->Text();
  return std::string();
}
void SetControlText(QWidget* W, const std::string& T) {
  if (auto* c = dynamic_cast<platform::TComboBox*>(W)) c->SetText(T);
  if (auto* e = dynamic_cast<platform::TEdit*>(W)) e->SetText(T);
}
}  // namespace

void TTabStart::btSave4Click(TSender) {
  startutils::TFITSGroups g;
  const auto controls = FITSGroupControls(*this);
  for (size_t i = 0; i < 4; ++i)
    for (QWidget* w : controls[i]) g[i].push_back(ControlText(w));
  platform::SetClipboardText(startutils::FITSGroupsText(g));
}

void TTabStart::btLoad4Click(TSender) {
  startutils::TFITSGroups g;
  std::string error;
  if (!startutils::FITSGroupsFromText(platform::ClipboardText(), g, error)) {
    WARNAbs(error);
    return;
  }
  const auto controls = FITSGroupControls(*this);
  for (size_t i = 0; i < 4; ++i)
    for (size_t k = 0; k < controls[i].size() && k < g[i].size(); ++k)
      SetControlText(controls[i][k], g[i][k]);
}

void TTabStart::btCurrentTestClick(TSender) {
  const std::string w = edCurKurNam->Text();
  TestRandomGauss(ValInt(WordN(w, 1)), ValInt(WordN(w, 3)), ValReal(edKurStr100->Text()),
                  ValReal(WordN(w, 2)));
}
