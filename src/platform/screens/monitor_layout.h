#pragma once
// The answers every backend derives the same way from a list of monitors.
#include <vector>

#include "platform/screens/screens.h"

namespace tallix::screens {

struct LaidOutMonitor {
  MonitorHandle handle = 0;
  Rect monitor;
  Rect work;
  bool primary = false;
};

// Metrics 76 to 80 and the primary screen's size; 0 for any other index.
int LayoutMetric(const std::vector<LaidOutMonitor>& monitors, int index);

MonitorHandle LayoutMonitorFromRect(const std::vector<LaidOutMonitor>& monitors, const Rect& rect,
                                    uint32_t flags);

// Fills the record from the entry for the handle; 0 when there is none.
int LayoutMonitorInfo(const std::vector<LaidOutMonitor>& monitors, MonitorHandle monitor,
                      MonitorInfo& info);

}  // namespace tallix::screens
