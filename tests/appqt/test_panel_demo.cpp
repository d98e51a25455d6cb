// The panel of the bundled description file above the editor, rendered offscreen and checked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <filesystem>

#include "demo/PanelDemo.h"
#include "foundation/cvSayer.h"
#include "platform/qt/QtCanvas.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "support/QtTestApp.h"

namespace {

QApplication* QtApp() { return testsupport::QtTestApp(); }

}  // namespace

TEST(PanelDemo, BundledPanelAboveTheEditorRenders) {
  QtApp();
  platform::InstallQtGraphics();
  testsupport::SinkRecorder sink;
  testsupport::TempDir work;
  PanelDemo demo(testsupport::SourceRoot() + "/data", work.str());
  QApplication::processEvents();

  // The test field holds the text, and the editor its report.
  EXPECT_EQ(demo.inf->FindFld("EE")->DisplayText().find("Проверка! 123"_cp) != std::string::npos,
            true);
  ASSERT_GE(demo.memo->LineCount(), 5);
  EXPECT_EQ(demo.memo->Line(2), "Колонка1  Колонка2  Колонка3"_cp);

  const QImage shot = demo.window.grab().toImage();
  const std::string file = (std::filesystem::current_path() / "panel_demo.png").string();
  ASSERT_TRUE(shot.save(QString::fromStdString(file)));

  // The strip lies above the memo and carries drawn fields: more than one colour in its rows.
  const QRect stripRect = demo.strip->geometry();
  ASSERT_GT(stripRect.height(), 4);
  EXPECT_LT(stripRect.bottom(), demo.memo->geometry().top() + 1);
  const QImage img(QString::fromStdString(file));
  QRgb first = img.pixel(stripRect.left() + 1, stripRect.top() + stripRect.height() / 2);
  int differing = 0;
  for (int y = stripRect.top(); y <= stripRect.bottom(); ++y)
    for (int x = stripRect.left(); x <= stripRect.right(); x += 2)
      if (img.pixel(x, y) != first) ++differing;
  EXPECT_GT(differing, 50);

  // The test field is drawn in its colour (yellow in the bundled file) where the panel put it.
  const TRect r = demo.inf->FieldRect(demo.inf->FindFld("EE"));
  ASSERT_GT(r.Right, r.Left);
  int yellow = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (img.pixel(stripRect.left() + x, stripRect.top() + y) == qRgb(255, 255, 0)) ++yellow;
  EXPECT_GT(yellow, (r.Right - r.Left) * (r.Bottom - r.Top) / 3);
}
