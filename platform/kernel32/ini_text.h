// The text of an INI file: reading values and names out of it, and making
// the edited text that a write stores. Pure functions of bytes; no file is
// touched here. The format is described in doc/ini.md.
//
// Bytes are code page 932 text and are never converted. Names are compared
// without regard to ASCII letter case; the second byte of a double-byte
// character (after a lead byte 0x81-0x9F or 0xE0-0xFC) is never folded and
// never taken for "]". Blanks are space and tab.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::kernel32 {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// |text| without the blanks at its start and end.
std::string_view TrimBlanks(std::string_view text);

// |text| without the blanks at its end.
std::string_view TrimTrailingBlanks(std::string_view text);

// True when |a| and |b| are the same name without regard to ASCII letter case.
bool SameName(std::string_view a, std::string_view b);

// The position of the first |c| in |text| that is a character of its own
// (not the second byte of a double-byte character); npos when there is none.
size_t FindSingleByte(std::string_view text, char c);

// One line of the file.
enum class IniLineKind {
  kBlank,    // empty or only blanks
  kComment,  // first non-blank byte ";"
  kSection,  // first non-blank byte "[": a section header
  kKey,      // holds "=": a key line (before the first header it belongs to no section)
  kOther,    // anything else: kept, never read
};

struct IniLine {
  IniLineKind kind = IniLineKind::kBlank;
  std::string_view text;   // the line without its line end
  std::string_view end;    // "\r\n", "\n"; for the last line "\r" or ""
  std::string_view name;   // kSection, kKey: the name, blanks trimmed
  std::string_view value;  // kKey: the value, blanks trimmed, quotes kept
  size_t value_start = 0;  // kKey: where the value begins in |text|
};

// The lines of an INI file's bytes, which must outlive the object.
class IniText {
 public:
  explicit IniText(std::string_view bytes);

  // The value of |key| in the first section |section|, blanks trimmed and one
  // pair of matching quotes removed; nullopt when there is none. |section|
  // and |key| are compared as given (callers trim them).
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // True when the file has a section |section|.
  bool HasSection(std::string_view section) const {
    return FindSection(section) != std::string::npos;
  }

  // Every section name in file order, duplicates included.
  std::vector<std::string_view> SectionNames() const;

  // The key names of the first section |section| in file order, duplicates
  // included; empty when there is no such section.
  std::vector<std::string_view> KeyNames(std::string_view section) const;

  // The whole text after a write (kernel32.h says what each does). The text
  // comes back unchanged when there is nothing to do.
  std::string WithValue(std::string_view section, std::string_view key,
                        std::string_view value) const;
  std::string WithoutKey(std::string_view section, std::string_view key) const;
  std::string WithoutSection(std::string_view section) const;

  const std::vector<IniLine>& lines() const { return lines_; }

 private:
  // The index of the first header of |section| (from |from| on), or npos.
  size_t FindSection(std::string_view section, size_t from = 0) const;
  // The index just past the body of the section whose header is at |header|.
  size_t BodyEnd(size_t header) const;

  std::vector<IniLine> lines_;
  std::string_view newline_;  // the file's first line end; CR LF when it has none
};

}  // namespace qb::kernel32
