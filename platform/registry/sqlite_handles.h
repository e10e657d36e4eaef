// Small RAII wrappers around the SQLite C interface, for the registry
// store. Every function returns an SQLite result code.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qb::registry {

class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens (creating when missing) the file |path|; waits up to
  // |busy_timeout_ms| for other processes' locks.
  int Open(const std::string& path, int busy_timeout_ms) {
    Close();
    int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(db_, busy_timeout_ms);
    return rc;
  }
  void Close() {
    sqlite3_close_v2(db_);  // a no-op for null
    db_ = nullptr;
  }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, int64_t value) {
    if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_int64(stmt_, index, value);
  }
  // Binds a blob, the empty one included (a null pointer would bind NULL).
  void Bind(int index, std::string_view bytes) {
    const char* data = bytes.empty() ? "" : bytes.data();
    if (rc_ == SQLITE_OK) {
      rc_ = sqlite3_bind_blob64(stmt_, index, data, bytes.size(), SQLITE_TRANSIENT);
    }
  }
  // SQLITE_ROW, SQLITE_DONE, or the error of preparing, binding or stepping.
  int Step() { return rc_ == SQLITE_OK ? sqlite3_step(stmt_) : rc_; }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Bytes(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

inline int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Runs a query whose first row's first column is wanted. SQLITE_DONE when
// there is no row.
inline int QueryInt(sqlite3* db, const char* sql, int64_t* value) {
  Statement query(db, sql);
  int rc = query.Step();
  if (rc != SQLITE_ROW) return rc;
  *value = query.Int(0);
  return SQLITE_OK;
}

inline int QueryText(sqlite3* db, const char* sql, std::string* text) {
  Statement query(db, sql);
  int rc = query.Step();
  if (rc != SQLITE_ROW) return rc;
  *text = query.Bytes(0);
  return SQLITE_OK;
}

}  // namespace qb::registry
