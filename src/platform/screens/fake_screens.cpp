#include "platform/screens/fake_screens.h"

#include <algorithm>

#include "core/run_time_error.h"

namespace tallix::screens {
namespace {

[[noreturn]] void RaiseMissing(const char* name) {
  throw RunTimeError(kMissingEntryPoint,
                     std::string("Can't find DLL entry point ") + name + " in user32");
}

}  // namespace

void FakeScreens::Add(const FakeMonitor& m) {
  Rect empty;
  layout_.push_back({m.handle, m.monitor, m.work == empty ? m.monitor : m.work, m.primary});
  if (m.info_fails) failing_.push_back(m.handle);
}

int FakeScreens::GetSystemMetrics(int index) {
  ++metric_calls_[index];
  auto it = metrics_.find(index);
  return it != metrics_.end() ? it->second : LayoutMetric(layout_, index);
}

MonitorHandle FakeScreens::MonitorFromRect(const Rect& rect, uint32_t flags) {
  if (lack_monitor_from_rect_) RaiseMissing("MonitorFromRect");
  probes_.push_back(rect);
  return LayoutMonitorFromRect(layout_, rect, flags);
}

int FakeScreens::GetMonitorInfo(MonitorHandle monitor, MonitorInfo& info) {
  if (lack_get_monitor_info_) RaiseMissing("GetMonitorInfoA");
  if (std::find(failing_.begin(), failing_.end(), monitor) != failing_.end()) return 0;
  return LayoutMonitorInfo(layout_, monitor, info);
}

int FakeScreens::MetricCalls(int index) const {
  auto it = metric_calls_.find(index);
  return it == metric_calls_.end() ? 0 : it->second;
}

}  // namespace tallix::screens
