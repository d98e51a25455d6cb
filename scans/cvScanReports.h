// What the FITS tab shows of a scan before and after its measurements: the header comparison
// (fields the same in every file, fields that change), the main fields and the time line per
// file, the per-pixel table, and threshold statistics of the scan's maps under fixed filters.
// Each report is a new list the caller owns; null when the scan has no files or a comparison
// stops. Messages go through WARNAbs.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvTy.h"
#include "scans/cvFilters.h"

class TFITS;
class TLFITS;
class TStringList;

// ---- header comparison and per-file reports ----
std::unique_ptr<TStringList> HeaderSameReport(const TLFITS& Scan);
std::unique_ptr<TStringList> HeaderDiffReport(const TLFITS& Scan);
std::unique_ptr<TStringList> HeaderMainReport(const TLFITS& Scan);
// Also stores the scan's six mean temperatures (TLFITS::MeanTemps).
std::unique_ptr<TStringList> SlitTimeReport(TLFITS& Scan);
std::unique_ptr<TStringList> SlitTableSL(TLFITS& Scan);

// ---- one slit pixel ----
struct TIYData {
  double H1 = 0, H2 = 0, HG1 = 0, HG2 = 0, W1 = 0, W2 = 0, Cont = 0, Disp = 0, Qual = 0;
  double Vlos1 = 0, Vlos2 = 0;
};
// False (with the message) without an owner or before the scan's mean line positions exist.
bool GetIYData(TFITS& F, int32_t IY, TIYData& Out);
// The report line of slit pixel IY; empty (with the messages) when there are no values.
std::string ReportIY(TFITS& F, int32_t IY);

// ---- threshold statistics of a scan's maps (scan name yyyymmdd_hhmmss) ----
struct TStdFilters {
  double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;
};
// False (with the message, results 0) without the scan's map CB0.
bool MakeStdFilters(const std::string& ScanName, double LoW2QUV, double HiW2QUV,
                    TStdFilters& Out);
// BML1 and BML2 masked maxima, BIV filtered maximum and minimum under CB0 "0.3 2".
bool CalcBMLFilt(const std::string& ScanName, double& BML1Max, double& BML2Max, double& BIVMax,
                 double& BIVMin);

// The byte mask [x][y] of the first combination of the filters' levels over the maps of the scan
// (Da, Ti), of the first map's size; Count the pixels let through. False (mask empty) for an
// empty list or when a map is missing or holds no data.
bool FirstCombination(const TFiltList& L, const std::string& Da, const std::string& Ti,
                      TAByBy& Mask, int32_t& Count);
