#include "platform/kernel32/profile_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/cp932.h"
#include "engine/env.h"
#include "engine/fd.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/windows_directory.h"

namespace qb::kernel32 {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Reads the whole regular file |path|; |*info| describes it.
Status ReadRegular(const std::string& path, std::string* bytes, struct stat* info) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer. It changes nothing
  // for a regular file.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return Status::FromErrno(path, errno);
  if (::fstat(fd.get(), info) != 0) return Status::FromErrno(path, errno);
  if (!S_ISREG(info->st_mode)) return Status::IoError(path + ": not a regular file");
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Status::FromErrno(path, errno);
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  *bytes = std::move(content);
  return Status::Ok();
}

Status WriteAll(int fd, std::string_view data, const std::string& what) {
  while (!data.empty()) {
    ssize_t put = ::write(fd, data.data(), data.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Status::FromErrno(what, errno);
    data.remove_prefix(static_cast<size_t>(put));
  }
  return Status::Ok();
}

// A name for a temporary file that nobody else is likely to choose.
std::string TemporaryName() {
  static std::atomic<uint64_t> counter{0};
  uint64_t random = 0;
  if (getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
    random = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  random ^= (static_cast<uint64_t>(::getpid()) << 32) ^ counter.fetch_add(1);
  char name[40];
  std::snprintf(name, sizeof name, ".qb-ini-%016llx.tmp", static_cast<unsigned long long>(random));
  return name;
}

// An exclusive flock(2) on a directory, released by the destructor (which
// closes the descriptor that holds it).
Status LockDirectory(int dir_fd, int timeout_ms, const std::string& dir) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (::flock(dir_fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      // A file system without flock on directories: go on unlocked, as any
      // program that does not know of the lock would.
      return Status::Ok();
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return Status::IoError(dir + ": another writer holds the lock");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return Status::Ok();
}

// Writes |data| to a new temporary file in |dir| and renames it to |target|.
Status ReplaceFile(int dir_fd, const std::string& dir, const std::string& target,
                   std::string_view data, const struct stat* old_info) {
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temp = JoinPath(dir, TemporaryName());
    // A new file gets 0666 less the umask, as any file a program creates.
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                 old_info != nullptr ? 0600 : 0666);
    if (raw < 0 && errno != EEXIST) return Status::FromErrno(temp, errno);
  }
  if (raw < 0) return Status::IoError(dir + ": no free temporary file name");
  Fd fd(raw);
  Status status = Status::Ok();
  if (old_info != nullptr) {
    // Keep the old file's owner where allowed (only root may give a file
    // away) and its mode bits exactly, whatever the umask.
    if (::fchown(fd.get(), old_info->st_uid, old_info->st_gid) != 0) {
      // Not ours to give away; the group alone may still be kept.
      (void)!::fchown(fd.get(), static_cast<uid_t>(-1), old_info->st_gid);
    }
    if (::fchmod(fd.get(), old_info->st_mode & 07777) != 0) status = Status::FromErrno(temp, errno);
  }
  if (status.ok()) status = WriteAll(fd.get(), data, temp);
  if (status.ok() && ::fsync(fd.get()) != 0) status = Status::FromErrno(temp, errno);
  if (status.ok() && ::close(fd.release()) != 0) status = Status::FromErrno(temp, errno);
  if (status.ok() && ::rename(temp.c_str(), target.c_str()) != 0) {
    status = Status::FromErrno(target, errno);
  }
  if (!status.ok()) {
    ::unlink(temp.c_str());
    return status;
  }
  // The rename itself must reach the disk too. A failure here leaves the new
  // file in place, which is no reason to report the write as failed.
  ::fsync(dir_fd);
  return Status::Ok();
}

}  // namespace

Status ResolveProfilePath(const char* ansi_name, bool create_windows_directory, std::string* path) {
  if (ansi_name == nullptr || ansi_name[0] == '\0') {
    return Status::InvalidArgument("no INI file name");
  }
  std::string name = DecodeCp932(ansi_name);
  // Code page 932 has no U+FFFD, so one in the result stands for bytes that
  // could not be decoded.
  if (name.find(kReplacementCharacter) != std::string::npos) {
    return Status::InvalidArgument("INI file name is not code page 932 text");
  }
  if (name.find('/') != std::string::npos) {
    *path = std::move(name);
    return Status::Ok();
  }
  std::string dir;
  if (create_windows_directory) {
    Status status = EnsureWindowsDirectory(&dir);
    if (!status.ok()) return status;
  } else {
    dir = WindowsDirectoryPath();
    if (dir.empty()) return Status::NotFound("no home directory for the Windows directory");
  }
  *path = JoinPath(dir, name);
  return Status::Ok();
}

Status ReadProfile(const std::string& path, std::string* bytes) {
  struct stat info;
  return ReadRegular(path, bytes, &info);
}

Status UpdateProfile(
    const std::string& path,
    const std::function<void(std::string_view current, std::string* updated)>& edit,
    int lock_timeout_ms) {
  std::string target = path;
  struct stat link_info;
  if (::lstat(path.c_str(), &link_info) == 0 && S_ISLNK(link_info.st_mode)) {
    // Write through the link to the file it names, so the link stays.
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return Status::FromErrno(path, errno);
    target = real;
    std::free(real);
  }
  std::string dir = DirName(target);
  Fd dir_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir_fd.get() < 0) return Status::FromErrno(dir, errno);
  Status status = LockDirectory(dir_fd.get(), lock_timeout_ms, dir);
  if (!status.ok()) return status;

  std::string current;
  struct stat info;
  status = ReadRegular(target, &current, &info);
  bool exists = status.ok();
  if (!exists && !status.IsNotFound()) return status;
  std::string updated;
  edit(current, &updated);
  if (updated == current) return Status::Ok();  // nothing to do; a missing file stays missing
  return ReplaceFile(dir_fd.get(), dir, target, updated, exists ? &info : nullptr);
}

}  // namespace qb::kernel32
