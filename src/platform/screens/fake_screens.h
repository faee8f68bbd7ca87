#pragma once
// Screens for tests: any layout, any metric overridden, a monitor whose
// information query fails, functions the platform lacks, and a log of probes.
#include <map>
#include <vector>

#include "platform/screens/monitor_layout.h"
#include "platform/screens/screens.h"

namespace tallix::screens {

struct FakeMonitor {
  MonitorHandle handle = 0;
  Rect monitor;
  Rect work;  // the monitor rectangle when left empty
  bool primary = false;
  bool info_fails = false;  // GetMonitorInfo answers 0 for this one
};

class FakeScreens : public Screens {
 public:
  FakeScreens() = default;
  explicit FakeScreens(const std::vector<FakeMonitor>& monitors) {
    for (const auto& m : monitors) Add(m);
  }
  void Add(const FakeMonitor& monitor);
  // Replaces what the layout gives for one index (SM_CMONITORS = 0 for a
  // platform without several monitors).
  void SetMetric(int index, int value) { metrics_[index] = value; }
  void LackMonitorFromRect(bool lack = true) { lack_monitor_from_rect_ = lack; }
  void LackGetMonitorInfo(bool lack = true) { lack_get_monitor_info_ = lack; }

  int GetSystemMetrics(int index) override;
  MonitorHandle MonitorFromRect(const Rect& rect, uint32_t flags) override;
  int GetMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;

  // Every rectangle MonitorFromRect was asked about, in order.
  const std::vector<Rect>& Probes() const { return probes_; }
  int MetricCalls(int index) const;

 private:
  std::vector<LaidOutMonitor> layout_;
  std::vector<MonitorHandle> failing_;
  std::map<int, int> metrics_;
  std::map<int, int> metric_calls_;
  std::vector<Rect> probes_;
  bool lack_monitor_from_rect_ = false;
  bool lack_get_monitor_info_ = false;
};

}  // namespace tallix::screens
