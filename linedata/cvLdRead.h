// Reading the system's data files line by line with the directive-file reader, where a malformed
// line is reported (file, line, column and what is wrong) and passed over, so that the other lines
// still load. At the end one warning lists the malformed lines and the editor opens the file at
// the first of them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvCIL.h"

class TLineErrors {
 public:
  TLineErrors(TCIL& Reader, std::string Routine) : r_(Reader), routine_(std::move(Routine)) {}
  // Notes an error of the reader's current line (at the word marked last, when one is).
  void Add(const std::string& Msg);
  int32_t Count() const { return static_cast<int32_t>(texts_.size()); }
  const std::vector<std::string>& Texts() const { return texts_; }
  // The warning and the editor, when there were errors.
  void Report();

 private:
  TCIL& r_;
  std::string routine_;
  std::vector<std::string> texts_;
  std::string firstFile_;
  int32_t firstLine_ = 0;
  int32_t firstPos_ = 0;
  std::string firstText_;
};

// Loads a data file into the reader with the editor as its error callback.
void LoadDataFile(TCIL& Reader, const std::string& FileName, const std::string& Caption);
// A real in the program's number forms (an exponent may lack its letter: 1.5-3).
bool WordReal(const std::string& Word, double& V);
bool WordInt(const std::string& Word, int32_t& V);
