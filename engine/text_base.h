// TextBase: the state of the text base that the window shows, without any
// window: the file list of the current directory, the entry table of the
// selected file, the selections, which title list is visible, and the body
// text. The window renders this state and forwards the user's selections to
// it; qbtool drives the same object.
//
// Texts of the lists (`FileList`, `Title`, `TagList`) are code page 932
// bytes, decoded where they are drawn; `Mes` is UTF-8. Rows count from 0;
// -1 means no row is selected. Every operation runs to completion on the
// caller's thread; the caller shows the busy pointer around the long ones
// (ListTextFiles, SelectFile, LoadSelectedFile, RebuildIndex).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/entry_table.h"
#include "engine/env.h"
#include "engine/index_cache.h"
#include "engine/listing.h"
#include "engine/status.h"

namespace qb {

// The start of TextBase::load_problem(), before the reason.
inline constexpr const char* kLoadProblem = "このファイルを読み込めません: ";

class TextBase {
 public:
  // |index_dir| is the index cache directory; "" loads every file by a scan
  // and writes no index. |env| must outlive this object.
  explicit TextBase(std::string index_dir, Env* env = Env::Default());

  // --- Directory listing -------------------------------------------------

  // `ListTextFiles`: empties the file list, sets `CurrentDir` to |dir| as
  // given, and reads the titles of its text files into the pending listing.
  // A directory that cannot be read leaves the listing empty and says why.
  Status ListTextFiles(const std::string& dir);

  // `SplitFileNames`: moves the pending listing into `FileList` and `Sfn`
  // and, when there is at least one file, selects row 0, which loads it.
  // Returns the result of that load (Ok when nothing was listed).
  Status SplitFileNames();

  // Lists only the file |path|, as though its directory held nothing else,
  // and loads it: `CurrentDir` is the part of |path| before its last "/".
  // Used by qbtool, which works on one file.
  Status ListSingleFile(const std::string& path);

  // --- Selections ---------------------------------------------------------

  // Selects row |row| of `FileList` (-1 for none) and loads that file.
  Status SelectFile(int64_t row);

  // `LoadSelectedFile`: loads the file behind the selected `FileList` row
  // into the entry table, through its index cache file. A file that is no
  // longer there changes nothing and returns kNotFound. A file that cannot
  // be read leaves the entry table empty and returns why. Afterwards the
  // full title list is visible with nothing selected in it.
  Status LoadSelectedFile();

  // `RebuildIndex`: removes the selected file's index file, then loads the
  // file again, which scans it and writes a new index.
  Status RebuildIndex();

  // Selects row |row| of title list |list| (0 full, 1 filtered) and shows
  // that entry's body in `Mes` (`ShowEntry`). kInvalidArgument for a row
  // that does not exist; `Mes` is then unchanged.
  Status SelectTitle(int list, int64_t row);

  // `ShowEntry`: replaces `Mes` with the body of the entry selected in title
  // list |list|. A body longer than kMaxShownBodyBytes (entry_display.h) is
  // shown cut at a character boundary within its first kMaxShownBodyBytes
  // bytes, and mes_cut() says so; nothing beyond that is read.
  Status ShowEntry(int list);

  // Selects row |row| of `TagList` and filters the titles by it
  // (`FilterByTag`): row 0 shows the full list with its earlier selection;
  // another row shows the filtered list with nothing selected.
  void SelectTag(int64_t row);

  // `ClearEntries`: mode 0 empties the file list, the entry table (`TagList`
  // included) and `Mes`; mode 1 empties the entry table and `Mes` and leaves
  // "ALL Title" as the only tag; any other mode does nothing. Visibility and
  // `CurrentDir`/`CurrentFile`/`IndexFile` are not changed.
  void ClearEntries(int mode);

  // --- State --------------------------------------------------------------

  const std::string& index_dir() const { return index_dir_; }
  const std::string& CurrentDir() const { return CurrentDir_; }
  const std::string& CurrentFile() const { return CurrentFile_; }
  const std::string& IndexFile() const { return IndexFile_; }

  const std::vector<std::string>& FileList() const { return FileList_; }
  const std::vector<std::string>& Sfn() const { return Sfn_; }
  int64_t file_row() const { return file_row_; }

  const EntryTable& entries() const { return table_; }
  // Which title list is visible: 0 (`Title`(0), all entries) or 1.
  int visible_title() const { return visible_title_; }
  int64_t title_row(int list) const { return title_row_[list & 1]; }
  int64_t tag_row() const { return tag_row_; }
  // The entry number of the selected title in the visible list, or -1.
  int64_t SelectedEntry() const;

  const std::string& Mes() const { return Mes_; }
  // True when `Mes` holds only the first part of a body longer than
  // kMaxShownBodyBytes; mes_length() is then the whole body's length in
  // bytes, and MesCutNotice() two short lines (UTF-8, joined by "\n") that
  // the window shows above the text so that the user knows the rest is in
  // the file.
  bool mes_cut() const { return Mes_cut_; }
  int64_t mes_length() const { return Mes_length_; }
  std::string MesCutNotice() const;
  // Why the selected file, or the body of the selected entry, could not be
  // read, as a line (UTF-8) beginning with kLoadProblem that the window
  // shows in the empty body view; "" after a load or a body that worked and
  // once the lists are cleared.
  const std::string& load_problem() const { return load_problem_; }
  // How the last successful load got its entries.
  LoadWay last_load() const { return last_load_; }

 private:
  // Empties `Mes`, with what is known of its cut.
  void ClearMes();

  Env* env_;
  std::string index_dir_;
  std::string CurrentDir_;
  std::string CurrentFile_;
  std::string IndexFile_;
  std::vector<ListedFile> TmpList_;
  std::vector<std::string> FileList_;
  std::vector<std::string> Sfn_;
  int64_t file_row_ = -1;
  EntryTable table_;
  int visible_title_ = 0;
  std::array<int64_t, 2> title_row_ = {-1, -1};
  int64_t tag_row_ = -1;
  std::string Mes_;
  bool Mes_cut_ = false;
  int64_t Mes_length_ = 0;
  LoadWay last_load_ = LoadWay::kScanned;
  std::string load_problem_;
};

}  // namespace qb
