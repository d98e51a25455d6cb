#include "app/cvApp.h"

#include <unistd.h>

#include <cstdio>

#include "app/AppLinks.h"
#include "app/cvDirs.h"
#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvDirList.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace {

const std::string CRLF = "\r\n";
// Lines of the sender's description end with line feed, carriage return (in this order).
const std::string kSep = "\n\r";

std::string FolderOfFile(const std::string& FileName) {
  const std::string f = SlashPath(FileName);
  const size_t p = f.rfind('/');
  return p == std::string::npos ? std::string() : f.substr(0, p + 1);
}

// True when Folder holds a regular file whose size is above 0.
bool HoldsNonEmptyFile(const std::string& Folder) {
  std::vector<platform::TDirEntry> entries;
  if (!platform::ReadDirEntries(Folder, entries)) return false;
  for (const auto& e : entries)
    if (!(e.Attr & platform::faDirectory) && e.Size > 0) return true;
  return false;
}

// The next autosave suffix: "" -> "A" ... "Z" -> "ZA" ... "ZZ" -> "ZZA"; every suffix sorts
// after the one before it.
std::string NextSuffix(const std::string& S) {
  if (S.empty()) return "A";
  if (S.back() < 'Z') {
    std::string r = S;
    ++r.back();
    return r;
  }
  return S + "A";
}

// A settings set on File; a missing file is no error (the set starts empty) but is traced.
std::unique_ptr<TTunes> NewTunes(const std::string& Name, const std::string& File) {
  return std::make_unique<TTunes>(Name, File);
}

void NoteMissingSettings(const std::string& File) {
  if (!platform::IsRegularFile(File))
    WARN("App.Init - файла настроек "_cp + File + " нет: его наборы начинаются пустыми"_cp);
}

struct AppStart {
  AppStart() { App = new TAppCase(); }
};

}  // namespace

TAppCase* App = nullptr;
// After the message sink's start (priority 160).
__attribute__((init_priority(170))) AppStart g_appStart;

void ResetAppForTests() {
  delete App;
  App = new TAppCase();
}

// ---------------------------------------------------------------- free routines

std::string NameDotNum(const std::string& Name, int32_t N) { return Name + "." + IntStr(N); }

void SplitNameDotNum(const std::string& Text, std::string& Name, int32_t& N) {
  const size_t p = Text.find('.');
  if (p != std::string::npos) {
    int32_t code = 0;
    const int32_t v = ValIntCode(Text.substr(p + 1), code);
    if (code == 0) {
      Name = Text.substr(0, p);
      N = v;
      return;
    }
  }
  Name = Text;
  N = 1;
}

void CILErrToEditor(const std::string& ErrText, const std::string& FileName, int32_t LineNo,
                    int32_t Pos) {
  applinks::EnterFile(ErrText, FileName, LineNo, Pos);
}

std::string ExeFileName() {
  std::string buf(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return std::string();
  buf.resize(static_cast<size_t>(n));
  return platform::FromSysPath(buf);
}

std::string RootOfExeDir(const std::string& ExeDir) {
  std::string s = DirSlash(ExeDir);
  if (s.empty()) return s;
  for (size_t i = s.size() - 1; i-- > 1;)
    if (s[i] == '/') return s.substr(0, i + 1);
  return s.substr(0, 1);
}

std::string PathBelow(const std::string& Root, const std::string& Folder) {
  const std::string f = SlashPath(Folder);
  if (!f.empty() && f[0] == '/') return f;
  return PathJoin(Root, f);
}

std::string SenderDescription(const TSenderInfo* Sender) {
  if (!Sender || Sender->Kind == TSenderKind::None) return std::string();
  switch (Sender->Kind) {
    case TSenderKind::Button:
    case TSenderKind::PopupList: {
      std::string d = Sender->Kind == TSenderKind::Button
                          ? "полученной от кнопки "_cp
                          : "полученной от PopupList c именем "_cp;
      char rect[80];
      std::snprintf(rect, sizeof rect, "(%d:%d)-(%d:%d)", Sender->Left, Sender->Top,
                    Sender->Right, Sender->Bottom);
      d += kSep;
      d += "Заголовок "_cp + Sender->Caption.substr(0, 1024) + kSep;
      d += "Класс "_cp + Sender->ClassName + kSep;
      d += "Позиция "_cp + rect + kSep;
      d += "Хэндл "_cp + IntHex8(Sender->Handle) + kSep;
      d += "Процесс "_cp + ProcessNameByID(Sender->ProcessId) + kSep;
      return d;
    }
    case TSenderKind::TabSheet:
      return "полученный от закладки c заголовком <"_cp + Sender->Caption + ">";
    default:
      return "полученной от элемента имеющего тип <"_cp + Sender->ClassName + ">";
  }
}

std::string AppExceptionText(const TSenderInfo* Sender, const std::string& Message) {
  const std::string d = SenderDescription(Sender);
  const std::string heading = d.empty() ? "Система Corvesta сообщает об ошибке:"_cp
                                        : "Система Corvesta сообщает об ошибке"_cp + CRLF + d;
  return heading + CRLF + CRLF + Message;
}

// ---------------------------------------------------------------- TAppCase

TAppCase::TAppCase() = default;
TAppCase::~TAppCase() = default;

void TAppCase::Init() { InitFromExe(ExeFileName()); }

void TAppCase::InitFromExe(const std::string& ExeFileName) {
  if (iGuard == GuardWord) {
    WARN("App.Init - повторное вхождение в процедуру - такого быть не должно!"_cp);
    return;
  }
  iGuard = GuardWord;
  Filer = std::make_unique<TFiler>();
  NoteActivity();
  sExeDir = FolderOfFile(ExeFileName);
  sRoot = RootOfExeDir(sExeDir);
  sSaveDir = PathJoin(sRoot, "autosave\\");
  // The editor's history files ("Enter.txt", "Stack.txt") belong to the installation.
  Filer->Folder = sRoot;
  sProdId = "CV09";
  sTitle = "Corvesta 2009 Edition";
  Keyb = std::make_unique<TcvKeyb>();
  Keyb->Caps = CapsLockState();
  Keyb->Layout = KbLayoutChar();
  iAbortLoad = 0;
  OpenTunes();
  InitFrame();
}

void TAppCase::OpenTunes() {
  const std::string rootIni = FindNoCase(sRoot, "cvtunes.ini");
  NoteMissingSettings(rootIni);
  TunGlobal = NewTunes("Global", rootIni);

  const std::string base = TunGlobal->Get("ProjBasePath");
  sProject = TunGlobal->Get("CurrentProject");
  if (TrimSp(base).empty() || TrimSp(sProject).empty()) {
    // An empty part would leave the project folder wherever the current folder happens to be.
    sProject = DemoProject;
    sProjDir = FindNoCase(sRoot, std::string(DemoProjBase) + "/" + sProject + "/");
    WARNAbs("App.Init - в файле "_cp + rootIni +
            " (раздел Global) не задан ProjBasePath или CurrentProject; взят проект по умолчанию "_cp +
            sProjDir);
  } else {
    const std::string b = SlashPath(base);
    const std::string proj = SlashPath(sProject) + "/";
    sProjDir = b[0] == '/' ? FindNoCase(b, proj) : FindNoCase(sRoot, PathJoin(b, proj));
  }

  const std::string projIni = FindNoCase(sProjDir, "cvtunes.ini");
  NoteMissingSettings(projIni);
  TunCommon = NewTunes("Common", projIni);
  TunSizes = NewTunes("Sizes", projIni);
  TunPict = NewTunes("Pict", projIni);
  TunFITS = NewTunes("FITS", rootIni);
}

void TAppCase::InitFrame() {
  // A step that fails ends the initialisation there; the exception goes to the caller.
  for (const auto& step : applinks::InitFrameSteps())
    if (step.Run) step.Run();
}

void TAppCase::AppException(const TSenderInfo* Sender, const std::string& Message) {
  if (CLINList) CLINList->CloseAll();
  WARNAbs(AppExceptionText(Sender, Message));
}

void TAppCase::AppException(const TSenderInfo* Sender, const std::exception& E) {
  AppException(Sender, std::string(E.what()));
}

void TAppCase::Guard(const TSenderInfo* Sender, const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (const std::exception& e) {
    AppException(Sender, e);
  } catch (...) {
    AppException(Sender, std::string("Unknown exception"));
  }
}

void TAppCase::Fatal(const std::string& Text) {
  PopCursor();
  throw EInOutError(Text + CRLF);
}

void TAppCase::Warn(const std::string& Text) { WARN(Text); }

void TAppCase::NoteActivity() { iLastInput = MsClock(); }

std::string TAppCase::QuestStepName() const { return NameDotNum(sQuest, iStep); }

std::string TAppCase::NewSaveDir() const { return NewSaveDirFor(DateY_M_D(NowDateTime())); }

std::string TAppCase::NewSaveDirFor(const std::string& D) const {
  // A folder that holds any saved file is never reused, whichever table file the save wrote.
  std::string suffix;
  std::string candidate = sSaveDir + D;
  while (platform::IsDirectory(candidate) && HoldsNonEmptyFile(candidate)) {
    suffix = NextSuffix(suffix);
    candidate = sSaveDir + D + suffix;
  }
  return candidate + "/";
}

std::string TAppCase::GetSaveDirLast() const {
  if (!platform::IsDirectory(sSaveDir)) return std::string();
  TDirList list;
  list.Collect(sSaveDir);
  list.Sort();
  for (int i = list.Count() - 1; i >= 0; --i) {
    const TDirRec* r = list.Items(i);
    if (!r->IsDir()) continue;
    const std::string path = sSaveDir + r->Name;
    if (!platform::IsDirectory(path)) {
      WARN("GetSaveDirLast Директория "_cp + path + " не найдена, что очень странно!"_cp);
      continue;
    }
    // a backup still being written, or cut short, carries the line data's marker until its end
    if (platform::IsRegularFile(path + "/AutoSave.incomplete")) continue;
    const std::string lines = FindNoCase(path, "Lines_.txt");
    if (platform::IsRegularFile(lines) && FileSizeSS(lines) > 0) return path;
  }
  return std::string();
}
