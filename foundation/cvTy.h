// Shared array types and small records.
// TARe, TAIn and the rows of TARe2 are 1-based: N values live at 1..N in an array of length N+1,
// element 0 is not data. The raw buffers TAWd, TABt, TAR4 and the 2-D picture tables are 0-based.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using TARe = std::vector<double>;
using TAIn = std::vector<int32_t>;
using TAWd = std::vector<uint16_t>;
using TABt = std::vector<uint8_t>;
using TAR4 = std::vector<float>;
using TColor = uint32_t;  // 0x00BBGGRR, the program's colour values
using TAColor = std::vector<TColor>;
using TARe2 = std::vector<TARe>;
using TAReRe = std::vector<std::vector<double>>;
using TAInIn = std::vector<std::vector<int32_t>>;
using TAR4R4 = std::vector<std::vector<float>>;
using TAByBy = std::vector<std::vector<uint8_t>>;

struct TRePoint {
  double X = 0, Y = 0;
};
using TPointsArray = std::vector<TRePoint>;

struct TReRect {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct T2ARe {
  TARe X, Y;
};

struct T3ARe {
  TARe A1, A2, A3;
};

// Number of values of a 1-based array (length - 1, 0 for an empty one).
template <class V>
inline int NOf(const V& a) {
  return a.empty() ? 0 : static_cast<int>(a.size()) - 1;
}

// ---- small value routines ----
TRePoint MakePoint(double X, double Y);
TRePoint MakePoint2(double X, double Y);
// Note the argument order: both X bounds first, then both Y bounds.
TReRect MakeReRect(double X1, double X2, double Y1, double Y2);

double MinRe(double A, double B);
double MaxRe(double A, double B);
int32_t MinIn(int32_t A, int32_t B);
void SwapRe(double& A, double& B);
void SwapIn(int32_t& A, int32_t& B);
void SwapStr(std::string& A, std::string& B);

// Weighted mean of two values on a periodic scale of period P (azimuths: P = 180). Each weight
// stays with its own value; when the two lie more than half a period apart the mean is moved by
// P/2 (down when it is at least P/2, else up).
double CycMean(double A, double B, double WA, double WB, double P);

// How many digits a printed value needs to tell A from B: for equal signs the number of decimal
// shifts that bring the relative difference to 1 or more (0 when A = B); otherwise the number of
// digits of the rounded larger magnitude (|A + B| when one is zero), 5 above 100000.
int32_t DigitsForDiff(double A, double B);

// Point I (0 .. N-1) of N evenly spaced points from (X1, Y1) to (X2, Y2), moved a distance D along
// the left normal (the direction first-to-second end turned 90 degrees counter-clockwise).
// N <= 1 gives the first end; a zero-length segment is not offset.
void SegPointOffset(int32_t N, int32_t I, double X1, double Y1, double X2, double Y2, double D,
                    double& X, double& Y);

// Objects whose references BadObjPointer can test. Every live instance is registered by address
// while it exists, so a test never has to read the memory a stale reference points to.
class TLiveObject {
 public:
  TLiveObject();
  TLiveObject(const TLiveObject&);
  TLiveObject& operator=(const TLiveObject&) { return *this; }
  virtual ~TLiveObject();
  // True while an object lives at this address.
  static bool IsLiveAddress(const void* P);
};

// True when P does not lead to a live object (nullptr included). A reference that cannot be an
// object at all (misaligned) is warned about through WARNAbs with ">" + its address text.
bool BadObjPointer(const TLiveObject* P);
