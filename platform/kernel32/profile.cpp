// GetPrivateProfileStringA and WritePrivateProfileStringA (kernel32.h): the
// arguments and the caller's buffer. The text is read and edited by
// ini_text.h; the file is found, read and replaced by profile_file.h.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cp932.h"
#include "platform/kernel32/export.h"
#include "platform/kernel32/ini_text.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/profile_file.h"

namespace qb::kernel32 {
namespace {

// Copies |text| into |out| of |size| (> 0) bytes: all of it with a NUL, or
// size - 1 bytes and a NUL. Returns the count copied without the NUL.
DWORD CopyText(std::string_view text, LPSTR out, DWORD size) {
  size_t count = text.size() < size ? text.size() : size - 1;
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<DWORD>(count);
}

// Copies |names| into |out| of |size| (> 0) bytes, each followed by a NUL and
// the list by a second one. A list that does not fit is cut after size - 2
// bytes and ended with two NULs. Returns the count copied without the final
// NUL.
DWORD CopyList(const std::vector<std::string_view>& names, LPSTR out, DWORD size) {
  std::string list;
  for (std::string_view name : names) list.append(name).push_back('\0');
  if (list.size() + 1 <= size) {
    std::memcpy(out, list.data(), list.size());
    out[list.size()] = '\0';
    // An empty list is two NULs when there is room: a reader that looks for
    // the double NUL must find it.
    if (list.empty() && size >= 2) out[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    out[0] = '\0';
    return 0;
  }
  std::memcpy(out, list.data(), size - 2);
  out[size - 2] = '\0';
  out[size - 1] = '\0';
  return size - 2;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// True when |app|, |key| (may be null) and |value| (may be null) would be
// read back as written: a line break would start a new line, "]" would end
// the section name early, "=" would end the key name early, and a key that
// begins with ";" or "[" would be a comment or a section header.
bool CanBeWritten(std::string_view app, const char* key, const char* value) {
  if (HasLineBreak(app) || FindSingleByte(app, ']') != std::string_view::npos) return false;
  if (key != nullptr) {
    std::string_view name = TrimBlanks(key);
    if (HasLineBreak(name) || name.find('=') != std::string_view::npos) return false;
    if (!name.empty() && (name.front() == ';' || name.front() == '[')) return false;
  }
  return value == nullptr || !HasLineBreak(value);
}

DWORD GetProfileString(LPCSTR app, LPCSTR key, LPCSTR default_value, LPSTR out, DWORD size,
                       LPCSTR file) {
  std::string bytes;
  std::string path;
  // A file that cannot be found or read reads as an empty one.
  if (!ResolveProfilePath(file, false, &path).ok() || !ReadProfile(path, &bytes).ok()) {
    bytes.clear();
  }
  IniText text(bytes);
  if (app == nullptr) return CopyList(text.SectionNames(), out, size);
  if (key == nullptr) return CopyList(text.KeyNames(TrimBlanks(app)), out, size);
  std::optional<std::string_view> value = text.Find(TrimBlanks(app), TrimBlanks(key));
  if (value.has_value()) return CopyText(*value, out, size);
  return CopyText(TrimTrailingBlanks(default_value == nullptr ? "" : default_value), out, size);
}

// True when |name| ends in the first byte of a double-byte character that
// lacks its second: a new header "[" name "]" would read "]" as that second
// byte, and the section could never be found again.
bool EndsInLoneLeadByte(std::string_view name) {
  size_t i = 0;
  while (i < name.size()) {
    if (IsCp932LeadByte(static_cast<unsigned char>(name[i])) && i + 1 == name.size()) return true;
    i += IsCp932LeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
  }
  return false;
}

BOOL WriteProfileString(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (app == nullptr || file == nullptr) return FALSE;
  std::string_view section = TrimBlanks(app);
  if (!CanBeWritten(section, key, value)) return FALSE;
  std::string path;
  if (!ResolveProfilePath(file, true, &path).ok()) return FALSE;
  bool refused = false;
  Status status = UpdateProfile(path, [&](std::string_view current, std::string* updated) {
    IniText text(current);
    if (key == nullptr) {
      *updated = text.WithoutSection(section);
    } else if (value == nullptr) {
      *updated = text.WithoutKey(section, TrimBlanks(key));
    } else if (EndsInLoneLeadByte(section) && !text.HasSection(section)) {
      // Its new header could not be read back; an existing section of that
      // name (a header line without "]") is written to as any other.
      refused = true;
      *updated = std::string(current);
    } else {
      *updated = text.WithValue(section, TrimBlanks(key), value);
    }
  });
  return status.ok() && !refused ? TRUE : FALSE;
}

}  // namespace
}  // namespace qb::kernel32

extern "C" {

QB_KERNEL32_EXPORT DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR default_value,
                                                  LPSTR out, DWORD size, LPCSTR file) {
  if (out == nullptr || size == 0) return 0;
  try {
    return qb::kernel32::GetProfileString(app, key, default_value, out, size, file);
  } catch (...) {
    // Out of memory, or no code page 932 converter: an empty answer.
    out[0] = '\0';
    return 0;
  }
}

QB_KERNEL32_EXPORT BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value,
                                                   LPCSTR file) {
  try {
    return qb::kernel32::WriteProfileString(app, key, value, file);
  } catch (...) {
    // Nothing was renamed into place, so the file is as it was.
    return FALSE;
  }
}

}  // extern "C"
