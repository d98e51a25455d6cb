// The scan layer's services object: what the library needs of the program around it (the data
// root of the level-1 scans and the links to parts of the program not built yet) and the
// process-wide load counters. The start-up routine fills it (InstallScanServices); tests make
// fresh ones (ResetScanServices). The library never reaches the application frame itself.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvLink.h"
#include "foundation/cvTy.h"
#include "scans/cvCurISetup.h"
#include "scans/cvFilters.h"

class TCurI;
class TFITS;
class TLFITS;
class TLFIOut;
class TStringList;

struct TScanServices {
  // The data root of the scans (folders root/yyyy_mm/yyyymmdd_hhmmss/), with its trailing "/".
  TLink<std::string()> DataRoot{"FITSRoot", TLinkLoudness::Silent};
  // The scan summary on the FITS tab, shown after the headers are read.
  TLink<void(const TLFITS& Scan)> ShowScanInfo{"TLFITS.ShowScanInfo", TLinkLoudness::Silent};
  // Row IXI of a registered map of the file's scan (out[y] = column y - 1); false when the map
  // is not there. Without a registry the continuum is measured.
  TLink<bool(const TFITS& File, const std::string& Name, TARe& Out)> MapRow{
      "TFITS.MapRow", TLinkLoudness::Silent};

  // The padding unit of map files in bytes (the FITS tab sets it; "320 либо 512").
  int32_t NCut = 320;
  // The map registry (created on demand) and the level filters' state the maps read.
  std::unique_ptr<TLFIOut> LFIO;
  TFiltState Filt;
  // The map window's list of map entries and its current index (0-based).
  std::unique_ptr<TStringList> LFOP;
  int32_t LFOPIdx = 0;
  // The operation list's calculation of a named map of the scan (date, time) into the registry;
  // false when the list does not define it.
  TLink<bool(const std::string& Name, const std::string& Da, const std::string& Ti)> CalcFO{
      "CalcFO", TLinkLoudness::Quiet};
  // The source character of new maps (the main window's current map or scan row); blank here.
  TLink<char()> CurSrcChar{"TLFIOut.CurSrcChar", TLinkLoudness::Silent};

  // The program's one line measurement object (created on demand, ScanCurI), the fields that fill
  // it and the map runs' window fields; SetupCurI and GaussParamsToCurI move the fields into it
  // (installed here from the record; the window installs its own).
  std::unique_ptr<TCurI> CurI;
  TCurISettings CurISet;
  TLink<bool(TCurI& CurI)> SetupCurI{"TCorvesta.SetupCurI", TLinkLoudness::Loud};
  TLink<void(TCurI& CurI)> GaussParamsToCurI{"TCorvesta.GaussParamsToCurI", TLinkLoudness::Loud};

  TScanServices();
  ~TScanServices();

  // Bytes read and loads made by TFITS.LoadData since the start (shared, counted atomically).
  std::atomic<int64_t> BytesRead{0};
  std::atomic<int64_t> Loads{0};
};

TScanServices& Scans();
void ResetScanServices();
// The services' CurI, created when missing.
TCurI& ScanCurI();

// The default data root: a folder of the user ($XDG_DATA_HOME or ~/.local/share, then
// "Corvesta/FITS/"). When it does not exist yet, the bundled folder (the application root's
// "FITS/") is copied into it first; the bundled folder itself is never written.
std::string DefaultScanRoot(const std::string& BundledFITS);
