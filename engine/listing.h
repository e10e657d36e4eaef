// The listing of a directory's text files, ordered by their titles.
//
// Text files are the regular files (symbolic links followed) whose names end
// in ".qbs" in any letter case and do not begin with "."; a file's title is
// its first line (code page 932 bytes, line end removed). The order is that
// of the key title + "_" + file name compared without regard to the letter
// case of single-byte letters; keys equal that way keep the order of their
// raw bytes. Titles and names are kept as pairs, so an underscore in either
// never makes the split ambiguous.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/env.h"
#include "engine/status.h"

namespace qb {

struct ListedFile {
  std::string title;  // first line, code page 932
  std::string name;   // file name as the directory holds it
};

// The longest title read from a first line: a longer first line is listed
// by its first kMaxTitleBytes bytes, cut at a character boundary.
inline constexpr size_t kMaxTitleBytes = 64 * 1024;

bool IsTextFileName(std::string_view name);

// Compares two listing keys (title + "_" + name) without regard to the case
// of single-byte letters; the trail byte of a double-byte character is never
// taken for a letter. Returns <0, 0 or >0.
int CompareListingKeys(std::string_view a, std::string_view b);

// `ListTextFiles`: the text files of |dir| in listing order. A file whose
// first line cannot be read is listed with an empty title. kNotFound or
// kIoError when |dir| itself cannot be read.
Status ListTextFiles(Env* env, const std::string& dir, std::vector<ListedFile>* files);

}  // namespace qb
