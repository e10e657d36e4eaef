// DriveCombo (`DriveC`): the drive list. Shows the mounted volumes a user
// browses (volumes.h) by mount point and label, and the one chosen.
//
// Paths are absolute file-system paths as QString (QFile::decodeName).
#pragma once

#include <QComboBox>
#include <QString>
#include <vector>

#include "mainwin/volumes.h"

namespace qb {

class DriveCombo : public QComboBox {
  Q_OBJECT

 public:
  // Lists MountedVolumes(), with their labels, and shows "/".
  explicit DriveCombo(QWidget* parent = nullptr);

  // Replaces the volumes offered. The volume shown stays when it is still
  // among them, else the first is shown; no change is signalled.
  void SetVolumes(std::vector<Volume> volumes);
  const std::vector<Volume>& volumes() const { return volumes_; }

  // The path of the volume shown ("" when none).
  QString drive() const;

  // The path of the volume that holds |path| ("" when none does).
  QString DriveOf(const QString& path) const;

  // Shows the volume that holds |path|. When that is another one than
  // before and |notify| is true, driveChanged follows, as for a choice of
  // the user's. A path no volume holds changes nothing.
  void SetDriveOf(const QString& path, bool notify);

 signals:
  // The volume shown changed, by the user's choice or SetDriveOf.
  void driveChanged(const QString& drive);

 protected:
  // Lists the volumes again, so media mounted meanwhile can be chosen.
  void showPopup() override;

 private:
  void OnIndexChanged(int index);

  std::vector<Volume> volumes_;
  bool quiet_ = false;
};

}  // namespace qb
