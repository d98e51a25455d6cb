// The model layer's services object: what the library needs of the program around it (the
// application root, the working-directory table, the fatal path, the editor opened at a file's
// failing line, the line selection of "$LINLIST") and its own program-wide objects, the variator
// list LVARI and the width variator VARIWHM. The start-up routine fills it
// (InstallModelServices); tests make fresh ones (ResetModelServices). The library never reaches
// the application frame itself.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvLink.h"

class TLIDA;
class TLVARI;
class TStringList;
class TVARIATOR;
class TVEMO;

struct TModelServices {
  // The application root, with its trailing "/" (empty: none).
  TLink<std::string()> Root{"App.sRoot", TLinkLoudness::Silent};
  // The current project's folder, with its trailing "/" (empty: none).
  TLink<std::string()> ProjectDir{"App.sProjDir", TLinkLoudness::Silent};
  // The working-directory table: the folder or file of a module's function.
  TLink<std::string(const std::string& Module, const std::string& Func)> DirOf{"cvDirList"};
  // A named file of a module's function whose row gives folder and extension.
  TLink<std::string(const std::string& Module, const std::string& Func, const std::string& Name)>
      FileOf{"cvDirListFile"};
  // The fatal path of the frame (restores the cursor, raises); the library raises EInOutError
  // with the text after it in any case.
  std::function<void(const std::string& Text)> Fatal;
  // A reader's error: the file opened in the editor at the failing line and position.
  TLink<void(const std::string& Text, const std::string& FileName, int32_t LineNo, int32_t Pos)>
      OpenAt{"CILErrToEditor"};
  // The Ids of the lines chosen by "#LINLIST_FILTER", "#LINLIST_SORT" and "#LGGFSrc" of the
  // variator being read, blank-separated (empty: none chosen). Provided by the line selection.
  TLink<std::string(const TVARIATOR& Vari)> LinListIds{"SpreadFunc $LINLIST"};
  // A line added to the Test tab's memo.
  TLink<void(const std::string& Text)> MemoTestAdd{"MemoTestAdd", TLinkLoudness::Silent};
  // A report shown in the editor under a title.
  TLink<void(const std::string& Title, const TStringList& List)> ShowReport{
      "TcvEd.EdLoadSL", TLinkLoudness::Quiet};
  // The transfer side's routines the line preparation calls: the Zeeman pattern of a line from
  // its levels, or from a "#ZEE" text; the continuum intensity over depth into a CONT vector.
  TLink<void(TLIDA& Line)> ZeeSetLine{"ZeeSetLine", TLinkLoudness::Quiet};
  TLink<void(TLIDA& Line, const std::string& Text)> ZeeSetByHand{"TZEEMAN.SetByHand",
                                                                 TLinkLoudness::Quiet};
  TLink<void(TVEMO& CONT)> PCONT{"PCONT", TLinkLoudness::Quiet};
  // The main window's table of model vectors built again after vectors were made (any thread:
  // the window refills on its own thread once the running job has ended).
  TLink<void()> VEMOFill{"TCorvesta.ngVEMOFill", TLinkLoudness::Silent};

  // ---- the library's own objects ----
  // The program's variator list and width variator (the globals; nullptr before the start-up).
  TLVARI* Variators() const;
  TVARIATOR* WidthVariator() const;
};

// The program-wide variator list and width variator, made and freed by the unit start and end
// (MakeVariatorList / FreeVariatorList ..., installed by the start-up). Computing code reaches
// them through its calculation context (variator/cvVariContext.h).
extern TLVARI* LVARI;
extern TVARIATOR* VARIWHM;

// Makers of the globals: each makes its object only when it does not exist yet (the order of the
// start-up's steps does not matter); the list gets SpreadFunc as its expansion callback.
void MakeVariatorList();
void FreeVariatorList();
void MakeWidthVariator();
void FreeWidthVariator();

// The services of the running program (or of the test).
TModelServices& Models();
// Fresh services (tests).
void ResetModelServices();

// A line for the main window's test memo: kept in the calling thread's capture list when one is
// set (a worker of a parallel grid; the lines are shown in combination order afterwards), else
// handed to MemoTestAdd.
void MemoTest(const std::string& Text);
// Sets the calling thread's capture list (nullptr: lines go to MemoTestAdd again).
void CaptureMemoTest(std::vector<std::string>* Lines);

// The fatal path of the layer: Models().Fatal, then EInOutError with Text + CR LF.
[[noreturn]] void ModFatal(const std::string& Text);
