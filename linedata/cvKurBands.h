// The Kurucz band-file builders: three jobs that prepare the line files the loaders read by Id.
// Each reads band files of one kind and writes band files of the next kind over a wavelength
// range (From, To in Å as text), one file per 100 Å band, in the folder of the line files:
//
//   KurLinesSelect    "lines.dat" -> li: neutral and singly ionised lines of atoms up to 68
//                     whose central depths in HOLMU and CV add up to 0.001 or more, each with
//                     its two depths in columns 160-169 (depth runs: LineDepthSum's)
//   KurLinesMergeHFS  li -> lh: the hyperfine and the isotopic components of a line merged into
//                     one line carrying its component list
//   KurLinesCalcWD    lh -> lw: every line with its equivalent widths in HOLMU and CV
//                     (CalcLineWidths)
//
// Band files are named by BandFileName (linedata/cvLIDA.h). An output file is started at its band's first line of
// the range and holds, when done, the lines of the range plus the lines of the file as it was
// that lie outside the range: a run never empties a neighbouring band, nor the part of a band it
// does not cover. Each band file is written to a temporary copy renamed over it when the band is
// done; a cancelled or failed run leaves the band it was writing (and all after it) as they were.
// A band file that is not there counts as empty. Each builder keeps its own lists: the loaded
// line list LLIDA is neither used nor emptied nor saved.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TJob;

// What a builder did.
struct TKurBandsResult {
  int64_t Read = 0;        // lines of the range read
  int64_t Written = 0;     // lines written
  int64_t Runs = 0;        // depth or width runs
  int64_t RunsFailed = 0;  // runs that gave no result (their lines are dropped / written with 0)
  std::vector<std::string> Files;         // band files written (names, in order)
  std::vector<std::string> InsertErrors;  // the merge's insertion report
};

// False (with a warning) when the run was refused, failed or was cancelled; the files already
// finished are listed in R.Files.
bool KurLinesSelect(TJob& Job, const std::string& From, const std::string& To,
                    TKurBandsResult& R);
bool KurLinesMergeHFS(TJob& Job, const std::string& From, const std::string& To,
                      TKurBandsResult& R);
bool KurLinesCalcWD(TJob& Job, const std::string& From, const std::string& To,
                    TKurBandsResult& R);
