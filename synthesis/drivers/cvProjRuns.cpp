#include "synthesis/drivers/cvProjRuns.h"

#include <cmath>
#include <memory>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvCleanups.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvDoCont.h"
#include "synthesis/drivers/cvRunAlg.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// The current quest set for a run and restored on every exit.
class TQuestScope {
 public:
  explicit TQuestScope(const std::string& Quest) : saved_(Synthesis().Quest()) {
    if (Quest != saved_) {
      Synthesis().SetQuest(Quest);
      set_ = true;
    }
  }
  ~TQuestScope() {
    if (set_) Synthesis().SetQuest(saved_);
  }
  TQuestScope(const TQuestScope&) = delete;
  TQuestScope& operator=(const TQuestScope&) = delete;

 private:
  std::string saved_;
  bool set_ = false;
};

TLVARI& List() {
  TLVARI* L = VariCtx().LVARI;
  if (!L) ErrAbs("LVARI Not Assigned!");
  return *L;
}

// False (warned) when the quest's control file is missing.
bool QuestFileFound(const std::string& Name, std::string& File) {
  File = QuestFile(Name);
  if (platform::IsRegularFile(File)) return true;
  WARNAbs("В проекте <"_cp + Synthesis().ProjectName() + "> в его директории \r\n<"_cp +
          Models().ProjectDir() + ">\r\nне найден файл <"_cp + File + "> !!!");
  return false;
}

// After a step's run: the keys nothing read leave the step; varied ones stay (the step's
// profiles carry combination numbers of its grid) and are named once.
void DropUnused(TVARIATOR& V) {
  std::string gone;
  const std::string varied = V.DropUnread(gone);
  if (!varied.empty())
    WARNAbs("RunQuest <"_cp + V.QUEST + ">." + IntStr(V.IQ) +
            ": расчет не прочитал ни одного значения ключей "_cp + varied +
            ",\r\nони лишь умножили число вариантов (NK="_cp + IntStr(V.NK) + ")!");
  if (!gone.empty() && ChanOn(1)) Sayer->ChanLog(1, "RunQuest DelUnused: " + gone);
}

// The default control text of the automatic runs.
std::string DefaultFile() { return FindNoCase(Models().Root(), "ONE/Default.DAT"); }

// "#MOD" with the two reference models HOLMU and CV.
void AddReferenceModels(TVARIATOR& V) {
  TStringList mods;
  mods.Add("#MOD");
  mods.Add("T HOLMU");
  mods.Add("T CV");
  V.AddPSL(&mods);
}

// The working variator replaced for a while and restored on every exit.
class TVariSwap {
 public:
  explicit TVariSwap(TVARIATOR* V) : saved_(VariCtx().VARI) { VariCtx().VARI = V; }
  ~TVariSwap() { VariCtx().VARI = saved_; }
  TVariSwap(const TVariSwap&) = delete;
  TVariSwap& operator=(const TVariSwap&) = delete;

 private:
  TVARIATOR* saved_;
};

}  // namespace

std::string QuestFile(const std::string& Name) {
  return FindNoCase(Models().ProjectDir(), "ONE/" + Name + ".DAT");
}

bool LoadVARI(const std::string& Name) {
  std::string file;
  if (!QuestFileFound(Name, file)) return false;
  TQuestScope quest(Name);
  List().LoadFromFile(Name, file, false);
  VariCtx().VARI = List().GetQuestVARI(Name);
  return true;
}

bool LoadAndRunOne(TJob& Job, const std::string& Name, TLUNNO& Profiles, TQuestText& Out) {
  std::string file;
  if (!QuestFileFound(Name, file)) return false;
  TQuestScope quest(Name);
  List().LoadFromFile(Name, file, false);
  RunQuest(Job, Name, Profiles, Out);
  return !Job.Cancelled();
}

std::string SelectVARIStep(int32_t Index) {
  TLVARI& L = List();
  if (Index < 0 || Index >= L.Count()) return std::string();
  TVARIATOR* V = L.Items(Index);
  VariCtx().VARI = V;
  if (!V || V->QUEST != Synthesis().Quest()) return std::string();
  V->KIdx = 1;
  return V->GetS("#RUN");
}

void RunVARI(TJob& Job, TLUNNO& Profiles, TStringList* Result) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) {
    WARNAbs("Рабочий вариатор VARI неопределен!"_cp);
    return;
  }
  const std::string word = V->GetS("#RUN");
  TStringList res;
  RunAlg(Job, word, res, Profiles);
  if (Result && res.Count() > 0) Result->AddStrings(res);
  // the step's vectors into the main window's table (after the job when one runs)
  Models().VEMOFill();
}

void RunQuest(TJob& Job, const std::string& Name, TLUNNO& Profiles, TQuestText& Out) {
  TQuestScope quest(Name);
  // the result files take the run's text at its end only: a cancel keeps the previous ones
  TResultFiles results;
  TLVARI& L = List();
  const int32_t n = L.Count();
  std::string word;
  for (int32_t i = 0; i < n; ++i) {
    word = SelectVARIStep(i);
    TVARIATOR* V = VariCtx().VARI;
    if (word.empty() || !V || V->QUEST != Name) continue;
    if (ChanOn(1)) Sayer->ChanLog(1, "RunQuest " + Name + "." + IntStr(V->IQ) + " " + word);
    V->ClearUse();
    RunVARI(Job, Profiles, &Out.Text);
    if (Job.Cancelled()) return;
    DropUnused(*V);
  }
  results.Commit();
  Out.Title = word;
}

// ---------------------------------------------------------------- automatic central depths

bool CalcD0KurLines(TJob& Job, TDM& D, TLUNNO& Profiles, const std::string& From,
                    const std::string& To) {
  const std::string file = DefaultFile();
  if (!platform::IsRegularFile(file)) {
    WARNAbs("Файл начальных данных по умолчанию <"_cp + file + "> не найден!"_cp);
    return false;
  }
  const std::string Q = "AUTO_d0";
  List().LoadFromFile(Q, file, true);
  TVARIATOR* V = List().GetQuestVARI(Q);
  if (!V) {
    // nothing to add the models, lines and run to: stop before the table is touched
    WARNAbs("CalcD0KurLines: файл <"_cp + file + "> не дал ни одного шага квеста "_cp + Q +
            " (нет строки #RUN до #EXIT) - d0 не рассчитываются!"_cp);
    return false;
  }
  AddReferenceModels(*V);
  V->AddP("#LAMS 0");

  const TLambCond c = LambFilter(From, To);
  TcvTable& T = D.ADOKurLines;
  T.Close();
  T.SetFilter(c.Sql, c.Params);
  T.SetFiltered(!c.Empty());
  T.Open();
  TStringList ids;
  ids.Add("#LIN");
  for (T.First(); !T.Eof(); T.Next()) ids.Add(T.FieldByName("Id").AsString());
  T.Close();
  if (ids.Count() == 1) {
    WARNAbs("В фильтре "_cp + c.Shown + " нет записей!"_cp);
    return false;
  }
  V->AddPSL(&ids);
  V->AddP("#RUN CONT");
  V->MoveToTail("#RUN");

  {
    TVariSwap swap(V);
    V->KIdx = 1;
    TStringList res;
    RunVARI(Job, Profiles, &res);
  }
  if (Job.Cancelled()) return false;

  TcvDatabase::TTransaction tr(&D.ADOConnection);
  T.SetFilter("", {});
  T.SetFiltered(false);
  T.Open();
  const int32_t n = Profiles.Count();
  int32_t written = 0;
  for (int32_t i = 0; i < n; ++i) {
    TUNNO& U = *Profiles.Items(i);
    if (U.QUEST != Q) continue;
    if (!T.Locate("Id", TextValue(TrimSp(U.sULin)))) continue;
    double d = RoundDec(U.GetD0(), 7) * 100;
    if (!(d >= 0)) d = 0;
    const std::string mod = TrimSp(V->GetPKS("MOD", U.KVARI));
    const char* field = mod == "T HOLMU" ? "dHM" : mod == "T CV" ? "dCV" : nullptr;
    if (field) {
      T.Edit();
      T.FieldByName(field).SetAsFloat(d);
      T.Post();
      ++written;
    }
    // after each located profile
    std::string p = IntStr((i + 1) * 100 / n);
    if (p.size() < 2) p = "0" + p;
    if (!Job.Step(i + 1, n, "бежим по LUNNO "_cp + p + "%")) {
      T.Close();
      return false;  // the transaction rolls back
    }
  }
  T.Close();
  tr.Commit();
  return written > 0;
}

// ---------------------------------------------------------------- reference-model runs

bool ReferenceRun(const std::string& Quest, TLIDA& Line, double& HM, double& CV) {
  HM = CV = 0;
  const bool depth = Quest == "d0HMCV";
  if (!depth && Quest != "W_HMCV") {
    WARNAbs("RunVARI: квест <"_cp + Quest + "> не является расчетом по опорным моделям!"_cp);
    return false;
  }
  const std::string file = FindNoCase(Models().Root(), "ONE/default.dat");
  if (!platform::IsRegularFile(file)) {
    WARNAbs("Файл начальных данных по умолчанию <"_cp + file + "> не найден!"_cp);
    return false;
  }
  TVariContext& ctx = VariCtx();
  List().LoadFromFile(Quest, file, true);
  TVARIATOR* V = List().GetQuestVARI(Quest);
  if (!V) {
    WARNAbs("RunVARI: файл <"_cp + file + "> не дал шага квеста "_cp + Quest + "!");
    return false;
  }
  if (depth) {
    AddReferenceModels(*V);
    for (const char* p : {"#NLAM 1", "#DL0 0", "#DLK 1", "#ERR 1E-4", "#MAXSTEP 0.3"}) V->AddP(p);
  } else {
    // one value holding the whole list of offsets (mA): a grid for each profile, not a dimension
    std::string err, lams;
    ExpandSeqBrackets("(0 100 4) (110 250 10) (275 500 25) (600 1500 100)", err, lams);
    V->AddPQOneStr("#LAMS " + TrimSp(lams), true);
    AddReferenceModels(*V);
    V->AddP("#ERR 1E-4");
    V->AddP("#MAXSTEP 0.3");
  }
  ctx.VARIWHM = V;
  V->AddP("#LIN " + Line.sIdK);
  if (!depth) V->MoveToTail("#RUN");

  TLUNNO profiles;
  {
    TVariSwap swap(V);
    V->KIdx = 1;
    TJob* job = CurrentJob();
    TJob own("RunVARI " + Quest);
    RunVARI(job ? *job : own, profiles, nullptr);
    if ((job ? *job : own).Cancelled()) return false;
  }
  TUNNO* hm = profiles.GetByVar(Quest, V->IQ, 1);
  TUNNO* cv = profiles.GetByVar(Quest, V->IQ, 2);
  if (!hm || !cv) {
    WARNAbs("RunVARI(" + Quest + "): для линии <"_cp + Line.sIdK +
            "> не получены профили в моделях HOLMU и CV!"_cp);
    return false;
  }
  if (depth) {
    HM = hm->GetD0();
    CV = cv->GetD0();
  } else {
    HM = FullEqWidthI(*hm);
    CV = FullEqWidthI(*cv);
  }
  return true;
}

void InstallReferenceRuns() { LineData().RunVARI.Install(ReferenceRun); }
