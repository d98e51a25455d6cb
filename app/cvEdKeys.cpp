// The editor's keys: the program's own English and Russian layouts, the keys of the focused memo
// (commands posted for later, characters typed at once), the key table of the editor and the
// posted key commands.
#include <array>

#include "app/cvEd.h"
#include "app/cvInf.h"
#include "app/cvKeyb.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "platform/Clipboard.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace vk = platform::vk;

namespace {

char UpperCp(char C) {
  const unsigned char u = static_cast<unsigned char>(C);
  if (u >= 0xE0) return static_cast<char>(u - 32);
  if (u == 0xB8) return static_cast<char>(0xA8);  // ё -> Ё
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  return C;
}

std::array<TKbVKRec, 256> BuildKbVKTable() {
  std::array<TKbVKRec, 256> t{};
  auto set = [&t](int Key, char EP, char ES, bool EC, char RP, char RS, bool RC) {
    t[static_cast<size_t>(Key)] = TKbVKRec{EP, ES, EC, RP, RS, RC};
  };
  const std::string eng = "QWERTYUIOPASDFGHJKLZXCVBNM";
  const std::string rus = "йцукенгшщзфывапролдячсмить"_cp;
  for (size_t i = 0; i < eng.size(); ++i)
    set(eng[i], static_cast<char>(eng[i] + 32), eng[i], true, rus[i], UpperCp(rus[i]), true);
  const std::string digits = "1234567890";
  const std::string engShift = "!@#$%^&*()";
  const std::string rusShift = "!\"№;%:?*()"_cp;
  for (size_t i = 0; i < digits.size(); ++i)
    set(digits[i], digits[i], engShift[i], false, digits[i], rusShift[i], false);
  const int keys[] = {192, 189, 187, 219, 221, 220, 186, 222, 188, 190, 191};
  const std::string ep = "`-=[]\\;',./", es = "~_+{}|:\"<>?";
  const std::string rp = "ё-=хъ\\жэбю."_cp, rs = "Ё_+ХЪ/ЖЭБЮ,"_cp;
  for (size_t i = 0; i < std::size(keys); ++i) {
    const bool letter = static_cast<unsigned char>(rp[i]) >= 0xB8;
    set(keys[i], ep[i], es[i], false, rp[i], rs[i], letter);
  }
  set(vk::Space, ' ', ' ', false, ' ', ' ', false);
  for (int d = 0; d <= 9; ++d) {
    const char c = static_cast<char>('0' + d);
    set(96 + d, c, c, false, c, c, false);
  }
  const std::string padKeys = "*+ -./";  // 106 .. 111 (108 is the separator key)
  for (size_t i = 0; i < padKeys.size(); ++i)
    if (padKeys[i] != ' ')
      set(106 + static_cast<int>(i), padKeys[i], padKeys[i], false, padKeys[i], padKeys[i], false);
  return t;
}

// The plain keys whose commands the editor takes (the memo does not see them).
bool EditorPlainKey(uint16_t K) {
  switch (K) {
    case vk::Back:
    case vk::Return:
    case vk::Escape:
    case vk::Insert:
    case vk::Delete:
    case vk::F2:
    case vk::F6:
    case vk::F8:
      return true;
    default:
      return false;
  }
}

}  // namespace

const TKbVKRec& KbVKTable(uint16_t Key) {
  static const std::array<TKbVKRec, 256> table = BuildKbVKTable();
  static const TKbVKRec none{};
  return Key < 256 ? table[Key] : none;
}

char KeyChar(uint16_t Key, bool Shift, bool Alt, bool Ctrl, bool CapsLock, char Layout) {
  if (Alt || Ctrl) return 0;
  const TKbVKRec& r = KbVKTable(Key);
  const bool rus = Layout == 'R';
  const bool caps = rus ? r.RusCaps : r.EngCaps;
  const bool shifted = caps ? (Shift != CapsLock) : Shift;
  if (rus) return shifted ? r.RusShift : r.RusPlain;
  return shifted ? r.EngShift : r.EngPlain;
}

uint16_t VKOfChar(char Ch) {
  if (Ch == 0) return 0;
  for (int pass = 0; pass < 2; ++pass)
    for (uint16_t k = 1; k < 256; ++k) {
      if (k >= 96 && k <= 111) continue;
      const TKbVKRec& r = KbVKTable(k);
      const bool hit = pass == 0 ? (r.EngPlain == Ch || r.EngShift == Ch)
                                 : (r.RusPlain == Ch || r.RusShift == Ch);
      if (hit) return k;
    }
  return 0;
}

// ---------------------------------------------------------------- the focused memo

bool TcvEd::MemoKeyDown(uint16_t Key, bool Shift, bool Ctrl, bool Alt) {
  if (Keyb) Keyb->LastKey = Key;
  const char layout = Keyb ? Keyb->Layout : 'E';
  const bool caps = platform::LockKeyOn('C');
  bool handled = false;

  // A panel field in editing takes the keys: characters and Left/Right are consumed.
  if (Inf && Inf->Selected >= 0 && Inf->Editing) {
    int32_t code = 0;
    if (!Ctrl && !Alt) {
      const char c = KeyChar(Key, Shift, Alt, Ctrl, caps, layout);
      code = static_cast<unsigned char>(c);
    }
    if (code == 0 && !Shift && !Alt) code = (Ctrl ? 512 : 256) + Key;
    if (code != 0) {
      TInf* inf = Inf;
      Memo->Post([inf, code] { inf->KeyCmd(code); });
    }
    if ((!Shift && !Ctrl && !Alt && (Key == vk::Left || Key == vk::Right)) ||
        (code > 0 && code < 256))
      return true;
  }

  // Plain keys: the editor's commands are posted and the memo does not see those keys.
  if (!Shift && !Ctrl && !Alt) {
    const bool panelSelected = Inf && Inf->Selected >= 0;
    if (!panelSelected && KeyChar(Key, false, false, false, caps, layout) == 0) {
      const int32_t code = 256 + Key;
      Memo->Post([this, code] { KeyCmd(code); });
    }
    handled = EditorPlainKey(Key);
  }
  if (!handled && Ctrl) handled = KeyDown(Key, Shift, Ctrl, Alt);
  if (!handled && Shift && !Ctrl && !Alt) handled = KeyDown(Key, Shift, Ctrl, Alt);
  if (!handled && !Ctrl && !Alt) {
    const char c = KeyChar(Key, Shift, Alt, Ctrl, caps, layout);
    if (c != 0) {
      TypeChar(c);
      handled = true;
    }
  }
  return handled;
}

void TcvEd::MemoKeyUp(uint16_t Key, bool Shift, bool Ctrl, bool Alt) {
  (void)Shift, (void)Ctrl, (void)Alt;
  // Ctrl pressed and released alone switches the program's layout.
  if (Key == vk::Control && Keyb && Keyb->LastKey == vk::Control) {
    if (Keyb->Layout == 'R')
      Keyb->SetEng();
    else
      Keyb->SetRus();
  }
  UpdateStatus();
}

void TcvEd::MemoClick() { UpdateStatus(); }

bool TcvEd::MemoDoubleClick() {
  UpdateStatus();
  if (!IsFile) return false;
  Done = false;
  OpenLinked();
  return Done;
}

bool TcvEd::MemoWheel(int Delta) {
  if (Delta == -120)
    CaretDown(3);
  else if (Delta == 120)
    CaretUp(3);
  return false;
}

// ---------------------------------------------------------------- the key table

bool TcvEd::KeyDown(uint16_t Key, bool Shift, bool Ctrl, bool Alt) {
  if (Alt) return false;
  if (!Ctrl && !Shift) {
    switch (Key) {
      case vk::Back:
        Backspace();
        return true;
      case vk::Return:
        if (IsFile) {
          CallProc(OnEnterLink);
          if (!Done) OpenLinked();
        } else {
          NewLineIndent();
        }
        return true;
      case vk::Escape:
        ExitFile();
        return true;
      case vk::Insert:
        ToggleInsert();
        return true;
      case vk::Delete:
        DeleteChar();
        return true;
      case vk::F2:
        FilePicInf();
        return true;
      case vk::F6:
        InsertLine();
        return true;
      case vk::F8:
        ToggleFont();
        return true;
      default:
        return false;
    }
  }
  if (Ctrl) {
    switch (Key) {
      case vk::Return:
        if (IsFile || (EdFile && platform::IsRegularFile(EdFile->Text()))) {
          CallProc(OnOpenFile);
          return Done;
        }
        return false;
      case vk::Insert:
        return false;
      case 'A':
        if (Memo) Memo->SelectAll();
        return true;
      case 'C': {
        if (!Memo || Memo->HasSelection()) return false;
        SyncCaret();
        int32_t top = 0, bottom = -1;
        TabBounds(top, bottom);
        if (bottom - top + 1 < 2) return false;
        const std::string s = LineRaw(Line);
        TabTop = top;
        TabBottom = bottom;
        if (Col >= 1 && Col <= static_cast<int32_t>(s.size()) &&
            s[static_cast<size_t>(Col - 1)] != ' ')
          ColumnToClipboard();
        else
          CurTabToClipboard();
        return true;
      }
      case 'D':
        ClearToEnd();
        return true;
      case 'L':
        ProfileReport();
        return false;
      case 'T':
        SwapBlanks();
        return true;
      case 'V':
        SyncCaret();
        if (platform::ClipboardHasSpreadsheet())
          ClipboardTableImport();
        else
          ClipboardPaste();
        ResetTable();
        UpdateStatus();
        return true;
      case 'W': {
        if (!Memo) return true;
        Memo->Clear();
        Line = Col = 1;
        std::unique_ptr<TStringList> L =
            platform::ClipboardHasSpreadsheet() ? ClipboardToTab() : ClipboardToSL();
        SLImport(L.get(), false);
        ResetTable();
        UpdateStatus();
        return true;
      }
      case 'Y':
        DeleteLine();
        return true;
      case vk::Control:
        return false;
      default:
        WARNAbs("Ed.Mess100 Нажато $"_cp + IntHex(Key));
        return false;
    }
  }
  // Shift alone: the memo acts on the key itself, the text counts as changed.
  if (Key == vk::Return || Key == vk::Insert || Key == vk::Delete) ++Changes;
  return false;
}

bool TcvEd::KeyCmd(int32_t Code) {
  switch (Code) {
    case 256 + vk::Back:
      Backspace();
      return true;
    case 256 + vk::Return:
      Done = false;
      if (IsFile) {
        CallProc(OnEnterLink);
        if (!Done) OpenLinked();
      } else if (IsLink) {
        OpenLinked();
      }
      if (!Done) NewLineIndent();
      return true;
    case 256 + vk::Escape:
      ExitFile();
      return true;
    case 256 + vk::Insert:
      ToggleInsert();
      return true;
    case 256 + vk::Delete:
      DeleteChar();
      return true;
    case 256 + vk::F2:
      FilePicInf();
      return true;
    case 256 + vk::F6:
      InsertLine();
      return true;
    case 256 + vk::F8:
      ToggleFont();
      return true;
    case 512 + vk::Return:
      Done = false;
      if (IsFile) CallProc(OnOpenFile);
      return Done;
    case 512 + 'A':
      if (Memo) Memo->SelectAll();
      return true;
    case 512 + 'D':
      ClearToEnd();
      return true;
    case 512 + 'T':
      SwapBlanks();
      return true;
    case 512 + 'Y':
      DeleteLine();
      return true;
    default:
      return false;
  }
}
