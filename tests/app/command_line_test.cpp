#include "app/command_line.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace qb {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, Cases) {
  struct Case {
    std::vector<std::string> args;
    Action action;
    std::string argument;
  } cases[] = {
      {{}, Action::kRun, ""},
      {{"/home/ann/notes"}, Action::kRun, "/home/ann/notes"},
      {{"My", "Notes"}, Action::kRun, "My Notes"},
      {{"  spaced  "}, Action::kRun, "  spaced  "},
      {{"--", "-dash", "--help"}, Action::kRun, "-dash --help"},
      {{"-"}, Action::kRun, "-"},
      {{"dir", "--help"}, Action::kHelp, ""},
      {{"-h"}, Action::kHelp, ""},
      {{"--version", "--help"}, Action::kVersion, ""},
      {{"--bogus", "--version"}, Action::kVersion, ""},
      {{"--bogus", "dir"}, Action::kUsageError, ""},
      {{"-x"}, Action::kUsageError, ""},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.args);
    EXPECT_EQ(line.argument, c.argument) << ::testing::PrintToString(c.args);
    EXPECT_EQ(line.error.empty(), c.action != Action::kUsageError);
  }
}

TEST(CommandLineTest, DisplayIsNeeded) {
  EXPECT_FALSE(HasDisplay(nullptr, nullptr, nullptr, {}));
  EXPECT_FALSE(HasDisplay("", "", nullptr, {"dir"}));
  EXPECT_TRUE(HasDisplay(":0", nullptr, nullptr, {}));
  EXPECT_TRUE(HasDisplay(nullptr, "wayland-0", nullptr, {}));
  EXPECT_TRUE(HasDisplay(nullptr, nullptr, "offscreen", {}));
  EXPECT_TRUE(HasDisplay(nullptr, nullptr, nullptr, {"-platform", "offscreen"}));
}

struct Outcome {
  int status;
  std::string out, err;
};

// Runs the built quillbox with |args| and an environment of only |env|.
Outcome Quillbox(std::vector<std::string> args, std::vector<std::string> env) {
  testing::TempDir dir;
  std::string out = dir.Path("out"), err = dir.Path("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0644);
  args.insert(args.begin(), QUILLBOX_BIN);
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid;
  int status = -1;
  if (posix_spawn(&pid, QUILLBOX_BIN, &actions, nullptr, argv.data(), envp.data()) == 0) {
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(out),
          testing::ReadFile(err)};
}

TEST(QuillboxProgramTest, SaysPlainlyWhenThereIsNoDisplay) {
  Outcome r = Quillbox({"/tmp"}, {"HOME=/nonexistent", "ASAN_OPTIONS=detect_leaks=0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("DISPLAY"), std::string::npos);
}

TEST(QuillboxProgramTest, HelpVersionAndUsageErrors) {
  Outcome version = Quillbox({"--version"}, {});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quillbox ", 0), 0u) << version.out;
  Outcome help = Quillbox({"-h"}, {});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, UsageText());
  Outcome bad =
      Quillbox({"--frobnicate"}, {"QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("unknown option --frobnicate"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace qb
