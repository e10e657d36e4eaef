#include "engine/entry_display.h"

namespace qb {

Status ReadEntryBody(Env* env, const std::string& text_file, int64_t start, int64_t length,
                     std::string* bytes) {
  bytes->clear();
  if (start < 0 || length <= 0) return Status::Ok();
  return env->ReadAt(text_file, start, static_cast<size_t>(length), bytes);
}

}  // namespace qb
