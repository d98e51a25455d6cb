// The main window's creation on screens of several sizes (an offscreen set of four screens):
// the form takes the rule's size from its design size, centred on the screen, on the design
// screen exactly its design size; the rule is never applied twice (fitting again, or on a screen
// whose device pixel ratio is 2, gives the same size); and the pictures' margins recorded at
// creation are those of the laid-out window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <memory>

#include "mainwindow/Corvesta.h"
#include "mainwindow/FormScale.h"
#include "mainwindow/support/ProgramEnv.h"

namespace {

// The screens, in this order; the first is the primary one.
const char* kScreens = R"({
  "synchronousWindowSystemEvents": false,
  "windowFrameMargins": false,
  "screens": [
    {"name": "Design", "x": 0, "y": 0, "width": 2560, "height": 1440,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "FullHD", "x": 2560, "y": 0, "width": 1920, "height": 1080,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "HiDpi", "x": 4480, "y": 0, "width": 2560, "height": 1440,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2},
    {"name": "Small", "x": 7040, "y": 0, "width": 1366, "height": 768,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
  ]
})";

QScreen* ScreenNamed(const char* Name) {
  for (QScreen* S : QGuiApplication::screens())
    if (S->name() == Name) return S;
  return nullptr;
}

class FormCreate : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static testsupport::TempDir dir;
    const std::string config = dir.file("screens.json");
    testsupport::WriteFile(config, kScreens);
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    mwtest::TheApp();
  }
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::screens().size(), 4) << "the offscreen screens were not set up";
    w = std::make_unique<TCorvesta>();
  }
  // The window's centre is the centre of the screen's available area (to a pixel).
  void ExpectCentredOn(const QScreen* S) {
    EXPECT_LE((w->geometry().center() - S->availableGeometry().center()).manhattanLength(), 1)
        << S->name().toStdString();
  }
  platform::ScriptedMsgBoxes boxes;
  std::unique_ptr<TCorvesta> w;
};

TEST_F(FormCreate, OnTheDesignScreenTheFormHasItsDesignSizeCentred) {
  ASSERT_EQ(QGuiApplication::primaryScreen()->name(), "Design");
  EXPECT_EQ(w->screen(), QGuiApplication::primaryScreen());
  EXPECT_EQ(w->size(), QSize(1241, 756));
  ExpectCentredOn(QGuiApplication::primaryScreen());
  EXPECT_EQ(w->iFormW, 1241);
  EXPECT_EQ(w->iFormH, 756);
}

// Created again on another screen: the rule's size for that screen, from the design size, and
// the margins taken anew.
TEST_F(FormCreate, OnAnotherScreenTheFormTakesTheRulesSize) {
  QScreen* S = ScreenNamed("FullHD");
  ASSERT_NE(S, nullptr);
  const int32_t dW = w->iCORAdW, dH = w->iCORAdH;
  w->setScreen(S);
  for (int again = 0; again < 2; ++again) {
    w->Events.Fire("Corvesta", "OnCreate");
    EXPECT_EQ(w->size(), QSize(930, 567));  // 1920 x 1241 div 2560, 1080 x 756 div 1440
    ExpectCentredOn(S);
    EXPECT_EQ(w->iFormW, 930);
    EXPECT_EQ(w->iFormH, 567);
    EXPECT_EQ(w->iCORAdW, dW);  // the page area shrinks with the form: the margins stay
    EXPECT_EQ(w->iCORAdH, dH);
  }
}

TEST_F(FormCreate, OtherScreensGetTheRulesShareOfTheScreenAndFittingAgainChangesNothing) {
  struct Case {
    const char* Screen;
    QSize Size;
  };
  // 1920 x 1241 div 2560 = 930, 1080 x 756 div 1440 = 567. On the screen of device pixel ratio
  // 2, Qt's own scaling doubles every pixel: the rule sees a design screen and keeps the size.
  const Case cases[] = {{"FullHD", {930, 567}}, {"HiDpi", {1241, 756}}, {"Design", {1241, 756}}};
  for (const Case& c : cases) {
    QScreen* S = ScreenNamed(c.Screen);
    ASSERT_NE(S, nullptr) << c.Screen;
    for (int again = 0; again < 2; ++again) {
      FitFormToScreen(w.get(), S);
      EXPECT_EQ(w->size(), c.Size) << c.Screen << (again ? " (again)" : "");
      ExpectCentredOn(S);
    }
  }
  // A screen too small for the controls: the rule's height, the layout's smallest width.
  const TFormScale r = FitFormToScreen(w.get(), ScreenNamed("Small"));
  EXPECT_EQ(r.Width, 662);
  EXPECT_EQ(w->height(), 403);
  EXPECT_GT(w->width(), 662);
  EXPECT_EQ(w->width(), w->minimumWidth());
}

// The margins of the three pictures to the form, recorded at creation before the window is
// shown, are those of the window's own layout once it is shown.
TEST_F(FormCreate, PictureMarginsAreThoseOfTheShownLayout) {
  const int32_t dW[] = {w->iCORAdW, w->iModdW, w->iDialogdW};
  const int32_t dH[] = {w->iCORAdH, w->iModdH, w->iDialogdH};
  w->show();
  QApplication::processEvents();
  int i = 0;
  for (const char* sheet : {"TabCORA", "TabModels", "TabDialog"}) {
    w->ShowPage(sheet);
    QApplication::processEvents();
    auto* S = qobject_cast<QWidget*>(w->Control(sheet));
    S->layout()->setGeometry(S->rect());  // as Qt lays it out, whatever the resize handler did
    QWidget* img = i == 0 ? static_cast<QWidget*>(w->CORATab().ImageCORA)
                   : i == 1 ? static_cast<QWidget*>(w->ModelsTab().ImageMod)
                            : static_cast<QWidget*>(w->DialogTab().ImageDialog);
    EXPECT_EQ(w->width() - img->width(), dW[i]) << sheet;
    EXPECT_EQ(w->height() - img->height(), dH[i]) << sheet;
    ++i;
  }
  EXPECT_LT(w->iCORAdW, 40);  // a few pixels of frame, not a stale page size
}

}  // namespace
