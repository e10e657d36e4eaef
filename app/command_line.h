// The command line of the program quillbox.
//
//   quillbox [--help | --version] [--] [DIRECTORY...]
//
// The words after the options are the directory to list at start-up, joined
// with one blank between them (the whole command tail is one directory
// name, so "quillbox My Notes" lists "My Notes"). A word that begins with
// "-" is an option unless it follows "--".
#pragma once

#include <string>
#include <vector>

namespace qb {

struct CommandLine {
  enum class Action {
    kRun,         // open the window on |argument| ("" for none)
    kHelp,        // print UsageText() and exit
    kVersion,     // print the version and exit
    kUsageError,  // print |error| and exit with status 2
  };
  Action action = Action::kRun;
  std::string argument;
  std::string error;
};

// Reads the arguments that follow the program's name. --help (or -h) and
// --version win over everything else, whatever their place before "--".
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
const char* UsageText();

// True when the window system can be reached: DISPLAY or WAYLAND_DISPLAY is
// set and not empty, or a Qt platform is named (QT_QPA_PLATFORM set, or a
// "-platform" option in |args|). Each pointer may be null (unset).
bool HasDisplay(const char* display, const char* wayland_display, const char* qt_qpa_platform,
                const std::vector<std::string>& args);

// What the program says on standard error when there is no display.
const char* NoDisplayMessage();

}  // namespace qb
