// The text file scanner: splits a text file into entries.
//
// A line ends at a line feed; the carriage return of a CR LF pair belongs to
// the line end. Offsets and lengths count the file's bytes exactly, whatever
// its line ends, so for CR LF files they are those of the classic two bytes
// per line end and for LF-only files they still point at the right bytes.
// A line whose first byte is ";" is a header line: without a ":" its title
// is the rest of the line; with one, the tag is what lies between ";" and the
// first ":" and the title is everything after it. Nothing is trimmed. The
// body of an entry runs from the byte after its header line's line end to
// the first byte of the next header line, the last body to the end of the
// file. A header line that ends the file without a line end starts an empty
// body at the file's size.
//
// The file is read in large blocks, never held whole; only header lines are
// copied. Titles and tags stay code page 932 bytes (";" and ":" never occur
// inside a double-byte character, so splitting bytes splits characters).
#pragma once

#include <string>
#include <string_view>

#include "engine/entry_table.h"
#include "engine/env.h"
#include "engine/status.h"

namespace qb {

struct HeaderLine {
  std::string_view tag;
  std::string_view title;
};

// Splits the text of a header line, without its line end and starting with
// ";", into tag and title.
HeaderLine SplitHeaderLine(std::string_view line);

// The longest header text kept: a longer header line keeps its first bytes as
// tag and title. Offsets and line numbers are not affected.
inline constexpr size_t kMaxHeaderBytes = 1 << 20;

// `ScanTextFile`: reads the file at |path| from start to end and appends its
// entries to |table|, which the caller has just reset (ResetForLoad), adding
// each non-empty tag to `TagList`. On a read failure the table is reset
// again (so its lists stay in step and empty) and the failure is returned.
Status ScanTextFile(Env* env, const std::string& path, EntryTable* table);

}  // namespace qb
