// The dialog components and their scripted handler: a choice updates the component, a cancel
// leaves it as it was, every ask is recorded with what the dialog was preset with, and nothing
// ever blocks (no handler: cancelled).
#include <gtest/gtest.h>

#include <string>

#include "foundation/cvLit.h"
#include "platform/Dialogs.h"

using namespace platform;

TEST(Dialogs, OpenDialogTakesTheChoiceAndKeepsItsNameOnCancel) {
  ScriptedDialogs S;
  TOpenDialog D;
  D.Title = "Протокол"_cp;
  D.FileName = "logs\\old.log";
  D.InitialDir = "/data/proj";
  D.Filter = "Logs|*.log|All|*";
  D.FilterIndex = 2;
  S.AnswerFile("/data/proj/новый.log"_cp);
  S.CancelFile();
  ASSERT_TRUE(D.Execute());
  EXPECT_EQ(D.FileName, "/data/proj/новый.log"_cp);
  EXPECT_FALSE(D.Execute());                          // a queued cancel
  EXPECT_EQ(D.FileName, "/data/proj/новый.log"_cp);
  EXPECT_FALSE(D.Execute());                          // nothing queued: cancelled, not blocked
  ASSERT_EQ(S.FileAsks().size(), 3u);
  const TFileAsk& first = S.FileAsks()[0];
  EXPECT_EQ(first.Title, "Протокол"_cp);
  EXPECT_EQ(first.FileName, "logs\\old.log");
  EXPECT_EQ(first.InitialDir, "/data/proj");
  EXPECT_EQ(first.Filter, "Logs|*.log|All|*");
  EXPECT_EQ(first.FilterIndex, 2);
  // The next ask shows the name the first one chose.
  EXPECT_EQ(S.FileAsks()[1].FileName, "/data/proj/новый.log"_cp);
  EXPECT_TRUE(S.ColorAsks().empty());
}

TEST(Dialogs, ColorDialogTakesTheChoiceAndKeepsItsColourOnCancel) {
  ScriptedDialogs S;
  TColorDialog D;
  EXPECT_EQ(D.Color, 0u);
  D.Color = 0x0000FF;
  S.AnswerColor(0x00FF00);
  ASSERT_TRUE(D.Execute());
  EXPECT_EQ(D.Color, 0x00FF00u);
  EXPECT_FALSE(D.Execute());
  EXPECT_EQ(D.Color, 0x00FF00u);
  EXPECT_EQ(S.ColorAsks(), (std::vector<uint32_t>{0x0000FF, 0x00FF00}));
  EXPECT_TRUE(S.FileAsks().empty());
}

TEST(Dialogs, ScriptedHandlersNestAndWithoutOneADialogIsCancelled) {
  TOpenDialog D;
  D.FileName = "keep.txt";
  TColorDialog C;
  C.Color = 0x123456;
  EXPECT_FALSE(D.Execute());  // no handler: written to standard error, cancelled
  EXPECT_FALSE(C.Execute());
  EXPECT_EQ(D.FileName, "keep.txt");
  EXPECT_EQ(C.Color, 0x123456u);
  {
    ScriptedDialogs outer;
    outer.AnswerFile("outer.txt");
    {
      ScriptedDialogs inner;
      inner.AnswerFile("inner.txt");
      ASSERT_TRUE(D.Execute());
      EXPECT_EQ(D.FileName, "inner.txt");
      EXPECT_EQ(outer.FileAsks().size(), 0u);
    }
    ASSERT_TRUE(D.Execute());  // the outer script is back
    EXPECT_EQ(D.FileName, "outer.txt");
  }
  EXPECT_FALSE(D.Execute());  // and after it the default
  EXPECT_EQ(D.FileName, "outer.txt");
}
