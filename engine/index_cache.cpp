#include "engine/index_cache.h"

#include <cstdlib>
#include <optional>

#include "engine/date_text.h"
#include "engine/scanner.h"
#include "engine/tags.h"

namespace qb {
namespace {

// Reads plain decimal text: digits only, no sign, no leading zero.
bool ParseDecimal(std::string_view text, int64_t* value) {
  if (text.empty() || text.size() > 18 || (text.size() > 1 && text[0] == '0')) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

Status Stale(const std::string& index_file, const std::string& why) {
  return Status::Corrupt(index_file + ": " + why);
}

}  // namespace

std::string IndexFileName(std::string_view file_name) {
  size_t dot = file_name.find('.');
  std::string stem(dot == std::string_view::npos ? file_name : file_name.substr(0, dot + 1));
  if (dot == std::string_view::npos) stem.push_back('.');
  return stem + "QBI";
}

std::string ChooseIndexDirectory(Env* env, const std::string& program_dir) {
  if (!program_dir.empty()) {
    std::string beside = JoinPath(program_dir, "QB_INDEX");
    FileInfo info;
    Status s = env->Stat(beside, &info);
    if (s.IsNotFound()) env->CreateDirectories(beside);
    if (env->IsWritableDirectory(beside)) return beside;
  }
  std::string cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
    cache = xdg;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    cache = JoinPath(home, ".cache");
  } else {
    return "";
  }
  std::string dir = JoinPath(JoinPath(cache, "quillbox"), "QB_INDEX");
  if (env->CreateDirectories(dir).ok() && env->IsWritableDirectory(dir)) return dir;
  return "";
}

Status AppendIndexSlot(const IndexRecord& record, std::string* out) {
  size_t text = 0;
  for (const std::string& field : record) text += field.size();
  if (text > kMaxRecordText) {
    return Status::TooLarge("an index record needs " + std::to_string(text + 10) + " bytes");
  }
  size_t start = out->size();
  for (const std::string& field : record) {
    out->push_back(static_cast<char>(field.size() & 0xFF));
    out->push_back(static_cast<char>(field.size() >> 8));
    out->append(field);
  }
  out->resize(start + kSlotSize, '\0');
  return Status::Ok();
}

namespace {

// The five fields of a slot as views into it; false when one runs past it.
bool SlotFields(std::string_view slot, std::array<std::string_view, 5>* fields) {
  size_t pos = 0;
  for (std::string_view& field : *fields) {
    if (pos + 2 > kSlotSize) return false;
    size_t n = static_cast<unsigned char>(slot[pos]) |
               static_cast<size_t>(static_cast<unsigned char>(slot[pos + 1])) << 8;
    pos += 2;
    if (n > kSlotSize - pos) return false;
    field = slot.substr(pos, n);
    pos += n;
  }
  return true;
}

}  // namespace

Status ParseIndexSlot(std::string_view slot, IndexRecord* record) {
  std::array<std::string_view, 5> fields;
  if (slot.size() != kSlotSize) return Status::Corrupt("an index slot is not 128 bytes");
  if (!SlotFields(slot, &fields)) return Status::Corrupt("an index field runs past its slot");
  for (size_t i = 0; i < fields.size(); ++i) (*record)[i].assign(fields[i]);
  return Status::Ok();
}

Status EncodeIndex(const EntryTable& table, int64_t mtime, std::string* out) {
  out->clear();
  out->reserve((table.size() + 1) * kSlotSize);
  Status s = AppendIndexSlot({FormatGeneralDate(mtime), "", "", "", ""}, out);
  for (size_t i = 0; s.ok() && i < table.size(); ++i) {
    s = AppendIndexSlot({std::string(table.Title[0][i]), std::to_string(table.StartByte[i]),
                         std::to_string(table.MesByte[i]), std::string(table.TagAll[i]),
                         std::to_string(table.GCount[i])},
                        out);
  }
  if (!s.ok()) out->clear();
  return s;
}

Status DecodeIndex(std::string_view data, int64_t file_size, EntryTable* table) {
  auto fail = [&](const char* why) {
    table->ResetForLoad();
    return Status::Corrupt(why);
  };
  if (data.size() < kSlotSize || data.size() % kSlotSize != 0) {
    return fail("the index is not a whole number of slots");
  }
  const size_t slots = data.size() / kSlotSize;
  table->Title[0].reserve(slots, slots * 24);
  table->TagAll.reserve(slots, slots * 8);
  table->StartByte.reserve(slots);
  table->MesByte.reserve(slots);
  table->GCount.reserve(slots);
  std::array<std::string_view, 5> r;
  int64_t previous_end = 0;
  int64_t previous_line = 0;
  for (size_t k = 1; k < slots; ++k) {
    if (!SlotFields(data.substr(k * kSlotSize, kSlotSize), &r)) {
      return fail("an index field runs past its slot");
    }
    int64_t start, length, line;
    if (!ParseDecimal(r[1], &start) || !ParseDecimal(r[2], &length) || !ParseDecimal(r[4], &line)) {
      return fail("an index record holds a number that is not plain decimal");
    }
    if (start < previous_end || length > file_size - start || line <= previous_line) {
      return fail("an index entry does not lie inside the text file in order");
    }
    previous_end = start + length;
    previous_line = line;
    table->Title[0].push_back(r[0]);
    table->StartByte.push_back(start);
    table->MesByte.push_back(length);
    if (!r[3].empty()) AddTag(*table, r[3]);
    table->TagAll.push_back(r[3]);
    table->GCount.push_back(line);
  }
  if (table->size() > 0 && previous_end != file_size) {
    return fail("the last index entry does not end at the end of the text file");
  }
  return Status::Ok();
}

Status WriteIndex(Env* env, const std::string& index_file, const EntryTable& table, int64_t mtime) {
  std::string data;
  Status s = EncodeIndex(table, mtime, &data);
  if (s.code() == Status::Code::kTooLarge) {
    // An index that does not hold every entry must not remain: a later load
    // would take it for fresh.
    env->RemoveFile(index_file);
    return Status::TooLarge(index_file + ": " + s.message());
  }
  return env->WriteFileAtomic(index_file, data);
}

Status ReadIndex(Env* env, const std::string& index_file, const FileInfo& text, EntryTable* table) {
  FileInfo info;
  Status s = env->Stat(index_file, &info);
  if (!s.ok()) return s;
  if (!info.is_regular) return Stale(index_file, "not a regular file");
  // The freshness test costs one slot; the rest is read only when it passes.
  std::string header;
  s = env->ReadAt(index_file, 0, kSlotSize, &header);
  if (!s.ok()) return s;
  IndexRecord h;
  if (!ParseIndexSlot(header, &h).ok()) return Stale(index_file, "its header slot is damaged");
  std::optional<int64_t> stamp = ParseGeneralDate(h[0]);
  if (!stamp || *stamp != DateStamp(text.mtime)) {
    return Stale(index_file, "it records another modification time");
  }
  // The header names whole seconds. An index written in the same second as
  // the text file's last change, but before it (as the file system's finer
  // times show), was made from the text as it was before that change.
  if (info.mtime == text.mtime && info.mtime_nsec < text.mtime_nsec) {
    return Stale(index_file, "the text file changed after it was written, in the same second");
  }
  std::unique_ptr<FileView> view;
  s = env->MapFile(index_file, &view);
  if (!s.ok()) return s;
  s = DecodeIndex(view->data(), text.size, table);
  if (!s.ok()) return Stale(index_file, s.message());
  return Status::Ok();
}

const char* LoadWayText(LoadWay way) {
  switch (way) {
    case LoadWay::kReadIndex:
      return "read index";
    case LoadWay::kScannedIndexed:
      return "scanned, index written";
    case LoadWay::kScannedStale:
      return "scanned, stale index removed";
    case LoadWay::kScanned:
      return "scanned";
  }
  return "scanned";
}

Status LoadEntries(Env* env, const std::string& text_file, const std::string& index_file,
                   EntryTable* table, LoadWay* way) {
  FileInfo text;
  Status s = env->Stat(text_file, &text);
  if (!s.ok()) return s;
  if (text.is_directory) return Status::IoError(text_file + ": is a directory");
  if (!text.is_regular) return Status::IoError(text_file + ": is not a regular file");
  table->ResetForLoad();
  *way = LoadWay::kScanned;

  bool had_index = false;
  if (!index_file.empty()) {
    FileInfo info;
    had_index = env->Stat(index_file, &info).ok();
  }
  if (had_index) {
    s = ReadIndex(env, index_file, text, table);
    if (s.ok()) {
      *way = LoadWay::kReadIndex;
      return s;
    }
    table->ResetForLoad();
    if (env->RemoveFile(index_file).ok()) *way = LoadWay::kScannedStale;
  }
  s = ScanTextFile(env, text_file, table);
  if (!s.ok()) return s;
  if (!index_file.empty() && !had_index) {
    // The time is taken again after the scan, and after the index is
    // written: a file saved while it was being read, or before its index
    // was in place, must not keep an index made from its old text.
    auto unchanged = [&] {
      FileInfo now;
      return env->Stat(text_file, &now).ok() && now.mtime == text.mtime &&
             now.mtime_nsec == text.mtime_nsec && now.size == text.size;
    };
    if (unchanged() && WriteIndex(env, index_file, *table, text.mtime).ok()) {
      if (unchanged()) {
        *way = LoadWay::kScannedIndexed;
      } else {
        env->RemoveFile(index_file);
      }
    }
  }
  return Status::Ok();
}

}  // namespace qb
