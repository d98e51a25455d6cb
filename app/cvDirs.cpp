#include "app/cvDirs.h"

#include <algorithm>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace {


std::string Root() { return App ? App->sRoot : std::string(); }
std::string ProjDir() { return App ? App->sProjDir : std::string(); }

// "Name.Ext", or Name alone for an empty extension.
std::string NameWithExt(const std::string& Name, const std::string& Ext) {
  return Ext.empty() ? Name : Name + "." + Ext;
}

// SubDir + "/" + Name (Name alone for an empty sub-folder).
std::string InSubDir(const std::string& SubDir, const std::string& Name) {
  return SubDir.empty() ? Name : SubDir + "/" + Name;
}

std::string BaseFolder(const TcvDirRec& R, const std::string& TablePath) {
  if (R.Base == "APP") return Root();
  if (R.Base == "PROJ") return ProjDir();
  ErrAbs("В файле "_cp + TablePath + " в колонке BASE может быть только PROJ или APP, а найдено "_cp +
         R.Base);
}

[[noreturn]] void KindError(const std::string& TablePath, char Kind) {
  ErrAbs("В файле "_cp + TablePath + " в колонке FKIND может быть только "_cp +
         "\"S\" или \"D\" или \"E\""_cp + ", а найдено "_cp + std::string(1, Kind));
}

const TcvDirList& FilledTable(const std::string& Module, const std::string& Func) {
  if (!cvDirs) ErrAbs("cvDirList(" + Module + "," + Func + ") ERR: DirList Not Assigned!");
  if (cvDirs->Count() == 0) ErrAbs("cvDirList(" + Module + "," + Func + ") ERR: DirList Not Filled!");
  return *cvDirs;
}

std::string Combination(const std::string& Module, const std::string& Func) {
  return "МОДУЛЬ = "_cp + Module + ", ФУНКЦИЯ ="_cp + Func;
}

// The error position of a plain real number text: leading blanks, a sign, digits with at most
// one point, an exponent with "E"/"e" or a bare sign after a digit or point, and its digits.
// 0 when the text is such a number; else the 1-based position of the first character that
// cannot continue it (length + 1 when the text ends too early).
int32_t RealErrPos(const std::string& S) {
  const size_t n = S.size();
  size_t i = 0;
  auto digit = [&](size_t k) { return k < n && S[k] >= '0' && S[k] <= '9'; };
  while (i < n && S[i] == ' ') ++i;
  if (i < n && (S[i] == '+' || S[i] == '-')) ++i;
  int digits = 0;
  while (digit(i)) ++i, ++digits;
  if (i < n && S[i] == '.') {
    ++i;
    while (digit(i)) ++i, ++digits;
  }
  if (digits == 0) return static_cast<int32_t>(i + 1);
  if (i < n && (S[i] == 'E' || S[i] == 'e' || S[i] == '+' || S[i] == '-')) {
    if (S[i] == 'E' || S[i] == 'e') ++i;
    if (i < n && (S[i] == '+' || S[i] == '-')) ++i;
    const size_t expStart = i;
    while (digit(i)) ++i;
    if (i == expStart) return static_cast<int32_t>(i + 1);
  }
  return i < n ? static_cast<int32_t>(i + 1) : 0;
}

TCLINLIST g_clinList;

}  // namespace

// ---------------------------------------------------------------- the table

TcvDirList* cvDirs = nullptr;

void TcvDirList::Load() { LoadFrom(FindNoCase(Root(), "SYS/dirs.txt")); }

void TcvDirList::LoadFrom(const std::string& AFileName) {
  FileName = AFileName;
  TCIL cil;
  cil.SetErrProc(CILErrToEditor);
  cil.Load(AFileName, "Corvesta_DirList");
  cil.NextLine();
  while (!cil.Eof()) {
    TcvDirRec r;
    r.Module = cil.GetWord();
    r.Func = cil.GetWord();
    r.Base = cil.GetWord();
    r.SubDir = cil.GetWord();
    const std::string kind = cil.GetWord();
    r.FKind = kind.empty() ? ' ' : kind[0];
    r.Nam = cil.GetWord();
    r.Ext = cil.GetWord();
    Items.push_back(r);
    cil.NextLine();
  }
  cil.Unload();
}

const TcvDirRec* TcvDirList::Find(const std::string& Module, const std::string& Func) const {
  for (const auto& r : Items)
    if (r.Module == Module && r.Func == Func) return &r;
  return nullptr;
}

std::string TcvDirList::TablePath() const {
  return FileName.empty() ? PathJoin(Root(), "sys\\dirs.txt") : FileName;
}

void TcvDirList::CheckByTPL(const std::string& Module, const std::string& Func) const {
  const TcvDirRec* r = Find(Module, Func);
  if (!r)
    ErrAbs("При вызове процедуры TcvDirList.CheckByTPL в файле "_cp + TablePath() +
           " не найдено сочетание "_cp + Combination(Module, Func));
  if (r->Base == "APP") return;
  BaseFolder(*r, TablePath());  // any base but APP and PROJ is fatal
  if (r->FKind != 'S')
    ErrAbs("В вызове процедуры TcvDirList.CheckByTPL  для сочетания "_cp + Combination(Module, Func) +
           " не допустимы значения FKIND отличные от "_cp + "\"S\"!");
  const std::string rel = InSubDir(r->SubDir, NameWithExt(r->Nam, r->Ext));
  const std::string target = FindNoCase(ProjDir(), rel);
  if (platform::IsRegularFile(target)) return;
  const std::string tpl = FindNoCase(Root(), rel);
  if (!platform::IsRegularFile(tpl))
    ErrAbs("При вызове процедуры TcvDirList.CheckByTPL  для сочетания "_cp + Combination(Module, Func) +
           " не найден файл - шаблон <"_cp + tpl + ">");
  CopyTxtFile(tpl, target);
}

std::unique_ptr<TStringList> TcvDirList::Report() const {
  size_t wMod = 0, wFunc = 0, wBase = 0, wSub = 0, wNam = 0, wExt = 0;
  for (const auto& r : Items) {
    wMod = std::max(wMod, r.Module.size());
    wFunc = std::max(wFunc, r.Func.size());
    wBase = std::max(wBase, r.Base.size());
    wSub = std::max(wSub, r.SubDir.size());
    wNam = std::max(wNam, r.Nam.size());
    wExt = std::max(wExt, r.Ext.size());
  }
  auto pad = [](const std::string& s, size_t w) {
    return PadRightMark(s, static_cast<int32_t>(w + 1));
  };
  auto list = std::make_unique<TStringList>();
  list->Add("Отчет о списке рабочих директорий"_cp);
  for (const auto& r : Items)
    list->Add("MOD=" + pad(r.Module, wMod) + "Func=" + pad(r.Func, wFunc) + "Base=" +
              pad(r.Base, wBase) + "s/di=" + pad(r.SubDir, wSub) + "Kind=" +
              std::string(1, r.FKind) + " " + "NAM=" + pad(r.Nam, wNam) + "Ext=" +
              pad(r.Ext, wExt));
  return list;
}

void cvDirsLoad() {
  auto* list = new TcvDirList();
  try {
    list->Load();
  } catch (...) {
    delete list;
    throw;
  }
  delete cvDirs;
  cvDirs = list;
}

std::string cvDirList(const std::string& Module, const std::string& Func) {
  const TcvDirList& t = FilledTable(Module, Func);
  const TcvDirRec* r = t.Find(Module, Func);
  if (!r)
    ErrAbs("В файле "_cp + t.TablePath() + " не найдено сочетание "_cp + Combination(Module, Func));
  const std::string base = BaseFolder(*r, t.TablePath());
  switch (r->FKind) {
    case 'E':
      return FindNoCase(base, r->SubDir + "/");
    case 'S':
      return FindNoCase(base, InSubDir(r->SubDir, NameWithExt(r->Nam, r->Ext)));
    case 'D':
      ErrAbs("В вызове процедуры TcvDirList  для сочетания "_cp + Combination(Module, Func) +
             " пропущен параметр с именем файла!"_cp);
    default:
      KindError(t.TablePath(), r->FKind);
  }
}

std::string cvDirListFile(const std::string& Module, const std::string& Func,
                          const std::string& FileName) {
  // Trimmed of blanks and control characters (a tab or CR left by a grid cell or a file).
  const std::string name = TrimCtl(FileName);
  const TcvDirList& t = FilledTable(Module, Func);
  const TcvDirRec* r = t.Find(Module, Func);
  if (!r)
    ErrAbs("В файле "_cp + t.TablePath() + " не найдено сочетание "_cp + Combination(Module, Func) +
           " ИМЯ_ФАЙЛА = <"_cp + name + ">");
  const std::string base = BaseFolder(*r, t.TablePath());
  switch (r->FKind) {
    case 'D':
      return FindNoCase(base, InSubDir(r->SubDir, NameWithExt(name, r->Ext)));
    case 'E':
      return FindNoCase(base, r->SubDir + "/");
    case 'S':
      ErrAbs("В вызове процедуры TcvDirList  для сочетания "_cp + Combination(Module, Func) +
             " вставлен лишний параметр с именем файла ="_cp + name);
    default:
      KindError(t.TablePath(), r->FKind);
  }
}

// ---------------------------------------------------------------- other routines

bool GetStdModFormat(int32_t N, int32_t& IValue, double& R1, double& R2) {
  return ReadStdModFormat(cvDirList("GEDA", "ROUT"), N, IValue, R1, R2);
}

bool ReadStdModFormat(const std::string& FileName, int32_t N, int32_t& IValue, double& R1,
                      double& R2) {
  IValue = 0;
  R1 = R2 = 0;
  TCIL cil;
  cil.SetErrProc(CILErrToEditor);
  cil.Load(FileName, "FMOR");
  bool found = false;
  while (cil.FindKey("СТАНДАРТНЫЙ ФОРМАТ МОДЕЛЕЙ"_cp)) {
    cil.NextLine();
    if (cil.GetInt() != N) continue;
    cil.NextLine();
    IValue = cil.GetInt();
    cil.NextLine();
    R1 = cil.GetReal();
    cil.NextLine();
    R2 = cil.GetReal();
    found = true;
    break;
  }
  cil.Unload();
  if (!found)
    WARNAbs("ReadStdModFormat - в файле "_cp + FileName + " нет стандартного формата моделей номер "_cp +
            IntStr(N));
  return found;
}

std::string IonStageStr(int32_t N) {
  if (N >= 1 && N <= 3) return " " + std::string(static_cast<size_t>(N), 'I');
  return " " + IntStr(N);
}

void MemoTestAdd(const std::string& Text) { applinks::MemoTestAdd(Text); }

// ---------------------------------------------------------------- unit start

std::string OTLTitleMOD;
std::string OTLTitlePMOD1;
std::string OTLTitlePMOD3;
std::string OTLTitleCONT;
std::string OTLTitleRACH;
std::string ModLogName;

namespace {

applinks::TObjectLink* const kUnitLinks[] = {
    &applinks::LVARILink(), &applinks::LUNNOLink(), &applinks::LLIDALink(),
    &applinks::LILastLink(), &applinks::VARIWHMLink()};

}  // namespace

void cvDirsUnitStart() {
  LamDecimals = 7;
  for (auto* link : kUnitLinks)
    if (link->Create) link->Create();
}

void cvDirsUnitEnd() {
  for (int i = static_cast<int>(std::size(kUnitLinks)) - 1; i >= 0; --i)
    if (kUnitLinks[i]->Free) kUnitLinks[i]->Free();
  OTLTitleMOD.clear();
  OTLTitlePMOD1.clear();
  OTLTitlePMOD3.clear();
  OTLTitleCONT.clear();
  OTLTitleRACH.clear();
  ModLogName.clear();
}

// ---------------------------------------------------------------- TCleverInput

TCLINLIST* CLINList = &g_clinList;

bool TCLINLIST::Contains(const TCleverInput* Reader) const {
  return std::find(Items.begin(), Items.end(), Reader) != Items.end();
}

void TCLINLIST::Remove(const TCleverInput* Reader) {
  auto it = std::find(Items.begin(), Items.end(), Reader);
  if (it != Items.end()) Items.erase(it);
}

void TCLINLIST::CloseAll() {
  while (!Items.empty()) {
    TCleverInput* r = Items.back();
    r->Close();
    Remove(r);
  }
}

TCleverInput::~TCleverInput() {
  if (CLINList) CLINList->Remove(this);
}

void TCleverInput::Open(const std::string& AFileName, const std::string& ATag) {
  if (qOpen) Close();
  FileName = AFileName;
  Tag = ATag;
  qOpen = false;
  CutSet = MakeCharSet("!");
  LineNo = 0;
  Pos = 0;
  WordStart = 0;
  qEof = false;
  if (!platform::IsRegularFile(FileName)) {
    const std::string text = "CLIN." + Tag + "(" + FileName + ") Файла "_cp + FileName + " нет!"_cp;
    WARN(text);
    ErrAbs(text);
  }
  TxtOpen(F, 0, FileName);
  qOpen = true;
  if (CLINList && !CLINList->Contains(this)) CLINList->Add(this);
}

void TCleverInput::Close() {
  if (!qOpen) return;
  F.Close();
  qOpen = false;
  Line.clear();
  Pos = 0;
  WordStart = 0;
  LineNo = 0;
  WordNo = 0;
  if (CLINList && CLINList->Count() > 0 && (*CLINList)[CLINList->Count() - 1] == this)
    CLINList->Items.pop_back();
}

void TCleverInput::RdAnyLine() {
  if (!qOpen) {
    Line.clear();
    WARN("CLIN." + Tag + "-RdAnyLine-F- file <" + FileName + "> not Open!");
    return;
  }
  Pos = 1;
  WordStart = 0;
  if (F.Eof()) {
    Line.clear();
    qEof = true;
    return;
  }
  Line = F.ReadLn();
  ++LineNo;
  WordNo = 0;
  qEof = F.Eof();
}

void TCleverInput::RdEachLine() {
  if (!qOpen) {
    Line.clear();
    WARN("CLIN." + Tag + "-RdEachLine-F- file <" + FileName + "> not Open!");
    return;
  }
  RdAnyLine();
  const int32_t p = PosSet(CutSet, Line);
  if (p > 0) {
    size_t end = static_cast<size_t>(p - 1);
    while (end > 0 && Line[end - 1] == ' ') --end;
    Line.erase(end);
  }
}

void TCleverInput::RdLine() {
  if (!qOpen) {
    Line.clear();
    WARN("CLIN." + Tag + "-RdLine-F- file <" + FileName + "> not Open!");
    return;
  }
  for (;;) {
    RdEachLine();
    // Trimmed of blanks and control characters: a line of tabs is as empty as one of blanks.
    const std::string t = DelBlanks(TrimCtl(Line));
    const bool empty = t.empty() || IsAllInSet(t, SepChars, 1);
    if (!empty || qEof) break;
  }
}

std::string TCleverInput::RdWord() {
  if (!qOpen) return std::string();
  ++WordNo;
  return ScanLineWord(Line, Pos, WordStart);
}

int32_t TCleverInput::RdInt() {
  if (!qOpen) return 0;
  const std::string w = RdWord();
  int32_t code = 0;
  const int32_t v = ValIntCode(w, code);
  if (code != 0) Fail("Ошибка при вводе целого ["_cp + w + "] pos=" + IntStr(code));
  WordStart = 0;
  return v;
}

double TCleverInput::RdReal() {
  if (!qOpen) return 0;
  const std::string w = RdWord();
  int32_t code = 0;
  const double v = ValRealCode(w, code);
  if (code != 0) {
    int32_t at = RealErrPos(w);
    if (at == 0) at = code;
    std::string msg = "Ошибка при вводе действительного числа <"_cp + w + "> IErr=" + IntStr(at);
    if (WordNo > 0) msg += " IWord=" + IntStr(WordNo);
    Fail(msg);
  }
  WordStart = 0;
  return v;
}

void TCleverInput::Fail(const std::string& Text) {
  PopCursor();
  const std::string M = "CLIN.<" + Tag + ">-F-" + Text;
  if (WordStart != 0) Pos = WordStart;
  const std::string file = FileName;
  const int32_t line = LineNo;
  const int32_t pos = Pos;
  Close();
  CILErrToEditor(M, file, line, pos);
  ErrAbs(M);
}
