#pragma once
// Where the program reads Now from, so tests can set the time.
#include "core/date_time.h"

namespace tallix {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};

// The host's local time.
class SystemClock : public Clock {
 public:
  DateTime Now() const override;
};

class ManualClock : public Clock {
 public:
  explicit ManualClock(DateTime t = {}) : now_(t) {}
  DateTime Now() const override { return now_; }
  void Set(DateTime t) { now_ = t; }
  void Advance(double seconds) { now_ = AddSeconds(now_, seconds); }

 private:
  DateTime now_;
};

}  // namespace tallix
