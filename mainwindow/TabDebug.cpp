#include "mainwindow/TabDebug.h"

#include "app/cvApp.h"
#include "app/cvCtrlUtil.h"
#include "foundation/cvFile.h"
#include "foundation/cvSayer.h"
#include "foundation/cvTunes.h"

TTabDebug::~TTabDebug() {
  if (SinkHooked_ && Sayer && Sayer->Hook) Sayer->HookOff();
}

// ---------------------------------------------------------------- settings of the sink

void TTabDebug::LoadSayerTunes() {
  if (!App || !App->TunCommon) return;
  TTunes& T = *App->TunCommon;
  const bool q = T.Flag("SayerQF");
  const std::string n = T.Get("SayerFName");
  if (q)
    Sayer->OpenLog(PathBelow(App->sProjDir, n));
  else
    Sayer->CloseLog();
  EdDbgFile->SetText(n);
  qDbgFileBusy = true;
  cbFile->SetChecked(q);
  qDbgFileBusy = false;

  cbMesBox->SetChecked(T.Flag("SayerQS"));
  cbMemo->SetChecked(T.Flag("SayerQI"));
  cbWarn->SetChecked(T.Flag("SayerQW"));
  cbFlush->SetChecked(T.Flag("SayerQU"));
  cbHead->SetChecked(T.Flag("SayerQH"));
  cbTime->SetChecked(T.Flag("SayerQT"));

  if (cbMesBox->Checked())
    Sayer->BoxesOn();
  else
    Sayer->BoxesOff();
  if (cbMemo->Checked()) {
    Sayer->SetHook([this](const std::string& Text, const std::string& Caption) {
      DbgMemoHook(Text, Caption);
    });
    SinkHooked_ = true;
  } else {
    Sayer->HookOff();
  }
  if (cbWarn->Checked())
    Sayer->WarnOn();
  else
    Sayer->WarnOff();
  if (cbTime->Checked())
    Sayer->PrefixOn();
  else
    Sayer->PrefixOff();
  if (cbHead->Checked())
    Sayer->CaptionOn();
  else
    Sayer->CaptionOff();
  if (cbFlush->Checked())
    Sayer->FlushEachOn();
  else
    Sayer->FlushEachOff();
  EdDbgFile->setVisible(cbFile->Checked());
}

void TTabDebug::DbgMemoHook(const std::string& Text, const std::string& Caption) {
  MemoDbg->AddLine(Caption.empty() ? Text : Caption + " " + Text);
}

void TTabDebug::ShowSayerSwitches() {}

// ---------------------------------------------------------------- the memo's wheel

void TTabDebug::DbgWheelUp() {
  int32_t L = 0, C = 0;
  MemoCaretPos(MemoDbg, L, C);
  if (L == 0) return;
  iDbgLine = L + 1;
  if (iDbgCol == 0) iDbgCol = C + 1;
  iDbgLine -= 3;
  const int32_t target = iDbgLine > 0 ? iDbgLine - 1 : L;
  int32_t col = iDbgCol > 0 ? iDbgCol - 1 : C;
  const int32_t len = static_cast<int32_t>(MemoDbg->Line(target).size());
  if (len < col + 1) col = len;
  MemoGotoLine(MemoDbg, target + 1, col + 1);
}

void TTabDebug::DbgWheelDown() {
  int32_t L = 0, C = 0;
  MemoCaretPos(MemoDbg, L, C);
  iDbgLine = L + 1;
  if (iDbgCol == 0) iDbgCol = C + 1;
  iDbgLine += 3;
  const int32_t target = iDbgLine - 1;
  int32_t col = iDbgCol > 0 ? iDbgCol - 1 : C;
  const int32_t len = static_cast<int32_t>(MemoDbg->Line(target).size());
  if (len < col + 1) col = len;
  MemoGotoLine(MemoDbg, target + 1, col + 1);
}
