#include <memory>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// The current quest as it was, put back when the run ends in any way.
class TQuestScope {
 public:
  TQuestScope() : saved_(Synthesis().Quest()) {}
  ~TQuestScope() {
    try {
      if (Synthesis().Quest() != saved_) Synthesis().SetQuest(saved_);
    } catch (...) {
    }
  }
  TQuestScope(const TQuestScope&) = delete;
  TQuestScope& operator=(const TQuestScope&) = delete;

 private:
  std::string saved_;
};

}  // namespace

bool TRACH::Run(TJob& Job, TLUNNO& List) {
  TVARIATOR* pv = VariCtx().VARI;
  if (!pv) ErrAbs("TRACH.Run: нет текущего вариатора VARI!"_cp);
  TVARIATOR& V = *pv;
  TQuestScope quest;
  List.DeleteQuestIQ(V.QUEST, V.IQ);
  TOptionScope opt("RACH");
  Synthesis().ShowSayerSwitches();
  sName = Synthesis().Quest();
  TCONT& C = Cont();
  const int32_t nk = V.NK < 1 ? 1 : V.NK;
  for (int32_t k = 1; k <= nk; ++k) {
    if (!Job.Step(k - 1, nk, "RACH " + IntStr(k) + "/" + IntStr(nk))) return false;
    V.KIdx = k;
    C.KVOIG = V.GetI("#KVOIG", 6);
    int32_t nlam = V.GetI("#NLAM", 0);
    auto U = std::make_unique<TUNNO>();
    U->SetDefaults();
    U->ALG = "RACH";
    U->QUEST = sName;
    U->IQ = V.IQ;
    std::string name;
    RachGetFromVARI(V, k, name, nlam, P, *U);
    U->sULin = name;
    TLIDA line;
    // the load's hyperfine flag: the analytic profile takes the line's pattern alone
    (void)V.GetR("dHFS", 0);
    if (!line.DBGetLIDA(name, LineData().LGGFSrcList())) {
      WARNAbs("TRACH.Run: линия <"_cp + name + "> не загружена из БД, расчет остановлен на KVARI="_cp +
              IntStr(k) + " из "_cp + IntStr(nk));
      return false;
    }
    LineGetFromVARI(line);
    ZeeSetLine(line);
    RACH(P, line.Zee, *U);
    U->KVARI = k;
    List.Add(std::move(U));
  }
  Job.Step(nk, nk, "RACH");
  if (ChanOn(20)) {
    const std::string file = Models().FileOf("ACDC", "ACDAT", sName);
    if (ForceFileDir(file))
      V.SaveCtrlText(file, 1);
    else
      WARNAbs("TRACH.Run: невозможно создать директорию для файла\r\n"_cp + file);
  }
  return true;
}
