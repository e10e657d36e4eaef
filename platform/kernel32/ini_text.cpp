#include "platform/kernel32/ini_text.h"

#include "engine/cp932.h"

namespace qb::kernel32 {
namespace {

constexpr std::string_view kCrLf = "\r\n";

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

IniLine ParseLine(std::string_view text, std::string_view end) {
  IniLine line;
  line.text = text;
  line.end = end;
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first == text.size()) return line;  // kBlank
  if (text[first] == ';') {
    line.kind = IniLineKind::kComment;
  } else if (text[first] == '[') {
    // The name runs to the first "]", or to the end of a line that has none.
    std::string_view rest = text.substr(first + 1);
    size_t close = FindSingleByte(rest, ']');
    line.kind = IniLineKind::kSection;
    line.name = TrimBlanks(rest.substr(0, close));
  } else if (size_t equals = text.find('='); equals != std::string_view::npos) {
    // "=" (0x3D) is never the second byte of a double-byte character.
    line.kind = IniLineKind::kKey;
    line.name = TrimBlanks(text.substr(0, equals));
    size_t start = equals + 1;
    while (start < text.size() && IsBlank(text[start])) ++start;
    line.value_start = start;
    line.value = TrimTrailingBlanks(text.substr(start));
  } else {
    line.kind = IniLineKind::kOther;
  }
  return line;
}

void Append(std::string& out, const IniLine& line) {
  out.append(line.text);
  out.append(line.end);
}

// What must follow |end| before a new line can be added after it: the
// file's line end after a last line without one, the line feed that a last
// line cut after its carriage return lacks, else nothing.
std::string_view Completion(std::string_view end, std::string_view newline) {
  if (end.empty()) return newline;
  return end == "\r" ? "\n" : "";
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return TrimTrailingBlanks(text.substr(first));
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  // Neither blank is ever the second byte of a double-byte character.
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      // A double-byte character matches only itself, byte for byte.
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

size_t FindSingleByte(std::string_view text, char c) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (IsCp932LeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return std::string_view::npos;
}

IniText::IniText(std::string_view bytes) {
  size_t start = 0;
  while (start < bytes.size()) {
    size_t feed = bytes.find('\n', start);
    if (feed == std::string_view::npos) {
      // A file cut between the CR and the LF of its last line end: the CR
      // is that line's end, as it would be with the LF.
      std::string_view last = bytes.substr(start);
      size_t cr = !last.empty() && last.back() == '\r' ? 1 : 0;
      lines_.push_back(ParseLine(last.substr(0, last.size() - cr), last.substr(last.size() - cr)));
      break;
    }
    size_t text_end = feed > start && bytes[feed - 1] == '\r' ? feed - 1 : feed;
    lines_.push_back(ParseLine(bytes.substr(start, text_end - start),
                               bytes.substr(text_end, feed + 1 - text_end)));
    start = feed + 1;
  }
  newline_ = kCrLf;
  for (const IniLine& line : lines_) {
    if (line.end.find('\n') != std::string_view::npos) {
      newline_ = line.end;
      break;
    }
  }
}

size_t IniText::FindSection(std::string_view section, size_t from) const {
  for (size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].kind == IniLineKind::kSection && SameName(lines_[i].name, section)) return i;
  }
  return std::string::npos;
}

size_t IniText::BodyEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != IniLineKind::kSection) ++i;
  return i;
}

std::optional<std::string_view> IniText::Find(std::string_view section,
                                              std::string_view key) const {
  size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  for (size_t i = header + 1, end = BodyEnd(header); i < end; ++i) {
    const IniLine& line = lines_[i];
    if (line.kind != IniLineKind::kKey || !SameName(line.name, key)) continue;
    std::string_view value = line.value;
    // Quote bytes (0x22, 0x27) are never the second byte of a double-byte
    // character, so the last byte is a character of its own.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

std::vector<std::string_view> IniText::SectionNames() const {
  std::vector<std::string_view> names;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLineKind::kSection) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string_view> IniText::KeyNames(std::string_view section) const {
  std::vector<std::string_view> names;
  size_t header = FindSection(section);
  if (header == std::string::npos) return names;
  for (size_t i = header + 1, end = BodyEnd(header); i < end; ++i) {
    if (lines_[i].kind == IniLineKind::kKey) names.push_back(lines_[i].name);
  }
  return names;
}

std::string IniText::WithValue(std::string_view section, std::string_view key,
                               std::string_view value) const {
  std::string out;
  size_t header = FindSection(section);
  if (header == std::string::npos) {
    for (const IniLine& line : lines_) Append(out, line);
    if (!lines_.empty()) out.append(Completion(lines_.back().end, newline_));
    out.append("[").append(section).append("]").append(newline_);
    out.append(key).append("=").append(value).append(newline_);
    return out;
  }
  size_t end = BodyEnd(header);
  size_t replace = std::string::npos;
  size_t insert_after = header;  // the last key line of the section, else its header
  for (size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind != IniLineKind::kKey) continue;
    if (SameName(lines_[i].name, key)) {
      replace = i;
      break;
    }
    insert_after = i;
  }
  for (size_t i = 0; i < lines_.size(); ++i) {
    const IniLine& line = lines_[i];
    if (i == replace) {
      out.append(line.text.substr(0, line.value_start)).append(value).append(line.end);
    } else if (replace == std::string::npos && i == insert_after) {
      out.append(line.text).append(line.end).append(Completion(line.end, newline_));
      out.append(key).append("=").append(value).append(newline_);
    } else {
      Append(out, line);
    }
  }
  return out;
}

std::string IniText::WithoutKey(std::string_view section, std::string_view key) const {
  std::string out;
  size_t header = FindSection(section);
  size_t end = header == std::string::npos ? header : BodyEnd(header);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const IniLine& line = lines_[i];
    bool in_body = header != std::string::npos && i > header && i < end;
    if (in_body && line.kind == IniLineKind::kKey && SameName(line.name, key)) continue;
    Append(out, line);
  }
  return out;
}

std::string IniText::WithoutSection(std::string_view section) const {
  std::string out;
  bool removing = false;  // inside a section being deleted
  for (const IniLine& line : lines_) {
    if (line.kind == IniLineKind::kSection) removing = SameName(line.name, section);
    if (removing && line.kind != IniLineKind::kComment) continue;
    Append(out, line);
  }
  return out;
}

}  // namespace qb::kernel32
