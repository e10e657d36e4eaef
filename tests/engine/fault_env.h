// FaultEnv: the real file system with faults put in at chosen places, for
// tests that cannot use permissions (they run as root in CI, where every
// file can be read and every directory written).
#pragma once

#include <cerrno>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "engine/env.h"

namespace qb::testing {

class FaultEnv : public Env {
 public:
  // Files whose reads fail as an unreadable file's do (EACCES).
  std::set<std::string> unreadable;
  // Directories in which nothing can be created or removed (EROFS).
  std::set<std::string> read_only;
  // Runs before each sequential read of a text file, with its path.
  std::function<void(const std::string&)> before_read;

  Status OpenSequential(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    if (unreadable.count(path)) return Status::FromErrno(path, EACCES);
    std::unique_ptr<SequentialFile> inner;
    Status s = Env::OpenSequential(path, &inner);
    if (!s.ok()) return s;
    *file = std::make_unique<Hooked>(std::move(inner), path, this);
    return Status::Ok();
  }
  Status ReadAt(const std::string& path, int64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (unreadable.count(path)) return Status::FromErrno(path, EACCES);
    return Env::ReadAt(path, offset, n, out);
  }
  Status MapFile(const std::string& path, std::unique_ptr<FileView>* view) override {
    if (unreadable.count(path)) return Status::FromErrno(path, EACCES);
    return Env::MapFile(path, view);
  }
  Status ReadFirstLine(const std::string& path, size_t limit, std::string* line,
                       bool* truncated) override {
    if (unreadable.count(path)) return Status::FromErrno(path, EACCES);
    return Env::ReadFirstLine(path, limit, line, truncated);
  }
  Status WriteFileAtomic(const std::string& path, std::string_view data) override {
    if (read_only.count(DirName(path))) return Status::FromErrno(path, EROFS);
    return Env::WriteFileAtomic(path, data);
  }
  Status RemoveFile(const std::string& path) override {
    if (read_only.count(DirName(path))) return Status::FromErrno(path, EROFS);
    return Env::RemoveFile(path);
  }
  bool IsWritableDirectory(const std::string& path) override {
    return !read_only.count(path) && Env::IsWritableDirectory(path);
  }

 private:
  class Hooked : public SequentialFile {
   public:
    Hooked(std::unique_ptr<SequentialFile> inner, std::string path, FaultEnv* env)
        : inner_(std::move(inner)), path_(std::move(path)), env_(env) {}
    Status Read(size_t n, char* scratch, size_t* got) override {
      if (env_->before_read) env_->before_read(path_);
      return inner_->Read(n, scratch, got);
    }

   private:
    std::unique_ptr<SequentialFile> inner_;
    std::string path_;
    FaultEnv* env_;
  };
};

}  // namespace qb::testing
