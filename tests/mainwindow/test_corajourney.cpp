// A description file opened from the Texts tab (its link "TCORA.ReadAndDrow") is drawn on the
// CORA tab's picture from the program's profile list, one frame at once, three animated by the
// view timer (1/3, 2/3, 3/3, 3/3, 2/3, 1/3 ...); a frame with a missing profile leaves that plot
// empty, stops the timer and the program goes on.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/support/ProgramEnv.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using mwtest::ProgramTest;

std::unique_ptr<TUNNO> Line(int32_t K) {
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->QUEST = "pair";
  U->IQ = 1;
  U->KVARI = K;
  const double l0 = 6302.5;
  U->SetULEqd(61, l0, l0 + 0.3, l0 - 0.3);
  U->AllocU();
  for (int32_t i = 1; i <= 61; ++i) {
    const double x = (U->UL[i] - l0) / 0.05;
    U->UI[i] = 1 - 0.2 * K * std::exp(-x * x);
  }
  U->CONT = 1;
  U->K4 = 1;
  return U;
}

// Dark (curve) pixels of the picture.
int Dark(TTabCORA& T) {
  platform::TBitmap& B = T.ImageCORA->Bitmap();
  int n = 0;
  for (int32_t y = 0; y < B.Height(); ++y)
    for (int32_t x = 0; x < B.Width(); ++x) n += B.Pixel(x, y) == 0xC00000u;
  return n;
}

class CoraJourney : public ProgramTest {};

TEST_F(CoraJourney, DescriptionFromTheTextsTabDrawsAndAnimates) {
  ASSERT_NE(LUNNO, nullptr);
  LUNNO->Clear();
  for (int32_t k = 1; k <= 3; ++k) LUNNO->Add(Line(k));
  TTabCORA& T = Corvesta->CORATab();
  const std::string f = root->File("Projects/Demo/PIC/three.pic");
  testsupport::WriteFile(f,
                         "3 O 3 120 $FFFFFF $808080 ! ЧислоКонтуров/ТипМасштаба\n"
                         "O pair.1 1 RI 0 5 95 5 95 300 100 $C00000 1\n"
                         "O pair.1 2 RI 0 5 95 5 95 300 100 $C00000 2\n"
                         "O pair.1 3 RI 0 5 95 5 95 300 100 $C00000 3\n");
  // what the Texts tab does with such a file (besides opening it with its program)
  mainlinks::DrawContourPlot(f);
  Corvesta->ShowPage("TabCORA");
  ASSERT_NE(T.CurCORA, nullptr);
  EXPECT_EQ(T.CurCORA->FrameLabel(), "1/3");  // the tab shown starts at frame 1
  EXPECT_TRUE(Corvesta->ViewTimer->Enabled());
  EXPECT_EQ(Corvesta->ViewTimer->Interval(), 120);
  std::string seq;
  int lastDark = 0;
  for (int i = 0; i < 5; ++i) {
    Corvesta->Events.Fire("ViewTimer", "OnTimer");
    seq += " " + T.CurCORA->FrameLabel();
    lastDark = Dark(T);
    EXPECT_GT(lastDark, 50) << i;
  }
  EXPECT_EQ(seq, " 2/3 3/3 3/3 2/3 1/3");
  EXPECT_TRUE(Corvesta->ViewTimer->Enabled());
  // the animation goes on while another tab is shown, until it is switched off
  Corvesta->ShowPage("TabEd");
  Corvesta->Events.Fire("ViewTimer", "OnTimer");
  EXPECT_TRUE(Corvesta->ViewTimer->Enabled());
  EXPECT_EQ(T.CurCORA->FrameLabel(), "1/3");
  T.SetViewTimer(false);

  // a frame whose profile is missing: the plot stays empty, the timer stops
  testsupport::WriteFile(f,
                         "2 O 1 100 15 7 ! ЧислоКонтуров\n"
                         "O pair.1 9 RI 0 5 45 5 95 300 100 $C00000 1\n"
                         "O pair.1 1 RI 0 55 95 5 95 300 100 $C00000 1\n");
  boxes->Clear();
  Corvesta->ShowPage("TabCORA");
  T.ReadAndDrow(f);
  EXPECT_EQ(T.CurCORA->FrameLabel(), "1/1");
  EXPECT_FALSE(Corvesta->ViewTimer->Enabled());
  EXPECT_GT(Dark(T), 20);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "CORA профиля №9 в наборе pair.1 не существует!"_cp))
      << mwtest::AllBoxes(*boxes);
  LUNNO->Clear();
}

}  // namespace
