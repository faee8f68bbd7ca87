#pragma once
// The grid's column-initialisation step: the window moves to the second
// display and fills it, the name columns take up the extra width and the
// round-clock bars are laid over the filler column.
#include "session/session_state.h"
#include "core/log_writer.h"
#include "platform/grid/grid.h"
#include "platform/window/controls.h"

namespace tallix {

void GridRank_InitColProps(SessionState& s, FormControl& form, Grid& grid, PictureBox& PicRemain,
                           PictureBox& PicElapsed, LogWriter& log);

}  // namespace tallix
