// The analytic Milne-Eddington (Unno-Rachkovsky) Stokes vector with magneto-optical effects,
// transcribed from the textbook (Landi Degl'Innocenti & Landolfi 2004, sec. 9.8) for a normal
// Zeeman triplet, independently of the program's code: the absorption and dispersion profiles
// are the real and imaginary parts of libcerf's w(v + ia), with v = (lambda - lambda0)/DLD
// counted positive to the red, the blue sigma component at v = -g DLH/DLD.
//
// eta_I = 1 + eta0/2 [phi_p sin^2 g + (phi_b + phi_r)/2 (1 + cos^2 g)]
// eta_Q = eta0/2 [phi_p - (phi_b + phi_r)/2] sin^2 g cos 2chi, eta_U the same with sin 2chi
// eta_V = eta0/2 (phi_r - phi_b) cos g; rho_Q, rho_U, rho_V the same with psi.
// I = B0 + B1 tau + mu B1/Delta eta_I (eta_I^2 + rho^2)
// Q = -mu B1/Delta [eta_I^2 eta_Q + eta_I (eta_V rho_U - eta_U rho_V) + rho_Q Pi]
// U = -mu B1/Delta [eta_I^2 eta_U + eta_I (eta_Q rho_V - eta_V rho_Q) + rho_U Pi]
// V = -mu B1/Delta [eta_I^2 eta_V + eta_I (eta_U rho_Q - eta_Q rho_U) + rho_V Pi]
// Delta = eta_I^2 (eta_I^2 - eta^2 + rho^2) - Pi^2, Pi = eta . rho.
// (tau: the optical depth of the point along the vertical; 0 for the emergent vector.)
#pragma once
#include <cmath>

#if __has_include(<cerf.h>) && defined(CORVESTA_HAVE_CERF)
#include <cerf.h>
#define UR_HAVE_CERF 1
#endif

namespace testsupport {

struct TMEAtmosphere {
  double eta0 = 10, a = 0.05, dld = 30, dlh = 40, gamma = 30, chi = 20;
  double B0 = 1, B1 = 1.5, mu = 1;
  double g = 2.5;  // Lande factor of the triplet
};

// Whether the reference is there (a test without it skips).
#ifdef UR_HAVE_CERF
constexpr bool kHaveUnnoRachkovsky = true;
#else
constexpr bool kHaveUnnoRachkovsky = false;
#endif

// phi + i psi of a component centred at v0 (Doppler widths); NaN without libcerf.
inline void URProfile(double v, double v0, double a, double& Phi, double& Psi) {
#ifdef UR_HAVE_CERF
  double _Complex z;
  __real__ z = v - v0;
  __imag__ z = a;
  const double _Complex w = w_of_z(z);
  Phi = __real__ w;
  Psi = __imag__ w;
#else
  (void)v, (void)v0, (void)a;
  Phi = Psi = std::nan("");
#endif
}

// The Stokes vector at DLam (mA from the line centre, positive to the red) and depth Tau;
// without the magneto-optical terms (rho = 0) when MO is false.
inline void UnnoRachkovsky(const TMEAtmosphere& p, double DLam, double Tau, double S[4],
                           bool MO = true) {
  const double v = DLam / p.dld, vs = p.g * p.dlh / p.dld;
  double php, psp, phb, psb, phr, psr;
  URProfile(v, 0, p.a, php, psp);
  URProfile(v, -vs, p.a, phb, psb);
  URProfile(v, vs, p.a, phr, psr);
  const double gm = p.gamma * M_PI / 180, sg2 = std::sin(gm) * std::sin(gm), cg = std::cos(gm);
  const double c2 = std::cos(2 * p.chi * M_PI / 180), s2 = std::sin(2 * p.chi * M_PI / 180);
  const double h = p.eta0 / 2;
  const double eI = 1 + h * (php * sg2 + (phb + phr) / 2 * (1 + cg * cg));
  const double eQ = h * (php - (phb + phr) / 2) * sg2 * c2;
  const double eU = h * (php - (phb + phr) / 2) * sg2 * s2;
  const double eV = h * (phr - phb) * cg;
  const double m = MO ? h : 0;
  const double rQ = m * (psp - (psb + psr) / 2) * sg2 * c2;
  const double rU = m * (psp - (psb + psr) / 2) * sg2 * s2;
  const double rV = m * (psr - psb) * cg;
  const double Pi = eQ * rQ + eU * rU + eV * rV;
  const double rho2 = rQ * rQ + rU * rU + rV * rV;
  const double D = eI * eI * (eI * eI - eQ * eQ - eU * eU - eV * eV + rho2) - Pi * Pi;
  const double k = p.mu * p.B1 / D;
  S[0] = p.B0 + p.B1 * Tau + k * eI * (eI * eI + rho2);
  S[1] = -k * (eI * eI * eQ + eI * (eV * rU - eU * rV) + rQ * Pi);
  S[2] = -k * (eI * eI * eU + eI * (eQ * rV - eV * rQ) + rU * Pi);
  S[3] = -k * (eI * eI * eV + eI * (eU * rQ - eQ * rU) + rV * Pi);
}

}  // namespace testsupport
