// Corvesta: the workbench's one program.
#include "mainwindow/Program.h"
#include "platform/SysInfo.h"

int main(int argc, char** argv) {
  platform::KeepFreedMemory();
  return RunCorvesta(argc, argv);
}
