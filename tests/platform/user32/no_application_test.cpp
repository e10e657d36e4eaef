// libqb_user32.so, loaded at run time as a caller binds it, in a process
// without a QApplication: every function fails harmlessly.
#include <dlfcn.h>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

template <typename Fn>
Fn* Bind(void* library, const char* name) {
  return reinterpret_cast<Fn*>(dlsym(library, name));
}

void ExpectHarmlessFailures(void* library) {
  auto* get_rect = Bind<decltype(GetWindowRect)>(library, "GetWindowRect");
  auto* set_word = Bind<decltype(SetWindowWord)>(library, "SetWindowWord");
  auto* metrics = Bind<decltype(GetSystemMetrics)>(library, "GetSystemMetrics");
  auto* dpi = Bind<decltype(GetDpiForSystem)>(library, "GetDpiForSystem");
  ASSERT_TRUE(get_rect && set_word && metrics && dpi);
  RECT rect = {1, 2, 3, 4};
  EXPECT_FALSE(get_rect(1, &rect));
  EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 10);
  EXPECT_EQ(set_word(1, GWL_HWNDPARENT, 2), 0);
  EXPECT_EQ(metrics(SM_CXSCREEN), 0);
  EXPECT_EQ(metrics(SM_CYSCREEN), 0);
  EXPECT_EQ(dpi(), 96u);
}

TEST(User32WithoutApplicationTest, EveryFunctionFailsHarmlessly) {
  void* library = dlopen(QB_USER32_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  ExpectHarmlessFailures(library);
  // A Qt application without widgets is no better.
  int argc = 1;
  char name[] = "user32_test";
  char* argv[] = {name, nullptr};
  {
    QCoreApplication app(argc, argv);
    ExpectHarmlessFailures(library);
  }
  dlclose(library);
}

}  // namespace
