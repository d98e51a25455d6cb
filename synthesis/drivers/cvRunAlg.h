// The calculation dispatcher: the word of a control file's "#RUN <word> #" line (or of a main
// window button) mapped to the calculation that runs with the working variator. It holds no
// state; it only chooses. Calculations not built yet say so ("... - функция пока недоступна").
#pragma once
#include <string>

class TJob;
class TLUNNO;
class TStringList;

// Runs the calculation of Word (compared exactly; "REP_LINES" and "LINEREPORT" in any case).
// Text results go to Result; computed profiles to List. Any other word is fatal with the list of
// accepted words.
void RunAlg(TJob& Job, const std::string& Word, TStringList& Result, TLUNNO& List);
// The accepted words, in the order they are tried.
const char* const* RunAlgWords();
