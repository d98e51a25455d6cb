// The Test tab's Voigt tables, unit calculator and small benches: the handlers read the fields,
// run the tables as jobs (synthesis/transfer/cvVoigtTestTab.h, the Humlicek error table, the
// disk rings) and show the results; the conversions are foundation/cvUnitCalc.h's.
#include <QApplication>
#include <QBoxLayout>
#include <cmath>
#include <memory>

#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvGLib.h"
#include "app/cvTimeSup.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvUnitCalc.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "mainwindow/Corvesta.h"
#include "models/vectors/cvCalcContext.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabTest.h"
#include "plotting/cvGRAD.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtTestTab.h"

namespace {

// An empty field is no number either.
bool IntOf(const platform::TEdit* E, int32_t& V) {
  const std::string t = TrimBlanks(E->Text());
  int32_t code = 0;
  V = ValIntCode(t, code);
  return code == 0 && !t.empty();
}

bool RealOf(const platform::TEdit* E, double& V) {
  const std::string t = TrimBlanks(E->Text());
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && !t.empty();
}

// A field that is no number: its own text as the warning.
bool RealOrSay(const platform::TEdit* E, double& V) {
  if (RealOf(E, V)) return true;
  WARNAbs(E->Text());
  return false;
}

bool IntOrSay(const platform::TEdit* E, int32_t& V) {
  if (IntOf(E, V)) return true;
  WARNAbs(E->Text());
  return false;
}

// The edit the user types in (the form's active control).
bool HasFocus(const QWidget* W) { return W && QApplication::focusWidget() == W; }

void Put(platform::TEdit* E, const std::string& T) {
  if (E->Text() != T) E->SetText(T);
}

}  // namespace

void TTabTest::RegisterBenchHandlers(platform::THandlerRegistry& H) {
  CV_HANDLER(H, btVoigClick);
  CV_HANDLER(H, btGVoigClick);
  CV_HANDLER(H, btGaussClick);
  CV_HANDLER(H, btTestSplineClick);
  CV_HANDLER(H, edEV_CalcChange);
  CV_HANDLER(H, edSM_1_CalcChange);
  CV_HANDLER(H, edT_CalcChange);
  CV_HANDLER(H, edTETA_CalcChange);
  CV_HANDLER(H, eddTChange);
  CV_HANDLER(H, eddTETAChange);
  CV_HANDLER(H, edDLHChange);
  CV_HANDLER(H, edXChange);
  CV_HANDLER(H, edFIChange);
  CV_HANDLER(H, edTestEFStChange);
  CV_HANDLER(H, btLineRectSectClick);
  CV_HANDLER(H, edDateTimeInChange);
  CV_HANDLER(H, btRINGClick);
  CV_HANDLER(H, Button9Click);
}

// ---------------------------------------------------------------- Voigt tables

void TTabTest::btVoigClick(TSender) {
  int32_t n = 0;
  double vmax = 0, dld = 0, a = 0;
  if (!IntOrSay(edTestNumber, n) || !RealOrSay(edVoigXMax, vmax) || !RealOrSay(edVoigB, dld) ||
      !RealOrSay(edVoigA, a))
    return;
  if (TrimSp(cbVoigKind->Text()).empty()) {
    WARNAbs("Поле \"Сорт VOIG\" не заполнено!"_cp);
    return;
  }
  if (!VoigtTestCountOk(n, 2)) return;
  const bool sym = cbVoigSym->Checked();
  auto table = std::make_shared<TVoigtTestTable>();
  auto job = std::make_shared<TJob>("ТЕСТ ФУНКЦИЙ"_cp);
  Jobs.Start(
      job,
      // the window's Voigt method, in a context of the job's own
      [=, ctx = CalcCtx()](TJob& J) mutable {
        TCalcScope scope(ctx);
        if (!VoigtTestTab(n, vmax, dld, a, sym, *table, &J) && !J.Cancelled())
          J.Fail("ТЕСТ ФУНКЦИЙ: N="_cp + IntStr(n));
      },
      [this, table](TJob& J) {
        if (J.State() != TJobState::Done) return;
        DrawVoigtTest(*table);
        if (EdAssigned(Ed)) Ed->EnterSL("ТЕСТ ФУНКЦИЙ"_cp, &table->List);
      });
}

void TTabTest::DrawVoigtTest(const TVoigtTestTable& T) {
  auto* img = Shell.Registry.As<platform::TImage>("ImageCORA");
  // a grid of no width (Vmax 0, or below 0 for the half grid) has no picture
  if (!img || !(T.VMax > T.X0)) return;
  TGRAF& G = EnsureGRAF();
  G.INIGCanvas(&img->Canvas(), G.SizeInInches);
  G.VIPOPC(0, 100, 0, 100);
  G.WINDOW(T.X0, T.VMax, -0.1, 1.1);
  G.SetBkColor(0xFFFFFF);
  G.ClearG();
  const TARe one(T.V.size(), 1.0);
  auto curve = [&](uint32_t Color, const TARe& Y) {
    G.SetGColor(Color);
    G.CURVStyled(&T.V, &Y, 0, '.', 0);
  };
  curve(0xFF0000, T.G);
  curve(0x0000FF, T.L);
  curve(0x0000FF, T.HIG);
  curve(0x000000, T.H);
  curve(0x000000, one);
  G.ENDG();
  img->update();
}

void TTabTest::btGVoigClick(TSender) {
  auto* img = Shell.Registry.As<QWidget>("ImageCORA");
  if (!img) return;
  auto place = [img](QWidget* Host) {
    if (!Host || img->parentWidget() == Host) return;
    img->setParent(Host);
    if (auto* B = qobject_cast<QBoxLayout*>(Host->layout()))
      B->addWidget(img, 1);
    else if (Host->layout())
      Host->layout()->addWidget(img);
    img->show();
  };
  if (btGVoig->Down()) {
    voigImageHome_ = img->parentWidget();
    place(Shell.FITSTab().Sheet());
  } else {
    place(voigImageHome_);
    voigImageHome_ = nullptr;
  }
}

void TTabTest::btGaussClick(TSender) {
  int32_t n = 0;
  double b = 0, vmax = 0;
  if (!IntOrSay(edTestNumber, n) || !RealOrSay(edVoigB, b) || !RealOrSay(edVoigXMax, vmax))
    return;
  auto sl = GaussArrayTab(n, b, vmax);
  if (sl && EdAssigned(Ed)) Ed->EdLoadSL("GaussArray", sl.get());
}

void TTabTest::btTestSplineClick(TSender) {
  double k = 0, vmax = 0, a = 0, dld = 0;
  int32_t n = 0;
  if (!RealOf(edACE, k) || !RealOf(edVoigXMax, vmax) || !RealOf(edVoigA, a) ||
      !RealOf(edVoigB, dld) || !IntOf(edTestNumber, n))
    return;
  auto list = std::make_shared<std::unique_ptr<TStringList>>();
  auto job = std::make_shared<TJob>("Тест IpolByGauss"_cp);
  Jobs.Start(
      job,
      [=, ctx = CalcCtx()](TJob&) mutable {
        // the spline tables made ready (a question before building them); the method it makes
        // current stays in the job's context
        TCalcScope scope(ctx);
        VoigtSplineInit();
        *list = VoigtHumlicekErrTab(n, a, k, vmax);
      },
      [list](TJob& J) {
        if (J.State() == TJobState::Done && *list && EdAssigned(Ed))
          Ed->EnterSL("Тест IpolByGauss"_cp, list->get());
      });
}

// ---------------------------------------------------------------- calculator

void TTabTest::edEV_CalcChange(TSender) {
  std::string t;
  if (HasFocus(edEV_Calc) && CalcEVToCm(edEV_Calc->Text(), t)) Put(edSM_1_Calc, t);
}

void TTabTest::edSM_1_CalcChange(TSender) {
  std::string t;
  if (HasFocus(edSM_1_Calc) && CalcCmToEV(edSM_1_Calc->Text(), t)) Put(edEV_Calc, t);
}

void TTabTest::edT_CalcChange(TSender) {
  std::string t;
  if (HasFocus(edT_Calc) && CalcTToTheta(edT_Calc->Text(), t)) Put(edTETA_Calc, t);
}

void TTabTest::edTETA_CalcChange(TSender) {
  std::string t;
  if (HasFocus(edTETA_Calc) && CalcThetaToT(edTETA_Calc->Text(), t)) Put(edT_Calc, t);
}

void TTabTest::eddTChange(TSender) {
  std::string t;
  if (HasFocus(eddT) && CalcDTToDTheta(edT_Calc->Text(), eddT->Text(), t)) Put(eddTETA, t);
}

void TTabTest::eddTETAChange(TSender) {
  std::string t;
  if (HasFocus(eddTETA) && CalcDThetaToDT(edTETA_Calc->Text(), eddTETA->Text(), t)) Put(eddT, t);
}

void TTabTest::edDLHChange(TSender E) {
  // only the field typed in acts: the partners written here do not start it again
  auto* typed = qobject_cast<QWidget*>(E.Sender);
  if (!typed || !HasFocus(typed)) return;
  TZeemanFrom from;
  if (typed == edDLH)
    from = TZeemanFrom::DLH;
  else if (typed == edDVLOS)
    from = TZeemanFrom::DVLOS;
  else if (typed == ed_H || typed == edLam || typed == ed_gEff)
    from = TZeemanFrom::Field;
  else
    return;
  TZeemanFields f{edLam->Text(), ed_gEff->Text(), edDLH->Text(), ed_H->Text(), edDVLOS->Text()};
  if (!CalcZeeman(f, from)) return;
  Put(edDLH, f.DLH);
  Put(ed_H, f.H);
  Put(edDVLOS, f.DVLOS);
}

void TTabTest::edXChange(TSender E) {
  auto* typed = qobject_cast<QWidget*>(E.Sender);
  if (!typed || !HasFocus(typed)) return;
  std::string fi, l;
  if (!CalcDiskXY(edRa->Text(), edX->Text(), edY->Text(), fi, l)) return;
  Put(edFI, fi);
  Put(edL, l);
  DiskFiLToResults();
}

void TTabTest::edFIChange(TSender E) {
  auto* typed = qobject_cast<QWidget*>(E.Sender);
  if (typed && HasFocus(typed)) DiskFiLToResults();
}

void TTabTest::DiskFiLToResults() {
  std::string vrot, mju;
  if (!CalcDiskFiL(edFI->Text(), edL->Text(), vrot, mju)) return;
  Put(edVRot, vrot);
  Put(edMju, mju);
}

// ---------------------------------------------------------------- small benches

void TTabTest::edTestEFStChange(TSender) {
  std::string r, f, e;
  if (!NumberFormatLines(edTestEFSt->Text(), edTestEFStN->Text(), edTestEFStD->Text(), r, f, e))
    return;
  lbRSt->SetCaption(r);
  lbFSt->SetCaption(f);
  lbESt->SetCaption(e);
}

void TTabTest::btLineRectSectClick(TSender) {
  int32_t v[8];
  const platform::TEdit* eds[8] = {edP1_x, edP1_y, edP2_x,  edP2_y,
                                   edR_left, edR_bot, edR_right, edR_top};
  for (int i = 0; i < 8; ++i)
    if (!IntOf(eds[i], v[i])) return;
  double x1, y1, x2, y2;
  const bool in = ClipSegment(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], x1, y1, x2, y2);
  memoGSparam->SetLines({in ? "P1=[" + ShortSt(4, x1) + "," + ShortSt(4, y1) + "] " + "P2=[" +
                                  ShortSt(4, x2) + "," + ShortSt(4, y2) + "]"
                            : "НЕ ПОПАЛИ!"_cp});
}

void TTabTest::edDateTimeInChange(TSender) {
  const std::string s = edDateTimeIn->Text();
  const size_t t = s.find('T');
  const int32_t day = sYMD102Long(t == std::string::npos ? s : s.substr(0, t));
  if (day != 0) edDateTimeOut->SetText(DateToYMDStr(day));
}

void TTabTest::btRINGClick(TSender) {
  int32_t nring = 0, nseg = 0;
  if (!IntOf(edNRing, nring)) {
    edNRing->SetText("");
    return;
  }
  if (!IntOf(edNSeg, nseg)) {
    edNSeg->SetText("");
    return;
  }
  const std::string file = cvDirList("RING", "RES");
  btRINGRES->SetHint(file);
  auto job = std::make_shared<TJob>("Do RING");
  Jobs.Start(job, [=](TJob&) {
    ForceFileDir(file);
    DiskRingsTable(nring, nseg, file);
  });
}

void TTabTest::Button9Click(TSender) {
  if (!LLIDA || !EdAssigned(Ed)) return;
  auto sl = LLIDA->GetSLDump();
  Ed->EdLoadSL("LLIDA", sl.get());
}
