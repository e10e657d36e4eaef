#include "platform/registry/schema.h"

#include <pthread.h>

#include <mutex>
#include <random>
#include <set>
#include <utility>

#include "platform/registry/sqlite_handles.h"
#include "platform/registry/store.h"

namespace qb::registry {
namespace {

constexpr int64_t kApplicationId = 0x51425247;  // "QBRG"
constexpr int64_t kFormatVersion = 1;

// Files whose integrity this process has checked, by device and inode. A
// full check reads every page, so it runs once per file and process; damage
// that appears later still shows as SQLITE_CORRUPT on the pages a call reads.
struct CheckedFiles {
  std::mutex mutex;
  std::set<std::pair<dev_t, ino_t>> files;
};

CheckedFiles& TheCheckedFiles();

CheckedFiles* NewCheckedFiles() {
  auto* checked = new CheckedFiles;
  // Keeps the child's copy of the lock usable after a fork from any thread.
  pthread_atfork([] { TheCheckedFiles().mutex.lock(); }, [] { TheCheckedFiles().mutex.unlock(); },
                 [] { TheCheckedFiles().mutex.unlock(); });
  return checked;
}

CheckedFiles& TheCheckedFiles() {
  static CheckedFiles* checked = NewCheckedFiles();  // never destroyed
  return *checked;
}

bool WasChecked(const FileIdentity& file) {
  CheckedFiles& checked = TheCheckedFiles();
  std::lock_guard lock(checked.mutex);
  return checked.files.count({file.device, file.inode}) != 0;
}

}  // namespace

void MarkChecked(const FileIdentity& file) {
  if (!file.exists) return;
  CheckedFiles& checked = TheCheckedFiles();
  std::lock_guard lock(checked.mutex);
  checked.files.insert({file.device, file.inode});
}

void ForgetCheckedFiles() {
  CheckedFiles& checked = TheCheckedFiles();
  std::lock_guard lock(checked.mutex);
  checked.files.clear();
}

namespace {

int64_t NewStoreId() {
  std::random_device device;
  std::uniform_int_distribution<int64_t> any(1, INT64_MAX);
  return any(device);
}

}  // namespace

Inspection Inspect(sqlite3* db, const FileIdentity& file) {
  Inspection result;
  auto foreign = [&result](std::string why) {
    result.shape = Shape::kForeign;
    result.why = std::move(why);
    return result;
  };
  int64_t application_id = 0;
  int64_t version = 0;
  if ((result.rc = QueryInt(db, "PRAGMA application_id", &application_id)) != SQLITE_OK ||
      (result.rc = QueryInt(db, "PRAGMA user_version", &version)) != SQLITE_OK) {
    return result;
  }
  if (application_id == 0 && version == 0) {
    int64_t objects = 0;
    if ((result.rc = QueryInt(db, "SELECT count(*) FROM sqlite_schema", &objects)) != SQLITE_OK) {
      return result;
    }
    if (objects == 0) {
      result.shape = Shape::kEmpty;
      return result;
    }
    return foreign("it is an SQLite database of another program");
  }
  if (application_id != kApplicationId)
    return foreign("it is an SQLite database of another program");
  if (version > kFormatVersion) {
    result.shape = Shape::kNewer;
    return result;
  }
  if (version != kFormatVersion) return foreign("its format version is unknown");

  int64_t tables = 0;
  if ((result.rc = QueryInt(db,
                            "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND "
                            "name IN ('meta', 'keys', 'vals')",
                            &tables)) != SQLITE_OK) {
    return result;
  }
  if (tables != 3) return foreign("tables of the store are missing");
  int rc = QueryInt(db, "SELECT value FROM meta WHERE name = 'store_id'", &result.store_id);
  if (rc == SQLITE_DONE || rc == SQLITE_ERROR) return foreign("its store id is missing");
  if ((result.rc = rc) != SQLITE_OK) return result;
  int64_t fixed = 0;
  rc = QueryInt(db, "SELECT count(*) FROM keys WHERE id BETWEEN 1 AND 4", &fixed);
  if (rc == SQLITE_ERROR) return foreign("its keys table has the wrong form");
  if ((result.rc = rc) != SQLITE_OK) return result;
  if (fixed != kLastFixedId) return foreign("its root keys are missing");

  if (!WasChecked(file)) {
    std::string verdict;
    if ((result.rc = QueryText(db, "PRAGMA quick_check(1)", &verdict)) != SQLITE_OK) return result;
    if (verdict != "ok") return foreign("it fails its integrity check (" + verdict + ")");
    MarkChecked(file);
  }
  return result;
}

int Initialize(sqlite3* db, int64_t* store_id) {
  int rc =
      Exec(db,
           "PRAGMA application_id = 1363300935;"  // kApplicationId
           "PRAGMA user_version = 1;"
           "CREATE TABLE meta(name TEXT PRIMARY KEY, value INTEGER NOT NULL);"
           "CREATE TABLE keys("
           "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
           "  parent INTEGER REFERENCES keys(id),"
           "  name BLOB NOT NULL,"
           "  fold BLOB NOT NULL);"
           "CREATE UNIQUE INDEX keys_by_parent ON keys(parent, fold);"
           "CREATE TABLE vals("
           "  key INTEGER NOT NULL REFERENCES keys(id),"
           "  fold BLOB NOT NULL,"
           "  name BLOB NOT NULL,"
           "  type INTEGER NOT NULL,"
           "  data BLOB NOT NULL,"
           "  PRIMARY KEY(key, fold)) WITHOUT ROWID;"
           "INSERT INTO keys(id, parent, name, fold) VALUES"
           "  (1, NULL, CAST('HKEY_CURRENT_USER' AS BLOB), CAST('HKEY_CURRENT_USER' AS BLOB)),"
           "  (2, NULL, CAST('HKEY_LOCAL_MACHINE' AS BLOB), CAST('HKEY_LOCAL_MACHINE' AS BLOB)),"
           "  (3, 1, CAST('Software' AS BLOB), CAST('SOFTWARE' AS BLOB)),"
           "  (4, 3, CAST('Classes' AS BLOB), CAST('CLASSES' AS BLOB));");
  if (rc != SQLITE_OK) return rc;
  *store_id = NewStoreId();
  Statement insert(db, "INSERT INTO meta(name, value) VALUES ('store_id', ?1)");
  insert.Bind(1, *store_id);
  rc = insert.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

static_assert(kApplicationId == 1363300935);  // as written by Initialize

}  // namespace qb::registry
