// The application object: the installation's and the current project's folders, the five
// settings sets, the keyboard state, the information panel, the fatal path of the computing
// code, the autosave folders and the program-wide exception report.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "app/cvKeyb.h"
#include "foundation/cvSys.h"
#include "foundation/cvTunes.h"

class TInf;

// The control an exception came from, as the window layer describes it for the report.
enum class TSenderKind { None, Button, PopupList, TabSheet, Other };

struct TSenderInfo {
  TSenderKind Kind = TSenderKind::None;
  // Button and popup list: the window text; tab sheet: the tab's caption.
  std::string Caption;
  // Button and popup list: the window class name; any other control: its class name.
  std::string ClassName;
  // Button and popup list: the window rectangle, its handle and the owning process.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  uint32_t Handle = 0;
  int64_t ProcessId = 0;
};

// The sender's description of the report; empty without a sender.
std::string SenderDescription(const TSenderInfo* Sender);
// The whole report text: the heading (with the description) and the exception's message.
std::string AppExceptionText(const TSenderInfo* Sender, const std::string& Message);

class TAppCase {
 public:
  static constexpr uint32_t GuardWord = 43605;  // 0xAA55
  // The bundled demo project, below the application root; taken when the root settings name
  // no project.
  static constexpr const char* DemoProjBase = "Projects";
  static constexpr const char* DemoProject = "Demo";

  TAppCase();
  ~TAppCase();
  TAppCase(const TAppCase&) = delete;
  TAppCase& operator=(const TAppCase&) = delete;

  uint32_t iGuard = 0;
  bool qKeyDone = false;
  uint32_t iLastInput = 0;
  int32_t iAbortLoad = 0;
  std::string sExeDir;   // folder of the executable, with its trailing "/"
  std::string sRoot;     // application root: the parent of sExeDir, with its trailing "/"
  std::string sProjDir;  // current project folder, with its trailing "/"
  std::string sSaveDir;  // sRoot + "autosave/"
  std::string sProject;
  std::string sQuest;
  int32_t iStep = 0;
  std::string sProdId;
  std::string sTitle;
  std::unique_ptr<TFiler> Filer;
  std::unique_ptr<TTunes> TunGlobal;
  std::unique_ptr<TTunes> TunCommon;
  std::unique_ptr<TTunes> TunSizes;
  std::unique_ptr<TTunes> TunPict;
  std::unique_ptr<TTunes> TunFITS;
  std::unique_ptr<TcvKeyb> Keyb;
  bool qPause = false;
  bool qStop = false;
  TInf* Inf = nullptr;  // the information panel; made and freed by the frame's own steps

  // Once per run: paths, keyboard state and the five settings sets of the installation whose
  // executable is the running program; then InitFrame. A second call only warns.
  void Init();
  // The same for an executable file named explicitly (its folder's parent is the root).
  void InitFromExe(const std::string& ExeFileName);
  // The frame's own initialisation steps (applinks::InitFrameSteps), in order.
  void InitFrame();

  // The exception report: closes the open text readers and shows the heading, the sender's
  // description and the message through WARNAbs.
  void AppException(const TSenderInfo* Sender, const std::string& Message);
  void AppException(const TSenderInfo* Sender, const std::exception& E);
  // Runs Handler; an exception that leaves it is reported by AppException.
  void Guard(const TSenderInfo* Sender, const std::function<void()>& Handler);

  // Restores the screen cursor saved last and raises EInOutError with Text + CR LF.
  [[noreturn]] void Fatal(const std::string& Text);
  void Warn(const std::string& Text);
  void NoteActivity();
  std::string QuestStepName() const;

  // A new autosave folder for today (with its trailing "/"; not created).
  std::string NewSaveDir() const;
  // The same for the day text D (yyyy_mm_dd): sSaveDir + D, then D + "A", "B" ... "Z", "ZA" ...
  // while that folder holds a file that is not empty.
  std::string NewSaveDirFor(const std::string& D) const;
  // The alphabetically last folder of sSaveDir that holds a non-empty "Lines_.txt" and no
  // "AutoSave.incomplete" (the marker of a backup not finished), without a trailing "/"; empty
  // when there is none.
  std::string GetSaveDirLast() const;

 private:
  void OpenTunes();
};

extern TAppCase* App;
// A fresh application object (tests).
void ResetAppForTests();

// Name + "." + N.
std::string NameDotNum(const std::string& Name, int32_t N);
// Splits at the first "." when an integer follows it; otherwise Name = Text and N = 1.
void SplitNameDotNum(const std::string& Text, std::string& Name, int32_t& N);
// The text readers' error callback: opens the file in the editor at the line and position.
void CILErrToEditor(const std::string& ErrText, const std::string& FileName, int32_t LineNo,
                    int32_t Pos);

// The running program's executable file (from /proc/self/exe), as program text.
std::string ExeFileName();
// The parent of an executable's folder, with its trailing "/": scanning back from the
// second-to-last character, the first "/" ends the text; without one, its first character.
std::string RootOfExeDir(const std::string& ExeDir);
// A folder or file named in the settings (ProjBasePath, SayerFName ...): an absolute one as
// written, a relative one below Root.
std::string PathBelow(const std::string& Root, const std::string& Folder);
