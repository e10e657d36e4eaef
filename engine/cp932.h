// Code page 932 (Microsoft's Shift-JIS) text.
//
// Text files, index cache files and registry values hold code page 932
// bytes; the program holds text as UTF-8. These functions convert between
// the two with glibc's iconv ("CP932") and never fail:
//   - bytes that are not valid code page 932 decode to U+FFFD, one per byte
//     that could not start a character; the bytes themselves are never changed
//     by anything in this module;
//   - characters that code page 932 cannot represent, and bytes that are not
//     valid UTF-8, encode to "?".
// Pure ASCII takes a fast path without iconv. All functions are safe to call
// from any thread (each thread keeps its own converters).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

// Decodes code page 932 bytes to UTF-8.
std::string DecodeCp932(std::string_view bytes);

// Decodes at most the first |max_bytes| of |bytes|, cut at a character
// boundary, and ends a text so cut with "…". For drawing a row of a list:
// a title of a megabyte would make every repaint of its list take a second.
std::string DecodeCp932Cut(std::string_view bytes, size_t max_bytes);

// Appends the UTF-8 decoding of |bytes| to |*out|, as DecodeCp932 does.
void AppendDecodedCp932(std::string_view bytes, std::string* out);

// The length of the longest prefix of |bytes| that decodes on its own to
// the same text as it does when more bytes follow: all of |bytes|, unless
// they end in the first byte of a double-byte character whose second byte
// is still to come. For decoding a long text in pieces: decoding each piece's
// complete prefix and carrying the rest over to the next piece gives exactly
// the decoding of the whole.
size_t Cp932CompletePrefix(std::string_view bytes);

// Encodes UTF-8 text to code page 932. When |lossless| is given it is set to
// false if any character had to be replaced by "?".
std::string EncodeCp932(std::string_view utf8, bool* lossless = nullptr);

// The number of bytes |utf8| takes in code page 932.
int64_t Cp932ByteLength(std::string_view utf8);

// True for a byte that starts a double-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The text made of the first |count| bytes of the code page 932 form of
// |text| (all of them when there are fewer). A negative |count| returns
// |text| unchanged; 0 returns "". A count that ends inside a double-byte
// character leaves its lead byte alone, which decodes to U+FFFD.
std::string LeftBytes(std::string_view text, int64_t count);

// True when |bytes| is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace qb
