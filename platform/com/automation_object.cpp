#include "platform/com/automation_object.h"

#include <cstdio>
#include <cstdlib>

#include "platform/com/server.h"

namespace qb::com_internal {

AutomationCore::AutomationCore(const TypeLibModel& model, REFIID iid)
    : model_(model), spec_(model.FindInterface(iid)) {
  if (spec_ == nullptr) {
    std::fprintf(stderr, "qb_com: interface %s is not in type library %s\n",
                 FormatGuid(iid).c_str(), Utf16ToUtf8(model.spec().name).c_str());
    std::abort();
  }
  ModuleLock();
}

AutomationCore::~AutomationCore() { ModuleUnlock(); }

HRESULT AutomationCore::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT AutomationCore::GetTypeInfo(UINT index, ITypeInfo** type_info) {
  if (type_info == nullptr) return E_POINTER;
  *type_info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return model_.GetTypeInfoOfGuid(spec_->iid, type_info);
}

HRESULT AutomationCore::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return GetIDsOfNamesBySpec(*spec_, names, count, ids);
}

HRESULT AutomationCore::Invoke(IUnknown* self, DISPID member, REFIID riid, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                               UINT* arg_error) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return InvokeBySpec(*spec_, self, member, flags, params, result, exception, arg_error,
                      model_.spec().name);
}

}  // namespace qb::com_internal
