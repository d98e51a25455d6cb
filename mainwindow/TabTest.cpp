#include "mainwindow/TabTest.h"

#include <QCoreApplication>
#include <QThread>
#include <cmath>
#include <memory>

#include "app/cvEd.h"
#include "foundation/cvArr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/PictPlotter.h"
#include "mainwindow/TestLinks.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotShapes.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvGauss.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapAlg.h"
#include "scans/cvScanServices.h"

namespace {

// The controls of the group as texts: edits and combo boxes by their text, labels by their
// caption, check boxes "1"/"0".
std::string TextOf(QObject* O) {
  if (auto* e = dynamic_cast<platform::TEdit*>(O)) return e->Text();
  if (auto* l = dynamic_cast<platform::TLabel*>(O)) return l->Caption();
  if (auto* c = dynamic_cast<platform::TCheckBox*>(O)) return c->Checked() ? "1" : "0";
  if (auto* c = dynamic_cast<platform::TComboBox*>(O)) return c->Text();
  return {};
}

void SetTextOf(QObject* O, const std::string& T) {
  if (auto* e = dynamic_cast<platform::TEdit*>(O)) {
    if (e->Text() != T) e->SetText(T);
  } else if (auto* l = dynamic_cast<platform::TLabel*>(O)) {
    if (l->Caption() != T) l->SetCaption(T);
  } else if (auto* c = dynamic_cast<platform::TCheckBox*>(O)) {
    c->SetChecked(T == "1");
  } else if (auto* c = dynamic_cast<platform::TComboBox*>(O)) {
    if (c->Text() != T) c->SetText(T);
  }
}

bool IntText(const std::string& S, int32_t& V) {
  int32_t code = 0;
  V = ValIntCode(TrimBlanks(S), code);
  return code == 0;
}

bool RealText(const std::string& S, double& V) {
  int32_t code = 0;
  V = ValRealCode(TrimBlanks(S), code);
  return code == 0;
}

bool OnWindowThread() {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

TTabTest::TTabTest(TCorvesta& Shell) : TFormTab(Shell) {
  testlinks::THooks& h = testlinks::Hooks();
  h.SetFITiX.Install([this](const std::string& T) {
    if (edFITiX) edFITiX->SetText(T);
  });
  h.SetFITiY.Install([this](const std::string& T) {
    if (edFITiY) edFITiY->SetText(T);
  });
  h.SetProfilePixel.Install([this](double Cont, int32_t X, int32_t Y) {
    if (!edICont6301) return;
    edICont6301->SetText(ShortSt(9, Cont));
    lb_iX->SetCaption(IntStr(X));
    lb_iY->SetCaption(IntStr(Y));
  });
  h.CurILineFromForm.Install([this](TCurI& C) { CurILineFromForm(C); });
  h.GaussParamsToCurI.Install([this](TCurI& C) { GaussParamsToCurI(C); });
  h.FitCurIProfile.Install([this] { FitCurIProfile(); });
  h.DrawGaussFits.Install([this] { DrawGaussFits(); });
  // The scan services' set-up reads this form on the window's thread; a job's thread takes the
  // record the window filled before the job started.
  Scans().SetupCurI.Install([this](TCurI& C) {
    if (OnWindowThread()) FormToServices();
    return ::SetupCurI(C, Scans().CurISet);
  });
  Scans().GaussParamsToCurI.Install([this](TCurI& C) {
    if (OnWindowThread()) FormToServices();
    ::GaussParamsToCurI(C, Scans().CurISet);
  });
  InstallToolLinks();
}

TTabTest::~TTabTest() {
  testlinks::THooks& h = testlinks::Hooks();
  for (auto* l : {&h.SetFITiX, &h.SetFITiY}) l->Reset();
  h.SetProfilePixel.Reset();
  h.CurILineFromForm.Reset();
  h.GaussParamsToCurI.Reset();
  h.FitCurIProfile.Reset();
  h.DrawGaussFits.Reset();
  ResetToolLinks();
  Scans().SetupCurI.Install([](TCurI& C) { return ::SetupCurI(C, Scans().CurISet); });
  Scans().GaussParamsToCurI.Install([](TCurI& C) { ::GaussParamsToCurI(C, Scans().CurISet); });
}

void TTabTest::RegisterHandlers(platform::THandlerRegistry& H) {
  TFormTab::RegisterHandlers(H);
  CV_HANDLER(H, btLoadIClick);
  CV_HANDLER(H, btReGSClick);
  CV_HANDLER(H, btGSrepClick);
  CV_HANDLER(H, btGSajustClick);
  CV_HANDLER(H, btGSloopClick);
  CV_HANDLER(H, btD6k3LoopClick);
  CV_HANDLER(H, btb6k3LoopClick);
  CV_HANDLER(H, btbDk3LoopClick);
  CV_HANDLER(H, btbHk3LoopClick);
  CV_HANDLER(H, bt_xDClick);
  CV_HANDLER(H, bt_1Click);
  CV_HANDLER(H, bt_gsBackClick);
  CV_HANDLER(H, btCOGClick);
  CV_HANDLER(H, btGSmemoTabClick);
  CV_HANDLER(H, btTestFuncClick);
  CV_HANDLER(H, ed_H_GsChange);
  CV_HANDLER(H, edGSdlhChange);
  CV_HANDLER(H, edDLDk6301Change);
  CV_HANDLER(H, btProf6301Click);
  CV_HANDLER(H, btBiClick);
  CV_HANDLER(H, cb_6301_02Change);
  CV_HANDLER(H, bt_gsRestartClick);
  CV_HANDLER(H, btMultClick);
  CV_HANDLER(H, btGaussCalcClick);
  CV_HANDLER(H, edFITiXChange);
  CV_HANDLER(H, edFITiYChange);
  CV_HANDLER(H, btFITtoGRAClick);
  CV_HANDLER(H, btCOGforIVClick);
  CV_HANDLER(H, btCOGfor_IClick);
  CV_HANDLER(H, btB2GraClick);
  CV_HANDLER(H, btV2GraClick);
  CV_HANDLER(H, btCOGofIV2Click);
  CV_HANDLER(H, bt_AlgoClick);
  // the Unno tab's centre-of-gravity measurements read "W-Line" and "k Mul" from here
  Shell.UnnoTab().WLine = [this] {
    double v = 0.1;
    return ed_WLine && RealText(ed_WLine->Text(), v) ? v : 0.1;
  };
  Shell.UnnoTab().KMul = [this] {
    int32_t v = 2;
    return ed_kMul && IntText(ed_kMul->Text(), v) ? v : 2;
  };
  RegisterBenchHandlers(H);
  RegisterToolHandlers(H);
}

// ---------------------------------------------------------------- the form as texts

TGaussForm TTabTest::ReadForm() const {
  TGaussForm f;
  for (const auto& [name, text] : GaussFormDefaults()) {
    QObject* o = Shell.Control(name);
    f[name] = o ? TextOf(o) : text;
  }
  return f;
}

void TTabTest::WriteForm(const TGaussForm& F) {
  writing_ = true;
  for (const auto& [name, text] : F)
    if (QObject* o = Shell.Control(name)) SetTextOf(o, text);
  writing_ = false;
}

void TTabTest::MemoIn() {
  TStringList& m = Scans().CurISet.MemoGSparam;
  m.Clear();
  for (const std::string& l : memoGSparam->Lines()) m.Add(l);
  if (testlinks::Hooks().FIOutMemo.Provided())
    Scans().CurISet.Gauss.FIOutMemo = testlinks::Hooks().FIOutMemo();
}

void TTabTest::MemoOut() {
  const TStringList& m = Scans().CurISet.MemoGSparam;
  std::vector<std::string> lines;
  for (int i = 0; i < m.Count(); ++i) lines.push_back(m[i]);
  memoGSparam->SetLines(lines);
}

TGaussEnv TTabTest::Env() {
  TGaussEnv e;
  e.LoadFromEd = [this](TCurI& C) { return LoadCurIFromEd(C); };
  e.Draw = [this] { DrawGaussFits(); };
  return e;
}

void TTabTest::RunOp(const std::string& Op) {
  TGaussForm f = ReadForm();
  MemoIn();
  TCurI& c = ScanCurI();
  // the drawing sets the model up from the form: it waits until the form shows the result
  bool draw = false;
  TGaussEnv env = Env();
  env.Draw = [&draw] { draw = true; };
  GaussFormRun(c, Scans().CurISet, f, Op, env);
  WriteForm(f);
  MemoOut();
  if (draw) DrawGaussFits();
}

void TTabTest::FormToServices() {
  MemoIn();
  const TStringList memo = Scans().CurISet.Gauss.FIOutMemo;
  GaussFieldsFromForm(ReadForm(), Scans().CurISet.Gauss);
  Scans().CurISet.Gauss.FIOutMemo = memo;
}

// ---------------------------------------------------------------- routines

void TTabTest::CurILineFromForm(TCurI& C) { ::CurILineFromForm(C, ReadForm()); }

void TTabTest::GaussParamsToCurI(TCurI& C) {
  FormToServices();
  ::GaussParamsToCurI(C, Scans().CurISet);
  MemoOut();
}

bool TTabTest::SetupCurI(TCurI& C) {
  MemoIn();
  const bool ok = SetupCurIFromForm(C, Scans().CurISet, ReadForm());
  MemoOut();
  return ok;
}

void TTabTest::CurIToForm() {
  TGaussForm f = ReadForm();
  ::CurIToForm(ScanCurI(), f);
  WriteForm(f);
}

bool TTabTest::LoadCurIFromEd(TCurI& C) {
  if (!EdAssigned(Ed) || !Ed->Memo) return false;
  int32_t line = 0;
  IntText(edFirstString->Text(), line);
  Ed->Line = line;
  int32_t top = 0, bottom = 0;
  Ed->TabBounds(top, bottom);
  auto sl = std::make_unique<TStringList>();
  for (const std::string& l : Ed->Memo->Lines()) sl->Add(l);
  TARe x, y;
  std::string nx, ny;
  SLExtractAXAY(sl.get(), top, bottom, 1, 2, x, y, nx, ny);
  if (y.size() < 2) return false;
  if (C.AY.empty()) {  // a measurer without a profile takes the form's line and options
    CurILineFromForm(C);
    GaussParamsToCurI(C);
  }
  C.SetAXAY(x, y);
  return true;
}

void TTabTest::FitCurIProfile() { RunOp("ajst"); }

void TTabTest::DrawGaussFits() {
  if (!Scans().CurI) return;
  TCurI& c = *Scans().CurI;
  SetupCurI(c);
  const bool qg = cbQg->Checked(), qL = cbQL->Checked(), qa = cbQa->Checked(),
             qk = cbQk->Checked(), q3 = cbQ3->Checked(), qLor = cbQaLor->Checked();
  struct TLineData {
    const Tgs* g;
    int32_t p1, p2;
    TARe X, Y;
  };
  TLineData lines[2] = {{&c.gs1, 1, 60, {}, {}}, {&c.gs2, 61, 112, {}, {}}};
  for (TLineData& L : lines) {
    if (L.g->DLDk <= 0) continue;
    L.X.assign(1, 0.0);
    L.Y.assign(1, 0.0);
    for (int32_t p = L.p1; p <= L.p2; ++p) {
      double I = 0;
      gs_ProfI(*L.g, p - L.g->Lam0, I);
      L.X.push_back(p + gs_BisShift(*L.g, I));
      L.Y.push_back(I);
    }
  }
  if (!PrepPictPlotter()) return;
  TPLOTTER& P = *PLOTTER;
  const std::string sfx = "_" + IntStr(P.kLayOut);
  const int32_t t = std::max(P.kT, 1);
  for (int k = 0; k < 2; ++k) {
    const TLineData& L = lines[k];
    if (L.X.size() < 2) continue;
    const std::string n = IntStr(k + 1), grp = "Stokes_I_" + n;
    const Tgs& g = *L.g;
    for (const std::string& s : {"Укос гауссианы_"_cp, std::string("Lambda0_"), std::string("d0Line_")})
      P.DelPicByTitle(s + n + sfx);
    P.RestoreSaved();
    if (qg) P.UpDateGraphByTitle(L.X, L.Y, 1, t, "=oB 1", "Gauss_" + n + sfx, "lam", "int", grp, "pix");
    P.RestoreSaved();
    if (qa) AddLinePic(P, 2, "Укос гауссианы_"_cp + n + sfx, g.A, g.Lam0 + g.B - g.A * g.d0);
    P.RestoreSaved();
    if (qL) AddVLineInWW(P, ":#B", "Lambda0_" + n + sfx, g.Lam0);
    P.RestoreSaved();
    if (qk) AddLevelLine(P, "-+K 1", 2, g.Lam0 - 4, g.Lam0 + 4, g.d0, "d0Line_" + n + sfx);
  }
  for (int k = 0; k < 2; ++k) {
    const TLineData& L = lines[k];
    const Tgs& g = *L.g;
    const std::string n = IntStr(k + 1), grp = "Stokes_I_" + n;
    if (qLor && L.X.size() >= 2) {
      TARe x(1, 0.0), y(1, 0.0);
      for (int32_t p = L.p1; p <= L.p2; ++p) {
        double I = 0;
        LorentzProfI(g.Cont, p, g.Lam0, g.aL, g.DLD, g.DLDk, I);
        x.push_back(p);
        y.push_back(I);
      }
      P.UpDateGraphByTitle(x, y, 1, t, ";.R", "Lorenc_" + n + sfx, "lam", "int", grp, "pix");
    }
    if (q3 && g.DLDk > 0) {
      for (const char* s : {"Gauss_SB_", "Gauss_SR_", "Gauss_Pi_"})
        P.DelPicByTitle(s + n + sfx);
      if (g.H > 0) {
        const double dlh = _H2DLH(g);
        auto comp = [&](double x0, double w, const std::string& Title) {
          TARe x(1, 0.0), y(1, 0.0);
          for (int32_t p = L.p1; p <= L.p2; ++p) {
            double I = 0;
            GaussBisProfI(g.Cont, p, x0, g.A, g.DLD, g.DLDk, I);
            x.push_back(p);
            y.push_back(g.Cont - (g.Cont - I) * w);
          }
          P.UpDateGraphByTitle(x, y, 1, t, "-.R", Title + n + sfx, "lam", "int", grp, "pix");
        };
        comp(g.Lam0 - dlh, (1 - g.fPi) * (1 - g.kSig), "Gauss_SB_");
        comp(g.Lam0 + dlh, (1 - g.fPi) * g.kSig, "Gauss_SR_");
        if (g.fPi > 0) comp(g.Lam0, g.fPi, "Gauss_Pi_");
      }
    }
  }
  P.PlayOnce();
}

double TTabTest::InitialL0() {
  const TGaussForm f = ReadForm();
  double L = DefaultL0(f);
  int32_t ix = -1, iy = -1;
  if (!IntText(lb_iX->Caption(), ix)) ix = -1;
  if (!IntText(lb_iY->Caption(), iy)) iy = -1;
  if (Scans().CurI) Scans().CurI->ClearDLDState();
  TLFIOut* reg = LFIOOrNull();
  if (!reg) {
    WARNAbs("Список карт LFIO ещё не заполнен!"_cp);
    return L;
  }
  TFIOut* cur = testlinks::Hooks().CurFIOut();
  if (!cur) {
    WARNAbs("Текущая карта не задана! Выберите карту в таблице LFIO!"_cp);
    return L;
  }
  const bool l1 = f.at("cb_6301_02") == "6301";
  TFIOut* r = reg->GetFIOut(cur->Da, cur->Ti, l1 ? "LWr1" : "LWr2", cur->Ver);
  TFIOut* b = reg->GetFIOut(cur->Da, cur->Ti, l1 ? "LWb1" : "LWb2", cur->Ver);
  if (!r || !b) {
    WARNAbs("Запустите расчёт карт LW(b,r) для текущей сессии!"_cp);
    return L;
  }
  for (TFIOut* m : {r, b})
    if (!m->EnsureLoaded()) {
      WARNAbs("InitialL0 ERR Данные карты "_cp + m->Name + " не найдены в файле!"_cp);
      return L;
    }
  double vr = 0, vb = 0;
  if (ix < 0 || iy < 0) {
    vr = r->vMeanAv;
    vb = b->vMeanAv;
    if (vr == vb) {
      vr = r->vMean;
      vb = b->vMean;
    }
  } else if (ix < r->nX && iy < r->nY && ix < b->nX && iy < b->nY && !r->aData.empty() &&
             !b->aData.empty()) {
    vr = r->aData[static_cast<size_t>(ix)][static_cast<size_t>(iy)];
    vb = b->aData[static_cast<size_t>(ix)][static_cast<size_t>(iy)];
  } else {
    vr = r->vMeanAv;
    vb = b->vMeanAv;
  }
  return (vr + vb) / 2;
}

// ---------------------------------------------------------------- Gauss-fit buttons

void TTabTest::btLoadIClick(TSender) {
  const bool existed = Scans().CurI != nullptr;
  TCurI& c = ScanCurI();
  if (!existed) {
    CurILineFromForm(c);
    GaussParamsToCurI(c);
  }
  LoadCurIFromEd(c);
}

void TTabTest::btReGSClick(TSender) { RunOp("doop"); }
void TTabTest::btGSrepClick(TSender) { RunOp("report"); }
void TTabTest::btGSajustClick(TSender) { FitCurIProfile(); }
void TTabTest::btD6k3LoopClick(TSender) { RunOp("D6k3"); }
void TTabTest::btb6k3LoopClick(TSender) { RunOp("b6k3"); }
void TTabTest::btbDk3LoopClick(TSender) { RunOp("bDk3"); }
void TTabTest::btbHk3LoopClick(TSender) { RunOp("bHk3"); }
void TTabTest::bt_xDClick(TSender) { RunOp("xD"); }
void TTabTest::bt_1Click(TSender) { RunOp("H41"); }

void TTabTest::bt_gsBackClick(TSender) {
  if (Scans().CurI) RunOp("back");
}

void TTabTest::btCOGClick(TSender) {
  if (!Scans().CurI) {
    WARNAbs("Надо загрузить профиль CurI (кнопка \"Load I\")"_cp);
    return;
  }
  RunOp("cog");
}

void TTabTest::btGSloopClick(TSender) {
  // the size of the run decides: a long one is a job on a copy
  MemoIn();
  const TStringList& m = Scans().CurISet.Gauss.FIOutMemo;
  int64_t reps = 0;
  if (m.Count() > 0) {
    const std::string first = TrimBlanks(m[0]);
    int32_t v = 0;
    if (IntText(first, v)) reps = v;
  }
  if (reps * std::max(m.Count() - 1, 1) > LoopJobThreshold)
    LoopJob();
  else
    RunOp("loop");
}

void TTabTest::LoopJob() {
  TGaussForm f = ReadForm();
  MemoIn();
  TCurI& c = ScanCurI();
  if (c.AY.size() < 2 && !LoadCurIFromEd(c)) return;
  SetupCurIFromForm(c, Scans().CurISet, f);
  MemoOut();
  if (c.NRep == 0) {
    GaussFormRun(c, Scans().CurISet, f, "loop", Env());
    return;
  }
  auto copy = std::make_shared<TCurI>(c);
  auto codes = std::make_shared<TStringList>(Scans().CurISet.CodeList);
  auto rep = std::make_shared<TStringList>();
  copy->CodeList = codes.get();
  copy->SLRep = rep.get();
  auto job = std::make_shared<TJob>("CurI Loop");
  Jobs.Start(
      job,
      [copy, codes, rep](TJob& J) {
        copy->CheckLam();
        RunCodeListRepeats(*copy, &J);
      },
      [this, copy, codes, rep](TJob& J) {
        if (J.Cancelled() || J.State() != TJobState::Done) {
          if (J.Cancelled()) J.Warn("Модель CurI не изменена"_cp);
          return;
        }
        TCurI& c = ScanCurI();
        TStringList* slrep = c.SLRep;
        const TStringList* list = c.CodeList;
        c = *copy;
        c.SLRep = slrep;
        c.CodeList = list;
        MemoIn();
        Scans().CurISet.MemoGSparam.AddStrings(*rep);
        TGaussForm f = ReadForm();
        ::CurIToForm(c, f);
        WriteForm(f);
        MemoOut();
        DrawGaussFits();
      });
}

void TTabTest::btGSmemoTabClick(TSender) {
  TStringList sl;
  for (const std::string& l : memoGSparam->Lines()) sl.Add(l);
  if (sl.Count() == 0) return;
  LineTabStrings(&sl, sl.Count() - 1);
  std::vector<std::string> lines;
  for (int i = 0; i < sl.Count(); ++i) lines.push_back(sl[i]);
  memoGSparam->SetLines(lines);
}

void TTabTest::btTestFuncClick(TSender) {
  TCurI& c = ScanCurI();
  SetupCurI(c);
  int32_t i = 0;
  if (!IntText(ed_I->Text(), i)) return;
  if (c.iB() * c.iR() == 0 || i < 1 || i >= static_cast<int32_t>(c.AY.size())) return;
  const Tgs& g = c.gs;
  const double ay = c.AY[static_cast<size_t>(i)];
  const double dLI = gs_BisShift(g, ay), W0 = i - g.Lam0;
  double I1 = 0, I2 = 0, dLam = 0, dLaR = 0, w = 0;
  gs_ProfI(g, W0 - dLI, I1);
  Gauss2_dL(c.AY, i, g, dLam, dLaR, w);
  const double dD = ay - I1;
  const double dd = (W0 >= 0 && dD > 0) || (W0 < 0 && dD <= 0) ? 0.1 : -0.1;
  gs_ProfI(g, W0 + dd - dLI, I2);
  const double sdD = I2 - I1;
  const double dLam2 = sdD != 0 ? -dD / sdD * dd : 0;
  auto s = [](double v) { return ShortSt(5, v); };
  std::vector<std::string> lines = memoGSparam->Lines();
  lines.push_back(
      "H=" + std::string(c.H2DLH() > 0 ? "T" : "F") + " ii=" + IntStr(i) + " AY=" + RoundStr(ay) +
      " dLI=" + s(dLI) + " dLam=" + s(dLam) + " dLam2=" + s(dLam2) + " dLaR=" + s(dLaR) +
      " W0=" + s(W0) + " dPix1,2=" + s(I1) + "," + s(I2) + " dD=" + s(dD) + " /dD=" + s(sdD) +
      " dd=" + FDecSt(1, dd));
  memoGSparam->SetLines(lines);
}

void TTabTest::ed_H_GsChange(TSender) {
  if (writing_) return;
  TGaussForm f = ReadForm();
  HGsToDLH(f);
  WriteForm(f);
}

void TTabTest::edGSdlhChange(TSender) {
  if (writing_) return;
  TGaussForm f = ReadForm();
  DLHToB(f);
  WriteForm(f);
}

void TTabTest::edDLDk6301Change(TSender) {
  if (writing_ || !Scans().CurI) return;
  double v = 0;
  if (!RealText(edDLDk6301->Text(), v)) return;
  Scans().CurI->gs.DLDk = v;
  Scans().CurI->gs.d0 = gs_get_d0(Scans().CurI->gs);
}

// ---------------------------------------------------------------- drawing, wings, start values

void TTabTest::btProf6301Click(TSender) { DrawGaussFits(); }

void TTabTest::btBiClick(TSender) {
  if (!Scans().CurI) return;
  TGaussForm f = ReadForm();
  if (WingSection(*Scans().CurI, f)) WriteForm(f);
}

void TTabTest::cb_6301_02Change(TSender) {
  const double L = InitialL0();
  TGaussForm f = ReadForm();
  const bool line1 = SwitchLineTexts(f, L);
  WriteForm(f);
  if (Scans().CurI) {
    TCurI& c = *Scans().CurI;
    const Tgs& saved = line1 ? c.gs1 : c.gs2;
    if (saved.La12 == (line1 ? 1 : 2)) {
      c.gs = saved;
      CurIToForm();
    }
    f = ReadForm();
    if (WingSection(c, f)) WriteForm(f);
  }
  DrawGaussFits();
}

void TTabTest::bt_gsRestartClick(TSender) {
  const double L = InitialL0();
  TGaussForm f = ReadForm();
  RestartTexts(f, L);
  WriteForm(f);
  if (Scans().CurI) {
    TCurI& c = *Scans().CurI;
    (f.at("cb_6301_02") == "6301" ? c.gs1 : c.gs2) = c.gs;
  }
}

void TTabTest::btMultClick(TSender) {
  double h0 = 0, hmax = 0, step = 0;
  if (!RealText(edH0->Text(), h0) || !RealText(edHMax->Text(), hmax) ||
      !RealText(edHStep->Text(), step))
    return;
  if (step == 0 || (hmax - h0) * step < 0) {
    WARNAbs("Mult: шаг поля "_cp + edHStep->Text() + " не ведёт от " + edH0->Text() + " к " +
            edHMax->Text() + "!");
    return;
  }
  const int64_t n = std::llround(std::nearbyint((hmax - h0) / step));
  if (PLOTTER) PLOTTER->MultReset();
  for (int64_t k = 0; k <= n; ++k) {
    ed_H_Gs->SetText(FDecSt(3, h0 + k * step));  // its change handler sets the splitting
    if (PLOTTER) PLOTTER->MultNext();
    DrawGaussFits();
  }
  if (PLOTTER) PLOTTER->ToolsRefresh();
}

// ---------------------------------------------------------------- Gauss Cores

void TTabTest::btGaussCalcClick(TSender) {
  testlinks::THooks& h = testlinks::Hooks();
  const std::string folder = h.CurSessionFolder();
  if (folder.empty()) return;
  TLFITS* scan = h.LinkLFITS(folder);
  if (!scan) return;
  FormToServices();
  if (TCurI* c = Scans().CurI.get()) SetupCurI(*c);
  TStringList memo;
  auto job = std::make_shared<TJob>("Gauss Cores " + scan->ScanName);
  Jobs.Start(
      job,
      [scan](TJob& J) {
        if (scan->Bit(1))
          J.Warn("GaussCores Calc повторный запрос на LoadHeaders!"_cp);
        else if (!scan->LoadHeaders(J))
          return;
        if (scan->Count() == 0) return;
        TFITS& mid = *scan->Files[static_cast<size_t>(scan->Count() / 2)];
        if (mid.LoadData()) {
          mid.CalcL5_1_2();
          scan->LC1Pix = mid.LCMean1;
          scan->LC2Pix = mid.LCMean2;
        }
        TLFIOut& reg = LFIOReg();
        const std::string da = scan->ScanDa(), ti = scan->ScanTi();
        if (!reg.GetFIOutDT(da, ti, "H_L_6301")) {
          TStringList want;
          want.Add("H_L_6301");
          want.Add("H_L_6302");
          if (!reg.LoadOwn(da, ti, &want, false, &J))
            WARNAbs("bt_GaussCalc Карта "_cp + da + "_" + ti + " H_L_6301 не загружена!"_cp);
        }
        TFIOut* h1 = reg.GetFIOutDT(da, ti, "H_L_6301");
        TFIOut* h2 = reg.GetFIOutDT(da, ti, "H_L_6302");
        for (auto [m, n] : {std::pair{h1, "H_L_6301"}, std::pair{h2, "H_L_6302"}})
          if (!m || !m->EnsureLoaded()) {
            WARNAbs("btGaussCalc ERR Данные карты "_cp + n + " не найдены в файле!"_cp);
            return;
          }
        std::unique_ptr<TFIOut> start = fo::Mid(*h1, *h2);
        if (!scan->OuCont) scan->OuCont.Set(reg.GetFIOutDT(da, ti, "CONT"));
        if (!scan->OuGc1) scan->OuGc1.Set(reg.GetFIOutDT(da, ti, "GRC_6301"));
        if (!scan->OuGc2) scan->OuGc2.Set(reg.GetFIOutDT(da, ti, "GRC_6302"));
        if (!scan->CalcCoreMaps(J, start.get())) J.Fail("CalcCoreMaps");
      },
      [this, scan](TJob& J) {
        MemoOut();
        if (J.State() == TJobState::Done) testlinks::Hooks().ShowScanInfo(*scan);
      });
}

// ---------------------------------------------------------------- COG for I±V

void TTabTest::edFITiXChange(TSender) {
  int32_t v = 0;
  if (IntText(edFITiX->Text(), v)) testlinks::Hooks().SetFITSiX(edFITiX->Text());
}

void TTabTest::edFITiYChange(TSender) {
  int32_t v = 0;
  if (IntText(edFITiY->Text(), v)) testlinks::Hooks().SetFITSiY(edFITiY->Text());
}

void TTabTest::btFITtoGRAClick(TSender) { testlinks::Hooks().PlotIpmV(); }

void TTabTest::btCOGforIVClick(TSender) { COGFieldMaps(true, false, 'B'); }
void TTabTest::btCOGfor_IClick(TSender) { COGFieldMaps(true, false, 'I'); }

void TTabTest::btB2GraClick(TSender) {
  const std::string t = cb_B_V->Text();
  if (!t.empty()) COGFieldMaps(false, true, t[0]);
}

void TTabTest::btV2GraClick(TSender) { COGFieldMaps(false, true, 'I'); }

void TTabTest::COGFieldMaps(bool List, bool Plot, char Kind) {
  testlinks::THooks& h = testlinks::Hooks();
  const bool relD = cbRel2D->Checked();
  int32_t ix = 0, iy = 0;
  if (!h.GetProfileSel(ix, iy)) return;
  TLFITS* scan = h.CurLFITS();
  if (!scan) {
    WARNAbs("Нужно загрузить список LFITS!"_cp);
    return;
  }
  h.LFITS_SetOptions(*scan);
  const std::string session = h.CurSessionName();
  if (session.empty()) return;
  int32_t nn = 0;
  if (!IntText(ed_NN->Text(), nn)) return;
  const std::string kc = cbKCase->Text();
  if (kc.empty()) return;
  TCOGivMaps maps;
  COGMapValues(session, ix, iy, maps);
  const double vw1 = GetRcvFITKey("VW1", 0), vw2 = GetRcvFITKey("VW2", 0);
  TCOGivProfile prof;
  if (ix >= 0) {
    if (!COGivFromScan(*scan, ix, iy, prof)) return;
  } else {
    const std::string ft = h.FOFiltCur();
    int32_t k = 0;
    if (!IntText(ft, k)) {
      WARNAbs("Непонятный индекс текущего фильтра <"_cp + ft + ">");
      return;
    }
    TLFITS* pf = h.ProfLFITS();
    if (!pf || pf->Count() == 0) {
      WARNAbs("Профили по фильтрам пока ещё не заполнялись!"_cp);
      return;
    }
    if (k - 1 < 0 || k - 1 >= pf->Count()) {
      WARNAbs("Индекс текущего фильтра "_cp + IntStr(k - 1) + " данные заполнены для "_cp +
              IntStr(pf->Count()) + " фильтров!"_cp);
      return;
    }
    TFITS& f = *pf->Files[static_cast<size_t>(k - 1)];
    f.SetIVRow(0);
    prof.IpV = f.IVpV;
    prof.ImV = f.IVmV;
    prof.I = f.IVI;
    prof.Cont = f.GetContIY(0);
  }
  COGivSlices(prof, maps, vw1, vw2, kc[0], nn, LastCOG);
  const TCOGivTable& T = LastCOG;
  edCont->SetText(FDecSt(3, prof.Cont));
  edMinIV1->SetText(FDecSt(1, T.mid1));
  edMinIV2->SetText(FDecSt(1, T.mid2));
  if (Plot && T.N > 0 && PrepPictPlotter()) {
    const TARe& x1 = Kind == 'B' ? T.B1 : Kind == 'V' ? T.V1 : T.vi1;
    const TARe& x2 = Kind == 'B' ? T.B2 : Kind == 'V' ? T.V2 : T.vi2;
    const std::string q = Kind == 'B' ? "Bscog" : Kind == 'V' ? "Vslos" : "Vicog";
    const TARe& y1 = relD ? T.d : Kind == 'I' ? T.yi_1 : T.y_1;
    const TARe& y2 = relD ? T.d : Kind == 'I' ? T.yi_2 : T.y_2;
    const std::string yname = relD ? "d/d0" : "I/Icont", yaxis = relD ? "part" : "int";
    PLOTTER->NewGraph(x1, y1, 1, 1, ":pB 1", yname + "(" + q + ")", "lam", yaxis, "", "");
    PLOTTER->NewGraph(x2, y2, 1, 1, ":^R 0.8", yname + "(" + q + ")", "lam", yaxis, "", "");
    PLOTTER->PlayOnce();
  }
  if (List && EdAssigned(Ed)) Ed->EdLoadSL("Sliced COG Fields", &T.Lines);
}

void TTabTest::btCOGofIV2Click(TSender) {
  int32_t n = 0;
  if (!IntText(ed_NN->Text(), n) || !EdAssigned(Ed) || !Ed->Memo) return;
  int32_t top = 0, bottom = 0;
  Ed->TabBounds(top, bottom);
  auto sl = std::make_unique<TStringList>();
  for (const std::string& l : Ed->Memo->Lines()) sl->Add(l);
  TARe x, y;
  std::string nx, ny;
  const int32_t col = std::max(Ed->WordNo, 1);
  SLExtractAXAY(sl.get(), top, bottom, col, col + 1, x, y, nx, ny);
  if (y.size() < 2) return;
  if (PrepPictPlotter())
    PLOTTER->NewGraph(x, y, 1, 1, "-+K 1", ny + "(" + nx + ")", nx, ny, "", "");
  int32_t i1 = 0, i2 = 0;
  double cont = 0, d0 = 0;
  IntText(ed_L1->Text(), i1);
  IntText(ed_L2->Text(), i2);
  RealText(ed_Cont->Text(), cont);
  RealText(ed_d0->Text(), d0);
  TStringList out;
  TARe gx, gy;
  COGEdSlices(x, y, n, i1, i2, cont, d0, out, gx, gy);
  if (n >= 2 && PLOTTER && gx.size() > 1)
    PLOTTER->NewGraph(gx, gy, 1, 1, "=oB 1", "y(L)", "i", "l", "", "");
  if (PLOTTER) PLOTTER->PlayOnce();
  std::vector<std::string> lines;
  for (int i = 0; i < out.Count(); ++i) lines.push_back(out[i]);
  memoGSparam->SetLines(lines);
}

void TTabTest::bt_AlgoClick(TSender) {
  int32_t ix = -1, iy = -1;
  if (!IntText(edFITiX->Text(), ix)) ix = -1;
  if (!IntText(edFITiY->Text(), iy)) iy = -1;
  if (ix < 0 || iy < 0) return;
  testlinks::THooks& h = testlinks::Hooks();
  TLFITS* scan = h.CurLFITS();
  if (!scan) {
    if (!h.LoadLFITS()) return;
    scan = h.CurLFITS();
    if (!scan) return;
  }
  h.LFITS_SetOptions(*scan);
  TStringList out;
  if (!AlgoRithm(*scan, ix, iy, CurIV, out)) return;
  if (EdAssigned(Ed)) Ed->EdLoadSL("06%_Core", &out);
}
