// Fuzz target: the registry value read path on arbitrary stored bytes and
// types, down to AVOLE's Reg.Getting.
//
// Input: the value's type, the choice of value name and buffer, then the
// stored bytes (read with FuzzedDataProvider). The value is stored with
// RegSetValueExA and read back. Checks:
//  - RegQueryValueExA gives the type and size stored; a buffer of exactly
//    the size gets the bytes as they were stored; a buffer one byte short
//    gets ERROR_MORE_DATA with the size and is not written to; every buffer
//    is as large as the size passed, so a write past it is caught;
//  - Reg.Getting, called through its method table and through
//    IDispatch::Invoke by name with its arguments by reference, returns ""
//    for anything but a non-empty REG_SZ value and otherwise the stored
//    bytes but the last, converted from code page 932 (NULs included);
//  - Reg.Saving of the text that Getting gave stores it so that Getting
//    returns it again.
// The registry lives in a temporary XDG_CONFIG_HOME on /dev/shm (the store
// is written with fsync on every call), and AVOLE is the real library,
// registered there and created through CoCreateInstance.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "avole/avole.h"
#include "platform/com/ansi.h"
#include "platform/com/com.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/sandbox.h"

namespace qb::fuzz {
namespace {

constexpr char kSection[] = "Software\\Fuzz";
constexpr char16_t kSection16[] = u"Software\\Fuzz";

struct Fixture {
  HKEY key = 0;
  avole::_Reg* reg = nullptr;
};

Fixture& State() {
  static Fixture fixture;
  return fixture;
}

std::u16string GettingByTable(const char16_t* name) {
  LONG node = static_cast<LONG>(0x80000001);  // HKEY_CURRENT_USER
  Bstr section(kSection16), key(name);
  BSTR result = nullptr;
  FUZZ_CHECK(State().reg->Getting(&node, section.inout(), key.inout(), &result) == S_OK);
  FUZZ_CHECK(BstrView(section.get()) == kSection16 && BstrView(key.get()) == name);
  std::u16string text(BstrView(result));
  SysFreeString(result);
  return text;
}

std::u16string GettingByName(const char16_t* name) {
  IDispatch* dispatch = State().reg;
  std::u16string member = u"getting";  // names are matched without regard to case
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  FUZZ_CHECK(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id) == S_OK);
  Bstr section(kSection16), key(name);
  VARIANT args[3];  // last argument first
  for (VARIANT& a : args) VariantInit(&a);
  args[0].vt = VT_BYREF | VT_BSTR;
  args[0].pbstrVal = key.inout();
  args[1].vt = VT_BYREF | VT_BSTR;
  args[1].pbstrVal = section.inout();
  args[2].vt = VT_I4;  // Node by value: converted for the by-reference parameter
  args[2].lVal = static_cast<LONG>(0x80000001);
  DISPPARAMS params = {args, nullptr, 3, 0};
  VARIANT result;
  VariantInit(&result);
  FUZZ_CHECK(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                              nullptr) == S_OK);
  FUZZ_CHECK(result.vt == VT_BSTR);
  std::u16string text(BstrView(result.bstrVal));
  VariantClear(&result);
  return text;
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using qb::fuzz::State;
  qb::fuzz::MakeSandbox("registry");
  qb::fuzz::RegisterAvole(AVOLE_LIBRARY);
  FUZZ_CHECK(CoCreateInstance(avole::CLSID_Reg, nullptr, CLSCTX_INPROC_SERVER, avole::IID__Reg,
                              reinterpret_cast<void**>(&State().reg)) == S_OK);
  FUZZ_CHECK(RegCreateKeyA(HKEY_CURRENT_USER, qb::fuzz::kSection, &State().key) == ERROR_SUCCESS);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb;
  using namespace qb::fuzz;
  FuzzedDataProvider in(data, size);
  const DWORD type = in.ConsumeBool() ? REG_SZ : in.ConsumeIntegral<DWORD>();
  static const char* const kNames[] = {"", "Value", "VALUE", "\x96\xbc\x91\x4f", "a\\b"};
  static const char16_t* const kNames16[] = {u"", u"Value", u"VALUE", u"名前", u"a\\b"};
  const size_t which = in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1);
  const std::vector<uint8_t> stored = in.ConsumeRemainingBytes<uint8_t>();
  const DWORD n = static_cast<DWORD>(stored.size());
  const HKEY key = State().key;

  FUZZ_CHECK(RegSetValueExA(key, kNames[which], 0, type, stored.data(), n) == ERROR_SUCCESS);

  DWORD got_type = 0, got_size = 0;
  FUZZ_CHECK(RegQueryValueExA(key, kNames[which], nullptr, &got_type, nullptr, &got_size) ==
             ERROR_SUCCESS);
  FUZZ_CHECK(got_type == type && got_size == n);

  std::unique_ptr<BYTE[]> exact(new BYTE[n]);
  got_size = n;
  FUZZ_CHECK(RegQueryValueExA(key, kNames[which], nullptr, &got_type, exact.get(), &got_size) ==
             ERROR_SUCCESS);
  FUZZ_CHECK(got_size == n && (n == 0 || std::memcmp(exact.get(), stored.data(), n) == 0));

  if (n > 0) {
    std::unique_ptr<BYTE[]> short_buffer(new BYTE[n - 1]);
    if (n > 1) std::memset(short_buffer.get(), 0xA5, n - 1);
    got_size = n - 1;
    FUZZ_CHECK(RegQueryValueExA(key, kNames[which], nullptr, &got_type, short_buffer.get(),
                                &got_size) == ERROR_MORE_DATA);
    FUZZ_CHECK(got_size == n);
    for (DWORD i = 0; i + 1 < n; ++i) FUZZ_CHECK(short_buffer[i] == 0xA5);
  }

  std::u16string expected;
  if (type == REG_SZ && n > 0) {
    expected = com_internal::FromAnsi(
        std::string_view(reinterpret_cast<const char*>(stored.data()), n - 1));
  }
  const std::u16string by_table = GettingByTable(kNames16[which]);
  FUZZ_CHECK(by_table == expected);
  FUZZ_CHECK(GettingByName(kNames16[which]) == expected);

  // What Getting gave, saved and read again, is the same text.
  LONG node = static_cast<LONG>(0x80000001);
  Bstr section(kSection16), name(u"Saved"), chr(by_table);
  VARIANT_BOOL saved = VARIANT_FALSE;
  FUZZ_CHECK(State().reg->Saving(&node, section.inout(), name.inout(), chr.inout(), &saved) ==
             S_OK);
  FUZZ_CHECK(saved == VARIANT_TRUE);
  const std::u16string again = com_internal::FromAnsi(com_internal::ToAnsi(by_table));
  FUZZ_CHECK(BstrView(chr.get()) == again);
  FUZZ_CHECK(GettingByTable(u"Saved") == again);
  return 0;
}
