#include "platform/com/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qb::com_internal {
namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

void StripTrailingZeros(std::string* digits) {
  if (digits->find('.') == std::string::npos) return;
  while (!digits->empty() && digits->back() == '0') digits->pop_back();
  if (!digits->empty() && digits->back() == '.') digits->pop_back();
}

int DigitValue(char16_t c, int base) {
  int v;
  if (c >= u'0' && c <= u'9') {
    v = c - u'0';
  } else if (c >= u'a' && c <= u'f') {
    v = c - u'a' + 10;
  } else if (c >= u'A' && c <= u'F') {
    v = c - u'A' + 10;
  } else {
    return -1;
  }
  return v < base ? v : -1;
}

// The power of ten of the first significant digit of |number| (ASCII
// "[-]digits[.digits][e[sign]digits]", not all zero), saturating.
long long DecimalExponent(const std::string& number) {
  size_t e = number.find('e');
  std::string mantissa = number.substr(0, e);
  long long explicit_exp = 0;
  if (e != std::string::npos) {
    size_t k = e + 1;
    bool neg = false;
    if (number[k] == '+' || number[k] == '-') neg = number[k++] == '-';
    for (; k < number.size(); ++k) {
      if (explicit_exp < 1000000000) explicit_exp = explicit_exp * 10 + (number[k] - '0');
    }
    if (neg) explicit_exp = -explicit_exp;
  }
  size_t dot = mantissa.find('.');
  if (dot == std::string::npos) dot = mantissa.size();
  long long position = 0;
  for (size_t i = 0; i < mantissa.size(); ++i) {
    char c = mantissa[i];
    if (c >= '1' && c <= '9') {
      position = i < dot ? static_cast<long long>(dot - i - 1) : -static_cast<long long>(i - dot);
      break;
    }
  }
  return explicit_exp + position;
}

}  // namespace

std::u16string FormatReal(double value, int digits) {
  if (std::isnan(value)) return u"1.#QNAN";
  if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
  if (value == 0) return u"0";
  char buffer[64];
  // The scientific form fixes the exponent after rounding to |digits|.
  auto sci = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific,
                           digits - 1);
  std::string text(buffer, sci.ptr);
  size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  if (exponent < -4 || exponent >= digits) {
    std::string mantissa = text.substr(0, e);
    StripTrailingZeros(&mantissa);
    char exp_text[16];
    std::snprintf(exp_text, sizeof(exp_text), "E%c%02d", exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    return Widen(mantissa + exp_text);
  }
  auto fixed = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed,
                             digits - 1 - exponent);
  std::string plain(buffer, fixed.ptr);
  StripTrailingZeros(&plain);
  return Widen(plain);
}

std::u16string FormatInteger(int64_t value) {
  char buffer[32];
  auto r = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return Widen(std::string_view(buffer, static_cast<size_t>(r.ptr - buffer)));
}

std::u16string FormatUnsigned(uint64_t value) {
  char buffer[32];
  auto r = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return Widen(std::string_view(buffer, static_cast<size_t>(r.ptr - buffer)));
}

ParsedNumber ParseNumberText(std::u16string_view text) {
  ParsedNumber out;
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::u16string_view s = text.substr(begin, end - begin);
  size_t pos = 0;
  if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
    out.negative = s[pos] == u'-';
    ++pos;
  }
  if (pos + 1 < s.size() && s[pos] == u'&') {
    char16_t radix = s[pos + 1];
    int base = (radix == u'H' || radix == u'h') ? 16 : (radix == u'O' || radix == u'o') ? 8 : 0;
    if (base == 0) return out;
    pos += 2;
    if (pos == s.size()) return out;
    uint64_t v = 0;
    for (; pos < s.size(); ++pos) {
      int d = DigitValue(s[pos], base);
      if (d < 0) return out;
      if (v > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) {
        out.kind = ParsedNumber::Kind::kOverflow;
        return out;
      }
      v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    out.kind = ParsedNumber::Kind::kInteger;
    out.magnitude = v;
    return out;
  }
  // Decimal: digits [. digits] [E [sign] digits], at least one mantissa digit.
  std::string ascii = out.negative ? "-" : "";
  size_t int_digits = 0;
  size_t frac_digits = 0;
  bool fraction = false;
  bool exponent = false;
  while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9') {
    ascii.push_back(static_cast<char>(s[pos++]));
    ++int_digits;
  }
  if (pos < s.size() && s[pos] == u'.') {
    fraction = true;
    ascii.push_back('.');
    ++pos;
    while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9') {
      ascii.push_back(static_cast<char>(s[pos++]));
      ++frac_digits;
    }
  }
  if (int_digits + frac_digits == 0) return out;
  if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
    exponent = true;
    ascii.push_back('e');
    ++pos;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
      ascii.push_back(static_cast<char>(s[pos++]));
    }
    size_t exp_digits = 0;
    while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9') {
      ascii.push_back(static_cast<char>(s[pos++]));
      ++exp_digits;
    }
    if (exp_digits == 0) return out;
  }
  if (pos != s.size()) return out;
  if (!fraction && !exponent) {
    const char* first = ascii.data() + (out.negative ? 1 : 0);
    uint64_t v = 0;
    auto r = std::from_chars(first, ascii.data() + ascii.size(), v);
    if (r.ec == std::errc()) {
      out.kind = ParsedNumber::Kind::kInteger;
      out.magnitude = v;
      return out;
    }
  }
  double d = 0;
  auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), d);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large a number overflows; too small a one reads as 0.
    if (DecimalExponent(ascii) > 0) {
      out.kind = ParsedNumber::Kind::kOverflow;
      return out;
    }
    out.kind = ParsedNumber::Kind::kReal;
    out.real = 0;
    return out;
  }
  if (r.ec != std::errc()) return out;
  out.kind = ParsedNumber::Kind::kReal;
  out.real = d;
  return out;
}

}  // namespace qb::com_internal
