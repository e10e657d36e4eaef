// The schema of the registry store file (doc/registry.md): telling a usable
// store from a file that is not one, and starting a store in an empty file.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "platform/registry/store_file.h"

namespace qb::registry {

enum class Shape {
  kOurs,     // a usable store of this format
  kEmpty,    // no tables at all: a new file, to be started
  kForeign,  // not a usable store: to be moved aside
  kNewer,    // a store of a later format of ours: to be left alone
};

struct Inspection {
  int rc = SQLITE_OK;  // a failure to read (busy, I/O, corrupt), else SQLITE_OK
  Shape shape = Shape::kOurs;
  std::string why;  // for kForeign
  int64_t store_id = 0;
};

// Looks at what the file of |db|, inside an open transaction, holds. The full
// integrity check runs only for a |file| that this process has not checked
// before; a failed one makes the file kForeign.
Inspection Inspect(sqlite3* db, const FileIdentity& file);

// Starts a store in an empty file: schema, fixed keys and a new random store
// id, which it sets in |*store_id|. Runs inside an immediate transaction that
// the caller commits.
int Initialize(sqlite3* db, int64_t* store_id);

// Remembers that |file| is a checked store (one this process started).
void MarkChecked(const FileIdentity& file);

// Forgets which files this process has checked, so the next call checks
// again.
void ForgetCheckedFiles();

}  // namespace qb::registry
