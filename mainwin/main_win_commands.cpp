// The main window's menu bar and the commands it runs.
#include <QAction>
#include <QDialog>
#include <QKeySequence>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "dialogs/about_dialog.h"
#include "dialogs/setup_dialog.h"
#include "mainwin/main_win.h"

namespace qb {

void MainWin::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MM"));
  // Captions exactly as they stand, blanks included; only "Help (&H)" has an
  // access key.
  auto add = [this](QWidget* to, const char* name, const char* caption, MenuCommand command,
                    const QKeySequence& shortcut = {}) {
    auto* action = new QAction(QString::fromUtf8(caption), to);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    to->addAction(action);
    return action;
  };
  auto submenu = [bar](const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), bar);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    bar->addMenu(menu);
    return menu;
  };

  add(bar, "MM0", "編集 [ E ]", MenuCommand::kEdit);
  QMenu* reload = submenu("MM1", "ReLoad [ R ]");
  add(reload, "MM10", "File List      [ F ]", MenuCommand::kReLoadFileList);
  add(reload, "MM11", "Title List     [ T ]", MenuCommand::kReLoadTitleList);
  add(reload, "MM12", "Make Index [ I ]", MenuCommand::kMakeIndex);
  add(bar, "MM2", "Setup [ S ]", MenuCommand::kSetup);
  add(bar, "MM3", "Window [ W ]", MenuCommand::kWindow);
  add(bar, "MM4", "終了 [ Q ]", MenuCommand::kQuit);
  QMenu* help = submenu("MM5", "Help (&H)");
  add(help, "MM50", "Open Help", MenuCommand::kHelp, QKeySequence(Qt::Key_F1));
  add(help, "MM51", "QUILLBOX", MenuCommand::kAbout, QKeySequence(Qt::Key_F2));
}

void MainWin::RunCommand(MenuCommand command) {
  switch (command) {
    case MenuCommand::kEdit:
      EditCommand();
      break;
    case MenuCommand::kSetup:
      SetupCommand();
      break;
    case MenuCommand::kWindow:
      WindowCommand();
      break;
    case MenuCommand::kQuit:
      close();
      break;
    case MenuCommand::kReLoadFileList:
      DirectoryChange();
      break;
    case MenuCommand::kReLoadTitleList:
      model_.LoadSelectedFile();
      Render();
      break;
    case MenuCommand::kMakeIndex:
      model_.RebuildIndex();
      Render();
      break;
    case MenuCommand::kHelp:
      Perform(PlanHelp(program_dir_));
      break;
    case MenuCommand::kAbout:
      AboutCommand();
      break;
    case MenuCommand::kReLoad:  // only holds its submenu
    case MenuCommand::kNone:
      break;
  }
}

void MainWin::EditCommand() {
  Perform(PlanEdit(model_.record().Editor, model_.record().EditOpt, model_.base()));
}

void MainWin::SetupCommand() {
  const SetupValues current{file_list_->font().pointSizeF(), title_[0]->font().pointSizeF(),
                            mes_->font().pointSizeF(), model_.record().Editor,
                            model_.record().EditOpt};
  SetupDialog dialog(current, this);
  if (ExecModal(&dialog) != QDialog::Accepted) return;
  const SetupValues chosen = dialog.values();
  ApplyFontSizes(chosen.file_list_points, chosen.title_points, chosen.mes_points);
  model_.record().Editor = chosen.editor;
  model_.record().EditOpt = chosen.edit_opt;
}

void MainWin::WindowCommand() { SetMainPanelLeft(ToggledMainPanelLeft(model_.main_panel_left())); }

void MainWin::AboutCommand() {
  AboutDialog dialog(this);
  ExecModal(&dialog);
}

void MainWin::Perform(const LaunchPlan& plan) {
  if (!plan.message.empty()) ShowMessage(plan.message);
  if (plan.run_setup) SetupCommand();
  if (plan.argv.empty()) return;
  const Status started = launcher_->Start(plan.argv);
  if (!started.ok()) ShowMessage(started.message());
}

void MainWin::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillbox"), QString::fromStdString(text),
                  QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("MessageBox"));
  ExecModal(&box);
}

int MainWin::ExecModal(QDialog* dialog) {
  return modal_hook_ ? modal_hook_(dialog) : dialog->exec();
}

}  // namespace qb
