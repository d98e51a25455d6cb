#include "platform/qt/QtMsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/CodePage.h"
#include "platform/MsgBox.h"

namespace platform {

namespace {
QString ToQt(const std::string& s) { return QString::fromStdString(Cp1251ToUtf8(s)); }
}  // namespace

void InstallQtMsgBoxes() {
  SetMsgBoxHandler([](const std::string& text, const std::string& caption, MsgButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    if (buttons == MsgButtons::YesNo) {
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      return box.exec() == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
    }
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgResult::Ok;
  });
}

}  // namespace platform
