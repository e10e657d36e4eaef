#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// The largest byte count a BSTR may hold; its 32-bit prefix and the
// terminator must fit beside it without overflow.
constexpr size_t kMaxBytes = 0x7FFFFFF0u;

uint32_t* PrefixOf(BSTR bstr) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(bstr) - kPrefix);
}

// Allocates room for |bytes| bytes plus a NUL character, zeroes the tail and
// stores the prefix. |bytes| may be odd: three zero bytes follow the data so
// that a NUL character ends it whichever way it is read.
BSTR AllocateBytes(size_t bytes) {
  if (bytes > kMaxBytes) return nullptr;
  char* base = static_cast<char*>(std::malloc(kPrefix + bytes + 3));
  if (base == nullptr) return nullptr;
  uint32_t count = static_cast<uint32_t>(bytes);
  std::memcpy(base, &count, kPrefix);
  std::memset(base + kPrefix + bytes, 0, 3);
  return reinterpret_cast<BSTR>(base + kPrefix);
}

size_t Length(const OLECHAR* text) {
  size_t n = 0;
  while (text[n] != u'\0') ++n;
  return n;
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(Length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
  BSTR bstr = AllocateBytes(bytes);
  if (bstr == nullptr) return nullptr;
  if (text != nullptr) {
    std::memmove(bstr, text, bytes);
  } else {
    std::memset(bstr, 0, bytes);
  }
  return bstr;
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) {
  BSTR bstr = AllocateBytes(length);
  if (bstr == nullptr) return nullptr;
  if (bytes != nullptr) {
    std::memmove(bstr, bytes, length);
  } else {
    std::memset(bstr, 0, length);
  }
  return bstr;
}

INT SysReAllocString(BSTR* bstr, const OLECHAR* text) {
  if (bstr == nullptr) return FALSE;
  if (text == nullptr) {
    SysFreeString(*bstr);
    *bstr = nullptr;
    return TRUE;
  }
  return SysReAllocStringLen(bstr, text, static_cast<UINT>(Length(text)));
}

INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length) {
  if (bstr == nullptr) return FALSE;
  // The copy is made before the old string is freed: |text| may point into it.
  BSTR copy = SysAllocStringLen(text, length);
  if (copy == nullptr) return FALSE;
  SysFreeString(*bstr);
  *bstr = copy;
  return TRUE;
}

void SysFreeString(BSTR bstr) {
  if (bstr != nullptr) std::free(PrefixOf(bstr));
}

UINT SysStringLen(BSTR bstr) { return SysStringByteLen(bstr) / sizeof(OLECHAR); }

UINT SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  uint32_t count;
  std::memcpy(&count, PrefixOf(bstr), kPrefix);
  return count;
}

}  // extern "C"

namespace qb {

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
  auto is_cont = [&](size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
  while (i < n) {
    unsigned char c = byte(i);
    char32_t cp;
    size_t len;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if (c >= 0xC2 && c <= 0xDF && is_cont(i + 1)) {
      cp = ((c & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF && is_cont(i + 1) && is_cont(i + 2)) {
      cp = ((c & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
      len = 3;
      // Overlong forms and encoded surrogates are not valid UTF-8.
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) len = 0;
    } else if (c >= 0xF0 && c <= 0xF4 && is_cont(i + 1) && is_cont(i + 2) && is_cont(i + 3)) {
      cp = ((c & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12) | ((byte(i + 2) & 0x3Fu) << 6) |
           (byte(i + 3) & 0x3Fu);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) len = 0;
    } else {
      len = 0;
      cp = 0;
    }
    if (len == 0) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
  };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

BSTR AllocBstr(std::u16string_view text) {
  if (text.size() > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

BSTR AllocBstrFromUtf8(std::string_view utf8) { return AllocBstr(Utf8ToUtf16(utf8)); }

}  // namespace qb
