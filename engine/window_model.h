// WindowModel: the main window's state and handling without any widget.
//
// It owns the text base (file list and `Sfn`, entry table, which title list
// is visible, the selections, the body text `Mes`), the settings record, and
// the window state of the layout: the window's size in twips, whether it is
// minimized, the splitter position (the top of `CBar`), the left edge of
// `MainPanel` and the bar's mouse pointer code, and the focus state: which
// pane caption is highlighted and `DirPanelAutoShown`. It performs the
// directory change, the reloads, the splitter drag and drop, the focus and
// key rules and the Window command, and remembers the directory last
// visited on each drive. A window renders this state and forwards the
// user's actions to it; the window system enters only through WindowHooks.
//
// Everything runs on the caller's thread. The only call out during an
// operation is WindowHooks::process_events in the directory change, which
// may run other operations of this object before it returns (a nested
// directory change, a selection); the state stays consistent for them and
// the outer operation goes on from whatever they left.
//
// Texts of the lists are code page 932 bytes as TextBase keeps them; paths
// are byte strings as the file system holds them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/env.h"
#include "engine/focus_keys.h"
#include "engine/layout.h"
#include "engine/settings.h"
#include "engine/status.h"
#include "engine/text_base.h"

namespace qb {

// Mouse pointer codes.
enum class PointerCode : int32_t {
  kDefault = 0,  // the arrow
  kSizeNS = 7,   // the north-south sizing arrow
  kBusy = 11,    // the busy shape
  kNoDrop = 12,  // the no-drop sign
};

// The control under the pointer while the bar is dragged or dropped.
enum class BarTarget {
  kTitle,     // `Title`(0) or `Title`(1)
  kMes,       // the body view
  kFileList,  // the file list
  kOther,     // anything else: tag list, bar, pane background, captions, drive or directory list
};

// What the window system supplies. Each may be empty, which does nothing.
struct WindowHooks {
  // Sets the screen-wide mouse pointer to kBusy or kDefault.
  std::function<void(PointerCode)> set_screen_pointer;
  // Lets the window system process its pending events once.
  std::function<void()> process_events;
  // The shown lists changed: called by the directory change after it
  // emptied them and before process_events, so that nothing drawn then
  // shows rows that are gone.
  std::function<void()> lists_changed;
};

// Counters that go up whenever the contents of a shown list or of `Mes`
// may have changed, so a view redraws only what changed.
struct ListVersions {
  uint64_t file_list = 0;  // `FileList`
  uint64_t entries = 0;    // `Title`(0) and `TagList`
  uint64_t filter = 0;     // `Title`(1)
  uint64_t mes = 0;        // `Mes`
  bool operator==(const ListVersions&) const = default;
};

class WindowModel {
 public:
  // |env| must outlive this object. The text base starts without an index
  // directory (every file is scanned) until SetIndexDirectory.
  explicit WindowModel(WindowHooks hooks = {}, Env* env = Env::Default());

  // --- Text base ------------------------------------------------------------

  // Start-up's index directory ("" for none). Replaces the text base with an
  // empty one: meant for start-up, before anything is listed.
  void SetIndexDirectory(std::string dir);
  const TextBase& base() const { return *base_; }

  // The settings record: start-up fills it; the editor command and option
  // live here for the rest of the run.
  Settings& record() { return record_; }
  const Settings& record() const { return record_; }

  // --- Window and layout ----------------------------------------------------

  // Window resize handling: records the window's size (twips, as layout.h
  // defines it), raised to the minimum size, and returns the size recorded,
  // which the window should take. While minimized nothing is recorded and
  // |size| comes back unchanged.
  TwipSize SetWindowSize(TwipSize size);
  TwipSize window_size() const { return window_size_; }

  void SetMinimized(bool minimized) { minimized_ = minimized; }
  bool minimized() const { return minimized_; }

  // Sets the splitter position asked for (start-up's "CBPoint"). It is kept
  // as asked and laid out inside the pane (ClampBarTop), so a window made
  // smaller and then larger again brings the bar back where it was.
  void SetBarTop(int32_t top) { bar_top_ = top; }
  // The top of `CBar` as laid out for the current window size: what the
  // window shows and shut-down stores.
  int32_t bar_top() const;

  // `MainPanel`'s left edge: kMainPanelLeft (beside the left pane) or 0.
  void SetMainPanelLeft(int32_t left) { main_panel_left_ = left; }
  int32_t main_panel_left() const { return main_panel_left_; }

  Layout layout() const { return ComputeLayout(window_size_, main_panel_left_, bar_top_); }

  // --- Splitter drag and drop -----------------------------------------------

  // The bar's own mouse pointer: kSizeNS at first.
  PointerCode bar_pointer() const { return bar_pointer_; }

  // The pointer entered, moved over or left |target| while dragging the bar:
  // kSizeNS over a title list or `Mes`, kNoDrop over the file list, no
  // change elsewhere.
  void BarDragOver(BarTarget target);

  // The bar was dropped on |target| at |y| twips below the target's top.
  // On a title list the bar goes to |y|, on `Mes` to the top of `Mes` + |y|,
  // held where no list or `Mes` gets a negative height; on the file list its
  // pointer becomes kDefault and it stays; elsewhere nothing happens.
  // Returns true when the right pane must be arranged again.
  bool BarDrop(BarTarget target, int32_t y);

  // --- Directory, files, titles, tags ---------------------------------------

  // The directory change: busy pointer; `ClearEntries` mode 0;
  // `ListTextFiles`(|dir|) (`CurrentDir` = |dir| as given); lists_changed;
  // process_events; `SplitFileNames`, which selects and loads row 0;
  // default pointer. Returns why the listing or the load failed; the screen
  // shows whatever state they left (nothing is reported to the user).
  Status DirectoryChange(const std::string& dir);

  // Start-up's listing of the command-line directory: `ListTextFiles`(|dir|),
  // lists_changed, process_events, `SplitFileNames`, without the pointer.
  Status ListArgument(const std::string& dir);

  // Selects file row |row| and loads it, with the busy pointer.
  Status SelectFile(int64_t row);
  // Selects row |row| of title list |list| (0 or 1) and shows its body.
  Status SelectTitle(int list, int64_t row);
  // Selects row |row| of `TagList` and filters the titles by it.
  void SelectTag(int64_t row);

  const ListVersions& versions() const { return versions_; }

  // --- Drives -----------------------------------------------------------------

  // The directory to open when the drive mounted at |volume| is chosen: the
  // last one visited on it in this run, else |volume| itself.
  std::string DriveDirectory(const std::string& volume) const;
  // Records |dir| as the directory last visited on the drive |volume|.
  void NoteVisited(const std::string& volume, const std::string& dir);

  // --- Reload commands ----------------------------------------------------------

  // `LoadSelectedFile` (the "Title List" reload) and `RebuildIndex` (the
  // "Make Index" reload) of the selected file, with the busy pointer.
  // Return why the load failed; the screen shows what it left.
  Status LoadSelectedFile();
  Status RebuildIndex();

  // --- Focus and keyboard ---------------------------------------------------

  // The captions' backgrounds and `DirPanelAutoShown` (engine/focus_keys.h).
  const FocusKeys& keys() const { return keys_; }

  // Start-up: the file list's caption highlighted, the flag false.
  void ResetFocus() { keys_ = FocusKeys(); }

  // Focus arrival in |control|: highlights its caption and, when the rules
  // ask for it, runs the Window command. Returns true when it ran, so the
  // window lays itself out again.
  bool FocusArrived(PaneControl control);

  // The window's key-down handling, with the title list of the text base
  // that is visible. The caller performs the outcome (focus_keys.h).
  KeyOutcome WindowKeyDown(int key_code, int modifiers) const;

  // The Window command: `MainPanel`'s left edge goes from 0 to
  // kMainPanelLeft or back (ToggledMainPanelLeft). `DirPanelAutoShown` is
  // not touched.
  void WindowCommand() { main_panel_left_ = ToggledMainPanelLeft(main_panel_left_); }

 private:
  void SetScreenPointer(PointerCode code);
  void AllListsChanged();
  // Runs |load| (which fills the entry table) with the busy pointer.
  Status LoadEntries(const std::function<Status()>& load);

  WindowHooks hooks_;
  Env* env_;
  std::unique_ptr<TextBase> base_;
  Settings record_;
  TwipSize window_size_{kMinWindowWidth, kMinWindowHeight};
  bool minimized_ = false;
  int32_t bar_top_ = kDefaultBarTop;
  int32_t main_panel_left_ = kMainPanelLeft;
  PointerCode bar_pointer_ = PointerCode::kSizeNS;
  ListVersions versions_;
  std::map<std::string, std::string> visited_;
  FocusKeys keys_;
};

}  // namespace qb
