// Index cache files: the result of a scan, stored so that a text file that
// has not changed is loaded without being read.
//
// One index file per text file, in the index directory, named by the text
// file's name up to and including its first "." followed by "QBI"
// (MEMO.QBS -> MEMO.QBI). The file is a sequence of 128-byte slots; slot 1
// is the header, slot i + 2 the record of entry i. Each slot holds five
// fields one after the other from its first byte, each a 16-bit
// little-endian byte count followed by that many code page 932 bytes; the
// rest of the slot is zeros. Header fields: the text file's modification
// time in the general date form, then four empty fields. Entry fields:
// title, `StartByte`, `MesByte` (decimal), tag, `GCount` (decimal).
// doc/index_format.md has the byte-level example.
//
// An index is used only when it fits its text file: its header names the
// file's current modification time to the second (and the index file was
// not written before a change made in that same second), every slot is
// whole and well-formed, every number is plain decimal, every entry lies
// inside the file in file order, and the last one ends exactly at the
// file's size.
// Anything else is stale: it is removed and the text file is scanned.
// Index files are written whole to a temporary file and renamed into place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/entry_table.h"
#include "engine/env.h"
#include "engine/status.h"

namespace qb {

inline constexpr size_t kSlotSize = 128;
// The five texts of one record may take at most this many bytes together.
inline constexpr size_t kMaxRecordText = kSlotSize - 10;

using IndexRecord = std::array<std::string, 5>;

// The index file name for the text file named |file_name| (no directory).
std::string IndexFileName(std::string_view file_name);

// The index directory for a program in |program_dir|: |program_dir|/QB_INDEX
// when it is a directory this process can write, or can be created as one;
// otherwise $XDG_CACHE_HOME/quillbox/QB_INDEX (~/.cache/...), created when
// missing. "" when neither can be had: files are then scanned every time.
std::string ChooseIndexDirectory(Env* env, const std::string& program_dir);

// Appends one 128-byte slot holding |record| to |out|. kTooLarge when the
// texts take more than kMaxRecordText bytes; |out| is then unchanged.
Status AppendIndexSlot(const IndexRecord& record, std::string* out);

// Reads the five fields of one 128-byte |slot|. kCorrupt when a field's
// length runs past the end of the slot.
Status ParseIndexSlot(std::string_view slot, IndexRecord* record);

// The whole index file for |table|, whose text file was last modified at
// |mtime|. kTooLarge when an entry does not fit its slot.
Status EncodeIndex(const EntryTable& table, int64_t mtime, std::string* out);

// Fills |table| (already reset for loading) from the index file bytes
// |data|, checking that it fits a text file of |file_size| bytes. The header
// is checked by the caller. On kCorrupt the table is reset again.
Status DecodeIndex(std::string_view data, int64_t file_size, EntryTable* table);

// `WriteIndex`: writes the index of |table| to |index_file| atomically. On
// kTooLarge no index file is left behind at |index_file| (an old one is
// removed), so the text file is scanned at each selection.
Status WriteIndex(Env* env, const std::string& index_file, const EntryTable& table, int64_t mtime);

// `ReadIndex`: reads |index_file| into |table| (already reset for loading),
// checking its header against |text| (the text file's size and time).
// kCorrupt for an index that does not fit: the caller removes it.
Status ReadIndex(Env* env, const std::string& index_file, const FileInfo& text, EntryTable* table);

// How a file's entries came to be loaded.
enum class LoadWay {
  kReadIndex,       // "read index"
  kScannedIndexed,  // "scanned, index written"
  kScannedStale,    // "scanned, stale index removed"
  kScanned,         // "scanned": no index file could be written
};
const char* LoadWayText(LoadWay way);

// Loads the entries of |text_file| into |table| through its index file
// |index_file| ("" for none): reads a fresh index; scans when there is none
// and then writes one; removes a stale one and scans (writing no new one,
// so that the next load writes it). An index is written only when the text
// file did not change while it was scanned and indexed. When |text_file| is
// not there (or is not a regular file) kNotFound/kIoError comes back and
// |table| is not touched. Otherwise |table| is reset first; on a failure to
// read the text file it stays reset (empty and in step), nothing is written
// to the cache, and the failure is returned.
Status LoadEntries(Env* env, const std::string& text_file, const std::string& index_file,
                   EntryTable* table, LoadWay* way);

}  // namespace qb
