// Grid painting at chosen pixels: selection colours with and without focus, sorted-column
// shading, framed and active-rows lines, the caption of an empty grid, the program's own cell
// background, check boxes, hint marks, sort arrows, cell text (ampersand, ellipsis, word wrap),
// and the guard around the program's painting handlers.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <stdexcept>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"
#include "gridqt/support/GridFixture.h"
#include "platform/Colors.h"

using gridtest::Ink;
using gridtest::InkBox;
using gridtest::Px;
using gridtest::TGridFixture;

namespace {

// Two text columns of 80 pixels, rows of pitch 17: cell (c, r) holds the point (80c + 40, 17r + 8).
QPoint Mid(int c, int r) { return QPoint(80 * c + 40, 17 * r + 8); }

TEST(GridPaint, SelectedCellColourFollowsFocusAndHideSelection) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.SelectCell(1, 2, 0);
  ASSERT_TRUE(f.Focus()) << "the offscreen window takes the focus";
  QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 2)), GxColor(g.SelectionColor));
  EXPECT_EQ(img.pixelColor(Mid(0, 2)), GxColor(clWindow));
  g.SelectionColor = 0x00FF00;
  img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 2)), GxColor(0x00FF00));

  g.clearFocus();
  ASSERT_FALSE(g.GridFocused());
  img = f.Render();  // aoHideSelection: painted like any other cell
  EXPECT_EQ(img.pixelColor(Mid(1, 2)), GxColor(clWindow));
  g.SetAppearanceOptions(0);
  g.SetInactiveSelectionColor(0x0000C0);
  img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 2)), GxColor(0x0000C0));
}

TEST(GridPaint, SortedColumnDarkerOrWhite) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  TGxCustomColumn* c1 = g.Columns().Column(1);
  c1->SetParentCellColor(true);
  c1->SetColor(0x70A0D0);
  c1->SetSorted(true);
  ASSERT_EQ(g.SortedColumn(), 1);
  QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 0)), GxColor(0x70A0D0));
  g.SetSortedStyle(soDarker);
  img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 0)), GxColor(GxDarker(0x70A0D0, 10)));
  EXPECT_EQ(img.pixelColor(Mid(0, 0)), GxColor(clWindow));
  g.SetSortedStyle(soWhite);
  img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 3)), QColor(Qt::white));
  // a selected cell of the sorted column keeps the selection colour
  ASSERT_TRUE(f.Focus());
  g.SelectCell(1, 3, 0);
  img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(1, 3)), GxColor(g.SelectionColor));
}

TEST(GridPaint, FramedAndActiveRowsLines) {
  TGridFixture f;  // 5 rows: the last row's bottom line is at y = 4 * 17 + 16 = 84
  TCvGrid& g = *f.G;
  const QColor grid = GxColor(clBtnFace), window = GxColor(clWindow);
  QImage img = f.Render();
  EXPECT_EQ(Px(img, 40, 84), grid);
  EXPECT_EQ(Px(img, 159, 8), grid);
  EXPECT_EQ(Px(img, 79, 90), grid);  // lines go on below the rows
  g.SetGridLinesStyle(lsFramed);
  img = f.Render();
  EXPECT_EQ(Px(img, 40, 84), QColor(Qt::black));
  EXPECT_EQ(Px(img, 159, 8), QColor(Qt::black));
  EXPECT_EQ(Px(img, 40, 16), grid);
  EXPECT_EQ(Px(img, 79, 8), grid);
  EXPECT_EQ(Px(img, 159, 95), grid);  // empty rows are not framed
  g.SetGridLinesStyle(lsActiveRows);
  img = f.Render();
  EXPECT_EQ(Px(img, 79, 8), grid);
  EXPECT_EQ(Px(img, 40, 16), grid);
  EXPECT_EQ(Px(img, 79, 90), window);
  EXPECT_EQ(Px(img, 40, 85 + 16), window);
  // every pixel is painted
  EXPECT_EQ(Ink(img, img.rect(), QColor(Qt::magenta)), img.width() * img.height());
}

TEST(GridPaint, CaptionOnlyWhileNoRowIsShown) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.SetCaption(u"Nothing here");
  const QRect line(0, 4, g.viewport()->width(), 14);
  const QColor window = GxColor(clWindow);
  QImage img = f.Render();
  EXPECT_EQ(Ink(img, QRect(160, 4, 100, 14), window), 0);
  for (int r = 0; r < 5; ++r) g.SetRowVisible(r, false);
  img = f.Render();
  const QRect box = gridtest::DarkBox(img, QRect(0, 0, img.width(), 40));
  ASSERT_FALSE(box.isNull());
  EXPECT_GE(box.top(), 4);
  EXPECT_NEAR(box.center().x(), img.width() / 2, 3);
  g.SetRowVisible(2, true);
  img = f.Render();
  EXPECT_EQ(Ink(img, QRect(160, 4, 100, 14), window), 0);
  g.ClearRows();
  img = f.Render();
  EXPECT_FALSE(gridtest::DarkBox(img, line).isNull());
}

TEST(GridPaint, HandlerThatClearsDefaultDrawingKeepsItsOwnFill) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.OnDrawCellBackground = [&](QObject*, int c, int r, const QRect& R, TCellState, bool& def) {
    if (c == 0 && r == 1) {
      g.Canvas()->fillRect(R, Qt::red);
      def = false;
    }
    if (c == 1 && r == 1) def = false;  // nothing drawn: the canvas keeps what it had
  };
  const QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(0, 1)), QColor(Qt::red));
  EXPECT_EQ(img.pixelColor(Mid(1, 1)), QColor(Qt::magenta));
  EXPECT_EQ(img.pixelColor(Mid(1, 2)), GxColor(clWindow));
}

TEST(GridPaint, CheckBoxesClassicAndThemed) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.Columns().Add<TGxCheckBoxColumn>("Check");  // x 160..239
  g.Cell(2, 0)->SetAsBoolean(true);
  SetThemesActive(false);
  ASSERT_EQ(CheckBoxSize(), 11);
  QImage img = f.Render();
  // the box at (162, 3), 11 pixels, outlined in clBtnShadow
  const QColor shadow = GxColor(clBtnShadow), ink = GxColor(clWindowText);
  for (QPoint p : {QPoint(162, 3), QPoint(172, 3), QPoint(162, 13), QPoint(172, 13)})
    EXPECT_EQ(img.pixelColor(p), shadow) << p.x() << "," << p.y();
  EXPECT_EQ(Px(img, 161, 8), GxColor(clWindow));
  EXPECT_EQ(Px(img, 173, 8), GxColor(clWindow));
  // the tick: (x+2, y+4) to (x+4, y+6) to (x+9, y+1), three times one pixel lower
  for (QPoint p : {QPoint(164, 7), QPoint(166, 9), QPoint(166, 11), QPoint(170, 5), QPoint(170, 7)})
    EXPECT_EQ(img.pixelColor(p), ink) << p.x() << "," << p.y();
  EXPECT_EQ(Px(img, 164, 12), GxColor(clWindow));
  // an unchecked box has no tick
  EXPECT_EQ(Px(img, 166, 17 + 3 + 6), GxColor(clWindow));
  EXPECT_EQ(Px(img, 162, 17 + 3), shadow);

  SetThemesActive(true);
  EXPECT_EQ(CheckBoxSize(), 13);
  img = f.Render();
  SetThemesActive(false);
  // the themed box takes 13 pixels from (162, 2); nothing is drawn beside it
  EXPECT_GT(Ink(img, QRect(162, 2, 13, 13), GxColor(clWindow)), 20);
  EXPECT_EQ(Ink(img, QRect(176, 0, 60, 16), GxColor(clWindow)), 0);
}

TEST(GridPaint, HintMarkInTheTopRightCorner) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.Cell(1, 0)->Hint = u"a hint";
  QImage img = f.Render();
  EXPECT_EQ(Px(img, 157, 1), GxColor(clWindow));
  g.SetAppearanceOptions(Ao(aoHintMarks));
  img = f.Render();
  EXPECT_EQ(Px(img, 157, 1), GxColor(clRed));
  EXPECT_EQ(Px(img, 155, 3), GxColor(clWindow));  // below the triangle's slope
  EXPECT_EQ(Px(img, 77, 1), GxColor(clWindow));   // the cell without a hint
}

TEST(GridPaint, SortArrowAndHideArrow) {
  TGridFixture f(2, 5, 300, 200, Go(goGrid) | Go(goHeader));
  TCvGrid& g = *f.G;
  SetThemesActive(false);
  TGxCustomColumn* c = g.Columns().Column(0);
  c->Header().SetCaption(u"A");
  const QColor face = GxColor(clBtnFace);
  QImage img = f.Render();
  const QFontMetrics fm(GxQFont(c->Font()));
  const int x = 2 + fm.horizontalAdvance("A") + 2 + 19;
  EXPECT_EQ(Ink(img, QRect(x - 1, 3, 10, 12), face), 0);
  c->SetSorted(true);
  img = f.Render();
  EXPECT_GT(Ink(img, QRect(x - 1, 3, 10, 12), face), 5);
  // a caption that leaves the arrow no room: hidden with HideArrow, drawn over the edge without
  WideString cap;
  int ax = 0;
  for (int n = 1; n < 40; ++n) {
    cap = WideString(static_cast<size_t>(n), u'x');
    ax = 2 + fm.horizontalAdvance(GxQString(cap)) + 2 + 19;
    if (ax + 8 >= 80) break;
  }
  ASSERT_LE(ax, 77);
  c->Header().SetCaption(cap);
  ASSERT_TRUE(c->Header().HideArrow());
  img = f.Render();
  EXPECT_EQ(Ink(img, QRect(ax, 4, 79 - ax, 10), face), 0);
  c->Header().SetHideArrow(false);
  img = f.Render();
  EXPECT_GT(Ink(img, QRect(ax, 4, 79 - ax, 10), face), 0);
}

TEST(GridPaint, CellTextAmpersandEllipsisAndWordWrap) {
  TGridFixture f(2, 3, 300, 200, 0);
  TCvGrid& g = *f.G;
  const QColor window = GxColor(clWindow);
  TGxCustomColumn* c0 = g.Columns().Column(0);
  const QFontMetrics fm(GxQFont(c0->Font()));
  g.Cell(0, 0)->SetAsString(u"a&b");
  QImage img = f.Render();
  QRect box = InkBox(img, QRect(0, 0, 80, 16), window);
  EXPECT_GE(box.width(), fm.horizontalAdvance("a&b") - 3);
  EXPECT_GT(box.width(), fm.horizontalAdvance("ab"));

  // right-aligned, too long: cut at the end with an ellipsis, as the platform elides
  const QString longText = "The quick brown fox jumps over the lazy dog";
  g.Cell(0, 1)->SetAsString(GxWide(longText));
  c0->SetAlignment(taRightJustify);
  img = f.Render();
  QImage ref(80, 16, QImage::Format_RGB32);
  ref.fill(window);
  {
    QPainter p(&ref);
    p.setFont(GxQFont(c0->Font()));
    p.setPen(GxColor(clWindowText));
    p.drawText(QRect(2, 0, 76, 16), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(longText, Qt::ElideRight, 76));
  }
  int diff = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 80; ++x) diff += img.pixelColor(x, 16 + y) != ref.pixelColor(x, y);
  EXPECT_EQ(diff, 0);
  box = InkBox(img, QRect(0, 16, 80, 16), window);
  EXPECT_LE(box.left(), 6);  // the start of the text is kept

  // word-wrapped, bottom-aligned: two lines sitting on the cell's bottom edge
  c0->SetAlignment(taLeftJustify);
  c0->SetWrapKind(wkWordWrap);
  c0->SetVerticalAlignment(taAlignBottom);
  g.RowHeightChanged(2, 60);
  g.Cell(0, 2)->SetAsString(u"alpha beta gamma delta");
  img = f.Render();
  box = InkBox(img, QRect(0, 32, 80, 60), window);
  ASSERT_FALSE(box.isNull());
  EXPECT_GE(box.bottom(), 32 + 60 - 6);
  EXPECT_GT(box.height(), fm.height() + 2);
  EXPECT_GT(box.top(), 32 + 60 - 3 * fm.height());
}

TEST(GridPaint, HandlerExceptionIsReportedAndTheRestIsPainted) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  std::vector<std::string> reports;
  TGxErrorReport old = SetGxErrorReport(
      [&](QObject*, const std::string& where, const std::string& msg) {
        reports.push_back(where + ": " + msg);
      });
  g.OnCellColoring = [](QObject*, int c, int r, uint32_t& color, uint32_t&, TCellState) {
    if (c == 0 && r == 1) throw std::runtime_error("bad colour");
    color = 0x00C000;
  };
  g.OnApplyCell = [](QObject*, int, int r, WideString&) {
    if (r == 3) throw std::runtime_error("bad text");
  };
  g.OnPostDraw = [](QObject*) { throw std::logic_error("post"); };
  g.CellsPainted = 0;
  const QImage img = f.Render();
  SetGxErrorReport(old);
  EXPECT_EQ(g.CellsPainted, 10);
  EXPECT_EQ(img.pixelColor(Mid(1, 1)), GxColor(0x00C000));
  EXPECT_EQ(img.pixelColor(Mid(1, 4)), GxColor(0x00C000));
  EXPECT_EQ(img.pixelColor(Mid(0, 1)), GxColor(clWindow));
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0], "OnCellColoring: bad colour");
  EXPECT_EQ(reports[1], "OnApplyCell: bad text");
  EXPECT_EQ(reports[3], "OnPostDraw: post");
}

TEST(GridPaint, SelectedRowOutsideTheStoreIsNeverRead) {
  TGridFixture f(2, 5, 300, 200, Go(goGrid) | Go(goIndicator) | Go(goSelectFullRow));
  TCvGrid& g = *f.G;
  ASSERT_TRUE(f.Focus());
  for (int row : {1000, -7, 5}) {
    g.SelectCell(1, row, 0);
    EXPECT_EQ(g.SelectedRow(), row);
    EXPECT_FALSE(g.IsRowSelected(row));
    const QImage img = f.Render();
    EXPECT_EQ(img.pixelColor(Mid(1, 2) + QPoint(12, 0)), GxColor(clWindow));
    g.ScrollRowIntoView(row);
    g.RefreshCell(1, row);
  }
  g.SetOptions(Go(goGrid));
  g.SelectCell(0, 99, 0);
  const QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(0, 0)), GxColor(clWindow));
}

TEST(GridPaint, AlphaBlendedSelectionMixesAQuarterHighlight) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.SetAppearanceOptions(Ao(aoAlphaBlendedSelection));
  g.SelectCell(0, 0, 0);
  ASSERT_TRUE(f.Focus());
  const QImage img = f.Render();
  EXPECT_EQ(img.pixelColor(Mid(0, 0)),
            GxColor(TGraphicsProvider::MixColors(clWindow, clHighlight, 0.25)));
}

}  // namespace

namespace {

// The check-box play through the grid: a release on the box writes the cell and reports its new
// text; beside the box, or refused by the program, nothing changes.
TEST(GridPlay, ReleaseOnTheBoxWritesTheCell) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.Columns().Add<TGxCheckBoxColumn>("Check");  // content x 160..238, box at (162, 3) in row 0
  SetThemesActive(false);
  std::vector<std::string> after;
  g.OnAfterEdit = [&](QObject*, int c, int r, const WideString& v) {
    after.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + gx::ToUtf8(v));
  };
  EXPECT_TRUE(g.PlayCell(2, 1, TCvGrid::paMouseUp, 0, 5, 7));
  EXPECT_TRUE(g.Cell(2, 1)->GetAsBoolean());
  g.PlayCell(2, 1, TCvGrid::paMouseUp, 0, 40, 7);  // in the cell, beside the box
  EXPECT_TRUE(g.Cell(2, 1)->GetAsBoolean());
  EXPECT_EQ(after, (std::vector<std::string>{"2,1=True"}));
  g.PlayCell(2, 1, TCvGrid::paKey, u' ');
  EXPECT_FALSE(g.Cell(2, 1)->GetAsBoolean());
  EXPECT_EQ(after.back(), "2,1=False");
  g.OnEditAccept = [](QObject*, int, int, const WideString&, bool& ok) { ok = false; };
  g.PlayCell(2, 1, TCvGrid::paKey, u' ');
  EXPECT_FALSE(g.Cell(2, 1)->GetAsBoolean());
  g.OnBeforeEdit = [](QObject*, int, int, bool& ok) { ok = false; };
  EXPECT_FALSE(g.PlayCell(2, 1, TCvGrid::paKey, u' '));
  EXPECT_FALSE(g.PlayCell(0, 1, TCvGrid::paKey, u' '));  // a text column has no play
  EXPECT_FALSE(g.PlayCell(2, 77, TCvGrid::paKey, u' '));
  EXPECT_EQ(after.size(), 2u);
}

}  // namespace

namespace {

// The program formats a cell's text (colour and style) and changes the text drawn.
TEST(GridPaint, FormatingAndApplyCellChangeTheText) {
  TGridFixture f;
  TCvGrid& g = *f.G;
  g.Cell(0, 0)->SetAsString(u"WWWW");
  g.Cell(0, 1)->SetAsString(u"WWWW");
  g.OnCellFormating = [](QObject*, int, int r, uint32_t& color, TFontStyles&, TCellState) {
    if (r == 0) color = clRed;
  };
  g.OnApplyCell = [](QObject*, int, int r, WideString& v) {
    if (r == 1) v = u"";
  };
  const QImage img = f.Render();
  const QRect ink = gridtest::InkBox(img, QRect(0, 0, 78, 16), GxColor(clWindow));
  ASSERT_FALSE(ink.isNull());
  int red = 0;
  for (int x = ink.left(); x <= ink.right(); ++x)
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
      const QColor c = img.pixelColor(x, y);
      red += c.red() > 150 && c.green() < 100 && c.blue() < 100;
    }
  EXPECT_GT(red, 5);
  EXPECT_EQ(Ink(img, QRect(0, 17, 78, 16), GxColor(clWindow)), 0);
}

}  // namespace

namespace {

// Slides: each shown row a band of SlideSize, cells at their slide bounds, the selected slide in
// the slide selection colour with a frame, the program's slide colour, and the scroll by slides.
TEST(GridPaint, SlidesBandsBoundsAndSelection) {
  TGridFixture f(2, 6, 300, 200);
  TCvGrid& g = *f.G;
  g.SetGridStyle(gsSlides);
  g.SetSlideSize(40);
  g.Columns().Column(0)->SetSlideBounds({10, 5, 100, 16});
  g.Columns().Column(1)->SetSlideBounds({150, 20, 100, 16});
  g.Columns().Column(1)->SetParentCellColor(true);
  g.Columns().Column(1)->SetColor(0x00C0C0);
  g.SetSlideSelectionColor(0xC0C000);
  g.OnSlideColoring = [](QObject*, int i, uint32_t& c, uint32_t&, TSlideState) {
    if (i == 2) c = 0x0000C0;
  };
  g.SelectCell(0, 1, 0);
  ASSERT_TRUE(f.Focus());
  const QImage img = f.Render();
  // slide pitch 41 (40 + the grid line)
  EXPECT_EQ(img.pixelColor(200, 10), GxColor(clWindow));    // slide 0 background
  EXPECT_EQ(img.pixelColor(200, 28), GxColor(0x00C0C0));    // its second cell
  EXPECT_EQ(img.pixelColor(200, 41 + 10), GxColor(0xC0C000));  // the selected slide
  EXPECT_EQ(img.pixelColor(0, 41 + 10), GxColor(clWindowText));  // its frame
  EXPECT_EQ(img.pixelColor(280, 82 + 10), GxColor(0x0000C0));    // coloured by the program
  EXPECT_EQ(img.pixelColor(200, 40), GxColor(clBtnFace));        // the line between slides
  EXPECT_EQ(g.VertScrollBar().ScrollMax, 6 - 200 / 41);
  g.VertScrollBar().SetScrollPos(1);
  EXPECT_EQ(g.TopRow(), 1);
  EXPECT_EQ(g.GetCellRect(1, 1).Top, 20);
}

}  // namespace
