// Where the Windows directory stand-in lives, and making sure it exists.
#pragma once

#include <string>

#include "engine/status.h"

namespace qb::kernel32 {

// The configuration directory: $XDG_CONFIG_HOME when it is an absolute path,
// else ~/.config (the home directory from $HOME, else the password database),
// without a trailing "/" (except for "/" itself). Empty when there is no home
// directory.
std::string ConfigDirectory();

// Creates the Windows directory (kernel32.h) and its missing parents, each
// with mode 0700, and sets |*path| to it (UTF-8 bytes). kNotFound when there
// is no home directory; the errno status when a directory cannot be made.
Status EnsureWindowsDirectory(std::string* path);

}  // namespace qb::kernel32
