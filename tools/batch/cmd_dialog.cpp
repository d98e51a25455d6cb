// Dialog and Di commands of the harness: one "CALC" of the Dialog tab without drawing
// (dialog-calc: the quest's DIA step builds the page, its rows and observation choice go into the
// variator, the "#ALG" run and the differences; the graphs' titles and the differences printed)
// and the wavelength grid "Fill Lambs" makes for one span (di-lams).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvMend.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/drivers/cvRunAlg.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvDialogCalc.h"
#include "synthesis/fit/cvFitState.h"
#include "synthesis/profiles/cvLUnno.h"
#include "tools/batch/Batch.h"

namespace {

bool Setup(const std::string& Db, const std::string& Project) {
  batch::UseProgramRoot();
  App->sProjDir = Project.empty() ? FindNoCase(App->sRoot, "Projects/Demo/")
                                  : DirSlash(ExpandFileName(Project));
  InstallSynthesisServices();
  CopyOptionTemplates();
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, Db);
}

// The Dialog page's parameters as the tab reads them: rows 1..6, the observation grid with the
// values box's first item (or Set's value of the "V" key), X row K.
TDiaParams PageParams(const TPageView& P, const std::map<std::string, std::string>& Set,
                      int32_t XK) {
  TDiaParams r;
  for (int32_t i = 1; i <= 6; ++i) {
    const std::string key = TrimCtl(P.Text("edKey" + IntStr(i)));
    if (key.empty()) continue;
    const auto s = Set.find(key);
    r.Rows.push_back({key, s != Set.end() ? s->second : P.Text("edVal" + IntStr(i)),
                      UniqueTick()});
  }
  const auto x = P.Controls.find("cbObsValX");
  if (x != P.Controls.end()) r.XItems = x->second.Items;
  const auto v = P.Controls.find("cbObsVal");
  const auto g = P.Grids.find("ngVARIobs");
  if (g == P.Grids.end()) return r;
  for (int32_t row = 0; row < g->second.RowCount(); ++row) {
    TDiaObsRow o;
    o.Key = g->second.At("gxVariOKey", row);
    o.Axis = ValIntOr0(g->second.At("gxVariOCh", row));
    if (o.Axis == 1 && v != P.Controls.end() && !v->second.Items.empty()) {
      const std::string bare = o.Key.size() > 1 ? o.Key.substr(1) : o.Key;
      const auto s = Set.find(bare);
      o.Val = s != Set.end() ? s->second : v->second.Items.front();
    }
    if (o.Axis == 2) o.K = XK;
    r.Obs.push_back(o);
  }
  return r;
}

// dialog-calc [--project DIR] [--db FILE] [--set KEY=VAL]... [--x K] [--time N] QUEST
int DialogCalcCmd(const std::vector<std::string>& Args) {
  std::string db, quest, project;
  std::map<std::string, std::string> set;
  int32_t xk = 0, times = 0;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if ((a == "--db" || a == "--set" || a == "--x" || a == "--project" || a == "--time") &&
        i + 1 >= Args.size())
      return batch::Usage();
    if (a == "--db") db = batch::Cp(Args[++i]);
    else if (a == "--project") project = batch::Cp(Args[++i]);
    else if (a == "--set") {
      const std::string kv = batch::Cp(Args[++i]);
      const size_t e = kv.find('=');
      if (e == std::string::npos || e == 0) return batch::Usage();
      std::string k = kv.substr(0, e);
      if (k[0] == '#') k.erase(0, 1);
      set[k] = kv.substr(e + 1);
    } else if (a == "--x") {
      int32_t code = 0;
      xk = ValIntCode(Args[++i], code);
      if (code != 0 || xk < 0) return batch::Usage();
    } else if (a == "--time") {
      int32_t code = 0;
      times = ValIntCode(Args[++i], code);
      if (code != 0 || times < 0) return batch::Usage();
    } else if (a.rfind("--", 0) == 0 || !quest.empty()) return batch::Usage();
    else quest = batch::Cp(a);
  }
  if (quest.empty()) return batch::Usage();
  if (!Setup(db, project)) return 1;
  App->sQuest = quest;
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("CALC " + quest);
  return batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    TQuestText text;
    if (!LoadAndRunOne(J, quest, list, text)) {
      if (!J.Cancelled()) ErrAbs("квест "_cp + quest + " не запущен"_cp);
      return;
    }
    const TPageView& P = DialogPage();
    TDiaCalcIn in;
    in.VariDia = P.Text("cbVARI_Dia");
    in.Params = PageParams(P, set, xk);
    const auto v = P.Controls.find("cbObsVal");
    in.ObsValIdx = 1;
    if (v != P.Controls.end())
      for (const TDiaObsRow& o : in.Params.Obs)
        if (o.Axis == 1)
          for (size_t k = 0; k < v->second.Items.size(); ++k)
            if (v->second.Items[k] == o.Val) in.ObsValIdx = static_cast<int32_t>(k) + 1;
    in.Diff = true;
    in.Width = true;
    TDiaCalcOut out;
    const bool ok = DialogCalc(J, list, in, out);
    std::cout << "cases=" << out.NCases << " rows=" << (out.TwoRows ? 2 : 1)
              << (ok ? "" : " not drawn") << "\n";
    for (const TDiaGraph& g : out.Graphs)
      std::cout << "graph cell=" << g.Cell << " line=" << g.Line << " points="
                << (g.X.empty() ? 0 : g.X.size() - 1) << " title=<" << batch::U8(g.Title)
                << "> y=<" << batch::U8(g.NameY) << "> units=" << batch::U8(g.DimX) << ","
                << batch::U8(g.DimY) << "\n";
    for (size_t j = 0; j < out.DifMean.size(); ++j) {
      char b[64];
      std::snprintf(b, sizeof b, "dif %zu mean=%.6f", j + 1, out.DifMean[j]);
      std::cout << b << "\n";
    }
    if (times <= 0 || !ok) return;
    // timing: one "CALC" (rows into the variator, the run, the differences) against the run of
    // "#ALG" alone on the same variator, alternately; medians in ms
    std::vector<double> calc, run;
    const std::string word = TrimCtl(VariCtx().VARI->GetS("#ALG"));
    for (int32_t k = 0; k < times && !J.Cancelled(); ++k) {
      auto t0 = std::chrono::steady_clock::now();
      DialogCalc(J, list, in, out);
      auto t1 = std::chrono::steady_clock::now();
      TStringList report;
      RunAlg(J, word, report, list);
      auto t2 = std::chrono::steady_clock::now();
      calc.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      run.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    auto median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      return v.empty() ? 0.0 : v[v.size() / 2];
    };
    char b[96];
    std::snprintf(b, sizeof b, "time calc=%.3f run=%.3f", median(calc), median(run));
    std::cout << b << "\n";
  });
}

// di-lams [--db FILE] LA1 LA2 DL [LINE]
int DiLamsCmd(const std::vector<std::string>& Args) {
  std::string db;
  std::vector<std::string> pos;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--db") {
      if (i + 1 >= Args.size()) return batch::Usage();
      db = batch::Cp(Args[++i]);
    } else pos.push_back(batch::Cp(Args[i]));
  }
  if (pos.size() < 3 || pos.size() > 4) return batch::Usage();
  double v[3];
  for (int k = 0; k < 3; ++k) {
    int32_t code = 0;
    v[k] = ValRealCode(pos[static_cast<size_t>(k)], code);
    if (code != 0) return batch::Usage();
  }
  const std::string line = pos.size() == 4 ? pos[3] : std::string();
  if (!line.empty() && !Setup(db, "")) return 1;
  TJob job("di-lams");
  // the line is loaded as the program loads it, with a working variator of its own
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TVARIATOR work("di-lams", 1);
  vctx.VARI = &work;
  return batch::RunAsJob(job, [&](TJob&) {
    TDiLamSpan s;
    const bool ok = DiFillLams(s, v[0], v[1], v[2], line, [](const std::string& Id) {
      std::string why;
      if (!LoadLins(Id, "", &why)) return 0.0;
      return CalcCtx().CONT ? CalcCtx().CONT->LAMB : 0.0;
    });
    if (!ok) ErrAbs("di-lams: сетка не построена"_cp);
    std::cout << "nL=" << s.nL << " KL=" << s.KL << "\n" << DiLamsLine(s) << "\n";
  });
}

const TBatchCommand kDialogCalc{
    "dialog-calc", "dialog-calc [--project DIR] [--db FILE] [--set KEY=VAL]... [--x K] [--time N] QUEST", DialogCalcCmd};
const TBatchCommand kDiLams{"di-lams", "di-lams [--db FILE] LA1 LA2 DL [LINE]", DiLamsCmd};

}  // namespace
