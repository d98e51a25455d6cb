#include "mainwindow/TabCORA.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLayout>
#include <QWidget>
#include <cmath>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvInf.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TabCOPI.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "plotting/gif/cvDib.h"
#include "synthesis/pictures/cvCoPi.h"
#include "synthesis/pictures/cvPicReader.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

void Panel(const std::string& Text) {
  if (App && App->Inf) App->Inf->LogStr("UM", Text);
}

bool IntText(const std::string& S, int32_t& V) {
  int32_t code = 0;
  const std::string t = TrimSp(S);
  V = t.empty() ? 0 : ValIntCode(t, code);
  return !t.empty() && code == 0;
}

bool RealText(const std::string& S, double& V) {
  int32_t code = 0;
  const std::string t = TrimSp(S);
  V = t.empty() ? 0 : ValRealCode(t, code);
  return !t.empty() && code == 0;
}

std::string NotStarted() { return "Рисование ещё не запущено! Нажмите кнопку \"CORA\""_cp; }

}  // namespace

TTabCORA::~TTabCORA() { mainlinks::Hooks().DrawContourPlot.Reset(); }

void TTabCORA::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, ViewTimerTimer);
  CV_HANDLER(H, btCORAClick);
  CV_HANDLER(H, btCORAPrintClick);
  CV_HANDLER(H, btCORAClearClick);
  CV_HANDLER(H, btTimerClick);
  CV_HANDLER(H, btTimLClick);
  CV_HANDLER(H, btTimRClick);
  CV_HANDLER(H, btSaveGIFClick);
  CV_HANDLER(H, btCORAAddClick);
  CV_HANDLER(H, btCORAleftClick);
  CV_HANDLER(H, btCORArightClick);
  CV_HANDLER(H, ImageCORAMouseMove);
  mainlinks::Hooks().DrawContourPlot.Install([this](const std::string& F) { ReadAndDrow(F); });
}

void TTabCORA::SetViewTimer(bool On) {
  Shell.ViewTimer->SetEnabled(On);
  if (!On) stop_ = true;
}

TCORA& TTabCORA::Cora() {
  if (!CurCORA) CurCORA = std::make_unique<TCORA>();
  return *CurCORA;
}

void TTabCORA::ShowKadr() {
  if (CurCORA) lbKadr->SetCaption(CurCORA->FrameLabel());
}

void TTabCORA::PlaceImageCORA(QWidget* Host) {
  if (!Host || !ImageCORA) return;
  if (ImageCORA->parentWidget() != Host) {
    ImageCORA->setParent(Host);
    if (Host->layout()) Host->layout()->addWidget(ImageCORA);
  }
  ImageCORA->show();
}

// ---------------------------------------------------------------- showing

void TTabCORA::TabCORAShow() {
  if (auto* S = Sheet()) {
    // the picture fills the sheet below the two rows of buttons
    if (ImageCORA->parentWidget() != S) {
      ImageCORA->setParent(S);
      if (auto* L = qobject_cast<QBoxLayout*>(S->layout())) L->addWidget(ImageCORA, 1);
    }
    ImageCORA->show();
  }
  if (auto* one = Shell.Registry.As<QWidget>("cbOneCont")) {
    if (one->parentWidget() != PanelCORAOne) {
      one->setParent(PanelCORAOne);
      if (PanelCORAOne->layout()) PanelCORAOne->layout()->addWidget(one);
    }
    one->show();
  }
  Shell.ViewImageName = "ImageCORA";
  Shell.TabControlsSetDirs();
  Shell.UpDateButtons();
  std::string file = CurCORA && platform::IsRegularFile(CurCORA->FileName) ? CurCORA->FileName
                                                                           : TrimSp(btRACHPIC->Hint());
  if (!file.empty() && platform::IsRegularFile(file)) {
    TCORA& C = Cora();
    TPicReader R;
    R.Open(file, "Tab CORA Show");
    C.ReadScale(R);
    if (C.KKadr == 0) C.KKadr = 1;
    ShowKadr();
  }
  Shell.UnnoTab().CORAFillOneCont();
}

// ---------------------------------------------------------------- drawing

bool TTabCORA::DrawCurrent() {
  if (!CurCORA || !LUNNO || !ImageCORA) return true;
  // the profile list belongs to a running job: the frame waits
  if (Jobs.Busy()) return true;
  ShowKadr();
  const TFrameDone F = CurCORA->DRAWI(ImageCORA->Canvas(), *LUNNO, EnsureGRAF());
  ImageCORA->update();
  return !F.StopTimer;
}

void TTabCORA::ReadAndDrow(const std::string& FileName) {
  Shell.ViewTimer->SetEnabled(false);
  auto C = std::make_unique<TCORA>();
  C->ReadFile(FileName);
  CurCORA = std::move(C);
  if (CurCORA->Animated()) {
    Panel("CORA " + CurCORA->FrameLabel());
    ShowKadr();
    StartTimer();
  } else {
    DrawCurrent();
  }
}

bool TTabCORA::StartTimer() {
  const int32_t iv = CurCORA ? CurCORA->Interval : 0;
  const std::string why = TimerIntervalProblem(iv);
  if (!why.empty()) {
    Shell.ViewTimer->SetEnabled(false);
    WARNAbs(why);
    return false;
  }
  Shell.ViewTimer->SetInterval(iv);
  Shell.ViewTimer->SetEnabled(true);
  return true;
}

void TTabCORA::btCORAClick(TSender) {
  const std::string quest = App ? App->sQuest : std::string();
  const std::string A = cvDirListFile("RACH", "PIC", quest);
  const std::string B = cvDirListFile("RACH", "PIC", App ? App->QuestStepName() : quest);
  if (!LUNNO || LUNNO->Count() == 0) {
    WARNAbs("Ни одного профиля в программе не загружено, LUNNO.Count=0!"_cp);
    return;
  }
  const bool hasB = platform::IsRegularFile(B), hasA = platform::IsRegularFile(A);
  if (!hasA && !hasB) {
    WARNAbs("Файла с описанием картинки "_cp + "\r\n<" + B + "> или "_cp + "\r\n<" + A +
            "> ещё нет!"_cp);
    return;
  }
  TCORA& C = Cora();
  const int32_t keep = C.KKadr;
  C.ReadFile(hasB ? B : A);
  C.KKadr = keep >= 1 && keep <= C.NKadr ? keep : 1;
  DrawCurrent();
}

std::vector<TDib> TTabCORA::DrawFrames(const std::vector<int32_t>& Order, bool& Stopped) {
  std::vector<TDib> out;
  Stopped = false;
  if (!CurCORA || !LUNNO) return out;
  stop_ = false;
  drawing_ = true;
  struct TDone {
    bool& D;
    ~TDone() { D = false; }
  } done{drawing_};
  const int32_t n = static_cast<int32_t>(Order.size());
  for (int32_t i = 0; i < n; ++i) {
    CurCORA->KKadr = Order[static_cast<size_t>(i)];
    ShowKadr();
    CurCORA->DRAWI(ImageCORA->Canvas(), *LUNNO, EnsureGRAF());
    ImageCORA->update();
    out.push_back(TDib::FromBitmap(ImageCORA->Bitmap()));
    Panel("CORA кадр "_cp + IntStr(i + 1) + "/" + IntStr(n));
    // Esc between frames
    QApplication::processEvents();
    if (stop_ || !CurCORA) {
      Stopped = true;
      break;
    }
  }
  return out;
}

void TTabCORA::btCORAPrintClick(TSender) {
  const std::string A = cvDirListFile("RACH", "PIC", App ? App->sQuest : std::string());
  if (!platform::IsRegularFile(A)) {
    WARNAbs("Файла с описанием кртинки <"_cp + A + "> ещё нет!"_cp);
    return;
  }
  if (!LUNNO || drawing_) return;
  TGRAF& G = EnsureGRAF();
  const std::string bold = cbPixBold->Text();
  G.PixBold = bold.empty() ? '1' : bold[0];
  struct TBack {
    TGRAF& G;
    ~TBack() { G.PixBold = '1'; }
  } back{G};
  TCORA& C = Cora();
  C.ReadFile(A);
  std::vector<int32_t> all;
  for (int32_t k = 1; k <= C.NKadr; ++k) all.push_back(k);
  bool stopped = false;
  DrawFrames(all, stopped);
  if (stopped) Panel("CORA: рисование кадров прервано"_cp);
}

void TTabCORA::btCORAClearClick(TSender) {
  TGRAF& G = EnsureGRAF();
  G.INIGCanvas(&ImageCORA->Canvas(), G.SizeInInches);
  G.SetBkColor(TTabCOPI::LabelColor(Shell.COPITab().lbColorBk));
  G.ClearG();
  G.ENDG();
  ImageCORA->update();
}

// ---------------------------------------------------------------- animation

void TTabCORA::btTimerClick(TSender) {
  if (!CurCORA) {
    WARNAbs(NotStarted());
    return;
  }
  if (Shell.ViewTimer->Enabled()) Shell.ViewTimer->SetEnabled(false);
  else StartTimer();
}

void TTabCORA::ViewTimerTimer(TSender) {
  if (!CurCORA) {
    Shell.ViewTimer->SetEnabled(false);
    return;
  }
  if (Jobs.Busy()) return;
  CurCORA->Tick();
  if (!DrawCurrent()) Shell.ViewTimer->SetEnabled(false);
}

void TTabCORA::btTimLClick(TSender) {
  if (Shell.ViewTimer->Enabled() || !CurCORA) return;
  CurCORA->StepLeft();
  DrawCurrent();
}

void TTabCORA::btTimRClick(TSender) {
  if (Shell.ViewTimer->Enabled() || !CurCORA) return;
  CurCORA->StepRight();
  DrawCurrent();
}

// ---------------------------------------------------------------- GIF

std::string TTabCORA::GifFileName() const {
  return cvDirListFile("CORA", "GIF", App ? App->sQuest : std::string());
}

void TTabCORA::btSaveGIFClick(TSender) {
  if (!CurCORA) {
    WARNAbs(NotStarted());
    return;
  }
  const int32_t N = CurCORA->NKadr;
  if (N == 0 || drawing_) return;
  const int32_t delay = CurCORA->Interval;
  const std::string why = GifDelayProblem(delay);
  if (!why.empty()) {
    WARNAbs(why);
    return;
  }
  if (Jobs.Busy()) {
    Panel("Идёт расчёт: GIF не записан"_cp);
    return;
  }
  // the frames' plots must be there: the whole description is read when only its header is
  if (CurCORA->LKadr.empty() && platform::IsRegularFile(CurCORA->FileName)) {
    const int32_t keep = CurCORA->KKadr;
    CurCORA->ReadFile(CurCORA->FileName);
    CurCORA->KKadr = keep >= 1 ? keep : 1;
  }
  const std::string file = GifFileName();
  Shell.ViewTimer->SetEnabled(false);
  bool stopped = false;
  auto frames = std::make_shared<std::vector<TDib>>(DrawFrames(GifFrameOrder(N), stopped));
  if (CurCORA) {
    CurCORA->KKadr = 1;
    CurCORA->Dir = 1;
    DrawCurrent();
  }
  if (stopped) {
    Panel("Save GIF: прервано, файл <"_cp + file + "> не записан"_cp);
    return;
  }
  auto job = std::make_shared<TJob>("Save GIF " + file);
  Jobs.Start(
      job,
      [frames, delay, file](TJob& J) {
        if (!SaveFramesGIF(J, *frames, delay, 1000, file))
          J.Warn("Save GIF: прервано, файл <"_cp + file + "> не записан"_cp);
      },
      [file](TJob& J) {
        if (J.State() == TJobState::Done && !J.Cancelled()) Panel("GIF <" + file + ">");
      });
}

// ---------------------------------------------------------------- single profiles

void TTabCORA::PicCORAShow() {
  TTabUnno& U = Shell.UnnoTab();
  TTabCOPI& P = Shell.COPITab();
  const int32_t idx = U.CurrentProfile();
  if (!LUNNO || idx < 0 || idx >= LUNNO->Count()) return;
  if (!P.sbView_M->Down()) {
    WARNAbs("Допускается работать только с масштабом, заданным в миллиметрах"_cp);
    return;
  }
  if (P.ngStoPar->RowCount() == 0) P.FillCoPiGrids();
  const std::string quantity =
      P.ngStoPar->RowCount() > 0 ? TrimSp(P.ngStoPar->CellAt(0, 0)->GetAsText()) : "RI";
  int32_t yi = 0;
  const std::string ymax = IntText(P.edCORAdI->Text(), yi) ? IntStr(yi) : "100";
  double x0 = 0, d = 1;
  if (!RealText(edCORAx0->Text(), x0)) x0 = 0;
  if (!RealText(edCORAdiv->Text(), d) || d == 0) d = 1;
  int32_t ox = 100;
  if (!IntText(P.edView_OX->Text(), ox)) ox = 100;
  std::string X1, X2;
  if (d == 1) {
    X1 = IntStr(static_cast<int32_t>(std::trunc(x0)));
    X2 = IntStr(static_cast<int32_t>(std::trunc(ox + x0)));
  } else {
    X1 = TrimSp(FSt(6, 2, x0 / d));
    X2 = TrimSp(FSt(6, 2, ox + x0 / d));
  }
  const std::string Y1 = TrimSp(P.edView_OY->Text()), Y2 = "0";
  const std::string blur = TrimSp(U.CheckGetBlur());
  std::string xmax = TrimSp(P.edCORAdLMax->Text());
  const std::string colour = ColorHexText(TTabCOPI::LabelColor(lbColorAdd));
  if (quantity == "BI") {
    int32_t kbi = 10;
    if (!IntText(P.edCORAkBI->Text(), kbi)) {
      WARNAbs("Значение <"_cp + P.edCORAkBI->Text() + "> в поле kBI должно быть целым числом!"_cp +
              "\r\nМеняем его на \"10\""_cp);
      P.edCORAkBI->SetText("10");
      kbi = 10;
    }
    double xm = 240;
    if (!RealText(P.edCORAdLMax->Text(), xm)) {
      WARNAbs("Значение <"_cp + P.edCORAdLMax->Text() +
              "> в поле World Max должно быть действительным числом!"_cp +
              "\r\nМеняем его на \"240\""_cp);
      P.edCORAdLMax->SetText("240");
      xm = 240;
    }
    if (kbi == 0) kbi = 10;
    xmax = IntStr(static_cast<int32_t>(std::nearbyint(xm / kbi)));
  }
  TUNNO& Un = *LUNNO->Items(idx);
  TVARIATOR* V = VariCtx().LVARI ? VariCtx().LVARI->GetIQuestVARI(Un.QUEST, Un.IQ) : nullptr;
  if (V && Un.KVARI > V->NK)
    ErrAbs("ERR Corvesta.PicCORAShow("_cp + Un.QUEST + ")." + IntStr(Un.IQ) +
           " № комбинации UN.KVARI="_cp + IntStr(Un.KVARI) + " > числа комбинаций VARI.NK = "_cp +
           IntStr(V->NK) + "\r\nОбщее число параметров = "_cp + IntStr(V->Count()));
  const std::string line = "O " + Un.QUEST + " " + IntStr(Un.IQ) + " " + IntStr(Un.KVARI) + " " +
                           (quantity.empty() ? "RI" : quantity) + " " + blur + " " + X1 + " " +
                           X2 + " " + Y1 + " " + Y2 + " " + xmax + " " + ymax + " " + colour +
                           " 1" + (V ? " " + V->GetKS(Un.KVARI) : std::string());
  auto prof = TOneProf::TryParse(line);
  if (!prof) {
    TOneProf::Parse(line);
    return;
  }
  prof->VWKind = 'M';
  Panel(line);
  TCORA& C = Cora();
  TGRAF& G = EnsureGRAF();
  if (C.KKadr >= 1 && C.KKadr <= static_cast<int32_t>(C.LKadr.size())) {
    auto& frame = C.LKadr[static_cast<size_t>(C.KKadr) - 1];
    frame.push_back(std::move(prof));
    struct TTake {
      std::vector<std::unique_ptr<TOneProf>>& F;
      ~TTake() { F.pop_back(); }
    } take{frame};
    C.DrawKadr(C.KKadr, ImageCORA->Canvas(), *LUNNO, G);
  } else {
    G.INIGCanvas(&ImageCORA->Canvas(), G.SizeInInches);
    C.DrawOne(*prof, *LUNNO, G);
    G.ENDG();
  }
  ImageCORA->update();
}

void TTabCORA::btCORAAddClick(TSender) { PicCORAShow(); }

void TTabCORA::btCORAleftClick(TSender) {
  double x = 0;
  if (!RealText(edCORAx0->Text(), x)) x = 0;
  edCORAx0->SetText(ShortSt(6, x - 1));
  PicCORAShow();
}

void TTabCORA::btCORArightClick(TSender) {
  double x = 0;
  if (!RealText(edCORAx0->Text(), x)) x = 0;
  edCORAx0->SetText(ShortSt(6, x + 1));
  PicCORAShow();
}

void TTabCORA::ImageCORAMouseMove(TSender E) {
  edMouseCORAX->SetText(IntStr(E.X));
  edMouseCORAY->SetText(IntStr(E.Y));
}
