// The Test tab's ACE bench ("Тест ACE" and the Texts tab's "ACE" on the editor table), the
// "Solar Edge" group over the limb fit (plotting/cvLimb.h) and the editor table panel's regroup.
#include <cmath>
#include <memory>

#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FormCells.h"
#include "mainwindow/PictPlotter.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/TestLinks.h"
#include "plotting/cvPLOT.h"
#include "scans/cvAce.h"
#include "scans/cvCircleFit.h"

namespace {

// The number of an edit; otherwise the warning with the edit's text and false.
bool FieldInt(const platform::TEdit* E, int32_t& V) {
  if (formcells::ReadInt(E->Text(), V)) return true;
  WARNAbs("Поле "_cp + E->objectName().toStdString() + ": не целое число <"_cp + E->Text() + ">");
  return false;
}

bool FieldReal(const platform::TEdit* E, double& V) {
  if (formcells::ReadReal(E->Text(), V) && std::isfinite(V)) return true;
  WARNAbs("Поле "_cp + E->objectName().toStdString() + ": не число <"_cp + E->Text() + ">");
  return false;
}

}  // namespace

void TTabTest::RegisterToolHandlers(platform::THandlerRegistry& H) {
  CV_HANDLER(H, btTestACEClick);
  CV_HANDLER(H, btCircLdClick);
  CV_HANDLER(H, btCircFit0Click);
  CV_HANDLER(H, btStepClick);
  CV_HANDLER(H, btLoopClick);
  CV_HANDLER(H, btTestArcPointsClick);
  CV_HANDLER(H, btFindCircleCenterClick);
  CV_HANDLER(H, btEdSliceClick);
}

void TTabTest::InstallToolLinks() {
  testlinks::Hooks().AceOnEdTable.Install([this] { AceOnEdTable(); });
  Limb.Memo = [this](const std::string& L) {
    if (memoGSparam) memoGSparam->AddLine(L);
  };
}

void TTabTest::ResetToolLinks() { testlinks::Hooks().AceOnEdTable.Reset(); }

// ---------------------------------------------------------------- ACE

void TTabTest::btTestACEClick(TSender) {
  int32_t n = 0;
  if (!FieldInt(edACE, n) || !EdAssigned(Ed)) return;
  TStringList L;
  AceTestTable(n, L);
  Ed->EdLoadSL("", &L);
}

void TTabTest::AceOnEdTable() {
  if (!EdAssigned(Ed) || !Ed->Memo) return;
  TTabEd& T = Shell.EdTab();
  TAceTableRun Run;
  if (!FieldInt(T.edACE_N, Run.W)) return;
  Run.Psi = T.cbACEx->Checked();
  Run.Indices = T.cbACEi->Checked();
  auto text = std::make_shared<TStringList>();
  for (const std::string& l : Ed->Memo->Lines()) text->Add(l);
  auto out = std::make_shared<TStringList>();
  auto ok = std::make_shared<bool>(false);
  Jobs.Start(
      std::make_shared<TJob>("ACE"),
      [text, out, ok, Run](TJob& J) { *ok = AceOnTable(*text, Run, *out, &J); },
      [out, ok](TJob& J) {
        // a failed or cancelled run leaves the editor's text as it was
        if (*ok && J.State() == TJobState::Done && EdAssigned(Ed)) Ed->EdLoadSL("", out.get());
      });
}

// ---------------------------------------------------------------- Solar Edge

TLimbEdits TTabTest::LimbEditsFromForm() const {
  TLimbEdits E;
  E.Radius = ed_Radius->Text();
  E.Eps = ed_LMEpsilon->Text();
  E.XC = ed_XC->Text();
  E.YC = ed_YC->Text();
  E.Kx = ed_kx->Text();
  E.KFactor = edkFactor->Text();
  E.SigXY = edSigXY->Text();
  E.SigR = edSigR->Text();
  E.LamLM = edLamLM->Text();
  return E;
}

void TTabTest::LimbEditsToForm(const TLimbEdits& E) {
  ed_Radius->SetText(E.Radius);
  ed_XC->SetText(E.XC);
  ed_YC->SetText(E.YC);
  ed_kx->SetText(E.Kx);
  edLamLM->SetText(E.LamLM);
}

void TTabTest::BindLimbPlotter() { Limb.Plotter = PrepPictPlotter() ? PLOTTER : nullptr; }

void TTabTest::btCircLdClick(TSender) {
  Limb.Edits = LimbEditsFromForm();
  if (Limb.LimbFromHeader()) LimbEditsToForm(Limb.Edits);
}

void TTabTest::btCircFit0Click(TSender) {
  if (!EdAssigned(Ed)) return;
  TARe X, Y;
  if (!Ed->EdTabStatXY(X, Y)) return;
  Limb.Edits = LimbEditsFromForm();
  BindLimbPlotter();
  Limb.LimbFitStart(X, Y);
}

void TTabTest::btStepClick(TSender) {
  Limb.Edits = LimbEditsFromForm();
  BindLimbPlotter();
  Limb.CircFitStep();
  LimbEditsToForm(Limb.Edits);
}

void TTabTest::btLoopClick(TSender) {
  Limb.Edits = LimbEditsFromForm();
  // The loop works on a copy; the window's module takes its state back when the job has ended
  // (a cancel keeps the last accepted circle).
  auto copy = std::make_shared<TLimbFit>(Limb);
  copy->Memo = nullptr;
  copy->PreparePicture = nullptr;
  copy->Plotter = nullptr;
  Jobs.Start(
      std::make_shared<TJob>("LM_Loop"), [copy](TJob& J) { copy->CircFitLoop(J); },
      [this, copy](TJob& J) {
        if (J.State() != TJobState::Done && !J.Cancelled()) return;
        auto memo = Limb.Memo;
        Limb = *copy;
        Limb.Memo = memo;
        BindLimbPlotter();
        Limb.LoopDone();
        LimbEditsToForm(Limb.Edits);
      });
}

void TTabTest::btTestArcPointsClick(TSender) {
  if (!EdAssigned(Ed)) return;
  double xc = 0, yc = 0, r = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0, noise = 0;
  int32_t n = 0;
  if (!FieldReal(ed_XC, xc) || !FieldReal(ed_YC, yc) || !FieldReal(ed_Radius, r) ||
      !FieldReal(edRectX1, x1) || !FieldReal(edRectX2, x2) || !FieldReal(edRectY1, y1) ||
      !FieldReal(edRectY2, y2) || !FieldInt(edN_LM, n) || !FieldReal(edRNoise, noise))
    return;
  TCirclePts P;
  MakeArcPoints(P, TCirclePt{xc, yc}, n, r, x1, x2, y1, y2, noise, [] { return RandUniform(); });
  if (P.empty()) return;
  TPointsArray A;
  A.reserve(P.size());
  for (const TCirclePt& p : P) A.push_back(TRePoint{p.X, p.Y});
  std::unique_ptr<TStringList> L = PointsToSL(A, 2);
  // aligned, so that the editor finds the two columns for "Find" and "DrawCirc"
  LineTabStrings(L.get(), 1);
  Ed->EdAppendSL("Test_Arc_Points ", L.get());
}

void TTabTest::btFindCircleCenterClick(TSender) {
  if (!EdAssigned(Ed)) return;
  TARe X, Y;
  if (!Ed->EdTabStatXY(X, Y)) return;
  double k = 0, r = 0;
  if (!FieldReal(ed_kx, k) || !FieldReal(ed_Radius, r)) return;
  if (k <= 0) {
    WARNAbs("Поле ed_kx: множитель должен быть больше 0 <"_cp + ed_kx->Text() + ">");
    return;
  }
  Limb.X = X;
  Limb.Y = Y;
  if (Limb.X.size() < Limb.Y.size()) Limb.X.resize(Limb.Y.size(), 0.0);
  Limb.LimbScaleXY(std::sqrt(k));
  Limb.LimbPointsFromXY();
  TCirclePt c;
  double err = 0;
  if (!CircleFromPoints(Limb.P, c, err, r)) return;
  ed_XC->SetText(FDecSt(3, c.X));
  ed_YC->SetText(FDecSt(3, c.Y));
  edErrC->SetText(ShortSt(6, err));
}

// ---------------------------------------------------------------- the editor table panel

void TTabTest::btEdSliceClick(TSender) {
  int32_t k = 0;
  if (!formcells::ReadInt(Shell.EdTab().edCol2->Text(), k) || k == 0 || !EdAssigned(Ed)) return;
  Ed->TabRegroup(k);
}
