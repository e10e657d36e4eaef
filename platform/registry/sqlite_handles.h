// Small RAII wrappers around the SQLite C interface, for the registry
// store. Every function returns an SQLite result code.
#pragma once

#include <sqlite3.h>

#include <chrono>
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
    if (rc == SQLITE_OK) {
      busy_timeout_ms_ = busy_timeout_ms;
      rc = sqlite3_busy_handler(db_, &Connection::OnBusy, this);
    }
    return rc;
  }
  void Close() {
    sqlite3_close_v2(db_);  // a no-op for null
    db_ = nullptr;
  }
  sqlite3* get() const { return db_; }

 private:
  // Waits for another process's lock by polling every millisecond until the
  // timeout. SQLite's own busy timeout backs off to 100 ms sleeps, during
  // which a process that writes in a loop takes the lock again and again;
  // the waiter then starves past its timeout although the store is never
  // held for long.
  static int OnBusy(void* self, int attempt) {
    auto* c = static_cast<Connection*>(self);
    if (attempt == 0) c->busy_since_ = std::chrono::steady_clock::now();
    auto waited = std::chrono::steady_clock::now() - c->busy_since_;
    if (waited >= std::chrono::milliseconds(c->busy_timeout_ms_)) return 0;
    sqlite3_sleep(1);
    return 1;
  }

  sqlite3* db_ = nullptr;
  int busy_timeout_ms_ = 0;
  std::chrono::steady_clock::time_point busy_since_;
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
