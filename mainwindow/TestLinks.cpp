#include "mainwindow/TestLinks.h"

namespace testlinks {

THooks& Hooks() {
  static THooks hooks;
  return hooks;
}

void ResetAll() { Hooks() = THooks{}; }

}  // namespace testlinks
