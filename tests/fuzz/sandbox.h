// The temporary directory a fuzz target keeps its files in, and the real
// AVOLE library registered there.
#pragma once

#include <string>

namespace qb::fuzz {

// Makes a new directory "qb-<name>-fuzz.XXXXXX" under $QB_FUZZ_TMPDIR
// (default /dev/shm, where the store's fsync costs nothing; /tmp when that
// fails), makes it XDG_CONFIG_HOME, so that the registry and the Windows
// directory live inside it, and removes it at exit. Returns its path.
const std::string& MakeSandbox(const char* name);

// Loads the AVOLE library at |library| and registers it (DllRegisterServer)
// in the current registry; a failure ends the run.
void RegisterAvole(const char* library);

}  // namespace qb::fuzz
