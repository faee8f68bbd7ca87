#pragma once
// The operator's keys on the ranking grid: print the appendix, switch the
// ranking mode and the activity log, even-row colours, the grid font, the
// round length and the minutes left in the round.
#include <cstdint>
#include <functional>

#include "session/session_state.h"
#include "core/clock.h"
#include "core/log_writer.h"
#include "platform/grid/grid.h"
#include "platform/window/controls.h"

namespace tallix {

struct KeyContext {
  SessionState& s;
  FormControl& form;  // its input box
  Grid& GridRank;
  PictureBox& PicRemain;
  CommonDialog& CommonDialog1;
  const Clock& clock;
  LogWriter& log;
  std::function<void()> PrintAppendix;
};

// Key codes are Windows virtual-key codes; Shift is a mask (1 Shift, 2 Ctrl, 4 Alt).
void GridRank_KeyDown(int16_t KeyCode, int16_t Shift, KeyContext& c);

}  // namespace tallix
