// The picture tool window.
#include "plotting/qt/cvFPicTool.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/qt/QtCanvas.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"

namespace {

// Kinds: E edit, R read-only edit, L label, B button, T toggle, C check box, X combo, Y editable
// combo, S spin edit (0..99 or 1..99), "-" a new row.
struct TCtlDef {
  char Kind;
  const char* Name;
  std::string Text;
  std::string Hint;
  std::vector<std::string> Items;
};

std::vector<TCtlDef> Defs() {
  const std::string F = "ф0"_cp;
  return {
      {'R', "edKPic", "111", "Номер текущего (активного) графика"_cp, {}},
      {'L', "lbNPic", "1", "Общее число графиков"_cp, {}},
      {'B', "btKGraDec", "<", "Перейти (циклически) к предыдущему графику"_cp, {}},
      {'B', "btKGraInc", ">", "Перейти (циклически) к следующему графику"_cp, {}},
      {'T', "btOneGraph", "1", "При переходе к следующему графику скрывать предыдущий"_cp, {}},
      {'B', "btKGraMoveLeft", "<", "Поменять местами график с предыдущим (показывать его раньше)"_cp, {}},
      {'C', "cbGraVisible", "", "Текущий график видимый?"_cp, {}},
      {'B', "btPicDel", "X", "Удалить текущий график"_cp, {}},
      {'-', "", "", "", {}},
      {'E', "edPicTitle", "График"_cp, "Название графика"_cp, {}},
      {'E', "edsXTit", "X", "Имя оси X и ее размерность"_cp, {}},
      {'E', "edsYTit", "Y", "Имя оси Y и ее размерность"_cp, {}},
      {'T', "btHighLightCurPic", "H", "Сделать спец. выделение текущего графика"_cp, {}},
      {'X', "cbPixBold", "3", "\"Жирность\" пикселей мерцания"_cp, {"1", "3", "5"}},
      {'-', "", "", "", {}},
      {'R', "edKPic0", "000", "Номер графика сравнения"_cp, {}},
      {'B', "btPic0", "0", "Сделать тек.график графиком сравнения"_cp, {}},
      {'T', "btHighLightPic0", "H0", "Сделать спец.выделение графика сравнения"_cp, {}},
      {'B', "btShowPic", "Pic", "Показать форму картинки"_cp, {}},
      {'B', "btClearView", "Clr", "Clear View", {}},
      {'B', "bt_QGoCancel", "X", "Сбросить зацикливание "_cp, {}},
      {'B', "lbColorBk", "фон"_cp, "цвет фона"_cp, {}},
      {'B', "btFontDialog", "F", "Выбрать Font для подписей к осям"_cp, {}},
      {'-', "", "", "", {}},
      {'Y', "edLineStyle", "-.K", "Строка стиля текущей линии"_cp, {}},
      {'B', "btApplyStyle", "Ok", "Применить стиль к выделенному профилю"_cp, {}},
      {'E', "edLineStyleNumber", "0", "Текущий номер стиля линии в списке стилей"_cp, {}},
      {'L', "lbNLineStyles", "0", "", {}},
      {'B', "btDelFormat", "X", "Удалить текущий формат линии"_cp, {}},
      {'B', "btFormatsSave", "S", "Сохранить список форматов в текст"_cp, {}},
      {'B', "btFormatsLoad", "L", "Загрузить список форматов из текста"_cp, {}},
      {'-', "", "", "", {}},
      {'X', "cbMark", ".", "Задать вид маркера"_cp,
       {".", "+", "x", "o", "#", "*", "^", "v", ">", "<", "d", "p", "h", "/", "\\"}},
      {'X', "cbLineStile", "-", "Задать стиль линии графика"_cp, {"-", "_", ":", "=", ";", "~"}},
      {'X', "cbForeColor", "K", "Задать цвет графика"_cp, {"K", "R", "G", "B", "C", "M", "Y", "W"}},
      {'E', "edMarkSize", "0.6", "Размер маркера"_cp, {}},
      {'E', "edLineSize", "0", "Ширина (базовый размер) линии (в дробных пикселах)"_cp, {}},
      {'E', "edDashGap", "1", "длина зазора"_cp, {}},
      {'E', "edDashWide", "3", "длина штриха"_cp, {}},
      {'E', "edDashDot", "1", "\"длина\" точки в штриховой/пунктирной линии"_cp, {}},
      {'-', "", "", "", {}},
      {'E', "edArrPlot", "0", "Индекс (Chain) варианта расположения графика (0 - верхний уровень 0/2 - подуровень ВНУТРИ 2-го окна верхнего уровня)"_cp, {}},
      {'E', "edAPk", "1", "Индекс области в (X,Y) плоскости"_cp, {}},
      {'B', "btAPinclude", "C", "Создать вложенный ArrPlot"_cp, {}},
      {'E', "edKLayOut", "1", "Индекс активного (для управления) ArrPlot"_cp, {}},
      {'L', "lbNLayOut", "1", "Число вариантов расположений графиков"_cp, {}},
      {'S', "edNX", "1", "Число позиций графиков на оси X"_cp, {}},
      {'S', "edNY", "1", "Число позиций графиков на оси Y"_cp, {}},
      {'L', "label776", "1", "", {}},
      {'-', "", "", "", {}},
      {'E', "edNT", "1", "Индекс кадра в мультфильме для тек.графика"_cp, {}},
      {'L', "lb_KT", "t /", "", {}},
      {'B', "btT_prev", "<", "Перейти к предыдущему кадру в мульте"_cp, {}},
      {'B', "btT_next", ">", "Перейти к следующему кадру в мульте"_cp, {}},
      {'E', "edMargX", "10/10", "Отступы графиков от краев области рисования по X"_cp, {}},
      {'E', "edMargY", "5/5", "Отступы графиков от краев области рисования по Y"_cp, {}},
      {'E', "edTileX", "100", "Интервал наложения графиков в % по X"_cp, {}},
      {'E', "edTileY", "100", "Интервал наложения графиков в % по Y"_cp, {}},
      {'-', "", "", "", {}},
      {'B', "btOneGL", "<", "Перенести (циклически) график в предыдущее поле (фрейм)"_cp, {}},
      {'B', "btOneGR", ">", "Перенести (циклически) график в следующее поле (фрейм)"_cp, {}},
      {'R', "edKXY", "1", "Индекс расположения графика в (X,Y) плоскости"_cp, {}},
      {'R', "edKWX", "-1", "Индекс WorldWin для X"_cp, {}},
      {'R', "edKWY", "-1", "Индекс WorldWin для Y"_cp, {}},
      {'B', "LabelX", "X", "", {}},
      {'B', "LabelY", "Y", "", {}},
      {'B', "btDivWX", ">", "Отделить координату X текущего графика"_cp, {}},
      {'B', "btDivWY", ">", "Отделить координату Y текущего графика"_cp, {}},
      {'-', "", "", "", {}},
      {'T', "btOXXShow", "X", "Показать/скрыть ось координат X"_cp, {}},
      {'X', "cbOXXDigitPos", F, "Позиция цифр относ.шкалы X: ф/х/0=снаружи/внутри/нет"_cp,
       {F, "х0"_cp, "фф"_cp, "хх"_cp, "0ф"_cp, "0х"_cp, "00"}},
      {'E', "edOXXPos", "0 1", "Позиция вывода оси 0-внизу, .5-в середине, 1-вверху"_cp, {}},
      {'E', "edOXXMSize", "1", "размер маркера + на оси X"_cp, {}},
      {'S', "edNMrkX", "5", "число отметок на оси X"_cp, {}},
      {'-', "", "", "", {}},
      {'T', "btOXYShow", "Y", "Показать/скрыть ось координат Y"_cp, {}},
      {'X', "cbOXYDigitPos", F, "Позиция цифр относ.шкалы Y: ф/х/0=снаружи/внутри/нет"_cp,
       {F, "х0"_cp, "фф"_cp, "хх"_cp, "0ф"_cp, "0х"_cp, "00"}},
      {'E', "edOXYPos", "0 1", "Позиция вывода оси 0-слева, .5-по середине,  1-справа"_cp, {}},
      {'E', "edOXYMSize", "1", "размер маркера + на оси Y"_cp, {}},
      {'S', "edNMrkY", "5", "число отметок на оси Y"_cp, {}},
      {'-', "", "", "", {}},
      {'T', "sbScalesRounding", "R", "Округление границ шкал"_cp, {}},
      {'B', "btInvertX", "-x", "Перевернуть координату X"_cp, {}},
      {'B', "btInvertY", "-y", "перевернуть координату Y "_cp, {}},
      {'B', "btChangeXY", "x/y", "Поменять местами X и Y - координаты"_cp, {}},
      {'B', "btFuzeWin", "z", "Слияние масштабов"_cp, {}},
      {'B', "btEqZoomWin", "e", "Привести масштаб к масштабу Pic0 (со смещением)"_cp, {}},
      {'B', "btSetZoom", "z", "Установить масштаб по числам для W"_cp, {}},
      {'B', "btZoom", "Z1", "Установить зум по знач-ям X или Y текущего графика"_cp, {}},
      {'C', "cbZoomX", "X", "", {}},
      {'C', "cbZoomY", "Y", "", {}},
      {'B', "btTEST", "Тест"_cp, "Тест функции NSig (для  мировых координат)"_cp, {}},
      {'-', "", "", "", {}},
      {'E', "edWX1", "10000", "World X1", {}},
      {'E', "edWX2", "10000", "World X2", {}},
      {'E', "edWY1", "10000", "World Y1 (top)", {}},
      {'E', "edWY2", "10000", "World Y2 (bottom)", {}},
      {'-', "", "", "", {}},
      {'E', "edVX1", "8000", "View Oper X1", {}},
      {'E', "edVX2", "8000", "View Oper X2", {}},
      {'B', "udX-", "<", "", {}},
      {'B', "udX+", ">", "", {}},
      {'E', "edVY1", "8000", "View Oper Y1", {}},
      {'E', "edVY2", "8000", "View Oper Y2", {}},
      {'B', "udY-", "v", "", {}},
      {'B', "udY+", "^", "", {}},
      {'E', "edDV", "100", "", {}},
      {'B', "btXWidth", "=x", "Подравнять размер окна вдоль X по числу точек X"_cp, {}},
      {'-', "", "", "", {}},
      {'R', "edMouseVX", "", "", {}},
      {'R', "edMouseVY", "", "", {}},
      {'R', "edMouseWX", "", "", {}},
      {'R', "edMouseWY", "", "", {}},
      {'R', "edMouseDnX", "", "", {}},
      {'R', "edMouseDnY", "", "", {}},
      {'R', "edMouseWheelDelta", "", "", {}},
      {'T', "btMouseHold", "M", "", {}},
      {'E', "edKPoint", "0", "Номер текущей АКТИВНОЙ точки графика"_cp, {}},
      {'L', "lbNPoint", "0", "", {}},
      {'-', "", "", "", {}},
      {'C', "cbActivePoint", "Active", "ЗАХВАТ ТОЧКИ"_cp, {}},
      {'B', "btPrevPoint", "<", "Координаты предыдущей точки графика"_cp, {}},
      {'B', "btNextPoint", ">", "Координаты следующей точки графика"_cp, {}},
      {'B', "btSetPoint", "v", "Сдвинуть точку к указанным в окне слева координатам"_cp, {}},
      {'B', "btAddPoint", "+", "Добавить новую точку на график по заданным координатам"_cp, {}},
      {'B', "btDelPoint", "-", "Удалить текущую точку графика"_cp, {}},
      {'-', "", "", "", {}},
      {'E', "edOperand", "50", "Доп.операнд (Lambda, шаг интерполяции по X и т.д.)"_cp, {}},
      {'X', "cbOperator", "lg", "функция преобразования для X или Y"_cp,
       {"lg", "exp", "inv", "TETA", "B(T)", "K", "SQR", "POW", "norm"}},
      {'B', "btOper", "Oper", "Применить выбранную ф-ю к X или Y значениям"_cp, {}},
      {'B', "btPicSubtract", "-", "Вычесть график сравнения из текущего графика"_cp, {}},
      {'B', "btPicAdd", "+", "Найти полусумму текущего графика и графика сравнения"_cp, {}},
      {'B', "btPicDivide", "/", "Разделить текущий график на график сравнения"_cp, {}},
      {'B', "btIPOLLine", "i2", "Линейная интерполяция по оси X с шагом, заданным в поле \"Доп.операнд\""_cp, {}},
      {'B', "btIPOLSpline", "iS", "Интерполяция сплайнами по оси X с шагом, заданным в поле \"Доп.операнд\""_cp, {}},
      {'-', "", "", "", {}},
      {'X', "cbSmooth", "N", "Вариант сглаживания данных"_cp,
       {"diff", "intg", "2", "3", "N", "gauss", "eq_N", "eq_P", "eq_x/N", "eq_W", "Xgrid", ""}},
      {'B', "btDoSmooth", "Do", "Сгладить/преобразовать график заданной функцией"_cp, {}},
      {'E', "edNInterval", "100", "Число интервалов сглаживания"_cp, {}},
      {'B', "btHistGra", "h", "Построить усредн.график по задан.числу интервалов, в кажд.интервал попадает равное число точек"_cp, {}},
      {'B', "btInvertIndex", "-xy", "Отразить данные графика заркально (x/y[1]<->x/y[n])"_cp, {}},
      {'B', "btNormolize", "n", "Преобразовать график к масштабу [0..1] (нормализовать)"_cp, {}},
      {'C', "cbAutoDel", "Auto Del", "Автоматически удалять текущий график при образовании производного"_cp, {}},
      {'-', "", "", "", {}},
      {'B', "btLineX", "- x", "нарисовать линию вдоль оси X"_cp, {}},
      {'B', "btLineY", "| y", "нарисовать линию вдоль оси Y"_cp, {}},
      {'T', "btClipBrdSrc", "C", "Использовать данные из ClipBoard для рисования H/V lines "_cp, {}},
      {'B', "btNewGraf", "+G", "Нарисовать еще один график"_cp, {}},
      {'S', "edXCol", "1", "Номер колонки X нового графика"_cp, {}},
      {'S', "edYCol", "2", "Номер колонки Y нового графика"_cp, {}},
      {'B', "btGraHist", "H", "Построить гистограмму по данным X текущего графика"_cp, {}},
      {'-', "", "", "", {}},
      {'B', "btPicStat", "R", "Рассчитать статистику по текущему графику"_cp, {}},
      {'B', "btPrint", "P", "Вывести текущий график в таблицу"_cp, {}},
      {'B', "btOXReport", "O", "Вывести список масштабов в текстовый редактор"_cp, {}},
      {'B', "btPLOTTERReport", "?", "Полный отчёт графической подсистемы"_cp, {}},
      {'B', "btOpenGraphTunes", "Graf", "Открыть закладку подробных данных о графике"_cp, {}},
      {'B', "btGIF", ">", "Создать gif файл"_cp, {}}};
}

std::string ToCp(const QString& S) { return platform::FromQtStr(S); }

}  // namespace

TFPicTool::TFPicTool(QWidget* Parent) : QWidget(Parent) {
  setWindowTitle("PictureTool");
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  QFont F = font();
  F.setPixelSize(11);
  setFont(F);
  Build();
  Model.OnSet = [this](const std::string& N, const std::string& V) { Show(N, V); };
  Model.OnShowTool = [this] { show(); };
  // The background label is white until a colour is chosen.
  Show("lbColorBk.Color", IntStr(static_cast<int32_t>(Model.ColorBk)));
}

QWidget* TFPicTool::Control(const std::string& Name) const {
  const auto It = Ctl_.find(Name);
  return It == Ctl_.end() ? nullptr : It->second;
}

void TFPicTool::Attach(TPLOTTER* Plotter, TFPict* Pict) {
  Model.P = Plotter;
  Model.Pict = Pict ? &Pict->State() : nullptr;
  if (Pict) Pict->State().Tool = &Model;
  if (Plotter) Plotter->Tools = &Model;
}

void TFPicTool::Build() {
  auto* Grid = new QGridLayout(this);
  Grid->setSpacing(2);
  Grid->setContentsMargins(3, 3, 3, 3);
  int Row = 0, Col = 0;
  for (const TCtlDef& D : Defs()) {
    if (D.Kind == '-') {
      ++Row;
      Col = 0;
      continue;
    }
    const std::string Name = D.Name;
    const QString Text = platform::QtStr(D.Text);
    QWidget* W = nullptr;
    switch (D.Kind) {
      case 'E':
      case 'R': {
        auto* E = new QLineEdit(Text, this);
        E->setReadOnly(D.Kind == 'R');
        E->setMinimumWidth(36);
        if (D.Kind == 'R') {
          QFont B = E->font();
          B.setBold(true);
          E->setFont(B);
        }
        QObject::connect(E, &QLineEdit::textEdited, this, [this, Name](const QString& T) {
          Model.Input(Name, ToCp(T));
        });
        W = E;
        break;
      }
      case 'L': W = new QLabel(Text, this); break;
      case 'B':
      case 'T': {
        auto* B = new QToolButton(this);
        B->setText(Text);
        B->setCheckable(D.Kind == 'T');
        QObject::connect(B, &QToolButton::clicked, this, [this, Name, B](bool On) {
          if (B->isCheckable()) Model.Input(Name, On ? "1" : "0");
          else Model.Changed(Name);
        });
        W = B;
        break;
      }
      case 'C': {
        auto* C = new QCheckBox(Text, this);
        QObject::connect(C, &QCheckBox::clicked, this,
                         [this, Name](bool On) { Model.Input(Name, On ? "1" : "0"); });
        W = C;
        break;
      }
      case 'X':
      case 'Y': {
        auto* C = new QComboBox(this);
        C->setEditable(D.Kind == 'Y');
        for (const std::string& I : D.Items) C->addItem(platform::QtStr(I));
        C->setCurrentText(Text);
        if (D.Kind == 'Y') {
          QObject::connect(C, &QComboBox::activated, this, [this, Name, C](int I) {
            Model.Input(Name + ".Index", IntStr(I));
            Model.Input(Name, ToCp(C->currentText()));
          });
        } else {
          QObject::connect(C, &QComboBox::textActivated, this,
                           [this, Name](const QString& T) { Model.Input(Name, ToCp(T)); });
        }
        W = C;
        break;
      }
      case 'S': {
        auto* S = new QSpinBox(this);
        S->setRange(Name.compare(0, 6, "edNMrk") == 0 || Name == "edXCol" || Name == "edYCol" ? 0 : 1,
                    Name == "edYCol" ? 999 : 99);
        S->setValue(std::stoi(D.Text));
        QObject::connect(S, &QSpinBox::valueChanged, this,
                         [this, Name](int V) { Model.Input(Name, IntStr(V)); });
        W = S;
        break;
      }
      default: break;
    }
    if (!W) continue;
    W->setObjectName(QString::fromStdString(Name));
    if (!D.Hint.empty()) W->setToolTip(platform::QtStr(D.Hint));
    Ctl_[Name] = W;
    Grid->addWidget(W, Row, Col++);
  }
  if (auto* C = qobject_cast<QCheckBox*>(Control("cbGraVisible"))) C->setChecked(true);
  if (auto* C = qobject_cast<QCheckBox*>(Control("cbZoomX"))) C->setChecked(true);
  if (auto* L = qobject_cast<QLabel*>(Control("lbNPic"))) L->setMinimumWidth(20);
  if (QWidget* H = Control("btHistGra")) H->setVisible(false);
  if (auto* B = qobject_cast<QToolButton*>(Control("btMouseHold"))) {
    QFont F = B->font();
    F.setBold(true);
    F.setStrikeOut(true);
    B->setFont(F);
    B->setStyleSheet("color: red");
  }
  if (auto* B = qobject_cast<QToolButton*>(Control("btClipBrdSrc"))) {
    QFont F = B->font();
    F.setBold(true);
    F.setStrikeOut(true);
    B->setFont(F);
    B->setStyleSheet("color: navy");
  }
}

void TFPicTool::Show(const std::string& Name, const std::string& Value) {
  const size_t Dot = Name.find('.');
  QWidget* W = Control(Name.substr(0, Dot));
  if (!W) return;
  const QSignalBlocker Block(W);
  const QString V = platform::QtStr(Value);
  if (Dot != std::string::npos) {
    const std::string What = Name.substr(Dot + 1);
    if (What == "Visible") W->setVisible(Value == "1");
    else if (What == "Focus") W->setFocus();
    else if (What == "Hint") W->setToolTip(V);
    else if (What == "Items") LoadStyleItems();
    else if (What == "Color") {
      const uint32_t C = static_cast<uint32_t>(std::atoi(Value.c_str()));
      QPalette Pal = W->palette();
      Pal.setColor(QPalette::Button, QColor(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF));
      W->setPalette(Pal);
    }
    return;
  }
  if (auto* E = qobject_cast<QLineEdit*>(W)) {
    // An edit the user is typing in keeps the user's text.
    if (!E->hasFocus() && E->text() != V) E->setText(V);
  } else if (auto* L = qobject_cast<QLabel*>(W)) {
    L->setText(V);
  } else if (auto* B = qobject_cast<QAbstractButton*>(W)) {
    if (B->isCheckable()) B->setChecked(Value == "1");
  } else if (auto* C = qobject_cast<QComboBox*>(W)) {
    C->setCurrentText(V);
  } else if (auto* S = qobject_cast<QSpinBox*>(W)) {
    S->setValue(std::atoi(Value.c_str()));
  }
}

void TFPicTool::LoadStyleItems() {
  auto* C = qobject_cast<QComboBox*>(Control("edLineStyle"));
  if (!C) return;
  const QSignalBlocker Block(C);
  const QString Text = C->currentText();
  C->clear();
  const TLineStyles& LS = PlotLineStyles();
  for (int32_t i = 0; i < LS.List->Count(); ++i) C->addItem(platform::QtStr((*LS.List)[i]));
  if (LS.Selected >= 0 && LS.Selected < C->count()) C->setCurrentIndex(LS.Selected);
  else C->setCurrentText(Text);
}

void TFPicTool::showEvent(QShowEvent*) { Model.FormShow(); }

void TFPicTool::hideEvent(QHideEvent*) { Model.FormHide(); }
