#include "platform/com/ansi.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>

namespace qb::com_internal {
namespace {

bool IsAscii(std::u16string_view text) {
  for (char16_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Runs |cd| over |in| (|unit| bytes per input step), calling |on_error| to
// append a replacement and skip input when a unit cannot be converted.
template <typename OnError>
std::string Run(iconv_t cd, const char* in, size_t in_left, OnError on_error) {
  std::string out;
  char buffer[256];
  while (in_left > 0) {
    char* in_ptr = const_cast<char*>(in);
    char* out_ptr = buffer;
    size_t out_left = sizeof(buffer);
    size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    in = in_ptr;
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      size_t skipped = on_error(in, in_left, &out);
      in += skipped;
      in_left -= skipped;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text.size(), '?');
  std::string utf16(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    utf16[2 * i] = static_cast<char>(text[i] & 0xFF);
    utf16[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  std::string out =
      Run(cd, utf16.data(), utf16.size(),
          [](const char* in, size_t left, std::string* result) -> size_t {
            result->push_back('?');
            // A surrogate pair is one character.
            unsigned hi = static_cast<unsigned char>(in[1]);
            return (left >= 4 && hi >= 0xD8 && hi <= 0xDB) ? 4 : std::min<size_t>(2, left);
          });
  iconv_close(cd);
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::u16string(bytes.size(), u'\uFFFD');
  std::string utf16 =
      Run(cd, bytes.data(), bytes.size(), [](const char*, size_t, std::string* result) -> size_t {
        result->append("\xFD\xFF", 2);
        return 1;
      });
  iconv_close(cd);
  std::u16string out(utf16.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                   (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
  }
  return out;
}

}  // namespace qb::com_internal
