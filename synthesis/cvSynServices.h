// The synthesis layer's services object: what the library needs of the program around it (the
// current quest, the Unno tab's reference wavelength of the profile lists) and the values it
// reads of the calculation state CONT. The start-up routine fills it
// (InstallSynthesisServices); tests make fresh ones (ResetSynthesisServices). The library never
// reaches the application frame or the window itself.
#pragma once
#include <functional>
#include <string>

#include "foundation/cvLink.h"

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
  // The text of the Unno tab's field edLam0_for_Pu: a wavelength subtracted from absolute
  // wavelengths while trace channel 28 is on (empty without the tab).
  TLink<std::string()> Lam0ForPu{"Corvesta.edLam0_for_Pu", TLinkLoudness::Silent};
  // The calculation state's values.
  TSynCalcState Calc;
};

// The services of the running program (or of the test).
TSynthesisServices& Synthesis();
// Fresh services (tests).
void ResetSynthesisServices();
