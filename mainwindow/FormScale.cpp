#include "mainwindow/FormScale.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

namespace {

// A x M / D rounded to the nearest whole number (halves away from zero), as the platform's
// scaling of a font does.
int32_t MulDiv(int32_t A, int32_t M, int32_t D) {
  if (D == 0) return -1;
  const int64_t p = static_cast<int64_t>(A) * M;
  const int64_t q = (std::llabs(p) * 2 + std::llabs(static_cast<int64_t>(D))) /
                    (2 * std::llabs(static_cast<int64_t>(D)));
  return static_cast<int32_t>(((p < 0) != (D < 0)) ? -q : q);
}

}  // namespace

TFormScale ScaleFormToScreen(int32_t ScreenW, int32_t ScreenH, int32_t PixelsPerInch,
                             int32_t FormW, int32_t FormH, int32_t FormFontHeight) {
  TFormScale S;
  S.Width = FormW;
  S.Height = FormH;
  S.FontHeight = FormFontHeight;
  if (ScreenW != 2560 || PixelsPerInch != 96) {
    S.Rescaled = true;
    S.Height = static_cast<int32_t>(static_cast<int64_t>(ScreenH) * FormH / 1440);
    S.Width = static_cast<int32_t>(static_cast<int64_t>(ScreenW) * FormW / 2560);
    S.ScaleM = ScreenW;
    S.ScaleD = 2560;
    S.FontHeight = MulDiv(FormFontHeight, ScreenW, 2560);
  }
  if (PixelsPerInch != 96) {
    S.ChildFontsChanged = true;
    const int32_t q = S.FontHeight / -11;
    S.ChildFontFactor = q >= 1 ? q : 1;
  }
  return S;
}

TFormScale FitFormToScreen(QWidget* Form, const QScreen* Screen) {
  const int32_t dw = Form->property("designWidth").toInt();
  const int32_t dh = Form->property("designHeight").toInt();
  const int32_t fh = Form->property("designFontHeight").toInt();
  if (!Screen) {
    Form->resize(dw, dh);
    return ScaleFormToScreen(2560, 1440, 96, dw, dh, fh);
  }
  const TFormScale S = ScaleFormToScreen(Screen->geometry().width(), Screen->geometry().height(),
                                         96, dw, dh, fh);
  const QRect avail = Screen->availableGeometry();
  Form->resize(QSize(S.Width, S.Height).boundedTo(avail.size()));
  // The layout is laid out anew for the new size (a hidden window gets its resize event only
  // when shown); its minimum then holds: a screen too small for the rule's size gets the
  // smallest size the controls fit in.
  if (QLayout* L = Form->layout()) {
    L->invalidate();
    L->activate();
  }
  Form->move(avail.center() - Form->rect().center());
  return S;
}
