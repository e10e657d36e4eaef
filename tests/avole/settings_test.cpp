// The settings store through AVOLE's Reg class, end to end.
#include <gtest/gtest.h>

#include "engine/reg_settings.h"
#include "tests/avole/avole_fixture.h"

namespace avole {
namespace {

using testing::AvoleTest;

void Store(const char* section, const char* name, const char* text) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, section, &key), ERROR_SUCCESS);
  std::string bytes = qb::EncodeCp932(text);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<LPCBYTE>(bytes.c_str()),
                 static_cast<DWORD>(bytes.size() + 1));
  RegCloseKey(key);
}

TEST_F(AvoleTest, FirstRunGivesTheDefaults) {
  std::string why;
  auto store = qb::OpenRegSettingsStore(&why);
  ASSERT_NE(store, nullptr) << why;
  qb::Settings s = qb::LoadSettings(store.get());
  EXPECT_EQ(s.Top, 0);
  EXPECT_EQ(s.Left, 0);
  EXPECT_EQ(s.Height, 6585);
  EXPECT_EQ(s.Width, 7695);
  EXPECT_EQ(s.CBPoint, 2040);
  EXPECT_EQ(s.FileList, 9);
  EXPECT_EQ(s.Title, 9);
  EXPECT_EQ(s.Mes, 9);
  EXPECT_EQ(s.Editor, "");
  EXPECT_EQ(s.EditOpt, "");
}

TEST_F(AvoleTest, SettingsSurviveASaveAndALoad) {
  std::string why;
  auto store = qb::OpenRegSettingsStore(&why);
  ASSERT_NE(store, nullptr) << why;
  qb::SettingsSnapshot v{-60, 120, 6585, 9000, 2500, 9.75, 11, 10.5, "/usr/bin/gedit", "+"};
  qb::SaveSettings(store.get(), v);
  DWORD type = 0;
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, qb::kFormPointKey, &key), ERROR_SUCCESS);
  char buffer[32];
  DWORD size = sizeof buffer;
  ASSERT_EQ(
      RegQueryValueExA(key, "Height", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
      ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(buffer, size), std::string("6585\0", 5));  // no blank, one NUL
  qb::Settings s = qb::LoadSettings(store.get());
  EXPECT_EQ(s.Top, -60);
  EXPECT_EQ(s.Left, 120);
  EXPECT_EQ(s.Width, 9000);
  EXPECT_EQ(s.CBPoint, 2500);
  EXPECT_EQ(s.FileList, 10);  // 9.75 stored with its decimals, read rounded
  EXPECT_EQ(s.Title, 11);
  EXPECT_EQ(s.Mes, 10);  // 10.5 to the even 10
  EXPECT_EQ(s.Editor, "/usr/bin/gedit");
  EXPECT_EQ(s.EditOpt, "+");
}

TEST_F(AvoleTest, StoredTextsReadAsTheirLeadingNumber) {
  Store(qb::kFormPointKey, "Top", "0");
  Store(qb::kFormPointKey, "Height", "0");
  Store(qb::kFormPointKey, "Width", " 120");
  Store(qb::kFormPointKey, "CBPoint", "12abc");
  Store(qb::kFormPointKey, "Left", "letters");
  Store(qb::kFormFontKey, "FileList", "40000");  // does not fit 16 bits
  Store(qb::kFormFontKey, "Title", "11.5");
  Store(qb::kConfigsKey, "Editor", " エディタ ");
  std::string why;
  auto store = qb::OpenRegSettingsStore(&why);
  ASSERT_NE(store, nullptr) << why;
  qb::Settings s = qb::LoadSettings(store.get());
  EXPECT_EQ(s.Top, 0);
  EXPECT_EQ(s.Height, 6585);
  EXPECT_EQ(s.Width, 120);
  EXPECT_EQ(s.CBPoint, 12);
  EXPECT_EQ(s.Left, 0);
  EXPECT_EQ(s.FileList, 9);
  EXPECT_EQ(s.Title, 12);
  EXPECT_EQ(s.Editor, " エディタ ");  // unchanged, not trimmed
}

TEST_F(AvoleTest, ARegObjectThatCannotBeCreatedSaysWhy) {
  // The class registered with a library that is not there.
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT,
                          "CLSID\\{98FCF989-F5E7-11CF-9A73-444553540000}\\InprocServer32", &key),
            ERROR_SUCCESS);
  const char path[] = "/nonexistent/libavole.so";
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<LPCBYTE>(path), sizeof path);
  RegCloseKey(key);
  std::string why;
  EXPECT_EQ(qb::OpenRegSettingsStore(&why), nullptr);
  EXPECT_NE(why.find("cannot be created"), std::string::npos) << why;
}

}  // namespace
}  // namespace avole
