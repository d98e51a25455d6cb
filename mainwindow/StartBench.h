// The Start tab's developer test bench without its controls: a fixed run of self-checks whose
// listing goes to the editor ("Тест"): two arrays of 10 values (random reals and 1..10) listed,
// sorted together and listed again, their 3-point running mean with the index range before and
// after it (a warning), the Kurucz width builder over the range, date and time conversions, and
// a 10-second clock check that reports each new hh:mm:ss as progress ("Time= hh:mm:ss OK!").
// A job: Esc ends it between steps and within the clock check.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TStringList;

namespace startbench {

// The clock check's duration in ms.
constexpr int32_t ClockCheckMs = 10000;

// The run; false when cancelled. From and To: the wavelength range texts of the Kurucz group.
bool TestBench(TJob& Job, const std::string& From, const std::string& To, TStringList& Out,
               int32_t ClockMs = ClockCheckMs);

}  // namespace startbench
