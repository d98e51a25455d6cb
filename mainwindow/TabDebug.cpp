#include "mainwindow/TabDebug.h"

#include <QMetaObject>
#include <QThread>

#include "app/cvApp.h"
#include "app/cvCtrlUtil.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "platform/Dialogs.h"
#include "platform/FileErr.h"
#include "platform/Memo.h"
#include "platform/qt/QtDialogs.h"

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
  HookMemo(cbMemo->Checked());
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
  const std::string line = Caption.empty() ? Text : Caption + " " + Text;
  if (QThread::currentThread() == MemoDbg->thread()) {
    MemoDbg->AddLine(line);
    return;
  }
  // a job's thread: the line is added on the window's thread (dropped with the memo)
  platform::TMemo* memo = MemoDbg;
  QMetaObject::invokeMethod(memo, [memo, line] { memo->AddLine(line); }, Qt::QueuedConnection);
}

void TTabDebug::HookMemo(bool On) {
  if (On) {
    Sayer->SetHook([this](const std::string& Text, const std::string& Caption) {
      DbgMemoHook(Text, Caption);
    });
    Sayer->qHookJobs = true;
    SinkHooked_ = true;
  } else {
    Sayer->HookOff();
    Sayer->qHookJobs = false;
  }
}

void TTabDebug::StoreFlag(const char* Key, bool On) {
  if (App && App->TunCommon) App->TunCommon->SetFlag(Key, On);
}

void TTabDebug::ShowSayerSwitches() {
  if (!Sayer) return;
  cbMesBox->SetChecked(Sayer->qBoxes);
  cbMemo->SetChecked(Sayer->qHook);
  qDbgFileBusy = true;
  cbFile->SetChecked(Sayer->qLog);
  qDbgFileBusy = false;
  cbWarn->SetChecked(Sayer->qWarn);
  cbFlush->SetChecked(Sayer->qFlushEach);
  cbHead->SetChecked(Sayer->qCaption);
  cbTime->SetChecked(Sayer->qPrefix);
  maskBusy_ = true;
  edIO->SetText(IntBin(static_cast<uint32_t>(TraceMask)));
  edIOHex->SetText(HexInt8(static_cast<uint32_t>(TraceMask)));
  maskBusy_ = false;
  EdDbgFile->setVisible(cbFile->Checked());
  EdDbgFile->SetText(Sayer->LogName);
}

// ---------------------------------------------------------------- the switches

void TTabDebug::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, MemoDbgClick);
  CV_HANDLER(H, cbMesBoxClick);
  CV_HANDLER(H, cbMemoClick);
  CV_HANDLER(H, cbFileClick);
  CV_HANDLER(H, cbWarnClick);
  CV_HANDLER(H, cbFlushClick);
  CV_HANDLER(H, cbHeadClick);
  CV_HANDLER(H, cbTimeClick);
  CV_HANDLER(H, edIOHexChange);
  CV_HANDLER(H, edIOHexExit);
  CV_HANDLER(H, edIOHexKeyDown);
  CV_HANDLER(H, btWINdbgClick);
  CV_HANDLER(H, btDOSdbgClick);
  CV_HANDLER(H, btShowFileClick);
  CV_HANDLER(H, btClearMemoClick);
  CV_HANDLER(H, btRUNClick);
}

void TTabDebug::MemoDbgClick(TSender) {
  int32_t L = 0, C = 0;
  MemoCaretPos(MemoDbg, L, C);
  iDbgLine = L + 1;
  iDbgCol = C + 1;
}

void TTabDebug::cbMesBoxClick(TSender) {
  if (cbMesBox->Checked())
    Sayer->BoxesOn();
  else
    Sayer->BoxesOff();
  StoreFlag("SayerQS", cbMesBox->Checked());
  ShowSayerSwitches();
}

void TTabDebug::cbMemoClick(TSender) {
  HookMemo(cbMemo->Checked());
  StoreFlag("SayerQI", cbMemo->Checked());
  ShowSayerSwitches();
}

void TTabDebug::cbFileClick(TSender) {
  if (qDbgFileBusy) return;
  qDbgFileBusy = true;
  if (cbFile->Checked()) {
    platform::TOpenDialog& D = *Shell.OpenDialog;
    D.FileName = Sayer->LogName;
    if (D.Execute())
      Sayer->OpenLog(D.FileName);
    else
      Sayer->CloseLog();
  } else {
    Sayer->CloseLog();
  }
  if (App && App->TunCommon) App->TunCommon->Set("SayerFName", Sayer->LogName);
  StoreFlag("SayerQF", Sayer->qLog);
  ShowSayerSwitches();
  qDbgFileBusy = false;
}

void TTabDebug::cbWarnClick(TSender) {
  if (cbWarn->Checked())
    Sayer->WarnOn();
  else
    Sayer->WarnOff();
  StoreFlag("SayerQW", cbWarn->Checked());
  ShowSayerSwitches();
}

void TTabDebug::cbFlushClick(TSender) {
  if (cbFlush->Checked())
    Sayer->FlushEachOn();
  else
    Sayer->FlushEachOff();
  StoreFlag("SayerQU", cbFlush->Checked());
  ShowSayerSwitches();
}

void TTabDebug::cbHeadClick(TSender) {
  if (cbHead->Checked())
    Sayer->CaptionOn();
  else
    Sayer->CaptionOff();
  StoreFlag("SayerQH", cbHead->Checked());
  ShowSayerSwitches();
}

void TTabDebug::cbTimeClick(TSender) {
  if (cbTime->Checked())
    Sayer->PrefixOn();
  else
    Sayer->PrefixOff();
  StoreFlag("SayerQT", cbTime->Checked());
  ShowSayerSwitches();
}

// Hexadecimal digits only, at most eight, at most 7FFFFFFF; anything else brings the current
// mask back into the field. A good text sets the mask and the binary field; the field itself
// keeps what is typed (so the next key goes on it) until it is left or Enter is pressed.
void TTabDebug::edIOHexChange(TSender) {
  if (maskBusy_) return;
  const std::string t = edIOHex->Text();
  uint64_t v = 0;
  bool ok = t.size() <= 8;
  for (char c : t) {
    const char u = c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
    if (u >= '0' && u <= '9')
      v = v * 16 + static_cast<uint64_t>(u - '0');
    else if (u >= 'A' && u <= 'F')
      v = v * 16 + static_cast<uint64_t>(u - 'A' + 10);
    else
      ok = false;
  }
  if (!ok || v > 0x7FFFFFFFu) {
    maskBusy_ = true;
    edIOHex->SetText(HexInt8(static_cast<uint32_t>(TraceMask)));
    maskBusy_ = false;
    return;
  }
  TraceMask = static_cast<int32_t>(v);
  maskBusy_ = true;
  edIO->SetText(IntBin(static_cast<uint32_t>(TraceMask)));
  maskBusy_ = false;
}

// Leaving the field or Enter: both mask fields in their standard form.
void TTabDebug::edIOHexExit(TSender) { ShowSayerSwitches(); }

void TTabDebug::edIOHexKeyDown(TSender E) {
  if (E.Key == platform::vk::Return) ShowSayerSwitches();
}

void TTabDebug::btWINdbgClick(TSender) {
  MemoDbg->SetFont(MemoDbg->FontName(), 204, MemoDbg->FontHeight());
}

void TTabDebug::btDOSdbgClick(TSender) {
  MemoDbg->SetFont(MemoDbg->FontName(), 255, MemoDbg->FontHeight());
}

void TTabDebug::btShowFileClick(TSender) {
  MemoDbg->SetLines({});
  const std::string name = Sayer->LogName;
  if (TrimSp(name).empty()) {
    WARNAbs("Имя фйала протокола ошибок не задано!"_cp);
    return;
  }
  Sayer->CloseLog();
  std::vector<std::string> lines;
  const std::string file = EdDbgFile->Text();
  if (platform::IsRegularFile(file)) {
    TTextFile F;
    TxtOpen(F, 0, file);
    while (!F.Eof()) lines.push_back(F.ReadLn());
    F.Close();
  }
  MemoDbg->SetLines(lines);
  Sayer->OpenLog(name);
}

void TTabDebug::btClearMemoClick(TSender) { MemoDbg->SetLines({}); }

void TTabDebug::btRUNClick(TSender E) { Shell.ProjTab().btRUNClick(E); }

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
