#include "platform/screens/qt_screens.h"

#include <QGuiApplication>
#include <QObject>
#include <QRect>
#include <QScreen>

namespace tallix::screens {
namespace {

Rect Moved(const QRect& r, const QPoint& origin) {
  return {r.left() - origin.x(), r.top() - origin.y(), r.left() + r.width() - origin.x(),
          r.top() + r.height() - origin.y()};
}

}  // namespace

QtScreens::QtScreens() {
  // A removed screen's address may be reused by a new one, which must not
  // inherit its handle.
  removed_ = QObject::connect(qApp, &QGuiApplication::screenRemoved,
                              [this](QScreen* screen) { handles_.erase(screen); });
}

QtScreens::~QtScreens() {
  QObject::disconnect(removed_);
}

std::vector<LaidOutMonitor> QtScreens::Layout() {
  std::vector<LaidOutMonitor> layout;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return layout;
  const QPoint origin = primary->geometry().topLeft();
  for (const QScreen* screen : QGuiApplication::screens()) {
    auto [it, added] = handles_.try_emplace(screen, next_handle_);
    if (added) ++next_handle_;
    layout.push_back({it->second, Moved(screen->geometry(), origin),
                      Moved(screen->availableGeometry(), origin), screen == primary});
  }
  return layout;
}

int QtScreens::GetSystemMetrics(int index) {
  return LayoutMetric(Layout(), index);
}

MonitorHandle QtScreens::MonitorFromRect(const Rect& rect, uint32_t flags) {
  return LayoutMonitorFromRect(Layout(), rect, flags);
}

int QtScreens::GetMonitorInfo(MonitorHandle monitor, MonitorInfo& info) {
  return LayoutMonitorInfo(Layout(), monitor, info);
}

}  // namespace tallix::screens
