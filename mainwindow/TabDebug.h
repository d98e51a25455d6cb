// The Debug tab: the message sink's switches (read from the Common settings set) and the memo
// that shows the sink's messages; the mouse wheel over the memo moves three lines a step.
#pragma once
#include <cstdint>
#include <string>

#include "Corvesta/TabDebugForm.h"
#include "mainwindow/CorvestaTab.h"

class TTabDebug : public TFormTab<TabDebugForm> {
 public:
  explicit TTabDebug(TCorvesta& Shell) : TFormTab(Shell) {}
  ~TTabDebug() override;

  // Settings of the message sink from the Common set (switches, log file, the tab's boxes).
  void LoadSayerTunes();
  // Adds a line of the message sink to MemoDbg.
  void DbgMemoHook(const std::string& Text, const std::string& Caption);
  void DbgWheelUp();
  void DbgWheelDown();
  // The switches shown from the sink's state (with the Project and Debug tabs).
  void ShowSayerSwitches();
  void Show() override { ShowSayerSwitches(); }

  // The caret line and column the wheel keeps (1-based; 0 before the first turn).
  int32_t iDbgLine = 0, iDbgCol = 0;
  // Set while LoadSayerTunes sets the file box (its change is not the user's).
  bool qDbgFileBusy = false;

 private:
  bool SinkHooked_ = false;
};
