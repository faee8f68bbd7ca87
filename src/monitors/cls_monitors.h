#pragma once
// The attached monitors, found once by probing the virtual desktop on a
// 640 x 480 grid, in the order of their first hit: top row first, then left
// to right. Also the desktop's bounds.
//   clsMonitors list(screens);
//   for (const auto& monitor : *list.Monitors()) ...   // or Item(1..Count())
#include <cstdint>
#include <memory>

#include "monitors/cls_monitor.h"
#include "monitors/keyed_collection.h"
#include "platform/screens/screens.h"

namespace tallix {

using MonitorCollection = KeyedCollection<clsMonitor>;

class clsMonitors {
 public:
  // Lists the monitors before returning.
  explicit clsMonitors(screens::Screens& screens);

  // Each monitor under the decimal text of its handle ("0" for the single
  // monitor of a platform without several).
  const std::shared_ptr<MonitorCollection>& Monitors();
  int32_t DesktopLeft() const;
  int32_t DesktopTop() const;
  int32_t DesktopWidth() const;
  int32_t DesktopHeight() const;
  // The handle of the monitor holding the pixel (0 for none with dwFlags 0),
  // or -1 when the query failed.
  int32_t GetMonitorFromXYPoint(int32_t x, int32_t y, uint32_t dwFlags) const;
  void Refresh();

 private:
  int32_t GetDesktopMetric(int index, int32_t fallback) const;
  int32_t LoadMonitorInfo(int32_t hMonitor, clsMonitor& monitor) const;
  void ClearMonitors();
  void ScanDesktop();
  int32_t PrimaryWidth() const;
  int32_t PrimaryHeight() const;

  screens::Screens& screens_;
  std::shared_ptr<MonitorCollection> monitors_;
};

}  // namespace tallix
