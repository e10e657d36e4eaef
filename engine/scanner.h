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

// The most entries a file may have: a table of that many takes about 40
// bytes an entry besides the titles, so a file of nothing but header lines
// (a few gigabytes of ";" and line ends) is refused instead of exhausting
// memory.
inline constexpr size_t kMaxEntries = size_t{1} << 24;

// `ScanTextFile`: reads the file at |path| from start to end and appends its
// entries to |table|, which the caller has just reset (ResetForLoad), adding
// each non-empty tag to `TagList`. On a read failure, and with kTooLarge for
// a file of more than |max_entries| entries, the table is reset again (so
// its lists stay in step and empty) and the failure is returned.
Status ScanTextFile(Env* env, const std::string& path, EntryTable* table,
                    size_t max_entries = kMaxEntries);

}  // namespace qb
