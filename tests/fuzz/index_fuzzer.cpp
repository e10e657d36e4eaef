// Fuzz target: the index cache reader on arbitrary index files.
//
// Input: one byte of flags, eight bytes of the text file's size (little
// endian), then the index file's bytes. Flag 1 replaces slot 1 with a
// header that names the text file's time, so that ReadIndex goes past its
// freshness test. Checks:
//  - DecodeIndex never reads outside a slot: every entry it accepts is what
//    its own slot, parsed alone from an exact 128-byte copy, holds;
//  - an accepted index fits its text file: lists in step, every entry
//    inside the file in file order, line numbers rising, the last entry
//    ending at the file's end; a rejected one leaves an empty table;
//  - what was accepted encodes again and decodes to the same table;
//  - ReadIndex accepts exactly when the header names the file's time and
//    DecodeIndex accepts;
//  - LoadEntries, given the index and a text file of that size (made of the
//    same input bytes), ends with a table that fits the text file, never
//    keeps an index it rejected, and, loaded twice more, writes an index and
//    then reads back what the scan found.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "engine/date_text.h"
#include "engine/index_cache.h"
#include "engine/scanner.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/memory_env.h"

namespace qb::fuzz {
namespace {

constexpr char kText[] = "/dir/T.QBS";
constexpr char kIndex[] = "/index/T.QBI";
constexpr int64_t kMtime = 1700000000;  // 2023-11-14, any time will do

bool SameEntries(const EntryTable& a, const EntryTable& b) {
  return a.Title[0] == b.Title[0] && a.TagAll == b.TagAll && a.StartByte == b.StartByte &&
         a.MesByte == b.MesByte && a.GCount == b.GCount && a.TagList == b.TagList;
}

void CheckFits(const EntryTable& t, int64_t file_size) {
  FUZZ_CHECK(t.InStep());
  FUZZ_CHECK(!t.TagList.empty() && t.TagList[0] == kAllTitle);
  int64_t previous_end = 0, previous_line = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    FUZZ_CHECK(t.StartByte[i] >= previous_end && t.MesByte[i] >= 0);
    FUZZ_CHECK(t.StartByte[i] <= file_size && t.MesByte[i] <= file_size - t.StartByte[i]);
    FUZZ_CHECK(t.GCount[i] > previous_line);
    previous_end = t.StartByte[i] + t.MesByte[i];
    previous_line = t.GCount[i];
  }
  if (t.size() > 0) FUZZ_CHECK(previous_end == file_size);
}

bool IsEmptyTable(const EntryTable& t) {
  return t.size() == 0 && t.InStep() && t.TagList.size() == 1 && t.TagList[0] == kAllTitle;
}

// Entry i of an accepted table against slot i + 2 parsed on its own.
void CheckAgainstSlots(const EntryTable& t, std::string_view index) {
  for (size_t i = 0; i < t.size(); ++i) {
    std::unique_ptr<char[]> slot(new char[kSlotSize]);
    std::memcpy(slot.get(), index.data() + (i + 1) * kSlotSize, kSlotSize);
    IndexRecord r;
    FUZZ_CHECK(ParseIndexSlot(std::string_view(slot.get(), kSlotSize), &r).ok());
    FUZZ_CHECK(r[0] == t.Title[0][i] && r[3] == t.TagAll[i]);
    FUZZ_CHECK(r[1] == std::to_string(t.StartByte[i]) && r[2] == std::to_string(t.MesByte[i]) &&
               r[4] == std::to_string(t.GCount[i]));
  }
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb;
  using namespace qb::fuzz;
  if (size < 9) return 0;
  const uint8_t flags = data[0];
  uint64_t raw_size = 0;
  for (int i = 0; i < 8; ++i) raw_size |= static_cast<uint64_t>(data[1 + i]) << (8 * i);
  // Up to 1 TiB, past every 32-bit offset.
  const int64_t file_size = static_cast<int64_t>(raw_size & ((uint64_t{1} << 40) - 1));
  std::string index(reinterpret_cast<const char*>(data + 9), size - 9);
  if ((flags & 1) != 0 && index.size() >= kSlotSize) {
    std::string header;
    FUZZ_CHECK(AppendIndexSlot({FormatGeneralDate(kMtime), "", "", "", ""}, &header).ok());
    index.replace(0, kSlotSize, header);
  }

  // DecodeIndex, on an exact copy of the bytes.
  EntryTable decoded;
  decoded.ResetForLoad();
  std::unique_ptr<char[]> exact(new char[index.size() + 1]);
  std::memcpy(exact.get(), index.data(), index.size());
  Status s = DecodeIndex(std::string_view(exact.get(), index.size()), file_size, &decoded);
  if (s.ok()) {
    CheckFits(decoded, file_size);
    CheckAgainstSlots(decoded, index);
    FUZZ_CHECK(index.size() == (decoded.size() + 1) * kSlotSize);
    std::string again;
    if (EncodeIndex(decoded, kMtime, &again).ok()) {
      EntryTable round;
      round.ResetForLoad();
      FUZZ_CHECK(DecodeIndex(again, file_size, &round).ok());
      FUZZ_CHECK(SameEntries(decoded, round));
    }
  } else {
    FUZZ_CHECK(IsEmptyTable(decoded));
  }

  // ReadIndex: the header decides freshness, DecodeIndex the rest.
  MemoryEnv env;
  env.Put(kIndex, index);
  FileInfo text;
  text.is_regular = true;
  text.size = file_size;
  text.mtime = kMtime;
  EntryTable read;
  read.ResetForLoad();
  Status r = ReadIndex(&env, kIndex, text, &read);
  if (r.ok()) {
    FUZZ_CHECK(s.ok());
    FUZZ_CHECK(SameEntries(decoded, read));
  } else {
    FUZZ_CHECK(IsEmptyTable(read));
  }

  // LoadEntries with a text file of at most 64 KiB made of the input.
  const int64_t small_size = file_size % 65536;
  std::string body;
  while (static_cast<int64_t>(body.size()) < small_size) body.append(index.empty() ? "x" : index);
  body.resize(static_cast<size_t>(small_size));
  env.Put(kText, body, kMtime);
  EntryTable loaded;
  LoadWay way = LoadWay::kScanned;
  FUZZ_CHECK(LoadEntries(&env, kText, kIndex, &loaded, &way).ok());
  CheckFits(loaded, small_size);
  if (way != LoadWay::kReadIndex) FUZZ_CHECK(!env.Has(kIndex));
  EntryTable scanned;
  scanned.ResetForLoad();
  FUZZ_CHECK(ScanTextFile(&env, kText, &scanned).ok());
  if (way != LoadWay::kReadIndex) FUZZ_CHECK(SameEntries(loaded, scanned));
  // The next load writes an index (when every entry fits its slot), the one
  // after reads it back.
  FUZZ_CHECK(LoadEntries(&env, kText, kIndex, &loaded, &way).ok());
  if (way == LoadWay::kScannedIndexed) {
    FUZZ_CHECK(LoadEntries(&env, kText, kIndex, &loaded, &way).ok());
    FUZZ_CHECK(way == LoadWay::kReadIndex);
    FUZZ_CHECK(SameEntries(loaded, scanned));
  }
  return 0;
}
