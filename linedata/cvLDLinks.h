// Narrow links of the line-data layer to the windows around it: progress into the panel field
// "UM", lists shown in the editor, the editor opened at a file's failing line, and the Start
// tab's wavelength range fields. Each is a replaceable hook; tests install recording ones.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

class TStringList;

namespace ldlinks {

// Progress text for the panel field "UM". Default: written into App->Inf (when there is a
// panel) and the panel redrawn.
using TProgressHook = std::function<void(const std::string& Text)>;
TProgressHook& ProgressHook();
void Progress(const std::string& Text);

// A list shown in the text editor under a title. Default: the editor Ed (EdLoadSL), or the
// not-available warning when there is no editor.
using TShowListHook = std::function<void(const std::string& Title, const TStringList& List)>;
TShowListHook& ShowListHook();
void ShowList(const std::string& Title, const TStringList& List);

// Opens a file in the editor at a line and position with a message. Default: CILErrToEditor.
using TOpenAtHook = std::function<void(const std::string& Text, const std::string& FileName,
                                       int32_t LineNo, int32_t Pos)>;
TOpenAtHook& OpenAtHook();
void OpenAt(const std::string& Text, const std::string& FileName, int32_t LineNo, int32_t Pos);

// The Start tab's fields "LAMB от" (edLamb1) and "LAMB до" (edLamb2): their texts and the focus.
// Installed by the main window; without it GetLambFromTo reports that it is not available.
struct TLambFields {
  std::function<std::string()> FromText;
  std::function<std::string()> ToText;
  std::function<void()> FocusFrom;
  std::function<void()> FocusTo;
};
TLambFields& LambFields();

// Back to the defaults (tests).
void ResetAll();

}  // namespace ldlinks
