// Voigt and Faraday-Voigt functions H(a, v) and F(a, v): four interchangeable methods (Humlicek's
// rational approximation, the Taylor expansion, the quadrature, the spline tables), the current
// method chosen by name, Dawson's integral, the reference quadratures and the Humlicek error
// table.
//
// The current method and its name live in the calculation context (TCalcContext), so runs on
// several threads may use different methods. Every method gives F = +Im w / 2 (the Faraday-Voigt
// function), with w(z) = exp(-z^2) erfc(-iz), z = v + ia; for a < 0 Humlicek's F changes sign.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStringList;

enum TVoigtMethod : int32_t { vmHumlicek = 0, vmTaylor = 1, vmIntegral = 2, vmSpline = 3 };

// Quadrature limit and relative tolerance of the spline grid (also used by VoigtIntegral).
constexpr double VoigtQuadT = 2000;
constexpr double VoigtQuadTol = 5e-14;

void VoigtHumlicek(double a, double v, double& H, double& F);
void VoigtTaylor(double a, double v, double& H, double& F);
void VoigtIntegral(double a, double v, double& H, double& F);
// The spline method (cvVoigtSpline.h); Humlicek's method while no tables are loaded.
void VoigtSpline(double a, double v, double& H, double& F);

// Humlicek's method over N values of v for one a (the form the absorption matrix uses); the
// same results as N scalar calls.
void VoigtHumlicekBatch(double a, const double* v, int32_t N, double* H, double* F);
// The same with a damping per value (a[j] for v[j]).
void VoigtHumlicekBatchA(const double* a, const double* v, int32_t N, double* H, double* F);

// Tests: the widest vector step (in doubles: 8, 4, or 0 for the plain build) Humlicek's batch
// may use. Every width gives the same values.
void LimitVoigtVectorLanes(int32_t Lanes);

// Dawson's integral exp(-x^2) * integral of exp(t^2) from 0 to x.
double DawsonIntegral(double x);

// Reference quadratures over [-T, T] with the relative tolerance Tol. H = (a/pi) * integral of
// exp(-t^2)/((v-t)^2 + a^2); F = (1/(2 pi)) * integral of (v-t) exp(-t^2)/((v-t)^2 + a^2), and
// exactly 0 for |v| < 1e-7.
double VoigtHQuad(double T, double Tol, double v, double a);
double VoigtFQuad(double T, double Tol, double v, double a);
// The same with the quadrature's error estimate, evaluation count and flag.
double VoigtHQuadEx(double T, double Tol, double v, double a, double& ErrEst, int32_t& NoFun,
                    double& Flag);
double VoigtFQuadEx(double T, double Tol, double v, double a, double& ErrEst, int32_t& NoFun,
                    double& Flag);

// Makes the named method current ("Taylor", "Integral", "Spline", "Humlicek", any case); an
// unknown name warns and makes Humlicek current. The name is stored as given.
void SetVoigtMethod(const std::string& Name);
// Prepares the spline method (cvVoigtSpline.h: VoigtSplinePrepare with the program's grid and
// folder): the spline method current once its tables are loaded, else Humlicek's.
void VoigtSplineInit();
// The current method of the calling thread's calculation context and its stored name.
TVoigtMethod CurrentVoigtMethod();
std::string VoigtMethodName();
// The current method.
void VoigtFunc(double a, double v, double& H, double& F);
// The current method over N values of v for one a.
void VoigtFuncBatch(double a, const double* v, int32_t N, double* H, double* F);
// The current method over N pairs (a[j], v[j]); the same results as N calls of VoigtFunc.
void VoigtFuncBatchA(const double* a, const double* v, int32_t N, double* H, double* F);

// The calling thread's transfer work since its last reset (bench and harness bookkeeping): values
// of the current Voigt method and Runge-Kutta steps of the Stokes vector.
// With Record set, every (a, v) pair the current method evaluates is appended to it (a, v, a,
// v, ...): the bench times the run's Voigt work as one batch afterwards.
struct TTransferCounts {
  int64_t Voigt = 0;
  int64_t Steps = 0;
  std::vector<double>* Record = nullptr;
};
TTransferCounts& TransferCounts();

// Humlicek against the quadrature (H and F) over rows v = (c - 1) vmax/N - 6 vmax/N, c = 1..N+6.
std::unique_ptr<TStringList> VoigtHumlicekErrTab(int32_t N, double a, double Tol, double VMax);
