// The line-list run's listing bound and its exits, a cancelled re-computation, and the heights
// run's refusal of several models.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "models/variator/cvVari.h"
#include "support/SynEnv.h"
#include "support/TestSupport.h"
#include "synthesis/drivers/cvRecont.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// A line is listed from a central depth of 5E-5 on (either sign), the wavelength with four
// decimals and the depth with the program's four-digit number text.
TEST(Kurucz, ListingBound) {
  const struct {
    double Lamb, D0;
    const char* Want;
  } cases[] = {
      {6302.494, 4E-5, ""},
      {6302.494, 4.9999E-5, ""},
      {6302.494, 5E-5, "6302.4940 d=5.-05"},
      {6302.494, -6E-5, "6302.4940 d=-6.-05"},
      {6301.501, 0.7655212, "6301.5010 d=0.766"},
      {6301.501, 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(KuruczEntry(c.Lamb, c.D0), c.Want) << c.D0;
}

// The trace mask is restored however the run ends: a synthesis that stops raises, an Id beyond
// the band's lines ends the run with its warning.
TEST(Kurucz, TraceMaskRestoredOnEveryExit) {
  testsupport::SynEnv env;
  testsupport::TempDir tmp;
  LineData().KuruczFolder.Install([d = tmp.str() + "/"] { return d; });
  TVARIATOR v("K", 1);
  env.ctx.VARI = &v;
  TJob job("KURUCZ");
  TLUNNO list;
  TStringList result;
  const std::string band =
      testsupport::ReadFile(testsupport::SourceRoot() + "/data/KURUCZ/gfhy0800.100");
  testsupport::WriteFile(tmp.file("gfhy0800.100"), band.substr(0, band.find('\n') + 1));
  TraceMask = 0x40;
  const int32_t depth = StackIO.Count;
  // a line, but no model to compute it in: the synthesis stops the run
  v.AddP("#LIN 8x000001");
  try {
    doKurucz(job, list, result);
    ADD_FAILURE() << "no stop";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("#MOD"), std::string::npos) << e.what();
  }
  EXPECT_EQ(TraceMask, 0x40);
  EXPECT_EQ(StackIO.Count, depth);
  v.AddP("#LIN 8x000001 8x000002");
  EXPECT_FALSE(doKurucz(job, list, result));
  EXPECT_EQ(env.Count("12 LI=NIL!"), 1);
  EXPECT_EQ(TraceMask, 0x40);
  EXPECT_EQ(StackIO.Count, depth);
  EXPECT_EQ(list.Count(), 0);
  KurLineByIdClose();
  ResetLineDataServices();
  TraceMask = 0;
}

// A request of lines above stage 2 only leaves nothing to compute: a warning, "#LIN" kept.
TEST(Kurucz, NothingLeftAfterTheStageFilter) {
  testsupport::SynEnv env;
  testsupport::TempDir tmp;
  LineData().KuruczFolder.Install([d = tmp.str() + "/"] { return d; });
  std::string line =
      testsupport::ReadFile(testsupport::SourceRoot() + "/data/KURUCZ/gfhy0800.100");
  line = line.substr(0, line.find('\n') + 1);
  line.replace(line.find(" 26.00 "), 7, " 26.02 ");
  testsupport::WriteFile(tmp.file("gfhy0800.100"), line);
  TVARIATOR v("K", 1);
  v.AddP("#LIN 8x000001");
  env.ctx.VARI = &v;
  TJob job("KURUCZ");
  TLUNNO list;
  TStringList result;
  EXPECT_FALSE(doKurucz(job, list, result));
  EXPECT_EQ(env.Count("doKurucz: в #LIN не осталось линий для расчета!"_cp), 1);
  EXPECT_EQ(v.GetSDef("#LIN", ""), "8x000001");
  EXPECT_EQ(list.Count(), 0);
  KurLineByIdClose();
  ResetLineDataServices();
}

// Cancelled before its first combination: the step's old profiles are gone (another step's
// stay), nothing new is made.
TEST(Recont, CancelledBeforeTheFirstCombination) {
  testsupport::SynEnv env;
  TVARIATOR v("R", 2);
  v.AddP("#H 0 1000");
  v.KIdx = 1;
  env.ctx.VARI = &v;
  TLUNNO list;
  for (const int32_t iq : {1, 2}) {
    auto u = std::make_unique<TUNNO>();
    u->QUEST = "R";
    u->IQ = iq;
    u->KVARI = 1;
    list.Add(std::move(u));
  }
  TJob job("RECONT");
  job.Cancel();
  EXPECT_FALSE(RECONT(job, list));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0)->IQ, 1);
  EXPECT_EQ(v.KIdx, 1);
}

TEST(Heights, SeveralModelsWarnAndComputeNothing) {
  testsupport::SynEnv env;
  testsupport::TempDir tmp;
  TVARIATOR v("H", 1);
  TStringList mod;
  for (const char* s : {"#MOD", "T HSRA", "T HOLMU"}) mod.Add(s);
  v.AddPSL(&mod);
  v.AddP("#LIN FE6302");
  v.KIdx = 1;
  env.ctx.VARI = &v;
  TJob job("HEIGHTS");
  TLUNNO list;
  const std::string out = tmp.file("H.txt");
  EXPECT_FALSE(doHEIGHTS(job, list, out, false));
  EXPECT_EQ(env.Count("В алгоритме #HEIGHTS (высоты) нельзя задавать более одного параметра "
                      "#MOD - модель ф/с!"_cp),
            1);
  EXPECT_EQ(env.sink.texts.size(), 1u);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
