// The types, constants and ANSI functions of the original platform's system
// libraries that the stand-ins under platform/ provide.
//
// Key handles are 32-bit values, as the library's callers hold them: the
// predefined roots are 0x80000000 and up; a handle returned by
// RegOpenKeyA/RegCreateKeyA is a small positive number valid in the process
// that opened it until RegCloseKey. Texts are NUL-terminated code page 932
// bytes. Every function returns ERROR_SUCCESS (0) or one of the ERROR_ codes
// below, as the original does.
#pragma once

#include <cstdint>

extern "C" {

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef uint32_t HKEY;
typedef HKEY* PHKEY;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;

#define HKEY_CLASSES_ROOT ((HKEY)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)0x80000002u)

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

// advapi32: the registry.
LONG RegOpenKeyA(HKEY key, LPCSTR sub_key, PHKEY result);
LONG RegCreateKeyA(HKEY key, LPCSTR sub_key, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);
LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type, LPCBYTE data,
                    DWORD data_size);
LONG RegDeleteValueA(HKEY key, LPCSTR value_name);
LONG RegDeleteKeyA(HKEY key, LPCSTR sub_key);
LONG RegCloseKey(HKEY key);

// kernel32: the Windows directory and INI files (platform/kernel32/kernel32.h
// states the contract). Texts are NUL-terminated code page 932 bytes.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR default_value, LPSTR out, DWORD size,
                               LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file);

// user32: windows and the screen, on the process's Qt application
// (platform/user32/user32.h states the contract). A window handle is the
// window's Qt winId(); automation carries it as a 32-bit "long", which the
// callee sign-extends (handles of X11 and of the offscreen platform fit into
// 32 bits).
typedef intptr_t HWND;
typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT;
typedef RECT* LPRECT;

#define GWL_HWNDPARENT (-8)
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

BOOL GetWindowRect(HWND window, LPRECT rect);
WORD SetWindowWord(HWND window, int index, WORD new_word);
int GetSystemMetrics(int index);
UINT GetDpiForSystem(void);

}  // extern "C"
