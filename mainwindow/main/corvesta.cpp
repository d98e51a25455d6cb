// Corvesta: the workbench's one program.
#include "mainwindow/Program.h"

int main(int argc, char** argv) { return RunCorvesta(argc, argv); }
