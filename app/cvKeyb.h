// The keyboard state that the message hook and the editor share: the last key code, the
// CapsLock letter and the program's keyboard-layout letter.
#pragma once
#include <cstdint>

class TcvKeyb {
 public:
  uint16_t LastKey = 0;  // the last key code the message hook saw
  char Caps = 'D';       // 'U' CapsLock on, 'D' off (its state at start)
  char Layout = 'E';     // 'E' English, 'R' Russian, ' ' other

  // Layout 'R' and the Russian layout "00000419" loaded and made the program's layout.
  void SetRus();
  // Layout 'E' and the English layout "00000409".
  void SetEng();
};
