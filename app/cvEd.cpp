// The editor's texts (files, lists, listings, the file stack), its status, modes and editing.
#include "app/cvEd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "app/AppLinks.h"
#include "app/cvCtrlUtil.h"
#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "app/cvKeyb.h"
#include "foundation/cvDirList.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvSys.h"
#include "foundation/cvTab.h"
#include "foundation/cvTunes.h"
#include "platform/FileErr.h"

TcvEd* Ed = nullptr;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLightGrey = 0xEEEEEE;

std::string RTrim(const std::string& S) {
  size_t e = S.size();
  while (e > 0 && static_cast<unsigned char>(S[e - 1]) <= ' ') --e;
  return S.substr(0, e);
}

bool FileExistsEd(const std::string& Name) { return platform::IsRegularFile(Name); }
bool DirExistsEd(const std::string& Name) { return platform::IsDirectory(Name); }

// The folder part of a name (up to its last separator, without it); empty when none.
std::string FolderOfName(const std::string& Name) {
  const size_t p = Name.find_last_of("/\\");
  if (p == std::string::npos) return {};
  if (p == 0) return "/";
  return Name.substr(0, p);
}

void ChangeDir(const std::string& Folder) {
  if (Folder.empty()) return;
  std::error_code ec;
  std::filesystem::current_path(platform::SysPath(Folder), ec);
}

// The lines of a memo written to a file through a temporary file in the same folder that is
// renamed over it only when completely written: the file is never left half written.
bool WriteLinesSafely(const std::vector<std::string>& Lines, const std::string& FileName,
                      std::string& Error) {
  const std::string tmp = FileName + ".~ed";
  try {
    TTextFile F;
    F.Assign(tmp);
    const int32_t code = F.Rewrite();
    IOResult();
    if (code != 0) {
      Error = IOErrText(code);
      return false;
    }
    for (const std::string& s : Lines) F.WriteLn(s);
    F.Flush(true);
    F.Close();
  } catch (const std::exception& e) {
    Error = e.what();
    std::error_code ec;
    std::filesystem::remove(platform::SysPath(tmp), ec);
    return false;
  }
  std::error_code ec;
  const auto sysName = platform::SysPath(FileName);
  const auto perms = std::filesystem::status(sysName, ec).permissions();
  if (!ec) std::filesystem::permissions(platform::SysPath(tmp), perms, ec);
  if (std::rename(platform::SysPath(tmp).c_str(), sysName.c_str()) != 0) {
    Error = IOErrText(platform::DosErrorFromErrno(errno));
    std::filesystem::remove(platform::SysPath(tmp), ec);
    return false;
  }
  return true;
}

}  // namespace

bool EdAssigned(const TcvEd* E) {
  if (E) return true;
  WARNAbs("Ed.Init Err - объект Ed ещё не создан!"_cp);
  return false;
}

// ---------------------------------------------------------------- binding

TcvEd::~TcvEd() { RemoveLinks(); }

void TcvEd::Unbind() {
  if (Memo) Memo->SetHandler(nullptr);
  Memo = nullptr;
}

void TcvEd::Init(platform::TControl* AWorld, platform::Memo* AMemo, platform::TControl* AEdFile,
                 platform::TControl* AEdReply, platform::TControl* AEdJS,
                 platform::TControl* AEdIP, platform::TControl* AEdColCur,
                 platform::TControl* ALbKind, platform::TControl* ALbWordN,
                 platform::TControl* ALbCurTT, TFiler* AFiler, TcvKeyb* AKeyb, TTunes* ATunes,
                 TInf* AInf, TEdProc AOnBeforeLoad, TEdProc AOnAfterLoad, TEdProc AOnOpenFile,
                 TEdProc AOnEnterLink, TEdStatusProc AOnStatus) {
  World = AWorld;
  if (Memo && Memo != AMemo) Memo->SetHandler(nullptr);
  Memo = AMemo;
  EdFile = AEdFile;
  EdReply = AEdReply;
  EdJS = AEdJS;
  EdIP = AEdIP;
  EdColCur = AEdColCur;
  LbKind = ALbKind;
  LbWordN = ALbWordN;
  LbCurTT = ALbCurTT;
  Filer = AFiler;
  Keyb = AKeyb;
  Tunes = ATunes;
  Inf = AInf;
  OnBeforeLoad = std::move(AOnBeforeLoad);
  OnAfterLoad = std::move(AOnAfterLoad);
  OnOpenFile = std::move(AOnOpenFile);
  OnEnterLink = std::move(AOnEnterLink);
  OnStatus = std::move(AOnStatus);
  PathCol = 59;
  CurTT.reset();
  TabTop = TabBottom = 0;
  CurName.clear();
  Kind = 'N';
  Quote = '"';
  Sep = ' ';
  if (!Filer) ErrAbs("Ed.Init Filer Not Assigned!");
  Filer->Load();
  if (Keyb) Keyb->LastKey = 0;
  if (Memo) Memo->SetHandler(this);
  InstallLinks();
}

namespace {
// The editor whose hooks are installed.
const TcvEd* LinkOwner = nullptr;
}  // namespace

void TcvEd::InstallLinks() {
  ProfileReportViewer = [this](const std::string& Title, const TStringList& List) {
    EdLoadSL(Title, &List);
  };
  applinks::EnterFileHook() = [this](const std::string& ErrText, const std::string& FileName,
                                     int32_t LineNo, int32_t Pos) {
    EnterFile(ErrText, FileName, LineNo, Pos);
  };
  LinkOwner = this;
}

void TcvEd::RemoveLinks() {
  if (LinkOwner != this) return;
  ProfileReportViewer = nullptr;
  applinks::EnterFileHook() = nullptr;
  LinkOwner = nullptr;
}

// ---------------------------------------------------------------- small helpers

void TcvEd::CallProc(const TEdProc& Proc) {
  Done = false;
  if (Proc) Proc();
}

void TcvEd::SetText(platform::TControl* C, const std::string& Text) {
  if (C) C->SetText(Text);
}

std::string TcvEd::TextOf(platform::TControl* C) const { return C ? C->Text() : std::string(); }

void TcvEd::ShowKind() { SetText(LbKind, std::string(1, Kind)); }

void TcvEd::Check(const std::string& Code, bool Flag) {
  if (Inf) Inf->CheckFld(Code, Flag);
}

void TcvEd::ShowChanged() { Check("eC", Changes == 0); }

int32_t TcvEd::Frame(const std::string& Code, TInfField* Field) const {
  if (Field) return Field->iChecked;
  if (!Inf) return 0;
  const TInfField* F = Inf->FindFld(Code);
  return F ? F->iChecked : 0;
}

std::string TcvEd::FieldText(const std::string& Code) const {
  if (!Inf) return {};
  const TInfField* F = Inf->FindFld(Code);
  if (!F) return {};
  std::string t = F->EditText;
  const std::string label = F->Label();
  if (!label.empty() && t.compare(0, label.size(), label) == 0) t.erase(0, label.size());
  return t;
}

int32_t TcvEd::FieldIntOr(const std::string& Code, int32_t Default) const {
  const std::string t = TrimSp(RTrim(FieldText(Code)));
  if (t.empty()) return Default;
  int32_t code = 0;
  const int32_t v = ValIntCode(t, code);
  return code == 0 ? v : Default;
}

void TcvEd::LogInt(const std::string& Code, int32_t Value) {
  if (Inf) Inf->LogInt(Code, Value);
}

void TcvEd::SyncCaret() {
  if (!Memo) return;
  int l = 0, c = 0;
  Memo->CaretPos(l, c);
  Line = l + 1;
  Col = c + 1;
}

void TcvEd::GotoCaret(int32_t L, int32_t C) {
  if (!Memo) return;
  MemoGotoLine(Memo, std::max(L, 1), std::max(C, 1));
}

void TcvEd::SetCurDirOf(const std::string& Name, bool IsFolder) {
  ChangeDir(IsFolder ? Name : FolderOfName(Name));
}

void TcvEd::SetPathCol() {
  if (!ListMode) return;
  PathCol = (Memo && Memo->LineCount() > 0) ? DirLinePathPos(Memo->Line(0)) : 65;
}

std::string TcvEd::LineRaw(int32_t N) const {
  if (!Memo || N < 1 || N > Memo->LineCount()) return {};
  return Memo->Line(N - 1);
}

void TcvEd::PutLine(int32_t N, const std::string& Text) {
  if (!Memo) return;
  if (Memo->LineCount() == 0 && N == 1) {
    Memo->AddLine(Text);
    return;
  }
  Memo->SetLine(N - 1, Text);
}

std::string TcvEd::LineText(int32_t N) const { return RTrim(LineRaw(N)); }

std::unique_ptr<TStringList> TcvEd::MemoSL() const {
  auto sl = std::make_unique<TStringList>();
  if (Memo)
    for (const std::string& s : Memo->Lines()) sl->Add(s);
  return sl;
}

void TcvEd::PutBack(const TStringList& SL) {
  if (!Memo) return;
  Memo->BeginUpdate();
  if (SL.Count() == Memo->LineCount()) {
    for (int i = 0; i < SL.Count(); ++i)
      if (Memo->Line(i) != SL[i]) Memo->SetLine(i, SL[i]);
  } else {
    Memo->SetLines(SL.Lines());
  }
  Memo->EndUpdate();
}

// A modified file text is written before anything replaces it.
bool TcvEd::KeepEdits() {
  if (Kind == 'F' && Changes > 0 && !CurName.empty()) return SaveFile();
  return true;
}

// ---------------------------------------------------------------- names

std::string TcvEd::ResolveEdName(const std::string& Name) {
  if (FileExistsEd(Name)) return Name;
  std::string n = Name;
  const size_t p = UpCaseStrCyr(n).find("MICROS.DIR");
  if (p != std::string::npos) {
    n.erase(p);
    if (!n.empty() && (n.back() == '\\' || n.back() == '/')) n.pop_back();
  }
  if (DirExistsEd(n)) return n;
  int32_t J = 1;
  std::string W;
  NextQWord(n, J, '"', W);
  return DeQuote(W, '"');
}

// ---------------------------------------------------------------- loading and saving

void TcvEd::LoadFile(const std::string& FileName) {
  if (!FileExistsEd(FileName)) return;
  const std::string full = ExpandFileName(FileName);
  TStringList L;
  L.LoadFromFile(full);  // a read error leaves everything as it was
  ShowFile(full, L);
}

void TcvEd::ShowFile(const std::string& FullName, const TStringList& L) {
  const std::string& full = FullName;
  if (Memo) {
    Memo->BeginUpdate();
    Memo->SetLines(L.Lines());
    Memo->EndUpdate();
  }
  CurName = full;
  Changes = 0;
  ShowChanged();
  Insert = Tunes && Tunes->Flag("EdInsert");
  Check("IR", Insert);
  Kind = 'F';
  ResetTable();
}

void TcvEd::Reload() { LoadFile(TextOf(EdFile)); }

bool TcvEd::SaveFile() {
  if (Kind == 'F' && !CurName.empty() && Memo) {
    std::string err;
    if (!WriteLinesSafely(Memo->Lines(), CurName, err)) {
      WARNAbs("Ed.SaveFile: файл <"_cp + CurName + "> записать не удалось ("_cp + err +
              "); текст остаётся в редакторе"_cp);
      return false;
    }
  }
  Changes = 0;
  ShowChanged();
  return true;
}

void TcvEd::EdLoadSL(const std::string& Title, const TStringList* List) {
  TTimedSection s("cvEd.EdLoadSL");
  EdAddSL(Title, List, false);
}

void TcvEd::EdAppendSL(const std::string& Title, const TStringList* List) {
  EdAddSL(Title, List, true);
}

void TcvEd::EdAddSL(const std::string& Title, const TStringList* List, bool Append) {
  TTimedSection s("cvEd.EdAddSL");
  if (!List) {
    WARNAbs("EdAddSL(<" + Title + ">) SL не сформирован!"_cp);
    return;
  }
  if (!KeepEdits()) return;
  CallProc(OnBeforeLoad);
  if (OnAfterLoad) CallProc(OnAfterLoad);
  if (!Memo) return;
  Memo->BeginUpdate();
  if (!Append) Memo->Clear();
  const int32_t first = Memo->LineCount() + 1;
  for (int i = 0; i < List->Count(); ++i) Memo->AddLine((*List)[i]);
  TabBounds(TabTop, TabBottom);
  CurName = Title;
  SetText(EdFile, Title);
  Kind = 'L';
  ListMode = false;
  Changes = 0;
  ShowChanged();
  Memo->EndUpdate();
  GotoCaret(first, 1);
  ShowKind();
}

void TcvEd::ListCurDir() {
  TDirList D;
  D.Collect(platform::CurrentDir());
  D.Sort();
  std::unique_ptr<TStringList> L = D.ListSL();
  EdLoadSL(platform::CurrentDir(), L.get());
  Kind = 'M';
  ListMode = true;
  SetPathCol();
  ShowKind();
}

// ---------------------------------------------------------------- the stack

bool TcvEd::PushPos() {
  if (CurName.empty()) return true;
  if (!KeepEdits()) return false;
  int l = 0, c = 0;
  if (Memo) Memo->CaretPos(l, c);
  TFPosBlock B;
  B.Line = l + 1;
  B.Column = c + 1;
  B.CRC = StrCRC32(LineText(l + 1));
  B.Flags = Writable ? 1u : 0u;
  Filer->PushFile(Kind, CurName, Memo ? Memo->LineCount() : 0, B);
  return true;
}

bool TcvEd::NotePos() {
  if (!KeepEdits()) return false;
  if (CurName.empty()) return true;
  int l = 0, c = 0;
  if (Memo) Memo->CaretPos(l, c);
  TFPosBlock B;
  B.Line = l + 1;
  B.Column = c + 1;
  B.CRC = StrCRC32(LineText(l + 1));
  B.Flags = Writable ? 1u : 0u;
  auto rec = std::make_unique<TFStackRec>();
  TFStackRec::SetData(rec.get(), Filer->Number, Kind, CurName, Memo ? Memo->LineCount() : 0, B);
  Filer->EnterAdd(std::move(rec));
  return true;
}

void TcvEd::EnterFile(const std::string& ErrText, const std::string& FileName, int32_t ALine,
                      int32_t Pos) {
  WARN("EnterFile " + FileName + " str=" + IntStr(ALine) + " pos=" + IntStr(Pos) +
       " sErr=" + ErrText);
  const std::string name = ResolveEdName(FileName);
  const bool isFolder = DirExistsEd(name);
  if (!isFolder && !FileExistsEd(name)) {
    WARN("Файл "_cp + name + " не существует!"_cp);
    return;
  }
  if (isFolder) IsDir = true;
  CallProc(OnBeforeLoad);
  const std::string full = ExpandFileName(name);
  // The same name again: what was typed is saved before the file is read back. Another name:
  // the new text is read before anything of the current one changes.
  const bool same = full == ExpandFileName(TextOf(EdFile));
  if (same && !KeepEdits()) return;
  TStringList lines;
  if (!isFolder) lines.LoadFromFile(full);
  if (!same && !PushPos()) return;
  CurName = full;
  SetText(EdFile, full);
  Reply = ErrText;
  SetText(EdReply, ErrText);
  SetCurDirOf(full, isFolder);
  if (isFolder) {
    ListCurDir();
    ListMode = true;
  } else {
    ShowFile(full, lines);
    ListMode = HasExt(full, "DIR");
  }
  CurTT.reset();
  ShowKind();
  SetPathCol();
  CallProc(OnAfterLoad);
  if (ALine == 0 && Pos == 0 && Filer) {
    TFPosBlock B;
    Filer->FindEnter(CurName, B);
    ALine = B.Line;
    Pos = B.Column;
  }
  ResetTable();
  GotoCaret(ALine, Pos);
  UpdateStatus();
  if (Changes == 0) Check("eC", true);
}

void TcvEd::EnterSL(const std::string& Title, const TStringList* List) {
  CallProc(OnBeforeLoad);
  if (!PushPos()) return;
  EdLoadSL(Title, List);
  ShowKind();
  CallProc(OnAfterLoad);
  TFPosBlock B;
  if (Filer) Filer->FindEnter(Title, B);
  ResetTable();
  GotoCaret(B.Line, B.Column);
  UpdateStatus();
  ShowChanged();
}

void TcvEd::ExitFile() {
  if (!Filer) return;
  std::unique_ptr<TFStackRec> rec = Filer->PopFile();
  if (!rec) return;
  if (!NotePos()) {
    // The text could not be saved: it stays, and so does the way back.
    Filer->Stack.Add(std::move(rec));
    return;
  }
  const std::string name = rec->FileName;
  WARN("ExitFile " + name + " str=" + IntStr(rec->Line) + " pos=" + IntStr(rec->Column) +
       " EXIT");
  if ((rec->Kind == 'F' && !FileExistsEd(name)) || (rec->Kind == 'M' && !DirExistsEd(name))) {
    WARN("Файл "_cp + name + " не существует!"_cp);
    Done = true;
    return;
  }
  TStringList lines;
  if (rec->Kind == 'F') {
    try {
      lines.LoadFromFile(name);
    } catch (...) {
      Filer->Stack.Add(std::move(rec));
      throw;
    }
  }
  if (rec->Kind == 'L') {
    // A generated list cannot be rebuilt: the current text keeps its own name and kind, so that
    // nothing is ever saved under the list's title.
    WARNAbs("Надо доделывать"_cp);
    Done = true;
    return;
  }
  SetText(EdFile, name);
  Reply = "EXIT FILE";
  SetText(EdReply, Reply);
  const bool isFolder = DirExistsEd(name);
  SetCurDirOf(name, isFolder);
  if (rec->Kind == 'F')
    ShowFile(ExpandFileName(name), lines);
  else
    ListCurDir();
  ListMode = rec->Kind == 'M' || (rec->Kind == 'F' && HasExt(name, "DIR"));
  Kind = rec->Kind;
  ShowKind();
  SetPathCol();
  ResetTable();
  GotoCaret(rec->Line, rec->Column);
  UpdateStatus();
  Done = true;
}

// ---------------------------------------------------------------- status

void TcvEd::UpdateStatus() {
  SyncCaret();
  if (Line < TabTop || Line > TabBottom) ResetTable();
  IsFile = false;
  IsLink = false;
  const std::string text = LineText(Line);
  bool wordStep = true;
  if (ListMode) {
    if (static_cast<int32_t>(text.size()) >= PathCol)
      Word = TrimSp(text.substr(static_cast<size_t>(PathCol - 1)));
    else
      wordStep = false;
  } else {
    Word = WordAt(text, Col);
  }
  if (wordStep) {
    if (CurWord) {
      Reply = Word;
      SetText(EdReply, Word);
    }
    IsDir = false;
    if (FileExistsEd(ListMode ? ResolveEdName(Word) : Word)) {
      IsFile = true;
    } else {
      if (ListMode) {
        const std::string up = UpCaseStrCyr(Word);
        if (up.size() >= 10 && up.compare(up.size() - 10, 10, "MICROS.DIR") == 0)
          Word.erase(Word.size() - 10);
      }
      if (!Word.empty() && DirExistsEd(Word)) {
        IsDir = true;
        IsFile = true;
      }
    }
    const std::string ext = ExtUpper(Word);
    IsLink = ext == "HTM" || ext == "HTML" || UpCaseStrCyr(Word.substr(0, 4)) == "HTTP";
  }
  PrevLineWords = LineWords;
  LineWords = WordCount(text);
  WordNo = WordIndexAt(text, Col);
  if (CurTT && CurTT->Count() != LineWords) ResetTable();
  if (!CurTT) {
    TabBounds(TabTop, TabBottom);
    MakeCurTT(TabTop, TabBottom);
  }
  int32_t c = 0, G = 0, S = 0, W = 0;
  if (CurTT && CurTT->Count() > 1) {
    c = CurTT->GetIC(Col);
    if (c >= 1 && c <= CurTT->Count()) CurTT->GetBeWi(c, G, S, W);
  }
  const std::string info =
      "Col" + IntStr(c) + " IB=" + IntStr(S) + " W=" + IntStr(W) + "-" + IntStr(G);
  if (OnStatus) {
    TEdStatus st;
    st.Line = Line;
    st.Col = Col;
    st.LineWords = LineWords;
    st.WordNo = WordNo;
    st.Writable = Writable;
    st.Insert = Insert;
    st.CurWord = CurWord;
    st.IsFile = IsFile;
    st.IsLink = IsLink;
    st.Word = Word;
    st.Reply = Reply;
    st.ColInfo = info;
    OnStatus(st);
  }
}

void TcvEd::OpenLinked() {
  if (IsFile) {
    const std::string name = ResolveEdName(Word);
    const std::string ext = ExtUpper(name);
    if (ext == "TIF" || ext == "JPG" || ext == "BMP") CallProc(OnOpenFile);
    if (!Done && (ext == "DOC" || ext == "XLS" || ext == "PDF")) {
      OpenDoc(0, name);
      Done = true;
    }
    if (!Done) {
      EnterFile("", Word, 0, 0);
      Done = true;
    }
  } else if (IsLink) {
    RunFile(0, Word);
    Done = true;
  }
}

// ---------------------------------------------------------------- modes

void TcvEd::Show() {
  Shown = true;
  Writable = Tunes && Tunes->Flag("EdEnabled");
  CurWord = Tunes && Tunes->Flag("EdCurWord");
  Insert = Tunes && Tunes->Flag("EdInsert");
  Check("RW", Writable);
  Check("Wd", CurWord);
  Check("IR", Insert);
  if (Memo) Memo->SetColor(Writable ? kWhite : kLightGrey);
  ShowKind();
}

void TcvEd::Hide() { Shown = false; }

void TcvEd::SetWinFont() {
  if (Memo) Memo->SetFont("Courier", 204, Memo->FontHeight());
}

void TcvEd::SetDosFont() {
  if (Memo) Memo->SetFont("Terminal", 255, Memo->FontHeight());
}

void TcvEd::ToggleFont() {
  if (!Memo) return;
  if (Memo->FontCharset() == 255)
    SetWinFont();
  else
    SetDosFont();
}

void TcvEd::SetInsert(bool Flag) {
  Check("IR", Flag);
  Insert = Flag;
  if (Tunes) Tunes->SetFlag("EdInsert", Flag);
}

void TcvEd::ToggleInsert() { SetInsert(!Insert); }

void TcvEd::CurWordMode(TInfField* Field) {
  CurWord = Frame("Wd", Field) == 1;
  if (Tunes) Tunes->SetFlag("EdCurWord", CurWord);
}

void TcvEd::WritableMode(TInfField* Field) {
  Writable = Frame("RW", Field) == 1;
  if (Tunes) Tunes->SetFlag("EdEnabled", Writable);
  if (Memo) Memo->SetColor(Writable ? kWhite : kLightGrey);
}

void TcvEd::JumpLineCol() {
  int32_t c1 = 0, c2 = 0;
  const int32_t l = ValIntCode(TrimSp(TextOf(EdJS)), c1);
  const int32_t c = ValIntCode(TrimSp(TextOf(EdIP)), c2);
  if (c1 != 0 || c2 != 0 || TrimSp(TextOf(EdJS)).empty() || TrimSp(TextOf(EdIP)).empty()) return;
  GotoCaret(l, c);
  Line = l;
  Col = c;
}

void TcvEd::EdColEdit(TInfField* Field) {
  if (!Field) return;
  Col = Field->GetInt();
  SetText(EdIP, IntStr(Col));
}

void TcvEd::EdLineEdit(TInfField* Field) {
  if (!Field) return;
  Line = Field->GetInt();
  SetText(EdJS, IntStr(Line));
}

// ---------------------------------------------------------------- editing

bool TcvEd::CanEdit() {
  if (Writable) return true;
  WARNAbs("Редактирование запрещено.\r\nЧтобы разрешить редактирование нажмите кнопку \"Edit\""_cp);
  return false;
}

namespace {
std::string Padded(std::string S, int32_t N) {
  if (static_cast<int32_t>(S.size()) < N) S.append(static_cast<size_t>(N) - S.size(), ' ');
  return S;
}
}  // namespace

// The part of a listing line that column C falls in: 0 visible, 1 a marker column, 2 the
// middle of the marker, 3 the path. False when the line layout makes no sense (PathCol < 7).
bool TcvEd::ListPart(int32_t C, int& Part) const {
  if (PathCol < 7) return false;
  if (C <= PathCol - 7)
    Part = 0;
  else if (C == PathCol - 6 || C == PathCol - 1)
    Part = 1;
  else if (C < PathCol - 1)
    Part = 2;
  else
    Part = 3;
  return true;
}

void TcvEd::TypeChar(char Ch) {
  if (!CanEdit()) return;
  SyncCaret();
  if (!Memo) return;
  if (Memo->LineCount() == 0) Memo->AddLine("");
  std::string s = LineRaw(Line);
  int part = 0;
  const bool list = ListMode && ListPart(Col, part);
  if (list)
    s = Padded(s, std::max(Col, PathCol));
  else
    s = Padded(s, Insert ? Col - 1 : Col);
  if (Insert) {
    if (!list) {
      s.insert(static_cast<size_t>(Col - 1), 1, Ch);
    } else {
      std::string vis = s.substr(0, static_cast<size_t>(PathCol - 7));
      std::string mid = s.substr(static_cast<size_t>(PathCol - 6), 4);
      std::string path = s.substr(static_cast<size_t>(PathCol - 1));
      if (part == 0) {
        vis.insert(static_cast<size_t>(Col - 1), 1, Ch);
        vis.pop_back();
      } else if (part == 2) {
        mid.insert(static_cast<size_t>(Col - (PathCol - 5)), 1, Ch);
        mid.pop_back();
      } else if (part == 3) {
        path.insert(static_cast<size_t>(Col - PathCol), 1, Ch);
      }
      s = vis + "!" + mid + "!" + path;
    }
    ++Changes;
  } else if (!(list && part == 1) && s[static_cast<size_t>(Col - 1)] != Ch) {
    s[static_cast<size_t>(Col - 1)] = Ch;
    ++Changes;
  }
  PutLine(Line, s);
  ++Col;
  Memo->SetCaret(Line - 1, Col - 1);
  ShowChanged();
}

void TcvEd::TypeText(const std::string& Text) {
  for (char c : Text) TypeChar(c);
}

void TcvEd::Backspace() {
  SyncCaret();
  BackspaceAt();
}

void TcvEd::DeleteChar() {
  SyncCaret();
  ++Col;
  BackspaceAt();
}

void TcvEd::BackspaceAt() {
  if (!Memo || Col <= 1) return;
  std::string s = LineRaw(Line);
  const int32_t len = static_cast<int32_t>(s.size());
  auto moveLeft = [this] {
    --Col;
    Memo->SetCaret(Line - 1, Col - 1);
  };
  if (len < Col - 1) {
    moveLeft();
    return;
  }
  if (s[static_cast<size_t>(Col - 2)] == ' ') {
    if (!Insert) {
      moveLeft();
      return;
    }
    if (ListMode) {
      bool blanks = true;
      for (int32_t i = Col; i <= std::min(PathCol - 1, len); ++i)
        if (s[static_cast<size_t>(i - 1)] != ' ') blanks = false;
      if (blanks) {
        moveLeft();
        return;
      }
    }
  }
  if (!CanEdit()) return;
  const int32_t P = Col - 1;  // the character removed
  int part = 0;
  const bool list = ListMode && ListPart(P, part);
  if (Insert) {
    if (!list) {
      s.erase(static_cast<size_t>(P - 1), 1);
    } else {
      s = Padded(s, PathCol - 1);
      std::string vis = s.substr(0, static_cast<size_t>(PathCol - 7));
      std::string mid = s.substr(static_cast<size_t>(PathCol - 6), 4);
      std::string path = s.substr(static_cast<size_t>(PathCol - 1));
      if (part == 0) {
        vis.erase(static_cast<size_t>(P - 1), 1);
        vis += ' ';
      } else if (part == 2) {
        mid.erase(static_cast<size_t>(P - (PathCol - 5)), 1);
        mid += ' ';
      } else if (part == 3) {
        path.erase(static_cast<size_t>(P - PathCol), 1);
      }
      s = vis + "!" + mid + "!" + path;
    }
  } else if (!(list && part == 1)) {
    s[static_cast<size_t>(P - 1)] = ' ';
  }
  ++Changes;
  PutLine(Line, s);
  moveLeft();
  ShowChanged();
}

void TcvEd::ClearToEnd() {
  SyncCaret();
  if (!CanEdit()) return;
  std::string s = LineRaw(Line);
  const int32_t len = static_cast<int32_t>(s.size());
  if (len < Col) return;
  int32_t end = len;
  if (ListMode) {
    if (Col < PathCol)
      end = PathCol - 1;
    else if (Col <= PathCol + 4)
      end = PathCol + 4;
  }
  end = std::min(end, len);
  bool changed = false;
  for (int32_t i = Col; i <= end; ++i)
    if (s[static_cast<size_t>(i - 1)] != ' ') {
      s[static_cast<size_t>(i - 1)] = ' ';
      changed = true;
    }
  if (!changed) return;
  ++Changes;
  PutLine(Line, s);
  Memo->SetCaret(Line - 1, Col - 1);
  ShowChanged();
}

void TcvEd::InsertLine() {
  SyncCaret();
  if (!CanEdit() || !Memo) return;
  std::string s;
  if (ListMode && PathCol >= 7) {
    s.assign(static_cast<size_t>(PathCol - 1), ' ');
    s[static_cast<size_t>(PathCol - 7)] = '!';
    s[static_cast<size_t>(PathCol - 2)] = '!';
  }
  Memo->InsertLine(std::min(Line - 1, Memo->LineCount()), s);
  ++Changes;
  Memo->SetCaret(Line - 1, Col - 1);
  ShowChanged();
}

void TcvEd::DeleteLine() {
  SyncCaret();
  if (!CanEdit() || !Memo) return;
  if (Line < 1 || Line > Memo->LineCount()) return;
  Memo->DeleteLine(Line - 1);
  ++Changes;
  Memo->SetCaret(Line - 1, Col - 1);
  ShowChanged();
}

void TcvEd::SwapBlanks() {
  SyncCaret();
  if (!CanEdit() || !Memo) return;
  if (Line < 1 || Line > Memo->LineCount()) return;
  std::string s = LineRaw(Line);
  for (char& c : s) {
    if (c == ' ')
      c = '_';
    else if (c == '_')
      c = ' ';
  }
  PutLine(Line, s);
  Memo->SetCaret(Line - 1, Col - 1);
}

void TcvEd::NewLineIndent() {
  SyncCaret();
  const std::string s = LineText(Line);
  const size_t p = s.find_first_not_of(' ');
  Col = p == std::string::npos ? 1 : static_cast<int32_t>(p) + 1;
  Line = std::min(Line + 1, std::max(Memo ? Memo->LineCount() : 1, 1));
  GotoCaret(Line, Col);
  LogInt("eX", Col);
  LogInt("eY", Line);
}

void TcvEd::CaretUp(int32_t N) {
  if (!Memo) return;
  int l = 0, c = 0;
  Memo->CaretPos(l, c);
  if (l == 0) return;
  if (Col == 0) Col = c + 1;
  const int32_t target = std::clamp(l + 1 - N, 1, std::max(Memo->LineCount(), 1));
  const int32_t len = static_cast<int32_t>(LineRaw(target).size());
  Memo->SetCaret(target - 1, (len < Col ? len + 1 : Col) - 1);
  Memo->ScrollCaretIntoView();
  UpdateStatus();
}

void TcvEd::CaretDown(int32_t N) {
  if (!Memo) return;
  int l = 0, c = 0;
  Memo->CaretPos(l, c);
  if (Col == 0) Col = c + 1;
  const int32_t target = std::clamp(l + 1 + N, 1, std::max(Memo->LineCount(), 1));
  const int32_t len = static_cast<int32_t>(LineRaw(target).size());
  Memo->SetCaret(target - 1, (len < Col ? len + 1 : Col) - 1);
  Memo->ScrollCaretIntoView();
  UpdateStatus();
}

void TcvEd::FilePicInf() {
  if (!FileExistsEd(Word)) return;
  std::unique_ptr<TStringList> L = PictureInfo(Word);
  if (!L) return;
  if (L->Count() >= 1000) {
    WARNAbs("Ed.FilePicInf файл <"_cp + Word + "> содержит "_cp + IntStr(L->Count()) +
            " строк!"_cp);
    return;
  }
  std::string r;
  for (int i = 0; i < L->Count(); ++i) {
    if (i) r += ' ';
    r += (*L)[i];
  }
  Reply = r;
  SetText(EdReply, r);
  CurWord = false;
  Check("Wd", false);
}

void MemoInsertStr(const std::string& Text, platform::Memo* Memo) {
  if (!Memo) return;
  int l = 0, c = 0;
  Memo->CaretPos(l, c);
  if (Memo->LineCount() == 0) Memo->AddLine("");
  std::string s = Memo->Line(l);
  const size_t cut = std::min(static_cast<size_t>(c), s.size());
  s = s.substr(0, cut) + Text + s.substr(cut);
  Memo->SetLine(l, s);
  Memo->SetCaret(l, c + static_cast<int>(Text.size()));
  Memo->SetFocus();
}
