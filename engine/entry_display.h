// Entry display: an entry's body, cut out of its text file by byte offset
// and length.
#pragma once

#include <cstdint>
#include <string>

#include "engine/env.h"
#include "engine/status.h"

namespace qb {

// Reads the |length| bytes at |start| of |text_file| with one positioned
// read and returns them as they are (code page 932). A file that has become
// shorter gives the bytes that still exist; a file that cannot be opened
// gives its failure. Nothing is cached: the file is opened and closed here.
Status ReadEntryBody(Env* env, const std::string& text_file, int64_t start, int64_t length,
                     std::string* bytes);

}  // namespace qb
