#include "platform/qt/QtCursor.h"

#include <QApplication>
#include <QCursor>

namespace platform {

Qt::CursorShape QtCursorShape(TCursor cursor) {
  switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragCopyCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crSQLWait: return Qt::WaitCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

void InstallQtCursor() {
  SetCursorService([](TCursor cursor) {
    if (!QApplication::instance()) return;
    // One override level at most: the cursor stack lives in the message sink.
    if (cursor == crDefault) {
      while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
      return;
    }
    QCursor qc(QtCursorShape(cursor));
    if (QApplication::overrideCursor())
      QApplication::changeOverrideCursor(qc);
    else
      QApplication::setOverrideCursor(qc);
  });
}

}  // namespace platform
