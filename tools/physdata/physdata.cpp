// corvesta-physdata: writes the bundled physics data files.
//   irwin SOURCE OUT   partition-function polynomials (Irwin 1981 file) in the layout RdIRW reads
//   allen OUT          H-minus bf + ff table from John (1988)
//   aller OUT          H-minus bf + ff table from Gray's fits (Wishart 1979 bf, Bell & Berrington
//                      1987 ff)
//   zwaan OUT          the Zwaan correction table with factor 0 (no published table at hand)
// Exit 0 done, 1 failed, 2 bad arguments.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Irwin(const std::string& Src, const std::string& Out) {
  std::ifstream in(Src);
  if (!in) {
    std::cerr << "cannot read " << Src << "\n";
    return 1;
  }
  std::ostringstream o;
  o << "! Partition functions U(T) = exp(a0 + a1 lnT + ... + a5 lnT^5) of the stages I, II, III "
       "(code Z.00, Z.01, Z.02).\n"
       "! Source: Irwin A.W. 1981, ApJS 45, 621, updated (IRWIN_atoms_v07.3: ionisation "
       "potentials from NIST,\n"
       "! some heavy elements from Sneden/Lawler); valid roughly 1000..16000 K. All 9 digits "
       "kept: the terms cancel.\n"
       "! Written by corvesta-physdata irwin. Last column: ionisation potential of the stage "
       "below (eV), unused.\n"
       "!  Z.ss            a0               a1               a2               a3               "
       "a4               a5          IP\n";
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    for (char& c : line)
      if (c == 'D' || c == 'd') c = 'E';
    // running number, code, quoted name, IP, count, coefficients
    const size_t q1 = line.find('\''), q2 = line.find('\'', q1 + 1);
    if (q1 == std::string::npos || q2 == std::string::npos) continue;
    std::istringstream head(line.substr(0, q1)), tail(line.substr(q2 + 1));
    int num = 0, n = 0;
    std::string code;
    double ip = 0;
    head >> num >> code;
    tail >> ip >> n;
    std::vector<std::string> a;
    std::string w;
    while (tail >> w) a.push_back(w);
    if (!head || !tail.eof() || n != 6 || a.size() != 6) {
      std::cerr << "bad line: " << line << "\n";
      return 1;
    }
    char buf[256];
    std::snprintf(buf, sizeof buf, "%7s", code.c_str());
    o << buf;
    for (const std::string& s : a) {
      std::snprintf(buf, sizeof buf, " %16.8E", std::stod(s));
      o << buf;
    }
    std::snprintf(buf, sizeof buf, " %7.3f\n", ip);
    o << buf;
    ++rows;
  }
  std::ofstream out(Out, std::ios::binary);
  out << o.str();
  std::cerr << rows << " species\n";
  return out ? 0 : 1;
}

// ---- H-minus opacity per neutral H atom per unit Pe (cm^4/dyn) ----

// John T.L. 1988, A&A 193, 189: bound-free (lambda in micron).
double JohnBF(double Lam, double Theta) {
  const double l = Lam * 1e-4, l0 = 1.6419;
  if (l >= l0) return 0;
  static const double C[6] = {152.519, 49.534, -118.858, 92.536, -34.194, 4.982};
  const double x = 1 / l - 1 / l0;
  double f = 0;
  for (int n = 0; n < 6; ++n) f += C[n] * std::pow(x, n / 2.0);
  const double sigma = 1e-18 * l * l * l * std::pow(x, 1.5) * f;
  const double T = 5040.0 / Theta, alpha = 1.439e4;
  return 0.750 * std::pow(T, -2.5) * std::exp(alpha / (l0 * T)) *
         (1 - std::exp(-alpha / (l * T))) * sigma;
}

// John 1988: free-free, both wavelength ranges.
double JohnFF(double Lam, double Theta) {
  const double l = Lam * 1e-4;
  static const double L[6][6] = {  // lambda > 0.3645 micron: A..F for n = 1..6
      {0, 2483.346, -3449.889, 2200.040, -696.271, 88.283},
      {0, 285.827, -1158.382, 2427.719, -1841.400, 444.517},
      {0, -2054.291, 8746.523, -13651.105, 8624.970, -1863.864},
      {0, 2827.776, -11485.632, 16755.524, -10051.530, 2095.288},
      {0, -1341.537, 5303.609, -7510.494, 4400.067, -901.788},
      {0, 208.952, -812.939, 1132.738, -655.020, 132.985}};
  static const double S[6][6] = {  // 0.1823 .. 0.3645 micron
      {518.1021, 473.2636, -482.2089, 115.5291, 0, 0},
      {-734.8666, 1443.4137, -737.1616, 169.6374, 0, 0},
      {1021.1775, -1977.3395, 1096.8827, -245.6490, 0, 0},
      {-479.0721, 922.3575, -521.1341, 114.2430, 0, 0},
      {93.1373, -178.9275, 101.7963, -21.9972, 0, 0},
      {-6.4285, 12.3600, -7.0571, 1.5097, 0, 0}};
  const auto& K = l > 0.3645 ? L : S;
  double sum = 0;
  for (int n = 0; n < 6; ++n) {
    const double t = l * l * K[0][n] + K[1][n] + K[2][n] / l + K[3][n] / (l * l) +
                     K[4][n] / (l * l * l) + K[5][n] / (l * l * l * l);
    sum += std::pow(Theta, (n + 2) / 2.0) * t;
  }
  return 1e-29 * sum;
}

// Gray, The Observation and Analysis of Stellar Photospheres: the Wishart (1979) bf fit and the
// Bell & Berrington (1987) ff fit (lambda in Å).
double GrayBF(double Lam, double Theta) {
  if (Lam >= 16419) return 0;
  static const double a[7] = {1.99654,     -1.18267e-5, 2.64243e-6, -4.40524e-10,
                              3.23992e-14, -1.39568e-18, 2.78701e-23};
  double s = 0, p = 1;
  for (double c : a) {
    s += c * p;
    p *= Lam;
  }
  s *= 1e-18;
  if (s < 0) s = 0;
  // with stimulated emission, 10^(-chi theta), chi = 12398.5/lambda eV
  return 4.158e-10 * s * std::pow(Theta, 2.5) * std::pow(10.0, 0.754 * Theta) *
         (1 - std::pow(10.0, -12398.5 / Lam * Theta));
}

double GrayFF(double Lam, double Theta) {
  const double x = std::log10(Lam), t = std::log10(Theta);
  const double f0 = -2.2763 - 1.6850 * x + 0.76661 * x * x - 0.053346 * x * x * x;
  const double f1 = 15.2827 - 9.2846 * x + 1.99381 * x * x - 0.142631 * x * x * x;
  const double f2 = -197.789 + 190.266 * x - 67.9775 * x * x + 10.6913 * x * x * x -
                    0.625151 * x * x * x * x;
  return std::pow(10.0, -26 + f0 + f1 * t + f2 * t * t);
}

int HMinus(const std::string& Out, bool John) {
  std::vector<double> th, lam;
  for (int i = 0; i <= 34; ++i) th.push_back(0.3 + 0.05 * i);     // 0.30 .. 2.00
  for (int l = 2000; l <= 20000; l += 50) lam.push_back(l);       // 2000 .. 20000 Å
  std::ostringstream o;
  if (John) {
    o << "H-minus opacity (bound-free + free-free) per neutral H atom per unit Pe, 1e-30 cm^4/dyn\n"
         "Source: John T.L. 1988, A&A 193, 189 (bf and ff fits; ff C5 = 8624.970)\n"
         "Written by corvesta-physdata allen; lg values; theta ascending, lambda (A) ascending\n";
  } else {
    o << "H-minus opacity (bound-free + free-free) per neutral H atom per unit Pe, 1e-30 cm^4/dyn\n"
         "Source: Gray, The Observation and Analysis of Stellar Photospheres: Wishart 1979 bf fit,\n"
         "Bell & Berrington 1987 ff fit; written by corvesta-physdata aller; lg values\n";
  }
  o << "NT " << th.size() << " NL " << lam.size() << " #LG_KAPPA_H_MINUS\n";
  char buf[64];
  o << "THETA";
  for (double t : th) {
    std::snprintf(buf, sizeof buf, " %8.2f", t);
    o << buf;
  }
  o << "\n" << std::string(40, '-') << "\n";
  for (double l : lam) {
    std::snprintf(buf, sizeof buf, "%6.0f", l);
    o << buf;
    for (double t : th) {
      const double v = John ? JohnBF(l, t) + JohnFF(l, t) : GrayBF(l, t) + GrayFF(l, t);
      std::snprintf(buf, sizeof buf, " %8.5f", std::log10(v / 1e-30));
      o << buf;
    }
    o << "\n";
  }
  std::ofstream out(Out, std::ios::binary);
  out << o.str();
  return out ? 0 : 1;
}

int Zwaan(const std::string& Out) {
  std::ofstream out(Out, std::ios::binary);
  out << "Zwaan correction factor of the H-minus opacity over wavelength (A).\n"
         "No published Zwaan table is at hand: this table holds factor 0 (no correction);\n"
         "the switch #KZWAAN is 0 by default. Written by corvesta-physdata zwaan.\n"
         "СТРОК 2\n"
         "------\n"
         "2000 0\n"
         "20000 0\n";
  return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() == 3 && a[0] == "irwin") return Irwin(a[1], a[2]);
  if (a.size() == 2 && a[0] == "allen") return HMinus(a[1], true);
  if (a.size() == 2 && a[0] == "aller") return HMinus(a[1], false);
  if (a.size() == 2 && a[0] == "zwaan") return Zwaan(a[1]);
  std::cerr << "usage: corvesta-physdata irwin SOURCE OUT | allen OUT | aller OUT | zwaan OUT\n";
  return 2;
}
