// Fuzz target: the text file scanner on arbitrary bytes.
//
// The input is the text file. It is scanned whole, then again with the
// reads cut into small pieces chosen from the input (so that header lines
// straddle reads), and compared with a plain line-by-line scanner written
// here from the format's rules; then scanned with a read that fails part
// way. Checks: the lists are in step, every entry lies inside the file in
// file order, the three scans agree with each other and with the plain
// scanner, a failed scan leaves an empty table, and for a file whose line
// ends are all CR LF the header lines and bodies put end to end give back
// the file from its first header line on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/entry_table.h"
#include "engine/scanner.h"
#include "engine/tags.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/memory_env.h"

namespace qb::fuzz {
namespace {

constexpr char kPath[] = "/dir/T.QBS";

// The format's rules, one line at a time.
EntryTable PlainScan(std::string_view file) {
  EntryTable t;
  t.ResetForLoad();
  int64_t line_no = 0;
  int64_t entry_start = -1;
  size_t pos = 0;
  while (pos < file.size()) {
    size_t lf = file.find('\n', pos);
    size_t next = lf == std::string_view::npos ? file.size() : lf + 1;
    std::string_view text =
        file.substr(pos, (lf == std::string_view::npos ? file.size() : lf) - pos);
    ++line_no;
    if (!text.empty() && text[0] == ';') {
      if (entry_start >= 0) t.MesByte.push_back(static_cast<int64_t>(pos) - entry_start);
      text = text.substr(0, kMaxHeaderBytes);
      if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
      std::string_view rest = text.substr(1);
      size_t colon = rest.find(':');
      std::string_view tag = colon == std::string_view::npos ? "" : rest.substr(0, colon);
      std::string_view title = colon == std::string_view::npos ? rest : rest.substr(colon + 1);
      t.TagAll.push_back(tag);
      if (!tag.empty()) AddTag(t, tag);
      t.Title[0].push_back(title);
      t.StartByte.push_back(static_cast<int64_t>(next));
      t.GCount.push_back(line_no);
      entry_start = static_cast<int64_t>(next);
    }
    pos = next;
  }
  if (entry_start >= 0) t.MesByte.push_back(static_cast<int64_t>(file.size()) - entry_start);
  return t;
}

bool SameTable(const EntryTable& a, const EntryTable& b) {
  return a.Title[0] == b.Title[0] && a.TagAll == b.TagAll && a.StartByte == b.StartByte &&
         a.MesByte == b.MesByte && a.GCount == b.GCount && a.TagList == b.TagList;
}

bool OnlyCrLf(std::string_view file) {
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n' && (i == 0 || file[i - 1] != '\r')) return false;
    if (file[i] == '\r' && (i + 1 == file.size() || file[i + 1] != '\n')) return false;
  }
  return true;
}

void CheckInsideFile(const EntryTable& t, int64_t size) {
  FUZZ_CHECK(t.InStep());
  FUZZ_CHECK(!t.TagList.empty() && t.TagList[0] == kAllTitle);
  int64_t previous_end = 0;
  int64_t previous_line = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    FUZZ_CHECK(t.StartByte[i] >= previous_end);
    FUZZ_CHECK(t.MesByte[i] >= 0 && t.StartByte[i] + t.MesByte[i] <= size);
    FUZZ_CHECK(t.GCount[i] > previous_line);
    previous_end = t.StartByte[i] + t.MesByte[i];
    previous_line = t.GCount[i];
  }
  if (t.size() > 0) FUZZ_CHECK(previous_end == size);
}

size_t FirstHeaderStart(std::string_view file) {
  for (size_t pos = 0; pos < file.size();) {
    if (file[pos] == ';') return pos;
    size_t lf = file.find('\n', pos);
    if (lf == std::string_view::npos) break;
    pos = lf + 1;
  }
  return file.size();
}

// From the first header line on, the file is each entry's header line (";"
// tag ":" title, or ";" title for an entry without a tag, then CR LF, which
// only a header line that ends the file may lack) followed by its body.
void CheckConcatenation(const EntryTable& t, std::string_view file) {
  size_t pos = FirstHeaderStart(file);
  for (size_t i = 0; i < t.size(); ++i) {
    size_t start = static_cast<size_t>(t.StartByte[i]);
    FUZZ_CHECK(start >= pos);
    std::string_view header = file.substr(pos, start - pos);
    bool ended = header.size() >= 2 && header.substr(header.size() - 2) == "\r\n";
    if (!ended) FUZZ_CHECK(start == file.size());
    std::string title(t.Title[0][i]);
    std::string with_tag = ";" + std::string(t.TagAll[i]) + ":" + title + (ended ? "\r\n" : "");
    std::string without_tag = ";" + title + (ended ? "\r\n" : "");
    FUZZ_CHECK(header == with_tag || (t.TagAll[i].empty() && header == without_tag));
    pos = start + static_cast<size_t>(t.MesByte[i]);
  }
  FUZZ_CHECK(pos == file.size());
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb;
  using namespace qb::fuzz;
  std::string_view file(reinterpret_cast<const char*>(data), size);
  MemoryEnv env;
  env.Put(kPath, file);

  EntryTable whole;
  whole.ResetForLoad();
  FUZZ_CHECK(ScanTextFile(&env, kPath, &whole).ok());
  CheckInsideFile(whole, static_cast<int64_t>(size));
  FUZZ_CHECK(SameTable(whole, PlainScan(file)));
  if (OnlyCrLf(file)) CheckConcatenation(whole, file);

  // Reads in pieces of 1 to 16 bytes, the sizes taken from the input.
  std::vector<size_t> pieces;
  for (size_t i = 0; i < size && i < 64; ++i) pieces.push_back(1 + data[i] % 16);
  env.SetReadPieces(pieces);
  EntryTable pieced;
  pieced.ResetForLoad();
  FUZZ_CHECK(ScanTextFile(&env, kPath, &pieced).ok());
  FUZZ_CHECK(SameTable(whole, pieced));

  // A read that fails part way leaves an empty table in step.
  if (size > 0) {
    env.FailSequentialRead(static_cast<int64_t>(data[size - 1] % 8) + 1);
    EntryTable failed;
    failed.ResetForLoad();
    Status s = ScanTextFile(&env, kPath, &failed);
    if (!s.ok()) {
      FUZZ_CHECK(failed.size() == 0 && failed.InStep());
      FUZZ_CHECK(failed.TagList.size() == 1 && failed.TagList[0] == kAllTitle);
    } else {
      FUZZ_CHECK(SameTable(whole, failed));
    }
  }
  return 0;
}
