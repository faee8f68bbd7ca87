#include "platform/screens/monitor_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tallix::screens {
namespace {

const LaidOutMonitor* Primary(const std::vector<LaidOutMonitor>& monitors) {
  for (const auto& m : monitors)
    if (m.primary) return &m;
  return monitors.empty() ? nullptr : &monitors.front();
}

int64_t Overlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  return std::max<int64_t>(0, int64_t{std::min(a1, b1)} - std::max(a0, b0));
}

// Gap between two intervals, 0 when they touch or overlap.
int64_t Gap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  if (int64_t{a1} <= b0) return int64_t{b0} - a1 + 1;
  if (int64_t{b1} <= a0) return int64_t{a0} - b1 + 1;
  return 0;
}

}  // namespace

int LayoutMetric(const std::vector<LaidOutMonitor>& monitors, int index) {
  if (monitors.empty()) return 0;
  Rect box = monitors.front().monitor;
  for (const auto& m : monitors) {
    box.left = std::min(box.left, m.monitor.left);
    box.top = std::min(box.top, m.monitor.top);
    box.right = std::max(box.right, m.monitor.right);
    box.bottom = std::max(box.bottom, m.monitor.bottom);
  }
  const Rect& primary = Primary(monitors)->monitor;
  switch (index) {
    case SM_CXSCREEN:
      return primary.right - primary.left;
    case SM_CYSCREEN:
      return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
      return box.left;
    case SM_YVIRTUALSCREEN:
      return box.top;
    case SM_CXVIRTUALSCREEN:
      return box.right - box.left;
    case SM_CYVIRTUALSCREEN:
      return box.bottom - box.top;
    case SM_CMONITORS:
      return static_cast<int>(monitors.size());
    default:
      return 0;
  }
}

MonitorHandle LayoutMonitorFromRect(const std::vector<LaidOutMonitor>& monitors, const Rect& rect,
                                    uint32_t flags) {
  const LaidOutMonitor* best = nullptr;
  int64_t best_area = 0;
  for (const auto& m : monitors) {
    int64_t area = Overlap(rect.left, rect.right, m.monitor.left, m.monitor.right) *
                   Overlap(rect.top, rect.bottom, m.monitor.top, m.monitor.bottom);
    if (area > best_area) best = &m, best_area = area;
  }
  if (best) return best->handle;
  if (flags == MONITOR_DEFAULTTOPRIMARY) {
    const LaidOutMonitor* p = Primary(monitors);
    return p ? p->handle : 0;
  }
  if (flags == MONITOR_DEFAULTTONEAREST) {
    int64_t best_distance = std::numeric_limits<int64_t>::max();
    for (const auto& m : monitors) {
      int64_t dx = Gap(rect.left, rect.right, m.monitor.left, m.monitor.right);
      int64_t dy = Gap(rect.top, rect.bottom, m.monitor.top, m.monitor.bottom);
      if (dx * dx + dy * dy < best_distance) best = &m, best_distance = dx * dx + dy * dy;
    }
    return best ? best->handle : 0;
  }
  return 0;
}

int LayoutMonitorInfo(const std::vector<LaidOutMonitor>& monitors, MonitorHandle monitor,
                      MonitorInfo& info) {
  if (info.cbSize != sizeof(MonitorInfo)) return 0;
  for (const auto& m : monitors) {
    if (m.handle != monitor || monitor == 0) continue;
    info.rcMonitor = m.monitor;
    info.rcWork = m.work;
    info.dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
    return 1;
  }
  return 0;
}

}  // namespace tallix::screens
