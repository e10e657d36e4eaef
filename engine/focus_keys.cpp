#include "engine/focus_keys.h"

#include "engine/layout.h"

namespace qb {

namespace {

bool IsLeftPaneControl(PaneControl control) {
  return control == PaneControl::kDriveC || control == PaneControl::kDirC ||
         control == PaneControl::kFileList;
}

PaneControl VisibleTitle(int visible_title) {
  return visible_title == 1 ? PaneControl::kTitle1 : PaneControl::kTitle0;
}

}  // namespace

int PaneOf(PaneControl control) {
  switch (control) {
    case PaneControl::kDriveC:
      return 0;
    case PaneControl::kDirC:
      return 1;
    case PaneControl::kFileList:
      return 2;
    case PaneControl::kTitle0:
    case PaneControl::kTitle1:
      return 3;
    case PaneControl::kMes:
      return 4;
    case PaneControl::kTagList:
      return 5;
    case PaneControl::kNone:
      break;
  }
  return -1;
}

MenuCommand LetterKeyCommand(int key_code) {
  switch (key_code) {
    case 'F':
      return MenuCommand::kReLoadFileList;
    case 'I':
      return MenuCommand::kMakeIndex;
    case 'T':
      return MenuCommand::kReLoadTitleList;
    case 'E':
      return MenuCommand::kEdit;
    case 'Q':
      return MenuCommand::kQuit;
    case 'S':
      return MenuCommand::kSetup;
    case 'W':
      return MenuCommand::kWindow;
    case 'R':
      return MenuCommand::kReLoad;
    default:
      return MenuCommand::kNone;
  }
}

int32_t ToggledMainPanelLeft(int32_t main_panel_left) {
  return main_panel_left == 0 ? kMainPanelLeft : 0;
}

FocusKeys::FocusKeys() {
  captions_.fill(kCaptionButtonFace);
  captions_[2] = kCaptionHighlight;
}

uint32_t FocusKeys::CaptionBackground(int caption) const {
  if (caption < 0 || caption >= kPaneCount) return kCaptionButtonFace;
  return captions_[caption];
}

int FocusKeys::CurrentPane() const {
  for (int i = 0; i < kPaneCount; ++i) {
    if (captions_[i] == kCaptionHighlight) return i;
  }
  return 2;  // Not reached: one caption is always highlighted.
}

bool FocusKeys::FocusArrived(PaneControl control, int32_t main_panel_left) {
  const int pane = PaneOf(control);
  if (pane < 0) return false;
  for (int i = 0; i < kPaneCount; ++i) {
    captions_[i] = i == pane ? kCaptionHighlight : kCaptionButtonFace;
  }
  if (IsLeftPaneControl(control)) {
    if (main_panel_left != 0) return false;
    DirPanelAutoShown_ = true;
    return true;
  }
  if (!DirPanelAutoShown_) return false;
  DirPanelAutoShown_ = false;
  return true;
}

KeyOutcome FocusKeys::WindowKeyDown(int key_code, int modifiers, int visible_title) const {
  KeyOutcome out;
  out.key_code = key_code;
  if (key_code == kKeyLeft) {
    switch (CurrentPane()) {
      case 0:
        return out;  // Left alone: the drive list's own handling discards it.
      case 1:
        if (modifiers == kShiftBit) out.focus = PaneControl::kDriveC;
        break;
      case 2:
        out.focus = PaneControl::kDirC;
        break;
      case 3:
        out.focus = PaneControl::kFileList;
        break;
      case 4:
        out.focus = VisibleTitle(visible_title);
        break;
      case 5:
        out.focus = PaneControl::kMes;
        break;
    }
    out.key_code = 0;
    return out;
  }
  if (key_code == kKeyRight) {
    switch (CurrentPane()) {
      case 0:
        out.focus = PaneControl::kDirC;
        break;
      case 1:
        out.focus = PaneControl::kFileList;
        break;
      case 2:
        out.focus = VisibleTitle(visible_title);
        break;
      case 3:
        out.focus = PaneControl::kMes;
        break;
      case 4:
        out.focus = PaneControl::kTagList;
        break;
      case 5:
        return out;  // Left alone: the tag list's own handling discards it.
    }
    out.key_code = 0;
    return out;
  }
  out.command = LetterKeyCommand(key_code);
  return out;
}

int FocusKeys::ControlKeyDown(PaneControl control, int key_code) {
  if (control == PaneControl::kDriveC && key_code == kKeyLeft) return 0;
  if (control == PaneControl::kTagList && key_code == kKeyRight) return 0;
  return key_code;
}

}  // namespace qb
