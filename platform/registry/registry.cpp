#include "platform/registry/registry.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/registry/handle_table.h"
#include "platform/registry/key_path.h"
#include "platform/registry/schema.h"
#include "platform/registry/store.h"
#include "platform/registry/store_file.h"

// The seven functions are the only symbols that libqb_advapi32.so exports;
// everything else is compiled with hidden visibility.
#define QB_REGISTRY_EXPORT __attribute__((visibility("default")))

namespace qb::registry {

std::string StorePath() { return StorePathFromEnvironment(); }

void ResetForTesting() {
  ClearHandles();
  ForgetCheckedFiles();
  SetBusyTimeoutMs(kDefaultBusyTimeoutMs);
}

void SetBusyTimeoutForTesting(int milliseconds) { SetBusyTimeoutMs(milliseconds); }

namespace {

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

// What |key| names. The fixed keys exist in every store, hence store id 0.
LONG Resolve(HKEY key, KeyRef* ref) {
  switch (key) {
    case HKEY_CLASSES_ROOT:
      *ref = {kClassesId, 0};
      return ERROR_SUCCESS;
    case HKEY_CURRENT_USER:
      *ref = {kCurrentUserId, 0};
      return ERROR_SUCCESS;
    case HKEY_LOCAL_MACHINE:
      *ref = {kLocalMachineId, 0};
      return ERROR_SUCCESS;
    default:
      return key != 0 && LookUpHandle(key, ref) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  }
}

bool IsEmpty(LPCSTR text) { return text == nullptr || text[0] == '\0'; }

std::string_view ValueName(LPCSTR name) { return name == nullptr ? "" : name; }

// Walks from |start| down the names of |path|, creating missing keys when
// |create|.
LONG Walk(Store& store, const KeyRef& start, const std::vector<std::string_view>& path, bool create,
          KeyRef* found) {
  LONG rc = store.CheckKey(start);
  if (rc != ERROR_SUCCESS) return rc;
  int64_t id = start.key_id;
  for (std::string_view name : path) {
    rc = create ? store.CreateSubkey(id, name, &id) : store.FindSubkey(id, name, &id);
    if (rc != ERROR_SUCCESS) return rc;
  }
  *found = {id, id <= kLastFixedId ? 0 : store.id()};
  return ERROR_SUCCESS;
}

LONG OpenKey(HKEY key, LPCSTR sub_key, PHKEY result, bool create) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = 0;
  KeyRef start;
  LONG rc = Resolve(key, &start);
  if (rc != ERROR_SUCCESS) return rc;
  if (IsEmpty(sub_key)) {
    // The same handle comes back; a handle of ours must still name a key.
    if (!IsPredefined(key)) {
      rc = WithStore(Access::kRead, [&](Store& store) -> LONG { return store.CheckKey(start); });
      if (rc != ERROR_SUCCESS) return rc;
    }
    *result = key;
    return ERROR_SUCCESS;
  }
  if (sub_key[0] == '\\') return ERROR_BAD_PATHNAME;
  std::vector<std::string_view> path = SplitKeyPath(sub_key);
  KeyRef found;
  rc = WithStore(create ? Access::kWrite : Access::kRead,
                 [&](Store& store) -> LONG { return Walk(store, start, path, create, &found); });
  if (rc != ERROR_SUCCESS) return rc;
  HKEY handle = AddHandle(found);
  if (handle == 0) return ERROR_NOT_ENOUGH_MEMORY;
  *result = handle;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace qb::registry

using qb::registry::Access;
using qb::registry::KeyRef;
using qb::registry::Store;
using qb::registry::WithStore;

extern "C" {

QB_REGISTRY_EXPORT LONG RegOpenKeyA(HKEY key, LPCSTR sub_key, PHKEY result) {
  return qb::registry::OpenKey(key, sub_key, result, /*create=*/false);
}

QB_REGISTRY_EXPORT LONG RegCreateKeyA(HKEY key, LPCSTR sub_key, PHKEY result) {
  return qb::registry::OpenKey(key, sub_key, result, /*create=*/true);
}

QB_REGISTRY_EXPORT LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved,
                                         LPDWORD type, LPBYTE data, LPDWORD data_size) {
  if (reserved != nullptr || (data != nullptr && data_size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  KeyRef ref;
  LONG rc = qb::registry::Resolve(key, &ref);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD stored_type = REG_NONE;
  std::string stored;
  rc = WithStore(Access::kRead, [&](Store& store) -> LONG {
    LONG found = store.CheckKey(ref);
    if (found != ERROR_SUCCESS) return found;
    return store.GetValue(ref.key_id, qb::registry::ValueName(value_name), &stored_type, &stored);
  });
  if (rc != ERROR_SUCCESS) return rc;
  if (type != nullptr) *type = stored_type;
  DWORD size = static_cast<DWORD>(stored.size());
  if (data == nullptr) {
    if (data_size != nullptr) *data_size = size;
    return ERROR_SUCCESS;
  }
  if (*data_size < size) {
    *data_size = size;
    return ERROR_MORE_DATA;
  }
  if (size != 0) std::memcpy(data, stored.data(), size);
  *data_size = size;
  return ERROR_SUCCESS;
}

QB_REGISTRY_EXPORT LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD /*reserved*/, DWORD type,
                                       LPCBYTE data, DWORD data_size) {
  if (data == nullptr && data_size != 0) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  LONG rc = qb::registry::Resolve(key, &ref);
  if (rc != ERROR_SUCCESS) return rc;
  std::string_view bytes(reinterpret_cast<const char*>(data), data == nullptr ? 0 : data_size);
  return WithStore(Access::kWrite, [&](Store& store) -> LONG {
    LONG found = store.CheckKey(ref);
    if (found != ERROR_SUCCESS) return found;
    return store.SetValue(ref.key_id, qb::registry::ValueName(value_name), type, bytes);
  });
}

QB_REGISTRY_EXPORT LONG RegDeleteValueA(HKEY key, LPCSTR value_name) {
  KeyRef ref;
  LONG rc = qb::registry::Resolve(key, &ref);
  if (rc != ERROR_SUCCESS) return rc;
  return WithStore(Access::kWrite, [&](Store& store) -> LONG {
    LONG found = store.CheckKey(ref);
    if (found != ERROR_SUCCESS) return found;
    return store.DeleteValue(ref.key_id, qb::registry::ValueName(value_name));
  });
}

QB_REGISTRY_EXPORT LONG RegDeleteKeyA(HKEY key, LPCSTR sub_key) {
  if (sub_key == nullptr) return ERROR_INVALID_PARAMETER;
  KeyRef start;
  LONG rc = qb::registry::Resolve(key, &start);
  if (rc != ERROR_SUCCESS) return rc;
  if (sub_key[0] == '\\') return ERROR_BAD_PATHNAME;
  std::vector<std::string_view> path = qb::registry::SplitKeyPath(sub_key);
  return WithStore(Access::kWrite, [&](Store& store) -> LONG {
    KeyRef target;
    LONG found = qb::registry::Walk(store, start, path, /*create=*/false, &target);
    if (found != ERROR_SUCCESS) return found;
    if (target.key_id <= qb::registry::kLastFixedId) return ERROR_ACCESS_DENIED;
    bool has_subkeys = false;
    LONG checked = store.HasSubkeys(target.key_id, &has_subkeys);
    if (checked != ERROR_SUCCESS) return checked;
    if (has_subkeys) return ERROR_ACCESS_DENIED;
    return store.DeleteKey(target.key_id);
  });
}

QB_REGISTRY_EXPORT LONG RegCloseKey(HKEY key) {
  if (qb::registry::IsPredefined(key)) return ERROR_SUCCESS;
  return key != 0 && qb::registry::RemoveHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
