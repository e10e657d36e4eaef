// The Reg class: registry text values, one open-work-close call per method.
#include <vector>

#include "avole/ansi_text.h"
#include "avole/avole.h"
#include "avole/classes.h"
#include "avole/system_calls.h"
#include "avole/type_library.h"
#include "platform/com/automation_object.h"
#include "platform/com/variant.h"

namespace avole {
namespace {

HKEY ToHkey(const LONG* node) { return static_cast<HKEY>(*node); }

// Closes the key handle on every way out of a method; the status of the
// close is not looked at, and closing the handle 0 after a failed open is a
// harmless failure.
class KeyHandle {
 public:
  ~KeyHandle() {
    if (auto* close = g_RegCloseKey.get()) close(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = 0;
};

// Opens (or, with |open| = RegCreateKeyA, creates) the key |*Section| below
// |*Node| into |key| and writes the section back as the system saw it.
// Returns the write-back's failure, else S_OK with |*opened| telling whether
// the system call succeeded.
template <typename OpenFn>
HRESULT OpenSection(OpenFn* open, LONG* Node, BSTR* Section, KeyHandle* key, bool* opened) {
  AnsiText section(Section);
  LONG rc = open(ToHkey(Node), section.c_str(), key->out());
  *opened = rc == ERROR_SUCCESS;
  return section.WriteBack();
}

class RegObject final : public qb::AutomationObject<_Reg> {
 public:
  RegObject() : AutomationObject(Model(), IID__Reg) {}

  HRESULT Getting(LONG* Node, BSTR* Section, BSTR* Key, BSTR* result) override {
    if (!Node || !Section || !Key || !result) return E_POINTER;
    *result = nullptr;
    auto* open = g_RegOpenKeyA.get();
    auto* query = g_RegQueryValueExA.get();
    if (!open || !query || !g_RegCloseKey.get()) return kBindFailure;
    KeyHandle key;
    bool opened = false;
    HRESULT hr = OpenSection(open, Node, Section, &key, &opened);
    if (FAILED(hr) || !opened) return Empty(result, hr);

    AnsiText name(Key);
    DWORD type = 0, size = 0;
    LONG rc = query(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    hr = name.WriteBack();
    if (FAILED(hr) || rc != ERROR_SUCCESS || type != REG_SZ || size == 0) {
      return Empty(result, hr);
    }
    // A buffer of size - 1 spaces and its NUL: size bytes in all.
    AnsiText buffer = AnsiText::Buffer(size - 1);
    DWORD type_again = 0, got = size;
    rc = query(key.get(), name.c_str(), nullptr, &type_again,
               reinterpret_cast<LPBYTE>(buffer.data()), &got);
    hr = name.WriteBack();
    if (FAILED(hr) || rc != ERROR_SUCCESS) return Empty(result, hr);
    // The last stored byte is taken for the terminating NUL. The size of the
    // second read is used: a value that shrank in between must not bring
    // back the spaces of the buffer.
    *result = buffer.ToBstr(std::min<DWORD>(got, size) - (got > 0 ? 1 : 0));
    return *result ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT Saving(LONG* Node, BSTR* Section, BSTR* Key, BSTR* Chr, VARIANT_BOOL* result) override {
    if (!Node || !Section || !Key || !Chr || !result) return E_POINTER;
    *result = VARIANT_FALSE;
    auto* create = g_RegCreateKeyA.get();
    auto* set = g_RegSetValueExA.get();
    if (!create || !set || !g_RegCloseKey.get()) return kBindFailure;
    KeyHandle key;
    bool opened = false;
    HRESULT hr = OpenSection(create, Node, Section, &key, &opened);
    if (FAILED(hr) || !opened) return hr;
    AnsiText name(Key);
    AnsiText text(Chr);
    // The text's bytes and one NUL.
    LONG rc = set(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<LPCBYTE>(text.c_str()),
                  static_cast<DWORD>(text.size() + 1));
    hr = name.WriteBack();
    if (SUCCEEDED(hr)) hr = text.WriteBack();
    // A write the system refused is reported as such, not as success.
    if (SUCCEEDED(hr) && rc == ERROR_SUCCESS) *result = VARIANT_TRUE;
    return hr;
  }

  HRESULT DelKey(LONG* Node, BSTR* Section, BSTR* Key, VARIANT_BOOL* result) override {
    if (!Node || !Section || !Key || !result) return E_POINTER;
    *result = VARIANT_FALSE;
    auto* open = g_RegOpenKeyA.get();
    auto* remove = g_RegDeleteValueA.get();
    if (!open || !remove || !g_RegCloseKey.get()) return kBindFailure;
    KeyHandle key;
    bool opened = false;
    HRESULT hr = OpenSection(open, Node, Section, &key, &opened);
    if (FAILED(hr) || !opened) return hr;
    AnsiText name(Key);
    LONG rc = remove(key.get(), name.c_str());
    hr = name.WriteBack();
    if (SUCCEEDED(hr) && rc == ERROR_SUCCESS) *result = VARIANT_TRUE;
    return hr;
  }

  HRESULT DelSection(LONG* Node, BSTR* Section, VARIANT* Key, VARIANT_BOOL* result) override {
    if (!Node || !Section || !Key || !result) return E_POINTER;
    *result = VARIANT_FALSE;
    auto* open = g_RegOpenKeyA.get();
    auto* remove = g_RegDeleteKeyA.get();
    if (!open || !remove || !g_RegCloseKey.get()) return kBindFailure;
    KeyHandle key;
    bool opened = false;
    HRESULT hr = OpenSection(open, Node, Section, &key, &opened);
    if (FAILED(hr) || !opened) return hr;
    // `Key` is converted to text for the call and not written back; a value
    // that cannot be converted fails the call with the conversion's error.
    VARIANT text;
    VariantInit(&text);
    hr = VariantChangeType(&text, Key, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    BSTR bstr = text.bstrVal;
    AnsiText name(&bstr);
    LONG rc = remove(key.get(), name.c_str());
    VariantClear(&text);
    if (rc == ERROR_SUCCESS) *result = VARIANT_TRUE;
    return S_OK;
  }

 private:
  // The result "" (with |hr| when a write-back failed).
  static HRESULT Empty(BSTR* result, HRESULT hr) {
    if (FAILED(hr)) return hr;
    *result = SysAllocString(u"");
    return *result ? S_OK : E_OUTOFMEMORY;
  }
};

}  // namespace

const CreateFunction CreateReg = &qb::CreateAutomationObject<RegObject>;

}  // namespace avole
