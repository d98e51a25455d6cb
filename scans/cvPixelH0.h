// Line parameters of one slit pixel ("Calc HH"): centres of gravity of both Fe I lines, their
// positions held to the known separation, equivalent widths, the centres of I + V and I - V, the
// first moments of V and the longitudinal field from each.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TFITS;

struct TH0Values {
  double EW1 = 0, EW2 = 0;        // equivalent widths, mA
  double MV1 = 0, MV2 = 0;        // first moments of V about the centres of gravity, mA^2
  double BMom1 = 0, BMom2 = 0;    // field from MV / EW, G (0 for an equivalent width of 0)
  double BCog1 = 0, BCog2 = 0;    // field from the I - V and I + V centres, G
  double CG1 = 0, CG2 = 0;        // centres of gravity, pixels
  double Win1Lo = 0, Win1Hi = 0, Win2Lo = 0, Win2Hi = 0;  // integration windows, pixels
  double Lc1 = 0, Lc2 = 0;        // line centres, pixels
  double CIpV1 = 0, CImV1 = 0, CIpV2 = 0, CImV2 = 0;      // centres of I + V and I - V

  // The 20 values with their names, in the order above.
  std::vector<std::pair<std::string, double>> Named() const;
};

// Slit pixel IY (0-based) of F with window half widths W1, W2 (mA), V scale KV and continuum
// factor KRC. The windows are kept inside 1..nLam. False (values left 0, with the message) when
// the data cannot be loaded or IY is outside the slit.
bool CalcH0Pixel(TFITS& F, int32_t IY, double W1, double W2, double KV, double KRC,
                 TH0Values& Out);
