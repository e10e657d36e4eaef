#include "engine/entry_display.h"

#include <algorithm>

#include "engine/cp932.h"

namespace qb {

Status ReadEntryBody(Env* env, const std::string& text_file, int64_t start, int64_t length,
                     std::string* bytes) {
  bytes->clear();
  if (start < 0 || length <= 0) return Status::Ok();
  return env->ReadAt(text_file, start, static_cast<size_t>(length), bytes);
}

Status StreamEntryText(Env* env, const std::string& text_file, int64_t start, int64_t length,
                       const std::function<Status(std::string_view utf8)>& sink) {
  if (start < 0 || length <= 0) return Status::Ok();
  std::string carry;  // the first byte of a character whose second byte is still to come
  std::string block;
  std::string text;
  int64_t done = 0;
  while (done < length) {
    const int64_t want = std::min(kBodyBlockBytes, length - done);
    Status s = env->ReadAt(text_file, start + done, static_cast<size_t>(want), &block);
    if (!s.ok()) return s;
    done += static_cast<int64_t>(block.size());
    const bool last = done >= length || static_cast<int64_t>(block.size()) < want;
    block.insert(0, carry);
    const size_t complete = last ? block.size() : Cp932CompletePrefix(block);
    carry.assign(block, complete, std::string::npos);
    text.clear();
    AppendDecodedCp932(std::string_view(block).substr(0, complete), &text);
    if (!text.empty()) {
      s = sink(text);
      if (!s.ok()) return s;
    }
    if (last) break;
  }
  return Status::Ok();
}

}  // namespace qb
