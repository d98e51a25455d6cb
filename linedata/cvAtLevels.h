// The atomic orbitals and levels import of the Start tab ("->GO!"): the two levels of every line
// of a Kurucz-format list become records of "Orbits" (one per level designation of an atom or
// ion) and "Levels" (one per level with its J, energy and Lande factor), each designation split
// and its quantum numbers checked, the line's wavelength checked against its level energies. A
// job over one transaction; its report list goes to the editor after the job.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TDM;
class TStringList;

// Splits a level designation from its end: link (a bracketed coupling part, or a last word of
// "(*,." and digits), term (2S+1, the orbital letter, an optional parity mark "`" or "'") and
// configuration. Error codes: 0 none, 1 letter not in "SPDFGHIKLM", 2 no digit before it, 3 "]"
// without "[", 5 empty, 6 nothing left after the link.
void ParseLevelDesignation(const std::string& Designation, int32_t& L, int32_t& Multiplicity,
                           std::string& Configuration, std::string& Term, std::string& Link,
                           int32_t& ErrorCode);
// "configuration:term:link" padded to 8, 3 and 5 characters (messages).
std::string FormatLevelParts(const std::string& Configuration, const std::string& Term,
                             const std::string& Link);

// Load modes: 0 report only, 1 orbitals, 2 levels. Report modes: 0 none, 1 accepted lines, 2 line
// and designation and quantum-number errors, 3 level comparisons, 4 line errors, 5 designation
// errors, 6 quantum-number errors.
struct TAtLevelsResult {
  std::string Title;   // the editor's title of the report ("" for report mode 0)
  int32_t Lines = 0;   // lines read
  int32_t Used = 0;    // lines accepted
  int32_t Short = 0;   // non-blank lines not reaching column 153
  int32_t Orbits = 0;  // records of "Orbits" added
  int32_t Levels = 0;  // records of "Levels" added
};
bool LoadAtLevels(TJob& Job, TDM& D, const std::string& FileName, int32_t LoadMode,
                  int32_t ReportMode, TStringList& Report, TAtLevelsResult& R);

// The database steps (the tables of D): an orbital stored or counted once more; the orbital's
// record number (0 when not exactly one); a level stored, counted or compared (Message set when
// it differs from a stored one; written only in load mode 2).
void StoreOrbital(TDM& D, int32_t AtNi, int32_t L, int32_t TwoS, const std::string& Term,
                  const std::string& Configuration, const std::string& Link,
                  const std::string& Designation, TAtLevelsResult* R = nullptr);
int64_t FindOrbit(TDM& D, int32_t AtNi, const std::string& Designation);
void StoreLevel(TDM& D, const std::string& Designation, int32_t LoadMode, int64_t IdOrbit,
                std::string& Message, double GKur, double ECm, int32_t GDenom, int32_t GNum,
                int32_t TwoJ, int32_t TwoS, int32_t L, int32_t AtNi,
                TAtLevelsResult* R = nullptr);
