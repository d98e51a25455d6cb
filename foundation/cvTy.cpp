#include "foundation/cvTy.h"

#include <cmath>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

TRePoint MakePoint(double X, double Y) { return TRePoint{X, Y}; }

TRePoint MakePoint2(double X, double Y) { return MakePoint(X, Y); }

TReRect MakeReRect(double X1, double X2, double Y1, double Y2) {
  TReRect r;
  r.X1 = X1;
  r.Y1 = Y1;
  r.X2 = X2;
  r.Y2 = Y2;
  return r;
}

double MinRe(double A, double B) { return A < B ? A : B; }

double MaxRe(double A, double B) { return B > A ? B : A; }

int32_t MinIn(int32_t A, int32_t B) { return A < B ? A : B; }

void SwapRe(double& A, double& B) { std::swap(A, B); }

void SwapIn(int32_t& A, int32_t& B) { std::swap(A, B); }

void SwapStr(std::string& A, std::string& B) { A.swap(B); }

double CycMean(double A, double B, double WA, double WB, double P) {
  if (B < A) {
    std::swap(A, B);
    std::swap(WA, WB);  // the weights follow their values
  }
  double m = (WA * A + WB * B) / (WA + WB);
  if (B - A > (A + P) - B) m = m >= P / 2 ? m - P / 2 : m + P / 2;
  return m;
}

int32_t DigitsForDiff(double A, double B) {
  if (A * B > 0) {
    double r = std::fabs((B - A) / ((A + B) / 2));
    if (r == 0) return 0;
    int32_t k = 0;
    while (r < 1) {  // at most ~330 steps even for the smallest subnormal
      r *= 10;
      ++k;
    }
    return k;
  }
  double m = A * B < 0 ? std::fmax(std::fabs(A), std::fabs(B)) : std::fabs(A + B);
  if (m > 100000) return 5;
  if (!(m >= 0)) return 0;  // not a number
  // rounded half to even (the default rounding mode), then its decimal digits
  long r = std::lrint(m);
  int32_t n = 1;
  while (r >= 10) {
    r /= 10;
    ++n;
  }
  return n;
}

void SegPointOffset(int32_t N, int32_t I, double X1, double Y1, double X2, double Y2, double D,
                    double& X, double& Y) {
  double t = N > 1 ? static_cast<double>(I) / (N - 1) : 0.0;
  double dx = X2 - X1, dy = Y2 - Y1;
  X = X1 + t * dx;
  Y = Y1 + t * dy;
  double L = std::sqrt(dx * dx + dy * dy);
  if (L != 0) {
    X += D * (-dy / L);
    Y += D * (dx / L);
  }
}

// ---- live objects ----

namespace {
struct LiveRegistry {
  std::mutex lock;
  std::unordered_set<const void*> live;
};
LiveRegistry& Registry() {
  static LiveRegistry* r = new LiveRegistry;  // never destroyed: objects may outlive statics
  return *r;
}
void Register(const void* p) {
  LiveRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.live.insert(p);
}
void Unregister(const void* p) {
  LiveRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.live.erase(p);
}
}  // namespace

TLiveObject::TLiveObject() { Register(this); }

TLiveObject::TLiveObject(const TLiveObject&) { Register(this); }

TLiveObject::~TLiveObject() { Unregister(this); }

bool TLiveObject::IsLiveAddress(const void* P) {
  LiveRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  return r.live.count(P) != 0;
}

bool BadObjPointer(const TLiveObject* P) {
  if (P == nullptr) return true;
  uint64_t a = reinterpret_cast<uintptr_t>(P);
  if (a % alignof(TLiveObject) != 0)
    WARNAbs(">$" + IntHex8(static_cast<uint32_t>(a >> 32)) + ":" +
            IntHex8(static_cast<uint32_t>(a)));
  return !TLiveObject::IsLiveAddress(P);
}
