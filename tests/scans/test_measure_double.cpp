// The slit measurements' line centres and moments that work in double, against the long-double
// forms they replaced, on every slit pixel of the demo scan and of the slit bench's generated
// scan: the centres within 1e-12 relative, and so the columns made from them (centres of gravity
// of class-5 profiles; the I+-V centres, the field from their split on the scale of a one-pixel
// split); the equivalent widths and the V moments within 1e-12 relative.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include <unistd.h>

#include "foundation/cvCentre.h"
#include "foundation/cvJob.h"
#include "foundation/cvPhys.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "support/CentresLongDouble.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

struct TWorst {
  double Centre = 0, Field = 0, Width = 0, Moment = 0;
  int64_t Pixels = 0, Class5 = 0;
};

double Rel(double a, double b) {
  return a == b ? 0 : std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
}

// Every slit pixel of the scan in Dir measured, its centres recomputed in long double.
void Compare(const std::string& Dir, TWorst& W) {
  TLFITS scan;
  TJob job("measure");
  TJobScope scope(job);
  scan.Link(Dir);
  scan.SetOptions(350, 350, 1.0, 20);
  ASSERT_TRUE(scan.LoadHeaders(job) && scan.LoadData(job));
  ASSERT_TRUE(scan.CalcIntegrVal(job));
  const double lam[3] = {0, 6301.5, 6302.5}, g[3] = {0, 1.669, 2.487};
  for (const auto& file : scan.Files) {
    TFITS& f = *file;
    const double cd = std::fabs(f.CDELT1);
    const double ws[3] = {0, std::fabs(350.0 / 1000 / f.CDELT1), std::fabs(350.0 / 1000 / f.CDELT1)};
    // the field of a one-pixel split: the scale of the field's differences
    const double unit[3] = {0, std::fabs(BFromSplit(cd * 1000 / 2, lam[1], g[1])),
                            std::fabs(BFromSplit(cd * 1000 / 2, lam[2], g[2]))};
    TAIn I, V, pixels;
    TARe values;
    for (int32_t y = 1; y <= f.nY; ++y) {
      if (!f.GetCol3(y, 1, I) || !f.GetCol3(y, 4, V)) continue;
      ++W.Pixels;
      if (f.AClass[static_cast<size_t>(y)] == 5) {
        double g1 = 0, g2 = 0;
        f.CalcCGrav5(y, I, g1, values, pixels, g2);
        const double r1 = plain::LineCenter1_IR(pixels[1], pixels[3], I);
        const double r2 = plain::LineCenter1_IR(pixels[3], pixels[5], I);
        W.Centre = std::max({W.Centre, Rel(f.AGRC1[static_cast<size_t>(y)], r1),
                             Rel(f.AGRC2[static_cast<size_t>(y)], r2)});
        ++W.Class5;
      }
      const double norm = f.Normaliser(y);
      TARe ap(static_cast<size_t>(f.nLam) + 1, 0.0), am(ap), pn(ap), vn(ap);
      for (int32_t j = 1; j <= f.nLam; ++j) {
        const double p = I[static_cast<size_t>(j)] / norm, v = V[static_cast<size_t>(j)] / norm;
        ap[static_cast<size_t>(j)] = 1 - (p + v);
        am[static_cast<size_t>(j)] = 1 - (p - v);
        pn[static_cast<size_t>(j)] = p;
        vn[static_cast<size_t>(j)] = v;
      }
      const double gr[3] = {0, f.AGRC1[static_cast<size_t>(y)], f.AGRC2[static_cast<size_t>(y)]};
      for (int n = 1; n <= 2; ++n) {
        const double lo = std::clamp(gr[n] - ws[n], 1.0, double(f.nLam));
        const double hi = std::clamp(gr[n] + ws[n], 1.0, double(f.nLam));
        if (!(lo < hi)) continue;
        const double cp = LineCenter_d(ap, lo, hi), cm = LineCenter_d(am, lo, hi);
        const double rp = plain::LineCenter_d(ap, lo, hi), rm = plain::LineCenter_d(am, lo, hi);
        W.Centre = std::max({W.Centre, Rel(cp, rp), Rel(cm, rm)});
        const double h = BFromSplit(cd * (cm - cp) * 1000 / 2, lam[n], g[n]);
        const double hr = BFromSplit(cd * (rm - rp) * 1000 / 2, lam[n], g[n]);
        W.Field = std::max(W.Field, std::fabs(h - hr) / unit[n]);
        // the column is the double form's
        EXPECT_EQ((n == 1 ? f.AHG1 : f.AHG2)[static_cast<size_t>(y)], std::isfinite(h) ? h : 0);
        // the equivalent width and the V moment against their extended sums
        const double w = cd * 1000 * plain::AReMoment0(pn, lo, hi, 1.0);
        const double mA = f.CDELT1 * 1000;
        const double vm = plain::AReMoment1(vn, lo, hi, gr[n]) * mA * mA;
        W.Width = std::max(W.Width, Rel((n == 1 ? f.AW1 : f.AW2)[static_cast<size_t>(y)], w));
        W.Moment = std::max(W.Moment, Rel((n == 1 ? f.AVM1 : f.AVM2)[static_cast<size_t>(y)], vm));
      }
    }
  }
}

TEST(SlitMeasureDouble, CentresWithin1e12OfTheLongDoubleForms) {
  TWorst demo, bench;
  Compare(testsupport::SourceRoot() + "/data/FITS/2019_06/20190622_164505", demo);
  // the slit bench's scan (its first two slit files)
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("cv_measure_double_" + std::to_string(::getpid()));
  TScanGenOptions o;
  o.Files = 2;
  o.NY = 1024;
  Compare(GenerateScan(root.string(), o), bench);
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  for (const auto& [name, w] : {std::pair<const char*, const TWorst*>{"demo", &demo},
                                 std::pair<const char*, const TWorst*>{"bench", &bench}})
    std::printf("%s: %lld pixels (%lld of class 5), centres %.3g, field %.3g, widths %.3g, "
                "V moments %.3g\n",
                name, static_cast<long long>(w->Pixels), static_cast<long long>(w->Class5),
                w->Centre, w->Field, w->Width, w->Moment);
  EXPECT_GT(demo.Pixels, 1000);
  EXPECT_GT(bench.Class5, 100);
  for (const TWorst* w : {&demo, &bench}) {
    EXPECT_LE(w->Centre, 1e-12);
    EXPECT_LE(w->Field, 1e-12);
    EXPECT_LE(w->Width, 1e-12);
    EXPECT_LE(w->Moment, 1e-12);
  }
}

}  // namespace
