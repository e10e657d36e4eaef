// Entry display: an entry's body, cut out of its text file by byte offset
// and length.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/env.h"
#include "engine/status.h"

namespace qb {

// The most bytes of one body that the body view shows (1 MiB). A longer
// body is shown cut there, at a character boundary, and the view says so
// (TextBase::mes_cut): selecting an entry of any length then reads, holds
// and decodes a bounded amount, and the view stays responsive. The view
// takes about 50 ms to lay out 1 MiB of text in lines, but over half a
// second for 1 MiB in one line, and several seconds at 4 MiB.
inline constexpr int64_t kMaxShownBodyBytes = int64_t{1} << 20;

// The size of the pieces in which StreamEntryText reads a body (1 MiB).
inline constexpr int64_t kBodyBlockBytes = int64_t{1} << 20;

// Reads the |length| bytes at |start| of |text_file| with one positioned
// read and returns them as they are (code page 932). A file that has become
// shorter gives the bytes that still exist; a file that cannot be opened
// gives its failure. Nothing is cached: the file is opened and closed here.
Status ReadEntryBody(Env* env, const std::string& text_file, int64_t start, int64_t length,
                     std::string* bytes);

// The text of the |length| bytes at |start| of |text_file|, decoded from
// code page 932 to UTF-8 and handed to |sink| in pieces, reading at most
// kBodyBlockBytes at a time: memory stays bounded whatever the body's
// length. The pieces put together are exactly the decoding of the whole
// body (a double-byte character is never split between two pieces). A file
// that has become shorter gives the text of the bytes that still exist.
// Stops at the first failure, of a read or of |sink|, and returns it.
Status StreamEntryText(Env* env, const std::string& text_file, int64_t start, int64_t length,
                       const std::function<Status(std::string_view utf8)>& sink);

}  // namespace qb
