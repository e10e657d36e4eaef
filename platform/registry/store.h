// The SQLite store behind the registry stand-in (format: doc/registry.md).
//
// WithStore runs one call of a registry function as one SQLite transaction
// on the user's store file (StorePathFromEnvironment, read afresh each
// time). It opens its own connection and closes it before returning: no
// connection outlives a call, so nothing SQLite holds is ever carried across
// fork(), and a change of XDG_CONFIG_HOME takes effect at the next call.
//
// The file uses SQLite's rollback journal (the default DELETE mode, never
// changed here): a call is one short transaction, so writers and readers of
// several processes simply take turns; there is no shared-memory file, and a
// process killed mid-write leaves a journal that the next opener rolls back.
// A lock that another process keeps longer than the busy timeout makes the
// call fail with ERROR_CANTREAD (reading calls) or ERROR_CANTWRITE (writing
// calls); the file is left alone. After such a failure the process's calls
// wait only 100 ms for the lock, for 30 seconds or until one of them gets
// it: a process stuck with the lock holds up a caller's series of calls
// once, not once per call.
//
// A file that is not a usable store (not SQLite, truncated, zeroed, failing
// its integrity check, or SQLite of another schema) is moved aside with a
// one-line warning on standard error and the call is run again on a new
// store. A store of a newer format of ours is left alone and the call fails
// with ERROR_BADDB.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/registry/handle_table.h"
#include "platform/win32.h"

struct sqlite3;

namespace qb::registry {

enum class Access { kRead, kWrite };

// The keys that every store holds, under fixed ids; they cannot be deleted.
inline constexpr int64_t kCurrentUserId = 1;   // HKEY_CURRENT_USER
inline constexpr int64_t kLocalMachineId = 2;  // HKEY_LOCAL_MACHINE
inline constexpr int64_t kSoftwareId = 3;      // HKEY_CURRENT_USER\Software
inline constexpr int64_t kClassesId = 4;       // HKEY_CURRENT_USER\Software\Classes
inline constexpr int64_t kLastFixedId = 4;

// The open transaction handed to a WithStore body. Names are code page 932
// bytes, matched as key_path.h describes. Every method returns ERROR_SUCCESS,
// the registry error it names, or (when SQLite fails) ERROR_CANTREAD /
// ERROR_CANTWRITE; after such a failure the body should return at once, and
// WithStore reports the failure by its kind.
class Store {
 public:
  // The random id of this store file, fixed when the file was started.
  int64_t id() const { return id_; }

  // ERROR_SUCCESS when |ref| names a key of this store that still exists,
  // else ERROR_KEY_DELETED.
  LONG CheckKey(const KeyRef& ref);
  // ERROR_FILE_NOT_FOUND when |parent| has no subkey |name|.
  LONG FindSubkey(int64_t parent, std::string_view name, int64_t* id);
  // Finds or creates the subkey |name| of |parent|.
  LONG CreateSubkey(int64_t parent, std::string_view name, int64_t* id);
  LONG HasSubkeys(int64_t id, bool* has);
  // Removes the key |id| and its values. The caller has made sure that it has
  // no subkeys.
  LONG DeleteKey(int64_t id);
  // ERROR_FILE_NOT_FOUND when |key| has no value |name| ("" is the default
  // value).
  LONG GetValue(int64_t key, std::string_view name, DWORD* type, std::string* data);
  // Stores |data| exactly; an existing value keeps the letter case of its name.
  LONG SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data);
  LONG DeleteValue(int64_t key, std::string_view name);

 private:
  friend class StoreAttempt;
  Store(sqlite3* db, int64_t id, Access access) : db_(db), id_(id), access_(access) {}
  // Records the first SQLite failure of the transaction and returns the
  // generic error of this access.
  LONG Fail(int sqlite_rc);

  sqlite3* db_;
  int64_t id_;
  Access access_;
  int failed_rc_ = 0;
};

// Runs |body| in one transaction: committed when it returns ERROR_SUCCESS,
// rolled back otherwise. |body| may run twice (again on a new store after
// the old file was moved aside), so it must only write through |store| and
// into its own results. Returns |body|'s result, or an error of the store:
// ERROR_CANTOPEN (no home directory, directory or file cannot be created),
// ERROR_CANTREAD / ERROR_CANTWRITE (locked past the busy timeout, I/O error,
// read-only file), ERROR_NOT_ENOUGH_MEMORY, ERROR_BADDB (a store of a newer
// format, or a bad file that could not be moved aside).
LONG WithStore(Access access, const std::function<LONG(Store&)>& body);

// How long a call waits for another process's lock. Process-wide.
inline constexpr int kDefaultBusyTimeoutMs = 5000;
void SetBusyTimeoutMs(int milliseconds);

}  // namespace qb::registry
