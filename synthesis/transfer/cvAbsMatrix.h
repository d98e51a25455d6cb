// The absorption matrix of line plus continuum at the working depth and wavelength: Zeeman
// components summed into pi, blue-sigma and red-sigma profiles (LINA), the matrix elements for
// the local field direction (COEF), both for every line and hyperfine component of the run with
// a cache per (X, wavelength) (FACX), the field-free opacity (H0LINA), and the bounds of the
// matrix's eigenvalues for the step control (EIV). Everything goes into the working record
// CONT.R of the calculation context.
#pragma once
#include <cstdint>

#include "models/vectors/cvCont.h"

class TZEEMAN;

// Adds the components of one pattern into R's EP..RR (zeroed first). V: distance from the line
// centre in Doppler widths; VH: the Zeeman splitting in Doppler widths; A: damping. KVOIG: the
// magneto-optical switch word (bit 0 none, bit 1 negate, bit 2 double, bit 3 divide by H(A, 0),
// bit 4 pi components once).
void LINA(const TZEEMAN& Pattern, TCONTR& R, double V, double VH, double A, int32_t KVOIG);
// The same with CONT.KVOIG.
void LINA(const TZEEMAN& Pattern, TCONTR& R, double V, double VH, double A);
// LINA of one pattern at N distances V[0..N-1] (the same VH, A and switch word) into R[0..N-1]:
// the same values, with the Voigt function of every point evaluated in one batch. Writes no
// trace lines of channel 4 (call LINA point by point for them).
void LINAMany(const TZEEMAN& Pattern, const double* V, int32_t N, double VH, double A,
              int32_t KVOIG, TCONTR* R);
void ScaleProfiles(TCONTR& R, double Factor);
void COEF(TCONTR& R, double Sin2g, double Cosg, double Sin2chi, double Cos2chi);
// R for (CONT.WK.X, CONT.WK.LAM) over all lines and components; nothing when R holds that pair.
void FACX();
// FACX at X1 (into CONT.R) and X2 (kept for the next FACX at X2, the wavelength unchanged) with
// the Voigt values of both in one batch: the same values as FACX at X1 then at X2. Nothing while
// trace lines of the matrix are on, or when R holds one of the two.
void FACXAhead(double X1, double X2);
// FACX for N pairs (Lam[j], X[j]) into R[j] (the fields FACX sets, the same values): the Voigt
// values of all in batches of many. False (nothing done) while trace lines of the matrix are on.
// Leaves CONT.WK at the last pair.
bool FACXMany(const double* Lam, const double* X, int32_t N, TCONTR* R);
// The field-free twin: B, S, C10, ETAC, EI and EF.
void H0LINA();
// Forgets the cached pair (after model vectors changed at the same depth and wavelength).
void ResetFACX();
void Invariants(TCONTR& R);
// Smallest and largest eigenvalue moduli of the matrix, per unit X (times C10); also kept in R.
void EIV(TCONTR& R, double& EMin, double& EMax);
void MinMaxAbs(double a, double b, double c, double d, double& Max, double& Min);
