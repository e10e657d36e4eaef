// The per-process table of open key handles of the registry stand-in.
//
// A handle is a small positive number (1, 2, ... below 0x80000000, where the
// predefined roots begin) that names one key of the store by its id. The key
// id alone is not enough: when a store file is moved aside and a new one is
// started, ids begin again, so each entry also records the id of the store
// it was opened in. Numbers are handed out in increasing order and a closed
// number is not reused until the counter wraps, so a stale handle does not
// silently name another key. Thread-safe; the table is copied into a child
// by fork like any other memory, and its handles stay valid there.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace qb::registry {

// What a handle names: a key of a store.
struct KeyRef {
  int64_t key_id = 0;
  int64_t store_id = 0;  // 0: any store (the predefined roots)
};

// Registers |ref| and returns its new handle, or 0 when every number below
// 0x80000000 is taken.
HKEY AddHandle(const KeyRef& ref);

// True and |*ref| set when |handle| is open.
bool LookUpHandle(HKEY handle, KeyRef* ref);

// True when |handle| was open; it is closed now.
bool RemoveHandle(HKEY handle);

// Closes every handle and starts numbering at 1 again.
void ClearHandles();

}  // namespace qb::registry
