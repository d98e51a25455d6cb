// The Start tab's utilities without their controls: the four groups of FITS combination fields
// as clipboard text and back.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace startutils {

// The texts of one group in its control order: first combo, operator combo, second combo,
// operator edit and, for groups 2 and 4, the group-joining combo.
using TFITSGroup = std::vector<std::string>;
using TFITSGroups = std::array<TFITSGroup, 4>;

// Four lines joined by CR LF, each the group's texts joined by single blanks.
std::string FITSGroupsText(const TFITSGroups& G);
// The groups read back from a clipboard text; false with Error (the message) when the text has
// not exactly four lines (a last line end not counted), and then G stays as it was. Groups whose
// fields are all empty are lines of blanks and stay lines, so what was saved loads back.
bool FITSGroupsFromText(const std::string& Text, TFITSGroups& G, std::string& Error);

}  // namespace startutils
