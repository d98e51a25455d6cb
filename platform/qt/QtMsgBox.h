// Modal Qt message boxes behind platform::ShowMsgBox.
#pragma once

namespace platform {

// Installs a handler that shows every box as a modal QMessageBox over the active window
// (texts converted from code page 1251 to UTF-8). Needs a QApplication.
void InstallQtMsgBoxes();

}  // namespace platform
