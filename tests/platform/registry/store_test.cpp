// The store file: where it lives, its format, what happens to a file that is
// not a usable store and to one that another process keeps locked.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "platform/registry/store_file.h"
#include "platform/win32.h"
#include "tests/platform/registry/registry_fixture.h"

namespace qb::registry {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using StoreTest = RegistryTest;

// Runs |sql| on the SQLite file |path| directly; the first column of the
// first row as text ("" when none, "<error>" on failure).
std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string result = "<error>";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
      int rc = sqlite3_step(stmt);
      if (rc == SQLITE_ROW) {
        const void* bytes = sqlite3_column_blob(stmt, 0);
        int size = sqlite3_column_bytes(stmt, 0);
        result = bytes == nullptr ? "" : std::string(static_cast<const char*>(bytes), size);
      } else if (rc == SQLITE_DONE) {
        result = "";
      }
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

TEST(StorePathTest, FollowsXdgConfigHomeElseHomeConfig) {
  struct Case {
    const char* xdg;  // null: unset
    const char* home;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/tmp/cfg", "/home/u", "/tmp/cfg/quillbox/registry.db"},
      {"/tmp/cfg/", "/home/u", "/tmp/cfg/quillbox/registry.db"},
      {nullptr, "/home/u", "/home/u/.config/quillbox/registry.db"},
      {"", "/home/u", "/home/u/.config/quillbox/registry.db"},
      {"relative/cfg", "/home/u/", "/home/u/.config/quillbox/registry.db"},
  };
  const char* saved_xdg = std::getenv("XDG_CONFIG_HOME");
  const char* saved_home = std::getenv("HOME");
  std::string xdg_copy = saved_xdg == nullptr ? "" : saved_xdg;
  std::string home_copy = saved_home == nullptr ? "" : saved_home;
  for (const Case& c : cases) {
    if (c.xdg == nullptr) {
      unsetenv("XDG_CONFIG_HOME");
    } else {
      setenv("XDG_CONFIG_HOME", c.xdg, 1);
    }
    setenv("HOME", c.home, 1);
    EXPECT_EQ(StorePath(), c.expected) << (c.xdg == nullptr ? "(unset)" : c.xdg);
  }
  if (saved_xdg != nullptr) {
    setenv("XDG_CONFIG_HOME", xdg_copy.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  if (saved_home != nullptr) {
    setenv("HOME", home_copy.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
}

TEST_F(StoreTest, FirstCallCreatesThePrivateDirectoryAndValuesOutliveTheProcess) {
  ASSERT_EQ(StorePath(), StoreFile());
  ASSERT_EQ(
      Put(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "Editor", REG_SZ, Sz("vi")),
      ERROR_SUCCESS);
  struct stat info;
  ASSERT_EQ(stat(StoreDir().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(access(StoreFile().c_str(), F_OK), 0);

  ResetForTesting();  // as a new process would start
  DWORD type = 0;
  std::string bytes;
  ASSERT_EQ(
      Get(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "Editor", &type, &bytes),
      ERROR_SUCCESS);
  EXPECT_EQ(bytes, Sz("vi"));

  // Another XDG_CONFIG_HOME is another store, taken up at the next call.
  UseConfigHome(NewTempDir("other"));
  EXPECT_EQ(
      Get(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "Editor", &type, &bytes),
      ERROR_FILE_NOT_FOUND);
  UseConfigHome(config_home());
  EXPECT_EQ(
      Get(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "Editor", &type, &bytes),
      ERROR_SUCCESS);
}

TEST_F(StoreTest, FileHasTheDocumentedFormat) {
  ASSERT_EQ(
      Put(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "Editor", REG_SZ, Sz("vi")),
      ERROR_SUCCESS);
  ASSERT_EQ(Put(HKEY_CLASSES_ROOT, "CLSID", "", REG_SZ, Sz("classes")), ERROR_SUCCESS);
  const std::string db = StoreFile();
  EXPECT_EQ(Sql(db, "SELECT CAST(application_id AS TEXT) FROM pragma_application_id"),
            "1363300935");
  EXPECT_EQ(Sql(db, "SELECT CAST(user_version AS TEXT) FROM pragma_user_version"), "1");
  EXPECT_EQ(Sql(db, "PRAGMA journal_mode"), "delete");
  EXPECT_EQ(Sql(db,
                "SELECT k.name || '/' || v.name || '/' || v.type || '/' || hex(v.data) "
                "FROM vals v JOIN keys k ON k.id = v.key WHERE v.fold = CAST('EDITOR' AS BLOB)"),
            "Configs/Editor/1/766900");
  // The path up from the value's key, through the fixed keys 3 and 1.
  EXPECT_EQ(
      Sql(db,
          "WITH RECURSIVE up(id, parent, path) AS ("
          " SELECT id, parent, CAST(name AS TEXT) FROM keys WHERE fold = CAST('CONFIGS' AS BLOB)"
          " UNION ALL SELECT k.id, k.parent, CAST(k.name AS TEXT) || '\\' || up.path"
          " FROM keys k JOIN up ON k.id = up.parent)"
          " SELECT path FROM up WHERE parent IS NULL"),
      "HKEY_CURRENT_USER\\Software\\Arvenda\\Quillbox95\\Configs");
  // HKEY_CLASSES_ROOT is HKEY_CURRENT_USER\Software\Classes, key 4.
  EXPECT_EQ(Sql(db, "SELECT CAST(parent AS TEXT) FROM keys WHERE fold = CAST('CLSID' AS BLOB)"),
            "4");
}

// A file that is not a usable store is moved aside, whole, and the calls go
// on with a new store; a file that may be usable is never moved.
TEST_F(StoreTest, UnusableFilesAreMovedAsideAndANewStoreStarted) {
  auto text = [](const std::string& path) {
    std::string junk;
    for (int i = 0; i < 300; ++i) junk += "this is not a registry store\n";
    WriteWholeFile(path, junk);
  };
  auto zeroed = [](const std::string& path) {
    WriteWholeFile(path, std::string(ReadWholeFile(path).size(), '\0'));
  };
  auto truncated = [](const std::string& path) {
    ASSERT_EQ(truncate(path.c_str(), ReadWholeFile(path).size() / 2), 0);
  };
  auto header_only = [](const std::string& path) { ASSERT_EQ(truncate(path.c_str(), 100), 0); };
  auto scrambled_page = [](const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    for (size_t i = 4096 * 3; i < 4096 * 3 + 64 && i < bytes.size(); ++i) bytes[i] = '\x5a';
    WriteWholeFile(path, bytes);
    ResetForTesting();  // a new process: nothing known about the file yet
  };
  auto other_program = [](const std::string& path) {
    std::remove(path.c_str());
    ASSERT_EQ(Sql(path, "CREATE TABLE notes(text)"), "");
  };
  auto our_id_no_tables = [](const std::string& path) {
    std::remove(path.c_str());
    ASSERT_EQ(Sql(path, "PRAGMA application_id = 1363300935"), "");
    ASSERT_EQ(Sql(path, "PRAGMA user_version = 1"), "");
  };
  auto empty = [](const std::string& path) { WriteWholeFile(path, ""); };
  auto newer_format = [](const std::string& path) {
    ASSERT_EQ(Sql(path, "PRAGMA user_version = 2"), "");
  };

  struct Case {
    const char* name;
    std::function<void(const std::string&)> damage;
    bool moved;
    LONG read;   // the first call: reading the old value
    LONG write;  // then: writing a new one
  };
  const std::vector<Case> cases = {
      {"text", text, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"zeroed", zeroed, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"truncated", truncated, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"header only", header_only, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"scrambled page", scrambled_page, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"other program", other_program, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"our id, no tables", our_id_no_tables, true, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"empty file", empty, false, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"newer format", newer_format, false, ERROR_BADDB, ERROR_BADDB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseConfigHome(NewTempDir(c.name));
    const std::string path = StorePath();
    const std::string dir = path.substr(0, path.rfind('/'));
    // A store of several pages, so that damage can hit more than the header.
    for (int i = 0; i < 60; ++i) {
      std::string key = "Software\\Filler\\K" + std::to_string(i);
      ASSERT_EQ(Put(HKEY_CURRENT_USER, key.c_str(), "v", REG_BINARY, std::string(300, 'f')),
                ERROR_SUCCESS);
    }
    ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Before", "v", REG_SZ, Sz("old")), ERROR_SUCCESS);
    c.damage(path);
    const std::string damaged = ReadWholeFile(path);

    DWORD type = 0;
    std::string bytes;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\Before", "v", &type, &bytes), c.read);
    EXPECT_EQ(Put(HKEY_CURRENT_USER, "Software\\After", "v", REG_SZ, Sz("new")), c.write);
    if (c.write == ERROR_SUCCESS) {
      EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\After", "v", &type, &bytes), ERROR_SUCCESS);
      EXPECT_EQ(bytes, Sz("new"));
    }
    std::string warnings = ::testing::internal::GetCapturedStderr();

    std::vector<std::string> aside;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::string name = entry.path().filename().string();
      if (name.find(".corrupt-") != std::string::npos) aside.push_back(name);
    }
    std::sort(aside.begin(), aside.end());
    if (!c.moved) {
      EXPECT_THAT(aside, ::testing::IsEmpty());
      EXPECT_EQ(warnings, "");
      if (c.write != ERROR_SUCCESS) {
        EXPECT_EQ(ReadWholeFile(path), damaged);  // left alone
      }
      continue;
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_THAT(aside[0], MatchesRegex("registry\\.db\\.corrupt-[0-9]{8}T[0-9]{6}Z"));
    EXPECT_EQ(ReadWholeFile(dir + "/" + aside[0]), damaged);
    // One line, once, naming both files.
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
    EXPECT_THAT(warnings, HasSubstr(path + " is not usable"));
    EXPECT_THAT(warnings, HasSubstr(dir + "/" + aside[0]));
  }
}

// The SQLite companions of a bad file go with it (a write-ahead log or
// journal left beside a new store would be played into it), and a name
// already taken by an earlier move is never overwritten.
TEST_F(StoreTest, MovingAsideTakesTheCompanionsAndOverwritesNothing) {
  const std::string path = NewTempDir("aside") + "/registry.db";
  std::vector<std::string> moved;
  for (int round = 0; round < 3; ++round) {
    WriteWholeFile(path, "store " + std::to_string(round));
    WriteWholeFile(path + "-wal", "wal " + std::to_string(round));
    if (round == 1) WriteWholeFile(path + "-journal", "journal 1");
    std::string aside;
    std::string error;
    ASSERT_TRUE(MoveStoreAside(path, &aside, &error)) << error;
    moved.push_back(aside);
  }
  // Within one second the names are <base>, <base>-2, <base>-3; across a
  // second boundary the stamp differs. Either way each holds its own round.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_THAT(moved[round],
                MatchesRegex(".*/registry\\.db\\.corrupt-[0-9]{8}T[0-9]{6}Z(-[23])?"));
    EXPECT_EQ(ReadWholeFile(moved[round]), "store " + std::to_string(round));
    EXPECT_EQ(ReadWholeFile(moved[round] + "-wal"), "wal " + std::to_string(round));
  }
  EXPECT_EQ(ReadWholeFile(moved[1] + "-journal"), "journal 1");
  for (const char* suffix : {"", "-wal", "-journal", "-shm"}) {
    EXPECT_FALSE(std::filesystem::exists(path + suffix)) << suffix;
  }
}

// A lock held past the busy timeout fails the call with an error code and
// leaves the file in place; once the lock is gone, the calls work again.
TEST_F(StoreTest, StoreLockedByAnotherProcessFailsCallsButIsNotMovedAside) {
  struct Case {
    const char* lock;
    LONG read;
    LONG write;
  };
  const std::vector<Case> cases = {
      {"BEGIN EXCLUSIVE", ERROR_CANTREAD, ERROR_CANTWRITE},
      {"BEGIN IMMEDIATE", ERROR_SUCCESS, ERROR_CANTWRITE},
  };
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Locked", "v", REG_SZ, Sz("kept")), ERROR_SUCCESS);
  SetBusyTimeoutForTesting(300);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lock);
    Child locker(QB_REGISTRY_TEST_HELPER, {"lock", c.lock});
    ASSERT_TRUE(locker.started());
    ASSERT_EQ(locker.ReadLine(), "locked");

    DWORD type = 0;
    std::string bytes;
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\Locked", "v", &type, &bytes), c.read);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_BINARY, nullptr, 0), c.write);
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Locked\\New", &key), c.write);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Locked"), c.write);

    locker.CloseInput();
    EXPECT_EQ(locker.Wait(), 0);
    EXPECT_THAT(AsideFiles(), ::testing::IsEmpty());
    ASSERT_EQ(Get(HKEY_CURRENT_USER, "Software\\Locked", "v", &type, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, Sz("kept"));
    EXPECT_EQ(Put(HKEY_CURRENT_USER, "Software\\Locked", "w", REG_SZ, Sz("later")), ERROR_SUCCESS);
  }
}

}  // namespace
}  // namespace qb::registry
