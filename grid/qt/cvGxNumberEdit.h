// The number edit: a line edit that filters typed characters by its options ("." is the decimal
// point whatever the locale), reads its text as a value clamped to the range and writes values
// back in its format. Up and Down keys and the wheel step the value by Increment (spin).
// Numeric off: a plain line edit.
#pragma once
#include <QLineEdit>
#include <string>

#include "grid/cvGxColumns.h"

class TGxNumberEdit : public QLineEdit {
 public:
  explicit TGxNumberEdit(QWidget* Parent = nullptr);

  bool Numeric = false;
  TGxNumberEditOptions Options = Eo(eoAllowFloat) | Eo(eoAllowSigns);
  double Min = 0, Max = 0, Increment = 1.0;
  int Precision = 2;
  QString NullText, TextAfter;
  bool Has(TGxNumberEditOption O) const { return (Options & Eo(O)) != 0; }

  // The text cleaned: digits, the first "." (floats allowed), a leading sign (signs allowed);
  // empty or a lone sign gives "0". The value clamped to the range, in shortest form.
  std::string CleanText(const std::string& Text, bool Floats, bool Signs) const;
  // Empty text reads Min; otherwise the cleaned text, clamped.
  double Value() const;
  void SetValue(double V);
  QString FormatValue(double V) const;
  // Steps the value up (+1) or down (-1) within the range.
  void Spin(int Direction);

 protected:
  void keyPressEvent(QKeyEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;

 private:
  bool RangeApplies() const { return Min != 0 || Max != 0; }
  double Clamp(double V) const;
};
