// TextListModel: one of the engine's lists of code page 932 texts (the file
// list, a title list, the tag list) as a Qt list model.
//
// The model reads the engine's list through two functions and decodes only
// the rows a view asks for, so a list of 100,000 titles costs nothing until
// it is drawn. It holds no copy: after the engine's list changes, Refresh()
// must be called before the view next asks; rows the engine no longer has
// read as empty until then.
#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string_view>

namespace qb {

// The most bytes of an item that a row shows; a longer one ends in "…".
inline constexpr size_t kMaxRowBytes = 1024;

class TextListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using CountFn = std::function<size_t()>;
  using ItemFn = std::function<std::string_view(size_t)>;

  TextListModel(CountFn count, ItemFn item, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // Takes the engine's list as it is now (a model reset).
  void Refresh();

 private:
  CountFn count_;
  ItemFn item_;
  int rows_ = 0;
};

}  // namespace qb
