#include "app/cvGIFPict.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/cvGLib.h"

namespace {

// Bytes blue, green, red of a 0x00BBGGRR colour as they lie in a 24-bit row.
struct TBGR {
  uint8_t B, G, R;
  explicit TBGR(uint32_t C)
      : B(uint8_t((C >> 16) & 0xFF)), G(uint8_t((C >> 8) & 0xFF)), R(uint8_t(C & 0xFF)) {}
  bool At(const uint8_t* P) const { return P[0] == B && P[1] == G && P[2] == R; }
};

void Fill(TBitmap& B, uint32_t Color) {
  const TBGR C(Color);
  const int32_t W = B.Width();
  if (W <= 0 || B.Height() <= 0) return;
  uint8_t* First = B.ScanLine(0);
  for (int32_t x = 0; x < W; ++x) {
    First[3 * x] = C.B;
    First[3 * x + 1] = C.G;
    First[3 * x + 2] = C.R;
  }
  for (int32_t y = 1; y < B.Height(); ++y) std::memcpy(B.ScanLine(y), First, size_t(W) * 3);
}

// The overlap of Dst (at 0, 0) with Src placed so that Src's (OX, OY) lands on Dst's (0, 0):
// Dst columns X0..X1, rows Y0..Y1 (exclusive ends).
bool Overlap(const TBitmap& Dst, const TBitmap& Src, int32_t OX, int32_t OY, int32_t& X0,
             int32_t& X1, int32_t& Y0, int32_t& Y1) {
  X0 = std::max(0, -OX);
  Y0 = std::max(0, -OY);
  X1 = std::min(Dst.Width(), Src.Width() - OX);
  Y1 = std::min(Dst.Height(), Src.Height() - OY);
  return X0 < X1 && Y0 < Y1;
}

void CopyOverlap(TBitmap& Dst, const TBitmap& Src, int32_t OX, int32_t OY) {
  int32_t X0, X1, Y0, Y1;
  if (!Overlap(Dst, Src, OX, OY, X0, X1, Y0, Y1)) return;
  const size_t N = size_t(X1 - X0) * 3;
  for (int32_t y = Y0; y < Y1; ++y)
    std::memcpy(Dst.ScanLine(y) + size_t(X0) * 3, Src.ScanLine(y + OY) + size_t(X0 + OX) * 3, N);
}

}  // namespace

// ---------------------------------------------------------------- layer

void TGIFLayer::MakeRuns(uint32_t Color) {
  RowStart_.assign(Bmp ? size_t(Bmp->Height()) + 1 : 1, 0);
  Runs_.clear();
  if (Bmp) {
    const TBGR C(Color);
    const int32_t W = Bmp->Width();
    for (int32_t y = 0; y < Bmp->Height(); ++y) {
      const uint8_t* P = Bmp->ScanLine(y);
      int32_t x = 0;
      while (x < W) {
        while (x < W && C.At(P + 3 * x)) ++x;
        const int32_t a = x;
        while (x < W && !C.At(P + 3 * x)) ++x;
        if (x > a) Runs_.emplace_back(a, x);
      }
      RowStart_[size_t(y) + 1] = int32_t(Runs_.size());
    }
  }
  RunsOf_ = Color;
}

const std::pair<int32_t, int32_t>* TGIFLayer::Runs(int32_t Y, uint32_t Color, int32_t& Count) {
  if (RunsOf_ != Color) MakeRuns(Color);
  Count = 0;
  if (Y < 0 || size_t(Y) + 1 >= RowStart_.size()) return nullptr;
  Count = RowStart_[size_t(Y) + 1] - RowStart_[size_t(Y)];
  return Runs_.data() + RowStart_[size_t(Y)];
}

// ---------------------------------------------------------------- composition

void GIFMakeWork(const TBitmap& Src, TGIFLayer& Work) {
  const int32_t W = Src.Width(), H = Src.Height() / 2;
  if (!Work.Bmp)
    Work.Bmp = std::make_unique<TBitmap>(W, H);
  else
    Work.Bmp->SetSize(W, H);
  Work.Changed();
  if (W <= 0 || H <= 0) return;
  CopyBMPRect(Work.Bmp.get(), TRect{0, 0, W, H}, &Src, TRect{0, 0, Src.Width(), Src.Height()});
}

void GIFDrawAt(TBitmap& Pict, TGIFLayer& Work, int32_t OrigX, int32_t OrigY, bool Transparent,
               uint32_t Bk) {
  if (!Work.Bmp) return;
  const TBitmap& S = *Work.Bmp;
  if (!Transparent) {
    Fill(Pict, Bk);
    CopyOverlap(Pict, S, OrigX, OrigY);
    return;
  }
  int32_t X0, X1, Y0, Y1;
  if (!Overlap(Pict, S, OrigX, OrigY, X0, X1, Y0, Y1)) return;
  // source columns X0 + OrigX .. X1 + OrigX of the runs that differ from the background
  const int32_t S0 = X0 + OrigX, S1 = X1 + OrigX;
  for (int32_t y = Y0; y < Y1; ++y) {
    int32_t n = 0;
    const std::pair<int32_t, int32_t>* R = Work.Runs(y + OrigY, Bk, n);
    const uint8_t* Src = S.ScanLine(y + OrigY);
    uint8_t* Dst = Pict.ScanLine(y);
    for (int32_t i = 0; i < n; ++i) {
      const int32_t a = std::max(R[i].first, S0), b = std::min(R[i].second, S1);
      if (a < b)
        std::memcpy(Dst + size_t(a - OrigX) * 3, Src + size_t(a) * 3, size_t(b - a) * 3);
    }
  }
}

bool GIFCompose(TGIFPictures& P, int32_t OrigX, int32_t OrigY, uint32_t Bk) {
  if (!P.Pict) return false;
  if (P.Back) {
    CopyOverlap(*P.Pict, *P.Back, 0, 0);
    GIFDrawAt(*P.Pict, P.Work, OrigX, OrigY, true, Bk);
    return true;
  }
  if (!P.Work.Bmp) return false;
  GIFDrawAt(*P.Pict, P.Work, OrigX, OrigY, false, Bk);
  return true;
}

void GIFPaint(TBitmap& View, const TBitmap& Pict) { CopyOverlap(View, Pict, 0, 0); }

bool GIFFreeze(TGIFPictures& P, int32_t OrigX, int32_t OrigY, uint32_t Bk) {
  if (!P.Back) return false;
  Fill(*P.Back, Bk);
  if (P.Pict && P.Work.Bmp) {
    GIFDrawAt(*P.Pict, P.Work, OrigX, OrigY, false, Bk);
    CopyOverlap(*P.Back, *P.Pict, 0, 0);
  }
  BMPAddColors(P.Back.get(), 'R');
  if (P.Work.Bmp) {
    Fill(*P.Work.Bmp, Bk);
    P.Work.Changed();
  }
  if (P.Pict) Fill(*P.Pict, Bk);
  return true;
}

// ---------------------------------------------------------------- lines

std::vector<int32_t> GIFGuideLineYs(int32_t P3, int32_t P4, int32_t N) {
  std::vector<int32_t> Y;
  if (P4 == 0 || N < 2) return Y;
  const int32_t d = P4 - P3;
  for (int32_t i = 0; i < N; ++i) Y.push_back(P3 + d * 15 / 100 + (d * 60 / 100) * i / (N - 1));
  return Y;
}

void GIFHLine(TBitmap& B, int32_t Y, uint32_t Color) {
  if (Y < 0 || Y >= B.Height()) return;
  const TBGR C(Color);
  uint8_t* P = B.ScanLine(Y);
  for (int32_t x = 0; x < B.Width(); ++x, P += 3) {
    P[0] = C.B;
    P[1] = C.G;
    P[2] = C.R;
  }
}

std::vector<int32_t> GIFReperLineYs(int32_t Y1, int32_t Y3) {
  std::vector<int32_t> Y;
  if (Y1 != 0) Y.push_back(Y1);
  if (Y3 != 0) {
    Y.push_back(Y3);
    Y.push_back((Y1 + Y3) / 2);
  }
  return Y;
}

double GIFScreenScale(double DiagInches, int32_t W, int32_t H) {
  const double d = std::sqrt(double(W) * W + double(H) * H);
  return d > 0 ? DiagInches * 600 / d : 0;
}

// ---------------------------------------------------------------- the demo picture

std::unique_ptr<TBitmap> SpectrogramPicture(int32_t W, int32_t H) {
  auto B = std::make_unique<TBitmap>(W, H);
  Fill(*B, 0xFFFFFF);
  // the strip: rows a..b, continuum grey 200 with a slight slope
  const int32_t a = H / 4, b = H - H / 4;
  // absorption lines: centre (fraction of the width), depth, half width in pixels
  struct TLine {
    double X, Depth, Sigma;
  };
  const TLine Lines[] = {{0.18, 0.35, 3.0}, {0.33, 0.55, 5.0}, {0.50, 0.80, 9.0},
                         {0.62, 0.45, 4.0}, {0.80, 0.70, 7.0}};
  for (int32_t y = a; y < b; ++y) {
    // the line cores deepen toward the strip's centre line (a vertical cut's profile)
    const double t = 1.0 - std::abs(2.0 * (y - a) / double(b - a - 1) - 1.0);
    uint8_t* P = B->ScanLine(y);
    for (int32_t x = 0; x < W; ++x) {
      double I = 200.0 + 20.0 * x / std::max(1, W - 1);
      double f = 1;
      for (const TLine& L : Lines) {
        const double u = (x - L.X * W) / L.Sigma;
        f *= 1 - L.Depth * (0.6 + 0.4 * t) * std::exp(-0.5 * u * u);
      }
      const uint8_t g = uint8_t(std::lround(I * f));
      P[3 * x] = P[3 * x + 1] = P[3 * x + 2] = g;
    }
  }
  return B;
}
