// DirList (`DirC`): the directory list. Shows the directory tree of its
// current path the way a directory list box does: the path's ancestors from
// "/" down to the current directory (shown open and highlighted), then the
// current directory's subdirectories (hidden ones left out), sorted without
// regard to letter case. Arrow keys only move the highlight; Enter or a
// double click opens the highlighted directory, which makes it the path.
//
// Paths are absolute and clean (no "." or ".." parts, no trailing "/"),
// as QString (QFile::decodeName).
#pragma once

#include <QListWidget>
#include <QString>

namespace qb {

class DirList : public QListWidget {
  Q_OBJECT

 public:
  explicit DirList(QWidget* parent = nullptr);

  QString path() const { return path_; }

  // Makes |path| (made absolute and clean) the current path and lists it.
  // Returns false and changes nothing when it is not a directory this
  // process can read. Emits pathChanged when the path is another than
  // before; the same path is only listed again.
  bool SetPath(const QString& path);

  // The full path of the highlighted row ("" when none).
  QString HighlightedPath() const;

  // Opens the highlighted directory: SetPath(HighlightedPath()).
  bool OpenHighlighted();

  // The path as SetPath keeps it.
  static QString CleanPath(const QString& path);

 signals:
  void pathChanged(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Fill(const QString& path, const QStringList& subdirectories);

  QString path_;
};

}  // namespace qb
