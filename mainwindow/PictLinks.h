// The picture window and tool for the main window: the start-up's links that make, show and end
// them, and the plotting services they need of the program (settings "Common", the editor).
#pragma once

void InstallPictLinks();
