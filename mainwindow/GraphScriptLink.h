// The Texts tab's GRAPH scripts played on the CORA picture by the graphics player.
#pragma once
#include <string>

// Before the first play the device comes from "GRAD\graddev.dat" under the application root,
// drawing on the CORA picture; it is defined again whenever it was bound elsewhere since (the
// picture window's plotter shares the device, and gets it back after the play). The script sees
// the variable ROOT, the application root.
void PlayGraphOnCORA(const std::string& FileName);
void InstallGraphScriptLink();
