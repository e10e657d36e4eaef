#include "engine/text_base.h"

#include <cstdio>

#include "engine/cp932.h"
#include "engine/entry_display.h"
#include "engine/tags.h"

namespace qb {

TextBase::TextBase(std::string index_dir, Env* env) : env_(env), index_dir_(std::move(index_dir)) {}

Status TextBase::ListTextFiles(const std::string& dir) {
  TmpList_.clear();
  FileList_.clear();
  Sfn_.clear();
  file_row_ = -1;
  CurrentDir_ = dir;
  return qb::ListTextFiles(env_, dir, &TmpList_);
}

Status TextBase::SplitFileNames() {
  if (TmpList_.empty()) return Status::Ok();
  FileList_.reserve(TmpList_.size());
  Sfn_.reserve(TmpList_.size());
  for (ListedFile& f : TmpList_) {
    FileList_.push_back(std::move(f.title));
    Sfn_.push_back(std::move(f.name));
  }
  TmpList_.clear();
  return SelectFile(0);
}

Status TextBase::ListSingleFile(const std::string& path) {
  ClearEntries(0);
  CurrentDir_ = DirName(path);
  ListedFile f;
  f.name = BaseName(path);
  FileList_.push_back(std::move(f.title));
  Sfn_.push_back(std::move(f.name));
  return SelectFile(0);
}

Status TextBase::SelectFile(int64_t row) {
  if (row < -1 || row >= static_cast<int64_t>(Sfn_.size())) {
    return Status::InvalidArgument("no file in row " + std::to_string(row));
  }
  file_row_ = row;
  return LoadSelectedFile();
}

Status TextBase::LoadSelectedFile() {
  load_problem_.clear();
  if (file_row_ < 0) {
    CurrentFile_.clear();
    IndexFile_.clear();
    ClearEntries(1);
    return Status::Ok();
  }
  const std::string& name = Sfn_[file_row_];
  CurrentFile_ = JoinPath(CurrentDir_, name);
  IndexFile_ = index_dir_.empty() ? std::string() : JoinPath(index_dir_, IndexFileName(name));
  FileInfo info;
  Status s = env_->Stat(CurrentFile_, &info);
  if (s.IsNotFound()) {
    // The lists stay as they were; only the body view says why.
    ClearMes();
    load_problem_ = kLoadProblem + s.message();
    return s;
  }
  ClearEntries(1);
  title_row_ = {-1, -1};
  tag_row_ = -1;
  LoadWay way = LoadWay::kScanned;
  s = LoadEntries(env_, CurrentFile_, IndexFile_, &table_, &way);
  if (s.ok()) {
    last_load_ = way;
  } else {
    load_problem_ = kLoadProblem + s.message();
  }
  visible_title_ = 0;
  return s;
}

Status TextBase::RebuildIndex() {
  if (!IndexFile_.empty()) env_->RemoveFile(IndexFile_);
  return LoadSelectedFile();
}

Status TextBase::SelectTitle(int list, int64_t row) {
  if ((list != 0 && list != 1) || table_.EntryNumber(list, row) < 0) {
    return Status::InvalidArgument("no title in row " + std::to_string(row));
  }
  title_row_[list] = row;
  return ShowEntry(list);
}

Status TextBase::ShowEntry(int list) {
  int64_t k = table_.EntryNumber(list, title_row_[list & 1]);
  if (k < 0) return Status::InvalidArgument("no title is selected");
  load_problem_.clear();
  const int64_t length = table_.MesByte[k];
  const bool longer = length > kMaxShownBodyBytes;
  std::string bytes;
  Status s = ReadEntryBody(env_, CurrentFile_, table_.StartByte[k],
                           longer ? kMaxShownBodyBytes : length, &bytes);
  Mes_cut_ = longer && static_cast<int64_t>(bytes.size()) == kMaxShownBodyBytes;
  if (Mes_cut_) bytes.resize(Cp932CompletePrefix(bytes));
  Mes_length_ = length;
  // The decoded text is that of exactly the bytes read, so cutting it to
  // their count changes nothing and is left out.
  Mes_ = DecodeCp932(bytes);
  if (!s.ok()) load_problem_ = kLoadProblem + s.message();
  return s;
}

std::string TextBase::MesCutNotice() const {
  if (!Mes_cut_) return "";
  char line[256];
  std::snprintf(line, sizeof line,
                "本文は %.1f MiB あります。先頭の %lld MiB だけを表示しています。\n"
                "全文はエディタで開いてください [E]。",
                static_cast<double>(Mes_length_) / (1 << 20),
                static_cast<long long>(kMaxShownBodyBytes >> 20));
  return line;
}

void TextBase::SelectTag(int64_t row) {
  if (row < 0 || row >= static_cast<int64_t>(table_.TagList.size())) return;
  tag_row_ = row;
  visible_title_ = FilterByTag(table_, row);
  title_row_[1] = -1;
}

void TextBase::ClearEntries(int mode) {
  if (mode == 0) {
    FileList_.clear();
    TmpList_.clear();
    Sfn_.clear();
    file_row_ = -1;
    table_.Clear();
  } else if (mode == 1) {
    table_.ResetForLoad();
  } else {
    return;
  }
  title_row_ = {-1, -1};
  tag_row_ = -1;
  ClearMes();
  load_problem_.clear();
}

void TextBase::ClearMes() {
  Mes_.clear();
  Mes_cut_ = false;
  Mes_length_ = 0;
}

int64_t TextBase::SelectedEntry() const {
  return table_.EntryNumber(visible_title_, title_row_[visible_title_]);
}

}  // namespace qb
