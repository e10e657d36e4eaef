#include "engine/scanner.h"

#include <algorithm>
#include <cstring>
#include <memory>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/tags.h"

namespace qb {
namespace {

constexpr size_t kBlockSize = 1 << 18;

// Collects entries as header lines are met. The names of the two counters
// are those of the classic scanner: `BytePos` is the offset of the byte after
// the last header line read, `EntryStart` the start of the open entry's body.
class EntryCollector {
 public:
  explicit EntryCollector(EntryTable* table) : table_(table) {}

  // A header line that starts at |line_start|, has the text |text| (its line
  // end stripped) and occupies |line_bytes| bytes of the file including its
  // line end.
  void Header(int64_t line_start, int64_t line_bytes, int64_t line_no, std::string_view text) {
    if (entry_open_) table_->MesByte.push_back(line_start - EntryStart);
    int64_t BytePos = line_start + line_bytes;
    HeaderLine h = SplitHeaderLine(text);
    table_->TagAll.push_back(h.tag);
    if (!h.tag.empty()) AddTag(*table_, h.tag);
    table_->Title[0].push_back(h.title);
    table_->StartByte.push_back(BytePos);
    table_->GCount.push_back(line_no);
    entry_open_ = true;
    EntryStart = BytePos;
  }

  // Makes room for about |n| entries in all, so that a large file does not
  // make the lists grow (and copy themselves) a step at a time.
  void Reserve(size_t n) {
    table_->Title[0].reserve(n, n * 24);
    table_->StartByte.reserve(n);
    table_->MesByte.reserve(n);
    table_->TagAll.reserve(n, n * 8);
    table_->GCount.reserve(n);
  }

  size_t count() const { return table_->Title[0].size(); }

  void End(int64_t file_size) {
    if (entry_open_) table_->MesByte.push_back(file_size > EntryStart ? file_size - EntryStart : 0);
  }

 private:
  EntryTable* table_;
  bool entry_open_ = false;
  int64_t EntryStart = 0;
};

// The number of line feeds in [from, to): a plain loop, then vector
// versions for SSE2 (every x86-64) and AVX2 (chosen at run time).
int64_t CountLineFeedsPlain(const char* from, const char* to) {
  int64_t n = 0;
  for (; from < to; ++from) n += *from == '\n';
  return n;
}

#if defined(__x86_64__)
// Byte-wise counters: each compare adds 0 or -1 to a lane; 255 rounds at
// most before the lanes are summed, so none can overflow.
int64_t CountLineFeedsSse2(const char* from, const char* to) {
  int64_t n = 0;
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (to - from >= 16) {
    __m128i counts = zero;
    for (int rounds = 0; rounds < 255 && to - from >= 16; ++rounds, from += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, lf));
    }
    __m128i sums = _mm_sad_epu8(counts, zero);
    n += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
  }
  return n + CountLineFeedsPlain(from, to);
}

__attribute__((target("avx2"))) int64_t CountLineFeedsAvx2(const char* from, const char* to) {
  int64_t n = 0;
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i zero = _mm256_setzero_si256();
  while (to - from >= 32) {
    __m256i counts = zero;
    for (int rounds = 0; rounds < 255 && to - from >= 32; ++rounds, from += 32) {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
      counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(v, lf));
    }
    __m256i sums = _mm256_sad_epu8(counts, zero);
    n += _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
         _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3);
  }
  return n + CountLineFeedsSse2(from, to);
}

using CountFn = int64_t (*)(const char*, const char*);
const CountFn kCountLineFeeds =
    __builtin_cpu_supports("avx2") ? CountLineFeedsAvx2 : CountLineFeedsSse2;

int64_t CountLineFeeds(const char* from, const char* to) { return kCountLineFeeds(from, to); }
#else
int64_t CountLineFeeds(const char* from, const char* to) { return CountLineFeedsPlain(from, to); }
#endif

std::string_view StripLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

HeaderLine SplitHeaderLine(std::string_view line) {
  std::string_view rest = line.substr(line.empty() ? 0 : 1);
  size_t colon = rest.find(':');
  if (colon == std::string_view::npos) return {std::string_view(), rest};
  return {rest.substr(0, colon), rest.substr(colon + 1)};
}

Status ScanTextFile(Env* env, const std::string& path, EntryTable* table, size_t max_entries) {
  std::unique_ptr<SequentialFile> file;
  Status s = env->OpenSequential(path, &file);
  if (!s.ok()) {
    table->ResetForLoad();
    return s;
  }
  std::unique_ptr<char[]> block(new char[kBlockSize]);
  EntryCollector collector(table);
  FileInfo info;
  const int64_t expected_size = env->Stat(path, &info).ok() ? info.size : 0;

  // Header lines are found by looking for ";" and checking that a line feed
  // (or the start of the file) comes right before it; the line feeds in
  // between are only counted. Bodies are thus passed over at the speed of
  // memchr and a vector count.
  int64_t offset = 0;      // file offset of block[0]
  int64_t lines = 0;       // line feeds seen so far
  char prev_byte = '\n';   // the byte before block[0]; the file start acts as a line feed
  bool in_header = false;  // a header line runs on past the end of the last block
  int64_t header_start = 0;
  int64_t header_line = 0;
  std::string header;  // the bytes of that header line so far

  auto keep = [&](const char* from, const char* to) {
    size_t room = kMaxHeaderBytes - std::min(kMaxHeaderBytes, header.size());
    header.append(from, std::min(static_cast<size_t>(to - from), room));
  };

  while (true) {
    size_t got = 0;
    s = file->Read(kBlockSize, block.get(), &got);
    if (!s.ok()) {
      table->ResetForLoad();
      return s;
    }
    if (got == 0) break;
    const char* base = block.get();
    const char* p = base;
    const char* end = base + got;
    if (in_header) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      keep(p, lf ? lf : end);
      if (lf) {
        ++lines;
        int64_t line_end = offset + (lf + 1 - base);
        collector.Header(header_start, line_end - header_start, header_line, StripLineEnd(header));
        in_header = false;
        p = lf + 1;
      } else {
        p = end;
      }
    }
    while (p < end) {
      const char* q = static_cast<const char*>(std::memchr(p, ';', end - p));
      if (!q) {
        lines += CountLineFeeds(p, end);
        break;
      }
      lines += CountLineFeeds(p, q);
      bool line_start = q > base ? q[-1] == '\n' : prev_byte == '\n';
      if (!line_start) {
        p = q + 1;
        continue;
      }
      header_start = offset + (q - base);
      header_line = lines + 1;
      const char* lf = static_cast<const char*>(std::memchr(q, '\n', end - q));
      if (!lf) {
        header.clear();
        keep(q, end);
        in_header = true;
        break;
      }
      ++lines;
      std::string_view text(q, std::min(static_cast<size_t>(lf - q), kMaxHeaderBytes));
      collector.Header(header_start, offset + (lf + 1 - base) - header_start, header_line,
                       StripLineEnd(text));
      p = lf + 1;
    }
    if (collector.count() > max_entries) {
      table->ResetForLoad();
      return Status::TooLarge(path + ": more than " + std::to_string(max_entries) + " entries");
    }
    prev_byte = end[-1];
    offset += static_cast<int64_t>(got);
    if (offset == static_cast<int64_t>(got) && expected_size > offset && collector.count() > 0) {
      // Estimate the number of entries from the first block, with a margin.
      double estimate = static_cast<double>(collector.count()) * expected_size / offset * 1.25;
      collector.Reserve(static_cast<size_t>(std::min(estimate, static_cast<double>(max_entries))));
    }
  }
  // A header line that ends the file without a line end.
  if (in_header) {
    collector.Header(header_start, offset - header_start, header_line, StripLineEnd(header));
  }
  if (collector.count() > max_entries) {
    table->ResetForLoad();
    return Status::TooLarge(path + ": more than " + std::to_string(max_entries) + " entries");
  }
  collector.End(offset);
  return Status::Ok();
}

}  // namespace qb
