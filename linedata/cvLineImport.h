// The Start tab's other line-list importers: an Fe line table of observed depths and widths
// ("Load LineObservVorn"), a short-format VALD answer pasted into the editor ("Load VALD Line
// Short"), and the Zeeman numbers of the "Lines_" records ("Calc Lines ZeeStructure").
//
// Each is a job over one transaction: a cancel, a failure or a line that stops the import leaves
// the tables as they were. Warnings go to the job's report; a reader error of the Fe table is
// kept in the result so that the editor opens it at its place after the job.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TDM;
class TStringList;

// The keys of a line: the element symbol (a one-letter one doubled) and the integer part of
// LAMB x 10^K right-aligned in 4 + K columns; K = 0..3 gives keys of 6 to 9 characters.
std::string LineKey(const std::string& Symbol, double LAMB, int32_t K);

struct TLineImportResult {
  int32_t Added = 0;    // new records of "Lines_"
  int32_t Updated = 0;  // records of "Lines_" changed
  int32_t Skipped = 0;  // lines passed over (with a warning)
  int32_t Observations = 0;  // records of "LineObsVorn" (Fe table)
  int32_t LggfAdded = 0;     // records of "LGGF" (Fe table)
  // A reader error: its text and place (line from 1, column), to open in the editor.
  std::string ErrText, ErrFile;
  int32_t ErrLine = 0, ErrPos = 0;
};

// Reads the Fe table FileName (a path, or a name below "LIN/" of the application root) into
// "Lines_", "LineObsVorn" and "LGGF". True when the whole file was read.
bool LoadBelmarFe(TJob& Job, TDM& D, const std::string& FileName, TLineImportResult& R);
// "Load LineObservVorn": empties "LineObsVorn", then loads "belmarfe.dat" and "belmar.dat" (a
// file that is not there is named in a warning and changes nothing).
bool LoadLineObservVorn(TJob& Job, TDM& D, TLineImportResult& R);

// Reads the lines of a short-format VALD answer (a copy of the editor's text) into "Lines_".
// True when every line was read (lines with another field count are passed over).
bool LoadLineVALDShort(TJob& Job, TDM& D, const TStringList& Lines, TLineImportResult& R);

// The numbers of Zeeman components, of pi components and the effective Lande factor of every
// "Lines_" record whose kind codes GLT and GUT are each one of "*", "0", "L", "T" (the pattern
// from the line-data services' ZeePattern). False when a pattern could not be formed.
bool FillLinesZeeStruct(TJob& Job, TDM& D, TLineImportResult& R);
