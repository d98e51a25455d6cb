#include "synthesis/fit/cvDialog.h"

#include <cmath>
#include <memory>

#include "foundation/cvClock.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvFitUtil.h"
#include "synthesis/fit/cvPageView.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

// The row-1 templates' place on the page (the form's design values).
constexpr int32_t kRow1Top = 40;
constexpr int32_t kTrackHeight = 30;

const char* const kRowControls[] = {"rbKey",  "edKey",    "edVal",   "edBouL",  "tbKey",
                                    "edBouR", "cbScalT",  "btScalW", "btScalN", "cbScalWN",
                                    "btScalLL", "btScalRR", "btScalL", "btScalR"};

// The page shown again (and the row-1 templates kept) on every exit of the building.
class TShowAgain {
 public:
  TShowAgain(TPageView& P, TVARIATOR& V) : p_(P), v_(V) {}
  ~TShowAgain() {
    p_.Visible = true;
    v_.IncUse();
  }
  TShowAgain(const TShowAgain&) = delete;
  TShowAgain& operator=(const TShowAgain&) = delete;

 private:
  TPageView& p_;
  TVARIATOR& v_;
};

void Row1Templates(TPageView& P) {
  for (const char* c : kRowControls) {
    const std::string name = std::string(c) + "1";
    if (P.Has(name)) continue;
    TCtlView& v = P.Ctl(name);
    v.Top = kRow1Top;
    if (std::string(c) == "tbKey") v.Height = kTrackHeight;
    if (std::string(c) == "cbScalT") v.Items = {" ", "L", "E"};
    if (std::string(c) == "cbScalWN") {
      v.Items = {"1.1", "1.25", "1.5", "2.0"};
      v.ItemIndex = 0;
    }
    v.Handler = std::string(c) + "Click";
  }
}

void SetRow(TPageView& P, int32_t I, const std::string& Key, const TAdjScale& S) {
  const std::string n = IntStr(I);
  P.Ctl("edKey" + n).Text = Key;
  P.Ctl("edVal" + n).Text = S.Words[0];
  P.Ctl("edBouL" + n).Text = S.Words[1];
  P.Ctl("edBouR" + n).Text = S.Words[2];
  P.Ctl("cbScalT" + n).ItemIndex = S.Kind;
  P.Ctl("tbKey" + n).Position = AdjTrackPos(S);
}

}  // namespace

bool AdjScaleParse(TVARIATOR& V, const std::string& Key, const std::string& StartFile,
                   TAdjScale& Scale) {
  const std::vector<std::string> w = fit::Words(V.NoKey(Key) ? std::string() : V.GetS0(Key));
  static const std::string kPlace[3] = {" в первом слове <"_cp, " во втором слове <"_cp,
                                        " в третьем слове <"_cp};
  double* to[3] = {&Scale.Value, &Scale.Lo, &Scale.Hi};
  for (int k = 0; k < 3; ++k) {
    const std::string word = k < static_cast<int>(w.size()) ? w[static_cast<size_t>(k)] : "";
    int32_t code = 0;
    const double v = word.empty() ? 0 : ValRealCode(word, code);
    if (word.empty() || code != 0) {
      WARNAbs("Ошибка в стартовом файле данных "_cp + StartFile + "\r\nВо входном параметре "_cp +
              Key + kPlace[k] + word + ">- не число!"_cp);
      return false;
    }
    *to[k] = v;
    Scale.Words[k] = word;
  }
  Scale.Kind = (w.size() >= 4 && !w[3].empty() && w[3][0] == 'L') ? 1 : 0;
  return true;
}

int32_t AdjTrackPos(const TAdjScale& S) {
  if (S.Hi == S.Lo) return 0;
  const double x = S.Kind == 1 ? std::log10(S.Value) : S.Value;
  return static_cast<int32_t>(std::lround((x - S.Lo) * 100 / (S.Hi - S.Lo)));
}

void DialogBuild(TJob& Job, TLUNNO& List) { DialogBuildInto(Job, List, DialogPage()); }

void DialogBuildInto(TJob& Job, TLUNNO& List, TPageView& P) {
  TVARIATOR* V0 = VariCtx().VARI;
  if (!V0) ModFatal("DialogBuild: рабочий вариатор VARI неопределен!"_cp);
  const std::string quest = Synthesis().Quest();
  const std::string startFile = Models().ProjectDir() + "ONE\\" + quest + ".DAT";
  P.Ctl("PageControl").Text = "TabDialog";

  const std::string qobs = TrimCtl(V0->GetS("#Q_OBS"));
  TQuestText text;
  if (!LoadAndRunOne(Job, qobs, List, text)) return;
  TLVARI* L = VariCtx().LVARI;
  TVARIATOR* obs = L ? L->GetQuestVARI(qobs) : nullptr;
  TVARIATOR* V = L ? L->GetQuestVARI(quest) : nullptr;
  if (!V) V = V0;
  VariCtx().VARI = V;
  P.Ctl("cbVARI_Dia").Text = V->QUEST;

  TGridView& g = P.Grid("ngVARIobs");
  g.Clear();
  if (obs) {
    int32_t row = 0;
    for (int32_t l = 1; l <= obs->GetML(); ++l)
      for (int32_t j = 1; j <= obs->Count(); ++j) {
        const TVariRec* r = obs->Rec(j);
        if (!r || r->LIdx != l) continue;
        g.Cell("gxVariOKey", row) = r->Key;
        g.Cell("gxVariOLidx", row) = IntStr(l);
        g.Cell("gxVariON", row) = IntStr(r->NVals());
        const char c = r->GCh;
        g.Cell("gxVariOCh", row) =
            IntStr(c == 'V' ? 1 : c == 'X' ? 2 : c == 'Y' ? 3 : c == 'T' ? 4 : 0);
        ++row;
      }
  }
  const std::string obsV = TrimCtl(V->GetSDef("#OBS_V", "")),
                    obsX = TrimCtl(V->GetSDef("#OBS_X", ""));
  for (int32_t r = 0; r < g.RowCount(); ++r) {
    if (!obsV.empty() && g.At("gxVariOKey", r) == "#" + obsV) g.Cell("gxVariOCh", r) = "1";
    if (!obsX.empty() && g.At("gxVariOKey", r) == "#" + obsX) g.Cell("gxVariOCh", r) = "2";
  }
  if (auto ql = List.QuestList()) {
    TCtlView& c = P.Ctl("cbObsQuest");
    c.Items.clear();
    for (int i = 0; i < ql->Count(); ++i) c.Items.push_back((*ql)[i]);
  }
  auto values = [&](const std::string& K, const char* Box) {
    TCtlView& c = P.Ctl(Box);
    c.Items.clear();
    if (!obs || K.empty()) return;
    const TVariRec* r = obs->FindRec("#" + K);
    if (r)
      for (int i = 0; i < r->NVals(); ++i) c.Items.push_back(TrimCtl(r->Vals[i]));
  };
  values(obsV, "cbObsVal");
  values(obsX, "cbObsValX");

  Row1Templates(P);
  TShowAgain show(P, *V);
  int32_t top = 0;
  {
    const std::string key = TrimCtl(V->GetSDef("#ADJ_PAR1", ""));
    const TCtlView& tb = P.Ctl("tbKey1");
    top = tb.Top + tb.Height;
    if (!key.empty()) {
      TAdjScale s;
      if (!AdjScaleParse(*V, "#ADJ_SCALE1", startFile, s)) return;
      SetRow(P, 1, key, s);
    }
  }
  P.Visible = false;
  for (int32_t i = 2; i <= 6; ++i) {
    const std::string n = IntStr(i);
    for (const char* c : kRowControls) P.Free(c + n);
    const std::string key = TrimCtl(V->GetSDef("#ADJ_PAR" + n, ""));
    if (key.empty()) continue;
    for (const char* c : kRowControls) {
      TCtlView copy = P.Ctl(std::string(c) + "1");
      copy.Top = top;
      copy.Text.clear();
      copy.Position = 0;
      P.Controls[c + n] = copy;
    }
    P.Ctl("cbScalT" + n).Items = {" ", "L", "E"};
    P.Ctl("cbScalWN" + n).Items = {"1.1", "1.25", "1.5", "2.0"};
    TAdjScale s;
    P.Ctl("edKey" + n).Text = key;
    if (!AdjScaleParse(*V, "#ADJ_SCALE" + n, startFile, s)) return;
    SetRow(P, i, key, s);
    const TCtlView& tb = P.Ctl("tbKey" + n);
    top = tb.Top + tb.Height;
    const auto t = P.RowTimes.find(i);
    P.Ctl("lbTime" + n).Text = MsToHMSms(t == P.RowTimes.end() ? 0 : t->second);
  }
  Job.Step(1, 1, "DIA " + V->QuestName());
}
