// Tags: the tag list of the loaded file and the title list narrowed to a tag.
//
// Tags are code page 932 bytes compared exactly (letter case matters).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/entry_table.h"

namespace qb {

// Appends |tag| to `TagList` unless a row (row 0 included) already equals it.
// So a tag spelled "ALL Title" never gets a row of its own.
void AddTag(EntryTable& table, std::string_view tag);

// Rebuilds the filtered view for row |tag_row| of `TagList`: empties `Title`[1]
// and `NormalNo`, then, unless |tag_row| is 0 (or not a row), appends in entry
// order the title and entry number of every entry whose tag equals that row's
// text. Returns the title list to show: 0 for the full list, 1 for the
// filtered one.
int FilterByTag(EntryTable& table, int64_t tag_row);

}  // namespace qb
