// MainWin: Quillbox's main window, titled "クイルボックス".
//
// Widgets carry the names of the system's controls: the caption strip
// "Picture2" with the pane captions "ContF0".."ContF5"; the left pane
// "DirPanel" with "FileList", "DriveC" and "DirC"; the right pane
// "MainPanel" with "Title0", "Title1", "TagList", the splitter bar "CBar"
// and the read-only body view "Mes". The window renders a WindowModel and
// forwards the user's actions to it: choosing a drive or opening a
// directory lists it, choosing a file loads it, choosing a title shows its
// body, choosing a tag filters the titles, dragging the bar onto a title
// list or the body view moves it.
//
// Geometry: the window keeps its size in twips as layout.h defines it (the
// client area under the menu bar plus the classic frame), so the layout's
// numbers and the stored settings mean the same whatever frame and menu bar
// this desktop draws; the panes fill the client area exactly. Its position
// is that of its outer frame. Pixels are twips x logical DPI / 1440.
//
// Menu bar (QAction object names in brackets): "編集 [ E ]" [MM0] Edit,
// "ReLoad [ R ]" [MM1] with the submenu "MM1" (the QMenu) of "File List
// [ F ]" [MM10] (the directory change), "Title List [ T ]" [MM11]
// (`LoadSelectedFile`) and "Make Index [ I ]" [MM12] (`RebuildIndex`);
// "Setup [ S ]" [MM2]; "Window [ W ]" [MM3]; "終了 [ Q ]" [MM4] Quit;
// "Help (&H)" [MM5] (Alt+H) with the submenu "MM5" of "Open Help" [MM50]
// (F1) and "QUILLBOX" [MM51] (F2, About).
//
// Keyboard: the window sees every key pressed in a pane control before the
// control does and hands it to the model's focus and key rules
// (engine/focus_keys.h): Left and Right walk the panes, the letters F I T E
// Q S W run their commands and still reach the control. Every focus arrival
// in a pane control highlights its caption and may show or hide the left
// pane again. At start the file list has the keyboard focus.
//
// Every message box (OK only, no icon, titled "Quillbox") and dialog that a
// command opens runs modally through ExecModal, which a test may replace
// (SetModalHook) so that nothing waits for a person.
//
// Everything runs on the GUI thread. Start-up and shut-down follow the
// settings record: see StartUp and closeEvent.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "engine/editor_launch.h"
#include "engine/focus_keys.h"
#include "engine/launcher.h"
#include "engine/settings.h"
#include "engine/window_model.h"

class QDialog;
class QKeyEvent;
class QLabel;
class QListView;
class QPlainTextEdit;

namespace qb {

class DirList;
class DriveCombo;
class SplitterBar;
class TextListModel;

class MainWin : public QMainWindow {
  Q_OBJECT

 public:
  // |store| may be null: start-up then uses the default settings and
  // shut-down stores nothing. It must outlive the window. The drive and
  // directory lists show the process's current directory; nothing is
  // listed until StartUp.
  explicit MainWin(SettingsStore* store = nullptr, QWidget* parent = nullptr);
  ~MainWin() override;

  // Start-up, once, before the window is first shown: busy pointer; the
  // program directory (where Help looks for its file); the index directory
  // (ChooseIndexDirectory(|program_dir|)); `LoadSettings` from the store;
  // the splitter position and then the window's position and size as
  // stored (a size below the minimum is raised to it); the first directory;
  // the stored font sizes; the file list's caption highlighted and the
  // keyboard focus in the file list; default pointer.
  //
  // The first directory: when |argument| is not empty and names something
  // that exists, the drive and directory lists show it (the directory that
  // holds it, for a plain file) and it is listed as given, so `CurrentDir`
  // is |argument| exactly as typed; when it names nothing, nothing is
  // listed and the lists keep the current directory. When |argument| is
  // empty, |program_dir| is shown and listed. Either listing selects and
  // loads the first file.
  void StartUp(const std::string& program_dir, const std::string& argument);
  // The same with |settings| in place of what LoadSettings would read.
  void StartUp(const std::string& program_dir, const std::string& argument,
               const Settings& settings);

  // The ten values as shut-down would store them now: the frame's position
  // and the window's size in twips (a maximized window's own), the splitter
  // position, the font sizes of "FileList", "Title0" and "Mes", and the
  // record's editor command and option.
  SettingsSnapshot CurrentSettings() const;
  // What shut-down stores: nothing while the window is minimized.
  std::optional<SettingsSnapshot> ShutDownSettings() const;

  // The directory change on the path the directory list shows.
  void DirectoryChange();

  // Puts `MainPanel`'s left edge at |left| (kMainPanelLeft, or 0 to cover
  // the left pane) and lays the window out again.
  void SetMainPanelLeft(int32_t left);

  // Runs |command| as its menu item and its key do (kNone and kReLoad run
  // nothing):
  //   Edit: PlanEdit on the record's editor and option; its message box,
  //     then Setup when it asks for it, then the editor through the
  //     launcher, a program that cannot be started reported by name;
  //   Setup: the Setup dialog; OK applies the sizes that UsableFontPoints
  //     accepts (the title size to both title lists and the tag list) and
  //     the record's editor and option; Cancel changes nothing;
  //   Window: `MainPanel`'s left edge toggles (DirPanelAutoShown untouched);
  //   Quit: close(), which stores the settings (closeEvent);
  //   the ReLoad items: the directory change, `LoadSelectedFile`,
  //     `RebuildIndex`;
  //   Help: PlanHelp beside the program directory, performed like Edit's;
  //   About: the About dialog.
  void RunCommand(MenuCommand command);

  // Runs |dialog| modally, or hands it to the modal hook when one is set,
  // and returns exec()'s result (QDialog::Accepted / Rejected, or the
  // message box's button).
  int ExecModal(QDialog* dialog);

  // Test seams. The hook receives every message box and dialog, fully set
  // up, in place of its exec(), and returns what exec() would have; an
  // empty one restores exec(). The launcher starts the Edit and Help
  // commands' programs; null restores DefaultLauncher(). It must outlive
  // the window.
  using ModalHook = std::function<int(QDialog* dialog)>;
  void SetModalHook(ModalHook hook) { modal_hook_ = std::move(hook); }
  void SetLauncher(Launcher* launcher) { launcher_ = launcher ? launcher : DefaultLauncher(); }

  WindowModel& model() { return model_; }
  const WindowModel& model() const { return model_; }

 protected:
  // Shut-down, once: SaveSettings(ShutDownSettings()) unless minimized or
  // without a store. The close is never refused.
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void BuildMenu();
  void ConnectSignals();
  void StartUpWith(const std::string& program_dir, const std::string& argument,
                   const Settings* settings);
  void RestoreGeometry(const Settings& settings);
  // Applies the sizes that UsableFontPoints accepts; the title size goes to
  // both title lists and the tag list.
  void ApplyFontSizes(double file_list, double title, double mes);
  int MenuBarHeight(int width) const;

  // Window resize handling: the client area's size, in twips, is the
  // window's; a minimized window is left alone.
  void OnClientResized();
  void ApplyLayout();
  // Shows the model's lists, selections, body text and captions.
  void Render();
  void RenderBarPointer();

  void OnDirPathChanged(const QString& path);
  void OnDriveChanged(const QString& drive);
  void OnBarDragStarted(const QPoint& global);
  void OnBarDragMoved(const QPoint& global);
  void OnBarDropped(const QPoint& global);
  // What lies under the screen position |global|; |*control| is the title
  // list, body view or file list concerned (else null).
  BarTarget TargetAt(const QPoint& global, QWidget** control) const;

  static void SetScreenPointer(PointerCode code);

  // Commands (main_win_commands.cpp).
  void EditCommand();
  void SetupCommand();
  void WindowCommand();
  void AboutCommand();
  // Shows |plan|'s message, runs Setup when it asks, starts its program.
  void Perform(const LaunchPlan& plan);
  // A message box: OK only, no icon, titled "Quillbox".
  void ShowMessage(const std::string& text);

  // Focus and keyboard (main_win_keys.cpp).
  PaneControl ControlOf(const QObject* object) const;
  QWidget* WidgetOf(PaneControl control) const;
  void OnFocusIn(PaneControl control, Qt::FocusReason reason);
  // The window's preview of a key pressed in |control|; true when the key
  // is cancelled and the control must not see it.
  bool OnKeyDown(PaneControl control, const QKeyEvent& event);
  void RenderCaptions();

  SettingsStore* store_;
  WindowModel model_;
  ListVersions shown_{~0ull, ~0ull, ~0ull, ~0ull};
  bool rendering_ = false;
  bool shut_down_ = false;
  std::string program_dir_;
  Launcher* launcher_;
  ModalHook modal_hook_;
  // The pane control where the focus last arrived: the window coming back
  // to the front gives it back without a new arrival.
  PaneControl focus_control_ = PaneControl::kFileList;

  QWidget* client_ = nullptr;
  QWidget* strip_ = nullptr;
  std::array<QLabel*, kCaptionCount> captions_{};
  QWidget* dir_panel_ = nullptr;
  QListView* file_list_ = nullptr;
  DriveCombo* drive_c_ = nullptr;
  DirList* dir_c_ = nullptr;
  QWidget* main_panel_ = nullptr;
  std::array<QListView*, 2> title_{};
  QListView* tag_list_ = nullptr;
  SplitterBar* bar_ = nullptr;
  QPlainTextEdit* mes_ = nullptr;
  QWidget* bar_outline_ = nullptr;

  TextListModel* file_model_ = nullptr;
  std::array<TextListModel*, 2> title_model_{};
  TextListModel* tag_model_ = nullptr;
};

}  // namespace qb
