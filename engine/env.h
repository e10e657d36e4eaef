// Env: every file-system access of the engine goes through this interface.
//
// The default implementation uses POSIX calls. Tests derive from it to make a
// file vanish, a read fail part-way or a write be refused at a chosen moment,
// without mocking anything else. Paths are byte strings as the file system
// holds them. Every call opens, uses and closes what it touches; no handle
// outlives a call except a SequentialFile, which its owner closes by
// destroying it. The calls that read a file (OpenSequential, ReadAt,
// MapFile, ReadFirstLine) read only regular files: anything else (a
// directory, a FIFO, a device) fails at once with kIoError, never waiting
// for a writer that may not come.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/status.h"

namespace qb {

struct FileInfo {
  bool is_directory = false;
  bool is_regular = false;
  int64_t size = 0;
  int64_t mtime = 0;       // seconds since the epoch
  int64_t mtime_nsec = 0;  // and nanoseconds within that second (0 where unknown)
};

// A file read from start to end in blocks.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Reads up to |n| bytes into |scratch|; sets |*got| to the count, 0 at the
  // end of the file.
  virtual Status Read(size_t n, char* scratch, size_t* got) = 0;
};

// The bytes of a whole file, read-only, valid while the object lives.
class FileView {
 public:
  virtual ~FileView() = default;
  virtual std::string_view data() const = 0;
};

struct DirEntry {
  std::string name;
  bool is_regular = false;  // a regular file, after following symbolic links
};

class Env {
 public:
  virtual ~Env() = default;

  // The process-wide POSIX implementation. Never null, never destroyed.
  static Env* Default();

  // Follows symbolic links. kNotFound when nothing is there.
  virtual Status Stat(const std::string& path, FileInfo* info);

  virtual Status OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file);

  // Reads up to |n| bytes at |offset| into |out| with one positioned read
  // (repeated only when the kernel returns less). Fewer bytes come back when
  // the file ends first.
  virtual Status ReadAt(const std::string& path, int64_t offset, size_t n, std::string* out);

  // Makes the whole file readable in memory (mapped when it can be). Only
  // for files that are replaced by rename, never rewritten in place, such
  // as index files.
  virtual Status MapFile(const std::string& path, std::unique_ptr<FileView>* view);

  // Reads the file's bytes up to its first line feed (or its end), at most
  // |limit| bytes. |*truncated| tells whether the line went on past |limit|.
  virtual Status ReadFirstLine(const std::string& path, size_t limit, std::string* line,
                               bool* truncated);

  // The entries of |dir| other than "." and "..", in the order the directory
  // returns them.
  virtual Status ListDirectory(const std::string& dir, std::vector<DirEntry>* entries);

  // Writes |data| to a temporary file beside |path| and renames it into
  // place, so |path| holds either its old content or all of |data|. The
  // temporary file is removed when anything fails.
  virtual Status WriteFileAtomic(const std::string& path, std::string_view data);

  // kNotFound when there was nothing to remove.
  virtual Status RemoveFile(const std::string& path);

  // Creates |path| and every missing parent. Ok when it already is a directory.
  virtual Status CreateDirectories(const std::string& path);

  // True when the directory |path| lets this process create files in it.
  virtual bool IsWritableDirectory(const std::string& path);
};

// The directory that holds the running executable (from /proc/self/exe),
// without a trailing "/" except for the root; "" when it cannot be found.
std::string ProgramDirectory();

// Joins a directory and a name with one "/", adding none when |dir| already
// ends with one (the root "/") or is empty.
std::string JoinPath(std::string_view dir, std::string_view name);

// The part of |path| after its last "/" (the whole of it when there is none).
std::string BaseName(std::string_view path);

// The part of |path| before its last "/"; "." for a bare name, "/" for "/x".
std::string DirName(std::string_view path);

}  // namespace qb
