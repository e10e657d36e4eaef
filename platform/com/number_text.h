// The text forms of numbers used by VariantChangeType (internal to qb_com).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qb::com_internal {

// |value| with at most |digits| significant digits, as the original's
// automation conversions write it: "0.5", "1234", "1E+15", "1.5E-07";
// exponent form when the decimal exponent is below -4 or not below |digits|.
// Always "." as the decimal separator; -0 is written "0".
std::u16string FormatReal(double value, int digits);

// Plain decimal text of an integer.
std::u16string FormatInteger(int64_t value);
std::u16string FormatUnsigned(uint64_t value);

// A number read from text.
struct ParsedNumber {
  enum class Kind { kInvalid, kOverflow, kInteger, kReal };
  Kind kind = Kind::kInvalid;
  // kInteger: the value is |negative| ? -magnitude : magnitude.
  bool negative = false;
  uint64_t magnitude = 0;
  double real = 0;  // kReal
};

// Reads |text| as described for VariantChangeType in platform/com/variant.h:
// blanks around, one leading sign, decimal digits with an optional fraction
// and exponent, or "&H" / "&O" hexadecimal / octal digits.
ParsedNumber ParseNumberText(std::u16string_view text);

}  // namespace qb::com_internal
