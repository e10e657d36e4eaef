#include "engine/focus_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/layout.h"

namespace qb {
namespace {

using PC = PaneControl;
using MC = MenuCommand;

// The window's side of the rules, as the real window wires them: it moves
// the focus where a key says, reports every arrival, runs the commands, and
// performs the Window command on `MainPanel`'s left edge.
struct WindowStandIn {
  FocusKeys keys;
  int32_t main_panel_left = kMainPanelLeft;
  int visible_title = 0;
  PC focused = PC::kFileList;  // where the focus is at start-up
  int window_commands = 0;
  std::vector<MC> commands;

  void RunWindowCommand() {
    main_panel_left = ToggledMainPanelLeft(main_panel_left);
    ++window_commands;
  }
  void Focus(PC control) {
    focused = control;
    if (keys.FocusArrived(control, main_panel_left)) RunWindowCommand();
  }
  void Run(MC command) {
    commands.push_back(command);
    if (command == MC::kWindow) RunWindowCommand();
  }
  // Returns the key code that the focused control's own handling acts on.
  int Press(int key, int modifiers = 0) {
    const KeyOutcome out = keys.WindowKeyDown(key, modifiers, visible_title);
    if (out.focus != PC::kNone) Focus(out.focus);
    if (out.command != MC::kNone) Run(out.command);
    return FocusKeys::ControlKeyDown(focused, out.key_code);
  }
  bool LeftPaneShown() const { return main_panel_left != 0; }
};

// A control of each pane, by caption index.
constexpr PC kPaneControl[kPaneCount] = {PC::kDriveC, PC::kDirC, PC::kFileList,
                                         PC::kTitle0, PC::kMes,  PC::kTagList};

TEST(FocusKeysTest, StartsWithTheFileListCaptionHighlighted) {
  FocusKeys keys;
  EXPECT_EQ(keys.CurrentPane(), 2);
  EXPECT_FALSE(keys.DirPanelAutoShown());
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(keys.CaptionBackground(i), i == 2 ? kCaptionHighlight : kCaptionButtonFace) << i;
  }
  // Right then Down: the first title list gets the focus, Down reaches it.
  WindowStandIn w;
  EXPECT_EQ(w.Press(kKeyRight), 0);
  EXPECT_EQ(w.focused, PC::kTitle0);
  EXPECT_EQ(w.Press(40), 40);
}

TEST(FocusKeysTest, ArrivalHighlightsExactlyThePaneOfTheControl) {
  const struct {
    PC control;
    int pane;
  } rows[] = {{PC::kDriveC, 0}, {PC::kDirC, 1}, {PC::kFileList, 2}, {PC::kTitle0, 3},
              {PC::kTitle1, 3}, {PC::kMes, 4},  {PC::kTagList, 5},  {PC::kFileList, 2}};
  FocusKeys keys;
  for (const auto& r : rows) {
    EXPECT_FALSE(keys.FocusArrived(r.control, kMainPanelLeft));
    EXPECT_EQ(keys.CurrentPane(), r.pane);
    for (int i = 0; i < kPaneCount; ++i) {
      EXPECT_EQ(keys.CaptionBackground(i), i == r.pane ? kCaptionHighlight : kCaptionButtonFace)
          << "pane " << r.pane << " caption " << i;
    }
  }
  EXPECT_FALSE(keys.FocusArrived(PC::kNone, 0));
  EXPECT_EQ(keys.CurrentPane(), 2);
  EXPECT_FALSE(keys.DirPanelAutoShown());
}

TEST(FocusKeysTest, ArrowKeyTable) {
  const struct {
    int pane;
    int key;
    int modifiers;
    int visible_title;
    PC focus;
    int key_code;  // left for the focused control
  } rows[] = {
      // Left.
      {0, kKeyLeft, 0, 0, PC::kNone, kKeyLeft},
      {0, kKeyLeft, kShiftBit, 0, PC::kNone, kKeyLeft},
      {1, kKeyLeft, 0, 0, PC::kNone, 0},
      {1, kKeyLeft, kShiftBit, 0, PC::kDriveC, 0},
      {1, kKeyLeft, kShiftBit | kCtrlBit, 0, PC::kNone, 0},
      {1, kKeyLeft, kShiftBit | kAltBit, 0, PC::kNone, 0},
      {1, kKeyLeft, kCtrlBit, 0, PC::kNone, 0},
      {2, kKeyLeft, 0, 0, PC::kDirC, 0},
      {2, kKeyLeft, kShiftBit | kCtrlBit | kAltBit, 1, PC::kDirC, 0},
      {3, kKeyLeft, 0, 1, PC::kFileList, 0},
      {4, kKeyLeft, 0, 0, PC::kTitle0, 0},
      {4, kKeyLeft, 0, 1, PC::kTitle1, 0},
      {5, kKeyLeft, kCtrlBit, 0, PC::kMes, 0},
      // Right.
      {0, kKeyRight, 0, 0, PC::kDirC, 0},
      {0, kKeyRight, kShiftBit, 0, PC::kDirC, 0},
      {1, kKeyRight, 0, 0, PC::kFileList, 0},
      {2, kKeyRight, 0, 0, PC::kTitle0, 0},
      {2, kKeyRight, 0, 1, PC::kTitle1, 0},
      {3, kKeyRight, kAltBit, 0, PC::kMes, 0},
      {4, kKeyRight, 0, 1, PC::kTagList, 0},
      {5, kKeyRight, 0, 0, PC::kNone, kKeyRight},
      {5, kKeyRight, kShiftBit, 0, PC::kNone, kKeyRight},
  };
  for (const auto& r : rows) {
    FocusKeys keys;
    keys.FocusArrived(kPaneControl[r.pane], kMainPanelLeft);
    const KeyOutcome out = keys.WindowKeyDown(r.key, r.modifiers, r.visible_title);
    const std::string what = "pane " + std::to_string(r.pane) + " key " + std::to_string(r.key) +
                             " modifiers " + std::to_string(r.modifiers);
    EXPECT_EQ(out.focus, r.focus) << what;
    EXPECT_EQ(out.key_code, r.key_code) << what;
    EXPECT_EQ(out.command, MC::kNone) << what;
    EXPECT_EQ(keys.CurrentPane(), r.pane) << what << ": the key itself moves nothing";
  }
}

TEST(FocusKeysTest, LetterKeysRunTheirCommandAndStillReachTheControl) {
  const struct {
    char key;
    MC command;
  } letters[] = {{'F', MC::kReLoadFileList}, {'I', MC::kMakeIndex}, {'T', MC::kReLoadTitleList},
                 {'E', MC::kEdit},           {'Q', MC::kQuit},      {'S', MC::kSetup},
                 {'W', MC::kWindow},         {'R', MC::kReLoad}};
  const int modifier_sets[] = {0, kShiftBit, kCtrlBit, kAltBit, kShiftBit | kCtrlBit | kAltBit};
  for (int pane = 0; pane < kPaneCount; ++pane) {
    FocusKeys keys;
    keys.FocusArrived(kPaneControl[pane], kMainPanelLeft);
    for (const auto& l : letters) {
      for (int modifiers : modifier_sets) {
        const KeyOutcome out = keys.WindowKeyDown(l.key, modifiers, 0);
        EXPECT_EQ(out, (KeyOutcome{PC::kNone, l.command, l.key}))
            << l.key << " modifiers " << modifiers << " pane " << pane;
      }
    }
  }
  // Keys outside the table: Up, Down, Enter, Tab, F1, other letters, digits.
  FocusKeys keys;
  for (int key : {38, 40, 13, 9, 112, int{'A'}, int{'H'}, int{'Z'}, int{'0'}, 0}) {
    EXPECT_EQ(keys.WindowKeyDown(key, 0, 0), (KeyOutcome{PC::kNone, MC::kNone, key})) << key;
    EXPECT_EQ(keys.WindowKeyDown(key, kAltBit, 1), (KeyOutcome{PC::kNone, MC::kNone, key})) << key;
  }
}

TEST(FocusKeysTest, ControlKeyDownDiscardsOnlyTheirOwnArrow) {
  const PC controls[] = {PC::kDriveC, PC::kDirC, PC::kFileList, PC::kTitle0,
                         PC::kTitle1, PC::kMes,  PC::kTagList,  PC::kNone};
  for (PC c : controls) {
    for (int key : {kKeyLeft, kKeyRight, 38, 40, int{'E'}, 0}) {
      int expected = key;
      if (c == PC::kDriveC && key == kKeyLeft) expected = 0;
      if (c == PC::kTagList && key == kKeyRight) expected = 0;
      EXPECT_EQ(FocusKeys::ControlKeyDown(c, key), expected)
          << "control " << static_cast<int>(c) << " key " << key;
    }
  }
}

TEST(FocusKeysTest, LeftInTheDriveListAndRightInTheTagListDoNothingAtAll) {
  WindowStandIn w;
  w.Focus(PC::kDriveC);
  EXPECT_EQ(w.Press(kKeyLeft), 0);
  EXPECT_EQ(w.focused, PC::kDriveC);
  EXPECT_EQ(w.keys.CurrentPane(), 0);
  w.Focus(PC::kTagList);
  EXPECT_EQ(w.Press(kKeyRight), 0);
  EXPECT_EQ(w.focused, PC::kTagList);
  EXPECT_EQ(w.keys.CurrentPane(), 5);
  EXPECT_EQ(w.window_commands, 0);
  EXPECT_TRUE(w.commands.empty());
}

TEST(FocusKeysTest, WalkingThePanesWithTheLeftPaneShownNeverHidesIt) {
  WindowStandIn w;
  w.visible_title = 1;
  const PC right_walk[] = {PC::kTitle1, PC::kMes, PC::kTagList, PC::kTagList};
  for (PC expected : right_walk) {
    EXPECT_EQ(w.Press(kKeyRight), 0);
    EXPECT_EQ(w.focused, expected);
  }
  const PC left_walk[] = {PC::kMes, PC::kTitle1, PC::kFileList, PC::kDirC, PC::kDirC};
  for (PC expected : left_walk) {
    w.Press(kKeyLeft);
    EXPECT_EQ(w.focused, expected);
  }
  w.Press(kKeyLeft, kShiftBit);
  EXPECT_EQ(w.focused, PC::kDriveC);
  w.Press(kKeyRight);
  EXPECT_EQ(w.focused, PC::kDirC);
  EXPECT_EQ(w.window_commands, 0);
  EXPECT_TRUE(w.LeftPaneShown());
  EXPECT_FALSE(w.keys.DirPanelAutoShown());
}

TEST(FocusKeysTest, HiddenLeftPaneComesBackWhileTheFocusIsInIt) {
  WindowStandIn w;
  w.Focus(PC::kTitle0);
  EXPECT_EQ(w.Press('W'), 'W');  // the user hides the left pane
  EXPECT_FALSE(w.LeftPaneShown());
  EXPECT_FALSE(w.keys.DirPanelAutoShown());

  w.Press(kKeyLeft);
  EXPECT_EQ(w.focused, PC::kFileList);
  EXPECT_TRUE(w.LeftPaneShown());
  EXPECT_TRUE(w.keys.DirPanelAutoShown());

  // Moving within the left pane keeps it shown without running the command.
  w.Press(kKeyLeft);
  w.Press(kKeyLeft, kShiftBit);
  w.Press(kKeyRight);
  w.Press(kKeyRight);
  EXPECT_EQ(w.focused, PC::kFileList);
  EXPECT_EQ(w.window_commands, 2);
  EXPECT_TRUE(w.keys.DirPanelAutoShown());

  w.Press(kKeyRight);
  EXPECT_EQ(w.focused, PC::kTitle0);
  EXPECT_FALSE(w.LeftPaneShown());
  EXPECT_FALSE(w.keys.DirPanelAutoShown());
  EXPECT_EQ(w.window_commands, 3);

  // Further moves in the right pane change nothing.
  w.Press(kKeyRight);
  w.Press(kKeyLeft);
  EXPECT_FALSE(w.LeftPaneShown());
  EXPECT_EQ(w.window_commands, 3);
}

TEST(FocusKeysTest, WindowCommandWhileAutoShownLeavesTheFlagToTheNextArrival) {
  WindowStandIn w;
  w.Focus(PC::kMes);
  w.Run(MC::kWindow);
  w.Focus(PC::kDirC);  // e.g. by Tab: arrives in the covered pane
  EXPECT_TRUE(w.LeftPaneShown());
  EXPECT_TRUE(w.keys.DirPanelAutoShown());
  w.Press('W');  // hides it again by hand; the flag stays
  EXPECT_FALSE(w.LeftPaneShown());
  EXPECT_TRUE(w.keys.DirPanelAutoShown());
  w.Press(kKeyRight);  // FileList: the pane is covered, so it shows again
  EXPECT_TRUE(w.LeftPaneShown());
  w.Press('W');
  w.Press(kKeyRight);  // the title list: the flag runs the command once more
  EXPECT_EQ(w.focused, PC::kTitle0);
  EXPECT_TRUE(w.LeftPaneShown());
  EXPECT_FALSE(w.keys.DirPanelAutoShown());
}

TEST(FocusKeysTest, WindowCommandTwiceRestoresTheLeftEdge) {
  EXPECT_EQ(ToggledMainPanelLeft(kMainPanelLeft), 0);
  EXPECT_EQ(ToggledMainPanelLeft(ToggledMainPanelLeft(kMainPanelLeft)), kMainPanelLeft);
  EXPECT_EQ(ToggledMainPanelLeft(0), kMainPanelLeft);
  EXPECT_EQ(ToggledMainPanelLeft(1), 0);  // anything but 0 counts as shown
}

TEST(FocusKeysTest, LetterKeyCommandsFollowTheMenu) {
  WindowStandIn w;
  for (char key : {'E', 'S', 'Q', 'F', 'T', 'I', 'R'}) EXPECT_EQ(w.Press(key), key);
  EXPECT_EQ(w.commands, (std::vector<MC>{MC::kEdit, MC::kSetup, MC::kQuit, MC::kReLoadFileList,
                                         MC::kReLoadTitleList, MC::kMakeIndex, MC::kReLoad}));
  EXPECT_EQ(w.focused, PC::kFileList);
}

}  // namespace
}  // namespace qb
