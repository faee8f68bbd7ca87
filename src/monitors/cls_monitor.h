#pragma once
// One monitor's handle, rectangle, work area and size in virtual-desktop
// pixels; a plain record: every getter returns what its setter stored.
#include <cstdint>

namespace tallix {

class clsMonitor {
 public:
  int32_t Handle() const { return handle_; }
  void SetHandle(int32_t v) { handle_ = v; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t v) { height_ = v; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t v) { width_ = v; }
  int32_t Left() const { return left_; }
  void SetLeft(int32_t v) { left_ = v; }
  int32_t Right() const { return right_; }
  void SetRight(int32_t v) { right_ = v; }
  int32_t Top() const { return top_; }
  void SetTop(int32_t v) { top_ = v; }
  int32_t Bottom() const { return bottom_; }
  void SetBottom(int32_t v) { bottom_ = v; }
  int32_t WorkLeft() const { return work_left_; }
  void SetWorkLeft(int32_t v) { work_left_ = v; }
  int32_t WorkRight() const { return work_right_; }
  void SetWorkRight(int32_t v) { work_right_ = v; }
  int32_t WorkTop() const { return work_top_; }
  void SetWorkTop(int32_t v) { work_top_ = v; }
  int32_t WorkBottom() const { return work_bottom_; }
  void SetWorkBottom(int32_t v) { work_bottom_ = v; }

 private:
  int32_t handle_ = 0;
  int32_t left_ = 0;
  int32_t right_ = 0;
  int32_t top_ = 0;
  int32_t bottom_ = 0;
  int32_t work_left_ = 0;
  int32_t work_right_ = 0;
  int32_t work_top_ = 0;
  int32_t work_bottom_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace tallix
