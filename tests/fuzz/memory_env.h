// MemoryEnv: an Env whose files live in memory, for the fuzz targets. No
// disk is touched, every read hands out a copy of exactly the bytes asked
// for (so the address sanitizer sees any read past them), sequential reads
// come back in pieces of chosen sizes, and one read can be made to fail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/env.h"

namespace qb::fuzz {

class MemoryEnv : public Env {
 public:
  void Put(const std::string& path, std::string_view bytes, int64_t mtime = 0);
  bool Has(const std::string& path) const { return files_.count(path) != 0; }
  const std::string& Bytes(const std::string& path) const { return files_.at(path).bytes; }

  // Sequential reads return at most pieces[i] bytes for the i-th read
  // (cycling through |pieces|; 0 entries are taken as 1); empty: whole reads.
  void SetReadPieces(std::vector<size_t> pieces) { pieces_ = std::move(pieces); }
  // Makes sequential read number |n| (from 0, counted over all files) fail
  // with an I/O error; -1 for none.
  void FailSequentialRead(int64_t n) { fail_read_ = n; }

  Status Stat(const std::string& path, FileInfo* info) override;
  Status OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file) override;
  Status ReadAt(const std::string& path, int64_t offset, size_t n, std::string* out) override;
  Status MapFile(const std::string& path, std::unique_ptr<FileView>* view) override;
  Status ReadFirstLine(const std::string& path, size_t limit, std::string* line,
                       bool* truncated) override;
  Status ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override;
  Status WriteFileAtomic(const std::string& path, std::string_view data) override;
  Status RemoveFile(const std::string& path) override;
  Status CreateDirectories(const std::string& path) override;
  bool IsWritableDirectory(const std::string& path) override;

 private:
  struct File {
    std::string bytes;
    int64_t mtime = 0;
  };
  friend class MemorySequentialFile;

  std::map<std::string, File> files_;
  std::vector<size_t> pieces_;
  int64_t fail_read_ = -1;
  int64_t reads_ = 0;
};

}  // namespace qb::fuzz
