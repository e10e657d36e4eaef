#include "platform/kernel32/windows_directory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/cp932.h"
#include "engine/env.h"
#include "platform/kernel32/export.h"
#include "platform/kernel32/kernel32.h"

namespace qb::kernel32 {
namespace {

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return "";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return WithoutTrailingSlashes(xdg);
  std::string home = HomeDirectory();
  if (home.empty()) return "";
  return JoinPath(WithoutTrailingSlashes(home), ".config");
}

std::string WindowsDirectoryPath() {
  std::string config = ConfigDirectory();
  if (config.empty()) return "";
  return JoinPath(config, "quillbox/windows");
}

Status EnsureWindowsDirectory(std::string* path) {
  std::string dir = WindowsDirectoryPath();
  if (dir.empty()) return Status::NotFound("no home directory for the Windows directory");
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string prefix = slash == std::string::npos ? dir : dir.substr(0, slash);
    // Some file systems answer EACCES or EROFS rather than EEXIST for a
    // directory that is already there, so existence decides.
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST && !IsDirectory(prefix)) {
      return Status::FromErrno(prefix, errno);
    }
    if (slash == std::string::npos) break;
  }
  if (!IsDirectory(dir)) return Status::IoError(dir + ": not a directory");
  *path = dir;
  return Status::Ok();
}

}  // namespace qb::kernel32

extern "C" {

QB_KERNEL32_EXPORT UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  try {
    std::string path;
    if (!qb::kernel32::EnsureWindowsDirectory(&path).ok()) return 0;
    // Only a path that comes back as itself from code page 932 may be handed
    // out: the caller will pass it (or names built on it) back to us.
    if (!qb::IsValidUtf8(path)) return 0;
    bool lossless = true;
    std::string ansi = qb::EncodeCp932(path, &lossless);
    if (!lossless || qb::DecodeCp932(ansi) != path) return 0;
    if (ansi.size() >= UINT32_MAX) return 0;
    UINT length = static_cast<UINT>(ansi.size());
    if (buffer == nullptr || size <= length) return length + 1;
    std::memcpy(buffer, ansi.data(), length);
    buffer[length] = '\0';
    return length;
  } catch (...) {
    // Out of memory, or no code page 932 converter: a failure like any other.
    return 0;
  }
}

}  // extern "C"
