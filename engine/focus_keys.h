// FocusKeys: the main window's focus and keyboard rules, without any widget.
//
// The panes form a row from left to right: drive list, directory list, file
// list, title list, body view, tag list. Each has a caption `ContF`(i),
// i = 0..5 in that order; the caption of the pane with the keyboard focus has
// the background kCaptionHighlight and the five others kCaptionButtonFace.
// Those six backgrounds are the only record of the current pane. At first
// `ContF`(2), the file list's caption, is the highlighted one.
//
// The window feeds this object what happens and performs what it answers:
//   - a pane control received the focus: FocusArrived(control, MainPanel's
//     left edge); when it returns true the window runs the Window command
//     (ToggledMainPanelLeft) at once;
//   - a key went down anywhere in the window, before the focused control
//     sees it: WindowKeyDown(key, modifiers, visible title list) says where
//     to move the focus, which command to run and which key code is left for
//     the focused control (0: none, the key is cancelled); the window then
//     passes that code through ControlKeyDown for the focused control.
// Moving the focus is the window's job: the control that receives it reports
// its arrival through FocusArrived like any other focus change.
//
// Key codes are the platform's virtual-key codes: 37 Left, 39 Right, a
// letter by its upper-case character code (65 'A' .. 90 'Z'), whatever the
// character typed. Modifiers are a bit set: 1 Shift, 2 Ctrl, 4 Alt.
// Everything runs on the caller's thread; nothing here fails.
#pragma once

#include <array>
#include <cstdint>

namespace qb {

// Caption backgrounds, as 0x00BBGGRR or 0x80000000 + system colour index.
inline constexpr uint32_t kCaptionHighlight = 0x00FFFFFFu;   // white
inline constexpr uint32_t kCaptionButtonFace = 0x8000000Fu;  // system colour 15

inline constexpr int kPaneCount = 6;

inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyRight = 39;
inline constexpr int kShiftBit = 1;
inline constexpr int kCtrlBit = 2;
inline constexpr int kAltBit = 4;

// The seven controls that take the focus, by pane. The title list is
// `Title`(0) or `Title`(1), whichever is visible; both behave alike.
enum class PaneControl {
  kNone,      // no control: nothing to move the focus to
  kDriveC,    // pane 0
  kDirC,      // pane 1
  kFileList,  // pane 2
  kTitle0,    // pane 3
  kTitle1,    // pane 3
  kMes,       // pane 4
  kTagList,   // pane 5
};

// The pane (caption index 0..5) of |control|; -1 for kNone.
int PaneOf(PaneControl control);

// The menu commands, by the menu item that runs them.
enum class MenuCommand {
  kNone,
  kEdit,             // `MM`(0) "編集 [ E ]"
  kReLoad,           // `MM`(1) "ReLoad [ R ]": only opens its submenu, runs nothing
  kSetup,            // `MM`(2) "Setup [ S ]"
  kWindow,           // `MM`(3) "Window [ W ]"
  kQuit,             // `MM`(4) "終了 [ Q ]"
  kReLoadFileList,   // `MM1`(0) "File List      [ F ]"
  kReLoadTitleList,  // `MM1`(1) "Title List     [ T ]"
  kMakeIndex,        // `MM1`(2) "Make Index [ I ]"
  kHelp,             // `MM5`(0) "Open Help", F1
  kAbout,            // `MM5`(1) "QUILLBOX", F2
};

// The command that letter key |key_code| runs whatever the modifiers:
// F 70, I 73, T 84, E 69, Q 81, S 83, W 87, and R 82 (kReLoad, which runs
// nothing). kNone for every other key.
MenuCommand LetterKeyCommand(int key_code);

// The Window command: `MainPanel`'s next left edge. A left edge of exactly 0
// (the right pane covers the window) becomes kMainPanelLeft (2520 twips), so
// the left pane shows again; any other becomes 0. The window then sizes
// `MainPanel` to its own outer width less that edge.
int32_t ToggledMainPanelLeft(int32_t main_panel_left);

// What the window does with a key, in this order: move the focus to
// |focus| (unless kNone), run |command| (unless kNone), then hand
// |key_code| to ControlKeyDown for the control that has the focus; a code
// of 0 means the key is cancelled and no control sees it.
struct KeyOutcome {
  PaneControl focus = PaneControl::kNone;
  MenuCommand command = MenuCommand::kNone;
  int key_code = 0;
  bool operator==(const KeyOutcome&) const = default;
};

class FocusKeys {
 public:
  // `ContF`(2) highlighted, `DirPanelAutoShown` false.
  FocusKeys();

  // The background of caption |caption| (0..5); kCaptionButtonFace for an
  // index outside 0..5.
  uint32_t CaptionBackground(int caption) const;
  const std::array<uint32_t, kPaneCount>& captions() const { return captions_; }

  // The current pane: the first caption from 0 upwards whose background is
  // exactly kCaptionHighlight. Always 0..5.
  int CurrentPane() const;

  // True while the left pane is shown only because the focus went into it
  // while the right pane covered the window.
  bool DirPanelAutoShown() const { return DirPanelAutoShown_; }

  // Focus arrival in |control| (kNone is ignored and returns false).
  // Highlights the control's caption and sets the five others to the button
  // face. Returns true when the window must run the Window command now:
  //   - a left-pane control (DriveC, DirC, FileList) while |main_panel_left|
  //     is exactly 0: the left pane is to be shown, and DirPanelAutoShown()
  //     becomes true;
  //   - a right-pane control (title lists, Mes, TagList) while
  //     DirPanelAutoShown() is true: the left pane is to be hidden again (or,
  //     if the user hid it by the Window command meanwhile, shown), and
  //     DirPanelAutoShown() becomes false.
  // The Window command run from the menu or by W does not touch the flag.
  bool FocusArrived(PaneControl control, int32_t main_panel_left);

  // The window's key-down handling of |key_code| with |modifiers|, where
  // |visible_title| (0 or 1) is the title list that is visible. It reads the
  // current pane and changes nothing itself:
  //   Left:  pane 0: nothing, the key code is left as it is (the drive list
  //          discards it); pane 1: focus to DriveC when |modifiers| is
  //          exactly Shift, else nothing; 2: DirC; 3: FileList; 4: the
  //          visible title list; 5: Mes. Cancelled in every pane but 0.
  //   Right: 0: DirC; 1: FileList; 2: the visible title list; 3: Mes;
  //          4: TagList; 5: nothing, the key code is left as it is (the tag
  //          list discards it). Cancelled in every pane but 5.
  //   Letter keys of LetterKeyCommand: their command, the key not cancelled.
  //   Any other key: nothing, not cancelled.
  KeyOutcome WindowKeyDown(int key_code, int modifiers, int visible_title) const;

  // The key-down handling of the focused control |control|, given the key
  // code the window left: DriveC discards Left, TagList discards Right
  // (both give 0); everything else comes back unchanged.
  static int ControlKeyDown(PaneControl control, int key_code);

 private:
  std::array<uint32_t, kPaneCount> captions_;
  bool DirPanelAutoShown_ = false;
};

}  // namespace qb
