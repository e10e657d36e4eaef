// The entry table: the in-memory model of the one text file that is loaded.
//
// A text file is divided into entries; each begins at a header line
// (";title" or ";tag:title") and has a title, an optional tag, a body (a run
// of bytes of the file) and the line number of its header. The per-entry
// lists below are held in step: item i of each describes entry i, entries
// numbered from 0 in file order. Titles and tags are kept as the file's own
// code page 932 bytes, so that comparing, storing in the index cache and
// reading back never alter them; they are decoded only where they are shown.
// Offsets and lengths count bytes of the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/string_list.h"

namespace qb {

// Hashes std::string and std::string_view alike, so that looking a view up
// in a set of strings allocates nothing.
struct StringHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The fixed first row of `TagList` while a file is loaded.
inline constexpr std::string_view kAllTitle = "ALL Title";

struct EntryTable {
  // `Title`[0]: the titles of all entries (the full title list).
  // `Title`[1]: the titles of the entries of the selected tag (filtered).
  std::array<StringList, 2> Title;
  std::vector<int64_t> StartByte;  // offset of entry i's body, from 0
  std::vector<int64_t> MesByte;    // length of entry i's body in bytes
  StringList TagAll;               // tag of entry i; "" when it has none
  std::vector<int64_t> GCount;     // line number of entry i's header, from 1
  // Row j of `Title`[1] is entry `NormalNo`[j].
  std::vector<int64_t> NormalNo;
  // Row 0 is kAllTitle while a file is loaded; then each distinct non-empty
  // tag once, in order of first occurrence.
  std::vector<std::string> TagList;
  // The rows of `TagList`, for AddTag's look-up in constant time; changed
  // only together with `TagList` (AddTag, ResetForLoad, Clear).
  std::unordered_set<std::string, StringHash, std::equal_to<>> tag_rows;

  size_t size() const { return Title[0].size(); }

  // True when the five per-entry lists have the same length and the filtered
  // view has one entry number per row, each naming an entry.
  bool InStep() const;

  // Empties the per-entry lists and the filtered view and leaves `TagList`
  // holding only kAllTitle: the state in which a file starts loading.
  void ResetForLoad();

  // Empties everything, `TagList` included.
  void Clear();

  // The entry number behind row |row| of title list |list| (0 or 1), or -1
  // when there is no such row.
  int64_t EntryNumber(int list, int64_t row) const;
};

}  // namespace qb
