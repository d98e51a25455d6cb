// Narrow links from the application frame to code that is not built yet: replaceable hooks
// (values in, results out) with stand-ins that say clearly that the function is not available
// yet, and holders for the program-wide lists of the profile, variator and line subsystems.
// The code that provides a function installs its hook here; nothing else changes. Hooks are
// reached through functions (safe to install from any start-up code); an empty hook means the
// stand-in.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Classes of subsystems built later; here they are only names.
class TLUNNO;     // profile list

// Program-wide lists made at start (see cvDirsUnitStart): nullptr until their subsystem
// installs a maker in applinks. (The variator list LVARI and the width variator VARIWHM belong
// to the model layer: models/cvModServices.h.)
extern TLUNNO* LUNNO;

namespace applinks {

// The text a stand-in shows: Name + " - функция пока недоступна".
std::string NotAvailableText(const std::string& Name);
// Shows NotAvailableText(Name) through WARNAbs.
void NotAvailable(const std::string& Name);

// ---- editor ----
// Opens a file in the editor at a line and position, showing a message in the reply line
// (TcvEd.EnterFile). Stand-in: the not-available warning.
using TEnterFileHook = std::function<void(const std::string& ErrText, const std::string& FileName,
                                          int32_t LineNo, int32_t Pos)>;
TEnterFileHook& EnterFileHook();
void EnterFile(const std::string& ErrText, const std::string& FileName, int32_t LineNo,
               int32_t Pos);

// ---- Test tab ----
// Adds one line to the Test tab's memo. Stand-in: the not-available warning.
using TMemoTestAddHook = std::function<void(const std::string& Text)>;
TMemoTestAddHook& MemoTestAddHook();
void MemoTestAdd(const std::string& Text);

// ---- second half of the application object's initialisation ----
// The frame's initialisation steps that follow the paths and settings (model-vector keeper,
// logger settings, working-directory table, editor, panel, code bindings, element table,
// model-side lists, timers, the panel's test text). TAppCase::InitFrame runs them in list
// order; the list is empty until the frame's owners add their steps.
struct TInitStep {
  std::string Name;
  std::function<void()> Run;
};
std::vector<TInitStep>& InitFrameSteps();

// ---- program-wide lists of the unit start ----
// Create makes the object and stores it in its global; Free frees it and sets the global to
// nullptr. Both are installed by the subsystem that owns the class; unset ones are skipped.
struct TObjectLink {
  std::function<void()> Create;
  std::function<void()> Free;
};
TObjectLink& LVARILink();
TObjectLink& LUNNOLink();
TObjectLink& LLIDALink();
TObjectLink& LILastLink();
TObjectLink& VARIWHMLink();

// The object when it exists; otherwise the not-available warning for Name and nullptr.
template <class T>
T* Need(T* Object, const std::string& Name) {
  if (!Object) NotAvailable(Name);
  return Object;
}

// Restores every hook and link to its stand-in and clears InitFrameSteps (for tests).
void ResetAll();

}  // namespace applinks
