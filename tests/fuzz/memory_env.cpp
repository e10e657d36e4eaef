#include "tests/fuzz/memory_env.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace qb::fuzz {

class MemorySequentialFile : public SequentialFile {
 public:
  MemorySequentialFile(MemoryEnv* env, std::string bytes) : env_(env), bytes_(std::move(bytes)) {}

  Status Read(size_t n, char* scratch, size_t* got) override {
    *got = 0;
    int64_t number = env_->reads_++;
    if (number == env_->fail_read_) return Status::IoError("injected read failure");
    size_t take = std::min(n, bytes_.size() - pos_);
    if (!env_->pieces_.empty()) {
      size_t piece = env_->pieces_[static_cast<size_t>(number) % env_->pieces_.size()];
      take = std::min(take, std::max<size_t>(piece, 1));
    }
    std::memcpy(scratch, bytes_.data() + pos_, take);
    pos_ += take;
    *got = take;
    return Status::Ok();
  }

 private:
  MemoryEnv* env_;
  std::string bytes_;
  size_t pos_ = 0;
};

namespace {

// A view of a heap block of exactly the file's size.
class ExactView : public FileView {
 public:
  explicit ExactView(std::string_view bytes) : size_(bytes.size()), data_(new char[size_]) {
    if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
  }
  std::string_view data() const override { return std::string_view(data_.get(), size_); }

 private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

}  // namespace

void MemoryEnv::Put(const std::string& path, std::string_view bytes, int64_t mtime) {
  files_[path] = File{std::string(bytes), mtime};
}

Status MemoryEnv::Stat(const std::string& path, FileInfo* info) {
  auto it = files_.find(path);
  if (it == files_.end()) return Status::NotFound(path + ": not found");
  info->is_directory = false;
  info->is_regular = true;
  info->size = static_cast<int64_t>(it->second.bytes.size());
  info->mtime = it->second.mtime;
  return Status::Ok();
}

Status MemoryEnv::OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file) {
  auto it = files_.find(path);
  if (it == files_.end()) return Status::NotFound(path + ": not found");
  *file = std::make_unique<MemorySequentialFile>(this, it->second.bytes);
  return Status::Ok();
}

Status MemoryEnv::ReadAt(const std::string& path, int64_t offset, size_t n, std::string* out) {
  out->clear();
  auto it = files_.find(path);
  if (it == files_.end()) return Status::NotFound(path + ": not found");
  const std::string& bytes = it->second.bytes;
  if (offset < 0 || static_cast<uint64_t>(offset) >= bytes.size()) return Status::Ok();
  out->assign(bytes, static_cast<size_t>(offset), n);
  return Status::Ok();
}

Status MemoryEnv::MapFile(const std::string& path, std::unique_ptr<FileView>* view) {
  auto it = files_.find(path);
  if (it == files_.end()) return Status::NotFound(path + ": not found");
  *view = std::make_unique<ExactView>(it->second.bytes);
  return Status::Ok();
}

Status MemoryEnv::ReadFirstLine(const std::string& path, size_t limit, std::string* line,
                                bool* truncated) {
  line->clear();
  *truncated = false;
  auto it = files_.find(path);
  if (it == files_.end()) return Status::NotFound(path + ": not found");
  std::string_view bytes = it->second.bytes;
  bytes = bytes.substr(0, bytes.find('\n'));
  *truncated = bytes.size() > limit;
  line->assign(bytes.substr(0, limit));
  return Status::Ok();
}

Status MemoryEnv::ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) {
  entries->clear();
  std::string prefix = JoinPath(dir, "");
  for (const auto& [path, file] : files_) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    std::string name = path.substr(prefix.size());
    if (name.find('/') == std::string::npos) entries->push_back({name, true});
  }
  return Status::Ok();
}

Status MemoryEnv::WriteFileAtomic(const std::string& path, std::string_view data) {
  files_[path] = File{std::string(data), 0};
  return Status::Ok();
}

Status MemoryEnv::RemoveFile(const std::string& path) {
  if (files_.erase(path) == 0) return Status::NotFound(path + ": not found");
  return Status::Ok();
}

Status MemoryEnv::CreateDirectories(const std::string&) { return Status::Ok(); }

bool MemoryEnv::IsWritableDirectory(const std::string&) { return true; }

}  // namespace qb::fuzz
