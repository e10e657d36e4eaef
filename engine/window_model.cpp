#include "engine/window_model.h"

#include <utility>

namespace qb {

WindowModel::WindowModel(WindowHooks hooks, Env* env)
    : hooks_(std::move(hooks)), env_(env), base_(std::make_unique<TextBase>("", env)) {}

void WindowModel::SetIndexDirectory(std::string dir) {
  base_ = std::make_unique<TextBase>(std::move(dir), env_);
  AllListsChanged();
}

TwipSize WindowModel::SetWindowSize(TwipSize size) {
  if (minimized_) return size;
  window_size_ = ApplyMinimumSize(size);
  return window_size_;
}

int32_t WindowModel::bar_top() const { return layout().bar.top; }

void WindowModel::BarDragOver(BarTarget target) {
  switch (target) {
    case BarTarget::kTitle:
    case BarTarget::kMes:
      bar_pointer_ = PointerCode::kSizeNS;
      break;
    case BarTarget::kFileList:
      bar_pointer_ = PointerCode::kNoDrop;
      break;
    case BarTarget::kOther:
      break;
  }
}

bool WindowModel::BarDrop(BarTarget target, int32_t y) {
  int32_t top;
  switch (target) {
    case BarTarget::kTitle:
      top = y;  // the title lists start at the pane's top
      break;
    case BarTarget::kMes:
      top = layout().mes.top + y;
      break;
    case BarTarget::kFileList:
      // The no-drop sign was shown throughout: the bar stays where it is.
      bar_pointer_ = PointerCode::kDefault;
      return false;
    case BarTarget::kOther:
    default:
      return false;
  }
  // Held inside the pane as it is now, so the position kept is the one seen.
  bar_top_ = ClampBarTop(top, PaneHeight(ApplyMinimumSize(window_size_).height));
  return true;
}

Status WindowModel::DirectoryChange(const std::string& dir) {
  SetScreenPointer(PointerCode::kBusy);
  base_->ClearEntries(0);
  AllListsChanged();
  Status s = base_->ListTextFiles(dir);
  if (hooks_.lists_changed) hooks_.lists_changed();
  if (hooks_.process_events) hooks_.process_events();
  Status load = base_->SplitFileNames();
  AllListsChanged();
  SetScreenPointer(PointerCode::kDefault);
  return s.ok() ? load : s;
}

Status WindowModel::ListArgument(const std::string& dir) {
  Status s = base_->ListTextFiles(dir);
  AllListsChanged();
  if (hooks_.lists_changed) hooks_.lists_changed();
  if (hooks_.process_events) hooks_.process_events();
  Status load = base_->SplitFileNames();
  AllListsChanged();
  return s.ok() ? load : s;
}

Status WindowModel::SelectFile(int64_t row) {
  return LoadEntries([&] { return base_->SelectFile(row); });
}

Status WindowModel::SelectTitle(int list, int64_t row) {
  Status s = base_->SelectTitle(list, row);
  if (s.ok()) ++versions_.mes;
  return s;
}

void WindowModel::SelectTag(int64_t row) {
  base_->SelectTag(row);
  ++versions_.filter;
}

Status WindowModel::LoadSelectedFile() {
  return LoadEntries([&] { return base_->LoadSelectedFile(); });
}

Status WindowModel::RebuildIndex() {
  return LoadEntries([&] { return base_->RebuildIndex(); });
}

Status WindowModel::LoadEntries(const std::function<Status()>& load) {
  SetScreenPointer(PointerCode::kBusy);
  Status s = load();
  ++versions_.entries;
  ++versions_.filter;
  ++versions_.mes;
  SetScreenPointer(PointerCode::kDefault);
  return s;
}

bool WindowModel::FocusArrived(PaneControl control) {
  if (!keys_.FocusArrived(control, main_panel_left_)) return false;
  WindowCommand();
  return true;
}

KeyOutcome WindowModel::WindowKeyDown(int key_code, int modifiers) const {
  return keys_.WindowKeyDown(key_code, modifiers, base_->visible_title());
}

std::string WindowModel::DriveDirectory(const std::string& volume) const {
  auto it = visited_.find(volume);
  return it == visited_.end() ? volume : it->second;
}

void WindowModel::NoteVisited(const std::string& volume, const std::string& dir) {
  visited_[volume] = dir;
}

void WindowModel::SetScreenPointer(PointerCode code) {
  if (hooks_.set_screen_pointer) hooks_.set_screen_pointer(code);
}

void WindowModel::AllListsChanged() {
  ++versions_.file_list;
  ++versions_.entries;
  ++versions_.filter;
  ++versions_.mes;
}

}  // namespace qb
