// Status: the result of an operation that can fail, as a small value.
//
// An ok Status carries nothing. A failed one carries a code that callers may
// branch on and a one-line message meant for the user, which names the file
// or argument concerned. Functions that produce a value and may fail return
// StatusOr<T>.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace qb {

class Status {
 public:
  enum class Code {
    kOk,
    kNotFound,         // a file or directory that is not there
    kIoError,          // a file that exists but cannot be read or written
    kCorrupt,          // stored data that does not have the expected form
    kInvalidArgument,  // a request that makes no sense (an entry out of range)
    kTooLarge,         // data that does not fit a fixed-size record
  };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string message) { return {Code::kNotFound, std::move(message)}; }
  static Status IoError(std::string message) { return {Code::kIoError, std::move(message)}; }
  static Status Corrupt(std::string message) { return {Code::kCorrupt, std::move(message)}; }
  static Status InvalidArgument(std::string message) {
    return {Code::kInvalidArgument, std::move(message)};
  }
  static Status TooLarge(std::string message) { return {Code::kTooLarge, std::move(message)}; }

  // An I/O failure described by errno, as "<what>: <strerror(err)>". ENOENT
  // and ENOTDIR give kNotFound, everything else kIoError.
  static Status FromErrno(const std::string& what, int err);

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }

 private:
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}

  Code code_ = Code::kOk;
  std::string message_;
};

// Either a value or the Status that explains why there is none.
template <typename T>
class StatusOr {
 public:
  StatusOr(T value) : value_(std::move(value)) {}         // NOLINT: implicit by design
  StatusOr(Status status) : value_(std::move(status)) {}  // NOLINT: implicit by design

  bool ok() const { return std::holds_alternative<T>(value_); }
  Status status() const { return ok() ? Status::Ok() : std::get<Status>(value_); }
  const T& value() const& { return std::get<T>(value_); }
  T& value() & { return std::get<T>(value_); }
  T&& value() && { return std::get<T>(std::move(value_)); }
  const T& operator*() const& { return value(); }
  const T* operator->() const { return &value(); }

 private:
  std::variant<T, Status> value_;
};

}  // namespace qb
