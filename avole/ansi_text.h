// How AVOLE's methods hand texts to the system's ANSI functions: a
// temporary copy in code page 932, NUL-terminated, and, for a text that came
// from a variable of the caller (a by-reference parameter), the copy converted
// back and stored into that variable after the call. For text that code page
// 932 can represent the variable comes back unchanged; a character it lacks
// comes back as "?", exactly as the system saw it.
#pragma once

#include <string>

#include "platform/com/bstr.h"

namespace avole {

class AnsiText {
 public:
  // A copy of the caller's variable |*variable| (null BSTR = "").
  explicit AnsiText(BSTR* variable);
  // A buffer of |n| spaces for the system to fill; no variable behind it.
  static AnsiText Buffer(size_t n);

  // The NUL-terminated bytes for the system call.
  char* data() { return bytes_.data(); }
  const char* c_str() const { return bytes_.c_str(); }
  // The byte count, without the terminating NUL.
  size_t size() const { return bytes_.size(); }

  // Stores the copy, converted back to Unicode, into the caller's variable.
  // Returns E_OUTOFMEMORY when the new string cannot be made.
  HRESULT WriteBack();

  // The first |n| bytes converted to Unicode, as a new BSTR.
  BSTR ToBstr(size_t n) const;

 private:
  AnsiText() = default;
  BSTR* variable_ = nullptr;
  std::string bytes_;
};

}  // namespace avole
