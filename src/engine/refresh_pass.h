#pragma once
// One refresh of the display from the live database: names, results,
// matchpoints, caption, round clock, grid, page and upload, the font once.
// Every way out re-enables the refresh timer.
#include <set>
#include <string>

#include "core/clock.h"
#include "core/log_writer.h"
#include "platform/grid/grid.h"
#include "platform/transfer/transfer.h"
#include "platform/window/controls.h"
#include "session/session_state.h"

namespace tallix {

struct RefreshContext {
  SessionState& s;
  FormControl& form;
  Grid& GridRank;
  PictureBox& PicRemain;
  Timer& Timer1;
  Transfer& Inet1;
  LogWriter& log;
  const Clock& clock;
  std::string template_host_path;
  std::string page_host_path;
  // The error that ended the last failed pass, so a row that keeps failing
  // is logged once and not on every tick.
  std::string last_failure;
  // The rows left out of the last pass, so each is logged once while it stays bad.
  std::set<std::string> bad_rows = {};
  // How the last pass ended for the page: written, or the reason it was not.
  bool page_written = false;
  std::string page_failure = {};
};

void GetBWSData(RefreshContext& c);

// The clock bar's colour for the seconds left in the round.
Colour ClockColour(int seconds_remaining);

}  // namespace tallix
