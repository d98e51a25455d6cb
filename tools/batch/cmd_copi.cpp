// Profile-picture commands of the harness, the CoPi and CORA tabs' work without the window:
// copi-made writes the frame-sequence description of a result file's quest as the CoPi tab's
// "=>" does; cora-gif draws a description's frames offscreen (1..N, then N..1) and encodes them
// as the CORA tab's "Save GIF" does.
#include <iostream>

#include "app/cvApp.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/Canvas.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "plotting/gif/cvDib.h"
#include "app/services/cvServices.h"
#include "synthesis/pictures/cvCoPi.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/profiles/cvLUnno.h"
#include "tools/batch/Batch.h"

namespace {

// The quest of a result file: its name up to the first dot ("pair.txt", "pair.2.txt").
std::string QuestOf(const std::string& Path) {
  std::string folder, name, ext;
  SplitPath(Path, folder, name, ext);
  const size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The result file's variator steps and profiles; false (with a message) when it has none.
bool LoadDC(const std::string& Path, TOwnVariContext& V, TLUNNO& List, std::string& Quest) {
  if (!batch::RequireFile(Path, "result file")) return false;
  Quest = QuestOf(Path);
  App->sQuest = Quest;
  V.LVARI->LoadFromFile(Quest, Path, true);
  V.VARI = V.LVARI->GetQuestVARI(Quest);
  if (!V.VARI) {
    std::cerr << "corvesta-batch: no step of quest " << batch::U8(Quest) << " in "
              << batch::U8(Path) << "\n";
    return false;
  }
  App->iStep = V.LVARI->CountQuest(Quest);
  List.LoadFromFile(Path, V.VARI->NK);
  return true;
}

// copi-made [--axis KEY=X|Y|C|T]... [--stokes RI,RV] [--counts NX NY NC NT] [--scale O|M]
// DCFILE OUT: the description of the result file's last step (--axis Stokes=A spreads the
// Stokes quantities); counts default to the numbers of values on each axis.
int CopiMade(const std::vector<std::string>& Args) {
  std::vector<std::pair<std::string, char>> axes;
  std::vector<std::string> stokes{"RI"}, files, counts;
  char scale = 'O', stokesAxis = ' ';
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    const bool more = i + 1 < Args.size();
    if (a == "--axis" && more) {
      const std::string v = batch::Cp(Args[++i]);
      const size_t eq = v.rfind('=');
      if (eq == std::string::npos || eq + 2 != v.size() ||
          std::string("XYCT").find(v[eq + 1]) == std::string::npos)
        return batch::Usage();
      const std::string key = v.substr(0, eq);
      if (UpCaseStrCyr(key) == "STOKES") stokesAxis = v[eq + 1];
      else axes.emplace_back(VariKey(key), v[eq + 1]);
    } else if (a == "--stokes" && more) {
      stokes.clear();
      const std::string v = batch::Cp(Args[++i]);
      for (int32_t k = 1; k <= FieldCount(v, ','); ++k) stokes.push_back(TrimSp(FieldN(v, ',', k)));
    } else if (a == "--counts" && i + 4 < Args.size()) {
      for (int k = 0; k < 4; ++k) counts.push_back(Args[++i]);
    } else if (a == "--scale" && more) {
      const std::string v = Args[++i];
      if (v != "O" && v != "M") return batch::Usage();
      scale = v[0];
    } else if (a.rfind("--", 0) != 0) {
      files.push_back(batch::Cp(a));
    } else {
      return batch::Usage();
    }
  }
  if (files.size() != 2) return batch::Usage();
  batch::UseProgramRoot();
  InstallSynthesisServices();
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TLUNNO list;
  std::string quest;
  TJob job("copi-made " + files[0]);
  bool loaded = false;
  int rc = batch::RunAsJob(job, [&](TJob&) { loaded = LoadDC(SlashPath(files[0]), vctx, list, quest); });
  if (rc != 0) return rc;
  if (!loaded) return 1;
  TVARIATOR& V = *vctx.VARI;
  TCoPiSpec S;
  S.Quest = quest;
  S.IQ = V.IQ;
  S.NUnno = list.CountQuest(quest, V.IQ);
  S.NPar = static_cast<int32_t>(stokes.size());
  S.StoPar = stokes;
  S.StokesAxis = stokesAxis;
  S.Scale = scale;
  S.ColBk = 0xFFFFFF;
  S.ColNet = 0x808080;
  S.ColMain = 0xC00000;
  // the axis grid as the tab fills it: the varied keys by dimension, proposed counts
  int32_t prop[4] = {1, 1, 1, 1};
  auto slot = [](char A) { return A == 'X' ? 0 : A == 'Y' ? 1 : A == 'C' ? 2 : 3; };
  for (int32_t L = 1; L <= V.GetML(); ++L)
    for (int32_t J = 1; J <= V.Count(); ++J) {
      const TVariRec* R = V.Rec(J);
      if (!R || R->LIdx != L) continue;
      char a = ' ';
      for (const auto& [k, ax] : axes)
        if (UpCaseStrCyr(k) == UpCaseStrCyr(R->Key)) a = ax;
      S.Rows.push_back({R->Key, a});
      if (a != ' ') prop[slot(a)] = R->NVals();
    }
  if (stokesAxis != ' ') prop[slot(stokesAxis)] = S.NPar;
  std::vector<std::string> texts;
  for (int k = 0; k < 4; ++k) texts.push_back(counts.empty() ? IntStr(prop[k]) : counts[size_t(k)]);
  for (const char* t : {"100", "100", "100", "2", "2", "100", "100", "240", "0", "100"})
    texts.push_back(t);
  const int32_t bad = CoPiReadFields(texts, S);
  if (bad >= 0) {
    std::cerr << "corvesta-batch: "
              << (bad < 4 ? batch::U8(CoPiCountMessage(bad)) : std::string("bad number in ") + CoPiFieldNames[bad])
              << "\n";
    return 2;
  }
  const std::string out = files[1];
  TJob made("copi-made " + out);
  return batch::RunAsJob(made, [&](TJob&) {
    auto L = MadePict(S, V);
    WriteDescFile(*L, out);
    for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
  });
}

// cora-gif DESC DCFILE OUT.gif: the frames of the description drawn 800 x 600 from the result
// file's profiles, encoded as the CORA tab's GIF (each frame the description's interval,
// looping 1000 times).
int CoraGif(const std::vector<std::string>& Args) {
  if (Args.size() != 3) return batch::Usage();
  batch::UseProgramRoot();
  InstallSynthesisServices();
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TLUNNO list;
  std::string quest;
  TCORA C;
  const std::string desc = SlashPath(batch::Cp(Args[0]));
  if (!batch::RequireFile(desc, "description file")) return 1;
  TJob job("cora-gif " + desc);
  bool loaded = false;
  int rc = batch::RunAsJob(job, [&](TJob&) {
    loaded = LoadDC(SlashPath(batch::Cp(Args[1])), vctx, list, quest);
    if (loaded) C.ReadFile(desc);
  });
  if (rc != 0) return rc;
  if (!loaded) return 1;
  const std::string why = GifDelayProblem(C.Interval);
  if (!why.empty()) {
    std::cerr << "corvesta-batch: " << batch::U8(why) << "\n";
    return 1;
  }
  TGRAF G;
  platform::TBitmap B(800, 600);
  std::vector<TDib> frames;
  int32_t problems = 0;
  for (int32_t K : GifFrameOrder(C.NKadr)) {
    const TFrameDone F = C.DrawKadr(K, B.Canvas(), list, G);
    for (const TPlotDone& p : F.Plots) problems += !p.Problem.empty();
    frames.push_back(TDib::FromBitmap(B));
  }
  std::cout << "frames " << frames.size() << " plots not drawn " << problems << "\n";
  const std::string out = Args[2];
  TJob enc("cora-gif " + out);
  return batch::RunAsJob(enc, [&](TJob& J) {
    if (SaveFramesGIF(J, frames, C.Interval, 1000, out))
      std::cout << "gif " << out << " frames " << frames.size() << "\n";
  });
}

const TBatchCommand kCopiMade{"copi-made",
                              "copi-made [--axis KEY=X|Y|C|T]... [--stokes RI,RV] [--counts NX NY "
                              "NC NT] [--scale O|M] DCFILE OUT",
                              CopiMade};
const TBatchCommand kCoraGif{"cora-gif", "cora-gif DESC DCFILE OUT.gif", CoraGif};

}  // namespace
