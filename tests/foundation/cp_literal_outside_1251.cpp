// Compiled by the test cp_literal_outside_1251 (not part of a test program): a _cp literal
// holding a character code page 1251 lacks must not compile.
#include "foundation/cvLit.h"

std::string Inside() { return "Ёё №€ «»"_cp; }
#ifdef CP_OUTSIDE
std::string Outside() { return "Ошибка ≠ 1"_cp; }
#endif
