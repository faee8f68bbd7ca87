#pragma once
// An ordered collection of shared objects, each under a unique text key:
// positions count from 1 in insertion order; adding under a key already
// present fails with 457 and changes nothing.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/run_time_error.h"

namespace tallix {

namespace err {
inline constexpr int kDuplicateKey = 457;
}

template <class T>
class KeyedCollection {
 public:
  using Entry = std::shared_ptr<T>;

  void Add(Entry item, const std::string& key) {
    if (IndexOf(key) >= 0)
      throw RunTimeError(err::kDuplicateKey,
                         "This key is already associated with an element of this collection");
    items_.push_back(std::move(item));
    keys_.push_back(key);
  }
  int Count() const { return static_cast<int>(items_.size()); }
  // Position 1 is the first added; outside 1..Count is Subscript out of range.
  const Entry& Item(int index) const { return items_[Slot(index)]; }
  const Entry& Item(const std::string& key) const {
    int i = IndexOf(key);
    if (i < 0) throw RunTimeError(err::kInvalidCall, "Invalid procedure call or argument");
    return items_[static_cast<std::size_t>(i)];
  }
  bool Contains(const std::string& key) const { return IndexOf(key) >= 0; }
  const std::string& Key(int index) const { return keys_[Slot(index)]; }
  void Remove(int index) {
    std::size_t slot = Slot(index);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(slot));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(slot));
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::size_t Slot(int index) const {
    if (index < 1 || index > Count()) RaiseSubscript();
    return static_cast<std::size_t>(index - 1);
  }
  int IndexOf(const std::string& key) const {
    for (std::size_t i = 0; i < keys_.size(); ++i)
      if (keys_[i] == key) return static_cast<int>(i);
    return -1;
  }

  std::vector<Entry> items_;
  std::vector<std::string> keys_;
};

}  // namespace tallix
