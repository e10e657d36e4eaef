#include "engine/editor_launch.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/launcher.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::ReadFile;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;
using Words = std::vector<std::string>;

TEST(SplitShellWordsTest, SplitsAsAShellWithoutExpanding) {
  const struct {
    const char* text;
    Words words;
  } rows[] = {
      {"", {}},
      {" \t\n ", {}},
      {"gedit", {"gedit"}},
      {"  gedit   -s\t--wait\n", {"gedit", "-s", "--wait"}},
      {"'/opt/my editor/ed' -w", {"/opt/my editor/ed", "-w"}},
      {"\"/opt/my editor/ed\"", {"/opt/my editor/ed"}},
      {"/opt/my\\ editor/ed", {"/opt/my editor/ed"}},
      {"a\"b c\"d 'e'f", {"ab cd", "ef"}},
      {"\"it's\" 'say \"hi\"'", {"it's", "say \"hi\""}},
      {"'a\\b' \"c\\d\"", {"a\\b", "c\\d"}},
      {"\"q\\\"q \\\\ \\$ \\` \\x\"", {"q\"q \\ $ ` \\x"}},
      {"\\'x\\\" \\\\", {"'x\"", "\\"}},
      {"'' \"\" x", {"", "", "x"}},
      {"ab\\\ncd", {"abcd"}},
      {"end\\", {"end\\"}},
      {"$HOME ~ ~/ed *.txt [a] ? `id` $(id) ${x}",
       {"$HOME", "~", "~/ed", "*.txt", "[a]", "?", "`id`", "$(id)", "${x}"}},
      {"ed; rm -rf x|y>z&&w #c", {"ed;", "rm", "-rf", "x|y>z&&w", "#c"}},
      {"エディタ 'ﾒﾓ 帳'", {"エディタ", "ﾒﾓ 帳"}},
  };
  for (const auto& r : rows) {
    StatusOr<Words> got = SplitShellWords(r.text);
    ASSERT_TRUE(got.ok()) << r.text;
    EXPECT_EQ(*got, r.words) << r.text;
  }
  for (const char* open : {"'abc", "\"abc", "\"abc\\\"", "a 'b\"c", "\"'"}) {
    StatusOr<Words> got = SplitShellWords(open);
    EXPECT_EQ(got.status().code(), Status::Code::kInvalidArgument) << open;
  }
}

TEST(EditorArgumentsTest, CommandLineShapes) {
  const struct {
    const char* what;
    const char* editor;
    const char* option;
    const char* path;
    std::optional<int64_t> line;
    Words argv;
  } rows[] = {
      {"the ordinary case",
       "gedit",
       "+",
       "/data/MEMO.QBS",
       120,
       {"gedit", "+120", "/data/MEMO.QBS"}},
      {"option and number as one word",
       "hidemaru",
       "/j",
       "/d/M.QBS",
       7,
       {"hidemaru", "/j7", "/d/M.QBS"}},
      {"an option that is a flag", "kate", "-n", "/d/M.QBS", 1, {"kate", "-n1", "/d/M.QBS"}},
      {"empty option", "gedit", "", "/d/M.QBS", 120, {"gedit", "/d/M.QBS"}},
      {"no entry selected", "gedit", "+", "/d/M.QBS", std::nullopt, {"gedit", "/d/M.QBS"}},
      {"option ending in a blank",
       "ed",
       "--line ",
       "/d/M.QBS",
       9,
       {"ed", "--line", "9", "/d/M.QBS"}},
      {"quoted option", "ed", "'+'", "/d/M.QBS", 9, {"ed", "+9", "/d/M.QBS"}},
      {"option of two words",
       "emacsclient -n",
       "-c +",
       "/d/M.QBS",
       30,
       {"emacsclient", "-n", "-c", "+30", "/d/M.QBS"}},
      {"editor path with a blank",
       "'/opt/My Editor/ed' --wait",
       "+",
       "/d/M.QBS",
       2,
       {"/opt/My Editor/ed", "--wait", "+2", "/d/M.QBS"}},
      {"path with blanks, quotes and shell characters",
       "ed",
       "+",
       "/d/my \"notes\" 'x'/$(rm -rf ~);`id` *\n.QBS",
       3,
       {"ed", "+3", "/d/my \"notes\" 'x'/$(rm -rf ~);`id` *\n.QBS"}},
      {"path that looks like an option",
       "vim",
       "+",
       "-c!sh/A.QBS",
       3,
       {"vim", "+3", "./-c!sh/A.QBS"}},
      {"path that looks like a command", "vim", "", "+!sh/A.QBS", 3, {"vim", "./+!sh/A.QBS"}},
      {"relative paths", "vim", "", "d/A.QBS", 3, {"vim", "./d/A.QBS"}},
      {"relative path from the working directory", "vim", "", "./A.QBS", 3, {"vim", "./A.QBS"}},
      {"a setting cannot add a command",
       "ed; rm -rf ~",
       "+",
       "/d/M.QBS",
       1,
       {"ed;", "rm", "-rf", "~", "+1", "/d/M.QBS"}},
  };
  for (const auto& r : rows) {
    StatusOr<Words> got = EditorArguments(r.editor, r.option, r.path, r.line);
    ASSERT_TRUE(got.ok()) << r.what << ": " << got.status().message();
    EXPECT_EQ(*got, r.argv) << r.what;
  }
}

TEST(EditorArgumentsTest, SettingsThatCannotBeSplitNameTheEditor) {
  StatusOr<Words> bad_editor = EditorArguments("'/opt/ed", "+", "/d/M.QBS", 1);
  ASSERT_FALSE(bad_editor.ok());
  EXPECT_EQ(bad_editor.status().message(),
            CannotStartMessage("'/opt/ed", "引用符が閉じていません"));
  StatusOr<Words> bad_option = EditorArguments("gedit", "\"+", "/d/M.QBS", 1);
  ASSERT_FALSE(bad_option.ok());
  EXPECT_NE(bad_option.status().message().find("\"gedit\" を起動できません"), std::string::npos);
  // Without a line number the option is not used, so it cannot fail.
  EXPECT_TRUE(EditorArguments("gedit", "\"+", "/d/M.QBS", std::nullopt).ok());
}

TEST(EditorWantsJumpOptionTest, HidemaruInAnyLetterCase) {
  EXPECT_TRUE(EditorWantsJumpOption("C:\\TOOLS\\HIDEMARU.EXE"));
  EXPECT_TRUE(EditorWantsJumpOption("/opt/hidemaru.exe --x"));
  EXPECT_TRUE(EditorWantsJumpOption("HideMaru.Exe"));
  EXPECT_FALSE(EditorWantsJumpOption("hidemaru"));
  EXPECT_FALSE(EditorWantsJumpOption("HIDEMARU_EXE"));
  EXPECT_FALSE(EditorWantsJumpOption(""));
}

// A directory with one text file whose entries sit on known lines:
// line 1 title, 2 ";first", 4 ";work:second", 7 ";home:third", 8 ";work:fourth".
class PlanEditTest : public ::testing::Test {
 protected:
  void Load(const std::string& dir) {
    WriteFile(dir + "/MEMO.QBS", Sjis("メモ\n;first\nbody\n;work:second\nbody\nbody\n"
                                      ";home:third\n;work:fourth\nlast\n"));
    ASSERT_TRUE(base_.ListTextFiles(dir).ok());
    ASSERT_TRUE(base_.SplitFileNames().ok());
    ASSERT_EQ(base_.entries().GCount, (std::vector<int64_t>{2, 4, 7, 8}));
  }

  TempDir dir_;
  TextBase base_{""};
};

TEST_F(PlanEditTest, NoEditorComesFirstAndOpensSetup) {
  for (const char* editor : {"", "   ", "\t"}) {
    LaunchPlan plan = PlanEdit(editor, "+", base_);  // no file either
    EXPECT_EQ(plan.message, "エディタが指定されていません !") << "[" << editor << "]";
    EXPECT_TRUE(plan.run_setup);
    EXPECT_TRUE(plan.argv.empty());
  }
}

TEST_F(PlanEditTest, NoFileSelected) {
  ASSERT_TRUE(base_.ListTextFiles(dir_.path()).ok());  // an empty directory
  ASSERT_TRUE(base_.SplitFileNames().ok());
  LaunchPlan plan = PlanEdit("gedit", "+", base_);
  EXPECT_EQ(plan.message, "ファイルが選択されていません !");
  EXPECT_FALSE(plan.run_setup);
  EXPECT_TRUE(plan.argv.empty());
}

TEST_F(PlanEditTest, LineOfTheEntrySelectedInTheVisibleList) {
  Load(dir_.path());
  const std::string path = dir_.Path("MEMO.QBS");
  // Nothing selected yet: the file opens without a line number.
  EXPECT_EQ(PlanEdit("gedit", "+", base_).argv, (Words{"gedit", path}));
  ASSERT_TRUE(base_.SelectTitle(0, 1).ok());
  LaunchPlan plan = PlanEdit("gedit", "+", base_);
  EXPECT_TRUE(plan.message.empty());
  EXPECT_FALSE(plan.run_setup);
  EXPECT_EQ(plan.argv, (Words{"gedit", "+4", path}));
  EXPECT_EQ(PlanEdit("gedit", "", base_).argv, (Words{"gedit", path}));

  // Filtered by "work": row 1 is entry 3 (line 8), not row 1 of all titles.
  base_.SelectTag(1);
  ASSERT_EQ(base_.visible_title(), 1);
  EXPECT_EQ(PlanEdit("gedit", "+", base_).argv, (Words{"gedit", path}))
      << "nothing is selected in the filtered list yet";
  ASSERT_TRUE(base_.SelectTitle(1, 1).ok());
  EXPECT_EQ(PlanEdit("gedit", "+", base_).argv, (Words{"gedit", "+8", path}));
  base_.SelectTag(0);
  EXPECT_EQ(PlanEdit("gedit", "+", base_).argv, (Words{"gedit", "+4", path}));
}

TEST_F(PlanEditTest, BadSettingIsReportedNotStarted) {
  Load(dir_.path());
  LaunchPlan plan = PlanEdit("'gedit", "+", base_);
  EXPECT_EQ(plan.message, CannotStartMessage("'gedit", "引用符が閉じていません"));
  EXPECT_FALSE(plan.run_setup);
  EXPECT_TRUE(plan.argv.empty());
}

TEST(PlanHelpTest, HelpFileBesideTheProgram) {
  TempDir dir;
  LaunchPlan missing = PlanHelp(dir.path());
  EXPECT_EQ(missing.message, "ヘルプファイルがないようです");
  EXPECT_TRUE(missing.argv.empty());

  ASSERT_EQ(::mkdir(dir.Path("QUILLBOX.HLP").c_str(), 0755), 0);
  EXPECT_EQ(PlanHelp(dir.path()).message, "ヘルプファイルがないようです") << "a directory";
  ::rmdir(dir.Path("QUILLBOX.HLP").c_str());

  WriteFile(dir.Path("Quillbox.hlp"), "help");
  EXPECT_EQ(PlanHelp(dir.path()).argv, (Words{"winhelp.exe", dir.Path("Quillbox.hlp")}));
  WriteFile(dir.Path("QUILLBOX.HLP"), "help");
  LaunchPlan found = PlanHelp(dir.path());
  EXPECT_TRUE(found.message.empty());
  EXPECT_EQ(found.argv, (Words{"winhelp.exe", dir.Path("QUILLBOX.HLP")}));

  EXPECT_EQ(PlanHelp("").message, "ヘルプファイルがないようです");
}

// --- The real launcher --------------------------------------------------------

// A stand-in editor: writes its parent's process id on one line, then each
// argument followed by a NUL, to "args.out" beside itself (through a rename,
// so the file appears complete).
constexpr const char* kRecorderScript =
    "#!/bin/sh\n"
    "out=\"$(dirname \"$0\")/args.out\"\n"
    "{ printf '%s\\n' \"$PPID\"; for a in \"$@\"; do printf '%s\\000' \"$a\"; done; }"
    " > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n";

struct Recorded {
  long parent = 0;
  Words argv;  // without the program's own name
};

std::string InstallRecorder(const std::string& dir, const std::string& name) {
  const std::string path = dir + "/" + name;
  WriteFile(path, kRecorderScript);
  ::chmod(path.c_str(), 0755);
  return path;
}

// Waits up to 20 seconds for the stand-in to have written |out|.
std::optional<Recorded> WaitForRecord(const std::string& out) {
  for (int i = 0; i < 2000 && !Exists(out); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!Exists(out)) return std::nullopt;
  const std::string bytes = ReadFile(out);
  Recorded r;
  const size_t nl = bytes.find('\n');
  r.parent = std::strtol(bytes.substr(0, nl).c_str(), nullptr, 10);
  for (size_t begin = nl + 1; begin < bytes.size();) {
    const size_t end = bytes.find('\0', begin);
    r.argv.push_back(bytes.substr(begin, end - begin));
    begin = end + 1;
  }
  return r;
}

TEST(LauncherTest, EditorReceivesExactlyThePlannedArguments) {
  TempDir tools;
  const std::string bin = tools.Path("my \"tools\" $HOME");
  ASSERT_EQ(::mkdir(bin.c_str(), 0755), 0);
  const std::string script = InstallRecorder(bin, "edit stand-in.sh");

  TempDir data;
  const std::string dir = data.Path("a b 'c' \"d\" $(touch x);`id` *\n");
  ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
  WriteFile(dir + "/MEMO.QBS", Sjis("メモ\n;first\nbody\n;work:second\n"));
  TextBase base("");
  ASSERT_TRUE(base.ListTextFiles(dir).ok());
  ASSERT_TRUE(base.SplitFileNames().ok());
  ASSERT_TRUE(base.SelectTitle(0, 1).ok());

  // The editor setting quotes the script's path and adds a word of its own.
  const std::string editor = "'" + script + "' --wait";
  LaunchPlan plan = PlanEdit(editor, "+", base);
  ASSERT_TRUE(plan.message.empty()) << plan.message;
  ASSERT_TRUE(DefaultLauncher()->Start(plan.argv).ok());

  std::optional<Recorded> got = WaitForRecord(bin + "/args.out");
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->argv, (Words{"--wait", "+4", dir + "/MEMO.QBS"}));
  EXPECT_NE(got->parent, static_cast<long>(::getpid())) << "started detached";
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child is left to reap";
  EXPECT_EQ(errno, ECHILD);
}

TEST(LauncherTest, ProgramIsLookedUpInPath) {
  TempDir bin;
  InstallRecorder(bin.path(), "qb-recorder");
  const char* old = std::getenv("PATH");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("PATH", ("/nonexistent-dir:" + bin.path() + ":" + saved).c_str(), 1);
  Status s = DefaultLauncher()->Start({"qb-recorder", "one two", ""});
  ::setenv("PATH", saved.c_str(), 1);
  ASSERT_TRUE(s.ok()) << s.message();
  std::optional<Recorded> got = WaitForRecord(bin.Path("args.out"));
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->argv, (Words{"one two", ""}));
}

TEST(LauncherTest, ProgramThatCannotBeStartedIsReportedByName) {
  TempDir dir;
  WriteFile(dir.Path("not-executable"), "#!/bin/sh\n");
  WriteFile(dir.Path("no-interpreter"), "#!/nonexistent/interpreter\n");
  ::chmod(dir.Path("no-interpreter").c_str(), 0755);
  ::chmod(dir.Path("not-executable").c_str(), 0644);
  const struct {
    std::string program;
    Status::Code code;
  } rows[] = {
      {"qb-no-such-editor", Status::Code::kNotFound},
      {"/nonexistent/editor", Status::Code::kNotFound},
      {dir.Path("not-executable"), Status::Code::kIoError},
      {dir.Path("no-interpreter"), Status::Code::kNotFound},
      {dir.path(), Status::Code::kIoError},  // a directory
      {"", Status::Code::kNotFound},
  };
  for (const auto& r : rows) {
    Status s = DefaultLauncher()->Start({r.program, "/data/MEMO.QBS"});
    EXPECT_EQ(s.code(), r.code) << r.program << ": " << s.message();
    EXPECT_EQ(s.message().rfind("\"" + r.program + "\" を起動できません: ", 0), 0u) << s.message();
  }
  EXPECT_EQ(DefaultLauncher()->Start({}).code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(CannotStartMessage("winhelp.exe", ""), "\"winhelp.exe\" を起動できません");
}

}  // namespace
}  // namespace qb
