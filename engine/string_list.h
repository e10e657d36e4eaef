// StringList: an ordered list of byte strings stored end to end in one
// buffer, for the long lists of the entry table (100,000 titles are two
// allocations, not 100,000). Items are read as string_views, which stay
// valid until the list is next changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class StringList {
 public:
  class const_iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    const_iterator(const StringList* list, size_t i) : list_(list), i_(i) {}
    std::string_view operator*() const { return (*list_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

   private:
    const StringList* list_;
    size_t i_;
  };

  void push_back(std::string_view s) {
    bytes_.append(s);
    ends_.push_back(bytes_.size());
  }
  std::string_view operator[](size_t i) const {
    size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  std::string_view back() const { return (*this)[ends_.size() - 1]; }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  void clear() {
    bytes_.clear();
    ends_.clear();
  }
  // Makes room for |items| items of |bytes| bytes in all.
  void reserve(size_t items, size_t bytes) {
    ends_.reserve(items);
    bytes_.reserve(bytes);
  }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, ends_.size()); }

  std::vector<std::string> ToVector() const {
    std::vector<std::string> v;
    v.reserve(size());
    for (std::string_view item : *this) v.emplace_back(item);
    return v;
  }
  bool operator==(const StringList& o) const { return ends_ == o.ends_ && bytes_ == o.bytes_; }

 private:
  std::string bytes_;
  std::vector<size_t> ends_;  // ends_[i]: the end of item i in bytes_
};

}  // namespace qb
