#include "platform/registry/store.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <utility>

#include "platform/registry/key_path.h"
#include "platform/registry/schema.h"
#include "platform/registry/sqlite_handles.h"
#include "platform/registry/store_file.h"

namespace qb::registry {
namespace {

std::atomic<int> busy_timeout_ms{kDefaultBusyTimeoutMs};

// When a call has waited the whole busy timeout in vain, another process is
// keeping the store locked for long (it hangs, or is stopped). The calls
// that follow within kStuckWindowMs wait only kStuckBusyTimeoutMs, so a
// program that makes many calls in a row (ten settings at start-up) is held
// up once, not once per call. The first call that gets the lock ends this.
constexpr int64_t kStuckWindowMs = 30000;
constexpr int kStuckBusyTimeoutMs = 100;
std::atomic<int64_t> stuck_since_ms{0};  // steady clock; 0: not stuck

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int CurrentBusyTimeoutMs() {
  const int full = busy_timeout_ms.load();
  const int64_t since = stuck_since_ms.load();
  if (since != 0 && NowMs() - since < kStuckWindowMs) return std::min(full, kStuckBusyTimeoutMs);
  return full;
}

LONG GenericError(Access access) {
  return access == Access::kRead ? ERROR_CANTREAD : ERROR_CANTWRITE;
}

bool IsUnusableFile(int sqlite_rc) {
  int primary = sqlite_rc & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

LONG ErrorOf(int sqlite_rc, Access access) {
  switch (sqlite_rc & 0xFF) {
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_CANTOPEN:
      return ERROR_CANTOPEN;
    default:  // busy and locked past the timeout, I/O errors, read-only, full
      return GenericError(access);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Store.

LONG Store::Fail(int sqlite_rc) {
  if (failed_rc_ == SQLITE_OK) failed_rc_ = sqlite_rc;
  return GenericError(access_);
}

LONG Store::CheckKey(const KeyRef& ref) {
  if (ref.store_id != 0 && ref.store_id != id_) return ERROR_KEY_DELETED;
  Statement query(db_, "SELECT 1 FROM keys WHERE id = ?1");
  query.Bind(1, ref.key_id);
  int rc = query.Step();
  if (rc == SQLITE_ROW) return ERROR_SUCCESS;
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Fail(rc);
}

LONG Store::FindSubkey(int64_t parent, std::string_view name, int64_t* id) {
  Statement query(db_, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  query.Bind(1, parent);
  query.Bind(2, FoldName(name));
  int rc = query.Step();
  if (rc == SQLITE_ROW) {
    *id = query.Int(0);
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : Fail(rc);
}

LONG Store::CreateSubkey(int64_t parent, std::string_view name, int64_t* id) {
  LONG found = FindSubkey(parent, name, id);
  if (found != ERROR_FILE_NOT_FOUND) return found;
  Statement insert(db_, "INSERT INTO keys(parent, name, fold) VALUES (?1, ?2, ?3)");
  insert.Bind(1, parent);
  insert.Bind(2, name);
  insert.Bind(3, FoldName(name));
  int rc = insert.Step();
  if (rc != SQLITE_DONE) return Fail(rc);
  *id = sqlite3_last_insert_rowid(db_);
  return ERROR_SUCCESS;
}

LONG Store::HasSubkeys(int64_t id, bool* has) {
  Statement query(db_, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
  query.Bind(1, id);
  int rc = query.Step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail(rc);
  *has = rc == SQLITE_ROW;
  return ERROR_SUCCESS;
}

LONG Store::DeleteKey(int64_t id) {
  Statement values(db_, "DELETE FROM vals WHERE key = ?1");
  values.Bind(1, id);
  int rc = values.Step();
  if (rc != SQLITE_DONE) return Fail(rc);
  Statement key(db_, "DELETE FROM keys WHERE id = ?1");
  key.Bind(1, id);
  rc = key.Step();
  return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(rc);
}

LONG Store::GetValue(int64_t key, std::string_view name, DWORD* type, std::string* data) {
  Statement query(db_, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
  query.Bind(1, key);
  query.Bind(2, FoldName(name));
  int rc = query.Step();
  if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (rc != SQLITE_ROW) return Fail(rc);
  *type = static_cast<DWORD>(query.Int(0));
  *data = query.Bytes(1);
  return ERROR_SUCCESS;
}

LONG Store::SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data) {
  Statement upsert(
      db_,
      "INSERT INTO vals(key, fold, name, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
      "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  upsert.Bind(1, key);
  upsert.Bind(2, FoldName(name));
  upsert.Bind(3, name);
  upsert.Bind(4, static_cast<int64_t>(type));
  upsert.Bind(5, data);
  int rc = upsert.Step();
  return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(rc);
}

LONG Store::DeleteValue(int64_t key, std::string_view name) {
  Statement remove(db_, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
  remove.Bind(1, key);
  remove.Bind(2, FoldName(name));
  int rc = remove.Step();
  if (rc != SQLITE_DONE) return Fail(rc);
  return sqlite3_changes(db_) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------
// One attempt at a call on the file at one path.

class StoreAttempt {
 public:
  StoreAttempt(std::string path, Access access) : path_(std::move(path)), access_(access) {}

  // The call's result, unless unusable() is true afterwards.
  LONG Run(const std::function<LONG(Store&)>& body);

  // True when the file proved not to be a usable store; why() says how, and
  // file() which file it was.
  bool unusable() const { return unusable_; }
  const std::string& why() const { return why_; }
  const FileIdentity& file() const { return file_; }

 private:
  // Opens the connection and learns which file it opened: the path is looked
  // up before and after, and a file replaced meanwhile is opened again.
  int Open();
  // Ends the transaction without keeping anything and turns |sqlite_rc| into
  // the call's error, or marks the file unusable.
  LONG Abandon(int sqlite_rc);
  LONG Unusable(std::string why);

  std::string path_;
  Access access_;
  Connection connection_;
  FileIdentity file_;
  bool unusable_ = false;
  std::string why_;
};

int StoreAttempt::Open() {
  for (int tries = 0;; ++tries) {
    FileIdentity before = IdentifyFile(path_);
    int rc = connection_.Open(path_, CurrentBusyTimeoutMs());
    if (rc != SQLITE_OK) return rc;
    file_ = IdentifyFile(path_);
    if (file_ == before || tries == 2) return SQLITE_OK;
  }
}

LONG StoreAttempt::Abandon(int sqlite_rc) {
  if (connection_.get() != nullptr && !sqlite3_get_autocommit(connection_.get())) {
    Exec(connection_.get(), "ROLLBACK");
  }
  if (IsUnusableFile(sqlite_rc)) return Unusable(sqlite3_errstr(sqlite_rc));
  if ((sqlite_rc & 0xFF) == SQLITE_BUSY) {
    int64_t none = 0;
    stuck_since_ms.compare_exchange_strong(none, NowMs());
  }
  return ErrorOf(sqlite_rc, access_);
}

LONG StoreAttempt::Unusable(std::string why) {
  connection_.Close();  // before the file is renamed
  unusable_ = true;
  why_ = std::move(why);
  return ERROR_BADDB;
}

LONG StoreAttempt::Run(const std::function<LONG(Store&)>& body) {
  int rc = Open();
  if (rc != SQLITE_OK) return Abandon(rc);
  sqlite3* db = connection_.get();

  // A reading call on a file that is still empty starts the store in a
  // transaction of its own first.
  bool immediate = access_ == Access::kWrite;
  Inspection inspection;
  for (int round = 0;; ++round) {
    if ((rc = Exec(db, immediate ? "BEGIN IMMEDIATE" : "BEGIN")) != SQLITE_OK) return Abandon(rc);
    inspection = Inspect(db, file_);
    if (inspection.rc != SQLITE_OK) return Abandon(inspection.rc);
    if (inspection.shape != Shape::kEmpty) break;
    if (round == 2) return Abandon(SQLITE_ERROR);  // emptied again and again: give up
    if (!immediate) {
      Exec(db, "ROLLBACK");
      immediate = true;
      continue;
    }
    if ((rc = Initialize(db, &inspection.store_id)) != SQLITE_OK) return Abandon(rc);
    if ((rc = Exec(db, "COMMIT")) != SQLITE_OK) return Abandon(rc);
    MarkChecked(file_);
    immediate = access_ == Access::kWrite;
  }
  if (inspection.shape == Shape::kForeign) {
    Exec(db, "ROLLBACK");
    return Unusable(inspection.why);
  }
  if (inspection.shape == Shape::kNewer) {
    Exec(db, "ROLLBACK");
    return ERROR_BADDB;
  }

  stuck_since_ms.store(0);  // the lock was had: nobody keeps it for long
  Store store(db, inspection.store_id, access_);
  LONG result = body(store);
  if (store.failed_rc_ != SQLITE_OK) return Abandon(store.failed_rc_);
  if (result != ERROR_SUCCESS) {
    Exec(db, "ROLLBACK");
    return result;
  }
  if ((rc = Exec(db, "COMMIT")) != SQLITE_OK) return Abandon(rc);
  return ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------

namespace {

// Moves the unusable file aside, unless another process has done so already
// (the path no longer names the same file). ERROR_SUCCESS when the call may
// be tried again.
LONG SetAside(const std::string& path, const StoreAttempt& attempt, Access access) {
  RecoveryLock lock(path);
  if (!lock.Acquire(busy_timeout_ms.load())) return GenericError(access);
  if (!(IdentifyFile(path) == attempt.file())) return ERROR_SUCCESS;
  std::string aside;
  std::string error;
  std::string line;
  LONG result = ERROR_SUCCESS;
  if (MoveStoreAside(path, &aside, &error)) {
    line = "quillbox: registry store " + path + " is not usable (" + attempt.why() +
           "); moved it to " + aside + " and started a new store\n";
  } else {
    line = "quillbox: registry store " + path + " is not usable (" + attempt.why() +
           ") and could not be moved aside: " + error + "\n";
    result = ERROR_BADDB;
  }
  std::fputs(line.c_str(), stderr);
  return result;
}

}  // namespace

LONG WithStore(Access access, const std::function<LONG(Store&)>& body) {
  for (int attempt_number = 0; attempt_number < 2; ++attempt_number) {
    std::string path = StorePathFromEnvironment();
    if (path.empty() || !EnsureStoreDirectory(path)) return ERROR_CANTOPEN;
    StoreAttempt attempt(path, access);
    LONG result = attempt.Run(body);
    if (!attempt.unusable()) return result;
    if (attempt_number == 1) break;  // at most one file is moved aside per call
    LONG set_aside = SetAside(path, attempt, access);
    if (set_aside != ERROR_SUCCESS) return set_aside;
  }
  return ERROR_BADDB;  // the new store proved unusable too
}

void SetBusyTimeoutMs(int milliseconds) {
  busy_timeout_ms.store(milliseconds);
  stuck_since_ms.store(0);
}

}  // namespace qb::registry
