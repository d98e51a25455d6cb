#include "mainwindow/TabProj.h"

#include <filesystem>
#include <vector>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvDate.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TabStart.h"
#include "models/cvModServices.h"
#include "models/cvOTL.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "foundation/cvJob.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"
#include "app/AppLinks.h"
#include "platform/Cursor.h"
#include "platform/Dialogs.h"
#include "platform/FileErr.h"
#include "platform/qt/QtCanvas.h"

namespace {

const std::string CRLF = "\r\n";

void Trace(const char* Text) {
  if (Sayer && ChanOn(1)) Sayer->ChanLog(1, Text);
}

// The memo's lines as one text (CR LF between them); empty when they hold nothing but blanks.
std::string MemoText(const platform::TMemo* M) {
  const std::vector<std::string> lines = M->Lines();
  TStringList L;
  bool any = false;
  for (const std::string& s : lines) {
    L.Add(s);
    if (!TrimSp(s).empty()) any = true;
  }
  return any ? SListToStr(&L) : std::string();
}

void ShowText(platform::TMemo* M, const std::string& Text) {
  std::vector<std::string> lines;
  if (!Text.empty()) {
    const std::unique_ptr<TStringList> L = SplitByStr(Text, CRLF);
    for (int i = 0; i < L->Count(); ++i) lines.push_back((*L)[i]);
  }
  M->SetLines(lines);
}

// The items of a box replaced, its text kept.
void FillItems(platform::TComboBox* C, const std::vector<std::string>& Items) {
  const std::string text = C->Text();
  C->ClearItems();
  for (const std::string& s : Items) C->AddItem(s);
  C->SetText(text);
}

// The item of exactly that text made the selected one.
void SelectExact(platform::TComboBox* C, const std::string& Text) {
  for (int32_t i = 0; i < C->ItemCount(); ++i)
    if (C->Item(i) == Text) {
      C->SetItemIndex(i);
      return;
    }
}

// The chosen item's text, or the first item's when none is chosen.
std::string SelectedOrFirst(const platform::TComboBox* C) {
  const int32_t i = C->ItemIndex();
  return C->Item(i >= 0 ? i : 0);
}

// The text is a name typed, not an item of the list.
bool Typed(const platform::TComboBox* C) {
  const int32_t i = C->ItemIndex();
  return i < 0 || C->Item(i) != C->Text();
}

// A name that was never entered.
bool NoName(const std::string& Name, const char* Placeholder) {
  return TrimSp(Name).empty() || Name == Placeholder;
}

bool MakeFolder(const std::string& Dir) {
  return platform::IsDirectory(Dir) || ForceFileDir(DirSlash(Dir));
}

}  // namespace

int32_t QuestVariCount(const std::string& Quest) {
  TLVARI* L = VariCtx().LVARI;
  return L ? L->CountQuest(Quest) : 0;
}

void TTabProj::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, cbProjectNameSelect);
  CV_HANDLER(H, cbQuestNameSelect);
  CV_HANDLER(H, btProjSaveClick);
  CV_HANDLER(H, btQuestSaveClick);
  CV_HANDLER(H, btBasePathClick);
  CV_HANDLER(H, btEnterHintClick);
  CV_HANDLER(H, btLoadVARIClick);
  CV_HANDLER(H, btDC_LoadClick);
  CV_HANDLER(H, btTimeProfileClick);
  CV_HANDLER(H, cbAppendResClick);
  CV_HANDLER(H, BitBtn2Click);
  mainlinks::Hooks().LoadDC.Install([this] { LoadDC(); });
  mainlinks::Hooks().LoadAndRunOne.Install([this] { RunQuestJob(); });
  mainlinks::Hooks().ProfileCount.Install([] { return LUNNO ? LUNNO->Count() : 0; });
  // btRUNClick is registered by the Debug tab (its RUN too), which runs this tab's.
}

// ---------------------------------------------------------------- the tab shown

void TTabProj::TabProjShow() {
  Trace("TabProj.Show");
  if (!Shell.qProjCtrlsReady) {
    const std::string base = App && App->TunGlobal ? App->TunGlobal->Get("ProjBasePath") : "";
    if (!base.empty()) edBasePath->SetText(base);
    Trace("TabProj - TabControlsSetDirs");
    TabControlsSetDirs();
    Shell.qProjCtrlsReady = true;
  }
  Trace("TabProj - TabProjListUpdate");
  ProjListUpdate();
  Trace("TabProj - UpDateButtons");
  UpDateButtons();
  cbAppendRes->SetChecked(App && App->TunCommon && App->TunCommon->Flag("AppendResults"));
  Trace("TabProj.Show - DONE");
}

// ---------------------------------------------------------------- lists

void TTabProj::ProjListUpdate() {
  if (!App || !DMReady()) return;
  TcvTable& T = DM->ADOProjects;
  T.Close();
  T.SetFiltered(false);
  T.Open();
  std::vector<std::string> names;
  for (T.First(); !T.Eof(); T.Next()) names.push_back(T.FieldByName("ProjName").AsString());
  FillItems(cbProjectName, names);

  std::string P = App->TunGlobal ? App->TunGlobal->Get("CurrentProject") : "";
  if (P.empty() && cbProjectName->ItemCount() > 0) P = SelectedOrFirst(cbProjectName);
  if (P.empty()) P = cbProjectName->Text();
  App->sProject = P;
  if (!P.empty() && T.Locate("ProjName", TextValue(P))) {
    SelectExact(cbProjectName, P);
    ShowText(MemoProjectDesc, T.FieldByName("Description").AsString());
  }
  QuestListUpdate();
}

void TTabProj::QuestListUpdate() {
  if (!App || !DMReady()) return;
  const std::string P = cbProjectName->Text();
  TcvTable& T = DM->ADOQuests;
  T.Close();
  T.SetFilter("ProjName = ?", {TextValue(P)});
  T.SetFiltered(true);
  T.Open();
  // the filter ignores case; a project's quests are those of exactly its name
  std::vector<std::string> quests;
  for (T.First(); !T.Eof(); T.Next())
    if (T.FieldByName("ProjName").AsString() == P)
      quests.push_back(T.FieldByName("QuestName").AsString());
  cbQuestName->ClearItems();
  if (quests.empty()) {
    cbQuestName->SetText(NoQuest);
    MemoQuestDesc->SetLines({});
    return;
  }
  FillItems(cbQuestName, quests);

  TTunes* C = App->TunCommon.get();
  std::string Q = C ? C->Get(P + ".CurrentQuest") : "";
  int32_t S = C ? C->GetIntDef(P + ".CurrentQuestStep", 0) : 0;
  if (!Q.empty() && S == 0) S = QuestVariCount(Q);
  if (Q.empty() && cbQuestName->ItemCount() > 0) {
    Q = SelectedOrFirst(cbQuestName);
    S = QuestVariCount(Q);
  }
  if (Q.empty()) {
    Q = cbQuestName->Text();
    S = QuestVariCount(Q);
  }
  if (!Q.empty() && T.Locate("ProjName;QuestName", {TextValue(P), TextValue(Q)})) {
    SelectExact(cbQuestName, Q);
    ShowText(MemoQuestDesc, T.FieldByName("Description").AsString());
  }
  App->sQuest = Q;
  App->iStep = S;
  ShowQuestSteps(S);
  TabControlsSetDirs();
}

std::string TTabProj::FolderOfPath(const std::string& Path) const {
  return DirSlash(PathBelow(App->sRoot, SlashPath(Path)));
}

std::string TTabProj::ProjDirFromDB(std::string* Why) {
  return ProjDirFromDB(cbProjectName->Text(), Why);
}

std::string TTabProj::ProjDirFromDB(const std::string& P, std::string* Why) {
  std::string why;
  std::string dir = "***";
  if (DMReady()) {
    TcvTable& T = DM->ADOProjects;
    T.Close();
    T.SetFiltered(false);
    T.Open();
    if (T.Locate("ProjName", TextValue(P))) {
      const std::string D = T.FieldByName("Path").AsString();
      if (!TrimSp(D).empty() && MakeFolder(FolderOfPath(D)))
        dir = FolderOfPath(D);
      else
        why = "It is impossible to create directory <" + D + "> for project <" + P + ">";
    } else {
      why = "Project named as <" + P + "> not jet saved!";
    }
  } else {
    why = "Project named as <" + P + "> not jet saved!";
  }
  if (!why.empty()) {
    if (Why)
      *Why = why;
    else
      WARN(why);
  }
  return dir;
}

// ---------------------------------------------------------------- settings sets

void TTabProj::SaveProjectSets() {
  if (!App) return;
  for (TTunes* T : {App->TunCommon.get(), App->TunSizes.get(), App->TunPict.get()})
    if (T) T->Save();
}

void TTabProj::LoadProjectSets(const std::string& Dir) {
  const std::string file = FindNoCase(Dir, "cvtunes.ini");
  for (TTunes* T : {App->TunCommon.get(), App->TunSizes.get(), App->TunPict.get()}) {
    if (!T) continue;
    // a key absent from the new file must not keep the old project's value
    if (T->Names) T->Names->Clear();
    if (T->Values) T->Values->Clear();
    T->Reload(file);
  }
  Shell.DebugTab().LoadSayerTunes();
  Shell.DebugTab().ShowSayerSwitches();
}

void TTabProj::TakeQuestVARI() {
  TVariContext& ctx = VariCtx();
  ctx.VARI = ctx.LVARI ? ctx.LVARI->GetQuestVARI(App->sQuest) : nullptr;
}

// ---------------------------------------------------------------- choosing

void TTabProj::cbProjectNameSelect(TSender) {
  if (!App) return;
  const std::string P = cbProjectName->Text();
  const std::string old = App->sProject;
  SaveProjectSets();
  std::string why;
  const std::string dir = ProjDirFromDB(&why);
  if (dir == "***") {
    WARNAbs(why + CRLF + "Остаётся проект <"_cp + old + ">");
    ProjListUpdate();  // the box back to the project in force
    return;
  }
  App->sProject = P;
  if (App->TunGlobal) App->TunGlobal->Set("CurrentProject", P);
  App->sProjDir = dir;
  LoadProjectSets(dir);
  ProjListUpdate();
  TabControlsSetDirs();
  TakeQuestVARI();
  UpDateButtons();
}

void TTabProj::cbQuestNameSelect(TSender) {
  if (!App) return;
  const std::string P = cbProjectName->Text();
  const std::string Q = cbQuestName->Text();
  App->sQuest = Q;
  TTunes* C = App->TunCommon.get();
  if (C) C->Set(P + ".CurrentQuest", Q);
  const int32_t S = QuestVariCount(Q);
  App->iStep = S;
  if (C) C->Set(P + ".CurrentQuestStep", IntStr(S));
  QuestListUpdate();
  TabControlsSetDirs();
  TakeQuestVARI();
  App->iStep = QuestVariCount(App->sQuest);
  UpDateButtons();
}

// ---------------------------------------------------------------- saving

std::string TTabProj::BaseFolder() const {
  const std::string B = edBasePath->Text();
  if (TrimSp(B).empty() || B == "Базовая директория проектов"_cp) return {};
  return PathBelow(App->sRoot, SlashPath(B));
}

void TTabProj::btProjSaveClick(TSender) {
  if (!App) return;
  SaveProjectSets();
  const std::string P = cbProjectName->Text();
  if (NoName(P, NoProject)) {
    WARN("Input project name first!");
    return;
  }
  const std::string desc = MemoText(MemoProjectDesc);
  if (desc.empty()) {
    WARN("Please, input project description!");
    return;
  }
  const std::string B = edBasePath->Text();
  const std::string base = BaseFolder();
  if (base.empty() || !MakeFolder(base)) {
    WARN("Path <" + B + "> is not correct directory!" + CRLF +
         "Please, select Base Path for all projects!");
    return;
  }
  if (!DMReady()) return;
  const bool typed = Typed(cbProjectName);
  // the record is written by the window's connection: while a job works on the database, the
  // save waits for its end (never inside the job's transaction)
  Jobs.AfterJob("Сохранение проекта <"_cp + P + ">",
                [this, P, B, desc, typed] { SaveProjectRecord(P, B, desc, typed); });
}

void TTabProj::SaveProjectRecord(const std::string& P, const std::string& B,
                                 const std::string& desc, bool typed) {
  if (!App || !DMReady()) return;
  TcvTable& T = DM->ADOProjects;
  T.Close();
  T.SetFiltered(false);
  T.Open();
  if (T.Locate("ProjName", TextValue(P))) {
    T.Edit();
  } else {
    T.Append();
    T.FieldByName("ProjName").SetAsString(P);
  }
  T.FieldByName("Path").SetAsString(PathJoin(B, P));
  T.FieldByName("Description").SetAsString(desc);
  T.FieldByName("IdUser").SetAsInteger(1);
  T.Post();

  std::string why;
  const std::string dir = ProjDirFromDB(P, &why);
  if (dir == "***") {
    WARNAbs(why + CRLF + "Остаётся проект <"_cp + App->sProject + ">");
  } else {
    App->sProject = P;
    if (App->TunGlobal) App->TunGlobal->Set("CurrentProject", P);
    App->sProjDir = dir;
    LoadProjectSets(dir);
  }
  if (typed) ProjListUpdate();
}

void TTabProj::btQuestSaveClick(TSender) {
  if (!App) return;
  // its warnings are seen as boxes, whatever the sink's switch
  struct TBoxesOn {
    bool was = Sayer->qBoxes;
    TBoxesOn() {
      if (!was) Sayer->BoxesOn();
    }
    ~TBoxesOn() {
      if (!was) Sayer->BoxesOff();
    }
  } boxes;
  const std::string Q = cbQuestName->Text();
  const std::string P = cbProjectName->Text();
  if (NoName(Q, NoQuest)) {
    WARN("Input question name first!");
    return;
  }
  if (NoName(P, NoProject)) {
    WARN("Input project name first!");
    return;
  }
  const std::string desc = MemoText(MemoQuestDesc);
  if (desc.empty()) {
    WARN("Please, input question description!");
    return;
  }
  if (!DMReady()) return;
  const bool typed = Typed(cbQuestName);
  // as the project's save: after the running job, if any
  Jobs.AfterJob("Сохранение задачи <"_cp + Q + ">",
                [this, P, Q, desc, typed] { SaveQuestRecord(P, Q, desc, typed); });
}

void TTabProj::SaveQuestRecord(const std::string& P, const std::string& Q,
                               const std::string& desc, bool typed) {
  if (!App || !DMReady()) return;
  const double now = NowDateTime();
  TcvTable& T = DM->ADOQuests;
  T.Close();
  T.SetFiltered(false);
  T.Open();
  if (T.Locate("ProjName;QuestName", {TextValue(P), TextValue(Q)})) {
    T.Edit();
  } else {
    T.Append();
    T.FieldByName("ProjName").SetAsString(P);
    T.FieldByName("QuestName").SetAsString(Q);
    T.FieldByName("DateBeg").SetAsDateTime(now);  // the quest's start: only on a new row
  }
  T.FieldByName("Description").SetAsString(desc);
  T.FieldByName("IdUser").SetAsInteger(1);
  T.FieldByName("DateLast").SetAsDateTime(now);
  T.Post();

  App->sQuest = Q;
  TTunes* C = App->TunCommon.get();
  if (C) C->Set(P + ".CurrentQuest", Q);
  const int32_t S = QuestVariCount(Q);
  App->iStep = S;
  if (C) C->Set(P + ".CurrentQuestStep", IntStr(S));
  if (typed) QuestListUpdate();
  TabControlsSetDirs();
  UpDateButtons();
}

void TTabProj::btBasePathClick(TSender) {
  if (!App) return;
  std::string B = BaseFolder();
  if (!B.empty() && !MakeFolder(B)) B.clear();
  platform::TFileAsk A;
  A.Folder = true;
  A.InitialDir = B;
  const std::optional<std::string> chosen = platform::AskOpenFile(A);
  if (!chosen || chosen->empty()) {
    WARN("Каталог не выбран!"_cp);
    return;
  }
  edBasePath->SetText(*chosen);
  if (App->TunGlobal) App->TunGlobal->Set("ProjBasePath", *chosen);
}

// ---------------------------------------------------------------- working files

void TTabProj::SetHint(const char* Control, const std::string& Hint) {
  if (auto* W = qobject_cast<QWidget*>(Shell.Control(Control))) W->setToolTip(platform::QtStr(Hint));
}

void TTabProj::TabControlsSetDirs() {
  if (!App || !cvDirs) return;
  Trace("TabControlsSetDirs STARCTRL >");
  Trace("TabControlsSetDirs PMOD1OTL >");
  const std::string& dir = App->sProjDir;
  const std::string Q = App->sQuest;
  const std::string QS = App->QuestStepName();
  // the file named after the quest, else the one after quest and step when only that exists
  auto either = [](const std::string& ByQuest, const std::string& ByStep) {
    return platform::IsRegularFile(ByQuest) || !platform::IsRegularFile(ByStep) ? ByQuest : ByStep;
  };
  const std::string C =
      either(FindNoCase(dir, "ONE/" + Q + ".DAT"), FindNoCase(dir, "ONE/" + QS + ".DAT"));
  for (const char* b : {"btCTRL", "btCTRL_2", "btRACHCTRL"}) SetHint(b, C);
  const std::string R =
      either(FindNoCase(dir, "DC/" + Q + ".TXT"), FindNoCase(dir, "DC/" + QS + ".TXT"));
  for (const char* b : {"btDC", "btDC_2"}) SetHint(b, R);
  const std::string pic =
      either(cvDirListFile("RACH", "PIC", Q), cvDirListFile("RACH", "PIC", QS));
  for (const char* b : {"btRACHPIC", "btRACHPIC_02"}) SetHint(b, pic);

  const struct {
    const char* Button;
    const char* Module;
    const char* Func;
  } fixed[] = {{"btPMOD1OTL", "PMOD1", "OTL"}, {"btIONOTL", "MOD", "OTL"},
               {"btIONRES", "MOD", "RES"},     {"btPMOD3OTL", "PMOD3", "OTL"},
               {"btPMOD3RES", "PMOD3", "RES"}, {"btPMOD3OUT", "PMOD3", "OUT"},
               {"btCONTOTL", "CONT", "OTL"},   {"btROUTDAT", "GEDA", "ROUT"},
               {"btRESTART", "CONT", "RESTART"}, {"btRACHOTL", "RACH", "OTL"},
               {"btGRAD", "GRAD", "CTRL"},     {"btVEMO", "GEDA", "VEMO"},
               {"btCONV", "GEDA", "CONVERT"},  {"btREPO", "GEDA", "REPORT"},
               {"btScale", "GEDA", "SCALES"}};
  for (const auto& f : fixed) SetHint(f.Button, cvDirList(f.Module, f.Func));

  Trace("TabControlsSetDirs RACHLIST >");
  Trace("TabControlsSetDirs CheckByTPL MOD OTL >");
  for (const char* m : {"MOD", "PMOD1", "PMOD3", "CONT", "RACH"}) cvDirs->CheckByTPL(m, "OTL");

  // each reading starts from an empty mask: the mask ends as the RACH file's switches
  auto read = [](const char* Module, std::string& Title) {
    TraceMask = 0;
    RDOT(cvDirList(Module, "OTL"), TraceMask, Title);
  };
  Trace("TabControlsSetDirs RDOT MOD OTL >");
  read("MOD", OTLTitleMOD);
  Trace("TabControlsSetDirs RDOT PMOD1 OTL >");
  read("PMOD1", OTLTitlePMOD1);
  read("PMOD3", OTLTitlePMOD3);
  read("CONT", OTLTitleCONT);
  Trace("TabControlsSetDirs RDOT RACH OTL >");
  read("RACH", OTLTitleRACH);

  Trace("TabControlsSetDirs IONLOG >");
  SetHint("btIONLOG", cvDirListFile("MOD", "LOG", OTLTitleMOD));
  SetHint("btPMOD1LOG", cvDirListFile("PMOD1", "LOG", OTLTitlePMOD1));
  SetHint("btPMOD3LOG", cvDirListFile("PMOD3", "LOG", OTLTitlePMOD3));
  SetHint("btCONTLOG", cvDirListFile("CONT", "LOG", OTLTitleCONT));
  Trace("TabControlsSetDirs MODTTT >");
  SetHint("btMODTTT", cvDirListFile("MOD", "TTT", ModLogName));
  SetHint("btMODLPG", cvDirListFile("MOD", "LPG", ModLogName));
  SetHint("btMODLPE", cvDirListFile("MOD", "LPE", ModLogName));
  SetHint("btZeeCTRL", cvDirList("ZEE", "CTRL"));
  SetHint("btZeeRES", cvDirList("ZEE", "RES"));
  Trace("TabControlsSetDirs STARCTRL DONE!");
}

void TTabProj::UpDateButtons() {
  for (const std::string& name : Shell.Registry.Names()) {
    if (Shell.Registry.KindOf(name) != "TBitBtn") continue;
    auto* B = Shell.Registry.As<platform::TBitBtn>(name);
    if (!B) continue;
    const int32_t tag = B->Tag();
    if (tag != 2 && (tag < 4 || tag > 7)) continue;
    const std::string file = TrimSp(B->Hint());
    B->setEnabled(!file.empty() && platform::IsRegularFile(file));
  }
}

void TTabProj::btEnterHintClick(TSender E) {
  auto* B = dynamic_cast<platform::TButton*>(E.Sender);
  if (!B) return;
  const std::string key = B->HelpKeyword();
  const std::string w1 = WordN(key, 1), w2 = WordN(key, 2);
  std::string F = TrimSp(B->Hint());
  if (F.empty() && B->Tag() == 9) F = cvDirList(w1, w2);
  if (F.empty()) {
    WARNAbs("Для кнопки "_cp + B->objectName().toStdString() +
            " не задано имя файла, в который можно войти!"_cp);
    return;
  }
  if (!platform::IsRegularFile(F)) {
    if (B->Tag() == 3) {
      if (cvDirs) cvDirs->CheckByTPL(w1, w2);
    } else if (B->Tag() == 8) {
      const std::string T = FindNoCase(App->sRoot, SlashPath(key));
      if (!platform::IsRegularFile(T)) {
        WARNAbs("Не найден файл-шаблон <"_cp + T + ">!");
        return;
      }
      CopyTxtFile(T, F);
    } else {
      WARNAbs("Файл <"_cp + F + "> не существует!"_cp);
      return;
    }
  }
  if (EdAssigned(Ed)) Ed->EnterFile("", F, 0, 0);
}

// ---------------------------------------------------------------- runs

void TTabProj::btRUNClick(TSender) {
  ProfilingReset();
  time_routine("main", true);
  if (App) App->qPause = App->qStop = false;
  try {
    mainlinks::LoadAndRunOne();
  } catch (...) {
    time_routine("main", false);
    throw;
  }
  time_routine("main", false);
}

void TTabProj::RunQuestJob() {
  if (!App || !LUNNO || !VariCtx().LVARI) {
    cvlink::NotAvailable("LoadAndRunOne");
    return;
  }
  // one job at a time (the program's runner); the line loads of the run read the database on
  // the job's own connection
  const std::string quest = App->sQuest;
  auto job = std::make_shared<TJob>("RUN " + quest);
  auto text = std::make_shared<TQuestText>();
  TLUNNO* profiles = LUNNO;
  Shell.StartDBJob(
      job,
      [quest, text, profiles](TJob& J, TDM&) {
        const int32_t before = profiles->Count();
        LoadAndRunOne(J, quest, *profiles, *text);
        if (J.Cancelled())
          J.Warn("RUN <"_cp + quest + "> прерван: профилей в списке "_cp +
                 IntStr(profiles->Count()) + " (новых "_cp + IntStr(profiles->Count() - before) +
                 "), файл результатов не записан"_cp);
      },
      [this, text](TJob&) {
        App->iStep = QuestVariCount(App->sQuest);
        ShowQuestSteps(App->iStep);
        UpDateButtons();
        // the run's option files set the message sink's switches (the job itself draws nothing)
        Shell.DebugTab().ShowSayerSwitches();
        if (text->Text.Count() > 0 && EdAssigned(Ed)) Ed->EdLoadSL(text->Title, &text->Text);
        // the pages a DIA or DI step built
        Shell.DialogTab().AfterRun();
        Shell.DiTab().AfterRun();
      },
      false);
}

void TTabProj::btLoadVARIClick(TSender) {
  if (!App) return;
  if (!VariCtx().LVARI) {
    cvlink::NotAvailable("LoadVARI");
    return;
  }
  if (!LoadVARI(App->sQuest)) return;
  App->iStep = QuestVariCount(App->sQuest);
  ShowQuestSteps(App->iStep);
  UpDateButtons();
}

void TTabProj::btDC_LoadClick(TSender) { mainlinks::LoadDC(); }

void TTabProj::LoadDC() {
  if (!App) return;
  TVariContext& ctx = VariCtx();
  if (!ctx.LVARI || !LUNNO) {
    cvlink::NotAvailable("btDC_LoadClick");
    return;
  }
  PushCursor(platform::crHourGlass);
  struct TRestore {
    ~TRestore() { PopCursor(); }
  } restore;
  const std::string& dir = App->sProjDir;
  std::string R = FindNoCase(dir, "DC/" + App->QuestStepName() + ".txt");
  if (!platform::IsRegularFile(R)) R = FindNoCase(dir, "DC/" + App->sQuest + ".txt");
  if (!platform::IsRegularFile(R)) {
    WARNAbs("Load DC: нет файла результатов <"_cp + R + ">");
    return;
  }
  if (LLIDA) LLIDA->Load();
  // the file begins with the control text of the run: its steps are the profiles' variators
  ctx.LVARI->LoadFromFile(App->sQuest, R, true);
  TakeQuestVARI();
  App->iStep = QuestVariCount(App->sQuest);
  if (ctx.VARI) LUNNO->LoadFromFile(R, ctx.VARI->NK);
  ShowQuestSteps(App->iStep);
  Shell.COPITab().Show();
}

void TTabProj::ShowQuestSteps(int32_t S) {
  std::vector<std::string> steps;
  for (int32_t i = 1; i <= QuestVariCount(App ? App->sQuest : std::string()); ++i)
    steps.push_back(IntStr(i));
  cbQuestStep->ClearItems();
  FillItems(cbQuestStep, steps);
  cbQuestStep->SetText(IntStr(S));
}

void TTabProj::btTimeProfileClick(TSender) { ProfileReport(); }

void TTabProj::cbAppendResClick(TSender) {
  if (App && App->TunCommon) App->TunCommon->SetFlag("AppendResults", cbAppendRes->Checked());
}

void TTabProj::BitBtn2Click(TSender) {
  TLLIDA* L = LLIDA;
  if (!L) return;
  L->ClearAll();
  const std::string file = L->GetFileName();
  if (platform::IsRegularFile(file)) {
    std::error_code ec;
    std::filesystem::remove(platform::SysPath(file), ec);
  }
}
