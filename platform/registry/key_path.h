// Key paths and names of the registry stand-in, as code page 932 bytes.
//
// A key path is a sequence of key names separated by backslashes. Names are
// compared without regard to the case of ASCII letters. In code page 932 a
// lead byte (0x81-0x9F, 0xE0-0xFC) and the byte after it form one double-byte
// character; that second byte may look like a letter or like a backslash
// (0x5C, as in "ソ" = 0x83 0x5C) but is neither, so it is never folded and
// never splits a path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qb::registry {

// True when |byte| starts a double-byte character of code page 932.
bool IsLeadByte(unsigned char byte);

// The form of |name| under which it is looked up: ASCII letters upper-cased,
// the second byte of every double-byte character kept as it is. A lead byte at
// the very end (a truncated character) is kept as it is too.
std::string FoldName(std::string_view name);

// The key names of |path|, in order. Backslashes that end a double-byte
// character do not separate. Empty names (from doubled or trailing
// backslashes) are dropped, so "a\\\\b\\" gives {"a", "b"}; a path that
// begins with a backslash is refused by the callers before it gets here. The
// views point into |path|.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

}  // namespace qb::registry
