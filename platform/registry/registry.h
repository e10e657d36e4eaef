// The registry stand-in: the seven ANSI registry functions of win32.h
// (RegOpenKeyA, RegCreateKeyA, RegQueryValueExA, RegSetValueExA,
// RegDeleteValueA, RegDeleteKeyA, RegCloseKey) over a per-user SQLite store.
// Target qb_registry links them statically; libqb_advapi32.so exports exactly
// these seven for callers that bind "advapi32" at run time. The two copies
// keep separate handle tables: a handle opened through one is unknown to the
// other, while both read and write the same store.
//
// Store. $XDG_CONFIG_HOME/quillbox/registry.db (default
// ~/.config/quillbox/registry.db; the directory is created with mode 0700).
// The environment is read on every call. Every call is one SQLite
// transaction and opens and closes its own connection, so calls are atomic,
// several processes and threads may call at once, and fork() needs no care.
// The file format and the concurrency and corruption rules are in
// doc/registry.md; store.h has the details.
//
// Keys and handles. HKEY_CURRENT_USER (0x80000001) and HKEY_LOCAL_MACHINE
// (0x80000002) are two separate trees of the same per-user file;
// HKEY_CLASSES_ROOT (0x80000000) is the key HKEY_CURRENT_USER\Software\Classes.
// These three predefined handles are always valid and closing one is a
// harmless success; no other predefined handle exists here. Every other
// handle comes from RegOpenKeyA/RegCreateKeyA: a small positive number, valid
// in this process (and in children forked from it) until RegCloseKey. A
// handle names a key, not a path: once the key is deleted (by anyone) every
// use of the handle except RegCloseKey answers ERROR_KEY_DELETED, and a key
// created later under the same name is a different key.
//
// Names. Texts are NUL-terminated code page 932 bytes. A key path is a
// sequence of key names separated by backslashes; empty names from doubled or
// trailing backslashes are skipped. A path that begins with a backslash is
// refused with ERROR_BAD_PATHNAME, as the original does on Windows NT. Key
// and value names are compared without regard to ASCII letter case; the
// second byte of a double-byte character is neither a letter nor a separator
// (key_path.h). A key or value keeps the spelling it was created with. A null
// or empty value name is the key's default value.
//
// The functions (arguments as win32.h declares them):
//
// RegOpenKeyA(key, sub_key, result): opens the existing key |sub_key| below
//   |key|. A null or empty |sub_key| gives back |key| itself in |*result|
//   (the same handle, not a new one, as documented for RegOpenKeyA), once
//   |key| is known to be valid. ERROR_FILE_NOT_FOUND when a level is missing.
// RegCreateKeyA(key, sub_key, result): as RegOpenKeyA, but creates every
//   missing level of |sub_key|.
//   Both set |*result| to 0 on failure; a null |result| is
//   ERROR_INVALID_PARAMETER.
// RegQueryValueExA(key, value_name, reserved, type, data, data_size): stores
//   the value's type in |*type| (when |type| is not null) and:
//   - with a null |data|: its size in bytes in |*data_size| (when not null);
//   - else, when |*data_size| holds at least its size: its bytes, exactly as
//     stored (a string without its NUL or with bytes after it comes back as
//     it was written; no terminator is added), and the size in |*data_size|;
//   - else: ERROR_MORE_DATA with the needed size in |*data_size|; |data| is
//     left alone.
//   ERROR_FILE_NOT_FOUND when there is no such value. A non-null |reserved|,
//   or a non-null |data| with a null |data_size|, is ERROR_INVALID_PARAMETER.
// RegSetValueExA(key, value_name, reserved, type, data, data_size): stores
//   |data_size| bytes of |data| with |type| (any number), replacing the value
//   of that name. |reserved| is ignored. A null |data| with a non-zero size is
//   ERROR_INVALID_PARAMETER.
// RegDeleteValueA(key, value_name): ERROR_FILE_NOT_FOUND when there is no
//   such value.
// RegDeleteKeyA(key, sub_key): deletes the key |sub_key| below |key| with its
//   values. As the original on Windows NT, a key that has subkeys is refused
//   with ERROR_ACCESS_DENIED (nothing is deleted recursively); so are the
//   predefined keys and HKEY_CURRENT_USER\Software\Classes, which the store
//   always keeps. An empty |sub_key| deletes |key| itself; a null one is
//   ERROR_INVALID_PARAMETER.
// RegCloseKey(key): ERROR_INVALID_HANDLE for 0 and for a handle that is not
//   open, harmlessly.
//
// Errors common to all: ERROR_INVALID_HANDLE (0, unknown or closed handle),
// ERROR_KEY_DELETED, and the store's errors: ERROR_CANTOPEN (no home
// directory; the directory or file cannot be created), ERROR_CANTREAD /
// ERROR_CANTWRITE (the store stayed locked by another process past the busy
// timeout, an I/O error, a read-only file), ERROR_NOT_ENOUGH_MEMORY,
// ERROR_BADDB (a store written by a newer format, or a bad file that could
// not be moved aside). A file that is not a usable store is moved aside to
// registry.db.corrupt-<time> with a one-line warning on standard error, and
// the call goes on with a new store.
#pragma once

#include <string>

#include "platform/win32.h"

namespace qb::registry {

// The store file that the next call will use; empty when no home directory
// can be found.
std::string StorePath();

// For tests: closes every handle of this process, forgets which store files
// were checked for integrity, and restores the default busy timeout.
void ResetForTesting();

// For tests: how long a call waits for another process's lock before failing
// with ERROR_CANTREAD / ERROR_CANTWRITE (default 5000 ms).
void SetBusyTimeoutForTesting(int milliseconds);

}  // namespace qb::registry
