#pragma once
// The three monitor functions the monitor list is built from, with the
// platform's numbers, record layout and return conventions.
#include <cstdint>

namespace tallix::screens {

// Metric indexes.
inline constexpr int SM_CXSCREEN = 0;  // primary screen width in pixels
inline constexpr int SM_CYSCREEN = 1;  // primary screen height in pixels
inline constexpr int SM_XVIRTUALSCREEN = 76;
inline constexpr int SM_YVIRTUALSCREEN = 77;
inline constexpr int SM_CXVIRTUALSCREEN = 78;
inline constexpr int SM_CYVIRTUALSCREEN = 79;
inline constexpr int SM_CMONITORS = 80;

// What MonitorFromRect answers when no monitor meets the rectangle.
inline constexpr uint32_t MONITOR_DEFAULTTONULL = 0;
inline constexpr uint32_t MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr uint32_t MONITOR_DEFAULTTONEAREST = 2;

inline constexpr uint32_t MONITORINFOF_PRIMARY = 1;

// A call into a function the platform does not have.
inline constexpr int kMissingEntryPoint = 453;

// 0 is "no monitor".
using MonitorHandle = int32_t;

// Left and top inclusive, right and bottom exclusive.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct MonitorInfo {
  uint32_t cbSize = 0;  // the caller sets 40 before the query
  Rect rcMonitor;
  Rect rcWork;
  uint32_t dwFlags = 0;
};
static_assert(sizeof(MonitorInfo) == 40);

// Coordinates are virtual-desktop pixels with the primary monitor's top-left
// corner at (0, 0). A backend without one of the functions throws a
// RunTimeError numbered kMissingEntryPoint from it.
class Screens {
 public:
  virtual ~Screens() = default;
  // 0 for an index the platform does not know.
  virtual int GetSystemMetrics(int index) = 0;
  // The monitor with the largest intersection with the rectangle; otherwise
  // as the flags say (0, the primary, or the nearest).
  virtual MonitorHandle MonitorFromRect(const Rect& rect, uint32_t flags) = 0;
  // Nonzero on success; 0 for an unknown handle or a cbSize other than 40.
  virtual int GetMonitorInfo(MonitorHandle monitor, MonitorInfo& info) = 0;
};

}  // namespace tallix::screens
