// The GIF tab: scanned spectrograms measured with the mouse. The opened picture is shown on the
// shared ImageCORA (moved onto this sheet while it is shown), shifted by the mouse, the arrow
// buttons and keys or the origin fields, laid over a red-tinted fixed background; reference and
// guide lines; the message hook picks the levels and points over PanelGIF and writes them into
// the editor (app/cvHook.h). The pictures and their composition are headless in app/cvGIFPict.h.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "Corvesta/TabGIFForm.h"
#include "app/cvGIFPict.h"
#include "app/cvWinLink.h"
#include "mainwindow/CorvestaTab.h"

class QWidget;

class TTabGIF : public TFormTab<TabGIFForm>, public TGIFTabLink {
 public:
  explicit TTabGIF(TCorvesta& Shell);
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  TPageInput Input() override { return GIFPageInput(*this); }
  void Show() override { TabGIFShow(); }
  void Hide() override;
  void Exit() override { TabGIFExit(); }
  void Closing() override { SaveGIFTunes(); }

  void TabGIFShow();
  void TabGIFExit();
  // The scale edits into the keys "GIFkX", "GIFkY" of the "Pict" settings.
  void SaveGIFTunes();
  // The picture composed again at the origin and shown, with the reference and guide lines.
  void GIFRedraw();
  // The shell's resize: the picking panel follows the picture (the bitmaps keep their sizes).
  void ResizeGIFBitmaps(int32_t W, int32_t H);
  // Opens a picture as the open dialog's choice does (a name without "GIF" in its extension is
  // ignored).
  void OpenGIF(const std::string& FileName);

  // ---- the hook's link ----
  bool PointInPanelGIF() override;
  void GIFOrigXInc() override;
  void GIFOrigYInc() override;
  void GIFOrigXDec() override;
  void GIFOrigYDec() override;
  void CurrentMove() override;
  void DrawGIFGuideLines() override;
  // GIFCurX/Y (Pick), GIFPoint1..4 (the levels), GIFOrigX (OrigX), GIFBkX (MirrorX),
  // GIFLoadInfo (Comment).
  TGIFWork* GIFWork() override { return &Work; }

  TGIFWork Work;
  TGIFPictures Pics;
  int32_t OrigY = -5;  // GIFOrigY
  int32_t BkY = 0;     // GIFBkY
  int32_t GuideCount = 13;
  // The background colour (lbColorBk of the CoPi tab): the Pict key "clBk", else red.
  std::function<uint32_t()> BackColor;

  // ---- handlers ----
  void btCORAgifClick(TSender E);
  void edGIForigXExit(TSender E);
  void edGIForigYExit(TSender E);
  void btGIF_xLClick(TSender) { GIFOrigXInc(); }
  void btGIF_xRClick(TSender) { GIFOrigXDec(); }
  void btGIF_yDClick(TSender) { GIFOrigYDec(); }
  void btGIF_yUClick(TSender) { GIFOrigYInc(); }
  void btSetBackBMPClick(TSender E);
  void btFlipClick(TSender E);
  void btKGIF_1Click(TSender E);
  void btGIFyReperClick(TSender E);

 private:
  QWidget* imageHome_ = nullptr;  // where ImageCORA was before this sheet took it
  void ShowOrigin();
  void PaintOnImage();
  void ImageLine(int32_t Y, uint32_t Color);
  // An integer edit: its value, or the text Fallback written back when it is not one.
  int32_t IntEdit(platform::TEdit* E, int32_t Fallback, bool Write);
  void SyncPanel();
};
