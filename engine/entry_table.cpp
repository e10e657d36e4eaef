#include "engine/entry_table.h"

namespace qb {

bool EntryTable::InStep() const {
  const size_t n = Title[0].size();
  if (StartByte.size() != n || MesByte.size() != n || TagAll.size() != n || GCount.size() != n)
    return false;
  if (Title[1].size() != NormalNo.size()) return false;
  for (int64_t k : NormalNo) {
    if (k < 0 || static_cast<size_t>(k) >= n) return false;
  }
  return true;
}

void EntryTable::ResetForLoad() {
  Clear();
  TagList.emplace_back(kAllTitle);
  tag_rows.emplace(kAllTitle);
}

void EntryTable::Clear() {
  Title[0].clear();
  Title[1].clear();
  StartByte.clear();
  MesByte.clear();
  NormalNo.clear();
  GCount.clear();
  TagAll.clear();
  TagList.clear();
  tag_rows.clear();
}

int64_t EntryTable::EntryNumber(int list, int64_t row) const {
  if (row < 0) return -1;
  if (list == 0) return static_cast<size_t>(row) < Title[0].size() ? row : -1;
  if (list == 1) return static_cast<size_t>(row) < NormalNo.size() ? NormalNo[row] : -1;
  return -1;
}

}  // namespace qb
