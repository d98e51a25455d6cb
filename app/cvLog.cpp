#include "app/cvLog.h"

#include <algorithm>
#include <cstring>

#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"
#include "platform/MsgBox.h"

// ---- TCustomLog ----

TCustomLog::TCustomLog(char K, int32_t Len) : DataLen(Len), Kind(K) { SetBounds(0, 0, 0); }

void TCustomLog::SetBounds(int32_t LM, int32_t LV, int32_t LT) {
  MaxCount = (LM >= 1 && LM <= MaxHistory) ? LM : MaxHistory;
  MaxBytes = (LV >= 1 && LV <= 32 * 1024) ? LV : 0;
  MaxAgeSec = (LT >= 1 && LT <= 12 * 60 * 60) ? LT : 0;
}

std::string TCustomLog::StoredText() const {
  if (DataLen >= 1 && DataLen <= 4) {
    std::string R;
    for (int i = 0; i < DataLen; ++i) {
      const char C = static_cast<char>((Cur.S >> (8 * i)) & 0xFF);
      if (C != 0) R += C;
    }
    return R;
  }
  return Cur.Text;
}

void TCustomLog::PushHistory(uint32_t Now) {
  History.push_back(Cur);
  HistoryBytes_ += Cur.Bytes();
  auto DropFront = [this]() {
    HistoryBytes_ -= History.front().Bytes();
    History.pop_front();
  };
  while (static_cast<int32_t>(History.size()) > MaxCount) DropFront();
  if (MaxBytes > 0)
    while (!History.empty() && HistoryBytes_ > static_cast<size_t>(MaxBytes)) DropFront();
  if (MaxAgeSec > 0) {
    const uint32_t MaxAge = static_cast<uint32_t>(MaxAgeSec) * 1000u;
    while (!History.empty() && Now - History.front().T > MaxAge) DropFront();
  }
}

// ---- TInfLog ----

TInfLog::TInfLog(uint16_t C, bool QLog, char K, int32_t Len, const std::string& Name, bool Flush)
    : TCustomLog(K, Len), Code(C), Keep(QLog), FlushEach(Flush) {
  if (!Name.empty()) OpenLog(Name);
}

TInfLog::~TInfLog() { CloseLog(); }

void TInfLog::OpenLog(const std::string& Name) {
  if (LogOpen && Name == LogName) return;
  CloseLog();
  LogName = Name;
  auto F = std::make_unique<TTextFile>();
  F->Assign(Name);
  const int32_t Err = platform::IsRegularFile(Name) ? F->Append() : F->Rewrite();
  (void)IOResult();
  if (Err == 0 && F->IsOpen()) {
    LogFile = std::move(F);
    LogOpen = true;
  }
}

void TInfLog::CloseLog() {
  if (LogFile) {
    try {
      LogFile->Close();
    } catch (...) {
    }
    LogFile.reset();
  }
  LogOpen = false;
}

void TInfLog::Commit(const TLogRec& New, const std::string& TextForFile, bool IsText) {
  const uint32_t Now = std::max<uint32_t>(1, MsClock());
  if (Keep) {
    if (Cur.T != 0) PushHistory(Now);
    if (LogOpen && Kind == 'S' && IsText) {
      try {
        LogFile->WriteLn(TextForFile);
        if (FlushEach) LogFile->Flush();
      } catch (...) {
        // A log that cannot be written is given up; the value is still set.
        CloseLog();
      }
    }
  }
  // Separate copies are new every time, so they always count as a change.
  const bool Separate = !New.Text.empty() || !New.Block.empty() || !Cur.Text.empty() ||
                        !Cur.Block.empty() ||
                        ((Kind == 'S' || Kind == 'N') && (DataLen == 0 || DataLen > 4));
  if (Separate || New.S != Cur.S) Drawn = false;
  Cur = New;
  Cur.T = Now;
}

void TInfLog::SetValue(const std::string& Text) {
  TLogRec New;
  if (DataLen >= 1 && DataLen <= 4) {
    for (int i = 0; i < DataLen && i < static_cast<int>(Text.size()); ++i)
      New.S |= static_cast<uint32_t>(static_cast<uint8_t>(Text[static_cast<size_t>(i)]))
               << (8 * i);
  } else {
    New.Text = Text;
  }
  Commit(New, Text, true);
}

void TInfLog::SetValue(int32_t Value) {
  TLogRec New;
  if (Kind == 'b' && DataLen == 0) DataLen = 1;
  const uint32_t U = static_cast<uint32_t>(Value);
  if (DataLen == 0) {
    platform::ShowMsgBox("Для поля информатора ТИПА "_cp + std::string(1, Kind) +
                             " задана нулевая длина данных!"_cp + "\r" +
                             "Проверьте таблицу, которая задает список полей"_cp + "\r" + "S=<" +
                             std::to_string(Value) + ">" + "\r" + "Hex(Rec.S)=" + IntHex8(Cur.S) +
                             " Hex(Rec.T)=" + IntHex8(Cur.T),
                         "cvLog Предупреждение или напоминание"_cp);
    New.S = 0;
  } else if (DataLen > 4) {
    // The value has 4 bytes; the rest of the block stays zero.
    New.Block.assign(static_cast<size_t>(DataLen), 0);
    for (int i = 0; i < 4; ++i) New.Block[static_cast<size_t>(i)] = static_cast<uint8_t>(U >> (8 * i));
  } else {
    const uint32_t Mask = DataLen >= 4 ? 0xFFFFFFFFu : ((1u << (8 * DataLen)) - 1);
    New.S = U & Mask;
  }
  Commit(New, std::string(), false);
}

// ---- the class library's Format over integers and texts ----

bool FormatArgs(const std::string& Tpl, const std::vector<TFmtArg>& Args, std::string& Out) {
  Out.clear();
  size_t ArgIx = 0;
  size_t i = 0;
  const size_t n = Tpl.size();
  auto ReadNum = [&](int32_t& V, bool& Star) -> bool {
    Star = false;
    if (i < n && Tpl[i] == '*') {
      Star = true;
      ++i;
      if (ArgIx >= Args.size() || Args[ArgIx].IsText) return false;
      V = static_cast<int32_t>(Args[ArgIx++].I);
      return true;
    }
    V = -1;
    if (i < n && Tpl[i] >= '0' && Tpl[i] <= '9') {
      int64_t R = 0;
      while (i < n && Tpl[i] >= '0' && Tpl[i] <= '9') {
        R = std::min<int64_t>(R * 10 + (Tpl[i] - '0'), 1 << 20);
        ++i;
      }
      V = static_cast<int32_t>(R);
    }
    return true;
  };
  while (i < n) {
    const char C = Tpl[i];
    if (C != '%') {
      Out += C;
      ++i;
      continue;
    }
    ++i;
    if (i < n && Tpl[i] == '%') {
      Out += '%';
      ++i;
      continue;
    }
    // [index ":"]
    {
      const size_t Save = i;
      size_t j = i;
      while (j < n && Tpl[j] >= '0' && Tpl[j] <= '9') ++j;
      if (j > i && j < n && Tpl[j] == ':') {
        // An index beyond the arguments fails below, however many digits it has.
        size_t Ix = 0;
        for (size_t k = i; k < j; ++k)
          Ix = std::min<size_t>(Ix * 10 + static_cast<size_t>(Tpl[k] - '0'), 1u << 20);
        ArgIx = Ix;
        i = j + 1;
      } else {
        i = Save;
      }
    }
    bool Left = false;
    if (i < n && Tpl[i] == '-') {
      Left = true;
      ++i;
    }
    int32_t Width = -1, Prec = -1;
    bool Star = false;
    if (!ReadNum(Width, Star)) return false;
    if (i < n && Tpl[i] == '.') {
      ++i;
      if (!ReadNum(Prec, Star)) return false;
      if (Prec < 0) Prec = 0;
    }
    if (i >= n) return false;
    const char L = static_cast<char>(std::tolower(static_cast<unsigned char>(Tpl[i])));
    ++i;
    if (ArgIx >= Args.size()) return false;
    const TFmtArg& A = Args[ArgIx++];
    std::string Piece;
    switch (L) {
      case 'd':
      case 'u':
      case 'x': {
        if (A.IsText) return false;
        std::string Digits;
        bool Neg = false;
        if (L == 'd') {
          Neg = A.I < 0;
          Digits = std::to_string(Neg ? -A.I : A.I);
        } else if (L == 'u') {
          Digits = std::to_string(static_cast<uint32_t>(A.I));
        } else {
          static const char H[] = "0123456789ABCDEF";
          uint32_t V = static_cast<uint32_t>(A.I);
          do {
            Digits.insert(Digits.begin(), H[V & 15]);
            V >>= 4;
          } while (V);
        }
        if (Prec > 0 && static_cast<int32_t>(Digits.size()) < Prec)
          Digits.insert(0, static_cast<size_t>(Prec) - Digits.size(), '0');
        Piece = (Neg ? "-" : "") + Digits;
        break;
      }
      case 's':
        if (!A.IsText) return false;
        Piece = A.S;
        if (Prec >= 0 && static_cast<int32_t>(Piece.size()) > Prec)
          Piece.resize(static_cast<size_t>(Prec));
        break;
      default:
        // e, f, g, n, m need reals, p a pointer; anything else is no directive.
        return false;
    }
    if (Width > 0 && static_cast<int32_t>(Piece.size()) < Width) {
      const std::string Pad(static_cast<size_t>(Width) - Piece.size(), ' ');
      Piece = Left ? Piece + Pad : Pad + Piece;
    }
    Out += Piece;
  }
  return true;
}
