// Code page 932 conversion for the registry texts of qb_com (internal).
//
// Unlike engine/cp932.h this keeps no per-thread converters: a thread-local
// object with a destructor would pin a server library in memory until the
// thread ends (glibc), and registration runs inside server libraries that
// CoFreeUnusedLibraries must be able to unload. The rules are the same:
// characters code page 932 lacks become "?", bytes it cannot decode U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace qb::com_internal {

std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view bytes);

}  // namespace qb::com_internal
