// WritePrivateProfileStringA on real files: one row per case with the file's
// bytes before and after, then the file-system cases (where a file is made,
// its mode, links, failures part-way, several writers at once).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/kernel32/profile_file.h"
#include "platform/win32.h"
#include "tests/platform/kernel32/kernel32_fixture.h"
#include "tests/support/temp_dir.h"

namespace qb::kernel32 {
namespace {

using std::string_literals::operator""s;

#define ZO "\x83\x5D"             // ゾ: its second byte is "]"
#define KA_A "\x83\x41"           // ア: its second byte is "A"
#define KA_DI "\x83\x61"          // ヂ: its second byte is "a"
#define NIHON "\x93\xFA\x96\x7B"  // 日本

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: there is no file
  const char* app;
  const char* key;
  const char* value;
  BOOL result;
  std::optional<std::string> after;  // nullopt: there is still no file
};

// Test names and failure messages show the case by its name.
void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

std::vector<WriteCase> WriteCases() {
  const std::string kTwoSections = "[a]\r\nx=1\r\n; c\r\ny=2\r\n[b]\r\nx=3\r\n";
  return {
      // Creating.
      {"NewFile", std::nullopt, "App", "Key", "Value", TRUE, "[App]\r\nKey=Value\r\n"},
      {"EmptyFile", "", "b", "y", "2", TRUE, "[b]\r\ny=2\r\n"},
      {"NewSectionAtTheEnd", "[a]\r\nx=1\r\n", "b", "y", "2", TRUE, "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"NewSectionAfterLastLineWithoutLineEnd", "[a]\r\nx=1", "b", "y", "2", TRUE,
       "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"NewSectionTakesTheFilesLineEnd", "[a]\nx=1\n", "b", "y", "2", TRUE, "[a]\nx=1\n[b]\ny=2\n"},
      {"NamesTrimmedValueAsGiven", std::nullopt, " a\t", " k ", " v ", TRUE, "[a]\r\nk= v \r\n"},
      {"EmptyValue", std::nullopt, "a", "k", "", TRUE, "[a]\r\nk=\r\n"},
      // Adding a key to a section.
      {"NewKeyAfterTheLastKey", "[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\nz=3\r\n", "a", "y", "2",
       TRUE, "[a]\r\nx=1\r\ny=2\r\n\r\n; about b\r\n[b]\r\nz=3\r\n"},
      {"NewKeyInSectionWithoutKeys", "[a]\r\n; c\r\n[b]\r\n", "A", "y", "2", TRUE,
       "[a]\r\ny=2\r\n; c\r\n[b]\r\n"},
      {"NewKeyAfterLastLineWithoutLineEnd", "[a]\r\nx=1", "a", "y", "2", TRUE,
       "[a]\r\nx=1\r\ny=2\r\n"},
      // A file cut between the CR and the LF of its last line: the line end
      // is completed, so the value on that line reads the same as before.
      {"NewKeyAfterLastLineCutAfterItsCr", "[a]\nx=1\r", "a", "y", "2", TRUE, "[a]\nx=1\r\ny=2\n"},
      {"NewSectionAfterLastLineCutAfterItsCr", "[a]\r\nx=1\r", "b", "y", "2", TRUE,
       "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"NewKeyTakesTheFilesLineEnd", "[a]\nx=1\n[b]\n", "a", "y", "2", TRUE,
       "[a]\nx=1\ny=2\n[b]\n"},
      {"NewKeyInFirstOfDuplicateSections", "[a]\r\nx=1\r\n[a]\r\n", "a", "y", "2", TRUE,
       "[a]\r\nx=1\r\ny=2\r\n[a]\r\n"},
      // Replacing a value in place.
      {"ReplaceKeepsEverythingBeforeTheValue", "; head\r\n[a]\r\n  X = \"old\"  \r\n; c\r\ny=2\r\n",
       "A", "x", "new", TRUE, "; head\r\n[a]\r\n  X = new\r\n; c\r\ny=2\r\n"},
      {"ReplaceKeepsLineEnds", "[a]\nx=1\r\ny=2", "a", "x", "9", TRUE, "[a]\nx=9\r\ny=2"},
      {"ReplaceOnLastLineWithoutLineEnd", "[a]\r\nx=1", "a", "x", "2", TRUE, "[a]\r\nx=2"},
      {"ReplaceFirstOfDuplicateKeys", "[a]\r\nx=1\r\nx=2\r\n", "a", "x", "9", TRUE,
       "[a]\r\nx=9\r\nx=2\r\n"},
      {"ReplaceInFirstOfDuplicateSections", "[a]\r\nx=1\r\n[a]\r\nx=2\r\n", "a", "x", "9", TRUE,
       "[a]\r\nx=9\r\n[a]\r\nx=2\r\n"},
      {"UnknownLinesKept", "garbage\r\n\r\n[a]\r\nno equals\r\n\tx=1\r\n", "a", "x", "2", TRUE,
       "garbage\r\n\r\n[a]\r\nno equals\r\n\tx=2\r\n"},
      {"SameValueLeavesFileAlone", "[a]\r\nx=1\n", "a", "x", "1", TRUE, "[a]\r\nx=1\n"},
      // Deleting a key.
      {"DeleteKey", kTwoSections, "a", "x", nullptr, TRUE, "[a]\r\n; c\r\ny=2\r\n[b]\r\nx=3\r\n"},
      {"DeleteKeyRemovesItsDuplicates", "[a]\r\nx=1\r\nX=2\r\ny=3\r\n", "a", "x", nullptr, TRUE,
       "[a]\r\ny=3\r\n"},
      {"DeleteKeyOnLastLine", "[a]\r\ny=1\r\nx=1", "a", "x", nullptr, TRUE, "[a]\r\ny=1\r\n"},
      {"DeleteMissingKey", kTwoSections, "a", "z", nullptr, TRUE, kTwoSections},
      {"DeleteKeyOfMissingFile", std::nullopt, "a", "x", nullptr, TRUE, std::nullopt},
      // Deleting a section.
      {"DeleteSectionKeepsComments",
       "; top\r\n[a]\r\nx=1\r\n; keep\r\n\r\nother\r\n[b]\r\ny=2\r\n[A]\r\nz=3\r\n", "a", nullptr,
       nullptr, TRUE, "; top\r\n; keep\r\n[b]\r\ny=2\r\n"},
      {"DeleteSectionIgnoresTheValue", kTwoSections, "B", nullptr, "v", TRUE,
       "[a]\r\nx=1\r\n; c\r\ny=2\r\n"},
      {"DeleteMissingSection", kTwoSections, "c", nullptr, nullptr, TRUE, kTwoSections},
      {"DeleteSectionOfMissingFile", std::nullopt, "a", nullptr, nullptr, TRUE, std::nullopt},
      // Code page 932 bytes go through; trail bytes are neither "]" nor letters.
      {"DoubleByteText", std::nullopt, ZO, KA_A, NIHON, TRUE, "[" ZO "]\r\n" KA_A "=" NIHON "\r\n"},
      {"DoubleByteNamesMatch", "[" ZO "abc]\r\n" KA_A "=1\r\n", ZO "ABC", KA_A, NIHON, TRUE,
       "[" ZO "abc]\r\n" KA_A "=" NIHON "\r\n"},
      {"TrailByteNotFolded", "[s]\r\n" KA_A "=1\r\n", "s", KA_DI, "2", TRUE,
       "[s]\r\n" KA_A "=1\r\n" KA_DI "=2\r\n"},
      // Refused, since they would not read back as written.
      {"NullSection", "[a]\r\n", nullptr, "k", "v", FALSE, "[a]\r\n"},
      {"LineBreakInValue", "[a]\r\n", "a", "k", "v\r\n[evil]", FALSE, "[a]\r\n"},
      {"LineBreakInKey", std::nullopt, "a", "k\nj", "v", FALSE, std::nullopt},
      {"LineBreakInSection", std::nullopt, "a\rb", "k", "v", FALSE, std::nullopt},
      {"BracketInSection", std::nullopt, "a]b", "k", "v", FALSE, std::nullopt},
      {"EqualsInKey", std::nullopt, "a", "k=j", "v", FALSE, std::nullopt},
      {"KeyStartingWithSemicolon", std::nullopt, "a", " ;k", "v", FALSE, std::nullopt},
      {"KeyStartingWithBracket", std::nullopt, "a", "[k", "v", FALSE, std::nullopt},
      // A new header "[a\x83]" would read as the section "a\x83]"; a section
      // of that name that the file already has (a header without "]") is
      // written to as usual.
      {"NewSectionEndingInLoneLeadByte", "[b]\r\n", "a\x83", "k", "v", FALSE, "[b]\r\n"},
      {"ExistingSectionEndingInLoneLeadByte", "[a\x83\r\n", "a\x83", "k", "v", TRUE,
       "[a\x83\r\nk=v\r\n"},
  };
}

class IniWriteTest : public Kernel32Test, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWriteTest, LeavesTheFileAsExpected) {
  const WriteCase& c = GetParam();
  std::string file = FilePath("test.ini");
  if (c.before.has_value()) testing::WriteFile(file, *c.before);
  EXPECT_EQ(WritePrivateProfileStringA(c.app, c.key, c.value, file.c_str()), c.result);
  if (c.after.has_value()) {
    EXPECT_EQ(testing::ReadFile(file), *c.after);
  } else {
    EXPECT_FALSE(testing::Exists(file));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWriteTest, ::testing::ValuesIn(WriteCases()),
                         [](const ::testing::TestParamInfo<WriteCase>& row) {
                           return std::string(row.param.name);
                         });

// The names in |dir|, to find temporary files left behind.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* entry = readdir(d)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  return names;
}

ino_t Inode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

mode_t Mode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Runs |body| in a child process and returns its exit status (-1 when it
// did not exit normally).
template <typename Body>
int InChild(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

using IniWriteFileTest = Kernel32Test;

TEST_F(IniWriteFileTest, WritesAndReadsBackThroughTheWindowsDirectory) {
  ASSERT_TRUE(WritePrivateProfileStringA("Prompts", "First", " \"quoted\" ", "app.ini"));
  ASSERT_TRUE(WritePrivateProfileStringA("prompts", "second", NIHON, "app.ini"));
  EXPECT_EQ(testing::ReadFile(WindowsDir() + "/app.ini"),
            "[Prompts]\r\nFirst= \"quoted\" \r\nsecond=" NIHON "\r\n");
  EXPECT_EQ(Mode(config_home() + "/quillbox"), 0700u);
  EXPECT_EQ(Mode(WindowsDir()), 0700u);
  char buffer[200];
  EXPECT_EQ(GetPrivateProfileStringA("PROMPTS", "first", "", buffer, 200, "app.ini"), 6u);
  EXPECT_STREQ(buffer, "quoted");
  EXPECT_EQ(GetPrivateProfileStringA("PROMPTS", "SECOND", "", buffer, 200, "app.ini"), 4u);
  EXPECT_STREQ(buffer, NIHON);
}

TEST_F(IniWriteFileTest, DoubleByteFileNameIsConvertedForTheFileSystem) {
  // 設定.ini in code page 932 is 設定.ini in UTF-8 on disk.
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", "\x90\xDD\x92\xE8.ini"));
  EXPECT_EQ(testing::ReadFile(WindowsDir() + "/\xE8\xA8\xAD\xE5\xAE\x9A.ini"), "[s]\r\nk=v\r\n");
  // Bytes that are not code page 932 name no file.
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", "bad\x81.ini"));
  EXPECT_EQ(Names(WindowsDir()).size(), 1u);
}

TEST_F(IniWriteFileTest, FilesThatCannotBeWrittenGiveFalse) {
  ASSERT_EQ(mkdir(FilePath("dir.ini").c_str(), 0700), 0);
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", FilePath("missing/x.ini").c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", FilePath("dir.ini").c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", nullptr));
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", ""));
  EXPECT_FALSE(testing::Exists(FilePath("missing")));
  EXPECT_EQ(Names(files_dir()), std::vector<std::string>{"dir.ini"});
}

TEST_F(IniWriteFileTest, ReplacesAtomicallyAndOnlyWhenSomethingChanges) {
  std::string file = FilePath("test.ini");
  testing::WriteFile(file, "[s]\r\nk=v\r\n");
  ino_t before = Inode(file);
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("s", "none", nullptr, file.c_str()));
  EXPECT_EQ(Inode(file), before);  // nothing to change: not rewritten
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "w", file.c_str()));
  EXPECT_NE(Inode(file), before);  // a new file renamed into place
  EXPECT_EQ(Names(files_dir()), std::vector<std::string>{"test.ini"});
}

TEST_F(IniWriteFileTest, KeepsTheModeAndTheSymbolicLink) {
  std::string real = FilePath("real.ini");
  std::string link = FilePath("link.ini");
  testing::WriteFile(real, "[s]\r\nk=1\r\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real.ini", link.c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", link.c_str()));
  EXPECT_EQ(testing::ReadFile(real), "[s]\r\nk=2\r\n");
  EXPECT_EQ(Mode(real), 0640u);
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));

  mode_t old_mask = umask(027);
  bool written = WritePrivateProfileStringA("s", "k", "1", FilePath("new.ini").c_str());
  umask(old_mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(Mode(FilePath("new.ini")), 0640u);  // 0666 less the umask
}

TEST_F(IniWriteFileTest, WriteFailingPartWayLeavesTheOldFile) {
  std::string file = FilePath("test.ini");
  const std::string old_content = "; keep me\r\n[s]\r\nk=old\r\n";
  testing::WriteFile(file, old_content);
  // A file size limit makes the write of the temporary file fail part-way.
  int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string big(100000, 'x');
    return WritePrivateProfileStringA("s", "k", big.c_str(), file.c_str()) == FALSE ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testing::ReadFile(file), old_content);
  EXPECT_EQ(Names(files_dir()), std::vector<std::string>{"test.ini"});
}

TEST_F(IniWriteFileTest, ConcurrentWritersLoseNothing) {
  std::string file = FilePath("shared.ini");
  constexpr int kKeys = 30;
  auto writer = [&](char prefix) {
    return [&, prefix] {
      for (int i = 0; i < kKeys; ++i) {
        std::string key = prefix + std::to_string(i);
        if (!WritePrivateProfileStringA("s", key.c_str(), "1", file.c_str())) return 1;
      }
      return 0;
    };
  };
  pid_t first = fork();
  if (first == 0) _exit(writer('a')());
  int second = InChild(writer('b'));
  int first_status = 0;
  ASSERT_EQ(waitpid(first, &first_status, 0), first);
  ASSERT_TRUE(WIFEXITED(first_status));
  EXPECT_EQ(WEXITSTATUS(first_status), 0);
  EXPECT_EQ(second, 0);

  std::string list(8192, '#');
  DWORD size = GetPrivateProfileStringA("s", nullptr, "", list.data(), 8192, file.c_str());
  int keys = 0;
  for (DWORD i = 0; i < size; ++i) keys += list[i] == '\0';
  EXPECT_EQ(keys, 2 * kKeys);
}

TEST_F(IniWriteFileTest, GivesUpWhenAnotherWriterKeepsTheLock) {
  std::string file = FilePath("test.ini");
  testing::WriteFile(file, "[s]\r\nk=1\r\n");
  int dir_fd = open(files_dir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dir_fd, 0);
  ASSERT_EQ(flock(dir_fd, LOCK_EX), 0);
  Status status = UpdateProfile(
      file, [](std::string_view, std::string* updated) { *updated = "changed"; }, 50);
  close(dir_fd);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(testing::ReadFile(file), "[s]\r\nk=1\r\n");
}

}  // namespace
}  // namespace qb::kernel32
