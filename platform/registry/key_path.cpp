#include "platform/registry/key_path.h"

namespace qb::registry {

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(folded[i]);
    if (IsLeadByte(byte)) {
      ++i;  // the trail byte is part of the character, not a letter
    } else if (byte >= 'a' && byte <= 'z') {
      folded[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return folded;
}

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> names;
  size_t start = 0;
  size_t i = 0;
  while (i < path.size()) {
    unsigned char byte = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(byte)) {
      i += 2;
      continue;
    }
    if (byte == '\\') {
      if (i > start) names.push_back(path.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  if (path.size() > start) names.push_back(path.substr(start));
  return names;
}

}  // namespace qb::registry
