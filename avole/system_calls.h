// The external function table: the system functions AVOLE's methods call,
// each named by library and export name and bound on its first use. The
// library named in the table is loaded through the LoadLibraryA stand-in
// (which maps "advapi32", "advapi32.dll", "kernel32" and "user32" to our
// stand-in libraries), the function is looked up by its exact name, and its
// address is kept in the slot, so every later call goes straight to it.
// "user32" brings Qt into the process; only the methods that work on windows
// bind it.
//
// A slot whose library or function cannot be bound gives null; a method then
// fails with kBindFailure, which its client sees as the call's error.
#pragma once

#include "platform/com/base.h"
#include "platform/com/loader.h"
#include "platform/win32.h"

namespace avole {

// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)
inline constexpr HRESULT kBindFailure = static_cast<HRESULT>(0x8007007F);

using GetWindowsDirectoryAFn = UINT(LPSTR, UINT);

extern qb::BoundFunction<decltype(RegOpenKeyA)> g_RegOpenKeyA;
extern qb::BoundFunction<decltype(RegCreateKeyA)> g_RegCreateKeyA;
extern qb::BoundFunction<decltype(RegQueryValueExA)> g_RegQueryValueExA;
extern qb::BoundFunction<decltype(RegSetValueExA)> g_RegSetValueExA;
extern qb::BoundFunction<decltype(RegDeleteValueA)> g_RegDeleteValueA;
extern qb::BoundFunction<decltype(RegDeleteKeyA)> g_RegDeleteKeyA;
extern qb::BoundFunction<decltype(RegCloseKey)> g_RegCloseKey;
extern qb::BoundFunction<GetWindowsDirectoryAFn> g_GetWindowsDirectoryA;
extern qb::BoundFunction<decltype(GetPrivateProfileStringA)> g_GetPrivateProfileStringA;
extern qb::BoundFunction<decltype(WritePrivateProfileStringA)> g_WritePrivateProfileStringA;
extern qb::BoundFunction<decltype(GetWindowRect)> g_GetWindowRect;
extern qb::BoundFunction<decltype(SetWindowWord)> g_SetWindowWord;
// Not in the original table: the original read the screen through its GUI
// toolkit's screen object, which this library, free of any toolkit, reads
// through these two functions of the same user32 stand-in instead.
extern qb::BoundFunction<decltype(GetSystemMetrics)> g_GetSystemMetrics;
extern qb::BoundFunction<decltype(GetDpiForSystem)> g_GetDpiForSystem;

// The library's start-up: runs once per process, before the first class
// object is handed out. Fills `WindowsDirectory` from GetWindowsDirectoryA
// with a 256-byte buffer ("" when that fails or cannot be bound).
void StartUp();

// The library-wide `WindowsDirectory`, as start-up left it.
const char16_t* WindowsDirectory();

}  // namespace avole
