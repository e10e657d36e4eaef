#include "mainwin/drive_combo.h"

#include <QFile>
#include <QSignalBlocker>
#include <QStorageInfo>

#include "mainwin/fonts.h"

namespace qb {
namespace {

std::vector<Volume> WithLabels(std::vector<Volume> volumes) {
  for (Volume& v : volumes) {
    if (!v.label.empty()) continue;
    QStorageInfo info(QFile::decodeName(v.path.c_str()));
    // Only a volume's own root has its label; home inside "/" has none.
    if (info.isValid() && info.rootPath() == QFile::decodeName(v.path.c_str())) {
      v.label = info.name().toStdString();
    }
  }
  return volumes;
}

}  // namespace

DriveCombo::DriveCombo(QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("DriveC"));
  setFont(GothicFont(kDriveDirFontPoints));
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(8);
  connect(this, &QComboBox::currentIndexChanged, this, &DriveCombo::OnIndexChanged);
  SetVolumes(WithLabels(MountedVolumes()));
}

void DriveCombo::SetVolumes(std::vector<Volume> volumes) {
  const QString shown = drive();
  quiet_ = true;
  clear();
  volumes_ = std::move(volumes);
  for (const Volume& v : volumes_) {
    QString text = QFile::decodeName(v.path.c_str());
    if (!v.label.empty()) text += QStringLiteral("  [%1]").arg(QString::fromStdString(v.label));
    addItem(text);
  }
  int keep = shown.isEmpty() ? -1 : VolumeIndexOf(QFile::encodeName(shown).toStdString(), volumes_);
  if (keep >= 0 && volumes_[keep].path != QFile::encodeName(shown).toStdString()) keep = -1;
  setCurrentIndex(keep >= 0 ? keep : (volumes_.empty() ? -1 : 0));
  quiet_ = false;
}

QString DriveCombo::drive() const {
  int i = currentIndex();
  if (i < 0 || i >= static_cast<int>(volumes_.size())) return {};
  return QFile::decodeName(volumes_[i].path.c_str());
}

QString DriveCombo::DriveOf(const QString& path) const {
  int i = VolumeIndexOf(QFile::encodeName(path).toStdString(), volumes_);
  return i < 0 ? QString() : QFile::decodeName(volumes_[i].path.c_str());
}

void DriveCombo::SetDriveOf(const QString& path, bool notify) {
  int i = VolumeIndexOf(QFile::encodeName(path).toStdString(), volumes_);
  if (i < 0 || i == currentIndex()) return;
  quiet_ = !notify;
  setCurrentIndex(i);
  quiet_ = false;
}

void DriveCombo::showPopup() {
  SetVolumes(WithLabels(MountedVolumes()));
  QComboBox::showPopup();
}

void DriveCombo::OnIndexChanged(int index) {
  if (quiet_ || index < 0) return;
  emit driveChanged(drive());
}

}  // namespace qb
