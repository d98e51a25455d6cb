// The line-data layer's services object: what the library needs of the program around it (the
// application root, the working-directory table, the autosave folders, the fatal path, and the
// window links: progress into the panel field "UM", lists shown in the editor, the editor opened
// at a file's failing line, the Start tab's wavelength fields) and its own program-wide objects.
// The start-up routine fills it; tests make fresh ones (ResetLineDataServices). The library
// never reaches the application frame itself.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "foundation/cvLink.h"

class TStringList;
class TDM;
class TMEND;
class TLLIDA;
class TLIDA;

// The Start tab's fields "LAMB от" (edLamb1) and "LAMB до" (edLamb2): their texts and the focus.
// Installed by the main window; without it GetLambFromTo reports that it is not available.
struct TLambFields {
  std::function<std::string()> FromText;
  std::function<std::string()> ToText;
  std::function<void()> FocusFrom;
  std::function<void()> FocusTo;
};

struct TLineDataServices {
  // The application root, with its trailing "/" (empty: none).
  TLink<std::string()> Root{"App.sRoot", TLinkLoudness::Silent};
  // The working-directory table: the folder or file of a module's function.
  TLink<std::string(const std::string& Module, const std::string& Func)> DirOf{"cvDirList"};
  // A new autosave folder for today (with its trailing "/"), and the newest complete one (no
  // AutoSaveIncomplete marker) holding a non-empty "Lines_.txt" (empty when none).
  TLink<std::string()> NewSaveDir{"TAppCase.NewSaveDir"};
  TLink<std::string()> LastSaveDir{"TAppCase.GetSaveDirLast"};
  // The fatal path of the frame (restores the cursor, raises); the library raises EInOutError
  // with the text after it in any case.
  std::function<void(const std::string& Text)> Fatal;
  // The folders of the Kurucz band files ("gfhy0800.100"...) and of the system's own line files
  // (lw, li, lh band files), with their trailing "/"; settings of the installation (without a
  // provider: "KURUCZ/" and "LW/" below the root).
  TLink<std::string()> KuruczFolder{"KuruczFolder", TLinkLoudness::Silent};
  TLink<std::string()> LineFilesFolder{"LineFilesFolder", TLinkLoudness::Silent};
  // The current run's lg gf source list (the variator key "#LGGFSrc"); none until the variator
  // is built: the lines keep the values of table "Lines_".
  // The current project folder (with its trailing "/") and the current quest: the line list's
  // dump file "LIDA/" + quest + ".DAT" (the variator's quest once there is one).
  TLink<std::string()> ProjectDir{"App.sProjDir", TLinkLoudness::Silent};
  TLink<std::string()> Quest{"App.sQuest", TLinkLoudness::Silent};
  // A reference-model run of one line (quest "d0HMCV": central depths, "W_HMCV": equivalent
  // widths) giving the HOLMU and CV values; true when it ran. Comes with the variator.
  TLink<bool(const std::string& Quest, TLIDA& Line, double& HM, double& CV)> RunVARI{"RunVARI"};
  // Drops the model vectors of the last line (those that depend on the line) after a
  // single-line run; the model layer installs it.
  TLink<void()> DropLineVectors{"TLVEMO.DelLineVeMo", TLinkLoudness::Silent};
  TLink<std::string()> LGGFSrcList{"TVARIATOR.GetS0(#LGGFSrc)", TLinkLoudness::Silent};
  // The Zeeman pattern of a line by LS coupling from 2J and g of both levels, named after the
  // line: its number of components, of pi components and its effective Lande factor. Raises when
  // no pattern can be formed. The start-up installs ZeePatternNumbers (linedata/cvZeeman).
  TLink<void(const std::string& Name, int32_t JL2, double GL, int32_t JU2, double GU,
             int32_t& NComp, int32_t& NPi, double& GEff)>
      ZeePattern{"ZeeSetRunge"};

  // ---- window links ----
  TLink<void(const std::string& Text)> Progress{"UM", TLinkLoudness::Silent};
  TLink<void(const std::string& Title, const TStringList& List)> ShowList{"TcvEd.EdLoadSL"};
  TLink<void(const std::string& Text, const std::string& FileName, int32_t LineNo, int32_t Pos)>
      OpenAt{"CILErrToEditor"};
  TLambFields LambFields;

  // ---- the library's own objects ----
  // The data module and the element table: the globals DM and MEND (one owner, the start-up).
  // While a job works on its own connection (TJobDataScope), every thread but DM's own reaches
  // the job's data module instead.
  TDM* Data() const;
  TMEND* Elements() const;
  // The loaded line list and the line record loaded last (the working line record LIDA): the
  // globals LLIDA and LILast, made by the line-record code.
  TLLIDA* Lines() const;
  TLIDA* LastLine() const;
};

extern TLLIDA* LLIDA;
extern TLIDA* LILast;

// Held while a line record is loaded (from the database, a band file, LILast or LLIDA, which the
// loading also writes): calculations running on several threads load their lines one at a time.
std::recursive_mutex& LineLoadLock();

// A job of the window that works on its own connection to the database (its own data module
// JobData): while it lives, Data() gives JobData to every thread except DMThread (the window's,
// which keeps DM), so the job's line loads, on its thread and its helpers', read and write
// inside the job's transaction.
class TJobDataScope {
 public:
  TJobDataScope(TDM* JobData, std::thread::id DMThread);
  ~TJobDataScope();
  TJobDataScope(const TJobDataScope&) = delete;
  TJobDataScope& operator=(const TJobDataScope&) = delete;

 private:
  TDM* previous_ = nullptr;
};

// The services of the running program (or of the test).
TLineDataServices& LineData();
// Fresh services (tests).
void ResetLineDataServices();

// The old names of the window links, kept for their callers.
namespace ldlinks {
inline void Progress(const std::string& Text) { LineData().Progress(Text); }
inline void ShowList(const std::string& Title, const TStringList& List) {
  LineData().ShowList(Title, List);
}
inline void OpenAt(const std::string& Text, const std::string& FileName, int32_t LineNo,
                   int32_t Pos) {
  LineData().OpenAt(Text, FileName, LineNo, Pos);
}
}  // namespace ldlinks
