// A box for computing code that the Parts give a box: outside a job the platform's box with OK
// only; inside a job (`CurrentJob`) the text goes to the job's report through WARNAbs and no box
// opens. The string units' error handler and warning channel (`StrErrBoxPos`, `CvStrBox`) and
// the colour reduction report through it.
#pragma once
#include <string>

void WarnBox(const std::string& Text, const std::string& Caption);
