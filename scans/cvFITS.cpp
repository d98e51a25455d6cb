#include "scans/cvFITS.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvFunc.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

namespace {

const std::string kCrLf = "\r\n";

std::string JoinPath(const std::string& Folder, const std::string& Name) {
  if (Folder.empty()) return Name;
  if (Folder.back() == '/' || Folder.back() == '\\') return Folder + Name;
  return Folder + "/" + Name;
}

std::string FirstWord(const std::string& S) {
  size_t a = 0;
  while (a < S.size() && S[a] == ' ') ++a;
  size_t b = a;
  while (b < S.size() && S[b] != ' ') ++b;
  return S.substr(a, b - a);
}

bool IsBlankRecord(const char* P) {
  for (int i = 0; i < 80; ++i)
    if (P[i] != ' ') return false;
  return true;
}

std::string ReadFailText(const std::string& Path, int32_t I, int64_t Offset, int32_t Code,
                         const std::string& Last) {
  return "Ошибка при чтении блока из файла \r\n<"_cp + Path + ">" + kCrLf + "I = " + IntStr(I) +
         " nbH0=" + I64Str(Offset) + ", LStr=80" + kCrLf + "IOResult of Reset = " + IntStr(Code) +
         kCrLf + "ErrLast=<" + Last + ">";
}

// Reads up to Want bytes at Offset; the count read (short at the end of the file).
int64_t ReadAt(int Fd, char* Buf, int64_t Want, int64_t Offset) {
  int64_t got = 0;
  while (got < Want) {
    const ssize_t r = ::pread(Fd, Buf + got, static_cast<size_t>(Want - got), Offset + got);
    if (r <= 0) break;
    got += r;
  }
  return got;
}

}  // namespace

// ---------------------------------------------------------------- header blocks

bool ReadFitsCards(const std::string& Path, int64_t Offset, TStringList& Cards, int32_t& NCards,
                   int32_t& NHead, std::string& Error, int32_t& ErrCode) {
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ErrCode = 2;
    Error = ReadFailText(Path, 1, Offset, ErrCode, "File Not Found");
    return false;
  }
  struct stat st{};
  const int64_t size = ::fstat(fd, &st) == 0 ? st.st_size : 0;
  std::string buf;
  auto ensure = [&](int64_t upto) {
    while (static_cast<int64_t>(buf.size()) < upto) {
      const int64_t chunk = 2 * 2880;
      const size_t old = buf.size();
      buf.resize(old + chunk);
      const int64_t got = ReadAt(fd, buf.data() + old, chunk, Offset + static_cast<int64_t>(old));
      buf.resize(old + static_cast<size_t>(got));
      if (got <= 0) break;
    }
    return static_cast<int64_t>(buf.size()) >= upto;
  };
  auto fail = [&](int32_t Rec) {
    ErrCode = 100;
    Error = ReadFailText(Path, Rec, 0, ErrCode,
                         "EOF: record " + IntStr(Rec) + " at byte " +
                             I64Str(Offset + 80LL * (Rec - 1)) + ", file size " + I64Str(size));
    ::close(fd);
    return false;
  };
  int32_t n = 0;
  std::string key;
  while (key != "END" && n < TFITS::kMaxCards) {
    if (!ensure(80LL * (n + 1))) return fail(n + 1);
    std::string card = buf.substr(80 * static_cast<size_t>(n), 80);
    ++n;
    key = FirstWord(card);
    Cards.Add(card);
  }
  if (key != "END") {
    ::close(fd);
    ErrCode = 0;
    Error = "TFITS.ReadHeader ERR: нет карты END в первых 600 картах заголовка"_cp + kCrLf +
            "файл=<"_cp + Path + ">";
    return false;
  }
  NCards = n;
  int32_t m = n;
  for (;;) {
    if (!ensure(80LL * (m + 1))) return fail(m + 1);
    if (!IsBlankRecord(buf.data() + 80 * static_cast<size_t>(m))) break;
    ++m;
  }
  ::close(fd);
  NHead = m;
  return true;
}

// ---------------------------------------------------------------- object

TFITS::TFITS() = default;
TFITS::~TFITS() = default;

int32_t StokesIndex(char Letter) {
  switch (Letter) {
    case 'Q': case 'q': return 2;
    case 'U': case 'u': return 3;
    case 'V': case 'v': return 4;
    default: return 1;
  }
}

void SplitHeaderStr(const std::string& Card, std::string& Key, std::string& Value) {
  const size_t p = Card.find('=');
  if (p == std::string::npos) {
    Key = CardTrim(Card.substr(0, 8));
    Value = Card.size() > 8 ? CardTrim(Card.substr(8)) : std::string();
    return;
  }
  Key = CardTrim(Card.substr(0, p));
  Value = CardValue(Card);
}

void TFITS::Link(int32_t Index, TLFITS* Scan) {
  if (Scan) Owner = Scan;
  if (!CheckSelf("Link")) return;
  IXI = Index;
  SetBit(0);
}

bool TFITS::CheckSelf(const std::string& Name) const {
  if (!Owner) {
    WARNAbs("TFITS." + Name + "ERR Owner Not Assigned");
    return false;
  }
  return true;
}

bool TFITS::CheckLinked(const std::string& Name) const {
  if (!CheckSelf(Name)) return false;
  if (IXI < 0) {
    WARNAbs(Name + "ERR IXI<0 => Self Not Linked!");
    return false;
  }
  return true;
}

std::string TFITS::fNam() const {
  if (!CheckLinked("fNam")) return "";
  return Owner->fNam(IXI);
}

std::string TFITS::OwnerOutName() const { return Owner ? Owner->sFN : std::string(); }

void TFITS::KeyWarn(const std::string& Group, const std::string& Text) {
  if (Owner && Owner->Batch)
    Owner->Batch->Add(Group, Text);
  else
    WARNAbs(Text);
}

bool TFITS::Refuse(const std::string& Text) {
  Failed = true;
  ClearBit(1);
  KeyWarn(Text, Text);
  return false;
}

double TFITS::ObsMinutes(const std::string& DateObs) {
  const size_t p = DateObs.find('T');
  const std::string t = p == std::string::npos ? std::string() : DateObs.substr(p + 1);
  auto part = [&](size_t a, size_t n) {
    if (a >= t.size()) return 0.0;
    int32_t code = 0;
    const double v = ValRealCode(t.substr(a, n), code);
    return code == 0 ? v : 0.0;
  };
  return part(0, 2) * 60 + part(3, 2) + part(6, 6) / 60;
}

// ---------------------------------------------------------------- header

void TFITS::ReadHeader(const std::string& AFolder, const std::string& Name) {
  if (Bit(1)) return;
  std::error_code ec;
  if (!AFolder.empty() && !std::filesystem::is_directory(AFolder, ec)) {
    WARNAbs("TFITS.ReadHeader(" + Name + ") Err:" + kCrLf + "Directory <" + AFolder +
            "> Not Exists!");
    return;
  }
  if (Name.compare(0, 4, "SP3D") != 0 || Name.size() < 4) {
    WARNAbs("FITS.ReadHeader-ERR: sFN <> SP3D....\r\nsFN=<" + Name + ">" + kCrLf + "IXI=" +
            IntStr(IXI) + " IXP=" + IntStr(IXP) + " IXpos=" + IntStr(IXpos));
    return;
  }
  const std::string path = JoinPath(AFolder, Name);
  if (!std::filesystem::is_regular_file(path, ec)) {
    WARNAbs("TFITS.ReadHeader Err:\r\nFile <" + path + "> Not Exists!");
    return;
  }
  Folder = AFolder;
  FileName = Name;
  // A reread starts from an empty list: stale cards of a failed read are never looked up.
  if (!HSL) HSL = std::make_unique<TStringList>();
  HSL->Clear();
  nCards = nHeadCards = 0;
  nbH0 = 0;
  Failed = false;
  std::string err;
  int32_t code = 0, n = 0, m = 0;
  if (!ReadFitsCards(path, 0, *HSL, n, m, err, code)) {
    Failed = true;
    WARNAbs(err);
    return;
  }
  nCards = n;
  nHeadCards = m;
  nbH0 = 80LL * m;
  if (nbH0 % 2880 != 0) {
    nbH0 = (nbH0 / 2880 + 1) * 2880;
    nHeadCards = static_cast<int32_t>(nbH0 / 80);
  }

  BITPIX = GetKeyI("BITPIX");
  NAXIS = GetKeyI("NAXIS");
  int32_t ax[5];
  GetAXISi("NAXIS", ax);
  if (ax[3] == 1 && ax[4] == 4) std::swap(ax[3], ax[4]);
  NAXIS1 = ax[1];
  NAXIS2 = ax[2];
  NAXIS3 = ax[3];
  NAXIS4 = ax[4];
  nLam = NAXIS1;
  nY = NAXIS2;
  CRVAL1 = GetKeyR("CRVAL1");
  CDELT1 = GetKeyR("CDELT1");
  CRPIX1 = GetKeyR("CRPIX1");
  SPBSHFT = GetKeyI("SPBSHFT");
  XCEN = GetKeyR("XCEN");
  XSCALE = GetKeyR("XSCALE");
  NSLITPOS = GetKeyI("NSLITPOS");
  IXP = GetKeyI("SLITINDX");
  IXpos = GetKeyI("SLITPOS");
  XI0 = IXpos * XSCALE + XCEN;
  DATE_OBS = GetKeyS("DATE_OBS");
  TObs = ObsMinutes(DATE_OBS);
  YCEN = GetKeyR("YCEN");
  EXPTIME = GetKeyR("EXPTIME");
  CalcVolume();
  DATA_LEV = GetKeyI("DATA_LEV");
  GetAXIS("CTYPE", CTYPE);
  GetAXIS("CUNIT", CUNIT);
  DOPVUSED = GetKeyR("DOPVUSED");
  DOP_RCV = GetKeyR("DOP_RCV");
  T_SPCCD = GetKeyR("T_SPCCD");
  T_FGCCD = GetKeyR("T_FGCCD");
  T_CTCCD = GetKeyR("T_CTCCD");
  T_SPCEB = GetKeyR("T_SPCEB");
  T_FGCEB = GetKeyR("T_FGCEB");
  T_CTCEB = GetKeyR("T_CTCEB");
  FOVX = GetKeyR("FOVX");
  CRVAL2 = GetKeyR("CRVAL2");
  CRPIX2 = GetKeyR("CRPIX2");
  CDELT2 = GetKeyR("CDELT2");
  YSCALE = GetKeyR("YSCALE");
  FOVY = GetKeyR("FOVY");

  // What the decoding handles: 16-bit words, 112 wavelengths, a slit, four Stokes parameters.
  const std::string who = "TFITS.ReadHeader ERR: файл=<"_cp + path + ">" + kCrLf;
  if (BITPIX != 16) {
    Refuse(who + "BITPIX=" + IntStr(BITPIX) + " (читаются только 16-битовые данные)"_cp);
    return;
  }
  if (NAXIS != 3 && NAXIS != 4) {
    Refuse(who + "NAXIS=" + IntStr(NAXIS) + " (нужно 3 или 4)"_cp);
    return;
  }
  if (NAXIS1 != 112) {
    Refuse(who + "NAXIS1=" + IntStr(NAXIS1) + " (нужно 112)"_cp);
    return;
  }
  if (NAXIS2 < 1) {
    Refuse(who + "NAXIS2=" + IntStr(NAXIS2) + " (нет точек на щели)"_cp);
    return;
  }
  if (NAXIS3 != 4 || (NAXIS == 4 && NAXIS4 > 1)) {
    Refuse(who + "NAXIS3=" + IntStr(NAXIS3) + " NAXIS4=" + IntStr(NAXIS4) +
           " (нет оси Стокса из 4 параметров)"_cp);
    return;
  }
  if (LData > kMaxData) {
    Refuse(who + "LData=" + I64Str(LData) + " > " + I64Str(kMaxData) +
           " (куб слишком велик)"_cp);
    return;
  }
  SetBit(1);
}

void TFITS::ReadHeader() {
  if (!CheckLinked("ReadHeader")) return;
  if (Bit(1)) {
    WARNAbs("TFITS.ReadHeader WARNING!\r\nHeader Already Loaded!!!");
    return;
  }
  const std::string name = fNam();
  ReadHeader(Owner->Path_Name, name);
  if (Bit(1)) CheckWithScan();
}

void TFITS::CheckWithScan() {
  TScanRefs& R = Owner->Refs;
  const std::string tail =
      IntStr(IXI) + kCrLf + "файл=<"_cp + FileName + ">" + kCrLf + "LFITS.sFN=" + OwnerOutName();
  auto check = [&](bool Differs, bool RefEmpty, const std::string& Text, auto Take) {
    if (RefEmpty)
      Take();
    else if (Differs) {
      KeyWarn(Text, Text + tail);
      Take();
    }
  };
  check(nY != R.nY, R.nY == 0,
        "TFITS.ReadHeader WARN число точек на щели nY изменилось для IXI="_cp, [&] { R.nY = nY; });
  check(NSLITPOS != R.NSLITPOS, R.NSLITPOS == 0,
        "TFITS.ReadHeader WARN число точек NSLITPOS изменилось для IXI="_cp,
        [&] { R.NSLITPOS = NSLITPOS; });
  check(EXPTIME != R.EXPTIME, R.EXPTIME == 0,
        "TFITS.ReadHeader WARN время экспозиции EXPTIME изменилось для IXI="_cp,
        [&] { R.EXPTIME = EXPTIME; });
  TARe lam;
  GetALam(lam);
  check(lam != R.ALam, R.ALam.empty(), "TFITS.ReadHeader WARN список длин волн изменился IXI="_cp,
        [&] { R.ALam = lam; });
}

std::string TFITS::GetKeyS(const std::string& Key) const {
  if (!HSL) return "";
  const int n = std::min(nCards, HSL->Count());
  for (int i = 0; i < n; ++i)
    if (CardLookupKey((*HSL)[i]) == Key) return CardValue((*HSL)[i]);
  return "";
}

int32_t TFITS::GetKeyI(const std::string& Key) {
  const std::string v = GetKeyS(Key);
  if (v.empty()) {
    KeyWarn("GetKeyI " + Key, "TFITS.GetKeyI WARNING: Key <" + Key + "> Not Found!" + kCrLf +
                                  "файл=<"_cp + FileName + "> IX=" + IntStr(IXI) +
                                  " HSL.Count=" + IntStr(nCards) + kCrLf + "LFITS.sFN=" +
                                  OwnerOutName() + kCrLf + KeyListText());
    return 0;
  }
  int32_t code = 0;
  const int32_t r = ValIntCode(v, code);
  if (code != 0) {
    KeyWarn("GetKeyI bad " + Key, "TFITS.GetKeyI WARNING: для ключа <"_cp + Key + "> " + kCrLf +
                                      "найдено недопустимое целое значение <"_cp + v + "> !!!" +
                                      kCrLf + "файл=<"_cp + FileName + ">" + kCrLf +
                                      "LFITS.sFN=" + OwnerOutName());
    return 0;
  }
  return r;
}

double TFITS::GetKeyR(const std::string& Key) {
  const std::string v = GetKeyS(Key);
  if (v.empty()) {
    KeyWarn("GetKeyR " + Key, "TFITS.GetKeyR WARNING: Key <" + Key + "> Not Found!" + kCrLf +
                                  "файл=<"_cp + FileName + "> IX=" + IntStr(IXI) +
                                  " HSL.Count=" + IntStr(nCards) + kCrLf + "LFITS.sFN=" +
                                  OwnerOutName() + kCrLf + KeyListText());
    return 0;
  }
  int32_t code = 0;
  const double r = ValRealCode(v, code);
  if (code != 0) {
    KeyWarn("GetKeyR bad " + Key, "TFITS.GetKeyR WARNING: для ключа <"_cp + Key + "> " + kCrLf +
                                      "найдено недопустимое действительное значение <"_cp + v +
                                      "> !!!" + kCrLf + "файл=<"_cp + FileName + ">" + kCrLf +
                                      "LFITS.sFN=" + OwnerOutName());
    return 0;
  }
  return r;
}

double TFITS::GetKeyVal(const std::string& Key) {
  const std::string v = GetKeyS(Key);
  if (v.empty()) {
    KeyWarn("GetKeyVal " + Key, "TFITS.GetKeyVal WARNING: Key <" + Key + "> Not Found!" + kCrLf +
                                    "файл=<"_cp + FileName + ">  IX=" + IntStr(IXI) +
                                    "HSL.Count=" + IntStr(nCards) + kCrLf + "LFITS.sFN=" +
                                    OwnerOutName() + kCrLf + KeyListText());
    return 0;
  }
  int32_t code = 0;
  double r = ValRealCode(v, code);
  if (code == 0) return r;
  if (v.size() == 23) {
    r = ValISODateTime(v, code);
    if (code == 0) return r;
  }
  KeyWarn("GetKeyVal bad " + Key,
          "FITS.GetKeyVal-ERR: Не понятно как интерпретировать число\r\n<"_cp + v + "> Ключ=<"_cp +
              Key + ">");
  return 0;
}

void TFITS::GetAXIS(const std::string& Prefix, std::string Out[5]) {
  for (int i = 0; i < 5; ++i) Out[i].clear();
  if (NAXIS == 0) {
    KeyWarn("GetAXIS " + Prefix, "TFITS.GetAXIS WARNING: Key <" + Prefix + "> " + kCrLf +
                                     " число осей ещё не задано!!!"_cp);
    return;
  }
  for (int i = 1; i <= std::min(NAXIS, 4); ++i) Out[i] = GetKeyS(Prefix + IntStr(i));
}

void TFITS::GetAXISi(const std::string& Prefix, int32_t Out[5]) {
  for (int i = 0; i < 5; ++i) Out[i] = 0;
  for (int i = 1; i <= std::min(NAXIS, 4); ++i) {
    const std::string v = GetKeyS(Prefix + IntStr(i));
    if (v.empty()) continue;
    int32_t code = 0;
    const int32_t r = ValIntCode(v, code);
    if (code != 0)
      KeyWarn("GetAXISi " + Prefix + IntStr(i),
              "TFITS.GetAXISi WARNING: для ключа <"_cp + Prefix + IntStr(i) + ">" + kCrLf +
                  "найдено недопустимое целое значение <"_cp + v + "> !!!");
    else
      Out[i] = r;
  }
}

std::unique_ptr<TStringList> TFITS::HeaderKeyList() const {
  auto L = std::make_unique<TStringList>();
  if (!HSL || HSL->Count() <= 1) {
    L->Add("FITS_HSL-Empty!");
    return L;
  }
  for (int i = 0; i < HSL->Count(); ++i) {
    const std::string k = CardLookupKey((*HSL)[i]);
    if (k != "HISTORY") L->Add(k);
  }
  return L;
}

std::unique_ptr<TStringList> TFITS::HeaderValueList() const {
  auto L = std::make_unique<TStringList>();
  if (!HSL || HSL->Count() <= 1) {
    L->Add("0");
    return L;
  }
  for (int i = 0; i < HSL->Count(); ++i) {
    const std::string& c = (*HSL)[i];
    if (CardLookupKey(c) == "HISTORY") continue;
    const size_t p = c.find('=');
    std::string v = p == std::string::npos ? std::string() : c.substr(p + 1);
    const size_t s = v.find('/');
    if (s != std::string::npos) v.resize(s);
    L->Add(CardUnquote(v));
  }
  return L;
}

std::string TFITS::KeyListText() const {
  std::string r;
  if (!HSL) return r;
  for (int i = 0; i < HSL->Count(); ++i) {
    r += (*HSL)[i].substr(0, 9);
    if ((i + 1) % 6 == 0) r += kCrLf;
  }
  return r;
}

// ---------------------------------------------------------------- data

void TFITS::CalcVolume() {
  int64_t n = 1;
  const int32_t ax[5] = {0, NAXIS1, NAXIS2, NAXIS3, NAXIS4};
  for (int i = 1; i <= std::min(NAXIS, 4); ++i) {
    if (ax[i] == 0) {
      KeyWarn("CalcVolume " + IntStr(i), "TFITS.CalcVolume WARNING: Для оси "_cp + IntStr(i) +
                                             " не задан размер!"_cp);
      continue;
    }
    n *= ax[i];
    if (n > INT32_MAX || n < -INT32_MAX) n = INT32_MAX;
  }
  NElem = static_cast<int32_t>(n);
  LData = static_cast<int64_t>(NElem) * ((BITPIX - 1) / 8 + 1);
}

bool TFITS::LoadData() {
  if (!CheckSelf("LoadData ")) return false;
  if (Bit(2)) return true;
  if (!Owner->Bit(0)) {
    WARNAbs("Вызов FITS("_cp + DATE_OBS + " iX=" + IntStr(IXI) +
            ").LoadData до привязки LFITS!"_cp);
    return false;
  }
  if (!Bit(1) || NElem <= 0 || LData != 2LL * NElem) return false;
  const std::string path = JoinPath(Owner->Path_Name, FileName.empty() ? fNam() : FileName);
  Scans().BytesRead += LData;
  Scans().Loads += 1;
  aData.resize(static_cast<size_t>(NElem));
  int64_t got = 0, size = 0;
  int32_t code = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    code = 2;
  } else {
    struct stat st{};
    if (::fstat(fd, &st) == 0) size = st.st_size;
    got = ReadAt(fd, reinterpret_cast<char*>(aData.data()), LData, nbH0);
    ::close(fd);
    if (got < LData) code = 100;
  }
  if (code != 0) {
    // A cube that could not be read whole is not kept: bit 2 stays clear, the file is failed.
    TAWd().swap(aData);
    Failed = true;
    const std::string text =
        "TFITS.LoadData Ошибка при чтении блока из файла \r\n<"_cp + path + ">" + kCrLf +
        "I = 1 nbH0=" + I64Str(nbH0) + " LData=" + I64Str(LData) + kCrLf +
        "IOResult of Reset = " + IntStr(code) + kCrLf + "ErrLast=<прочитано "_cp + I64Str(got) +
        " байт с позиции "_cp + I64Str(nbH0) + ", размер файла "_cp + I64Str(size) + ">";
    if (Owner->Batch)
      Owner->Batch->Add(text, text);
    else
      WARNAbs(text);
    return false;
  }
  uint16_t* w = aData.data();
  for (int32_t j = 0; j < NElem; ++j) w[j] = static_cast<uint16_t>((w[j] >> 8) | (w[j] << 8));
  if (Owner->Marker == TLFITS::kLive) Owner->BytesCubes += 2LL * NElem;
  SetBit(2);
  return true;
}

bool TFITS::GetCol3(int32_t y, int32_t s, TAIn& Out) const {
  if (!Bit(1)) {
    WARNAbs("TFITS.GetCol1 Err: Header Not Loaded Yet!");
    return false;
  }
  if (!Bit(2)) {
    WARNAbs("TFITS.GetCol1 Err: Data Not Loaded Yet!");
    return false;
  }
  if (y < 1 || y > NAXIS2) {
    WARNAbs("TFITS.GetCol1 ERR: i2=" + IntStr(y) + " Not in [1.." + IntStr(NAXIS2) + "]");
    return false;
  }
  if (s < 1 || s > NAXIS3) {
    WARNAbs("TFITS.GetCol1 ERR: i3=" + IntStr(s) + " Not in [1.." + IntStr(NAXIS3) + "]");
    return false;
  }
  int32_t k = 1;
  if ((s == 1 && SPBSHFT > 0) || ((s == 2 || s == 3) && SPBSHFT == 3) || (s == 4 && SPBSHFT > 1))
    k = 2;
  // every element written once (no clearing first): the pixels, then zeros past the row
  Out.resize(static_cast<size_t>(nLam) + 1);
  Out[0] = 0;
  const uint16_t* w = aData.data() + (static_cast<size_t>(s - 1) * NAXIS2 + (y - 1)) * NAXIS1;
  const int32_t m = std::max<int32_t>(0, std::min<int32_t>(NAXIS1, nLam));
  int32_t* o = Out.data();
  if (s == 1)
    for (int32_t l = 1; l <= m; ++l) o[l] = k * static_cast<int32_t>(w[l - 1]);
  else
    for (int32_t l = 1; l <= m; ++l) {
      const int32_t v = w[l - 1];
      o[l] = k * (v < 32769 ? v : v - 65536);
    }
  for (int32_t l = m + 1; l <= nLam; ++l) o[l] = 0;
  return true;
}

bool TFITS::GetCol1(int32_t y, int32_t s, TAIn& Out) const {
  WARNAbs("функция GetCol1 должна быть заменена процедурой GetCol3 !!!"_cp);
  const bool ok = GetCol3(y, s, Out);
  if (ok && s == NAXIS3 && y == NAXIS2) WARNAbs("ijm=" + IntStr(NElem - 1));
  return ok;
}

// ---------------------------------------------------------------- wavelength scale

void TFITS::GetALam(TARe& Out) {
  if (CDELT1 < 0) {
    const int32_t flag = Owner ? Owner->Refs.LamFlag : 0;
    if (flag == 1) {
      CDELT1 = -CDELT1;
      CRVAL1 = 6302.08;
    } else if (flag == 0 && LoadData()) {
      SetBit(2);
      AGRC1.resize(static_cast<size_t>(nY) + 1, 0);
      AGRC2.resize(static_cast<size_t>(nY) + 1, 0);
      AClass.resize(static_cast<size_t>(nY) + 1, 0);
      CalcCGravs0();
      MeanLinePos5();
      const double l1 = Pix2Lam(MeanLC1), l2 = Pix2Lam(MeanLC2);
      const double r1 = Owner && Owner->Lam1 != 0 ? Owner->Lam1 : 6301.5008;
      const double r2 = Owner && Owner->Lam2 != 0 ? Owner->Lam2 : 6302.4932;
      const double f = (std::fabs(l1 - r1) + std::fabs(l2 - r2)) / 2;
      int32_t decided = 2;
      if (f > 0.05) {
        if (f < 0.5)
          KeyWarn("GetALam", "FITS.GetALam Warning ОШИБКА в длинах волн\r\n6301.5 <> "_cp +
                                 FDecSt(3, l1) + " 6302.5 <> " + FDecSt(3, l2) + kCrLf +
                                 "отменяем отрицательный rdLam = "_cp + ShortSt(6, CDELT1) + "!");
        decided = 1;
        CDELT1 = -CDELT1;
        CRVAL1 = 6302.08;
      }
      if (Owner) Owner->Refs.LamFlag = decided;
    }
  }
  Out.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) Out[i] = Pix2Lam(i);
}

// ---------------------------------------------------------------- continuum

bool TFITS::ContFromScanMap() {
  if (Owner && !Owner->RecomputeCont && Scans().MapRow.Provided()) {
    TARe row;
    if (Scans().MapRow(*this, "CONT", row) && static_cast<int32_t>(row.size()) == nY + 1) {
      ACnt = std::move(row);
      return true;
    }
  }
  return false;
}

void TFITS::GetContAll() {
  if (static_cast<int32_t>(ACnt.size()) == nY + 1) return;
  if (ContFromScanMap()) return;
  TWarnBatch local;
  const bool own = Owner && !Owner->Batch;
  if (own) Owner->Batch = &local;
  ACnt.assign(static_cast<size_t>(nY) + 1, 0.0);
  for (int32_t y = 1; y <= nY; ++y) {
    double c = 0, lam = 0;
    GetIContLam(y - 1, c, lam);
    ACnt[static_cast<size_t>(y)] = c;
  }
  if (own) {
    Owner->Batch = nullptr;
    local.Flush();
  }
}

double TFITS::GetContIY(int32_t iY) {
  if (static_cast<int32_t>(ACnt.size()) == nY + 1 && iY >= 0 && iY < nY)
    return ACnt[static_cast<size_t>(iY) + 1];
  double c = 0, lam = 0;
  GetIContLam(iY, c, lam);
  return c;
}

bool TFITS::SmoothedI(int32_t iY, TARe& R) {
  const double smooth = Owner ? Owner->ContSmooth : 0;
  if (smooth == 0)
    KeyWarn("lsmooth", "FITS(" + IntStr(iY) + ").GetICont_01 lsmooth=0!!!");
  thread_local TAIn I;
  thread_local TARe Y;
  if (!GetCol3(iY + 1, 1, I)) return false;
  Y.assign(I.begin(), I.end());
  if (smooth == 0) {
    R = Y;  // no smoothing width: the profile as it is
  } else if (Owner && !LiteralSmoothing) {
    Owner->SmoothProfile(Y, R);
  } else {
    TARe X;
    if (Owner && NOf(Owner->Refs.ALam) == nLam)
      X = Owner->Refs.ALam;
    else
      GetALam(X);
    AReGSmooth(X, Y, R, smooth / 1000);
  }
  return true;
}

void TFITS::GetIContMax(int32_t iY, double& Cont, int32_t& Idx) {
  const double krc = Owner && Owner->KRC != 0 ? Owner->KRC : 1.05;
  thread_local TARe R;
  if (!SmoothedI(iY, R)) return;
  double m = 0;
  int32_t i = 0;
  AReMAXIdx(R, m, i);
  Cont = m * krc;
  Idx = i;
}

void TFITS::GetIContLam(int32_t iY, double& Cont, double& Lam) {
  int32_t idx = 0;
  GetIContMax(iY, Cont, idx);
  Lam = Pix2Lam(idx);
}

// ---------------------------------------------------------------- centres of gravity

void TFITS::CalcCGrav5(int32_t y, double& g1, TARe& Values, TAIn& Pixels, double& g2) {
  g1 = g2 = 0;
  thread_local TAIn I;
  if (!GetCol3(y, 1, I)) return;
  CalcCGrav5(y, I, g1, Values, Pixels, g2);
}

void TFITS::CalcCGrav5(int32_t y, const TAIn& I, double& g1, TARe& Values, TAIn& Pixels,
                       double& g2) {
  g1 = g2 = 0;
  thread_local TAIn V;
  AInTurnPoints(I, 1, std::min<int32_t>(112, nLam), V, Pixels);
  Values.assign(V.begin(), V.end());
  double mn = 0, mx = 0;
  if (NOf(Values) >= 1) AReMinMax(Values, mn, mx);
  TurnPointsThin(Values, Pixels, (mx - mn) / 10);
  const int32_t n = NOf(Values);
  if (y >= 1 && y < static_cast<int32_t>(AClass.size()))
    AClass[static_cast<size_t>(y)] = static_cast<uint8_t>(std::min(n, 255));
  if (n == 5) {
    g1 = LineCenter1_IR(Pixels[1], Pixels[3], I);
    g2 = LineCenter1_IR(Pixels[3], Pixels[5], I);
  }
}

void TFITS::CalcCGravs0() {
  if (!Bit(1)) {
    WARNAbs("TFITS.CalcCGravs Err: Header Not Loaded Yet!");
    return;
  }
  TARe v;
  TAIn p;
  for (int32_t y = 1; y <= nY; ++y) {
    double g1 = 0, g2 = 0;
    CalcCGrav5(y, g1, v, p, g2);
    if (y < static_cast<int32_t>(AClass.size()) && AClass[static_cast<size_t>(y)] == 5) {
      AGRC1[static_cast<size_t>(y)] = g1;
      AGRC2[static_cast<size_t>(y)] = g2;
    }
  }
}

void TFITS::MeanLinePos5() {
  double s1 = 0, s2 = 0;
  int32_t n = 0;
  for (int32_t y = 1; y <= nY && y < static_cast<int32_t>(AClass.size()); ++y)
    if (AClass[static_cast<size_t>(y)] == 5) {
      s1 += AGRC1[static_cast<size_t>(y)];
      s2 += AGRC2[static_cast<size_t>(y)];
      ++n;
    }
  nClass5 = n;
  if (n == 0) {
    MeanLinePos();
    return;
  }
  MeanLC1 = s1 / n;
  MeanLC2 = s2 / n;
}

void TFITS::MeanLinePos() {
  double s1 = 0, s2 = 0;
  const int32_t n = std::min<int32_t>(nY, NOf(AGRC1));
  for (int32_t y = 1; y <= n; ++y) {
    s1 += AGRC1[static_cast<size_t>(y)];
    s2 += AGRC2[static_cast<size_t>(y)];
  }
  MeanLC1 = n > 0 ? s1 / n : 0;
  MeanLC2 = n > 0 ? s2 / n : 0;
}

// ---------------------------------------------------------------- memory

void TFITS::FreeData() {
  if (Owner && Owner->Marker == TLFITS::kLive) Owner->BytesCubes -= 2LL * aData.size();
  TAWd().swap(aData);
  ClearBit(2);
}

void TFITS::FreeCalc() {
  TARe().swap(ACnt);
  TARe().swap(AGRC1);
  TARe().swap(AGRC2);
  std::vector<uint8_t>().swap(AClass);
  FreeMeasures();
  for (TARe& c : ACore) TARe().swap(c);
  for (TARe& c : AWing) TARe().swap(c);
  ClearBit(3);
}

void TFITS::FreeAll() {
  FreeData();
  FreeCalc();
  if (Owner && Owner->Marker == TLFITS::kLive) Owner->BytesCards -= 80LL * nCards;
  if (HSL) HSL->Clear();
}

void TFITS::Clear() {
  TAWd().swap(aData);
  for (int i = 1; i <= 4; ++i) {
    CTYPE[i].clear();
    CUNIT[i].clear();
  }
  FileName.clear();
  TARe().swap(ACnt);
  TARe().swap(AGRC1);
  TARe().swap(AGRC2);
  std::vector<uint8_t>().swap(AClass);
  FreeMeasures();
  if (HSL) HSL->Clear();
  nCards = nHeadCards = 0;
  nbH0 = 0;
  NElem = 0;
  LData = 0;
  NAXIS1 = NAXIS2 = NAXIS3 = NAXIS4 = 0;
  BITPIX = NAXIS = DATA_LEV = 0;
  kStep = 0;
  Failed = false;
}

int64_t TFITS::ArraysVolume() const {
  return 8LL * static_cast<int64_t>(ACnt.size() + AGRC1.size() + AGRC2.size() + AClass.size());
}
