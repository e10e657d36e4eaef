#include "engine/editor_launch.h"

#include <algorithm>
#include <cstring>

#include "engine/launcher.h"

namespace qb {

namespace {

constexpr const char* kUnclosedQuote = "引用符が閉じていません";
constexpr const char* kUnclosedQuoteInOption = "行指定Optionの引用符が閉じていません";

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

bool EditorWantsJumpOption(std::string_view editor) {
  constexpr std::string_view kName = "HIDEMARU.EXE";
  if (editor.size() < kName.size()) return false;
  for (size_t i = 0; i + kName.size() <= editor.size(); ++i) {
    if (EqualsIgnoringAsciiCase(editor.substr(i, kName.size()), kName)) return true;
  }
  return false;
}

StatusOr<std::vector<std::string>> SplitShellWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (IsBlank(c)) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else if (c == '\\') {
      if (i + 1 == n) {
        word.push_back('\\');
        in_word = true;
      } else if (text[i + 1] == '\n') {
        ++i;  // A line continuation: neither a character nor a break.
      } else {
        word.push_back(text[++i]);
        in_word = true;
      }
    } else if (c == '\'') {
      const size_t close = text.find('\'', i + 1);
      if (close == std::string_view::npos) return Status::InvalidArgument(kUnclosedQuote);
      word.append(text.substr(i + 1, close - i - 1));
      i = close;
      in_word = true;
    } else if (c == '"') {
      size_t j = i + 1;
      for (;; ++j) {
        if (j == n) return Status::InvalidArgument(kUnclosedQuote);
        const char d = text[j];
        if (d == '"') break;
        if (d == '\\' && j + 1 < n && std::strchr("$`\"\\\n", text[j + 1]) != nullptr) {
          if (text[j + 1] != '\n') word.push_back(text[j + 1]);
          ++j;
        } else {
          word.push_back(d);
        }
      }
      i = j;
      in_word = true;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

EditTarget SelectedEditTarget(const TextBase& base) {
  EditTarget target;
  const int64_t row = base.file_row();
  if (row >= 0 && static_cast<size_t>(row) < base.Sfn().size()) {
    target.file_path = JoinPath(base.CurrentDir(), base.Sfn()[row]);
  }
  const EntryTable& table = base.entries();
  const int list = base.visible_title();
  const int64_t entry = table.EntryNumber(list, base.title_row(list));
  if (entry >= 0 && static_cast<size_t>(entry) < table.GCount.size()) {
    target.line = table.GCount[entry];
  }
  return target;
}

StatusOr<std::vector<std::string>> EditorArguments(std::string_view editor,
                                                   std::string_view edit_opt,
                                                   std::string_view file_path,
                                                   std::optional<int64_t> line) {
  StatusOr<std::vector<std::string>> words = SplitShellWords(editor);
  if (!words.ok()) {
    return Status::InvalidArgument(CannotStartMessage(editor, words.status().message()));
  }
  if (words->empty()) return Status::InvalidArgument(CannotStartMessage(editor, ""));
  std::vector<std::string> argv = std::move(words).value();
  if (line.has_value() && !edit_opt.empty()) {
    StatusOr<std::vector<std::string>> option =
        SplitShellWords(std::string(edit_opt) + std::to_string(*line));
    if (!option.ok()) {
      return Status::InvalidArgument(CannotStartMessage(editor, kUnclosedQuoteInOption));
    }
    for (std::string& w : std::move(option).value()) argv.push_back(std::move(w));
  }
  std::string path(file_path);
  if (!path.empty() && path[0] != '/' && path[0] != '.') path.insert(0, "./");
  argv.push_back(std::move(path));
  return argv;
}

LaunchPlan PlanEdit(std::string_view editor, std::string_view edit_opt, const TextBase& base) {
  LaunchPlan plan;
  StatusOr<std::vector<std::string>> editor_words = SplitShellWords(editor);
  if (editor_words.ok() && editor_words->empty()) {
    plan.message = kNoEditorMessage;
    plan.run_setup = true;
    return plan;
  }
  const EditTarget target = SelectedEditTarget(base);
  if (target.file_path.empty()) {
    plan.message = kNoFileMessage;
    return plan;
  }
  StatusOr<std::vector<std::string>> argv =
      EditorArguments(editor, edit_opt, target.file_path, target.line);
  if (!argv.ok()) {
    plan.message = argv.status().message();
    return plan;
  }
  plan.argv = std::move(argv).value();
  return plan;
}

LaunchPlan PlanHelp(const std::string& program_dir, Env* env) {
  LaunchPlan plan;
  std::string help_path = JoinPath(program_dir, kHelpFileName);
  FileInfo info;
  // An unknown program directory must not make the working directory's
  // file count as the help file.
  bool found = !program_dir.empty() && env->Stat(help_path, &info).ok() && info.is_regular;
  if (!found && !program_dir.empty()) {
    std::vector<DirEntry> entries;
    if (env->ListDirectory(program_dir, &entries).ok()) {
      for (const DirEntry& e : entries) {
        if (e.is_regular && EqualsIgnoringAsciiCase(e.name, kHelpFileName)) {
          help_path = JoinPath(program_dir, e.name);
          found = true;
          break;
        }
      }
    }
  }
  if (!found) {
    plan.message = kNoHelpFileMessage;
    return plan;
  }
  plan.argv = {kHelpViewer, std::move(help_path)};
  return plan;
}

}  // namespace qb
