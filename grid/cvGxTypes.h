// Shared types of the grid suite: wide text, the enumerations whose value order is part of the
// stored form data, rectangles and points, and the suite's error.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Wide text of the grid (UTF-16). The program's code page 1251 strings convert at the grid's
// text interface.
using WideString = std::u16string;

namespace gx {
// Code page 1251 to wide text and back; characters 1251 cannot hold become '?'.
WideString W(std::string_view Cp1251);
std::string A(std::u16string_view Wide);
// UTF-8 (source literals, terminal) to wide text and back.
WideString FromUtf8(std::string_view Utf8);
std::string ToUtf8(std::u16string_view Wide);
// Lower case within code page 1251 (Latin and Cyrillic letters).
unsigned char LowerCp1251(unsigned char C);
std::string LowerCp1251(std::string S);
// Case-insensitive equality of two names (through code page 1251).
bool SameText(std::u16string_view A, std::u16string_view B);
}  // namespace gx

// The grid suite's error: a conversion that cannot read its text, a refused column, a refused
// weight. The message is the exact text.
class TGxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A cell conversion that cannot read its text; the message names the text.
class TGxConvertError : public TGxError {
 public:
  using TGxError::TGxError;
};

// Pixel rectangle, right and bottom exclusive.
struct TGxRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TGxRect&) const = default;
};
struct TGxPoint {
  int X = 0, Y = 0;
  bool operator==(const TGxPoint&) const = default;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TWrapKind { wkNone, wkEllipsis, wkPathEllipsis, wkWordWrap };
enum TItemsDisplayMode { dmDefault, dmNameList, dmValueList, dmIndentList };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDrawingOptions { doNormal, doBackgroundOnly, doCustom, doCustomOnly };
enum TSortKind { skAscending, skDescending };
enum TSortType { stAlphabetic, stBoolean, stCaseInsensitive, stCustom, stNumeric, stDate, stIP };
enum TDisplayMode { dmImageOnly, dmTextAndImage, dmTextOnly };
enum TFormulaKind { fkNone, fkAverage, fkCount, fkDistinct, fkMaximum, fkMinimum, fkSum, fkCustom };
enum TSlideCaptionLocation { clLeft, clTop };
enum TCompoBoxStyle { cbsDropDown, cbsDropDownList };

// Font styles as bits.
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

struct TGxFont {
  std::string Name = "Tahoma";
  int Size = 8;
  uint32_t Color = 0xFF000008;  // clWindowText
  TFontStyles Style = 0;
  bool operator==(const TGxFont&) const = default;
};
