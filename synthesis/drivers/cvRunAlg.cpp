#include "synthesis/drivers/cvRunAlg.h"

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/cvModServices.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvDoCont.h"
#include "synthesis/drivers/cvRecont.h"
#include "synthesis/fit/cvAdjust.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvDialog.h"
#include "synthesis/fit/cvFitReports.h"
#include "synthesis/fit/cvSun69.h"
#include "synthesis/me/cvRach.h"

namespace {
const char* const kWords[] = {"RACH",   "PMOD1",      "PMOD1_REP1", "PMOD3",  "ION",
                              "CONT",   "AJUST_LGGF", "ADJUST",     "DIA",    "DI",
                              "RECONT", "VOIG",       "READ_SUN69", "HEIGHTS", "KURUCZ",
                              "VARI",   "REP_LINES",  "LINEREPORT", nullptr};

// The result file of the working variator's quest: "<quest>.txt" in the folder of the
// working-directory row ("ACDC", "DCTXT").
std::string ResultFile() {
  TVARIATOR* V = VariCtx().VARI;
  const std::string quest = V ? V->QUEST : std::string();
  if (quest.empty()) return std::string();
  return Models().FileOf("ACDC", "DCTXT", quest);
}
}  // namespace

const char* const* RunAlgWords() { return kWords; }

void RunAlg(TJob& Job, const std::string& Word, TStringList& Result, TLUNNO& List) {
  const std::string& w = Word;
  if (w == "RACH") {
    TRACH().Run(Job, List);
  } else if (w == "PMOD1") {
    // the reports go back with the run's text results (shown by the caller, not from the job)
    PMOD1_REPTo(Result);
  } else if (w == "PMOD1_REP1") {
    PMOD1_REP1To(Result);
  } else if (w == "PMOD3") {
    PMOD1_REPTo(Result);
    PMOD3(3);
  } else if (w == "ION") {
    // the reports go back with the run's text results (shown by the caller, not from the job)
    IONReportTo(Job, Result);
  } else if (w == "CONT") {
    doCONT(Job, List, ResultFile(), Synthesis().AppendResults());
    Synthesis().UpDateButtons();
  } else if (w == "AJUST_LGGF" || w == "VARI") {
    // nothing to run
  } else if (w == "ADJUST") {
    AdJust(Job, List, Result);
  } else if (w == "DIA") {
    DialogBuild(Job, List);
  } else if (w == "DI") {
    AlgDi(Job);
  } else if (w == "RECONT") {
    RECONT(Job, List);
  } else if (w == "VOIG") {
    TStringList table;
    VoigTable(table);
    Result.AddStrings(table);
  } else if (w == "READ_SUN69") {
    ReadSun69(Job, List);
  } else if (w == "HEIGHTS") {
    doHEIGHTS(Job, List, ResultFile(), Synthesis().AppendResults());
  } else if (w == "KURUCZ") {
    TStringList lines;
    doKurucz(Job, List, lines);
    Result.AddStrings(lines);
  } else {
    const std::string u = UpCaseStrCyr(w);
    if (u == "REP_LINES" || u == "LINEREPORT") {
      VariLineReport(Job, &Result);
      return;
    }
    std::string list;
    for (const char* const* p = kWords; *p; ++p) list += std::string(*p) + (p[1] ? "\r\n" : "");
    ModFatal("Проверьте входные данные, алгоритм расчета <"_cp + w +
             ">\r\nпрограммой не предусмотрен!\r\n"_cp + list);
  }
}
