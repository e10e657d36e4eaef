// The Edit and Help commands' decisions, without any window: what to tell
// the user, whether to open Setup, and the argument vector to start.
//
// Edit opens the selected text file in the user's editor at the line of the
// selected entry. The command line has the shape
//   <Editor> <EditOpt immediately followed by the line number> <file path>
// and, when the option is empty or no entry is selected, <Editor> <file
// path>. It is never handed to a shell: the editor setting is split into
// words as a POSIX shell splits a simple command (SplitShellWords), the
// option with its line number appended is split the same way, and the file
// path is always exactly one argument whatever it holds. With the editor
// "gedit", the option "+", an entry on line 120 and /data/MEMO.QBS the
// arguments are "gedit", "+120", "/data/MEMO.QBS".
//
// Help starts kHelpViewer on the help file kHelpFileName beside the program.
//
// Texts are UTF-8 (settings, messages); paths are byte strings as the file
// system holds them. Nothing here starts a process: the window hands a
// plan's arguments to a Launcher (engine/launcher.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/env.h"
#include "engine/status.h"
#include "engine/text_base.h"

namespace qb {

// The message boxes' texts, exactly as the user sees them.
inline constexpr const char* kNoEditorMessage = "エディタが指定されていません !";
inline constexpr const char* kNoFileMessage = "ファイルが選択されていません !";
inline constexpr const char* kNoHelpFileMessage = "ヘルプファイルがないようです";

// The help file's name in the program's directory, and the program that
// shows it (looked up in $PATH like any other program).
inline constexpr const char* kHelpFileName = "QUILLBOX.HLP";
inline constexpr const char* kHelpViewer = "winhelp.exe";

// The option that the editor HIDEMARU.EXE takes before a line number.
inline constexpr const char* kHidemaruJumpOption = "/j";

// True when |editor| contains "HIDEMARU.EXE" in any letter case: the Setup
// dialog then sets the option box to kHidemaruJumpOption.
bool EditorWantsJumpOption(std::string_view editor);

// Splits |text| into words as a POSIX shell splits a simple command, and
// does nothing else: blanks (space, tab, line feed) separate words; a
// backslash outside quotes makes the next character literal (a backslash
// before a line feed joins the lines; one at the very end stays); '...'
// keeps everything literally; "..." keeps everything literally except that a
// backslash before $ ` " \ or a line feed escapes it; "" and '' make an
// empty word. Nothing is expanded: $, `, ~, *, ?, [ and the shell's operator
// characters (| & ; < > ( ) #) are ordinary characters. kInvalidArgument
// when a quote is not closed.
StatusOr<std::vector<std::string>> SplitShellWords(std::string_view text);

// What the Edit command works on.
struct EditTarget {
  // `CurrentDir` + "/" + the `Sfn` item of the selected `FileList` row, or
  // "" when no file row is selected.
  std::string file_path;
  // The `GCount` line number of the entry selected in the visible title
  // list: at the selected row of `Title`(0), or at the entry number that
  // `NormalNo` holds for the selected row of `Title`(1). Empty when that
  // list has no row selected.
  std::optional<int64_t> line;
};
EditTarget SelectedEditTarget(const TextBase& base);

// The editor's argument vector: the words of |editor|, then (when |line| is
// set and |edit_opt| is not empty) the words of |edit_opt| followed directly
// by the decimal |line|, then |file_path| as one argument. A path that
// begins with neither "/" nor "." is given as "./" + path, so that the
// editor cannot take it for an option or a command ("-…", "+…").
// kInvalidArgument when |editor| holds no word or either setting has an
// unclosed quote; the message then is CannotStartMessage(|editor|, why).
StatusOr<std::vector<std::string>> EditorArguments(std::string_view editor,
                                                   std::string_view edit_opt,
                                                   std::string_view file_path,
                                                   std::optional<int64_t> line);

// What the window does for a command, in this order: show |message| in a
// message box (OK only, no icon, titled "Quillbox") unless it is empty; run
// the Setup command when |run_setup|; start |argv| through the Launcher
// unless it is empty, showing the failure's message when that fails.
struct LaunchPlan {
  std::string message;
  bool run_setup = false;
  std::vector<std::string> argv;
};

// The Edit command, from the settings "Editor" and "EditOpt" and the text
// base's selections:
//   - an editor setting that is empty or only blanks: kNoEditorMessage, then
//     Setup (checked first, whether or not a file is selected);
//   - no file selected: kNoFileMessage;
//   - a setting that cannot be split: the message of EditorArguments;
//   - otherwise the arguments of EditorArguments for SelectedEditTarget.
LaunchPlan PlanEdit(std::string_view editor, std::string_view edit_opt, const TextBase& base);

// The Help command: when |program_dir| holds a regular file named
// kHelpFileName (in any letter case, as the original file system matched
// names), starts kHelpViewer with that file's path as its one argument;
// otherwise kNoHelpFileMessage. |env| must not be null.
LaunchPlan PlanHelp(const std::string& program_dir, Env* env = Env::Default());

}  // namespace qb
