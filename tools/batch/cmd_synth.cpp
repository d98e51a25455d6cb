// Synthesis commands of the harness: a quest's steps computed by the calculation of their
// "#RUN" word (CONT and HEIGHTS by the synthesis driver, the profiles written in the
// profile-list text after each step's control text; any other word through the dispatcher, its
// text results printed); and a result file read back into the profile list.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <iostream>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvMend.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/cvPMod.h"
#include "models/cvRout.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvDoCont.h"
#include "synthesis/drivers/cvRecont.h"
#include "synthesis/drivers/cvRunAlg.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/profiles/cvUnnoTable.h"
#include "synthesis/transfer/cvVoigt.h"
#include "tools/batch/Batch.h"
#include "tools/batch/UnnoMeasure.h"

namespace {

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

struct TSynthOpts {
  std::string Project, Quest, Out, Db, File, Kurucz;
  bool Warn = false, Print = false, Summary = false;
  int32_t Threads = -1;     // -1: the setting as it stands
  bool CancelAtGrid = false;  // cancel at the first "IVARI=" progress
  bool Counts = false;        // the run's time and transfer work
  bool VoigtBatch = false;    // also the run's Voigt values timed as one batch afterwards
  bool Bad = false;
};

// The recorded (a, v) pairs of a run evaluated again by the current Voigt method in one batch:
// the fastest of three passes, in seconds (wall) and in the thread's processor seconds.
void VoigtBatchSeconds(const std::vector<double>& Pairs, double& Wall, double& Cpu) {
  TransferCounts().Record = nullptr;
  const size_t n = Pairs.size() / 2;
  std::vector<double> a(n), v(n), H(n), F(n);
  for (size_t j = 0; j < n; ++j) {
    a[j] = Pairs[2 * j];
    v[j] = Pairs[2 * j + 1];
  }
  auto threadCpu = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  };
  for (int pass = 0; pass < 3; ++pass) {
    const double c0 = threadCpu();
    const auto t0 = std::chrono::steady_clock::now();
    VoigtFuncBatchA(a.data(), v.data(), static_cast<int32_t>(n), H.data(), F.data());
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    const double c = threadCpu() - c0;
    if (pass == 0 || d.count() < Wall) Wall = d.count();
    if (pass == 0 || c < Cpu) Cpu = c;
  }
}

TSynthOpts Options(const std::vector<std::string>& Args) {
  TSynthOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    auto value = [&](std::string& To) {
      if (i + 1 < Args.size()) To = batch::Cp(Args[++i]); else o.Bad = true;
    };
    if (a == "--project") value(o.Project);
    else if (a == "--quest") value(o.Quest);
    else if (a == "--out") value(o.Out);
    else if (a == "--db") value(o.Db);
    else if (a == "--kurucz") value(o.Kurucz);
    else if (a == "--warn") o.Warn = true;
    else if (a == "--print") o.Print = true;
    else if (a == "--summary") o.Summary = true;
    else if (a == "--cancel-at-grid") o.CancelAtGrid = true;
    else if (a == "--counts") o.Counts = true;
    else if (a == "--voigt-batch") o.Counts = o.VoigtBatch = true;
    else if (a == "--threads") {
      std::string t;
      value(t);
      int32_t code = 0;
      o.Threads = static_cast<int32_t>(ValRealCode(t, code));
      if (code != 0 || o.Threads < 0) o.Bad = true;
    }
    else if (o.File.empty() && a.rfind("--", 0) != 0) o.File = batch::Cp(a);
    else o.Bad = true;
  }
  if (o.File.empty()) o.Bad = true;
  return o;
}

// The program's root, the project (the demo when none is given), the services, the line
// database and the element table.
bool Setup(const TSynthOpts& O) {
  if (O.Warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  App->sProjDir = O.Project.empty() ? FindNoCase(App->sRoot, "Projects/Demo/")
                                    : DirSlash(ExpandFileName(O.Project));
  InstallSynthesisServices();
  if (!O.Kurucz.empty())
    LineData().KuruczFolder.Install([d = DirSlash(ExpandFileName(O.Kurucz))] { return d; });
  auto where = [](const std::string&, const std::string& File, int32_t Line, int32_t Pos) {
    std::cerr << "corvesta-batch: " << batch::U8(File) << ":" << Line << ":" << Pos << "\n";
  };
  Models().OpenAt.Install(where);
  Synthesis().OpenAt.Install(where);
  // no Test tab here: the combination lines go to the log
  Models().MemoTestAdd.Install([](const std::string& Text) { Sayer->ChanLog(-1, Text); });
  CopyOptionTemplates();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, O.Db);
}

// The control file: a path, or a name in the project folder.
std::string ControlFile(const std::string& File, std::string& Quest) {
  std::string path = SlashPath(File);
  if (!platform::IsRegularFile(path)) path = FindNoCase(App->sProjDir, path);
  std::string folder, name, ext;
  SplitPath(path, folder, name, ext);
  if (Quest.empty()) Quest = name;
  return path;
}

std::string Num(double x) {
  char b[40];
  std::snprintf(b, sizeof b, "%.15g", x);
  return b;
}

// One line per profile (combination, depth, disc position, continuum, shift, central depth
// 1 - Imin/Ic and equivalent width in mA over the full form), then its full-form rows of absolute
// wavelength (UL + DLVD) and relative Stokes values.
void Summary(TLUNNO& List) {
  for (int32_t n = 0; n < List.Count(); ++n) {
    TUNNO& U = *List.Items(n);
    TARe L, I, Q, Uu, V;
    U.GetFullLam(L);
    U.CopyUFull('I', I);
    if (U.K4 != 1) {
      U.CopyUFull('Q', Q);
      U.CopyUFull('U', Uu);
      U.CopyUFull('V', V);
    }
    const size_t m = L.size();
    double imin = 0;
    for (size_t i = 1; i < m && i < I.size(); ++i) {
      const double r = U.Rel(I[i]);
      if (i == 1 || r < imin) imin = r;
    }
    const double ew = FullEqWidthI(U);
    std::cout << "profile Q=" << batch::U8(U.QUEST) << " IQ=" << U.IQ << " K=" << U.KVARI
              << " LGT=" << Num(U.LGT) << " MJU=" << Num(U.MJU) << " CONT=" << Num(U.CONT)
              << " LAMB=" << Num(U.LAMB) << " DLVD=" << Num(U.DLVD) << " NDL=" << U.NDL
              << " KSym=" << U.KSym << " K4=" << U.K4 << " ALG=" << batch::U8(U.ALG) << " D0=" << Num(1 - imin)
              << " EW=" << Num(ew) << "\n";
    for (size_t i = 1; i < m && i < I.size(); ++i) {
      std::cout << "row " << Num(L[i]) << " " << Num(U.Rel(I[i]));
      if (U.K4 != 1 && i < V.size())
        std::cout << " " << Num(U.Rel(Q[i])) << " " << Num(U.Rel(Uu[i])) << " "
                  << Num(U.Rel(V[i]));
      std::cout << "\n";
    }
  }
}

// synth [--project DIR] [--quest NAME] [--db FILE] [--kurucz DIR] [--out FILE] [--print]
// [--summary] [--warn] [--threads N] [--cancel-at-grid] [--counts] [--voigt-batch] FILE: every
// step of the quest's control file computed by its "#RUN" word; the result file (the project's
// "DC\<quest>.txt" by default) holds each CONT or HEIGHTS step's control text and, per
// combination, its settings and its profiles in the profile-list text. Other words (RECONT,
// KURUCZ, ...) run through the dispatcher; their text results are printed. --kurucz names the
// folder of the catalogue band files. --print also shows the result file; --summary prints each
// profile's figures and its full-form rows. --threads: the grid's threads (0 every core, 1 one
// after the other); --cancel-at-grid cancels the run at its first "IVARI=" progress; --counts
// prints the profiles, their points, the Runge-Kutta steps, the Voigt values and the run's
// seconds (wall and the process's CPU); --voigt-batch also records every Voigt argument pair of
// the run and prints the seconds (wall and processor) of evaluating them again in one batch.
int Synth(const std::vector<std::string>& Args) {
  TSynthOpts o = Options(Args);
  if (o.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  std::string quest = o.Quest;
  const std::string path = ControlFile(o.File, quest);
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("CONT " + quest);
  if (o.Threads >= 0) Synthesis().GridThreads = o.Threads;
  std::string file = o.Out;
  if (file.empty()) file = App->sProjDir + "DC/" + quest + ".txt";
  return batch::RunAsJob(job, [&](TJob& J) {
    if (o.CancelAtGrid)
      J.OnProgress = [&J, shown = J.OnProgress](const TJobProgress& P) {
        if (P.Text.rfind("IVARI=", 0) == 0) J.Cancel();
        if (shown) shown(P);
      };
    LoadVectorLists(ctx);
    vctx.LVARI->LoadFromFile(quest, path, false);
    // every step through the synthesis driver; the first rewrites the result file, the others
    // append to it; the file takes the run's text when the last step is done
    TResultFiles results;
    const int32_t steps = vctx.LVARI->CountQuest(quest);
    TransferCounts() = TTransferCounts();
    std::vector<double> pairs;
    if (o.VoigtBatch) TransferCounts().Record = &pairs;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int32_t iq = 1; iq <= steps; ++iq) {
      TVARIATOR* V = vctx.LVARI->GetQuestIQVARI(quest, iq);
      if (!V) continue;
      vctx.VARI = V;
      App->iStep = iq;
      V->KIdx = 1;
      const std::string word = WordN(V->GetSDef("#RUN", "CONT"), 1);
      if (word != "CONT" && word != "HEIGHTS") {
        TStringList result;
        RunAlg(J, word, result, list);
        Print(&result);
        if (J.Cancelled()) return;
        continue;
      }
      bool done = false;
      try {
        done = word == "CONT" ? doCONT(J, list, file, iq > 1) : doHEIGHTS(J, list, file, iq > 1);
      } catch (...) {
        std::cerr << "corvesta-batch: " << list.Count() << " profiles kept\n";
        throw;
      }
      if (!done) {
        if (!J.Cancelled() && word == "HEIGHTS") continue;
        std::cerr << "corvesta-batch: " << list.Count() << " profiles kept\n";
        return;
      }
    }
    results.Commit();
    if (o.Counts) {
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      int64_t points = 0;
      for (int32_t n = 0; n < list.Count(); ++n) points += list.Items(n)->NDL;
      std::cout << "counts profiles=" << list.Count() << " points=" << points
                << " steps=" << TransferCounts().Steps << " voigt=" << TransferCounts().Voigt
                << " seconds=" << Num(took.count()) << " cpu="
                << Num(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
      if (o.VoigtBatch) {
        double wall = 0, cpu = 0;
        VoigtBatchSeconds(pairs, wall, cpu);
        std::cout << " voigt_batch_seconds=" << Num(wall) << " voigt_batch_cpu=" << Num(cpu);
      }
      std::cout << "\n";
    }
    TransferCounts().Record = nullptr;
    std::cerr << "corvesta-batch: " << list.Count() << " profiles -> " << batch::U8(file) << "\n";
    if (o.Print && platform::IsRegularFile(file)) {
      TStringList out;
      out.LoadFromFile(file);
      Print(&out);
    }
    if (o.Summary) Summary(list);
  });
}

// A result file read back: its control text into the variator list (the quest's last step is
// the working one), its profiles against it, and the quest's lines as its run left them (the
// Zeeman patterns of the field measurements).
void LoadResultFile(TOwnCalcContext& Ctx, TOwnVariContext& V, const std::string& Quest,
                    const std::string& Path, TLUNNO& List, const char* Who) {
  LoadVectorLists(Ctx);
  // the control text at the head of a result file has no "#RUN" of its own
  V.LVARI->LoadFromFile(Quest, Path, true);
  V.VARI = V.LVARI->GetQuestVARI(Quest);
  if (!V.VARI) ErrAbs(std::string(Who) + ": в файле нет шагов квеста "_cp + Quest);
  List.LoadFromFile(Path, V.VARI->NK);
  CreateLineLists();
  LLIDA->Load();
}

// unno-load [--project DIR] [--quest NAME] [--db FILE] [--summary] [measuring options] FILE: a
// result file read back into the profile list against its quest's last step (the control text
// at its head); each profile's block written again (--summary: the figures and rows as synth
// gives them). The measuring options (cmd_unno_measure.cpp) measure and compare the profiles
// instead of writing the blocks.
int UnnoLoad(const std::vector<std::string>& AllArgs) {
  std::vector<std::string> Args = AllArgs;
  const TUnnoMeasureArgs m = TakeMeasureArgs(Args);
  TSynthOpts o = Options(Args);
  if (o.Bad || m.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  std::string quest = o.Quest;
  const std::string path = ControlFile(o.File, quest);
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("LOAD " + quest);
  const int rc = batch::RunAsJob(job, [&](TJob&) {
    LoadResultFile(ctx, vctx, quest, path, list, "unno-load");
    std::cerr << "corvesta-batch: " << list.Count() << " profiles\n";
    if (!m.Any)
      for (int32_t i = 0; i < list.Count(); ++i) Print(UnnoReport(*list.Items(i)).get());
    if (o.Summary) Summary(list);
  });
  if (rc != 0 || !m.Any) return rc;
  return RunMeasureArgs(m, list);
}

// run-quest [--project DIR] [--db FILE] [--summary] [--warn] NAME: the project's quest NAME
// ("ONE\<NAME>.DAT") loaded and run step by step through the dispatcher, as the Project tab's
// RUN does; the result file is the project's "DC\<NAME>.txt". Prints the text results, each step
// of the quest with its combinations and the keys it kept, and the profile count.
int RunQuestCmd(const std::vector<std::string>& Args) {
  TSynthOpts o = Options(Args);
  if (o.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  const std::string quest = o.File;
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("RUN " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    TQuestText text;
    if (!LoadAndRunOne(J, quest, list, text)) {
      if (!J.Cancelled()) ErrAbs("run-quest: квест "_cp + quest + " не запущен"_cp);
      return;
    }
    Print(&text.Text);
    for (int32_t i = 0; i < vctx.LVARI->Count(); ++i) {
      TVARIATOR* V = vctx.LVARI->Items(i);
      std::string keys;
      for (int32_t j = 1; j <= V->Count(); ++j) keys += " " + V->KeyOfPar(j);
      std::cout << "step " << batch::U8(V->QUEST) << "." << V->IQ << " NK=" << V->NK
                << " keys:" << batch::U8(keys) << "\n";
    }
    TVARIATOR* last = vctx.VARI;
    std::cout << "VARI " << (last ? batch::U8(last->QUEST) + "." + std::to_string(last->IQ) : "none")
              << "\n";
    std::cout << "quest " << batch::U8(App->sQuest) << "\n";
    std::cerr << "corvesta-batch: " << list.Count() << " profiles\n";
    if (o.Summary) Summary(list);
  });
}

// ref-depths [--db FILE] [--warn] ID...: the reference-model runs of each line (a catalogue Id
// such as 8x000002): its central depths and equivalent widths in HOLMU and CV, as the line
// data's band-file builders get them through their RunVARI link.
int RefDepths(const std::vector<std::string>& Args) {
  std::vector<std::string> ids, rest;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--db" && i + 1 < Args.size()) {
      rest.push_back(Args[i]);
      rest.push_back(Args[++i]);
    } else if (Args[i] == "--warn") {
      rest.push_back(Args[i]);
    } else if (Args[i].rfind("--", 0) == 0) {
      return batch::Usage();
    } else {
      ids.push_back(batch::Cp(Args[i]));
    }
  }
  if (ids.empty()) return batch::Usage();
  rest.push_back("-");
  TSynthOpts o = Options(rest);
  if (o.Bad) return batch::Usage();
  if (!Setup(o)) return 1;
  App->sQuest = "refruns";
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("RunVARI");
  return batch::RunAsJob(job, [&](TJob&) {
    LoadVectorLists(ctx);
    CreateLineLists();
    for (const std::string& id : ids) {
      double dhm = 0, dcv = 0, whm = 0, wcv = 0;
      const double sum = LineDepthSum(id);
      CalcLineDepthsById(id, dhm, dcv);
      TLIDA line(*LILast);
      CalcLineWidths(line, whm, wcv);
      std::cout << "line " << batch::U8(id) << " dHM=" << Num(dhm) << " dCV=" << Num(dcv)
                << " sum=" << Num(sum) << " WHM=" << Num(whm) << " WCV=" << Num(wcv) << "\n";
    }
  });
}

const TBatchCommand kRefDepths{"ref-depths", "ref-depths [--db FILE] [--warn] ID...", RefDepths};

const TBatchCommand kRunQuest{"run-quest",
                              "run-quest [--project DIR] [--db FILE] [--summary] [--warn] NAME",
                              RunQuestCmd};

const TBatchCommand kSynth{
    "synth", "synth [--project DIR] [--quest NAME] [--db FILE] [--kurucz DIR] [--out FILE] [--print] "
    "[--summary] [--warn] [--threads N] [--cancel-at-grid] [--counts] [--voigt-batch] FILE",
    Synth};
const TBatchCommand kUnnoLoad{"unno-load",
                              "unno-load [--project DIR] [--quest NAME] [--db FILE] [--summary] "
                              "[--measure] [--levels] [--rstep R] [--cog-index] [--wline W] "
                              "[--kmul K] [--level 1|D0|Dmax L] [--dif K1 K2] [--dif2 K1 K2] "
                              "[--sum K1,K2,..] [--fit KREF] [--fill-dif KREF] [--cfrf SPEC "
                              "[--slice N] [--filter T]] [--report "
                              "list|vary|quest|quest4|vorn|lambs|vector|dump] "
                              "[--cancel-after N] FILE",
                              UnnoLoad};
// unno-table [--project DIR] [--quest Q.S] [--line ID] [--param KEY=VAL] [--groups K,W,D,...]
// [--page N --rows R] [--report P|one|custom OPT STEP] FILE: a result file's profiles as the
// Unno tab's table fills them (the b, b9 and B groups computed first), a row per profile with
// the shown columns as caption=value; the reports as the tab's buttons make them.
int UnnoTable(const std::vector<std::string>& AllArgs) {
  std::vector<std::string> rest;
  std::vector<std::string> quests, lines, groups;
  std::vector<std::pair<std::string, std::string>> params;
  int32_t page = 0, rows = 10;
  std::string report, repOpt, repStep;
  bool bad = false;
  for (size_t i = 0; i < AllArgs.size(); ++i) {
    const std::string& a = AllArgs[i];
    auto next = [&]() -> std::string {
      if (i + 1 < AllArgs.size()) return batch::Cp(AllArgs[++i]);
      bad = true;
      return {};
    };
    if (a == "--quest") quests.push_back(next());
    else if (a == "--line") lines.push_back(next());
    else if (a == "--param") {
      const std::string kv = next();
      const size_t eq = kv.find('=');
      if (eq == std::string::npos) bad = true;
      else params.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    } else if (a == "--groups") {
      std::string g = next();
      size_t from = 0;
      while (from <= g.size()) {
        const size_t c = g.find(',', from);
        groups.push_back(g.substr(from, c == std::string::npos ? std::string::npos : c - from));
        if (c == std::string::npos) break;
        from = c + 1;
      }
    } else if (a == "--page") page = static_cast<int32_t>(ValRealOr0(next()));
    else if (a == "--rows") rows = static_cast<int32_t>(ValRealOr0(next()));
    else if (a == "--report") {
      report = next();
      if (report == "custom") {
        repOpt = next();
        repStep = next();
      }
    } else rest.push_back(a);
  }
  TSynthOpts o = Options(rest);
  if (o.Bad || bad || rows < 1) return batch::Usage();
  if (!Setup(o)) return 1;
  std::string quest = o.Quest;
  const std::string path = ControlFile(o.File, quest);
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("UNNO " + quest);
  return batch::RunAsJob(job, [&](TJob&) {
    LoadResultFile(ctx, vctx, quest, path, list, "unno-table");
    TUnnoFillIn in;
    const char* names[US_Count] = {"K", "T", "TT", "W", "M", "D", "WH", "R", "L", "DD", "b", "b9", "B"};
    for (const std::string& g : groups) {
      bool found = false;
      for (int s = 0; s < US_Count; ++s)
        if (g == names[s]) in.On[static_cast<size_t>(s)] = found = true;
      if (!found) ErrAbs("unno-table: нет группы колонок <"_cp + g + ">");
    }
    for (int32_t i = 0; i < list.Count(); ++i) {
      TUNNO& U = *list.Items(i);
      const std::string qs = U.QuestIQStr();
      if (quests.empty() && std::find(in.Quests.begin(), in.Quests.end(), qs) == in.Quests.end())
        in.Quests.push_back(qs);
      if (lines.empty() && std::find(in.Lines.begin(), in.Lines.end(), U.sULin) == in.Lines.end())
        in.Lines.push_back(U.sULin);
      if (in.On[US_b]) {
        U.RStep = 0.005;
        U.Bisector();
      }
      if (in.On[US_b9]) U.Bisector9();
      if (in.On[US_B]) U.COGivField(true);
    }
    if (!quests.empty()) in.Quests = quests;
    if (!lines.empty()) in.Lines = lines;
    in.ParamFilter = params;
    in.Paged = page > 0;
    in.PageRows = rows;
    TUnnoPageState p;
    TUnnoFillOut out;
    UnnoFill(&list, vctx.LVARI, in, p, out);
    for (int32_t k = 1; k < page; ++k) {
      int32_t sel = -1;
      UnnoPageChange(p, p.Page + 1, sel);
      UnnoFill(&list, vctx.LVARI, in, p, out);
    }
    std::string slots;
    for (const std::string& s : out.Slots)
      if (!s.empty()) slots += " " + s;
    std::cout << "slots" << batch::U8(slots) << "\n";
    std::cout << "rows " << out.Rows.size() << " of " << p.RowCount << " page " << p.Page
              << " first " << p.FirstRow << "\n";
    const std::vector<int> cols = UnnoShownColumns(out, in.On);
    auto caption = [&](int c) {
      if (c >= UnnoSlotColumn(1) && c <= UnnoSlotColumn(kUnnoSlots))
        return out.Slots[static_cast<size_t>(c - UnnoSlotColumn(1))];
      return UnnoCaption(c);
    };
    for (const auto& r : out.Rows) {
      std::string l = "row";
      for (int c : cols) {
        std::string t = r[static_cast<size_t>(c)];
        std::replace(t.begin(), t.end(), ' ', '_');
        l += " " + caption(c) + "=" + t;
      }
      std::cout << batch::U8(l) << "\n";
    }
    std::vector<int32_t> idx;
    std::vector<std::string> sv;
    for (const auto& r : out.Rows) {
      idx.push_back(static_cast<int32_t>(ValRealOr0(r[static_cast<size_t>(UnnoColumnIndex("GxUIdx"))])));
      sv.push_back(r[static_cast<size_t>(UnnoColumnIndex("GxUsVari"))]);
    }
    std::unique_ptr<TStringList> page;
    if (report == "P") {
      std::vector<std::string> caps;
      std::vector<std::vector<std::string>> texts;
      for (int c : cols) caps.push_back(caption(c));
      for (const auto& r : out.Rows) {
        std::vector<std::string> t;
        for (int c : cols) t.push_back(r[static_cast<size_t>(c)]);
        texts.push_back(std::move(t));
      }
      page = UnnoTableDump(caps, texts);
    } else if (report == "one") {
      page = UnnoQuantityTable(list, vctx.LVARI, idx, "RI");
    } else if (report == "custom") {
      page = UnnoCustomReport(list, idx, sv, repOpt, repStep);
    } else if (!report.empty()) {
      ErrAbs("unno-table: нет отчёта <"_cp + report + ">");
    }
    if (page) Print(page.get());
  });
}

const TBatchCommand kUnnoTable{
    "unno-table",
    "unno-table [--project DIR] [--quest Q.S]... [--line ID]... [--param KEY=VAL]... "
    "[--groups K,T,TT,W,M,D,WH,R,L,DD,b,b9,B] [--page N --rows R] "
    "[--report P|one|custom OPT STEP] FILE",
    UnnoTable};
}  // namespace
