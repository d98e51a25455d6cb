#include "mainwindow/MainLinks.h"

namespace mainlinks {

THooks& Hooks() {
  static THooks hooks;
  return hooks;
}

void ResetAll() { Hooks() = THooks{}; }

}  // namespace mainlinks
