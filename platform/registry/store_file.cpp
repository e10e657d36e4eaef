#include "platform/registry/store_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

namespace qb::registry {
namespace {

constexpr const char* kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "";
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// Renames without replacing an existing file. renameat2 is atomic about it;
// on file systems that lack it, the check before rename(2) suffices because
// every mover of store files holds the RecoveryLock.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (Exists(to)) {
    errno = EEXIST;
    return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

std::string UtcStamp() {
  std::time_t now = std::time(nullptr);
  std::tm parts;
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

}  // namespace

std::string StorePathFromEnvironment() {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    std::string home = HomeDirectory();
    if (home.empty()) return "";
    config = home + (home.back() == '/' ? "" : "/") + ".config";
  }
  if (config.back() != '/') config += '/';
  return config + "quillbox/registry.db";
}

bool EnsureStoreDirectory(const std::string& store_path) {
  std::string dir = ParentOf(store_path);
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string prefix = slash == std::string::npos ? dir : dir.substr(0, slash);
    // Some file systems answer EACCES or EROFS rather than EEXIST for a
    // directory that is already there, so existence decides.
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST && !IsDirectory(prefix)) return false;
    if (slash == std::string::npos) break;
  }
  return IsDirectory(dir);
}

FileIdentity IdentifyFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino};
}

RecoveryLock::RecoveryLock(const std::string& store_path) {
  fd_ = open(ParentOf(store_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

RecoveryLock::~RecoveryLock() {
  if (fd_ >= 0) close(fd_);  // closing the description releases the flock
}

bool RecoveryLock::Acquire(int timeout_ms) {
  if (fd_ < 0) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool MoveStoreAside(const std::string& store_path, std::string* aside, std::string* error) {
  std::string base = store_path + ".corrupt-" + UtcStamp();
  std::string target = base;
  for (int n = 2;; ++n) {
    bool taken = Exists(target);
    for (const char* suffix : kCompanionSuffixes) taken = taken || Exists(target + suffix);
    if (!taken) break;
    target = base + "-" + std::to_string(n);
  }
  for (const char* suffix : kCompanionSuffixes) {
    std::string companion = store_path + suffix;
    if (Exists(companion) && !RenameNoReplace(companion, target + suffix)) {
      *error = "cannot rename " + companion + ": " + std::strerror(errno);
      return false;
    }
  }
  if (!RenameNoReplace(store_path, target)) {
    *error = "cannot rename " + store_path + ": " + std::strerror(errno);
    return false;
  }
  *aside = target;
  return true;
}

}  // namespace qb::registry
