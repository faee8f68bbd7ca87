#include "platform/qt/qt_timer.h"

namespace tallix::qt {

QtTimer::QtTimer(Timer& model, std::function<void()> tick, QObject* parent)
    : QObject(parent), model_(model), tick_(std::move(tick)) {
  timer_.setTimerType(Qt::CoarseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { Fire(); });
  auto before = std::move(model_.Changed);
  model_.Changed = [this, before = std::move(before)] {
    if (before) before();
    Sync();
  };
  Sync();
}

// Enabling starts a full interval; a new interval while running starts the
// count again; an interval of 0 stops the timer, as it did in the original.
void QtTimer::Sync() {
  const bool run = model_.Enabled() && model_.Interval() > 0;
  if (!run) {
    timer_.stop();
  } else if (!running_ || model_.Interval() != interval_) {
    timer_.start(model_.Interval());
  }
  running_ = run;
  interval_ = model_.Interval();
}

void QtTimer::Fire() {
  // A handler that waits in a dialog must not see the next tick inside it.
  if (in_tick_) return;
  in_tick_ = true;
  ++ticks_;
  if (tick_) tick_();
  in_tick_ = false;
}

}  // namespace tallix::qt
