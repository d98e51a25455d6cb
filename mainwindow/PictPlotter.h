// The picture window shown and the plotter attached to it, for the tabs that draw curves there
// (the FITS tab's Stokes profiles, the Unno tab's profile, the Test tab's fits).
#pragma once

// The picture window shown, the plotter bound to it at the device's current scale; whether the
// plotter has a plot area.
bool ShowPictPlotter();
// ShowPictPlotter; false when it fails; without a current plot-area number, the current plot
// area's; true.
bool PrepPictPlotter();
