// The settings store of Quillbox: one object of AVOLE's `Reg` class, created
// through the component object model by its class identifier on first use
// and called through the method table of its interface `_Reg`.
#pragma once

#include <memory>
#include <string>

#include "engine/settings.h"

namespace qb {

// Creates the `Reg` object and returns a store over it (Node
// HKEY_CURRENT_USER). When AVOLE is not registered for this user yet, the
// library installed with the program (lib/quillbox/libavole.so or
// lib/libavole.so beside the program's bin/ directory) is registered first.
// Null when no object can be had; |*why_not| then says why in one line.
std::unique_ptr<SettingsStore> OpenRegSettingsStore(std::string* why_not);

}  // namespace qb
