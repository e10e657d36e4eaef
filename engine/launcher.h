// Launcher: starts another program as a process of its own, never through a
// shell, and does not wait for it.
//
// The program gets exactly the argument vector it is given: no word of it
// is split, expanded or interpreted by anyone on the way, so nothing in a
// path or a setting can run anything else. Whether it could be started is
// known when Start returns, so the caller can report a program that is not
// there.
//
// Callers hold a Launcher* so that tests can substitute their own; the real
// one is ProcessLauncher (DefaultLauncher()).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/status.h"

namespace qb {

class Launcher {
 public:
  virtual ~Launcher() = default;

  // Starts the program |argv|[0] with the arguments |argv| (its own name
  // first, as every program receives it). A name without "/" is looked up in
  // the directories of $PATH, as a shell would; one with "/" is used as it
  // stands. Returns once the program has begun to run, or with a failure
  // whose message is CannotStartMessage(|argv|[0], the reason): kNotFound
  // when there is no such program, kIoError when it cannot be run (not
  // executable, not a program), kInvalidArgument for an empty |argv|.
  virtual Status Start(const std::vector<std::string>& argv) = 0;
};

// The real launcher. The new process runs in a session of its own, detached
// from this one: it is not this process's child (nothing is left to reap),
// it outlives this process, it inherits the environment, the working
// directory and the standard streams, and no other file this process holds
// open. Its signal mask and ignored signals are reset to the defaults.
// Start may be called from any thread; it blocks only until the program's
// image is loaded (or fails to load).
class ProcessLauncher final : public Launcher {
 public:
  Status Start(const std::vector<std::string>& argv) override;
};

// A process-wide ProcessLauncher. Never null, never destroyed.
Launcher* DefaultLauncher();

// The text of the message box that reports a program that cannot be
// started: the program's name in double quotes, then "を起動できません",
// then |reason| after ": " (left out when |reason| is empty). UTF-8.
std::string CannotStartMessage(std::string_view program, std::string_view reason);

}  // namespace qb
