#include "monitors/cls_monitors.h"

#include <exception>
#include <string>

#include "core/checked.h"
#include "core/run_time_error.h"

namespace tallix {

using namespace screens;

clsMonitors::clsMonitors(Screens& screens) : screens_(screens) {
  Refresh();
}

const std::shared_ptr<MonitorCollection>& clsMonitors::Monitors() {
  if (!monitors_) monitors_ = std::make_shared<MonitorCollection>();
  return monitors_;
}

int32_t clsMonitors::PrimaryWidth() const {
  return screens_.GetSystemMetrics(SM_CXSCREEN);
}
int32_t clsMonitors::PrimaryHeight() const {
  return screens_.GetSystemMetrics(SM_CYSCREEN);
}

// A platform that counts no monitors has no virtual desktop beyond the primary screen.
int32_t clsMonitors::GetDesktopMetric(int index, int32_t fallback) const {
  if (screens_.GetSystemMetrics(SM_CMONITORS) == 0) return fallback;
  return screens_.GetSystemMetrics(index);
}

int32_t clsMonitors::DesktopLeft() const {
  return GetDesktopMetric(SM_XVIRTUALSCREEN, 0);
}
int32_t clsMonitors::DesktopTop() const {
  return GetDesktopMetric(SM_YVIRTUALSCREEN, 0);
}
int32_t clsMonitors::DesktopWidth() const {
  return GetDesktopMetric(SM_CXVIRTUALSCREEN, PrimaryWidth());
}
int32_t clsMonitors::DesktopHeight() const {
  return GetDesktopMetric(SM_CYVIRTUALSCREEN, PrimaryHeight());
}

int32_t clsMonitors::GetMonitorFromXYPoint(int32_t x, int32_t y, uint32_t dwFlags) const {
  try {
    // One pixel: its right and bottom edges must still be coordinates.
    const Rect pixel{x, y, ToLong(int64_t{x} + 1), ToLong(int64_t{y} + 1)};
    return screens_.MonitorFromRect(pixel, dwFlags);
  } catch (const std::exception&) {
    return -1;
  }
}

int32_t clsMonitors::LoadMonitorInfo(int32_t hMonitor, clsMonitor& monitor) const {
  MonitorInfo info;
  info.cbSize = sizeof(MonitorInfo);
  int32_t result = 0;
  try {
    result = screens_.GetMonitorInfo(hMonitor, info);
    monitor.SetHandle(hMonitor);
    monitor.SetLeft(info.rcMonitor.left);
    monitor.SetRight(info.rcMonitor.right);
    monitor.SetTop(info.rcMonitor.top);
    monitor.SetBottom(info.rcMonitor.bottom);
    monitor.SetWorkLeft(info.rcWork.left);
    monitor.SetWorkRight(info.rcWork.right);
    monitor.SetWorkTop(info.rcWork.top);
    monitor.SetWorkBottom(info.rcWork.bottom);
    monitor.SetHeight(ToLong(int64_t{info.rcMonitor.bottom} - info.rcMonitor.top));
    monitor.SetWidth(ToLong(int64_t{info.rcMonitor.right} - info.rcMonitor.left));
  } catch (const RunTimeError& e) {
    return e.Number == kMissingEntryPoint ? -1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
  return result;
}

void clsMonitors::ClearMonitors() {
  for (int i = Monitors()->Count(); i >= 1; --i) {
    try {
      monitors_->Remove(i);
    } catch (const std::exception&) {
    }
  }
}

void clsMonitors::Refresh() {
  monitors_ = std::make_shared<MonitorCollection>();
  try {
    if (screens_.GetSystemMetrics(SM_CMONITORS) != 0) return ScanDesktop();
    ClearMonitors();
    auto only = std::make_shared<clsMonitor>();
    only->SetHandle(0);
    only->SetBottom(PrimaryHeight());
    only->SetLeft(0);
    only->SetRight(PrimaryWidth());
    only->SetTop(0);
    only->SetWorkBottom(only->Bottom());
    only->SetWorkLeft(0);
    only->SetWorkRight(only->Right());
    only->SetWorkTop(0);
    only->SetWidth(only->Right());
    only->SetHeight(only->Bottom());
    monitors_->Add(only, "0");
  } catch (const std::exception&) {
    // What was listed before the failure stays listed.
  }
}

// Probes the centre of every 640 x 480 cell; the bounds are the desktop's
// width and height used as coordinates, which reach past its right and
// bottom edges because its left and top are never positive.
void clsMonitors::ScanDesktop() {
  const int64_t top = DesktopTop();
  const int64_t height = DesktopHeight();
  for (int64_t y = top; y <= height; y += 480) {
    const int64_t left = DesktopLeft();
    const int64_t width = DesktopWidth();
    for (int64_t x = left; x <= width; x += 640) {
      const int32_t h = GetMonitorFromXYPoint(ToLong(x + 320), ToLong(y + 240), 0);
      // -1 is a failed query, not a monitor.
      if (h == 0 || h == -1) continue;
      auto monitor = std::make_shared<clsMonitor>();
      LoadMonitorInfo(h, *monitor);
      try {
        monitors_->Add(monitor, std::to_string(h));
      } catch (const RunTimeError& e) {
        // A monitor already found by an earlier probe.
        if (e.Number != err::kDuplicateKey) throw;
      }
    }
  }
}

}  // namespace tallix
