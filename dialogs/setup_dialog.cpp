#include "dialogs/setup_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "dialogs/dialog_units.h"
#include "engine/editor_launch.h"
#include "engine/settings.h"

namespace qb {

namespace {

using dialogs::GothicFont;
using dialogs::Pixels;
using dialogs::PlaceTwips;

constexpr int kClientWidth = 6975;
constexpr int kClientHeight = 3090;
constexpr const char* kSampleText = "ＱＵＩＬＬＢＯＸ";

struct Box {
  int left, top, width, height;
};

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), s.size()); }

}  // namespace

bool UsableFontPoints(double points) {
  return points >= kMinViewFontPoints && points <= kMaxViewFontPoints;
}

SetupDialog::SetupDialog(const SetupValues& current, QWidget* main_window) : QDialog(main_window) {
  setObjectName(QStringLiteral("Setup"));
  setWindowTitle(QStringLiteral("SetUp"));
  setModal(true);
  setFixedSize(Pixels(kClientWidth, logicalDpiX()), Pixels(kClientHeight, logicalDpiY()));

  const struct {
    const char* text;
    Box box;
    double points;  // 0: the dialog's default font
  } labels[6] = {
      {"ﾌｫﾝﾄｻｲｽﾞの変更", {120, 120, 2295, 255}, 0},
      {"ﾌｧｲﾙﾘｽﾄ (&F)", {120, 480, 1575, 255}, 0},
      {"ﾀｲﾄﾙﾘｽﾄ (&T)", {120, 840, 1575, 255}, 0},
      {"ﾒｯｾｰｼﾞﾘｽﾄ (&M)", {120, 1200, 1575, 255}, 0},
      {"エディタの設定 (&E)", {120, 1800, 4695, 255}, 11.25},
      {"行指定Option (&O)", {120, 2580, 1935, 255}, 11.25},
  };
  for (int i = 0; i < 6; ++i) {
    QLabel* label = new QLabel(QString::fromUtf8(labels[i].text), this);
    label->setObjectName(QStringLiteral("Label1%1").arg(i));
    if (labels[i].points > 0) label->setFont(GothicFont(labels[i].points));
    const Box& b = labels[i].box;
    PlaceTwips(label, b.left, b.top, b.width, b.height);
    // The Gothic faces found here have a taller line than the box was drawn
    // for, which would cut off the access key's underline: such a label
    // grows upward into the free space above it, its bottom edge (next to
    // the box it names) staying where it is.
    const int short_by = label->sizeHint().height() - label->height();
    if (short_by > 0) label->setGeometry(label->geometry().adjusted(0, -short_by, 0, 0));
    labels_[i] = label;
  }

  const Box size_boxes[3] = {{1800, 480, 615, 315}, {1800, 840, 615, 315}, {1800, 1200, 615, 315}};
  for (int i = 0; i < 3; ++i) {
    QLineEdit* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("FS%1").arg(i));
    box->setFont(GothicFont(9.75));
    const Box& b = size_boxes[i];
    PlaceTwips(box, b.left, b.top, b.width, b.height);
    labels_[i + 1]->setBuddy(box);
    sizes_[i] = box;
  }

  const struct {
    Box box;
    double points;  // 0: the dialog's default font
  } samples[3] = {
      {{2520, 0, 1455, 1680}, 9},
      {{3960, 0, 2895, 780}, 0},
      {{3960, 840, 2895, 780}, 9},
  };
  for (int i = 0; i < 3; ++i) {
    QListWidget* sample = new QListWidget(this);
    sample->setObjectName(QStringLiteral("TmpList%1").arg(i));
    if (samples[i].points > 0) sample->setFont(GothicFont(samples[i].points));
    sample->setFocusPolicy(Qt::NoFocus);  // a picture, not a place to type
    const Box& b = samples[i].box;
    PlaceTwips(sample, b.left, b.top, b.width, b.height);
    samples_[i] = sample;
  }

  editor_ = new QLineEdit(this);
  editor_->setObjectName(QStringLiteral("Editor"));
  editor_->setFont(GothicFont(11.25));
  PlaceTwips(editor_, 120, 2040, 6735, 360);
  labels_[4]->setBuddy(editor_);

  option_ = new QLineEdit(this);
  option_->setObjectName(QStringLiteral("COpt"));
  option_->setFont(GothicFont(11.25));
  PlaceTwips(option_, 2160, 2520, 495, 360);
  labels_[5]->setBuddy(option_);

  const char* key_texts[2] = {"O K", "ｷｬﾝｾﾙ"};
  const Box key_boxes[2] = {{4320, 2520, 1215, 495}, {5640, 2520, 1215, 495}};
  for (int i = 0; i < 2; ++i) {
    QPushButton* key = new QPushButton(QString::fromUtf8(key_texts[i]), this);
    key->setObjectName(QStringLiteral("AcKey%1").arg(i));
    const Box& b = key_boxes[i];
    PlaceTwips(key, b.left, b.top, b.width, b.height);
    keys_[i] = key;
  }
  keys_[0]->setDefault(true);
  connect(keys_[0], &QPushButton::clicked, this, &QDialog::accept);
  connect(keys_[1], &QPushButton::clicked, this, &QDialog::reject);

  // The Tab order follows the rows: sizes, editor, option, OK, Cancel.
  setTabOrder(sizes_[0], sizes_[1]);
  setTabOrder(sizes_[1], sizes_[2]);
  setTabOrder(sizes_[2], editor_);
  setTabOrder(editor_, option_);
  setTabOrder(option_, keys_[0]);
  setTabOrder(keys_[0], keys_[1]);

  for (int i = 0; i < 3; ++i) {
    connect(sizes_[i], &QLineEdit::textChanged, this, [this, i] { OnSizeChanged(i); });
  }
  connect(editor_, &QLineEdit::textChanged, this, &SetupDialog::OnEditorChanged);

  // Opening, in its order.
  for (QListWidget* sample : samples_) sample->addItem(QString::fromUtf8(kSampleText));
  const double points[3] = {current.file_list_points, current.title_points, current.mes_points};
  for (int i = 0; i < 3; ++i) {
    sizes_[i]->setText(QString::fromStdString(SettingNumberText(points[i])));
  }
  if (main_window != nullptr) move(main_window->pos());
  // The stored option is shown, so that OK after changing only a font
  // keeps it; the editor rule may replace it at once.
  option_->setText(Utf8(current.edit_opt));
  editor_->setText(Utf8(current.editor));
  sizes_[0]->setFocus();
}

SetupValues SetupDialog::values() const {
  SetupValues v;
  v.file_list_points = LeadingNumber(sizes_[0]->text().toStdString());
  v.title_points = LeadingNumber(sizes_[1]->text().toStdString());
  v.mes_points = LeadingNumber(sizes_[2]->text().toStdString());
  v.editor = editor_->text().toStdString();
  v.edit_opt = option_->text().toStdString();
  return v;
}

void SetupDialog::OnSizeChanged(int box) {
  const QString text = sizes_[box]->text();
  if (text.isEmpty()) return;
  // Text that is no usable size leaves the sample as it was.
  const double points = LeadingNumber(text.toStdString());
  if (!UsableFontPoints(points)) return;
  QFont font = samples_[box]->font();
  font.setPointSizeF(points);
  samples_[box]->setFont(font);
}

void SetupDialog::OnEditorChanged(const QString& text) {
  if (EditorWantsJumpOption(text.toStdString())) {
    option_->setText(QString::fromUtf8(kHidemaruJumpOption));
  }
}

}  // namespace qb
