// quillbox: the program. Reads the command line, opens the main window on
// the directory it names (or the program's own directory) and runs until
// the window closes.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "dialogs/quill_icon.h"
#include "engine/env.h"
#include "engine/reg_settings.h"
#include "engine/settings.h"
#include "mainwin/main_win.h"

int main(int argc, char** argv) {
  const std::vector<std::string> all_args(argv + 1, argv + argc);
  // --help and --version work without a display.
  const qb::CommandLine first = qb::ParseCommandLine(all_args);
  if (first.action == qb::CommandLine::Action::kHelp) {
    std::fputs(qb::UsageText(), stdout);
    return 0;
  }
  if (first.action == qb::CommandLine::Action::kVersion) {
    std::printf("quillbox %s\n", QB_VERSION);
    return 0;
  }
  if (!qb::HasDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                      std::getenv("QT_QPA_PLATFORM"), all_args)) {
    std::fputs(qb::NoDisplayMessage(), stderr);
    return 1;
  }

  // Qt takes its own options (-platform, -style, ...) out of argv here.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillbox"));
  QApplication::setApplicationVersion(QStringLiteral(QB_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("quillbox"));
  QApplication::setWindowIcon(qb::QuillboxIcon());  // the dialogs' and message boxes' too
  const qb::CommandLine line =
      qb::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.action == qb::CommandLine::Action::kUsageError) {
    std::fprintf(stderr, "quillbox: %s\nTry 'quillbox --help'.\n", line.error.c_str());
    return 2;
  }

  // The settings go through AVOLE's Reg class; without it Quillbox works on
  // with the defaults and keeps nothing, and says so once.
  std::string why_not;
  std::unique_ptr<qb::SettingsStore> store = qb::OpenRegSettingsStore(&why_not);
  if (!store) std::fprintf(stderr, "quillbox: settings will not be kept: %s\n", why_not.c_str());
  qb::MainWin window(store.get());
  window.StartUp(qb::ProgramDirectory(), line.argument);
  window.show();
  return app.exec();
}
