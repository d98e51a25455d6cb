#include "mainwindow/TabCOPI.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "platform/qt/FormControls.h"
#include "synthesis/pictures/cvCoPi.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

TTunes* Pict() { return App ? App->TunPict.get() : nullptr; }

int Col(TFormCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? G->Columns().IndexOf(c) : -1;
}

std::string CellText(TFormCvGrid* G, int C, int R) {
  TCell* c = C >= 0 ? G->Cell(C, R) : nullptr;
  return c ? c->GetAsText() : std::string();
}

void SetCell(TFormCvGrid* G, int C, int R, const std::string& T) {
  if (C >= 0) G->CellAt(C, R)->SetAsText(T);
}

bool Focused(const QWidget* W) { return W && QApplication::focusWidget() == W; }

// A text key sets its edit only when it holds a value.
void FromKey(TTunes* T, const char* Key, platform::TEdit* E) {
  const std::string v = T->Get(Key);
  if (!TrimSp(v).empty()) E->SetText(v);
}

}  // namespace

void TTabCOPI::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, ngVARICORAAfterEdit);
  CV_HANDLER(H, ngVARICORAExit);
  CV_HANDLER(H, ngVARICORACellClick);
  CV_HANDLER(H, ngStoParAfterEdit);
  CV_HANDLER(H, ngStoParCellClick);
  CV_HANDLER(H, ngStoParExit);
  CV_HANDLER(H, cbParGChChange);
  CV_HANDLER(H, btCOPI_LEnter);
  CV_HANDLER(H, btCOPI_LClick);
  CV_HANDLER(H, btCOPI_MadeClick);
  CV_HANDLER(H, lbColorBkClick);
  CV_HANDLER(H, btCTRL_LoadClick);
  CV_HANDLER(H, btLUNNOReportClick);
  CV_HANDLER(H, btLUNNOListClick);
  CV_HANDLER(H, btLUNNOListVariClick);
  CV_HANDLER(H, btLUNNOReport2Click);
  CV_HANDLER(H, btLUNNORepVornClick);
  CV_HANDLER(H, edScreen_PChange);
  CV_HANDLER(H, edScreen_MChange);
  CV_HANDLER(H, edScreenInchChange);
  CV_HANDLER(H, edView_OXChange);
  CV_HANDLER(H, edView_OYChange);
  CV_HANDLER(H, edView_MXChange);
  CV_HANDLER(H, edView_MYChange);
  CV_HANDLER(H, sbView_OClick);
  CV_HANDLER(H, sbView_MClick);
}

// ---------------------------------------------------------------- colours

void TTabCOPI::SetLabelColor(QWidget* L, uint32_t C) {
  if (!L) return;
  L->setProperty("cvColor", QVariant::fromValue<uint>(C));
  platform::SetControlColor(L, C);
}

uint32_t TTabCOPI::LabelColor(const QWidget* L) {
  if (!L) return 0;
  const QVariant v = L->property("cvColor");
  if (v.isValid()) return v.toUInt();
  const QColor c = L->palette().color(QPalette::Window);
  return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

void TTabCOPI::lbColorBkClick(TSender E) {
  auto* L = qobject_cast<QWidget*>(E.Sender);
  if (!L) return;
  Shell.ColorDialog->Color = LabelColor(L);
  if (Shell.ColorDialog->Execute()) SetLabelColor(L, Shell.ColorDialog->Color);
}

// ---------------------------------------------------------------- showing

TVARIATOR* TTabCOPI::CurVari() const {
  TVariContext& ctx = VariCtx();
  if (!App || !ctx.LVARI) return ctx.VARI;
  if (ctx.VARI && ctx.VARI->QUEST == App->sQuest) return ctx.VARI;
  TVARIATOR* v = ctx.LVARI->GetQuestVARI(App->sQuest);
  return v ? v : ctx.VARI;
}

void TTabCOPI::TabCOPIShow() {
  FillScreenSize();
  FillViewSize();
  // the directory controls and the file buttons (the quest and its step stay as they are)
  Shell.TabControlsSetDirs();
  Shell.UpDateButtons();
  const std::string quest = App ? App->sQuest : std::string();
  const int32_t step = App ? App->iStep : 0;
  lbProjName_2->SetCaption(App ? App->sProject : std::string());
  lbQuestName_2->SetCaption(quest);
  lbQuestStep_2->SetCaption(IntStr(step));
  const int32_t nUnno = LUNNO ? LUNNO->CountQuest(quest, step) : 0;
  TVARIATOR* V = CurVari();
  const int32_t nVari = V ? V->GetML() : 0;
  lbNUnno->SetCaption("NUnno = " + IntStr(nUnno));
  lbMVari->SetCaption("NVari = " + IntStr(nVari));
  if (FillVARIPage) FillVARIPage();
  FillCoPiGrids();
  LoadCoPiTunes();
}

void TTabCOPI::FillScreenSize() {
  const QScreen* S = QGuiApplication::primaryScreen();
  if (!S) return;
  edScreen_PX->SetText(IntStr(S->size().width()));
  edScreen_PY->SetText(IntStr(S->size().height()));
}

QWidget* TTabCOPI::ViewImage() const {
  const std::string& name = Shell.ViewImageName;
  QWidget* W = name == "ImageDialog" ? Shell.Registry.As<QWidget>("ImageDialog") : nullptr;
  return W ? W : Shell.Registry.As<QWidget>("ImageCORA");
}

void TTabCOPI::FillViewSize() {
  if (filling_) return;
  filling_ = true;
  struct TGuard {
    bool& F;
    ~TGuard() { F = false; }
  } guard{filling_};
  const QWidget* img = ViewImage();
  TViewCalib C;
  C.ScreenMX = edScreen_MX->Text();
  C.ScreenMY = edScreen_MY->Text();
  C.ScreenPX = edScreen_PX->Text();
  C.ScreenPY = edScreen_PY->Text();
  C.ViewOX = edView_OX->Text();
  C.ViewOY = edView_OY->Text();
  C.ViewMX = edView_MX->Text();
  C.ViewMY = edView_MY->Text();
  C.MXActive = Focused(edView_MX);
  C.MYActive = Focused(edView_MY);
  C.W = img ? img->width() : 0;
  C.H = img ? img->height() : 0;
  const TViewCalibDone D = CalcViewSize(C);
  if (D.OXReset) edView_OX->SetText("100");
  if (D.OYReset) edView_OY->SetText("100");
  if (!D.Error.empty()) {
    WARNAbs(D.Error);
    return;
  }
  edView_PX->SetText(D.PX);
  edView_PY->SetText(D.PY);
  if (!C.MXActive) edView_MX->SetText(D.MX);
  if (!C.MYActive) edView_MY->SetText(D.MY);
  if (!Focused(edView_OX)) edView_OX->SetText(D.OX);
  if (!Focused(edView_OY)) edView_OY->SetText(D.OY);
}

void TTabCOPI::edScreen_PChange(TSender) {
  if (Focused(edScreen_PX) || Focused(edScreen_PY)) FillViewSize();
}

void TTabCOPI::edScreen_MChange(TSender) {
  if (!Focused(edScreen_MX) && !Focused(edScreen_MY)) return;
  std::string inch, err;
  if (!ScreenInchOf(edScreen_MX->Text(), edScreen_MY->Text(), inch, err)) {
    WARNAbs(err);
    return;
  }
  edScreenInch->SetText(inch);
  FillViewSize();
}

void TTabCOPI::edScreenInchChange(TSender) {
  if (!Focused(edScreenInch)) return;
  std::string mx, my, err;
  if (!ScreenMMOf(edScreen_PX->Text(), edScreen_PY->Text(), edScreenInch->Text(), mx, my, err)) {
    WARNAbs(err);
    return;
  }
  edScreen_MX->SetText(mx);
  edScreen_MY->SetText(my);
  FillViewSize();
}

void TTabCOPI::edView_OXChange(TSender) {
  if (Focused(edView_OX)) FillViewSize();
}
void TTabCOPI::edView_OYChange(TSender) {
  if (Focused(edView_OY)) FillViewSize();
}
void TTabCOPI::edView_MXChange(TSender) {
  if (Focused(edView_MX)) FillViewSize();
}
void TTabCOPI::edView_MYChange(TSender) {
  if (Focused(edView_MY)) FillViewSize();
}
void TTabCOPI::sbView_OClick(TSender) { FillViewSize(); }
void TTabCOPI::sbView_MClick(TSender) { FillViewSize(); }

// ---------------------------------------------------------------- the grids

void TTabCOPI::FillCoPiGrids() {
  const int par = Col(ngStoPar, "GxParam");
  while (ngStoPar->RowCount() <= 7) {
    const int r = ngStoPar->RowCount();
    ngStoPar->AddRows(1);
    SetCell(ngStoPar, par, r, r == 0 ? "RI" : "");
  }
  ngVARICORA->ClearRows();
  TVARIATOR* V = CurVari();
  if (!V) return;
  const int ck = Col(ngVARICORA, "gxVariKey"), cl = Col(ngVARICORA, "gxVariLidx"),
            cn = Col(ngVARICORA, "gxVariN"), cg = Col(ngVARICORA, "gxVariGCh");
  const int32_t ml = V->GetML();
  for (int32_t L = 1; L <= ml; ++L)
    for (int32_t J = 1; J <= V->Count(); ++J) {
      const TVariRec* R = V->Rec(J);
      if (!R || R->LIdx != L) continue;
      const int r = ngVARICORA->RowCount();
      ngVARICORA->AddRows(1);
      SetCell(ngVARICORA, ck, r, R->Key);
      SetCell(ngVARICORA, cl, r, IntStr(L));
      SetCell(ngVARICORA, cn, r, IntStr(R->NVals()));
      const char g = R->GCh;
      SetCell(ngVARICORA, cg, r, g == 'C' || g == 'T' || g == 'X' || g == 'Y' ? std::string(1, g) : " ");
    }
}

void TTabCOPI::CoPiAxisCounts() {
  for (platform::TEdit* E : {edCOPInC_P, edCOPInT_P, edCOPInX_P, edCOPInY_P}) E->SetText("1");
  int32_t nx = 1, ny = 1;
  auto put = [&](char A, int32_t N) {
    switch (A) {
      case 'C': edCOPInC_P->SetText(IntStr(N)); break;
      case 'T': edCOPInT_P->SetText(IntStr(N)); break;
      case 'X': nx = N; break;
      case 'Y': ny = N; break;
      default: break;
    }
  };
  TVARIATOR* V = CurVari();
  const int ck = Col(ngVARICORA, "gxVariKey"), cn = Col(ngVARICORA, "gxVariN"),
            cg = Col(ngVARICORA, "gxVariGCh");
  for (int r = 0; r < ngVARICORA->RowCount(); ++r) {
    const std::string g = CellText(ngVARICORA, cg, r);
    const char a = g.empty() ? ' ' : g[0];
    if (a == ' ') continue;
    if (V)
      if (TVariRec* R = V->FindRec(CellText(ngVARICORA, ck, r))) R->GCh = a;
    put(a, ValIntOr0(CellText(ngVARICORA, cn, r)));
  }
  const std::string np = lbNPar->Caption();
  const std::string ax = cbParGCh->Text();
  put(ax.empty() ? ' ' : ax[0], ValIntOr0(np.size() > 2 ? np.substr(2) : "1"));
  edCOPInX_P->SetText(IntStr(nx));
  edCOPInY_P->SetText(IntStr(ny));
  edCORA_NX->SetText(IntStr(nx));
  edCORA_NY->SetText(IntStr(ny));
  lbCORA_NN->SetCaption(IntStr(nx * ny) + " =");
}

void TTabCOPI::StoParToTunes() {
  const int par = Col(ngStoPar, "GxParam");
  int32_t n = 0;
  TTunes* T = Pict();
  for (int r = 0; r < ngStoPar->RowCount(); ++r) {
    const std::string v = TrimSp(CellText(ngStoPar, par, r));
    if (v.empty()) continue;
    if (T) T->Set("StoPar" + IntStr(n), v);
    ++n;
  }
  if (T)
    for (int32_t i = n; i < ngStoPar->RowCount(); ++i)
      if (!T->Get("StoPar" + IntStr(i)).empty()) T->Clear("StoPar" + IntStr(i));
  lbNPar->SetCaption("N=" + IntStr(n));
}

void TTabCOPI::ngVARICORAAfterEdit(TSender) { CoPiAxisCounts(); }
void TTabCOPI::ngVARICORAExit(TSender) { CoPiAxisCounts(); }
void TTabCOPI::ngVARICORACellClick(TSender) { CoPiAxisCounts(); }
void TTabCOPI::ngStoParAfterEdit(TSender) { StoParToTunes(); }
void TTabCOPI::ngStoParCellClick(TSender) { StoParToTunes(); }
void TTabCOPI::ngStoParExit(TSender) { StoParToTunes(); }
void TTabCOPI::cbParGChChange(TSender) { CoPiAxisCounts(); }

void TTabCOPI::btCOPI_LEnter(TSender) {
  CoPiAxisCounts();
  StoParToTunes();
}

void TTabCOPI::btCOPI_LClick(TSender) {
  edCOPInC->SetText(edCOPInC_P->Text());
  edCOPInT->SetText(edCOPInT_P->Text());
  edCOPInX->SetText(edCOPInX_P->Text());
  edCOPInY->SetText(edCOPInY_P->Text());
}

// ---------------------------------------------------------------- settings

void TTabCOPI::LoadCoPiTunes() {
  TTunes* T = Pict();
  if (!T) return;
  FromKey(T, "Inch", edScreenInch);
  FromKey(T, "D_Lamb", edCORAdLMax);
  FromKey(T, "dI", edCORAdI);
  const std::string ch = T->Get("ChGr");
  if (!ch.empty() && (ch[0] == 'M' || ch[0] == 'O' || ch[0] == 'P')) {
    sbView_M->SetDown(ch[0] == 'M');
    sbView_P->SetDown(ch[0] == 'P');
    sbView_O->SetDown(ch[0] == 'O');
  }
  FromKey(T, "MagrX", edCORAgapX);
  FromKey(T, "MagrY", edCORAgapY);
  FromKey(T, "tileX", edCORAtileX);
  FromKey(T, "tileY", edCORAtileY);
  FromKey(T, "dT", edCOPIdT);
  FromKey(T, "Blur", edCOPIBlur);
  LoadPictColors();
  const int par = Col(ngStoPar, "GxParam");
  std::vector<std::string> vals;
  for (int i = 0; i < ngStoPar->RowCount(); ++i) {
    const std::string v = TrimSp(T->Get("StoPar" + IntStr(i)));
    if (!v.empty()) vals.push_back(v);
  }
  if (vals.empty()) return;
  for (int r = 0; r < ngStoPar->RowCount(); ++r)
    SetCell(ngStoPar, par, r, r < static_cast<int>(vals.size()) ? vals[static_cast<size_t>(r)] : "");
  lbNPar->SetCaption("N=" + IntStr(static_cast<int32_t>(vals.size())));
}

void TTabCOPI::SaveCoPiTunes() {
  TTunes* T = Pict();
  if (!T) return;
  T->Set("Inch", edScreenInch->Text());
  T->Set("D_Lamb", edCORAdLMax->Text());
  T->Set("dI", edCORAdI->Text());
  T->Set("kBI", edCORAkBI->Text());
  T->Set("ChGr", sbView_M->Down() ? "M" : sbView_P->Down() ? "P" : "O");
  T->Set("MagrX", edCORAgapX->Text());
  T->Set("MagrY", edCORAgapY->Text());
  T->Set("tileX", edCORAtileX->Text());
  T->Set("tileY", edCORAtileY->Text());
  T->Set("OX", edView_OX->Text());
  T->Set("OY", edView_OY->Text());
  T->Set("dT", edCOPIdT->Text());
  T->Set("Blur", edCOPIBlur->Text());
  T->Set("clBk", IntStr(static_cast<int32_t>(LabelColor(lbColorBk))));
  T->Set("clNet", IntStr(static_cast<int32_t>(LabelColor(lbColorNet))));
  T->Set("clMain", IntStr(static_cast<int32_t>(LabelColor(lbColorMain))));
  const int par = Col(ngStoPar, "GxParam");
  for (int r = 0; r < ngStoPar->RowCount(); ++r) {
    const std::string v = TrimSp(CellText(ngStoPar, par, r));
    const std::string k = "StoPar" + IntStr(r);
    if (!v.empty()) T->Set(k, v);
    else if (!T->Get(k).empty()) T->Clear(k);
  }
}

void TTabCOPI::LoadPictColors() {
  TTunes* T = Pict();
  if (!T) return;
  const struct {
    const char* Key;
    QWidget* L;
  } keys[] = {{"clBk", lbColorBk}, {"clNet", lbColorNet}, {"clMain", lbColorMain}};
  for (const auto& k : keys) {
    int32_t code = 0;
    const std::string v = TrimSp(T->Get(k.Key));
    const int32_t c = v.empty() ? 0 : ValIntCode(v, code);
    if (!v.empty() && code == 0) SetLabelColor(k.L, static_cast<uint32_t>(c));
  }
}

// ---------------------------------------------------------------- the description

std::unique_ptr<TStringList> TTabCOPI::MadePict() {
  if (!LUNNO) return nullptr;
  TCoPiSpec S;
  const std::string np = lbNPar->Caption();
  if (np.size() < 3) {
    S.NPar = 1;
  } else {
    int32_t code = 0;
    S.NPar = ValIntCode(TrimSp(np.substr(2)), code);
    if (code != 0 || TrimSp(np.substr(2)).empty()) {
      lbNPar->SetCaption("N=?");
      ngStoPar->setFocus();
      return nullptr;
    }
  }
  platform::TEdit* fields[] = {edCOPInX,   edCOPInY,    edCOPInC,    edCOPInT,    edCOPIdT,
                               edView_MX,  edView_MY,   edCORAgapX,  edCORAgapY,  edCORAtileX,
                               edCORAtileY, edCORAdLMax, edCOPIBlur, edCORAdI};
  std::vector<std::string> texts;
  for (platform::TEdit* E : fields) texts.push_back(E->Text());
  const int32_t bad = CoPiReadFields(texts, S);
  if (bad >= 0) {
    platform::TEdit* E = fields[bad];
    if (bad < 4) {
      int32_t code = 0;
      ValIntCode(TrimSp(E->Text()), code);
      // a count below 1: the frame count divides by the counts' product
      if (code == 0 && !TrimSp(E->Text()).empty()) {
        WARNAbs(CoPiCountMessage(bad));
        E->setFocus();
        return nullptr;
      }
    }
    E->SetText(bad >= 5 && bad <= 10 ? "0" : "");
    E->setFocus();
    return nullptr;
  }
  if (S.DI == 0) {
    WARNAbs("Размах графика по шкале инт-тей не должен быть нулевым!"_cp);
    edCORAdI->setFocus();
    return nullptr;
  }
  S.Scale = sbView_O->Down() ? 'O' : sbView_M->Down() ? 'M' : sbView_P->Down() ? 'P' : 'O';
  const int ck = Col(ngVARICORA, "gxVariKey"), cg = Col(ngVARICORA, "gxVariGCh");
  for (int r = 0; r < ngVARICORA->RowCount(); ++r) {
    const std::string g = CellText(ngVARICORA, cg, r);
    S.Rows.push_back({CellText(ngVARICORA, ck, r), g.empty() ? ' ' : g[0]});
  }
  const int par = Col(ngStoPar, "GxParam");
  for (int r = 0; r < ngStoPar->RowCount(); ++r) S.StoPar.push_back(CellText(ngStoPar, par, r));
  const std::string ax = cbParGCh->Text();
  S.StokesAxis = ax.empty() ? ' ' : ax[0];
  S.ColBk = LabelColor(lbColorBk);
  S.ColNet = LabelColor(lbColorNet);
  S.ColMain = LabelColor(lbColorMain);
  S.Quest = App ? App->sQuest : std::string();
  S.IQ = App ? App->iStep : 0;
  S.NUnno = LUNNO->CountQuest(S.Quest, S.IQ);
  TVARIATOR* V = CurVari();
  if (!V) {
    WARNAbs("Список VARI не создан"_cp);
    return nullptr;
  }
  auto L = ::MadePict(S, *V);
  SaveCoPiTunes();
  return L;
}

void TTabCOPI::btCOPI_MadeClick(TSender) {
  auto* pic = Shell.Registry.As<platform::TBitBtn>("btRACHPIC");
  const std::string name = pic ? TrimSp(pic->Hint()) : std::string();
  if (!name.empty() && !ForceFileDir(name))
    ModFatal("Невозможно создать директорию для файла с описание картинки"_cp + "\r\n" + name);
  auto L = MadePict();
  if (!L) return;
  if (name.empty()) {
    WARNAbs("Для кнопки btRACHPIC не задано имя файла, в который можно войти!"_cp);
    return;
  }
  WriteDescFile(*L, name);
}

// ---------------------------------------------------------------- loads and listings

void TTabCOPI::CurVARILoad() {
  if (!App) return;
  TVariContext& ctx = VariCtx();
  WARNAbs("=================CurVARILoad====================");
  std::string F = FindNoCase(App->sProjDir, "ONE/" + App->QuestStepName() + ".DAT");
  if (!platform::IsRegularFile(F)) F = FindNoCase(App->sProjDir, "ONE/" + App->sQuest + ".DAT");
  if (!ctx.LVARI) return;
  ctx.LVARI->LoadFromFile(App->sQuest, F, false);
  TVARIATOR* last = ctx.LVARI->GetQuestVARI(App->sQuest);
  if (last) {
    ctx.LVARI->Append(last->Clone());
    ctx.VARI = ctx.LVARI->GetQuestVARI(App->sQuest);
  }
  WARNAbs("CurVARILoad VARI загружается с помощью Clone - правильно ли это?"_cp);
}

void TTabCOPI::btCTRL_LoadClick(TSender) {
  CurVARILoad();
  TabCOPIShow();
}

bool TTabCOPI::VariFilled() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) {
    WARNAbs("Список VARI не создан"_cp);
    return false;
  }
  if (V->Count() <= 1) {
    WARNAbs("Список VARI не заполнен"_cp);
    return false;
  }
  return true;
}

namespace {
void ToEditor(const std::string& Title, std::unique_ptr<TStringList> L) {
  if (L && EdAssigned(Ed)) Ed->EdLoadSL(Title, L.get());
}
std::string Quest() { return App ? App->sQuest : std::string(); }
int32_t Step() { return App ? App->iStep : 0; }

// The trace mask of the (CONT, OTL) option file for a report's time.
struct TReportMask {
  TReportMask() {
    StackIO.push(TraceMask);
    RDOTIO(cvDirList("CONT", "OTL"), TraceMask);
  }
  ~TReportMask() { TraceMask = StackIO.pop(); }
};
}  // namespace

void TTabCOPI::btLUNNOReportClick(TSender) {
  if (!LUNNO || !VariFilled()) return;
  ToEditor("LUNNO.ReportQuest " + Quest(), LUNNO->ReportQuest(Quest(), Step()));
}

void TTabCOPI::btLUNNOListClick(TSender) {
  if (LUNNO) ToEditor("LUNNO.List " + Quest(), LUNNO->List());
}

void TTabCOPI::btLUNNOListVariClick(TSender) {
  if (LUNNO) ToEditor("LUNNO.ListVari " + Quest(), LUNNO->ReportListVary());
}

void TTabCOPI::btLUNNOReport2Click(TSender) {
  if (!LUNNO || !VariFilled()) return;
  TReportMask mask;
  ToEditor("LUNNO.ReportQuest4Tesk " + Quest(), LUNNO->ReportQuest4Tesk(Quest(), Step()));
}

void TTabCOPI::btLUNNORepVornClick(TSender) {
  if (!LUNNO || !VariFilled()) return;
  TReportMask mask;
  ToEditor("LUNNO.ReportVorn " + Quest(), LUNNO->ReportVorn(Quest()));
}
