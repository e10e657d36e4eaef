// Splitting and folding of code page 932 names.
#include "platform/registry/key_path.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qb::registry {
namespace {

TEST(KeyPathTest, SplitsAtBackslashesThatAreNotTrailBytes) {
  struct Case {
    std::string path;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"Software\\Arvenda\\Quillbox95", {"Software", "Arvenda", "Quillbox95"}},
      {"a\\\\b\\", {"a", "b"}},
      {"\x83\x5C\x83\x74\x83\x67\\x", {"\x83\x5C\x83\x74\x83\x67", "x"}},  // ソフト\x
      {"\x95\x5C\\\x95\x5C", {"\x95\x5C", "\x95\x5C"}},                    // 表\表
      {"a\\\x83", {"a", "\x83"}},  // a lead byte cut off at the end
      {"", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    for (std::string_view name : SplitKeyPath(c.path)) names.emplace_back(name);
    EXPECT_EQ(names, c.names) << c.path;
  }
}

TEST(KeyPathTest, FoldsAsciiLettersButNotTrailBytes) {
  struct Case {
    std::string name;
    std::string folded;
  };
  const std::vector<Case> cases = {
      {"EditOpt", "EDITOPT"},
      {"{98fcf989-f5e7}", "{98FCF989-F5E7}"},
      {"\x83\x61z", "\x83\x61Z"},        // ッ keeps its 0x61
      {"\xe0\x61\x61", "\xe0\x61\x41"},  // after a two-byte character, letters fold again
      {"\xb1\x61", "\xb1\x41"},          // half-width katakana is one byte
      {"\x83", "\x83"},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldName(c.name), c.folded) << c.name;
}

}  // namespace
}  // namespace qb::registry
