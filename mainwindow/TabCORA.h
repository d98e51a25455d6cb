// The CORA tab: the frame sequence the CoPi tab described (synthesis/pictures/cvCora.h), drawn on
// ImageCORA from the profile list, animated back and forth by the shell's ViewTimer (the end
// frames twice), stepped by hand, saved as an animated GIF (frames drawn here, encoded by a job
// into a temporary copy renamed at the end), and single profiles of the list added to the
// picture in millimetre scale. ImageCORA is shared: the GIF and Unno tabs borrow it
// (PlaceImageCORA) and this tab takes it back when shown. A description opened from the Texts
// tab (the link "TCORA.ReadAndDrow") is read and drawn, or animated, at once.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Corvesta/TabCORAForm.h"
#include "app/cvWinLink.h"
#include "mainwindow/CorvestaTab.h"
#include "plotting/gif/cvDib.h"
#include "synthesis/pictures/cvCora.h"

class TTabCORA : public TFormTab<TabCORAForm>, public TCORATabLink {
 public:
  explicit TTabCORA(TCorvesta& Shell) : TFormTab(Shell) {}
  ~TTabCORA() override;
  TPageInput Input() override { return CORAPageInput(*this); }
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabCORAShow(); }
  // The animation timer on or off (Esc on the tab: off, and a frame series stops).
  void SetViewTimer(bool On) override;

  // The shared picture moved into Host's layout (its parent when the host has no layout).
  void PlaceImageCORA(QWidget* Host);

  void TabCORAShow();
  // The description file read and its first frame drawn, or its animation started.
  void ReadAndDrow(const std::string& FileName);
  // Frame J of the sequence drawn on ImageCORA and shown in lbKadr; false when a plot could not
  // be drawn (the timer stops then).
  bool DrawCurrent();
  // The chosen profile added to the picture (millimetre scale only).
  void PicCORAShow();
  // Frames drawn one after another on ImageCORA in Order, each kept as a picture; stops early
  // (Stopped) on Esc. Progress in the panel's "UM".
  std::vector<TDib> DrawFrames(const std::vector<int32_t>& Order, bool& Stopped);
  // The GIF file of the quest.
  std::string GifFileName() const;

  std::unique_ptr<TCORA> CurCORA;

  // ---- handlers ----
  void ViewTimerTimer(TSender E);
  void btCORAClick(TSender E);
  void btCORAPrintClick(TSender E);
  void btCORAClearClick(TSender E);
  void btTimerClick(TSender E);
  void btTimLClick(TSender E);
  void btTimRClick(TSender E);
  void btSaveGIFClick(TSender E);
  void btCORAAddClick(TSender E);
  void btCORAleftClick(TSender E);
  void btCORArightClick(TSender E);
  void ImageCORAMouseMove(TSender E);

 private:
  TCORA& Cora();
  void ShowKadr();
  // The timer started at the sequence's interval; false (with a message) when out of range.
  bool StartTimer();
  bool stop_ = false;
  bool drawing_ = false;
};
