#include "avole/system_calls.h"

#include <mutex>
#include <string>

#include "platform/com/ansi.h"

namespace avole {

// The library names are written as the table has them, spelling included.
qb::BoundFunction<decltype(RegOpenKeyA)> g_RegOpenKeyA{"advapi32.dll", "RegOpenKeyA"};
qb::BoundFunction<decltype(RegCreateKeyA)> g_RegCreateKeyA{"advapi32.dll", "RegCreateKeyA"};
qb::BoundFunction<decltype(RegQueryValueExA)> g_RegQueryValueExA{"advapi32", "RegQueryValueExA"};
qb::BoundFunction<decltype(RegSetValueExA)> g_RegSetValueExA{"advapi32.dll", "RegSetValueExA"};
qb::BoundFunction<decltype(RegDeleteValueA)> g_RegDeleteValueA{"advapi32.dll", "RegDeleteValueA"};
qb::BoundFunction<decltype(RegDeleteKeyA)> g_RegDeleteKeyA{"advapi32.dll", "RegDeleteKeyA"};
qb::BoundFunction<decltype(RegCloseKey)> g_RegCloseKey{"advapi32.dll", "RegCloseKey"};
qb::BoundFunction<GetWindowsDirectoryAFn> g_GetWindowsDirectoryA{"kernel32",
                                                                 "GetWindowsDirectoryA"};
qb::BoundFunction<decltype(GetPrivateProfileStringA)> g_GetPrivateProfileStringA{
    "kernel32", "GetPrivateProfileStringA"};
qb::BoundFunction<decltype(WritePrivateProfileStringA)> g_WritePrivateProfileStringA{
    "kernel32", "WritePrivateProfileStringA"};
qb::BoundFunction<decltype(GetWindowRect)> g_GetWindowRect{"user32", "GetWindowRect"};
qb::BoundFunction<decltype(SetWindowWord)> g_SetWindowWord{"user32", "SetWindowWord"};
qb::BoundFunction<decltype(GetSystemMetrics)> g_GetSystemMetrics{"user32", "GetSystemMetrics"};
qb::BoundFunction<decltype(GetDpiForSystem)> g_GetDpiForSystem{"user32", "GetDpiForSystem"};

namespace {

// A plain array, not a std::u16string: a library-wide object with a
// destructor is not needed for a text that lives as long as the library.
char16_t g_windows_directory[512];
std::once_flag g_start_up;

}  // namespace

void StartUp() {
  std::call_once(g_start_up, [] {
    // A buffer of 256 spaces and its terminating NUL.
    std::string buffer(256, ' ');
    UINT n = 0;
    if (auto* fn = g_GetWindowsDirectoryA.get()) n = fn(buffer.data(), 256);
    // More than the buffer holds means the size it would need: nothing was
    // written, so the directory stays unknown.
    if (n == 0 || n >= 256) return;
    std::u16string text = qb::com_internal::FromAnsi(std::string_view(buffer.data(), n));
    size_t length = std::min(text.size(), std::size(g_windows_directory) - 1);
    text.copy(g_windows_directory, length);
    g_windows_directory[length] = u'\0';
  });
}

const char16_t* WindowsDirectory() { return g_windows_directory; }

}  // namespace avole
