// The FITS tab's maps as a new user meets them on a copy of the bundled root: RUN of "CONT" as a
// job (progress, the case marked, the next selected, the session's file checked), "Load LFIO",
// a map shown in the map window with its figures, the histogram cut and "Inv", "=>" and "<=",
// a new map from the memo written and erased; and the refusals of bad input.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include "foundation/cvJob.h"
#include <QImage>
#include <string>
#include <vector>

#include "app/qt/QtJobRunner.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/TabEd.h"
#include "platform/Memo.h"
#include <memory>
#include "foundation/cvSayer.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Canvas.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFMap.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITSRuns.h"
#include "scans/cvFOOps.h"
#include <future>
#include "scans/cvScanServices.h"
#include "foundation/cvStrList.h"
#include <cmath>
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapView.h"
#include "scans/cvSessions.h"

namespace {

using mwtest::ProgramTest;

class FITSMaps : public ProgramTest {
 protected:
  TTabFITS& Tab() { return Corvesta->FITSTab(); }
  void Fire(const char* Handler, platform::TFormEventArgs E = {}) {
    const auto* h = Corvesta->Handlers.Find(Handler);
    ASSERT_TRUE(h) << Handler;
    (*h)(E);
    Tab().Jobs.Wait();
    QApplication::processEvents();
  }
  void Month() {
    Corvesta->resize(1600, 900);
    Corvesta->ShowPage("TabFITS");
    QApplication::processEvents();
    Tab().edFITSpath->SetText(root->File("FITS"));
    QApplication::processEvents();
    TTabFITS& T = Tab();
    int i = 0;
    while (i < T.cbFITS_YM->ItemCount() && T.cbFITS_YM->Item(i) != "2019_06") ++i;
    T.cbFITS_YM->SetItemIndex(i);
    emit T.cbFITS_YM->activated(i);
    QApplication::processEvents();
    ASSERT_EQ(T.ngFITS_YM->RowCount(), 1) << mwtest::AllBoxes(*boxes);
    ClickSession();
  }
  void ClickSession() {
    platform::TFormEventArgs e;
    e.Col = Tab().ngFITS_YM->ColumnByName("GxFITS_DaTi")->Index();
    e.Row = 0;
    Tab().ngFITS_YMCellClick(e);
  }
  std::string FIO(const char* Col, int Row) {
    TCvGrid* g = Tab().ngFIO;
    return g->CellAt(g->ColumnByName(Col)->Index(), Row)->GetAsText();
  }
  int RowOf(const std::string& Name) {
    for (int r = 0; r < Tab().ngFIO->RowCount(); ++r)
      if (FIO("GxFIO_Name", r) == Name) return r;
    return -1;
  }
  void SelectMap(const std::string& Name) {
    platform::TFormEventArgs e;
    e.Sender = Tab().ngFIO;
    e.Control = "ngFIO";
    e.Col = Tab().ngFIO->ColumnByName("GxFIO_Name")->Index();
    e.Row = RowOf(Name);
    ASSERT_GE(e.Row, 0) << Name;
    Fire("ngFIOSelectCell", e);
  }
};

TEST_F(FITSMaps, JourneyFromRunToAnErasedMap) {
  Month();
  TTabFITS& T = Tab();
  EXPECT_EQ(T.cbFITSrunCase->Text(), "CONT");
  // RUN "CONT": a job whose progress goes to the panel
  std::vector<std::string> progress;
  auto shown = T.Jobs.ShowProgress;
  const auto interval = T.Jobs.ProgressInterval;
  T.Jobs.ProgressInterval = std::chrono::milliseconds(0);
  T.Jobs.ShowProgress = [&](const std::string& Text) {
    progress.push_back(Text);
    if (shown) shown(Text);
  };
  T.btRunFOs->Click();
  T.Jobs.Wait();
  QApplication::processEvents();
  T.Jobs.ShowProgress = shown;
  T.Jobs.ProgressInterval = interval;
  bool cont = false;
  for (const std::string& p : progress) cont = cont || p.find("|CONT|iX=") != std::string::npos;
  EXPECT_TRUE(cont) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.cbFITSrunCase->Item(0), "CONT*");
  EXPECT_EQ(T.cbFITSrunCase->Text(), "LIV");
  EXPECT_TRUE(T.ngFITS_YM->CellAt(T.ngFITS_YM->ColumnByName("GxFITS_CV")->Index(), 0)->GetAsBoolean());

  // "Load LFIO" of the session's own file
  ClickSession();
  Fire("btLoadAllClick");
  ASSERT_EQ(T.ngFIO->RowCount(), 4) << mwtest::AllBoxes(*boxes);
  const char* names[] = {"CONT", "CONT2", "LCONT", "LCONT2"};
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(FIO("GxFIO_Name", r), names[r]);
    EXPECT_EQ(FIO("GxFIO_Writed", r), "1");
    EXPECT_EQ(FIO("GxFIO_kSoft", r), "1");
    EXPECT_EQ(FIO("GxFIO_KH", r), IntStr(r + 1));
  }

  // CONT with "Map" checked: drawn in the map window, its figures in the panel
  T.cbMap->SetChecked(true);
  SelectMap("CONT");
  TFIOut* m = T.CurFIOut();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Name, "CONT");
  ASSERT_TRUE(FMap);
  EXPECT_TRUE(FMap->isVisible());
  EXPECT_EQ(T.lbFIOma->Caption(), ShortSt(5, m->vMax));
  EXPECT_EQ(T.lbFIOmi->Caption(), ShortSt(5, m->vMin));
  EXPECT_EQ(T.lbFIOmean->Caption(), ShortSt(5, m->vMean));
  const std::string maxAt = "(" + IntStr(m->ixMax) + "," + IntStr(m->iyMax) + ")";
  EXPECT_EQ(T.lbFIOmaIdx->Caption(), maxAt);
  // the brightest cell is white, the darkest black (top row = highest y)
  platform::TBitmap& b = FOBitmap();
  auto px = [&](int X, int Y) {
    return b.Pixel(static_cast<int32_t>(X * FOZoom), static_cast<int32_t>((m->nY - 1 - Y) * FOZoom));
  };
  EXPECT_EQ(px(m->ixMax, m->iyMax) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(px(m->ixMin, m->iyMin) & 0xFFFFFF, 0u);
  Corvesta->grab().toImage().save("fitsmaps_cont.png");
  // the level list of the shown map into the editor
  Fire("btGetScaleClick");
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "aLvl");
  ASSERT_EQ(Corvesta->EdTab().MemoEd->Lines().size(), 256u);
  EXPECT_EQ(Corvesta->EdTab().MemoEd->Lines()[0].substr(0, 4), "  0 ");

  // the histogram cut 0.01: its fractions, "Val" off, the map drawn again; "Inv" swaps them
  T.cbMapVal->SetChecked(true);
  T.cbHistScale->SetText("0.01");
  Fire("cbHistScaleChange");
  EXPECT_EQ(T.cbHistMiMa->Text(), "0.0100 0.9900");
  EXPECT_FALSE(T.cbMapVal->Checked());
  Fire("btInvMapClick");
  EXPECT_EQ(T.cbHistMiMa->Text(), "0.9900 0.0100");
  EXPECT_EQ(px(m->ixMax, m->iyMax) & 0xFFFFFF, 0u);  // inverted: the maximum black

  // "=>" at the maximum, "<=" draws that pixel
  Fire("btFIOmaIdxClick");
  EXPECT_EQ(T.edFITSiX->Text(), IntStr(m->ixMax));
  EXPECT_EQ(T.edFITSiY->Text(), IntStr(m->iyMax));
  const int graphs = PLOTTER->GraphCount();
  T.cb_FITS3->SetText("I");
  T.btFIT2EdNorm->Click();
  QApplication::processEvents();
  EXPECT_EQ(PLOTTER->GraphCount(), graphs + 1) << mwtest::AllBoxes(*boxes);

  // a map from the memo: w 0, written: w 1, erased after the question
  T.memoFIOut->SetLines({"Cnt=mid(CONT,CONT2)"});
  Fire("btNewFOClick");
  const int cr = RowOf("Cnt");
  ASSERT_GE(cr, 0) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(FIO("GxFIO_Writed", cr), "0");
  T.cbMap->SetChecked(false);
  SelectMap("Cnt");
  Fire("btWriteMapClick");
  ASSERT_GE(RowOf("Cnt"), 0);
  EXPECT_EQ(FIO("GxFIO_Writed", RowOf("Cnt")), "1");
  EXPECT_EQ(FIO("GxFIO_KH", RowOf("Cnt")), "5");
  SelectMap("Cnt");
  boxes->Clear();
  boxes->Answer(platform::MsgResult::Yes);
  Fire("btDelMapClick");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Вы точно хотите удалить карту с именем Cnt ?"_cp));
  EXPECT_EQ(RowOf("Cnt"), -1);
  EXPECT_EQ(T.ngFIO->RowCount(), 4);
  std::vector<TMapExt> dir;
  ReadMapDir(sessions::SessionMapFile(T.Root(), "20190622_164505", 1), dir, nullptr, true);
  EXPECT_EQ(dir.size(), 4u);
}

TEST_F(FITSMaps, BadInputIsRefusedAndDrawsNothing) {
  Month();
  TTabFITS& T = Tab();
  // no map chosen
  T.FIORow = -1;
  Fire("pm_HdClick");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Карта не выбрана! Выберите карту в таблице LFIO!"_cp));
  boxes->Clear();
  platform::TFormEventArgs e;
  e.Sender = T.ngFIO;
  Fire("btMapClick", e);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Карта не выбрана! Выберите карту в таблице LFIO!"_cp));
  // one word where two are read
  boxes->Clear();
  T.cbHistMiMa->SetText("0.1");
  Fire("btMapClick", e);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Число слов в поле = 1 Запрошено слово 2!"_cp));
  EXPECT_FALSE(mwtest::BoxShown(*boxes, "Карта не выбрана!"_cp));
  // a name without a definition stops "New FOs": the line after it makes nothing
  T.memoFIOut->SetLines({"NOPE", "Two=mul(CONT,2)"});
  boxes->Clear();
  platform::TFormEventArgs c;
  c.Col = T.ngFITS_YM->ColumnByName("GxFITS_DaTi")->Index();
  c.Row = 0;
  T.ngFITS_YMCellClick(c);
  Fire("btNewFOClick");
  EXPECT_EQ(RowOf("Two"), -1);
}

// The Start tab's scan buttons: a line index out of 1..112 refuses "Load Headers"; the warning
// switch turned off and on again shows boxes again.
TEST_F(FITSMaps, StartTabScanButtons) {
  TTabStart& S = Corvesta->StartTab();
  Corvesta->ShowPage("TabStart");
  QApplication::processEvents();
  S.edKuruczPath->SetText(root->File("FITS/2019_06/20190622_164505"));
  S.edIdx6302r->SetText("113");
  boxes->Clear();
  Fire("btFITS_HeadersClick");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Ошибка в числе!"_cp));
  EXPECT_TRUE(S.edIdx6302r->hasFocus());
  EXPECT_FALSE(Tab().CurLFITS && Tab().CurLFITS->Bit(1));
  S.edIdx6302r->SetText("100");
  Fire("btFITS_HeadersClick");
  ASSERT_TRUE(Tab().CurLFITS);
  EXPECT_EQ(Tab().CurLFITS->Count(), 24);
  // the warning switch
  const bool boxesBefore = Sayer->qBoxes;
  S.cbWarnAbs->SetChecked(false);
  Fire("cbWarnAbsClick");
  EXPECT_FALSE(Sayer->qBoxes);
  S.cbWarnAbs->SetChecked(true);
  Fire("cbWarnAbsClick");
  EXPECT_TRUE(Sayer->qBoxes);
  (void)boxesBefore;
}

// Space in the name column gives every map of that name one letter, each with its own session
// character; the next name gets the next free letter; other keys only warn.
TEST_F(FITSMaps, VariablesByTheSpaceKey) {
  Month();
  TTabFITS& T = Tab();
  TLFIOut& reg = LFIOReg();
  reg.ClearAll();
  const char* ses[][2] = {{"20190622", "164505"}, {"20190703", "081000"}, {"20190704", "090000"}};
  for (int i = 0; i < 3; ++i) {
    auto m = std::make_unique<TFIOut>();
    m->Name = "CONT";
    m->Da = ses[i][0];
    m->Ti = ses[i][1];
    m->kSoft = 1;
    m->DaNum = static_cast<char>('1' + i);
    reg.Add(std::move(m));
  }
  auto x = std::make_unique<TFIOut>();
  x->Name = "X";
  x->Da = ses[0][0];
  x->Ti = ses[0][1];
  x->DaNum = '1';
  reg.Add(std::move(x));
  Fire("btLFIO_UpDateClick");
  ASSERT_EQ(T.ngFIO->RowCount(), 4);
  platform::TFormEventArgs k;
  T.FIOCol = T.ngFIO->ColumnByName("GxFIO_Name")->Index();
  struct TKey {
    int Row;
    uint16_t Key;
    std::vector<std::string> Vars;  // of the four rows afterwards
  };
  const TKey keys[] = {{0, 0x20, {"A1", "A2", "A3", ""}},
                       {3, 'Q', {"A1", "A2", "A3", ""}},
                       {3, 0x20, {"A1", "A2", "A3", "B1"}}};
  for (const TKey& c : keys) {
    T.FIORow = c.Row;
    k.Key = c.Key;
    boxes->Clear();
    Fire("ngFIOKeyDown", k);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(FIO("GxFIO_Var", r), c.Vars[static_cast<size_t>(r)]) << r;
  }
  T.FIORow = 3;
  k.Key = 'Q';
  boxes->Clear();
  Fire("ngFIOKeyDown", k);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Нажат символ <Q>"_cp));
}

// "Load" of the refined set: only the maps whose name carries a variable, for the current
// session; each press moves the sessions grid one row down, so pressing again loads the next.
TEST_F(FITSMaps, LoadRefinedWalksTheSessions) {
  Corvesta->resize(1600, 900);
  Corvesta->ShowPage("TabFITS");
  QApplication::processEvents();
  TTabFITS& T = Tab();
  T.edFITSpath->SetText(root->File("FITS"));
  QApplication::processEvents();
  int i = 0;
  while (i < T.cbFITS_YM->ItemCount() && T.cbFITS_YM->Item(i) != "2019") ++i;
  T.cbFITS_YM->SetItemIndex(i);
  emit T.cbFITS_YM->activated(i);
  T.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(T.ngFITS_YM->RowCount(), 2) << mwtest::AllBoxes(*boxes);
  LFIOReg().ClearAll();
  // the first session's inversion-result maps ("ME" column), one of them given a variable
  platform::TFormEventArgs c;
  c.Col = T.ngFITS_YM->ColumnByName("GxFITS_ME")->Index();
  c.Row = 0;
  T.ngFITS_YMCellClick(c);
  Fire("btLoadAllClick");
  const int r = RowOf("Field_Strength");
  ASSERT_GE(r, 0) << mwtest::AllBoxes(*boxes);
  platform::TFormEventArgs k;
  T.FIOCol = T.ngFIO->ColumnByName("GxFIO_Name")->Index();
  T.FIORow = r;
  k.Key = 0x20;
  Fire("ngFIOKeyDown", k);
  EXPECT_EQ(FIO("GxFIO_Var", r).substr(0, 1), "A");
  T.FIORow = r;
  for (int press = 0; press < 2; ++press) {
    const int before = LFIOReg().Count();
    Fire("btLoadRefinedClick");
    EXPECT_EQ(T.YMRow, 1) << press;  // one row down, never past the last
    if (press == 1) {
      EXPECT_EQ(LFIOReg().Count(), before + 1);
    }
  }
  // the second session's map of that name, and only it, with the variable's letter
  int found = 0;
  for (const auto& m : LFIOReg().Items)
    if (FIOutAssigned(m.get()) && m->Da == "20190703") {
      ++found;
      EXPECT_EQ(m->Name, "Field_Strength");
      EXPECT_EQ(m->sVar.substr(0, 1), "A");
    }
  EXPECT_EQ(found, 1);
}

// The Test tab's "xxx": without a profile in CurI it says so; with one the fit sequence runs and
// reports after each step under the steps' titles.
TEST_F(FITSMaps, TheTestTabsFitSequence) {
  // no measurer: it is set up from the Test tab, which asks for the wing section first
  Scans().CurI.reset();
  boxes->Clear();
  Fire("bt_DHkClick");
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Запустите расчёт крыльев! (Кнопка \"Bi\")"_cp))
      << mwtest::AllBoxes(*boxes);
  ASSERT_TRUE(Scans().CurI);
  // with the wing crossings the fit window comes from them; still no profile: said, no fit
  TTabTest& TT = Corvesta->TestTab();
  TT.lbLeWi->SetCaption("20.4000");
  TT.lbRiWi->SetCaption("35.6000");
  boxes->Clear();
  Fire("bt_DHkClick");
  EXPECT_EQ(Scans().CurI->iB(), 22);
  EXPECT_EQ(Scans().CurI->iR(), 34);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "bt_DHkClick: в CurI нет профиля"_cp))
      << mwtest::AllBoxes(*boxes);
  TCurI& c = ScanCurI();
  TARe x(113, 0.0), y(113, 0.0);
  for (int p = 1; p <= 112; ++p) {
    x[static_cast<size_t>(p)] = p;
    const double d1 = (p - 28.0) / 3.5, d2 = (p - 74.0) / 3.5;
    y[static_cast<size_t>(p)] = 20000 * (1 - 0.6 * std::exp(-d1 * d1) - 0.7 * std::exp(-d2 * d2));
  }
  c.SetAXAY(x, y);
  c.gsInit(20000, 74, 3.5, 3.5);
  c.iB2 = 64;
  c.iR2 = 84;
  c.gs.La12 = 2;
  Scans().CurISet.MemoGSparam.Clear();
  Fire("bt_DHkClick");
  const TStringList& m = Scans().CurISet.MemoGSparam;
  std::string all;
  for (int i = 0; i < m.Count(); ++i) all += m[i] + "\n";
  for (const char* t : {" k3L6_2\n", " xDLoop\n", " bH6k3\n"})
    EXPECT_NE(all.find(t), std::string::npos) << t << "\n" << all << mwtest::AllBoxes(*boxes);
}

// "Auto FOs" runs every line of the root's "FO.txt" as the list loader keeps it (blanks
// removed, comments cut), a failing line not stopping it, the last line without a line end too.
TEST_F(FITSMaps, AutoFOsRunsTheRootsDefinitionFile) {
  Month();
  TTabFITS& T = Tab();
  Fire("btCONT_CV1Click");
  ClickSession();
  LFIOReg().ClearAll();
  testsupport::WriteFile(root->File("FITS/FO.txt"),
                         "! test list\nTwo = mul( CONT , 2 )  ! doubled\nBad=abs(NOPE)\n"
                         "$CB0=1\nLast=abs(CONT2)");
  Fire("btAutoFOClick");
  Fire("btLFIO_UpDateClick");
  EXPECT_GE(RowOf("Two"), 0) << mwtest::AllBoxes(*boxes);
  EXPECT_GE(RowOf("Last"), 0);
  EXPECT_EQ(RowOf("Bad"), -1);
  EXPECT_EQ(FIO("GxFIO_Writed", RowOf("Two")), "0");
  (void)T;
}

// RUN cancelled (as Esc does) saves nothing: the session keeps no own file and the case stays
// unmarked.
TEST_F(FITSMaps, ACancelledRunSavesNothing) {
  Month();
  TTabFITS& T = Tab();
  T.btRunFOs->Click();
  std::shared_ptr<TJob> job = T.Jobs.CurrentShared();
  ASSERT_TRUE(job);
  job->Cancel();
  T.Jobs.Wait();
  QApplication::processEvents();
  if (job->State() != TJobState::Cancelled) GTEST_SKIP() << "the run ended before the cancel";
  EXPECT_FALSE(std::filesystem::exists(
      sessions::SessionMapFile(T.Root(), "20190622_164505", 1)));
  EXPECT_EQ(T.cbFITSrunCase->Text(), "CONT");
}

// A stage job's maps are made off the registry: while the job is held, the window's registry is as
// it was; they enter it after the job, and a cancelled job leaves it as it was.
TEST_F(FITSMaps, StageMapsEnterTheRegistryAfterTheJob) {
  Month();
  TTabFITS& T = Tab();
  T.btRunFOs->Click();  // CONT
  T.Jobs.Wait();
  QApplication::processEvents();
  ClickSession();
  struct THookBack {
    fitsruns::TStageHook Saved = fitsruns::StageHooks()["23_CB0"];
    ~THookBack() { fitsruns::StageHooks()["23_CB0"] = Saved; }
  } back;
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "completed");
    LFIOReg().ClearAll();
    auto reached = std::make_shared<std::promise<bool>>();
    auto release = std::make_shared<std::promise<void>>();
    fitsruns::StageHooks()["23_CB0"] = [reached, release](TJob& J, fitsruns::TRunCtx&) {
      bool ok = true, number = false;
      foops::CalcFO("Cnt=mid(CONT,CONT2)", "20190622", "164505", ok, number);
      reached->set_value(LFIOReg().GetFIOutDT("20190622", "164505", "Cnt") != nullptr);
      release->get_future().wait();
      return !J.Cancelled();
    };
    T.cbFITSrunCase->SetText("23_CB0");
    T.btRunFOs->Click();
    std::shared_ptr<TJob> job = T.Jobs.CurrentShared();
    ASSERT_TRUE(job);
    auto f = reached->get_future();
    ASSERT_EQ(f.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(f.get());  // made in the job's own registry
    EXPECT_EQ(LFIOReg().Count(), 0);
    QApplication::processEvents();
    EXPECT_EQ(LFIOReg().Count(), 0);
    if (cancel) job->Cancel();
    release->set_value();
    T.Jobs.Wait();
    QApplication::processEvents();
    const std::string da = "20190622", ti = "164505";
    if (cancel) {
      EXPECT_EQ(LFIOReg().Count(), 0);
      EXPECT_EQ(RowOf("Cnt"), -1);
    } else {
      TFIOut* cnt = LFIOReg().GetFIOutDT(da, ti, "Cnt");
      ASSERT_TRUE(cnt);
      EXPECT_TRUE(LFIOReg().GetFIOutDT(da, ti, "CONT"));  // the operands loaded by the job
      EXPECT_GE(RowOf("Cnt"), 0);
      EXPECT_EQ(FIO("GxFIO_Writed", RowOf("Cnt")), "0");
    }
  }
}

}  // namespace
