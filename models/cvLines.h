// The line set and the abundances of a calculation, taken from the working variator: the line
// request "#LIN" (line Ids, or a line-set description), the per-line corrections ("#dLGGF",
// "#dLAMB", "#EWAN" and their per-line lists "#LINn", ...), "#HFS", "#LAM" and "#ABUND"; and the
// line lists built from database filters for "$LINLIST 1".
//
// Everything goes into the calculation state of the thread's context (Cont(): LiSet, LAMB,
// sLIN, HFSExtra) and the element table MEND.
#pragma once
#include <string>
#include <vector>

class TLIDA;
class TVARIATOR;

// LoadLins of "#LIN" (empty when absent).
bool LoadLinsVARI();
// The same for a run that must not go on without its lines: a request that loads no line is a
// fatal error naming the control file and line of "#LIN", the request and the reason (the Id).
void LoadLinsVARIOrStop();
// Fills the line set from a request. False when no line could be loaded (an empty request, an
// unknown Id, more than 100 Ids, a description that finds nothing); the set is then not to be
// computed with. The reason goes to Why when given (naming the Id), else into a warning.
bool LoadLins(const std::string& Request, const std::string& Extra, std::string* Why = nullptr);
// The variator's per-line corrections into the line.
void LineGetFromVARI(TLIDA& Line);
// The standard abundances of MEND, then those of "#ABUND" (pairs, or "T <name>": the file
// "ab<name>.dat" of the GEDA folder).
void LoadAbund();
// The SQL condition on the lg gf table's field Src of a "#LGGFSrc" value (fatal when several
// sources end in no choice directive "+", "1" or "<").
std::string LGGFSrcToSQL(const std::string& Text);
// The sources of a "#LGGFSrc" value (without the directive); empty for "" or "0".
std::vector<std::string> LGGFSources(const std::string& Text);
// The Ids of the database lines passing Filter (sorted by Sort when given) and, with Sources,
// having an lg gf row of one of the sources (each Id and source bound as a parameter).
std::string LinesByFilter(const std::string& Filter, const std::string& Sort,
                          const std::string& Sources);
// "#LIN <Ids>" from "#LINLIST_FILTER", "#LINLIST_SORT" and "#LGGFSrc" of the variator being read
// (empty with a warning when nothing passes).
std::string LinListFromFilter();
// The Ids alone, from the keys of Rd (the provider of "$LINLIST 1").
std::string LinListIdsOf(TVARIATOR& Rd);
// The most Ids a word request may hold.
constexpr int MaxRunLines = 100;
