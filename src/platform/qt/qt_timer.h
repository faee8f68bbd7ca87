#pragma once
// The refresh timer on the event loop: a QTimer that runs while the model is
// enabled with a positive interval, and calls the tick handler when it fires.
#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/window/controls.h"

namespace tallix::qt {

class QtTimer : public QObject {
 public:
  QtTimer(Timer& model, std::function<void()> tick, QObject* parent = nullptr);
  const QTimer& Backing() const { return timer_; }
  int Ticks() const { return ticks_; }

 private:
  void Sync();
  void Fire();

  Timer& model_;
  std::function<void()> tick_;
  QTimer timer_;
  bool running_ = false;
  int interval_ = 0;
  bool in_tick_ = false;
  int ticks_ = 0;
};

}  // namespace tallix::qt
