// Test support: a temporary directory removed with everything in it, and
// small helpers to write and read whole files.
#pragma once

#include <string>
#include <string_view>

namespace qb::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string Path(std::string_view name) const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// The code page 932 bytes of UTF-8 text, with every "\n" written as CR LF.
std::string Sjis(std::string_view utf8);

}  // namespace qb::testing
