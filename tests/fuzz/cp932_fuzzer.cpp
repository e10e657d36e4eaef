// Fuzz target: the code page 932 conversions and LeftBytes.
//
// The input is taken both as code page 932 bytes and as (possibly broken)
// UTF-8 text. Checks:
//  - decoding agrees with iconv asked one character at a time (the table
//    decoder is a cache of iconv), gives valid UTF-8, and appending gives
//    the same text;
//  - text decoded without a replacement character encodes back to bytes of
//    the same length that decode to the same text (byte values may differ:
//    code page 932 has a few characters under two codes);
//  - LeftBytes(text, n): negative n gives the text; the count of bytes that
//    a body was read with gives back the body's text; a count on a character
//    boundary gives a prefix of the text whose encoding is the first n
//    bytes; a count inside a double-byte character gives that prefix and one
//    U+FFFD;
//  - Cp932ByteLength is the length of the encoding, and encoding reports a
//    loss for text that is not valid UTF-8.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/cp932.h"
#include "tests/fuzz/fuzz_check.h"

namespace qb::fuzz {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The one UTF-8 character that iconv decodes |bytes| to, or "" when it
// decodes to anything else or fails.
std::string IconvOne(std::string_view bytes) {
  static iconv_t cd = iconv_open("UTF-8", "CP932");
  FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1));
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char out[16];
  char* src = const_cast<char*>(bytes.data());
  size_t src_left = bytes.size();
  char* dst = out;
  size_t dst_left = sizeof out;
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) || src_left != 0) {
    return "";
  }
  std::string one(out, static_cast<size_t>(dst - out));
  size_t n = one.empty() ? 0
                         : (static_cast<unsigned char>(one[0]) < 0x80   ? 1
                            : static_cast<unsigned char>(one[0]) < 0xE0 ? 2
                            : static_cast<unsigned char>(one[0]) < 0xF0 ? 3
                                                                        : 4);
  return (n == one.size() && n <= 3) ? one : "";
}

std::string ReferenceDecode(std::string_view b) {
  std::string out;
  for (size_t i = 0; i < b.size();) {
    unsigned char c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    if (IsCp932LeadByte(c)) {
      std::string two = i + 1 < b.size() ? IconvOne(b.substr(i, 2)) : "";
      if (!two.empty()) {
        out += two;
        i += 2;
        continue;
      }
      out += kReplacement;
      ++i;
      continue;
    }
    std::string one = IconvOne(b.substr(i, 1));
    out += one.empty() ? std::string(kReplacement) : one;
    ++i;
  }
  return out;
}

// True when byte |n| of the code page 932 bytes |b| starts a character (or
// is the end).
bool IsBoundary(std::string_view b, size_t n) {
  size_t i = 0;
  while (i < n) i += IsCp932LeadByte(static_cast<unsigned char>(b[i])) && i + 1 < b.size() ? 2 : 1;
  return i == n;
}

void CheckLeftBytes(const std::string& text, const std::string& encoded, int64_t n) {
  std::string left = LeftBytes(text, n);
  FUZZ_CHECK(IsValidUtf8(left));
  if (n < 0) {
    FUZZ_CHECK(left == text);
    return;
  }
  size_t count = static_cast<size_t>(n) < encoded.size() ? static_cast<size_t>(n) : encoded.size();
  if (IsBoundary(encoded, count)) {
    FUZZ_CHECK(EncodeCp932(left) == encoded.substr(0, count));
    FUZZ_CHECK(text.compare(0, left.size(), left) == 0);
  } else {
    // The lead byte of the cut character is left alone.
    FUZZ_CHECK(left.size() >= kReplacement.size());
    std::string_view before(left.data(), left.size() - kReplacement.size());
    FUZZ_CHECK(left.substr(before.size()) == kReplacement);
    FUZZ_CHECK(text.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(EncodeCp932(before) == encoded.substr(0, count - 1));
  }
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb;
  using namespace qb::fuzz;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // As code page 932 bytes.
  std::string text = DecodeCp932(bytes);
  FUZZ_CHECK(IsValidUtf8(text));
  FUZZ_CHECK(text == ReferenceDecode(bytes));
  std::string appended = "prefix";
  AppendDecodedCp932(bytes, &appended);
  FUZZ_CHECK(appended == "prefix" + text);

  bool lossless = false;
  std::string encoded = EncodeCp932(text, &lossless);
  FUZZ_CHECK(Cp932ByteLength(text) == static_cast<int64_t>(encoded.size()));
  if (text.find(kReplacement) == std::string::npos) {
    FUZZ_CHECK(lossless);
    FUZZ_CHECK(encoded.size() == bytes.size());
    FUZZ_CHECK(DecodeCp932(encoded) == text);
    // ShowEntry's use: the text of the bytes read, cut to their count.
    FUZZ_CHECK(LeftBytes(text, static_cast<int64_t>(size)) == text);
    int64_t n = size >= 2 ? (data[0] | data[1] << 8) % static_cast<int64_t>(size + 2) : 0;
    CheckLeftBytes(text, encoded, n);
    CheckLeftBytes(text, encoded, n - 1);
    CheckLeftBytes(text, encoded, -1 - n);
  }

  // Cut where the input says, as a long body is read in pieces and a long
  // title drawn: the complete prefix leaves at most one byte (a lead byte
  // whose second byte is to come), decodes to the start of the whole text,
  // and with the rest decoded after it gives the whole text.
  const size_t cut = size >= 3 ? data[2] % (size + 1) : size;
  const size_t complete = Cp932CompletePrefix(bytes.substr(0, cut));
  FUZZ_CHECK(complete == cut || complete + 1 == cut);
  const std::string head = DecodeCp932(bytes.substr(0, complete));
  FUZZ_CHECK(text.compare(0, head.size(), head) == 0);
  std::string joined = head;
  AppendDecodedCp932(bytes.substr(complete), &joined);
  FUZZ_CHECK(joined == text);
  FUZZ_CHECK(DecodeCp932Cut(bytes, cut) == (cut == size ? text : head + "\u2026"));

  // As UTF-8 text, valid or not.
  bool utf8_lossless = true;
  std::string from_utf8 = EncodeCp932(bytes, &utf8_lossless);
  if (!IsValidUtf8(bytes)) FUZZ_CHECK(!utf8_lossless);
  FUZZ_CHECK(Cp932ByteLength(bytes) == static_cast<int64_t>(from_utf8.size()));
  FUZZ_CHECK(IsValidUtf8(DecodeCp932(from_utf8)));
  FUZZ_CHECK(IsValidUtf8(LeftBytes(bytes, static_cast<int64_t>(size / 2))));
  return 0;
}
