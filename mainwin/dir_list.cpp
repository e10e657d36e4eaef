#include "mainwin/dir_list.h"

#include <dirent.h>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "mainwin/fonts.h"

namespace qb {
namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentPixels = 8;

// Draws each row indented by its depth in the tree.
class IndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    o.rect.adjust(index.data(kLevelRole).toInt() * kIndentPixels, 0, 0, 0);
    QStyledItemDelegate::paint(painter, o, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    return {s.width() + index.data(kLevelRole).toInt() * kIndentPixels, s.height()};
  }
};

// The subdirectories of |path|, or false when it cannot be read.
bool ReadSubdirectories(const QString& path, QStringList* names) {
  DIR* dir = ::opendir(QFile::encodeName(path).constData());
  if (dir == nullptr) return false;
  ::closedir(dir);
  *names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
  return true;
}

}  // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("DirC"));
  setFont(GothicFont(kDriveDirFontPoints));
  setItemDelegate(new IndentDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(false);
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    setCurrentItem(item);
    OpenHighlighted();
  });
}

QString DirList::CleanPath(const QString& path) {
  return QDir::cleanPath(QDir(path).absolutePath());
}

bool DirList::SetPath(const QString& path) {
  const QString clean = CleanPath(path);
  QStringList subdirectories;
  if (!QFileInfo(clean).isDir() || !ReadSubdirectories(clean, &subdirectories)) return false;
  const bool changed = clean != path_;
  path_ = clean;
  Fill(clean, subdirectories);
  if (changed) emit pathChanged(path_);
  return true;
}

void DirList::Fill(const QString& path, const QStringList& subdirectories) {
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QString at = QStringLiteral("/");
  auto add = [this](const QString& text, const QString& full, int level, const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, text, this);
    item->setData(kPathRole, full);
    item->setData(kLevelRole, level);
    item->setToolTip(full);
    return item;
  };
  QListWidgetItem* current = add(QStringLiteral("/"), at, 0, open);
  for (int i = 0; i < parts.size(); ++i) {
    at = at == QLatin1String("/") ? at + parts[i] : at + QLatin1Char('/') + parts[i];
    current = add(parts[i], at, i + 1, open);
  }
  const int level = static_cast<int>(parts.size()) + 1;
  for (const QString& name : subdirectories) {
    add(name, at == QLatin1String("/") ? at + name : at + QLatin1Char('/') + name, level, closed);
  }
  setCurrentItem(current);
  scrollToItem(current);
}

QString DirList::HighlightedPath() const {
  QListWidgetItem* item = currentItem();
  return item ? item->data(kPathRole).toString() : QString();
}

bool DirList::OpenHighlighted() {
  const QString target = HighlightedPath();
  return !target.isEmpty() && SetPath(target);
}

void DirList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenHighlighted();
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace qb
