// qbtool show prints the whole body of an entry, exactly, however long: it
// is a tool for scripts, unlike the window's view, which shows a long body
// cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/cp932.h"
#include "engine/entry_display.h"
#include "tests/support/temp_dir.h"
#include "tools/qbtool/commands.h"

namespace qb {
namespace {

using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

std::string Show(const std::string& file, const std::string& index_dir, std::string* err) {
  const char* argv[] = {"qbtool", "show", "--index-dir", index_dir.c_str(), file.c_str(), "0"};
  std::FILE* out = std::tmpfile();
  std::FILE* errors = std::tmpfile();
  EXPECT_EQ(RunQbtool(6, argv, out, errors), 0);
  auto slurp = [](std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
    std::fclose(f);
    return s;
  };
  *err = slurp(errors);
  return slurp(out);
}

// Past the view's limit, with double-byte characters across every boundary
// of the pieces it is read in and a lone first byte of a character at the
// very end.
TEST(QbtoolShow, PrintsTheWholeOfALongBodyExactly) {
  TempDir dir, index;
  std::string body = "x";
  const std::string line = EncodeCp932("春はあけぼの。やうやう白くなりゆく山ぎは\r\n");
  while (body.size() <= static_cast<size_t>(kMaxShownBodyBytes) + 3) body += line;
  body += "\x81";
  WriteFile(dir.Path("LONG.QBS"), "Long\r\n;one\r\n" + body);
  std::string err;
  std::string out = Show(dir.Path("LONG.QBS"), index.path(), &err);
  EXPECT_EQ(err, "");
  EXPECT_EQ(out.size(), DecodeCp932(body).size());
  EXPECT_TRUE(out == DecodeCp932(body));
}

}  // namespace
}  // namespace qb
