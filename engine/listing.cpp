#include "engine/listing.h"

#include <algorithm>

#include "engine/cp932.h"

namespace qb {
namespace {

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool EndsWithQbs(std::string_view name) {
  if (name.size() < 4) return false;
  std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && Fold(ext[1]) == 'q' && Fold(ext[2]) == 'b' && Fold(ext[3]) == 's';
}

}  // namespace

bool IsTextFileName(std::string_view name) {
  return !name.empty() && name[0] != '.' && EndsWithQbs(name);
}

int CompareListingKeys(std::string_view a, std::string_view b) {
  size_t i = 0;
  bool trail = false;  // the byte at i is the second byte of a double-byte character
  for (; i < a.size() && i < b.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (!trail) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? -1 : 1;
    trail = !trail && IsCp932LeadByte(static_cast<unsigned char>(a[i]));
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

Status ListTextFiles(Env* env, const std::string& dir, std::vector<ListedFile>* files) {
  files->clear();
  std::vector<DirEntry> entries;
  Status s = env->ListDirectory(dir, &entries);
  if (!s.ok()) return s;
  struct Keyed {
    std::string key;
    ListedFile file;
  };
  std::vector<Keyed> keyed;
  for (DirEntry& e : entries) {
    if (!e.is_regular || !IsTextFileName(e.name)) continue;
    Keyed k;
    bool truncated = false;
    if (env->ReadFirstLine(JoinPath(dir, e.name), kMaxTitleBytes, &k.file.title, &truncated).ok()) {
      if (truncated) {
        // Cut at a character boundary, not inside a double-byte character.
        k.file.title.resize(Cp932CompletePrefix(k.file.title));
      } else if (!k.file.title.empty() && k.file.title.back() == '\r') {
        k.file.title.pop_back();
      }
    } else {
      k.file.title.clear();
    }
    k.file.name = std::move(e.name);
    k.key = k.file.title + "_" + k.file.name;
    keyed.push_back(std::move(k));
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const Keyed& x, const Keyed& y) { return CompareListingKeys(x.key, y.key) < 0; });
  files->reserve(keyed.size());
  for (Keyed& k : keyed) files->push_back(std::move(k.file));
  return Status::Ok();
}

}  // namespace qb
