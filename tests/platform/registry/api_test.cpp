// The seven registry functions against a real store in a temporary
// XDG_CONFIG_HOME: paths, handles, values and their error codes.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "platform/win32.h"
#include "tests/platform/registry/registry_fixture.h"

namespace qb::registry {
namespace {

// Code page 932 names whose second bytes look like ASCII: "ソフト" has a
// backslash (0x5C) inside "ソ", and "ア" (0x83 0x41) and "ッ" (0x83 0x61)
// differ only in a byte that would be a letter's case.
constexpr char kSofuto[] = "\x83\x5C\x83\x74\x83\x67";
constexpr char kA[] = "\x83\x41";
constexpr char kTsu[] = "\x83\x61";

using ApiTest = RegistryTest;

// The value "marker" of the key |key| names.
std::string Marker(HKEY key) {
  std::string bytes(32, '\0');
  DWORD size = 32;
  LONG rc = RegQueryValueExA(key, "marker", nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()),
                             &size);
  return rc == ERROR_SUCCESS ? bytes.substr(0, size) : "<" + std::to_string(rc) + ">";
}

TEST_F(ApiTest, KeyPathsAreFoundWithoutRegardToCaseAndOnlyWhereTheyWereCreated) {
  struct Created {
    HKEY root;
    std::string path;
    std::string marker;
  };
  const std::vector<Created> created = {
      {HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", "configs"},
      {HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\{98FCF989-F5E7-11CF-9A73-444553540000}",
       "clsid"},
      {HKEY_LOCAL_MACHINE, "Software\\Machine", "machine"},
      {HKEY_CURRENT_USER, std::string("Software\\") + kSofuto + "\\Sub", "sofuto"},
      {HKEY_CURRENT_USER, std::string("Software\\") + kA, "a"},
  };
  for (const Created& key : created) {
    ASSERT_EQ(Put(key.root, key.path.c_str(), "marker", REG_SZ, key.marker), ERROR_SUCCESS)
        << key.path;
  }

  struct Case {
    HKEY root;
    std::string path;
    LONG expected;
    std::string marker;
  };
  const std::vector<Case> cases = {
      {HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\Configs", ERROR_SUCCESS, "configs"},
      {HKEY_CURRENT_USER, "SOFTWARE\\arvenda\\QUILLBOX95\\cOnFiGs", ERROR_SUCCESS, "configs"},
      {HKEY_CURRENT_USER, "Software\\\\Arvenda\\Quillbox95\\Configs\\", ERROR_SUCCESS, "configs"},
      {HKEY_CURRENT_USER, "\\Software\\Arvenda", ERROR_BAD_PATHNAME, ""},
      {HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox96", ERROR_FILE_NOT_FOUND, ""},
      {HKEY_CLASSES_ROOT, "CLSID\\{98fcf989-f5e7-11cf-9a73-444553540000}", ERROR_SUCCESS, "clsid"},
      {HKEY_LOCAL_MACHINE, "Software\\Arvenda", ERROR_FILE_NOT_FOUND, ""},
      {HKEY_CURRENT_USER, "Software\\Machine", ERROR_FILE_NOT_FOUND, ""},
      {HKEY_LOCAL_MACHINE, "software\\MACHINE", ERROR_SUCCESS, "machine"},
      {HKEY_CURRENT_USER, std::string("Software\\") + kSofuto + "\\SUB", ERROR_SUCCESS, "sofuto"},
      {HKEY_CURRENT_USER, "Software\\\x83", ERROR_FILE_NOT_FOUND, ""},
      {HKEY_CURRENT_USER, std::string("Software\\") + kA, ERROR_SUCCESS, "a"},
      {HKEY_CURRENT_USER, std::string("Software\\") + kTsu, ERROR_FILE_NOT_FOUND, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    HKEY key = 777;
    EXPECT_EQ(RegOpenKeyA(c.root, c.path.c_str(), &key), c.expected);
    if (c.expected != ERROR_SUCCESS) {
      EXPECT_EQ(key, 0u);  // a failed open leaves nothing to close
      continue;
    }
    EXPECT_EQ(Marker(key), c.marker);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
}

TEST_F(ApiTest, CreateMakesEveryMissingLevelAndOpensAnExistingKey) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Arvenda\\Quillbox95\\FormPoint", &key),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Top", 0, REG_SZ, reinterpret_cast<const BYTE*>("60"), 3),
            ERROR_SUCCESS);
  RegCloseKey(key);
  for (const char* level : {"Software\\Arvenda", "Software\\Arvenda\\Quillbox95",
                            "Software\\Arvenda\\Quillbox95\\FormPoint"}) {
    HKEY opened = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, level, &opened), ERROR_SUCCESS) << level;
    RegCloseKey(opened);
  }
  // Creating again, in another spelling, opens the same key with its values.
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "software\\arvenda\\quillbox95\\formpoint", &key),
            ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "TOP", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  RegCloseKey(key);
  // Below an opened handle, relative paths work the same.
  HKEY base = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Arvenda", &base), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyA(base, "New\\Deeper", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Arvenda\\New\\Deeper", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  RegCloseKey(base);
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "\\Software\\Other", &key), ERROR_BAD_PATHNAME);
}

TEST_F(ApiTest, NullOrEmptySubKeyGivesBackTheSameHandle) {
  HKEY opened = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Same", &opened), ERROR_SUCCESS);
  using OpenFunction = LONG (*)(HKEY, LPCSTR, PHKEY);
  for (OpenFunction open : {&RegOpenKeyA, &RegCreateKeyA}) {
    for (HKEY key : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, opened}) {
      for (const char* sub_key : {static_cast<const char*>(nullptr), ""}) {
        HKEY result = 0;
        EXPECT_EQ(open(key, sub_key, &result), ERROR_SUCCESS);
        EXPECT_EQ(result, key);
      }
    }
  }
  EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
  HKEY result = 777;
  EXPECT_EQ(RegOpenKeyA(opened, "", &result), ERROR_INVALID_HANDLE);
  EXPECT_EQ(result, 0u);
}

TEST_F(ApiTest, HandlesAreSmallDistinctAndClosedOneByOne) {
  HKEY first = 0;
  HKEY second = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Handles", &first), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Handles", &second), ERROR_SUCCESS);
  EXPECT_GT(first, 0u);
  EXPECT_LT(first, 0x80000000u);
  EXPECT_NE(first, second);
  EXPECT_EQ(RegCloseKey(first), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExA(second, "still", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(second), ERROR_SUCCESS);
  // Closing the null handle fails harmlessly; the predefined roots are never
  // really closed.
  EXPECT_EQ(RegCloseKey(0), ERROR_INVALID_HANDLE);
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(root, "after close", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
  }
}

TEST_F(ApiTest, ValuesComeBackWithTheirTypeAndExactBytes) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"Editor", REG_SZ, Sz("C:\\Program Files\\edit.exe")},
      {"after nul", REG_SZ, std::string("abc\0de\0", 7)},
      {"no terminator", REG_SZ, "abc"},
      {"empty text", REG_SZ, Sz("")},
      {"zero bytes", REG_SZ, ""},
      {"japanese", REG_SZ, Sz("\x93\xfa\x96\x7b\x8c\xea")},  // 日本語
      {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {"binary", REG_BINARY, std::string("\0\xff\0\x01", 4)},
      {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
      {"odd type", 0x12345, "x"},
      {"large", REG_BINARY, std::string(100000, '\x5a')},
  };
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Values", &key), ERROR_SUCCESS);
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS)
        << c.name;
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DWORD stored = static_cast<DWORD>(c.bytes.size());
    // The size query: a null data pointer.
    DWORD type = 0;
    DWORD size = 12345;
    ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, stored);
    EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    // A buffer larger than needed: the bytes, the size, nothing past them.
    std::string buffer(stored + 8, '#');
    size = static_cast<DWORD>(buffer.size());
    type = 0;
    ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, stored);
    EXPECT_EQ(buffer.substr(0, stored), c.bytes);
    EXPECT_EQ(buffer.substr(stored), std::string(8, '#'));
    if (stored == 0) continue;
    // One byte short: ERROR_MORE_DATA with the needed size, buffer untouched.
    std::string small(stored - 1, '#');
    size = stored - 1;
    type = 0;
    EXPECT_EQ(
        RegQueryValueExA(key, c.name, nullptr, &type, reinterpret_cast<BYTE*>(small.data()), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, stored);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(small, std::string(stored - 1, '#'));
  }
  RegCloseKey(key);
}

TEST_F(ApiTest, ValueNamesFoldAsciiCaseAndNullMeansTheDefaultValue) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Names", &key), ERROR_SUCCESS);
  auto set = [key](const char* name, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  };
  auto get = [key](const char* name) {
    std::string bytes(64, '\0');
    DWORD size = 64;
    LONG rc =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size);
    return rc == ERROR_SUCCESS ? bytes.substr(0, size) : "<" + std::to_string(rc) + ">";
  };
  ASSERT_EQ(set(nullptr, "default"), ERROR_SUCCESS);
  ASSERT_EQ(set("EditOpt", "opt"), ERROR_SUCCESS);
  ASSERT_EQ(set(kA, "a"), ERROR_SUCCESS);
  ASSERT_EQ(set(kTsu, "tsu"), ERROR_SUCCESS);
  EXPECT_EQ(get(""), "default");
  EXPECT_EQ(get(nullptr), "default");
  EXPECT_EQ(get("editopt"), "opt");
  EXPECT_EQ(get("EDITOPT"), "opt");
  EXPECT_EQ(get(kA), "a");
  EXPECT_EQ(get(kTsu), "tsu");
  EXPECT_EQ(get("Missing"), "<2>");

  // Writing under another spelling replaces the value, type and size included.
  ASSERT_EQ(
      RegSetValueExA(key, "EDITOPT", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
      ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "EditOpt", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);

  EXPECT_EQ(RegDeleteValueA(key, "editOPT"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "EditOpt"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(get("EditOpt"), "<2>");
  EXPECT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(get(""), "<2>");
  EXPECT_EQ(get(kA), "a");
  RegCloseKey(key);
}

TEST_F(ApiTest, DeleteKeyRefusesKeysWithSubkeysAndTheRoots) {
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Del\\Parent\\Child", "v", REG_SZ, Sz("c")),
            ERROR_SUCCESS);
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Del\\Parent", "v", REG_SZ, Sz("p")), ERROR_SUCCESS);
  HKEY del = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Del", &del), ERROR_SUCCESS);

  struct Case {
    HKEY key;
    const char* sub_key;
    LONG expected;
  };
  const std::vector<Case> cases = {
      {del, "Parent", ERROR_ACCESS_DENIED},  // has a subkey
      {del, "Missing", ERROR_FILE_NOT_FOUND},
      {del, nullptr, ERROR_INVALID_PARAMETER},
      {del, "\\Parent", ERROR_BAD_PATHNAME},
      {HKEY_CURRENT_USER, "", ERROR_ACCESS_DENIED},
      {HKEY_CLASSES_ROOT, "", ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "", ERROR_ACCESS_DENIED},
      {HKEY_CURRENT_USER, "Software\\Classes", ERROR_ACCESS_DENIED},  // even when empty
      {HKEY_CURRENT_USER, "Software", ERROR_ACCESS_DENIED},
      {0, "Parent", ERROR_INVALID_HANDLE},
      {del, "PARENT\\child", ERROR_SUCCESS},
      {del, "parent", ERROR_SUCCESS},  // no subkey left now
      {del, "Parent", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegDeleteKeyA(c.key, c.sub_key), c.expected)
        << (c.sub_key == nullptr ? "(null)" : c.sub_key);
  }
  // The values went with the key: a new key of the same name has none.
  HKEY again = 0;
  ASSERT_EQ(RegCreateKeyA(del, "Parent", &again), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(again, "v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(again);
  // An empty sub_key deletes the key of the handle itself.
  EXPECT_EQ(RegDeleteKeyA(del, "Parent"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(del, ""), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Del", &again), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(del), ERROR_SUCCESS);
}

// Every function on every kind of handle that names no usable key.
TEST_F(ApiTest, BadHandlesGiveInvalidHandleAndDeletedKeysGiveKeyDeleted) {
  HKEY closed = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Closed", &closed), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  HKEY deleted = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Doomed", &deleted), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);
  // The same name again is another key: the old handle stays deleted.
  ASSERT_EQ(Put(HKEY_CURRENT_USER, "Software\\Doomed", "v", REG_SZ, Sz("new")), ERROR_SUCCESS);

  struct Operation {
    const char* name;
    std::function<LONG(HKEY)> call;
  };
  const BYTE byte = 1;
  DWORD size = 0;
  HKEY result = 0;
  const std::vector<Operation> operations = {
      {"open", [&](HKEY key) { return RegOpenKeyA(key, "x", &result); }},
      {"open self", [&](HKEY key) { return RegOpenKeyA(key, "", &result); }},
      {"create", [&](HKEY key) { return RegCreateKeyA(key, "x", &result); }},
      {"query",
       [&](HKEY key) { return RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size); }},
      {"set", [&](HKEY key) { return RegSetValueExA(key, "v", 0, REG_BINARY, &byte, 1); }},
      {"delete value", [&](HKEY key) { return RegDeleteValueA(key, "v"); }},
      {"delete key", [&](HKEY key) { return RegDeleteKeyA(key, "x"); }},
  };
  struct Handle {
    const char* name;
    HKEY key;
    LONG expected;
  };
  const std::vector<Handle> handles = {
      {"null", 0, ERROR_INVALID_HANDLE},
      {"never opened", 12345, ERROR_INVALID_HANDLE},
      {"closed", closed, ERROR_INVALID_HANDLE},
      {"HKEY_USERS", 0x80000003u, ERROR_INVALID_HANDLE},
      {"deleted key", deleted, ERROR_KEY_DELETED},
  };
  for (const Handle& handle : handles) {
    for (const Operation& operation : operations) {
      EXPECT_EQ(operation.call(handle.key), handle.expected)
          << operation.name << " on " << handle.name;
    }
  }
  EXPECT_EQ(RegCloseKey(deleted), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(12345), ERROR_INVALID_HANDLE);
}

TEST_F(ApiTest, InvalidParametersAreRefusedBeforeAnythingChanges) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Params", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("ok"), 3),
            ERROR_SUCCESS);
  DWORD reserved = 0;
  DWORD size = 0;
  BYTE buffer[8];
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Never", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "v", &reserved, nullptr, nullptr, &size),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, nullptr, 5), ERROR_INVALID_PARAMETER);
  // A set value with no bytes is a value of size 0.
  EXPECT_EQ(RegSetValueExA(key, "empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "empty", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  HKEY never = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Never", &never), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

}  // namespace
}  // namespace qb::registry
