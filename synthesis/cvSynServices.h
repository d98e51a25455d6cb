// The synthesis layer's services object: what the library needs of the program around it (the
// current quest, the Unno tab's reference wavelength of the profile lists) and the values it
// reads of the calculation state CONT. The start-up routine fills it
// (InstallSynthesisServices); tests make fresh ones (ResetSynthesisServices). The library never
// reaches the application frame or the window itself.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/cvLink.h"
#include "foundation/cvTy.h"

class TUNNO;

// What the profile code reads of the calculation state CONT. Without a provider each value is
// that of a fresh state.
struct TSynCalcState {
  // CONT.ConstVD: one Doppler shift for all depths (a fresh state: true).
  std::function<bool()> ConstVD;

  bool ConstantVelocity() const { return ConstVD ? ConstVD() : true; }
};

struct TSynthesisServices {
  // The application's current quest (App.sQuest); new profiles take it.
  TLink<std::string()> Quest{"App.sQuest", TLinkLoudness::Silent};
  // Sets it (a run puts the quest it found back on every exit).
  TLink<void(const std::string& Quest)> SetQuest{"App.sQuest :=", TLinkLoudness::Silent};
  // The main window shows the message sink's switches (after a run read its option file).
  TLink<void()> ShowSayerSwitches{"TCorvesta.ShowSayerSwitches", TLinkLoudness::Silent};
  // The current project's name (App.sProject), for messages.
  TLink<std::string()> ProjectName{"App.sProject", TLinkLoudness::Silent};
  // The text of the Unno tab's field edLam0_for_Pu: a wavelength subtracted from absolute
  // wavelengths while trace channel 28 is on (empty without the tab).
  TLink<std::string()> Lam0ForPu{"Corvesta.edLam0_for_Pu", TLinkLoudness::Silent};
  // A reader's error: the file opened in the editor at the failing line and position.
  TLink<void(const std::string& Text, const std::string& FileName, int32_t LineNo, int32_t Pos)>
      OpenAt{"CILErrToEditor", TLinkLoudness::Silent};
  // The label of a line (element, stage and wavelength found by its Id); the stand-in gives
  // the Id and the wavelength.
  TLink<std::string(const std::string& LineId, double Lamb)> LineLabel{"GetATNILA",
                                                                       TLinkLoudness::Silent};
  // The wavelength-point kernels the fixed-grid driver calls (the transfer side installs
  // them): the start depths of every point of a profile's grid (aSEX0: UL in, X00 out, same
  // length), and the advance of point i's Stokes vector from output depth X0 to X1 with start
  // depth X00 (PLAM; it also sets the profile's CONT and Teff at X1).
  TLink<void(const TARe& UL, TARe& X00)> StartDepths{"aSEX0"};
  TLink<void(int32_t I, TUNNO& U, double X0, double X1, double X00)> AdvancePoint{"PLAM"};
  // Every point of a profile advanced at once (PLAMAll: the same results as AdvancePoint point
  // by point; Finished(n) gives the points done, false stops): 1 done, 2 stopped, 0 nothing done
  // (the caller then goes point by point).
  TLink<int32_t(TUNNO& U, double X0, double X1, const TARe& X00,
                const std::function<bool(int32_t)>& Finished)>
      AdvanceAll{"PLAMAll", TLinkLoudness::Silent};
  // The accuracy settings of the current combination into CONT.SETX (VariLoadEps).
  TLink<void()> LoadAccuracy{"VariLoadEps", TLinkLoudness::Quiet};
  // The project setting "AppendResults" of section "Common": a synthesis appends to its result
  // file instead of rewriting it (without the setting: false).
  TLink<bool()> AppendResults{"TTunes.Flag(AppendResults)", TLinkLoudness::Silent};
  // The main window's file buttons refreshed after a synthesis (nothing without the window).
  TLink<void()> UpDateButtons{"TCorvesta.UpDateButtons", TLinkLoudness::Silent};
  // The threads a synthesis grid runs its combinations on: 0 every core, 1 one after the other
  // (the results are the same); below 0 the program's setting GridSetting decides.
  int32_t GridThreads = -1;
  // The project setting "GridThreads" of section "Common" (without the setting: 0).
  TLink<int32_t()> GridSetting{"TTunes.GetIntDef(GridThreads)", TLinkLoudness::Silent};
  // The calculation state's values.
  TSynCalcState Calc;
};

// The services of the running program (or of the test).
TSynthesisServices& Synthesis();
// Fresh services (tests).
void ResetSynthesisServices();
