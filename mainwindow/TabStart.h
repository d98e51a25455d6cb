// The Start tab: the backup of the line database to the autosave folder and its restore from the
// newest one. The restore runs as a job on a worker thread (progress in "UM", Esc cancels, the
// database stays as it was when cancelled). Its line-list buttons and utilities come with the
// issues that build them.
#pragma once
#include <memory>

#include "Corvesta/TabStartForm.h"
#include "app/qt/QtJobRunner.h"
#include "mainwindow/CorvestaTab.h"

class TTabStart : public TFormTab<TabStartForm> {
 public:
  explicit TTabStart(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;

  void btAutoSaveClick(TSender E);
  void btAutoLoadClick(TSender E);

  // The runner of the tab's jobs.
  TQtJobRunner Jobs;
};
