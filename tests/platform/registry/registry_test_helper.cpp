// A separate process for the registry tests. Uses the store named by the
// XDG_CONFIG_HOME it inherits.
//
//   write <prefix> <count>  after a line on stdin, stores <count> values
//                           <prefix><i> = "<prefix>-<i>" under
//                           HKCU\Software\QbTest\Concurrent; exit 1 on the
//                           first failure.
//   burst                   rewrites the values V0..V49 of
//                           HKCU\Software\QbTest\Burst generation after
//                           generation ("gen-<g>-<i>-" and i*400 'x'), and
//                           creates Burst\G<g>\A\B after each generation;
//                           says "running" after its first write. Runs
//                           until killed.
//   lock <sql>              opens the store file directly, runs <sql> (such
//                           as "BEGIN EXCLUSIVE"), says "locked" and keeps
//                           the lock until its stdin ends.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/registry/registry.h"
#include "platform/win32.h"

namespace {

LONG SetString(HKEY key, const std::string& name, const std::string& text) {
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

int Write(const std::string& prefix, int count) {
  std::string go;
  std::getline(std::cin, go);
  HKEY key = 0;
  LONG rc = RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QbTest\\Concurrent", &key);
  for (int i = 0; rc == ERROR_SUCCESS && i < count; ++i) {
    rc = SetString(key, prefix + std::to_string(i), prefix + "-" + std::to_string(i));
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) std::fprintf(stderr, "write %s failed: %d\n", prefix.c_str(), rc);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

int Burst() {
  HKEY key = 0;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QbTest\\Burst", &key) != ERROR_SUCCESS) return 1;
  bool said = false;
  for (int generation = 1;; ++generation) {
    for (int i = 0; i < 50; ++i) {
      std::string text = "gen-" + std::to_string(generation) + "-" + std::to_string(i) + "-" +
                         std::string(static_cast<size_t>(i) * 400, 'x');
      if (SetString(key, "V" + std::to_string(i), text) != ERROR_SUCCESS) return 1;
      if (!said) {
        std::printf("running\n");
        std::fflush(stdout);
        said = true;
      }
    }
    HKEY deep = 0;
    std::string path = "G" + std::to_string(generation) + "\\A\\B";
    if (RegCreateKeyA(key, path.c_str(), &deep) != ERROR_SUCCESS) return 1;
    RegCloseKey(deep);
  }
}

int Lock(const std::string& sql) {
  sqlite3* db = nullptr;
  std::string path = qb::registry::StorePath();
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 1;
  sqlite3_busy_timeout(db, 5000);
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "lock: %s\n", sqlite3_errmsg(db));
    return 1;
  }
  std::printf("locked\n");
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "write") == 0) return Write(argv[2], std::atoi(argv[3]));
  if (argc == 2 && std::strcmp(argv[1], "burst") == 0) return Burst();
  if (argc == 3 && std::strcmp(argv[1], "lock") == 0) return Lock(argv[2]);
  std::fprintf(stderr, "usage: registry_test_helper write|burst|lock ...\n");
  return 2;
}
