#include "tools/scangen/cvScanGen.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "scans/cvFitsCard.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kC = 299792.4562;
constexpr double kStep = 0.021549, kCrVal = 6302.08, kCrPix = 56.5;
constexpr int kNLam = 112;

struct TStamp {
  int Y, Mo, D, H, Mi;
  double S;
};

int DaysIn(int Y, int Mo) {
  static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0;
  return Mo == 2 && leap ? 29 : d[Mo - 1];
}

TStamp Parse(const std::string& S) {
  TStamp t{};
  std::sscanf(S.c_str(), "%d-%d-%dT%d:%d:%lf", &t.Y, &t.Mo, &t.D, &t.H, &t.Mi, &t.S);
  return t;
}

TStamp AddSec(TStamp t, double Sec) {
  // whole milliseconds keep the text exact
  int64_t ms = std::llround(((t.H * 60 + t.Mi) * 60 + t.S) * 1000 + Sec * 1000);
  while (ms >= 86400000) {
    ms -= 86400000;
    if (++t.D > DaysIn(t.Y, t.Mo)) {
      t.D = 1;
      if (++t.Mo > 12) {
        t.Mo = 1;
        ++t.Y;
      }
    }
  }
  t.H = static_cast<int>(ms / 3600000);
  t.Mi = static_cast<int>(ms / 60000 % 60);
  t.S = static_cast<double>(ms % 60000) / 1000;
  return t;
}

std::string DateObs(const TStamp& t) {
  char b[40];
  const int ms = static_cast<int>(std::llround(t.S * 1000));
  std::snprintf(b, sizeof b, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.Y, t.Mo, t.D, t.H, t.Mi,
                ms / 1000, ms % 1000);
  return b;
}

std::string Compact(const TStamp& t) {
  char b[32];
  std::snprintf(b, sizeof b, "%04d%02d%02d_%02d%02d%02d", t.Y, t.Mo, t.D, t.H, t.Mi,
                static_cast<int>(t.S));
  return b;
}

std::string Num(double V) {
  char b[40];
  std::snprintf(b, sizeof b, "%.10g", V);
  std::string s = b;
  if (s.find_first_of(".eE") == std::string::npos) s += ".0";
  return s;
}

// A normal deviate from the seeded engine (Box-Muller, the same on every library).
double Gauss(std::mt19937& R) {
  const double u1 = (static_cast<double>(R()) + 1.0) / 4294967297.0;
  const double u2 = static_cast<double>(R()) / 4294967296.0;
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * kPi * u2);
}

uint16_t Word(double V, bool Unsigned) {
  double r = std::nearbyint(V);
  if (Unsigned)
    r = std::clamp(r, 0.0, 65535.0);
  else
    r = std::clamp(r, -32767.0, 32767.0);
  return static_cast<uint16_t>(static_cast<int32_t>(r) & 0xFFFF);
}

}  // namespace

TGenPixel GenPixel(const TScanGenOptions& Opt, int32_t X, int32_t Y) {
  TGenPixel p;
  const double nx = Opt.Files, ny = Opt.NY;
  if (Opt.OffLimb && Y > Opt.NY - 4) {
    p.Kind = 4;
    p.Ic = 300 + 10 * std::sin(0.7 * X + Y);
    return p;
  }
  if ((X == 2 && Y == Opt.NY / 2) || (X == Opt.Files - 3 && Y == 5)) {
    p.Kind = 3;
    return p;
  }
  const double bx = X - 0.6 * nx, by = Y - 0.6 * ny, rr = std::max(2.0, std::min(nx, ny) / 4);
  const double B = 1500 * std::exp(-(bx * bx + by * by) / (rr * rr));
  p.Ic = 22000 + 6000 * std::sin(0.37 * X + 0.21 * Y) * std::cos(0.13 * Y);
  p.Ic *= 1 - 0.25 * B / 1500;
  p.Ic = std::clamp(p.Ic, 15000.0, 30000.0);
  if ((X == 1 && Y == Opt.NY - 3) || (X == Opt.Files / 2 && Y == 3)) {
    p.Kind = 2;
    return p;
  }
  p.Kind = Y <= Opt.NY / 4 ? 1 : 0;
  p.B = p.Kind == 1 ? 0 : B;
  p.V = 0.8 * std::sin(0.5 * X) * std::cos(0.3 * Y);
  p.Lam1 = 6301.5008 * (1 + p.V / kC);
  p.Lam2 = 6302.4932 * (1 + p.V / kC);
  p.W1 = 4.15 * kStep * (1 + 0.03 * std::sin(0.4 * X + 0.1 * Y));
  p.W2 = 3.31 * kStep * (1 + 0.03 * std::cos(0.3 * X + 0.2 * Y));
  p.D1 = 0.68 + 0.02 * std::sin(0.25 * X - 0.15 * Y);
  p.D2 = 0.62 + 0.02 * std::cos(0.35 * X + 0.05 * Y);
  p.Gamma = 30 + 20 * std::sin(0.2 * X + 0.1 * Y);
  p.Chi = 40 + 30 * std::cos(0.15 * X - 0.25 * Y);
  return p;
}

std::string GenerateScan(const std::string& Root, const TScanGenOptions& Opt) {
  namespace fs = std::filesystem;
  TStamp t0 = Parse(Opt.Midnight ? "2019-06-22T23:59:30.000" : Opt.Start);
  const std::string name = Compact(t0);
  char month[16];
  std::snprintf(month, sizeof month, "%04d_%02d", t0.Y, t0.Mo);
  const fs::path folder = fs::path(Root) / month / name;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return "";
  std::mt19937 rng(Opt.Seed);
  std::ofstream truth(folder / "truth.txt", std::ios::binary);
  truth << "# synthetic scan " << name << ": one line per slit pixel\n"
        << "# x y kind Ic vlos_kms lam1 lam2 w1_A w2_A d1 d2 B_G gamma_deg chi_deg\n";
  const int ny = Opt.NY, nl = kNLam;
  std::vector<double> prof(static_cast<size_t>(4) * ny * nl);
  for (int x = 0; x < Opt.Files; ++x) {
    const TStamp t = AddSec(t0, x * Opt.StepSec);
    std::fill(prof.begin(), prof.end(), 0.0);
    for (int y = 1; y <= ny; ++y) {
      const TGenPixel p = GenPixel(Opt, x, y);
      char line[400];
      std::snprintf(line, sizeof line,
                    "%d %d %d %.3f %.5f %.5f %.5f %.6f %.6f %.4f %.4f %.2f %.3f %.3f\n", x, y,
                    p.Kind, p.Ic, p.V, p.Lam1, p.Lam2, p.W1, p.W2, p.D1, p.D2, p.B, p.Gamma,
                    p.Chi);
      truth << line;
      const double g = p.Gamma * kPi / 180, c = p.Chi * kPi / 180;
      for (int l = 1; l <= nl; ++l) {
        double I = p.Ic, Q = 0, U = 0, V = 0;
        if (p.Kind <= 1) {
          const double lam = kCrVal + (l - kCrPix) * kStep;
          const double lc[2] = {p.Lam1, p.Lam2}, w[2] = {p.W1, p.W2}, d[2] = {p.D1, p.D2};
          const double gl[2] = {1.669, 2.487}, l0[2] = {6301.5008, 6302.4932};
          for (int k = 0; k < 2; ++k) {
            const double u = (lam - lc[k]) / w[k], e = std::exp(-u * u);
            const double dI = -p.Ic * d[k] * (-2 * u * e / w[k]);
            const double d2I = -p.Ic * d[k] * ((4 * u * u - 2) * e / (w[k] * w[k]));
            const double dlB = 4.6686032e-13 * l0[k] * l0[k] * gl[k] * p.B;
            I -= p.Ic * d[k] * e;
            V += -dlB * std::cos(g) * dI;
            Q += -0.25 * dlB * dlB * std::sin(g) * std::sin(g) * std::cos(2 * c) * d2I;
            U += -0.25 * dlB * dlB * std::sin(g) * std::sin(g) * std::sin(2 * c) * d2I;
          }
        }
        if (Opt.Noise > 0 && p.Kind != 3) {
          I += Opt.Noise * Gauss(rng);
          Q += Opt.Noise * Gauss(rng);
          U += Opt.Noise * Gauss(rng);
          V += Opt.Noise * Gauss(rng);
        }
        const size_t at = static_cast<size_t>(y - 1) * nl + (l - 1), plane = size_t(ny) * nl;
        prof[at] = I;
        prof[plane + at] = Q;
        prof[2 * plane + at] = U;
        prof[3 * plane + at] = V;
      }
    }
    // header
    const double dop = -0.3 + 0.5 * std::sin(kPi * x / std::max(1, Opt.Files - 1)) + 0.01 * x;
    std::vector<std::string> cards;
    cards.push_back(FITCardStr("SIMPLE", "T", "conforms to FITS"));
    cards.push_back(FITCardI("BITPIX", 16, "16-bit signed words"));
    cards.push_back(FITCardI("NAXIS", Opt.Stokes4th ? 4 : 3, ""));
    cards.push_back(FITCardI("NAXIS1", nl, "wavelength"));
    cards.push_back(FITCardI("NAXIS2", ny, "slit pixels"));
    if (Opt.Stokes4th) {
      cards.push_back(FITCardI("NAXIS3", 1, ""));
      cards.push_back(FITCardI("NAXIS4", 4, "I Q U V"));
    } else {
      cards.push_back(FITCardI("NAXIS3", 4, "I Q U V"));
    }
    cards.push_back(FITCardQ("DATE_OBS", DateObs(t), "start of the exposure"));
    cards.push_back(FITCardI("DATA_LEV", 1, "level-1 data"));
    cards.push_back(FITCardStr("EXPTIME", Num(4.8), "s"));
    cards.push_back(FITCardI("SPBSHFT", Opt.Spbshft, "halved parameters"));
    cards.push_back(FITCardI("SPNINT", Opt.Spnint, "exposures per slit position"));
    cards.push_back(FITCardI("SCN_SUM", Opt.ScnSum, "slit positions summed"));
    cards.push_back(FITCardI("SCN_STEP", Opt.ScnStep, "slit steps between positions"));
    cards.push_back(FITCardI("NSLITPOS", Opt.Files, "slit positions of the scan"));
    cards.push_back(FITCardI("SLITINDX", x, "slit index"));
    cards.push_back(FITCardI("SLITPOS", x, "slit position"));
    cards.push_back(FITCardStr("XCEN", Num(-350 + (x - Opt.Files / 2) * 0.2972), "arcsec"));
    cards.push_back(FITCardStr("XSCALE", Num(0.2972), "arcsec per slit step"));
    cards.push_back(FITCardStr("FOVX", Num(Opt.Files * 0.2972), "arcsec"));
    cards.push_back(FITCardStr("YCEN", Num(120.5), "arcsec"));
    cards.push_back(FITCardStr("YSCALE", Num(0.3199), "arcsec per pixel"));
    cards.push_back(FITCardStr("FOVY", Num(ny * 0.3199), "arcsec"));
    cards.push_back(FITCardStr("CRVAL1", Num(kCrVal), "A"));
    cards.push_back(FITCardStr("CDELT1", Num(Opt.NegCdelt ? -kStep : kStep), "A per pixel"));
    cards.push_back(FITCardStr("CRPIX1", Num(kCrPix), ""));
    cards.push_back(FITCardStr("CRVAL2", Num(120.5), "arcsec"));
    cards.push_back(FITCardStr("CDELT2", Num(0.3199), "arcsec per pixel"));
    cards.push_back(FITCardStr("CRPIX2", Num((ny + 1) / 2.0), ""));
    cards.push_back(FITCardQ("CTYPE1", "WAVELENGTH", ""));
    cards.push_back(FITCardQ("CTYPE2", "SLIT", ""));
    cards.push_back(FITCardQ("CTYPE3", Opt.Stokes4th ? "DUMMY" : "STOKES", ""));
    if (Opt.Stokes4th) cards.push_back(FITCardQ("CTYPE4", "STOKES", ""));
    cards.push_back(FITCardQ("CUNIT1", "Angstrom", ""));
    cards.push_back(FITCardQ("CUNIT2", "arcsec", ""));
    cards.push_back(FITCardQ("CUNIT3", "", ""));
    if (Opt.Stokes4th) cards.push_back(FITCardQ("CUNIT4", "", ""));
    cards.push_back(FITCardStr("DOPVUSED", Num(0.35), "km/s"));
    cards.push_back(FITCardStr("DOP_RCV", Num(std::round(dop * 10000) / 10000), "km/s"));
    const char* temps[] = {"T_SPCCD", "T_FGCCD", "T_CTCCD", "T_SPCEB", "T_FGCEB", "T_CTCEB"};
    for (int k = 0; k < 6; ++k)
      cards.push_back(FITCardStr(temps[k], Num(-40.0 + 5 * k + 0.01 * (x % 7)), "C"));
    std::string history = "HISTORY synthetic level-1 scan of the program's scan generator";
    cards.push_back(history.append(80 - history.size(), ' '));
    cards.push_back(FITEndCard());
    std::string bytes;
    for (const std::string& c : cards) bytes += c.substr(0, 80);
    bytes.append((2880 - bytes.size() % 2880) % 2880, ' ');
    const double sI = Opt.Spbshft > 0 ? 2 : 1, sQU = Opt.Spbshft == 3 ? 2 : 1,
                 sV = Opt.Spbshft > 1 ? 2 : 1;
    const size_t plane = size_t(ny) * nl;
    for (size_t j = 0; j < prof.size(); ++j) {
      const size_t s = j / plane;
      const double sc = s == 0 ? sI : s == 3 ? sV : sQU;
      const uint16_t w = Word(prof[j] / sc, s == 0);
      bytes.push_back(static_cast<char>(w >> 8));
      bytes.push_back(static_cast<char>(w & 0xFF));
    }
    bytes.append((2880 - bytes.size() % 2880) % 2880, '\0');
    char fn[64];
    std::snprintf(fn, sizeof fn, "SP3D%s.%dC.fits", Compact(t).c_str(),
                  static_cast<int>(t.S * 10) % 10);
    std::ofstream f(folder / fn, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) return "";
  }
  return folder.generic_string();
}

namespace {

// Big-endian 32-bit floats.
void PutFloat(std::string& B, float V) {
  uint32_t u;
  std::memcpy(&u, &V, 4);
  for (int k = 3; k >= 0; --k) B.push_back(static_cast<char>((u >> (8 * k)) & 0xFF));
}

void PutCards(std::string& B, std::vector<std::string> Cards) {
  Cards.push_back(FITEndCard());
  for (const std::string& c : Cards) {
    std::string r = c.substr(0, 80);
    r.append(80 - r.size(), ' ');
    B += r;
  }
  B.append((2880 - B.size() % 2880) % 2880, ' ');
}

void PutImage(std::string& B, const std::string& Name, int NX, int NY,
              const std::function<float(int, int)>& F) {
  PutCards(B, {FITCardQ("XTENSION", "IMAGE", "Image extension"), FITCardI("BITPIX", -32, ""),
               FITCardI("NAXIS", 2, ""), FITCardI("NAXIS1", NX, ""), FITCardI("NAXIS2", NY, ""),
               FITCardI("PCOUNT", 0, ""), FITCardI("GCOUNT", 1, ""),
               FITCardQ("EXTNAME", Name, "")});
  for (int y = 0; y < NY; ++y)
    for (int x = 0; x < NX; ++x) PutFloat(B, F(x, y + 1));
  B.append((2880 - B.size() % 2880) % 2880, '\0');
}

struct TSession {
  TStamp T0, T1;
  std::string Name, Month, OutFolder;
};

TSession SessionOf(const TScanGenOptions& Opt) {
  TSession s;
  s.T0 = Parse(Opt.Midnight ? "2019-06-22T23:59:30.000" : Opt.Start);
  s.T1 = AddSec(s.T0, (Opt.Files - 1) * Opt.StepSec);
  s.Name = Compact(s.T0);
  char m[16];
  std::snprintf(m, sizeof m, "%04d_%02d", s.T0.Y, s.T0.Mo);
  s.Month = m;
  s.OutFolder = s.Name.substr(0, 13);
  return s;
}

std::string Write(const std::filesystem::path& F, const std::string& Bytes) {
  std::error_code ec;
  std::filesystem::create_directories(F.parent_path(), ec);
  std::ofstream f(F, std::ios::binary);
  f.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  return f ? F.generic_string() : std::string();
}

}  // namespace

std::string GenerateInversionFile(const std::string& Root, const TScanGenOptions& Opt) {
  const TSession s = SessionOf(Opt);
  const int nx = Opt.Files, ny = Opt.NY;
  const double xc = -350, yc = 120.5, dx = 0.2972, dy = 0.3199;
  std::string b;
  PutCards(b, {FITCardStr("SIMPLE", "T", "inversion result of the synthetic scan"),
               FITCardI("BITPIX", 8, ""), FITCardI("NAXIS", 0, ""), FITCardI("NAXIS1", nx, ""),
               FITCardI("NAXIS2", ny, ""), FITCardStr("EXTEND", "T", ""),
               FITCardStr("XCEN", Num(xc), "arcsec"), FITCardStr("YCEN", Num(yc), "arcsec"),
               FITCardStr("XSCALE", Num(dx), "arcsec per slit step"),
               FITCardStr("YSCALE", Num(dy), "arcsec per pixel"),
               FITCardQ("TSTART", DateObs(s.T0), ""), FITCardQ("TEND", DateObs(s.T1), ""),
               FITCardStr("P_ANGLE", Num(-1.25), "deg"), FITCardStr("B_ANGLE", Num(1.75), "deg"),
               FITCardStr("SOLAR_RA", Num(944.3), "arcsec")});
  const double rad = 180 / kPi;
  PutImage(b, "X_Coordinate", nx, ny,
           [&](int x, int) { return static_cast<float>(xc + (x - nx / 2) * dx); });
  PutImage(b, "Y_Coordinate", nx, ny,
           [&](int, int y) { return static_cast<float>(yc + (y - (ny + 1) / 2.0) * dy); });
  PutImage(b, "Original_Continuum_Intensity", nx, ny,
           [&](int x, int y) { return static_cast<float>(GenPixel(Opt, x, y).Ic); });
  PutImage(b, "Field_Strength", nx, ny,
           [&](int x, int y) { return static_cast<float>(GenPixel(Opt, x, y).B); });
  PutImage(b, "Blos", nx, ny, [&](int x, int y) {
    const TGenPixel p = GenPixel(Opt, x, y);
    return static_cast<float>(p.B * std::cos(p.Gamma / rad));
  });
  PutImage(b, "Btang", nx, ny, [&](int x, int y) {
    const TGenPixel p = GenPixel(Opt, x, y);
    return static_cast<float>(p.B * std::sin(p.Gamma / rad));
  });
  PutImage(b, "aInc", nx, ny,
           [&](int x, int y) { return static_cast<float>(GenPixel(Opt, x, y).Gamma); });
  return Write(std::filesystem::path(Root) / s.Month / s.OutFolder / (s.Name + ".fits"), b);
}

std::string GenerateOwnFile(const std::string& Root, const TScanGenOptions& Opt) {
  const TSession s = SessionOf(Opt);
  const int nx = Opt.Files, ny = Opt.NY;
  std::string b;
  std::vector<std::string> c = {
      FITCardStr("SIMPLE", "T", "Written By Corvesta"), FITCardI("BITPIX", 8, ""),
      FITCardI("NAXIS", 0, ""), FITCardI("NAXIS1", nx, ""), FITCardI("NAXIS2", ny, ""),
      FITCardI("NSLITPOS", nx, ""), FITCardStr("EXTEND", "T", "File contains extensions"),
      FITCardStr("XCEN", Num(-350), ""), FITCardStr("YCEN", Num(120.5), ""),
      FITCardStr("XSCALE", Num(0.2972), ""), FITCardStr("YSCALE", Num(0.3199), ""),
      FITCardQ("TSTART", DateObs(s.T0), ""), FITCardQ("TEND", DateObs(s.T1), ""),
      FITCardStr("HL_N_MA", Num(1234.6), ""), FITCardStr("HL_S_MA", Num(-1502.4), ""),
      FITCardStr("CB0", Num(22010.5), ""), FITCardStr("VW1", Num(0.1234), ""),
      FITCardStr("VW2", Num(-0.0567), ""), FITCardStr("pLimb", Num(0.0), ""),
      FITCardStr("pU", Num(0.05), ""), FITCardStr("ppu", Num(0.12), ""),
      FITCardStr("pB077", Num(0.61), ""), FITCardStr("pB007", Num(0.22), ""),
      FITCardStr("minCB0", Num(0.683), ""), FITCardStr("tDura", Num((nx - 1) * Opt.StepSec / 60), ""),
      FITCardStr("tDay", Num(16.7764), "")};
  for (int k = 1; k <= 6; ++k)
    c.push_back(FITCardStr("TT_" + std::to_string(k), Num(-40.0 + 5 * (k - 1)), ""));
  c.push_back(FITCardStr("SOLXC_LM", Num(2.5), ""));
  c.push_back(FITCardStr("dVCmi", Num(-0.3), ""));
  c.push_back(FITCardStr("dVCma", Num(0.43), ""));
  c.push_back(FITCardStr("maBML1", Num(812.5), ""));
  c.push_back(FITCardStr("maBML2", Num(790.1), ""));
  c.push_back(FITCardStr("maBIV", Num(1180.2), ""));
  c.push_back(FITCardStr("miBIV", Num(-95.4), ""));
  PutCards(b, c);
  PutImage(b, "CONT", nx, ny,
           [&](int x, int y) { return static_cast<float>(GenPixel(Opt, x, y).Ic); });
  return Write(std::filesystem::path(Root) / s.Month / s.OutFolder / (s.OutFolder + ".fits"), b);
}

bool WriteFOList(const std::string& Root) {
  std::error_code ec;
  std::filesystem::create_directories(Root, ec);
  std::ofstream f(std::filesystem::path(Root) / "FO.txt", std::ios::binary);
  f << "! Derived maps: NAME=expression over map names, numbers and $KEY (header keys)\n"
       "W2QUV=add(W2QUV295,W2QUV195)\n"
       "VW1=mul(add(mul(add(mid(LWb1,LWr1),-56.5),0.021549),+0.5792),47.57477079)\n"
       "VW2=mul(add(mul(add(mid(LWb2,LWr2),-56.5),0.021549),-0.4132),47.5672796)\n"
       "VW_1=sub(VW1,$VW1)\n"
       "VW_2=sub(VW2,$VW2)\n"
       "CB0=rat(CONT,$CB0)\n"
       "Cnt=mid(CONT,CONT2)\n"
       "BIV1 = mul(sub(LIVp195,LIVm195),348.23)  ! longitudinal field of 6301\n"
       "BIV2=mul(sub(LIVp295,LIVm295),233.6195)\n"
       "BIV=mid(BIV1,BIV2)\n"
       "LBor1=add(LIV1,mid(LBIV1,L-Wr1))\n"
       "LBob1=sub(LIV1,mid(LBIV1,L-Wb1))\n"
       "LBor2=add(LIV2,mid(LBIV2,L-Wr2))\n"
       "LBob2=sub(LIV2,mid(LBIV2,L-Wb2))\n"
       "$CB0=22000  ! a header key, not a map\n";
  return static_cast<bool>(f);
}
