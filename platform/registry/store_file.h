// The registry store's file on disk: where it lives and how a file that is
// not a usable store is moved aside. Nothing here opens the store file
// itself: closing any descriptor of a file drops every POSIX lock that this
// process holds on it, SQLite's included.
#pragma once

#include <sys/types.h>

#include <string>

namespace qb::registry {

// $XDG_CONFIG_HOME/quillbox/registry.db, or ~/.config/quillbox/registry.db
// when XDG_CONFIG_HOME is unset, empty or relative (as the XDG base directory
// rules say). The home directory is $HOME, else the password database's.
// Read afresh on every call. Empty when no home directory can be found.
std::string StorePathFromEnvironment();

// Creates the directory that holds |store_path|, and its missing parents,
// with mode 0700. True when it exists afterwards.
bool EnsureStoreDirectory(const std::string& store_path);

// Which file a path names at one moment.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentifyFile(const std::string& path);

// An exclusive flock(2) on the store's directory, held while a process
// decides whether to move the store aside, so two processes that find the
// same bad file do not both move it (the second would move the first one's
// new store). Released by the destructor.
class RecoveryLock {
 public:
  explicit RecoveryLock(const std::string& store_path);
  ~RecoveryLock();
  RecoveryLock(const RecoveryLock&) = delete;
  RecoveryLock& operator=(const RecoveryLock&) = delete;

  // Waits up to |timeout_ms| for the lock. False when it could not be had.
  bool Acquire(int timeout_ms);

 private:
  int fd_ = -1;
};

// Renames |store_path| to "<store_path>.corrupt-<UTC time>" (with "-2", "-3"
// ... added when that name is taken; nothing is ever overwritten), after
// moving its SQLite companions "-journal", "-wal" and "-shm" to the same new
// name plus their suffix: a journal left beside a new store would be played
// into it. Sets |*aside| to the new name of the store file. False, with
// |*error| set, when the store file could not be renamed.
bool MoveStoreAside(const std::string& store_path, std::string* aside, std::string* error);

}  // namespace qb::registry
