// Fuzz target: the INI stand-ins (GetPrivateProfileStringA and
// WritePrivateProfileStringA) on arbitrary file contents.
//
// Input: eight bytes that pick the names, the INI file's bytes, then two
// bytes that choose the buffer size and the write (FuzzedDataProvider takes
// numbers from the end). Section and key names
// are taken from the file itself (in another letter case, with blanks
// around them) or are new. Checks:
//  - a read with every argument shape (null section for the section list,
//    null key for the key list, null or given default, buffers of 0 to many
//    bytes, each exactly as large as the size passed) writes inside the
//    buffer, ends the text with a NUL (a list with two), returns the count
//    the contract gives, and copies the value, default or list expected;
//  - a write (set a value, delete a key, delete a section) that succeeds
//    reads back as written, leaves every other value of the file as it was
//    and leaves no temporary file; one that fails leaves the file untouched.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel32/ini_text.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/sandbox.h"

namespace qb::fuzz {
namespace {

using kernel32::IniText;
using kernel32::SameName;
using kernel32::TrimBlanks;
using kernel32::TrimTrailingBlanks;

std::string& Directory() {
  static std::string dir;
  return dir;
}

void WriteWhole(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good());
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a C caller passes: the bytes up to the first NUL.
std::string CString(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

// A name of the file in another letter case and with blanks around it, or a
// name that it does not hold.
std::string PickName(FuzzedDataProvider& in, const std::vector<std::string_view>& names) {
  uint8_t how = in.ConsumeIntegral<uint8_t>();
  std::string name;
  if (names.empty() || how % 4 == 0) {
    static const char* const kNew[] = {
        "New", "", "Prompts", "\x93\xfa\x96\x7b", "a b", "x]", "k=v", ";c", "[s", "  sp  "};
    name = kNew[how / 4 % std::size(kNew)];
  } else {
    name = CString(names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)]);
    if (how & 8) {
      for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
    }
    if (how & 16) name = " \t" + name + " ";
  }
  return name;
}

// The value that a read gives for a value written as |value|.
std::string AsRead(std::string_view value) {
  std::string_view v = TrimBlanks(value);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

// Every value that a read can reach: the keys of the first section of each
// name.
struct Reachable {
  std::string section;
  std::string key;
  std::optional<std::string> value;
};
std::vector<Reachable> AllValues(std::string_view bytes) {
  IniText text(bytes);
  std::vector<Reachable> all;
  for (std::string_view section : text.SectionNames()) {
    for (std::string_view key : text.KeyNames(section)) {
      std::optional<std::string_view> v = text.Find(section, key);
      all.push_back({std::string(section), std::string(key),
                     v ? std::optional<std::string>(std::string(*v)) : std::nullopt});
    }
  }
  return all;
}

// One read with the given argument shape, checked against |text|.
void CheckRead(const std::string& path, const IniText& text, const char* app, const char* key,
               const char* default_value, DWORD size) {
  std::unique_ptr<char[]> out(size > 0 ? new char[size] : nullptr);
  if (size > 0) std::memset(out.get(), 0x55, size);
  DWORD got = GetPrivateProfileStringA(app, key, default_value, out.get(), size, path.c_str());
  if (size == 0) {
    FUZZ_CHECK(got == 0);
    return;
  }
  std::string expected;
  bool list = app == nullptr || key == nullptr;
  if (list) {
    std::vector<std::string_view> names =
        app == nullptr ? text.SectionNames() : text.KeyNames(TrimBlanks(app));
    for (std::string_view n : names) expected.append(n).push_back('\0');
  } else if (auto v = text.Find(TrimBlanks(app), TrimBlanks(key))) {
    expected = std::string(*v);
  } else {
    expected = std::string(TrimTrailingBlanks(default_value ? default_value : ""));
  }
  if (!list) {
    size_t count = expected.size() < size ? expected.size() : size - 1;
    FUZZ_CHECK(got == count);
    FUZZ_CHECK(std::memcmp(out.get(), expected.data(), count) == 0 && out[count] == '\0');
    return;
  }
  if (expected.size() + 1 <= size) {
    FUZZ_CHECK(got == expected.size());
    FUZZ_CHECK(std::memcmp(out.get(), expected.data(), expected.size()) == 0);
    FUZZ_CHECK(out[expected.size()] == '\0');
    if (expected.empty() && size >= 2) FUZZ_CHECK(out[1] == '\0');
  } else if (size < 2) {
    FUZZ_CHECK(got == 0 && out[0] == '\0');
  } else {
    FUZZ_CHECK(got == size - 2);
    FUZZ_CHECK(std::memcmp(out.get(), expected.data(), size - 2) == 0);
    FUZZ_CHECK(out[size - 2] == '\0' && out[size - 1] == '\0');
  }
}

std::string ReadValue(const std::string& path, const std::string& app, const std::string& key,
                      size_t room) {
  std::vector<char> out(room + 64);  // room for the default too
  DWORD got = GetPrivateProfileStringA(app.c_str(), key.c_str(), "\x01missing", out.data(),
                                       static_cast<DWORD>(out.size()), path.c_str());
  return std::string(out.data(), got);
}

void CheckNoTemporaryFiles() {
  for (const auto& entry : std::filesystem::directory_iterator(Directory())) {
    FUZZ_CHECK(entry.path().filename() == "t.ini");
  }
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Nothing here names a file without a directory, but the sandbox keeps
  // the Windows directory inside the temporary one all the same.
  qb::fuzz::Directory() = qb::fuzz::MakeSandbox("ini");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb::fuzz;
  using qb::kernel32::IniText;
  FuzzedDataProvider in(data, size);
  const uint8_t op = in.ConsumeIntegral<uint8_t>();
  const uint8_t size_choice = in.ConsumeIntegral<uint8_t>();
  // The names are picked from the file, whose bytes are what is left.
  std::vector<uint8_t> picks = in.ConsumeBytes<uint8_t>(8);
  const std::string content = in.ConsumeRemainingBytesAsString();
  FuzzedDataProvider pick(picks.data(), picks.size());

  const std::string path = Directory() + "/t.ini";
  std::filesystem::remove(Directory() + "/t.ini");
  WriteWhole(path, content);
  IniText text(content);

  std::vector<std::string_view> sections = text.SectionNames();
  std::string app = PickName(pick, sections);
  std::string key = PickName(pick, text.KeyNames(TrimBlanks(app)));
  static const DWORD kSizes[] = {0, 1, 2, 3, 5, 16, 200, 70000};
  const DWORD read_size = kSizes[size_choice % std::size(kSizes)];
  const char* default_value = (size_choice & 0x10) ? nullptr : " default  ";

  CheckRead(path, text, app.c_str(), key.c_str(), default_value, read_size);
  CheckRead(path, text, nullptr, key.c_str(), default_value, read_size);
  CheckRead(path, text, app.c_str(), nullptr, default_value, read_size);
  CheckRead(path, text, nullptr, nullptr, nullptr, read_size);

  // A write, then what the file reads as.
  const std::vector<Reachable> before = AllValues(content);
  std::string value;
  const char* value_arg = nullptr;
  const char* key_arg = key.c_str();
  switch (op % 4) {
    case 0:  // a value of the file's own bytes
      value = CString(content.substr(content.empty() ? 0 : op % content.size(), 40));
      value_arg = value.c_str();
      break;
    case 1:
      value = " \"quoted value\" ";
      value_arg = value.c_str();
      break;
    case 2:  // delete the key
      break;
    case 3:  // delete the section
      key_arg = nullptr;
      break;
  }
  BOOL ok = WritePrivateProfileStringA(app.c_str(), key_arg, value_arg, path.c_str());
  const std::string after = ReadWhole(path);
  CheckNoTemporaryFiles();
  if (!ok) {
    FUZZ_CHECK(after == content);
    return 0;
  }
  const std::string app_name(TrimBlanks(app));
  const std::string key_name(TrimBlanks(key));
  if (value_arg != nullptr) {
    FUZZ_CHECK(ReadValue(path, app, key, after.size()) == AsRead(value));
  } else if (key_arg != nullptr) {
    FUZZ_CHECK(ReadValue(path, app, key, after.size()) == "\x01missing");
  } else {
    for (std::string_view s : IniText(after).SectionNames()) FUZZ_CHECK(!SameName(s, app_name));
  }
  // Every other value reads as before.
  IniText now(after);
  for (const Reachable& r : before) {
    bool touched =
        SameName(r.section, app_name) && (key_arg == nullptr || SameName(r.key, key_name));
    if (touched) continue;
    std::optional<std::string_view> v = now.Find(r.section, r.key);
    FUZZ_CHECK(v.has_value() == r.value.has_value());
    if (v) FUZZ_CHECK(*v == *r.value);
  }
  return 0;
}
