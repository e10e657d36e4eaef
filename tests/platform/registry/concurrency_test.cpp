// Several processes and threads on one store, and a process killed while it
// writes.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "platform/win32.h"
#include "tests/platform/registry/registry_fixture.h"

namespace qb::registry {
namespace {

using ConcurrencyTest = RegistryTest;

// True when |bytes| is a whole value V<i> of the burst writer:
// "gen-<g>-<i>-", i*400 'x' and a NUL.
bool IsBurstValue(const std::string& bytes, int i) {
  size_t dash = bytes.find('-', 4);
  if (bytes.compare(0, 4, "gen-") != 0 || dash == std::string::npos || dash == 4) return false;
  if (bytes.find_first_not_of("0123456789", 4) != dash) return false;
  std::string rest = "-" + std::to_string(i) + "-" + std::string(static_cast<size_t>(i) * 400, 'x');
  return bytes.substr(dash) == rest + '\0';
}

TEST_F(ConcurrencyTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kEach = 1000;
  Child first(QB_REGISTRY_TEST_HELPER, {"write", "A", std::to_string(kEach)});
  Child second(QB_REGISTRY_TEST_HELPER, {"write", "B", std::to_string(kEach)});
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(second.started());
  first.WriteLine("go");
  second.WriteLine("go");
  int first_status = first.Wait();
  int second_status = second.Wait();
  ASSERT_TRUE(WIFEXITED(first_status) && WEXITSTATUS(first_status) == 0) << first_status;
  ASSERT_TRUE(WIFEXITED(second_status) && WEXITSTATUS(second_status) == 0) << second_status;

  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QbTest\\Concurrent", &key), ERROR_SUCCESS);
  int found = 0;
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kEach; ++i) {
      std::string name = prefix + std::to_string(i);
      char buffer[32];
      DWORD size = sizeof buffer;
      if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                           &size) == ERROR_SUCCESS &&
          std::string(buffer, size) == Sz(std::string(prefix) + "-" + std::to_string(i))) {
        ++found;
      }
    }
  }
  EXPECT_EQ(found, 2 * kEach);
  RegCloseKey(key);
}

// Processes that find the same bad file at once move it aside once: none
// of them moves the new store that another has just started.
TEST_F(ConcurrencyTest, ProcessesFindingOneBadFileMoveItAsideOnce) {
  constexpr int kProcesses = 4;
  constexpr int kEach = 100;
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\QbTest", "v", REG_SZ, Sz("x")), ERROR_SUCCESS);
  WriteWholeFile(StoreFile(), std::string(8192, '\x5a'));
  std::vector<std::unique_ptr<Child>> writers;
  for (int p = 0; p < kProcesses; ++p) {
    writers.push_back(std::make_unique<Child>(
        QB_REGISTRY_TEST_HELPER,
        std::vector<std::string>{"write", "P" + std::to_string(p) + "_", std::to_string(kEach)}));
    ASSERT_TRUE(writers.back()->started());
  }
  // Holding the recovery lock lets every writer find the bad file before the
  // first of them may move it.
  int dir = open(StoreDir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dir, 0);
  ASSERT_EQ(flock(dir, LOCK_EX), 0);
  for (auto& writer : writers) writer->WriteLine("go");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  close(dir);
  for (auto& writer : writers) {
    int status = writer->Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(AsideFiles().size(), 1u);
  int found = 0;
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kEach; ++i) {
      std::string prefix = "P" + std::to_string(p) + "_";
      DWORD type = 0;
      std::string bytes;
      if (Get(HKEY_CURRENT_USER, "Software\\QbTest\\Concurrent",
              (prefix + std::to_string(i)).c_str(), &type, &bytes) == ERROR_SUCCESS &&
          bytes == Sz(prefix + "-" + std::to_string(i))) {
        ++found;
      }
    }
  }
  EXPECT_EQ(found, kProcesses * kEach);
}

// Each value is the one from before or one that the killed process wrote
// whole; each key path it created exists to its last level or not at all.
TEST_F(ConcurrencyTest, ProcessKilledMidBurstLeavesOldOrNewValues) {
  constexpr int kValues = 50;
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QbTest\\Burst", &key), ERROR_SUCCESS);
  for (int i = 0; i < kValues; ++i) {
    std::string old = Sz("old-" + std::to_string(i));
    ASSERT_EQ(
        RegSetValueExA(key, ("V" + std::to_string(i)).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(old.data()), static_cast<DWORD>(old.size())),
        ERROR_SUCCESS);
  }
  RegCloseKey(key);

  // About one kill in five lands inside a transaction (a journal is left
  // behind); several rounds make it all but certain that one does.
  for (int delay_ms : {5, 15, 30, 50, 80, 120, 170, 230}) {
    SCOPED_TRACE(delay_ms);
    {
      Child writer(QB_REGISTRY_TEST_HELPER, {"burst"});
      ASSERT_TRUE(writer.started());
      ASSERT_EQ(writer.ReadLine(), "running");
      std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      writer.Kill(SIGKILL);
      int status = writer.Wait();
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }
    ResetForTesting();  // as a new process: the file is checked afresh

    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QbTest\\Burst", &key), ERROR_SUCCESS);
    int rewritten = 0;
    for (int i = 0; i < kValues; ++i) {
      std::string name = "V" + std::to_string(i);
      std::string bytes(64 * 1024, '\0');
      DWORD size = static_cast<DWORD>(bytes.size());
      DWORD type = 0;
      ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(bytes.data()), &size),
                ERROR_SUCCESS)
          << name;
      bytes.resize(size);
      EXPECT_EQ(type, REG_SZ);
      if (bytes == Sz("old-" + std::to_string(i))) continue;
      EXPECT_TRUE(IsBurstValue(bytes, i)) << name << ": " << bytes.substr(0, 40);
      ++rewritten;
    }
    EXPECT_GT(rewritten, 0);  // the writer did get going
    for (int generation = 1;; ++generation) {
      std::string top = "G" + std::to_string(generation);
      HKEY level = 0;
      if (RegOpenKeyA(key, top.c_str(), &level) != ERROR_SUCCESS) break;
      RegCloseKey(level);
      EXPECT_EQ(RegOpenKeyA(key, (top + "\\A\\B").c_str(), &level), ERROR_SUCCESS) << top;
      RegCloseKey(level);
    }
    RegCloseKey(key);
    EXPECT_THAT(AsideFiles(), ::testing::IsEmpty());
  }
}

TEST_F(ConcurrencyTest, ThreadsShareTheHandleTableSafely) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 100;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < kRounds; ++i) {
        std::string path = "Software\\QbTest\\T" + std::to_string(t) + "\\K" + std::to_string(i);
        std::string text = Sz(path);
        HKEY key = 0;
        DWORD size = 0;
        if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS ||
            RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                           static_cast<DWORD>(text.size())) != ERROR_SUCCESS ||
            RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
            size != text.size() || RegCloseKey(key) != ERROR_SUCCESS) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_THAT(failures, ::testing::Each(0));
}

}  // namespace
}  // namespace qb::registry
