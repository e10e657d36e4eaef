#include "platform/com/guid.h"

#include <cstdio>

namespace qb {
namespace {

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// Reads |digits| hexadecimal digits starting at |*pos|, advancing it.
template <typename Text>
bool ReadHex(const Text& text, size_t* pos, int digits, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int d = HexValue(static_cast<char32_t>(text[*pos]));
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
    ++*pos;
  }
  *value = v;
  return true;
}

template <typename Text>
bool Expect(const Text& text, size_t* pos, char c) {
  if (static_cast<char32_t>(text[*pos]) != static_cast<char32_t>(c)) return false;
  ++*pos;
  return true;
}

template <typename Text>
bool ParseGuidText(const Text& text, GUID* guid) {
  if (text.size() != static_cast<size_t>(kGuidTextLength)) return false;
  GUID g;
  size_t pos = 0;
  uint32_t v;
  if (!Expect(text, &pos, '{') || !ReadHex(text, &pos, 8, &v)) return false;
  g.Data1 = v;
  if (!Expect(text, &pos, '-') || !ReadHex(text, &pos, 4, &v)) return false;
  g.Data2 = static_cast<uint16_t>(v);
  if (!Expect(text, &pos, '-') || !ReadHex(text, &pos, 4, &v)) return false;
  g.Data3 = static_cast<uint16_t>(v);
  if (!Expect(text, &pos, '-')) return false;
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, &pos, '-')) return false;
    if (!ReadHex(text, &pos, 2, &v)) return false;
    g.Data4[i] = static_cast<uint8_t>(v);
  }
  if (!Expect(text, &pos, '}')) return false;
  *guid = g;
  return true;
}

}  // namespace

bool ParseGuid(std::string_view text, GUID* guid) { return ParseGuidText(text, guid); }
bool ParseGuid(std::u16string_view text, GUID* guid) { return ParseGuidText(text, guid); }

std::string FormatGuid(const GUID& guid) {
  char buffer[kGuidTextLength + 1];
  std::snprintf(buffer, sizeof(buffer), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return std::string(buffer, kGuidTextLength);
}

std::u16string FormatGuidUtf16(const GUID& guid) {
  std::string ascii = FormatGuid(guid);
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace qb

extern "C" int StringFromGUID2(REFGUID guid, LPOLESTR text, int capacity) {
  if (text == nullptr || capacity < kGuidTextLength + 1) return 0;
  std::string ascii = qb::FormatGuid(guid);
  for (int i = 0; i < kGuidTextLength; ++i) text[i] = static_cast<OLECHAR>(ascii[i]);
  text[kGuidTextLength] = u'\0';
  return kGuidTextLength + 1;
}

extern "C" HRESULT IIDFromString(LPCOLESTR text, LPIID iid) {
  if (iid == nullptr) return E_POINTER;
  if (text != nullptr && qb::ParseGuid(std::u16string_view(text), iid)) return S_OK;
  *iid = GUID_NULL;
  return E_INVALIDARG;
}
