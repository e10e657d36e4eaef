// The settings record: the ten values Quillbox keeps from one run to the
// next, and their reading and writing.
//
// The values live as registry text values under HKEY_CURRENT_USER:
//   Software\Arvenda\Quillbox95\FormPoint  Top Left Height Width CBPoint (twips)
//   Software\Arvenda\Quillbox95\FormFont   FileList Title Mes (points)
//   Software\Arvenda\Quillbox95\Configs    Editor EditOpt (text)
// A number is read from the leading number of its text (blanks skipped,
// an optional sign, digits and one decimal point), rounded half to even; a
// value that reads as 0, or does not fit its field, takes its default.
// Everything crosses the store as UTF-8 text; the store converts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

struct Settings {
  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Height = 0;
  int32_t Width = 0;
  int32_t CBPoint = 0;
  int16_t FileList = 0;
  int16_t Title = 0;
  int16_t Mes = 0;
  std::string Editor;
  std::string EditOpt;
};

// What SaveSettings writes: the window's current geometry and splitter, the
// views' current font sizes (which may have fractions), and the record's
// editor command and option.
struct SettingsSnapshot {
  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Height = 0;
  int32_t Width = 0;
  int32_t CBPoint = 0;
  double FileList = 0;
  double Title = 0;
  double Mes = 0;
  std::string Editor;
  std::string EditOpt;
};

inline constexpr uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr const char* kFormPointKey = "Software\\Arvenda\\Quillbox95\\FormPoint";
inline constexpr const char* kFormFontKey = "Software\\Arvenda\\Quillbox95\\FormFont";
inline constexpr const char* kConfigsKey = "Software\\Arvenda\\Quillbox95\\Configs";

// Where the settings are kept: the `Getting` and `Saving` of a `Reg` object
// with `Node` HKEY_CURRENT_USER.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or "" when it cannot be read.
  virtual std::string Getting(const char* section, const char* key) = 0;
  // Stores |text|; the result is ignored by the settings code.
  virtual bool Saving(const char* section, const char* key, const std::string& text) = 0;
};

// The leading number of |text|: blanks anywhere are skipped, then an
// optional sign, digits and one decimal point are taken until a character
// that cannot continue the number; 0 when there is none.
double LeadingNumber(std::string_view text);

// |value| rounded to the nearest whole number, an exact half to the even one.
double RoundHalfEven(double value);

// A number as it is stored: "6585", "-60", "9.75" (no blank, no decimal
// point for a whole number, the shortest text that reads back the same).
std::string SettingNumberText(double value);

// `LoadSettings`: reads the ten values in order (Top, Left, Height, Width,
// CBPoint, FileList, Title, Mes, Editor, EditOpt), with the defaults Top 0,
// Left 0, Height 6585, Width 7695, CBPoint 2040, font sizes 9, editor and
// option "".
Settings LoadSettings(SettingsStore* store);

// `SaveSettings`: writes the ten values in the same order; a failed write
// does not stop the others.
void SaveSettings(SettingsStore* store, const SettingsSnapshot& values);

}  // namespace qb
