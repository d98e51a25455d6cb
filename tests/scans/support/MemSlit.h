// A slit file in memory for the measurement tests: the scan's wavelength references and the
// file's header fields of a 112-point Fe I pair slit with NY pixels (data left for the caller).
#pragma once

#include <cstdint>

#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"

namespace memslit {

constexpr double kStep = 0.021549;  // Å per wavelength pixel; pixel 56.5 is 6302.08 Å

inline void SetUpHeader(TLFITS& Scan, TFITS& F, int32_t NY) {
  Scan.Link("/nonexistent/2019_06/20190622_164505");
  Scan.SetOptions(350, 350, 1.0, 20);
  Scan.RefCDELT1 = kStep;
  Scan.RefCRPIX1 = 56.5;
  Scan.RefCRVAL1 = 6302.08;
  Scan.Refs.ALam.assign(113, 0.0);
  for (int i = 1; i <= 112; ++i) Scan.Refs.ALam[i] = (i - 56.5) * kStep + 6302.08;
  F.Owner = &Scan;
  F.IXI = 0;
  F.NAXIS = 3;
  F.NAXIS1 = F.nLam = 112;
  F.NAXIS2 = F.nY = NY;
  F.NAXIS3 = 4;
  F.CDELT1 = kStep;
  F.CRPIX1 = 56.5;
  F.CRVAL1 = 6302.08;
  F.kStep = 0b111;
}

}  // namespace memslit
