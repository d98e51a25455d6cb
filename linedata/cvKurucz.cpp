#include "linedata/cvKurucz.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "platform/FileErr.h"

namespace {

const std::string kCrLf = "\r\n";

// The text of columns A..B (1-based, both ends), blanks at both ends removed.
std::string Col(const std::string& T, int32_t A, int32_t B) {
  if (A > static_cast<int32_t>(T.size())) return {};
  return TrimSp(T.substr(static_cast<size_t>(A - 1), static_cast<size_t>(B - A + 1)));
}
// Columns A..B as they stand (padded with blanks beyond the text's end).
std::string RawCol(const std::string& T, int32_t A, int32_t B) {
  std::string s = A > static_cast<int32_t>(T.size())
                      ? std::string()
                      : T.substr(static_cast<size_t>(A - 1), static_cast<size_t>(B - A + 1));
  s.resize(static_cast<size_t>(B - A + 1), ' ');
  return s;
}
std::string Chr(const std::string& T, int32_t A) {
  return A > static_cast<int32_t>(T.size()) ? std::string(" ")
                                            : std::string(1, T[static_cast<size_t>(A - 1)]);
}

// Columns A..B (1-based, both ends) as a view, blanks at both ends removed.
std::string_view ColView(const std::string& T, int32_t A, int32_t B) {
  if (A > static_cast<int32_t>(T.size())) return {};
  std::string_view v(T);
  v = v.substr(static_cast<size_t>(A - 1), static_cast<size_t>(B - A + 1));
  const size_t a = v.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return v.substr(a, v.find_last_not_of(' ') - a + 1);
}

// The plain forms of the fields, [sign] digits [. digits], read without a copy; they give what
// the general conversion gives. False for any other text (the general conversion decides).
bool PlainReal(std::string_view S, double& V) {
  size_t i = S.empty() || (S[0] != '-' && S[0] != '+') ? 0 : 1;
  const size_t start = i;
  bool point = false, digit = false;
  for (; i < S.size(); ++i) {
    if (S[i] >= '0' && S[i] <= '9')
      digit = true;
    else if (S[i] == '.' && !point)
      point = true;
    else
      return false;
  }
  if (!digit) return false;
  const auto r = std::from_chars(S.data() + start, S.data() + S.size(), V);
  if (r.ec != std::errc() || r.ptr != S.data() + S.size()) return false;
  if (S[0] == '-') V = -V;
  return true;
}
bool PlainInt(std::string_view S, int32_t& V) {
  size_t i = S.empty() || (S[0] != '-' && S[0] != '+') ? 0 : 1;
  if (i == S.size() || S.size() - i > 9) return false;
  int32_t v = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9') return false;
    v = v * 10 + (S[i] - '0');
  }
  V = S[0] == '-' ? -v : v;
  return true;
}

// One reader of the parsers: every field is read; the last field that failed is reported once.
class TReader {
 public:
  TReader(const std::string& Text, const std::string& FileName, int32_t LineNo)
      : t_(Text), file_(FileName), line_(LineNo) {}
  double Real(int32_t A, int32_t B, const char* Name, bool EmptyIsZero) {
    const std::string_view v = ColView(t_, A, B);
    if (v.empty() && EmptyIsZero) return 0;
    double x = 0;
    if (PlainReal(v, x)) return x;
    const std::string s(v);
    int32_t code = 0;
    const double r = s.empty() ? 0 : ValRealPlainCode(s, code);
    if (s.empty() || code != 0) Bad(Name, s);
    return s.empty() || code != 0 ? 0 : r;
  }
  int32_t Int(int32_t A, int32_t B, const char* Name, bool EmptyIsZero) {
    const std::string_view v = ColView(t_, A, B);
    if (v.empty() && EmptyIsZero) return 0;
    int32_t x = 0;
    if (PlainInt(v, x)) return x;
    const std::string s(v);
    int32_t code = 0;
    const int32_t r = s.empty() ? 0 : ValIntCode(s, code);
    if (s.empty() || code != 0) Bad(Name, s);
    return s.empty() || code != 0 ? 0 : r;
  }
  int32_t Int(int32_t A, int32_t B, const std::string& Name, bool EmptyIsZero) {
    return Int(A, B, Name.c_str(), EmptyIsZero);
  }
  // Ends a reader: true when all its fields were read, else the message.
  bool Done() {
    if (failName_.empty()) return true;
    WARNAbs("Ошибка при чтении "_cp + failName_ + " из файла "_cp + file_ + kCrLf + "в строке "_cp +
            IntStr(line_) + " " + failName_ + " = <" + failText_ + ">");
    return false;
  }

 private:
  void Bad(const char* Name, const std::string& Text) {
    failName_ = Name;
    failText_ = Text;
  }
  const std::string& t_;
  const std::string& file_;
  int32_t line_;
  std::string failName_, failText_;
};

std::string Label(const std::string& T, int32_t A, int32_t B) {
  return ReplaceChar(Col(T, A, B), ' ', '_');
}

void SetElement(double Code, TLIDA& Line) {
  const int64_t c = std::llround(Code * 100);
  Line.AT = static_cast<int32_t>(c / 100);
  Line.NIon = static_cast<int32_t>(c % 100) + 1;
}

// Hyperfine components of Form C from column 140.
bool ReadComponents(TReader& R, const std::string& T, TLIDA& Line) {
  const std::string ns = Col(T, 140, 142);
  if (ns.empty()) {
    Line.HFS.reset();
    Line.NHFS = 0;
    return true;
  }
  const int32_t n = R.Int(140, 142, "NHF", false);
  if (!R.Done()) return false;
  if (n <= 1) {
    Line.HFS.reset();
    Line.NHFS = 0;
    return true;
  }
  if (!Line.HFS) Line.HFS = std::make_unique<THFS>();
  Line.HFS->SetN(n);
  Line.NHFS = static_cast<uint8_t>(std::min(n, 255));
  int32_t c = 143;
  for (int32_t i = 1; i <= n; ++i, c += 5)
    Line.HFS->Shift[static_cast<size_t>(i)] = R.Int(c, c + 4, "HFS DL [" + IntStr(i) + "]", false);
  for (int32_t i = 1; i <= n; ++i, c += 5)
    Line.HFS->Int[static_cast<size_t>(i)] =
        R.Int(c, c + 4, "HFS Int [" + IntStr(i) + "]", false) / 10000.0;
  return R.Done();
}

}  // namespace

std::string KurCatalogueLine(const std::string& S) {
  // the point of an 11-column wavelength (F11.4) stands in column 7, of a 10-column one in 6
  if (S.size() >= 7 && S[6] == '.' && (S.size() < 6 || S[5] != '.')) return S.substr(1);
  return S;
}

namespace {

// The wavelength (nm) and the two level energies (cm-1, as written) of a Form A line; false,
// with the reader's report, when one of them is no number.
bool ReadLamAndEnergies(const std::string& T, const std::string& FileName, int32_t LineNo,
                        double& LamNm, double& E1, double& E2) {
  {
    TReader r(T, FileName, LineNo);
    r.Real(1, 10, "LAMB", false);
    if (!r.Done()) return false;
  }
  if (!PlainReal(ColView(T, 1, 10), LamNm)) LamNm = ValRealOr0(Col(T, 1, 10));
  TReader re(T, FileName, LineNo);
  E1 = re.Real(24, 35, "E 1", false);
  E2 = re.Real(52, 63, "E 2", false);
  return re.Done();
}

// lg gf, the element code, the three damping constants and the lg gf source of a Form A line.
bool ReadGfElementDamping(const std::string& T, const std::string& FileName, int32_t LineNo,
                          TLIDA& L) {
  TReader rg(T, FileName, LineNo);
  L.LGGF = rg.Real(11, 17, "lg(GF)", false);
  const double code = rg.Real(18, 23, "ELEM", false);
  L.Rad = rg.Real(80, 85, "Rad", true);
  L.Stark = rg.Real(86, 91, "Stark", true);
  L.Waals = rg.Real(92, 97, "Waals", true);
  SetElement(code, L);
  L.LGGFSrc = RawCol(T, 98, 101);
  return rg.Done();
}

}  // namespace

bool ParseKurLine(const std::string& Id, const std::string& FileName, const std::string& Text,
                  TLIDAk& K, TLIDA& L, int32_t LineNo) {
  const std::string& T = Text;
  double lamNm = 0, e1 = 0, e2 = 0;
  if (!ReadLamAndEnergies(T, FileName, LineNo, lamNm, e1, e2)) return false;
  // predicted levels carry negative energies: order by absolute value
  e1 = std::fabs(e1);
  e2 = std::fabs(e2);
  const bool oneLow = e1 < e2;
  if (!ReadGfElementDamping(T, FileName, LineNo, L)) return false;
  K.linestrength = Chr(T, 140);
  K.autoionising = RawCol(T, 141, 143);
  TReader rf(T, FileName, LineNo);
  K.frac = rf.Real(109, 114, "frac", true);
  K.fracabund = rf.Real(118, 123, "isofrac", true);
  if (!rf.Done()) return false;
  L.WHM = L.DHM = L.WCV = L.DCV = 0;
  // levels as they stand in the text
  struct TLev {
    double J2 = 0;
    std::string Label;
    int32_t NLTE = 0, G = 0;
  } lev[2];
  for (int32_t i = 0; i < 2; ++i) {
    TReader rl(T, FileName, LineNo);
    const int32_t jc = i == 0 ? 36 : 64, lc = i == 0 ? 42 : 70, nc = i == 0 ? 102 : 104,
                  gc = i == 0 ? 144 : 149;
    lev[i].J2 = rl.Real(jc, jc + 4, i == 0 ? "J 1" : "J 2", false);
    lev[i].Label = Label(T, lc, lc + 9);
    lev[i].NLTE = rl.Int(nc, nc + 1, i == 0 ? "Non LTE 1" : "Non LTE 2", true);
    lev[i].G = rl.Int(gc, gc + 4, i == 0 ? "g 1" : "g 2", true);
    if (!rl.Done()) return false;
  }
  TReader rh(T, FileName, LineNo);
  const int32_t sh1 = rh.Int(124, 128, "HyperFineShift 1", true);
  const int32_t sh2 = rh.Int(129, 133, "HyperFineShift 2", true);
  if (!rh.Done()) return false;
  const TLev& lo = oneLow ? lev[0] : lev[1];
  const TLev& hi = oneLow ? lev[1] : lev[0];
  const double eLo = oneLow ? e1 : e2, eHi = oneLow ? e2 : e1;
  L.JL2 = static_cast<int32_t>(std::lround(2 * lo.J2));
  L.JU2 = static_cast<int32_t>(std::lround(2 * hi.J2));
  K.LabelLO = lo.Label;
  K.LabelHI = hi.Label;
  K.NonLTElo = lo.NLTE;
  K.NonLTEhi = hi.NLTE;
  L.GL = lo.G / 1000.0;
  L.GU = hi.G / 1000.0;
  K.shiftLO = oneLow ? sh1 : sh2;
  K.shiftHI = oneLow ? sh2 : sh1;
  const std::string f1 = Chr(T, 135), n1 = Chr(T, 136), f2 = Chr(T, 138), n2 = Chr(T, 139);
  K.hfLO = oneLow ? f1 : f2;
  K.hfNoteLO = oneLow ? n1 : n2;
  K.hfHI = oneLow ? f2 : f1;
  K.hfNoteHI = oneLow ? n2 : n1;
  K.Char134 = Chr(T, 134)[0];
  K.Char137 = Chr(T, 137)[0];
  L.ELOW = eLo / EvToCm;
  L.EUP = eHi / EvToCm;
  const double lamCat = lamNm * 10;
  const double eLo2 = eLo + K.shiftLO / 1000.0, eHi2 = eHi + K.shiftHI / 1000.0;
  const double lamLev = 1e8 / (eHi - eLo), lamLev2 = 1e8 / (eHi2 - eLo2);
  const double r = lamLev2 / lamCat;
  L.LAMB = RoundDec(lamCat, LamDecimals);
  K.Lam0 = RoundDec(lamLev / r, LamDecimals);
  K.HFShift = (L.LAMB - K.Lam0) * 1000;
  K.nAir = r - 1;
  L.sIdK = Id;
  return true;
}

bool ParseKurLineD(const std::string& Id, const std::string& FileName, const std::string& Text,
                   TLIDAk& K, TLIDA& L, int32_t LineNo) {
  const bool ok = ParseKurLine(Id, FileName, Text, K, L, LineNo);
  int32_t c = 0;
  const std::string d1 = Col(Text, 160, 164), d2 = Col(Text, 165, 169);
  L.DHM = d1.empty() ? 0 : ValIntCode(d1, c) / 100.0;
  if (c != 0) L.DHM = 0;
  c = 0;
  L.DCV = d2.empty() ? 0 : ValIntCode(d2, c) / 100.0;
  if (c != 0) L.DCV = 0;
  return ok;
}

bool ParseKurLineExt(const std::string& Id, const std::string& FileName, const std::string& Text,
                     TLIDAk& K, TLIDA& L, int32_t LineNo) {
  const std::string& T = Text;
  double lam = 0, eLo = 0, eHi = 0;
  if (!ReadLamAndEnergies(T, FileName, LineNo, lam, eLo, eHi)) return false;
  L.ELOW = eLo / EvToCm;
  L.EUP = eHi / EvToCm;
  if (!ReadGfElementDamping(T, FileName, LineNo, L)) return false;
  K.linestrength = Chr(T, 106);
  K.autoionising = RawCol(T, 107, 109);
  for (int32_t i = 0; i < 2; ++i) {
    const std::string n = IntStr(i + 1);
    TReader rl(T, FileName, LineNo);
    const int32_t jc = i == 0 ? 36 : 64, lc = i == 0 ? 42 : 70, nc = i == 0 ? 102 : 104,
                  gc = i == 0 ? 110 : 115;
    const double j = rl.Real(jc, jc + 4, ("J " + n).c_str(), false);
    const std::string label = Label(T, lc, lc + 9);
    const int32_t nlte = rl.Int(nc, nc + 1, "Non LTE " + n, true);
    const int32_t g = rl.Int(gc, gc + 4, "g " + n, true);
    if (!rl.Done()) return false;
    (i == 0 ? L.JL2 : L.JU2) = static_cast<int32_t>(std::lround(2 * j));
    (i == 0 ? K.LabelLO : K.LabelHI) = label;
    (i == 0 ? K.NonLTElo : K.NonLTEhi) = nlte;
    (i == 0 ? L.GL : L.GU) = g / 1000.0;
  }
  K.Isotope = K.Isotope2 = 0;
  K.frac = K.fracabund = 0;
  K.shiftMA = K.shiftLO = K.shiftHI = 0;
  K.HFShift = K.Lam0 = 0;
  K.Char134 = K.Char137 = ' ';
  K.hfLO = K.hfNoteLO = K.hfHI = K.hfNoteHI = " ";
  TReader rd(T, FileName, LineNo);
  L.DHM = rd.Int(120, 124, "DHM", true) / 100.0;
  L.DCV = rd.Int(125, 129, "DCV", true) / 100.0;
  L.WHM = rd.Int(130, 134, "WHM", true) / 10.0;
  L.WCV = rd.Int(135, 139, "WCV", true) / 10.0;
  if (!rd.Done()) return false;
  TReader rc(T, FileName, LineNo);
  const bool comps = ReadComponents(rc, T, L);
  if (!comps) return false;
  const double lamLev = 1e8 / (eHi - eLo);
  K.nAir = lamLev / lam - 1;
  L.LAMB = RoundDec(lam, LamDecimals);
  K.Lam0 = L.LAMB;
  L.sIdK = Id;
  if (!L.LIk) L.LIk = std::make_unique<TLIDAk>();
  L.LIk->LoadClone(K);
  return true;
}

// ---- band files ----

void TKurFile::Open(const std::string& FileName) {
  Close();
  f_ = std::fopen(platform::SysPath(FileName).c_str(), "rb");
  if (!f_) {
    TTextFile t;
    TxtOpen(t, 0, FileName);  // raises the text-file error that names the file
  }
  std::setvbuf(f_, nullptr, _IONBF, 0);  // blocks go straight into buf_
  cap_ = block_;
  buf_ = std::make_unique<char[]>(cap_);
}

void TKurFile::Close() {
  if (f_) std::fclose(f_);
  f_ = nullptr;
  buf_.reset();
  cap_ = pos_ = end_ = 0;
  eof_ = false;
}

bool TKurFile::Fill() {
  if (eof_) return false;
  // the unread rest moves to the front; a line longer than the block doubles it
  if (pos_ > 0) {
    std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == cap_) {
    auto b = std::make_unique<char[]>(cap_ * 2);
    std::memcpy(b.get(), buf_.get(), end_);
    buf_ = std::move(b);
    cap_ *= 2;
  }
  const size_t want = cap_ - end_;
  const size_t n = std::fread(buf_.get() + end_, 1, want, f_);
  end_ += n;
  eof_ = n < want;
  return n > 0;
}

bool TKurFile::ReadLn(std::string_view& S) {
  if (!f_) return false;
  size_t from = pos_;  // the first byte not searched yet
  for (;;) {
    const char* b = buf_.get();
    size_t stop = end_;
    if (const void* nl = std::memchr(b + from, '\n', end_ - from)) {
      stop = static_cast<size_t>(static_cast<const char*>(nl) - b);
    } else {
      const size_t searched = end_ - pos_;
      if (Fill()) {
        from = pos_ + searched;
        continue;
      }
      if (pos_ == end_) return false;  // the end of the file
      b = buf_.get();                  // a last line without LF
      stop = end_;
    }
    size_t len = stop - pos_;
    while (len > 0 && b[pos_ + len - 1] == '\r') --len;
    S = std::string_view(b + pos_, len);
    pos_ = stop < end_ ? stop + 1 : end_;
    return true;
  }
}

bool TKurFile::ReadLn(std::string& S) {
  std::string_view v;
  if (!ReadLn(v)) return false;
  S.assign(v.data(), v.size());
  return true;
}

char KurBandCode(double Lamb) {
  if (Lamb < 1000) return '0';
  if (Lamb < 1500) return '1';
  if (Lamb < 2000) return '2';
  if (Lamb < 3000) return '3';
  if (Lamb < 4000) return '4';
  if (Lamb < 5000) return '5';
  if (Lamb < 6000) return '6';
  if (Lamb < 8000) return '8';
  if (Lamb < 12000) return 'A';
  if (Lamb < 30000) return 'B';
  return 'C';
}

std::string KurBandFile(char Code) {
  const char* name = nullptr;
  switch (Code) {
    case '0': name = "gfhy0100.100"; break;
    case '1': name = "gfhy0150.100"; break;
    case '2': name = "gfhy0200.100"; break;
    case '3': name = "gfhy0300.100"; break;
    case '4': name = "gfhy0400.100"; break;
    case '5': name = "gfhy0500.100"; break;
    case '6': name = "gfhy0600.100"; break;
    case '8': name = "gfhy0800.100"; break;
    case 'A': name = "gfhy1200.100"; break;
    case 'B': name = "gfhy3000.100"; break;
    case 'C': name = "gfhyend.100"; break;
    default: return {};
  }
  return PathJoin(KuruczDir(), name);
}

std::string KurLineId(char Code, int32_t LineNo) {
  return std::string(1, Code) + "x" + ZeroPad(LineNo, 6);
}

int32_t KurIdToFile(const std::string& Id, std::string& FileName) {
  FileName.clear();
  if (Id.size() != 8 || Id[1] != 'x') return 0;
  FileName = KurBandFile(Id[0]);
  if (FileName.empty()) return 0;
  if (!platform::IsRegularFile(FileName)) {
    WARNAbs("LI_load_from_Kurucz ERR: файл "_cp + FileName + " не найден!"_cp);
    return 0;
  }
  int32_t code = 0;
  const int32_t n = ValIntCode(Id.substr(2), code);
  if (code != 0 || n < 1) {
    WARNAbs("LI_load_from_Kurucz ERR: ошибка в номере строки идентификатора линии!"_cp + kCrLf +
            Id);
    return 0;
  }
  return n;
}

void KurSplitFixed(const std::string& Line, TStringList& Values, TStringList& Names) {
  static const struct {
    int32_t Start;
    const char* Name;
  } kCols[32] = {{1, "Lamb"},
                 {11, "LGGF"},
                 {18, "AtIo"},
                 {24, "E1"},
                 {36, "J1"},
                 {41, "Level1"},
                 {52, "E2"},
                 {64, "J2"},
                 {69, "Level2"},
                 {80, "GamN"},
                 {86, "Gam4"},
                 {92, "Gam6"},
                 {98, "ref"},
                 {102, "NLTE level index 1"},
                 {104, "NLTE level index 2"},
                 {106, "Iso HFS"},
                 {109, "HFS log frac"},
                 {115, "iso iso"},
                 {118, "iso log frac"},
                 {124, "hyper shift 1"},
                 {129, "hyper shift 2"},
                 {134, "Dummy F"},
                 {135, "hyperfine F 1"},
                 {136, "hyperfine note 1"},
                 {137, "Dummy -"},
                 {138, "hyperfine F 2"},
                 {139, "hyperfine note 2"},
                 {140, "line strength class"},
                 {141, "Code for autoionizing"},
                 {144, "LandeG 1"},
                 {149, "LandeG 2"},
                 {154, "iso shift mA"}};
  Values.Clear();
  Names.Clear();
  Values.Add("");
  Names.Add("");
  for (int32_t i = 0; i < 32; ++i) {
    const int32_t end = i < 31 ? kCols[i + 1].Start - 1 : 159;
    Values.Add(ReplaceChar(Col(Line, kCols[i].Start, end), ' ', '_'));
    Names.Add(kCols[i].Name);
  }
}

std::unique_ptr<TLIDA> KuruczSLtoLI(const std::string& Id, const TStringList& V) {
  WARNAbs("ПРОВЕРИТЬ! Процедура KuruczSLtoLI могла устареть!"_cp);
  auto L = std::make_unique<TLIDA>();
  auto val = [&](int32_t i) { return ValRealOr0(V.Count() > i ? V[i] : std::string()); };
  L->sIdK = Id;
  L->EWAN = 1;
  L->Mult = "9999";
  L->LGGFSrc = "Kurucz";
  const std::string atio = V.Count() > 3 ? V[3] : std::string();
  L->AT = ValIntOr0(BeforeStr(atio, "."));
  L->NIon = ValIntOr0(AfterStr(atio, ".")) + 1;
  L->LAMB = val(1) * 10;
  L->LGGF = val(2);
  // predicted levels carry negative energies: order and convert by absolute value
  double e1 = std::fabs(val(4)), e2 = std::fabs(val(7));
  double j1 = val(5), j2 = val(8), g1 = val(30), g2 = val(31);
  if (e2 < e1) {
    std::swap(e1, e2);
    std::swap(j1, j2);
    std::swap(g1, g2);
  }
  L->ELOW = e1 / EvToCm;
  L->EUP = e2 / EvToCm;
  L->JL2 = static_cast<int32_t>(std::lround(2 * j1));
  L->JU2 = static_cast<int32_t>(std::lround(2 * j2));
  L->GL = g1 / 1000;
  L->GU = g2 / 1000;
  L->GLT = L->GL != 0 ? 'L' : 'N';
  L->GUT = L->GU != 0 ? 'L' : 'N';
  L->Rad = val(10);
  L->Stark = val(11);
  L->Waals = val(12);
  return L;
}

namespace {
// The reader of KurLineById: one open band file per thread.
struct TKurReader {
  TKurFile File;
  std::string HeldId;
  std::string FileName;
  int32_t Count = 0;
};
thread_local TKurReader tKur;
}  // namespace

std::unique_ptr<TLIDA> KurLineById(const std::string& Id) {
  std::string file;
  const int32_t n = KurIdToFile(Id, file);
  if (n == 0) return nullptr;
  TKurReader& R = tKur;
  if (R.HeldId.empty() || R.HeldId.compare(0, 2, Id, 0, 2) != 0 || !R.File.IsOpen() ||
      R.FileName != file) {
    R.File.Open(file);
    R.FileName = file;
    R.HeldId = Id;
    R.Count = 0;
  }
  if (n <= R.Count) {
    R.File.Open(file);
    R.Count = 0;
  }
  std::string_view s;
  while (R.Count < n && R.File.ReadLn(s)) ++R.Count;
  if (R.Count < n) {
    WARNAbs("в файле "_cp + file + " всего "_cp + IntStr(R.Count) + " строк, запрошена линия "_cp +
            "с Id="_cp + Id);
    return nullptr;
  }
  TStringList v, names;
  KurSplitFixed(KurCatalogueLine(std::string(s)), v, names);
  return KuruczSLtoLI(Id, v);
}

void KurLineByIdClose() {
  tKur.File.Close();
  tKur.HeldId.clear();
  tKur.Count = 0;
}

int32_t KurLineByIdCount() { return tKur.Count; }

// ---- lg gf sources ----

namespace {
// The first record of a select on table "LGGF" with bound values: true and Val, Src.
bool FirstLGGF(TcvDatabase& Db, const std::string& Where, const std::vector<TcvValue>& Params,
               double& Val, std::string& Src) {
  TcvTable t(&Db, "LGGF");
  t.SetSQL("select * from LGGF where " + Where + " order by Priority", Params);
  t.Open();
  const bool found = !t.IsEmpty();
  if (found) {
    t.First();
    Val = t.FieldByName("Val").AsFloat();
    Src = t.FieldByName("Src").AsString();
  }
  t.Close();
  return found;
}
// The record of one source (the first in the table's order).
bool OneSource(TcvDatabase& Db, const std::string& Key, const std::string& S, double& Val,
               std::string& Src) {
  TcvTable t(&Db, "LGGF");
  t.SetFilter("LIN6 = ? AND Src = ?", {TextValue(Key), TextValue(S)});
  t.SetFiltered(true);
  t.Open();
  const bool found = !t.IsEmpty();
  if (found) {
    t.First();
    Val = t.FieldByName("Val").AsFloat();
    Src = t.FieldByName("Src").AsString();
  }
  t.Close();
  return found;
}
}  // namespace

void SelectLGGF(const std::string& Key, const std::string& SrcList, TLIDA& Line) {
  const int32_t nw = WordCount(SrcList);
  if (nw == 0) return;
  TDM* D = LineData().Data();
  if (!D || !D->Connected()) return;
  TcvDatabase& Db = D->ADOConnection;
  double val = 0;
  std::string src;
  auto take = [&] {
    Line.LGGF = val;
    Line.LGGFSrc = src;
  };
  std::vector<std::string> srcs;
  char directive = 0;
  if (nw == 1) {
    srcs.push_back(WordN(SrcList, 1));
  } else {
    for (int32_t i = 1; i < nw; ++i) srcs.push_back(WordN(SrcList, i));
    directive = WordN(SrcList, nw)[0];
  }
  if (nw == 1) {
    if (OneSource(Db, Key, srcs[0], val, src)) return take();
  } else if (directive == '1') {
    for (const std::string& s : srcs)
      if (OneSource(Db, Key, s, val, src)) return take();
  } else if (directive == '+') {
    int32_t count = 0;
    double sum = 0;
    std::string text;
    for (const std::string& s : srcs)
      if (OneSource(Db, Key, s, val, src)) {
        ++count;
        sum += val;
        text += (text.empty() ? "" : " ") + src;
      }
    WARN("LIN6=" + PadRight(Key, 8) + " CharSrc=<" + "+" + "> N=" + IntStr(count) +
         " sSrc=" + text);
    if (count > 0) {
      Line.LGGF = sum / count;
      Line.LGGFSrc = count > 1 ? text + " +" : text;
      return;
    }
  } else if (directive == '<') {
    std::string cond;
    std::vector<TcvValue> params{TextValue(Key)};
    for (const std::string& s : srcs) {
      cond += (cond.empty() ? "(" : " OR ") + std::string("Src = ?");
      params.push_back(TextValue(s));
    }
    cond += ")";
    if (FirstLGGF(Db, "LIN6 = ? AND " + cond, params, val, src)) return take();
  }
  // the default: the record of lowest priority of the key
  if (FirstLGGF(Db, "LIN6 = ?", {TextValue(Key)}, val, src)) take();
}

double DBLineVal(const std::string& Key, const std::string& FieldName, int32_t& Error) {
  Error = -1;
  TDM* D = LineData().Data();
  if (!D || !D->Connected()) return 0;
  TcvTable t(&D->ADOConnection, "Lines_");
  t.SetFilter("LIN6 = ?", {TextValue(Key)});
  t.SetFiltered(true);
  t.Open();
  double v = 0;
  if (!t.IsEmpty()) {
    t.First();
    v = t.FieldByName(FieldName).AsFloat();
    Error = 0;
  }
  t.Close();
  return v;
}
