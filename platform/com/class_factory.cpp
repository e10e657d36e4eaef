#include <atomic>
#include <new>

#include "platform/com/server.h"

namespace qb {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(HRESULT (*create)(REFIID, void**)) : create_(create) { ModuleLock(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      ModuleLock();
    } else {
      ModuleUnlock();
    }
    return S_OK;
  }

 private:
  ~ClassFactory() { ModuleUnlock(); }

  std::atomic<ULONG> refs_{1};
  HRESULT (*create_)(REFIID, void**);
};

}  // namespace

IClassFactory* NewClassFactory(HRESULT (*create)(REFIID riid, void** object)) {
  return new (std::nothrow) ClassFactory(create);
}

HRESULT ServerGetClassObject(const TypeLibModel& model, REFCLSID clsid, REFIID riid,
                             void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const CoclassSpec* coclass = model.FindCoclass(clsid);
  if (coclass == nullptr || coclass->create == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = NewClassFactory(coclass->create);
  if (factory == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

}  // namespace qb
