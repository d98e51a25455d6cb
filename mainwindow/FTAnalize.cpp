#include "mainwindow/FTAnalize.h"

#include "app/cvApp.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvClock.h"
#include "foundation/cvJob.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/drivers/cvTAnalize.h"

TFTAnalize* FTAnalize = nullptr;

namespace {
bool Number(const std::string& Text, double& V) {
  int32_t code = 0;
  const std::string t = TrimSp(Text);
  V = ValRealCode(t, code);
  return code == 0 && !t.empty();
}
}  // namespace

TFTAnalize::TFTAnalize(QWidget* Parent) : QWidget(Parent, Qt::Tool) {
  BuildForms(this, Registry);
  Events.Guard = [](QObject* Sender, const std::function<void()>& Run) {
    if (!App) {
      Run();
      return;
    }
    const TSenderInfo I = SenderInfoOf(Sender);
    App->Guard(&I, Run);
  };
  Events.OnMissing = [](const std::string& H) { cvlink::NotAvailable(H); };
  Handlers.Add("cbQLambChange", [this](const platform::TFormEventArgs&) { cbQLambChange(); });
  Handlers.Add("btSetTCClick", [this](const platform::TFormEventArgs&) { btSetTCClick(); });
  Handlers.Add("btCALC_byTeffClick",
               [this](const platform::TFormEventArgs&) { btCALC_byTeffClick(); });
  Handlers.Add("btCALC_byCONTClick",
               [this](const platform::TFormEventArgs&) { btCALC_byCONTClick(); });
  Handlers.Add("btVEMOReturnClick",
               [this](const platform::TFormEventArgs&) { btVEMOReturnClick(); });
  Events.Bind(FormEvents());
}

TFTAnalize::~TFTAnalize() {
  if (FTAnalize == this) FTAnalize = nullptr;
}

TQtJobRunner& TFTAnalize::Jobs() {
  if (Runner) return *Runner;
  if (!Corvesta) ErrAbs("FTAnalize: нет главного окна для расчета!"_cp);
  return Corvesta->Jobs;
}

void TFTAnalize::FillQLamb() {
  const std::vector<std::string> lams = TAnalizeLams(Keeper());
  {
    const QSignalBlocker block(cbQLamb);
    // a second opening adds only the wavelengths not listed yet
    for (const std::string& l : lams) {
      bool have = false;
      for (int32_t i = 0; i < cbQLamb->ItemCount() && !have; ++i) have = cbQLamb->Item(i) == l;
      if (!have) cbQLamb->AddItem(l);
    }
    if (cbQLamb->ItemCount() > 0) cbQLamb->SetItemIndex(0);
  }
  Refresh();
}

void TFTAnalize::Refresh() {
  if (!VEMO) return;
  TVEMO& V = *VEMO;
  LModName->SetCaption(V.sMOD);
  LFMOD->SetCaption(IntStr(V.FMOD));
  edVEMOName->SetText(V.NAME);
  edVEMOTime->SetText(MsToHMSms(V.TCalc));
  edVEMOKEd->SetText(IntStr(V.KEd));
  double lam = 0;
  if (!Number(cbQLamb->Text(), lam)) return;
  double I = 0, teff = 0;
  if (!TAnalizeCont(Keeper(), V, lam, I, teff)) return;
  edCont->SetText(ESt(8, I));
  edTEff->SetText(FDecSt(3, teff));
  ed_dTETA0->SetText(TAnalizePremodShift());
}

void TFTAnalize::cbQLambChange() { Refresh(); }

void TFTAnalize::btSetTCClick() {
  edQTeff->SetText(edTEff->Text());
  edQCONT->SetText(edCont->Text());
}

void TFTAnalize::btCALC_byTeffClick() {
  double q = 0, t = 0, d0 = 0;
  if (!Number(edQTeff->Text(), q)) {
    WARNAbs("В поле \"Требуемая Teff\" введена строка, которую не удается преобразовать в число!"_cp);
    return;
  }
  if (!Number(edTEff->Text(), t)) {
    WARNAbs("Проблема Ры-8984!"_cp);
    return;
  }
  if (q == t) {
    WARNAbs("Температура подобрана!"_cp);
    return;
  }
  if (!Number(ed_dTETA0->Text(), d0)) {
    WARNAbs("Проблема Ры-8988!"_cp);
    return;
  }
  edT_dTETA->SetText(FDecSt(9, TAnalizeDTetaByTeff(q, t, d0)));
}

void TFTAnalize::btCALC_byCONTClick() {
  double q = 0, c = 0, d0 = 0, lam = 0;
  if (!Number(edQCONT->Text(), q)) {
    WARNAbs("В поле \"Требуемый уровень CONT\" введена строка, которую не удается преобразовать в число!"_cp);
    return;
  }
  if (!Number(edCont->Text(), c)) {
    WARNAbs("Проблема Ры-8985!"_cp);
    return;
  }
  if (q == c) {
    WARNAbs("Температура подобрана по CONT!"_cp);
    return;
  }
  if (!Number(ed_dTETA0->Text(), d0)) {
    WARNAbs("Проблема Ры-8989!"_cp);
    return;
  }
  if (!Number(cbQLamb->Text(), lam)) {
    WARNAbs("Проблема Ры-8986!"_cp);
    return;
  }
  edC_dTETA->SetText(FDecSt(9, TAnalizeDTetaByCont(q, c, lam, d0)));
}

void TFTAnalize::btVEMOReturnClick() {
  double d = 0;
  if (!Number(edC_dTETA->Text(), d)) {
    WARNAbs("Неправильное число <"_cp + edC_dTETA->Text() + ">!");
    edC_dTETA->setFocus();
    return;
  }
  if (!VEMO) return;
  const std::string n = VEMO->NAME;
  if (n != "T" && n != "TEMP" && n != "TETA" && n != "TETA0") {
    TAnalizeShift(*VEMO, d);  // warns, changes nothing
    return;
  }
  TVEMO* v = VEMO;
  auto job = std::make_shared<TJob>("Return " + v->NAME + " " + v->sMOD);
  Jobs().Start(
      job, [v, d](TJob& J) { TAnalizeReturn(J, *v, d); },
      [this](TJob&) {
        if (AfterReturn) AfterReturn();
        Refresh();
      });
}

bool OpenTAnalize(TVEMO* V) {
  if (!V) {
    WARNAbs("В списке векторов моделей не выбрана строка!"_cp);
    return false;
  }
  const std::string& n = V->NAME;
  if (n != "T" && n != "TETA" && n != "TETA0" && n != "TEMP") {
    WARNAbs("Выберите строку с температурным распределением!"_cp);
    return false;
  }
  if (!V->IsFilled()) {
    WARNAbs("VEMO Not Filled!!!");
    return false;
  }
  if (!FTAnalize) FTAnalize = new TFTAnalize(Corvesta);
  FTAnalize->VEMO = V;
  FTAnalize->FillQLamb();
  FTAnalize->show();
  FTAnalize->raise();
  return true;
}

bool OpenTAnalizeRow(int32_t Row, int32_t Count, TVEMO* V) {
  if (Row < 1) {
    WARNAbs("В списке векторов моделей не выбрана строка!"_cp);
    return false;
  }
  if (Row > Count) {
    WARNAbs("В списке векторов моделей выбрана несуществующая строка "_cp + IntStr(Row));
    return false;
  }
  return OpenTAnalize(V);
}
