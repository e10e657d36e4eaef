#include "mainwin/main_win.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <initializer_list>

#include "dialogs/quill_icon.h"
#include "dialogs/setup_dialog.h"
#include "engine/index_cache.h"
#include "mainwin/dir_list.h"
#include "mainwin/drive_combo.h"
#include "mainwin/fonts.h"
#include "mainwin/splitter_bar.h"
#include "mainwin/text_list_model.h"
#include "mainwin/twips.h"

namespace qb {
namespace {

// The pane captions' texts, `ContF`(0..5).
const char* const kCaptionTexts[kCaptionCount] = {"ﾄﾞﾗｲﾌﾞBOX", "ﾃﾞｨﾚｸﾄﾘBOX", "ﾌｧｲﾙﾘｽﾄ",
                                                  "ﾀｲﾄﾙﾘｽﾄ",   "ﾒｯｾｰｼﾞ",     "ﾀｸﾞﾘｽﾄ"};

const QColor kPaneBackground(0xC0, 0xC0, 0xC0);

// A body of more characters than this shows the busy pointer while the
// view lays it out.
constexpr qsizetype kBusyBodyChars = 64 * 1024;

// Where no settings are kept: every value reads as empty, so LoadSettings
// gives the defaults, and nothing is stored.
class NoSettingsStore : public SettingsStore {
 public:
  std::string Getting(const char*, const char*) override { return ""; }
  bool Saving(const char*, const char*, const std::string&) override { return false; }
};

QString FromPath(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void SetBackground(QWidget* w, const QColor& color) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, color);
  w->setPalette(p);
}

// A list view that keeps "nothing chosen" when the focus arrives. A plain
// one makes its first row current then, so the first Down would go to the
// second row; here the first Down chooses the first row.
class PaneListView : public QListView {
 public:
  using QListView::QListView;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QItemSelectionModel* selection = selectionModel();
    if (selection == nullptr || currentIndex().isValid()) {
      QListView::focusInEvent(event);
      return;
    }
    // The row made current here is taken back at once; nobody hears of it.
    QSignalBlocker block(selection);
    QListView::focusInEvent(event);
    selection->clearCurrentIndex();
  }
};

QListView* MakeListView(const char* name, QWidget* parent, QAbstractItemModel* model) {
  auto* view = new PaneListView(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setFont(GothicFont(kViewFontPoints));
  view->setUniformItemSizes(true);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setTextElideMode(Qt::ElideRight);
  view->setModel(model);
  return view;
}

void SetPointSize(QWidget* w, double points) {
  QFont f = w->font();
  f.setPointSizeF(points);
  w->setFont(f);
}

// Shows |row| as the selected row of |view| (none when -1).
void ShowRow(QListView* view, int64_t row) {
  QItemSelectionModel* selection = view->selectionModel();
  if (row < 0 || row >= view->model()->rowCount()) {
    if (selection->currentIndex().isValid() || selection->hasSelection()) selection->clear();
    return;
  }
  QModelIndex index = view->model()->index(static_cast<int>(row), 0);
  if (selection->currentIndex() != index || !selection->isSelected(index)) {
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    view->scrollTo(index);
  }
}

}  // namespace

MainWin::MainWin(SettingsStore* store, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      model_(WindowHooks{
          [](PointerCode code) { SetScreenPointer(code); },
          [] { QCoreApplication::processEvents(); },
          [this] { Render(); },
      }),
      program_dir_(ProgramDirectory()),
      launcher_(DefaultLauncher()) {
  InstallFontSubstitutes();
  setObjectName(QStringLiteral("MainWin"));
  setWindowTitle(QStringLiteral("クイルボックス"));
  setWindowIcon(QuillboxIcon());
  BuildMenu();
  BuildWidgets();
  ConnectSignals();
  {
    // The lists show where the process is, as they do until start-up.
    QSignalBlocker block(dir_c_);
    dir_c_->SetPath(QDir::currentPath());
  }
  drive_c_->SetDriveOf(dir_c_->path(), false);
  TwipSize min_client = ClientSizeForWindow({kMinWindowWidth, kMinWindowHeight});
  client_->setMinimumSize(TwipsToPixels(min_client.width, logicalDpiX()),
                          TwipsToPixels(min_client.height, logicalDpiY()));
  Settings design;
  design.Height = kMinWindowHeight;
  design.Width = kMinWindowWidth;
  design.CBPoint = kDefaultBarTop;
  RestoreGeometry(design);
  Render();
  file_list_->setFocus();
}

MainWin::~MainWin() = default;

void MainWin::BuildWidgets() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client_);
  client_->installEventFilter(this);

  strip_ = new QWidget(client_);
  strip_->setObjectName(QStringLiteral("Picture2"));
  SetBackground(strip_, kPaneBackground);
  for (int i = 0; i < kCaptionCount; ++i) {
    auto* label = new QLabel(QString::fromUtf8(kCaptionTexts[i]), strip_);
    label->setObjectName(QStringLiteral("ContF%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    label->setFont(GothicFont(kViewFontPoints));
    label->setAutoFillBackground(true);
    captions_[i] = label;
  }

  // The list models read the model's text base at the time they are asked,
  // so they stay right when start-up replaces it.
  file_model_ = new TextListModel(
      [this] { return model_.base().FileList().size(); },
      [this](size_t i) -> std::string_view { return model_.base().FileList()[i]; }, this);
  for (int list = 0; list < 2; ++list) {
    title_model_[list] = new TextListModel(
        [this, list] { return model_.base().entries().Title[list].size(); },
        [this, list](size_t i) { return model_.base().entries().Title[list][i]; }, this);
  }
  tag_model_ = new TextListModel(
      [this] { return model_.base().entries().TagList.size(); },
      [this](size_t i) -> std::string_view { return model_.base().entries().TagList[i]; }, this);

  dir_panel_ = new QWidget(client_);
  dir_panel_->setObjectName(QStringLiteral("DirPanel"));
  SetBackground(dir_panel_, kPaneBackground);
  file_list_ = MakeListView("FileList", dir_panel_, file_model_);
  drive_c_ = new DriveCombo(dir_panel_);
  dir_c_ = new DirList(dir_panel_);

  // Made after the left pane, so it lies above it.
  main_panel_ = new QWidget(client_);
  main_panel_->setObjectName(QStringLiteral("MainPanel"));
  SetBackground(main_panel_, kPaneBackground);
  title_[0] = MakeListView("Title0", main_panel_, title_model_[0]);
  title_[1] = MakeListView("Title1", main_panel_, title_model_[1]);
  title_[1]->hide();
  tag_list_ = MakeListView("TagList", main_panel_, tag_model_);
  bar_ = new SplitterBar(main_panel_);
  mes_ = new QPlainTextEdit(main_panel_);
  mes_->setObjectName(QStringLiteral("Mes"));
  mes_->setFont(GothicFont(kViewFontPoints));
  mes_->setReadOnly(true);
  mes_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  mes_->setLineWrapMode(QPlainTextEdit::NoWrap);
  mes_->setUndoRedoEnabled(false);

  // The outline that follows the pointer while the bar is dragged.
  auto* outline = new QFrame(main_panel_);
  outline->setObjectName(QStringLiteral("CBarOutline"));
  outline->setFrameStyle(QFrame::Box | QFrame::Plain);
  outline->setLineWidth(2);
  outline->setAttribute(Qt::WA_TransparentForMouseEvents);
  outline->hide();
  bar_outline_ = outline;

  // The window previews the keys of the pane controls and follows their
  // focus. Tab visits the panes in their row, left to right.
  for (QWidget* control : std::initializer_list<QWidget*>{drive_c_, dir_c_, file_list_, title_[0],
                                                          title_[1], mes_, tag_list_}) {
    control->installEventFilter(this);
  }
  setTabOrder(drive_c_, dir_c_);
  setTabOrder(dir_c_, file_list_);
  setTabOrder(file_list_, title_[0]);
  setTabOrder(title_[0], title_[1]);
  setTabOrder(title_[1], mes_);
  setTabOrder(mes_, tag_list_);
  mes_->setTabChangesFocus(true);
}

void MainWin::ConnectSignals() {
  connect(file_list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (rendering_ || !current.isValid()) return;
            model_.SelectFile(current.row());
            Render();
          });
  for (int list = 0; list < 2; ++list) {
    connect(title_[list]->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, list](const QModelIndex& current) {
              if (rendering_ || !current.isValid()) return;
              model_.SelectTitle(list, current.row());
              Render();
            });
  }
  connect(tag_list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (rendering_ || !current.isValid()) return;
            model_.SelectTag(current.row());
            Render();
          });
  connect(dir_c_, &DirList::pathChanged, this, &MainWin::OnDirPathChanged);
  connect(drive_c_, &DriveCombo::driveChanged, this, &MainWin::OnDriveChanged);
  connect(bar_, &SplitterBar::dragStarted, this, &MainWin::OnBarDragStarted);
  connect(bar_, &SplitterBar::dragMoved, this, &MainWin::OnBarDragMoved);
  connect(bar_, &SplitterBar::dropped, this, &MainWin::OnBarDropped);
}

void MainWin::StartUp(const std::string& program_dir, const std::string& argument) {
  StartUpWith(program_dir, argument, nullptr);
}

void MainWin::StartUp(const std::string& program_dir, const std::string& argument,
                      const Settings& settings) {
  StartUpWith(program_dir, argument, &settings);
}

void MainWin::StartUpWith(const std::string& program_dir, const std::string& argument,
                          const Settings* given) {
  SetScreenPointer(PointerCode::kBusy);
  program_dir_ = program_dir;
  model_.ResetFocus();
  focus_control_ = PaneControl::kFileList;
  model_.SetIndexDirectory(ChooseIndexDirectory(Env::Default(), program_dir));
  NoSettingsStore none;
  const Settings settings = given ? *given : LoadSettings(store_ ? store_ : &none);
  model_.record() = settings;

  model_.SetBarTop(settings.CBPoint);
  RestoreGeometry(settings);

  if (!argument.empty()) {
    FileInfo info;
    if (Env::Default()->Stat(argument, &info).ok()) {
      QString shown = FromPath(argument);
      if (!info.is_directory) shown = QFileInfo(DirList::CleanPath(shown)).path();
      {
        QSignalBlocker block(dir_c_);
        dir_c_->SetPath(shown);
      }
      drive_c_->SetDriveOf(dir_c_->path(), false);
      model_.NoteVisited(ToPath(drive_c_->drive()), ToPath(dir_c_->path()));
      model_.ListArgument(argument);
      Render();
    }
  } else {
    {
      QSignalBlocker block(dir_c_);
      dir_c_->SetPath(FromPath(program_dir));
    }
    drive_c_->SetDriveOf(dir_c_->path(), false);
    model_.NoteVisited(ToPath(drive_c_->drive()), ToPath(dir_c_->path()));
    DirectoryChange();
  }

  ApplyFontSizes(settings.FileList, settings.Title, settings.Mes);
  RenderCaptions();
  file_list_->setFocus();
  SetScreenPointer(PointerCode::kDefault);
}

void MainWin::RestoreGeometry(const Settings& settings) {
  // Position and size exactly as stored: nothing is checked against the
  // screen. A window that was maximized comes back as an ordinary one.
  setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
  move(TwipsToPixels(settings.Left, logicalDpiX()), TwipsToPixels(settings.Top, logicalDpiY()));
  const TwipSize window = model_.SetWindowSize({settings.Width, settings.Height});
  const TwipSize client = ClientSizeForWindow(window);
  const int width = TwipsToPixels(client.width, logicalDpiX());
  resize(width, TwipsToPixels(client.height, logicalDpiY()) + MenuBarHeight(width));
  ApplyLayout();
}

int MainWin::MenuBarHeight(int width) const {
  QWidget* menu = menuWidget();
  if (menu == nullptr || menu->isHidden()) return 0;
  int height = menu->heightForWidth(width);
  return height >= 0 ? height : menu->sizeHint().height();
}

void MainWin::ApplyFontSizes(double file_list, double title, double mes) {
  // Other sizes cannot be drawn usefully (or at all): the view keeps its own.
  if (UsableFontPoints(file_list)) SetPointSize(file_list_, file_list);
  if (UsableFontPoints(title)) {
    SetPointSize(title_[0], title);
    SetPointSize(title_[1], title);
    SetPointSize(tag_list_, title);
  }
  if (UsableFontPoints(mes)) SetPointSize(mes_, mes);
}

SettingsSnapshot MainWin::CurrentSettings() const {
  SettingsSnapshot s;
  const QPoint frame = pos();
  s.Top = PixelsToTwips(frame.y(), logicalDpiY());
  s.Left = PixelsToTwips(frame.x(), logicalDpiX());
  s.Height = model_.window_size().height;
  s.Width = model_.window_size().width;
  s.CBPoint = model_.bar_top();
  s.FileList = file_list_->font().pointSizeF();
  s.Title = title_[0]->font().pointSizeF();
  s.Mes = mes_->font().pointSizeF();
  s.Editor = model_.record().Editor;
  s.EditOpt = model_.record().EditOpt;
  return s;
}

std::optional<SettingsSnapshot> MainWin::ShutDownSettings() const {
  if (isMinimized()) return std::nullopt;
  return CurrentSettings();
}

void MainWin::closeEvent(QCloseEvent* event) {
  if (!shut_down_) {
    shut_down_ = true;
    std::optional<SettingsSnapshot> values = ShutDownSettings();
    if (values && store_ != nullptr) SaveSettings(store_, *values);
  }
  event->accept();
}

void MainWin::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  model_.SetMinimized(isMinimized());
  OnClientResized();  // a restored window is laid out again
}

void MainWin::OnClientResized() {
  if (isMinimized()) return;
  const TwipSize client{PixelsToTwips(client_->width(), logicalDpiX()),
                        PixelsToTwips(client_->height(), logicalDpiY())};
  model_.SetWindowSize(WindowSizeForClient(client));
  ApplyLayout();
}

void MainWin::ApplyLayout() {
  const Layout l = model_.layout();
  strip_->setGeometry(TwipsToPixels(l.caption_strip, *this));
  for (int i = 0; i < kCaptionCount; ++i)
    captions_[i]->setGeometry(TwipsToPixels(l.captions[i], *this));
  dir_panel_->setGeometry(TwipsToPixels(l.dir_panel, *this));
  file_list_->setGeometry(TwipsToPixels(l.file_list, *this));
  drive_c_->setGeometry(TwipsToPixels(l.drive, *this));
  dir_c_->setGeometry(TwipsToPixels(l.dir, *this));
  main_panel_->setGeometry(TwipsToPixels(l.main_panel, *this));
  title_[0]->setGeometry(TwipsToPixels(l.title, *this));
  title_[1]->setGeometry(TwipsToPixels(l.title, *this));
  tag_list_->setGeometry(TwipsToPixels(l.tag_list, *this));
  bar_->setGeometry(TwipsToPixels(l.bar, *this));
  mes_->setGeometry(TwipsToPixels(l.mes, *this));
}

void MainWin::Render() {
  QScopedValueRollback<bool> guard(rendering_, true);
  const ListVersions versions = model_.versions();
  if (versions.file_list != shown_.file_list) file_model_->Refresh();
  if (versions.entries != shown_.entries) {
    title_model_[0]->Refresh();
    tag_model_->Refresh();
  }
  if (versions.filter != shown_.filter) title_model_[1]->Refresh();
  if (versions.mes != shown_.mes) {
    QString text = QString::fromUtf8(model_.base().Mes().data(),
                                     static_cast<qsizetype>(model_.base().Mes().size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A file that could not be loaded shows why, where its text would be.
    if (text.isEmpty()) text = QString::fromStdString(model_.base().load_problem());
    // A body too long to hold is shown cut; its first lines say so, where
    // the user sees it before anything else.
    if (model_.base().mes_cut()) {
      text.prepend(QString::fromStdString(model_.base().MesCutNotice()) + QStringLiteral("\n\n"));
    }
    // Laying out a long body takes a moment the user should see (up to half
    // a second for a long body in one line): the busy pointer, unless a
    // caller already shows it.
    const bool busy = text.size() > kBusyBodyChars && QApplication::overrideCursor() == nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    mes_->setPlainText(text);
    if (busy) QApplication::restoreOverrideCursor();
  }
  shown_ = versions;

  const TextBase& base = model_.base();
  const int visible = base.visible_title();
  title_[visible]->show();
  // The focus stays in the title list pane when the other list takes over.
  if (title_[1 - visible]->hasFocus()) title_[visible]->setFocus(Qt::OtherFocusReason);
  title_[1 - visible]->hide();
  ShowRow(file_list_, base.file_row());
  ShowRow(title_[0], base.title_row(0));
  ShowRow(title_[1], base.title_row(1));
  ShowRow(tag_list_, base.tag_row());

  RenderCaptions();
  RenderBarPointer();
}

void MainWin::RenderBarPointer() {
  switch (model_.bar_pointer()) {
    case PointerCode::kSizeNS:
      bar_->setCursor(Qt::SizeVerCursor);
      break;
    case PointerCode::kNoDrop:
      bar_->setCursor(Qt::ForbiddenCursor);
      break;
    default:
      bar_->setCursor(Qt::ArrowCursor);
      break;
  }
}

void MainWin::DirectoryChange() {
  model_.DirectoryChange(ToPath(dir_c_->path()));
  Render();
}

void MainWin::SetMainPanelLeft(int32_t left) {
  model_.SetMainPanelLeft(left);
  ApplyLayout();
}

void MainWin::OnDirPathChanged(const QString& path) {
  drive_c_->SetDriveOf(path, false);
  model_.NoteVisited(ToPath(drive_c_->DriveOf(path)), ToPath(path));
  DirectoryChange();
}

void MainWin::OnDriveChanged(const QString& drive) {
  // The directory last visited on that drive, else its top; a drive that
  // cannot be read changes nothing but the drive list.
  const QString last = FromPath(model_.DriveDirectory(ToPath(drive)));
  if (!dir_c_->SetPath(last) && last != drive) dir_c_->SetPath(drive);
}

void MainWin::OnBarDragStarted(const QPoint& global) {
  const int height = TwipsToPixels(kBarHeight, logicalDpiY());
  bar_outline_->setGeometry(0, main_panel_->mapFromGlobal(global).y(), main_panel_->width(),
                            height);
  bar_outline_->raise();
  bar_outline_->show();
}

void MainWin::OnBarDragMoved(const QPoint& global) {
  QWidget* control = nullptr;
  model_.BarDragOver(TargetAt(global, &control));
  RenderBarPointer();
  bar_outline_->move(0, main_panel_->mapFromGlobal(global).y());
}

void MainWin::OnBarDropped(const QPoint& global) {
  bar_outline_->hide();
  QWidget* control = nullptr;
  const BarTarget target = TargetAt(global, &control);
  const int32_t y = control ? PixelsToTwips(control->mapFromGlobal(global).y(), logicalDpiY()) : 0;
  if (model_.BarDrop(target, y)) ApplyLayout();
  RenderBarPointer();
}

BarTarget MainWin::TargetAt(const QPoint& global, QWidget** control) const {
  for (QWidget* w = client_->childAt(client_->mapFromGlobal(global)); w && w != client_;
       w = w->parentWidget()) {
    *control = w;
    if (w == title_[0] || w == title_[1]) return BarTarget::kTitle;
    if (w == mes_) return BarTarget::kMes;
    if (w == file_list_) return BarTarget::kFileList;
  }
  *control = nullptr;
  return BarTarget::kOther;
}

void MainWin::SetScreenPointer(PointerCode code) {
  // A screen-wide pointer with two states, as the codes describe it: the
  // busy shape is either shown or not.
  static bool busy = false;
  if (code == PointerCode::kBusy && !busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy = true;
  } else if (code == PointerCode::kDefault && busy) {
    QApplication::restoreOverrideCursor();
    busy = false;
  }
}

}  // namespace qb
