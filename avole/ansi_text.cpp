#include "avole/ansi_text.h"

#include <algorithm>

#include "platform/com/ansi.h"

namespace avole {

AnsiText::AnsiText(BSTR* variable)
    : variable_(variable), bytes_(qb::com_internal::ToAnsi(qb::BstrView(*variable))) {}

AnsiText AnsiText::Buffer(size_t n) {
  AnsiText t;
  t.bytes_.assign(n, ' ');
  return t;
}

HRESULT AnsiText::WriteBack() {
  if (variable_ == nullptr) return S_OK;
  std::u16string text = qb::com_internal::FromAnsi(bytes_);
  if (!SysReAllocStringLen(variable_, text.data(), static_cast<UINT>(text.size()))) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

BSTR AnsiText::ToBstr(size_t n) const {
  return qb::AllocBstr(qb::com_internal::FromAnsi(std::string_view(bytes_).substr(0, n)));
}

}  // namespace avole
