// The check-box play: a release on the box or the space key flips the value and reports it; a
// release in the cell beside the box changes nothing. The box is 11 pixels (13 with visual
// styles), placed by the column's alignments with a margin of 2.
#include <gtest/gtest.h>

#include "grid/cvGxDraw.h"
#include "grid/cvGxPlays.h"

namespace {

struct PlayFixture {
  TGxCheckBoxColumn Column{"Check"};
  TCheckBoxColumnPlay Play;
  int Changes = 0;
  PlayFixture() {
    Play.Column = &Column;
    Play.CellRect = {100, 40, 180, 56};
    Play.OnChange = [this](TColumnPlay&) { ++Changes; };
  }
};

TEST(CheckBoxPlay, BoxPlacementFollowsAlignmentAndThemes) {
  TGxCheckBoxColumn c("c");
  const TGxRect cell{100, 40, 180, 56};
  struct Case {
    TAlignment H;
    TVerticalAlignment V;
    bool Themes;
    TGxRect Box;
  };
  const Case cases[] = {
      {taLeftJustify, taVerticalCenter, false, {102, 43, 113, 54}},
      {taRightJustify, taAlignTop, false, {167, 42, 178, 53}},
      {taCenter, taAlignBottom, false, {135, 43, 146, 54}},
      {taLeftJustify, taVerticalCenter, true, {102, 42, 115, 55}},
  };
  for (const Case& k : cases) {
    c.SetAlignment(k.H);
    c.SetVerticalAlignment(k.V);
    SetThemesActive(k.Themes);
    EXPECT_EQ(CheckBoxRect(&c, cell), k.Box) << k.H << " " << k.V << " " << k.Themes;
  }
  SetThemesActive(false);
}

TEST(CheckBoxPlay, ReleaseOnTheBoxTogglesAndBesideItDoesNot) {
  PlayFixture f;
  SetThemesActive(false);
  // in the cell grown by 1 the box is at (101, 43) .. (112, 54): cell-relative (1, 3) .. (12, 14)
  f.Play.MouseUp(mbLeft, 0, 5, 5);
  EXPECT_TRUE(f.Play.AsBoolean);
  EXPECT_EQ(f.Play.AsString, u"True");
  EXPECT_EQ(f.Changes, 1);
  f.Play.MouseUp(mbLeft, 0, 30, 5);  // in the cell, right of the box
  f.Play.MouseUp(mbLeft, 0, 5, 15);  // below it
  EXPECT_TRUE(f.Play.AsBoolean);
  EXPECT_EQ(f.Changes, 1);
  f.Play.MouseUp(mbLeft, 0, 1, 3);  // the box's corner
  EXPECT_FALSE(f.Play.AsBoolean);
  EXPECT_EQ(f.Play.AsString, u"False");
  EXPECT_EQ(f.Changes, 2);
  f.Play.MouseDown(mbLeft, 0, 5, 5);
  EXPECT_EQ(f.Changes, 2);
}

TEST(CheckBoxPlay, SpaceTogglesOtherKeysDoNot) {
  PlayFixture f;
  f.Play.KeyPress(u'x');
  f.Play.KeyPress(u'\r');
  EXPECT_EQ(f.Changes, 0);
  f.Play.KeyPress(u' ');
  EXPECT_TRUE(f.Play.AsBoolean);
  f.Play.KeyPress(u' ');
  EXPECT_FALSE(f.Play.AsBoolean);
  EXPECT_EQ(f.Changes, 2);
}

}  // namespace
