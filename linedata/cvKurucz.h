// Kurucz line lists: the parsers of one fixed-column text line (Form A, the catalogue line; Form
// B, with two depth columns; Form C, the system's own extended dump), the band files of the
// hyperfine lists and the reading of one catalogue line by Id, the lg gf source choice and the
// lookup of one field of a database line.
//
// Catalogue files come in two published layouts: a 10-column wavelength (exactly Form A, 159
// columns) and an 11-column wavelength (160 columns, one column more in front). The readers of
// catalogue files take both, told apart per line by the column of the wavelength's point.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "linedata/cvLIDA.h"

class TStringList;

// A catalogue line in the 10-column layout: the 160-column layout loses its first column.
std::string KurCatalogueLine(const std::string& S);

// Form A. Level order by energy (level 1 is the upper level when its energy is not below level
// 2's). False after a warning naming the field that could not be read.
bool ParseKurLine(const std::string& Id, const std::string& FileName, const std::string& Text,
                  TLIDAk& KurPart, TLIDA& Line, int32_t LineNo);
// Form B: Form A and the two depth columns.
bool ParseKurLineD(const std::string& Id, const std::string& FileName, const std::string& Text,
                   TLIDAk& KurPart, TLIDA& Line, int32_t LineNo);
// Form C; on success the line owns a copy of KurPart as its LIk.
bool ParseKurLineExt(const std::string& Id, const std::string& FileName, const std::string& Text,
                     TLIDAk& KurPart, TLIDA& Line, int32_t LineNo);

// ---- band files ----
// A band file read line by line as it stands (the band files are plain ASCII and large): no
// decoding, line ends CR LF or LF (every CR before the LF is dropped; a last line without LF is
// a line). The file is read in big blocks. A file that cannot be opened raises the text-file
// error.
class TKurFile {
 public:
  TKurFile() = default;
  ~TKurFile() { Close(); }
  TKurFile(const TKurFile&) = delete;
  TKurFile& operator=(const TKurFile&) = delete;
  void Open(const std::string& FileName);
  void Close();
  bool IsOpen() const { return f_ != nullptr; }
  // The next line into S; false at the end of the file.
  bool ReadLn(std::string& S);
  // The next line as a view into the reader's block, valid until the next read; no copy.
  bool ReadLn(std::string_view& S);
  // Sets the block size (bytes, at least 1; tests use small blocks). Takes effect on Open.
  void SetBlockSize(size_t Bytes) { block_ = Bytes < 1 ? 1 : Bytes; }

 private:
  // Reads more of the file behind the unread rest; false when nothing more came.
  bool Fill();
  std::FILE* f_ = nullptr;
  std::unique_ptr<char[]> buf_;
  size_t cap_ = 0, pos_ = 0, end_ = 0, block_ = size_t{1} << 20;
  bool eof_ = false;
};

char KurBandCode(double Lamb);
// Full path of the band file of a band code; empty for a code without a file.
std::string KurBandFile(char Code);
// The file and line number of a catalogue Id ("5x000123"); line number 0 on any failure.
int32_t KurIdToFile(const std::string& Id, std::string& FileName);
// The Id of line LineNo (from 1) of the band file of Code.
std::string KurLineId(char Code, int32_t LineNo);
// The 32 fixed columns: values and names at 1..32, entry 0 empty.
void KurSplitFixed(const std::string& Line, TStringList& Values, TStringList& Names);
std::unique_ptr<TLIDA> KuruczSLtoLI(const std::string& Id, const TStringList& Values);
// A catalogue line by Id; the reader keeps its file open between calls (per thread), so
// ascending Ids of one band read the file once.
std::unique_ptr<TLIDA> KurLineById(const std::string& Id);
// Closes the reader of KurLineById (held per thread).
void KurLineByIdClose();
// Lines read from the held band file so far (tests).
int32_t KurLineByIdCount();

// ---- lg gf sources and lookups ----
// Sets the line's LGGF and LGGFSrc from table "LGGF" by the source list: one source, or sources
// followed by "+" (mean), "1" (first present) or "<" (lowest priority); empty: no change.
void SelectLGGF(const std::string& Key, const std::string& SrcList, TLIDA& Line);
// A real field of the "Lines_" record of Key; Error -1 and 0 when there is none.
double DBLineVal(const std::string& Key, const std::string& FieldName, int32_t& Error);
