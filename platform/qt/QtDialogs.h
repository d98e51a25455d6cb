// Qt file, colour and font dialogs behind platform::AskOpenFile, AskColor and AskFont, and the
// dialog components that the form generator puts into the forms (TOpenDialog, TColorDialog).
#pragma once
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <string>

#include "platform/Dialogs.h"

namespace platform {

// Installs handlers that show a modal QFileDialog or QColorDialog over the active window. The
// file dialog accepts any name, existing or not; a chosen name that the program's code page
// cannot hold is refused with a message box and counts as cancelled. Asked from a thread other
// than the GUI thread, a dialog is written to standard error and counts as cancelled. Needs a
// QApplication.
void InstallQtDialogs();

// The Qt name filters of a filter text: "Texts|*.txt;*.dat|All|*" gives "Texts (*.txt *.dat)"
// and "All (*)". A description that already shows its masks in brackets is kept as it is; a
// description without masks is dropped.
QStringList QtNameFilters(const std::string& Filter);

// The dialog components of a form: owned by the form, registered by name, no place on screen.
class TFormOpenDialog : public QObject, public TOpenDialog {
 public:
  explicit TFormOpenDialog(QObject* Parent = nullptr) : QObject(Parent) {}
  int32_t Tag() const { return property("tag").toInt(); }
  void SetTag(int32_t T) { setProperty("tag", T); }
};

class TFormColorDialog : public QObject, public TColorDialog {
 public:
  explicit TFormColorDialog(QObject* Parent = nullptr) : QObject(Parent) {}
  int32_t Tag() const { return property("tag").toInt(); }
  void SetTag(int32_t T) { setProperty("tag", T); }
};

}  // namespace platform
