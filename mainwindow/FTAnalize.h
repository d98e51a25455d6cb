// The temperature-analysis window: a filled temperature vector (T, TEMP, TETA or TETA0) of the
// keeper, the brightness temperature of its model's continuum at a chosen line's wavelength, the
// theta shifts for a wanted Teff or continuum level, and Return, which applies the continuum's
// shift to the vector and recalculates the model as a job of the program's runner. The computing
// side is synthesis/drivers/cvTAnalize.h.
//
// Entry: OpenTAnalize (the VEMO tab's "T.." gives it the chosen row of its model-vector grid).
#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "FTAnalize/FTAnalizeForms.h"
#include "platform/qt/FormRegistry.h"

class TJob;
class TQtJobRunner;
class TVEMO;

class TFTAnalize : public QWidget, public FTAnalizeForms {
 public:
  explicit TFTAnalize(QWidget* Parent = nullptr);
  ~TFTAnalize() override;

  platform::TFormRegistry Registry;
  platform::THandlerRegistry Handlers;
  platform::TFormDispatcher Events{Registry, Handlers};

  // The analysed vector (set before the window is shown).
  TVEMO* VEMO = nullptr;
  // The runner of Return's job (nullptr: the main window's).
  TQtJobRunner* Runner = nullptr;
  // Run after Return's job has ended (the main window's model-vector grid refilled).
  std::function<void()> AfterReturn;

  // Appends the wavelengths of the keeper's lines not listed yet, selects the first, Refresh.
  void FillQLamb();
  void Refresh();

  void cbQLambChange();
  void btSetTCClick();
  void btCALC_byTeffClick();
  void btCALC_byCONTClick();
  void btVEMOReturnClick();

 private:
  TQtJobRunner& Jobs();
};

extern TFTAnalize* FTAnalize;

// "T.." of the VEMO tab for row Row (1-based, 0 none) of a grid of Count rows whose vector is V:
// the checks of the row and the vector, then the window gets V, fills its wavelength list and
// is shown. False (with the warning) when a check fails.
bool OpenTAnalizeRow(int32_t Row, int32_t Count, TVEMO* V);
// The same without the row checks.
bool OpenTAnalize(TVEMO* V);
