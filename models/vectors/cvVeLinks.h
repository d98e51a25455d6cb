// Calls of the model vectors into the depth physics (models/physics): the density, the
// heights in km and the predefined function exp(-10^X). InstallDepthPhysics installs them; until
// then each stand-in says "<name> - функция пока недоступна".
#pragma once
#include "foundation/cvLink.h"

class TVEMO;

struct TVeLinks {
  // Fills the density vector RO of a model from its pressures and temperature.
  TLink<void(TVEMO& RO)> PRO{"PRO"};
  // Fills the height vector h (km) of a model with the given step in lg tau.
  TLink<void(TVEMO& H, double Step)> PHeightKM{"PHeightKM"};
  // Fills V with exp(-10^X) over its depth vector.
  TLink<void(TVEMO& V)> P_EXP_10Tau0{"P_EXP_10Tau0"};
};

TVeLinks& VeLinks();
