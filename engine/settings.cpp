#include "engine/settings.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qb {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename Int>
Int ReadInteger(SettingsStore* store, const char* section, const char* key, Int fallback) {
  double v = RoundHalfEven(LeadingNumber(store->Getting(section, key)));
  if (v == 0 || v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) {
    return fallback;
  }
  return static_cast<Int>(v);
}

}  // namespace

double LeadingNumber(std::string_view text) {
  std::string number;
  bool sign_allowed = true, point_seen = false;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if ((c == '-' || c == '+') && sign_allowed) {
      number.push_back(c);
    } else if (c >= '0' && c <= '9') {
      number.push_back(c);
    } else if (c == '.' && !point_seen) {
      number.push_back(c);
      point_seen = true;
    } else {
      break;
    }
    sign_allowed = false;
  }
  if (!number.empty() && number[0] == '+') number.erase(0, 1);
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end == number.data()) return 0;
  return value;
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  double floor = std::floor(value);
  double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

std::string SettingNumberText(double value) {
  char buffer[64];
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    return std::string(buffer, r.ptr);
  }
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

Settings LoadSettings(SettingsStore* store) {
  Settings s;
  s.Top = ReadInteger<int32_t>(store, kFormPointKey, "Top", 0);
  s.Left = ReadInteger<int32_t>(store, kFormPointKey, "Left", 0);
  s.Height = ReadInteger<int32_t>(store, kFormPointKey, "Height", 6585);
  s.Width = ReadInteger<int32_t>(store, kFormPointKey, "Width", 7695);
  s.CBPoint = ReadInteger<int32_t>(store, kFormPointKey, "CBPoint", 2040);
  s.FileList = ReadInteger<int16_t>(store, kFormFontKey, "FileList", 9);
  s.Title = ReadInteger<int16_t>(store, kFormFontKey, "Title", 9);
  s.Mes = ReadInteger<int16_t>(store, kFormFontKey, "Mes", 9);
  s.Editor = store->Getting(kConfigsKey, "Editor");
  s.EditOpt = store->Getting(kConfigsKey, "EditOpt");
  return s;
}

void SaveSettings(SettingsStore* store, const SettingsSnapshot& v) {
  store->Saving(kFormPointKey, "Top", SettingNumberText(v.Top));
  store->Saving(kFormPointKey, "Left", SettingNumberText(v.Left));
  store->Saving(kFormPointKey, "Height", SettingNumberText(v.Height));
  store->Saving(kFormPointKey, "Width", SettingNumberText(v.Width));
  store->Saving(kFormPointKey, "CBPoint", SettingNumberText(v.CBPoint));
  store->Saving(kFormFontKey, "FileList", SettingNumberText(v.FileList));
  store->Saving(kFormFontKey, "Title", SettingNumberText(v.Title));
  store->Saving(kFormFontKey, "Mes", SettingNumberText(v.Mes));
  store->Saving(kConfigsKey, "Editor", v.Editor);
  store->Saving(kConfigsKey, "EditOpt", v.EditOpt);
}

}  // namespace qb
