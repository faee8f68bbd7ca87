#include "app/headless.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <ostream>

#include "app/start_up_report.h"

namespace tallix {
namespace {

using Steady = std::chrono::steady_clock;
// Lines from the upload are written at this pace at the latest.
constexpr auto kPoll = std::chrono::milliseconds(200);

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

// True when a stop signal came within `wait`.
bool StopArrived(const sigset_t& set, Steady::duration wait) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::max(wait, Steady::duration::zero()));
  timespec limit{static_cast<time_t>(ns.count() / 1000000000),
                 static_cast<long>(ns.count() % 1000000000)};
  return sigtimedwait(&set, nullptr, &limit) > 0;
}

}  // namespace

void BlockStopSignals() {
  const sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int RunHeadless(FmTallix& window, std::ostream& err, std::chrono::milliseconds interval) {
  // The timer fires Interval ms after it was last enabled or changed, as a
  // window's timer does.
  std::optional<Steady::time_point> due;
  window.Timer1.Changed = [&] {
    if (window.Timer1.Enabled()) {
      due = Steady::now() +
            (interval.count() > 0 ? interval : std::chrono::milliseconds(window.Timer1.Interval()));
    } else {
      due.reset();
    }
  };
  try {
    window.Form_Activate();
  } catch (const std::exception& e) {
    err << StartUpReport(e) << "\n";
    return 1;
  }

  const sigset_t stop = StopSignals();
  for (;;) {
    window.DeliverNotes();
    const auto now = Steady::now();
    if (due && *due <= now) {
      window.Timer1_Timer();
      continue;
    }
    const auto wait = due ? std::min<Steady::duration>(*due - now, kPoll) : kPoll;
    if (StopArrived(stop, wait)) break;
  }
  window.Timer1.Changed = nullptr;
  window.DeliverNotes();
  return 0;
}

}  // namespace tallix
