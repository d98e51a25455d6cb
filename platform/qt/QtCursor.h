// The screen cursor through QApplication override cursors.
#pragma once
#include <Qt>

#include "platform/Cursor.h"

namespace platform {

// The Qt cursor shape of a platform cursor value (Qt::ArrowCursor for crDefault and unknown ones).
Qt::CursorShape QtCursorShape(TCursor cursor);

// Installs the cursor service: crDefault removes the override cursor, any other value sets it
// as the application's override cursor. Needs a QApplication.
void InstallQtCursor();

}  // namespace platform
