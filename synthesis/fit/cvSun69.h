// Observed five-angle profile files: a folder of small text files, one line each, with the
// intensity at five heliocentric angles. The run word READ_SUN69 reads every file of the folder
// "#SRCDIR" into five observed profiles per file (profile list, under the working variator's
// quest and step) and adds "#LIN" (the files' lines) and "#CTETA" (their five angles) to the
// working variator, so that combination (line - 1) * 5 + angle is the profile's KVARI.
//
// File layout (read by the directive reader: "!" comments, empty lines skipped):
//   line 1   the line identifier (first word)
//   line 2   any text ending with the wavelength in A
//   line 3   five numbers: mu of the five intensity columns
//   rows     columns 1-7 offset in mA, then five fields of 5 columns: intensity x 1000 (empty or
//            0: the continuum)
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TJob;
class TLUNNO;

// The number at the end of Text (0 when there is none; a box when the tail is no number).
double EndStrToLam(const std::string& Text);
// Index of the smallest element of a 1-based array above X (the first among equal ones); the
// array's length when there is none.
int32_t AReNextAbove(const TARe& A, double X);

// Reads one file into five profiles appended to List with KVARI Base + 1..5, QUEST and IQ as
// given. Mu gets the file's five angles (0.44 read as 0.436). Returns the profiles added: 0 when
// the file was skipped with a box (missing, not five angles). A reader error is fatal (the file
// opened in the editor at the line).
int32_t Load5Profiles(const std::string& File, int32_t Base, const std::string& Quest,
                      int32_t IQ, TLUNNO& List, std::array<double, 5>& Mu);

// The run word READ_SUN69 on the working variator. The files are read first, in name order (one
// job step each); only when every file has been read are the quest's earlier profiles replaced
// and "#LIN", "#CTETA" added: a reader error or a cancel leaves the list and the variator as
// they were. A file whose angles differ from the first file's is skipped with a box.
void ReadSun69(TJob& Job, TLUNNO& List);
