#include "mainwindow/Program.h"

#include "models/vectors/cvCalcContext.h"
#include "plotting/cvPLOT.h"

#include <QLocale>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "app/qt/QtAppHook.h"
#include "app/qt/QtInfWidget.h"
#include "app/services/cvServices.h"
#include "plotting/cvGRAD.h"
#include "plotting/qt/cvGRADQt.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "linedata/cvUpkeep.h"
#include "platform/FileErr.h"
#include "platform/MsgBox.h"
#include "platform/SysInfo.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/FTAnalize.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/PictLinks.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtCursor.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtMsgBox.h"
#include "platform/qt/QtTimer.h"

// ---------------------------------------------------------------- the application

TCvApplication::TCvApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  // Qt took the locale from the environment: numbers are written and read with "." whatever it
  // is, by the C library and by Qt's own number widgets.
  platform::UseCNumbers();
  QLocale::setDefault(QLocale::c());
}

bool TCvApplication::notify(QObject* Receiver, QEvent* Event) {
  // Every exception that leaves an event becomes the application's report; the loop goes on.
  std::string message;
  try {
    return QApplication::notify(Receiver, Event);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unknown exception";
  }
  const TSenderInfo I = SenderInfoOf(Receiver);
  if (App)
    App->AppException(&I, message);
  else
    std::cerr << message << "\n";
  return false;
}

// ---------------------------------------------------------------- start-up

std::vector<std::string>& StartupLog() {
  static std::vector<std::string> log;
  return log;
}

namespace {

void Note(const std::string& Step) { StartupLog().push_back(Step); }

void Step(const std::string& Name, std::function<void()> Run) {
  applinks::InitFrameSteps().push_back({Name, [Name, Run]() {
                                          Note("Init:" + Name);
                                          Run();
                                        }});
}

TInf* Panel() { return App ? App->Inf : nullptr; }

void BindPanelCodes() {
  TInf* I = Panel();
  if (!I) return;
  auto M = [](void (TCorvesta::*F)(TInfField*)) {
    return [F](TInfField* Fld) {
      if (Corvesta) (Corvesta->*F)(Fld);
    };
  };
  // Editor commands: the editor may be made anew, so each call looks it up.
  auto E = [](void (TcvEd::*F)()) {
    return [F](TInfField*) {
      if (EdAssigned(Ed)) (Ed->*F)();
    };
  };
  auto EF = [](void (TcvEd::*F)(TInfField*)) {
    return [F](TInfField* Fld) {
      if (EdAssigned(Ed)) (Ed->*F)(Fld);
    };
  };
  I->BindCmd("05", M(&TCorvesta::DoTest));
  I->BindCmd("06", M(&TCorvesta::DoTest));
  I->BindCmd("Wd", EF(&TcvEd::CurWordMode));
  I->BindCmd("IR", E(&TcvEd::ToggleInsert));
  I->BindCmd("Cd", E(&TcvEd::ToggleFont));
  I->BindCmd("RW", EF(&TcvEd::WritableMode));
  I->BindCmd("eC", E(&TcvEd::Reload));
  I->BindCmd("tG", E(&TcvEd::ShowTabBounds));
  I->BindCmd("sU", E(&TcvEd::TablSortUp));
  I->BindCmd("sD", E(&TcvEd::TablSortDown));
  I->BindCmd("tA", E(&TcvEd::TablAlign));
  I->BindCmd("jC", E(&TcvEd::JumpLineCol));
  for (const char* c : {"cC", "cB", "cL", "cR", "cs", "cT", "cP", "xI", "xE", "cN", "sX"})
    I->BindCmd(c, EF(&TcvEd::ColCommand));
  I->BindCmd("dG", [](TInfField*) {
    if (Corvesta) Corvesta->GrafTab().PlayGraphic();
  });
  // The picture window does not exist yet when this binds; showing its tools needs none.
  I->BindCmd("TG", [](TInfField*) { mainlinks::ShowPictureTools(); });
  I->BindCmd("xe", E(&TcvEd::ExcelExport));
  I->BindCmd("xi", E(&TcvEd::ClipboardTableImport));
  I->BindEdit("eX", EF(&TcvEd::EdColEdit));
  I->BindEdit("eY", EF(&TcvEd::EdLineEdit));
}

}  // namespace

void InstallInitSteps() {
  auto& steps = applinks::InitFrameSteps();
  steps.clear();
  Step("LVEMO", [] { mainlinks::RenewModelVectors(); });
  Step("MainWindow", [] {
    if (!Corvesta) return;
    Corvesta->DBTab().FillQueryList();
    Corvesta->DebugTab().LoadSayerTunes();
    Corvesta->COPITab().LoadPictColors();
  });
  Step("cvDirs", [] {
    cvDirsLoad();
    // the project's option files from the root's templates
    CopyOptionTemplates();
    // the quantity list and the conversion rules of the model vectors
    LoadVectorLists(CalcCtx());
  });
  Step("Ed", [] {
    delete Ed;
    Ed = new TcvEd();
  });
  Step("Inf", [] {
    if (!Corvesta) return;
    TInf::Init(App->Inf, Corvesta->InfStrip->Form(), "Terminal", nullptr, nullptr, 14, 2,
               FindNoCase(App->sRoot, "INI/inf.ini"));
    Corvesta->InfStrip->Attach(App->Inf);
  });
  Step("Bind", [] { BindPanelCodes(); });
  Step("Ed.Init", [] {
    if (!Corvesta || !Ed) return;
    TCorvesta* C = Corvesta;
    Ed->Init(C->FormHandle(), C->EdTab().MemoEd, C->Handle("edFile"), C->Handle("edReply"),
             C->Handle("edJS"), C->Handle("edIP"), C->Handle("edColCur"), C->Handle("lbKind"),
             C->Handle("lbWordN"), C->Handle("lbCurTT"), App->Filer.get(), App->Keyb.get(),
             App->TunCommon.get(), App->Inf,
             [] { if (Corvesta) Corvesta->EdTab().NoteEdReturnTab(); },
             [] { if (Corvesta) Corvesta->EdTab().ShowEdTab(); },
             [] { if (Corvesta) Corvesta->EdTab().OpenEdFile(); },
             [] { if (Ed) Ed->OpenLinked(); },
             [](const TEdStatus& S) { if (Corvesta) Corvesta->EdTab().EdStatusShow(S); });
  });
  Step("MEND", [] { LineDataInitStep(); });
  Step("ModelLists", [] { mainlinks::LoadModelSideLists(); });
  Step("TimeSup", [] { CreateTimeSup(); });
  Step("EE", [] {
    if (TInf* I = Panel()) I->LogStr("EE", "Проверка! 123"_cp);
  });
}

void CorvestaStartup(const TStartOptions& Options) {
  StartupLog().clear();
  // The units' objects; each computing library gets its services.
  InstallModelServices();
  InstallSynthesisServices();
  InstallScanServices();
  InstallPlotServices();
  EnsureGRAF();
  PlotterUnitInit();
  // the line data's makers first: the unit's start makes LLIDA and LILast through them
  InstallLineDataServices();
  cvDirsUnitStart();
  if (!MEND) CreateMEND();
  Note("units");
  // The main block.
  CreateDM();
  Note("DM");
  Corvesta = new TCorvesta();
  Note("Corvesta");
  mainlinks::CreateMapWindow(Corvesta);
  Note("FMap");
  FFiltr = new TFFiltr(Corvesta);
  Note("FFiltr");
  InstallInitSteps();
  try {
    if (Options.ExeFileName.empty())
      App->Init();
    else
      App->InitFromExe(Options.ExeFileName);
  } catch (const std::exception& e) {
    // The initialisation ends at the failing step; its report comes once the loop runs.
    const std::string message = e.what();
    QTimer::singleShot(0, qApp, [message]() {
      if (App) App->AppException(nullptr, message);
    });
  }
  Note("App.Init");
  InstallPictLinks();
  mainlinks::CreateToolWindows(Corvesta);
  Corvesta->GrafTab().AttachTool();
  FTAnalize = new TFTAnalize(Corvesta);
  Note("FPict/FPicTool/FTAnalize/FCalc");
  // OnMessage: the application's message hook; OnException: TCvApplication::notify.
  InstallQtAppHook();
  Note("events");
  if (Options.Show) {
    Corvesta->show();
    Note("show");
  }
}

void CorvestaShutdown() {
  // a job still running is cancelled and waited for before anything it may use goes
  if (Corvesta) Corvesta->Jobs.Shutdown();
  RemoveQtAppHook();
  FreeTimeSup();
  mainlinks::FreeWindows();
  if (Ed) Ed->Unbind();
  delete FFiltr;
  FFiltr = nullptr;
  delete FTAnalize;
  FTAnalize = nullptr;
  delete Corvesta;
  Corvesta = nullptr;
  delete Ed;
  Ed = nullptr;
  if (App) {
    delete App->Inf;
    App->Inf = nullptr;
  }
  delete cvDirs;
  cvDirs = nullptr;
  FreeDM();
  FreeMEND();
  FreePLOTTER();
  delete GRAF;
  GRAF = nullptr;
  cvDirsUnitEnd();
  if (Sayer) Sayer->CloseLog();
}

// ---------------------------------------------------------------- the program

int RunCorvesta(int Argc, char** Argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    std::cout << "Corvesta needs a display. Without one, run it under a virtual display:\n"
                 "  xvfb-run -a scripts/run\n";
    return 0;
  }
  TCvApplication app(Argc, Argv);
  platform::InstallQtGraphics();
  platform::InstallQtTimers();
  platform::InstallQtCursorServices();
  platform::InstallQtMsgBoxes();
  platform::InstallQtDialogs();
  InstallPlottingQt();
  // A box asked by a worker never opens: its text goes to the log.
  platform::SetOffThreadBoxHandler([](const std::string& Text, const std::string& Caption) {
    if (Sayer) Sayer->WriteLine(Caption + ": " + Text);
  });
  platform::InstallQtCursor();
  platform::InstallQtClipboard();

  CorvestaStartup(TStartOptions{});
  // Relative names (the home text's links, the folder the Texts tab lists) are taken from the
  // application root.
  if (App && !App->sRoot.empty()) {
    std::error_code ec;
    std::filesystem::current_path(platform::SysPath(App->sRoot), ec);
  }
  time_routine("main", true);
  const int rc = app.exec();
  time_routine("main", false);
  CorvestaShutdown();
  return rc;
}
