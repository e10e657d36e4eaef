// Automation strings (BSTR) and UTF-8 <-> UTF-16 conversion.
//
// A BSTR points at UTF-16 text that is preceded by a 32-bit count of its
// bytes and followed by a NUL character (which is not counted). The text may
// hold NUL characters of its own; SysStringLen, not a search for NUL, gives
// its length. A null BSTR is a valid empty string everywhere. Memory comes
// from malloc, so a BSTR allocated by one module (the program, a server
// library) may be freed by any other module of the process.
//
// Ownership follows the automation rules: whoever allocates a BSTR, or
// receives one as an [out] or [out, retval] value, frees it with
// SysFreeString; a callee that replaces an [in, out] BSTR frees the old one.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/com/base.h"

extern "C" {

// A copy of the NUL-terminated |text|; null when |text| is null or memory
// runs out.
BSTR SysAllocString(const OLECHAR* text);

// A string of |length| characters copied from |text|, which may contain NULs;
// when |text| is null the characters are zero. Null when memory runs out or
// |length| is too large (above 0x7FFFFFF0 bytes).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);

// A string of |length| bytes (which may be odd) copied from |bytes|, or zero
// bytes when |bytes| is null; followed by a NUL character. For byte data
// carried in a BSTR.
BSTR SysAllocStringByteLen(const char* bytes, UINT length);

// Replaces |*bstr| with a copy of |text| (which may point into |*bstr|) and
// frees the old string. TRUE on success; FALSE, leaving |*bstr| untouched,
// when |bstr| is null or memory runs out.
INT SysReAllocString(BSTR* bstr, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length);

// Frees |bstr|; null is allowed and ignored.
void SysFreeString(BSTR bstr);

// The length in characters (the byte count / 2, rounded down); 0 for null.
UINT SysStringLen(BSTR bstr);

// The length in bytes; 0 for null.
UINT SysStringByteLen(BSTR bstr);

}  // extern "C"

namespace qb {

// UTF-8 -> UTF-16. Invalid UTF-8 bytes become U+FFFD, one per byte.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 -> UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The characters of |bstr| (all SysStringLen of them); empty for null.
inline std::u16string_view BstrView(BSTR bstr) {
  return bstr == nullptr ? std::u16string_view() : std::u16string_view(bstr, SysStringLen(bstr));
}

// A new BSTR holding |text| (null only when memory runs out). The caller owns
// it.
BSTR AllocBstr(std::u16string_view text);
BSTR AllocBstrFromUtf8(std::string_view utf8);

// The UTF-8 form of |bstr| (embedded NULs kept).
inline std::string Utf8FromBstr(BSTR bstr) { return Utf16ToUtf8(BstrView(bstr)); }

// Whether two names are equal ignoring the letter case of ASCII letters
// (other characters compare exactly), as automation compares member,
// parameter and type names.
bool SameName(std::u16string_view a, std::u16string_view b);

// Owns one BSTR and frees it on destruction. Move-only.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : bstr_(AllocBstr(text)) {}
  static Bstr FromUtf8(std::string_view utf8) { return Adopt(AllocBstrFromUtf8(utf8)); }
  // Takes ownership of |bstr|.
  static Bstr Adopt(BSTR bstr) {
    Bstr b;
    b.bstr_ = bstr;
    return b;
  }

  Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(bstr_);
      bstr_ = std::exchange(other.bstr_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(bstr_); }

  BSTR get() const { return bstr_; }
  // The address of the owned pointer, for passing it as an [in, out] BSTR*:
  // the callee may free it and store a new one, which this object then owns.
  BSTR* inout() { return &bstr_; }
  // Frees the current string and returns the address, for an [out] BSTR*.
  BSTR* out() {
    SysFreeString(bstr_);
    bstr_ = nullptr;
    return &bstr_;
  }
  // Gives up ownership.
  BSTR Release() { return std::exchange(bstr_, nullptr); }

  std::u16string_view view() const { return BstrView(bstr_); }
  std::string Utf8() const { return Utf8FromBstr(bstr_); }
  UINT Length() const { return SysStringLen(bstr_); }

 private:
  BSTR bstr_ = nullptr;
};

}  // namespace qb
