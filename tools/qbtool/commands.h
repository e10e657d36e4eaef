// qbtool: the command-line companion of Quillbox, on the same engine.
//
// Output is UTF-8. In list-like output (list, entries, tags) every record is
// one line of fields separated by one tab, and a tab, line feed, carriage
// return or backslash inside a text is written as \t, \n, \r or \\.
// Exit status: 0 on success; 1 with a one-line message naming the file on
// any failure; 2 on a usage error.
#pragma once

#include <cstdio>

namespace qb {

int RunQbtool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace qb
