// Option switch files: each calculation routine may be steered by its own file of up to 31
// yes/no switches, found through the working-directory table as the pair (routine, "OTL").
// RDOT turns a file into a 32-bit mask (switch i is bit i - 1). TOptionScope is how a routine
// uses it: the trace mask saved, the routine's mask installed, and the saved mask restored on
// every exit, exceptions included.
#pragma once
#include <cstdint>
#include <string>

// Reads an option file: line 1 free text, line 2's first word the title, line 3 free text,
// lines 4..34 switches 1..31 (on when the first word begins with "1", "Y", "y", "Д" or "д").
// Comments ("!") and empty lines do not count. A missing file gives mask 0 and title "OTL" (a
// line in the log). Switch 1 sets the message sink's trace flag.
void RDOT(const std::string& FileName, int32_t& Mask, std::string& Title);
void RDOTIO(const std::string& FileName, int32_t& Mask);

class TOptionScope {
 public:
  // Saves the thread's trace mask on StackIO, reads the option file of the routine and, with
  // Install, makes its mask the thread's trace mask.
  explicit TOptionScope(const std::string& Routine, bool Install = true);
  ~TOptionScope();
  TOptionScope(const TOptionScope&) = delete;
  TOptionScope& operator=(const TOptionScope&) = delete;

  // Switch I (1..31) of the routine's file.
  bool On(int32_t I) const { return I >= 1 && I <= 31 && ((Mask >> (I - 1)) & 1) != 0; }

  int32_t Mask = 0;
  std::string Title;
  std::string FileName;

 private:
  int32_t savedMask_ = 0;
  int32_t savedDepth_ = 0;
};
