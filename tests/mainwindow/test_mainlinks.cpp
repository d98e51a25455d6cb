// The main window's links to subsystems not built yet: without a provider each says so as loudly
// as its call deserves; an installed provider runs; a reset brings the stand-ins back.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/cvLink.h"
#include "mainwindow/MainLinks.h"
#include "support/SinkRecorder.h"

namespace {

TEST(MainLinks, StandInsSpeakAsTheirCallDeserves) {
  struct Case {
    const char* Name;
    std::function<void()> Call;
    bool Shown;  // a warning the user sees
    bool Noted;  // a warning written while warnings are on
  };
  const Case cases[] = {
      {"FCalc", [] { mainlinks::ShowCalculator(); }, true, true},
      {"TFCalc.btRegressClick", [] { mainlinks::CalcRegression(); }, true, true},
      {"RunInpFile", [] { mainlinks::RunInpFile("a.inp"); }, true, true},
      {"TCORA.ReadAndDrow", [] { mainlinks::DrawContourPlot("c.txt"); }, true, true},
      {"LVEMO := TLVEMO.Create", [] { mainlinks::RenewModelVectors(); }, false, true},
      {"FMap", [] { mainlinks::CreateMapWindow(nullptr); }, false, false},
      {"FPict.Free", [] { mainlinks::FreeWindows(); }, false, false},
  };
  mainlinks::ResetAll();
  for (const Case& c : cases) {
    const std::string text = cvlink::NotAvailableText(c.Name);
    {
      testsupport::SinkRecorder plain;
      c.Call();
      EXPECT_EQ(plain.Has(text), c.Shown) << c.Name;
    }
    testsupport::SinkRecorder warnings(testsupport::SinkRecorder::kWarnOn);
    c.Call();
    EXPECT_EQ(warnings.Has(text), c.Noted) << c.Name;
  }
  EXPECT_EQ(mainlinks::ProfileCount(), 0);

  std::string ran;
  mainlinks::Hooks().RunInpFile.Install([&](const std::string& F) { ran = F; });
  mainlinks::Hooks().ProfileCount.Install([] { return 3; });
  testsupport::SinkRecorder rec(testsupport::SinkRecorder::kWarnOn);
  mainlinks::RunInpFile("b.inp");
  EXPECT_EQ(ran, "b.inp");
  EXPECT_EQ(mainlinks::ProfileCount(), 3);
  EXPECT_TRUE(rec.texts.empty());
  mainlinks::ResetAll();
  EXPECT_FALSE(mainlinks::Hooks().RunInpFile.Provided());
  EXPECT_EQ(mainlinks::ProfileCount(), 0);
}

}  // namespace
