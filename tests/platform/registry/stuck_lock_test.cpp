// A store that another process keeps locked for longer than the busy
// timeout (a process that hangs, or is stopped, in the middle of a write):
// a caller that makes a series of calls, as Quillbox reads its ten settings
// at start-up, is held up by the whole timeout once, not once per call.
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "platform/win32.h"
#include "tests/platform/registry/registry_fixture.h"

namespace qb::registry {
namespace {

using StuckLockTest = RegistryTest;
using Clock = std::chrono::steady_clock;

int64_t MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(StuckLockTest, ASeriesOfCallsWaitsForAStuckLockOnce) {
  constexpr int kTimeoutMs = 1500;
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Stuck", "v", REG_SZ, Sz("kept")), ERROR_SUCCESS);
  SetBusyTimeoutForTesting(kTimeoutMs);
  DWORD type = 0;
  std::string bytes;
  {
    Child locker(QB_REGISTRY_TEST_HELPER, {"lock", "BEGIN EXCLUSIVE"});
    ASSERT_TRUE(locker.started());
    ASSERT_EQ(locker.ReadLine(), "locked");
    // The first call waits the whole timeout for the lock.
    Clock::time_point start = Clock::now();
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\Stuck", "v", &type, &bytes), ERROR_CANTREAD);
    EXPECT_GE(MillisecondsSince(start), kTimeoutMs);
    // The calls after it fail as well, but five of them together take less
    // time than the first one alone.
    start = Clock::now();
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\Stuck", "v", &type, &bytes), ERROR_CANTREAD);
    }
    EXPECT_EQ(Put(HKEY_CURRENT_USER, "Software\\Stuck", "w", REG_SZ, Sz("lost")), ERROR_CANTWRITE);
    EXPECT_LT(MillisecondsSince(start), kTimeoutMs);
    locker.CloseInput();
    EXPECT_EQ(locker.Wait(), 0);
  }
  // Once the lock is gone the calls work, and a later lock is waited for
  // with the whole timeout again.
  ASSERT_EQ(Get(HKEY_CURRENT_USER, "Software\\Stuck", "v", &type, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, Sz("kept"));
  Child locker(QB_REGISTRY_TEST_HELPER, {"lock", "BEGIN EXCLUSIVE"});
  ASSERT_TRUE(locker.started());
  ASSERT_EQ(locker.ReadLine(), "locked");
  Clock::time_point start = Clock::now();
  EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software\\Stuck", "v", &type, &bytes), ERROR_CANTREAD);
  EXPECT_GE(MillisecondsSince(start), kTimeoutMs);
  locker.CloseInput();
  EXPECT_EQ(locker.Wait(), 0);
}

}  // namespace
}  // namespace qb::registry
