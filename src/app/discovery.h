#pragma once
// Finds the database the control software opened today from the end of its
// log, or asks for one with the open-file dialog. Leaves BWSPath set
// (empty when the operator cancels).
#include <string>

#include "core/clock.h"
#include "platform/files/files.h"
#include "platform/window/controls.h"
#include "session/session_state.h"

namespace tallix {

void FindDatabase(SessionState& s, const std::string& command_line, files::FileSystem& fs,
                  CommonDialog& dialog, const Clock& clock, char date_separator);

}  // namespace tallix
