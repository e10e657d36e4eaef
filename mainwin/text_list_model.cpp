#include "mainwin/text_list_model.h"

#include <algorithm>
#include <climits>
#include <string>

#include "engine/cp932.h"

namespace qb {

TextListModel::TextListModel(CountFn count, ItemFn item, QObject* parent)
    : QAbstractListModel(parent), count_(std::move(count)), item_(std::move(item)) {
  rows_ = static_cast<int>(std::min<size_t>(count_(), INT_MAX));
}

int TextListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != 0 || index.row() >= rows_) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const size_t row = static_cast<size_t>(index.row());
  if (row >= count_()) return QString();
  const std::string text = DecodeCp932Cut(item_(row), kMaxRowBytes);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void TextListModel::Refresh() {
  beginResetModel();
  rows_ = static_cast<int>(std::min<size_t>(count_(), INT_MAX));
  endResetModel();
}

}  // namespace qb
