// The calculator window.
#include "plotting/qt/cvFCalc.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/cvLit.h"
#include "platform/qt/QtCanvas.h"

TFCalc* FCalc = nullptr;

namespace {

// Kinds: E edit (with a label), B button, "-" a new row.
struct TDef {
  char Kind;
  const char* Name;
  const char* Text;
};

const TDef kInterp[] = {
    {'B', "btFixBaseYandLine", "Set Line"}, {'E', "edBaseLineNum", ""},
    {'B', "btFixBaseXCol", "Set X"},        {'E', "edBaseColXNum", ""},
    {'B', "btFixBase_Y", "Set Y (Goal)"},   {'E', "edBaseColYNum", ""},
    {'-', "", ""},
    {'B', "btFixOperandLineAndCol", "Dst (Str,Col) Set"}, {'E', "edOperandLineNum", ""},
    {'E', "edOperandColNum", ""},           {'B', "btCalcInterpolation", "Interpolate"},
    {'B', "btHist", "Hist"}};

const TDef kRegr[] = {
    {'E', "edN", "n"},         {'E', "edX", "x Col"},     {'E', "edY", "cur Col"},
    {'E', "edMin", "Min"},     {'E', "edMax", "Max"},     {'-', "", ""},
    {'E', "edMid", "<y>"},     {'E', "edDisp", "d"},      {'E', "edDisp2", "d2"},
    {'E', "edSX", "<x>"},      {'E', "edSY", "<y>"},      {'-', "", ""},
    {'E', "edQX", "qx"},       {'E', "edQY", "qy"},       {'E', "edRegr", "rxy"},
    {'E', "edA", "a"},         {'E', "edB", "b"},         {'B', "btGr2", "gr"},
    {'-', "", ""},
    {'E', "edmR", "mR"},       {'E', "edmA", "mA"},       {'E', "edmB", "mB"},
    {'E', "edAY", "ryx a"},    {'E', "edBY", "b"},        {'B', "btGr2Y", "gr"},
    {'-', "", ""},
    {'E', "edRx2y", "rx2y"},   {'E', "edA2", "a2"},       {'E', "edB2", "b2"},
    {'E', "edC2", "c2"},       {'B', "btGr3", "gr"},      {'-', "", ""},
    {'E', "edMid_x_2", "<x_2>"}, {'E', "edMid_y_2", "<y_2>"}, {'E', "edMid_x_y", "<x_y_>"},
    {'E', "edDetA", "det A"},  {'-', "", ""},
    {'E', "edLam1", "L1"},     {'E', "edVecx11", "v11"},  {'B', "btGrVec11", "gr"},
    {'E', "edVecx12", "v12"},  {'B', "btGrVec12", "gr"},  {'-', "", ""},
    {'E', "edLam2", "L2"},     {'E', "edVecx21", "v21"},  {'B', "btGrVec21", "gr"},
    {'E', "edVecx22", "v22"},  {'B', "btGrVec22", "gr"},  {'-', "", ""},
    {'E', "edTestX", "x"},     {'B', "btY_x2", "y(x)"},   {'E', "edTestY", "y"},
    {'-', "", ""},
    {'B', "btRegress", "Do It !"}, {'B', "btStat2ClipBrd", "to ClipBoard"},
    {'B', "btAutoCorr", "Auto Corr"}, {'E', "edAutoCorrN", "N"}};

}  // namespace

TFCalc::TFCalc(QWidget* Parent) : QWidget(Parent) {
  setWindowTitle("Calculator");
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  QFont F = font();
  F.setPixelSize(11);
  setFont(F);
  auto* Top = new QVBoxLayout(this);
  Top->setSpacing(2);
  Top->setContentsMargins(3, 3, 3, 3);
  auto Group = [&](const char* Title, const TDef* Defs, size_t N) {
    auto* Box = new QGroupBox(QString::fromLatin1(Title), this);
    auto* Grid = new QGridLayout(Box);
    Grid->setSpacing(2);
    int Row = 0, Col = 0;
    for (size_t i = 0; i < N; ++i) {
      const TDef& D = Defs[i];
      if (D.Kind == '-') {
        ++Row;
        Col = 0;
        continue;
      }
      const std::string Name = D.Name;
      QWidget* W = nullptr;
      if (D.Kind == 'B') {
        auto* B = new QPushButton(QString::fromLatin1(D.Text), Box);
        QObject::connect(B, &QPushButton::clicked, this, [this, Name] { Model.Changed(Name); });
        W = B;
      } else {
        if (*D.Text) Grid->addWidget(new QLabel(QString::fromLatin1(D.Text), Box), Row, Col++);
        auto* E = new QLineEdit(platform::QtStr(Model.Get(Name)), Box);
        E->setMinimumWidth(40);
        QObject::connect(E, &QLineEdit::textEdited, this, [this, Name](const QString& T) {
          Model.Input(Name, platform::FromQtStr(T));
        });
        W = E;
      }
      W->setObjectName(QString::fromStdString(Name));
      Ctl_[Name] = W;
      Grid->addWidget(W, Row, Col++);
    }
    Top->addWidget(Box);
  };
  Group("Interpolation", kInterp, std::size(kInterp));
  Group("Regression", kRegr, std::size(kRegr));
  Model.OnSet = [this](const std::string& N, const std::string& V) { Show(N, V); };
}

QWidget* TFCalc::Control(const std::string& Name) const {
  const auto It = Ctl_.find(Name);
  return It == Ctl_.end() ? nullptr : It->second;
}

void TFCalc::Show(const std::string& Name, const std::string& Value) {
  auto* E = qobject_cast<QLineEdit*>(Control(Name));
  if (!E) return;
  const QSignalBlocker Block(E);
  E->setText(platform::QtStr(Value));
}

void TFCalc::showEvent(QShowEvent*) { Model.FormShow(); }
