#include "app/command_line.h"

#include <algorithm>

namespace qb {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  std::vector<std::string> words;
  bool options = true;
  std::string unknown;
  for (const std::string& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      if (line.action == CommandLine::Action::kRun) line.action = CommandLine::Action::kHelp;
    } else if (options && arg == "--version") {
      if (line.action == CommandLine::Action::kRun) line.action = CommandLine::Action::kVersion;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      if (unknown.empty()) unknown = arg;
    } else {
      words.push_back(arg);
    }
  }
  if (line.action != CommandLine::Action::kRun) return line;
  if (!unknown.empty()) {
    line.action = CommandLine::Action::kUsageError;
    line.error = "unknown option " + unknown +
                 " (a directory whose name begins with \"-\" goes after \"--\")";
    return line;
  }
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) line.argument += ' ';
    line.argument += words[i];
  }
  return line;
}

const char* UsageText() {
  return "Usage: quillbox [OPTION] [--] [DIRECTORY]\n"
         "Browse the Japanese (Shift-JIS) text files *.QBS of DIRECTORY by their titles,\n"
         "entries and tags. Without DIRECTORY, the directory that holds the program is\n"
         "listed; several words are taken together as one name, joined with blanks.\n"
         "\n"
         "  -h, --help     print this help and exit\n"
         "      --version  print the version and exit\n"
         "\n"
         "The window's position and size, the splitter position, the font sizes and the\n"
         "editor command are kept in ~/.config/quillbox/registry.db ($XDG_CONFIG_HOME).\n";
}

bool HasDisplay(const char* display, const char* wayland_display, const char* qt_qpa_platform,
                const std::vector<std::string>& args) {
  auto set = [](const char* v) { return v != nullptr && v[0] != '\0'; };
  if (set(display) || set(wayland_display) || qt_qpa_platform != nullptr) return true;
  return std::find(args.begin(), args.end(), "-platform") != args.end();
}

const char* NoDisplayMessage() {
  return "quillbox: there is no display to open the window on: neither DISPLAY nor\n"
         "WAYLAND_DISPLAY is set. Start it from a desktop session (or set\n"
         "QT_QPA_PLATFORM=offscreen to run it without showing anything).\n";
}

}  // namespace qb
