#include "engine/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <type_traits>

namespace qb {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// One iconv descriptor per direction and thread, opened on first use and
// never closed. Thread-local objects must not have destructors here: glibc
// would then keep a shared library that links this code (such as a server
// library loaded at run time) in memory until the thread ends.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
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
  thread_local Converter* decoder = new Converter("UTF-8", "CP932");
  return *decoder;
}

Converter& Encoder() {
  thread_local Converter* encoder = new Converter("CP932", "UTF-8");
  return *encoder;
}

// The number of bytes of the UTF-8 sequence that starts with |lead|.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// Code page 932 decodes through a table of the single- and double-byte
// codes filled from iconv: a table look-up per character is many times
// faster than iconv on the long texts of a listing or a body. A row of
// double-byte codes is filled when its lead byte is first met, so decoding
// a little text costs a few rows, not the whole table.
class DecodeTable {
 public:
  DecodeTable() {
    for (int b = 0x80; b < 0x100; ++b) {
      if (!IsCp932LeadByte(static_cast<unsigned char>(b))) {
        single_[b - 0x80] = Convert(std::string(1, static_cast<char>(b)));
      }
    }
  }

  void Decode(std::string_view bytes, std::string& out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
      unsigned char c = *p;
      if (c < 0x80) {
        out.push_back(static_cast<char>(c));
        ++p;
        continue;
      }
      uint16_t cp = 0;
      if (IsCp932LeadByte(c)) {
        if (end - p >= 2) cp = Row(c)[p[1]];
        if (cp != 0) {
          AppendUtf8(cp, out);
          p += 2;
          continue;
        }
      } else {
        cp = single_[c - 0x80];
      }
      if (cp != 0) {
        AppendUtf8(cp, out);
      } else {
        out.append(kReplacementUtf8);
      }
      ++p;
    }
  }

  // Walks |bytes| as Decode does; see Cp932CompletePrefix.
  size_t CompletePrefix(std::string_view bytes) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
      if (!IsCp932LeadByte(*p)) {
        ++p;
      } else if (end - p < 2) {
        return bytes.size() - 1;  // a lead byte whose second byte is to come
      } else {
        p += Row(*p)[p[1]] != 0 ? 2 : 1;
      }
    }
    return bytes.size();
  }

 private:
  const uint16_t* Row(unsigned char lead) {
    int i = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    if (!filled_[i]) {
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        double_[i][trail] = Convert(std::string_view(pair, 2));
      }
      filled_[i] = true;
    }
    return double_[i];
  }

  // The one code point that |in| decodes to, or 0 when it is not one valid
  // character of the basic plane.
  static uint16_t Convert(std::string_view in) {
    std::string out;
    bool bad = false;
    Decoder().Convert(in, out, [&](std::string&, std::string_view) -> size_t {
      bad = true;
      return 1;
    });
    if (bad || out.empty()) return 0;
    unsigned char c = out[0];
    size_t n = Utf8SequenceLength(c);
    if (n != out.size() || n > 3) return 0;
    uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(out[k]) & 0x3F);
    return static_cast<uint16_t>(cp);
  }

  static void AppendUtf8(uint16_t cp, std::string& out) {
    if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }

  uint16_t single_[128] = {};
  uint16_t double_[60][256] = {};
  bool filled_[60] = {};
};

// One table per thread, like the iconv descriptors: no locking on the way.
// The table is trivially destructible, so it pins nothing (see Converter).
DecodeTable& Table() {
  static_assert(std::is_trivially_destructible_v<DecodeTable>);
  thread_local DecodeTable table;
  return table;
}

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  Table().Decode(bytes, out);
  return out;
}

void AppendDecodedCp932(std::string_view bytes, std::string* out) {
  if (IsAscii(bytes)) {
    out->append(bytes);
  } else {
    Table().Decode(bytes, *out);
  }
}

std::string DecodeCp932Cut(std::string_view bytes, size_t max_bytes) {
  if (bytes.size() <= max_bytes) return DecodeCp932(bytes);
  bytes = bytes.substr(0, max_bytes);
  std::string text = DecodeCp932(bytes.substr(0, Cp932CompletePrefix(bytes)));
  text.append("\u2026");
  return text;
}

size_t Cp932CompletePrefix(std::string_view bytes) {
  if (bytes.empty() || !IsCp932LeadByte(static_cast<unsigned char>(bytes.back()))) {
    return bytes.size();
  }
  return Table().CompletePrefix(bytes);
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
    while (skip < n && skip < rest.size() &&
           (static_cast<unsigned char>(rest[skip]) & 0xC0) == 0x80)
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
