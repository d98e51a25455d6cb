// The column-filter window: the FITS tab's filter reads its edits edMin and edMax.
#pragma once
#include <QWidget>

#include "FFiltr/FFiltrForms.h"
#include "platform/qt/FormRegistry.h"

class TFFiltr : public QWidget, public FFiltrForms {
 public:
  explicit TFFiltr(QWidget* Parent = nullptr);
  platform::TFormRegistry Registry;
};

extern TFFiltr* FFiltr;
