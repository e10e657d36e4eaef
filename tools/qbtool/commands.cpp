#include "tools/qbtool/commands.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cp932.h"
#include "engine/entry_display.h"
#include "engine/env.h"
#include "engine/index_cache.h"
#include "engine/listing.h"
#include "engine/text_base.h"

#ifndef QB_VERSION
#define QB_VERSION "0.1.0"
#endif

namespace qb {
namespace {

constexpr const char* kUsage =
    "Usage: qbtool COMMAND [OPTIONS] ARGUMENTS\n"
    "Browse Quillbox text files (*.QBS, code page 932) from a terminal.\n"
    "\n"
    "Commands:\n"
    "  list DIR           the text files of DIR in the window's order: TITLE<TAB>FILENAME\n"
    "  entries FILE       the entries of FILE: LINE<TAB>START<TAB>LENGTH<TAB>TAG<TAB>TITLE\n"
    "  tags FILE          the rows of the tag list of FILE, \"ALL Title\" first\n"
    "  show FILE N        the body of entry N (counted from 0), exactly its text\n"
    "  reindex FILE       remove FILE's index cache file, scan FILE and write a new one\n"
    "\n"
    "Options:\n"
    "  --scan             scan FILE without reading or writing the index cache\n"
    "  --index-dir DIR    keep index cache files in DIR instead of the default\n"
    "  -v                 say on standard error how the entries were loaded\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Texts in list-like output have tab, line feed, carriage return and backslash\n"
    "written as \\t, \\n, \\r and \\\\. Exit status: 0 success, 1 failure, 2 usage error.\n";

struct Options {
  std::string command;
  std::vector<std::string> args;
  bool scan = false;
  bool verbose = false;
  bool index_dir_given = false;
  std::string index_dir;
};

// Buffered output of one command.
class Writer {
 public:
  explicit Writer(std::FILE* out) : out_(out) {}
  ~Writer() { Flush(); }
  void Raw(std::string_view s) {
    buffer_.append(s);
    if (buffer_.size() > (1 << 16)) Flush();
  }
  // A field of list-like output, decoded from code page 932 and escaped.
  void Field(std::string_view cp932) {
    size_t start = buffer_.size();
    AppendDecodedCp932(cp932, &buffer_);
    EscapeFrom(start);
  }
  void Escaped(std::string_view utf8) {
    size_t start = buffer_.size();
    buffer_.append(utf8);
    EscapeFrom(start);
  }
  void Number(int64_t n) {
    char digits[24];
    auto r = std::to_chars(digits, digits + sizeof digits, n);
    buffer_.append(digits, r.ptr);
  }
  void Tab() { buffer_.push_back('\t'); }
  void EndLine() { buffer_.push_back('\n'); }
  void Flush() {
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }

 private:
  static bool NeedsEscape(char c) { return c == '\t' || c == '\n' || c == '\r' || c == '\\'; }

  // Escapes what was appended to the buffer from |start| on. UTF-8 never
  // holds these four bytes inside a longer character, so a byte test will do.
  void EscapeFrom(size_t start) {
    size_t first = start;
    while (first < buffer_.size() && !NeedsEscape(buffer_[first])) ++first;
    if (first < buffer_.size()) {
      std::string tail = buffer_.substr(first);
      buffer_.resize(first);
      for (char c : tail) {
        switch (c) {
          case '\t':
            buffer_.append("\\t");
            break;
          case '\n':
            buffer_.append("\\n");
            break;
          case '\r':
            buffer_.append("\\r");
            break;
          case '\\':
            buffer_.append("\\\\");
            break;
          default:
            buffer_.push_back(c);
        }
      }
    }
    if (buffer_.size() > (1 << 16)) Flush();
  }

  std::FILE* out_;
  std::string buffer_;
};

int Usage(std::FILE* err, const std::string& message) {
  std::fprintf(err, "qbtool: %s\nTry 'qbtool --help' for more information.\n", message.c_str());
  return 2;
}

int Fail(std::FILE* err, const Status& s) {
  std::fprintf(err, "qbtool: %s\n", s.message().c_str());
  return 1;
}

// A file name shown in output: as it is when it is UTF-8, else read as code
// page 932 (names from old archives).
std::string ShownName(std::string_view name) {
  return IsValidUtf8(name) ? std::string(name) : DecodeCp932(name);
}

int List(const Options& o, std::FILE* out, std::FILE* err) {
  std::vector<ListedFile> files;
  Status s = ListTextFiles(Env::Default(), o.args[0], &files);
  if (!s.ok()) return Fail(err, s);
  Writer w(out);
  for (const ListedFile& f : files) {
    w.Field(f.title);
    w.Tab();
    w.Escaped(ShownName(f.name));
    w.EndLine();
  }
  return 0;
}

std::string IndexDirFor(const Options& o) {
  if (o.scan) return "";
  if (o.index_dir_given) return o.index_dir;
  return ChooseIndexDirectory(Env::Default(), ProgramDirectory());
}

// Loads the one file of the command as the window loads a selected file.
Status Load(const Options& o, TextBase& base, std::FILE* err) {
  const std::string& path = o.args[0];
  FileInfo info;
  Status s = Env::Default()->Stat(path, &info);
  if (!s.ok()) return s;
  if (info.is_directory) return Status::IoError(path + ": is a directory");
  if (o.index_dir_given && !o.scan) {
    Status d = Env::Default()->CreateDirectories(o.index_dir);
    if (!d.ok()) std::fprintf(err, "qbtool: %s; no index is kept\n", d.message().c_str());
  }
  s = base.ListSingleFile(path);
  if (s.ok() && o.verbose) std::fprintf(err, "%s\n", LoadWayText(base.last_load()));
  return s;
}

int Entries(const Options& o, std::FILE* out, std::FILE* err) {
  TextBase base(IndexDirFor(o));
  Status s = Load(o, base, err);
  if (!s.ok()) return Fail(err, s);
  const EntryTable& t = base.entries();
  Writer w(out);
  for (size_t i = 0; i < t.size(); ++i) {
    w.Number(t.GCount[i]);
    w.Tab();
    w.Number(t.StartByte[i]);
    w.Tab();
    w.Number(t.MesByte[i]);
    w.Tab();
    w.Field(t.TagAll[i]);
    w.Tab();
    w.Field(t.Title[0][i]);
    w.EndLine();
  }
  return 0;
}

int Tags(const Options& o, std::FILE* out, std::FILE* err) {
  TextBase base(IndexDirFor(o));
  Status s = Load(o, base, err);
  if (!s.ok()) return Fail(err, s);
  Writer w(out);
  for (const std::string& tag : base.entries().TagList) {
    w.Field(tag);
    w.EndLine();
  }
  return 0;
}

bool ParseEntryNumber(const std::string& text, int64_t* n) {
  if (text.empty() || text.size() > 18) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *n = std::strtoll(text.c_str(), nullptr, 10);
  return true;
}

int Show(const Options& o, std::FILE* out, std::FILE* err) {
  int64_t n = 0;
  if (!ParseEntryNumber(o.args[1], &n)) {
    return Usage(err, "'" + o.args[1] + "' is not an entry number");
  }
  TextBase base(IndexDirFor(o));
  Status s = Load(o, base, err);
  if (!s.ok()) return Fail(err, s);
  if (n >= static_cast<int64_t>(base.entries().size())) {
    return Fail(err, Status::InvalidArgument(o.args[0] + ": no entry " + o.args[1] + " (it has " +
                                             std::to_string(base.entries().size()) + " entries)"));
  }
  // The whole body, exactly, however long: read, decoded and written in
  // pieces, never held whole (the window's view shows a long body cut).
  Writer w(out);
  s = StreamEntryText(Env::Default(), base.CurrentFile(), base.entries().StartByte[n],
                      base.entries().MesByte[n], [&w](std::string_view text) {
                        w.Raw(text);
                        return Status::Ok();
                      });
  w.Flush();
  if (!s.ok()) return Fail(err, s);
  return 0;
}

int Reindex(const Options& o, std::FILE* err) {
  if (o.scan) return Usage(err, "reindex cannot be combined with --scan");
  TextBase base(IndexDirFor(o));
  Status s = Load(o, base, err);
  if (!s.ok()) return Fail(err, s);
  s = base.RebuildIndex();
  if (!s.ok()) return Fail(err, s);
  if (base.last_load() != LoadWay::kScannedIndexed) {
    return Fail(err, Status::IoError(o.args[0] + ": scanned, but no index file could be written" +
                                     (base.IndexFile().empty() ? "" : " to " + base.IndexFile())));
  }
  if (o.verbose) std::fprintf(err, "%s\n", LoadWayText(base.last_load()));
  return 0;
}

}  // namespace

int RunQbtool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, out);
      return 0;
    } else if (a == "--version") {
      std::fprintf(out, "qbtool %s\n", QB_VERSION);
      return 0;
    } else if (a == "--scan") {
      o.scan = true;
    } else if (a == "-v" || a == "--verbose") {
      o.verbose = true;
    } else if (a == "--index-dir") {
      if (i + 1 >= argc) return Usage(err, "--index-dir needs a directory");
      o.index_dir = argv[++i];
      o.index_dir_given = true;
    } else if (a.rfind("--index-dir=", 0) == 0) {
      o.index_dir = a.substr(12);
      o.index_dir_given = true;
    } else if (a == "--") {
      for (++i; i < argc; ++i) o.args.push_back(argv[i]);
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(err, "unknown option '" + a + "'");
    } else if (o.command.empty()) {
      o.command = a;
    } else {
      o.args.push_back(a);
    }
  }
  if (o.command.empty()) return Usage(err, "no command given");
  if (o.index_dir_given && o.index_dir.empty()) return Usage(err, "--index-dir needs a directory");
  struct Command {
    const char* name;
    size_t args;
    const char* shape;
  };
  static const Command kCommands[] = {{"list", 1, "list DIR"},
                                      {"entries", 1, "entries FILE"},
                                      {"tags", 1, "tags FILE"},
                                      {"show", 2, "show FILE N"},
                                      {"reindex", 1, "reindex FILE"}};
  for (const Command& c : kCommands) {
    if (o.command != c.name) continue;
    if (o.args.size() != c.args) return Usage(err, std::string("usage: qbtool ") + c.shape);
    if (o.command == "list") return List(o, out, err);
    if (o.command == "entries") return Entries(o, out, err);
    if (o.command == "tags") return Tags(o, out, err);
    if (o.command == "show") return Show(o, out, err);
    return Reindex(o, err);
  }
  return Usage(err, "unknown command '" + o.command + "'");
}

}  // namespace qb
