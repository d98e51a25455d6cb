#include "mainwindow/FFiltr.h"

TFFiltr* FFiltr = nullptr;

TFFiltr::TFFiltr(QWidget* Parent) : QWidget(Parent, Qt::Tool) { BuildForms(this, Registry); }
