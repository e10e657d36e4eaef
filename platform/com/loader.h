// Loading system libraries by their original names, and functions bound on
// first use.
//
// LoadLibraryA maps the original system library names to our shared
// libraries of stand-in functions (letter case ignored):
//   "kernel32", "kernel32.dll" -> libqb_kernel32.so
//   "advapi32", "advapi32.dll" -> libqb_advapi32.so
//   "user32",   "user32.dll"   -> libqb_user32.so
// These are looked for in the directory of the module that links this copy of
// qb_com (a server library such as AVOLE, which links qb_com statically, finds
// the stand-ins beside itself), then in <that directory>/../lib and
// <that directory>/../lib/quillbox (a program in bin/ finds them in the
// build's or the installation's library directory), then by dlopen's own
// search. Any other name is given to dlopen as it is. Libraries are opened
// with RTLD_NOW | RTLD_LOCAL.
//
// A module handle is a dlopen handle; LoadLibraryA and FreeLibrary count
// references as dlopen / dlclose do.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/com/base.h"

extern "C" {

typedef void* HMODULE;
typedef HMODULE HINSTANCE;
typedef intptr_t (*FARPROC)();

// The handle of library |name| (see above), or null when it cannot be found
// or loaded (or |name| is null).
HMODULE LoadLibraryA(LPCSTR name);

// The address of the export |name| of |module|, or null. Every call counts
// as one look-up (QbComLookupCount).
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

// Drops one reference of |module|. TRUE on success, FALSE for a null or
// unknown handle.
BOOL FreeLibrary(HMODULE module);

// The number of GetProcAddress calls made through this copy of qb_com since
// the module was loaded. It is exported under this C name from every module
// that links qb_com, so a test can read a server library's own count with
// dlsym(handle, "QbComLookupCount").
__attribute__((visibility("default"))) uint64_t QbComLookupCount();

}  // extern "C"

namespace qb {

// The file that LoadLibraryA loads for |name|: "libqb_advapi32.so" for
// "ADVAPI32.DLL", or |name| itself for a name that is not mapped.
std::string MappedLibraryName(const std::string& name);

// The address of export |export_name| of library |library| (a name as for
// LoadLibraryA), or null. The library is loaded once per module and never
// freed; each call performs one GetProcAddress.
FARPROC BindExport(const char* library, const char* export_name);

// One slot of an external function table: a function named by library and
// export name, looked up on its first use and kept afterwards. |Fn| is the
// function type, e.g. decltype(RegOpenKeyA). Slots are meant to be
// namespace-scope objects: the constructor is constexpr, so the slot is empty
// from the moment the module is loaded, without any start-up code.
//
//   qb::BoundFunction<decltype(RegOpenKeyA)> g_reg_open_key{"advapi32",
//                                                          "RegOpenKeyA"};
//   if (auto* fn = g_reg_open_key.get()) rc = fn(node, section, &key);
//
// A look-up that fails leaves the slot empty (get() returns null) and is
// tried again at the next call. Safe to use from several threads: a race
// makes at most one look-up per thread.
template <typename Fn>
class BoundFunction {
 public:
  constexpr BoundFunction(const char* library, const char* export_name)
      : library_(library), export_name_(export_name) {}
  BoundFunction(const BoundFunction&) = delete;
  BoundFunction& operator=(const BoundFunction&) = delete;

  // The function, bound now if the slot is empty; null when it cannot be.
  Fn* get() {
    Fn* fn = fn_.load(std::memory_order_acquire);
    if (fn == nullptr) {
      FARPROC address = BindExport(library_, export_name_);
      // Through void (*)(), the type that converts to any function type.
      fn = reinterpret_cast<Fn*>(reinterpret_cast<void (*)()>(address));
      if (fn != nullptr) fn_.store(fn, std::memory_order_release);
    }
    return fn;
  }
  bool bound() const { return fn_.load(std::memory_order_acquire) != nullptr; }
  const char* library() const { return library_; }
  const char* export_name() const { return export_name_; }

 private:
  const char* library_;
  const char* export_name_;
  std::atomic<Fn*> fn_{nullptr};
};

}  // namespace qb
