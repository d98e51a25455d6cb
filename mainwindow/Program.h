// The program: its Qt application (whose event loop reports every exception that leaves an
// event through the application's exception report), the start-up in the documented order and
// the shut-down that frees the globals in the reverse order.
#pragma once
#include <QApplication>
#include <string>
#include <vector>

class TCvApplication : public QApplication {
 public:
  TCvApplication(int& Argc, char** Argv);
  bool notify(QObject* Receiver, QEvent* Event) override;
};

struct TStartOptions {
  // The executable whose folder's parent is the application root (empty: the running one).
  std::string ExeFileName;
  // Show the main window at the end of the start-up.
  bool Show = true;
};

// The steps of the start-up as they ran: "units", "DM", "Corvesta", "FMap", "FFiltr",
// "App.Init", "FPict/FPicTool/FTAnalize/FCalc", "events", "show"; and the application's own
// initialisation steps, each as "Init:" + its name.
std::vector<std::string>& StartupLog();

// Installs the steps of the application's initialisation that follow its paths and settings
// (model vectors, the main window's lists and the sink's settings, the working-directory table,
// the editor, the panel and its code bindings, the editor's binding, the element table and the
// database, the model side's lists, the named timers, the panel's test text).
void InstallInitSteps();

// Creates the globals in order: the units' objects, the data module, the main window, the map
// and column-filter windows, the application's initialisation (an exception there is reported
// once the event loop runs, and the start-up goes on), the tool windows, the application's
// message hook. Needs a QApplication.
void CorvestaStartup(const TStartOptions& Options);
// Frees them in the reverse order (the windows, the editor, the panel, the timers, the tables).
void CorvestaShutdown();

// The whole program: start-up, the event loop inside the timing section "main", shut-down.
int RunCorvesta(int Argc, char** Argv);
