// Damping constants of the line table from the Kurucz band files of the hyperfine lists: for
// every line of Lines_ (by wavelength), the radiative, Stark and van der Waals constants of the
// band-file line of the same wavelength (within 0.003 nm), element and ion, and lower level
// energy (within 240 cm^-1). The band files are met in wavelength order, so each is read once.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TDM;

// The element-and-ion code of the band files: the atomic number ("8" after a blank), "." and
// the ion stage - 1 as two digits: Fe II "26.01", O I " 8.00". Empty for an unknown element.
std::string KurIonCode(const std::string& Atom, int32_t NIon);
// The band file that holds a wavelength in nm: "gfhy0600.100" for 500..600 and so on; empty
// below 500 nm (the current file stays) and from 1200 nm on.
std::string KurDampingFile(double LamNm);

struct TKurDampingResult {
  int32_t Records = 0;  // lines of the table walked
  int32_t Found = 0;    // lines given their three constants
  int32_t NotFound = 0;
};
// Walks Lines_ of D by ascending LAMB and writes Rad, Stark, Waals of every line found in the
// band files of Folder; every reading problem is a warning of the job. One transaction: a
// cancelled or failed run changes nothing. A missing band file is an empty band (one warning).
bool LoadKuruczDamping(TJob& Job, TDM& D, const std::string& Folder, TKurDampingResult& R);
