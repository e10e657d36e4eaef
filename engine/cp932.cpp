#include "engine/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace qb {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts |in|. At a byte that cannot be converted, |on_error|(out, rest)
  // appends a replacement and returns how many bytes of |rest| it covers.
  template <typename OnError>
  void Convert(std::string_view in, std::string& out, OnError on_error) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buffer[4096];
    while (src_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, dst - buffer);
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip the offending byte and start afresh.
      size_t skip = on_error(out, std::string_view(src, src_left));
      src += skip;
      src_left -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
  }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter decoder("UTF-8", "CP932");
  return decoder;
}

Converter& Encoder() {
  thread_local Converter encoder("CP932", "UTF-8");
  return encoder;
}

// The number of bytes of the UTF-8 sequence that starts with |lead|.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  Decoder().Convert(bytes, out, [](std::string& o, std::string_view) -> size_t {
    o.append(kReplacementUtf8);
    return 1;
  });
  return out;
}

std::string EncodeCp932(std::string_view utf8, bool* lossless) {
  if (lossless) *lossless = true;
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  // iconv stops at an unconvertible character with its first byte in front;
  // that byte and the continuation bytes that belong to it become one "?".
  Encoder().Convert(utf8, out, [&](std::string& o, std::string_view rest) -> size_t {
    if (lossless) *lossless = false;
    o.push_back('?');
    size_t n = Utf8SequenceLength(static_cast<unsigned char>(rest[0]));
    size_t skip = 1;
    while (skip < n && skip < rest.size() && (static_cast<unsigned char>(rest[skip]) & 0xC0) == 0x80)
      ++skip;
    return skip;
  });
  return out;
}

int64_t Cp932ByteLength(std::string_view utf8) {
  if (IsAscii(utf8)) return static_cast<int64_t>(utf8.size());
  return static_cast<int64_t>(EncodeCp932(utf8).size());
}

std::string LeftBytes(std::string_view text, int64_t count) {
  if (count < 0) return std::string(text);
  std::string bytes = EncodeCp932(text);
  if (static_cast<uint64_t>(count) < bytes.size()) bytes.resize(static_cast<size_t>(count));
  return DecodeCp932(bytes);
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n = Utf8SequenceLength(c);
    if (n == 1 || c == 0xC0 || c == 0xC1 || c > 0xF4 || i + n > bytes.size()) return false;
    uint32_t cp = c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      unsigned char d = static_cast<unsigned char>(bytes[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n;
  }
  return true;
}

}  // namespace qb
