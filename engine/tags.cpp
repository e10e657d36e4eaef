#include "engine/tags.h"

namespace qb {

void AddTag(EntryTable& table, std::string_view tag) {
  if (table.tag_rows.find(tag) != table.tag_rows.end()) return;
  table.tag_rows.emplace(tag);
  table.TagList.emplace_back(tag);
}

int FilterByTag(EntryTable& table, int64_t tag_row) {
  table.Title[1].clear();
  table.NormalNo.clear();
  if (tag_row <= 0 || static_cast<size_t>(tag_row) >= table.TagList.size()) return 0;
  const std::string_view t = table.TagList[tag_row];
  for (size_t i = 0; i < table.TagAll.size(); ++i) {
    if (table.TagAll[i] == t) {
      table.Title[1].push_back(table.Title[0][i]);
      table.NormalNo.push_back(static_cast<int64_t>(i));
    }
  }
  return 1;
}

}  // namespace qb
