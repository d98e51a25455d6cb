// The text editor on the main window's memo: shows text files, generated lists (every report of
// the program) and folder listings, remembers where the user was in every text and keeps a stack
// of the texts passed through (Esc goes back), opens the word under the caret, edits by its own
// rules (overwrite or insert, a write lock, listing lines keep their marker and path), and works
// on the text table around the caret (column commands, sorting, aligning, the clipboard).
// Lines and columns of the editor count from 1.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/cvStrList.h"
#include "foundation/cvTabCol.h"
#include "foundation/cvTy.h"
#include "platform/Controls.h"
#include "platform/Memo.h"

class TInf;
class TInfField;
class TcvKeyb;
class TFiler;
class TTunes;

// What the editor reports after every status update (the main window shows it).
struct TEdStatus {
  int32_t Line = 0, Col = 0, LineWords = 0, WordNo = 0;
  bool Writable = false, Insert = false, CurWord = false, IsFile = false, IsLink = false;
  std::string Word, Reply, ColInfo;
};

// Statistics of the caret column (Y) against the X column of the table at the caret.
struct TEdColStat {
  int32_t N = 0;    // number of values
  int32_t Col = 0;  // the caret column's number
  // Y alone
  double Min = 0, Max = 0, RmsStep = 0, MeanAbsStep = 0, Mean = 0;
  // X and Y together: means, covariance and variances (A = X, B = Y)
  double MeanA = 0, Cov = 0, VarB = 0, VarA = 0, MeanB = 0;
  // regressions and correlations
  double MeanX = 0, MeanY = 0, SigmaX = 0, SigmaY = 0, Corr = 0, SlopeYX = 0, InterYX = 0,
         SlopeXY = 0, InterXY = 0, QA = 0, QB = 0, QC = 0, QuadCorr = 0, ErrSlope = 0,
         ErrInter = 0, ErrCorr = 0;
};

class TcvEd : public platform::MemoHandler {
 public:
  using TEdProc = std::function<void()>;
  using TEdStatusProc = std::function<void(const TEdStatus& Status)>;

  TcvEd() = default;
  // Removes the hooks this editor installed. The memo is not touched: whoever frees the memo
  // first calls Unbind (or the memo's SetHandler(nullptr)).
  ~TcvEd() override;
  TcvEd(const TcvEd&) = delete;
  TcvEd& operator=(const TcvEd&) = delete;

  // ---- bound controls and objects ----
  platform::TControl* World = nullptr;  // the main window
  platform::Memo* Memo = nullptr;       // MemoEd
  platform::TControl* EdFile = nullptr;
  platform::TControl* EdReply = nullptr;
  platform::TControl* EdJS = nullptr;
  platform::TControl* EdIP = nullptr;
  platform::TControl* EdColCur = nullptr;
  platform::TControl* LbKind = nullptr;
  platform::TControl* LbWordN = nullptr;
  platform::TControl* LbCurTT = nullptr;

  // ---- switches and state ----
  bool Writable = false;
  bool Insert = false;
  bool Shown = false;
  bool CurWord = false;
  std::string Word;
  std::string Reply;
  int32_t Line = 0, Col = 0;
  int32_t WordNo = 0;
  char Kind = 'N';  // F file, L generated list, M folder listing, N nothing yet
  int32_t PrevLineWords = 0, LineWords = 0;
  TEdProc OnBeforeLoad, OnAfterLoad, OnOpenFile, OnEnterLink;
  TEdStatusProc OnStatus;
  bool Done = false;
  TInf* Inf = nullptr;
  TcvKeyb* Keyb = nullptr;
  TFiler* Filer = nullptr;
  TTunes* Tunes = nullptr;
  std::unique_ptr<TTextTabStruct> CurTT;
  int32_t TabTop = 0, TabBottom = 0;
  char Quote = '"';
  char Sep = ' ';
  bool ListMode = false;
  int32_t PathCol = 59;
  bool IsDir = false, IsFile = false, IsLink = false;
  int32_t Changes = 0;
  std::string CurName;
  char ColOpLetter = ' ';

  // Binds the editor, loads the file history and makes the editor the program's viewer of
  // reports and of files with errors. A missing file history is fatal.
  void Init(platform::TControl* World, platform::Memo* Memo, platform::TControl* EdFile,
            platform::TControl* EdReply, platform::TControl* EdJS, platform::TControl* EdIP,
            platform::TControl* EdColCur, platform::TControl* LbKind,
            platform::TControl* LbWordN, platform::TControl* LbCurTT, TFiler* Filer,
            TcvKeyb* Keyb, TTunes* Tunes, TInf* Inf, TEdProc OnBeforeLoad, TEdProc OnAfterLoad,
            TEdProc OnOpenFile, TEdProc OnEnterLink, TEdStatusProc OnStatus);

  // Detaches the editor from its memo.
  void Unbind();

  // ---- texts ----
  // Opens a file or folder (Line, Pos 0, 0: at the position remembered for it), remembering the
  // text left on the stack; ErrText goes to the reply line.
  void EnterFile(const std::string& ErrText, const std::string& FileName, int32_t Line,
                 int32_t Pos);
  // Back to the previous entry of the stack (Esc).
  void ExitFile();
  // A string list as a navigable entry.
  void EnterSL(const std::string& Title, const TStringList* List);
  // A list shown as the text (reports), replacing it or appended to it.
  void EdLoadSL(const std::string& Title, const TStringList* List);
  void EdAppendSL(const std::string& Title, const TStringList* List);
  void EdAddSL(const std::string& Title, const TStringList* List, bool Append);
  void LoadFile(const std::string& FileName);
  void Reload();
  // Writes a file text to its file; false (text and change count kept) when it cannot be written.
  bool SaveFile();
  void ListCurDir();
  // Remembers the current position on the stack before another text replaces this one; a
  // modified file is saved first. False when that save failed (the text must then stay).
  bool PushPos();
  // A modified file saved and the current position recorded in the enter list. False when the
  // save failed.
  bool NotePos();

  // ---- status and the word under the caret ----
  void UpdateStatus();
  void OpenLinked();
  // Line N of the memo right-trimmed; empty outside 1..line count.
  std::string LineText(int32_t N) const;
  // The name a word stands for: an existing file unchanged; a listing path ending in
  // "micros.dir" cut to its folder; an existing folder; else the word's first (quoted) word.
  static std::string ResolveEdName(const std::string& Name);

  // ---- keys ----
  // A key with the memo focused; true when the memo must not see it.
  bool KeyDown(uint16_t Key, bool Shift, bool Ctrl, bool Alt);
  // A posted key command (256 + key plain, 512 + key with Ctrl); true when consumed.
  bool KeyCmd(int32_t Code);
  void TypeChar(char Ch);
  void TypeText(const std::string& Text);
  void Backspace();
  void DeleteChar();
  void ClearToEnd();
  void InsertLine();
  void DeleteLine();
  void SwapBlanks();
  void NewLineIndent();
  void CaretUp(int32_t N);
  void CaretDown(int32_t N);
  void FilePicInf();
  // The write lock: false (with the warning) when editing is not allowed.
  bool CanEdit();

  // ---- modes ----
  void Show();
  void Hide();
  void SetWinFont();
  void SetDosFont();
  void ToggleFont();
  void SetInsert(bool Flag);
  void ToggleInsert();
  // The switches follow their panel fields' frames ("Wd", "RW"); Field may be nullptr.
  void CurWordMode(TInfField* Field = nullptr);
  void WritableMode(TInfField* Field = nullptr);
  void JumpLineCol();
  void EdColEdit(TInfField* Field);
  void EdLineEdit(TInfField* Field);

  // ---- text tables ----
  void TabBounds(int32_t& Top, int32_t& Bottom);
  void ShowTabBounds();
  void MakeCurTT(int32_t Top, int32_t Bottom);
  void ResetTable();
  // The column command of a panel field ("cC", "cB", ...).
  void ColCommand(TInfField* Field);
  void ColOpRepeat();
  void ColOp(char Letter);
  void TablAlign();
  void ColAlign();
  void TablSortUp();
  void TablSortDown();
  void TablSort(bool Descending);
  void ExcelExport();
  void CurTabToClipboard();
  void ClipboardTableImport();
  void ClipboardPaste();
  void SLImport(const TStringList* List, bool Framed);
  void ColumnToClipboard();
  void InsertColumn();
  // False when the statistics cannot be made (with a warning where the X column is wrong).
  bool ColStat(TEdColStat& Stat);
  // The X column (panel field "nX") and the caret's column of the table at the caret, from
  // index 1; false with a warning when there is no table or the X column is wrong.
  bool EdTabStatXY(TARe& AX, TARe& AY);
  // Every K rows of the block at the current line joined into one row (TabRowsToCols, which
  // refuses a K that does not divide the block); the caret stays, the column structure is made
  // for the new block. True when the text changed.
  bool TabRegroup(int32_t K);

  // ---- what the memo reports (platform::MemoHandler) ----
  bool MemoKeyDown(uint16_t Key, bool Shift, bool Ctrl, bool Alt) override;
  void MemoKeyUp(uint16_t Key, bool Shift, bool Ctrl, bool Alt) override;
  void MemoClick() override;
  bool MemoDoubleClick() override;
  bool MemoWheel(int Delta) override;

 private:
  void CallProc(const TEdProc& Proc);
  void ShowKind();
  void ShowChanged();
  void SetText(platform::TControl* C, const std::string& Text);
  std::string TextOf(platform::TControl* C) const;
  void Check(const std::string& Code, bool Flag);
  int32_t Frame(const std::string& Code, TInfField* Field) const;
  // The edit text of a panel field without its label; Ok false when the field is missing.
  std::string FieldText(const std::string& Code) const;
  int32_t FieldIntOr(const std::string& Code, int32_t Default) const;
  void LogInt(const std::string& Code, int32_t Value);
  void SyncCaret();
  void GotoCaret(int32_t L, int32_t C);
  void SetCurDirOf(const std::string& Name, bool IsFolder);
  void ShowFile(const std::string& FullName, const TStringList& L);
  void SetPathCol();
  bool KeepEdits();
  std::unique_ptr<TStringList> MemoSL() const;
  void PutBack(const TStringList& SL);
  std::string LineRaw(int32_t N) const;
  void PutLine(int32_t N, const std::string& Text);
  void BackspaceAt();
  bool ListPart(int32_t C, int& Part) const;
  void InstallLinks();
  void RemoveLinks();
  bool TabColumnsXY(TARe& AX, TARe& AY, int32_t& YCol, bool WarnEmpty);
};

// The one editor of the program; nullptr until the application creates it.
extern TcvEd* Ed;

// True when the editor object exists; otherwise the warning "Ed.Init Err - ..." and false.
bool EdAssigned(const TcvEd* E);

// A text inserted at the caret of any memo; the caret goes behind it and the memo gets the focus.
void MemoInsertStr(const std::string& Text, platform::Memo* Memo);

// ---- the program's own keyboard layouts ----
// Characters of a virtual-key code in the English ("E") and Russian ("R") layouts: plain and
// with Shift, and whether CapsLock inverts the case. Zero characters for other keys.
struct TKbVKRec {
  char EngPlain = 0, EngShift = 0;
  bool EngCaps = false;
  char RusPlain = 0, RusShift = 0;
  bool RusCaps = false;
};
const TKbVKRec& KbVKTable(uint16_t Key);
// The character of a key in a layout; 0 with Alt or Ctrl, or for a key without characters.
char KeyChar(uint16_t Key, bool Shift, bool Alt, bool Ctrl, bool CapsLock, char Layout);
// The virtual-key code of a character of either layout (the key that types it); 0 when none.
uint16_t VKOfChar(char Ch);
