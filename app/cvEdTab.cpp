// The editor's text-table commands: the table around the caret, its column structure, column
// copies, cuts, pastes, moves, swaps, numbering, aligning, sorting, the spreadsheet exchange
// through the clipboard and column statistics.
#include <algorithm>
#include <string_view>

#include "app/cvCtrlUtil.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "foundation/cvTabCol.h"
#include "platform/Clipboard.h"

namespace {

// The letter of a column command's panel code.
char ColLetterOf(const std::string& Code) {
  static const struct {
    const char* Code;
    char Letter;
  } table[] = {{"cC", 'c'}, {"cB", 'T'}, {"cT", 'C'}, {"cP", 'P'}, {"cL", 'l'}, {"cR", 'r'},
               {"cs", 's'}, {"xI", 'x'}, {"xE", 'X'}, {"sX", 'O'}, {"cN", 'N'}};
  for (const auto& e : table)
    if (Code == e.Code) return e.Letter;
  return ' ';
}

}  // namespace

void TcvEd::ResetTable() {
  CurTT.reset();
  TabTop = TabBottom = 0;
}

void TcvEd::TabBounds(int32_t& Top, int32_t& Bottom) {
  if (!Memo || Line > Memo->LineCount()) return;
  std::unique_ptr<TStringList> sl = MemoSL();
  TabRowsByChar(sl.get(), Line, Sep, Quote, Top, Bottom);
}

void TcvEd::ShowTabBounds() {
  TabBounds(TabTop, TabBottom);
  LogInt("t1", TabTop);
  LogInt("t2", TabBottom);
}

void TcvEd::MakeCurTT(int32_t Top, int32_t Bottom) {
  if (!CurTT) CurTT = std::make_unique<TTextTabStruct>();
  std::unique_ptr<TStringList> sl = MemoSL();
  TabStructByChar(CurTT.get(), sl.get(), Top, Bottom, Quote, Sep);
}

void TcvEd::ColCommand(TInfField* Field) {
  if (!Field) return;
  ColOpLetter = ColLetterOf(Field->Code);
  ColOpRepeat();
}

void TcvEd::ColOpRepeat() { ColOp(ColOpLetter); }

void TcvEd::ColOp(char Letter) {
  const std::string L(1, Letter);
  const int32_t count = Memo ? Memo->LineCount() : 0;
  if (Line < 1 || Line > count) {
    WARNAbs("Операция с колонкой <"_cp + L + "> тек.строка="_cp + IntStr(Line));
    return;
  }
  int32_t T1 = FieldIntOr("t1", -1);
  int32_t T2 = FieldIntOr("t2", -1);
  if (T1 < 0 || T2 < 0 || Line < T1 || Line > T2) {
    TabBounds(T1, T2);
    LogInt("t1", T1);
    LogInt("t2", T2);
    MakeCurTT(T1, T2);
  } else if (!CurTT) {
    MakeCurTT(T1, T2);
  }
  const std::string line = LineRaw(Line);
  if (CurTT->Count() == 0 ||
      (CurTT->Count() < 2 && WordCount(line) != CurTT->Count())) {
    TabBounds(TabTop, TabBottom);
    MakeCurTT(TabTop, TabBottom);
  }
  if (CurTT->Count() < 2) {
    WARNAbs("Операция с колонкой ChAct=<"_cp + L + ">" + "\n\r" +
            "Структура текстовой таблицы в редакторе CurTT содержит "_cp +
            IntStr(CurTT->Count()) + " колонок! - непонятно, что делать"_cp);
    return;
  }
  int32_t n = CurTT->GetIC(Col);
  const int32_t b = WordIndexAt(line, Col);
  if (n != b) {
    std::string text;
    if (count <= 900) {
      for (int i = 0; i < count; ++i) {
        if (i) text += "\r\n";
        text += Memo->Line(i);
      }
    } else {
      text = "Текст в MemoEd очень длинный!"_cp;
    }
    WARNAbs("Col(CurTT)=" + IntStr(n) + " Col(GetIWord(JStr=" + IntStr(Line) +
            ",IPos=" + IntStr(Col) + "))=" + IntStr(b) + "\r\n" + "строка=<"_cp + line + ">" +
            "\r\n" + "MemoEd.Lines=" + "\r\n" + text);
    std::unique_ptr<TStringList> sl = MemoSL();
    TabRowsByWords(sl.get(), Line, T1, T2);
    TabStructByWords(CurTT.get(), sl.get(), T1, T2);
    if (CurTT->Count() < 2) {
      WARNAbs("В структуре CurTT описано менши двух колонок - не понятно, как выполнять операцию!"_cp);
      return;
    }
    n = CurTT->GetIC(Col);
    if (n != b) {
      int32_t g = 0, s = 0, w = 0;
      if (n >= 1 && n <= CurTT->Count()) CurTT->GetBeWi(n, g, s, w);
      WARNAbs("ERR! IP=" + IntStr(Col) + " № слова ="_cp + IntStr(b) +
              " Согласно структуре CurTT № колонки ="_cp + IntStr(n) + "\r\n" + IntStr(g) +
              " пробелов от предыдущей колонки"_cp + "\r\n" + IntStr(s) +
              " позиция начала слова в колонке"_cp + "\r\n" + IntStr(w) +
              " ширина самого длинного слова в колонке"_cp + "\r\n" + "Строка="_cp + "\r\n" +
              "<" + line + ">");
    }
  }
  n = std::clamp(n, 1, CurTT->Count());
  int32_t G = 0, S = 0, W = 0;
  CurTT->GetBeWi(n, G, S, W);

  std::unique_ptr<TStringList> sl = MemoSL();
  std::string clip;
  bool changed = false;
  switch (Letter) {
    case 'c':
      SLColBlockText(sl.get(), T1, T2, S - G, G + W, clip);
      platform::SetClipboardText(clip);
      break;
    case 'T':
      SLColBlockTrim(sl.get(), T1, T2, S, W, clip);
      platform::SetClipboardText(clip);
      break;
    case 'C':
      SLColCut(sl.get(), T1, T2, S - G, G + W, clip);
      platform::SetClipboardText(clip);
      changed = true;
      break;
    case 'P':
      SLColInsertText(sl.get(), platform::ClipboardText(), T1, T2, S - G);
      changed = true;
      break;
    case 'l':
      SLColMoveLeft(sl.get(), T1, T2, n);
      changed = true;
      break;
    case 'r':
      SLColMoveRight(sl.get(), T1, T2, n);
      changed = true;
      break;
    case 's': {
      const int32_t a = n < CurTT->Count() ? n : n - 1;  // the left one of the two
      int32_t g1 = 0, s1 = 0, w1 = 0, g2 = 0, s2 = 0, w2 = 0;
      CurTT->GetBeWi(a, g1, s1, w1);
      CurTT->GetBeWi(a + 1, g2, s2, w2);
      SLColSwap(sl.get(), T1, T2, g2 + w2, s2 - g2, g1 + w1, s1 - g1);
      changed = true;
      break;
    }
    case 'x':
      InsertColumn();
      return;
    case 'X':
      ColumnToClipboard();
      return;
    case 'O':
      LogInt("nX", WordIndexAt(line, Col));
      return;
    case 'N': {
      const std::string tpl = FieldText("ta");
      const std::string t = TrimSp(tpl);
      if (t.empty() || t == "#N") {
        SLColNumber(sl.get(), T1, T2, S - G);
      } else if (t.size() >= 2 && t[0] == '#' && t[1] == '-') {
        size_t k = 1;
        while (k < t.size() && t[k] == '-') ++k;
        SLColDelete(sl.get(), static_cast<int32_t>(k - 1), T1, T2, Col);
        SLColPaste(sl.get(), t.substr(k), T1, T2, Col);
      } else {
        SLColPaste(sl.get(), tpl, T1, T2, Col);
      }
      changed = true;
      break;
    }
    default:
      WARNAbs("Операция с колонкой <"_cp + L + "> не запрограммирована"_cp);
      return;
  }
  if (!changed) return;
  const int32_t l = Line, c = Col;
  PutBack(*sl);
  GotoCaret(l, c);
  MakeCurTT(T1, T2);
  ++Changes;
  ShowChanged();
  UpdateStatus();
}

void TcvEd::ColumnToClipboard() {
  if (TabTop == 0) TabBounds(TabTop, TabBottom);
  MakeCurTT(TabTop, TabBottom);
  if (CurTT->Count() == 0) return;
  const int32_t n = std::clamp(CurTT->GetIC(Col), 1, CurTT->Count());
  int32_t G = 0, S = 0, W = 0;
  CurTT->GetBeWi(n, G, S, W);
  std::unique_ptr<TStringList> sl = MemoSL();
  std::string text;
  SLColBlockNum(sl.get(), TabTop, TabBottom, S, W, text);
  platform::SetClipboardText(text);
}

void TcvEd::InsertColumn() {
  if (TabTop == 0) TabBounds(TabTop, TabBottom);
  MakeCurTT(TabTop, TabBottom);
  if (CurTT->Count() < 2) {
    WARNAbs("В структуре CurTT нет даже двух колонок - не понятно, как вставлять ещё одну!"_cp);
    return;
  }
  const int32_t n = std::clamp(CurTT->GetIC(Col), 1, CurTT->Count());
  int32_t G = 0, S = 0, W = 0;
  CurTT->GetBeWi(n, G, S, W);
  std::unique_ptr<TStringList> sl = MemoSL();
  SLColInsertText(sl.get(), ReplaceChar(platform::ClipboardText(), ',', '.'), TabTop, TabBottom,
                  S - G);
  const int32_t l = Line, c = Col;
  PutBack(*sl);
  ++Changes;
  ShowChanged();
  GotoCaret(l, c);
  Line = l;
  Col = c;
  TabBounds(TabTop, TabBottom);
  MakeCurTT(TabTop, TabBottom);
  UpdateStatus();
}

void TcvEd::TablAlign() { ColAlign(); }

void TcvEd::ColAlign() {
  if (!Shown) {
    WARNAbs("Ed.ColAlign ERROR - Ed Not Visible");
    return;
  }
  if (!Memo || Line < 1 || Line > Memo->LineCount()) return;
  std::unique_ptr<TStringList> sl = MemoSL();
  LineTabStringsCh(sl.get(), Line, Quote, Sep);
  const int32_t l = Line, c = Col;
  PutBack(*sl);
  GotoCaret(l, c);
  ++Changes;
  ShowChanged();
}

void TcvEd::TablSortUp() { TablSort(false); }
void TcvEd::TablSortDown() { TablSort(true); }

void TcvEd::TablSort(bool Descending) {
  if (!Memo) return;
  std::unique_ptr<TStringList> sl = MemoSL();
  int32_t js1 = 0, js2 = 0;
  TabRowBounds(sl.get(), TrimSp(FieldText("t1")), TrimSp(FieldText("t2")), Line, js1, js2);
  TabTop = js1;
  TabBottom = js2;
  if (js1 == js2) {
    WARN("TablSort BoundTop = BoundBottom = " + IntStr(js1));
    return;
  }
  if (js1 < 1 || js2 > sl->Count() || js2 < js1) return;
  TStringList rows;
  for (int32_t r = js1; r <= js2; ++r) rows.Add((*sl)[r - 1]);
  SortTabCol(&rows, Line - js1 + 1, Col, 1, rows.Count(), Descending);
  const int32_t l = Line, c = Col;
  MemoChangeLines(Memo, &rows, js1 - 1, js2 - 1, 0);
  ++Changes;
  ShowChanged();
  GotoCaret(l, c);
}

void TcvEd::ExcelExport() { CurTabToClipboard(); }

void TcvEd::CurTabToClipboard() {
  std::unique_ptr<TStringList> sl = MemoSL();
  TabToClipboard(sl.get(), Line);
}

void TcvEd::SLImport(const TStringList* List, bool Framed) {
  TTimedSection s("Ed.SLImport");
  if (!Memo || !List) return;
  const std::vector<std::string> all = Memo->Lines();
  const size_t cut = static_cast<size_t>(std::clamp<int32_t>(Line - 1, 0,
                                                              static_cast<int32_t>(all.size())));
  std::vector<std::string> out(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(cut));
  if (Framed) out.emplace_back();
  const int32_t first = static_cast<int32_t>(out.size()) + 1;
  for (int i = 0; i < List->Count(); ++i) out.push_back((*List)[i]);
  if (Framed) out.emplace_back();
  out.insert(out.end(), all.begin() + static_cast<std::ptrdiff_t>(cut), all.end());
  Memo->BeginUpdate();
  Memo->SetLines(out);
  Memo->EndUpdate();
  Line = first;
  GotoCaret(Line, Col);
  ++Changes;
  ShowChanged();
}

void TcvEd::ClipboardTableImport() {
  std::unique_ptr<TStringList> L = ClipboardToTab();
  SLImport(L.get(), true);
}

void TcvEd::ClipboardPaste() {
  std::unique_ptr<TStringList> L = ClipboardToSL();
  if (!L || L->Count() == 0) return;
  if (L->Count() == 1)
    TypeText((*L)[0]);
  else
    SLImport(L.get(), true);
}

bool TcvEd::TabColumnsXY(TARe& AX, TARe& AY, int32_t& YCol, bool WarnEmpty) {
  if (TabTop == 0 || Line < TabTop || Line > TabBottom) TabBounds(TabTop, TabBottom);
  MakeCurTT(TabTop, TabBottom);
  if (CurTT->Count() == 0) {
    if (WarnEmpty)
      WARNAbs("Нет корректных данных в окне редактора!\r\nДолжна быть задана колонка X,\r\n"
              "также курсор должен быть оставлен в строке таблицы на позиции колонки Y"_cp);
    return false;
  }
  const TInfField* F = Inf ? Inf->FindFld("nX") : nullptr;
  const int32_t w = F ? F->GetInt() : 0;
  if (w <= 0) {
    WARNAbs("Для получения статистики из таблицы редактора\r\nдолжна быть задана колонка X (также, как для графика)"_cp);
    return false;
  }
  if (w > CurTT->Count()) {
    WARNAbs("Переназначте колонку X,\r\nсейчас задана номер ("_cp + IntStr(w) +
            " всего колонок "_cp + IntStr(CurTT->Count()));
    return false;
  }
  YCol = std::clamp(CurTT->GetIC(Col), 1, CurTT->Count());
  std::unique_ptr<TStringList> sl = MemoSL();
  std::string nameX, nameY;
  SLExtractAXAY(sl.get(), TabTop, TabBottom, w, YCol, AX, AY, nameX, nameY);
  return true;
}

bool TcvEd::EdTabStatXY(TARe& AX, TARe& AY) {
  SyncCaret();
  int32_t a = 0;
  return TabColumnsXY(AX, AY, a, true);
}

bool TcvEd::ColStat(TEdColStat& Stat) {
  TARe AX, AY;
  int32_t a = 0;
  if (!TabColumnsXY(AX, AY, a, false)) return false;
  Stat = TEdColStat();
  Stat.N = std::max<int32_t>(static_cast<int32_t>(AY.size()) - 1, 0);
  Stat.Col = a;
  AReStat(AY, Stat.Min, Stat.Max, Stat.RmsStep, Stat.MeanAbsStep, Stat.Mean);
  AReStat2(AX, AY, Stat.MeanA, Stat.Cov, Stat.VarB, Stat.VarA, Stat.MeanB);
  AReRegCorr(AX, AY, Stat.MeanX, Stat.MeanY, Stat.SigmaX, Stat.SigmaY, Stat.Corr, Stat.SlopeYX,
             Stat.InterYX, Stat.SlopeXY, Stat.InterXY, Stat.QA, Stat.QB, Stat.QC, Stat.QuadCorr,
             Stat.ErrSlope, Stat.ErrInter, Stat.ErrCorr);
  return true;
}

bool TcvEd::TabRegroup(int32_t K) {
  if (!Memo || K < 1) return false;
  SyncCaret();
  std::unique_ptr<TStringList> sl = MemoSL();
  const std::vector<std::string> before = sl->Lines();
  TabRowsToCols(sl.get(), K, Line);
  const bool changed = sl->Lines() != before;
  if (changed) {
    PutBack(*sl);
    ++Changes;
    ShowChanged();
  }
  GotoCaret(Line, Col);
  // the column structure of the block around the current line
  if (!CurTT) CurTT = std::make_unique<TTextTabStruct>();
  CurTT->ClearCols();
  TabRowsByChar(sl.get(), Line, ' ', Quote, TabTop, TabBottom);
  TabStructByWords(CurTT.get(), sl.get(), TabTop, TabBottom);
  UpdateStatus();
  return changed;
}
