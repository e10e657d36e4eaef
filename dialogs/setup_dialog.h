// SetupDialog: the modal dialog "SetUp" in which the user changes the three
// font sizes of the main window and the editor command with its line option.
//
// The dialog takes plain values and gives plain values back; it touches
// nothing outside itself. The window opens it like this:
//
//   SetupDialog dialog(current, this);   // current sizes, record's editor
//   if (dialog.exec() == QDialog::Accepted) {
//     SetupValues v = dialog.values();
//     // FileList := v.file_list_points; Title(0), Title(1), TagList :=
//     // v.title_points; Mes := v.mes_points (each only when
//     // UsableFontPoints); record.Editor := v.editor; record.EditOpt :=
//     // v.edit_opt. The record's font-size fields are not changed.
//   }
//
// Controls carry the design's names as object names; item i of a control
// array is the name followed by i: "Label10".."Label15", "FS0".."FS2",
// "TmpList0".."TmpList2", "Editor", "COpt", "AcKey0" (OK, the default
// button) and "AcKey1" (Cancel, also Esc). Each label's access key moves
// the focus to the box it names: Alt+F "FS0", Alt+T "FS1", Alt+M "FS2",
// Alt+E "Editor", Alt+O "COpt". Texts are UTF-8 in SetupValues.
#pragma once

#include <QDialog>
#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qb {

// Sizes a view accepts: from 1 to 400 points. The samples ignore any other
// size, and the window should not apply one.
inline constexpr double kMinViewFontPoints = 1;
inline constexpr double kMaxViewFontPoints = 400;
bool UsableFontPoints(double points);

struct SetupValues {
  double file_list_points = 9;  // `FileList`
  double title_points = 9;      // `Title`(0) (and so `Title`(1) and `TagList`)
  double mes_points = 9;        // `Mes`
  std::string editor;           // the settings record's "Editor"
  std::string edit_opt;         // the settings record's "EditOpt"
};

class SetupDialog : public QDialog {
  Q_OBJECT

 public:
  // Opening: the samples get their item; each size box shows its size as a
  // decimal number ("9", "9.75") and its sample takes that size; the dialog
  // is placed with its top-left corner at |main_window|'s (when not null,
  // which also becomes the parent); the option box shows
  // |current|.edit_opt; then the editor box gets |current|.editor, which
  // runs the editor rule. Needs a QApplication.
  explicit SetupDialog(const SetupValues& current, QWidget* main_window = nullptr);

  // What OK applies: each size box's number value (its leading decimal
  // number, blanks skipped, 0 when there is none), the editor box's and the
  // option box's texts. Read it after the dialog was accepted.
  SetupValues values() const;

 private:
  void OnSizeChanged(int box);
  void OnEditorChanged(const QString& text);

  std::array<QLabel*, 6> labels_{};
  std::array<QLineEdit*, 3> sizes_{};
  std::array<QListWidget*, 3> samples_{};
  QLineEdit* editor_ = nullptr;
  QLineEdit* option_ = nullptr;
  std::array<QPushButton*, 2> keys_{};
};

}  // namespace qb
