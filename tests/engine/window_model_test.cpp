#include "engine/window_model.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cp932.h"
#include "tests/support/temp_dir.h"

namespace qb {
namespace {

using ::qb::testing::Exists;
using ::qb::testing::Sjis;
using ::qb::testing::TempDir;
using ::qb::testing::WriteFile;

TEST(WindowModelSplitterTest, DropsAndPointerCodes) {
  struct Step {
    const char* what;
    bool drop;  // else a drag-over
    BarTarget target;
    int32_t y;
    int32_t bar_after;
    PointerCode pointer_after;
  } steps[] = {
      {"at first", false, BarTarget::kOther, 0, 2040, PointerCode::kSizeNS},
      {"over the file list", false, BarTarget::kFileList, 0, 2040, PointerCode::kNoDrop},
      {"then over the tag list", false, BarTarget::kOther, 0, 2040, PointerCode::kNoDrop},
      {"dropped on the tag list", true, BarTarget::kOther, 700, 2040, PointerCode::kNoDrop},
      {"over a title list", false, BarTarget::kTitle, 0, 2040, PointerCode::kSizeNS},
      {"dropped on a title list", true, BarTarget::kTitle, 1500, 1500, PointerCode::kSizeNS},
      {"dropped on the body view", true, BarTarget::kMes, 300, 1930, PointerCode::kSizeNS},
      {"over the file list again", false, BarTarget::kFileList, 0, 1930, PointerCode::kNoDrop},
      {"dropped on the file list", true, BarTarget::kFileList, 50, 1930, PointerCode::kDefault},
      {"over the body view", false, BarTarget::kMes, 0, 1930, PointerCode::kSizeNS},
      {"dropped 10 below a title list's top", true, BarTarget::kTitle, 10, 30,
       PointerCode::kSizeNS},
      {"dropped at the body view's bottom", true, BarTarget::kMes, 5375, 5405,
       PointerCode::kSizeNS},
  };
  WindowModel model;
  for (const Step& s : steps) {
    if (s.drop) {
      bool moved = model.BarDrop(s.target, s.y);
      EXPECT_EQ(moved, s.target == BarTarget::kTitle || s.target == BarTarget::kMes) << s.what;
    } else {
      model.BarDragOver(s.target);
    }
    EXPECT_EQ(model.bar_top(), s.bar_after) << s.what;
    EXPECT_EQ(model.bar_pointer(), s.pointer_after) << s.what;
    Layout l = model.layout();
    EXPECT_EQ(l.tag_list.height, l.title.height) << s.what;
    EXPECT_GE(l.title.height, 0) << s.what;
    EXPECT_GE(l.mes.height, 0) << s.what;
  }
}

TEST(WindowModelSplitterTest, DropOnTheBodyViewCountsFromItsTop) {
  WindowModel model;
  ASSERT_EQ(model.layout().mes.top, 2170);
  model.BarDrop(BarTarget::kMes, 300);
  EXPECT_EQ(model.bar_top(), 2470);
  EXPECT_EQ(model.layout().mes.top, 2600);
}

TEST(WindowModelSplitterTest, SmallerWindowHoldsTheBarAndLargerBringsItBack) {
  WindowModel model;
  EXPECT_EQ(model.SetWindowSize({9000, 11000}), (TwipSize{9000, 11000}));
  model.BarDrop(BarTarget::kTitle, 8000);
  EXPECT_EQ(model.bar_top(), 8000);
  // Made as small as it goes: the body view keeps a height of 0, not less.
  EXPECT_EQ(model.SetWindowSize({100, 100}), (TwipSize{7695, 6585}));
  EXPECT_EQ(model.bar_top(), 5405);
  EXPECT_EQ(model.layout().mes.height, 0);
  EXPECT_EQ(model.SetWindowSize({9000, 11000}), (TwipSize{9000, 11000}));
  EXPECT_EQ(model.bar_top(), 8000);
  // A minimized window records nothing.
  model.SetMinimized(true);
  model.SetWindowSize({7695, 6585});
  EXPECT_EQ(model.window_size(), (TwipSize{9000, 11000}));
  // Start-up's stored position far outside the pane.
  model.SetMinimized(false);
  model.SetBarTop(-400);
  EXPECT_EQ(model.bar_top(), 30);
}

class WindowModelListingTest : public ::testing::Test {
 protected:
  WindowModelListingTest() {
    WriteFile(dir_.Path("B.QBS"), Sjis("ノートＢ\n;仕事:会議\n議題\n;買い物\n牛乳\n"));
    WriteFile(dir_.Path("A.qbs"), Sjis("ノートＡ\n;旅行:京都\n清水寺\n"));
    WriteFile(dir_.Path("notes.txt"), "not listed\r\n");
    WriteFile(other_.Path("C.QBS"), Sjis("ノートＣ\n;一つ\n本文\n"));
  }

  WindowHooks RecordingHooks() {
    WindowHooks hooks;
    hooks.set_screen_pointer = [this](PointerCode c) {
      calls_.push_back("pointer " + std::to_string(static_cast<int>(c)));
    };
    hooks.lists_changed = [this] { calls_.push_back("lists changed"); };
    hooks.process_events = [this] {
      calls_.push_back("events");
      if (during_events_) during_events_();
    };
    return hooks;
  }

  TempDir dir_, other_, index_;
  std::vector<std::string> calls_;
  std::function<void()> during_events_;
};

TEST_F(WindowModelListingTest, DirectoryChangeYieldsOnceBetweenListingAndFilling) {
  WindowModel model(RecordingHooks());
  model.SetIndexDirectory(index_.path());
  size_t shown_during_events = 99;
  during_events_ = [&] { shown_during_events = model.base().FileList().size(); };
  ASSERT_TRUE(model.DirectoryChange(dir_.path()).ok());
  EXPECT_EQ(calls_,
            (std::vector<std::string>{"pointer 11", "lists changed", "events", "pointer 0"}));
  EXPECT_EQ(shown_during_events, 0u);
  const TextBase& base = model.base();
  EXPECT_EQ(base.CurrentDir(), dir_.path());
  EXPECT_EQ(base.Sfn(), (std::vector<std::string>{"A.qbs", "B.QBS"}));
  EXPECT_EQ(base.file_row(), 0);
  EXPECT_EQ(DecodeCp932(base.entries().Title[0][0]), "京都");
  EXPECT_TRUE(Exists(index_.Path("A.QBI")));

  // Selections: a title shows its body; a tag filters.
  ASSERT_TRUE(model.SelectFile(1).ok());
  ListVersions before = model.versions();
  ASSERT_TRUE(model.SelectTitle(0, 1).ok());
  EXPECT_EQ(model.base().Mes(), "牛乳\r\n");
  EXPECT_EQ(model.versions().mes, before.mes + 1);
  EXPECT_EQ(model.versions().entries, before.entries);
  model.SelectTag(1);
  EXPECT_EQ(model.base().visible_title(), 1);
  EXPECT_EQ(model.versions().filter, before.filter + 1);
  EXPECT_FALSE(model.SelectTitle(1, 5).ok());
}

TEST_F(WindowModelListingTest, EmptyAndUnreadableDirectoriesEmptyEverything) {
  TempDir empty;
  for (std::string dir : {empty.path(), dir_.Path("missing")}) {
    WindowModel model(RecordingHooks());
    ASSERT_TRUE(model.DirectoryChange(dir_.path()).ok());
    ASSERT_TRUE(model.SelectTitle(0, 0).ok());
    Status s = model.DirectoryChange(dir);
    EXPECT_EQ(s.ok(), dir == empty.path());
    const TextBase& base = model.base();
    EXPECT_EQ(base.CurrentDir(), dir);
    EXPECT_TRUE(base.FileList().empty());
    EXPECT_TRUE(base.Sfn().empty());
    EXPECT_EQ(base.file_row(), -1);
    EXPECT_EQ(base.entries().size(), 0u);
    EXPECT_TRUE(base.entries().TagList.empty());
    EXPECT_EQ(base.Mes(), "");
    EXPECT_EQ(calls_.back(), "pointer 0");
  }
}

TEST_F(WindowModelListingTest, ChangeDuringTheYieldLeavesTheLaterListing) {
  WindowModel model(RecordingHooks());
  during_events_ = [&] {
    during_events_ = nullptr;
    model.DirectoryChange(other_.path());
  };
  ASSERT_TRUE(model.DirectoryChange(dir_.path()).ok());
  const TextBase& base = model.base();
  EXPECT_EQ(base.CurrentDir(), other_.path());
  EXPECT_EQ(base.Sfn(), std::vector<std::string>{"C.QBS"});
  EXPECT_EQ(base.FileList().size(), base.Sfn().size());
  EXPECT_EQ(base.CurrentFile(), other_.Path("C.QBS"));
  EXPECT_EQ(calls_.back(), "pointer 0");
}

TEST_F(WindowModelListingTest, ArgumentListingKeepsTheDirectoryAsTyped) {
  WindowModel model(RecordingHooks());
  const std::string typed = dir_.path() + "/./";
  ASSERT_TRUE(model.ListArgument(typed).ok());
  EXPECT_EQ(calls_, (std::vector<std::string>{"lists changed", "events"}));
  EXPECT_EQ(model.base().CurrentDir(), typed);
  EXPECT_EQ(model.base().CurrentFile(), typed + "A.qbs");
  EXPECT_EQ(model.base().entries().size(), 1u);
}

TEST_F(WindowModelListingTest, FocusRulesFollowTheVisibleTitleListAndTheLeftEdge) {
  using PC = PaneControl;
  WindowModel model;
  ASSERT_TRUE(model.DirectoryChange(dir_.path()).ok());
  ASSERT_TRUE(model.SelectFile(1).ok());
  model.SelectTag(1);  // "仕事": the filtered list is the visible one
  ASSERT_EQ(model.base().visible_title(), 1);
  EXPECT_EQ(model.keys().CurrentPane(), 2);
  EXPECT_EQ(model.WindowKeyDown(kKeyRight, 0), (KeyOutcome{PC::kTitle1, MenuCommand::kNone, 0}));
  EXPECT_FALSE(model.FocusArrived(PC::kTitle1));

  // W hides the left pane; the flag is the focus rules' alone.
  EXPECT_EQ(model.WindowKeyDown('W', kCtrlBit).command, MenuCommand::kWindow);
  model.WindowCommand();
  EXPECT_EQ(model.main_panel_left(), 0);
  EXPECT_EQ(model.layout().main_panel.left, 0);
  EXPECT_FALSE(model.keys().DirPanelAutoShown());

  // Left into the covered pane brings it back; Right hides it again.
  EXPECT_EQ(model.WindowKeyDown(kKeyLeft, 0).focus, PC::kFileList);
  EXPECT_TRUE(model.FocusArrived(PC::kFileList));
  EXPECT_EQ(model.main_panel_left(), kMainPanelLeft);
  EXPECT_TRUE(model.keys().DirPanelAutoShown());
  EXPECT_EQ(model.keys().CaptionBackground(2), kCaptionHighlight);
  EXPECT_FALSE(model.FocusArrived(PC::kDirC));
  EXPECT_TRUE(model.FocusArrived(PC::kTitle1));
  EXPECT_EQ(model.main_panel_left(), 0);
  EXPECT_FALSE(model.keys().DirPanelAutoShown());

  // From the body view Left goes to the visible title list, which follows
  // the tag list.
  model.FocusArrived(PC::kMes);
  EXPECT_EQ(model.WindowKeyDown(kKeyLeft, 0).focus, PC::kTitle1);
  model.SelectTag(0);
  EXPECT_EQ(model.WindowKeyDown(kKeyLeft, 0).focus, PC::kTitle0);

  // The Window command twice restores the edge; start-up resets the focus.
  model.WindowCommand();
  model.WindowCommand();
  EXPECT_EQ(model.main_panel_left(), 0);
  model.ResetFocus();
  EXPECT_EQ(model.keys().CurrentPane(), 2);
}

TEST_F(WindowModelListingTest, TitleListReloadTrustsTheIndexMakeIndexScansAgain) {
  WindowModel model(RecordingHooks());
  model.SetIndexDirectory(index_.path());
  ASSERT_TRUE(model.DirectoryChange(dir_.path()).ok());
  ASSERT_EQ(model.base().entries().size(), 1u);
  // A title changes, but the file keeps its size and modification time, so
  // its index still looks current.
  struct stat before;
  ASSERT_EQ(::stat(dir_.Path("A.qbs").c_str(), &before), 0);
  WriteFile(dir_.Path("A.qbs"), Sjis("ノートＡ\n;旅行:奈良\n清水寺\n"));
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir_.Path("A.qbs").c_str(), times, 0), 0);
  auto title = [&] { return DecodeCp932(model.base().entries().Title[0][0]); };

  calls_.clear();
  ListVersions versions = model.versions();
  ASSERT_TRUE(model.LoadSelectedFile().ok());
  EXPECT_EQ(title(), "京都");
  EXPECT_EQ(calls_, (std::vector<std::string>{"pointer 11", "pointer 0"}));
  EXPECT_GT(model.versions().entries, versions.entries);

  ASSERT_TRUE(model.RebuildIndex().ok());
  EXPECT_EQ(title(), "奈良");
  // The new index is the one the next load reads.
  ASSERT_TRUE(model.LoadSelectedFile().ok());
  EXPECT_EQ(title(), "奈良");
  EXPECT_EQ(model.base().last_load(), LoadWay::kReadIndex);
}

TEST(WindowModelDriveTest, DriveOpensTheDirectoryLastVisitedOnIt) {
  WindowModel model;
  EXPECT_EQ(model.DriveDirectory("/media/usb"), "/media/usb");
  model.NoteVisited("/media/usb", "/media/usb/notes");
  model.NoteVisited("/", "/etc");
  model.NoteVisited("/media/usb", "/media/usb/old");
  EXPECT_EQ(model.DriveDirectory("/media/usb"), "/media/usb/old");
  EXPECT_EQ(model.DriveDirectory("/"), "/etc");
  EXPECT_EQ(model.DriveDirectory("/home"), "/home");
}

}  // namespace
}  // namespace qb
