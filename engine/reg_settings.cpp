#include "engine/reg_settings.h"

#include <dlfcn.h>

#include <cstdio>

#include "avole/avole.h"
#include "engine/env.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace qb {
namespace {

class RegSettingsStore : public SettingsStore {
 public:
  explicit RegSettingsStore(ComPtr<avole::_Reg> reg) : reg_(std::move(reg)) {}

  std::string Getting(const char* section, const char* key) override {
    LONG node = static_cast<LONG>(kHkeyCurrentUser);
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), result;
    if (FAILED(reg_->Getting(&node, s.inout(), k.inout(), result.out()))) return "";
    return Utf8FromBstr(result.get());
  }

  bool Saving(const char* section, const char* key, const std::string& text) override {
    LONG node = static_cast<LONG>(kHkeyCurrentUser);
    Bstr s = Bstr::FromUtf8(section), k = Bstr::FromUtf8(key), chr = Bstr::FromUtf8(text);
    VARIANT_BOOL ok = VARIANT_FALSE;
    return SUCCEEDED(reg_->Saving(&node, s.inout(), k.inout(), chr.inout(), &ok)) &&
           ok == VARIANT_TRUE;
  }

 private:
  ComPtr<avole::_Reg> reg_;
};

// Registers the AVOLE library that was installed or built with the program.
bool RegisterBundledAvole() {
  const std::string bin = ProgramDirectory();
  if (bin.empty()) return false;
  for (const char* relative :
       {"../lib/quillbox/libavole.so", "../lib/libavole.so", "libavole.so"}) {
    std::string path = JoinPath(bin, relative);
    char absolute[4096];
    if (realpath(path.c_str(), absolute) == nullptr) continue;
    void* library = dlopen(absolute, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) continue;
    auto entry = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllRegisterServer"));
    bool ok = entry != nullptr && SUCCEEDED(entry());
    dlclose(library);
    if (ok) return true;
  }
  return false;
}

HRESULT CreateReg(ComPtr<avole::_Reg>* reg) {
  return CoCreateInstance(avole::CLSID_Reg, nullptr, CLSCTX_INPROC_SERVER, avole::IID__Reg,
                          reinterpret_cast<void**>(reg->out()));
}

}  // namespace

std::unique_ptr<SettingsStore> OpenRegSettingsStore(std::string* why_not) {
  ComPtr<avole::_Reg> reg;
  HRESULT hr = CreateReg(&reg);
  if (hr == REGDB_E_CLASSNOTREG && RegisterBundledAvole()) hr = CreateReg(&reg);
  if (FAILED(hr) || !reg) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    *why_not = hr == REGDB_E_CLASSNOTREG
                   ? "AVOLE is not registered (run: regsvr libavole.so)"
                   : std::string("AVOLE's Reg object cannot be created (error ") + code + ")";
    return nullptr;
  }
  return std::make_unique<RegSettingsStore>(std::move(reg));
}

}  // namespace qb
