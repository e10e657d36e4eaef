#include "engine/env.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/fd.h"

namespace qb {
namespace {

// Opens a regular file for reading. O_NONBLOCK: a FIFO put in a text
// file's place must not make the open wait for a writer; it changes nothing
// for a regular file.
Status OpenForReading(const std::string& path, int* fd) {
  *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (*fd < 0) return Status::FromErrno(path, errno);
  struct stat st;
  const char* why = nullptr;
  if (::fstat(*fd, &st) != 0) {
    Status s = Status::FromErrno(path, errno);
    ::close(*fd);
    *fd = -1;
    return s;
  }
  if (S_ISDIR(st.st_mode)) {
    why = ": is a directory";
  } else if (!S_ISREG(st.st_mode)) {
    why = ": is not a regular file";
  }
  if (why != nullptr) {
    ::close(*fd);
    *fd = -1;
    return Status::IoError(path + why);
  }
  return Status::Ok();
}

class PosixSequentialFile : public SequentialFile {
 public:
  PosixSequentialFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  Status Read(size_t n, char* scratch, size_t* got) override {
    while (true) {
      ssize_t r = ::read(fd_.get(), scratch, n);
      if (r >= 0) {
        *got = static_cast<size_t>(r);
        return Status::Ok();
      }
      if (errno != EINTR) {
        *got = 0;
        return Status::FromErrno(path_, errno);
      }
    }
  }

 private:
  std::string path_;
  Fd fd_;
};

Status WriteAll(int fd, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    ssize_t w = ::write(fd, data.data(), data.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      return Status::FromErrno(path, errno);
    }
    data.remove_prefix(static_cast<size_t>(w));
  }
  return Status::Ok();
}

class MappedFile : public FileView {
 public:
  MappedFile(void* base, size_t size) : base_(base), size_(size) {}
  ~MappedFile() override {
    if (base_ != nullptr) ::munmap(base_, size_);
  }
  std::string_view data() const override {
    return std::string_view(static_cast<const char*>(base_), size_);
  }

 private:
  void* base_;
  size_t size_;
};

}  // namespace

Env* Env::Default() {
  static Env* env = new Env;
  return env;
}

Status Env::Stat(const std::string& path, FileInfo* info) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return Status::FromErrno(path, errno);
  info->is_directory = S_ISDIR(st.st_mode);
  info->is_regular = S_ISREG(st.st_mode);
  info->size = static_cast<int64_t>(st.st_size);
  info->mtime = static_cast<int64_t>(st.st_mtim.tv_sec);
  info->mtime_nsec = static_cast<int64_t>(st.st_mtim.tv_nsec);
  return Status::Ok();
}

Status Env::OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file) {
  int fd = -1;
  Status s = OpenForReading(path, &fd);
  if (!s.ok()) return s;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  *file = std::make_unique<PosixSequentialFile>(path, fd);
  return Status::Ok();
}

Status Env::ReadAt(const std::string& path, int64_t offset, size_t n, std::string* out) {
  out->clear();
  int raw = -1;
  Status s = OpenForReading(path, &raw);
  if (!s.ok()) return s;
  Fd fd(raw);
  // Never allocate more than the file still holds past |offset|: a length
  // taken from an older state of the file may be far too large.
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return Status::FromErrno(path, errno);
  int64_t available = static_cast<int64_t>(st.st_size) - offset;
  if (available <= 0 || offset < 0) return Status::Ok();
  if (static_cast<uint64_t>(available) < n) n = static_cast<size_t>(available);
  out->resize(n);
  size_t done = 0;
  while (done < n) {
    ssize_t r =
        ::pread(fd.get(), out->data() + done, n - done, offset + static_cast<int64_t>(done));
    if (r < 0) {
      if (errno == EINTR) continue;
      out->clear();
      return Status::FromErrno(path, errno);
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  out->resize(done);
  return Status::Ok();
}

Status Env::MapFile(const std::string& path, std::unique_ptr<FileView>* view) {
  int raw = -1;
  Status s = OpenForReading(path, &raw);
  if (!s.ok()) return s;
  Fd fd(raw);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return Status::FromErrno(path, errno);
  size_t size = static_cast<size_t>(st.st_size);
  void* base = nullptr;
  if (size > 0) {
    base = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
    if (base == MAP_FAILED) return Status::FromErrno(path, errno);
  }
  *view = std::make_unique<MappedFile>(base, size);
  return Status::Ok();
}

Status Env::ReadFirstLine(const std::string& path, size_t limit, std::string* line,
                          bool* truncated) {
  line->clear();
  *truncated = false;
  int raw = -1;
  Status s = OpenForReading(path, &raw);
  if (!s.ok()) return s;
  Fd fd(raw);
  char buffer[4096];
  while (true) {
    ssize_t r = ::read(fd.get(), buffer, sizeof buffer);
    if (r < 0) {
      if (errno == EINTR) continue;
      return Status::FromErrno(path, errno);
    }
    if (r == 0) return Status::Ok();
    const char* end = static_cast<const char*>(std::memchr(buffer, '\n', static_cast<size_t>(r)));
    size_t take = end ? static_cast<size_t>(end - buffer) : static_cast<size_t>(r);
    if (line->size() + take > limit) {
      line->append(buffer, limit - line->size());
      *truncated = true;
      return Status::Ok();
    }
    line->append(buffer, take);
    if (end) return Status::Ok();
  }
}

Status Env::ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) {
  entries->clear();
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return Status::FromErrno(dir, errno);
  int dfd = ::dirfd(d);
  errno = 0;
  while (struct dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    DirEntry entry;
    entry.name = e->d_name;
    if (e->d_type == DT_REG) {
      entry.is_regular = true;
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st;
      entry.is_regular = ::fstatat(dfd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    entries->push_back(std::move(entry));
    errno = 0;
  }
  int err = errno;
  ::closedir(d);
  if (err != 0) return Status::FromErrno(dir, err);
  return Status::Ok();
}

Status Env::WriteFileAtomic(const std::string& path, std::string_view data) {
  std::string tmp = path + ".tmpXXXXXX";
  int raw = ::mkstemp(tmp.data());
  if (raw < 0) return Status::FromErrno(path, errno);
  Fd fd(raw);
  Status s = WriteAll(fd.get(), data, path);
  if (s.ok() && ::fsync(fd.get()) != 0) s = Status::FromErrno(path, errno);
  if (s.ok()) {
    ::fchmod(fd.get(), 0644);
    if (::close(fd.release()) != 0) s = Status::FromErrno(path, errno);
  }
  if (s.ok() && ::rename(tmp.c_str(), path.c_str()) != 0) s = Status::FromErrno(path, errno);
  if (!s.ok()) ::unlink(tmp.c_str());
  return s;
}

Status Env::RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return Status::FromErrno(path, errno);
  return Status::Ok();
}

Status Env::CreateDirectories(const std::string& path) {
  if (path.empty()) return Status::InvalidArgument("empty directory name");
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Status::Ok();
    return Status::IoError(path + ": exists and is not a directory");
  }
  std::string parent = DirName(path);
  if (parent != path && parent != "." && parent != "/") {
    Status s = CreateDirectories(parent);
    if (!s.ok()) return s;
  }
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return Status::FromErrno(path, errno);
  return Status::Ok();
}

bool Env::IsWritableDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string ProgramDirectory() {
  std::string exe(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
  if (n <= 0 || static_cast<size_t>(n) >= exe.size()) return "";
  exe.resize(static_cast<size_t>(n));
  return DirName(exe);
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

std::string BaseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DirName(std::string_view path) {
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

}  // namespace qb
