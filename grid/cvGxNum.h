// Number and date-time text of the grid: one fixed form with "." as the decimal point, never the
// system locale. Readers throw TGxConvertError naming the text.
#pragma once
#include <cstdint>
#include <string>

#include "grid/cvGxTypes.h"

namespace gx {

// Shortest general form, up to 15 significant digits; exponent ("1E20", "1.5E-6") only when the
// number is below 1E-5 or needs more than 15 digits before the point. "NAN", "INF", "-INF".
std::string FloatText(double V);
// A float from text: optional blanks around, optional sign, digits with "." and an exponent.
double ParseFloat(const WideString& Text);
bool TryParseFloat(const std::string& Text, double& V);
// A 32-bit integer from decimal text (blanks around allowed).
int32_t ParseInt(const WideString& Text);
bool TryParseInt(const std::string& Text, int32_t& V);
// "True"/"False" (any case) or a number (non-zero is True).
bool ParseBool(const WideString& Text);
// Nearest integer, halves to even; NaN gives 0, values beyond the 32-bit range saturate.
int32_t RoundInt(double V);

// Date-time text: "yyyy-mm-dd", followed by " hh:nn:ss" when the time of day is not zero (and
// ".zzz" when there are milliseconds). The reader also takes "dd.mm.yyyy" and a time alone.
std::string DateTimeText(double DT);
double ParseDateTime(const WideString& Text);

// The value formatted by a float format pattern: sections "positive;negative;zero", digit
// placeholders "0" and "#", "." the decimal point, "," grouping by thousands, "E+"/"E-" an
// exponent, text in quotes and other characters literal.
std::string FormatFloatMask(const std::string& Mask, double V);

}  // namespace gx
