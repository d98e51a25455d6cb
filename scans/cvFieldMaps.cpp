// The field, centre-of-gravity and wing maps of a scan: five runs over the slit files that fill
// the bank OuAny[k, n] from the slit files' result bank ArN2[k][n] (element y + 1 into map
// element [ix][y]). Each run is a job: progress per slit file, cancel between files releases the
// maps the run set up (none left calculated). At the end every map of the run gets kLoad bit 3
// and its statistics.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

namespace {

// One map of a run: its bank slot [K, N] and its key.
struct TMapDef {
  int K = 0, N = 0;
  std::string Name, Title, Ver;
};

// What the measurement of one slit file gave: store its columns, skip the file (no data), or end
// the run at once (a message was given).
enum class TFileResult { Store, Skip, End };

std::string DateTimePart(const TLFITS& S) {
  return S.ScanName.size() > 6 ? S.ScanName.substr(6, 7) : std::string();
}

void Put(TFIOut* M, int32_t X, int32_t Y, double V) {
  if (M && X >= 0 && Y >= 0 && X < static_cast<int32_t>(M->aData.Rows()) &&
      Y < static_cast<int32_t>(M->aData.Cols()))
    M->aData.Line(static_cast<size_t>(Y))[X] = static_cast<float>(V);
}

double At(const TARe& Col, int32_t I) {
  return I >= 0 && I < static_cast<int32_t>(Col.size()) ? Col[static_cast<size_t>(I)] : 0.0;
}

// The common run: releases the bank rows Release (k ranges of both lines), sets up the maps in
// table order with zeroed data, then per slit file: progress, load, Measure, store, free in light
// mode. Finish marks and measures the maps at the end (false: nothing marked).
bool RunBank(TLFITS& S, TJob& Job, const std::vector<std::pair<int, int>>& Release,
             const std::vector<TMapDef>& Defs, const std::function<std::string(int32_t)>& Text,
             const std::function<TFileResult(TFITS&, int32_t)>& Measure) {
  for (const auto& [k1, k2] : Release)
    for (int k = k1; k <= k2; ++k)
      for (int n = 1; n <= 2; ++n) S.ReleaseSlot(S.OuAny.At(k, n));
  const int32_t nf = S.Count(), ny = S.ScanNY();
  for (const TMapDef& d : Defs) {
    TMapSlot& slot = S.OuAny.At(d.K, d.N);
    S.FOInitOwn(slot, d.Name, d.Title, d.Ver);
    if (TFIOut* m = slot.Get()) m->AssignMem(nf, ny);
  }
  auto releaseAll = [&] {
    for (const TMapDef& d : Defs) S.ReleaseSlot(S.OuAny.At(d.K, d.N));
  };
  for (int32_t ix = 0; ix < nf; ++ix) {
    if (!Job.Step(ix, nf, Text(ix))) {
      releaseAll();
      return false;
    }
    TFITS& f = *S.Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      const TFileResult r = Measure(f, ix);
      if (r == TFileResult::End) return false;
      if (r == TFileResult::Store)
        for (const TMapDef& d : Defs) {
          TFIOut* m = S.OuAny.At(d.K, d.N).Get();
          const TARe& col = f.ArN2[static_cast<size_t>(d.K)][static_cast<size_t>(d.N)];
          for (int32_t y = 0; y < ny; ++y) Put(m, ix, y, At(col, y + 1));
        }
    }
    if (S.Light) f.FreeAll();
  }
  Job.Step(nf, nf, Text(std::max(nf - 1, 0)));
  return true;
}

// Bit 3 of kLoad and the statistics of each map of the run that holds data.
void FinishAll(TLFITS& S, const std::vector<TMapDef>& Defs) {
  for (const TMapDef& d : Defs) {
    TFIOut* m = S.OuAny.At(d.K, d.N).Get();
    if (!m || m->aData.empty()) continue;
    m->kLoad |= 8;
    m->MinMaxMean();
  }
}

std::string Digit(int N) { return IntStr(N); }

const std::string kPM = "\xB1";  // the plus-minus sign of code page 1251
const std::string kCrLf = "\r\n";

}  // namespace

bool TLFITS::Calc_W_Mom(TJob& Job) {
  TTimedSection timed("LFITS.Calc_W_Mom");
  static const char* kInputs[] = {"CONT", "CONT2", "LIV1", "LIV2", "LBob1", "LBor1", "LBob2",
                                  "LBor2"};
  // Columns of another scan size would be read at the wrong pixels: refused before the run.
  if (TLFIOut* reg = LFIOOrNull())
    for (const char* name : kInputs) {
      const TFIOut* m = reg->GetFIOutDT(ScanDa(), ScanTi(), name);
      if (m && m->kLoad >= 2 && (m->nX != Count() || m->nY != ScanNY())) {
        WARNAbs("LFITS.Calc_W_Mom: карта "_cp + name + " размера ["_cp + IntStr(m->nX) + "," +
                IntStr(m->nY) + "], а сеанс ["_cp + IntStr(Count()) + "," + IntStr(ScanNY()) +
                "]");
        return false;
      }
    }
  std::vector<TMapDef> defs;
  const char* names[] = {"WI", "BMV", "BML", "Gm", "Xi", "BLq", "BLu"};
  for (int k = 1; k <= 7; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = Digit(n);
      const std::string titles[] = {"Equivalent Width for 630" + l + " Bound+12pix",
                                    "B longitudinal for 630" + l + " Bound+12pix",
                                    "B transversal for 630" + l + " Bound+12pix",
                                    "Field Inclination for 630" + l,
                                    "Field Azimuth for 630" + l,
                                    "B_trans Along Xi for 630" + l,
                                    "B_trans Across Xi for 630" + l};
      defs.push_back({k, n, names[k - 1] + l, titles[k - 1], "2025_03"});
    }
  const std::string dt = DateTimePart(*this);
  const int32_t n = Count();
  const bool ok = RunBank(
      *this, Job, {}, defs,
      [&](int32_t ix) {
        return dt + " LFITS.Calc_W_Mom|iX=" + ZeroPad(ix + 1, 4) + "/" + IntStr(n);
      },
      [&](TFITS& f, int32_t ix) {
        int32_t code = 0;
        if (!f.MapPairMean("CONT", "CONT2", f.ACnt, code)) {
          WARNAbs("LFITS.Calc_W_Mom ERR=" + IntStr(code) + " IX=" + IntStr(ix) + kCrLf +
                  "Не удаётся заполнить FITS.ACnt из CONT+CONT2!"_cp);
          return TFileResult::End;
        }
        TARe* cols[] = {&f.AGRC1, &f.AGRC2, &f.ALWb1, &f.ALWr1, &f.ALWb2, &f.ALWr2};
        for (int i = 0; i < 6; ++i)
          if (!f.MapRow(kInputs[i + 2], *cols[i])) {
            WARNAbs("LFITS.Calc_W_Mom не загружена карта "_cp + kInputs[i + 2]);
            return TFileResult::End;
          }
        f.CalcWMom();
        return TFileResult::Store;
      });
  if (ok) FinishAll(*this, defs);
  return ok;
}

bool TLFITS::Calc_LIV(TJob& Job) {
  TTimedSection timed("LFITS.Calc_LIV");
  std::vector<TMapDef> defs;
  for (int k = 1; k <= 4; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = Digit(n);
      const std::string names[] = {"LIV", "LBIV", "L-Wb", "L-Wr"};
      const std::string titles[] = {"L_COG by I" + kPM + "V for 630" + l + " at d[0.4..0.6]",
                                    "LB by I" + kPM + "V for 630" + l + " at d[0.4..0.6]",
                                    "L_FWHD_I" + kPM + "V_blue for 630" + l,
                                    "L_FWHD_I" + kPM + "V_red for 630" + l};
      defs.push_back({k, n, names[k - 1] + l, titles[k - 1], "2025_03"});
    }
  const std::string dt = DateTimePart(*this);
  const int32_t n = Count();
  const int width = static_cast<int>(IntStr(n).size());
  const bool ok = RunBank(
      *this, Job, {{1, 4}}, defs,
      [&](int32_t ix) {
        return "LFITS.Calc_LIV[" + dt + "]iX=" + ZeroPad(ix + 1, width) + "/" + IntStr(n);
      },
      [&](TFITS& f, int32_t) {
        int32_t code = 0;
        if (!f.MapPairMean("CONT", "CONT2", f.ACnt, code)) {
          WARNAbs("LFITS.Calc_LIV ERR=" + IntStr(code) + kCrLf +
                  "Не удаётся заполнить FITS.ACnt из CONT+CONT2!"_cp);
          return TFileResult::End;
        }
        f.CalcLIV();
        return TFileResult::Store;
      });
  if (!ok) return false;
  FinishAll(*this, defs);
  for (const TMapDef& d : defs) {
    const TMapSlot& s = OuAny.At(d.K, d.N);
    if (!s.Get())
      WARNAbs("LFITS.Calc_LIV ERR Ou[" + IntStr(d.K) + "," + IntStr(d.N) + "] <" + d.Name +
              "> kRun=$00000000");
  }
  return true;
}

bool TLFITS::CalcIV_COG(TJob& Job) {
  TTimedSection timed("LFITS.CalcIV_COG");
  if (VW1 == 0 && VW2 == 0) {
    WARNAbs(
        "FITS.CalcIVcog=ERR: В cvFITS файле не заданы константы \r\n"
        "которые определяют средние скорости для 6301 и 6302"_cp);
    return false;
  }
  std::vector<TMapDef> defs;
  for (int k = 1; k <= 18; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = Digit(n), j = IntStr(k <= 9 ? k : k - 9);
      const std::string bv = k <= 9 ? "B" : "V";
      defs.push_back({k, n, bv + l + "IV" + j,
                      bv + "(I" + kPM + "V) for 630" + l + " for Level " + j, "2022"});
    }
  defs.push_back({19, 1, "IV_asym", "(I" + kPM + "V) peak asymmetry %", "2022"});
  const int32_t n = Count();
  int32_t flat = 0;
  const double vw1 = VW1, vw2 = VW2;
  const bool ok = RunBank(
      *this, Job, {{1, 18}}, defs,
      [&](int32_t ix) { return "LFITS.CalcIV_COG|iX=" + ZeroPad(ix + 1, 4) + "/" + IntStr(n); },
      [&](TFITS& f, int32_t) {
        if (!f.ContFromMap()) f.GetContAll();
        f.CalcIVcog(vw1, vw2, &flat);
        return TFileResult::Store;
      });
  if (flat > 0)
    WARNAbs("LFITS.CalcIV_COG: " + IntStr(flat) +
            " line(s) without depth (flat or zero pixels): asymmetry 0, no slices");
  if (ok) FinishAll(*this, defs);
  return ok;
}

bool TLFITS::CalcIV_COG05(TJob& Job) {
  TTimedSection timed("LFITS.CalcIV_COG05");
  if (VW1 == 0 && VW2 == 0) {
    WARNAbs(
        "FITS.CalcIVcog05=ERR: В cvFITS файле не заданы константы \r\n"
        "$VW1 и $VW2, которые определяют средние скорости для 6301 и 6302"_cp);
    return false;
  }
  std::vector<TMapDef> defs;
  for (int k = 1; k <= 4; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = Digit(n), s = (k == 1 || k == 3) ? "06" : "03";
      const std::string bv = k <= 2 ? "B" : "V";
      defs.push_back({k, n, bv + l + "IV" + s,
                      bv + "(I" + kPM + "V) for 630" + l + " for Level 0." + s, "2022"});
    }
  const int32_t n = Count();
  const double vw1 = VW1, vw2 = VW2;
  const bool ok = RunBank(
      *this, Job, {{1, 4}}, defs,
      [&](int32_t ix) {
        return "LFITS.CalcIV_COG05|iX=" + ZeroPad(ix + 1, 4) + "/" + IntStr(n);
      },
      [&](TFITS& f, int32_t) {
        if (!f.ContFromMap()) f.GetContAll();
        f.CalcIVcog05(vw1, vw2);
        return TFileResult::Store;
      });
  if (ok) FinishAll(*this, defs);
  return ok;
}

bool TLFITS::CalcLW(TJob& Job) {
  TTimedSection timed("LFITS.CalcLW");
  std::vector<TMapDef> defs;
  for (int k = 1; k <= 3; ++k)
    for (int n = 1; n <= 2; ++n) {
      const std::string l = Digit(n);
      const std::string names[] = {"LWb", "LWr", "LWI"};
      const std::string titles[] = {"BlueWingPosition for 630" + l,
                                    "Red_WingPosition for 630" + l, "Level for WingPos for 630" + l};
      defs.push_back({k, n, names[k - 1] + l, titles[k - 1], "2022"});
    }
  const int32_t n = Count();
  const bool ok = RunBank(
      *this, Job, {{1, 3}}, defs,
      [&](int32_t ix) { return "LFITS.CalcLW|iX=" + ZeroPad(ix + 1, 4) + "/" + IntStr(n); },
      [&](TFITS& f, int32_t ix) {
        bool err = false;
        f.CalcLW(err);
        if (err) WARNAbs("CalcLW-Err iX=" + IntStr(ix));
        return TFileResult::Store;
      });
  if (ok) FinishAll(*this, defs);
  return ok;
}
