// The map slots of a scan and the runs that turn per-slit columns into maps: the initialisers
// that find or register a slot's map, the slot report, the continuum maps (CalcCont0, and
// LoadRowData's CONT), the line-minimum and line-position maps (CalcBisLC) and the binding of
// stored line-minimum maps (LoadD0Maps). A run is a job: progress per slit file, cancel between
// files; a cancelled run releases the maps it set up.
#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

// ---------------------------------------------------------------- slots

TFIOut* TMapSlot::Get() const {
  if (name_.empty()) return nullptr;
  TLFIOut* r = LFIOOrNull();
  if (!r) return nullptr;
  for (const auto& m : r->Items)
    if (FIOutAssigned(m.get()) && m->Name == name_ && m->Da == da_ && m->Ti == ti_ &&
        m->Ver == ver_)
      return m.get();
  return nullptr;
}

void TMapSlot::Set(const TFIOut* Map) {
  if (!FIOutAssigned(Map)) return Reset();
  da_ = Map->Da;
  ti_ = Map->Ti;
  name_ = Map->Name;
  ver_ = Map->Ver;
}

void TMapSlot::Reset() {
  da_.clear();
  ti_.clear();
  name_.clear();
  ver_.clear();
}

void TScanMapSlots::ResetSlots() {
  for (TMapSlot* s : {&MeH, &MeGM, &MeHL, &MeX, &MeY, &OuCont, &OuGc1, &OuGc2, &OuKVI, &OuW1,
                      &OuW2, &OuH1, &OuH2, &OuHG1, &OuHG2, &OuCnt, &OuVc1, &OuVc2, &OuRot})
    s->Reset();
  OuWork.Reset();
  OuAny.Reset();
  OuD0.Reset();
  for (auto* r : {&Ou35C1, &Ou35C2, &Ou35I1, &Ou35I2, &Ou35D1, &Ou35D2}) r->Reset();
  for (auto* r : {&OuBiC1, &OuBiC2, &OuBiW1, &OuBiW2}) r->Reset();
  OuCore.Reset();
}

std::string FOKindText(int32_t Kind) {
  switch (Kind) {
    case 1: return "CV";
    case 2: return "ME";
    case 3: return "M2";
    default: return "XX";
  }
}

// ---------------------------------------------------------------- initialisers

std::string TLFITS::ScanDa() const {
  const size_t u = ScanName.find('_');
  return u == std::string::npos ? ScanName : ScanName.substr(0, u);
}

std::string TLFITS::ScanTi() const {
  const size_t u = ScanName.find('_');
  return u == std::string::npos ? std::string() : ScanName.substr(u + 1);
}

namespace {

// Steps 1 to 4 of the initialisers: the slot gets the map registered by date, time and name
// (a repeated call warns); false while nX or nY is 0.
bool InitStart(TLFITS& S, int32_t Kind, TMapSlot& Slot, const std::string& Name,
               const std::string& Title) {
  TLFIOut& reg = LFIOReg();
  const std::string who = "TLFITS.FO(" + FOKindText(Kind) + ")_Init(" + Name + "," + Title + ")";
  Slot.Set(reg.GetFIOutDT(S.ScanDa(), S.ScanTi(), Name));
  if (Slot) WARNAbs(who + " WARNING: Повторный вызов!"_cp);
  if (static_cast<int64_t>(S.nX) * S.ScanNY() == 0) {
    WARNAbs(who + " ERR - до вызова процедуры надо завести значения nX и nY!"_cp);
    return false;
  }
  return true;
}

}  // namespace

bool TLFITS::FO_Init(int32_t Kind, TMapSlot& Slot, const std::string& Name,
                     const std::string& Title, const std::string& Ver) {
  if (!InitStart(*this, Kind, Slot, Name, Title)) return false;
  TLFIOut& reg = LFIOReg();
  const std::string da = ScanDa(), ti = ScanTi();
  Slot.Set(reg.GetFIOut(da, ti, Name, ""));
  if (!Slot) {
    TStringList wanted;
    wanted.Add(Name);
    if (reg.Load(Kind, '\0', da, ti, &wanted, false)) Slot.Set(reg.GetFIOut(da, ti, Name, ""));
  }
  if (!Slot)
    Slot.Set(reg.AddFIOut(ScanName, Name, Title, Ver, Kind, nX, ScanNY(), this));
  return true;
}

bool TLFITS::FO_New(int32_t Kind, TMapSlot& Slot, const std::string& Name,
                    const std::string& Title, const std::string& Ver) {
  if (!InitStart(*this, Kind, Slot, Name, Title)) return false;
  TLFIOut& reg = LFIOReg();
  const char src = reg.CurSrcChar();
  TFIOut* m = reg.AddFIOut(ScanName, Name, Title, Ver, Kind, nX, ScanNY(), this);
  Slot.Set(m);
  if (m) m->DaNum = src;
  return true;
}

bool TLFITS::FOInitOwn(TMapSlot& Slot, const std::string& Name, const std::string& Title,
                       const std::string& Ver) {
  return FO_Init(1, Slot, Name, Title, Ver);
}

bool TLFITS::FOInitME(TMapSlot& Slot, const std::string& Name, const std::string& Title) {
  return FO_Init(2, Slot, Name, Title, "2006");
}

bool TLFITS::FONewME(TMapSlot& Slot, const std::string& Name, const std::string& Title) {
  return FO_New(2, Slot, Name, Title, "2006");
}

bool TLFITS::InitContMap() { return FOInitOwn(OuCont, "CONT", "Continuum Intensity", "2022"); }

bool TLFITS::InitGRCMaps() {
  return FOInitOwn(OuGc1, "GRC_6301", "Center of Gravity 6301, pixels", "2022") &&
         FOInitOwn(OuGc2, "GRC_6302", "Center of Gravity 6302, pixels", "2022");
}

bool TLFITS::InitHLMaps() {
  return FOInitOwn(OuH1, "H_L_6301", "Longitudial Field 6301, G", "2002") &&
         FOInitOwn(OuH2, "H_L_6302", "Longitudial Field 6302, G", "2002");
}

bool TLFITS::InitVlosMaps() {
  return FOInitOwn(OuVc1, "Vlos6301", "LOS Velocity of 6301 COG", "2022") &&
         FOInitOwn(OuVc2, "Vlos6302", "LOS Velocity of 6302 COG", "2022");
}

bool TLFITS::InitRotMap() {
  return FOInitOwn(OuRot, "Rot_dV", "Sun_surface_rotation_velocity", "2022");
}

bool TLFITS::InitMEFieldMaps() {
  return FOInitME(MeH, "Field_Strength", "") && FOInitME(MeGM, "Field_Inclination", "");
}

bool TLFITS::InitMECoordMaps() {
  return FOInitME(MeX, "X_Coordinate", "") && FOInitME(MeY, "Y_Coordinate", "");
}

bool TLFITS::InitHLongMap() { return FONewME(MeHL, "Longitudinal_Field", ""); }

bool TLFITS::InitLineMaps(TSlotBank& Bank, const std::vector<std::string>& Names,
                          const std::vector<std::string>& Titles, int32_t First,
                          const std::string& Level, int32_t Line) {
  const std::string digit = IntStr(Line);
  for (size_t i = 0; i < Names.size(); ++i) {
    std::string title = i < Titles.size() ? Titles[i] : std::string();
    const size_t t = title.find("630");
    if (t != std::string::npos) title.insert(t + 3, digit);
    std::string name = Names[i];
    if (!Level.empty()) {
      const size_t p = name.find(Level);
      if (p == std::string::npos)
        name += digit;
      else
        name.insert(p, digit);
    }
    if (!FOInitOwn(Bank.At(First + static_cast<int32_t>(i), Line), name, title, "2022"))
      return false;
  }
  return true;
}

bool TLFITS::InitLineMapPairs(TSlotBank& Bank, const std::vector<std::string>& Names,
                              const std::vector<std::string>& Titles, int32_t First,
                              const std::string& Level) {
  return InitLineMaps(Bank, Names, Titles, First, Level, 1) &&
         InitLineMaps(Bank, Names, Titles, First, Level, 2);
}

// ---------------------------------------------------------------- report and release

std::unique_ptr<TStringList> TLFITS::MapSlotsReport() const {
  auto l = std::make_unique<TStringList>();
  auto line = [&](const std::string& Label, const TMapSlot& S) {
    const TFIOut* m = S.Get();
    l->Add(Label + (m ? m->SizeText() : std::string("-")));
  };
  const std::pair<const char*, const TMapSlot*> named[] = {
      {"OuCont", &OuCont}, {"OuGc1", &OuGc1}, {"OuGc2", &OuGc2}, {"OuKVI", &OuKVI},
      {"OuW1", &OuW1},     {"OuW2", &OuW2},   {"OuH1", &OuH1},   {"OuH2", &OuH2},
      {"OuHG1", &OuHG1},   {"OuHG2", &OuHG2}, {"OuCnt", &OuCnt}, {"OuVc1", &OuVc1},
      {"OuVc2", &OuVc2},   {"MeH", &MeH},     {"MeGM", &MeGM},   {"MeHL", &MeHL},
      {"MeX", &MeX},       {"MeY", &MeY}};
  for (const auto& [label, slot] : named) line(label, *slot);
  for (int i = 3; i <= 5; ++i) {
    const std::string k = IntStr(i) + "]";
    line("Ou35C1[" + k, Ou35C1[i]);
    line("Ou35C2[" + k, Ou35C2[i]);
    line("Ou35I1[" + k, Ou35I1[i]);
    line("Ou35I2[" + k, Ou35I2[i]);
    line("Ou35D1[" + k, Ou35D1[i]);
    line("Ou35D2[" + k, Ou35D2[i]);
  }
  for (int i = 1; i <= 9; ++i) {
    const std::string k = IntStr(i) + "]";
    line("OuBiC1[" + k, OuBiC1[i]);
    line("OuBiC2[" + k, OuBiC2[i]);
    line("OuBiW1[" + k, OuBiW1[i]);
    line("OuBiW2[" + k, OuBiW2[i]);
  }
  return l;
}

std::unique_ptr<TStringList> MapSlotsReport(const TLFITS* Scan) {
  if (!Scan || Scan->Marker != TLFITS::kLive) {
    WARNAbs("LFITS Not Assigned Yet!!!");
    return std::make_unique<TStringList>();
  }
  return Scan->MapSlotsReport();
}

void TLFITS::ReleaseSlot(TMapSlot& Slot) {
  if (TFIOut* m = Slot.Get()) {
    m->Release();
    if (TLFIOut* r = LFIOOrNull()) r->ReFineList();
  }
  Slot.Reset();
}

// ---------------------------------------------------------------- runs

namespace {

// The maps a run set up, released again when the run is cancelled.
class TRunMaps {
 public:
  explicit TRunMaps(TLFITS& S) : s_(S) {}
  void Add(TMapSlot& Slot) { slots_.push_back(&Slot); }
  void ReleaseAll() {
    for (TMapSlot* s : slots_) s_.ReleaseSlot(*s);
  }

 private:
  TLFITS& s_;
  std::vector<TMapSlot*> slots_;
};

// The progress text: the scan name's day, "_", hours and minutes, the run's own part, the slit
// number from 1 filled with zeros to Width digits, "/" and the file count.
std::string Progress(const TLFITS& S, const std::string& Mid, int32_t Ix, int32_t N, int Width) {
  const std::string dt = S.ScanName.size() > 6 ? S.ScanName.substr(6, 7) : std::string();
  return dt + Mid + ZeroPad(Ix + 1, Width) + "/" + IntStr(N);
}

// The map's data made NX by NY; the values where both sizes overlap stay.
void Fit(TFIOut& M, int32_t NX, int32_t NY) {
  const size_t nx = static_cast<size_t>(std::max(NX, 0)), ny = static_cast<size_t>(std::max(NY, 0));
  if (M.aData.Rows() != nx || M.aData.Cols() != ny) {
    TAR4R4Flat d(nx, ny);
    const size_t cx = std::min(nx, M.aData.Rows()), cy = std::min(ny, M.aData.Cols());
    for (size_t y = 0; y < cy; ++y)
      for (size_t x = 0; x < cx; ++x) d.Line(y)[x] = M.aData.Line(y)[x];
    M.aData = std::move(d);
  }
  M.nX = NX;
  M.nY = NY;
}

// Bit 3 of kLoad and the statistics of a map that holds data.
void Finish(TFIOut* M) {
  if (!M || M->aData.empty()) return;
  M->kLoad |= 8;
  M->MinMaxMean();
}

template <class A>
bool Full(const A& Col, int32_t nY) {
  return static_cast<int32_t>(Col.size()) == nY + 1;
}

template <class A>
double At(const A& Col, int32_t I) {
  return I >= 0 && I < static_cast<int32_t>(Col.size()) ? static_cast<double>(Col[I]) : 0.0;
}

void Put(TFIOut* M, int32_t X, int32_t Y, double V) {
  if (M && X >= 0 && Y >= 0 && X < static_cast<int32_t>(M->aData.Rows()) &&
      Y < static_cast<int32_t>(M->aData.Cols()))
    M->aData.Line(static_cast<size_t>(Y))[X] = static_cast<float>(V);
}

}  // namespace

bool TLFITS::CalcCont0(TJob& Job) {
  struct TMap {
    TMapSlot* Slot;
    const char *Name, *Title, *Ver;
  };
  const TMap four[] = {{&OuCont, "CONT", "Continuum Intensity", "20241023"},
                       {&OuWork[2], "CONT2", "Cont.Int.-Second Maximum", "20241122"},
                       {&OuWork[1], "LCONT", "L_idx for Cont Level", "20241023"},
                       {&OuWork[3], "LCONT2", "L_idx for Cont2 Level", "20241122"}};
  // With CONT in its slot the work slots are taken as they are, unless one is empty or names
  // another map: that one is set up again (the values never go into another run's map).
  const bool fresh = !OuCont;
  TRunMaps run(*this);
  for (const TMap& m : four) {
    if (fresh || !*m.Slot || m.Slot->Name() != m.Name)
      if (!FOInitOwn(*m.Slot, m.Name, m.Title, m.Ver)) return false;
    run.Add(*m.Slot);
  }
  TFIOut* cont = OuCont.Get();
  TFIOut* cont2 = OuWork[2].Get();
  TFIOut* lcont = OuWork[1].Get();
  TFIOut* lcont2 = OuWork[3].Get();
  if (!cont || !cont2 || !lcont || !lcont2) return false;
  const int32_t n = Count(), ny = ScanNY();
  const int width = static_cast<int>(IntStr(n).size());
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, "|CONT|iX=", ix, n, width))) {
      run.ReleaseAll();
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      // A continuum taken without its pair (from the map, or by another run) is measured again.
      if (!Full(f.ACntIdx, f.nY) || !Full(f.ACnt2, f.nY) || !Full(f.ACnt2Idx, f.nY))
        TARe().swap(f.ACnt);
      f.FillContPair();
      f.ContExtremes();
      if (!f.ACnt.empty()) {
        const int32_t len = static_cast<int32_t>(f.ACnt.size()) - 1;
        if (len < ny) {
          WARNAbs("LFITS.CalcCont0 iX=" + IntStr(ix) + " nY=" + IntStr(ny) +
                  " length(A)-1=" + IntStr(len));
        } else {
          for (TFIOut* m : {cont, cont2, lcont, lcont2}) Fit(*m, nX, ny);
          for (int32_t y = 0; y < ny; ++y) {
            Put(cont, ix, y, f.ACnt[y + 1]);
            Put(lcont, ix, y, At(f.ACntIdx, y + 1));
            Put(cont2, ix, y, At(f.ACnt2, y + 1));
            Put(lcont2, ix, y, At(f.ACnt2Idx, y + 1));
          }
        }
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, "|CONT|iX=", n - 1, n, width));
  for (TFIOut* m : {cont, cont2, lcont, lcont2}) Finish(m);
  return true;
}

void TLFITS::InitD0Maps(bool& Fill) {
  Fill = false;
  if (!OuD0[1]) {
    FOInitOwn(OuD0[1], "d01", "Central Depth d0 for 6301", "2022");
    FOInitOwn(OuD0[2], "d02", "Central Depth d0 for 6302", "2022");
    FOInitOwn(OuD0[3], "Ld01", "Wavelength (Pix) of d0 for 6301", "2022");
    FOInitOwn(OuD0[4], "Ld02", "Wavelength (Pix) of d0 for 6302", "2022");
  }
  const TFIOut* d = OuD0[1].Get();
  Fill = d && d->kLoad < 2;
  if (!Fill) return;
  for (int k = 1; k <= 4; ++k)
    if (TFIOut* m = OuD0[k].Get()) m->AssignMem(Count(), ScanNY());
}

void TLFITS::StoreD0Pixel(int32_t ix, int32_t y, const TFITS& F) {
  Put(OuD0[1].Get(), ix, y, At(F.Ad01, y + 1));
  Put(OuD0[2].Get(), ix, y, At(F.Ad02, y + 1));
  Put(OuD0[3].Get(), ix, y, At(F.ALd01, y + 1));
  Put(OuD0[4].Get(), ix, y, At(F.ALd02, y + 1));
}

void TLFITS::FinishD0Maps() {
  for (int k = 1; k <= 4; ++k) Finish(OuD0[k].Get());
}

bool TLFITS::CalcBisLC(TJob& Job, double x) {
  const std::string L = ZeroPad(static_cast<int64_t>(std::nearbyint(x * 100)), 2);
  bool fill = false;
  InitD0Maps(fill);
  TRunMaps run(*this);
  if (fill)
    for (int k = 1; k <= 4; ++k) run.Add(OuD0[k]);
  FOInitOwn(OuWork[5], "LC" + L + "1", "Bisector (Cont-d0)/2 for 6301", "2022");
  FOInitOwn(OuWork[6], "LC" + L + "2", "Bisector (Cont-d0)/2 for 6302", "2022");
  run.Add(OuWork[5]);
  run.Add(OuWork[6]);
  const int32_t n = Count(), ny = ScanNY();
  TFIOut* lc1 = OuWork[5].Get();
  TFIOut* lc2 = OuWork[6].Get();
  for (TFIOut* m : {lc1, lc2})
    if (m) m->AssignMem(n, ny);
  const int width = static_cast<int>(IntStr(n).size());
  const std::string mid = "|LC" + L + "|iX=";
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, mid, ix, n, width))) {
      run.ReleaseAll();
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      if (!f.ContFromMap()) f.GetContAll();
      f.CalcLCLevel(x);
      for (int32_t y = 0; y < ny; ++y) {
        if (fill) StoreD0Pixel(ix, y, f);
        Put(lc1, ix, y, At(f.ALC1, y + 1));
        Put(lc2, ix, y, At(f.ALC2, y + 1));
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, mid, n - 1, n, width));
  if (fill) FinishD0Maps();
  Finish(lc1);
  Finish(lc2);
  return true;
}

bool TLFITS::LoadRowData(TJob& Job) {
  if (!OuCont && !InitContMap()) return false;
  TFIOut* cont = OuCont.Get();
  if (!cont) return false;
  TRunMaps run(*this);
  run.Add(OuCont);
  const int32_t n = Count(), ny = ScanNY();
  const int width = static_cast<int>(IntStr(n).size());
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, "|LoadRowData|iX=", ix, n, width))) {
      run.ReleaseAll();
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      f.GetContAll();
      f.CalcSums();
      const int32_t len = static_cast<int32_t>(f.ACnt.size()) - 1;
      if (len < ny) {
        WARNAbs("LFITS.LoadRowData iX=" + IntStr(ix) + " nY=" + IntStr(ny) +
                " length(A)-1=" + IntStr(len));
      } else {
        if (cont->aData.Rows() != static_cast<size_t>(n) ||
            cont->aData.Cols() != static_cast<size_t>(ny))
          cont->AssignMem(n, ny);
        for (int32_t y = 0; y < ny; ++y) Put(cont, ix, y, f.ACnt[y + 1]);
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, "|LoadRowData|iX=", n - 1, n, width));
  Finish(cont);
  return true;
}

void TLFITS::LoadD0Maps(bool& Missing) {
  TLFIOut* r = LFIOOrNull();
  const std::string da = ScanDa(), ti = ScanTi();
  const char* names[] = {"d01", "d02", "Ld01", "Ld02"};
  for (int k = 1; k <= 4; ++k) OuD0[k].Set(r ? r->GetFIOutDT(da, ti, names[k - 1]) : nullptr);
  const TFIOut* d = OuD0[1].Get();
  if (d && d->nbData0 > 0 && !d->FileName().empty())
    for (int k = 1; k <= 4; ++k) {
      TFIOut* m = OuD0[k].Get();
      if (m && m->kLoad < 2 && m->nbData0 > 0) m->LoadData(m->FileName(), m->nbData0);
    }
  d = OuD0[1].Get();
  Missing = !d || d->kLoad < 2;
}
