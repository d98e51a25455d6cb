// Zeeman patterns in a calculation: the effective Landé factor of a loaded line under the
// working variator's "#ZEE" text. The pattern itself is the line record's (linedata/cvZeeman.h).
#pragma once
#include <string>

#include "linedata/cvZeeman.h"

// The line of that Id in the loaded line list (0 when absent): its pattern made from its levels,
// then from the variator's "#ZEE" text when that is not "0"; its effective Landé factor. The
// pattern of the listed line is changed in place.
double LineGEff(const std::string& Id);
