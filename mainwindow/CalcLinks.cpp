// The calculator FCalc over the program's editor, its links (ShowCalculator, CalcRegression),
// and the picture tool's calls into the main window (graph player, Graf page, statistics
// display, the film's file and the program's job runner).
#include "mainwindow/CalcLinks.h"

#include <memory>

#include "mainwindow/TabGraf.h"
#include "plotting/cvCurveOps.h"
#include "plotting/cvGrafList.h"

#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvStrList.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/TabZee.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFCalc.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

class TEdCalcEditor : public TCalcEditor {
 public:
  int32_t CurLine() override { return EdAssigned(Ed) ? Ed->Line : 0; }
  int32_t CurCol() override { return EdAssigned(Ed) ? Ed->WordNo : 0; }
  void TabBounds(int32_t Line, int32_t& First, int32_t& Last) override {
    First = Last = 0;
    if (!EdAssigned(Ed)) return;
    Ed->Line = Line;
    Ed->TabBounds(First, Last);
  }
  void SetCurLine(int32_t Line) override {
    if (EdAssigned(Ed)) Ed->Line = Line;
  }
  std::unique_ptr<TStringList> Text() override {
    auto L = std::make_unique<TStringList>();
    if (EdAssigned(Ed) && Ed->Memo)
      for (const std::string& S : Ed->Memo->Lines()) L->Add(S);
    return L;
  }
  void SetText(const TStringList& Text) override {
    if (!EdAssigned(Ed) || !Ed->Memo) return;
    std::vector<std::string> V;
    for (int i = 0; i < Text.Count(); ++i) V.push_back(Text[i]);
    int L = 0, C = 0;
    Ed->Memo->CaretPos(L, C);
    Ed->Memo->SetLines(V);
    Ed->Memo->SetCaret(L, C);
    ++Ed->Changes;
  }
  void InsertAtCurLine(const TStringList& Lines) override {
    if (EdAssigned(Ed)) Ed->SLImport(&Lines, false);
  }
  bool ColStat(TCalcStat& S) override {
    TEdColStat E;
    if (!EdAssigned(Ed) || !Ed->ColStat(E)) return false;
    S = TCalcStat();
    S.Col = E.Col;
    S.N = E.N;
    S.Min = E.Min, S.Max = E.Max, S.Mean = E.Mean;
    S.MeanAbsDiff = E.MeanAbsStep, S.MeanSqDiff = E.RmsStep;
    S.A = E.SlopeYX, S.B = E.InterYX, S.AY = E.SlopeXY, S.BY = E.InterXY;
    S.mR = E.ErrCorr, S.mA = E.ErrSlope, S.mB = E.ErrInter;
    S.MeanX = E.MeanX, S.MeanY = E.MeanY, S.RmsX = E.SigmaX, S.RmsY = E.SigmaY;
    S.Rxy = E.Corr, S.Rx2y = E.QuadCorr, S.A2 = E.QA, S.B2 = E.QB, S.C2 = E.QC;
    S.Sxx = E.VarA, S.Syy = E.VarB, S.Sxy = E.Cov;
    return true;
  }
  void ShowMemo(bool Visible) override {
    if (!EdAssigned(Ed) || !Ed->Memo) return;
    if (Visible) Ed->Memo->EndUpdate();
    else Ed->Memo->BeginUpdate();
  }
  int32_t PanelNX() override { return PanelInt("nX"); }
};

TEdCalcEditor& Editor() {
  static TEdCalcEditor E;
  return E;
}

void ShowCalc() {
  if (!FCalc) return;
  FCalc->show();
  FCalc->raise();
}

}  // namespace

void CreateCalcWindow() {
  if (FCalc) return;
  FCalc = new TFCalc();
  FCalc->Model.Ed = &Editor();
  FCalc->Model.P = PLOTTER;
  FCalc->Model.PictVisible = [] { return FPict && FPict->State().W.Visible(); };
}

void FreeCalcWindow() {
  delete FCalc;
  FCalc = nullptr;
}

void InstallCalcLinks() {
  mainlinks::THooks& H = mainlinks::Hooks();
  H.ShowCalculator.Install([] { ShowCalc(); });
  H.CalcRegression.Install([] {
    if (FCalc) FCalc->Model.btRegressClick();
  });
  TPlotServices& S = Plotting();
  S.ShowCalcStat = [](const TCalcStat& St) {
    ShowCalc();
    if (FCalc) FCalc->Model.ShowStat(6, St);
  };
  // the picture tool's "+G": the Graf tab's table plotting as the tool starts it
  S.PlayGraphic = [] {
    if (Corvesta) Corvesta->GrafTab().PlayGraphic(TPlaySource::Tool);
  };
  // the Graf tab's "Oper": the plotter's formula commands
  graf::AddModifPic() = [](TPLOTTER& P, const std::string& Command, bool ToX, bool ToY) {
    const int32_t before = P.GraphCount();
    AddModifPic(P, Command, ToX, ToY, 0);
    return P.GraphCount() > before;
  };
  S.ShowPage = [](const std::string& Page) {
    if (!Corvesta) return;
    Corvesta->show();
    Corvesta->ShowPage(Page);
  };
  S.FilmFile = [](const std::string& Title, std::string& Err) -> std::string {
    try {
      return cvDirListFile("CORA", "GIF", Title);
    } catch (const std::exception& E) {
      Err = E.what();
      return std::string();
    }
  };
  S.RunJob = [](const std::string& Name, std::function<void(TJob&)> Work,
                std::function<void(TJob&)> Done) {
    if (!Corvesta) return;
    Corvesta->Jobs.Start(std::make_shared<TJob>(Name), std::move(Work), std::move(Done));
  };
}
