#include "app/cvKeyb.h"

#include "platform/SysInfo.h"

void TcvKeyb::SetRus() {
  Layout = 'R';
  platform::LoadKeyboardLayout("00000419");
}

void TcvKeyb::SetEng() {
  Layout = 'E';
  platform::LoadKeyboardLayout("00000409");
}
