#include "scans/cvLFITS.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "foundation/cvDirList.h"
#include "foundation/cvFile.h"
#include "foundation/cvFunc.h"
#include "foundation/cvJob.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFitsCard.h"
#include "scans/cvScanServices.h"

namespace {
const std::string kCrLf = "\r\n";

std::string Slashes(std::string S) {
  for (char& c : S)
    if (c == '\\') c = '/';
  return S;
}

void SortedFits(const std::string& Folder, TDirList& L) {
  L.Clear();
  L.CollectExt(Folder, "fits");
  L.SortExtRuns();
}
}  // namespace

// ---------------------------------------------------------------- warnings of a pass

void TWarnBatch::Add(const std::string& Group, const std::string& Text) {
  auto it = entries_.find(Group);
  if (it == entries_.end()) {
    order_.push_back(Group);
    entries_[Group] = TEntry{Text, 1};
  } else {
    ++it->second.Count;
  }
}

void TWarnBatch::Flush() {
  for (const std::string& g : order_) {
    const TEntry& e = entries_[g];
    WARNAbs(e.Count > 1 ? e.Text + kCrLf + "(файлов: "_cp + IntStr(e.Count) + ")" : e.Text);
  }
  order_.clear();
  entries_.clear();
}

// ---------------------------------------------------------------- names

std::string ScanFolder(const std::string& ScanName) {
  std::string root = Slashes(Scans().DataRoot());
  if (!root.empty() && root.back() != '/') root += '/';
  return root + ScanName.substr(0, 4) + "_" + ScanName.substr(4, 2) + "/" + ScanName;
}

std::string ScanFitsN(const std::string& ScanName, int32_t N) {
  TDirList L;
  SortedFits(ScanFolder(ScanName), L);
  if (L.Count() == 0) return "";
  if (N < 0 || N >= L.Count()) N = 0;
  return L.Items(N)->Name;
}

std::string ScanFirstFits(const std::string& ScanName) { return ScanFitsN(ScanName, 0); }

// ---------------------------------------------------------------- life cycle

TLFITS::TLFITS() = default;
TLFITS::~TLFITS() { Marker = 0; }

void TLFITS::Clear() {
  for (auto& f : Files) f->Clear();
  Files.clear();
  CalcReport.Clear();
  kStep = 0;
  Path_Name.clear();
  OutFolder.clear();
  ScanName.clear();
  sFN.clear();
  sFNME.clear();
  sFNL21.clear();
  List.reset();
  nX = 0;
  HOwnRead.reset();
  RefCRPIX1 = RefCDELT1 = RefCRVAL1 = 0;
  RefnY = RefNSLITPOS = 0;
  Refs = TScanRefs{};
  AWorkY.clear();
  AWorkX.clear();
  CB0 = VW1 = VW2 = 0;
  Lam1 = Lam2 = 0;
  d6301 = d6302 = KRC = ContSmooth = KCont = 0;
  BytesCubes = BytesCards = 0;
  nsHead = 0;
  // The slots named the old scan's maps (the maps stay in the registry).
  ResetSlots();
  ContMax = ContMin = 0;
  ContMaxIx = ContMaxPix = ContMinIx = ContMinPix = 0;
  LC1Pix = LC2Pix = VelMax = VelMin = HLMax = HLMin = 0;
  VelMaxX = VelMaxY = VelMinX = VelMinY = HLMaxX = HLMaxY = HLMinX = HLMinY = 0;
}

void TLFITS::SetOptions(double W1, double W2, double LevelCorr, double Smooth) {
  d6301 = W1;
  d6302 = W2;
  KRC = LevelCorr;
  ContSmooth = Smooth;
  KCont = 1.0;
}

void TLFITS::Link(const std::string& Folder) {
  const std::string folder = Slashes(Folder);
  if (Bit(0) && folder == Path_Name) return;
  Clear();
  Path_Name = folder;
  const size_t sl = folder.find_last_of('/');
  ScanName = sl == std::string::npos ? folder : folder.substr(sl + 1);
  kStep = 0;
  Refs.LamFlag = 0;
  rLC1 = rLC2 = 0;
  QualB = 0;
  Lam1 = 6301.5008;
  Lam2 = 6302.4932;
  d6301 = d6302 = 350;
  KRC = 1.05;
  ContSmooth = 0;
  KCont = 1.0;
  const size_t us = folder.find_last_of('_');
  if (us != std::string::npos && folder.size() - us - 1 == 6 && folder.size() >= 15) {
    OutFolder = folder.substr(0, folder.size() - 2);
    const std::string S = folder.substr(folder.size() - 15);
    sFNME = S + ".fits";
    sFNL21 = S + "_L2.1.fits";
    sFN = S.substr(0, S.size() - 2) + ".fits";
  } else {
    OutFolder = "###";
    WARNAbs("TLFITS.Link(<" + folder + ">)" + kCrLf +
            "Path должен оканчиваться конструкцией вида 20190622_164505"_cp);
  }
  kStep = 1;
  TFITS first;
  first.Link(0, this);
  first.ReadHeader();
  RefCRPIX1 = first.CRPIX1;
  RefCDELT1 = first.CDELT1;
  RefCRVAL1 = first.CRVAL1;
  RefnY = first.nY;
  RefNSLITPOS = first.NSLITPOS;
  nX = List ? List->Count() : 0;
  BytesCubes = 0;
  first.Clear();
  ReadOwnMainHeader();
}

// ---------------------------------------------------------------- files

std::string TLFITS::fNam(int32_t N) {
  if (!Bit(0)) {
    WARNAbs("TLFITS.fNam(" + IntStr(N) + ") ERROR!" + kCrLf + "kStep=" + IntStr(kStep) +
            " => Path_Name Not Linked Yet!!!");
    return "";
  }
  if (!List) List = std::make_unique<TDirList>();
  if (List->Count() == 0) SortedFits(Path_Name, *List);
  if (N < 0 || N >= List->Count()) {
    WARNAbs("TLFITS.LoadHeaders ERR Not Found File N\"" + IntStr(N) + kCrLf + "Path_Name = <" +
            Path_Name + ">");
    return "";
  }
  return List->Items(N)->Name;
}

void TLFITS::ListFitsFiles() {
  if (!List) List = std::make_unique<TDirList>();
  SortedFits(Path_Name, *List);
}

TFITS* TLFITS::FITSByIndex(int32_t Index) const {
  TFITS* r = nullptr;
  for (const auto& f : Files)
    if (f->IXI == Index) r = f.get();
  return r;
}

std::unique_ptr<TStringList> TLFITS::GetXHeader(int32_t N) const {
  if (!Bit(1)) {
    WARNAbs("TLFITS.GetXHeader(" + IntStr(N) + " Headers Not Loaded Yet!");
    return nullptr;
  }
  const TFITS* f = FITSByIndex(N);
  if (!f || !f->HSL) return nullptr;
  return std::make_unique<TStringList>(*f->HSL);
}

// ---------------------------------------------------------------- loading

bool TLFITS::LoadHeaders(TJob& Job) {
  if (Bit(1)) return true;
  if (!Bit(0)) {
    WARNAbs("TLFITS.LoadHeaders ERROR!\r\nkStep=" + IntStr(kStep) +
            " => Path_Name Not Linked Yet!!!");
    return false;
  }
  ListFitsFiles();
  const int32_t count = List->Count();
  const TScanRefs saved = Refs;
  const int64_t savedCubes = BytesCubes;
  TWarnBatch batch;
  Batch = &batch;
  std::vector<std::unique_ptr<TFITS>> files;
  int64_t cards = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (!Job.Step(i, count, "LFITS.LoadHeaders " + List->Items(i)->Name)) {
      // cancelled between files: the scan stays linked, as it was
      Batch = nullptr;
      for (auto& f : files) f->FreeData();
      Refs = saved;
      BytesCubes = savedCubes;
      batch.Flush();
      return false;
    }
    auto f = std::make_unique<TFITS>();
    f->Link(i, this);
    f->ReadHeader();
    cards += 80LL * f->nCards;
    files.push_back(std::move(f));
  }
  Job.Step(count, count, "LFITS.LoadHeaders");
  Batch = nullptr;
  Files = std::move(files);
  BytesCards = cards;
  nX = count;
  AXCEN.assign(static_cast<size_t>(count) + 1, 0.0);
  AXT.assign(static_cast<size_t>(count) + 1, 0.0);
  AXvO.assign(static_cast<size_t>(count) + 1, 0.0);
  T0 = count > 0 ? Files[0]->TObs : 0;
  for (int32_t i = 0; i < count; ++i) {
    AXCEN[static_cast<size_t>(i) + 1] = Files[static_cast<size_t>(i)]->XCEN;
    AXT[static_cast<size_t>(i) + 1] = i == 0 ? 0 : Files[static_cast<size_t>(i)]->TObs - T0;
    AXvO[static_cast<size_t>(i) + 1] = Files[static_cast<size_t>(i)]->DOP_RCV;
  }
  AWorkY.assign(static_cast<size_t>(Refs.nY) + 1, 0.0);
  AWorkX.assign(static_cast<size_t>(count) + 1, 0.0);
  kStep = static_cast<uint16_t>(kStep | 2);
  if (count > 0) {
    const double last = Files.back()->TObs;
    Duration = last - T0;
    if (Duration < 0) Duration += 1440;
    TMid = (T0 + last) / 2 / 1440;
    DopMin = DopMax = Files[0]->DOP_RCV;
    TDopMin = TDopMax = 0;
    for (int32_t i = 1; i < count; ++i) {
      const double v = Files[static_cast<size_t>(i)]->DOP_RCV;
      if (v < DopMin) {
        DopMin = v;
        TDopMin = AXT[static_cast<size_t>(i) + 1];
      } else if (v > DopMax) {
        DopMax = v;
        TDopMax = AXT[static_cast<size_t>(i) + 1];
      }
    }
  }
  batch.Flush();
  Scans().ShowScanInfo(*this);
  return true;
}

bool TLFITS::LoadData(TJob& Job) {
  if (Files.empty()) return true;
  WARNAbs("LFITS.LoadData WARN! Загружаем все aData для всех FITS\r\nCount="_cp +
          IntStr(Count()) + " NX=" + IntStr(nX) + " NY=" + IntStr(Refs.nY) + kCrLf +
          "Могут быть проблемы с памятью!"_cp);
  if (Bit(2)) {
    WARNAbs("TLFITS.LoadData WARNING!\r\nData Already Loaded!!!");
    return true;
  }
  if (!Bit(1)) {
    WARNAbs("TLFITS.LoadData ERROR!\r\nHeaders Not Loaded Yet!!!");
    return false;
  }
  std::vector<TFITS*> loadedNow;
  std::string failed;
  int32_t nFailed = 0;
  TWarnBatch batch;
  Batch = &batch;
  for (int32_t i = 0; i < Count(); ++i) {
    TFITS& f = *Files[static_cast<size_t>(i)];
    if (!Job.Step(i, Count(), "LFITS.LoadData " + f.FileName)) {
      // cancelled between files: the cubes of this pass are dropped again
      Batch = nullptr;
      for (TFITS* g : loadedNow) g->FreeData();
      batch.Flush();
      return false;
    }
    if (f.Bit(2)) continue;
    if (f.LoadData()) {
      loadedNow.push_back(&f);
    } else if (f.Failed || !f.Bit(1)) {
      // a file refused before its header was read has no FileName yet: the folder's name
      ++nFailed;
      failed += kCrLf + (f.FileName.empty() ? fNam(f.IXI) : f.FileName);
    }
  }
  Job.Step(Count(), Count(), "LFITS.LoadData");
  Batch = nullptr;
  batch.Flush();
  if (nFailed > 0)
    WARNAbs("TLFITS.LoadData: данные не загружены для "_cp + IntStr(nFailed) + " из "_cp +
            IntStr(Count()) + " файлов:"_cp + failed);
  kStep = static_cast<uint16_t>(kStep | 4);
  return true;
}

void GetFITSHead(const std::string& Path, int64_t Offset, int32_t& Count, TStringList* List) {
  std::error_code ec;
  if (!List || !std::filesystem::is_regular_file(Path, ec)) return;
  Count = 0;
  std::string key;
  char rec[80];
  while (key != "END" && Count < TFITS::kMaxCards) {
    if (!RARdRec(Path, Offset, 80, Count + 1, rec) || RALastErrText.rfind("RARdRec I=", 0) == 0) {
      WARNAbs("GetFITSHead Ошибка при чтении блока из файла \r\n<"_cp + Path + ">" + kCrLf +
              "I = " + IntStr(Count + 1) + " nbH0=" + I64Str(Offset) + ", LStr=80" + kCrLf +
              "IOResult of Reset = " + IntStr(IOLastErr) + kCrLf + "ErrLast=<" + RALastErrText +
              ">");
      Count = 0;
      return;
    }
    const std::string card(rec, 80);
    key = CardTrim(card.substr(0, card.find(' ', card.find_first_not_of(' '))));
    List->Add(card);
    ++Count;
  }
}

void GetFITSHeadLen(const std::string& Path, int64_t Offset, int32_t& Count) {
  char rec[80];
  for (;;) {
    RALastErrText.clear();
    if (!RARdRec(Path, Offset, 80, Count + 1, rec) || RALastErrText.rfind("RARdRec I=", 0) == 0) {
      WARNAbs("Ошибка при чтении блока из файла \r\n<"_cp + Path + ">" + kCrLf + "I = " +
              IntStr(Count + 1) + " nbH0=0, LStr=80" + kCrLf + "IOResult of Reset = " +
              IntStr(IOLastErr) + kCrLf + "ErrLast=<" + RALastErrText + ">");
      Count = Count + 1;
      return;
    }
    if (std::string(rec, 80) != std::string(80, ' ')) return;
    ++Count;
  }
}

void TLFITS::ReadMEMainHeader(int32_t& NCards, int64_t& Bytes) {
  const std::string path = OutFolder + "/" + sFNME;
  if (!HMERead) HMERead = std::make_unique<TStringList>();
  HMERead->Clear();
  int32_t n = 0;
  GetFITSHead(path, 0, n, HMERead.get());
  int32_t m = n;
  GetFITSHeadLen(path, 0, m);
  HMERead->Add(std::string(80, '='));
  TStringList* H = HMERead.get();
  MENAXIS = GetFITKeyI("NAXIS", H, 0, n);
  MEXCEN = GetFITKeyR("XCEN", H, 0, n);
  MEYCEN = GetFITKeyR("YCEN", H, 0, n);
  SOLAR_RA = GetFITKeyR("SOLAR_RA", H, 0, n);
  MEXSCALE = GetFITKeyR("XSCALE", H, 0, n);
  MEYSCALE = GetFITKeyR("YSCALE", H, 0, n);
  TSTART = GetFITKey("TSTART", H, 0, n);
  TEND = GetFITKey("TEND", H, 0, n);
  P_ANGLE = GetFITKeyR("P_ANGLE", H, 0, n);
  B_ANGLE = GetFITKeyR("B_ANGLE", H, 0, n);
  NCards = n;
  Bytes = 80LL * m;
}

void TLFITS::ReadOwnMainHeader() {
  if (OutFolder == "###" || sFN.empty()) return;
  const std::string path = OutFolder + "/" + sFN;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    WARN("Загрузка cvFITS-Err:\r\nфайла <"_cp + path + "> ещё нет!"_cp);
    return;
  }
  if (!HOwnRead) HOwnRead = std::make_unique<TStringList>();
  HOwnRead->Clear();
  int32_t n = 0;
  GetFITSHead(path, 0, n, HOwnRead.get());
  int32_t m = n;
  GetFITSHeadLen(path, 0, m);
  HOwnRead->Add(std::string(80, '='));
  CB0 = GetFITKeyRDefIx("CB0", HOwnRead.get(), 0, 0, n);
  VW1 = GetFITKeyRDefIx("VW1", HOwnRead.get(), 0, 0, n);
  VW2 = GetFITKeyRDefIx("VW2", HOwnRead.get(), 0, 0, n);
}

// ---------------------------------------------------------------- continuum smoothing

std::shared_ptr<const TSmoothWeights> TSmoothWeights::Make(const TARe& X, double W) {
  auto s = std::make_shared<TSmoothWeights>();
  s->X = X;
  s->W = W;
  const int32_t n = NOf(X);
  s->N = n;
  s->Lo.assign(static_cast<size_t>(n), 0);
  s->Hi.assign(static_cast<size_t>(n), -1);
  s->Off.assign(static_cast<size_t>(n), 0);
  s->Sums.assign(static_cast<size_t>(n), 0.0);
  // weights by row, as AReGSmooth makes them; the row sums in the order j = 1..n (no width: no
  // weights, every row keeps its value)
  std::vector<double> full(static_cast<size_t>(n) * n, 0.0);
  for (int32_t i = 1; i <= n && W != 0; ++i) {
    double sw = 0;
    for (int32_t j = 1; j <= n; ++j) {
      const double w = GaussNorm(std::fabs(X[i] - X[j]), W);
      full[static_cast<size_t>(i - 1) * n + (j - 1)] = w;
      sw += w;
    }
    s->Sums[static_cast<size_t>(i - 1)] = sw;
  }
  // by column, the rows from the first to the last non-zero weight
  for (int32_t j = 0; j < n; ++j) {
    int32_t lo = n, hi = -1;
    for (int32_t i = 0; i < n; ++i)
      if (full[static_cast<size_t>(i) * n + j] != 0) {
        lo = std::min(lo, i);
        hi = i;
      }
    if (hi < lo) lo = 0, hi = -1;
    s->Lo[static_cast<size_t>(j)] = lo;
    s->Hi[static_cast<size_t>(j)] = hi;
    s->Off[static_cast<size_t>(j)] = static_cast<int32_t>(s->Col.size());
    for (int32_t i = lo; i <= hi; ++i) s->Col.push_back(full[static_cast<size_t>(i) * n + j]);
  }
  // by diagonal: the widest reach below and above any row's own column
  int32_t below = 0, above = -1;
  for (int32_t i = 0; i < n; ++i) {
    int32_t first = -1, last = -1;
    for (int32_t j = 0; j < n; ++j)
      if (full[static_cast<size_t>(i) * n + j] != 0) {
        if (first < 0) first = j;
        last = j;
      }
    if (first < 0) continue;
    below = std::max(below, i - first);
    above = std::max(above, last - i);
  }
  s->NP = (n + 31) / 32 * 32;
  s->DL = below;
  s->DSpan = above < 0 ? 0 : below + above + 1;
  s->Divisors.assign(static_cast<size_t>(s->NP), 1.0);
  for (size_t i = 0; i < static_cast<size_t>(n); ++i)
    if (s->Sums[i] != 0) s->Divisors[i] = s->Sums[i];
  s->Diag.assign(static_cast<size_t>(s->DSpan) * s->NP, 0.0);
  for (int32_t d = 0; d < s->DSpan; ++d)
    for (int32_t i = 0; i < n; ++i) {
      const int32_t j = i + d - below;
      if (j >= 0 && j < n)
        s->Diag[static_cast<size_t>(d) * s->NP + i] = full[static_cast<size_t>(i) * n + j];
    }
  // the shortest reach whose dropped terms stay below 1e-9 of the largest value's share in every
  // row: 2^56 over the row's own weight (its sum is at least that weight times its value, a
  // term below 2^-56 of it is below an eighth of the sum's last place), with a margin
  for (int32_t r = 1; r <= 16 && W != 0; ++r) {
    std::vector<double> ratio(static_cast<size_t>(n), 0.0);
    bool ok = true;
    for (int32_t i = 0; i < n && ok; ++i) {
      const double own = full[static_cast<size_t>(i) * n + i];
      double tail = 0;
      for (int32_t j = i + r + 1; j < n; ++j)
        tail = std::max(tail, full[static_cast<size_t>(i) * n + j]);
      if (tail == 0) continue;
      if (!(own > 0)) {
        ok = false;
        break;
      }
      ratio[static_cast<size_t>(i)] = tail / own * 0x1p56 * (1 + 1e-12);
      ok = ratio[static_cast<size_t>(i)] <= 1e-9;
    }
    if (ok) {
      s->TailR = r;
      s->TailRatioMax = *std::max_element(ratio.begin(), ratio.end());
      s->TailRatio = std::move(ratio);
      break;
    }
  }
  // the shortest lead whose dropped terms stay below half the last place of the first term kept
  // for every profile whose smallest value is at least 1 % of its largest: their weights' sum
  // over the kept column's weight, times 2^54 (half a last place is above 2^-54 of the term),
  // with a margin for the rounding of the dropped products and their sum
  for (int32_t r = 1; r < s->DL && W != 0; ++r) {
    double worst = 0;
    bool ok = true;
    for (int32_t i = r + 1; i < n && ok; ++i) {
      const int32_t f = i - r;  // the first column kept
      double dropped = 0;
      for (int32_t j = 0; j < f; ++j) dropped += full[static_cast<size_t>(i) * n + j];
      if (dropped == 0) continue;
      const double kept = full[static_cast<size_t>(i) * n + f];
      if (!(kept >= 1e-250)) {
        ok = false;
        break;
      }
      worst = std::max(worst, dropped * (1 + 1e-12) / kept * 0x1p54 * (1 + 1e-9));
    }
    if (ok && worst <= 0.01) {
      s->LeadR = r;
      s->LeadRatioMax = worst;
      break;
    }
  }
  // the near weights over the row sums, a little low (the sums are rounded)
  bool zeroSum = n == 0;
  for (int32_t i = 0; i < n; ++i) zeroSum = zeroSum || s->Sums[static_cast<size_t>(i)] == 0;
  for (int32_t k = 0; k <= 5 && !zeroSum; ++k) {
    double r = HUGE_VAL;
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = std::max(0, i - k); j <= std::min(n - 1, i + k); ++j)
        r = std::min(r, full[static_cast<size_t>(i) * n + j] / s->Sums[static_cast<size_t>(i)]);
    s->NearRatio[static_cast<size_t>(k)] = r * (1 - 1e-9);
  }
  return s;
}

namespace {

// Rows side by side, 32 at a time (four sums of eight lanes), so every row adds its terms in the
// order of the columns, the product then the sum, as the plain loop does (no fused multiply-add).
// The diagonals' zero weights (beyond a row's reach) add +0 or -0, which leaves a sum of finite
// terms as it was (a sum that starts at +0 never becomes -0).
typedef double TV8 __attribute__((vector_size(64)));

// The sums of the 8 rows at each of O0..O3 over their divisors (inlined into each clone below).
__attribute__((always_inline)) inline void SmoothFourBlocks(
    const double* __restrict D, const double* __restrict Yp, const double* __restrict Div,
    int32_t NP, int32_t Span, int32_t O0, int32_t O1, int32_t O2, int32_t O3,
    double* __restrict Acc) {
  TV8 a0 = {}, a1 = {}, a2 = {}, a3 = {};
  for (int32_t d = 0; d < Span; ++d) {
    const double* w = D + static_cast<size_t>(d) * NP;
    const double* y = Yp + d;
    TV8 w0, w1, w2, w3, y0, y1, y2, y3;
    __builtin_memcpy(&w0, w + O0, sizeof w0);
    __builtin_memcpy(&w1, w + O1, sizeof w1);
    __builtin_memcpy(&w2, w + O2, sizeof w2);
    __builtin_memcpy(&w3, w + O3, sizeof w3);
    __builtin_memcpy(&y0, y + O0, sizeof y0);
    __builtin_memcpy(&y1, y + O1, sizeof y1);
    __builtin_memcpy(&y2, y + O2, sizeof y2);
    __builtin_memcpy(&y3, y + O3, sizeof y3);
    a0 += w0 * y0;
    a1 += w1 * y1;
    a2 += w2 * y2;
    a3 += w3 * y3;
  }
  TV8 d0, d1, d2, d3;
  __builtin_memcpy(&d0, Div + O0, sizeof d0);
  __builtin_memcpy(&d1, Div + O1, sizeof d1);
  __builtin_memcpy(&d2, Div + O2, sizeof d2);
  __builtin_memcpy(&d3, Div + O3, sizeof d3);
  a0 /= d0;
  a1 /= d1;
  a2 /= d2;
  a3 /= d3;
  __builtin_memcpy(Acc + O0, &a0, sizeof a0);
  __builtin_memcpy(Acc + O1, &a1, sizeof a1);
  __builtin_memcpy(Acc + O2, &a2, sizeof a2);
  __builtin_memcpy(Acc + O3, &a3, sizeof a3);
}

// Acc: each row's sum over its divisor.
__attribute__((target_clones("avx512f", "avx2", "default"))) void SmoothDiagonals(
    const double* __restrict D, const double* __restrict Yp, const double* __restrict Div,
    int32_t NP, int32_t Span, double* __restrict Acc) {
  for (int32_t i = 0; i < NP; i += 32)
    SmoothFourBlocks(D, Yp, Div, NP, Span, i, i + 8, i + 16, i + 24, Acc);
}

// The same sums for the 8-row blocks listed only, four blocks at a time (the last repeated).
__attribute__((target_clones("avx512f", "avx2", "default"))) void SmoothDiagonalBlocks(
    const double* __restrict D, const double* __restrict Yp, const double* __restrict Div,
    int32_t NP, int32_t Span, const int32_t* Blocks, int32_t NBlocks, double* __restrict Acc) {
  for (int32_t g = 0; g < NBlocks; g += 4)
    SmoothFourBlocks(D, Yp, Div, NP, Span, 8 * Blocks[g],
                     8 * Blocks[std::min(g + 1, NBlocks - 1)],
                     8 * Blocks[std::min(g + 2, NBlocks - 1)],
                     8 * Blocks[std::min(g + 3, NBlocks - 1)], Acc);
}

// The diagonals summed for Reach (< 0: all of them).
int32_t SpanOf(const TSmoothWeights& S, int32_t Reach) {
  return S.DSpan == 0 || Reach < 0 ? S.DSpan : std::min(S.DSpan, S.DL + Reach + 1);
}

// The profile as doubles, S.DL zeros before it and zeros after it to the last diagonal's end
// (per thread).
template <class T>
const double* Padded(const TSmoothWeights& S, const T* Y) {
  thread_local std::vector<double> pad;
  const size_t len = static_cast<size_t>(S.NP + std::max(S.DSpan, 1)) + 32;
  if (pad.size() != len) pad.assign(len, 0.0);
  std::fill(pad.begin(), pad.begin() + S.DL, 0.0);
  for (int32_t j = 0; j < S.N; ++j)
    pad[static_cast<size_t>(j + S.DL)] = static_cast<double>(Y[j + 1]);
  std::fill(pad.begin() + S.DL + S.N, pad.end(), 0.0);
  return pad.data();
}

// Reach >= 0: each row's columns up to the row + Reach only.
// First: the first diagonal summed (TSmoothWeights::FirstDiagonal).
template <class T>
void SmoothRows(const TSmoothWeights& S, const T* Y, double* R, int32_t Reach = -1,
                int32_t First = 0) {
  const int32_t n = S.N, np = S.NP, span = SpanOf(S, Reach);
  thread_local std::vector<double> acc;
  acc.resize(static_cast<size_t>(np));
  if (span > First)
    SmoothDiagonals(S.Diag.data() + static_cast<size_t>(First) * np, Padded(S, Y) + First,
                    S.Divisors.data(), np, span - First, acc.data());
  else
    std::fill(acc.begin(), acc.end(), 0.0);
  R[0] = static_cast<double>(Y[0]);
  for (int32_t i = 1; i <= n; ++i)
    R[i] = S.Sums[static_cast<size_t>(i - 1)] != 0 ? acc[static_cast<size_t>(i - 1)]
                                                  : static_cast<double>(Y[i]);
}

}  // namespace

int32_t TSmoothWeights::FirstDiagonal(int32_t Top, int32_t Bottom) const {
  if (LeadR < 0 || Bottom <= 0 || !(static_cast<double>(Bottom) >= LeadRatioMax * Top)) return 0;
  return DL - LeadR;
}

void TSmoothWeights::SmoothBlocks(const int32_t* Y, double* R, const int32_t* Blocks,
                                  int32_t NBlocks, bool Head, int32_t First) const {
  const int32_t span = SpanOf(*this, Head ? TailR : -1);
  if (NBlocks <= 0) return;
  thread_local std::vector<double> acc;
  acc.assign(static_cast<size_t>(NP), 0.0);
  if (span > First)
    SmoothDiagonalBlocks(Diag.data() + static_cast<size_t>(First) * NP, Padded(*this, Y) + First,
                         Divisors.data(), NP, span - First, Blocks, NBlocks, acc.data());
  for (int32_t b = 0; b < NBlocks; ++b)
    for (int32_t i = 8 * Blocks[b]; i < std::min(N, 8 * Blocks[b] + 8); ++i)
      R[i + 1] = Sums[static_cast<size_t>(i)] != 0 ? acc[static_cast<size_t>(i)]
                                                   : static_cast<double>(Y[i + 1]);
}

void TSmoothWeights::Smooth(const int32_t* Y, double* R) const { SmoothRows(*this, Y, R); }

void TSmoothWeights::Smooth(const double* Y, double* R) const { SmoothRows(*this, Y, R); }

bool TSmoothWeights::HeadOf(const int32_t* Y) const {
  if (TailR < 0 || N < 1) return false;
  int32_t top = Y[1], bottom = Y[1];
  for (int32_t i = 2; i <= N; ++i) {
    top = std::max(top, Y[i]);
    bottom = std::min(bottom, Y[i]);
  }
  return HeadOf(Y, top, bottom);
}

bool TSmoothWeights::HeadOf(const int32_t* Y, int32_t Top, int32_t Bottom) const {
  if (TailR < 0 || N < 1 || Bottom < 0) return false;
  const double t = Top;
  // every row at once when the smallest value passes the largest ratio
  if (static_cast<double>(Bottom) >= TailRatioMax * t) return true;
  for (int32_t i = 0; i < N; ++i)
    if (!(static_cast<double>(Y[i + 1]) >= TailRatio[static_cast<size_t>(i)] * t)) return false;
  return true;
}

void TSmoothWeights::SmoothHead(const int32_t* Y, double* R) const {
  int32_t top = Y[1], bottom = Y[1];
  for (int32_t i = 2; i <= N; ++i) {
    top = std::max(top, Y[i]);
    bottom = std::min(bottom, Y[i]);
  }
  SmoothRows(*this, Y, R, TailR, FirstDiagonal(top, bottom));
}

std::shared_ptr<const TSmoothWeights> TLFITS::SmoothWeights() {
  std::lock_guard<std::mutex> lock(smoothMutex_);
  const double W = ContSmooth / 1000;
  if (!smooth_ || smooth_->W != W || smooth_->X != Refs.ALam)
    smooth_ = TSmoothWeights::Make(Refs.ALam, W);
  return smooth_;
}

void TLFITS::SmoothProfile(const TARe& Y, TARe& R) {
  const std::shared_ptr<const TSmoothWeights> s = SmoothWeights();
  R.assign(s->X.size(), 0.0);
  if (Y.empty()) return;
  const int32_t n = std::min(s->N, NOf(Y));
  if (n < s->N) {
    // a profile shorter than the list: its own weights
    TARe X(s->X.begin(), s->X.begin() + n + 1);
    const auto t = TSmoothWeights::Make(X, s->W);
    t->Smooth(Y.data(), R.data());
    return;
  }
  s->Smooth(Y.data(), R.data());
}

// ---------------------------------------------------------------- integral values

bool TLFITS::CalcIntegrVal(TJob& Job) {
  TTimedSection timed("LFITS.CalcIntegrVal");
  if (Files.empty()) return false;
  if (Bit(3)) {
    WARNAbs("TLFITS.CalcIntegrVal WARNING!\r\nIntegralVals Already Calculated!!!");
    return false;
  }
  if (!Bit(2)) {
    WARNAbs("TLFITS.CalcIntegrVal ERROR!\r\nData Not Loaded Yet!!!");
    return false;
  }
  const int32_t n = Count();
  double s1 = 0, s2 = 0;
  // A file is measured whole or not at all: a cancel is taken only between files.
  std::vector<TFITS*> files;
  for (auto& f : Files) files.push_back(f.get());
  if (!TFITS::BigCalcFiles(files, [&](int32_t i) {
        return Job.Step(i, n, "BigCalc " + Files[static_cast<size_t>(i)]->FileName);
      }))
    return false;
  for (const auto& f : Files) {
    s1 += f->MeanLC1;
    s2 += f->MeanLC2;
  }
  Job.Step(n, n, "BigCalc");
  rLC1 = s1 / n;
  rLC2 = s2 / n;
  QualContFit();
  kStep = static_cast<uint16_t>(kStep | 8u);
  return true;
}
