// AutomationObject<I>: IUnknown and IDispatch for an object whose dual
// interface I is described in a TypeLibModel.
//
// A class of a server derives from AutomationObject<I> and implements only
// I's own methods (each once, as an ordinary C++ function):
//
//   class RegObject final : public qb::AutomationObject<_Reg> {
//    public:
//     RegObject() : AutomationObject(Model(), IID__Reg) {}
//     HRESULT Getting(int32_t* Node, BSTR* Section, BSTR* Key,
//                     BSTR* result) override;
//     ...
//   };
//   // in the CoclassSpec: .create = &qb::CreateAutomationObject<RegObject>
//
// QueryInterface answers IID_IUnknown, IID_IDispatch and the interface's own
// IID, all with the same pointer. GetTypeInfo(0) gives the interface's type
// info (its dispatch view); GetIDsOfNames and Invoke follow
// platform/com/dispatch_invoke.h, with the library's name as the source of
// reported exceptions; |riid| must be IID_NULL (else
// DISP_E_UNKNOWNINTERFACE). The object starts with one reference, counts as
// a live object of the module while it exists, and deletes itself when the
// last reference goes. It is not thread-safe beyond its reference count,
// which is atomic.
#pragma once

#include <atomic>
#include <new>

#include "platform/com/dispatch_invoke.h"
#include "platform/com/typelib_model.h"

namespace qb {

namespace com_internal {

// The non-template part of AutomationObject.
class AutomationCore {
 public:
  // Aborts with a message when |iid| is not an interface of |model|: the
  // class and its description disagree, a programming error.
  AutomationCore(const TypeLibModel& model, REFIID iid);
  ~AutomationCore();
  AutomationCore(const AutomationCore&) = delete;
  AutomationCore& operator=(const AutomationCore&) = delete;

  const IID& iid() const { return spec_->iid; }
  ULONG AddRef() { return ++refs_; }
  ULONG Release() { return --refs_; }
  HRESULT GetTypeInfoCount(UINT* count);
  HRESULT GetTypeInfo(UINT index, ITypeInfo** type_info);
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
  HRESULT Invoke(IUnknown* self, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* arg_error);

 private:
  const TypeLibModel& model_;
  const InterfaceSpec* spec_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace com_internal

template <class I>
class AutomationObject : public I {
 public:
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == core_.iid()) {
      *object = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return core_.AddRef(); }
  ULONG Release() override {
    ULONG n = core_.Release();
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetTypeInfoCount(UINT* count) override { return core_.GetTypeInfoCount(count); }
  HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** type_info) override {
    return core_.GetTypeInfo(index, type_info);
  }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return core_.GetIDsOfNames(riid, names, count, ids);
  }
  HRESULT Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* arg_error) override {
    return core_.Invoke(static_cast<I*>(this), member, riid, flags, params, result, exception,
                        arg_error);
  }

 protected:
  // |iid| names I in |model|, which must outlive the object.
  AutomationObject(const TypeLibModel& model, REFIID iid) : core_(model, iid) {}
  virtual ~AutomationObject() = default;

 private:
  com_internal::AutomationCore core_;
};

// Creates a T (default-constructed, one reference) and returns its interface
// |riid| through |object|: the create function of a CoclassSpec.
template <class T>
HRESULT CreateAutomationObject(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  T* instance = new (std::nothrow) T();
  if (instance == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = instance->QueryInterface(riid, object);
  instance->Release();
  return hr;
}

}  // namespace qb
