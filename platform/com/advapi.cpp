#include "platform/com/advapi.h"

#include "platform/com/loader.h"

namespace qb::com_internal {
namespace {

BoundFunction<decltype(RegOpenKeyA)> g_open_key{"advapi32", "RegOpenKeyA"};
BoundFunction<decltype(RegCreateKeyA)> g_create_key{"advapi32", "RegCreateKeyA"};
BoundFunction<decltype(RegQueryValueExA)> g_query_value{"advapi32", "RegQueryValueExA"};
BoundFunction<decltype(RegSetValueExA)> g_set_value{"advapi32", "RegSetValueExA"};
BoundFunction<decltype(RegDeleteKeyA)> g_delete_key{"advapi32", "RegDeleteKeyA"};
BoundFunction<decltype(RegCloseKey)> g_close_key{"advapi32", "RegCloseKey"};

}  // namespace

LONG AdvapiOpenKey(HKEY key, LPCSTR sub_key, PHKEY result) {
  auto* fn = g_open_key.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key, sub_key, result);
}

LONG AdvapiCreateKey(HKEY key, LPCSTR sub_key, PHKEY result) {
  auto* fn = g_create_key.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key, sub_key, result);
}

LONG AdvapiQueryValue(HKEY key, LPCSTR value_name, LPDWORD type, LPBYTE data, LPDWORD data_size) {
  auto* fn = g_query_value.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key, value_name, nullptr, type, data, data_size);
}

LONG AdvapiSetValue(HKEY key, LPCSTR value_name, DWORD type, LPCBYTE data, DWORD data_size) {
  auto* fn = g_set_value.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key, value_name, 0, type, data, data_size);
}

LONG AdvapiDeleteKey(HKEY key, LPCSTR sub_key) {
  auto* fn = g_delete_key.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key, sub_key);
}

LONG AdvapiCloseKey(HKEY key) {
  auto* fn = g_close_key.get();
  return fn == nullptr ? ERROR_CANTOPEN : fn(key);
}

}  // namespace qb::com_internal
