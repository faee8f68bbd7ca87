#pragma once
// The monitor functions answered from the application's Qt screens: geometry
// is the monitor rectangle, available geometry the work area, moved so that
// the primary screen's top-left corner is (0, 0). Needs a QGuiApplication.
#include <QMetaObject>
#include <map>
#include <vector>

#include "platform/screens/monitor_layout.h"
#include "platform/screens/screens.h"

class QScreen;

namespace tallix::screens {

class QtScreens : public Screens {
 public:
  QtScreens();
  ~QtScreens() override;
  QtScreens(const QtScreens&) = delete;
  QtScreens& operator=(const QtScreens&) = delete;

  int GetSystemMetrics(int index) override;
  MonitorHandle MonitorFromRect(const Rect& rect, uint32_t flags) override;
  int GetMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;

 private:
  // The screens as they are now; a screen keeps its handle while it exists.
  std::vector<LaidOutMonitor> Layout();

  std::map<const QScreen*, MonitorHandle> handles_;
  MonitorHandle next_handle_ = 65537;
  QMetaObject::Connection removed_;
};

}  // namespace tallix::screens
