// The Ini class: one value of an INI file written or read per call, through
// the kernel32 INI functions.
#include <string>
#include <string_view>

#include "avole/ansi_text.h"
#include "avole/avole.h"
#include "avole/classes.h"
#include "avole/system_calls.h"
#include "avole/type_library.h"
#include "platform/com/ansi.h"
#include "platform/com/automation_object.h"

namespace avole {
namespace {

// The buffer that Getting prepares, and the smaller size it tells the
// system: a value comes back with at most kReadSize - 1 bytes and its NUL.
constexpr size_t kBufferSize = 256;
constexpr DWORD kReadSize = 200;

// Values in this section (exact spelling) come back without their first and
// last character.
constexpr std::u16string_view kPromptsSection = u"Prompts";

class IniObject final : public qb::AutomationObject<_Ini> {
 public:
  IniObject() : AutomationObject(Model(), IID__Ini) {}

  // A null text is the empty text: no null pointer reaches the system, so
  // Saving always writes a value (it never deletes a key or a section).
  HRESULT Saving(BSTR* Section, BSTR* Key, BSTR* Dat, BSTR* Filename,
                 VARIANT_BOOL* result) override {
    if (!Section || !Key || !Dat || !Filename || !result) return E_POINTER;
    *result = VARIANT_FALSE;
    auto* write = g_WritePrivateProfileStringA.get();
    if (!write) return kBindFailure;
    AnsiText section(Section), key(Key), dat(Dat), file(Filename);
    const BOOL ok = write(section.c_str(), key.c_str(), dat.c_str(), file.c_str());
    for (AnsiText* text : {&section, &key, &dat, &file}) {
      if (HRESULT hr = text->WriteBack(); FAILED(hr)) return hr;
    }
    if (ok != FALSE) *result = VARIANT_TRUE;
    return S_OK;
  }

  HRESULT Getting(BSTR* Section, BSTR* Key, BSTR* Filename, BSTR* result) override {
    if (!Section || !Key || !Filename || !result) return E_POINTER;
    *result = nullptr;
    auto* read = g_GetPrivateProfileStringA.get();
    if (!read) return kBindFailure;
    AnsiText section(Section), key(Key), file(Filename);
    AnsiText buffer = AnsiText::Buffer(kBufferSize);
    read(section.c_str(), key.c_str(), "", buffer.data(), kReadSize, file.c_str());
    for (AnsiText* text : {&section, &key, &file}) {
      if (HRESULT hr = text->WriteBack(); FAILED(hr)) return hr;
    }
    // The value is the bytes before the first NUL; they are converted on
    // their own, so a double-byte character cut in two by the size limit
    // cannot swallow the NUL that ends the value.
    std::string_view bytes(buffer.c_str(), kBufferSize);
    bytes = bytes.substr(0, bytes.find('\0'));
    std::u16string value = qb::com_internal::FromAnsi(bytes);
    if (qb::BstrView(*Section) == kPromptsSection) {
      // Without the first and the last character; a value shorter than two
      // characters has nothing in between.
      value = value.size() < 2 ? std::u16string() : value.substr(1, value.size() - 2);
    }
    *result = qb::AllocBstr(value);
    return *result ? S_OK : E_OUTOFMEMORY;
  }
};

}  // namespace

const CreateFunction CreateIni = &qb::CreateAutomationObject<IniObject>;

}  // namespace avole
