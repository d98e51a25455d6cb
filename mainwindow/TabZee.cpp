#include "mainwindow/TabZee.h"

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvColor.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FormCells.h"
#include "platform/Dialogs.h"
#include "platform/qt/RichEdit.h"
#include "plotting/cvGRAD.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"
#include "synthesis/pictures/cvZeeTest.h"

// ---------------------------------------------------------------- selection routines

namespace rich {

void ToggleBold(platform::TRichEdit& R) { R.SetSelBold(!R.SelFormat().Bold); }
void ToggleItalic(platform::TRichEdit& R) { R.SetSelItalic(!R.SelFormat().Italic); }
void ToggleUnderline(platform::TRichEdit& R) { R.SetSelUnderline(!R.SelFormat().Underline); }

void SelSizeInc(platform::TRichEdit& R) { R.SetSelSize(std::abs(R.SelFormat().Size) + 1); }
void SelSizeDec(platform::TRichEdit& R) { R.SetSelSize(std::abs(R.SelFormat().Size) - 1); }

void SelToggleSymbol(platform::TRichEdit& R) {
  if (R.SelFormat().Name == "Symbol")
    R.SetSelFontName(R.OwnFontName());
  else
    R.SetSelFontName("Symbol");
}

std::string FormatReport(const platform::TRichEdit& R) {
  const platform::TRichCharFormat f = R.SelFormat();
  std::string style;
  auto add = [&style](bool On, const char* Name) {
    if (On) style += std::string(style.empty() ? "" : ",") + Name;
  };
  add(f.Bold, "fsBold");
  add(f.Italic, "fsItalic");
  add(f.Underline, "fsUnderline");
  add(f.StrikeOut, "fsStrikeOut");
  const char* offset = f.VAlign == 1 ? "SubScript" : f.VAlign == 2 ? "SuperScript" : "Normal";
  return "SelLength=" + IntStr(R.SelLength()) + "\r\nSelStart=" + IntStr(R.SelStart()) +
         "\r\nName=" + f.Name + "\r\nSize=" + IntStr(f.Size) +
         "\r\nHeight=" + IntStr(-static_cast<int32_t>(std::lround(f.Size * 96.0 / 72))) +
         "\r\nWeight=" + IntStr(f.Weight) + "\r\nStyle=[" + style + "]" + "\r\nOffset=" + offset +
         "\r\nAlignment=" + f.Alignment + "\r\nColor=" + ColorName(f.Color) +
         "\r\nBackColor=" + ColorName(f.BackColor);
}

platform::TRichEdit* Focused() {
  return dynamic_cast<platform::TRichEdit*>(QApplication::focusWidget());
}

}  // namespace rich

// ---------------------------------------------------------------- the tab

void TTabZee::RegisterHandlers(platform::THandlerRegistry& H) {
  TFormTab::RegisterHandlers(H);
  CV_HANDLER(H, btZeeTestClick);
  CV_HANDLER(H, btSetZeePictSizeClick);
  CV_HANDLER(H, btSetHFSdLamClick);
  CV_HANDLER(H, btRTFboldClick);
  CV_HANDLER(H, btRTFitalicClick);
  CV_HANDLER(H, btRTFunderlineClick);
  CV_HANDLER(H, btRTFincSizeClick);
  CV_HANDLER(H, btRTFdecSizeClick);
  CV_HANDLER(H, btRTFgreekClick);
  CV_HANDLER(H, btRTFcourierClick);
  CV_HANDLER(H, btRTFsubscriptClick);
  CV_HANDLER(H, btRTFsuperscriptClick);
  CV_HANDLER(H, btRTFreportClick);
  CV_HANDLER(H, btFontDialogClick);
}

void TTabZee::Show() {
  Shell.TabControlsSetDirs();
  Shell.UpDateButtons();
}

void TTabZee::btZeeTestClick(TSender) {
  double dlam = 0;
  if (ZeeHFSdLamSet && !formcells::ReadReal(edHFSdLam->Text(), dlam)) dlam = 0;
  ZeeHFSdLamSet = false;
  if (!FPict) return;
  FPict->ShowWindow();
  // the layout fields as the test reads them (a bad one becomes "4")
  std::string inRow = edZeeInRow->Text(), rows = edZeeInColumn->Text(), pen = edLineThickness->Text();
  const int32_t r1 = ZeeLayoutField(inRow), r2 = ZeeLayoutField(rows), r3 = ZeeLayoutField(pen);
  edZeeInRow->SetText(inRow);
  edZeeInColumn->SetText(rows);
  edLineThickness->SetText(pen);
  cvDirs->CheckByTPL("ZEE", "CTRL");
  const std::string ctrl = cvDirList("ZEE", "CTRL"), res = cvDirList("ZEE", "RES");
  ForceFileDir(res);
  auto out = std::make_shared<TZeeTestResult>();
  auto job = std::make_shared<TJob>("ZeeTest");
  Shell.StartDBJob(
      job,
      [ctrl, res, dlam, out](TJob& J, TDM&) { ZeeTestRun(J, ctrl, res, dlam, *out); },
      [this, out, r1, r2, r3](TJob& J) {
        Shell.UpDateButtons();  // the result file's button once the file is there
        if (J.State() != TJobState::Done || !FPict) return;
        // the patterns take the picture window: the plotter stops drawing its graphs there
        FPict->State().StopPlotter();
        FPict->State().ZEE = true;
        FPict->SyncSize();
        TGRAF G;
        ZeeTestDraw(G, FPict->Buffer().Canvas(), *out, r1, r2, r3);
        ZeePanelsDrawn = static_cast<int32_t>(out->Panels.size());
        FPict->update();
      },
      false);
}

void TTabZee::btSetZeePictSizeClick(TSender E) {
  int32_t w = 0, h = 0;
  if (!formcells::ReadInt(edFPictW->Text(), w) || !formcells::ReadInt(edFPictH->Text(), h)) return;
  if (!FPict) return;
  FPict->ShowWindow();
  FPict->State().SetPictSize(w, h);
  btZeeTestClick(E);
}

void TTabZee::btSetHFSdLamClick(TSender E) {
  ZeeHFSdLamSet = true;
  btZeeTestClick(E);
}

void TTabZee::btRTFboldClick(TSender) { rich::ToggleBold(*RTF); }
void TTabZee::btRTFitalicClick(TSender) { rich::ToggleItalic(*RTF); }
void TTabZee::btRTFunderlineClick(TSender) { rich::ToggleUnderline(*RTF); }
void TTabZee::btRTFincSizeClick(TSender) { rich::SelSizeInc(*RTF); }
void TTabZee::btRTFdecSizeClick(TSender) { rich::SelSizeDec(*RTF); }
void TTabZee::btRTFgreekClick(TSender) { rich::SelToggleSymbol(*RTF); }
void TTabZee::btRTFcourierClick(TSender) { RTF->SetSelFontName("Courier"); }
void TTabZee::btRTFsubscriptClick(TSender) { RTF->SetSelVAlign(1); }
void TTabZee::btRTFsuperscriptClick(TSender) { RTF->SetSelVAlign(2); }

void TTabZee::btRTFreportClick(TSender) { WARNAbs(rich::FormatReport(*RTF)); }

void TTabZee::btFontDialogClick(TSender) {
  const platform::TRichCharFormat f = RTF->SelFormat();
  platform::TFontDialog D;
  D.Font.Name = f.Name;
  D.Font.Size = f.Size;
  D.Font.Color = f.Color;
  D.Font.Style = static_cast<uint8_t>((f.Bold ? platform::fsBold : 0) | (f.Italic ? platform::fsItalic : 0) |
                                      (f.Underline ? platform::fsUnderline : 0) |
                                      (f.StrikeOut ? platform::fsStrikeOut : 0));
  D.Execute();  // a cancel leaves the font it opened with, which is applied all the same
  RTF->SetSelFontName(D.Font.Name);
  RTF->SetSelSize(D.Font.Size);
  RTF->SetSelColor(D.Font.Color);
  RTF->SetSelBold(D.Font.Style & platform::fsBold);
  RTF->SetSelItalic(D.Font.Style & platform::fsItalic);
  RTF->SetSelUnderline(D.Font.Style & platform::fsUnderline);
}
