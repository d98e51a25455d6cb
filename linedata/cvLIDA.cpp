#include "linedata/cvLIDA.h"

#include <charconv>
#include <cmath>
#include <functional>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"



namespace {
const std::string kCrLf = "\r\n";

std::string Tok(const std::string& S) { return S.empty() ? std::string("<>") : S; }
std::string Untok(const std::string& S) { return S == "<>" ? std::string() : S; }
char KindChar(char C) { return C == '\0' ? ' ' : C; }
}  // namespace

std::string KuruczDir() {
  TLineDataServices& S = LineData();
  if (S.KuruczFolder.Provided()) return DirSlash(S.KuruczFolder());
  return S.Root() + "KURUCZ/";
}

std::string LineFilesDir() {
  TLineDataServices& S = LineData();
  if (S.LineFilesFolder.Provided()) return DirSlash(S.LineFilesFolder());
  return S.Root() + "LW/";
}

std::string BandFileName(const std::string& Kind, int32_t Band) {
  return Kind + (Band < 100 ? ZeroPad(Band, 2) : IntStr(Band)) + "00.txt";
}

std::string LwFileName(int32_t Band) { return BandFileName("lw", Band); }

std::string SpeciesText(int32_t AT, int32_t NIon) {
  std::string s = TrimSp(AtSymByNum(AT));
  if (NIon >= 1 && NIon <= 3)
    s += " " + std::string(static_cast<size_t>(NIon), 'I');
  else
    s += " " + IntStr(NIon);
  return s;
}

// ---------------------------------------------------------------- THFS

void THFS::Clear() { SetN(0); }

void THFS::SetN(int32_t ANumber) {
  N = ANumber < 0 ? 0 : ANumber;
  Shift.assign(static_cast<size_t>(N) + 1, 0.0);
  Int.assign(static_cast<size_t>(N) + 1, 0.0);
}

bool THFS::Init(const std::string& S0) {
  Clear();
  std::string s = S0;
  CutAtChar(s, '!');
  if (TrimSp(s).empty()) return true;
  const std::string head = "THFS.Init(" + S0 + ")" + kCrLf;
  int32_t code = 0;
  const std::string w1 = WordN(s, 1);
  const int32_t n = ValIntCode(w1, code);
  if (code != 0 || n < 0) {
    WARNAbs(head + "Ошибка в числе компонент <"_cp + w1 + ">");
    return false;
  }
  const int32_t wc = WordCount(s);
  if (wc != 2 * n + 1) {
    WARNAbs(head + "Ошибка - число слов в строке = "_cp + IntStr(wc) + ", а должно быть равно "_cp +
            IntStr(2 * n + 1) + ", т.е. 2*N+1, где N="_cp + w1);
    return false;
  }
  SetN(n);
  for (int32_t i = 1; i <= n; ++i) {
    const std::string ws = WordN(s, i + 1), wi = WordN(s, n + 1 + i);
    int32_t c1 = 0, c2 = 0;
    const int32_t vs = ValIntCode(ws, c1);
    const int32_t vi = ValIntCode(wi, c2);
    if (c1 != 0 || c2 != 0) {
      WARNAbs(head +
              (c1 != 0 ? "Ошибка - в смещении дл.волны компоненты №"_cp + IntStr(i) + " <" + ws
                       : "Ошибка - в относительной интенсивности компоненты №"_cp + IntStr(i) +
                             " <" + wi) +
              ">");
      Clear();
      return false;
    }
    Shift[static_cast<size_t>(i)] = vs / 10.0;
    Int[static_cast<size_t>(i)] = vi / 10000.0;
  }
  return true;
}

void THFS::LoadClone(const THFS& Source) {
  N = Source.N;
  Shift = Source.Shift;
  Int = Source.Int;
}

// ---------------------------------------------------------------- THFS0

void THFS0::Clear() {
  Lam0 = 0;
  N = 0;
  Shift.assign(1, 0.0);
  DSigma.assign(1, 0.0);
  IntLin.assign(1, 0.0);
  IntLg.assign(1, 0.0);
}

bool THFS0::Init(const std::string& S0) {
  Clear();
  Source = S0;
  const std::string head = "THFS0.Init(" + S0 + ")" + kCrLf;
  std::string s = S0;
  CutAtChar(s, '!');
  const std::string w1 = WordN(s, 1);
  int32_t code = 0;
  const int32_t n = ValIntCode(w1, code);
  if (code != 0 || n < 0) {
    WARNAbs(head + "Ошибка в числе компонент <"_cp + w1 + ">");
    return false;
  }
  const int32_t wc = WordCount(s);
  if (wc != 2 * n + 1) {
    WARNAbs(head + "Ошибка - число слов в строке = "_cp + IntStr(wc) + ", а должно быть равно "_cp +
            IntStr(2 * n + 1));
    return false;
  }
  std::vector<double> in(static_cast<size_t>(n) + 1, 0.0);
  int mode = 0;  // 1 linear, -1 logarithmic
  double sum = 0, sumExp = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const std::string w = WordN(s, n + 1 + i);
    int32_t c = 0;
    const double v = ValRealCode(w, c);
    if (c != 0) {
      WARNAbs(head + "Ошибка при задании интенсивности компоненты №"_cp + IntStr(i) + " <" + w +
              ">");
      Clear();
      return false;
    }
    if (v == 0) {
      WARNAbs(head + "Ошибка - задание нулевой интенсивности компоненты №"_cp + IntStr(i) + " <" +
              w + ">");
      Clear();
      return false;
    }
    const int m = v > 0 ? 1 : -1;
    if (mode == 0) mode = m;
    if (m != mode) {
      WARNAbs(head + "Ошибка - задание интенсивностей компонент с РАЗНЫМ знаком!"_cp);
      Clear();
      return false;
    }
    if (v > 0)
      sum += v;
    else
      sumExp += Exp10(v);
    in[static_cast<size_t>(i)] = v;
  }
  if (mode < 0 && std::fabs(sumExp - 1) > 0.02) {
    WARNAbs(head + "Ошибка - сумма интенсивностей компонент равна "_cp + ShortSt(5, sumExp) +
            kCrLf +
            "что заметно отличается от единицы!!!"_cp);
    Clear();
    return false;
  }
  N = n;
  Shift.assign(static_cast<size_t>(n) + 1, 0.0);
  DSigma.assign(static_cast<size_t>(n) + 1, 0.0);
  IntLin.assign(static_cast<size_t>(n) + 1, 0.0);
  IntLg.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t j = 1; j <= n; ++j) {
    const std::string w = WordN(s, j + 1);
    int32_t c = 0;
    const double v = ValRealCode(w, c);
    if (c != 0) {
      WARNAbs(head + "Ошибка - в смещении дл.волны компоненты №"_cp + IntStr(j) + " <" + w + ">");
      Clear();
      return false;
    }
    const size_t k = static_cast<size_t>(j);
    Shift[k] = v;
    IntLg[k] = mode > 0 ? Lg(in[k] / sum) : in[k];
    IntLin[k] = Exp10(IntLg[k]);
  }
  if (Lam0 != 0) {
    const double s0 = 1e8 / Lam0;
    for (int32_t j = 1; j <= n; ++j) {
      const size_t k = static_cast<size_t>(j);
      DSigma[k] = std::round((1e8 / (Lam0 + Shift[k] / 1000) - s0) * 1000);
    }
  }
  return true;
}

double THFS0::MaxInt() const {
  double m = 0;
  for (int32_t j = 1; j <= N; ++j) m = std::max(m, IntLin[static_cast<size_t>(j)]);
  return m;
}

void THFS0::ShiftRange(double& Min, double& Max) const {
  Min = Max = 0;
  for (int32_t j = 1; j <= N; ++j) {
    Min = std::min(Min, Shift[static_cast<size_t>(j)]);
    Max = std::max(Max, Shift[static_cast<size_t>(j)]);
  }
}

// ---------------------------------------------------------------- TLIDA

void TLIDA::Clear() {
  HFS.reset();
  LIk.reset();
  sIdK.clear();
  LIN6.clear();
  Mult.clear();
  LGGFSrc.clear();
  Str1.clear();
  Str2.clear();
  AT = NIon = JL2 = JU2 = 0;
  LAMB = ELOW = EUP = LGGF = EWAN = GL = GU = 0;
  Wcd = Dcd = WHM = DHM = WCV = DCV = 0;
  Rad = Stark = Waals = ARad = 0;
  GLT = GUT = ' ';
  Zee.Clear();
}

void TLIDA::LoadClone(const TLIDA& S) {
  sIdK = S.sIdK;
  LIN6 = S.LIN6;
  sIdL = S.sIdL;
  AT = S.AT;
  NIon = S.NIon;
  Str1 = S.Str1;
  Str2 = S.Str2;
  Mult = S.Mult;
  JL2 = S.JL2;
  JU2 = S.JU2;
  LAMB = S.LAMB;
  ELOW = S.ELOW;
  EUP = S.EUP;
  LGGF = S.LGGF;
  LGGFSrc = S.LGGFSrc;
  dLAMB = S.dLAMB;
  dLGGF = S.dLGGF;
  GL = S.GL;
  GU = S.GU;
  GLT = S.GLT;
  GUT = S.GUT;
  Wcd = S.Wcd;
  Dcd = S.Dcd;
  WHM = S.WHM;
  DHM = S.DHM;
  WCV = S.WCV;
  DCV = S.DCV;
  EWAN = S.EWAN;
  Rad = S.Rad;
  Stark = S.Stark;
  Waals = S.Waals;
  ARad = S.ARad;
  NHFS = S.NHFS;
  if (S.HFS) {
    if (!HFS) HFS = std::make_unique<THFS>();
    HFS->LoadClone(*S.HFS);
  } else {
    HFS.reset();
  }
  if (S.LIk) {
    if (!LIk) LIk = std::make_unique<TLIDAk>();
    LIk->LoadClone(*S.LIk);
  } else {
    LIk.reset();
  }
  Zee.LoadClone(S.Zee);
}

std::string TLIDA::GetName() const {
  const std::string l = TrimSp(LIN6);
  return l.empty() ? TrimSp(sIdK) : l;
}

void TLIDA::SetHFS(const std::string& S) {
  if (!HFS) HFS = std::make_unique<THFS>();
  HFS->Init(S);
}

void TLIDA::LI_Load(const std::string& Id) {
  std::lock_guard<std::recursive_mutex> lock(LineLoadLock());
  const bool hasDot = Id.find('.') != std::string::npos;
  const bool hasX = Id.find('x') != std::string::npos;
  if (!hasDot && !hasX) {
    DBLoad(Id);
    return;
  }
  if (Id.size() > 1 && Id[1] == 'x') {
    if (LILast && LILast->sIdK == Id)
      LoadClone(*LILast);
    else
      LIK_load_from_TXT(Id);
    return;
  }
  if (!Id.empty() && Id[0] == 'x') {
    if (LILast && LILast->sIdK == Id)
      LoadClone(*LILast);
    else
      WARNAbs("TLIDA.LI_Load(<" + Id + ">) - " + kCrLf + "<" + Id +
              "> предполагает загрузку только из LILast!"_cp + kCrLf + "LILast.sIdK=<" +
              (LILast ? LILast->sIdK : std::string()) + "> !!!");
    return;
  }
  if (hasDot) {
    LI_lwPickUp(Id);
    return;
  }
  WARNAbs("TLIDA.LI_Load(<" + Id + ">) - " + kCrLf + "<" + Id +
          "> не является ни одним из возможных форматов Id линии!"_cp);
}

bool TLIDA::DBLoad(const std::string& Key) { return DBGetLIDA(Key, LineData().LGGFSrcList()); }

namespace {
// The "Lines_" record of Key into Line (the record's LIN6 checked).
void FromLinesRecord(TLIDA& L, const std::string& Key, TcvTable& T, bool Register = true) {
  const std::string recKey = TrimSp(T.FieldByName("LIN6").AsString());
  if (recKey != Key) {
    WARNAbs("TLIDA.LI_load_from_DB(<" + Key + ">) - БД установлена на"_cp + kCrLf +
            "линию с LINES_.LIN6=<"_cp + recKey + ">!");
    L.Clear();
    return;
  }
  auto r = [&](const char* F) { return T.FieldByName(F).AsFloat(); };
  auto i = [&](const char* F) { return static_cast<int32_t>(T.FieldByName(F).AsInteger()); };
  auto c = [&](const char* F) {
    const std::string s = T.FieldByName(F).AsString();
    return s.empty() ? ' ' : s[0];
  };
  L.LIN6 = Key;
  L.sIdK.clear();
  L.sIdL.clear();
  L.EWAN = 1;
  L.AT = AtNumBySym(T.FieldByName("Atom").AsString());
  L.LAMB = r("LAMB");
  L.NIon = i("NIon");
  L.Mult = T.FieldByName("Mult").AsString();
  L.ELOW = r("ELOW");
  L.EUP = r("EUP");
  L.LGGF = r("LGGF");
  L.LGGFSrc = T.FieldByName("LGGFSrc").AsString();
  L.JL2 = i("JL2");
  L.JU2 = i("JU2");
  L.GL = r("GL");
  L.GU = r("GU");
  L.Wcd = r("Wcd");
  L.Dcd = r("Dcd");
  L.WHM = r("WHM");
  L.DHM = r("DHM");
  L.WCV = r("WCV");
  L.DCV = r("DCV");
  L.Rad = r("Rad");
  L.Stark = r("Stark");
  L.Waals = r("Waals");
  L.GLT = c("GLT");
  L.GUT = c("GUT");
  if (L.LIk)
    L.LIk->Clear();
  else
    L.LIk = std::make_unique<TLIDAk>();
  if (!Register) return;
  if (LILast) LILast->LoadClone(L);
  if (LLIDA) LLIDA->AddUnique(std::make_unique<TLIDA>(L));
}
}  // namespace

bool LinesRecordNow(const std::string& Key, TLIDA& Line) {
  TDM* D = LineData().Data();
  if (!D || !D->Connected() || Key.empty()) return false;
  TcvTable t(&D->ADOConnection, "Lines_");
  t.SetFilter("LIN6 = ?", {TextValue(Key)});
  t.SetFiltered(true);
  t.Open();
  if (t.IsEmpty()) return false;
  t.First();
  FromLinesRecord(Line, Key, t, false);
  t.Close();
  return Line.LIN6 == Key;
}

void TLIDA::LI_load_from_DB(const std::string& Key) {
  TDM* D = LineData().Data();
  if (!D) return;
  FromLinesRecord(*this, Key, D->ADOLines_);
}

bool TLIDA::DBGetLIDA(const std::string& Key, const std::string& SrcList) {
  CreateLineLists();
  if (LILast->LIN6 == Key) {
    LoadClone(*LILast);
  } else if (TLIDA* e = LLIDA->GetATLLLL(Key)) {
    LoadClone(*e);
  }
  if (LIN6 != Key) {
    TDM* D = LineData().Data();
    if (!D || !D->Connected()) {
      WARNAbs("НЕТ ДАННЫХ О ЛИНИИ ["_cp + Key + "]" + kCrLf + "В ТАБЛИЦЕ [Lines_]"_cp);
      return false;
    }
    TcvTable t(&D->ADOConnection, "Lines_");
    t.SetFilter("LIN6 = ?", {TextValue(Key)});
    t.SetFiltered(true);
    t.Open();
    if (t.IsEmpty()) {
      WARNAbs("НЕТ ДАННЫХ О ЛИНИИ ["_cp + Key + "]" + kCrLf + "В ТАБЛИЦЕ [Lines_]"_cp + kCrLf +
              "Filter=[" + t.Filter() + "]" + kCrLf + "Filtered=" + "true");
      return false;
    }
    t.First();
    FromLinesRecord(*this, Key, t);
    t.Close();
    if (LIN6 != Key) return false;
  }
  SelectLGGF(Key, SrcList, *this);
  LILast->LoadClone(*this);
  LLIDA->AddUnique(std::make_unique<TLIDA>(*this));
  return true;
}

bool TLIDA::LIK_load_from_TXT(const std::string& Id) {
  std::string file;
  const int32_t n = KurIdToFile(Id, file);
  if (n == 0) return false;
  TKurFile f;
  f.Open(file);
  std::string s;
  int32_t i = 0;
  while (i < n && f.ReadLn(s)) ++i;
  f.Close();
  if (i < n) {
    WARNAbs("LIK_load_from_TXT(" + Id + ") ERR файл "_cp + file + " кончился на строке "_cp +
            IntStr(i) + " !!!");
    Clear();
    return false;
  }
  auto k = std::make_unique<TLIDAk>();
  if (!ParseKurLine(Id, file, KurCatalogueLine(s), *k, *this, n)) {
    WARNAbs("LIK_load_from_TXT(" + Id + ") ERR Не удалось разобрать строку"_cp + kCrLf + "<" + s +
            ">" + kCrLf + "на поля, описывающие линию!"_cp);
    Clear();
    return false;
  }
  LIk = std::move(k);
  sIdK = Id;
  LIN6.clear();
  EWAN = 1;
  Mult = "9999";
  Wcd = Dcd = 0;
  GLT = GUT = 'L';
  CreateLineLists();
  LILast->LoadClone(*this);
  return true;
}

bool LwCollect(double Lo, double Hi, const std::function<void(TLIDA&)>& Take) {
  const std::string dir = LineFilesDir();
  for (int32_t band = static_cast<int32_t>(Lo / 100); band * 100.0 <= Hi; ++band) {
    const std::string file = dir + LwFileName(band);
    if (!platform::IsRegularFile(file)) continue;
    TTextFile f;
    TxtOpen(f, 0, file);
    int32_t n = 0;
    while (!f.Eof()) {
      const std::string s = f.ReadLn();
      ++n;
      if (TrimSp(s).empty()) continue;
      const std::string lt = TrimSp(s.substr(0, 10));
      int32_t code = 0;
      const double lam = lt.empty() ? 0 : ValRealPlainCode(lt, code);
      if (lt.empty() || code != 0) {
        f.Close();
        WARNAbs("Ошибка при чтении длины волны из файла "_cp + file + kCrLf + "в строке "_cp +
                IntStr(n) + " Длина волны = <"_cp + lt + ">");
        return false;
      }
      if (lam < Lo) continue;
      if (lam > Hi) return true;
      const std::string id =
          (band < 100 ? ZeroPad(band, 2) : IntStr(band)) + "w" + ZeroPad(n, 4);
      TLIDA line;
      TLIDAk k;
      if (!ParseKurLineExt(id, file, s, k, line, n)) return false;
      line.EWAN = 1;
      Take(line);
    }
  }
  return true;
}

bool TLIDA::LI_lwPickUp(const std::string& Id) {
  CreateLineLists();
  if (LILast->sIdL == Id) {
    LoadClone(*LILast);
  } else if (TLIDA* e = LLIDA->GetSIdL(Id)) {
    LoadClone(*e);
  }
  if (sIdL == Id && !Id.empty()) return true;
  const std::string head = "TLIDA.LI_lwPickUp";
  if (Id.find('.') == std::string::npos) {
    WARNAbs(head + "(<" + Id + ">) - " + kCrLf + "<" + Id +
            "> не является форматом Id линии типа [AT]LLLL.L[~e.ee] !"_cp);
    return false;
  }
  std::string expr = Id;
  int32_t at = 0;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (Id.size() >= 2 && !(digit(Id[0]) && digit(Id[1]))) {
    const std::string sym = Id.substr(0, 2);
    at = AtNumBySym(sym);
    if (at <= 0) {
      WARNAbs(head + "(<" + Id + ">) - " + kCrLf + "атом с именем <"_cp + sym + "> не найден!"_cp);
      return false;
    }
    expr = Id.substr(2);
  }
  double eLow = -1;
  if (expr.find('~') != std::string::npos) {
    const std::string et = AfterStr(expr, "~");
    expr = BeforeStr(expr, "~");
    int32_t c = 0;
    eLow = ValRealCode(et, c);
    if (c != 0) {
      WARNAbs(head + "(" + Id + ") " + kCrLf + "Ошибка в выражении для Elow <"_cp + et + ">");
      return false;
    }
  }
  int32_t c = 0;
  const double lam = ValRealCode(expr, c);
  if (c != 0) {
    WARNAbs(head + "(" + Id + ") " + kCrLf + "Ошибка в выражении для дл.волны линии <"_cp + expr +
            ">");
    return false;
  }
  std::vector<TLIDA> got;
  if (!LwCollect(lam - 0.1, lam + 0.2, [&](TLIDA& L) {
        if (at > 0 && L.AT != at) return;
        if (eLow >= 0 && !NearRe(L.ELOW, eLow, 0.02)) return;
        LILast->LoadClone(L);
        got.push_back(L);
      }))
    return false;
  auto take = [&](const TLIDA& L) {
    LoadClone(L);
    sIdL = Id;
    LILast->LoadClone(*this);
    LLIDA->AddUnique(std::make_unique<TLIDA>(*this));
    return true;
  };
  if (got.empty()) {
    WARNAbs(head + "(" + Id + ") - ни одна линия не найдена!"_cp);
    return false;
  }
  if (got.size() == 1) return take(got[0]);
  size_t best = 0;
  for (size_t i = 1; i < got.size(); ++i)
    if (got[i].DHM + got[i].DCV > got[best].DHM + got[best].DCV) best = i;
  size_t second = best == 0 ? 1 : 0;
  for (size_t i = 0; i < got.size(); ++i)
    if (i != best && got[i].DHM + got[i].DCV > got[second].DHM + got[second].DCV) second = i;
  const double sb = got[best].DHM + got[best].DCV, ss = got[second].DHM + got[second].DCV;
  if (sb <= 0 && ss <= 0) return take(got[0]);
  if (sb > 0 && ss / sb < 0.1) return take(got[best]);
  auto desc = [](const TLIDA& L) {
    return "L6=" + PadRight("<" + L.LIN6 + ">", 9) + " IdK=" + PadRight("<" + L.sIdK + ">", 9) +
           " " + FSt(8, 3, L.LAMB) + " " + PadRight(SpeciesText(L.AT, L.NIon), 4) + " " +
           FSt(6, 3, L.ELOW) + FSt(7, 3, L.LGGF) + " " + PadRight(L.LGGFSrc, 8) +
           FSt(4, 3, L.DHM) + " " + FSt(4, 3, L.DCV) + PadRight(HalfStr(L.JL2), 4) + " " +
           HalfStr(L.JU2) + " " + FSt(6, 3, L.GL) + FSt(6, 3, L.GU);
  };
  WARNAbs(head + "(" + Id + ") - найдено "_cp + IntStr(static_cast<int32_t>(got.size())) +
          " линии (линий)!"_cp + kCrLf + desc(got[best]) + kCrLf + desc(got[second]) + kCrLf +
          "и т.д."_cp);
  return false;
}

// ---- texts ----

std::string TLIDA::sDump() const {
  std::string o;
  auto t = [&](const std::string& s) { o += Tok(s) + " "; };
  t(FDecSt(4, LAMB));
  t(IntStr(AT));
  t(ShortSt(8, ELOW));
  t(IntStr(JU2));
  t(sIdK);
  t(LIN6);
  t(sIdL);
  t(IntStr(NIon));
  t(LIk ? ReplaceChar(LIk->LabelLO, ' ', '_') : std::string());
  t(LIk ? ReplaceChar(LIk->LabelHI, ' ', '_') : std::string());
  t(Mult.empty() ? std::string("9999") : Mult);
  t(IntStr(JL2));
  t(ShortSt(8, EUP));
  t(ShortSt(6, LGGF));
  // a source of several words keeps one token
  t(ReplaceChar(TrimSp(LGGFSrc), ' ', '_'));
  t(FDecSt(4, dLAMB));
  t(ShortSt(6, dLGGF));
  t(FDecSt(4, GL));
  t(FDecSt(4, GU));
  // the two kind codes: blanks as "_", both blank as "<>"
  const char g1 = KindChar(GLT), g2 = KindChar(GUT);
  t(g1 == ' ' && g2 == ' ' ? std::string()
                           : std::string(1, g1 == ' ' ? '_' : g1) + (g2 == ' ' ? '_' : g2));
  for (double v : {Wcd, Dcd, WHM, DHM, WCV, DCV}) t(ShortSt(6, v));
  t(ShortSt(5, EWAN));
  for (double v : {Rad, Stark, Waals, ARad}) t(ShortSt(6, v));
  t(IntStr(NHFS));
  if (LIk) {
    t(ShortSt(4, LIk->frac));
    t(IntStr(LIk->shiftLO));
    t(IntStr(LIk->shiftHI));
    t(ShortSt(4, LIk->HFShift));
  } else {
    o += "0 0 0 0 ";
  }
  if (HFS) {
    o += IntStr(HFS->N);
    for (int32_t i = 1; i <= HFS->N; ++i)
      o += " " + I64Str(std::llround(HFS->Shift[static_cast<size_t>(i)] * 10));
    for (int32_t i = 1; i <= HFS->N; ++i)
      o += " " + I64Str(std::llround(HFS->Int[static_cast<size_t>(i)] * 10000));
  }
  return o;
}

void TLIDA::LoadSDump(const std::string& S) {
  std::vector<std::string> w;
  {
    int32_t j = 1;
    std::string word;
    for (;;) {
      NextWord(S, j, word);
      if (word.empty()) break;
      w.push_back(word);
    }
  }
  size_t k = 0;
  auto fail = [&](const std::string& what) {
    ErrAbs("LIDA.LoadSDump: " + what + " <" + S + ">");
  };
  auto word = [&]() -> std::string {
    if (k >= w.size()) fail("строка кончилась"_cp);
    return w[k++];
  };
  auto real = [&]() {
    const std::string s = word();
    int32_t c = 0;
    const double v = ValRealCode(s, c);
    if (c != 0) fail("не число <"_cp + s + ">");
    return v;
  };
  auto integer = [&]() {
    const std::string s = word();
    int32_t c = 0;
    const int32_t v = ValIntCode(s, c);
    if (c != 0) fail("не целое число <"_cp + s + ">");
    return v;
  };
  auto str = [&]() { return Untok(word()); };
  LAMB = real();
  AT = integer();
  ELOW = real();
  JU2 = integer();
  sIdK = str();
  LIN6 = str();
  sIdL = str();
  NIon = integer();
  const std::string l1 = str(), l2 = str();
  Mult = word();
  JL2 = integer();
  EUP = real();
  LGGF = real();
  LGGFSrc = str();
  dLAMB = real();
  dLGGF = real();
  GL = real();
  GU = real();
  // the kind codes: "<>" blanks; dumps without the token (both blank) go on with a number
  GLT = GUT = ' ';
  if (k < w.size()) {
    int32_t c = 0;
    ValRealCode(w[k], c);
    if (c != 0) {
      const std::string g = Untok(word());
      GLT = g.size() > 0 && g[0] != '_' ? g[0] : ' ';
      GUT = g.size() > 1 && g[1] != '_' ? g[1] : ' ';
    }
  }
  Wcd = real();
  Dcd = real();
  WHM = real();
  DHM = real();
  WCV = real();
  DCV = real();
  EWAN = real();
  Rad = real();
  Stark = real();
  Waals = real();
  ARad = real();
  NHFS = static_cast<uint8_t>(integer());
  const double frac = real();
  const int32_t s1 = integer(), s2 = integer();
  const double hf = real();
  if (!l1.empty() || !l2.empty()) {
    if (LIk)
      LIk->Clear();
    else
      LIk = std::make_unique<TLIDAk>();
    LIk->LabelLO = ReplaceChar(l1, '_', ' ');
    LIk->LabelHI = ReplaceChar(l2, '_', ' ');
    LIk->frac = frac;
    LIk->shiftLO = s1;
    LIk->shiftHI = s2;
    LIk->HFShift = hf;
  } else {
    LIk.reset();
  }
  // the component list the dump wrote
  HFS.reset();
  if (k < w.size()) {
    const int32_t n = integer();
    auto h = std::make_unique<THFS>();
    h->SetN(n);
    for (int32_t i = 1; i <= n; ++i) h->Shift[static_cast<size_t>(i)] = integer() / 10.0;
    for (int32_t i = 1; i <= n; ++i) h->Int[static_cast<size_t>(i)] = integer() / 10000.0;
    HFS = std::move(h);
  }
}

std::string TLIDA::sRepHead() const {
  return "sIdK AT  " + PadRight("LAMB", 8) + " " + PadRight(" Elow", 7) + " " + "lggf " + "src " +
         "dHM " + "dCV " + "WHM " + "WCV " + "J_lo" + " " + "J_up" + " " + "g_lo " + "g_up " +
         "G_eff";
}

std::string TLIDA::sRepLine() const {
  // the effective Landé factor of the pattern made from the levels (the stored one unchanged)
  TZEEMAN zee;
  zee.LoadClone(Zee);
  zee.SetByHand(IntStr(JL2) + " " + IntStr(JU2) + " " + FSt(6, 3, GL) + " " + FSt(6, 3, GU));
  std::string gEff = FSt(6, 3, zee.GetGEff());
  if (gEff == "99.000") gEff = "  .   ";
  const std::string src = LGGFSrc.empty() ? std::string("-") : LGGFSrc;
  std::string o;
  auto t = [&](const std::string& s) { o += s + " "; };
  t(Tok(sIdK));
  t(PadRight(TrimSp(AtSymByNum(AT)) + IntStr(NIon), 3));
  t(FSt(8, 3, LAMB));
  t(FSt(7, 4, ELOW));
  t(FSt(6, 3, LGGF));
  t(PadRight(src, 8));
  for (double v : {DHM, DCV, WHM, WCV}) t(FSt(7, 2, v));
  t(HalfStr(JL2));
  t(HalfStr(JU2));
  t(FSt(6, 3, GL));
  t(FSt(6, 3, GU));
  t(gEff);
  for (double v : {Rad, Stark, Waals}) t(FSt(6, 3, v));
  return o;
}

std::string TLIDA::sRepLLIDA() const {
  std::string o = "<" + sIdK + "> " + LIN6 + " " + IntStr(AT) + " " + IntStr(NIon) + " " +
                  ShortSt(7, LAMB) + " +(" + ShortSt(6, dLAMB) + ") " + ShortSt(7, ELOW) + " " +
                  ShortSt(7, EUP) + " " + ShortSt(5, LGGF) + " +(" + ShortSt(5, dLGGF) + ") " +
                  IntStr(JL2) + " " + IntStr(JU2) + " " + ShortSt(5, GL) + " " + ShortSt(5, GU) +
                  " " + Zee.GeffMomentsStr() + " " + IntStr(Zee.NCOMP) + ":" + IntStr(Zee.NPI) + " " + IntStr(NHFS) + " ";
  if (HFS) {
    o += IntStr(HFS->N);
    for (int32_t i = 1; i <= HFS->N; ++i)
      o += " " + I64Str(std::llround(HFS->Shift[static_cast<size_t>(i)]));
    for (int32_t i = 1; i <= HFS->N; ++i)
      o += " " + I64Str(std::llround(HFS->Int[static_cast<size_t>(i)] * 10000));
  } else {
    o += "NIL";
  }
  o += " ";
  o += LIk ? "Заготовка_отчета_специфич_части_таблицы_Куруча"_cp : std::string("NIL");
  return o;
}

namespace {

// The Form C fields written straight into one buffer: what FSt, I64PadSt and PadRightMark give.
// The fixed text of X with D decimals (0 to 3) into [A, E) of B, rounded half to even from the
// exact X * 10^D (Dekker's product; 10^D needs no split): what the general conversion gives.
// False when X * 10^D reaches 2^52.
bool FixedFast(double X, int D, char (&B)[64], char*& A, char*& E) {
  static const uint64_t kU10[] = {1, 10, 100, 1000};
  if (D < 0 || D > 3) return false;
  const double ax = std::fabs(X), p = static_cast<double>(kU10[D]);
  const double hi = ax * p;
  if (!(hi < 4503599627370496.0)) return false;
  const double t = 134217729.0 * ax, ah = t - (t - ax), al = ax - ah;
  const double lo = (ah * p - hi) + al * p;
  uint64_t m = static_cast<uint64_t>(hi);
  const double d = (hi - static_cast<double>(m)) - 0.5;  // the fraction above one half
  if (d > -lo || (d == -lo && (m & 1) != 0)) ++m;
  E = std::to_chars(B + 1, B + 40, m / kU10[D]).ptr;
  if (D > 0) {
    *E++ = '.';
    uint64_t f = m % kU10[D];
    for (int i = D - 1; i >= 0; --i, f /= 10) E[i] = static_cast<char>('0' + f % 10);
    E += D;
  }
  A = B + 1;
  if (X < 0) *--A = '-';
  return true;
}

void PutF(std::string& O, int W, int D, double X) {
  if (std::isnan(X) || std::fabs(X) >= 1e36) {
    O += FSt(W, D, X);
    return;
  }
  if (X == 0) X = 0;
  char b[64];
  char *a = b, *e = b;
  if (!FixedFast(X, D, b, a, e)) e = std::to_chars(b, b + sizeof b, X, std::chars_format::fixed, D).ptr;
  const int n = static_cast<int>(e - a);
  if (n < W) O.append(static_cast<size_t>(W - n), ' ');
  O.append(a, static_cast<size_t>(n));
}

void PutI(std::string& O, int W, int64_t N) {
  const uint64_t m = N < 0 ? 0 - static_cast<uint64_t>(N) : static_cast<uint64_t>(N);
  char b[24];
  const auto r = std::to_chars(b, b + sizeof b, m);
  const size_t n = static_cast<size_t>(r.ptr - b), w = static_cast<size_t>(W < 0 ? 0 : W);
  if (n >= w) {
    O.append(r.ptr - w, w);  // the last W digits
    return;
  }
  O.append(w - n - (N < 0 ? 1 : 0), ' ');
  if (N < 0) O += '-';
  O.append(b, n);
}

// S in exactly W characters: padded with blanks, or cut with "*" as the last one; "_" as blanks
// when Blanks.
void PutText(std::string& O, const std::string& S, size_t W, bool Blanks) {
  const size_t start = O.size();
  if (S.size() <= W) {
    O += S;
    O.append(W - S.size(), ' ');
  } else {
    O.append(S, 0, W - 1);
    O += '*';
  }
  if (Blanks)
    for (size_t i = start; i < O.size(); ++i)
      if (O[i] == '_') O[i] = ' ';
}

}  // namespace

std::string TLIDA::sKurDumpHF() const {
  std::string o;
  o.reserve(160 + (HFS ? 10 * static_cast<size_t>(std::max(HFS->N, 0)) : 0));
  PutF(o, 10, 3, LAMB);
  PutF(o, 7, 3, LGGF);
  PutI(o, 3, AT);
  o += '.';
  o += ZeroPad(NIon - 1, 2);
  if (!LIk) {
    const std::string e = "TLIDA.sKurDump before Assigning LIk!\n\r" + o;
    WARNAbs(e);
    return e;
  }
  PutF(o, 12, 3, ELOW * EvToCm);
  PutF(o, 5, 1, JL2 / 2.0);
  o += ' ';
  PutText(o, LIk->LabelLO, 10, true);
  PutF(o, 12, 3, EUP * EvToCm);
  PutF(o, 5, 1, JU2 / 2.0);
  o += ' ';
  PutText(o, LIk->LabelHI, 10, true);
  PutF(o, 6, 2, Rad);
  PutF(o, 6, 2, Stark);
  PutF(o, 6, 2, Waals);
  PutText(o, LGGFSrc, 4, false);
  PutI(o, 2, LIk->NonLTElo);
  PutI(o, 2, LIk->NonLTEhi);
  PutText(o, LIk->linestrength, 1, false);
  PutText(o, LIk->autoionising, 3, false);
  PutI(o, 5, std::llround(GL * 1000));
  PutI(o, 5, std::llround(GU * 1000));
  PutI(o, 5, std::llround(DHM * 100));
  PutI(o, 5, std::llround(DCV * 100));
  PutI(o, 5, std::llround(WHM * 10));
  PutI(o, 5, std::llround(WCV * 10));
  if (HFS) {
    PutI(o, 3, HFS->N);
    for (int32_t i = 1; i <= HFS->N; ++i) PutI(o, 5, std::llround(HFS->Shift[static_cast<size_t>(i)]));
    for (int32_t i = 1; i <= HFS->N; ++i)
      PutI(o, 5, std::llround(HFS->Int[static_cast<size_t>(i)] * 10000));
  } else {
    o += "  0";
  }
  return o;
}

void TLIDA::CalcHFShift() {
  if (!LIk) return;
  const double eLo = ELOW * EvToCm, eHi = EUP * EvToCm;
  if (LIk->shiftLO != 0 || LIk->shiftHI != 0) {
    const double lo2 = eLo + LIk->shiftLO / 1000.0, hi2 = eHi + LIk->shiftHI / 1000.0;
    const double n = 1e8 / (hi2 - lo2) / LAMB;
    LIk->nAir = n - 1;
    LIk->Lam0 = 1e8 / (eHi - eLo) / n;
    LIk->HFShift = (LAMB - LIk->Lam0) * 1000;
  } else {
    CalcISO();
  }
}

void TLIDA::CalcISO() {
  if (!LIk) return;
  LIk->Lam0 = 0;
  LIk->HFShift = 0;
  LIk->nAir = 1e8 / (EUP * EvToCm - ELOW * EvToCm) / LAMB - 1;
}

void TLINEDATA::Clear() {
  Atom = nullptr;
  LI = TLIDA();
  DLD = PART = U0 = U1 = U2 = ETA = A = AOld = DLLor4 = DLLor6 = DLLorN = nullptr;
}
