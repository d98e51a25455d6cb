// The Debug tab: the message sink's switches (read from and stored in the Common settings set),
// the trace mask in base 2 and hexadecimal, the log file, and the memo that shows the sink's
// messages (a job's warnings too, handed over to the window's thread); the mouse wheel over the
// memo moves three lines a step.
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
  void RegisterHandlers(platform::THandlerRegistry& H) override;

  void MemoDbgClick(TSender E);
  void cbMesBoxClick(TSender E);
  void cbMemoClick(TSender E);
  void cbFileClick(TSender E);
  void cbWarnClick(TSender E);
  void cbFlushClick(TSender E);
  void cbHeadClick(TSender E);
  void cbTimeClick(TSender E);
  void edIOHexChange(TSender E);
  void edIOHexExit(TSender E);
  void edIOHexKeyDown(TSender E);
  void btWINdbgClick(TSender E);
  void btDOSdbgClick(TSender E);
  void btShowFileClick(TSender E);
  void btClearMemoClick(TSender E);
  void btRUNClick(TSender E);

  // The caret line and column the wheel keeps (1-based; 0 before the first turn).
  int32_t iDbgLine = 0, iDbgCol = 0;
  // Set while LoadSayerTunes sets the file box (its change is not the user's).
  bool qDbgFileBusy = false;

 private:
  // The memo as the sink's output (on) or not.
  void HookMemo(bool On);
  // A switch's key in the Common set: "1" while on, removed otherwise.
  void StoreFlag(const char* Key, bool On);
  bool SinkHooked_ = false;
  bool maskBusy_ = false;
};
