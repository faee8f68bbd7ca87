#pragma once
// Fixed arrays with inclusive bounds and growable work lists; an index
// outside the bounds is "Subscript out of range".
#include <array>
#include <cstddef>
#include <vector>

#include "core/run_time_error.h"

namespace tallix {

template <class T, int Lo, int Hi>
class FixedArray {
 public:
  static constexpr int kLower = Lo;
  static constexpr int kUpper = Hi;
  T& operator()(int i) { return cells_[Slot(i)]; }
  const T& operator()(int i) const { return cells_[Slot(i)]; }
  void Fill(const T& v) { cells_.fill(v); }

 private:
  static std::size_t Slot(int i) {
    if (i < Lo || i > Hi) RaiseSubscript();
    return static_cast<std::size_t>(i - Lo);
  }
  std::array<T, Hi - Lo + 1> cells_{};
};

template <class T, int Lo1, int Hi1, int Lo2, int Hi2>
class FixedArray2 {
 public:
  T& operator()(int i, int j) { return cells_[Slot(i, j)]; }
  const T& operator()(int i, int j) const { return cells_[Slot(i, j)]; }
  void Fill(const T& v) { cells_.fill(v); }

 private:
  static constexpr int kWidth = Hi2 - Lo2 + 1;
  static std::size_t Slot(int i, int j) {
    if (i < Lo1 || i > Hi1 || j < Lo2 || j > Hi2) RaiseSubscript();
    return static_cast<std::size_t>((i - Lo1) * kWidth + (j - Lo2));
  }
  std::array<T, (Hi1 - Lo1 + 1) * kWidth> cells_{};
};

// A resizable array indexed from 0 that starts empty.
template <class T>
class WorkList {
 public:
  T& operator()(int i) { return cells_[Slot(i)]; }
  const T& operator()(int i) const { return cells_[Slot(i)]; }
  int Size() const { return static_cast<int>(cells_.size()); }
  bool Empty() const { return cells_.empty(); }
  void Clear() { cells_.clear(); }
  // Keeps the entries that still fit, new ones start at T{}.
  void Resize(int n) { cells_.resize(static_cast<std::size_t>(n < 0 ? 0 : n)); }
  void Append(const T& v) { cells_.push_back(v); }
  const std::vector<T>& Items() const { return cells_; }

 private:
  std::size_t Slot(int i) const {
    if (i < 0 || i >= Size()) RaiseSubscript();
    return static_cast<std::size_t>(i);
  }
  std::vector<T> cells_;
};

}  // namespace tallix
