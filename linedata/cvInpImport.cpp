#include "linedata/cvInpImport.h"

#include <sqlite3.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <memory>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "linedata/cvSqlText.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"

namespace {

const std::string kCRLF = "\r\n";
constexpr int32_t kMaxInp = 20, kMaxConst = 20, kMaxCalc = 30, kMaxCase = 20, kMaxKey = 20,
                  kMaxRec = 20, kMaxRes = 20;

[[noreturn]] void InpFatal(const std::string& Text) {
  if (LineData().Fatal) LineData().Fatal(Text);
  throw EInOutError(Text);
}

std::string TypText(char T) { return T ? std::string(1, T) : std::string(); }
char Upper(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }
char First(const std::string& S) { return S.empty() ? 0 : S[0]; }

// One section of the description with the place of its errors.
class TSection {
 public:
  TSection(const std::string& File, const std::string& Name) : file_(File), tunes_(Name, File) {}
  std::string Get(const std::string& Key) { return tunes_.Get(Key); }
  std::string Word(const std::string& Key, int32_t N) { return WordN(tunes_.Get(Key), N); }
  // A count: missing reads as 0; above Limit (or negative) stops the import.
  int32_t Count(const std::string& Key, int32_t Limit) {
    const int32_t n = tunes_.GetIntDef(Key, 0);
    if (n < 0 || n > Limit)
      Fatal(Key, "Ошибка диапазона: "_cp + Key + " = " + IntStr(n) + " (допустимо 0.."_cp +
                     IntStr(Limit) + ")");
    return n;
  }
  bool Flag(const std::string& Key) { return tunes_.Flag(Key); }
  // A fatal error of the description: the text, then the file, the section and the key.
  [[noreturn]] void Fatal(const std::string& Key, const std::string& Text) {
    InpFatal(Text + kCRLF + "файл "_cp + file_ + ", секция ["_cp + tunes_.Name + "], ключ "_cp +
             Key);
  }
  const std::string& Name() const { return tunes_.Name; }

 private:
  std::string file_;
  TTunes tunes_;
};

std::string Numbered(const std::string& Word, int32_t N) { return Word + " " + IntStr(N); }

// Words K.. of S joined by single blanks.
std::string WordsFrom(const std::string& S, int32_t K) {
  std::string r;
  for (int32_t i = K;; ++i) {
    const std::string w = WordN(S, i);
    if (w.empty()) break;
    if (!r.empty()) r += ' ';
    r += w;
  }
  return r;
}

// A value read from the data line or a constant by its type; Code 0 when it converted.
void Convert(TInpFld& F, int32_t& Code) {
  Code = 0;
  F.IVal = 0;
  F.RVal = 0;
  if (F.Value.empty()) return;
  if (F.Typ == 'I') {
    F.IVal = ValIntCode(F.Value, Code);
    F.RVal = F.IVal;
  } else if (F.Typ == 'R') {
    F.RVal = ValRealCode(F.Value, Code);
  }
}

void CopyValue(TInpFld& To, const TInpFld& From) {
  To.Value = From.Value;
  To.RVal = From.RVal;
  To.IVal = From.IVal;
  To.Typ = From.Typ;
}

// A < B by the type T; Ok false for a type without an order.
bool Less(char T, const TInpFld& A, const TInpFld& B, bool& Ok) {
  Ok = true;
  switch (T) {
    case 'I': return A.IVal < B.IVal;
    case 'R': return A.RVal < B.RVal;
    case 'S': return A.Value < B.Value;
    default: Ok = false; return false;
  }
}

// Is there an index whose leading columns are exactly Cols (in any order)?
bool HasIndexOn(sqlite3* Db, const std::string& Table, std::vector<std::string> Cols) {
  for (std::string& c : Cols) c = UpCaseStrCyr(c);
  std::sort(Cols.begin(), Cols.end());
  sqlite3_stmt* list = nullptr;
  const std::string sql = "SELECT name FROM pragma_index_list(?1)";
  if (sqlite3_prepare_v2(Db, sql.c_str(), -1, &list, nullptr) != SQLITE_OK) return false;
  const std::string t = platform::Cp1251ToUtf8(Table);
  sqlite3_bind_text(list, 1, t.c_str(), -1, SQLITE_TRANSIENT);
  bool found = false;
  while (!found && sqlite3_step(list) == SQLITE_ROW) {
    const std::string ix = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(Db, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno", -1,
                           &info, nullptr) != SQLITE_OK)
      continue;
    sqlite3_bind_text(info, 1, ix.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::string> have;
    while (sqlite3_step(info) == SQLITE_ROW && have.size() < Cols.size()) {
      const unsigned char* n = sqlite3_column_text(info, 0);
      have.push_back(UpCaseStrCyr(platform::Utf8ToCp1251(n ? reinterpret_cast<const char*>(n)
                                                             : "")));
    }
    sqlite3_finalize(info);
    std::sort(have.begin(), have.end());
    found = have == Cols;
  }
  sqlite3_finalize(list);
  return found;
}

}  // namespace

// ---------------------------------------------------------------- variables

TInpFld* TInpImport::InpFldFind(const std::string& Name) {
  for (auto* l : {&IF.Const, &IF.Inp, &IF.Calc})
    for (TInpFld& f : *l)
      if (f.Name == Name) return &f;
  if (!KT.KeyFld.Name.empty() && KT.KeyFld.Name == Name) return &KT.KeyFld;
  return nullptr;
}

TInpFld& TInpImport::InpFld(const std::string& Name) {
  if (TInpFld* f = InpFldFind(Name)) return *f;
  std::string t = "Не найдено СТРОКОВОЕ поле с именем <"_cp + Name + "> среди:"_cp;
  t += kCRLF + "КОНСТАНТЫ:"_cp;
  for (const TInpFld& f : IF.Const) t += kCRLF + f.Name;
  t += kCRLF + "ПОЛЯ УСЛОВИЙ:"_cp;
  for (const TInpFld& f : IF.Inp) t += kCRLF + f.Name;
  t += kCRLF + "ПОЛЯ ВЫЧИСЛЯЕМЫЕ:"_cp;
  for (const TInpFld& f : IF.Calc) t += kCRLF + f.Name;
  if (!KT.KeyFld.Name.empty()) t += kCRLF + "ПОЛЕ КЛЮЧА: "_cp + KT.KeyFld.Name;
  ErrAbs(t);
}

// ---------------------------------------------------------------- reading the description

bool TInpImport::Read(const std::string& FileName) {
  *this = TInpImport();
  DescFile = SlashPath(FileName);
  if (!platform::IsRegularFile(DescFile)) {
    WARNAbs("файл для ввода данных с именем "_cp + kCRLF + FileName + kCRLF + "не найден!"_cp);
    return false;
  }
  if (!TSection(DescFile, "CASE").Flag("INPUT_DATA")) return false;

  // ---- the data file and the input variables
  TSection in(DescFile, "INPUT_FILE");
  IF.DataDir = in.Get("DIR");
  IF.DataFile = in.Get("FILE");
  {
    // a relative folder is taken from the description's folder, not the process's
    std::string dir = SlashPath(IF.DataDir);
    std::string descDir, bare, ext;
    SplitPath(DescFile, descDir, bare, ext);
    if (dir.empty() || dir[0] != '/') dir = DirSlash(descDir) + dir;
    DataPath = dir + SlashPath(IF.DataFile);
    if (!platform::IsRegularFile(DataPath)) {
      const std::string found = FindNoCase(dir, SlashPath(IF.DataFile));
      if (platform::IsRegularFile(found)) DataPath = found;
    }
  }
  if (IF.DataFile.empty() || !platform::IsRegularFile(DataPath)) {
    WARNAbs("файл "_cp + IF.DataDir + IF.DataFile + " не найден!!!"_cp);
    return false;
  }
  IF.NInp = in.Count("FLD_INP_N", kMaxInp);
  for (int32_t n = 1; n <= IF.NInp; ++n) {
    const std::string key = Numbered("FLD_INP", n);
    const std::string v = in.Get(key);
    TInpFld f;
    f.Name = WordN(v, 1);
    f.Req = Upper(First(WordN(v, 2)));
    if (!f.Req) f.Req = 'N';
    const char t = Upper(First(WordN(v, 3)));
    f.Typ = t == 'I' || t == 'R' ? t : 'S';
    std::string mode = WordN(v, 4);
    if (mode.empty()) mode = "T";
    if (mode.size() == 1) mode += "B";
    f.Mode = Upper(mode[0]);
    f.SepCh = mode[1] == 'B' || mode[1] == 'b' ? ' ' : mode[1];
    if (f.Mode == 'T' || f.Mode == 'D' || f.Mode == 'B') {
      f.Num = ValIntOr0(WordN(v, 5));
      f.Blank = WordN(v, 6);
    } else if (f.Mode == 'F') {
      f.Start = ValIntOr0(WordN(v, 5));
      f.Len = ValIntOr0(WordN(v, 6));
      f.Blank = WordN(v, 7);
    }
    IF.Inp.push_back(f);
  }

  // ---- constants
  TSection cs(DescFile, "FLD_CONST");
  IF.NConst = cs.Count("CONST_N", kMaxConst);
  for (int32_t n = 1; n <= IF.NConst; ++n) {
    const std::string key = Numbered("CONST", n);
    const std::string v = cs.Get(key);
    TInpFld f;
    f.Name = WordN(v, 1);
    f.Typ = Upper(First(WordN(v, 2)));
    if (!f.Typ) f.Typ = 'S';
    f.Value = WordN(v, 3);
    int32_t code = 0;
    Convert(f, code);
    if (code != 0) cs.Fatal(key, "Ошибка в константе "_cp + f.Name + " !!!");
    IF.Const.push_back(f);
  }

  // ---- computed variables
  TSection cc(DescFile, "FLD_CALC");
  IF.NCalc = cc.Count("FLD_CALC_N", kMaxCalc);
  for (int32_t n = 1; n <= IF.NCalc; ++n) {
    const std::string key = Numbered("FLD_CALC", n);
    const std::string v = cc.Get(key);
    TInpFld f;
    f.Name = WordN(v, 1);
    f.Func = WordN(v, 2);
    f.Arg1 = WordN(v, 3);
    const std::string& fn = f.Func;
    if (fn == "ADD_I") {
      f.Typ = 'I';
      f.Start = ValIntOr0(WordN(v, 4));
    } else if (fn == "MUL_C" || fn == "DIV_C") {
      f.Typ = 'R';
      f.CVal = ValRealOr0(WordN(v, 4));
      if (fn == "DIV_C" && f.CVal == 0)
        cc.Fatal(key, "В формуле "_cp + f.Name + " деление на 0!"_cp);
      if (fn == "DIV_C")
        if (const TInpFld* a = InpFldFind(f.Arg1); a && a->Typ != 0 && a->Typ != 'I' &&
                                                   a->Typ != 'R')
          cc.Fatal(key, "В формуле "_cp + f.Name + " деление нечисловой переменной "_cp + f.Arg1 +
                            " типа <"_cp + TypText(a->Typ) + ">!");
    } else if (fn == "INT") {
      f.Typ = 'I';
    } else if (fn == "MIN" || fn == "MAX") {
      f.Arg2 = WordN(v, 4);
      if (fn == "MAX") f.Typ = 'R';
    } else if (fn == "MIN_L" || fn == "MIN_U") {
      f.Typ = 'I';
      f.Arg2 = WordN(v, 4);
    } else if (fn == "IDX" || fn == "IFDEF") {
      f.Arg2 = WordN(v, 4);
      f.Arg3 = WordN(v, 5);
    } else if (fn == "AtName") {
      f.Typ = 'S';
    } else if (fn.rfind("LineId", 0) == 0 && fn.size() > 6) {
      f.Typ = 'S';
      f.Arg2 = WordN(v, 4);
    } else {
      cc.Fatal(key, "функция "_cp + fn + " не предусмотрена!"_cp);
    }
    IF.Calc.push_back(f);
  }

  // ---- key table
  TSection kt(DescFile, "TAB_KEY");
  KT.KeyTabName = kt.Get("TAB_NAME");
  if (!KT.KeyTabName.empty()) {
    KT.NCase = kt.Count("FLD_CASE_N", kMaxCase);
    for (int32_t n = 1; n <= KT.NCase; ++n) {
      const std::string key = Numbered("FLD_CASE", n);
      const std::string v = kt.Get(key);
      TKeyFldCase c;
      c.FldName = WordN(v, 1);
      if (WordN(v, 2).empty())
        kt.Fatal(key, "Ошибка диапазона: нет типа условия "_cp + IntStr(n));
      c.CaseTyp = WordN(v, 2)[0];
      c.Op = WordN(v, 3);
      c.Tol = WordN(v, 4);
      KT.Cases.push_back(c);
    }
    KT.KeyFld.Name = kt.Get("FLD_KEY");
    KT.KeyFld.Typ = 'S';
    KT.OnNoDef = Upper(First(kt.Get("ON_NODEF")));
    if (!KT.OnNoDef) KT.OnNoDef = 'S';
  }

  // ---- destination
  TSection dt(DescFile, "TAB_DST");
  DT.AutoNumFld = dt.Get("FLD_AUTONUM");
  DT.AutoNum = !DT.AutoNumFld.empty();
  DT.DstTabName = dt.Get("TAB_NAME");
  DT.NKey = dt.Count("FLD_KEY_N", kMaxKey);
  for (int32_t n = 1; n <= DT.NKey; ++n) DT.KeyFlds.push_back(dt.Get(Numbered("FLD_KEY", n)));
  DT.NRec = dt.Count("REC_N", kMaxRec);
  for (int32_t m = 1; m <= DT.NRec; ++m) {
    TSection rs(DescFile, Numbered("TAB_DST REC", m));
    TDSTRec rec;
    rec.NRes = rs.Count("FLD_RES_N", kMaxRes);
    for (int32_t n = 1; n <= rec.NRes; ++n) {
      const std::string key = Numbered("FLD_RES", n);
      const std::string v = rs.Get(key);
      TResFld r;
      r.DstName = WordN(v, 1);
      const std::string kind = WordN(v, 2), typ = WordN(v, 3);
      if (kind.empty() || typ.empty())
        rs.Fatal(key, "Ошибка диапазона: нет вида или типа результата "_cp + r.DstName);
      r.ResKind = kind[0];
      r.ResTyp = typ[0];
      if (typ.size() >= 2 && typ[0] == 'R') {
        const std::string wd = typ.substr(1);
        r.ResWidth = ValIntOr0(BeforeStr(wd + ".", "."));
        r.ResDec = ValIntOr0(AfterStr(wd, "."));
      }
      if (r.ResTyp != 'I' && r.ResTyp != 'R' && r.ResTyp != 'S')
        rs.Fatal(key, "тип результата <"_cp + typ + "> поля "_cp + r.DstName +
                          " не предусмотрен!"_cp);
      r.Src = WordN(v, 4);
      if (r.ResKind == 'K') {
        if (!WordN(v, 5).empty()) r.Src = WordsFrom(v, 4);
      } else if (r.ResKind == 'O') {
        r.Marker = WordN(v, 5);
      } else if (r.ResKind == 'S') {
        r.CondFld = WordN(v, 5);
        r.Marker = WordN(v, 6);
      }
      rec.Res.push_back(r);
    }
    for (const std::string& k : DT.KeyFlds) {
      bool has = false;
      for (const TResFld& r : rec.Res) has = has || r.DstName == k;
      if (!has)
        InpFatal("Ошибка в файле "_cp + DescFile + " в секции "_cp + rs.Name() + kCRLF +
                 "не найдено ключевое поле "_cp + k);
    }
    DT.Recs.push_back(rec);
  }
  return true;
}

// ---------------------------------------------------------------- one data line

bool TInpImport::ReadInputs(const std::string& Line) {
  bool skip = false;
  for (TInpFld& f : IF.Inp) {
    std::string s;
    switch (f.Mode) {
      case 'T': s = WordN(Line, f.Num); break;
      case 'D': s = FieldN(Line, f.SepCh, f.Num); break;
      case 'F': s = SubN(Line, f.Start, f.Len); break;
      default: break;
    }
    s = TrimCtl(s);
    if (!f.Blank.empty() && s == f.Blank) s.clear();
    f.Value = s;
    int32_t code = 0;
    Convert(f, code);
    if (code != 0) {
      WARN("поле "_cp + f.Name + " = " + s + " IErr=" + IntStr(code) + lineNote_);
      skip = true;
    } else if (s.empty() && f.Req == 'Y') {
      WARN("поле "_cp + f.Name + " - пустое - пропускаем строку!"_cp + lineNote_);
      skip = true;
    }
  }
  return !skip;
}

void TInpImport::Evaluate() {
  for (TInpFld& c : IF.Calc) {
    c.Value.clear();
    c.RVal = 0;
    c.IVal = 0;
    EvalOne(c);
  }
}

void TInpImport::EvalOne(TInpFld& C) {
  const std::string& fn = C.Func;
  if (fn == "ADD_I") {
    const TInpFld& a = InpFld(C.Arg1);
    C.Typ = 'I';
    C.IVal = static_cast<int32_t>(static_cast<int64_t>(a.IVal) + C.Start);
    C.RVal = C.IVal;
    C.Value = a.Value + "+CONST";
  } else if (fn == "MUL_C" || fn == "DIV_C") {
    const TInpFld& a = InpFld(C.Arg1);
    C.Typ = 'R';
    if (fn == "MUL_C") {
      C.RVal = a.RVal * C.CVal;
    } else if (a.Typ == 'I') {
      C.RVal = a.IVal / C.CVal;
    } else if (a.Typ == 'R') {
      C.RVal = a.RVal / C.CVal;
    } else {
      InpFatal("В формуле "_cp + C.Name + " деление нечисловой переменной "_cp + a.Name +
               " типа <"_cp + TypText(a.Typ) + ">!");
    }
    C.Value = a.Value.empty() ? std::string() : a.Value + (fn == "MUL_C" ? "*CONST" : "/CONST");
  } else if (fn == "INT") {
    const TInpFld& a = InpFld(C.Arg1);
    C.Typ = 'I';
    if (a.Typ == 'I') {
      C.IVal = a.IVal;
    } else if (a.Typ == 'R') {
      const double r = std::nearbyint(a.RVal);  // the default rounding: halves to even
      if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        InpFatal("Ошибка диапазона: INT "_cp + a.Name + " = " + ReSt(a.RVal) + " -> " + C.Name);
      C.IVal = static_cast<int32_t>(r);
    } else if (!a.Value.empty()) {
      int32_t code = 0;
      C.IVal = ValIntCode(a.Value, code);
      if (code != 0)
        InpFatal("ошибка преобразования <"_cp + a.Value + "> в целое для вх.перем."_cp + a.Name +
                 " и вых.перем "_cp + C.Name + " !!!");
      C.Value = IntStr(C.IVal);
    }
    C.RVal = C.IVal;
  } else if (fn == "MIN" || fn == "MAX") {
    const TInpFld& a = InpFld(C.Arg1);
    const TInpFld& b = InpFld(C.Arg2);
    // by A's type; ties and types without an order give A
    bool ok = false;
    const bool takeB = fn == "MIN" ? Less(a.Typ, b, a, ok) : Less(a.Typ, a, b, ok);
    CopyValue(C, takeB ? b : a);
  } else if (fn == "MIN_L" || fn == "MIN_U") {
    const TInpFld& a = InpFld(C.Arg1);
    const TInpFld& b = InpFld(C.Arg2);
    bool ok = false;
    const bool less = Less(a.Typ, a, b, ok);
    if (!ok)
      InpFatal("операция "_cp + fn + " для переменных "_cp + a.Name + " и " + b.Name + " типа <"_cp +
               TypText(a.Typ) + "> не предусмотрена!"_cp);
    const int32_t l = less ? 1 : 2;
    C.Typ = 'I';
    C.IVal = fn == "MIN_L" ? l : 3 - l;
    C.RVal = C.IVal;
    C.Value = fn;
  } else if (fn == "IDX" || fn == "IFDEF") {
    const TInpFld& s = InpFld(C.Arg1);
    const TInpFld& a = InpFld(C.Arg2);
    const TInpFld& b = InpFld(C.Arg3);
    const std::string head =
        "для операции "_cp + fn + " " + s.Name + " " + a.Name + " " + b.Name;
    if (fn == "IDX") {
      if (s.Typ != 'I')
        InpFatal(head + " тип первого операнда <"_cp + TypText(s.Typ) + "> должен быть целым!"_cp);
      if (s.IVal != 1 && s.IVal != 2)
        InpFatal(head + " значение первого операнда "_cp + IntStr(s.IVal) +
                 " должно быть 1 или 2!"_cp);
      CopyValue(C, s.IVal == 1 ? a : b);
    } else {
      if (s.Typ != 'S')
        InpFatal(head + " тип первого операнда <"_cp + TypText(s.Typ) +
                 "> должен быть строковым!"_cp);
      CopyValue(C, !s.Value.empty() ? a : b);
    }
  } else if (fn == "AtName") {
    C.Typ = 'S';
    C.Value = AtSymByNum(InpFld(C.Arg1).IVal);
  } else {  // LineId<d>
    const TInpFld& e = InpFld(C.Arg1);
    const TInpFld& l = InpFld(C.Arg2);
    const char d = fn.back();
    C.Typ = 'S';
    C.Value = CalcLIN6(d - '0', e.Value, l.RVal);
  }
}

// ---------------------------------------------------------------- the run

bool TInpImport::Run(TJob& Job, TDM& D) {
  TcvDatabase& db = D.ADOConnection;
  if (!db.Connected()) InpFatal("База данных не подключена"_cp);
  Result = {};

  // the data lines, read once
  std::vector<std::string> lines;
  {
    TTextFile f;
    TxtOpen(f, 0, DataPath);
    while (!f.Eof()) lines.push_back(f.ReadLn());
    f.Close();
  }
  std::string dataDir, dataBare, dataExt;
  SplitPath(DataPath, dataDir, dataBare, dataExt);
  const std::string dataName = dataBare + dataExt;

  TcvTable dst(&db, DT.DstTabName);
  dst.Open();
  std::unique_ptr<TcvTable> key;
  if (!KT.KeyTabName.empty()) {
    key = std::make_unique<TcvTable>(&db, KT.KeyTabName);
    key->Open();
  }
  const bool keyIsDst = key && UpCaseStrCyr(KT.KeyTabName) == UpCaseStrCyr(DT.DstTabName);
  std::string dstKeyFields;
  for (const std::string& k : DT.KeyFlds) dstKeyFields += (dstKeyFields.empty() ? "" : ";") + k;

  TcvDatabase::TTransaction tr(&db);
  // the destination is searched by its key columns: through an index
  if (DT.NKey > 0 && !HasIndexOn(db.Handle(), dst.TableName(), DT.KeyFlds)) {
    std::string cols, name = "ix_inp";
    for (const std::string& k : DT.KeyFlds) {
      cols += (cols.empty() ? "" : ", ") + sqltext::QuoteIdent(platform::Cp1251ToUtf8(k));
      name += "_" + k;
    }
    db.Exec("CREATE INDEX IF NOT EXISTS " + sqltext::QuoteIdent(platform::Cp1251ToUtf8(name)) +
            " ON " + sqltext::QuoteIdent(platform::Cp1251ToUtf8(DT.DstTabName)) + " (" + cols +
            ")");
  }
  if (DT.AutoNum) {
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT MAX(CAST(" +
                            sqltext::QuoteIdent(platform::Cp1251ToUtf8(DT.AutoNumFld)) +
                            " AS INTEGER)) FROM " +
                            sqltext::QuoteIdent(platform::Cp1251ToUtf8(DT.DstTabName));
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      db.Fail("FLD_AUTONUM " + DT.AutoNumFld);
    DT.AutoNumLast = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
      DT.AutoNumLast = static_cast<int32_t>(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
  }

  const int64_t total = static_cast<int64_t>(lines.size());
  for (int64_t i = 0; i < total; ++i) {
    if ((i & 63) == 0 && !Job.Step(i, total, "строка "_cp + IntStr(static_cast<int32_t>(i + 1)) +
                                                 " из "_cp + IntStr(static_cast<int32_t>(total))))
      return false;
    const std::string& line = lines[static_cast<size_t>(i)];
    if (line.empty()) continue;
    ++Result.Lines;
    lineNote_ = " (" + dataName + ", строка "_cp + IntStr(static_cast<int32_t>(i + 1)) + ")";
    // 7. input variables
    if (!ReadInputs(line)) {
      ++Result.Skipped;
      continue;
    }
    // 8. computed variables
    Evaluate();
    // 9. key lookup
    if (key) {
      KT.KeyFld.Value.clear();
      std::string filter, shown;
      std::vector<TcvValue> params;
      for (const TKeyFldCase& c : KT.Cases) {
        const TInpFld& v = InpFld(c.FldName);
        const std::string col = "[" + c.FldName + "]";
        std::string f, s;
        if (c.Op == "REAL_EQ") {
          const double tol = ValRealOr0(c.Tol);
          f = "(" + col + " > ?) AND (" + col + " < ?)";
          params.push_back(RealValue(v.RVal - tol));
          params.push_back(RealValue(v.RVal + tol));
          s = "(" + c.FldName + " > " + ReSt(v.RVal - tol) + ") AND (" + c.FldName + " < " +
              ReSt(v.RVal + tol) + ")";
        } else if (c.CaseTyp == 'I') {
          f = col + " = ?";
          params.push_back(IntValue(v.IVal));
          s = c.FldName + " = " + IntStr(v.IVal);
        } else if (c.CaseTyp == 'R') {
          f = col + " = ?";
          params.push_back(RealValue(v.RVal));
          s = c.FldName + " = " + ReSt(v.RVal);
        } else if (c.CaseTyp == 'S') {
          f = col + " = ?";
          params.push_back(TextValue(v.Value));
          s = c.FldName + " = " + QuoteStr(v.Value);
        } else {
          f = "(" + col + " = ?)";
          params.push_back(TextValue(v.Value));
          s = "(" + c.FldName + " = " + v.Value + ")";
        }
        filter += (filter.empty() ? "" : " AND ") + f;
        shown += (shown.empty() ? "" : " AND ") + s;
      }
      key->SetFilter(filter, params);
      key->SetFiltered(!filter.empty());
      const int n = key->RecordCount();
      if (n == 1) {
        key->First();
        KT.KeyFld.Value = key->FieldByName(KT.KeyFld.Name).AsString();
      } else if (n >= 2) {
        WARN("Найдено "_cp + IntStr(n) +
             " т.е. более 1-ой записи, удовлетворяющих заданному условию!"_cp + kCRLF + shown +
             lineNote_);
      } else {
        WARN("Запись для фильтра "_cp + shown + " не найдена!"_cp + lineNote_);
      }
      // 10.
      if (KT.KeyFld.Value.empty() && KT.OnNoDef != 'N') {
        WARN("Не найден ключ, соотв. тек.строке"_cp + lineNote_);
        ++Result.Skipped;
        continue;
      }
    }
    // 11. the destination records
    for (const TDSTRec& rec : DT.Recs) {
      auto resOf = [&](const std::string& Col) -> const TResFld* {
        for (const TResFld& r : rec.Res)
          if (r.DstName == Col) return &r;
        return nullptr;
      };
      // 12. find the record
      bool found = false;
      if (DT.NKey > 0 && !KT.KeyFld.Value.empty()) {
        std::vector<TcvValue> vals;
        for (const std::string& k : DT.KeyFlds) {
          const TResFld& r = *resOf(k);
          const std::string src = WordN(r.Src, 1);
          if (!KT.KeyFld.Name.empty() && src == KT.KeyFld.Name) {
            vals.push_back(TextValue(KT.KeyFld.Value));
          } else {
            const TInpFld& v = InpFld(src);
            vals.push_back(r.ResTyp == 'I' ? IntValue(v.IVal) : TextValue(v.Value));
          }
        }
        found = dst.Locate(dstKeyFields, vals);
      }
      // 13. a new record
      bool noKey = false;
      if (!found) {
        if (keyIsDst) {
          for (const std::string& k : DT.KeyFlds) {
            const TResFld& r = *resOf(k);
            if (WordN(r.Src, 1) != KT.KeyFld.Name) continue;
            std::string newKey;
            for (int32_t w = 2; newKey.empty(); ++w) {
              const std::string cand = WordN(r.Src, w);
              if (cand.empty()) break;
              const std::string v = InpFld(cand).Value;
              if (!v.empty() && !dst.Locate(KT.KeyFld.Name, TextValue(v))) newKey = v;
            }
            if (newKey.empty()) {
              WARN("Новый ключ поля "_cp + k + " для таблицы "_cp + DT.DstTabName +
                   " не найден!"_cp + lineNote_);
              noKey = true;
              break;
            }
            KT.KeyFld.Value = newKey;
            break;
          }
        }
        if (noKey) continue;
        dst.Append();
      } else {
        dst.Edit();
      }
      // 14, 15. the columns
      for (const TResFld& r : rec.Res) {
        const std::string src = WordN(r.Src, 1);
        const TInpFld& v = InpFld(src);
        const bool isKey = !KT.KeyFld.Name.empty() && src == KT.KeyFld.Name;
        TcvField& col = dst.FieldByName(r.DstName);
        bool write = !found || r.ResKind == 'N';
        if (!write && !v.Value.empty()) {
          const std::string cur = col.AsString();
          if (TrimCtl(cur).empty())
            write = true;
          else if (r.ResKind == 'S') {
            const std::string cond = TrimCtl(dst.FieldByName(r.CondFld).AsString());
            write = cond.empty() || cond == r.Marker;
          } else {
            write = cur == r.Marker;
          }
        }
        if (!write) continue;
        if (isKey)
          col.SetAsString(KT.KeyFld.Value);
        else if (r.ResTyp == 'I')
          col.SetAsInteger(v.IVal);
        else if (r.ResTyp == 'R')
          col.SetAsFloat(r.ResDec != 0 ? RoundDec(v.RVal, r.ResDec) : v.RVal);
        else
          col.SetAsString(v.Value);
      }
      // 16.
      if (!found && DT.AutoNum) dst.FieldByName(DT.AutoNumFld).SetAsInteger(++DT.AutoNumLast);
      dst.Post();
      ++(found ? Result.Edited : Result.Added);
    }
  }
  if (!Job.Step(total, total, "строка "_cp + IntStr(static_cast<int32_t>(total)))) return false;
  if (key) key->SetFiltered(false);
  tr.Commit();
  return true;
}

bool ImportByInpFile(TJob& Job, TDM& D, const std::string& FileName, TInpImportResult* Result) {
  TInpImport imp;
  if (!imp.Read(FileName)) return false;
  const bool ok = imp.Run(Job, D);
  if (Result) *Result = imp.Result;
  return ok;
}
